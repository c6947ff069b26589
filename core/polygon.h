#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// Room outlines on a floor plan: closed rings of points in the plane, their area, their
// orientation, what lies inside them and whether they are simple. Arcs of a drawing's polylines
// (given by their bulge) become chords here. Plain C++; the geometry is Boost.Geometry's.
namespace core {

struct PlanPoint {
    double x = 0;
    double y = 0;

    friend bool operator==(const PlanPoint&, const PlanPoint&) = default;
    friend auto operator<=>(const PlanPoint&, const PlanPoint&) = default;
};

// A closed outline as its vertices in order; the last vertex joins the first and is not repeated.
using Ring = std::vector<PlanPoint>;

// A vertex of a drawing's polyline and the arc to the next vertex: bulge = tan(θ/4), θ the
// included angle of the arc, positive where the arc turns counter-clockwise; 0 for a straight
// segment.
struct BulgeVertex {
    PlanPoint at;
    double bulge = 0;

    friend bool operator==(const BulgeVertex&, const BulgeVertex&) = default;
};

// The smallest box around a ring (all zero for an empty one).
struct PlanBox {
    PlanPoint min;
    PlanPoint max;

    friend bool operator==(const PlanBox&, const PlanBox&) = default;
};
[[nodiscard]] PlanBox bounds(const Ring& ring);

// The area enclosed, positive for a counter-clockwise ring (the shoelace formula).
[[nodiscard]] double signedArea(const Ring& ring);
[[nodiscard]] double area(const Ring& ring);
// The ring turned counter-clockwise where it runs clockwise.
[[nodiscard]] Ring counterClockwise(Ring ring);

// The point lies inside the ring or on its boundary; the ring may run either way.
[[nodiscard]] bool coveredBy(PlanPoint point, const Ring& ring);
// The point lies in the room: covered by its outline and inside none of its holes (a point on a
// hole's wall is not in the room).
[[nodiscard]] bool inRoom(PlanPoint point, const Ring& outline, const std::vector<Ring>& holes);
// No part of `inner` lies outside `outer` (their boundaries may touch; two rings of the same
// region each lie inside the other). Both rings must be simple (ringFault() None); either
// may run either way.
[[nodiscard]] bool ringInside(const Ring& inner, const Ring& outer);

// The regions of two rings have no point in common, their boundaries none either. Both rings must
// be simple; either may run either way.
[[nodiscard]] bool ringsApart(const Ring& a, const Ring& b);

// The ring without vertices that repeat the one before them to within `tolerance` in x and y,
// the last one also compared with the first.
[[nodiscard]] Ring withoutRepeats(Ring ring, double tolerance);

// Why a ring is no outline of a room. The checks run in this order; a ring whose consecutive
// vertices repeat is judged as given, so take them out first with withoutRepeats().
enum class RingFault : std::uint8_t {
    None,
    TooFewVertices,    // fewer than 3
    NotFinite,         // a coordinate or the area is infinite or not a number
    ZeroArea,          // no area, within rounding: all vertices on one line, say
    SelfIntersecting,  // its edges cross or touch other than at their shared vertices
};
[[nodiscard]] RingFault ringFault(const Ring& ring);

// A band of the plane between two heights, and a range of x.
struct YBand {
    double bottom = 0;
    double top = 0;
};
struct XSpan {
    double left = 0;
    double right = 0;
};
// The part of the segment from a to b that lies within the band, as its smallest and largest x;
// none where the segment misses the band. A level segment is taken whole.
[[nodiscard]] std::optional<XSpan> spanInBand(PlanPoint a, PlanPoint b, YBand band);

// The area in m² rounded up to the next 0.01 m², so that rounding never under-sizes; an area
// within 1e-11 of itself above a multiple of 0.01 m² is taken as that multiple, so that binary
// noise (12.340000000001) does not add 0.01. 0 for an area that is not above 0.
[[nodiscard]] double areaRoundedUp(double squareMetres);

// The place for a room's label: the point inside `outline` and outside its `holes` that lies
// farthest from all their edges (within 1/1000 of the room's larger side), so that an L-shaped room
// has its label in the L and a room with a column about the column. The box's middle for a ring
// with fewer than three vertices or no finite extent.
[[nodiscard]] PlanPoint labelPoint(const Ring& outline, const std::vector<Ring>& holes = {});
// The area enclosed by a closed polyline with arcs, each arc's circular segment counted whole:
// positive where it runs counter-clockwise. An arc whose bulge is no number counts as its chord.
[[nodiscard]] double signedBulgeArea(const std::vector<BulgeVertex>& closedPolyline);

// The most chords that one arc becomes, however fine the tolerance or large the arc.
constexpr std::size_t kMaxChordsPerArc = 4096;

// The side of a closed polyline's curve on which the chords that stand for its arcs lie: the
// region it encloses (a room's outline), or the region outside it (the outline of a column in a
// room).
enum class ChordSide : std::uint8_t { Inside, Outside };

// A closed polyline with arcs as a ring of chords that keep within `maxSagitta` of the arcs (in
// the units of the coordinates), on the `side` of them: an arc that bulges away from that side
// becomes the fewest chords, at least one, between points on the arc; an arc that bulges towards
// it becomes chords between points beyond the arc, at least two, those between them tangent to
// it, the first and last joining it at its ends. Each arc (from a vertex with a bulge to the next,
// the last vertex's to the first) takes at most kMaxChordsPerArc chords; a tolerance that is not
// above 0 takes the most. The side of an arc is judged by the direction of the polyline
// (signedBulgeArea()).
[[nodiscard]] Ring flattenBulges(const std::vector<BulgeVertex>& closedPolyline, double maxSagitta,
                                 ChordSide side = ChordSide::Inside);
// The number of vertices flattenBulges() gives, without making them.
[[nodiscard]] std::size_t flattenedSize(const std::vector<BulgeVertex>& closedPolyline,
                                        double maxSagitta, ChordSide side = ChordSide::Inside);

}  // namespace core
