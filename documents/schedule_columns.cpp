#include "schedule_columns.h"

#include <cmath>

#include "number_text.h"
#include "unit_texts.h"

namespace documents {

namespace {

const core::Choices& choices(const ScheduleRow& r) {
    return r.unit.choices;
}
const core::Requirement& required(const ScheduleRow& r) {
    return r.design.conditions->required;
}
const core::PointConfiguration& configuration(const ScheduleRow& r) {
    return r.design.configuration;
}

QString decimal(double x) {
    return qs(core::decimalText(x));
}

using enum ScheduleShown;
using enum ColumnKind;
constexpr bool kRight = true;
constexpr bool kLeft = false;
constexpr bool kDerived = true;
constexpr bool kInput = false;

}  // namespace

// clang-format off
const std::array<ScheduleColumn, 19> kScheduleColumns = {{
    {"序号", "序号", Everywhere, Value, kRight, kInput, false,
     [](const ScheduleRow& r) { return QString::number(r.index + 1); },
     [](const ScheduleRow& r) { return static_cast<double>(r.index + 1); },
     [](const ScheduleRow& r) { return QVariant(static_cast<int>(r.index + 1)); }},
    {"位置", "位置", Everywhere, Text, kLeft, kInput, false,
     [](const ScheduleRow& r) { return qs(r.unit.location); }, nullptr, nullptr},
    {"计算单元", "计算单元", Everywhere, Text, kLeft, kInput, false,
     [](const ScheduleRow& r) { return qs(r.unit.name); }, nullptr, nullptr},
    {"火灾种类", "火灾种类", Everywhere, Value, kLeft, kInput, false,
     [](const ScheduleRow& r) { return fireClassName(choices(r).fireClass); }, nullptr, nullptr},
    {"危险等级", "危险等级", Everywhere, Value, kLeft, kInput, false,
     [](const ScheduleRow& r) { return hazardName(choices(r).hazard); }, nullptr, nullptr},
    {"修正系数K", "修正系数K", Everywhere, Value, kRight, kInput, false,
     [](const ScheduleRow& r) { return factorText(choices(r).factor); },
     [](const ScheduleRow& r) { return core::factorTimesTen(choices(r).factor) / 10.0; }, nullptr},
    {"场所类别", "场所类别", Everywhere, Value, kLeft, kInput, false,
     [](const ScheduleRow& r) { return buildingShortName(choices(r).building); }, nullptr, nullptr},
    {"保护面积(m²)", "保护面积(m²)", Everywhere, Value, kRight, kInput, false,
     [](const ScheduleRow& r) {
         return std::isfinite(choices(r).area) ? decimal(choices(r).area) : QString();
     },
     [](const ScheduleRow& r) { return choices(r).area; }, nullptr},
    {"灭火器类型", "灭火器类型", Everywhere, Value, kLeft, kInput, false,
     [](const ScheduleRow& r) { return agentName(choices(r).agent); }, nullptr, nullptr},
    {"级别单位", "", InWorkbookOnly, Value, kLeft, kDerived, false,
     [](const ScheduleRow& r) { return QString(ratingLetter(choices(r).fireClass)); }, nullptr,
     nullptr},
    {"Q", "Q", Everywhere, Value, kRight, kDerived, false,
     [](const ScheduleRow& r) { return ratingText(required(r).whole, choices(r).fireClass); },
     [](const ScheduleRow& r) { return static_cast<double>(required(r).whole); }, nullptr},
    {"设计需配灭火级别", "设计需配灭火级别", Everywhere, Value, kRight, kDerived, false,
     [](const ScheduleRow& r) { return ratingText(required(r).design(), choices(r).fireClass); },
     [](const ScheduleRow& r) { return static_cast<double>(required(r).design()); }, nullptr},
    // The window names the model with its rating, and keeps the one typed for a unit that
    // cannot be configured.
    {"灭火器型号", "选用灭火器", Everywhere, Value, kLeft, kDerived, false,
     [](const ScheduleRow& r) { return qs(r.design.chosenModel().code); }, nullptr,
     [](const ScheduleRow& r) {
         if (r.design.configured()) {
             return QVariant(modelText(r.design.chosenModel()));
         }
         return r.unit.model ? QVariant(qs(*r.unit.model)) : QVariant();
     }},
    {"单具灭火级别", "", NotInWindow, Value, kLeft, kDerived, false,
     [](const ScheduleRow& r) { return qs(r.design.chosenModel().ratingText); },
     [](const ScheduleRow& r) { return r.design.chosenModel().rating; }, nullptr},
    // The window keeps N as typed for a unit that cannot be configured.
    {"设置点数", "设置点数", Everywhere, Value, kRight, kDerived, false,
     [](const ScheduleRow& r) { return QString::number(configuration(r).points); },
     [](const ScheduleRow& r) { return static_cast<double>(configuration(r).points); },
     [](const ScheduleRow& r) {
         if (r.design.configured()) {
             return QVariant(configuration(r).points);
         }
         return r.unit.points ? QVariant(*r.unit.points) : QVariant();
     }},
    {"每点数量(具)", "每点数量", Everywhere, Value, kRight, kDerived, false,
     [](const ScheduleRow& r) { return QString::number(configuration(r).perPoint); },
     [](const ScheduleRow& r) { return static_cast<double>(configuration(r).perPoint); },
     nullptr},
    {"灭火器数量(具)", "灭火器总数", Everywhere, Value, kRight, kDerived, true,
     [](const ScheduleRow& r) { return QString::number(configuration(r).total); },
     [](const ScheduleRow& r) { return static_cast<double>(configuration(r).total); }, nullptr},
    {"实配灭火级别", "实配灭火级别", Everywhere, Value, kRight, kDerived, false,
     [](const ScheduleRow& r) {
         return providedRatingText(configuration(r).provided, choices(r).fireClass);
     },
     [](const ScheduleRow& r) { return configuration(r).provided; }, nullptr},
    {"校核", "校核", Everywhere, Value, kLeft, kInput, false,
     [](const ScheduleRow& r) { return checkText(r.design); }, nullptr, nullptr},
}};
// clang-format on

bool shownInBook(const ScheduleColumn& column) {
    return column.shown != InWorkbookOnly;
}

bool shownInWindow(const ScheduleColumn& column) {
    return column.shown == Everywhere;
}

const ScheduleColumn& windowColumn(int column) {
    static const std::array<const ScheduleColumn*, kWindowColumns> kColumns = [] {
        std::array<const ScheduleColumn*, kWindowColumns> out{};
        std::size_t c = 0;
        for (const ScheduleColumn& each : kScheduleColumns) {
            if (shownInWindow(each)) {
                out.at(c++) = &each;
            }
        }
        return out;
    }();
    return *kColumns.at(static_cast<std::size_t>(column));
}

QString scheduleText(const ScheduleColumn& column, const ScheduleRow& row) {
    return column.derived && !row.design.configured() ? QString() : column.text(row);
}

}  // namespace documents
