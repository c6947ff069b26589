#include "project_file.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <tuple>

#include "choices.h"
#include "dxf_reader.h"
#include "file_commit.h"
#include "json_keys.h"
#include "project_faults.h"
#include "regular_file.h"
#include "setting_points.h"
#include "unit_rules.h"
#include "utf8_text.h"

namespace io {
namespace {

using namespace project_keys;
using namespace faults;

constexpr auto kMostVertices = static_cast<qsizetype>(core::kMaxOutlineVertices);

const QStringList kProjectKeys{kFormatKey, kVersionKey, kNameKey, kUnitsKey};
const QStringList kUnitKeys{kNameKey,         kLocationKey, kFireClassKey, kHazardKey,  kFactorKey,
                            kBuildingKey,     kAreaKey,     kAgentKey,     kModelKey,   kPointsKey,
                            kOutlineKey,      kPlanKey,     kSetPointsKey, kHandSetKey, kRoomsKey,
                            kFloorOutlineKey, kDoorsKey};
const QStringList kOptionalUnitKeys{kModelKey, kPointsKey,       kOutlineKey,
                                    kPlanKey,  kSetPointsKey,    kHandSetKey,
                                    kRoomsKey, kFloorOutlineKey, kDoorsKey};
// The keys of a unit that came with a version: a file of an earlier version holding one was not
// written by any version of the program.
struct LaterKey {
    const QString* key;
    int version;
};
const LaterKey kLaterUnitKeys[] = {{&kOutlineKey, 3}, {&kPlanKey, 3},  {&kSetPointsKey, 4},
                                   {&kHandSetKey, 6}, {&kRoomsKey, 8}, {&kFloorOutlineKey, 8},
                                   {&kDoorsKey, 8}};
// "floor", the floor the unit was imported to, is absent in files before it was kept: it is then
// the unit's location.
const QStringList kPlanKeys{kFileKey,        kLayerKey, kHandleKey,
                            kDrawingUnitKey, kFloorKey, kDeclaredUnitKey};

// Every key of "info" may be left out: a text takes its default, the date the day of the export,
// the scale 1:100.
const QStringList kInfoKeys = [] {
    QStringList keys;
    for (const InfoText& text : kInfoTexts) {
        keys << QString::fromLatin1(text.key);
    }
    return keys << kDateKey << kDrawingScaleKey;
}();
// The version that brought the layout drawing's scale into "info", and the unit a drawing declares
// into "plan".
constexpr int kDrawingScaleVersion = 6;
// The version that brought the doors ("doors"), and the keys of each, none of which may be left
// out.
constexpr int kDoorsVersion = 7;
const QStringList kDoorKeys{kFloorKey, kFileKey, kHandleKey, kHingeKey, kEndKey, kSwingKey};
// The version that brought combined units (a unit's "rooms", "floorOutline" and "doors") and the
// outlines round floors' rooms ("floors"), and the keys of a room and of a floor's outline.
constexpr int kCombinedVersion = 8;
const QStringList kRoomKeys{kNameKey, kOutlineKey, kPlanKey};
const QStringList kFloorKeys{kFloorKey, kFileKey, kHandleKey, kOutlineKey};

// A choice and the text that stands for it in the file.
template <typename Value>
struct Named {
    Value value;
    const char* text;
};

// Class D is worked out from the kind of metal and is never a unit of a project.
constexpr Named<core::FireClass> kFireClasses[] = {
    {core::FireClass::A, "A"},
    {core::FireClass::B, "B"},
    {core::FireClass::C, "C"},
    {core::FireClass::E, "E"},
};
constexpr Named<core::Hazard> kHazards[] = {
    {core::Hazard::Light, "light"},
    {core::Hazard::Medium, "medium"},
    {core::Hazard::Serious, "serious"},
};
constexpr Named<core::Building> kBuildings[] = {
    {core::Building::AboveGround, "aboveGround"},
    {core::Building::EntertainmentOrUnderground, "entertainmentOrUnderground"},
};
constexpr Named<core::Agent> kAgentNames[] = {
    {core::Agent::CarbonDioxide, "carbonDioxide"},
    {core::Agent::Water, "water"},
    {core::Agent::SodiumBicarbonatePowder, "sodiumBicarbonatePowder"},
    {core::Agent::Foam, "foam"},
    {core::Agent::AmmoniumPhosphatePowder, "ammoniumPhosphatePowder"},
    {core::Agent::Halon1211, "halon1211"},
};
// K is written as its number: 1, 0.9, 0.7, 0.5, 0.3.
constexpr core::Factor kFactors[] = {core::Factor::K10, core::Factor::K09, core::Factor::K07,
                                     core::Factor::K05, core::Factor::K03};

template <typename Value, std::size_t N>
QString textOf(const Named<Value> (&names)[N], Value value) {
    const auto* found = std::find_if(std::begin(names), std::end(names),
                                     [value](const Named<Value>& n) { return n.value == value; });
    return found == std::end(names) ? QString() : QString::fromLatin1(found->text);
}

template <typename Value, std::size_t N>
std::optional<Value> valueOf(const Named<Value> (&names)[N], const QString& text) {
    const auto* found =
        std::find_if(std::begin(names), std::end(names),
                     [&](const Named<Value>& n) { return text == QLatin1String(n.text); });
    return found == std::end(names) ? std::nullopt : std::optional<Value>(found->value);
}

// K as the number the file holds: 0.9 for K09.
double factorValue(core::Factor factor) {
    return core::factorTimesTen(factor) / 10.0;
}

// Whether a text read from the file comes through UTF-8 unchanged, into `out`.
bool convertsWhole(const QString& text, std::string& out) {
    std::optional<std::string> utf8 = wholeUtf8(text);
    if (utf8) {
        out = std::move(*utf8);
    }
    return utf8.has_value();
}

// yyyy-MM-dd, digits and hyphens only, a day of the calendar within the range a book may carry.
std::optional<std::chrono::year_month_day> dateFromText(const QString& text) {
    constexpr qsizetype kLength = 10;
    if (text.size() != kLength) {
        return std::nullopt;
    }
    for (qsizetype i = 0; i < kLength; ++i) {
        const bool hyphen = i == 4 || i == 7;
        if (hyphen ? text[i] != u'-' : !(text[i] >= u'0' && text[i] <= u'9')) {
            return std::nullopt;
        }
    }
    const std::chrono::year_month_day date{
        std::chrono::year{text.first(4).toInt()},
        std::chrono::month{static_cast<unsigned>(text.sliced(5, 2).toInt())},
        std::chrono::day{static_cast<unsigned>(text.sliced(8, 2).toInt())}};
    return dateInRange(date) ? std::optional(date) : std::nullopt;
}

QJsonObject infoObject(const core::ProjectInfo& info) {
    QJsonObject object;
    for (const InfoText& text : kInfoTexts) {
        object.insert(QLatin1String(text.key), qs(info.*text.text));
    }
    if (info.date) {
        object.insert(kDateKey, dateText(*info.date));
    }
    object.insert(kDrawingScaleKey, info.drawingScale);
    return object;
}

// The book's cover and signatures: "info", of version 2 on; with the layout drawing's scale, of
// version 6 on.
std::variant<core::ProjectInfo, QString> infoFromValue(int version, const QJsonValue& value) {
    const QString prefix = infoPrefix();
    if (!value.isObject()) {
        return QStringLiteral("%1应为 JSON 对象").arg(prefix);
    }
    const QJsonObject object = value.toObject();
    if (version < kDrawingScaleVersion && object.contains(kDrawingScaleKey)) {
        return QStringLiteral("版本%1的文件不能含有%2的“%3”（版本%4起才有）")
            .arg(version)
            .arg(prefix, kDrawingScaleKey)
            .arg(kDrawingScaleVersion);
    }
    if (auto fault = keyFault(object, kInfoKeys, kInfoKeys, prefix)) {
        return *fault;
    }
    core::ProjectInfo info;
    for (const InfoText& text : kInfoTexts) {
        const QJsonValue member = object[QLatin1String(text.key)];
        if (member.isUndefined()) {
            continue;
        }
        if (!member.isString()) {
            return QStringLiteral("%1应为文本").arg(infoTextName(text));
        }
        if (!convertsWhole(member.toString(), info.*text.text)) {
            return QStringLiteral("%1含有无效字符").arg(infoTextName(text));
        }
    }
    if (const QJsonValue date = object[kDateKey]; !date.isUndefined()) {
        if (!date.isString()) {
            return QStringLiteral("%1的日期“%2”值“%3”无效：应为加引号的日期（如 \"2026-12-07\"）")
                .arg(prefix, kDateKey, valueText(date));
        }
        info.date = dateFromText(date.toString());
        if (!info.date) {
            return dateFault(date.toString());
        }
    }
    if (const QJsonValue scale = object[kDrawingScaleKey]; !scale.isUndefined()) {
        const double number = scale.toDouble(-1);
        if (!scale.isDouble() || number != std::floor(number) ||
            number < core::ProjectInfo::kMinDrawingScale ||
            number > core::ProjectInfo::kMaxDrawingScale) {
            return drawingScaleFault(valueText(scale));
        }
        info.drawingScale = static_cast<int>(number);
    }
    if (auto fault = infoFault(info)) {
        return *fault;
    }
    return info;
}

// How messages speak of a list of points: an example of its shape, the word before "过多", and
// one of its points.
struct PointWords {
    const char* example;
    const char* many;
    const char* one;
};

// A list of points, [[x, y], ...] in metres, as `what` (the key's words) names it: at most `most`
// of them.
std::variant<std::vector<core::PlanPoint>, QString> pointsFromValue(const QJsonValue& value,
                                                                    const QString& what,
                                                                    qsizetype most,
                                                                    const PointWords& words) {
    if (!value.isArray()) {
        return QStringLiteral("%1应为坐标数组（如 %2）")
            .arg(what, QString::fromUtf8(words.example));
    }
    const QJsonArray array = value.toArray();
    if (array.size() > most) {
        return QStringLiteral("%1%2过多：%3个，最多%4个")
            .arg(what, QString::fromUtf8(words.many))
            .arg(array.size())
            .arg(most);
    }
    std::vector<core::PlanPoint> points;
    points.reserve(static_cast<std::size_t>(array.size()));
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QJsonArray xy = array[i].toArray();
        if (!array[i].isArray() || xy.size() != 2 || !xy[0].isDouble() || !xy[1].isDouble()) {
            return QStringLiteral("%1第%2个%3无效：应为两个数 [x, y]")
                .arg(what)
                .arg(i + 1)
                .arg(QString::fromUtf8(words.one));
        }
        points.push_back({xy[0].toDouble(), xy[1].toDouble()});
    }
    return points;
}

// The outline of a unit of version 3 on: [[x, y], ...] in metres; of version 5 on, where the room
// has holes, its rings [[[x, y], ...], ...], the outline first, then the holes.
std::variant<std::pair<core::Ring, std::vector<core::Ring>>, QString> outlineFromValue(
    int version, const QJsonValue& value, const QString& prefix) {
    const QString outline = outlinePrefix(prefix);
    const PointWords words{"[[0, 0], [6, 0], [6, 4]]", "顶点", "顶点"};
    const QJsonArray array = value.toArray();
    const bool rings = value.isArray() && !array.isEmpty() && array[0].isArray() &&
                       !array[0].toArray().isEmpty() && array[0].toArray()[0].isArray();
    if (!rings) {
        auto read = pointsFromValue(value, outline, kMostVertices, words);
        if (auto* fault = std::get_if<QString>(&read)) {
            return std::move(*fault);
        }
        core::Ring ring = std::move(std::get<std::vector<core::PlanPoint>>(read));
        if (const core::UnitFault fault = core::outlineFault(ring, {})) {
            return shapeFaultText(fault, prefix);
        }
        return std::pair{std::move(ring), std::vector<core::Ring>{}};
    }
    if (version < 5) {
        return QStringLiteral("版本%1的文件不能含有带洞口的%2（版本5起才有）")
            .arg(version)
            .arg(outline);
    }
    if (array.size() > kMostVertices / 3) {
        return QStringLiteral("%1洞口过多：%2个").arg(outline).arg(array.size() - 1);
    }
    std::vector<core::Ring> read;
    for (qsizetype k = 0; k < array.size(); ++k) {
        const QString what = k == 0 ? outline : holePrefix(prefix, static_cast<std::size_t>(k - 1));
        auto ring = pointsFromValue(array[k], what, kMostVertices, words);
        if (auto* fault = std::get_if<QString>(&ring)) {
            return std::move(*fault);
        }
        read.push_back(std::move(std::get<std::vector<core::PlanPoint>>(ring)));
    }
    core::Ring ring = std::move(read.front());
    std::vector<core::Ring> holes(std::make_move_iterator(read.begin() + 1),
                                  std::make_move_iterator(read.end()));
    if (const core::UnitFault fault = core::outlineFault(ring, holes)) {
        return shapeFaultText(fault, prefix);
    }
    return std::pair{std::move(ring), std::move(holes)};
}

// The texts of an object that the table `texts` lists (kPlanTexts, kDoorTexts, kFloorTexts), read
// into `out`; a message after `prefix` where one is not a text or does not come through UTF-8
// whole.
template <typename Texts, typename Out>
std::optional<QString> textsFault(const QJsonObject& object, const Texts& texts,
                                  const QString& prefix, Out& out) {
    for (const auto& text : texts) {
        const QJsonValue member = object[*text.key];
        const QString what =
            QStringLiteral("%1的%2“%3”").arg(prefix, QString::fromUtf8(text.caption), *text.key);
        if (!member.isString()) {
            return QStringLiteral("%1应为文本").arg(what);
        }
        if (!convertsWhole(member.toString(), out.*text.text)) {
            return QStringLiteral("%1含有无效字符").arg(what);
        }
    }
    return std::nullopt;
}

// The drawing a unit's outline came from, of version 3 on.
std::variant<core::PlanSource, QString> planFromValue(int version, const QJsonValue& value,
                                                      const QString& prefix) {
    const QString plan = planPrefix(prefix);
    if (!value.isObject()) {
        return QStringLiteral("%1应为 JSON 对象").arg(plan);
    }
    const QJsonObject object = value.toObject();
    if (version < kDrawingScaleVersion && object.contains(kDeclaredUnitKey)) {
        return QStringLiteral("版本%1的文件不能含有%2的“%3”（版本%4起才有）")
            .arg(version)
            .arg(plan, kDeclaredUnitKey)
            .arg(kDrawingScaleVersion);
    }
    if (auto fault = keyFault(object, kPlanKeys, {kFloorKey, kDeclaredUnitKey}, plan)) {
        return *fault;
    }
    core::PlanSource source;
    if (auto fault = textsFault(object, kPlanTexts, plan, source)) {
        return *fault;
    }
    if (object.contains(kFloorKey)) {
        const QJsonValue floor = object[kFloorKey];
        const QString what = QStringLiteral("%1的楼层“%2”").arg(plan, kFloorKey);
        if (!floor.isString()) {
            return QStringLiteral("%1应为文本").arg(what);
        }
        if (!convertsWhole(floor.toString(), source.floor)) {
            return QStringLiteral("%1含有无效字符").arg(what);
        }
    }
    if (!unitFromName(object[kDrawingUnitKey].toString())) {
        return drawingUnitFault(plan, valueText(object[kDrawingUnitKey]));
    }
    if (object.contains(kDeclaredUnitKey)) {
        const QJsonValue declared = object[kDeclaredUnitKey];
        if (!declared.isString() ||
            (!declared.toString().isEmpty() && !unitFromName(declared.toString()))) {
            return QStringLiteral("%1的“%2”值“%3”无效，应为空或 mm、cm、dm、m、inch、ft 等长度单位")
                .arg(plan, kDeclaredUnitKey, valueText(declared));
        }
        source.declaredUnit = utf8(declared.toString());
    }
    return source;
}

// The setting points placed in a unit's outline, of version 4 on: [[x, y], ...] in metres.
std::variant<std::vector<core::PlanPoint>, QString> setPointsFromValue(const QJsonValue& value,
                                                                       const QString& prefix) {
    const QString what = setPointsPrefix(prefix);
    auto read =
        pointsFromValue(value, what, core::kMaxPoints, {"[[1.5, 15], [1.5, 45]]", "", "点"});
    if (auto* points = std::get_if<std::vector<core::PlanPoint>>(&read)) {
        if (const core::UnitFault fault = core::setPointsFault(*points)) {
            return shapeFaultText(fault, prefix);
        }
    }
    return read;
}

// Which of a unit's `count` setting points were set by hand, of version 6 on: their indices from
// 0, ascending.
std::variant<std::vector<bool>, QString> handSetFromValue(const QJsonValue& value,
                                                          std::size_t count,
                                                          const QString& prefix) {
    const QString what = QStringLiteral("%1的手动设置点“%2”").arg(prefix, kHandSetKey);
    if (count == 0) {
        return QStringLiteral("%1没有对应的设置点“%2”").arg(what, kSetPointsKey);
    }
    if (!value.isArray()) {
        return QStringLiteral("%1应为设置点序号的数组（如 [0, 2]）").arg(what);
    }
    const QJsonArray array = value.toArray();
    std::vector<bool> flags(count, false);
    double previous = -1;
    for (qsizetype i = 0; i < array.size(); ++i) {
        const double index = array[i].toDouble(-1);
        if (!array[i].isDouble() || index != std::floor(index) || index <= previous ||
            index >= static_cast<double>(count)) {
            return QStringLiteral("%1第%2项“%3”无效：应为0至%4的整数，依次增大")
                .arg(what)
                .arg(i + 1)
                .arg(valueText(array[i]))
                .arg(count - 1);
        }
        flags[static_cast<std::size_t>(index)] = true;
        previous = index;
    }
    if (std::ranges::none_of(flags, [](bool set) { return set; })) {
        flags.clear();
    }
    return flags;
}

// One door of version 7 on: its floor, file and handle, its opening from "hinge" to "end" as
// [x, y] in metres, and "swing", -1, 0 or 1. `prefix` names it.
std::variant<core::PlanDoor, QString> doorFromValue(const QJsonValue& value,
                                                    const QString& prefix) {
    if (!value.isObject()) {
        return QStringLiteral("%1不是 JSON 对象").arg(prefix);
    }
    const QJsonObject object = value.toObject();
    if (auto fault = keyFault(object, kDoorKeys, {}, prefix)) {
        return *fault;
    }
    core::PlanDoor door;
    if (auto fault = textsFault(object, kDoorTexts, prefix, door)) {
        return *fault;
    }
    for (const auto& [key, point] :
         {std::pair{kHingeKey, &door.hinge}, std::pair{kEndKey, &door.end}}) {
        const QJsonArray xy = object[key].toArray();
        if (!object[key].isArray() || xy.size() != 2 || !xy[0].isDouble() || !xy[1].isDouble()) {
            return QStringLiteral("%1的“%2”无效：应为两个数 [x, y]").arg(prefix, key);
        }
        *point = {xy[0].toDouble(), xy[1].toDouble()};
    }
    const QJsonValue swing = object[kSwingKey];
    const double side = swing.toDouble(2);
    if (!swing.isDouble() || (side != -1 && side != 0 && side != 1)) {
        return QStringLiteral("%1的开启方向“%2”值“%3”无效，应为 -1、0 或 1")
            .arg(prefix, kSwingKey, valueText(swing));
    }
    door.swing = static_cast<int>(side);
    if (const core::UnitFault fault = core::doorFault(door)) {
        return doorFaultText(fault, door, prefix);
    }
    return door;
}

// The doors of a file of version 7 on, or of a combined unit of version 8 on (the unit that
// `unitPrefixText` names), in their order.
std::variant<std::vector<core::PlanDoor>, QString> doorsFromValue(
    const QJsonValue& value, const QString& unitPrefixText = {}) {
    if (!value.isArray()) {
        return QStringLiteral("%1应为数组")
            .arg(unitPrefixText.isEmpty() ? doorsPrefix() : unitDoorsPrefix(unitPrefixText));
    }
    const QJsonArray array = value.toArray();
    std::vector<core::PlanDoor> doors;
    doors.reserve(static_cast<std::size_t>(array.size()));
    for (qsizetype i = 0; i < array.size(); ++i) {
        auto door = doorFromValue(array[i], doorPrefix(i + 1, unitPrefixText));
        if (auto* fault = std::get_if<QString>(&door)) {
            return std::move(*fault);
        }
        doors.push_back(std::move(std::get<core::PlanDoor>(door)));
    }
    return doors;
}

// An outline round rooms, of version 8 on: [[x, y], ...] in metres, as `what` names it. Its rules
// are those of the unit or the floor that holds it.
std::variant<std::vector<core::PlanPoint>, QString> floorRingFromValue(const QJsonValue& value,
                                                                       const QString& what) {
    return pointsFromValue(value, what, kMostVertices,
                           {"[[0, 0], [60, 0], [60, 20], [0, 20]]", "顶点", "顶点"});
}

// The rooms of a combined unit, of version 8 on: each its "name", its "outline" as a unit's is
// written and, where it came from a drawing, its "plan". `prefix` names the unit.
std::variant<std::vector<core::UnitRoom>, QString> roomsFromValue(int version,
                                                                  const QJsonValue& value,
                                                                  const QString& prefix) {
    if (!value.isArray()) {
        return QStringLiteral("%1的房间“%2”应为数组").arg(prefix, kRoomsKey);
    }
    const QJsonArray array = value.toArray();
    std::vector<core::UnitRoom> rooms;
    rooms.reserve(static_cast<std::size_t>(array.size()));
    for (qsizetype r = 0; r < array.size(); ++r) {
        const QString room = roomPrefix(prefix, static_cast<std::size_t>(r));
        if (!array[r].isObject()) {
            return QStringLiteral("%1不是 JSON 对象").arg(room);
        }
        const QJsonObject object = array[r].toObject();
        if (auto fault = keyFault(object, kRoomKeys, {kPlanKey}, room)) {
            return *fault;
        }
        core::UnitRoom read;
        const QJsonValue name = object[kNameKey];
        if (!name.isString()) {
            return QStringLiteral("%1的名称“%2”应为文本").arg(room, kNameKey);
        }
        if (!convertsWhole(name.toString(), read.name)) {
            return QStringLiteral("%1的名称“%2”含有无效字符").arg(room, kNameKey);
        }
        auto outline = outlineFromValue(version, object[kOutlineKey], room);
        if (auto* fault = std::get_if<QString>(&outline)) {
            return std::move(*fault);
        }
        std::tie(read.outline, read.holes) =
            std::move(std::get<std::pair<core::Ring, std::vector<core::Ring>>>(outline));
        if (object.contains(kPlanKey)) {
            auto plan = planFromValue(version, object[kPlanKey], room);
            if (auto* fault = std::get_if<QString>(&plan)) {
                return std::move(*fault);
            }
            read.plan = std::move(std::get<core::PlanSource>(plan));
        }
        rooms.push_back(std::move(read));
    }
    return rooms;
}

// The outlines round floors' rooms of a file of version 8 on, in their order: each its "floor",
// "file" and "handle" as a door's, and its "outline", [[x, y], ...] in metres.
std::variant<std::vector<core::PlanFloor>, QString> floorsFromValue(const QJsonValue& value) {
    if (!value.isArray()) {
        return QStringLiteral("%1应为数组").arg(floorsPrefix());
    }
    const QJsonArray array = value.toArray();
    std::vector<core::PlanFloor> floors;
    floors.reserve(static_cast<std::size_t>(array.size()));
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString prefix = floorPrefix(i + 1);
        if (!array[i].isObject()) {
            return QStringLiteral("%1不是 JSON 对象").arg(prefix);
        }
        const QJsonObject object = array[i].toObject();
        if (auto fault = keyFault(object, kFloorKeys, {}, prefix)) {
            return *fault;
        }
        core::PlanFloor floor;
        if (auto fault = textsFault(object, kFloorTexts, prefix, floor)) {
            return *fault;
        }
        auto outline = floorRingFromValue(object[kOutlineKey],
                                          QStringLiteral("%1的“%2”").arg(prefix, kOutlineKey));
        if (auto* fault = std::get_if<QString>(&outline)) {
            return std::move(*fault);
        }
        floor.outline = std::move(std::get<std::vector<core::PlanPoint>>(outline));
        if (auto fault = floorFault(floor, i + 1)) {
            return *fault;
        }
        floors.push_back(std::move(floor));
    }
    return floors;
}

