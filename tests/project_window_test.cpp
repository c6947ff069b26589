// The project window offscreen: its table edited by keyboard, undo and redo, the check column, the
// file and the unsaved-changes question; its outputs through its menus, the files and clipboard
// read back; and where work could be lost or put in the wrong file: failed saves, recovery at
// start, open editors, linked files, long names, unchanged edits and read-only projects.
#include <gtest/gtest.h>

#include <QPrinter>
#include <QtTest>
#include <QtWidgets>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>

#include "file_export.h"
#include "menu_click.h"
#include "placed_rooms.h"
#include "plan_view.h"
#include "preview_support.h"
#include "program.h"
#include "project_exports.h"
#include "project_file.h"
#include "project_info_dialog.h"
#include "project_lock.h"
#include "project_model.h"
#include "project_window.h"
#include "saved_choices_file.h"
#include "test_support.h"
#include "unit_choice.h"

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using std::chrono::December;

namespace {

[[maybe_unused]] auto* const kHome = ::testing::AddGlobalTestEnvironment(new tests::TemporaryHome);

using namespace tests;
using ui::ProjectExports;
using ui::ProjectModel;
using ui::ProjectWindow;
using Answer = ProjectWindow::SaveAnswer;

QStringList recoveryCopies() {
    return QDir(io::RecoveryCopy::directory()).entryList({u"*.fep-recovery"_s}, QDir::Files);
}

QString canonical(const QString& fileName) {
    return QFileInfo(fileName).canonicalFilePath();
}

// Triggers the window's menu item (its outputs' too) whose text starts with `text`.
void trigger(ProjectWindow& w, const QString& text) {
    for (QAction* action : w.findChildren<QAction*>()) {
        if (action->text().remove(u'&').startsWith(text)) {
            return action->trigger();
        }
    }
    ADD_FAILURE() << text.toStdString();
}

// Opens the cell's editor with F2, as the keyboard does, and returns what has the focus.
QWidget* openEditor(ProjectWindow& w, int row, int column) {
    w.table()->setFocus();
    w.table()->setCurrentIndex(w.model()->index(row, column));
    QTest::keyClick(w.table(), Qt::Key_F2);
    return QApplication::focusWidget();
}

// Types over the editor's text as an input method commits it: Chinese is not typed key by key.
void retype(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QInputMethodEvent typed;
    typed.setCommitString(text);
    QApplication::sendEvent(edit, &typed);
}

// Edits the cell with F2, `text` typed over a line edit's own (null: the text it shows), and Enter.
void enter(ProjectWindow& w, int column, const QString& text = {}) {
    QWidget* editor = openEditor(w, 0, column);
    ASSERT_NE(editor, w.table());
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        retype(edit, text.isNull() ? edit->text() : text);
    }
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
}

// The window with its outputs, as the program makes it, and the further windows a test opens;
// every question they ask answers from the test's fields and is logged.
class ProjectWindowTest : public ::testing::Test {
  protected:
    ProjectWindowTest() {
        QDir(io::RecoveryCopy::directory()).removeRecursively();
        io::openSettings()->remove(u"project"_s);
        // A real dialog left open would hold the suite.
        guard.callOnTimeout([] {
            if (QWidget* stuck = QApplication::activeModalWidget()) {
                stuck->close();
            }
        });
        guard.start(10000);
        window = makeWindow();
        exports = new ProjectExports(window.get());
        exports->askExportFileName = [this](const QString& suggested) {
            suggestions << suggested;
            return typed;
        };
        askedForReal = exports->askExportAnyway;
        exports->askExportAnyway = [this](const QString& question) {
            exportQuestions << question;
            return exportAnyway;
        };
        exports->askPrinter = [this](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printTo);
            return !printTo.isEmpty();
        };
        window->show();
        QApplication::setActiveWindow(window.get());
        window->table()->setFocus();
    }

    ~ProjectWindowTest() override {
        closeAll();
        window->close();
    }

    // Closes the further windows, dropping their changes.
    void closeAll() {
        answer = Answer::Discard;
        for (auto& w : windows) {
            w->close();
        }
        windows.clear();
        asked.clear();
        notices.clear();
    }

    template <typename Reply>
    Reply log(QStringList& list, const QString& entry, Reply reply) {
        list << entry;
        return reply;
    }
    void answerDialogs(ProjectWindow& w) {
        w.askSaveChanges = [this] { return log(asked, u"save?"_s, answer); };
        w.askSaveFileName = [this](const QString& offered) { return log(offers, offered, typed); };
        w.askOpenFileName = [this] { return typed; };
        w.showNotice = [this](const QString& text) { notices << text; };
        w.askOpenReadOnly = [this](const QString&) { return log(asked, u"read-only?"_s, true); };
        w.askRestore = [this](const io::RecoveryCopy::Orphan&) {
            EXPECT_TRUE(std::ranges::none_of(QApplication::topLevelWidgets(), &QWidget::isVisible));
            return log(asked, u"restore?"_s, true);
        };
    }
    std::unique_ptr<ProjectWindow> makeWindow() {
        auto w = std::make_unique<ProjectWindow>();
        answerDialogs(*w);
        return w;
    }
    // A further window, shown.
    ProjectWindow& newWindow() {
        ProjectWindow& w = *windows.emplace_back(makeWindow());
        w.show();
        QApplication::setActiveWindow(&w);
        return w;
    }

    QTableView* table() const { return window->table(); }
    QString text(int row, int column) const {
        return window->model()->index(row, column).data().toString();
    }

    // Ends the edit with the key; the delegate commits the editor's data in a queued call.
    static void finish(QWidget* editor, Qt::Key key = Qt::Key_Return) {
        QTest::keyClick(editor, key);
        QCoreApplication::processEvents();
    }

    void fill(const char* name) {
        window->model()->setProject({name,
                                     {makeUnit("办公室", core::FireClass::A, 120),
                                      makeUnit("配电间", core::FireClass::E, 40),
                                      makeUnit("油品库", core::FireClass::B, 300)}});
    }

    [[nodiscard]] QString in(const QString& name) const { return folder.filePath(name); }

    // A project of one unit; its canonical path.
    QString writeProject(const QString& name) {
        EXPECT_FALSE(
            io::saveProject({"", {makeUnit("办公室", core::FireClass::A, 300)}}, in(name)));
        return canonical(in(name));
    }

    QTemporaryDir folder;
    QTimer guard;
    QString typed, printTo;  // the file names the save, open and print dialogs answer
    QStringList notices, suggestions, exportQuestions, asked, offers;
    bool exportAnyway = true;
    std::function<bool(const QString&)> askedForReal;  // the window's own question
    std::unique_ptr<ProjectWindow> window;
    std::vector<std::unique_ptr<ProjectWindow>> windows;
    ProjectExports* exports = nullptr;
    Answer answer = Answer::Cancel;
};

