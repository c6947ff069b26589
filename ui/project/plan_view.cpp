#include "plan_view.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontMetricsF>
#include <QFormLayout>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <string_view>
#include <utility>

#include "dxf_reader.h"
#include "floor_layout.h"
#include "placement.h"
#include "plan_canvas.h"
#include "plan_door_item.h"
#include "plan_point_item.h"
#include "plan_reach_item.h"
#include "plan_room_item.h"
#include "plan_scene.h"
#include "project_commands.h"
#include "project_model.h"
#include "reach_map.h"
#include "unit_texts.h"

namespace ui {

namespace {

// Rows changed at once beyond which the scene is made again rather than room by room.
constexpr int kFewUnits = 32;
// The scene reaches this many times the floor's size beyond it on every side, so that the view
// can zoom about any point without the scene shrinking into the middle of the viewport.
constexpr double kSceneReach = 4;

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

// How long a refusal stays in the status bar.
constexpr int kRefusalMs = 10000;
// How far the arrow keys move the picked points, in metres, and with Shift.
constexpr double kKeyStep = 0.1;
constexpr double kShiftKeyStep = 1;

core::PlanPoint planPoint(QPointF scenePos) {
    return {scenePos.x(), -scenePos.y()};
}

// The unit in which a unit's points are shown and typed: that of the drawing its outline came
// from, to the millimetre; else metres.
struct ShownUnit {
    double perUnit = 1;  // metres
    int decimals = 3;
    QString name = QStringLiteral("米");
};

ShownUnit shownUnit(const core::Unit& unit) {
    ShownUnit shown;
    const std::optional<core::PlanSource>& plan =
        unit.combined() ? unit.rooms.front().plan : unit.plan;
    if (plan) {
        if (const std::optional<io::DrawingUnit> drawn =
                io::unitFromName(documents::qs(plan->unit))) {
            shown.perUnit = io::metresPerUnit(*drawn);
            shown.name = io::unitLabel(*drawn);
        }
    }
    shown.decimals =
        std::clamp(static_cast<int>(std::ceil(std::log10(shown.perUnit / 0.001) - 1e-9)), 0, 6);
    return shown;
}

// The point's number and place, as the status bar shows them: in the unit the position is typed
// in.
QString pointText(const core::Unit& unit, int row, std::size_t index, core::PlanPoint at) {
    const ShownUnit shown = shownUnit(unit);
    return QStringLiteral("%1：X %2，Y %3")
        .arg(QString::fromStdString(core::pointNumber(static_cast<std::size_t>(row), index)),
             QString::number(at.x / shown.perUnit, 'f', shown.decimals),
             QString::number(at.y / shown.perUnit, 'f', shown.decimals));
}

// The point's number and place as the unit holds it, and the farthest walk of its share where the
// cover is checked.
QString placedText(const ProjectModel& model, int row, std::size_t index) {
    const core::Unit& unit = model.unit(row);
    if (index >= unit.setPoints.size()) {
        return {};
    }
    QString text = pointText(unit, row, index, unit.setPoints[index]);
    if (const std::optional<core::PlacedCover>& cover = model.unitDesign(row).cover;
        cover && index < cover->shares.size() && std::isfinite(cover->shares[index])) {
        text += QStringLiteral("；最远 %1 m").arg(cover->shares[index], 0, 'f', 1);
    }
    return text;
}

// The unit has rooms on the plan: an outline, or a combined unit's rooms.
bool onPlan(const core::Unit& unit) {
    return unit.outline.size() >= 3 || unit.combined();
}

// Where a point dropped at `point` goes in the unit (core::droppedPoint()): in a combined unit,
// in the first of its rooms that takes it; none where none does.
std::optional<core::PlanPoint> droppedIn(const core::Unit& unit, core::PlanPoint point, bool snap) {
    if (!unit.combined()) {
        return core::droppedPoint(point, unit.outline, unit.holes, snap);
    }
    for (const core::UnitRoom& room : unit.rooms) {
        if (auto at = core::droppedPoint(point, room.outline, room.holes, snap)) {
            return at;
        }
    }
    return std::nullopt;
}

// Marks the point of that index as set by hand, the flags kept one per point.
void markHandSet(core::Unit& unit, std::size_t index) {
    unit.handSet.resize(unit.setPoints.size(), false);
    unit.handSet[index] = true;
}

}  // namespace

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
      menu_(new QMenu(this)),
      addPointAction_(new QAction(QStringLiteral("添加设置点"), this)),
      deletePointAction_(new QAction(QStringLiteral("删除设置点"), this)),
      positionAction_(new QAction(QStringLiteral("设置点位置…"), this)) {
    scene_->setItemIndexMethod(QGraphicsScene::BspTreeIndex);
    canvas_->setAccessibleName(QStringLiteral("平面图"));
    canvas_->clicked = [this](QPointF scenePos, Qt::KeyboardModifiers modifiers) {
        roomClicked(scenePos, modifiers);
    };
    canvas_->menuAsked = [this](QPointF scenePos, QPoint globalPos) {
        showMenu(scenePos, globalPos);
    };
    canvas_->dragged = [this](QPointF scenePos, Qt::KeyboardModifiers /*modifiers*/) {
        pointDragged(scenePos);
    };
    canvas_->released = [this](QPointF /*scenePos*/, Qt::KeyboardModifiers modifiers) {
        pointReleased(modifiers);
    };
    canvas_->ctrlDoubleClicked = [this](QPointF scenePos, Qt::KeyboardModifiers modifiers) {
        addPointAt(scenePos, (modifiers & Qt::AltModifier) == 0);
    };
    canvas_->keyPressed = [this](const QKeyEvent& event) { return pointKey(event); };

    connect(addPointAction_, &QAction::triggered, this, [this] { addPointAt(menuAt_, true); });
    // Delete is the table's key for its units: the plan takes it as a key (pointKey()).
    deletePointAction_->setEnabled(false);
    connect(deletePointAction_, &QAction::triggered, this, &PlanView::deletePoints);
    positionAction_->setEnabled(false);
    connect(positionAction_, &QAction::triggered, this, &PlanView::typePosition);
    menu_->addAction(addPointAction_);
    menu_->addAction(deletePointAction_);
    menu_->addAction(positionAction_);
    menu_->addSeparator();

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
    look_.pointFont = font();
    if (font().pointSizeF() > 0) {
        look_.areaFont.setPointSizeF(font().pointSizeF() * 0.9);
        look_.pointFont.setPointSizeF(font().pointSizeF() * 0.8);
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
    connect(model_, &QAbstractItemModel::rowsInserted, this, &PlanView::scheduleRebuild);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &PlanView::scheduleRebuild);
    connect(model_, &QAbstractItemModel::rowsMoved, this, &PlanView::scheduleRebuild);
    connect(model_, &QAbstractItemModel::layoutChanged, this, &PlanView::scheduleRebuild);
    connect(model_, &ProjectModel::doorsChanged, this, &PlanView::scheduleRebuild);
    connect(model_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                // The numbers of the rows below a change are not on the plan, nor is 校核 alone,
                // which a drag changes.
                if (topLeft.column() != bottomRight.column() ||
                    (topLeft.column() != ProjectModel::Number &&
                     topLeft.column() != ProjectModel::Check)) {
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
    return ui::scenePoint(point);
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
    return onPlan(unit) && unit.location == floorKey_;
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
        if (!onPlan(unit) || (!found.empty() && last == unit.location)) {
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
    endDrag();
    pickedRow_ = -1;
    picked_.clear();
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
    addDoors();
    setSceneBounds();
    updateReach();
}

void PlanView::addRoom(int row) {
    auto* room = new RoomItem(row, model_->unit(row), model_->checkFails(row), &look_);
    scene_->addItem(room);
    rooms_[static_cast<std::size_t>(row)] = room;
}

void PlanView::addDoors() {
    for (const core::PlanDoor& door : model_->project().doors) {
        if (door.floor == floorKey_) {
            scene_->addItem(new DoorItem(door));
        }
    }
}

void PlanView::setSceneBounds() {
    QRectF bounds;
    for (const RoomItem* room : rooms_) {
        if (room != nullptr) {
            bounds = bounds.united(room->boundingRect());
        }
    }
    // A door's leaf may open out past the rooms (an exit's does): fitted in too.
    for (const QGraphicsItem* item : scene_->items()) {
        if (item->type() == DoorItem::Type) {
            bounds = bounds.united(item->boundingRect());
        }
    }
    floorBounds_ = bounds;
    const double reach = kSceneReach * std::max({bounds.width(), bounds.height(), 1.0});
    scene_->setSceneRect(bounds.adjusted(-reach, -reach, reach, reach));
}

void PlanView::unitsChanged(int first, int last) {
    // A unit changed under a drag (an undo, say) is no longer the one the drag began on.
    if (drag_ && drag_->row >= first && drag_->row <= last) {
        endDrag();
    }
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
        RoomItem* room = roomOf(reachRow_);
        reachRow_ = -1;
        if (room != nullptr) {
            room->hideReach();
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
        if (selected[static_cast<std::size_t>(row)] == 0 || !onPlan(model_->unit(row))) {
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
            onPlan(model_->unit(current))) {
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
    if (const RoomItem* room = roomOf(current);
        room != nullptr && selected[static_cast<std::size_t>(current)] != 0) {
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

RoomItem* PlanView::roomOf(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < rooms_.size()
               ? rooms_[static_cast<std::size_t>(row)]
               : nullptr;
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
    menuAt_ = scenePos;
    // A point not yet picked becomes the one picked.
    if (const PointItem* point = pointAt(scenePos); point != nullptr && !point->picked()) {
        const int row = static_cast<const RoomItem*>(point->parentItem())->row();
        const std::size_t index = point->index();
        selectRow(row);
        pick(row, {index});
        addPointAction_->setEnabled(true);
        menu_->popup(globalPos);
        return;
    }
    addPointAction_->setEnabled(roomAt(scenePos) != nullptr);
    // A room not yet selected becomes the selection, as a click would make it.
    if (const RoomItem* hit = roomAt(scenePos);
        hit != nullptr && !selection_->rowIntersectsSelection(hit->row(), {})) {
        roomClicked(scenePos, Qt::NoModifier);
    }
    if (!menu_->actions().isEmpty()) {
        menu_->popup(globalPos);
    }
}

int PlanView::menuRow() const {
    const RoomItem* room = roomAt(menuAt_);
    return room != nullptr ? room->row() : -1;
}

void PlanView::addMenuAction(QAction* action) {
    menu_->addAction(action);
}

void PlanView::updateReach() {
    // The current row's room, when it is selected and on this floor.
    const int current = selection_->currentIndex().row();
    RoomItem* room = roomOf(current);
    const int row =
        room != nullptr && selection_->rowIntersectsSelection(current, {}) ? current : -1;
    if (RoomItem* before = roomOf(reachRow_); reachRow_ != row && before != nullptr) {
        before->hideReach();
    }
    if (pickedRow_ >= 0 && pickedRow_ != row) {
        pick(-1, {});  // the points of a room no longer current
    }
    reachRow_ = row;
    if (row < 0) {
        return;
    }
    const core::UnitDesign& d = model_->unitDesign(row);
    const core::Unit& unit = model_->unit(row);
    room->showReach(unit, d.cover ? d.cover->reach : 0);
}

const QGraphicsItem* PlanView::reachShown() const {
    const RoomItem* room = roomOf(reachRow_);
    return room != nullptr ? room->reachItem() : nullptr;
}

bool PlanView::reachMissesSome() const {
    const auto* reach = static_cast<const ReachItem*>(reachShown());
    return reach != nullptr && reach->missesSome();
}

void PlanView::roomClicked(QPointF scenePos, Qt::KeyboardModifiers modifiers) {
    ensureBuilt();
    if (pointPressed(scenePos, modifiers)) {
        return;
    }
    if (pickedRow_ >= 0) {
        pick(-1, {});
    }
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

PointItem* PlanView::pointAt(QPointF scenePos) const {
    for (QGraphicsItem* item : scene_->items(scenePos, Qt::IntersectsItemShape, Qt::DescendingOrder,
                                             canvas_->transform())) {
        if (auto* point = qgraphicsitem_cast<PointItem*>(item); point != nullptr) {
            return point;
        }
    }
    return nullptr;
}

void PlanView::selectRow(int row) {
    if (selection_->currentIndex().row() == row && selection_->isRowSelected(row, {}) &&
        selection_->selectedRows().size() == 1) {
        return;
    }
    const int column = selection_->currentIndex().isValid() ? selection_->currentIndex().column()
                                                            : int{ProjectModel::Name};
    selection_->setCurrentIndex(model_->index(row, column),
                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void PlanView::pick(int row, std::vector<std::size_t> points) {
    if (RoomItem* before = roomOf(pickedRow_); before != nullptr && pickedRow_ != row) {
        before->setPicked({});
    }
    std::ranges::sort(points);
    pickedRow_ = points.empty() ? -1 : row;
    picked_ = std::move(points);
    if (RoomItem* room = roomOf(pickedRow_); room != nullptr) {
        room->setPicked(picked_);
    }
    deletePointAction_->setEnabled(!picked_.empty());
    positionAction_->setEnabled(picked_.size() == 1);
}

void PlanView::pickPoints(int row) {
    ensureBuilt();
    if (row < 0 || row >= model_->rowCount() || roomOf(row) == nullptr) {
        return;
    }
    std::vector<std::size_t> all(model_->unit(row).setPoints.size());
    std::iota(all.begin(), all.end(), std::size_t{0});
    pick(row, std::move(all));
    canvas_->setFocus(Qt::OtherFocusReason);
}

bool PlanView::pointPressed(QPointF scenePos, Qt::KeyboardModifiers modifiers) {
    const PointItem* point = pointAt(scenePos);
    if (point == nullptr) {
        return false;
    }
    const int row = static_cast<const RoomItem*>(point->parentItem())->row();
    const std::size_t index = point->index();
    const QPointF offset = scenePos - point->pos();
    selectRow(row);
    std::vector<std::size_t> points = pickedRow_ == row ? picked_ : std::vector<std::size_t>{};
    const auto found = std::ranges::find(points, index);
    if ((modifiers & Qt::ControlModifier) != 0) {
        if (found != points.end()) {
            points.erase(found);
        } else {
            points.push_back(index);
        }
        pick(row, std::move(points));
        return true;
    }
    if (found == points.end()) {
        points = {index};
    }
    pick(row, std::move(points));
    const core::PlanPoint at = model_->unit(row).setPoints[index];
    drag_ = Drag{row, index, scenePos, offset, at, at, false, nullptr};
    return true;
}

void PlanView::pointDragged(QPointF scenePos) {
    if (!drag_) {
        return;
    }
    RoomItem* room = roomOf(drag_->row);
    if (room == nullptr || drag_->index >= model_->unit(drag_->row).setPoints.size()) {
        endDrag();
        return;
    }
    if (!drag_->moved && (scenePos - drag_->pressed).manhattanLength() * scale() <
                             QApplication::startDragDistance()) {
        return;  // a click that shook
    }
    const core::Unit& unit = model_->unit(drag_->row);
    const std::optional<core::PlacedCover>& cover = model_->unitDesign(drag_->row).cover;
    // A combined unit's points move without their reach following: it is drawn again once dropped.
    if (!drag_->moved && cover && cover->reach > 0 && !unit.combined() &&
        core::placingFault(unit.outline, unit.holes) == core::PlacingFault::None) {
        drag_->reach = std::make_shared<core::ReachTracker>(unit.outline, unit.holes,
                                                            unit.setPoints, cover->reach);
    }
    drag_->moved = true;
    drag_->at = planPoint(scenePos - drag_->offset);
    QString text = pointText(unit, drag_->row, drag_->index, drag_->at);
    if (drag_->reach) {
        drag_->reach->move(drag_->index, drag_->at);
        room->previewPoint(drag_->index, drag_->at, drag_->reach->map());
        model_->previewCover(drag_->row, drag_->reach->proven());
        // Rounded up: the farthest walk is never said to be shorter than it is.
        if (const double farthest = drag_->reach->farthest(); std::isfinite(farthest)) {
            text += QStringLiteral("；最远 %1 m").arg(std::ceil(farthest * 10) / 10, 0, 'f', 1);
        }
    } else {
        room->previewPoint(drag_->index, drag_->at, core::ReachMap{});
    }
    emit told(text, 0);
}

void PlanView::endDrag() {
    drag_.reset();
    model_->endPreview();
}

void PlanView::putBack(int row) {
    endDrag();
    if (RoomItem* room = roomOf(row); room != nullptr) {
        room->setUnit(model_->unit(row), model_->checkFails(row));
    }
    updateReach();
}

void PlanView::pointReleased(Qt::KeyboardModifiers modifiers) {
    if (!drag_) {
        return;
    }
    const Drag drag = *drag_;
    if (!drag.moved || drag.index >= model_->unit(drag.row).setPoints.size()) {
        endDrag();
        return;
    }
    const core::Unit& unit = model_->unit(drag.row);
    const std::optional<core::PlanPoint> to =
        droppedIn(unit, drag.at, (modifiers & Qt::AltModifier) == 0);
    if (!to || *to == drag.from) {
        putBack(drag.row);  // the unit's points as they were, and their reach
        if (!to) {
            refuse(QStringLiteral("设置点不能移出计算单元的轮廓，已放回原处。"));
        }
        return;
    }
    endDrag();
    core::Unit after = unit;
    after.setPoints[drag.index] = *to;
    markHandSet(after, drag.index);
    editPoints(drag.row, std::move(after), QStringLiteral("移动设置点"));
    emit told(placedText(*model_, drag.row, drag.index), kRefusalMs);
}

bool PlanView::pointKey(const QKeyEvent& event) {
    if (drag_ && event.key() == Qt::Key_Escape) {
        const int row = drag_->row;
        const std::size_t index = drag_->index;
        putBack(row);
        emit told(placedText(*model_, row, index), kRefusalMs);
        return true;
    }
    if (pickedRow_ < 0 || drag_ ||
        (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
        return false;
    }
    if (event.matches(QKeySequence::Delete)) {
        deletePoints();
        return true;
    }
    double dx = 0;
    double dy = 0;
    switch (event.key()) {
        case Qt::Key_Left:
            dx = -1;
            break;
        case Qt::Key_Right:
            dx = 1;
            break;
        case Qt::Key_Up:
            dy = 1;  // the drawing's y runs up
            break;
        case Qt::Key_Down:
            dy = -1;
            break;
        default:
            return false;
    }
    const double step = (event.modifiers() & Qt::ShiftModifier) != 0 ? kShiftKeyStep : kKeyStep;
    core::Unit after = model_->unit(pickedRow_);
    for (const std::size_t index : picked_) {
        if (index >= after.setPoints.size()) {
            continue;
        }
        core::PlanPoint& point = after.setPoints[index];
        point = {point.x + dx * step, point.y + dy * step};
        if (!droppedIn(after, point, false)) {
            refuse(QStringLiteral("设置点不能移出计算单元的轮廓。"));
            return true;
        }
        markHandSet(after, index);
    }
    const int row = pickedRow_;
    const std::size_t first = picked_.front();
    editPoints(row, std::move(after), QStringLiteral("移动设置点"));
    emit told(placedText(*model_, row, first), kRefusalMs);
    return true;
}

void PlanView::addPointAt(QPointF scenePos, bool snap) {
    ensureBuilt();
    const RoomItem* room = roomAt(scenePos);
    if (room == nullptr) {
        refuse(QStringLiteral("设置点应添加在计算单元的轮廓内。"));
        return;
    }
    const int row = room->row();
    core::Unit after = model_->unit(row);
    const std::optional<core::PlanPoint> at = droppedIn(after, planPoint(scenePos), snap);
    if (!at) {
        refuse(QStringLiteral("设置点应添加在计算单元的轮廓内。"));
        return;
    }
    if (after.setPoints.size() >= core::kMaxPoints) {
        refuse(QStringLiteral("一个计算单元至多 %1 个设置点。").arg(core::kMaxPoints));
        return;
    }
    after.setPoints.push_back(*at);
    const std::size_t index = after.setPoints.size() - 1;
    markHandSet(after, index);
    selectRow(row);
    editPoints(row, std::move(after), QStringLiteral("添加设置点"));
    pick(row, {index});
    emit told(placedText(*model_, row, index), kRefusalMs);
}

void PlanView::deletePoints() {
    if (pickedRow_ < 0 || picked_.empty()) {
        return;
    }
    const int row = pickedRow_;
    core::Unit after = model_->unit(row);
    // From the last, so that the indices before stay.
    for (auto it = picked_.rbegin(); it != picked_.rend(); ++it) {
        if (*it < after.setPoints.size()) {
            after.setPoints.erase(after.setPoints.begin() + static_cast<std::ptrdiff_t>(*it));
            if (*it < after.handSet.size()) {
                after.handSet.erase(after.handSet.begin() + static_cast<std::ptrdiff_t>(*it));
            }
        }
    }
    pick(-1, {});
    editPoints(row, std::move(after), QStringLiteral("删除设置点"));
}

void PlanView::typePosition() {
    if (pickedRow_ < 0 || picked_.size() != 1 ||
        picked_.front() >= model_->unit(pickedRow_).setPoints.size()) {
        return;
    }
    const int row = pickedRow_;
    const std::size_t index = picked_.front();
    const core::PlanPoint from = model_->unit(row).setPoints[index];
    const ShownUnit shown = shownUnit(model_->unit(row));
    const double perUnit = shown.perUnit;
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("设置点位置"));
    auto* form = new QFormLayout(&dialog);
    form->addRow(new QLabel(
        QStringLiteral("设置点 %1 的坐标（%2）：")
            .arg(QString::fromStdString(core::pointNumber(static_cast<std::size_t>(row), index)),
                 shown.name),
        &dialog));
    QDoubleSpinBox* boxes[2] = {new QDoubleSpinBox(&dialog), new QDoubleSpinBox(&dialog)};
    const double values[2] = {from.x / perUnit, from.y / perUnit};
    const QString names[2] = {QStringLiteral("X"), QStringLiteral("Y")};
    for (std::size_t i = 0; i < 2; ++i) {
        boxes[i]->setDecimals(shown.decimals);
        boxes[i]->setRange(-1e7 / perUnit, 1e7 / perUnit);
        boxes[i]->setValue(values[i]);
        boxes[i]->setAccessibleName(names[i]);
        form->addRow(names[i] + u'：', boxes[i]);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted || pickedRow_ != row ||
        index >= model_->unit(row).setPoints.size()) {
        return;
    }
    // The spin boxes round to their decimals: a value left alone keeps the point where it was.
    const auto typed = [perUnit](const QDoubleSpinBox* box, double was) {
        return QString::number(was / perUnit, 'f', box->decimals()).toDouble() == box->value()
                   ? was
                   : box->value() * perUnit;
    };
    const core::PlanPoint at{typed(boxes[0], from.x), typed(boxes[1], from.y)};
    if (at == from) {
        return;
    }
    core::Unit after = model_->unit(row);
    if (!droppedIn(after, at, false)) {
        refuse(QStringLiteral("设置点不能移出计算单元的轮廓。"));
        return;
    }
    after.setPoints[index] = at;
    markHandSet(after, index);
    editPoints(row, std::move(after), QStringLiteral("设置点位置"));
    emit told(placedText(*model_, row, index), kRefusalMs);
}

void PlanView::editPoints(int row, core::Unit after, const QString& text) {
    if (undoStack_ == nullptr) {
        model_->replaceUnit(row, after);
        return;
    }
    undoStack_->push(
        new ReplaceUnitCommand(model_, row, model_->unit(row), std::move(after), text));
}

void PlanView::refuse(const QString& why) {
    emit told(why, kRefusalMs);
}

}  // namespace ui
