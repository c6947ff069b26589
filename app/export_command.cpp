#include "export_command.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <variant>

#ifdef Q_OS_UNIX
#include <fcntl.h>
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

// Standard error goes nowhere while one lives: libxlsxwriter prints its own English lines about a
// failed write there, which the Chinese message after it says better.
class QuietStandardError {
  public:
    QuietStandardError() {
#ifdef Q_OS_UNIX
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0) {
            ::dup2(null, STDERR_FILENO);
        }
        if (null >= 0) {
            ::close(null);
        }
#endif
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;
    ~QuietStandardError() {
#ifdef Q_OS_UNIX
        if (saved_ >= 0) {
            std::fflush(stderr);
            ::dup2(saved_, STDERR_FILENO);
            ::close(saved_);
        }
#endif
    }

  private:
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
    return 0;
}

}  // namespace app
