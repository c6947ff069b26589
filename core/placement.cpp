#include "placement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <numeric>
#include <utility>

#include "room_paths.h"

namespace core {

using placing::check;
using placing::gap;
using placing::Grid;
using placing::Progress;
using placing::Stopped;
using placing::wallPoints;

namespace {

// The search's demand points lie target/kSearchDivisor apart, or farther where there would be
// more than about kSearchPoints of them.
constexpr double kSearchDivisor = 25;
constexpr double kSearchPoints = 15000;
// A drop is tried first on demand points target/kScreenDivisor apart ...
constexpr double kScreenDivisor = 8;
// ... and rejected where the points cannot be moved to within (1 + kScreenSlack)·target of
// those.
constexpr double kScreenSlack = 0.02;
// Rounds of moving the points to take in demand points that the proof found them short of.
constexpr int kRefinements = 2;
// Rounds of setting each point in the middle of its share once the count is settled.
constexpr int kBalanceRounds = 6;
// Each demand point the proof found short joins the search with these about it, kAroundGap apart.
constexpr double kAroundGap = 0.5;
constexpr std::array<std::array<double, 2>, 9> kAround{
    {{0, 0}, {-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}}};

// The search's demand points know the corners they see within this many times the target, and its
// points the corners they see within as much: its distances are exact up to that, beyond any that
// the search weighs but those of demand points far from every point.
constexpr double kSightTargets = 2;

// Points of the room that distance fields are asked about again and again, each with the corners
// it sees within `range`: their distances are exact up to that.
class Samples {
  public:
    explicit Samples(double range) : range_(range) {}

