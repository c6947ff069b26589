// The project file: what it keeps, what it refuses and why, that a failed save keeps the old
// file, the recovery copies and the lock of an open file.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QLockFile>
#include <chrono>
#include <tuple>
#include <vector>

#include "project_file.h"
#include "project_lock.h"
#include "recovery_copy.h"
#include "test_support.h"
#include "unit_choice.h"

using namespace Qt::StringLiterals;

namespace io {
namespace {

using namespace tests;

using namespace std::chrono_literals;
using std::chrono::December, std::chrono::February, std::chrono::January;

// A room of a floor plan: an L of 84 m² with coordinates that binary fractions cannot hold and a
// column of 1 m² in it, and its setting points placed, one where a third of a metre never ends in
// binary or decimal and one that a new outline left outside.
core::Unit roomUnit() {
    core::Unit unit = makeUnit("会议室", A, 84);
    unit.outline = {{100.1, 20.3}, {110.1, 20.3}, {110.1, 26.3},
                    {106.1, 26.3}, {106.1, 30.3}, {100.1, 30.3}};
    unit.holes = {{{101.1, 21.3}, {102.1, 21.3}, {102.1, 22.3}, {101.1, 22.3}}};
    unit.plan = core::PlanSource{"一层平面.dxf", "房间", "2F", "mm", "一层", "m"};
    unit.setPoints = {{100.1 + 1.0 / 3, 20.3 + 2.0 / 3}, {103.05, 27.5}, {120.7, -4e-7}};
    unit.handSet = {false, true, false};
    return unit;
}

// The room beside a corridor, combined: the room with its hole and plan, the outline round the
// floor, the door between them and an exit, a point set by hand and one placed.
core::Unit combinedUnit() {
    core::Unit unit = makeUnit("一层组合单元", A, 130.5);
    const core::Unit room = roomUnit();
    unit.rooms = {{room.name, room.outline, room.holes, room.plan},
                  {"走廊", {{100.1, 30.3}, {110.1, 30.3}, {110.1, 32.7}, {100.1, 32.7}}}};
    unit.floorOutline = {{99.9, 20.1}, {110.3, 20.1}, {110.3, 32.9}, {99.9, 32.9}};
    unit.doors = {{"一层", "一层平面.dxf", "3B", {102.1, 30.3}, {103.1, 30.3}, 1},
                  {"一层", "一层平面.dxf", "", {110.1, 31}, {110.1, 32.2}, 0}};
    unit.setPoints = {{100.4, 31.5}, {109.8, 1.0 / 3 + 31}};
    unit.handSet = {true, false};
    return unit;
}

// Names to escape, a unit with every choice away from its default and its model and points set,
// a unit with no name or area, a room of a plan, a combined unit; the info with its stage emptied
// and a text as long as a name; a door of the plan, and an exit of unknown swing without a handle;
// the outline round the floor.
core::Project sampleProject() {
    // clang-format off
    core::Project project{"某办公楼 \"A座\"\n二期", {
        makeUnit("办公室", A, 1500), roomUnit(),
        {"油库\\\"东\"\n\t区", "一层", {B, Serious, K05, kFun, Agent::CarbonDioxide, 1234.56}, "MTT50", 7},
        {"", "一层", {E, Medium, K10, kAbove, Agent::Halon1211, 0}, std::nullopt, std::nullopt},
        combinedUnit()},
        {"2026-消-017 \"甲\"", "", std::string(core::kMaxNameLength, 'c'), "张三", "李四", "王五", "赵六",
         2028y / February / 29, core::ProjectInfo::kMaxDrawingScale}};
    project.doors = {{"一层", "一层平面.dxf", "3A", {106.1, 27.1 + 1.0 / 3}, {106.1, 28.3}, -1},
                     {"一层", "一层平面.dxf", "", {110.1, 21}, {110.1, 25.5}, 0}};
    project.floors = {{"一层", "一层平面.dxf", "5D", combinedUnit().floorOutline}};
    // clang-format on
    return project;
}

// The file as another program would write it reads as the same project, so that the writer and
// the reader cannot agree on a wrong key or value name between themselves.
TEST(ProjectFile, ReadsTheDocumentedShape) {
    const std::string unit = R"("units": [{"name": "库房", "location": "B1", "fireClass": "C",
        "hazard": "light", "factor": 0.7, "building": "entertainmentOrUnderground",
        "area": 80.5, "agent": "sodiumBicarbonatePowder", "model": "MF4", "points": 3}])";
    const core::Unit expected{
        "库房", "B1", {C, Light, K07, kFun, Agent::SodiumBicarbonatePowder, 80.5}, "MF4", 3};
    // clang-format off
    const core::ProjectInfo some{"GC-01", "施工图设计", "", "", "", "", "", 2026y / December / 7};
    const core::ProjectInfo all{"GC-02", "初步设计", "某设计院", "甲", "乙", "丙", "丁", 2000y / January / 1, 1};
    core::Unit placed = expected;
    placed.outline = {{0, 0}, {8.5, 0}, {8.5, 4}, {0, 4}};
    placed.plan = core::PlanSource{"B1.dxf", "ROOM", "A3", "cm"};
    placed.setPoints = {{2.125, 2}, {6.375, 2}};
    core::Unit byHand = placed;
    byHand.handSet = {false, true};
    const std::string room = unit.substr(0, unit.size() - 2) + R"(, "outline": [[0, 0], [8.5, 0], [8.5, 4], [0, 4]],
        "setPoints": [[2.125, 2], [6.375, 2]], "plan": {"file": "B1.dxf", "layer": "ROOM", "handle": "A3", "unit": "cm"})";
    // The info's keys some given, all given with a point set by hand, or all left out with a room
    // of a plan and its setting points placed (none by hand before version 6).
    const std::tuple<const char*, std::string, core::ProjectInfo, core::Unit> cases[] = {
        {"some info", R"("version": 2, "info": {"date": "2026-12-07", "number": "GC-01"}, )" + unit, some, expected},
        {"all info", R"("version": 6, "info": {"number": "GC-02", "stage": "初步设计",
            "company": "某设计院", "calculatedBy": "甲", "checkedBy": "乙", "reviewedBy": "丙",
            "approvedBy": "丁", "date": "2000-01-01", "drawingScale": 1}, )" + room + R"(, "handSet": [1]}])", all, byHand},
        {"setting points", R"("version": 4, )" + room + "}]", {}, placed},
    };
    // clang-format on
    for (const auto& [name, members, info, unitRead] : cases) {
        SCOPED_TRACE(name);
        const auto parsed = parseProject(QByteArray::fromStdString(
            R"({"format": "fire-extinguisher-project", "name": "工程", )" + members + "}"));
        ASSERT_TRUE(std::holds_alternative<core::Project>(parsed))
            << std::get<QString>(parsed).toStdString();
        EXPECT_EQ(std::get<core::Project>(parsed), (core::Project{"工程", {unitRead}, info}));
    }
}

