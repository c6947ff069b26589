// From a drawing to rooms: the drawings written by ezdxf against what the script put in them,
// and drawings made here for nesting, names, faults and the layers proposed.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <optional>
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
        const core::PlanRoomInput& room = plan.rooms[static_cast<std::size_t>(i)];
        SCOPED_TRACE(want[u"handle"].toString().toStdString());
        EXPECT_EQ(std::tuple(room.handle, room.layer, room.name),
                  std::tuple(want[u"handle"].toString().toStdString(),
                             want[u"layer"].toString().toStdString(),
                             want[u"name"].toString().toStdString()));
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
    DxfPolyline unread = outline("X", box(0, 10, 1, 1));
    unread.vertices.clear();
    unread.fault = u"顶点超过100000个"_s;
    // 60 arcs of 10 000 km, each as the most chords.
    DxfPolyline arcs = outline("Z", {});
    for (int i = 0; i < 60; ++i) {
        arcs.vertices.push_back({{1e7 * i, 1e7 * (i % 2)}, 0.9});
    }
    drawing.polylines = {outline("U", box(0, 0, 4, 4)),
                         open(outline("O", box(0, 5, 4, 4))),
                         outline("W", box(5, 0, 4, 4), "FURN"),
                         unread,
                         outline("", box(20, 0, 4, 4)),
                         outline("Y", box(20, 0, 4, 4)),
                         arcs,
                         outline("G", box(10, 0, 0.5, 0.5), "0"),
                         outline("L", box(30, 0, 30, 20)),
                         outline("V", box(40, 6, 10, 8)),
                         outline("K", box(42, 8, 0.5, 0.5)),
                         outline("S", box(70, 0, 10, 10)),
                         outline("T", box(75, 0, 1, 10))};
    drawing.texts = {{{}, u"TEXT"_s, {31, 1}, 1, u"门厅"_s, false}};
    const auto summary = [&](std::optional<DrawingUnit> unit) {
        const PlanRooms plan = planRooms(drawing, {u"room"_s, u"0"_s}, unit);
        QStringList parts;
        for (const core::PlanRoomInput& room : plan.rooms) {
            parts << QString::fromStdString(room.handle + ' ' + room.name + ' ') +
                         QString::number(room.area) + u" −%1"_s.arg(room.holes.size());
        }
        for (const RefusedOutline& refused : plan.refused) {
            parts << u"%1 %2: %3"_s.arg(refused.handle, refused.layer, refused.reason);
        }
        return parts.join(u" | "_s).toStdString();
    };
    drawing.unit = DrawingUnit::Millimetre;
    EXPECT_EQ(summary(DrawingUnit::Metre),
              "U 房间1 16 −0 |  房间2 16 −0 | L 门厅 520 −1 | X ROOM: 顶点超过100000个 | "
              "Y ROOM: 与另一轮廓重合 | Z ROOM: 顶点过多（圆弧分段后超过200000个） | "
              "G 0: 面积小于 1 m² | K ROOM: 位于洞口 V 内 | S ROOM: 被洞口分成 2 块 | "
              "T ROOM: 位于轮廓 S 内");
    // In the drawing's own unit, millimetres: 4 m × 4 m is 16 mm², 0.01 m² once rounded up.
    drawing.polylines.resize(1);
    EXPECT_EQ(summary(std::nullopt), "U 房间1 0.01 −0");
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
