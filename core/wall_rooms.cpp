#include "wall_rooms.h"

#include <algorithm>
#include <boost/geometry/algorithms/intersects.hpp>
#include <boost/geometry/geometries/segment.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <cmath>
#include <cstdint>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <numbers>
#include <numeric>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "plan_geometry.h"
#include "plan_vectors.h"
#include "room_names.h"

namespace core {

namespace {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

using Entry = std::pair<GeometryBox, std::size_t>;
using BoxTree = bgi::rtree<Entry, bgi::rstar<16>>;
using PointEntry = std::pair<PlanPoint, std::size_t>;
using PointTree = bgi::rtree<PointEntry, bgi::rstar<16>>;
using Segment = bg::model::segment<PlanPoint>;

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
// Directions within 1° are one: the cosine and sine of 1°.
const double kCosOneDegree = std::cos(std::numbers::pi / 180);
const double kSinOneDegree = std::sin(std::numbers::pi / 180);
// Wall ends this far (in metres) to either side of a door's or window's line are in its wall, and
// ends this far beyond its ends along it still in its opening.
constexpr double kWallBand = 0.6;
constexpr double kOpeningSlack = 0.15;
// Wall ends farther apart than this, in metres, are joined by no door or window.
constexpr double kWidestOpening = 12;
// The two leaves of a double door meet within this, in metres.
constexpr double kLeavesMeet = 0.05;
// The steps in which the rooms beside a door are sought.
constexpr int kSideSteps = 20;
// Vertices closer than this (in metres) are one in a room's rings.
constexpr double kRepeatTolerance = 1e-6;

bool finite(PlanPoint p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}
// The angle in [-π, π].
double normalised(double angle) {
    return std::remainder(angle, 2 * std::numbers::pi);
}

GeometryBox boxAround(PlanPoint a, PlanPoint b, double margin) {
    return {{std::min(a.x, b.x) - margin, std::min(a.y, b.y) - margin},
            {std::max(a.x, b.x) + margin, std::max(a.y, b.y) + margin}};
}

// A straight piece to be joined: a wall's line, a chord of a wall's arc, or an edge of a door
// outline (whose ends are no wall ends).
struct Piece {
    PlanPoint a;
    PlanPoint b;
    std::size_t arc = kNone;
    bool wallLine = true;
};

// The circle of an arc whose chords are pieces.
struct Arc {
    PlanPoint centre;
};

void addWall(const WallPiece& wall, double sagitta, std::vector<Piece>& pieces,
             std::vector<Arc>& arcs) {
    if (!finite(wall.a) || !finite(wall.b) || wall.a == wall.b) {
        return;
    }
    if (wall.bulge == 0 || !std::isfinite(wall.bulge)) {
        pieces.push_back({wall.a, wall.b});
        return;
    }
    const double theta = 4 * std::atan(wall.bulge);
    const PlanPoint chord = wall.b - wall.a;
    const double half = length(chord) / 2;
    const double radius = std::abs(half / std::sin(theta / 2));
    const PlanPoint centre = arcCentre(wall.a, wall.b, wall.bulge);
    const double step = sagitta < radius ? 2 * std::acos(1 - sagitta / radius) : std::numbers::pi;
    const auto count = static_cast<std::size_t>(
        std::clamp(std::ceil(std::abs(theta) / step), 1.0, static_cast<double>(kMaxChordsPerArc)));
    const PlanPoint from = wall.a - centre;
    const double start = std::atan2(from.y, from.x);
    arcs.push_back({centre});
    PlanPoint previous = wall.a;
    for (std::size_t k = 1; k <= count; ++k) {
        const double angle = start + theta * static_cast<double>(k) / static_cast<double>(count);
        const PlanPoint next =
            k == count ? wall.b : centre + PlanPoint{std::cos(angle), std::sin(angle)} * radius;
        pieces.push_back({previous, next, arcs.size() - 1});
        previous = next;
    }
}

struct Edge {
    std::size_t from = 0;
    std::size_t to = 0;
    std::size_t arc = kNone;
    bool wallLine = true;
};

// The joined pieces: their points and the edges between them.
struct Graph {
    std::vector<PlanPoint> nodes;
    std::vector<Edge> edges;
};

// Union-find over point indices, each set's root its smallest member.
struct Sets {
    std::vector<std::size_t> parent;

