#include "plan_view.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStaticText>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <string_view>
#include <utility>

#include "project_model.h"
#include "reach_map.h"
#include "unit_texts.h"
#include "warning_look.h"

namespace ui {

namespace {

// Rows changed at once beyond which the scene is made again rather than room by room.
constexpr int kFewUnits = 32;
// How far out the view may go, as a part of the fitted scale.
constexpr double kMinFitPart = 0.25;
// The scene reaches this many times the floor's size beyond it on every side, so that the view
// can zoom about any point without the scene shrinking into the middle of the viewport.
constexpr double kSceneReach = 4;
// A floor fitted to the view leaves this part of its size free on each side.
constexpr double kFitMargin = 0.03;
// The zoom of one notch of the wheel (120 eighths of a degree).
constexpr double kNotchZoom = 1.25;

// How a location reads where the units have none.
QString floorText(const QString& location) {
    return location.isEmpty() ? QStringLiteral("（未指定位置）") : location;
}

// A cosmetic pen: its width in pixels at every zoom.
QPen cosmeticPen(const QColor& colour, double width) {
    QPen pen(colour, width);
    pen.setCosmetic(true);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

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
        polygon.append(PlanView::scenePoint(point));
    }
    return polygon;
}

}  // namespace

// A setting point: a red disc with a white rim, of a fixed size on the screen, over its room.
class PointItem final : public QGraphicsItem {
  public:
    enum { Type = UserType + 2 };
    static constexpr double kRadius = 4.5;

    explicit PointItem(QGraphicsItem* room, QPointF at) : QGraphicsItem(room) {
        setPos(at);
        setFlag(ItemIgnoresTransformations);
        setZValue(1);
    }
    [[nodiscard]] int type() const override { return Type; }
    [[nodiscard]] QRectF boundingRect() const override {
        return {-kRadius - 1, -kRadius - 1, 2 * kRadius + 2, 2 * kRadius + 2};
    }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* /*option*/,
               QWidget* /*widget*/) override {
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(QPen(Qt::white, 1.5));
        painter->setBrush(kPointColor);
        painter->drawEllipse(QPointF(0, 0), kRadius, kRadius);
        painter->setRenderHint(QPainter::Antialiasing, false);
    }

    static inline const QColor kPointColor{0xd0, 0x20, 0x20};
};

// What the setting points of the selected room reach by walking distance: the line where each
// point's reach ends, and the part of the room no point reaches, hatched in the warning colours.
// Drawn over its room, under the points, clipped to the outline.
class ReachItem final : public QGraphicsItem {
  public:
    enum { Type = UserType + 3 };

    ReachItem(QGraphicsItem* room, const QPainterPath& outline, const core::ReachMap& map)
        : QGraphicsItem(room), outline_(outline) {
        setZValue(0);
        for (const auto& edges : map.edges) {
            for (const auto& segment : edges) {
                lines_.moveTo(PlanView::scenePoint(segment[0]));
                lines_.lineTo(PlanView::scenePoint(segment[1]));
            }
        }
        QPainterPath cells;
        for (const core::PlanBox& box : map.uncovered) {
            cells.addRect(QRectF(PlanView::scenePoint({box.min.x, box.max.y}),
                                 PlanView::scenePoint({box.max.x, box.min.y})));
        }
        missed_ = cells.simplified().intersected(outline_);
    }
    [[nodiscard]] int type() const override { return Type; }
    [[nodiscard]] bool missesSome() const { return !missed_.isEmpty(); }
    [[nodiscard]] QRectF boundingRect() const override { return outline_.boundingRect(); }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* /*option*/,
               QWidget* /*widget*/) override {
        painter->save();
        painter->setClipPath(outline_, Qt::IntersectClip);
        if (!missed_.isEmpty()) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(kWarningColor);
            painter->drawPath(missed_);
            painter->setBrush(QBrush(kCheckFailedColor, Qt::BDiagPattern));
            painter->drawPath(missed_);
        }
        QPen reach(QColor(0x1a, 0x66, 0xd0), 1.2, Qt::DashLine);
        reach.setCosmetic(true);
        painter->setPen(reach);
        painter->setBrush(Qt::NoBrush);
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->drawPath(lines_);
        painter->restore();
    }

  private:
    QPainterPath outline_;
    QPainterPath lines_;
    QPainterPath missed_;
};

