#include "unit_rules.h"

#include <algorithm>
#include <cmath>

#include "setting_points.h"

namespace core {
namespace {

// Why a ring cannot be a room's outline or a hole: too few or too many vertices, a vertex not
// finite or repeating the one before it (the first also after the last), not simple, no area,
// turning clockwise. `part` and `hole` say which ring it is.
UnitFault ringRuleFault(const Ring& ring, UnitPart part, std::size_t hole) {
    const auto fault = [&](UnitRule rule, std::size_t item = 0) {
        return UnitFault{rule, part, hole, item};
    };
    if (ring.size() < 3) {
        return fault(UnitRule::TooFewVertices);
    }
    if (ring.size() > kMaxOutlineVertices) {
        return UnitFault{UnitRule::TooManyVertices, part, hole, 0, ring.size()};
    }
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const PlanPoint& p = ring[i];
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
            return fault(UnitRule::VertexNotFinite, i);
        }
        if (p == ring[i == 0 ? ring.size() - 1 : i - 1]) {
            return fault(UnitRule::VertexRepeated, i);
        }
    }
    switch (ringFault(ring)) {
        case RingFault::None:
            break;
        case RingFault::NotFinite:
            return fault(UnitRule::OutOfRange);
        case RingFault::TooFewVertices:
        case RingFault::ZeroArea:
            return fault(UnitRule::ZeroArea);
        case RingFault::SelfIntersecting:
            return fault(UnitRule::SelfIntersecting);
    }
    if (signedArea(ring) <= 0) {
        return fault(UnitRule::Clockwise);
    }
    return {};
}

// Why a text is longer than a name may be: TooLong of the part, with its length.
UnitFault lengthFault(const std::string& text, UnitPart part) {
    if (const std::size_t length = editorLength(text);
        length > static_cast<std::size_t>(kMaxNameLength)) {
        return {UnitRule::TooLong, part, 0, 0, length};
    }
    return {};
}

// The rules of a combined unit's own parts: no outline, holes or plan of its own, two or more
// rooms, each named and shaped as a unit is (the fault says which), the outline round the floor's
// rooms a simple ring, each door kept (`item` says which).
UnitFault combinedFault(const Unit& unit) {
    if (!unit.outline.empty() || !unit.holes.empty()) {
        return {UnitRule::RoomsWithOutline, UnitPart::Outline};
    }
    if (unit.plan) {
        return {UnitRule::RoomsWithPlan, UnitPart::Plan};
    }
    if (unit.rooms.size() < 2) {
        return {UnitRule::TooFewRooms, UnitPart::Room, 0, 0, unit.rooms.size()};
    }
    for (std::size_t r = 0; r < unit.rooms.size(); ++r) {
        const UnitRoom& room = unit.rooms[r];
        UnitFault fault = lengthFault(room.name, UnitPart::Name);
        if (!fault) {
            fault = outlineFault(room.outline, room.holes);
        }
        if (fault) {
            fault.room = r;
            return fault;
        }
    }
    if (!unit.floorOutline.empty()) {
        if (UnitFault fault = ringRuleFault(unit.floorOutline, UnitPart::FloorOutline, 0)) {
            return fault;
        }
    }
    for (std::size_t k = 0; k < unit.doors.size(); ++k) {
        if (UnitFault fault = doorFault(unit.doors[k])) {
            fault.item = k;
            return fault;
        }
    }
    return {};
}

}  // namespace

std::size_t editorLength(std::string_view utf8) {
    std::size_t length = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) {         // not a continuation byte: a new character
            length += byte >= 0xF0 ? 2 : 1;  // beyond the first plane: a surrogate pair
        }
    }
    return length;
}

UnitFault outlineFault(const Ring& outline, const std::vector<Ring>& holes) {
    if (UnitFault fault = ringRuleFault(outline, UnitPart::Outline, 0)) {
        return fault;
    }
    std::size_t vertices = outline.size();
    for (std::size_t k = 0; k < holes.size(); ++k) {
        if (UnitFault fault = ringRuleFault(holes[k], UnitPart::Hole, k)) {
            return fault;
        }
        vertices += holes[k].size();
        if (vertices > kMaxOutlineVertices) {
            return {UnitRule::TooManyVerticesInAll, UnitPart::Outline, 0, 0, vertices};
        }
        if (!ringInside(holes[k], outline)) {
            return {UnitRule::HoleOutside, UnitPart::Hole, k};
        }
        for (std::size_t other = 0; other < k; ++other) {
            if (!ringsApart(holes[k], holes[other])) {
                return {UnitRule::HolesMeet, UnitPart::Hole, k, other};
            }
        }
    }
    return {};
}

