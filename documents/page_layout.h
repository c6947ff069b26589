#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QPageLayout>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

// Printed pages laid out once and painted from what was laid out: texts broken into lines, tables
// into rows and pages, each line kept as a run of text at its place. Counting the pages, the
// contents' page numbers and the painting all use the same layout.
namespace documents {

// The families of printed documents: a serif CJK face for the body, a sans CJK face for headings
// and tables, each with its own Latin letters and digits. TrueType faces, so that a PDF's text
// reads back exactly.
[[nodiscard]] const QStringList& serifFamilies();
[[nodiscard]] const QStringList& sansFamilies();

// One line of text, or a part of one, at its place on a page.
struct TextRun {
    QPointF at;  // the left end of the baseline; the right end when rightAligned
    QString text;
    std::uint16_t font = 0;  // index into the Typesetter's fonts
    bool rightAligned = false;
    bool warning = false;  // painted in the warning colour
    // When at least 0, the run is the number of the page on which the target of that index
    // starts, filled in when painting; `text` is then unused.
    int pageOf = -1;
};

struct LaidOutPage {
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    bool numbered = true;  // with the running header and footer
    int owner = -1;        // the calculation unit it shows, or -1
    std::vector<TextRun> runs;
    std::vector<QLineF> rules;
    // A drawing of its own (a floor plan), painted over the rules and under the texts; it leaves
    // the painter as it found it.
    std::function<void(QPainter&)> drawing;
};

// The colour of what fails a check: a breached clause's text, a unit's 校核, a failing unit on a
// floor plan.
inline const QColor kWarningInk{0xC0, 0x00, 0x00};

// Where things go on a page, in device units from the top left of the printable area.
struct PageFrame {
    double width = 0;
    double height = 0;
    QRectF body;  // between the header and the footer
    double headerBaseline = 0;
    double headerRule = 0;
    double footerBaseline = 0;
};

// Fonts, measures and line breaking for one paint device.
class Typesetter {
  public:
    explicit Typesetter(const QPagedPaintDevice& device);

    [[nodiscard]] double mm(double millimetres) const { return millimetres * dotsPerMm_; }
    [[nodiscard]] double pt(double points) const { return points * dotsPerMm_ * 25.4 / 72; }
    [[nodiscard]] const PageFrame& frame(QPageLayout::Orientation orientation) const {
        return orientation == QPageLayout::Landscape ? landscape_ : portrait_;
    }

    // The index of the font of `families` at `points`, added when new.
    std::uint16_t font(const QStringList& families, double points, bool bold = false);
    [[nodiscard]] const QFont& fontAt(std::uint16_t font) const { return fonts_[font].font; }
    [[nodiscard]] double pointSize(std::uint16_t font) const { return fonts_[font].points; }
    [[nodiscard]] const QFontMetricsF& metrics(std::uint16_t font) const {
        return fonts_[font].metrics;
    }
    [[nodiscard]] double advance(const QString& text, std::uint16_t font) const;
    // The distance from one baseline to the next: `spacing` times the font's size.
    [[nodiscard]] double lineHeight(std::uint16_t font, double spacing) const {
        return pt(pointSize(font)) * spacing;
    }

    // The text broken into lines no wider than `width`: between words, between CJK characters,
    // and within a word that is wider than a line by itself. Explicit line feeds break too.
    [[nodiscard]] QStringList wrap(const QString& text, std::uint16_t font, double width) const;

    // Adds `line` with its baseline's left end at `at`. A subscript zero, which the faces lack,
    // is set as a smaller zero below the baseline.
    void place(LaidOutPage& page, QPointF at, const QString& line, std::uint16_t font,
               bool warning = false);

  private:
    struct Face {
        QFont font;
        QFontMetricsF metrics;
        QStringList families;
        double points;
        bool bold;
    };

    std::uint16_t subscriptOf(std::uint16_t font);

    const QPaintDevice* device_;
    double dotsPerMm_;
    PageFrame portrait_;
    PageFrame landscape_;
    std::deque<Face> fonts_;
};

// A table's layout across a width: the columns' widths and each row broken into lines.
struct TableLayout {
    std::uint16_t font = 0;
    std::uint16_t headingFont = 0;
    double lineHeight = 0;
    double padding = 0;
    std::vector<double> widths;
    std::vector<Qt::Alignment> alignments;
    struct Row {
        std::vector<QStringList> cells;  // each cell's lines
        double height = 0;
        std::vector<char> warnings;  // each cell's text in the warning colour; empty for none
    };
    std::vector<Row> rows;  // the first the heading row

    [[nodiscard]] double width() const;
};

// What a column holds: texts that wrap (names), or values that never break (numbers, model
// codes, short words), whose width the column takes. A line feed in a value or a heading marks
// where it may break when the whole does not fit on one line.
enum class ColumnKind : std::uint8_t { Text, Value };

// Lays out the table in `width` in the sans face at `points`, or, when its values would not fit
// at that size, at the largest smaller size at which they do: no cell ever clips. A heading
// breaks only at its line feeds, and only when it does not fit on one line. rows[0] is the
// heading row.
[[nodiscard]] TableLayout layOutTable(Typesetter& typesetter, const std::vector<QStringList>& rows,
                                      const std::vector<ColumnKind>& kinds, double width,
                                      double points);

// Adds the table's row `r` to the page, ruled, its top left corner at `topLeft`.
void placeRow(Typesetter& typesetter, LaidOutPage& page, const TableLayout& table, std::size_t r,
              QPointF topLeft);

// What the running header and footer show, and each target's page for the contents.
struct PageDecoration {
    QString headerLeft;
    QString headerRight;
    std::uint16_t font = 0;
    QStringList targetPages;  // the page number text of each target, by index
};

// Paints the pages on `device` through `painter`, which is begun on it with the first page's
// orientation. Every page but the first is started by turning the device to the page's
// orientation and calling newPage(); on a device that cannot turn within a job, the page's
// content is turned instead. A numbered page has the header, a rule and the footer
// "第 x 页 共 y 页", x and y counting every page, so that they are the numbers a print preview or
// a PDF viewer shows, the pages without a number (the cover) among them. `pageDone` is told after
// each page and cancels by returning false; painting then stops and returns false.
[[nodiscard]] bool paintPages(const std::vector<LaidOutPage>& pages, Typesetter& typesetter,
                              const PageDecoration& decoration, QPainter& painter,
                              QPagedPaintDevice& device,
                              const std::function<bool(std::size_t)>& pageDone);

}  // namespace documents
