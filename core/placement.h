#pragma once

#include <functional>
#include <vector>

#include "polygon.h"

// Setting points placed in a room so that every point of it lies within the maximum protection
// distance R of one of them, by the walking distance inside the room (room_paths.h), and the
// proof that they do (GB 50140-2005 7.1.3, GB 55036-2022 10.0.2). Plain C++.
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
// The least distance of a placed point from the walls.
constexpr double kWallClearance = 0.3;
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
};

// Checks setting points against a room: `outline` a simple ring (ringFault() None) in metres,
// either way round, less its `holes` (simple rings inside it and apart from each other, either
// way round); the points inside the room; `reach` R in metres.
[[nodiscard]] CoverCheck checkCover(const Ring& outline, const std::vector<PlanPoint>& points,
                                    double reach, const std::vector<Ring>& holes = {});

// Setting points placed in a room, and what they reach.
struct Placement {
    std::vector<PlanPoint> points;
    double farthest = 0;   // CoverCheck::farthest
    bool proven = false;   // CoverCheck::proven
    bool stopped = false;  // the progress callback stopped it: no points, not proven
};

// Told how far the placing has got, from 0 to 1, every few hundredths of a second; returns false
// to stop it, and placeSettingPoints() then returns at once, `stopped`, with no points.
using PlacingProgress = std::function<bool(double done)>;

// Few setting points, each at least kWallClearance from the walls (those of the holes too), that
// reach every point of the room within `reach` (R, metres) by walking distance: a hexagonal lattice
// to start with, then points moved and dropped while the rest still cover the room, then
// checkCover(). Not proven only where no point of the room that keeps clear of the walls is near
// enough to some part of it (a slot narrower than 2·kWallClearance, say). The same input gives the
// same points. The room is `outline` less its `holes`, as checkCover() takes them.
[[nodiscard]] Placement placeSettingPoints(const Ring& outline, double reach,
                                           const std::vector<Ring>& holes = {},
                                           const PlacingProgress& progress = {});

}  // namespace core
