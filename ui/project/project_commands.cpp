#include "project_commands.h"

#include "project_model.h"

namespace ui {

ReplaceUnitCommand::ReplaceUnitCommand(ProjectModel* model, int row, core::Unit before,
                                       core::Unit after, const QString& text, QUndoCommand* parent)
    : QUndoCommand(text, parent),
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
                                 std::vector<std::pair<int, core::Unit>> rows, const QString& text,
                                 QUndoCommand* parent)
    : QUndoCommand(text, parent), model_(model), kind_(kind), rows_(std::move(rows)) {}

void UnitRowsCommand::redo() {
    kind_ == Kind::Insert ? insert() : remove();
}

void UnitRowsCommand::undo() {
    kind_ == Kind::Insert ? remove() : insert();
}

// The runs of consecutive rows, as [first, last) indices into rows_.
std::vector<std::pair<std::size_t, std::size_t>> UnitRowsCommand::runs() const {
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    for (std::size_t i = 0; i < rows_.size();) {
        std::size_t end = i + 1;
        while (end < rows_.size() && rows_[end].first == rows_[end - 1].first + 1) {
            ++end;
        }
        runs.emplace_back(i, end);
        i = end;
    }
    return runs;
}

void UnitRowsCommand::insert() {
    // Ascending: each run lands on its final rows once those above it are in place.
    for (const auto& [first, end] : runs()) {
        std::vector<core::Unit> units;
        units.reserve(end - first);
        for (std::size_t i = first; i < end; ++i) {
            units.push_back(rows_[i].second);
        }
        model_->insertUnits(rows_[first].first, units);
    }
}

void UnitRowsCommand::remove() {
    // Descending, so that the runs still to go keep their rows.
    const auto all = runs();
    for (auto run = all.rbegin(); run != all.rend(); ++run) {
        model_->removeUnits(rows_[run->first].first, static_cast<int>(run->second - run->first));
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

ProjectDetailsCommand::ProjectDetailsCommand(ProjectModel* model, ProjectDetails before,
                                             ProjectDetails after)
    : QUndoCommand(QStringLiteral("工程信息")),
      model_(model),
      before_(std::move(before)),
      after_(std::move(after)) {}

void ProjectDetailsCommand::redo() {
    model_->setDetails(after_);
}

void ProjectDetailsCommand::undo() {
    model_->setDetails(before_);
}

DoorsCommand::DoorsCommand(ProjectModel* model, const core::Project& before,
                           const core::Project& after, QUndoCommand* parent)
    : QUndoCommand(QStringLiteral("门"), parent),
      model_(model),
      before_(before.doors),
      after_(after.doors),
      floorsBefore_(before.floors),
      floorsAfter_(after.floors) {}

void DoorsCommand::redo() {
    model_->setDoors(after_, floorsAfter_);
}

void DoorsCommand::undo() {
    model_->setDoors(before_, floorsBefore_);
}

}  // namespace ui
