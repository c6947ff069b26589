#include "reach_map.h"

#include <algorithm>
#include <cmath>

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
    const PlanBox box = bounds(outline);
    const double width = box.max.x - box.min.x;
    const double height = box.max.y - box.min.y;
    constexpr double kFinest = 0.05;
    map.cell = std::max(
        kFinest, std::sqrt(width * height / static_cast<double>(std::max<std::size_t>(cells, 1))));
    // One cell of margin all round, so that a reach that ends at a wall closes outside it.
    Nodes nodes;
    nodes.cell = map.cell;
    nodes.origin = {box.min.x - map.cell, box.min.y - map.cell};
    nodes.columns = static_cast<std::size_t>(std::ceil(width / map.cell)) + 3;
    nodes.rows = static_cast<std::size_t>(std::ceil(height / map.cell)) + 3;
    std::vector<char> inside(nodes.columns * nodes.rows, 0);
    for (std::size_t j = 0; j < nodes.rows; ++j) {
        for (std::size_t i = 0; i < nodes.columns; ++i) {
            inside[nodes.index(i, j)] = paths.contains(nodes.at(i, j)) ? 1 : 0;
        }
    }
    std::vector<PlanPoint> sources;
    std::ranges::copy_if(points, std::back_inserter(sources),
                         [&paths](PlanPoint p) { return paths.contains(p); });
    // Beyond this the distances need not be exact: the line lies within a cell of the last
    // node that is.
    const double limit = reach + 2 * map.cell;
    std::vector<double> values(nodes.columns * nodes.rows);
    for (const PlanPoint source : points) {
        std::vector<std::array<PlanPoint, 2>>& edges = map.edges.emplace_back();
        if (!paths.contains(source)) {
            continue;
        }
        const DistanceField field(paths, {source});
        std::ranges::fill(values, limit);
        // Nothing beyond R in a straight line is within R by a path.
        const auto first = [&](double low, double origin) {
            return static_cast<std::size_t>(std::max(0.0, std::floor((low - origin) / map.cell)));
        };
        const std::size_t i0 = first(source.x - limit, nodes.origin.x);
        const std::size_t j0 = first(source.y - limit, nodes.origin.y);
        const std::size_t i1 =
            std::min(nodes.columns - 1, first(source.x + limit, nodes.origin.x) + 1);
        const std::size_t j1 =
            std::min(nodes.rows - 1, first(source.y + limit, nodes.origin.y) + 1);
        for (std::size_t j = j0; j <= j1; ++j) {
            for (std::size_t i = i0; i <= i1; ++i) {
                if (inside[nodes.index(i, j)] != 0) {
                    values[nodes.index(i, j)] = field.at(nodes.at(i, j), limit) - reach;
                }
            }
        }
        contour(nodes, values, edges);
    }
    // The cells' middles, row by row, nearest point first.
    const DistanceField field(paths, sources);
    for (std::size_t j = 0; j + 1 < nodes.rows; ++j) {
        const double y = nodes.origin.y + (static_cast<double>(j) + 0.5) * map.cell;
        bool open = false;
        for (std::size_t i = 0; i + 1 < nodes.columns; ++i) {
            const PlanPoint middle{nodes.origin.x + (static_cast<double>(i) + 0.5) * map.cell, y};
            const bool missed = paths.contains(middle) && field.at(middle, reach) > reach;
            if (missed && open) {
                map.uncovered.back().max.x = middle.x + map.cell / 2;
            } else if (missed) {
                map.uncovered.push_back({{middle.x - map.cell / 2, y - map.cell / 2},
                                         {middle.x + map.cell / 2, y + map.cell / 2}});
            }
            open = missed;
        }
    }
    return map;
}

}  // namespace core
