#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "dxf_reader.h"
#include "polygon.h"

// From a drawing to the rooms of a floor plan: the closed polylines of the chosen layers are the
// rooms' outlines, the texts inside them their names. Every closed polyline of those layers
// becomes a room or is refused with its reason.
namespace io {

// The chords that stand for the arcs of an outline keep within this of them, in metres.
constexpr double kOutlineSagitta = 0.01;

struct PlanLayer {
    QString name;
    int outlines = 0;       // closed polylines in model space
    bool proposed = false;  // the layers likely to hold the rooms
};

// The layers of the drawing (its LAYER table, then those that only its entities name), each
// with its closed outlines. Proposed: the layers with outlines whose names hold 房间, ROOM, AREA
// or 面积 (in either case); where none does, none.
[[nodiscard]] std::vector<PlanLayer> planLayers(const DxfDrawing& drawing);

struct PlanRoom {
    QString name;
    QString layer;
    QString handle;
    core::Ring outline;  // in metres, counter-clockwise, arcs as chords within kOutlineSagitta
    double area = 0;     // m², rounded up to 0.01 m²
    std::vector<core::Ring> holes = {};  // columns, shafts and voids inside it, as the outline is
};

struct RefusedOutline {
    QString handle;
    QString layer;
    QString reason;  // 自相交, 面积为零, 顶点不足, 包含 N 个房间, 与轮廓 2F 重合 ...
};

struct PlanRooms {
    std::vector<PlanRoom> rooms;          // in the order of the file
    std::vector<RefusedOutline> refused;  // in the order of the file
};

// The rooms on `layers`, with the drawing's coordinates in `unit` (by default the drawing's own).
// An outline that holds other rooms (the outline of a floor, say) is refused, and the rooms in it
// kept; of two outlines of one region the later is refused. A room's name is its tallest text (on
// any layer; of texts equally tall, the first in the file) whose insertion point lies in it or on
// its edge, trimmed, its lines joined by spaces, cut to core::kMaxNameLength; a text inside rooms
// that overlap names the smallest of them. A room without a text is named 房间1, 房间2, ... in
// the order of the file.
[[nodiscard]] PlanRooms planRooms(const DxfDrawing& drawing, const QStringList& layers,
                                  std::optional<DrawingUnit> unit = std::nullopt);

}  // namespace io
