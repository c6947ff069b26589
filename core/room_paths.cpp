#include "room_paths.h"

#include <algorithm>
#include <array>
#include <boost/geometry/algorithms/intersects.hpp>
#include <boost/geometry/geometries/box.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <cmath>
#include <functional>
#include <iterator>
#include <numeric>
#include <optional>
#include <queue>
#include <utility>

#include "plan_geometry.h"

namespace core {

namespace {

// A distance field of no more ways out than this looks at all of them for each point; one of more
// sorts them into cells.
constexpr std::size_t kFewWays = 16;

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

// -1, 0 or 1: the side of `p` from the line through `from` in the direction `along`, 0 within
// kTouch: `touch` is kTouch times the length of `along` (the cross product is the offset times
// that length).
int side(PlanPoint from, PlanPoint along, double touch, PlanPoint p) {
    const double offset = along.x * (p.y - from.y) - along.y * (p.x - from.x);
    if (offset > touch) {
        return 1;
    }
    return offset < -touch ? -1 : 0;
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

RoomPaths::RoomPaths(Ring outline, std::vector<Ring> holes, double range) : range_(range) {
    rings_.reserve(holes.size() + 1);
    rings_.push_back(std::move(outline));
    for (Ring& hole : holes) {
        Ring clockwise = counterClockwise(std::move(hole));
        std::reverse(clockwise.begin(), clockwise.end());
        rings_.push_back(std::move(clockwise));
    }
    for (const Ring& ring : rings_) {
        const std::size_t n = ring.size();
        for (std::size_t i = 0; i < n; ++i) {
            const PlanPoint before = ring[(i + n - 1) % n];
            const PlanPoint at = ring[i];
            const PlanPoint after = ring[(i + 1) % n];
            walls_.push_back({at, after});
            // A right turn, the room on the left, beyond rounding: the angle inside is above
            // 180°. Straight-through vertices bend no path.
            if (cross(before, at, after) < -1e-12 * gap(before, at) * gap(at, after)) {
                corners_.push_back(at);
                cornerWalls_.push_back({before, after});
            }
        }
    }
    // The grid: about two cells for each wall, so that a cell holds a few walls.
    const PlanBox box = bounds(rings_.front());
    const double width = box.max.x - box.min.x;
    const double height = box.max.y - box.min.y;
    origin_ = box.min;
    cell_ = std::max({std::sqrt(width * height / (2.0 * static_cast<double>(walls_.size() + 1))),
                      std::max(width, height) / 1024, 1e-6});
    columns_ = std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(width / cell_)));
    rows_ = std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(height / cell_)));
    // A room of a few walls is quicker asked about all of them at once: one cell.
    constexpr std::size_t kFewWalls = 32;
    if (walls_.size() <= kFewWalls) {
        cell_ = std::max({width, height, 1e-6});
        columns_ = 1;
        rows_ = 1;
    }
    std::vector<std::uint32_t> count(columns_ * rows_ + 1, 0);
    for (const Wall& wall : walls_) {
        forCells(wall.a, wall.b, [&count](std::size_t c) {
            ++count[c + 1];
            return true;
        });
    }
    for (std::size_t c = 1; c < count.size(); ++c) {
        count[c] += count[c - 1];
    }
    cellFirst_ = count;
    cellWalls_.resize(count.back());
    for (std::size_t w = 0; w < walls_.size(); ++w) {
        forCells(walls_[w].a, walls_[w].b, [this, &count, w](std::size_t c) {
            cellWalls_[count[c]++] = static_cast<std::uint32_t>(w);
            return true;
        });
    }
    // Whether each cell's middle lies in the room: row by row, where the walls cross the row's
    // middle line.
    middleInside_.assign(columns_ * rows_, 0);
    std::vector<double> crossings;
    for (std::size_t j = 0; j < rows_; ++j) {
        const double y = origin_.y + (static_cast<double>(j) + 0.5) * cell_;
        crossings.clear();
        for (const Wall& wall : walls_) {
            if ((wall.a.y <= y) != (wall.b.y <= y)) {
                crossings.push_back(wall.a.x +
                                    (y - wall.a.y) * (wall.b.x - wall.a.x) / (wall.b.y - wall.a.y));
            }
        }
        std::sort(crossings.begin(), crossings.end());
        std::size_t left = 0;
        for (std::size_t i = 0; i < columns_; ++i) {
            const PlanPoint middle{origin_.x + (static_cast<double>(i) + 0.5) * cell_, y};
            while (left < crossings.size() && crossings[left] < middle.x) {
                ++left;
            }
            const std::size_t c = j * columns_ + i;
            middleInside_[c] = left % 2 == 1 ? 1 : 0;
            for (std::size_t k = cellFirst_[c]; k < cellFirst_[c + 1]; ++k) {
                const Wall& wall = walls_[cellWalls_[k]];
                if (segmentDistanceSquared(middle, wall.a, wall.b) <= 1e-14) {
                    middleInside_[c] = 2;
                }
            }
        }
    }
    if (range_ == kUnreachable) {
        allCornerPaths();
    } else {
        cornerPathsInRange();
    }
}

