#include "grid_accessible.h"

#include <QAccessibleInterface>
#include <algorithm>

#include "grid_widget.h"

namespace grid {

namespace {

// One cell, or the merged block whose top-left cell it is, as a screen reader meets it.
class CellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
  public:
    CellAccessible(GridWidget* grid, const CellSpan& block)
        : grid_(grid), row_(block.row), col_(block.col) {}

    [[nodiscard]] bool isValid() const override {
        return grid_ != nullptr && grid_->store().contains(row_, col_);
    }
    [[nodiscard]] QObject* object() const override { return nullptr; }
    [[nodiscard]] QWindow* window() const override { return table()->window(); }
    [[nodiscard]] QAccessibleInterface* parent() const override { return table(); }
    [[nodiscard]] QAccessibleInterface* child(int) const override { return nullptr; }
    [[nodiscard]] int childCount() const override { return 0; }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    [[nodiscard]] QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface* focusChild() const override { return nullptr; }

    [[nodiscard]] QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid()) {
            return {};
        }
        return QString::fromStdString(grid_->store().TextMatrix(row_, col_)).trimmed();
    }
    void setText(QAccessible::Text, const QString&) override {}

    [[nodiscard]] QRect rect() const override {
        const QRect r = grid_->visualRect(grid_->model()->index(row_, col_));
        return QRect(grid_->viewport()->mapToGlobal(r.topLeft()), r.size());
    }

    [[nodiscard]] QAccessible::Role role() const override {
        if (row_ < grid_->store().fixedRows()) {
            return QAccessible::ColumnHeader;
        }
        return col_ < grid_->store().fixedCols() ? QAccessible::RowHeader : QAccessible::Cell;
    }

    [[nodiscard]] QAccessible::State state() const override {
        QAccessible::State s;
        const QRect onScreen = grid_->visualRect(grid_->model()->index(row_, col_));
        if (!onScreen.intersects(grid_->viewport()->rect())) {
            s.invisible = true;
            s.offscreen = true;
        }
        s.selectable = role() == QAccessible::Cell;
        s.selected = isSelected();
        s.focusable = s.selectable;
        s.focused = grid_->hasFocus() && grid_->Row() == row_ && grid_->Col() == col_;
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    [[nodiscard]] bool isSelected() const override {
        return grid_->selectionModel()->isSelected(grid_->model()->index(row_, col_));
    }
    [[nodiscard]] QList<QAccessibleInterface*> columnHeaderCells() const override {
        if (row_ < grid_->store().fixedRows()) {
            return {};
        }
        return {accessible()->cellOf(0, col_)};
    }
    [[nodiscard]] QList<QAccessibleInterface*> rowHeaderCells() const override {
        if (row_ < grid_->store().fixedRows() || col_ < grid_->store().fixedCols()) {
            return {};
        }
        return {accessible()->cellOf(row_, 0)};
    }
    [[nodiscard]] int columnIndex() const override { return col_; }
    [[nodiscard]] int rowIndex() const override {
        const std::vector<int> rows = accessible()->tableRows();
        const auto at = std::find(rows.begin(), rows.end(), row_);
        return at == rows.end() ? -1 : static_cast<int>(at - rows.begin());
    }
    [[nodiscard]] int columnExtent() const override { return grid_->blockAt(row_, col_).cols; }
    [[nodiscard]] int rowExtent() const override {
        const CellSpan block = grid_->blockAt(row_, col_);
        int rows = 0;
        for (int r = block.row; r < block.row + block.rows; ++r) {
            rows += grid_->isRowHidden(r) ? 0 : 1;
        }
        return rows;
    }
    [[nodiscard]] QAccessibleInterface* table() const override {
        return QAccessible::queryAccessibleInterface(grid_);
    }

  private:
    [[nodiscard]] GridAccessible* accessible() const {
        return static_cast<GridAccessible*>(table());
    }

    GridWidget* grid_;
    int row_;
    int col_;
};

QAccessibleInterface* gridFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("grid::GridWidget") && object != nullptr &&
        object->isWidgetType()) {
        return new GridAccessible(static_cast<GridWidget*>(object));
    }
    return nullptr;
}

}  // namespace

