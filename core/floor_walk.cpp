#include "floor_walk.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <numeric>
#include <string>
#include <utility>

#include <boost/geometry/algorithms/correct.hpp>
#include <boost/geometry/algorithms/covered_by.hpp>
#include <boost/geometry/algorithms/union.hpp>
#include <boost/geometry/algorithms/within.hpp>
#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#include <boost/geometry/index/rtree.hpp>

#include "plan_geometry.h"
#include "plan_vectors.h"
#include "room_paths.h"

namespace core {

namespace {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

using Entry = std::pair<GeometryBox, std::size_t>;
using BoxTree = bgi::rtree<Entry, bgi::quadratic<16>>;

// How far a door's rectangle reaches into the rooms it joins, so that the union overlaps them
// rather than touching them along a line.
constexpr double kIntoRoom = 0.01;

Polygon polygonOf(const RoomShape& room) {
    Polygon polygon;
    const Ring outline = counterClockwise(room.outline);
    polygon.outer().assign(outline.begin(), outline.end());
    for (const Ring& hole : room.holes) {
        Ring ring = counterClockwise(hole);
        std::ranges::reverse(ring);
        polygon.inners().emplace_back(ring.begin(), ring.end());
    }
    bg::correct(polygon);
    return polygon;
}

// A room whose outline and holes are simple rings with area, the holes inside the outline and
// apart from each other: any other is left out of the floor, as Boost.Geometry's union may throw
// on it.
bool sound(const RoomShape& room) {
    const auto fine = [](const Ring& ring) {
        return ringFault(withoutRepeats(ring, 0)) == RingFault::None;
    };
    if (!fine(room.outline) || !std::ranges::all_of(room.holes, fine)) {
        return false;
    }
    for (std::size_t i = 0; i < room.holes.size(); ++i) {
        if (!ringInside(room.holes[i], room.outline)) {
            return false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (!ringsApart(room.holes[i], room.holes[j])) {
                return false;
            }
        }
    }
    return true;
}

// The rooms of a floor, ready for questions about the points near a door.
class Rooms {
  public:
    explicit Rooms(const std::vector<RoomShape>& rooms) : rooms_(rooms) {
        std::vector<Entry> boxes;
        for (std::size_t r = 0; r < rooms.size(); ++r) {
            const bool kept = sound(rooms[r]);
            polygons_.push_back(kept ? polygonOf(rooms[r]) : Polygon{});
            if (kept) {
                boxes.emplace_back(geometryBox(bounds(rooms[r].outline)), r);
            }
        }
        tree_ = BoxTree(boxes);
    }

    // The room whose inside holds the point, if any.
    [[nodiscard]] std::optional<std::size_t> inside(PlanPoint at) const {
        std::vector<Entry> found;
        tree_.query(bgi::intersects(at), std::back_inserter(found));
        std::ranges::sort(found, {}, &Entry::second);
        for (const auto& [box, r] : found) {
            if (bg::within(at, polygons_[r])) {
                return r;
            }
        }
        return std::nullopt;
    }

    // Some room holds the point farther than `depth` from its walls.
    [[nodiscard]] bool deepIn(PlanPoint at, double depth) const {
        const std::optional<std::size_t> room = inside(at);
        if (!room) {
            return false;
        }
        const auto near = [&](const Ring& ring) {
            for (std::size_t i = 0; i < ring.size(); ++i) {
                const PlanPoint a = ring[i];
                const PlanPoint e = ring[(i + 1) % ring.size()] - a;
                const PlanPoint w = at - a;
                const double t =
                    std::clamp((w.x * e.x + w.y * e.y) / (e.x * e.x + e.y * e.y), 0.0, 1.0);
                const PlanPoint off = w - e * t;
                if (length(off) <= depth) {
                    return true;
                }
            }
            return false;
        };
        const RoomShape& shape = rooms_[*room];
        return !near(shape.outline) && std::ranges::none_of(shape.holes, near);
    }

