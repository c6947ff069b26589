#pragma once

#include <cmath>

#include "polygon.h"

// A plan's points taken as vectors of the plane, in metres: sums, differences, scaling, the dot
// and cross products, length, direction and the left normal, and the centre of an arc.
namespace core {

inline PlanPoint operator+(PlanPoint a, PlanPoint b) {
    return {a.x + b.x, a.y + b.y};
}
inline PlanPoint operator-(PlanPoint a, PlanPoint b) {
    return {a.x - b.x, a.y - b.y};
}
inline PlanPoint operator*(PlanPoint a, double k) {
    return {a.x * k, a.y * k};
}
inline double dot(PlanPoint a, PlanPoint b) {
    return a.x * b.x + a.y * b.y;
}
inline double cross(PlanPoint a, PlanPoint b) {
    return a.x * b.y - a.y * b.x;
}
inline double length(PlanPoint a) {
    return std::hypot(a.x, a.y);
}
// The vector's direction, of length 1; none (0, 0) for the zero vector.
inline PlanPoint unit(PlanPoint a) {
    const double l = length(a);
    return l > 0 ? a * (1 / l) : PlanPoint{};
}
// The direction turned a quarter counter-clockwise.
inline PlanPoint leftOf(PlanPoint direction) {
    return {-direction.y, direction.x};
}

// The centre of the arc from `from` to `to` of this bulge (as BulgeVertex has it; not 0): on the
// chord's perpendicular bisector, to its left for a counter-clockwise arc.
inline PlanPoint arcCentre(PlanPoint from, PlanPoint to, double bulge) {
    const PlanPoint chord = to - from;
    return (from + to) * 0.5 +
           leftOf(unit(chord)) * (length(chord) / 2 * (1 - bulge * bulge) / (2 * bulge));
}

}  // namespace core
