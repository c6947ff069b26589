#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "dxf_reader.h"
#include "plan_units.h"
#include "project.h"
#include "project_file_life.h"
#include "project_model.h"
#include "recovery_copy.h"
#include "unit_table.h"

class QAbstractItemView;
class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QTableView;
class QUndoStack;

namespace ui {

class PlanView;
class UnitDelegate;

// The window "灭火器配置工程": a building's calculation units in one table, edited in place, with
// undo, the project's files and the figures of the whole project in the status bar. It asks the
// file's questions for ProjectFileLife.
class ProjectWindow : public QMainWindow, public FileQuestions {
    Q_OBJECT

  public:
    explicit ProjectWindow(QWidget* parent = nullptr);
    ~ProjectWindow() override;

    // Adds the unit at the end, as one undoable step; selects its row and makes it current.
    // Returns the row, or -1 for a unit a project cannot keep or a read-only project (told in a
    // box titled 提示).
    int addUnit(const core::Unit& unit);
    [[nodiscard]] const core::Project& project() const;

    // Opens the project file in this window, once its unsaved changes are settled. A file that
    // cannot be read is told in a box titled 提示 and the open project stays; a file another
    // window holds may be opened read-only: nothing in it can be edited until it is saved under
    // another name. False when nothing was opened.
    bool openFile(const QString& fileName);
    // The file's own path, symbolic links resolved (canonical), empty for a new project.
    [[nodiscard]] QString fileName() const { return file_->fileName(); }
    [[nodiscard]] bool isReadOnly() const { return readOnly_; }
    // Offers the recovery copies that instances which ended without closing left behind:
    // 恢复 takes the first one chosen into this window, 放弃 deletes it. The program does it
    // once, as it starts, before it opens any file. True when a copy was restored.
    bool offerRecoveryCopies();
    // Ends the edit of the cell whose editor is open, taking its value, before the project is
    // saved, handed out or closed. False when the value cannot be taken: the editor stays open
    // and says why, as does the status bar.
    bool commitEdit();
    // Adds actions to the 文件 menu, above 关闭 (the project's outputs).
    void addFileActions(const QList<QAction*>& actions);

    // Menus other parts of the program add their actions to (the outputs, the unit calculator).
    [[nodiscard]] QMenu* fileMenu() const { return fileMenu_; }
    [[nodiscard]] QMenu* editMenu() const { return editMenu_; }
    [[nodiscard]] QMenu* toolsMenu() const { return toolsMenu_; }
    [[nodiscard]] QMenu* viewMenu() const { return viewMenu_; }

    [[nodiscard]] ProjectModel* model() const { return model_; }
    [[nodiscard]] QTableView* table() const { return table_; }
    // The floor plan beside the table; shown while 查看 → 平面图 is ticked and a unit has an
    // outline.
    [[nodiscard]] PlanView* planView() const { return planView_; }
    [[nodiscard]] QUndoStack* undoStack() const { return undoStack_; }
    [[nodiscard]] QString statusText() const;

    // 工具 → 单元计算器: opens the single unit's calculator; set by the program.
    std::function<void()> openUnitCalculator;

    // The dialogs, replaceable so that tests answer them without a modal loop.
    // 工程信息: the project's name and info as edited; empty when cancelled.
    std::function<std::optional<ProjectDetails>(const ProjectDetails& current)> askProjectDetails;
    // Those of the file's life (FileQuestions), and:
    // 导入平面图(DXF): the drawing to import, an empty string when cancelled; then the rooms to
    // import from it (the import dialog, proposing `floor`, where a drawing of that name went
    // last, if any), none when cancelled; then, where units imported before would change, whether
    // to change them (`text` says which).
    std::function<QString()> askPlanFileName;
    std::function<std::optional<io::PlanImportInput>(
        const QString& fileName, const io::DxfDrawing& drawing, const QString& floor)>
        askPlanImport;
    std::function<bool(const QString& text)> askUpdateUnits;
    // Then, where units placed before changed so that their points no longer reach the whole
    // outline, whether to place them again (`text` says how many).
    std::function<bool(const QString& text)> askReplace;

