#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "polygon.h"

// Walking distances inside a room: the shortest path between two points that never leaves the
// outline nor enters a hole (it may run along the walls), bending only at the re-entrant corners.
// In a convex room that path is the straight line. Plain C++.
namespace core {

constexpr double kUnreachable = std::numeric_limits<double>::infinity();

// One room, ready for many questions about paths inside it: its outline, a simple ring that runs
// counter-clockwise, and the holes in it (columns, shafts, voids: simple rings inside the outline
// and apart from each other, either way round), in metres. The walls are the edges of both.
// With a `range`, only paths up to that length are wanted: those are exact, longer ones may come
// out longer still or unreachable; a floor of many rooms then costs in proportion to its size.
class RoomPaths {
  public:
    explicit RoomPaths(Ring outline, std::vector<Ring> holes = {}, double range = kUnreachable);

    [[nodiscard]] const Ring& outline() const { return rings_.front(); }
    // The outline, then the holes turned clockwise: the room lies to the left of every wall.
    [[nodiscard]] const std::vector<Ring>& rings() const { return rings_; }
    // No re-entrant corner: every two points of the room see each other.
    [[nodiscard]] bool convex() const { return corners_.empty(); }
    // The re-entrant corners (interior angle above 180°), where shortest paths bend: those of the
    // outline and the corners of the holes that stick out into the room.
    [[nodiscard]] const std::vector<PlanPoint>& corners() const { return corners_; }
    [[nodiscard]] double range() const { return range_; }
    // The shortest paths inside the room from corner i to the corners it reaches (itself
    // included), among those that leave and meet them bending round them (wraps()): exact
    // wherever a shortest path passes both; only those up to range() where that is finite.
    struct CornerPath {
        std::uint32_t corner;
        double length;
    };
    [[nodiscard]] std::span<const CornerPath> cornerPaths(std::size_t i) const {
        return std::span(cornerPaths_).subspan(pathsFirst_[i], pathsFirst_[i + 1] - pathsFirst_[i]);
    }
    // A shortest path from `from` can bend round corner i: the corner's two walls lie on one side
    // of the line through both (a path that passes between them would be shorter cut short).
    [[nodiscard]] bool wraps(PlanPoint from, std::size_t i) const;

    // The point lies inside the room or on a wall, to within a nanometre.
    [[nodiscard]] bool contains(PlanPoint point) const;
    // No wall lies nearer to the point than `clearance` (less a nanometre).
    [[nodiscard]] bool clearOfWalls(PlanPoint point, double clearance) const;
    // The straight segment from a to b stays inside the room; it may touch or run along the
    // walls and pass through corners. Both ends must lie in the room.
    [[nodiscard]] bool sees(PlanPoint a, PlanPoint b) const;
    // The length of the shortest path inside the room from a to b (both in the room).
    [[nodiscard]] double distance(PlanPoint a, PlanPoint b) const;

  private:
    // The walls sorted into the cells of a grid over the outline's box, so that a question about
    // a point or a short segment looks at the walls near it only.
    struct Wall {
        PlanPoint a;
        PlanPoint b;
    };
    template <typename Visit>
    void forCells(PlanPoint a, PlanPoint b, Visit&& visit) const;
    [[nodiscard]] std::size_t column(double x) const;
    [[nodiscard]] std::size_t row(double y) const;
    [[nodiscard]] bool containsByAllWalls(PlanPoint point) const;
    // cornerPaths_ of every pair, or of those within range_.
    void allCornerPaths();
    void cornerPathsInRange();

