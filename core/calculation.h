#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "catalogue.h"
#include "choices.h"

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
    OutOfRange,  // S not a number within single precision, or N beyond a 32-bit integer
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
    FireClass fireClass = FireClass::A;
    RatingClass ratingClass = RatingClass::A;  // B for every class but A, D included
    Hazard hazard = Hazard::Light;
    Agent agent = Agent::AmmoniumPhosphatePowder;
    std::vector<ModelResult> rows;  // the agent's models in table order
    std::optional<RequiredRating> required;
    AreaFault fault = AreaFault::None;  // why `required` is empty
};

// The calculator window's calculation of the choices. Single precision as its working values
// always had: S, N and ten times U, K and the building factor. An area that is not a number (the
// window reads one beyond the double range as infinite) has no required rating.
[[nodiscard]] Result calculate(const Choices& choices);

// N as the table writes it: its single-precision text read back, which above 2^24 rounds it to
// seven significant digits ("1.234568E+08"). The counts divide this value.
[[nodiscard]] double writtenWhole(std::int32_t whole);

}  // namespace core
