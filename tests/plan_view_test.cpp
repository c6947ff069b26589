// The floor plan beside the project's table, offscreen: its floors, the selection it shares with
// the table through clicks on both, the warning colour in its pixels, fitting, zooming and panning,
// the 查看 menu, the plan following the model through edits, undo and a new project, and setting
// points placed from the 工具 menu and the plan's, their reach drawn, and 取消. The import of a
// floor plan: its dialog clicked and typed through (the drawing's unit, the location, the layers,
// the outlines that do not come in and why, the objects that cannot be read), the rooms added as
// one undoable step, and the same drawing imported again only once the user agrees.
#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "cover_proof.h"
#include "floor_layout.h"
#include "menu_click.h"
#include "placed_rooms.h"
#include "plan_door_item.h"
#include "plan_import_dialog.h"
#include "plan_point_item.h"
#include "plan_view.h"
#include "preview_support.h"
#include "project_commands.h"
#include "project_model.h"
#include "project_window.h"
#include "test_support.h"
#include "warning_look.h"

using namespace Qt::StringLiterals;

namespace {

[[maybe_unused]] auto* const kHome = ::testing::AddGlobalTestEnvironment(new tests::TemporaryHome);

using ui::PlanImportDialog;
using ui::PlanView;
using ui::ProjectModel;
using ui::ProjectWindow;

// A room of w × h metres with its lower left corner at (x, y).
struct RoomAt {
    const char* name;
    const char* location;
    double x, y, w, h;
};

// The unit of the room, its area that of the outline.
core::Unit room(const RoomAt& at) {
    core::Unit unit = tests::makeUnit(at.name, core::FireClass::A, at.w * at.h);
    unit.location = at.location;
    unit.outline = {
        {at.x, at.y}, {at.x + at.w, at.y}, {at.x + at.w, at.y + at.h}, {at.x, at.y + at.h}};
    return unit;
}

// A unit that breaks 6.1.2 and 7.1.3: a serious hazard over 2000 m² (typed over the outline's)
// from one setting point.
core::Unit breaching(core::Unit unit) {
    unit.choices.hazard = core::Hazard::Serious;
    unit.choices.area = 2000;
    unit.points = 1;
    return unit;
}

// Rows 0 to 2 and 4 on 一层, 3 and 5 on 二层; 走廊 (4) has no outline.
core::Project twoFloors() {
    return {
        "综合楼",
        {room({"办公室", "一层", 0, 0, 12, 10}), room({"会议室", "一层", 12, 0, 8, 10}),
         breaching(room({"仓库", "一层", 0, 10, 20, 15})), room({"机房", "二层", 0, 0, 10, 10}),
         tests::makeUnit("走廊", core::FireClass::A, 60), room({"档案室", "二层", 10, 0, 10, 10})}};
}

class PlanViewTest : public ::testing::Test {
  protected:
    PlanViewTest() {
        window = makeWindow();
        window->resize(1400, 700);
        window->show();
        QApplication::setActiveWindow(window.get());
        window->model()->setProject(twoFloors());
        QCoreApplication::processEvents();
    }

    ~PlanViewTest() override { window->close(); }

    std::unique_ptr<ProjectWindow> makeWindow() {
        auto w = std::make_unique<ProjectWindow>();
        w->askSaveChanges = [] { return ProjectWindow::SaveAnswer::Discard; };
        w->showNotice = [this](const QString& text) { notices << text; };
        return w;
    }

    [[nodiscard]] PlanView& plan() const { return *window->planView(); }
    [[nodiscard]] QWidget* viewport() const { return plan().view()->viewport(); }

    // Where a point of the drawing is in the viewport.
    [[nodiscard]] QPointF at(core::PlanPoint point) const {
        return plan().view()->viewportTransform().map(PlanView::scenePoint(point));
    }
    // The row's room in the viewport.
    [[nodiscard]] QRectF roomRect(int row) const {
        const core::PlanBox box = core::bounds(window->model()->unit(row).outline);
        return QRectF(at({box.min.x, box.max.y}), at({box.max.x, box.min.y}));
    }

    void clickRoom(int row, Qt::KeyboardModifiers modifiers = {}) const {
        QTest::mouseClick(viewport(), Qt::LeftButton, modifiers, roomRect(row).center().toPoint());
    }

    [[nodiscard]] std::vector<int> tableSelection() const {
        std::vector<int> selected;
        for (int row = 0; row < window->model()->rowCount(); ++row) {
            if (window->table()->selectionModel()->rowIntersectsSelection(row, {})) {
                selected.push_back(row);
            }
        }
        return selected;
    }

    // The pixels of the image in the rectangle, or in the disc of `radius` about its middle, that
    // pass.
    template <typename Pass>
    static int pixels(const QImage& image, QRectF rect, Pass pass, double radius = 1e9) {
        int n = 0;
        const QRect r = rect.toAlignedRect();
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                const bool in = std::hypot(x - rect.center().x(), y - rect.center().y()) <= radius;
                n += in && pass(image.pixelColor(x, y)) ? 1 : 0;
            }
        }
        return n;
    }
    static bool red(const QColor& c) { return c.red() > 150 && c.green() < 80 && c.blue() < 80; }

    void wheel(QPointF point, int notches) const {
        QWheelEvent event(point, plan().view()->viewport()->mapToGlobal(point), {},
                          {0, 120 * notches}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(viewport(), &event);
    }

    std::unique_ptr<ProjectWindow> window;
    QStringList notices;
};

