// Rooms found from walls 200 mm thick drawn as pairs of lines, with doors, windows, gaps, columns,
// a shaft and curved walls; the names that propose wall and door layers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "room_names.h"
#include "wall_rooms.h"

namespace core {
namespace {

using By = ClosedGap::By;

struct Plan {
    WallInput input;

    void line(PlanPoint a, PlanPoint b, double bulge = 0) { input.walls.push_back({a, b, bulge}); }
    // The sides of the box [x0, x1]×[y0, y1] (bottom, right, top, left) as lines, less the
    // stretches cut from them: {side, from, to} along x for bottom and top, along y for the others.
    struct Cut {
        int side;
        double from;
        double to;
    };
    void box(double x0, double y0, double x1, double y1, const std::vector<Cut>& cuts = {}) {
        const PlanPoint corners[] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
        for (int side = 0; side < 4; ++side) {
            const PlanPoint a = corners[side];
            const PlanPoint b = corners[(side + 1) % 4];
            const bool alongX = side % 2 == 0;
            double at = alongX ? std::min(a.x, b.x) : std::min(a.y, b.y);
            const double end = alongX ? std::max(a.x, b.x) : std::max(a.y, b.y);
            const auto point = [&](double t) {
                return alongX ? PlanPoint{t, a.y} : PlanPoint{a.x, t};
            };
            for (const Cut& cut : cuts) {
                if (cut.side == side) {
                    line(point(at), point(cut.from));
                    at = cut.to;
                }
            }
            line(point(at), point(end));
        }
    }
    // The lines across a wall at both ends of an opening: from `a` and `b` by `across`.
    void jambs(PlanPoint a, PlanPoint b, PlanPoint across) {
        line(a, {a.x + across.x, a.y + across.y});
        line(b, {b.x + across.x, b.y + across.y});
    }
    void door(const char* handle, PlanPoint hinge, PlanPoint closed, PlanPoint open) {
        const double radius = std::hypot(closed.x - hinge.x, closed.y - hinge.y);
        input.doors.push_back({handle, {{hinge, radius, closed, open}}});
    }
    void text(const char* name, double x, double y, double height = 0.3) {
        input.texts.push_back({{x, y}, height, name});
    }
};

// An office floor: rooms of inner faces as the table below has them, a door of 0.9, 1.0 and 1.2 m
// and an exit of 1.0, a window, a gap of 1.5 m with no door, one of 3 m, a column in the hall and
// one against its wall, a shaft, a wall end 3 mm short of a corner, one 3 mm short of a wall, and
// one that overshoots by 100 mm.
Plan officeFloor() {
    Plan plan;
    // 办公室 [0,6]×[0,5]: the window at its left, D1 at its top.
    plan.line({0, 0}, {5.997, 0});
    plan.line({6, -0.1}, {6, 5});
    plan.line({6, 5}, {2.9, 5});
    plan.line({2, 5}, {0, 5});
    plan.line({0, 5}, {0, 3});
    plan.line({0, 1}, {0, 0});
    // 会议室 [6.2,12]×[0,5], its right side 3 mm short of its corner; D2 at its top.
    plan.line({6.2, 0}, {12, 0});
    plan.line({12, 0.003}, {12, 5});
    plan.line({12, 5}, {9, 5});
    plan.line({8, 5}, {6.2, 5});
    plan.line({6.2, 5}, {6.2, 0});
    plan.box(0, 5.2, 12, 7.2, {{0, 2, 2.9}, {0, 8, 9}, {1, 5.8, 7}, {2, 4, 5.5}});  // 走廊
    plan.box(12.2, 0, 20, 7.2, {{0, 16, 17}, {2, 13, 16}, {3, 5.8, 7}});            // 大厅
    plan.box(0, 7.4, 9.8, 9, {{0, 4, 5.5}});                                        // 库房
    plan.box(10, 7.4, 12, 9);                                                       // 管井
    plan.box(12.2, 7.4, 20, 9, {{0, 13, 16}});                                      // 档案室
    plan.box(-0.2, -0.2, 20.2, 9.2, {{0, 16, 17}, {3, 1, 3}});                      // outside
    plan.box(15, 3, 15.5, 3.5);
    plan.box(18, 6.6, 18.6, 7.2);
    plan.jambs({2, 5}, {2.9, 5}, {0, 0.2});
    plan.jambs({8, 5}, {9, 5}, {0, 0.2});
    plan.jambs({12, 5.8}, {12, 7}, {0.2, 0});
    plan.jambs({16, -0.2}, {17, -0.2}, {0, 0.2});
    plan.jambs({-0.2, 1}, {-0.2, 3}, {0.2, 0});
    plan.jambs({4, 7.2}, {5.5, 7.2}, {0, 0.2});
    plan.jambs({13, 7.2}, {16, 7.2}, {0, 0.2});
    plan.door("D1", {2, 5}, {2.9, 5}, {2, 4.1});
    plan.door("D2", {9, 5.2}, {8, 5.2}, {9, 6.2});
    plan.door("D3", {12.2, 5.8}, {12.2, 7}, {13.4, 5.8});
    plan.door("D4", {16, -0.2}, {17, -0.2}, {16, -1.2});
    plan.input.windows.push_back({"W1", {-0.1, 1}, {-0.1, 3}});
    plan.text("办公室", 3, 2.5);
    plan.text("会议室", 9, 2.5);
    plan.text("走廊", 6, 6.2);
    plan.text("大厅", 14, 2, 0.5);
    plan.text("库房", 2, 8.2);
    plan.text("管井", 11, 8.2);
    plan.text("档案室", 17, 8.2);
    return plan;
}

// The plan turned by `degrees` about the origin and moved by `offset`.
WallInput moved(WallInput input, double degrees, PlanPoint offset) {
    const double c = std::cos(degrees * std::numbers::pi / 180);
    const double s = std::sin(degrees * std::numbers::pi / 180);
    const auto move = [&](PlanPoint& p) {
        p = {c * p.x - s * p.y + offset.x, s * p.x + c * p.y + offset.y};
    };
    for (WallPiece& wall : input.walls) {
        move(wall.a);
        move(wall.b);
    }
    for (DoorCandidate& door : input.doors) {
        for (SwingArc& swing : door.swings) {
            move(swing.centre);
            move(swing.start);
            move(swing.end);
        }
    }
    for (WindowCandidate& window : input.windows) {
        move(window.a);
        move(window.b);
    }
    for (DoorOutline& door : input.doorOutlines) {
        std::ranges::for_each(door.outline, move);
    }
    for (PlanText& text : input.texts) {
        move(text.at);
    }
    return input;
}

// Each room's name with its area and number of holes; the doors as their handles with the names
// of the rooms to the left and right of their openings ("" none) and their swing.
struct Expected {
    std::map<std::string, std::pair<double, std::size_t>> rooms = {};
    std::map<std::string, std::tuple<std::string, std::string, int>> doors = {};
    std::map<By, std::size_t> gaps = {};
};

void expectRooms(const WallRooms& found, const Expected& expected) {
    std::map<std::string, std::pair<double, std::size_t>> rooms;
    for (const PlanRoomInput& room : found.rooms) {
        const auto [place, added] =
            rooms.emplace(room.name, std::pair{room.area, room.holes.size()});
        EXPECT_TRUE(added) << room.name;
        // Counter-clockwise, its chords outside the curve.
        double chords = signedArea(room.outline);
        for (const Ring& hole : room.holes) {
            chords -= area(hole);
        }
        EXPECT_GE(chords, room.area - 0.01) << room.name;
    }
    ASSERT_EQ(rooms.size(), expected.rooms.size());
    for (const auto& [name, room] : expected.rooms) {
        ASSERT_TRUE(rooms.contains(name)) << name;
        EXPECT_NEAR(rooms[name].first, room.first, 0.01) << name;
        EXPECT_GE(rooms[name].first, room.first - 1e-9) << name;
        EXPECT_EQ(rooms[name].second, room.second) << name;
    }
    const auto nameOf = [&](const std::optional<std::size_t>& room) {
        return room ? found.rooms[*room].name : std::string();
    };
    std::map<std::string, std::tuple<std::string, std::string, int>> doors;
    for (const WallDoor& door : found.doors) {
        doors[door.handle] = {nameOf(door.rooms[0]), nameOf(door.rooms[1]), door.swing};
    }
    EXPECT_EQ(doors, expected.doors);
    std::map<By, std::size_t> gaps;
    for (const ClosedGap& gap : found.gaps) {
        ++gaps[gap.by];
    }
    EXPECT_EQ(gaps, expected.gaps);
}

TEST(WallRooms, OfficeFloorTurnedAndMoved) {
    const Expected expected{{{"办公室", {30, 0}},
                             {"会议室", {29, 0}},
                             {"走廊", {24, 0}},
                             // The hall less its two columns, with the archive through the 3 m gap.
                             {"大厅", {7.8 * 7.2 - 0.25 - 0.36 + 7.8 * 1.6 + 3 * 0.2, 1}},
                             {"库房", {15.68, 0}}},
                            {{"D1", {"走廊", "办公室", -1}},
                             {"D2", {"会议室", "走廊", -1}},
                             {"D3", {"走廊", "大厅", -1}},
                             {"D4", {"大厅", "", -1}}},
                            {{By::Door, 8}, {By::Window, 2}, {By::Nothing, 2}}};
    for (const auto& [degrees, offset] : std::vector<std::pair<double, PlanPoint>>{
             {0, {0, 0}}, {30, {1000, -500}}, {-90, {-3.5, 7.25}}, {137, {20000, 30000}}}) {
        SCOPED_TRACE(degrees);
        expectRooms(findWallRooms(moved(officeFloor().input, degrees, offset)), expected);
    }
}

// The area of the circular segment between a chord of 3 m and an arc of this bulge.
double segmentArea(double bulge) {
    const double angle = 4 * std::atan(std::abs(bulge));
    const double radius = 3 / (2 * std::sin(angle / 2));
    return radius * radius * (angle - std::sin(angle)) / 2;
}

// Two rooms [0,3]×[0,3] and [3.2,6]×[0,3] in a wall 200 mm thick, the wall between them open
// at 1 ≤ y ≤ 2 (with its jambs where `jambs`).
Plan twoRooms(double from, double to, bool jambs) {
    Plan plan;
    plan.box(0, 0, 3, 3, {{1, from, to}});
    plan.box(3.2, 0, 6, 3, {{3, from, to}});
    plan.box(-0.2, -0.2, 6.2, 3.2);
    if (jambs) {
        plan.jambs({3, from}, {3, to}, {0.2, 0});
    }
    plan.text("甲", 1.5, 1.5);
    plan.text("乙", 4.5, 1.5);
    return plan;
}

TEST(WallRooms, SmallFloors) {
    const auto closet = [](bool named, double length = 3, double width = 0.5) {
        Plan plan;
        plan.box(0, 0, width, length);
        plan.box(-0.2, -0.2, width + 0.2, length + 0.2);
        if (named) {
            plan.text("储藏", 0.25, 1.5);
        }
        return plan;
    };
    const auto curved = [] {
        // A bedroom whose right wall bulges out, its outer line a box.
        Plan plan;
        plan.line({0, 0}, {4, 0});
        plan.line({4, 0}, {4, 3}, 0.25);
        plan.line({4, 3}, {0, 3});
        plan.line({0, 3}, {0, 0});
        plan.box(-0.2, -0.2, 5, 3.2);
        plan.line({4.4, 1}, {4.6, 1});  // a stray line beside the arc
        plan.text("卧室", 2, 1.5);
        return plan;
    };
    const auto hallWithBlock = [] {
        // A hall [0,20]×[0,12] with a block of two rooms standing free in it, the tallest text in
        // the block.
        Plan plan;
        plan.box(0, 0, 20, 12);
        plan.box(-0.2, -0.2, 20.2, 12.2);
        plan.box(5, 4, 8, 8);
        plan.box(8.2, 4, 11, 8);
        plan.box(4.8, 3.8, 11.2, 8.2);
        plan.text("大厅", 2, 2);
        plan.text("甲", 6, 6, 1);
        plan.text("乙", 9, 6);
        return plan;
    };
    const auto hallWithColumns = [] {
        // A hall with two columns standing free in it, as wide as the smallest rooms.
        Plan plan;
        plan.box(0, 0, 10, 8);
        plan.box(-0.2, -0.2, 10.2, 8.2);
        plan.box(2, 2, 3, 3);
        plan.box(5, 4, 6.3, 5.3);
        plan.text("大厅", 1, 1);
        return plan;
    };
    const auto outline = [] {
        Plan plan = twoRooms(1, 2, false);
        plan.input.doorOutlines.push_back({"P1", {{3, 1}, {3.2, 1}, {3.2, 2}, {3, 2}}});
        return plan;
    };
    const auto doubleDoor = [] {
        Plan plan = twoRooms(0.8, 2.2, true);
        plan.input.doors.push_back({"DD",
                                    {{{3.2, 0.8}, 0.7, {3.2, 1.5}, {3.9, 0.8}},
                                     {{3.2, 2.2}, 0.7, {3.9, 2.2}, {3.2, 1.5}}}});
        return plan;
    };
    const auto circleDoor = [] {
        // A door whose swing is drawn as a whole circle, in two halves that meet at both ends.
        Plan plan = twoRooms(1, 2, true);
        plan.input.doors.push_back(
            {"DC", {{{3.2, 1}, 1, {3.2, 2}, {3.2, 0}}, {{3.2, 1}, 1, {3.2, 0}, {3.2, 2}}}});
        return plan;
    };
    const auto touchingColumn = [] {
        // A column turned 45° that touches the bedroom's wall with one corner.
        Plan plan;
        plan.box(0, 0, 5, 4);
        plan.box(-0.2, -0.2, 5.2, 4.2);
        plan.line({2, 0}, {2.3, 0.3});
        plan.line({2.3, 0.3}, {2, 0.6});
        plan.line({2, 0.6}, {1.7, 0.3});
        plan.line({1.7, 0.3}, {2, 0});
        plan.text("卧室", 3, 2);
        return plan;
    };
    const auto wallThroughDoor = [] {
        Plan plan = twoRooms(1, 1, false);
        plan.door("D", {3.2, 1}, {3.2, 2}, {4.2, 1});
        return plan;
    };
    const auto narrowGap = [] { return twoRooms(1, 1.5, true); };
    const auto wideGap = [] { return twoRooms(0.3, 2.8, true); };
    const auto doorlessGap = [] { return twoRooms(1, 2, true); };
    const struct {
        const char* name;
        Plan plan;
        Expected expected;
    } cases[] = {
        {"a named closet thinner than a wall is a room", closet(true), {{{"储藏", {1.5, 0}}}}},
        {"an unnamed one is wall", closet(false), {}},
        {"so is one as thick as the thickest wall", closet(false, 6, 0.6), {}},
        {"an unnamed square one is a room", closet(false, 1.1, 1.1), {{{"", {1.21, 0}}}}},
        {"an unnamed shaft as wide as a door is a room", closet(false, 2, 0.8), {{{"", {1.6, 0}}}}},
        {"a long one is wall with a label over it", closet(true, 13), {}},
        {"a curved wall's room has the arc's segment whole",
         curved(),
         {{{"卧室", {12 + segmentArea(0.25), 0}}}}},
        {"a block standing free in a hall is its hole",
         hallWithBlock(),
         {{{"大厅", {240 - 6.4 * 4.4, 1}}, {"甲", {12, 0}}, {"乙", {11.2, 0}}}}},
        {"columns standing free are holes, not rooms",
         hallWithColumns(),
         {{{"大厅", {80 - 1 - 1.69, 2}}}}},
        {"a door outline closes its opening",
         outline(),
         {{{"甲", {9, 0}}, {"乙", {8.4, 0}}}, {{"P1", {"甲", "乙", 0}}}}},
        {"a double door opens from hinge to hinge",
         doubleDoor(),
         {{{"甲", {9, 0}}, {"乙", {8.4, 0}}}, {{"DD", {"甲", "乙", -1}}}, {{By::Door, 2}}}},
        {"a swing drawn as a whole circle is one leaf",
         circleDoor(),
         {{{"甲", {9, 0}}, {"乙", {8.4, 0}}}, {{"DC", {"甲", "乙", -1}}}, {{By::Door, 2}}}},
        {"a column that touches a wall at a corner is a hole",
         touchingColumn(),
         {{{"卧室", {20 - 0.18, 1}}}}},
        {"a door over a wall drawn on through it is kept",
         wallThroughDoor(),
         {{{"甲", {9, 0}}, {"乙", {8.4, 0}}}, {{"D", {"甲", "乙", -1}}}}},
        {"a gap too narrow for a door is a wall's", narrowGap(), {{{"甲", {9 + 0.1 + 8.4, 0}}}}},
        {"a gap wider than a door joins the rooms", wideGap(), {{{"甲", {9 + 0.5 + 8.4, 0}}}}},
        {"a gap without a door is closed",
         doorlessGap(),
         {{{"甲", {9, 0}}, {"乙", {8.4, 0}}}, {}, {{By::Nothing, 2}}}},
    };
    for (const auto& [name, plan, expected] : cases) {
        SCOPED_TRACE(name);
        expectRooms(findWallRooms(plan.input), expected);
    }
}

TEST(WallRooms, LayerAndBlockNames) {
    const struct {
        const char* name;
        bool wall;
        bool door;
    } cases[] = {
        {"A-WALL", true, false},   {"pub_wall", true, false},  {"墙体", true, false},
        {"S-COLUMN", true, false}, {"柱子", true, false},      {"0", false, false},
        {"A-DOOR", false, true},   {"门窗", false, true},      {"$DorLib2D$00000001", false, true},
        {"A-DOR", false, true},    {"CORRIDOR", false, false}, {"DORM-TEXT", false, true},
    };
    for (const auto& [name, wall, door] : cases) {
        EXPECT_EQ(isWallLayerName(name), wall) << name;
        EXPECT_EQ(isDoorName(name), door) << name;
    }
}

// The two lines of a wall closed across one opening are one opening, along the wall's middle; a
// gap alone, gaps of other kinds, and gaps apart along the wall or farther than a wall's thickness
// are their own.
TEST(WallRooms, GapsAcrossOneOpeningAreOne) {
    const ClosedGap outer{{0, 0}, {1.8, 0}};
    const ClosedGap inner{{1.8, 0.2}, {0, 0.2}};
    const struct {
        const char* name;
        std::vector<ClosedGap> gaps;
        std::vector<std::pair<PlanPoint, PlanPoint>> openings;
    } cases[] = {
        {"a pair", {outer, inner}, {{{0, 0.1}, {1.8, 0.1}}}},
        {"one", {outer}, {{{0, 0}, {1.8, 0}}}},
        {"a door's and a gap's",
         {outer, {{0, 0.2}, {1.8, 0.2}, By::Door}},
         {{{0, 0}, {1.8, 0}}, {{0, 0.2}, {1.8, 0.2}}}},
        {"along the wall",
         {outer, {{2, 0.2}, {3, 0.2}}},
         {{{0, 0}, {1.8, 0}}, {{2, 0.2}, {3, 0.2}}}},
        {"across a corridor",
         {outer, {{0, 2.4}, {1.8, 2.4}}},
         {{{0, 0}, {1.8, 0}}, {{0, 2.4}, {1.8, 2.4}}}},
    };
    for (const auto& [name, gaps, expected] : cases) {
        SCOPED_TRACE(name);
        const std::vector<ClosedGap> openings = gapOpenings(gaps);
        ASSERT_EQ(openings.size(), expected.size());
        for (std::size_t i = 0; i < openings.size(); ++i) {
            EXPECT_NEAR(openings[i].a.x, expected[i].first.x, 1e-9);
            EXPECT_NEAR(openings[i].a.y, expected[i].first.y, 1e-9);
            EXPECT_NEAR(openings[i].b.x, expected[i].second.x, 1e-9);
            EXPECT_NEAR(openings[i].b.y, expected[i].second.y, 1e-9);
        }
    }
}

}  // namespace
}  // namespace core
