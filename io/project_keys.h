#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "choices.h"
#include "project.h"

// The keys of the project file's JSON, and what messages call the texts of "plan" and "info":
// shared by the file's reader and writer and by the messages that name them.
namespace io::project_keys {

// The key names of the file.
inline const QString kFormatKey = QStringLiteral("format");
inline const QString kVersionKey = QStringLiteral("version");
inline const QString kNameKey = QStringLiteral("name");
inline const QString kUnitsKey = QStringLiteral("units");
inline const QString kLocationKey = QStringLiteral("location");
inline const QString kFireClassKey = QStringLiteral("fireClass");
inline const QString kHazardKey = QStringLiteral("hazard");
inline const QString kFactorKey = QStringLiteral("factor");
inline const QString kBuildingKey = QStringLiteral("building");
inline const QString kAreaKey = QStringLiteral("area");
inline const QString kAgentKey = QStringLiteral("agent");
inline const QString kModelKey = QStringLiteral("model");
inline const QString kPointsKey = QStringLiteral("points");
inline const QString kInfoKey = QStringLiteral("info");
inline const QString kDateKey = QStringLiteral("date");
inline const QString kDrawingScaleKey = QStringLiteral("drawingScale");
inline const QString kOutlineKey = QStringLiteral("outline");
inline const QString kPlanKey = QStringLiteral("plan");
inline const QString kFileKey = QStringLiteral("file");
inline const QString kLayerKey = QStringLiteral("layer");
inline const QString kHandleKey = QStringLiteral("handle");
inline const QString kDrawingUnitKey = QStringLiteral("unit");
inline const QString kFloorKey = QStringLiteral("floor");
inline const QString kDeclaredUnitKey = QStringLiteral("declaredUnit");
inline const QString kSetPointsKey = QStringLiteral("setPoints");
inline const QString kHandSetKey = QStringLiteral("handSet");
inline const QString kDoorsKey = QStringLiteral("doors");
inline const QString kHingeKey = QStringLiteral("hinge");
inline const QString kEndKey = QStringLiteral("end");
inline const QString kSwingKey = QStringLiteral("swing");
inline const QString kRoomsKey = QStringLiteral("rooms");
inline const QString kFloorOutlineKey = QStringLiteral("floorOutline");
inline const QString kFloorsKey = QStringLiteral("floors");

// A text of an object of the file: its key, what a message calls it, and its member.
template <typename Owner>
struct KeyedText {
    const QString* key;
    const char* caption;
    std::string Owner::*text;
};
using PlanText = KeyedText<core::PlanSource>;
using DoorText = KeyedText<core::PlanDoor>;
using FloorText = KeyedText<core::PlanFloor>;

// The texts of "plan".
inline const PlanText kPlanTexts[] = {
    {&kFileKey, "文件", &core::PlanSource::file},
    {&kLayerKey, "图层", &core::PlanSource::layer},
    {&kHandleKey, "图元句柄", &core::PlanSource::handle},
    {&kDrawingUnitKey, "单位", &core::PlanSource::unit},
};

// The texts of a door, and of an outline round a floor's rooms.
inline const DoorText kDoorTexts[] = {
    {&kFloorKey, "楼层", &core::PlanDoor::floor},
    {&kFileKey, "文件", &core::PlanDoor::file},
    {&kHandleKey, "图元句柄", &core::PlanDoor::handle},
};
inline const FloorText kFloorTexts[] = {
    {&kFloorKey, "楼层", &core::PlanFloor::floor},
    {&kFileKey, "文件", &core::PlanFloor::file},
    {&kHandleKey, "图元句柄", &core::PlanFloor::handle},
};

// The texts of "info": each key, what a message calls it, and its member.
struct InfoText {
    const char* key;
    const char* caption;
    std::string core::ProjectInfo::*text;
};
inline constexpr InfoText kInfoTexts[] = {
    {"number", "工程编号", &core::ProjectInfo::number},
    {"stage", "设计阶段", &core::ProjectInfo::stage},
    {"company", "编制单位", &core::ProjectInfo::company},
    {"calculatedBy", "计算人", &core::ProjectInfo::calculatedBy},
    {"checkedBy", "校对人", &core::ProjectInfo::checkedBy},
    {"reviewedBy", "审核人", &core::ProjectInfo::reviewedBy},
    {"approvedBy", "审定人", &core::ProjectInfo::approvedBy},
};

}  // namespace io::project_keys
