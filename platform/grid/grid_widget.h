#pragma once

#include <QColor>
#include <QTableView>
#include <QTimer>
#include <map>
#include <utility>
#include <vector>

#include "grid_model.h"
#include "grid_store.h"

namespace grid {

// Twips (1/1440 inch) to pixels: 15 twips a pixel at 96 dpi, scaled with the logical dpi.
[[nodiscard]] int twipsToPixels(int twips, double logicalDpi = 96.0);

// The result grid: draws its GridStore and reports the current cell and the mouse. Row 0 and column
// 0 are fixed cells: ordinary cells of the view, painted in the button face colours, which never
// become current. Cells are never edited.
//
// The widget is the store's observer and passes every change on as storeChanged(). For drawing,
// store changes are coalesced: the first change schedules one refresh() for the next pass of the
// event loop, later ones until then only ride along. Call refresh() to sync at once.
//
// The first ordinary cell (1,1) is made current in the constructor, before anyone can connect,
// so no EnterCell is raised for it; a window that frames the current cell on EnterCell should
// run its EnterCell handler once after connecting.
class GridWidget : public QTableView {
    Q_OBJECT
  public:
    GridWidget(int rows, int cols, QWidget* parent = nullptr);
    ~GridWidget() override;
    GridWidget(const GridWidget&) = delete;
    GridWidget& operator=(const GridWidget&) = delete;

    // Brings texts, formats, hidden rows, sizes and merged blocks in line with the store now.
    // Row heights and column widths are applied only when the store's value changed, so a
    // column the user dragged keeps its width across refreshes.
    void refresh();

    // The merged block that holds the cell: its top-left cell and size; 1 x 1 when unmerged.
    [[nodiscard]] CellSpan blockAt(int row, int col) const;

    [[nodiscard]] GridStore& store() { return store_; }
    [[nodiscard]] const GridStore& store() const { return store_; }

    // Current cell. setCurrentCell ignores fixed and out-of-range cells and raises
    // LeaveCell/EnterCell like a click.
    [[nodiscard]] int Row() const;
    [[nodiscard]] int Col() const;
    void setCurrentCell(int row, int col);

    // Cell under the pointer at the last mouse event; -1 when there was none.
    [[nodiscard]] int MouseRow() const { return mouseRow_; }
    [[nodiscard]] int MouseCol() const { return mouseCol_; }

    // Frames the current cell (its whole merged block) with edges of the given widths in pixels,
    // drawn inside the cell; all widths 0 remove the frame. The frame stays with that cell.
    void CellBorder(Color color, int left, int top, int right, int bottom);

    // 0: the selection is never painted highlighted; 1: always; 2: only while the grid has
    // keyboard focus. Other values count as 0.
    void setHighLight(int mode);
    [[nodiscard]] int HighLight() const;

    // Typing does not jump to a matching cell.
    void keyboardSearch(const QString& search) override;

  signals:
    void LeaveCell();  // before the current cell changes: Row()/Col() give the cell being left
    void EnterCell();  // after it changed: Row()/Col() give the new cell
    // MouseRow()/MouseCol() are already updated when these are raised.
    void MouseDown();
    void MouseMove();
    void MouseUp();
    // Raised at once after every change of the store: each write, or one for a whole update().
    void storeChanged();

  protected:
    // The focus and selection that assistive technology hears of name the grid's own cells.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    [[nodiscard]] QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex& index, const QEvent* event) const override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    struct Frame {
        QColor color;
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
    };

    void applyLayout();
    void applySpans();
    [[nodiscard]] int firstVisibleRow(int from) const;
    [[nodiscard]] int columnEdgeAt(QPoint pos) const;
    void trackMouse(QPoint pos);

    // Members, not children: model and delegate go before the view, which Qt allows, and never
    // outlive the store they read.
    GridStore store_;
    GridModel model_;
    GridDelegate delegate_;
    QTimer refreshTimer_;  // coalesces store changes into one refresh()
    std::vector<int> appliedRowTwips_;
    std::vector<int> appliedColTwips_;
    std::vector<CellSpan> spans_;
    std::map<std::pair<int, int>, Frame> frames_;
    int mouseRow_ = -1;
    int mouseCol_ = -1;
    int resizingCol_ = -1;  // column whose right edge is being dragged in the heading row
};

}  // namespace grid
