#pragma once

#include <cstddef>
#include <vector>

#include "cover_proof.h"
#include "floor_walk.h"
#include "polygon.h"
#include "wall_rooms.h"

// Setting points placed on a floor as designers place them: on the walls of its circulation
// first, then near its exits, then by the doors of the rooms they serve, reaching every room
// within R by walking through the doors (floor_walk.h), which then proves them. Plain C++.
namespace core {

// The least distance of a placed point from a door's opening (the line from hinge to end).
constexpr double kDoorClearance = 1.0;

// Setting points placed on a floor, and what they reach.
struct FloorPlacement {
    std::vector<PlanPoint> points;  // the kept points first, as given, then those added
    FloorCover cover;               // checkFloorCover() of `points`
    bool proven = false;            // cover.proven
    std::size_t inRooms = 0;        // added points that stand in no circulation room
    bool stopped = false;           // the progress callback stopped it: no points, not proven
};

// The rooms of the region that count as its circulation: those `named` so (per room, as
// isCirculationName() tells); in a part with none of them, its room with the most doors (of two
// the larger), where it has any.
[[nodiscard]] std::vector<bool> circulationRooms(const FloorRegion& region,
                                                 const std::vector<WallDoor>& doors,
                                                 const std::vector<bool>& named);

// Few setting points that reach every room of the region within `reach` (R, metres) by walking
// through the doors, each part of the region on its own (a room no door joins is a part of its
// own, covered by points inside it):
// - every point kWallClearance from the walls of its room, on one of them, and at least
//   kDoorClearance from every door's opening;
// - first in the rooms that `circulation` marks (per room of the region; a part with none of
//   them takes its room with the most doors, of two the larger), then near the exits (doors with
//   one room), then in the rooms they serve, by their doors;
// - the fewest the search finds, by walking distances of its own over a raster of the part,
//   with some margin; then proven by checkFloorCover(), and searched again with a larger margin
//   for a part that is not.
// The `kept` points (put by hand) come first as they are and count. The same input gives the
// same points.
[[nodiscard]] FloorPlacement placeFloorPoints(const FloorRegion& region,
                                              const std::vector<WallDoor>& doors,
                                              const std::vector<bool>& circulation, double reach,
                                              const PlacingProgress& progress = {},
                                              const std::vector<PlanPoint>& kept = {});

}  // namespace core
