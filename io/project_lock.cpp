#include "project_lock.h"

#include <QCoreApplication>
#include <QSysInfo>

#include "file_commit.h"

namespace io {
namespace {

// The host name that QLockFile writes into its lock files: on Windows the COMPUTERNAME variable,
// which may differ from QSysInfo's host name (Wine gives the Unix host's there).
QString lockHostName() {
#ifdef Q_OS_WIN
    return qEnvironmentVariable("COMPUTERNAME");
#else
    return QSysInfo::machineHostName();
#endif
}

}  // namespace

ProjectLock::ProjectLock(const QString& fileName)
    : lockFile_(lockFileName(withoutLongPathPrefix(fileName))) {
    // A window keeps a project open for hours: the lock must never count as stale by its age,
    // only when the process that holds it is gone.
    lockFile_.setStaleLockTime(0);
}

QString ProjectLock::lockFileName(const QString& fileName) {
    return fileName + QStringLiteral(".lock");
}

bool ProjectLock::tryLockNow(QLockFile& lock) {
    if (lock.tryLock(0)) {
        return true;
    }
    qint64 pid = 0;
    QString host;
    QString application;
    if (lock.error() != QLockFile::LockFailedError ||
        !lock.getLockInfo(&pid, &host, &application) || pid != QCoreApplication::applicationPid() ||
        (!host.isEmpty() && host != lockHostName())) {
        return false;
    }
    // The system refuses to remove a lock file that a lock object of this process holds: the
    // file is open on Windows, and locked (flock) on Unix.
    return lock.removeStaleLockFile() && lock.tryLock(0);
}

ProjectLock::State ProjectLock::lock() {
    if (lockFile_.isLocked() || tryLockNow(lockFile_)) {
        return State::Held;
    }
    return lockFile_.error() == QLockFile::LockFailedError ? State::HeldElsewhere : State::Failed;
}

QString ProjectLock::holder() const {
    qint64 pid = 0;
    QString host;
    QString application;
    if (!lockFile_.getLockInfo(&pid, &host, &application)) {
        return {};
    }
    const QString process = application.isEmpty()
                                ? QStringLiteral("进程 %1").arg(pid)
                                : QStringLiteral("进程 %1（%2）").arg(pid).arg(application);
    if (host.isEmpty() || host == lockHostName()) {
        return QStringLiteral("本机") + process;
    }
    return QStringLiteral("计算机“%1”上的").arg(host) + process;
}

}  // namespace io
