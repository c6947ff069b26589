#include "project.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace core {

const CandidateModel& UnitDesign::chosenModel() const {
    return conditions.value().candidates.at(model);
}

UnitDesign design(const Unit& unit) {
    UnitDesign d;
    if (unit.choices.fireClass == FireClass::D) {
        d.fault = Unconfigurable::ClassD;
        return d;
    }
    d.conditions = conditionsOf(unit.choices);
    if (!d.conditions) {
        d.fault = Unconfigurable::AreaInvalid;
        return d;
    }
    const UnitConditions& conditions = *d.conditions;
    if (conditions.required.design() == 0) {
        d.fault = Unconfigurable::NothingRequired;
        return d;
    }
    const std::optional<std::size_t> fallback = defaultModel(conditions);
    if (!fallback) {
        d.fault = Unconfigurable::NoAdequateModel;
        return d;
    }
    d.model = *fallback;
    if (unit.model) {
        const auto& candidates = conditions.candidates;
        const auto found = std::ranges::find(candidates, *unit.model, &CandidateModel::code);
        if (found != candidates.end()) {
            d.model = static_cast<std::size_t>(found - candidates.begin());
            d.modelChosen = true;
        }
    }
    const CandidateModel& model = conditions.candidates[d.model];
    d.configuration = unit.points ? configure(conditions, model, *unit.points)
                                  : configureAtEstimate(conditions, model);
    return d;
}

std::vector<std::string> breachedClauses(const ClauseChecks& checks) {
    const std::pair<bool, const char*> clauses[] = {
        {checks.atLeastTwo, "6.1.1"},     {checks.atMostFivePerPoint, "6.1.2"},
        {checks.reachesMinimum, "6.2.1"}, {checks.pointReachesQe, "7.1.2"},
        {checks.enoughPoints, "7.1.3"},   {checks.reachesAreaRating, "10.0.3"},
    };
    std::vector<std::string> breached;
    for (const auto& [met, clause] : clauses) {
        if (!met) {
            breached.emplace_back(clause);
        }
    }
    return breached;
}

std::string nextUnitName(const Project& project) {
    constexpr std::string_view kPrefix = "计算单元";
    std::set<long long> taken;
    for (const Unit& unit : project.units) {
        const std::string_view name = unit.name;
        if (name.starts_with(kPrefix) && name.size() > kPrefix.size()) {
            const std::string_view digits = name.substr(kPrefix.size());
            if (digits.size() <= 9 &&
                std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; }) &&
                digits.front() != '0') {
                taken.insert(std::stoll(std::string(digits)));
            }
        }
    }
    long long n = 1;
    while (taken.contains(n)) {
        ++n;
    }
    return std::string(kPrefix) + std::to_string(n);
}

std::optional<double> outlineArea(const Unit& unit) {
    if (unit.outline.empty()) {
        return std::nullopt;
    }
    return areaRoundedUp(area(unit.outline));
}

bool areaTypedByHand(const Unit& unit) {
    // 0.01 m² and a margin for the binary fractions of both areas.
    constexpr double kTolerance = 0.01 + 1e-9;
    const std::optional<double> planned = outlineArea(unit);
    return planned && !(std::abs(unit.choices.area - *planned) <= kTolerance);
}

}  // namespace core
