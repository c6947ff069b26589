#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "selection.h"

// The fixed list of extinguisher models per agent type, with their ratings and the rows that
// are adequate at each fire hazard level.
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

// A run of consecutive rows; first > last means no row.
struct Band {
    int first;
    int last;
    [[nodiscard]] bool empty() const { return first > last; }
};

enum class RatingClass : std::uint8_t { A, B };

constexpr int kAgentTypes = 6;

[[nodiscard]] std::string_view mountLabel(Mount mount);

// Models of an agent type (0 to 5, the index of its `Op` option), in row order.
[[nodiscard]] std::span<const Model> models(int agentType);

[[nodiscard]] std::string_view rating(const Model& model, RatingClass ratingClass);

// Rows of the models that reach the minimum rating of one extinguisher at the hazard level.
[[nodiscard]] Band suitableRows(int agentType, RatingClass ratingClass, Hazard hazard);

}  // namespace core
