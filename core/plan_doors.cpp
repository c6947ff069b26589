#include "plan_doors.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "polygon.h"

namespace core {
namespace {

// The units of a floor that have an outline, with the boxes about them.
struct FloorRooms {
    std::vector<std::size_t> units;
    std::vector<PlanBox> boxes;
};

FloorRooms floorRooms(const Project& project, std::string_view floor) {
    FloorRooms rooms;
    for (std::size_t i = 0; i < project.units.size(); ++i) {
        const Unit& unit = project.units[i];
        if (unit.location == floor && unit.outline.size() >= 3) {
            rooms.units.push_back(i);
            rooms.boxes.push_back(bounds(unit.outline));
        }
    }
    return rooms;
}

// The first unit of the floor whose outline, less its holes, covers the point.
std::optional<std::size_t> unitAt(const Project& project, const FloorRooms& rooms, PlanPoint at) {
    for (std::size_t k = 0; k < rooms.units.size(); ++k) {
        const PlanBox& box = rooms.boxes[k];
        if (at.x < box.min.x || at.x > box.max.x || at.y < box.min.y || at.y > box.max.y) {
            continue;
        }
        const Unit& unit = project.units[rooms.units[k]];
        if (coveredBy(at, unit.outline) && std::ranges::none_of(unit.holes, [at](const Ring& hole) {
                return coveredBy(at, hole);
            })) {
            return rooms.units[k];
        }
    }
    return std::nullopt;
}

DoorRooms roomsOf(const Project& project, const FloorRooms& rooms, const PlanDoor& door) {
    DoorRooms found;
    const double dx = door.end.x - door.hinge.x;
    const double dy = door.end.y - door.hinge.y;
    const double width = std::hypot(dx, dy);
    if (!(width > 0) || !std::isfinite(width)) {
        return found;
    }
    const PlanPoint middle{(door.hinge.x + door.end.x) / 2, (door.hinge.y + door.end.y) / 2};
    // The unit normal to the left of the way from the hinge to the end.
    const PlanPoint left{-dy / width, dx / width};
    const auto steps = static_cast<int>(std::lround(kDoorSideReach / kDoorSideStep));
    for (const auto& [side, sign] : {std::pair{&found.left, 1.0}, {&found.right, -1.0}}) {
        for (int k = 1; k <= steps && !*side; ++k) {
            const double along = sign * k * kDoorSideStep;
            *side = unitAt(project, rooms, {middle.x + along * left.x, middle.y + along * left.y});
        }
    }
    return found;
}

}  // namespace

DoorRooms doorRooms(const Project& project, const PlanDoor& door) {
    return roomsOf(project, floorRooms(project, door.floor), door);
}

DoorCount doorCount(const Project& project, std::string_view floor) {
    DoorCount count;
    const FloorRooms rooms = floorRooms(project, floor);
    for (const PlanDoor& door : project.doors) {
        if (door.floor == floor) {
            ++count.total;
            count.exits += roomsOf(project, rooms, door).exit() ? 1 : 0;
        }
    }
    return count;
}

}  // namespace core
