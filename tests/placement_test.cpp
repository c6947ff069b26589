#include "placement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/geometry/algorithms/covered_by.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <optional>
#include <random>
#include <ranges>
#include <string>
#include <vector>

#include "placed_rooms.h"

namespace core {
namespace {

namespace bg = boost::geometry;

Ring rectangle(double width, double height) {
    return {{0, 0}, {width, 0}, {width, height}, {0, height}};
}

// Every setting point lies in the room, out of its columns, and keeps clear of all their walls.
void expectClearOfTheWalls(const Ring& room, const Placement& placement,
                           const std::vector<Ring>& columns = {}) {
    std::vector<Ring> walls = columns;
    walls.push_back(room);
    for (const PlanPoint p : placement.points) {
        for (const Ring& ring : walls) {
            EXPECT_EQ(&ring == &walls.back(), coveredBy(p, ring)) << p.x << ", " << p.y;
            for (std::size_t i = 0; i < ring.size(); ++i) {
                const PlanPoint a = ring[i];
                const PlanPoint b = ring[(i + 1) % ring.size()];
                const double dx = b.x - a.x;
                const double dy = b.y - a.y;
                const double t = std::clamp(
                    ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
                EXPECT_GE(std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy), kWallClearance - 1e-6)
                    << p.x << ", " << p.y;
            }
        }
    }
}

struct QualityCase {
    const char* name;
    Ring room;
    double reach;
    std::size_t most;   // points the placer may use
    std::size_t least;  // points no placement can do with
    std::vector<Ring> columns = {};
    std::vector<PlanPoint> kept = {};  // set by hand: first among the points, never moved
};

// clang-format off
const QualityCase kQuality[] = {
    {"Rectangle30By50", rectangle(30, 50), 20, 2, 2},
    {"Corridor3By120", rectangle(3, 120), 20, 4, 4},
    // One point set by hand at an end covers 20.8 m of it: three more are the fewest that reach
    // the other 99.2 m (each reaches 2·19.8 m of the corridor's length at most).
    {"Corridor3By120WithAPointSetByHand", rectangle(3, 120), 20, 4, 4, {}, {{1.5, 1}}},
    {"Hall60By60", rectangle(60, 60), 20, 6, 5},
    // A circle of radius 25 about the origin as a drawing gives it: two half-circle arcs.
    {"RoundHallOfRadius25", flattenBulges({{{25, 0}, 1}, {{-25, 0}, 1}}, 0.01), 20, 4, 4},
    {"Store2By2", rectangle(2, 2), 15, 1, 1},
    // Four points reach the corners of their 8.7 × 15 m shares within R − kDemandMargin with
    // 10 mm to spare. Two cannot do: the left one would have to reach (0, 0), (0, 15) and
    // (17, 7.5), whose circle has a radius of 10.2 m.
    {"Rectangle34p8By15", rectangle(34.8, 15), 9, 4, 3},
    // A column of 2 × 2 m and one of 0.6 × 0.6 m where points go in the hall without them. The
    // hall's corners lie more than 2R apart: one point for each at least.
    {"HallWithColumns", rectangle(30, 20), 9, 5, 4,
     {{{13.4, 4}, {15.4, 4}, {15.4, 6}, {13.4, 6}}, {{3.4, 6.3}, {4, 6.3}, {4, 6.9}, {3.4, 6.9}}}},
    // 12 000 m² with 240 re-entrant corners: 121 teeth 2.49 m wide and 20 m long on a spine of
    // 600 × 10 m, one point in each tooth. Its cost grows with the square of the corners at most.
    {"ManyCorneredComb", tests::comb(121, 600.0 / 241, 10, 30), 20, 121, 121},
};
// clang-format on

class Quality : public ::testing::TestWithParam<QualityCase> {};

// Proven, within the counts, clear of the walls and the columns, and within seconds.
TEST_P(Quality, ReachesTheCount) {
    const QualityCase& c = GetParam();
    const auto begun = std::chrono::steady_clock::now();
    const Placement placement = placeSettingPoints(c.room, c.reach, c.columns, {}, c.kept);
    EXPECT_EQ(tests::firstPoints(placement.points, c.kept.size()), c.kept);
    EXPECT_LT(std::chrono::steady_clock::now() - begun, std::chrono::minutes(2));
    EXPECT_TRUE(placement.proven);
    EXPECT_LE(placement.points.size(), c.most);
    EXPECT_GE(placement.points.size(), c.least);
    EXPECT_LE(placement.farthest, c.reach);
    expectClearOfTheWalls(c.room, placement, c.columns);
    const CoverCheck again = checkCover(c.room, placement.points, c.reach, c.columns);
    EXPECT_TRUE(again.proven);
    EXPECT_EQ(again.farthest, placement.farthest);
}

INSTANTIATE_TEST_SUITE_P(Rooms, Quality, ::testing::ValuesIn(kQuality),
                         [](const auto& param) { return std::string(param.param.name); });

const Ring& kL = tests::kLOutline;

struct CoverCase {
    const char* name;
    Ring room;
    std::vector<PlanPoint> points;
    double reach;
    bool proven;
    double farthest;
    PlanPoint farthestAt;
    std::vector<Ring> columns = {};
    std::vector<double> shares = {};  // where known by hand
};

const Ring kColumn{{3, 3}, {7, 3}, {7, 7}, {3, 7}};

// clang-format off
const CoverCase kCovers[] = {
    // (7.5, 12) is within R = 15 of every point of the L by straight lines ((16, 0) is 14.71 m
    // away), but by the way round the corner at (8, 8) that corner is 15.35 m away.
    {"LRoundItsCorner", kL, {{7.5, 12}}, 15, false, std::hypot(0.5, 4) + 8 * std::sqrt(2.0),
     {16, 0}},
    {"LWithAPointInEachArm", kL, {{4, 12}, {12, 4}}, 15, true, std::hypot(4, 12), {0, 0}},
    // Within R by 0.31 m only: the margin the proof keeps is 0.32 m, the sagitta of a curved
    // wall's chords included.
    {"InsideTheMargin", rectangle(8, 6), {{0, 0}}, 10.31, false, 10, {8, 6}},
    {"OutsideTheMargin", rectangle(8, 6), {{0, 0}}, 10.33, true, 10, {8, 6}},
    {"FarthestBetweenTheGrids", rectangle(1.03, 1.03), {{0.01, 0.01}}, 5, true,
     std::hypot(1.02, 1.02), {1.03, 1.03}},
    {"NoPoints", rectangle(2, 2), {}, 15, false, std::numeric_limits<double>::infinity(), {0, 0}},
    // A column of 4 × 4 m in the middle of a room of 10 × 10 m: the way from (1, 4.9) to the far
    // corner goes round it, 2.9 + √58 = 10.52 m (10.34 m in a straight line).
    {"RoundAColumn", rectangle(10, 10), {{1, 4.9}}, 10.8, false, 2.9 + std::sqrt(58.0), {10, 10},
     {kColumn}},
    {"RoundAColumnWithALongerReach", rectangle(10, 10), {{1, 4.9}}, 10.9, true,
     2.9 + std::sqrt(58.0), {10, 10}, {kColumn}},
    // A point with four about it: its share, inside the room, is farthest at (6.7, 6.75) by the
    // finer grid, where the proof's coarser one does not reach; the others' lie on the walls.
    {"SharesAboutAPoint", rectangle(10, 10), {{5.1, 5.1}, {1.95, 5.1}, {8.35, 5.1}, {5.1, 1.85},
     {5.1, 8.45}}, 9, true, std::hypot(5.1, 1.85), {0, 0}, {}, {std::hypot(1.6, 1.65),
     std::hypot(1.95, 5), std::hypot(1.65, 4.9), std::hypot(5.1, 1.85), std::hypot(5, 1.55)}},
};
// clang-format on

class Cover : public ::testing::TestWithParam<CoverCase> {};

// The same whichever way the outline runs.
TEST_P(Cover, IsProvenOrNot) {
    const CoverCase& c = GetParam();
    for (const Ring& room : {c.room, Ring(c.room.rbegin(), c.room.rend())}) {
        const CoverCheck check = checkCover(room, c.points, c.reach, c.columns);
        EXPECT_EQ(check.proven, c.proven);
        if (c.points.empty()) {
            EXPECT_EQ(check.farthest, c.farthest);
        } else {
            EXPECT_NEAR(check.farthest, c.farthest, 1e-9);
            EXPECT_NEAR(check.farthestAt.x, c.farthestAt.x, 1e-9);
            EXPECT_NEAR(check.farthestAt.y, c.farthestAt.y, 1e-9);
            EXPECT_EQ(*std::max_element(check.shares.begin(), check.shares.end()), check.farthest);
        }
        ASSERT_EQ(check.shares.size(), c.points.size());
        for (std::size_t i = 0; i < c.shares.size(); ++i) {
            EXPECT_NEAR(check.shares[i], c.shares[i], 1e-9);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rooms, Cover, ::testing::ValuesIn(kCovers),
                         [](const auto& param) { return std::string(param.param.name); });

// Random rooms, each placed and then checked with shortest paths of the test's own, through the
// re-entrant corners by Floyd and Warshall.
class Independent {
  public:
    explicit Independent(const Ring& room) : room_(room) {
        for (const PlanPoint p : room) {
            polygon_.outer().push_back({p.x, p.y});
        }
        polygon_.outer().push_back({room.front().x, room.front().y});
        const std::size_t n = room.size();
        for (std::size_t i = 0; i < n; ++i) {
            const PlanPoint a = room[(i + n - 1) % n];
            const PlanPoint b = room[i];
            const PlanPoint c = room[(i + 1) % n];
            if ((b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x) < -1e-9) {
                corners_.push_back(b);
            }
        }
        const std::size_t r = corners_.size();
        paths_.assign(r, std::vector<double>(r, kNone));
        for (std::size_t i = 0; i < r; ++i) {
            for (std::size_t j = 0; j < r; ++j) {
                paths_[i][j] = i == j ? 0 : seen(corners_[i], corners_[j]) ? gap(i, j) : kNone;
            }
        }
        for (std::size_t k = 0; k < r; ++k) {
            for (std::size_t i = 0; i < r; ++i) {
                for (std::size_t j = 0; j < r; ++j) {
                    paths_[i][j] = std::min(paths_[i][j], paths_[i][k] + paths_[k][j]);
                }
            }
        }
    }

    [[nodiscard]] double distance(PlanPoint a, PlanPoint b) const {
        if (seen(a, b)) {
            return std::hypot(a.x - b.x, a.y - b.y);
        }
        // Out of a to a corner it sees, on by the corners' paths, in to b from a corner it sees.
        std::vector<double> in(corners_.size(), kNone);
        for (std::size_t j = 0; j < corners_.size(); ++j) {
            if (seen(corners_[j], b)) {
                in[j] = std::hypot(b.x - corners_[j].x, b.y - corners_[j].y);
            }
        }
        double best = kNone;
        for (std::size_t i = 0; i < corners_.size(); ++i) {
            if (!seen(a, corners_[i])) {
                continue;
            }
            const double out = std::hypot(a.x - corners_[i].x, a.y - corners_[i].y);
            for (std::size_t j = 0; j < corners_.size(); ++j) {
                best = std::min(best, out + paths_[i][j] + in[j]);
            }
        }
        return best;
    }

  private:
    using Point = bg::model::d2::point_xy<double>;
    static constexpr double kNone = std::numeric_limits<double>::infinity();

    // No wall crosses the segment, and Boost.Geometry finds the middle of each piece between
    // the vertices that lie on it inside the room (its covered_by for a whole segment fails on
    // some that end at a vertex).
    [[nodiscard]] bool seen(PlanPoint a, PlanPoint b) const {
        const auto orient = [](PlanPoint o, PlanPoint p, PlanPoint q) {
            const double turn = (p.x - o.x) * (q.y - o.y) - (p.y - o.y) * (q.x - o.x);
            return turn > 1e-9 ? 1 : turn < -1e-9 ? -1 : 0;
        };
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        std::vector<double> cuts{0, 1};
        const std::size_t n = room_.size();
        for (std::size_t i = 0; i < n; ++i) {
            const PlanPoint p = room_[i];
            const PlanPoint q = room_[(i + 1) % n];
            if (orient(a, b, p) * orient(a, b, q) < 0 && orient(p, q, a) * orient(p, q, b) < 0) {
                return false;
            }
            if (length > 0 && orient(a, b, p) == 0) {
                cuts.push_back(std::clamp(
                    ((p.x - a.x) * (b.x - a.x) + (p.y - a.y) * (b.y - a.y)) / (length * length),
                    0.0, 1.0));
            }
        }
        std::sort(cuts.begin(), cuts.end());
        for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
            if ((cuts[i + 1] - cuts[i]) * length < 1e-9) {
                continue;  // an end: a + 1·(b − a) may miss b by a rounding
            }
            const double t = (cuts[i] + cuts[i + 1]) / 2;
            if (!bg::covered_by(Point{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}, polygon_)) {
                return false;
            }
        }
        return true;
    }
    [[nodiscard]] double gap(std::size_t i, std::size_t j) const {
        return std::hypot(corners_[i].x - corners_[j].x, corners_[i].y - corners_[j].y);
    }

    Ring room_;
    bg::model::polygon<Point, false> polygon_;  // counter-clockwise
    std::vector<PlanPoint> corners_;
    std::vector<std::vector<double>> paths_;
};

// A whole number of half metres in [low, high], from the generator's own output (the same on
// every platform).
double halfMetres(std::mt19937& random, int low, int high) {
    const auto span = static_cast<std::uint32_t>(2 * (high - low) + 1);
    return low + static_cast<double>(random() % span) / 2;
}

// Columns side by side, each with a floor and a ceiling of its own; neighbours share at least
// 2 m of height, so the outline is simple.
Ring orthogonalRoom(std::mt19937& random) {
    const auto columns = 2 + static_cast<int>(random() % 4);
    std::vector<double> x{0};
    std::vector<double> floor;
    std::vector<double> ceiling;
    for (int i = 0; i < columns; ++i) {
        x.push_back(x.back() + halfMetres(random, 2, 8));
        for (;;) {
            const double low = halfMetres(random, 0, 6);
            const double high = low + halfMetres(random, 3, 14);
            if (i == 0 || std::max(low, floor.back()) + 2 <= std::min(high, ceiling.back())) {
                floor.push_back(low);
                ceiling.push_back(high);
                break;
            }
        }
    }
    Ring room;
    for (int i = 0; i < columns; ++i) {
        const auto at = static_cast<std::size_t>(i);
        room.push_back({x[at], floor[at]});
        room.push_back({x[at + 1], floor[at]});
    }
    for (int i = columns - 1; i >= 0; --i) {
        const auto at = static_cast<std::size_t>(i);
        room.push_back({x[at + 1], ceiling[at]});
        room.push_back({x[at], ceiling[at]});
    }
    return withoutRepeats(room, 1e-9);
}

// Vertices at increasing angles round the origin, each at a distance of its own.
Ring starRoom(std::mt19937& random) {
    const auto count = 5 + static_cast<int>(random() % 10);
    Ring room;
    for (int i = 0; i < count; ++i) {
        const double share = 0.2 + 0.6 * static_cast<double>(random() % 100) / 100;
        const double angle = (i + share) * 2 * std::numbers::pi / count;
        const double radius = halfMetres(random, 4, 14);
        room.push_back({radius * std::cos(angle), radius * std::sin(angle)});
    }
    return room;
}

TEST(RandomRooms, ArePlacedAndProven) {
    constexpr double kReaches[] = {9, 12, 15, 20};
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        std::mt19937 random(seed);
        const Ring room = seed % 2 == 0 ? orthogonalRoom(random) : starRoom(random);
        ASSERT_EQ(ringFault(room), RingFault::None) << seed;
        const double reach = kReaches[random() % 4];
        const Placement placement = placeSettingPoints(room, reach);
        ASSERT_TRUE(placement.proven) << seed;
        EXPECT_LE(placement.farthest, reach) << seed;
        expectClearOfTheWalls(room, placement);
        // The test's own distances, on a grid of about 150 nodes.
        const Independent paths(room);
        const PlanBox box = bounds(room);
        const double spacing = std::sqrt(area(room) / 150);
        double farthest = 0;
        for (double y = box.min.y; y <= box.max.y; y += spacing) {
            for (double x = box.min.x; x <= box.max.x; x += spacing) {
                const PlanPoint p{x, y};
                if (!coveredBy(p, room)) {
                    continue;
                }
                double nearest = std::numeric_limits<double>::infinity();
                for (const PlanPoint s : placement.points) {
                    nearest = std::min(nearest, paths.distance(s, p));
                }
                farthest = std::max(farthest, nearest);
            }
        }
        EXPECT_LE(farthest, reach) << seed;
        EXPECT_LE(farthest, placement.farthest + 1e-9) << seed;
    }
}

// A point dropped by hand: refused outside the room, drawn off a near wall (into a corner where
// two are near), left alone away from the walls, in a slot too narrow, or without snapping.
TEST(DroppedPoint, SnapsFromNearWalls) {
    const Ring hall = rectangle(10, 10);
    const std::vector<Ring> column{{{4, 4}, {6, 4}, {6, 6}, {4, 6}}};
    const Ring slanted{{0, 0}, {10, 0}, {0, 10}};  // its long wall at 45°
    struct Row {
        const Ring* room;
        PlanPoint dropped;
        bool snap;
        std::optional<PlanPoint> lands;
    };
    const Ring slot = rectangle(10, 0.5);
    const double s45 = 0.3 * std::numbers::sqrt2;
    const Row rows[] = {
        {&hall, {2.5, 8}, true, PlanPoint{2.5, 8}},      // 2 m from every wall
        {&hall, {0.8, 5}, true, PlanPoint{0.3, 5}},      // within 1 m of the west wall
        {&hall, {0.1, 2}, true, PlanPoint{0.3, 2}},      // too near
        {&hall, {0, 2}, true, PlanPoint{0.3, 2}},        // on the wall
        {&hall, {0.5, 9.6}, true, PlanPoint{0.3, 9.7}},  // a corner
        {&hall, {3.5, 5}, true, PlanPoint{3.7, 5}},      // by the column
        {&hall, {6.5, 6.5}, true, PlanPoint{6 + s45 / 2, 6 + s45 / 2}},  // off its corner
        {&hall, {0.8, 5}, false, PlanPoint{0.8, 5}},   // Alt: where it was dropped
        {&hall, {11, 5}, true, std::nullopt},          // outside
        {&hall, {5, 5}, false, std::nullopt},          // in the column
        {&slot, {5, 0.25}, true, PlanPoint{5, 0.25}},  // no place 0.3 m from both walls
        {&slanted, {4, 5.5}, true, PlanPoint{4.25 - s45 / 2, 5.75 - s45 / 2}},
        {&slanted, {0.5, 8.5}, true, PlanPoint{0.3, 10 - 0.3 - s45}},  // the acute corner
    };
    for (const Row& row : rows) {
        const std::vector<Ring> holes = row.room == &hall ? column : std::vector<Ring>{};
        const std::optional<PlanPoint> lands =
            droppedPoint(row.dropped, *row.room, holes, row.snap);
        ASSERT_EQ(lands.has_value(), row.lands.has_value())
            << row.dropped.x << ", " << row.dropped.y;
        if (lands) {
            EXPECT_NEAR(lands->x, row.lands->x, 1e-9) << row.dropped.x << ", " << row.dropped.y;
            EXPECT_NEAR(lands->y, row.lands->y, 1e-9) << row.dropped.x << ", " << row.dropped.y;
        }
    }
}

}  // namespace
}  // namespace core
