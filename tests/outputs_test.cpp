// The building's outputs: the schedule and bill of materials as exact texts, their clipboard
// copies read back, and the workbook's file handling (its contents are read back by
// check_workbook.py).
#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "book_pdf.h"
#include "outputs_sample.h"
#include "project_tables.h"
#include "table_clipboard.h"
#include "workbook.h"

using namespace Qt::StringLiterals;

namespace {

namespace out = documents;

TEST(ProjectOutputs, ScheduleOfTheSampleBuilding) {
    const QString expected =
        u"序号\t位置\t计算单元\t火灾种类\t危险等级\t保护面积(m²)\tQ\t设计需配灭火级别\t灭火器型号\t"
        "单具灭火级别\t设置点数\t每点数量(具)\t灭火器数量(具)\t实配灭火级别\t校核\n"
        "1\t一层\t仓库\tA类\t中危险级\t1500\t18A\t20A\tMF/ABC3\t2A\t2\t5\t10\t20A\t满足\n"
        "2\t地下一层\t配电室\tE类\t轻危险级\t500\t434B\t434B\tMF/ABC3\t34B\t1\t13\t13\t442B\t"
        "6.1.2、7.1.3\n"
        "3\t二层\t值班室\tA类\t轻危险级\t150\t2A\t2A\tMY4\t1A\t1\t2\t2\t2A\t满足\n"
        "4\t一层\t金属加工间\tD类\t严重危险级\t300\t\t\t\t\t\t\t\t\t不能配置\n"
        "合计\t\t\t\t\t\t\t\t\t\t\t\t25\t\t\n"_s;
    EXPECT_EQ(documents::tableText(out::scheduleRows(tests::outputsSample())), expected);
}

TEST(ProjectOutputs, BillOfMaterialsOfTheSampleBuilding) {
    // The warehouse's and the switch room's MF/ABC3 are one model, whatever class it serves.
    const QString expected =
        u"序号\t名称\t型号\t规格\t数量\t单位\n"
        "1\t手提式磷酸铵盐干粉灭火器\tMF/ABC3\t3千克\t23\t具\n"
        "2\t手提式1211灭火器\tMY4\t4千克\t2\t具\n"_s;
    EXPECT_EQ(documents::tableText(out::materialRows(tests::outputsSample())), expected);
}

TEST(ProjectOutputs, BillOfMaterialsFollowsTheCatalogue) {
    core::Project project;
    for (const auto& [agent, model] : {std::pair{core::Agent::AmmoniumPhosphatePowder, "MFT/ABC20"},
                                       {core::Agent::Water, "MS/T3"},
                                       {core::Agent::CarbonDioxide, "MTT10"},
                                       {core::Agent::AmmoniumPhosphatePowder, "MF/ABC3"},
                                       {core::Agent::SodiumBicarbonatePowder, "MF4"}}) {
        project.units.push_back({"",
                                 "",
                                 {core::FireClass::B, core::Hazard::Light, core::Factor::K10,
                                  core::Building::AboveGround, agent, 30},
                                 model,
                                 {}});
    }
    QStringList names;
    for (const QStringList& row : out::materialRows(project)) {
        names << row.at(1) + u' ' + row.at(2);
    }
    EXPECT_EQ(names, QStringList({u"名称 型号"_s, u"推车式二氧化碳灭火器 MTT10"_s,
                                  u"手提式水型灭火器 MS/T3"_s, u"手提式碳酸氢钠干粉灭火器 MF4"_s,
                                  u"手提式磷酸铵盐干粉灭火器 MF/ABC3"_s,
                                  u"推车式磷酸铵盐干粉灭火器 MFT/ABC20"_s}));
}

// The copy as it comes back from the clipboard.
struct Pasted {
    QString text, html;
};
Pasted throughClipboard(std::unique_ptr<QMimeData> data) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(data.release());
    const QMimeData* back = clipboard->mimeData();
    return {back->text(), back->html()};
}