    // 文件 → 导入平面图(DXF): the rooms of a drawing added to the project, and those imported from
    // it before brought up to date, as one undoable step; units whose placed points no longer
    // cover their new outline are placed again, once the user agrees, as a step of its own. The
    // rows imported are selected.
    void importPlan();

    // 工具 → 布置设置点 (and the plan's context menu): setting points placed in the outlines of
    // the selected units for their R, as one undoable step; 取消 in the progress dialog changes
    // nothing. Units that cannot be configured, need more than core::kMaxPoints points, or whose
    // points cannot reach every part of the room are named in a notice.
    void placeSettingPoints();
    [[nodiscard]] QAction* placeAction() const { return placeAction_; }
    // 重新布置 (the plan's context menu): the points of the unit of the room under the click,
    // those set by hand too, cleared and placed afresh as 布置设置点 places them, as one undoable
    // step, once the user agrees (`text` says what goes).
    std::function<bool(const QString& text)> askPlaceAfresh;
    void placeAfresh();
    // Placing expected to take longer than this shows its progress, with 取消.
    int placingProgressAfterMs = 400;
    // Reading a drawing that takes longer than this shows that it is being read, with 取消.
    int readingProgressAfterMs = 400;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    void updateTitle();
    void updateStatus();
    void updateActions();
    [[nodiscard]] std::vector<int> selectedRows() const;
    void selectRows(const std::vector<int>& rows);
    // The project takes edits or not, as the file's life says after each open, save as, restore
    // or new project.
    void setReadOnly(bool readOnly);
    // The dialogs' parent: none while the window is not shown (the recovery offer at start).
    [[nodiscard]] QWidget* dialogParent();

    void addNewUnit();
    void duplicateUnits();
    void removeUnits();
    void moveUnits(int delta);
    // 合并为组合单元: the selected units made one combined unit, as one step, which is selected;
    // units that cannot be combined are told why in a box. 拆分组合单元: the selected combined
    // units taken apart into their rooms, as one step; the rooms are selected.
    void combineUnits();
    void splitUnits();
    // The table's context menu at a point of `view`'s viewport (the table's or its leading
    // columns').
    void showTableMenu(const QAbstractItemView* view, QPoint pos);
    void editDetails();
    // 查看 → 平面图 ticked or not: remembered in the settings.
    void showPlan(bool shown);
    // The window's size, the split and the column widths as last closed (remembered in the
    // settings); at first, the window fits the screen's free area.
    void restoreLayout();
    void saveLayout();
    void updatePlanPane();
    // Places the setting points of the units of `rows` (each with an outline), as one step;
    // `afresh`, as if they had none.
    void placeRows(const std::vector<int>& rows, bool afresh = false);

    QUndoStack* undoStack_;
    ProjectModel* model_;
    UnitTable* table_;
    UnitDelegate* delegate_;
    QLabel* emptyHint_;
    PlanView* planView_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QLabel* status_;
    // Opened, saved, locked and kept in a recovery copy by its own class; the window only calls it.
    std::unique_ptr<ProjectFileLife> file_;
    bool readOnly_ = false;  // as the file's life says: the project takes no edit
    QAction* closeSeparator_ = nullptr;
    QMenu* recentMenu_ = nullptr;

    QMenu* fileMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* toolsMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QAction* planAction_ = nullptr;
    QAction* addAction_ = nullptr;
    QAction* duplicateAction_ = nullptr;
    QAction* removeAction_ = nullptr;
    QAction* upAction_ = nullptr;
    QAction* downAction_ = nullptr;
    QAction* combineAction_ = nullptr;
    QAction* splitAction_ = nullptr;
    QMenu* tableMenu_ = nullptr;
    QAction* detailsAction_ = nullptr;
    QAction* importPlanAction_ = nullptr;
    QAction* placeAction_ = nullptr;
    QAction* placeAfreshAction_ = nullptr;
};

}  // namespace ui
