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

QString tableText(const std::vector<QStringList>& rows) {
    QString text;
    for (const QStringList& row : rows) {
        text += row.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

QString tableHtml(const std::vector<QStringList>& rows, bool headingRow) {
    QString html = QStringLiteral("<table border=\"1\" cellspacing=\"0\" width=\"100%\">\n");
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const QString tag = headingRow && r == 0 ? QStringLiteral("th") : QStringLiteral("td");
        html += QStringLiteral("<tr>");
        for (const QString& cell : rows[r]) {
            html += QStringLiteral("<%1>%2</%1>").arg(tag, cell.toHtmlEscaped());
        }
        html += QStringLiteral("</tr>\n");
    }
    return html + QStringLiteral("</table>\n");
}

std::unique_ptr<QMimeData> tableMimeData(const std::vector<QStringList>& rows) {
    auto data = std::make_unique<QMimeData>();
    data->setText(tableText(rows));
    data->setHtml(tableHtml(rows));
    return data;
}

}  // namespace ui
