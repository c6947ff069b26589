#include "polygon.h"

#include <algorithm>
#include <boost/geometry/algorithms/covered_by.hpp>
#include <boost/geometry/algorithms/disjoint.hpp>
#include <boost/geometry/algorithms/is_valid.hpp>
#include <cmath>
#include <exception>
#include <limits>
#include <numbers>
#include <queue>
#include <utility>

#include "plan_geometry.h"

namespace core {

namespace {

namespace bg = boost::geometry;

// The ring as Boost.Geometry takes it: counter-clockwise. Points to `ring` itself where it
// already runs so, else to `turned`.
const Ring& counterClockwiseView(const Ring& ring, Ring& turned) {
    if (signedArea(ring) >= 0) {
        return ring;
    }
    turned.assign(ring.rbegin(), ring.rend());
    return turned;
}

// The arc from `from` to `to` as the chords flattenBulges() makes of it: that many chords, between
// points on the arc or tangent to it.
struct ArcChords {
    std::size_t chords = 1;
    bool tangent = false;
};

// The arc's chord length where the bulge makes an arc of it (a number not 0, between distinct
// points); else 0.
double arcChord(const BulgeVertex& from, PlanPoint to) {
    const double chord = std::hypot(to.x - from.at.x, to.y - from.at.y);
    if (from.bulge == 0 || !std::isfinite(from.bulge) || !(chord > 0) || !std::isfinite(chord)) {
        return 0;
    }
    return chord;
}

ArcChords arcChords(const BulgeVertex& from, PlanPoint to, double maxSagitta, bool tangent) {
    const double chord = arcChord(from, to);
    if (chord == 0) {
        return {};
    }
    const double bulgeSize = std::abs(from.bulge);
    // The arc's sagitta is bulge·chord/2. Tangents to an arc no deeper than rounding noise would
    // only add vertices.
    const double sagitta = bulgeSize * chord / 2;
    if (tangent && sagitta <= 1e-9 * chord) {
        return {};
    }
    if (!tangent && maxSagitta > 0 && sagitta <= maxSagitta) {
        return {};
    }
    const ArcChords most{kMaxChordsPerArc, tangent};
    if (!(maxSagitta > 0)) {
        return most;
    }
    const double angle = 4 * std::atan(bulgeSize);  // the included angle, below 2π
    const double radius = chord / (2 * std::sin(angle / 2));
    if (!std::isfinite(radius)) {
        return most;
    }
    // A chord spanning the angle φ has the sagitta r(1 − cos(φ/2)): at most maxSagitta while
    // φ/2 ≤ acos(1 − maxSagitta/r). The arc's own sagitta exceeds maxSagitta and is at most 2r,
    // so the cosine lies within (−1, 1). Points r/cos(φ/2) from the centre, φ apart, are joined by
    // chords tangent to the arc: within maxSagitta of it while φ/2 ≤ acos(r/(r + maxSagitta)),
    // and no further apart than π/2 so that they stay near the arc.
    const double halfSpan =
        tangent ? std::min(std::acos(radius / (radius + maxSagitta)), std::numbers::pi / 4)
                : std::acos(1 - maxSagitta / radius);
    const double chords = std::ceil(angle / (2 * halfSpan));
    if (!(chords < static_cast<double>(kMaxChordsPerArc))) {
        return most;
    }
    return {std::max<std::size_t>(tangent ? 2 : 1, static_cast<std::size_t>(chords)), tangent};
}

// Appends the arc's points after `vertex`, up to but not including `to`.
void appendArc(Ring& ring, const BulgeVertex& vertex, PlanPoint to, ArcChords arc) {
    const PlanPoint from = vertex.at;
    const double bulge = vertex.bulge;
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    // The centre lies on the chord's perpendicular bisector, on the left of the chord's direction
    // by chord/2 · (1 − bulge²)/(2·bulge); a positive bulge turns the arc out to the right.
    const double offset = (1 - bulge * bulge) / (4 * bulge);
    const PlanPoint centre{(from.x + to.x) / 2 - dy * offset, (from.y + to.y) / 2 + dx * offset};
    const double radius = std::hypot(from.x - centre.x, from.y - centre.y);
    const double start = std::atan2(from.y - centre.y, from.x - centre.x);
    const double sweep = 4 * std::atan(bulge);
    // Points on the arc between the chords, or beyond it where the chords between them are
    // tangent to it; the first and last chord then cut into the arc by less than a chord between
    // points on it would.
    const double span = sweep / static_cast<double>(arc.chords);
    const double reach = arc.tangent ? radius / std::cos(span / 2) : radius;
    for (std::size_t i = 1; i < arc.chords; ++i) {
        const double angle = start + span * static_cast<double>(i);
        ring.push_back({centre.x + reach * std::cos(angle), centre.y + reach * std::sin(angle)});
    }
}

// The distance from the point to the nearest edge of the rings, negative outside the region
// they bound (inside the first and outside the others, by the even-odd rule).
double signedEdgeDistance(PlanPoint p, const Ring& outline, const std::vector<Ring>& holes) {
    bool inside = false;
    double nearestSquared = std::numeric_limits<double>::infinity();
    const auto visit = [&](const Ring& ring) {
        const std::size_t n = ring.size();
        for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
            const PlanPoint a = ring[i];
            const PlanPoint b = ring[j];
            if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) {
                inside = !inside;
            }
            const double dx = b.x - a.x;
            const double dy = b.y - a.y;
            const double length = dx * dx + dy * dy;
            double t = length > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length : 0;
            t = std::clamp(t, 0.0, 1.0);
            const double ex = p.x - a.x - t * dx;
            const double ey = p.y - a.y - t * dy;
            nearestSquared = std::min(nearestSquared, ex * ex + ey * ey);
        }
    };
    visit(outline);
    for (const Ring& hole : holes) {
        if (hole.size() >= 3) {
            visit(hole);
        }
    }
    const double nearest = std::sqrt(nearestSquared);
    return inside ? nearest : -nearest;
}

