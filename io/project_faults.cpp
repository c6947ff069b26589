#include "project_faults.h"

#include <cmath>

#include "dxf_reader.h"
#include "setting_points.h"
#include "utf8_text.h"

namespace io {
namespace faults {

using namespace project_keys;

namespace {

// A number as a message quotes it: plain decimals where they stay short.
QString numberText(double x) {
    return QString::number(x, std::abs(x) < 1e15 ? 'f' : 'g', QLocale::FloatingPointShortest);
}

}  // namespace

QString quoted(const QString& text) {
    constexpr qsizetype kLongest = 40;
    return text.size() <= kLongest ? text : text.first(kLongest) + QStringLiteral("…");
}

QString valueText(const QJsonValue& value) {
    switch (value.type()) {
        case QJsonValue::String:
            return quoted(value.toString());
        case QJsonValue::Double:
            return numberText(value.toDouble());
        case QJsonValue::Bool:
            return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        case QJsonValue::Null:
            return QStringLiteral("null");
        case QJsonValue::Array:
            return QStringLiteral("[…]");
        case QJsonValue::Object:
            return QStringLiteral("{…}");
        case QJsonValue::Undefined:
            break;
    }
    return {};
}

QString unitPrefix(qsizetype number) {
    return QStringLiteral("第%1个计算单元").arg(number);
}

// Why a name or location is too long for the editors; `what` names it ("工程名称“name”").
std::optional<QString> lengthFault(const QString& what, const std::string& text) {
    const qsizetype length = qs(text).size();
    if (length <= core::kMaxNameLength) {
        return std::nullopt;
    }
    return QStringLiteral("%1过长：%2个字符，最多%3个字符")
        .arg(what)
        .arg(length)
        .arg(core::kMaxNameLength);
}

std::optional<QString> projectNameFault(const std::string& name) {
    return lengthFault(QStringLiteral("工程名称“%1”").arg(kNameKey), name);
}

QString doorsPrefix() {
    return QStringLiteral("门“%1”").arg(kDoorsKey);
}

QString doorPrefix(qsizetype number, const QString& unitPrefixText) {
    const QString door = QStringLiteral("第%1个门").arg(number);
    return unitPrefixText.isEmpty() ? door : QStringLiteral("%1的%2").arg(unitPrefixText, door);
}

QString roomPrefix(const QString& unitPrefixText, std::size_t index) {
    return QStringLiteral("%1的第%2个房间").arg(unitPrefixText).arg(index + 1);
}

QString floorOutlinePrefix(const QString& unitPrefixText) {
    return QStringLiteral("%1的楼层轮廓“%2”").arg(unitPrefixText, kFloorOutlineKey);
}

QString unitDoorsPrefix(const QString& unitPrefixText) {
    return QStringLiteral("%1的门“%2”").arg(unitPrefixText, kDoorsKey);
}

QString floorsPrefix() {
    return QStringLiteral("楼层轮廓“%1”").arg(kFloorsKey);
}

QString floorPrefix(qsizetype number) {
    return QStringLiteral("第%1个楼层轮廓").arg(number);
}

QString doorFaultText(const core::UnitFault& fault, const core::PlanDoor& door,
                      const QString& prefix) {
    switch (fault.rule) {
        case core::UnitRule::DoorWithoutFloor:
            return QStringLiteral("%1的楼层“%2”不能为空").arg(prefix, kFloorKey);
        case core::UnitRule::TooLong:
            return QStringLiteral("%1的楼层“%2”过长：%3个字符，最多%4个字符")
                .arg(prefix, kFloorKey)
                .arg(fault.count)
                .arg(core::kMaxNameLength);
        case core::UnitRule::DoorNotFinite:
            return QStringLiteral("%1的“%2”或“%3”无效：坐标应为有限的数")
                .arg(prefix, kHingeKey, kEndKey);
        case core::UnitRule::DoorWidthOutOfRange:
            return QStringLiteral("%1的宽度%2 m无效：“%3”至“%4”应为%5至%6 m")
                .arg(prefix,
                     numberText(std::hypot(door.end.x - door.hinge.x, door.end.y - door.hinge.y)),
                     kHingeKey, kEndKey, numberText(core::kMinDoorWidth),
                     numberText(core::kMaxDoorWidth));
        case core::UnitRule::DoorSwingInvalid:
            return QStringLiteral("%1的开启方向“%2”值“%3”无效，应为 -1、0 或 1")
                .arg(prefix, kSwingKey)
                .arg(door.swing);
        default:
            return {};
    }
}

QString infoPrefix() {
    return QStringLiteral("工程信息“%1”").arg(kInfoKey);
}

// "工程信息“info”的编制单位“company”"
QString infoTextName(const project_keys::InfoText& text) {
    return QStringLiteral("%1的%2“%3”")
        .arg(infoPrefix(), QString::fromUtf8(text.caption), QLatin1String(text.key));
}

bool dateInRange(const std::chrono::year_month_day& date) {
    return date.ok() && date >= kEarliestDate && date <= kLatestDate;
}

QString dateText(const std::chrono::year_month_day& date) {
    return QStringLiteral("%1-%2-%3")
        .arg(static_cast<int>(date.year()), 4, 10, QLatin1Char('0'))
        .arg(static_cast<unsigned>(date.month()), 2, 10, QLatin1Char('0'))
        .arg(static_cast<unsigned>(date.day()), 2, 10, QLatin1Char('0'));
}

QString dateFault(const QString& text) {
    return QStringLiteral("%1的日期“%2”值“%3”无效，应为%4至%5之间的日期（年-月-日）")
        .arg(infoPrefix(), kDateKey, quoted(text), dateText(kEarliestDate), dateText(kLatestDate));
}

QString drawingScaleFault(const QString& text) {
    return QStringLiteral("%1的出图比例“%2”值“%3”无效，应为%4至%5之间的整数")
        .arg(infoPrefix(), kDrawingScaleKey, quoted(text))
        .arg(core::ProjectInfo::kMinDrawingScale)
        .arg(core::ProjectInfo::kMaxDrawingScale);
}

std::optional<QString> infoFault(const core::ProjectInfo& info) {
    for (const project_keys::InfoText& text : kInfoTexts) {
        if (auto fault = lengthFault(infoTextName(text), info.*text.text)) {
            return fault;
        }
    }
    if (info.date && !dateInRange(*info.date)) {
        return dateFault(dateText(*info.date));
    }
    if (info.drawingScale < core::ProjectInfo::kMinDrawingScale ||
        info.drawingScale > core::ProjectInfo::kMaxDrawingScale) {
        return drawingScaleFault(QString::number(info.drawingScale));
    }
    return std::nullopt;
}

// Why the project's own texts cannot be kept in a file.
std::optional<QString> projectFault(const core::Project& project) {
    if (auto fault = projectNameFault(project.name)) {
        return fault;
    }
    return infoFault(project.info);
}

QString duplicatePlace(const DuplicateKey& duplicate) {
    const std::vector<JsonStep>& where = duplicate.where;
    if (where.empty()) {
        return {};  // the project itself, as the other messages of its keys say
    }
    if (where.size() == 2 && where[0].key == kUnitsKey && where[1].index >= 0) {
        return unitPrefix(where[1].index + 1);
    }
    if (where.size() == 2 && where[0].key == kDoorsKey && where[1].index >= 0) {
        return doorPrefix(where[1].index + 1);
    }
    if (where.size() == 2 && where[0].key == kFloorsKey && where[1].index >= 0) {
        return floorPrefix(where[1].index + 1);
    }
    // A room or a door of a combined unit.
    if (where.size() == 4 && where[0].key == kUnitsKey && where[1].index >= 0 &&
        where[3].index >= 0 && (where[2].key == kRoomsKey || where[2].key == kDoorsKey)) {
        const QString unit = unitPrefix(where[1].index + 1);
        return where[2].key == kRoomsKey
                   ? roomPrefix(unit, static_cast<std::size_t>(where[3].index))
                   : doorPrefix(where[3].index + 1, unit);
    }
    if (where.size() == 1 && where[0].key == kInfoKey) {
        return infoPrefix();
    }
    QStringList steps;
    for (const JsonStep& step : where) {
        steps << (step.index >= 0 ? QStringLiteral("第%1项").arg(step.index + 1)
                                  : QStringLiteral("“%1”").arg(quoted(step.key)));
    }
    return steps.join(QString()) + QStringLiteral("中的对象");
}

std::optional<QString> keyFault(const QJsonObject& object, const QStringList& known,
                                const QStringList& optional, const QString& prefix) {
    for (const QString& key : object.keys()) {
        if (!known.contains(key)) {
            return QStringLiteral("%1含有未知的键“%2”").arg(prefix, quoted(key));
        }
    }
    for (const QString& key : known) {
        if (!optional.contains(key) && !object.contains(key)) {
            return QStringLiteral("%1缺少键“%2”").arg(prefix, key);
        }
    }
    return std::nullopt;
}

QString outlinePrefix(const QString& unitPrefixText) {
    return QStringLiteral("%1的轮廓“%2”").arg(unitPrefixText, kOutlineKey);
}

QString holePrefix(const QString& unitPrefixText, std::size_t index) {
    return QStringLiteral("%1的第%2个洞口").arg(outlinePrefix(unitPrefixText)).arg(index + 1);
}

QString planPrefix(const QString& unitPrefixText) {
    return QStringLiteral("%1的平面图来源“%2”").arg(unitPrefixText, kPlanKey);
}

QString setPointsPrefix(const QString& unitPrefixText) {
    return QStringLiteral("%1的设置点“%2”").arg(unitPrefixText, kSetPointsKey);
}

namespace {

// The message of a rule about a ring (TooFewVertices to HolesMeet), which `prefix` names.
QString ringFaultText(const core::UnitFault& fault, const QString& prefix) {
    switch (fault.rule) {
        case core::UnitRule::TooFewVertices:
            return QStringLiteral("%1顶点不足：至少3个").arg(prefix);
        case core::UnitRule::TooManyVertices:
            return QStringLiteral("%1顶点过多：%2个，最多%3个")
                .arg(prefix)
                .arg(fault.count)
                .arg(core::kMaxOutlineVertices);
        case core::UnitRule::VertexNotFinite:
            return QStringLiteral("%1第%2个顶点无效：坐标应为有限的数")
                .arg(prefix)
                .arg(fault.item + 1);
        case core::UnitRule::VertexRepeated:
            return QStringLiteral("%1第%2个顶点与前一个顶点重合").arg(prefix).arg(fault.item + 1);
        case core::UnitRule::OutOfRange:
            return QStringLiteral("%1坐标超出范围").arg(prefix);
        case core::UnitRule::ZeroArea:
            return QStringLiteral("%1面积为零").arg(prefix);
        case core::UnitRule::SelfIntersecting:
            return QStringLiteral("%1自相交").arg(prefix);
        case core::UnitRule::Clockwise:
            return QStringLiteral("%1应为逆时针方向").arg(prefix);
        case core::UnitRule::TooManyVerticesInAll:
            return QStringLiteral("%1连同洞口顶点过多：最多%2个")
                .arg(prefix)
                .arg(core::kMaxOutlineVertices);
        case core::UnitRule::HoleOutside:
            return QStringLiteral("%1不在轮廓之内").arg(prefix);
        case core::UnitRule::HolesMeet:
            return QStringLiteral("%1与第%2个洞口相交或重叠").arg(prefix).arg(fault.item + 1);
        default:
            return {};
    }
}

}  // namespace

QString shapeFaultText(const core::UnitFault& fault, const QString& unitPrefixText) {
    switch (fault.rule) {
        case core::UnitRule::TooManySetPoints:
            return QStringLiteral("%1过多：%2个，最多%3个")
                .arg(setPointsPrefix(unitPrefixText))
                .arg(fault.count)
                .arg(core::kMaxPoints);
        case core::UnitRule::SetPointNotFinite:
            return QStringLiteral("%1第%2个点无效：坐标应为有限的数")
                .arg(setPointsPrefix(unitPrefixText))
                .arg(fault.item + 1);
        default:
            break;
    }
    return ringFaultText(
        fault, fault.part == core::UnitPart::Hole           ? holePrefix(unitPrefixText, fault.hole)
               : fault.part == core::UnitPart::FloorOutline ? floorOutlinePrefix(unitPrefixText)
                                                            : outlinePrefix(unitPrefixText));
}

QString unitFaultText(const core::UnitFault& fault, const core::Unit& unit, qsizetype number) {
    // A fault of a combined unit's room names the room after the unit, and one of its doors the
    // door.
    const QString prefix =
        fault.room ? roomPrefix(unitPrefix(number), *fault.room) : unitPrefix(number);
    if (fault.part == core::UnitPart::Door && fault.rule != core::UnitRule::DoorsWithoutRooms) {
        return doorFaultText(fault, unit.doors.at(fault.item),
                             doorPrefix(static_cast<qsizetype>(fault.item) + 1, prefix));
    }
    const core::Choices& choices = unit.choices;
    const QChar fireClass = QChar::fromLatin1(core::fireClassLetter(choices.fireClass));
    switch (fault.rule) {
        case core::UnitRule::None:
            return {};
        case core::UnitRule::TooLong: {
            const bool name = fault.part == core::UnitPart::Name;
            return QStringLiteral("%1的%2“%3”过长：%4个字符，最多%5个字符")
                .arg(prefix, name ? QStringLiteral("名称") : QStringLiteral("位置"),
                     name ? kNameKey : kLocationKey)
                .arg(fault.count)
                .arg(core::kMaxNameLength);
        }
        case core::UnitRule::ClassD:
            return QStringLiteral("%1的火灾类别%2不能列入工程").arg(prefix, fireClass);
        case core::UnitRule::AgentNotAllowed:
            return QStringLiteral("%1的火灾类别%2不能选用灭火剂“%3”")
                .arg(prefix, fireClass, qs(core::agentCaption(choices.agent)));
        case core::UnitRule::AreaOutOfRange:
            return QStringLiteral("%1的面积“area”值“%2”无效，应为0至%3之间的数")
                .arg(prefix, numberText(choices.area), QString::number(core::kMaxUnitArea, 'f', 0));
        case core::UnitRule::ModelNotAdequate:
            return QStringLiteral("%1的灭火器型号“%2”不是该单元适用的型号")
                .arg(prefix, quoted(qs(unit.model.value_or(std::string()))));
        case core::UnitRule::PointsOutOfRange:
            return QStringLiteral("%1的设置点数“points”值“%2”无效，应为1至%3的整数")
                .arg(prefix)
                .arg(unit.points.value_or(0))
                .arg(core::kMaxPoints);
        case core::UnitRule::HolesWithoutOutline:
            return QStringLiteral("%1有洞口却没有轮廓“%2”").arg(prefix, kOutlineKey);
        case core::UnitRule::PlanWithoutOutline:
            return QStringLiteral("%1有平面图来源“%2”却没有轮廓“%3”")
                .arg(prefix, kPlanKey, kOutlineKey);
        case core::UnitRule::SetPointsWithoutOutline:
            return QStringLiteral("%1有设置点“%2”却没有轮廓“%3”")
                .arg(prefix, kSetPointsKey, kOutlineKey);
        case core::UnitRule::RoomsWithOutline:
            return QStringLiteral("%1有房间“%2”，不能再有自己的轮廓“%3”")
                .arg(prefix, kRoomsKey, kOutlineKey);
        case core::UnitRule::RoomsWithPlan:
            return QStringLiteral("%1有房间“%2”，不能再有自己的平面图来源“%3”")
                .arg(prefix, kRoomsKey, kPlanKey);
        case core::UnitRule::TooFewRooms:
            return QStringLiteral("%1的房间“%2”不足：%3个，组合单元至少2个")
                .arg(prefix, kRoomsKey)
                .arg(fault.count);
        case core::UnitRule::FloorWithoutRooms:
            return QStringLiteral("%1有楼层轮廓“%2”却没有房间“%3”")
                .arg(prefix, kFloorOutlineKey, kRoomsKey);
        case core::UnitRule::DoorsWithoutRooms:
            return QStringLiteral("%1有门“%2”却没有房间“%3”").arg(prefix, kDoorsKey, kRoomsKey);
        case core::UnitRule::HandSetNotInStep:
            return QStringLiteral("%1的手动设置点“%2”与设置点“%3”不符：标记%4个，设置点%5个")
                .arg(prefix, kHandSetKey, kSetPointsKey)
                .arg(fault.count)
                .arg(unit.setPoints.size());
        default:
            return shapeFaultText(fault, prefix);
    }
}

QString drawingUnitFault(const QString& planPrefixText, const QString& value) {
    return QStringLiteral("%1的单位“%2”值“%3”无效，应为 mm、cm、dm、m、inch、ft 等长度单位")
        .arg(planPrefixText, kDrawingUnitKey, value);
}

std::optional<QString> floorFault(const core::PlanFloor& floor, qsizetype number) {
    const core::UnitFault fault = core::floorFault(floor);
    const QString prefix = floorPrefix(number);
    switch (fault.rule) {
        case core::UnitRule::None:
            return std::nullopt;
        case core::UnitRule::TooLong:
            return QStringLiteral("%1的楼层“%2”过长：%3个字符，最多%4个字符")
                .arg(prefix, kFloorKey)
                .arg(fault.count)
                .arg(core::kMaxNameLength);
        default:
            return ringFaultText(fault, QStringLiteral("%1的“%2”").arg(prefix, kOutlineKey));
    }
}

}  // namespace faults

std::optional<QString> doorFault(const core::PlanDoor& door, qsizetype number) {
    const core::UnitFault fault = core::doorFault(door);
    if (!fault) {
        return std::nullopt;
    }
    return faults::doorFaultText(fault, door, faults::doorPrefix(number));
}

namespace {

// Whether the drawing's unit of a plan source has a name in files, then the one it declares,
// which may be none; a message after `prefix` (the unit's or room's) where one has not.
std::optional<QString> drawingUnitsFault(const core::PlanSource& plan, const QString& prefix) {
    const bool declaredKnown =
        !plan.declaredUnit || plan.declaredUnit->empty() || unitFromName(qs(*plan.declaredUnit));
    if (unitFromName(qs(plan.unit)) && declaredKnown) {
        return std::nullopt;
    }
    const std::string& wrong = unitFromName(qs(plan.unit)) ? *plan.declaredUnit : plan.unit;
    return faults::drawingUnitFault(faults::planPrefix(prefix), faults::quoted(qs(wrong)));
}

}  // namespace

std::optional<QString> unitFault(const core::Unit& unit, qsizetype number) {
    const core::UnitFault fault = core::unitFault(unit);
    // Whether the drawing's unit has a name in files is the files' own matter; it comes after the
    // rules of the outline and the plan, before those of the setting points.
    if (!fault || fault.part == core::UnitPart::SetPoints) {
        const QString prefix = faults::unitPrefix(number);
        if (unit.plan) {
            if (auto wrong = drawingUnitsFault(*unit.plan, prefix)) {
                return wrong;
            }
        }
        for (std::size_t r = 0; r < unit.rooms.size(); ++r) {
            if (unit.rooms[r].plan) {
                if (auto wrong =
                        drawingUnitsFault(*unit.rooms[r].plan, faults::roomPrefix(prefix, r))) {
                    return wrong;
                }
            }
        }
    }
    if (!fault) {
        return std::nullopt;
    }
    return faults::unitFaultText(fault, unit, number);
}

}  // namespace io
