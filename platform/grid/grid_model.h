#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <vector>

#include "grid_store.h"

namespace grid {

// Fixed cells are the heading row(s) and the label column(s): never selectable, never current.
[[nodiscard]] inline bool isFixedCell(const GridStore& store, int row, int col) {
    return row < store.fixedRows() || col < store.fixedCols();
}

// One block of merged cells: its top-left cell and how many rows and columns it covers.
struct CellSpan {
    int row = 0;
    int col = 0;
    int rows = 1;
    int cols = 1;
    friend bool operator==(const CellSpan&, const CellSpan&) = default;
};

// The blocks of more than one cell that the store's merge flags produce, in row-major order of
// their top-left cells. A column with its merge flag set joins consecutive visible rows of
// equal text; hidden rows between them belong to the block, whatever text they still hold. A
// row with its merge flag set then joins neighbouring blocks of equal text that cover the same
// rows, so every block stays a rectangle; the flag of the block's top row decides. Blocks
// never cross the line between fixed and ordinary rows or columns.
[[nodiscard]] std::vector<CellSpan> mergedSpans(const GridStore& store);

// Read-only item model over the store: texts, alignment, back colour and bold. No tooltips, so
// the grid's own tooltip shows everywhere.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit GridModel(const GridStore& store, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Tells the views that any cell may have changed.
    void cellsChanged();

  private:
    const GridStore& store_;
};

// The lines a cell's text is painted in within `box`, as GridDelegate paints them.
[[nodiscard]] QStringList layOutText(const QStyleOptionViewItem& cell, const QRect& box);

// When the selected (current) cell is painted highlighted.
enum class HighLightMode { Never = 0, Always = 1, WithFocus = 2 };

// Paints fixed cells in the button face colours, drops the focus rectangle and shows the
// selection only as the highlight mode allows. A merged block is painted from its top-left
// cell and shows bold when any of its cells is bold. With word wrap on, a text wraps over all
// the lines its cell (or block) has, breaking inside a word too when the word is wider than the
// cell; only what does not fit in those lines is elided.
class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    GridDelegate(const GridStore& store, QObject* parent = nullptr);

    void setHighLight(HighLightMode mode) { highLight_ = mode; }
    [[nodiscard]] HighLightMode highLight() const { return highLight_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

  private:
    [[nodiscard]] bool blockIsBold(const QModelIndex& index, const QWidget* view) const;

    const GridStore& store_;
    HighLightMode highLight_ = HighLightMode::Never;
};

}  // namespace grid
