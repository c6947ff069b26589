// Cost of one whole calculation: the required rating and the counts of every model of the agent.
#include <benchmark/benchmark.h>

#include "calculation.h"

namespace {

void BM_Calculate(benchmark::State& state) {
    const core::Choices choices;
    for (auto _ : state) {
        const core::Result result = core::calculate(choices);
        benchmark::DoNotOptimize(result.rows.back().count);
    }
}
BENCHMARK(BM_Calculate);

}  // namespace
