#include "floor_placement.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <queue>
#include <tuple>
#include <utility>

#include "placement.h"
#include "room_paths.h"

namespace core {

using placing::gap;

namespace {

// The side of the search's raster's cells.
constexpr double kCell = 0.5;
// The search aims at R less the proof's margin less this, for the way from a demand point to the
// middle of its cell; each search again of a part not proven takes kMarginStep more.
constexpr double kCellMargin = 0.4;
constexpr double kMarginStep = 0.25;
constexpr int kSearches = 8;
// Places along a wall to stand on, about this far apart.
constexpr double kCandidateSpacing = 1.0;
// A place this near an exit's opening is near the exit; one this near a door of its room is by
// the door.
constexpr double kNearExit = 3.0;
constexpr double kNearDoor = 3.0;

// The steps of the raster's paths from a cell, half of them (the others are these backwards):
// to the cells around it and to those a knight's move and two cells away, so that a path is
// at most a few hundredths longer than the straight line and crosses a wall up to a metre thick
// where a door opens in it.
struct Step {
    int dx;
    int dy;
};
constexpr std::array<Step, 10> kSteps{
    {{1, 0}, {0, 1}, {1, 1}, {1, -1}, {2, 1}, {1, 2}, {2, -1}, {1, -2}, {2, 0}, {0, 2}}};

double segmentGap(PlanPoint p, PlanPoint a, PlanPoint b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double lengthSquared = dx * dx + dy * dy;
    const double t =
        lengthSquared > 0
            ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0, 1.0)
            : 0.0;
    return gap(p, {a.x + t * dx, a.y + t * dy});
}

// A set of the raster's cells inside the part, one bit each.
struct Cells {
    std::vector<std::uint64_t> words;

    explicit Cells(std::size_t count = 0) : words((count + 63) / 64, 0) {}
    void set(std::size_t i) { words[i / 64] |= std::uint64_t{1} << (i % 64); }
    [[nodiscard]] bool has(std::size_t i) const { return (words[i / 64] >> (i % 64) & 1U) != 0; }
    [[nodiscard]] std::size_t count() const {
        std::size_t n = 0;
        for (const std::uint64_t w : words) {
            n += static_cast<std::size_t>(std::popcount(w));
        }
        return n;
    }
    // How many of these are not in `done`.
    [[nodiscard]] std::size_t countBeyond(const Cells& done) const {
        std::size_t n = 0;
        for (std::size_t k = 0; k < words.size(); ++k) {
            n += static_cast<std::size_t>(std::popcount(words[k] & ~done.words[k]));
        }
        return n;
    }
    // All of `other` is in these.
    [[nodiscard]] bool holds(const Cells& other) const {
        for (std::size_t k = 0; k < words.size(); ++k) {
            if ((other.words[k] & ~words[k]) != 0) {
                return false;
            }
        }
        return true;
    }
    void add(const Cells& other) {
        for (std::size_t k = 0; k < words.size(); ++k) {
            words[k] |= other.words[k];
        }
    }
};

// The search's walking distances in a part: Dijkstra over the middles of a raster's cells that
// lie in the part, joined where the segment between them does. A path so found runs inside the
// part, so it is never shorter than the shortest.
class Raster {
  public:
    explicit Raster(const RoomPaths& paths) : paths_(&paths) {
        const PlanBox box = bounds(paths.outline());
        origin_ = box.min;
        columns_ = static_cast<std::size_t>(std::ceil((box.max.x - box.min.x) / kCell)) + 1;
        rows_ = static_cast<std::size_t>(std::ceil((box.max.y - box.min.y) / kCell)) + 1;
        inside_.assign(columns_ * rows_, kOutside);
        for (std::size_t c = 0; c < inside_.size(); ++c) {
            if (paths.contains(middle(c))) {
                inside_[c] = static_cast<std::uint32_t>(cells_.size());
                cells_.push_back(c);
            }
        }
        joined_.assign(inside_.size(), 0);
        for (const std::size_t c : cells_) {
            for (std::size_t k = 0; k < kSteps.size(); ++k) {
                const std::optional<std::size_t> to = neighbour(c, kSteps[k].dx, kSteps[k].dy);
                if (to && inside_[*to] != kOutside && paths.sees(middle(c), middle(*to))) {
                    joined_[c] = static_cast<std::uint16_t>(joined_[c] | (1U << k));
                }
            }
        }
        distance_.assign(cells_.size(), kUnreachable);
        for (std::size_t k = 0; k < kSteps.size(); ++k) {
            stepLengths_[k] = kCell * std::hypot(static_cast<double>(kSteps[k].dx),
                                                 static_cast<double>(kSteps[k].dy));
        }
    }

