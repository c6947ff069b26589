#pragma once

#include <QMimeData>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// Tables as they go to the clipboard and into documents: the grid's copies, the sheet's table,
// the schedule and the bill of materials. Pasted into a spreadsheet, each cell gives one value;
// into a word processor, a table.
namespace documents {

// A cell's text with tabs and line breaks replaced by blanks.
[[nodiscard]] QString cellText(const QString& text);
// The rows as tab-separated plain text, one line per row, cells as cellText gives them.
[[nodiscard]] QString tableText(const std::vector<QStringList>& rows);
// The rows as an HTML table; with `headingRow`, the first row's cells are <th> headings.
[[nodiscard]] QString tableHtml(const std::vector<QStringList>& rows, bool headingRow);
// Both, as the clipboard takes them.
[[nodiscard]] std::unique_ptr<QMimeData> tableMimeData(const std::vector<QStringList>& rows,
                                                       bool headingRow);

}  // namespace documents