// One unit of a file of the version; its place in the project, from 1, names it in messages.
std::variant<core::Unit, QString> unitFromValue(int version, const QJsonValue& value,
                                                qsizetype number) {
    const QString prefix = unitPrefix(number);
    if (!value.isObject()) {
        return QStringLiteral("%1不是 JSON 对象").arg(prefix);
    }
    const QJsonObject object = value.toObject();
    for (const LaterKey& later : kLaterUnitKeys) {
        if (version < later.version && object.contains(*later.key)) {
            return QStringLiteral("版本%1的文件不能含有%2的“%3”（版本%4起才有）")
                .arg(version)
                .arg(prefix, *later.key)
                .arg(later.version);
        }
    }
    if (auto fault = keyFault(object, kUnitKeys, kOptionalUnitKeys, prefix)) {
        return *fault;
    }
    const auto wrongType = [&](const QString& key, const char* kind) {
        return QStringLiteral("%1的“%2”应为%3").arg(prefix, key, QString::fromUtf8(kind));
    };
    const auto badValue = [&](const QString& key) {
        return QStringLiteral("%1的“%2”值“%3”无效").arg(prefix, key, valueText(object[key]));
    };

    core::Unit unit;
    for (const auto& [key, text] :
         {std::pair{kNameKey, &unit.name}, {kLocationKey, &unit.location}}) {
        if (!object[key].isString()) {
            return wrongType(key, "文本");
        }
        if (!convertsWhole(object[key].toString(), *text)) {
            return QStringLiteral("%1的“%2”含有无效字符").arg(prefix, key);
        }
    }

    // The choices given by name.
    const auto named = [&](const QString& key, const auto& names,
                           auto& out) -> std::optional<QString> {
        if (!object[key].isString()) {
            return wrongType(key, "文本");
        }
        const auto found = valueOf(names, object[key].toString());
        if (!found) {
            return badValue(key);
        }
        out = *found;
        return std::nullopt;
    };
    core::Choices& choices = unit.choices;
    if (auto fault = named(kFireClassKey, kFireClasses, choices.fireClass)) {
        return *fault;
    }
    if (auto fault = named(kHazardKey, kHazards, choices.hazard)) {
        return *fault;
    }
    if (auto fault = named(kBuildingKey, kBuildings, choices.building)) {
        return *fault;
    }
    if (auto fault = named(kAgentKey, kAgentNames, choices.agent)) {
        return *fault;
    }

    if (!object[kFactorKey].isDouble()) {
        return wrongType(kFactorKey, "数值");
    }
    const double factor = object[kFactorKey].toDouble();
    const auto* k = std::find_if(std::begin(kFactors), std::end(kFactors),
                                 [factor](core::Factor f) { return factorValue(f) == factor; });
    if (k == std::end(kFactors)) {
        return badValue(kFactorKey);
    }
    choices.factor = *k;

    if (!object[kAreaKey].isDouble()) {
        return wrongType(kAreaKey, "数值");
    }
    choices.area = object[kAreaKey].toDouble();

    if (object.contains(kModelKey)) {
        if (!object[kModelKey].isString()) {
            return wrongType(kModelKey, "文本");
        }
        unit.model.emplace();
        if (!convertsWhole(object[kModelKey].toString(), *unit.model)) {
            return badValue(kModelKey);
        }
    }
    if (object.contains(kPointsKey)) {
        const QJsonValue points = object[kPointsKey];
        if (!points.isDouble()) {
            return wrongType(kPointsKey, "整数");
        }
        const double n = points.toDouble();
        if (n != std::floor(n) || n < 1 || n > core::kMaxPoints) {
            return QStringLiteral("%1的设置点数“points”值“%2”无效，应为1至%3的整数")
                .arg(prefix, valueText(points))
                .arg(core::kMaxPoints);
        }
        unit.points = static_cast<int>(n);
    }
    if (object.contains(kOutlineKey)) {
        auto outline = outlineFromValue(version, object[kOutlineKey], prefix);
        if (auto* fault = std::get_if<QString>(&outline)) {
            return *fault;
        }
        auto& [ring, holes] = std::get<std::pair<core::Ring, std::vector<core::Ring>>>(outline);
        unit.outline = std::move(ring);
        unit.holes = std::move(holes);
    }
    if (object.contains(kPlanKey)) {
        auto plan = planFromValue(version, object[kPlanKey], prefix);
        if (auto* fault = std::get_if<QString>(&plan)) {
            return *fault;
        }
        unit.plan = std::move(std::get<core::PlanSource>(plan));
    }
    if (object.contains(kSetPointsKey)) {
        auto points = setPointsFromValue(object[kSetPointsKey], prefix);
        if (auto* fault = std::get_if<QString>(&points)) {
            return *fault;
        }
        unit.setPoints = std::move(std::get<std::vector<core::PlanPoint>>(points));
    }
    if (object.contains(kHandSetKey)) {
        auto flags = handSetFromValue(object[kHandSetKey], unit.setPoints.size(), prefix);
        if (auto* fault = std::get_if<QString>(&flags)) {
            return *fault;
        }
        unit.handSet = std::move(std::get<std::vector<bool>>(flags));
    }
    if (object.contains(kRoomsKey)) {
        auto rooms = roomsFromValue(version, object[kRoomsKey], prefix);
        if (auto* fault = std::get_if<QString>(&rooms)) {
            return *fault;
        }
        unit.rooms = std::move(std::get<std::vector<core::UnitRoom>>(rooms));
        // No rooms at all would read as a unit that is not combined.
        if (unit.rooms.empty()) {
            return unitFaultText({core::UnitRule::TooFewRooms, core::UnitPart::Room}, unit, number);
        }
    }
    if (object.contains(kFloorOutlineKey)) {
        auto outline = floorRingFromValue(object[kFloorOutlineKey], floorOutlinePrefix(prefix));
        if (auto* fault = std::get_if<QString>(&outline)) {
            return *fault;
        }
        unit.floorOutline = std::move(std::get<std::vector<core::PlanPoint>>(outline));
        // Nor may an empty outline read as none.
        if (unit.floorOutline.empty()) {
            return shapeFaultText({core::UnitRule::TooFewVertices, core::UnitPart::FloorOutline},
                                  prefix);
        }
    }
    if (object.contains(kDoorsKey)) {
        auto doors = doorsFromValue(object[kDoorsKey], prefix);
        if (auto* fault = std::get_if<QString>(&doors)) {
            return *fault;
        }
        unit.doors = std::move(std::get<std::vector<core::PlanDoor>>(doors));
    }
    if (auto fault = unitFault(unit, number)) {
        return *fault;
    }
    return unit;
}

