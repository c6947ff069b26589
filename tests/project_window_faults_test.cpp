// The project window where work could be lost or put in the wrong file: failed saves, recovery
// copies at start, a cell's editor still open, files reached through links, long names, edits
// that change nothing and read-only projects. Offscreen, through the real widgets; every dialog
// is answered by the test.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <bit>
#include <cstdint>
#include <functional>
#include <memory>
#include <tuple>

#include "program.h"
#include "project_exports.h"
#include "project_file.h"
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

// Text as an input method commits it: Chinese is not typed key by key.
void type(QWidget* widget, const QString& text) {
    QInputMethodEvent typed;
    typed.setCommitString(text);
    QApplication::sendEvent(widget, &typed);
}

QString canonical(const QString& fileName) {
    return QFileInfo(fileName).canonicalFilePath();
}

QAction* menuItem(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
        if (action->text().remove(u'&').startsWith(text)) {
            return action;
        }
    }
    ADD_FAILURE() << text.toStdString();
    return nullptr;
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

    // Closes the windows as the user does, dropping their changes.
    void closeAll() {
        answer = Answer::Discard;
        for (auto& w : windows) {
            w->close();
        }
        windows.clear();
        asked.clear();
    }

    // Answers the window's dialogs from the test's fields and logs what it asked.
    void answerDialogs(ProjectWindow& w) {
        w.askSaveChanges = [this] {
            asked << u"save?"_s;
            return answer;
        };
        w.askSaveFileName = [this](const QString& suggested) {
            suggestions << suggested;
            return saveAs;
        };
        w.askOpenFileName = [this] { return saveAs; };
        w.showNotice = [this](const QString& text) { notices << text; };
        w.askOpenReadOnly = [this](const QString&) {
            asked << u"read-only?"_s;
            return true;
        };
        w.askRestore = [this](const io::RecoveryCopy::Orphan&) {
            asked << u"restore?"_s;
            for (QWidget* shown : QApplication::topLevelWidgets()) {
                windowsShownAtOffer += shown->isVisible() ? 1 : 0;
            }
            return restore;
        };
    }

    ProjectWindow& newWindow() {
        windows.push_back(std::make_unique<ProjectWindow>());
        ProjectWindow& w = *windows.back();
        answerDialogs(w);
        w.show();
        QApplication::setActiveWindow(&w);
        w.table()->setFocus();
        return w;
    }

    QString path(const QString& name) const { return folder.filePath(name); }

    // The file's own path.
    QString writeProject(const QString& name, const char* unitName) {
        const QString file = path(name);
        EXPECT_FALSE(io::saveProject({"", {makeUnit(unitName, core::FireClass::A, 300)}}, file));
        return canonical(file);
    }

    // A copy left by a window on `file` that ended, edited, without closing.
    core::Project leaveRecoveryCopy(const QString& file) {
        auto lost = std::make_unique<ProjectWindow>();
        answerDialogs(*lost);
        EXPECT_TRUE(lost->openFile(file));
        const QModelIndex area = lost->model()->index(0, ProjectModel::Area);
        lost->model()->setData(area, area.data(Qt::EditRole).toDouble() + 150, Qt::EditRole);
        core::Project edited = lost->project();
        lost.reset();
        EXPECT_EQ(recoveryCopies().size(), 1);
        asked.clear();
        return edited;
    }

    // Opens the cell's editor with F2, as the keyboard does, and returns what has the focus.
    static QWidget* openEditor(ProjectWindow& w, int row, int column) {
        w.table()->setFocus();
        w.table()->setCurrentIndex(w.model()->index(row, column));
        QTest::keyClick(w.table(), Qt::Key_F2);
        return QApplication::focusWidget();
    }

    static void finish(QWidget* editor) {
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }

    QTemporaryDir folder;
    QTimer guard;
    std::vector<std::unique_ptr<ProjectWindow>> windows;
    QString saveAs;
    QStringList notices;
    QStringList asked;
    QStringList suggestions;
    Answer answer = Answer::Cancel;
    bool restore = true;
    int windowsShownAtOffer = 0;
};

