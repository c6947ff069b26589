#include "setting_points.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "number_text.h"

namespace core {

namespace {

// Hand-held protection distances per hazard level, in the order of Hazard: light, medium,
// serious; a wheeled extinguisher reaches twice as far.
constexpr std::array<int, 3> kDistanceA{25, 20, 15};
constexpr std::array<int, 3> kDistanceB{15, 12, 9};

std::size_t at(Hazard hazard) {
    return static_cast<std::size_t>(hazard);
}

// Whole numbers beyond the 64-bit range cannot arise from a 32-bit rating; the clamp keeps the
// conversion defined all the same.
std::int64_t ceilToWhole(double x) {
    constexpr auto kLargest = static_cast<double>(std::numeric_limits<std::int64_t>::max() / 2);
    return static_cast<std::int64_t>(std::ceil(std::min(x, kLargest)));
}

}  // namespace

RatingClass ratingClassOf(FireClass fireClass) {
    return fireClass == FireClass::A ? RatingClass::A : RatingClass::B;
}

int protectionDistance(RatingClass ratingClass, Hazard hazard, Mount mount) {
    const int handHeld = (ratingClass == RatingClass::A ? kDistanceA : kDistanceB)[at(hazard)];
    return mount == Mount::Wheeled ? 2 * handHeld : handHeld;
}

std::optional<UnitConditions> conditionsFrom(const Selection& selection, const Result& result) {
    const std::optional<FireClass> fireClass = result.fireClass;
    if (!fireClass || *fireClass == FireClass::D || !result.required || !result.agentType) {
        return std::nullopt;
    }
    UnitConditions unit;
    unit.fireClass = *fireClass;
    unit.hazard = result.hazard;
    unit.factorTimesTen = selection.factorTimesTen();
    unit.buildingTimesTen = selection.buildingTimesTen();
    unit.area = leadingNumber(selection.tx).value_or(0.0);
    // Q as the table writes it before the parenthesis, which the counts divide as well.
    const double written =
        leadingNumber(plainText(static_cast<float>(result.required->whole))).value_or(0.0);
    const double largest = std::numeric_limits<std::int32_t>::max();
    unit.required = static_cast<std::int32_t>(std::clamp(written, 0.0, largest));
    unit.requiredRounded = result.required->rounded;
    unit.agent = selection.Op.option(static_cast<std::int16_t>(*result.agentType)).caption;
    for (const ModelResult& row : result.rows) {
        if (row.adequate) {
            unit.candidates.push_back({row.model->mount, std::string(row.model->charge),
                                       std::string(row.model->code), std::string(row.ratingText),
                                       row.rating});
        }
    }
    return unit;
}

std::int32_t estimatedPoints(double area, int distance) {
    const double covered = area / (2.0 * distance * distance);
    const double largest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(std::ceil(covered), 1.0, largest));
}

PointConfiguration configure(const UnitConditions& unit, const CandidateModel& model, int points) {
    const RatingClass ratingClass = ratingClassOf(unit.fireClass);
    PointConfiguration c;
    c.distance = protectionDistance(ratingClass, unit.hazard, model.mount);
    c.coveredArea = unit.area / (2.0 * c.distance * c.distance);
    c.estimate = estimatedPoints(unit.area, c.distance);
    c.points = std::clamp(points, 1, kMaxPoints);
    c.perPointRequired = (std::int64_t{unit.required} + c.points - 1) / c.points;
    c.perPoint = model.rating > 0
                     ? std::max<std::int64_t>(
                           1, ceilToWhole(static_cast<double>(c.perPointRequired) / model.rating))
                     : 1;
    if (c.points == 1 && c.perPoint == 1) {
        c.perPoint = 2;
        c.raisedToTwo = true;
    }
    c.total = c.points * c.perPoint;
    c.provided = static_cast<double>(c.total) * model.rating;

    c.checks.atLeastTwo = c.total >= 2;
    c.checks.atMostFivePerPoint = c.perPoint <= kMaxPerPoint;
    c.checks.reachesMinimum = model.rating >= minimumRating(ratingClass, unit.hazard);
    c.checks.pointReachesQe =
        static_cast<double>(c.perPoint) * model.rating >= static_cast<double>(c.perPointRequired);
    c.checks.enoughPoints = c.points >= c.estimate;
    return c;
}

PointConfiguration configureAtEstimate(const UnitConditions& unit, const CandidateModel& model) {
    const int distance =
        protectionDistance(ratingClassOf(unit.fireClass), unit.hazard, model.mount);
    return configure(unit, model, std::min(estimatedPoints(unit.area, distance), kMaxPoints));
}

std::optional<std::size_t> defaultModel(const UnitConditions& unit) {
    if (unit.candidates.empty()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < unit.candidates.size(); ++i) {
        if (configureAtEstimate(unit, unit.candidates[i]).checks.atMostFivePerPoint) {
            return i;
        }
    }
    return unit.candidates.size() - 1;
}

std::string decimalText(double x) {
    // Fixed notation of the largest double takes 309 digits before the point.
    std::array<char, 400> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), x, std::chars_format::fixed, 3);
    std::string text(buffer.data(), result.ptr);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    return text == "-0" ? "0" : text;
}

}  // namespace core
