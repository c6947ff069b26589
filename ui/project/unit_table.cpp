#include "unit_table.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

namespace ui {

// The view of the leading columns, laid over the left of the table. It takes no focus of its own:
// a click in it leaves the focus with the table, so that the table's keys keep working.
class UnitTable::Frozen : public QTableView {
  public:
    explicit Frozen(UnitTable* table) : QTableView(table), table_(table) {
        setFocusPolicy(Qt::NoFocus);
        setFrameShape(QFrame::NoFrame);
        verticalHeader()->hide();
        horizontalHeader()->setHighlightSections(false);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollMode(ScrollPerPixel);
        setHorizontalScrollMode(ScrollPerPixel);
    }

    // Edits the cell as the table was asked to.
    bool editCell(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
        return QTableView::edit(index, trigger, event);
    }

  protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
        if (trigger == SelectedClicked && !table_->clickEdits(index, table_->pressedCurrent_)) {
            return false;
        }
        return QTableView::edit(index, trigger, event);
    }

    void mousePressEvent(QMouseEvent* event) override {
        table_->pressedCurrent_ = currentIndex();
        QTableView::mousePressEvent(event);
    }

    // Tab and Backtab go on to the table's next or previous cell, past the leading columns.
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
        if (hint != QAbstractItemDelegate::EditNextItem &&
            hint != QAbstractItemDelegate::EditPreviousItem) {
            QTableView::closeEditor(editor, hint);
            return;
        }
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        table_->editNext(hint == QAbstractItemDelegate::EditNextItem);
    }

    // Only the table scrolls; this view follows it.
    void scrollTo(const QModelIndex& index, ScrollHint hint) override {
        table_->scrollTo(index, hint);
    }

  private:
    UnitTable* table_;
};

UnitTable::UnitTable(int frozenColumns, QWidget* parent)
    : QTableView(parent), frozenColumns_(frozenColumns), frozen_(new Frozen(this)) {
    const EditTriggers triggers = DoubleClicked | EditKeyPressed | AnyKeyPressed | SelectedClicked;
    for (QTableView* view : {static_cast<QTableView*>(this), static_cast<QTableView*>(frozen_)}) {
        view->setEditTriggers(triggers);
        view->setSelectionMode(ExtendedSelection);
        view->setAlternatingRowColors(true);
        view->verticalHeader()->hide();
        view->horizontalHeader()->setHighlightSections(false);
    }
    horizontalHeader()->setStretchLastSection(true);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);
    viewport()->stackUnder(frozen_);

    // The leading columns' widths, whichever header the user drags.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) {
                if (column < frozenColumns_) {
                    frozen_->setColumnWidth(column, width);
                    placeFrozen();
                }
            });
    connect(frozen_->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { setColumnWidth(column, width); });
    connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(),
            &QAbstractSlider::setValue);
}

void UnitTable::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    frozen_->setModel(model);
    frozen_->setSelectionModel(selectionModel());
    const int columns = model == nullptr ? 0 : model->columnCount();
    for (int column = 0; column < columns; ++column) {
        frozen_->setColumnHidden(column, column >= frozenColumns_);
    }
    followColumnWidths();
    if (model == nullptr) {
        return;
    }
    // Without rows the table's own header is the same, and what lies over the empty table (a
    // hint) stays in sight.
    const auto followRows = [this, model] { frozen_->setVisible(model->rowCount() > 0); };
    connect(model, &QAbstractItemModel::rowsInserted, frozen_, followRows);
    connect(model, &QAbstractItemModel::rowsRemoved, frozen_, followRows);
    connect(model, &QAbstractItemModel::modelReset, frozen_, followRows);
    followRows();
}

void UnitTable::setDelegates(QAbstractItemDelegate* table, QAbstractItemDelegate* frozen) {
    setItemDelegate(table);
    frozen_->setItemDelegate(frozen);
}

void UnitTable::setRowHeight(int height) {
    verticalHeader()->setDefaultSectionSize(height);
    frozen_->verticalHeader()->setDefaultSectionSize(height);
}

QTableView* UnitTable::frozenView() const {
    return frozen_;
}

QWidget* UnitTable::currentEditor() const {
    const QModelIndex current = currentIndex();
    if (QWidget* editor = indexWidget(current)) {
        return editor;
    }
    return frozen_->indexWidget(current);
}

void UnitTable::closeCurrentEditor() {
    QWidget* editor = currentEditor();
    if (editor == nullptr) {
        return;
    }
    QAbstractItemDelegate* delegate =
        indexWidget(currentIndex()) == editor ? itemDelegate() : frozen_->itemDelegate();
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void UnitTable::followColumnWidths() {
    for (int column = 0; column < frozenColumns_; ++column) {
        frozen_->setColumnWidth(column, columnWidth(column));
    }
    placeFrozen();
}

int UnitTable::frozenWidth() const {
    int width = 0;
    for (int column = 0; column < frozenColumns_; ++column) {
        width += columnWidth(column);
    }
    return width;
}

void UnitTable::placeFrozen() {
    const int header = verticalHeader()->isVisible() ? verticalHeader()->width() : 0;
    frozen_->setGeometry(header + frameWidth(), frameWidth(),
                         std::min(frozenWidth(), viewport()->width()),
                         viewport()->height() + horizontalHeader()->height());
}

void UnitTable::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    placeFrozen();
}

void UnitTable::updateGeometries() {
    QTableView::updateGeometries();
    placeFrozen();
}

void UnitTable::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QScrollBar* across = horizontalScrollBar();
    const int x = across->value();
    QTableView::scrollTo(index, hint);
    if (!index.isValid()) {
        return;
    }
    if (index.column() < frozenColumns_) {
        across->setValue(x);  // the leading columns are always in view: only the rows scroll
    } else if (const int hidden = frozenWidth() - visualRect(index).left(); hidden > 0) {
        across->setValue(across->value() - hidden);  // not under the leading columns
    }
}

bool UnitTable::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (trigger == SelectedClicked && !clickEdits(index, pressedCurrent_)) {
        return false;
    }
    // The leading columns are edited where they are seen.
    if (index.isValid() && index.column() < frozenColumns_) {
        return frozen_->editCell(index, trigger, event);
    }
    return QTableView::edit(index, trigger, event);
}

void UnitTable::mousePressEvent(QMouseEvent* event) {
    pressedCurrent_ = currentIndex();
    QTableView::mousePressEvent(event);
}

void UnitTable::editNext(bool forward) {
    const QModelIndex next = moveCursor(forward ? MoveNext : MovePrevious, Qt::NoModifier);
    if (!next.isValid()) {
        return;
    }
    selectionModel()->setCurrentIndex(next, QItemSelectionModel::ClearAndSelect);
    if (next.flags() & Qt::ItemIsEditable) {
        edit(next, AllEditTriggers, nullptr);
    }
}

bool UnitTable::clickEdits(const QModelIndex& index, const QModelIndex& current) const {
    if (index != current) {
        return false;
    }
    const QItemSelection selection = selectionModel()->selection();
    return std::ranges::all_of(selection, [&index](const QItemSelectionRange& range) {
        return range.top() == index.row() && range.bottom() == index.row();
    });
}

}  // namespace ui
