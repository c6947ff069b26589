#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

#include "dxf_reader.h"
#include "polygon.h"

// From a drawing to the rooms of a floor plan: the closed polylines of the chosen layers are the
// rooms' outlines and the outlines of the columns, shafts and voids in them, the texts inside them
// their names. Every closed polyline of those layers becomes a room or a room's hole, or is
// refused with its reason.
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
// or 面积 (in either case), but never a layer whose name also holds COLUMN, 柱, WALL, 墙, AXIS,
// 轴, DIM, 标注, TEXT, 文字, FURN, 家具, HATCH or 填充; where no layer is proposed, none is.
[[nodiscard]] std::vector<PlanLayer> planLayers(const DxfDrawing& drawing);
// The layer of that name, matched without regard to case as CAD programs match layer names;
// null where there is none.
[[nodiscard]] const PlanLayer* layerNamed(const std::vector<PlanLayer>& layers,
                                          const QString& name);

struct PlanRoom {
    QString name;
    QString layer;
    QString handle;
    // In metres, counter-clockwise, arcs as chords within kOutlineSagitta that lie in the room;
    // less the holes that reach it (a column in a corner).
    core::Ring outline;
    double area = 0;  // of the curved outline less its holes, m², rounded up to 0.01 m²
    // Columns, shafts and voids inside it, as the outline is; their chords lie outside them, and
    // holes that overlap are one.
    std::vector<core::Ring> holes = {};
};

struct RefusedOutline {
    QString handle;
    QString layer;
    QString reason;  // 自相交, 面积为零, 顶点不足, 包含 N 个房间, 与轮廓 2F 重合 ...
};

struct PlanRooms {
    std::vector<PlanRoom> rooms;          // in the order of the file
    std::vector<RefusedOutline> refused;  // in the order of the file
    // The pairs of chosen layers on which outlines overlap (their insides meet), each pair in the
    // order of the chosen layers, the pairs in that order too.
    std::vector<std::pair<QString, QString>> overlappingLayers = {};
};

// Outlines whose symmetric difference is smaller than this, in m², are one region.
constexpr double kSameRegion = 0.01;
// Outlines smaller than this, in m², are no rooms unless their layer is proposed.
constexpr double kSmallestRoom = 1;

// The rooms on `layers` (matched without regard to case), with the drawing's coordinates in `unit`
// (by default the drawing's own).
// - Of outlines of one region (kSameRegion) the later is refused as 与轮廓 … 重合.
// - An outline inside a room that holds no name of its own, or whose name is that of a void
//   (上空, 中庭, 管井, 电梯井, or ending in 柱 or 井), is a hole in the innermost room holding it;
//   a hole's area is taken from the room's. An outline inside a hole is refused.
// - An outline that holds other rooms (the outline of a floor, say) is refused, and the rooms in
//   it kept.
// - An outline smaller than kSmallestRoom on a layer that planLayers() does not propose (a label
//   frame or a piece of furniture on a layer the user chose) is refused as 面积小于 1 m², unless
//   it is a hole.
// - A room's area is that of its curved outline (each arc's segment whole) less its holes.
// A room's name is its tallest text (on any layer; of texts equally tall, the first in the file)
// whose insertion point lies in it or on its edge and in none of its holes, trimmed, its lines
// joined by spaces, cut to core::kMaxNameLength; a text inside rooms that overlap names the
// smallest of them. Area labels ("24.00m²", "S=24", "面积：24㎡", "24.00") are no names, nor lines
// of names. A room without a text is named 房间1, 房间2, ... in the order of the file.
[[nodiscard]] PlanRooms planRooms(const DxfDrawing& drawing, const QStringList& layers,
                                  std::optional<DrawingUnit> unit = std::nullopt);

}  // namespace io