    void add(const RoomPaths& paths, PlanPoint point) {
        at_.push_back(point);
        for (const std::uint32_t c : visibleCorners(paths, point, range_)) {
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
    double range_;
    std::vector<PlanPoint> at_;
    std::vector<std::uint32_t> first_{0};
    std::vector<std::uint32_t> corners_;
    std::vector<double> gaps_;
};

// The grid's nodes in the room and points along the walls, both `spacing` apart, each with the
// corners it sees within `range`.
// (Two lengths, yet the spacing is a fraction of the range, never near it.)
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
Samples demandPoints(const RoomPaths& paths, double spacing, double range) {
    Samples samples(range);
    const Grid grid(paths.outline(), spacing);
    for (std::size_t j = 0; j <= grid.ny; ++j) {
        for (std::size_t i = 0; i <= grid.nx; ++i) {
            const PlanPoint p = grid.node(i, j);
            if (paths.contains(p)) {
                samples.add(paths, p);
            }
        }
    }
    for (const PlanPoint p : wallPoints(paths.rings(), spacing)) {
        samples.add(paths, p);
    }
    return samples;
}

// The search for few points that cover a room's demand points within `target`. The first
// `fixed` points of those it is given are kept where they are: it neither moves nor drops them.
class Placer {
  public:
    Placer(const RoomPaths& paths, double reach, Samples demand, Progress& progress,
           std::size_t fixed = 0)
        : paths_(paths),
          target_(reach - kDemandMargin),
          demand_(std::move(demand)),
          progress_(&progress),
          fixed_(fixed) {}

    [[nodiscard]] double target() const { return target_; }
    [[nodiscard]] const Samples& demand() const { return demand_; }

    [[nodiscard]] bool allowed(PlanPoint p) const {
        return paths_.contains(p) && paths_.clearOfWalls(p, kWallClearance);
    }

    // The allowed point nearest to `p` on a fine local grid, within 1.5 m; empty if none.
    [[nodiscard]] std::vector<PlanPoint> snapped(PlanPoint p) const {
        // Outside the room no point sees it.
        if (!paths_.contains(p)) {
            return {};
        }
        if (paths_.clearOfWalls(p, kWallClearance)) {
            return {p};
        }
        constexpr double kStep = 0.05;
        constexpr int kRings = 30;
        for (int ring = 1; ring <= kRings; ++ring) {
            std::vector<PlanPoint> found;
            for (int dj = -ring; dj <= ring; ++dj) {
                // The square's rim: whole rows at its top and bottom, two ends of the rows between.
                const int across = std::abs(dj) == ring ? 1 : 2 * ring;
                for (int di = -ring; di <= ring; di += across) {
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
        // Only the points within the range of the demand points' box can be near enough to count.
        const double range = kSightTargets * target_;
        PlanBox box{{kUnreachable, kUnreachable}, {-kUnreachable, -kUnreachable}};
        for (const std::uint32_t d : subset) {
            const PlanPoint p = demand_.at(d);
            box = {{std::min(box.min.x, p.x), std::min(box.min.y, p.y)},
                   {std::max(box.max.x, p.x), std::max(box.max.y, p.y)}};
        }
        std::vector<PlanPoint> near;
        std::vector<std::uint32_t> index;
        for (std::size_t s = 0; s < points.size(); ++s) {
            const PlanPoint p = points[s];
            if (p.x >= box.min.x - range && p.x <= box.max.x + range && p.y >= box.min.y - range &&
                p.y <= box.max.y + range) {
                near.push_back(p);
                index.push_back(static_cast<std::uint32_t>(s));
            }
        }
        const DistanceField field(paths_, std::move(near), range);
        Assignment a;
        a.owner.resize(subset.size());
        a.distance.resize(subset.size());
        for (std::size_t k = 0; k < subset.size(); ++k) {
            const std::size_t d = subset[k];
            const DistanceField::Nearest n = field.nearest(demand_.at(d), demand_.sight(d));
            a.owner[k] = n.source < index.size() ? index[n.source]
                                                 : static_cast<std::uint32_t>(points.size());
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
    // Gives up once there are `most` points.
    void complete(std::vector<PlanPoint>& points, const std::vector<std::uint32_t>& subset,
                  std::size_t most = std::numeric_limits<std::size_t>::max()) const {
        std::vector<bool> abandoned(subset.size(), false);
        Assignment a = assign(points, subset);
        while (points.size() < most) {
            progress_->tick();
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
            std::vector<std::uint32_t> open;
            for (std::size_t k = 0; k < subset.size(); ++k) {
                if (a.distance[k] > target_ && gap(demand_.at(subset[k]), u) <= 2 * target_) {
                    open.push_back(subset[k]);
                }
            }
            const std::size_t stride = std::max<std::size_t>(1, open.size() / 300);
            PlanPoint best{};
            std::size_t bestCount = 0;
            const double step = target_ / 6;
            for (int dj = -6; dj <= 6; ++dj) {
                for (int di = -6; di <= 6; ++di) {
                    const PlanPoint c{u.x + di * step, u.y + dj * step};
                    if (gap(c, u) > 0.98 * target_) {
                        continue;
                    }
                    // No way is shorter than the straight line: those within reach of it bound
                    // the count, and in a convex room they are the count.
                    std::size_t count = 0;
                    for (std::size_t k = 0; k < open.size(); k += stride) {
                        count += gap(c, demand_.at(open[k])) <= target_ + 1e-9 ? 1 : 0;
                    }
                    if (count <= bestCount || !allowed(c) || !paths_.sees(c, u)) {
                        continue;
                    }
                    if (!paths_.convex()) {
                        const DistanceField single(paths_, {c}, kSightTargets * target_);
                        count = 0;
                        for (std::size_t k = 0; k < open.size(); k += stride) {
                            const std::uint32_t d = open[k];
                            const double distance =
                                single.nearest(demand_.at(d), demand_.sight(d), target_).distance;
                            count += distance <= target_ ? 1 : 0;
                        }
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
                // Only the demand points that the new point is nearer to change hands.
                points.push_back(best);
                const DistanceField single(paths_, {best}, kSightTargets * target_);
                for (std::size_t k = 0; k < subset.size(); ++k) {
                    const std::uint32_t d = subset[k];
                    if (gap(best, demand_.at(d)) >= a.distance[k]) {
                        continue;
                    }
                    const double distance =
                        single.nearest(demand_.at(d), demand_.sight(d), a.distance[k]).distance;
                    if (distance < a.distance[k]) {
                        a.distance[k] = distance;
                        a.owner[k] = static_cast<std::uint32_t>(points.size() - 1);
                    }
                }
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
        // No way is shorter than the straight line: the field is made only once that does not
        // tell.
        std::optional<DistanceField> single;
        for (const std::uint32_t d : cluster) {
            const double straight = gap(c, demand_.at(d));
            if (straight > limit) {
                return straight;
            }
            // Nor is any shorter than the straight line in sight.
            double distance = straight;
            if (single || !paths_.sees(c, demand_.at(d))) {
                if (!single) {
                    single.emplace(paths_, std::vector<PlanPoint>{c}, kSightTargets * target_);
                }
                distance = single->nearest(demand_.at(d), demand_.sight(d), limit).distance;
            }
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
            progress_->tick();
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
    // movable point to the middle of its share, until all lie within `aim` (by default the
    // target) or the worst stops falling. Returns the worst distance. No distance grows: a point
    // moves only to bring its share nearer.
    double relocate(std::vector<PlanPoint>& points, const std::vector<bool>& movable,
                    const std::vector<std::uint32_t>& subset, int rounds,
                    std::optional<double> aim = std::nullopt) const {
        double previous = kUnreachable;
        int stalls = 0;
        for (int round = 0;; ++round) {
            progress_->tick();
            const Assignment a = assign(points, subset);
            if (a.worst <= aim.value_or(target_) || round == rounds) {
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
            for (std::size_t s = fixed_; s < points.size(); ++s) {
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

    // The demand points of `subset` whose point (by the assignment) is `gone` or lies within
    // 3·target of it: what the points about a dropped one must take over.
    [[nodiscard]] std::vector<std::uint32_t> about(const std::vector<PlanPoint>& points,
                                                   std::size_t gone,
                                                   const std::vector<std::uint32_t>& subset,
                                                   const Assignment& a) const {
        std::vector<std::uint32_t> near;
        for (std::size_t k = 0; k < subset.size(); ++k) {
            const std::uint32_t owner = a.owner[k];
            if (owner == gone ||
                (owner < points.size() && gap(points[owner], points[gone]) <= 3 * target_)) {
                near.push_back(subset[k]);
            }
        }
        return near;
    }

    // Drops points while the others, moved about the gap, still cover the demand points. Each
    // drop is tried first on the far fewer demand points of `screen`: covering those is needed
    // to cover these, so a drop after which the others cannot be moved to cover those is
    // rejected cheaply, and most drops are.
    void thin(std::vector<PlanPoint>& points, const Placer& screen) const {
        const std::vector<std::uint32_t> all = everything();
        const std::vector<std::uint32_t> few = screen.everything();
        // The points whose drop failed. A trial looks only at the points within 6·target of the
        // point tried (those it moves, within 3·target, and those that the demand points about
        // them may go to, within the range of the distances): a failed drop that far from every
        // point dropped or moved since fails again, and is not tried again.
        std::vector<bool> failed(points.size(), false);
        const auto without = [&](std::size_t gone, const std::vector<PlanPoint>& after) {
            std::vector<PlanPoint> changed{points[gone]};
            for (std::size_t s = 0; s < after.size(); ++s) {
                const PlanPoint before = points[s < gone ? s : s + 1];
                if (after[s] != before) {
                    changed.push_back(before);
                    changed.push_back(after[s]);
                }
            }
            std::vector<bool> kept;
            for (std::size_t s = 0; s < after.size(); ++s) {
                const std::size_t was = s < gone ? s : s + 1;
                kept.push_back(failed[was] && std::ranges::all_of(changed, [&](PlanPoint c) {
                                   return gap(points[was], c) > 6 * target_;
                               }));
            }
            return kept;
        };
        bool dropped = true;
        while (dropped && points.size() > std::max<std::size_t>(1, fixed_)) {
            dropped = false;
            const Assignment a = assign(points, all);
            const Assignment coarse = screen.assign(points, few);
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
                if (gone < fixed_ || failed[gone]) {
                    continue;
                }
                progress_->tick();
                failed[gone] = true;
                std::vector<PlanPoint> trial;
                std::vector<bool> movable;
                for (std::size_t s = 0; s < points.size(); ++s) {
                    if (s != gone) {
                        trial.push_back(points[s]);
                        movable.push_back(gap(points[s], points[gone]) <= 3 * target_);
                    }
                }
                std::vector<PlanPoint> screened = trial;
                // That relocation is a search too and may end a little short of where the full
                // one gets: only a clear miss rejects the drop.
                if (screen.relocate(screened, movable, screen.about(points, gone, few, coarse),
                                    40) > target_ * (1 + kScreenSlack)) {
                    continue;
                }
                // From where the screen moved them, else from where they were.
                const std::vector<std::uint32_t> near = about(points, gone, all, a);
                if (relocate(screened, movable, near, 40) <= target_) {
                    failed = without(gone, screened);
                    points = std::move(screened);
                    dropped = true;
                    break;
                }
                if (relocate(trial, movable, near, 40) <= target_) {
                    failed = without(gone, trial);
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
    Progress* progress_;
    std::size_t fixed_;
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
// one that needs the fewest points once the gaps it leaves are filled. The `kept` points come
// first, and the lattice's nodes within `target` of one of them give way to it.
std::vector<PlanPoint> start(const RoomPaths& paths, double reach, double target,
                             const std::vector<PlanPoint>& kept, Progress& progress) {
    const Ring& ring = paths.outline();
    const Placer coarse(
        paths, reach,
        demandPoints(paths, std::max(kDemandSpacing, target / 5), kSightTargets * target),
        progress);
    const std::vector<std::uint32_t> all = coarse.everything();
    std::vector<PlanPoint> best;
    bool found = false;
    constexpr int kShifts = 4;
    for (const bool upright : {false, true}) {
        for (int sy = 0; sy < kShifts; ++sy) {
            for (int sx = 0; sx < kShifts; ++sx) {
                std::vector<PlanPoint> points = kept;
                for (const PlanPoint p : lattice(coarse, ring, target * std::sqrt(3.0), upright,
                                                 static_cast<double>(sx) / kShifts,
                                                 static_cast<double>(sy) / kShifts)) {
                    if (std::ranges::none_of(kept,
                                             [&](PlanPoint k) { return gap(k, p) < target; })) {
                        points.push_back(p);
                    }
                }
                // Filling in only adds points: a lattice that has as many as the best one
                // already is no better.
                if (found && points.size() >= best.size()) {
                    continue;
                }
                coarse.complete(points, all,
                                found ? best.size() : std::numeric_limits<std::size_t>::max());
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

Placement placeSettingPoints(const Ring& outline, double reach, const std::vector<Ring>& holes,
                             const PlacingProgress& report, const std::vector<PlanPoint>& kept) {
    const double target = reach - kDemandMargin;
    Placement placement;
    if (!(target > 0) || outline.size() < 3) {
        return placement;
    }
    Progress progress(report);
    try {
        progress.reach(0);
        const RoomPaths paths(counterClockwise(outline), holes);
        if (!kept.empty()) {
            // Those kept may reach all of it alone: then nothing is added.
            const CoverCheck alone = check(paths, kept, reach, nullptr, &progress);
            if (alone.proven) {
                progress.reach(1);
                placement.points = kept;
                placement.farthest = alone.farthest;
                placement.proven = true;
                return placement;
            }
        }
        const std::size_t fixed = kept.size();
        const double range = kSightTargets * target;
        // The search runs on demand points some target/25 apart (at most 15 000 or so of them),
        // the proof on its own grid after.
        const double spacing = std::max(
            {kDemandSpacing, target / kSearchDivisor, std::sqrt(area(outline) / kSearchPoints)});
        const Placer placer(paths, reach, demandPoints(paths, spacing, range), progress, fixed);
        progress.reach(0.1);
        std::vector<PlanPoint> points = start(paths, reach, target, kept, progress);
        progress.reach(0.3);
        const std::vector<std::uint32_t> all = placer.everything();
        placer.relocate(points, std::vector<bool>(points.size(), true), all, 30);
        placer.complete(points, all);
        const Placer screen(paths, reach,
                            demandPoints(paths, std::max(spacing, target / kScreenDivisor), range),
                            progress, fixed);
        progress.reach(0.4);
        placer.thin(points, screen);
        progress.reach(0.75);
        // Each point to the middle of what it covers, as a designer would set it: not in a
        // corner of its share, with the slack spread evenly. Distances only shrink, so the cover
        // holds.
        placer.relocate(points, std::vector<bool>(points.size(), true), all, kBalanceRounds, 0.0);
        progress.reach(0.8);
        std::vector<PlanPoint> far;
        CoverCheck verdict = check(paths, points, reach, &far, &progress);
        // The proof's finer grid finds what the search's missed: the demand points that failed
        // join the search's, the points move to take them in (where they cannot, more are added
        // and the thinning runs again), and the proof runs again.
        Samples demand = placer.demand();
        for (int round = 0; round < kRefinements && !verdict.proven; ++round) {
            progress.reach(0.85 + 0.05 * round);
            for (const PlanPoint p : far) {
                // With points about it, so that the move does not merely shift the gap aside.
                for (const auto& [dx, dy] : kAround) {
                    const PlanPoint q{p.x + dx * kAroundGap, p.y + dy * kAroundGap};
                    if (paths.contains(q)) {
                        demand.add(paths, q);
                    }
                }
            }
            far.clear();
            const Placer refined(paths, reach, demand, progress, fixed);
            const std::vector<std::uint32_t> every = refined.everything();
            refined.relocate(points, std::vector<bool>(points.size(), true), every, 10);
            const std::size_t moved = points.size();
            refined.complete(points, every);
            if (points.size() > moved) {
                refined.thin(points, screen);
            }
            verdict = check(paths, points, reach, &far, &progress);
        }
        if (!verdict.proven) {
            progress.reach(0.95);
            // Still short somewhere: polish on the whole of the proof's grid, then fill.
            const Placer fine(paths, reach, demandPoints(paths, kDemandSpacing, range), progress,
                              fixed);
            const std::vector<std::uint32_t> every = fine.everything();
            fine.relocate(points, std::vector<bool>(points.size(), true), every, 10);
            fine.complete(points, every);
            verdict = check(paths, points, reach, nullptr, &progress);
        }
        progress.reach(1);
        placement.points = std::move(points);
        placement.farthest = verdict.farthest;
        placement.proven = verdict.proven;
    } catch (const Stopped&) {
        Placement stopped;
        stopped.stopped = true;
        return stopped;
    }
    return placement;
}

namespace {

// A wall near a dropped point: the point of it nearest, and the way from there into the room.
struct NearWall {
    PlanPoint foot;
    double distance = 0;
    double nx = 0;
    double ny = 0;
};

// The walls of the rings within `within` of the point, nearest first. A point on a wall goes
// into the room: left of an outline that runs counter-clockwise, right of a hole that does.
std::vector<NearWall> wallsNear(PlanPoint p, const Ring& outline, const std::vector<Ring>& holes,
                                double within) {
    std::vector<NearWall> near;
    const auto take = [&](const Ring& ring, bool isOutline) {
        const double side = (signedArea(ring) > 0) == isOutline ? 1 : -1;
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const PlanPoint a = ring[i];
            const PlanPoint b = ring[(i + 1) % ring.size()];
            const double dx = b.x - a.x;
            const double dy = b.y - a.y;
            const double length = std::hypot(dx, dy);
            if (length == 0) {
                continue;
            }
            const double t =
                std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (length * length), 0.0, 1.0);
            NearWall wall{{a.x + t * dx, a.y + t * dy}};
            wall.distance = std::hypot(p.x - wall.foot.x, p.y - wall.foot.y);
            if (wall.distance >= within) {
                continue;
            }
            if (wall.distance > 1e-9) {
                wall.nx = (p.x - wall.foot.x) / wall.distance;
                wall.ny = (p.y - wall.foot.y) / wall.distance;
            } else {
                wall.nx = -side * dy / length;
                wall.ny = side * dx / length;
            }
            near.push_back(wall);
        }
    };
    take(outline, true);
    for (const Ring& hole : holes) {
        take(hole, false);
    }
    std::ranges::sort(near, {}, &NearWall::distance);
    return near;
}

// The point lies in the room and keeps kWallClearance from every wall, to a rounding.
bool clearInRoom(PlanPoint p, const Ring& outline, const std::vector<Ring>& holes) {
    return inRoom(p, outline, holes) && wallsNear(p, outline, holes, kWallClearance - 1e-6).empty();
}

}  // namespace

std::optional<PlanPoint> droppedPoint(PlanPoint point, const Ring& outline,
                                      const std::vector<Ring>& holes, bool snap) {
    const bool onWall = !wallsNear(point, outline, holes, 1e-9).empty();
    if (!onWall && !inRoom(point, outline, holes)) {
        return std::nullopt;
    }
    const std::vector<NearWall> near =
        snap ? wallsNear(point, outline, holes, kWallSnap) : std::vector<NearWall>{};
    if (near.empty()) {
        return onWall ? std::nullopt : std::optional(point);
    }
    const NearWall& first = near.front();
    // The corner: kWallClearance from both walls, where the lines that far from them cross.
    for (const NearWall& other : near) {
        const double cross = first.nx * other.ny - first.ny * other.nx;
        if (std::abs(cross) < 0.5) {
            continue;  // along the first wall, or at less than 30° to it
        }
        const double c1 = first.nx * first.foot.x + first.ny * first.foot.y + kWallClearance;
        const double c2 = other.nx * other.foot.x + other.ny * other.foot.y + kWallClearance;
        const PlanPoint corner{(c1 * other.ny - c2 * first.ny) / cross,
                               (first.nx * c2 - other.nx * c1) / cross};
        if (clearInRoom(corner, outline, holes)) {
            return corner;
        }
        break;
    }
    const PlanPoint along{first.foot.x + kWallClearance * first.nx,
                          first.foot.y + kWallClearance * first.ny};
    if (clearInRoom(along, outline, holes)) {
        return along;
    }
    return onWall ? std::nullopt : std::optional(point);
}

}  // namespace core
