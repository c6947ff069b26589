#include "workbook.h"

#include <xlsxwriter.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "dxf_reader.h"
#include "file_commit.h"
#include "file_errors.h"
#include "floor_layout.h"
#include "number_text.h"
#include "project_tables.h"
#include "schedule_columns.h"
#include "table_clipboard.h"
#include "unit_texts.h"

namespace documents {

namespace {

// Excel keeps at most this many characters in a cell.
constexpr qsizetype kMaxCellLength = 32767;
// Columns grow with their texts up to this width, in Excel's character widths.
constexpr int kMaxColumnWidth = 60;
// Excel keeps at most this many characters in a page header, its codes included.
constexpr qsizetype kMaxHeaderLength = LXW_HEADER_FOOTER_MAX;
// Excel's number for A4 paper.
constexpr std::uint8_t kPaperA4 = 9;
// The page footer: the page's number and the sheet's count of pages, centred.
constexpr char kPageFooter[] = "&C第 &P 页 共 &N 页";

// A text as a cell holds it: on one line, cut to Excel's length without splitting a character.
QString cellValue(const QString& value) {
    QString cell = cellText(value);
    if (cell.size() > kMaxCellLength) {
        cell.truncate(kMaxCellLength);
        if (cell.back().isHighSurrogate()) {
            cell.chop(1);
        }
    }
    return cell;
}

// The page header: the project's name, centred, each ampersand doubled so that Excel prints it
// rather than reading a code. A name too long for the header is cut short, never inside a
// character or an ampersand's pair, and ends in an ellipsis. Empty for an empty name.
QByteArray pageHeader(const QString& name) {
    const QString text = cellText(name);
    if (text.isEmpty()) {
        return {};
    }
    QString header = QStringLiteral("&C");
    QString escaped = text;
    escaped.replace(u'&', QStringLiteral("&&"));
    if (header.size() + escaped.size() <= kMaxHeaderLength) {
        return (header + escaped).toUtf8();
    }
    const QChar ellipsis(0x2026);
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2
                                                                                             : 1;
        const QString piece = text[i] == u'&' ? QStringLiteral("&&") : text.mid(i, length);
        if (header.size() + piece.size() + 1 > kMaxHeaderLength) {
            break;
        }
        header += piece;
        i += length;
    }
    return (header + ellipsis).toUtf8();
}

// The width a text takes in Excel's default font: a Chinese character about two Latin ones.
int displayWidth(const QString& text) {
    int width = 0;
    for (const QChar c : text) {
        if (c.isLowSurrogate()) {
            continue;
        }
        width += c.unicode() >= 0x2E80 || c.isHighSurrogate() ? 2 : 1;
    }
    return width;
}

// A number format of the workbook: so many decimals, and the unit after them where it is not
// in the column's heading.
struct Decimals {
    lxw_format* format = nullptr;
    int places = 0;
    QString unit = {};

    [[nodiscard]] QString shown(double value) const {
        const QString number = QString::number(value, 'f', places);
        return unit.isEmpty() ? number : number + u' ' + unit;
    }
};

Decimals addDecimals(lxw_workbook* book, int places, const QString& unit = {}) {
    QString code = places > 0 ? QStringLiteral("0.") + QString(places, u'0') : QStringLiteral("0");
    if (!unit.isEmpty()) {
        code += QStringLiteral(" \"%1\"").arg(unit);
    }
    lxw_format* format = workbook_add_format(book);
    format_set_num_format(format, code.toUtf8().constData());
    return {format, places, unit};
}

// One worksheet written row by row, left to right: any title rows, then its heading row, bold,
// frozen and printed atop each page, then the table. Its columns are as wide as their widest
// text in the table; it prints landscape on A4, one page wide, under the project's name.
class Sheet {
  public:
    Sheet(lxw_workbook* book, const char* name, lxw_format* heading, const QStringList& headings,
          int titleRows = 0)
        : sheet_(workbook_add_worksheet(book, name)),
          headingRow_(static_cast<lxw_row_t>(titleRows)),
          row_(headingRow_),
          columns_(static_cast<lxw_col_t>(headings.size())) {
        if (sheet_ == nullptr) {
            error_ = LXW_ERROR_MEMORY_MALLOC_FAILED;
            return;
        }
        for (const QString& h : headings) {
            text(h, heading);
        }
        endRow();
    }

