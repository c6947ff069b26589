#pragma once

#include <string>

#include "project.h"

namespace tests {

// A project large enough that writing it takes a while: which one of two it is shows in every
// unit's name.
inline core::Project killTestProject(int which) {
    core::Project project;
    project.name = "工程" + std::to_string(which);
    for (int i = 0; i < 3000; ++i) {
        core::Unit unit;
        unit.name = "单元" + std::to_string(which) + "-" + std::to_string(i);
        unit.location = "楼层" + std::to_string(i % 30);
        unit.choices.area = 100 + i;
        project.units.push_back(unit);
    }
    return project;
}

}  // namespace tests
