#include "project_lock.h"

#include <QSysInfo>

namespace io {

ProjectLock::ProjectLock(const QString& fileName) : lockFile_(lockFileName(fileName)) {
    // A window keeps a project open for hours: the lock must never count as stale by its age,
    // only when the process that holds it is gone.
    lockFile_.setStaleLockTime(0);
}

QString ProjectLock::lockFileName(const QString& fileName) {
    return fileName + QStringLiteral(".lock");
}

ProjectLock::State ProjectLock::lock() {
    if (lockFile_.isLocked() || lockFile_.tryLock(0)) {
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
    if (host.isEmpty() || host == QSysInfo::machineHostName()) {
        return QStringLiteral("本机") + process;
    }
    return QStringLiteral("计算机“%1”上的").arg(host) + process;
}

}  // namespace io
