#include "project_file_life.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QUndoStack>
#include <variant>

#include "file_export.h"
#include "project_file.h"
#include "project_lock.h"
#include "project_model.h"
#include "saved_choices_file.h"
#include "unit_texts.h"

namespace ui {

namespace {

// The recently opened project files, newest first, in a group of their own.
constexpr char kRecentKey[] = "project/recentFiles";
constexpr int kMaxRecent = 8;

// The file's own path, symbolic links resolved, so that a file reached through a link has the
// same lock and the same place in 最近打开 as the file itself. A file not made yet is named in
// its folder's own path.
QString canonicalPath(const QString& fileName) {
    const QFileInfo file(fileName);
    if (QString path = file.canonicalFilePath(); !path.isEmpty()) {
        return path;
    }
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? file.absoluteFilePath() : QDir(folder).filePath(file.fileName());
}

// "b-副本.fep" beside b.fep, or "b-副本2.fep" and on where that is taken.
QString copyName(const QString& fileName) {
    const QFileInfo file(fileName);
    const QString suffix = u'.' + QLatin1String(io::kProjectSuffix);
    QString name = file.dir().filePath(file.completeBaseName() + QStringLiteral("-副本") + suffix);
    for (int n = 2; QFileInfo::exists(name); ++n) {
        name = file.dir().filePath(file.completeBaseName() + QStringLiteral("-副本%1").arg(n) +
                                   suffix);
    }
    return name;
}

// Whether the file is one the user may not write: marked read-only (no write permission for its
// owner; the read-only attribute on Windows), or not writable for this user.
bool isReadOnlyFile(const QString& fileName) {
    const QFileInfo file(fileName);
    return !file.isWritable() || !file.permissions().testFlag(QFileDevice::WriteOwner);
}

}  // namespace

QString dialogFolder(const QString& projectFile) {
    QString last = projectFile;
    if (last.isEmpty()) {
        last = io::openSettings()->value(QString::fromUtf8(kRecentKey)).toStringList().value(0);
    }
    if (const QString folder = QFileInfo(last).absolutePath();
        !last.isEmpty() && QFileInfo(folder).isDir()) {
        return folder;
    }
    return exportFolder();
}

ProjectFileLife::ProjectFileLife(ProjectModel* model, QUndoStack* undoStack,
                                 const FileQuestions* questions)
    : model_(model),
      undoStack_(undoStack),
      ask_(questions),
      recovery_(std::make_unique<io::RecoveryCopy>()) {
    recoveryTimer_.setSingleShot(true);
    recoveryTimer_.setInterval(250);
    connect(&recoveryTimer_, &QTimer::timeout, this, &ProjectFileLife::writeRecoveryCopy);
    connect(undoStack_, &QUndoStack::cleanChanged, this, &ProjectFileLife::keepRecoveryCopy);
    connect(undoStack_, &QUndoStack::indexChanged, this, &ProjectFileLife::keepRecoveryCopy);
}

ProjectFileLife::~ProjectFileLife() {
    if (recoveryTimer_.isActive()) {
        writeRecoveryCopy();
    }
}

bool ProjectFileLife::save() {
    if (!commitEdit()) {
        return false;
    }
    if (fileName_.isEmpty() || readOnly_) {
        return saveAs();
    }
    return saveTo(fileName_);
}

bool ProjectFileLife::saveAs() {
    if (!commitEdit()) {
        return false;
    }
    // A read-only project is saved beside the file another window holds, under a name of its own.
    QString suggested = readOnly_ ? copyName(fileName_) : fileName_;
    if (suggested.isEmpty()) {
        const QString name = documents::qs(model_->project().name).trimmed();
        suggested = QDir(dialogFolder(fileName_))
                        .filePath((name.isEmpty() ? QStringLiteral("未命名") : name) + u'.' +
                                  QLatin1String(io::kProjectSuffix));
    }
    QString chosen = ask_->askSaveFileName(suggested);
    if (chosen.isEmpty()) {
        return false;
    }
    chosen = withSuffix(chosen, QLatin1String(io::kProjectSuffix));
    chosen = canonicalPath(chosen);
    if (chosen == fileName_ && !readOnly_) {
        return saveTo(chosen);
    }
    bool readOnly = false;
    std::unique_ptr<io::ProjectLock> lock;
    if (!lockFile(chosen, true, &readOnly, &lock)) {
        return false;
    }
    if (!saveTo(chosen)) {
        return false;
    }
    lock_ = std::move(lock);
    fileName_ = chosen;
    setReadOnly(false);
    return true;
}

bool ProjectFileLife::saveTo(const QString& fileName) {
    if (const auto fault = io::saveProject(model_->project(), fileName)) {
        ask_->showNotice(*fault);
        return false;
    }
    undoStack_->setClean();
    rememberRecent(fileName);
    return true;
}

bool ProjectFileLife::lockFile(const QString& fileName, bool forWriting, bool* readOnly,
                               std::unique_ptr<io::ProjectLock>* lock) {
    *readOnly = false;
    *lock = std::make_unique<io::ProjectLock>(fileName);
    if ((*lock)->lock() != io::ProjectLock::State::HeldElsewhere) {
        // A lock that cannot be made (a read-only folder) keeps nobody out; saving says why it
        // cannot write there.
        return true;
    }
    const QString holder = (*lock)->holder();
    const QString heldBy = QStringLiteral("文件“%1”已在%2中打开。")
                               .arg(QDir::toNativeSeparators(fileName),
                                    holder.isEmpty() ? QStringLiteral("另一个窗口") : holder);
    lock->reset();
    if (forWriting) {
        ask_->showNotice(heldBy + QStringLiteral("不能保存到该文件。"));
        return false;
    }
    *readOnly = true;
    return ask_->askOpenReadOnly(heldBy);
}

bool ProjectFileLife::open(const QString& fileName) {
    if (!settleChanges()) {
        return false;
    }
    const QString path = canonicalPath(fileName);
    auto read = io::readProject(path);
    if (const auto* fault = std::get_if<QString>(&read)) {
        ask_->showNotice(*fault);
        return false;
    }
    bool readOnly = false;
    std::unique_ptr<io::ProjectLock> lock;
    if (isReadOnlyFile(path)) {
        // Nothing will be written to it: no lock is taken, and saving goes to 另存为.
        readOnly = true;
        ask_->showNotice(
            QStringLiteral("文件“%1”是只读文件，已以只读方式打开；要保存修改，请另存为。")
                .arg(QDir::toNativeSeparators(path)));
    } else if (path != fileName_ || readOnly_) {
        if (!lockFile(path, false, &readOnly, &lock)) {
            return false;
        }
    } else {
        lock = std::move(lock_);  // the file this window holds already
    }
    lock_ = std::move(lock);
    fileName_ = path;
    model_->setProject(std::move(std::get<core::Project>(read)));
    startHistory();
    setReadOnly(readOnly);
    rememberRecent(path);
    return true;
}

void ProjectFileLife::chooseAndOpen() {
    if (!settleChanges()) {
        return;
    }
    const QString chosen = ask_->askOpenFileName();
    if (!chosen.isEmpty()) {
        open(chosen);
    }
}

void ProjectFileLife::rememberRecent(const QString& fileName) {
    // A list that could not be written costs the user nothing but the menu's entry; the
    // settings file stays as it was.
    (void)io::changeSettings([&fileName](QSettings& settings) {
        QStringList recent{fileName};
        // Each file once, by its own path, however it was reached.
        for (const QString& file : settings.value(QString::fromUtf8(kRecentKey)).toStringList()) {
            if (const QString path = canonicalPath(file); !recent.contains(path)) {
                recent.append(path);
            }
        }
        while (recent.size() > kMaxRecent) {
            recent.removeLast();
        }
        settings.setValue(QString::fromUtf8(kRecentKey), recent);
    });
}

void ProjectFileLife::followRecentFiles(QMenu* menu) {
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { fillRecentMenu(menu); });
}