// Whether flattenBulges() puts tangents to the arcs that turn counter-clockwise (positive bulge),
// and whether to those that turn clockwise.
std::pair<bool, bool> tangentArcs(const std::vector<BulgeVertex>& closedPolyline, ChordSide side) {
    const double enclosed = signedBulgeArea(closedPolyline);
    if (!(enclosed != 0) || !std::isfinite(enclosed)) {
        return {false, false};
    }
    // In a counter-clockwise outline an arc that turns counter-clockwise bulges outwards: the
    // region inside lies inside its circle, and chords between points on it lie inside too.
    const bool outwardsTangent = side == ChordSide::Outside;
    return enclosed > 0 ? std::pair(outwardsTangent, !outwardsTangent)
                        : std::pair(!outwardsTangent, outwardsTangent);
}

}  // namespace

std::optional<XSpan> spanInBand(PlanPoint a, PlanPoint b, YBand band) {
    if (a.y == b.y) {
        return XSpan{std::min(a.x, b.x), std::max(a.x, b.x)};
    }
    double from = (band.bottom - a.y) / (b.y - a.y);
    double to = (band.top - a.y) / (b.y - a.y);
    if (from > to) {
        std::swap(from, to);
    }
    from = std::max(from, 0.0);
    to = std::min(to, 1.0);
    if (from > to) {
        return std::nullopt;
    }
    const double left = a.x + from * (b.x - a.x);
    const double right = a.x + to * (b.x - a.x);
    return XSpan{std::min(left, right), std::max(left, right)};
}

PlanBox bounds(const Ring& ring) {
    if (ring.empty()) {
        return {};
    }
    PlanBox box{ring.front(), ring.front()};
    for (const PlanPoint& p : ring) {
        box.min = {std::min(box.min.x, p.x), std::min(box.min.y, p.y)};
        box.max = {std::max(box.max.x, p.x), std::max(box.max.y, p.y)};
    }
    return box;
}

double signedArea(const Ring& ring) {
    if (ring.size() < 3) {
        return 0;
    }
    // Relative to the first vertex, which keeps the products small for a room far from the
    // drawing's origin.
    const PlanPoint origin = ring.front();
    double twice = 0;
    for (std::size_t i = 1; i + 1 < ring.size(); ++i) {
        const double ax = ring[i].x - origin.x;
        const double ay = ring[i].y - origin.y;
        const double bx = ring[i + 1].x - origin.x;
        const double by = ring[i + 1].y - origin.y;
        twice += ax * by - bx * ay;
    }
    return twice / 2;
}

double area(const Ring& ring) {
    return std::abs(signedArea(ring));
}

Ring counterClockwise(Ring ring) {
    if (signedArea(ring) < 0) {
        std::reverse(ring.begin(), ring.end());
    }
    return ring;
}

bool coveredBy(PlanPoint point, const Ring& ring) {
    // The winding count that decides is not zero for either direction of the ring.
    return ring.size() >= 3 && bg::covered_by(point, ring);
}

