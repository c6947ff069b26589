#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "plan_canvas.h"
#include "plan_room_item.h"
#include "polygon.h"

class QAction;
class QComboBox;
class QGraphicsScene;
class QGraphicsView;
class QItemSelectionModel;
class QLabel;
class QMenu;
class QGraphicsItem;
class QKeyEvent;
class QUndoStack;
class QWidget;

namespace core {
class ReachTracker;
}

namespace ui {

class PointItem;
class ProjectModel;

// The floor plan beside the project's table: the outlines of the units of one floor (a location),
// their holes (columns, shafts) left white, with their names and areas at each room's label point
// over its setting points, in the drawing's metres with y up; a combined unit as its rooms with
// one label, in the largest, its points reaching through its doors. A unit that breaks a check or
// cannot be configured is drawn in the 校核 column's red. The rooms share the table's selection
// both ways; a selection on another floor brings that floor up. The wheel zooms about the cursor,
// the middle button (or the left one with Space held) pans, 适合窗口 (F) fits the floor.
//
// The setting points are edited here, each edit one step of the undo stack, and each point
// edited is marked as set by hand: a click picks a point (Ctrl+click one more), a drag moves it
// (its reach, the 校核 cell and the status bar following; Esc puts it back), the arrow keys move
// the picked points by 0.1 m (1 m with Shift), Delete or 删除设置点 takes them away, 添加设置点 or
// Ctrl+double click adds one, 设置点位置… types one's place. No point leaves its unit's outline
// (a combined unit's rooms); one dropped near a wall is drawn off it to the clearance
// (core::droppedPoint) unless Alt is held.
//
// The scene follows the model: a reset rebuilds it at once, a burst of inserted, removed or moved
// rows once when the burst is over, and an edit of a few units changes their rooms alone. While
// the pane is hidden, only the list of floors is kept up to date.
class PlanView : public QWidget {
    Q_OBJECT

  public:
    PlanView(ProjectModel* model, QItemSelectionModel* selection, QWidget* parent = nullptr);
    ~PlanView() override;

    // A point of the drawing in the scene, whose y runs down.
    [[nodiscard]] static QPointF scenePoint(core::PlanPoint point);

    // The locations of the units that have an outline, in the order of their first unit.
    [[nodiscard]] const QStringList& floors() const { return floors_; }
    [[nodiscard]] bool hasRooms() const { return !floors_.isEmpty(); }
    // The location whose rooms are shown; empty when no unit has an outline.
    [[nodiscard]] const QString& floor() const { return floor_; }
    // Shows the rooms of the location, fitted to the view; a location with none is ignored.
    void showFloor(const QString& location);
    void fitToWindow();
    // Scales the view by `factor` about a point of the viewport, which stays where it is. The
    // scale keeps between a quarter of the fitted one and kMaxScale.
    void zoomAt(QPointF viewportPoint, double factor);
    // Pixels per metre.
    [[nodiscard]] double scale() const;

    // The rows whose rooms are on the floor shown, and those of them drawn as selected, ascending.
    [[nodiscard]] std::vector<int> roomRows();
    [[nodiscard]] std::vector<int> selectedRooms();

    // Adds an action to the plan's context menu, which a right click on a room opens after
    // selecting the room (where it was not selected yet).
    void addMenuAction(QAction* action);
    [[nodiscard]] QMenu* menu() const { return menu_; }
    // The row of the room under the click that last opened the context menu; -1 for none.
    [[nodiscard]] int menuRow() const;
    // The reach drawn over the current room (when it is selected and has setting points), and
    // whether it shows a part of the room that no point reaches.
    [[nodiscard]] const QGraphicsItem* reachShown() const;
    [[nodiscard]] bool reachMissesSome() const;

    [[nodiscard]] QGraphicsView* view() const;
    [[nodiscard]] QComboBox* floorBox() const { return floorBox_; }
    [[nodiscard]] QAction* fitAction() const { return fitAction_; }
    [[nodiscard]] QAction* addPointAction() const { return addPointAction_; }
    [[nodiscard]] QAction* deletePointAction() const { return deletePointAction_; }
    [[nodiscard]] QAction* positionAction() const { return positionAction_; }

    // The stack that the edits of the setting points go on; without one they change the model.
    void setUndoStack(QUndoStack* stack) { undoStack_ = stack; }
    // Picks all the setting points of the row's unit, for the keys to edit.
    void pickPoints(int row);
    // The row whose points are picked (-1 for none), and those points, ascending.
    [[nodiscard]] int pickedRow() const { return pickedRow_; }
    [[nodiscard]] const std::vector<std::size_t>& pickedPoints() const { return picked_; }

