#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "choices.h"
#include "placement.h"
#include "polygon.h"
#include "setting_points.h"

// A building's calculation units, kept and edited as a project. A unit holds only its inputs;
// everything derived comes from design(), the same calculation that the single unit's sheet uses.
namespace core {

// The largest area a unit of a project may have, in m².
constexpr double kMaxUnitArea = 1e7;
// The longest project name, unit name or location, in characters as the editors count them
// (UTF-16 code units: one for each Chinese character). A file with a longer one is refused.
constexpr int kMaxNameLength = 200;

// The room of a floor plan drawing that a unit's outline was imported from: the drawing's file
// name (without its folder), the layer, the entity's handle, the drawing's unit ("mm", "cm",
// "m", "inch", ...), so that a drawing written back uses the plan's own units, and the floor it was
// imported to (the unit's location then, which the user may rename since). A unit whose source is
// the same file, floor and handle is the same room when the drawing is imported again.
struct PlanSource {
    std::string file;
    std::string layer;
    std::string handle;
    std::string unit;
    std::string floor = {};
    // The unit that the drawing's $INSUNITS declares, which may not be the one it was read in
    // (a drawing begun from another template): empty where it declares none; unknown for a unit
    // imported before this was kept. The layout drawing declares the same, so that CAD lays it
    // over the architect's drawing unscaled.
    std::optional<std::string> declaredUnit = {};

    friend bool operator==(const PlanSource&, const PlanSource&) = default;
};

// A door of a floor plan drawing: the floor it was imported to (a unit location), the drawing's
// file name as PlanSource names it, the entity's handle ("" where the drawing has none), and its
// opening from the hinge to the end of the closed leaf, in metres in the drawing's coordinates.
// `swing` is the side the leaf opens to: +1 left of the way from the hinge to the end, -1 right,
// 0 not known. The rooms on its two sides are not kept: they are found from the units' outlines
// when asked (doorRooms()), so that they stay right when units are edited, renamed or removed.
struct PlanDoor {
    std::string floor;
    std::string file;
    std::string handle;
    PlanPoint hinge;
    PlanPoint end;
    int swing = 0;

    friend bool operator==(const PlanDoor&, const PlanDoor&) = default;
};

// A room of a combined unit (组合单元), as it was when a unit of its own: its name, its outline in
// metres, counter-clockwise, its holes, and the drawing it came from.
struct UnitRoom {
    std::string name;
    Ring outline;
    std::vector<Ring> holes = {};
    std::optional<PlanSource> plan = {};

    friend bool operator==(const UnitRoom&, const UnitRoom&) = default;
};

// The outline drawn round a floor's rooms in its drawing (the floor's building area, GB 50140-2005
// 7.2.2): the floor it was imported to, the drawing's file name and the entity's handle, as a door
// keeps them, and the outline in metres, counter-clockwise.
struct PlanFloor {
    std::string floor;
    std::string file;
    std::string handle;
    Ring outline;

    friend bool operator==(const PlanFloor&, const PlanFloor&) = default;
};

struct Unit {
    std::string name;                  // 计算单元名称
    std::string location;              // 楼层/位置
    Choices choices;                   // class A, B, C or E; an agent the class allows
    std::optional<std::string> model;  // the model code; empty: the default model
    std::optional<int> points;         // N, 1 to kMaxPoints; empty: the estimate N0
    // The room on the floor plan, in metres in the drawing's coordinates, counter-clockwise;
    // empty where the unit has none.
    Ring outline = {};
    // The columns, shafts and voids inside the outline that are not part of the room: simple
    // rings in metres, counter-clockwise, each inside the outline and apart from the others.
    // Only with an outline.
    std::vector<Ring> holes = {};
    std::optional<PlanSource> plan = {};  // only with an outline
    // The setting points placed in the outline, in metres, as placed: never moved behind the
    // user's back. With them N is their number. Only with an outline, at most kMaxPoints.
    std::vector<PlanPoint> setPoints = {};
    // Which setting points the designer set by hand, one flag per point in their order; empty
    // where none was. Placing keeps those where they are and adds only what is still needed.
    std::vector<bool> handSet = {};
    // A combined unit (组合单元, GB 50140-2005 7.2.1): the rooms of one floor it is made of, two or
    // more; it then has no outline, holes or plan of its own, and its setting points lie in its
    // rooms and their doors' openings.
    std::vector<UnitRoom> rooms = {};
    // Only for a combined unit: the outline drawn round its floor's rooms, whose area is its S;
    // empty where S is the sum of its rooms' areas.
    Ring floorOutline = {};
    // Only for a combined unit: the doors of its rooms, between two of them or out of one, as its
    // floor's doors were when it was combined or its drawing imported last.
    std::vector<PlanDoor> doors = {};

    [[nodiscard]] bool combined() const { return !rooms.empty(); }
    friend bool operator==(const Unit&, const Unit&) = default;
};

// The unit has a plan: an outline, or the rooms of a combined unit.
[[nodiscard]] inline bool hasPlan(const Unit& unit) {
    return !unit.outline.empty() || unit.combined();
}

// The area of a room's outline less its holes, rounded up to 0.01 m², as an import gives it.
[[nodiscard]] double roomArea(const Ring& outline, const std::vector<Ring>& holes);
// The area that the unit's plan gives it: its outline's (roomArea()); for a combined unit that of
// the outline round its floor's rooms, or else the sum of its rooms' areas; none for a unit
// without either.
[[nodiscard]] std::optional<double> outlineArea(const Unit& unit);
// The unit's area differs from its outline's by more than 0.01 m²: it was typed by hand.
[[nodiscard]] bool areaTypedByHand(const Unit& unit);

// What the calculation book's cover and signature block carry besides the project's name.
struct ProjectInfo {
    static constexpr char kDefaultStage[] = "施工图设计";
    static constexpr int kDefaultDrawingScale = 100;
    static constexpr int kMinDrawingScale = 1;
    static constexpr int kMaxDrawingScale = 10000;

