// Rooms of a floor plan brought into a project: what is added, what is brought up to date and
// what is left alone when the same drawing comes again.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "floor_layout.h"
#include "plan_doors.h"
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

// Every unit of a room follows it, keeping what was chosen; units of no room or of a room gone
// stay; new rooms come last. (Which room is whose: the table below.)
TEST(PlanImport, MatchesRoomsByDrawingAndHandleAndRemovesNothing) {
    Unit typed = imported("办公室", onFloor(1, "2A"), 5);
    typed.choices.area = 30;  // typed over the plan's 25 m²
    typed.choices.fireClass = FireClass::E;
    Unit handTyped;  // a unit without a plan
    handTyped.name = "手工单元";
    const Unit copyForClassA = imported("办公室 副本", onFloor(1, "2A"), 5);
    const Unit gone = imported("已拆除", onFloor(1, "9Z"), 3);
    const Project project{"工程", {typed, handTyped, copyForClassA, gone}};

    const PlanInput plan{"一层.dxf",
                         "mm",
                         "一层",
                         {room("办公室", "2A", 6), room("新房间", "4C", 2), room("无句柄", "", 1)},
                         "m"};
    const PlanImportResult result = importPlan(project, plan);
    const std::vector<Unit>& units = result.project.units;
    ASSERT_EQ(units.size(), 6U);
    for (const std::size_t i : {0U, 2U}) {
        EXPECT_EQ(units[i].outline, square(6)) << i;
        EXPECT_EQ(units[i].choices.area, 36) << i;
    }
    EXPECT_EQ(units[0].choices.fireClass, FireClass::E);
    EXPECT_EQ(units[0].name, "办公室");
    EXPECT_EQ(units[1], handTyped);
    EXPECT_EQ(units[3], gone);
    // New rooms with the plan's location and the default choices.
    EXPECT_EQ(units[4].name, "新房间");
    EXPECT_EQ(units[4].location, "一层");
    EXPECT_EQ(units[4].choices.area, 4);
    EXPECT_EQ(units[4].plan, (PlanSource{"一层.dxf", "房间", "4C", "mm", "一层", "m"}));
    EXPECT_EQ(units[4].choices.fireClass, Choices{}.fireClass);
    EXPECT_EQ(units[5].name, "无句柄");
    EXPECT_EQ(result.changes.added, (std::vector<std::size_t>{4, 5}));
    EXPECT_EQ(result.changes.updated, (std::vector<std::size_t>{0, 2}));

    // The same drawing once more changes nothing; the room without a handle is told by its
    // outline.
    const PlanImportResult again = importPlan(result.project, plan);
    EXPECT_FALSE(again.changes.changesProject());
    EXPECT_EQ(again.changes.unchanged.size(), 4U);
}

// The ring moved along x.
Ring moved(Ring ring, double by) {
    for (PlanPoint& p : ring) {
        p.x += by;
    }
    return ring;
}

