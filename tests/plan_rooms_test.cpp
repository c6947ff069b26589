// From a drawing to rooms: the drawings written by ezdxf against what the script put in them,
// and drawings made here for nesting, names, faults and the layers proposed.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <cmath>
#include <numbers>
#include <string>

#include "plan_drawings.h"
#include "plan_rooms.h"
#include "project.h"

using namespace Qt::StringLiterals;

namespace io {
namespace {

using namespace tests;

class PlanDrawingRooms : public ::testing::TestWithParam<const char*> {};

TEST_P(PlanDrawingRooms, AreThoseTheScriptDrew) {
    const QString name = QString::fromLatin1(GetParam());
    const QJsonObject expected = expectedPlan(name);
    const auto read = readDxf(planPath(name));
    ASSERT_TRUE(std::holds_alternative<DxfDrawing>(read)) << std::get<QString>(read).toStdString();
    const DxfDrawing& drawing = std::get<DxfDrawing>(read);

    QStringList proposed;
    for (const PlanLayer& layer : planLayers(drawing)) {
        if (layer.proposed) {
            proposed << layer.name;
        }
    }
    QStringList expectedProposed;
    for (const auto& layer : expected[u"proposed"].toArray()) {
        expectedProposed << layer.toString();
    }
    ASSERT_EQ(proposed, expectedProposed);

    const PlanRooms plan = planRooms(drawing, proposed);
    const QJsonArray rooms = expected[u"rooms"].toArray();
    ASSERT_EQ(plan.rooms.size(), static_cast<std::size_t>(rooms.size()));
    for (qsizetype i = 0; i < rooms.size(); ++i) {
        const QJsonObject want = rooms[i].toObject();
        const PlanRoom& room = plan.rooms[static_cast<std::size_t>(i)];
        SCOPED_TRACE(want[u"handle"].toString().toStdString());
        EXPECT_EQ(std::tuple(room.handle, room.layer, room.name),
                  std::tuple(want[u"handle"].toString(), want[u"layer"].toString(),
                             want[u"name"].toString()));
        if (want[u"tolerance"].toDouble() == 0) {
            EXPECT_EQ(room.area, want[u"area"].toDouble());
        } else {
            EXPECT_NEAR(room.area, want[u"area"].toDouble(), want[u"tolerance"].toDouble());
        }
        // The outline as the project keeps it: metres, counter-clockwise, simple, not closed
        // by a repeated vertex, and its chords within the room.
        EXPECT_EQ(core::ringFault(room.outline), core::RingFault::None);
        EXPECT_GT(core::signedArea(room.outline), 0);
        EXPECT_NE(room.outline.front(), room.outline.back());
        EXPECT_LE(core::area(room.outline), room.area + 1e-9);
    }
    const QJsonArray refused = expected[u"rejected"].toArray();
    ASSERT_EQ(plan.refused.size(), static_cast<std::size_t>(refused.size()));
    for (qsizetype i = 0; i < refused.size(); ++i) {
        const QJsonObject want = refused[i].toObject();
        const RefusedOutline& got = plan.refused[static_cast<std::size_t>(i)];
        EXPECT_EQ(std::tuple(got.handle, got.layer, got.reason),
                  std::tuple(want[u"handle"].toString(), want[u"layer"].toString(),
                             want[u"reason"].toString()));
    }
}

INSTANTIATE_TEST_SUITE_P(Plans, PlanDrawingRooms, ::testing::ValuesIn(kPlanDrawings),
                         [](const auto& p) {
                             std::string name = p.param;
                             return name.substr(0, name.find('.'));
                         });

// Drawings made here, in metres unless a case says otherwise.
DxfPolyline outline(const char* handle, const core::Ring& ring, const char* layer = "ROOM") {
    DxfPolyline polyline;
    polyline.handle = QString::fromLatin1(handle);
    polyline.layer = QString::fromUtf8(layer);
    polyline.closed = true;
    for (const core::PlanPoint& p : ring) {
        polyline.vertices.push_back({p, 0});
    }
    return polyline;
}

core::Ring box(double x, double y, double width, double height) {
    return {{x, y}, {x + width, y}, {x + width, y + height}, {x, y + height}};
}

DxfText text(const QString& content, double x, double y, double height = 1) {
    return {{}, u"TEXT"_s, {x, y}, height, content, false};
}

// "handle name area" for each room (and "−N" for its holes), then "handle: reason" for each
// refused outline, then "overlap A B" for each pair of layers whose outlines overlap.
std::string summary(const PlanRooms& plan) {
    QStringList parts;
    for (const PlanRoom& room : plan.rooms) {
        parts << u"%1 %2 %3"_s.arg(room.handle, room.name, QString::number(room.area, 'g', 10)) +
                     (room.holes.empty() ? QString() : u" −%1"_s.arg(room.holes.size()));
    }
    for (const RefusedOutline& refused : plan.refused) {
        parts << u"%1: %2"_s.arg(refused.handle, refused.reason);
    }
    for (const auto& [first, second] : plan.overlappingLayers) {
        parts << u"overlap %1 %2"_s.arg(first, second);
    }
    return parts.join(u" | "_s).toStdString();
}

struct RoomsCase {
    const char* name;
    std::vector<DxfPolyline> polylines;
    std::vector<DxfText> texts;
    const char* summary;
    DrawingUnit unit = DrawingUnit::Metre;
};

class Rooms : public ::testing::TestWithParam<RoomsCase> {};

TEST_P(Rooms, AreFoundAndNamed) {
    const RoomsCase& c = GetParam();
    DxfDrawing drawing;
    drawing.polylines = c.polylines;
    drawing.texts = c.texts;
    drawing.unit = DrawingUnit::Millimetre;
    const PlanRooms plan = planRooms(drawing, {u"ROOM"_s, u"房间"_s, u"0"_s}, c.unit);
    EXPECT_EQ(summary(plan), c.summary);
    for (const PlanRoom& room : plan.rooms) {
        EXPECT_EQ(core::ringFault(room.outline), core::RingFault::None)
            << room.handle.toStdString();
        for (const core::Ring& hole : room.holes) {
            EXPECT_EQ(core::ringFault(hole), core::RingFault::None) << room.handle.toStdString();
        }
    }
}

DxfPolyline withFault(DxfPolyline polyline, const QString& fault) {
    polyline.vertices.clear();
    polyline.fault = fault;
    return polyline;
}

DxfPolyline open(DxfPolyline polyline) {
    polyline.closed = false;
    return polyline;
}

// The polyline with arcs from every vertex, or from the first only.
DxfPolyline bulged(DxfPolyline polyline, double bulge, bool firstOnly = false) {
    for (core::BulgeVertex& vertex : polyline.vertices) {
        vertex.bulge = bulge;
        if (firstOnly) {
            break;
        }
    }
    return polyline;
}

// A polygon of 60 vertices on a circle of radius 10 000 km: its arcs with bulge 0.9 take the
// most chords each, more than 200 000 in all.
core::Ring polygon60() {
    core::Ring ring;
    for (int i = 0; i < 60; ++i) {
        const double angle = 2 * std::numbers::pi * i / 60;
        ring.push_back({1e7 * std::cos(angle), 1e7 * std::sin(angle)});
    }
    return ring;
}

// clang-format off
const RoomsCase kRooms[] = {
    // The outermost of three nested outlines holds one room, as does the middle one.
    {"NestedThreeDeep", {outline("A", box(0, 0, 30, 30)), outline("B", box(1, 1, 20, 20)),
                         outline("C", box(2, 2, 5, 5))},
     {text(u"外"_s, 25, 25, 9), text(u"中"_s, 15, 15, 9), text(u"内"_s, 3, 3)},
     "C 内 25 | A: 包含 1 个房间 | B: 包含 1 个房间"},
    // A text where rooms overlap names the smaller; a text on an edge is inside.
    {"OverlappingRooms", {outline("P", box(0, 0, 10, 10)), outline("Q", box(8, 0, 4, 4))},
     {text(u"重叠处"_s, 9, 1), text(u"边上"_s, 0, 5, 0.5)},
     "P 边上 100 | Q 重叠处 16"},
    // The tallest text; of two as tall, the first; texts outside every room and empty ones are
    // no names.
    {"TallestFirst", {outline("R", box(0, 0, 4, 4)), outline("S", box(5, 0, 4, 4))},
     {text(u"小"_s, 1, 1, 2), text(u"大甲"_s, 1, 2, 5), text(u"大乙"_s, 1, 3, 5),
      text(u"外面"_s, 20, 20, 50), text(u" \n "_s, 6, 1, 50)},
     "R 大甲 16 | S 房间1 16"},
    {"NamesOnOneLine", {outline("T", box(0, 0, 4, 4))}, {text(u"  一层\n  大厅 \t"_s, 1, 1)},
     "T 一层 大厅 16"},
    // Open polylines and other layers give no rooms; an outline the reader kept with a fault is
    // refused with it; a second outline of one region is refused.
    {"FaultsAndRepeats", {outline("U", box(0, 0, 4, 4)), open(outline("V", box(5, 0, 4, 4))),
                          outline("W", box(10, 0, 4, 4), "FURN"),
                          withFault(outline("X", box(0, 5, 1, 1)), u"顶点超过100000个"_s),
                          outline("Y", {{4, 0}, {4, 4}, {0, 4}, {0, 0}}),
                          outline("", box(0, 0, 4, 4)),
                          outline("Z", {{0, 10}, {4, 10}, {0, 14}, {3, 14}}, "房间"),
                          outline("Z2", {{0, 20}, {4, 20}, {4, 20}, {8, 20}}),
                          outline("Z3", {{0, 30}, {4, 30}, {4, 30}}),
                          bulged(outline("Z4", polygon60()), 0.9)},
     {},
     "U 房间1 16 | X: 顶点超过100000个 | Y: 与轮廓 U 重合 | : 与轮廓 U 重合 | Z: 自相交 | "
     "Z2: 面积为零 | Z3: 顶点不足 | Z4: 顶点过多（圆弧分段后超过200000个）"},
    // The drawing's millimetres read as metres; a round room of radius 0.5 m: 0.785 m², the
    // circle's, not its chords'.
    {"UnitChosen", {outline("M", box(0, 0, 3, 4)), bulged(outline("O", {{10, 0}, {11, 0}}), 1)},
     {}, "M 房间1 12 | O 房间2 0.79"},
    {"UnitOfTheDrawing", {outline("M", box(0, 0, 3000, 4200)),
                          bulged(outline("O", {{10000, 0}, {11000, 0}}), 1)},
     {text(u"%%c"_s, 1500, 2000)}, "M %%c 12.6 | O 房间1 0.79", DrawingUnit::Millimetre},
    // A round hall of radius 60 m: π·3600 = 11 309.73… m², rounded up; a square whose side is a
    // semicircle into it: 100 − 12.5π = 60.73… m².
    {"ArcsOfKnownArea", {bulged(outline("H", {{0, 0}, {120, 0}}), 1),
                         bulged(outline("I", box(200, 0, 10, 10)), -1, true)},
     {}, "H 房间1 11309.74 | I 房间2 60.74"},
    // A void in a lobby on a floor, named (and its name taller than the lobby's) or not, is a
    // hole; a column in a void is refused. A shaft across a room cuts it in two.
    {"LobbyWithVoid", {outline("F", box(-1, -1, 50, 30)), outline("L", box(0, 0, 30, 20)),
                       outline("V", box(10, 6, 10, 8)), outline("K", box(12, 8, 0.5, 0.5)),
                       outline("W", box(1, 15, 2, 2)), outline("S", box(31, 0, 10, 10)),
                       outline("T", box(35, 0, 1, 10))},
     {text(u"门厅"_s, 5, 5), text(u"中庭（上空）"_s, 15, 10, 2), text(u"库房"_s, 32, 1)},
     "L 门厅 516 −2 | F: 包含 2 个房间 | K: 位于洞口 V 内 | S: 被洞口分成 2 块 | "
     "T: 位于轮廓 S 内"},
    // Columns in a restaurant: inside it (square and round), and in its corner, which notches
    // the outline.
    {"RestaurantWithColumns", {outline("R", box(0, 0, 10, 10)), outline("C1", box(4, 4, 0.6, 0.6)),
                               outline("C2", box(0, 0, 0.6, 0.6)),
                               bulged(outline("C3", {{7, 7}, {7.6, 7}}), 1)},
     {text(u"餐厅"_s, 2, 2)}, "R 餐厅 99 −2"},
    // A hole along two of a room's sides, which the cut leaves with a spike of rounding noise.
    {"HoleAlongTwoSides", {outline("A", box(0, 0, 4000, 3000)),
                           outline("B", {{4000, 0}, {4000, 3000}, {40, 3000}})},
     {}, "A 房间1 6.06", DrawingUnit::Millimetre},
    // Outlines one region to within 0.01 m² (a copy 1e-9 mm away) are one room; 2 mm apart, two.
    {"NearDuplicates", {outline("A", box(0, 0, 4000, 4000)), outline("B", box(1e-9, 0, 4000, 4000)),
                        outline("D", box(9000, 0, 4000, 4000)), outline("E", box(9002, 0, 4000, 4000))},
     {}, "A 房间1 16 | D 房间2 16 | E 房间3 16 | B: 与轮廓 A 重合", DrawingUnit::Millimetre},
    // Outlines under 1 m² on a layer not proposed are no rooms: a label frame leaves the room
    // its name; on a proposed layer one is a room.
    {"SmallOutlines", {outline("A", box(0, 0, 4, 4)), outline("F", box(0.5, 0.5, 1.2, 0.6), "0"),
                       outline("G", box(10, 0, 0.5, 0.5), "0"), outline("S", box(20, 0, 0.5, 0.5))},
     {text(u"办公室"_s, 1, 1, 0.3)},
     "A 办公室 16 | S 房间1 0.25 | F: 面积小于 1 m² | G: 面积小于 1 m² | overlap ROOM 0"},
    // Area labels are no names, nor lines of names; a room number is. Layers match in any case.
    {"AreaLabels", {outline("P", box(0, 0, 4, 4), "room"), outline("Q", box(5, 0, 4, 4)),
                    outline("R", box(10, 0, 4, 4)), outline("T", box(15, 0, 4, 4)),
                    outline("U", box(20, 0, 4, 4))},
     {text(u"卧室"_s, 1, 1, 0.3), text(u"16.00m²"_s, 1, 2, 0.5), text(u"S=16"_s, 6, 1),
      text(u"客厅\n(16.00㎡)"_s, 11, 1), text(u"101"_s, 16, 1), text(u"面积：16 m2"_s, 21, 1),
      text(u"厨房"_s, 21, 2, 0.2), text(u"16.00"_s, 21, 3)},
     "P 卧室 16 | Q 房间1 16 | R 客厅 16 | T 101 16 | U 厨房 16"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Plans, Rooms, ::testing::ValuesIn(kRooms),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(Rooms, LongNamesAreCutToAUnitsName) {
    DxfDrawing drawing;
    drawing.polylines = {outline("A", box(0, 0, 4, 4))};
    // 199 characters and one beyond U+FFFF, whose halves the cut keeps together.
    drawing.texts = {text(QString(199, u'长') + u"😀😀"_s, 1, 1)};
    const PlanRooms plan = planRooms(drawing, {u"ROOM"_s});
    ASSERT_EQ(plan.rooms.size(), 1U);
    EXPECT_EQ(plan.rooms[0].name, QString(199, u'长'));
    drawing.texts = {text(QString(300, u'长'), 1, 1)};
    EXPECT_EQ(planRooms(drawing, {u"ROOM"_s}).rooms[0].name.size(), core::kMaxNameLength);
}

TEST(Rooms, EachOfManyGetsItsOwnText) {
    // 2000 rooms of 4 m × 3 m in a grid, five texts in each, the third the tallest.
    DxfDrawing drawing;
    drawing.unit = DrawingUnit::Metre;
    for (int row = 0; row < 40; ++row) {
        for (int column = 0; column < 50; ++column) {
            const QByteArray handle = QByteArray::number(row * 50 + column, 16);
            drawing.polylines.push_back(
                outline(handle.constData(), box(column * 4, row * 3, 4, 3)));
            for (int t = 0; t < 5; ++t) {
                drawing.texts.push_back(text(u"%1-%2-%3"_s.arg(row).arg(column).arg(t),
                                             column * 4 + 0.5 + t * 0.5, row * 3 + 1.5,
                                             t == 2 ? 0.5 : 0.3));
            }
        }
    }
    const PlanRooms plan = planRooms(drawing, {u"ROOM"_s});
    ASSERT_EQ(plan.rooms.size(), 2000U);
    EXPECT_TRUE(plan.refused.empty());
    for (int i = 0; i < 2000; ++i) {
        EXPECT_EQ(plan.rooms[static_cast<std::size_t>(i)].name,
                  u"%1-%2-2"_s.arg(i / 50).arg(i % 50));
        EXPECT_EQ(plan.rooms[static_cast<std::size_t>(i)].area, 12);
    }
}

TEST(Layers, ProposedByName) {
    DxfDrawing drawing;
    drawing.layers = {u"0"_s, u"房间2"_s, u"FURN"_s, u"Room-Area"_s, u"建筑面积"_s, u"Xarea"_s};
    drawing.polylines = {
        outline("A", box(0, 0, 1, 1), "FURN"),     outline("B", box(0, 0, 1, 1), "Room-Area"),
        outline("C", box(0, 0, 1, 1), "建筑面积"), outline("D", box(0, 0, 1, 1), "Xarea"),
        open(outline("E", box(0, 0, 1, 1), "0")),  outline("F", box(0, 0, 1, 1), "墙"),
        outline("G", box(0, 0, 1, 1), "FURN")};
    // Layers of columns, walls, axes, dimensions, texts, furniture and hatches, whatever else
    // their names say.
    for (const char* name :
         {"COLUMN-AREA", "房间柱", "WALL_ROOM", "墙面积", "AXIS-AREA", "轴房间", "DIM-AREA",
          "面积标注", "ROOM-TEXT", "房间文字", "furn-room", "家具面积", "AREA-HATCH", "面积填充"}) {
        drawing.polylines.push_back(outline("H", box(0, 0, 1, 1), name));
    }
    const auto layers = [&] {
        QStringList list;
        for (const PlanLayer& layer : planLayers(drawing)) {
            list << u"%1:%2%3"_s.arg(layer.name)
                        .arg(layer.outlines)
                        .arg(layer.proposed ? u"*"_s : QString());
        }
        return list.join(u' ').toStdString();
    };
    const std::string never =
        " 墙:1 COLUMN-AREA:1 房间柱:1 WALL_ROOM:1 墙面积:1 AXIS-AREA:1 轴房间:1 DIM-AREA:1 "
        "面积标注:1 "
        "ROOM-TEXT:1 房间文字:1 furn-room:1 家具面积:1 AREA-HATCH:1 面积填充:1";
    EXPECT_EQ(layers(), "0:0 房间2:0 FURN:2 Room-Area:1* 建筑面积:1* Xarea:1*" + never);
    // Where no layer's name says that it holds rooms, none is proposed.
    drawing.polylines.erase(drawing.polylines.begin() + 1, drawing.polylines.begin() + 4);
    EXPECT_EQ(layers(), "0:0 房间2:0 FURN:2 Room-Area:0 建筑面积:0 Xarea:0" + never);
    // Looked up as CAD programs look up layers, without regard to case.
    const std::vector<PlanLayer> found = planLayers(drawing);
    ASSERT_NE(layerNamed(found, u"room-AREA"_s), nullptr);
    EXPECT_EQ(layerNamed(found, u"room-AREA"_s)->name, u"Room-Area"_s);
    EXPECT_EQ(layerNamed(found, u"Room"_s), nullptr);
}

}  // namespace
}  // namespace io
