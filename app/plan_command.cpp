#include "plan_command.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <cstdio>
#include <optional>
#include <utility>
#include <variant>

#include "dxf_reader.h"
#include "plan_import.h"
#include "plan_rooms.h"
#include "plan_units.h"
#include "project_file.h"
#include "project_lock.h"

namespace app {

namespace {

void write(std::FILE* stream, const QString& line) {
    std::fprintf(stream, "%s\n", line.toUtf8().constData());
}

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "一层 办公室（120.50 m²）"
QString unitLine(const core::Unit& unit) {
    return QStringLiteral("%1 %2（%3 m²）")
        .arg(fromUtf8(unit.location), fromUtf8(unit.name),
             QString::number(unit.choices.area, 'f', 2));
}

// Takes the project file's lock for a change without a window; why it cannot, else empty.
std::optional<QString> lockFault(io::ProjectLock& lock) {
    switch (lock.lock()) {
        case io::ProjectLock::State::Held:
            return std::nullopt;
        case io::ProjectLock::State::HeldElsewhere: {
            // Another window or instance that holds the project would write over the change.
            const QString holder = lock.holder();
            return holder.isEmpty() ? QStringLiteral("该工程已在其他窗口中打开")
                                    : QStringLiteral("该工程已在其他窗口中打开（%1）").arg(holder);
        }
        case io::ProjectLock::State::Failed:
            break;
    }
    return QStringLiteral("无法锁定工程文件（所在文件夹不可写？）");
}

// "第2个计算单元“走廊”（一层）", as the project file's messages count the units.
QString unitNamed(std::size_t index, const core::Unit& unit) {
    const QString where =
        unit.location.empty() ? QString() : QStringLiteral("（%1）").arg(fromUtf8(unit.location));
    return QStringLiteral("第%1个计算单元“%2”%3").arg(index + 1).arg(fromUtf8(unit.name), where);
}

}  // namespace

int importPlan(const PlanImportRequest& request) {
    const QString project = QDir::toNativeSeparators(request.projectFile);
    const auto refuse = [&](const QString& reason) {
        write(stderr, QStringLiteral("无法导入平面图到工程文件“%1”：%2").arg(project, reason));
        return 1;
    };
    const auto read = io::readDxf(request.drawing);
    if (const auto* fault = std::get_if<QString>(&read)) {
        write(stderr, *fault);
        return 1;
    }
    const io::DxfDrawing& drawing = std::get<io::DxfDrawing>(read);

    QStringList layers = request.layers;
    const std::vector<io::PlanLayer> found = io::planLayers(drawing);
    if (layers.isEmpty()) {
        for (const io::PlanLayer& layer : found) {
            if (layer.proposed) {
                layers << layer.name;
            }
        }
    }
    QSet<QString> names;
    for (const io::PlanLayer& layer : found) {
        names.insert(layer.name);
    }
    for (const QString& layer : std::as_const(layers)) {
        if (!names.contains(layer)) {
            return refuse(QStringLiteral("平面图“%1”中没有图层“%2”")
                              .arg(QDir::toNativeSeparators(request.drawing), layer));
        }
    }
    const QString location = request.floor.value_or(QFileInfo(request.drawing).completeBaseName());
    if (location.size() > core::kMaxNameLength) {
        return refuse(QStringLiteral("楼层“%1…”过长：最多%2个字符")
                          .arg(location.first(20))
                          .arg(core::kMaxNameLength));
    }
    const io::PlanImportInput input = io::planImportInput(io::planRooms(drawing, layers),
                                                          request.drawing, drawing.unit, location);

    io::ProjectLock lock(request.projectFile);
    if (const auto fault = lockFault(lock)) {
        return refuse(*fault);
    }
    core::Project before;
    const bool exists = QFileInfo::exists(request.projectFile);
    if (exists) {
        auto opened = io::readProject(request.projectFile);
        if (const auto* fault = std::get_if<QString>(&opened)) {
            write(stderr, *fault);
            return 1;
        }
        before = std::move(std::get<core::Project>(opened));
    }
    const core::PlanImportResult result = core::importPlan(before, input.plan);
    for (const io::RefusedOutline& refused : input.refused) {
        write(stderr, QStringLiteral("未导入：") + io::refusalText(refused));
    }
    if (!exists || result.changes.changesProject()) {
        if (const auto fault = io::saveProject(result.project, request.projectFile)) {
            write(stderr, *fault);
            return 1;
        }
    }
    if (request.verbose) {
        const auto list = [&](const char* what, const std::vector<std::size_t>& indices) {
            for (const std::size_t i : indices) {
                write(stdout, QString::fromUtf8(what) + unitLine(result.project.units[i]));
            }
        };
        list("新增：", result.changes.added);
        list("更新：", result.changes.updated);
        write(stdout, QStringLiteral("新增 %1 个、更新 %2 个、未变 %3 个计算单元")
                          .arg(result.changes.added.size())
                          .arg(result.changes.updated.size())
                          .arg(result.changes.unchanged.size()));
    }
    return 0;
}

int placePoints(const QString& projectFile) {
    // A file that is not there, or not a project, is refused as it is read, before its lock is
    // taken (which would want its folder writable).
    if (!QFileInfo(projectFile).isFile()) {
        const auto refused = io::readProject(projectFile);
        if (const auto* fault = std::get_if<QString>(&refused)) {
            write(stderr, *fault);
            return 1;
        }
    }
    io::ProjectLock lock(projectFile);
    if (const auto fault = lockFault(lock)) {
        write(stderr, QStringLiteral("无法在工程文件“%1”中布置设置点：%2")
                          .arg(QDir::toNativeSeparators(projectFile), *fault));
        return 1;
    }
    auto opened = io::readProject(projectFile);
    if (const auto* fault = std::get_if<QString>(&opened)) {
        write(stderr, *fault);
        return 1;
    }
    core::Project project = std::move(std::get<core::Project>(opened));
    bool changed = false;
    for (std::size_t i = 0; i < project.units.size(); ++i) {
        core::Unit& unit = project.units[i];
        if (unit.outline.empty() || !unit.setPoints.empty()) {
            continue;
        }
        const QString named = unitNamed(i, unit);
        const QString divide = QStringLiteral("未布置设置点：%1%2，应划分为多个计算单元");
        switch (core::placingFault(unit.outline, unit.holes)) {
            case core::PlacingFault::None:
                break;
            case core::PlacingFault::TooLarge:
                write(stderr,
                      divide.arg(named,
                                 QStringLiteral("的面积超过 %1 m²").arg(core::kMaxPlacedArea)));
                continue;
            case core::PlacingFault::TooIntricate:
                write(stderr, divide.arg(named, QStringLiteral("的轮廓超过 %1 个顶点或 %2 个凹角")
                                                    .arg(core::kMaxPlacedVertices)
                                                    .arg(core::kMaxPlacedCorners)));
                continue;
        }
        std::optional<core::Placement> placement = core::placeUnit(unit);
        if (!placement) {
            write(stderr, QStringLiteral("未布置设置点：%1不能配置").arg(named));
            continue;
        }
        if (placement->points.size() > static_cast<std::size_t>(core::kMaxPoints)) {
            write(stderr,
                  divide.arg(named, QStringLiteral("需要超过 %1 个设置点").arg(core::kMaxPoints)));
            continue;
        }
        if (!placement->proven) {
            write(stderr, QStringLiteral("警告：%1的设置点未能覆盖全部平面（如有宽度不足 "
                                         "%2 m 的狭窄部分），请在平面图上检查")
                              .arg(named)
                              .arg(2 * core::kWallClearance));
        }
        unit.setPoints = std::move(placement->points);
        changed = true;
    }
    if (changed) {
        if (const auto fault = io::saveProject(project, projectFile)) {
            write(stderr, *fault);
            return 1;
        }
    }
    return 0;
}

}  // namespace app
