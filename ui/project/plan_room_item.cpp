#include "plan_room_item.h"

#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <utility>

#include "combined_units.h"
#include "floor_layout.h"
#include "plan_point_item.h"
#include "plan_reach_item.h"
#include "plan_scene.h"
#include "reach_map.h"
#include "unit_rooms.h"
#include "unit_texts.h"

namespace ui {

namespace {

// Where a line across the polygon, at `at` up or down it (`across`: a horizontal line at y = at;
// else a vertical one at x = at), crosses its edges, in order along the line. The even-odd rule,
// with a vertex on the line counted on the far side of it.
std::vector<double> crossings(const QPolygonF& polygon, double at, bool across) {
    std::vector<double> found;
    const qsizetype n = polygon.size();
    for (qsizetype i = 0; i < n; ++i) {
        QPointF a = polygon[i];
        QPointF b = polygon[(i + 1) % n];
        if (!across) {
            a = a.transposed();
            b = b.transposed();
        }
        if ((a.y() <= at) != (b.y() <= at)) {
            found.push_back(a.x() + (at - a.y()) * (b.x() - a.x()) / (b.y() - a.y()));
        }
    }
    std::ranges::sort(found);
    return found;
}

// The crossings of the line with all the rings, in order along it.
std::vector<double> crossings(const std::vector<QPolygonF>& rings, double at, bool across) {
    std::vector<double> found;
    for (const QPolygonF& ring : rings) {
        const std::vector<double> some = crossings(ring, at, across);
        found.insert(found.end(), some.begin(), some.end());
    }
    std::ranges::sort(found);
    return found;
}

// Twice the distance from `at` to the nearer crossing on either side of it, where it lies inside
// (between an even crossing and the next); 0 outside.
double roomAbout(const std::vector<double>& found, double at) {
    for (std::size_t i = 0; i + 1 < found.size(); i += 2) {
        if (found[i] <= at && at <= found[i + 1]) {
            return 2 * std::min(at - found[i], found[i + 1] - at);
        }
    }
    return 0;
}

QPolygonF scenePolygon(const core::Ring& ring) {
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(ring.size()));
    for (const core::PlanPoint& point : ring) {
        polygon.append(scenePoint(point));
    }
    return polygon;
}
}  // namespace

RoomItem::RoomItem(int row, const core::Unit& unit, bool failing, const RoomLook* look)
    : row_(row), look_(look), label_(new LabelItem(this)) {
    setUnit(unit, failing);
}

void RoomItem::setUnit(const core::Unit& unit, bool failing) {
    // A combined unit's rooms, or the unit's own outline.
    const std::vector<core::RoomShape> shapes = core::unitShapes(unit);
    std::vector<QPolygonF> polygons;
    std::vector<QPolygonF> holes;
    for (const core::RoomShape& shape : shapes) {
        polygons.push_back(scenePolygon(shape.outline));
        for (const core::Ring& hole : shape.holes) {
            holes.push_back(scenePolygon(hole));
        }
    }
    const bool reshaped = polygons != polygons_ || holes != holes_;
    if (reshaped || unit.setPoints != setPoints_) {
        hideReach();
    }
    if (reshaped) {
        prepareGeometryChange();
        polygons_ = std::move(polygons);
        holes_ = std::move(holes);
        path_ = QPainterPath();
        bounds_ = QRectF();
        for (const QPolygonF& polygon : polygons_) {
            path_.addPolygon(polygon);
            path_.closeSubpath();
            bounds_ |= polygon.boundingRect();
        }
        for (const QPolygonF& hole : holes_) {
            path_.addPolygon(hole);
            path_.closeSubpath();
        }
        label_->setBounds(bounds_);
        area_ = 0;
        for (const core::RoomShape& shape : shapes) {
            area_ += core::area(shape.outline);
        }
        placeLabel(shapes);
    }
    QString name = documents::qs(unit.name);
    QString areaText = std::isfinite(unit.choices.area)
                           ? QString::number(unit.choices.area, 'f', 2) + QStringLiteral(" m²")
                           : QString();
    if (name != name_ || areaText != areaText_) {
        name_ = std::move(name);
        areaText_ = std::move(areaText);
        labelReady_ = false;
    }
    if (unit.setPoints != setPoints_) {
        setPoints_ = unit.setPoints;
        for (PointItem* point : points_) {
            delete point;
        }
        points_.clear();
        for (std::size_t i = 0; i < setPoints_.size(); ++i) {
            points_.push_back(new PointItem(
                this, scenePoint(setPoints_[i]), i,
                QString::fromStdString(core::pointNumber(static_cast<std::size_t>(row_), i)),
                &look_->pointFont));
        }
        setPicked(std::move(picked_));
    }
    failing_ = failing;
    setZValue(stackingOrder());
    update();
}