struct BadFile {
    const char* label;
    std::string bytes;
    const char* fault;  // "": the file reads
};

const std::string kUnit1 =
    R"({"name": "u1", "location": "", "fireClass": "A", "hazard": "medium", "factor": 0.9,
        "building": "aboveGround", "area": 1500, "agent": "ammoniumPhosphatePowder"})";
const std::string kHead = R"({"format": "fire-extinguisher-project", "version": 1, "name": "p")";

// A project whose second unit is the first with `from` replaced by `to`.
std::string secondUnit(const std::string& from, const std::string& to) {
    std::string second = kUnit1;
    second.replace(second.find(from), from.size(), to);
    return kHead + R"(, "units": [)" + kUnit1 + ", " + second + "]}";
}

// A project of the version whose second unit has these members too.
std::string withRoom(const std::string& members, int version = 3) {
    std::string text = secondUnit(R"("area")", members + R"(, "area")");
    const std::string one = R"("version": 1)";
    return text.replace(text.find(one), one.size(), R"("version": )" + std::to_string(version));
}
const std::string kTriangle = R"("outline": [[0, 0], [1, 0], [0, 1]])";

// A project of version 4 whose second unit has the triangle and these setting points.
std::string withPoints(const std::string& points) {
    return withRoom(kTriangle + R"(, "setPoints": )" + points, 4);
}

std::string withTop(const std::string& members) {
    return "{" + members + R"(, "name": "p", "units": []})";
}

// A project of the version with the info's members.
std::string withInfo(const std::string& members, int version = 2) {
    return withTop(R"("format": "fire-extinguisher-project", "version": )" +
                   std::to_string(version) + R"(, "info": {)" + members + "}");
}

// A project of version 7 with two doors, the second the first with `from` replaced by `to`.
std::string withDoor(const std::string& from, const std::string& to) {
    const std::string door =
        R"({"floor": "一层", "file": "f.dxf", "handle": "2B", "hinge": [0, 0], "end": [0.9, 0], "swing": 1})";
    std::string second = door;
    second.replace(second.find(from), from.size(), to);
    return withTop(R"("format": "fire-extinguisher-project", "version": 7, "doors": [)" + door +
                   ", " + second + "]");
}

// A project of version 8 (or `version`) whose second unit is combined of a square room and a
// triangle, with `members` after its rooms.
std::string combined(const std::string& rooms, const std::string& members = "", int version = 8) {
    return withRoom(R"("rooms": [{"name": "a", "outline": [[0, 0], [2, 0], [2, 2], [0, 2]]}, )" +
                        rooms + "]" + members,
                    version);
}
const std::string kRoom = R"({"name": "b", "outline": [[2, 0], [3, 0], [2, 1]]})";

// A project of version 8 with these members of the outline round a floor.
std::string withFloor(const std::string& members) {
    return withTop(R"("format": "fire-extinguisher-project", "version": 8, "floors": [{)" +
                   members + "}]");
}
const std::string kFloor = R"("floor": "一层", "file": "f.dxf", "handle": "5D")";

