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
        case core::LayoutFault::MixedUnits:
            return QStringLiteral(
                       "楼层“%1”的计算单元来自不同单位的图纸，不能画在同一张平面布置图"
                       "上；请按图纸分别设置楼层/位置。")
                .arg(io::qs(floor));
        case core::LayoutFault::NoPoints:
            return QStringLiteral("楼层“%1”的计算单元尚未布置设置点。").arg(io::qs(floor));
    }
    return std::nullopt;
}

bool hasLayout(const core::FloorLayout& floor) {
    return core::layoutFault(floor) == core::LayoutFault::None;
}

std::optional<QString> layoutsRefusal(const core::Project& project) {
    const auto floors = core::floorLayouts(project);
    if (floors.empty()) {
        return QStringLiteral("工程中没有带平面轮廓的计算单元，请先导入平面图。");
    }
    if (std::ranges::all_of(floors, [](const core::FloorLayout& f) { return f.points == 0; })) {
        return QStringLiteral("工程中的计算单元尚未布置设置点。");
    }
    if (std::ranges::none_of(floors, hasLayout)) {
        return layoutRefusal(project, std::ranges::find_if(floors, [](const auto& f) {
                                          return f.points > 0;
                                      })->floor);
    }
    return std::nullopt;
}

std::vector<FloorFile> floorFiles(const core::Project& project, const QString& out) {
    const auto floors = core::floorLayouts(project);
    std::vector<FloorFile> files;
    if (floors.size() == 1) {
        if (hasLayout(floors.front())) {
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
        if (!hasLayout(floor)) {
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
        // The architect's drawing that the rooms came from (a unit's, or a combined unit's
        // rooms') is never written over.
        const QFileInfo target(file.fileName);
        const auto fromTarget = [&target](const std::optional<core::PlanSource>& plan) {
            return plan && io::qs(plan->file).compare(target.fileName(), Qt::CaseInsensitive) == 0;
        };
        if (target.exists() && std::ranges::any_of(project.units, [&](const core::Unit& u) {
                return fromTarget(u.plan) ||
                       std::ranges::any_of(u.rooms, [&](const core::UnitRoom& room) {
                           return fromTarget(room.plan);
                       });
            })) {
            return {WriteStatus::Failed,
                    QStringLiteral("无法导出到“%1”：这是工程导入的平面图，导出会覆盖它")
                        .arg(QDir::toNativeSeparators(file.fileName))};
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
