#include "setting_points.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "unit_choice.h"

namespace {

using namespace tests;

constexpr int kAtEstimate = 0;

struct Case {
    const char* name;
    UnitChoice choice;
    const char* model;
    int points;  // kAtEstimate: N0
    std::int64_t design, estimate;
    std::int64_t perPointRequired, perPoint, total;
    double provided;
    bool raised, atMostFive, enoughPoints;
};

class Configuration : public ::testing::TestWithParam<Case> {};

TEST_P(Configuration, FollowsTheRules) {
    const Case& c = GetParam();
    const core::UnitConditions unit = c.choice.unit();
    ASSERT_EQ(unit.required.design(), c.design);
    const auto model = std::ranges::find(unit.candidates, c.model, &core::CandidateModel::code);
    ASSERT_NE(model, unit.candidates.end());
    const core::PointConfiguration got = c.points == kAtEstimate
                                             ? core::configureAtEstimate(unit, *model)
                                             : core::configure(unit, *model, c.points);
    // estimate, points, Qe, per point, total, provided; raised to two, 6.1.2, 7.1.3
    EXPECT_EQ(std::tuple(got.estimate, got.points, got.perPointRequired, got.perPoint, got.total,
                         got.provided),
              std::tuple(c.estimate, c.points == kAtEstimate ? c.estimate : c.points,
                         c.perPointRequired, c.perPoint, c.total, c.provided));
    EXPECT_EQ(std::tuple(got.raisedToTwo, got.checks.atMostFivePerPoint, got.checks.enoughPoints),
              std::tuple(c.raised, c.atMostFive, c.enoughPoints));
    EXPECT_TRUE(got.checks.atLeastTwo && got.checks.reachesMinimum && got.checks.pointReachesQe &&
                got.checks.reachesAreaRating);
}

// clang-format off
const Case kConfigurations[] = {
    // Q = 18A, S/U = 20A governs (GB 55036-2022 10.0.3).
    {"warehouse_2A", kWarehouse, "MF/ABC3", kAtEstimate, 20, 2, 10, 5, 10, 20, false, true, true},
    {"warehouse_3A", kWarehouse, "MF/ABC5", kAtEstimate, 20, 2, 10, 4, 8, 24, false, true, true},
    // Fewer points than estimated: more than five per point (6.1.2) and too few points (7.1.3).
    {"one_point", kWarehouse, "MF/ABC3", 1, 20, 2, 20, 10, 10, 20, false, false, false},
    // One point that needs one extinguisher gets two (6.1.1).
    {"raised_to_two", {A, Light, K05, kAbove, kAbc, "100"}, "MF/ABC1", kAtEstimate, 1, 1, 1, 2, 2, 2, true, true, true},
    {"class_B", {B, Serious, K10, kAbove, kAbc, "500"}, "MF/ABC5", kAtEstimate, 1000, 4, 250, 3, 12, 1068, false, true, true},
    // Class E: B ratings, a wheeled model reaches 24 m; S/U = 2000B governs Q = 1800B.
    {"class_E_wheeled", {E, Medium, K09, kAbove, kAbc, "2000"}, "MFT/ABC50", kAtEstimate, 2000, 2, 1000, 4, 8, 2376, false, true, true},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(SettingPoints, Configuration, ::testing::ValuesIn(kConfigurations),
                         [](const auto& p) { return std::string(p.param.name); });

// The default model is the first with at most five per point at the estimate.
TEST(SettingPoints, DefaultModelIsTheFirstWithAtMostFivePerPoint) {
    // clang-format off
    const std::pair<UnitChoice, const char*> cases[] = {
        {kWarehouse, "MF/ABC3"},
        {{A, Medium, K10, kAbove, kAbc, "1600"}, "MF/ABC5"},  // 2A needs 6 per point, 3A 4
        {{A, Medium, K10, kAbove, Agent::Water, "3200"}, "MST125"},  // none has 5: the last one
        {{A, Medium, K09, kAbove, Agent::Halon1211, "100"}, nullptr}};  // no class-A model
    // clang-format on
    for (const auto& [choice, model] : cases) {
        const core::UnitConditions unit = choice.unit();
        const auto chosen = core::defaultModel(unit);
        ASSERT_EQ(chosen.has_value(), model != nullptr) << choice.area;
        EXPECT_TRUE(!chosen || unit.candidates.at(*chosen).code == model) << choice.area;
    }
}

// No conditions for class D or an area that is not a number of at least 0; the estimate is
// clamped, not overflowed.
TEST(SettingPoints, NoConditionsWithoutAnAreaOrForClassDAndEstimateClamped) {
    for (const char* area : {"-5", "1E400"}) {
        EXPECT_FALSE(
            core::conditionsOf(UnitChoice{A, Light, K10, kAbove, Agent::Water, area}.choices()));
    }
    core::Choices classD = kWarehouse.choices();
    classD.fireClass = FireClass::D;
    EXPECT_FALSE(core::conditionsOf(classD));
    EXPECT_EQ(core::estimatedPoints(3.4e38, 15), 2147483647);
}

// A sheet's result is written with "=" only when it is exact.
TEST(SettingPoints, SheetNumberNeverLooksWholeWhenItIsNot) {
    const std::pair<double, const char*> cases[] = {
        {0.5, "= 0.5"},           {18, "= 18"},
        {5.0004, "= 5.0004"},     {-0.0004, "= -0.0004"},
        {18.00048, "= 18.00048"}, {1500.04 / 75, "≈ 20.001"},
        {1.0 / 3, "≈ 0.333"},     {0.9 * 1500 / 75, "= 18"},
        {33554434, "= 33554434"}};
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(core::resultText(value), text) << value;
    }
}

}  // namespace
