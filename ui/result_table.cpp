#include "result_table.h"

#include <array>
#include <string>

#include "number_text.h"

namespace ui {

namespace {

constexpr std::array<std::string_view, kGridCols> kHeadings = {
    "    ", "灭火剂充装量(L)/(kg)", "灭火器类型规格代码", "", "灭火器数量", "场所灭火级别",
};

// The rating column's heading names the fire class; class E has the heading of class C.
std::string ratingHeading(core::FireClass fireClass) {
    const core::FireClass named = fireClass == core::FireClass::E ? core::FireClass::C : fireClass;
    return std::string("灭火级别 (") + core::fireClassLetter(named) + "类 )";
}

// Column 5: N, then Q to three decimals in parentheses, both in the plain form ("1(.13)").
std::string areaRatingText(const core::Result& result) {
    if (result.required) {
        return core::plainText(static_cast<float>(result.required->whole)) + "(" +
               core::plainText(result.required->rounded) + ")";
    }
    return std::string(result.fault == core::AreaFault::Negative ? kAreaNegative : kAreaOutOfRange);
}

std::string countText(const core::Result& result, const core::ModelResult& row) {
    if (!result.required) {
        return {};
    }
    return row.count ? core::zf(*row.count) : "-";
}

}  // namespace

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

std::vector<std::vector<std::string>> resultRows(const core::Result& result) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> headings(kHeadings.begin(), kHeadings.end());
    headings[kRatingCol] = ratingHeading(result.fireClass);
    rows.push_back(std::move(headings));
    const std::string areaRating = areaRatingText(result);
    for (const core::ModelResult& row : result.rows) {
        rows.push_back({std::string(core::mountLabel(row.model->mount)),
                        std::string(row.model->charge), std::string(row.model->code),
                        std::string(row.ratingText), countText(result, row), areaRating});
    }
    return rows;
}

void drawResult(const core::Result& result, grid::GridStore& fa) {
    const std::vector<std::vector<std::string>> rows = resultRows(result);
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
