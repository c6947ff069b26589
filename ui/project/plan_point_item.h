#pragma once

#include <QColor>
#include <QGraphicsItem>

namespace ui {

// A setting point: a red disc with a white rim, of a fixed size on the screen, over its room.
class PointItem final : public QGraphicsItem {
  public:
    enum { Type = UserType + 2 };
    static constexpr double kRadius = 4.5;

    PointItem(QGraphicsItem* room, QPointF at);
    [[nodiscard]] int type() const override { return Type; }
    [[nodiscard]] QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    static inline const QColor kPointColor{0xd0, 0x20, 0x20};
};

}  // namespace ui