    explicit Sets(std::size_t count) : parent(count) {
        std::iota(parent.begin(), parent.end(), std::size_t{0});
    }
    std::size_t root(std::size_t i) {
        while (parent[i] != i) {
            parent[i] = parent[parent[i]];
            i = parent[i];
        }
        return i;
    }
    void join(std::size_t a, std::size_t b) {
        a = root(a);
        b = root(b);
        if (a != b) {
            parent[std::max(a, b)] = std::min(a, b);
        }
    }
};

// The points within `tolerance` of each other joined, through a grid of cells that wide.
void joinNear(const std::vector<PlanPoint>& points, double tolerance, Sets& sets) {
    const auto cellOf = [tolerance](double v) {
        // Far-off points share the outermost cells rather than overflow.
        return static_cast<std::int64_t>(std::clamp(std::floor(v / tolerance), -4e18, 4e18));
    };
    const auto key = [](std::int64_t x, std::int64_t y) {
        return static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ULL ^
               static_cast<std::uint64_t>(y);
    };
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> cells;
    cells.reserve(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::int64_t cx = cellOf(points[i].x);
        const std::int64_t cy = cellOf(points[i].y);
        for (std::int64_t dx = -1; dx <= 1; ++dx) {
            for (std::int64_t dy = -1; dy <= 1; ++dy) {
                const auto found = cells.find(key(cx + dx, cy + dy));
                if (found == cells.end()) {
                    continue;
                }
                for (const std::size_t j : found->second) {
                    if (length(points[i] - points[j]) <= tolerance) {
                        sets.join(i, j);
                    }
                }
            }
        }
        cells[key(cx, cy)].push_back(i);
    }
}

// The pieces split where an end of one lies within `tolerance` of another or where they cross,
// their ends within it joined, and each stretch between two points one edge.
Graph joined(const std::vector<Piece>& pieces, double tolerance) {
    std::vector<Entry> entries;
    entries.reserve(pieces.size());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        entries.emplace_back(boxAround(pieces[i].a, pieces[i].b, tolerance), i);
    }
    const BoxTree tree(entries);
    std::vector<std::vector<std::pair<double, PlanPoint>>> splits(pieces.size());
    const auto splitAt = [&](std::size_t i, PlanPoint end) {
        const Piece& piece = pieces[i];
        const PlanPoint along = piece.b - piece.a;
        const double t = dot(end - piece.a, along) / dot(along, along);
        if (t > 0 && t < 1) {
            const PlanPoint foot = piece.a + along * t;
            if (length(end - foot) <= tolerance) {
                splits[i].emplace_back(t, foot);
            }
        }
    };
    std::vector<Entry> found;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        found.clear();
        tree.query(bgi::intersects(entries[i].first), std::back_inserter(found));
        const Piece& p = pieces[i];
        for (const auto& [box, j] : found) {
            if (j <= i) {
                continue;
            }
            const Piece& q = pieces[j];
            splitAt(i, q.a);
            splitAt(i, q.b);
            splitAt(j, p.a);
            splitAt(j, p.b);
            const PlanPoint r = p.b - p.a;
            const PlanPoint s = q.b - q.a;
            const double d = cross(r, s);
            if (std::abs(d) <= 1e-12 * length(r) * length(s)) {
                continue;
            }
            const PlanPoint w = q.a - p.a;
            const double t = cross(w, s) / d;
            const double u = cross(w, r) / d;
            if (t > 0 && t < 1 && u > 0 && u < 1) {
                const PlanPoint at = p.a + r * t;
                splits[i].emplace_back(t, at);
                splits[j].emplace_back(u, at);
            }
        }
    }

    // The points where pieces were split come first, so that a joined point lies on the piece
    // that another's end stopped short of, not at that end.
    std::vector<PlanPoint> points;
    std::vector<std::vector<std::size_t>> runs(pieces.size());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        std::ranges::sort(splits[i], {}, &std::pair<double, PlanPoint>::first);
        for (const auto& split : splits[i]) {
            runs[i].push_back(points.size());
            points.push_back(split.second);
        }
    }
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        runs[i].insert(runs[i].begin(), points.size());
        points.push_back(pieces[i].a);
        runs[i].push_back(points.size());
        points.push_back(pieces[i].b);
    }
    Sets sets(points.size());
    joinNear(points, tolerance, sets);

    Graph graph;
    std::vector<std::size_t> nodeOf(points.size(), kNone);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::size_t root = sets.root(i);
        if (nodeOf[root] == kNone) {
            nodeOf[root] = graph.nodes.size();
            graph.nodes.push_back(points[root]);
        }
        nodeOf[i] = nodeOf[root];
    }
    std::unordered_set<std::uint64_t> seen;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        for (std::size_t k = 0; k + 1 < runs[i].size(); ++k) {
            const std::size_t a = nodeOf[runs[i][k]];
            const std::size_t b = nodeOf[runs[i][k + 1]];
            if (a != b && seen.insert((std::min(a, b) << 32U) ^ std::max(a, b)).second) {
                graph.edges.push_back({a, b, pieces[i].arc, pieces[i].wallLine});
            }
        }
    }
    return graph;
}

// The end of a straight wall line at a point where no edge goes on in its direction.
struct WallEnd {
    std::size_t node = 0;
    PlanPoint out;  // the direction beyond the end, a unit vector
    double pieceLength = 0;
};

std::vector<WallEnd> wallEnds(const Graph& graph) {
    std::vector<std::vector<std::pair<PlanPoint, std::size_t>>> leaving(graph.nodes.size());
    for (std::size_t e = 0; e < graph.edges.size(); ++e) {
        const Edge& edge = graph.edges[e];
        const PlanPoint d = unit(graph.nodes[edge.to] - graph.nodes[edge.from]);
        leaving[edge.from].emplace_back(d, e);
        leaving[edge.to].emplace_back(d * -1, e);
    }
    std::vector<WallEnd> ends;
    for (std::size_t n = 0; n < graph.nodes.size(); ++n) {
        for (const auto& [direction, e] : leaving[n]) {
            const Edge& edge = graph.edges[e];
            if (!edge.wallLine || edge.arc != kNone) {
                continue;
            }
            const PlanPoint out = direction * -1;
            const bool goesOn = std::ranges::any_of(leaving[n], [&](const auto& other) {
                return dot(other.first, out) >= kCosOneDegree;
            });
            if (!goesOn) {
                ends.push_back({n, out, length(graph.nodes[edge.to] - graph.nodes[edge.from])});
            }
        }
    }
    return ends;
}

