#include "regular_file.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace io {

namespace {

const QString kNotRegular =
    QStringLiteral("这不是普通文件（可能是命名管道、设备或套接字），不能读取");

QString openFault(int systemError) {
    switch (systemError) {
        case ENOENT:
            return QStringLiteral("文件不存在");
        case EACCES:
        case EPERM:
            return QStringLiteral("没有读取该文件的权限");
        case EISDIR:
            return QStringLiteral("这是一个文件夹，不是文件");
        default:
            return QStringLiteral("文件无法读取（%1）").arg(qt_error_string(systemError));
    }
}

}  // namespace

std::optional<QString> openRegularFile(QFile& file) {
    const QFileInfo info(file.fileName());
    if (info.isDir()) {
        return QStringLiteral("这是一个文件夹，不是文件");
    }
#ifdef Q_OS_UNIX
    // O_NONBLOCK: opening a named pipe would otherwise wait for a writer.
    const int handle = ::open(QFile::encodeName(file.fileName()).constData(),
                              O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (handle < 0) {
        return openFault(errno);
    }
    struct stat status {};
    if (::fstat(handle, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(handle);
        return kNotRegular;
    }
    // Reads of a plain file never wait; the flag is cleared all the same.
    const int flags = ::fcntl(handle, F_GETFL);
    if (flags != -1) {
        ::fcntl(handle, F_SETFL, flags & ~O_NONBLOCK);
    }
    if (!file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        return QStringLiteral("文件无法读取（%1）").arg(file.errorString());
    }
    return std::nullopt;
#else
    if (!info.exists()) {
        return openFault(ENOENT);
    }
    if (!info.isFile()) {
        return kNotRegular;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("文件无法读取（%1）").arg(file.errorString());
    }
    return std::nullopt;
#endif
}

}  // namespace io