using ProjectExportsTest = ProjectWindowTest;

// A combo editor takes the choice by keyboard. A choice made in one of the selected rows goes to
// all of them as one step; the rows that cannot take it stay as they were and are named. A click
// on a row of the selection then selects that row alone, without opening an editor. Class D is
// not offered; a class that rules out the agent moves the unit to ammonium-phosphate powder.
TEST_F(ProjectWindowTest, AChoiceGoesToEverySelectedRowThatCanTakeIt) {
    fill("科研楼");
    const core::Agent electrical = window->project().units[1].choices.agent;
    table()->setCurrentIndex(window->model()->index(0, ProjectModel::Agent));
    table()->selectAll();
    QTest::keyClick(table(), Qt::Key_F2);
    auto* box = qobject_cast<QComboBox*>(QApplication::focusWidget());
    ASSERT_NE(box, nullptr);
    QTest::keyClick(box, Qt::Key_Home);  // 水型, which the electrical room cannot take
    tests::keepPicture(*window, u"choice-for-selected-rows"_s);
    finish(box);
    const std::vector<core::Unit>& units = window->project().units;
    EXPECT_TRUE(units[0].choices.agent == core::Agent::Water &&
                units[1].choices.agent == electrical &&
                units[2].choices.agent == core::Agent::Water);
    EXPECT_EQ(window->undoStack()->count(), 1);
    EXPECT_EQ(window->statusBar()->currentMessage(), u"计算单元配电间不能选用“水型”，未修改。"_s);

    auto* frozen = qobject_cast<ui::UnitTable*>(table())->frozenView();
    const QPoint name = frozen->visualRect(window->model()->index(1, ProjectModel::Name)).center();
    QTest::mouseClick(frozen->viewport(), Qt::LeftButton, {}, name);
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    EXPECT_EQ(table()->selectionModel()->selectedIndexes(),
              QModelIndexList{window->model()->index(1, ProjectModel::Name)});
    EXPECT_EQ(QApplication::focusWidget(), table());

    box = qobject_cast<QComboBox*>(openEditor(*window, 0, ProjectModel::FireClass));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->count() == 4 && box->findText(u"D类"_s) == -1);
    QTest::keyClick(box, Qt::Key_Down);  // B
    QTest::keyClick(box, Qt::Key_Down);  // C, which rules out water
    finish(box);
    EXPECT_EQ(text(0, ProjectModel::FireClass), u"C类"_s);
    EXPECT_EQ(text(0, ProjectModel::Agent), u"干粉(磷酸铵盐)"_s);
}

// While a cell's editor is open, Delete and Insert edit its text; with the table focused Insert
// adds a unit.
TEST_F(ProjectWindowTest, DeleteAndInsertKeysActOnUnitsOnlyOutsideAnEditor) {
    QTest::keyClick(table(), Qt::Key_Insert);
    QTest::keyClick(table(), Qt::Key_Insert);
    ASSERT_EQ(window->project().units.size(), 2U);
    EXPECT_EQ(window->project().units[1].name, "计算单元2");

    auto* edit = qobject_cast<QLineEdit*>(openEditor(*window, 0, ProjectModel::Name));
    ASSERT_NE(edit, nullptr);
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClick(edit, Qt::Key_Insert);
    finish(edit, Qt::Key_Tab);  // on to the fire class, past the columns that stay in view
    EXPECT_EQ(window->project().units.size(), 2U);
    EXPECT_EQ(window->project().units[0].name, "算单元1");
    auto* next = qobject_cast<QComboBox*>(QApplication::focusWidget());
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(table()->currentIndex().column(), ProjectModel::FireClass);
    QTest::keyClick(next, Qt::Key_Escape);
}

// Each kind of change is one step: undo gives back the project as it was, redo as it became.
TEST_F(ProjectWindowTest, EveryKindOfChangeIsUndoneAndRedone) {
    // The row selected first (-1: none) and the edit menu's item; no item: a cell's edit.
    // clang-format off
    const std::tuple<const char*, int, const char*> cases[] = {
        {"edit a cell", -1, nullptr}, {"add", -1, "添加计算单元"}, {"duplicate", 0, "复制计算单元"},
        {"remove", 1, "删除计算单元"}, {"move up", 2, "上移"},
        {"the project's info", -1, "工程信息"}};
    // clang-format on
    for (const auto& [name, row, item] : cases) {
        // Each window closes as the user closes it, leaving no recovery copy behind.
        answer = Answer::Discard;
        SCOPED_TRACE(name);
        const auto made = makeWindow();
        ProjectWindow& w = *made;
        for (const char* unitName : {"甲", "乙", "丙"}) {
            w.addUnit(makeUnit(unitName, core::FireClass::A, 300));
        }
        w.undoStack()->setClean();
        const core::Project before = w.project();
        w.askProjectDetails = [](const ui::ProjectDetails&) {
            return std::optional<ui::ProjectDetails>(
                {"综合楼", {"GC-1", "", "", "", "", "", "赵六", 2026y / December / 7}});
        };
        // The title names the project once it is named.
        const auto named = [&w] { return w.windowTitle().contains(u"综合楼"_s); };
        if (row >= 0) {
            w.table()->setCurrentIndex(w.model()->index(row, ProjectModel::Name));
        }
        if (item == nullptr) {
            w.model()->setData(w.model()->index(1, ProjectModel::Area), 2000.0, Qt::EditRole);
        } else {
            tests::clickMenuItem(w.editMenu(), QString::fromUtf8(item));
        }
        const core::Project after = w.project();
        const bool renamed = after.name != before.name;
        EXPECT_EQ(named(), renamed);
        EXPECT_NE(after, before);
        EXPECT_TRUE(w.isWindowModified());
        w.undoStack()->undo();
        EXPECT_EQ(w.project(), before);
        EXPECT_FALSE(w.isWindowModified() || named());
        w.undoStack()->redo();
        EXPECT_EQ(w.project(), after);
        EXPECT_EQ(named(), renamed);
        for (int r = 0; r < w.model()->rowCount(); ++r) {
            EXPECT_EQ(w.model()->index(r, ProjectModel::Number).data().toInt(), r + 1);
        }
        EXPECT_TRUE(w.close());
    }
}

