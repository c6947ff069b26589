#include "setting_points.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "calculator.h"
#include "grid_store.h"

namespace {

using core::Hazard;
using core::kAreaRatingCol;
using core::kFirstModelRow;

// The window's choices for one unit, run through the calculator as the window runs them.
struct Choice {
    std::int16_t fireClass;
    std::int16_t hazard;
    std::int16_t factor;
    std::int16_t building;
    std::int16_t agent;
    const char* area;
};

constexpr Choice kWarehouse{core::op1::kClassA,         core::op1::kMedium,
                            core::op1::kFactor09,       core::op::kAboveGround,
                            core::op::kPhosphatePowder, "1500"};

core::UnitConditions conditionsOf(const Choice& choice, std::string* cell = nullptr) {
    core::Selection selection;
    grid::GridStore store(core::kGridRows, core::kGridCols);
    core::Calculator calc(selection, store);
    core::writeHeadings(store);
    selection.Op.select(choice.agent);
    selection.Op.select(choice.building);
    selection.Op1.select(choice.hazard);
    selection.Op1.select(choice.factor);
    selection.Op1.select(choice.fireClass);
    selection.tx = choice.area;
    calc.tx_LostFocus();
    const std::string& areaRating = store.TextMatrix(kFirstModelRow, kAreaRatingCol);
    if (cell != nullptr) {
        *cell = areaRating;
    }
    auto unit = core::conditionsFrom(selection, areaRating);
    EXPECT_TRUE(unit.has_value()) << areaRating;
    return unit.value_or(core::UnitConditions{});
}

std::size_t indexOf(const core::UnitConditions& unit, const std::string& code) {
    const auto it = std::find_if(unit.candidates.begin(), unit.candidates.end(),
                                 [&code](const core::CandidateModel& m) { return m.code == code; });
    EXPECT_NE(it, unit.candidates.end()) << code;
    return static_cast<std::size_t>(it - unit.candidates.begin());
}

constexpr int kAtEstimate = 0;

struct Case {
    const char* name;
    Choice choice;
    const char* model;
    int points;  // kAtEstimate: N0
    std::int32_t required;
    std::int32_t estimate;
    std::int64_t perPointRequired;
    std::int64_t perPoint;
    std::int64_t total;
    double provided;
    bool raised;
    bool atMostFive;
    bool enoughPoints;
};

// clang-format off
const Case kCases[] = {
    // The published example: 1500 m2 warehouse, class A, medium, hydrants (K = 0.9).
    {"warehouse_2A", kWarehouse, "MF/ABC3", kAtEstimate, 18, 2, 9, 5, 10, 20, false, true, true},
    {"warehouse_3A", kWarehouse, "MF/ABC5", kAtEstimate, 18, 2, 9, 3, 6, 18, false, true, true},
    {"warehouse_wheeled", kWarehouse, "MFT/ABC20", kAtEstimate, 18, 1, 18, 3, 3, 18, false, true, true},
    // One point that needs one extinguisher gets two (6.1.1).
    {"raised_to_two", {core::op1::kClassA, core::op1::kLight, core::op1::kFactor05, core::op::kAboveGround, core::op::kPhosphatePowder, "100"},
     "MF/ABC1", kAtEstimate, 1, 1, 1, 2, 2, 2, true, true, true},
    {"empty_area", {core::op1::kClassA, core::op1::kMedium, core::op1::kFactor10, core::op::kAboveGround, core::op::kPhosphatePowder, "0"},
     "MF/ABC3", kAtEstimate, 0, 1, 0, 2, 2, 4, true, true, true},
    // Fewer points than estimated: more than five per point (6.1.2) and too few points (7.1.3).
    {"one_point_breaks_612", kWarehouse, "MF/ABC3", 1, 18, 2, 18, 9, 9, 18, false, false, false},
    {"more_points_than_estimated", kWarehouse, "MF/ABC3", 4, 18, 2, 5, 3, 12, 24, false, true, true},
    {"entertainment_13", {core::op1::kClassA, core::op1::kSerious, core::op1::kFactor05, core::op::kEntertainment, core::op::kPhosphatePowder, "1000"},
     "MF/ABC5", kAtEstimate, 13, 3, 5, 2, 6, 18, false, true, true},
    {"class_b_serious", {core::op1::kClassB, core::op1::kSerious, core::op1::kFactor10, core::op::kAboveGround, core::op::kPhosphatePowder, "500"},
     "MF/ABC5", kAtEstimate, 1000, 4, 250, 3, 12, 1068, false, true, true},
    {"class_e_medium", {core::op1::kClassE, core::op1::kMedium, core::op1::kFactor09, core::op::kAboveGround, core::op::kPhosphatePowder, "200"},
     "MF/ABC4", kAtEstimate, 180, 1, 180, 4, 4, 220, false, true, true},
    {"class_e_wheeled", {core::op1::kClassE, core::op1::kMedium, core::op1::kFactor09, core::op::kAboveGround, core::op::kPhosphatePowder, "2000"},
     "MFT/ABC50", kAtEstimate, 1800, 2, 900, 4, 8, 2376, false, true, true},
    {"halon_light", {core::op1::kClassA, core::op1::kLight, core::op1::kFactor10, core::op::kAboveGround, core::op::kHalon, "250"},
     "MY4", kAtEstimate, 3, 1, 3, 3, 3, 3, false, true, true},
};
// clang-format on

class Configuration : public ::testing::TestWithParam<Case> {};

TEST_P(Configuration, FollowsTheRules) {
    const Case& c = GetParam();
    const core::UnitConditions unit = conditionsOf(c.choice);
    ASSERT_EQ(unit.required, c.required);
    const core::CandidateModel& model = unit.candidates.at(indexOf(unit, c.model));
    const core::PointConfiguration got = c.points == kAtEstimate
                                             ? core::configureAtEstimate(unit, model)
                                             : core::configure(unit, model, c.points);
    EXPECT_EQ(got.estimate, c.estimate);
    EXPECT_EQ(got.points, c.points == kAtEstimate ? c.estimate : c.points);
    EXPECT_EQ(got.perPointRequired, c.perPointRequired);
    EXPECT_EQ(got.perPoint, c.perPoint);
    EXPECT_EQ(got.total, c.total);
    EXPECT_DOUBLE_EQ(got.provided, c.provided);
    EXPECT_EQ(got.raisedToTwo, c.raised);
    EXPECT_TRUE(got.checks.atLeastTwo);
    EXPECT_EQ(got.checks.atMostFivePerPoint, c.atMostFive);
    EXPECT_TRUE(got.checks.reachesMinimum);
    EXPECT_TRUE(got.checks.pointReachesQe);
    EXPECT_EQ(got.checks.enoughPoints, c.enoughPoints);
}

INSTANTIATE_TEST_SUITE_P(SettingPoints, Configuration, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(SettingPoints, WarehouseCandidatesAndDefault) {
    const core::UnitConditions unit = conditionsOf(kWarehouse);
    ASSERT_EQ(unit.candidates.size(), 10U) << "MF/ABC3 to MFT/ABC125 reach 2A";
    EXPECT_EQ(unit.candidates.front().code, "MF/ABC3");
    EXPECT_EQ(unit.agent, "干粉(磷酸铵盐)");
    EXPECT_DOUBLE_EQ(unit.requiredRounded, 18.0);
    EXPECT_EQ(core::defaultModel(unit), indexOf(unit, "MF/ABC3"));
    EXPECT_NEAR(core::configureAtEstimate(unit, unit.candidates.front()).coveredArea, 1.875, 1e-12);
}

TEST(SettingPoints, DefaultSkipsModelsThatNeedMoreThanFivePerPoint) {
    // 1600 m2 with K = 1.0: 2A needs 6 per point at the estimate, 3A needs 4.
    Choice choice = kWarehouse;
    choice.factor = core::op1::kFactor10;
    choice.area = "1600";
    const core::UnitConditions unit = conditionsOf(choice);
    EXPECT_EQ(core::defaultModel(unit), indexOf(unit, "MF/ABC5"));

    // Water at 3200 m2: every model needs more than 5 per point, the last one is offered.
    const core::UnitConditions water =
        conditionsOf({core::op1::kClassA, core::op1::kMedium, core::op1::kFactor10,
                      core::op::kAboveGround, core::op::kWater, "3200"});
    ASSERT_EQ(core::defaultModel(water), water.candidates.size() - 1);
    EXPECT_FALSE(
        core::configureAtEstimate(water, water.candidates.back()).checks.atMostFivePerPoint);
}

TEST(SettingPoints, RoundedRatingIsReadFromTheCell) {
    std::string cell;
    const core::UnitConditions unit =
        conditionsOf({core::op1::kClassA, core::op1::kMedium, core::op1::kFactor09,
                      core::op::kAboveGround, core::op::kPhosphatePowder, "2022.225"},
                     &cell);
    EXPECT_EQ(cell, "25(24.267)");
    EXPECT_EQ(unit.required, 25);
    EXPECT_DOUBLE_EQ(unit.requiredRounded, 24.267);
}

TEST(SettingPoints, NoConditionsWithoutARating) {
    core::Selection selection;
    EXPECT_FALSE(core::conditionsFrom(selection, core::kAreaNegative));
    EXPECT_TRUE(core::conditionsFrom(selection, "18(18)"));
    selection.Op1.select(core::op1::kClassD);
    EXPECT_FALSE(core::conditionsFrom(selection, "18(18)"));

    // Halon has no class-A model at medium hazard: nothing to choose.
    const core::UnitConditions halon =
        conditionsOf({core::op1::kClassA, core::op1::kMedium, core::op1::kFactor09,
                      core::op::kAboveGround, core::op::kHalon, "100"});
    EXPECT_FALSE(core::defaultModel(halon));
}

TEST(SettingPoints, EstimateIsClampedForHugeAreas) {
    EXPECT_EQ(core::estimatedPoints(3.4e38, 15), 2147483647);
    EXPECT_EQ(core::estimatedPoints(1600, 20), 2);
    EXPECT_EQ(core::estimatedPoints(1601, 20), 3);
}

struct TextCase {
    double value;
    const char* text;
};

TEST(SettingPoints, DecimalText) {
    const TextCase cases[] = {
        {0.5, "0.5"},
        {1000.04, "1000.04"},
        {18, "18"},
        {24.2666, "24.267"},
        {0.0004, "0"},
        {-0.0004, "0"},
        {1e20, "100000000000000000000"},
        {1.5, "1.5"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(core::decimalText(c.value), c.text) << c.value;
    }
}

}  // namespace
