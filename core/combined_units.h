#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "floor_walk.h"
#include "project.h"

// Combined units (组合单元): rooms of one floor that share fire class and hazard, calculated as one
// unit (GB 50140-2005 7.2.1) with the floor's building area for S (7.2.2), made of units and taken
// apart into them again. Plain C++.
namespace core {

// Why units are not combined.
enum class CombineFault : std::uint8_t {
    None,
    TooFew,       // fewer than two units
    NoOutline,    // a unit without an outline (typed by hand) or with a faulty one
    OtherFloor,   // a unit on another floor than the first
    OtherClass,   // a unit of another fire class than the first
    OtherHazard,  // a unit of another hazard than the first
};

struct CombineRefusal {
    CombineFault fault = CombineFault::None;
    std::size_t unit = 0;   // the unit, by its index in the project, that breaks the rule
    std::size_t first = 0;  // the first unit, whose floor, class and hazard the others must share
};

// Where a combined unit's S comes from.
enum class AreaBasis : std::uint8_t {
    Outline,       // a room's outline (a unit of its own)
    FloorOutline,  // the outline drawn round the floor's rooms: the building area
    RoomsSum,      // the sum of its rooms' areas, without the walls
};

// The project with the units at the indices `which` (two or more, on one floor, of one fire class
// and hazard, each with an outline or combined already) made one combined unit, in the place of the
// first of them; the others are removed. Its rooms are theirs, in order (those of a combined unit
// among them as they are); its choices, model and name the first's, its location their floor; N
// is left to the estimate; its points set by hand are theirs, the others are dropped, to be placed
// again; its doors are the floor's doors that lead into one of its rooms. S is the area of the
// floor's outline (PlanFloor) where one holds all its rooms and the floor has no other unit
// inside it; else the sum of its rooms' areas.
[[nodiscard]] std::variant<Project, CombineRefusal> combineUnits(const Project& project,
                                                                 std::vector<std::size_t> which);

// The project with the combined unit at `index` taken apart: each room a unit again in its place,
// in order, with the combined unit's choices and model, the room's area for S, and the points set
// by hand that lie in it. Any other unit is returned unchanged.
[[nodiscard]] Project splitUnit(const Project& project, std::size_t index);

// What combineFloors() made: per combined unit added, its index in the project given back and
// the indices, in the project it was given, of the units it is made of.
struct FloorCombined {
    std::size_t unit = 0;
    std::vector<std::size_t> from;
};

// On each floor (or the one named), the units with an outline that are not combined already,
// grouped by fire class and hazard: each group of two or more made one combined unit by
// combineUnits(). Units already combined, and units without an outline, stay as they are.
struct FloorsCombined {
    Project project;
    std::vector<FloorCombined> made;
};
[[nodiscard]] FloorsCombined combineFloors(const Project& project,
                                           const std::optional<std::string>& floor = std::nullopt);

// Where a unit's S comes from (an outline, the floor's, or the sum of its rooms); none for a unit
// without an outline or rooms.
[[nodiscard]] std::optional<AreaBasis> areaBasis(const Unit& unit);

// The rooms of a unit with an outline or of a combined unit, as the floor's walk takes them.
[[nodiscard]] std::vector<RoomShape> unitShapes(const Unit& unit);

// The walkable region of a combined unit: its rooms joined by its doors, each door's rooms those of
// its rooms whose outlines lie on either side of its opening within a wall's thickness.
[[nodiscard]] FloorRegion unitRegion(const Unit& unit);

// The doors of the unit's region, with their rooms among the unit's rooms (unitRegion()).
[[nodiscard]] std::vector<WallDoor> unitDoors(const Unit& unit);

// Per room of a combined unit, whether it counts as its circulation (circulationRooms()).
[[nodiscard]] std::vector<bool> unitCirculation(const Unit& unit);

// How many of a combined unit's setting points stand in its rooms that are not its circulation.
[[nodiscard]] std::size_t pointsInRooms(const Unit& unit);

}  // namespace core
