// The calculation book read back as a plan reviewer reads it: pdftotext for its text, pdfinfo for
// its pages, pdffonts for its faces.
#include <gtest/gtest.h>

#include <QtGui>

#include "book_pdf.h"
#include "book_plan.h"
#include "page_layout.h"
#include "placed_rooms.h"
#include "project_tables.h"
#include "test_support.h"
#include "unit_sheet.h"

namespace {

using namespace Qt::StringLiterals;
using core::FireClass;

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed on "
                      << arguments.join(u' ').toStdString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The pages' texts as pdftotext lays them out.
QStringList pageTexts(const QString& fileName) {
    QStringList pages =
        run(u"pdftotext"_s, {u"-layout"_s, u"-enc"_s, u"UTF-8"_s, fileName, u"-"_s}).split(u'\f');
    pages.removeLast();  // after the last form feed
    return pages;
}

// A page's lines without their runs of spaces, blank ones left out.
QStringList linesOf(const QString& page) {
    QStringList lines;
    for (QString line : page.split(u'\n')) {
        line = line.simplified();
        if (!line.isEmpty()) {
            lines << line;
        }
    }
    return lines;
}

core::Unit unitOf(const char* name, FireClass fireClass, core::Hazard hazard, core::Agent agent,
                  double area, const char* location) {
    core::Unit unit = tests::makeUnit(name, fireClass, area, agent);
    unit.location = location;
    unit.choices.hazard = hazard;
    return unit;
}

// Eight units: every class, a long name, a Latin name, a six-digit area, two units of one name
// on two floors, and a unit that cannot be configured.
core::Project eightUnits() {
    using enum core::Agent;
    using enum core::Hazard;
    core::Project project;
    project.name = "某市第一人民医院门诊医技综合楼及地下车库扩建工程（二期）";
    project.info.number = "2026-S-017";
    project.info.company = "某建筑设计研究院有限公司";
    project.info.calculatedBy = "张三";
    project.info.reviewedBy = "李四";
    project.info.date = std::chrono::year_month_day(std::chrono::year(2026), std::chrono::month(5),
                                                    std::chrono::day(6));
    project.units = {
        unitOf("办公室", FireClass::A, Medium, AmmoniumPhosphatePowder, 1500, "2F"),
        unitOf("办公室", FireClass::A, Light, Water, 820.5, "3F"),
        unitOf("地下车库", FireClass::B, Medium, Foam, 123456.78, "B1"),
        unitOf("燃气表间", FireClass::C, Serious, SodiumBicarbonatePowder, 45, "1F"),
        unitOf("变配电室及柴油发电机房、储油间、消防控制室与弱电机房合用区域（含电缆夹层）",
               FireClass::E, Medium, CarbonDioxide, 650, "B1"),
        unitOf("Laboratory of Electrochemistry and Spectroscopy", FireClass::B, Serious,
               AmmoniumPhosphatePowder, 12345.67, "4F"),
        unitOf("档案室", FireClass::A, Serious, AmmoniumPhosphatePowder, 0, "5F"),
        unitOf("库房", FireClass::A, Medium, Halon1211, 200, "1F"),
    };
    project.units[2].choices.building = core::Building::EntertainmentOrUnderground;
    return project;
}

// The eight units, then twenty offices either side of a corridor on 一层, with the L-shaped hall,
// which its one point falls short of, at its end; on 二层 a corridor 600 m long, too long to read
// on one page; then a unit of every agent of every class, with the longest name.
core::Project plannedBuilding() {
    core::Project project = eightUnits();
    for (int i = 0; i < 20; ++i) {
        const double x = 4.0 * (i % 10) - 40;
        const double y = i < 10 ? 0 : 10;
        project.units.push_back(tests::placedRoom("办公室",
                                                  {{x, y}, {x + 4, y}, {x + 4, y + 8}, {x, y + 8}},
                                                  {{x + 2, y + 4}}, core::Hazard::Medium));
    }
    project.units.push_back(tests::placedRoom("走廊", {{-40, 8}, {0, 8}, {0, 10}, {-40, 10}},
                                              {{-30, 9}, {-10, 9}}, core::Hazard::Medium));
    project.units.push_back(tests::placedL());
    project.units.push_back(tests::grownCorridor(600));
    project.units.back().location = "二层";
    for (const FireClass fireClass : {FireClass::A, FireClass::B, FireClass::C, FireClass::E}) {
        for (const core::Agent agent : core::kAgents) {
            if (core::agentAllowed(fireClass, agent)) {
                project.units.push_back(
                    unitOf("变配电室及柴油发电机房、储油间、消防控制室与弱电机房合用区域",
                           fireClass, core::Hazard::Serious, agent, 4321.5, "地下一层"));
                project.units.back().choices.building = core::Building::EntertainmentOrUnderground;
            }
        }
    }
    return project;
}

// The text without its white space: pdftotext's spacing and line breaks aside.
QString bare(QString text) {
    return text.remove(QRegularExpression(u"\\s+"_s));
}

// "3　地下车库（B1）" as pdftotext gives it, the wide space read as spaces.
QString heading(std::size_t index, const core::Unit& unit) {
    return u"%1 %2（%3）"_s.arg(index + 1).arg(QString::fromStdString(unit.name),
                                               QString::fromStdString(unit.location));
}

class Book : public ::testing::Test {
  protected:
    QString write(const core::Project& project) {
        const QString fileName = folder_.filePath(u"计算书.pdf"_s);
        const documents::WriteOutcome outcome = documents::writeBookPdf(project, fileName);
        EXPECT_TRUE(outcome.written()) << outcome.error.toStdString();
        return fileName;
    }