// The floors are the locations of the units with an outline; the box to choose one, shown only
// for several floors, switches the rooms drawn. A unit without an outline is not drawn. The plan
// follows the model: a unit moved to another floor, added, moved down, deleted and the steps
// undone; clicks still select the room's own row.
TEST_F(PlanViewTest, FloorsFollowTheBoxEditsUndoAndNewRows) {
    ProjectModel* model = window->model();
    QTableView* table = window->table();
    // The floors after the step, blank-separated, the floor shown and its rooms.
    const auto shows = [this](const QString& floors, const QString& floor,
                              const std::vector<int>& rooms) {
        SCOPED_TRACE(floors.toStdString());
        QCoreApplication::processEvents();
        EXPECT_EQ(plan().floors(), floors.split(u' '));
        EXPECT_EQ(plan().floor(), floor);
        EXPECT_EQ(plan().roomRows(), rooms);
        EXPECT_EQ(plan().floorBox()->isVisibleTo(&plan()), plan().floors().size() > 1);
    };
    ASSERT_TRUE(plan().isVisible());
    shows(u"一层 二层"_s, u"一层"_s, {0, 1, 2});
    // The drawing's y runs up: 仓库, north of 办公室, is above it; 会议室 to its right.
    EXPECT_LE(roomRect(2).bottom(), roomRect(0).top() + 0.5);
    EXPECT_GE(roomRect(1).left(), roomRect(0).right() - 0.5);
    model->setData(model->index(3, ProjectModel::Location), u"三层"_s, Qt::EditRole);
    shows(u"一层 三层 二层"_s, u"一层"_s, {0, 1, 2});
    window->undoStack()->undo();
    plan().floorBox()->setFocus();
    QTest::keyClick(plan().floorBox(), Qt::Key_Down);
    shows(u"一层 二层"_s, u"二层"_s, {3, 5});
    // The floor is fitted: both rooms lie inside the viewport.
    const QRectF seen = viewport()->rect();
    EXPECT_TRUE(seen.contains(roomRect(3)) && seen.contains(roomRect(5)));
    window->addUnit(room({"水泵房", "四层", 0, 0, 6, 5}));  // selected: its floor comes up
    shows(u"一层 二层 四层"_s, u"四层"_s, {6});
    table->selectRow(3);  // the rooms of 二层 and 四层 deleted
    for (int row : {5, 6}) {
        table->selectionModel()->select(model->index(row, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Delete);
    shows(u"一层"_s, u"一层"_s, {0, 1, 2});
    table->selectRow(0);  // 办公室 moved down
    QTest::keyClick(table, Qt::Key_Down, Qt::ControlModifier);
    shows(u"一层"_s, u"一层"_s, {0, 1, 2});
    // 会议室 is row 0 now and 办公室 row 1: each room still selects its own row.
    ASSERT_EQ(model->unit(1).name, "办公室");
    for (int row : {0, 1, 2}) {
        clickRoom(row);
        EXPECT_EQ(tableSelection(), std::vector<int>{row});
    }
}

// The selection is shared both ways. Clicks on the rooms select their rows; Ctrl adds a room or
// takes it away again; a click beside every room clears the selection. Rows clicked in the table
// select their rooms: a row on another floor brings that floor up, a row without a room leaves the
// floor as it is, and a selection with a room on the floor shown stays there.
TEST_F(PlanViewTest, ClicksInThePlanAndTheTableSelectBoth) {
    struct Step {
        bool inTable;
        int row;  // -1: beside the rooms
        Qt::KeyboardModifiers modifiers;
        QString floor;
        std::vector<int> rows, rooms;
    };
    const Step steps[] = {
        {false, 1, Qt::NoModifier, u"一层"_s, {1}, {1}},
        {false, 0, Qt::ControlModifier, u"一层"_s, {0, 1}, {0, 1}},
        {false, 2, Qt::ControlModifier, u"一层"_s, {0, 1, 2}, {0, 1, 2}},
        {false, 1, Qt::ControlModifier, u"一层"_s, {0, 2}, {0, 2}},
        {false, 2, Qt::NoModifier, u"一层"_s, {2}, {2}},
        {false, -1, Qt::NoModifier, u"一层"_s, {}, {}},
        {true, 5, Qt::NoModifier, u"二层"_s, {5}, {5}},
        {true, 4, Qt::NoModifier, u"二层"_s, {4}, {}},
        {true, 0, Qt::ShiftModifier, u"二层"_s, {0, 1, 2, 3, 4}, {3}},
    };
    QTableView* table = window->table();
    for (const Step& step : steps) {
        SCOPED_TRACE(step.row);
        if (step.inTable) {
            const QModelIndex cell = window->model()->index(step.row, ProjectModel::Name);
            QTest::mouseClick(table->viewport(), Qt::LeftButton, step.modifiers,
                              table->visualRect(cell).center());
        } else if (step.row < 0) {
            QTest::mouseClick(viewport(), Qt::LeftButton, {}, at({-0.3, -0.3}).toPoint());
        } else {
            clickRoom(step.row, step.modifiers);
        }
        if (step.row >= 0) {
            EXPECT_EQ(table->currentIndex().row(), step.row);
        }
        EXPECT_EQ(plan().floor(), step.floor);
        EXPECT_EQ(plan().floorBox()->currentText(), step.floor);
        EXPECT_EQ(tableSelection(), step.rows);
        EXPECT_EQ(plan().selectedRooms(), step.rooms);
    }
}

// A unit that breaks a check or cannot be configured is drawn in the 校核 column's red, also
// once an edit makes it so; the others have none of it but on the walls they share with one. A
// selected room is filled in blue.
TEST_F(PlanViewTest, FailingUnitsAreDrawnInTheWarningColour) {
    const auto redPixels = [](const QImage& image, const QRect& rect) {
        return pixels(image, rect, [](const QColor& c) { return c == ui::kCheckFailedColor; });
    };
    // Red all round its walls (a line 2 pixels wide), or at most on some of them and none inside.
    const auto drawnFailing = [&](int row) {
        const QImage image = viewport()->grab().toImage();
        const QRect walls = roomRect(row).toAlignedRect().adjusted(-1, -1, 1, 1);
        const QRect inside = walls.adjusted(4, 4, -4, -4);
        const int perimeter = 2 * (walls.width() + walls.height());
        const int onWalls = redPixels(image, walls) - redPixels(image, inside);
        if (onWalls > perimeter) {
            return true;
        }
        EXPECT_EQ(redPixels(image, inside), 0);
        return false;
    };
    for (const auto& [row, failing] : {std::pair{1, false}, std::pair{2, true}}) {
        SCOPED_TRACE(row);
        ASSERT_EQ(window->model()->checkFails(row), failing);
        EXPECT_EQ(drawnFailing(row), failing);
    }
    tests::keepPicture(*window, u"plan-failing"_s);

    // An area of 0 leaves the room unconfigurable; undone, the room is as it was.
    ProjectModel* model = window->model();
    model->setData(model->index(0, ProjectModel::Area), 0, Qt::EditRole);
    ASSERT_TRUE(model->checkFails(0));
    EXPECT_TRUE(drawnFailing(0));
    window->undoStack()->undo();
    EXPECT_FALSE(drawnFailing(0));

    const QPoint corner = roomRect(0).topLeft().toPoint() + QPoint(4, 4);
    const QColor before = viewport()->grab().toImage().pixelColor(corner);
    clickRoom(0);
    const QColor selected = viewport()->grab().toImage().pixelColor(corner);
    EXPECT_NE(selected, before);
    EXPECT_GT(selected.blue(), selected.red() + 40);
}

// The doors of the floor shown are drawn, in their colour, and those of the other floor are not:
// on 一层 one into 仓库, one into 会议室 swinging the other way, and an exit whose swing is not
// known; one on 二层. The doors drawn follow a step that replaces them, and its undo.
TEST_F(PlanViewTest, TheDoorsOfTheFloorShownAreDrawn) {
    core::Project project = twoFloors();
    project.doors = {{"一层", "一层.dxf", "1A", {3, 10}, {4, 10}, 1},
                     {"一层", "一层.dxf", "1B", {12, 4}, {12, 5.5}, -1},
                     {"一层", "一层.dxf", "1C", {5, 0}, {6.5, 0}, 0},
                     {"二层", "二层.dxf", "2A", {10, 4}, {10, 5}, 1}};
    window->model()->setProject(project);
    QCoreApplication::processEvents();
    const auto doorsDrawn = [this] {
        return std::ranges::count_if(plan().view()->scene()->items(), [](QGraphicsItem* item) {
            return item->type() == ui::DoorItem::Type;
        });
    };
    EXPECT_EQ(doorsDrawn(), 3);
    const QImage image = viewport()->grab().toImage();
    // The arc's outer part in 仓库, clear of its walls: the door's brown over the pink of the room.
    const QRectF arc(at({3.4, 11.1}), at({4.1, 10.4}));
    EXPECT_GT(pixels(image, arc,
                     [](const QColor& c) {
                         return c.green() >= 0x80 && c.green() <= 0xd8 && c.red() > c.blue();
                     }),
              5);
    tests::keepPicture(*window, u"plan-doors"_s);
    plan().showFloor(u"二层"_s);
    EXPECT_EQ(doorsDrawn(), 1);
    // Doors replaced as an import replaces them, and the step undone.
    window->undoStack()->push(new ui::DoorsCommand(window->model(), project, core::Project{}));
    QCoreApplication::processEvents();
    EXPECT_EQ(doorsDrawn(), 0);
    window->undoStack()->undo();
    QCoreApplication::processEvents();
    EXPECT_EQ(doorsDrawn(), 1);
}

// A combined unit is drawn as its rooms, filled alike, with one label: a click in any of them
// selects it, and its reach is drawn. A point is added in an office, not in a wall between its
// rooms, and dragged from an office into the corridor.
TEST_F(PlanViewTest, ACombinedUnitIsDrawnAsItsRoomsWithOneLabel) {
    window->model()->setProject(tests::combinedOffices());
    window->resize(1400, 900);
    QCoreApplication::processEvents();
    const auto count = [this](int type) {
        return std::ranges::count_if(plan().view()->scene()->items(),
                                     [type](QGraphicsItem* item) { return item->type() == type; });
    };
    EXPECT_EQ(count(ui::RoomItem::Type), 1);
    EXPECT_EQ(count(ui::LabelItem::Type), 1);
    EXPECT_EQ(count(ui::PointItem::Type), 3);
    QImage image = viewport()->grab().toImage();
    const QColor office = image.pixelColor(at({12, 13}).toPoint());
    EXPECT_EQ(image.pixelColor(at({1, 7}).toPoint()), office);     // the corridor
    EXPECT_NE(image.pixelColor(at({7.1, 13}).toPoint()), office);  // the wall between offices
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, at({12, 13}).toPoint());
    EXPECT_EQ(tableSelection(), std::vector<int>{0});
    EXPECT_NE(plan().reachShown(), nullptr);
    tests::keepPicture(*window, u"plan-combined"_s);

    QTest::mouseDClick(viewport(), Qt::LeftButton, Qt::ControlModifier, at({7.1, 3}).toPoint());
    QTest::mouseDClick(viewport(), Qt::LeftButton, Qt::ControlModifier, at({10.7, 3}).toPoint());
    QTest::mousePress(viewport(), Qt::LeftButton, {}, at({3.5, 3}).toPoint());
    QTest::mouseMove(viewport(), at({4, 5}).toPoint());
    QTest::mouseMove(viewport(), at({5, 7.4}).toPoint());
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at({5, 7.4}).toPoint());
    const std::vector<core::PlanPoint> points{{3.5, 7.4}, {10.7, 7.4}, {5, 7.4}, {10.7, 3}};
    const std::vector<core::PlanPoint>& placed = window->model()->unit(0).setPoints;
    ASSERT_EQ(placed.size(), points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_NEAR(placed[i].x, points[i].x, 0.05) << i;
        EXPECT_NEAR(placed[i].y, points[i].y, 0.05) << i;
    }
}

