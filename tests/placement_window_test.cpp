// Setting points placed from the project window, offscreen: 工具 → 布置设置点 and the plan's
// context menu as one undoable step, N and 校核 from the points, a placement that a change of R
// leaves short, the reach and the uncovered part drawn on the plan, and 取消.
#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>
#include <memory>
#include <vector>

#include "menu_click.h"
#include "plan_view.h"
#include "preview_support.h"
#include "project_model.h"
#include "project_window.h"
#include "test_support.h"

using namespace Qt::StringLiterals;

namespace {

[[maybe_unused]] auto* const kHome = ::testing::AddGlobalTestEnvironment(new tests::TemporaryHome);

using ui::PlanView;
using ui::ProjectModel;
using ui::ProjectWindow;

core::Unit room(const char* name, core::Ring outline, core::Hazard hazard) {
    core::Unit unit = tests::makeUnit(name, core::FireClass::A, core::area(outline));
    unit.choices.hazard = hazard;
    unit.outline = std::move(outline);
    return unit;
}

core::Ring shifted(core::Ring ring, double dx, double dy) {
    for (core::PlanPoint& p : ring) {
        p = {p.x + dx, p.y + dy};
    }
    return ring;
}

const core::Ring kL{{0, 0}, {16, 0}, {16, 8}, {8, 8}, {8, 16}, {0, 16}};
constexpr double kLx = 10;  // where the L lies on the floor

// A corridor of 3 × 120 m (R = 20 m), the L beside it (a serious hazard: R = 15 m), an office, and
// a unit without an outline.
core::Project floorOfFour() {
    return {"办公楼",
            {room("走廊", {{0, 0}, {3, 0}, {3, 120}, {0, 120}}, core::Hazard::Medium),
             room("资料室", shifted(kL, kLx, 0), core::Hazard::Serious),
             room("办公室", {{30, 0}, {42, 0}, {42, 10}, {30, 10}}, core::Hazard::Medium),
             tests::makeUnit("楼梯间", core::FireClass::A, 20)}};
}

class PlacementWindowTest : public ::testing::Test {
  protected:
    PlacementWindowTest() {
        window = std::make_unique<ProjectWindow>();
        window->askSaveChanges = [] { return ProjectWindow::SaveAnswer::Discard; };
        window->showNotice = [this](const QString& text) { notices << text; };
        window->resize(1400, 800);
        window->show();
        QApplication::setActiveWindow(window.get());
        window->model()->setProject(floorOfFour());
        QCoreApplication::processEvents();
    }
    ~PlacementWindowTest() override { window->close(); }

    [[nodiscard]] PlanView& plan() const { return *window->planView(); }
    [[nodiscard]] QWidget* viewport() const { return plan().view()->viewport(); }
    [[nodiscard]] const core::Unit& unit(int row) const { return window->model()->unit(row); }
    [[nodiscard]] QString cell(int row, int column, int role = Qt::DisplayRole) const {
        return window->model()->index(row, column).data(role).toString();
    }
    [[nodiscard]] QPoint at(core::PlanPoint point) const {
        return plan().view()->viewportTransform().map(PlanView::scenePoint(point)).toPoint();
    }

    void placeFromTheMenu() {
        window->table()->setFocus();
        tests::clickMenuItem(window->toolsMenu(), u"布置设置点"_s);
    }

    std::unique_ptr<ProjectWindow> window;
    QStringList notices;
};

// The selected units with an outline are placed in one step; N and 校核 follow their points, and
// N is no longer typed. Undo takes all the points back.
TEST_F(PlacementWindowTest, PlacesTheSelectedRoomsAsOneStep) {
    window->table()->selectAll();
    ASSERT_TRUE(window->placeAction()->isEnabled());
    placeFromTheMenu();
    EXPECT_TRUE(notices.isEmpty()) << notices.join(u'\n').toStdString();
    EXPECT_EQ(unit(0).setPoints.size(), 4U);  // the corridor: four, where N0 = 1
    EXPECT_GE(unit(1).setPoints.size(), 1U);
    EXPECT_EQ(unit(2).setPoints.size(), 1U);
    EXPECT_TRUE(unit(3).setPoints.empty());
    const std::size_t points =
        unit(0).setPoints.size() + unit(1).setPoints.size() + unit(2).setPoints.size();
    EXPECT_EQ(window->statusBar()->currentMessage(),
              u"已布置 3 个计算单元，共 %1 个设置点"_s.arg(points));
    EXPECT_EQ(cell(0, ProjectModel::Points), u"4"_s);
    EXPECT_EQ(cell(0, ProjectModel::Points, Qt::ToolTipRole),
              u"按平面布置的设置点数（估算值 N₀ = 1）"_s);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(cell(row, ProjectModel::Check), u"满足"_s) << row;
        EXPECT_FALSE(window->model()->flags(window->model()->index(row, ProjectModel::Points)) &
                     Qt::ItemIsEditable);
    }
    EXPECT_EQ(window->undoStack()->count(), 1);
    EXPECT_EQ(window->undoStack()->undoText(), u"布置设置点"_s);
    window->undoStack()->undo();
    for (int row = 0; row < 4; ++row) {
        EXPECT_TRUE(unit(row).setPoints.empty()) << row;
    }
    EXPECT_EQ(cell(0, ProjectModel::Points), u"1"_s);
    window->undoStack()->redo();
    EXPECT_EQ(unit(0).setPoints.size(), 4U);