void RoomItem::hideReach() {
    delete reachItem_;
    reachItem_ = nullptr;
    reachShown_ = 0;
}

void RoomItem::showReach(const core::Unit& unit, int reach) {
    if (reach == reachShown_) {
        return;
    }
    hideReach();
    reachShown_ = reach;
    if (reach <= 0 || setPoints_.empty()) {
        return;
    }
    // A combined unit's points reach through its doors.
    reachItem_ =
        new ReachItem(this, shape(), documents::unitReachMap(unit, reach, core::kReachCells));
}

void RoomItem::previewPoint(std::size_t index, core::PlanPoint at, const core::ReachMap& map) {
    if (index >= points_.size()) {
        return;
    }
    setPoints_[index] = at;
    points_[index]->setPos(scenePoint(at));
    if (reachShown_ > 0) {
        delete reachItem_;
        reachItem_ = new ReachItem(this, shape(), map);
    }
}

void RoomItem::setPicked(std::vector<std::size_t> picked) {
    picked_ = std::move(picked);
    for (PointItem* point : points_) {
        point->setPicked(std::ranges::binary_search(picked_, point->index()));
    }
}

void RoomItem::setHighlighted(bool highlighted) {
    if (highlighted != highlighted_) {
        highlighted_ = highlighted;
        setZValue(stackingOrder());
        update();
    }
}

bool RoomItem::holds(QPointF point) const {
    return bounds_.contains(point) &&
           std::ranges::any_of(polygons_,
                               [point](const QPolygonF& polygon) {
                                   return polygon.containsPoint(point, Qt::OddEvenFill);
                               }) &&
           std::ranges::none_of(holes_, [point](const QPolygonF& hole) {
               return hole.containsPoint(point, Qt::OddEvenFill);
           });
}

void RoomItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* /*option*/,
                     QWidget* /*widget*/) {
    const RoomLook& look = *look_;
    painter->setPen(failing_ ? look.failedOutline
                             : (highlighted_ ? look.selectedOutline : look.outline));
    painter->setBrush(fill());
    // The holes (columns, shafts) are left unfilled, their edges drawn as walls.
    if (holes_.empty() && polygons_.size() == 1) {
        painter->drawPolygon(polygons_.front());
    } else {
        painter->drawPath(path_);
    }
}

void RoomItem::placeLabel(const std::vector<core::RoomShape>& shapes) {
    if (shapes.empty()) {
        return;
    }
    // A combined unit has one label, in its largest room.
    const core::RoomShape& room = *std::ranges::max_element(
        shapes, {}, [](const core::RoomShape& shape) { return core::area(shape.outline); });
    labelAnchor_ = scenePoint(core::labelPoint(room.outline, room.holes));
    std::vector<QPolygonF> rings;
    for (const core::Ring& hole : room.holes) {
        rings.push_back(scenePolygon(hole));
    }
    rings.push_back(scenePolygon(room.outline));
    labelWidth_ = roomAbout(crossings(rings, labelAnchor_.y(), true), labelAnchor_.x());
    labelHeight_ = roomAbout(crossings(rings, labelAnchor_.x(), false), labelAnchor_.y());
}

void RoomItem::prepareLabel() {
    // A name too long for a narrow room may go on two lines, its first half over the other.
    qsizetype half = (name_.size() + 1) / 2;
    if (half < name_.size() && name_.at(half).isLowSurrogate()) {
        ++half;
    }
    const QString lines[] = {name_, areaText_, name_.first(half), name_.sliced(half)};
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        QStaticText& line = lines_[i];
        line.setText(lines[i]);
        line.setTextFormat(Qt::PlainText);
        line.setPerformanceHint(QStaticText::AggressiveCaching);
        line.prepare(QTransform(), i == kArea ? look_->areaFont : look_->nameFont);
    }
    labelReady_ = true;
}

LabelItem::LabelItem(RoomItem* room) : QGraphicsItem(room), room_(room) {
    setZValue(2);
}

void LabelItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* /*option*/,
                      QWidget* /*widget*/) {
    room_->paintLabel(painter);
}

