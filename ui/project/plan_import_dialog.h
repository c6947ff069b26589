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

// The dialog 导入平面图: the drawing's unit (as found, and changeable), the floor (the location the
// new units get, and which units of the drawing its rooms may be), the layers that hold the rooms
// (those proposed ticked; none where no layer is named for rooms), and, as they are chosen, how
// many rooms come in and which outlines do not, with the reason; rooms implausibly small or large
// for the unit, with the unit that would suit them; a drawing without outlines, with what it holds
// instead; the objects of a CAD program's own kinds that cannot be read, with what to do.
class PlanImportDialog : public QDialog {
    Q_OBJECT

  public:
    // `floor`: where the drawing went last time; empty: its base name.
    PlanImportDialog(const QString& fileName, io::DxfDrawing drawing, const QString& floor,
                     QWidget* parent = nullptr);

    // The rooms of the ticked layers as a project takes them.
    [[nodiscard]] io::PlanImportInput input() const;

    // The widgets, for tests that click and type into them.
    QComboBox* unitBox;
    QLineEdit* floorEdit;
    QTreeWidget* layerList;  // 图层, 闭合轮廓; checkable
    QLabel* summary;
    QTreeWidget* refusedList;  // 图元句柄, 图层, 原因
    QLabel* unreadableNote;    // hidden when every object could be read
    QLabel* unitWarning;       // the rooms implausible for the unit; hidden when they are not
    QPushButton* unitSwitch;   // 改按…计: to the unit that suits them; hidden with the warning
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
