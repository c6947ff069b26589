// The project window's outputs offscreen, through its menus: the calculation book as a PDF and
// printed, the workbook, the copies of the tables, the file names, failures and cancelling. The
// files are read back (pdftotext, the workbook's first bytes) and so is the clipboard.
#include "project_exports.h"

#include <gtest/gtest.h>

#include <QPrinter>
#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <memory>

#include "file_export.h"
#include "project_model.h"
#include "project_window.h"
#include "test_support.h"

using namespace Qt::StringLiterals;

namespace {

[[maybe_unused]] auto* const kHome = ::testing::AddGlobalTestEnvironment(new tests::TemporaryHome);

using tests::makeUnit;
using ui::ProjectExports;
using ui::ProjectWindow;

class ProjectExportsTest : public ::testing::Test {
  protected:
    ProjectExportsTest() {
        window->askSaveChanges = [] { return ProjectWindow::SaveAnswer::Discard; };
        window->askSaveFileName = [this](const QString&) { return typed; };
        window->showNotice = [this](const QString& text) { notices << text; };
        exports->askExportFileName = [this](const QString& suggested) {
            suggestions << suggested;
            return typed;
        };
        exports->askPrinter = [this](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printTo);
            return !printTo.isEmpty();
        };
        window->show();
        QApplication::setActiveWindow(window.get());
    }

    ~ProjectExportsTest() override { window->close(); }

    void fill(const char* name) {
        window->model()->setProject({name,
                                     {makeUnit("办公室", core::FireClass::A, 120),
                                      makeUnit("配电间", core::FireClass::E, 40),
                                      makeUnit("油品库", core::FireClass::B, 300)}});
    }

    // Opens the menu as the menu bar does and clicks the item.
    static void click(QMenu* menu, const QString& text) {
        QAction* item = nullptr;
        for (QAction* action : menu->actions()) {
            item = action->text().remove(u'&').startsWith(text) ? action : item;
        }
        ASSERT_NE(item, nullptr) << text.toStdString();
        menu->popup(QPoint(0, 0));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        QCoreApplication::processEvents();
        EXPECT_FALSE(menu->isVisible());
    }

