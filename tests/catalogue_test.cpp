#include "catalogue.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "case_name.h"

namespace core {
namespace {

std::vector<int> adequateRows(core::Agent agentType, RatingClass ratingClass, Hazard hazard) {
    std::vector<int> rows;
    for (const Model& m : models(agentType)) {
        if (meetsMinimum(m, ratingClass, hazard)) {
            rows.push_back(m.row);
        }
    }
    return rows;
}

std::vector<int> rowsFromTo(int first, int last) {
    std::vector<int> rows(static_cast<std::size_t>(last - first + 1));
    std::iota(rows.begin(), rows.end(), first);
    return rows;
}

struct Case {
    core::Agent agentType;
    RatingClass ratingClass;
    Hazard hazard;
    std::vector<int> rows;
};

class AdequateModels : public ::testing::TestWithParam<Case> {};

TEST_P(AdequateModels, AreTheBandsOfTheTable) {
    const Case& c = GetParam();
    EXPECT_EQ(adequateRows(c.agentType, c.ratingClass, c.hazard), c.rows)
        << "type " << static_cast<int>(c.agentType) << " hazard " << static_cast<int>(c.hazard);
}

using enum Hazard;
// clang-format off
const Case kCases[] = {
    {Agent::CarbonDioxide, RatingClass::B, Light, rowsFromTo(1, 8)},
    {Agent::CarbonDioxide, RatingClass::B, Medium, rowsFromTo(4, 8)},
    {Agent::CarbonDioxide, RatingClass::A, Light, {}},         // no class-A rating at all
    {Agent::Water, RatingClass::B, Medium, rowsFromTo(1, 3)},  // "-" never reaches it
    {Agent::Water, RatingClass::B, Serious, {3}},
    {Agent::Water, RatingClass::A, Medium, rowsFromTo(3, 7)},
    {Agent::SodiumBicarbonatePowder, RatingClass::B, Serious, rowsFromTo(5, 12)},
    {Agent::AmmoniumPhosphatePowder, RatingClass::A, Medium, rowsFromTo(3, 12)},
    {Agent::Foam, RatingClass::A, Serious, rowsFromTo(5, 8)},
    {Agent::Foam, RatingClass::B, Medium, rowsFromTo(1, 8)},
    {Agent::Halon1211, RatingClass::A, Light, {4, 5}},             // "0.5A" is below 1A
    {Agent::Halon1211, RatingClass::A, Medium, {}},
    {Agent::Halon1211, RatingClass::B, Serious, rowsFromTo(7, 9)},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Catalogue, AdequateModels, ::testing::ValuesIn(kCases), [](const auto& p) {
    const Case& c = p.param;
    const std::string rating = c.ratingClass == RatingClass::A ? "A" : "B";
    return tests::caseName(p.index, "type " + std::to_string(static_cast<int>(c.agentType)) + " " +
                                        rating + " hazard " +
                                        std::to_string(static_cast<int>(c.hazard)));
});

}  // namespace
}  // namespace core
