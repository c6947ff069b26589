#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "grid_store.h"
#include "selection.h"

namespace core {

// The result grid: 13 rows (row 0 headings, rows 1 to 12 one model each) and 6 columns
// (mount label, charge, model code, rating, count, the area's required rating).
constexpr int kGridRows = 13;
constexpr int kGridCols = 6;
constexpr int kFirstModelRow = 1;
constexpr int kLastModelRow = 12;
constexpr int kRatingCol = 3;
constexpr int kCountCol = 4;
constexpr int kAreaRatingCol = 5;

constexpr grid::Color kGrey = grid::rgb(223, 223, 223);      // model not adequate
constexpr grid::Color kLightRed = grid::rgb(255, 224, 224);  // model adequate at the hazard level

// What columns 4 and 5 say when the area cannot give a count.
constexpr std::string_view kAreaOutOfRange = "面积数值超出计算范围";
constexpr std::string_view kAreaNegative = "面积不能为负数";

// The message that answers fire class D, shown in a box titled kClassDTitle.
constexpr std::string_view kClassDTitle = "提示";
constexpr std::array<std::string_view, 2> kClassDLines = {
    "    D类火灾场所的灭火器最低配置基准应根据",
    "金属的种类、物态及其特性等研究确定。",
};

// The headings of row 0 as the window is designed, before any fire class is handled.
constexpr std::array<std::string_view, kGridCols> kHeadings = {
    "    ",           "灭火剂充装量(L)/(kg)", "灭火器类型规格代码",
    "灭火级别 (A类)", "灭火器数量",           "场所灭火级别",
};

// Writes the headings into a new result grid.
void writeHeadings(grid::GridStore& fa);

// The sizes and the background that loading the window gives the grid.
void setLoadedGridLayout(grid::GridStore& fa);

// The event handlers that fill the result grid from the choices. They keep no state: the
// selection and the grid are the only records, read afresh on every run. Constructing the
// calculator makes it the click handler of both option arrays, so that selecting an option
// from code runs the handler at once.
class Calculator {
  public:
    Calculator(Selection& selection, grid::GridStore& fa);
    Calculator(const Calculator&) = delete;
    Calculator& operator=(const Calculator&) = delete;
    ~Calculator();

    // Shows the class-D message and returns when the user has closed it.
    void setClassDNotice(std::function<void()> notice) { classDNotice_ = std::move(notice); }

    // Agent type or building category clicked: redraws the selected agent's table, recalculates.
    void Op_Click(std::int16_t Index);
    // An agent type or building category lost the focus: redraws only for the selected button.
    void Op_LostFocus(std::int16_t Index);
    // Fire class, hazard level or K clicked: agent availability and rating heading follow the
    // fire class, then the table is redrawn and recalculated. Class D falls back to class A.
    void Op1_Click(std::int16_t Index);
    // Recalculates the area's required rating (column 5) and the counts (column 4).
    void tx_LostFocus();

  private:
    void drawTable(int agentType);
    void redrawSelectedAgent();
    void moveAgentTo(std::int16_t from, std::int16_t to);

    Selection& sel_;
    grid::GridStore& fa_;
    std::function<void()> classDNotice_;
};

}  // namespace core