struct EndPair {
    std::size_t a = 0;  // places among the wall ends
    std::size_t b = 0;
};

// The edges' boxes.
BoxTree edgeTreeOf(const Graph& graph) {
    std::vector<Entry> boxes;
    boxes.reserve(graph.edges.size());
    for (std::size_t e = 0; e < graph.edges.size(); ++e) {
        boxes.emplace_back(
            boxAround(graph.nodes[graph.edges[e].from], graph.nodes[graph.edges[e].to], 0), e);
    }
    return BoxTree(boxes);
}

// The pairs of wall ends that face each other within `reach`, each the other's nearest, with no
// edge between them.
std::vector<EndPair> facingEnds(const Graph& graph, const BoxTree& edgeTree,
                                const std::vector<WallEnd>& ends, double reach, double tolerance) {
    std::vector<PointEntry> points;
    points.reserve(ends.size());
    for (std::size_t i = 0; i < ends.size(); ++i) {
        points.emplace_back(graph.nodes[ends[i].node], i);
    }
    const PointTree tree(points);
    std::vector<std::size_t> nearest(ends.size(), kNone);
    std::vector<PointEntry> found;
    for (std::size_t i = 0; i < ends.size(); ++i) {
        const PlanPoint at = graph.nodes[ends[i].node];
        const PlanPoint out = ends[i].out;
        found.clear();
        tree.query(bgi::intersects(boxAround(at, at + out * reach, tolerance)),
                   std::back_inserter(found));
        double best = reach;
        for (const auto& [point, j] : found) {
            const PlanPoint v = point - at;
            const double along = dot(v, out);
            if (ends[j].node == ends[i].node || along <= 0 || along > best ||
                std::abs(cross(out, v)) > tolerance || dot(ends[j].out, out) > -kCosOneDegree) {
                continue;
            }
            best = along;
            nearest[i] = j;
        }
    }
    std::vector<EndPair> pairs;
    std::vector<Entry> crossing;
    std::unordered_set<std::uint64_t> joinedPoints;
    for (std::size_t i = 0; i < ends.size(); ++i) {
        const std::size_t j = nearest[i];
        if (j == kNone || j < i || nearest[j] != i) {
            continue;
        }
        const std::size_t na = ends[i].node;
        const std::size_t nb = ends[j].node;
        const Segment gap(graph.nodes[na], graph.nodes[nb]);
        crossing.clear();
        edgeTree.query(bgi::intersects(boxAround(gap.first, gap.second, 0)),
                       std::back_inserter(crossing));
        // An edge from either end blocks the gap where it runs along it, any other where it
        // touches it.
        const PlanPoint span = unit(gap.second - gap.first);
        const double width = length(gap.second - gap.first);
        const auto onGap = [&](std::size_t node) {
            const PlanPoint v = graph.nodes[node] - gap.first;
            const double t = dot(v, span);
            return node != na && node != nb && t > 0 && t < width &&
                   std::abs(cross(span, v)) <= tolerance;
        };
        const bool blocked = std::ranges::any_of(crossing, [&](const Entry& entry) {
            const Edge& edge = graph.edges[entry.second];
            if (edge.from == na || edge.from == nb || edge.to == na || edge.to == nb) {
                return (edge.from == na && edge.to == nb) || (edge.from == nb && edge.to == na) ||
                       onGap(edge.from) || onGap(edge.to);
            }
            return bg::intersects(gap, Segment(graph.nodes[edge.from], graph.nodes[edge.to]));
        });
        // Points with two ends each (pieces within 1° of each other) are joined once.
        if (!blocked && joinedPoints.insert((std::min(na, nb) << 32U) ^ std::max(na, nb)).second) {
            pairs.push_back({i, j});
        }
    }
    return pairs;
}

// An opening along a wall: from `from` to `to`.
struct Opening {
    PlanPoint from;
    PlanPoint to;
};

// The pairs of ends (places among `pairs`) that lie along the opening.
std::vector<std::size_t> pairsAlong(const Opening& opening, const std::vector<EndPair>& pairs,
                                    const std::vector<WallEnd>& ends, const Graph& graph,
                                    const BoxTree& pairTree) {
    const PlanPoint span = opening.to - opening.from;
    const double width = length(span);
    const PlanPoint d = unit(span);
    std::vector<Entry> found;
    pairTree.query(bgi::intersects(boxAround(opening.from, opening.to, kWallBand + kOpeningSlack)),
                   std::back_inserter(found));
    std::vector<std::size_t> along;
    for (const auto& [box, p] : found) {
        const WallEnd& a = ends[pairs[p].a];
        if (std::abs(cross(a.out, d)) > 2 * kSinOneDegree) {
            continue;
        }
        const auto inOpening = [&](const WallEnd& end) {
            const PlanPoint v = graph.nodes[end.node] - opening.from;
            const double t = dot(v, d);
            return t >= -kOpeningSlack && t <= width + kOpeningSlack &&
                   std::abs(cross(d, v)) <= kWallBand;
        };
        if (inOpening(a) && inOpening(ends[pairs[p].b])) {
            along.push_back(p);
        }
    }
    std::ranges::sort(along);
    return along;
}

