#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "polygon.h"
#include "project.h"

// The rooms of a floor plan brought into a project: a room already imported from the same drawing
// to the same floor (the same file name, floor and entity handle; for a drawing without handles,
// the same outline), as a unit or as a room of a combined unit, has its outline and area brought
// up to date; every other room becomes a unit. No unit is removed.
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
    std::string unit;      // the drawing's unit: "mm", "cm", "m", "inch", ...
    std::string location;  // the floor: the location of the units added
    std::vector<PlanRoomInput> rooms;
    // The unit its $INSUNITS declares (PlanSource::declaredUnit): empty where none.
    std::string declaredUnit = {};
    // The doors of the drawing, in metres; their floor and file are the plan's. None where the
    // doors were not looked for (the rooms came from outlines alone): the project's stay.
    std::optional<std::vector<PlanDoor>> doors = std::nullopt;
    // The outlines drawn round the floor's rooms, in metres; their floor and file are the plan's.
    // None where no outlines were read (the rooms came from walls alone): the project's stay.
    std::optional<std::vector<PlanFloor>> floors = std::nullopt;
};

// A room without a handle is the room of a unit whose outline is the same to within this area, in
// m², of the parts that lie in one of them only; rooms that share less than this do not overlap.
constexpr double kOutlineMatch = 0.01;

// What an import did, by the units' indices in the project it gives.
struct PlanChanges {
    std::vector<std::size_t> added;
    // Outline, holes, area, layer or unit changed; for a combined unit, those of one of its rooms,
    // its floor's outline or its doors.
    std::vector<std::size_t> updated;
    std::vector<std::size_t> unchanged;  // matched, and already as the drawing has them
    bool doorsChanged = false;           // the doors of the drawing's floor are not those it had
    bool floorsChanged = false;          // the outlines round the drawing's floor are not those

    [[nodiscard]] bool changesProject() const {
        return !added.empty() || !updated.empty() || doorsChanged || floorsChanged;
    }
};

struct PlanImportResult {
    Project project;
    PlanChanges changes;
};

// The project with the plan's rooms in it. Added units take the default choices with the room's
// name, area, holes and the plan's location, after the project's units in the order of the rooms.
// A matched unit keeps its name, location and choices but its area, which becomes the outline's.
// A matched room of a combined unit keeps its name and takes the outline and holes; the unit's
// area follows (outlineArea()) unless it was typed by hand.
// The project's doors of the same file and floor give way to the plan's, where it brings any list
// of them (even an empty one), in their place (after the others where it had none); a door that
// breaks the rules of doors (doorFault()) is left out. The floor's outlines give way to the plan's
// alike, and a combined unit's outline round the floor follows the outline of the same handle.
// The combined units of the floor then take its doors that have one of their rooms on a side
// (doorRooms()).
[[nodiscard]] PlanImportResult importPlan(const Project& project, const PlanInput& plan);

// The pairs of layers (in order, each pair once, sorted) with rooms that overlap: a sign that one
// of them holds no rooms but, say, furniture or the floor's outline.
[[nodiscard]] std::vector<std::pair<std::string, std::string>> overlappingLayers(
    const std::vector<PlanRoomInput>& rooms);

// The floors that units, or rooms of combined units, were imported to from a drawing of this file
// name, in the order of the last unit of each, each once: the last is where the drawing went last.
[[nodiscard]] std::vector<std::string> importedFloors(const Project& project,
                                                      const std::string& file);

// Rooms read in the wrong unit: the median room of a drawing below 1 m² or above 10,000 m² is
// taken as a sign that the drawing is in another unit.
constexpr double kMinMedianRoomArea = 1;
constexpr double kMaxMedianRoomArea = 10000;
// A room as most buildings have them, in m²: of the units that would make the median plausible,
// the one that brings it nearest to this.
constexpr double kTypicalRoomArea = 20;

struct LengthUnit {
    std::string name;
    double metres = 1;  // metres per unit
};

struct RoomsScale {
    double median = 0;  // m², of the rooms as read
    bool plausible = true;
    std::optional<std::string> likelyUnit;  // only where not plausible
};

// Whether rooms with these areas (m², not rounded, read with `metresPerUnit`) are plausible and,
// where not, which of `units` would make them so. No rooms are plausible.
[[nodiscard]] RoomsScale roomsScale(std::vector<double> areas, double metresPerUnit,
                                    const std::vector<LengthUnit>& units);

}  // namespace core