TEST(ProjectOutputs, CopiesPasteOneValuePerCell) {
    core::Project project = tests::outputsSample();
    project.units[0].name = "仓库\t北区\n<A&B>";
    project.units[1].location = "地下\r\n一层";
    struct Copy {
        const char* name;
        std::unique_ptr<QMimeData> data;
        qsizetype lines, cells;
        const char* firstHeading;
    };
    Copy copies[] = {
        {"schedule", out::scheduleMimeData(project), 6, 15, "<th>序号</th><th>位置</th>"},
        {"materials", out::materialMimeData(project), 3, 6, "<th>序号</th><th>名称</th>"},
    };
    for (Copy& copy : copies) {
        SCOPED_TRACE(copy.name);
        const Pasted pasted = throughClipboard(std::move(copy.data));
        ASSERT_TRUE(pasted.text.endsWith(u'\n'));
        const QStringList lines = pasted.text.chopped(1).split(u'\n');
        ASSERT_EQ(lines.size(), copy.lines);
        for (const QString& line : lines) {
            EXPECT_EQ(line.split(u'\t').size(), copy.cells) << line.toStdString();
            EXPECT_FALSE(line.contains(u'\r'));
        }
        EXPECT_TRUE(pasted.html.contains(QString::fromUtf8(copy.firstHeading)));
        EXPECT_EQ(pasted.html.count(u"<tr>"_s), copy.lines);
        EXPECT_EQ(pasted.html.count(u"<th>"_s), copy.cells);
    }
    const Pasted schedule = throughClipboard(out::scheduleMimeData(project));
    EXPECT_TRUE(schedule.text.contains(u"\t仓库 北区 <A&B>\t"_s));
    EXPECT_TRUE(schedule.text.contains(u"\t地下  一层\t"_s));
    EXPECT_TRUE(schedule.html.contains(u"<td>仓库 北区 &lt;A&amp;B&gt;</td>"_s));
}

// The names in the folder, hidden ones included.
QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QByteArray contents(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The pages of a PDF as pdftotext reads them.
QStringList pdfPages(const QString& fileName) {
    QProcess pdftotext;
    pdftotext.start(u"pdftotext"_s, {fileName, u"-"_s});
    if (!pdftotext.waitForFinished(60000) || pdftotext.exitCode() != 0) {
        return {};
    }
    QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) {
        pages.removeLast();
    }
    return pages;
}

QString stubSheet(const core::Unit& unit, const core::UnitDesign& design) {
    return u"<p>单元计算书：%1</p><p>灭火器 %2 具</p>"_s.arg(QString::fromStdString(unit.name))
        .arg(design.configuration.total);
}

// Each writer replaces the file only when it is complete; cancelled, it leaves the old file.
TEST(ProjectOutputs, WorkbookAndBookReplaceTheFileOnlyWhenComplete) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString fileName = folder.filePath(u"配置表.xlsx"_s);
    const QString book = folder.filePath(u"计算书.pdf"_s);
    const core::Project project = tests::outputsSample();
    for (const QString& old : {fileName, book}) {
        QFile file(old);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("old") == 3);
    }

    struct Case {
        const char* name;
        int cancelAt;  // the step whose report cancels; 0: none
        out::WriteStatus status;
    };
    const Case cases[] = {
        {"cancelled at the first step", 1, out::WriteStatus::Cancelled},
        {"cancelled at the last step", 9, out::WriteStatus::Cancelled},
        {"written", 0, out::WriteStatus::Written},
    };
    const QStringList both = {u"计算书.pdf"_s, u"配置表.xlsx"_s};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::pair<int, int>> reports;
        const out::WriteOutcome outcome =
            out::writeWorkbook(project, fileName, [&](int done, int total) {
                reports.emplace_back(done, total);
                return done != c.cancelAt;
            });
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_TRUE(outcome.error.isEmpty());
        EXPECT_EQ(entries(folder.path()), both);
        // 4 units twice, 2 models and the closing step.
        ASSERT_FALSE(reports.empty());
        for (std::size_t i = 0; i < reports.size(); ++i) {
            EXPECT_EQ(reports[i], std::make_pair(static_cast<int>(i) + 1, 11));
        }
        if (c.status == out::WriteStatus::Written) {
            EXPECT_EQ(reports.back().first, 11);
            EXPECT_TRUE(contents(fileName).startsWith("PK"));
        } else {
            EXPECT_EQ(contents(fileName), "old");
        }
    }
    for (const int cancelAt : {1, 3}) {
        SCOPED_TRACE(cancelAt);
        const out::WriteOutcome outcome = out::writeBookPdf(
            project, book, stubSheet,
            [cancelAt](int done, int total) { return done != cancelAt && total == 5; });
        EXPECT_EQ(outcome.status, out::WriteStatus::Cancelled);
        EXPECT_EQ(entries(folder.path()), both);
        EXPECT_EQ(contents(book), "old");
    }
}

