#include "plan_doors.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "polygon.h"

namespace core {
namespace {

// Rooms with the boxes about them, each with what it belongs to.
struct SideRooms {
    std::vector<std::size_t> owners;
    std::vector<const Ring*> outlines;
    std::vector<const std::vector<Ring>*> holes;
    std::vector<PlanBox> boxes;

    void add(std::size_t owner, const Ring& outline, const std::vector<Ring>& inside) {
        if (outline.size() >= 3) {
            owners.push_back(owner);
            outlines.push_back(&outline);
            holes.push_back(&inside);
            boxes.push_back(bounds(outline));
        }
    }
};

// The rooms of a floor's units: each unit's outline, and each room of a combined unit.
SideRooms floorRooms(const Project& project, std::string_view floor) {
    SideRooms rooms;
    for (std::size_t i = 0; i < project.units.size(); ++i) {
        const Unit& unit = project.units[i];
        if (unit.location != floor) {
            continue;
        }
        rooms.add(i, unit.outline, unit.holes);
        for (const UnitRoom& room : unit.rooms) {
            rooms.add(i, room.outline, room.holes);
        }
    }
    return rooms;
}

// What the first room whose outline, less its holes, covers the point belongs to.
std::optional<std::size_t> ownerAt(const SideRooms& rooms, PlanPoint at) {
    for (std::size_t k = 0; k < rooms.owners.size(); ++k) {
        const PlanBox& box = rooms.boxes[k];
        if (at.x < box.min.x || at.x > box.max.x || at.y < box.min.y || at.y > box.max.y) {
            continue;
        }
        if (inRoom(at, *rooms.outlines[k], *rooms.holes[k])) {
            return rooms.owners[k];
        }
    }
    return std::nullopt;
}

DoorRooms roomsOf(const SideRooms& rooms, const PlanDoor& door) {
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
            *side = ownerAt(rooms, {middle.x + along * left.x, middle.y + along * left.y});
        }
    }
    return found;
}

}  // namespace

DoorRooms doorRooms(const Project& project, const PlanDoor& door) {
    return roomsOf(floorRooms(project, door.floor), door);
}

DoorRooms doorSides(const std::vector<const Ring*>& outlines,
                    const std::vector<const std::vector<Ring>*>& holes, const PlanDoor& door) {
    SideRooms rooms;
    for (std::size_t k = 0; k < outlines.size(); ++k) {
        rooms.add(k, *outlines[k], *holes[k]);
    }
    return roomsOf(rooms, door);
}

DoorCount doorCount(const Project& project, std::string_view floor) {
    DoorCount count;
    const SideRooms rooms = floorRooms(project, floor);
    for (const PlanDoor& door : project.doors) {
        if (door.floor == floor) {
            ++count.total;
            count.exits += roomsOf(rooms, door).exit() ? 1 : 0;
        }
    }
    return count;
}

}  // namespace core
