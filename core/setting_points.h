#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue.h"
#include "choices.h"
#include "exact_decimal.h"

// From the area's required rating to setting points and whole extinguishers (GB 50140-2005,
// 6.1, 6.2, 7.1 and 7.3.4), and the numbers the calculation sheet shows.
namespace core {

// A model of the table that reaches the minimum rating of one extinguisher at the hazard level.
struct CandidateModel {
    Mount mount = Mount::Portable;
    std::string charge;      // "3千克"
    std::string code;        // "MF/ABC3"
    std::string ratingText;  // "2A", "55B", "0.5A"
    double rating = 0;       // 2, 55, 0.5
};

// The ratings that a calculation unit requires, computed exactly from its decimal inputs: S as its
// decimal digits, K, U and the building factor in tenths, as whole numbers with no tolerance.
struct Requirement {
    Ratio exactRatio;                   // K·S/U (×1.3)
    Ratio perUnitAreaRatio;             // S/U
    double exact = 0;                   // K·S/U (×1.3), as near as a double comes
    std::int64_t whole = 0;             // Q: the exact value rounded up (GB 50140 7.1.1)
    double perUnitArea = 0;             // S/U, as near as a double comes
    std::int64_t perUnitAreaWhole = 0;  // S/U rounded up (GB 55036-2022 10.0.3)
    // What the configuration is sized to: the larger of Q and S/U rounded up.
    [[nodiscard]] std::int64_t design() const { return std::max(whole, perUnitAreaWhole); }
    // S/U rounded up exceeds Q, and so sizes the configuration.
    [[nodiscard]] bool areaGoverns() const { return perUnitAreaWhole > whole; }
};

// The smallest whole number not below x, where x within binary noise of a whole number counts as
// that whole number: 0.9×1500/75 is 18, not 19, while 5.0004 gives 6. For quotients of whole
// numbers and ratings; the required ratings are exact.
[[nodiscard]] std::int64_t ceilDecimal(double x);

// The required ratings of the choices, for the area as its decimal digits (by default the shortest
// decimal of choices.area). The area must be finite and not negative.
[[nodiscard]] Requirement requirement(const Choices& choices, const DecimalNumber& area);
[[nodiscard]] Requirement requirement(const Choices& choices);

// What the sheet and a project's unit know of one calculation unit.
struct UnitConditions {
    Choices choices;
    DecimalNumber area;  // S as the designer typed it, or as the stored area reads
    Requirement required;
    std::vector<CandidateModel> candidates;  // the agent's adequate models, hand-held first
};

// The ratings of classes B, C and E are B ratings.
[[nodiscard]] RatingClass ratingClassOf(FireClass fireClass);
// R, the maximum protection distance in m (tables 5.2.1 and 5.2.2; class E uses B and C's).
[[nodiscard]] int protectionDistance(RatingClass ratingClass, Hazard hazard, Mount mount);

// The conditions of one calculation unit. Empty for class D, and for an area that is not a
// finite number of at least 0.
// `typedArea` is the area as typed, when its text is at hand (it must read as choices.area);
// else the shortest decimal of choices.area is taken.
[[nodiscard]] std::optional<UnitConditions> conditionsOf(
    const Choices& choices, const std::optional<DecimalNumber>& typedArea = std::nullopt);

// Whether the unit's sheet satisfies each rule.
struct ClauseChecks {
    bool atLeastTwo = false;          // 6.1.1: the unit holds at least 2 extinguishers
    bool atMostFivePerPoint = false;  // 6.1.2: a point holds at most 5
    bool reachesMinimum = false;      // 6.2.1, 6.2.2: the model reaches the minimum rating
    bool pointReachesQe = false;      // 7.1.2: what a point holds reaches Qe
    bool enoughPoints = false;        // 7.1.3: no fewer points than the estimate
    // GB 55036-2022 10.0.3: the ratings of all points together reach S/U.
    bool reachesAreaRating = false;
};

// One model spread over a number of setting points.
struct PointConfiguration {
    int distance = 0;                   // R in m
    double coveredArea = 0;             // S / (2 R^2), what the estimate rounds up
    std::int32_t estimate = 1;          // N0
    int points = 1;                     // N
    std::int64_t perPointRequired = 0;  // Qe = the design rating / N rounded up
    std::int64_t perPoint = 1;          // n
    bool raisedToTwo = false;           // n went from 1 to 2 so that the unit holds 2 (6.1.1)
    std::int64_t total = 0;             // N x n
    double provided = 0;                // total x the model's rating
    ClauseChecks checks;
};

// The most setting points one unit may be given.
constexpr int kMaxPoints = 999;
// The most extinguishers one point should hold (6.1.2).
constexpr std::int64_t kMaxPerPoint = 5;

// N0 = S / (2 R^2) rounded up, at least 1: a point covers the square inscribed in the circle of
// radius R around it.
[[nodiscard]] std::int32_t estimatedPoints(double area, int distance);

// The configuration of the model at `points` setting points (clamped to 1..kMaxPoints).
[[nodiscard]] PointConfiguration configure(const UnitConditions& unit, const CandidateModel& model,
                                           int points);
// The configuration of the model at its estimated number of points.
[[nodiscard]] PointConfiguration configureAtEstimate(const UnitConditions& unit,
                                                     const CandidateModel& model);

// The index of the first candidate that needs at most 5 per point at its estimated number of
// points, else of the last candidate; empty without candidates.
[[nodiscard]] std::optional<std::size_t> defaultModel(const UnitConditions& unit);

}  // namespace core
