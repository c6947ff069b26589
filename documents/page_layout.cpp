#include "page_layout.h"

#include <QFontDatabase>
#include <QPagedPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace documents {

namespace {

constexpr QChar kSubscriptZero = QChar(0x2080);

// The book's margins in millimetres: a wider left margin for the binding.
constexpr double kLeftMm = 25;
constexpr double kRightMm = 20;
constexpr double kTopMm = 12;
constexpr double kBottomMm = 12;

PageFrame frameOf(const QPagedPaintDevice& device, QPageLayout::Orientation orientation,
                  double dotsPerMm) {
    QPageLayout layout = device.pageLayout();
    layout.setOrientation(orientation);
    const QRectF full = layout.fullRectPoints();
    // The printable area starts at the device's margins; the book's own margins are measured
    // from the sheet's edges, so a printer with wider margins only narrows them.
    const QMarginsF margins = layout.marginsPoints();
    const double perPoint = dotsPerMm * 25.4 / 72;
    PageFrame frame;
    frame.width = (full.width() - margins.left() - margins.right()) * perPoint;
    frame.height = (full.height() - margins.top() - margins.bottom()) * perPoint;
    const double left = std::max(0.0, kLeftMm * dotsPerMm - margins.left() * perPoint);
    const double right = std::max(0.0, kRightMm * dotsPerMm - margins.right() * perPoint);
    const double top = std::max(0.0, kTopMm * dotsPerMm - margins.top() * perPoint);
    const double bottom = std::max(0.0, kBottomMm * dotsPerMm - margins.bottom() * perPoint);
    frame.headerBaseline = top + 4 * dotsPerMm;
    frame.headerRule = top + 6 * dotsPerMm;
    frame.footerBaseline = frame.height - bottom;
    frame.body = QRectF(QPointF(left, top + 9 * dotsPerMm),
                        QPointF(frame.width - right, frame.height - bottom - 7 * dotsPerMm));
    return frame;
}

// Whether the first of `families` that the system has comes in a bold weight of its own. A face
// without one would be emboldened by the font engine, whose thickened strokes run into each other
// and, on Windows, into the next character.
bool hasBoldWeight(const QStringList& families) {
    for (const QString& family : families) {
        if (QFontDatabase::hasFamily(family)) {
            const QStringList styles = QFontDatabase::styles(family);
            return std::ranges::any_of(styles, [&family](const QString& style) {
                return QFontDatabase::weight(family, style) >= QFont::Bold;
            });
        }
    }
    return false;
}

}  // namespace

// Each system's own Song and Hei faces first, the other's after them: SimSun and SimHei come with
// Windows; the AR PL and WenQuanYi families are Debian's packages that the program depends on.
// On Debian the body's Latin letters and digits come from DejaVu Serif (a package the program
// depends on too), whose proportional letters read better than UMing's typewriter ones; it has
// no Chinese characters, which come from the Song face after it. Windows sets all in SimSun; where
// it has none (the offscreen platform, which reads a folder of fonts), the faces are Debian's.
const QStringList& serifFamilies() {
#ifdef Q_OS_WIN
    static const QStringList families{QStringLiteral("SimSun"), QStringLiteral("DejaVu Serif"),
                                      QStringLiteral("AR PL UMing CN")};
#else
    static const QStringList families{QStringLiteral("DejaVu Serif"),
                                      QStringLiteral("AR PL UMing CN"), QStringLiteral("SimSun")};
#endif
    return families;
}

const QStringList& sansFamilies() {
#ifdef Q_OS_WIN
    static const QStringList families{QStringLiteral("SimHei"),
                                      QStringLiteral("WenQuanYi Zen Hei")};
#else
    static const QStringList families{QStringLiteral("WenQuanYi Zen Hei"),
                                      QStringLiteral("SimHei")};
#endif
    return families;
}

Typesetter::Typesetter(const QPagedPaintDevice& device)
    : device_(&device),
      dotsPerMm_(device.logicalDpiY() / 25.4),
      portrait_(frameOf(device, QPageLayout::Portrait, dotsPerMm_)),
      landscape_(frameOf(device, QPageLayout::Landscape, dotsPerMm_)) {}

