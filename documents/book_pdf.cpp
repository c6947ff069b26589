// The calculation book composed on laid-out pages: the cover, the contents, the schedule and the
// bill of materials as tables, then each unit's sheet from its own page.
#include "book_pdf.h"

#include <QDate>
#include <QDir>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "book_plan.h"
#include "file_commit.h"
#include "file_errors.h"
#include "floor_layout.h"
#include "page_layout.h"
#include "project_tables.h"
#include "schedule_columns.h"
#include "unit_sheet.h"
#include "unit_texts.h"

namespace documents {

namespace {

constexpr int kResolution = 300;  // dots per inch of the page

// The targets of the contents: the schedule, the bill of materials, then each floor's plan, then
// each unit.
constexpr int kScheduleTarget = 0;
constexpr int kMaterialsTarget = 1;
constexpr int kFirstFloorTarget = 2;

// Where the schedule's headings may break: between the word groups of each.
QString brokenHeading(const QString& heading) {
    static const QHash<QString, QString> broken{
        {QStringLiteral("计算单元"), QStringLiteral("计算\n单元")},
        {QStringLiteral("火灾种类"), QStringLiteral("火灾\n种类")},
        {QStringLiteral("危险等级"), QStringLiteral("危险\n等级")},
        {QStringLiteral("修正系数K"), QStringLiteral("修正\n系数K")},
        {QStringLiteral("场所类别"), QStringLiteral("场所\n类别")},
        {QStringLiteral("保护面积(m²)"), QStringLiteral("保护面积\n(m²)")},
        {QStringLiteral("灭火器类型"), QStringLiteral("灭火器\n类型")},
        {QStringLiteral("设计需配灭火级别"), QStringLiteral("设计需配\n灭火级别")},
        {QStringLiteral("灭火器型号"), QStringLiteral("灭火器\n型号")},
        {QStringLiteral("单具灭火级别"), QStringLiteral("单具\n灭火级别")},
        {QStringLiteral("设置点数"), QStringLiteral("设置\n点数")},
        {QStringLiteral("每点数量(具)"), QStringLiteral("每点\n数量(具)")},
        {QStringLiteral("灭火器数量(具)"), QStringLiteral("灭火器\n数量(具)")},
        {QStringLiteral("实配灭火级别"), QStringLiteral("实配\n灭火级别")},
        {QStringLiteral("满足最低配置基准"), QStringLiteral("满足最低\n配置基准")},
    };
    return broken.value(heading, heading);
}

bool isHan(QChar c) {
    return c.script() == QChar::Script_Han;
}

// Where a value may break when its column is narrow: after the 、 of a list ("MP9、MP/AR9",
// "6.1.2、7.1.3"), before the bracket of an agent's kind ("干粉(磷酸铵盐)") and after the slash
// between two words ("娱乐场所/地下建筑"). A model code or a number never breaks.
QString withBreaks(const QString& value) {
    QString out;
    out.reserve(value.size() + 4);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (i > 0 && (c == u'(' || c == u'（') && isHan(value[i - 1])) {
            out += u'\n';
        }
        out += c;
        if (i + 1 < value.size() &&
            (c == u'、' || (c == u'/' && i > 0 && isHan(value[i - 1]) && isHan(value[i + 1])))) {
            out += u'\n';
        }
    }
    return out;
}

// The rows with the headings' and the values' places to break marked.
std::vector<QStringList> withBreaks(std::vector<QStringList> rows,
                                    const std::vector<ColumnKind>& kinds) {
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (qsizetype c = 0; c < rows[r].size(); ++c) {
            QString& cell = rows[r][c];
            if (r == 0) {
                cell = brokenHeading(cell);
            } else if (std::cmp_less(c, kinds.size()) &&
                       kinds[static_cast<std::size_t>(c)] == ColumnKind::Value) {
                cell = withBreaks(cell);
            }
        }
    }
    return rows;
}

QDate bookDate(const core::ProjectInfo& info) {
    if (!info.date) {
        return QDate::currentDate();
    }
    const std::chrono::year_month_day& d = *info.date;
    return {static_cast<int>(d.year()), static_cast<int>(static_cast<unsigned>(d.month())),
            static_cast<int>(static_cast<unsigned>(d.day()))};
}

QString dateText(const QDate& date) {
    return date.toString(QStringLiteral("yyyy年M月d日"));
}

