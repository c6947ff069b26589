#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plan_doors.h"
#include "plan_import.h"
#include "polygon.h"
#include "room_finding.h"

// From the walls, doors and windows of a floor plan to its rooms: the lines and arcs of the wall
// layers are joined where they meet within a tolerance, the openings of doors and windows and the
// short gaps between wall ends are closed, and the faces that the lines enclose are the rooms.
// Everything in metres, y up.
namespace core {

// A gap between wall ends that face each other is closed, without a door or window in it, when it
// is at least this wide and at most kWidestGap: narrower gaps are where a partition's own lines
// interrupt a wall's line, not openings.
constexpr double kNarrowestGap = 0.6;
constexpr double kWidestGap = 2.4;
// Faces no wider than this (the width of the rectangle of their area and perimeter, within the
// tolerance), in metres, that hold no name are wall thickness; and so are those longer than
// kLongestThinRoom (half their perimeter) whatever they hold: the label of a window or a wall drawn
// over the wall names no room.
constexpr double kThinnestRoom = 0.6;
constexpr double kLongestThinRoom = 12;
// A face above this, in m², is no room.
constexpr double kLargestRoom = 10000;

// A line (bulge 0) or arc of a wall layer, as a polyline's vertex and the arc to the next one.
struct WallPiece {
    PlanPoint a;
    PlanPoint b;
    double bulge = 0;
};

// The arc that a door's leaf sweeps: its centre is the hinge, its radius the leaf's width.
struct SwingArc {
    PlanPoint centre;
    double radius = 0;
    PlanPoint start;
    PlanPoint end;
};

// A reference judged a door by its block and layer, with the swings its block draws.
struct DoorCandidate {
    std::string handle;
    std::vector<SwingArc> swings;
};

// A door's opening found from its swings: from `hinge` to `end` across its wall, the leaf opening
// to the left of hinge→end (+1) or to the right (-1).
struct SwingOpening {
    PlanPoint hinge;
    PlanPoint end;
    int swing = 0;
};

// How well a line from a hinge lies across a wall's opening, compared in order: what it lies
// along first, then what else; {0, 0} for not at all.
using OpeningFit = std::pair<std::size_t, std::size_t>;

// The opening of a door from its swings: a pair of leaves whose arcs meet open from hinge to
// hinge; one leaf opens from its centre to the end of its arc that `fit` rates higher (the start
// where equal), and none where it rates both {0, 0}.
[[nodiscard]] std::optional<SwingOpening> swingOpening(
    const DoorCandidate& door, const std::function<OpeningFit(PlanPoint, PlanPoint)>& fit);

// A window as its span along its wall.
struct WindowCandidate {
    std::string handle;
    PlanPoint a;
    PlanPoint b;
};

// A closed polyline of a door layer: its edges close the opening it stands in.
struct DoorOutline {
    std::string handle;
    Ring outline;
};

// The opening of a door drawn as a closed outline: its middle line along its longest edge's
// direction, from end to end of the outline; no swing (0).
[[nodiscard]] SwingOpening doorOutlineOpening(const Ring& outline);

struct WallInput {
    // Every line and arc of the wall (and column) layers; polylines come as their pieces.
    std::vector<WallPiece> walls;
    std::vector<DoorCandidate> doors;
    std::vector<WindowCandidate> windows;
    std::vector<DoorOutline> doorOutlines;
    std::vector<PlanText> texts;
    double tolerance = 0.005;  // ends closer than this are one
};

// A door whose opening was found: the opening runs from `hinge` to `end` across its wall.
struct WallDoor {
    std::string handle;
    PlanPoint hinge;
    PlanPoint end;
    // +1 where the leaf opens to the left of hinge→end, -1 to the right, 0 unknown (an outline).
    int swing = 0;
    // The rooms (places among WallRooms::rooms) to the left and to the right of hinge→end; an
    // exit has one.
    std::array<std::optional<std::size_t>, 2> rooms;
};

// A segment added between two wall ends, and what closed it.
struct ClosedGap {
    PlanPoint a;
    PlanPoint b;
    enum class By : std::uint8_t { Door, Window, Nothing } by = By::Nothing;
};

// The openings that the gaps close, as the user counts them: the gaps closed across one opening
// in the two lines of a wall (parallel, side by side within kThinnestRoom, overlapping along the
// wall, closed alike) are one, along the middle of the wall; the others as they are. In the order
// of their first gap.
[[nodiscard]] std::vector<ClosedGap> gapOpenings(const std::vector<ClosedGap>& gaps);

struct WallRooms {
    // Outline counter-clockwise with its arcs as chords outside the room, holes, area of the
    // curves (less the holes) rounded up, name ("" none); no layer or handle.
    std::vector<PlanRoomInput> rooms;
    std::vector<std::size_t> unnamedNumbers;  // as FoundRooms has them
    std::vector<WallDoor> doors;              // in the order of the candidates, then the outlines
    std::vector<ClosedGap> gaps;
};

// The rooms that the walls enclose:
// - Ends within the tolerance are one point; an end within it of another piece splits that piece;
//   pieces that cross split each other. Arcs are joined as chords within half the tolerance, and
//   come back as arcs in the rooms' outlines. Pieces that enclose nothing (furniture lines, the
//   overshoot of a wall) are dropped.
// - A wall end is the end of a straight piece with no piece going on in its direction. Two ends
//   that face each other (directions opposite within 1°, apart sideways within the tolerance),
//   with nothing between them and each the other's nearest, are joined by a segment when a door's
//   opening or a window's span lies along them (whatever their distance), or else when they are
//   kNarrowestGap to kWidestGap apart and one of their pieces is longer than kNarrowestGap (so
//   that the jambs of two doors face to face are not joined across a corridor).
// - A door's opening runs from its swing's centre to the end of the arc that lies along a gap it
//   closes, or where neither does, along its wall's lines (the other end is the open leaf); a
//   pair of leaves (two hinges) whose arcs meet opens from hinge to hinge. A door outline's opening
//   is its long middle line. Doors and windows close gaps up to 12 m wide.
// - The faces the pieces enclose are rooms when they are not the outer face, their area is
//   kSmallestRoom to kLargestRoom, they are not wall thickness (kThinnestRoom) nor, unnamed and
//   without holes, all of what stands free in a face that is no wall thickness (a column or a
//   shaft), and their name is no void's (isVoidName()); what stands inside a face, touching its
//   outline at most at points, is its holes (a face that touches itself is split there). A room's
//   outline is its face's, area from the curves less the holes'. A room's name is its tallest text
//   that lies in it and in none of its holes (of equally tall texts the first), as roomNameOf()
//   gives it.
// - The rooms beside a door are those found first from the middle of its opening, square to it,
//   within kDoorSideReach on either side.
[[nodiscard]] WallRooms findWallRooms(const WallInput& input);

}  // namespace core