void ProjectFileLife::fillRecentMenu(QMenu* menu) {
    menu->clear();
    QStringList recent;
    for (const QString& file :
         io::openSettings()->value(QString::fromUtf8(kRecentKey)).toStringList()) {
        if (const QString path = canonicalPath(file); !recent.contains(path)) {
            recent.append(path);
        }
    }
    for (const QString& file : recent) {
        menu->addAction(QDir::toNativeSeparators(file), this, [this, file] { open(file); });
    }
    if (recent.isEmpty()) {
        menu->addAction(QStringLiteral("（无）"))->setEnabled(false);
    }
}

void ProjectFileLife::keepRecoveryCopy() {
    emit modifiedChanged(!undoStack_->isClean());
    if (undoStack_->isClean()) {
        recoveryTimer_.stop();
        recovery_->remove();
    } else {
        recoveryTimer_.start();
    }
}

void ProjectFileLife::writeRecoveryCopy() {
    recoveryTimer_.stop();
    if (const auto fault = recovery_->write(model_->project(), fileName_)) {
        emit told(*fault, 10000);
    }
}

bool ProjectFileLife::offerRecoveryCopies() {
    for (const io::RecoveryCopy::Orphan& orphan : io::RecoveryCopy::findOrphans()) {
        if (!ask_->askRestore(orphan)) {
            io::RecoveryCopy::discard(orphan);
            continue;
        }
        if (!settleChanges()) {
            return false;
        }
        auto restored = recovery_->restore(orphan);
        if (const auto* fault = std::get_if<QString>(&restored)) {
            ask_->showNotice(*fault);
            continue;
        }
        auto& recovered = std::get<io::RecoveredProject>(restored);
        lock_.reset();
        fileName_.clear();
        if (!recovered.fileName.isEmpty()) {
            const QString path = canonicalPath(recovered.fileName);
            auto lock = std::make_unique<io::ProjectLock>(path);
            if (lock->lock() == io::ProjectLock::State::HeldElsewhere) {
                // The restored changes are saved under another name.
                const QString holder = lock->holder();
                ask_->showNotice(
                    QStringLiteral("文件“%1”已在%2中打开，恢复的工程请另存为其他文件。")
                        .arg(QDir::toNativeSeparators(path),
                             holder.isEmpty() ? QStringLiteral("另一个窗口") : holder));
            } else {
                lock_ = std::move(lock);
                fileName_ = path;
            }
        }
        model_->setProject(std::move(recovered.project));
        undoStack_->clear();
        // The restored changes are not in any file yet.
        undoStack_->resetClean();
        setReadOnly(false);
        keepRecoveryCopy();
        return true;  // one window takes one copy; the others wait for the next start
    }
    return false;
}

bool ProjectFileLife::settleChanges() {
    if (!commitEdit()) {
        return false;
    }
    if (undoStack_->isClean()) {
        return true;
    }
    switch (ask_->askSaveChanges()) {
        case SaveAnswer::Save:
            return save();
        case SaveAnswer::Discard:
            return true;
        case SaveAnswer::Cancel:
            break;
    }
    return false;
}

void ProjectFileLife::newProject() {
    if (!settleChanges()) {
        return;
    }
    fileName_.clear();
    lock_.reset();
    model_->setProject({});
    startHistory();
    setReadOnly(false);
}

void ProjectFileLife::close() {
    // A clean close leaves no copy to recover.
    recoveryTimer_.stop();
    recovery_->remove();
    lock_.reset();
}

void ProjectFileLife::setReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    emit taken(readOnly);
}

void ProjectFileLife::startHistory() {
    undoStack_->clear();
    // clear() leaves an empty stack as it was, unsaved after a restore: the loaded project is
    // the file's.
    undoStack_->setClean();
}
}  // namespace ui