// "3　地下车库（B1）": the unit's number, name and location.
QString unitTitle(std::size_t index, const core::Unit& unit) {
    QString title = QString::number(index + 1) + QChar(0x3000) + qs(unit.name);
    if (!unit.location.empty()) {
        title += QStringLiteral("（%1）").arg(qs(unit.location));
    }
    return title;
}

// "一层平面布置图": the heading of a floor's plan and its entry in the contents.
QString planTitle(const core::FloorLayout& floor) {
    return qs(floor.floor) + QStringLiteral("平面布置图");
}

// The units' part follows the floor plans where there are any.
QString unitsCaption(bool afterPlans) {
    return afterPlans ? QStringLiteral("四、计算单元") : QStringLiteral("三、计算单元");
}

// A paragraph broken into lines.
struct Paragraph {
    QStringList lines;
    std::uint16_t font = 0;
    double lineHeight = 0;
    double spaceBefore = 0;
    double spaceAfter = 0;
    bool warning = false;
    bool keepWithNext = false;  // a heading: never the last thing on a page
    bool centred = false;
    QString beside;  // of a one-line paragraph, a second line in the right half of the line

    [[nodiscard]] double height() const {
        return spaceBefore + static_cast<double>(lines.size()) * lineHeight + spaceAfter;
    }
};

// The table's rows in two halves side by side, each under the headings: for a table that would
// otherwise push a unit's sheet onto a second page.
std::vector<QStringList> sideBySide(const std::vector<QStringList>& rows) {
    const std::size_t data = rows.size() - 1;
    const std::size_t half = (data + 1) / 2;
    std::vector<QStringList> paired{rows.front() + rows.front()};
    for (std::size_t i = 1; i <= half; ++i) {
        QStringList row = rows[i];
        if (i + half < rows.size()) {
            row += rows[i + half];
        } else {
            row += QStringList(rows.front().size());
        }
        paired.push_back(row);
    }
    return paired;
}

// A unit's sheet as paragraphs and tables in order: at each place one or the other.
struct Blocks {
    std::vector<Paragraph> paragraphs;
    std::vector<std::optional<TableLayout>> tables;

    void add(Paragraph p) {
        paragraphs.push_back(std::move(p));
        tables.emplace_back();
    }
    void add(TableLayout table) {
        paragraphs.emplace_back();
        tables.emplace_back(std::move(table));
    }
    [[nodiscard]] double height() const {
        double height = 0;
        for (std::size_t i = 0; i < paragraphs.size(); ++i) {
            if (tables[i]) {
                for (const TableLayout::Row& row : tables[i]->rows) {
                    height += row.height;
                }
            } else {
                height += paragraphs[i].height();
            }
        }
        return height;
    }
};

// The book's pages, laid out one after the other.
class BookComposer {
  public:
    BookComposer(const core::Project& project, Typesetter& typesetter)
        : project_(project),
          typesetter_(typesetter),
          body_(typesetter.font(serifFamilies(), 10.5)),
          heading_(typesetter.font(sansFamilies(), 11, true)),
          caption_(typesetter.font(sansFamilies(), 12, true)),
          unitHeading_(typesetter.font(sansFamilies(), 14, true)),
          floors_(core::floorLayouts(project)),
          targets_(kFirstFloorTarget + floors_.size() + project.units.size(), -1) {}

    [[nodiscard]] std::vector<LaidOutPage>& pages() { return pages_; }
    [[nodiscard]] const std::vector<int>& targets() const { return targets_; }

    void cover(const QDate& date);
    void contents();
    void schedule(std::span<const core::UnitDesign> designs);
    void materials(std::span<const core::UnitDesign> designs);
    void plans(std::span<const core::UnitDesign> designs);
    void unit(std::size_t index, const core::UnitDesign& design);

  private:
    [[nodiscard]] std::size_t firstUnitTarget() const { return kFirstFloorTarget + floors_.size(); }
    // "设置点：3-1、3-2（见平面布置图 第 5 页）" of a unit with setting points; empty without.
    [[nodiscard]] QString pointsLine(std::size_t index) const;
    // A table of its own pages under its caption, repeated with "（续）" on each further page.
    // `warnings` marks the cells set in the warning colour, row for row.
    void tablePart(QPageLayout::Orientation orientation, int target, const QString& caption,
                   const std::vector<QStringList>& rows, const std::vector<ColumnKind>& kinds,
                   const std::vector<std::vector<char>>& warnings = {});
    [[nodiscard]] Blocks sheetBlocks(const CalculationSheet& sheet, double spacing, bool halves,
                                     const QString& points) const;
    [[nodiscard]] const QRectF& body() const {
        return typesetter_.frame(pages_.back().orientation).body;
    }
    [[nodiscard]] bool atTop() const { return y_ <= body().top(); }
    [[nodiscard]] double room() const { return body().bottom() - y_; }