    [[nodiscard]] std::size_t size() const { return cells_.size(); }
    [[nodiscard]] PlanPoint at(std::size_t cell) const { return middle(cells_[cell]); }

    // The cells within `limit` of the point (in the part) by the raster's paths.
    [[nodiscard]] Cells reach(PlanPoint from, double limit) const {
        Cells within(cells_.size());
        walk(from, limit, [&within](std::uint32_t cell, double /*length*/) { within.set(cell); });
        return within;
    }

    // The longest of the raster's paths from the point to the cells of `to`; infinite where one
    // is farther than `limit`.
    [[nodiscard]] double farthest(PlanPoint from, const Cells& to, double limit) const {
        double longest = 0;
        std::size_t found = 0;
        walk(from, limit, [&](std::uint32_t cell, double length) {
            if (to.has(cell)) {
                longest = std::max(longest, length);
                ++found;
            }
        });
        if (found < to.count()) {
            return kUnreachable;
        }
        return longest;
    }

  private:
    static constexpr std::uint32_t kOutside = UINT32_MAX;

    // Calls visit(cell, length) for each cell within `limit` of the point, nearest first.
    template <typename Visit>
    void walk(PlanPoint from, double limit, Visit&& visit) const {
        using Entry = std::pair<double, std::uint32_t>;
        std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;
        std::vector<std::uint32_t> touched;
        const auto offer = [&](std::uint32_t cell, double length) {
            if (length <= limit && length < distance_[cell]) {
                if (distance_[cell] == kUnreachable) {
                    touched.push_back(cell);
                }
                distance_[cell] = length;
                queue.emplace(length, cell);
            }
        };
        // Into the cells about the point that it sees.
        const auto i = static_cast<long>(std::floor((from.x - origin_.x) / kCell + 0.5));
        const auto j = static_cast<long>(std::floor((from.y - origin_.y) / kCell + 0.5));
        for (long v = j - 2; v <= j + 2; ++v) {
            for (long u = i - 2; u <= i + 2; ++u) {
                if (u < 0 || v < 0 || u >= static_cast<long>(columns_) ||
                    v >= static_cast<long>(rows_)) {
                    continue;
                }
                const std::size_t c =
                    static_cast<std::size_t>(v) * columns_ + static_cast<std::size_t>(u);
                if (inside_[c] != kOutside && paths_->sees(from, middle(c))) {
                    offer(inside_[c], gap(from, middle(c)));
                }
            }
        }
        while (!queue.empty()) {
            const auto [length, cell] = queue.top();
            queue.pop();
            if (length > distance_[cell]) {
                continue;
            }
            visit(cell, length);
            const std::size_t c = cells_[cell];
            for (std::size_t k = 0; k < kSteps.size(); ++k) {
                const double stepLength = stepLengths_[k];
                if ((joined_[c] >> k & 1U) != 0) {
                    offer(inside_[*neighbour(c, kSteps[k].dx, kSteps[k].dy)], length + stepLength);
                }
                const std::optional<std::size_t> back = neighbour(c, -kSteps[k].dx, -kSteps[k].dy);
                if (back && inside_[*back] != kOutside && (joined_[*back] >> k & 1U) != 0) {
                    offer(inside_[*back], length + stepLength);
                }
            }
        }
        for (const std::uint32_t cell : touched) {
            distance_[cell] = kUnreachable;
        }
    }

    [[nodiscard]] PlanPoint middle(std::size_t c) const {
        const std::size_t row = c / columns_;
        return {origin_.x + static_cast<double>(c % columns_) * kCell,
                origin_.y + static_cast<double>(row) * kCell};
    }
    [[nodiscard]] std::optional<std::size_t> neighbour(std::size_t c, int dx, int dy) const {
        const long u = static_cast<long>(c % columns_) + dx;
        const long v = static_cast<long>(c / columns_) + dy;
        if (u < 0 || v < 0 || u >= static_cast<long>(columns_) || v >= static_cast<long>(rows_)) {
            return std::nullopt;
        }
        return static_cast<std::size_t>(v) * columns_ + static_cast<std::size_t>(u);
    }

