#include "reach_map.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <utility>

#include <boost/geometry/algorithms/intersection.hpp>
#include <boost/geometry/algorithms/simplify.hpp>
#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#include <boost/geometry/strategies/cartesian/distance_projected_point.hpp>
#include <boost/geometry/strategies/cartesian/distance_pythagoras.hpp>
#include <unordered_map>

#include "cover_proof.h"
#include "plan_geometry.h"
#include "room_paths.h"

namespace core {

namespace {

// A grid of nodes over a box, `cell` apart, from its lower left corner.
struct Nodes {
    PlanPoint origin;
    double cell = 1;
    std::size_t columns = 0;
    std::size_t rows = 0;

    [[nodiscard]] PlanPoint at(std::size_t i, std::size_t j) const {
        return {origin.x + static_cast<double>(i) * cell, origin.y + static_cast<double>(j) * cell};
    }
    [[nodiscard]] std::size_t index(std::size_t i, std::size_t j) const { return j * columns + i; }
};

// Where the value crosses zero between two nodes whose values have opposite signs.
PlanPoint crossing(PlanPoint a, double va, PlanPoint b, double vb) {
    const double t = va / (va - vb);
    return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
}

// The segments on which `values` (one per node; negative inside the reach) cross zero, cell by
// cell (marching squares). A saddle cell is split the way that keeps the inside joined.
void contour(const Nodes& nodes, const std::vector<double>& values,
             std::vector<std::array<PlanPoint, 2>>& segments) {
    for (std::size_t j = 0; j + 1 < nodes.rows; ++j) {
        for (std::size_t i = 0; i + 1 < nodes.columns; ++i) {
            // The cell's corners counter-clockwise from the lower left.
            const std::array<PlanPoint, 4> p{nodes.at(i, j), nodes.at(i + 1, j),
                                             nodes.at(i + 1, j + 1), nodes.at(i, j + 1)};
            const std::array<double, 4> v{values[nodes.index(i, j)], values[nodes.index(i + 1, j)],
                                          values[nodes.index(i + 1, j + 1)],
                                          values[nodes.index(i, j + 1)]};
            std::array<PlanPoint, 4> cuts{};
            std::array<bool, 4> cut{};
            int count = 0;
            for (std::size_t k = 0; k < 4; ++k) {
                const std::size_t next = (k + 1) % 4;
                if ((v[k] < 0) != (v[next] < 0)) {
                    cuts[k] = crossing(p[k], v[k], p[next], v[next]);
                    cut[k] = true;
                    ++count;
                }
            }
            if (count == 2) {
                std::array<PlanPoint, 2> segment{};
                int found = 0;
                for (std::size_t k = 0; k < 4; ++k) {
                    if (cut[k]) {
                        segment[static_cast<std::size_t>(found++)] = cuts[k];
                    }
                }
                segments.push_back(segment);
            } else if (count == 4) {
                const bool middleInside = (v[0] + v[1] + v[2] + v[3]) / 4 < 0;
                // The edges meet round the corners outside the reach, or round those inside.
                const bool firstInside = v[0] < 0;
                if (middleInside == firstInside) {
                    segments.push_back({cuts[0], cuts[1]});
                    segments.push_back({cuts[2], cuts[3]});
                } else {
                    segments.push_back({cuts[3], cuts[0]});
                    segments.push_back({cuts[1], cuts[2]});
                }
            }
        }
    }
}

// The nodes over a room's box, at most about `cells` of them and no closer than 5 cm, with one
// cell of margin all round, so that a reach that ends at a wall closes outside it; and which of
// them lie in the room.
struct Grid {
    Nodes nodes;
    std::vector<char> inside;

    Grid(const RoomPaths& paths, const Ring& outline, std::size_t cells) {
        const PlanBox box = bounds(outline);
        const double width = box.max.x - box.min.x;
        const double height = box.max.y - box.min.y;
        constexpr double kFinest = 0.05;
        nodes.cell = std::max(
            kFinest,
            std::sqrt(width * height / static_cast<double>(std::max<std::size_t>(cells, 1))));
        nodes.origin = {box.min.x - nodes.cell, box.min.y - nodes.cell};
        nodes.columns = static_cast<std::size_t>(std::ceil(width / nodes.cell)) + 3;
        nodes.rows = static_cast<std::size_t>(std::ceil(height / nodes.cell)) + 3;
        inside.assign(nodes.columns * nodes.rows, 0);
        for (std::size_t j = 0; j < nodes.rows; ++j) {
            for (std::size_t i = 0; i < nodes.columns; ++i) {
                inside[nodes.index(i, j)] = paths.contains(nodes.at(i, j)) ? 1 : 0;
            }
        }
    }

