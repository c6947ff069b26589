#include "placement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <utility>

#include "room_paths.h"

namespace core {

namespace {

double gap(PlanPoint a, PlanPoint b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

std::size_t steps(double length, double spacing) {
    return static_cast<std::size_t>(std::max(0.0, std::ceil(length / spacing - 1e-9)));
}

// Points along every wall, at most `spacing` apart, the corners included.
std::vector<PlanPoint> wallPoints(const Ring& ring, double spacing) {
    std::vector<PlanPoint> points;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const PlanPoint a = ring[i];
        const PlanPoint b = ring[(i + 1) % ring.size()];
        const std::size_t pieces = std::max<std::size_t>(1, steps(gap(a, b), spacing));
        for (std::size_t k = 0; k < pieces; ++k) {
            const double t = static_cast<double>(k) / static_cast<double>(pieces);
            points.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
        }
    }
    return points;
}

// A grid over a room's box, from its lower left corner: nx × ny cells of side `spacing`.
struct Grid {
    PlanPoint origin;
    double spacing = 1;
    std::size_t nx = 0;
    std::size_t ny = 0;

    Grid(const Ring& ring, double side) : spacing(side) {
        const PlanBox box = bounds(ring);
        origin = box.min;
        nx = std::max<std::size_t>(1, steps(box.max.x - box.min.x, spacing));
        ny = std::max<std::size_t>(1, steps(box.max.y - box.min.y, spacing));
    }
    [[nodiscard]] PlanPoint node(std::size_t i, std::size_t j) const {
        return {origin.x + static_cast<double>(i) * spacing,
                origin.y + static_cast<double>(j) * spacing};
    }
};

// Points of the room that distance fields are asked about again and again, each with the corners
// it sees.
class Samples {
  public:
    void add(const RoomPaths& paths, PlanPoint point) {
        at_.push_back(point);
        for (const std::uint32_t c : visibleCorners(paths, point)) {
            corners_.push_back(c);
            gaps_.push_back(gap(point, paths.corners()[c]));
        }
        first_.push_back(static_cast<std::uint32_t>(corners_.size()));
    }
    [[nodiscard]] std::size_t size() const { return at_.size(); }
    [[nodiscard]] PlanPoint at(std::size_t i) const { return at_[i]; }
    [[nodiscard]] CornerSight sight(std::size_t i) const {
        const std::size_t from = first_[i];
        const std::size_t count = first_[i + 1] - from;
        return {std::span(corners_).subspan(from, count), std::span(gaps_).subspan(from, count)};
    }