// Line and column (from 1) of a byte offset into valid UTF-8 text; the column counts characters.
std::pair<int, int> lineAndColumn(const QByteArray& text, qsizetype offset) {
    offset = std::clamp<qsizetype>(offset, 0, text.size());
    int line = 1;
    int column = 1;
    for (qsizetype i = 0; i < offset; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n') {
            ++line;
            column = 1;
        } else if ((byte & 0xC0) != 0x80) {  // not a continuation byte: a new character
            ++column;
        }
    }
    return {line, column};
}

bool isUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    return !decoder.hasError();
}

QString nativeName(const QString& fileName) {
    return QDir::toNativeSeparators(fileName);
}

// Points, and a ring, as the file writes them: [[x, y], ...].
QJsonArray pointsValue(const std::vector<core::PlanPoint>& points) {
    QJsonArray array;
    for (const core::PlanPoint& p : points) {
        array.append(QJsonArray{p.x, p.y});
    }
    return array;
}

// An outline as the file writes it: its ring, or, where it has holes, its rings, the outline first.
QJsonArray outlineValue(const core::Ring& outline, const std::vector<core::Ring>& holes) {
    if (holes.empty()) {
        return pointsValue(outline);
    }
    QJsonArray rings{pointsValue(outline)};
    for (const core::Ring& hole : holes) {
        rings.append(pointsValue(hole));
    }
    return rings;
}