// One unit imported before to the floor 一层 from 一层.dxf, then one room imported: whether that
// room is the unit's (updated or unchanged) or a new unit. The room's holes come with it.
TEST(PlanImport, ARoomIsAUnitsOfTheSameDrawingAndFloorByItsHandleOrElseItsOutline) {
    const Ring column = {{1, 1}, {1.5, 1}, {1.5, 1.5}, {1, 1.5}};
    struct Case {
        const char* what;
        const char* location;  // of the unit now
        const char* floor;     // that it was imported to; empty in files that did not keep it
        const char* handle;    // of the unit's room
        const char* file;      // of the plan imported
        const char* into;      // the floor imported to
        const char* room;      // the room's handle
        Ring outline;
        std::vector<Ring> holes;
        const char* outcome;
    };
    // clang-format off
    const Case cases[] = {
        {"same floor, same outline", "一层", "一层", "2A", "一层.dxf", "一层", "2A", square(5), {}, "unchanged"},
        {"same floor, new outline", "一层", "一层", "2A", "一层.dxf", "一层", "2A", square(6), {}, "updated"},
        {"same floor, a column found", "一层", "一层", "2A", "一层.dxf", "一层", "2A", square(5), {column}, "updated"},
        {"same name, another floor", "一层", "一层", "2A", "一层.dxf", "二层", "2A", square(20), {column}, "added"},
        {"another drawing", "一层", "一层", "2A", "二层.dxf", "一层", "2A", square(5), {}, "added"},
        {"location renamed since", "一层东区", "一层", "2A", "一层.dxf", "一层", "2A", square(6), {column}, "updated"},
        {"floor taken from the location", "一层", "", "2A", "一层.dxf", "一层", "2A", square(5), {}, "unchanged"},
        {"no handles, same outline", "一层", "一层", "", "一层.dxf", "一层", "", square(5), {}, "unchanged"},
        {"no handles, outline within 0.01", "一层", "一层", "", "一层.dxf", "一层", "", moved(square(5), 0.0004), {}, "updated"},
        {"no handles, outline moved", "一层", "一层", "", "一层.dxf", "一层", "", moved(square(5), 0.5), {column}, "added"},
        {"no handles, another floor", "一层", "一层", "", "一层.dxf", "二层", "", square(5), {}, "added"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Unit unit = imported("办公室", {"一层.dxf", "房间", c.handle, "mm", c.floor}, 5);
        unit.location = c.location;
        const PlanRoomInput input{"新", "房间", c.room, c.outline, area(c.outline), c.holes};
        const PlanImportResult result =
            importPlan(Project{"工程", {unit}}, PlanInput{c.file, "mm", c.into, {input}});
        const PlanChanges& changes = result.changes;
        const std::string outcome = !changes.added.empty()     ? "added"
                                    : !changes.updated.empty() ? "updated"
                                                               : "unchanged";
        EXPECT_EQ(outcome, c.outcome);
        EXPECT_EQ(changes.added.size() + changes.updated.size() + changes.unchanged.size(), 1U);
        const Unit& now = result.project.units.back();
        EXPECT_EQ(now.outline, c.outline);
        EXPECT_EQ(now.holes, c.holes);
        EXPECT_EQ(now.plan.value().floor, c.into);
        EXPECT_EQ(now.location, outcome == "added" ? c.into : c.location);
        EXPECT_EQ(importedFloors(result.project, c.file).back(), c.into);
    }
}

Ring box(double left, double bottom, double right, double top) {
    return {{left, bottom}, {right, bottom}, {right, top}, {left, top}};
}

// A corridor along y 0 to 2 with a shaft in it, three rooms beyond its wall of 0.2 m, one of them
// of two units (its class A and E fires), and the first room's unit upstairs. The rooms each side
// of a door, as the table gives them, and the floor's doors and exits.
TEST(PlanDoors, TheRoomsOnEachSideAreTheUnitsFoundStepwiseFromTheOpening) {
    const auto unit = [](const char* floor, Ring outline, std::vector<Ring> holes = {}) {
        Unit made;
        made.location = floor;
        made.outline = std::move(outline);
        made.holes = std::move(holes);
        return made;
    };
    const Ring shaft = box(5.6, 0.8, 6.4, 1.6);
    Project project{
        "楼",
        {unit("一层", box(0, 0, 12, 2), {shaft}), unit("一层", box(0, 2.2, 4, 6)),
         unit("一层", box(4.2, 2.2, 8, 6)), unit("一层", box(8.2, 2.2, 12, 6)),
         unit("二层", box(0, 2.2, 4, 6)), unit("一层", box(8.2, 2.2, 12, 6)), unit("一层", shaft)}};
    constexpr std::optional<std::size_t> kNone;
    struct Row {
        const char* what;
        const char* floor;
        PlanPoint hinge;
        PlanPoint end;
        DoorRooms rooms;
    };
    // clang-format off
    const Row rows[] = {
        {"into the first room", "一层", {1, 2.1}, {2, 2.1}, {1, 0}},
        {"drawn the other way", "一层", {7, 2.1}, {6, 2.1}, {0, 2}},
        {"a room of two units: the first", "一层", {9, 2.1}, {10, 2.1}, {3, 0}},
        {"out at the corridor's end", "一层", {12.1, 0.5}, {12.1, 1.5}, {0, kNone}},
        {"into the shaft, not the corridor round it", "一层", {5.7, 1.6}, {6.3, 1.6}, {0, 6}},
        {"the corridor within 1 m", "一层", {3, -0.98}, {4, -0.98}, {0, kNone}},
        {"the corridor beyond 1 m", "一层", {3, -1.05}, {4, -1.05}, {kNone, kNone}},
        {"upstairs, its own floor's units only", "二层", {1, 2.1}, {2, 2.1}, {4, kNone}},
    };
    // clang-format on
    for (const Row& row : rows) {
        const PlanDoor door{row.floor, "楼.dxf", "", row.hinge, row.end, 1};
        EXPECT_EQ(doorRooms(project, door), row.rooms) << row.what;
        project.doors.push_back(door);
    }
    EXPECT_EQ(doorCount(project, "一层"), (DoorCount{7, 2}));
    EXPECT_EQ(doorCount(project, "二层"), (DoorCount{1, 1}));
    EXPECT_EQ(doorCount(project, "三层"), (DoorCount{}));
}

// The doors of the drawing's floor give way to the plan's, in their place; the doors of its other
// floors and of other drawings stay; a door that breaks the rules of doors is left out; the same
// doors again are no change, and a plan of doors alone is one; a plan whose doors were not looked
// for leaves them.
TEST(PlanImport, TheDoorsOfTheFileAndFloorAreReplaced) {
    const auto door = [](const char* floor, const char* file, const char* handle, double width) {
        return PlanDoor{floor, file, handle, {0, 0}, {width, 0}, -1};
    };
    const Project project{"楼",
                          {},
                          {},
                          {door("二层", "一层.dxf", "A1", 1), door("一层", "一层.dxf", "A2", 1),
                           door("一层", "二层.dxf", "B1", 1), door("一层", "一层.dxf", "A3", 1)}};
    PlanInput plan{"一层.dxf", "mm", "一层", {}};
    plan.doors = std::vector<PlanDoor>{door("", "", "C1", 0.8), door("", "", "C2", 9),
                                       door("x", "y", "C3", 1.2)};
    const PlanImportResult result = importPlan(project, plan);
    EXPECT_TRUE(result.changes.doorsChanged);
    EXPECT_TRUE(result.changes.changesProject());
    EXPECT_EQ(result.project.doors,
              (std::vector<PlanDoor>{project.doors[0], door("一层", "一层.dxf", "C1", 0.8),
                                     door("一层", "一层.dxf", "C3", 1.2), project.doors[2]}));
    const PlanImportResult again = importPlan(result.project, plan);
    EXPECT_FALSE(again.changes.changesProject());
    EXPECT_EQ(again.project, result.project);
    PlanInput outlinesAlone = plan;
    outlinesAlone.doors.reset();
    EXPECT_EQ(importPlan(result.project, outlinesAlone).project.doors, result.project.doors);
    plan.location = "三层";
    EXPECT_EQ(importPlan(project, plan).project.doors.back(), door("三层", "一层.dxf", "C3", 1.2));

    // The floor's outlines alike: replaced where the plan brings them, kept where it does not.
    Project outlined = project;
    outlined.floors = {{"一层", "一层.dxf", "F1", square(9)},
                       {"二层", "一层.dxf", "F1", square(9)}};
    PlanInput floors{"一层.dxf", "mm", "一层", {}};
    // A clockwise outline, which the project could not be saved with, is left out.
    Ring clockwise = square(12);
    std::ranges::reverse(clockwise);
    floors.floors = std::vector<PlanFloor>{{"", "", "F2", square(10)}, {"", "", "F3", clockwise}};
    const PlanImportResult withFloors = importPlan(outlined, floors);
    EXPECT_TRUE(withFloors.changes.floorsChanged);
    EXPECT_EQ(withFloors.project.floors,
              (std::vector<PlanFloor>{{"一层", "一层.dxf", "F2", square(10)}, outlined.floors[1]}));
    EXPECT_FALSE(importPlan(withFloors.project, floors).changes.floorsChanged);
    floors.floors.reset();
    EXPECT_EQ(importPlan(outlined, floors).project.floors, outlined.floors);
}

// A combined unit of two rooms of 一层.dxf (5 x 5 and 4.8 x 5, S 49 m²) beside a stair, its floor
// drawn round all three, imported again: its rooms are matched (never added as units), their
// outlines follow, S follows unless typed by hand, its outline round the floor follows the
// drawing's of the same handle, and its doors are the floor's new doors into its rooms.
TEST(PlanImport, TheRoomsOfACombinedUnitFollowTheDrawing) {
    const Ring grown = box(-1, 0, 5, 5);
    struct Row {
        const char* what;
        bool handles;
        Ring first;         // the first room's outline in the drawing
        double typed;       // S typed by hand; 0: S follows
        bool floorOutline;  // S is the area of the outline round the floor, which grows
        bool stairDoor;     // the drawing still has the door to the stair
        double area;
        const char* outcome;
        std::size_t doors;
    };
    // clang-format off
    const Row rows[] = {
        {"as before", true, box(0, 0, 5, 5), 0, false, true, 49, "unchanged", 2},
        {"a room grown", true, grown, 0, false, true, 54, "updated", 2},
        {"S typed by hand", true, grown, 60, false, true, 60, "updated", 2},
        {"S of the floor's outline", true, grown, 0, true, true, 11 * 8.4, "updated", 2},
        {"the stair's door gone", true, box(0, 0, 5, 5), 0, false, false, 49, "updated", 1},
        {"no handles, within 0.01", false, moved(box(0, 0, 5, 5), 0.0004), 0, false, true, 49, "updated", 2},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const char* const handles[] = {row.handles ? "A1" : "", row.handles ? "A2" : "",
                                       row.handles ? "S1" : ""};
        const Ring outlines[] = {box(0, 0, 5, 5), box(5.2, 0, 10, 5), box(0, 5.2, 5, 8)};
        Project project;
        project.name = "楼";
        Unit combined;
        combined.name = "一层组合单元";
        combined.location = "一层";
        for (std::size_t r = 0; r < 2; ++r) {
            combined.rooms.push_back({"房间",
                                      outlines[r],
                                      {},
                                      PlanSource{"一层.dxf", "房间", handles[r], "mm", "一层"}});
        }
        // Its rooms keep the floor the drawing went to, which a new import of it goes to again.
        EXPECT_EQ(importedFloors(Project{"楼", {combined}}, "一层.dxf"),
                  std::vector<std::string>{"一层"});
        project.units = {combined, imported("楼梯", onFloor(1, handles[2]), 0)};
        project.units[1].outline = outlines[2];
        project.floors = {{"一层", "一层.dxf", "F", box(-0.2, -0.2, 10.2, 8.2)}};
        const PlanDoor inside{"一层", "一层.dxf", "D1", {5.1, 1}, {5.1, 2}, 1};
        const PlanDoor stair{"一层", "一层.dxf", "D2", {1, 5.1}, {2, 5.1}, 1};
        project.doors = {inside, stair};
        Unit& unit = project.units[0];
        unit.doors = project.doors;
        unit.floorOutline = row.floorOutline ? project.floors[0].outline : Ring{};
        unit.choices.area = row.typed > 0 ? row.typed : outlineArea(unit).value();

        PlanInput plan{"一层.dxf", "mm", "一层", {}};
        for (std::size_t r = 0; r < 3; ++r) {
            const Ring& outline = r == 0 ? row.first : outlines[r];
            plan.rooms.push_back({"新", "房间", handles[r], outline, area(outline)});
        }
        plan.doors =
            row.stairDoor ? std::vector<PlanDoor>{inside, stair} : std::vector<PlanDoor>{inside};
        plan.floors = std::vector<PlanFloor>{{"", "", "F", box(-1.2, -0.2, 9.8, 8.2)}};
        if (!row.floorOutline) {
            plan.floors->front().outline = project.floors[0].outline;
        }
        const PlanImportResult result = importPlan(project, plan);
        ASSERT_EQ(result.project.units.size(), 2U);
        const Unit& now = result.project.units[0];
        EXPECT_TRUE(result.changes.added.empty());
        EXPECT_EQ(now.rooms[0].outline, row.first);
        EXPECT_EQ(now.rooms[0].name, "房间");
        EXPECT_EQ(now.choices.area, row.area);
        EXPECT_EQ(now.doors.size(), row.doors);
        const bool updated = std::ranges::count(result.changes.updated, 0U) == 1;
        EXPECT_EQ(updated ? "updated" : "unchanged", std::string(row.outcome));
        EXPECT_EQ(std::ranges::count(result.changes.unchanged, 0U), updated ? 0 : 1);
    }
}

TEST(PlanImport, RoomsWhoseMedianIsNotARoomsAreReadInTheWrongUnit) {
    const std::vector<LengthUnit> units = {{"mm", 0.001}, {"cm", 0.01},     {"dm", 0.1},
                                           {"m", 1},      {"inch", 0.0254}, {"ft", 0.3048}};
    struct Case {
        const char* what;
        std::vector<double> areas;  // m² as read
        double metres;              // per unit, as read
        double median;
        const char* likely;  // empty: plausible
    };
    // clang-format off
    const Case cases[] = {
        {"no rooms", {}, 0.001, 0, ""},
        {"offices in mm", {12, 30, 18}, 0.001, 18, ""},
        {"bounds are plausible", {1, 10000}, 0.001, 5000.5, ""},
        {"metres read as mm", {0.000020, 0.000012, 0.5}, 0.001, 0.00002, "m"},
        {"mm read as m", {2e7, 3e7}, 1, 2.5e7, "mm"},
        {"cm read as mm", {0.2, 0.3, 0.1}, 0.001, 0.2, "cm"},
        {"inches read as mm", {0.0193, 0.02}, 0.001, 0.01965, "inch"},
        {"feet read as m", {200, 120, 16000, 15000}, 1, 7600, ""},
        {"feet read as mm", {0.00019, 0.00020, 0.00021}, 0.001, 0.0002, "ft"},
        {"nothing plausible", {1e-12}, 0.001, 1e-12, "?"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RoomsScale scale = roomsScale(c.areas, c.metres, units);
        EXPECT_NEAR(scale.median, c.median, c.median * 1e-9);
        EXPECT_EQ(scale.plausible, std::string(c.likely).empty());
        EXPECT_EQ(scale.likelyUnit.value_or("?"), scale.plausible ? "?" : c.likely);
    }
}

TEST(PlanImport, LayersWhoseRoomsOverlapAreFound) {
    const auto on = [](const char* layer, Ring outline) {
        return PlanRoomInput{"", layer, "", outline, area(outline)};
    };
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    const std::pair<std::vector<PlanRoomInput>, Pairs> cases[] = {
        {{on("房间", square(5)), on("FURN", square(1))}, {{"FURN", "房间"}}},
        {{on("房间", square(5)), on("FURN", moved(square(5), 4.9)),
          on("房间", moved(square(5), 4))},
         {{"FURN", "房间"}}},
        {{on("房间", square(5)), on("FURN", moved(square(5), 5)),
          on("AREA", moved(square(5), -4.9995))},
         {}},
        {{on("房间", square(5)), on("房间", square(1))}, {}},
    };
    for (const auto& [rooms, pairs] : cases) {
        EXPECT_EQ(overlappingLayers(rooms), pairs) << rooms.size();
    }
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

// The floors that a layout drawing is made of: the locations of the units with outlines, in the
// order of their first, each in the unit of its drawings ("mm" without one), with their points
// counted; a floor whose drawings differ in unit, or that has no points, has no drawing.
TEST(FloorLayouts, AreTheLocationsOfTheOutlinesInTheirDrawingsUnit) {
    Unit upper = imported("二层办公", {"b.dxf", "房间", "1", "inch"}, 5);
    upper.location = "二层";
    upper.setPoints = {{2, 2}, {3, 3}};
    Unit lower = imported("一层办公", {"a.dxf", "房间", "1", "mm"}, 4);
    lower.setPoints = {{2, 2}};
    Unit bare = upper;  // no plan: the unit of its floor's drawings
    bare.plan.reset();
    Unit typed = lower;  // no outline: on no floor
    typed.location = "三层";
    typed.outline.clear();
    Unit other = lower;  // another unit on 一层
    other.plan->unit = "m";
    const Project project{"楼", {upper, lower, bare, typed}};
    const auto floors = floorLayouts(project);
    ASSERT_EQ(floors.size(), 2U);
    EXPECT_EQ(floors[0].floor, "二层");
    EXPECT_EQ(floors[0].units, (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(floors[0].drawingUnit, "inch");
    EXPECT_EQ(floors[0].points, 4U);
    EXPECT_EQ(floors[1].extent, (PlanBox{{0, 0}, {4, 4}}));
    EXPECT_EQ(pointNumber(2, 0), "3-1");
    Unit combined;  // a combined unit of rooms from drawings in mm and in m
    combined.location = lower.location;
    combined.rooms = {{"甲", lower.outline, {}, lower.plan}, {"乙", lower.outline, {}, other.plan}};
    combined.setPoints = {{2, 2}};
    lower.setPoints.clear();
    const std::pair<Project, LayoutFault> cases[] = {
        {project, LayoutFault::None},
        {{"楼", {lower}}, LayoutFault::NoPoints},
        {{"楼", {typed}}, LayoutFault::NoOutline},
        {{"楼", {lower, other, upper}}, LayoutFault::MixedUnits},
        {{"楼", {combined}}, LayoutFault::MixedUnits},
    };
    for (const auto& [each, fault] : cases) {
        EXPECT_EQ(layoutFault(each, each.units.front().location), fault) << each.units.size();
    }
    EXPECT_EQ(floorLayouts({"楼", {bare}}).front().drawingUnit, "mm");
}

}  // namespace
}  // namespace core
