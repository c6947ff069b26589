// Cost of placing setting points: rooms of 1 500 m² (a rectangle and an L) at R = 20 m, halls of
// 1 250 to 10 000 m² at R = 9 m, so that the cost's growth with area / R² shows, and the 200 rooms
// of an office floor placed one after the other. A drag's step in the rooms and halls placed: one
// point moved, and what the plan draws and proves of the points worked out again, by the moved
// point's changes only and, for the scale of it, by all the points.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "placement.h"
#include "reach_map.h"

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

// Square halls of side 35.4, 50, 70.7 and 100 m at R = 9 m.
void BM_PlaceHall(benchmark::State& state) {
    const double side = std::sqrt(static_cast<double>(state.range(0)));
    place(state, rectangle(side, side), 9);
}
BENCHMARK(BM_PlaceHall)->Arg(1250)->Arg(2500)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A comb of about 12 000 m² with `corners` re-entrant corners: a spine 600 m long and 10 m deep
// with corners/2 + 1 teeth 20 m long standing on it, as wide as the gaps between them; R = 20 m.
core::Ring comb(std::size_t corners) {
    const std::size_t teeth = corners / 2 + 1;
    const double width = 600.0 / static_cast<double>(2 * teeth - 1);
    core::Ring room{{0, 0}, {600, 0}};
    for (std::size_t k = teeth; k-- > 0;) {
        const double right = static_cast<double>(2 * k + 1) * width;
        const double left = right - width;
        room.push_back({right, 30});
        room.push_back({left, 30});
        if (k > 0) {
            room.push_back({left, 10});
            room.push_back({left - width, 10});
        }
    }
    return room;
}

void BM_PlaceComb(benchmark::State& state) {
    place(state, comb(static_cast<std::size_t>(state.range(0))), 20);
}
BENCHMARK(BM_PlaceComb)->Arg(20)->Arg(40)->Arg(80)->Arg(240)->Arg(400)->Unit(benchmark::kSecond);

// A hall of 60 × 40 m with 50 columns of 0.6 × 0.6 m on a grid of 10 × 5, R = 15 m.
void BM_PlaceHallWithColumns(benchmark::State& state) {
    std::vector<core::Ring> columns;
    for (int i = 0; i < 10; ++i) {
        for (int j = 0; j < 5; ++j) {
            const double x = 3 + 6.0 * i;
            const double y = 4 + 8.0 * j;
            columns.push_back(
                {{x - 0.3, y - 0.3}, {x + 0.3, y - 0.3}, {x + 0.3, y + 0.3}, {x - 0.3, y + 0.3}});
        }
    }
    const core::Ring hall = rectangle(60, 40);
    std::size_t points = 0;
    for (auto _ : state) {
        const core::Placement placement = core::placeSettingPoints(hall, 15, columns);
        points = placement.points.size();
        benchmark::DoNotOptimize(placement.farthest);
    }
    state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_PlaceHallWithColumns)->Unit(benchmark::kMillisecond);

// A length in [low, high] metres to a tenth, from the generator's own output.
double metres(std::mt19937& random, double low, double high) {
    const auto tenths = static_cast<std::uint32_t>(std::lround((high - low) * 10)) + 1;
    return low + static_cast<double>(random() % tenths) / 10;
}