    void newPage(QPageLayout::Orientation orientation, int owner, bool numbered = true) {
        pages_.push_back({orientation, numbered, owner, {}, {}, {}});
        y_ = body().top();
    }
    // A page continuing the one before, under the heading that `continued_` sets.
    void continuePage() {
        const LaidOutPage& last = pages_.back();
        newPage(last.orientation, last.owner);
        if (continued_) {
            continued_();
        }
    }

    [[nodiscard]] Paragraph paragraph(const QString& text, std::uint16_t font,
                                      double spacing = 1.35) const {
        Paragraph p;
        p.font = font;
        p.lineHeight = typesetter_.lineHeight(font, spacing);
        p.lines = typesetter_.wrap(text, font, body().width());
        return p;
    }
    // A heading, set closer to the text of a sheet whose lines are closer together.
    [[nodiscard]] Paragraph headingParagraph(const QString& text, std::uint16_t font,
                                             double spacing = 1.35) const {
        Paragraph p = paragraph(text, font, spacing + 0.15);
        p.spaceBefore = typesetter_.mm(spacing > 1.3 ? 1.5 : 0.5);
        p.keepWithNext = true;
        return p;
    }
    // The height a paragraph needs on a page before it may start there: all of one of up to
    // three lines, else two lines.
    [[nodiscard]] static double leastHeight(const Paragraph& p) {
        const auto lines = static_cast<double>(p.lines.size() <= 3 ? p.lines.size() : 2);
        return lines * p.lineHeight;
    }
    void placeLine(const Paragraph& p, const QString& line) {
        const QFontMetricsF& metrics = typesetter_.metrics(p.font);
        const double baseline = y_ + (p.lineHeight - metrics.height()) / 2 + metrics.ascent();
        double x = body().left();
        if (p.centred) {
            x += (body().width() - typesetter_.advance(line, p.font)) / 2;
        }
        typesetter_.place(pages_.back(), QPointF(x, baseline), line, p.font, p.warning);
        if (!p.beside.isEmpty()) {
            typesetter_.place(pages_.back(), QPointF(x + body().width() / 2, baseline), p.beside,
                              p.font, p.warning);
        }
        y_ += p.lineHeight;
    }
    // Places the paragraph, `after` the height that must follow it on the same page.
    void place(const Paragraph& p, double after = 0);
    void place(const TableLayout& table);

    const core::Project& project_;
    Typesetter& typesetter_;
    std::uint16_t body_;
    std::uint16_t heading_;
    std::uint16_t caption_;
    std::uint16_t unitHeading_;
    std::vector<core::FloorLayout> floors_;
    std::vector<std::shared_ptr<const FloorPlan>> plans_;  // of each floor
    std::vector<std::vector<std::size_t>> planPages_;      // of each floor, its parts' pages
    std::vector<LaidOutPage> pages_;
    std::vector<int> targets_;
    double y_ = 0;
    std::function<void()> continued_;
};

void BookComposer::place(const Paragraph& p, double after) {
    if (!atTop()) {
        y_ += p.spaceBefore;
    }
    if (room() < leastHeight(p) + after && !atTop()) {
        continuePage();
    }
    qsizetype i = 0;
    const auto n = p.lines.size();
    while (i < n) {
        const auto fitting = static_cast<qsizetype>(std::floor(room() / p.lineHeight + 1e-6));
        if (n - i <= fitting) {
            for (; i < n; ++i) {
                placeLine(p, p.lines[i]);
            }
            break;
        }
        // A long paragraph breaks with at least two lines on either side of the break.
        qsizetype take = std::min(fitting, n - i - 2);
        if (take < 2) {
            if (!atTop()) {
                continuePage();
                continue;
            }
            take = std::max<qsizetype>(1, fitting);  // a page too short for the rule
        }
        for (const qsizetype end = i + take; i < end; ++i) {
            placeLine(p, p.lines[i]);
        }
        continuePage();
    }
    y_ += p.spaceAfter;
}

