#include "plan_import.h"

#include <algorithm>
#include <boost/geometry/algorithms/area.hpp>
#include <boost/geometry/algorithms/intersection.hpp>
#include <boost/geometry/algorithms/sym_difference.hpp>
#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#include <cmath>
#include <iterator>
#include <limits>
#include <map>
#include <numeric>
#include <utility>

#include "plan_geometry.h"
#include "unit_rules.h"

namespace core {

namespace {

// The floor a unit was imported to: for a unit of a file that did not keep it, its location.
const std::string& floorOf(const Unit& unit) {
    return unit.plan->floor.empty() ? unit.location : unit.plan->floor;
}

using Polygons = boost::geometry::model::multi_polygon<boost::geometry::model::polygon<PlanPoint>>;

// The area that lies in one of the outlines and not in the other.
double differenceArea(const Ring& a, const Ring& b) {
    Polygons difference;
    boost::geometry::sym_difference(a, b, difference);
    return boost::geometry::area(difference);
}

double commonArea(const Ring& a, const Ring& b) {
    Polygons common;
    boost::geometry::intersection(a, b, common);
    return boost::geometry::area(common);
}

bool sameOutline(const Ring& a, const Ring& b) {
    return !a.empty() && !b.empty() && differenceArea(a, b) <= kOutlineMatch;
}

// The project's doors of the plan's file and floor replaced by the plan's, where the first of them
// was.
void replaceDoors(PlanImportResult& result, const PlanInput& plan) {
    if (!plan.doors) {
        return;
    }
    std::vector<PlanDoor>& doors = result.project.doors;
    const auto ofPlan = [&](const PlanDoor& door) {
        return door.file == plan.file && door.floor == plan.location;
    };
    std::vector<PlanDoor> brought;
    for (PlanDoor door : *plan.doors) {
        door.floor = plan.location;
        door.file = plan.file;
        if (!doorFault(door)) {
            brought.push_back(std::move(door));
        }
    }
    std::vector<PlanDoor> before;
    std::ranges::copy_if(doors, std::back_inserter(before), ofPlan);
    result.changes.doorsChanged = before != brought;
    if (!result.changes.doorsChanged) {
        return;
    }
    // Those before the first of them are none of them, and stay where they are.
    const std::ptrdiff_t at = std::ranges::find_if(doors, ofPlan) - doors.begin();
    std::erase_if(doors, ofPlan);
    doors.insert(doors.begin() + at, brought.begin(), brought.end());
}

}  // namespace

PlanImportResult importPlan(const Project& project, const PlanInput& plan) {
    PlanImportResult result{project, {}};
    std::vector<Unit>& units = result.project.units;
    // The project's units from this drawing on this floor: by the handle of their room, or, for a
    // drawing without handles, to be told by their outline. A room may have several units (its
    // class A and its class E fires, say).
    std::multimap<std::string, std::size_t> byHandle;
    std::vector<std::size_t> withoutHandle;
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (units[i].plan && units[i].plan->file == plan.file &&
            floorOf(units[i]) == plan.location) {
            if (units[i].plan->handle.empty()) {
                withoutHandle.push_back(i);
            } else {
                byHandle.emplace(units[i].plan->handle, i);
            }
        }
    }
    for (const PlanRoomInput& room : plan.rooms) {
        const PlanSource source{plan.file, room.layer,    room.handle,
                                plan.unit, plan.location, plan.declaredUnit};
        std::vector<std::size_t> matches;
        if (room.handle.empty()) {
            // Each unit is one room's: of two rooms of one outline, the first takes it.
            const auto first = std::stable_partition(
                withoutHandle.begin(), withoutHandle.end(),
                [&](std::size_t i) { return !sameOutline(units[i].outline, room.outline); });
            matches.assign(first, withoutHandle.end());
            withoutHandle.erase(first, withoutHandle.end());
        } else {
            const auto [first, last] = byHandle.equal_range(room.handle);
            for (auto match = first; match != last; ++match) {
                matches.push_back(match->second);
            }
        }
        if (matches.empty()) {
            Unit unit;
            unit.name = room.name;
            unit.location = plan.location;
            unit.choices.area = room.area;
            unit.outline = room.outline;
            unit.holes = room.holes;
            unit.plan = source;
            result.changes.added.push_back(units.size());
            units.push_back(std::move(unit));
            continue;
        }
        for (const std::size_t i : matches) {
            Unit& unit = units[i];
            PlanSource before = *unit.plan;
            before.floor = floorOf(unit);
            // A unit imported before the declared unit was kept learns it unchanged.
            if (!before.declaredUnit) {
                before.declaredUnit = source.declaredUnit;
            }
            const bool same = unit.outline == room.outline && unit.holes == room.holes &&
                              unit.choices.area == room.area && before == source;
            unit.outline = room.outline;
            unit.holes = room.holes;
            unit.choices.area = room.area;
            unit.plan = source;
            (same ? result.changes.unchanged : result.changes.updated).push_back(i);
        }
    }
    replaceDoors(result, plan);
    return result;
}