    // For each node, its walking distance from `source` (in the room) less `reach`: negative
    // within the reach, positive outside the room and beyond the reach, never 0.
    void reachValues(const RoomPaths& paths, PlanPoint source, double reach,
                     std::vector<double>& values) const {
        reachValues(DistanceField(paths, {source}), source, reach, values);
    }
    // The same from the source's own distance field.
    void reachValues(const DistanceField& field, PlanPoint source, double reach,
                     std::vector<double>& values) const {
        // Beyond this the distances need not be exact: the line lies within a cell of the last
        // node that is.
        const double limit = reach + 2 * nodes.cell;
        values.assign(nodes.columns * nodes.rows, limit);
        // Nothing beyond R in a straight line is within R by a path.
        const auto first = [&](double low, double origin) {
            return static_cast<std::size_t>(std::max(0.0, std::floor((low - origin) / nodes.cell)));
        };
        const std::size_t i0 = first(source.x - limit, nodes.origin.x);
        const std::size_t j0 = first(source.y - limit, nodes.origin.y);
        const std::size_t i1 =
            std::min(nodes.columns - 1, first(source.x + limit, nodes.origin.x) + 1);
        const std::size_t j1 =
            std::min(nodes.rows - 1, first(source.y + limit, nodes.origin.y) + 1);
        // A node exactly at R is taken as beyond it, a hair away, so that no line runs through
        // a node.
        const double hair = nodes.cell * 1e-9;
        for (std::size_t j = j0; j <= j1; ++j) {
            for (std::size_t i = i0; i <= i1; ++i) {
                if (inside[nodes.index(i, j)] != 0) {
                    const double value = field.at(nodes.at(i, j), limit) - reach;
                    values[nodes.index(i, j)] = value == 0 ? hair : value;
                }
            }
        }
    }
};

// The lines on which `values` (one per node, never 0) cross zero, as closed rings with the
// negative side on their left (marching squares, a saddle cell split as contour() splits it).
// Each crossing is named by the edge of the grid it lies on, so that the segments of neighbouring
// cells join exactly.
std::vector<Ring> contourRings(const Nodes& nodes, const std::vector<double>& values) {
    // Edge 2n runs from node n to its right-hand neighbour, edge 2n + 1 to the one above.
    const auto crossingOn = [&](std::size_t edge) {
        const std::size_t a = edge / 2;
        const std::size_t b = edge % 2 == 0 ? a + 1 : a + nodes.columns;
        const auto node = [&](std::size_t n) {
            return nodes.at(n % nodes.columns, n / nodes.columns);
        };
        return crossing(node(a), values[a], node(b), values[b]);
    };
    std::unordered_map<std::size_t, std::size_t> next;
    std::vector<std::size_t> starts;
    for (std::size_t j = 0; j + 1 < nodes.rows; ++j) {
        for (std::size_t i = 0; i + 1 < nodes.columns; ++i) {
            // The cell's corners and edges counter-clockwise from the lower left.
            const std::array<std::size_t, 4> corner{nodes.index(i, j), nodes.index(i + 1, j),
                                                    nodes.index(i + 1, j + 1),
                                                    nodes.index(i, j + 1)};
            const std::array<std::size_t, 4> edge{2 * corner[0], 2 * corner[1] + 1, 2 * corner[3],
                                                  2 * corner[0] + 1};
            std::array<bool, 4> in{};
            double sum = 0;
            for (std::size_t k = 0; k < 4; ++k) {
                in[k] = values[corner[k]] < 0;
                sum += values[corner[k]];
            }
            std::size_t cuts = 0;
            for (std::size_t k = 0; k < 4; ++k) {
                cuts += in[k] != in[(k + 1) % 4] ? 1 : 0;
            }
            // A segment leaves the cell's edge where the corners go from inside to outside, and
            // ends where they come back, the inside on its left.
            for (std::size_t k = 0; k < 4; ++k) {
                if (!in[k] || in[(k + 1) % 4]) {
                    continue;
                }
                std::size_t end = k;
                if (cuts == 2) {
                    for (std::size_t m = 0; m < 4; ++m) {
                        if (!in[m] && in[(m + 1) % 4]) {
                            end = m;
                        }
                    }
                } else {
                    end = sum / 4 < 0 ? (k + 1) % 4 : (k + 3) % 4;
                }
                next[edge[k]] = edge[end];
                starts.push_back(edge[k]);
            }
        }
    }
    std::vector<Ring> rings;
    std::unordered_map<std::size_t, bool> done;
    for (const std::size_t start : starts) {
        if (done[start]) {
            continue;
        }
        // Every line closes, as the grid's margin lies outside the room; one that did not would be
        // left out.
        Ring ring;
        auto at = next.find(start);
        while (at != next.end() && !done[at->first]) {
            done[at->first] = true;
            ring.push_back(crossingOn(at->first));
            at = next.find(at->second);
        }
        if (at != next.end() && at->first == start) {
            rings.push_back(std::move(ring));
        }
    }
    return rings;
}

// The cells of the grid whose middles are `missed(i, j, middle)`, row by row, merged along the
// rows.
template <typename Missed>
std::vector<PlanBox> uncoveredCells(const Nodes& nodes, Missed missed) {
    std::vector<PlanBox> cells;
    const double half = nodes.cell / 2;
    for (std::size_t j = 0; j + 1 < nodes.rows; ++j) {
        const double y = nodes.origin.y + (static_cast<double>(j) + 0.5) * nodes.cell;
        bool open = false;
        for (std::size_t i = 0; i + 1 < nodes.columns; ++i) {
            const PlanPoint middle{nodes.origin.x + (static_cast<double>(i) + 0.5) * nodes.cell, y};
            const bool out = missed(i, j, middle);
            if (out && open) {
                cells.back().max.x = middle.x + half;
            } else if (out) {
                cells.push_back({{middle.x - half, y - half}, {middle.x + half, y + half}});
            }
            open = out;
        }
    }
    return cells;
}

// Places of a room (probes) and, for each, the walking distance to its nearest setting point
// where that is at most `limit` (else kUnreachable), kept up to date as the points move. Each
// point's distances to the probes about it are kept: the probes are sorted into square buckets,
// row by row, so that the probes of a row of buckets lie in one run.
class NearestProbes {
  public:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    // The buckets' side and the limit, in metres, and the number of sources: named where given.
    // NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
    NearestProbes(const std::vector<PlanPoint>& probes, double bucket, double limit,
                  std::size_t sources)
        : bucket_(bucket), limit_(limit), windows_(sources) {
        PlanBox box{{0, 0}, {0, 0}};
        if (!probes.empty()) {
            box = {probes.front(), probes.front()};
        }
        for (const PlanPoint p : probes) {
            box.min = {std::min(box.min.x, p.x), std::min(box.min.y, p.y)};
            box.max = {std::max(box.max.x, p.x), std::max(box.max.y, p.y)};
        }
        origin_ = box.min;
        columns_ = static_cast<std::size_t>(std::floor((box.max.x - box.min.x) / bucket_)) + 1;
        rows_ = static_cast<std::size_t>(std::floor((box.max.y - box.min.y) / bucket_)) + 1;
        std::vector<std::size_t> bucketIndex(probes.size());
        first_.assign(columns_ * rows_ + 1, 0);
        for (std::size_t k = 0; k < probes.size(); ++k) {
            bucketIndex[k] = row(probes[k].y) * columns_ + column(probes[k].x);
            ++first_[bucketIndex[k] + 1];
        }
        std::partial_sum(first_.begin(), first_.end(), first_.begin());
        std::vector<std::size_t> next(first_.begin(), first_.end() - 1);
        probes_.resize(probes.size());
        bucketOf_.resize(probes.size());
        slot_.resize(probes.size());
        for (std::size_t k = 0; k < probes.size(); ++k) {
            const std::size_t at = next[bucketIndex[k]]++;
            probes_[at] = probes[k];
            bucketOf_[at] = bucketIndex[k];
            slot_[k] = at;
        }
        best_.assign(probes.size(), kUnreachable);
        owner_.assign(probes.size(), kNone);
    }

