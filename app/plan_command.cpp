#include "plan_command.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <iterator>
#include <memory>
#include <mutex>
#include <numeric>
#include <optional>
#include <thread>
#include <utility>
#include <variant>

#include "combined_units.h"
#include "dxf_reader.h"
#include "plan_import.h"
#include "plan_rooms.h"
#include "plan_units.h"
#include "project_file.h"
#include "project_lock.h"
#include "stop_request.h"
#include "unit_placing.h"
#include "unit_texts.h"
#include "utf8_text.h"

namespace app {

namespace {

void write(std::FILE* stream, const QString& line) {
    std::fprintf(stream, "%s\n", line.toUtf8().constData());
}

// "一层 办公室（120.50 m²）"
QString unitLine(const core::Unit& unit) {
    return QStringLiteral("%1 %2（%3 m²）")
        .arg(io::qs(unit.location), io::qs(unit.name), QString::number(unit.choices.area, 'f', 2));
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

// The project of the file, read once its lock is taken for a change without a window; none, with
// the reason on standard error, where it cannot be read or locked (`cannot` names the file, %1,
// and the reason, %2). A file that is not there, or not a project, is refused as it is read,
// before its lock is taken (which would want its folder writable).
std::optional<core::Project> openLocked(const QString& projectFile, io::ProjectLock& lock,
                                        const QString& cannot) {
    if (!QFileInfo(projectFile).isFile()) {
        const auto refused = io::readProject(projectFile);
        if (const auto* fault = std::get_if<QString>(&refused)) {
            write(stderr, *fault);
            return std::nullopt;
        }
    }
    if (const auto fault = lockFault(lock)) {
        write(stderr, cannot.arg(QDir::toNativeSeparators(projectFile), *fault));
        return std::nullopt;
    }
    auto opened = io::readProject(projectFile);
    if (const auto* fault = std::get_if<QString>(&opened)) {
        write(stderr, *fault);
        return std::nullopt;
    }
    return std::get<core::Project>(std::move(opened));
}

// "第2个计算单元“走廊”（一层）", as the project file's messages count the units.
QString unitNamed(std::size_t index, const core::Unit& unit) {
    const QString where =
        unit.location.empty() ? QString() : QStringLiteral("（%1）").arg(io::qs(unit.location));
    return QStringLiteral("第%1个计算单元“%2”%3").arg(index + 1).arg(io::qs(unit.name), where);
}

// Where a combined unit's S comes from.
QString basisText(const core::Unit& unit) {
    return unit.floorOutline.empty() ? QStringLiteral("S 按房间面积之和计，未含墙体")
                                     : QStringLiteral("S 按楼层轮廓（建筑面积）计");
}

// How long placing runs before its progress is shown, and then how often at most.
constexpr std::chrono::seconds kQuietPlacing{2};
constexpr std::chrono::seconds kProgressInterval{1};
// How soon a stop request is seen while placing.
constexpr std::chrono::milliseconds kStopPoll{100};

// The project with its setting points placed, and what standard error is to say about it.
struct PlacingOutcome {
    core::Project project;
    QStringList lines;
    // Per unit with setting points after it: how many it kept, and how many were placed anew.
    QStringList told;
    bool changed = false;
};

// Placing as it goes on in its thread: the unit with an outline being placed (from 1) of how
// many, and then what came of it.
struct PlacingRun {
    std::size_t total = 0;
    std::atomic<std::size_t> current{0};
    std::mutex mutex;
    std::condition_variable cv;
    std::optional<PlacingOutcome> outcome;  // under the mutex
};

// Why a unit's setting points do not reach all of it: "最大 87.1 m > R = 15 m".
QString shortfall(const core::PlacedCover& cover) {
    const QString farthest = documents::reachText(cover, core::PlacingFault::None);
    if (!std::isfinite(cover.farthest)) {
        return farthest;
    }
    return QStringLiteral("%1%2 R = %3 m")
        .arg(farthest, cover.farthest > cover.reach ? QStringLiteral(" >") : QStringLiteral("，"))
        .arg(cover.reach);
}

// Places the setting points of the project's units that have none, or ones that no longer reach
// all of the unit (unless `keep`), counting the units with an outline in `current` as it goes.
PlacingOutcome placeAll(core::Project project, bool keep, std::atomic<std::size_t>& current) {
    std::vector<std::size_t> all(project.units.size());
    std::iota(all.begin(), all.end(), std::size_t{0});
    const core::UnitsPlaced placed = core::placeUnits(
        project.units, all, keep ? core::PlaceAgain::Never : core::PlaceAgain::Stale,
        [&current](std::size_t position, double) {
            current = position + 1;
            return true;
        });
    PlacingOutcome outcome;
    for (const core::UnitPlaced& result : placed.units) {
        core::Unit& unit = project.units[result.unit];
        const QString named = unitNamed(result.unit, unit);
        const bool had = !unit.setPoints.empty();
        // Told in one piece: a name may hold "%1".
        const auto divide = [&named](const QString& prefix, const QString& why) {
            return prefix + named + why + QStringLiteral("，应划分为多个计算单元");
        };
        // Points that cannot be checked are not placed again either.
        const QString unplaced =
            had ? QStringLiteral("未校核设置点：") : QStringLiteral("未布置设置点：");
        // Points that no longer reach all of the unit: its outline grew, or its R shortened.
        const QString stale = result.stale ? QStringLiteral("%1的设置点未能覆盖全部平面（%2）")
                                                 .arg(named, shortfall(*result.stale))
                                           : QString();
        // A unit placed again as it was keeps them all.
        const bool placedAnew = result.changed && (result.outcome == core::UnitPlacing::Proven ||
                                                   result.outcome == core::UnitPlacing::NotCovered);
        const auto byHand = static_cast<std::size_t>(std::ranges::count(result.handSet, true));
        const std::size_t kept = placedAnew ? byHand : unit.setPoints.size();
        const std::size_t added = placedAnew ? result.points.size() - byHand : 0;
        if (kept + added > 0) {
            outcome.told << named + QStringLiteral("：保留设置点 %1 个，新布置 %2 个")
                                        .arg(static_cast<qulonglong>(kept))
                                        .arg(static_cast<qulonglong>(added));
        }
        switch (result.outcome) {
            case core::UnitPlacing::Kept:
                break;
            case core::UnitPlacing::HandSetShort:
                outcome.lines << QStringLiteral("警告：") + named +
                                     QStringLiteral(
                                         "的手动设置点补充设置点后仍未能覆盖全部平面，"
                                         "已保留原设置点，请在平面图上检查");
                break;
            case core::UnitPlacing::TooLarge:
                outcome.lines << divide(
                    unplaced, QStringLiteral("的面积超过 %1 m²").arg(core::kMaxPlacedArea));
                break;
            case core::UnitPlacing::TooIntricate:
                outcome.lines << divide(unplaced, QStringLiteral("的轮廓超过 %1 个顶点或 %2 个凹角")
                                                      .arg(core::kMaxPlacedVertices)
                                                      .arg(core::kMaxPlacedCorners));
                break;
            case core::UnitPlacing::KeptStale:
                outcome.lines << QStringLiteral("警告：%1，已按 --keep 保留").arg(stale);
                break;
            case core::UnitPlacing::Unconfigurable:
                outcome.lines << QStringLiteral("未布置设置点：%1不能配置").arg(named);
                break;
            case core::UnitPlacing::TooManyPoints:
                outcome.lines << divide(
                    had ? QStringLiteral("未重新布置设置点：") : QStringLiteral("未布置设置点："),
                    QStringLiteral("需要超过 %1 个设置点").arg(core::kMaxPoints));
                break;
            case core::UnitPlacing::Proven:
            case core::UnitPlacing::NotCovered:
                // Placed again as before, the points are as good as they get: only the warning.
                if (result.stale && result.changed) {
                    outcome.lines << QStringLiteral("重新布置：") + stale;
                }
                if (result.outcome == core::UnitPlacing::NotCovered) {
                    outcome.lines << QStringLiteral("警告：") + named + QStringLiteral("的") +
                                         documents::notCoveredText();
                }
                if (result.changed) {
                    unit.setPoints = result.points;
                    unit.handSet = result.handSet;
                    outcome.changed = true;
                }
                break;
        }
    }
    outcome.project = std::move(project);
    return outcome;
}

}  // namespace

int importPlan(const PlanImportRequest& request) {
    const QString project = QDir::toNativeSeparators(request.projectFile);
    const auto refuse = [&](const QString& reason) {
        write(stderr, QStringLiteral("无法导入平面图到工程文件“%1”：%2").arg(project, reason));
        return 1;
    };
    std::optional<io::DrawingUnit> unit;
    if (request.unit) {
        unit = io::unitFromName(*request.unit);
        if (!unit || std::ranges::find(io::kImportUnits, *unit) == std::end(io::kImportUnits)) {
            return refuse(QStringLiteral("图纸单位“%1”无效，应为 mm、cm、dm、m、inch 或 ft")
                              .arg(*request.unit));
        }
    }
    const auto read = io::readDxf(request.drawing);
    if (const auto* fault = std::get_if<QString>(&read)) {
        write(stderr, *fault);
        return 1;
    }
    const io::DxfDrawing& drawing = std::get<io::DxfDrawing>(read);

    // Once the drawing is read, every outcome ends with one line that sums it up.
    io::PlanImportInput input;
    const auto summed = [&](int status) {
        QString summary = QStringLiteral("导入房间 %1 个，未导入轮廓 %2 个，无法读取的对象 %3 个")
                              .arg(status == 0 ? input.plan.rooms.size() : 0)
                              .arg(input.refused.size())
                              .arg(io::unreadableCount(drawing));
        for (const auto& [first, second] : core::overlappingLayers(input.plan.rooms)) {
            summary += QStringLiteral("；警告：图层“%1”与“%2”的轮廓重叠，请检查所选图层")
                           .arg(io::qs(first), io::qs(second));
        }
        write(stderr, summary);
        return status;
    };

    const std::vector<io::PlanLayer> found = io::planLayers(drawing);
    const bool anyOutline =
        std::ranges::any_of(found, [](const io::PlanLayer& layer) { return layer.outlines > 0; });
    io::PlanReading reading;
    // The layers named on the command line, matched without case as planRooms() takes them.
    const auto named = [&](const QStringList& asked,
                           QStringList& layers) -> std::optional<QString> {
        for (const QString& name : asked) {
            const io::PlanLayer* layer = io::layerNamed(found, name);
            if (layer == nullptr) {
                return QStringLiteral("平面图“%1”中没有图层“%2”")
                    .arg(QDir::toNativeSeparators(request.drawing), name);
            }
            layers << layer->name;
        }
        return std::nullopt;
    };
    for (const auto& [asked, layers] : {std::pair{&request.layers, &reading.layers},
                                        std::pair{&request.wallLayers, &reading.wallLayers},
                                        std::pair{&request.doorLayers, &reading.doorLayers}}) {
        if (const auto fault = named(*asked, *layers)) {
            return summed(refuse(*fault));
        }
    }
    const QString notice = io::proprietaryNotice(drawing);
    if (request.layers.isEmpty() && request.wallLayers.isEmpty()) {
        QStringList withOutlines;
        for (const io::PlanLayer& layer : found) {
            if (layer.proposed) {
                reading.layers << layer.name;
            }
            if (layer.proposedWalls) {
                reading.wallLayers << layer.name;
            }
            if (layer.outlines > 0) {
                withOutlines << QStringLiteral("%1（%2 个）").arg(layer.name).arg(layer.outlines);
            }
        }
        if (reading.layers.isEmpty() && reading.wallLayers.isEmpty()) {
            if (!notice.isEmpty()) {
                return summed(refuse(notice));
            }
            if (!anyOutline) {
                return summed(refuse(io::noOutlinesText(drawing)));
            }
            return summed(refuse(
                QStringLiteral("图纸中没有名称含“房间”“ROOM”“AREA”“面积”的图层，请用 --layer "
                               "指明房间轮廓所在的图层。有闭合轮廓的图层：%1")
                    .arg(withOutlines.join(QStringLiteral("、")))));
        }
        if (request.verbose) {
            const auto joined = [](const QStringList& layers) {
                return layers.isEmpty() ? QStringLiteral("无") : layers.join(QStringLiteral("、"));
            };
            write(stdout, QStringLiteral("读取图层：房间轮廓 %1；墙线 %2")
                              .arg(joined(reading.layers), joined(reading.wallLayers)));
        }
    }
    const io::DrawingUnit drawingUnit = unit.value_or(drawing.unit);
    reading.unit = drawingUnit;
    const io::PlanRooms rooms = io::planRooms(drawing, reading);
    input = io::planImportInput(rooms, request.drawing, drawingUnit, QString(),
                                drawing.unitGiven ? std::optional(drawing.unit) : std::nullopt);
    if (request.verbose) {
        for (const core::PlanRoomInput& room : rooms.rooms) {
            write(stdout, QStringLiteral("房间：%1（%2 m²）")
                              .arg(io::qs(room.name), QString::number(room.area, 'f', 2)));
        }
        if (rooms.floors && !rooms.floors->empty()) {
            write(stdout, QStringLiteral("楼层轮廓 %1 个").arg(rooms.floors->size()));
        }
        if (rooms.doorsRead) {
            const QString doors = io::doorCountText({rooms.doors.size(), rooms.exits()});
            write(stdout, doors.isEmpty() ? QStringLiteral("门 0 个") : doors);
        }
        for (const core::ClosedGap& gap : rooms.gaps) {
            if (gap.by == core::ClosedGap::By::Nothing) {
                write(stdout, QStringLiteral("按门洞闭合：(%1, %2) 至 (%3, %4) m")
                                  .arg(gap.a.x, 0, 'f', 3)
                                  .arg(gap.a.y, 0, 'f', 3)
                                  .arg(gap.b.x, 0, 'f', 3)
                                  .arg(gap.b.y, 0, 'f', 3));
            }
        }
    }
    if (!notice.isEmpty()) {
        if (input.plan.rooms.empty()) {
            return summed(refuse(notice));
        }
        write(stderr, QStringLiteral("警告：") + notice);
    }
    for (const io::RefusedOutline& refused : input.refused) {
        write(stderr, QStringLiteral("未导入：") + io::refusalText(refused));
    }
    if (const QString implausible = io::implausibleText(input, drawingUnit);
        !implausible.isEmpty()) {
        // A unit given on the command line is the user's word for it.
        if (unit) {
            write(stderr, QStringLiteral("警告：") + implausible);
        } else {
            return summed(refuse(input.likelyUnit
                                     ? QStringLiteral("%1，请用 --unit %2")
                                           .arg(implausible, io::unitName(*input.likelyUnit))
                                     : implausible));
        }
    }
    if (input.plan.rooms.empty()) {
        if (rooms.wallsRead && !anyOutline) {
            return summed(refuse(
                QStringLiteral("墙线图层（%1）未围合出房间，请检查墙线是否连续，或用 --layer "
                               "指明房间轮廓所在的图层")
                    .arg(reading.wallLayers.join(QStringLiteral("、")))));
        }
        return summed(refuse(anyOutline ? QStringLiteral("所选图层中没有可导入的房间")
                                        : io::noOutlinesText(drawing)));
    }

    io::ProjectLock lock(request.projectFile);
    if (const auto fault = lockFault(lock)) {
        return summed(refuse(*fault));
    }
    core::Project before;
    const bool exists = QFileInfo::exists(request.projectFile);
    if (exists) {
        auto opened = io::readProject(request.projectFile);
        if (const auto* fault = std::get_if<QString>(&opened)) {
            write(stderr, *fault);
            return summed(1);
        }
        before = std::move(std::get<core::Project>(opened));
    }
    // Without a floor given, a drawing imported before goes to the floor it went to then; one of
    // that name imported to several floors (1F/平面图.dxf, 2F/平面图.dxf) cannot be told apart.
    QString location = request.floor.value_or(QFileInfo(request.drawing).completeBaseName());
    if (!request.floor) {
        const std::vector<std::string> floors = core::importedFloors(before, input.plan.file);
        if (floors.size() > 1) {
            QStringList names;
            for (const std::string& floor : floors) {
                names << io::qs(floor);
            }
            return summed(
                refuse(QStringLiteral("名为“%1”的图纸已导入到多个楼层（%2），请用 "
                                      "--floor 指明楼层")
                           .arg(io::qs(input.plan.file), names.join(QStringLiteral("、")))));
        }
        if (floors.size() == 1) {
            location = io::qs(floors.front());
        }
    }
    if (location.size() > core::kMaxNameLength) {
        // One arg() for both, so that a "%2" in the floor's own text stays as it is.
        return summed(refuse(QStringLiteral("楼层“%1…”过长：最多%2个字符")
                                 .arg(location.first(20), QString::number(core::kMaxNameLength))));
    }
    const QByteArray floor = location.toUtf8();
    input.plan.location.assign(floor.constData(), static_cast<std::size_t>(floor.size()));
    const core::PlanImportResult result = core::importPlan(before, input.plan);
    if (!exists || result.changes.changesProject()) {
        if (const auto fault = io::saveProject(result.project, request.projectFile)) {
            write(stderr, *fault);
            return summed(1);
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
    return summed(0);
}

int placePoints(const PlaceRequest& request) {
    const QString& projectFile = request.projectFile;
    // Made before the lock, so that the lock is released before Ctrl+C ends the program again.
    const StopRequests stop;
    io::ProjectLock lock(projectFile);
    std::optional<core::Project> opened =
        openLocked(projectFile, lock, QStringLiteral("无法在工程文件“%1”中布置设置点：%2"));
    if (!opened) {
        return 1;
    }

    // The placing runs in a thread of its own, which the program leaves behind when it is
    // stopped: placing one room may take minutes.
    const auto run = std::make_shared<PlacingRun>();
    run->total = static_cast<std::size_t>(std::ranges::count_if(
        opened->units, [](const core::Unit& unit) { return core::hasPlan(unit); }));
    std::thread worker([run, project = std::move(*opened), keep = request.keep]() mutable {
        PlacingOutcome outcome = placeAll(std::move(project), keep, run->current);
        const std::scoped_lock guard(run->mutex);
        run->outcome = std::move(outcome);
        run->cv.notify_all();
    });
    const auto began = std::chrono::steady_clock::now();
    auto nextReport = began + kQuietPlacing;
    std::size_t reported = 0;
    std::unique_lock guard(run->mutex);
    while (!run->outcome && !StopRequests::asked()) {
        run->cv.wait_for(guard, kStopPoll);
        const std::size_t current = run->current.load();
        if (!run->outcome && std::chrono::steady_clock::now() >= nextReport &&
            current != reported) {
            write(stderr, QStringLiteral("正在布置设置点：%1/%2 …").arg(current).arg(run->total));
            reported = current;
            nextReport = std::chrono::steady_clock::now() + kProgressInterval;
        }
    }
    if (!run->outcome) {
        guard.unlock();
        worker.detach();
        lock.unlock();
        write(stderr, QStringLiteral("已取消，工程文件未改变"));
        return kStopped;
    }
    guard.unlock();
    worker.join();
    const PlacingOutcome& outcome = *run->outcome;
    for (const QString& line : outcome.lines) {
        write(stderr, line);
    }
    if (request.verbose) {
        for (const QString& line : outcome.told) {
            write(stdout, line);
        }
    }
    if (StopRequests::asked()) {
        lock.unlock();
        write(stderr, QStringLiteral("已取消，工程文件未改变"));
        return kStopped;
    }
    if (outcome.changed) {
        if (const auto fault = io::saveProject(outcome.project, projectFile)) {
            write(stderr, *fault);
            return 1;
        }
    }
    return 0;
}

int combineUnits(const CombineRequest& request) {
    const QString& projectFile = request.projectFile;
    io::ProjectLock lock(projectFile);
    const std::optional<core::Project> opened =
        openLocked(projectFile, lock, QStringLiteral("无法合并工程文件“%1”中的计算单元：%2"));
    if (!opened) {
        return 1;
    }
    const core::Project& project = *opened;
    std::optional<std::string> floor;
    if (request.floor) {
        floor = request.floor->toStdString();
        if (std::ranges::none_of(project.units,
                                 [&](const core::Unit& unit) { return unit.location == *floor; })) {
            write(stderr, QStringLiteral("工程文件“%1”中没有楼层“%2”的计算单元")
                              .arg(QDir::toNativeSeparators(projectFile), *request.floor));
            return 1;
        }
    }
    const core::FloorsCombined combined = core::combineFloors(project, floor);
    if (combined.made.empty()) {
        write(stderr, QStringLiteral("没有可合并的计算单元：同一楼层中火灾种类和危险等级相同、"
                                     "有平面轮廓的计算单元不足两个"));
        return 0;
    }
    if (const auto fault = io::saveProject(combined.project, projectFile)) {
        write(stderr, *fault);
        return 1;
    }
    if (request.verbose) {
        for (const core::FloorCombined& made : combined.made) {
            const core::Unit& unit = combined.project.units[made.unit];
            QStringList rooms;
            for (const core::UnitRoom& room : unit.rooms) {
                rooms.append(io::qs(room.name));
            }
            write(stdout, QStringLiteral("%1：%2 个房间（%3），%4")
                              .arg(unitLine(unit))
                              .arg(unit.rooms.size())
                              .arg(rooms.join(QStringLiteral("、")), basisText(unit)));
        }
    }
    return 0;
}

}  // namespace app
