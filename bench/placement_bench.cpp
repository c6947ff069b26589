// Cost of placing setting points: rooms of 1 500 m² (a rectangle and an L) at R = 20 m, and halls
// of 2 500 to 10 000 m² at R = 9 m, so that the cost's growth with area / R² shows.
#include <benchmark/benchmark.h>

#include <cmath>

#include "placement.h"

namespace {

core::Ring rectangle(double width, double height) {
    return {{0, 0}, {width, 0}, {width, height}, {0, height}};
}

void place(benchmark::State& state, const core::Ring& room, double reach) {
    std::size_t points = 0;
    for (auto _ : state) {
        const core::Placement placement = core::placeSettingPoints(room, reach);
        points = placement.points.size();
        benchmark::DoNotOptimize(placement.farthest);
    }
    state.counters["points"] = static_cast<double>(points);
    state.counters["area/R2"] = core::area(room) / (reach * reach);
}

void BM_PlaceRectangle1500(benchmark::State& state) {
    place(state, rectangle(30, 50), 20);
}
BENCHMARK(BM_PlaceRectangle1500)->Unit(benchmark::kMillisecond);

// An L of 1 500 m², [0,60]×[0,15] and [0,30]×[0,35], with one re-entrant corner.
void BM_PlaceL1500(benchmark::State& state) {
    place(state, {{0, 0}, {60, 0}, {60, 15}, {30, 15}, {30, 35}, {0, 35}}, 20);
}
BENCHMARK(BM_PlaceL1500)->Unit(benchmark::kMillisecond);

// Square halls of side 50, 70.7 and 100 m at R = 9 m.
void BM_PlaceHall(benchmark::State& state) {
    const double side = std::sqrt(static_cast<double>(state.range(0)));
    place(state, rectangle(side, side), 9);
}
BENCHMARK(BM_PlaceHall)->Arg(2500)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
