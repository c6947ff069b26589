#include "file_commit.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace io {

namespace {

// Cancels the writing, keeping the system's reason the caller has seen.
bool cancel(QSaveFile& file, int systemError) {
    file.cancelWriting();
    errno = systemError;
    return false;
}

bool syncHandle([[maybe_unused]] int handle) {
#ifdef Q_OS_UNIX
    return ::fsync(handle) == 0;
#else
    return true;
#endif
}

}  // namespace

bool commitWhole(QSaveFile& file) {
    errno = 0;
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        return cancel(file, errno);
    }
    errno = 0;
    if (!syncHandle(file.handle())) {
        return cancel(file, errno);
    }
    errno = 0;
    return file.commit();
}

bool syncToDisk(const QString& fileName) {
    QFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    return syncHandle(file.handle());
}

int writeErrorIn(const QString& folder, qint64 bytes) {
    QTemporaryFile scratch(folder + QStringLiteral("/.write-check-XXXXXX"));
    errno = 0;
    if (!scratch.open()) {
        return errno;
    }
    const QByteArray block(qsizetype{64} * 1024, ' ');
    for (qint64 left = bytes; left > 0; left -= block.size()) {
        errno = 0;
        if (scratch.write(block.constData(), std::min<qint64>(left, block.size())) < 0) {
            return errno;
        }
    }
    errno = 0;
    if (!scratch.flush() || !syncHandle(scratch.handle())) {
        return errno;
    }
    return 0;
}

}  // namespace io
