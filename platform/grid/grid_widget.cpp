#include "grid_widget.h"

#include <QAccessible>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "grid_accessible.h"

namespace grid {

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr int kResizeGrip = 3;      // pixels either side of a column edge that start a drag
constexpr int kMinColumnWidth = 8;  // pixels

// Selection model that refuses to make a fixed cell (or no cell) current and says so before
// the current cell really changes.
class CurrentCellGuard final : public QItemSelectionModel {
  public:
    CurrentCellGuard(QAbstractItemModel* model, QObject* parent,
                     std::function<bool(const QModelIndex&)> allowed, std::function<void()> leaving)
        : QItemSelectionModel(model, parent),
          allowed_(std::move(allowed)),
          leaving_(std::move(leaving)) {}

    void setCurrentIndex(const QModelIndex& index,
                         QItemSelectionModel::SelectionFlags command) override {
        if (!allowed_(index)) {
            return;
        }
        if (index != currentIndex()) {
            leaving_();
        }
        QItemSelectionModel::setCurrentIndex(index, command);
    }

  private:
    std::function<bool(const QModelIndex&)> allowed_;
    std::function<void()> leaving_;
};

}  // namespace

int twipsToPixels(int twips, double logicalDpi) {
    return static_cast<int>(std::lround(twips * logicalDpi / kTwipsPerInch));
}

GridWidget::GridWidget(int rows, int cols, QWidget* parent)
    : QTableView(parent),
      store_(rows, cols),
      model_(store_),
      delegate_(store_),
      appliedRowTwips_(static_cast<std::size_t>(rows), -1),
      appliedColTwips_(static_cast<std::size_t>(cols), -1) {
    installGridAccessibility();
    setModel(&model_);
    QItemSelectionModel* defaultSelection = selectionModel();
    auto* guard = new CurrentCellGuard(
        &model_, this,
        [this](const QModelIndex& index) {
            return index.isValid() && !isFixedCell(store_, index.row(), index.column());
        },
        [this] { emit LeaveCell(); });
    setSelectionModel(guard);
    delete defaultSelection;
    setItemDelegate(&delegate_);

    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setMinimumSectionSize(kMinColumnWidth);
    setCornerButtonEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);  // a drag selects a block
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);  // Tab leaves the grid for the next control
    setShowGrid(true);
    setWordWrap(true);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);

    // 9 pt in a Song face, as the table was designed: the light AR PL SungtiL (5 MB) where it is
    // installed, as the package and build.sh do, else the large AR PL UMing (21 MB: about 3 ms
    // and 3 MiB more to the first frame). Without a Song face, the face the window uses for
    // Chinese, whose wider Latin letters cut off the longest model codes.
    QFont gridFont;
    gridFont.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                          QStringLiteral("AR PL SungtiL GB"), QStringLiteral("AR PL UMing CN"),
                          QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC")});
    gridFont.setPointSize(9);
    setFont(gridFont);

    refresh();
    const int firstRow = firstVisibleRow(store_.fixedRows());
    if (firstRow >= 0 && store_.fixedCols() < store_.cols()) {
        guard->setCurrentIndex(model_.index(firstRow, store_.fixedCols()),
                               QItemSelectionModel::ClearAndSelect);
    }
    connect(guard, &QItemSelectionModel::currentChanged, this, [this] { emit EnterCell(); });
    // Store changes come in bursts (one per write): the first starts a zero-time single shot,
    // the rest find it running, and the view catches up once when control returns to the loop.
    refreshTimer_.setSingleShot(true);
    refreshTimer_.setInterval(0);
    connect(&refreshTimer_, &QTimer::timeout, this, &GridWidget::refresh);
    store_.setObserver([this] {
        if (!refreshTimer_.isActive()) {
            refreshTimer_.start();
        }
        emit storeChanged();
    });
}

GridWidget::~GridWidget() {
    store_.setObserver(nullptr);
}