    // A row above the headings, merged across the table's columns; it leaves their widths alone.
    void title(int row, const QString& value, lxw_format* format,
               double height = LXW_DEF_ROW_HEIGHT) {
        if (sheet_ == nullptr) {
            return;
        }
        const auto at = static_cast<lxw_row_t>(row);
        keep(worksheet_set_row(sheet_, at, height, nullptr));
        keep(worksheet_merge_range(sheet_, at, 0, at, static_cast<lxw_col_t>(columns_ - 1),
                                   cellValue(value).toUtf8().constData(), format));
    }

    void text(const QString& value, lxw_format* format = nullptr) {
        const QString cell = cellValue(value);
        if (!cell.isEmpty()) {
            fit(displayWidth(cell));
            keep(worksheet_write_string(sheet_, row_, column_, cell.toUtf8().constData(), format));
        }
        ++column_;
    }
    void number(double value) {
        // Excel has no cell for an infinite or undefined number; such a value stays blank.
        if (std::isfinite(value)) {
            fit(displayWidth(QString::number(value, 'g', 12)));
            keep(worksheet_write_number(sheet_, row_, column_, value, nullptr));
        }
        ++column_;
    }
    void number(double value, const Decimals& decimals) {
        if (std::isfinite(value)) {
            fit(displayWidth(decimals.shown(value)));
            keep(worksheet_write_number(sheet_, row_, column_, value, decimals.format));
        }
        ++column_;
    }
    void number(std::int64_t value) { number(static_cast<double>(value)); }
    void number(int value) { number(static_cast<double>(value)); }
    void skip(int columns = 1) { column_ = static_cast<lxw_col_t>(column_ + columns); }
    void endRow() {
        ++row_;
        column_ = 0;
    }

    // Sets the column widths, freezes the rows down to the headings and sets up the printed
    // pages with the header given (none when empty); the first error of the sheet.
    lxw_error finish(const QByteArray& header) {
        if (sheet_ == nullptr) {
            return error_;
        }
        for (std::size_t c = 0; c < widths_.size(); ++c) {
            const double width = std::min(widths_[c] + 2, kMaxColumnWidth);
            keep(worksheet_set_column(sheet_, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                      width, nullptr));
        }
        worksheet_freeze_panes(sheet_, headingRow_ + 1, 0);
        worksheet_set_landscape(sheet_);
        worksheet_set_paper(sheet_, kPaperA4);
        worksheet_fit_to_pages(sheet_, 1, 0);
        keep(worksheet_repeat_rows(sheet_, headingRow_, headingRow_));
        if (!header.isEmpty()) {
            keep(worksheet_set_header(sheet_, header.constData()));
        }
        keep(worksheet_set_footer(sheet_, kPageFooter));
        return error_;
    }

  private:
    void fit(int width) {
        if (widths_.size() <= column_) {
            widths_.resize(column_ + 1u, 0);
        }
        widths_[column_] = std::max(widths_[column_], width);
    }
    void keep(lxw_error error) {
        if (error_ == LXW_NO_ERROR) {
            error_ = error;
        }
    }