int swingOf(const Opening& opening, PlanPoint leaf) {
    return cross(opening.to - opening.from, leaf - opening.from) > 0 ? 1 : -1;
}

// The wall lines (no door outline's edges) that run along the opening for more than half its
// width, within kWallBand of it.
std::size_t wallsAlong(const Opening& opening, const Graph& graph, const BoxTree& edgeTree) {
    const PlanPoint span = opening.to - opening.from;
    const double width = length(span);
    const PlanPoint d = unit(span);
    std::vector<Entry> found;
    edgeTree.query(bgi::intersects(boxAround(opening.from, opening.to, kWallBand)),
                   std::back_inserter(found));
    return static_cast<std::size_t>(std::ranges::count_if(found, [&](const Entry& entry) {
        const Edge& edge = graph.edges[entry.second];
        const PlanPoint a = graph.nodes[edge.from] - opening.from;
        const PlanPoint b = graph.nodes[edge.to] - opening.from;
        const double t0 = std::min(dot(a, d), dot(b, d));
        const double t1 = std::max(dot(a, d), dot(b, d));
        return edge.wallLine && std::abs(cross(unit(b - a), d)) <= 2 * kSinOneDegree &&
               std::abs(cross(d, a)) <= kWallBand &&
               std::min(t1, width) - std::max(t0, 0.0) > width / 2;
    }));
}

// The opening of a door outline: its middle line along its longest edge's direction.
Opening outlineOpening(const Ring& outline) {
    PlanPoint d{1, 0};
    double longest = 0;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const PlanPoint edge = outline[(i + 1) % outline.size()] - outline[i];
        if (length(edge) > longest) {
            longest = length(edge);
            d = unit(edge);
        }
    }
    const PlanPoint n = leftOf(d);
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    double right = std::numeric_limits<double>::infinity();
    double left = -std::numeric_limits<double>::infinity();
    for (const PlanPoint p : outline) {
        low = std::min(low, dot(p, d));
        high = std::max(high, dot(p, d));
        right = std::min(right, dot(p, n));
        left = std::max(left, dot(p, n));
    }
    const double middle = (left + right) / 2;
    return {d * low + n * middle, d * high + n * middle};
}

// The edges that lie on no cycle: dangling lines and the lines between separate groups.
std::vector<bool> bridges(const Graph& graph) {
    const std::size_t count = graph.nodes.size();
    std::vector<std::vector<std::pair<std::size_t, std::size_t>>> adjacent(count);
    for (std::size_t e = 0; e < graph.edges.size(); ++e) {
        adjacent[graph.edges[e].from].emplace_back(graph.edges[e].to, e);
        adjacent[graph.edges[e].to].emplace_back(graph.edges[e].from, e);
    }
    std::vector<std::size_t> order(count, kNone);
    std::vector<std::size_t> low(count, 0);
    std::vector<bool> result(graph.edges.size(), false);
    std::size_t time = 0;
    struct Visit {
        std::size_t node;
        std::size_t viaEdge;
        std::size_t next;
    };
    std::vector<Visit> stack;
    for (std::size_t start = 0; start < count; ++start) {
        if (order[start] != kNone) {
            continue;
        }
        order[start] = low[start] = time++;
        stack.push_back({start, kNone, 0});
        while (!stack.empty()) {
            Visit& visit = stack.back();
            if (visit.next < adjacent[visit.node].size()) {
                const auto [to, e] = adjacent[visit.node][visit.next++];
                if (e == visit.viaEdge) {
                    continue;
                }
                if (order[to] == kNone) {
                    order[to] = low[to] = time++;
                    stack.push_back({to, e, 0});
                } else {
                    low[visit.node] = std::min(low[visit.node], order[to]);
                }
                continue;
            }
            const Visit done = visit;
            stack.pop_back();
            if (!stack.empty()) {
                const std::size_t parent = stack.back().node;
                low[parent] = std::min(low[parent], low[done.node]);
                if (low[done.node] > order[parent]) {
                    result[done.viaEdge] = true;
                }
            }
        }
    }
    return result;
}

// A simple cycle of the arrangement, with the region on its left: a face's outline
// (counter-clockwise), or the outline of what lies in a face (clockwise).
struct Cycle {
    std::vector<BulgeVertex> curve;  // its arcs as bulges
    Ring ring;                       // through the points of the arrangement
    double area = 0;                 // of the curve, signed
    double perimeter = 0;
};