// A save that fails leaves the project unsaved: the title keeps its *, the reason is told, and
// closing still asks and keeps the recovery copy until the changes are dropped on purpose.
TEST_F(ProjectWindowFaultsTest, FailedSaveKeepsTheProjectUnsavedAndItsRecoveryCopy) {
    const std::pair<const char*, std::function<void(ProjectWindow&)>> cases[] = {
        {"保存 to a file whose folder was removed",
         [this](ProjectWindow& w) {
             ASSERT_TRUE(QDir(folder.path()).mkdir(u"gone"_s));
             ASSERT_TRUE(w.openFile(writeProject(u"gone/a.fep"_s, "办公室")));
             ASSERT_TRUE(QDir(path(u"gone"_s)).removeRecursively());
             w.model()->setData(w.model()->index(0, ProjectModel::Area), 450.0, Qt::EditRole);
             QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
         }},
        {"另存为 into a missing folder",
         [this](ProjectWindow& w) {
             w.addUnit(makeUnit("办公室", core::FireClass::A, 300));
             saveAs = path(u"missing/b.fep"_s);
             menuItem(w.fileMenu(), u"另存为"_s)->trigger();
         }},
    };
    for (const auto& [name, failSave] : cases) {
        SCOPED_TRACE(name);
        notices.clear();
        asked.clear();
        ProjectWindow& w = newWindow();
        failSave(w);
        ASSERT_EQ(notices.size(), 1);
        EXPECT_TRUE(notices[0].contains(u"文件夹"_s) && notices[0].contains(u"不存在"_s))
            << notices[0].toStdString();
        EXPECT_TRUE(w.isWindowModified());
        ASSERT_TRUE(QTest::qWaitFor([] { return recoveryCopies().size() == 1; }, 5000));

        answer = Answer::Cancel;
        EXPECT_FALSE(w.close());
        answer = Answer::Save;  // fails again: the window stays
        EXPECT_FALSE(w.close());
        EXPECT_EQ(asked, QStringList({u"save?"_s, u"save?"_s}));
        EXPECT_EQ(recoveryCopies().size(), 1);
        answer = Answer::Discard;
        EXPECT_TRUE(w.close());
        EXPECT_TRUE(recoveryCopies().isEmpty());
    }
}

// At start, a copy left behind is offered before any window shows and before the file named on
// the command line is opened; the restored project is asked about before the file replaces it.
TEST_F(ProjectWindowFaultsTest, RecoveryIsOfferedAloneAtStartBeforeTheFileOpens) {
    const QString x = writeProject(u"x.fep"_s, "办公室");
    const QString b = writeProject(u"b.fep"_s, "库房");
    io::ProjectLock heldByAnotherWindow(b);
    ASSERT_EQ(heldByAnotherWindow.lock(), io::ProjectLock::State::Held);
    // The file on the command line (none: the calculator), the answer to the unsaved-changes
    // question, what was asked, and which file the project window shows.
    const struct {
        const char* name;
        QString file;
        Answer answer;
        const char* asked;
        QString shows;
    } cases[] = {
        {"calculator alone", {}, Answer::Cancel, "restore?", x},
        {"a held file, cancelled", b, Answer::Cancel, "restore? save?", x},
        {"a held file, dropped", b, Answer::Discard, "restore? save? read-only?", b},
        {"a held file, saved first", b, Answer::Save, "restore? save? read-only?", b},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const core::Project edited = leaveRecoveryCopy(x);
        windowsShownAtOffer = 0;
        answer = c.answer;
        app::Program program;
        program.projectWindowMade = [this](ProjectWindow& w) { answerDialogs(w); };
        program.start(c.file);
        EXPECT_EQ(asked.join(u' '), QString::fromUtf8(c.asked));
        EXPECT_EQ(windowsShownAtOffer, 0);

        ProjectWindow* w = nullptr;
        for (QWidget* shown : QApplication::topLevelWidgets()) {
            if (auto* project = qobject_cast<ProjectWindow*>(shown);
                project && shown->isVisible()) {
                w = project;
            }
        }
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->fileName(), c.shows);
        // Restored: unsaved, its copy kept; the file opened instead: clean, as it is on disk, and
        // the copy gone once the restored project was saved or dropped.
        EXPECT_EQ(w->isWindowModified(), c.shows == x);
        EXPECT_EQ(w->project() == edited, c.shows == x);
        EXPECT_EQ(recoveryCopies().size(), c.shows == x ? 1 : 0);
        EXPECT_EQ(std::get<core::Project>(io::readProject(x)) == edited, c.answer == Answer::Save);
        answer = Answer::Discard;
        w->close();
        for (QWidget* shown : QApplication::topLevelWidgets()) {
            shown->close();
        }
        asked.clear();
    }
}

