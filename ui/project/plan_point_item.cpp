#include "plan_point_item.h"

#include <QPainter>

namespace ui {

PointItem::PointItem(QGraphicsItem* room, QPointF at) : QGraphicsItem(room) {
    setPos(at);
    setFlag(ItemIgnoresTransformations);
    setZValue(1);
}

QRectF PointItem::boundingRect() const {
    return {-kRadius - 1, -kRadius - 1, 2 * kRadius + 2, 2 * kRadius + 2};
}

void PointItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* /*option*/,
                      QWidget* /*widget*/) {
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(QPen(Qt::white, 1.5));
    painter->setBrush(kPointColor);
    painter->drawEllipse(QPointF(0, 0), kRadius, kRadius);
    painter->setRenderHint(QPainter::Antialiasing, false);
}

}  // namespace ui