    // Nothing to place for a unit without an outline.
    window->table()->selectRow(3);
    EXPECT_FALSE(window->placeAction()->isEnabled());
}

// One point at (7.5, 12) of the L reaches its far corner within 14.71 m in a straight line, yet
// 15.35 m round the corner: 7.1.3 fails, and the plan hatches the corner no point reaches. Placed
// from the plan's context menu, the L is covered.
TEST_F(PlacementWindowTest, TheLByPathIsNotCoveredUntilPlaced) {
    core::Unit l = unit(1);
    l.setPoints = {{kLx + 7.5, 12}};
    window->model()->setProject({"办公楼", {unit(3), l}});
    QCoreApplication::processEvents();
    EXPECT_EQ(cell(1, ProjectModel::Check), u"不满足 7.1.3"_s);
    EXPECT_TRUE(cell(1, ProjectModel::Check, Qt::ToolTipRole)
                    .contains(u"保护距离或平面已变，请重新布置设置点"_s));
    EXPECT_TRUE(window->model()->checkFails(1));

    const QRect room = QRect(at({kLx, 16}), at({kLx + 16, 0}));
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, at({kLx + 4, 4}));
    ASSERT_EQ(window->table()->currentIndex().row(), 1);
    ASSERT_NE(plan().reachShown(), nullptr);
    EXPECT_TRUE(plan().reachMissesSome());
    // The hatching's red lies at the far corner (16, 0) alone.
    const QImage image = viewport()->grab().toImage();
    tests::keepPicture(*viewport(), u"plan-l-uncovered"_s);
    const auto red = [&image](QRect rect) {
        int count = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.red() > 150 && c.green() < 80 && c.blue() < 80 ? 1 : 0;
            }
        }
        return count;
    };
    const int cornerSide = room.width() / 10;
    const QPoint corner = at({kLx + 16, 0});
    EXPECT_GT(red(QRect(corner - QPoint(cornerSide, cornerSide), corner - QPoint(3, 3))), 0);
    const QPoint covered = at({kLx + 2, 2});
    EXPECT_EQ(red(QRect(covered, covered + QPoint(cornerSide, cornerSide))), 0);

    // A right click on the room opens the plan's menu; its 布置设置点 places the L.
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at({kLx + 4, 4}),
                                viewport()->mapToGlobal(at({kLx + 4, 4})));
    QApplication::sendEvent(viewport(), &menuEvent);
    ASSERT_TRUE(plan().menu()->isVisible());
    tests::clickMenuItem(plan().menu(), u"布置设置点"_s);
    EXPECT_NE(unit(1).setPoints, l.setPoints);
    EXPECT_EQ(cell(1, ProjectModel::Check), u"满足"_s);
    ASSERT_NE(plan().reachShown(), nullptr);
    EXPECT_FALSE(plan().reachMissesSome());
}

// A harder hazard shortens R from 20 to 15 m: the corridor's four points, 30 m apart, no longer
// reach its ends, and 校核 asks for placing again. Undo brings R and the cover back.
TEST_F(PlacementWindowTest, AShorterReachAsksForPlacingAgain) {
    window->table()->selectRow(0);
    placeFromTheMenu();
    ASSERT_EQ(unit(0).setPoints.size(), 4U);
    ASSERT_EQ(cell(0, ProjectModel::Check), u"满足"_s);
    const QModelIndex hazard = window->model()->index(0, ProjectModel::Hazard);
    ASSERT_TRUE(
        window->model()->setData(hazard, static_cast<int>(core::Hazard::Serious), Qt::EditRole));
    EXPECT_EQ(cell(0, ProjectModel::Check), u"不满足 7.1.3"_s);
    EXPECT_TRUE(cell(0, ProjectModel::Check, Qt::ToolTipRole)
                    .contains(u"7.1.3 保护距离或平面已变，请重新布置设置点"_s));
    EXPECT_TRUE(plan().reachMissesSome());
    window->undoStack()->undo();
    EXPECT_EQ(cell(0, ProjectModel::Check), u"满足"_s);
    EXPECT_FALSE(plan().reachMissesSome());
}

// A workshop shaped as a comb of 120 teeth, seconds to place, with the progress shown at once;
// 取消 stops it within the room and changes nothing.
TEST_F(PlacementWindowTest, CancelChangesNothing) {
    core::Ring comb{{0, 0}, {358.5, 0}};
    for (int tooth = 119; tooth >= 0; --tooth) {
        const double left = 3.0 * tooth;
        comb.insert(comb.end(), {{left + 1.5, 35}, {left, 35}});
        if (tooth > 0) {
            comb.insert(comb.end(), {{left, 5}, {left - 1.5, 5}});
        }
    }
    core::Project many{"厂房", {room("车间", comb, core::Hazard::Medium)}};
    window->model()->setProject(many);
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

// The floor after placement, looked at: the points over every room, and the reach of the
// selected one's.
TEST_F(PlacementWindowTest, PictureOfTheFloorAfterPlacement) {
    window->table()->selectAll();
    placeFromTheMenu();
    window->table()->selectRow(2);
    QCoreApplication::processEvents();
    ASSERT_NE(plan().reachShown(), nullptr);
    const QImage image = viewport()->grab().toImage();
    tests::keepPicture(*window, u"plan-placed"_s);
    // A point's red disc at each placed point of the office.
    const QColor disc = image.pixelColor(at(unit(2).setPoints.front()));
    EXPECT_GT(disc.red(), 150);
    EXPECT_LT(disc.green(), 80);
}

}  // namespace
