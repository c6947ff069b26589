// Cost of a project's file: reading it and designing every unit, as opening a project does, and
// writing it, for projects of 10 to 10000 units.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <variant>

#include "bench_support.h"
#include "project_file.h"

namespace {

void BM_ReadAndDesign(benchmark::State& state) {
    const QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("bench.fep"));
    if (io::saveProject(bench::benchProject(state.range(0)), fileName)) {
        state.SkipWithError("the project could not be saved");
        return;
    }
    for ([[maybe_unused]] auto _ : state) {
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
    const core::Project units = bench::benchProject(state.range(0));
    for ([[maybe_unused]] auto _ : state) {
        if (io::saveProject(units, fileName)) {
            state.SkipWithError("the project could not be saved");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Write)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMicrosecond);

}  // namespace
