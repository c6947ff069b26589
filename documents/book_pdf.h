#pragma once

#include <QPageLayout>
#include <QString>

#include "project.h"
#include "write_outcome.h"

class QPagedPaintDevice;
class QPainter;

// The calculation book of a project, as a plan reviewer receives it.
namespace documents {

// Writes the book as a PDF:
// - a cover: the project's name and number, the title, the design stage, the signature block
//   (计算, 校对, 审核, 审定), the company, the date (the project's, else today) and the codes;
// - 目录, with the page on which each part and each unit starts;
// - 一、灭火器配置表 on landscape pages, its heading row repeated on each, then 合计;
// - 二、材料表;
// - where units have outlines, 三、平面布置图: each floor's plan on landscape pages (FloorPlan),
//   with its legend and its table beside it, or the table on pages of its own after it;
// - 三、计算单元 (四、 after the plans): each unit's calculation from a new page under
//   "3　地下车库（B1）", continued under "（续）" when it runs over, a unit with setting points
//   listing them with the pages of the plan that show them;
// and every page after the cover with a running header and "第 x 页 共 y 页", the cover counted
// though not numbered.
// The file is replaced only when the book is complete; cancelling through progress leaves it as
// it was. Needs a QGuiApplication.
[[nodiscard]] WriteOutcome writeBookPdf(const core::Project& project, const QString& fileName,
                                        const Progress& progress = {});

// The book's pages: A4, upright, without margins of the device's own (the book sets its own).
[[nodiscard]] QPageLayout bookPageLayout();

// Paints the same book with `painter`, begun on `device` (a printer, say) with bookPageLayout(),
// turning the device for the landscape pages. False when cancelled through progress; the caller
// then discards what was painted (a printer's job is aborted).
[[nodiscard]] bool paintBook(const core::Project& project, QPainter& painter,
                             QPagedPaintDevice& device, const Progress& progress = {});

}  // namespace documents