void BookComposer::place(const TableLayout& table) {
    const double left = body().left() + (body().width() - table.width()) / 2;
    const double first =
        table.rows.front().height + (table.rows.size() > 1 ? table.rows[1].height : 0);
    if (room() < first && !atTop()) {
        continuePage();
    }
    placeRow(typesetter_, pages_.back(), table, 0, QPointF(left, y_));
    y_ += table.rows.front().height;
    for (std::size_t r = 1; r < table.rows.size(); ++r) {
        const double height = table.rows[r].height;
        if (room() < height) {
            continuePage();
            placeRow(typesetter_, pages_.back(), table, 0, QPointF(left, y_));
            y_ += table.rows.front().height;
        }
        placeRow(typesetter_, pages_.back(), table, r, QPointF(left, y_));
        y_ += height;
    }
}

void BookComposer::cover(const QDate& date) {
    newPage(QPageLayout::Portrait, -1, false);
    const core::ProjectInfo& info = project_.info;
    const PageFrame& frame = typesetter_.frame(QPageLayout::Portrait);
    const QRectF& area = frame.body;
    const auto centred = [&](const QString& text, std::uint16_t font, double spacing = 1.5) {
        Paragraph p = paragraph(text, font, spacing);
        p.centred = true;
        for (const QString& line : p.lines) {
            placeLine(p, line);
        }
    };
    const std::uint16_t name = typesetter_.font(sansFamilies(), 20, true);
    const std::uint16_t title = typesetter_.font(sansFamilies(), 24, true);
    const std::uint16_t field = typesetter_.font(serifFamilies(), 14);
    const std::uint16_t basis = typesetter_.font(serifFamilies(), 10.5);

    y_ = area.top() + area.height() * 0.12;
    centred(qs(project_.name), name);
    if (!info.number.empty()) {
        y_ += typesetter_.mm(3);
        centred(QStringLiteral("工程编号：") + qs(info.number), field);
    }
    y_ = std::max(y_ + typesetter_.mm(12), area.top() + area.height() * 0.3);
    centred(QStringLiteral("建筑灭火器配置设计计算书"), title);
    if (!info.stage.empty()) {
        y_ += typesetter_.mm(4);
        centred(QStringLiteral("设计阶段：") + qs(info.stage), field);
    }

    // The signature block: a line to sign on for each role, the name on it where given.
    y_ = std::max(y_ + typesetter_.mm(15), area.top() + area.height() * 0.47);
    const std::pair<QString, const std::string*> roles[] = {
        {QStringLiteral("计　　算"), &info.calculatedBy},
        {QStringLiteral("校　　对"), &info.checkedBy},
        {QStringLiteral("审　　核"), &info.reviewedBy},
        {QStringLiteral("审　　定"), &info.approvedBy},
    };
    const double labelRight = area.center().x() - typesetter_.mm(12);
    const double lineLeft = area.center().x() - typesetter_.mm(8);
    const double lineRight = area.center().x() + typesetter_.mm(52);
    const QFontMetricsF& metrics = typesetter_.metrics(field);
    for (const auto& [role, person] : roles) {
        const double baseline = y_ + typesetter_.mm(8);
        LaidOutPage& page = pages_.back();
        page.runs.push_back({QPointF(labelRight, baseline), role, field, true, false, -1});
        page.rules.emplace_back(lineLeft, baseline + metrics.descent(), lineRight,
                                baseline + metrics.descent());
        // A name too long for the line is set smaller, and wraps upwards above it.
        const double width = lineRight - lineLeft - typesetter_.mm(4);
        std::uint16_t font = field;
        if (typesetter_.advance(qs(*person), font) > width) {
            font = typesetter_.font(serifFamilies(), 9);
        }
        const QStringList lines = typesetter_.wrap(qs(*person), font, width);
        double lineBaseline =
            baseline - static_cast<double>(lines.size() - 1) * typesetter_.lineHeight(font, 1.2);
        for (const QString& line : lines) {
            const double x =
                lineLeft + (lineRight - lineLeft - typesetter_.advance(line, font)) / 2;
            typesetter_.place(page, QPointF(x, lineBaseline), line, font);
            lineBaseline += typesetter_.lineHeight(font, 1.2);
        }
        y_ += typesetter_.mm(12);
    }

    y_ = std::max(y_ + typesetter_.mm(12), area.top() + area.height() * 0.76);
    if (!info.company.empty()) {
        centred(qs(info.company), field);
    }
    centred(dateText(date), field);
    y_ = std::max(y_ + typesetter_.mm(6), area.bottom() - typesetter_.lineHeight(basis, 1.5) * 2);
    // The codes' names keep their numbers on their line.
    centred(QStringLiteral("依据：") + QString(kBasis).replace(u' ', QChar::Nbsp), basis);
}

