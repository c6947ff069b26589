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
#include <optional>
#include <set>
#include <utility>

#include "plan_doors.h"
#include "plan_geometry.h"
#include "unit_rules.h"

namespace core {

namespace {

// The floor a unit, or a room of a combined unit, was imported to: for one of a file that did not
// keep it, the unit's location.
const std::string& floorOf(const Unit& unit, const PlanSource& plan) {
    return plan.floor.empty() ? unit.location : plan.floor;
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

// A room that the project has from a drawing: a unit's own, or a room of a combined unit.
struct KnownRoom {
    std::size_t unit = 0;
    std::optional<std::size_t> room;
};

// The project's doors or floor outlines of the plan's file and floor replaced by `brought`, where
// the first of them was; whether they were not those already.
template <typename Kept>
bool replaceOfPlan(std::vector<Kept>& kept, const std::vector<Kept>& brought,
                   const PlanInput& plan) {
    const auto ofPlan = [&](const Kept& one) {
        return one.file == plan.file && one.floor == plan.location;
    };
    std::vector<Kept> before;
    std::ranges::copy_if(kept, std::back_inserter(before), ofPlan);
    if (before == brought) {
        return false;
    }
    // Those before the first of them are none of them, and stay where they are.
    const std::ptrdiff_t at = std::ranges::find_if(kept, ofPlan) - kept.begin();
    std::erase_if(kept, ofPlan);
    kept.insert(kept.begin() + at, brought.begin(), brought.end());
    return true;
}

void replaceDoors(PlanImportResult& result, const PlanInput& plan) {
    if (!plan.doors) {
        return;
    }
    std::vector<PlanDoor> brought;
    for (PlanDoor door : *plan.doors) {
        door.floor = plan.location;
        door.file = plan.file;
        if (!doorFault(door)) {
            brought.push_back(std::move(door));
        }
    }
    result.changes.doorsChanged = replaceOfPlan(result.project.doors, brought, plan);
}

// The floor's outlines replaced by the plan's (less any that breaks floorFault()); a combined unit
// of the floor whose outline round the floor was one of them takes the plan's of the same handle
// (without handles, of the same outline), and keeps its own where the plan has none.
void replaceFloors(PlanImportResult& result, const PlanInput& plan) {
    if (!plan.floors) {
        return;
    }
    std::vector<PlanFloor> brought;
    for (PlanFloor floor : *plan.floors) {
        floor.floor = plan.location;
        floor.file = plan.file;
        // As a door: one the project could not be saved with is left out.
        if (!floorFault(floor)) {
            brought.push_back(std::move(floor));
        }
    }
    for (Unit& unit : result.project.units) {
        if (!unit.combined() || unit.floorOutline.empty() || unit.location != plan.location) {
            continue;
        }
        const auto was = std::ranges::find_if(result.project.floors, [&](const PlanFloor& floor) {
            return floor.file == plan.file && floor.floor == plan.location &&
                   floor.outline == unit.floorOutline;
        });
        if (was == result.project.floors.end()) {
            continue;
        }
        const auto now = std::ranges::find_if(brought, [&](const PlanFloor& floor) {
            return was->handle.empty() ? sameOutline(floor.outline, was->outline)
                                       : floor.handle == was->handle;
        });
        if (now != brought.end()) {
            unit.floorOutline = now->outline;
        }
    }
    result.changes.floorsChanged = replaceOfPlan(result.project.floors, brought, plan);
}

// The floor's doors that have one of the unit's rooms on a side.
std::vector<PlanDoor> doorsOfUnit(const Project& project, std::size_t unit) {
    std::vector<PlanDoor> doors;
    for (const PlanDoor& door : project.doors) {
        if (door.floor == project.units[unit].location) {
            const DoorRooms sides = doorRooms(project, door);
            if (sides.left == unit || sides.right == unit) {
                doors.push_back(door);
            }
        }
    }
    return doors;
}

}  // namespace

PlanImportResult importPlan(const Project& project, const PlanInput& plan) {
    PlanImportResult result{project, {}};
    std::vector<Unit>& units = result.project.units;
    // The project's rooms from this drawing on this floor: by their handle, or, for a drawing
    // without handles, to be told by their outline. A room may have several units (its class A
    // and its class E fires, say).
    std::multimap<std::string, KnownRoom> byHandle;
    std::vector<KnownRoom> withoutHandle;
    const auto know = [&](const KnownRoom& known, const std::optional<PlanSource>& source) {
        const Unit& unit = units[known.unit];
        if (source && source->file == plan.file && floorOf(unit, *source) == plan.location) {
            if (source->handle.empty()) {
                withoutHandle.push_back(known);
            } else {
                byHandle.emplace(source->handle, known);
            }
        }
    };
    for (std::size_t i = 0; i < units.size(); ++i) {
        know({i, std::nullopt}, units[i].plan);
        for (std::size_t r = 0; r < units[i].rooms.size(); ++r) {
            know({i, r}, units[i].rooms[r].plan);
        }
    }
    const auto outlineOf = [&](const KnownRoom& known) -> const Ring& {
        return known.room ? units[known.unit].rooms[*known.room].outline
                          : units[known.unit].outline;
    };
    // The combined units a room of which the drawing has as it was, and those of which it has one
    // changed.
    std::set<std::size_t> combinedMatched;
    std::set<std::size_t> combinedUpdated;
    for (const PlanRoomInput& room : plan.rooms) {
        const PlanSource source{plan.file, room.layer,    room.handle,
                                plan.unit, plan.location, plan.declaredUnit};
        std::vector<KnownRoom> matches;
        if (room.handle.empty()) {
            // Each unit is one room's: of two rooms of one outline, the first takes it.
            const auto first = std::stable_partition(
                withoutHandle.begin(), withoutHandle.end(), [&](const KnownRoom& known) {
                    return !sameOutline(outlineOf(known), room.outline);
                });
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
        for (const KnownRoom& known : matches) {
            Unit& unit = units[known.unit];
            std::optional<PlanSource>& from = known.room ? unit.rooms[*known.room].plan : unit.plan;
            Ring& outline = known.room ? unit.rooms[*known.room].outline : unit.outline;
            std::vector<Ring>& holes = known.room ? unit.rooms[*known.room].holes : unit.holes;
            PlanSource before = *from;
            before.floor = floorOf(unit, before);
            // A room imported before the declared unit was kept learns it unchanged.
            if (!before.declaredUnit) {
                before.declaredUnit = source.declaredUnit;
            }
            const bool same = outline == room.outline && holes == room.holes && before == source;
            outline = room.outline;
            holes = room.holes;
            from = source;
            if (known.room) {
                (same ? combinedMatched : combinedUpdated).insert(known.unit);
                continue;
            }
            const bool sameArea = unit.choices.area == room.area;
            unit.choices.area = room.area;
            (same && sameArea ? result.changes.unchanged : result.changes.updated)
                .push_back(known.unit);
        }
    }
    replaceDoors(result, plan);
    replaceFloors(result, plan);
    // The combined units: their S where it follows their rooms, and the doors of their floor.
    for (std::size_t i = 0; i < project.units.size(); ++i) {
        Unit& unit = units[i];
        if (!unit.combined()) {
            continue;
        }
        const Unit& before = project.units[i];
        const bool matched = combinedMatched.contains(i) || combinedUpdated.contains(i);
        if ((combinedUpdated.contains(i) || unit.floorOutline != before.floorOutline) &&
            !areaTypedByHand(before)) {
            unit.choices.area = outlineArea(unit).value_or(unit.choices.area);
        }
        if (unit.location == plan.location && (plan.doors || matched)) {
            unit.doors = doorsOfUnit(result.project, i);
        }
        if (combinedUpdated.contains(i) || unit.choices.area != before.choices.area ||
            unit.floorOutline != before.floorOutline || unit.doors != before.doors) {
            result.changes.updated.push_back(i);
        } else if (matched) {
            result.changes.unchanged.push_back(i);
        }
    }
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
    const auto add = [&](const Unit& unit, const std::optional<PlanSource>& plan) {
        if (plan && plan->file == file) {
            const std::string& floor = floorOf(unit, *plan);
            std::erase(floors, floor);
            floors.push_back(floor);
        }
    };
    // A combined unit's rooms keep the drawing they came from.
    for (const Unit& unit : project.units) {
        add(unit, unit.plan);
        for (const UnitRoom& room : unit.rooms) {
            add(unit, room.plan);
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
