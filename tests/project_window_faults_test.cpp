// The project window where work could be lost or put in the wrong file, offscreen through the
// real widgets; every dialog is answered by the test.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <algorithm>

#include "program.h"
#include "project_exports.h"
#include "project_file.h"
#include "project_info_dialog.h"
#include "project_lock.h"
#include "project_model.h"
#include "project_window.h"
#include "saved_choices_file.h"
#include "test_support.h"

using namespace Qt::StringLiterals;

namespace {

[[maybe_unused]] auto* const kHome = ::testing::AddGlobalTestEnvironment(new tests::TemporaryHome);

using tests::makeUnit;
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

class ProjectWindowFaultsTest : public ::testing::Test {
  protected:
    ProjectWindowFaultsTest() {
        QDir(io::RecoveryCopy::directory()).removeRecursively();
        io::openSettings()->remove(u"project"_s);
        // A real dialog left open would hold the suite.
        guard.callOnTimeout([] {
            if (QWidget* stuck = QApplication::activeModalWidget()) {
                stuck->close();
            }
        });
        guard.start(10000);
    }
    ~ProjectWindowFaultsTest() override { closeAll(); }

    // Closes the windows, dropping their changes.
    void closeAll() {
        answer = Answer::Discard;
        for (auto& w : windows) {
            w->close();
        }
        windows.clear();
        asked.clear();
        notices.clear();
    }

    // Answers the window's dialogs from the test's fields and logs what it asked.
    template <typename Reply>
    Reply log(QStringList& list, const QString& entry, Reply reply) {
        list << entry;
        return reply;
    }
    void answerDialogs(ProjectWindow& w) {
        w.askSaveChanges = [this] { return log(asked, u"save?"_s, answer); };
        w.askSaveFileName = [this](const QString& offered) { return log(offers, offered, saveAs); };
        w.showNotice = [this](const QString& text) { notices << text; };
        w.askOpenReadOnly = [this](const QString&) { return log(asked, u"read-only?"_s, true); };
        w.askRestore = [this](const io::RecoveryCopy::Orphan&) {
            EXPECT_TRUE(std::ranges::none_of(QApplication::topLevelWidgets(), &QWidget::isVisible));
            return log(asked, u"restore?"_s, true);
        };
    }

    ProjectWindow& newWindow() {
        ProjectWindow& w = *windows.emplace_back(std::make_unique<ProjectWindow>());
        answerDialogs(w);
        w.show();
        QApplication::setActiveWindow(&w);
        return w;
    }

    QString path(const QString& name) const { return folder.filePath(name); }

    // A project of one unit; its canonical path.
    QString writeProject(const QString& name) {
        EXPECT_FALSE(
            io::saveProject({"", {makeUnit("办公室", core::FireClass::A, 300)}}, path(name)));
        return canonical(path(name));
    }

