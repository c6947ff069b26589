#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The command line's work on a project's floor plan without a window: the rooms of a DXF drawing
// added to a project file (made when it does not exist), and setting points placed in them.
namespace app {

struct PlanImportRequest {
    QString drawing;
    // The layers that hold the rooms' outlines, and those that hold the walls (and columns) that
    // enclose rooms, and the doors drawn as closed polylines; without outline and wall layers,
    // the proposed ones of both kinds.
    QStringList layers;
    QStringList wallLayers;
    QStringList doorLayers;
    // The floor: the location of the units added, and with the drawing's file name which units
    // are its rooms. None: the floor the drawing was last imported to, else its base name.
    std::optional<QString> floor;
    std::optional<QString> unit;  // "mm", "cm", ...; none: the drawing's own
    QString projectFile;
    bool verbose = false;  // say on standard output what changed
};

// 0 when the project was written (or left as it was, with nothing to change); 1 with a message
// on standard error otherwise, and the file as it was: also where no layer is named for rooms,
// the drawing gives no room, or its rooms are implausibly small or large for the unit. Outlines
// that are not imported are listed on standard error, which ends, once the drawing is read, with
// a summary line: rooms imported, outlines refused, objects unreadable, layers that overlap.
[[nodiscard]] int importPlan(const PlanImportRequest& request);

struct PlaceRequest {
    QString projectFile;
    bool keep = false;  // a unit whose points no longer reach all of it keeps them, with a warning
    bool verbose = false;  // say on standard output per unit how many points it kept and got
};

// The status with which placePoints() stops on Ctrl+C (SIGINT or SIGTERM; on Windows the
// console's Ctrl+C or Ctrl+Break). The placing may still run in another thread: the caller ends
// the process with std::_Exit() once its own objects are gone, without static destructors.
constexpr int kStopped = 130;

// Places setting points (core::placeUnits) in every unit of the project file that has an outline
// and none yet, and again in one whose points no longer reach all of it (its outline grew, or
// its R shortened), with a line on standard error naming it and why; with `keep` such a unit
// keeps its points and the line is a warning. Units whose points reach all of them are left as
// they are. 0 when the file was written (or left as it was, with nothing to place); 1 with a
// message on standard error when the file could not be read, locked or written, and then it is
// as it was. A unit whose points, placed as well as they can be, do not reach all of it keeps
// them with a warning on standard error; one too large or too intricate to place, or not
// configurable, gets none and a note there. Progress goes to standard error when placing takes
// more than 2 s, at most once a second. A unit's points set by hand stay where they are, and only
// those still needed are added to them; where even then they do not reach all of it, it keeps its
// points with a warning. On Ctrl+C nothing is written, the lock is released and
// kStopped returned.
[[nodiscard]] int placePoints(const PlaceRequest& request);

struct CombineRequest {
    QString projectFile;
    std::optional<QString> floor;  // only this floor; none: every floor
    bool verbose = false;          // list on standard output each combined unit made
};

// Makes one combined unit (core::combineFloors) of the units of each floor, or of the one named,
// that share fire class and hazard; units combined already, and units without an outline, stay as
// they are. 0 when the file was written, or left as it was with nothing to combine (said on
// standard error); 1 with a message on standard error when it could not be read, locked or
// written, and then it is as it was. Silent on success, but for `verbose`.
[[nodiscard]] int combineUnits(const CombineRequest& request);

}  // namespace app
