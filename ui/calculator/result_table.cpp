#include "result_table.h"

#include <array>
#include <string>

#include "number_text.h"

namespace ui {

void setLoadedGridLayout(grid::GridStore& fa) {
    fa.update([&fa] {
        fa.setRowHeight(-1, 300);
        fa.setRowHeight(0, 500);
        fa.setColWidth(-1, 1025);
        fa.setColWidth(0, 300);
        fa.setColWidth(2, 1100);
        fa.setCellBackColor({kFirstModelRow, 1, kLastModelRow, kCountCol}, kGrey);
    });
}

void drawResult(const core::Result& result, grid::GridStore& fa) {
    const std::vector<std::vector<std::string>> rows = documents::resultRows(result);
    fa.update([&] {
        fa.setMergeRow(-1, true);
        fa.setMergeCol(-1, true);
        for (int r = 0; r <= kLastModelRow; ++r) {
            const bool shown = r < static_cast<int>(rows.size());
            if (r >= kFirstModelRow) {
                fa.setRowHidden(r, !shown);
            }
            if (!shown) {
                fa.setCellText({r, kMountCol, r, kAreaRatingCol}, "");
                continue;
            }
            const std::vector<std::string>& texts = rows[static_cast<std::size_t>(r)];
            for (int c = 0; c < kGridCols; ++c) {
                fa.setTextMatrix(r, c, texts[static_cast<std::size_t>(c)]);
            }
        }
        fa.setCellBackColor({kFirstModelRow, kChargeCol, kLastModelRow, kAreaRatingCol}, kGrey);
        for (std::size_t i = 0; i < result.rows.size(); ++i) {
            if (result.rows[i].adequate) {
                const int r = kFirstModelRow + static_cast<int>(i);
                fa.setCellBackColor({r, kChargeCol, r, kAreaRatingCol}, kLightRed);
            }
        }
        fa.setCellAlignment({0, 0, kLastModelRow, kGridCols - 1}, grid::Alignment::CenterCenter);
    });
}

}  // namespace ui