// The faces of the edges kept, each edge's two sides once.
std::vector<Cycle> cycles(const Graph& graph, const std::vector<bool>& kept,
                          const std::vector<Arc>& arcs) {
    const std::size_t halfEdges = 2 * graph.edges.size();
    const auto origin = [&](std::size_t h) {
        const Edge& edge = graph.edges[h / 2];
        return h % 2 == 0 ? edge.from : edge.to;
    };
    std::vector<std::vector<std::size_t>> leaving(graph.nodes.size());
    std::vector<double> angle(halfEdges, 0);
    for (std::size_t h = 0; h < halfEdges; ++h) {
        if (!kept[h / 2]) {
            continue;
        }
        const PlanPoint d = graph.nodes[origin(h ^ 1U)] - graph.nodes[origin(h)];
        angle[h] = std::atan2(d.y, d.x);
        leaving[origin(h)].push_back(h);
    }
    std::vector<std::size_t> slot(halfEdges, 0);
    for (auto& around : leaving) {
        std::ranges::sort(around, [&](std::size_t a, std::size_t b) {
            return angle[a] < angle[b] || (angle[a] == angle[b] && a < b);
        });
        for (std::size_t k = 0; k < around.size(); ++k) {
            slot[around[k]] = k;
        }
    }
    // The turn of an arc's chord about the arc's centre, counter-clockwise positive.
    const auto turn = [&](std::size_t h) {
        const std::size_t arc = graph.edges[h / 2].arc;
        if (arc == kNone) {
            return 0.0;
        }
        const PlanPoint from = graph.nodes[origin(h)] - arcs[arc].centre;
        const PlanPoint to = graph.nodes[origin(h ^ 1U)] - arcs[arc].centre;
        return normalised(std::atan2(to.y, to.x) - std::atan2(from.y, from.x));
    };
    // The cycle of a simple loop of half-edges; chords of one arc in a row are one arc, from a
    // point where the arc begins.
    const auto cycleOf = [&](const std::vector<std::size_t>& walk) {
        const auto arcOf = [&](std::size_t k) { return graph.edges[walk[k] / 2].arc; };
        std::size_t first = 0;
        while (first < walk.size() && arcOf(first) != kNone &&
               arcOf(first) == arcOf((first + walk.size() - 1) % walk.size())) {
            ++first;
        }
        first = first == walk.size() ? 0 : first;
        Cycle cycle;
        std::vector<double> turns;
        for (std::size_t k = 0; k < walk.size(); ++k) {
            const std::size_t i = (first + k) % walk.size();
            const std::size_t h = walk[i];
            const PlanPoint at = graph.nodes[origin(h)];
            cycle.ring.push_back(at);
            cycle.perimeter += length(graph.nodes[origin(h ^ 1U)] - at);
            const double t = turn(h);
            if (k > 0 && arcOf(i) != kNone &&
                arcOf(i) == arcOf((i + walk.size() - 1) % walk.size()) &&
                std::abs(turns.back() + t) < 1.5 * std::numbers::pi) {
                turns.back() += t;
                continue;
            }
            cycle.curve.push_back({at, 0});
            turns.push_back(t);
        }
        for (std::size_t k = 0; k < turns.size(); ++k) {
            cycle.curve[k].bulge = std::tan(turns[k] / 4);
        }
        cycle.area = signedBulgeArea(cycle.curve);
        return cycle;
    };
    std::vector<bool> visited(halfEdges, false);
    std::vector<Cycle> result;
    std::vector<std::size_t> walk;
    std::vector<std::size_t> loop;
    std::unordered_map<std::size_t, std::size_t> placeOf;  // of each point in `loop`
    for (std::size_t start = 0; start < halfEdges; ++start) {
        if (!kept[start / 2] || visited[start]) {
            continue;
        }
        walk.clear();
        for (std::size_t h = start; !visited[h];) {
            visited[h] = true;
            walk.push_back(h);
            const std::vector<std::size_t>& around = leaving[origin(h ^ 1U)];
            h = around[(slot[h ^ 1U] + around.size() - 1) % around.size()];
        }
        // A walk that passes a point twice is split there into loops, each simple: the lobes of
        // a face that touches itself, and the outlines of what touches it from inside.
        loop.clear();
        placeOf.clear();
        for (const std::size_t h : walk) {
            if (const auto seen = placeOf.find(origin(h)); seen != placeOf.end()) {
                const auto from = loop.begin() + static_cast<std::ptrdiff_t>(seen->second);
                for (auto k = from; k != loop.end(); ++k) {
                    placeOf.erase(origin(*k));
                }
                result.push_back(cycleOf({from, loop.end()}));
                loop.erase(from, loop.end());
            }
            placeOf[origin(h)] = loop.size();
            loop.push_back(h);
        }
        result.push_back(cycleOf(loop));
    }
    return result;
}

// The ring's lowest point, leftmost of the lowest.
std::pair<double, double> lowest(const Ring& ring) {
    std::pair<double, double> low{std::numeric_limits<double>::infinity(), 0};
    for (const PlanPoint p : ring) {
        low = std::min(low, std::pair{p.y, p.x});
    }
    return low;
}

// The curve run the other way.
std::vector<BulgeVertex> reversed(const std::vector<BulgeVertex>& curve) {
    const std::size_t n = curve.size();
    std::vector<BulgeVertex> result(n);
    for (std::size_t k = 0; k < n; ++k) {
        result[k] = {curve[n - 1 - k].at, -curve[(2 * n - 2 - k) % n].bulge};
    }
    return result;
}

}  // namespace

