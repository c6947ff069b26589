// Saves two projects over one file, in turns, until it is killed: the writer whose death the
// project file's tests watch.
#include <QCoreApplication>
#include <cstdio>

#include "kill_test_projects.h"
#include "project_file.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: project_writer FILE\n", stderr);
        return 2;
    }
    const QString fileName = QString::fromLocal8Bit(argv[1]);
    const core::Project projects[] = {tests::killTestProject(1), tests::killTestProject(2)};
    std::puts("writing");
    std::fflush(stdout);
    for (unsigned turn = 0;; ++turn) {
        if (io::saveProject(projects[turn % 2], fileName)) {
            return 1;
        }
    }
}