class RoomItem;

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

// A unit's room: its outline, filled, and its name and area in a label of a fixed size on the
// screen, drawn only where the room is large enough on the screen to hold it. The item lies at
// the scene's origin, so that its coordinates are the scene's.
class RoomItem final : public QGraphicsItem {
  public:
    enum { Type = UserType + 1 };

    RoomItem(int row, const core::Unit& unit, bool failing, const RoomLook* look)
        : row_(row), look_(look), label_(new LabelItem(this)) {
        setUnit(unit, failing);
    }

    [[nodiscard]] int type() const override { return Type; }
    [[nodiscard]] int row() const { return row_; }
    [[nodiscard]] bool highlighted() const { return highlighted_; }
    [[nodiscard]] double area() const { return area_; }

    void setUnit(const core::Unit& unit, bool failing) {
        QPolygonF polygon = scenePolygon(unit.outline);
        std::vector<QPolygonF> holes;
        holes.reserve(unit.holes.size());
        for (const core::Ring& hole : unit.holes) {
            holes.push_back(scenePolygon(hole));
        }
        const bool reshaped = polygon != polygon_ || holes != holes_;
        if (reshaped || unit.setPoints != setPoints_) {
            showReach({}, {}, 0);
        }
        if (reshaped) {
            prepareGeometryChange();
            polygon_ = std::move(polygon);
            holes_ = std::move(holes);
            path_ = QPainterPath();
            path_.addPolygon(polygon_);
            path_.closeSubpath();
            for (const QPolygonF& hole : holes_) {
                path_.addPolygon(hole);
                path_.closeSubpath();
            }
            bounds_ = polygon_.boundingRect();
            label_->setBounds(bounds_);
            area_ = core::area(unit.outline);
            placeLabel(unit);
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
            for (const core::PlanPoint& point : setPoints_) {
                points_.push_back(new PointItem(this, PlanView::scenePoint(point)));
            }
        }
        failing_ = failing;
        setZValue(stackingOrder());
        update();
    }

    [[nodiscard]] const std::vector<core::PlanPoint>& setPoints() const { return setPoints_; }
    [[nodiscard]] const std::vector<PointItem*>& pointItems() const { return points_; }

    // The reach of the points at R drawn over the room; R 0 takes it away.
    void showReach(const core::Ring& outline, const std::vector<core::Ring>& holes, int reach) {
        if (reach == reachShown_) {
            return;
        }
        delete reachItem_;
        reachItem_ = nullptr;
        reachShown_ = reach;
        if (reach > 0 && !setPoints_.empty()) {
            reachItem_ =
                new ReachItem(this, shape(),
                              core::reachMap(outline, setPoints_, reach, core::kReachCells, holes));
        }
    }
    [[nodiscard]] const ReachItem* reachItem() const { return reachItem_; }

    void setHighlighted(bool highlighted) {
        if (highlighted != highlighted_) {
            highlighted_ = highlighted;
            setZValue(stackingOrder());
            update();
        }
    }

    // The point lies in the room, not in one of its holes.
    [[nodiscard]] bool holds(QPointF point) const {
        return bounds_.contains(point) && polygon_.containsPoint(point, Qt::OddEvenFill) &&
               std::ranges::none_of(holes_, [point](const QPolygonF& hole) {
                   return hole.containsPoint(point, Qt::OddEvenFill);
               });
    }
    [[nodiscard]] QPointF labelAnchor() const { return labelAnchor_; }

