#include "project.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <map>
#include <mutex>
#include <set>
#include <tuple>

#include "combined_units.h"
#include "cover_proof.h"
#include "floor_placement.h"
#include "floor_walk.h"
#include "room_paths.h"

namespace core {

namespace {
PlacedCover combinedCover(const Unit& unit, int reach);
}  // namespace

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
    if (!unit.setPoints.empty() && (!unit.outline.empty() || unit.combined())) {
        d.configuration =
            configure(conditions, model,
                      static_cast<int>(std::min<std::size_t>(unit.setPoints.size(), kMaxPoints)));
        d.cover = unit.combined() ? combinedCover(unit, d.configuration.distance)
                                  : placedCover(unit.outline, unit.setPoints,
                                                d.configuration.distance, unit.holes);
        d.configuration.checks.enoughPoints = d.cover->proven;
    } else {
        d.configuration = unit.points ? configure(conditions, model, *unit.points)
                                      : configureAtEstimate(conditions, model);
    }
    return d;
}

namespace {

// The area of the room: its outline less its holes.
double netArea(const Ring& outline, const std::vector<Ring>& holes) {
    double net = area(outline);
    for (const Ring& hole : holes) {
        net -= area(hole);
    }
    return net;
}

struct CoverQuestion {
    Ring outline;
    std::vector<Ring> holes;
    std::vector<PlanPoint> points;
    int reach = 0;
    // A combined unit's rooms (each its outline, then its holes) and its doors' openings.
    std::vector<std::vector<Ring>> rooms = {};
    std::vector<std::array<double, 4>> doors = {};

    friend bool operator<(const CoverQuestion& a, const CoverQuestion& b) {
        const auto key = [](const CoverQuestion& q) {
            return std::tie(q.reach, q.outline, q.holes, q.points, q.rooms, q.doors);
        };
        return key(a) < key(b);
    }
    [[nodiscard]] std::size_t size() const {
        std::size_t size = outline.size() + points.size() + doors.size();
        for (const Ring& hole : holes) {
            size += hole.size();
        }
        for (const auto& rings : rooms) {
            for (const Ring& ring : rings) {
                size += ring.size();
            }
        }
        return size;
    }
};

// The answers to the questions asked last, up to a million vertices and points in all: a project's
// table asks about every unit on each change, and a check takes milliseconds.
class Answers {
  public:
    std::optional<PlacedCover> find(const CoverQuestion& question) {
        const std::scoped_lock lock(guard_);
        const auto found = answers_.find(question);
        return found == answers_.end() ? std::nullopt : std::optional(found->second);
    }
    void keep(CoverQuestion question, const PlacedCover& answer) {
        constexpr std::size_t kRemembered = 1'000'000;
        const std::scoped_lock lock(guard_);
        const std::size_t size = question.size();
        if (stored_ + size > kRemembered) {
            answers_.clear();
            stored_ = 0;
        }
        if (answers_.emplace(std::move(question), answer).second) {
            stored_ += size;
        }
    }

  private:
    std::size_t stored_ = 0;
    std::mutex guard_;
    std::map<CoverQuestion, PlacedCover> answers_;
};

Answers& answers() {
    static Answers kept;
    return kept;
}

// The turns of a ring against the way it runs (`sense` 1 for counter-clockwise): right turns of
// the outline, left turns of a hole, either way round.
std::size_t turnsAgainst(const Ring& ring, double sense) {
    const double turn = signedArea(ring) > 0 ? -sense : sense;
    std::size_t count = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const PlanPoint a = ring[(i + ring.size() - 1) % ring.size()];
        const PlanPoint b = ring[i];
        const PlanPoint c = ring[(i + 1) % ring.size()];
        const double cross = (b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x);
        count += cross * turn > 0 ? 1 : 0;
    }
    return count;
}

// What a combined unit's points reach, walking through its doors (checkFloorCover()).
PlacedCover combinedCover(const Unit& unit, int reach) {
    CoverQuestion question{{}, {}, unit.setPoints, reach};
    for (const UnitRoom& room : unit.rooms) {
        std::vector<Ring>& rings = question.rooms.emplace_back(1, room.outline);
        rings.insert(rings.end(), room.holes.begin(), room.holes.end());
    }
    for (const PlanDoor& door : unit.doors) {
        question.doors.push_back({door.hinge.x, door.hinge.y, door.end.x, door.end.y});
    }
    if (const std::optional<PlacedCover> found = answers().find(question)) {
        return *found;
    }
    const std::vector<PlanPoint>& points = unit.setPoints;
    if (placingFault(unit) != PlacingFault::None) {
        return {reach, kUnreachable, false, std::vector<double>(points.size(), kUnreachable)};
    }
    const FloorRegion region = unitRegion(unit);
    const FloorCover cover = checkFloorCover(region, points, reach);
    PlacedCover answer{reach, 0, cover.proven, {}};
    for (const RoomReach& room : cover.rooms) {
        answer.farthest = std::max(answer.farthest, room.part ? room.farthest : kUnreachable);
    }
    answer.shares = cover.shares;
    answer.proven = answer.proven && std::ranges::all_of(answer.shares, [](double share) {
                        return std::isfinite(share);
                    });
    answers().keep(std::move(question), answer);
    return answer;
}

}  // namespace

