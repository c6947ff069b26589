#include "polygon.h"

#include <algorithm>
#include <boost/geometry/algorithms/covered_by.hpp>
#include <boost/geometry/algorithms/disjoint.hpp>
#include <boost/geometry/algorithms/is_valid.hpp>
#include <cmath>
#include <exception>

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

// The number of chords for the arc from `from` to `to`: 1 for a straight segment, a segment of
// no length or an arc that keeps within the tolerance of its chord.
std::size_t chordCount(const BulgeVertex& from, PlanPoint to, double maxSagitta) {
    const double bulge = from.bulge;
    const double chord = std::hypot(to.x - from.at.x, to.y - from.at.y);
    if (bulge == 0 || !std::isfinite(bulge) || !(chord > 0) || !std::isfinite(chord)) {
        return 1;
    }
    const double bulgeSize = std::abs(bulge);
    // The arc's sagitta is bulge·chord/2.
    if (maxSagitta > 0 && bulgeSize * chord / 2 <= maxSagitta) {
        return 1;
    }
    if (!(maxSagitta > 0)) {
        return kMaxChordsPerArc;
    }
    const double angle = 4 * std::atan(bulgeSize);  // the included angle, below 2π
    const double radius = chord / (2 * std::sin(angle / 2));
    if (!std::isfinite(radius)) {
        return kMaxChordsPerArc;
    }
    // A chord spanning the angle φ has the sagitta r(1 − cos(φ/2)): at most maxSagitta while
    // φ/2 ≤ acos(1 − maxSagitta/r). The arc's own sagitta exceeds maxSagitta and is at most 2r,
    // so the cosine lies within (−1, 1).
    const double halfSpan = std::acos(1 - maxSagitta / radius);
    const double chords = std::ceil(angle / (2 * halfSpan));
    if (!(chords < static_cast<double>(kMaxChordsPerArc))) {
        return kMaxChordsPerArc;
    }
    return std::max<std::size_t>(1, static_cast<std::size_t>(chords));
}

// Appends the arc's points after `vertex`, up to but not including `to`, `chords` chords in all.
void appendArc(Ring& ring, const BulgeVertex& vertex, PlanPoint to, std::size_t chords) {
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
    for (std::size_t i = 1; i < chords; ++i) {
        const double angle = start + sweep * static_cast<double>(i) / static_cast<double>(chords);
        ring.push_back({centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)});
    }
}

}  // namespace

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

std::size_t flattenedSize(const std::vector<BulgeVertex>& closedPolyline, double maxSagitta) {
    std::size_t size = 0;
    for (std::size_t i = 0; i < closedPolyline.size(); ++i) {
        const BulgeVertex& from = closedPolyline[i];
        const BulgeVertex& to = closedPolyline[(i + 1) % closedPolyline.size()];
        size += chordCount(from, to.at, maxSagitta);
    }
    return size;
}

Ring flattenBulges(const std::vector<BulgeVertex>& closedPolyline, double maxSagitta) {
    Ring ring;
    ring.reserve(flattenedSize(closedPolyline, maxSagitta));
    for (std::size_t i = 0; i < closedPolyline.size(); ++i) {
        const BulgeVertex& from = closedPolyline[i];
        const BulgeVertex& to = closedPolyline[(i + 1) % closedPolyline.size()];
        ring.push_back(from.at);
        const std::size_t chords = chordCount(from, to.at, maxSagitta);
        if (chords > 1) {
            appendArc(ring, from, to.at, chords);
        }
    }
    return ring;
}

}  // namespace core