SwingOpening doorOutlineOpening(const Ring& outline) {
    const Opening opening = outlineOpening(outline);
    return {opening.from, opening.to, 0};
}

std::optional<SwingOpening> swingOpening(
    const DoorCandidate& door, const std::function<OpeningFit(PlanPoint, PlanPoint)>& fit) {
    if (door.swings.empty()) {
        return std::nullopt;
    }
    const SwingArc& first = door.swings.front();
    // Two arcs about one hinge are one leaf's swing drawn in pieces (a whole circle in halves).
    if (door.swings.size() >= 2 && length(door.swings[1].centre - first.centre) > kLeavesMeet) {
        const SwingArc& second = door.swings[1];
        for (const PlanPoint mine : {first.start, first.end}) {
            for (const PlanPoint theirs : {second.start, second.end}) {
                if (length(mine - theirs) <= kLeavesMeet) {
                    const Opening opening{first.centre, second.centre};
                    const PlanPoint leaf = mine == first.start ? first.end : first.start;
                    return SwingOpening{opening.from, opening.to, swingOf(opening, leaf)};
                }
            }
        }
    }
    const OpeningFit alongStart = fit(first.centre, first.start);
    const OpeningFit alongEnd = fit(first.centre, first.end);
    if (std::max(alongStart, alongEnd) == OpeningFit{0, 0}) {
        return std::nullopt;
    }
    return alongStart >= alongEnd ? SwingOpening{first.centre, first.start,
                                                 swingOf({first.centre, first.start}, first.end)}
                                  : SwingOpening{first.centre, first.end,
                                                 swingOf({first.centre, first.end}, first.start)};
}