// clang-format off
std::vector<BadFile> badFiles() {
    const std::string longest = '"' + std::string(core::kMaxNameLength, 'x') + '"';
    std::string hanzi = "\"";
    for (int i = 0; i <= core::kMaxNameLength; ++i) {
        hanzi += "楼";
    }
    hanzi += '"';
    std::string points = "[[0.1, 0.1]";  // one more than a unit may have
    for (int i = 0; i < core::kMaxPoints; ++i) {
        points += ", [0.1, 0.1]";
    }
    return {
        {"NotJson", kHead + ",\n  \"名称\": ]", "不是有效的 JSON 文本（第2行第10列有误）"},
        {"NotUtf8", kHead + ", \"units\": [], \"x\": \"\xC0\xAF\"}", "不是 UTF-8 编码的文本"},
        {"NotAnObject", "[1, 2]", "不是灭火器配置工程文件"},
        {"OtherFormat", withTop(R"("format": "other", "version": 1)"), "不是灭火器配置工程文件"},
        {"NoFormat", withTop(R"("version": 1)"), "不是灭火器配置工程文件"},
        {"NewerVersion", withTop(R"("format": "fire-extinguisher-project", "version": 9, "x": 0)"), "此文件由较新版本保存，请升级程序"},
        {"VersionText", withTop(R"("format": "fire-extinguisher-project", "version": "1")"), "版本号“version”值“1”无效"},
        {"UnknownTopKey", kHead + R"(, "units": [], "author": "x"})", "含有未知的键“author”"},
        {"NoUnits", kHead + "}", "缺少键“units”"},
        {"NameNotText", R"({"format": "fire-extinguisher-project", "version": 1, "name": 5, "units": []})", "工程名称“name”应为文本"},
        {"UnitsNotArray", kHead + R"(, "units": {}})", "计算单元“units”应为数组"},
        {"UnitNotObject", kHead + R"(, "units": [)" + kUnit1 + ", 3]}", "第2个计算单元不是 JSON 对象"},
        {"UnknownUnitKey", secondUnit(R"("name")", R"("colour": 1, "name")"), "第2个计算单元含有未知的键“colour”"},
        {"NoLocation", secondUnit(R"("location": "", )", ""), "第2个计算单元缺少键“location”"},
        {"ClassD", secondUnit(R"("A")", R"("D")"), "第2个计算单元的“fireClass”值“D”无效"},
        {"Hazard", secondUnit("medium", "heavy"), "第2个计算单元的“hazard”值“heavy”无效"},
        {"Factor", secondUnit("0.9", "0.8"), "第2个计算单元的“factor”值“0.8”无效"},
        {"FactorText", secondUnit("0.9", R"("0.9")"), "第2个计算单元的“factor”应为数值"},
        {"AgentOfClass", secondUnit("ammoniumPhosphatePowder", "carbonDioxide"), "第2个计算单元的火灾类别A不能选用灭火剂“二氧化碳(CO2)”"},
        {"PointsTooMany", secondUnit(R"("area")", R"("points": 1000, "area")"), "第2个计算单元的设置点数“points”值“1000”无效"},
        {"PointsFraction", secondUnit(R"("area")", R"("points": 2.5, "area")"), "第2个计算单元的设置点数“points”值“2.5”无效"},
        {"LoneSurrogate", secondUnit(R"("u1")", R"("\ud800")"), "第2个计算单元的“name”含有无效字符"},
        {"InfoInVersion1", kHead + R"(, "units": [], "info": {}})", "版本1的文件不能含有工程信息“info”"},
        {"InfoNotObject", withTop(R"("format": "fire-extinguisher-project", "version": 2, "info": "x")"), "工程信息“info”应为 JSON 对象"},
        {"UnknownInfoKey", withInfo(R"("number": "1", "author": "x")"), "工程信息“info”含有未知的键“author”"},
        {"InfoKeyTwice", withInfo(R"("date": "2026-12-07", "dat\u0065": "2026-12-08")"), "工程信息“info”含有重复的键“date”"},
        {"NumberNotText", withInfo(R"("number": 5)"), "工程信息“info”的工程编号“number”应为文本"},
        {"CompanySurrogate", withInfo(R"("company": "院\udc00")"), "工程信息“info”的编制单位“company”含有无效字符"},
        {"CheckerTooLong", withInfo(R"("checkedBy": ")" + std::string(core::kMaxNameLength + 1, 'x') + "\""), "工程信息“info”的校对人“checkedBy”过长：201个字符，最多200个字符"},
        {"DateNumber", withInfo(R"("date": 20261207)"), "工程信息“info”的日期“date”值“20261207”无效：应为加引号的日期"},
        {"DateOutOfCalendar", withInfo(R"("date": "2026-13-40")"), "工程信息“info”的日期“date”值“2026-13-40”无效，应为1900-01-01至9999-12-31之间的日期"},
        {"DateNotLeap", withInfo(R"("date": "2027-02-29")"), "日期“date”值“2027-02-29”无效"},
        {"DateTooEarly", withInfo(R"("date": "1899-12-31")"), "日期“date”值“1899-12-31”无效"},
        {"DateSlashes", withInfo(R"("date": "2026/12/07")"), "日期“date”值“2026/12/07”无效"},
        {"DateWithTime", withInfo(R"("date": "2026-12-07T08:00")"), "日期“date”值“2026-12-07T08:00”无效"},
        {"ScaleInVersion5", withInfo(R"("drawingScale": 50)", 5), "版本5的文件不能含有工程信息“info”的“drawingScale”（版本6起才有）"},
        {"ScaleZero", withInfo(R"("drawingScale": 0)", 6), "工程信息“info”的出图比例“drawingScale”值“0”无效，应为1至10000之间的整数"},
        {"ScaleTooLarge", withInfo(R"("drawingScale": 10001)", 6), "出图比例“drawingScale”值“10001”无效"},
        {"ScaleFraction", withInfo(R"("drawingScale": 99.5)", 6), "出图比例“drawingScale”值“99.5”无效"},
        {"ScaleText", withInfo(R"("drawingScale": "100")", 6), "出图比例“drawingScale”值“100”无效"},
        {"OutlineInVersion2", withRoom(kTriangle, 2), "版本2的文件不能含有第2个计算单元的“outline”（版本3起才有）"},
        {"OutlineNotArray", withRoom(R"("outline": {})"), "第2个计算单元的轮廓“outline”应为坐标数组"},
        {"OutlineVertexText", withRoom(R"("outline": [[0, 0], [1, 0], ["0", 1]])"), "第2个计算单元的轮廓“outline”第3个顶点无效"},
        {"OutlineClockwise", withRoom(R"("outline": [[0, 0], [0, 1], [1, 0]])"), "第2个计算单元的轮廓“outline”应为逆时针方向"},
        {"PlanNotObject", withRoom(kTriangle + R"(, "plan": "f.dxf")"), "第2个计算单元的平面图来源“plan”应为 JSON 对象"},
        {"PlanNoHandle", withRoom(kTriangle + R"(, "plan": {"file": "f", "layer": "L", "unit": "m"})"), "第2个计算单元的平面图来源“plan”缺少键“handle”"},
        {"PlanHandleNumber", withRoom(kTriangle + R"(, "plan": {"file": "f", "layer": "L", "handle": 26, "unit": "m"})"), "第2个计算单元的平面图来源“plan”的图元句柄“handle”应为文本"},
        {"PlanFloorNumber", withRoom(kTriangle + R"(, "plan": {"file": "f", "layer": "L", "handle": "1A", "unit": "m", "floor": 2})"), "第2个计算单元的平面图来源“plan”的楼层“floor”应为文本"},
        {"DeclaredUnitInVersion5", withRoom(kTriangle + R"(, "plan": {"file": "f", "layer": "L", "handle": "1A", "unit": "mm", "declaredUnit": ""})", 5), "版本5的文件不能含有第2个计算单元的平面图来源“plan”的“declaredUnit”（版本6起才有）"},
        {"DeclaredUnitUnknown", withRoom(kTriangle + R"(, "plan": {"file": "f", "layer": "L", "handle": "1A", "unit": "mm", "declaredUnit": "furlong"})", 6), "第2个计算单元的平面图来源“plan”的“declaredUnit”值“furlong”无效"},
        {"SetPointsInVersion3", withRoom(kTriangle + R"(, "setPoints": [[0.2, 0.2]])", 3), "版本3的文件不能含有第2个计算单元的“setPoints”（版本4起才有）"},
        {"SetPointsNotArray", withPoints(R"({"x": 0.2, "y": 0.2})"), "第2个计算单元的设置点“setPoints”应为坐标数组"},
        {"SetPointsOnePair", withPoints("[0.2, 0.2]"), "第2个计算单元的设置点“setPoints”第1个点无效：应为两个数 [x, y]"},
        {"SetPointsTooMany", withPoints(points + "]"), "第2个计算单元的设置点“setPoints”过多：1000个，最多999个"},
        {"HandSetInVersion5", withRoom(kTriangle + R"(, "setPoints": [[0.2, 0.2]], "handSet": [0])", 5), "版本5的文件不能含有第2个计算单元的“handSet”（版本6起才有）"},
        {"HandSetNotAscending", withRoom(kTriangle + R"(, "setPoints": [[0.2, 0.2], [0.3, 0.2]], "handSet": [1, 1])", 6), "第2个计算单元的手动设置点“handSet”第2项“1”无效：应为0至1的整数，依次增大"},
        {"HandSetBeyondThePoints", withRoom(kTriangle + R"(, "handSet": [0])", 6), "第2个计算单元的手动设置点“handSet”没有对应的设置点“setPoints”"},
        {"HolesInVersion4", withRoom(R"("outline": [[[0, 0], [9, 0], [0, 9]], [[1, 1], [2, 1], [1, 2]]])", 4), "版本4的文件不能含有带洞口的第2个计算单元的轮廓“outline”（版本5起才有）"},
        {"HolesCrossing", withRoom(R"("outline": [[[0, 0], [9, 0], [0, 9]], [[1, 1], [3, 1], [1, 3]], [[2, 0.5], [4, 0.5], [2, 2]]])", 5), "第2个计算单元的轮廓“outline”的第2个洞口与第1个洞口相交或重叠"},
        {"AreaTwiceInAUnit", secondUnit(R"("area": 1500)", R"("area": 1500, "area": 99999)"), "第2个计算单元含有重复的键“area”"},
        {"EscapedQuoteInAKey", kHead + R"(, "x\"y": 1, "x\"y": 2, "units": []})", "含有重复的键“x\"y”"},
        {"SameKeysInTwoUnits", secondUnit("u1", "u2"), ""},
        {"KeyAsAValueIsNoKey", secondUnit(R"("u1")", R"("area")"), ""},
        {"LongestNames", secondUnit(R"("u1", "location": "")", longest + ", \"location\": " + longest), ""},
        {"ProjectNameTooLong", R"({"format": "fire-extinguisher-project", "version": 1, "units": [], "name": ")" + std::string(201, 'x') + "\"}", "工程名称“name”过长：201个字符，最多200个字符"},
        {"UnitNameTooLong", secondUnit(R"("u1")", hanzi), "第2个计算单元的名称“name”过长：201个字符，最多200个字符"},
        {"ModelOfMegabytes", secondUnit(R"("area")", R"("model": ")" + std::string(1'000'000, 'M') + R"(", "area")"), "第2个计算单元的灭火器型号“MMMM"},
        {"NestedTooDeep", kHead + R"(, "units": [], "x": )" + std::string(2000, '[') + std::string(2000, ']') + "}", "括号嵌套层数过多"},
        {"DoorsInVersion6", withTop(R"("format": "fire-extinguisher-project", "version": 6, "doors": [])"), "版本6的文件不能含有门“doors”（版本7起才有）"},
        {"DoorsNotArray", withTop(R"("format": "fire-extinguisher-project", "version": 7, "doors": {})"), "门“doors”应为数组"},
        {"DoorNoSwing", withDoor(R"(, "swing": 1)", ""), "第2个门缺少键“swing”"},
        {"DoorSwingTwo", withDoor(R"("swing": 1)", R"("swing": 2)"), "第2个门的开启方向“swing”值“2”无效，应为 -1、0 或 1"},
        {"DoorHingeText", withDoor("[0, 0]", R"("0, 0")"), "第2个门的“hinge”无效：应为两个数 [x, y]"},
        {"DoorTooWide", withDoor("[0.9, 0]", "[7, 0]"), "第2个门的宽度7 m无效：“hinge”至“end”应为0.3至6 m"},
        {"DoorWithoutFloor", withDoor(R"("一层")", R"("")"), "第2个门的楼层“floor”不能为空"},
        {"DoorKeyTwice", withDoor(R"("swing": 1)", R"("swing": 1, "swing": 1)"), "第2个门含有重复的键“swing”"},
        {"Combined", combined(kRoom, R"(, "floorOutline": [[0, 0], [3, 0], [3, 2], [0, 2]], "setPoints": [[1, 1]], "handSet": [0])"), ""},
        {"RoomsInVersion7", combined(kRoom, "", 7), "版本7的文件不能含有第2个计算单元的“rooms”（版本8起才有）"},
        {"RoomsNotArray", withRoom(R"("rooms": {})", 8), "第2个计算单元的房间“rooms”应为数组"},
        {"RoomWithoutOutline", combined(R"({"name": "b"})"), "第2个计算单元的第2个房间缺少键“outline”"},
        {"RoomNameNumber", combined(R"({"name": 2, "outline": [[2, 0], [3, 0], [2, 1]]})"), "第2个计算单元的第2个房间的名称“name”应为文本"},
        {"RoomNameTooLong", combined(R"({"name": )" + hanzi + R"(, "outline": [[2, 0], [3, 0], [2, 1]]})"), "第2个计算单元的第2个房间的名称“name”过长：201个字符"},
        {"RoomClockwise", combined(R"({"name": "b", "outline": [[2, 0], [2, 1], [3, 0]]})"), "第2个计算单元的第2个房间的轮廓“outline”应为逆时针方向"},
        {"RoomHoleOutside", combined(R"({"name": "b", "outline": [[[2, 0], [3, 0], [2, 1]], [[4, 4], [5, 4], [4, 5]]]})"), "第2个计算单元的第2个房间的轮廓“outline”的第1个洞口不在轮廓之内"},
        {"RoomPlanUnitUnknown", combined(R"({"name": "b", "outline": [[2, 0], [3, 0], [2, 1]], "plan": {"file": "f", "layer": "L", "handle": "1A", "unit": "furlong"}})"), "第2个计算单元的第2个房间的平面图来源“plan”的单位“unit”值“furlong”无效"},
        {"RoomKeyTwice", combined(R"({"name": "b", "name": "c", "outline": [[2, 0], [3, 0], [2, 1]]})"), "第2个计算单元的第2个房间含有重复的键“name”"},
        {"NoRooms", withRoom(R"("rooms": [])", 8), "第2个计算单元的房间“rooms”不足：0个，组合单元至少2个"},
        {"RoomsWithOutline", combined(kRoom, ", " + kTriangle), "第2个计算单元有房间“rooms”，不能再有自己的轮廓“outline”"},
        {"RoomsWithPlan", combined(kRoom, R"(, "plan": {"file": "f", "layer": "L", "handle": "1A", "unit": "m"})"), "第2个计算单元有房间“rooms”，不能再有自己的平面图来源“plan”"},
        {"FloorOutlineClockwise", combined(kRoom, R"(, "floorOutline": [[0, 0], [0, 2], [3, 0]])"), "第2个计算单元的楼层轮廓“floorOutline”应为逆时针方向"},
        {"FloorOutlineEmpty", combined(kRoom, R"(, "floorOutline": [])"), "第2个计算单元的楼层轮廓“floorOutline”顶点不足：至少3个"},
        {"FloorOutlineWithoutRooms", withRoom(kTriangle + R"(, "floorOutline": [[0, 0], [3, 0], [0, 2]])", 8), "第2个计算单元有楼层轮廓“floorOutline”却没有房间“rooms”"},
        {"UnitDoorWithoutRooms", withRoom(kTriangle + R"(, "doors": [{"floor": "一层", "file": "f.dxf", "handle": "2B", "hinge": [0, 0], "end": [0.9, 0], "swing": 1}])", 8), "第2个计算单元有门“doors”却没有房间“rooms”"},
        {"UnitDoorTooWide", combined(kRoom, R"(, "doors": [{"floor": "一层", "file": "f.dxf", "handle": "2B", "hinge": [0, 0], "end": [7, 0], "swing": 1}])"), "第2个计算单元的第1个门的宽度7 m无效"},
        {"FloorsInVersion7", withTop(R"("format": "fire-extinguisher-project", "version": 7, "floors": [])"), "版本7的文件不能含有楼层轮廓“floors”（版本8起才有）"},
        {"FloorsNotArray", withTop(R"("format": "fire-extinguisher-project", "version": 8, "floors": {})"), "楼层轮廓“floors”应为数组"},
        {"FloorWithoutHandle", withFloor(R"("floor": "一层", "file": "f.dxf", "outline": [[0, 0], [3, 0], [0, 2]])"), "第1个楼层轮廓缺少键“handle”"},
        {"FloorOutlineCrossing", withFloor(kFloor + R"(, "outline": [[0, 0], [4, 4], [4, 0], [0, 2]])"), "第1个楼层轮廓的“outline”自相交"},
        {"FloorOutlineOfText", withFloor(kFloor + R"(, "outline": "[]")"), "第1个楼层轮廓的“outline”应为坐标数组"},
        {"PlanUnitUnknown", withRoom(kTriangle + R"(, "plan": {"file": "f", "layer": "L", "handle": "1A", "unit": "furlong"})"), "第2个计算单元的平面图来源“plan”的单位“unit”值“furlong”无效"},
    };
}
// clang-format on