void GridWidget::refresh() {
    refreshTimer_.stop();
    model_.cellsChanged();
    applyLayout();
    applySpans();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTableModelChangeEvent reset(this, QAccessibleTableModelChangeEvent::ModelReset);
        QAccessible::updateAccessibility(&reset);
    }
}

void GridWidget::applyLayout() {
    for (int r = 0; r < store_.rows(); ++r) {
        setRowHidden(r, store_.rowHidden(r));
        int& applied = appliedRowTwips_[static_cast<std::size_t>(r)];
        if (applied != store_.rowHeight(r)) {
            applied = store_.rowHeight(r);
            setRowHeight(r, twipsToPixels(applied, logicalDpiY()));
        }
    }
    for (int c = 0; c < store_.cols(); ++c) {
        int& applied = appliedColTwips_[static_cast<std::size_t>(c)];
        if (applied != store_.colWidth(c)) {
            applied = store_.colWidth(c);
            setColumnWidth(c, twipsToPixels(applied, logicalDpiX()));
        }
    }
}

void GridWidget::applySpans() {
    std::vector<CellSpan> spans = mergedSpans(store_);
    if (spans == spans_) {
        return;
    }
    clearSpans();
    for (const CellSpan& span : spans) {
        setSpan(span.row, span.col, span.rows, span.cols);
    }
    spans_ = std::move(spans);
}

CellSpan GridWidget::blockAt(int row, int col) const {
    for (const CellSpan& span : spans_) {
        if (row >= span.row && row < span.row + span.rows && col >= span.col &&
            col < span.col + span.cols) {
            return span;
        }
    }
    return {row, col, 1, 1};
}

// QTableView's own currentChanged() and selectionChanged() only add accessibility events that
// count children the way its built-in accessible table does; the grid's accessible table counts
// them differently, so those events would name the wrong cells. Both skip to the base class and
// raise the grid's own events instead.
void GridWidget::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // NOLINTNEXTLINE(bugprone-parent-virtual-call)
    QAbstractItemView::currentChanged(current, previous);
    if (!QAccessible::isActive() || !current.isValid()) {
        return;
    }
    auto* table = static_cast<GridAccessible*>(QAccessible::queryAccessibleInterface(this));
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(table->indexOfChild(table->cellOf(current.row(), current.column())));
    QAccessible::updateAccessibility(&focus);
}

void GridWidget::selectionChanged(const QItemSelection& selected,
                                  const QItemSelection& deselected) {
    // NOLINTNEXTLINE(bugprone-parent-virtual-call)
    QAbstractItemView::selectionChanged(selected, deselected);
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::SelectionWithin);
        QAccessible::updateAccessibility(&changed);
    }
}

int GridWidget::firstVisibleRow(int from) const {
    for (int r = from; r < store_.rows(); ++r) {
        if (!isRowHidden(r)) {
            return r;
        }
    }
    return -1;
}

int GridWidget::Row() const {
    return currentIndex().row();
}
int GridWidget::Col() const {
    return currentIndex().column();
}

void GridWidget::setCurrentCell(int row, int col) {
    setCurrentIndex(model_.index(row, col));
}

void GridWidget::CellBorder(Color color, int left, int top, int right, int bottom) {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) {
        return;
    }
    const std::pair cell{current.row(), current.column()};
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::max(right, 0);
    bottom = std::max(bottom, 0);
    if (left + top + right + bottom == 0) {
        frames_.erase(cell);
    } else {
        frames_[cell] = {QColor(redOf(color), greenOf(color), blueOf(color)), left, top, right,
                         bottom};
    }
    viewport()->update();
}

void GridWidget::setHighLight(int mode) {
    delegate_.setHighLight(mode == 1   ? HighLightMode::Always
                           : mode == 2 ? HighLightMode::WithFocus
                                       : HighLightMode::Never);
    viewport()->update();
}

int GridWidget::HighLight() const {
    return static_cast<int>(delegate_.highLight());
}

void GridWidget::keyboardSearch(const QString& /*search*/) {}

