#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace grid {

// Colours are 24-bit values with red in the low byte: 0x00BBGGRR.
using Color = std::uint32_t;

constexpr Color rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return (red & 0xFFU) | ((green & 0xFFU) << 8U) | ((blue & 0xFFU) << 16U);
}
constexpr int redOf(Color c) {
    return static_cast<int>(c & 0xFFU);
}
constexpr int greenOf(Color c) {
    return static_cast<int>((c >> 8U) & 0xFFU);
}
constexpr int blueOf(Color c) {
    return static_cast<int>((c >> 16U) & 0xFFU);
}

// Cell alignment codes of the grid; the table uses only centre-centre.
enum class Alignment : std::uint8_t { General = 9, CenterCenter = 4 };

struct CellFormat {
    std::string text;
    Alignment alignment = Alignment::General;
    std::optional<Color> backColor;  // empty: the grid's own colour
    bool bold = false;
};

// The cells from one corner to the other, the corners given in either order.
struct CellRange {
    int row1 = 0;
    int col1 = 0;
    int row2 = 0;
    int col2 = 0;
};

// How many heading rows and label columns the grid has, counted from the top-left.
struct FixedCells {
    int rows = 1;
    int cols = 1;
};

// The grid's record of the table: texts and formats of every cell, hidden rows, the rows and
// columns that merge equal neighbours, row heights and column widths. The window's result table
// writes it; the grid widget draws it. Row and column numbers count from 0; an index of -1 in
// the size and merge setters means every row or every column.
class GridStore {
  public:
    GridStore(int rows, int cols, FixedCells fixed = {});

    [[nodiscard]] int rows() const { return rows_; }
    [[nodiscard]] int cols() const { return cols_; }
    [[nodiscard]] int fixedRows() const { return fixedRows_; }
    [[nodiscard]] int fixedCols() const { return fixedCols_; }
    [[nodiscard]] bool contains(int row, int col) const;

    // TextMatrix get and put. Both throw std::out_of_range outside the grid.
    [[nodiscard]] const std::string& TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, std::string text);

    // Cell put over a range. All throw std::out_of_range when a corner is outside the grid.
    void setCellText(const CellRange& range, const std::string& text);
    void setCellAlignment(const CellRange& range, Alignment alignment);
    void setCellBackColor(const CellRange& range, Color color);
    void setCellFontBold(const CellRange& range, bool bold);
    void setCellFontBold(int row, int col, bool bold) {
        setCellFontBold({row, col, row, col}, bold);
    }

    [[nodiscard]] const CellFormat& cell(int row, int col) const;

    void setMergeRow(int row, bool merge);
    void setMergeCol(int col, bool merge);
    [[nodiscard]] bool mergeRow(int row) const;
    [[nodiscard]] bool mergeCol(int col) const;

    void setRowHidden(int row, bool hidden);
    [[nodiscard]] bool rowHidden(int row) const;

    // Sizes in twips.
    void setRowHeight(int row, int twips);
    void setColWidth(int col, int twips);
    [[nodiscard]] int rowHeight(int row) const;
    [[nodiscard]] int colWidth(int col) const;

    // Runs a series of writes as one change: the observer hears of it once, at the end.
    void update(const std::function<void()>& writes);

    // Called after every change; the widget uses it to redraw.
    void setObserver(std::function<void()> observer) { observer_ = std::move(observer); }

  private:
    void checkCell(int row, int col) const;
    [[nodiscard]] std::size_t indexOf(int row, int col) const;
    template <typename Fn>
    void forRange(const CellRange& range, Fn&& fn);
    void changed();

    int rows_;
    int cols_;
    int fixedRows_;
    int fixedCols_;
    std::vector<CellFormat> cells_;
    std::vector<bool> rowHidden_;
    std::vector<bool> mergeRow_;
    std::vector<bool> mergeCol_;
    std::vector<int> rowHeight_;
    std::vector<int> colWidth_;
    std::function<void()> observer_;
    int updating_ = 0;  // depth of update() calls; changes inside are told once at the end
};

}  // namespace grid