    [[nodiscard]] QRectF boundingRect() const override { return bounds_; }
    // The outline less its holes.
    [[nodiscard]] QPainterPath shape() const override { return path_; }
    [[nodiscard]] bool contains(const QPointF& point) const override { return holds(point); }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* /*option*/,
               QWidget* /*widget*/) override {
        const RoomLook& look = *look_;
        painter->setPen(failing_ ? look.failedOutline
                                 : (highlighted_ ? look.selectedOutline : look.outline));
        painter->setBrush(fill());
        // The holes (columns, shafts) are left unfilled, their edges drawn as walls.
        if (holes_.empty()) {
            painter->drawPolygon(polygon_);
        } else {
            painter->drawPath(path_);
        }
    }

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
    void placeLabel(const core::Unit& unit) {
        labelAnchor_ = PlanView::scenePoint(core::labelPoint(unit.outline, unit.holes));
        std::vector<QPolygonF> rings = holes_;
        rings.push_back(polygon_);
        labelWidth_ = roomAbout(crossings(rings, labelAnchor_.y(), true), labelAnchor_.x());
        labelHeight_ = roomAbout(crossings(rings, labelAnchor_.x(), false), labelAnchor_.y());
    }

    void prepareLabel() {
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

    // The label's lines: the name, the area, and the name's two halves.
    static constexpr std::size_t kName = 0;
    static constexpr std::size_t kArea = 1;
    static constexpr std::size_t kHead = 2;
    static constexpr std::size_t kTail = 3;
    static constexpr std::size_t kNone = 4;

    int row_;
    const RoomLook* look_;
    QPolygonF polygon_;
    std::vector<QPolygonF> holes_;
    QPainterPath path_;  // the outline less the holes
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
    ReachItem* reachItem_ = nullptr;  // a child, under the points
    int reachShown_ = 0;              // the R it shows
    LabelItem* label_;                // a child, over the points
};

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
    std::vector<QPointF> marks;
    marks.reserve(points_.size());
    for (const PointItem* point : points_) {
        marks.push_back(toDevice.map(point->pos()));
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

// The view of the scene: it zooms about the cursor, pans, and hands clicks on to the pane.
class PlanCanvas final : public QGraphicsView {
  public:
    PlanCanvas(QGraphicsScene* scene, QWidget* parent) : QGraphicsView(scene, parent) {
        setTransformationAnchor(QGraphicsView::NoAnchor);
        setResizeAnchor(QGraphicsView::AnchorViewCenter);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setDragMode(QGraphicsView::NoDrag);
        setOptimizationFlags(QGraphicsView::DontSavePainterState);
        setViewportUpdateMode(QGraphicsView::SmartViewportUpdate);
        setRenderHint(QPainter::Antialiasing, false);
        setRenderHint(QPainter::TextAntialiasing, true);
        setBackgroundBrush(Qt::white);
        setFocusPolicy(Qt::StrongFocus);
        setFrameShape(QFrame::NoFrame);
    }

    // A left click that does not pan, in the scene, with its keys.
    std::function<void(QPointF scenePos, Qt::KeyboardModifiers modifiers)> clicked;
    // The context menu asked for at a point of the scene, to show at a point of the screen.
    std::function<void(QPointF scenePos, QPoint globalPos)> menuAsked;

    void fit(const QRectF& rect) {
        fitRect_ = rect;
        fitted_ = true;
        refit();
    }

    [[nodiscard]] double scale() const { return transform().m11(); }
    // The floor is as fit() left it: neither zoomed nor panned since.
    [[nodiscard]] bool fitted() const { return fitted_; }

    void zoomAt(QPointF viewportPoint, double factor) {
        const QPointF scenePos = viewportTransform().inverted().map(viewportPoint);
        const double from = scale();
        const double to = std::clamp(from * factor, fitScale_ * kMinFitPart,
                                     std::max(PlanView::kMaxScale, fitScale_));
        if (!(to > 0) || to == from) {
            return;
        }
        fitted_ = false;
        setTransform(QTransform::fromScale(to, to));
        horizontalScrollBar()->setValue(
            static_cast<int>(std::lround(scenePos.x() * to - viewportPoint.x())));
        verticalScrollBar()->setValue(
            static_cast<int>(std::lround(scenePos.y() * to - viewportPoint.y())));
    }

  protected:
    void wheelEvent(QWheelEvent* event) override {
        const int eighths = event->angleDelta().y();
        if (eighths != 0) {
            zoomAt(event->position(), std::pow(kNotchZoom, eighths / 120.0));
        }
        event->accept();
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::MiddleButton ||
            (event->button() == Qt::LeftButton && spaceHeld_)) {
            panning_ = true;
            panFrom_ = event->position();
            viewport()->setCursor(Qt::ClosedHandCursor);
            event->accept();
            return;
        }
        if (event->button() == Qt::LeftButton) {
            setFocus(Qt::MouseFocusReason);
            if (clicked) {
                clicked(viewportTransform().inverted().map(event->position()), event->modifiers());
            }
            event->accept();
            return;
        }
        QGraphicsView::mousePressEvent(event);
    }

    void contextMenuEvent(QContextMenuEvent* event) override {
        if (menuAsked) {
            menuAsked(viewportTransform().inverted().map(QPointF(event->pos())),
                      event->globalPos());
        }
        event->accept();
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (!panning_) {
            QGraphicsView::mouseMoveEvent(event);
            return;
        }
        const QPointF by = event->position() - panFrom_;
        panFrom_ = event->position();
        fitted_ = false;
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - qRound(by.x()));
        verticalScrollBar()->setValue(verticalScrollBar()->value() - qRound(by.y()));
        event->accept();
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (panning_ &&
            (event->button() == Qt::MiddleButton || event->button() == Qt::LeftButton)) {
            panning_ = false;
            showPanCursor();
            event->accept();
            return;
        }
        QGraphicsView::mouseReleaseEvent(event);
    }

    void mouseDoubleClickEvent(QMouseEvent* event) override {
        // The first click selected already; a second would take a Ctrl+click back. A pan may
        // start on the second press.
        if (event->button() == Qt::MiddleButton ||
            (event->button() == Qt::LeftButton && spaceHeld_)) {
            mousePressEvent(event);
            return;
        }
        event->accept();
    }

    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Space) {
            if (!event->isAutoRepeat()) {
                spaceHeld_ = true;
                showPanCursor();
            }
            event->accept();
            return;
        }
        QGraphicsView::keyPressEvent(event);
    }

    void keyReleaseEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Space) {
            if (!event->isAutoRepeat()) {
                spaceHeld_ = false;
                showPanCursor();
            }
            event->accept();
            return;
        }
        QGraphicsView::keyReleaseEvent(event);
    }

    void focusOutEvent(QFocusEvent* event) override {
        spaceHeld_ = false;
        showPanCursor();
        QGraphicsView::focusOutEvent(event);
    }

    void resizeEvent(QResizeEvent* event) override {
        QGraphicsView::resizeEvent(event);
        // A floor that was fitted stays fitted.
        if (fitted_) {
            refit();
        }
    }

  private:
    void refit() {
        if (fitRect_.isEmpty()) {
            return;
        }
        const double margin = kFitMargin * std::max(fitRect_.width(), fitRect_.height());
        const QRectF rect = fitRect_.adjusted(-margin, -margin, margin, margin);
        const QRectF seen = viewport()->rect();
        if (seen.isEmpty()) {
            return;
        }
        fitScale_ = std::min(seen.width() / rect.width(), seen.height() / rect.height());
        setTransform(QTransform::fromScale(fitScale_, fitScale_));
        centerOn(rect.center());
    }

    void showPanCursor() {
        if (panning_) {
            viewport()->setCursor(Qt::ClosedHandCursor);
        } else if (spaceHeld_) {
            viewport()->setCursor(Qt::OpenHandCursor);
        } else {
            viewport()->unsetCursor();
        }
    }

    QRectF fitRect_;
    double fitScale_ = 1;
    bool fitted_ = false;
    bool spaceHeld_ = false;
    bool panning_ = false;
    QPointF panFrom_;
};