// The rooms of an office floor, 20 to 300 m² each, in turn: offices, meeting rooms and open
// areas, corridors, L-shaped rooms, and rooms with a column boxed in at one wall; R = 20 m, or
// 15 m for every third room.
std::vector<std::pair<core::Ring, double>> officeFloor() {
    std::mt19937 random(2024);
    std::vector<std::pair<core::Ring, double>> rooms;
    for (int i = 0; i < 200; ++i) {
        const double reach = i % 3 == 2 ? 15 : 20;
        core::Ring room;
        switch (i % 5) {
            case 0:
                room = rectangle(metres(random, 4, 8), metres(random, 5, 9));
                break;
            case 1:
                room = rectangle(metres(random, 8, 20), metres(random, 8, 15));
                break;
            case 2:
                room = rectangle(metres(random, 1.8, 3), metres(random, 15, 60));
                break;
            case 3: {
                const double width = metres(random, 10, 20);
                const double depth = metres(random, 8, 15);
                const double cutWidth = metres(random, 3, width - 4);
                const double cutDepth = metres(random, 3, depth - 4);
                room = {{0, 0},
                        {width, 0},
                        {width, depth - cutDepth},
                        {width - cutWidth, depth - cutDepth},
                        {width - cutWidth, depth},
                        {0, depth}};
                break;
            }
            default: {
                const double width = metres(random, 6, 16);
                const double depth = metres(random, 6, 16);
                const double at = metres(random, 2, width - 3);
                room = {{0, 0},
                        {width, 0},
                        {width, depth},
                        {at + 0.8, depth},
                        {at + 0.8, depth - 0.6},
                        {at, depth - 0.6},
                        {at, depth},
                        {0, depth}};
                break;
            }
        }
        rooms.emplace_back(std::move(room), reach);
    }
    return rooms;
}

void BM_PlaceOfficeFloor(benchmark::State& state) {
    const std::vector<std::pair<core::Ring, double>> rooms = officeFloor();
    double points = 0;
    double area = 0;
    for (const auto& [room, reach] : rooms) {
        area += core::area(room);
    }
    for (auto _ : state) {
        points = 0;
        for (const auto& [room, reach] : rooms) {
            const core::Placement placement = core::placeSettingPoints(room, reach);
            points += static_cast<double>(placement.points.size());
            benchmark::DoNotOptimize(placement.farthest);
        }
    }
    state.counters["rooms"] = static_cast<double>(rooms.size());
    state.counters["points"] = points;
    state.counters["m2"] = area;
}
BENCHMARK(BM_PlaceOfficeFloor)->Unit(benchmark::kMillisecond);

// One step of a drag: the first point moved by a pixel or so (5 cm), and the reach drawn and the
// cover proven again; `incremental` by the moved point's changes, else all afresh (the drawing by
// reachMap() and the proof by checkCover()).
void drag(benchmark::State& state, const core::Ring& room, double reach, bool incremental) {
    const core::Placement placement = core::placeSettingPoints(room, reach);
    std::vector<core::PlanPoint> points = placement.points;
    // The tracker is made as the drag begins: its cost is a pause there, once.
    const auto start = std::chrono::steady_clock::now();
    core::ReachTracker tracker(room, {}, points, reach);
    state.counters["start ms"] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const core::PlanPoint from = points.front();
    std::size_t step = 0;
    for (auto _ : state) {
        const double shift = 0.05 * static_cast<double>(step++ % 40);
        points.front() = {from.x + shift, from.y + shift / 2};
        if (incremental) {
            tracker.move(0, points.front());
            benchmark::DoNotOptimize(tracker.map().uncovered.size());
            benchmark::DoNotOptimize(tracker.proven());
            benchmark::DoNotOptimize(tracker.farthest());
        } else {
            benchmark::DoNotOptimize(core::reachMap(room, points, reach).uncovered.size());
            benchmark::DoNotOptimize(core::checkCover(room, points, reach).proven);
        }
    }
    state.counters["points"] = static_cast<double>(points.size());
}

void BM_DragRoom1500(benchmark::State& state) {
    drag(state, rectangle(30, 50), 20, state.range(0) != 0);
}
BENCHMARK(BM_DragRoom1500)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_DragL1500(benchmark::State& state) {
    drag(state, {{0, 0}, {60, 0}, {60, 15}, {30, 15}, {30, 35}, {0, 35}}, 20, state.range(0) != 0);
}
BENCHMARK(BM_DragL1500)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// Square halls of 2 500 and 10 000 m² at R = 9 m.
void BM_DragHall(benchmark::State& state) {
    const double side = std::sqrt(static_cast<double>(state.range(0)));
    drag(state, rectangle(side, side), 9, state.range(1) != 0);
}
BENCHMARK(BM_DragHall)
    ->Args({2500, 1})
    ->Args({10000, 1})
    ->Args({10000, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace
