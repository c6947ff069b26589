#include "export_command.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <variant>

#include <fcntl.h>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

#include "book_pdf.h"
#include "project_file.h"
#include "project_tables.h"
#include "unit_sheet.h"
#include "workbook.h"

namespace app {

namespace {

void tell(const QString& message) {
    std::fprintf(stderr, "%s\n", message.toUtf8().constData());
}

// The C library's descriptors, by their names on each system.
#ifdef Q_OS_WIN
constexpr char kNullDevice[] = "NUL";
// A windowed program's standard error, when reopened on its console, need not be 2.
int standardError() {
    return _fileno(stderr);
}
int duplicate(int handle) {
    return _dup(handle);
}
int duplicateTo(int handle, int to) {
    return _dup2(handle, to);
}
int openNull() {
    return _open(kNullDevice, _O_WRONLY | _O_NOINHERIT);
}
int closeHandle(int handle) {
    return _close(handle);
}
#else
constexpr char kNullDevice[] = "/dev/null";
int standardError() {
    return STDERR_FILENO;
}
int duplicate(int handle) {
    return ::dup(handle);
}
int duplicateTo(int handle, int to) {
    return ::dup2(handle, to);
}
int openNull() {
    return ::open(kNullDevice, O_WRONLY | O_CLOEXEC);
}
int closeHandle(int handle) {
    return ::close(handle);
}
#endif

// Standard error goes nowhere while one lives: libxlsxwriter prints its own English lines about a
// failed write there, which the Chinese message after it says better.
class QuietStandardError {
  public:
    QuietStandardError() {
        std::fflush(stderr);
        if (handle_ < 0) {
            return;
        }
        saved_ = duplicate(handle_);
        const int null = openNull();
        if (saved_ >= 0 && null >= 0) {
            duplicateTo(null, handle_);
        }
        if (null >= 0) {
            closeHandle(null);
        }
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;
    ~QuietStandardError() {
        if (saved_ >= 0) {
            std::fflush(stderr);
            duplicateTo(saved_, handle_);
            closeHandle(saved_);
        }
    }

  private:
    int handle_ = standardError();
    int saved_ = -1;
};

// Whether OUT is the project file itself, also through a link.
bool outIsTheProject(const ExportRequest& request) {
    const QString canonical = QFileInfo(request.out).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(request.projectFile).canonicalFilePath();
}

}  // namespace

int exportProject(const ExportRequest& request) {
    const QString& out = request.out;
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (suffix != QLatin1String("pdf") && suffix != QLatin1String("xlsx")) {
        tell(QStringLiteral("无法导出到“%1”：文件扩展名应为 .pdf（计算书）或 .xlsx（Excel 工作簿）")
                 .arg(out));
        return 1;
    }
    if (outIsTheProject(request)) {
        tell(QStringLiteral("无法导出到“%1”：这就是要导出的工程文件，导出会覆盖它")
                 .arg(QDir::toNativeSeparators(out)));
        return 1;
    }
    const auto read = io::readProject(request.projectFile);
    if (const auto* fault = std::get_if<QString>(&read)) {
        tell(*fault);
        return 1;
    }
    const core::Project& project = std::get<core::Project>(read);
    if (const auto refusal = documents::exportRefusal(project)) {
        tell(*refusal);
        return 1;
    }
    documents::WriteOutcome outcome;
    if (suffix == QLatin1String("pdf")) {
        outcome = documents::writeBookPdf(project, out);
    } else if (request.verbose) {
        outcome = documents::writeWorkbook(project, out);
    } else {
        const QuietStandardError quiet;
        outcome = documents::writeWorkbook(project, out);
    }
    if (!outcome.written()) {
        tell(outcome.error);
        return 1;
    }
    // Exported all the same: the book and workbook show which units fail and why.
    if (const auto warning = documents::failingUnitsWarning(project)) {
        tell(QStringLiteral("警告：") + *warning + QStringLiteral("。"));
    }
    return 0;
}

}  // namespace app
