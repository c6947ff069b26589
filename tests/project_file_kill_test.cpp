// A writer killed at any moment of a save leaves the file as it was before that save, or as the
// save made it: never half of one. The writer is this program, given "--write" and the file.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <string_view>
#include <variant>

#include "project_file.h"

namespace {

// A project large enough that writing it takes a while; which one of two shows in its units' names.
core::Project killTestProject(int which) {
    core::Project project;
    project.name = "工程" + std::to_string(which);
    for (int i = 0; i < 3000; ++i) {
        core::Unit& unit = project.units.emplace_back();
        unit.name = "单元" + std::to_string(which) + "-" + std::to_string(i);
        unit.location = "楼层" + std::to_string(i % 30);
        unit.choices.area = 100 + i;
    }
    return project;
}

TEST(ProjectFileKilled, LeavesAWholeProjectWhereverTheWriterDies) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString fileName = folder.filePath(QStringLiteral("工程.fep"));
    const core::Project first = killTestProject(1);
    const core::Project second = killTestProject(2);
    ASSERT_FALSE(io::saveProject(first, fileName));

    for (int attempt = 0; attempt < 25; ++attempt) {
        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--write"), fileName});
        ASSERT_TRUE(writer.waitForReadyRead(30000)) << "the writer did not start";
        // A different moment of a save each time: a save takes some milliseconds.
        QThread::usleep(QRandomGenerator::global()->bounded(1000U, 60000U));
        writer.kill();
        writer.waitForFinished(30000);

        const auto read = io::readProject(fileName);
        ASSERT_TRUE(std::holds_alternative<core::Project>(read))
            << "attempt " << attempt << ": " << std::get<QString>(read).toStdString();
        EXPECT_TRUE(read == decltype(read){first} || read == decltype(read){second}) << attempt;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    if (argc == 3 && std::string_view(argv[1]) == "--write") {
        // The writer: saves the two projects over the file, in turns, until it is killed.
        const QString fileName = QCoreApplication::arguments().at(2);
        const core::Project projects[] = {killTestProject(1), killTestProject(2)};
        std::puts("writing");
        std::fflush(stdout);
        for (unsigned turn = 0; !io::saveProject(projects[turn % 2], fileName); ++turn) {
        }
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
