#include "export_command.h"

#include <QDate>
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

}  // namespace

int exportProject(const ExportRequest& request) {
    const QString& out = request.out;
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (suffix != QLatin1String("pdf") && suffix != QLatin1String("xlsx")) {
        tell(QStringLiteral("无法导出到“%1”：文件扩展名应为 .pdf（计算书）或 .xlsx（Excel 工作簿）")
                 .arg(out));
        return 1;
    }
    const auto read = io::readProject(request.projectFile);
    if (const auto* fault = std::get_if<QString>(&read)) {
        tell(*fault);
        return 1;
    }
    const core::Project& project = std::get<core::Project>(read);
    const QDate today = QDate::currentDate();
    const documents::WriteOutcome outcome =
        suffix == QLatin1String("pdf")
            ? documents::writeBookPdf(project, out, documents::unitSheetHtml(today))
            : documents::writeWorkbook(project, out);
    if (!outcome.written()) {
        tell(outcome.error);
        return 1;
    }
    return 0;
}

}  // namespace app
