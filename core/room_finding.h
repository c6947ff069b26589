#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plan_import.h"
#include "polygon.h"

// From the outlines and texts of a floor plan to its rooms: the closed polylines of the layers
// chosen are the rooms' outlines and the outlines of the columns, shafts and voids in them, the
// texts inside them their names. Every outline becomes a room or a room's hole, or is refused
// with its reason.
namespace core {

// The chords that stand for the arcs of an outline keep within this of them, in metres.
constexpr double kOutlineSagitta = 0.01;
// The most vertices an outline may have once its arcs are chords.
constexpr std::size_t kMaxFlattenedVertices = 200000;
// Outlines whose symmetric difference is smaller than this, in m², are one region.
constexpr double kSameRegion = 0.01;
// Outlines smaller than this, in m², are no rooms unless their layer is proposed.
constexpr double kSmallestRoom = 1;

// A closed polyline of a chosen layer.
struct PlanOutline {
    std::string handle;  // empty where the drawing has none
    std::string layer;
    std::vector<BulgeVertex> vertices;  // metres; the first not repeated at the end
    bool proposedLayer = false;         // its layer's name says it holds rooms (isRoomLayerName)
    bool unread = false;                // the drawing's reader kept none of its vertices
    // The area, in m², of the curve that the vertices stand for where they only come near it (an
    // ellipse's or a spline's chords): the room's area, as its arcs' segments are.
    std::optional<double> curveArea = std::nullopt;
};

struct PlanText {
    PlanPoint at;  // metres
    double height = 0;
    std::string text;  // its lines apart by '\n'
};

// Why an outline is no room.
enum class OutlineRefusal : std::uint8_t {
    Unread,           // the reader's reason
    TooManyVertices,  // more than kMaxFlattenedVertices once its arcs are chords
    // Its chords as ringFault() judges them.
    TooFewVertices,
    NotFinite,
    ZeroArea,
    SelfIntersecting,
    Repeat,         // of the same region as the earlier outline `other`
    HoldsRooms,     // `count` rooms, fewer than kFloorRooms, lie inside it (a suite's, say)
    TooSmall,       // below kSmallestRoom on a layer not proposed
    InHole,         // inside the hole `other`
    SplitByHoles,   // its holes cut it into `count` pieces
    BrokenByHoles,  // its holes leave no sound outline
    InRefusedRoom,  // a hole of the room `other`, which is refused
};

struct RefusedOutline {
    std::size_t outline = 0;  // its place among the outlines
    OutlineRefusal reason = OutlineRefusal::Unread;
    std::size_t other = 0;  // the place of the outline the reason names
    std::size_t count = 0;
};

// An outline that holds at least this many rooms is the floor's outline, drawn round its rooms.
constexpr std::size_t kFloorRooms = 2;

// The outline of a floor: its place among the outlines, its chords counter-clockwise, and the
// rooms inside it.
struct FoundFloor {
    std::size_t outline = 0;
    Ring ring;
    std::size_t rooms = 0;
};

struct FoundRooms {
    // In the order of the outlines; the name empty where no text names the room.
    std::vector<PlanRoomInput> rooms;
    // For each room without a name, its number among the outlines without a name that became
    // rooms or were refused for their holes (1, 2, ...); 0 for a named room.
    std::vector<std::size_t> unnamedNumbers;
    std::vector<RefusedOutline> refused;  // in the order of the outlines
    std::vector<FoundFloor> floors;       // in the order of the outlines
};

// The rooms of the outlines (in the order of the drawing):
// - Of outlines of one region (kSameRegion) the later is refused as a repeat.
// - An outline inside a room that holds no name of its own, or whose name is that of a void
//   (isVoidName()), is a hole in the innermost room holding it; a hole's area is taken from the
//   room's. An outline inside a hole is refused.
// - An outline that holds kFloorRooms rooms or more is a floor's outline; one that holds fewer
//   (a suite's) is refused. The rooms in either are kept.
// - An outline smaller than kSmallestRoom on a layer not proposed (a label frame or a piece of
//   furniture on a layer the user chose) is refused, unless it is a hole.
// - A room's outline is counter-clockwise, its arcs chords within kOutlineSagitta that lie in the
//   room, less the holes that reach it (a column in a corner); its holes are as the outline is,
//   their chords outside them, and holes that overlap are one. Its area is that of its curved
//   outline (each arc's segment whole) less its holes, rounded up to 0.01 m².
// A room's name is its tallest text (of texts equally tall, the first) whose insertion point lies
// in it or on its edge and in none of its holes, as roomNameOf() gives it; a text inside rooms
// that overlap names the smallest of them.
// Of the text kept so far to name a room and `text` (places among `texts`), keeps the one that
// names it: the taller; of texts equally tall, the one offered first.
void keepTallest(std::optional<std::size_t>& kept, std::size_t text,
                 const std::vector<PlanText>& texts);

[[nodiscard]] FoundRooms findRooms(const std::vector<PlanOutline>& outlines,
                                   const std::vector<PlanText>& texts);

}  // namespace core