// A value typed into a cell whose editor is still open goes into what is saved, handed out and
// asked about on closing.
TEST_F(ProjectWindowFaultsTest, AnOpenEditorsValueIsTakenFirst) {
    using Act = std::function<void(ProjectWindow&, ui::ProjectExports&)>;
    // The action, whether it saves, and whether it asks about the unsaved change.
    const std::tuple<const char*, Act, bool, bool> cases[] = {
        {"Ctrl+S",
         [](ProjectWindow&, ui::ProjectExports&) {
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
         },
         true, false},
        {"另存为",
         [](ProjectWindow& w, ui::ProjectExports&) {
             menuItem(w.fileMenu(), u"另存为"_s)->trigger();
         },
         true, false},
        {"导出Excel", [](ProjectWindow&, ui::ProjectExports& e) { e.workbookAction->trigger(); },
         false, false},
        {"复制配置表",
         [](ProjectWindow&, ui::ProjectExports& e) { e.copyScheduleAction->trigger(); }, false,
         false},
        {"关闭", [](ProjectWindow& w, ui::ProjectExports&) { w.close(); }, false, true},
    };
    for (const auto& [name, act, saves, asks] : cases) {
        SCOPED_TRACE(name);
        closeAll();
        ProjectWindow& w = newWindow();
        auto* exports = new ui::ProjectExports(&w);
        exports->askExportFileName = [this](const QString&) { return path(u"out.xlsx"_s); };
        saveAs = writeProject(u"a.fep"_s, "办公室");
        ASSERT_TRUE(w.openFile(saveAs));
        auto* edit = qobject_cast<QLineEdit*>(openEditor(w, 0, ProjectModel::Name));
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        type(edit, u"仓库"_s);
        answer = Answer::Cancel;
        act(w, *exports);
        EXPECT_EQ(w.project().units[0].name, "仓库");
        EXPECT_EQ(w.table()->indexWidget(w.table()->currentIndex()), nullptr) << "closed";
        EXPECT_EQ(w.isWindowModified(), !saves);
        EXPECT_EQ(std::get<core::Project>(io::readProject(saveAs)).units[0].name == "仓库", saves);
        EXPECT_EQ(asked.size(), asks ? 1 : 0);
        EXPECT_TRUE(w.isVisible());
    }
    // An area the editor cannot take stops the save; the editor stays open to be corrected.
    ProjectWindow& w = *windows.back();
    notices.clear();
    auto* area = qobject_cast<QLineEdit*>(openEditor(w, 0, ProjectModel::Area));
    ASSERT_NE(area, nullptr);
    area->selectAll();
    QTest::keyClicks(area, u"12abc"_s);
    QTest::keyClick(area, Qt::Key_S, Qt::ControlModifier);
    // Told without a box, whose focus would end the edit.
    EXPECT_TRUE(notices.isEmpty());
    // The value is refused, not calculated with: the message says so.
    EXPECT_TRUE(
        w.statusBar()->currentMessage().startsWith(u"保护面积只有开头的“12”是数字，此值不被采用"_s))
        << w.statusBar()->currentMessage().toStdString();
    EXPECT_FALSE(area->styleSheet().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), area);
    EXPECT_EQ(std::get<core::Project>(io::readProject(saveAs)).units[0].name, "办公室")
        << "unsaved";
    QTest::keyClick(area, Qt::Key_Escape);
}

// real.fep and a link to it are one file: one lock, one place in 最近打开, whichever name comes
// first, and also for a file saved into a linked folder.
TEST_F(ProjectWindowFaultsTest, AFileReachedThroughALinkIsHeldOnce) {
    const QString real = writeProject(u"real.fep"_s, "办公室");
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"folder"_s));
    ASSERT_TRUE(QFile::link(real, path(u"link.fep"_s)));
    ASSERT_TRUE(QFile::link(path(u"folder"_s), path(u"linked-folder"_s)));
    const std::tuple<const char*, QString, QString> cases[] = {
        {"the file, then the link", real, path(u"link.fep"_s)},
        {"the link, then the file", path(u"link.fep"_s), real},
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
            menuItem(a.fileMenu(), u"另存为"_s)->trigger();
            ASSERT_FALSE(a.isWindowModified());
        }
        EXPECT_EQ(a.fileName(), canonical(second));
        ProjectWindow& b = newWindow();
        ASSERT_TRUE(b.openFile(second));
        EXPECT_EQ(asked, QStringList{u"read-only?"_s});
        EXPECT_TRUE(b.isReadOnly());
        // The same window again by the other name: still one file.
        a.close();
        ProjectWindow& c = newWindow();
        ASSERT_TRUE(c.openFile(first));
        ASSERT_TRUE(c.openFile(second));
        EXPECT_FALSE(c.isReadOnly());
        const QStringList recent =
            io::openSettings()->value(u"project/recentFiles"_s).toStringList();
        EXPECT_EQ(recent.count(canonical(second)), 1);
        EXPECT_EQ(recent.filter(u"link"_s), QStringList());
    }
}

