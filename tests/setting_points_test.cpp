#include "setting_points.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "unit_choice.h"

namespace {

namespace op = core::op;
namespace op1 = core::op1;
using tests::CalculatedUnit;
using tests::kWarehouse;
using tests::UnitChoice;

constexpr int kAtEstimate = 0;

struct Case {
    const char* name;
    UnitChoice choice;
    const char* model;
    int points;  // kAtEstimate: N0
    std::int32_t required, estimate;
    std::int64_t perPointRequired, perPoint, total;
    double provided;
    bool raised, atMostFive, enoughPoints;
};

TEST(SettingPoints, ConfigurationFollowsTheRules) {
    // clang-format off
    const Case cases[] = {
        {"warehouse 2A", kWarehouse, "MF/ABC3", kAtEstimate, 18, 2, 9, 5, 10, 20, false, true, true},
        {"warehouse 3A", kWarehouse, "MF/ABC5", kAtEstimate, 18, 2, 9, 3, 6, 18, false, true, true},
        // Fewer points than estimated: more than five per point (6.1.2) and too few points (7.1.3).
        {"one point", kWarehouse, "MF/ABC3", 1, 18, 2, 18, 9, 9, 18, false, false, false},
        // One point that needs one extinguisher gets two (6.1.1).
        {"raised to two", {op1::kClassA, op1::kLight, op1::kFactor05, op::kAboveGround, op::kPhosphatePowder, "100"}, "MF/ABC1", kAtEstimate, 1, 1, 1, 2, 2, 2, true, true, true},
        {"class B", {op1::kClassB, op1::kSerious, op1::kFactor10, op::kAboveGround, op::kPhosphatePowder, "500"}, "MF/ABC5", kAtEstimate, 1000, 4, 250, 3, 12, 1068, false, true, true},
        // Class E: B ratings, a wheeled model reaches 24 m.
        {"class E wheeled", {op1::kClassE, op1::kMedium, op1::kFactor09, op::kAboveGround, op::kPhosphatePowder, "2000"}, "MFT/ABC50", kAtEstimate, 1800, 2, 900, 4, 8, 2376, false, true, true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const core::UnitConditions unit = CalculatedUnit(c.choice).unit.value();
        ASSERT_EQ(unit.required, c.required);
        const auto model = std::ranges::find(unit.candidates, c.model, &core::CandidateModel::code);
        ASSERT_NE(model, unit.candidates.end());
        const core::PointConfiguration got = c.points == kAtEstimate
                                                 ? core::configureAtEstimate(unit, *model)
                                                 : core::configure(unit, *model, c.points);
        EXPECT_EQ(got.estimate, c.estimate);
        EXPECT_EQ(got.points, c.points == kAtEstimate ? c.estimate : c.points);
        EXPECT_EQ(got.perPointRequired, c.perPointRequired);
        EXPECT_EQ(got.perPoint, c.perPoint);
        EXPECT_EQ(got.total, c.total);
        EXPECT_DOUBLE_EQ(got.provided, c.provided);
        EXPECT_EQ(got.raisedToTwo, c.raised);
        EXPECT_TRUE(got.checks.atLeastTwo && got.checks.reachesMinimum &&
                    got.checks.pointReachesQe);
        EXPECT_EQ(got.checks.atMostFivePerPoint, c.atMostFive);
        EXPECT_EQ(got.checks.enoughPoints, c.enoughPoints);
    }
}

TEST(SettingPoints, DefaultModelIsTheFirstWithAtMostFivePerPoint) {
    struct DefaultCase {
        UnitChoice choice;
        const char* model;  // nullptr: no candidate
    };
    // clang-format off
    const DefaultCase cases[] = {
        {kWarehouse, "MF/ABC3"},
        // K = 1.0, 1600 m2: 2A needs 6 per point at the estimate, 3A needs 4.
        {{op1::kClassA, op1::kMedium, op1::kFactor10, op::kAboveGround, op::kPhosphatePowder, "1600"}, "MF/ABC5"},
        // Water at 3200 m2: every model needs more than 5 per point; the last one is offered.
        {{op1::kClassA, op1::kMedium, op1::kFactor10, op::kAboveGround, op::kWater, "3200"}, "MST125"},
        // Halon has no class-A model at medium hazard.
        {{op1::kClassA, op1::kMedium, op1::kFactor09, op::kAboveGround, op::kHalon, "100"}, nullptr},
    };
    // clang-format on
    for (const DefaultCase& c : cases) {
        const core::UnitConditions unit = CalculatedUnit(c.choice).unit.value();
        const auto chosen = core::defaultModel(unit);
        ASSERT_EQ(chosen.has_value(), c.model != nullptr) << c.choice.area;
        if (chosen) {
            EXPECT_EQ(unit.candidates.at(*chosen).code, c.model);
        }
    }
}

// No conditions without a rating to configure for; the estimate is clamped, not overflowed.
TEST(SettingPoints, NoConditionsWithoutARatingAndEstimateClamped) {
    core::Selection selection;
    selection.tx = "-5";
    EXPECT_FALSE(core::conditionsFrom(selection, core::calculate(selection)));
    EXPECT_EQ(core::estimatedPoints(3.4e38, 15), 2147483647);
}

TEST(SettingPoints, DecimalTextRoundsToThreePlacesAndDropsTrailingZeros) {
    const std::pair<double, const char*> cases[] = {
        {0.5, "0.5"}, {18, "18"}, {24.2666, "24.267"}, {-0.0004, "0"}};
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(core::decimalText(value), text) << value;
    }
}

}  // namespace
