#pragma once

#include <QString>

#include "project.h"
#include "write_outcome.h"

// The layout drawing (平面布置图) of one floor as a DXF that lies over the architect's drawing at
// (0, 0) with scale 1: R2000 (AC1015), texts in GBK ($DWGCODEPAGE ANSI_936), in the unit the
// floor's outlines were imported in. Its layers: 灭火器 (a reference to the block 手提式灭火器 or
// 推车式灭火器 at each setting point, with the attributes 编号, 型号 and 数量), 灭火器标注 (a
// label beside each symbol), 灭火器保护范围 (each point's reach by walking distance, not
// plotted), 计算单元 (the outlines with their numbers and names) and the legend. The same project
// gives the same bytes on every system: no date, no random handle.
namespace documents {

// Writes the floor's layout drawing to `fileName`, whole or not at all. The floor must have
// setting points (core::layoutFault() None).
[[nodiscard]] WriteOutcome writeLayoutDxf(const core::Project& project, const std::string& floor,
                                          const QString& fileName, const Progress& progress = {});

}  // namespace documents
