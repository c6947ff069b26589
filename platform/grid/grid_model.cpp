#include "grid_model.h"

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QTableView>
#include <QTextLayout>
#include <QWidget>
#include <algorithm>
#include <cstddef>

namespace grid {

namespace {

// Rows [first, last) or columns [first, last) on one side of the fixed line.
struct Band {
    int first;
    int last;
};

// Vertical extent of the block a cell belongs to.
struct RowExtent {
    int top;
    int bottom;
    friend bool operator==(const RowExtent&, const RowExtent&) = default;
};

}  // namespace

std::vector<CellSpan> mergedSpans(const GridStore& store) {
    const int rows = store.rows();
    const int cols = store.cols();
    const Band rowBands[] = {{0, store.fixedRows()}, {store.fixedRows(), rows}};
    const Band colBands[] = {{0, store.fixedCols()}, {store.fixedCols(), cols}};
    const auto at = [cols](int row, int col) {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols) +
               static_cast<std::size_t>(col);
    };

    std::vector<RowExtent> extent(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            extent[at(r, c)] = {r, r};
        }
    }

    // Vertical runs of equal text over the visible rows of merging columns.
    for (int c = 0; c < cols; ++c) {
        if (!store.mergeCol(c)) {
            continue;
        }
        for (const Band band : rowBands) {
            int top = -1;
            int bottom = -1;
            const auto closeRun = [&] {
                for (int r = top; top >= 0 && r <= bottom; ++r) {
                    extent[at(r, c)] = {top, bottom};
                }
            };
            for (int r = band.first; r < band.last; ++r) {
                if (store.rowHidden(r)) {
                    continue;
                }
                if (top >= 0 && store.TextMatrix(r, c) == store.TextMatrix(top, c)) {
                    bottom = r;
                } else {
                    closeRun();
                    top = r;
                    bottom = r;
                }
            }
            closeRun();
        }
    }

    // Horizontal runs of blocks with equal text and equal extent, decided at each block's top.
    std::vector<CellSpan> spans;
    for (int r = 0; r < rows; ++r) {
        for (const Band band : colBands) {
            for (int c = band.first; c < band.last;) {
                const RowExtent block = extent[at(r, c)];
                int next = c + 1;
                if (block.top != r) {
                    c = next;
                    continue;
                }
                if (store.mergeRow(r)) {
                    while (next < band.last && extent[at(r, next)] == block &&
                           store.TextMatrix(r, next) == store.TextMatrix(r, c)) {
                        ++next;
                    }
                }
                const CellSpan span{r, c, block.bottom - block.top + 1, next - c};
                if (span.rows > 1 || span.cols > 1) {
                    spans.push_back(span);
                }
                c = next;
            }
        }
    }
    return spans;
}

GridModel::GridModel(const GridStore& store, QObject* parent)
    : QAbstractTableModel(parent), store_(store) {}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : store_.rows();
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : store_.cols();
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const CellFormat& cell = store_.cell(index.row(), index.column());
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(cell.text);
        case Qt::TextAlignmentRole:
            return cell.alignment == Alignment::CenterCenter
                       ? static_cast<int>(Qt::AlignCenter)
                       : static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::BackgroundRole:
            if (cell.backColor) {
                const Color c = *cell.backColor;
                return QBrush(QColor(redOf(c), greenOf(c), blueOf(c)));
            }
            return {};
        case Qt::FontRole:
            if (cell.bold) {
                // Only the weight is set, so the view's own font supplies the rest.
                QFont font;
                font.setBold(true);
                return font;
            }
            return {};
        default:
            return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    if (isFixedCell(store_, index.row(), index.column())) {
        return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void GridModel::cellsChanged() {
    emit dataChanged(index(0, 0), index(store_.rows() - 1, store_.cols() - 1));
}

GridDelegate::GridDelegate(const GridStore& store, QObject* parent)
    : QStyledItemDelegate(parent), store_(store) {}

namespace {

const QStyle* styleOf(const QStyleOptionViewItem& cell) {
    return cell.widget != nullptr ? cell.widget->style() : QApplication::style();
}

// Where the style paints a cell's text: its text rectangle less the style's text margins. The
// text does not move the rectangle, so it is left out and the style need not lay it out.
QRect textBox(QStyleOptionViewItem cell) {
    cell.text.clear();
    const QStyle* style = styleOf(cell);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, cell.widget) + 1;
    return style->subElementRect(QStyle::SE_ItemViewItemText, &cell, cell.widget)
        .adjusted(margin, 0, -margin, 0);
}

// A digit or a decimal point: a line never breaks between two of them.
bool inNumber(QChar c) {
    return c.isDigit() || c == u'.';
}

}  // namespace

