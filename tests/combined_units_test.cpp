// Combined units: which units combine and why not, the unit they make, its S, and its taking
// apart; every floor's units combined at once.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "combined_units.h"
#include "unit_choice.h"
#include "unit_rules.h"

namespace core {
namespace {

using namespace tests;

Ring box(double x0, double y0, double x1, double y1) {
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

Unit room(const char* name, const char* floor, Hazard hazard, Ring outline) {
    Unit unit{name,
              floor,
              {A, hazard, K09, kAbove, kAbc, roomArea(outline, {})},
              std::nullopt,
              std::nullopt};
    unit.outline = std::move(outline);
    return unit;
}

// Ground floor: offices 101 and 102 south of a corridor of 12 × 2 m, 103 and a store (class B)
// north of it, a plant room and a switch room (serious hazard) east of them, and a duty room typed
// by hand; upstairs 201 and 202. 101 and the corridor have a point set by hand, 101 one placed.
// The doors: each room's to the corridor, an exit at its west end, one between the plant and the
// switch rooms, and one upstairs. Two outlines round the ground floor's rooms: first round all of
// them, then round 101, 102 and the corridor alone.
Project floors() {
    Project project{
        "办公楼",
        {room("101", "一层", Medium, box(0, 0, 6, 4)),
         room("102", "一层", Medium, box(6, 0, 12, 4)),
         room("走廊", "一层", Medium, box(0, 4, 12, 6)),
         room("103", "一层", Medium, box(0, 6, 6, 10)),
         room("库房", "一层", Medium, box(6, 6, 12, 10)),
         room("机房", "一层", Serious, box(12, 0, 16, 4)),
         room("201", "二层", Medium, box(0, 0, 6, 4)),
         {"值班室", "一层", {A, Medium, K09, kAbove, kAbc, 30}, std::nullopt, std::nullopt},
         room("202", "二层", Medium, box(6, 0, 12, 4)),
         room("配电室", "一层", Serious, box(12, 4, 16, 6))}};
    project.units[4].choices.fireClass = B;
    project.units[0].setPoints = {{1, 1}, {3, 3}};
    project.units[0].handSet = {true, false};
    project.units[2].setPoints = {{11, 5}};
    project.units[2].handSet = {true};
    const auto door = [](const char* handle, PlanPoint hinge, PlanPoint end,
                         const char* floor = "一层") {
        return PlanDoor{floor, "一层.dxf", handle, hinge, end, 1};
    };
    project.doors = {door("D101", {2, 4}, {3, 4}),  door("D102", {8, 4}, {9, 4}),
                     door("D103", {2, 6}, {3, 6}),  door("EXIT", {0, 4.5}, {0, 5.5}),
                     door("D104", {8, 6}, {9, 6}),  door("D201", {2, 4}, {3, 4}, "二层"),
                     door("D105", {13, 4}, {14, 4})};
    project.floors = {{"一层", "一层.dxf", "F1", box(-0.5, -0.5, 16.5, 10.5)},
                      {"一层", "一层.dxf", "F2", box(-0.5, -0.5, 12.5, 6.5)}};
    return project;
}

std::string times(int n, const std::string& text) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += text;
    }
    return out;
}

std::vector<std::string> names(const std::vector<Unit>& units) {
    std::vector<std::string> out;
    for (const Unit& unit : units) {
        out.push_back(unit.name);
    }
    return out;
}

struct CombineCase {
    const char* label;
    std::vector<std::size_t> which;
    CombineRefusal refusal;  // fault None: the unit is made, in the place of the first
    std::vector<std::string> rooms = {};
    std::string name = {};
    double area = 0;
    AreaBasis basis = AreaBasis::RoomsSum;
    std::vector<std::string> doors = {};  // by handle
    std::function<void(Project&)> change = {};
};

// clang-format off
const CombineCase kCombineCases[] = {
    {"one unit", {2}, {CombineFault::TooFew, 2, 2}},
    {"a unit typed by hand", {2, 7, 0}, {CombineFault::NoOutline, 7, 0}},
    {"a unit upstairs", {6, 1}, {CombineFault::OtherFloor, 6, 1}},
    {"a unit of class B", {0, 4, 5}, {CombineFault::OtherClass, 4, 0}},
    {"a unit of serious hazard", {5, 0}, {CombineFault::OtherHazard, 5, 0}},
    {"the corridor and its offices: S of the outline round them alone", {2, 1, 0, 2}, {},
     {"101", "102", "走廊"}, "一层组合单元", 91, AreaBasis::FloorOutline, {"D101", "D102", "D103", "EXIT", "D104"}},
    {"two offices: the outlines hold other rooms too", {0, 1}, {}, {"101", "102"}, "一层组合单元", 48, AreaBasis::RoomsSum, {"D101", "D102"}},
    {"a combined unit among them, taken apart", {0, 1}, {}, {"101", "102", "走廊"}, "一层组合单元", 91, AreaBasis::FloorOutline,
     {"D101", "D102", "D103", "EXIT", "D104"}, [](Project& p) { p = std::get<Project>(combineUnits(p, {0, 1})); }},
    {"the name taken", {0, 1}, {}, {"101", "102"}, "一层组合单元2", 48, AreaBasis::RoomsSum, {"D101", "D102"},
     [](Project& p) { p.units[3].name = "一层组合单元"; }},
    {"a floor of 200 characters", {0, 1}, {}, {"101", "102"}, times(195, "层") + "组合单元2", 48, AreaBasis::RoomsSum, {},
     [](Project& p) { p.units[0].location = p.units[1].location = p.units[3].location = times(200, "层");
                      p.units[3].name = times(196, "层") + "组合单元"; }},
};
// clang-format on

TEST(CombineUnits, RefusesNamingTheUnitOrMakesOneOfTheirRooms) {
    for (const CombineCase& row : kCombineCases) {
        SCOPED_TRACE(row.label);
        Project project = floors();
        if (row.change) {
            row.change(project);
        }
        const auto result = combineUnits(project, row.which);
        if (row.refusal.fault != CombineFault::None) {
            ASSERT_TRUE(std::holds_alternative<CombineRefusal>(result));
            const CombineRefusal& refusal = std::get<CombineRefusal>(result);
            EXPECT_EQ(refusal.fault, row.refusal.fault);
            EXPECT_EQ(refusal.unit, row.refusal.unit);
            EXPECT_EQ(refusal.first, row.refusal.first);
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<Project>(result));
        const Project& combined = std::get<Project>(result);
        const Unit& made = combined.units.at(0);
        const std::set<std::size_t> which(row.which.begin(), row.which.end());
        EXPECT_EQ(combined.units.size(), project.units.size() + 1 - which.size());
        std::vector<std::string> rooms;
        for (const UnitRoom& r : made.rooms) {
            rooms.push_back(r.name);
        }
        EXPECT_EQ(rooms, row.rooms);
        EXPECT_EQ(made.name, row.name);
        EXPECT_EQ(made.choices.area, row.area);
        EXPECT_EQ(areaBasis(made), row.basis);
        std::vector<std::string> doors;
        for (const PlanDoor& door : made.doors) {
            doors.push_back(door.handle);
        }
        EXPECT_EQ(doors, row.doors);
        // The points set by hand stay, those placed go; N is the estimate again.
        const std::vector<PlanPoint> kept = rooms.size() == 3
                                                ? std::vector<PlanPoint>{{1, 1}, {11, 5}}
                                                : std::vector<PlanPoint>{{1, 1}};
        EXPECT_EQ(made.setPoints, kept);
        EXPECT_EQ(made.handSet, std::vector<bool>(kept.size(), true));
        EXPECT_FALSE(made.points.has_value());
        EXPECT_FALSE(unitFault(made));
    }
}

// Taking a combined unit apart gives back its units as they were, in their places, each with its
// room's area and the points set by hand in its room; only the placed points are gone.
TEST(SplitUnit, GivesTheRoomsBackAsTheyWere) {
    const Project project = floors();
    const Project combined = std::get<Project>(combineUnits(project, {0, 1, 2}));
    Project expected = project;
    expected.units[0].setPoints = {{1, 1}};
    expected.units[0].handSet = {true};
    EXPECT_EQ(splitUnit(combined, 0), expected);
    EXPECT_EQ(splitUnit(combined, 1), combined);   // not a combined unit
    EXPECT_EQ(splitUnit(combined, 99), combined);  // none
}

struct FloorsCase {
    const char* label;
    std::optional<std::string> floor;
    std::vector<std::string> units;  // the project's units afterwards, by name
    std::vector<FloorCombined> made;
    std::function<void(Project&)> change = {};
};

// clang-format off
const FloorsCase kFloorsCases[] = {
    {"every floor", std::nullopt, {"一层组合单元", "库房", "一层组合单元2", "二层组合单元", "值班室"},
     {{0, {0, 1, 2, 3}}, {2, {5, 9}}, {3, {6, 8}}}},
    {"upstairs", "二层", {"101", "102", "走廊", "103", "库房", "机房", "二层组合单元", "值班室", "配电室"}, {{6, {6, 8}}}},
    {"a floor with no units", "三层", {"101", "102", "走廊", "103", "库房", "机房", "201", "值班室", "202", "配电室"}, {}},
    {"a name taken by a unit that stays", std::nullopt, {"一层组合单元", "一层组合单元2", "一层组合单元3", "二层组合单元", "值班室"},
     {{0, {0, 1, 2, 3}}, {2, {5, 9}}, {3, {6, 8}}}, [](Project& p) { p.units[4].name = "一层组合单元2"; }},
    {"combined already", std::nullopt, {"一层组合单元", "库房", "一层组合单元2", "二层组合单元", "值班室"}, {},
     [](Project& p) { p = combineFloors(p).project; }},
};
// clang-format on

TEST(CombineFloors, CombinesEachFloorsUnitsOfOneClassAndHazard) {
    for (const FloorsCase& row : kFloorsCases) {
        SCOPED_TRACE(row.label);
        Project project = floors();
        if (row.change) {
            row.change(project);
        }
        const FloorsCombined result = combineFloors(project, row.floor);
        EXPECT_EQ(names(result.project.units), row.units);
        ASSERT_EQ(result.made.size(), row.made.size());
        for (std::size_t k = 0; k < row.made.size(); ++k) {
            EXPECT_EQ(result.made[k].unit, row.made[k].unit);
            EXPECT_EQ(result.made[k].from, row.made[k].from);
        }
    }
    // Each group is made as combineUnits() makes it.
    const Project project = floors();
    EXPECT_EQ(combineFloors(project).project.units[3],
              std::get<Project>(combineUnits(project, {6, 8})).units[6]);
}

}  // namespace
}  // namespace core