// A name, a location and the project's name take at most core::kMaxNameLength characters, as the
// file's reader keeps them.
TEST_F(ProjectWindowFaultsTest, NamesAndLocationsTakeAtMost200Characters) {
    const QString typed(core::kMaxNameLength + 50, u'楼');
    ProjectWindow& w = newWindow();
    w.addUnit(makeUnit("办公室", core::FireClass::A, 300));
    for (const int column : {ProjectModel::Name, ProjectModel::Location}) {
        SCOPED_TRACE(column);
        auto* edit = qobject_cast<QLineEdit*>(openEditor(w, 0, column));
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        type(edit, typed);
        finish(edit);
        EXPECT_EQ(w.model()->index(0, column).data().toString(), typed.left(core::kMaxNameLength));
    }
    // A unit from the sheet with a longer name is refused whole.
    core::Unit sheetUnit = makeUnit("", core::FireClass::A, 300);
    sheetUnit.name = typed.toStdString();
    EXPECT_EQ(w.addUnit(sheetUnit), -1);
    EXPECT_EQ(notices.size(), 1);
    EXPECT_EQ(w.project().units.size(), 1U);
    // The 工程名称 prompt as the user meets it: the real dialog, typed into and accepted.
    const auto renamed = std::make_unique<ProjectWindow>();
    renamed->show();
    QTimer::singleShot(0, [&typed] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* edit = dialog->findChild<QLineEdit*>();
        edit->selectAll();
        type(edit, typed);
        dialog->accept();
    });
    menuItem(renamed->editMenu(), u"工程名称"_s)->trigger();
    EXPECT_EQ(QString::fromStdString(renamed->project().name), typed.left(core::kMaxNameLength));
    renamed->askSaveChanges = [] { return Answer::Discard; };
    renamed->close();
}

// F2 and Enter on any cell make no undo step and keep the unit as it was, the area to its last
// digit; so does an area's text typed again as it was shown.
TEST_F(ProjectWindowFaultsTest, AnUnchangedCellMakesNoUndoStep) {
    ProjectWindow& w = newWindow();
    core::Unit unit = makeUnit("办公室", core::FireClass::A, 0.1 + 0.2);  // 0.30000000000000004
    unit.points = 3;
    w.addUnit(unit);
    ASSERT_TRUE(w.model()->unitDesign(0).configured());
    unit.model = w.model()->unitDesign(0).conditions->candidates.back().code;
    ASSERT_TRUE(w.model()->setData(w.model()->index(0, ProjectModel::Model),
                                   QString::fromStdString(*unit.model), Qt::EditRole));
    const core::Unit before = w.project().units[0];
    ASSERT_EQ(before.model, unit.model);
    const int steps = w.undoStack()->count();
    for (const int column :
         {ProjectModel::Location, ProjectModel::Name, ProjectModel::FireClass, ProjectModel::Hazard,
          ProjectModel::Factor, ProjectModel::Building, ProjectModel::Area, ProjectModel::Agent,
          ProjectModel::Model, ProjectModel::Points}) {
        SCOPED_TRACE(column);
        QWidget* editor = openEditor(w, 0, column);
        ASSERT_NE(editor, w.table());
        finish(editor);
        EXPECT_EQ(w.undoStack()->count(), steps);
        EXPECT_EQ(w.project().units[0], before);
    }
    auto* area = qobject_cast<QLineEdit*>(openEditor(w, 0, ProjectModel::Area));
    ASSERT_NE(area, nullptr);
    const QString shown = area->text();
    area->selectAll();
    QTest::keyClicks(area, shown);
    finish(area);
    EXPECT_EQ(w.undoStack()->count(), steps);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(w.project().units[0].choices.area),
              std::bit_cast<std::uint64_t>(before.choices.area));
}

