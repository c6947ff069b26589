#include "room_finding.h"

#include <algorithm>
#include <boost/geometry/algorithms/area.hpp>
#include <boost/geometry/algorithms/covered_by.hpp>
#include <boost/geometry/algorithms/difference.hpp>
#include <boost/geometry/algorithms/disjoint.hpp>
#include <boost/geometry/algorithms/intersects.hpp>
#include <boost/geometry/algorithms/sym_difference.hpp>
#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <cmath>
#include <exception>
#include <numeric>
#include <optional>
#include <utility>

#include "plan_geometry.h"
#include "room_names.h"

namespace core {

namespace {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

// An outline's box and its place among the outlines.
using BoxEntry = std::pair<GeometryBox, std::size_t>;
using BoxTree = bgi::rtree<BoxEntry, bgi::rstar<16>>;

// Vertices closer than this (in metres) are one.
constexpr double kRepeatTolerance = 1e-6;

OutlineRefusal refusalOf(RingFault fault) {
    switch (fault) {
        case RingFault::TooFewVertices:
            return OutlineRefusal::TooFewVertices;
        case RingFault::NotFinite:
            return OutlineRefusal::NotFinite;
        case RingFault::ZeroArea:
            return OutlineRefusal::ZeroArea;
        case RingFault::SelfIntersecting:
        case RingFault::None:
            break;
    }
    return OutlineRefusal::SelfIntersecting;
}

// A simple outline.
struct Outline {
    std::size_t input = 0;  // its place among the outlines given
    Ring ring;              // counter-clockwise, chords inside
    double area = 0;        // of the curved outline
    PlanBox box;
    bool proposedLayer = false;
};

BoxTree boxTree(const std::vector<Outline>& outlines, const std::vector<std::size_t>& chosen) {
    std::vector<BoxEntry> entries;
    entries.reserve(chosen.size());
    for (const std::size_t i : chosen) {
        entries.emplace_back(geometryBox(outlines[i].box), i);
    }
    return BoxTree(entries);
}

double boxOverlap(const PlanBox& a, const PlanBox& b) {
    const double width = std::min(a.max.x, b.max.x) - std::max(a.min.x, b.min.x);
    const double height = std::min(a.max.y, b.max.y) - std::max(a.min.y, b.min.y);
    return width > 0 && height > 0 ? width * height : 0;
}

// The two outlines are one region: their symmetric difference is below kSameRegion.
bool sameRegion(const Outline& a, const Outline& b) {
    // The symmetric difference is at least the difference of the areas, and at least what of
    // both lies outside their boxes' overlap.
    const double overlap = boxOverlap(a.box, b.box);
    if (std::abs(a.area - b.area) >= kSameRegion || a.area + b.area - 2 * overlap >= kSameRegion) {
        return false;
    }
    try {
        Polygons difference;
        bg::sym_difference(a.ring, b.ring, difference);
        return bg::area(difference) < kSameRegion;
    } catch (const std::exception&) {
        // Boost.Geometry gives up on some nearly degenerate input; such rings are kept apart.
        return false;
    }
}

// The earlier outline of the same region, for every outline that repeats one.
std::vector<std::optional<std::size_t>> repeats(const std::vector<Outline>& outlines,
                                                const BoxTree& tree) {
    std::vector<std::optional<std::size_t>> result(outlines.size());
    std::vector<BoxEntry> found;
    for (std::size_t i = 0; i < outlines.size(); ++i) {
        found.clear();
        tree.query(bgi::intersects(geometryBox(outlines[i].box)), std::back_inserter(found));
        std::ranges::sort(found, {}, &BoxEntry::second);
        for (const auto& [box, earlier] : found) {
            if (earlier >= i) {
                break;
            }
            if (!result[earlier] && sameRegion(outlines[i], outlines[earlier])) {
                result[i] = earlier;
                break;
            }
        }
    }
    return result;
}

// What an outline becomes.
enum class Role : std::uint8_t { Room, Hole, Repeat, HoldsRooms, TooSmall, InHole };

}  // namespace

void keepTallest(std::optional<std::size_t>& kept, std::size_t text,
                 const std::vector<PlanText>& texts) {
    if (!kept || texts[text].height > texts[*kept].height) {
        kept = text;
    }
}

FoundRooms findRooms(const std::vector<PlanOutline>& input, const std::vector<PlanText>& texts) {
    FoundRooms result;
    std::vector<Outline> outlines;
    for (std::size_t i = 0; i < input.size(); ++i) {
        const PlanOutline& given = input[i];
        const auto refuse = [&](OutlineRefusal reason) { result.refused.push_back({i, reason}); };
        if (given.unread) {
            refuse(OutlineRefusal::Unread);
            continue;
        }
        if (flattenedSize(given.vertices, kOutlineSagitta) > kMaxFlattenedVertices) {
            refuse(OutlineRefusal::TooManyVertices);
            continue;
        }
        Ring ring =
            withoutRepeats(flattenBulges(given.vertices, kOutlineSagitta), kRepeatTolerance);
        if (const RingFault fault = ringFault(ring); fault != RingFault::None) {
            refuse(refusalOf(fault));
            continue;
        }
        ring = counterClockwise(std::move(ring));
        const double area = given.curveArea.value_or(std::abs(signedBulgeArea(given.vertices)));
        const PlanBox box = bounds(ring);
        outlines.push_back({i, std::move(ring), area, box, given.proposedLayer});
    }
    const std::size_t count = outlines.size();
    const auto smaller = [&](std::size_t a, std::size_t b) {
        return outlines[a].area < outlines[b].area ||
               (outlines[a].area == outlines[b].area && a < b);
    };

    std::vector<std::size_t> every(count);
    std::iota(every.begin(), every.end(), std::size_t{0});
    const std::vector<std::optional<std::size_t>> repeated =
        repeats(outlines, boxTree(outlines, every));
    std::vector<std::size_t> distinct;
    for (std::size_t i = 0; i < count; ++i) {
        if (!repeated[i]) {
            distinct.push_back(i);
        }
    }
    const BoxTree tree = boxTree(outlines, distinct);

    // The outlines that hold each outline.
    std::vector<std::vector<std::size_t>> holders(count);
    std::vector<BoxEntry> found;
    for (const std::size_t inner : distinct) {
        found.clear();
        tree.query(bgi::covers(geometryBox(outlines[inner].box)), std::back_inserter(found));
        for (const auto& [box, outer] : found) {
            if (outer != inner && ringInside(outlines[inner].ring, outlines[outer].ring)) {
                holders[inner].push_back(outer);
            }
        }
    }

    // The outlines in which each text lies; each outline's tallest text, and its tallest of those
    // that lie in no smaller outline (its own).
    std::vector<std::string> textNames(texts.size());
    std::vector<std::vector<std::size_t>> textIn(texts.size());
    std::vector<std::optional<std::size_t>> tallest(count);
    std::vector<std::optional<std::size_t>> tallestOwn(count);
    for (std::size_t t = 0; t < texts.size(); ++t) {
        textNames[t] = roomNameOf(texts[t].text);
        if (textNames[t].empty()) {
            continue;
        }
        const PlanPoint at = texts[t].at;
        found.clear();
        tree.query(bgi::intersects(at), std::back_inserter(found));
        std::optional<std::size_t> innermost;
        for (const auto& [box, i] : found) {
            if (coveredBy(at, outlines[i].ring)) {
                textIn[t].push_back(i);
                keepTallest(tallest[i], t, texts);
                if (!innermost || smaller(i, *innermost)) {
                    innermost = i;
                }
            }
        }
        if (innermost) {
            keepTallest(tallestOwn[*innermost], t, texts);
        }
    }

    // Holes hold no name, or a void's as their own; small outlines on layers not proposed are no
    // rooms.
    std::vector<bool> holeLike(count);
    std::vector<bool> tooSmall(count);
    std::vector<bool> roomLike(count);
    for (const std::size_t i : distinct) {
        const std::optional<std::size_t> own = tallestOwn[i] ? tallestOwn[i] : tallest[i];
        holeLike[i] = !own || isVoidName(textNames[*own]);
        tooSmall[i] = outlines[i].area < kSmallestRoom && !outlines[i].proposedLayer;
        roomLike[i] = !holeLike[i] && !tooSmall[i];
    }
    std::vector<bool> holdsRooms(count, false);
    for (const std::size_t inner : distinct) {
        for (const std::size_t outer : holders[inner]) {
            holdsRooms[outer] = holdsRooms[outer] || roomLike[inner];
        }
    }
    std::vector<std::size_t> roomsInside(count, 0);
    for (const std::size_t inner : distinct) {
        for (const std::size_t outer : holders[inner]) {
            roomsInside[outer] += roomLike[inner] && !holdsRooms[inner] ? 1 : 0;
        }
    }

    // From the largest outline down, so that the holders are decided first.
    std::vector<Role> roles(count, Role::Repeat);
    std::vector<std::size_t> holeOf(count);  // the room of each hole, the hole of what is in one
    std::vector<std::size_t> bySize = distinct;
    std::ranges::sort(bySize, [&](std::size_t a, std::size_t b) { return smaller(b, a); });
    for (const std::size_t i : bySize) {
        std::optional<std::size_t> holder;
        for (const std::size_t outer : holders[i]) {
            const Role role = roles[outer];
            if ((role == Role::Room || role == Role::Hole || role == Role::InHole) &&
                (!holder || smaller(outer, *holder))) {
                holder = outer;
            }
        }
        if (holdsRooms[i]) {
            roles[i] = Role::HoldsRooms;
        } else if (holder && roles[*holder] != Role::Room) {
            roles[i] = Role::InHole;
            holeOf[i] = roles[*holder] == Role::Hole ? *holder : holeOf[*holder];
        } else if (holder && holeLike[i]) {
            roles[i] = Role::Hole;
            holeOf[i] = *holder;
        } else {
            roles[i] = tooSmall[i] ? Role::TooSmall : Role::Room;
        }
    }

    // Each room's tallest text that lies in no hole: the text's place among the texts.
    std::vector<std::optional<std::size_t>> names(count);
    for (std::size_t t = 0; t < texts.size(); ++t) {
        // Of overlapping rooms and holes the smallest; of those equally large the first.
        std::optional<std::size_t> in;
        for (const std::size_t i : textIn[t]) {
            if ((roles[i] == Role::Room || roles[i] == Role::Hole) && (!in || smaller(i, *in))) {
                in = i;
            }
        }
        if (in && roles[*in] == Role::Room) {
            keepTallest(names[*in], t, texts);
        }
    }

    std::vector<std::vector<std::size_t>> holes(count);
    for (const std::size_t i : distinct) {
        if (roles[i] == Role::Hole) {
            holes[holeOf[i]].push_back(i);
        }
    }
    std::size_t unnamed = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Outline& outline = outlines[i];
        const auto refuse = [&](OutlineRefusal reason, std::size_t other, std::size_t number) {
            result.refused.push_back({outline.input, reason, other, number});
        };
        switch (roles[i]) {
            case Role::Repeat:
                refuse(OutlineRefusal::Repeat, outlines[*repeated[i]].input, 0);
                continue;
            case Role::HoldsRooms:
                if (roomsInside[i] >= kFloorRooms) {
                    result.floors.push_back({outline.input, outline.ring, roomsInside[i]});
                } else {
                    refuse(OutlineRefusal::HoldsRooms, 0, roomsInside[i]);
                }
                continue;
            case Role::TooSmall:
                refuse(OutlineRefusal::TooSmall, 0, 0);
                continue;
            case Role::InHole:
                refuse(OutlineRefusal::InHole, outlines[holeOf[i]].input, 0);
                continue;
            case Role::Hole:
                continue;
            case Role::Room:
                break;
        }
        const PlanOutline& given = input[outline.input];
        PlanRoomInput room{names[i] ? textNames[*names[i]] : std::string(), given.layer,
                           given.handle, outline.ring, 0};
        const std::size_t unnamedNumber = names[i] ? 0 : ++unnamed;
        double area = outline.area;
        if (!holes[i].empty()) {
            // The holes' chords lie outside them, so that the room's ring covers no hole.
            Polygons cut;
            cut.resize(1);
            cut.front().outer().assign(outline.ring.begin(), outline.ring.end());
            double chordArea = core::area(outline.ring);
            for (const std::size_t hole : holes[i]) {
                const std::vector<BulgeVertex>& vertices = input[outlines[hole].input].vertices;
                Ring ring = withoutRepeats(
                    flattenBulges(vertices, kOutlineSagitta, ChordSide::Outside), kRepeatTolerance);
                if (ringFault(ring) != RingFault::None) {
                    ring = outlines[hole].ring;
                }
                ring = counterClockwise(std::move(ring));
                area -= outlines[hole].area;
                chordArea -= core::area(ring);
                Polygons rest;
                try {
                    bg::difference(cut, ring, rest);
                } catch (const std::exception&) {
                    rest = cut;
                }
                cut = std::move(rest);
            }
            // Holes that overlap, or that reach the outline, are cut from it; where they overlap,
            // the area is that of the chords.
            const double cutArea = bg::area(cut);
            if (std::abs(cutArea - chordArea) > 1e-9 * outline.area + 1e-9) {
                area = cutArea;
            }
            const auto refuseWithHoles = [&](OutlineRefusal reason, std::size_t number) {
                refuse(reason, 0, number);
                for (const std::size_t hole : holes[i]) {
                    result.refused.push_back(
                        {outlines[hole].input, OutlineRefusal::InRefusedRoom, outline.input});
                }
            };
            if (cut.size() != 1) {
                refuseWithHoles(OutlineRefusal::SplitByHoles, cut.size());
                continue;
            }
            room.outline = withoutRepeats(
                Ring(cut.front().outer().begin(), cut.front().outer().end()), kRepeatTolerance);
            for (const auto& inner : cut.front().inners()) {
                room.holes.push_back(counterClockwise(
                    withoutRepeats({inner.begin(), inner.end()}, kRepeatTolerance)));
            }
            // A hole that leaves only a sliver of the room, or a ring that the cut made
            // degenerate, leaves no room that can be placed.
            const bool sound =
                area > 0 && ringFault(room.outline) == RingFault::None &&
                std::ranges::all_of(room.holes, [&](const Ring& hole) {
                    return ringFault(hole) == RingFault::None && ringInside(hole, room.outline);
                });
            if (!sound) {
                refuseWithHoles(OutlineRefusal::BrokenByHoles, 0);
                continue;
            }
        }
        room.area = areaRoundedUp(area);
        result.rooms.push_back(std::move(room));
        result.unnamedNumbers.push_back(unnamedNumber);
    }
    std::ranges::stable_sort(result.refused, {}, &RefusedOutline::outline);
    return result;
}

}  // namespace core