    lxw_worksheet* sheet_;
    lxw_row_t headingRow_;
    lxw_row_t row_;
    lxw_col_t column_ = 0;
    lxw_col_t columns_;
    std::vector<int> widths_;
    lxw_error error_ = LXW_NO_ERROR;
};

// The schedule's headings, with a column for the letter of its ratings before Q.
QStringList workbookScheduleHeadings() {
    QStringList headings;
    for (const ScheduleColumn& column : kScheduleColumns) {
        headings << QString::fromUtf8(column.heading);
    }
    return headings;
}

const QStringList kCalculationHeadings = {
    QStringLiteral("序号"),
    QStringLiteral("位置"),
    QStringLiteral("计算单元"),
    QStringLiteral("火灾种类"),
    QStringLiteral("危险等级"),
    QStringLiteral("K"),
    QStringLiteral("场所类别"),
    QStringLiteral("灭火器类型"),
    QStringLiteral("U(m²)"),
    QStringLiteral("S(m²)"),
    QStringLiteral("级别单位"),
    QStringLiteral("Q计算值"),
    QStringLiteral("Q"),
    QStringLiteral("S/U计算值"),
    QStringLiteral("S/U取整"),
    QStringLiteral("设计需配灭火级别"),
    QStringLiteral("灭火器型号"),
    QStringLiteral("单具灭火级别"),
    QStringLiteral("R(m)"),
    QStringLiteral("N₀"),
    QStringLiteral("N"),
    QStringLiteral("Qe"),
    QStringLiteral("n"),
    QStringLiteral("灭火器数量(具)"),
    QStringLiteral("实配灭火级别"),
    QStringLiteral("6.1.1"),
    QStringLiteral("6.1.2"),
    QStringLiteral("6.2.1/6.2.2"),
    QStringLiteral("7.1.2"),
    QStringLiteral("7.1.3"),
    QStringLiteral("GB 55036-2022 10.0.3"),
    QStringLiteral("说明"),
};

// The documents' date: the project's, else today.
QString documentDate(const core::ProjectInfo& info) {
    if (info.date && info.date->ok()) {
        return QStringLiteral("%1年%2月%3日")
            .arg(static_cast<int>(info.date->year()))
            .arg(static_cast<unsigned>(info.date->month()))
            .arg(static_cast<unsigned>(info.date->day()));
    }
    return QDate::currentDate().toString(QStringLiteral("yyyy年M月d日"));
}

QString metText(bool met) {
    return met ? QStringLiteral("满足") : QStringLiteral("不满足");
}

// A computed value as the calculation sheet states it ("≈ 20.001" is 20.001).
double asShown(double x) {
    const std::string text = core::resultText(x);
    const std::size_t blank = text.find(' ');
    if (blank == std::string::npos) {
        return x;
    }
    return core::leadingNumber(std::string_view(text).substr(blank + 1)).value_or(x);
}

// The cells every row of a unit starts with: 序号, 位置, 计算单元, 火灾种类, 危险等级.
void writeUnitStart(Sheet& sheet, std::size_t index, const core::Unit& unit) {
    sheet.number(static_cast<double>(index + 1));
    sheet.text(qs(unit.location));
    sheet.text(qs(unit.name));
    sheet.text(fireClassName(unit.choices.fireClass));
    sheet.text(hazardName(unit.choices.hazard));
}

// A unit's row of the schedule: its numbers as numbers, no letter beside them.
void writeScheduleRow(Sheet& sheet, const ScheduleRow& row) {
    for (const ScheduleColumn& column : kScheduleColumns) {
        if (column.derived && !row.design.configured()) {
            sheet.skip();
        } else if (column.number) {
            sheet.number(column.number(row));
        } else {
            sheet.text(column.text(row));
        }
    }
}

void writeCalculationRow(Sheet& sheet, std::size_t index, const core::Unit& unit,
                         const core::UnitDesign& d) {
    const core::Choices& choices = unit.choices;
    writeUnitStart(sheet, index, unit);
    sheet.number(core::factorTimesTen(choices.factor) / 10.0);
    sheet.text(buildingShortName(choices.building));
    sheet.text(agentName(choices.agent));
    if (d.conditions) {
        const core::Requirement& r = d.conditions->required;
        sheet.number(core::unitArea(core::ratingClassOf(choices.fireClass), choices.hazard));
        sheet.number(choices.area);
        sheet.text(ratingLetter(choices.fireClass));
        sheet.number(asShown(r.exact));
        sheet.number(r.whole);
        sheet.number(asShown(r.perUnitArea));
        sheet.number(r.perUnitAreaWhole);
        sheet.number(r.design());
    } else {
        sheet.skip();
        sheet.number(choices.area);
        sheet.skip(6);
    }
    if (!d.configured()) {
        sheet.skip(15);
        sheet.text(QStringLiteral("不能配置：") + unconfigurableReason(d.fault));
        return;
    }
    const core::CandidateModel& model = d.chosenModel();
    const core::PointConfiguration& c = d.configuration;
    sheet.text(qs(model.code));
    sheet.number(model.rating);
    sheet.number(c.distance);
    sheet.number(c.estimate);
    sheet.number(c.points);
    sheet.number(c.perPointRequired);
    sheet.number(c.perPoint);
    sheet.number(c.total);
    sheet.number(c.provided);
    const core::ClauseChecks& k = c.checks;
    for (const bool met : {k.atLeastTwo, k.atMostFivePerPoint, k.reachesMinimum, k.pointReachesQe,
                           k.enoughPoints, k.reachesAreaRating}) {
        sheet.text(metText(met));
    }
    QStringList notes;
    if (unit.model && !d.modelChosen) {
        notes << QStringLiteral("型号%1不满足本单元的要求，按%2配置")
                     .arg(qs(*unit.model), qs(model.code));
    }
    if (c.raisedToTwo) {
        notes << QStringLiteral("每点由1具增为2具");
    }
    if (d.cover) {
        // The 7.1.3 column tells whether the placed points reach the whole unit, not N ≥ N₀.
        notes << QStringLiteral("N 为平面上布置的设置点数，7.1.3 按至最近设置点的距离校核：") +
                     reachText(*d.cover, core::placingFault(unit));
    }
    sheet.text(notes.join(QStringLiteral("；")));
}

// The setting points' sheet: each point of every unit, where it lies in its floor's drawing and
// what it holds.
class PointSheet {
  public:
    PointSheet(lxw_workbook* book, lxw_format* heading, const core::Project& project)
        : book_(book), floorUnit_(project.units.size()) {
        const std::vector<core::FloorLayout> floors = core::floorLayouts(project);
        for (const core::FloorLayout& floor : floors) {
            for (const std::size_t unit : floor.units) {
                floorUnit_[unit] = io::unitFromName(QString::fromStdString(floor.drawingUnit))
                                       .value_or(io::DrawingUnit::Millimetre);
            }
        }
        // The unit of the coordinates goes in their headings where every point's floor has the
        // same; else after each coordinate.
        std::optional<io::DrawingUnit> common;
        bool mixed = false;
        for (std::size_t i = 0; i < project.units.size(); ++i) {
            if (!project.units[i].setPoints.empty()) {
                mixed = mixed || (common && *common != floorUnit_[i]);
                common = floorUnit_[i];
            }
        }
        const QString unit = io::unitName(common.value_or(io::DrawingUnit::Millimetre));
        const QString x = mixed ? QStringLiteral("X") : QStringLiteral("X（%1）").arg(unit);
        const QString y = mixed ? QStringLiteral("Y") : QStringLiteral("Y（%1）").arg(unit);
        mixed_ = mixed;
        distance_ = addDecimals(book, 2);
        sheet_.emplace(
            book, "设置点", heading,
            QStringList{QStringLiteral("序号"), QStringLiteral("计算单元"), QStringLiteral("位置"),
                        QStringLiteral("编号"), x, y, QStringLiteral("灭火器型号"),
                        QStringLiteral("数量"), QStringLiteral("最远距离（m）")});
    }