    const RoomPaths* paths_;
    PlanPoint origin_;
    std::size_t columns_ = 0;
    std::size_t rows_ = 0;
    std::vector<std::uint32_t> inside_;  // per cell of the box: its place among cells_, or none
    std::vector<std::size_t> cells_;     // the cells of the box whose middles lie in the part
    std::vector<std::uint16_t> joined_;  // per cell of the box: a bit per step that stays inside
    std::array<double, kSteps.size()> stepLengths_{};
    mutable std::vector<double> distance_;
};

// A place to stand on, and how a designer would rank it: 0 in the circulation, 1 near an exit,
// 2 by a door of its room, 3 elsewhere on its walls.
struct Place {
    PlanPoint at;
    int rank = 3;
    bool nearExit = false;
    Cells reach;
};

// The places on the walls of a room: kWallClearance in from each wall, about kCandidateSpacing
// apart, as near its ends as the other walls allow, clear of the doors.
std::vector<PlanPoint> wallPlaces(const RoomShape& room, const RoomPaths& part,
                                  const std::vector<WallDoor>& doors) {
    const RoomPaths paths(counterClockwise(room.outline), room.holes, 0);
    std::vector<PlanPoint> places;
    const auto take = [&](PlanPoint p) {
        if (!paths.contains(p) || !paths.clearOfWalls(p, kWallClearance) || !part.contains(p)) {
            return;
        }
        for (const WallDoor& door : doors) {
            if (segmentGap(p, door.hinge, door.end) < kDoorClearance) {
                return;
            }
        }
        for (const PlanPoint q : places) {
            if (gap(p, q) < kCandidateSpacing / 4) {
                return;
            }
        }
        places.push_back(p);
    };
    for (const Ring& ring : paths.rings()) {
        for (std::size_t k = 0; k < ring.size(); ++k) {
            const PlanPoint a = ring[k];
            const PlanPoint b = ring[(k + 1) % ring.size()];
            const double length = gap(a, b);
            if (length < 2 * kWallClearance) {
                continue;
            }
            const PlanPoint along{(b.x - a.x) / length, (b.y - a.y) / length};
            const PlanPoint in{-along.y * kWallClearance, along.x * kWallClearance};
            const std::size_t pieces = std::max<std::size_t>(
                1, placing::steps(length - 2 * kWallClearance, kCandidateSpacing));
            for (std::size_t s = 0; s <= pieces; ++s) {
                const double t = kWallClearance + (length - 2 * kWallClearance) *
                                                      static_cast<double>(s) /
                                                      static_cast<double>(pieces);
                take({a.x + along.x * t + in.x, a.y + along.y * t + in.y});
            }
        }
    }
    return places;
}

// The rooms of a part that count as its circulation.
std::vector<bool> circulationOf(const FloorRegion& region, const FloorPart& part,
                                const std::vector<WallDoor>& doors,
                                const std::vector<bool>& circulation) {
    std::vector<bool> marked(region.rooms.size(), false);
    bool any = false;
    for (const std::size_t r : part.rooms) {
        marked[r] = r < circulation.size() && circulation[r];
        any = any || marked[r];
    }
    if (any || part.rooms.empty()) {
        return marked;
    }
    const auto doorsOf = [&doors](std::size_t r) {
        return std::ranges::count_if(
            doors, [r](const WallDoor& d) { return d.rooms[0] == r || d.rooms[1] == r; });
    };
    std::size_t best = part.rooms.front();
    for (const std::size_t r : part.rooms) {
        const auto count = doorsOf(r);
        const auto bestCount = doorsOf(best);
        if (count > bestCount || (count == bestCount && area(region.rooms[r].outline) >
                                                            area(region.rooms[best].outline))) {
            best = r;
        }
    }
    // A room that no door leads into is walked through by no one.
    marked[best] = doorsOf(best) > 0;
    return marked;
}

// Cover `need` with the fewest places the greedy way, then fewer where two can give way to one,
// then better ranked where one can give way to another, then as well ranked where that leaves a
// larger margin below `target` on the raster; `given` is covered already.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): what is wanted, then what is had.
std::vector<std::size_t> coverWith(const std::vector<Place>& places, const Cells& need,
                                   const Cells& given, const Raster& raster, double target,
                                   placing::Progress& progress) {
    Cells done = given;
    std::vector<std::size_t> chosen;
    // Better ranked, then near an exit, then first.
    const auto better = [&places](std::size_t a, std::size_t b) {
        return std::tuple(places[a].rank, !places[a].nearExit, a) <
               std::tuple(places[b].rank, !places[b].nearExit, b);
    };
    for (;;) {
        progress.tick();
        std::optional<std::size_t> best;
        std::size_t bestGain = 0;
        for (std::size_t p = 0; p < places.size(); ++p) {
            const std::size_t gain = places[p].reach.countBeyond(done);
            if (gain > bestGain || (gain == bestGain && gain > 0 && better(p, *best))) {
                best = p;
                bestGain = gain;
            }
        }
        if (!best || need.countBeyond(done) == 0) {
            break;
        }
        chosen.push_back(*best);
        done.add(places[*best].reach);
    }
    // What the chosen places less some of them cover.
    const auto coveredWithout = [&](std::size_t skipA, std::size_t skipB) {
        Cells covered = given;
        for (std::size_t k = 0; k < chosen.size(); ++k) {
            if (k != skipA && k != skipB) {
                covered.add(places[chosen[k]].reach);
            }
        }
        return covered;
    };
    // The best ranked place that covers what `covered` leaves of `need`.
    const auto fill = [&](const Cells& covered) -> std::optional<std::size_t> {
        Cells left(0);
        left.words.resize(need.words.size());
        for (std::size_t k = 0; k < left.words.size(); ++k) {
            left.words[k] = need.words[k] & ~covered.words[k];
        }
        const auto word = std::ranges::find_if(left.words, [](std::uint64_t w) { return w != 0; });
        if (word == left.words.end()) {
            return std::nullopt;
        }
        const std::size_t first = static_cast<std::size_t>(word - left.words.begin()) * 64 +
                                  static_cast<std::size_t>(std::countr_zero(*word));
        std::optional<std::size_t> found;
        for (std::size_t p = 0; p < places.size(); ++p) {
            if (places[p].reach.has(first) && places[p].reach.holds(left) &&
                (!found || better(p, *found))) {
                found = p;
            }
        }
        return found;
    };
    // Places that cover nothing the others do not, worst ranked first, go.
    const auto drop = [&] {
        for (bool dropped = true; dropped;) {
            dropped = false;
            std::optional<std::size_t> worst;
            for (std::size_t k = 0; k < chosen.size(); ++k) {
                if (coveredWithout(k, k).holds(need) &&
                    (!worst || better(chosen[*worst], chosen[k]))) {
                    worst = k;
                }
            }
            if (worst) {
                chosen.erase(chosen.begin() + static_cast<std::ptrdiff_t>(*worst));
                dropped = true;
            }
        }
    };
    drop();
    // Two places near each other that one covers for.
    for (bool merged = true; merged;) {
        merged = false;
        for (std::size_t a = 0; a < chosen.size() && !merged; ++a) {
            for (std::size_t b = a + 1; b < chosen.size() && !merged; ++b) {
                progress.tick();
                if (const std::optional<std::size_t> one = fill(coveredWithout(a, b))) {
                    chosen[a] = *one;
                    chosen.erase(chosen.begin() + static_cast<std::ptrdiff_t>(b));
                    merged = true;
                }
            }
        }
    }
    drop();
    // One place that a better ranked one covers for.
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        progress.tick();
        if (places[chosen[k]].rank == 0) {
            continue;
        }
        if (const std::optional<std::size_t> other = fill(coveredWithout(k, k));
            other && better(*other, chosen[k])) {
            chosen[k] = *other;
        }
    }
    // Each place in turn to the one as well ranked that covers what it alone covers farthest
    // within the target.
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        const Cells covered = coveredWithout(k, k);
        Cells alone(0);
        alone.words.resize(need.words.size());
        for (std::size_t w = 0; w < alone.words.size(); ++w) {
            alone.words[w] = need.words[w] & ~covered.words[w];
        }
        const Place& now = places[chosen[k]];
        double nearest = raster.farthest(now.at, alone, target);
        for (std::size_t p = 0; p < places.size(); ++p) {
            progress.tick();
            if (places[p].rank == now.rank && places[p].nearExit == now.nearExit &&
                places[p].reach.holds(alone)) {
                const double far = raster.farthest(places[p].at, alone, target);
                if (far < nearest) {
                    nearest = far;
                    chosen[k] = p;
                }
            }
        }
    }
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

}  // namespace

