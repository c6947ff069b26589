// The command line's export with awkward files, run as a process.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "project_file.h"
#include "test_support.h"

using namespace Qt::StringLiterals;

namespace {

struct Outcome {
    int status = -1;
    QString err;
};

// Runs the program in `folder`, through `sh -c shell` when given ("$@" holds the program and
// its arguments); a run that does not end in 20 s is killed and fails.
Outcome run(const QString& folder, const QStringList& arguments, const QString& shell = {}) {
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"QT_QPA_PLATFORM"_s);
    environment.remove(u"DISPLAY"_s);
    process.setProcessEnvironment(environment);
    if (shell.isEmpty()) {
        process.start(QStringLiteral(PROGRAM_PATH), arguments);
    } else {
        process.start(u"sh"_s, QStringList{u"-c"_s, shell, u"sh"_s, QStringLiteral(PROGRAM_PATH)} +
                                   arguments);
    }
    if (!process.waitForFinished(20000)) {
        ADD_FAILURE() << "the export did not end";
        process.kill();
        process.waitForFinished();
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

QByteArray contents(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ExportFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        core::Project project{"综合楼", {tests::makeUnit("仓库", core::FireClass::A, 1500)}};
        ASSERT_EQ(io::saveProject(project, path(u"p.fep"_s)), std::nullopt);
    }
    [[nodiscard]] QString path(const QString& name) const { return folder.filePath(name); }
    [[nodiscard]] QStringList files() const {
        return QDir(folder.path())
            .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir folder;
};

// The project is not a plain file: refused by name, at once.
TEST_F(ExportFaults, AProjectThatIsNoPlainFileIsRefused) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(u"pipe.fep"_s)).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(u"/dev/zero"_s, path(u"zero.fep"_s)));
    ASSERT_TRUE(QFile::link(path(u"p.fep"_s), path(u"link.fep"_s)));
    const std::pair<QString, bool> cases[] = {
        {u"pipe.fep"_s, false},
        {u"zero.fep"_s, false},
        {u"/dev/null"_s, false},
        {u"link.fep"_s, true},  // a link to a plain file is read
    };
    for (const auto& [project, read] : cases) {
        SCOPED_TRACE(project.toStdString());
        const Outcome outcome = run(folder.path(), {u"--export"_s, u"out.pdf"_s, project});
        if (read) {
            EXPECT_EQ(outcome.status, 0) << outcome.err.toStdString();
            ASSERT_TRUE(QFile::remove(path(u"out.pdf"_s)));
            continue;
        }
        EXPECT_EQ(outcome.status, 1);
        EXPECT_TRUE(outcome.err.contains(u"“%1”"_s.arg(project)) &&
                    outcome.err.contains(u"不是普通文件"_s))
            << outcome.err.toStdString();
    }
}

struct Target {
    const char* name;
    const char* suffix;
    enum Kind { ReadOnly, Link, TheProject, LinkToTheProject } kind;
    const char* says;
};

class ExportTarget : public ExportFaults, public ::testing::WithParamInterface<Target> {};

// OUT is left as it was, and so is what a link points to.
TEST_P(ExportTarget, IsLeftAsItWas) {
    const Target& target = GetParam();
    const QString out = u"out."_s + QString::fromLatin1(target.suffix);
    const QString other = path(u"other.bin"_s);
    QFile::copy(path(u"p.fep"_s), path(out));  // a project file with the output's suffix
    QString project = u"p.fep"_s;
    switch (target.kind) {
        case Target::ReadOnly:
            ASSERT_TRUE(QFile::setPermissions(path(out), QFile::ReadOwner | QFile::ReadGroup));
            break;
        case Target::Link:
            ASSERT_TRUE(QFile::rename(path(out), other) && QFile::link(other, path(out)));
            break;
        case Target::TheProject:
            project = out;
            break;
        case Target::LinkToTheProject:
            ASSERT_TRUE(QFile::remove(path(out)) && QFile::link(path(u"p.fep"_s), path(out)));
            break;
    }
    const QByteArray before = contents(path(out));
    const QStringList filesBefore = files();
    const Outcome outcome = run(folder.path(), {u"--export"_s, out, project});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(outcome.err.contains(out) && outcome.err.contains(QString::fromUtf8(target.says)))
        << outcome.err.toStdString();
    EXPECT_EQ(contents(path(out)), before);
    EXPECT_EQ(files(), filesBefore);
    EXPECT_EQ(QFileInfo(path(out)).isSymLink(),
              target.kind == Target::Link || target.kind == Target::LinkToTheProject);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(ExportFaults, ExportTarget, ::testing::Values(
    Target{"readOnlyBook", "pdf", Target::ReadOnly, "文件是只读的"},
    Target{"readOnlyWorkbook", "xlsx", Target::ReadOnly, "文件是只读的"},
    Target{"linkAsBook", "pdf", Target::Link, "链接"},
    Target{"linkAsWorkbook", "xlsx", Target::Link, "链接"},
    Target{"projectAsBook", "pdf", Target::TheProject, "这就是要导出的工程文件"},
    Target{"projectAsWorkbook", "xlsx", Target::TheProject, "这就是要导出的工程文件"},
    Target{"linkToProjectAsBook", "pdf", Target::LinkToTheProject, "这就是要导出的工程文件"},
    Target{"linkToProjectAsWorkbook", "xlsx", Target::LinkToTheProject, "这就是要导出的工程文件"}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

// A workbook that cannot be written is told in Chinese, one line, without the library's own.
TEST_F(ExportFaults, AFailedWorkbookSaysSoInChineseAlone) {
    const std::pair<const char*, QString> cases[] = {
        {"missingFolder", {}},
        // Files stop at 1 KiB: the library's own writes fail, as on a full disk.
        {"fileSizeLimit", u"trap '' XFSZ; ulimit -f 2; exec \"$@\""_s},
    };
    for (const auto& [name, shell] : cases) {
        SCOPED_TRACE(name);
        const QString out = shell.isEmpty() ? u"无此文件夹/out.xlsx"_s : u"out.xlsx"_s;
        const Outcome outcome = run(folder.path(), {u"--export"_s, out, u"p.fep"_s}, shell);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_TRUE(outcome.err.startsWith(u"无法保存Excel文件“%1”："_s.arg(out)))
            << outcome.err.toStdString();
        EXPECT_EQ(outcome.err.count(u'\n'), 1) << outcome.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(path(out)));
    }
}

TEST_F(ExportFaults, AProjectWithoutUnitsIsRefusedAsTheWindowRefusesIt) {
    ASSERT_EQ(io::saveProject({"空", {}}, path(u"empty.fep"_s)), std::nullopt);
    for (const QString& out : {u"book.pdf"_s, u"book.xlsx"_s}) {
        const Outcome outcome = run(folder.path(), {u"--export"_s, out, u"empty.fep"_s});
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.err, u"工程中没有计算单元。\n"_s);
        EXPECT_FALSE(QFileInfo::exists(path(out)));
    }
}

}  // namespace