// A column inside a room is drawn as not room, and the label keeps out of it; a small room's label
// moves off the setting point in its middle, which shows whole. Zoomed out, the labels of the
// rooms grown too small give way.
TEST_F(PlanViewTest, LabelsKeepOutOfColumnsAndOffSettingPoints) {
    core::Unit hall = room({"大厅", "一层", 0, 0, 12, 10});
    hall.holes = {{{5, 4}, {7, 4}, {7, 6}, {5, 6}}};
    core::Unit washroom = room({"卫生间", "一层", 12, 0, 3, 3});
    washroom.setPoints = {{13.5, 1.5}};
    window->model()->setProject({"楼", {hall, washroom, room({"管井", "一层", 12, 8, 1.5, 1.5})}});
    QCoreApplication::processEvents();
    const QImage image = viewport()->grab().toImage();
    tests::keepPicture(*window, u"plan-column-and-point"_s);
    const auto dark = [](const QColor& c) { return qGray(c.rgb()) < 80; };
    const QRectF column(at({5, 6}), at({7, 4}));
    const QRectF inColumn = column.adjusted(3, 3, -3, -3);
    EXPECT_EQ(pixels(image, inColumn, [](const QColor& c) { return c == Qt::white; }),
              pixels(image, inColumn, [](const QColor&) { return true; }));
    EXPECT_GT(pixels(image, roomRect(0).adjusted(4, 4, -4, -4), dark), 20);
    const QPointF point = at({13.5, 1.5});
    EXPECT_EQ(pixels(image, QRectF(point, point).adjusted(-10, -10, 10, 10), dark, 10), 0);
    EXPECT_GT(image.pixelColor(point.toPoint()).red(), 150);
    EXPECT_GT(pixels(image, roomRect(1).adjusted(4, 4, -4, -4), dark), 20);

    EXPECT_GT(pixels(image, roomRect(2).adjusted(4, 4, -4, -4), dark), 0);

    wheel(QRectF(viewport()->rect()).center(), -10);
    const QImage distant = viewport()->grab().toImage();
    EXPECT_GT(pixels(distant, roomRect(0).adjusted(4, 4, -4, -4), dark), 0);
    EXPECT_EQ(pixels(distant, roomRect(2).adjusted(3, 3, -3, -3), dark), 0);
}

// The wheel zooms about the cursor, the point of the drawing under it staying there; 适合窗口
// fits the floor again, from its key F, its button and the 查看 menu.
TEST_F(PlanViewTest, FitToWindowFromKeyButtonAndMenu) {
    const double fitted = plan().scale();
    ASSERT_GT(fitted, 0);
    const QRectF floor = roomRect(0).united(roomRect(1)).united(roomRect(2));
    const QRectF seen = viewport()->rect();
    EXPECT_TRUE(seen.contains(floor));
    // The floor takes most of the viewport's width or height.
    EXPECT_TRUE(floor.width() > 0.85 * seen.width() || floor.height() > 0.85 * seen.height());

    const std::function<void()> ways[] = {
        [this] {
            plan().view()->setFocus();
            QTest::keyClick(plan().view(), Qt::Key_F);
        },
        [this] {
            for (auto* button : plan().findChildren<QToolButton*>()) {
                if (button->defaultAction() == plan().fitAction()) {
                    QTest::mouseClick(button, Qt::LeftButton);
                }
            }
        },
        [this] { tests::clickMenuItem(window->viewMenu(), u"适合窗口"_s); },
    };
    const QPointF cursor = seen.center() + QPointF(100, 40);
    const QPointF underCursor = plan().view()->viewportTransform().inverted().map(cursor);
    for (const auto& fit : ways) {
        wheel(cursor, 3);
        EXPECT_NEAR(plan().scale(), fitted * std::pow(1.25, 3), fitted * 1e-6);
        const QPointF now = plan().view()->viewportTransform().map(underCursor);
        EXPECT_NEAR(now.x(), cursor.x(), 1.0);
        EXPECT_NEAR(now.y(), cursor.y(), 1.0);
        fit();
        EXPECT_NEAR(plan().scale(), fitted, fitted * 1e-6);
        EXPECT_TRUE(seen.contains(roomRect(0).united(roomRect(2))));
    }
}

// Dragging with the middle button, or with the left one while Space is held, moves the drawing
// with the mouse and selects nothing.
TEST_F(PlanViewTest, DraggingPansTheDrawing) {
    for (const bool space : {false, true}) {
        SCOPED_TRACE(space);
        const Qt::MouseButton button = space ? Qt::LeftButton : Qt::MiddleButton;
        const QPoint from = roomRect(0).center().toPoint();
        const QPoint to = from + QPoint(60, -35);
        const QPointF scenePoint = plan().view()->viewportTransform().inverted().map(QPointF(from));
        if (space) {
            plan().view()->setFocus();
            QTest::keyPress(plan().view(), Qt::Key_Space);
        }
        QTest::mousePress(viewport(), button, {}, from);
        QMouseEvent move(QEvent::MouseMove, to, viewport()->mapToGlobal(to), Qt::NoButton, button,
                         Qt::NoModifier);
        QApplication::sendEvent(viewport(), &move);
        QTest::mouseRelease(viewport(), button, {}, to);
        if (space) {
            QTest::keyRelease(plan().view(), Qt::Key_Space);
        }
        const QPointF now = plan().view()->viewportTransform().map(scenePoint);
        EXPECT_NEAR(now.x(), to.x(), 1.0);
        EXPECT_NEAR(now.y(), to.y(), 1.0);
        EXPECT_TRUE(tableSelection().empty());
    }
}

// 查看 → 平面图 hides the plan and shows it again; the choice holds for the next window. A project
// without outlines shows no plan and greys the item out.
TEST_F(PlanViewTest, ViewMenuHidesThePlanAndTheChoiceIsKept) {
    QAction* item = window->viewMenu()->actions().value(0);
    ASSERT_TRUE(item->isChecked() && item->isEnabled());
    tests::clickMenuItem(window->viewMenu(), u"平面图"_s);
    EXPECT_FALSE(plan().isVisible());
    EXPECT_FALSE(item->isChecked());

    auto next = makeWindow();
    next->model()->setProject(twoFloors());
    next->show();
    EXPECT_FALSE(next->planView()->isVisible());
    next->close();

    tests::clickMenuItem(window->viewMenu(), u"平面图"_s);
    EXPECT_TRUE(plan().isVisible());
    EXPECT_EQ(plan().roomRows(), std::vector<int>({0, 1, 2}));

    window->model()->setProject({"无平面", {tests::makeUnit("办公室", core::FireClass::A, 100)}});
    EXPECT_FALSE(plan().isVisible());
    EXPECT_FALSE(item->isEnabled());
    EXPECT_TRUE(item->isChecked());
}

constexpr double kLx = 10;  // where the L lies on the floor: [0,8]×[0,16] and [0,16]×[0,8]

