#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "calculation.h"
#include "grid_widget.h"
#include "options.h"
#include "project.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QAction;
class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The calculator window. Its option buttons and area box are the record of the choices; every
// handler reads them afresh, and each event ends with one calculation drawn into the grid. The
// handlers keep the names the window's events have always had; they answer the user's choices
// only, as the program sets its buttons with their signals blocked.
class torva : public QWidget {
    Q_OBJECT
  public:
    using Options = std::map<std::int16_t, QRadioButton*>;

    // The caption: title, 16 blanks and the bracketed credit.
    static const QString kCaption;

    explicit torva(QWidget* parent = nullptr);
    ~torva() override;
    torva(const torva&) = delete;
    torva& operator=(const torva&) = delete;

    // Loads the window: caption, saved choices, grid sizes and the first table.
    void Form_Load();
    // Saves the choices when the check box is ticked, and the check box state always. A save that
    // fails is told, with the choice to retry, to close without saving, or to stay (Cancel).
    void Form_Unload(bool& Cancel);

    // Fire class, hazard level or K chosen: the agents follow the fire class, class D answers
    // with its message and returns to class A; then the result is shown.
    void Op1_Click(std::int16_t Index);
    // Agent type or building category chosen: the result is shown.
    void Op_Click(std::int16_t Index);
    // An agent type or building category lost the focus: the grid is brought in line with the
    // choices if they changed since it was drawn.
    void Op_LostFocus(std::int16_t Index);
    // The area box finished its edit: the result is shown.
    void tx_LostFocus();
    void tx_MouseMove();

    void fa_EnterCell();
    void fa_LeaveCell();
    void fa_MouseDown();
    void fa_MouseUp();
    void fa_MouseMove();

    // Controls, by the names the handlers use.
    std::array<QGroupBox*, 5> Frame1{};
    Options Op1;
    Options Op;
    QLineEdit* tx = nullptr;
    QCheckBox* Check1 = nullptr;
    std::array<QLabel*, 2> Label1{};
    grid::GridWidget* fa = nullptr;
    // The calculation sheet of the shown result, and the grid's copies of its table.
    QPushButton* sheetButton = nullptr;
    QPushButton* projectButton = nullptr;  // "工程…": opens the project window, or raises it
    // Under the grid: where GB 55036-2022 10.0.3 sizes the configuration above the grid's Q.
    QLabel* areaRuleLine = nullptr;
    QAction* copyTableAction = nullptr;
    QAction* sheetAction = nullptr;
    QAction* copyCellsAction = nullptr;  // Ctrl+C in the grid: the selection or the current cell

    // The choices as the option buttons and the area box hold them now; the area is read by its
    // leading number, one beyond the double range as infinite.
    [[nodiscard]] core::Choices choices() const;

    // Set by the program: opens or raises the project window, adds a unit to its project,
    // giving the unit's place in it from 1 (0 when the unit was not added), and finds the place
    // of a unit equal to it (0 when there is none).
    std::function<void()> openProject;
    std::function<int(const core::Unit&)> addToProject;
    std::function<int(const core::Unit&)> placeInProject;

  signals:
    // A result was calculated and drawn into the grid.
    void resultShown();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Cell {
        int row = 0;
        int col = 0;
        friend bool operator==(const Cell&, const Cell&) = default;
    };

    void buildControls();
    void makeOptions(const ui::OptionSpec* options, std::size_t count, Options& buttons,
                     bool fireArray);
    [[nodiscard]] ui::GroupChoices selectedOptions() const;
    void selectQuietly(QRadioButton* button);
    void bringAgentsIntoLine(core::FireClass fireClass);
    void showResult();
    void showClassDMessage();
    void openCalculationSheet();
    void copyCells(int row1, int col1, int row2, int col2);
    void copySelection();
    void showAreaReading(const QString& text);
    void updateSheetButton();
    void showAreaRule(const std::optional<core::Choices>& choices);

    std::array<QButtonGroup*, ui::kGroups> groups_{};
    std::optional<core::Choices> shown_;  // the choices the grid shows
    bool unloaded_ = false;
    QString areaNote_;  // how the area text is read when only its start is a number

    Cell pressed_;
    Cell released_;
    Cell hovered_;
};