WallRooms findWallRooms(const WallInput& input) {
    const double tolerance = input.tolerance > 0 ? input.tolerance : 1e-9;
    std::vector<Piece> pieces;
    std::vector<Arc> arcs;
    for (const WallPiece& wall : input.walls) {
        addWall(wall, tolerance / 2, pieces, arcs);
    }
    for (const DoorOutline& door : input.doorOutlines) {
        for (std::size_t i = 0; i < door.outline.size(); ++i) {
            const PlanPoint a = door.outline[i];
            const PlanPoint b = door.outline[(i + 1) % door.outline.size()];
            if (finite(a) && finite(b) && a != b) {
                pieces.push_back({a, b, kNone, false});
            }
        }
    }
    Graph graph = joined(pieces, tolerance);

    // The gaps between wall ends, and the doors and windows along them.
    double reach = kWidestGap;
    for (const DoorCandidate& door : input.doors) {
        for (const SwingArc& swing : door.swings) {
            reach = std::max(reach, 2 * swing.radius + 2 * kOpeningSlack);
        }
    }
    for (const WindowCandidate& window : input.windows) {
        reach = std::max(reach, length(window.b - window.a) + 2 * kOpeningSlack);
    }
    reach = std::min(reach, kWidestOpening);
    const std::vector<WallEnd> ends = wallEnds(graph);
    const BoxTree edgeTree = edgeTreeOf(graph);
    const std::vector<EndPair> pairs = facingEnds(graph, edgeTree, ends, reach, tolerance);
    std::vector<Entry> pairBoxes;
    pairBoxes.reserve(pairs.size());
    for (std::size_t p = 0; p < pairs.size(); ++p) {
        pairBoxes.emplace_back(
            boxAround(graph.nodes[ends[pairs[p].a].node], graph.nodes[ends[pairs[p].b].node], 0),
            p);
    }
    const BoxTree pairTree(pairBoxes);
    const auto along = [&](const Opening& opening) {
        return pairsAlong(opening, pairs, ends, graph, pairTree);
    };
    std::vector<std::optional<ClosedGap::By>> closedBy(pairs.size());
    WallRooms result;
    std::vector<std::pair<Opening, std::size_t>> doorOpenings;  // with the place of its door
    for (const DoorCandidate& door : input.doors) {
        // How much lies along an opening: pairs of wall ends, and wall lines that run across it.
        const std::optional<SwingOpening> found =
            swingOpening(door, [&](PlanPoint from, PlanPoint to) {
                const Opening opening{from, to};
                return OpeningFit{along(opening).size(), wallsAlong(opening, graph, edgeTree)};
            });
        if (!found) {
            continue;
        }
        const Opening opening{found->hinge, found->end};
        for (const std::size_t p : along(opening)) {
            closedBy[p] = ClosedGap::By::Door;
        }
        doorOpenings.emplace_back(opening, result.doors.size());
        result.doors.push_back({door.handle, found->hinge, found->end, found->swing, {}});
    }
    for (const DoorOutline& door : input.doorOutlines) {
        if (door.outline.size() < 2) {
            continue;
        }
        const Opening opening = outlineOpening(door.outline);
        if (finite(opening.from) && finite(opening.to)) {
            doorOpenings.emplace_back(opening, result.doors.size());
            result.doors.push_back({door.handle, opening.from, opening.to, 0, {}});
        }
    }
    for (const WindowCandidate& window : input.windows) {
        for (const std::size_t p : along({window.a, window.b})) {
            closedBy[p] = closedBy[p].value_or(ClosedGap::By::Window);
        }
    }
    for (std::size_t p = 0; p < pairs.size(); ++p) {
        const WallEnd& a = ends[pairs[p].a];
        const WallEnd& b = ends[pairs[p].b];
        const double width = length(graph.nodes[a.node] - graph.nodes[b.node]);
        if (!closedBy[p] && width >= kNarrowestGap && width <= kWidestGap &&
            std::max(a.pieceLength, b.pieceLength) > kNarrowestGap) {
            closedBy[p] = ClosedGap::By::Nothing;
        }
        if (closedBy[p]) {
            graph.edges.push_back({a.node, b.node, kNone, false});
            result.gaps.push_back({graph.nodes[a.node], graph.nodes[b.node], *closedBy[p]});
        }
    }

    // The faces, and the outlines of what lies in them.
    std::vector<bool> kept = bridges(graph);
    kept.flip();
    const std::vector<Cycle> all = cycles(graph, kept, arcs);
    std::vector<std::size_t> faces;
    std::vector<std::size_t> outlines;  // of what lies in a face
    std::vector<Entry> faceBoxes;
    for (std::size_t c = 0; c < all.size(); ++c) {
        if (all[c].area > 0) {
            faceBoxes.emplace_back(geometryBox(bounds(all[c].ring)), faces.size());
            faces.push_back(c);
        } else {
            outlines.push_back(c);
        }
    }
    const BoxTree faceTree(faceBoxes);
    // The smallest face (place among `faces`) that holds the point.
    const auto faceAt = [&](PlanPoint at) {
        std::vector<Entry> found;
        faceTree.query(bgi::intersects(at), std::back_inserter(found));
        std::optional<std::size_t> best;
        for (const auto& [box, f] : found) {
            const Cycle& face = all[faces[f]];
            if (coveredBy(at, face.ring) && (!best || face.area < all[faces[*best]].area)) {
                best = f;
            }
        }
        return best;
    };
    // Each outline is a hole of the face just beside its longest edge, on its outer side.
    std::vector<std::vector<std::size_t>> holes(faces.size());
    // The holes by their lowest points, with the faces they stand in.
    std::multimap<std::pair<double, double>, std::pair<std::size_t, std::size_t>> held;
    for (const std::size_t c : outlines) {
        const Ring& ring = all[c].ring;
        std::size_t longest = 0;
        for (std::size_t k = 1; k < ring.size(); ++k) {
            if (length(ring[(k + 1) % ring.size()] - ring[k]) >
                length(ring[(longest + 1) % ring.size()] - ring[longest])) {
                longest = k;
            }
        }
        const PlanPoint a = ring[longest];
        const PlanPoint edge = ring[(longest + 1) % ring.size()] - a;
        const PlanPoint beside =
            a + edge * 0.5 + leftOf(unit(edge)) * (0.1 * std::min(tolerance, length(edge)));
        if (const auto face = faceAt(beside)) {
            holes[*face].push_back(c);
            held.emplace(lowest(ring), std::pair{c, *face});
        }
    }
    // A face's area and perimeter less its holes', and the width of the rectangle of both: a
    // wall's for a run of wall thickness, whatever its corners, and a closet's side for a closet.
    const auto measures = [&](std::size_t f) {
        double area = all[faces[f]].area;
        double perimeter = all[faces[f]].perimeter;
        for (const std::size_t hole : holes[f]) {
            area -= std::abs(all[hole].area);
            perimeter += all[hole].perimeter;
        }
        const double half = perimeter / 2;
        return std::tuple{area, perimeter,
                          (half - std::sqrt(std::max(half * half - 4 * area, 0.0))) / 2};
    };
    // A face that is all of what stands free in a face other than wall thickness, with no hole of
    // its own, is a column or a shaft: by its lowest point, the same loop run the other way.
    const auto standsFree = [&](const Cycle& face) {
        const auto [from, to] = held.equal_range(lowest(face.ring));
        return std::any_of(from, to, [&](const auto& entry) {
            const Cycle& outline = all[entry.second.first];
            return outline.ring.size() == face.ring.size() &&
                   std::abs(outline.area + face.area) <= 1e-9 * face.area &&
                   std::get<2>(measures(entry.second.second)) >= kThinnestRoom + tolerance;
        });
    };
    std::vector<std::optional<std::size_t>> names(faces.size());
    std::vector<std::string> textNames(input.texts.size());
    for (std::size_t t = 0; t < input.texts.size(); ++t) {
        textNames[t] = roomNameOf(input.texts[t].text);
        if (textNames[t].empty() || !finite(input.texts[t].at)) {
            continue;
        }
        if (const auto face = faceAt(input.texts[t].at)) {
            keepTallest(names[*face], t, input.texts);
        }
    }

    // The faces that are rooms.
    std::vector<Entry> roomBoxes;
    std::size_t unnamed = 0;
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const Cycle& face = all[faces[f]];
        const auto [area, perimeter, width] = measures(f);
        const std::string name = names[f] ? textNames[*names[f]] : std::string();
        // A wall as thick as kThinnestRoom is wall too, whatever the rounding of its width.
        const bool thin =
            width < kThinnestRoom + tolerance && (name.empty() || perimeter / 2 > kLongestThinRoom);
        const bool solid = holes[f].empty() && name.empty() && standsFree(face);
        if (area < kSmallestRoom || area > kLargestRoom || thin || solid || isVoidName(name)) {
            continue;
        }
        PlanRoomInput room{
            name, "", "",
            withoutRepeats(flattenBulges(face.curve, kOutlineSagitta, ChordSide::Outside),
                           kRepeatTolerance),
            areaRoundedUp(area)};
        // Chords outside an arc that cut across the outline near it: the arrangement's own.
        if (ringFault(room.outline) != RingFault::None) {
            room.outline = withoutRepeats(face.ring, kRepeatTolerance);
            if (ringFault(room.outline) != RingFault::None) {
                continue;
            }
        }
        room.outline = counterClockwise(std::move(room.outline));
        for (const std::size_t hole : holes[f]) {
            // As the outline: the arrangement's chords where the hole's own cut across it or
            // leave the outline, and none for a hole too thin for any (a flat arc and its chord).
            Ring ring = withoutRepeats(
                flattenBulges(reversed(all[hole].curve), kOutlineSagitta, ChordSide::Inside),
                kRepeatTolerance);
            const auto sound = [&room](const Ring& candidate) {
                return ringFault(candidate) == RingFault::None &&
                       ringInside(candidate, room.outline);
            };
            if (!sound(ring)) {
                ring = withoutRepeats(all[hole].ring, kRepeatTolerance);
            }
            if (sound(ring)) {
                room.holes.push_back(counterClockwise(std::move(ring)));
            }
        }
        roomBoxes.emplace_back(geometryBox(bounds(room.outline)), result.rooms.size());
        result.unnamedNumbers.push_back(name.empty() ? ++unnamed : 0);
        result.rooms.push_back(std::move(room));
    }

    // The rooms beside each door's opening.
    const BoxTree roomTree(roomBoxes);
    const auto roomAt = [&](PlanPoint at) -> std::optional<std::size_t> {
        std::vector<Entry> found;
        roomTree.query(bgi::intersects(at), std::back_inserter(found));
        for (const auto& [box, r] : found) {
            const PlanRoomInput& room = result.rooms[r];
            if (inRoom(at, room.outline, room.holes)) {
                return r;
            }
        }
        return std::nullopt;
    };
    for (const auto& [opening, d] : doorOpenings) {
        const PlanPoint middle = (opening.from + opening.to) * 0.5;
        const PlanPoint left = leftOf(unit(opening.to - opening.from));
        for (std::size_t side = 0; side < 2; ++side) {
            const double sign = side == 0 ? 1 : -1;
            for (int k = 1; k <= kSideSteps && !result.doors[d].rooms[side]; ++k) {
                result.doors[d].rooms[side] =
                    roomAt(middle + left * (sign * kDoorSideReach * k / kSideSteps));
            }
        }
    }
    return result;
}

