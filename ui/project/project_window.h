#pragma once

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "project.h"

class QAction;
class QLabel;
class QMenu;
class QTableView;
class QUndoStack;

namespace ui {

class ProjectModel;
class UnitDelegate;

// The window "灭火器配置工程": a building's calculation units in one table, edited in place, with
// undo, the project's files and the figures of the whole project in the status bar.
class ProjectWindow : public QMainWindow {
    Q_OBJECT

  public:
    enum class SaveAnswer : std::uint8_t { Save, Discard, Cancel };

    explicit ProjectWindow(QWidget* parent = nullptr);
    ~ProjectWindow() override;

    // Adds the unit at the end, as one undoable step; selects its row and makes it current.
    // Returns the row.
    int addUnit(const core::Unit& unit);
    [[nodiscard]] const core::Project& project() const;

    // Menus other parts of the program add their actions to (the outputs, the unit calculator).
    [[nodiscard]] QMenu* fileMenu() const { return fileMenu_; }
    [[nodiscard]] QMenu* editMenu() const { return editMenu_; }
    [[nodiscard]] QMenu* toolsMenu() const { return toolsMenu_; }

    [[nodiscard]] ProjectModel* model() const { return model_; }
    [[nodiscard]] QTableView* table() const { return table_; }
    [[nodiscard]] QUndoStack* undoStack() const { return undoStack_; }
    [[nodiscard]] QString statusText() const;

    // 工具 → 单元计算器: opens the single unit's calculator; set by the program.
    std::function<void()> openUnitCalculator;

    // The dialogs, replaceable so that tests answer them without a modal loop.
    // The project's new name; a null string when cancelled.
    std::function<QString(const QString& current)> askProjectName;
    // 保存 / 不保存 / 取消 before unsaved changes are dropped.
    std::function<SaveAnswer()> askSaveChanges;
    // A box titled 提示.
    std::function<void(const QString& text)> showNotice;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    void updateTitle();
    void updateStatus();
    void updateActions();
    [[nodiscard]] std::vector<int> selectedRows() const;
    void selectRows(const std::vector<int>& rows);

    // True when the unsaved changes may be dropped: there are none, the user drops them, or they
    // were saved.
    bool settleChanges();
    bool save();

    void newProject();
    void addNewUnit();
    void duplicateUnits();
    void removeUnits();
    void moveUnits(int delta);
    void renameProject();

    QUndoStack* undoStack_;
    ProjectModel* model_;
    QTableView* table_;
    UnitDelegate* delegate_;
    QLabel* emptyHint_;
    QLabel* status_;
    QString fileName_;

    QMenu* fileMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* toolsMenu_ = nullptr;
    QAction* addAction_ = nullptr;
    QAction* duplicateAction_ = nullptr;
    QAction* removeAction_ = nullptr;
    QAction* upAction_ = nullptr;
    QAction* downAction_ = nullptr;
};

}  // namespace ui