std::vector<std::pair<std::string, std::string>> overlappingLayers(
    const std::vector<PlanRoomInput>& rooms) {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::vector<PlanBox> boxes;
    boxes.reserve(rooms.size());
    for (const PlanRoomInput& room : rooms) {
        boxes.push_back(bounds(room.outline));
    }
    // Swept from left to right, each room met only by those whose boxes reach across its left
    // side: a floor of many rooms is not compared pair by pair.
    std::vector<std::size_t> order(rooms.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [&](std::size_t i, std::size_t j) { return boxes[i].min.x < boxes[j].min.x; });
    for (std::size_t k = 0; k < order.size(); ++k) {
        const std::size_t i = order[k];
        const PlanBox& a = boxes[i];
        for (std::size_t m = k + 1; m < order.size() && boxes[order[m]].min.x < a.max.x; ++m) {
            const std::size_t j = order[m];
            const PlanBox& b = boxes[j];
            if (rooms[i].layer == rooms[j].layer || a.max.y <= b.min.y || b.max.y <= a.min.y) {
                continue;
            }
            const auto [low, high] = std::minmax(rooms[i].layer, rooms[j].layer);
            const std::pair<std::string, std::string> pair{low, high};
            if (std::find(pairs.begin(), pairs.end(), pair) != pairs.end() ||
                commonArea(rooms[i].outline, rooms[j].outline) <= kOutlineMatch) {
                continue;
            }
            pairs.emplace_back(pair);
        }
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

std::vector<std::string> importedFloors(const Project& project, const std::string& file) {
    std::vector<std::string> floors;
    for (const Unit& unit : project.units) {
        if (unit.plan && unit.plan->file == file) {
            const std::string& floor = floorOf(unit);
            std::erase(floors, floor);
            floors.push_back(floor);
        }
    }
    return floors;
}

RoomsScale roomsScale(std::vector<double> areas, double metresPerUnit,
                      const std::vector<LengthUnit>& units) {
    RoomsScale scale;
    if (areas.empty()) {
        return scale;
    }
    const auto middle = areas.begin() + static_cast<std::ptrdiff_t>(areas.size() / 2);
    std::nth_element(areas.begin(), middle, areas.end());
    scale.median = *middle;
    if (areas.size() % 2 == 0) {
        scale.median = (scale.median + *std::max_element(areas.begin(), middle)) / 2;
    }
    const auto plausible = [](double median) {
        return median >= kMinMedianRoomArea && median <= kMaxMedianRoomArea;
    };
    scale.plausible = plausible(scale.median);
    if (scale.plausible) {
        return scale;
    }
    double nearest = std::numeric_limits<double>::infinity();
    for (const LengthUnit& unit : units) {
        const double ratio = unit.metres / metresPerUnit;
        const double median = scale.median * ratio * ratio;
        const double distance = std::abs(std::log(median / kTypicalRoomArea));
        if (plausible(median) && distance < nearest) {
            nearest = distance;
            scale.likelyUnit = unit.name;
        }
    }
    return scale;
}

}  // namespace core
