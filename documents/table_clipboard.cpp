#include "table_clipboard.h"

#include <QStringBuilder>

namespace documents {

QString cellText(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        if (c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' ||
            c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            c = u' ';
        }
    }
    return out;
}

QString tableText(const std::vector<QStringList>& rows) {
    QString text;
    for (const QStringList& row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0) {
                text += u'\t';
            }
            text += cellText(row[c]);
        }
        text += u'\n';
    }
    return text;
}

QString tableHtml(const std::vector<QStringList>& rows, bool headingRow) {
    QString html = QStringLiteral("<table border=\"1\" cellspacing=\"0\" width=\"100%\">\n");
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const QLatin1StringView tag =
            headingRow && r == 0 ? QLatin1StringView("th") : QLatin1StringView("td");
        html += QStringLiteral("<tr>");
        for (const QString& cell : rows[r]) {
            html += u'<' % tag % u'>' % cellText(cell).toHtmlEscaped() % QStringLiteral("</") %
                    tag % u'>';
        }
        html += QStringLiteral("</tr>\n");
    }
    return html + QStringLiteral("</table>\n");
}

std::unique_ptr<QMimeData> tableMimeData(const std::vector<QStringList>& rows, bool headingRow) {
    auto data = std::make_unique<QMimeData>();
    data->setText(tableText(rows));
    data->setHtml(tableHtml(rows, headingRow));
    return data;
}

}  // namespace documents
