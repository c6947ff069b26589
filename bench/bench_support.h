#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "project.h"

// What several benchmarks share: a project of many units, and running the benchmarks once the
// Qt application that some of them need exists.
namespace bench {

// A project of `count` units of varied choices, every other one with a chosen model and N.
inline core::Project benchProject(std::int64_t count) {
    core::Project project{"基准工程", {}};
    for (std::int64_t i = 0; i < count; ++i) {
        core::Unit unit;
        unit.name = "计算单元" + std::to_string(i + 1);
        unit.location = std::to_string(i % 30 + 1) + "层";
        unit.choices.hazard = static_cast<core::Hazard>(i % 3);
        unit.choices.area = 50.0 + static_cast<double>(i % 97) * 31.5;
        if (i % 2 == 1) {
            unit.model = core::conditionsOf(unit.choices)->candidates.back().code;
            unit.points = static_cast<int>(i % 9 + 1);
        }
        project.units.push_back(std::move(unit));
    }
    return project;
}

// Runs the benchmarks the command line selects; a benchmark's own main calls it.
inline int runBenchmarks(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
