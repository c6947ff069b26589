#pragma once

#include <QDateTime>
#include <QList>
#include <QLockFile>
#include <QString>
#include <memory>
#include <optional>
#include <variant>

#include "project.h"

// The recovery copy of one project window: the project as last edited, written beside the
// program's data (AppDataLocation/recovery/) so that a crash loses no work. Each window has a
// copy of its own, held by a lock for as long as the window lives; a copy whose lock nobody holds
// was left by an instance that ended without removing it, and is offered for restoring at the
// next start.
namespace io {

// A recovered project and the file it was last saved to (empty: never saved).
struct RecoveredProject {
    core::Project project;
    QString fileName;
};

class RecoveryCopy {
  public:
    // A copy left behind by an instance that is gone.
    struct Orphan {
        QString path;      // the copy itself
        QString fileName;  // the project's file, empty when never saved or unreadable
        QDateTime written;
    };

    // A copy under a name of its own; nothing is written until write().
    RecoveryCopy();
    RecoveryCopy(const RecoveryCopy&) = delete;
    RecoveryCopy& operator=(const RecoveryCopy&) = delete;
    // Releases the lock but keeps the copy: a window that closes cleanly calls remove() first.
    ~RecoveryCopy();

    // Writes the project and the file it belongs to (empty when never saved), replacing the
    // copy whole. A Chinese message when it cannot.
    std::optional<QString> write(const core::Project& project, const QString& fileName);
    // Deletes the copy and releases its lock.
    void remove();
    [[nodiscard]] QString path() const { return path_; }

    // Takes the orphan over: reads it, and from then on this window writes to and removes that
    // copy instead of its own. A Chinese message when it cannot be read or another window has
    // taken it meanwhile.
    std::variant<RecoveredProject, QString> restore(const Orphan& orphan);

    // The copies left by instances that are gone, newest first.
    [[nodiscard]] static QList<Orphan> findOrphans();
    // Deletes an orphan the user chose not to restore (not while another window holds it).
    static void discard(const Orphan& orphan);
    // AppDataLocation/recovery
    [[nodiscard]] static QString directory();

  private:
    std::optional<QString> takeLock();

    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

}  // namespace io
