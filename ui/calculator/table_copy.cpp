#include "table_copy.h"

#include <QMimeData>
#include <algorithm>

namespace ui {

std::vector<QStringList> visibleCells(const grid::GridStore& store, const grid::CellRange& range) {
    std::vector<QStringList> rows;
    for (int r = std::max(0, range.row1); r <= std::min(range.row2, store.rows() - 1); ++r) {
        if (store.rowHidden(r)) {
            continue;
        }
        QStringList row;
        for (int c = std::max(0, range.col1); c <= std::min(range.col2, store.cols() - 1); ++c) {
            row << QString::fromStdString(store.TextMatrix(r, c));
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace ui