std::vector<ClosedGap> gapOpenings(const std::vector<ClosedGap>& gaps) {
    std::vector<ClosedGap> openings;
    std::vector<bool> taken(gaps.size(), false);
    for (std::size_t i = 0; i < gaps.size(); ++i) {
        if (taken[i]) {
            continue;
        }
        const ClosedGap& gap = gaps[i];
        const double dx = gap.b.x - gap.a.x;
        const double dy = gap.b.y - gap.a.y;
        const double width = std::hypot(dx, dy);
        ClosedGap opening = gap;
        for (std::size_t j = i + 1; j < gaps.size() && width > 0; ++j) {
            const ClosedGap& other = gaps[j];
            if (taken[j] || other.by != gap.by) {
                continue;
            }
            // The other's ends along the gap's line and across it, with the gap's a at 0.
            const auto along = [&](PlanPoint p) {
                return ((p.x - gap.a.x) * dx + (p.y - gap.a.y) * dy) / width;
            };
            const auto across = [&](PlanPoint p) {
                return ((p.y - gap.a.y) * dx - (p.x - gap.a.x) * dy) / width;
            };
            const double oa = along(other.a);
            const double ob = along(other.b);
            const double ca = across(other.a);
            const double cb = across(other.b);
            const double otherWidth = std::hypot(other.b.x - other.a.x, other.b.y - other.a.y);
            const bool parallel = std::abs(ca - cb) <= 0.01 * std::max(width, otherWidth) + 1e-9;
            const bool beside = std::abs(ca) <= kThinnestRoom + 1e-9 && std::abs(ca) > 0;
            const bool overlapping =
                std::min(std::max(oa, ob), width) > std::max(std::min(oa, ob), 0.0);
            if (!parallel || !beside || !overlapping) {
                continue;
            }
            taken[j] = true;
            // Along the middle of the wall, over the part the two share.
            const bool same = oa <= ob;
            const PlanPoint& nearA = same ? other.a : other.b;
            const PlanPoint& nearB = same ? other.b : other.a;
            opening.a = {(gap.a.x + nearA.x) / 2, (gap.a.y + nearA.y) / 2};
            opening.b = {(gap.b.x + nearB.x) / 2, (gap.b.y + nearB.y) / 2};
            break;
        }
        openings.push_back(opening);
    }
    return openings;
}

}  // namespace core
