#pragma once

#include <QDate>
#include <QDialog>
#include <QLabel>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "project.h"
#include "setting_points.h"

class QComboBox;
class QLineEdit;
class QPrinter;
class QPushButton;
class QSpinBox;
class QTextEdit;

namespace ui {

// The calculation sheet (计算书) of one unit: conditions, calculation, configuration, checks and
// the result table. One builder makes both forms: plain text, one "label：value" line per key
// value, and HTML with the same lines.
class CalculationSheet {
  public:
    // `model` indexes unit.candidates.
    CalculationSheet(const QString& unitName, const QDate& date, const core::UnitConditions& unit,
                     std::size_t model, int points);

    [[nodiscard]] QString plainText() const;
    [[nodiscard]] QString html() const;

  private:
    enum class Kind { Title, Heading, Line, Breach, Table };
    struct Part {
        Kind kind;
        QString text;
        std::vector<QStringList> rows;
    };

    void add(Kind kind, const QString& text) { parts_.push_back({kind, text, {}}); }
    void line(const QString& text) { add(Kind::Line, text); }
    void value(const QString& label, const QString& text) { line(label + u'：' + text); }
    void check(const QString& clause, const QString& value, bool met, const QString& otherwise);
    void requirementLines(const core::UnitConditions& unit);
    void configurationLines(const core::UnitConditions& unit, const core::CandidateModel& m,
                            int points);
    void notes(const core::UnitConditions& unit);
    void modelTable(const core::UnitConditions& unit);

    std::vector<Part> parts_;
};

// The sheet of a configured unit of a project, dated `date`, as HTML: what the project's
// calculation book prints for each unit.
[[nodiscard]] std::function<QString(const core::Unit&, const core::UnitDesign&)> unitSheetHtml(
    const QDate& date);

// Writes the sheet as an A4 PDF. Empty on success, else why the file could not be written.
[[nodiscard]] std::optional<QString> writeSheetPdf(const CalculationSheet& sheet,
                                                   const QString& fileName);

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
    [[nodiscard]] CalculationSheet sheet() const;

    void copySheet();
    void exportPdf();
    void printSheet();
    // Adds the unit, as the dialog shows it, to the project; a model or number of points that the
    // user chose stays chosen, the others follow their defaults there too.
    void addSheetToProject();

    // The unit as a unit of a project: the dialog's name, choices, and chosen model and points.
    [[nodiscard]] core::Unit projectUnit() const;

    // What the dialog asks and tells through other windows; tests replace them. askFileName is
    // given the suggested file in the folder of the last export.
    std::function<QString(const QString& suggested)> askFileName;  // empty: cancelled
    std::function<bool(QPrinter& printer)> askPrinter;             // false: cancelled
    std::function<void(const QString& message)> tell;              // a box titled "提示"
    std::function<QDate()> today = [] { return QDate::currentDate(); };
    // Set by the program: adds a unit to the project window's project and gives its place there
    // from 1, or 0 when it was not added. Without it the dialog has no "加入工程" button.
    std::function<int(const core::Unit& unit)> addToProject;

    QLineEdit* unitName = nullptr;
    QSpinBox* points = nullptr;
    QComboBox* model = nullptr;
    QTextEdit* sheetView = nullptr;
    ElidedLabel* status = nullptr;  // a file's path is also its tool tip
    QPushButton* copyButton = nullptr;
    QPushButton* pdfButton = nullptr;
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

    core::UnitConditions unit_;
    bool pointsEdited_ = false;
    bool modelChosen_ = false;
    bool fitted_ = false;
};

}  // namespace ui
