#include "polygon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

namespace core {
namespace {

using Polyline = std::vector<BulgeVertex>;

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct RingCase {
    const char* name;
    Polyline outline;  // flattened with a sagitta of 0.01
    double area;       // of the curves, either way round
    double tolerance;  // that the chords lose at most, or gain with the room outside them
    RingFault fault;
    ChordSide side = ChordSide::Inside;  // of the room
};

class Outline : public ::testing::TestWithParam<RingCase> {};

TEST_P(Outline, HasItsAreaAndVerdict) {
    const RingCase& c = GetParam();
    const Ring ring = flattenBulges(c.outline, 0.01, c.side);
    EXPECT_EQ(ring.size(), flattenedSize(c.outline, 0.01, c.side));
    EXPECT_EQ(ringFault(ring), c.fault);
    if (c.fault == RingFault::NotFinite) {
        return;
    }
    EXPECT_NEAR(std::abs(signedBulgeArea(c.outline)), c.area, 1e-12 * c.area);
    EXPECT_EQ(signedBulgeArea(c.outline) < 0, signedArea(ring) < 0);  // the same way round
    const double gained = c.side == ChordSide::Outside ? c.tolerance : -c.tolerance;
    EXPECT_NEAR(area(ring), c.area + gained / 2, c.tolerance / 2 + 1e-12 * c.area);
    const Ring turned = counterClockwise(ring);
    EXPECT_GE(signedArea(turned), 0);
    EXPECT_DOUBLE_EQ(area(turned), area(ring));
    // The verdict does not depend on the direction of the ring.
    EXPECT_EQ(ringFault(turned), c.fault);
}

// A circle of radius 25 about (25, 0) from two semicircles, whose chords of sagitta at most 0.01
// lose at most perimeter × sagitta of its area.
const double kCircleLoss = 2 * kPi * 25 * 0.01;
const double kSemicircleLoss = kPi * 5 * 0.01;

// clang-format off
const RingCase kRings[] = {
    {"RectangleClockwise", {{{0, 0}}, {{0, 3}}, {{4, 3}}, {{4, 0}}}, 12, 1e-12, RingFault::None},
    {"L", {{{0, 0}}, {{6, 0}}, {{6, 2}}, {{2, 2}}, {{2, 5}}, {{0, 5}}}, 18, 1e-12, RingFault::None},
    {"U", {{{0, 0}}, {{9, 0}}, {{9, 6}}, {{6, 6}}, {{6, 2}}, {{3, 2}}, {{3, 6}}, {{0, 6}}}, 42, 1e-12,
     RingFault::None},
    {"RoundFromTwoSemicircles", {{{0, 0}, 1}, {{50, 0}, 1}}, kPi * 625, kCircleLoss,
     RingFault::None},
    // A square whose bottom side is a semicircle of radius 5 outwards (bulge 1 in a
    // counter-clockwise ring), or inwards (-1).
    {"SquareWithArcOutwards", {{{0, 0}, 1}, {{10, 0}}, {{10, 10}}, {{0, 10}}}, 100 + kPi * 12.5,
     kSemicircleLoss, RingFault::None},
    // Chords of an arc into the room lie beyond the arc, in the room.
    {"SquareWithArcInwards", {{{0, 0}, -1}, {{10, 0}}, {{10, 10}}, {{0, 10}}}, 100 - kPi * 12.5,
     kSemicircleLoss, RingFault::None},
    // Clockwise, its bottom arc turning into it.
    {"ClockwiseWithArcInwards", {{{0, 10}}, {{10, 10}}, {{10, 0}, 1}, {{0, 0}}}, 100 - kPi * 12.5,
     kSemicircleLoss, RingFault::None},
    // An arc of bulge 1e-6 over 10, flatter than the sagitta: a segment of 2/3 · chord · sagitta.
    {"NearlyStraightArc", {{{0, 0}, 1e-6}, {{10, 0}}, {{10, 10}}, {{0, 10}}},
     100 + 10 * 5e-6 * 2 / 3, 10 * 5e-6, RingFault::None},
    // A round column of radius 5, the room outside it: the chords lie beyond the arcs.
    {"RoundColumn", {{{0, 0}, 1}, {{10, 0}, 1}}, kPi * 25, kSemicircleLoss * 2, RingFault::None,
     ChordSide::Outside},
    {"BulgeNotANumber", {{{0, 0}, kNaN}, {{10, 0}}, {{10, 10}}}, 50, 1e-12, RingFault::None},
    // Far from the origin, as a site plan in millimetres may be.
    {"FarFromOrigin", {{{4e8, 3e8}}, {{4e8 + 3600, 3e8}}, {{4e8 + 3600, 3e8 + 4200}},
     {{4e8, 3e8 + 4200}}}, 3600.0 * 4200, 1e-6, RingFault::None},
    {"Bowtie", {{{0, 0}}, {{4, 4}}, {{4, 0}}, {{0, 6}}}, 4, 1e-12, RingFault::SelfIntersecting},
    {"SpikeOutwards", {{{0, 0}}, {{4, 0}}, {{4, 2}}, {{8, 2}}, {{4, 2}}, {{4, 4}}, {{0, 4}}}, 16,
     1e-12, RingFault::SelfIntersecting},
    {"TouchesItselfAtAVertex", {{{0, 0}}, {{2, 0}}, {{2, 2}}, {{4, 2}}, {{4, 4}}, {{2, 4}}, {{2, 2}},
     {{0, 2}}}, 8, 1e-12, RingFault::SelfIntersecting},
    {"Collinear", {{{0, 0}}, {{1, 1}}, {{3, 3}}}, 0, 1e-12, RingFault::ZeroArea},
    {"ThereAndBack", {{{0, 0}}, {{5, 0}}, {{2, 0}}}, 0, 1e-12, RingFault::ZeroArea},
    {"TwoVertices", {{{0, 0}}, {{5, 0}}}, 0, 0, RingFault::TooFewVertices},
    {"NotANumber", {{{0, 0}}, {{5, 0}}, {{5, kNaN}}}, 0, 0, RingFault::NotFinite},
    {"OverflowingArea", {{{0, 0}}, {{1e300, 0}}, {{1e300, 1e300}}}, 0, 0, RingFault::NotFinite},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Rings, Outline, ::testing::ValuesIn(kRings),
                         [](const auto& p) { return std::string(p.param.name); });

// A circle of radius 25 about (25, 0): its vertices lie on it, and the sagitta of its longest
// chord is within the tolerance, but more than half of it (the fewest chords).
TEST(Bulges, ArcsKeepWithinTheSagitta) {
    for (const double sagitta : {10.0, 1.0, 0.01, 1e-4}) {
        const Ring ring = flattenBulges({{{0, 0}, 1}, {{50, 0}, 1}}, sagitta);
        double largest = 0;
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const PlanPoint a = ring[i];
            const PlanPoint b = ring[(i + 1) % ring.size()];
            ASSERT_NEAR(std::hypot(a.x - 25, a.y), 25, 1e-9) << sagitta;
            largest = std::max(largest, 25 - std::hypot((a.x + b.x) / 2 - 25, (a.y + b.y) / 2));
        }
        EXPECT_LE(largest, sagitta * (1 + 1e-9)) << sagitta;
        EXPECT_GT(largest, sagitta / 2 * 0.99) << sagitta;
    }
}

TEST(Bulges, ChordsAreBounded) {
    const Polyline circle{{{0, 0}, 1}, {{50, 0}, 1}};
    // A tolerance of 0, or below what the numbers can show, takes the most chords per arc.
    EXPECT_EQ(flattenedSize(circle, 0), 2 * kMaxChordsPerArc);
    EXPECT_EQ(flattenedSize(circle, 1e-300), 2 * kMaxChordsPerArc);
    EXPECT_EQ(flattenedSize(circle, kNaN), 2 * kMaxChordsPerArc);
    // A bulge that nearly closes the circle, and one that is no number, stay bounded.
    EXPECT_EQ(flattenedSize({{{0, 0}, 1e300}, {{1, 0}}}, 0.01), kMaxChordsPerArc + 1);
    EXPECT_EQ(flattenedSize({{{0, 0}, kNaN}, {{1, 0}}}, 0.01), 2U);
    // At least one chord: an arc flatter than the tolerance, or between repeated points.
    EXPECT_EQ(flattenBulges({{{0, 0}, 1e-6}, {{10, 0}, 1}, {{10, 0}}}, 0.01).size(), 3U);
    EXPECT_TRUE(flattenBulges({}, 0.01).empty());
}

TEST(Repeats, AreRemovedWithinTheTolerance) {
    const Ring ring{{0, 0}, {0, 0}, {4, 0}, {4, 1e-7}, {4, 3}, {0, 3}, {1e-7, 0}};
    EXPECT_EQ(withoutRepeats(ring, 1e-6), (Ring{{0, 0}, {4, 0}, {4, 3}, {0, 3}}));
    EXPECT_EQ(withoutRepeats(ring, 0),
              (Ring{{0, 0}, {4, 0}, {4, 1e-7}, {4, 3}, {0, 3}, {1e-7, 0}}));
    // A point that is no number repeats nothing.
    EXPECT_EQ(withoutRepeats({{0, kNaN}, {0, kNaN}}, 1).size(), 2U);
    EXPECT_EQ(withoutRepeats({{1, 1}, {1, 1}, {1, 1}}, 0), (Ring{{1, 1}}));
}

struct InsideCase {
    const char* name;
    Ring inner;
    Ring outer;
    bool inside;
};

class Containment : public ::testing::TestWithParam<InsideCase> {};

TEST_P(Containment, OfRingsAndTheirVertices) {
    const InsideCase& c = GetParam();
    EXPECT_EQ(ringInside(c.inner, c.outer), c.inside);
    Ring clockwise(c.outer.rbegin(), c.outer.rend());
    EXPECT_EQ(ringInside(c.inner, clockwise), c.inside);
}

const Ring kFloor{{0, 0}, {100, 0}, {100, 50}, {0, 50}};

// clang-format off
const InsideCase kContainments[] = {
    {"RoomInFloor", {{10, 10}, {20, 10}, {20, 20}, {10, 20}}, kFloor, true},
    {"RoomAlongTheFloorsEdge", {{0, 0}, {20, 0}, {20, 20}, {0, 20}}, kFloor, true},
    {"SameRegion", kFloor, {{100, 50}, {0, 50}, {0, 0}, {100, 0}}, true},
    {"FloorInRoom", kFloor, {{10, 10}, {20, 10}, {20, 20}, {10, 20}}, false},
    {"Overlapping", {{90, 10}, {110, 10}, {110, 20}, {90, 20}}, kFloor, false},
    {"Neighbours", {{100, 0}, {120, 0}, {120, 50}, {100, 50}}, kFloor, false},
    {"InTheNotchOfAU", {{4, 3}, {5, 3}, {5, 5}, {4, 5}},
     {{0, 0}, {9, 0}, {9, 6}, {6, 6}, {6, 2}, {3, 2}, {3, 6}, {0, 6}}, false},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Rings, Containment, ::testing::ValuesIn(kContainments),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(Containment, OfPointsIncludesTheBoundary) {
    const Ring u{{0, 0}, {9, 0}, {9, 6}, {6, 6}, {6, 2}, {3, 2}, {3, 6}, {0, 6}};
    const Ring clockwise(u.rbegin(), u.rend());
    const std::pair<PlanPoint, bool> points[] = {
        {{1, 1}, true}, {{1, 5}, true},   {{4.5, 4}, false}, {{0, 3}, true},
        {{9, 6}, true}, {{4.5, 2}, true}, {{10, 1}, false},  {{-1e-9, 3}, false},
    };
    for (const auto& [point, inside] : points) {
        EXPECT_EQ(coveredBy(point, u), inside) << point.x << ", " << point.y;
        EXPECT_EQ(coveredBy(point, clockwise), inside) << point.x << ", " << point.y;
    }
    EXPECT_FALSE(coveredBy({0, 0}, {{0, 0}, {1, 1}}));
}

// The label's point, either way round, near where it should be: `slack` in x and y.
TEST(LabelPoint, LiesInTheRoomFarthestFromItsEdges) {
    struct Case {
        const char* name;
        Ring outline;
        std::vector<Ring> holes;
        PlanPoint expected;
        PlanPoint slack;
    };
    // In the L's corner square, as far from the two walls as from the inner corner: t = √2(3 − t).
    const double corner = 3 * std::numbers::sqrt2 / (1 + std::numbers::sqrt2);
    // clang-format off
    const Case cases[] = {
        {"Rectangle", {{0, 0}, {10, 0}, {10, 4}, {0, 4}}, {}, {5, 2}, {1e-9, 1e-9}},
        {"L", {{0, 0}, {10, 0}, {10, 3}, {3, 3}, {3, 10}, {0, 10}}, {}, {corner, corner},
         {0.02, 0.02}},
        {"ColumnOffTheMiddle", {{0, 0}, {10, 0}, {10, 6}, {0, 6}},
         {{{2, 2}, {4, 2}, {4, 4}, {2, 4}}}, {7, 3}, {0.02, 0.02}},
        {"ThinCorridor", {{0, 0}, {100, 0}, {100, 0.2}, {0, 0.2}}, {}, {50, 0.1}, {49.9, 0.001}},
        {"NoOutline", {{0, 0}, {1, 1}}, {}, {0.5, 0.5}, {0, 0}},
    };
    // clang-format on
    for (const Case& c : cases) {
        for (const bool turned : {false, true}) {
            const Ring outline = turned ? Ring(c.outline.rbegin(), c.outline.rend()) : c.outline;
            const PlanPoint at = labelPoint(outline, c.holes);
            EXPECT_NEAR(at.x, c.expected.x, c.slack.x) << c.name << turned;
            EXPECT_NEAR(at.y, c.expected.y, c.slack.y) << c.name << turned;
        }
    }
}

TEST(AreaRoundedUp, ToTheNextHundredthAboveBinaryNoise) {
    // 3.6 × 4.2 is 15.120000000000001 in binary, 0.1 + 0.2 is 0.30000000000000004.
    // clang-format off
    const std::pair<double, double> cases[] = {
        {12.34, 12.34}, {12.340000000001, 12.34}, {3.6 * 4.2, 15.12}, {0.1 + 0.2, 0.3},
        {12.3400001, 12.35}, {12.341, 12.35}, {0.001, 0.01}, {1e-12, 0.01}, {1e7, 1e7},
        {1234567.891, 1234567.9}, {0, 0}, {-5, 0}, {kNaN, 0},
    };
    // clang-format on
    for (const auto& [area, rounded] : cases) {
        EXPECT_EQ(areaRoundedUp(area), rounded) << area;
    }
}

}  // namespace
}  // namespace core
