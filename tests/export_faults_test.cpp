// The command line's export with awkward files, run as a process: a project that is no plain
// file, an output that is read-only, a link or the project itself, a workbook that cannot be
// written and a project without units are refused at once, in one Chinese line (none of the
// workbook library's own), and the folder is left as it was.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "project_file.h"
#include "test_support.h"

using namespace Qt::StringLiterals;

namespace {

struct Case {
    const char* name;
    const char* files;  // made by sh in the folder, beside p.fep and empty.fep
    const char* out;
    const char* project;
    const char* says;        // in the line on standard error; "": exported
    bool sizeLimit = false;  // files stop at 1 KiB: the library's writes fail as on a full disk
};

class ExportFaults : public ::testing::TestWithParam<Case> {
  protected:
    // Runs `script` by sh in the folder, "$@" holding the program and `arguments`; a run that
    // does not end in 20 s fails, and the process is killed as it goes.
    std::pair<int, QString> sh(const QString& script, const QStringList& arguments = {}) {
        QProcess process;
        process.setWorkingDirectory(folder.path());
#ifdef Q_OS_WIN
        // No sh: its copies and read-only files made by Qt, the program run alone, on the
        // platform the tests run on (Wine has no display).
        if (arguments.isEmpty()) {
            bool made = true;
            for (const QString& command : script.split(u"; "_s)) {
                const QStringList words = command.split(u' ');
                made =
                    made && (words[0] == u"cp"_s
                                 ? QFile::copy(folder.filePath(words[1]), folder.filePath(words[2]))
                                 : QFile::setPermissions(folder.filePath(words[2]),
                                                         QFileDevice::ReadOwner));
            }
            return {made ? 0 : 1, {}};
        }
        process.start(QStringLiteral(PROGRAM_PATH), arguments);
#else
        process.start(u"sh"_s, QStringList{u"-c"_s, u"unset QT_QPA_PLATFORM DISPLAY; "_s + script,
                                           u"sh"_s, QStringLiteral(PROGRAM_PATH)} +
                                   arguments);
#endif
        EXPECT_TRUE(process.waitForFinished(20000)) << "killed: " << script.toStdString();
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
    }

    QTemporaryDir folder;
};

TEST_P(ExportFaults, IsRefusedInOneLineLeavingTheFolderAsItWas) {
    const Case& c = GetParam();
#ifdef Q_OS_WIN
    if (!QString::fromUtf8(c.files)
             .remove(QRegularExpression(u"(cp|chmod -w) [^;]*(; )?"_s))
             .isEmpty() ||
        c.sizeLimit) {
        GTEST_SKIP() << "its files are a named pipe, a device or a link, or it needs ulimit, which "
                        "have no Windows form here";
    }
#endif
    const core::Project project{"综合楼", {tests::makeUnit("仓库", core::FireClass::A, 1500)}};
    ASSERT_EQ(io::saveProject(project, folder.filePath(u"p.fep"_s)), std::nullopt);
    ASSERT_EQ(io::saveProject({"空", {}}, folder.filePath(u"empty.fep"_s)), std::nullopt);
    if (*c.files != '\0') {
        ASSERT_EQ(sh(QString::fromUtf8(c.files)).first, 0);
    }
    const QStringList before = tests::folderState(folder.path());
    const auto [status, err] =
        sh(c.sizeLimit ? u"trap '' XFSZ; ulimit -f 2; exec \"$@\""_s : u"exec \"$@\""_s,
           {u"--export"_s, QString::fromUtf8(c.out), QString::fromUtf8(c.project)});
    if (*c.says == '\0') {
        EXPECT_EQ(status, 0) << err.toStdString();
        EXPECT_TRUE(QFileInfo(folder.filePath(QString::fromUtf8(c.out))).isFile());
        return;
    }
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(err.contains(QDir::toNativeSeparators(QString::fromUtf8(c.says))) &&
                err.count(u'\n') == 1)
        << err.toStdString();
    EXPECT_EQ(tests::folderState(folder.path()), before);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Export, ExportFaults, ::testing::Values(
    Case{"pipeAsProject", "mkfifo pipe.fep", "out.pdf", "pipe.fep", "“pipe.fep”：这不是普通文件"},
    Case{"deviceAsProject", "ln -s /dev/zero zero.fep", "out.pdf", "zero.fep", "“zero.fep”：这不是普通文件"},
    Case{"linkToAProjectIsRead", "ln -s p.fep link.fep", "out.pdf", "link.fep", ""},
    Case{"readOnlyBook", "cp p.fep out.pdf; chmod -w out.pdf", "out.pdf", "p.fep", "“out.pdf”：文件是只读的"},
    Case{"readOnlyWorkbook", "cp p.fep out.xlsx; chmod -w out.xlsx", "out.xlsx", "p.fep", "“out.xlsx”：文件是只读的"},
    Case{"linkAsBook", "cp p.fep other; ln -s other out.pdf", "out.pdf", "p.fep", "“out.pdf”：该位置是一个链接"},
    Case{"linkAsWorkbook", "cp p.fep other; ln -s other out.xlsx", "out.xlsx", "p.fep", "“out.xlsx”：该位置是一个链接"},
    Case{"projectAsBook", "cp p.fep out.pdf", "out.pdf", "out.pdf", "“out.pdf”：这就是要导出的工程文件"},
    Case{"linkToProjectAsWorkbook", "ln -s p.fep out.xlsx", "out.xlsx", "p.fep", "“out.xlsx”：这就是要导出的工程文件"},
    Case{"workbookInAMissingFolder", "", "无此/out.xlsx", "p.fep", "无法保存Excel文件“无此/out.xlsx”："},
    Case{"workbookPastASizeLimit", "", "out.xlsx", "p.fep", "无法保存Excel文件“out.xlsx”：", true},
    Case{"bookWithoutUnits", "", "out.pdf", "empty.fep", "工程中没有计算单元。"}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

}  // namespace
