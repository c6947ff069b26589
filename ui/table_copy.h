#pragma once

#include <QMimeData>
#include <QStringList>
#include <memory>
#include <vector>

#include "grid_store.h"

// The grid's cells as they go to the clipboard.
namespace ui {

// The cells of rows row1..row2 and columns col1..col2 that are on screen, hidden rows left out,
// each with its own text: a merged block repeats its text in every cell. Parts of the range
// outside the grid are left out; a range whose second corner comes first is empty.
[[nodiscard]] std::vector<QStringList> visibleCells(const grid::GridStore& store,
                                                    const grid::CellRange& range);

// The rows as tab-separated plain text, one line per row.
[[nodiscard]] QString tableText(const std::vector<QStringList>& rows);
// The rows as an HTML table; with `headingRow`, the first row's cells are headings.
[[nodiscard]] QString tableHtml(const std::vector<QStringList>& rows, bool headingRow = false);
// Both, as the clipboard takes them.
[[nodiscard]] std::unique_ptr<QMimeData> tableMimeData(const std::vector<QStringList>& rows);

}  // namespace ui
