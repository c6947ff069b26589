// Cost of finding the rooms of a floor from its walls: a grid of side × side rooms of 4 × 4 m in
// walls 200 mm thick drawn as pairs of lines, each room open to the one below through an opening
// of 0.9 m with its jambs, 500 of the openings with a door's swing and the others closed as gaps;
// about 8 lines a room, so that side 40, 56 and 79 give about 12 500, 25 000 and 50 000 lines.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>

#include "wall_rooms.h"

namespace {

core::WallInput floorOf(std::size_t side) {
    core::WallInput input;
    const auto line = [&input](double x0, double y0, double x1, double y1) {
        input.walls.push_back({{x0, y0}, {x1, y1}, 0});
    };
    const std::size_t openings = side * (side - 1);
    const std::size_t doorEvery = openings > 500 ? openings / 500 : 1;
    std::size_t opening = 0;
    for (std::size_t i = 0; i < side; ++i) {
        for (std::size_t j = 0; j < side; ++j) {
            const double x = 4.2 * static_cast<double>(i);
            const double y = 4.2 * static_cast<double>(j);
            line(x, y, x, y + 4);
            line(x + 4, y, x + 4, y + 4);
            if (j > 0) {
                line(x, y, x + 1, y);
                line(x + 1.9, y, x + 4, y);
                line(x + 1, y - 0.2, x + 1, y);
                line(x + 1.9, y - 0.2, x + 1.9, y);
                if (opening++ % doorEvery == 0 && input.doors.size() < 500) {
                    input.doors.push_back({"D" + std::to_string(opening),
                                           {{{x + 1, y}, 0.9, {x + 1.9, y}, {x + 1, y + 0.9}}}});
                }
            } else {
                line(x, y, x + 4, y);
            }
            if (j + 1 < side) {
                line(x, y + 4, x + 1, y + 4);
                line(x + 1.9, y + 4, x + 4, y + 4);
            } else {
                line(x, y + 4, x + 4, y + 4);
            }
            input.texts.push_back({{x + 2, y + 2}, 0.3, "办公室"});
        }
    }
    const double far = 4.2 * static_cast<double>(side) - 0.2;
    line(-0.2, -0.2, far + 0.2, -0.2);
    line(far + 0.2, -0.2, far + 0.2, far + 0.2);
    line(far + 0.2, far + 0.2, -0.2, far + 0.2);
    line(-0.2, far + 0.2, -0.2, -0.2);
    return input;
}

void BM_FindWallRooms(benchmark::State& state) {
    const core::WallInput input = floorOf(static_cast<std::size_t>(state.range(0)));
    std::size_t rooms = 0;
    for (auto _ : state) {
        const core::WallRooms found = core::findWallRooms(input);
        rooms = found.rooms.size();
        benchmark::DoNotOptimize(found.rooms.data());
    }
    state.counters["lines"] = static_cast<double>(input.walls.size());
    state.counters["rooms"] = static_cast<double>(rooms);
    state.counters["doors"] = static_cast<double>(input.doors.size());
}
BENCHMARK(BM_FindWallRooms)->Arg(40)->Arg(56)->Arg(79)->Unit(benchmark::kMillisecond);

}  // namespace
