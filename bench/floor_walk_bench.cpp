// Cost of walking a floor through its doors: rows of ten rooms of 4 × 4 m in walls 0.2 m thick,
// each room with a 0.9 m door to the room beside it and enough doors to the room above to make
// 1.25 doors a room (200 rooms and 250 doors, and twice that); the doors found from their swings
// between the rooms' outlines and the walkable region built, then the proof of a point in the
// middle of every other room, as the squares of one colour on a chessboard; and the points placed
// on such a floor and proven, with no room named as circulation.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>
#include <vector>

#include "floor_placement.h"
#include "floor_walk.h"

namespace {

struct Floor {
    std::vector<core::RoomShape> rooms;
    std::vector<core::DoorCandidate> doors;
    std::vector<core::PlanPoint> points;
};

Floor floorOf(std::size_t rooms) {
    constexpr std::size_t kRows = 10;
    const std::size_t columns = rooms / kRows;
    Floor floor;
    for (std::size_t i = 0; i < columns; ++i) {
        for (std::size_t j = 0; j < kRows; ++j) {
            const double x = 4.2 * static_cast<double>(i);
            const double y = 4.2 * static_cast<double>(j);
            floor.rooms.push_back({{{x, y}, {x + 4, y}, {x + 4, y + 4}, {x, y + 4}}, {}});
            if ((i + j) % 2 == 0) {
                floor.points.push_back({x + 2, y + 2});
            }
        }
    }
    const auto door = [&floor](core::PlanPoint hinge, core::PlanPoint closed,
                               core::PlanPoint open) {
        floor.doors.push_back({std::to_string(floor.doors.size()), {{hinge, 0.9, closed, open}}});
    };
    // Across each wall between neighbours in a row: hinged on the left room's side.
    for (std::size_t i = 0; i + 1 < columns; ++i) {
        for (std::size_t j = 0; j < kRows; ++j) {
            const double x = 4.2 * static_cast<double>(i) + 4;
            const double y = 4.2 * static_cast<double>(j) + 1;
            door({x, y}, {x, y + 0.9}, {x - 0.9, y});
        }
    }
    // Across the walls between rows, spread over every pair of rows and along it.
    const std::size_t upward = rooms + rooms / 4 - floor.doors.size();
    for (std::size_t k = 0; k < upward; ++k) {
        const std::size_t pair = k % (kRows - 1);
        const std::size_t column = (k / (kRows - 1) * 7 + pair * 3) % columns;
        const double x = 4.2 * static_cast<double>(column) + 1;
        const double y = 4.2 * static_cast<double>(pair) + 4;
        door({x, y}, {x + 0.9, y}, {x, y - 0.9});
    }
    return floor;
}

void BM_DoorsAndRegion(benchmark::State& state) {
    const Floor floor = floorOf(static_cast<std::size_t>(state.range(0)));
    std::size_t doors = 0;
    std::size_t parts = 0;
    for (auto _ : state) {
        const std::vector<core::WallDoor> found =
            core::doorsBetweenRooms(floor.rooms, floor.doors, 0.005);
        const core::FloorRegion region = core::walkableRegion(floor.rooms, found);
        doors = found.size();
        parts = region.parts.size();
        benchmark::DoNotOptimize(region.parts.data());
    }
    state.counters["rooms"] = static_cast<double>(floor.rooms.size());
    state.counters["doors"] = static_cast<double>(doors);
    state.counters["parts"] = static_cast<double>(parts);
}
BENCHMARK(BM_DoorsAndRegion)->Arg(50)->Arg(100)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond);

void BM_FloorProof(benchmark::State& state) {
    const Floor floor = floorOf(static_cast<std::size_t>(state.range(0)));
    const core::FloorRegion region =
        core::walkableRegion(floor.rooms, core::doorsBetweenRooms(floor.rooms, floor.doors, 0.005));
    bool proven = false;
    for (auto _ : state) {
        const core::FloorCover cover = core::checkFloorCover(region, floor.points, 20);
        proven = cover.proven;
        benchmark::DoNotOptimize(cover.rooms.data());
    }
    state.counters["points"] = static_cast<double>(floor.points.size());
    state.counters["proven"] = proven ? 1 : 0;
}
BENCHMARK(BM_FloorProof)->Arg(50)->Arg(100)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond);

void BM_FloorPlacement(benchmark::State& state) {
    const Floor floor = floorOf(static_cast<std::size_t>(state.range(0)));
    const std::vector<core::WallDoor> doors =
        core::doorsBetweenRooms(floor.rooms, floor.doors, 0.005);
    const core::FloorRegion region = core::walkableRegion(floor.rooms, doors);
    const std::vector<bool> circulation(floor.rooms.size(), false);
    core::FloorPlacement placed;
    for (auto _ : state) {
        placed = core::placeFloorPoints(region, doors, circulation, 20);
        benchmark::DoNotOptimize(placed.points.data());
    }
    state.counters["points"] = static_cast<double>(placed.points.size());
    state.counters["inRooms"] = static_cast<double>(placed.inRooms);
    state.counters["proven"] = placed.proven ? 1 : 0;
}
BENCHMARK(BM_FloorPlacement)->Arg(50)->Arg(100)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond);

}  // namespace