void BookComposer::contents() {
    newPage(QPageLayout::Portrait, -1);
    Paragraph title =
        paragraph(QStringLiteral("目　　录"), typesetter_.font(sansFamilies(), 16, true), 2);
    title.centred = true;
    title.spaceAfter = typesetter_.mm(4);
    place(title);
    continued_ = {};
    const double numberWidth = typesetter_.mm(18);
    double indent = 0;
    const auto entry = [&](const QString& text, int target) {
        Paragraph p;
        p.font = body_;
        p.lineHeight = typesetter_.lineHeight(body_, 1.6);
        p.lines = typesetter_.wrap(text, body_, body().width() - indent - numberWidth);
        if (room() < static_cast<double>(p.lines.size()) * p.lineHeight) {
            continuePage();
        }
        const QFontMetricsF& metrics = typesetter_.metrics(body_);
        for (const QString& line : p.lines) {
            const double baseline = y_ + (p.lineHeight - metrics.height()) / 2 + metrics.ascent();
            typesetter_.place(pages_.back(), QPointF(body().left() + indent, baseline), line,
                              body_);
            y_ += p.lineHeight;
        }
        if (target >= 0) {
            const double baseline =
                y_ - p.lineHeight + (p.lineHeight - metrics.height()) / 2 + metrics.ascent();
            pages_.back().runs.push_back(
                {QPointF(body().right(), baseline), {}, body_, true, false, target});
        }
    };
    entry(QStringLiteral("一、灭火器配置表"), kScheduleTarget);
    entry(QStringLiteral("二、材料表"), kMaterialsTarget);
    const double sub = typesetter_.advance(QStringLiteral("三、"), body_);
    if (!floors_.empty()) {
        entry(QStringLiteral("三、平面布置图"), kFirstFloorTarget);
        indent = sub;
        for (std::size_t f = 0; f < floors_.size(); ++f) {
            entry(planTitle(floors_[f]), kFirstFloorTarget + static_cast<int>(f));
        }
        indent = 0;
    }
    const auto first = static_cast<int>(firstUnitTarget());
    if (!project_.units.empty()) {
        entry(unitsCaption(!floors_.empty()), first);
    }
    indent = sub;
    for (std::size_t i = 0; i < project_.units.size(); ++i) {
        entry(unitTitle(i, project_.units[i]), first + static_cast<int>(i));
    }
}

void BookComposer::tablePart(QPageLayout::Orientation orientation, int target,
                             const QString& caption, const std::vector<QStringList>& rows,
                             const std::vector<ColumnKind>& kinds,
                             const std::vector<std::vector<char>>& warnings) {
    newPage(orientation, -1);
    if (target >= 0) {
        targets_[static_cast<std::size_t>(target)] = static_cast<int>(pages_.size() - 1);
    }
    place(headingParagraph(caption, caption_));
    continued_ = [this, caption] {
        place(headingParagraph(caption + QStringLiteral("（续）"), caption_));
    };
    TableLayout table = layOutTable(typesetter_, withBreaks(rows, kinds), kinds, body().width(), 9);
    for (std::size_t r = 0; r < warnings.size() && r < table.rows.size(); ++r) {
        table.rows[r].warnings = warnings[r];
    }
    place(table);
    continued_ = {};
}

void BookComposer::schedule(std::span<const core::UnitDesign> designs) {
    std::vector<ColumnKind> kinds;
    for (const ScheduleColumn& column : kScheduleColumns) {
        if (shownInBook(column)) {
            kinds.push_back(column.kind);
        }
    }
    // 校核, the last column, in the warning colour where a unit fails it.
    std::vector<std::vector<char>> warnings(1);
    for (const core::UnitDesign& d : designs) {
        warnings.emplace_back(kinds.size(), 0);
        warnings.back().back() = failsCheck(d) ? 1 : 0;
    }
    tablePart(QPageLayout::Landscape, kScheduleTarget, QStringLiteral("一、灭火器配置表"),
              scheduleRows(project_, designs), kinds, warnings);
}

