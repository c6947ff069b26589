// The result grid widget driven offscreen over a real 13 x 6 store.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QStyleOptionViewItem>
#include <QTest>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "grid_model.h"
#include "grid_store.h"
#include "grid_widget.h"

namespace grid {
void PrintTo(const CellSpan& span, std::ostream* out) {
    *out << "(" << span.row << "," << span.col << " " << span.rows << "x" << span.cols << ")";
}
}  // namespace grid

namespace {

using grid::CellSpan;
using grid::GridStore;
using grid::GridWidget;
using Cell = std::pair<int, int>;

constexpr int kRows = 13;
constexpr int kCols = 6;

// The grid with the item option the view hands its delegate open to the tests.
class ViewGrid : public GridWidget {
  public:
    using GridWidget::GridWidget;
    [[nodiscard]] QStyleOptionViewItem itemOption(const QModelIndex& index) const {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.rect = visualRect(index);
        return option;
    }
};

// Rows of the image from the first to the last that hold a dark (text) pixel; 0 when none.
int inkHeight(const QImage& image) {
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).lightness() < 128) {
                first = first < 0 ? y : first;
                last = y;
            }
        }
    }
    return first < 0 ? 0 : last - first + 1;
}

class GridWidgetTest : public ::testing::Test {
  protected:
    void show() {
        grid_->resize(640, 420);
        grid_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(grid_.get()));
        grid_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(grid_.get()));
        grid_->setFocus();
        ASSERT_TRUE(grid_->hasFocus());
    }
    [[nodiscard]] QRect cellRect(int row, int col) const {
        return grid_->visualRect(grid_->model()->index(row, col));
    }
    [[nodiscard]] QColor pixel(QPoint at) const {
        return grid_->viewport()->grab().toImage().pixelColor(at);
    }
    // A pixel inside the cell, clear of its text and of any frame.
    [[nodiscard]] QColor blankPixel(int row, int col) const {
        return pixel(cellRect(row, col).topRight() + QPoint(-4, 4));
    }
    void click(int row, int col) {
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, cellRect(row, col).center());
    }
    [[nodiscard]] Cell current() const { return {grid_->Row(), grid_->Col()}; }
    [[nodiscard]] Cell mouse() const { return {grid_->MouseRow(), grid_->MouseCol()}; }
    [[nodiscard]] QImage cellImage(int row, int col) const {
        return grid_->viewport()->grab(cellRect(row, col)).toImage();
    }

    std::unique_ptr<ViewGrid> grid_ = std::make_unique<ViewGrid>(kRows, kCols);
    GridStore& store_ = grid_->store();
};

TEST(MergedSpans, FollowMergeFlagsAndStopAtTheFixedCells) {
    using Put = std::tuple<int, int, int, int, const char*>;  // row1, col1, row2, col2, text
    struct Case {
        const char* name;
        std::vector<Put> puts;
        std::vector<int> mergeCols, hiddenRows;
        std::vector<CellSpan> spans;
    };
    // clang-format off
    const Case cases[] = {
        {"labels down column 0, not into the heading", {{0, 0, 4, 0, "手提式"}, {5, 0, 8, 0, "推车式"}}, {0}, {}, {{1, 0, 4, 1}, {5, 0, 4, 1}}},
        {"the conclusion down column 5", {{0, 5, 12, 5, "满足要求"}}, {5}, {}, {{1, 5, 12, 1}}},
        {"equal blocks of two columns: one rectangle", {{4, 3, 7, 4, "-"}}, {3, 4}, {}, {{4, 3, 4, 2}}},
        {"blocks of different height stay apart", {{4, 3, 7, 4, "-"}, {8, 4, 8, 4, "-"}}, {3, 4}, {}, {{4, 3, 4, 1}, {4, 4, 5, 1}}},
        {"a row across the ordinary columns only", {{2, 0, 2, 3, "无"}}, {}, {}, {{2, 1, 1, 3}}},
        {"hidden rows with stale text inside", {{1, 0, 6, 0, "手提式"}, {2, 0, 2, 0, "旧"}}, {0}, {2, 5}, {{1, 0, 6, 1}}},
    };
    // clang-format on
    for (const auto& c : cases) {
        GridStore store(kRows, kCols);
        for (int n = 0; n < kRows * kCols; ++n) {  // no two cells alike unless the case says so
            store.setTextMatrix(n / kCols, n % kCols, std::to_string(n));
        }
        for (const auto& [row1, col1, row2, col2, text] : c.puts) {
            store.setCellText(row1, col1, row2, col2, text);
        }
        for (const int col : c.mergeCols) {
            store.setMergeCol(col, true);
        }
        for (const int row : c.hiddenRows) {
            store.setRowHidden(row, true);
        }
        store.setMergeRow(-1, true);
        EXPECT_EQ(grid::mergedSpans(store), c.spans) << c.name;
    }
}

