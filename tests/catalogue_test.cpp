#include "catalogue.h"

#include <gtest/gtest.h>

#include <numeric>
#include <tuple>
#include <vector>

namespace core {
namespace {

std::vector<int> rowsFromTo(int first, int last) {
    std::vector<int> rows(static_cast<std::size_t>(last - first + 1));
    std::iota(rows.begin(), rows.end(), first);
    return rows;
}

// The adequate models of each agent are the bands of the catalogue's table.
TEST(Catalogue, AdequateModelsAreTheBandsOfTheTable) {
    using enum Hazard;
    const std::tuple<Agent, RatingClass, Hazard, std::vector<int>> cases[] = {
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
        {Agent::Halon1211, RatingClass::A, Light, {4, 5}},  // "0.5A" is below 1A
        {Agent::Halon1211, RatingClass::A, Medium, {}},
        {Agent::Halon1211, RatingClass::B, Serious, rowsFromTo(7, 9)},
    };
    for (const auto& [agent, ratingClass, hazard, rows] : cases) {
        std::vector<int> adequate;
        for (const Model& m : models(agent)) {
            if (meetsMinimum(m, ratingClass, hazard)) {
                adequate.push_back(m.row);
            }
        }
        EXPECT_EQ(adequate, rows) << "agent " << static_cast<int>(agent) << " class "
                                  << static_cast<int>(ratingClass) << " hazard "
                                  << static_cast<int>(hazard);
    }
}

}  // namespace
}  // namespace core