PlanView::PlanView(ProjectModel* model, QItemSelectionModel* selection, QWidget* parent)
    : QWidget(parent),
      model_(model),
      selection_(selection),
      scene_(new QGraphicsScene(this)),
      canvas_(new PlanCanvas(scene_, this)),
      floorBox_(new QComboBox(this)),
      fitAction_(new QAction(QStringLiteral("适合窗口(&F)"), this)),
      floorPicker_(new QWidget(this)),
      floorName_(new QLabel(this)),
      menu_(new QMenu(this)) {
    scene_->setItemIndexMethod(QGraphicsScene::BspTreeIndex);
    canvas_->setAccessibleName(QStringLiteral("平面图"));
    canvas_->clicked = [this](QPointF scenePos, Qt::KeyboardModifiers modifiers) {
        roomClicked(scenePos, modifiers);
    };
    canvas_->menuAsked = [this](QPointF scenePos, QPoint globalPos) {
        showMenu(scenePos, globalPos);
    };

    look_.outline = cosmeticPen(QColor(0x4a, 0x55, 0x60), 1);
    look_.failedOutline = cosmeticPen(kCheckFailedColor, 2);
    look_.selectedOutline = cosmeticPen(QColor(0x1a, 0x66, 0xd0), 2);
    look_.fill = QBrush(QColor(0xee, 0xf2, 0xf6));
    look_.failedFill = QBrush(QColor(0xfb, 0xe6, 0xe6));
    look_.selectedFill = QBrush(QColor(0xbc, 0xd6, 0xf5));
    look_.text = QPen(QColor(0x20, 0x24, 0x28));
    look_.failedText = QPen(kCheckFailedColor);
    look_.nameFont = font();
    look_.areaFont = font();
    if (font().pointSizeF() > 0) {
        look_.areaFont.setPointSizeF(font().pointSizeF() * 0.9);
    }
    const QFontMetricsF metrics(look_.nameFont);
    look_.minLabelWidth = metrics.height();
    look_.minLabelHeight = metrics.height();

    fitAction_->setShortcut(QKeySequence(Qt::Key_F));
    fitAction_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    fitAction_->setToolTip(QStringLiteral("适合窗口 (F)"));
    addAction(fitAction_);
    connect(fitAction_, &QAction::triggered, this, &PlanView::fitToWindow);

    auto* fitButton = new QToolButton(this);
    fitButton->setDefaultAction(fitAction_);
    fitButton->setAutoRaise(true);

    floorBox_->setAccessibleName(QStringLiteral("楼层"));
    floorBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(floorBox_, &QComboBox::activated, this,
            [this](int index) { showFloor(floors_.value(index)); });
    auto* pickerLayout = new QHBoxLayout(floorPicker_);
    pickerLayout->setContentsMargins(0, 0, 0, 0);
    pickerLayout->addWidget(new QLabel(QStringLiteral("楼层："), floorPicker_));
    pickerLayout->addWidget(floorBox_);
    floorPicker_->hide();

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(6, 2, 2, 2);
    bar->addWidget(floorPicker_);
    bar->addWidget(floorName_);
    bar->addStretch();
    bar->addWidget(fitButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(canvas_, 1);

    connect(model_, &QAbstractItemModel::modelReset, this, &PlanView::modelReset);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &PlanView::rowsChanged);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &PlanView::rowsChanged);
    connect(model_, &QAbstractItemModel::rowsMoved, this, &PlanView::rowsChanged);
    connect(model_, &QAbstractItemModel::layoutChanged, this, &PlanView::rowsChanged);
    connect(model_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                // The numbers of the rows below a change are not on the plan.
                if (topLeft.column() != ProjectModel::Number ||
                    bottomRight.column() != ProjectModel::Number) {
                    unitsChanged(topLeft.row(), bottomRight.row());
                }
            });
    connect(selection_, &QItemSelectionModel::selectionChanged, this, &PlanView::selectionChanged);

    modelReset();
}

