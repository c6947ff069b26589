#include "room_paths.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace core {

namespace {

// How near in metres counts as touching: far below any drawing's precision, far above the
// rounding of coordinates of a few kilometres.
constexpr double kTouch = 1e-9;

double cross(PlanPoint o, PlanPoint a, PlanPoint b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Room coordinates are far from overflow; std::hypot would cost more than all else here.
double gap(PlanPoint a, PlanPoint b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

// -1, 0 or 1: the side of `p` from the line through `from` in the direction `along` (of length
// `length`), 0 within kTouch.
int side(PlanPoint from, PlanPoint along, double length, PlanPoint p) {
    const double offset = (along.x * (p.y - from.y) - along.y * (p.x - from.x)) / length;
    if (offset > kTouch) {
        return 1;
    }
    return offset < -kTouch ? -1 : 0;
}

double segmentDistanceSquared(PlanPoint p, PlanPoint a, PlanPoint b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double lengthSquared = dx * dx + dy * dy;
    double t = 0;
    if (lengthSquared > 0) {
        t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0, 1.0);
    }
    const double ex = p.x - (a.x + t * dx);
    const double ey = p.y - (a.y + t * dy);
    return ex * ex + ey * ey;
}

}  // namespace

RoomPaths::RoomPaths(Ring outline) : outline_(std::move(outline)) {
    const std::size_t n = outline_.size();
    for (std::size_t i = 0; i < n; ++i) {
        const PlanPoint before = outline_[(i + n - 1) % n];
        const PlanPoint at = outline_[i];
        const PlanPoint after = outline_[(i + 1) % n];
        // A right turn of a counter-clockwise ring, beyond rounding: the angle inside is above
        // 180°. Straight-through vertices bend no path.
        if (cross(before, at, after) < -1e-12 * gap(before, at) * gap(at, after)) {
            corners_.push_back(at);
        }
    }
    const std::size_t r = corners_.size();
    cornerPaths_.assign(r * r, kUnreachable);
    for (std::size_t i = 0; i < r; ++i) {
        cornerPaths_[i * r + i] = 0;
        for (std::size_t j = i + 1; j < r; ++j) {
            if (sees(corners_[i], corners_[j])) {
                const double length = gap(corners_[i], corners_[j]);
                cornerPaths_[i * r + j] = length;
                cornerPaths_[j * r + i] = length;
            }
        }
    }
    // All pairs by Floyd and Warshall: rooms have tens of corners, rarely hundreds.
    for (std::size_t k = 0; k < r; ++k) {
        for (std::size_t i = 0; i < r; ++i) {
            const double viaK = cornerPaths_[i * r + k];
            if (viaK == kUnreachable) {
                continue;
            }
            for (std::size_t j = 0; j < r; ++j) {
                const double through = viaK + cornerPaths_[k * r + j];
                double& direct = cornerPaths_[i * r + j];
                direct = std::min(direct, through);
            }
        }
    }
}

bool RoomPaths::contains(PlanPoint point) const {
    // The winding number, with points on a wall (to within kTouch) inside.
    const std::size_t n = outline_.size();
    int winding = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const PlanPoint a = outline_[i];
        const PlanPoint b = outline_[(i + 1) % n];
        const bool near =
            point.x >= std::min(a.x, b.x) - kTouch && point.x <= std::max(a.x, b.x) + kTouch &&
            point.y >= std::min(a.y, b.y) - kTouch && point.y <= std::max(a.y, b.y) + kTouch;
        if (near && segmentDistanceSquared(point, a, b) <= kTouch * kTouch) {
            return true;
        }
        if (a.y <= point.y) {
            if (b.y > point.y && cross(a, b, point) > 0) {
                ++winding;
            }
        } else if (b.y <= point.y && cross(a, b, point) < 0) {
            --winding;
        }
    }
    return winding != 0;
}

double RoomPaths::wallDistance(PlanPoint point) const {
    const std::size_t n = outline_.size();
    double nearest = kUnreachable;
    for (std::size_t i = 0; i < n; ++i) {
        nearest =
            std::min(nearest, segmentDistanceSquared(point, outline_[i], outline_[(i + 1) % n]));
    }
    return std::sqrt(nearest);
}

