// What a unit of a project may be: each rule the project file's reader and writer keep, and where
// a unit breaks it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <string>

#include "unit_choice.h"
#include "unit_rules.h"

namespace core {

// clang-format off
void PrintTo(const UnitFault& f, std::ostream* os) {
    *os << "rule " << int(f.rule) << " part " << int(f.part) << " hole " << f.hole << " item " << f.item << " count " << f.count
        << " room " << (f.room ? int(*f.room) : -1);
}
// clang-format on

namespace {

using namespace tests;
using enum UnitRule;
using enum UnitPart;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::string times(int n, const std::string& text) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += text;
    }
    return out;
}

// A room of 6 × 4 m with a column in it, from a drawing in mm, its setting points placed.
Unit room() {
    // clang-format off
    return {"办公室", "一层", {A, Medium, K09, kAbove, kAbc, 24}, std::nullopt, std::nullopt,
            {{0, 0}, {6, 0}, {6, 4}, {0, 4}}, {{{1, 1}, {2, 1}, {2, 2}, {1, 2}}},
            PlanSource{"一层.dxf", "房间", "2F", "mm"}, {{3, 3}, {5, 1}}};
    // clang-format on
}

// A door of 0.9 m from a drawing of that floor.
PlanDoor door() {
    return {"一层", "一层.dxf", "3E", {0, 0}, {0.9, 0}, 1};
}

// The room made the first of a combined unit's two, with a corridor of 6 × 2 m beside it, the
// outline round both, and the door between them.
void combine(Unit& u) {
    u.rooms = {{u.name, u.outline, u.holes, u.plan}, {"走廊", {{0, 4}, {6, 4}, {6, 6}, {0, 6}}}};
    u.outline.clear();
    u.holes.clear();
    u.plan.reset();
    u.floorOutline = {{0, 0}, {6, 0}, {6, 6}, {0, 6}};
    u.doors = {{"一层", "一层.dxf", "3E", {2, 4}, {3, 4}, 1}};
}

// A row changes the room, or, with `door`, the door instead, or, with `floor`, the outline round
// the floor's rooms.
struct RuleCase {
    const char* label;
    std::function<void(Unit&)> change;
    UnitFault fault;  // none: the unit may be kept
    std::function<void(PlanDoor&)> door = {};
    std::function<void(PlanFloor&)> floor = {};
};

