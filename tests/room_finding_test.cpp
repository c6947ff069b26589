// From a floor plan's outlines and texts to rooms: nesting, overlap, names, holes and faults.
#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>
#include <string>
#include <utility>

#include "room_finding.h"
#include "room_names.h"

namespace core {
namespace {

// Plans made here, in metres; outlines on a layer proposed unless a case says otherwise.
PlanOutline outline(const char* handle, const Ring& ring, bool proposedLayer = true) {
    PlanOutline outline{handle, "ROOM", {}, proposedLayer};
    for (const PlanPoint& p : ring) {
        outline.vertices.push_back({p, 0});
    }
    return outline;
}

Ring box(double x, double y, double width, double height) {
    return {{x, y}, {x + width, y}, {x + width, y + height}, {x, y + height}};
}

PlanText text(const char* content, double x, double y, double height = 1) {
    return {{x, y}, height, content};
}

// The outline with arcs from every vertex.
PlanOutline bulged(PlanOutline outline, double bulge) {
    for (BulgeVertex& vertex : outline.vertices) {
        vertex.bulge = bulge;
    }
    return outline;
}

// 60 arcs of 10 000 km: each takes the most chords, more than 200 000 in all.
PlanOutline manyArcs() {
    PlanOutline outline{"Z4", "ROOM", {}};
    for (int i = 0; i < 60; ++i) {
        outline.vertices.push_back({{1e7 * i, 1e7 * (i % 2)}, 0.9});
    }
    return outline;
}

// "handle name area" for each room ("?N" for the N-th without a name, "−N" for its holes), then
// "handle: reason" for each refused outline, with the outline or the number that the reason names.
std::string summary(const std::vector<PlanOutline>& outlines, const FoundRooms& found) {
    static const char* const kReasons[] = {
        "unread", "too many",  "too few", "infinite", "no area", "crossing",  "repeats",
        "holds",  "too small", "in hole", "split in", "broken",  "in refused"};
    std::string text;
    const auto add = [&text](const std::string& part) {
        text += (text.empty() ? "" : " | ") + part;
    };
    for (std::size_t i = 0; i < found.rooms.size(); ++i) {
        const PlanRoomInput& room = found.rooms[i];
        std::ostringstream area;
        area << std::setprecision(10) << room.area;
        const std::size_t number = found.unnamedNumbers[i];
        add(room.handle + ' ' + (number == 0 ? room.name : '?' + std::to_string(number)) + ' ' +
            area.str() + (room.holes.empty() ? "" : " −" + std::to_string(room.holes.size())));
    }
    for (const RefusedOutline& refused : found.refused) {
        const OutlineRefusal reason = refused.reason;
        const bool namesOther = reason == OutlineRefusal::Repeat ||
                                reason == OutlineRefusal::InHole ||
                                reason == OutlineRefusal::InRefusedRoom;
        add(outlines[refused.outline].handle + ": " + kReasons[static_cast<std::size_t>(reason)] +
            (namesOther ? ' ' + outlines[refused.other].handle : "") +
            (refused.count > 0 ? ' ' + std::to_string(refused.count) : ""));
    }
    for (const FoundFloor& floor : found.floors) {
        add(outlines[floor.outline].handle + ": floor of " + std::to_string(floor.rooms));
    }
    return text;
}

struct RoomsCase {
    const char* name;
    std::vector<PlanOutline> outlines;
    std::vector<PlanText> texts;
    const char* summary;
};

class Rooms : public ::testing::TestWithParam<RoomsCase> {};

TEST_P(Rooms, AreFoundAndNamed) {
    const RoomsCase& c = GetParam();
    EXPECT_EQ(summary(c.outlines, findRooms(c.outlines, c.texts)), c.summary);
}

// clang-format off
const RoomsCase kRooms[] = {
    // The outermost of three nested outlines holds one room, as does the middle one.
    {"NestedThreeDeep", {outline("A", box(0, 0, 30, 30)), outline("B", box(1, 1, 20, 20)),
                         outline("C", box(2, 2, 5, 5))},
     {text("外", 25, 25, 9), text("中", 15, 15, 9), text("内", 3, 3)},
     "C 内 25 | A: holds 1 | B: holds 1"},
    // An outline round two rooms and a suite of one is the floor's; the suite's is refused.
    {"FloorRoundRoomsAndASuite", {outline("F", box(0, 0, 40, 20)), outline("A", box(1, 1, 5, 5)),
                                  outline("B", box(7, 1, 5, 5)), outline("S", box(20, 1, 10, 10)),
                                  outline("C", box(21, 2, 4, 4))},
     {text("甲", 2, 2), text("乙", 8, 2), text("丙", 22, 3), text("套", 27, 9)},
     "A 甲 25 | B 乙 25 | C 丙 16 | S: holds 1 | F: floor of 3"},
    // A text where rooms overlap names the smaller; a text on an edge is inside.
    {"OverlappingRooms", {outline("P", box(0, 0, 10, 10)), outline("Q", box(8, 0, 4, 4))},
     {text("重叠处", 9, 1), text("边上", 0, 5, 0.5)},
     "P 边上 100 | Q 重叠处 16"},
    // The tallest text; of two as tall, the first; texts outside every room and empty ones are
    // no names.
    {"TallestFirst", {outline("R", box(0, 0, 4, 4)), outline("S", box(5, 0, 4, 4))},
     {text("小", 1, 1, 2), text("大甲", 1, 2, 5), text("大乙", 1, 3, 5),
      text("外面", 20, 20, 50), text(" \n\u3000", 6, 1, 50)},
     "R 大甲 16 | S ?1 16"},
    // An outline the reader kept no vertices of is refused; a second outline of one region is
    // refused, as are outlines that are not simple or that take too many chords.
    {"FaultsAndRepeats", {outline("U", box(0, 0, 4, 4)), PlanOutline{"X", "ROOM", {}, true, true},
                          outline("Y", {{4, 0}, {4, 4}, {0, 4}, {0, 0}}),
                          outline("", box(0, 0, 4, 4)),
                          outline("Z", {{0, 10}, {4, 10}, {0, 14}, {3, 14}}),
                          outline("Z2", {{0, 20}, {4, 20}, {4, 20}, {8, 20}}),
                          outline("Z3", {{0, 30}, {4, 30}, {4, 30}}),
                          manyArcs()},
     {},
     "U ?1 16 | X: unread | Y: repeats U | : repeats U | Z: crossing | "
     "Z2: no area | Z3: too few | Z4: too many"},
    // A round room of radius 0.5 m: 0.785 m², the circle's, not its chords'. A round hall of
    // radius 60 m: π·3600 = 11 309.73… m², rounded up; a square whose side is a semicircle into
    // it: 100 − 12.5π = 60.73… m².
    {"ArcsOfKnownArea", {outline("M", box(0, 0, 3, 4.2)),
                         bulged(outline("O", {{10, 0}, {11, 0}}), 1),
                         bulged(outline("H", {{0, 1000}, {120, 1000}}), 1),
                         PlanOutline{"I", "ROOM", {{{200, 0}, -1}, {{210, 0}, 0}, {{210, 10}, 0},
                                                   {{200, 10}, 0}}, true}},
     {text("%%c", 1.5, 2)}, "M %%c 12.6 | O ?1 0.79 | H ?2 11309.74 | I ?3 60.74"},
    // A void in a lobby on a floor, named (and its name taller than the lobby's) or not, is a
    // hole; a column in a void is refused. A shaft across a room cuts it in two; that room still
    // takes its number among those without a name.
    {"LobbyWithVoid", {outline("F", box(-1, -1, 50, 30)), outline("L", box(0, 0, 30, 20)),
                       outline("V", box(10, 6, 10, 8)), outline("K", box(12, 8, 0.5, 0.5)),
                       outline("W", box(1, 15, 2, 2)), outline("S", box(31, 0, 10, 10)),
                       outline("T", box(35, 0, 1, 10)), outline("R", box(50, 0, 4, 4))},
     {text("门厅", 5, 5), text("中庭（上空）", 15, 10, 2)},
     "L 门厅 516 −2 | R ?2 16 | F: holds 1 | K: in hole V | S: split in 2 | T: in refused S"},
    // Columns in a restaurant: inside it (square and round), and in its corner, which notches
    // the outline.
    {"RestaurantWithColumns", {outline("R", box(0, 0, 10, 10)), outline("C1", box(4, 4, 0.6, 0.6)),
                               outline("C2", box(0, 0, 0.6, 0.6)),
                               bulged(outline("C3", {{7, 7}, {7.6, 7}}), 1)},
     {text("餐厅", 2, 2)}, "R 餐厅 99 −2"},
    // A hole along two of a room's sides (drawn in millimetres), which the cut leaves with a
    // spike of rounding noise.
    {"HoleAlongTwoSides", {outline("A", box(0, 0, 4000 * 0.001, 3000 * 0.001)),
                           outline("B", {{4000 * 0.001, 0}, {4000 * 0.001, 3000 * 0.001},
                                         {40 * 0.001, 3000 * 0.001}})},
     {}, "A ?1 6.06"},
    // Outlines one region to within 0.01 m² (a copy 1e-12 m away) are one room; 2 mm apart, two.
    {"NearDuplicates", {outline("A", box(0, 0, 4, 4)), outline("B", box(1e-12, 0, 4, 4)),
                        outline("D", box(9, 0, 4, 4)), outline("E", box(9.002, 0, 4, 4))},
     {}, "A ?1 16 | D ?2 16 | E ?3 16 | B: repeats A"},
    // Outlines under 1 m² on a layer not proposed are no rooms: a label frame leaves the room
    // its name; on a proposed layer one is a room.
    {"SmallOutlines", {outline("A", box(0, 0, 4, 4)), outline("F", box(0.5, 0.5, 1.2, 0.6), false),
                       outline("G", box(10, 0, 0.5, 0.5), false), outline("S", box(20, 0, 0.5, 0.5))},
     {text("办公室", 1, 1, 0.3)},
     "A 办公室 16 | S ?1 0.25 | F: too small | G: too small"},
    // Area labels are no names, nor lines of names; a room number is.
    {"AreaLabels", {outline("P", box(0, 0, 4, 4)), outline("Q", box(5, 0, 4, 4))},
     {text("卧室", 1, 1, 0.3), text("16.00m²", 1, 2, 0.5), text("S=16", 6, 1)},
     "P 卧室 16 | Q ?1 16"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Plans, Rooms, ::testing::ValuesIn(kRooms),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(RoomNames, AreTheLinesOfATextThatLabelNoArea) {
    std::string long199;  // and one beyond U+FFFF, whose halves the cut keeps together
    while (long199.size() < std::size_t{199} * 3) {
        long199 += "长";
    }
    // clang-format off
    const std::pair<std::string, std::string> kNames[] = {
        {"  一层\n  大厅 \t", "一层 大厅"}, {" \n\u3000\u00a0", ""}, {"客厅\n(16.00㎡)", "客厅"},
        {"16.00m²", ""}, {"S=16", ""}, {"ſ ：16", ""}, {"101", "101"}, {"面积：16 m2", ""},
        {"[建筑面积=16,5 平米]", ""}, {"16.00", ""}, {"16 SQ. m", ""}, {"S16", "S16"},
        {"16 m", "16 m"}, {"１６.0", "１６.0"}, {long199 + "😀😀", long199},
        {long199 + "长长", long199 + "长"}};
    // clang-format on
    for (const auto& [text, name] : kNames) {
        EXPECT_EQ(roomNameOf(text), name) << text;
    }
    // Rooms walked through to others.
    const std::pair<std::string, bool> kCirculation[] = {
        {"走廊", true},     {"内走道", true}, {"过道", true},   {"一层门厅", true}, {"大厅", true},
        {"合用前室", true}, {"楼梯间", true}, {"电梯厅", true}, {"疏散通道", true}, {"连廊", true},
        {"办公室", false},  {"厅", false},    {"楼梯", false},  {"", false}};
    for (const auto& [name, walked] : kCirculation) {
        EXPECT_EQ(isCirculationName(name), walked) << name;
    }
}

TEST(Rooms, EachOfManyGetsItsOwnText) {
    // 2000 rooms of 4 m × 3 m in rows of 50, five texts in each, the third the tallest.
    std::vector<PlanOutline> outlines;
    std::vector<PlanText> texts;
    for (int i = 0; i < 2000; ++i) {
        const PlanPoint corner{i % 50 * 4.0, (i - i % 50) / 50.0 * 3};
        outlines.push_back(outline("", box(corner.x, corner.y, 4, 3)));
        for (int t = 0; t < 5; ++t) {
            texts.push_back({{corner.x + 0.5 + t * 0.5, corner.y + 1.5},
                             t == 2 ? 0.5 : 0.3,
                             std::to_string(i * 10 + t)});
        }
    }
    const FoundRooms found = findRooms(outlines, texts);
    ASSERT_EQ(found.rooms.size(), 2000U);
    EXPECT_TRUE(found.refused.empty());
    for (std::size_t i = 0; i < 2000; ++i) {
        EXPECT_EQ(found.rooms[i].name, std::to_string(i * 10 + 2));
        EXPECT_EQ(found.rooms[i].area, 12);
    }
}

}  // namespace
}  // namespace core
