#include "recovery_copy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QUuid>

#include "file_commit.h"
#include "project_file.h"
#include "project_lock.h"
#include "regular_file.h"

namespace io {
namespace {

const QString kCopySuffix = QStringLiteral(".fep-recovery");
const QString kFormatKey = QStringLiteral("format");
const QString kFileKey = QStringLiteral("file");
const QString kProjectKey = QStringLiteral("project");
const QString kRecoveryFormat = QStringLiteral("fire-extinguisher-project-recovery");

// A copy's lock, which never counts as stale by its age: only once its process is gone.
std::unique_ptr<QLockFile> lockOf(const QString& copyPath) {
    auto lock = std::make_unique<QLockFile>(copyPath + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    return lock;
}

std::variant<RecoveredProject, QString> readCopy(const QString& path) {
    QFile file(path);
    if (auto fault = openRegularFile(file)) {
        return QStringLiteral("恢复副本“%1”无法读取：%2")
            .arg(QDir::toNativeSeparators(path), *fault);
    }
    const QJsonDocument document = QJsonDocument::fromJson(file.read(kMaxProjectFileSize + 1));
    const QJsonObject copy = document.object();
    const auto damaged = [&](const QString& reason) {
        return QStringLiteral("恢复副本“%1”已损坏：%2").arg(QDir::toNativeSeparators(path), reason);
    };
    if (copy[kFormatKey].toString() != kRecoveryFormat || !copy[kFileKey].isString() ||
        !copy[kProjectKey].isObject()) {
        return damaged(QStringLiteral("不是恢复副本"));
    }
    auto project = projectFromObject(copy[kProjectKey].toObject());
    if (auto* fault = std::get_if<QString>(&project)) {
        return damaged(*fault);
    }
    return RecoveredProject{std::move(std::get<core::Project>(project)), copy[kFileKey].toString()};
}

}  // namespace

RecoveryCopy::RecoveryCopy()
    : path_(directory() + QLatin1Char('/') + QUuid::createUuid().toString(QUuid::WithoutBraces) +
            kCopySuffix) {}

RecoveryCopy::~RecoveryCopy() = default;

QString RecoveryCopy::directory() {
    return withoutLongPathPrefix(
               QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)) +
           QStringLiteral("/recovery");
}

std::optional<QString> RecoveryCopy::takeLock() {
    if (lock_ && lock_->isLocked()) {
        return std::nullopt;
    }
    QDir().mkpath(QFileInfo(path_).absolutePath());
    lock_ = lockOf(path_);
    if (!ProjectLock::tryLockNow(*lock_)) {
        return QStringLiteral("无法锁定恢复副本“%1”").arg(QDir::toNativeSeparators(path_));
    }
    return std::nullopt;
}

std::optional<QString> RecoveryCopy::write(const core::Project& project, const QString& fileName) {
    // The lock is taken before the copy exists, so that no other instance takes a copy being
    // written for an orphan.
    if (auto fault = takeLock()) {
        return fault;
    }
    const QJsonObject copy{
        {kFormatKey, kRecoveryFormat},
        {kFileKey, fileName},
        {kProjectKey, projectObject(project)},
    };
    const QByteArray json = QJsonDocument(copy).toJson(QJsonDocument::Compact);
    if (auto reason = writeWhole(path_, json)) {
        return QStringLiteral("无法写入恢复副本“%1”：%2")
            .arg(QDir::toNativeSeparators(path_), *reason);
    }
    return std::nullopt;
}

void RecoveryCopy::remove() {
    QFile::remove(path_);
    if (lock_) {
        lock_->unlock();
    }
}

std::variant<RecoveredProject, QString> RecoveryCopy::restore(const Orphan& orphan) {
    auto lock = lockOf(orphan.path);
    if (!ProjectLock::tryLockNow(*lock)) {
        return QStringLiteral("恢复副本“%1”已由另一个窗口打开")
            .arg(QDir::toNativeSeparators(orphan.path));
    }
    auto recovered = readCopy(orphan.path);
    if (std::holds_alternative<QString>(recovered)) {
        return recovered;  // the lock goes with `lock`; the user may still discard the copy
    }
    remove();
    path_ = orphan.path;
    lock_ = std::move(lock);
    return recovered;
}

QList<RecoveryCopy::Orphan> RecoveryCopy::findOrphans() {
    const QDir folder(directory());
    QList<Orphan> orphans;
    for (const QFileInfo& copy :
         folder.entryInfoList({QLatin1Char('*') + kCopySuffix}, QDir::Files, QDir::Time)) {
        const auto lock = lockOf(copy.absoluteFilePath());
        if (!ProjectLock::tryLockNow(*lock)) {
            continue;  // its window is still open
        }
        lock->unlock();
        const auto recovered = readCopy(copy.absoluteFilePath());
        const auto* project = std::get_if<RecoveredProject>(&recovered);
        orphans.append({copy.absoluteFilePath(), project ? project->fileName : QString(),
                        copy.lastModified()});
    }
    return orphans;
}

void RecoveryCopy::discard(const Orphan& orphan) {
    const auto lock = lockOf(orphan.path);
    if (ProjectLock::tryLockNow(*lock)) {
        QFile::remove(orphan.path);
        lock->unlock();
    }
}

}  // namespace io
