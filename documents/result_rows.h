#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "calculation.h"

// The result table's texts: what the calculator's grid shows of a result, and what the sheet's
// table of models takes from it.
namespace documents {

// Six columns: mount label, charge, model code, rating, count, the area's required rating.
constexpr int kResultCols = 6;
constexpr int kMountCol = 0;
constexpr int kChargeCol = 1;
constexpr int kCodeCol = 2;
constexpr int kRatingCol = 3;
constexpr int kCountCol = 4;
constexpr int kAreaRatingCol = 5;

// What column 5 says when the area gives no required rating; column 4 is then empty.
constexpr std::string_view kAreaOutOfRange = "面积数值超出计算范围";
constexpr std::string_view kAreaNegative = "面积不能为负数";

// The result table's texts as the grid shows them: the heading row, then one row per model of
// the agent, six cells each.
[[nodiscard]] std::vector<std::vector<std::string>> resultRows(const core::Result& result);

}  // namespace documents
