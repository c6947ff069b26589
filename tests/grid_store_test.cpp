#include "grid_store.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

namespace grid {
namespace {

TEST(GridStore, RangesCoverEveryCellInEitherCornerOrderAndMinusOneMeansAll) {
    GridStore g(13, 6);
    g.setCellText({4, 0, 1, 0}, "手提式");
    g.setCellBackColor({12, 5, 1, 1}, rgb(255, 224, 224));
    for (int r = 0; r < 13; ++r) {
        EXPECT_EQ(g.TextMatrix(r, 0), r >= 1 && r <= 4 ? "手提式" : "") << r;
        for (int c = 0; c < 6; ++c) {
            EXPECT_EQ(g.cell(r, c).backColor.has_value(), r >= 1 && c >= 1) << r << ',' << c;
        }
    }
    EXPECT_EQ(*g.cell(5, 5).backColor, 0xE0E0FFU) << "red in the low byte";
    g.setRowHeight(-1, 300);
    g.setRowHeight(0, 500);
    EXPECT_EQ(g.rowHeight(0), 500);
    EXPECT_EQ(g.rowHeight(12), 300);
    EXPECT_THROW((void)g.TextMatrix(-1, -1), std::out_of_range);
    EXPECT_THROW(g.setRowHidden(-2, true), std::out_of_range);
}

TEST(GridStore, WithoutRowsOrColumnsIsRefusedBeforeAllocating) {
    for (const auto& [rows, cols] : {std::pair{-1, -1}, {0, 6}, {13, 0}, {-1, 6}, {13, -1}}) {
        EXPECT_THROW((void)GridStore(rows, cols), std::invalid_argument) << rows << " x " << cols;
    }
}

}  // namespace
}  // namespace grid
