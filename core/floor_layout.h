#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "polygon.h"
#include "project.h"

// The floors of a project as its layout drawing and the book's floor plans show them: the units
// of each floor that have an outline, and the numbers of their setting points. Plain C++.
namespace core {

// The number of a unit's setting point as every output shows it: the unit's 序号 (its index among
// the project's units, from 1), a hyphen, and the point's place among the unit's points, from 1:
// "3-1", "3-2". Derived from the order of the points, never stored.
[[nodiscard]] std::string pointNumber(std::size_t unitIndex, std::size_t pointIndex);

// One floor: a location of the project whose units have outlines.
struct FloorLayout {
    std::string floor;               // the units' location
    std::vector<std::size_t> units;  // the units of that location with an outline, in order
    // The drawing unit that their outlines were imported in ("mm" where none is known), as
    // PlanSource::unit names it: the layout drawing is written in it.
    std::string drawingUnit;
    PlanBox extent;          // the outlines' bounds, in metres
    std::size_t points = 0;  // the setting points of those units
    // Its units were imported from drawings in different units: no one drawing unit lays them
    // over their drawings.
    bool mixedUnits = false;
};

// The floors, in the order in which their first unit with an outline comes.
[[nodiscard]] std::vector<FloorLayout> floorLayouts(const Project& project);

// Why a floor has no layout drawing.
enum class LayoutFault : std::uint8_t {
    None,
    NoOutline,   // no unit of the floor has an outline (or there is no such floor)
    MixedUnits,  // its units came from drawings in different units (FloorLayout::mixedUnits)
    NoPoints,    // none of its units has setting points
};
[[nodiscard]] LayoutFault layoutFault(const FloorLayout& floor);
// The same for the floor of that name (NoOutline where no floor has it).
[[nodiscard]] LayoutFault layoutFault(const Project& project, const std::string& floor);

}  // namespace core