    QTemporaryDir folder_;
};

TEST_F(Book, PagesAreNumberedAfterTheCoverAndTheContentsPointAtThem) {
    const core::Project project = plannedBuilding();
    const QString fileName = write(project);
    SKIP_UNLESS_PDF_TOOLS_ANSWER();
    const QStringList pages = pageTexts(fileName);

    // The cover has no number, though counted as the first page (as a preview counts it).
    EXPECT_FALSE(pages[0].contains(u"第 "_s));

    for (qsizetype p = 1; p < pages.size(); ++p) {
        const QStringList lines = linesOf(pages[p]);
        ASSERT_FALSE(lines.isEmpty()) << p;
        EXPECT_EQ(lines.back(), u"第 %1 页 共 %2 页"_s.arg(p + 1).arg(pages.size())) << p;
        EXPECT_TRUE(lines.front().startsWith(u"某市第一人民医院"_s) &&
                    lines.front().endsWith(u"灭火器配置计算书"_s))
            << lines.front().toStdString();
    }

    // Each unit starts a page of its own, and fits on it; the contents say where. Every short
    // "label：value" line of a configured unit's single sheet stands on it as it is, but for the
    // title, the date and the basis, which the cover carries, the unit's name, which its heading
    // carries, and N₀'s subscript, set as a smaller 0. The hall's 7.1.3 line is wrapped where
    // pdftotext breaks it (below).
    std::vector<qsizetype> starts;  // the page at whose top each unit's heading stands
    for (qsizetype at = 2; const core::Unit& unit : project.units) {
        const QString wanted = bare(heading(starts.size(), unit));
        while (at < pages.size() &&
               !bare(linesOf(pages[at]).mid(1, 3).join(QString())).contains(wanted)) {
            ++at;
        }
        starts.push_back(at++);
    }
    QStringList contents = linesOf(pages[1]);  // on two pages, without the footer and header
    contents.removeLast();
    contents += linesOf(pages[2]).mid(1);
    const QString listed = bare(contents.join(QString()));
    EXPECT_EQ(contents[1], u"目 录"_s);
    for (std::size_t i = 0; i < starts.size(); ++i) {
        EXPECT_EQ(starts[i], (i == 0 ? pages.size() - std::ssize(starts) : starts[i - 1] + 1)) << i;
        // The entry, over one line or two, ends in its page's number.
        const QString entry = bare(heading(i, project.units[i]));
        EXPECT_TRUE(listed.contains(entry + QString::number(starts[i] + 1) +
                                    (i + 1 < starts.size() ? QString::number(i + 2) : QString())))
            << entry.toStdString() << " " << starts[i];
        const core::UnitDesign d = core::design(project.units[i]);
        if (!d.configured()) {
            continue;  // the sheet's lines of why it cannot be configured are the book's own
        }
        const auto sheet = documents::CalculationSheet::ofProjectUnit(project.units[i], d);
        int checked = 0;
        for (const auto& part : sheet.parts()) {
            const QString line = QString(part.text).replace(u"N₀"_s, u"N0"_s);
            if (part.kind == documents::CalculationSheet::Kind::Line && line.contains(u'：') &&
                line.size() <= 30) {
                EXPECT_TRUE(pages[starts[i]].contains(line)) << i << ": " << line.toStdString();
                ++checked;
            }
        }
        EXPECT_GT(checked, 8) << i;
    }

    // Each floor's plan after the bill of materials: the first's table on a page of its own, the
    // second in nine parts, each with the table beside it; no picture. A unit's points are listed
    // with the pages that show them: the long corridor's on its last two parts.
    const QRegularExpressionMatch parts =
        QRegularExpression(
            u"一、灭火器配置表(\\d+)二、材料表\\d+三、平面布置图(\\d+)一层平面布置图\\2二层平面布置图(\\d+)四、计算单元"_s)
            .match(listed);
    ASSERT_TRUE(parts.hasMatch()) << listed.toStdString();
    const qsizetype schedule = parts.captured(1).toInt() - 1;
    const qsizetype lower = parts.captured(2).toInt() - 1;
    const qsizetype upper = parts.captured(3).toInt() - 1;
    const auto pageNumber = [](qsizetype page) { return QString::number(page + 1); };
    // The texts of each page: the cover's fields, the signatures where given, blank lines where
    // not; the plans with their legends and tables; the points of a unit with their plans' pages.
    const std::pair<qsizetype, QString> shown[] = {
        {0, u"某市第一人民医院门诊医技综合楼及地下车库扩建工 工程编号：2026-S-017"_s},
        {0, u"建筑灭火器配置设计计算书 设计阶段：施工图设计 计算张三 审核李四 2026年5月6日"_s},
        {0,
         u"某建筑设计研究院有限公司 《消防设施通用规范》GB55036-2022，《建筑灭火器配置设计规范》GB50140-2005"_s},
        {schedule, u"一、灭火器配置表"_s},
        {upper, u"二层平面布置图（1/9）"_s},
        {lower - 1, u"二、材料表"_s},
        {starts[29],
         u"7.1.3计算单元内任一点至最近设置点的距离不大于R=15m：最大15.4m，不满足，设置点未覆盖全部平面"_s},
        {lower, u"三、平面布置图一层平面布置图"_s},
        {lower, u"9-1 28-1 29-2 30-1"_s},  // some of the points' numbers
        {lower, u"比例 1:400 手提式灭火器 推车式灭火器 北 "_s + bare(documents::kPlanBasis)},
        {lower + 1, u"30展厅A类严重危险级MF/ABC512合计2344"_s},
        {upper, bare(documents::kPlanBasis)},
        {upper + 8, u"二层平面布置图（9/9）"_s},
        {starts[8], u"设置点：9-1（见平面布置图第%1页）"_s.arg(pageNumber(lower))},
        {starts[30], u"设置点：31-1、31-2、31-3、31-4（见平面布置图第%1、%2页）"_s.arg(
                         pageNumber(upper + 7), pageNumber(upper + 8))},
    };
    for (const auto& [page, text] : shown) {
        for (const QString& part : text.split(u' ')) {
            EXPECT_TRUE(bare(pages[page]).contains(part)) << page << " " << part.toStdString();
        }
    }
    EXPECT_EQ(run(u"pdfimages"_s, {u"-list"_s, fileName}).count(u'\n'), 2);

    // The schedule's and the plans' pages are landscape; all others portrait.
    const QString info =
        run(u"pdfinfo"_s, {u"-f"_s, u"1"_s, u"-l"_s, QString::number(pages.size()), fileName})
            .simplified();
    for (qsizetype p = 0; p < pages.size(); ++p) {
        const bool landscape = (p >= schedule && p < lower - 1) || (p >= lower && p <= upper + 8);
        const QString size = landscape ? u"842 x 595"_s : u"595 x 842"_s;
        EXPECT_TRUE(info.contains(u"Page %1 size: %2"_s.arg(p + 1).arg(size)))
            << p << info.toStdString();
    }

    // Every number of the schedule reads back whole: areas, ratings, counts, K.
    QString scheduleText;
    for (qsizetype p = schedule; p < lower - 1; ++p) {
        scheduleText += pages[p];
        const QStringList lines = linesOf(pages[p]);  // its heading repeated on each page
        EXPECT_EQ(lines.value(1),
                  p == schedule ? u"一、灭火器配置表"_s : u"一、灭火器配置表（续）"_s);
        EXPECT_TRUE(lines.mid(2, 3).join(u' ').contains(u"序号"_s)) << p;
    }
    QSet<QString> tokens;
    for (const QString& token : scheduleText.split(QRegularExpression(u"\\s+"_s))) {
        tokens.insert(token);
    }
    const QRegularExpression number(u"^[0-9][0-9.]*[AB]?$"_s);
    int checked = 0;
    for (const QStringList& row : documents::scheduleRows(project)) {
        for (const QString& cell : row) {
            if (number.match(cell).hasMatch()) {
                EXPECT_TRUE(tokens.contains(cell)) << cell.toStdString();
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 200);
    for (const char* whole : {"123456.78", "12345.67", "152724B", "MF/ABC3", "MP9、"}) {
        EXPECT_TRUE(tokens.contains(QString::fromUtf8(whole))) << whole;
    }
    // 档案室 cannot be configured: its 校核 is set in the warning colour, as is the hall that its
    // point does not cover on its floor's plan.
    EXPECT_TRUE(tokens.contains(u"不能配置"_s));
    for (const qsizetype page : {schedule, lower}) {
        const QString picture = folder_.filePath(u"page"_s);
        run(u"pdftoppm"_s, {u"-f"_s, QString::number(page + 1), u"-l"_s, QString::number(page + 1),
                            u"-r"_s, u"100"_s, u"-png"_s, u"-singlefile"_s, fileName, picture});
        const QImage image(picture + u".png"_s);
        int red = 0;
        for (int i = 0; i < image.width() * image.height(); ++i) {
            const QColor c = image.pixelColor(i % image.width(), i / image.width());
            red += c.red() > 150 && c.green() < 80 && c.blue() < 80 ? 1 : 0;
        }
        EXPECT_GT(red, 20) << page;
        if (const QString folder = qEnvironmentVariable("PREVIEW_PICTURES"); !folder.isEmpty()) {
            image.save(QDir(folder).filePath(u"book-%1.png"_s.arg(page + 1)));
        }
    }

    // Three faces, each embedded, and nothing else: the body's Latin letters and digits in a
    // proportional serif face.
    const QStringList fonts = run(u"pdffonts"_s, {fileName}).split(u'\n', Qt::SkipEmptyParts);
    QStringList families;
    for (const QString& line : fonts.mid(2)) {
        families << line.section(u' ', 0, 0);
        EXPECT_TRUE(line.contains(u"CID TrueType"_s) && line.contains(u" yes "_s))
            << line.toStdString();
    }
    families.sort();
    EXPECT_EQ(families, QStringList({u"DejaVuSerif"_s, u"UMingCN"_s, u"WenQuanYiZenHei"_s}));
}

// Bold only where the face has a bold weight of its own: the Hei faces of the headings have none,
// and a font engine asked for it would thicken their strokes into one another.
TEST(BookFaces, AreBoldOnlyWhereTheFaceHasABoldWeight) {
    QBuffer buffer;
    QPdfWriter writer(&buffer);
    documents::Typesetter typesetter(writer);
    EXPECT_FALSE(typesetter.fontAt(typesetter.font(documents::sansFamilies(), 11, true)).bold());
    if (QFontDatabase::styles(u"DejaVu Serif"_s).contains(u"Bold"_s)) {  // not among Wine's fonts
        EXPECT_TRUE(typesetter.fontAt(typesetter.font({u"DejaVu Serif"_s}, 11, true)).bold());
    }
}

// A combined unit's page says where its S comes from, lists its rooms and the points that stand
// in them rather than in its corridor.
TEST_F(Book, ACombinedUnitsPageSaysItsBasisAndItsRooms) {
    const QString fileName = write(tests::combinedOffices());
    SKIP_UNLESS_PDF_TOOLS_ANSWER();
    const QString text = bare(pageTexts(fileName).join(QString()));
    for (const QString& line : {u"S按房间面积之和计，未含墙体"_s,
                                u"组合单元，含5个房间：办公室1（42m²）、办公室2（42m²）"_s,
                                u"设置点3个，其中1个位于房间内"_s}) {
        EXPECT_TRUE(text.contains(line)) << line.toStdString();
    }
}

// Pages of a small format make every part run over: units go on under "（续）", no paragraph of
// three lines or fewer is split, no line is drawn twice.
TEST_F(Book, RunningOverPagesKeepsHeadingsAndDrawsEachLineOnce) {
    core::Project project = eightUnits();
    for (int i = 0; i < 40; ++i) {
        project.units.push_back(project.units[static_cast<std::size_t>(i % 6)]);
    }
    const QString fileName = folder_.filePath(u"小.pdf"_s);
    {
        QPdfWriter writer(fileName);
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Portrait,
                                         QMarginsF(), QPageLayout::Millimeter));
        QPainter painter(&writer);
        ASSERT_TRUE(documents::paintBook(project, painter, writer));
    }
    SKIP_UNLESS_PDF_TOOLS_ANSWER();
    const QStringList pages = pageTexts(fileName);
    int continued = 0;
    for (qsizetype p = 1; p < pages.size(); ++p) {
        const QStringList lines = linesOf(pages[p]);
        const QString& top = lines.value(1);
        if (top.endsWith(u"（续）"_s) && !top.startsWith(u"一、"_s) && !top.startsWith(u"二、"_s)) {
            ++continued;
            // The unit's heading as on its first page, then more of its sheet.
            EXPECT_TRUE(pages[p - 1].simplified().contains(top.chopped(4)) ||
                        pages[p - 2].simplified().contains(top.chopped(4)))
                << top.toStdString();
        }
        // A line of the page before is not drawn again at the top of this one.
        const QStringList before = linesOf(pages[p - 1]);
        if (before.size() > 2 && lines.size() > 2) {
            EXPECT_NE(before[before.size() - 2], lines[2]) << p;
        }
    }
    EXPECT_GT(continued, 10);
    EXPECT_TRUE(std::any_of(pages.begin(), pages.end(), [](const QString& page) {
        return page.simplified().startsWith(u"合计"_s) || page.contains(u"\n合计"_s);
    }));
}

}  // namespace