bool inRoom(PlanPoint point, const Ring& outline, const std::vector<Ring>& holes) {
    return coveredBy(point, outline) && std::ranges::none_of(holes, [point](const Ring& hole) {
               return coveredBy(point, hole);
           });
}

bool ringInside(const Ring& inner, const Ring& outer) {
    if (inner.size() < 3 || outer.size() < 3) {
        return false;
    }
    Ring turnedInner;
    Ring turnedOuter;
    try {
        return bg::covered_by(counterClockwiseView(inner, turnedInner),
                              counterClockwiseView(outer, turnedOuter));
    } catch (const std::exception&) {
        // Boost.Geometry gives up on some nearly degenerate input; such rings are kept apart.
        return false;
    }
}

bool ringsApart(const Ring& a, const Ring& b) {
    if (a.size() < 3 || b.size() < 3) {
        return false;
    }
    Ring turnedA;
    Ring turnedB;
    try {
        return bg::disjoint(counterClockwiseView(a, turnedA), counterClockwiseView(b, turnedB));
    } catch (const std::exception&) {
        return false;
    }
}

Ring withoutRepeats(Ring ring, double tolerance) {
    const auto same = [tolerance](PlanPoint a, PlanPoint b) {
        return std::abs(a.x - b.x) <= tolerance && std::abs(a.y - b.y) <= tolerance;
    };
    Ring kept;
    kept.reserve(ring.size());
    for (const PlanPoint& p : ring) {
        if (kept.empty() || !same(kept.back(), p)) {
            kept.push_back(p);
        }
    }
    while (kept.size() > 1 && same(kept.back(), kept.front())) {
        kept.pop_back();
    }
    return kept;
}

RingFault ringFault(const Ring& ring) {
    if (ring.size() < 3) {
        return RingFault::TooFewVertices;
    }
    const bool finite = std::ranges::all_of(
        ring, [](PlanPoint p) { return std::isfinite(p.x) && std::isfinite(p.y); });
    const double enclosed = signedArea(ring);
    const PlanBox box = bounds(ring);
    const double width = box.max.x - box.min.x;
    const double height = box.max.y - box.min.y;
    const double diagonalSquared = width * width + height * height;
    if (!finite || !std::isfinite(enclosed) || !std::isfinite(diagonalSquared)) {
        return RingFault::NotFinite;
    }
    // Collinear vertices leave only rounding noise, which is far below any real room's share of
    // its box (a corridor 0.1 m by 100 m has 1e-3 of its diagonal squared).
    if (std::abs(enclosed) <= 1e-9 * diagonalSquared) {
        return RingFault::ZeroArea;
    }
    Ring turned;
    bg::validity_failure_type failure = bg::no_failure;
    try {
        if (bg::is_valid(counterClockwiseView(ring, turned), failure)) {
            return RingFault::None;
        }
    } catch (const std::exception&) {
        return RingFault::SelfIntersecting;
    }
    switch (failure) {
        case bg::failure_few_points:
            return RingFault::TooFewVertices;
        case bg::failure_invalid_coordinate:
            return RingFault::NotFinite;
        case bg::failure_wrong_topological_dimension:
            return RingFault::ZeroArea;
        default:
            return RingFault::SelfIntersecting;
    }
}