void RoomPaths::allCornerPaths() {
    const std::size_t r = corners_.size();
    std::vector<double> lengths(r * r, kUnreachable);
    for (std::size_t i = 0; i < r; ++i) {
        lengths[i * r + i] = 0;
        for (std::size_t j = i + 1; j < r; ++j) {
            // Only a path that bends round both corners passes from one to the other.
            if (wraps(corners_[j], i) && wraps(corners_[i], j) && sees(corners_[i], corners_[j])) {
                const double length = gap(corners_[i], corners_[j]);
                lengths[i * r + j] = length;
                lengths[j * r + i] = length;
            }
        }
    }
    // All pairs by Floyd and Warshall: rooms have tens of corners, at most a few hundred.
    for (std::size_t k = 0; k < r; ++k) {
        for (std::size_t i = 0; i < r; ++i) {
            const double viaK = lengths[i * r + k];
            if (viaK == kUnreachable) {
                continue;
            }
            const double* fromK = &lengths[k * r];
            double* fromI = &lengths[i * r];
            for (std::size_t j = 0; j < r; ++j) {
                fromI[j] = std::min(fromI[j], viaK + fromK[j]);
            }
        }
    }
    pathsFirst_.assign(1, 0);
    for (std::size_t i = 0; i < r; ++i) {
        for (std::size_t j = 0; j < r; ++j) {
            if (lengths[i * r + j] != kUnreachable) {
                cornerPaths_.push_back({static_cast<std::uint32_t>(j), lengths[i * r + j]});
            }
        }
        pathsFirst_.push_back(cornerPaths_.size());
    }
}

void RoomPaths::cornerPathsInRange() {
    namespace bg = boost::geometry;
    namespace bgi = boost::geometry::index;
    const std::size_t r = corners_.size();
    std::vector<std::pair<PlanPoint, std::uint32_t>> entries;
    entries.reserve(r);
    for (std::size_t i = 0; i < r; ++i) {
        entries.emplace_back(corners_[i], static_cast<std::uint32_t>(i));
    }
    const bgi::rtree<std::pair<PlanPoint, std::uint32_t>, bgi::rstar<16>> tree(entries);
    // The straight ways between corners within the range, then from each corner the paths along
    // them as far as the range, nearest first (Dijkstra).
    std::vector<std::vector<CornerPath>> steps(r);
    std::vector<std::pair<PlanPoint, std::uint32_t>> near;
    for (std::size_t i = 0; i < r; ++i) {
        const PlanPoint at = corners_[i];
        near.clear();
        tree.query(bgi::intersects(bg::model::box<PlanPoint>{{at.x - range_, at.y - range_},
                                                             {at.x + range_, at.y + range_}}),
                   std::back_inserter(near));
        for (const auto& [point, j] : near) {
            const double length = gap(at, point);
            if (j > i && length <= range_ && wraps(point, i) && wraps(at, j) && sees(at, point)) {
                steps[i].push_back({j, length});
                steps[j].push_back({static_cast<std::uint32_t>(i), length});
            }
        }
    }
    std::vector<double> reach(r, kUnreachable);
    std::vector<std::uint32_t> reached;
    using Step = std::pair<double, std::uint32_t>;
    std::priority_queue<Step, std::vector<Step>, std::greater<>> queue;
    pathsFirst_.assign(1, 0);
    for (std::size_t i = 0; i < r; ++i) {
        reach[i] = 0;
        reached.assign(1, static_cast<std::uint32_t>(i));
        queue.emplace(0.0, static_cast<std::uint32_t>(i));
        while (!queue.empty()) {
            const auto [length, u] = queue.top();
            queue.pop();
            if (length > reach[u]) {
                continue;
            }
            for (const CornerPath& step : steps[u]) {
                const double through = length + step.length;
                if (through <= range_ && through < reach[step.corner]) {
                    if (reach[step.corner] == kUnreachable) {
                        reached.push_back(step.corner);
                    }
                    reach[step.corner] = through;
                    queue.emplace(through, step.corner);
                }
            }
        }
        std::sort(reached.begin(), reached.end());
        for (const std::uint32_t j : reached) {
            cornerPaths_.push_back({j, reach[j]});
            reach[j] = kUnreachable;
        }
        pathsFirst_.push_back(cornerPaths_.size());
    }
}