// The file is refused with a message that names it and the fault, and quotes no text whole.
void expectRefused(const QString& fileName, const char* fault) {
    const auto read = readProject(fileName);
    ASSERT_TRUE(std::holds_alternative<QString>(read)) << fault;
    const QString message = std::get<QString>(read);
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(fileName))) << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromUtf8(fault))) << message.toStdString();
    EXPECT_LT(message.size(), 300) << message.toStdString();
}

class BadFileTest : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadFileTest, IsRefusedNamingTheFileAndTheFault) {
    QTemporaryDir folder;
    const QString fileName = folder.filePath(u"坏文件.fep"_s);
    writeFile(fileName, QByteArray::fromStdString(GetParam().bytes));
    if (*GetParam().fault == '\0') {
        const auto read = readProject(fileName);
        EXPECT_TRUE(std::holds_alternative<core::Project>(read))
            << std::get<QString>(read).toStdString();
        return;
    }
    expectRefused(fileName, GetParam().fault);
}

INSTANTIATE_TEST_SUITE_P(ProjectFile, BadFileTest, ::testing::ValuesIn(badFiles()),
                         [](const auto& row) { return std::string(row.param.label); });

TEST(ProjectFile, RefusesWhatCannotBeRead) {
    QTemporaryDir folder;
    const QString large = folder.filePath(u"large.fep"_s);
    QFile file(large);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(kMaxProjectFileSize + 1));
    file.close();
    expectRefused(folder.filePath(u"missing.fep"_s), "文件不存在");
    expectRefused(folder.path(), "文件夹");
    expectRefused(large, "文件过大");
}

