#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <optional>
#include <vector>

#include "dxf_reader.h"
#include "plan_import.h"
#include "wall_rooms.h"

// From a drawing to the rooms of a floor plan: its layers; the closed outlines of the chosen
// layers and the texts handed to core::findRooms(), which makes each a room, a room's hole or the
// floor's outline, or refuses it with its reason, worded here; the drawing's doors found between
// those rooms (core::doorsBetweenRooms()); and the lines of the chosen wall layers with the
// drawing's doors and windows handed to core::findWallRooms(), which finds the rooms they enclose.
namespace io {

struct PlanLayer {
    QString name;
    int outlines = 0;            // closed polylines, curves and hatch boundaries
    int lines = 0;               // lines, arcs and open polylines: what walls are drawn with
    bool proposed = false;       // the layers likely to hold the rooms
    bool proposedWalls = false;  // the layers likely to hold the walls and columns
};

// The layers of the drawing (its LAYER table, then those that only its entities name), each
// with its closed outlines and its lines. Proposed: the layers with outlines whose names say that
// they hold rooms (core::isRoomLayerName()); for walls, the layers with lines or outlines whose
// names say that they hold walls or columns (core::isWallLayerName()).
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

// What to read a drawing's rooms from, its layers matched without regard to case.
struct PlanReading {
    QStringList layers;      // closed outlines of rooms
    QStringList wallLayers;  // lines, arcs and polylines of walls and columns
    QStringList doorLayers;  // closed polylines that are doors, between walls or outlines
    std::optional<DrawingUnit> unit = std::nullopt;  // by default the drawing's own
};

struct PlanRooms {
    // The rooms of the outlines in the order of the file, then those that loops of lines on the
    // outlines' layers enclose, then those the walls enclose; a room that no text names is named
    // 房间N, N its number among the outlines without a name (core::FoundRooms::unnamedNumbers),
    // then among the others without one.
    std::vector<core::PlanRoomInput> rooms;
    std::vector<RefusedOutline> refused = {};  // in the order of the file
    // Where wall layers were read: the doors whose openings were found and are a door's width
    // (core::kMinDoorWidth to core::kMaxDoorWidth), their rooms places among `rooms`, and the
    // openings closed between wall ends (core::gapOpenings()), in metres. A room that an outline
    // and the walls both bound comes once, from the outline.
    bool wallsRead = false;
    // Where no wall layers were read, the doors are those found between the rooms as outlines,
    // where the drawing has any door (a block that draws a swing, a closed polyline on a door
    // layer): doorsRead says that they were looked for.
    bool doorsRead = false;
    std::vector<core::WallDoor> doors = {};
    std::vector<core::ClosedGap> gaps = {};
    // Where outline layers were read: the outlines that hold core::kFloorRooms rooms or more,
    // as the floor's outlines (no floor or file), in metres, counter-clockwise.
    std::optional<std::vector<core::PlanFloor>> floors = std::nullopt;

    [[nodiscard]] std::size_t exits() const;
};

// The rooms that `reading` names, with the drawing's coordinates in its unit, as
// core::findRooms() and core::findWallRooms() find them; the reasons in Chinese.
[[nodiscard]] PlanRooms planRooms(const DxfDrawing& drawing, const PlanReading& reading);
// The rooms of the closed outlines on `layers` alone.
[[nodiscard]] PlanRooms planRooms(const DxfDrawing& drawing, const QStringList& layers,
                                  std::optional<DrawingUnit> unit = std::nullopt);

// Whether a block reference is a door: its block draws an arc (the leaf's swing) and its layer
// or block is named for doors (core::isDoorName()); or a window: its block or layer is named for
// windows (窗, WIN), and it is no door.
[[nodiscard]] bool isDoorReference(const DxfBlockReference& reference);
[[nodiscard]] bool isWindowReference(const DxfBlockReference& reference);

}  // namespace io
