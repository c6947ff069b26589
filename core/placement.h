#pragma once

#include <optional>
#include <vector>

#include "cover_proof.h"
#include "polygon.h"

// Setting points placed in a room so that every point of it lies within the maximum protection
// distance R of one of them, by the walking distance inside the room (room_paths.h): the search,
// whose points cover_proof.h then proves. Plain C++.
namespace core {

// The least distance of a placed point from the walls.
constexpr double kWallClearance = 0.3;

// A setting point put by hand this near a wall is drawn to kWallClearance from it.
constexpr double kWallSnap = 1.0;

// Where a setting point that a designer drops at `point` goes in the room (`outline` less its
// `holes`): with `snap`, a point within kWallSnap of a wall moves to kWallClearance from it, as an
// extinguisher hangs on a wall or stands in a cabinet against it; into the corner where a second
// wall at an angle to the first is that near too. It stays where it was dropped where no such
// place keeps kWallClearance from every wall (a slot narrower than 2·kWallClearance), or without
// `snap`. None for a point outside the room or in one of its holes.
[[nodiscard]] std::optional<PlanPoint> droppedPoint(PlanPoint point, const Ring& outline,
                                                    const std::vector<Ring>& holes, bool snap);

// Setting points placed in a room, and what they reach.
struct Placement {
    std::vector<PlanPoint> points;
    double farthest = 0;   // CoverCheck::farthest
    bool proven = false;   // CoverCheck::proven
    bool stopped = false;  // the progress callback stopped it: no points, not proven
};

// Few setting points, each at least kWallClearance from the walls (those of the holes too), that
// reach every point of the room within `reach` (R, metres) by walking distance: a hexagonal lattice
// to start with, then points moved and dropped while the rest still cover the room, then
// checkCover(). Not proven only where no point of the room that keeps clear of the walls is near
// enough to some part of it (a slot narrower than 2·kWallClearance, say). The same input gives the
// same points. The room is `outline` less its `holes`, as checkCover() takes them.
// The `kept` points (those a designer set by hand) come first among the points, as they are:
// never moved nor dropped, nor held to the wall clearance. Only the points added to them are
// searched for: the fewest that with them reach every point of the room; none where they reach
// all of it alone.
[[nodiscard]] Placement placeSettingPoints(const Ring& outline, double reach,
                                           const std::vector<Ring>& holes = {},
                                           const PlacingProgress& progress = {},
                                           const std::vector<PlanPoint>& kept = {});

}  // namespace core