    // The room whose walls the ray from `from` along the unit `direction` meets first within
    // `reach`, going into it, and how far along.
    struct Side {
        std::optional<std::size_t> room;
        double distance = 0;
    };
    [[nodiscard]] Side side(PlanPoint from, PlanPoint direction, double reach) const {
        const PlanPoint to = from + direction * reach;
        std::vector<Entry> found;
        GeometryBox box{{std::min(from.x, to.x), std::min(from.y, to.y)},
                        {std::max(from.x, to.x), std::max(from.y, to.y)}};
        tree_.query(bgi::intersects(box), std::back_inserter(found));
        std::vector<double> crossings;
        for (const auto& [b, r] : found) {
            const auto meet = [&](const Ring& ring) {
                for (std::size_t i = 0; i < ring.size(); ++i) {
                    const PlanPoint a = ring[i];
                    const PlanPoint e = ring[(i + 1) % ring.size()] - a;
                    const double d = cross(direction, e);
                    if (d == 0) {
                        continue;
                    }
                    const PlanPoint w = a - from;
                    const double t = cross(w, e) / d;
                    const double u = cross(w, direction) / d;
                    if (t >= -1e-9 && t <= reach && u >= -1e-9 && u <= 1 + 1e-9) {
                        crossings.push_back(std::max(0.0, t));
                    }
                }
            };
            meet(rooms_[r].outline);
            std::ranges::for_each(rooms_[r].holes, meet);
        }
        std::ranges::sort(crossings);
        for (const double t : crossings) {
            const std::optional<std::size_t> room = inside(from + direction * (t + kIntoRoom / 2));
            if (room) {
                return {room, t};
            }
        }
        return {};
    }