// The dialog 工程信息 shown without a modal loop gives back what is typed into its widgets (the
// scale too), trimmed and each cut to core::kMaxNameLength characters; an emptied stage stays empty
// and 导出当日 leaves the date to the export. Through the window, 取消 and an unchanged 确定 make
// no undo step.
TEST_F(ProjectWindowTest, InfoDialogTakesWhatIsTypedAndOnlyAChangeIsAStep) {
    ui::ProjectDetails shown{"Lab", {}};
    shown.info.stage.clear();
    shown.info.date = 2026y / December / 7;
    ui::ProjectInfoDialog dialog(shown, window.get());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.details(), shown);
    for (QLineEdit* edit : {dialog.nameEdit, dialog.checkedByEdit}) {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, u" B "_s);
    }
    dialog.dateEdit->setFocus();
    dialog.dateEdit->setCurrentSection(QDateTimeEdit::DaySection);
    QTest::keyClick(dialog.dateEdit, Qt::Key_Up);
    dialog.scaleBox->setFocus();
    dialog.scaleBox->selectAll();
    QTest::keyClicks(dialog.scaleBox, u"150"_s);
    ui::ProjectDetails entered = shown;
    entered.name = "Lab B";
    entered.info.checkedBy = "B";
    entered.info.date = 2026y / December / 8;
    entered.info.drawingScale = 150;
    EXPECT_EQ(dialog.details(), entered);
    tests::keepPicture(dialog, u"project-info"_s);
    QTest::mouseClick(dialog.exportDayButton, Qt::LeftButton);
    EXPECT_FALSE(dialog.dateEdit->isEnabled());
    QTest::mouseClick(dialog.buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    entered.info.date.reset();
    EXPECT_EQ(dialog.details(), entered);
    const QString longText(core::kMaxNameLength + 50, u'楼');
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
        if (qobject_cast<QAbstractSpinBox*>(edit->parent()) == nullptr) {
            retype(edit, longText);
        }
    }
    const std::string kept = longText.left(core::kMaxNameLength).toStdString();
    const ui::ProjectDetails cut = dialog.details();
    for (const std::string& text :
         {cut.name, cut.info.number, cut.info.stage, cut.info.company, cut.info.calculatedBy,
          cut.info.checkedBy, cut.info.reviewedBy, cut.info.approvedBy}) {
        EXPECT_EQ(text, kept);
    }

    std::optional<ui::ProjectDetails> answered;  // 取消
    window->askProjectDetails = [&answered](const ui::ProjectDetails&) { return answered; };
    tests::clickMenuItem(window->editMenu(), u"工程信息"_s);
    answered = window->model()->details();
    tests::clickMenuItem(window->editMenu(), u"工程信息"_s);
    EXPECT_EQ(window->undoStack()->count(), 0);
    answered->info.checkedBy = "李四";
    tests::clickMenuItem(window->editMenu(), u"工程信息"_s);
    EXPECT_EQ(window->project().info.checkedBy, "李四");
    EXPECT_EQ(window->undoStack()->undoText(), u"工程信息"_s);
}

// The check column shows each unit's check (its texts are the schedule's); the status bar counts
// the breaches, the units that cannot be configured and the extinguishers of the others.
TEST_F(ProjectWindowTest, CheckColumnAndStatusBarShowBreachesAndUnconfiguredUnits) {
    window->addUnit(makeUnit("办公室", core::FireClass::A, 300));
    window->addUnit({"仓库", "", {A, Serious, K09, kAbove, kAbc, 2000}, std::nullopt, 1});
    window->addUnit(makeUnit("空房", core::FireClass::A, 0));
    const ProjectModel& model = *window->model();
    EXPECT_EQ(text(1, ProjectModel::Check), u"不满足 6.1.2、7.1.3"_s);
    EXPECT_FALSE(model.index(1, ProjectModel::Check).data(Qt::ToolTipRole).toString().isEmpty());
    const std::int64_t total =
        model.unitDesign(0).configuration.total + model.unitDesign(1).configuration.total;
    EXPECT_EQ(window->statusText(),
              u"计算单元：3　灭火器：%1具　不满足校核：1　不能配置：1"_s.arg(total));
}

// No two items of a menu share an accelerator and no two actions a key.
TEST_F(ProjectWindowTest, MenusHaveTheirOwnAcceleratorsAndKeys) {
    for (const QAction* bar : window->menuBar()->actions()) {
        QString marks;
        for (const QAction* item : bar->menu()->actions()) {
            const QString text = item->text();
            if (const qsizetype at = text.indexOf(u'&'); at >= 0 && at + 1 < text.size()) {
                EXPECT_FALSE(marks.contains(text[at + 1].toUpper())) << text.toStdString();
                marks += text[at + 1].toUpper();
            }
        }
    }
    QStringList keys;
    const QList<QAction*> actions = window->findChildren<QAction*>();
    for (const QAction* action : QSet<QAction*>(actions.begin(), actions.end())) {
        for (const QKeySequence& key : action->shortcuts()) {
            EXPECT_FALSE(keys.contains(key.toString())) << key.toString().toStdString();
            keys << key.toString();
        }
    }
    EXPECT_GE(keys.size(), 6);
}

