// A writer killed at any moment of a save leaves the file as it was before that save, or as the
// save made it: never half of one.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <variant>

#include "kill_test_projects.h"
#include "project_file.h"

namespace {

TEST(ProjectFileKilled, LeavesAWholeProjectWhereverTheWriterDies) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString fileName = folder.filePath(QStringLiteral("工程.fep"));
    const core::Project first = tests::killTestProject(1);
    const core::Project second = tests::killTestProject(2);
    ASSERT_FALSE(io::saveProject(first, fileName));

    for (int attempt = 0; attempt < 25; ++attempt) {
        QProcess writer;
        writer.start(QStringLiteral(WRITER_PATH), {fileName});
        ASSERT_TRUE(writer.waitForReadyRead(30000)) << "the writer did not start";
        // A different moment of a save each time: a save takes some milliseconds.
        QThread::usleep(QRandomGenerator::global()->bounded(1000U, 60000U));
        writer.kill();
        writer.waitForFinished(30000);

        const auto read = io::readProject(fileName);
        ASSERT_TRUE(std::holds_alternative<core::Project>(read))
            << "attempt " << attempt << ": " << std::get<QString>(read).toStdString();
        const core::Project& project = std::get<core::Project>(read);
        EXPECT_TRUE(project == first || project == second) << "attempt " << attempt;
    }
}

}  // namespace
