#pragma once

#include <QColor>
#include <QFont>
#include <QGraphicsItem>
#include <QStaticText>
#include <QString>

namespace ui {

// A setting point: a red disc with a white rim, of a fixed size on the screen, over its room, with
// its number ("3-1") beside it, small, up and to the right of the disc, in the disc's colour.
class PointItem final : public QGraphicsItem {
  public:
    enum { Type = UserType + 2 };
    static constexpr double kRadius = 4.5;

    // `font` must outlive the item.
    PointItem(QGraphicsItem* room, QPointF at, const QString& number, const QFont* font);
    [[nodiscard]] int type() const override { return Type; }
    [[nodiscard]] QString number() const { return number_.text(); }
    // Where the number goes about the point, in pixels.
    [[nodiscard]] const QRectF& numberBox() const { return numberBox_; }
    [[nodiscard]] QRectF boundingRect() const override { return bounds_; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    static inline const QColor kPointColor{0xd0, 0x20, 0x20};

  private:
    const QFont* font_;
    QStaticText number_;
    QRectF numberBox_;
    QRectF bounds_;
};

}  // namespace ui