// The window fits the screen's free area; the name column stays in view as the table scrolls to
// 校核; the size, the split and the column widths are those of the window closed last.
TEST_F(ProjectWindowTest, FitsTheScreenKeepsTheNamesInViewAndRemembersItsLayout) {
    // As at the first start: no layout remembered.
    answer = Answer::Discard;
    window->close();
    io::openSettings()->remove(u"project"_s);
    window = makeWindow();
    core::Project rooms{"科研楼", {}};
    for (const char* name : {"办公室", "配电间", "油品库"}) {  // side by side, 10 m square
        const double x = 10.0 * double(rooms.units.size());
        rooms.units.push_back(makeUnit(name, core::FireClass::A, 100));
        rooms.units.back().outline = {{x, 0}, {x + 10, 0}, {x + 10, 10}, {x, 10}};
    }
    window->model()->setProject(rooms);
    window->show();
    QCoreApplication::processEvents();
    tests::keepPicture(*window, u"project-window-first-start"_s);
    EXPECT_TRUE(window->screen()->availableGeometry().contains(window->frameGeometry()));
    EXPECT_TRUE(window->planView()->isVisible());
    auto* frozen = qobject_cast<ui::UnitTable*>(table())->frozenView();
    table()->scrollTo(window->model()->index(2, ProjectModel::Check));
    const QRect check = table()->visualRect(window->model()->index(2, ProjectModel::Check));
    EXPECT_TRUE(check.left() >= frozen->width() && check.right() <= table()->viewport()->width());
    EXPECT_TRUE(frozen->isVisible() && frozen->viewport()->rect().contains(frozen->visualRect(
                                           window->model()->index(2, ProjectModel::Name))));

    window->resize(700, 500);
    auto* splitter = window->findChild<QSplitter*>();
    splitter->setSizes({500, 200});
    table()->setColumnWidth(ProjectModel::Name, 150);
    const QList<int> split = splitter->sizes();
    ASSERT_TRUE(window->close());
    const auto again = makeWindow();
    again->model()->setProject(rooms);
    again->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(again->size(), QSize(700, 500));
    EXPECT_EQ(again->findChild<QSplitter*>()->sizes(), split);
    EXPECT_EQ(again->table()->columnWidth(ProjectModel::Name), 150);
    EXPECT_EQ(
        qobject_cast<ui::UnitTable*>(again->table())->frozenView()->columnWidth(ProjectModel::Name),
        150);
}

// Ctrl+S asks for a file name once; the file opens again as it was saved. A file that is not a
// project is told and leaves the open project as it was. Closing and starting anew ask about
// unsaved changes: 取消 keeps the project and the window, 不保存 drops the changes, 保存 saves
// them before the window closes.
TEST_F(ProjectWindowTest, SavesOpensRefusesABadFileAndAsksAboutChanges) {
    window->addUnit(makeUnit("办公室", core::FireClass::A, 300));
    window->addUnit(makeUnit("配电室", core::FireClass::E, 120, core::Agent::CarbonDioxide));
    typed = folder.filePath(u"综合楼"_s);
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    typed += u".fep"_s;
    EXPECT_TRUE(QFile::exists(typed));
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_EQ(window->windowTitle(), u"灭火器配置工程 - 综合楼.fep[*]"_s);
    const core::Project saved = window->project();

    const QString bad = folder.filePath(u"bad.fep"_s);
    writeFile(bad, "{\"format\": 1");
    EXPECT_FALSE(window->openFile(bad));
    ASSERT_EQ(notices.size(), 1);
    EXPECT_EQ(window->project(), saved);
    EXPECT_EQ(window->fileName(), typed);

    QAction* newProject = window->fileMenu()->actions().first();  // 新建
    newProject->trigger();
    EXPECT_TRUE(window->project().units.empty());
    EXPECT_TRUE(window->openFile(typed));
    EXPECT_EQ(window->project(), saved);
    EXPECT_TRUE(asked.isEmpty());

    window->addUnit(makeUnit("仓库", core::FireClass::A, 300));
    answer = Answer::Cancel;
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    newProject->trigger();
    EXPECT_EQ(window->project().units.size(), 3U);
    answer = Answer::Discard;
    newProject->trigger();
    EXPECT_TRUE(window->project().units.empty());
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_EQ(asked.size(), 3);

    window->addUnit(makeUnit("办公室", core::FireClass::A, 300));
    typed = in(u"a.fep"_s);
    answer = Answer::Save;
    ASSERT_TRUE(window->close());
    EXPECT_EQ(asked.size(), 4);
    EXPECT_EQ(std::get<core::Project>(io::readProject(typed)).units.size(), 1U);
}

// The book, printed and as a PDF, holds the project; a workbook typed without a
// suffix gets ".xlsx"; the schedule and the materials are copied.
TEST_F(ProjectExportsTest, BookPrintAndWorkbookFromTheMenu) {
    fill("科研楼");
    // The edit menu copies the schedule (its text is outputs_test's) and the materials.
    tests::clickMenuItem(window->editMenu(), u"复制配置表"_s);
    EXPECT_TRUE(QApplication::clipboard()->text().contains(u"\n3\t一层\t油品库\t"_s));
    tests::clickMenuItem(window->editMenu(), u"复制材料表"_s);
    EXPECT_TRUE(
        QApplication::clipboard()->text().startsWith(u"序号\t名称\t型号\t规格\t数量\t单位"_s));

    tests::keepPicture(*window, u"project-window"_s);
    typed = in(u"book.pdf"_s);
    tests::clickMenuItem(window->fileMenu(), u"导出计算书PDF"_s);
    SKIP_UNLESS_PDF_TOOLS_ANSWER();
    const QString text = pdfText(typed);
    EXPECT_TRUE(text.contains(u"油品库"_s));
    EXPECT_EQ(window->statusBar()->currentMessage(),
              u"已导出："_s + QDir::toNativeSeparators(typed));
    EXPECT_EQ(QFileInfo(suggestions.value(0)).fileName(), u"科研楼-灭火器配置计算书.pdf"_s);

    printTo = in(u"printed.pdf"_s);
    tests::clickMenuItem(window->fileMenu(), u"打印(P)"_s);
    EXPECT_TRUE(pdfText(printTo).contains(u"油品库"_s));

    // The preview shows the pages of the book, drawn.
    tests::PreviewSeen seen;
    QSize opened;
    exports->showPreview = [&](QPrintPreviewDialog& preview) {
        opened = preview.size();
        preview.show();
        QCoreApplication::processEvents();
        tests::keepPicture(preview, u"book-preview-opened"_s);
        seen = tests::lookAt(preview, u"book-preview"_s);
    };
    tests::clickMenuItem(window->fileMenu(), u"打印预览"_s);
    EXPECT_EQ(seen.pages, text.count(u'\f'));
    const QSize screen = window->screen()->availableGeometry().size();
    EXPECT_TRUE(opened.width() >= screen.width() * 0.8 && opened.height() >= screen.height() * 0.8)
        << opened.width() << "x" << opened.height();
    EXPECT_GT(tests::darkPixels(seen.picture), 1000);

    typed = in(u"表格"_s);
    tests::clickMenuItem(window->fileMenu(), u"导出Excel"_s);
    EXPECT_TRUE(readFile(typed + u".xlsx"_s).startsWith("PK"));
    EXPECT_EQ(entries(folder.path()),
              QStringList({u"book.pdf"_s, u"printed.pdf"_s, u"表格.xlsx"_s}));
    EXPECT_TRUE(notices.isEmpty()) << notices.join(u'\n').toStdString();
}