// A corridor of 3 × 120 m (R = 20 m), the L beside it (a serious hazard: R = 15 m), an office, and
// a unit without an outline.
core::Project floorOfFour() {
    using core::Hazard;
    const core::Ring l{{kLx, 0},     {kLx + 16, 0}, {kLx + 16, 8},
                       {kLx + 8, 8}, {kLx + 8, 16}, {kLx, 16}};
    return {
        "办公楼",
        {tests::placedRoom("走廊", tests::kCorridorOutline, {}, Hazard::Medium),
         tests::placedRoom("资料室", l, {}, Hazard::Serious),
         tests::placedRoom("办公室", {{30, 0}, {42, 0}, {42, 10}, {30, 10}}, {}, Hazard::Medium),
         tests::makeUnit("楼梯间", core::FireClass::A, 20)}};
}

// Setting points placed from the window and the plan on floorOfFour.
class PlacementTest : public PlanViewTest {
  protected:
    PlacementTest() {
        window->resize(1400, 800);
        window->model()->setProject(floorOfFour());
        QCoreApplication::processEvents();
    }

    [[nodiscard]] const core::Unit& unit(int row) const { return window->model()->unit(row); }
    [[nodiscard]] QString cell(int row, int column, int role = Qt::DisplayRole) const {
        return window->model()->index(row, column).data(role).toString();
    }
};

// 工具 → 布置设置点 places the selected units with an outline in one step; N and 校核 follow their
// points, N is no longer typed, and the points are drawn. Undo takes all the points back. A
// harder hazard shortens R from 20 to 15 m: the corridor's points no longer reach its ends, and
// 校核 asks for placing again until undone. 重新布置 places a unit afresh, its points set by hand
// gone, once the user agrees; points set by hand that cannot be made to cover are kept and named.
TEST_F(PlacementTest, PlacesTheSelectedRoomsAsOneStep) {
    window->table()->selectAll();
    ASSERT_TRUE(window->placeAction()->isEnabled());
    window->table()->setFocus();
    tests::clickMenuItem(window->toolsMenu(), u"布置设置点"_s);
    EXPECT_TRUE(notices.isEmpty()) << notices.join(u'\n').toStdString();
    EXPECT_EQ(unit(0).setPoints.size(), 4U);  // the corridor: four, where N0 = 1
    const std::size_t points =
        unit(0).setPoints.size() + unit(1).setPoints.size() + unit(2).setPoints.size();
    EXPECT_EQ(window->statusBar()->currentMessage(),
              u"已布置 3 个计算单元，共 %1 个设置点"_s.arg(points));
    EXPECT_EQ(cell(0, ProjectModel::Points), u"4"_s);
    EXPECT_EQ(cell(0, ProjectModel::Points, Qt::ToolTipRole),
              u"按平面布置，共 4 个设置点；在平面图中编辑（估算值 N₀ = 1）"_s);
    EXPECT_EQ(cell(0, ProjectModel::Check), u"满足"_s);
    EXPECT_FALSE(window->model()->flags(window->model()->index(0, ProjectModel::Points)) &
                 Qt::ItemIsEditable);
    EXPECT_EQ(window->undoStack()->count(), 1);
    EXPECT_EQ(window->undoStack()->undoText(), u"布置设置点"_s);
    window->undoStack()->undo();
    EXPECT_EQ(cell(0, ProjectModel::Points), u"1"_s);
    window->undoStack()->redo();

    // A point's red disc at the office's point, its reach shown.
    window->table()->selectRow(2);
    QCoreApplication::processEvents();
    ASSERT_NE(plan().reachShown(), nullptr);
    tests::keepPicture(*window, u"plan-placed"_s);
    const QImage image = viewport()->grab().toImage();
    const QPointF office = at(unit(2).setPoints.front());
    EXPECT_TRUE(red(image.pixelColor(office.toPoint())));
    // Every point's number, the office's "3-1" beside its disc, up and to the right.
    QStringList numbers;
    for (QGraphicsItem* item : plan().view()->scene()->items()) {
        if (const auto* point = qgraphicsitem_cast<ui::PointItem*>(item)) {
            numbers << point->number();
        }
    }
    numbers.sort();
    EXPECT_EQ(numbers, QStringList({u"1-1"_s, u"1-2"_s, u"1-3"_s, u"1-4"_s, u"2-1"_s, u"3-1"_s}));
    EXPECT_GT(pixels(image, QRectF(office + QPointF(6, -20), QSizeF(20, 14)), red), 5);

    window->table()->selectRow(0);
    ASSERT_TRUE(window->model()->setData(window->model()->index(0, ProjectModel::Hazard),
                                         static_cast<int>(core::Hazard::Serious), Qt::EditRole));
    EXPECT_EQ(cell(0, ProjectModel::Check), u"不满足 7.1.3"_s);
    EXPECT_TRUE(cell(0, ProjectModel::Check, Qt::ToolTipRole)
                    .contains(u"7.1.3 保护距离或平面已变，请重新布置设置点"_s));
    EXPECT_TRUE(plan().reachMissesSome());
    window->undoStack()->undo();
    EXPECT_EQ(cell(0, ProjectModel::Check), u"满足"_s);
    EXPECT_FALSE(plan().reachMissesSome());

    // Nothing to place for a unit without an outline.
    window->table()->selectRow(3);
    EXPECT_FALSE(window->placeAction()->isEnabled());

    // One point set by hand at (7.5, 12) of the L fails 7.1.3 by the way round its corner, and the
    // plan shows what it misses. Placed from the plan's context menu, the L is covered, the point
    // kept.
    core::Unit l = unit(1);
    l.setPoints = {{kLx + 7.5, 12}};
    l.handSet = {true};
    window->model()->replaceUnit(1, l);
    const QPoint inside = at({kLx + 4, 4}).toPoint();
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, inside);
    ASSERT_EQ(window->table()->currentIndex().row(), 1);
    EXPECT_TRUE(plan().reachMissesSome());

    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, inside, viewport()->mapToGlobal(inside));
    QApplication::sendEvent(viewport(), &menuEvent);
    ASSERT_TRUE(plan().menu()->isVisible());
    tests::clickMenuItem(plan().menu(), u"布置设置点"_s);
    EXPECT_EQ(unit(1).setPoints.front(), l.setPoints.front());
    EXPECT_EQ(unit(1).handSet, (std::vector<bool>{true, false}));
    EXPECT_EQ(cell(1, ProjectModel::Check), u"满足"_s);
    EXPECT_FALSE(plan().reachMissesSome());

    // 重新布置 from the menu on the L: declined, nothing changes; agreed, all its points go, the
    // one set by hand too, and it is placed afresh as one step.
    const core::Unit kept = unit(1);
    const int steps = window->undoStack()->count();
    QStringList asked;
    for (const bool agree : {false, true}) {
        window->askPlaceAfresh = [&asked, agree](const QString& text) {
            asked << text;
            return agree;
        };
        QContextMenuEvent again(QContextMenuEvent::Mouse, inside, viewport()->mapToGlobal(inside));
        QApplication::sendEvent(viewport(), &again);
        tests::keepPicture(*plan().menu(), u"plan-menu"_s);
        tests::clickMenuItem(plan().menu(), u"重新布置"_s);
        EXPECT_EQ(window->undoStack()->count(), steps + (agree ? 1 : 0));
    }
    EXPECT_EQ(
        asked.value(0),
        u"将清除计算单元“资料室”的全部 2 个设置点（包括手动设置点），并重新布置。是否继续？"_s);
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(window->undoStack()->undoText(), u"重新布置"_s);
    EXPECT_NE(unit(1).setPoints.front(), l.setPoints.front());
    EXPECT_TRUE(std::ranges::none_of(unit(1).handSet, std::identity{}));
    EXPECT_TRUE(core::checkCover(l.outline, unit(1).setPoints, 15).proven);
    EXPECT_EQ(cell(1, ProjectModel::Check), u"满足"_s);
    window->undoStack()->undo();
    EXPECT_EQ(unit(1).setPoints, kept.setPoints);
    EXPECT_EQ(unit(1).handSet, kept.handSet);

    // A point set by hand in a room that points added to it still cannot cover: kept, and named.
    core::Unit slot = tests::slotRoom({{5, 5}});
    slot.handSet = {true};
    window->model()->setProject({"办公楼", {slot}});
    window->table()->selectAll();
    window->placeSettingPoints();
    EXPECT_TRUE(notices.value(0).contains(u"计算单元窄间%2的手动设置点补充设置点后仍未能覆盖"_s))
        << notices.join(u'\n').toStdString();
    EXPECT_EQ(unit(0).setPoints, slot.setPoints);
}