PlanView::~PlanView() {
    disconnect(model_, nullptr, this, nullptr);
    disconnect(selection_, nullptr, this, nullptr);
}

QPointF PlanView::scenePoint(core::PlanPoint point) {
    return {point.x, -point.y};
}

QGraphicsView* PlanView::view() const {
    return canvas_;
}

double PlanView::scale() const {
    return canvas_->scale();
}

void PlanView::fitToWindow() {
    ensureBuilt();
    canvas_->fit(floorBounds_);
}

void PlanView::zoomAt(QPointF viewportPoint, double factor) {
    canvas_->zoomAt(viewportPoint, factor);
}

std::vector<int> PlanView::roomRows() {
    ensureBuilt();
    std::vector<int> rows;
    for (const RoomItem* room : rooms_) {
        if (room != nullptr) {
            rows.push_back(room->row());
        }
    }
    return rows;
}

std::vector<int> PlanView::selectedRooms() {
    ensureBuilt();
    std::vector<int> rows;
    for (const RoomItem* room : rooms_) {
        if (room != nullptr && room->highlighted()) {
            rows.push_back(room->row());
        }
    }
    return rows;
}

void PlanView::setFloor(const QString& location) {
    floor_ = location;
    floorKey_ = location.toStdString();
}

bool PlanView::onFloor(int row) const {
    const core::Unit& unit = model_->unit(row);
    return unit.outline.size() >= 3 && unit.location == floorKey_;
}