    // The nearest distance of the probe of that index, as given.
    [[nodiscard]] double nearest(std::size_t probe) const { return best_[slot_[probe]]; }
    // The nearest distances of all the probes, and the probes, in an order of their own.
    [[nodiscard]] const std::vector<double>& distances() const { return best_; }
    [[nodiscard]] const std::vector<PlanPoint>& probes() const { return probes_; }

    // Puts the source of that index at `at`, its distances those of `field` (its alone); without
    // a field it reaches no probe.
    void place(std::size_t source, const DistanceField* field, PlanPoint at) {
        Window window;
        if (field != nullptr && !probes_.empty()) {
            window.left = column(at.x - limit_);
            window.right = column(at.x + limit_);
            window.bottom = row(at.y - limit_);
            window.top = row(at.y + limit_);
            for (std::size_t r = window.bottom; r <= window.top; ++r) {
                window.rowStart.push_back(window.values.size());
                const std::size_t end = first_[r * columns_ + window.right + 1];
                for (std::size_t p = first_[r * columns_ + window.left]; p < end; ++p) {
                    const double dx = probes_[p].x - at.x;
                    const double dy = probes_[p].y - at.y;
                    double d = kUnreachable;
                    if (dx * dx + dy * dy <= limit_ * limit_) {
                        d = field->at(probes_[p], limit_);
                    }
                    window.values.push_back(d > limit_ ? kUnreachable : d);
                }
            }
        }
        const Window old = std::exchange(windows_[source], std::move(window));
        // The probes it was nearest to before go to the nearest of all the points now; then
        // those it is nearer to than their nearest.
        forEach(old, [&](std::size_t p, double /*d*/) {
            if (owner_[p] != source) {
                return;
            }
            best_[p] = kUnreachable;
            owner_[p] = kNone;
            for (std::size_t s = 0; s < windows_.size(); ++s) {
                if (const double d = lookup(windows_[s], p); d < best_[p]) {
                    best_[p] = d;
                    owner_[p] = s;
                }
            }
        });
        forEach(windows_[source], [&](std::size_t p, double d) {
            if (d < best_[p]) {
                best_[p] = d;
                owner_[p] = source;
            }
        });
    }

