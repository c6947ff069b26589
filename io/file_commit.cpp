#include "file_commit.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "file_errors.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#include <QDir>
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

QString withoutLongPathPrefix(const QString& fileName) {
#ifdef Q_OS_WIN
    // Not QDir::fromNativeSeparators(), which drops the prefix but leaves "UNC" in front of a
    // network path's server.
    QString name = fileName;
    name.replace(u'\\', u'/');
    if (name.startsWith(QLatin1String("//?/UNC/"), Qt::CaseInsensitive)) {
        return QStringLiteral("//") + name.mid(8);
    }
    if (name.startsWith(QLatin1String("//?/"))) {
        return name.mid(4);
    }
#endif
    return fileName;
}

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

std::optional<QString> writeWhole(const QString& fileName, const QByteArray& bytes) {
    QSaveFile file(withoutLongPathPrefix(fileName));
    errno = 0;
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
        !commitWhole(file)) {
        return writeFailureReason(fileName, file.error(), errno);
    }
    return std::nullopt;
}

bool syncToDisk(const QString& fileName) {
    QFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    return syncHandle(file.handle());
}

bool replaceFile(const QString& from, const QString& to) {
    errno = 0;
#ifdef Q_OS_WIN
    const std::wstring source = QDir::toNativeSeparators(from).toStdWString();
    const std::wstring target = QDir::toNativeSeparators(to).toStdWString();
    if (MoveFileExW(source.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
        return true;
    }
    switch (GetLastError()) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            errno = ENOSPC;
            break;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_FILE_NOT_FOUND:
            errno = ENOENT;
            break;
        case ERROR_FILENAME_EXCED_RANGE:
            errno = ENAMETOOLONG;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            errno = EACCES;
            break;
        default:
            errno = EIO;
    }
    return false;
#else
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
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
