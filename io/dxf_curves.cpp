#include "dxf_curves.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace io {

namespace {

using core::BulgeVertex;
using core::PlanPoint;

constexpr double kTwoPi = 2 * std::numbers::pi;

PlanPoint operator+(PlanPoint p, PlanPoint q) {
    return {p.x + q.x, p.y + q.y};
}
PlanPoint operator-(PlanPoint p, PlanPoint q) {
    return {p.x - q.x, p.y - q.y};
}
PlanPoint operator*(double k, PlanPoint p) {
    return {k * p.x, k * p.y};
}
double cross(PlanPoint p, PlanPoint q) {
    return p.x * q.y - p.y * q.x;
}
double length(PlanPoint p) {
    return std::hypot(p.x, p.y);
}

// The middle of the arc from a to b.
PlanPoint arcMiddle(PlanPoint a, PlanPoint b, double bulge) {
    const PlanPoint chord = b - a;
    // The sagitta over the half chord is the bulge; a counter-clockwise arc lies to the right.
    return 0.5 * (a + b) + (bulge / 2) * PlanPoint{chord.y, -chord.x};
}

// The distance from p to the segment from a to b.
double distanceToSegment(PlanPoint p, PlanPoint a, PlanPoint b) {
    const PlanPoint ab = b - a;
    const double squared = ab.x * ab.x + ab.y * ab.y;
    const double along =
        squared > 0 ? std::clamp(((p.x - a.x) * ab.x + (p.y - a.y) * ab.y) / squared, 0.0, 1.0)
                    : 0.0;
    return length(p - (a + along * ab));
}

// Samples f over [t0, t1] into `points` (the start already there), halving where a quarter or
// the middle of a piece strays more than `tolerance` from its chord.
void refine(const std::function<PlanPoint(double)>& f, double t0, double t1, PlanPoint p0,
            PlanPoint p1, double tolerance, int depth, std::vector<PlanPoint>& points) {
    const double mid = (t0 + t1) / 2;
    const PlanPoint pm = f(mid);
    if (depth > 0 && points.size() < kMaxCurvePoints) {
        const double stray =
            std::max({distanceToSegment(pm, p0, p1), distanceToSegment(f((t0 + mid) / 2), p0, p1),
                      distanceToSegment(f((mid + t1) / 2), p0, p1)});
        if (stray > tolerance) {
            refine(f, t0, mid, p0, pm, tolerance, depth - 1, points);
            refine(f, mid, t1, pm, p1, tolerance, depth - 1, points);
            return;
        }
    }
    points.push_back(p1);
}

// Samples f over consecutive parameter spans, each split in four first.
std::vector<PlanPoint> sampledSpans(const std::function<PlanPoint(double)>& f,
                                    const std::vector<double>& breaks, double tolerance) {
    std::vector<PlanPoint> points;
    if (breaks.size() < 2) {
        return points;
    }
    constexpr int kDepth = 16;
    PlanPoint previous = f(breaks.front());
    points.push_back(previous);
    for (std::size_t i = 0; i + 1 < breaks.size(); ++i) {
        for (int quarter = 1; quarter <= 4; ++quarter) {
            const double t0 = breaks[i] + (breaks[i + 1] - breaks[i]) * (quarter - 1) / 4;
            const double t1 = breaks[i] + (breaks[i + 1] - breaks[i]) * quarter / 4;
            const PlanPoint next = f(t1);
            refine(f, t0, t1, previous, next, tolerance, kDepth, points);
            previous = next;
        }
    }
    return points;
}

// The spline with what it lacks made up: its degree at most what its control points allow,
// clamped uniform knots where the given ones do not fit, weights of 1 where they do not.
bool regular(Spline& s) {
    const std::size_t n = s.control.size();
    if (n < 2) {
        return false;
    }
    s.degree = std::clamp(s.degree, 1, static_cast<int>(std::min<std::size_t>(n - 1, 11)));
    const auto p = static_cast<std::size_t>(s.degree);
    const bool knotsFit =
        s.knots.size() == n + p + 1 && std::ranges::is_sorted(s.knots) && s.knots[p] < s.knots[n];
    if (!knotsFit) {
        s.knots.assign(n + p + 1, 0);
        for (std::size_t i = 0; i < s.knots.size(); ++i) {
            s.knots[i] = static_cast<double>(std::clamp(i, p, n) - p);
        }
    }
    if (s.weights.size() != n || !std::ranges::all_of(s.weights, [](double w) { return w > 0; })) {
        s.weights.assign(n, 1);
    }
    return true;
}

// The point of a NURBS curve at t (de Boor's algorithm on weighted points); the curve regular().
PlanPoint pointAt(const Spline& s, double t) {
    const auto p = static_cast<std::size_t>(s.degree);
    const std::size_t n = s.control.size();
    // The span [knots[k], knots[k + 1]) that holds t, the last one for the end.
    const auto first = s.knots.begin() + static_cast<std::ptrdiff_t>(p);
    const auto last = s.knots.begin() + static_cast<std::ptrdiff_t>(n);
    std::size_t k = static_cast<std::size_t>(std::upper_bound(first, last, t) - s.knots.begin());
    k = std::clamp(k, p + 1, n) - 1;
    while (k > p && s.knots[k] == s.knots[k + 1]) {
        --k;
    }
    struct Weighted {
        double x, y, w;
    };
    std::vector<Weighted> d(p + 1);
    for (std::size_t j = 0; j <= p; ++j) {
        const std::size_t i = k - p + j;
        const double w = s.weights[i];
        d[j] = {s.control[i].x * w, s.control[i].y * w, w};
    }
    for (std::size_t r = 1; r <= p; ++r) {
        for (std::size_t j = p; j >= r; --j) {
            const std::size_t i = k - p + j;
            const double span = s.knots[i + p + 1 - r] - s.knots[i];
            const double alpha = span > 0 ? (t - s.knots[i]) / span : 0;
            d[j] = {(1 - alpha) * d[j - 1].x + alpha * d[j].x,
                    (1 - alpha) * d[j - 1].y + alpha * d[j].y,
                    (1 - alpha) * d[j - 1].w + alpha * d[j].w};
        }
    }
    return d[p].w != 0 ? PlanPoint{d[p].x / d[p].w, d[p].y / d[p].w} : PlanPoint{d[p].x, d[p].y};
}

// Solves the tridiagonal system (sub, diagonal, super) x = r in place of r; `sub[0]` and
// `super[n - 1]` unused.
void solveTridiagonal(std::vector<double> sub, std::vector<double> diagonal,
                      std::vector<double> super, std::vector<double>& r) {
    const std::size_t n = r.size();
    for (std::size_t i = 1; i < n; ++i) {
        const double m = diagonal[i - 1] != 0 ? sub[i] / diagonal[i - 1] : 0;
        diagonal[i] -= m * super[i - 1];
        r[i] -= m * r[i - 1];
    }
    for (std::size_t i = n; i-- > 0;) {
        const double next = i + 1 < n ? super[i] * r[i + 1] : 0;
        r[i] = diagonal[i] != 0 ? (r[i] - next) / diagonal[i] : 0;
    }
}

// The cubic through the fit points by chord length, its second derivatives from the natural
// ends, or periodic where closed; as a curve over [0, total chord length] with its breaks.
struct FitCubic {
    std::vector<PlanPoint> points;  // closed: the first again at the end
    std::vector<double> at;         // the parameter of each point
    std::vector<PlanPoint> second;  // the second derivative there