TEST(ProjectOutputs, FailedWorkbookNamesTheFileAndLeavesNothing) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"已有文件夹.xlsx"_s));
    struct Case {
        const char* name;
        QString fileName;
    };
    const Case cases[] = {
        {"folder missing", folder.filePath(u"无此文件夹/配置表.xlsx"_s)},
        {"a folder by that name", folder.filePath(u"已有文件夹.xlsx"_s)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const out::WriteOutcome outcome = out::writeWorkbook(tests::outputsSample(), c.fileName);
        EXPECT_EQ(outcome.status, out::WriteStatus::Failed);
        EXPECT_TRUE(outcome.error.contains(QDir::toNativeSeparators(c.fileName)))
            << outcome.error.toStdString();
        EXPECT_EQ(entries(folder.path()), QStringList{u"已有文件夹.xlsx"_s});
        EXPECT_TRUE(entries(folder.filePath(u"已有文件夹.xlsx"_s)).isEmpty());
    }
}

TEST(ProjectOutputs, BookRepeatsHeadingsAndStartsEachUnitOnAPage) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString fileName = folder.filePath(u"计算书.pdf"_s);
    // Enough units for the schedule to run over a page.
    core::Project project = tests::outputsSample();
    const core::Unit warehouse = project.units[0];
    for (int i = 5; i <= 80; ++i) {
        core::Unit unit = warehouse;
        unit.name = "库房" + std::to_string(i);
        project.units.push_back(unit);
    }
    const std::size_t units = project.units.size();
    const out::WriteOutcome outcome = out::writeBookPdf(project, fileName, stubSheet);
    ASSERT_TRUE(outcome.written()) << outcome.error.toStdString();

    const QStringList pages = pdfPages(fileName);
    ASSERT_GT(pages.size(), static_cast<qsizetype>(units + 1));
    // Line breaks fall where the page's width puts them: compared without blanks.
    const auto squeezed = [](QString text) { return text.remove(QRegularExpression(u"\\s"_s)); };
    const QString title = squeezed(pages[0]);
    EXPECT_TRUE(title.startsWith(squeezed(u"灭火器配置计算书 工程名称：综合楼 日期："_s)))
        << title.toStdString();
    EXPECT_TRUE(title.contains(squeezed(
        u"依据：《消防设施通用规范》GB 55036-2022，《建筑灭火器配置设计规范》GB 50140-2005 "
        "一、灭火器配置表"_s)));
    // The tables' pages, before the units' own: each starts its table with the heading row.
    const qsizetype tablePages = pages.size() - static_cast<qsizetype>(units);
    for (qsizetype p = 0; p < tablePages; ++p) {
        SCOPED_TRACE(p);
        EXPECT_TRUE(pages[p].contains(u"序号"_s));
        EXPECT_FALSE(pages[p].contains(u"单元计算书"_s));
    }
    EXPECT_TRUE(pages[tablePages - 1].contains(u"手提式磷酸铵盐干粉灭火器"_s));
    for (std::size_t i = 0; i < units; ++i) {
        const QString& page = pages[tablePages + static_cast<qsizetype>(i)];
        SCOPED_TRACE(page.toStdString());
        if (project.units[i].choices.fireClass == core::FireClass::D) {
            EXPECT_TRUE(page.contains(u"D类火灾场所"_s));
        } else {
            EXPECT_TRUE(page.trimmed().startsWith(u"单元计算书："_s +
                                                  QString::fromStdString(project.units[i].name)));
        }
    }
}

}  // namespace
