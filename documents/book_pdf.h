#pragma once

#include <QPageLayout>
#include <QString>
#include <functional>

#include "project.h"
#include "write_outcome.h"

class QPagedPaintDevice;
class QPainter;

// The calculation book of a project as one PDF.
namespace documents {

// The calculation sheet of one configured unit as HTML.
using UnitSheetHtml = std::function<QString(const core::Unit&, const core::UnitDesign&)>;

// Writes the book: the title part (title, project name, date and the codes followed), the
// schedule and the bill of materials as tables whose heading row repeats on every page they
// reach, then one section per unit, each from a new page: the unit's sheet from unitSheetHtml,
// or, for a unit that cannot be configured, the reason. Without unitSheetHtml the book ends
// after the tables. The file is replaced only when the book is complete; cancelling through
// progress (one step for the tables, one per unit) leaves it as it was. Needs a
// QGuiApplication.
[[nodiscard]] WriteOutcome writeBookPdf(const core::Project& project, const QString& fileName,
                                        const UnitSheetHtml& unitSheetHtml,
                                        const Progress& progress = {});

// The book's pages: A4, upright, with margins of 20 mm.
[[nodiscard]] QPageLayout bookPageLayout();

// Paints the same book with `painter`, begun on `device` (a printer, say), from the device's
// current page on. False when cancelled through progress; the caller then discards what was
// painted (a printer's job is aborted).
[[nodiscard]] bool paintBook(const core::Project& project, QPainter& painter,
                             QPagedPaintDevice& device, const UnitSheetHtml& unitSheetHtml,
                             const Progress& progress = {});

}  // namespace documents
