// The project window's outputs offscreen, through its menus: the calculation book as a PDF and
// printed, the workbook, the copies of the tables, the file names, failures and cancelling. The
// files are read back (pdftotext, the workbook's first bytes) and so is the clipboard.
#include "project_exports.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <functional>
#include <memory>

#include "file_export.h"
#include "project_model.h"
#include "project_window.h"

namespace {

// The settings and the recovery copies go to a temporary home, never the user's.
class TemporaryHome : public ::testing::Environment {
  public:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        qputenv("HOME", home_.path().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           home_.filePath(QStringLiteral("settings")));
    }

  private:
    QTemporaryDir home_;
};
[[maybe_unused]] auto* const kHome = ::testing::AddGlobalTestEnvironment(new TemporaryHome);

using ui::ProjectExports;
using ui::ProjectWindow;

core::Unit makeUnit(const char* name, core::FireClass fireClass, double area) {
    core::Unit unit;
    unit.name = name;
    unit.location = "一层";
    unit.choices.fireClass = fireClass;
    unit.choices.area = area;
    return unit;
}

QString pdfText(const QString& fileName) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), fileName, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext could not read " << fileName.toStdString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

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
            if (printTo.isEmpty()) {
                return false;
            }
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printTo);
            return true;
        };
        window->show();
        QApplication::setActiveWindow(window.get());
    }

    ~ProjectExportsTest() override { window->close(); }

    void fill(const char* name) {
        core::Project project;
        project.name = name;
        project.units = {makeUnit("办公室", core::FireClass::A, 120),
                         makeUnit("配电间", core::FireClass::E, 40),
                         makeUnit("油品库", core::FireClass::B, 300)};
        window->model()->setProject(project);
    }

    // Opens the menu as the menu bar does and clicks the item.
    static void click(QMenu* menu, const QString& text) {
        QAction* item = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text().remove(u'&').startsWith(text)) {
                item = action;
            }
        }
        ASSERT_NE(item, nullptr) << text.toStdString();
        menu->popup(QPoint(0, 0));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        QCoreApplication::processEvents();
        EXPECT_FALSE(menu->isVisible());
    }

    [[nodiscard]] QString in(const QString& name) const { return folder.filePath(name); }
    [[nodiscard]] QStringList filesLeft() const {
        return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir folder;
    QString typed;
    QString printTo;
    QStringList suggestions;
    QStringList notices;
    std::unique_ptr<ProjectWindow> window = std::make_unique<ProjectWindow>();
    ProjectExports* exports = new ProjectExports(window.get());
};

