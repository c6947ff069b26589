// The program's two windows as a user moves between them: the calculator's 工程… button, the
// project window's 工具 → 单元计算器, and a unit added to the project from the calculator.
#include "program.h"

#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>

#include "project_window.h"
#include "sheet_dialog.h"
#include "test_support.h"
#include "torva.h"

using namespace Qt::StringLiterals;

namespace {

[[maybe_unused]] auto* const kHome = ::testing::AddGlobalTestEnvironment(new tests::TemporaryHome);

template <typename T>
T* shown() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto at = std::ranges::find_if(
        windows, [](QWidget* w) { return qobject_cast<T*>(w) != nullptr && w->isVisible(); });
    return at == windows.end() ? nullptr : qobject_cast<T*>(*at);
}

TEST(ProgramTest, EachWindowOpensTheOtherAndAUnitGoesToTheProject) {
    app::Program program;
    program.showCalculator();
    torva* calculator = shown<torva>();
    ASSERT_NE(calculator, nullptr);
    EXPECT_EQ(shown<ui::ProjectWindow>(), nullptr);

    QTest::mouseClick(calculator->projectButton, Qt::LeftButton);
    ui::ProjectWindow* project = shown<ui::ProjectWindow>();
    ASSERT_NE(project, nullptr);
    QTest::mouseClick(calculator->projectButton, Qt::LeftButton);
    EXPECT_EQ(shown<ui::ProjectWindow>(), project) << "only one project window";

    // 加入工程 from the sheet: the dialog's name, the points the user set, the default model.
    calculator->tx->setText(QStringLiteral("1500"));
    QTest::keyClick(calculator->tx, Qt::Key_Return);
    for (int added = 1; added <= 2; ++added) {
        QTest::mouseClick(calculator->sheetButton, Qt::LeftButton);
        auto* sheet = calculator->findChild<ui::CalculationSheetDialog*>();
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
        ASSERT_TRUE(sheet->projectButton->isVisible());
        sheet->unitName->setText(QStringLiteral("仓库"));
        sheet->points->setValue(3);
        // The same unit a second time is added only deliberately, with the first one named.
        EXPECT_EQ(sheet->projectButton->text(), added == 1 ? u"加入工程"_s : u"再次加入"_s);
        EXPECT_EQ(sheet->projectButton->toolTip().contains(u"第1个计算单元"_s), added == 2);
        QTest::mouseClick(sheet->projectButton, Qt::LeftButton);
        EXPECT_EQ(sheet->status->text(), (added == 1 ? u"已加入工程：第%1个计算单元"_s
                                                     : u"已再次加入工程：第%1个计算单元"_s)
                                             .arg(added));
        EXPECT_EQ(sheet->projectButton->text(), u"再次加入"_s);
        sheet->unitName->setText(QStringLiteral("仓库二"));
        EXPECT_EQ(sheet->projectButton->text(), u"加入工程"_s) << "another unit";
        sheet->close();
        delete sheet;
    }
    EXPECT_EQ(project->table()->currentIndex().row(), 1) << "the new row is current";
    ASSERT_EQ(project->project().units.size(), 2U);
    EXPECT_EQ(project->project().units[1], (core::Unit{"仓库", "", calculator->choices(), {}, 3}));

    // The project and the calculator are independent afterwards.
    QTest::mouseClick(calculator->Op1.at(ui::op1::kClassB), Qt::LeftButton, {}, QPoint(8, 8));
    EXPECT_EQ(project->project().units[1].choices.fireClass, core::FireClass::A);

    // Closed, the calculator comes back from the project window's 工具 menu.
    calculator->close();
    EXPECT_EQ(shown<torva>(), nullptr);
    project->toolsMenu()->actions().constFirst()->trigger();  // 单元计算器
    EXPECT_NE(shown<torva>(), nullptr);

    project->askSaveChanges = [] { return ui::ProjectWindow::SaveAnswer::Discard; };
    project->close();
    shown<torva>()->close();
}

}  // namespace