void BookComposer::materials(std::span<const core::UnitDesign> designs) {
    using enum ColumnKind;
    tablePart(QPageLayout::Portrait, kMaterialsTarget, QStringLiteral("二、材料表"),
              materialRows(documents::materials(project_, designs)),
              {Value, Text, Value, Value, Value, Value});
}

void BookComposer::plans(std::span<const core::UnitDesign> designs) {
    if (floors_.empty()) {
        return;
    }
    const QRectF& area = typesetter_.frame(QPageLayout::Landscape).body;
    const Paragraph caption = headingParagraph(QStringLiteral("三、平面布置图"), caption_);
    // Every part's frame is at least this large: under the part's and the floor's headings, beside
    // the legend.
    const double legendWidth = typesetter_.mm(kPlanLegendMm);
    const double besideWidth = legendWidth + typesetter_.mm(kPlanGapMm);
    const QSizeF least(area.width() - besideWidth,
                       area.height() - 2 * caption.height() - typesetter_.mm(2));
    const std::uint16_t basisFont = typesetter_.font(sansFamilies(), 9);
    const double basisHeight = typesetter_.lineHeight(basisFont, 1.6);
    for (std::size_t f = 0; f < floors_.size(); ++f) {
        const auto plan =
            std::make_shared<const FloorPlan>(project_, designs, floors_[f], typesetter_, least);
        plans_.push_back(plan);
        std::vector<std::size_t>& pages = planPages_.emplace_back();
        const std::vector<QStringList> rows = floorTableRows(project_, designs, floors_[f]);
        const TableLayout table = layOutTable(typesetter_, withBreaks(rows, floorTableKinds()),
                                              floorTableKinds(), legendWidth, 7.5);
        double tableHeight = 0;
        for (const TableLayout::Row& row : table.rows) {
            tableHeight += row.height;
        }
        const QString title = planTitle(floors_[f]);
        bool beside = true;
        for (std::size_t part = 0; part < plan->parts(); ++part) {
            newPage(QPageLayout::Landscape, -1);
            pages.push_back(pages_.size() - 1);
            continued_ = {};
            if (part == 0) {
                targets_[kFirstFloorTarget + f] = static_cast<int>(pages_.size() - 1);
                if (f == 0) {
                    place(caption);
                }
            }
            place(headingParagraph(
                plan->parts() > 1
                    ? QStringLiteral("%1（%2/%3）").arg(title).arg(part + 1).arg(plan->parts())
                    : title,
                caption_));
            const double top = y_ + typesetter_.mm(2);
            const QRectF frame(body().left(), top, body().width() - besideWidth,
                               body().bottom() - top);
            const QRectF legend(body().right() - legendWidth, top, legendWidth, frame.height());
            pages_.back().drawing = [plan, part, frame, legend](QPainter& painter) {
                plan->paint(painter, part, frame);
                plan->paintLegend(painter, part, legend);
            };
            // The floor's table under the legend where it fits, else on pages of its own after
            // the plan; the basis under it.
            double y = top + plan->legendHeight();
            beside = tableHeight + 2 * basisHeight <= legend.bottom() - y;
            if (beside) {
                for (std::size_t r = 0; r < table.rows.size(); ++r) {
                    placeRow(typesetter_, pages_.back(), table, r, QPointF(legend.left(), y));
                    y += table.rows[r].height;
                }
            } else {
                y += basisHeight;
                typesetter_.place(pages_.back(), QPointF(legend.left(), y),
                                  QStringLiteral("本层灭火器配置见第 %1 页")
                                      .arg(pages_.size() + plan->parts() - part),
                                  basisFont);
            }
            typesetter_.place(pages_.back(), QPointF(legend.left(), y + basisHeight), kPlanBasis,
                              basisFont);
        }
        if (!beside) {
            tablePart(QPageLayout::Landscape, -1, title + QStringLiteral("　灭火器配置"), rows,
                      floorTableKinds());
        }
    }
}

QString BookComposer::pointsLine(std::size_t index) const {
    const core::Unit& unit = project_.units[index];
    const auto floor = std::ranges::find_if(floors_, [index](const core::FloorLayout& f) {
        return std::ranges::find(f.units, index) != f.units.end();
    });
    if (unit.setPoints.empty() || floor == floors_.end() || plans_.empty()) {
        return {};
    }
    const auto f = static_cast<std::size_t>(floor - floors_.begin());
    QStringList numbers;
    std::set<std::size_t> pages;
    for (std::size_t i = 0; i < unit.setPoints.size(); ++i) {
        numbers << QString::fromStdString(core::pointNumber(index, i));
        pages.insert(planPages_[f][plans_[f]->partOf(unit.setPoints[i])] + 1);
    }
    QStringList pageNumbers;
    for (const std::size_t page : pages) {
        pageNumbers << QString::number(page);
    }
    return QStringLiteral("设置点：%1（见平面布置图 第 %2 页）")
        .arg(numbers.join(u'、'), pageNumbers.join(u'、'));
}