// The setting points edited on the plan by mouse and keys, each gesture one undo step, each point
// it edits set by hand: a drag, a drop within 1 m of a wall drawn to 0.3 m from it unless Alt is
// held, one outside refused, the arrows, Ctrl+double click, Delete, the typed position. The L's
// point that misses its far end is dragged round the corner, its reach, 校核 and the status bar
// following mid-drag, and Esc; a double click in 设置点数 picks the unit's points.
TEST_F(PlacementTest, PointsAreEditedOnThePlan) {
    using Points = std::vector<core::PlanPoint>;
    const core::Unit l = unit(1);
    core::Unit office = unit(2);  // [30,42]×[0,10]
    office.setPoints = {{36, 5}, {33, 5}};
    office.plan = core::PlanSource{"办公楼.dxf", "A-AREA", "1F", "mm"};  // typed in millimetres
    window->model()->setProject({"办公楼", {office}});
    window->table()->selectRow(0);
    QCoreApplication::processEvents();
    QWidget* view = plan().view();
    const auto drag = [&](core::PlanPoint from, core::PlanPoint to, Qt::KeyboardModifiers keys) {
        QTest::mousePress(viewport(), Qt::LeftButton, {}, at(from).toPoint());
        QTest::mouseMove(viewport(), at({(from.x + to.x) / 2, (from.y + to.y) / 2}).toPoint());
        QTest::mouseMove(viewport(), at(to).toPoint());
        QTest::mouseRelease(viewport(), Qt::LeftButton, keys, at(to).toPoint());
    };
    struct Gesture {
        const char* name;
        std::function<void()> act;
        Points points;
        std::vector<bool> handSet;
        int steps;  // on the undo stack after it
    };
    const Gesture gestures[] = {
        {"drag",
         [&] {
             drag({36, 5}, {38, 6}, {});
         },
         {{38, 6}, {33, 5}},
         {true, false},
         1},
        {"near the east wall",
         [&] {
             drag({38, 6}, {41.4, 6}, {});
         },
         {{41.7, 6}, {33, 5}},
         {true, false},
         2},
        {"Alt",
         [&] {
             drag({41.7, 6}, {41.5, 9.5}, Qt::AltModifier);
         },
         {{41.5, 9.5}, {33, 5}},
         {true, false},
         3},
        {"outside",
         [&] {
             drag({41.5, 9.5}, {44, 9.5}, {});
         },
         {{41.5, 9.5}, {33, 5}},
         {true, false},
         3},
        {"arrows",
         [&] {
             QTest::mouseClick(viewport(), Qt::LeftButton, {}, at({33, 5}).toPoint());
             QTest::keyClick(view, Qt::Key_Right);
             QTest::keyClick(view, Qt::Key_Up, Qt::ShiftModifier);
         },
         {{41.5, 9.5}, {33.1, 6}},
         {true, true},
         5},
        {"Ctrl+double click",
         [&] {
             QTest::mouseDClick(viewport(), Qt::LeftButton, Qt::ControlModifier,
                                at({35, 2}).toPoint());
         },
         {{41.5, 9.5}, {33.1, 6}, {35, 2}},
         {true, true, true},
         6},
        {"Delete",
         [&] { QTest::keyClick(view, Qt::Key_Delete); },
         {{41.5, 9.5}, {33.1, 6}},
         {true, true},
         7},
        {"typed",
         [&] {
             QTimer poll;
             QObject::connect(&poll, &QTimer::timeout, [&poll] {
                 auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                 if (dialog == nullptr) {
                     return;
                 }
                 poll.stop();
                 for (auto* box : dialog->findChildren<QDoubleSpinBox*>()) {
                     box->selectAll();
                     QTest::keyClicks(box,
                                      box->accessibleName() == u"X"_s ? u"40000"_s : u"2500"_s);
                 }
                 tests::keepPicture(*dialog, u"point-position"_s);
                 QTest::keyClick(dialog, Qt::Key_Enter);
             });
             poll.start(10);
             const QPoint point = at({33.1, 6}).toPoint();
             QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, point,
                                         viewport()->mapToGlobal(point));
             QApplication::sendEvent(viewport(), &menuEvent);
             tests::clickMenuItem(plan().menu(), u"设置点位置"_s);
         },
         {{41.5, 9.5}, {40, 2.5}},
         {true, true},
         8},
    };
    const double pixel = 1 / plan().scale();
    for (const Gesture& gesture : gestures) {
        gesture.act();
        const core::Unit& now = unit(0);
        ASSERT_EQ(now.setPoints.size(), gesture.points.size()) << gesture.name;
        for (std::size_t i = 0; i < now.setPoints.size(); ++i) {
            EXPECT_NEAR(now.setPoints[i].x, gesture.points[i].x, pixel) << gesture.name;
            EXPECT_NEAR(now.setPoints[i].y, gesture.points[i].y, pixel) << gesture.name;
        }
        EXPECT_EQ(now.handSet, gesture.handSet) << gesture.name;
        EXPECT_EQ(window->undoStack()->count(), gesture.steps) << gesture.name;
        EXPECT_EQ(cell(0, ProjectModel::Points), QString::number(gesture.points.size()));
    }
    window->undoStack()->setIndex(0);
    EXPECT_EQ(unit(0).setPoints, office.setPoints);

    // The L, its point set by hand at (4, 14), dragged round the corner to (4, 4): on the way the
    // hatched part shrinks, and 校核 and the status bar follow the proof worked out here, the unit
    // and the undo stack unchanged until the drop. Esc puts the point back; dragged again and
    // dropped, it reaches the whole L.
    core::Unit handSet = l;
    handSet.setPoints = {{kLx + 4, 14}};
    handSet.handSet = {true};
    window->model()->setProject({"办公楼", {handSet}});
    window->table()->selectRow(0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(plan().reachMissesSome());
    EXPECT_EQ(cell(0, ProjectModel::Check), u"不满足 7.1.3"_s);
    tests::keepPicture(*window, u"plan-point-before-drag"_s);
    const auto hatched = [&] {
        return pixels(viewport()->grab().toImage(), roomRect(0),
                      [](const QColor& c) { return c == ui::kWarningColor; });
    };
    const core::PlanPoint to{kLx + 4, 4};
    const int steps = window->undoStack()->index();
    for (const bool escape : {true, false}) {
        QTest::mousePress(viewport(), Qt::LeftButton, {}, at(handSet.setPoints[0]).toPoint());
        int before = hatched();
        int stop = 0;
        for (const core::PlanPoint p : {core::PlanPoint{kLx + 5, 13}, {kLx + 6, 12}, to}) {
            QTest::mouseMove(viewport(), at(p).toPoint());
            const QString said = window->statusBar()->currentMessage();
            const QRegularExpressionMatch told =
                QRegularExpression(
                    u"^1-1：X (\\d+\\.\\d{3})，Y (\\d+\\.\\d{3})；最远 (\\d+\\.\\d) m$"_s)
                    .match(said);
            ASSERT_TRUE(told.hasMatch()) << said.toStdString();
            const core::PlanPoint shown{told.captured(1).toDouble(), told.captured(2).toDouble()};
            EXPECT_NEAR(shown.x, p.x, 2 / plan().scale());
            EXPECT_NEAR(shown.y, p.y, 2 / plan().scale());
            const core::CoverCheck proof = core::checkCover(l.outline, {shown}, 15);
            EXPECT_EQ(cell(0, ProjectModel::Check), proof.proven ? u"满足"_s : u"不满足 7.1.3"_s);
            EXPECT_GE(told.captured(3).toDouble(), proof.farthest);
            EXPECT_LE(told.captured(3).toDouble(), proof.farthest + core::kDemandMargin + 0.1);
            EXPECT_EQ(plan().reachMissesSome(), !proof.proven);
            const int now = hatched();
            EXPECT_LT(now, before) << said.toStdString();
            before = now;
            tests::keepPicture(*window, u"plan-point-dragged-%1"_s.arg(++stop));
        }
        EXPECT_EQ(unit(0).setPoints, handSet.setPoints);
        EXPECT_EQ(window->undoStack()->index(), steps);
        if (escape) {
            QTest::keyClick(view, Qt::Key_Escape);
            QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at(to).toPoint());
            EXPECT_EQ(unit(0).setPoints, handSet.setPoints);
            EXPECT_EQ(window->undoStack()->index(), steps);
            EXPECT_EQ(cell(0, ProjectModel::Check), u"不满足 7.1.3"_s);
            EXPECT_TRUE(plan().reachMissesSome());
        }
    }
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at(to).toPoint());
    EXPECT_EQ(window->undoStack()->index(), steps + 1);
    const core::CoverCheck proof = core::checkCover(l.outline, unit(0).setPoints, 15);
    EXPECT_TRUE(proof.proven);
    EXPECT_TRUE(window->statusBar()->currentMessage().endsWith(
        u"；最远 %1 m"_s.arg(proof.shares[0], 0, 'f', 1)))
        << window->statusBar()->currentMessage().toStdString();
    EXPECT_EQ(cell(0, ProjectModel::Check), u"满足"_s);

    // A double click in 设置点数 picks the unit's points.
    const QModelIndex points = window->model()->index(0, ProjectModel::Points);
    const QPoint cellAt = window->table()->visualRect(points).center();
    QTest::mouseClick(window->table()->viewport(), Qt::LeftButton, {}, cellAt);
    QTest::mouseDClick(window->table()->viewport(), Qt::LeftButton, {}, cellAt);
    EXPECT_EQ(plan().pickedRow(), 0);
    EXPECT_EQ(plan().pickedPoints(), std::vector<std::size_t>{0});
}

