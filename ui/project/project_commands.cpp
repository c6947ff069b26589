#include "project_commands.h"

#include "project_model.h"

namespace ui {

ReplaceUnitCommand::ReplaceUnitCommand(ProjectModel* model, int row, core::Unit before,
                                       core::Unit after, const QString& text)
    : QUndoCommand(text),
      model_(model),
      row_(row),
      before_(std::move(before)),
      after_(std::move(after)) {}

void ReplaceUnitCommand::redo() {
    model_->replaceUnit(row_, after_);
}

void ReplaceUnitCommand::undo() {
    model_->replaceUnit(row_, before_);
}

UnitRowsCommand::UnitRowsCommand(ProjectModel* model, Kind kind,
                                 std::vector<std::pair<int, core::Unit>> rows, const QString& text)
    : QUndoCommand(text), model_(model), kind_(kind), rows_(std::move(rows)) {}

void UnitRowsCommand::redo() {
    kind_ == Kind::Insert ? insert() : remove();
}

void UnitRowsCommand::undo() {
    kind_ == Kind::Insert ? remove() : insert();
}

void UnitRowsCommand::insert() {
    // Ascending: each unit lands on its final row once those above it are in place.
    for (const auto& [row, unit] : rows_) {
        model_->insertUnit(row, unit);
    }
}

void UnitRowsCommand::remove() {
    // Descending, so that the rows still to go keep their numbers.
    for (auto entry = rows_.rbegin(); entry != rows_.rend(); ++entry) {
        model_->removeUnit(entry->first);
    }
}

MoveUnitsCommand::MoveUnitsCommand(ProjectModel* model, std::vector<int> rows, int delta,
                                   const QString& text)
    : QUndoCommand(text), model_(model), rows_(std::move(rows)), delta_(delta) {}

void MoveUnitsCommand::shift(ProjectModel* model, const std::vector<int>& rows, int delta) {
    // Moving up, the top row goes first; moving down, the bottom one, so that no unit moved
    // passes over another one of the set.
    if (delta < 0) {
        for (const int row : rows) {
            model->moveUnit(row, row + delta);
        }
    } else {
        for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
            model->moveUnit(*row, *row + delta);
        }
    }
}

void MoveUnitsCommand::redo() {
    shift(model_, rows_, delta_);
}

void MoveUnitsCommand::undo() {
    std::vector<int> moved;
    moved.reserve(rows_.size());
    for (const int row : rows_) {
        moved.push_back(row + delta_);
    }
    shift(model_, moved, -delta_);
}

RenameProjectCommand::RenameProjectCommand(ProjectModel* model, std::string before,
                                           std::string after)
    : QUndoCommand(QStringLiteral("工程名称")),
      model_(model),
      before_(std::move(before)),
      after_(std::move(after)) {}

void RenameProjectCommand::redo() {
    model_->setProjectName(after_);
}

void RenameProjectCommand::undo() {
    model_->setProjectName(before_);
}

}  // namespace ui
