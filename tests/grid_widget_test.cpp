// The result grid widget driven offscreen over a real 13 x 6 store.
#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>
#include <algorithm>
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

// Pixel rows from the first to the last that hold a dark (text) pixel; 0 when none.
int inkHeight(const QImage& image) {
    std::vector<int> inked;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).lightness() < 128) {
                inked.push_back(y);
            }
        }
    }
    return inked.empty() ? 0 : inked.back() - inked.front() + 1;
}

class GridWidgetTest : public ::testing::Test {
  protected:
    void show() {
        grid_->resize(640, 420);
        grid_->show();
        grid_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(grid_.get()));
        grid_->setFocus();
    }
    [[nodiscard]] QRect cellRect(int row, int col) const {
        return grid_->visualRect(grid_->model()->index(row, col));
    }
    [[nodiscard]] QImage cellImage(int row, int col) const {
        return grid_->viewport()->grab(cellRect(row, col)).toImage();
    }
    [[nodiscard]] Cell current() const { return {grid_->Row(), grid_->Col()}; }

    std::unique_ptr<GridWidget> grid_ = std::make_unique<GridWidget>(kRows, kCols);
    GridStore& store_ = grid_->store();
};

using Put = std::tuple<int, int, int, int, const char*>;  // row1, col1, row2, col2, text
struct SpanCase {
    const char* name;
    std::vector<Put> puts;
    std::vector<int> mergeCols, hiddenRows;
    std::vector<CellSpan> spans;
};

class MergedSpans : public ::testing::TestWithParam<SpanCase> {};

TEST_P(MergedSpans, FollowMergeFlagsAndStopAtTheFixedCells) {
    const SpanCase& c = GetParam();
    GridStore store(kRows, kCols);
    for (int n = 0; n < kRows * kCols; ++n) {  // no two cells alike unless the case says so
        store.setTextMatrix(n / kCols, n % kCols, std::to_string(n));
    }
    for (const auto& [row1, col1, row2, col2, text] : c.puts) {
        store.setCellText({row1, col1, row2, col2}, text);
    }
    std::ranges::for_each(c.mergeCols, [&](int col) { store.setMergeCol(col, true); });
    std::ranges::for_each(c.hiddenRows, [&](int row) { store.setRowHidden(row, true); });
    store.setMergeRow(-1, true);
    EXPECT_EQ(grid::mergedSpans(store), c.spans) << c.name;
}