  private:
    // A source's distances to the probes of a box of buckets, row by row.
    struct Window {
        std::size_t left = 1;
        std::size_t right = 0;
        std::size_t bottom = 1;
        std::size_t top = 0;
        std::vector<std::size_t> rowStart;
        std::vector<double> values;
    };

    [[nodiscard]] std::size_t column(double x) const {
        return static_cast<std::size_t>(
            std::clamp(std::floor((x - origin_.x) / bucket_), 0.0,
                       static_cast<double>(std::max<std::size_t>(columns_, 1) - 1)));
    }
    [[nodiscard]] std::size_t row(double y) const {
        return static_cast<std::size_t>(
            std::clamp(std::floor((y - origin_.y) / bucket_), 0.0,
                       static_cast<double>(std::max<std::size_t>(rows_, 1) - 1)));
    }

    template <typename Visit>
    void forEach(const Window& window, Visit visit) const {
        for (std::size_t r = window.bottom; r <= window.top; ++r) {
            const std::size_t begin = first_[r * columns_ + window.left];
            const std::size_t end = first_[r * columns_ + window.right + 1];
            const std::size_t start = window.rowStart[r - window.bottom];
            for (std::size_t p = begin; p < end; ++p) {
                visit(p, window.values[start + p - begin]);
            }
        }
    }

    [[nodiscard]] double lookup(const Window& window, std::size_t p) const {
        const std::size_t b = bucketOf_[p];
        const std::size_t c = b % columns_;
        const std::size_t r = b / columns_;
        if (c < window.left || c > window.right || r < window.bottom || r > window.top) {
            return kUnreachable;
        }
        return window
            .values[window.rowStart[r - window.bottom] + p - first_[r * columns_ + window.left]];
    }