    [[nodiscard]] Sheet& sheet() { return *sheet_; }

    void writeUnit(std::size_t index, const core::Unit& unit, const core::UnitDesign& d) {
        const io::DrawingUnit drawingUnit = floorUnit_[index];
        const Decimals coordinate = coordinates(drawingUnit);
        const double perUnit = io::metresPerUnit(drawingUnit);
        const bool checked = core::placingFault(unit) == core::PlacingFault::None;
        Sheet& sheet = *sheet_;
        for (std::size_t p = 0; p < unit.setPoints.size(); ++p) {
            sheet.number(++rows_);
            sheet.text(qs(unit.name));
            sheet.text(qs(unit.location));
            sheet.text(qs(core::pointNumber(index, p)));
            sheet.number(unit.setPoints[p].x / perUnit, coordinate);
            sheet.number(unit.setPoints[p].y / perUnit, coordinate);
            if (d.configured()) {
                sheet.text(qs(d.chosenModel().code));
                sheet.number(d.configuration.perPoint);
            } else {
                sheet.skip(2);
            }
            double farthest = core::kUnreachable;
            if (d.cover) {
                farthest = d.cover->shares.at(p);
            }
            if (!checked) {
                sheet.text(QStringLiteral("未校核"));
            } else if (std::isfinite(farthest)) {
                sheet.number(farthestRoundedUp(farthest, 2), distance_);
            } else if (d.cover) {
                sheet.text(QStringLiteral("不在计算单元内"));
            } else {
                sheet.skip();
            }
            sheet.endRow();
        }
    }

