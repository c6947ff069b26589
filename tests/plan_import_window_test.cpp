// The import of a floor plan in the project window: the dialog clicked and typed through (the
// drawing's unit, the location, the layers, the outlines that do not come in and why, the objects
// that cannot be read), the rooms added as one undoable step, and the same drawing imported again
// bringing its units up to date only once the user agrees.
#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>
#include <memory>
#include <optional>

#include "plan_import_dialog.h"
#include "preview_support.h"
#include "project_window.h"
#include "test_support.h"

using namespace Qt::StringLiterals;

namespace {

[[maybe_unused]] auto* const kHome = ::testing::AddGlobalTestEnvironment(new tests::TemporaryHome);

using ui::PlanImportDialog;
using ui::ProjectWindow;

// The GBK drawing written by ezdxf: four rooms on A-AREA (74.20 m² in all), a floor boundary
// around them, three faulty outlines, furniture on FURN and two kinds of a CAD program's own
// objects.
const QString kDrawing = QStringLiteral(PLAN_DRAWINGS "/r2000_gbk.dxf");

io::DxfDrawing drawing(const QString& fileName) {
    auto read = io::readDxf(fileName);
    if (const auto* fault = std::get_if<QString>(&read)) {
        ADD_FAILURE() << fault->toStdString();
        return {};
    }
    return std::get<io::DxfDrawing>(read);
}

QTreeWidgetItem* layerItem(const PlanImportDialog& dialog, const QString& name) {
    const auto found = dialog.layerList->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.front();
}

// Ticks or unticks a layer as a user does: the item made current, then the space bar.
void toggle(PlanImportDialog& dialog, const QString& layer) {
    QTreeWidgetItem* item = layerItem(dialog, layer);
    ASSERT_NE(item, nullptr) << layer.toStdString();
    dialog.layerList->setFocus();
    dialog.layerList->setCurrentItem(item);
    QTest::keyClick(dialog.layerList->viewport(), Qt::Key_Space);
}

QStringList column(const QTreeWidget& list, int column) {
    QStringList texts;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        texts << list.topLevelItem(i)->text(column);
    }
    return texts;
}

QStringList items(const QComboBox& box) {
    QStringList texts;
    for (int i = 0; i < box.count(); ++i) {
        texts << box.itemText(i);
    }
    return texts;
}

TEST(PlanImportDialog, ShowsWhatComesInAsTheUserChoosesLayersAndUnit) {
    PlanImportDialog dialog(kDrawing, drawing(kDrawing), QString());
    dialog.show();
    EXPECT_EQ(dialog.unitBox->currentText(), u"毫米"_s);
    EXPECT_EQ(items(*dialog.unitBox),
              (QStringList{u"毫米"_s, u"厘米"_s, u"分米"_s, u"米"_s, u"英寸"_s, u"英尺"_s}));
    EXPECT_TRUE(dialog.unitWarning->isHidden());
    EXPECT_EQ(dialog.floorEdit->text(), u"r2000_gbk"_s);
    // The room layer proposed, the furniture's not; layers without outlines are not offered.
    EXPECT_EQ(layerItem(dialog, u"A-AREA"_s)->checkState(0), Qt::Checked);
    EXPECT_EQ(layerItem(dialog, u"FURN"_s)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(layerItem(dialog, u"HATCH"_s), nullptr);
    EXPECT_EQ(dialog.summary->text().toStdString(),
              "将导入 4 个房间，共 74.20 m²。以下 4 个轮廓不导入：");
    EXPECT_EQ(column(*dialog.refusedList, 2),
              (QStringList{u"包含 4 个房间"_s, u"自相交"_s, u"面积为零"_s, u"顶点不足"_s}));
    EXPECT_TRUE(dialog.unreadableNote->isVisible());
    EXPECT_TRUE(dialog.unreadableNote->text().contains(u"TCH_WALL 2 个"_s));
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
         "将导入 1 个房间，共 7200000.00 m²。以下 7 个轮廓不导入：", true},
        {"millimetres again", [&] { QTest::mouseClick(dialog.unitSwitch, Qt::LeftButton); },
         "将导入 4 个房间，共 74.20 m²。以下 4 个轮廓不导入：", true},
        // The desk, without a name, lies in the toilet: a hole in it. Alone it is under 1 m² on a
        // layer not proposed, and no room.
        {"furniture too", [&] { toggle(dialog, u"FURN"_s); },
         "将导入 4 个房间，共 73.84 m²。以下 4 个轮廓不导入：", true},
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
// on layers not named for rooms.
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
        return io::DxfPolyline{u"1"_s,
                               QString::fromUtf8(layer),
                               {{{x, 0}}, {{x + 4000, 0}}, {{x + 4000, 3000}}, {{x, 3000}}},
                               true,
                               false,
                               {}};
    };
    furniture.polylines = {square("FURN", 0), square("0", 5000)};
    PlanImportDialog unnamed(u"平面图.dxf"_s, furniture, QString());
    unnamed.show();
    EXPECT_EQ(column(*unnamed.layerList, 0), (QStringList{u"FURN"_s, u"0"_s}));
    for (const QString& layer : {u"FURN"_s, u"0"_s}) {
        EXPECT_EQ(layerItem(unnamed, layer)->checkState(0), Qt::Unchecked);
    }
    EXPECT_EQ(unnamed.summary->text().toStdString(),
              "图纸中没有名称含“房间”“ROOM”“AREA”“面积”的图层，请勾选房间轮廓所在的图层。");
    tests::keepPicture(unnamed, u"plan-import-dialog-unnamed"_s);
    toggle(unnamed, u"0"_s);
    toggle(unnamed, u"FURN"_s);
    EXPECT_EQ(unnamed.summary->text().toStdString(), "将导入 2 个房间，共 24.00 m²。");
}