    std::string number;                 // 工程编号
    std::string stage = kDefaultStage;  // 设计阶段
    std::string company;                // 编制单位
    std::string calculatedBy;           // 计算
    std::string checkedBy;              // 校对
    std::string reviewedBy;             // 审核
    std::string approvedBy;             // 审定
    // The book's date; empty: the day the book is made.
    std::optional<std::chrono::year_month_day> date;
    // The layout drawing's scale 1:drawingScale (出图比例), which sizes its symbols and texts on
    // paper.
    int drawingScale = kDefaultDrawingScale;

    friend bool operator==(const ProjectInfo&, const ProjectInfo&) = default;
};

struct Project {
    std::string name;  // 工程名称
    std::vector<Unit> units;
    ProjectInfo info = {};
    // The doors of the floors imported from drawings, in the order of the file.
    std::vector<PlanDoor> doors = {};
    // The outlines drawn round the floors' rooms in the drawings imported, in the order of the
    // file.
    std::vector<PlanFloor> floors = {};

    friend bool operator==(const Project&, const Project&) = default;
};

// Why a unit has no configuration.
enum class Unconfigurable : std::uint8_t {
    None,
    ClassD,           // class D is worked out from the kind of metal
    AreaInvalid,      // not a finite number of at least 0
    NothingRequired,  // an area of 0 requires a rating of 0
    NoAdequateModel,  // no model of the agent reaches the minimum rating
};

// How far a placed unit's setting points reach, by walking distance inside its outline (through its
// doors, for a combined unit).
struct PlacedCover {
    int reach = 0;        // R in m, of the configured model
    double farthest = 0;  // the largest distance from a point of the room to its nearest point
    bool proven = false;  // every point of the room lies within R
    // Per setting point, in the unit's order: the farthest distance of its share, the points of
    // the room that have it for their nearest (CoverCheck::shares); infinite for a point in no
    // room, and for all where the cover is not checked.
    std::vector<double> shares;
};

// A unit's derived values.
struct UnitDesign {
    Unconfigurable fault = Unconfigurable::None;
    std::optional<UnitConditions> conditions;  // all but ClassD and AreaInvalid
    std::size_t model = 0;                     // index into conditions->candidates, when configured
    bool modelChosen = false;          // the unit's model code was found among the candidates
    PointConfiguration configuration;  // when configured
    // For a configured unit with setting points: what they reach. Its `proven` is the 7.1.3
    // check (configuration.checks.enoughPoints) in place of the estimate.
    std::optional<PlacedCover> cover;

    [[nodiscard]] bool configured() const { return fault == Unconfigurable::None; }
    // The configured model; only when configured().
    [[nodiscard]] const CandidateModel& chosenModel() const;
};

// The unit's configuration: its model, or the default model where it has none or one that is not
// among the candidates; its N: the number of its setting points where it has them, else its N,
// else the estimate N0 for that model. A unit's cover is checked once for each outline, set of
// points and R, and remembered.
[[nodiscard]] UnitDesign design(const Unit& unit);

// The checks of a configuration that are not met, in clause order, as their clause numbers:
// "6.1.2", "7.1.3", ...
[[nodiscard]] std::vector<std::string> breachedClauses(const ClauseChecks& checks);

// The setting points reach every point of the outline less its holes within `reach` by walking
// distance (checkCover), remembered for the last few thousand questions. Not proven, and
// infinitely far, for an outline with a placingFault(), or a point in no room.
[[nodiscard]] PlacedCover placedCover(const Ring& outline, const std::vector<PlanPoint>& points,
                                      int reach, const std::vector<Ring>& holes = {});

// The largest outline whose setting points are placed and checked: beyond it a unit should be
// divided (GB 50140-2005 7.2.1), and the check's grid would take minutes.
constexpr double kMaxPlacedArea = 40000;
// The most vertices, and re-entrant corners, of an outline and its holes whose points are placed
// and checked (every corner of a hole that sticks out into the room is one): walking distances
// cost the square of the corners.
constexpr std::size_t kMaxPlacedVertices = 4000;
constexpr std::size_t kMaxPlacedCorners = 400;

// Why setting points are not placed in an outline, or checked.
enum class PlacingFault : std::uint8_t {
    None,
    TooLarge,      // an area above kMaxPlacedArea
    TooIntricate,  // more than kMaxPlacedVertices vertices or kMaxPlacedCorners corners
};
// The area counted is the outline's less its holes'.
[[nodiscard]] PlacingFault placingFault(const Ring& outline, const std::vector<Ring>& holes = {});

// The same for a unit: its outline's; for a combined unit, its rooms' taken together (the corners
// of its doors' openings not counted).
[[nodiscard]] PlacingFault placingFault(const Unit& unit);

// The unit's setting points set by hand, in their order.
[[nodiscard]] std::vector<PlanPoint> handSetPoints(const Unit& unit);

// Setting points placed in the unit's outline, round its holes, for the R of its configured model
// (placeSettingPoints, which `progress` follows and may stop: then the placement is `stopped`):
// its points set by hand first, kept as they are, then those added to them; for a combined unit,
// placed on its floor as designers place them (placeFloorPoints()); empty for a unit without a
// plan or a configuration, and for one with a placingFault().
[[nodiscard]] std::optional<Placement> placeUnit(const Unit& unit,
                                                 const PlacingProgress& progress = {});

// "计算单元N", N the smallest number from 1 that no unit of the project is named with.
[[nodiscard]] std::string nextUnitName(const Project& project);

}  // namespace core
