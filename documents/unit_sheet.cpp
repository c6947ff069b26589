#include "unit_sheet.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextDocument>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <concepts>

#include "combined_units.h"
#include "file_commit.h"
#include "file_errors.h"
#include "number_text.h"
#include "result_rows.h"
#include "table_clipboard.h"
#include "unit_texts.h"

namespace documents {

const QString kSheetTitle = QStringLiteral("灭火器配置计算书");

QPageLayout sheetPageLayout() {
    return {QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
            QPageLayout::Millimeter};
}

namespace {

QString number(double x) {
    return qs(core::decimalText(x));
}

QString number(std::integral auto x) {
    return QString::number(x);
}

// " = c" for an exact value, " ≈ c" for a rounded one, then the whole number above it when it is
// not whole, with the clause that rounds up.
QString valueRoundedUp(double value, std::int64_t whole, const QString& clause = {}) {
    QString text = u' ' + qs(core::resultText(value));
    if (core::decimalForm(value).text != std::to_string(whole)) {
        text += QStringLiteral("，向上取整为 ") + number(whole) + clause;
    }
    return text;
}

// " = c" or " ≈ c" for the exact ratio, then the whole number above it when it is not whole, with
// the clause that rounds up. The approximation shows as many decimals as it takes not to read
// as a whole number, so that it never contradicts the rounding.
QString ratioRoundedUp(const core::Ratio& value, std::int64_t whole, const QString& clause = {}) {
    QString text = u' ' + qs(core::ratioText(value));
    if (!core::isWhole(value)) {
        text += QStringLiteral("，向上取整为 ") + number(whole) + clause;
    }
    return text;
}

// "a/b = c": the quotient as it is, then rounded up when it is not whole.
QString quotient(double a, double b) {
    const double q = a / b;
    return number(a) + u'/' + number(b) + valueRoundedUp(q, core::ceilDecimal(q));
}

}  // namespace

CalculationSheet::CalculationSheet(const QString& unitName, const QDate& date,
                                   const core::UnitConditions& unit, std::size_t model, int points,
                                   const std::optional<core::PlacedCover>& cover,
                                   core::PlacingFault placing) {
    const core::Choices& choices = unit.choices;
    const core::RatingClass ratingClass = core::ratingClassOf(choices.fireClass);
    const QChar letter = ratingLetter(choices.fireClass);
    const auto rating = [letter](auto x) { return number(x) + letter; };
    const double u = core::unitArea(ratingClass, choices.hazard);
    const double minimum = core::minimumRating(ratingClass, choices.hazard);

    add(Kind::Title, kSheetTitle);
    add(Kind::Preamble, QStringLiteral("日期：") + date.toString(QStringLiteral("yyyy年M月d日")));
    add(Kind::Preamble, QStringLiteral("依据：") + kBasis);

    add(Kind::Heading, QStringLiteral("一、设计条件"));
    if (!unitName.isEmpty()) {
        value(QStringLiteral("计算单元"), unitName);
    }
    value(QStringLiteral("火灾种类"), fireClassName(choices.fireClass));
    value(QStringLiteral("危险等级"), hazardName(choices.hazard));
    value(QStringLiteral("修正系数 K"), factorText(choices.factor));
    value(QStringLiteral("场所类别"), buildingName(choices.building));
    value(QStringLiteral("保护面积 S"),
          qs(core::decimalNumberText(unit.area)) + QStringLiteral(" m²"));
    value(QStringLiteral("单位灭火级别最大保护面积 U"),
          number(u) + QStringLiteral(" m²/") + letter);
    value(QStringLiteral("单具灭火器最小配置灭火级别"), rating(minimum));
    value(QStringLiteral("灭火器类型"), agentName(choices.agent));
    if (choices.fireClass == core::FireClass::E) {
        line(QStringLiteral(
            "注：E类火灾按B类火灾的灭火级别计算，最大保护距离取B、C类火灾的数值；"
            "按5.2.4，E类火灾场所的灭火器最大保护距离不应低于该场所内A类或B类火灾的规定。"));
    }

    requirementLines(unit);

    if (model >= unit.candidates.size()) {
        add(Kind::Breach,
            QStringLiteral("所选灭火器类型中没有达到单具灭火器最小配置灭火级别的规格，"
                           "不能配置；请选用其他灭火器类型。"));
    } else {
        configurationLines(unit, unit.candidates[model], points, cover, placing);
    }
    notes(unit);
    modelTable(unit);
}

CalculationSheet CalculationSheet::ofProjectUnit(const core::Unit& unit,
                                                 const core::UnitDesign& design) {
    CalculationSheet sheet(QString(), QDate(), design.conditions.value(), design.model,
                           design.configuration.points, design.cover,
                           design.cover ? core::placingFault(unit) : core::PlacingFault::None);
    if (unit.combined()) {
        sheet.combinedLines(unit);
    }
    return sheet;
}

void CalculationSheet::insertLines(const QString& after, const QStringList& lines) {
    auto at = std::ranges::find_if(
        parts_, [&after](const Part& part) { return part.text.startsWith(after); });
    at = at == parts_.end() ? at : at + 1;
    for (const QString& text : lines) {
        at = parts_.insert(at, Part{Kind::Line, text, {}}) + 1;
    }
}

void CalculationSheet::combinedLines(const core::Unit& unit) {
    QStringList rooms;
    for (const core::UnitRoom& room : unit.rooms) {
        rooms << QStringLiteral("%1（%2 m²）")
                     .arg(qs(room.name), number(core::roomArea(room.outline, room.holes)));
    }
    // An S typed by hand has no basis in the plan to name.
    QStringList lines;
    if (!core::areaTypedByHand(unit)) {
        lines << (core::areaBasis(unit) == core::AreaBasis::FloorOutline
                      ? QStringLiteral("S 按楼层轮廓（建筑面积）计")
                      : QStringLiteral("S 按房间面积之和计，未含墙体"));
    }
    lines << QStringLiteral("组合单元，含 %1 个房间：").arg(unit.rooms.size()) +
                 rooms.join(QStringLiteral("、"));
    insertLines(QStringLiteral("保护面积 S"), lines);
    if (const std::size_t inRooms = core::pointsInRooms(unit); inRooms > 0) {
        insertLines(QStringLiteral("设置点数 N"),
                    {QStringLiteral("设置点 %1 个，其中 %2 个位于房间内")
                         .arg(unit.setPoints.size())
                         .arg(inRooms)});
    }
}

void CalculationSheet::requirementLines(const core::UnitConditions& unit) {
    const core::Choices& choices = unit.choices;
    const core::Requirement& required = unit.required;
    const auto rating = [&choices](std::int64_t x) { return ratingText(x, choices.fireClass); };
    const QString u =
        number(core::unitArea(core::ratingClassOf(choices.fireClass), choices.hazard));
    const QString s = qs(core::decimalNumberText(unit.area));

    add(Kind::Heading, QStringLiteral("二、计算单元最小需配灭火级别"));
    const bool crowded = choices.building == core::Building::EntertainmentOrUnderground;
    line((crowded ? QStringLiteral("Q = 1.3K·S/U = 1.3×") : QStringLiteral("Q = K·S/U = ")) +
         factorText(choices.factor) + u'×' + s + u'/' + u +
         ratioRoundedUp(required.exactRatio, required.whole, QStringLiteral("（7.1.1）")));
    value(QStringLiteral("计算单元最小需配灭火级别 Q"), rating(required.whole));
    line(QStringLiteral("S/U = ") + s + u'/' + u +
         ratioRoundedUp(required.perUnitAreaRatio, required.perUnitAreaWhole));
    if (required.areaGoverns()) {
        line(QStringLiteral("按 GB 55036-2022 第10.0.3条，灭火级别之和不应小于 S/U = %1，大于 Q，"
                            "按 %1 配置")
                 .arg(rating(required.perUnitAreaWhole)));
    } else {
        line(QStringLiteral("Q ≥ S/U，按 Q = %1 配置").arg(rating(required.whole)));
    }
    value(QStringLiteral("设计需配灭火级别"), rating(required.design()));
}

void CalculationSheet::configurationLines(const core::UnitConditions& unit,
                                          const core::CandidateModel& m, int points,
                                          const std::optional<core::PlacedCover>& cover,
                                          core::PlacingFault placing) {
    const core::Choices& choices = unit.choices;
    const QChar letter = ratingLetter(choices.fireClass);
    const auto rating = [letter](auto x) { return number(x) + letter; };
    const double minimum =
        core::minimumRating(core::ratingClassOf(choices.fireClass), choices.hazard);
    const core::PointConfiguration c = core::configure(unit, m, points);
    const double r = c.distance;
    // Placed points are as many as they are: the estimate only compares.
    const bool tooLarge = !cover && c.estimate > core::kMaxPoints;

    add(Kind::Heading, QStringLiteral("三、灭火器配置"));
    value(QStringLiteral("选用灭火器"), modelText(m));
    value(QStringLiteral("灭火器形式"),
          qs(core::mountLabel(m.mount)) + QStringLiteral("，充装量") + qs(m.charge));
    value(QStringLiteral("最大保护距离"), number(r) + QStringLiteral(" m"));
    line(QStringLiteral("设置点数估算：N₀ = S/(2R²) = ") + qs(core::decimalNumberText(unit.area)) +
         QStringLiteral("/(2×") + number(r) + QStringLiteral("²) ") +
         qs(core::resultText(c.coveredArea)) + QStringLiteral("，取 ") + number(c.estimate) +
         QStringLiteral("。每个设置点按保护半径 R 的圆的内接正方形估算；") +
         (cover ? QStringLiteral("设置点已在平面图上布置，按其位置校核保护距离（7.1.3）。")
                : QStringLiteral("设置点在平面图上布置，使计算单元内任一点至最近设置点的距离"
                                 "不大于 R（7.1.3）。")));
    if (tooLarge) {
        add(Kind::Breach,
            QStringLiteral("估算设置点数超过 %1 个，计算单元过大，应划分为多个计算单元"
                           "（7.2.1）。")
                .arg(core::kMaxPoints));
    }
    value(QStringLiteral("设置点数 N"),
          cover ? QStringLiteral("%1（按平面布置，估算值 N₀ = %2）").arg(c.points).arg(c.estimate)
                : number(c.points));
    line((unit.required.areaGoverns() ? QStringLiteral("Qe = 设计需配灭火级别/N = ")
                                      : QStringLiteral("Qe = Q/N = ")) +
         quotient(static_cast<double>(unit.required.design()), c.points) +
         QStringLiteral("（7.3.4）"));
    value(QStringLiteral("每个设置点最小需配灭火级别 Qe"), rating(c.perPointRequired));
    line(QStringLiteral("n = Qe/单具灭火级别 = ") +
         quotient(static_cast<double>(c.perPointRequired), m.rating));
    if (c.raisedToTwo) {
        line(QStringLiteral(
            "一个计算单元内配置的灭火器数量不得少于2具（6.1.1），每个设置点配置数量增至2具。"));
    }
    value(QStringLiteral("每个设置点配置数量"), number(c.perPoint) + QStringLiteral("具"));
    line(QStringLiteral("N×n = ") + number(c.points) + u'×' + number(c.perPoint) +
         QStringLiteral(" = ") + number(c.total));
    value(QStringLiteral("灭火器总数"), number(c.total) + QStringLiteral("具"));
    line(QStringLiteral("灭火器总数×单具灭火级别 = ") + number(c.total) + u'×' + number(m.rating) +
         QStringLiteral(" = ") + number(c.provided));
    value(QStringLiteral("实配灭火级别合计"), rating(c.provided));

    const QString divide = QStringLiteral("应划分为多个计算单元（7.2.1）");
    add(Kind::Heading, QStringLiteral("四、校核"));
    check(QStringLiteral("6.1.1（GB 55036-2022 10.0.3）一个计算单元内配置的灭火器数量不得少于2具"),
          number(c.total) + QStringLiteral("具"), c.checks.atLeastTwo, {});
    check(QStringLiteral("6.1.2 每个设置点的灭火器配置数量不宜多于5具"),
          number(c.perPoint) + QStringLiteral("具"), c.checks.atMostFivePerPoint,
          tooLarge ? divide : QStringLiteral("应增加设置点数或选用灭火级别较大的灭火器"));
    check(QStringLiteral("6.2.1/6.2.2 单具灭火器不小于最小配置灭火级别 ") + rating(minimum),
          qs(m.ratingText), c.checks.reachesMinimum, QStringLiteral("应选用灭火级别较大的灭火器"));
    check(QStringLiteral("7.1.2 每个设置点实配灭火级别不小于 Qe = ") + rating(c.perPointRequired),
          rating(static_cast<double>(c.perPoint) * m.rating), c.checks.pointReachesQe, {});
    if (cover) {
        check(
            QStringLiteral("7.1.3 计算单元内任一点至最近设置点的距离不大于 R = ") +
                number(cover->reach) + QStringLiteral(" m"),
            reachText(*cover, placing), cover->proven,
            // The farthest distance stands beside the clause's R already: the fact, not a task.
            placing != core::PlacingFault::None ? divide : QStringLiteral("设置点未覆盖全部平面"));
    } else {
        check(QStringLiteral("7.1.3 设置点数不少于估算值 N₀ = ") + number(c.estimate),
              number(c.points), c.checks.enoughPoints,
              tooLarge ? divide
                       : QStringLiteral("应增加设置点数，或在平面图上复核每个设置点的保护范围"));
    }
    check(QStringLiteral("GB 55036-2022 10.0.3 所有设置点灭火级别之和不小于 S/U = ") +
              rating(unit.required.perUnitAreaWhole),
          rating(c.provided), c.checks.reachesAreaRating, {});
}

void CalculationSheet::notes(const core::UnitConditions& unit) {
    const core::Choices& choices = unit.choices;
    line(
        QStringLiteral("注：灭火器设置点的位置和数量应根据被保护对象的情况和灭火器的最大保护距离"
                       "确定，并应保证最不利点至少在1具灭火器的保护范围内（GB 55036-2022 "
                       "第10.0.2条）。"));
    const QString extra = unitNote(choices);
    if (!extra.isEmpty()) {
        line(QStringLiteral("注：") + extra);
    }
}

void CalculationSheet::modelTable(const core::UnitConditions& unit) {
    const core::Result result = core::calculate(unit.choices);
    const std::vector<std::vector<std::string>> rows = resultRows(result);
    std::vector<QStringList> table;
    table.push_back({QString(), qs(rows[0][kChargeCol]), qs(rows[0][kCodeCol]),
                     QStringLiteral("单具灭火级别"), QStringLiteral("满足最低配置基准")});
    for (std::size_t i = 0; i < result.rows.size(); ++i) {
        const std::vector<std::string>& cells = rows[i + 1];
        table.push_back({qs(cells[kMountCol]), qs(cells[kChargeCol]), qs(cells[kCodeCol]),
                         qs(cells[kRatingCol]),
                         result.rows[i].adequate ? QStringLiteral("是") : QStringLiteral("否")});
    }
    add(Kind::Heading, QStringLiteral("五、灭火器规格表"));
    parts_.push_back({Kind::Table, {}, table});
}

void CalculationSheet::check(const QString& clause, const QString& value, bool met,
                             const QString& otherwise) {
    QString text =
        clause + u'：' + value + u'，' + (met ? QStringLiteral("满足") : QStringLiteral("不满足"));
    if (!met && !otherwise.isEmpty()) {
        text += u'，' + otherwise;
    }
    add(met ? Kind::Line : Kind::Breach, text);
}

QString CalculationSheet::plainText() const {
    QStringList lines;
    for (const Part& part : parts_) {
        if (part.kind == Kind::Heading) {
            lines << QString();
        }
        if (part.kind == Kind::Table) {
            lines << tableText(part.rows).chopped(1);
        } else {
            lines << part.text;
        }
    }
    return lines.join(u'\n') + u'\n';
}

QString CalculationSheet::html() const {
    QString out = QStringLiteral(
                      "<html><head><meta charset=\"utf-8\"><title>%1</title><style>"
                      "p { margin: 3px 0; } h3 { margin: 12px 0 4px 0; } "
                      "p.breach { color: #c00000; } td, th { padding: 2px 6px; }"
                      "</style></head><body>\n")
                      .arg(kSheetTitle);
    // A code's name keeps its number on its line: "GB 50140-2005" never breaks.
    static const QRegularExpression code(QStringLiteral("(GB(?:/T)? \\d+-\\d{4})"));
    for (const Part& part : parts_) {
        const QString text =
            part.text.toHtmlEscaped().replace(code, QStringLiteral("<nobr>\\1</nobr>"));
        switch (part.kind) {
            case Kind::Title:
                out += QStringLiteral("<h2 align=\"center\">%1</h2>\n").arg(text);
                break;
            case Kind::Heading:
                out += QStringLiteral("<h3>%1</h3>\n").arg(text);
                break;
            case Kind::Preamble:
            case Kind::Line:
                out += QStringLiteral("<p>%1</p>\n").arg(text);
                break;
            case Kind::Breach:
                out += QStringLiteral("<p class=\"breach\">%1</p>\n").arg(text);
                break;
            case Kind::Table:
                out += tableHtml(part.rows, true);
                break;
        }
    }
    return out + QStringLiteral("</body></html>\n");
}

std::optional<QString> writeSheetPdf(const CalculationSheet& sheet, const QString& fileName) {
    // The file replaces an old one only once it has been written whole.
    if (auto fault = io::replaceFault(fileName)) {
        return fault;
    }
    QSaveFile file(io::withoutLongPathPrefix(fileName));
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        return io::writeFailureReason(fileName, file.error(), errno);
    }
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(sheetPageLayout());
        writer.setTitle(kSheetTitle);
        QTextDocument document;
        document.setHtml(sheet.html());
        document.print(&writer);
    }
    if (!io::commitWhole(file)) {
        return io::writeFailureReason(fileName, file.error(), errno);
    }
    return std::nullopt;
}

}  // namespace documents