    // The most pixels per metre zoomed in, unless the fitted floor is larger still.
    static constexpr double kMaxScale = PlanCanvas::kMaxScale;

  signals:
    // The first unit with an outline came, or the last one went.
    void hasRoomsChanged(bool hasRooms);
    // A word for the status bar: where the point being moved is, or why an edit was refused; for
    // `timeoutMs` (0: until the next).
    void told(const QString& text, int timeoutMs);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // The model's changes, as the signals tell them.
    void modelReset();
    void unitsChanged(int first, int last);
    void selectionChanged();

    // Rows came, went or moved: takes the rows and their floors again once the burst of changes
    // is over (a queued call).
    void scheduleRebuild();
    void rebuildPending();
    // Makes the scene for the rows as they are, where changes wait for it.
    void ensureBuilt();
    // The list of floors from the model; another floor is shown where the one shown has gone.
    void refreshFloors();
    void rebuildScene();
    void setFloor(const QString& location);
    [[nodiscard]] bool onFloor(int row) const;
    void addRoom(int row);
    // The doors of the floor shown, over its rooms.
    void addDoors();
    void setSceneBounds();
    // Highlights the selected rows' rooms; a selection only on another floor shows that floor,
    // and the current row's room is scrolled into view.
    void followSelection();
    void applySelection();
    [[nodiscard]] std::vector<char> selectedRowFlags() const;

    void roomClicked(QPointF scenePos, Qt::KeyboardModifiers modifiers);
    // The room of the row on the floor shown; null for a row off it or out of range.
    [[nodiscard]] RoomItem* roomOf(int row) const;
    [[nodiscard]] const RoomItem* roomAt(QPointF scenePos) const;
    void showMenu(QPointF scenePos, QPoint globalPos);
    // Draws the reach of the current room's setting points, and takes it from the room before.
    void updateReach();

    // The editing of the setting points.
    [[nodiscard]] PointItem* pointAt(QPointF scenePos) const;
    // A press on a point picks it and starts a drag: true when it fell on one.
    bool pointPressed(QPointF scenePos, Qt::KeyboardModifiers modifiers);
    void pointDragged(QPointF scenePos);
    void pointReleased(Qt::KeyboardModifiers modifiers);
    // Ends the drag, if any, without an edit: the 校核 cell reads as the unit's again.
    void endDrag();
    // Ends the drag and puts the point and its reach back where the unit has them.
    void putBack(int row);
    bool pointKey(const QKeyEvent& event);
    void addPointAt(QPointF scenePos, bool snap);
    void deletePoints();
    void typePosition();
    void pick(int row, std::vector<std::size_t> points);
    // Makes the row current and selected alone, unless it is already.
    void selectRow(int row);
    // Replaces the row's unit with `after`, as a step of the undo stack.
    void editPoints(int row, core::Unit after, const QString& text);
    void refuse(const QString& why);

    // A point being dragged: its unit, where it was, where it is, and the press's offset from it;
    // once it moves, what its unit's points reach (where the unit's cover is checked).
    struct Drag {
        int row = -1;
        std::size_t index = 0;
        QPointF pressed;
        QPointF offset;
        core::PlanPoint from;
        core::PlanPoint at;
        bool moved = false;
        std::shared_ptr<core::ReachTracker> reach;
    };

    ProjectModel* model_;
    QItemSelectionModel* selection_;
    QGraphicsScene* scene_;
    PlanCanvas* canvas_;
    QComboBox* floorBox_;
    QAction* fitAction_;
    QWidget* floorPicker_;  // 楼层 and its box, shown for several floors
    QLabel* floorName_;     // the one floor's name, shown for one
    QMenu* menu_;
    QAction* addPointAction_;
    QAction* deletePointAction_;
    QAction* positionAction_;
    QUndoStack* undoStack_ = nullptr;
    RoomLook look_;
    QPointF menuAt_;  // where the context menu was asked for, in the scene
    int pickedRow_ = -1;
    std::vector<std::size_t> picked_;
    std::optional<Drag> drag_;

    QStringList floors_;
    QString floor_;
    std::string floorKey_;  // floor_ in UTF-8, as the units hold their locations
    // The room of each row on the floor shown, row for row; null for the others.
    std::vector<RoomItem*> rooms_;
    QRectF floorBounds_;  // the rooms' bounds in the scene
    int reachRow_ = -1;   // the row whose room shows its reach

    bool rowsDirty_ = false;      // rows came, went or moved: rooms_ waits for a rebuild
    bool sceneDirty_ = false;     // the scene waits for the pane to show
    bool rebuildPosted_ = false;  // a queued rebuildPending() is on its way
    bool followPending_ = false;  // the selection changed while rows were dirty
};

}  // namespace ui