    QTemporaryDir folder;
    QTimer guard;
    std::vector<std::unique_ptr<ProjectWindow>> windows;
    QString saveAs;
    QStringList notices, asked, offers;
    Answer answer = Answer::Cancel;
};

// A failed save is told and leaves the project unsaved: closing asks, and the copy stays.
TEST_F(ProjectWindowFaultsTest, FailedSaveKeepsTheProjectUnsavedAndItsRecoveryCopy) {
#ifdef Q_OS_WIN
    GTEST_SKIP() << "Windows does not remove a folder while a file in it is open, as the "
                    "project's lock is";
#endif
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"gone"_s));
    ProjectWindow& w = newWindow();
    ASSERT_TRUE(w.openFile(writeProject(u"gone/a.fep"_s)));
    ASSERT_TRUE(QDir(path(u"gone"_s)).removeRecursively());
    w.model()->setData(w.model()->index(0, ProjectModel::Area), 450.0, Qt::EditRole);
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);  // into the folder removed
    saveAs = path(u"missing/b.fep"_s);
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
TEST_F(ProjectWindowFaultsTest, RecoveryIsOfferedAloneAtStartBeforeTheFileOpens) {
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
TEST_F(ProjectWindowFaultsTest, AnOpenEditorsValueIsTakenFirst) {
    // The key or menu item, whether it saves, and whether it asks about the unsaved change.
    const std::tuple<QString, bool, bool> cases[] = {
        {u"Ctrl+S"_s, true, false},      {u"另存为"_s, true, false}, {u"导出Excel"_s, false, false},
        {u"复制配置表"_s, false, false}, {u"关闭"_s, false, true},
    };
    for (const auto& [act, saves, asks] : cases) {
        SCOPED_TRACE(act.toStdString());
        closeAll();
        ProjectWindow& w = newWindow();
        auto* exports = new ui::ProjectExports(&w);
        exports->askExportFileName = [this](const QString&) { return path(u"out.xlsx"_s); };
        exports->askExportAnyway = [](const QString&) { return true; };
        saveAs = writeProject(u"a.fep"_s);
        ASSERT_TRUE(w.openFile(saveAs));
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
        EXPECT_EQ(std::get<core::Project>(io::readProject(saveAs)).units[0].name == "仓库", saves);
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
    EXPECT_EQ(std::get<core::Project>(io::readProject(saveAs)).units[0].name, "办公室");
    const int steps = w.undoStack()->count();
    QTest::keyClick(area, Qt::Key_Return);  // refused: the editor stays, nothing changes
    EXPECT_EQ(QApplication::focusWidget(), area);
    EXPECT_EQ(w.undoStack()->count(), steps);
    retype(area, u"１２０．５㎡"_s);  // full width with a unit is taken
    EXPECT_TRUE(area->toolTip().isEmpty());
    QTest::keyClick(area, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.project().units[0].choices.area, 120.5);
    EXPECT_EQ(w.model()->index(0, ProjectModel::Area).data().toString(), u"120.5"_s);
}

// A file, a link to it and a file in a linked folder take one lock and one place in 最近打开.
TEST_F(ProjectWindowFaultsTest, AFileReachedThroughALinkIsHeldOnce) {
#ifdef Q_OS_WIN
    GTEST_SKIP() << "QFile::link makes a shortcut (.lnk) on Windows, not a symbolic link";
#endif
    const QString real = writeProject(u"real.fep"_s);
    const QString link = path(u"link.fep"_s);
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"folder"_s) && QFile::link(real, link) &&
                QFile::link(path(u"folder"_s), path(u"linked-folder"_s)));
    const std::tuple<const char*, QString, QString> cases[] = {
        {"the file, then the link", real, link},
        {"the link, then the file", link, real},
        {"另存为 into a linked folder", path(u"linked-folder/c.fep"_s), path(u"folder/c.fep"_s)},
    };
    for (const auto& [name, first, second] : cases) {
        SCOPED_TRACE(name);
        closeAll();
        ProjectWindow& a = newWindow();
        if (QFile::exists(first)) {
            ASSERT_TRUE(a.openFile(first));
        } else {
            a.addUnit(makeUnit("库房", core::FireClass::A, 100));
            saveAs = first;
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

// Names, locations and the project's info keep core::kMaxNameLength characters, as the reader
// does; a longer unit is refused.
TEST_F(ProjectWindowFaultsTest, NamesAndLocationsTakeAtMost200Characters) {
    const QString typed(core::kMaxNameLength + 50, u'楼');
    ProjectWindow& w = newWindow();
    w.addUnit(makeUnit("办公室", core::FireClass::A, 300));
    for (const int column : {ProjectModel::Name, ProjectModel::Location}) {
        enter(w, column, typed);
        EXPECT_EQ(w.model()->index(0, column).data().toString(), typed.left(core::kMaxNameLength));
    }
    core::Unit sheetUnit = makeUnit("", core::FireClass::A, 300);
    sheetUnit.name = typed.toStdString();
    EXPECT_EQ(w.addUnit(sheetUnit), -1);
    EXPECT_EQ(notices.size(), 1);
    // The dialog 工程信息 as the user meets it: every text typed into and accepted with 确定.
    QTimer::singleShot(0, [&typed] {
        auto* dialog = qobject_cast<ui::ProjectInfoDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ADD_FAILURE() << "no dialog";  // the guard closes whatever else is open
            return;
        }
        for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
            if (qobject_cast<QDateEdit*>(edit->parent()) == nullptr) {
                retype(edit, typed);
            }
        }
        QTest::mouseClick(dialog->buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    trigger(w, u"工程信息"_s);
    const std::string kept = typed.left(core::kMaxNameLength).toStdString();
    const core::ProjectInfo& info = w.project().info;
    for (const std::string& text :
         {w.project().name, info.number, info.stage, info.company, info.calculatedBy,
          info.checkedBy, info.reviewedBy, info.approvedBy}) {
        EXPECT_EQ(text, kept);
    }
}

// F2, the text shown typed again, and Enter keep the unit as it was, with no undo step.
TEST_F(ProjectWindowFaultsTest, AnUnchangedCellMakesNoUndoStep) {
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
}

// A project another window holds takes no edit until it is saved as a copy beside the file. A file
// marked read-only opens read-only too, told at opening, and 保存 goes to 另存为.
TEST_F(ProjectWindowFaultsTest, AReadOnlyProjectTakesNoEditUntilSavedAsACopy) {
    const QString b = writeProject(u"b.fep"_s);
    ASSERT_TRUE(QFile::copy(b, path(u"b-副本.fep"_s)));  // taken: the next name is suggested
    ASSERT_TRUE(newWindow().openFile(b));
    ProjectWindow& w = newWindow();
    w.addUnit(makeUnit("库房", core::FireClass::A, 100));  // dropped, and its undo step with it
    answer = Answer::Discard;
    ASSERT_TRUE(w.openFile(b) && w.isReadOnly() && w.windowTitle().contains(u"（只读）"_s));
    EXPECT_TRUE(asked.contains(u"read-only?"_s));
    w.askProjectDetails = [](const auto&) { return std::optional(ui::ProjectDetails{"新名称"}); };
    const core::Project opened = w.project();
    QTableView* table = w.table();
    const QPoint area = table->visualRect(w.model()->index(0, ProjectModel::Area)).center();
    const std::pair<const char*, std::function<void()>> attempts[] = {
        {"F2", [&] { QTest::keyClick(table, Qt::Key_F2); }},
        {"typing", [&] { QTest::keyClicks(table, u"x"_s); }},
        {"double click", [&] { QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, area); }},
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
    saveAs = QDir(canonical(folder.path())).filePath(u"b-副本2.fep"_s);
    trigger(w, u"另存为"_s);
    EXPECT_EQ(offers, QStringList{saveAs});
    EXPECT_FALSE(w.isReadOnly() || w.windowTitle().contains(u"只读"_s));
    EXPECT_NE(qobject_cast<QLineEdit*>(openEditor(w, 0, ProjectModel::Name)), nullptr);

    notices.clear();
    ASSERT_TRUE(QFile::setPermissions(saveAs, QFileDevice::ReadOwner | QFileDevice::ReadUser));
    ASSERT_TRUE(w.openFile(saveAs) && w.isReadOnly() && w.windowTitle().contains(u"（只读）"_s));
    EXPECT_EQ(notices,
              QStringList{u"文件“%1”是只读文件，已以只读方式打开；要保存修改，请另存为。"_s.arg(
                  QDir::toNativeSeparators(saveAs))});
    saveAs.clear();  // the dialog cancelled
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(offers.last(), QDir(canonical(folder.path())).filePath(u"b-副本2-副本.fep"_s));
}

// Units deleted and restored a run of rows at a time: the cost grows with the count, not its
// square.
TEST_F(ProjectWindowFaultsTest, ManyUnitsGoAndComeBackOneRunAtATime) {
    core::Project project;
    for (int i = 0; i < 5000; ++i) {
        project.units.push_back(
            makeUnit(("单元" + std::to_string(i)).c_str(), core::FireClass::A, 100.0 + i));
    }
    ASSERT_FALSE(io::saveProject(project, path(u"大工程.fep"_s)));
    ProjectWindow& w = newWindow();
    ASSERT_TRUE(w.openFile(path(u"大工程.fep"_s)));
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