// A workshop shaped as a comb of 120 teeth, seconds to place, with the progress shown at once;
// 取消 stops it within the room and changes nothing.
TEST_F(PlacementTest, CancelChangesNothing) {
    const core::Ring comb = tests::comb(120, 1.5, 5, 35);
    window->model()->setProject(
        {"厂房", {tests::placedRoom("车间", comb, {}, core::Hazard::Medium)}});
    window->table()->selectAll();
    window->placingProgressAfterMs = 0;
    bool cancelled = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* progress = window->findChild<QProgressDialog*>();
        if (progress != nullptr && progress->isVisible() && !cancelled) {
            cancelled = true;
            EXPECT_EQ(progress->labelText(), u"正在布置设置点…"_s);
            tests::keepPicture(*progress, u"placing-progress"_s);
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        }
    });
    poll.start(10);
    window->placeSettingPoints();
    poll.stop();
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(window->undoStack()->count(), 0);
    EXPECT_TRUE(unit(0).setPoints.empty());
}

// The GBK drawing written by ezdxf: four rooms on A-AREA (74.20 m² in all), a floor boundary
// around them, three faulty outlines, furniture on FURN and two kinds of a CAD program's own
// objects.
const QString kDrawing = QStringLiteral(PLAN_DRAWINGS "/r2000_gbk.dxf");

QTreeWidgetItem* layerItem(const PlanImportDialog& dialog, const QString& name) {
    const auto found = dialog.layerList->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.front();
}

// Ticks or unticks a layer's outlines, walls or doors as a user does: the cell made current, then
// the space bar.
void toggle(PlanImportDialog& dialog, const QString& layer,
            PlanImportDialog::Column what = PlanImportDialog::Outlines) {
    QTreeWidgetItem* item = layerItem(dialog, layer);
    ASSERT_NE(item, nullptr) << layer.toStdString();
    dialog.layerList->setFocus();
    dialog.layerList->setCurrentItem(item, what);
    QTest::keyClick(dialog.layerList->viewport(), Qt::Key_Space);
}

QStringList column(const QTreeWidget& list, int column) {
    QStringList texts;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        texts << list.topLevelItem(i)->text(column);
    }
    return texts;
}