QJsonObject planValue(const core::PlanSource& source) {
    QJsonObject plan;
    for (const PlanText& text : kPlanTexts) {
        plan.insert(*text.key, qs(source.*text.text));
    }
    if (!source.floor.empty()) {
        plan.insert(kFloorKey, qs(source.floor));
    }
    if (source.declaredUnit) {
        plan.insert(kDeclaredUnitKey, qs(*source.declaredUnit));
    }
    return plan;
}

QJsonArray doorsValue(const std::vector<core::PlanDoor>& doors) {
    QJsonArray array;
    for (const core::PlanDoor& door : doors) {
        QJsonObject item;
        for (const DoorText& text : kDoorTexts) {
            item.insert(*text.key, qs(door.*text.text));
        }
        item.insert(kHingeKey, QJsonArray{door.hinge.x, door.hinge.y});
        item.insert(kEndKey, QJsonArray{door.end.x, door.end.y});
        item.insert(kSwingKey, door.swing);
        array.append(item);
    }
    return array;
}

}  // namespace

QJsonObject projectObject(const core::Project& project) {
    QJsonArray units;
    for (const core::Unit& unit : project.units) {
        const core::Choices& choices = unit.choices;
        QJsonObject object{
            {kNameKey, qs(unit.name)},
            {kLocationKey, qs(unit.location)},
            {kFireClassKey, QString(QChar::fromLatin1(core::fireClassLetter(choices.fireClass)))},
            {kHazardKey, textOf(kHazards, choices.hazard)},
            {kFactorKey, factorValue(choices.factor)},
            {kBuildingKey, textOf(kBuildings, choices.building)},
            {kAreaKey, choices.area},
            {kAgentKey, textOf(kAgentNames, choices.agent)},
        };
        if (unit.model) {
            object.insert(kModelKey, qs(*unit.model));
        }
        if (unit.points) {
            object.insert(kPointsKey, *unit.points);
        }
        if (!unit.outline.empty()) {
            object.insert(kOutlineKey, outlineValue(unit.outline, unit.holes));
        }
        if (unit.plan) {
            object.insert(kPlanKey, planValue(*unit.plan));
        }
        if (!unit.setPoints.empty()) {
            object.insert(kSetPointsKey, pointsValue(unit.setPoints));
        }
        if (std::ranges::any_of(unit.handSet, [](bool set) { return set; })) {
            QJsonArray indices;
            for (std::size_t i = 0; i < unit.handSet.size(); ++i) {
                if (unit.handSet[i]) {
                    indices.append(static_cast<qint64>(i));
                }
            }
            object.insert(kHandSetKey, indices);
        }
        // A combined unit's own keys, each only where it has some.
        if (unit.combined()) {
            QJsonArray rooms;
            for (const core::UnitRoom& room : unit.rooms) {
                QJsonObject item{{kNameKey, qs(room.name)},
                                 {kOutlineKey, outlineValue(room.outline, room.holes)}};
                if (room.plan) {
                    item.insert(kPlanKey, planValue(*room.plan));
                }
                rooms.append(item);
            }
            object.insert(kRoomsKey, rooms);
        }
        if (!unit.floorOutline.empty()) {
            object.insert(kFloorOutlineKey, pointsValue(unit.floorOutline));
        }
        if (!unit.doors.empty()) {
            object.insert(kDoorsKey, doorsValue(unit.doors));
        }
        units.append(object);
    }
    QJsonObject object{
        {kFormatKey, QString::fromLatin1(kProjectFormat)},
        {kVersionKey, kProjectVersion},
        {kNameKey, qs(project.name)},
        {kInfoKey, infoObject(project.info)},
        {kUnitsKey, units},
    };
    // Like a unit's keys that it may do without, "doors" and "floors" are written only where there
    // are some.
    if (!project.doors.empty()) {
        object.insert(kDoorsKey, doorsValue(project.doors));
    }
    if (!project.floors.empty()) {
        QJsonArray floors;
        for (const core::PlanFloor& floor : project.floors) {
            QJsonObject item;
            for (const FloorText& text : kFloorTexts) {
                item.insert(*text.key, qs(floor.*text.text));
            }
            item.insert(kOutlineKey, pointsValue(floor.outline));
            floors.append(item);
        }
        object.insert(kFloorsKey, floors);
    }
    return object;
}