    double bucket_;
    double limit_;
    PlanPoint origin_;
    std::size_t columns_ = 1;
    std::size_t rows_ = 1;
    std::vector<std::size_t> first_;  // per bucket, where its probes start; one more at the end
    std::vector<PlanPoint> probes_;   // sorted by bucket
    std::vector<std::size_t> bucketOf_;
    std::vector<std::size_t> slot_;  // per probe as given, where it lies in probes_
    std::vector<double> best_;
    std::vector<std::size_t> owner_;  // the source of best_, kNone for none within the limit
    std::vector<Window> windows_;     // per source
};

}  // namespace

// A room and its points: a Ring is a vector of points too, yet the two never mix up.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
ReachMap reachMap(const Ring& outline, const std::vector<PlanPoint>& points, double reach,
                  std::size_t cells, const std::vector<Ring>& holes) {
    ReachMap map;
    if (outline.size() < 3 || !(reach > 0)) {
        return map;
    }
    const RoomPaths paths(counterClockwise(outline), holes);
    const Grid grid(paths, outline, cells);
    map.cell = grid.nodes.cell;
    const Nodes& nodes = grid.nodes;
    std::vector<PlanPoint> sources;
    std::ranges::copy_if(points, std::back_inserter(sources),
                         [&paths](PlanPoint p) { return paths.contains(p); });
    std::vector<double> values(nodes.columns * nodes.rows);
    for (const PlanPoint source : points) {
        std::vector<std::array<PlanPoint, 2>>& edges = map.edges.emplace_back();
        if (!paths.contains(source)) {
            continue;
        }
        grid.reachValues(paths, source, reach, values);
        contour(nodes, values, edges);
    }
    const DistanceField field(paths, sources);
    map.uncovered =
        uncoveredCells(nodes, [&](std::size_t /*i*/, std::size_t /*j*/, PlanPoint middle) {
            return paths.contains(middle) && field.at(middle, reach) > reach;
        });
    return map;
}

// R and the grid's cells: a distance in metres and a count, never mixed up.
std::vector<std::vector<Ring>> reachOutlines(const Ring& outline,
                                             // NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
                                             const std::vector<PlanPoint>& points, double reach,
                                             std::size_t cells, const std::vector<Ring>& holes) {
    namespace bg = boost::geometry;
    std::vector<std::vector<Ring>> outlines(points.size());
    if (outline.size() < 3 || !(reach > 0)) {
        return outlines;
    }
    const Ring room = counterClockwise(outline);
    const RoomPaths paths(room, holes);
    const Grid grid(paths, outline, cells);
    Polygon roomPolygon;
    roomPolygon.outer().assign(room.begin(), room.end());
    for (const Ring& hole : holes) {
        roomPolygon.inners().emplace_back(hole.rbegin(), hole.rend());
    }
    std::vector<double> values;
    for (std::size_t k = 0; k < points.size(); ++k) {
        if (!paths.contains(points[k])) {
            continue;
        }
        grid.reachValues(paths, points[k], reach, values);
        // The outer rings run counter-clockwise; each hole goes to the smallest that holds it.
        Polygons regions;
        std::vector<Ring> inner;
        for (Ring& ring : contourRings(grid.nodes, values)) {
            if (signedArea(ring) > 0) {
                regions.emplace_back().outer().assign(ring.begin(), ring.end());
            } else {
                inner.push_back(std::move(ring));
            }
        }
        for (const Ring& hole : inner) {
            Polygon* holder = nullptr;
            for (Polygon& region : regions) {
                if (coveredBy(hole.front(), Ring(region.outer().begin(), region.outer().end())) &&
                    (holder == nullptr || bg::area(region.outer()) < bg::area(holder->outer()))) {
                    holder = &region;
                }
            }
            if (holder != nullptr) {
                holder->inners().emplace_back(hole.begin(), hole.end());
            }
        }
        Polygons clipped;
        bg::intersection(regions, roomPolygon, clipped);
        // Points that the grid's line runs through straight, and those within a tenth of a cell
        // of it, are left out.
        Polygons simple;
        bg::simplify(clipped, simple, grid.nodes.cell / 10);
        for (const Polygon& polygon : simple) {
            const auto add = [&](const auto& ring) {
                Ring kept(ring.begin(), ring.end());
                if (kept.size() >= 3 && area(kept) > 0) {
                    outlines[k].push_back(std::move(kept));
                }
            };
            add(polygon.outer());
            std::ranges::for_each(polygon.inners(), add);
        }
    }
    return outlines;
}

// The reach grid's cell middles and the proof's demand points, each with its nearest point.
struct ReachTracker::State {
    RoomPaths paths;
    Grid grid;
    double reach;
    std::vector<PlanPoint> points;
    std::vector<char> inRoom;  // per point
    std::vector<std::vector<std::array<PlanPoint, 2>>> edges;
    // Per cell of the grid, row by row: its middle's index among the middles, or kNone outside
    // the room.
    std::vector<std::size_t> middleOf;
    NearestProbes middles;
    NearestProbes demand;
    std::vector<double> values;  // the moved point's, over the grid's nodes

    // R and the grid's cells: a distance in metres and a count, never mixed up.
    // NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
    State(const Ring& outline, const std::vector<Ring>& holes, std::vector<PlanPoint> at, double r,
          std::size_t cells)
        : paths(counterClockwise(outline), holes),
          grid(paths, outline, cells),
          reach(r),
          points(std::move(at)),
          inRoom(points.size(), 0),
          edges(points.size()),
          middles(middlePoints(), grid.nodes.cell * 8, reach, points.size()),
          demand(demandPoints(), 1, 1.5 * reach, points.size()) {
        for (std::size_t k = 0; k < points.size(); ++k) {
            place(k);
        }
    }