TEST(PlanImportDialog, ShowsWhatComesInAsTheUserChoosesLayersAndUnit) {
    const auto read = io::readDxf(kDrawing);
    ASSERT_TRUE(std::holds_alternative<io::DxfDrawing>(read));
    PlanImportDialog dialog(kDrawing, std::get<io::DxfDrawing>(read), QString());
    dialog.show();
    EXPECT_EQ(dialog.unitBox->currentText(), u"毫米"_s);
    EXPECT_EQ(dialog.unitBox->count(), int(std::size(io::kImportUnits)));
    EXPECT_TRUE(dialog.unitWarning->isHidden());
    EXPECT_EQ(dialog.floorEdit->text(), u"r2000_gbk"_s);
    // The room layer proposed, the furniture's and the hatch's boundaries not; layers without
    // outlines are not offered.
    EXPECT_EQ(layerItem(dialog, u"A-AREA"_s)->checkState(PlanImportDialog::Outlines), Qt::Checked);
    EXPECT_EQ(layerItem(dialog, u"FURN"_s)->checkState(PlanImportDialog::Outlines), Qt::Unchecked);
    EXPECT_EQ(layerItem(dialog, u"HATCH"_s)->checkState(PlanImportDialog::Outlines), Qt::Unchecked);
    EXPECT_EQ(layerItem(dialog, u"TEXT"_s), nullptr);
    EXPECT_EQ(dialog.summary->text().toStdString(),
              "将导入 4 个房间，共 74.20 m²；楼层轮廓 1 个。以下 3 个轮廓不导入：");
    EXPECT_EQ(column(*dialog.refusedList, 2),
              (QStringList{u"自相交"_s, u"面积为零"_s, u"顶点不足"_s}));
    EXPECT_TRUE(dialog.unreadableNote->isVisible());
    EXPECT_EQ(
        dialog.unreadableNote->text(),
        u"图纸含 3 个专业软件对象（TCH_WALL、TCH_OPENING），请在原软件中导出为 T3 格式或分解后再导入。"_s);
    EXPECT_TRUE(dialog.importButton->isEnabled());
    tests::keepPicture(dialog, u"plan-import-dialog"_s);

    struct Step {
        const char* what;
        std::function<void()> act;
        const char* summary;
        bool importable;
    };
    const Step steps[] = {
        // A drawing in millimetres read in metres: three rooms are too large for a unit, and
        // millimetres are offered.
        {"metres",
         [&] {
             dialog.unitBox->setFocus();
             for (int i = 0; i < 3; ++i) {
                 QTest::keyClick(dialog.unitBox, Qt::Key_Down);
             }
             EXPECT_EQ(dialog.unitWarning->text().toStdString(),
                       "按米计房间面积中位数 20000000.00 m²，图纸可能以毫米为单位。");
             EXPECT_EQ(dialog.unitSwitch->text(), u"改按毫米计"_s);
             QCoreApplication::processEvents();  // the layout takes in the button
             tests::keepPicture(dialog, u"plan-import-dialog-unit"_s);
         },
         "将导入 1 个房间，共 7200000.00 m²；楼层轮廓 1 个。以下 6 个轮廓不导入：", true},
        {"millimetres again", [&] { QTest::mouseClick(dialog.unitSwitch, Qt::LeftButton); },
         "将导入 4 个房间，共 74.20 m²；楼层轮廓 1 个。以下 3 个轮廓不导入：", true},
        // The desk, without a name, lies in the toilet: a hole in it. Alone it is under 1 m² on a
        // layer not proposed, and no room.
        {"furniture too", [&] { toggle(dialog, u"FURN"_s); },
         "将导入 4 个房间，共 73.84 m²；楼层轮廓 1 个。以下 3 个轮廓不导入：", true},
        {"furniture only", [&] { toggle(dialog, u"A-AREA"_s); },
         "所选图层中没有可导入的房间。以下 1 个轮廓不导入：", false},
        {"nothing", [&] { toggle(dialog, u"FURN"_s); }, "所选图层中没有可导入的房间。", false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(dialog.summary->text().toStdString(), step.summary);
        EXPECT_EQ(dialog.importButton->isEnabled(), step.importable);
    }
    EXPECT_TRUE(dialog.refusedList->isHidden());
    EXPECT_TRUE(dialog.unitWarning->isHidden());
}

// Drawings filled by hand: one in miles with no outline at all, and one whose outlines lie only
// on layers not named for rooms; and one of nothing but a CAD program's own objects.
TEST(PlanImportDialog, SaysWhatADrawingWithoutRoomsHoldsAndTicksNoLayerNotNamedForRooms) {
    io::DxfDrawing lines;
    lines.unit = io::DrawingUnit::Mile;
    lines.unitGiven = true;
    lines.otherEntities = {{u"LINE"_s, 1240}, {u"HATCH"_s, 12}, {u"INSERT"_s, 46}};
    lines.unknownEntities = {{u"TCH_SPACE"_s, 3}};
    PlanImportDialog empty(u"平面图.dxf"_s, lines, QString());
    EXPECT_EQ(empty.unitBox->currentText(), u"英里"_s);
    EXPECT_EQ(empty.summary->text().toStdString(),
              "图纸中没有闭合的房间轮廓：找到直线 1240 条、填充 12 个、块参照 46 个、"
              "专用对象 TCH_SPACE 3 个；请在 CAD 中用闭合多段线描出房间，或分解块后导入，"
              "或将专用对象导出为普通图元后导入。");
    EXPECT_FALSE(empty.importButton->isEnabled());

    io::DxfDrawing furniture;
    const auto square = [](const char* layer, double x) {
        io::DxfPolyline line;
        line.layer = QString::fromUtf8(layer);
        line.vertices = {{{x, 0}}, {{x + 4000, 0}}, {{x + 4000, 3000}}, {{x, 3000}}};
        line.closed = true;
        return line;
    };
    furniture.polylines = {square("FURN", 0), square("0", 5000)};
    PlanImportDialog unnamed(u"平面图.dxf"_s, furniture, QString());
    unnamed.show();
    EXPECT_EQ(column(*unnamed.layerList, 0), (QStringList{u"FURN"_s, u"0"_s}));
    for (const QString& layer : {u"FURN"_s, u"0"_s}) {
        EXPECT_EQ(layerItem(unnamed, layer)->checkState(PlanImportDialog::Outlines), Qt::Unchecked);
    }
    EXPECT_EQ(unnamed.summary->text().toStdString(),
              "图纸中没有名称含“房间”“ROOM”“AREA”“面积”的图层，请勾选房间轮廓所在的图层。");
    tests::keepPicture(unnamed, u"plan-import-dialog-unnamed"_s);
    toggle(unnamed, u"0"_s);
    toggle(unnamed, u"FURN"_s);
    EXPECT_EQ(unnamed.summary->text().toStdString(), "将导入 2 个房间，共 24.00 m²。");

    const auto own = io::readDxf(QStringLiteral(WALL_PLANS "/proprietary.dxf"));
    ASSERT_TRUE(std::holds_alternative<io::DxfDrawing>(own));
    PlanImportDialog proprietary(u"proprietary.dxf"_s, std::get<io::DxfDrawing>(own), QString());
    proprietary.show();
    EXPECT_EQ(proprietary.unreadableNote->text().toStdString(),
              "图纸含 15 个专业软件对象（TCH_SPACE、TCH_WALL），请在原软件中导出为 T3 "
              "格式或分解后再导入。");
    EXPECT_FALSE(proprietary.importButton->isEnabled());
}

// A floor of outlines: its doors counted as the walls' are, and the outline round it.
TEST(PlanImportDialog, CountsTheDoorsBetweenOutlinesAndTheFloorsOutline) {
    const auto read = io::readDxf(QStringLiteral(FLOOR_PLANS "/office.dxf"));
    ASSERT_TRUE(std::holds_alternative<io::DxfDrawing>(read));
    PlanImportDialog dialog(u"office.dxf"_s, std::get<io::DxfDrawing>(read), QString());
    dialog.show();
    EXPECT_EQ(dialog.summary->text().toStdString(),
              "将导入 17 个房间，共 1524.00 m²；楼层轮廓 1 个；门 18 个，其中外门 2 个。");
    tests::keepPicture(dialog, u"plan-import-dialog-doors"_s);
}

// A large drawing's rooms are found in the background; 停止 leaves no rooms, and the search
// abandoned shows none when it ends.
TEST(PlanImportDialog, RoomsOfALargeDrawingAreFoundInTheBackgroundAndStopped) {
    const auto read = io::readDxf(QStringLiteral(WALL_PLANS "/office.dxf"));
    ASSERT_TRUE(std::holds_alternative<io::DxfDrawing>(read));
    const auto restore =
        qScopeGuard([before = std::exchange(PlanImportDialog::backgroundAbove, 0)] {
            PlanImportDialog::backgroundAbove = before;
        });
    PlanImportDialog dialog(u"office.dxf"_s, std::get<io::DxfDrawing>(read), QString());
    dialog.show();
    EXPECT_TRUE(dialog.busy->isVisible());
    EXPECT_FALSE(dialog.importButton->isEnabled());
    QTRY_VERIFY(dialog.importButton->isEnabled());
    EXPECT_TRUE(dialog.summary->text().startsWith(u"房间 6 个"_s));
    EXPECT_TRUE(dialog.busy->isHidden());

    toggle(dialog, u"COLUMN"_s, PlanImportDialog::Lines);
    EXPECT_EQ(dialog.summary->text(), u"正在识别房间…"_s);
    EXPECT_FALSE(dialog.importButton->isEnabled());
    QTest::mouseClick(dialog.stopButton, Qt::LeftButton);
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.summary->text(), u"已停止识别房间。"_s);
    EXPECT_EQ(dialog.roomList->count(), 0);
    EXPECT_FALSE(dialog.importButton->isEnabled());
    EXPECT_TRUE(dialog.stopButton->isHidden());
}

// The window of an empty project, its questions answered by the test, the import dialog clicked
// through.
class PlanImportWindow : public PlanViewTest {
  protected:
    PlanImportWindow() {
        window->model()->setProject({});
        window->askPlanFileName = [this] { return planFile; };
        window->askUpdateUnits = [this](const QString& text) {
            questions << text;
            return agree;
        };
        window->askPlanImport = [this](
                                    const QString& fileName, const io::DxfDrawing& read,
                                    const QString& proposed) -> std::optional<io::PlanImportInput> {
            PlanImportDialog dialog(fileName, read, proposed, window.get());
            dialog.show();
            proposedFloors << dialog.floorEdit->text();
            dialog.floorEdit->setFocus();
            dialog.floorEdit->selectAll();
            // Chinese text comes from the input method as one committed string.
            QInputMethodEvent typed;
            typed.setCommitString(floor);
            QApplication::sendEvent(dialog.floorEdit, &typed);
            if (inDialog) {
                inDialog(dialog);
            }
            QTest::mouseClick(dialog.importButton, Qt::LeftButton);
            if (dialog.result() != QDialog::Accepted) {
                return std::nullopt;
            }
            return dialog.input();
        };
    }

    void importThroughTheMenu() const {
        tests::clickMenuItem(window->fileMenu(), u"导入平面图(DXF)"_s);
    }

    [[nodiscard]] std::vector<std::pair<std::string, double>> rooms() const {
        std::vector<std::pair<std::string, double>> rooms;
        for (const core::Unit& unit : window->project().units) {
            rooms.emplace_back(unit.location + " " + unit.name, unit.choices.area);
        }
        return rooms;
    }

    QString planFile = kDrawing;
    std::function<void(PlanImportDialog&)> inDialog;  // before 导入 is clicked
    QString floor = u"一层"_s;
    bool agree = false;
    QStringList questions, proposedFloors;
};

