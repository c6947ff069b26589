#pragma once

#include <QLockFile>
#include <QString>

// Keeps two windows, of this instance or another, from writing one project file: the window that
// opens a file first holds its lock until it closes it; another that opens it meanwhile is told so
// and opens it read-only.
namespace io {

class ProjectLock {
  public:
    enum class State {
        Held,           // this lock holds the file
        HeldElsewhere,  // another window or program instance holds it: open read-only
        Failed,         // the lock cannot be made (e.g. a read-only folder)
    };

    // The lock of `fileName`; nothing is locked until lock().
    explicit ProjectLock(const QString& fileName);
    ProjectLock(const ProjectLock&) = delete;
    ProjectLock& operator=(const ProjectLock&) = delete;
    ~ProjectLock() = default;  // releases the lock

    // Takes the lock without waiting. A lock left by a process that is gone is taken over.
    State lock();
    void unlock() { lockFile_.unlock(); }
    // Who holds the file, in Chinese ("本机进程 1234（extinguisher-calculator）"), when lock()
    // gave HeldElsewhere; empty when that cannot be told.
    [[nodiscard]] QString holder() const;

    // The lock file next to the project file: "name.fep.lock".
    [[nodiscard]] static QString lockFileName(const QString& fileName);
    // Takes `lock` without waiting, as QLockFile::tryLock(0) does, and also takes over a lock
    // that names this very process on this host but that no lock object of this process holds:
    // an earlier process left it and this one was given the same id again, which Windows does
    // often. Qt counts such a lock as live.
    [[nodiscard]] static bool tryLockNow(QLockFile& lock);

  private:
    QLockFile lockFile_;
};

}  // namespace io
