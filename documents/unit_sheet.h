#pragma once

#include <QDate>
#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "project.h"
#include "setting_points.h"

namespace documents {

// The sheet's title, "灭火器配置计算书".
extern const QString kSheetTitle;

// The sheet's pages, printed through QTextDocument::print(): A4 without margins of the device's
// own, inside which print() sets its 2 cm (and 2 mm of the device's, which it adds where there
// are none): the text starts 22 mm from each edge.
[[nodiscard]] QPageLayout sheetPageLayout();

// The calculation sheet (计算书) of one unit: conditions, calculation, configuration, checks and
// the result table. One builder makes both forms: plain text, one "label：value" line per key
// value, and HTML with the same lines.
class CalculationSheet {
  public:
    // `model` indexes unit.candidates. Without a unit name the sheet leaves out its line, for a
    // book whose heading names the unit. A unit of a project whose setting points are placed on
    // its plan gives their `cover` (core::design()'s) and the placingFault() of its outline, and
    // `points` their number: its 7.1.3 is then whether they reach every point of the unit within
    // R.
    CalculationSheet(const QString& unitName, const QDate& date, const core::UnitConditions& unit,
                     std::size_t model, int points,
                     const std::optional<core::PlacedCover>& cover = std::nullopt,
                     core::PlacingFault placing = core::PlacingFault::None);

    // The sheet of a configured unit of a project as the book gives it: without its name or date,
    // N and the model as design() gives them, and its setting points' reach where they are placed.
    [[nodiscard]] static CalculationSheet ofProjectUnit(const core::Unit& unit,
                                                        const core::UnitDesign& design);

    [[nodiscard]] QString plainText() const;
    [[nodiscard]] QString html() const;

    // The sheet's parts in order: its title, then the date and the basis (the preamble, which a
    // book's cover carries instead), then headings, lines, breached checks and the table.
    enum class Kind : std::uint8_t { Title, Preamble, Heading, Line, Breach, Table };
    struct Part {
        Kind kind;
        QString text;
        std::vector<QStringList> rows;  // of a Table, the first row the headings
    };
    [[nodiscard]] const std::vector<Part>& parts() const { return parts_; }

  private:
    void add(Kind kind, const QString& text) { parts_.push_back({kind, text, {}}); }
    void line(const QString& text) { add(Kind::Line, text); }
    void value(const QString& label, const QString& text) { line(label + u'：' + text); }
    void check(const QString& clause, const QString& value, bool met, const QString& otherwise);
    void requirementLines(const core::UnitConditions& unit);
    void configurationLines(const core::UnitConditions& unit, const core::CandidateModel& m,
                            int points, const std::optional<core::PlacedCover>& cover,
                            core::PlacingFault placing);
    void notes(const core::UnitConditions& unit);
    void modelTable(const core::UnitConditions& unit);
    // A combined unit's lines: the basis of its S and its rooms, after S; how many of its setting
    // points stand in rooms rather than in its circulation, after N.
    void combinedLines(const core::Unit& unit);
    // The lines put after the first part whose text starts with `after` (at the end where none
    // does).
    void insertLines(const QString& after, const QStringList& lines);

    std::vector<Part> parts_;
};

// Writes the sheet as an A4 PDF. Empty on success, else why the file could not be written.
[[nodiscard]] std::optional<QString> writeSheetPdf(const CalculationSheet& sheet,
                                                   const QString& fileName);

}  // namespace documents
