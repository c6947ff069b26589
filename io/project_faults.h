#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>
#include <string>

#include "json_keys.h"
#include "project.h"
#include "project_file.h"
#include "project_keys.h"
#include "unit_rules.h"

// The messages in which the project file's reader and writer refuse a project: where in the file
// a fault is, and what it is. A unit's rules are core's (unit_rules.h); they are only worded here.
namespace io::faults {

// A text as a message quotes it: a long one is cut short, so that a file with a text of many
// megabytes gives a message a window can show.
[[nodiscard]] QString quoted(const QString& text);
// A JSON value as a message quotes it.
[[nodiscard]] QString valueText(const QJsonValue& value);

// "第2个计算单元", and its parts: "…的轮廓“outline”", "…的轮廓“outline”的第1个洞口",
// "…的平面图来源“plan”", "…的设置点“setPoints”".
[[nodiscard]] QString unitPrefix(qsizetype number);
[[nodiscard]] QString outlinePrefix(const QString& unitPrefixText);
[[nodiscard]] QString holePrefix(const QString& unitPrefixText, std::size_t index);
[[nodiscard]] QString planPrefix(const QString& unitPrefixText);
[[nodiscard]] QString setPointsPrefix(const QString& unitPrefixText);
// A combined unit's parts: "…的第1个房间", "…的楼层轮廓“floorOutline”", "…的门“doors”".
[[nodiscard]] QString roomPrefix(const QString& unitPrefixText, std::size_t index);
[[nodiscard]] QString floorOutlinePrefix(const QString& unitPrefixText);
[[nodiscard]] QString unitDoorsPrefix(const QString& unitPrefixText);
// "门“doors”", and "第2个门" of it; "第2个计算单元的第1个门" for a door of a unit.
[[nodiscard]] QString doorsPrefix();
[[nodiscard]] QString doorPrefix(qsizetype number, const QString& unitPrefixText = {});
// The message of a rule the door that `prefix` names breaks (core::doorFault()).
[[nodiscard]] QString doorFaultText(const core::UnitFault& fault, const core::PlanDoor& door,
                                    const QString& prefix);
// "楼层轮廓“floors”", and "第2个楼层轮廓" of it.
[[nodiscard]] QString floorsPrefix();
[[nodiscard]] QString floorPrefix(qsizetype number);
// Why the outline round a floor's rooms that `number` names, from 1, cannot be kept in a file
// (core::floorFault()), as a message; empty when it can.
[[nodiscard]] std::optional<QString> floorFault(const core::PlanFloor& floor, qsizetype number);
// "工程信息“info”", and "工程信息“info”的编制单位“company”".
[[nodiscard]] QString infoPrefix();
[[nodiscard]] QString infoTextName(const project_keys::InfoText& text);

// The message of a rule the unit breaks, which names it by `number`.
[[nodiscard]] QString unitFaultText(const core::UnitFault& fault, const core::Unit& unit,
                                    qsizetype number);
// The message of a rule about the unit's outline, its holes, the outline round its floor's rooms
// or its setting points, for the unit (or the room of a combined unit) that `unitPrefixText`
// names.
[[nodiscard]] QString shapeFaultText(const core::UnitFault& fault, const QString& unitPrefixText);
// A plan source's drawing unit that has no name in files; `value` as the file holds it.
[[nodiscard]] QString drawingUnitFault(const QString& planPrefixText, const QString& value);

// Why a name or location is too long for the editors; `what` names it ("工程名称“name”").
[[nodiscard]] std::optional<QString> lengthFault(const QString& what, const std::string& text);
[[nodiscard]] std::optional<QString> projectNameFault(const std::string& name);
[[nodiscard]] std::optional<QString> infoFault(const core::ProjectInfo& info);
// Why the project's own texts (its name and info) cannot be kept in a file: a text too long, a
// date out of range.
[[nodiscard]] std::optional<QString> projectFault(const core::Project& project);

[[nodiscard]] bool dateInRange(const std::chrono::year_month_day& date);
[[nodiscard]] QString dateText(const std::chrono::year_month_day& date);
[[nodiscard]] QString dateFault(const QString& text);
// The layout drawing's scale "drawingScale" of "info", as the file holds it, out of its range.
[[nodiscard]] QString drawingScaleFault(const QString& text);

// The object of the file that holds a duplicate key, as a message names it.
[[nodiscard]] QString duplicatePlace(const DuplicateKey& duplicate);
// The first key of the object that is not among `known`, then the first of `known` that it
// lacks and is not `optional`, as a message; empty when the keys are right.
[[nodiscard]] std::optional<QString> keyFault(const QJsonObject& object, const QStringList& known,
                                              const QStringList& optional, const QString& prefix);

}  // namespace io::faults
