#include "plan_rooms.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <boost/geometry/algorithms/area.hpp>
#include <boost/geometry/algorithms/covered_by.hpp>
#include <boost/geometry/algorithms/difference.hpp>
#include <boost/geometry/algorithms/disjoint.hpp>
#include <boost/geometry/algorithms/intersects.hpp>
#include <boost/geometry/algorithms/sym_difference.hpp>
#include <boost/geometry/algorithms/touches.hpp>
#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <cstdint>
#include <exception>
#include <numeric>

#include "plan_geometry.h"
#include "project.h"

namespace io {

namespace {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

// A room with its holes as Boost.Geometry takes it: counter-clockwise, open.
using Polygon = bg::model::polygon<core::PlanPoint, false, false>;
using Polygons = bg::model::multi_polygon<Polygon>;

// An outline's box and its place among the outlines.
using BoxEntry = std::pair<core::GeometryBox, std::size_t>;
using BoxTree = bgi::rtree<BoxEntry, bgi::rstar<16>>;

// The most vertices an outline may have once its arcs are chords.
constexpr std::size_t kMaxOutlineVertices = 200000;
// Vertices closer than this (in metres) are one.
constexpr double kRepeatTolerance = 1e-6;

// Names of layers that hold rooms, and of those that hold columns, walls, axes, dimensions,
// texts, furniture or hatches, whatever else their names say.
constexpr const char16_t* kRoomLayerWords[] = {u"房间", u"面积", u"ROOM", u"AREA"};
constexpr const char16_t* kOtherLayerWords[] = {u"COLUMN", u"柱",   u"WALL",  u"墙",   u"AXIS",
                                                u"轴",     u"DIM",  u"标注",  u"TEXT", u"文字",
                                                u"FURN",   u"家具", u"HATCH", u"填充"};

bool isProposedName(const QString& name) {
    const auto holds = [&name](const char16_t* word) {
        return name.contains(QString::fromUtf16(word), Qt::CaseInsensitive);
    };
    return std::ranges::any_of(kRoomLayerWords, holds) &&
           std::ranges::none_of(kOtherLayerWords, holds);
}

QString faultReason(core::RingFault fault) {
    switch (fault) {
        case core::RingFault::TooFewVertices:
            return QStringLiteral("顶点不足");
        case core::RingFault::NotFinite:
            return QStringLiteral("坐标超出范围");
        case core::RingFault::ZeroArea:
            return QStringLiteral("面积为零");
        case core::RingFault::SelfIntersecting:
            return QStringLiteral("自相交");
        case core::RingFault::None:
            break;
    }
    return {};
}

// A simple outline of a chosen layer.
struct Outline {
    std::size_t polyline = 0;                 // its place in the drawing's polylines
    std::vector<core::BulgeVertex> vertices;  // metres
    core::Ring ring;                          // metres, counter-clockwise, chords inside
    double area = 0;                          // of the curved outline
    core::PlanBox box;
    bool proposedLayer = false;
};

// An area label of a room rather than its name: a number with a unit of area, one after 面积 or
// "S=", or a number with decimals.
bool isAreaLabel(const QString& line) {
    static const QRegularExpression label(
        QStringLiteral(
            R"(^[(（\[]?\s*(?<prefix>(?:建筑|使用|套内|房间)?面积\s*[:：=]?|[SA]\s*[:：=])?)"
            R"(\s*\d+(?<decimals>[.,]\d*)?\s*(?<unit>m2|m²|㎡|平方米|平米|sq\.?\s*m)?)"
            R"(\s*[)）\]]?$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = label.match(line.trimmed());
    return match.hasMatch() && (match.hasCaptured(u"prefix") || match.hasCaptured(u"decimals") ||
                                match.hasCaptured(u"unit"));
}

// The name a text gives: its lines that are no area labels on one line, trimmed, no longer than a
// unit's name may be.
QString nameOf(const QString& text) {
    QStringList lines = text.split(u'\n');
    lines.removeIf([](const QString& line) { return isAreaLabel(line); });
    QString name = lines.join(u' ').simplified();
    if (name.size() > core::kMaxNameLength) {
        qsizetype length = core::kMaxNameLength;
        // Not between the two halves of a character beyond the first 65 536.
        if (name[length - 1].isHighSurrogate()) {
            --length;
        }
        name.truncate(length);
    }
    return name;
}

// A void rather than a room: an atrium's or a hall's open space above, a column, a shaft.
bool isVoidName(const QString& name) {
    return name.contains(u"上空") || name.contains(u"中庭") || name.contains(u"管井") ||
           name.contains(u"电梯井") || name.endsWith(u'柱') || name.endsWith(u'井');
}

BoxTree boxTree(const std::vector<Outline>& outlines, const std::vector<std::size_t>& chosen) {
    std::vector<BoxEntry> entries;
    entries.reserve(chosen.size());
    for (const std::size_t i : chosen) {
        entries.emplace_back(core::geometryBox(outlines[i].box), i);
    }
    return BoxTree(entries);
}

double boxOverlap(const core::PlanBox& a, const core::PlanBox& b) {
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

// The insides of the two outlines meet.
bool overlap(const Outline& a, const Outline& b) {
    try {
        return bg::intersects(a.ring, b.ring) && !bg::touches(a.ring, b.ring);
    } catch (const std::exception&) {
        return false;
    }
}

std::vector<std::size_t> everyOutline(std::size_t count) {
    std::vector<std::size_t> all(count);
    std::iota(all.begin(), all.end(), std::size_t{0});
    return all;
}

// The earlier outline of the same region, for every outline that repeats one.
std::vector<std::optional<std::size_t>> repeats(const std::vector<Outline>& outlines,
                                                const BoxTree& tree) {
    std::vector<std::optional<std::size_t>> result(outlines.size());
    std::vector<BoxEntry> found;
    for (std::size_t i = 0; i < outlines.size(); ++i) {
        found.clear();
        tree.query(bgi::intersects(core::geometryBox(outlines[i].box)), std::back_inserter(found));
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

// The pairs of layers whose outlines overlap, by the layers' places in `order`.
std::vector<std::pair<QString, QString>> overlappingLayers(const std::vector<Outline>& outlines,
                                                           const BoxTree& tree,
                                                           const DxfDrawing& drawing,
                                                           const QStringList& order) {
    const auto layerOf = [&](std::size_t i) -> const QString& {
        return drawing.polylines[outlines[i].polyline].layer;
    };
    const auto place = [&](const QString& layer) {
        for (qsizetype at = 0; at < order.size(); ++at) {
            if (order[at].compare(layer, Qt::CaseInsensitive) == 0) {
                return at;
            }
        }
        return order.size();
    };
    std::vector<std::pair<qsizetype, qsizetype>> pairs;
    std::vector<BoxEntry> found;
    for (std::size_t i = 0; i < outlines.size(); ++i) {
        found.clear();
        tree.query(bgi::intersects(core::geometryBox(outlines[i].box)), std::back_inserter(found));
        for (const auto& [box, other] : found) {
            if (other >= i || layerOf(other) == layerOf(i)) {
                continue;
            }
            const qsizetype a = place(layerOf(i));
            const qsizetype b = place(layerOf(other));
            const std::pair pair(std::min(a, b), std::max(a, b));
            if (std::ranges::find(pairs, pair) == pairs.end() &&
                overlap(outlines[i], outlines[other])) {
                pairs.emplace_back(pair);
            }
        }
    }
    std::ranges::sort(pairs);
    std::vector<std::pair<QString, QString>> result;
    for (const auto& [first, second] : pairs) {
        result.emplace_back(order.value(first), order.value(second));
    }
    return result;
}

// What an outline becomes.
enum class Role : std::uint8_t { Room, Hole, Repeat, HoldsRooms, TooSmall, InHole };

}  // namespace

std::vector<PlanLayer> planLayers(const DxfDrawing& drawing) {
    std::vector<PlanLayer> layers;
    QHash<QString, std::size_t> places;
    const auto place = [&](const QString& name) {
        const auto found = places.constFind(name);
        if (found != places.constEnd()) {
            return *found;
        }
        places.insert(name, layers.size());
        layers.push_back({name, 0, false});
        return layers.size() - 1;
    };
    for (const QString& name : drawing.layers) {
        place(name);
    }
    for (const DxfPolyline& polyline : drawing.polylines) {
        const std::size_t at = place(polyline.layer);
        if (polyline.closed) {
            ++layers[at].outlines;
        }
    }
    for (PlanLayer& layer : layers) {
        layer.proposed = layer.outlines > 0 && isProposedName(layer.name);
    }
    return layers;
}

const PlanLayer* layerNamed(const std::vector<PlanLayer>& layers, const QString& name) {
    const auto found = std::ranges::find_if(layers, [&name](const PlanLayer& layer) {
        return layer.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    return found != layers.end() ? &*found : nullptr;
}

PlanRooms planRooms(const DxfDrawing& drawing, const QStringList& layers,
                    std::optional<DrawingUnit> unit) {
    const double scale = metresPerUnit(unit.value_or(drawing.unit));
    QSet<QString> chosen;
    for (const QString& layer : layers) {
        chosen.insert(layer.toCaseFolded());
    }
    // The refused outlines with their places among the polylines, to be put in file order.
    std::vector<std::pair<std::size_t, RefusedOutline>> refused;
    std::vector<Outline> outlines;
    for (std::size_t i = 0; i < drawing.polylines.size(); ++i) {
        const DxfPolyline& polyline = drawing.polylines[i];
        if (!polyline.closed || !chosen.contains(polyline.layer.toCaseFolded())) {
            continue;
        }
        const auto refuse = [&](const QString& reason) {
            refused.push_back({i, {polyline.handle, polyline.layer, reason}});
        };
        if (!polyline.fault.isEmpty()) {
            refuse(polyline.fault);
            continue;
        }
        std::vector<core::BulgeVertex> vertices = polyline.vertices;
        for (core::BulgeVertex& vertex : vertices) {
            vertex.at = {vertex.at.x * scale, vertex.at.y * scale};
        }
        if (core::flattenedSize(vertices, kOutlineSagitta) > kMaxOutlineVertices) {
            refuse(QStringLiteral("顶点过多（圆弧分段后超过%1个）").arg(kMaxOutlineVertices));
            continue;
        }
        core::Ring ring =
            core::withoutRepeats(core::flattenBulges(vertices, kOutlineSagitta), kRepeatTolerance);
        if (const core::RingFault fault = core::ringFault(ring); fault != core::RingFault::None) {
            refuse(faultReason(fault));
            continue;
        }
        ring = core::counterClockwise(std::move(ring));
        const double area = std::abs(core::signedBulgeArea(vertices));
        const core::PlanBox box = core::bounds(ring);
        outlines.push_back(
            {i, std::move(vertices), std::move(ring), area, box, isProposedName(polyline.layer)});
    }
    const std::size_t count = outlines.size();
    const auto handleOf = [&](std::size_t i) -> const QString& {
        return drawing.polylines[outlines[i].polyline].handle;
    };
    const auto smaller = [&](std::size_t a, std::size_t b) {
        return outlines[a].area < outlines[b].area ||
               (outlines[a].area == outlines[b].area && a < b);
    };

    PlanRooms result;
    const BoxTree everyTree = boxTree(outlines, everyOutline(count));
    result.overlappingLayers = overlappingLayers(outlines, everyTree, drawing, layers);
    const std::vector<std::optional<std::size_t>> repeated = repeats(outlines, everyTree);
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
        tree.query(bgi::covers(core::geometryBox(outlines[inner].box)), std::back_inserter(found));
        for (const auto& [box, outer] : found) {
            if (outer != inner && core::ringInside(outlines[inner].ring, outlines[outer].ring)) {
                holders[inner].push_back(outer);
            }
        }
    }

    // The outlines in which each text lies; each outline's tallest text, and its tallest of those
    // that lie in no smaller outline (its own).
    std::vector<QString> textNames(drawing.texts.size());
    std::vector<std::vector<std::size_t>> textIn(drawing.texts.size());
    std::vector<std::optional<std::size_t>> tallest(count);
    std::vector<std::optional<std::size_t>> tallestOwn(count);
    const auto keepTallest = [&](std::optional<std::size_t>& kept, std::size_t t) {
        if (!kept || drawing.texts[t].height > drawing.texts[*kept].height) {
            kept = t;
        }
    };
    for (std::size_t t = 0; t < drawing.texts.size(); ++t) {
        const DxfText& text = drawing.texts[t];
        textNames[t] = nameOf(text.text);
        if (textNames[t].isEmpty()) {
            continue;
        }
        const core::PlanPoint at{text.at.x * scale, text.at.y * scale};
        found.clear();
        tree.query(bgi::intersects(at), std::back_inserter(found));
        std::optional<std::size_t> innermost;
        for (const auto& [box, i] : found) {
            if (core::coveredBy(at, outlines[i].ring)) {
                textIn[t].push_back(i);
                keepTallest(tallest[i], t);
                if (!innermost || smaller(i, *innermost)) {
                    innermost = i;
                }
            }
        }
        if (innermost) {
            keepTallest(tallestOwn[*innermost], t);
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
    std::vector<int> roomsInside(count, 0);
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

    // Each room's tallest text that lies in no hole: the text's place among the drawing's texts.
    std::vector<std::optional<std::size_t>> names(count);
    for (std::size_t t = 0; t < drawing.texts.size(); ++t) {
        // Of overlapping rooms and holes the smallest; of those equally large the first.
        std::optional<std::size_t> in;
        for (const std::size_t i : textIn[t]) {
            if ((roles[i] == Role::Room || roles[i] == Role::Hole) && (!in || smaller(i, *in))) {
                in = i;
            }
        }
        if (in && roles[*in] == Role::Room &&
            (!names[*in] || drawing.texts[t].height > drawing.texts[*names[*in]].height)) {
            names[*in] = t;
        }
    }

    std::vector<std::vector<std::size_t>> holes(count);
    for (const std::size_t i : distinct) {
        if (roles[i] == Role::Hole) {
            holes[holeOf[i]].push_back(i);
        }
    }
    int unnamed = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Outline& outline = outlines[i];
        const DxfPolyline& polyline = drawing.polylines[outline.polyline];
        const auto refuse = [&](const QString& reason) {
            refused.push_back({outline.polyline, {polyline.handle, polyline.layer, reason}});
        };
        const auto named = [](const QString& what, const QString& handle) {
            return handle.isEmpty() ? QStringLiteral("另一%1").arg(what)
                                    : QStringLiteral("%1 %2 ").arg(what, handle);
        };
        switch (roles[i]) {
            case Role::Repeat:
                refuse(QStringLiteral("与%1重合")
                           .arg(named(QStringLiteral("轮廓"), handleOf(*repeated[i]))));
                continue;
            case Role::HoldsRooms:
                refuse(QStringLiteral("包含 %1 个房间").arg(roomsInside[i]));
                continue;
            case Role::TooSmall:
                refuse(QStringLiteral("面积小于 %1 m²").arg(kSmallestRoom));
                continue;
            case Role::InHole:
                refuse(QStringLiteral("位于%1内")
                           .arg(named(QStringLiteral("洞口"), handleOf(holeOf[i]))));
                continue;
            case Role::Hole:
                continue;
            case Role::Room:
                break;
        }
        PlanRoom room{names[i] ? textNames[*names[i]] : QStringLiteral("房间%1").arg(++unnamed),
                      polyline.layer, polyline.handle, outline.ring, 0};
        double area = outline.area;
        if (!holes[i].empty()) {
            // The holes' chords lie outside them, so that the room's ring covers no hole.
            Polygons cut;
            cut.resize(1);
            cut.front().outer().assign(outline.ring.begin(), outline.ring.end());
            double chordArea = core::area(outline.ring);
            for (const std::size_t hole : holes[i]) {
                core::Ring ring = core::withoutRepeats(
                    core::flattenBulges(outlines[hole].vertices, kOutlineSagitta,
                                        core::ChordSide::Outside),
                    kRepeatTolerance);
                if (core::ringFault(ring) != core::RingFault::None) {
                    ring = outlines[hole].ring;
                }
                ring = core::counterClockwise(std::move(ring));
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
            const auto refuseWithHoles = [&](const QString& reason) {
                refuse(reason);
                for (const std::size_t hole : holes[i]) {
                    const DxfPolyline& holeLine = drawing.polylines[outlines[hole].polyline];
                    refused.push_back({outlines[hole].polyline,
                                       {holeLine.handle, holeLine.layer,
                                        QStringLiteral("位于%1内")
                                            .arg(named(QStringLiteral("轮廓"), polyline.handle))}});
                }
            };
            if (cut.size() != 1) {
                refuseWithHoles(QStringLiteral("被洞口分成 %1 块").arg(cut.size()));
                continue;
            }
            room.outline = core::withoutRepeats(
                core::Ring(cut.front().outer().begin(), cut.front().outer().end()),
                kRepeatTolerance);
            for (const auto& inner : cut.front().inners()) {
                room.holes.push_back(core::counterClockwise(
                    core::withoutRepeats({inner.begin(), inner.end()}, kRepeatTolerance)));
            }
            // A hole that leaves only a sliver of the room, or a ring that the cut made
            // degenerate, leaves no room that can be placed.
            const bool sound = area > 0 && core::ringFault(room.outline) == core::RingFault::None &&
                               std::ranges::all_of(room.holes, [&](const core::Ring& hole) {
                                   return core::ringFault(hole) == core::RingFault::None &&
                                          core::ringInside(hole, room.outline);
                               });
            if (!sound) {
                refuseWithHoles(QStringLiteral("扣除洞口后轮廓无效"));
                continue;
            }
        }
        room.area = core::areaRoundedUp(area);
        result.rooms.push_back(std::move(room));
    }
    std::ranges::stable_sort(refused, {}, &std::pair<std::size_t, RefusedOutline>::first);
    for (auto& [place, outline] : refused) {
        result.refused.push_back(std::move(outline));
    }
    return result;
}

}  // namespace io
