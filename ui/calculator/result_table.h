#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "calculation.h"
#include "grid_store.h"
#include "result_rows.h"

// The result grid as the window lays it out, and the one place that writes a result into it:
// texts, colours, merging, alignment and hidden rows.
namespace ui {

using documents::kAreaRatingCol;
using documents::kChargeCol;
using documents::kCodeCol;
using documents::kCountCol;
using documents::kMountCol;
using documents::kRatingCol;

// 13 rows (row 0 headings, rows 1 to 12 one model each) and 6 columns: mount label, charge,
// model code, rating, count, the area's required rating.
constexpr int kGridRows = 13;
constexpr int kGridCols = documents::kResultCols;
constexpr int kFirstModelRow = 1;
constexpr int kLastModelRow = 12;

constexpr grid::Color kGrey = grid::rgb(223, 223, 223);      // model not adequate
constexpr grid::Color kLightRed = grid::rgb(255, 224, 224);  // model adequate at the hazard level

// The row heights, column widths and background that loading the window gives the grid.
void setLoadedGridLayout(grid::GridStore& fa);

// Writes the result into the grid as one change: headings, the agent's models in rows 1 to n
// (rows after them hidden and empty), grey rows with the adequate ones light red, every cell
// centred, the counts in column 4 and the required rating in column 5. Bold and sizes stay.
void drawResult(const core::Result& result, grid::GridStore& fa);

}  // namespace ui
