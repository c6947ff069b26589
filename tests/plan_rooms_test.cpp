// From a drawing to rooms: the drawings written by ezdxf read against what the script put in
// them, and drawings made here for the outlines taken, the reasons worded and the layers proposed.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <cmath>
#include <map>
#include <string>

#include "plan_drawings.h"
#include "plan_rooms.h"
#include "project.h"

using namespace Qt::StringLiterals;

namespace io {
namespace {

using namespace tests;

// "handle layer name area" for each room, then "handle layer: reason" for each refused outline.
QStringList summary(const PlanRooms& plan) {
    QStringList parts;
    for (const core::PlanRoomInput& room : plan.rooms) {
        parts << QString::fromStdString(room.handle + ' ' + room.layer + ' ' + room.name + ' ') +
                     QString::number(room.area, 'g', 17);
        // Not closed by a repeated vertex; the chords, less the holes', within the room.
        EXPECT_NE(room.outline.front(), room.outline.back());
        double chords = core::area(room.outline);
        for (const core::Ring& hole : room.holes) {
            chords -= core::area(hole);
        }
        EXPECT_LE(chords, room.area + 1e-9);
    }
    for (const RefusedOutline& refused : plan.refused) {
        parts << u"%1 %2: %3"_s.arg(refused.handle, refused.layer, refused.reason);
    }
    for (const core::PlanFloor& floor : plan.floors.value_or(std::vector<core::PlanFloor>{})) {
        parts << u"%1: 楼层轮廓"_s.arg(QString::fromStdString(floor.handle));
    }
    return parts;
}

class PlanDrawing : public ::testing::TestWithParam<const char*> {};

TEST_P(PlanDrawing, ReadsAndHasTheRoomsTheScriptDrew) {
    const QString name = QString::fromLatin1(GetParam());
    const QJsonObject expected = expectedPlan(name);
    const auto read = readDxf(planPath(name));
    ASSERT_TRUE(std::holds_alternative<DxfDrawing>(read)) << std::get<QString>(read).toStdString();
    const DxfDrawing& drawing = std::get<DxfDrawing>(read);
    EXPECT_EQ(drawing.version, expected[u"version"].toString());
    EXPECT_EQ(unitName(drawing.unit), expected[u"unit"].toString());
    EXPECT_EQ(drawing.unitGiven, expected[u"unitGiven"].toBool());
    EXPECT_EQ(drawing.codePage, expected[u"codePage"].toString());
    const auto object = [](const std::map<QString, int>& counts) {
        QJsonObject counted;
        for (const auto& [type, count] : counts) {
            counted[type] = count;
        }
        return counted;
    };
    EXPECT_EQ(object(drawing.unknownEntities), expected[u"unknown"].toObject());
    EXPECT_EQ(object(drawing.otherEntities), expected[u"other"].toObject());
    EXPECT_EQ(drawing.paperSpaceEntities, expected[u"paperSpace"].toInt());
    EXPECT_EQ(drawing.layers, expected[u"layers"].toVariant().toStringList());

    QStringList proposed;
    for (const PlanLayer& layer : planLayers(drawing)) {
        if (layer.proposed) {
            proposed << layer.name;
        }
    }
    QStringList want = expected[u"proposed"].toVariant().toStringList();
    for (const auto& room : expected[u"rooms"].toArray()) {
        want << u"%1 %2 %3 %4"_s.arg(room[u"handle"].toString(), room[u"layer"].toString(),
                                     room[u"name"].toString(),
                                     QString::number(room[u"area"].toDouble(), 'g', 17));
    }
    for (const auto& refused : expected[u"rejected"].toArray()) {
        want << u"%1 %2: %3"_s.arg(refused[u"handle"].toString(), refused[u"layer"].toString(),
                                   refused[u"reason"].toString());
    }
    for (const auto& floor : expected[u"floors"].toArray()) {
        want << u"%1: 楼层轮廓"_s.arg(floor.toString());
    }
    EXPECT_EQ(proposed + summary(planRooms(drawing, proposed)), want);
}

INSTANTIATE_TEST_SUITE_P(Plans, PlanDrawing, ::testing::ValuesIn(kPlanDrawings), [](const auto& p) {
    std::string name = p.param;
    return name.substr(0, name.find('.'));
});

// A drawing made here, in metres.
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

DxfPolyline open(DxfPolyline polyline) {
    polyline.closed = false;
    return polyline;
}

TEST(Rooms, AreTheClosedOutlinesOfTheChosenLayersWithTheirReasons) {
    DxfDrawing drawing;
    drawing.unit = DrawingUnit::Millimetre;
    DxfPolyline unread = outline("X", {});
    unread.fault = u"顶点超过100000个"_s;
    DxfPolyline arcs = outline("Z", {});  // 60 arcs of 10 000 km, each the most chords
    for (int i = 0; i < 60; ++i) {
        arcs.vertices.push_back({{1e7 * i, 1e7 * (i % 2)}, 0.9});
    }
    // clang-format off
    drawing.polylines = {outline("U", box(0, 0, 4, 4)), open(outline("O", box(0, 5, 4, 4))),
        outline("W", box(5, 0, 4, 4), "FURN"), unread, outline("", box(20, 0, 4, 4)),
        outline("Y", box(20, 0, 4, 4)), arcs, outline("G", box(10, 0, 0.5, 0.5), "0"),
        outline("L", box(30, 0, 30, 20)), outline("V", box(40, 6, 10, 8)),
        outline("K", box(42, 8, 0.5, 0.5)), outline("S", box(70, 0, 10, 10)),
        outline("T", box(75, 0, 1, 10))};
    // clang-format on
    drawing.texts = {{{}, u"TEXT"_s, {31, 1}, 1, u"门厅"_s, false}};
    EXPECT_EQ(summary(planRooms(drawing, {u"room"_s, u"0"_s}, DrawingUnit::Metre)).join(u" | "_s),
              u"U ROOM 房间1 16 |  ROOM 房间2 16 | L ROOM 门厅 520 | X ROOM: 顶点超过100000个 | "
              "Y ROOM: 与另一轮廓重合 | Z ROOM: 顶点过多（圆弧分段后超过200000个） | "
              "G 0: 面积小于 1 m² | K ROOM: 位于洞口 V 内 | S ROOM: 被洞口分成 2 块 | "
              "T ROOM: 位于轮廓 S 内"_s);
}

// The closed polylines of a door layer that spans no door's width (a shop front on 门窗) are no
// doors: the doors counted are those the project keeps.
TEST(Rooms, DoorsAreOnlyThoseOfADoorsWidth) {
    DxfDrawing drawing;
    drawing.polylines = {outline("D1", box(0, 0, 0.9, 0.1), "门窗"),
                         outline("D2", box(5, 0, 8, 0.1), "门窗"),
                         outline("D3", box(20, 0, 0.2, 0.1), "门窗")};
    const PlanRooms plan = planRooms(drawing, {{}, {u"WALL"_s}, {u"门窗"_s}, DrawingUnit::Metre});
    ASSERT_EQ(plan.doors.size(), 1U);
    EXPECT_EQ(plan.doors[0].handle, "D1");
}

// Two rooms 0.2 m apart in an outline round the floor, a door block between them and a door
// outline out of the second: the doors are found between the outlines where the drawing has any,
// the door layer's outlines only where it is chosen; the outline round both is the floor's.
TEST(Rooms, OutlinesGetTheDoorsBetweenThemAndTheFloorsOutline) {
    DxfDrawing drawing;
    drawing.polylines = {outline("A", box(0, 0, 4, 4)), outline("B", box(4.2, 0, 4, 4)),
                         outline("F", box(-0.2, -0.2, 8.8, 4.4)),
                         outline("E", box(8.2, 1, 0.2, 1), "门")};
    drawing.texts = {{{}, u"TEXT"_s, {1, 1}, 0.3, u"甲"_s, false},
                     {{}, u"TEXT"_s, {5, 1}, 0.3, u"乙"_s, false}};
    DxfBlockReference door{u"M"_s, u"DOOR"_s, u"M1"_s, {4.1, 1}, {1, 0}, {0, 1}, {}, {}};
    door.arcs.push_back({u"M/1"_s, u"DOOR"_s, {4.1, 2}, {5.1, 1}, -std::tan(M_PI / 8)});
    struct Row {
        const char* what;
        bool block;
        QStringList doorLayers;
        const char* doors;  // "handle left right" each, "-" for no room
    };
    const Row rows[] = {
        {"a block and a door outline", true, {u"门"_s}, "M 0 1 | E 1 -"},
        {"the door layer not chosen", true, {}, "M 0 1"},
        {"a door outline alone", false, {u"门"_s}, "E 1 -"},
        {"no door at all: not looked for", false, {}, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        drawing.references.clear();
        if (row.block) {
            drawing.references.push_back(door);
        }
        const PlanRooms plan =
            planRooms(drawing, {{u"ROOM"_s}, {}, row.doorLayers, DrawingUnit::Metre});
        ASSERT_EQ(plan.rooms.size(), 2U);
        ASSERT_TRUE(plan.floors && plan.floors->size() == 1);
        EXPECT_EQ(plan.floors->front().handle, "F");
        EXPECT_EQ(plan.doorsRead, row.doors != nullptr);
        QStringList doors;
        for (const core::WallDoor& found : plan.doors) {
            const auto side = [](const std::optional<std::size_t>& room) {
                return room ? QString::number(*room) : u"-"_s;
            };
            doors << u"%1 %2 %3"_s.arg(QString::fromStdString(found.handle), side(found.rooms[0]),
                                       side(found.rooms[1]));
        }
        EXPECT_EQ(doors.join(u" | "_s).toStdString(), row.doors ? row.doors : "");
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
    for (const char* name : {"房间柱", "WALL_ROOM", "面积标注", "furn-room"}) {
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
    const std::string never = " 墙:1 房间柱:1 WALL_ROOM:1 面积标注:1 furn-room:1";
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