// A project is read back as it was saved, and a save replaces the file whole or not at all.
TEST(ProjectFile, KeepsEveryInputAndASaveReplacesTheFileWholeOrNotAtAll) {
    QTemporaryDir folder;
    const QString fileName = folder.filePath(u"工程.fep"_s);
    core::Project large = sampleProject();
    large.units.resize(50, large.units.front());
    ASSERT_EQ(saveProject(large, fileName), std::nullopt);
    const auto read = readProject(fileName);
    ASSERT_TRUE(std::holds_alternative<core::Project>(read))
        << std::get<QString>(read).toStdString();
    EXPECT_EQ(std::get<core::Project>(read), large);
    // A unit that follows the default model and N keeps neither key, nor a unit without setting
    // points theirs.
    const QJsonObject first = projectObject(large)[u"units"_s][0].toObject();
    EXPECT_FALSE(first.contains(u"model"_s) || first.contains(u"points"_s) ||
                 first.contains(u"setPoints"_s));
    EXPECT_EQ(projectObject(large)[u"version"_s], 8);
    // A project without doors, combined units or floors' outlines writes none of their keys: a
    // file of version 6 is saved as version 8 with nothing else changed.
    core::Project withoutDoors = large;
    withoutDoors.doors.clear();
    withoutDoors.floors.clear();
    std::erase_if(withoutDoors.units, [](const core::Unit& unit) { return unit.combined(); });
    QByteArray version6 = projectJson(withoutDoors);
    ASSERT_EQ(version6.count("\"version\": 8"), 1);
    version6.replace("\"version\": 8", "\"version\": 6");
    const auto read6 = parseProject(version6);
    ASSERT_TRUE(std::holds_alternative<core::Project>(read6));
    EXPECT_EQ(projectJson(std::get<core::Project>(read6)), projectJson(withoutDoors));
    const core::Project small{"小", {}};
    ASSERT_EQ(saveProject(small, fileName), std::nullopt);
    EXPECT_EQ(readFile(fileName), projectJson(small));  // nothing of the larger file is left

    // A unit that could not be read back is not saved, and the file keeps the last save.
    core::Project classD = small;
    classD.units.push_back(makeUnit("金属", core::FireClass::D, 10, core::Agent::Water));
    const auto refused = saveProject(classD, fileName);
    ASSERT_TRUE(refused.has_value());
    EXPECT_TRUE(refused->contains(u"第1个计算单元的火灾类别D"_s)) << refused->toStdString();
    EXPECT_EQ(readFile(fileName), projectJson(small));
    core::Project doorless = small;
    doorless.doors.push_back({"", "f.dxf", "", {0, 0}, {1, 0}, 0});
    EXPECT_TRUE(saveProject(doorless, fileName).value_or(u""_s).contains(u"第1个门的楼层"_s));
    core::Project oneRoom = small;
    oneRoom.units.push_back(combinedUnit());
    oneRoom.units[0].rooms.resize(1);
    EXPECT_TRUE(saveProject(oneRoom, fileName).value_or(u""_s).contains(u"第1个计算单元的房间"_s));
    core::Project flatFloor = small;
    flatFloor.floors.push_back({"一层", "f.dxf", "", {{0, 0}, {1, 1}, {2, 2}}});
    EXPECT_TRUE(saveProject(flatFloor, fileName).value_or(u""_s).contains(u"第1个楼层轮廓"_s));

    // Nor is info the reader would refuse.
    core::Project badInfo = small;
    badInfo.info.date = 2026y / February / 30;
    EXPECT_TRUE(saveProject(badInfo, fileName).value_or(u""_s).contains(u"“2026-02-30”无效"_s));
    badInfo.info.reviewedBy = std::string(core::kMaxNameLength + 1, 'x');
    EXPECT_TRUE(
        saveProject(badInfo, fileName).value_or(u""_s).contains(u"审核人“reviewedBy”过长"_s));
    EXPECT_EQ(readFile(fileName), projectJson(small));

    // A folder in the file's place, and a folder that is gone: refused, naming the file.
    const QString folderInPlace = folder.filePath(u"folder.fep"_s);
    ASSERT_TRUE(QDir().mkpath(folderInPlace + u"/inside"_s));
    const QString goneFolder = folder.filePath(u"gone/工程.fep"_s);
    for (const QString& target : {folderInPlace, goneFolder}) {
        const auto fault = saveProject(large, target);
        ASSERT_TRUE(fault.has_value());
        EXPECT_TRUE(fault->contains(QDir::toNativeSeparators(target))) << fault->toStdString();
    }
    EXPECT_TRUE(QFileInfo(folderInPlace + u"/inside"_s).isDir());
    EXPECT_FALSE(QFileInfo::exists(goneFolder));
}

