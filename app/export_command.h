#pragma once

#include <QString>
#include <optional>

// `extinguisher-calculator --export OUT PROJECT.fep [--floor TEXT]`: the project's calculation
// book (OUT ending in .pdf), workbook (.xlsx) or layout drawings (.dxf), written without a window.
namespace app {

// Writes OUT from the project file. Returns the exit status: 0 when written (with a warning on
// standard error where units fail their check: "警告：有 2 个计算单元不满足校核。"), 1 when the
// project cannot be read or has no units, OUT's suffix is not .pdf, .xlsx or .dxf, OUT is the
// project file itself, or OUT cannot be written (a link, a read-only file, a full disk); the reason
// goes to standard error in Chinese, naming the file, and OUT is left as it was. Needs a
// QGuiApplication (the book's fonts), which may run on the offscreen platform.
//
// A .dxf is the layout drawing of one floor: the floor named, else each floor's that has setting
// points, to the files documents::floorFiles() names (OUT itself for a project of one floor), a
// warning for each floor left out for want of points. Every file is checked before any is
// written; a floor that is not the project's, or that has no outline or no points, is refused.
struct ExportRequest {
    QString projectFile;   // the .fep file
    QString out;           // the book (.pdf), the workbook (.xlsx) or the layout drawing (.dxf)
    bool verbose = false;  // also the workbook library's own (English) lines on standard error,
                           // and each layout drawing written on standard output
    std::optional<QString> floor = std::nullopt;  // the one floor of the layout drawing
};
[[nodiscard]] int exportProject(const ExportRequest& request);

}  // namespace app