  private:
    std::vector<PlanPoint> at_;
    std::vector<std::uint32_t> first_{0};
    std::vector<std::uint32_t> corners_;
    std::vector<double> gaps_;
};

// The grid's nodes in the room and points along the walls, both `spacing` apart.
Samples demandPoints(const RoomPaths& paths, double spacing) {
    Samples samples;
    const Grid grid(paths.outline(), spacing);
    for (std::size_t j = 0; j <= grid.ny; ++j) {
        for (std::size_t i = 0; i <= grid.nx; ++i) {
            const PlanPoint p = grid.node(i, j);
            if (paths.contains(p)) {
                samples.add(paths, p);
            }
        }
    }
    for (const PlanPoint p : wallPoints(paths.outline(), spacing)) {
        samples.add(paths, p);
    }
    return samples;
}

CoverCheck check(const RoomPaths& paths, const std::vector<PlanPoint>& points, double reach) {
    CoverCheck result;
    if (points.empty()) {
        result.farthest = kUnreachable;
        return result;
    }
    const DistanceField field(paths, points);
    const double allowed = reach - kDemandMargin;
    result.proven = true;
    const auto note = [&result](PlanPoint p, double distance) {
        if (distance > result.farthest) {
            result.farthest = distance;
            result.farthestAt = p;
        }
    };
    // The demand grid's nodes, which are nodes of the finer grid too; their exact distances
    // bound those of the finer nodes around them.
    const Grid grid(paths.outline(), kDemandSpacing);
    const std::size_t columns = grid.nx + 1;
    std::vector<double> node((grid.nx + 1) * (grid.ny + 1), -1);
    for (std::size_t j = 0; j <= grid.ny; ++j) {
        for (std::size_t i = 0; i <= grid.nx; ++i) {
            const PlanPoint p = grid.node(i, j);
            if (paths.contains(p)) {
                const double distance = field.at(p);
                node[j * columns + i] = distance;
                result.proven = result.proven && distance <= allowed;
                note(p, distance);
            }
        }
    }
    for (const PlanPoint p : wallPoints(paths.outline(), kDemandSpacing)) {
        result.proven = result.proven && field.at(p, allowed) <= allowed;
    }
    for (const PlanPoint p : wallPoints(paths.outline(), kFarthestSpacing)) {
        note(p, field.at(p));
    }
    // Cells that a wall may cross: those along each wall and their neighbours.
    std::vector<bool> walled(grid.nx * grid.ny, false);
    const Ring& ring = paths.outline();
    const auto mark = [&](PlanPoint p) {
        const auto cell = [&grid](double offset, std::size_t count) {
            const double index = std::floor(offset / grid.spacing);
            return static_cast<std::ptrdiff_t>(
                std::clamp(index, 0.0, static_cast<double>(count - 1)));
        };
        const std::ptrdiff_t ci = cell(p.x - grid.origin.x, grid.nx);
        const std::ptrdiff_t cj = cell(p.y - grid.origin.y, grid.ny);
        for (std::ptrdiff_t dj = -1; dj <= 1; ++dj) {
            for (std::ptrdiff_t di = -1; di <= 1; ++di) {
                const std::ptrdiff_t i = ci + di;
                const std::ptrdiff_t j = cj + dj;
                if (i >= 0 && j >= 0 && i < static_cast<std::ptrdiff_t>(grid.nx) &&
                    j < static_cast<std::ptrdiff_t>(grid.ny)) {
                    walled[static_cast<std::size_t>(j) * grid.nx + static_cast<std::size_t>(i)] =
                        true;
                }
            }
        }
    };
    for (const PlanPoint p : wallPoints(ring, grid.spacing / 2)) {
        mark(p);
    }
    // A cell no wall crosses lies wholly inside or wholly outside; inside, every point of it is
    // within spacing/√2 of a corner it sees, so its distance is at most the corners' largest
    // plus that. The finer nodes of the other cells inside are worked out one by one, the
    // cells with the largest bound first, until no bound exceeds the largest distance found.
    struct Cell {
        double bound;
        std::size_t i;
        std::size_t j;
    };
    std::vector<Cell> cells;
    for (std::size_t j = 0; j < grid.ny; ++j) {
        for (std::size_t i = 0; i < grid.nx; ++i) {
            const std::array<double, 4> corners{node[j * columns + i], node[j * columns + i + 1],
                                                node[(j + 1) * columns + i],
                                                node[(j + 1) * columns + i + 1]};
            const double smallest = *std::min_element(corners.begin(), corners.end());
            const double largest = *std::max_element(corners.begin(), corners.end());
            if (walled[j * grid.nx + i] || (smallest < 0 && largest >= 0)) {
                cells.push_back({kUnreachable, i, j});
            } else if (smallest >= 0) {
                cells.push_back({largest + grid.spacing * std::sqrt(0.5), i, j});
            }
        }
    }
    std::sort(cells.begin(), cells.end(),
              [](const Cell& a, const Cell& b) { return a.bound > b.bound; });
    const auto fine = static_cast<std::size_t>(std::lround(kDemandSpacing / kFarthestSpacing));
    for (const Cell& cell : cells) {
        if (cell.bound <= result.farthest) {
            break;
        }
        const PlanPoint corner = grid.node(cell.i, cell.j);
        for (std::size_t b = 0; b <= fine; ++b) {
            for (std::size_t a = 0; a <= fine; ++a) {
                const PlanPoint p{corner.x + static_cast<double>(a) * kFarthestSpacing,
                                  corner.y + static_cast<double>(b) * kFarthestSpacing};
                if (paths.contains(p)) {
                    note(p, field.at(p));
                }
            }
        }
    }
    return result;
}

// The search for few points that cover a room's demand points within `target`.
class Placer {
  public:
    Placer(const RoomPaths& paths, double reach, Samples demand)
        : paths_(paths), target_(reach - kDemandMargin), demand_(std::move(demand)) {}

    [[nodiscard]] double target() const { return target_; }
    [[nodiscard]] const Samples& demand() const { return demand_; }

    [[nodiscard]] bool allowed(PlanPoint p) const {
        return paths_.contains(p) && paths_.wallDistance(p) >= kWallClearance - 1e-9;
    }

