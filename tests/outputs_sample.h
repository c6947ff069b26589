#pragma once

#include "project.h"

namespace tests {

// A small building: a warehouse, a switch room whose model and points are set by hand (the same
// powder code as the warehouse, rated for class B there), a duty room with 1211 whose chosen
// 0.5A model is below the minimum rating, and a class-D workshop that cannot be configured.
inline core::Project outputsSample() {
    using enum core::FireClass;
    using enum core::Hazard;
    using enum core::Factor;
    using enum core::Building;
    using enum core::Agent;
    // clang-format off
    return {"综合楼", {
        {"仓库", "一层", {A, Medium, K09, AboveGround, AmmoniumPhosphatePowder, 1500}, std::nullopt, std::nullopt},
        {"配电室", "地下一层", {E, Light, K10, EntertainmentOrUnderground, AmmoniumPhosphatePowder, 500}, "MF/ABC3", 1},
        {"值班室", "二层", {A, Light, K10, AboveGround, Halon1211, 150}, "MY2", std::nullopt},
        {"金属加工间", "一层", {D, Serious, K10, AboveGround, AmmoniumPhosphatePowder, 300}, std::nullopt, std::nullopt},
    }};
    // clang-format on
}

}  // namespace tests