    [[nodiscard]] QString in(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
    QString typed, printTo;
    QStringList suggestions, notices;
    std::unique_ptr<ProjectWindow> window = std::make_unique<ProjectWindow>();
    ProjectExports* exports = new ProjectExports(window.get());
};

// The book, printed and as a PDF, holds the project and every unit; a workbook typed without a
// suffix gets ".xlsx".
TEST_F(ProjectExportsTest, BookPrintAndWorkbookFromTheMenu) {
    fill("科研楼");
    typed = in(u"book.pdf"_s);
    click(window->fileMenu(), u"导出计算书PDF"_s);
    const QString text = tests::pdfText(typed);
    for (const char* expected :
         {"科研楼", "办公室", "配电间", "油品库", "灭火器配置表", "材料表"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    }
    EXPECT_EQ(window->statusBar()->currentMessage(),
              u"已导出："_s + QDir::toNativeSeparators(typed));
    EXPECT_EQ(ui::exportFolder(), folder.path());

    printTo = in(u"printed.pdf"_s);
    click(window->fileMenu(), u"打印"_s);
    EXPECT_TRUE(tests::pdfText(printTo).contains(u"油品库"_s));

    typed = in(u"表格"_s);
    click(window->fileMenu(), u"导出Excel"_s);
    EXPECT_TRUE(tests::readFile(typed + u".xlsx"_s).startsWith("PK"));
    EXPECT_EQ(tests::entries(folder.path()),
              QStringList({u"book.pdf"_s, u"printed.pdf"_s, u"表格.xlsx"_s}));
    EXPECT_TRUE(notices.isEmpty()) << notices.join(u'\n').toStdString();
}

// The suggestion is named after the project, else its file, else 工程, in the export folder.
TEST_F(ProjectExportsTest, SuggestedNameFollowsTheProject) {
    ui::rememberExportFolder(in(u"earlier.pdf"_s));
    fill("");
    typed = in(u"仓库.xfc"_s);
    for (QAction* action : window->fileMenu()->actions()) {
        if (action->text().startsWith(u"另存为"_s)) {
            action->trigger();
        }
    }
    ASSERT_EQ(window->fileName(), typed);
    typed.clear();  // cancels the exports below
    exports->exportWorkbook();
    window->model()->setProjectName("综合楼");
    exports->exportBook();
    click(window->fileMenu(), u"新建"_s);
    window->model()->setProject({"", {makeUnit("门厅", core::FireClass::A, 80)}});
    exports->exportBook();
    EXPECT_EQ(suggestions,
              QStringList({in(u"仓库-灭火器配置表.xlsx"_s), in(u"综合楼-灭火器配置计算书.pdf"_s),
                           in(u"工程-灭火器配置计算书.pdf"_s)}));
    EXPECT_TRUE(notices.isEmpty());
}

// A failure is told naming the file. Cancelled at any step the writers report before the last
// (which may tell that the file is complete), an export leaves the file it was to replace as it
// was, and no other, whole or partial.
TEST_F(ProjectExportsTest, FailedOrCancelledExportLeavesTheFolderAsItWas) {
    fill("科研楼");
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"book.pdf", [this] { exports->exportBook(); }},
        {"table.xlsx", [this] { exports->exportWorkbook(); }}};
    for (const auto& [name, run] : cases) {
        SCOPED_TRACE(name);
        notices.clear();
        window->statusBar()->clearMessage();  // the export before may have told its file
        typed = in(u"missing/"_s + QString::fromUtf8(name));
        run();
        ASSERT_EQ(notices.size(), 1);
        EXPECT_TRUE(notices[0].startsWith(u"无法保存"_s)) << notices[0].toStdString();
        EXPECT_TRUE(notices[0].contains(QDir::toNativeSeparators(typed)));
        EXPECT_TRUE(window->statusBar()->currentMessage().isEmpty());

        int steps = 0;
        exports->progressOverride = [&steps](int, int) { return ++steps > 0; };
        typed = in(QString::fromUtf8(name));
        run();
        const QByteArray written = tests::readFile(typed);
        ASSERT_FALSE(written.isEmpty());
        ASSERT_GT(steps, 1);
        for (int cancelAt = 1; cancelAt < steps; ++cancelAt) {
            int step = 0;
            exports->progressOverride = [&step, cancelAt](int, int) { return ++step < cancelAt; };
            run();
            EXPECT_EQ(tests::entries(folder.path()), QStringList{QString::fromUtf8(name)})
                << " cancelled at " << cancelAt;
            EXPECT_EQ(tests::readFile(typed), written) << " cancelled at " << cancelAt;
        }
        ASSERT_TRUE(QFile::remove(typed));
    }
    EXPECT_EQ(notices.size(), 1);
}

TEST_F(ProjectExportsTest, CopiesTheSchedule) {
    fill("科研楼");
    click(window->editMenu(), u"复制配置表"_s);
    const QStringList lines = QApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith(u"序号\t位置\t计算单元"_s)) << lines[0].toStdString();
    EXPECT_TRUE(lines[3].startsWith(u"3\t一层\t油品库\t"_s));
    EXPECT_TRUE(lines[4].contains(u"合计"_s));

    click(window->editMenu(), u"复制材料表"_s);
    EXPECT_TRUE(
        QApplication::clipboard()->text().startsWith(u"序号\t名称\t型号\t规格\t数量\t单位"_s));
}

TEST_F(ProjectExportsTest, ActionsWaitForAUnit) {
    const auto enabled = [this] {
        return std::vector<bool>{
            exports->bookAction->isEnabled(), exports->printAction->isEnabled(),
            exports->workbookAction->isEnabled(), exports->copyScheduleAction->isEnabled(),
            exports->copyMaterialsAction->isEnabled()};
    };
    EXPECT_EQ(enabled(), std::vector<bool>(5, false));
    window->addUnit(makeUnit("办公室", core::FireClass::A, 120));
    EXPECT_EQ(enabled(), std::vector<bool>(5, true));
    window->undoStack()->undo();
    EXPECT_EQ(enabled(), std::vector<bool>(5, false));
    exports->exportBook();  // called directly, it says why
    EXPECT_EQ(notices, QStringList{u"工程中没有计算单元。"_s});
    EXPECT_TRUE(suggestions.isEmpty());
}

}  // namespace
