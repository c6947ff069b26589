#pragma once

#include <QDialog>
#include <QString>
#include <cstddef>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "dxf_reader.h"
#include "plan_rooms.h"
#include "plan_units.h"

class QComboBox;
class QDialogButtonBox;
class QGraphicsPathItem;
class QGraphicsScene;
class QGraphicsView;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace ui {

// The dialog 导入平面图: the drawing's unit (as found, and changeable), the floor (the location the
// new units get, and which units of the drawing its rooms may be), the layers that hold the rooms
// (those proposed ticked; none where no layer is named for rooms), and, as they are chosen, how
// many rooms come in and which outlines do not, with the reason; rooms implausibly small or large
// for the unit, with the unit that would suit them; a drawing without outlines, with what it holds
// instead; the objects of a CAD program's own kinds that cannot be read, with what to do.
//
// It reads the rooms in one of two ways, proposed by the layers the drawing has: from the closed
// outlines of the ticked layers (按房间轮廓), or from the walls of the ticked wall layers, with
// the doors in them and the closed outlines of the ticked door layers (由墙线识别房间); in the
// second way the outlines of ticked layers come in too. A preview draws the rooms found (those
// left out greyed), the door openings and the gaps closed without a door; a room is left out by
// unticking it in the list beside the preview or by clicking it there. On a large drawing the rooms
// are found away from the window, which stays usable meanwhile, and 停止 abandons the search.
class PlanImportDialog : public QDialog {
    Q_OBJECT

  public:
    enum Mode { FromOutlines, FromWalls };
    // The layers' lines and outlines above which the rooms are found in the background.
    static inline std::size_t backgroundAbove = 50'000;

    // `floor`: where the drawing went last time; empty: its base name.
    PlanImportDialog(const QString& fileName, io::DxfDrawing drawing, const QString& floor,
                     QWidget* parent = nullptr);

    // The rooms of the ticked layers as a project takes them.
    [[nodiscard]] io::PlanImportInput input() const;

    // The widgets, for tests that click and type into them.
    QComboBox* unitBox;
    QLineEdit* floorEdit;
    QComboBox* modeBox;  // 按房间轮廓, 由墙线识别房间: the Mode
    // 图层, 闭合轮廓 (ticked: outlines of rooms), 线条 (ticked: walls), 门 (ticked: door outlines);
    // the last two in the walls' mode only.
    QTreeWidget* layerList;
    QGraphicsView* preview;
    QListWidget*
        roomList;        // the rooms found, ticked to import; then the gaps closed without a door
    QProgressBar* busy;  // while the rooms are found in the background
    QPushButton* stopButton;
    QLabel* summary;
    QTreeWidget* refusedList;  // 图元句柄, 图层, 原因
    QLabel* unreadableNote;    // hidden when every object could be read
    QLabel* unitWarning;       // the rooms implausible for the unit; hidden when they are not
    QPushButton* unitSwitch;   // 改按…计: to the unit that suits them; hidden with the warning
    QDialogButtonBox* buttons;
    QPushButton* importButton;  // 导入: only with a room to import

    // The columns of layerList.
    enum Column { LayerName, Outlines, Lines, Doors };

  private:
    [[nodiscard]] QStringList chosenLayers(Column column) const;
    [[nodiscard]] io::DrawingUnit chosenUnit() const;
    [[nodiscard]] Mode mode() const;
    [[nodiscard]] bool roomTicked(std::size_t room) const;
    void showMode();
    void refresh();
    void stop();
    void showRooms(io::PlanRooms rooms);
    void drawPreview();
    void summarise();
    void toggleRoom(std::size_t room);
    void showTicked(std::size_t room);  // its look in the preview

    QString fileName_;
    std::shared_ptr<const io::DxfDrawing> drawing_;
    std::size_t size_ = 0;  // the lines and outlines of its layers
    QGraphicsScene* scene_;
    std::vector<QGraphicsPathItem*> roomItems_;  // in the order of the rooms
    io::PlanRooms rooms_;
    // The rooms left out, by name and outline, kept as the layers or the unit change.
    std::set<std::string> leftOut_;
    int search_ = 0;  // the search whose rooms are awaited; a later one abandons it
};

// "R2000（AC1015）": the CAD release a DXF version comes from.
[[nodiscard]] QString dxfVersionText(const QString& version);

}  // namespace ui
