#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "dxf_reader.h"
#include "plan_doors.h"
#include "plan_import.h"
#include "plan_rooms.h"

// The rooms read from a drawing as a project takes them: their texts in UTF-8, the drawing named
// by its file name, the rooms too large for a unit refused with the reason, and what to tell the
// user where the rooms look read in the wrong unit or the drawing has none.
namespace io {

// The units a drawing may be read in, as --unit names them and the import dialog offers them.
inline constexpr DrawingUnit kImportUnits[] = {DrawingUnit::Millimetre, DrawingUnit::Centimetre,
                                               DrawingUnit::Decimetre,  DrawingUnit::Metre,
                                               DrawingUnit::Inch,       DrawingUnit::Foot};

struct PlanImportInput {
    core::PlanInput plan;
    std::vector<RefusedOutline> refused;  // the reader's, then those too large for a unit
    // The rooms read, those too large among them, against the sizes of rooms; where they are not
    // plausible, the unit of kImportUnits that would make them so.
    core::RoomsScale scale;
    std::optional<DrawingUnit> likelyUnit;
};

// `declared`: the unit the drawing's $INSUNITS names, if any (DxfDrawing::unitGiven).
[[nodiscard]] PlanImportInput planImportInput(const PlanRooms& rooms, const QString& drawingFile,
                                              DrawingUnit unit, const QString& location,
                                              std::optional<DrawingUnit> declared);

// Rooms read in an implausible unit: "按毫米计房间面积中位数 0.01 m²，图纸可能以米为单位";
// empty where they are plausible.
[[nodiscard]] QString implausibleText(const PlanImportInput& input, DrawingUnit unit);

// A drawing without a closed outline on any layer: what it holds instead and what to do. "图纸中
// 没有闭合的房间轮廓：找到直线 1240 条、块参照 46 个；请在 CAD
// 中用闭合多段线描出房间，或分解块后导入"
[[nodiscard]] QString noOutlinesText(const DxfDrawing& drawing);

// The objects of the drawing that no program but their own can read.
[[nodiscard]] int unreadableCount(const DxfDrawing& drawing);

// The doors of a floor and its exits (core::doorCount()): "门 46 个，其中外门 4 个"; empty for
// none.
[[nodiscard]] QString doorCountText(const core::DoorCount& count);
// A refused outline as one line: "图元 2F（图层 房间）：自相交".
[[nodiscard]] QString refusalText(const RefusedOutline& refused);

}  // namespace io
