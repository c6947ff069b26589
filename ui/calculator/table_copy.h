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

}  // namespace ui