TEST_F(GridWidgetTest, StoreChangesAreCoalescedIntoOneQueuedRefresh) {
    show();
    int dataChanges = 0;
    QObject::connect(grid_->model(), &QAbstractItemModel::dataChanged, [&] { ++dataChanges; });
    for (int i = 0; i < 100; ++i) {
        store_.setTextMatrix(1 + i % 12, 5, "满足要求");
    }
    store_.setMergeCol(5, true);
    EXPECT_EQ(dataChanges, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(dataChanges, 1);
    EXPECT_EQ(grid_->rowSpan(1, 5), 12);

    store_.setTextMatrix(6, 5, "不满足");
    grid_->refresh();  // at once
    EXPECT_EQ(grid_->rowSpan(7, 5), 6);
}

TEST_F(GridWidgetTest, KeysNeverMoveOntoFixedOrHiddenCellsNorEditACell) {
    store_.setRowHidden(1, true);  // the first ordinary row in view is row 2
    store_.setTextMatrix(2, 2, "12");
    store_.setTextMatrix(5, 2, "34");  // typing must not jump here either
    show();
    const std::tuple<Cell, Qt::Key, Qt::KeyboardModifiers, Cell> cases[] = {
        {{2, 1}, Qt::Key_Up, {}, {2, 1}},     {{2, 1}, Qt::Key_Left, {}, {2, 1}},
        {{3, 3}, Qt::Key_Home, {}, {3, 1}},   {{3, 3}, Qt::Key_Home, Qt::ControlModifier, {2, 1}},
        {{3, 3}, Qt::Key_PageUp, {}, {2, 3}}, {{3, 3}, Qt::Key_End, Qt::ControlModifier, {12, 5}},
    };
    for (const auto& [from, key, modifiers, to] : cases) {
        grid_->setCurrentCell(from.first, from.second);
        QTest::keyClick(grid_.get(), key, modifiers);
        EXPECT_EQ(current(), to) << from.first << "," << from.second << " key " << key;
    }

    QTest::mouseDClick(grid_->viewport(), Qt::LeftButton, {}, cellRect(2, 2).center());
    QTest::keyClicks(grid_.get(), "34");
    QTest::keyClick(grid_.get(), Qt::Key_F2);
    QTest::keyClick(grid_.get(), Qt::Key_Return);
    EXPECT_EQ(store_.TextMatrix(2, 2), "12");
    EXPECT_EQ(grid_->findChild<QLineEdit*>(), nullptr);
    EXPECT_EQ(current(), Cell(2, 2));
}

// LeaveCell sees the old cell and EnterCell the new; fixed cells raise nothing. MouseRow and
// MouseCol are the cell of the last mouse event.
TEST_F(GridWidgetTest, CellAndMouseEventsSeeTheirCells) {
    show();
    std::vector<std::pair<char, Cell>> events;  // 'L'eave or 'E'nter with Row(), Col()
    GridWidget* g = grid_.get();
    QObject::connect(g, &GridWidget::LeaveCell, [&] { events.emplace_back('L', current()); });
    QObject::connect(g, &GridWidget::EnterCell, [&] { events.emplace_back('E', current()); });
    click(3, 2);
    QTest::keyClick(grid_.get(), Qt::Key_Down);
    click(4, 2);  // already current: nothing
    grid_->setCurrentCell(6, 5);
    for (const auto& [row, col] : {Cell{0, 2}, Cell{5, 0}, Cell{0, 0}}) {
        click(row, col);
        grid_->setCurrentCell(row, col);
    }
    grid_->setCurrentCell(kRows, 1);
    const std::vector<std::pair<char, Cell>> expected = {
        {'L', {1, 1}}, {'E', {3, 2}}, {'L', {3, 2}}, {'E', {4, 2}}, {'L', {4, 2}}, {'E', {6, 5}}};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(current(), Cell(6, 5));

    Cell down;  // as MouseDown saw it
    QObject::connect(g, &GridWidget::MouseDown, [&] { down = mouse(); });
    QTest::mouseClick(grid_->viewport(), Qt::RightButton, Qt::ShiftModifier | Qt::AltModifier,
                      cellRect(0, 2).center());  // a fixed cell counts
    EXPECT_EQ(down, Cell(0, 2));
    QTest::mouseMove(grid_->viewport(), cellRect(4, 3).center());
    EXPECT_EQ(mouse(), Cell(4, 3));
    QTest::mouseMove(grid_->viewport(), cellRect(0, kCols - 1).topRight() + QPoint(20, 2));
    EXPECT_EQ(mouse(), Cell(-1, -1));
}

TEST_F(GridWidgetTest, HighLightTwoPaintsTheSelectionOnlyWithFocus) {
    show();
    const QColor base = grid_->palette().color(QPalette::Base);
    const QColor highlight = grid_->palette().color(QPalette::Active, QPalette::Highlight);
    ASSERT_NE(base, highlight);
    EXPECT_EQ(blankPixel(1, 1), base);
    grid_->setHighLight(2);
    EXPECT_EQ(blankPixel(1, 1), highlight);
    EXPECT_EQ(blankPixel(2, 1), base);
    grid_->clearFocus();
    EXPECT_EQ(blankPixel(1, 1), base);
}

// The area rating as the calculation writes it down the result column: one block over the 12
// model rows of 300 twips in a column of 1025 twips. The texts have no blank to break at.
TEST_F(GridWidgetTest, ResultBlockWrapsItsTextOverTheLinesItHasInsteadOfEliding) {
    constexpr int kResultCol = 5;
    constexpr int kFirstModelRow = 1;
    constexpr int kLastModelRow = kRows - 1;
    store_.setRowHeight(-1, 300);
    store_.setColWidth(kResultCol, 1025);
    store_.setMergeCol(kResultCol, true);
    show();
    const QModelIndex block = grid_->model()->index(kFirstModelRow, kResultCol);
    const auto* delegate = qobject_cast<grid::GridDelegate*>(grid_->itemDelegate());
    ASSERT_NE(delegate, nullptr);
    for (const char* text : {"119(118.518)", "1482(1481.472)", "40000(40000)"}) {
        store_.setCellText(kFirstModelRow, kResultCol, kLastModelRow, kResultCol, text);
        grid_->refresh();
        ASSERT_EQ(grid_->rowSpan(kFirstModelRow, kResultCol), kLastModelRow);
        const QStringList lines = delegate->textLines(grid_->itemOption(block), block);
        EXPECT_GT(lines.size(), 1) << text;
        EXPECT_EQ(lines.join(QString()), QString::fromUtf8(text));
        // What is painted spans more than one line, too.
        EXPECT_GT(inkHeight(cellImage(kFirstModelRow, kResultCol)), grid_->fontMetrics().height())
            << text;
    }
}

// The window marks the current row by making its label bold; the label is a block whose top
// row, which the block is painted from, need not be the current row.
TEST_F(GridWidgetTest, MergedLabelShowsBoldWhenAnyOfItsRowsIsBold) {
    constexpr int kLabelCol = 0;
    constexpr int kPortableTop = 1;
    constexpr int kInsideRow = 3;  // a current row below the block's top
    constexpr int kPortableBottom = 8;
    constexpr int kWheeledTop = 9;
    store_.setCellText(kPortableTop, kLabelCol, kPortableBottom, kLabelCol, "手提式");
    store_.setCellText(kWheeledTop, kLabelCol, kRows - 1, kLabelCol, "推车式");
    store_.setMergeCol(kLabelCol, true);
    show();
    const QImage plainPortable = cellImage(kPortableTop, kLabelCol);
    const QImage plainWheeled = cellImage(kWheeledTop, kLabelCol);
    store_.setCellFontBold(kPortableTop, kLabelCol, true);
    grid_->refresh();
    const QImage boldPortable = cellImage(kPortableTop, kLabelCol);
    ASSERT_TRUE(boldPortable != plainPortable);

    for (const int boldRow : {kPortableTop, kInsideRow, kPortableBottom}) {
        store_.setCellFontBold(kPortableTop, kLabelCol, kRows - 1, kLabelCol, false);
        store_.setCellFontBold(boldRow, kLabelCol, true);
        grid_->refresh();
        EXPECT_TRUE(cellImage(kPortableTop, kLabelCol) == boldPortable) << "bold row " << boldRow;
        EXPECT_TRUE(cellImage(kWheeledTop, kLabelCol) == plainWheeled) << "bold row " << boldRow;
    }
}

// A result table as the window fills it; writes grid_widget.png here for a look by eye.
TEST_F(GridWidgetTest, FilledTablePaintsBackColoursAndTheCellBorder) {
    for (int r = 1; r < kRows; ++r) {
        store_.setTextMatrix(r, 1, "MF/ABC" + std::to_string(r + 1));
        store_.setTextMatrix(r, 2, std::to_string(10 + r));
        store_.setTextMatrix(r, 4, std::to_string(r % 3 + 1));
    }
    store_.setCellText(1, 0, 4, 0, "手提式");
    store_.setCellText(5, 0, 12, 0, "推车式");
    store_.setCellText(1, 3, 12, 3, "2A");
    store_.setCellText(4, 3, 7, 4, "-");
    store_.setCellText(1, 5, 12, 5, "满足要求");
    store_.setCellAlignment(0, 0, kRows - 1, kCols - 1, grid::Alignment::CenterCenter);
    store_.setCellBackColor(2, 2, 2, 2, 0x80E0FF);  // 0x00BBGGRR: pale yellow
    store_.setMergeCol(-1, true);
    store_.setMergeRow(-1, true);
    show();
    grid_->resize(grid_->horizontalHeader()->length() + 2 * grid_->frameWidth(),
                  grid_->verticalHeader()->length() + 2 * grid_->frameWidth());
    grid_->setCurrentCell(3, 2);
    grid_->CellBorder(grid::rgb(255, 0, 0), 1, 1, 2, 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(blankPixel(2, 2), QColor(0xFF, 0xE0, 0x80));
    EXPECT_EQ(blankPixel(0, 2), grid_->palette().color(QPalette::Button));  // fixed cells
    EXPECT_EQ(blankPixel(6, 0), grid_->palette().color(QPalette::Button));

    const QRect r = cellRect(3, 2);
    const QPoint c = r.center();
    // Edges are drawn inside the cell: left and top 1 pixel wide, right and bottom 2.
    const std::pair<QPoint, bool> probes[] = {
        {{r.left(), c.y()}, true},       {{r.left() + 1, c.y()}, false},
        {{c.x(), r.top()}, true},        {{c.x(), r.top() + 1}, false},
        {{r.right() - 1, c.y()}, true},  {{r.right() - 2, c.y()}, false},
        {{c.x(), r.bottom() - 1}, true}, {{c.x(), r.bottom() - 2}, false}};
    for (const auto& [at, framed] : probes) {
        EXPECT_EQ(pixel(at) == QColor(Qt::red), framed) << at.x() << "," << at.y();
    }
    EXPECT_TRUE(grid_->grab().save(QStringLiteral("grid_widget.png")));
    grid_->CellBorder(0, 0, 0, 0, 0);
    EXPECT_NE(pixel({r.left(), c.y()}), QColor(Qt::red));
}

}  // namespace
