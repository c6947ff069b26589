#pragma once

#include <cstdint>
#include <optional>

#include "calculator.h"
#include "grid_store.h"
#include "setting_points.h"

namespace tests {

// The window's choices for one calculation unit.
struct UnitChoice {
    std::int16_t fireClass;
    std::int16_t hazard;
    std::int16_t factor;
    std::int16_t building;
    std::int16_t agent;
    const char* area;
};

// The published example: a 1500 m2 warehouse, class A, medium hazard, indoor hydrants (K = 0.9),
// ammonium-phosphate powder.
constexpr UnitChoice kWarehouse{core::op1::kClassA,         core::op1::kMedium,
                                core::op1::kFactor09,       core::op::kAboveGround,
                                core::op::kPhosphatePowder, "1500"};

// The choices run through the calculator as the window runs them, and the unit's conditions read
// from the result grid.
struct CalculatedUnit {
    explicit CalculatedUnit(const UnitChoice& choice) {
        core::Calculator calc(selection, store);
        core::writeHeadings(store);
        selection.Op.select(choice.agent);
        selection.Op.select(choice.building);
        selection.Op1.select(choice.hazard);
        selection.Op1.select(choice.factor);
        selection.Op1.select(choice.fireClass);
        selection.tx = choice.area;
        calc.tx_LostFocus();
        unit = core::conditionsFrom(selection,
                                    store.TextMatrix(core::kFirstModelRow, core::kAreaRatingCol));
    }

    core::Selection selection;
    grid::GridStore store{core::kGridRows, core::kGridCols};
    std::optional<core::UnitConditions> unit;
};

}  // namespace tests
