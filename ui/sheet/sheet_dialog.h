#pragma once

#include <QDate>
#include <QDialog>
#include <QLabel>
#include <QString>
#include <functional>

#include "project.h"
#include "setting_points.h"
#include "unit_sheet.h"

class QComboBox;
class QLineEdit;
class QPrintPreviewDialog;
class QPrinter;
class QPushButton;
class QSpinBox;
class QTextEdit;

namespace ui {

// A one-line label that never widens its window: a text too long for its width is drawn elided
// in the middle, and text() keeps it whole.
class ElidedLabel : public QLabel {
  public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // The text as it is drawn.
    [[nodiscard]] QString shownText() const;

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// The dialog "灭火器配置计算书": the unit's name, the number of setting points and the model on
// top, the sheet below, updated as they change. Open it with open(): it is window-modal.
class CalculationSheetDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CalculationSheetDialog(core::UnitConditions unit, QWidget* parent = nullptr);

    // The sheet as the inputs stand, dated today().
    [[nodiscard]] documents::CalculationSheet sheet() const;

    void copySheet();
    void exportPdf();
    void printSheet();
    void previewSheet();
    // Adds the unit, as the dialog shows it, to the project; a model or number of points that the
    // user chose stays chosen, the others follow their defaults there too.
    void addSheetToProject();

    // The unit as a unit of a project: the dialog's name, choices, and chosen model and points.
    [[nodiscard]] core::Unit projectUnit() const;

    // What the dialog asks and tells through other windows; tests replace them. askFileName is
    // given the suggested file in the folder of the last export.
    std::function<QString(const QString& suggested)> askFileName;   // empty: cancelled
    std::function<bool(QPrinter& printer)> askPrinter;              // false: cancelled
    std::function<void(QPrintPreviewDialog& preview)> showPreview;  // by default modal
    std::function<void(const QString& message)> tell;               // a box titled "提示"
    std::function<QDate()> today = [] { return QDate::currentDate(); };
    // Set by the program: adds a unit to the project window's project and gives its place there
    // from 1, or 0 when it was not added. Without it the dialog has no "加入工程" button.
    std::function<int(const core::Unit& unit)> addToProject;
    // Set by the program: the place from 1 of a unit of the project equal to this one, 0 when
    // there is none. The button then reads "再次加入": adding it again is a deliberate choice.
    std::function<int(const core::Unit& unit)> placeInProject;

    QLineEdit* unitName = nullptr;
    QSpinBox* points = nullptr;
    QComboBox* model = nullptr;
    QTextEdit* sheetView = nullptr;
    ElidedLabel* status = nullptr;  // a file's path is also its tool tip
    QPushButton* copyButton = nullptr;
    QPushButton* pdfButton = nullptr;
    QPushButton* previewButton = nullptr;
    QPushButton* printButton = nullptr;
    QPushButton* closeButton = nullptr;
    QPushButton* projectButton = nullptr;  // "加入工程"

  protected:
    // The sheet is dated the day the dialog is shown. The first time, the dialog takes the size
    // it asks for, as far as the screen has room for it.
    void showEvent(QShowEvent* event) override;

  private:
    void fitToScreen();
    void nameEdited(const QString& text);
    void modelChanged();
    void showSheet();
    void showStatus(const QString& text);
    void showExported(const QString& path);
    void showPlaceInProject();

    core::UnitConditions unit_;
    bool pointsEdited_ = false;
    bool modelChosen_ = false;
    bool fitted_ = false;
};

}  // namespace ui
