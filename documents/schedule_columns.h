#pragma once

#include <QString>
#include <QVariant>
#include <array>
#include <cstddef>
#include <cstdint>

#include "page_layout.h"
#include "project.h"

// The columns of the schedule of units: what the project window's table, the book's schedule, its
// copies and the workbook's sheet 配置表 show of each unit, one column at a time.
namespace documents {

// One unit as a row of the schedule.
struct ScheduleRow {
    std::size_t index;  // the unit's place in the project, from 0
    const core::Unit& unit;
    const core::UnitDesign& design;
};

// Where a column is shown besides the workbook, which shows them all.
enum class ScheduleShown : std::uint8_t {
    Everywhere,
    NotInWindow,    // the book, its copies and the workbook
    InWorkbookOnly  // the workbook, whose numbers carry no letter
};

struct ScheduleColumn {
    const char* heading;        // in the book, its copies and the workbook
    const char* windowHeading;  // in the project window
    ScheduleShown shown;
    ColumnKind kind;  // in the book: a text wraps, a value keeps to one line
    bool alignRight;  // in the window: values to the right, texts to the left
    // Empty where the unit cannot be configured; 校核 alone then tells why.
    bool derived;
    bool summed;  // the row 合计 gives the column's total
    // The cell's text in the book and its copies, and in the window unless windowValue says.
    QString (*text)(const ScheduleRow& row);
    // The workbook's number for the cell; none: the workbook writes the text.
    double (*number)(const ScheduleRow& row);
    // The window's value where it is not the text: a number, or an input of the unit that
    // cannot be configured.
    QVariant (*windowValue)(const ScheduleRow& row);
};

extern const std::array<ScheduleColumn, 19> kScheduleColumns;

// Whether the book (and its copies) or the project window shows the column.
[[nodiscard]] bool shownInBook(const ScheduleColumn& column);
[[nodiscard]] bool shownInWindow(const ScheduleColumn& column);
// The project window's columns, in order: its column c is windowColumn(c).
constexpr int kWindowColumns = 17;
[[nodiscard]] const ScheduleColumn& windowColumn(int column);

// The cell as the book shows it: empty where a derived column meets a unit without a
// configuration.
[[nodiscard]] QString scheduleText(const ScheduleColumn& column, const ScheduleRow& row);

}  // namespace documents
