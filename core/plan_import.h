#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "polygon.h"
#include "project.h"

// The rooms of a floor plan brought into a project: a room already imported from the same drawing
// (the same file name and entity handle) has its outline and area brought up to date; every other
// room becomes a unit. No unit is removed.
namespace core {

struct PlanRoomInput {
    std::string name;
    std::string layer;
    std::string handle;
    Ring outline;                  // metres, counter-clockwise
    double area = 0;               // m², rounded up to 0.01 m²
    std::vector<Ring> holes = {};  // columns, shafts and voids inside it; metres, counter-clockwise
};

struct PlanInput {
    std::string file;      // the drawing's file name, without its folder
    std::string unit;      // the drawing's unit: "mm", "cm", "m" or "inch"
    std::string location;  // the location of the units added
    std::vector<PlanRoomInput> rooms;
};

// What an import did, by the units' indices in the project it gives.
struct PlanChanges {
    std::vector<std::size_t> added;
    std::vector<std::size_t> updated;    // outline, area, layer or unit changed
    std::vector<std::size_t> unchanged;  // matched, and already as the drawing has them

    [[nodiscard]] bool changesProject() const { return !added.empty() || !updated.empty(); }
};

struct PlanImportResult {
    Project project;
    PlanChanges changes;
};

// The project with the plan's rooms in it. Added units take the default choices with the room's
// name, area and the plan's location, after the project's units in the order of the rooms. A
// matched unit keeps its name, location and choices but its area, which becomes the outline's.
[[nodiscard]] PlanImportResult importPlan(const Project& project, const PlanInput& plan);

}  // namespace core
