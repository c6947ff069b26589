#include "calculation.h"

#include <cmath>
#include <limits>

#include "number_text.h"

namespace core {

namespace {

// The required rating of the area, or why there is none.
std::optional<RequiredRating> requiredRating(const Selection& selection, RatingClass ratingClass,
                                             Hazard hazard, AreaFault& fault) {
    // Ten times U, K and the building factor, as single-precision working values.
    const auto unitAreaTimesTen = static_cast<float>(unitArea(ratingClass, hazard) * 10);
    const auto factor = static_cast<float>(selection.factorTimesTen());
    const auto building = static_cast<float>(selection.buildingTimesTen());

    const std::optional<double> area = leadingNumber(selection.tx);
    if (!area || std::fabs(*area) > std::numeric_limits<float>::max()) {
        fault = AreaFault::OutOfRange;
        return std::nullopt;
    }
    if (*area < 0) {
        fault = AreaFault::Negative;
        return std::nullopt;
    }
    const auto s = static_cast<float>(*area);
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

Result calculate(const Selection& selection) {
    Result result;
    result.fireClass = selection.fireClass();
    result.ratingClass = selection.classA() ? RatingClass::A : RatingClass::B;
    result.hazard = selection.hazard();
    result.agentType = selection.agentType();
    result.required = requiredRating(selection, result.ratingClass, result.hazard, result.fault);

    if (!result.agentType) {
        return result;
    }
    // The counts divide N as the table writes it: in single precision, whose text rounds N above
    // 2^24 to seven significant digits ("1.234568E+08").
    const double written =
        result.required
            ? leadingNumber(plainText(static_cast<float>(result.required->whole))).value_or(0.0)
            : 0.0;
    for (const Model& model : models(*result.agentType)) {
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