std::uint16_t Typesetter::font(const QStringList& families, double points, bool bold) {
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        const Face& face = fonts_[i];
        if (face.families == families && face.points == points && face.bold == bold) {
            return static_cast<std::uint16_t>(i);
        }
    }
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    // Bold only where the face has a bold weight: the Hei faces have none, and stay regular.
    font.setBold(bold && hasBoldWeight(families));
    // The same shapes on every device: no hinting toward the screen's pixels.
    font.setHintingPreference(QFont::PreferNoHinting);
    // Measured on the device it is painted on, so that measures and painting agree.
    fonts_.push_back({font, QFontMetricsF(font, device_), families, points, bold});
    return static_cast<std::uint16_t>(fonts_.size() - 1);
}

double Typesetter::advance(const QString& text, std::uint16_t font) const {
    return metrics(font).horizontalAdvance(text);
}

QStringList Typesetter::wrap(const QString& text, std::uint16_t font, double width) const {
    QStringList lines;
    for (const QString& paragraph : text.split(u'\n')) {
        if (advance(paragraph, font) <= width) {
            lines << paragraph;
            continue;
        }
        QTextLayout layout(paragraph, fontAt(font), device_);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
        }
        layout.endLayout();
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            QString piece = paragraph.mid(line.textStart(), line.textLength());
            while (piece.endsWith(u' ')) {
                piece.chop(1);
            }
            lines << piece;
        }
    }
    return lines;
}

std::uint16_t Typesetter::subscriptOf(std::uint16_t font) {
    const Face face = fonts_[font];
    return this->font(face.families, face.points * 0.7, face.bold);
}

void Typesetter::place(LaidOutPage& page, QPointF at, const QString& line, std::uint16_t font,
                       bool warning) {
    if (!line.contains(kSubscriptZero)) {
        page.runs.push_back({at, line, font, false, warning, -1});
        return;
    }
    const std::uint16_t small = subscriptOf(font);
    qsizetype from = 0;
    double x = at.x();
    while (from < line.size()) {
        const qsizetype zero = line.indexOf(kSubscriptZero, from);
        const QString before = line.mid(from, zero < 0 ? -1 : zero - from);
        if (!before.isEmpty()) {
            page.runs.push_back({QPointF(x, at.y()), before, font, false, warning, -1});
            x += advance(before, font);
        }
        if (zero < 0) {
            break;
        }
        const QString digit = QStringLiteral("0");
        page.runs.push_back(
            {QPointF(x, at.y() + pt(pointSize(font)) * 0.15), digit, small, false, warning, -1});
        x += advance(digit, small);
        from = zero + 1;
    }
}

double TableLayout::width() const {
    return std::accumulate(widths.begin(), widths.end(), 0.0);
}

namespace {

// The widest piece of a text broken at its line feeds, and the text on one line.
std::pair<double, double> pieceWidths(const Typesetter& typesetter, const QString& text,
                                      std::uint16_t font) {
    if (!text.contains(u'\n')) {
        const double w = typesetter.advance(text, font);
        return {w, w};
    }
    double widest = 0;
    for (const QString& piece : text.split(u'\n')) {
        widest = std::max(widest, typesetter.advance(piece, font));
    }
    QString joined = text;
    joined.remove(u'\n');
    return {widest, typesetter.advance(joined, font)};
}

// The lines of a cell whose line feeds mark where it may break: all on one line where that fits.
QStringList brokenOnlyIfNeeded(const Typesetter& typesetter, const QString& text,
                               std::uint16_t font, double width) {
    if (!text.contains(u'\n')) {
        return {text};
    }
    QString joined = text;
    joined.remove(u'\n');
    if (typesetter.advance(joined, font) <= width + 0.01) {
        return {joined};
    }
    return text.split(u'\n');
}

// Column widths that fill `width`, each column at least its least width. The room left goes
// first to the text columns, up to two thirds of what they would take; then to the value
// columns, each given just what keeps its values on one line, the cheapest first; then to the
// text columns again, up to what they would take; what remains to every column in proportion.
std::vector<double> fill(const std::vector<double>& least, const std::vector<double>& natural,
                         const std::vector<ColumnKind>& kinds, double width) {
    const std::size_t columns = least.size();
    std::vector<double> widths = least;
    double room = width - std::accumulate(least.begin(), least.end(), 0.0);
    const auto growText = [&](double part) {
        double wish = 0;
        for (std::size_t c = 0; c < columns; ++c) {
            if (kinds[c] == ColumnKind::Text) {
                wish += std::max(0.0, least[c] + (natural[c] - least[c]) * part - widths[c]);
            }
        }
        if (wish <= 0 || room <= 0) {
            return;
        }
        const double give = std::min(room, wish);
        for (std::size_t c = 0; c < columns; ++c) {
            if (kinds[c] == ColumnKind::Text) {
                const double want =
                    std::max(0.0, least[c] + (natural[c] - least[c]) * part - widths[c]);
                widths[c] += give * want / wish;
            }
        }
        room -= give;
    };
    growText(2.0 / 3);
    std::vector<std::size_t> values;
    for (std::size_t c = 0; c < columns; ++c) {
        if (kinds[c] == ColumnKind::Value && natural[c] > least[c]) {
            values.push_back(c);
        }
    }
    std::ranges::sort(values, {}, [&](std::size_t c) { return natural[c] - least[c]; });
    for (const std::size_t c : values) {
        if (natural[c] - widths[c] <= room) {
            room -= natural[c] - widths[c];
            widths[c] = natural[c];
        }
    }
    growText(1);
    if (room > 0) {
        const double all = std::accumulate(widths.begin(), widths.end(), 0.0);
        for (double& w : widths) {
            w += room * w / all;
        }
    }
    return widths;
}

}  // namespace

