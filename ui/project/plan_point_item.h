#pragma once

#include <QColor>
#include <QFont>
#include <QGraphicsItem>
#include <QPainterPath>
#include <QStaticText>
#include <QString>
#include <cstddef>

namespace ui {

// A setting point: a red disc with a white rim, of a fixed size on the screen, over its room, with
// its number ("3-1") beside it, small, up and to the right of the disc, in the disc's colour. A
// point picked for editing wears a dark ring about its disc.
class PointItem final : public QGraphicsItem {
  public:
    enum { Type = UserType + 2 };
    static constexpr double kRadius = 4.5;

    // `font` must outlive the item; `index` is the point's among its unit's, from 0.
    PointItem(QGraphicsItem* room, QPointF at, std::size_t index, const QString& number,
              const QFont* font);
    [[nodiscard]] int type() const override { return Type; }
    [[nodiscard]] std::size_t index() const { return index_; }
    [[nodiscard]] bool picked() const { return picked_; }
    void setPicked(bool picked);
    // The disc and a little about it: where a press takes the point.
    [[nodiscard]] QPainterPath shape() const override;
    [[nodiscard]] QString number() const { return number_.text(); }
    // Where the number goes about the point, in pixels.
    [[nodiscard]] const QRectF& numberBox() const { return numberBox_; }
    [[nodiscard]] QRectF boundingRect() const override { return bounds_; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    static inline const QColor kPointColor{0xd0, 0x20, 0x20};

  private:
    std::size_t index_;
    bool picked_ = false;
    const QFont* font_;
    QStaticText number_;
    QRectF numberBox_;
    QRectF bounds_;
};

}  // namespace ui
