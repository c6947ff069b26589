#include "plan_rooms.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>

#include "floor_walk.h"
#include "plan_vectors.h"
#include "room_finding.h"
#include "room_names.h"
#include "unit_rules.h"
#include "utf8_text.h"

namespace io {

namespace {

// The reason for the refusal as the user reads it; `outlines` the polylines handed to
// core::findRooms().
QString reasonText(const core::RefusedOutline& refused,
                   const std::vector<const DxfPolyline*>& outlines) {
    // "轮廓 2F " or, for an outline without a handle, "另一轮廓".
    const auto named = [&](const QString& what) {
        const QString& handle = outlines[refused.other]->handle;
        return handle.isEmpty() ? QStringLiteral("另一%1").arg(what)
                                : QStringLiteral("%1 %2 ").arg(what, handle);
    };
    switch (refused.reason) {
        case core::OutlineRefusal::Unread:
            return outlines[refused.outline]->fault;
        case core::OutlineRefusal::TooManyVertices:
            return QStringLiteral("顶点过多（圆弧分段后超过%1个）")
                .arg(core::kMaxFlattenedVertices);
        case core::OutlineRefusal::TooFewVertices:
            return QStringLiteral("顶点不足");
        case core::OutlineRefusal::NotFinite:
            return QStringLiteral("坐标超出范围");
        case core::OutlineRefusal::ZeroArea:
            return QStringLiteral("面积为零");
        case core::OutlineRefusal::SelfIntersecting:
            return QStringLiteral("自相交");
        case core::OutlineRefusal::Repeat:
            return QStringLiteral("与%1重合").arg(named(QStringLiteral("轮廓")));
        case core::OutlineRefusal::HoldsRooms:
            return QStringLiteral("包含 %1 个房间").arg(refused.count);
        case core::OutlineRefusal::TooSmall:
            return QStringLiteral("面积小于 %1 m²").arg(core::kSmallestRoom);
        case core::OutlineRefusal::InHole:
            return QStringLiteral("位于%1内").arg(named(QStringLiteral("洞口")));
        case core::OutlineRefusal::SplitByHoles:
            return QStringLiteral("被洞口分成 %1 块").arg(refused.count);
        case core::OutlineRefusal::BrokenByHoles:
            return QStringLiteral("扣除洞口后轮廓无效");
        case core::OutlineRefusal::InRefusedRoom:
            return QStringLiteral("位于%1内").arg(named(QStringLiteral("轮廓")));
    }
    return {};
}

}  // namespace

std::vector<PlanLayer> planLayers(const DxfDrawing& drawing) {
    std::vector<PlanLayer> layers;
    QHash<QString, std::size_t> places;
    const auto place = [&](const QString& name) {
        const auto found = places.constFind(name);
        if (found != places.constEnd()) {
            return *found;
        }
        places.insert(name, layers.size());
        layers.push_back({name});
        return layers.size() - 1;
    };
    for (const QString& name : drawing.layers) {
        place(name);
    }
    for (const DxfPolyline& polyline : drawing.polylines) {
        const std::size_t at = place(polyline.layer);
        ++(polyline.closed ? layers[at].outlines : layers[at].lines);
    }
    for (const DxfSegment& segment : drawing.segments) {
        ++layers[place(segment.layer)].lines;
    }
    for (PlanLayer& layer : layers) {
        const std::string name = utf8(layer.name);
        layer.proposed = layer.outlines > 0 && core::isRoomLayerName(name);
        layer.proposedWalls =
            (layer.lines > 0 || layer.outlines > 0) && core::isWallLayerName(name);
    }
    return layers;
}

const PlanLayer* layerNamed(const std::vector<PlanLayer>& layers, const QString& name) {
    const auto found = std::ranges::find_if(layers, [&name](const PlanLayer& layer) {
        return layer.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    return found != layers.end() ? &*found : nullptr;
}

namespace {

QSet<QString> foldedNames(const QStringList& names) {
    QSet<QString> folded;
    for (const QString& name : names) {
        folded.insert(name.toCaseFolded());
    }
    return folded;
}

core::PlanPoint scaled(core::PlanPoint point, double scale) {
    return {point.x * scale, point.y * scale};
}

// The arc of a bulge from a to b as the swing of a leaf: its centre and radius.
core::SwingArc swingOf(const DxfSegment& arc, double scale) {
    const core::PlanPoint a = scaled(arc.a, scale);
    const core::PlanPoint b = scaled(arc.b, scale);
    const core::PlanPoint centre = core::arcCentre(a, b, arc.bulge);
    return {centre, core::length(a - centre), a, b};
}

bool namedForWindows(const QString& name) {
    return name.contains(QStringLiteral("窗")) ||
           name.contains(QStringLiteral("WIN"), Qt::CaseInsensitive);
}

// The references drawn inside one already taken (the leaves of a door block, say) are part of it.
bool inside(const QString& handle, const QString& outer) {
    return handle.size() > outer.size() && handle.startsWith(outer) &&
           (handle[outer.size()] == u'/' || handle[outer.size()] == u'[');
}

// The lines, arcs and polylines of the layers as pieces of walls (or of rooms' outlines).
std::vector<core::WallPiece> piecesOn(const DxfDrawing& drawing, const QSet<QString>& layers,
                                      double scale, bool closedToo) {
    std::vector<core::WallPiece> pieces;
    for (const DxfSegment& segment : drawing.segments) {
        if (layers.contains(segment.layer.toCaseFolded())) {
            pieces.push_back({scaled(segment.a, scale), scaled(segment.b, scale), segment.bulge});
        }
    }
    for (const DxfPolyline& polyline : drawing.polylines) {
        const std::vector<core::BulgeVertex>& vertices = polyline.vertices;
        if ((polyline.closed && !closedToo) || vertices.empty() ||
            !layers.contains(polyline.layer.toCaseFolded())) {
            continue;
        }
        const std::size_t count = polyline.closed ? vertices.size() : vertices.size() - 1;
        for (std::size_t i = 0; i < count; ++i) {
            const core::BulgeVertex& from = vertices[i];
            const core::BulgeVertex& to = vertices[(i + 1) % vertices.size()];
            pieces.push_back({scaled(from.at, scale), scaled(to.at, scale), from.bulge});
        }
    }
    return pieces;
}

// The drawing's doors and windows: the references judged doors or windows, and the closed
// polylines of the door layers.
core::WallInput openings(const DxfDrawing& drawing, const PlanReading& reading, double scale) {
    const QSet<QString> doors = foldedNames(reading.doorLayers);
    core::WallInput input;
    for (const DxfPolyline& polyline : drawing.polylines) {
        if (polyline.closed && doors.contains(polyline.layer.toCaseFolded()) &&
            polyline.vertices.size() >= 3) {
            core::DoorOutline& door = input.doorOutlines.emplace_back();
            door.handle = utf8(polyline.handle);
            for (const core::BulgeVertex& vertex : polyline.vertices) {
                door.outline.push_back(scaled(vertex.at, scale));
            }
        }
    }
    QString taken;
    for (const DxfBlockReference& reference : drawing.references) {
        if (!taken.isEmpty() && inside(reference.handle, taken)) {
            continue;
        }
        if (isDoorReference(reference)) {
            taken = reference.handle;
            core::DoorCandidate& door = input.doors.emplace_back();
            door.handle = utf8(reference.handle);
            for (const DxfSegment& arc : reference.arcs) {
                door.swings.push_back(swingOf(arc, scale));
            }
        } else if (isWindowReference(reference)) {
            taken = reference.handle;
            const core::PlanBox& box = reference.localBox;
            const double middle = (box.min.y + box.max.y) / 2;
            const auto at = [&](double x) {
                return scaled(
                    {reference.origin.x + reference.xAxis.x * x + reference.yAxis.x * middle,
                     reference.origin.y + reference.xAxis.y * x + reference.yAxis.y * middle},
                    scale);
            };
            input.windows.push_back({utf8(reference.handle), at(box.min.x), at(box.max.x)});
        }
    }
    return input;
}

core::WallInput wallInput(const DxfDrawing& drawing, const PlanReading& reading, double scale,
                          const std::vector<core::PlanText>& texts) {
    core::WallInput input = openings(drawing, reading, scale);
    input.texts = texts;
    input.walls = piecesOn(drawing, foldedNames(reading.wallLayers), scale, true);
    return input;
}

// An opening no door spans (the outline of a shop front on a layer of doors and windows) is no
// door: the doors counted are those a project keeps.
void keepDoorWidths(std::vector<core::WallDoor>& doors) {
    std::erase_if(doors, [](const core::WallDoor& door) {
        const double width = std::hypot(door.end.x - door.hinge.x, door.end.y - door.hinge.y);
        return !(width >= core::kMinDoorWidth && width <= core::kMaxDoorWidth);
    });
}

// The doors of the drawing between the rooms found so far, where it has any.
void doorsBetweenOutlines(PlanRooms& result, const DxfDrawing& drawing, const PlanReading& reading,
                          double scale) {
    const core::WallInput input = openings(drawing, reading, scale);
    if (input.doors.empty() && input.doorOutlines.empty()) {
        return;
    }
    std::vector<core::RoomShape> shapes;
    shapes.reserve(result.rooms.size());
    for (const core::PlanRoomInput& room : result.rooms) {
        shapes.push_back({room.outline, room.holes});
    }
    result.doorsRead = true;
    result.doors =
        core::doorsBetweenRooms(shapes, input.doors, input.tolerance, input.doorOutlines);
    keepDoorWidths(result.doors);
}

// The rooms of the outlines, named, with the reasons for those refused.
PlanRooms outlineRooms(const DxfDrawing& drawing, const QSet<QString>& chosen, double scale,
                       const std::vector<core::PlanText>& texts, std::size_t& unnamed) {
    std::vector<const DxfPolyline*> polylines;
    std::vector<core::PlanOutline> outlines;
    for (const DxfPolyline& polyline : drawing.polylines) {
        if (!polyline.closed || !chosen.contains(polyline.layer.toCaseFolded())) {
            continue;
        }
        core::PlanOutline& outline = outlines.emplace_back();
        outline.handle = utf8(polyline.handle);
        outline.layer = utf8(polyline.layer);
        outline.proposedLayer = core::isRoomLayerName(outline.layer);
        outline.unread = !polyline.fault.isEmpty();
        for (const core::BulgeVertex& vertex : polyline.vertices) {
            outline.vertices.push_back({scaled(vertex.at, scale), vertex.bulge});
        }
        if (polyline.area) {
            outline.curveArea = *polyline.area * scale * scale;
        }
        polylines.push_back(&polyline);
    }
    core::FoundRooms found = core::findRooms(outlines, texts);
    PlanRooms result;
    result.rooms = std::move(found.rooms);
    for (std::size_t i = 0; i < result.rooms.size(); ++i) {
        unnamed = std::max(unnamed, found.unnamedNumbers[i]);
        if (found.unnamedNumbers[i] != 0) {
            result.rooms[i].name = utf8(QStringLiteral("房间%1").arg(found.unnamedNumbers[i]));
        }
    }
    std::vector<core::PlanFloor>& floors = result.floors.emplace();
    for (core::FoundFloor& floor : found.floors) {
        floors.push_back({{}, {}, utf8(polylines[floor.outline]->handle), std::move(floor.ring)});
    }
    for (const core::RefusedOutline& refused : found.refused) {
        const DxfPolyline& polyline = *polylines[refused.outline];
        // An outline refused for its holes may have taken a number too: the walls' rooms
        // without a name come after it.
        if (refused.reason == core::OutlineRefusal::SplitByHoles ||
            refused.reason == core::OutlineRefusal::BrokenByHoles) {
            ++unnamed;
        }
        result.refused.push_back({polyline.handle, polyline.layer, reasonText(refused, polylines)});
    }
    return result;
}

// The room the outlines already have: of the same area and each one's label in the other.
bool sameRoom(const core::PlanRoomInput& a, const core::PlanRoomInput& b) {
    return std::abs(a.area - b.area) <= core::kSameRegion + 1e-9 &&
           core::coveredBy(core::labelPoint(a.outline, a.holes), b.outline) &&
           core::coveredBy(core::labelPoint(b.outline, b.holes), a.outline);
}

}  // namespace

std::size_t PlanRooms::exits() const {
    return static_cast<std::size_t>(std::ranges::count_if(doors, [](const core::WallDoor& door) {
        return door.rooms[0].has_value() != door.rooms[1].has_value();
    }));
}

bool isDoorReference(const DxfBlockReference& reference) {
    return !reference.arcs.empty() &&
           (core::isDoorName(utf8(reference.layer)) || core::isDoorName(utf8(reference.block)));
}

bool isWindowReference(const DxfBlockReference& reference) {
    return !isDoorReference(reference) &&
           (namedForWindows(reference.block) || namedForWindows(reference.layer)) &&
           reference.localBox.max.x > reference.localBox.min.x;
}

PlanRooms planRooms(const DxfDrawing& drawing, const PlanReading& reading) {
    const double scale = metresPerUnit(reading.unit.value_or(drawing.unit));
    std::vector<core::PlanText> texts;
    texts.reserve(drawing.texts.size());
    for (const DxfText& text : drawing.texts) {
        texts.push_back({scaled(text.at, scale), text.height * scale, utf8(text.text)});
    }
    std::size_t unnamed = 0;
    const QSet<QString> outlineLayers = foldedNames(reading.layers);
    PlanRooms result = outlineRooms(drawing, outlineLayers, scale, texts, unnamed);
    // The rooms that pieces enclose, after those found before, but those that one found before
    // bounds too (an outline drawn over the walls); their places among the rooms.
    const auto add = [&](std::vector<core::PlanRoomInput>& found, const QString& layer) {
        std::vector<std::optional<std::size_t>> places;
        const std::size_t known = result.rooms.size();
        for (core::PlanRoomInput& room : found) {
            std::size_t same = 0;
            while (same < known && !sameRoom(result.rooms[same], room)) {
                ++same;
            }
            if (same < known) {
                places.emplace_back(same);
                continue;
            }
            if (room.name.empty()) {
                room.name = utf8(QStringLiteral("房间%1").arg(++unnamed));
            }
            room.layer = utf8(layer);
            places.emplace_back(result.rooms.size());
            result.rooms.push_back(std::move(room));
        }
        return places;
    };
    // Rooms drawn on a room layer as loops of lines and arcs.
    if (!outlineLayers.isEmpty()) {
        core::WallInput loops;
        loops.walls = piecesOn(drawing, outlineLayers, scale, false);
        if (!loops.walls.empty()) {
            loops.texts = texts;
            core::WallRooms found = core::findWallRooms(loops);
            add(found.rooms, reading.layers.front());
        }
    }
    if (outlineLayers.isEmpty()) {
        result.floors.reset();
    }
    if (reading.wallLayers.isEmpty()) {
        doorsBetweenOutlines(result, drawing, reading, scale);
        return result;
    }
    core::WallRooms walls = core::findWallRooms(wallInput(drawing, reading, scale, texts));
    result.wallsRead = true;
    result.doorsRead = true;
    const std::vector<std::optional<std::size_t>> places =
        add(walls.rooms, reading.wallLayers.front());
    for (core::WallDoor& door : walls.doors) {
        for (std::optional<std::size_t>& side : door.rooms) {
            if (side) {
                side = places[*side];
            }
        }
    }
    keepDoorWidths(walls.doors);
    result.doors = std::move(walls.doors);
    result.gaps = core::gapOpenings(walls.gaps);
    return result;
}

PlanRooms planRooms(const DxfDrawing& drawing, const QStringList& layers,
                    std::optional<DrawingUnit> unit) {
    return planRooms(drawing, PlanReading{layers, {}, {}, unit});
}

}  // namespace io