  private:
    // The coordinates in a drawing unit to 0.1 mm or finer.
    Decimals coordinates(io::DrawingUnit unit) {
        const auto found =
            std::ranges::find(formats_, unit, &std::pair<io::DrawingUnit, Decimals>::first);
        if (found != formats_.end()) {
            return found->second;
        }
        constexpr double kFinest = 1e-4;
        constexpr int kMostPlaces = 10;
        const int places = std::clamp(
            static_cast<int>(std::ceil(std::log10(io::metresPerUnit(unit) / kFinest) - 1e-9)), 0,
            kMostPlaces);
        formats_.emplace_back(unit,
                              addDecimals(book_, places, mixed_ ? io::unitName(unit) : QString()));
        return formats_.back().second;
    }

    lxw_workbook* book_;
    std::vector<io::DrawingUnit> floorUnit_;  // per unit of the project
    bool mixed_ = false;
    Decimals distance_;
    std::vector<std::pair<io::DrawingUnit, Decimals>> formats_;
    std::optional<Sheet> sheet_;
    int rows_ = 0;
};

QString closeErrorText(lxw_error error) {
    switch (error) {
        case LXW_ERROR_MEMORY_MALLOC_FAILED:
            return QStringLiteral("内存不足");
        case LXW_ERROR_CREATING_XLSX_FILE:
            return QStringLiteral("无法创建文件");
        case LXW_ERROR_CREATING_TMPFILE:
        case LXW_ERROR_READING_TMPFILE:
            return QStringLiteral("无法使用临时文件");
        case LXW_ERROR_ZIP_FILE_OPERATION:
        case LXW_ERROR_ZIP_FILE_ADD:
        case LXW_ERROR_ZIP_CLOSE:
            return QStringLiteral("写入文件出错，磁盘可能已满");
        default:
            break;
    }
    return QStringLiteral("写入出错（%1）").arg(QString::fromUtf8(lxw_strerror(error)));
}

// Whether the library failed writing a file, with errno telling why.
bool isWriteError(lxw_error error) {
    switch (error) {
        case LXW_ERROR_CREATING_XLSX_FILE:
        case LXW_ERROR_CREATING_TMPFILE:
        case LXW_ERROR_READING_TMPFILE:
        case LXW_ERROR_ZIP_FILE_OPERATION:
        case LXW_ERROR_ZIP_FILE_ADD:
        case LXW_ERROR_ZIP_CLOSE:
            return true;
        default:
            return false;
    }
}

QString failure(const QString& fileName, const QString& reason) {
    return QStringLiteral("无法保存Excel文件“%1”：%2。")
        .arg(QDir::toNativeSeparators(fileName), reason);
}

// Whether the file ends in a whole zip archive: its closing record in the last 22 bytes (the
// library writes no comment) pointing back to a central directory that ends right before it.
// A workbook that came out short lacks it.
bool endsWholeZip(const QString& fileName) {
    constexpr qint64 kEndRecordSize = 22;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() < kEndRecordSize ||
        !file.seek(file.size() - kEndRecordSize)) {
        return false;
    }
    const QByteArray end = file.read(kEndRecordSize);
    if (end.size() != kEndRecordSize || !end.startsWith("PK\x05\x06")) {
        return false;
    }
    const auto number = [&end](int at) {
        quint32 value = 0;
        for (int i = 3; i >= 0; --i) {
            value = (value << 8) | static_cast<unsigned char>(end[at + i]);
        }
        return qint64{value};
    };
    const qint64 directorySize = number(12);
    const qint64 directoryStart = number(16);
    return directoryStart + directorySize == file.size() - kEndRecordSize;
}

