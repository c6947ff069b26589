#pragma once

#include <QString>

// `extinguisher-calculator --export OUT PROJECT.fep`: the project's calculation book (OUT ending
// in .pdf) or workbook (.xlsx), written without a window.
namespace app {

// Writes OUT from the project file. Returns the exit status: 0 when written (with a warning on
// standard error where units fail their check: "警告：有 2 个计算单元不满足校核。"), 1 when the
// project cannot be read or has no units, OUT's suffix is neither .pdf nor .xlsx, OUT is the
// project file itself, or OUT cannot be written (a link, a read-only file, a full disk); the reason
// goes to standard error in Chinese, naming the file, and OUT is left as it was. Needs a
// QGuiApplication (the book's fonts), which may run on the offscreen platform.
struct ExportRequest {
    QString projectFile;   // the .fep file
    QString out;           // the book (.pdf) or the workbook (.xlsx)
    bool verbose = false;  // also the workbook library's own (English) lines on standard error
};
[[nodiscard]] int exportProject(const ExportRequest& request);

}  // namespace app