UnitFault setPointsFault(const std::vector<PlanPoint>& points) {
    if (points.size() > static_cast<std::size_t>(kMaxPoints)) {
        return {UnitRule::TooManySetPoints, UnitPart::SetPoints, 0, 0, points.size()};
    }
    const auto notFinite = std::ranges::find_if(
        points, [](const PlanPoint& p) { return !std::isfinite(p.x) || !std::isfinite(p.y); });
    if (notFinite != points.end()) {
        return {UnitRule::SetPointNotFinite, UnitPart::SetPoints, 0,
                static_cast<std::size_t>(notFinite - points.begin())};
    }
    return {};
}

UnitFault doorFault(const PlanDoor& door) {
    if (door.floor.empty()) {
        return {UnitRule::DoorWithoutFloor, UnitPart::Door};
    }
    if (UnitFault fault = lengthFault(door.floor, UnitPart::Door)) {
        return fault;
    }
    for (const double c : {door.hinge.x, door.hinge.y, door.end.x, door.end.y}) {
        if (!std::isfinite(c)) {
            return {UnitRule::DoorNotFinite, UnitPart::Door};
        }
    }
    const double width = std::hypot(door.end.x - door.hinge.x, door.end.y - door.hinge.y);
    if (!(width >= kMinDoorWidth && width <= kMaxDoorWidth)) {
        return {UnitRule::DoorWidthOutOfRange, UnitPart::Door};
    }
    if (door.swing < -1 || door.swing > 1) {
        return {UnitRule::DoorSwingInvalid, UnitPart::Door};
    }
    return {};
}

UnitFault unitFault(const Unit& unit) {
    for (const auto& [part, text] :
         {std::pair{UnitPart::Name, &unit.name}, {UnitPart::Location, &unit.location}}) {
        if (UnitFault fault = lengthFault(*text, part)) {
            return fault;
        }
    }
    const Choices& choices = unit.choices;
    if (choices.fireClass == FireClass::D) {
        return {UnitRule::ClassD};
    }
    if (!agentAllowed(choices.fireClass, choices.agent)) {
        return {UnitRule::AgentNotAllowed};
    }
    if (!std::isfinite(choices.area) || choices.area < 0 || choices.area > kMaxUnitArea) {
        return {UnitRule::AreaOutOfRange};
    }
    if (unit.model) {
        const std::optional<UnitConditions> conditions = conditionsOf(choices);
        if (!conditions ||
            std::ranges::none_of(conditions->candidates, [&](const CandidateModel& candidate) {
                return candidate.code == *unit.model;
            })) {
            return {UnitRule::ModelNotAdequate};
        }
    }
    if (unit.points && (*unit.points < 1 || *unit.points > kMaxPoints)) {
        return {UnitRule::PointsOutOfRange};
    }
    if (unit.combined()) {
        if (UnitFault fault = combinedFault(unit)) {
            return fault;
        }
    } else if (!unit.outline.empty()) {
        if (UnitFault fault = outlineFault(unit.outline, unit.holes)) {
            return fault;
        }
    } else if (!unit.holes.empty()) {
        return {UnitRule::HolesWithoutOutline, UnitPart::Outline};
    }
    if (unit.plan && unit.outline.empty()) {
        return {UnitRule::PlanWithoutOutline, UnitPart::Plan};
    }
    if (!unit.combined() && !unit.floorOutline.empty()) {
        return {UnitRule::FloorWithoutRooms, UnitPart::FloorOutline};
    }
    if (!unit.combined() && !unit.doors.empty()) {
        return {UnitRule::DoorsWithoutRooms, UnitPart::Door};
    }
    if (!unit.handSet.empty() && unit.handSet.size() != unit.setPoints.size()) {
        return {UnitRule::HandSetNotInStep, UnitPart::SetPoints, 0, 0, unit.handSet.size()};
    }
    if (!unit.setPoints.empty()) {
        if (unit.outline.empty() && !unit.combined()) {
            return {UnitRule::SetPointsWithoutOutline, UnitPart::SetPoints};
        }
        return setPointsFault(unit.setPoints);
    }
    return {};
}

UnitFault floorFault(const PlanFloor& floor) {
    if (UnitFault fault = lengthFault(floor.floor, UnitPart::FloorOutline)) {
        return fault;
    }
    return ringRuleFault(floor.outline, UnitPart::FloorOutline, 0);
}

}  // namespace core
