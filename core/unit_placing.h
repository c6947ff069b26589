#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "project.h"

// Setting points placed in many units at once, as the project window and the command line place
// them: which units are placed, which keep their points, and why a unit gets none. Plain C++.
namespace core {

// Whether placeUnits() places a unit that has setting points already.
enum class PlaceAgain : std::uint8_t {
    Always,  // every unit is placed
    Stale,   // only where its points no longer reach all of it (its outline grew, or its R shrank)
    Never,   // no unit: points that no longer reach all of it are kept (KeptStale)
};

// What became of a unit.
enum class UnitPlacing : std::uint8_t {
    Proven,      // placed, and its points reach all of it
    NotCovered,  // placed as well as it can be, yet not all of it is reached (a slot narrower than
                 // 2·kWallClearance, say)
    // It keeps its points: those set by hand, with any that could be added to them, do not
    // reach all of it, and it is not placed afresh behind the designer's back.
    HandSetShort,
    Kept,       // it keeps its points: they reach all of it, or it has no configuration to check
    KeptStale,  // it keeps its points, which no longer reach all of it
    // Refused, with no points placed:
    TooLarge,        // placingFault() TooLarge (its points, if any, are not checked either)
    TooIntricate,    // placingFault() TooIntricate (likewise)
    TooManyPoints,   // it would take more than kMaxPoints setting points
    Unconfigurable,  // it has no configuration, and so no R
};

// What became of one unit.
struct UnitPlaced {
    std::size_t unit = 0;  // its index among the units
    UnitPlacing outcome = UnitPlacing::Kept;
    std::vector<PlanPoint> points;  // Proven and NotCovered: the points placed
    // With `points`: which of them are the unit's points set by hand, kept (they come first);
    // empty where it has none.
    std::vector<bool> handSet;
    bool changed = false;  // Proven and NotCovered: they differ from the unit's own
    // Where PlaceAgain::Stale or Never found its points no longer reach all of it: their cover.
    std::optional<PlacedCover> stale;
};

// What became of the units placed.
struct UnitsPlaced {
    std::vector<UnitPlaced> units;  // in the order they were given
    // The progress stopped it: `units` holds only those before, and nothing is to change.
    bool stopped = false;
};

// Told of the unit being placed, at `position` (from 0) among those with an outline, as its
// placing begins (`done` 0) and then as placeSettingPoints() tells it; returns false to stop.
using UnitsProgress = std::function<bool(std::size_t position, double done)>;
// What places one unit: placeUnit(), or a stand-in; its points set by hand come first.
using UnitPlacer = std::function<std::optional<Placement>(const Unit&, const PlacingProgress&)>;

// Places the units at the indices `which` that have an outline (the others are passed over), in
// that order, each as placeUnit() does unless `again` keeps its points, and tells per unit what
// became of it. A unit placed keeps its points set by hand and gets only those still needed. A unit
// too large or intricate (placingFault()) is refused before its points are checked, and one whose
// placing takes more than kMaxPoints points gets none.
[[nodiscard]] UnitsPlaced placeUnits(const std::vector<Unit>& units,
                                     const std::vector<std::size_t>& which, PlaceAgain again,
                                     const UnitsProgress& progress = {},
                                     const UnitPlacer& placer = placeUnit);

}  // namespace core
