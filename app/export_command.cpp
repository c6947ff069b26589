#include "export_command.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <variant>

#include "book_pdf.h"
#include "project_file.h"
#include "unit_sheet.h"
#include "workbook.h"

namespace app {

namespace {

void tell(const QString& message) {
    std::fprintf(stderr, "%s\n", message.toUtf8().constData());
}

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
    const documents::WriteOutcome outcome =
        suffix == QLatin1String("pdf")
            ? documents::writeBookPdf(project, out, documents::unitSheetHtml(QDate::currentDate()))
            : documents::writeWorkbook(project, out);
    if (!outcome.written()) {
        tell(outcome.error);
        return 1;
    }
    return 0;
}

}  // namespace app
