#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <ranges>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cover_proof.h"
#include "placed_rooms.h"
#include "project.h"
#include "reach_map.h"
#include "unit_placing.h"

namespace {

using tests::kCorridorPoints;
const core::Ring& kL = tests::kLOutline;
const core::Ring& kCorridor = tests::kCorridorOutline;

core::Unit room(core::Ring outline, std::vector<core::PlanPoint> points, core::Hazard hazard,
                core::FireClass fireClass = core::FireClass::A) {
    core::Unit unit = tests::placedRoom("房间", std::move(outline), std::move(points), hazard);
    unit.choices.fireClass = fireClass;
    return unit;
}

const core::Ring kHall201{{0, 0}, {201, 0}, {201, 201}, {0, 201}};  // 40 401 m²
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Case {
    const char* name;
    core::Unit unit;
    int points;    // N
    int estimate;  // N0
    int reach;     // R
    bool proven;   // 7.1.3
    double least;  // the farthest distance lies between these
    double most;
};

// clang-format off
const Case kCases[] = {
    // The corridor's four points reach it all, though the estimate asks for one only.
    {"Corridor", tests::placedCorridor(), 4, 1, 20, true, 15.0, 15.1},
    // By straight lines (7.5, 12) reaches the L's far corner (16, 0) within 14.71 m; walking round
    // the re-entrant corner (8, 8) it is 15.35 m away: not within R = 15 m.
    {"LByPath", tests::placedL(), 1, 1, 15, false, 15.3, 15.36},
    // The same point reaches the L within R = 20 m of a lighter hazard.
    {"LWithALongerReach", room(kL, {{7.5, 12}}, core::Hazard::Medium), 1, 1, 20, true, 15.3, 15.36},
    // A point that a new outline left outside reaches nothing.
    {"PointOutside", room(kL, {{12, 12}, {4, 4}}, core::Hazard::Medium), 2, 1, 20, false, 0, 30},
    // Class E takes the B rating's distances: 12 m at a medium hazard.
    {"ClassE", room(kCorridor, kCorridorPoints, core::Hazard::Medium, core::FireClass::E), 4, 2, 12, false, 15.0, 15.1},
    // An outline too large to check: its points count as not reaching the room.
    {"TooLargeToCheck", room(kHall201, {{100, 100}}, core::Hazard::Medium), 1, 51, 20, false,
     kInf, kInf},
    // Without points N is as typed, and points count only with the outline they were placed in:
    // neither has a cover (least and most not numbers).
    {"TypedWithoutPoints", [] { core::Unit u = room(kCorridor, {}, core::Hazard::Medium); u.points = 3; return u; }(), 3, 1, 20, true, kNaN, kNaN},
    {"PointsWithoutOutline", [] { core::Unit u = room({}, {{1, 1}, {2, 2}}, core::Hazard::Medium); u.choices.area = 360; return u; }(), 1, 1, 20, true, kNaN, kNaN},
};
// clang-format on

class PlacedUnit : public ::testing::TestWithParam<Case> {};

TEST_P(PlacedUnit, TakesItsPointsAndTheirReach) {
    const Case& c = GetParam();
    const core::UnitDesign d = core::design(c.unit);
    ASSERT_TRUE(d.configured());
    EXPECT_EQ(d.configuration.points, c.points);
    EXPECT_EQ(d.configuration.estimate, c.estimate);
    EXPECT_EQ(d.configuration.distance, c.reach);
    EXPECT_EQ(d.configuration.checks.enoughPoints, c.proven);
    const std::vector<std::string> breached = core::breachedClauses(d.configuration.checks);
    EXPECT_EQ(std::ranges::find(breached, "7.1.3") != breached.end(), !c.proven);
    ASSERT_EQ(d.cover.has_value(), !std::isnan(c.least));
    if (!d.cover) {
        return;
    }
    EXPECT_EQ(d.cover->reach, c.reach);
    EXPECT_EQ(d.cover->proven, c.proven);
    EXPECT_GE(d.cover->farthest, c.least);
    EXPECT_LE(d.cover->farthest, c.most);
    // Each point's share: none for a point out of the room, nor where the cover is not checked.
    ASSERT_EQ(d.cover->shares.size(), c.unit.setPoints.size());
    for (std::size_t i = 0; i < c.unit.setPoints.size(); ++i) {
        EXPECT_EQ(std::isinf(d.cover->shares[i]),
                  std::isinf(c.most) || !core::coveredBy(c.unit.setPoints[i], c.unit.outline));
    }
    // Asked again, the remembered answer is the same.
    EXPECT_EQ(core::design(c.unit).cover->farthest, d.cover->farthest);
}

INSTANTIATE_TEST_SUITE_P(Units, PlacedUnit, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace

// What placing many units makes of each: placed for the R of its model, kept, or refused. A
// stand-in placer gives `stubbed` points where set: the limit of kMaxPoints without placing them.
TEST(PlacedUnit, PlacingUnitsPlacesKeepsOrRefusesEach) {
    using core::PlaceAgain;
    using core::UnitPlacing;
    using tests::grownCorridor;
    core::Unit unplaced = tests::placedCorridor();
    unplaced.setPoints.clear();
    core::Unit metal = unplaced;
    metal.choices.fireClass = core::FireClass::D;
    struct Case {
        const char* name;
        core::Unit unit;
        PlaceAgain again;
        UnitPlacing outcome;
        std::size_t points;  // placed
        bool stale;          // its points no longer reached all of it
        std::size_t stubbed = 0;
        std::size_t kept = 0;  // of its points set by hand (`handSet`), kept first
        std::vector<bool> handSet = {};
    };
    // clang-format off
    const Case cases[] = {
        {"unplaced corridor", unplaced, PlaceAgain::Never, UnitPlacing::Proven, 4, false},
        {"covered corridor", tests::placedCorridor(), PlaceAgain::Stale, UnitPlacing::Kept, 0, false},
        {"grown corridor kept", grownCorridor(180), PlaceAgain::Never, UnitPlacing::KeptStale, 0, true},
        {"grown too large to check", grownCorridor(14000), PlaceAgain::Stale, UnitPlacing::TooLarge, 0, false},
        {"class D", metal, PlaceAgain::Stale, UnitPlacing::Unconfigurable, 0, false},
        {"slot", tests::slotRoom(), PlaceAgain::Stale, UnitPlacing::NotCovered, 1, false},
        {"999 points", unplaced, PlaceAgain::Stale, UnitPlacing::Proven, 999, false, 999},
        {"1000 points", unplaced, PlaceAgain::Stale, UnitPlacing::TooManyPoints, 0, false, 1000},
        // Placed again though covered: the point set by hand stays, the three others are placed
        // afresh about it. The corridor grown keeps its four and gets two more.
        {"one set by hand", tests::placedCorridor(), PlaceAgain::Always, UnitPlacing::Proven, 4, false, 0, 1, {true, false, false, false}},
        {"grown, set by hand", grownCorridor(180), PlaceAgain::Stale, UnitPlacing::Proven, 6, true, 0, 4, {true, true, true, true}},
        {"slot, set by hand", tests::slotRoom({{5, 5}}), PlaceAgain::Stale, UnitPlacing::HandSetShort, 0, true, 0, 0, {true}},
    };
    // clang-format on
    for (const Case& c : cases) {
        // A unit without an outline is passed over.
        std::vector<core::Unit> units{core::Unit{}, c.unit};
        units[1].handSet = c.handSet;
        const core::UnitPlacer stub = [&c](const core::Unit&, const core::PlacingProgress&) {
            core::Placement placement;
            placement.points.assign(c.stubbed, {1.5, 1.5});
            placement.proven = true;
            return std::optional(placement);
        };
        const core::UnitsPlaced placed = core::placeUnits(
            units, {0, 1}, c.again, {}, c.stubbed > 0 ? stub : core::UnitPlacer(core::placeUnit));
        ASSERT_FALSE(placed.stopped);
        ASSERT_EQ(placed.units.size(), 1U) << c.name;
        const core::UnitPlaced& result = placed.units[0];
        EXPECT_EQ(result.unit, 1U) << c.name;
        EXPECT_EQ(result.outcome, c.outcome) << c.name;
        EXPECT_EQ(result.points.size(), c.points) << c.name;
        EXPECT_EQ(result.changed, !result.points.empty() && result.points != c.unit.setPoints);
        EXPECT_EQ(std::ranges::count(result.handSet, true), c.kept) << c.name;
        EXPECT_EQ(tests::firstPoints(core::handSetPoints(units[1]), c.kept),
                  tests::firstPoints(result.points, c.kept))
            << c.name;
        EXPECT_EQ(result.stale.has_value(), c.stale) << c.name;
    }
}

// The progress hears of each unit with an outline in turn, and of every step of its placing, and
// stops the placing within a unit when it says so.
TEST(PlacedUnit, PlacingUnitsReportsProgressAndStops) {
    core::Unit corridor = tests::placedCorridor();
    corridor.setPoints.clear();
    std::vector<std::pair<std::size_t, double>> heard;
    const core::UnitsPlaced placed =
        core::placeUnits({corridor, core::Unit{}, corridor}, {0, 1, 2}, core::PlaceAgain::Stale,
                         [&heard](std::size_t position, double done) {
                             heard.emplace_back(position, done);
                             return position == 0 || done < 0.1;
                         });
    EXPECT_TRUE(placed.stopped);
    EXPECT_EQ(placed.units.size(), 1U);
    EXPECT_TRUE(std::is_sorted(heard.begin(), heard.end()));
    EXPECT_EQ(std::ranges::count(heard, std::pair<std::size_t, double>{0, 1}), 1);
    EXPECT_EQ(heard.back(), (std::pair<std::size_t, double>{1, 0.1}));
}

// The picture of the reach: the line where a point's walking distance is R, and what no point
// reaches.
TEST(ReachMap, DrawsTheReachByWalkingDistance) {
    // In a square hall the reach ends on a circle of radius R.
    const core::ReachMap hall =
        core::reachMap({{0, 0}, {40, 0}, {40, 40}, {0, 40}}, {{20, 20}}, 15, 20000);
    ASSERT_EQ(hall.edges.size(), 1U);
    ASSERT_GT(hall.edges[0].size(), 100U);
    for (const auto& segment : hall.edges[0]) {
        for (const core::PlanPoint p : segment) {
            EXPECT_NEAR(std::hypot(p.x - 20, p.y - 20), 15, hall.cell);
        }
    }
    EXPECT_FALSE(hall.uncovered.empty());  // the corners of the hall
    // The L's one point misses its far corner (16, 0) by path, and only there.
    const core::ReachMap l = core::reachMap(kL, {{7.5, 12}}, 15);
    ASSERT_FALSE(l.uncovered.empty());
    double missed = 0;
    for (const core::PlanBox& box : l.uncovered) {
        EXPECT_GT(box.min.x, 14) << box.min.x << ", " << box.min.y;
        EXPECT_LT(box.max.y, 2) << box.min.x << ", " << box.min.y;
        missed += (box.max.x - box.min.x) * (box.max.y - box.min.y);
    }
    EXPECT_LT(missed, 1.0);
    // A longer reach misses nothing; without points, all is missed.
    EXPECT_TRUE(core::reachMap(kL, {{7.5, 12}}, 20).uncovered.size() == 0);
    EXPECT_FALSE(core::reachMap(kL, {}, 20).uncovered.empty());
    // A column is no part of the room: without points all but the column is missed.
    const core::ReachMap column = core::reachMap({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {}, 20,
                                                 10000, {{{4, 4}, {6, 4}, {6, 6}, {4, 6}}});
    double missedArea = 0;
    for (const core::PlanBox& box : column.uncovered) {
        EXPECT_FALSE(box.min.x < 5 && box.max.x > 5 && box.min.y < 5 && box.max.y > 5);
        missedArea += (box.max.x - box.min.x) * (box.max.y - box.min.y);
    }
    EXPECT_NEAR(missedArea, 96, 1);
}

// A point dragged about, one move at a time: after each move, what the tracker kept up to date
// draws and proves is what it draws and proves of the points made afresh, and what reachMap() and
// checkCover() give for them; the farthest distance lies within the proof's margin above
// checkCover()'s. Moves go round a corner, round a column, out of the room and back in.
TEST(ReachTracker, KeepsWhatTheFullWorkGives) {
    using Points = std::vector<core::PlanPoint>;
    struct Drag {
        const char* name;
        core::Ring room;
        std::vector<core::Ring> holes;
        Points points;
        double reach;
        std::size_t moved;
        Points moves;
    };
    const core::Ring square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    // clang-format off
    const Drag drags[] = {
        {"L round its corner", kL, {}, {{7.5, 12}, {12, 4}}, 15, 0,
         {{4, 12}, {12, 12}, {7.9, 7.9}, {2, 2}, {15, 7}}},
        {"round a column", square, {{{4, 4}, {6, 4}, {6, 6}, {4, 6}}}, {{1, 1}, {9, 9}}, 7, 1,
         {{9, 1}, {5, 5}, {1, 9}, {1, 1}, {8, 8}}},
        {"corridor, out and back", kCorridor, {}, kCorridorPoints, 20, 1,
         {{50, 1.5}, {60, 1.5}, {60, 30}, {90, 2}, {30, 1}}},
    };
    // clang-format on
    for (const Drag& drag : drags) {
        core::ReachTracker tracker(drag.room, drag.holes, drag.points, drag.reach, 8000);
        Points points = drag.points;
        for (const core::PlanPoint to : drag.moves) {
            SCOPED_TRACE(std::string(drag.name) + " to " + std::to_string(to.x) + ", " +
                         std::to_string(to.y));
            tracker.move(drag.moved, to);
            points[drag.moved] = to;
            const core::ReachTracker fresh(drag.room, drag.holes, points, drag.reach, 8000);
            const core::ReachMap kept = tracker.map();
            const core::ReachMap full =
                core::reachMap(drag.room, points, drag.reach, 8000, drag.holes);
            for (const core::ReachMap& other : {fresh.map(), full}) {
                EXPECT_EQ(kept.cell, other.cell);
                EXPECT_EQ(kept.edges, other.edges);
                EXPECT_EQ(kept.uncovered, other.uncovered);
            }
            EXPECT_EQ(tracker.farthest(), fresh.farthest());
            if (!core::RoomPaths(core::counterClockwise(drag.room), drag.holes).contains(to)) {
                EXPECT_FALSE(tracker.proven());
                EXPECT_EQ(tracker.farthest(), core::kUnreachable);
                continue;
            }
            const core::CoverCheck proof =
                core::checkCover(drag.room, points, drag.reach, drag.holes);
            EXPECT_EQ(tracker.proven(), proof.proven);
            EXPECT_GE(tracker.farthest(), proof.farthest);
            EXPECT_LE(tracker.farthest(), proof.farthest + core::kDemandMargin);
        }
    }
}

// The reach as closed rings inside the room: their number, and the region's area (holes counted
// negative), to within the grid's error.
TEST(ReachMap, OutlinesTheReachInsideTheRoom) {
    const core::Ring square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const std::vector<core::Ring> none;
    const std::vector<core::Ring> column{{{4, 4}, {6, 4}, {6, 6}, {4, 6}}};
    using Case = std::tuple<core::Ring, core::PlanPoint, std::vector<core::Ring>, std::size_t,
                            double, double>;
    // clang-format off
    const Case cases[] = {
        {{{0, 0}, {40, 0}, {40, 40}, {0, 40}}, {20, 20}, none, 1, 706.86, 8},  // a circle
        {square, {5, 5}, none, 1, 100, 0.1},    // the room whole
        {square, {2, 2}, column, 2, 96, 0.1},   // round the column: a hole of the region
        // All but the far corner (16, 0), 14.71 m away in a straight line, farther by a path.
        {kL, {7.5, 12}, none, 1, 190.7, 0.6},
        {square, {20, 20}, none, 0, 0, 0}};     // a point outside the room
    // clang-format on
    for (const auto& [outline, point, holes, count, area, tolerance] : cases) {
        const auto rings = core::reachOutlines(outline, {point}, 15, 4000, holes).at(0);
        ASSERT_EQ(rings.size(), count) << point.x;
        double sum = 0;
        const core::Ring& room = outline;
        for (const core::Ring& ring : rings) {
            sum += core::signedArea(ring);
            EXPECT_TRUE(
                std::ranges::all_of(ring, [&](auto p) { return core::coveredBy(p, room); }));
        }
        EXPECT_NEAR(sum, area, tolerance) << point.x;
    }
}

// Outlines too large or too intricate to place and check in reasonable time are refused (their
// points count as not reaching the room: the table above).
TEST(PlacedUnit, LargeAndIntricateOutlinesAreNotPlaced) {
    struct Case {
        const char* name;
        core::Ring outline;
        core::PlacingFault fault;
        std::vector<core::Ring> holes;
    };
    const core::Ring column{{0.5, 0.5}, {1, 0.5}, {1, 1}, {0.5, 1}};
    // Combs of teeth 1 m wide and 5 m long on a 2 m back.
    const auto comb = [](int teeth) { return tests::comb(teeth, 1, 2, 7); };
    const core::Ring hall{{0, 0}, {200, 0}, {200, 200}, {0, 200}};
    const core::Ring shaft{{90, 90}, {111, 90}, {111, 111}, {90, 111}};  // 441 m²
    // clang-format off
    const Case cases[] = {
        {"hall of 40 000 m²", hall, core::PlacingFault::None, {}},
        {"hall of 40 401 m²", kHall201, core::PlacingFault::TooLarge, {}},
        {"hall of 40 401 m² less a shaft", kHall201, core::PlacingFault::None, {shaft}},
        {"comb of 200 gaps", comb(201), core::PlacingFault::None, {}},
        {"comb of 201 gaps", comb(202), core::PlacingFault::TooIntricate, {}},
        // Each corner of a column sticks out into the room.
        {"comb of 199 gaps and a column", comb(200), core::PlacingFault::TooIntricate, {column}},
    };
    // clang-format on
    for (const Case& c : cases) {
        ASSERT_EQ(core::ringFault(c.outline), core::RingFault::None) << c.name;
        EXPECT_EQ(core::placingFault(c.outline, c.holes), c.fault) << c.name;
        EXPECT_EQ(core::placingFault(core::counterClockwise(c.outline), c.holes), c.fault)
            << c.name;
    }
    // The area of an outline is net of its holes.
    core::Unit holed = room(hall, {}, core::Hazard::Medium);
    holed.holes = {column};
    EXPECT_EQ(core::outlineArea(holed), 40000 - 0.25);
}
