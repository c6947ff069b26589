#pragma once

#include <QAccessibleWidget>
#include <map>
#include <utility>
#include <vector>

#include "grid_model.h"

class QAccessibleInterface;

namespace grid {

class GridWidget;

// What assistive technology sees of the grid: a table of the rows on screen only (hidden rows
// are left out), whose columns are headed by the cells of the heading row and whose rows are
// headed by the label column; a merged block is one cell that reports its span, so a label such
// as "手提式" is read once for its rows. Cells are reported live, as the store holds them now.
class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
  public:
    explicit GridAccessible(GridWidget* grid);
    ~GridAccessible() override;
    GridAccessible(const GridAccessible&) = delete;
    GridAccessible& operator=(const GridAccessible&) = delete;

    // QAccessibleInterface
    [[nodiscard]] QAccessible::Role role() const override { return QAccessible::Table; }
    [[nodiscard]] int childCount() const override;
    [[nodiscard]] QAccessibleInterface* child(int index) const override;
    [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override;
    [[nodiscard]] QAccessibleInterface* childAt(int x, int y) const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // QAccessibleTableInterface: rows count the visible rows below the heading row.
    [[nodiscard]] QAccessibleInterface* caption() const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface* summary() const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface* cellAt(int row, int column) const override;
    [[nodiscard]] int columnCount() const override;
    [[nodiscard]] int rowCount() const override;
    [[nodiscard]] int selectedCellCount() const override;
    [[nodiscard]] QList<QAccessibleInterface*> selectedCells() const override;
    [[nodiscard]] QString columnDescription(int column) const override;
    [[nodiscard]] QString rowDescription(int row) const override;
    [[nodiscard]] int selectedColumnCount() const override { return 0; }
    [[nodiscard]] int selectedRowCount() const override { return 0; }
    [[nodiscard]] QList<int> selectedColumns() const override { return {}; }
    [[nodiscard]] QList<int> selectedRows() const override { return {}; }
    [[nodiscard]] bool isColumnSelected(int) const override { return false; }
    [[nodiscard]] bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

    // The interface of a cell of the store (row 0 a heading), or of the merged block that
    // covers it; none for a hidden row or outside the grid.
    [[nodiscard]] QAccessibleInterface* cellOf(int storeRow, int storeCol) const;
    // The store rows that the table's rows stand for, top to bottom.
    [[nodiscard]] std::vector<int> tableRows() const;

  private:
    [[nodiscard]] GridWidget* grid() const;
    [[nodiscard]] std::vector<std::pair<int, int>> shownCells() const;  // heading row first

    mutable std::map<std::pair<int, int>, QAccessible::Id> cells_;
};

// Makes every GridWidget offer a GridAccessible.
void installGridAccessibility();

}  // namespace grid
