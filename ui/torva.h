#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <map>
#include <memory>

#include "calculator.h"
#include "grid_store.h"
#include "grid_widget.h"
#include "selection.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSettings;

// The calculator window. Its option buttons, area box and check box are bound to the core's
// selection state; its grid draws the core's grid store. The handlers keep the names the
// window's events have always had.
class torva : public QWidget {
    Q_OBJECT
  public:
    // The caption: title, 16 blanks and the bracketed credit.
    static const QString kCaption;

    explicit torva(QWidget* parent = nullptr);
    ~torva() override;
    torva(const torva&) = delete;
    torva& operator=(const torva&) = delete;

    // Loads the window: caption, saved choices, grid sizes and the first table.
    void Form_Load();
    // Saves the choices when the check box is ticked, and the check box state always.
    void Form_Unload();

    void Op1_Click(std::int16_t Index);
    void Op_Click(std::int16_t Index);
    void Op_LostFocus(std::int16_t Index);
    void tx_LostFocus();
    void tx_MouseMove();

    void fa_EnterCell();
    void fa_LeaveCell();
    void fa_MouseDown();
    void fa_MouseUp();
    void fa_MouseMove();

    // Controls, by the names the handlers use.
    std::array<QGroupBox*, 5> Frame1{};
    std::map<std::int16_t, QRadioButton*> Op1;
    std::map<std::int16_t, QRadioButton*> Op;
    QLineEdit* tx = nullptr;
    QCheckBox* Check1 = nullptr;
    std::array<QLabel*, 2> Label1{};
    grid::GridWidget* fa = nullptr;

    [[nodiscard]] const core::Selection& selection() const { return selection_; }
    [[nodiscard]] const grid::GridStore& store() const { return store_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct CellPosition16 {
        std::int16_t row = 0;
        std::int16_t col = 0;
    };
    struct CellPosition32 {
        int row = 0;
        int col = 0;
    };

    void buildControls();
    void bindOptions(core::OptionArray& array, std::map<std::int16_t, QRadioButton*>& buttons);
    void showOption(const core::OptionArray& array,
                    const std::map<std::int16_t, QRadioButton*>& buttons, std::int16_t index);
    void showClassDMessage();
    void restoreOption(QSettings& settings, core::OptionArray& array, std::int16_t index,
                       const std::string& key);

    core::Selection selection_;
    grid::GridStore store_;
    core::Calculator calc_;
    bool unloaded_ = false;

    CellPosition16 pressed_;
    CellPosition16 released_;
    CellPosition32 hovered_;
};

namespace ui {

// Where the saved choices live: the registry on Windows, an INI file in the user's
// configuration folder elsewhere.
[[nodiscard]] std::unique_ptr<QSettings> openSettings();

// Qt's own texts (message box buttons, context menus) in Simplified Chinese whatever the
// system's language.
void useChineseTexts();

}  // namespace ui
