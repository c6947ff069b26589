#pragma once

#include <QBrush>
#include <QFont>
#include <QGraphicsItem>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QStaticText>
#include <QString>
#include <array>
#include <vector>

#include "polygon.h"
#include "project.h"

namespace core {
struct ReachMap;
struct RoomShape;
}  // namespace core

namespace ui {

class PointItem;
class ReachItem;
class RoomItem;

// How the rooms are drawn: one set of pens, brushes and fonts for all of them, made once.
struct RoomLook {
    QPen outline;
    QPen failedOutline;
    QPen selectedOutline;
    QBrush fill;
    QBrush failedFill;
    QBrush selectedFill;
    QPen text;
    QPen failedText;
    QFont nameFont;
    QFont areaFont;
    QFont pointFont;     // the setting points' numbers
    double padding = 3;  // the least room, in pixels, between a label and its room's walls
    // A room smaller than these on the screen has no label, without measuring its texts.
    double minLabelWidth = 0;
    double minLabelHeight = 0;
};

// A room's label, over the room's setting points and reach: drawn by its room, which it covers.
class LabelItem final : public QGraphicsItem {
  public:
    enum { Type = UserType + 4 };

    explicit LabelItem(RoomItem* room);
    [[nodiscard]] int type() const override { return Type; }
    [[nodiscard]] QRectF boundingRect() const override { return bounds_; }
    void setBounds(const QRectF& bounds) {
        prepareGeometryChange();
        bounds_ = bounds;
    }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

  private:
    RoomItem* room_;
    QRectF bounds_;
};

// A unit's room (a combined unit's rooms, with one label in the largest): its outline, filled, and
// its name and area in a label of a fixed size on the screen, drawn only where the room is large
// enough on the screen to hold it. The item lies at the scene's origin, so that its coordinates are
// the scene's.
class RoomItem final : public QGraphicsItem {
  public:
    enum { Type = UserType + 1 };

    // `row` is the unit's index in the project: its setting points are numbered after it.
    RoomItem(int row, const core::Unit& unit, bool failing, const RoomLook* look);

    [[nodiscard]] int type() const override { return Type; }
    [[nodiscard]] int row() const { return row_; }
    [[nodiscard]] bool highlighted() const { return highlighted_; }
    [[nodiscard]] double area() const { return area_; }

    void setUnit(const core::Unit& unit, bool failing);

    // The reach of the points at R drawn over the room (a combined unit's: over its rooms,
    // walking through its doors); R 0 takes it away, as hideReach() does.
    void showReach(const core::Unit& unit, int reach);
    void hideReach();
    [[nodiscard]] const ReachItem* reachItem() const { return reachItem_; }

    // Shows the point of that index at `at` while it is dragged, and the reach (where shown) as
    // `map` draws it with the point there; setUnit() puts back the unit's points.
    void previewPoint(std::size_t index, core::PlanPoint at, const core::ReachMap& map);
    // The points picked for editing, ascending; those the unit has not are ignored.
    void setPicked(std::vector<std::size_t> picked);
    [[nodiscard]] const std::vector<PointItem*>& points() const { return points_; }

    void setHighlighted(bool highlighted);

    // The point lies in the room, not in one of its holes.
    [[nodiscard]] bool holds(QPointF point) const;
    [[nodiscard]] QPointF labelAnchor() const { return labelAnchor_; }

    [[nodiscard]] QRectF boundingRect() const override { return bounds_; }
    // The outline less its holes.
    [[nodiscard]] QPainterPath shape() const override { return path_; }
    [[nodiscard]] bool contains(const QPointF& point) const override { return holds(point); }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    // Paints the label in the room, for its LabelItem.
    void paintLabel(QPainter* painter);

  private:
    [[nodiscard]] const QBrush& fill() const {
        const RoomLook& look = *look_;
        return highlighted_ ? look.selectedFill : (failing_ ? look.failedFill : look.fill);
    }

    // Selected rooms over failing ones over the others, so that a wall they share shows the
    // colour of the one that stands out.
    [[nodiscard]] double stackingOrder() const { return highlighted_ ? 2 : (failing_ ? 1 : 0); }

    // The label's place: the point of the room farthest from its walls and holes; the room it has
    // there across and up and down, as far as the nearer wall on both sides.
    void placeLabel(const std::vector<core::RoomShape>& shapes);
    void prepareLabel();

    // The label's lines: the name, the area, and the name's two halves.
    static constexpr std::size_t kName = 0;
    static constexpr std::size_t kArea = 1;
    static constexpr std::size_t kHead = 2;
    static constexpr std::size_t kTail = 3;
    static constexpr std::size_t kNone = 4;

    int row_;
    const RoomLook* look_;
    std::vector<QPolygonF> polygons_;  // the outline, or a combined unit's rooms' outlines
    std::vector<QPolygonF> holes_;     // all their holes
    QPainterPath path_;                // the outline less the holes
    QRectF bounds_;
    double area_ = 0;
    QPointF labelAnchor_;
    double labelWidth_ = 0;   // the room across, through the anchor
    double labelHeight_ = 0;  // the room up and down, as far as the nearer wall on both sides
    QString name_;
    QString areaText_;
    std::array<QStaticText, 4> lines_;  // made when the label first shows
    bool labelReady_ = false;
    bool failing_ = false;
    bool highlighted_ = false;
    std::vector<core::PlanPoint> setPoints_;
    std::vector<PointItem*> points_;  // children, drawn over the room
    std::vector<std::size_t> picked_;
    ReachItem* reachItem_ = nullptr;  // a child, under the points
    int reachShown_ = 0;              // the R it shows
    LabelItem* label_;                // a child, over the points
};

}  // namespace ui
