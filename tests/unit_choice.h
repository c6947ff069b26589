#pragma once

#include <limits>
#include <optional>

#include "calculation.h"
#include "choices.h"
#include "number_text.h"
#include "setting_points.h"

namespace tests {

using core::Agent;
using core::Building;
using core::Factor;
using core::FireClass;
using core::Hazard;
// Short names for the tables of choices.
using enum core::FireClass;
using enum core::Hazard;
using enum core::Factor;
constexpr auto kAbove = Building::AboveGround;
constexpr auto kFun = Building::EntertainmentOrUnderground;
constexpr auto kAbc = Agent::AmmoniumPhosphatePowder;

// Choices with the area as typed in the window's area box.
struct UnitChoice {
    FireClass fireClass;
    Hazard hazard;
    Factor factor;
    Building building;
    Agent agent;
    const char* area;

    // As the window reads them: the area by its leading number, one beyond the double range as
    // infinite.
    [[nodiscard]] core::Choices choices() const {
        const double s =
            core::leadingNumber(area).value_or(std::numeric_limits<double>::infinity());
        return {fireClass, hazard, factor, building, agent, s};
    }
    [[nodiscard]] core::UnitConditions unit() const {
        return core::conditionsOf(choices()).value();
    }
};

// The published example: a 1500 m2 warehouse, class A, medium hazard, indoor hydrants (K = 0.9),
// ammonium-phosphate powder.
constexpr UnitChoice kWarehouse{A, Medium, K09, kAbove, kAbc, "1500"};

}  // namespace tests
