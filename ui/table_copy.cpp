#include "table_copy.h"

#include <QMimeData>
#include <algorithm>

namespace ui {

std::vector<QStringList> visibleCells(const grid::GridStore& store, int row1, int col1, int row2,
                                      int col2) {
    std::vector<QStringList> rows;
    for (int r = std::max(0, row1); r <= std::min(row2, store.rows() - 1); ++r) {
        if (store.rowHidden(r)) {
            continue;
        }
        QStringList row;
        for (int c = std::max(0, col1); c <= std::min(col2, store.cols() - 1); ++c) {
            row << QString::fromStdString(store.TextMatrix(r, c));
        }
        rows.push_back(row);
    }
    return rows;
}

std::unique_ptr<QMimeData> tableMimeData(const std::vector<QStringList>& rows) {
    QString text;
    QString html = QStringLiteral("<table border=\"1\" cellspacing=\"0\">\n");
    for (const QStringList& row : rows) {
        text += row.join(QLatin1Char('\t')) + QLatin1Char('\n');
        html += QStringLiteral("<tr>");
        for (const QString& cell : row) {
            html += QStringLiteral("<td>") + cell.toHtmlEscaped() + QStringLiteral("</td>");
        }
        html += QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</table>\n");
    auto data = std::make_unique<QMimeData>();
    data->setText(text);
    data->setHtml(html);
    return data;
}

}  // namespace ui
