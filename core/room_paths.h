#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "polygon.h"

// Walking distances inside a room's outline: the shortest path between two points that never
// leaves the outline (it may run along the walls), bending only at the re-entrant corners. In a
// convex room that path is the straight line. Plain C++.
namespace core {

constexpr double kUnreachable = std::numeric_limits<double>::infinity();

// One room outline, ready for many questions about paths inside it. The outline must be a simple
// ring (ringFault() None) that runs counter-clockwise, in metres.
class RoomPaths {
  public:
    explicit RoomPaths(Ring outline);

    [[nodiscard]] const Ring& outline() const { return outline_; }
    // No re-entrant corner: every two points of the room see each other.
    [[nodiscard]] bool convex() const { return corners_.empty(); }
    // The re-entrant corners (interior angle above 180°), where shortest paths bend.
    [[nodiscard]] const std::vector<PlanPoint>& corners() const { return corners_; }
    // The shortest path inside the room from corner i to corner j.
    [[nodiscard]] double cornerDistance(std::size_t i, std::size_t j) const {
        return cornerPaths_[i * corners_.size() + j];
    }

    // The point lies inside the outline or on it, to within a nanometre.
    [[nodiscard]] bool contains(PlanPoint point) const;
    // The distance from the point to the nearest wall (edge of the outline).
    [[nodiscard]] double wallDistance(PlanPoint point) const;
    // The straight segment from a to b stays inside the outline; it may touch or run along the
    // walls and pass through corners. Both ends must lie in the room.
    [[nodiscard]] bool sees(PlanPoint a, PlanPoint b) const;
    // The length of the shortest path inside the room from a to b (both in the room).
    [[nodiscard]] double distance(PlanPoint a, PlanPoint b) const;

  private:
    Ring outline_;
    std::vector<PlanPoint> corners_;
    std::vector<double> cornerPaths_;  // corners_.size()² lengths, row by row
};

// The corners that one point of a room sees, and the straight distances to them: worked out once
// for a point that many distance fields are asked about.
struct CornerSight {
    std::span<const std::uint32_t> corners;  // indices into RoomPaths::corners()
    std::span<const double> gaps;            // the distance to each of them
};
[[nodiscard]] std::vector<std::uint32_t> visibleCorners(const RoomPaths& paths, PlanPoint point);

// The walking distance from any point of a room to the nearest of a set of sources (the setting
// points). Built once for the sources; each question then costs a few visibility tests at most.
class DistanceField {
  public:
    // `paths` must outlive the field; the sources must lie in the room.
    DistanceField(const RoomPaths& paths, std::vector<PlanPoint> sources);

    [[nodiscard]] const std::vector<PlanPoint>& sources() const { return sources_; }
    // The distance from the nearest source to corner i of paths.corners().
    [[nodiscard]] double cornerDistance(std::size_t i) const { return cornerReach_[i]; }

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
    const RoomPaths* paths_;
    std::vector<PlanPoint> sources_;
    std::vector<double> cornerReach_;        // per corner
    std::vector<std::size_t> cornerSource_;  // per corner: the source its shortest path leaves
};

}  // namespace core