    // The allowed point nearest to `p` on a fine local grid, within 1.5 m; empty if none.
    [[nodiscard]] std::vector<PlanPoint> snapped(PlanPoint p) const {
        if (allowed(p)) {
            return {p};
        }
        constexpr double kStep = 0.05;
        constexpr int kRings = 30;
        for (int ring = 1; ring <= kRings; ++ring) {
            std::vector<PlanPoint> found;
            for (int dj = -ring; dj <= ring; ++dj) {
                for (int di = -ring; di <= ring; ++di) {
                    if (std::max(std::abs(di), std::abs(dj)) != ring) {
                        continue;
                    }
                    const PlanPoint c{p.x + di * kStep, p.y + dj * kStep};
                    if (allowed(c) && paths_.sees(p, c)) {
                        found.push_back(c);
                    }
                }
            }
            if (!found.empty()) {
                return {*std::min_element(
                    found.begin(), found.end(),
                    [p](PlanPoint a, PlanPoint b) { return gap(p, a) < gap(p, b); })};
            }
        }
        return {};
    }

    // Each demand point's nearest point and distance.
    struct Assignment {
        std::vector<std::uint32_t> owner;
        std::vector<double> distance;
        double worst = 0;
    };
    [[nodiscard]] Assignment assign(const std::vector<PlanPoint>& points,
                                    const std::vector<std::uint32_t>& subset) const {
        const DistanceField field(paths_, points);
        Assignment a;
        a.owner.resize(subset.size());
        a.distance.resize(subset.size());
        for (std::size_t k = 0; k < subset.size(); ++k) {
            const std::size_t d = subset[k];
            const DistanceField::Nearest n = field.nearest(demand_.at(d), demand_.sight(d));
            a.owner[k] = static_cast<std::uint32_t>(n.source);
            a.distance[k] = n.distance;
            a.worst = std::max(a.worst, n.distance);
        }
        return a;
    }

    [[nodiscard]] std::vector<std::uint32_t> everything() const {
        std::vector<std::uint32_t> all(demand_.size());
        std::iota(all.begin(), all.end(), 0U);
        return all;
    }

    // Adds points until every demand point of `subset` is covered, where it can be: each new
    // point goes where it covers most of the uncovered demand near the worst one.
    void complete(std::vector<PlanPoint>& points, const std::vector<std::uint32_t>& subset) const {
        std::vector<bool> abandoned(subset.size(), false);
        for (;;) {
            const Assignment a = assign(points, subset);
            std::size_t worst = subset.size();
            for (std::size_t k = 0; k < subset.size(); ++k) {
                if (a.distance[k] > target_ && !abandoned[k] &&
                    (worst == subset.size() || a.distance[k] > a.distance[worst])) {
                    worst = k;
                }
            }
            if (worst == subset.size()) {
                return;
            }
            const PlanPoint u = demand_.at(subset[worst]);
            std::vector<PlanPoint> open;
            for (std::size_t k = 0; k < subset.size(); ++k) {
                const PlanPoint p = demand_.at(subset[k]);
                if (a.distance[k] > target_ && gap(p, u) <= 2 * target_) {
                    open.push_back(p);
                }
            }
            const std::size_t stride = std::max<std::size_t>(1, open.size() / 300);
            PlanPoint best{};
            std::size_t bestCount = 0;
            const double step = target_ / 6;
            for (int dj = -6; dj <= 6; ++dj) {
                for (int di = -6; di <= 6; ++di) {
                    const PlanPoint c{u.x + di * step, u.y + dj * step};
                    if (gap(c, u) > 0.98 * target_ || !allowed(c) || !paths_.sees(c, u)) {
                        continue;
                    }
                    const DistanceField single(paths_, {c});
                    std::size_t count = 0;
                    for (std::size_t k = 0; k < open.size(); k += stride) {
                        count += single.at(open[k], target_) <= target_ ? 1 : 0;
                    }
                    if (count > bestCount) {
                        best = c;
                        bestCount = count;
                    }
                }
            }
            if (bestCount == 0) {
                const std::vector<PlanPoint> near = snapped(u);
                if (!near.empty() && paths_.distance(near.front(), u) <= target_) {
                    best = near.front();
                    bestCount = 1;
                }
            }
            if (bestCount == 0) {
                abandoned[worst] = true;
            } else {
                points.push_back(best);
            }
        }
    }

    // The largest distance from `c` to the demand points of a cluster, or some value above
    // `limit` once it exceeds that.
    [[nodiscard]] double radius(PlanPoint c, const std::vector<std::uint32_t>& cluster,
                                double limit) const {
        double largest = 0;
        if (paths_.convex()) {
            for (const std::uint32_t d : cluster) {
                const double distance = gap(c, demand_.at(d));
                if (distance > limit) {
                    return distance;
                }
                largest = std::max(largest, distance);
            }
            return largest;
        }
        const DistanceField single(paths_, {c});
        for (const std::uint32_t d : cluster) {
            const double distance = single.nearest(demand_.at(d), demand_.sight(d), limit).distance;
            if (distance > limit) {
                return distance;
            }
            largest = std::max(largest, distance);
        }
        return largest;
    }