void PlanView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (sceneDirty_ && !rowsDirty_) {
        rebuildScene();
        canvas_->fit(floorBounds_);
    }
}

void PlanView::modelReset() {
    rowsDirty_ = false;
    followPending_ = false;
    refreshFloors();
    rebuildScene();
    canvas_->fit(floorBounds_);
}

void PlanView::rowsChanged() {
    scheduleRebuild();
}

void PlanView::scheduleRebuild() {
    rowsDirty_ = true;
    if (!rebuildPosted_) {
        rebuildPosted_ = true;
        QMetaObject::invokeMethod(this, &PlanView::rebuildPending, Qt::QueuedConnection);
    }
}

void PlanView::rebuildPending() {
    rebuildPosted_ = false;
    ensureBuilt();
}

void PlanView::ensureBuilt() {
    if (rowsDirty_) {
        rowsDirty_ = false;
        const QString before = floor_;
        refreshFloors();
        rebuildScene();
        // A floor fitted, as it first shows, stays fitted with the rooms it has now.
        if (floor_ != before || canvas_->fitted()) {
            canvas_->fit(floorBounds_);
        }
        if (std::exchange(followPending_, false)) {
            followSelection();
        }
    }
    if (sceneDirty_) {
        rebuildScene();
        canvas_->fit(floorBounds_);
    }
}

void PlanView::refreshFloors() {
    // The locations in the order of their first room; a building has tens of floors, so that a
    // look through those found costs less than a set of them.
    std::vector<std::string_view> found;
    std::string_view last;  // the location of the room before, found already
    for (const core::Unit& unit : model_->project().units) {
        if (unit.outline.size() < 3 || (!found.empty() && last == unit.location)) {
            continue;
        }
        last = unit.location;
        if (std::ranges::find(found, last) == found.end()) {
            found.push_back(last);
        }
    }
    QStringList floors;
    floors.reserve(static_cast<qsizetype>(found.size()));
    for (const std::string_view location : found) {
        floors.append(documents::qs(location));
    }
    const bool had = hasRooms();
    if (floors != floors_) {
        floors_ = std::move(floors);
        const QSignalBlocker blocker(floorBox_);
        floorBox_->clear();
        for (const QString& floor : floors_) {
            floorBox_->addItem(floorText(floor));
        }
    }
    if (!floors_.contains(floor_)) {
        setFloor(floors_.value(0));
    }
    {
        const QSignalBlocker blocker(floorBox_);
        floorBox_->setCurrentIndex(static_cast<int>(floors_.indexOf(floor_)));
    }
    floorPicker_->setVisible(floors_.size() > 1);
    floorName_->setVisible(floors_.size() == 1);
    floorName_->setText(floors_.size() == 1 ? QStringLiteral("楼层：") + floorText(floor_)
                                            : QString());
    if (had != hasRooms()) {
        emit hasRoomsChanged(hasRooms());
    }
}

void PlanView::rebuildScene() {
    reachRow_ = -1;  // its room goes with the scene
    if (!isVisible()) {
        // Made when the pane shows.
        sceneDirty_ = true;
        rooms_.clear();
        scene_->clear();
        return;
    }
    sceneDirty_ = false;
    scene_->clear();
    rooms_.assign(static_cast<std::size_t>(model_->rowCount()), nullptr);
    const std::vector<char> selected = selectedRowFlags();
    for (int row = 0; row < model_->rowCount(); ++row) {
        if (onFloor(row)) {
            addRoom(row);
            rooms_[static_cast<std::size_t>(row)]->setHighlighted(
                selected[static_cast<std::size_t>(row)] != 0);
        }
    }
    setSceneBounds();
    updateReach();
}

void PlanView::addRoom(int row) {
    auto* room = new RoomItem(row, model_->unit(row), model_->checkFails(row), &look_);
    scene_->addItem(room);
    rooms_[static_cast<std::size_t>(row)] = room;
}

