// Cost of a project's file: reading it and designing every unit, as opening a project does, and
// writing it, for projects of 10 to 10000 units.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <variant>

#include "project.h"
#include "project_file.h"

namespace {

// A project of `count` units of varied choices, every other one with a chosen model and N.
core::Project project(std::int64_t count) {
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

void BM_ReadAndDesign(benchmark::State& state) {
    const QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("bench.fep"));
    if (io::saveProject(project(state.range(0)), fileName)) {
        state.SkipWithError("the project could not be saved");
        return;
    }
    for (auto _ : state) {
        const auto read = io::readProject(fileName);
        for (const core::Unit& unit : std::get<core::Project>(read).units) {
            benchmark::DoNotOptimize(core::design(unit).configuration.total);
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadAndDesign)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMicrosecond);

void BM_Write(benchmark::State& state) {
    const QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("bench.fep"));
    const core::Project units = project(state.range(0));
    for (auto _ : state) {
        if (io::saveProject(units, fileName)) {
            state.SkipWithError("the project could not be saved");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Write)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMicrosecond);

}  // namespace
