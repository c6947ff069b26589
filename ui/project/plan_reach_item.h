#pragma once

#include <QGraphicsItem>
#include <QPainterPath>

namespace core {
struct ReachMap;
}

namespace ui {

// What the setting points of the selected room reach by walking distance: the line where each
// point's reach ends, and the part of the room no point reaches, hatched in the warning colours.
// Drawn over its room, under the points, clipped to the outline.
class ReachItem final : public QGraphicsItem {
  public:
    enum { Type = UserType + 3 };

    ReachItem(QGraphicsItem* room, const QPainterPath& outline, const core::ReachMap& map);
    [[nodiscard]] int type() const override { return Type; }
    [[nodiscard]] bool missesSome() const { return !missed_.isEmpty(); }
    [[nodiscard]] QRectF boundingRect() const override { return outline_.boundingRect(); }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

  private:
    QPainterPath outline_;
    QPainterPath lines_;
    QPainterPath missed_;
};

}  // namespace ui