// The width is in device units, the size in points: one is not taken for the other.
TableLayout layOutTable(Typesetter& typesetter, const std::vector<QStringList>& rows,
                        // NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
                        const std::vector<ColumnKind>& kinds, double width, double points) {
    TableLayout table;
    const std::size_t columns = kinds.size();
    std::vector<double> least(columns, 0);
    std::vector<double> natural(columns, 0);
    for (double size = points;; size -= 0.5) {
        table.font = typesetter.font(sansFamilies(), size);
        table.headingFont = typesetter.font(sansFamilies(), size, true);
        table.padding = typesetter.mm(1);
        // A text column is at least four characters wide, and would take twelve.
        const double fewest = typesetter.advance(QStringLiteral("计算单元"), table.font);
        const double most = 3 * fewest;
        std::fill(least.begin(), least.end(), 0);
        std::fill(natural.begin(), natural.end(), 0);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const std::uint16_t font = r == 0 ? table.headingFont : table.font;
            for (std::size_t c = 0; c < columns && std::cmp_less(c, rows[r].size()); ++c) {
                const QString& cell = rows[r][static_cast<qsizetype>(c)];
                const auto [widest, joined] = pieceWidths(typesetter, cell, font);
                if (r == 0 || kinds[c] == ColumnKind::Value) {
                    least[c] = std::max(least[c], widest);
                    natural[c] = std::max(natural[c], joined);
                } else {
                    least[c] = std::max(least[c], std::min(widest, fewest));
                    natural[c] = std::max(natural[c], std::min(joined, most));
                }
            }
        }
        for (std::size_t c = 0; c < columns; ++c) {
            least[c] += 2 * table.padding;
            natural[c] = std::max(natural[c] + 2 * table.padding, least[c]);
        }
        const double leastSum = std::accumulate(least.begin(), least.end(), 0.0);
        if (leastSum <= width || size <= 3) {
            break;
        }
    }
    table.widths = fill(least, natural, kinds, width);
    table.lineHeight = typesetter.lineHeight(table.font, 1.25);
    table.alignments.resize(columns, Qt::AlignHCenter);
    for (std::size_t c = 0; c < columns; ++c) {
        if (kinds[c] == ColumnKind::Text) {
            table.alignments[c] = Qt::AlignLeft;
        }
    }
    table.rows.reserve(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        TableLayout::Row row;
        row.cells.resize(columns);
        std::size_t most = 1;
        for (std::size_t c = 0; c < columns && std::cmp_less(c, rows[r].size()); ++c) {
            const QString& cell = rows[r][static_cast<qsizetype>(c)];
            const double inner = table.widths[c] - 2 * table.padding;
            QStringList lines;
            if (r == 0 || kinds[c] == ColumnKind::Value) {
                lines = brokenOnlyIfNeeded(typesetter, cell,
                                           r == 0 ? table.headingFont : table.font, inner);
            } else {
                lines = typesetter.wrap(cell, table.font, inner);
            }
            most = std::max(most, static_cast<std::size_t>(lines.size()));
            row.cells[c] = std::move(lines);
        }
        row.height = static_cast<double>(most) * table.lineHeight + 2 * table.padding;
        table.rows.push_back(std::move(row));
    }
    return table;
}

