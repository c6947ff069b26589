#include "setting_points.h"

#include <algorithm>
#include <array>
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
    constexpr double kLargest = static_cast<double>(std::numeric_limits<std::int64_t>::max()) / 2;
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

std::int64_t ceilDecimal(double x) {
    // Products and quotients of the decimal inputs carry a few units of the last binary place; a
    // real fraction from the inputs is many orders of magnitude larger.
    const double tolerance = 1e-9 + std::fabs(x) * 1e-14;
    const double nearest = std::round(x);
    return ceilToWhole(std::fabs(x - nearest) <= tolerance ? nearest : x);
}

Requirement requirement(const Choices& choices, const DecimalNumber& area) {
    const RatingClass ratingClass = ratingClassOf(choices.fireClass);
    // U in tenths of m² is a whole number: 1000, 750, 500 for class A, 15, 10, 5 for the others.
    const auto unitAreaTimesTen =
        static_cast<std::uint32_t>(std::lround(unitArea(ratingClass, choices.hazard) * 10));
    const auto factors = static_cast<std::uint32_t>(factorTimesTen(choices.factor) *
                                                    buildingTimesTen(choices.building));
    Requirement r;
    // K·S/U = (10K)(10B)S / (10·10U), S/U = 10S / 10U.
    r.exactRatio = scaled(area, factors, 10 * unitAreaTimesTen);
    r.exact = toDouble(r.exactRatio);
    r.whole = ceilOf(r.exactRatio);
    r.perUnitAreaRatio = scaled(area, 10, unitAreaTimesTen);
    r.perUnitArea = toDouble(r.perUnitAreaRatio);
    r.perUnitAreaWhole = ceilOf(r.perUnitAreaRatio);
    return r;
}

Requirement requirement(const Choices& choices) {
    return requirement(choices, decimalOf(choices.area));
}

std::optional<UnitConditions> conditionsOf(const Choices& choices,
                                           const std::optional<DecimalNumber>& typedArea) {
    // Beyond this area the counts no longer fit exact whole numbers.
    constexpr double kLargestArea = 1e12;
    if (choices.fireClass == FireClass::D || !(choices.area >= 0 && choices.area <= kLargestArea)) {
        return std::nullopt;
    }
    UnitConditions unit;
    unit.choices = choices;
    unit.area = typedArea ? *typedArea : decimalOf(choices.area);
    unit.required = requirement(choices, unit.area);
    const RatingClass ratingClass = ratingClassOf(choices.fireClass);
    for (const Model& model : models(choices.agent)) {
        if (meetsMinimum(model, ratingClass, choices.hazard)) {
            unit.candidates.push_back(
                {model.mount, std::string(model.charge), std::string(model.code),
                 std::string(rating(model, ratingClass)), ratingValue(model, ratingClass)});
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
    const Choices& choices = unit.choices;
    const RatingClass ratingClass = ratingClassOf(choices.fireClass);
    PointConfiguration c;
    c.distance = protectionDistance(ratingClass, choices.hazard, model.mount);
    c.coveredArea = choices.area / (2.0 * c.distance * c.distance);
    c.estimate = estimatedPoints(choices.area, c.distance);
    c.points = std::clamp(points, 1, kMaxPoints);
    c.perPointRequired = (unit.required.design() + c.points - 1) / c.points;
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
    c.checks.reachesMinimum = model.rating >= minimumRating(ratingClass, choices.hazard);
    c.checks.pointReachesQe =
        static_cast<double>(c.perPoint) * model.rating >= static_cast<double>(c.perPointRequired);
    c.checks.enoughPoints = c.points >= c.estimate;
    c.checks.reachesAreaRating = c.provided >= static_cast<double>(unit.required.perUnitAreaWhole);
    return c;
}

PointConfiguration configureAtEstimate(const UnitConditions& unit, const CandidateModel& model) {
    const int distance =
        protectionDistance(ratingClassOf(unit.choices.fireClass), unit.choices.hazard, model.mount);
    return configure(unit, model,
                     std::min(estimatedPoints(unit.choices.area, distance), kMaxPoints));
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

}  // namespace core
