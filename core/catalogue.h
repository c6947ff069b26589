#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "choices.h"

// The fixed list of extinguisher models per agent type with their ratings, and the minimum rating
// that one extinguisher must reach at each fire hazard level.
namespace core {

enum class Mount : std::uint8_t { Portable, Wheeled };

struct Model {
    int row;  // grid row 1..12, ascending charge, portable models first
    Mount mount;
    std::string_view charge;
    std::string_view code;
    std::string_view ratingA;  // "-" where the model has no class-A rating
    std::string_view ratingB;  // "-" where the model has no class-B rating
};

enum class RatingClass : std::uint8_t { A, B };

[[nodiscard]] std::string_view mountLabel(Mount mount);

// The agent's models, in row order.
[[nodiscard]] std::span<const Model> models(Agent agent);

// The rating text for the rating class: "2A", "55B", or "-" where the model has none.
[[nodiscard]] std::string_view rating(const Model& model, RatingClass ratingClass);
// The rating's leading number ("0.5A" is 0.5); "-" is 0, a model that cannot serve the class.
[[nodiscard]] double ratingValue(const Model& model, RatingClass ratingClass);

// The minimum rating of one extinguisher: 1A, 2A, 3A for class A and 21B, 55B, 89B for the other
// classes, at light, medium and serious hazard.
[[nodiscard]] double minimumRating(RatingClass ratingClass, Hazard hazard);
// U, the largest area in m² that one unit of rating protects: 100, 75, 50 for class A and 1.5,
// 1.0, 0.5 for the other classes, at light, medium and serious hazard.
[[nodiscard]] double unitArea(RatingClass ratingClass, Hazard hazard);
// Whether the model is adequate at the hazard level: its rating reaches that minimum.
[[nodiscard]] bool meetsMinimum(const Model& model, RatingClass ratingClass, Hazard hazard);

}  // namespace core
