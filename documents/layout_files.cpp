#include "layout_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

#include "file_errors.h"
#include "floor_layout.h"
#include "layout_dxf.h"
#include "utf8_text.h"

namespace documents {

std::optional<QString> layoutRefusal(const core::Project& project, const std::string& floor) {
    switch (core::layoutFault(project, floor)) {
        case core::LayoutFault::None:
            return std::nullopt;
        case core::LayoutFault::NoOutline:
            return QStringLiteral("楼层“%1”的计算单元没有平面轮廓，请先导入平面图。")
                .arg(io::qs(floor));
        case core::LayoutFault::NoPoints:
            return QStringLiteral("楼层“%1”的计算单元尚未布置设置点。").arg(io::qs(floor));
    }
    return std::nullopt;
}

std::optional<QString> layoutsRefusal(const core::Project& project) {
    const auto floors = core::floorLayouts(project);
    if (floors.empty()) {
        return QStringLiteral("工程中没有带平面轮廓的计算单元，请先导入平面图。");
    }
    if (std::ranges::all_of(floors, [](const core::FloorLayout& f) { return f.points == 0; })) {
        return QStringLiteral("工程中的计算单元尚未布置设置点。");
    }
    return std::nullopt;
}

std::vector<FloorFile> floorFiles(const core::Project& project, const QString& out) {
    const auto floors = core::floorLayouts(project);
    std::vector<FloorFile> files;
    if (floors.size() == 1) {
        if (floors.front().points > 0) {
            files.push_back({floors.front().floor, out});
        }
        return files;
    }
    const QFileInfo outInfo(out);
    const QString suffix = outInfo.suffix().isEmpty() ? QString() : u'.' + outInfo.suffix();
    const QString base = out.left(out.size() - suffix.size());
    const qsizetype baseBytes = QFileInfo(base).fileName().toUtf8().size();
    QSet<QString> taken;
    for (const core::FloorLayout& floor : floors) {
        if (floor.points == 0) {
            continue;
        }
        QString fileName;
        for (int n = 1; fileName.isEmpty() || taken.contains(fileName.toCaseFolded()); ++n) {
            const QString number = n == 1 ? QString() : QStringLiteral("-%1").arg(n);
            // 1: the "-" between the name and the floor.
            const qsizetype room =
                io::kMaxFileNameBytes - baseBytes - 1 - (number + suffix).toUtf8().size();
            const QString part = io::fileNamePart(io::qs(floor.floor), room);
            fileName = base + (part.isEmpty() ? QString() : u'-' + part) + number + suffix;
        }
        taken.insert(fileName.toCaseFolded());
        files.push_back({floor.floor, fileName});
    }
    return files;
}

WriteOutcome writeLayouts(const core::Project& project, const std::vector<FloorFile>& files,
                          const Progress& progress) {
    for (const FloorFile& file : files) {
        if (const auto fault = io::replaceFault(file.fileName)) {
            return {WriteStatus::Failed, QStringLiteral("无法导出到“%1”：%2")
                                             .arg(QDir::toNativeSeparators(file.fileName), *fault)};
        }
    }
    QStringList made;
    for (const FloorFile& file : files) {
        const bool existed = QFileInfo::exists(file.fileName);
        WriteOutcome outcome = writeLayoutDxf(project, file.floor, file.fileName, progress);
        if (!outcome.written()) {
            for (const QString& fileName : std::as_const(made)) {
                QFile::remove(fileName);
            }
            return outcome;
        }
        if (!existed) {
            made << file.fileName;
        }
    }
    return {};
}

}  // namespace documents
