#include "plan_import.h"

#include <map>
#include <utility>

namespace core {

PlanImportResult importPlan(const Project& project, const PlanInput& plan) {
    PlanImportResult result{project, {}};
    std::vector<Unit>& units = result.project.units;
    // The project's units by the handle of the room they came from in this drawing; a room may
    // have several units (its class A and its class E fires, say).
    std::multimap<std::string, std::size_t> byHandle;
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (units[i].plan && units[i].plan->file == plan.file) {
            byHandle.emplace(units[i].plan->handle, i);
        }
    }
    for (const PlanRoomInput& room : plan.rooms) {
        const PlanSource source{plan.file, room.layer, room.handle, plan.unit};
        const auto [first, last] = byHandle.equal_range(room.handle);
        if (room.handle.empty() || first == last) {
            Unit unit;
            unit.name = room.name;
            unit.location = plan.location;
            unit.choices.area = room.area;
            unit.outline = room.outline;
            unit.plan = source;
            result.changes.added.push_back(units.size());
            units.push_back(std::move(unit));
            continue;
        }
        for (auto match = first; match != last; ++match) {
            Unit& unit = units[match->second];
            const bool same = unit.outline == room.outline && unit.choices.area == room.area &&
                              unit.plan == source;
            unit.outline = room.outline;
            unit.choices.area = room.area;
            unit.plan = source;
            (same ? result.changes.unchanged : result.changes.updated).push_back(match->second);
        }
    }
    return result;
}

}  // namespace core