// The cell's text in as many lines as the box holds (at least one). With wrap on, lines break
// at word boundaries, or anywhere when a word is wider than the box: results such as
// "1482(1481.472)" have no break opportunity at all. Such a break never falls inside a number:
// it goes back to before the number and the opening bracket before it ("4231" / "(4230.9)"),
// unless the number starts the line. The last line takes the rest of the text and is elided
// when it does not fit.
QStringList layOutText(const QStyleOptionViewItem& cell, const QRect& box) {
    const QFontMetrics& metrics = cell.fontMetrics;
    // Lines follow one another at the font's height, without leading, as in Qt's own views.
    const qsizetype room = std::max(1, box.height() / metrics.height());
    QStringList lines;
    qsizetype rest = 0;  // start of the text not yet in a line
    if (room > 1 && cell.features.testFlag(QStyleOptionViewItem::WrapText)) {
        QTextLayout layout(cell.text, cell.font);
        QTextOption wrap;
        wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(wrap);
        layout.beginLayout();
        while (lines.size() + 1 < room) {
            QTextLine line = layout.createLine();
            if (!line.isValid()) {
                break;
            }
            line.setLineWidth(box.width());
            const qsizetype end = line.textStart() + line.textLength();
            if (end < cell.text.size() && inNumber(cell.text[end]) &&
                inNumber(cell.text[end - 1])) {
                qsizetype start = end - 1;
                while (start > line.textStart() && inNumber(cell.text[start - 1])) {
                    --start;
                }
                while (start > line.textStart() &&
                       cell.text[start - 1].category() == QChar::Punctuation_Open) {
                    --start;
                }
                if (start > line.textStart()) {
                    line.setNumColumns(static_cast<int>(start - line.textStart()), box.width());
                }
            }
            lines.append(cell.text.mid(line.textStart(), line.textLength()).trimmed());
            rest = line.textStart() + line.textLength();
        }
        layout.endLayout();
    }
    if (rest < cell.text.size() || lines.isEmpty()) {
        lines.append(metrics.elidedText(cell.text.mid(rest), cell.textElideMode, box.width()));
    }
    return lines;
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QRect box = textBox(cell);
    const QStringList lines = layOutText(cell, box);
    // The style paints the background and selection; the text is drawn here, line by line.
    cell.text.clear();
    styleOf(cell)->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);

    const QPalette::ColorGroup group =
        !cell.state.testFlag(QStyle::State_Enabled) ? QPalette::Disabled
        : cell.state.testFlag(QStyle::State_Active) ? QPalette::Normal
                                                    : QPalette::Inactive;
    const QPalette::ColorRole role =
        cell.state.testFlag(QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;
    const int step = cell.fontMetrics.height();
    const auto height = static_cast<int>(lines.size()) * step;
    int top = box.top();
    if (cell.displayAlignment.testFlag(Qt::AlignBottom)) {
        top += box.height() - height;
    } else if (cell.displayAlignment.testFlag(Qt::AlignVCenter)) {
        top += (box.height() - height) / 2;
    }
    painter->save();
    painter->setClipRect(cell.rect, Qt::IntersectClip);
    painter->setFont(cell.font);
    painter->setPen(cell.palette.color(group, role));
    const Qt::Alignment across = cell.displayAlignment & Qt::AlignHorizontal_Mask;
    for (const QString& line : lines) {
        painter->drawText(QRect(box.left(), top, box.width(), step),
                          static_cast<int>((across | Qt::AlignVCenter).toInt()), line);
        top += step;
    }
    painter->restore();
}

bool GridDelegate::blockIsBold(const QModelIndex& index, const QWidget* view) const {
    const auto* table = qobject_cast<const QTableView*>(view);
    const int rows = table != nullptr ? table->rowSpan(index.row(), index.column()) : 1;
    const int cols = table != nullptr ? table->columnSpan(index.row(), index.column()) : 1;
    for (int r = index.row(); r < index.row() + rows; ++r) {
        for (int c = index.column(); c < index.column() + cols; ++c) {
            if (store_.cell(r, c).bold) {
                return true;
            }
        }
    }
    return false;
}

void GridDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    // No focus rectangle: the window frames the current cell itself (GridWidget::CellBorder).
    option->state &= ~QStyle::State_HasFocus;
    const bool showSelection = highLight_ == HighLightMode::Always ||
                               (highLight_ == HighLightMode::WithFocus &&
                                option->widget != nullptr && option->widget->hasFocus());
    if (!showSelection) {
        option->state &= ~QStyle::State_Selected;
    }
    const bool fixed = isFixedCell(store_, index.row(), index.column());
    if (option->backgroundBrush.style() == Qt::NoBrush) {
        // Always paint the cell's own background: it covers the row panel the view fills
        // with the highlight colour under selected cells.
        option->backgroundBrush = fixed ? option->palette.button() : option->palette.base();
    }
    if (fixed) {
        option->palette.setBrush(QPalette::Text, option->palette.buttonText());
    }
    // The window marks the current row by its label, which may lie below the top of a block.
    if (!option->font.bold() && blockIsBold(index, option->widget)) {
        option->font.setBold(true);
        option->fontMetrics = QFontMetrics(option->font);
    }
}

}  // namespace grid
