#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "cover_proof.h"
#include "polygon.h"
#include "wall_rooms.h"

// A floor walked through its doors: the doors of rooms imported as closed outlines, found from
// their swings between the outlines; the floor's walkable region, its rooms joined by their
// doors' openings; and the proof that setting points reach every point of the joined rooms
// within R by walking inside that region. Everything in metres, y up. Plain C++.
namespace core {

// The thickest wall a door stands in: the outlines of the rooms on its two sides lie at most
// this far apart along its opening.
constexpr double kThickestWall = 0.6;

// A room of a floor: its outline (a simple ring, either way round) less its holes.
struct RoomShape {
    Ring outline;
    std::vector<Ring> holes;
};

// The doors found between rooms drawn as closed outlines: those of the swing candidates, then
// those drawn as closed outlines, in their order, less those whose opening is not found.
// - A leaf opens from its swing's centre to the end of its arc that has rooms on both sides of
//   the line to it before one with a room on one side; a pair of leaves whose arcs meet opens
//   from hinge to hinge; a door outline opens along its middle line (doorOutlineOpening()).
// - An opening is found where its line lies across a gap between outlines (its middle in no
//   room farther than `tolerance` from its walls) with a room on one side at least.
// - Its rooms (places among `rooms`) are those whose outlines the line from the opening's
//   middle, square to it, meets first on either side within kThickestWall + `tolerance`, and
//   no farther apart than that; a door with one is an exit.
[[nodiscard]] std::vector<WallDoor> doorsBetweenRooms(
    const std::vector<RoomShape>& rooms, const std::vector<DoorCandidate>& doors, double tolerance,
    const std::vector<DoorOutline>& outlines = {});

// One connected piece of a floor's walkable region: an outline running counter-clockwise, the
// holes in it, and the rooms (places among the floor's rooms) whose inside it holds.
struct FloorPart {
    Ring outline;
    std::vector<Ring> holes;
    std::vector<std::size_t> rooms;
    // Some of its rooms are joined by no chain of doors: their outlines touch or overlap, so the
    // part runs from one into the other where the drawing shows no wall and no door.
    bool withoutDoor = false;
};

struct FloorRegion {
    std::vector<RoomShape> rooms;  // as given
    std::vector<FloorPart> parts;
};

// The walkable region of a floor: the union of its rooms and, per door, the rectangle through
// its wall: the opening's width by the gap between the opening's line and the nearest room
// outline on either side (measured square to the opening from its middle, within kThickestWall +
// `tolerance`), reaching a centimetre into each room, nothing on a side without a room. Rooms
// that no door joins are parts of their own. A room whose outline or a hole is no simple ring
// with area (ringFault()), or whose holes do not lie inside it apart from each other, is in no
// part, and doorsBetweenRooms() finds no door beside it.
[[nodiscard]] FloorRegion walkableRegion(const std::vector<RoomShape>& rooms,
                                         const std::vector<WallDoor>& doors,
                                         double tolerance = 0.005);

// What setting points reach of one room of a floor, walking inside the room's part.
struct RoomReach {
    std::optional<std::size_t> part;  // the part that holds the room
    // Every demand point of the room (cover_proof.h) lies within R − kDemandMargin of a point.
    bool proven = false;
    // The largest walking distance from a demand point of the room to its nearest setting point
    // in the part, exact up to R and above R where it is farther; infinite where the part holds
    // no point.
    double farthest = 0;
    PlanPoint farthestAt;
};

struct FloorCover {
    // Every room is in a part and every part that holds a room is proven: the whole floor is
    // within R.
    bool proven = false;
    // Per part, with the points inside it; distances exact up to R, those beyond R only known
    // to be beyond it (infinite where no way within R is in sight).
    std::vector<CoverCheck> parts;
    std::vector<RoomReach> rooms;  // per room
    // Per point, in the order given: the farthest walking distance of its share
    // (CoverCheck::shares of its part); infinite for a point in no part.
    std::vector<double> shares;
};

// Checks setting points against a floor: a point counts for the first part that holds it only;
// each part is proven on its own as checkCover() proves a room, and each room by its own demand
// points; `reach` is R in metres.
[[nodiscard]] FloorCover checkFloorCover(const FloorRegion& region,
                                         const std::vector<PlanPoint>& points, double reach);

}  // namespace core