Blocks BookComposer::sheetBlocks(const CalculationSheet& sheet, double spacing, bool halves,
                                 const QString& points) const {
    Blocks blocks;
    // The conditions' short lines go two to a line, before their long ones.
    const double half = body().width() / 2 - typesetter_.mm(2);
    int headings = 0;
    QStringList shortLines;
    QStringList longLines;
    const auto flush = [&] {
        for (qsizetype i = 0; i < shortLines.size(); i += 2) {
            Paragraph p = paragraph(shortLines[i], body_, spacing);
            if (i + 1 < shortLines.size()) {
                p.beside = shortLines[i + 1];
            }
            blocks.add(std::move(p));
        }
        for (const QString& line : longLines) {
            blocks.add(paragraph(line, body_, spacing));
        }
        shortLines.clear();
        longLines.clear();
    };
    for (const CalculationSheet::Part& part : sheet.parts()) {
        using enum CalculationSheet::Kind;
        if (part.kind == Line && headings == 1) {
            (typesetter_.advance(part.text, body_) <= half ? shortLines : longLines) << part.text;
            continue;
        }
        flush();
        switch (part.kind) {
            case Title:
            case Preamble:
                break;
            case Heading:
                ++headings;
                blocks.add(headingParagraph(part.text, heading_, spacing));
                break;
            case Line:
            case Breach: {
                Paragraph p = paragraph(part.text, body_, spacing);
                p.warning = part.kind == Breach;
                blocks.add(std::move(p));
                // The points' numbers under their number.
                if (!points.isEmpty() && part.text.startsWith(QStringLiteral("设置点数 N："))) {
                    blocks.add(paragraph(points, body_, spacing));
                }
                break;
            }
            case Table: {
                const std::vector<ColumnKind> kinds(5, ColumnKind::Value);
                const std::vector<QStringList> rows = withBreaks(part.rows, kinds);
                if (halves && rows.size() > 4) {
                    const std::vector<ColumnKind> doubled(10, ColumnKind::Value);
                    blocks.add(
                        layOutTable(typesetter_, sideBySide(rows), doubled, body().width(), 9));
                } else {
                    blocks.add(layOutTable(typesetter_, rows, kinds, body().width(), 9));
                }
                break;
            }
        }
    }
    flush();
    return blocks;
}

void BookComposer::unit(std::size_t index, const core::UnitDesign& design) {
    const core::Unit& unit = project_.units[index];
    newPage(QPageLayout::Portrait, static_cast<int>(index));
    targets_[firstUnitTarget() + index] = static_cast<int>(pages_.size() - 1);
    if (index == 0) {
        place(headingParagraph(unitsCaption(!floors_.empty()), caption_));
    }
    const QString title = unitTitle(index, unit);
    continued_ = {};
    place(headingParagraph(title, unitHeading_));
    continued_ = [this, title] {
        place(headingParagraph(title + QStringLiteral("（续）"), unitHeading_));
    };

    Blocks blocks;
    if (design.configured()) {
        const CalculationSheet sheet = CalculationSheet::ofProjectUnit(unit, design);
        // As set, or else with the table of models in two halves side by side, or else also
        // with lines closer together: the first that keeps the sheet on its page.
        for (const auto& [spacing, halves] :
             {std::pair{1.35, false}, {1.35, true}, {1.2, true}, {1.1, true}}) {
            blocks = sheetBlocks(sheet, spacing, halves, pointsLine(index));
            if (blocks.height() <= room()) {
                break;
            }
        }
    } else {
        const core::Choices& choices = unit.choices;
        blocks.add(
            paragraph(QStringLiteral("火灾种类：") + fireClassName(choices.fireClass), body_));
        if (choices.fireClass != core::FireClass::D) {
            blocks.add(paragraph(QStringLiteral("危险等级：") + hazardName(choices.hazard), body_));
        }
        Paragraph reason = paragraph(unconfigurableReason(design.fault), body_);
        reason.warning = true;
        blocks.add(std::move(reason));
        if (const QString points = pointsLine(index); !points.isEmpty()) {
            blocks.add(paragraph(points, body_));
        }
    }
    const std::vector<Paragraph>& paragraphs = blocks.paragraphs;
    const std::vector<std::optional<TableLayout>>& tables = blocks.tables;
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        if (tables[i]) {
            place(*tables[i]);
            continue;
        }
        double after = 0;
        if (paragraphs[i].keepWithNext && i + 1 < paragraphs.size()) {
            after = tables[i + 1]
                        ? tables[i + 1]->rows.front().height +
                              (tables[i + 1]->rows.size() > 1 ? tables[i + 1]->rows[1].height : 0)
                        : paragraphs[i + 1].spaceBefore + leastHeight(paragraphs[i + 1]);
        }
        place(paragraphs[i], after);
    }
    continued_ = {};
}

