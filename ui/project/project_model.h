#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "project.h"

class QUndoStack;

namespace ui {

// The red of a unit that breaks a check or cannot be configured: the 校核 column's text, and the
// unit's room on the plan.
inline const QColor kCheckFailedColor{0xb0, 0x1c, 0x1c};

// The project's name and what the book's cover and signature block carry: what the dialog
// 工程信息 edits, as one step.
struct ProjectDetails {
    std::string name;
    core::ProjectInfo info = {};

    friend bool operator==(const ProjectDetails&, const ProjectDetails&) = default;
};

// The units of a project as a table: one row per unit, its inputs and what core::design()
// derives from them. The derived values are kept per row only as a cache of design(), worked out
// again for the row whose unit changes.
//
// Edits made through setData() go onto the undo stack as commands; the commands then change the
// project through the replace/insert/remove/move functions below, which do not touch the stack.
class ProjectModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column : std::uint8_t {
        Number,     // 序号
        Location,   // 位置
        Name,       // 计算单元
        FireClass,  // 火灾种类
        Hazard,     // 危险等级
        Factor,     // 修正系数K
        Building,   // 场所类别
        Area,       // 保护面积(m²)
        Agent,      // 灭火器类型
        Required,   // Q
        Design,     // 设计需配灭火级别
        Model,      // 选用灭火器
        Points,     // 设置点数
        PerPoint,   // 每点数量
        Total,      // 灭火器总数
        Provided,   // 实配灭火级别
        Check,      // 校核
        ColumnCount
    };

    // The whole project's figures, for the status bar.
    struct Summary {
        int units = 0;
        std::int64_t extinguishers = 0;
        int breaching = 0;       // configured, with a check not met
        int unconfigurable = 0;  // no configuration
    };

    explicit ProjectModel(QUndoStack* undoStack, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Pushes the edit onto the undo stack; a value the unit has already makes no step. Refuses a
    // value the unit cannot take: class D, an agent the class rules out, an area out of
    // 0..kMaxUnitArea, N out of 1..kMaxPoints, a model not among the unit's adequate models, a
    // name or location longer than kMaxNameLength. An empty model or N puts back the default.
    // Refuses every edit while read-only.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // The same edit of `column` made to the units of `rows`, as one undo step; units that already
    // have the value make no change. Returns the names of the units that cannot take the value
    // (as setData() refuses it), which stay as they are.
    QStringList setDataOfRows(const std::vector<int>& rows, int column, const QVariant& value);

    // A read-only project (its file held by another window) has no editable cell.
    void setReadOnly(bool readOnly);
    [[nodiscard]] bool isReadOnly() const { return readOnly_; }

    [[nodiscard]] const core::Project& project() const { return project_; }
    [[nodiscard]] const core::Unit& unit(int row) const;
    [[nodiscard]] const core::UnitDesign& unitDesign(int row) const;
    // The unit cannot be configured, or breaks a check: its 校核 reads in kCheckFailedColor.
    [[nodiscard]] bool checkFails(int row) const;
    // While a setting point of the row's unit is dragged on the plan, its 校核 reads as the proof
    // of its points would with the point where it is now (`proven`), the unit itself unchanged;
    // endPreview() puts it back. Only the 校核 cell tells of it.
    void previewCover(int row, bool proven);
    void endPreview();
    [[nodiscard]] Summary summary() const;

    // Direct changes, for the undo commands and for loading a project.
    void setProject(core::Project project);
    void replaceUnit(int row, const core::Unit& unit);
    // A block of units added from `row` on, or `count` units removed from `row` on: one change of
    // the rows each, however many units.
    void insertUnits(int row, std::span<const core::Unit> units);
    void removeUnits(int row, int count);
    void moveUnit(int from, int to);
    void setDetails(const ProjectDetails& details);
    // The doors and the outlines round the floors of the drawings imported.
    void setDoors(std::vector<core::PlanDoor> doors, std::vector<core::PlanFloor> floors);
    [[nodiscard]] ProjectDetails details() const { return {project_.name, project_.info}; }

    // The unit with one input changed as the table edits it: a fire class that rules out the
    // agent moves it to ammonium-phosphate powder, and a model that is no longer among the
    // adequate models gives way to the default. Empty when the value cannot be taken.
    [[nodiscard]] static std::optional<core::Unit> edited(const core::Unit& unit, int column,
                                                          const QVariant& value);

  signals:
    // The name or info changed (the whole project too).
    void detailsChanged();
    // The doors changed (not with the whole project, which resets the model).
    void doorsChanged();

  private:
    core::Project project_;
    std::vector<core::UnitDesign> designs_;  // design() of each unit, row for row
    // The design shown for a row while its point is dragged (previewCover()); -1 for none.
    int previewRow_ = -1;
    core::UnitDesign preview_;
    QUndoStack* undoStack_;
    bool readOnly_ = false;
};

}  // namespace ui