void PlanView::setSceneBounds() {
    QRectF bounds;
    for (const RoomItem* room : rooms_) {
        if (room != nullptr) {
            bounds = bounds.united(room->boundingRect());
        }
    }
    floorBounds_ = bounds;
    const double reach = kSceneReach * std::max({bounds.width(), bounds.height(), 1.0});
    scene_->setSceneRect(bounds.adjusted(-reach, -reach, reach, reach));
}

void PlanView::unitsChanged(int first, int last) {
    if (rowsDirty_) {
        return;  // the rebuild on its way takes them
    }
    if (last - first >= kFewUnits) {
        rowsDirty_ = true;
        ensureBuilt();
        return;
    }
    // A unit's location may have left a floor empty or made a new one.
    const QString before = floor_;
    refreshFloors();
    if (floor_ != before || sceneDirty_) {
        rebuildScene();
        canvas_->fit(floorBounds_);
        return;
    }
    bool moved = false;
    for (int row = first; row <= last && static_cast<std::size_t>(row) < rooms_.size(); ++row) {
        RoomItem*& room = rooms_[static_cast<std::size_t>(row)];
        const bool here = onFloor(row);
        if (room != nullptr && here) {
            const QRectF was = room->boundingRect();
            room->setUnit(model_->unit(row), model_->checkFails(row));
            moved = moved || room->boundingRect() != was;
        } else if (room != nullptr) {
            delete room;
            room = nullptr;
            moved = true;
        } else if (here) {
            addRoom(row);
            room->setHighlighted(selection_->rowIntersectsSelection(row, {}));
            moved = true;
        }
    }
    if (moved) {
        setSceneBounds();
        if (canvas_->fitted()) {
            canvas_->fit(floorBounds_);
        }
    }
    // A change of the class, the hazard or the model may change R.
    if (reachRow_ >= first && reachRow_ <= last) {
        const auto row = static_cast<std::size_t>(reachRow_);
        reachRow_ = -1;
        if (row < rooms_.size() && rooms_[row] != nullptr) {
            rooms_[row]->showReach({}, {}, 0);
        }
    }
    updateReach();
}

std::vector<char> PlanView::selectedRowFlags() const {
    std::vector<char> flags(static_cast<std::size_t>(model_->rowCount()), 0);
    for (const QItemSelectionRange& range : selection_->selection()) {
        for (int row = std::max(range.top(), 0); row <= range.bottom() && row < model_->rowCount();
             ++row) {
            flags[static_cast<std::size_t>(row)] = 1;
        }
    }
    return flags;
}

void PlanView::selectionChanged() {
    if (rowsDirty_) {
        followPending_ = true;  // once the rows are taken again
        return;
    }
    followSelection();
}

void PlanView::followSelection() {
    const std::vector<char> selected = selectedRowFlags();
    const int current = selection_->currentIndex().row();
    bool here = false;
    int elsewhere = -1;  // a selected room on another floor: the current row's, else the first
    for (int row = 0; row < model_->rowCount(); ++row) {
        if (selected[static_cast<std::size_t>(row)] == 0 || model_->unit(row).outline.size() < 3) {
            continue;
        }
        if (onFloor(row)) {
            here = true;
            break;
        }
        if (elsewhere < 0 || row == current) {
            elsewhere = row;
        }
    }
    if (!here && elsewhere >= 0) {
        if (current >= 0 && current < model_->rowCount() &&
            selected[static_cast<std::size_t>(current)] != 0 && !onFloor(current) &&
            model_->unit(current).outline.size() >= 3) {
            elsewhere = current;
        }
        showFloor(documents::qs(model_->unit(elsewhere).location));
        return;
    }
    if (sceneDirty_) {
        return;
    }
    applySelection();
    // The current row's room, where the view has moved away from it.
    if (current >= 0 && static_cast<std::size_t>(current) < rooms_.size() &&
        rooms_[static_cast<std::size_t>(current)] != nullptr &&
        selected[static_cast<std::size_t>(current)] != 0) {
        const RoomItem* room = rooms_[static_cast<std::size_t>(current)];
        const QRectF seen = canvas_->mapToScene(canvas_->viewport()->rect()).boundingRect();
        if (!seen.contains(room->labelAnchor())) {
            canvas_->centerOn(room->labelAnchor());
        }
    }
}

