// The program's command line as a user runs it: the book and the workbook written without a
// window, and every bad input refused with a Chinese reason, exit status 1 and no file left.
#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "calculation_sheet.h"
#include "project_file.h"
#include "unit_choice.h"

namespace {

using namespace tests;

struct Outcome {
    int status = -1;
    QString out, err;
};

Outcome run(const QStringList& arguments, const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Without a display: the export needs none, and Qt's notes on it stay quiet.
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PROGRAM_PATH), arguments);
    if (!process.waitForFinished(60000)) {
        ADD_FAILURE() << "the program did not end";
        process.kill();
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QString pdfText(const QString& fileName) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), fileName, QStringLiteral("-")});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

class CommandLine : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        project.name = "综合楼";
        project.units = {
            {"仓库", "一层", kWarehouse.choices(), std::nullopt, std::nullopt},
            {"配电间", "地下一层",
             UnitChoice{FireClass::E, Hazard::Medium, Factor::K10,
                        Building::EntertainmentOrUnderground, Agent::CarbonDioxide, "60"}
                 .choices(),
             std::nullopt, 1},
            {"机房", "二层",
             UnitChoice{FireClass::B, Hazard::Serious, Factor::K05, Building::AboveGround,
                        Agent::Foam, "9876543.21"}
                 .choices(),
             std::nullopt, std::nullopt},
        };
        const auto fault = io::saveProject(project, path(QStringLiteral("b.fep")));
        ASSERT_FALSE(fault) << fault->toStdString();
    }

    [[nodiscard]] QString path(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
    core::Project project;
};

TEST_F(CommandLine, TheBookHoldsEachUnitsSheetLinesAndTheWorkbookIsWritten) {
    const Outcome book =
        run({QStringLiteral("--export"), QStringLiteral("book.pdf"), QStringLiteral("b.fep")},
            folder.path());
    EXPECT_EQ(book.status, 0) << book.err.toStdString();
    EXPECT_EQ(book.err, QString()) << "success is silent";
    const QString text = pdfText(path(QStringLiteral("book.pdf")));
    // Every short "label：value" line of each unit's single sheet stands in the book as it is.
    for (const core::Unit& unit : project.units) {
        const core::UnitDesign design = core::design(unit);
        const QString sheet = ui::CalculationSheet(QString::fromStdString(unit.name),
                                                   QDate::currentDate(), design.conditions.value(),
                                                   design.model, design.configuration.points)
                                  .plainText();
        int checked = 0;
        for (const QString& line : sheet.split(u'\n')) {
            if (line.contains(u'：') && line.size() <= 30) {
                EXPECT_TRUE(text.contains(line)) << unit.name << ": " << line.toStdString();
                ++checked;
            }
        }
        EXPECT_GT(checked, 15) << unit.name;
    }

    const Outcome workbook =
        run({QStringLiteral("--export"), QStringLiteral("book.xlsx"), QStringLiteral("b.fep")},
            folder.path());
    EXPECT_EQ(workbook.status, 0) << workbook.err.toStdString();
    QFile xlsx(path(QStringLiteral("book.xlsx")));
    ASSERT_TRUE(xlsx.open(QIODevice::ReadOnly));
    EXPECT_TRUE(xlsx.read(2) == "PK") << "a workbook is a zip archive";
}

struct BadInput {
    const char* name;
    QStringList arguments;
    const char* says;
};

class CommandLineRefuses : public CommandLine, public ::testing::WithParamInterface<BadInput> {};

TEST_P(CommandLineRefuses, WithStatusOneAndNoFileLeft) {
    QFile bad(path(QStringLiteral("bad.fep")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly) && bad.write("{\"format\": 1") > 0);
    bad.close();
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.pdf")));
    const QStringList before =
        QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);

    const Outcome refused = run(GetParam().arguments, folder.path());
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(QString::fromUtf8(GetParam().says)))
        << refused.err.toStdString();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), before)
        << "no file, partial or whole, is left";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(CommandLine, CommandLineRefuses, ::testing::Values(
    BadInput{"missingProject", {"--export", "out.pdf", "none.fep"}, "none.fep"},
    BadInput{"damagedProject", {"--export", "out.xlsx", "bad.fep"}, "bad.fep"},
    BadInput{"badSuffix", {"--export", "out.docx", "b.fep"}, "扩展名应为 .pdf"},
    BadInput{"unwritableBook", {"--export", "missing/out.pdf", "b.fep"}, "missing/out.pdf"},
    BadInput{"folderInThePlaceOfTheWorkbook", {"--export", "folder.pdf", "b.fep"}, "folder.pdf"},
    BadInput{"noProject", {"--export", "out.pdf"}, "导出需要一个工程文件"},
    BadInput{"unknownOption", {"--exprt", "out.pdf", "b.fep"}, "exprt"}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

TEST_F(CommandLine, HelpAndVersionNeedNoDisplay) {
    const Outcome help = run({QStringLiteral("--help")}, folder.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("--export <OUT>")));
    const Outcome version = run({QStringLiteral("--version")}, folder.path());
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("extinguisher-calculator ")));
}

}  // namespace