GridAccessible::GridAccessible(GridWidget* grid) : QAccessibleWidget(grid, QAccessible::Table) {}

GridAccessible::~GridAccessible() {
    for (const auto& [cell, id] : cells_) {
        QAccessible::deleteAccessibleInterface(id);
    }
}

GridWidget* GridAccessible::grid() const {
    return static_cast<GridWidget*>(widget());
}

std::vector<int> GridAccessible::tableRows() const {
    std::vector<int> rows;
    for (int r = grid()->store().fixedRows(); r < grid()->store().rows(); ++r) {
        if (!grid()->isRowHidden(r)) {
            rows.push_back(r);
        }
    }
    return rows;
}

QAccessibleInterface* GridAccessible::cellOf(int storeRow, int storeCol) const {
    GridWidget* g = grid();
    if (!g->store().contains(storeRow, storeCol) || g->isRowHidden(storeRow)) {
        return nullptr;
    }
    // A covered cell answers with the block's top-left cell.
    const CellSpan block = g->blockAt(storeRow, storeCol);
    const std::pair key{block.row, block.col};
    const auto found = cells_.find(key);
    if (found != cells_.end()) {
        return QAccessible::accessibleInterface(found->second);
    }
    auto* cell = new CellAccessible(g, block);
    cells_[key] = QAccessible::registerAccessibleInterface(cell);
    return cell;
}

std::vector<std::pair<int, int>> GridAccessible::shownCells() const {
    std::vector<int> rows{0};
    const std::vector<int> below = tableRows();
    rows.insert(rows.end(), below.begin(), below.end());
    std::vector<std::pair<int, int>> cells;
    for (const int r : rows) {
        for (int c = 0; c < grid()->store().cols(); ++c) {
            const CellSpan block = grid()->blockAt(r, c);
            if (block.row == r && block.col == c) {
                cells.emplace_back(r, c);
            }
        }
    }
    return cells;
}

int GridAccessible::childCount() const {
    return static_cast<int>(shownCells().size());
}

QAccessibleInterface* GridAccessible::child(int index) const {
    const auto cells = shownCells();
    if (index < 0 || index >= static_cast<int>(cells.size())) {
        return nullptr;
    }
    return cellOf(cells[static_cast<std::size_t>(index)].first,
                  cells[static_cast<std::size_t>(index)].second);
}

int GridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const auto cells = shownCells();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cellOf(cells[i].first, cells[i].second) == child) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

QAccessibleInterface* GridAccessible::childAt(int x, int y) const {
    const QPoint at = grid()->viewport()->mapFromGlobal(QPoint(x, y));
    return cellOf(grid()->rowAt(at.y()), grid()->columnAt(at.x()));
}

void* GridAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface) {
        return static_cast<QAccessibleTableInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface* GridAccessible::cellAt(int row, int column) const {
    const std::vector<int> rows = tableRows();
    if (row < 0 || row >= static_cast<int>(rows.size())) {
        return nullptr;
    }
    return cellOf(rows[static_cast<std::size_t>(row)], column);
}

int GridAccessible::columnCount() const {
    return grid()->store().cols();
}

int GridAccessible::rowCount() const {
    return static_cast<int>(tableRows().size());
}

int GridAccessible::selectedCellCount() const {
    return static_cast<int>(selectedCells().size());
}

QList<QAccessibleInterface*> GridAccessible::selectedCells() const {
    QList<QAccessibleInterface*> cells;
    for (const QModelIndex& index : grid()->selectionModel()->selectedIndexes()) {
        QAccessibleInterface* cell = cellOf(index.row(), index.column());
        if (cell != nullptr && !cells.contains(cell)) {
            cells.append(cell);
        }
    }
    return cells;
}

QString GridAccessible::columnDescription(int column) const {
    QAccessibleInterface* heading = cellOf(0, column);
    return heading != nullptr ? heading->text(QAccessible::Name) : QString();
}

QString GridAccessible::rowDescription(int row) const {
    QAccessibleInterface* cell = cellAt(row, 0);
    return cell != nullptr ? cell->text(QAccessible::Name) : QString();
}

void installGridAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(gridFactory);
        return true;
    }();
    (void)installed;
}

}  // namespace grid
