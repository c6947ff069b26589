// The building's outputs: the schedule and bill of materials as exact texts, their clipboard
// copies read back, and the workbook's file handling (its contents are read back by
// check_workbook.py).
#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <vector>

#include "outputs_sample.h"
#include "project_tables.h"
#include "workbook.h"

namespace {

namespace out = ui::outputs;

TEST(ProjectOutputs, ScheduleOfTheSampleBuilding) {
    const QString expected = QStringLiteral(
        "序号\t位置\t计算单元\t火灾种类\t危险等级\t保护面积(m²)\tQ\t设计需配灭火级别\t灭火器型号\t"
        "单具灭火级别\t设置点数\t每点数量(具)\t灭火器数量(具)\t实配灭火级别\t校核\n"
        "1\t一层\t仓库\tA类\t中危险级\t1500\t18A\t20A\tMF/ABC3\t2A\t2\t5\t10\t20A\t满足\n"
        "2\t地下一层\t配电室\tE类\t轻危险级\t500\t434B\t434B\tMF/ABC3\t34B\t1\t13\t13\t442B\t"
        "6.1.2、7.1.3\n"
        "3\t二层\t值班室\tA类\t轻危险级\t150\t2A\t2A\tMY4\t1A\t1\t2\t2\t2A\t满足\n"
        "4\t一层\t金属加工间\tD类\t严重危险级\t300\t\t\t\t\t\t\t\t\t不能配置\n"
        "合计\t\t\t\t\t\t\t\t\t\t\t\t25\t\t\n");
    EXPECT_EQ(out::tableText(out::scheduleRows(tests::outputsSample())), expected);
}

TEST(ProjectOutputs, BillOfMaterialsOfTheSampleBuilding) {
    // The warehouse's and the switch room's MF/ABC3 are one model, whatever class it serves.
    const QString expected = QStringLiteral(
        "序号\t名称\t型号\t规格\t数量\t单位\n"
        "1\t手提式磷酸铵盐干粉灭火器\tMF/ABC3\t3千克\t23\t具\n"
        "2\t手提式1211灭火器\tMY4\t4千克\t2\t具\n");
    EXPECT_EQ(out::tableText(out::materialRows(tests::outputsSample())), expected);
}

TEST(ProjectOutputs, BillOfMaterialsFollowsTheCatalogue) {
    using core::Agent;
    const auto unit = [](Agent agent, const char* model, double area) {
        return core::Unit{"",
                          "",
                          {core::FireClass::B, core::Hazard::Light, core::Factor::K10,
                           core::Building::AboveGround, agent, area},
                          model,
                          std::nullopt};
    };
    core::Project project;
    project.units = {unit(Agent::AmmoniumPhosphatePowder, "MFT/ABC20", 30),
                     unit(Agent::Water, "MS/T3", 30), unit(Agent::CarbonDioxide, "MTT10", 30),
                     unit(Agent::AmmoniumPhosphatePowder, "MF/ABC3", 30),
                     unit(Agent::SodiumBicarbonatePowder, "MF4", 30)};
    std::vector<QString> names;
    for (const QStringList& row : out::materialRows(project)) {
        names.push_back(row.at(1) + u' ' + row.at(2));
    }
    const std::vector<QString> expected = {
        QStringLiteral("名称 型号"),
        QStringLiteral("推车式二氧化碳灭火器 MTT10"),
        QStringLiteral("手提式水型灭火器 MS/T3"),
        QStringLiteral("手提式碳酸氢钠干粉灭火器 MF4"),
        QStringLiteral("手提式磷酸铵盐干粉灭火器 MF/ABC3"),
        QStringLiteral("推车式磷酸铵盐干粉灭火器 MFT/ABC20"),
    };
    EXPECT_EQ(names, expected);
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
        EXPECT_EQ(pasted.html.count(QStringLiteral("<tr>")), copy.lines);
        EXPECT_EQ(pasted.html.count(QStringLiteral("<th>")), copy.cells);
    }
    const Pasted schedule = throughClipboard(out::scheduleMimeData(project));
    EXPECT_TRUE(schedule.text.contains(QStringLiteral("\t仓库 北区 <A&B>\t")));
    EXPECT_TRUE(schedule.text.contains(QStringLiteral("\t地下  一层\t")));
    EXPECT_TRUE(schedule.html.contains(QStringLiteral("<td>仓库 北区 &lt;A&amp;B&gt;</td>")));
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

TEST(ProjectOutputs, WorkbookReplacesTheFileOnlyWhenComplete) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString fileName = folder.filePath(QStringLiteral("配置表.xlsx"));
    const core::Project project = tests::outputsSample();

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
    QFile old(fileName);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
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
        EXPECT_EQ(entries(folder.path()), QStringList{QStringLiteral("配置表.xlsx")});
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
}

TEST(ProjectOutputs, FailedWorkbookNamesTheFileAndLeavesNothing) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("已有文件夹.xlsx")));
    struct Case {
        const char* name;
        QString fileName;
    };
    const Case cases[] = {
        {"folder missing", folder.filePath(QStringLiteral("无此文件夹/配置表.xlsx"))},
        {"a folder by that name", folder.filePath(QStringLiteral("已有文件夹.xlsx"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const out::WriteOutcome outcome = out::writeWorkbook(tests::outputsSample(), c.fileName);
        EXPECT_EQ(outcome.status, out::WriteStatus::Failed);
        EXPECT_TRUE(outcome.error.contains(QDir::toNativeSeparators(c.fileName)))
            << outcome.error.toStdString();
        EXPECT_EQ(entries(folder.path()), QStringList{QStringLiteral("已有文件夹.xlsx")});
        EXPECT_TRUE(entries(folder.filePath(QStringLiteral("已有文件夹.xlsx"))).isEmpty());
    }
}

}  // namespace
