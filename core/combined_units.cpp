#include "combined_units.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>
#include <set>
#include <string_view>
#include <tuple>
#include <utility>

#include "floor_placement.h"
#include "plan_doors.h"
#include "polygon.h"
#include "room_names.h"
#include "unit_rules.h"

namespace core {
namespace {

// A point that stands for a room: inside it, clear of its holes.
PlanPoint roomPoint(const Ring& outline, const std::vector<Ring>& holes) {
    return labelPoint(outline, holes);
}

// The rooms of a unit as combined units keep them.
std::vector<UnitRoom> roomsOf(const Unit& unit) {
    if (unit.combined()) {
        return unit.rooms;
    }
    return {UnitRoom{unit.name, unit.outline, unit.holes, unit.plan}};
}

// The names of the project's units but those at `replaced`.
std::set<std::string> namesKept(const Project& project, const std::set<std::size_t>& replaced) {
    std::set<std::string> kept;
    for (std::size_t i = 0; i < project.units.size(); ++i) {
        if (!replaced.contains(i)) {
            kept.insert(project.units[i].name);
        }
    }
    return kept;
}

// The longest start of a UTF-8 text, in whole characters, of at most `most` characters as the
// editors count them.
std::string cut(const std::string& text, std::size_t most) {
    std::size_t end = 0;
    std::size_t length = 0;
    while (end < text.size()) {
        std::size_t next = end + 1;
        while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) {
            ++next;
        }
        length += editorLength(std::string_view(text).substr(end, next - end));
        if (length > most) {
            break;
        }
        end = next;
    }
    return text.substr(0, end);
}

// "<floor>组合单元", numbered from 2 where the name is taken, the floor's name cut short where
// the whole would be longer than a name may be.
std::string combinedName(const std::string& floor, const std::set<std::string>& taken) {
    for (int n = 1;; ++n) {
        const std::string suffix = "组合单元" + (n == 1 ? std::string() : std::to_string(n));
        const std::size_t room = static_cast<std::size_t>(kMaxNameLength) - editorLength(suffix);
        std::string name = cut(floor, room) + suffix;
        if (!taken.contains(name)) {
            return name;
        }
    }
}

// The floor's outline that holds every room of the unit and no room of another of the floor's
// units; none where no outline does.
Ring floorOutlineOf(const Project& project, const std::set<std::size_t>& members,
                    const std::vector<UnitRoom>& rooms, const std::string& floor) {
    for (const PlanFloor& outline : project.floors) {
        if (outline.floor != floor || outline.outline.size() < 3) {
            continue;
        }
        const bool holdsAll = std::ranges::all_of(rooms, [&](const UnitRoom& room) {
            return coveredBy(roomPoint(room.outline, room.holes), outline.outline);
        });
        bool holdsOther = false;
        for (std::size_t i = 0; i < project.units.size() && !holdsOther; ++i) {
            const Unit& unit = project.units[i];
            if (members.contains(i) || unit.location != floor) {
                continue;
            }
            for (const UnitRoom& room : roomsOf(unit)) {
                if (room.outline.size() >= 3 &&
                    coveredBy(roomPoint(room.outline, room.holes), outline.outline)) {
                    holdsOther = true;
                }
            }
        }
        if (holdsAll && !holdsOther) {
            return outline.outline;
        }
    }
    return {};
}

// The combined unit of the units at `which` (sorted, each once, in the project), named with none
// of the names `taken`, or why there is none.
std::variant<Unit, CombineRefusal> makeCombined(const Project& project,
                                                const std::vector<std::size_t>& which,
                                                const std::set<std::string>& taken) {
    if (which.size() < 2) {
        return CombineRefusal{CombineFault::TooFew, which.empty() ? 0 : which.front(),
                              which.empty() ? 0 : which.front()};
    }
    const std::size_t first = which.front();
    const Unit& lead = project.units[first];
    for (const std::size_t i : which) {
        const Unit& unit = project.units[i];
        const bool shaped =
            unit.combined() || (!unit.outline.empty() && !outlineFault(unit.outline, unit.holes));
        if (!shaped) {
            return CombineRefusal{CombineFault::NoOutline, i, first};
        }
    }
    for (const std::size_t i : which) {
        const Unit& unit = project.units[i];
        if (unit.location != lead.location) {
            return CombineRefusal{CombineFault::OtherFloor, i, first};
        }
        if (unit.choices.fireClass != lead.choices.fireClass) {
            return CombineRefusal{CombineFault::OtherClass, i, first};
        }
        if (unit.choices.hazard != lead.choices.hazard) {
            return CombineRefusal{CombineFault::OtherHazard, i, first};
        }
    }
    const std::set<std::size_t> members(which.begin(), which.end());
    Unit made;
    made.name = combinedName(lead.location, taken);
    made.location = lead.location;
    made.choices = lead.choices;
    made.model = lead.model;
    for (const std::size_t i : which) {
        const Unit& unit = project.units[i];
        std::ranges::move(roomsOf(unit), std::back_inserter(made.rooms));
        for (const PlanPoint point : handSetPoints(unit)) {
            made.setPoints.push_back(point);
            made.handSet.push_back(true);
        }
    }
    for (const PlanDoor& door : project.doors) {
        if (door.floor != lead.location) {
            continue;
        }
        const DoorRooms sides = doorRooms(project, door);
        if ((sides.left && members.contains(*sides.left)) ||
            (sides.right && members.contains(*sides.right))) {
            made.doors.push_back(door);
        }
    }
    made.floorOutline = floorOutlineOf(project, members, made.rooms, lead.location);
    made.choices.area = outlineArea(made).value_or(0);
    return made;
}

// The project's units with each group's units (sorted indices) replaced by its combined unit, in
// the place of its first, and the combined units' indices among them.
std::pair<Project, std::vector<std::size_t>> replaced(
    const Project& project, const std::vector<std::pair<std::vector<std::size_t>, Unit>>& made) {
    std::map<std::size_t, const Unit*> firsts;
    std::set<std::size_t> gone;
    for (const auto& [which, unit] : made) {
        firsts[which.front()] = &unit;
        gone.insert(which.begin() + 1, which.end());
    }
    Project result = project;
    result.units.clear();
    std::vector<std::size_t> places;
    for (std::size_t i = 0; i < project.units.size(); ++i) {
        if (const auto first = firsts.find(i); first != firsts.end()) {
            places.push_back(result.units.size());
            result.units.push_back(*first->second);
        } else if (!gone.contains(i)) {
            result.units.push_back(project.units[i]);
        }
    }
    return {std::move(result), std::move(places)};
}

}  // namespace