// Without a project name the suggestion is named after the file, else 工程. It lies in the project
// file's folder until an export of that project went elsewhere; without a file, in the folder of
// the last export. The project's file dialogs open in the folder of the project last opened or
// saved, else the documents folder: never the working folder, the install folder when started
// from the Start menu.
TEST_F(ProjectExportsTest, SuggestedNameAndFolderFollowTheProject) {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    ASSERT_TRUE(QDir().mkpath(documents) && QDir().mkpath(in(u"working"_s)));
    io::openSettings()->remove(u"project"_s);  // no project opened before
    io::openSettings()->remove(u"export"_s);
    const auto back = qScopeGuard([working = QDir::currentPath()] { QDir::setCurrent(working); });
    QDir::setCurrent(in(u"working"_s));
    ProjectWindow real;             // its dialogs the real ones
    const auto folders = [&real] {  // where 打开, 导入平面图 and 另存为 open
        QStringList seen;
        QTimer closer;
        closer.callOnTimeout([&seen] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                seen << QFileInfo(dialog->directory().absolutePath()).canonicalFilePath();
                dialog->reject();
            }
        });
        closer.start(10);
        real.askOpenFileName();
        real.askPlanFileName();
        clickMenuItem(real.fileMenu(), u"另存为"_s);
        return seen;
    };
    EXPECT_EQ(folders(), QStringList(3, QFileInfo(documents).canonicalFilePath()));
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"earlier"_s) && QDir(folder.path()).mkdir(u"out"_s));
    ui::rememberExportFolder(in(u"earlier/a.pdf"_s));
    answer = Answer::Discard;
    fill("");
    typed = in(u"仓库"_s);
    tests::clickMenuItem(window->fileMenu(), u"另存为"_s);
    ASSERT_EQ(window->fileName(), typed + u".fep"_s);
    EXPECT_EQ(folders(), QStringList(3, QFileInfo(folder.path()).canonicalFilePath()));
    typed = in(u"out/表.xlsx"_s);
    exports->exportWorkbook();
    typed.clear();  // cancels the exports below
    exports->exportBook();
    tests::clickMenuItem(window->fileMenu(), u"新建"_s);
    ui::rememberExportFolder(in(u"earlier/b.pdf"_s), in(u"other.fep"_s));
    window->model()->setProject({"", {makeUnit("门厅", core::FireClass::A, 80)}});
    exports->exportBook();
    EXPECT_EQ(suggestions,
              QStringList({in(u"仓库-灭火器配置表.xlsx"_s), in(u"out/仓库-灭火器配置计算书.pdf"_s),
                           in(u"earlier/工程-灭火器配置计算书.pdf"_s)}));
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
        const QByteArray written = readFile(typed);
        ASSERT_TRUE(!written.isEmpty() && steps > 1);
        for (int cancelAt = 1; cancelAt < steps; ++cancelAt) {
            int step = 0;
            exports->progressOverride = [&step, cancelAt](int, int) { return ++step < cancelAt; };
            run();
            EXPECT_TRUE(entries(folder.path()) == QStringList{QString::fromUtf8(name)} &&
                        readFile(typed) == written)
                << " cancelled at " << cancelAt;
        }
        ASSERT_TRUE(QFile::remove(typed));
    }
    EXPECT_EQ(notices.size(), 1);
}

// The outputs wait for a unit: called directly, an export says why. A unit that fails its check
// is asked about once for each export; declined, nothing is written.
TEST_F(ProjectExportsTest, ActionsWaitForAUnitAndAFailingOneIsAskedAbout) {
    EXPECT_FALSE(exports->bookAction->isEnabled());
    window->addUnit(makeUnit("办公室", core::FireClass::A, 120));
    EXPECT_TRUE(exports->bookAction->isEnabled() && exports->copyMaterialsAction->isEnabled());
    window->undoStack()->undo();
    EXPECT_FALSE(exports->workbookAction->isEnabled());
    exports->exportBook();
    EXPECT_EQ(notices, QStringList{u"工程中没有计算单元。"_s});
    EXPECT_TRUE(suggestions.isEmpty());
    fill("科研楼");
    ProjectModel* model = window->model();
    model->setData(model->index(0, ProjectModel::Area), 5000, Qt::EditRole);
    model->setData(model->index(0, ProjectModel::Points), 1, Qt::EditRole);
    for (const bool anyway : {false, true}) {
        exportAnyway = anyway;
        exportQuestions.clear();
        typed = in(u"book.pdf"_s);
        exports->exportBook();
        typed = in(u"table.xlsx"_s);
        exports->exportWorkbook();
        EXPECT_EQ(exportQuestions, QStringList(2, u"有 1 个计算单元不满足校核，仍然导出？"_s));
        EXPECT_EQ(entries(folder.path()).size(), anyway ? 2 : 0);
    }
    // The window's own box, declined with its 取消.
    QTimer::singleShot(0, [] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        tests::keepPicture(*box, u"export-anyway"_s);
        for (auto* button : box->findChildren<QPushButton*>()) {
            if (button->text() == u"取消"_s) {
                button->click();
            }
        }
    });
    EXPECT_FALSE(askedForReal(exportQuestions.value(0)));
}

// The layout drawing from the menu: refused without outlines; with two floors, the plan's proposed
// and all of them written, each to its floor's file.
TEST_F(ProjectExportsTest, LayoutDrawingFromTheMenu) {
    window->addUnit(makeUnit("办公室", core::FireClass::A, 120));
    tests::clickMenuItem(window->fileMenu(), u"导出平面布置图"_s);
    core::Unit upper = tests::placedL();
    upper.location = "二层";
    window->model()->setProject({"科研楼", {tests::placedCorridor(), upper}});
    window->planView()->showFloor(u"二层"_s);
    exports->askLayoutFloor = [this](const QStringList& floors, qsizetype proposed) {
        exportQuestions = floors + QStringList{QString::number(proposed)};
        return std::optional(floors.size());
    };
    typed = in(u"平面"_s);
    tests::clickMenuItem(window->fileMenu(), u"导出平面布置图"_s);
    EXPECT_EQ(exportQuestions, (QStringList{u"一层"_s, u"二层"_s, u"1"_s}));
    EXPECT_EQ(QFileInfo(suggestions.value(0)).fileName(), u"科研楼-平面布置图.dxf"_s);
    EXPECT_EQ(entries(folder.path()), (QStringList{u"平面-一层.dxf"_s, u"平面-二层.dxf"_s}));
    EXPECT_EQ(notices, QStringList{u"工程中没有带平面轮廓的计算单元，请先导入平面图。"_s});
}

