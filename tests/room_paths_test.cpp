#include "room_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace core {
namespace {

// [0,8]×[0,16] and [0,16]×[0,8]: one re-entrant corner at (8, 8).
const Ring kL{{0, 0}, {16, 0}, {16, 8}, {8, 8}, {8, 16}, {0, 16}};
// A U open at the top: arms [0,4]×[0,10] and [8,12]×[0,10] on the base [0,12]×[0,3], with a
// straight-through vertex on the base.
const Ring kU{{0, 0}, {6, 0}, {12, 0}, {12, 10}, {8, 10}, {8, 3}, {4, 3}, {4, 10}, {0, 10}};
// A box with two triangular notches cut down from the top: their tips (1, 2) and (7, 2) are the
// re-entrant corners, and their open sides lie on the top line with the corners (0, 6), (8, 6).
const Ring kComb{{0, 0}, {8, 0}, {8, 6}, {7, 6}, {7, 2}, {6, 6}, {2, 6}, {1, 2}, {1, 6}, {0, 6}};

// A box of 40 × 5 m whose ceiling is a saw: its 20 teeth hang down to the re-entrant corners
// (1, 4), (3, 4) … (39, 4), all on one line.
Ring sawRoom() {
    Ring room{{0, 0}, {40, 0}};
    for (int x = 40; x >= 0; --x) {
        room.push_back({static_cast<double>(x), x % 2 == 0 ? 5.0 : 4.0});
    }
    return room;
}
const Ring kSaw = sawRoom();
// A square of 10 m with a slit from the left wall above y = 3 and one from the right wall above
// y = 6.6: a way from the bottom to the top bends round three corners.
const Ring kSlits{{0, 0},   {10, 0}, {10, 6.6}, {2, 6.6}, {2, 6.8}, {10, 6.8},
                  {10, 10}, {0, 10}, {0, 3.2},  {8, 3.2}, {8, 3},   {0, 3}};

struct PathCase {
    const char* name;
    const Ring* room;
    PlanPoint from;
    PlanPoint to;
    bool seen;
    double distance;
    std::vector<Ring> holes = {};
};

const double kRoot2 = std::sqrt(2.0);

// A room of 10 × 10 m with a column of 2 × 2 m in its middle, drawn clockwise as it should be:
// the walls of a hole bound the room as the outline's do, and its corners are where paths bend.
const Ring kSquare{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
const Ring kColumn{{4, 4}, {4, 6}, {6, 6}, {6, 4}};

// clang-format off
const PathCase kPaths[] = {
    {"AcrossTheL", &kL, {15, 7}, {1, 15}, false, std::sqrt(50.0) + std::sqrt(98.0)},
    {"GrazingTheCorner", &kL, {12, 4}, {4, 12}, true, 8 * kRoot2},
    {"AlongAWall", &kL, {8, 8}, {8, 16}, true, 8},
    {"CornerToCornerOutside", &kL, {16, 8}, {8, 16}, false, 16},
    {"WallToWallInside", &kL, {0, 4}, {16, 4}, true, 16},
    {"ArmToArmOfTheU", &kU, {2, 9}, {10, 9}, false, std::sqrt(4 + 36.0) + 4 + std::sqrt(4 + 36.0)},
    {"AlongTheBase", &kU, {0, 1}, {12, 1}, true, 12},
    {"BaseToArmAcrossTheOpening", &kU, {1, 1}, {10, 9}, false,
     std::sqrt(49 + 4.0) + std::sqrt(4 + 36.0)},
    {"AlongTheNotchesOpenSides", &kComb, {0, 6}, {8, 6}, false, 2 * std::sqrt(17.0) + 6},
    {"BetweenTheNotches", &kComb, {2, 5}, {6, 5}, true, 4},
    {"GrazingANotchTip", &kComb, {0, 3}, {2, 1}, true, 2 * kRoot2},
    {"IntoANotch", &kComb, {0.5, 1}, {7.5, 5.5}, false, std::hypot(6.5, 1) + std::hypot(0.5, 3.5)},
    // From one wall to another across the L's missing quarter: neither end is a corner, and the
    // segment crosses no wall.
    {"WallToWallOutside", &kL, {8, 12}, {12, 8}, false, 8},
    {"AlongAllTheTeeth", &kSaw, {0.5, 4}, {39.5, 4}, true, 39},
    {"ThroughTheTeeth", &kSaw, {0.5, 4.2}, {39.5, 4.2}, false, 38 + 2 * std::hypot(0.5, 0.2)},
    {"AcrossAColumn", &kSquare, {0, 5}, {10, 5}, false, 2 * std::sqrt(17.0) + 2, {kColumn}},
    {"AlongAColumnsWall", &kSquare, {0, 4}, {10, 4}, true, 10, {kColumn}},
    {"AcrossAColumnUpwards", &kSquare, {5, 0}, {5, 10}, false, 2 * std::sqrt(17.0) + 2, {kColumn}},
    {"RoundAColumnsCorner", &kSquare, {3, 3}, {7, 7}, false, 2 * std::sqrt(10.0), {kColumn}},
};
// clang-format on

class Path : public ::testing::TestWithParam<PathCase> {};

TEST_P(Path, SeesAndMeasuresInsideTheRoom) {
    const PathCase& c = GetParam();
    const RoomPaths paths(*c.room, c.holes);
    EXPECT_EQ(paths.sees(c.from, c.to), c.seen);
    EXPECT_EQ(paths.sees(c.to, c.from), c.seen);
    EXPECT_NEAR(paths.distance(c.from, c.to), c.distance, 1e-9);
    EXPECT_NEAR(paths.distance(c.to, c.from), c.distance, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Rooms, Path, ::testing::ValuesIn(kPaths),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(RoomPaths, FindsTheReEntrantCornersOnly) {
    EXPECT_EQ(RoomPaths(kL).corners(), (std::vector<PlanPoint>{{8, 8}}));
    EXPECT_EQ(RoomPaths(kU).corners(), (std::vector<PlanPoint>{{8, 3}, {4, 3}}));
    EXPECT_TRUE(RoomPaths({{0, 0}, {5, 0}, {10, 0}, {10, 4}, {0, 4}}).convex());
    // A column's corners are the room's too, and the column is no part of the room.
    const RoomPaths column(kSquare, {kColumn});
    EXPECT_EQ(column.corners().size(), 4U);
    EXPECT_FALSE(column.contains({5, 5}));
    EXPECT_TRUE(column.contains({4, 5}));  // on the column's wall
    EXPECT_FALSE(column.clearOfWalls({3.8, 5}, 0.3));
}

struct FieldCase {
    const char* name;
    const Ring* room;
    std::vector<PlanPoint> sources;
    double step;                  // of the grid of points asked about
    double range = kUnreachable;  // of the paths
};

// 45 sources: one up between each two teeth, the others spread over the floor; with the saw's
// 20 corners, more ways than a point's question keeps at hand.
std::vector<PlanPoint> underTheTeeth() {
    std::vector<PlanPoint> sources;
    for (int x = 2; x <= 38; x += 2) {
        sources.push_back({static_cast<double>(x), 4.6});
    }
    for (int k = 0; k < 26; ++k) {
        sources.push_back({0.5 + 1.5 * k, 1.0 + k % 3});
    }
    return sources;
}

const FieldCase kFields[] = {
    {"ThreeInTheU", &kU, {{2, 9}, {11, 1}, {6, 2}}, 0.5},
    {"ManyUnderTheSaw", &kSaw, underTheTeeth(), 1.5},
    {"OneUnderTheSawWithinTen", &kSaw, {{0.5, 1}}, 0.25, 10},
    {"OneInTheUWithinTwelve", &kU, {{2, 9}}, 0.5, 12},
    {"OneBelowTheSlitsWithinTwelve", &kSlits, {{9.5, 0.5}}, 0.25, 12},
};

class Field : public ::testing::TestWithParam<FieldCase> {};

// The field's nearest source, against the distance to each source taken one by one; with paths
// known up to a range, beyond it only as beyond.
TEST_P(Field, GivesTheNearestSourceByPath) {
    const FieldCase& c = GetParam();
    const RoomPaths paths(*c.room);
    const RoomPaths known(*c.room, {}, c.range);
    for (const PlanPoint s : c.sources) {
        ASSERT_TRUE(paths.contains(s)) << s.x << ", " << s.y;
    }
    const DistanceField field(known, c.sources);
    const PlanBox box = bounds(*c.room);
    for (double y = box.min.y; y <= box.max.y; y += c.step) {
        for (double x = box.min.x; x <= box.max.x; x += c.step) {
            const PlanPoint p{x, y};
            if (!paths.contains(p)) {
                continue;
            }
            double nearest = kUnreachable;
            for (const PlanPoint s : c.sources) {
                nearest = std::min(nearest, paths.distance(s, p));
            }
            const DistanceField::Nearest n = field.nearest(p);
            if (nearest > c.range) {
                EXPECT_GT(n.distance, c.range) << x << ", " << y;
                continue;
            }
            EXPECT_NEAR(n.distance, nearest, 1e-9) << x << ", " << y;
            EXPECT_NEAR(paths.distance(c.sources[n.source], p), nearest, 1e-9) << x << ", " << y;
            const std::vector<std::uint32_t> seen = visibleCorners(known, p);
            std::vector<double> gaps;
            for (const std::uint32_t k : seen) {
                gaps.push_back(std::hypot(p.x - paths.corners()[k].x, p.y - paths.corners()[k].y));
            }
            EXPECT_NEAR(field.nearest(p, CornerSight{seen, gaps}).distance, nearest, 1e-9);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rooms, Field, ::testing::ValuesIn(kFields),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace core