    std::vector<PlanPoint> middlePoints() {
        std::vector<PlanPoint> found;
        const Nodes& nodes = grid.nodes;
        middleOf.assign((nodes.columns - 1) * (nodes.rows - 1), NearestProbes::kNone);
        for (std::size_t j = 0; j + 1 < nodes.rows; ++j) {
            for (std::size_t i = 0; i + 1 < nodes.columns; ++i) {
                const PlanPoint middle{
                    nodes.origin.x + (static_cast<double>(i) + 0.5) * nodes.cell,
                    nodes.origin.y + (static_cast<double>(j) + 0.5) * nodes.cell};
                if (paths.contains(middle)) {
                    middleOf[j * (nodes.columns - 1) + i] = found.size();
                    found.push_back(middle);
                }
            }
        }
        return found;
    }

    // The proof's demand points (placing::check()).
    [[nodiscard]] std::vector<PlanPoint> demandPoints() const {
        const placing::Grid spots(paths.outline(), kDemandSpacing);
        std::vector<PlanPoint> found = placing::wallPoints(paths.rings(), kDemandSpacing);
        for (std::size_t j = 0; j <= spots.ny; ++j) {
            for (std::size_t i = 0; i <= spots.nx; ++i) {
                if (const PlanPoint p = spots.node(i, j); paths.contains(p)) {
                    found.push_back(p);
                }
            }
        }
        return found;
    }

    // Works out what the point of that index reaches where it is now.
    void place(std::size_t k) {
        edges[k].clear();
        inRoom[k] = paths.contains(points[k]) ? 1 : 0;
        if (inRoom[k] == 0) {
            middles.place(k, nullptr, points[k]);
            demand.place(k, nullptr, points[k]);
            return;
        }
        const DistanceField field(paths, {points[k]});
        grid.reachValues(field, points[k], reach, values);
        contour(grid.nodes, values, edges[k]);
        middles.place(k, &field, points[k]);
        demand.place(k, &field, points[k]);
    }
};

ReachTracker::ReachTracker(const Ring& outline, const std::vector<Ring>& holes,
                           const std::vector<PlanPoint>& points, double reach, std::size_t cells)
    : state_(std::make_unique<State>(outline, holes, points, reach, cells)) {}

ReachTracker::~ReachTracker() = default;

void ReachTracker::move(std::size_t index, PlanPoint to) {
    if (index < state_->points.size()) {
        state_->points[index] = to;
        state_->place(index);
    }
}

const std::vector<PlanPoint>& ReachTracker::points() const {
    return state_->points;
}

ReachMap ReachTracker::map() const {
    const State& s = *state_;
    ReachMap map;
    map.cell = s.grid.nodes.cell;
    map.edges = s.edges;
    const std::size_t columns = s.grid.nodes.columns - 1;
    map.uncovered = uncoveredCells(s.grid.nodes, [&](std::size_t i, std::size_t j, PlanPoint) {
        const std::size_t middle = s.middleOf[j * columns + i];
        return middle != NearestProbes::kNone && s.middles.nearest(middle) > s.reach;
    });
    return map;
}

bool ReachTracker::proven() const {
    const State& s = *state_;
    if (s.points.empty() || std::ranges::count(s.inRoom, 0) > 0) {
        return false;
    }
    const double allowed = s.reach - kDemandMargin;
    return std::ranges::all_of(s.demand.distances(), [allowed](double d) { return d <= allowed; });
}

double ReachTracker::farthest() const {
    const State& s = *state_;
    if (s.points.empty() || std::ranges::count(s.inRoom, 0) > 0) {
        return kUnreachable;
    }
    const std::vector<double>& distances = s.demand.distances();
    double farthest = 0;
    std::optional<DistanceField> all;  // for the places beyond the distances kept
    for (std::size_t p = 0; p < distances.size(); ++p) {
        double d = distances[p];
        if (d == kUnreachable) {
            if (!all) {
                all.emplace(s.paths, s.points);
            }
            d = all->at(s.demand.probes()[p]);
        }
        farthest = std::max(farthest, d);
    }
    return farthest + kDemandMargin;
}

}  // namespace core