namespace {

// One direction of the grid: its cells' size and number.
struct GridAxis {
    double cell;
    std::size_t count;
};

// The cell of an offset along the grid, the first or the last for one beyond them (or not a
// number).
std::size_t cellOf(double offset, GridAxis axis) {
    const double at = std::floor(offset / axis.cell);
    if (!(at > 0)) {
        return 0;
    }
    return at < static_cast<double>(axis.count - 1) ? static_cast<std::size_t>(at) : axis.count - 1;
}

}  // namespace

std::size_t RoomPaths::column(double x) const {
    return cellOf(x - origin_.x, {cell_, columns_});
}

std::size_t RoomPaths::row(double y) const {
    return cellOf(y - origin_.y, {cell_, rows_});
}

// Calls visit(cell) for every cell that the segment from a to b meets or passes within kNear of
// (a few more at most), row by row, until visit returns false.
template <typename Visit>
void RoomPaths::forCells(PlanPoint a, PlanPoint b, Visit&& visit) const {
    constexpr double kNear = 1e-6;
    const std::size_t lowest = row(std::min(a.y, b.y) - kNear);
    const std::size_t highest = row(std::max(a.y, b.y) + kNear);
    for (std::size_t j = lowest; j <= highest; ++j) {
        // Within one row the whole segment; else its piece in the row's band.
        const double bottom = origin_.y + static_cast<double>(j) * cell_ - kNear;
        const std::optional<XSpan> span =
            lowest == highest ? XSpan{std::min(a.x, b.x), std::max(a.x, b.x)}
                              : spanInBand(a, b, {bottom, bottom + cell_ + 2 * kNear});
        if (!span) {
            continue;
        }
        const std::size_t first = column(span->left - kNear);
        const std::size_t last = column(span->right + kNear);
        for (std::size_t i = first; i <= last; ++i) {
            if (!visit(j * columns_ + i)) {
                return;
            }
        }
    }
}

bool RoomPaths::wraps(PlanPoint from, std::size_t i) const {
    const PlanPoint at = corners_[i];
    const PlanPoint along{at.x - from.x, at.y - from.y};
    const double length = std::sqrt(along.x * along.x + along.y * along.y);
    if (length <= kTouch) {
        return true;
    }
    // Within a tenth of a micrometre of the line counts as on it: a corner kept in doubt costs a
    // little time, one dropped in doubt a wrong distance.
    const auto offset = [&](PlanPoint p) {
        return (along.x * (p.y - from.y) - along.y * (p.x - from.x)) / length;
    };
    constexpr double kOnLine = 1e-7;
    const double before = offset(cornerWalls_[i][0]);
    const double after = offset(cornerWalls_[i][1]);
    return !((before > kOnLine && after < -kOnLine) || (before < -kOnLine && after > kOnLine));
}