// 合并为组合单元 from the 编辑 menu and 拆分组合单元 from the table's context menu, each one step
// that selects what it made; units that cannot be combined are told why in a box.
TEST_F(ProjectWindowTest, UnitsAreCombinedAndSplitAsOneStepEach) {
    ProjectModel* model = window->model();
    const core::Project floor = tests::officeFloor();
    model->setProject(floor);
    table()->selectAll();
    tests::clickMenuItem(window->editMenu(), u"合并为组合单元"_s);
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->unit(0).rooms.size(), 5U);
    EXPECT_EQ(text(0, ProjectModel::Area), u"202.08"_s);
    EXPECT_TRUE(table()->selectionModel()->isRowSelected(0, {}));
    EXPECT_EQ(window->undoStack()->undoText(), u"合并为组合单元"_s);
    window->undoStack()->undo();
    EXPECT_EQ(model->project(), floor);
    window->undoStack()->redo();

    const QPoint cell = table()->visualRect(model->index(0, 5)).center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, cell, table()->viewport()->mapToGlobal(cell));
    QApplication::sendEvent(table()->viewport(), &click);
    QMenu* menu = nullptr;
    for (QMenu* each : window->findChildren<QMenu*>()) {
        menu = each->isVisible() ? each : menu;
    }
    ASSERT_NE(menu, nullptr);
    tests::keepPicture(*menu, u"table-menu"_s);
    tests::clickMenuItem(menu, u"拆分组合单元"_s);
    ASSERT_EQ(model->rowCount(), 5);
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(model->unit(row).outline, floor.units[static_cast<std::size_t>(row)].outline);
        EXPECT_TRUE(table()->selectionModel()->isRowSelected(row, {})) << row;
    }
    EXPECT_EQ(window->undoStack()->undoText(), u"拆分组合单元"_s);
    window->undoStack()->undo();
    EXPECT_EQ(model->rowCount(), 1);

    core::Project mixed = floor;
    mixed.units[1].choices.hazard = core::Hazard::Serious;
    model->setProject(mixed);
    table()->selectAll();
    QString told;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll.stop();
            told = box->text();
            tests::keepPicture(*box, u"combine-refused"_s);
            box->close();
        }
    });
    poll.start(20);
    tests::clickMenuItem(window->editMenu(), u"合并为组合单元"_s);
    EXPECT_EQ(
        told,
        u"「办公室2」的危险等级与「办公室1」不同，不能合并为组合单元（GB 50140-2005 第7.2.1条）"_s);
    EXPECT_EQ(model->project(), mixed);
}

// A failed save is told and leaves the project unsaved: closing asks, and the copy stays.
TEST_F(ProjectWindowTest, FailedSaveKeepsTheProjectUnsavedAndItsRecoveryCopy) {
#ifdef Q_OS_WIN
    GTEST_SKIP() << "Windows does not remove a folder while a file in it is open, as the "
                    "project's lock is";
#endif
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"gone"_s));
    ProjectWindow& w = newWindow();
    ASSERT_TRUE(w.openFile(writeProject(u"gone/a.fep"_s)));
    ASSERT_TRUE(QDir(in(u"gone"_s)).removeRecursively());
    w.model()->setData(w.model()->index(0, ProjectModel::Area), 450.0, Qt::EditRole);
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);  // into the folder removed
    typed = in(u"missing/b.fep"_s);
    trigger(w, u"另存为"_s);       // into a folder that never was
    EXPECT_EQ(notices.size(), 2);  // each telling that the folder does not exist
    EXPECT_EQ(notices.filter(u"”不存在"_s), notices) << notices.join(u'\n').toStdString();
    EXPECT_TRUE(w.isWindowModified());
    ASSERT_TRUE(QTest::qWaitFor([] { return recoveryCopies().size() == 1; }, 5000));
    for (const Answer given : {Answer::Cancel, Answer::Save}) {  // the save fails again
        answer = given;
        EXPECT_FALSE(w.close());
    }
    EXPECT_EQ(recoveryCopies().size(), 1);
}

// A copy left by a window that ended without closing is offered before any window shows and
// before the file named at start opens; restored, it holds the changes as unsaved.
TEST_F(ProjectWindowTest, RecoveryIsOfferedAloneAtStartBeforeTheFileOpens) {
    window->hide();  // no window shows before the offer
    const QString x = writeProject(u"x.fep"_s);
    const QString b = writeProject(u"b.fep"_s);
    io::ProjectLock heldByAnotherWindow(b);
    ASSERT_EQ(heldByAnotherWindow.lock(), io::ProjectLock::State::Held);
    // The file on the command line (none: the calculator), the answer to the unsaved-changes
    // question, what was asked, and which file the project window shows.
    const std::tuple<const char*, QString, Answer, const char*, QString> cases[] = {
        {"calculator alone", {}, Answer::Cancel, "restore?", x},
        {"a held file, cancelled", b, Answer::Cancel, "restore? save?", x},
        {"a held file, dropped", b, Answer::Discard, "restore? save? read-only?", b},
        {"a held file, saved first", b, Answer::Save, "restore? save? read-only?", b},
    };
    for (const auto& [name, file, given, wasAsked, shows] : cases) {
        SCOPED_TRACE(name);
        auto lost = std::make_unique<ProjectWindow>();
        ASSERT_TRUE(lost->openFile(x));
        lost->model()->setData(lost->model()->index(0, ProjectModel::Area), 450.0, Qt::EditRole);
        const core::Project edited = lost->project();
        lost.reset();  // as if the program had ended here: the window leaves its copy
        answer = given;
        app::Program program;
        program.projectWindowMade = [this](ProjectWindow& w) { answerDialogs(w); };
        program.start(file);
        EXPECT_EQ(asked.join(u' '), QString::fromUtf8(wasAsked));
        ProjectWindow& w = program.showProject();
        EXPECT_EQ(w.fileName(), shows);
        // Restored: unsaved, its copy kept; else the copy is gone once saved or dropped.
        const bool restored = shows == x;
        EXPECT_EQ(w.isWindowModified(), restored);
        EXPECT_EQ(w.project() == edited, restored);
        EXPECT_EQ(recoveryCopies().size(), restored ? 1 : 0);
        EXPECT_EQ(std::get<core::Project>(io::readProject(x)) == edited, given == Answer::Save);
        answer = Answer::Discard;
        w.close();
        EXPECT_TRUE(recoveryCopies().isEmpty()) << "a clean close removes the copy";
        asked.clear();
    }
}

