#include "room_paths.h"

#include <gtest/gtest.h>

#include <cmath>
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

struct PathCase {
    const char* name;
    const Ring* room;
    PlanPoint from;
    PlanPoint to;
    bool seen;
    double distance;
};

const double kRoot2 = std::sqrt(2.0);

const PathCase kPaths[] = {
    {"AcrossTheL", &kL, {15, 7}, {1, 15}, false, std::sqrt(50.0) + std::sqrt(98.0)},
    {"GrazingTheCorner", &kL, {12, 4}, {4, 12}, true, 8 * kRoot2},
    {"AlongAWall", &kL, {8, 8}, {8, 16}, true, 8},
    {"CornerToCornerOutside", &kL, {16, 8}, {8, 16}, false, 16},
    {"WallToWallInside", &kL, {0, 4}, {16, 4}, true, 16},
    {"ArmToArmOfTheU", &kU, {2, 9}, {10, 9}, false, std::sqrt(4 + 36.0) + 4 + std::sqrt(4 + 36.0)},
    {"AlongTheBase", &kU, {0, 1}, {12, 1}, true, 12},
    {"BaseToArmAcrossTheOpening",
     &kU,
     {1, 1},
     {10, 9},
     false,
     std::sqrt(49 + 4.0) + std::sqrt(4 + 36.0)},
    {"AlongTheNotchesOpenSides", &kComb, {0, 6}, {8, 6}, false, 2 * std::sqrt(17.0) + 6},
    {"BetweenTheNotches", &kComb, {2, 5}, {6, 5}, true, 4},
    {"GrazingANotchTip", &kComb, {0, 3}, {2, 1}, true, 2 * kRoot2},
    {"IntoANotch", &kComb, {0.5, 1}, {7.5, 5.5}, false, std::hypot(6.5, 1) + std::hypot(0.5, 3.5)},
};

class Path : public ::testing::TestWithParam<PathCase> {};

TEST_P(Path, SeesAndMeasuresInsideTheRoom) {
    const PathCase& c = GetParam();
    const RoomPaths paths(*c.room);
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
}

// The field's nearest source, against the distance to each source taken one by one.
TEST(DistanceField, GivesTheNearestSourceByPath) {
    const RoomPaths paths(kU);
    const std::vector<PlanPoint> sources{{2, 9}, {11, 1}, {6, 2}};
    const DistanceField field(paths, sources);
    for (double y = 0; y <= 10; y += 0.5) {
        for (double x = 0; x <= 12; x += 0.5) {
            const PlanPoint p{x, y};
            if (!paths.contains(p)) {
                continue;
            }
            double nearest = kUnreachable;
            for (const PlanPoint s : sources) {
                nearest = std::min(nearest, paths.distance(s, p));
            }
            const DistanceField::Nearest n = field.nearest(p);
            EXPECT_NEAR(n.distance, nearest, 1e-9) << x << ", " << y;
            EXPECT_NEAR(paths.distance(sources[n.source], p), nearest, 1e-9) << x << ", " << y;
            const std::vector<std::uint32_t> seen = visibleCorners(paths, p);
            std::vector<double> gaps;
            for (const std::uint32_t c : seen) {
                gaps.push_back(std::hypot(p.x - paths.corners()[c].x, p.y - paths.corners()[c].y));
            }
            EXPECT_NEAR(field.nearest(p, CornerSight{seen, gaps}).distance, nearest, 1e-9);
        }
    }
}

}  // namespace
}  // namespace core
