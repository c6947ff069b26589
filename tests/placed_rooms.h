#pragma once
// Rooms of a plan with their setting points placed, as the sheet, the book, the placing and the
// command line's tests take them: a corridor that four points reach, and an L that one point does
// not reach at a serious hazard; the corridor grown, and a room with a slot, that no point reaches.
#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "combined_units.h"
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

// An office floor: four 7 × 6 m offices (42 m²), two on each side of a 14.2 × 2.4 m corridor
// (34.08 m²) behind 0.2 m walls, each office with a 1 m door into it, and an exit at the
// corridor's west end; with `outline`, the outline drawn round the floor (14.6 × 15.2 m).
inline core::Project officeFloor(bool outline = false) {
    core::Project project{"办公楼", {}};
    const double x[] = {0, 7.2};
    const double y[] = {0, 8.8};
    for (int i = 0; i < 4; ++i) {
        const double x0 = x[i % 2];
        const double y0 = y[i / 2];
        const std::string name = "办公室" + std::to_string(i + 1);
        project.units.push_back(placedRoom(name.c_str(),
                                           {{x0, y0}, {x0 + 7, y0}, {x0 + 7, y0 + 6}, {x0, y0 + 6}},
                                           {}, core::Hazard::Medium));
        const double wall = i < 2 ? 6.1 : 8.7;
        project.doors.push_back(
            {"一层", "office.dxf", "D" + std::to_string(i + 1), {x0 + 3, wall}, {x0 + 4, wall}, 1});
    }
    project.units.push_back(placedRoom("走廊", {{0, 6.2}, {14.2, 6.2}, {14.2, 8.6}, {0, 8.6}}, {},
                                       core::Hazard::Medium));
    project.doors.push_back({"一层", "office.dxf", "E1", {-0.1, 7}, {-0.1, 8}, 1});
    if (outline) {
        project.floors.push_back(
            {"一层", "office.dxf", "F1", {{-0.2, -0.2}, {14.4, -0.2}, {14.4, 15}, {-0.2, 15}}});
    }
    return project;
}

// The office floor made one combined unit, with two points in the corridor by the doors and,
// where `inOffice`, a third in the first office.
inline core::Project combinedOffices(bool outline = false, bool inOffice = true) {
    core::Project project =
        std::get<core::Project>(core::combineUnits(officeFloor(outline), {0, 1, 2, 3, 4}));
    project.units.front().setPoints = {{3.5, 7.4}, {10.7, 7.4}};
    if (inOffice) {
        project.units.front().setPoints.push_back({3.5, 3});
    }
    return project;
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
