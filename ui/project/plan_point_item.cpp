#include "plan_point_item.h"

#include <QPainter>
#include <cmath>

namespace ui {

PointItem::PointItem(QGraphicsItem* room, QPointF at, std::size_t index, const QString& number,
                     const QFont* font)
    : QGraphicsItem(room), index_(index), font_(font), number_(number) {
    setPos(at);
    setFlag(ItemIgnoresTransformations);
    setZValue(1);
    number_.setTextFormat(Qt::PlainText);
    number_.setPerformanceHint(QStaticText::AggressiveCaching);
    number_.prepare(QTransform(), *font_);
    // Its lower left corner a pixel clear of the disc's rim, up and to the right, as a leader
    // would put it; whole pixels, so that the text stays sharp.
    const double clear = std::ceil(kRadius * std::sqrt(0.5)) + 1;
    const QSizeF size = number_.size();
    numberBox_ = QRectF(clear, -clear - std::ceil(size.height()), std::ceil(size.width()),
                        std::ceil(size.height()));
    const QRectF disc(-kRadius - 3, -kRadius - 3, 2 * kRadius + 6, 2 * kRadius + 6);
    bounds_ = disc.united(numberBox_.adjusted(-1, 0, 1, 0));
}

void PointItem::setPicked(bool picked) {
    if (picked != picked_) {
        picked_ = picked;
        update();
    }
}

QPainterPath PointItem::shape() const {
    QPainterPath path;
    path.addEllipse(QPointF(0, 0), kRadius + 2, kRadius + 2);
    return path;
}

void PointItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* /*option*/,
                      QWidget* /*widget*/) {
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(QPen(Qt::white, 1.5));
    painter->setBrush(kPointColor);
    painter->drawEllipse(QPointF(0, 0), kRadius, kRadius);
    if (picked_) {
        painter->setPen(QPen(QColor(0x20, 0x24, 0x28), 1.5));
        painter->setBrush(Qt::NoBrush);
        painter->drawEllipse(QPointF(0, 0), kRadius + 2, kRadius + 2);
    }
    painter->setRenderHint(QPainter::Antialiasing, false);
    // A light halo keeps the number legible over walls and the reach's lines.
    painter->fillRect(numberBox_.adjusted(-1, 0, 1, 0), QColor(255, 255, 255, 170));
    painter->setFont(*font_);
    painter->setPen(kPointColor);
    painter->drawStaticText(numberBox_.topLeft(), number_);
}

}  // namespace ui
