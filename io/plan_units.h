#pragma once

#include <QString>
#include <vector>

#include "dxf_reader.h"
#include "plan_import.h"
#include "plan_rooms.h"

// The rooms read from a drawing as a project takes them: their texts in UTF-8, the drawing named
// by its file name, and the rooms too large for a unit refused with the reason.
namespace io {

struct PlanImportInput {
    core::PlanInput plan;
    std::vector<RefusedOutline> refused;  // the reader's, then those too large for a unit
};

[[nodiscard]] PlanImportInput planImportInput(const PlanRooms& rooms, const QString& drawingFile,
                                              DrawingUnit unit, const QString& location);

// A refused outline as one line: "图元 2F（图层 房间）：自相交".
[[nodiscard]] QString refusalText(const RefusedOutline& refused);

}  // namespace io