TEST_F(ProjectExportsTest, BookFromTheMenuHasTheProjectAndEveryUnit) {
    fill("科研楼");
    typed = in(QStringLiteral("book.pdf"));
    click(window->fileMenu(), QStringLiteral("导出计算书PDF"));
    ASSERT_TRUE(notices.isEmpty()) << notices.join(u'\n').toStdString();
    const QString text = pdfText(typed);
    for (const char* expected :
         {"科研楼", "办公室", "配电间", "油品库", "灭火器配置表", "材料表"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    }
    EXPECT_EQ(window->statusBar()->currentMessage(),
              QStringLiteral("已导出：") + QDir::toNativeSeparators(typed));
    EXPECT_EQ(ui::exportFolder(), folder.path());
}

TEST_F(ProjectExportsTest, WorkbookTypedWithoutSuffixGetsXlsx) {
    fill("科研楼");
    typed = in(QStringLiteral("表格"));
    click(window->fileMenu(), QStringLiteral("导出Excel"));
    ASSERT_TRUE(notices.isEmpty()) << notices.join(u'\n').toStdString();
    QFile file(typed + QStringLiteral(".xlsx"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(2), QByteArray("PK"));
    EXPECT_EQ(filesLeft(), QStringList{QStringLiteral("表格.xlsx")});
}

// The suggestion is named after the project, else its file, else 工程, in the export folder.
TEST_F(ProjectExportsTest, SuggestedNameFollowsTheProject) {
    ui::rememberExportFolder(in(QStringLiteral("earlier.pdf")));
    fill("");
    typed = in(QStringLiteral("仓库.xfc"));
    ASSERT_TRUE(window->fileMenu() != nullptr);
    for (QAction* action : window->fileMenu()->actions()) {
        if (action->text().startsWith(QStringLiteral("另存为"))) {
            action->trigger();
        }
    }
    ASSERT_EQ(window->fileName(), typed);
    typed.clear();  // cancels the exports below
    exports->exportWorkbook();
    window->model()->setProjectName("综合楼");
    exports->exportBook();
    click(window->fileMenu(), QStringLiteral("新建"));
    window->model()->setProject({"", {makeUnit("门厅", core::FireClass::A, 80)}});
    exports->exportBook();
    EXPECT_EQ(suggestions, QStringList({in(QStringLiteral("仓库-灭火器配置表.xlsx")),
                                        in(QStringLiteral("综合楼-灭火器配置计算书.pdf")),
                                        in(QStringLiteral("工程-灭火器配置计算书.pdf"))}));
    EXPECT_TRUE(notices.isEmpty());
}

TEST_F(ProjectExportsTest, FailureIsToldNamingTheFile) {
    fill("科研楼");
    const struct {
        QString name;
        std::function<void()> run;
    } cases[] = {{QStringLiteral("missing/book.pdf"), [this] { exports->exportBook(); }},
                 {QStringLiteral("missing/table.xlsx"), [this] { exports->exportWorkbook(); }}};
    for (const auto& c : cases) {
        notices.clear();
        typed = in(c.name);
        c.run();
        ASSERT_EQ(notices.size(), 1) << c.name.toStdString();
        EXPECT_TRUE(notices[0].startsWith(QStringLiteral("无法保存"))) << notices[0].toStdString();
        EXPECT_TRUE(notices[0].contains(QDir::toNativeSeparators(typed)));
        EXPECT_TRUE(window->statusBar()->currentMessage().isEmpty());
    }
    EXPECT_TRUE(filesLeft().isEmpty());
}

// Cancelled at any step the writers report before the last (which may tell that the file is
// complete), an export leaves no file, whole or partial.
TEST_F(ProjectExportsTest, CancelledExportLeavesNoFile) {
    fill("科研楼");
    const struct {
        const char* name;
        std::function<void()> run;
    } cases[] = {{"book.pdf", [this] { exports->exportBook(); }},
                 {"table.xlsx", [this] { exports->exportWorkbook(); }}};
    for (const auto& c : cases) {
        int steps = 0;
        exports->progressOverride = [&steps](int, int) {
            ++steps;
            return true;
        };
        typed = in(QString::fromUtf8(c.name));
        c.run();
        ASSERT_TRUE(QFile::remove(typed)) << c.name;
        ASSERT_GT(steps, 1) << c.name;
        for (int cancelAt = 1; cancelAt < steps; ++cancelAt) {
            int step = 0;
            exports->progressOverride = [&step, cancelAt](int, int) { return ++step < cancelAt; };
            c.run();
            EXPECT_TRUE(filesLeft().isEmpty()) << c.name << " cancelled at " << cancelAt;
        }
    }
    EXPECT_TRUE(notices.isEmpty());
}

TEST_F(ProjectExportsTest, PrintsTheBook) {
    fill("科研楼");
    printTo = in(QStringLiteral("printed.pdf"));
    click(window->fileMenu(), QStringLiteral("打印"));
    ASSERT_TRUE(notices.isEmpty()) << notices.join(u'\n').toStdString();
    const QString text = pdfText(printTo);
    for (const char* expected : {"科研楼", "办公室", "配电间", "油品库"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    }
}

TEST_F(ProjectExportsTest, CopiesTheSchedule) {
    fill("科研楼");
    click(window->editMenu(), QStringLiteral("复制配置表"));
    const QStringList lines = QApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("序号\t位置\t计算单元")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("1\t一层\t办公室\t")));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("2\t一层\t配电间\t")));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("3\t一层\t油品库\t")));
    EXPECT_TRUE(lines[4].contains(QStringLiteral("合计")));
    EXPECT_TRUE(QApplication::clipboard()->mimeData()->hasHtml());

    click(window->editMenu(), QStringLiteral("复制材料表"));
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith(
        QStringLiteral("序号\t名称\t型号\t规格\t数量\t单位")));
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
    EXPECT_EQ(notices, QStringList{QStringLiteral("工程中没有计算单元。")});
    EXPECT_TRUE(suggestions.isEmpty());
}

}  // namespace
