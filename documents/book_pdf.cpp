#include "book_pdf.h"

#include <QAbstractTextDocumentLayout>
#include <QDate>
#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <algorithm>
#include <cerrno>
#include <numeric>
#include <vector>

#include "file_commit.h"
#include "file_errors.h"
#include "project_tables.h"
#include "table_clipboard.h"
#include "unit_texts.h"

namespace documents {

namespace {

constexpr int kResolution = 300;  // dots per inch of the page

QFont fontOf(double points, bool bold = false) {
    QFont font;
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Column widths that fill `width`: a column whose natural width is within an equal share of what
// is left keeps it, the rest share the remainder equally and wrap their texts. Columns that all
// fit grow in proportion.
std::vector<double> shares(const std::vector<double>& natural, double width) {
    std::vector<double> widths(natural.size(), 0);
    std::vector<std::size_t> open(natural.size());
    std::iota(open.begin(), open.end(), std::size_t{0});
    double remaining = width;
    while (!open.empty()) {
        const double share = remaining / static_cast<double>(open.size());
        const auto wide = std::stable_partition(open.begin(), open.end(),
                                                [&](std::size_t c) { return natural[c] <= share; });
        if (wide == open.begin()) {
            for (const std::size_t c : open) {
                widths[c] = share;
            }
            return widths;
        }
        for (auto it = open.begin(); it != wide; ++it) {
            widths[*it] = natural[*it];
            remaining -= natural[*it];
        }
        open.erase(open.begin(), wide);
    }
    const double used = std::accumulate(widths.begin(), widths.end(), 0.0);
    if (used > 0) {
        for (double& w : widths) {
            w *= width / used;
        }
    }
    return widths;
}

// The painter's place on the page, moving down the page and on to the next.
class PageFlow {
  public:
    PageFlow(QPagedPaintDevice& device, QPainter& painter)
        : device_(device), painter_(painter), width_(device.width()), height_(device.height()) {}

    [[nodiscard]] double width() const { return width_; }
    [[nodiscard]] double height() const { return height_; }
    [[nodiscard]] double y() const { return y_; }
    [[nodiscard]] bool fits(double height) const { return y_ + height <= height_; }
    QPainter& painter() { return painter_; }
    QPagedPaintDevice& device() { return device_; }

    void newPage() {
        device_.newPage();
        y_ = 0;
        pageStarted_ = false;
    }
    // Starts a new page unless nothing has been drawn on this one.
    void freshPage() {
        if (pageStarted_) {
            newPage();
        }
    }
    void advance(double height) {
        y_ += height;
        pageStarted_ = true;
    }

    // A line of text across the page, wrapped where it is too long.
    void paragraph(const QString& text, const QFont& font, Qt::Alignment alignment,
                   double spaceAfter) {
        painter_.setFont(font);
        const int flags = static_cast<int>(alignment.toInt()) | Qt::TextWordWrap;
        const QRectF bounds = painter_.boundingRect(QRectF(0, 0, width_, height_), flags, text);
        if (!fits(bounds.height())) {
            newPage();
        }
        painter_.drawText(QRectF(0, y_, width_, bounds.height()), flags, text);
        advance(bounds.height() + spaceAfter);
    }

  private:
    QPagedPaintDevice& device_;
    QPainter& painter_;
    double width_;
    double height_;
    double y_ = 0;
    bool pageStarted_ = false;
};

// A table with ruled cells across the page: the heading row is bold and repeats at the top of
// every page the table reaches, and a caption or heading never stands alone at a page's foot.
class PageTable {
  public:
    PageTable(PageFlow& flow, const std::vector<QStringList>& rows)
        : flow_(flow), rows_(rows), body_(fontOf(8)), heading_(fontOf(8, true)) {
        const QFontMetricsF body(body_, &flow.device());
        const QFontMetricsF heading(heading_, &flow.device());
        padding_ = body.height() * 0.25;
        std::vector<double> natural;
        for (std::size_t r = 0; r < rows_.size(); ++r) {
            const QFontMetricsF& metrics = r == 0 ? heading : body;
            for (qsizetype c = 0; c < rows_[r].size(); ++c) {
                const auto column = static_cast<std::size_t>(c);
                if (natural.size() <= column) {
                    natural.resize(column + 1, 0);
                }
                natural[column] =
                    std::max(natural[column],
                             metrics.horizontalAdvance(cellText(rows_[r][c])) + 2 * padding_);
            }
        }
        widths_ = shares(natural, flow.width());
    }

    void draw(const QString& caption) {
        if (rows_.empty()) {
            return;
        }
        const QFont captionFont = fontOf(11, true);
        const double captionHeight = QFontMetricsF(captionFont, &flow_.device()).height() * 1.6;
        const double headingHeight = rowHeight(0);
        const double firstHeight = rows_.size() > 1 ? rowHeight(1) : 0;
        if (!flow_.fits(captionHeight + headingHeight + firstHeight)) {
            flow_.newPage();
        }
        flow_.painter().setFont(captionFont);
        flow_.painter().drawText(QRectF(0, flow_.y(), flow_.width(), captionHeight),
                                 Qt::AlignLeft | Qt::AlignVCenter, caption);
        flow_.advance(captionHeight);
        drawRow(0, headingHeight);
        for (std::size_t r = 1; r < rows_.size(); ++r) {
            const double height = rowHeight(r);
            if (!flow_.fits(height)) {
                flow_.newPage();
                drawRow(0, headingHeight);
            }
            drawRow(r, height);
        }
    }

  private:
    // The row's height, at most what a page holds under the heading row.
    double rowHeight(std::size_t r) {
        QPainter& painter = flow_.painter();
        painter.setFont(r == 0 ? heading_ : body_);
        double height = 0;
        for (qsizetype c = 0; c < rows_[r].size(); ++c) {
            const double w = widths_[static_cast<std::size_t>(c)] - 2 * padding_;
            height = std::max(height, painter
                                          .boundingRect(QRectF(0, 0, w, flow_.height()),
                                                        Qt::TextWordWrap, cellText(rows_[r][c]))
                                          .height());
        }
        const double limit = r == 0 ? flow_.height() / 4 : flow_.height() * 3 / 4;
        return std::min(height + 2 * padding_, limit);
    }

    // Each call passes the height it measured for that same row, so the index and the height,
    // one a count and one a length in device units, are not confused.
    // NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
    void drawRow(std::size_t r, double height) {
        QPainter& painter = flow_.painter();
        painter.setFont(r == 0 ? heading_ : body_);
        double x = 0;
        for (std::size_t c = 0; c < widths_.size(); ++c) {
            const QRectF cell(x, flow_.y(), widths_[c], height);
            painter.drawRect(cell);
            const auto column = static_cast<qsizetype>(c);
            if (column < rows_[r].size()) {
                painter.save();
                painter.setClipRect(cell);
                painter.drawText(cell.adjusted(padding_, padding_, -padding_, -padding_),
                                 Qt::TextWordWrap | Qt::AlignCenter, cellText(rows_[r][column]));
                painter.restore();
            }
            x += widths_[c];
        }
        flow_.advance(height);
    }

    PageFlow& flow_;
    const std::vector<QStringList>& rows_;
    QFont body_;
    QFont heading_;
    double padding_ = 0;
    std::vector<double> widths_;
};

// A section of its own pages: the HTML laid out to the page's size, page by page.
void drawSection(PageFlow& flow, const QString& html) {
    flow.freshPage();
    QTextDocument document;
    document.documentLayout()->setPaintDevice(&flow.device());
    document.setDefaultFont(fontOf(10));
    document.setHtml(html);
    document.setPageSize(QSizeF(flow.width(), flow.height()));
    QPainter& painter = flow.painter();
    for (int page = 0; page < document.pageCount(); ++page) {
        if (page > 0) {
            flow.newPage();
        }
        painter.save();
        painter.translate(0, -page * flow.height());
        document.drawContents(&painter,
                              QRectF(0, page * flow.height(), flow.width(), flow.height()));
        painter.restore();
        flow.advance(flow.height());
    }
}

QString unconfigurableHtml(const core::Unit& unit, const core::UnitDesign& design) {
    QString title = qs(unit.name);
    if (!unit.location.empty()) {
        title += QStringLiteral("（%1）").arg(qs(unit.location));
    }
    return QStringLiteral("<h3>%1</h3><p>%2</p>")
        .arg(title.toHtmlEscaped(), unconfigurableReason(design.fault).toHtmlEscaped());
}

QString failure(const QString& fileName, const QString& reason) {
    return QStringLiteral("无法保存PDF文件“%1”：%2。")
        .arg(QDir::toNativeSeparators(fileName), reason);
}

}  // namespace

QPageLayout bookPageLayout() {
    return {QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
            QPageLayout::Millimeter};
}

bool paintBook(const core::Project& project, QPainter& painter, QPagedPaintDevice& device,
               const UnitSheetHtml& unitSheetHtml, const Progress& progress) {
    painter.setPen(QPen(Qt::black, 0));
    const std::vector<core::UnitDesign> unitDesigns = designs(project);
    const int units = static_cast<int>(std::min<std::size_t>(project.units.size(), 1'000'000));
    const int total = unitSheetHtml ? units + 1 : 1;
    int done = 0;
    const auto step = [&] {
        ++done;
        return !progress || progress(done, total);
    };

    PageFlow flow(device, painter);
    flow.paragraph(QStringLiteral("灭火器配置计算书"), fontOf(20, true), Qt::AlignHCenter,
                   flow.height() / 30);
    flow.paragraph(QStringLiteral("工程名称：") + qs(project.name), fontOf(12), Qt::AlignLeft, 0);
    flow.paragraph(
        QStringLiteral("日期：") + QDate::currentDate().toString(QStringLiteral("yyyy年M月d日")),
        fontOf(12), Qt::AlignLeft, 0);
    // The codes' names keep their numbers on their line.
    flow.paragraph(QStringLiteral("依据：《消防设施通用规范》GB 55036-2022，"
                                  "《建筑灭火器配置设计规范》GB 50140-2005")
                       .replace(u' ', QChar::Nbsp),
                   fontOf(12), Qt::AlignLeft, flow.height() / 30);
    const std::vector<QStringList> schedule = scheduleRows(project, unitDesigns);
    PageTable(flow, schedule).draw(QStringLiteral("一、灭火器配置表"));
    flow.advance(flow.height() / 40);
    const std::vector<QStringList> bill = materialRows(materials(project, unitDesigns));
    PageTable(flow, bill).draw(QStringLiteral("二、材料表"));
    if (!step()) {
        return false;
    }

    if (unitSheetHtml) {
        for (int i = 0; i < units; ++i) {
            const auto index = static_cast<std::size_t>(i);
            const core::Unit& unit = project.units[index];
            const core::UnitDesign& design = unitDesigns[index];
            drawSection(flow, design.configured() ? unitSheetHtml(unit, design)
                                                  : unconfigurableHtml(unit, design));
            if (!step()) {
                return false;
            }
        }
    }
    return true;
}

WriteOutcome writeBookPdf(const core::Project& project, const QString& fileName,
                          const UnitSheetHtml& unitSheetHtml, const Progress& progress) {
    if (auto fault = io::replaceFault(fileName)) {
        return {WriteStatus::Failed, failure(fileName, *fault)};
    }
    QSaveFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        return {WriteStatus::Failed,
                failure(fileName, io::writeFailureReason(fileName, file.error(), errno))};
    }
    QPdfWriter writer(&file);
    writer.setResolution(kResolution);
    writer.setPageLayout(bookPageLayout());
    writer.setTitle(QStringLiteral("灭火器配置计算书"));
    writer.setCreator(QStringLiteral("灭火器配置计算"));
    QPainter painter;
    if (!painter.begin(&writer)) {
        file.cancelWriting();
        return {WriteStatus::Failed, failure(fileName, QStringLiteral("无法生成PDF"))};
    }
    if (!paintBook(project, painter, writer, unitSheetHtml, progress)) {
        painter.end();
        file.cancelWriting();
        return {WriteStatus::Cancelled, {}};
    }
    if (!painter.end() || !io::commitWhole(file)) {
        return {WriteStatus::Failed,
                failure(fileName, io::writeFailureReason(fileName, file.error(), errno))};
    }
    return {};
}

}  // namespace documents
