#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <chrono>
#include <optional>
#include <variant>

#include "project.h"

// The project file (.fep): a building's calculation units as UTF-8 JSON. Only the inputs of each
// unit are kept; everything derived is worked out again by core::design() when the file is read.
// Version 2 adds the book's cover and signatures ("info"), version 3 a unit's room on a floor plan
// ("outline", "plan"), version 4 the setting points placed in it ("setPoints"), version 5 the
// holes in a room (an "outline" of rings, the outline first), version 6 the layout drawing's scale
// ("drawingScale" in "info") and which setting points were set by hand ("handSet": their
// indices from 0), version 7 the doors of the floors imported from drawings ("doors"), version 8
// combined units (a unit's "rooms", "floorOutline" and "doors") and the outlines drawn round
// floors' rooms ("floors"); an older file reads with the defaults of those and is saved as
// version 8.
namespace io {

inline constexpr char kProjectSuffix[] = "fep";
inline constexpr char kProjectMimeType[] = "application/x-fire-extinguisher-project";
// The "format" member that marks a project file.
inline constexpr char kProjectFormat[] = "fire-extinguisher-project";
// The version this program writes, and the newest it reads.
constexpr int kProjectVersion = 8;
// The dates a book may carry; the file writes them as yyyy-MM-dd.
constexpr std::chrono::year_month_day kEarliestDate{std::chrono::year{1900}, std::chrono::January,
                                                    std::chrono::day{1}};
constexpr std::chrono::year_month_day kLatestDate{std::chrono::year{9999}, std::chrono::December,
                                                  std::chrono::day{31}};
// Larger files are refused unread.
constexpr qint64 kMaxProjectFileSize = qint64{64} * 1024 * 1024;

// The project as the file's JSON object, and back. projectFromObject refuses the whole object
// with a Chinese message (without a file name) on the first fault it finds.
[[nodiscard]] QJsonObject projectObject(const core::Project& project);
[[nodiscard]] std::variant<core::Project, QString> projectFromObject(const QJsonObject& object);

// The file's bytes, and back; parseProject refuses bytes that are not UTF-8 JSON of a project.
[[nodiscard]] QByteArray projectJson(const core::Project& project);
[[nodiscard]] std::variant<core::Project, QString> parseProject(const QByteArray& bytes);

// Why the unit cannot be kept in a file (core::unitFault(), or a plan source whose drawing unit
// has no name in files), as a message; empty when it can. `number` is the
// unit's place in the project, from 1, for the message.
[[nodiscard]] std::optional<QString> unitFault(const core::Unit& unit, qsizetype number);
// Why the door cannot be kept in a file (core::doorFault()), as a message; empty when it can.
// `number` is the door's place in the project's doors, from 1, for the message.
[[nodiscard]] std::optional<QString> doorFault(const core::PlanDoor& door, qsizetype number);

// Writes the project through a QSaveFile: the file is replaced whole or not at all. Returns a
// Chinese message naming the file when it could not be saved.
[[nodiscard]] std::optional<QString> saveProject(const core::Project& project,
                                                 const QString& fileName);
// Reads a project file; a Chinese message naming the file and the fault when it is refused.
[[nodiscard]] std::variant<core::Project, QString> readProject(const QString& fileName);

}  // namespace io
