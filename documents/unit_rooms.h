#pragma once

#include <cstddef>
#include <vector>

#include "combined_units.h"
#include "project.h"
#include "reach_map.h"

// A unit's rooms as the plans draw them: a combined unit's rooms with one label in the largest,
// its points reaching through its doors; any other unit's outline.
namespace documents {

// The room that holds the unit's label: a combined unit's largest room, else its outline.
[[nodiscard]] core::RoomShape labelRoom(const core::Unit& unit);
// The point of the unit's label: the point of labelRoom() farthest from its walls and holes.
[[nodiscard]] core::PlanPoint unitLabelPoint(const core::Unit& unit);

// A piece of the floor that a unit's points reach within, walking, and the points in it.
struct ReachPiece {
    core::Ring outline;
    std::vector<core::Ring> holes;
    std::vector<core::PlanPoint> points;
};
// The unit's outline with all its points; for a combined unit, each part of its walkable region
// (core::unitRegion(): its rooms joined by its doors' openings) with the points inside it.
[[nodiscard]] std::vector<ReachPiece> reachPieces(const core::Unit& unit);
// What the unit's points reach within `reach` m, over its pieces, as one map (core::reachMap(),
// on grids of `cells` cells in all).
[[nodiscard]] core::ReachMap unitReachMap(const core::Unit& unit, double reach, std::size_t cells);

}  // namespace documents
