#pragma once

#include <QPersistentModelIndex>
#include <QTableView>

class QAbstractItemDelegate;

namespace ui {

// The table of the project's units. Its leading columns (number, location and name) stay in view
// while the others scroll sideways: a second view over the left of the table shows them, sharing
// the model, the selection and the row heights, and edits them in place. A click on a cell of a
// selection selects that cell's row alone unless the cell was already the current one of a single
// selected row: only then does the click open its editor.
class UnitTable : public QTableView {
    Q_OBJECT

  public:
    // `frozenColumns`: how many leading columns stay in view.
    explicit UnitTable(int frozenColumns, QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    // The delegates of the table and of the view of the leading columns: one each, since a
    // delegate's signals reach every view it serves.
    void setDelegates(QAbstractItemDelegate* table, QAbstractItemDelegate* frozen);
    // Every row this high, in both views.
    void setRowHeight(int height);
    // The view of the leading columns.
    [[nodiscard]] QTableView* frozenView() const;
    // The editor open on the current cell, in either view; null when none is open.
    [[nodiscard]] QWidget* currentEditor() const;
    // Takes the value of the current cell's editor, if one is open, and closes it.
    void closeCurrentEditor();
    // The leading columns' widths given again to the view of them, after the header's state was
    // restored.
    void followColumnWidths();
    // Scrolls the rows and, for a column after the leading ones, sideways so that it is not
    // under them.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    class Frozen;
    friend class Frozen;

    void placeFrozen();
    // Makes the next (or previous) cell current and opens its editor, as Tab does.
    void editNext(bool forward);
    [[nodiscard]] int frozenWidth() const;
    // Whether a click on `index`, pressed while `current` was the current cell, opens its editor.
    [[nodiscard]] bool clickEdits(const QModelIndex& index, const QModelIndex& current) const;

    int frozenColumns_;
    Frozen* frozen_;
    // The current cell as the mouse was pressed.
    QPersistentModelIndex pressedCurrent_;
};

}  // namespace ui