// A value still open in a cell's editor goes into what is saved, handed out and asked about.
TEST_F(ProjectWindowTest, AnOpenEditorsValueIsTakenFirst) {
    // The key or menu item, whether it saves, and whether it asks about the unsaved change.
    const std::tuple<QString, bool, bool> cases[] = {
        {u"Ctrl+S"_s, true, false},
        {u"导出Excel"_s, false, false},
        {u"关闭"_s, false, true},
    };
    for (const auto& [act, saves, asks] : cases) {
        SCOPED_TRACE(act.toStdString());
        closeAll();
        ProjectWindow& w = newWindow();
        auto* outputs = new ui::ProjectExports(&w);
        outputs->askExportFileName = [this](const QString&) { return in(u"out.xlsx"_s); };
        outputs->askExportAnyway = [](const QString&) { return true; };
        typed = writeProject(u"a.fep"_s);
        ASSERT_TRUE(w.openFile(typed));
        auto* edit = qobject_cast<QLineEdit*>(openEditor(w, 0, ProjectModel::Name));
        ASSERT_NE(edit, nullptr);
        retype(edit, u"仓库"_s);
        answer = Answer::Cancel;
        if (act == u"Ctrl+S"_s) {
            QTest::keyClick(edit, Qt::Key_S, Qt::ControlModifier);
        } else {
            trigger(w, act);
        }
        EXPECT_EQ(w.project().units[0].name, "仓库");
        EXPECT_EQ(std::get<core::Project>(io::readProject(typed)).units[0].name == "仓库", saves);
        EXPECT_EQ(asked.size(), asks ? 1 : 0);
    }
    // An area the editor cannot take stops the save, told without a box (whose focus would end
    // the edit), and Enter; the editor stays open, marked, to be corrected.
    ProjectWindow& w = *windows.back();
    auto* area = qobject_cast<QLineEdit*>(openEditor(w, 0, ProjectModel::Area));
    ASSERT_NE(area, nullptr);
    area->selectAll();
    QTest::keyClicks(area, u"12abc"_s);
    QTest::keyClick(area, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(notices.isEmpty());
    EXPECT_TRUE(
        w.statusBar()->currentMessage().startsWith(u"保护面积只有开头的“12”是数字，此值不被采用"_s))
        << w.statusBar()->currentMessage().toStdString();
    EXPECT_EQ(QApplication::focusWidget(), area);
    EXPECT_FALSE(area->toolTip().isEmpty() || area->styleSheet().isEmpty());
    EXPECT_EQ(std::get<core::Project>(io::readProject(typed)).units[0].name, "办公室");
    const int steps = w.undoStack()->count();
    QTest::keyClick(area, Qt::Key_Return);  // refused: the editor stays, nothing changes
    EXPECT_EQ(QApplication::focusWidget(), area);
    EXPECT_EQ(w.undoStack()->count(), steps);
    retype(area, u"１２０．５㎡"_s);  // full width with a unit is taken
    finish(area);
    EXPECT_EQ(w.project().units[0].choices.area, 120.5);
}

// A file, a link to it and a file in a linked folder take one lock and one place in 最近打开.
TEST_F(ProjectWindowTest, AFileReachedThroughALinkIsHeldOnce) {
#ifdef Q_OS_WIN
    GTEST_SKIP() << "QFile::link makes a shortcut (.lnk) on Windows, not a symbolic link";
#endif
    const QString real = writeProject(u"real.fep"_s);
    const QString link = in(u"link.fep"_s);
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"folder"_s) && QFile::link(real, link) &&
                QFile::link(in(u"folder"_s), in(u"linked-folder"_s)));
    const std::tuple<const char*, QString, QString> cases[] = {
        {"the file, then the link", real, link},
        {"另存为 into a linked folder", in(u"linked-folder/c.fep"_s), in(u"folder/c.fep"_s)},
    };
    for (const auto& [name, first, second] : cases) {
        SCOPED_TRACE(name);
        closeAll();
        ProjectWindow& a = newWindow();
        if (QFile::exists(first)) {
            ASSERT_TRUE(a.openFile(first));
        } else {
            a.addUnit(makeUnit("库房", core::FireClass::A, 100));
            typed = first;
            trigger(a, u"另存为"_s);
        }
        EXPECT_EQ(a.fileName(), canonical(second));
        ASSERT_TRUE(newWindow().openFile(second));
        EXPECT_EQ(asked, QStringList{u"read-only?"_s});
        a.close();  // the same window again by the other name: still one file
        ProjectWindow& c = newWindow();
        ASSERT_TRUE(c.openFile(first) && c.openFile(second));
        EXPECT_FALSE(c.isReadOnly());
        const QStringList recent =
            io::openSettings()->value(u"project/recentFiles"_s).toStringList();
        EXPECT_EQ(recent.count(canonical(second)), 1);
        EXPECT_EQ(recent.filter(u"link"_s), QStringList());
    }
}