// A room and its points: a Ring is a vector of points too, yet the two never mix up.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
PlacedCover placedCover(const Ring& outline, const std::vector<PlanPoint>& points, int reach,
                        const std::vector<Ring>& holes) {
    CoverQuestion question{outline, holes, points, reach};
    if (const std::optional<PlacedCover> found = answers().find(question)) {
        return *found;
    }
    if (placingFault(outline, holes) != PlacingFault::None) {
        return {reach, kUnreachable, false, std::vector<double>(points.size(), kUnreachable)};
    }
    // A point outside the outline or inside a hole (one that a new outline left out) reaches
    // nothing; a point on a hole's wall is in the room.
    const RoomPaths room(counterClockwise(outline), holes);
    std::vector<PlanPoint> inside;
    std::ranges::copy_if(points, std::back_inserter(inside),
                         [&room](PlanPoint p) { return room.contains(p); });
    const CoverCheck check = placing::check(room, inside, reach);
    PlacedCover answer{reach, check.farthest, check.proven && inside.size() == points.size(), {}};
    auto share = check.shares.begin();
    for (const PlanPoint p : points) {
        answer.shares.push_back(room.contains(p) ? *share++ : kUnreachable);
    }
    answers().keep(std::move(question), answer);
    return answer;
}

PlacingFault placingFault(const Ring& outline, const std::vector<Ring>& holes) {
    std::size_t vertices = outline.size();
    for (const Ring& hole : holes) {
        vertices += hole.size();
    }
    if (!(netArea(outline, holes) <= kMaxPlacedArea)) {
        return PlacingFault::TooLarge;
    }
    if (vertices > kMaxPlacedVertices) {
        return PlacingFault::TooIntricate;
    }
    std::size_t corners = turnsAgainst(outline, 1);
    for (const Ring& hole : holes) {
        corners += turnsAgainst(hole, -1);
    }
    return corners > kMaxPlacedCorners ? PlacingFault::TooIntricate : PlacingFault::None;
}

PlacingFault placingFault(const Unit& unit) {
    if (!unit.combined()) {
        return placingFault(unit.outline, unit.holes);
    }
    // The rooms together, as one room: their areas, vertices and corners summed. The corners that
    // doors make in the walkable region are not counted: a floor has as many as it has doors.
    double net = 0;
    std::size_t vertices = 0;
    std::size_t corners = 0;
    for (const UnitRoom& room : unit.rooms) {
        net += netArea(room.outline, room.holes);
        vertices += room.outline.size();
        corners += turnsAgainst(room.outline, 1);
        for (const Ring& hole : room.holes) {
            vertices += hole.size();
            corners += turnsAgainst(hole, -1);
        }
    }
    if (!(net <= kMaxPlacedArea)) {
        return PlacingFault::TooLarge;
    }
    return vertices > kMaxPlacedVertices || corners > kMaxPlacedCorners ? PlacingFault::TooIntricate
                                                                        : PlacingFault::None;
}

std::optional<Placement> placeUnit(const Unit& unit, const PlacingProgress& progress) {
    if (!hasPlan(unit) || placingFault(unit) != PlacingFault::None) {
        return std::nullopt;
    }
    const UnitDesign d = design(unit);
    if (!d.configured()) {
        return std::nullopt;
    }
    if (unit.combined()) {
        FloorPlacement placed =
            placeFloorPoints(unitRegion(unit), unitDoors(unit), unitCirculation(unit),
                             d.configuration.distance, progress, handSetPoints(unit));
        Placement placement{std::move(placed.points), 0, placed.proven, placed.stopped};
        for (const RoomReach& room : placed.cover.rooms) {
            placement.farthest =
                std::max(placement.farthest, room.part ? room.farthest : kUnreachable);
        }
        return placement;
    }
    return placeSettingPoints(unit.outline, d.configuration.distance, unit.holes, progress,
                              handSetPoints(unit));
}

std::vector<PlanPoint> handSetPoints(const Unit& unit) {
    std::vector<PlanPoint> kept;
    for (std::size_t i = 0; i < unit.handSet.size() && i < unit.setPoints.size(); ++i) {
        if (unit.handSet[i]) {
            kept.push_back(unit.setPoints[i]);
        }
    }
    return kept;
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

double roomArea(const Ring& outline, const std::vector<Ring>& holes) {
    return areaRoundedUp(netArea(outline, holes));
}

std::optional<double> outlineArea(const Unit& unit) {
    if (!unit.floorOutline.empty()) {
        return areaRoundedUp(area(unit.floorOutline));
    }
    if (!unit.rooms.empty()) {
        double sum = 0;
        for (const UnitRoom& room : unit.rooms) {
            sum += roomArea(room.outline, room.holes);
        }
        // Each room's area is a whole number of hundredths: the sum is, less the binary fractions.
        return std::round(sum * 100) / 100;
    }
    if (unit.outline.empty()) {
        return std::nullopt;
    }
    return roomArea(unit.outline, unit.holes);
}

bool areaTypedByHand(const Unit& unit) {
    // 0.01 m² and a margin for the binary fractions of both areas.
    constexpr double kTolerance = 0.01 + 1e-9;
    const std::optional<double> planned = outlineArea(unit);
    return planned && !(std::abs(unit.choices.area - *planned) <= kTolerance);
}

}  // namespace core
