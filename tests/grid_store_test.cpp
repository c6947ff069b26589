#include "grid_store.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace grid {
namespace {

TEST(GridStore, RangeSettersCoverEveryCellOfTheRangeInEitherCornerOrder) {
    GridStore g(13, 6);
    g.setCellText(4, 0, 1, 0, "手提式");
    g.setCellBackColor(12, 5, 1, 1, rgb(223, 223, 223));
    g.setCellFontBold(3, 0, true);
    for (int r = 0; r < 13; ++r) {
        EXPECT_EQ(g.TextMatrix(r, 0), r >= 1 && r <= 4 ? "手提式" : "") << r;
        for (int c = 0; c < 6; ++c) {
            const bool inRange = r >= 1 && c >= 1;
            EXPECT_EQ(g.cell(r, c).backColor.has_value(), inRange) << r << ',' << c;
            EXPECT_EQ(g.cell(r, c).bold, r == 3 && c == 0) << r << ',' << c;
        }
    }
    EXPECT_EQ(*g.cell(5, 5).backColor, 0xDFDFDFU);
}

TEST(GridStore, ColoursKeepRedInTheLowByte) {
    EXPECT_EQ(rgb(255, 224, 224), 0xE0E0FFU);
    EXPECT_EQ(redOf(0xE0E0FFU), 255);
    EXPECT_EQ(blueOf(0xE0E0FFU), 224);
}

TEST(GridStore, MinusOneMeansAllRowsOrColumns) {
    GridStore g(13, 6);
    g.setRowHeight(-1, 300);
    g.setRowHeight(0, 500);
    g.setColWidth(-1, 1025);
    g.setMergeCol(-1, true);
    EXPECT_EQ(g.rowHeight(0), 500);
    EXPECT_EQ(g.rowHeight(12), 300);
    EXPECT_EQ(g.colWidth(5), 1025);
    EXPECT_TRUE(g.mergeCol(0) && g.mergeCol(5));
    EXPECT_FALSE(g.mergeRow(3));
}

TEST(GridStore, RejectsCellsOutsideTheGridAndNotifiesChanges) {
    GridStore g(13, 6);
    int changes = 0;
    g.setObserver([&](GridStore::Change) { ++changes; });
    EXPECT_THROW((void)g.TextMatrix(-1, -1), std::out_of_range);
    EXPECT_THROW(g.setTextMatrix(13, 0, "x"), std::out_of_range);
    EXPECT_THROW(g.setRowHidden(-2, true), std::out_of_range);
    EXPECT_EQ(changes, 0);
    g.setTextMatrix(1, 1, "x");
    g.setRowHidden(12, true);
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(g.rowHidden(12));
}

}  // namespace
}  // namespace grid