// Makes a lock file look an hour old, as the lock of a window open for an hour does.
void age(const QString& lockFileName) {
#ifdef Q_OS_WIN
    // The lock holds its file open against writers; its times are attributes, which it shares.
    const std::wstring name = QDir::toNativeSeparators(lockFileName).toStdWString();
    HANDLE lock = CreateFileW(name.c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const auto hour = QDateTime::currentDateTimeUtc().addSecs(-3600).toMSecsSinceEpoch();
    // In 100 ns steps from 1601.
    const auto ticks = static_cast<ULONGLONG>(hour + 11644473600000LL) * 10000;
    const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    const bool set = SetFileTime(lock, nullptr, nullptr, &time) != 0;
    CloseHandle(lock);
    ASSERT_TRUE(set);
#else
    QFile lock(lockFileName);
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600),
                                 QFileDevice::FileModificationTime));
#endif
}

// A lock file as an earlier process of this one's id left it: this process's own, kept.
QByteArray ownLockLeftBehind() {
    const QTemporaryDir folder;
    QLockFile lock(folder.filePath(u"lock"_s));
    return lock.tryLock(0) ? readFile(folder.filePath(u"lock"_s)) : QByteArray();
}

TEST(RecoveryCopy, IsAnOrphanOnlyOnceItsWindowIsGoneAndIsRestoredOrDiscarded) {
    ASSERT_TRUE(QDir(RecoveryCopy::directory()).removeRecursively());
    const core::Project project = sampleProject();
    const QString fileName = u"/某处/工程.fep"_s;
    auto copy = std::make_unique<RecoveryCopy>();
    ASSERT_EQ(copy->write(project, fileName), std::nullopt);
    const QString path = copy->path();
    EXPECT_NE(RecoveryCopy().path(), path);
    age(path + u".lock"_s);
    EXPECT_TRUE(RecoveryCopy::findOrphans().isEmpty());  // its window lives, however long

    copy.reset();  // the window ends without removing its copy, as in a crash
    writeFile(path + u".lock"_s, ownLockLeftBehind());  // its lock left under this process's id
    const QList<RecoveryCopy::Orphan> orphans = RecoveryCopy::findOrphans();
    ASSERT_EQ(orphans.size(), 1);
    EXPECT_TRUE(orphans[0].path == path && orphans[0].fileName == fileName);

    RecoveryCopy restorer;
    const auto restored = restorer.restore(orphans[0]);
    ASSERT_TRUE(std::holds_alternative<RecoveredProject>(restored));
    EXPECT_EQ(std::get<RecoveredProject>(restored).project, project);
    EXPECT_EQ(std::get<RecoveredProject>(restored).fileName, fileName);
    EXPECT_TRUE(RecoveryCopy::findOrphans().isEmpty());  // the restoring window holds it now
    EXPECT_TRUE(std::holds_alternative<QString>(RecoveryCopy().restore(orphans[0])));

    restorer.remove();  // closed cleanly
    EXPECT_FALSE(QFileInfo::exists(path));

    // An orphan of a project never saved is discarded.
    ASSERT_EQ(RecoveryCopy().write(project, QString()), std::nullopt);  // its window ends at once
    const QList<RecoveryCopy::Orphan> unsaved = RecoveryCopy::findOrphans();
    ASSERT_TRUE(unsaved.size() == 1 && unsaved[0].fileName.isEmpty());
    RecoveryCopy::discard(unsaved[0]);
    EXPECT_TRUE(RecoveryCopy::findOrphans().isEmpty() && !QFileInfo::exists(unsaved[0].path));
}