void placeRow(Typesetter& typesetter, LaidOutPage& page, const TableLayout& table, std::size_t r,
              QPointF topLeft) {
    const double left = topLeft.x();
    const double top = topLeft.y();
    const TableLayout::Row& row = table.rows[r];
    const std::uint16_t font = r == 0 ? table.headingFont : table.font;
    const QFontMetricsF& metrics = typesetter.metrics(font);
    const double ascent = metrics.ascent();
    const double inkHeight = metrics.ascent() + metrics.descent();
    const double right = left + table.width();
    page.rules.emplace_back(left, top, right, top);
    page.rules.emplace_back(left, top + row.height, right, top + row.height);
    double x = left;
    page.rules.emplace_back(x, top, x, top + row.height);
    for (std::size_t c = 0; c < table.widths.size(); ++c) {
        const double w = table.widths[c];
        const QStringList& lines = row.cells[c];
        const double block = static_cast<double>(lines.size()) * table.lineHeight;
        double y = top + (row.height - block) / 2 + (table.lineHeight - inkHeight) / 2 + ascent;
        const bool warning = c < row.warnings.size() && row.warnings[c] != 0;
        for (const QString& line : lines) {
            double lineX = x + table.padding;
            if (table.alignments[c] == Qt::AlignHCenter) {
                lineX = x + (w - typesetter.advance(line, font)) / 2;
            }
            typesetter.place(page, QPointF(lineX, y), line, font, warning);
            y += table.lineHeight;
        }
        x += w;
        page.rules.emplace_back(x, top, x, top + row.height);
    }
}

bool paintPages(const std::vector<LaidOutPage>& pages, Typesetter& typesetter,
                const PageDecoration& decoration, QPainter& painter, QPagedPaintDevice& device,
                const std::function<bool(std::size_t)>& pageDone) {
    const auto count = static_cast<int>(pages.size());
    const QPen rule(Qt::black, typesetter.mm(0.2));
    const QPen thin(Qt::black, typesetter.mm(0.15));
    // A PDF turns each page as its content asks; a device that keeps one orientation for a job
    // (a print preview, a printer of some systems) gets the other pages' content turned a
    // quarter to the left, its top toward the binding.
    const bool turnsPages = painter.paintEngine()->type() == QPaintEngine::Pdf;
    const QPageLayout::Orientation jobOrientation = device.pageLayout().orientation();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const LaidOutPage& page = pages[i];
        if (i > 0) {
            if (turnsPages && device.pageLayout().orientation() != page.orientation) {
                device.setPageOrientation(page.orientation);
            }
            device.newPage();
        }
        const bool turned = !turnsPages && page.orientation != jobOrientation;
        painter.save();
        if (turned) {
            painter.translate(0, typesetter.frame(jobOrientation).height);
            painter.rotate(-90);
        }
        const PageFrame& frame = typesetter.frame(page.orientation);
        int current = -1;
        const auto use = [&](std::uint16_t font, bool warning) {
            if (font != current) {
                painter.setFont(typesetter.fontAt(font));
                current = font;
            }
            painter.setPen(warning ? kWarningInk : QColor(Qt::black));
        };
        if (page.numbered) {
            const double left = frame.body.left();
            const double right = frame.body.right();
            use(decoration.font, false);
            const double room = (right - left) -
                                typesetter.advance(decoration.headerRight, decoration.font) -
                                typesetter.mm(10);
            const QString name = typesetter.metrics(decoration.font)
                                     .elidedText(decoration.headerLeft, Qt::ElideMiddle, room);
            painter.drawText(QPointF(left, frame.headerBaseline), name);
            painter.drawText(
                QPointF(right - typesetter.advance(decoration.headerRight, decoration.font),
                        frame.headerBaseline),
                decoration.headerRight);
            painter.setPen(rule);
            painter.drawLine(QLineF(left, frame.headerRule, right, frame.headerRule));
            use(decoration.font, false);
            const QString footer =
                QStringLiteral("第 %1 页 共 %2 页").arg(static_cast<int>(i) + 1).arg(count);
            painter.drawText(
                QPointF((left + right - typesetter.advance(footer, decoration.font)) / 2,
                        frame.footerBaseline),
                footer);
        }
        painter.setPen(thin);
        if (!page.rules.empty()) {
            painter.drawLines(page.rules.data(), static_cast<int>(page.rules.size()));
        }
        if (page.drawing) {
            page.drawing(painter);
        }
        current = -1;
        for (const TextRun& run : page.runs) {
            use(run.font, run.warning);
            const QString& text =
                run.pageOf >= 0 ? decoration.targetPages.at(run.pageOf) : run.text;
            QPointF at = run.at;
            if (run.rightAligned) {
                at.rx() -= typesetter.advance(text, run.font);
            }
            painter.drawText(at, text);
        }
        painter.restore();
        if (pageDone && !pageDone(i)) {
            return false;
        }
    }
    return true;
}

}  // namespace documents
