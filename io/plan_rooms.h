#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "dxf_reader.h"
#include "plan_import.h"

// From a drawing to the rooms of a floor plan: its layers, and the closed polylines of the chosen
// layers and the texts handed to core::findRooms(), which makes each a room or a room's hole or
// refuses it with its reason, worded here.
namespace io {

struct PlanLayer {
    QString name;
    int outlines = 0;       // closed polylines in model space
    bool proposed = false;  // the layers likely to hold the rooms
};

// The layers of the drawing (its LAYER table, then those that only its entities name), each
// with its closed outlines. Proposed: the layers with outlines whose names say that they hold
// rooms (core::isRoomLayerName()).
[[nodiscard]] std::vector<PlanLayer> planLayers(const DxfDrawing& drawing);
// The layer of that name, matched without regard to case as CAD programs match layer names;
// null where there is none.
[[nodiscard]] const PlanLayer* layerNamed(const std::vector<PlanLayer>& layers,
                                          const QString& name);

struct RefusedOutline {
    QString handle;
    QString layer;
    QString reason;  // 自相交, 面积为零, 顶点不足, 包含 N 个房间, 与轮廓 2F 重合 ...
};

struct PlanRooms {
    // In the order of the file; a room that no text names is named 房间N, N its number among the
    // outlines without a name (core::FoundRooms::unnamedNumbers).
    std::vector<core::PlanRoomInput> rooms;
    std::vector<RefusedOutline> refused;  // in the order of the file
};

// The rooms on `layers` (matched without regard to case), with the drawing's coordinates in `unit`
// (by default the drawing's own), as core::findRooms() finds them; the reasons in Chinese.
[[nodiscard]] PlanRooms planRooms(const DxfDrawing& drawing, const QStringList& layers,
                                  std::optional<DrawingUnit> unit = std::nullopt);

}  // namespace io
