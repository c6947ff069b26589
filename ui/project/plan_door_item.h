#pragma once

#include <QGraphicsItem>
#include <QPainterPath>

#include "project.h"

namespace ui {

// A door of the floor shown, as a drawing draws one: the leaf open at right angles to the opening
// from the hinge on the side it swings to, and the quarter arc its end sweeps back to the closed
// position; a door whose swing is not known is its opening, a line with short ticks across its
// ends. Thin lines in a quiet colour that scale with the view as the walls do, over the rooms. It
// takes no clicks and is never picked: a click goes to the room or point beneath it.
class DoorItem final : public QGraphicsItem {
  public:
    enum { Type = UserType + 5 };

    explicit DoorItem(const core::PlanDoor& door);
    [[nodiscard]] int type() const override { return Type; }
    [[nodiscard]] QRectF boundingRect() const override { return bounds_; }
    // Nothing: the door is not hit by a click or a search for what lies under a point.
    [[nodiscard]] QPainterPath shape() const override { return {}; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    static inline const QColor kDoorColor{0x9a, 0x8a, 0x72};

  private:
    QPainterPath path_;
    QRectF bounds_;
};

}  // namespace ui
