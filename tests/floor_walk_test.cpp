#include "floor_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>
#include <numeric>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <boost/geometry.hpp>

#include "floor_placement.h"
#include "placement.h"
#include "plan_geometry.h"

namespace core {
namespace {

namespace bg = boost::geometry;

// A floor as drawn: room outlines and door swings, and per door the room its leaf swings into
// and the one on its other side (none for an exit); a candidate with neither is no door.
struct Floor {
    std::vector<RoomShape> rooms;
    std::vector<DoorCandidate> doors;
    std::vector<std::pair<std::optional<std::size_t>, std::optional<std::size_t>>> joins;
};

Ring box(double x0, double y0, double x1, double y1) {
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

// A 1 m leaf hinged at `hinge`, closed towards `closed`, open towards `open`.
void door(Floor& floor, PlanPoint hinge, PlanPoint closed, PlanPoint open,
          std::optional<std::size_t> into, std::optional<std::size_t> beyond) {
    floor.doors.push_back({std::to_string(floor.doors.size()), {{hinge, 1, closed, open}}});
    floor.joins.emplace_back(into, beyond);
}

// 16 offices of 7.2 × 12 m on axes (7 × 11.8 m clear, walls 0.2 m), eight each side of a
// corridor of 57.6 × 2.4 m (room 0), each with a 1 m door at the middle of its corridor wall,
// an exit at each corridor end; a wardrobe's swing inside office 1; and, with `store`, a room
// with no door beyond the last office below.
Floor officeFloor(bool store) {
    Floor floor;
    floor.rooms.push_back({box(0, 0, 57.6, 2.4), {}});
    for (std::size_t i = 0; i < 8; ++i) {
        const double x = 7.2 * static_cast<double>(i);
        const double mid = x + 3.6;
        floor.rooms.push_back({box(x + 0.1, -12.2, x + 7.1, -0.2), {}});
        door(floor, {mid - 0.5, -0.2}, {mid + 0.5, -0.2}, {mid - 0.5, -1.2}, floor.rooms.size() - 1,
             0);
        floor.rooms.push_back({box(x + 0.1, 2.6, x + 7.1, 14.4), {}});
        door(floor, {mid + 0.5, 2.6}, {mid - 0.5, 2.6}, {mid + 0.5, 3.6}, floor.rooms.size() - 1,
             0);
    }
    door(floor, {0, 0.7}, {0, 1.7}, {1, 0.7}, 0, std::nullopt);
    door(floor, {57.6, 1.7}, {57.6, 0.7}, {56.6, 1.7}, 0, std::nullopt);
    door(floor, {1, -5}, {2, -5}, {1, -4}, std::nullopt, std::nullopt);
    if (store) {
        floor.rooms.push_back({box(57.8, -12.2, 62, -0.2), {}});
    }
    return floor;
}

// A corridor ringing a core of 25.2 m square, as four rooms (below, left, right, above) joined
// at the corners by doors through 0.2 m walls.
Floor ringFloor() {
    Floor floor;
    floor.rooms = {{box(0, 0, 30, 2.4), {}},
                   {box(0, 2.6, 2.4, 27.4), {}},
                   {box(27.6, 2.6, 30, 27.4), {}},
                   {box(0, 27.6, 30, 30), {}}};
    door(floor, {0.7, 2.4}, {1.7, 2.4}, {0.7, 1.4}, 0, 1);
    door(floor, {29.3, 2.4}, {28.3, 2.4}, {29.3, 1.4}, 0, 2);
    door(floor, {0.7, 27.6}, {1.7, 27.6}, {0.7, 28.6}, 3, 1);
    door(floor, {29.3, 27.6}, {28.3, 27.6}, {29.3, 28.6}, 3, 2);
    return floor;
}

struct DoorCase {
    const char* name;
    double degrees;
    double scale;
    bool mirror;
    bool swapEnds;  // each arc drawn from its other end
    bool outlines;  // each door drawn as a closed outline filling its opening, without a swing
};

const DoorCase kDoorCases[] = {
    {"AsDrawn", 0, 1, false, false, false},        {"Turned37", 37, 1, false, false, false},
    {"HalfScale", 90, 0.5, false, true, false},    {"Mirrored", 200, 1.5, true, false, false},
    {"TurnedSwapped", -121, 1, true, true, false}, {"Outlines", 0, 1, false, false, true},
    {"OutlinesTurned", 53, 2, true, false, true},
};

class DoorsBetween : public ::testing::TestWithParam<DoorCase> {};

// The doors of the office floor, drawn at other scales and angles, as swings or as outlines,
// join what they were drawn between: an office and the corridor, or the corridor and the
// outside; the leaf opens into the room it was drawn swinging into. The wardrobe's is no door.
TEST_P(DoorsBetween, JoinTheRoomsEitherSideOfTheirOpening) {
    const DoorCase& c = GetParam();
    const double a = c.degrees * std::numbers::pi / 180;
    const auto move = [&](PlanPoint p) {
        const double x = (c.mirror ? -p.x : p.x) * c.scale;
        const double y = p.y * c.scale;
        return PlanPoint{x * std::cos(a) - y * std::sin(a), x * std::sin(a) + y * std::cos(a)};
    };
    Floor floor = officeFloor(false);
    for (RoomShape& room : floor.rooms) {
        std::ranges::transform(room.outline, room.outline.begin(), move);
    }
    for (DoorCandidate& candidate : floor.doors) {
        for (SwingArc& arc : candidate.swings) {
            arc = {move(arc.centre), arc.radius * c.scale, move(arc.start), move(arc.end)};
            if (c.swapEnds) {
                std::swap(arc.start, arc.end);
            }
        }
    }
    // An outline from the leaf's closed line 0.2 m back across the wall, away from the room the
    // leaf swings into.
    std::vector<DoorOutline> outlines;
    if (c.outlines) {
        for (const DoorCandidate& candidate : floor.doors) {
            const SwingArc& arc = candidate.swings[0];
            const PlanPoint closed = c.swapEnds ? arc.end : arc.start;
            const PlanPoint open = c.swapEnds ? arc.start : arc.end;
            const PlanPoint back{(arc.centre.x - open.x) * 0.2, (arc.centre.y - open.y) * 0.2};
            outlines.push_back({candidate.handle,
                                {arc.centre,
                                 closed,
                                 {closed.x + back.x, closed.y + back.y},
                                 {arc.centre.x + back.x, arc.centre.y + back.y}}});
        }
        floor.doors.clear();
    }
    const std::vector<WallDoor> found =
        doorsBetweenRooms(floor.rooms, floor.doors, 0.005, outlines);
    ASSERT_EQ(found.size(), 18U);
    std::size_t exits = 0;
    for (const WallDoor& d : found) {
        const std::size_t k = std::stoul(d.handle);
        if (c.outlines) {
            // Across the wall's middle, either way; its rooms either side.
            EXPECT_NEAR(std::hypot(d.end.x - d.hinge.x, d.end.y - d.hinge.y), c.scale, 1e-9);
            EXPECT_EQ(d.swing, 0);
            EXPECT_EQ(std::set({d.rooms[0], d.rooms[1]}),
                      std::set({floor.joins[k].first, floor.joins[k].second}))
                << d.handle;
            exits += d.rooms[0] && d.rooms[1] ? 0 : 1;
            continue;
        }
        const PlanPoint hinge = floor.doors[k].swings[0].centre;
        EXPECT_NEAR(d.hinge.x, hinge.x, 1e-9) << d.handle;
        EXPECT_NEAR(d.hinge.y, hinge.y, 1e-9) << d.handle;
        const std::size_t leaf = d.swing > 0 ? 0 : 1;
        EXPECT_EQ(d.rooms[leaf], floor.joins[k].first) << d.handle;
        EXPECT_EQ(d.rooms[1 - leaf], floor.joins[k].second) << d.handle;
        exits += d.rooms[1 - leaf] ? 0 : 1;
    }
    EXPECT_EQ(exits, 2U);
}

INSTANTIATE_TEST_SUITE_P(Drawings, DoorsBetween, ::testing::ValuesIn(kDoorCases),
                         [](const auto& param) { return std::string(param.param.name); });

// Walking distances in a part of the region worked out apart from RoomPaths: Dijkstra over the
// points and every vertex of the part, two of them joined where the segment between them lies
// in the polygon grown by a micrometre (Boost.Geometry's buffer and covered_by), so that a
// segment through a corner the union computed a rounding off is not lost.
class Walk {
    using Polygon = bg::model::polygon<PlanPoint, false, false>;

  public:
    Walk(const FloorPart& part, const std::vector<PlanPoint>& sources) {
        Polygon polygon;
        bg::assign_points(polygon.outer(), part.outline);
        for (const Ring& hole : part.holes) {
            polygon.inners().emplace_back(hole.rbegin(), hole.rend());
        }
        bg::correct(polygon);
        namespace bs = bg::strategy::buffer;
        bg::buffer(polygon, grown_, bs::distance_symmetric<double>(1e-6), bs::side_straight(),
                   bs::join_miter(), bs::end_flat(), bs::point_square());
        nodes_ = sources;
        nodes_.insert(nodes_.end(), part.outline.begin(), part.outline.end());
        for (const Ring& hole : part.holes) {
            nodes_.insert(nodes_.end(), hole.begin(), hole.end());
        }
        reach_.assign(nodes_.size(), kUnreachable);
        std::vector<bool> done(nodes_.size(), false);
        std::fill_n(reach_.begin(), sources.size(), 0.0);
        for (std::size_t round = 0; round < nodes_.size(); ++round) {
            std::size_t u = nodes_.size();
            for (std::size_t i = 0; i < nodes_.size(); ++i) {
                if (!done[i] && (u == nodes_.size() || reach_[i] < reach_[u])) {
                    u = i;
                }
            }
            if (reach_[u] == kUnreachable) {
                break;
            }
            done[u] = true;
            for (std::size_t v = 0; v < nodes_.size(); ++v) {
                if (!done[v] && reach_[u] + gap(nodes_[u], nodes_[v]) < reach_[v] &&
                    sees(nodes_[u], nodes_[v])) {
                    reach_[v] = reach_[u] + gap(nodes_[u], nodes_[v]);
                }
            }
        }
    }

    // The shortest way to the point: through the nearest node (by way) that sees it.
    [[nodiscard]] double at(PlanPoint p) const {
        std::vector<std::pair<double, std::size_t>> ways;
        for (std::size_t i = 0; i < nodes_.size(); ++i) {
            ways.emplace_back(reach_[i] + gap(nodes_[i], p), i);
        }
        std::ranges::sort(ways);
        for (const auto& [way, i] : ways) {
            if (way < kUnreachable && sees(nodes_[i], p)) {
                return way;
            }
        }
        return kUnreachable;
    }

    // The farthest way to a point on the room's walls, every 0.25 m along them from each corner:
    // where a room is reached by one door or two, the farthest point lies on its walls.
    [[nodiscard]] double farthestOnWalls(const Ring& room) const {
        double farthest = 0;
        for (std::size_t i = 0; i < room.size(); ++i) {
            const PlanPoint a = room[i];
            const PlanPoint b = room[(i + 1) % room.size()];
            const auto n = static_cast<std::size_t>(std::ceil(gap(a, b) / 0.25 - 1e-9));
            for (std::size_t k = 0; k < n; ++k) {
                const double t = static_cast<double>(k) / static_cast<double>(n);
                farthest = std::max(farthest, at({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}));
            }
        }
        return farthest;
    }

  private:
    static double gap(PlanPoint a, PlanPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }
    [[nodiscard]] bool sees(PlanPoint a, PlanPoint b) const {
        return a == b || bg::covered_by(bg::model::linestring<PlanPoint>{a, b}, grown_);
    }

    bg::model::multi_polygon<Polygon> grown_;
    std::vector<PlanPoint> nodes_;
    std::vector<double> reach_;
};

struct FloorCase {
    const char* name;
    Floor (*floor)();
    std::vector<PlanPoint> points;
    bool proven;
    std::size_t parts;
    std::size_t holes;  // in the part of room 0
    // Rooms that are their own part, and are proven alone.
    std::vector<std::size_t> alone = {};
    std::vector<bool> aloneProven = {};
};

Floor offices() {
    return officeFloor(false);
}
Floor officesAndStore() {
    return officeFloor(true);
}

// Five points on the corridor's walls, 0.3 m off them, every 11.52 m from 5.76 m.
const std::vector<PlanPoint> kCorridor{
    {5.76, 0.3}, {17.28, 2.1}, {28.8, 0.3}, {40.32, 2.1}, {51.84, 0.3}};

const FloorCase kFloorCases[] = {
    {"OfficesFromTheCorridor", offices, kCorridor, true, 1, 0},
    {"OfficesWithOnePointMovedAway",
     offices,
     {{5.76, 0.3}, {17.28, 2.1}, {28.8, 0.3}, {40.32, 2.1}, {30, 2.1}},
     false,
     1,
     0},
    {"RingRoundACore", ringFloor, {{15, 0.3}, {29.7, 15}, {15, 29.7}, {0.3, 15}}, true, 1, 1},
    {"RingShortOfItsFarSide", ringFloor, {{15, 0.3}, {29.7, 15}, {0.3, 15}}, false, 1, 1},
    {"StoreWithNoDoorNotReached", officesAndStore, kCorridor, false, 2, 0, {17}, {false}},
    {"StoreWithNoDoorCoveredAlone",
     officesAndStore,
     {{5.76, 0.3}, {17.28, 2.1}, {28.8, 0.3}, {40.32, 2.1}, {51.84, 0.3}, {59.9, -6.2}},
     true,
     2,
     0,
     {17},
     {true}},
};

class FloorProof : public ::testing::TestWithParam<FloorCase> {};

// The floor's rooms are joined through the doors found between them; the proof over the region
// agrees with walking distances found apart from it: each room's farthest point within 0.05 m
// (or both beyond R), and it is proven where that lies within R less the margin.
TEST_P(FloorProof, WalksThroughTheDoors) {
    const FloorCase& c = GetParam();
    const Floor floor = c.floor();
    const double reach = 20;
    const FloorRegion region =
        walkableRegion(floor.rooms, doorsBetweenRooms(floor.rooms, floor.doors, 0.005));
    ASSERT_EQ(region.parts.size(), c.parts);
    // A point far outside the floor is in no part: its share is infinite, and the others' are
    // theirs in the order given.
    std::vector<PlanPoint> points = c.points;
    points.insert(points.begin(), PlanPoint{-1000, -1000});
    const FloorCover cover = checkFloorCover(region, points, reach);
    EXPECT_EQ(cover.proven, c.proven);
    ASSERT_EQ(cover.shares.size(), points.size());
    EXPECT_EQ(cover.shares.front(), kUnreachable);
    double largest = 0;
    for (const CoverCheck& part : cover.parts) {
        for (const double share : part.shares) {
            largest = std::max(largest, share);
        }
    }
    EXPECT_EQ(std::accumulate(cover.shares.begin() + 1, cover.shares.end(), 0.0,
                              [](double a, double b) { return std::max(a, b); }),
              largest);
    ASSERT_EQ(cover.rooms.size(), floor.rooms.size());
    for (std::size_t k = 0; k < c.alone.size(); ++k) {
        const FloorPart& part = region.parts[*cover.rooms[c.alone[k]].part];
        EXPECT_EQ(part.rooms, std::vector<std::size_t>{c.alone[k]});
        EXPECT_EQ(cover.rooms[c.alone[k]].proven, c.aloneProven[k]);
    }
    for (std::size_t p = 0; p < region.parts.size(); ++p) {
        const FloorPart& part = region.parts[p];
        std::vector<PlanPoint> mine;
        std::ranges::copy_if(c.points, std::back_inserter(mine), [&](PlanPoint q) {
            return coveredBy(q, part.outline) &&
                   std::ranges::none_of(part.holes, [&](const Ring& h) { return coveredBy(q, h); });
        });
        if (std::ranges::find(part.rooms, 0U) != part.rooms.end()) {
            EXPECT_EQ(part.holes.size(), c.holes);
            EXPECT_EQ(part.rooms.size(), floor.rooms.size() - c.alone.size());
        }
        const Walk walk(part, mine);
        bool proven = true;
        for (const std::size_t r : part.rooms) {
            const double farthest =
                mine.empty() ? kUnreachable : walk.farthestOnWalls(floor.rooms[r].outline);
            if (farthest > reach) {
                EXPECT_GT(cover.rooms[r].farthest, reach) << r;
            } else {
                EXPECT_NEAR(cover.rooms[r].farthest, farthest, 0.05) << r;
            }
            EXPECT_EQ(cover.rooms[r].proven, farthest <= reach - kDemandMargin) << r;
            proven = proven && cover.rooms[r].proven;
        }
        EXPECT_EQ(cover.parts[p].proven, proven) << p;
    }
}

// Rooms that are no simple ring with area, beside a sound one and a door between them, are left
// out of the floor: in no part, so the floor is not proven, while the sound room is.
TEST(FloorRegion, LeavesOutRoomsWithFaultyOutlines) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<RoomShape> rooms{
        {box(0, 0, 4, 4), {}},
        {{{4.2, 0}, {8, 4}, {8, 0}, {4.2, 4}}, {}},
        {{{4.2, 5}, {8, 5}}, {}},
        {{{4.2, 6}, {8, 6}, {nan, 8}}, {}},
        {box(0, 5, 4, 9), {box(1, 6, 5, 7)}},
    };
    const std::vector<DoorCandidate> doors{{"D", {{{4, 1}, 1, {4, 2}, {3, 1}}}}};
    const FloorRegion region = walkableRegion(rooms, doorsBetweenRooms(rooms, doors, 0.005));
    ASSERT_EQ(region.parts.size(), 1U);
    EXPECT_EQ(region.parts[0].rooms, std::vector<std::size_t>{0});
    const FloorCover cover = checkFloorCover(region, {{2, 2}}, 20);
    EXPECT_FALSE(cover.proven);
    EXPECT_TRUE(cover.rooms[0].proven);
    for (std::size_t r = 1; r < rooms.size(); ++r) {
        EXPECT_FALSE(cover.rooms[r].part) << r;
        EXPECT_FALSE(cover.rooms[r].proven) << r;
    }
}

// Rooms whose outlines touch are one part whether a door joins them or not; the part says so
// where none does.
TEST(FloorRegion, SaysWhereRoomsTouchWithoutADoor) {
    const std::vector<RoomShape> rooms{
        {box(0, 0, 4, 4), {}}, {box(4.2, 0, 8, 4), {}}, {box(8, 0, 12, 4), {}}};
    const std::vector<DoorCandidate> doors{{"D", {{{4, 1}, 1, {4, 2}, {3, 1}}}}};
    const std::vector<WallDoor> found = doorsBetweenRooms(rooms, doors, 0.005);
    const FloorRegion joined = walkableRegion({rooms[0], rooms[1]}, found);
    ASSERT_EQ(joined.parts.size(), 1U);
    EXPECT_FALSE(joined.parts[0].withoutDoor);
    const FloorRegion touching = walkableRegion(rooms, found);
    ASSERT_EQ(touching.parts.size(), 1U);
    EXPECT_EQ(touching.parts[0].rooms, (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_TRUE(touching.parts[0].withoutDoor);
}

INSTANTIATE_TEST_SUITE_P(Floors, FloorProof, ::testing::ValuesIn(kFloorCases),
                         [](const auto& param) { return std::string(param.param.name); });

// The ring with a room off its lower side, through a door in its middle.
Floor ringAndRoom() {
    Floor floor = ringFloor();
    floor.rooms.push_back({box(10, -8.2, 20, -0.2), {}});
    door(floor, {14.5, -0.2}, {15.5, -0.2}, {14.5, -1.2}, 4, 0);
    return floor;
}

double wallGap(PlanPoint p, const Ring& ring) {
    double nearest = kUnreachable;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const PlanPoint a = ring[i];
        const PlanPoint b = ring[(i + 1) % ring.size()];
        const double t = std::clamp(((p.x - a.x) * (b.x - a.x) + (p.y - a.y) * (b.y - a.y)) /
                                        ((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y)),
                                    0.0, 1.0);
        nearest =
            std::min(nearest, std::hypot(p.x - a.x - t * (b.x - a.x), p.y - a.y - t * (b.y - a.y)));
    }
    return nearest;
}

struct PlacingCase {
    const char* name;
    Floor (*floor)();
    std::vector<std::size_t> circulation;
    std::vector<PlanPoint> kept;
    std::size_t most;                  // points added at most
    std::vector<std::size_t> standIn;  // the rooms the added points stand in
    std::size_t alone = 0;             // points that the rooms take placed one by one
};

const PlacingCase kPlacingCases[] = {
    {"OfficesFromTheCorridor", offices, {0}, {}, 5, {0}, 18},
    {"OfficesWithAKeptPoint", offices, {0}, {{28.8, 2.1}}, 4, {0}},
    {"RingRoundACore", ringAndRoom, {0, 1, 2, 3}, {}, 4, {0, 1, 2, 3}},
    {"StoreWithNoDoorAlone", officesAndStore, {0}, {}, 6, {0, 17}},
};

class FloorPlacing : public ::testing::TestWithParam<PlacingCase> {};

// Points placed on a floor stand on the walls of the circulation, clear of the doors, as few as a
// designer sets, and reach every room by walking distances found apart from the proof; each is
// needed: one moved away leaves a room beyond R.
TEST_P(FloorPlacing, StandsOnTheCirculationsWallsAndReachesEveryRoom) {
    const PlacingCase& c = GetParam();
    const Floor floor = c.floor();
    const double reach = 20;
    const std::vector<WallDoor> doors = doorsBetweenRooms(floor.rooms, floor.doors, 0.005);
    const FloorRegion region = walkableRegion(floor.rooms, doors);
    std::vector<bool> circulation(floor.rooms.size(), false);
    for (const std::size_t r : c.circulation) {
        circulation[r] = true;
    }
    const FloorPlacement placed = placeFloorPoints(region, doors, circulation, reach, {}, c.kept);
    ASSERT_TRUE(placed.proven);
    ASSERT_GE(placed.points.size(), c.kept.size());
    EXPECT_TRUE(std::equal(c.kept.begin(), c.kept.end(), placed.points.begin()));
    const std::vector<PlanPoint> added(placed.points.begin() + static_cast<long>(c.kept.size()),
                                       placed.points.end());
    EXPECT_LE(added.size(), c.most);
    // A point in a room that no door joins stands in a room, not in the circulation.
    EXPECT_EQ(
        placed.inRooms, static_cast<std::size_t>(std::ranges::count_if(added, [&](PlanPoint p) {
            return std::ranges::none_of(
                c.circulation, [&](std::size_t r) { return coveredBy(p, floor.rooms[r].outline); });
        })));
    for (const PlanPoint p : added) {
        const auto room = std::ranges::find_if(
            c.standIn, [&](std::size_t r) { return coveredBy(p, floor.rooms[r].outline); });
        ASSERT_NE(room, c.standIn.end()) << p.x << " " << p.y;
        const double wall = wallGap(p, floor.rooms[*room].outline);
        EXPECT_GE(wall, kWallClearance - 1e-9) << p.x << " " << p.y;
        EXPECT_LE(wall, 0.35) << p.x << " " << p.y;
        for (const WallDoor& d : doors) {
            EXPECT_GE(wallGap(p, {d.hinge, d.end}), kDoorClearance - 1e-9) << d.handle;
        }
    }
    // Every room's farthest point agrees with the walk found apart; with one point moved onto
    // another, some room lies beyond R less the margin by both.
    std::vector<PlanPoint> moved = placed.points;
    moved[c.kept.size()] = moved.back();
    const FloorCover short_ = checkFloorCover(region, moved, reach);
    EXPECT_FALSE(short_.proven);
    bool walkedShort = false;
    for (const FloorPart& part : region.parts) {
        const auto mine = [&](const std::vector<PlanPoint>& points) {
            std::vector<PlanPoint> in;
            std::ranges::copy_if(points, std::back_inserter(in),
                                 [&](PlanPoint q) { return coveredBy(q, part.outline); });
            return in;
        };
        const Walk walk(part, mine(placed.points));
        const Walk shortWalk(part, mine(moved));
        for (const std::size_t r : part.rooms) {
            EXPECT_NEAR(placed.cover.rooms[r].farthest,
                        walk.farthestOnWalls(floor.rooms[r].outline), 0.05)
                << r;
            const double farthest = shortWalk.farthestOnWalls(floor.rooms[r].outline);
            walkedShort = walkedShort || farthest > reach - kDemandMargin;
            EXPECT_EQ(short_.rooms[r].proven, farthest <= reach - kDemandMargin) << r;
        }
    }
    EXPECT_TRUE(walkedShort);
    if (c.alone > 0) {
        std::size_t alone = 0;
        for (const RoomShape& room : floor.rooms) {
            alone += placeSettingPoints(room.outline, reach).points.size();
        }
        EXPECT_EQ(alone, c.alone);
    }
}

// Told to stop, the placing returns at once with no points.
TEST(FloorPlacing, StopsWhenTold) {
    const Floor floor = offices();
    const std::vector<WallDoor> doors = doorsBetweenRooms(floor.rooms, floor.doors, 0.005);
    const FloorPlacement placed =
        placeFloorPoints(walkableRegion(floor.rooms, doors), doors, {true}, 20,
                         [](double /*done*/) { return false; }, {{1, 1}});
    EXPECT_TRUE(placed.stopped);
    EXPECT_FALSE(placed.proven);
    EXPECT_TRUE(placed.points.empty());
}

INSTANTIATE_TEST_SUITE_P(Floors, FloorPlacing, ::testing::ValuesIn(kPlacingCases),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace core
