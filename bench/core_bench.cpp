// Cost of one whole calculation: the required rating and the counts of every model of the agent.
#include <benchmark/benchmark.h>

#include "calculation.h"

namespace {

void BM_Calculate(benchmark::State& state) {
    core::Selection selection;
    for (auto _ : state) {
        const core::Result result = core::calculate(selection);
        benchmark::DoNotOptimize(result.rows.back().count);
    }
}
BENCHMARK(BM_Calculate);

}  // namespace
