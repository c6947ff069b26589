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
    using enum Agent;
    using enum Hazard;
    using RatingClass::A, RatingClass::B;
    // clang-format off
    const std::tuple<Agent, RatingClass, Hazard, std::vector<int>> cases[] = {
        {CarbonDioxide, B, Light, rowsFromTo(1, 8)}, {CarbonDioxide, B, Medium, rowsFromTo(4, 8)},
        {CarbonDioxide, A, Light, {}},  // no class-A rating at all
        {Water, B, Medium, rowsFromTo(1, 3)},  // "-" never reaches it
        {Water, B, Serious, {3}}, {Water, A, Medium, rowsFromTo(3, 7)},
        {SodiumBicarbonatePowder, B, Serious, rowsFromTo(5, 12)}, {AmmoniumPhosphatePowder, A, Medium, rowsFromTo(3, 12)},
        {Foam, A, Serious, rowsFromTo(5, 8)}, {Foam, B, Medium, rowsFromTo(1, 8)},
        {Halon1211, A, Light, {4, 5}},  // "0.5A" is below 1A
        {Halon1211, A, Medium, {}}, {Halon1211, B, Serious, rowsFromTo(7, 9)}};
    // clang-format on
    for (const auto& [agent, ratingClass, hazard, rows] : cases) {
        std::vector<int> adequate;
        for (const Model& m : models(agent)) {
            if (meetsMinimum(m, ratingClass, hazard)) {
                adequate.push_back(m.row);
            }
        }
        EXPECT_EQ(adequate, rows) << "agent, class, hazard " << static_cast<int>(agent) << ","
                                  << static_cast<int>(ratingClass) << ","
                                  << static_cast<int>(hazard);
    }
}

}  // namespace
}  // namespace core