// A project another window holds takes no edit of any kind; 另存为 suggests a copy beside the
// file, and once saved there the window edits as any other.
TEST_F(ProjectWindowFaultsTest, AReadOnlyProjectTakesNoEditUntilSavedAsACopy) {
    const QString b = writeProject(u"b.fep"_s, "办公室");
    ASSERT_TRUE(QFile::copy(b, path(u"b-副本.fep"_s)));  // taken: the next name is suggested
    ProjectWindow& holder = newWindow();
    ASSERT_TRUE(holder.openFile(b));
    ProjectWindow& w = newWindow();
    w.addUnit(makeUnit("库房", core::FireClass::A, 100));
    answer = Answer::Discard;
    ASSERT_TRUE(w.openFile(b));
    ASSERT_TRUE(w.isReadOnly());
    const core::Project opened = w.project();
    QTableView* table = w.table();
    const std::pair<const char*, std::function<void()>> attempts[] = {
        {"F2", [&] { openEditor(w, 0, ProjectModel::Name); }},
        {"typing", [&] { QTest::keyClicks(table, u"x"_s); }},
        {"double click",
         [&] {
             const QRect cell = table->visualRect(w.model()->index(0, ProjectModel::Area));
             QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
         }},
        {"Insert", [&] { QTest::keyClick(table, Qt::Key_Insert); }},
        {"Delete", [&] { QTest::keyClick(table, Qt::Key_Delete); }},
        {"Ctrl+Down", [&] { QTest::keyClick(table, Qt::Key_Down, Qt::ControlModifier); }},
        {"复制计算单元", [&] { menuItem(w.editMenu(), u"复制计算单元"_s)->trigger(); }},
        {"工程名称", [&] { menuItem(w.editMenu(), u"工程名称"_s)->trigger(); }},
        {"setData",
         [&] {
             EXPECT_FALSE(
                 w.model()->setData(w.model()->index(0, ProjectModel::Area), 5.0, Qt::EditRole));
         }},
        {"加入工程", [&] { EXPECT_EQ(w.addUnit(makeUnit("库房", core::FireClass::A, 100)), -1); }},
    };
    w.askProjectName = [](const QString&) { return u"新名称"_s; };
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
    menuItem(w.fileMenu(), u"另存为"_s)->trigger();
    EXPECT_EQ(suggestions, QStringList{saveAs});
    EXPECT_FALSE(w.isReadOnly());
    EXPECT_FALSE(w.windowTitle().contains(u"只读"_s));
    EXPECT_NE(qobject_cast<QLineEdit*>(openEditor(w, 0, ProjectModel::Name)), nullptr);
}

// Thousands of units deleted and brought back: each run of consecutive rows is one change of
// the table, however long, so that the cost grows with the count, not with its square.
TEST_F(ProjectWindowFaultsTest, ManyUnitsGoAndComeBackOneRunAtATime) {
    core::Project project;
    for (int i = 0; i < 5000; ++i) {
        project.units.push_back(
            makeUnit(("单元" + std::to_string(i)).c_str(), core::FireClass::A, 100.0 + i));
    }
    const QString file = path(u"大工程.fep"_s);
    ASSERT_FALSE(io::saveProject(project, file));
    ProjectWindow& w = newWindow();
    ASSERT_TRUE(w.openFile(file));
    const auto select = [&w](int top, int bottom) {
        w.table()->selectionModel()->select(
            QItemSelection(w.model()->index(top, 0),
                           w.model()->index(bottom, ProjectModel::ColumnCount - 1)),
            QItemSelectionModel::Select);
    };
    select(10, 4009);
    select(4500, 4500);
    QSignalSpy removed(w.model(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(w.model(), &QAbstractItemModel::rowsInserted);
    menuItem(w.editMenu(), u"删除计算单元"_s)->trigger();
    EXPECT_EQ(removed.count(), 2);
    ASSERT_EQ(w.project().units.size(), 5000U - 4001U);
    EXPECT_EQ(w.project().units[10].name, "单元4010");
    EXPECT_EQ(w.undoStack()->count(), 1) << "one undo step";
    w.undoStack()->undo();
    EXPECT_EQ(inserted.count(), 2);
    EXPECT_EQ(w.project(), project);
}

}  // namespace