    [[nodiscard]] PlanPoint operator()(double t) const {
        const auto upper = std::ranges::upper_bound(at, t);
        const std::size_t i = std::clamp(static_cast<std::size_t>(upper - at.begin()),
                                         std::size_t{1}, at.size() - 1) -
                              1;
        const double h = at[i + 1] - at[i];
        if (h <= 0) {
            return points[i];
        }
        const double u = (at[i + 1] - t) / h;
        const double v = (t - at[i]) / h;
        const auto term = [&](double PlanPoint::*axis) {
            return u * points[i].*axis + v * points[i + 1].*axis +
                   ((u * u * u - u) * second[i].*axis + (v * v * v - v) * second[i + 1].*axis) * h *
                       h / 6;
        };
        return {term(&PlanPoint::x), term(&PlanPoint::y)};
    }
};

std::optional<FitCubic> fitCubic(std::vector<PlanPoint> fit, bool closed) {
    fit.erase(std::unique(fit.begin(), fit.end()), fit.end());
    if (closed && fit.size() > 1 && fit.front() == fit.back()) {
        fit.pop_back();
    }
    closed = closed && fit.size() >= 3;
    if (fit.size() < 2) {
        return std::nullopt;
    }
    FitCubic cubic;
    cubic.points = fit;
    if (closed) {
        cubic.points.push_back(fit.front());
    }
    const std::size_t segments = cubic.points.size() - 1;
    cubic.at.assign(segments + 1, 0);
    std::vector<double> h(segments);
    for (std::size_t i = 0; i < segments; ++i) {
        h[i] = length(cubic.points[i + 1] - cubic.points[i]);
        cubic.at[i + 1] = cubic.at[i] + h[i];
    }
    cubic.second.assign(segments + 1, {});
    for (double PlanPoint::*axis : {&PlanPoint::x, &PlanPoint::y}) {
        const auto slope = [&](std::size_t i) {
            return (cubic.points[i + 1].*axis - cubic.points[i].*axis) / h[i];
        };
        if (!closed) {
            // Unknowns: the second derivatives at the inner points; 0 at the ends.
            const std::size_t n = segments - 1;
            if (n == 0) {
                continue;
            }
            std::vector<double> sub(n), diagonal(n), super(n), r(n);
            for (std::size_t j = 0; j < n; ++j) {
                sub[j] = h[j];
                diagonal[j] = 2 * (h[j] + h[j + 1]);
                super[j] = h[j + 1];
                r[j] = 6 * (slope(j + 1) - slope(j));
            }
            solveTridiagonal(sub, diagonal, super, r);
            for (std::size_t j = 0; j < n; ++j) {
                cubic.second[j + 1].*axis = r[j];
            }
            continue;
        }
        // Periodic: one unknown per point, the last segment joining the first; the corners of
        // the cyclic system taken out by Sherman and Morrison's formula.
        const std::size_t n = segments;
        std::vector<double> sub(n), diagonal(n), super(n), r(n);
        for (std::size_t j = 0; j < n; ++j) {
            const std::size_t before = (j + n - 1) % n;
            sub[j] = h[before];
            diagonal[j] = 2 * (h[before] + h[j]);
            super[j] = h[j];
            r[j] = 6 * (slope(j) - slope(before));
        }
        const double alpha = super[n - 1];  // row n - 1, column 0
        const double beta = sub[0];         // row 0, column n - 1
        const double gamma = -diagonal[0];
        std::vector<double> adjusted = diagonal;
        adjusted[0] -= gamma;
        adjusted[n - 1] -= alpha * beta / gamma;
        std::vector<double> x = r;
        solveTridiagonal(sub, adjusted, super, x);
        std::vector<double> z(n, 0);
        z[0] = gamma;
        z[n - 1] = alpha;
        solveTridiagonal(sub, adjusted, super, z);
        const double factor =
            (x[0] + beta * x[n - 1] / gamma) / (1 + z[0] + beta * z[n - 1] / gamma);
        for (std::size_t j = 0; j < n; ++j) {
            cubic.second[j].*axis = x[j] - factor * z[j];
        }
        cubic.second[n].*axis = cubic.second[0].*axis;
    }
    return cubic;
}

}  // namespace