bool RoomPaths::sees(PlanPoint a, PlanPoint b) const {
    if (convex()) {
        return true;
    }
    const PlanPoint along{b.x - a.x, b.y - a.y};
    const double length = std::sqrt(along.x * along.x + along.y * along.y);
    if (length <= kTouch) {
        return true;
    }
    const double minX = std::min(a.x, b.x) - kTouch;
    const double maxX = std::max(a.x, b.x) + kTouch;
    const double minY = std::min(a.y, b.y) - kTouch;
    const double maxY = std::max(a.y, b.y) + kTouch;
    // Where the segment touches the outline at a vertex, as a fraction of its length. Between
    // two such places (and the ends) the open piece neither crosses a wall nor meets a vertex,
    // so it lies wholly inside or wholly outside: its midpoint tells which. Most segments touch
    // no vertex, a few touch some: those fit on the stack, and only more need the heap.
    constexpr std::size_t kOnStack = 14;
    std::array<double, kOnStack> stack{};
    std::vector<double> heap;
    std::size_t touching = 0;
    // A vertex on the segment's line, or an end of the segment on a wall's line where that wall
    // runs across it: only then can the segment meet the outline without crossing a wall.
    bool grazing = false;
    const std::size_t n = outline_.size();
    for (std::size_t i = 0; i < n; ++i) {
        const PlanPoint p = outline_[i];
        const PlanPoint q = outline_[(i + 1) % n];
        if (std::max(p.x, q.x) < minX || std::min(p.x, q.x) > maxX || std::max(p.y, q.y) < minY ||
            std::min(p.y, q.y) > maxY) {
            continue;
        }
        const int sideP = side(a, along, length, p);
        const int sideQ = side(a, along, length, q);
        grazing = grazing || sideP == 0 || sideQ == 0;
        if (sideP == 0) {
            const double t = ((p.x - a.x) * along.x + (p.y - a.y) * along.y) / (length * length);
            if (t * length > kTouch && (1 - t) * length > kTouch) {
                if (touching < kOnStack) {
                    stack[touching] = t;
                } else {
                    if (heap.empty()) {
                        heap.assign(stack.begin(), stack.end());
                    }
                    heap.push_back(t);
                }
                ++touching;
            }
        }
        if (sideP * sideQ < 0) {
            const PlanPoint wall{q.x - p.x, q.y - p.y};
            const double wallLength = std::sqrt(wall.x * wall.x + wall.y * wall.y);
            const int sideA = side(p, wall, wallLength, a);
            const int sideB = side(p, wall, wallLength, b);
            if (sideA * sideB < 0) {
                return false;  // through the wall
            }
            grazing = grazing || sideA == 0 || sideB == 0;
        }
    }
    // Meeting no wall, the segment runs inside the room from end to end (its ends lie in it).
    if (!grazing) {
        return true;
    }
    const std::span<double> inner =
        touching <= kOnStack ? std::span(stack).first(touching) : std::span(heap);
    std::sort(inner.begin(), inner.end());
    // The pieces between 0, the touches in order, and 1.
    double from = 0;
    for (std::size_t i = 0; i <= inner.size(); ++i) {
        const double to = i < inner.size() ? inner[i] : 1.0;
        if ((to - from) * length > kTouch) {
            const double mid = (from + to) / 2;
            if (!contains({a.x + mid * along.x, a.y + mid * along.y})) {
                return false;
            }
        }
        from = to;
    }
    return true;
}

double RoomPaths::distance(PlanPoint a, PlanPoint b) const {
    return DistanceField(*this, {a}).at(b);
}

std::vector<std::uint32_t> visibleCorners(const RoomPaths& paths, PlanPoint point) {
    std::vector<std::uint32_t> seen;
    const std::vector<PlanPoint>& corners = paths.corners();
    for (std::size_t i = 0; i < corners.size(); ++i) {
        if (paths.sees(point, corners[i])) {
            seen.push_back(static_cast<std::uint32_t>(i));
        }
    }
    return seen;
}

DistanceField::DistanceField(const RoomPaths& paths, std::vector<PlanPoint> sources)
    : paths_(&paths), sources_(std::move(sources)) {
    const std::vector<PlanPoint>& corners = paths.corners();
    const std::size_t r = corners.size();
    cornerReach_.assign(r, kUnreachable);
    cornerSource_.assign(r, sources_.size());
    // Each source's way to each corner leaves through a corner it sees; the corners' own
    // shortest paths do the rest.
    for (std::size_t s = 0; s < sources_.size(); ++s) {
        for (std::size_t u = 0; u < r; ++u) {
            if (!paths.sees(sources_[s], corners[u])) {
                continue;
            }
            const double first = gap(sources_[s], corners[u]);
            for (std::size_t v = 0; v < r; ++v) {
                const double through = first + paths.cornerDistance(u, v);
                if (through < cornerReach_[v]) {
                    cornerReach_[v] = through;
                    cornerSource_[v] = s;
                }
            }
        }
    }
}

