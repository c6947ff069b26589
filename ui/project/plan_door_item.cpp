#include "plan_door_item.h"

#include <QPainter>
#include <QPen>
#include <cmath>
#include <numbers>

#include "plan_scene.h"

namespace ui {
namespace {

// The chords the quarter arc is drawn with: smooth at any zoom a door is seen at.
constexpr int kArcChords = 24;
// A tick across each end of a door of unknown swing, as a part of its width, each side.
constexpr double kTick = 0.12;

}  // namespace

DoorItem::DoorItem(const core::PlanDoor& door) {
    setAcceptedMouseButtons(Qt::NoButton);
    // Over the rooms, whose fill would hide it; as thin lines it leaves the points it crosses seen.
    setZValue(3);
    const core::PlanPoint hinge = door.hinge;
    const double dx = door.end.x - hinge.x;
    const double dy = door.end.y - hinge.y;
    const core::PlanPoint across{-dy, dx};  // the opening turned left, as long as it
    const auto at = [](double x, double y) { return scenePoint({x, y}); };
    if (door.swing == 0) {
        path_.moveTo(scenePoint(hinge));
        path_.lineTo(scenePoint(door.end));
        for (const core::PlanPoint& end : {hinge, door.end}) {
            path_.moveTo(at(end.x - kTick * across.x, end.y - kTick * across.y));
            path_.lineTo(at(end.x + kTick * across.x, end.y + kTick * across.y));
        }
    } else {
        // The leaf open, then its end swept back through a quarter turn to the closed position.
        const double side = door.swing;
        path_.moveTo(scenePoint(hinge));
        path_.lineTo(at(hinge.x + side * across.x, hinge.y + side * across.y));
        for (int k = 1; k <= kArcChords; ++k) {
            const double turn = std::numbers::pi / 2 * k / kArcChords;
            const double c = std::sin(turn);  // towards the closed end
            const double s = std::cos(turn);  // towards the open leaf
            path_.lineTo(
                at(hinge.x + c * dx + side * s * across.x, hinge.y + c * dy + side * s * across.y));
        }
    }
    // A little room for the pen, whose width is in pixels.
    const double margin = 0.02 * std::hypot(dx, dy);
    bounds_ = path_.boundingRect().adjusted(-margin, -margin, margin, margin);
}

void DoorItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* /*option*/,
                     QWidget* /*widget*/) {
    QPen pen(kDoorColor, 1);
    pen.setCosmetic(true);
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(path_);
}

}  // namespace ui