bool Affine::conformal() const {
    const double scale = std::max(a * a + b * b, c * c + d * d);
    constexpr double kRelative = 1e-9;
    return std::abs((a * a + b * b) - (c * c + d * d)) <= kRelative * scale &&
           std::abs(a * c + b * d) <= kRelative * scale;
}

std::optional<Affine> Affine::inverse() const {
    const double det = determinant();
    if (!std::isnormal(det)) {
        return std::nullopt;
    }
    const Affine linearPart{d / det, -b / det, -c / det, a / det, 0, 0};
    const PlanPoint back = linearPart.linear({e, f});
    return Affine{linearPart.a, linearPart.b, linearPart.c, linearPart.d, -back.x, -back.y};
}

Affine Affine::rotation(double radians) {
    const double cosine = std::cos(radians);
    const double sine = std::sin(radians);
    return {cosine, sine, -sine, cosine, 0, 0};
}

Affine operator*(const Affine& outer, const Affine& inner) {
    const PlanPoint x = outer.linear({inner.a, inner.b});
    const PlanPoint y = outer.linear({inner.c, inner.d});
    const PlanPoint origin = outer({inner.e, inner.f});
    return {x.x, x.y, y.x, y.y, origin.x, origin.y};
}

double mappedBulge(const Affine& map, PlanPoint a, PlanPoint b, double bulge) {
    if (bulge == 0) {
        return 0;
    }
    if (map.conformal()) {
        return map.determinant() < 0 ? -bulge : bulge;
    }
    const PlanPoint ma = map(a);
    const PlanPoint mb = map(b);
    const PlanPoint chord = mb - ma;
    const double squared = chord.x * chord.x + chord.y * chord.y;
    const double result =
        squared > 0 ? -2 * cross(chord, map(arcMiddle(a, b, bulge)) - ma) / squared : 0;
    return std::isfinite(result) ? result : 0;
}

std::vector<BulgeVertex> mapped(const Affine& map, const std::vector<BulgeVertex>& vertices,
                                bool closed) {
    std::vector<BulgeVertex> result(vertices.size());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const bool last = i + 1 == vertices.size();
        const BulgeVertex& next = vertices[last ? 0 : i + 1];
        result[i].at = map(vertices[i].at);
        result[i].bulge = last && !closed
                              ? vertices[i].bulge
                              : mappedBulge(map, vertices[i].at, next.at, vertices[i].bulge);
    }
    return result;
}

void GrowingBox::add(PlanPoint p) {
    if (empty) {
        box = {p, p};
        empty = false;
        return;
    }
    box.min = {std::min(box.min.x, p.x), std::min(box.min.y, p.y)};
    box.max = {std::max(box.max.x, p.x), std::max(box.max.y, p.y)};
}

