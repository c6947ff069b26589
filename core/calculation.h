#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "catalogue.h"
#include "selection.h"

namespace core {

// The rating that the protected area requires: Q = K·S/U (×1.3 for entertainment venues and
// underground spaces), rounded to three decimals, and N, that rounded up to a whole number.
struct RequiredRating {
    double rounded = 0;
    std::int32_t whole = 0;
};

// Why an area gives no required rating.
enum class AreaFault : std::uint8_t {
    None,
    OutOfRange,  // S beyond single precision, or N beyond a 32-bit integer
    Negative,
};

// One model of the selected agent, as the result table lists it.
struct ModelResult {
    const Model* model = nullptr;  // mount, charge, code
    std::string_view ratingText;   // for the rating class in use: "2A", "55B", "-"
    double rating = 0;             // the rating's leading number; 0 for "-"
    bool adequate = false;         // reaches the minimum rating of one extinguisher
    // N ÷ rating to three decimals: the number of extinguishers of this model. Empty for a model
    // without a rating, and when the area gives no N.
    std::optional<double> count;
};

struct Result {
    std::optional<FireClass> fireClass;
    RatingClass ratingClass = RatingClass::A;
    Hazard hazard = Hazard::Light;
    std::optional<int> agentType;   // none: no agent selected, no rows
    std::vector<ModelResult> rows;  // the agent's models in table order
    std::optional<RequiredRating> required;
    AreaFault fault = AreaFault::None;  // why `required` is empty
};

// The whole calculation for the choices and the floor area they hold (`tx`, read by its leading
// number). Single precision as the working values always had: S, N and ten times U, K and the
// building factor.
[[nodiscard]] Result calculate(const Selection& selection);

}  // namespace core