std::variant<Project, CombineRefusal> combineUnits(const Project& project,
                                                   std::vector<std::size_t> which) {
    std::ranges::sort(which);
    which.erase(std::unique(which.begin(), which.end()), which.end());
    std::erase_if(which, [&](std::size_t i) { return i >= project.units.size(); });
    auto made = makeCombined(project, which, namesKept(project, {which.begin(), which.end()}));
    if (auto* refusal = std::get_if<CombineRefusal>(&made)) {
        return *refusal;
    }
    return replaced(project, {{which, std::get<Unit>(std::move(made))}}).first;
}

Project splitUnit(const Project& project, std::size_t index) {
    if (index >= project.units.size() || !project.units[index].combined()) {
        return project;
    }
    const Unit& whole = project.units[index];
    std::vector<Unit> parts;
    for (const UnitRoom& room : whole.rooms) {
        Unit part;
        part.name = room.name;
        part.location = whole.location;
        part.choices = whole.choices;
        part.choices.area = roomArea(room.outline, room.holes);
        part.model = whole.model;
        part.outline = room.outline;
        part.holes = room.holes;
        part.plan = room.plan;
        parts.push_back(std::move(part));
    }
    // Each point set by hand goes with the room that holds it, or else (one in a door's opening)
    // the room whose middle is nearest: none is lost.
    for (const PlanPoint point : handSetPoints(whole)) {
        std::size_t to = 0;
        double best = std::numeric_limits<double>::infinity();
        for (std::size_t r = 0; r < whole.rooms.size(); ++r) {
            const UnitRoom& room = whole.rooms[r];
            const bool inside = inRoom(point, room.outline, room.holes);
            const PlanPoint middle = roomPoint(room.outline, room.holes);
            const double d = inside ? -1 : std::hypot(point.x - middle.x, point.y - middle.y);
            if (d < best) {
                best = d;
                to = r;
            }
        }
        parts[to].setPoints.push_back(point);
        parts[to].handSet.push_back(true);
    }
    Project split = project;
    split.units.erase(split.units.begin() + static_cast<std::ptrdiff_t>(index));
    split.units.insert(split.units.begin() + static_cast<std::ptrdiff_t>(index),
                       std::make_move_iterator(parts.begin()),
                       std::make_move_iterator(parts.end()));
    return split;
}

