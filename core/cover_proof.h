#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

#include "polygon.h"
#include "room_paths.h"

// The proof that setting points reach every point of a room within the maximum protection
// distance R, by the walking distance inside the room (room_paths.h) (GB 50140-2005 7.1.3,
// GB 55036-2022 10.0.2), and the parts that the search for those points (placement.h) shares
// with it. Plain C++.
namespace core {

// The proof's demand points: a grid of this spacing over the room, and points along every wall
// at most this far apart.
constexpr double kDemandSpacing = 0.25;
// How far any point of the room can lie from its nearest demand point, walls included, by the
// way to it: kDemandSpacing·(1/√2 + 1/2), and 0.01 m more for a room whose curved walls became
// chords of that sagitta at most (a point on the arc lies that far beyond its chord), rounded
// up. Every demand point within R − kDemandMargin of a setting point puts the whole room within
// R.
constexpr double kDemandMargin = 0.32;
// The spacing of the grid (and of the points along the walls) on which the farthest distance
// is reported.
constexpr double kFarthestSpacing = 0.05;

// What the setting points of a room reach.
struct CoverCheck {
    // Every demand point lies within R − kDemandMargin of a point: the whole room is within R.
    bool proven = false;
    // The largest walking distance from a point of the room (on the kFarthestSpacing grid and
    // along the walls) to its nearest setting point; infinite without points.
    double farthest = 0;
    PlanPoint farthestAt;  // where it is
    // Per setting point, in their order: the largest walking distance from a point of the room
    // (on the same grid and walls) that has it for its nearest setting point, 0 where none has.
    // The largest of them is `farthest`.
    std::vector<double> shares;
};

// Checks setting points against a room: `outline` a simple ring (ringFault() None) in metres,
// either way round, less its `holes` (simple rings inside it and apart from each other, either
// way round); the points inside the room; `reach` R in metres.
[[nodiscard]] CoverCheck checkCover(const Ring& outline, const std::vector<PlanPoint>& points,
                                    double reach, const std::vector<Ring>& holes = {});

// Told how far the placing has got, from 0 to 1, every few hundredths of a second; returns false
// to stop it, and placeSettingPoints() then returns at once, `stopped`, with no points.
using PlacingProgress = std::function<bool(double done)>;

// What the proof and the search share.
namespace placing {

// Thrown from within the placing where the caller's progress callback says to stop.
struct Stopped {};

// What the placing tells the caller of how far it has got, and where it asks whether to go on: at
// each step, and in between at most every 20 ms.
class Progress {
  public:
    explicit Progress(const PlacingProgress& report) : report_(report) {}

    void reach(double done) {
        done_ = done;
        last_ = {};
        tick();
    }
    void tick() {
        if (!report_) {
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < std::chrono::milliseconds(20)) {
            return;
        }
        last_ = now;
        if (!report_(done_)) {
            throw Stopped{};
        }
    }

  private:
    const PlacingProgress& report_;
    double done_ = 0;
    std::chrono::steady_clock::time_point last_;
};

// The straight distance between two points.
[[nodiscard]] double gap(PlanPoint a, PlanPoint b);
// How many pieces at most `spacing` long a `length` takes.
[[nodiscard]] std::size_t steps(double length, double spacing);

// Points along every wall (of the outline and the holes), at most `spacing` apart, the corners
// included.
[[nodiscard]] std::vector<PlanPoint> wallPoints(const std::vector<Ring>& rings, double spacing);

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

// The proof of `points` in the room of `paths`; where `far` is given, it gets the demand points
// that fail it, and where `progress` is, it hears of each step.
[[nodiscard]] CoverCheck check(const RoomPaths& paths, const std::vector<PlanPoint>& points,
                               double reach, std::vector<PlanPoint>* far = nullptr,
                               Progress* progress = nullptr);

}  // namespace placing

}  // namespace core
