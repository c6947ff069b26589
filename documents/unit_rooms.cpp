#include "unit_rooms.h"

#include <algorithm>
#include <iterator>

namespace documents {

core::RoomShape labelRoom(const core::Unit& unit) {
    if (!unit.combined()) {
        return {unit.outline, unit.holes};
    }
    const auto largest = std::ranges::max_element(unit.rooms, {}, [](const core::UnitRoom& room) {
        return core::roomArea(room.outline, room.holes);
    });
    return {largest->outline, largest->holes};
}

core::PlanPoint unitLabelPoint(const core::Unit& unit) {
    const core::RoomShape room = labelRoom(unit);
    return core::labelPoint(room.outline, room.holes);
}

std::vector<ReachPiece> reachPieces(const core::Unit& unit) {
    if (!unit.combined()) {
        return {{unit.outline, unit.holes, unit.setPoints}};
    }
    std::vector<ReachPiece> pieces;
    for (core::FloorPart& part : core::unitRegion(unit).parts) {
        ReachPiece& piece = pieces.emplace_back();
        for (const core::PlanPoint point : unit.setPoints) {
            if (core::inRoom(point, part.outline, part.holes)) {
                piece.points.push_back(point);
            }
        }
        piece.outline = std::move(part.outline);
        piece.holes = std::move(part.holes);
    }
    return pieces;
}

core::ReachMap unitReachMap(const core::Unit& unit, double reach, std::size_t cells) {
    const std::vector<ReachPiece> pieces = reachPieces(unit);
    core::ReachMap all;
    for (const ReachPiece& piece : pieces) {
        core::ReachMap map =
            core::reachMap(piece.outline, piece.points, reach,
                           cells / std::max<std::size_t>(pieces.size(), 1), piece.holes);
        all.cell = std::max(all.cell, map.cell);
        std::ranges::move(map.edges, std::back_inserter(all.edges));
        std::ranges::move(map.uncovered, std::back_inserter(all.uncovered));
    }
    return all;
}

}  // namespace documents