// F2, the text shown typed again, and Enter keep the unit as it was, with no undo step. Emptied
// points follow the estimate again and 自动 gives the model back to its default. Names and
// locations keep core::kMaxNameLength characters, as the reader does; a longer unit is refused.
TEST_F(ProjectWindowTest, AnUnchangedCellMakesNoStepEmptiedOnesTheDefaultsAndALongNameIsCut) {
    ProjectWindow& w = newWindow();
    core::Unit unit = makeUnit("办公室", core::FireClass::A, 0.1 + 0.2);  // shown as 0.3
    unit.points = 3;
    unit.model = core::design(unit).conditions->candidates.back().code;
    w.addUnit(unit);
    const core::Unit before = w.project().units[0];
    const int steps = w.undoStack()->count();
    for (const int column :
         {ProjectModel::Location, ProjectModel::Name, ProjectModel::FireClass, ProjectModel::Hazard,
          ProjectModel::Factor, ProjectModel::Building, ProjectModel::Area, ProjectModel::Agent,
          ProjectModel::Model, ProjectModel::Points}) {
        SCOPED_TRACE(column);
        enter(w, column);
        EXPECT_EQ(w.undoStack()->count(), steps);
        EXPECT_EQ(w.project().units[0], before);
    }
    ASSERT_TRUE(w.model()->unitDesign(0).modelChosen);
    auto* edit = qobject_cast<QLineEdit*>(openEditor(w, 0, ProjectModel::Points));
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    finish(edit);
    EXPECT_FALSE(w.project().units[0].points.has_value());
    EXPECT_EQ(w.model()->index(0, ProjectModel::Points).data().toInt(),
              w.model()->unitDesign(0).configuration.estimate);
    auto* models = qobject_cast<QComboBox*>(openEditor(w, 0, ProjectModel::Model));
    ASSERT_NE(models, nullptr);
    QTest::keyClick(models, Qt::Key_Home);  // 自动
    finish(models);
    EXPECT_FALSE(w.project().units[0].model.has_value());
    const QString longText(core::kMaxNameLength + 50, u'楼');
    for (const int column : {ProjectModel::Name, ProjectModel::Location}) {
        enter(w, column, longText);
        EXPECT_EQ(w.model()->index(0, column).data().toString(),
                  longText.left(core::kMaxNameLength));
    }
    unit.name = longText.toStdString();
    EXPECT_EQ(w.addUnit(unit), -1);
    EXPECT_EQ(notices.size(), 1);
}

// A project another window holds takes no edit until it is saved as a copy beside the file.
TEST_F(ProjectWindowTest, AReadOnlyProjectTakesNoEditUntilSavedAsACopy) {
    const QString b = writeProject(u"b.fep"_s);
    ASSERT_TRUE(QFile::copy(b, in(u"b-副本.fep"_s)));  // taken: the next name is suggested
    ASSERT_TRUE(newWindow().openFile(b));
    ProjectWindow& w = newWindow();
    w.addUnit(makeUnit("库房", core::FireClass::A, 100));  // dropped, and its undo step with it
    answer = Answer::Discard;
    ASSERT_TRUE(w.openFile(b) && w.isReadOnly() && w.windowTitle().contains(u"（只读）"_s));
    EXPECT_TRUE(asked.contains(u"read-only?"_s));
    w.askProjectDetails = [](const auto&) { return std::optional(ui::ProjectDetails{"新名称"}); };
    const core::Project opened = w.project();
    QTableView* table = w.table();
    const std::pair<const char*, std::function<void()>> attempts[] = {
        {"F2", [&] { QTest::keyClick(table, Qt::Key_F2); }},
        {"Insert", [&] { QTest::keyClick(table, Qt::Key_Insert); }},
        {"Delete", [&] { QTest::keyClick(table, Qt::Key_Delete); }},
        {"Ctrl+Down", [&] { QTest::keyClick(table, Qt::Key_Down, Qt::ControlModifier); }},
        {"复制计算单元", [&] { trigger(w, u"复制计算单元"_s); }},
        {"工程信息", [&] { trigger(w, u"工程信息"_s); }},
        {"setData", [&] { w.model()->setData(table->currentIndex(), u"x"_s, Qt::EditRole); }},
        {"加入工程", [&] { EXPECT_EQ(w.addUnit(makeUnit("库房", core::FireClass::A, 100)), -1); }},
    };
    for (const auto& [name, attempt] : attempts) {
        SCOPED_TRACE(name);
        table->setFocus();
        table->setCurrentIndex(w.model()->index(0, ProjectModel::Name));
        attempt();
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), table) << "no editor";
        EXPECT_EQ(w.project(), opened);
        EXPECT_EQ(w.undoStack()->count(), 0);
    }
    typed = QDir(canonical(folder.path())).filePath(u"b-副本2.fep"_s);
    trigger(w, u"另存为"_s);
    EXPECT_EQ(offers, QStringList{typed});
    EXPECT_FALSE(w.isReadOnly() || w.windowTitle().contains(u"只读"_s));
    EXPECT_NE(qobject_cast<QLineEdit*>(openEditor(w, 0, ProjectModel::Name)), nullptr);

    // A file marked read-only opens read-only too, told at opening, and 保存 goes to 另存为.
    notices.clear();
    const QString marked = typed;
    ASSERT_TRUE(QFile::setPermissions(marked, QFileDevice::ReadOwner | QFileDevice::ReadUser));
    ASSERT_TRUE(w.openFile(marked) && w.isReadOnly() && w.windowTitle().contains(u"（只读）"_s));
    EXPECT_EQ(notices,
              QStringList{u"文件“%1”是只读文件，已以只读方式打开；要保存修改，请另存为。"_s.arg(
                  QDir::toNativeSeparators(marked))});
    typed.clear();  // the dialog cancelled
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(offers.last(), QDir(canonical(folder.path())).filePath(u"b-副本2-副本.fep"_s));
}

// Units deleted and restored a run of rows at a time: the cost grows with the count, not its
// square.
TEST_F(ProjectWindowTest, ManyUnitsGoAndComeBackOneRunAtATime) {
    core::Project project;
    for (int i = 0; i < 5000; ++i) {
        project.units.push_back(
            makeUnit(("单元" + std::to_string(i)).c_str(), core::FireClass::A, 100.0 + i));
    }
    ASSERT_FALSE(io::saveProject(project, in(u"大工程.fep"_s)));
    ProjectWindow& w = newWindow();
    ASSERT_TRUE(w.openFile(in(u"大工程.fep"_s)));
    const int last = ProjectModel::ColumnCount - 1;
    QItemSelection runs(w.model()->index(10, 0), w.model()->index(4009, last));
    runs.select(w.model()->index(4500, 0), w.model()->index(4500, last));
    w.table()->selectionModel()->select(runs, QItemSelectionModel::Select);
    QSignalSpy removed(w.model(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(w.model(), &QAbstractItemModel::rowsInserted);
    trigger(w, u"删除计算单元"_s);
    EXPECT_EQ(removed.count(), 2);
    ASSERT_EQ(w.project().units.size(), 5000U - 4001U);
    EXPECT_EQ(w.project().units[10].name, "单元4010");
    EXPECT_EQ(w.undoStack()->count(), 1) << "one undo step";
    w.undoStack()->undo();
    EXPECT_EQ(inserted.count(), 2);
    EXPECT_EQ(w.project(), project);
}

}  // namespace