    std::vector<Ring> rings_;
    std::vector<PlanPoint> corners_;
    std::vector<std::array<PlanPoint, 2>> cornerWalls_;  // per corner: the vertices either side
    std::vector<CornerPath> cornerPaths_;                // those of each corner in turn
    std::vector<std::size_t> pathsFirst_;                // per corner, where its paths start
    double range_ = kUnreachable;
    std::vector<Wall> walls_;
    PlanPoint origin_;
    double cell_ = 1;
    std::size_t columns_ = 1;
    std::size_t rows_ = 1;
    std::vector<std::uint32_t> cellFirst_;  // per cell, where its walls start in cellWalls_
    std::vector<std::uint32_t> cellWalls_;
    // Per cell: 1 where its middle lies in the room, 0 outside, 2 where the middle lies on or
    // next to a wall and the cell's points are judged by all the walls.
    std::vector<std::uint8_t> middleInside_;
};

// The corners that one point of a room sees, and the straight distances to them: worked out once
// for a point that many distance fields are asked about.
struct CornerSight {
    std::span<const std::uint32_t> corners;  // indices into RoomPaths::corners()
    std::span<const double> gaps;            // the distance to each of them
};
// The corners that the point sees and that a shortest path from it can bend round (wraps()),
// within `range` metres in a straight line: paths through them are exact up to that length.
[[nodiscard]] std::vector<std::uint32_t> visibleCorners(const RoomPaths& paths, PlanPoint point,
                                                        double range = kUnreachable);

// The walking distance from any point of a room to the nearest of a set of sources (the setting
// points). Built once for the sources; each question then costs a few visibility tests at most.
class DistanceField {
  public:
    // `paths` must outlive the field; the sources must lie in the room. The ways from a source
    // leave it only by corners within `range` metres in a straight line (and paths().range()):
    // distances up to that are exact, longer ones may come out as any length above it.
    DistanceField(const RoomPaths& paths, std::vector<PlanPoint> sources,
                  double range = kUnreachable);

    [[nodiscard]] const std::vector<PlanPoint>& sources() const { return sources_; }

    // The nearest source of a point and the walking distance to it; without sources, the index
    // sources().size() and kUnreachable.
    struct Nearest {
        std::size_t source = 0;
        double distance = kUnreachable;
    };
    // The nearest source of a point in the room. Where it lies farther than `limit`, the answer
    // may be any source with any distance above `limit`: that saves work where only a bound
    // matters.
    [[nodiscard]] Nearest nearest(PlanPoint point, double limit = kUnreachable) const;
    // The same for a point whose view of the corners is known already (CornerSight).
    [[nodiscard]] Nearest nearest(PlanPoint point, const CornerSight& sight,
                                  double limit = kUnreachable) const;
    // The walking distance from the point to its nearest source, as nearest() gives it.
    [[nodiscard]] double at(PlanPoint point, double limit = kUnreachable) const {
        return nearest(point, limit).distance;
    }

  private:
    // A way out of a point: straight to a source, or to a corner and on from there.
    struct Way {
        double length;
        std::size_t index;  // a source, or sources_.size() + a corner
    };
    [[nodiscard]] Nearest nearestOfAll(PlanPoint point, double limit) const;
    [[nodiscard]] Nearest nearestAround(PlanPoint point, double limit) const;
    // The source a way leads to, and its length.
    [[nodiscard]] Nearest reached(const Way& way) const;
    // The point sees the way's source or corner, and a path from it can bend round the corner.
    [[nodiscard]] bool sees(PlanPoint point, const Way& way) const;

    const RoomPaths* paths_;
    std::vector<PlanPoint> sources_;
    double range_;
    std::vector<double> cornerReach_;        // per corner
    std::vector<std::size_t> cornerSource_;  // per corner: the source its shortest path leaves
    // Where the field has more than a few ways, they are sorted into the cells of a grid, so that a
    // point looks at those near it first and farther ones only where none near it is in sight.
    PlanPoint origin_;
    double cell_ = 1;
    std::size_t columns_ = 0;
    std::size_t rows_ = 0;
    std::vector<std::uint32_t> cellFirst_;  // per cell, where its ways start in cellWays_
    std::vector<std::uint32_t> cellWays_;   // a source, or sources_.size() + a corner
    double longestReach_ = 0;               // the longest cornerReach_ that is not unreachable
};

}  // namespace core
