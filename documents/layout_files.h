#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "floor_layout.h"
#include "project.h"
#include "write_outcome.h"

// Which layout drawings a project has and the files they go to: one DXF per floor, as the
// command line's and the project window's exports write them.
namespace documents {

// Why the floor has no layout drawing, as a Chinese sentence ("楼层“二层”的计算单元尚未布置设置
// 点。"); empty when it has one.
[[nodiscard]] std::optional<QString> layoutRefusal(const core::Project& project,
                                                   const std::string& floor);
// The floor has a layout drawing: it has setting points, and its units came from drawings in one
// unit.
[[nodiscard]] bool hasLayout(const core::FloorLayout& floor);
// Why the project has no layout drawing at all: no unit has an outline, or none of them has
// setting points. Empty when some floor has one.
[[nodiscard]] std::optional<QString> layoutsRefusal(const core::Project& project);

// A floor's layout drawing and the file it goes to.
struct FloorFile {
    std::string floor;
    QString fileName;
};

// The files of every floor that has a layout drawing, in the order of core::floorLayouts(). With
// one floor of outlines, `out` itself; with several, "<out>-<floor>.<suffix>" each, the floor's
// name made fit for a file name (io::fileNamePart) and, where two floors would give the same
// name (also in another letter case), the later one numbered "-2", "-3".
[[nodiscard]] std::vector<FloorFile> floorFiles(const core::Project& project, const QString& out);

// Writes each floor's layout drawing to its file, as whole as a set of files can be: every file is
// checked first (io::replaceFault: "无法导出到“a-一层.dxf”：文件是只读的"; an existing file named
// as a drawing the project's rooms were imported from is refused too), so that a refusal
// writes none; where a write still fails or is cancelled, the files of this export that did not
// exist before are removed again.
[[nodiscard]] WriteOutcome writeLayouts(const core::Project& project,
                                        const std::vector<FloorFile>& files,
                                        const Progress& progress = {});

}  // namespace documents