// clang-format off
const RuleCase kCases[] = {
    {"as placed", [](Unit&) {}, {}},
    {"name of 200 hanzi", [](Unit& u) { u.name = times(200, "楼"); }, {}},
    {"name of 201 hanzi", [](Unit& u) { u.name = times(201, "楼"); }, {TooLong, Name, 0, 0, 201}},
    {"name of 101 emoji", [](Unit& u) { u.name = times(101, "🧯"); }, {TooLong, Name, 0, 0, 202}},
    {"location too long", [](Unit& u) { u.location.assign(201, 'x'); }, {TooLong, Location, 0, 0, 201}},
    {"class D", [](Unit& u) { u.choices.fireClass = D; u.choices.agent = Agent::Water; }, {ClassD}},
    {"agent of another class", [](Unit& u) { u.choices.agent = Agent::CarbonDioxide; }, {AgentNotAllowed}},
    {"area negative", [](Unit& u) { u.choices.area = -1; }, {AreaOutOfRange}},
    {"area the largest", [](Unit& u) { u.choices.area = kMaxUnitArea; }, {}},
    {"area too large", [](Unit& u) { u.choices.area = 1.5e7; }, {AreaOutOfRange}},
    {"area not a number", [](Unit& u) { u.choices.area = kNaN; }, {AreaOutOfRange}},
    {"model too small", [](Unit& u) { u.model = "MF/ABC1"; }, {ModelNotAdequate}},
    {"model of another agent", [](Unit& u) { u.model = "MT7"; }, {ModelNotAdequate}},
    {"points 0", [](Unit& u) { u.points = 0; }, {PointsOutOfRange}},
    {"points 999", [](Unit& u) { u.points = kMaxPoints; }, {}},
    {"points 1000", [](Unit& u) { u.points = kMaxPoints + 1; }, {PointsOutOfRange}},
    {"two vertices", [](Unit& u) { u.outline.resize(2); }, {TooFewVertices, Outline}},
    {"too many vertices", [](Unit& u) { u.outline.resize(kMaxOutlineVertices + 1); }, {TooManyVertices, Outline, 0, 0, kMaxOutlineVertices + 1}},
    {"vertex not finite", [](Unit& u) { u.outline[2].y = kInf; }, {VertexNotFinite, Outline, 0, 2}},
    {"closed again", [](Unit& u) { u.outline.push_back({0, 0}); }, {VertexRepeated, Outline, 0, 0}},
    {"bowtie", [](Unit& u) { u.outline = {{0, 0}, {4, 4}, {4, 0}, {0, 2}}; }, {SelfIntersecting, Outline}},
    {"on a line", [](Unit& u) { u.outline = {{0, 0}, {1, 0}, {2, 0}}; }, {ZeroArea, Outline}},
    {"clockwise", [](Unit& u) { u.outline = {{0, 0}, {0, 4}, {6, 4}, {6, 0}}; }, {Clockwise, Outline}},
    {"overflowing area", [](Unit& u) { u.outline = {{0, 0}, {1e308, 0}, {0, 1e308}}; u.holes.clear(); }, {OutOfRange, Outline}},
    {"hole clockwise", [](Unit& u) { u.holes.push_back({{3, 1}, {3, 2}, {4, 2}, {4, 1}}); }, {Clockwise, Hole, 1}},
    {"hole a bowtie", [](Unit& u) { u.holes[0] = {{1, 1}, {3, 3}, {3, 1}, {1, 2}}; }, {SelfIntersecting, Hole, 0}},
    {"hole outside", [](Unit& u) { u.holes[0] = {{5, 3}, {7, 3}, {7, 5}}; }, {HoleOutside, Hole, 0}},
    {"holes crossing", [](Unit& u) { u.holes.push_back({{1.5, 1.5}, {3, 1.5}, {3, 3}}); }, {HolesMeet, Hole, 1, 0}},
    {"holes without outline", [](Unit& u) { u.outline.clear(); }, {HolesWithoutOutline, Outline}},
    {"plan without outline", [](Unit& u) { u.outline.clear(); u.holes.clear(); }, {PlanWithoutOutline, Plan}},
    {"points without outline", [](Unit& u) { u.outline.clear(); u.holes.clear(); u.plan.reset(); }, {SetPointsWithoutOutline, SetPoints}},
    {"point outside kept, by hand", [](Unit& u) { u.setPoints.push_back({20, -4e-7}); u.handSet = {false, false, true}; }, {}},
    {"hand-set flags out of step", [](Unit& u) { u.handSet = {true}; }, {HandSetNotInStep, SetPoints, 0, 0, 1}},
    {"999 points", [](Unit& u) { u.setPoints.assign(kMaxPoints, {3, 3}); }, {}},
    {"1000 points", [](Unit& u) { u.setPoints.assign(kMaxPoints + 1, {3, 3}); }, {TooManySetPoints, SetPoints, 0, 0, 1000}},
    {"point not finite", [](Unit& u) { u.setPoints.push_back({kNaN, 1}); }, {SetPointNotFinite, SetPoints, 0, 2}},
    {"combined, its points kept", [](Unit& u) { combine(u); }, {}},
    {"combined, an outline of its own", [](Unit& u) { combine(u); u.outline = room().outline; }, {RoomsWithOutline, Outline}},
    {"combined, holes of its own", [](Unit& u) { combine(u); u.holes = room().holes; }, {RoomsWithOutline, Outline}},
    {"combined, a plan of its own", [](Unit& u) { combine(u); u.plan = room().plan; }, {RoomsWithPlan, Plan}},
    {"combined of one room", [](Unit& u) { combine(u); u.rooms.resize(1); }, {TooFewRooms, Room, 0, 0, 1}},
    {"room name too long", [](Unit& u) { combine(u); u.rooms[1].name = times(201, "楼"); }, {TooLong, Name, 0, 0, 201, 1}},
    {"room clockwise", [](Unit& u) { combine(u); std::ranges::reverse(u.rooms[1].outline); }, {Clockwise, Outline, 0, 0, 0, 1}},
    {"room's hole outside", [](Unit& u) { combine(u); u.rooms[0].holes[0] = {{5, 3}, {7, 3}, {7, 5}}; }, {HoleOutside, Hole, 0, 0, 0, 0}},
    {"floor outline a bowtie", [](Unit& u) { combine(u); u.floorOutline = {{0, 0}, {4, 4}, {4, 0}, {0, 2}}; }, {SelfIntersecting, FloorOutline}},
    {"second door too narrow", [](Unit& u) { combine(u); u.doors.push_back(door()); u.doors[1].end = {0.2, 0}; }, {DoorWidthOutOfRange, Door, 0, 1}},
    {"floor outline without rooms", [](Unit& u) { u.floorOutline = {{0, 0}, {6, 0}, {6, 6}}; }, {FloorWithoutRooms, FloorOutline}},
    {"doors without rooms", [](Unit& u) { u.doors = {door()}; }, {DoorsWithoutRooms, Door}},
    {"door as drawn", {}, {}, [](PlanDoor&) {}},
    {"door of no floor", {}, {DoorWithoutFloor, Door}, [](PlanDoor& d) { d.floor.clear(); }},
    {"door of a floor too long", {}, {TooLong, Door, 0, 0, 201}, [](PlanDoor& d) { d.floor = times(201, "楼"); }},
    {"door not finite", {}, {DoorNotFinite, Door}, [](PlanDoor& d) { d.end.y = kInf; }},
    {"door of 0.3 m", {}, {}, [](PlanDoor& d) { d.end = {0, -0.3}; }},
    {"door narrower", {}, {DoorWidthOutOfRange, Door}, [](PlanDoor& d) { d.end = {0.299, 0}; }},
    {"door of 6 m", {}, {}, [](PlanDoor& d) { d.end = {6, 0}; }},
    {"door wider", {}, {DoorWidthOutOfRange, Door}, [](PlanDoor& d) { d.end = {4.3, 4.3}; }},
    {"door of no width", {}, {DoorWidthOutOfRange, Door}, [](PlanDoor& d) { d.end = d.hinge; }},
    {"door swinging right, or not known", {}, {}, [](PlanDoor& d) { d.swing = -1; }},
    {"door swinging 2", {}, {DoorSwingInvalid, Door}, [](PlanDoor& d) { d.swing = 2; }},
    {"floor as drawn", {}, {}, {}, [](PlanFloor&) {}},
    {"floor of no name", {}, {}, {}, [](PlanFloor& f) { f.floor.clear(); }},
    {"floor's name too long", {}, {TooLong, FloorOutline, 0, 0, 201}, {}, [](PlanFloor& f) { f.floor = times(201, "楼"); }},
    {"floor clockwise", {}, {Clockwise, FloorOutline}, {}, [](PlanFloor& f) { std::ranges::reverse(f.outline); }},
};
// clang-format on

TEST(UnitRules, EachRuleAndWhereItIsBroken) {
    for (const RuleCase& row : kCases) {
        if (row.floor) {
            PlanFloor changed{"一层", "一层.dxf", "4F", {{0, 0}, {6, 0}, {6, 6}, {0, 6}}};
            row.floor(changed);
            EXPECT_EQ(floorFault(changed), row.fault) << row.label;
            continue;
        }
        if (row.door) {
            PlanDoor changed = door();
            row.door(changed);
            EXPECT_EQ(doorFault(changed), row.fault) << row.label;
            continue;
        }
        Unit unit = room();
        row.change(unit);
        EXPECT_EQ(unitFault(unit), row.fault) << row.label;
    }
}

}  // namespace
}  // namespace core
