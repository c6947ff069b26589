#include "catalogue.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace core {
namespace {

std::vector<int> adequateRows(int agentType, RatingClass ratingClass, Hazard hazard) {
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

TEST(Catalogue, AdequateModelsAreTheBandsOfTheTable) {
    using enum Hazard;
    struct Case {
        int agentType;
        RatingClass ratingClass;
        Hazard hazard;
        std::vector<int> rows;
    };
    // clang-format off
    const Case cases[] = {
        {op::kCarbonDioxide, RatingClass::B, Light, rowsFromTo(1, 8)},
        {op::kCarbonDioxide, RatingClass::B, Medium, rowsFromTo(4, 8)},
        {op::kCarbonDioxide, RatingClass::A, Light, {}},         // no class-A rating at all
        {op::kWater, RatingClass::B, Medium, rowsFromTo(1, 3)},  // "-" never reaches it
        {op::kWater, RatingClass::B, Serious, {3}},
        {op::kWater, RatingClass::A, Medium, rowsFromTo(3, 7)},
        {op::kSodiumPowder, RatingClass::B, Serious, rowsFromTo(5, 12)},
        {op::kPhosphatePowder, RatingClass::A, Medium, rowsFromTo(3, 12)},
        {op::kFoam, RatingClass::A, Serious, rowsFromTo(5, 8)},
        {op::kFoam, RatingClass::B, Medium, rowsFromTo(1, 8)},
        {op::kHalon, RatingClass::A, Light, {4, 5}},             // "0.5A" is below 1A
        {op::kHalon, RatingClass::A, Medium, {}},
        {op::kHalon, RatingClass::B, Serious, rowsFromTo(7, 9)},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(adequateRows(c.agentType, c.ratingClass, c.hazard), c.rows)
            << "type " << c.agentType << " hazard " << static_cast<int>(c.hazard);
    }
}

}  // namespace
}  // namespace core
