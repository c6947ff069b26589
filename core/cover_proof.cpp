#include "cover_proof.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <optional>

namespace core {

namespace placing {

double gap(PlanPoint a, PlanPoint b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

std::size_t steps(double length, double spacing) {
    return static_cast<std::size_t>(std::max(0.0, std::ceil(length / spacing - 1e-9)));
}

// Points along every wall (of the outline and the holes), at most `spacing` apart, the corners
// included.
std::vector<PlanPoint> wallPoints(const std::vector<Ring>& rings, double spacing) {
    std::vector<PlanPoint> points;
    for (const Ring& ring : rings) {
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const PlanPoint a = ring[i];
            const PlanPoint b = ring[(i + 1) % ring.size()];
            const std::size_t pieces = std::max<std::size_t>(1, steps(gap(a, b), spacing));
            for (std::size_t k = 0; k < pieces; ++k) {
                const double t = static_cast<double>(k) / static_cast<double>(pieces);
                points.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
            }
        }
    }
    return points;
}

CoverCheck check(const RoomPaths& paths, const std::vector<PlanPoint>& points, double reach,
                 std::vector<PlanPoint>* far, Progress* progress) {
    CoverCheck result;
    if (points.empty()) {
        result.farthest = kUnreachable;
        return result;
    }
    const DistanceField field(paths, points);
    const double allowed = reach - kDemandMargin;
    result.proven = true;
    result.shares.assign(points.size(), 0);
    const auto note = [&result](PlanPoint p, DistanceField::Nearest nearest) {
        double& share = result.shares[nearest.source];
        share = std::max(share, nearest.distance);
        if (nearest.distance > result.farthest) {
            result.farthest = nearest.distance;
            result.farthestAt = p;
        }
    };
    // The demand grid's nodes, which are nodes of the finer grid too; their exact distances
    // bound those of the finer nodes around them.
    const Grid grid(paths.outline(), kDemandSpacing);
    const std::size_t columns = grid.nx + 1;
    std::vector<double> node((grid.nx + 1) * (grid.ny + 1), -1);
    for (std::size_t j = 0; j <= grid.ny; ++j) {
        if (progress != nullptr) {
            progress->tick();
        }
        for (std::size_t i = 0; i <= grid.nx; ++i) {
            const PlanPoint p = grid.node(i, j);
            if (paths.contains(p)) {
                const DistanceField::Nearest nearest = field.nearest(p);
                node[j * columns + i] = nearest.distance;
                if (nearest.distance > allowed) {
                    result.proven = false;
                    if (far != nullptr) {
                        far->push_back(p);
                    }
                }
                note(p, nearest);
            }
        }
    }
    for (const PlanPoint p : wallPoints(paths.rings(), kDemandSpacing)) {
        if (field.at(p, allowed) > allowed) {
            result.proven = false;
            if (far != nullptr) {
                far->push_back(p);
            }
        }
    }
    for (const PlanPoint p : wallPoints(paths.rings(), kFarthestSpacing)) {
        note(p, field.nearest(p));
    }
    // Cells that a wall crosses or touches, to within kNear (far above the rounding here): for
    // each wall, row by row, the cells its piece in that row's band meets.
    constexpr double kNear = 1e-6;
    std::vector<bool> walled(grid.nx * grid.ny, false);
    const auto index = [&grid](double offset, std::size_t count) {
        const double at = std::floor(offset / grid.spacing);
        return static_cast<std::size_t>(std::clamp(at, 0.0, static_cast<double>(count - 1)));
    };
    for (const Ring& ring : paths.rings()) {
        for (std::size_t k = 0; k < ring.size(); ++k) {
            const PlanPoint a = ring[k];
            const PlanPoint b = ring[(k + 1) % ring.size()];
            const std::size_t lowest = index(std::min(a.y, b.y) - kNear - grid.origin.y, grid.ny);
            const std::size_t highest = index(std::max(a.y, b.y) + kNear - grid.origin.y, grid.ny);
            for (std::size_t j = lowest; j <= highest; ++j) {
                const std::optional<XSpan> span =
                    spanInBand(a, b, {grid.node(0, j).y - kNear, grid.node(0, j + 1).y + kNear});
                if (!span) {
                    continue;
                }
                const std::size_t first = index(span->left - kNear - grid.origin.x, grid.nx);
                const std::size_t last = index(span->right + kNear - grid.origin.x, grid.nx);
                for (std::size_t i = first; i <= last; ++i) {
                    walled[j * grid.nx + i] = true;
                }
            }
        }
    }
    // A cell no wall crosses lies wholly inside or wholly outside; inside, every point of it is
    // within spacing/√2 of a corner it sees, so its distance is at most the corners' largest
    // plus that, and its nearest point lies no farther from it in a straight line. The finer
    // nodes of the other cells inside are worked out one by one, the cells with the largest bound
    // first, until no bound exceeds the smallest of the shares' largest distances found; a cell
    // is passed over where every point near enough to own a part of it has a share's distance
    // of its bound already.
    struct Cell {
        double bound;
        std::size_t i;
        std::size_t j;
    };
    const auto smallestShare = [&result] {
        return *std::min_element(result.shares.begin(), result.shares.end());
    };
    const auto mayGain = [&](const Cell& cell) {
        if (cell.bound == kUnreachable) {
            return true;
        }
        const PlanPoint low = grid.node(cell.i, cell.j);
        const PlanPoint high = grid.node(cell.i + 1, cell.j + 1);
        constexpr double kRounding = 1e-9;
        for (std::size_t s = 0; s < points.size(); ++s) {
            const PlanPoint p = points[s];
            const double dx = std::max({low.x - p.x, 0.0, p.x - high.x});
            const double dy = std::max({low.y - p.y, 0.0, p.y - high.y});
            if (result.shares[s] < cell.bound &&
                std::sqrt(dx * dx + dy * dy) <= cell.bound + kRounding) {
                return true;
            }
        }
        return false;
    };
    std::vector<Cell> cells;
    double smallest = smallestShare();
    for (std::size_t j = 0; j < grid.ny; ++j) {
        for (std::size_t i = 0; i < grid.nx; ++i) {
            const std::array<double, 4> corners{node[j * columns + i], node[j * columns + i + 1],
                                                node[(j + 1) * columns + i],
                                                node[(j + 1) * columns + i + 1]};
            const double lowest = *std::min_element(corners.begin(), corners.end());
            const double largest = *std::max_element(corners.begin(), corners.end());
            if (walled[j * grid.nx + i] || (lowest < 0 && largest >= 0)) {
                cells.push_back({kUnreachable, i, j});
            } else if (lowest >= 0 && largest + grid.spacing * std::sqrt(0.5) > smallest) {
                // (The shares' distances only grow: a cell bound by them now stays so.)
                cells.push_back({largest + grid.spacing * std::sqrt(0.5), i, j});
            }
        }
    }
    std::sort(cells.begin(), cells.end(),
              [](const Cell& a, const Cell& b) { return a.bound > b.bound; });
    // The finer nodes, each once: cells share their edges, and the demand grid's nodes are done.
    const auto fine = static_cast<std::size_t>(std::lround(kDemandSpacing / kFarthestSpacing));
    const std::size_t fineColumns = grid.nx * fine + 1;
    std::vector<bool> done(fineColumns * (grid.ny * fine + 1), false);
    for (const Cell& cell : cells) {
        if (cell.bound <= smallest) {
            break;
        }
        if (!mayGain(cell)) {
            continue;
        }
        if (progress != nullptr) {
            progress->tick();
        }
        for (std::size_t fj = cell.j * fine; fj <= (cell.j + 1) * fine; ++fj) {
            for (std::size_t fi = cell.i * fine; fi <= (cell.i + 1) * fine; ++fi) {
                if ((fi % fine == 0 && fj % fine == 0) || done[fj * fineColumns + fi]) {
                    continue;
                }
                done[fj * fineColumns + fi] = true;
                const PlanPoint p{grid.origin.x + static_cast<double>(fi) * kFarthestSpacing,
                                  grid.origin.y + static_cast<double>(fj) * kFarthestSpacing};
                if (paths.contains(p)) {
                    note(p, field.nearest(p));
                }
            }
        }
        smallest = smallestShare();
    }
    return result;
}

}  // namespace placing

// A room and its points: a Ring is a vector of points too, yet the two never mix up.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
CoverCheck checkCover(const Ring& outline, const std::vector<PlanPoint>& points, double reach,
                      const std::vector<Ring>& holes) {
    const RoomPaths paths(counterClockwise(outline), holes);
    return placing::check(paths, points, reach);
}

}  // namespace core