std::vector<bool> circulationRooms(const FloorRegion& region, const std::vector<WallDoor>& doors,
                                   const std::vector<bool>& named) {
    std::vector<bool> marked(region.rooms.size(), false);
    for (const FloorPart& part : region.parts) {
        const std::vector<bool> mine = circulationOf(region, part, doors, named);
        for (std::size_t r = 0; r < marked.size(); ++r) {
            marked[r] = marked[r] || mine[r];
        }
    }
    return marked;
}

FloorPlacement placeFloorPoints(const FloorRegion& region, const std::vector<WallDoor>& doors,
                                const std::vector<bool>& circulation, double reach,
                                const PlacingProgress& progress,
                                const std::vector<PlanPoint>& kept) {
    FloorPlacement placement;
    placing::Progress told(progress);
    try {
        std::vector<std::vector<PlanPoint>> added(region.parts.size());
        std::vector<std::vector<bool>> inCirculation(region.parts.size());
        // Each kept point counts for the first part that holds it, as in the proof.
        std::vector<std::size_t> owner(kept.size(), region.parts.size());
        for (std::size_t p = 0; p < region.parts.size(); ++p) {
            const RoomPaths paths(region.parts[p].outline, region.parts[p].holes, 0);
            for (std::size_t k = 0; k < kept.size(); ++k) {
                if (owner[k] == region.parts.size() && paths.contains(kept[k])) {
                    owner[k] = p;
                }
            }
        }
        std::vector<bool> search(region.parts.size(), true);
        for (int round = 0; round < kSearches; ++round) {
            const double target = reach - kDemandMargin - kCellMargin - kMarginStep * round;
            for (std::size_t p = 0; p < region.parts.size(); ++p) {
                const FloorPart& part = region.parts[p];
                if (!search[p] || part.rooms.empty()) {
                    continue;
                }
                told.reach((static_cast<double>(round) +
                            static_cast<double>(p) / static_cast<double>(region.parts.size())) /
                           kSearches);
                const RoomPaths paths(part.outline, part.holes, reach);
                const Raster raster(paths);
                Cells given(raster.size());
                for (std::size_t k = 0; k < kept.size(); ++k) {
                    if (owner[k] == p) {
                        given.add(raster.reach(kept[k], target));
                    }
                }
                const std::vector<bool> marked = circulationOf(region, part, doors, circulation);
                std::vector<Place> places;
                Cells need(raster.size());
                for (const std::size_t r : part.rooms) {
                    for (const PlanPoint at : wallPlaces(region.rooms[r], paths, doors)) {
                        told.tick();
                        Place place{at, 3, false, raster.reach(at, target)};
                        bool byDoor = false;
                        for (const WallDoor& door : doors) {
                            const double away = segmentGap(at, door.hinge, door.end);
                            const bool exit = !door.rooms[0] || !door.rooms[1];
                            place.nearExit = place.nearExit || (exit && away <= kNearExit);
                            byDoor = byDoor || ((door.rooms[0] == r || door.rooms[1] == r) &&
                                                away <= kNearDoor);
                        }
                        place.rank = marked[r] ? 0 : place.nearExit ? 1 : byDoor ? 2 : 3;
                        need.add(place.reach);
                        places.push_back(std::move(place));
                    }
                }
                added[p].clear();
                inCirculation[p].clear();
                for (const std::size_t k : coverWith(places, need, given, raster, target, told)) {
                    added[p].push_back(places[k].at);
                    inCirculation[p].push_back(places[k].rank == 0);
                }
            }
            placement.points = kept;
            placement.inRooms = 0;
            for (std::size_t p = 0; p < region.parts.size(); ++p) {
                placement.points.insert(placement.points.end(), added[p].begin(), added[p].end());
                placement.inRooms +=
                    static_cast<std::size_t>(std::ranges::count(inCirculation[p], false));
            }
            placement.cover = checkFloorCover(region, placement.points, reach);
            placement.proven = placement.cover.proven;
            if (placement.proven) {
                break;
            }
            // Only the parts not proven are searched again; none where what fails lies in no part
            // (a room whose outline is no simple ring).
            for (std::size_t p = 0; p < region.parts.size(); ++p) {
                search[p] = !placement.cover.parts[p].proven && !region.parts[p].rooms.empty();
            }
            if (std::ranges::none_of(search, std::identity{})) {
                break;
            }
        }
    } catch (const placing::Stopped&) {
        return {{}, {}, false, 0, true};
    }
    return placement;
}

}  // namespace core