QModelIndex GridWidget::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    const QModelIndex next = QTableView::moveCursor(cursorAction, modifiers);
    if (!next.isValid() || !isFixedCell(store_, next.row(), next.column())) {
        return next;
    }
    // Moves towards the fixed cells stop at the first ordinary row or column.
    const int row =
        next.row() < store_.fixedRows() ? firstVisibleRow(store_.fixedRows()) : next.row();
    const int col = std::max(next.column(), store_.fixedCols());
    if (row < 0 || col >= store_.cols()) {
        return currentIndex();
    }
    return model_.index(row, col);
}

QItemSelectionModel::SelectionFlags GridWidget::selectionCommand(const QModelIndex& index,
                                                                 const QEvent* event) const {
    // A click on a fixed cell or beside the cells keeps the selection as it is.
    if (!index.isValid() || isFixedCell(store_, index.row(), index.column())) {
        return QItemSelectionModel::NoUpdate;
    }
    return QTableView::selectionCommand(index, event);
}

void GridWidget::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (frames_.empty()) {
        return;
    }
    QPainter painter(viewport());
    for (const auto& [cell, frame] : frames_) {
        const QRect r = visualRect(model_.index(cell.first, cell.second));
        if (r.isEmpty()) {
            continue;
        }
        painter.fillRect(r.left(), r.top(), frame.left, r.height(), frame.color);
        painter.fillRect(r.left(), r.top(), r.width(), frame.top, frame.color);
        painter.fillRect(r.right() - frame.right + 1, r.top(), frame.right, r.height(),
                         frame.color);
        painter.fillRect(r.left(), r.bottom() - frame.bottom + 1, r.width(), frame.bottom,
                         frame.color);
    }
}

// Column edge within the heading row that the pointer can drag, or -1. The view's own headers
// are hidden, so the heading cells offer the column resizing instead.
int GridWidget::columnEdgeAt(QPoint pos) const {
    const int row = rowAt(pos.y());
    if (row < 0 || row >= store_.fixedRows()) {
        return -1;
    }
    for (int c = 0; c < store_.cols(); ++c) {
        const int edge = columnViewportPosition(c) + columnWidth(c);
        if (std::abs(pos.x() - edge) <= kResizeGrip) {
            return c;
        }
    }
    return -1;
}

void GridWidget::trackMouse(QPoint pos) {
    mouseRow_ = rowAt(pos.y());
    mouseCol_ = columnAt(pos.x());
    if (mouseRow_ < 0 || mouseCol_ < 0) {
        mouseRow_ = -1;
        mouseCol_ = -1;
    }
}

void GridWidget::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    trackMouse(pos);
    resizingCol_ = event->button() == Qt::LeftButton ? columnEdgeAt(pos) : -1;
    if (resizingCol_ >= 0) {
        event->accept();
    } else {
        QTableView::mousePressEvent(event);
    }
    emit MouseDown();
}

void GridWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    trackMouse(pos);
    if (resizingCol_ >= 0) {
        setColumnWidth(resizingCol_,
                       std::max(kMinColumnWidth, pos.x() - columnViewportPosition(resizingCol_)));
        event->accept();
    } else {
        if (columnEdgeAt(pos) >= 0) {
            viewport()->setCursor(Qt::SplitHCursor);
        } else {
            viewport()->unsetCursor();
        }
        QTableView::mouseMoveEvent(event);
    }
    emit MouseMove();
}

void GridWidget::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    trackMouse(pos);
    if (resizingCol_ >= 0) {
        resizingCol_ = -1;
        event->accept();
    } else {
        QTableView::mouseReleaseEvent(event);
    }
    emit MouseUp();
}

void GridWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    trackMouse(event->position().toPoint());
    QTableView::mouseDoubleClickEvent(event);
}

void GridWidget::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    viewport()->update();  // highlight mode 2 shows the selection only with focus
}

void GridWidget::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    viewport()->update();
}

}  // namespace grid