TEST(ProjectLock, ASecondWindowFindsTheFileHeldAndAGoneProcessLosesIt) {
    QTemporaryDir folder;
    const QString fileName = folder.filePath(u"工程.fep"_s);
    ProjectLock first(fileName);
    ASSERT_EQ(first.lock(), ProjectLock::State::Held);
    age(ProjectLock::lockFileName(fileName));
    ProjectLock second(fileName);
    EXPECT_EQ(second.lock(), ProjectLock::State::HeldElsewhere);
    EXPECT_TRUE(second.holder().contains(QString::number(QCoreApplication::applicationPid())))
        << second.holder().toStdString();
    first.unlock();
    EXPECT_EQ(second.lock(), ProjectLock::State::Held);
    second.unlock();

    // The lock of a process that is gone is taken over: Linux gives none a number above 4194304,
    // and one that names this process's id was left by an earlier process given the same id.
    for (const QByteArray& left :
         {QByteArray("4194305\nextinguisher-calculator\n\n"), ownLockLeftBehind()}) {
        writeFile(ProjectLock::lockFileName(fileName), left);
        EXPECT_EQ(ProjectLock(fileName).lock(), ProjectLock::State::Held) << left.toStdString();
    }
}

}  // namespace
}  // namespace io

// The recovery copies go to a temporary home, never to the user's own data folder.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setApplicationName(u"project_file_tests"_s);
    return RUN_ALL_TESTS();
}
