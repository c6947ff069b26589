#include "grid_store.h"

#include <algorithm>
#include <stdexcept>

namespace grid {

namespace {
constexpr int kDefaultRowHeight = 280;
constexpr int kDefaultColWidth = 1025;

// The row or column count, checked before any vector is sized with it.
int atLeastOne(int count) {
    if (count <= 0) {
        throw std::invalid_argument("grid needs at least one row and one column");
    }
    return count;
}
}  // namespace

GridStore::GridStore(int rows, int cols, FixedCells fixed)
    : rows_(atLeastOne(rows)),
      cols_(atLeastOne(cols)),
      fixedRows_(fixed.rows),
      fixedCols_(fixed.cols),
      cells_(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols)),
      rowHidden_(static_cast<std::size_t>(rows), false),
      mergeRow_(static_cast<std::size_t>(rows), false),
      mergeCol_(static_cast<std::size_t>(cols), false),
      rowHeight_(static_cast<std::size_t>(rows), kDefaultRowHeight),
      colWidth_(static_cast<std::size_t>(cols), kDefaultColWidth) {}

bool GridStore::contains(int row, int col) const {
    return row >= 0 && row < rows_ && col >= 0 && col < cols_;
}

void GridStore::checkCell(int row, int col) const {
    if (!contains(row, col)) {
        throw std::out_of_range("cell (" + std::to_string(row) + ", " + std::to_string(col) +
                                ") is outside the grid");
    }
}

// Row-major, computed in size_t so that no int product can overflow.
std::size_t GridStore::indexOf(int row, int col) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) +
           static_cast<std::size_t>(col);
}

void GridStore::changed() {
    if (updating_ > 0) {
        return;
    }
    if (observer_) {
        observer_();
    }
}

void GridStore::update(const std::function<void()>& writes) {
    ++updating_;
    try {
        writes();
    } catch (...) {
        --updating_;
        changed();
        throw;
    }
    --updating_;
    changed();
}

const std::string& GridStore::TextMatrix(int row, int col) const {
    return cell(row, col).text;
}

void GridStore::setTextMatrix(int row, int col, std::string text) {
    checkCell(row, col);
    cells_[indexOf(row, col)].text = std::move(text);
    changed();
}

const CellFormat& GridStore::cell(int row, int col) const {
    checkCell(row, col);
    return cells_[indexOf(row, col)];
}

template <typename Fn>
void GridStore::forRange(const CellRange& range, Fn&& fn) {
    checkCell(range.row1, range.col1);
    checkCell(range.row2, range.col2);
    const auto [rLow, rHigh] = std::minmax(range.row1, range.row2);
    const auto [cLow, cHigh] = std::minmax(range.col1, range.col2);
    for (int r = rLow; r <= rHigh; ++r) {
        for (int c = cLow; c <= cHigh; ++c) {
            fn(cells_[indexOf(r, c)]);
        }
    }
    changed();
}

void GridStore::setCellText(const CellRange& range, const std::string& text) {
    forRange(range, [&](CellFormat& c) { c.text = text; });
}

void GridStore::setCellAlignment(const CellRange& range, Alignment alignment) {
    forRange(range, [&](CellFormat& c) { c.alignment = alignment; });
}

void GridStore::setCellBackColor(const CellRange& range, Color color) {
    forRange(range, [&](CellFormat& c) { c.backColor = color; });
}

void GridStore::setCellFontBold(const CellRange& range, bool bold) {
    forRange(range, [&](CellFormat& c) { c.bold = bold; });
}

namespace {
// Applies value to one entry, or to all of them when index is -1.
template <typename T>
void setOneOrAll(std::vector<T>& values, int index, T value) {
    if (index == -1) {
        std::fill(values.begin(), values.end(), value);
        return;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= values.size()) {
        throw std::out_of_range("row or column " + std::to_string(index) + " is outside the grid");
    }
    values[static_cast<std::size_t>(index)] = value;
}

template <typename T>
T valueAt(const std::vector<T>& values, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= values.size()) {
        throw std::out_of_range("row or column " + std::to_string(index) + " is outside the grid");
    }
    return values[static_cast<std::size_t>(index)];
}
}  // namespace

void GridStore::setMergeRow(int row, bool merge) {
    setOneOrAll(mergeRow_, row, merge);
    changed();
}

void GridStore::setMergeCol(int col, bool merge) {
    setOneOrAll(mergeCol_, col, merge);
    changed();
}

bool GridStore::mergeRow(int row) const {
    return valueAt(mergeRow_, row);
}
bool GridStore::mergeCol(int col) const {
    return valueAt(mergeCol_, col);
}

void GridStore::setRowHidden(int row, bool hidden) {
    setOneOrAll(rowHidden_, row, hidden);
    changed();
}

bool GridStore::rowHidden(int row) const {
    return valueAt(rowHidden_, row);
}

void GridStore::setRowHeight(int row, int twips) {
    setOneOrAll(rowHeight_, row, twips);
    changed();
}

void GridStore::setColWidth(int col, int twips) {
    setOneOrAll(colWidth_, col, twips);
    changed();
}

int GridStore::rowHeight(int row) const {
    return valueAt(rowHeight_, row);
}
int GridStore::colWidth(int col) const {
    return valueAt(colWidth_, col);
}

}  // namespace grid