void GrowingBox::add(const std::vector<BulgeVertex>& vertices, bool closed) {
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        add(vertices[i].at);
        const double bulge = vertices[i].bulge;
        if (bulge == 0 || (i + 1 == vertices.size() && !closed)) {
            continue;
        }
        const PlanPoint a = vertices[i].at;
        const PlanPoint b = vertices[i + 1 == vertices.size() ? 0 : i + 1].at;
        // The centre lies off the chord's middle, towards the arc's inside, and the arc passes
        // through each of the four extremes of its circle that its sweep holds.
        const PlanPoint chord = b - a;
        const double half = length(chord) / 2;
        if (half == 0) {
            continue;
        }
        const double sweep = 4 * std::atan(bulge);
        const double radius = half / std::abs(std::sin(sweep / 2));
        const double offset = (1 - bulge * bulge) / (4 * bulge);  // of the chord's length
        const PlanPoint center = 0.5 * (a + b) + offset * PlanPoint{-chord.y, chord.x};
        const double from = std::atan2(a.y - center.y, a.x - center.x);
        for (int quarter = 0; quarter < 4; ++quarter) {
            const double angle = quarter * std::numbers::pi / 2;
            double turned = sweep > 0 ? angle - from : from - angle;
            turned = std::fmod(turned, kTwoPi);
            if (turned < 0) {
                turned += kTwoPi;
            }
            if (turned < std::abs(sweep)) {
                add(center + radius * PlanPoint{std::cos(angle), std::sin(angle)});
            }
        }
    }
}

bool EllipseArc::full() const {
    return end - start >= kTwoPi - 1e-6;
}

double EllipseArc::area() const {
    return std::numbers::pi * std::abs(cross(major, minor));
}

EllipseArc mapped(const Affine& map, const EllipseArc& arc) {
    return {map(arc.center), map.linear(arc.major), map.linear(arc.minor), arc.start, arc.end};
}

Spline mapped(const Affine& map, Spline spline) {
    for (std::vector<PlanPoint>* points : {&spline.control, &spline.fit}) {
        for (PlanPoint& p : *points) {
            p = map(p);
        }
    }
    return spline;
}

std::vector<PlanPoint> sampled(const EllipseArc& arc, double tolerance) {
    const double sweep = std::clamp(arc.end - arc.start, 0.0, kTwoPi);
    // The ellipse is the image of a unit circle, whose chords stray by 1 - cos(step / 2); the
    // map stretches no distance by more than this.
    const double stretch = std::hypot(length(arc.major), length(arc.minor));
    double step = std::numbers::pi / 2;
    if (tolerance > 0 && tolerance < stretch) {
        step = std::min(step, 2 * std::acos(1 - tolerance / stretch));
    }
    const double wanted = std::ceil(sweep / step);
    const auto count = static_cast<std::size_t>(
        std::clamp(std::isfinite(wanted) ? wanted : 0.0, 4.0, double{kMaxCurvePoints - 1}));
    std::vector<PlanPoint> points;
    const bool full = arc.full();
    for (std::size_t i = 0; i < count + (full ? 0 : 1); ++i) {
        const double t = arc.start + sweep * static_cast<double>(i) / static_cast<double>(count);
        points.push_back(arc.center + std::cos(t) * arc.major + std::sin(t) * arc.minor);
    }
    return points;
}

std::vector<PlanPoint> sampled(const Spline& spline, double tolerance) {
    std::vector<PlanPoint> points;
    if (spline.control.empty()) {
        const auto cubic = fitCubic(spline.fit, spline.closed);
        if (!cubic) {
            return points;
        }
        points = sampledSpans(*cubic, cubic->at, tolerance);
    } else {
        Spline s = spline;
        if (!regular(s)) {
            return points;
        }
        const auto p = static_cast<std::size_t>(s.degree);
        const std::size_t n = s.control.size();
        std::vector<double> breaks;
        for (std::size_t k = p; k <= n; ++k) {
            if (breaks.empty() || s.knots[k] > breaks.back()) {
                breaks.push_back(s.knots[k]);
            }
        }
        const auto curve = [&s](double t) { return pointAt(s, t); };
        points = sampledSpans(curve, breaks, tolerance);
    }
    if (spline.closed && points.size() > 1) {
        const double close = 1e-9 * extent(points);
        if (length(points.back() - points.front()) <= close) {
            points.pop_back();
        }
    }
    return points;
}

double extent(const std::vector<PlanPoint>& points) {
    if (points.empty()) {
        return 0;
    }
    const auto [left, right] = std::ranges::minmax(points, {}, &PlanPoint::x);
    const auto [bottom, top] = std::ranges::minmax(points, {}, &PlanPoint::y);
    return std::max(right.x - left.x, top.y - bottom.y);
}

}  // namespace io