// The window, its questions answered by the test, the import dialog clicked through.
class PlanImportWindow : public ::testing::Test {
  protected:
    PlanImportWindow() : window(std::make_unique<ProjectWindow>()) {
        window->askPlanFileName = [this] { return planFile; };
        window->showNotice = [this](const QString& text) { notices << text; };
        window->askSaveChanges = [] { return ProjectWindow::SaveAnswer::Discard; };
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
            QTest::mouseClick(dialog.importButton, Qt::LeftButton);
            if (dialog.result() != QDialog::Accepted) {
                return std::nullopt;
            }
            return dialog.input();
        };
        window->show();
        QApplication::setActiveWindow(window.get());
    }

    void importThroughTheMenu() {
        for (QAction* action : window->fileMenu()->actions()) {
            if (action->text().startsWith(u"导入平面图(DXF)"_s)) {
                action->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no 导入平面图(DXF) in the 文件 menu";
    }

    [[nodiscard]] std::vector<std::pair<std::string, double>> rooms() const {
        std::vector<std::pair<std::string, double>> rooms;
        for (const core::Unit& unit : window->project().units) {
            rooms.emplace_back(unit.location + " " + unit.name, unit.choices.area);
        }
        return rooms;
    }

    std::unique_ptr<ProjectWindow> window;
    QString planFile = kDrawing;
    QString floor = u"一层"_s;
    bool agree = false;
    QStringList notices;
    QStringList questions;
    QStringList proposedFloors;
};

TEST_F(PlanImportWindow, RoomsComeInAsOneStepAndAgainOnlyWithTheUsersAgreement) {
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
    window->table()->setCurrentIndex(area);
    window->table()->setFocus();
    QTest::keyClick(window->table(), Qt::Key_F2);
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, u"9"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the delegate commits in a queued call
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
    ASSERT_FALSE(notices.isEmpty());
    EXPECT_TRUE(notices.back().contains(u"都已导入，且没有变化"_s)) << notices.back().toStdString();

    // Each time again, the floor it went to is proposed. The same drawing to another floor adds
    // its rooms there.
    EXPECT_EQ(proposedFloors, (QStringList{u"r2000_gbk"_s, u"一层"_s, u"一层"_s, u"一层"_s}));
    floor = u"二层"_s;
    importThroughTheMenu();
    EXPECT_EQ(window->project().units.size(), 8U);
    EXPECT_EQ(rooms().back(), (std::pair<std::string, double>{"二层 走廊", 24}));
}

// The rows imported are the ones selected. A unit placed before whose outline the drawing changes
// so that its points no longer cover it is placed again once the user agrees, as a step of its own.
TEST_F(PlanImportWindow, UnitsWhosePointsNoLongerCoverArePlacedAgain) {
    const auto selected = [this] {
        std::vector<int> rows;
        for (int row = 0; row < window->model()->rowCount(); ++row) {
            if (window->table()->selectionModel()->rowIntersectsSelection(row, {})) {
                rows.push_back(row);
            }
        }
        return rows;
    };
    window->addUnit(tests::makeUnit("楼梯间", core::FireClass::A, 20));
    importThroughTheMenu();
    EXPECT_EQ(selected(), (std::vector<int>{1, 2, 3, 4}));
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
    EXPECT_EQ(selected(), std::vector<int>{1});
    window->undoStack()->undo();
    EXPECT_FALSE(window->model()->unitDesign(1).cover->proven);
}

// A file that is no drawing is refused naming it, and nothing changes.
TEST_F(PlanImportWindow, AFileThatIsNoDrawingIsRefusedByName) {
    planFile = QStringLiteral(PLAN_DRAWINGS "/binary.dxf");
    importThroughTheMenu();
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].contains(u"binary.dxf"_s)) << notices[0].toStdString();
    EXPECT_TRUE(window->project().units.empty());
    EXPECT_EQ(window->undoStack()->count(), 0);
}

}  // namespace
