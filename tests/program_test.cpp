// The program's two windows as a user moves between them: the calculator's 工程… button, the
// project window's 工具 → 单元计算器, and a unit added to the project from the calculator.
#include "program.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "project_window.h"
#include "saved_choices_file.h"
#include "torva.h"

namespace {

template <typename T>
T* shown() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<T*>(w); found != nullptr && found->isVisible()) {
            return found;
        }
    }
    return nullptr;
}

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        QStandardPaths::setTestModeEnabled(true);
        ui::useSettingsFolder(folder.path());
    }

    QTemporaryDir folder;
    app::Program program;
};

TEST_F(ProgramTest, EachWindowOpensTheOtherAndAUnitGoesToTheProject) {
    program.showCalculator();
    torva* calculator = shown<torva>();
    ASSERT_NE(calculator, nullptr);
    EXPECT_EQ(shown<ui::ProjectWindow>(), nullptr);

    QTest::mouseClick(calculator->projectButton, Qt::LeftButton);
    ui::ProjectWindow* project = shown<ui::ProjectWindow>();
    ASSERT_NE(project, nullptr);
    QTest::mouseClick(calculator->projectButton, Qt::LeftButton);
    EXPECT_EQ(shown<ui::ProjectWindow>(), project) << "only one project window";

    core::Unit unit;
    unit.name = "仓库";
    unit.choices.area = 1500;
    EXPECT_EQ(calculator->addToProject(unit), 1);
    EXPECT_EQ(calculator->addToProject(unit), 2);
    EXPECT_EQ(project->table()->currentIndex().row(), 1) << "the new row is current";
    EXPECT_EQ(project->project().units.size(), 2U);

    // Closed, the calculator comes back from the project window's 工具 menu.
    calculator->close();
    EXPECT_EQ(shown<torva>(), nullptr);
    for (QAction* action : project->toolsMenu()->actions()) {
        if (action->text().contains(QStringLiteral("单元计算器"))) {
            action->trigger();
        }
    }
    EXPECT_NE(shown<torva>(), nullptr);

    project->askSaveChanges = [] { return ui::ProjectWindow::SaveAnswer::Discard; };
    project->close();
    shown<torva>()->close();
}

}  // namespace
