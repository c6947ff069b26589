// From a floor plan's outlines and texts to rooms: nesting, overlap, names, holes and faults.
#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <numbers>
#include <sstream>
#include <string>

#include "room_finding.h"

namespace core {
namespace {

// A millimetre, in metres, as a drawing in millimetres is read.
constexpr double kMm = 0.001;

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

PlanOutline unread(PlanOutline outline) {
    outline.vertices.clear();
    outline.unread = true;
    return outline;
}

// The outline with arcs from every vertex, or from the first only.
PlanOutline bulged(PlanOutline outline, double bulge, bool firstOnly = false) {
    for (BulgeVertex& vertex : outline.vertices) {
        vertex.bulge = bulge;
        if (firstOnly) {
            break;
        }
    }
    return outline;
}

// A polygon of 60 vertices on a circle of radius 10 000 km: its arcs with bulge 0.9 take the
// most chords each, more than 200 000 in all.
Ring polygon60() {
    Ring ring;
    for (int i = 0; i < 60; ++i) {
        const double angle = 2 * std::numbers::pi * i / 60;
        ring.push_back({1e7 * std::cos(angle), 1e7 * std::sin(angle)});
    }
    return ring;
}

// "handle name area" for each room ("?N" for the N-th without a name, "−N" for its holes), then
// "handle: reason" for each refused outline, with the outline or the number that the reason names.
std::string summary(const std::vector<PlanOutline>& outlines, const FoundRooms& found) {
    static const char* const kReasons[] = {
        "unread",    "too many vertices", "too few vertices", "not finite",
        "zero area", "self-intersecting", "repeats",          "holds",
        "too small", "in hole",           "split in",         "broken",
        "in refused"};
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
        std::string part = outlines[refused.outline].handle + ": " +
                           kReasons[static_cast<std::size_t>(refused.reason)];
        switch (refused.reason) {
            case OutlineRefusal::Repeat:
            case OutlineRefusal::InHole:
            case OutlineRefusal::InRefusedRoom:
                part += ' ' + outlines[refused.other].handle;
                break;
            case OutlineRefusal::HoldsRooms:
            case OutlineRefusal::SplitByHoles:
                part += ' ' + std::to_string(refused.count);
                break;
            default:
                break;
        }
        add(part);
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
    const FoundRooms found = findRooms(c.outlines, c.texts);
    EXPECT_EQ(summary(c.outlines, found), c.summary);
    for (const PlanRoomInput& room : found.rooms) {
        EXPECT_EQ(ringFault(room.outline), RingFault::None) << room.handle;
        EXPECT_GT(signedArea(room.outline), 0) << room.handle;
        for (const Ring& hole : room.holes) {
            EXPECT_EQ(ringFault(hole), RingFault::None) << room.handle;
        }
    }
}

// clang-format off
const RoomsCase kRooms[] = {
    // The outermost of three nested outlines holds one room, as does the middle one.
    {"NestedThreeDeep", {outline("A", box(0, 0, 30, 30)), outline("B", box(1, 1, 20, 20)),
                         outline("C", box(2, 2, 5, 5))},
     {text("外", 25, 25, 9), text("中", 15, 15, 9), text("内", 3, 3)},
     "C 内 25 | A: holds 1 | B: holds 1"},
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
    {"NamesOnOneLine", {outline("T", box(0, 0, 4, 4))}, {text("  一层\n  大厅 \t", 1, 1)},
     "T 一层 大厅 16"},
    // An outline the reader kept no vertices of is refused; a second outline of one region is
    // refused, as are outlines that are not simple or that take too many chords.
    {"FaultsAndRepeats", {outline("U", box(0, 0, 4, 4)), unread(outline("X", box(0, 5, 1, 1))),
                          outline("Y", {{4, 0}, {4, 4}, {0, 4}, {0, 0}}),
                          outline("", box(0, 0, 4, 4)),
                          outline("Z", {{0, 10}, {4, 10}, {0, 14}, {3, 14}}),
                          outline("Z2", {{0, 20}, {4, 20}, {4, 20}, {8, 20}}),
                          outline("Z3", {{0, 30}, {4, 30}, {4, 30}}),
                          bulged(outline("Z4", polygon60()), 0.9)},
     {},
     "U ?1 16 | X: unread | Y: repeats U | : repeats U | Z: self-intersecting | "
     "Z2: zero area | Z3: too few vertices | Z4: too many vertices"},
    // A round room of radius 0.5 m: 0.785 m², the circle's, not its chords'. A round hall of
    // radius 60 m: π·3600 = 11 309.73… m², rounded up; a square whose side is a semicircle into
    // it: 100 − 12.5π = 60.73… m².
    {"ArcsOfKnownArea", {outline("M", box(0, 0, 3, 4.2)),
                         bulged(outline("O", {{10, 0}, {11, 0}}), 1),
                         bulged(outline("H", {{0, 1000}, {120, 1000}}), 1),
                         bulged(outline("I", box(200, 0, 10, 10)), -1, true)},
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
    // A hole along two of a room's sides, which the cut leaves with a spike of rounding noise.
    {"HoleAlongTwoSides", {outline("A", box(0, 0, 4000 * kMm, 3000 * kMm)),
                           outline("B", {{4000 * kMm, 0}, {4000 * kMm, 3000 * kMm},
                                         {40 * kMm, 3000 * kMm}})},
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
    {"AreaLabels", {outline("P", box(0, 0, 4, 4)), outline("Q", box(5, 0, 4, 4)),
                    outline("R", box(10, 0, 4, 4)), outline("T", box(15, 0, 4, 4)),
                    outline("U", box(20, 0, 4, 4))},
     {text("卧室", 1, 1, 0.3), text("16.00m²", 1, 2, 0.5), text("S=16", 6, 1),
      text("客厅\n(16.00㎡)", 11, 1), text("101", 16, 1), text("面积：16 m2", 21, 1),
      text("厨房", 21, 2, 0.2), text("16.00", 21, 3)},
     "P 卧室 16 | Q ?1 16 | R 客厅 16 | T 101 16 | U 厨房 16"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Plans, Rooms, ::testing::ValuesIn(kRooms),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(Rooms, LongNamesAreCutToAUnitsName) {
    // 199 characters and one beyond U+FFFF, whose halves the cut keeps together.
    std::string name;
    for (int i = 0; i < 199; ++i) {
        name += "长";
    }
    const std::vector<PlanOutline> outlines = {outline("A", box(0, 0, 4, 4))};
    FoundRooms found = findRooms(outlines, {{{1, 1}, 1, name + "😀😀"}});
    ASSERT_EQ(found.rooms.size(), 1U);
    EXPECT_EQ(found.rooms[0].name, name);
    found = findRooms(outlines, {{{1, 1}, 1, name + "长长"}});
    EXPECT_EQ(found.rooms[0].name, name + "长");
}

TEST(Rooms, EachOfManyGetsItsOwnText) {
    // 2000 rooms of 4 m × 3 m in a grid, five texts in each, the third the tallest.
    std::vector<PlanOutline> outlines;
    std::vector<PlanText> texts;
    const auto name = [](int row, int column, int t) {
        return std::to_string(row) + '-' + std::to_string(column) + '-' + std::to_string(t);
    };
    for (int row = 0; row < 40; ++row) {
        for (int column = 0; column < 50; ++column) {
            outlines.push_back(outline("", box(column * 4, row * 3, 4, 3)));
            for (int t = 0; t < 5; ++t) {
                texts.push_back({{column * 4 + 0.5 + t * 0.5, row * 3 + 1.5},
                                 t == 2 ? 0.5 : 0.3,
                                 name(row, column, t)});
            }
        }
    }
    const FoundRooms found = findRooms(outlines, texts);
    ASSERT_EQ(found.rooms.size(), 2000U);
    EXPECT_TRUE(found.refused.empty());
    for (int i = 0; i < 2000; ++i) {
        EXPECT_EQ(found.rooms[static_cast<std::size_t>(i)].name, name(i / 50, i % 50, 2));
        EXPECT_EQ(found.rooms[static_cast<std::size_t>(i)].area, 12);
    }
}

}  // namespace
}  // namespace core
