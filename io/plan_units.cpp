#include "plan_units.h"

#include <QFileInfo>
#include <QLocale>

#include "project.h"

namespace io {
namespace {

std::string utf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

}  // namespace

PlanImportInput planImportInput(const PlanRooms& rooms, const QString& drawingFile,
                                DrawingUnit unit, const QString& location) {
    PlanImportInput input;
    input.plan.file = utf8(QFileInfo(drawingFile).fileName());
    input.plan.unit = utf8(unitName(unit));
    input.plan.location = utf8(location);
    input.refused = rooms.refused;
    for (const PlanRoom& room : rooms.rooms) {
        // A room larger than a unit may be is most likely a drawing read in the wrong unit.
        if (room.area > core::kMaxUnitArea) {
            input.refused.push_back(
                {room.handle, room.layer,
                 QStringLiteral("面积 %1 m² 超过计算单元的上限 %2 m²，请检查图纸单位")
                     .arg(QString::number(room.area, 'f', 2),
                          QString::number(core::kMaxUnitArea, 'f', 0))});
            continue;
        }
        input.plan.rooms.push_back(
            {utf8(room.name), utf8(room.layer), utf8(room.handle), room.outline, room.area});
    }
    return input;
}

QString refusalText(const RefusedOutline& refused) {
    const QString entity = refused.handle.isEmpty() ? QStringLiteral("无句柄的图元")
                                                    : QStringLiteral("图元 %1").arg(refused.handle);
    return QStringLiteral("%1（图层 %2）：%3").arg(entity, refused.layer, refused.reason);
}

}  // namespace io
