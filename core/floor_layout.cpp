#include "floor_layout.h"

#include <algorithm>
#include <vector>

namespace core {

std::string pointNumber(std::size_t unitIndex, std::size_t pointIndex) {
    return std::to_string(unitIndex + 1) + "-" + std::to_string(pointIndex + 1);
}

std::vector<FloorLayout> floorLayouts(const Project& project) {
    std::vector<FloorLayout> floors;
    for (std::size_t i = 0; i < project.units.size(); ++i) {
        const Unit& unit = project.units[i];
        if (!hasPlan(unit)) {
            continue;
        }
        // A combined unit's rooms: their box, and the drawings of all that have one.
        PlanBox box = unit.combined() ? bounds(unit.rooms.front().outline) : bounds(unit.outline);
        std::vector<const PlanSource*> plans;
        if (unit.plan) {
            plans.push_back(&*unit.plan);
        }
        for (const UnitRoom& room : unit.rooms) {
            const PlanBox more = bounds(room.outline);
            box = {{std::min(box.min.x, more.min.x), std::min(box.min.y, more.min.y)},
                   {std::max(box.max.x, more.max.x), std::max(box.max.y, more.max.y)}};
            if (room.plan) {
                plans.push_back(&*room.plan);
            }
        }
        auto floor = std::ranges::find(floors, unit.location, &FloorLayout::floor);
        if (floor == floors.end()) {
            floors.push_back({.floor = unit.location,
                              .units = {},
                              .drawingUnit = plans.empty() ? std::string() : plans.front()->unit,
                              .extent = box});
            floor = std::prev(floors.end());
        }
        floor->units.push_back(i);
        floor->points += unit.setPoints.size();
        for (const PlanSource* plan : plans) {
            if (floor->drawingUnit.empty()) {
                floor->drawingUnit = plan->unit;
            } else if (floor->drawingUnit != plan->unit) {
                floor->mixedUnits = true;
            }
        }
        floor->extent.min = {std::min(floor->extent.min.x, box.min.x),
                             std::min(floor->extent.min.y, box.min.y)};
        floor->extent.max = {std::max(floor->extent.max.x, box.max.x),
                             std::max(floor->extent.max.y, box.max.y)};
    }
    for (FloorLayout& floor : floors) {
        if (floor.drawingUnit.empty()) {
            floor.drawingUnit = "mm";
        }
    }
    return floors;
}

LayoutFault layoutFault(const FloorLayout& floor) {
    if (floor.mixedUnits) {
        return LayoutFault::MixedUnits;
    }
    return floor.points == 0 ? LayoutFault::NoPoints : LayoutFault::None;
}

LayoutFault layoutFault(const Project& project, const std::string& floor) {
    const auto floors = floorLayouts(project);
    const auto found = std::ranges::find(floors, floor, &FloorLayout::floor);
    return found == floors.end() ? LayoutFault::NoOutline : layoutFault(*found);
}

}  // namespace core
