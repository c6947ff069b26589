#pragma once

#include <QUndoCommand>
#include <string>
#include <utility>
#include <vector>

#include "project.h"
#include "project_model.h"

namespace ui {

// The changes a project can undergo, each one step of the window's undo stack.

// One unit replaced whole: every edit of a cell.
class ReplaceUnitCommand : public QUndoCommand {
  public:
    // A parent makes it part of that command's step.
    ReplaceUnitCommand(ProjectModel* model, int row, core::Unit before, core::Unit after,
                       const QString& text, QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;

  private:
    ProjectModel* model_;
    int row_;
    core::Unit before_;
    core::Unit after_;
};

// Units added at, or removed from, their rows. The rows are those the units hold in the longer
// list (after adding, before removing), in ascending order.
class UnitRowsCommand : public QUndoCommand {
  public:
    enum class Kind : bool { Insert, Remove };
    UnitRowsCommand(ProjectModel* model, Kind kind, std::vector<std::pair<int, core::Unit>> rows,
                    const QString& text, QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;

  private:
    void insert();
    void remove();
    [[nodiscard]] std::vector<std::pair<std::size_t, std::size_t>> runs() const;

    ProjectModel* model_;
    Kind kind_;
    std::vector<std::pair<int, core::Unit>> rows_;
};

// Units moved one row up (delta -1) or down (+1); `rows` ascending, none at the edge it moves to.
class MoveUnitsCommand : public QUndoCommand {
  public:
    MoveUnitsCommand(ProjectModel* model, std::vector<int> rows, int delta, const QString& text);
    void redo() override;
    void undo() override;

  private:
    static void shift(ProjectModel* model, const std::vector<int>& rows, int delta);

    ProjectModel* model_;
    std::vector<int> rows_;
    int delta_;
};

// The project's name and info, all edited in one step.
class ProjectDetailsCommand : public QUndoCommand {
  public:
    ProjectDetailsCommand(ProjectModel* model, ProjectDetails before, ProjectDetails after);
    void redo() override;
    void undo() override;

  private:
    ProjectModel* model_;
    ProjectDetails before_;
    ProjectDetails after_;
};

// The project's doors and floor outlines replaced, as an import of a drawing replaces those of its
// floor.
class DoorsCommand : public QUndoCommand {
  public:
    DoorsCommand(ProjectModel* model, const core::Project& before, const core::Project& after,
                 QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;

  private:
    ProjectModel* model_;
    std::vector<core::PlanDoor> before_;
    std::vector<core::PlanDoor> after_;
    std::vector<core::PlanFloor> floorsBefore_;
    std::vector<core::PlanFloor> floorsAfter_;
};

}  // namespace ui