PlanPoint labelPoint(const Ring& outline, const std::vector<Ring>& holes) {
    const PlanBox box = bounds(outline);
    const PlanPoint middle{(box.min.x + box.max.x) / 2, (box.min.y + box.max.y) / 2};
    const double width = box.max.x - box.min.x;
    const double height = box.max.y - box.min.y;
    if (outline.size() < 3 || !std::isfinite(width) || !std::isfinite(height) ||
        !(std::min(width, height) > 0)) {
        return middle;
    }
    // Square cells searched best first: a cell may hold a point farther from the edges than its
    // centre by at most its half diagonal, and is split only while that could beat the best.
    struct Cell {
        PlanPoint centre;
        double half = 0;
        double distance = 0;
        [[nodiscard]] double potential() const { return distance + half * std::numbers::sqrt2; }
        bool operator<(const Cell& other) const { return potential() < other.potential(); }
    };
    const auto cell = [&](PlanPoint centre, double half) {
        return Cell{centre, half, signedEdgeDistance(centre, outline, holes)};
    };
    const double precision = std::max(width, height) / 1000;
    // Cells as wide as the room is narrow, but no more than 256 along it.
    const double size = std::max(std::min(width, height), std::max(width, height) / 256);
    std::priority_queue<Cell> queue;
    for (double x = box.min.x; x < box.max.x; x += size) {
        for (double y = box.min.y; y < box.max.y; y += size) {
            queue.push(cell({x + size / 2, y + size / 2}, size / 2));
        }
    }
    Cell best = cell(middle, 0);
    // The search stops at the best found after some 10 million edge distances (a few hundredths
    // of a second), which an outline of some thousand vertices may need.
    std::size_t edges = outline.size();
    for (const Ring& hole : holes) {
        edges += hole.size();
    }
    const std::size_t mostCells = std::min<std::size_t>(200'000, 10'000'000 / edges) / 4;
    for (std::size_t visited = 0; !queue.empty() && visited < mostCells; ++visited) {
        const Cell next = queue.top();
        queue.pop();
        if (next.distance > best.distance) {
            best = next;
        }
        if (next.potential() - best.distance <= precision) {
            continue;
        }
        const double half = next.half / 2;
        for (const double dx : {-half, half}) {
            for (const double dy : {-half, half}) {
                queue.push(cell({next.centre.x + dx, next.centre.y + dy}, half));
            }
        }
    }
    return best.distance > 0 ? best.centre : middle;
}

double areaRoundedUp(double squareMetres) {
    if (!(squareMetres > 0)) {
        return 0;
    }
    // Each operation of the area's sum may be off by 1e-16 of its size; 1e-11 leaves room for
    // thousands of vertices while it takes an excess of 0.0001 m² even at 10 000 000 m².
    const double hundredths = squareMetres * 100;
    const double below = std::floor(hundredths);
    return (hundredths - below <= 1e-11 * hundredths ? below : below + 1) / 100;
}

double signedBulgeArea(const std::vector<BulgeVertex>& closedPolyline) {
    Ring points(closedPolyline.size());
    std::ranges::transform(closedPolyline, points.begin(), &BulgeVertex::at);
    double enclosed = signedArea(points);
    for (std::size_t i = 0; i < closedPolyline.size(); ++i) {
        const BulgeVertex& from = closedPolyline[i];
        const double chord = arcChord(from, closedPolyline[(i + 1) % closedPolyline.size()].at);
        if (chord == 0) {
            continue;
        }
        // The segment between an arc of angle θ and its chord c: r²(θ − sin θ)/2 with
        // r = c/(2 sin(θ/2)); for a small angle θ − sin θ by its series, which keeps its digits.
        const double angle = 4 * std::atan(std::abs(from.bulge));
        const double halfSine = std::sin(angle / 2);
        const double excess = angle < 1e-3 ? angle * angle * angle / 6 * (1 - angle * angle / 20)
                                           : angle - std::sin(angle);
        const double segment = chord * chord / (8 * halfSine * halfSine) * excess;
        enclosed += from.bulge > 0 ? segment : -segment;
    }
    return enclosed;
}

std::size_t flattenedSize(const std::vector<BulgeVertex>& closedPolyline, double maxSagitta,
                          ChordSide side) {
    const auto [counterClockwiseTangent, clockwiseTangent] = tangentArcs(closedPolyline, side);
    std::size_t size = 0;
    for (std::size_t i = 0; i < closedPolyline.size(); ++i) {
        const BulgeVertex& from = closedPolyline[i];
        const BulgeVertex& to = closedPolyline[(i + 1) % closedPolyline.size()];
        const bool tangent = from.bulge > 0 ? counterClockwiseTangent : clockwiseTangent;
        size += arcChords(from, to.at, maxSagitta, tangent).chords;
    }
    return size;
}

Ring flattenBulges(const std::vector<BulgeVertex>& closedPolyline, double maxSagitta,
                   ChordSide side) {
    const auto [counterClockwiseTangent, clockwiseTangent] = tangentArcs(closedPolyline, side);
    Ring ring;
    ring.reserve(flattenedSize(closedPolyline, maxSagitta, side));
    for (std::size_t i = 0; i < closedPolyline.size(); ++i) {
        const BulgeVertex& from = closedPolyline[i];
        const BulgeVertex& to = closedPolyline[(i + 1) % closedPolyline.size()];
        ring.push_back(from.at);
        const bool tangent = from.bulge > 0 ? counterClockwiseTangent : clockwiseTangent;
        const ArcChords arc = arcChords(from, to.at, maxSagitta, tangent);
        if (arc.chords > 1) {
            appendArc(ring, from, to.at, arc);
        }
    }
    return ring;
}

}  // namespace core
