#include "unit_placing.h"

#include <algorithm>
#include <utility>

namespace core {

namespace {

// What becomes of the unit at `index`; empty where `progress` stopped its placing.
std::optional<UnitPlaced> placeOne(const Unit& unit, std::size_t index, PlaceAgain again,
                                   const PlacingProgress& progress, const UnitPlacer& placer) {
    UnitPlaced result;
    result.unit = index;
    const auto ended = [&result](UnitPlacing outcome) {
        result.outcome = outcome;
        return std::optional(std::move(result));
    };
    switch (placingFault(unit)) {
        case PlacingFault::None:
            break;
        case PlacingFault::TooLarge:
            return ended(UnitPlacing::TooLarge);
        case PlacingFault::TooIntricate:
            return ended(UnitPlacing::TooIntricate);
    }
    if (!unit.setPoints.empty() && again != PlaceAgain::Always) {
        const std::optional<PlacedCover> cover = design(unit).cover;
        if (!cover || cover->proven) {
            return ended(UnitPlacing::Kept);
        }
        result.stale = cover;
        if (again == PlaceAgain::Never) {
            return ended(UnitPlacing::KeptStale);
        }
    }
    std::optional<Placement> placement = placer(unit, progress);
    if (!placement) {
        return ended(UnitPlacing::Unconfigurable);
    }
    if (placement->stopped) {
        return std::nullopt;
    }
    if (placement->points.size() > static_cast<std::size_t>(kMaxPoints)) {
        return ended(UnitPlacing::TooManyPoints);
    }
    if (const std::size_t kept = handSetPoints(unit).size(); kept > 0) {
        if (!placement->proven) {
            return ended(UnitPlacing::HandSetShort);
        }
        result.handSet.assign(placement->points.size(), false);
        std::fill_n(result.handSet.begin(), kept, true);
    }
    result.changed = placement->points != unit.setPoints || result.handSet != unit.handSet;
    result.points = std::move(placement->points);
    return ended(placement->proven ? UnitPlacing::Proven : UnitPlacing::NotCovered);
}

}  // namespace

UnitsPlaced placeUnits(const std::vector<Unit>& units, const std::vector<std::size_t>& which,
                       PlaceAgain again, const UnitsProgress& progress, const UnitPlacer& placer) {
    UnitsPlaced placed;
    std::size_t position = 0;
    for (const std::size_t i : which) {
        const Unit& unit = units.at(i);
        if (unit.outline.empty() && !unit.combined()) {
            continue;
        }
        const std::size_t at = position++;
        PlacingProgress told;
        if (progress) {
            if (!progress(at, 0)) {
                placed.stopped = true;
                return placed;
            }
            told = [&progress, at](double done) { return progress(at, done); };
        }
        std::optional<UnitPlaced> result = placeOne(unit, i, again, told, placer);
        if (!result) {
            placed.stopped = true;
            return placed;
        }
        placed.units.push_back(std::move(*result));
    }
    return placed;
}

}  // namespace core
