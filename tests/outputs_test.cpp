// The building's outputs: the schedule and bill of materials as exact texts and their copies
// (check_workbook.py reads a workbook back; the command line's tests one that cannot be written).
#include <gtest/gtest.h>

#include <QtGui>

#include "book_pdf.h"
#include "outputs_sample.h"
#include "project_tables.h"
#include "table_clipboard.h"
#include "test_support.h"
#include "unit_choice.h"
#include "workbook.h"

using namespace Qt::StringLiterals;

namespace {

namespace out = documents;
using namespace tests;

TEST(ProjectOutputs, ScheduleOfTheSampleBuilding) {
    const QString expected =
        u"序号\t位置\t计算单元\t火灾种类\t危险等级\t修正系数K\t场所类别\t保护面积(m²)"
        u"\t灭火器类型\tQ\t"
        "设计需配灭火级别\t灭火器型号\t单具灭火级别\t设置点数\t每点数量(具)\t灭火器数量(具)\t"
        "实配灭火级别\t校核\n"
        "1\t一层\t仓库\tA类\t中危险级\t0.9\t地上建筑\t1500\t干粉(磷酸铵盐)\t18A\t20A\tMF/"
        "ABC3\t2A\t2\t"
        "5\t10\t20A\t满足\n"
        "2\t地下一层\t配电室\tE类\t轻危险级\t1.0\t娱乐场所/"
        "地下建筑\t500\t干粉(磷酸铵盐)\t434B\t434B\t"
        "MF/ABC3\t34B\t1\t13\t13\t442B\t不满足 6.1.2、7.1.3\n"
        "3\t二层\t值班室\tA类\t轻危险级\t1.0\t地上建筑\t150\t卤代烷(1211)"
        "\t2A\t2A\tMY4\t1A\t1\t2\t2\t"
        "2A\t满足\n"
        "4\t一层\t金属加工间\tD类\t严重危险级\t1.0\t地上建筑\t300\t干粉(磷酸铵盐)\t\t\t\t\t\t\t\t\t"
        "不能配置\n"
        "合计\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t25\t\t\n"_s;
    EXPECT_EQ(out::tableText(out::scheduleRows(outputsSample())).toStdString(),
              expected.toStdString());
}

// The warehouse's and the switch room's MF/ABC3 are one model, whatever class it serves; the
// models come in the catalogue's order, whatever the units' order.
TEST(ProjectOutputs, BillOfMaterialsCountsEachModelOnceInTheCataloguesOrder) {
    EXPECT_EQ(out::tableText(out::materialRows(outputsSample())),
              u"序号\t名称\t型号\t规格\t数量\t单位\n"
              "1\t手提式磷酸铵盐干粉灭火器\tMF/ABC3\t3千克\t23\t具\n"
              "2\t手提式1211灭火器\tMY4\t4千克\t2\t具\n"_s);

    core::Project project;
    using enum core::Agent;
    for (const auto& [agent, model] : {std::pair{AmmoniumPhosphatePowder, "MFT/ABC20"},
                                       {Water, "MS/T3"},
                                       {CarbonDioxide, "MTT10"},
                                       {AmmoniumPhosphatePowder, "MF/ABC3"},
                                       {SodiumBicarbonatePowder, "MF4"}}) {
        project.units.push_back({"", "", {B, Light, K10, kAbove, agent, 30}, model, {}});
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

// Each copy, as it comes back from the clipboard, holds one value per cell: the names' tabs and
// line breaks are blanks, and the HTML escapes its text.
TEST(ProjectOutputs, CopiesPasteOneValuePerCell) {
    core::Project project = outputsSample();
    project.units[0].name = "仓库\t北区\n<A&B>";
    project.units[1].location = "地下\r\n一层";
    for (auto [data, lines, cells] : {std::tuple{out::scheduleMimeData(project).release(), 6, 18},
                                      {out::materialMimeData(project).release(), 3, 6}}) {
        QGuiApplication::clipboard()->setMimeData(data);
        const QString text = QGuiApplication::clipboard()->mimeData()->text();
        const QString html = QGuiApplication::clipboard()->mimeData()->html();
        ASSERT_TRUE(text.endsWith(u'\n'));
        ASSERT_EQ(text.count(u'\n'), lines);
        EXPECT_EQ(text.count(u'\t'), lines * (cells - 1)) << text.toStdString();
        EXPECT_FALSE(text.contains(u'\r'));
        EXPECT_TRUE(html.contains(u"<th>序号</th>"_s));
        EXPECT_EQ(html.count(u"<tr>"_s), lines);
        EXPECT_EQ(html.count(u"<th>"_s), cells);
    }
    QGuiApplication::clipboard()->setMimeData(out::scheduleMimeData(project).release());
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(u"\t仓库 北区 <A&B>\t"_s));
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(u"\t地下  一层\t"_s));
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->html().contains(
        u"<td>仓库 北区 &lt;A&amp;B&gt;</td>"_s));
}

}  // namespace
