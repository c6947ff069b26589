// Cost of one full table redraw with recalculation, and of one recalculation alone, on the
// grid's data store (the window's redraw is not included).
#include <benchmark/benchmark.h>

#include "calculator.h"

namespace {

struct Window {
    Window() {
        core::writeHeadings(fa);
        core::setLoadedGridLayout(fa);
        calc.Op_Click(core::op::kAboveGround);
    }
    core::Selection sel;
    grid::GridStore fa{core::kGridRows, core::kGridCols};
    core::Calculator calc{sel, fa};
};

void BM_OpClick(benchmark::State& state) {
    Window w;
    for (auto _ : state) {
        w.calc.Op_Click(core::op::kPhosphatePowder);
        benchmark::DoNotOptimize(w.fa.TextMatrix(12, core::kCountCol).data());
    }
}
BENCHMARK(BM_OpClick);

void BM_txLostFocus(benchmark::State& state) {
    Window w;
    for (auto _ : state) {
        w.calc.tx_LostFocus();
        benchmark::DoNotOptimize(w.fa.TextMatrix(12, core::kCountCol).data());
    }
}
BENCHMARK(BM_txLostFocus);

}  // namespace
