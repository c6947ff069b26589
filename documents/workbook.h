#pragma once

#include <QString>

#include "project.h"
#include "write_outcome.h"

// The project as an Excel workbook.
namespace documents {

// Writes the workbook with four worksheets: 配置表 (the schedule), 材料表 (the bill of
// materials), 计算 (every unit's inputs, derived values and checks) and 设置点 (every setting
// point: its number, where it lies in its floor's drawing units, what it holds and the farthest
// distance of its share, rounded up to 0.01 m). Numbers go into numeric
// cells; the letter of a rating (A or B) stands in a text column of its own. The workbook is
// written to a new file in the target's folder and renamed over the target only when complete,
// so a failed or cancelled export leaves no file behind and an existing file untouched.
[[nodiscard]] WriteOutcome writeWorkbook(const core::Project& project, const QString& fileName,
                                         const Progress& progress = {});

}  // namespace documents