std::variant<core::Project, QString> projectFromObject(const QJsonObject& object) {
    if (object[kFormatKey] != QJsonValue(QString::fromLatin1(kProjectFormat))) {
        return QStringLiteral("不是灭火器配置工程文件");
    }
    const QJsonValue version = object[kVersionKey];
    if (version.isUndefined()) {
        return QStringLiteral("缺少版本号“version”");
    }
    if (!version.isDouble()) {
        return QStringLiteral("版本号“version”值“%1”无效：应为数字（如 1），不加引号")
            .arg(valueText(version));
    }
    const double v = version.toDouble(-1);
    if (v != std::floor(v) || v < 1) {
        return QStringLiteral("版本号“version”值“%1”无效：应为正整数").arg(valueText(version));
    }
    if (v > kProjectVersion) {
        return QStringLiteral("此文件由较新版本保存，请升级程序");
    }
    // Version 1 knows no "info": such a file was not written by any version of the program.
    if (v == 1 && object.contains(kInfoKey)) {
        return QStringLiteral("版本1的文件不能含有%1（版本2起才有）").arg(infoPrefix());
    }
    for (const auto& [key, what, since] :
         {std::tuple{&kDoorsKey, doorsPrefix(), kDoorsVersion},
          std::tuple{&kFloorsKey, floorsPrefix(), kCombinedVersion}}) {
        if (v < since && object.contains(*key)) {
            return QStringLiteral("版本%1的文件不能含有%2（版本%3起才有）")
                .arg(static_cast<int>(v))
                .arg(what)
                .arg(since);
        }
    }
    if (auto fault = keyFault(object, kProjectKeys + QStringList{kInfoKey, kDoorsKey, kFloorsKey},
                              {kInfoKey, kDoorsKey, kFloorsKey}, QString())) {
        return *fault;
    }
    core::Project project;
    if (!object[kNameKey].isString()) {
        return QStringLiteral("工程名称“name”应为文本");
    }
    if (!convertsWhole(object[kNameKey].toString(), project.name)) {
        return QStringLiteral("工程名称“name”含有无效字符");
    }
    if (auto fault = projectNameFault(project.name)) {
        return *fault;
    }
    if (object.contains(kInfoKey)) {
        auto info = infoFromValue(static_cast<int>(v), object[kInfoKey]);
        if (auto* fault = std::get_if<QString>(&info)) {
            return *fault;
        }
        project.info = std::move(std::get<core::ProjectInfo>(info));
    }
    if (!object[kUnitsKey].isArray()) {
        return QStringLiteral("计算单元“units”应为数组");
    }
    const QJsonArray units = object[kUnitsKey].toArray();
    project.units.reserve(static_cast<std::size_t>(units.size()));
    for (qsizetype i = 0; i < units.size(); ++i) {
        auto unit = unitFromValue(static_cast<int>(v), units[i], i + 1);
        if (auto* fault = std::get_if<QString>(&unit)) {
            return *fault;
        }
        project.units.push_back(std::move(std::get<core::Unit>(unit)));
    }
    if (object.contains(kDoorsKey)) {
        auto doors = doorsFromValue(object[kDoorsKey]);
        if (auto* fault = std::get_if<QString>(&doors)) {
            return *fault;
        }
        project.doors = std::move(std::get<std::vector<core::PlanDoor>>(doors));
    }
    if (object.contains(kFloorsKey)) {
        auto floors = floorsFromValue(object[kFloorsKey]);
        if (auto* fault = std::get_if<QString>(&floors)) {
            return *fault;
        }
        project.floors = std::move(std::get<std::vector<core::PlanFloor>>(floors));
    }
    return project;
}

