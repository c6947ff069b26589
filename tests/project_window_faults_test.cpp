// The project window where work could be lost or put in the wrong file: failed saves, recovery
// copies at start, a cell's editor still open, files reached through links, long names, edits
// that change nothing and read-only projects. Offscreen, through the real widgets; every dialog
// is answered by the test.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
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
#include "torva.h"

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
    std::vector<std::unique_ptr<ProjectWindow>> windows;
    QString saveAs;
    QStringList notices;
    QStringList asked;
    QStringList suggestions;
    Answer answer = Answer::Cancel;
    bool restore = true;
    int windowsShownAtOffer = 0;
};

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
    QTimer guard;  // a dialog left open would otherwise hold the suite
    guard.callOnTimeout([] {
        if (QWidget* stuck = QApplication::activeModalWidget()) {
            stuck->close();
        }
    });
    guard.start(10000);
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

}  // namespace
