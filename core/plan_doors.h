#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "project.h"

// The doors of a project's floors and the rooms they join. A door keeps only its floor and its
// opening; which units lie on its two sides is found here from the units' outlines each time it is
// asked, never stored, so that it stays right when a unit is edited, moved to another floor or
// removed.
namespace core {

// How far from the middle of its opening a door's rooms are looked for, on each side, and the
// step, in metres: past the wall it sits in, and no farther than a room beyond the next.
constexpr double kDoorSideStep = 0.05;
constexpr double kDoorSideReach = 1;

// The units on a door's two sides, by their indices in the project: `left` on the side left of
// the way from the hinge to the end, `right` on the other; none where no unit of the door's floor
// is there. A door with a unit on one side only leads out: an exit.
struct DoorRooms {
    std::optional<std::size_t> left;
    std::optional<std::size_t> right;

    [[nodiscard]] bool exit() const { return left.has_value() != right.has_value(); }
    friend bool operator==(const DoorRooms&, const DoorRooms&) = default;
};

// The units whose location is the door's floor and whose outline, or one of whose rooms (a combined
// unit's), less its holes, covers the point
// found stepping kDoorSideStep at a time from the middle of the opening, at right angles to it, up
// to kDoorSideReach, on each side: the first such point on a side that a unit covers, and of the
// units covering it the first in the project.
[[nodiscard]] DoorRooms doorRooms(const Project& project, const PlanDoor& door);

// The rooms, by their places among `outlines` (each less the `holes` at the same place), on a
// door's two sides, found as doorRooms() finds units.
[[nodiscard]] DoorRooms doorSides(const std::vector<const Ring*>& outlines,
                                  const std::vector<const std::vector<Ring>*>& holes,
                                  const PlanDoor& door);

struct DoorCount {
    std::size_t total = 0;
    std::size_t exits = 0;

    friend bool operator==(const DoorCount&, const DoorCount&) = default;
};

// The doors of a floor, and how many of them are exits.
[[nodiscard]] DoorCount doorCount(const Project& project, std::string_view floor);

}  // namespace core