void RoomItem::paintLabel(QPainter* painter) {
    const RoomLook& look = *look_;
    const QTransform toDevice = painter->worldTransform();
    const double scale = std::hypot(toDevice.m11(), toDevice.m12());
    const double width = labelWidth_ * scale - 2 * look.padding;
    const double height = labelHeight_ * scale - 2 * look.padding;
    if (width < look.minLabelWidth || height < look.minLabelHeight || name_.isEmpty()) {
        return;
    }
    if (!labelReady_) {
        prepareLabel();
    }
    const QPointF at = toDevice.map(labelAnchor_);
    // The setting points, and the corners of their numbers.
    std::vector<QPointF> marks;
    marks.reserve(5 * points_.size());
    for (const PointItem* point : points_) {
        const QPointF mark = toDevice.map(point->pos());
        const QRectF number = point->numberBox();
        marks.push_back(mark);
        for (const QPointF corner :
             {number.topLeft(), number.topRight(), number.bottomLeft(), number.bottomRight()}) {
            marks.push_back(mark + corner);
        }
    }
    // A label keeps this far from the middle of a setting point's disc.
    constexpr double kClearance = PointItem::kRadius + 2;
    // The first of these that fits: the name over the area, the name on two lines over the
    // area, the name alone, and the name on two lines alone. Each goes in the middle, else
    // moved up, down or aside within the room as little as keeps it off the setting points;
    // where none can keep off them, the first that fits goes in the middle over them.
    static constexpr std::array<std::array<std::size_t, 3>, 4> kChoices = {{
        {kName, kArea, kNone},
        {kHead, kTail, kArea},
        {kName, kNone, kNone},
        {kHead, kTail, kNone},
    }};
    const std::array<std::size_t, 3>* chosen = nullptr;
    QRectF place;
    for (const auto& choice : kChoices) {
        double across = 0;
        double down = 0;
        bool usable = true;
        for (const std::size_t line : choice) {
            if (line == kNone) {
                break;
            }
            usable = usable && !lines_[line].text().isEmpty();
            across = std::max(across, lines_[line].size().width());
            down += lines_[line].size().height();
        }
        if (!usable || across > width || down > height) {
            continue;
        }
        const auto clear = [&](QPointF shift) {
            const QRectF box(at.x() + shift.x() - across / 2, at.y() + shift.y() - down / 2, across,
                             down);
            return std::ranges::none_of(marks, [&](QPointF mark) {
                return box.adjusted(-kClearance, -kClearance, kClearance, kClearance)
                    .contains(mark);
            });
        };
        std::vector<QPointF> shifts{{0, 0}};
        for (const QPointF mark : marks) {
            for (const double side : {-1.0, 1.0}) {
                // A pixel beyond the clearance, which clear() counts as touching.
                shifts.emplace_back(0, mark.y() - at.y() + side * (kClearance + 1 + down / 2));
                shifts.emplace_back(mark.x() - at.x() + side * (kClearance + 1 + across / 2), 0);
            }
        }
        std::ranges::stable_sort(shifts, {}, [](QPointF s) { return s.manhattanLength(); });
        const auto fits = [&](QPointF s) {
            return 2 * std::abs(s.x()) + across <= width && 2 * std::abs(s.y()) + down <= height;
        };
        const auto found = std::ranges::find_if(
            shifts, [&](QPointF shift) { return fits(shift) && clear(shift); });
        if (found != shifts.end()) {
            chosen = &choice;
            place = QRectF(at + *found - QPointF(across / 2, down / 2), QSizeF(across, down));
            break;
        }
        if (chosen == nullptr) {
            chosen = &choice;
            place = QRectF(at - QPointF(across / 2, down / 2), QSizeF(across, down));
        }
    }
    if (chosen == nullptr) {
        return;
    }
    painter->setWorldTransform(QTransform());
    // A halo of the room's own colour keeps the text legible over the reach's lines and over a
    // setting point it cannot keep off, which shows through it.
    QColor halo = fill().color();
    halo.setAlpha(190);
    const QRectF text(std::round(place.left()), std::round(place.top()), place.width(),
                      place.height());
    painter->fillRect(text.adjusted(-2, 0, 2, 0), halo);
    painter->setPen(failing_ ? look.failedText : look.text);
    double top = text.top();
    for (const std::size_t line : *chosen) {
        if (line == kNone) {
            break;
        }
        const QStaticText& staticText = lines_[line];
        painter->setFont(line == kArea ? look.areaFont : look.nameFont);
        painter->drawStaticText(
            QPointF(std::round(text.center().x() - staticText.size().width() / 2), top),
            staticText);
        top += staticText.size().height();
    }
    painter->setWorldTransform(toDevice);
}
}  // namespace ui
