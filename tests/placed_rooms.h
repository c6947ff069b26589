#pragma once
// Rooms of a plan with their setting points placed, as the sheet, the book, the placing and the
// command line's tests take them: a corridor that four points reach, and an L that one point does
// not reach at a serious hazard; the corridor grown, and a room with a slot, that no point reaches.
#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "project.h"

namespace tests {

// The first `count` points, or all where there are fewer.
inline std::vector<core::PlanPoint> firstPoints(const std::vector<core::PlanPoint>& points,
                                                std::size_t count) {
    return {points.begin(),
            points.begin() + static_cast<std::ptrdiff_t>(std::min(count, points.size()))};
}

// A 3 × 120 m corridor (360 m²), class A, medium hazard: R = 20 m, the estimate N₀ = 1. Its four
// points along the middle leave the far ends 15.07 m from the nearest.
inline const core::Ring kCorridorOutline{{0, 0}, {3, 0}, {3, 120}, {0, 120}};
inline const std::vector<core::PlanPoint> kCorridorPoints{
    {1.5, 15}, {1.5, 45}, {1.5, 75}, {1.5, 105}};
// [0,8]×[0,16] ∪ [0,16]×[0,8] (192 m²), class A, serious hazard: R = 15 m. (7.5, 12) reaches the
// far corner (16, 0) by walking round the re-entrant corner (8, 8) in 15.35 m.
inline const core::Ring kLOutline{{0, 0}, {16, 0}, {16, 8}, {8, 8}, {8, 16}, {0, 16}};
inline const std::vector<core::PlanPoint> kLPoints{{7.5, 12}};

inline core::Unit placedRoom(const char* name, core::Ring outline,
                             std::vector<core::PlanPoint> points, core::Hazard hazard) {
    core::Unit unit;
    unit.name = name;
    unit.location = "一层";
    unit.choices.fireClass = core::FireClass::A;
    unit.choices.hazard = hazard;
    unit.choices.area = core::area(outline);
    unit.outline = std::move(outline);
    unit.setPoints = std::move(points);
    return unit;
}

inline core::Unit placedCorridor() {
    return placedRoom("走廊", kCorridorOutline, kCorridorPoints, core::Hazard::Medium);
}

// The corridor grown to `length` m: its four points no longer reach its far end.
inline core::Unit grownCorridor(double length) {
    core::Unit unit = placedCorridor();
    unit.outline = {{0, 0}, {3, 0}, {3, length}, {0, length}};
    unit.choices.area = 3 * length;
    return unit;
}

// A 10 m room with a slot 0.4 m wide running 30 m out of it, narrower than a point keeps from the
// walls on both sides: no point reaches its far end. Its name holds "%2", which a text keeps.
inline core::Unit slotRoom(std::vector<core::PlanPoint> points = {}) {
    return placedRoom(
        "窄间%2", {{0, 0}, {10, 0}, {10, 4.8}, {40, 4.8}, {40, 5.2}, {10, 5.2}, {10, 10}, {0, 10}},
        std::move(points), core::Hazard::Medium);
}

// A comb of `teeth` teeth `width` wide, from its back `back` up to `top`, with gaps as wide as
// the teeth: two re-entrant corners for each gap.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
inline core::Ring comb(int teeth, double width, double back, double top) {
    core::Ring ring{{0, 0}, {(2 * teeth - 1) * width, 0}};
    for (int t = teeth - 1; t >= 0; --t) {
        const double x = 2 * t * width;
        ring.push_back({x + width, top});
        ring.push_back({x, top});
        if (t > 0) {
            ring.push_back({x, back});
            ring.push_back({x - width, back});
        }
    }
    return ring;
}

inline core::Unit placedL() {
    return placedRoom("展厅", kLOutline, kLPoints, core::Hazard::Serious);
}

}  // namespace tests