bool RoomPaths::containsByAllWalls(PlanPoint point) const {
    // The winding number, with points on a wall (to within kTouch) inside; the holes run
    // clockwise and take away what the outline counts.
    int winding = 0;
    for (const Wall& wall : walls_) {
        const PlanPoint a = wall.a;
        const PlanPoint b = wall.b;
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

bool RoomPaths::contains(PlanPoint point) const {
    const double extent = kTouch + 1e-6;
    if (!(point.x >= origin_.x - extent && point.y >= origin_.y - extent &&
          point.x <= origin_.x + static_cast<double>(columns_) * cell_ + extent &&
          point.y <= origin_.y + static_cast<double>(rows_) * cell_ + extent)) {
        return false;
    }
    // From the middle of the point's cell, whose side is known, to the point: each wall crossed
    // on the way turns the side. Where a vertex lies on that way the walls decide by their
    // winding number.
    const std::size_t i = column(point.x);
    const std::size_t j = row(point.y);
    const std::size_t c = j * columns_ + i;
    if (middleInside_[c] == 2 || columns_ * rows_ == 1) {
        return containsByAllWalls(point);
    }
    const PlanPoint middle{origin_.x + (static_cast<double>(i) + 0.5) * cell_,
                           origin_.y + (static_cast<double>(j) + 0.5) * cell_};
    bool inside = middleInside_[c] == 1;
    const double length = gap(middle, point);
    for (std::size_t k = cellFirst_[c]; k < cellFirst_[c + 1]; ++k) {
        const Wall& wall = walls_[cellWalls_[k]];
        if (segmentDistanceSquared(point, wall.a, wall.b) <= kTouch * kTouch) {
            return true;
        }
        if (length <= kTouch) {
            continue;
        }
        const double sideA = cross(middle, point, wall.a);
        const double sideB = cross(middle, point, wall.b);
        if (std::abs(sideA) <= kTouch * length || std::abs(sideB) <= kTouch * length) {
            if (segmentDistanceSquared(wall.a, middle, point) <= 4 * kTouch * kTouch ||
                segmentDistanceSquared(wall.b, middle, point) <= 4 * kTouch * kTouch) {
                return containsByAllWalls(point);
            }
        }
        if ((sideA > 0) != (sideB > 0) &&
            (cross(wall.a, wall.b, middle) > 0) != (cross(wall.a, wall.b, point) > 0)) {
            inside = !inside;
        }
    }
    return inside;
}

bool RoomPaths::clearOfWalls(PlanPoint point, double clearance) const {
    const double limit = std::max(0.0, clearance - 1e-9);
    const std::size_t i0 = column(point.x - clearance);
    const std::size_t i1 = column(point.x + clearance);
    const std::size_t j0 = row(point.y - clearance);
    const std::size_t j1 = row(point.y + clearance);
    for (std::size_t j = j0; j <= j1; ++j) {
        for (std::size_t i = i0; i <= i1; ++i) {
            const std::size_t c = j * columns_ + i;
            for (std::size_t k = cellFirst_[c]; k < cellFirst_[c + 1]; ++k) {
                const Wall& wall = walls_[cellWalls_[k]];
                if (segmentDistanceSquared(point, wall.a, wall.b) < limit * limit) {
                    return false;
                }
            }
        }
    }
    return true;
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
    // Where the segment touches a wall at a vertex, as a fraction of its length. Between two
    // such places (and the ends) the open piece neither crosses a wall nor meets a vertex, so it
    // lies wholly inside or wholly outside: its midpoint tells which. Most segments touch no
    // vertex, a few touch some: those fit on the stack, and only more need the heap. A wall
    // that lies in several cells is looked at once in each: a vertex found twice makes a piece
    // of no length, which is skipped.
    constexpr std::size_t kOnStack = 14;
    std::array<double, kOnStack> stack{};
    std::vector<double> heap;
    std::size_t touching = 0;
    // A vertex on the segment's line, or an end of the segment on a wall's line where that wall
    // runs across it: only then can the segment meet a wall without crossing it.
    bool grazing = false;
    bool through = false;
    const double reach = kTouch * length;
    forCells(a, b, [&](std::size_t c) {
        for (std::size_t k = cellFirst_[c]; k < cellFirst_[c + 1]; ++k) {
            const PlanPoint p = walls_[cellWalls_[k]].a;
            const PlanPoint q = walls_[cellWalls_[k]].b;
            if (std::max(p.x, q.x) < minX || std::min(p.x, q.x) > maxX ||
                std::max(p.y, q.y) < minY || std::min(p.y, q.y) > maxY) {
                continue;
            }
            const int sideP = side(a, along, reach, p);
            const int sideQ = side(a, along, reach, q);
            grazing = grazing || sideP == 0 || sideQ == 0;
            if (sideP == 0) {
                const double t =
                    ((p.x - a.x) * along.x + (p.y - a.y) * along.y) / (length * length);
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
                const int sideA = side(p, wall, kTouch * wallLength, a);
                const int sideB = side(p, wall, kTouch * wallLength, b);
                if (sideA * sideB < 0) {
                    through = true;
                    return false;
                }
                grazing = grazing || sideA == 0 || sideB == 0;
            }
        }
        return true;
    });
    if (through) {
        return false;
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

std::vector<std::uint32_t> visibleCorners(const RoomPaths& paths, PlanPoint point, double range) {
    std::vector<std::uint32_t> seen;
    const std::vector<PlanPoint>& corners = paths.corners();
    for (std::size_t i = 0; i < corners.size(); ++i) {
        if (gap(point, corners[i]) <= range && paths.wraps(point, i) &&
            paths.sees(point, corners[i])) {
            seen.push_back(static_cast<std::uint32_t>(i));
        }
    }
    return seen;
}

DistanceField::DistanceField(const RoomPaths& paths, std::vector<PlanPoint> sources, double range)
    : paths_(&paths), sources_(std::move(sources)), range_(std::min(range, paths.range())) {
    const std::vector<PlanPoint>& corners = paths.corners();
    const std::size_t r = corners.size();
    cornerReach_.assign(r, kUnreachable);
    cornerSource_.assign(r, sources_.size());
    // Each source's way to each corner leaves through a corner it sees; the corners' own
    // shortest paths do the rest.
    // Only corners within the range of a source can be reached from it within the range.
    std::vector<std::uint32_t> near;
    std::vector<double> gaps;
    std::vector<bool> isNear(r, false);
    for (std::size_t s = 0; s < sources_.size(); ++s) {
        near.clear();
        gaps.clear();
        for (std::size_t u = 0; u < r; ++u) {
            const double length = gap(sources_[s], corners[u]);
            if (length <= range_) {
                near.push_back(static_cast<std::uint32_t>(u));
                gaps.push_back(length);
                isNear[u] = true;
            }
        }
        for (std::size_t k = 0; k < near.size(); ++k) {
            const std::size_t u = near[k];
            if (!paths.wraps(sources_[s], u) || !paths.sees(sources_[s], corners[u])) {
                continue;
            }
            for (const RoomPaths::CornerPath& path : paths.cornerPaths(u)) {
                const std::size_t v = path.corner;
                const double through = gaps[k] + path.length;
                if (isNear[v] && through < cornerReach_[v]) {
                    cornerReach_[v] = through;
                    cornerSource_[v] = s;
                }
            }
        }
        for (const std::uint32_t u : near) {
            isNear[u] = false;
        }
    }
    // A field of more than a few ways sorts them into a grid of cells a few of them share.
    std::vector<std::uint32_t> ways(sources_.size());
    std::iota(ways.begin(), ways.end(), std::uint32_t{0});
    for (std::size_t c = 0; c < r; ++c) {
        if (cornerReach_[c] != kUnreachable) {
            ways.push_back(static_cast<std::uint32_t>(sources_.size() + c));
            longestReach_ = std::max(longestReach_, cornerReach_[c]);
        }
    }
    if (paths.convex() || ways.size() <= kFewWays) {
        return;
    }
    const auto wayAt = [this, &corners](std::uint32_t way) {
        return way < sources_.size() ? sources_[way] : corners[way - sources_.size()];
    };
    PlanBox box{wayAt(ways.front()), wayAt(ways.front())};
    for (const std::uint32_t way : ways) {
        const PlanPoint p = wayAt(way);
        box = {{std::min(box.min.x, p.x), std::min(box.min.y, p.y)},
               {std::max(box.max.x, p.x), std::max(box.max.y, p.y)}};
    }
    const double width = box.max.x - box.min.x;
    const double height = box.max.y - box.min.y;
    origin_ = box.min;
    cell_ = std::max({std::sqrt(2 * width * height / static_cast<double>(ways.size())),
                      std::max(width, height) / 1024, 1e-3});
    columns_ = static_cast<std::size_t>(width / cell_) + 1;
    rows_ = static_cast<std::size_t>(height / cell_) + 1;
    const auto cellOfWay = [&](std::uint32_t way) {
        const PlanPoint p = wayAt(way);
        return std::min(rows_ - 1, static_cast<std::size_t>((p.y - origin_.y) / cell_)) * columns_ +
               std::min(columns_ - 1, static_cast<std::size_t>((p.x - origin_.x) / cell_));
    };
    cellFirst_.assign(columns_ * rows_ + 1, 0);
    for (const std::uint32_t way : ways) {
        ++cellFirst_[cellOfWay(way) + 1];
    }
    for (std::size_t c = 1; c < cellFirst_.size(); ++c) {
        cellFirst_[c] += cellFirst_[c - 1];
    }
    std::vector<std::uint32_t> next(cellFirst_.begin(), cellFirst_.end() - 1);
    cellWays_.resize(ways.size());
    for (const std::uint32_t way : ways) {
        cellWays_[next[cellOfWay(way)]++] = way;
    }
}

DistanceField::Nearest DistanceField::nearest(PlanPoint point, double limit) const {
    if (paths_->convex()) {
        return nearest(point, CornerSight{}, limit);
    }
    return cellWays_.empty() ? nearestOfAll(point, limit) : nearestAround(point, limit);
}

DistanceField::Nearest DistanceField::reached(const Way& way) const {
    return {way.index < sources_.size() ? way.index : cornerSource_[way.index - sources_.size()],
            way.length};
}

bool DistanceField::sees(PlanPoint point, const Way& way) const {
    if (way.index < sources_.size()) {
        return paths_->sees(point, sources_[way.index]);
    }
    const std::size_t c = way.index - sources_.size();
    return paths_->wraps(point, c) && paths_->sees(point, paths_->corners()[c]);
}

DistanceField::Nearest DistanceField::nearestOfAll(PlanPoint point, double limit) const {
    limit = std::min(limit, range_);
    // Every way in leaves the point straight to a source or to a corner. In the order of those
    // lengths, the first that the point sees is the shortest path. Most often that is the
    // shortest way of all, so they are taken out one at a time, not sorted; the few ways fit on
    // the stack.
    const std::vector<PlanPoint>& corners = paths_->corners();
    std::array<Way, kFewWays> all{};
    std::size_t count = 0;
    for (std::size_t s = 0; s < sources_.size(); ++s) {
        all[count++] = {gap(point, sources_[s]), s};
    }
    for (std::size_t c = 0; c < corners.size(); ++c) {
        if (cornerReach_[c] != kUnreachable) {
            all[count++] = {gap(point, corners[c]) + cornerReach_[c], sources_.size() + c};
        }
    }
    // After this many ways out of sight the rest are sorted at once.
    constexpr std::size_t kPicked = 8;
    for (std::size_t next = 0; next < count; ++next) {
        if (next == kPicked) {
            std::stable_sort(all.begin() + static_cast<std::ptrdiff_t>(next),
                             all.begin() + static_cast<std::ptrdiff_t>(count),
                             [](const Way& a, const Way& b) { return a.length < b.length; });
        }
        if (next < kPicked) {
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
        }
        const Way way = all[next];
        if (way.length > limit) {
            return reached(way);
        }
        if (sees(point, way)) {
            return reached(way);
        }
    }
    // Out of sight of all (only a point farther than the range of the paths): any source.
    return {0, kUnreachable};
}

DistanceField::Nearest DistanceField::nearestAround(PlanPoint point, double limit) const {
    limit = std::min(limit, range_);
    const std::vector<PlanPoint>& corners = paths_->corners();
    const auto wayOf = [&](std::uint32_t index) {
        return index < sources_.size() ? Way{gap(point, sources_[index]), index}
                                       : Way{gap(point, corners[index - sources_.size()]) +
                                                 cornerReach_[index - sources_.size()],
                                             index};
    };
    const auto before = [](const Way& a, const Way& b) {
        return a.length < b.length || (a.length == b.length && a.index < b.index);
    };
    // The ways no longer than a radius start within it: those are taken in the order of their
    // lengths, the first in sight is the shortest path; where none is, the radius doubles. Those
    // no longer than the last radius are out of sight already.
    const double farthest =
        std::max({point.x - origin_.x, origin_.x + static_cast<double>(columns_) * cell_ - point.x,
                  point.y - origin_.y, origin_.y + static_cast<double>(rows_) * cell_ - point.y}) *
            std::sqrt(2.0) +
        longestReach_;
    double tested = -1;
    std::vector<Way> ways;
    for (double radius = 2 * cell_;; radius *= 2) {
        const double within = std::min({radius, limit, farthest});
        const auto cellOf = [this](double offset, std::size_t count) {
            return static_cast<std::size_t>(
                std::clamp(std::floor(offset / cell_), 0.0, static_cast<double>(count - 1)));
        };
        const std::size_t i0 = cellOf(point.x - within - origin_.x, columns_);
        const std::size_t i1 = cellOf(point.x + within - origin_.x, columns_);
        const std::size_t j0 = cellOf(point.y - within - origin_.y, rows_);
        const std::size_t j1 = cellOf(point.y + within - origin_.y, rows_);
        ways.clear();
        for (std::size_t j = j0; j <= j1; ++j) {
            for (std::size_t k = cellFirst_[j * columns_ + i0];
                 k < cellFirst_[j * columns_ + i1 + 1]; ++k) {
                const Way way = wayOf(cellWays_[k]);
                if (way.length > tested && way.length <= within) {
                    ways.push_back(way);
                }
            }
        }
        // Taken out one at a time, shortest first: most often one of the first is in sight.
        const auto after = [&before](const Way& a, const Way& b) { return before(b, a); };
        std::make_heap(ways.begin(), ways.end(), after);
        for (auto end = ways.end(); end != ways.begin(); --end) {
            std::pop_heap(ways.begin(), end, after);
            const Way way = *(end - 1);
            if (sees(point, way)) {
                return reached(way);
            }
        }
        tested = within;
        if (within >= limit || within >= farthest) {
            break;
        }
    }
    // Beyond the limit: the shortest way left, first among equals.
    std::optional<Way> shortest;
    for (const std::uint32_t index : cellWays_) {
        const Way way = wayOf(index);
        if (way.length > tested && (!shortest || before(way, *shortest))) {
            shortest = way;
        }
    }
    return shortest ? reached(*shortest) : Nearest{0, kUnreachable};
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
    // Then the next nearest, by length and index, one at a time: few are nearer than the way
    // round a corner.
    for (;;) {
        if (closestLength > limit || paths_->sees(point, sources_[closest])) {
            return {closest, closestLength};
        }
        const std::size_t after = closest;
        const double afterLength = closestLength;
        closest = sources_.size();
        closestLength = best.distance;
        for (std::size_t s = 0; s < sources_.size(); ++s) {
            const double length = gap(point, sources_[s]);
            if ((length > afterLength || (length == afterLength && s > after)) &&
                length < closestLength) {
                closest = s;
                closestLength = length;
            }
        }
        if (closest == sources_.size()) {
            return best;
        }
    }
}

}  // namespace core