void PlanView::applySelection() {
    const std::vector<char> selected = selectedRowFlags();
    for (std::size_t row = 0; row < rooms_.size(); ++row) {
        if (rooms_[row] != nullptr) {
            rooms_[row]->setHighlighted(selected[row] != 0);
        }
    }
    updateReach();
}

void PlanView::showFloor(const QString& location) {
    if (rowsDirty_) {
        rowsDirty_ = false;
        followPending_ = false;
        refreshFloors();
    }
    if (!floors_.contains(location)) {
        return;
    }
    setFloor(location);
    {
        const QSignalBlocker blocker(floorBox_);
        floorBox_->setCurrentIndex(static_cast<int>(floors_.indexOf(floor_)));
    }
    rebuildScene();
    canvas_->fit(floorBounds_);
}

const RoomItem* PlanView::roomAt(QPointF scenePos) const {
    // The smallest room under the point: a room drawn inside another is picked by clicking it.
    const RoomItem* hit = nullptr;
    for (QGraphicsItem* item : scene_->items(scenePos, Qt::IntersectsItemBoundingRect)) {
        const auto* room = qgraphicsitem_cast<RoomItem*>(item);
        if (room != nullptr && room->holds(scenePos) &&
            (hit == nullptr || room->area() < hit->area())) {
            hit = room;
        }
    }
    return hit;
}

void PlanView::showMenu(QPointF scenePos, QPoint globalPos) {
    ensureBuilt();
    // A room not yet selected becomes the selection, as a click would make it.
    if (const RoomItem* hit = roomAt(scenePos);
        hit != nullptr && !selection_->rowIntersectsSelection(hit->row(), {})) {
        roomClicked(scenePos, Qt::NoModifier);
    }
    if (!menu_->actions().isEmpty()) {
        menu_->popup(globalPos);
    }
}

void PlanView::addMenuAction(QAction* action) {
    menu_->addAction(action);
}

void PlanView::updateReach() {
    // The current row's room, when it is selected and on this floor.
    const int current = selection_->currentIndex().row();
    int row = -1;
    if (current >= 0 && static_cast<std::size_t>(current) < rooms_.size() &&
        rooms_[static_cast<std::size_t>(current)] != nullptr &&
        selection_->rowIntersectsSelection(current, {})) {
        row = current;
    }
    if (reachRow_ != row && reachRow_ >= 0 && static_cast<std::size_t>(reachRow_) < rooms_.size() &&
        rooms_[static_cast<std::size_t>(reachRow_)] != nullptr) {
        rooms_[static_cast<std::size_t>(reachRow_)]->showReach({}, {}, 0);
    }
    reachRow_ = row;
    if (row < 0) {
        return;
    }
    const core::UnitDesign& d = model_->unitDesign(row);
    const core::Unit& unit = model_->unit(row);
    rooms_[static_cast<std::size_t>(row)]->showReach(unit.outline, unit.holes,
                                                     d.cover ? d.cover->reach : 0);
}

const QGraphicsItem* PlanView::reachShown() const {
    if (reachRow_ < 0 || static_cast<std::size_t>(reachRow_) >= rooms_.size() ||
        rooms_[static_cast<std::size_t>(reachRow_)] == nullptr) {
        return nullptr;
    }
    return rooms_[static_cast<std::size_t>(reachRow_)]->reachItem();
}

bool PlanView::reachMissesSome() const {
    const auto* reach = static_cast<const ReachItem*>(reachShown());
    return reach != nullptr && reach->missesSome();
}

void PlanView::roomClicked(QPointF scenePos, Qt::KeyboardModifiers modifiers) {
    ensureBuilt();
    const RoomItem* hit = roomAt(scenePos);
    const bool adding = (modifiers & Qt::ControlModifier) != 0;
    if (hit == nullptr) {
        if (!adding) {
            selection_->clear();
        }
        return;
    }
    const int column = selection_->currentIndex().isValid() ? selection_->currentIndex().column()
                                                            : int{ProjectModel::Name};
    const QModelIndex index = model_->index(hit->row(), column);
    if (adding) {
        const bool wasSelected = selection_->rowIntersectsSelection(hit->row(), {});
        selection_->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        selection_->select(
            index, (wasSelected ? QItemSelectionModel::Deselect : QItemSelectionModel::Select) |
                       QItemSelectionModel::Rows);
    } else {
        selection_->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

}  // namespace ui
