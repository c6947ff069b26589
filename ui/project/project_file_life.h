#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

#include "recovery_copy.h"

class QMenu;
class QUndoStack;

namespace io {
class ProjectLock;
}

namespace ui {

class ProjectModel;

// The folder the window's file dialogs open in: the project's own; else that of the project last
// opened or saved; else the last export's or the documents folder. Never the working folder,
// which for a program started from the Start menu is its install folder.
[[nodiscard]] QString dialogFolder(const QString& projectFile);

// What the file's life asks the user, through the project window's dialogs, which tests replace so
// as to answer them without a modal loop.
struct FileQuestions {
    enum class SaveAnswer : std::uint8_t { Save, Discard, Cancel };

    // 保存 / 不保存 / 取消 before unsaved changes are dropped.
    std::function<SaveAnswer()> askSaveChanges;
    // A box titled 提示.
    std::function<void(const QString& text)> showNotice;
    // The file to open, or to save to; an empty string when cancelled.
    std::function<QString()> askOpenFileName;
    std::function<QString(const QString& suggested)> askSaveFileName;
    // The file is held by another window (`text` says by whom): true opens it read-only.
    std::function<bool(const QString& text)> askOpenReadOnly;
    // A recovery copy left behind: true restores it (恢复), false discards it (放弃).
    std::function<bool(const io::RecoveryCopy::Orphan& orphan)> askRestore;
};

// The life of the project window's file: opened, saved under its name or another, the lock that
// keeps a second window from writing it (which then opens it read-only), 最近打开, and the recovery
// copy written while there are unsaved changes and removed once there are none. The window asks
// it to open, save and settle the unsaved changes, and answers its questions; every file is
// named by its own path, symbolic links resolved.
class ProjectFileLife : public QObject {
    Q_OBJECT

  public:
    using SaveAnswer = FileQuestions::SaveAnswer;

    // Asks through `questions`, which outlive it.
    ProjectFileLife(ProjectModel* model, QUndoStack* undoStack, const FileQuestions* questions);
    // A change not yet in the recovery copy goes there first.
    ~ProjectFileLife() override;

    // Ends the window's edit of an open cell; false when its value cannot be taken.
    std::function<bool()> commitEdit;

    // The file's own path, empty for a new project.
    [[nodiscard]] const QString& fileName() const { return fileName_; }

    // Opens the file once the unsaved changes are settled; false when nothing was opened.
    bool open(const QString& fileName);
    // 打开: asks for the file, once the unsaved changes are settled.
    void chooseAndOpen();
    // 新建: an empty project without a file, once the unsaved changes are settled.
    void newProject();
    // 保存: under the file's name; a new or read-only project asks for one.
    bool save();
    // 另存为: a read-only project is offered a name of its own beside the file another window
    // holds; a file held elsewhere is refused.
    bool saveAs();
    // True when the unsaved changes may be dropped: there are none, the user drops them, or they
    // were saved.
    bool settleChanges();
    // Offers the recovery copies left behind; restores the first one taken. True when one was.
    bool offerRecoveryCopies();
    // The window closes cleanly: no copy is left to recover, and the file is let go.
    void close();
    // Fills the menu with the recent files, newest first, each opening its file.
    void followRecentFiles(QMenu* menu);

  signals:
    // A file was opened, restored or saved under another name, or a new project started: the
    // project is read-only (held by another window) or not.
    void taken(bool readOnly);
    // The project has unsaved changes, or no longer has.
    void modifiedChanged(bool modified);
    // A fault the status bar tells for `ms` milliseconds.
    void told(const QString& text, int ms);

  private:
    bool saveTo(const QString& fileName);
    // Takes the lock of the file; false when the user declines to open it read-only, or
    // (`forWriting`) when another window holds it.
    bool lockFile(const QString& fileName, bool forWriting, bool* readOnly,
                  std::unique_ptr<io::ProjectLock>* lock);
    void rememberRecent(const QString& fileName);
    void fillRecentMenu(QMenu* menu);
    // The project just loaded is the file's: nothing to undo, nothing unsaved.
    void startHistory();
    void setReadOnly(bool readOnly);
    // Writes the recovery copy while there are unsaved changes, removes it when there are none.
    void keepRecoveryCopy();
    void writeRecoveryCopy();

    ProjectModel* model_;
    QUndoStack* undoStack_;
    const FileQuestions* ask_;
    QString fileName_;
    bool readOnly_ = false;
    std::unique_ptr<io::ProjectLock> lock_;
    std::unique_ptr<io::RecoveryCopy> recovery_;
    // Writes the recovery copy shortly after a change, once for a burst of changes, so that an
    // edit repaints at once however large the project is.
    QTimer recoveryTimer_;
};

}  // namespace ui
