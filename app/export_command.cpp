#include "export_command.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <variant>

#include <fcntl.h>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

#include "book_pdf.h"
#include "floor_layout.h"
#include "layout_files.h"
#include "project_file.h"
#include "project_tables.h"
#include "unit_sheet.h"
#include "utf8_text.h"
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

// Whether `out` is the project file itself, also through a link.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
bool isTheProject(const QString& out, const QString& projectFile) {
    const QString canonical = QFileInfo(out).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(projectFile).canonicalFilePath();
}

QString projectRefusal(const QString& out) {
    return QStringLiteral("无法导出到“%1”：这就是要导出的工程文件，导出会覆盖它")
        .arg(QDir::toNativeSeparators(out));
}

// The layout drawings: the files of the floor asked for, or of every floor with points.
int exportLayouts(const ExportRequest& request, const core::Project& project) {
    std::vector<documents::FloorFile> files;
    if (request.floor) {
        const std::string floor = io::utf8(*request.floor);
        if (std::ranges::none_of(project.units,
                                 [&floor](const core::Unit& u) { return u.location == floor; })) {
            QStringList floors;
            for (const core::FloorLayout& layout : core::floorLayouts(project)) {
                floors << io::qs(layout.floor);
            }
            tell(floors.isEmpty() ? *documents::layoutsRefusal(project)
                                  : QStringLiteral("工程中没有楼层“%1”，有平面轮廓的楼层：%2")
                                        .arg(*request.floor, floors.join(QStringLiteral("、"))));
            return 1;
        }
        if (const auto refusal = documents::layoutRefusal(project, floor)) {
            tell(*refusal);
            return 1;
        }
        files.push_back({floor, request.out});
    } else {
        if (const auto refusal = documents::layoutsRefusal(project)) {
            tell(*refusal);
            return 1;
        }
        files = documents::floorFiles(project, request.out);
    }
    for (const documents::FloorFile& file : files) {
        if (isTheProject(file.fileName, request.projectFile)) {
            tell(projectRefusal(file.fileName));
            return 1;
        }
    }
    if (const auto outcome = documents::writeLayouts(project, files); !outcome.written()) {
        tell(outcome.error);
        return 1;
    }
    if (const auto warning = documents::failingUnitsWarning(project)) {
        tell(QStringLiteral("警告：") + *warning + QStringLiteral("。"));
    }
    if (request.verbose) {
        for (const documents::FloorFile& file : files) {
            std::printf("已导出：%s\n",
                        QDir::toNativeSeparators(file.fileName).toUtf8().constData());
        }
    }
    if (!request.floor) {
        for (const core::FloorLayout& layout : core::floorLayouts(project)) {
            if (!documents::hasLayout(layout)) {
                tell(QStringLiteral("警告：") +
                     documents::layoutRefusal(project, layout.floor)->chopped(1) +
                     QStringLiteral("，未导出其平面布置图。"));
            }
        }
    }
    return 0;
}

}  // namespace

int exportProject(const ExportRequest& request) {
    const QString& out = request.out;
    const QString suffix = QFileInfo(out).suffix().toLower();
    const bool layout = suffix == QLatin1String("dxf");
    if (suffix != QLatin1String("pdf") && suffix != QLatin1String("xlsx") && !layout) {
        tell(QStringLiteral("无法导出到“%1”：文件扩展名应为 .pdf（计算书）、.xlsx（Excel 工作簿）"
                            "或 .dxf（平面布置图）")
                 .arg(out));
        return 1;
    }
    if (isTheProject(out, request.projectFile)) {
        tell(projectRefusal(out));
        return 1;
    }
    const auto read = io::readProject(request.projectFile);
    if (const auto* fault = std::get_if<QString>(&read)) {
        tell(*fault);
        return 1;
    }
    const core::Project& project = std::get<core::Project>(read);
    if (layout) {
        return exportLayouts(request, project);
    }
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
