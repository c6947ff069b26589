#pragma once

#include "project.h"

namespace tests {

// A small building: a warehouse, a switch room whose model and points are set by hand (the same
// powder code as the warehouse, rated for class B there), a duty room with 1211 whose chosen
// 0.5A model is below the minimum rating, and a class-D workshop that cannot be configured.
inline core::Project outputsSample() {
    using core::Agent;
    using core::Building;
    using core::Factor;
    using core::FireClass;
    using core::Hazard;
    core::Project project;
    project.name = "综合楼";
    project.units = {
        {"仓库",
         "一层",
         {FireClass::A, Hazard::Medium, Factor::K09, Building::AboveGround,
          Agent::AmmoniumPhosphatePowder, 1500},
         std::nullopt,
         std::nullopt},
        {"配电室",
         "地下一层",
         {FireClass::E, Hazard::Light, Factor::K10, Building::EntertainmentOrUnderground,
          Agent::AmmoniumPhosphatePowder, 500},
         "MF/ABC3",
         1},
        {"值班室",
         "二层",
         {FireClass::A, Hazard::Light, Factor::K10, Building::AboveGround, Agent::Halon1211, 150},
         "MY2",
         std::nullopt},
        {"金属加工间",
         "一层",
         {FireClass::D, Hazard::Serious, Factor::K10, Building::AboveGround,
          Agent::AmmoniumPhosphatePowder, 300},
         std::nullopt,
         std::nullopt},
    };
    return project;
}

}  // namespace tests
