#include "plan_units.h"

#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <iterator>

#include "polygon.h"
#include "project.h"
#include "utf8_text.h"

namespace io {
namespace {

// "0.01 m²"; below that, "不足 0.01 m²".
QString areaText(double squareMetres) {
    return squareMetres < 0.01 ? QStringLiteral("不足 0.01 m²")
                               : QStringLiteral("%1 m²").arg(QString::number(squareMetres, 'f', 2));
}

// The entities that are no outline, as a user knows them: the name and the word it is counted by.
struct EntityKind {
    const char* type;
    const char* name;
    const char* counter;
};
constexpr EntityKind kEntityKinds[] = {
    {"LINE", "直线", "条"},     {"ARC", "圆弧", "条"},        {"CIRCLE", "圆", "个"},
    {"ELLIPSE", "椭圆", "个"},  {"SPLINE", "样条曲线", "条"}, {"HATCH", "填充", "个"},
    {"INSERT", "块参照", "个"},
};

}  // namespace

PlanImportInput planImportInput(const PlanRooms& rooms, const QString& drawingFile,
                                DrawingUnit unit, const QString& location,
                                std::optional<DrawingUnit> declared) {
    PlanImportInput input;
    input.plan.declaredUnit = declared ? utf8(unitName(*declared)) : std::string();
    input.plan.file = utf8(QFileInfo(drawingFile).fileName());
    input.plan.unit = utf8(unitName(unit));
    input.plan.location = utf8(location);
    input.refused = rooms.refused;
    std::vector<double> areas;
    for (const core::PlanRoomInput& room : rooms.rooms) {
        areas.push_back(core::area(room.outline));
        // A room larger than a unit may be is most likely a drawing read in the wrong unit.
        if (room.area > core::kMaxUnitArea) {
            input.refused.push_back(
                {qs(room.handle), qs(room.layer),
                 QStringLiteral("面积 %1 m² 超过计算单元的上限 %2 m²，请检查图纸单位")
                     .arg(QString::number(room.area, 'f', 2),
                          QString::number(core::kMaxUnitArea, 'f', 0))});
            continue;
        }
        input.plan.rooms.push_back(room);
    }
    std::vector<core::LengthUnit> units;
    for (const DrawingUnit candidate : kImportUnits) {
        units.push_back({utf8(unitName(candidate)), metresPerUnit(candidate)});
    }
    input.scale = core::roomsScale(std::move(areas), metresPerUnit(unit), units);
    input.plan.floors = rooms.floors;
    if (rooms.doorsRead) {
        std::vector<core::PlanDoor> doors;
        for (const core::WallDoor& door : rooms.doors) {
            doors.push_back({{}, {}, door.handle, door.hinge, door.end, door.swing});
        }
        input.plan.doors = std::move(doors);
    }
    if (input.scale.likelyUnit) {
        input.likelyUnit = unitFromName(qs(*input.scale.likelyUnit));
    }
    return input;
}

QString implausibleText(const PlanImportInput& input, DrawingUnit unit) {
    if (input.scale.plausible) {
        return {};
    }
    const QString median = QStringLiteral("按%1计房间面积中位数 %2")
                               .arg(unitLabel(unit), areaText(input.scale.median));
    if (!input.likelyUnit) {
        return QStringLiteral("%1，不像是房间的大小，请检查图纸单位").arg(median);
    }
    return QStringLiteral("%1，图纸可能以%2为单位").arg(median, unitLabel(*input.likelyUnit));
}

QString noOutlinesText(const DxfDrawing& drawing) {
    QStringList found;
    std::map<QString, int> others = drawing.otherEntities;
    // Model space's lines, arcs and block references, which the reader keeps apart (what blocks
    // draw has a path for its handle; the cells of an array share their reference's handle).
    for (const DxfSegment& segment : drawing.segments) {
        if (!segment.handle.contains(u'/')) {
            ++others[segment.bulge == 0 ? QStringLiteral("LINE") : QStringLiteral("ARC")];
        }
    }
    for (const DxfBlockReference& reference : drawing.references) {
        if (!reference.handle.contains(u'/') &&
            (!reference.handle.contains(u'[') ||
             reference.handle.endsWith(QLatin1String("[0,0]")))) {
            ++others[QStringLiteral("INSERT")];
        }
    }
    const bool references = others.contains(QStringLiteral("INSERT"));
    for (const EntityKind& kind : kEntityKinds) {
        const auto count = others.find(QLatin1String(kind.type));
        if (count != others.end()) {
            found << QStringLiteral("%1 %2 %3")
                         .arg(QString::fromUtf8(kind.name))
                         .arg(count->second)
                         .arg(QString::fromUtf8(kind.counter));
            others.erase(count);
        }
    }
    const auto open = std::count_if(
        drawing.polylines.begin(), drawing.polylines.end(), [](const DxfPolyline& polyline) {
            return !polyline.closed && polyline.kind.endsWith(QLatin1String("POLYLINE")) &&
                   !polyline.handle.contains(u'/');
        });
    if (open > 0) {
        found << QStringLiteral("未闭合的多段线 %1 条").arg(open);
    }
    for (const auto& [type, count] : others) {
        found << QStringLiteral("%1 %2 个").arg(type).arg(count);
    }
    for (const auto& [type, count] : drawing.unknownEntities) {
        found << QStringLiteral("专用对象 %1 %2 个").arg(type).arg(count);
    }
    QString text = QStringLiteral("图纸中没有闭合的房间轮廓：");
    text += found.isEmpty() ? QStringLiteral("模型空间中没有图元")
                            : QStringLiteral("找到") + found.join(QStringLiteral("、"));
    text += QStringLiteral("；请在 CAD 中用闭合多段线描出房间");
    if (references) {
        text += QStringLiteral("，或分解块后导入");
    }
    if (!drawing.unknownEntities.empty()) {
        text += QStringLiteral("，或将专用对象导出为普通图元后导入");
    }
    return text;
}

int unreadableCount(const DxfDrawing& drawing) {
    int count = 0;
    for (const auto& entry : drawing.unknownEntities) {
        count += entry.second;
    }
    return count;
}

QString refusalText(const RefusedOutline& refused) {
    const QString entity = refused.handle.isEmpty() ? QStringLiteral("无句柄的图元")
                                                    : QStringLiteral("图元 %1").arg(refused.handle);
    return QStringLiteral("%1（图层 %2）：%3").arg(entity, refused.layer, refused.reason);
}

QString doorCountText(const core::DoorCount& count) {
    if (count.total == 0) {
        return {};
    }
    return QStringLiteral("门 %1 个，其中外门 %2 个").arg(count.total).arg(count.exits);
}

}  // namespace io