  private:
    const std::vector<RoomShape>& rooms_;
    std::vector<Polygon> polygons_;
    BoxTree tree_;
};

// The rooms either side of a door's opening (left of hinge→end, then right), measured from its
// middle; where both are found farther apart than `reach`, the farther is dropped.
std::array<Rooms::Side, 2> sidesOf(const Rooms& rooms, PlanPoint hinge, PlanPoint end,
                                   double reach) {
    const PlanPoint span = end - hinge;
    const double width = length(span);
    if (!(width > 0) || !std::isfinite(width)) {
        return {};
    }
    const PlanPoint left{-span.y / width, span.x / width};
    const PlanPoint middle = (hinge + end) * 0.5;
    std::array<Rooms::Side, 2> sides{rooms.side(middle, left, reach),
                                     rooms.side(middle, left * -1, reach)};
    if (sides[0].room && sides[1].room && sides[0].distance + sides[1].distance > reach) {
        sides[sides[0].distance > sides[1].distance ? 0 : 1] = {};
    }
    return sides;
}

// The union of polygons, merged in pairs of neighbours so that each merge is of like sizes.
Polygons unionOf(std::vector<Polygons> pieces) {
    if (pieces.empty()) {
        return {};
    }
    while (pieces.size() > 1) {
        std::vector<Polygons> merged;
        merged.reserve((pieces.size() + 1) / 2);
        for (std::size_t i = 0; i + 1 < pieces.size(); i += 2) {
            Polygons out;
            bg::union_(pieces[i], pieces[i + 1], out);
            merged.push_back(std::move(out));
        }
        if (pieces.size() % 2 == 1) {
            merged.push_back(std::move(pieces.back()));
        }
        pieces = std::move(merged);
    }
    return std::move(pieces.front());
}

}  // namespace

std::vector<WallDoor> doorsBetweenRooms(const std::vector<RoomShape>& rooms,
                                        const std::vector<DoorCandidate>& doors, double tolerance,
                                        const std::vector<DoorOutline>& outlines) {
    const Rooms index(rooms);
    const double reach = kThickestWall + tolerance;
    // How many rooms lie either side of a line across a gap between outlines.
    const auto fit = [&](PlanPoint hinge, PlanPoint end) {
        if (index.deepIn((hinge + end) * 0.5, tolerance)) {
            return OpeningFit{0, 0};
        }
        const auto sides = sidesOf(index, hinge, end, reach);
        return OpeningFit{(sides[0].room ? 1U : 0U) + (sides[1].room ? 1U : 0U), 0};
    };
    std::vector<WallDoor> found;
    const auto add = [&](const std::string& handle, const SwingOpening& opening) {
        if (fit(opening.hinge, opening.end) == OpeningFit{0, 0}) {
            return;
        }
        const auto sides = sidesOf(index, opening.hinge, opening.end, reach);
        found.push_back(
            {handle, opening.hinge, opening.end, opening.swing, {sides[0].room, sides[1].room}});
    };
    for (const DoorCandidate& door : doors) {
        if (const std::optional<SwingOpening> opening = swingOpening(door, fit)) {
            add(door.handle, *opening);
        }
    }
    for (const DoorOutline& door : outlines) {
        if (door.outline.size() >= 2) {
            add(door.handle, doorOutlineOpening(door.outline));
        }
    }
    return found;
}

FloorRegion walkableRegion(const std::vector<RoomShape>& rooms, const std::vector<WallDoor>& doors,
                           double tolerance) {
    FloorRegion region{rooms, {}};
    const Rooms index(region.rooms);
    // The rooms joined by chains of doors, as each room's first in its chain.
    std::vector<std::size_t> chain(rooms.size());
    std::iota(chain.begin(), chain.end(), std::size_t{0});
    const auto first = [&chain](std::size_t r) {
        while (chain[r] != r) {
            r = chain[r] = chain[chain[r]];
        }
        return r;
    };
    std::vector<Polygons> pieces;
    pieces.reserve(rooms.size() + doors.size());
    for (const RoomShape& room : rooms) {
        if (sound(room)) {
            pieces.push_back({polygonOf(room)});
        }
    }
    for (const WallDoor& door : doors) {
        const auto sides = sidesOf(index, door.hinge, door.end, kThickestWall + tolerance);
        if (!sides[0].room && !sides[1].room) {
            continue;
        }
        const PlanPoint span = door.end - door.hinge;
        const double width = length(span);
        const PlanPoint left{-span.y / width, span.x / width};
        const double up = sides[0].room ? sides[0].distance + kIntoRoom : 0;
        const double down = sides[1].room ? sides[1].distance + kIntoRoom : 0;
        if (up + down <= 0) {
            continue;
        }
        if (sides[0].room && sides[1].room) {
            chain[first(*sides[0].room)] = first(*sides[1].room);
        }
        const Ring rectangle{door.hinge + left * -down, door.end + left * -down,
                             door.end + left * up, door.hinge + left * up};
        pieces.push_back({polygonOf({rectangle, {}})});
    }
    const Polygons joined = unionOf(std::move(pieces));
    for (const Polygon& polygon : joined) {
        FloorPart part;
        part.outline = withoutRepeats(Ring(polygon.outer().begin(), polygon.outer().end()), 1e-9);
        for (const auto& inner : polygon.inners()) {
            part.holes.push_back(withoutRepeats(Ring(inner.begin(), inner.end()), 1e-9));
        }
        region.parts.push_back(std::move(part));
    }
    for (std::size_t r = 0; r < rooms.size(); ++r) {
        if (!sound(rooms[r])) {
            continue;
        }
        const PlanPoint at = labelPoint(rooms[r].outline, rooms[r].holes);
        for (std::size_t p = 0; p < joined.size(); ++p) {
            if (bg::covered_by(at, joined[p])) {
                FloorPart& part = region.parts[p];
                part.withoutDoor = part.withoutDoor ||
                                   (!part.rooms.empty() && first(part.rooms.front()) != first(r));
                part.rooms.push_back(r);
                break;
            }
        }
    }
    return region;
}

FloorCover checkFloorCover(const FloorRegion& region, const std::vector<PlanPoint>& points,
                           double reach) {
    FloorCover cover;
    cover.rooms.resize(region.rooms.size());
    cover.proven = std::ranges::all_of(region.rooms, sound);
    std::vector<bool> taken(points.size(), false);
    cover.shares.assign(points.size(), kUnreachable);
    for (std::size_t p = 0; p < region.parts.size(); ++p) {
        const FloorPart& part = region.parts[p];
        const RoomPaths paths(part.outline, part.holes, reach);
        std::vector<PlanPoint> mine;
        std::vector<std::size_t> given;
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (!taken[i] && paths.contains(points[i])) {
                taken[i] = true;
                mine.push_back(points[i]);
                given.push_back(i);
            }
        }
        CoverCheck check = placing::check(paths, mine, reach);
        for (std::size_t k = 0; k < given.size() && k < check.shares.size(); ++k) {
            cover.shares[given[k]] = check.shares[k];
        }
        if (!part.rooms.empty()) {
            cover.proven = cover.proven && check.proven;
        }
        cover.parts.push_back(std::move(check));
        const std::optional<DistanceField> field =
            mine.empty() ? std::nullopt : std::optional<DistanceField>(std::in_place, paths, mine);
        for (const std::size_t r : part.rooms) {
            RoomReach& room = cover.rooms[r];
            room.part = p;
            if (!field) {
                room.farthest = kUnreachable;
                continue;
            }
            const RoomShape& shape = region.rooms[r];
            std::vector<Ring> rings{shape.outline};
            rings.insert(rings.end(), shape.holes.begin(), shape.holes.end());
            std::vector<PlanPoint> demand = placing::wallPoints(rings, kDemandSpacing);
            const placing::Grid grid(shape.outline, kDemandSpacing);
            for (std::size_t j = 0; j <= grid.ny; ++j) {
                for (std::size_t i = 0; i <= grid.nx; ++i) {
                    const PlanPoint at = grid.node(i, j);
                    if (inRoom(at, shape.outline, shape.holes)) {
                        demand.push_back(at);
                    }
                }
            }
            room.proven = true;
            for (const PlanPoint at : demand) {
                if (!paths.contains(at)) {
                    continue;
                }
                const double distance = field->at(at, reach);
                if (distance > room.farthest) {
                    room.farthest = distance;
                    room.farthestAt = at;
                }
            }
            room.proven = room.farthest <= reach - kDemandMargin;
        }
    }
    return cover;
}

}  // namespace core
