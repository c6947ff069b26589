#include "plan_reach_item.h"

#include <QPainter>

#include "plan_scene.h"
#include "project_model.h"
#include "reach_map.h"
#include "warning_look.h"

namespace ui {

ReachItem::ReachItem(QGraphicsItem* room, const QPainterPath& outline, const core::ReachMap& map)
    : QGraphicsItem(room), outline_(outline) {
    setZValue(0);
    for (const auto& edges : map.edges) {
        for (const auto& segment : edges) {
            lines_.moveTo(scenePoint(segment[0]));
            lines_.lineTo(scenePoint(segment[1]));
        }
    }
    QPainterPath cells;
    for (const core::PlanBox& box : map.uncovered) {
        cells.addRect(
            QRectF(scenePoint({box.min.x, box.max.y}), scenePoint({box.max.x, box.min.y})));
    }
    missed_ = cells.simplified().intersected(outline_);
}

void ReachItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* /*option*/,
                      QWidget* /*widget*/) {
    painter->save();
    painter->setClipPath(outline_, Qt::IntersectClip);
    if (!missed_.isEmpty()) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(kWarningColor);
        painter->drawPath(missed_);
        painter->setBrush(QBrush(kCheckFailedColor, Qt::BDiagPattern));
        painter->drawPath(missed_);
    }
    QPen reach(QColor(0x1a, 0x66, 0xd0), 1.2, Qt::DashLine);
    reach.setCosmetic(true);
    painter->setPen(reach);
    painter->setBrush(Qt::NoBrush);
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->drawPath(lines_);
    painter->restore();
}

}  // namespace ui