    // Moves one point by a compass search to shorten the farthest way to its cluster (ordered
    // farthest first, which ends the trials of worse places early).
    void centre(PlanPoint& p, const std::vector<std::uint32_t>& cluster) const {
        double current = radius(p, cluster, kUnreachable);
        constexpr std::array<std::array<double, 2>, 8> kCompass{{{1, 0},
                                                                 {0, 1},
                                                                 {-1, 0},
                                                                 {0, -1},
                                                                 {0.7071, 0.7071},
                                                                 {-0.7071, 0.7071},
                                                                 {-0.7071, -0.7071},
                                                                 {0.7071, -0.7071}}};
        double step = target_ / 4;
        for (int moves = 0; step >= 0.01 && moves < 400; ++moves) {
            bool moved = false;
            for (const auto& [dx, dy] : kCompass) {
                const PlanPoint c{p.x + dx * step, p.y + dy * step};
                if (!allowed(c)) {
                    continue;
                }
                const double r = radius(c, cluster, current);
                if (r < current - 1e-6) {
                    p = c;
                    current = r;
                    moved = true;
                    break;
                }
            }
            if (!moved) {
                step /= 2;
            }
        }
    }

    // Alternately gives each demand point of `subset` to its nearest point and moves each
    // movable point to the middle of its share, until all lie within the target or the worst
    // stops falling. Returns the worst distance.
    double relocate(std::vector<PlanPoint>& points, const std::vector<bool>& movable,
                    const std::vector<std::uint32_t>& subset, int rounds) const {
        double previous = kUnreachable;
        int stalls = 0;
        for (int round = 0;; ++round) {
            const Assignment a = assign(points, subset);
            if (a.worst <= target_ || round == rounds) {
                return a.worst;
            }
            stalls = a.worst < previous - 1e-3 ? 0 : stalls + 1;
            // Stuck, or after some rounds still far from the target: this will not cover.
            if (stalls >= 3 || (round >= 8 && a.worst > 1.1 * target_)) {
                return a.worst;
            }
            previous = a.worst;
            std::vector<std::vector<std::pair<double, std::uint32_t>>> shares(points.size());
            for (std::size_t k = 0; k < subset.size(); ++k) {
                if (a.owner[k] < points.size()) {
                    shares[a.owner[k]].emplace_back(a.distance[k], subset[k]);
                }
            }
            for (std::size_t s = 0; s < points.size(); ++s) {
                if (!movable[s] || shares[s].empty()) {
                    continue;
                }
                std::sort(shares[s].begin(), shares[s].end(), std::greater<>());
                std::vector<std::uint32_t> cluster;
                cluster.reserve(shares[s].size());
                for (const auto& share : shares[s]) {
                    cluster.push_back(share.second);
                }
                centre(points[s], cluster);
            }
        }
    }

    // Drops points while the others, moved about the gap, still cover the demand points.
    void thin(std::vector<PlanPoint>& points) const {
        const std::vector<std::uint32_t> all = everything();
        bool dropped = true;
        while (dropped && points.size() > 1) {
            dropped = false;
            const Assignment a = assign(points, all);
            std::vector<std::size_t> share(points.size(), 0);
            for (const std::uint32_t owner : a.owner) {
                if (owner < points.size()) {
                    ++share[owner];
                }
            }
            std::vector<std::size_t> order(points.size());
            std::iota(order.begin(), order.end(), std::size_t{0});
            std::stable_sort(order.begin(), order.end(), [&share](std::size_t x, std::size_t y) {
                return share[x] < share[y];
            });
            for (const std::size_t gone : order) {
                std::vector<PlanPoint> trial;
                std::vector<bool> movable;
                std::vector<bool> kept(points.size(), false);
                for (std::size_t s = 0; s < points.size(); ++s) {
                    if (s != gone) {
                        kept[s] = true;
                        trial.push_back(points[s]);
                        movable.push_back(gap(points[s], points[gone]) <= 3 * target_);
                    }
                }
                // The demand points of the dropped point and of the ones that may move.
                std::vector<std::uint32_t> subset;
                for (std::size_t k = 0; k < all.size(); ++k) {
                    const std::uint32_t owner = a.owner[k];
                    if (owner == gone || (owner < points.size() &&
                                          gap(points[owner], points[gone]) <= 3 * target_)) {
                        subset.push_back(all[k]);
                    }
                }
                if (relocate(trial, movable, subset, 40) <= target_) {
                    points = std::move(trial);
                    dropped = true;
                    break;
                }
            }
        }
    }