// A new, empty file beside the target that no other writer holds. Its name is ASCII: libxlsxwriter
// opens it by a name in the system's 8-bit encoding (cPath).
std::optional<QString> createPartFile(const QString& target, QString& error) {
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = info.absoluteDir().filePath(
            QStringLiteral(".workbook-%1.part")
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            return name;
        }
        if (!file.exists()) {
            error = io::writeFailureReason(target, file.error(), errno);
            return std::nullopt;
        }
    }
    error = QStringLiteral("无法创建临时文件");
    return std::nullopt;
}

// A path as libxlsxwriter takes it: it opens files with the C library's fopen, which reads the
// name in the system's 8-bit encoding. That is UTF-8 on Linux; on Windows it is the ANSI code
// page, which may not spell every folder (Chinese on a Western system): such a folder is named by
// its short 8.3 name, which is ASCII. Empty when the path has no such spelling.
QByteArray cPath(const QString& path) {
    const QByteArray encoded = QFile::encodeName(QDir::toNativeSeparators(path));
    if (QFile::decodeName(encoded) == QDir::toNativeSeparators(path)) {
        return encoded;
    }
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    const std::wstring folder = QDir::toNativeSeparators(info.absolutePath()).toStdWString();
    std::wstring shortFolder(MAX_PATH, L'\0');
    const DWORD length = GetShortPathNameW(folder.c_str(), shortFolder.data(),
                                           static_cast<DWORD>(shortFolder.size()));
    if (length > 0 && length < shortFolder.size()) {
        shortFolder.resize(length);
        const QString shortPath = QString::fromStdWString(shortFolder) + u'\\' + info.fileName();
        const QByteArray shortEncoded = QFile::encodeName(shortPath);
        if (QFile::decodeName(shortEncoded) == shortPath) {
            return shortEncoded;
        }
    }
#endif
    return {};
}

}  // namespace

