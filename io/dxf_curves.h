#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "polygon.h"

// The geometry of a drawing's entities on their way into world coordinates: the affine maps of
// block references and object coordinate systems, arcs (given by their bulge) under such a map,
// and the curves that are no arcs (elliptical arcs, NURBS splines) sampled into chords.
namespace io {

// x' = a x + c y + e, y' = b x + d y + f.
struct Affine {
    double a = 1;
    double b = 0;
    double c = 0;
    double d = 1;
    double e = 0;
    double f = 0;

    [[nodiscard]] core::PlanPoint operator()(core::PlanPoint p) const {
        return {a * p.x + c * p.y + e, b * p.x + d * p.y + f};
    }
    // The image of a vector: the map without its translation.
    [[nodiscard]] core::PlanPoint linear(core::PlanPoint v) const {
        return {a * v.x + c * v.y, b * v.x + d * v.y};
    }
    [[nodiscard]] double determinant() const { return a * d - b * c; }
    // Keeps the shape of every circle: rotation, one scale and perhaps a mirror.
    [[nodiscard]] bool conformal() const;
    [[nodiscard]] std::optional<Affine> inverse() const;

    static Affine translation(core::PlanPoint by) { return {1, 0, 0, 1, by.x, by.y}; }
    static Affine rotation(double radians);
    static Affine scaling(double x, double y) { return {x, 0, 0, y, 0, 0}; }
};

// `outer` after `inner`.
[[nodiscard]] Affine operator*(const Affine& outer, const Affine& inner);

// The bulge of the image of the arc from a to b: the same arc turned the other way by a mirror;
// under a map that is not conformal, the arc through the images of its ends and its middle.
[[nodiscard]] double mappedBulge(const Affine& map, core::PlanPoint a, core::PlanPoint b,
                                 double bulge);
// The vertices and their arcs mapped; the last vertex's arc goes to the first where `closed`.
[[nodiscard]] std::vector<core::BulgeVertex> mapped(const Affine& map,
                                                    const std::vector<core::BulgeVertex>& vertices,
                                                    bool closed);

// A box that grows to hold what is added to it; empty at first.
struct GrowingBox {
    core::PlanBox box;
    bool empty = true;

    void add(core::PlanPoint p);
    // The vertices with their arcs, which bulge beyond their ends.
    void add(const std::vector<core::BulgeVertex>& vertices, bool closed);
};

// center + major cos t + minor sin t, t from start to end (counter-clockwise in t; the end
// beyond the start by up to 2π).
struct EllipseArc {
    core::PlanPoint center;
    core::PlanPoint major{1, 0};
    core::PlanPoint minor{0, 1};
    double start = 0;
    double end = 0;

    [[nodiscard]] bool full() const;
    // The area the full ellipse encloses.
    [[nodiscard]] double area() const;
};
[[nodiscard]] EllipseArc mapped(const Affine& map, const EllipseArc& arc);

// A NURBS curve by its control points (with their weights and knots), or where it has none, the
// cubic through its fit points.
struct Spline {
    int degree = 3;
    std::vector<double> knots;
    std::vector<double> weights;
    std::vector<core::PlanPoint> control;
    std::vector<core::PlanPoint> fit;
    bool closed = false;
};
[[nodiscard]] Spline mapped(const Affine& map, Spline spline);

// The most points a sampled curve has.
constexpr std::size_t kMaxCurvePoints = 100000;

// Points along the curve, from its start to its end, whose chords stay within `tolerance` of it
// (as far as kMaxCurvePoints allow); a full ellipse or a closed spline without its end repeated.
[[nodiscard]] std::vector<core::PlanPoint> sampled(const EllipseArc& arc, double tolerance);
[[nodiscard]] std::vector<core::PlanPoint> sampled(const Spline& spline, double tolerance);

// The larger side of the points' box.
[[nodiscard]] double extent(const std::vector<core::PlanPoint>& points);

}  // namespace io
