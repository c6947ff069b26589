#include "calculation.h"

#include <cmath>
#include <limits>

#include "number_text.h"

namespace core {

namespace {

// The required rating of the area, or why there is none.
std::optional<RequiredRating> requiredRating(const Choices& choices, RatingClass ratingClass,
                                             AreaFault& fault) {
    // Ten times U, K and the building factor, as single-precision working values.
    const auto unitAreaTimesTen = static_cast<float>(unitArea(ratingClass, choices.hazard) * 10);
    const auto factor = static_cast<float>(factorTimesTen(choices.factor));
    const auto building = static_cast<float>(buildingTimesTen(choices.building));

    const double area = choices.area;
    if (!(std::fabs(area) <= std::numeric_limits<float>::max())) {
        fault = AreaFault::OutOfRange;
        return std::nullopt;
    }
    if (area < 0) {
        fault = AreaFault::Negative;
        return std::nullopt;
    }
    const auto s = static_cast<float>(area);
    const double q = ((factor * 0.01) * building * s) / (unitAreaTimesTen * 0.1);
    RequiredRating required;
    required.rounded = round3(q);
    const double whole = std::ceil(required.rounded);
    if (whole > std::numeric_limits<std::int32_t>::max()) {
        fault = AreaFault::OutOfRange;
        return std::nullopt;
    }
    required.whole = static_cast<std::int32_t>(whole);
    return required;
}

}  // namespace

double writtenWhole(std::int32_t whole) {
    return leadingNumber(plainText(static_cast<float>(whole))).value_or(0.0);
}

Result calculate(const Choices& choices) {
    Result result;
    result.fireClass = choices.fireClass;
    result.ratingClass = choices.fireClass == FireClass::A ? RatingClass::A : RatingClass::B;
    result.hazard = choices.hazard;
    result.agent = choices.agent;
    result.required = requiredRating(choices, result.ratingClass, result.fault);

    const double written = result.required ? writtenWhole(result.required->whole) : 0.0;
    for (const Model& model : models(choices.agent)) {
        ModelResult row;
        row.model = &model;
        row.ratingText = rating(model, result.ratingClass);
        row.rating = ratingValue(model, result.ratingClass);
        row.adequate = meetsMinimum(model, result.ratingClass, result.hazard);
        if (result.required && row.rating != 0) {
            row.count = round3(written / row.rating);
        }
        result.rows.push_back(row);
    }
    return result;
}

}  // namespace core
