#include "file_errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextBoundaryFinder>
#include <cerrno>

namespace io {

namespace {

// The longest path Linux takes, in bytes, with its terminating zero.
constexpr qsizetype kMaxPathBytes = 4096;

// Why, as the system says it; empty for an error it names no better than Qt does.
QString systemReason(int systemError) {
    switch (systemError) {
        case ENOSPC:
            return QStringLiteral("磁盘空间不足");
#ifdef EDQUOT
        case EDQUOT:
            return QStringLiteral("磁盘配额已用完");
#endif
        case EROFS:
            return QStringLiteral("该位置所在的磁盘只允许读取");
        case EACCES:
        case EPERM:
            return QStringLiteral("没有写入该位置的权限");
        case ENAMETOOLONG:
            return QStringLiteral("文件名或路径太长");
        case EISDIR:
            return QStringLiteral("该位置是一个文件夹，不是文件");
        case ENOTDIR:
            return QStringLiteral("路径中有一项是文件，不是文件夹");
        case ENOENT:
            return QStringLiteral("文件夹不存在");
        case EFBIG:
            return QStringLiteral("文件太大");
        case EMFILE:
        case ENFILE:
            return QStringLiteral("同时打开的文件太多");
        case EIO:
            return QStringLiteral("读写磁盘时出错");
        default:
            return {};
    }
}

// Why, as Qt says it.
QString qtReason(QFileDevice::FileError error) {
    switch (error) {
        case QFileDevice::ResourceError:
            return QStringLiteral("磁盘空间或系统资源不足");
        case QFileDevice::PermissionsError:
            return QStringLiteral("没有写入该位置的权限");
        case QFileDevice::RenameError:
            return QStringLiteral("无法用新写的文件替换原有的文件");
        case QFileDevice::WriteError:
            return QStringLiteral("写入文件时出错");
        case QFileDevice::OpenError:
            return QStringLiteral("无法创建文件");
        default:
            return QStringLiteral("无法写入文件");
    }
}

}  // namespace

QString fileNamePart(const QString& text, qsizetype maxBytes) {
    QString clean = text.trimmed();
    for (QChar& c : clean) {
        if (c.category() == QChar::Other_Control || QStringView(u"\\/:*?\"<>|").contains(c)) {
            c = u'_';
        }
    }
    // Whole characters, as far as they fit; a character may be several code points.
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, clean);
    qsizetype kept = 0;
    qsizetype bytes = 0;
    for (qsizetype next = characters.toNextBoundary(); next != -1;
         next = characters.toNextBoundary()) {
        bytes += clean.sliced(kept, next - kept).toUtf8().size();
        if (bytes > maxBytes) {
            break;
        }
        kept = next;
    }
    return clean.left(kept).trimmed();
}

QString writeFailureReason(const QString& fileName, QFileDevice::FileError error, int systemError) {
    const QFileInfo file(fileName);
    if (file.isDir()) {
        return QStringLiteral("该位置是一个文件夹，不是文件");
    }
    if (QFile::encodeName(file.fileName()).size() > kMaxFileNameBytes) {
        return QStringLiteral("文件名太长：文件名最多 %1 字节，约 %2 个汉字")
            .arg(kMaxFileNameBytes)
            .arg(kMaxFileNameBytes / 3);
    }
    if (QFile::encodeName(file.absoluteFilePath()).size() >= kMaxPathBytes) {
        return QStringLiteral("路径太长");
    }
    if (file.exists() && !file.isWritable()) {
        return QStringLiteral("文件是只读的");
    }
    QFileInfo folder(file.absolutePath());
    while (!folder.exists() && folder.absoluteFilePath() != folder.absolutePath()) {
        folder = QFileInfo(folder.absolutePath());
    }
    if (folder.exists() && !folder.isDir()) {
        return QStringLiteral("“%1”是一个文件，不是文件夹")
            .arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
    }
    if (!folder.isWritable()) {
        return QStringLiteral("文件夹“%1”不允许写入")
            .arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
    }
    if (!QFileInfo(file.absolutePath()).exists()) {
        return QStringLiteral("文件夹“%1”不存在")
            .arg(QDir::toNativeSeparators(file.absolutePath()));
    }
    const QString said = systemReason(systemError);
    return said.isEmpty() ? qtReason(error) : said;
}

std::optional<QString> replaceFault(const QString& fileName) {
    const QFileInfo file(fileName);
    if (file.isSymLink()) {
        return QStringLiteral("该位置是一个链接，不会写入它所指的文件，也不会替换它");
    }
    if (!file.exists()) {
        return std::nullopt;
    }
    if (file.isDir()) {
        return QStringLiteral("该位置是一个文件夹，不是文件");
    }
    if (!file.isFile()) {
        return QStringLiteral("该位置不是普通文件（可能是命名管道或设备）");
    }
    // A file without any write permission is read-only also for an administrator, whom the
    // system lets write it all the same.
    constexpr QFile::Permissions kWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (!file.isWritable() || !(file.permissions() & kWrite)) {
        return QStringLiteral("文件是只读的");
    }
    return std::nullopt;
}

}  // namespace io