WriteOutcome writeWorkbook(const core::Project& project, const QString& fileName,
                           const Progress& progress) {
    if (auto fault = io::replaceFault(fileName)) {
        return {WriteStatus::Failed, failure(fileName, *fault)};
    }
    QString error;
    const std::optional<QString> part = createPartFile(fileName, error);
    if (!part) {
        return {WriteStatus::Failed, failure(fileName, error)};
    }
    const QByteArray partPath = cPath(*part);
    if (partPath.isEmpty()) {
        QFile::remove(*part);
        return {WriteStatus::Failed,
                failure(fileName, QStringLiteral("文件夹的名称无法交给 Excel 写入库"))};
    }
#ifdef Q_OS_WIN
    // The C library's tmpfile on Windows writes to the drive's root, which a user may not write:
    // the library's own scratch files go beside the workbook.
    QByteArray scratchFolder = partPath;
    scratchFolder.truncate(scratchFolder.lastIndexOf('\\'));
    lxw_workbook_options options{};
    options.tmpdir = scratchFolder.data();
    lxw_workbook* book = workbook_new_opt(partPath.constData(), &options);
#else
    lxw_workbook* book = workbook_new(partPath.constData());
#endif
    if (book == nullptr) {
        QFile::remove(*part);
        return {WriteStatus::Failed,
                failure(fileName, closeErrorText(LXW_ERROR_MEMORY_MALLOC_FAILED))};
    }

    const std::vector<core::UnitDesign> unitDesigns = designs(project);
    const std::vector<Material> materialList = materials(project, unitDesigns);
    const std::size_t units = project.units.size();
    const int total = static_cast<int>(std::min<std::size_t>(3 * units + materialList.size() + 1,
                                                             std::numeric_limits<int>::max()));
    int done = 0;
    const auto step = [&] {
        ++done;
        return !progress || progress(std::min(done, total), total);
    };
    const auto abandon = [&](WriteOutcome outcome) {
        lxw_workbook_free(book);
        QFile::remove(*part);
        return outcome;
    };

    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format* titleFormat = workbook_add_format(book);
    format_set_bold(titleFormat);
    format_set_font_size(titleFormat, 14);
    format_set_align(titleFormat, LXW_ALIGN_CENTER);
    format_set_align(titleFormat, LXW_ALIGN_VERTICAL_CENTER);

    // The schedule under its title and the project's name, number and date.
    Sheet schedule(book, "配置表", bold, workbookScheduleHeadings(), 2);
    schedule.title(0, QStringLiteral("灭火器配置表"), titleFormat, 24);
    schedule.title(1,
                   QStringLiteral("工程名称：%1　　工程编号：%2　　日期：%3")
                       .arg(qs(project.name), qs(project.info.number), documentDate(project.info)),
                   nullptr);
    Sheet bill(book, "材料表", bold, materialHeadings());
    Sheet calculation(book, "计算", bold, kCalculationHeadings);
    PointSheet points(book, bold, project);

    std::int64_t extinguishers = 0;
    for (std::size_t i = 0; i < units; ++i) {
        writeScheduleRow(schedule, {i, project.units[i], unitDesigns[i]});
        schedule.endRow();
        if (unitDesigns[i].configured()) {
            extinguishers += unitDesigns[i].configuration.total;
        }
        if (!step()) {
            return abandon({WriteStatus::Cancelled, {}});
        }
    }
    schedule.text(QStringLiteral("合计"));
    for (std::size_t c = 1; c < kScheduleColumns.size() && !kScheduleColumns.at(c).summed; ++c) {
        schedule.skip();
    }
    schedule.number(extinguishers);

    int number = 0;
    for (const Material& m : materialList) {
        bill.number(++number);
        bill.text(extinguisherName(m.model->mount, m.agent));
        bill.text(qs(m.model->code));
        bill.text(qs(m.model->charge));
        bill.number(m.count);
        bill.text(QStringLiteral("具"));
        bill.endRow();
        if (!step()) {
            return abandon({WriteStatus::Cancelled, {}});
        }
    }

    for (std::size_t i = 0; i < units; ++i) {
        writeCalculationRow(calculation, i, project.units[i], unitDesigns[i]);
        calculation.endRow();
        if (!step()) {
            return abandon({WriteStatus::Cancelled, {}});
        }
    }

    for (std::size_t i = 0; i < units; ++i) {
        points.writeUnit(i, project.units[i], unitDesigns[i]);
        if (!step()) {
            return abandon({WriteStatus::Cancelled, {}});
        }
    }

    const QByteArray header = pageHeader(qs(project.name));
    for (Sheet* sheet : {&schedule, &bill, &calculation, &points.sheet()}) {
        const lxw_error sheetError = sheet->finish(header);
        if (sheetError != LXW_NO_ERROR) {
            return abandon({WriteStatus::Failed, failure(fileName, closeErrorText(sheetError))});
        }
    }
    // workbook_close writes the file and frees the workbook whatever the outcome. It keeps the
    // system's errno of a failed write; a workbook that looks closed is checked on the disk, and
    // when it is not whole a scratch write of its size tells why.
    errno = 0;
    const lxw_error closed = workbook_close(book);
    int systemError = isWriteError(closed) ? errno : 0;
    bool whole = closed == LXW_NO_ERROR;
    if (whole) {
        errno = 0;
        whole = io::syncToDisk(*part) && endsWholeZip(*part);
        systemError = errno;
        if (!whole && systemError == 0) {
            systemError = io::writeErrorIn(QFileInfo(*part).absolutePath(),
                                           std::max(QFileInfo(*part).size(), qint64{64} * 1024));
        }
    }
    if (!whole) {
        QFile::remove(*part);
        const QString reason =
            closed == LXW_NO_ERROR || systemError != 0
                ? io::writeFailureReason(fileName, QFileDevice::WriteError, systemError)
                : closeErrorText(closed);
        return {WriteStatus::Failed, failure(fileName, reason)};
    }
    if (QFile::exists(fileName)) {
        QFile::setPermissions(*part, QFile::permissions(fileName));
    }
    if (!io::replaceFile(*part, fileName)) {
        const QString reason = io::writeFailureReason(fileName, QFileDevice::RenameError, errno);
        QFile::remove(*part);
        return {WriteStatus::Failed, failure(fileName, reason)};
    }
    if (progress) {
        progress(total, total);
    }
    return {};
}

}  // namespace documents