DistanceField::Nearest DistanceField::nearest(PlanPoint point, double limit) const {
    if (paths_->convex()) {
        return nearest(point, CornerSight{}, limit);
    }
    // Every way in leaves the point straight to a source or to a corner. In the order of those
    // lengths, the first that the point sees is the shortest path. Most often that is the
    // shortest way of all, so they are taken out one at a time, not sorted; a room's ways fit on
    // the stack, a big one's go to the heap.
    struct Way {
        double length;
        std::size_t index;  // a source, or sources_.size() + a corner
    };
    const std::vector<PlanPoint>& corners = paths_->corners();
    constexpr std::size_t kOnStack = 64;
    std::array<Way, kOnStack> stack{};
    std::vector<Way> heap;
    const std::size_t most = sources_.size() + corners.size();
    if (most > kOnStack) {
        heap.resize(most);
    }
    const std::span<Way> all = most > kOnStack ? std::span(heap) : std::span(stack);
    std::size_t count = 0;
    for (std::size_t s = 0; s < sources_.size(); ++s) {
        all[count++] = {gap(point, sources_[s]), s};
    }
    for (std::size_t c = 0; c < corners.size(); ++c) {
        if (cornerReach_[c] != kUnreachable) {
            all[count++] = {gap(point, corners[c]) + cornerReach_[c], sources_.size() + c};
        }
    }
    for (std::size_t next = 0; next < count; ++next) {
        // The shortest of those left, first among equals.
        std::size_t pick = next;
        for (std::size_t k = next + 1; k < count; ++k) {
            if (all[k].length < all[pick].length) {
                pick = k;
            }
        }
        const Way way = all[pick];
        std::move_backward(all.begin() + static_cast<std::ptrdiff_t>(next),
                           all.begin() + static_cast<std::ptrdiff_t>(pick),
                           all.begin() + static_cast<std::ptrdiff_t>(pick) + 1);
        all[next] = way;
        if (way.length > limit) {
            const std::size_t s = way.index < sources_.size()
                                      ? way.index
                                      : cornerSource_[way.index - sources_.size()];
            return {s, way.length};
        }
        if (way.index < sources_.size()) {
            if (paths_->sees(point, sources_[way.index])) {
                return {way.index, way.length};
            }
        } else {
            const std::size_t c = way.index - sources_.size();
            if (paths_->sees(point, corners[c])) {
                return {cornerSource_[c], way.length};
            }
        }
    }
    return {sources_.size(), kUnreachable};
}

DistanceField::Nearest DistanceField::nearest(PlanPoint point, const CornerSight& sight,
                                              double limit) const {
    Nearest best{sources_.size(), kUnreachable};
    for (std::size_t i = 0; i < sight.corners.size(); ++i) {
        const std::uint32_t c = sight.corners[i];
        const double length = sight.gaps[i] + cornerReach_[c];
        if (length < best.distance) {
            best = {cornerSource_[c], length};
        }
    }
    if (paths_->convex()) {
        for (std::size_t s = 0; s < sources_.size(); ++s) {
            const double dx = point.x - sources_[s].x;
            const double dy = point.y - sources_[s].y;
            const double squared = dx * dx + dy * dy;
            if (squared < best.distance * best.distance) {
                best = {s, std::sqrt(squared)};
            }
        }
        return best;
    }
    // The sources nearer than the best way round a corner, nearest first; the first one in
    // sight is the answer. Most often that is the nearest of all.
    std::size_t closest = sources_.size();
    double closestLength = best.distance;
    for (std::size_t s = 0; s < sources_.size(); ++s) {
        const double length = gap(point, sources_[s]);
        if (length < closestLength) {
            closest = s;
            closestLength = length;
        }
    }
    if (closest == sources_.size()) {
        return best;
    }
    if (closestLength > limit || paths_->sees(point, sources_[closest])) {
        return {closest, closestLength};
    }
    std::vector<std::pair<double, std::size_t>> direct;
    for (std::size_t s = 0; s < sources_.size(); ++s) {
        const double length = gap(point, sources_[s]);
        if (length < best.distance && s != closest) {
            direct.emplace_back(length, s);
        }
    }
    std::sort(direct.begin(), direct.end());
    for (const auto& [length, s] : direct) {
        if (length > limit) {
            return {s, length};
        }
        if (paths_->sees(point, sources_[s])) {
            return {s, length};
        }
    }
    return best;
}

}  // namespace core