QByteArray projectJson(const core::Project& project) {
    return QJsonDocument(projectObject(project)).toJson(QJsonDocument::Indented);
}

std::variant<core::Project, QString> parseProject(const QByteArray& bytes) {
    if (!isUtf8(bytes)) {
        return QStringLiteral("不是 UTF-8 编码的文本");
    }
    // A byte order mark, as some editors write one, is not part of the JSON text.
    const QByteArray text = bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error == QJsonParseError::DeepNesting) {
        return QStringLiteral("括号嵌套层数过多（超过1024层），不是灭火器配置工程文件");
    }
    if (error.error != QJsonParseError::NoError) {
        const auto [line, column] = lineAndColumn(text, error.offset);
        return QStringLiteral("不是有效的 JSON 文本（第%1行第%2列有误）").arg(line).arg(column);
    }
    if (!document.isObject()) {
        return QStringLiteral("不是灭火器配置工程文件");
    }
    if (const auto duplicate = firstDuplicateKey(text)) {
        return QStringLiteral("%1含有重复的键“%2”")
            .arg(duplicatePlace(*duplicate), quoted(duplicate->key));
    }
    return projectFromObject(document.object());
}

std::optional<QString> saveProject(const core::Project& project, const QString& fileName) {
    const auto failed = [&](const QString& reason) {
        return QStringLiteral("无法保存工程文件“%1”：%2").arg(nativeName(fileName), reason);
    };
    if (auto fault = projectFault(project)) {
        return failed(*fault);
    }
    for (std::size_t i = 0; i < project.units.size(); ++i) {
        // A unit that would be refused on reading is not written: the file could not be opened.
        if (auto fault = unitFault(project.units[i], static_cast<qsizetype>(i) + 1)) {
            return failed(*fault);
        }
    }
    for (std::size_t i = 0; i < project.doors.size(); ++i) {
        if (auto fault = doorFault(project.doors[i], static_cast<qsizetype>(i) + 1)) {
            return failed(*fault);
        }
    }
    for (std::size_t i = 0; i < project.floors.size(); ++i) {
        if (auto fault = floorFault(project.floors[i], static_cast<qsizetype>(i) + 1)) {
            return failed(*fault);
        }
    }
    if (auto reason = writeWhole(fileName, projectJson(project))) {
        return failed(*reason);
    }
    return std::nullopt;
}

