#pragma once

#include <QDialog>
#include <QString>

#include "dxf_reader.h"
#include "plan_rooms.h"
#include "plan_units.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace ui {

// The dialog 导入平面图: the drawing's unit (as found, and changeable), the location the new units
// get, the layers that hold the rooms (those proposed ticked), and, as they are chosen, how many
// rooms come in and which outlines do not, with the reason; the objects of a CAD program's own
// kinds that cannot be read are counted, with what to do about them.
class PlanImportDialog : public QDialog {
    Q_OBJECT

  public:
    PlanImportDialog(const QString& fileName, io::DxfDrawing drawing, QWidget* parent = nullptr);

    // The rooms of the ticked layers as a project takes them.
    [[nodiscard]] io::PlanImportInput input() const;

    // The widgets, for tests that click and type into them.
    QComboBox* unitBox;
    QLineEdit* floorEdit;
    QTreeWidget* layerList;  // 图层, 闭合轮廓; checkable
    QLabel* summary;
    QTreeWidget* refusedList;  // 图元句柄, 图层, 原因
    QLabel* unreadableNote;    // hidden when every object could be read
    QDialogButtonBox* buttons;
    QPushButton* importButton;  // 导入: only with a room to import

  private:
    [[nodiscard]] QStringList chosenLayers() const;
    [[nodiscard]] io::DrawingUnit chosenUnit() const;
    void refresh();

    QString fileName_;
    io::DxfDrawing drawing_;
    io::PlanRooms rooms_;
};

// "R2000（AC1015）": the CAD release a DXF version comes from.
[[nodiscard]] QString dxfVersionText(const QString& version);

}  // namespace ui