// A file that is no drawing is refused naming it, and nothing changes. The rooms of a drawing come
// in as one step, and the same drawing again only with the user's agreement.
TEST_F(PlanImportWindow, RoomsComeInAsOneStepAndAgainOnlyWithTheUsersAgreement) {
    planFile = QStringLiteral(PLAN_DRAWINGS "/binary.dxf");
    importThroughTheMenu();
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].contains(u"binary.dxf"_s)) << notices[0].toStdString();
    EXPECT_TRUE(window->project().units.empty());
    EXPECT_EQ(window->undoStack()->count(), 0);

    planFile = kDrawing;
    importThroughTheMenu();
    const std::vector<std::pair<std::string, double>> imported{
        {"一层 卫生间", 7.2}, {"一层 会议 室", 27}, {"一层 储藏室", 16}, {"一层 走廊", 24}};
    EXPECT_EQ(rooms(), imported);
    EXPECT_EQ(window->undoStack()->count(), 1);
    EXPECT_EQ(window->undoStack()->undoText(), u"导入平面图"_s);
    EXPECT_TRUE(window->isWindowModified());
    window->undoStack()->undo();
    EXPECT_TRUE(window->project().units.empty());
    window->undoStack()->redo();
    EXPECT_EQ(rooms(), imported);

    // An area typed over the plan's is marked in the table.
    ui::ProjectModel* model = window->model();
    const QModelIndex area = model->index(0, ui::ProjectModel::Area);
    EXPECT_FALSE(model->data(area, Qt::ToolTipRole).isValid());
    ASSERT_TRUE(model->setData(area, 9, Qt::EditRole));
    EXPECT_EQ(window->project().units[0].choices.area, 9);
    EXPECT_EQ(model->data(area, Qt::ToolTipRole).toString().toStdString(),
              "面积已手动修改，平面图面积为 7.2 m²");
    EXPECT_TRUE(model->data(area, Qt::FontRole).value<QFont>().italic());

    // The same drawing again: the typed area would give way to the plan's. Declined, nothing
    // changes; agreed, one more step that undo takes back.
    importThroughTheMenu();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].contains(u"1 个计算单元（卫生间）"_s)) << questions[0].toStdString();
    EXPECT_EQ(window->project().units[0].choices.area, 9);
    EXPECT_EQ(window->undoStack()->count(), 2);
    agree = true;
    importThroughTheMenu();
    EXPECT_EQ(rooms(), imported);
    EXPECT_EQ(window->undoStack()->count(), 3);
    window->undoStack()->undo();
    EXPECT_EQ(window->project().units[0].choices.area, 9);

    // Nothing new: said so, no step added.
    window->undoStack()->redo();
    importThroughTheMenu();
    EXPECT_EQ(window->undoStack()->count(), 3);
    ASSERT_EQ(notices.size(), 2);
    EXPECT_TRUE(notices.back().contains(u"都已导入，且没有变化"_s)) << notices.back().toStdString();

    // Each time again, the floor it went to is proposed.
    EXPECT_EQ(proposedFloors, (QStringList{u"r2000_gbk"_s, u"一层"_s, u"一层"_s, u"一层"_s}));
}

// The rows imported are the ones selected. A unit placed before whose outline the drawing changes
// so that its points no longer cover it is placed again once the user agrees, as a step of its own.
TEST_F(PlanImportWindow, UnitsWhosePointsNoLongerCoverArePlacedAgain) {
    window->addUnit(tests::makeUnit("楼梯间", core::FireClass::A, 20));
    importThroughTheMenu();
    EXPECT_EQ(tableSelection(), (std::vector<int>{1, 2, 3, 4}));
    // Placed in the room as an earlier drawing had it, 1000 m away.
    core::Unit moved = window->project().units[1];
    for (core::PlanPoint& p : moved.outline) {
        p.x += 1000;
    }
    window->model()->replaceUnit(1, moved);
    window->table()->selectRow(1);
    window->placeSettingPoints();
    ASSERT_TRUE(window->model()->unitDesign(1).cover->proven);
    QStringList asked;
    window->askReplace = [&asked](const QString& text) {
        asked << text;
        return true;
    };
    agree = true;
    importThroughTheMenu();
    EXPECT_EQ(
        asked,
        QStringList{
            u"导入改变了 1 个已布置设置点的计算单元，其设置点已不能覆盖全部平面。是否重新布置？"_s});
    EXPECT_TRUE(window->model()->unitDesign(1).cover->proven);
    EXPECT_EQ(window->undoStack()->undoText(), u"布置设置点"_s);
    EXPECT_EQ(tableSelection(), std::vector<int>{1});
    window->undoStack()->undo();
    EXPECT_FALSE(window->model()->unitDesign(1).cover->proven);
}

// The office floor drawn with walls opens in the walls' mode with its wall and column layers
// ticked; the preview shows its rooms, doors and the gap closed without one. A room unticked by a
// click in the preview stays out; the doors come in with the rooms as one step, and the plan view
// draws them.
TEST_F(PlanImportWindow, RoomsFoundFromWallsComeInWithTheirDoors) {
    planFile = QStringLiteral(WALL_PLANS "/office.dxf");
    // The doors' colours: the preview's openings, amber; the plan's leaves, brown.
    const auto doorPixels = [](const QImage& image, QColor door) {
        return pixels(image, image.rect(), [door](const QColor& c) {
            return std::abs(c.red() - door.red()) < 24 && std::abs(c.green() - door.green()) < 24 &&
                   std::abs(c.blue() - door.blue()) < 24;
        });
    };
    inDialog = [&](PlanImportDialog& dialog) {
        EXPECT_EQ(dialog.modeBox->currentText(), u"由墙线识别房间"_s);
        QStringList walls;
        for (int i = 0; i < dialog.layerList->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = dialog.layerList->topLevelItem(i);
            if (item->checkState(PlanImportDialog::Lines) == Qt::Checked) {
                walls << item->text(0);
            }
        }
        EXPECT_EQ(walls, (QStringList{u"WALL"_s, u"COLUMN"_s}));
        EXPECT_EQ(dialog.summary->text().toStdString(),
                  "房间 6 个，共 328.06 m²；门 6 个，其中外门 1 个；按门洞闭合 1 处。");
        // The corridor's opening without a door, both lines of its wall closed, is one.
        ASSERT_EQ(dialog.roomList->count(), 7);
        EXPECT_EQ(dialog.roomList->item(6)->text(), u"按门洞闭合　1.80 m"_s);
        const QImage image = dialog.preview->viewport()->grab().toImage();
        EXPECT_GT(doorPixels(image, QColor(0xd0, 0x84, 0x1a)), 40);
        tests::keepPicture(dialog, u"plan-import-dialog-walls"_s);
        // 档案室 left out by a click on it in the preview, off its label.
        const auto found = dialog.input().plan.rooms;
        const auto archive = std::ranges::find(found, "档案室", &core::PlanRoomInput::name);
        ASSERT_NE(archive, found.end());
        const core::PlanPoint inside = core::labelPoint(archive->outline, archive->holes);
        QTest::mouseClick(
            dialog.preview->viewport(), Qt::LeftButton, {},
            dialog.preview->mapFromScene(PlanView::scenePoint({inside.x, inside.y + 2})));
        EXPECT_EQ(dialog.roomList->findItems(u"档案室"_s, Qt::MatchStartsWith)[0]->checkState(),
                  Qt::Unchecked);
        EXPECT_TRUE(dialog.summary->text().startsWith(u"房间 5 个，共 254.64 m²；"_s))
            << dialog.summary->text().toStdString();
    };
    importThroughTheMenu();
    const auto imported = rooms();
    ASSERT_EQ(imported.size(), 5);
    EXPECT_TRUE(std::ranges::none_of(imported,
                                     [](const auto& room) { return room.first == "一层 档案室"; }));
    EXPECT_EQ(window->project().doors.size(), 6);
    EXPECT_EQ(window->undoStack()->count(), 1);
    window->undoStack()->undo();
    EXPECT_TRUE(window->project().doors.empty());
    window->undoStack()->redo();
    QCoreApplication::processEvents();
    const QImage plan = viewport()->grab().toImage();
    EXPECT_GT(doorPixels(plan, ui::DoorItem::kDoorColor), 40);
    tests::keepPicture(*window, u"plan-import-doors"_s);
}

}  // namespace