FloorsCombined combineFloors(const Project& project, const std::optional<std::string>& floor) {
    // Groups by floor, class and hazard, in the order of their first units.
    std::map<std::tuple<std::string, FireClass, Hazard>, std::vector<std::size_t>> groups;
    std::vector<std::tuple<std::string, FireClass, Hazard>> order;
    for (std::size_t i = 0; i < project.units.size(); ++i) {
        const Unit& unit = project.units[i];
        if (unit.combined() || unit.outline.empty() || outlineFault(unit.outline, unit.holes) ||
            (floor && unit.location != *floor)) {
            continue;
        }
        const auto key = std::tuple{unit.location, unit.choices.fireClass, unit.choices.hazard};
        auto& group = groups[key];
        if (group.empty()) {
            order.push_back(key);
        }
        group.push_back(i);
    }
    // The names of the units that stay, and of those made, are taken: two groups of one floor are
    // told apart by a number, as combineUnits() names a unit whose name is taken.
    std::set<std::size_t> combined;
    for (const auto& key : order) {
        if (const std::vector<std::size_t>& group = groups[key]; group.size() >= 2) {
            combined.insert(group.begin(), group.end());
        }
    }
    std::set<std::string> taken = namesKept(project, combined);
    std::vector<std::pair<std::vector<std::size_t>, Unit>> made;
    for (const auto& key : order) {
        const std::vector<std::size_t>& group = groups[key];
        auto unit = group.size() < 2 ? std::variant<Unit, CombineRefusal>(CombineRefusal{})
                                     : makeCombined(project, group, taken);
        if (Unit* done = std::get_if<Unit>(&unit)) {
            taken.insert(done->name);
            made.emplace_back(group, std::move(*done));
        }
    }
    auto [combinedProject, places] = replaced(project, made);
    FloorsCombined result{std::move(combinedProject), {}};
    std::vector<std::size_t> byPlace(made.size());
    std::iota(byPlace.begin(), byPlace.end(), 0);
    std::ranges::sort(byPlace, {}, [&](std::size_t k) { return made[k].first.front(); });
    std::vector<FloorCombined> listed(made.size());
    for (std::size_t k = 0; k < made.size(); ++k) {
        listed[byPlace[k]] = {places[k], made[byPlace[k]].first};
    }
    result.made = std::move(listed);
    return result;
}

std::optional<AreaBasis> areaBasis(const Unit& unit) {
    if (unit.combined()) {
        return unit.floorOutline.empty() ? AreaBasis::RoomsSum : AreaBasis::FloorOutline;
    }
    if (!unit.outline.empty()) {
        return AreaBasis::Outline;
    }
    return std::nullopt;
}

std::vector<RoomShape> unitShapes(const Unit& unit) {
    std::vector<RoomShape> shapes;
    if (!unit.outline.empty()) {
        shapes.push_back({unit.outline, unit.holes});
    }
    for (const UnitRoom& room : unit.rooms) {
        shapes.push_back({room.outline, room.holes});
    }
    return shapes;
}

std::vector<WallDoor> unitDoors(const Unit& unit) {
    std::vector<const Ring*> outlines;
    std::vector<const std::vector<Ring>*> holes;
    for (const UnitRoom& room : unit.rooms) {
        outlines.push_back(&room.outline);
        holes.push_back(&room.holes);
    }
    std::vector<WallDoor> doors;
    for (const PlanDoor& door : unit.doors) {
        const DoorRooms sides = doorSides(outlines, holes, door);
        if (!sides.left && !sides.right) {
            continue;
        }
        doors.push_back({door.handle, door.hinge, door.end, door.swing, {sides.left, sides.right}});
    }
    return doors;
}

FloorRegion unitRegion(const Unit& unit) {
    return walkableRegion(unitShapes(unit), unitDoors(unit));
}

std::vector<bool> unitCirculation(const Unit& unit) {
    std::vector<bool> named;
    for (const UnitRoom& room : unit.rooms) {
        named.push_back(isCirculationName(room.name));
    }
    return circulationRooms(unitRegion(unit), unitDoors(unit), named);
}

std::size_t pointsInRooms(const Unit& unit) {
    const std::vector<bool> circulation = unitCirculation(unit);
    return static_cast<std::size_t>(std::ranges::count_if(unit.setPoints, [&](PlanPoint point) {
        for (std::size_t i = 0; i < unit.rooms.size(); ++i) {
            const UnitRoom& room = unit.rooms[i];
            if (inRoom(point, room.outline, room.holes)) {
                return !circulation[i];
            }
        }
        return false;  // in a door's opening
    }));
}

}  // namespace core
