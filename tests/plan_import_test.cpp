// Rooms of a floor plan brought into a project: what is added, what is brought up to date and
// what is left alone when the same drawing comes again.
#include <gtest/gtest.h>

#include <utility>

#include "plan_import.h"

namespace core {
namespace {

Ring square(double side) {
    return {{0, 0}, {side, 0}, {side, side}, {0, side}};
}

PlanRoomInput room(const char* name, const char* handle, double side) {
    return {name, "房间", handle, square(side), side * side};
}

// A unit imported before from the room `handle` of the drawing `file`.
Unit imported(const char* name, PlanSource plan, double side) {
    Unit unit;
    unit.name = name;
    unit.location = "一层";
    unit.choices.area = side * side;
    unit.outline = square(side);
    unit.plan = std::move(plan);
    return unit;
}

// The room `handle` of the drawing of the first or second floor.
PlanSource onFloor(int floor, const char* handle) {
    return {floor == 1 ? "一层.dxf" : "二层.dxf", "房间", handle, "mm"};
}

TEST(PlanImport, MatchesRoomsByDrawingAndHandleAndRemovesNothing) {
    Unit typed = imported("办公室", onFloor(1, "2A"), 5);
    typed.choices.area = 30;  // typed over the plan's 25 m²
    typed.choices.fireClass = FireClass::E;
    Unit handTyped;  // a unit without a plan
    handTyped.name = "手工单元";
    const Unit otherFloor = imported("办公室", onFloor(2, "2A"), 5);
    const Unit copyForClassA = imported("办公室 副本", onFloor(1, "2A"), 5);
    const Unit unchanged = imported("库房", onFloor(1, "3B"), 4);
    const Unit gone = imported("已拆除", onFloor(1, "9Z"), 3);
    const Project project{"工程", {typed, handTyped, otherFloor, copyForClassA, unchanged, gone}};

    const PlanInput plan{"一层.dxf",
                         "mm",
                         "一层",
                         {room("办公室", "2A", 6), room("库房", "3B", 4), room("新房间", "4C", 2),
                          room("无句柄", "", 1)}};
    const PlanImportResult result = importPlan(project, plan);
    const std::vector<Unit>& units = result.project.units;
    ASSERT_EQ(units.size(), 8U);
    // Both units of the room follow its new outline and area; the class set stays.
    for (const std::size_t i : {0U, 3U}) {
        EXPECT_EQ(units[i].outline, square(6)) << i;
        EXPECT_EQ(units[i].choices.area, 36) << i;
    }
    EXPECT_EQ(units[0].choices.fireClass, FireClass::E);
    EXPECT_EQ(units[0].name, "办公室");
    // The same handle in another drawing is another room; a room gone from the drawing stays.
    EXPECT_EQ(units[2], otherFloor);
    EXPECT_EQ(units[5], gone);
    EXPECT_EQ(units[1], handTyped);
    // New rooms come last with the plan's location and the default choices.
    EXPECT_EQ(units[6].name, "新房间");
    EXPECT_EQ(units[6].location, "一层");
    EXPECT_EQ(units[6].choices.area, 4);
    EXPECT_EQ(units[6].plan, (PlanSource{"一层.dxf", "房间", "4C", "mm"}));
    EXPECT_EQ(units[6].choices.fireClass, Choices{}.fireClass);
    EXPECT_EQ(units[7].name, "无句柄");

    EXPECT_EQ(result.changes.added, (std::vector<std::size_t>{6, 7}));
    EXPECT_EQ(result.changes.updated, (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(result.changes.unchanged, (std::vector<std::size_t>{4}));

    // The same drawing once more changes nothing but adds the room without a handle again: it
    // cannot be told from a new one.
    const PlanImportResult again = importPlan(result.project, plan);
    EXPECT_TRUE(again.changes.updated.empty());
    EXPECT_EQ(again.changes.added, (std::vector<std::size_t>{8}));
}

TEST(PlanImport, AnAreaTypedByHandIsOneThatDiffersFromTheOutlinesByMoreThanAHundredth) {
    Unit unit = imported("办公室", onFloor(1, "2A"), 5);
    const std::pair<double, bool> cases[] = {{25, false},   {25.01, false}, {24.99, false},
                                             {25.02, true}, {24.98, true},  {0, true}};
    for (const auto& [area, typed] : cases) {
        unit.choices.area = area;
        EXPECT_EQ(areaTypedByHand(unit), typed) << area;
    }
    unit.outline.clear();
    EXPECT_FALSE(areaTypedByHand(unit)) << "without an outline, every area is typed";
}

}  // namespace
}  // namespace core