// The pages' number texts of the contents' targets, counting every page from the cover.
QStringList targetNumbers(const std::vector<int>& targets) {
    QStringList numbers;
    numbers.reserve(static_cast<qsizetype>(targets.size()));
    for (const int target : targets) {
        numbers << (target < 0 ? QString() : QString::number(target + 1));
    }
    return numbers;
}

QString failure(const QString& fileName, const QString& reason) {
    return QStringLiteral("无法保存PDF文件“%1”：%2。")
        .arg(QDir::toNativeSeparators(fileName), reason);
}

}  // namespace

QPageLayout bookPageLayout() {
    // The book sets its own margins inside the sheet; a printer's may only widen them.
    return {QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
            QPageLayout::Millimeter};
}

bool paintBook(const core::Project& project, QPainter& painter, QPagedPaintDevice& device,
               const Progress& progress) {
    const std::vector<core::UnitDesign> unitDesigns = designs(project);
    const std::size_t units = project.units.size();
    const int total = static_cast<int>(std::min<std::size_t>(2 * units + 2, 2'000'000));
    int done = 0;
    const auto step = [&] {
        done = std::min(done + 1, total);
        return !progress || progress(done, total);
    };

    Typesetter typesetter(device);
    BookComposer composer(project, typesetter);
    composer.cover(bookDate(project.info));
    composer.contents();
    composer.schedule(unitDesigns);
    composer.materials(unitDesigns);
    composer.plans(unitDesigns);
    if (!step()) {
        return false;
    }
    for (std::size_t i = 0; i < units; ++i) {
        composer.unit(i, unitDesigns[i]);
        if (!step()) {
            return false;
        }
    }

    std::vector<LaidOutPage>& pages = composer.pages();
    PageDecoration decoration;
    decoration.headerLeft = qs(project.name);
    decoration.headerRight = kSheetTitle;
    decoration.font = typesetter.font(serifFamilies(), 9);
    decoration.targetPages = targetNumbers(composer.targets());
    // A step when the front matter is painted and when each unit's last page is.
    return paintPages(pages, typesetter, decoration, painter, device, [&](std::size_t i) {
        const int owner = pages[i].owner;
        const bool last = i + 1 == pages.size() || pages[i + 1].owner != owner;
        return !last || step();
    });
}

WriteOutcome writeBookPdf(const core::Project& project, const QString& fileName,
                          const Progress& progress) {
    if (auto fault = io::replaceFault(fileName)) {
        return {WriteStatus::Failed, failure(fileName, *fault)};
    }
    QSaveFile file(io::withoutLongPathPrefix(fileName));
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        return {WriteStatus::Failed,
                failure(fileName, io::writeFailureReason(fileName, file.error(), errno))};
    }
    QPdfWriter writer(&file);
    writer.setResolution(kResolution);
    writer.setPageLayout(bookPageLayout());
    writer.setTitle(kSheetTitle);
    writer.setCreator(QStringLiteral("灭火器配置计算"));
    QPainter painter;
    if (!painter.begin(&writer)) {
        file.cancelWriting();
        return {WriteStatus::Failed, failure(fileName, QStringLiteral("无法生成PDF"))};
    }
    if (!paintBook(project, painter, writer, progress)) {
        painter.end();
        file.cancelWriting();
        return {WriteStatus::Cancelled, {}};
    }
    if (!painter.end() || !io::commitWhole(file)) {
        return {WriteStatus::Failed,
                failure(fileName, io::writeFailureReason(fileName, file.error(), errno))};
    }
    return {};
}

}  // namespace documents
