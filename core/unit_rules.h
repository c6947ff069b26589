#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "polygon.h"
#include "project.h"

// What a unit of a project may be: the rules that the project file's reader and writer both keep,
// so that a unit that is saved can be read again. Each fault says which rule a unit breaks and
// where (which key, which ring, which vertex or point); the wording is the caller's.
namespace core {

// The most vertices of a room's outline, its holes counted with it.
constexpr std::size_t kMaxOutlineVertices = 100000;

// The rule that a unit breaks, in the order the rules are checked.
enum class UnitRule : std::uint8_t {
    None,
    TooLong,                  // a name or location of more than kMaxNameLength characters
    ClassD,                   // class D is never a unit of a project
    AgentNotAllowed,          // an agent its class rules out
    AreaOutOfRange,           // not a finite number from 0 to kMaxUnitArea
    ModelNotAdequate,         // a model that is not among the unit's candidates
    PointsOutOfRange,         // N not from 1 to kMaxPoints
    TooFewVertices,           // a ring of fewer than 3 vertices
    TooManyVertices,          // a ring of more than kMaxOutlineVertices
    VertexNotFinite,          // a coordinate that is infinite or not a number
    VertexRepeated,           // a vertex that repeats the one before it (the first: the last)
    OutOfRange,               // an area that overflows
    ZeroArea,                 // no area
    SelfIntersecting,         // edges that cross or touch
    Clockwise,                // a ring turning clockwise
    HolesWithoutOutline,      // holes but no outline
    TooManyVerticesInAll,     // the outline and its holes together above kMaxOutlineVertices
    HoleOutside,              // a hole not wholly inside the outline
    HolesMeet,                // a hole that meets an earlier one
    PlanWithoutOutline,       // a plan source but no outline
    SetPointsWithoutOutline,  // setting points but no outline
    TooManySetPoints,         // more than kMaxPoints setting points
    SetPointNotFinite,        // a setting point with a coordinate not finite
    HandSetNotInStep,         // hand-set flags, yet not one per setting point
    DoorWithoutFloor,         // a door whose floor is empty
    DoorNotFinite,            // a door's hinge or end with a coordinate not finite
    DoorWidthOutOfRange,      // a door's opening not from kMinDoorWidth to kMaxDoorWidth wide
    DoorSwingInvalid,         // a door's swing not -1, 0 or 1
    RoomsWithOutline,         // rooms, and an outline or holes of the unit's own
    RoomsWithPlan,            // rooms, and a plan source of the unit's own
    TooFewRooms,              // rooms, but fewer than two
    FloorWithoutRooms,        // an outline round the floor's rooms, but no rooms
    DoorsWithoutRooms,        // doors of a unit, but no rooms
};

// The part of a unit that a rule is about.
enum class UnitPart : std::uint8_t {
    Whole,  // its choices, model and N
    Name,
    Location,
    Outline,
    Hole,
    Plan,
    SetPoints,
    Door,          // a door of the project or of a combined unit: its floor, opening and swing
    Room,          // the rooms of a combined unit, as a whole
    FloorOutline,  // the outline round a floor's rooms, of a combined unit or of the project
};

struct UnitFault {
    UnitRule rule = UnitRule::None;
    UnitPart part = UnitPart::Whole;
    std::size_t hole = 0;  // which hole, from 0, for UnitPart::Hole
    std::size_t item = 0;  // which vertex or point, from 0; for HolesMeet the earlier hole
    // For the rules of too many: the characters, vertices or points there are; for TooFewRooms
    // the rooms.
    std::size_t count = 0;
    // The room of a combined unit, from 0, whose name, outline or hole breaks the rule; none for
    // the unit's own parts. For a door of a combined unit, `item` is which door, from 0.
    std::optional<std::size_t> room = std::nullopt;

    [[nodiscard]] explicit operator bool() const { return rule != UnitRule::None; }
    friend bool operator==(const UnitFault&, const UnitFault&) = default;
};

// The first rule the unit breaks; none when it may be kept in a project. A combined unit has two
// or more rooms, each named and shaped as a unit's outline and holes are, and no outline, holes or
// plan of its own; only it may have an outline round its floor's rooms (a simple ring,
// counter-clockwise) and doors, each kept by doorFault().
[[nodiscard]] UnitFault unitFault(const Unit& unit);
// The rules of the outline and its holes alone: each ring simple and counter-clockwise, each hole
// inside the outline and apart from the others.
[[nodiscard]] UnitFault outlineFault(const Ring& outline, const std::vector<Ring>& holes);
// The rules of the setting points alone: at most kMaxPoints, each finite. A point outside the
// outline is kept: the outline may have been imported again since they were placed, and the check
// of the cover then tells.
[[nodiscard]] UnitFault setPointsFault(const std::vector<PlanPoint>& points);

// The narrowest and widest opening of a door, in metres.
constexpr double kMinDoorWidth = 0.3;
constexpr double kMaxDoorWidth = 6;

// The first rule the door breaks (its part Door; a floor too long is TooLong with its length); none
// when it may be kept in a project.
[[nodiscard]] UnitFault doorFault(const PlanDoor& door);

// The first rule the outline round a floor's rooms breaks: its floor at most kMaxNameLength
// characters long (TooLong with its length; it may be empty, as a unit's location may), the
// outline a simple ring, counter-clockwise; all of part FloorOutline. None when it may be kept in
// a project.
[[nodiscard]] UnitFault floorFault(const PlanFloor& floor);

// The length of a UTF-8 text in characters as the editors count them: UTF-16 code units.
[[nodiscard]] std::size_t editorLength(std::string_view utf8);

}  // namespace core