// clang-format off
const SpanCase kSpanCases[] = {
    {"labels_down_column_0_not_into_the_heading", {{0, 0, 4, 0, "手提式"}, {5, 0, 8, 0, "推车式"}}, {0}, {}, {{1, 0, 4, 1}, {5, 0, 4, 1}}},
    {"the_conclusion_down_column_5", {{0, 5, 12, 5, "满足要求"}}, {5}, {}, {{1, 5, 12, 1}}},
    {"equal_blocks_of_two_columns_one_rectangle", {{4, 3, 7, 4, "-"}}, {3, 4}, {}, {{4, 3, 4, 2}}},
    {"blocks_of_different_height_stay_apart", {{4, 3, 7, 4, "-"}, {8, 4, 8, 4, "-"}}, {3, 4}, {}, {{4, 3, 4, 1}, {4, 4, 5, 1}}},
    {"a_row_across_the_ordinary_columns_only", {{2, 0, 2, 3, "无"}}, {}, {}, {{2, 1, 1, 3}}},
    {"hidden_rows_with_stale_text_inside", {{1, 0, 6, 0, "手提式"}, {2, 0, 2, 0, "旧"}}, {0}, {2, 5}, {{1, 0, 6, 1}}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(GridModel, MergedSpans, ::testing::ValuesIn(kSpanCases),
                         [](const auto& p) { return std::string(p.param.name); });

// The keys never move onto a fixed or hidden cell.
TEST_F(GridWidgetTest, KeysNeverMoveOntoFixedOrHiddenCells) {
    store_.setRowHidden(1, true);  // the first ordinary row in view is row 2
    show();
    const std::tuple<Cell, Qt::Key, Qt::KeyboardModifiers, Cell> cases[] = {
        // from, key, to
        {{2, 1}, Qt::Key_Up, {}, {2, 1}},     {{2, 1}, Qt::Key_Left, {}, {2, 1}},
        {{3, 3}, Qt::Key_Home, {}, {3, 1}},   {{3, 3}, Qt::Key_Home, Qt::ControlModifier, {2, 1}},
        {{3, 3}, Qt::Key_PageUp, {}, {2, 3}}, {{3, 3}, Qt::Key_End, Qt::ControlModifier, {12, 5}},
    };
    for (const auto& [from, key, modifiers, to] : cases) {
        grid_->setCurrentCell(from.first, from.second);
        QTest::keyClick(grid_.get(), key, modifiers);
        EXPECT_EQ(current(), to) << from.first << "," << from.second << " key " << key;
    }
}

// Merged blocks as the window writes them: the area rating, one block over 12 rows of 300 twips in
// a column of 1025, wraps its text (no blank to break at), never inside a number, whatever the
// font; a label shows bold when any of its rows is (the window marks the current row so), though
// it is painted from its top row.
TEST_F(GridWidgetTest, MergedBlocksWrapTheResultAndShowABoldLabel) {
    store_.setRowHeight(-1, 300);
    store_.setColWidth(5, 1025);
    store_.setMergeCol(5, true);
    store_.setCellText({1, 0, 8, 0}, "手提式");
    store_.setCellText({9, 0, kRows - 1, 0}, "推车式");
    store_.setMergeCol(0, true);
    show();
    // The text, what a line as wide as where a break anywhere would fall holds, and its lines.
    const std::tuple<const char*, QString, QStringList> texts[] = {
        {"4231(4230.9)", "4231(4230.", {"4231", "(4230.9)"}},
        {"1482(1481.472)", "1482(1481.4", {"1482", "(1481.472)"}},
        {"40000(40000)", "40000(400", {"40000", "(40000)"}},
    };
    QStyleOptionViewItem cell;
    cell.fontMetrics = QFontMetrics(cell.font);
    cell.features = QStyleOptionViewItem::WrapText;
    for (const auto& [text, held, lines] : texts) {
        store_.setCellText({1, 5, kRows - 1, 5}, text);
        grid_->refresh();
        ASSERT_EQ(grid_->rowSpan(1, 5), kRows - 1);
        EXPECT_GT(inkHeight(cellImage(1, 5)), grid_->fontMetrics().height()) << text;
        cell.text = QString::fromUtf8(text);
        const int width = cell.fontMetrics.horizontalAdvance(held) + 1;
        EXPECT_EQ(grid::layOutText(cell, {0, 0, width, 99}), lines) << text;
    }

    const QImage plainWheeled = cellImage(9, 0);
    store_.setCellFontBold(1, 0, true);
    grid_->refresh();
    const QImage boldPortable = cellImage(1, 0);
    store_.setCellFontBold(1, 0, false);
    grid_->refresh();
    ASSERT_TRUE(cellImage(1, 0) != boldPortable);
    for (const int boldRow : {1, 3, 8}) {  // the block's top, a row inside it, its bottom
        store_.setCellFontBold({1, 0, kRows - 1, 0}, false);
        store_.setCellFontBold(boldRow, 0, true);
        grid_->refresh();
        EXPECT_TRUE(cellImage(1, 0) == boldPortable && cellImage(9, 0) == plainWheeled) << boldRow;
    }
}

// The frame of the current cell is drawn inside it: left and top edges 1 pixel wide, right and
// bottom 2. Widths of 0 remove it.
TEST_F(GridWidgetTest, CellBorderFramesTheCurrentCellInsideIt) {
    show();
    grid_->setCurrentCell(3, 2);
    grid_->CellBorder(grid::rgb(255, 0, 0), 1, 1, 2, 2);
    QCoreApplication::processEvents();
    const QRect r = cellRect(3, 2);
    const QPoint c = r.center();
    const auto red = [&](QPoint at) {
        return grid_->viewport()->grab().toImage().pixelColor(at) == QColor(Qt::red);
    };
    // clang-format off
    const std::pair<QPoint, bool> probes[] = {
        {{r.left(), c.y()}, true}, {{r.left() + 1, c.y()}, false}, {{c.x(), r.top()}, true}, {{c.x(), r.top() + 1}, false},
        {{r.right() - 1, c.y()}, true}, {{r.right() - 2, c.y()}, false}, {{c.x(), r.bottom() - 1}, true}, {{c.x(), r.bottom() - 2}, false}};
    // clang-format on
    for (const auto& [at, framed] : probes) {
        EXPECT_EQ(red(at), framed) << at.x() << "," << at.y();
    }
    grid_->CellBorder(0, 0, 0, 0, 0);
    EXPECT_FALSE(red({r.left(), c.y()}));
}

}  // namespace
