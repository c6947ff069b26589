#pragma once

#include <cstdint>
#include <optional>

#include "calculation.h"
#include "setting_points.h"

namespace tests {

// The window's choices for one calculation unit.
struct UnitChoice {
    std::int16_t fireClass, hazard, factor, building, agent;
    const char* area;
};

// The published example: a 1500 m2 warehouse, class A, medium hazard, indoor hydrants (K = 0.9),
// ammonium-phosphate powder.
constexpr UnitChoice kWarehouse{core::op1::kClassA,         core::op1::kMedium,
                                core::op1::kFactor09,       core::op::kAboveGround,
                                core::op::kPhosphatePowder, "1500"};

// The choices calculated as the window calculates them, and the unit's conditions.
struct CalculatedUnit {
    explicit CalculatedUnit(const UnitChoice& choice) {
        selection.Op.select(choice.agent);
        selection.Op.select(choice.building);
        selection.Op1.select(choice.hazard);
        selection.Op1.select(choice.factor);
        selection.Op1.select(choice.fireClass);
        selection.tx = choice.area;
        result = core::calculate(selection);
        unit = core::conditionsFrom(selection, result);
    }

    core::Selection selection;
    core::Result result;
    std::optional<core::UnitConditions> unit;
};

}  // namespace tests