  private:
    const RoomPaths& paths_;
    double target_;
    Samples demand_;
};

// The nodes of a hexagonal lattice (spacing `side`, turned by 90° where `upright`, shifted by
// the fractions (fx, fy) of its period) that fall in the room, each moved clear of the walls.
std::vector<PlanPoint> lattice(const Placer& placer, const Ring& ring, double side, bool upright,
                               double fx, double fy) {
    const PlanBox box = bounds(ring);
    const double rowGap = side * std::sqrt(3.0) / 2;
    const double along = upright ? box.max.y - box.min.y : box.max.x - box.min.x;
    const double across = upright ? box.max.x - box.min.x : box.max.y - box.min.y;
    std::vector<PlanPoint> points;
    const auto rows = static_cast<int>(std::ceil(across / rowGap)) + 1;
    const auto columns = static_cast<int>(std::ceil(along / side)) + 1;
    for (int row = -1; row <= rows; ++row) {
        const double v = (row + fy) * rowGap;
        const double shift = (row % 2 == 0 ? 0.0 : 0.5) + fx;
        for (int column = -1; column <= columns; ++column) {
            const double u = (column + shift) * side;
            const PlanPoint p = upright ? PlanPoint{box.min.x + v, box.min.y + u}
                                        : PlanPoint{box.min.x + u, box.min.y + v};
            for (const PlanPoint q : placer.snapped(p)) {
                points.push_back(q);
            }
        }
    }
    return points;
}

// The start: of several hexagonal lattices whose circles of radius `target` cover the plane, the
// one that needs the fewest points once the gaps it leaves are filled.
std::vector<PlanPoint> start(const RoomPaths& paths, double reach, double target) {
    const Ring& ring = paths.outline();
    const Placer coarse(paths, reach, demandPoints(paths, std::max(kDemandSpacing, target / 5)));
    const std::vector<std::uint32_t> all = coarse.everything();
    std::vector<PlanPoint> best;
    bool found = false;
    constexpr int kShifts = 4;
    for (const bool upright : {false, true}) {
        for (int sy = 0; sy < kShifts; ++sy) {
            for (int sx = 0; sx < kShifts; ++sx) {
                std::vector<PlanPoint> points =
                    lattice(coarse, ring, target * std::sqrt(3.0), upright,
                            static_cast<double>(sx) / kShifts, static_cast<double>(sy) / kShifts);
                coarse.complete(points, all);
                if (!found || points.size() < best.size()) {
                    best = std::move(points);
                    found = true;
                }
            }
        }
    }
    return best;
}

}  // namespace

// A room and its points: a Ring is a vector of points too, yet the two never mix up.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
CoverCheck checkCover(const Ring& outline, const std::vector<PlanPoint>& points, double reach) {
    const RoomPaths paths(counterClockwise(outline));
    return check(paths, points, reach);
}

Placement placeSettingPoints(const Ring& outline, double reach) {
    const RoomPaths paths(counterClockwise(outline));
    const double target = reach - kDemandMargin;
    Placement placement;
    if (!(target > 0) || outline.size() < 3) {
        return placement;
    }
    // The search runs on demand points at most 15 000 or so, the proof on its own grid after.
    const double spacing = std::max(kDemandSpacing, std::sqrt(area(outline) / 15000));
    const Placer placer(paths, reach, demandPoints(paths, spacing));
    std::vector<PlanPoint> points = start(paths, reach, target);
    const std::vector<std::uint32_t> all = placer.everything();
    placer.relocate(points, std::vector<bool>(points.size(), true), all, 30);
    placer.complete(points, all);
    placer.thin(points);
    CoverCheck verdict = check(paths, points, reach);
    if (!verdict.proven) {
        // The proof's finer grid finds what the search's missed: polish on that grid, then fill.
        const Placer fine(paths, reach, demandPoints(paths, kDemandSpacing));
        const std::vector<std::uint32_t> every = fine.everything();
        fine.relocate(points, std::vector<bool>(points.size(), true), every, 10);
        fine.complete(points, every);
        verdict = check(paths, points, reach);
    }
    placement.points = std::move(points);
    placement.farthest = verdict.farthest;
    placement.proven = verdict.proven;
    return placement;
}

}  // namespace core
