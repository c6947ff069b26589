#include "project_file.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <string>
#include <string_view>

#include "choices.h"
#include "dxf_reader.h"
#include "file_commit.h"
#include "file_errors.h"
#include "json_keys.h"
#include "polygon.h"
#include "regular_file.h"
#include "setting_points.h"

namespace io {
namespace {

// The key names of the file.
const QString kFormatKey = QStringLiteral("format");
const QString kVersionKey = QStringLiteral("version");
const QString kNameKey = QStringLiteral("name");
const QString kUnitsKey = QStringLiteral("units");
const QString kLocationKey = QStringLiteral("location");
const QString kFireClassKey = QStringLiteral("fireClass");
const QString kHazardKey = QStringLiteral("hazard");
const QString kFactorKey = QStringLiteral("factor");
const QString kBuildingKey = QStringLiteral("building");
const QString kAreaKey = QStringLiteral("area");
const QString kAgentKey = QStringLiteral("agent");
const QString kModelKey = QStringLiteral("model");
const QString kPointsKey = QStringLiteral("points");
const QString kInfoKey = QStringLiteral("info");
const QString kDateKey = QStringLiteral("date");
const QString kOutlineKey = QStringLiteral("outline");
const QString kPlanKey = QStringLiteral("plan");
const QString kFileKey = QStringLiteral("file");
const QString kLayerKey = QStringLiteral("layer");
const QString kHandleKey = QStringLiteral("handle");
const QString kDrawingUnitKey = QStringLiteral("unit");
const QString kFloorKey = QStringLiteral("floor");
const QString kSetPointsKey = QStringLiteral("setPoints");

const QStringList kProjectKeys{kFormatKey, kVersionKey, kNameKey, kUnitsKey};
const QStringList kUnitKeys{kNameKey,     kLocationKey, kFireClassKey, kHazardKey, kFactorKey,
                            kBuildingKey, kAreaKey,     kAgentKey,     kModelKey,  kPointsKey,
                            kOutlineKey,  kPlanKey,     kSetPointsKey};
const QStringList kOptionalUnitKeys{kModelKey, kPointsKey, kOutlineKey, kPlanKey, kSetPointsKey};
// The keys of a unit that came with a version: a file of an earlier version holding one was not
// written by any version of the program.
struct LaterKey {
    const QString* key;
    int version;
};
const LaterKey kLaterUnitKeys[] = {{&kOutlineKey, 3}, {&kPlanKey, 3}, {&kSetPointsKey, 4}};
// "floor", the floor the unit was imported to, is absent in files before it was kept: it is then
// the unit's location.
const QStringList kPlanKeys{kFileKey, kLayerKey, kHandleKey, kDrawingUnitKey, kFloorKey};

// The texts of "plan": each key, what a message calls it, and its member.
struct PlanText {
    const QString* key;
    const char* caption;
    std::string core::PlanSource::*text;
};
const PlanText kPlanTexts[] = {
    {&kFileKey, "文件", &core::PlanSource::file},
    {&kLayerKey, "图层", &core::PlanSource::layer},
    {&kHandleKey, "图元句柄", &core::PlanSource::handle},
    {&kDrawingUnitKey, "单位", &core::PlanSource::unit},
};

// The texts of "info": each key, what a message calls it, and its member.
struct InfoText {
    const char* key;
    const char* caption;
    std::string core::ProjectInfo::*text;
};
constexpr InfoText kInfoTexts[] = {
    {"number", "工程编号", &core::ProjectInfo::number},
    {"stage", "设计阶段", &core::ProjectInfo::stage},
    {"company", "编制单位", &core::ProjectInfo::company},
    {"calculatedBy", "计算人", &core::ProjectInfo::calculatedBy},
    {"checkedBy", "校对人", &core::ProjectInfo::checkedBy},
    {"reviewedBy", "审核人", &core::ProjectInfo::reviewedBy},
    {"approvedBy", "审定人", &core::ProjectInfo::approvedBy},
};

// Every key of "info" may be left out: a text takes its default, the date the day of the export.
const QStringList kInfoKeys = [] {
    QStringList keys;
    for (const InfoText& text : kInfoTexts) {
        keys << QString::fromLatin1(text.key);
    }
    return keys << kDateKey;
}();

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

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Whether a text read from the file comes through UTF-8 unchanged: a lone surrogate (a JSON
// "\ud800") would silently turn into a replacement character.
bool convertsWhole(const QString& text, std::string& out) {
    const QByteArray utf8 = text.toUtf8();
    out.assign(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    return QString::fromUtf8(utf8) == text;
}

// A text as a message quotes it: a long one is cut short, so that a file with a text of many
// megabytes gives a message a window can show.
QString quoted(const QString& text) {
    constexpr qsizetype kLongest = 40;
    return text.size() <= kLongest ? text : text.first(kLongest) + QStringLiteral("…");
}

// A number as a message quotes it: plain decimals where they stay short.
QString numberText(double x) {
    return QString::number(x, std::abs(x) < 1e15 ? 'f' : 'g', QLocale::FloatingPointShortest);
}

// A JSON value as a message quotes it.
QString valueText(const QJsonValue& value) {
    switch (value.type()) {
        case QJsonValue::String:
            return quoted(value.toString());
        case QJsonValue::Double:
            return numberText(value.toDouble());
        case QJsonValue::Bool:
            return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        case QJsonValue::Null:
            return QStringLiteral("null");
        case QJsonValue::Array:
            return QStringLiteral("[…]");
        case QJsonValue::Object:
            return QStringLiteral("{…}");
        case QJsonValue::Undefined:
            break;
    }
    return {};
}

QString unitPrefix(qsizetype number) {
    return QStringLiteral("第%1个计算单元").arg(number);
}

// Why a name or location is too long for the editors; `what` names it ("工程名称“name”").
std::optional<QString> lengthFault(const QString& what, const std::string& text) {
    const qsizetype length = fromUtf8(text).size();
    if (length <= core::kMaxNameLength) {
        return std::nullopt;
    }
    return QStringLiteral("%1过长：%2个字符，最多%3个字符")
        .arg(what)
        .arg(length)
        .arg(core::kMaxNameLength);
}

std::optional<QString> projectNameFault(const std::string& name) {
    return lengthFault(QStringLiteral("工程名称“%1”").arg(kNameKey), name);
}

QString infoPrefix() {
    return QStringLiteral("工程信息“%1”").arg(kInfoKey);
}

// "工程信息“info”的编制单位“company”"
QString infoTextName(const InfoText& text) {
    return QStringLiteral("%1的%2“%3”")
        .arg(infoPrefix(), QString::fromUtf8(text.caption), QLatin1String(text.key));
}

bool dateInRange(const std::chrono::year_month_day& date) {
    return date.ok() && date >= kEarliestDate && date <= kLatestDate;
}

QString dateText(const std::chrono::year_month_day& date) {
    return QStringLiteral("%1-%2-%3")
        .arg(static_cast<int>(date.year()), 4, 10, QLatin1Char('0'))
        .arg(static_cast<unsigned>(date.month()), 2, 10, QLatin1Char('0'))
        .arg(static_cast<unsigned>(date.day()), 2, 10, QLatin1Char('0'));
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

QString dateFault(const QString& text) {
    return QStringLiteral("%1的日期“%2”值“%3”无效，应为%4至%5之间的日期（年-月-日）")
        .arg(infoPrefix(), kDateKey, quoted(text), dateText(kEarliestDate), dateText(kLatestDate));
}

// Why the info cannot be kept in a file: a text too long, a date out of range.
std::optional<QString> infoFault(const core::ProjectInfo& info) {
    for (const InfoText& text : kInfoTexts) {
        if (auto fault = lengthFault(infoTextName(text), info.*text.text)) {
            return fault;
        }
    }
    if (info.date && !dateInRange(*info.date)) {
        return dateFault(dateText(*info.date));
    }
    return std::nullopt;
}

// Why the project's own texts cannot be kept in a file.
std::optional<QString> projectFault(const core::Project& project) {
    if (auto fault = projectNameFault(project.name)) {
        return fault;
    }
    return infoFault(project.info);
}

QJsonObject infoObject(const core::ProjectInfo& info) {
    QJsonObject object;
    for (const InfoText& text : kInfoTexts) {
        object.insert(QLatin1String(text.key), fromUtf8(info.*text.text));
    }
    if (info.date) {
        object.insert(kDateKey, dateText(*info.date));
    }
    return object;
}

// The object of the file that holds a duplicate key, as a message names it.
QString duplicatePlace(const DuplicateKey& duplicate) {
    const std::vector<JsonStep>& where = duplicate.where;
    if (where.empty()) {
        return {};  // the project itself, as the other messages of its keys say
    }
    if (where.size() == 2 && where[0].key == kUnitsKey && where[1].index >= 0) {
        return unitPrefix(where[1].index + 1);
    }
    if (where.size() == 1 && where[0].key == kInfoKey) {
        return infoPrefix();
    }
    QStringList steps;
    for (const JsonStep& step : where) {
        steps << (step.index >= 0 ? QStringLiteral("第%1项").arg(step.index + 1)
                                  : QStringLiteral("“%1”").arg(quoted(step.key)));
    }
    return steps.join(QString()) + QStringLiteral("中的对象");
}

// The first key of the object that is not among `known`, then the first of `required` that it
// lacks, as a message; empty when the keys are right.
std::optional<QString> keyFault(const QJsonObject& object, const QStringList& known,
                                const QStringList& optional, const QString& prefix) {
    for (const QString& key : object.keys()) {
        if (!known.contains(key)) {
            return QStringLiteral("%1含有未知的键“%2”").arg(prefix, quoted(key));
        }
    }
    for (const QString& key : known) {
        if (!optional.contains(key) && !object.contains(key)) {
            return QStringLiteral("%1缺少键“%2”").arg(prefix, key);
        }
    }
    return std::nullopt;
}

// The book's cover and signatures: "info", of version 2 on.
std::variant<core::ProjectInfo, QString> infoFromValue(const QJsonValue& value) {
    const QString prefix = infoPrefix();
    if (!value.isObject()) {
        return QStringLiteral("%1应为 JSON 对象").arg(prefix);
    }
    const QJsonObject object = value.toObject();
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
    if (auto fault = infoFault(info)) {
        return *fault;
    }
    return info;
}

QString outlinePrefix(const QString& unitPrefixText) {
    return QStringLiteral("%1的轮廓“%2”").arg(unitPrefixText, kOutlineKey);
}

// Why an outline cannot be a room's: too few or too many vertices, a vertex that repeats the one
// before it (the first also after the last), not simple, no area, turning clockwise.
std::optional<QString> outlineFault(const core::Ring& outline, const QString& prefix) {
    if (outline.size() < 3) {
        return QStringLiteral("%1顶点不足：至少3个").arg(prefix);
    }
    if (outline.size() > static_cast<std::size_t>(kMaxPolylineVertices)) {
        return QStringLiteral("%1顶点过多：%2个，最多%3个")
            .arg(prefix)
            .arg(outline.size())
            .arg(kMaxPolylineVertices);
    }
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const core::PlanPoint& p = outline[i];
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
            return QStringLiteral("%1第%2个顶点无效：坐标应为有限的数").arg(prefix).arg(i + 1);
        }
        if (p == outline[i == 0 ? outline.size() - 1 : i - 1]) {
            return QStringLiteral("%1第%2个顶点与前一个顶点重合").arg(prefix).arg(i + 1);
        }
    }
    switch (core::ringFault(outline)) {
        case core::RingFault::None:
            break;
        case core::RingFault::NotFinite:
            return QStringLiteral("%1坐标超出范围").arg(prefix);
        case core::RingFault::TooFewVertices:
        case core::RingFault::ZeroArea:
            return QStringLiteral("%1面积为零").arg(prefix);
        case core::RingFault::SelfIntersecting:
            return QStringLiteral("%1自相交").arg(prefix);
    }
    if (core::signedArea(outline) <= 0) {
        return QStringLiteral("%1应为逆时针方向").arg(prefix);
    }
    return std::nullopt;
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

QString holePrefix(const QString& unitPrefixText, std::size_t index) {
    return QStringLiteral("%1的第%2个洞口").arg(outlinePrefix(unitPrefixText)).arg(index + 1);
}

// Why a unit's holes cannot be: a hole that is no room's outline, lies not wholly inside the
// outline, or meets another hole; more vertices in all than an outline may have.
std::optional<QString> holesFault(const core::Ring& outline, const std::vector<core::Ring>& holes,
                                  const QString& unitPrefixText) {
    std::size_t vertices = outline.size();
    for (std::size_t k = 0; k < holes.size(); ++k) {
        const QString prefix = holePrefix(unitPrefixText, k);
        if (auto fault = outlineFault(holes[k], prefix)) {
            return fault;
        }
        vertices += holes[k].size();
        if (vertices > static_cast<std::size_t>(kMaxPolylineVertices)) {
            return QStringLiteral("%1连同洞口顶点过多：最多%2个")
                .arg(outlinePrefix(unitPrefixText))
                .arg(kMaxPolylineVertices);
        }
        if (!core::ringInside(holes[k], outline)) {
            return QStringLiteral("%1不在轮廓之内").arg(prefix);
        }
        for (std::size_t other = 0; other < k; ++other) {
            if (!core::ringsApart(holes[k], holes[other])) {
                return QStringLiteral("%1与第%2个洞口相交或重叠").arg(prefix).arg(other + 1);
            }
        }
    }
    return std::nullopt;
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
        auto read = pointsFromValue(value, outline, kMaxPolylineVertices, words);
        if (auto* fault = std::get_if<QString>(&read)) {
            return std::move(*fault);
        }
        core::Ring ring = std::move(std::get<std::vector<core::PlanPoint>>(read));
        if (auto fault = outlineFault(ring, outline)) {
            return *fault;
        }
        return std::pair{std::move(ring), std::vector<core::Ring>{}};
    }
    if (version < 5) {
        return QStringLiteral("版本%1的文件不能含有带洞口的%2（版本5起才有）")
            .arg(version)
            .arg(outline);
    }
    if (array.size() > kMaxPolylineVertices / 3) {
        return QStringLiteral("%1洞口过多：%2个").arg(outline).arg(array.size() - 1);
    }
    std::vector<core::Ring> read;
    for (qsizetype k = 0; k < array.size(); ++k) {
        const QString what = k == 0 ? outline : holePrefix(prefix, static_cast<std::size_t>(k - 1));
        auto ring = pointsFromValue(array[k], what, kMaxPolylineVertices, words);
        if (auto* fault = std::get_if<QString>(&ring)) {
            return std::move(*fault);
        }
        read.push_back(std::move(std::get<std::vector<core::PlanPoint>>(ring)));
    }
    core::Ring ring = std::move(read.front());
    std::vector<core::Ring> holes(std::make_move_iterator(read.begin() + 1),
                                  std::make_move_iterator(read.end()));
    if (auto fault = outlineFault(ring, outline)) {
        return *fault;
    }
    if (auto fault = holesFault(ring, holes, prefix)) {
        return *fault;
    }
    return std::pair{std::move(ring), std::move(holes)};
}

QString planPrefix(const QString& unitPrefixText) {
    return QStringLiteral("%1的平面图来源“%2”").arg(unitPrefixText, kPlanKey);
}

// The drawing a unit's outline came from, of version 3 on.
std::variant<core::PlanSource, QString> planFromValue(const QJsonValue& value,
                                                      const QString& prefix) {
    const QString plan = planPrefix(prefix);
    if (!value.isObject()) {
        return QStringLiteral("%1应为 JSON 对象").arg(plan);
    }
    const QJsonObject object = value.toObject();
    if (auto fault = keyFault(object, kPlanKeys, {kFloorKey}, plan)) {
        return *fault;
    }
    core::PlanSource source;
    for (const PlanText& text : kPlanTexts) {
        const QJsonValue member = object[*text.key];
        const QString what =
            QStringLiteral("%1的%2“%3”").arg(plan, QString::fromUtf8(text.caption), *text.key);
        if (!member.isString()) {
            return QStringLiteral("%1应为文本").arg(what);
        }
        if (!convertsWhole(member.toString(), source.*text.text)) {
            return QStringLiteral("%1含有无效字符").arg(what);
        }
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
        return QStringLiteral("%1的单位“%2”值“%3”无效，应为 mm、cm、dm、m、inch、ft 等长度单位")
            .arg(plan, kDrawingUnitKey, valueText(object[kDrawingUnitKey]));
    }
    return source;
}

QString setPointsPrefix(const QString& unitPrefixText) {
    return QStringLiteral("%1的设置点“%2”").arg(unitPrefixText, kSetPointsKey);
}

// Why a unit's placed setting points cannot be kept: too many, a coordinate not finite. A point
// outside the outline is kept: the outline may have been imported again since they were placed,
// and the check of the cover then tells.
std::optional<QString> setPointsFault(const std::vector<core::PlanPoint>& points,
                                      const QString& prefix) {
    if (points.size() > static_cast<std::size_t>(core::kMaxPoints)) {
        return QStringLiteral("%1过多：%2个，最多%3个")
            .arg(prefix)
            .arg(points.size())
            .arg(core::kMaxPoints);
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!std::isfinite(points[i].x) || !std::isfinite(points[i].y)) {
            return QStringLiteral("%1第%2个点无效：坐标应为有限的数").arg(prefix).arg(i + 1);
        }
    }
    return std::nullopt;
}

// The setting points placed in a unit's outline, of version 4 on: [[x, y], ...] in metres.
std::variant<std::vector<core::PlanPoint>, QString> setPointsFromValue(const QJsonValue& value,
                                                                       const QString& prefix) {
    const QString what = setPointsPrefix(prefix);
    auto read =
        pointsFromValue(value, what, core::kMaxPoints, {"[[1.5, 15], [1.5, 45]]", "", "点"});
    if (auto* points = std::get_if<std::vector<core::PlanPoint>>(&read)) {
        if (auto fault = setPointsFault(*points, what)) {
            return *fault;
        }
    }
    return read;
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
        auto plan = planFromValue(object[kPlanKey], prefix);
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

}  // namespace

std::optional<QString> unitFault(const core::Unit& unit, qsizetype number) {
    const QString prefix = unitPrefix(number);
    for (const auto& [key, text] :
         {std::pair{kNameKey, &unit.name}, {kLocationKey, &unit.location}}) {
        const QString what = key == kNameKey ? QStringLiteral("名称") : QStringLiteral("位置");
        if (auto fault = lengthFault(QStringLiteral("%1的%2“%3”").arg(prefix, what, key), *text)) {
            return fault;
        }
    }
    const core::Choices& choices = unit.choices;
    if (textOf(kFireClasses, choices.fireClass).isEmpty()) {
        return QStringLiteral("%1的火灾类别%2不能列入工程")
            .arg(prefix, QChar::fromLatin1(core::fireClassLetter(choices.fireClass)));
    }
    if (!core::agentAllowed(choices.fireClass, choices.agent)) {
        const std::string_view caption = core::agentCaption(choices.agent);
        return QStringLiteral("%1的火灾类别%2不能选用灭火剂“%3”")
            .arg(prefix, QChar::fromLatin1(core::fireClassLetter(choices.fireClass)),
                 QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    }
    if (!std::isfinite(choices.area) || choices.area < 0 || choices.area > core::kMaxUnitArea) {
        return QStringLiteral("%1的面积“area”值“%2”无效，应为0至%3之间的数")
            .arg(prefix, numberText(choices.area), QString::number(core::kMaxUnitArea, 'f', 0));
    }
    if (unit.model) {
        const std::optional<core::UnitConditions> conditions = core::conditionsOf(choices);
        const bool adequate =
            conditions && std::any_of(conditions->candidates.begin(), conditions->candidates.end(),
                                      [&](const core::CandidateModel& candidate) {
                                          return candidate.code == *unit.model;
                                      });
        if (!adequate) {
            return QStringLiteral("%1的灭火器型号“%2”不是该单元适用的型号")
                .arg(prefix, quoted(fromUtf8(*unit.model)));
        }
    }
    if (unit.points && (*unit.points < 1 || *unit.points > core::kMaxPoints)) {
        return QStringLiteral("%1的设置点数“points”值“%2”无效，应为1至%3的整数")
            .arg(prefix)
            .arg(*unit.points)
            .arg(core::kMaxPoints);
    }
    if (!unit.outline.empty()) {
        if (auto fault = outlineFault(unit.outline, outlinePrefix(prefix))) {
            return fault;
        }
        if (auto fault = holesFault(unit.outline, unit.holes, prefix)) {
            return fault;
        }
    } else if (!unit.holes.empty()) {
        return QStringLiteral("%1有洞口却没有轮廓“%2”").arg(prefix, kOutlineKey);
    }
    if (unit.plan) {
        if (unit.outline.empty()) {
            return QStringLiteral("%1有平面图来源“%2”却没有轮廓“%3”")
                .arg(prefix, kPlanKey, kOutlineKey);
        }
        if (!unitFromName(fromUtf8(unit.plan->unit))) {
            return QStringLiteral("%1的单位“%2”值“%3”无效，应为 mm、cm、dm、m、inch、ft 等长度单位")
                .arg(planPrefix(prefix), kDrawingUnitKey, quoted(fromUtf8(unit.plan->unit)));
        }
    }
    if (!unit.setPoints.empty()) {
        if (unit.outline.empty()) {
            return QStringLiteral("%1有设置点“%2”却没有轮廓“%3”")
                .arg(prefix, kSetPointsKey, kOutlineKey);
        }
        if (auto fault = setPointsFault(unit.setPoints, setPointsPrefix(prefix))) {
            return fault;
        }
    }
    return std::nullopt;
}

QJsonObject projectObject(const core::Project& project) {
    QJsonArray units;
    for (const core::Unit& unit : project.units) {
        const core::Choices& choices = unit.choices;
        QJsonObject object{
            {kNameKey, fromUtf8(unit.name)},
            {kLocationKey, fromUtf8(unit.location)},
            {kFireClassKey, QString(QChar::fromLatin1(core::fireClassLetter(choices.fireClass)))},
            {kHazardKey, textOf(kHazards, choices.hazard)},
            {kFactorKey, factorValue(choices.factor)},
            {kBuildingKey, textOf(kBuildings, choices.building)},
            {kAreaKey, choices.area},
            {kAgentKey, textOf(kAgentNames, choices.agent)},
        };
        if (unit.model) {
            object.insert(kModelKey, fromUtf8(*unit.model));
        }
        if (unit.points) {
            object.insert(kPointsKey, *unit.points);
        }
        if (!unit.outline.empty()) {
            const auto ringValue = [](const core::Ring& ring) {
                QJsonArray points;
                for (const core::PlanPoint& p : ring) {
                    points.append(QJsonArray{p.x, p.y});
                }
                return points;
            };
            if (unit.holes.empty()) {
                object.insert(kOutlineKey, ringValue(unit.outline));
            } else {
                QJsonArray rings{ringValue(unit.outline)};
                for (const core::Ring& hole : unit.holes) {
                    rings.append(ringValue(hole));
                }
                object.insert(kOutlineKey, rings);
            }
        }
        if (unit.plan) {
            QJsonObject plan;
            for (const PlanText& text : kPlanTexts) {
                plan.insert(*text.key, fromUtf8(unit.plan.value().*text.text));
            }
            if (!unit.plan->floor.empty()) {
                plan.insert(kFloorKey, fromUtf8(unit.plan->floor));
            }
            object.insert(kPlanKey, plan);
        }
        if (!unit.setPoints.empty()) {
            QJsonArray points;
            for (const core::PlanPoint& p : unit.setPoints) {
                points.append(QJsonArray{p.x, p.y});
            }
            object.insert(kSetPointsKey, points);
        }
        units.append(object);
    }
    return QJsonObject{
        {kFormatKey, QString::fromLatin1(kProjectFormat)},
        {kVersionKey, kProjectVersion},
        {kNameKey, fromUtf8(project.name)},
        {kInfoKey, infoObject(project.info)},
        {kUnitsKey, units},
    };
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
    if (auto fault =
            keyFault(object, kProjectKeys + QStringList{kInfoKey}, {kInfoKey}, QString())) {
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
        auto info = infoFromValue(object[kInfoKey]);
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
    QSaveFile file(withoutLongPathPrefix(fileName));
    const QByteArray json = projectJson(project);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !commitWhole(file)) {
        return failed(writeFailureReason(fileName, file.error(), errno));
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