std::variant<core::Project, QString> readProject(const QString& fileName) {
    const auto refused = [&](const QString& reason) {
        return QStringLiteral("无法打开工程文件“%1”：%2").arg(nativeName(fileName), reason);
    };
    QFile file(fileName);
    if (auto fault = openRegularFile(file)) {
        return refused(*fault);
    }
    if (file.size() > kMaxProjectFileSize) {
        return refused(QStringLiteral("文件过大（超过%1 MiB）").arg(kMaxProjectFileSize >> 20));
    }
    // Read to its end, in pieces so that only what the file holds is set aside, and up to one
    // byte beyond the limit, so that a file that grew since it was measured is still refused
    // rather than read in part.
    QByteArray bytes;
    bytes.reserve(file.size() + 1);
    while (bytes.size() <= kMaxProjectFileSize) {
        constexpr qint64 kPiece = qint64{1} << 20;
        const QByteArray piece =
            file.read(std::min(kPiece, kMaxProjectFileSize + 1 - bytes.size()));
        if (piece.isEmpty()) {
            break;
        }
        bytes += piece;
    }
    if (file.error() != QFileDevice::NoError) {
        return refused(QStringLiteral("文件无法读取（%1）").arg(file.errorString()));
    }
    if (bytes.size() > kMaxProjectFileSize) {
        return refused(QStringLiteral("文件过大（超过%1 MiB）").arg(kMaxProjectFileSize >> 20));
    }
    auto project = parseProject(bytes);
    if (auto* fault = std::get_if<QString>(&project)) {
        return refused(*fault);
    }
    return project;
}

}  // namespace io
