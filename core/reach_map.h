#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

#include "polygon.h"

// What a room's setting points reach by walking distance, worked out on a grid for drawing: the
// line where each point's reach ends, and the parts of the room that no point reaches. The proof
// of the cover is checkCover()'s (placement.h); this is a picture of it. Plain C++.
namespace core {

struct ReachMap {
    double cell = 0;  // the grid's spacing, in metres
    // For each setting point, the line on which its walking distance is R, as short segments.
    // Along a wall the line may run outside the room: draw it clipped to the outline.
    std::vector<std::vector<std::array<PlanPoint, 2>>> edges;
    // Cells of the grid whose middle lies in the room farther than R from every point, merged
    // along the grid's rows: draw them clipped to the outline.
    std::vector<PlanBox> uncovered;
};

// The cells of the grid that reachMap() draws on, at most about.
constexpr std::size_t kReachCells = 60000;

// The reach of `points` (in the room) within `reach` metres inside `outline` (a simple ring) less
// its `holes` (as checkCover() takes them), on a grid of at most about `cells` cells over the
// room's box, and no finer than 5 cm. The holes are no part of the room: never uncovered.
[[nodiscard]] ReachMap reachMap(const Ring& outline, const std::vector<PlanPoint>& points,
                                double reach, std::size_t cells = kReachCells,
                                const std::vector<Ring>& holes = {});

// The cells of the grid that reachOutlines() works on by default, at most about: coarser than
// the plan view's, as a drawing of a floor's hundreds of points must be made in a moment.
constexpr std::size_t kReachOutlineCells = 4000;

// The reach of each of `points` as closed rings: the part of the room (`outline` less its
// `holes`) within `reach` metres of the point by walking distance, each region as its outer ring,
// counter-clockwise, and the rings of its holes, clockwise; all inside the outline. Worked out on
// reachMap()'s grid of at most about `cells` cells, so that the line lies within a cell of the
// true one. None for a point outside the room.
[[nodiscard]] std::vector<std::vector<Ring>> reachOutlines(const Ring& outline,
                                                           const std::vector<PlanPoint>& points,
                                                           double reach,
                                                           std::size_t cells = kReachOutlineCells,
                                                           const std::vector<Ring>& holes = {});

// A room's setting points while one of them is moved about (dragged on the plan): what
// reachMap() draws of them, and what checkCover() would say of them, kept up to date point move by
// point move. A move works out again only what the moved point changes: its own reach line, and
// the places whose nearest point it becomes or ceases to be, from the distances of the other
// points kept for the places within their reach.
class ReachTracker {
  public:
    // As reachMap() takes them; the room must not be too large or intricate to check
    // (placingFault() None).
    ReachTracker(const Ring& outline, const std::vector<Ring>& holes,
                 const std::vector<PlanPoint>& points, double reach,
                 std::size_t cells = kReachCells);
    ReachTracker(const ReachTracker&) = delete;
    ReachTracker& operator=(const ReachTracker&) = delete;
    ~ReachTracker();

    // Puts the point of that index at `to`; one outside the room reaches nothing.
    void move(std::size_t index, PlanPoint to);

    [[nodiscard]] const std::vector<PlanPoint>& points() const;
    // What reachMap() gives for the points as they are.
    [[nodiscard]] ReachMap map() const;
    // checkCover()'s verdict for the points as they are: false where one lies outside the room.
    [[nodiscard]] bool proven() const;
    // The largest walking distance from a point of the room to its nearest setting point, never
    // less than the true one and at most kDemandMargin more (cover_proof.h); infinite where a
    // point lies outside the room, or there is none.
    [[nodiscard]] double farthest() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace core
