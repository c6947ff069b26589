#include "plan_view.h"

#include <QAction>
#include <QComboBox>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <string_view>
#include <utility>

#include "plan_canvas.h"
#include "plan_reach_item.h"
#include "plan_room_item.h"
#include "plan_scene.h"
#include "project_model.h"
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
        RoomItem* room = roomOf(reachRow_);
        reachRow_ = -1;
        if (room != nullptr) {
            room->showReach({}, {}, 0);
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
    RoomItem* room = roomOf(current);
    const int row =
        room != nullptr && selection_->rowIntersectsSelection(current, {}) ? current : -1;
    if (RoomItem* before = roomOf(reachRow_); reachRow_ != row && before != nullptr) {
        before->showReach({}, {}, 0);
    }
    reachRow_ = row;
    if (row < 0) {
        return;
    }
    const core::UnitDesign& d = model_->unitDesign(row);
    const core::Unit& unit = model_->unit(row);
    room->showReach(unit.outline, unit.holes, d.cover ? d.cover->reach : 0);
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
