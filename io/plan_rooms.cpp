#include "plan_rooms.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <boost/geometry/algorithms/covered_by.hpp>
#include <boost/geometry/algorithms/disjoint.hpp>
#include <boost/geometry/algorithms/intersects.hpp>
#include <boost/geometry/index/rtree.hpp>

#include "plan_geometry.h"
#include "project.h"

namespace io {

namespace {

namespace bgi = boost::geometry::index;

// An outline's box and its place among the outlines.
using BoxEntry = std::pair<core::GeometryBox, std::size_t>;
using BoxTree = bgi::rtree<BoxEntry, bgi::rstar<16>>;

// The most vertices an outline may have once its arcs are chords.
constexpr std::size_t kMaxOutlineVertices = 200000;
// Vertices closer than this (in metres) are one.
constexpr double kRepeatTolerance = 1e-6;

bool isProposedName(const QString& name) {
    return name.contains(u"房间") || name.contains(u"面积") ||
           name.contains(QLatin1String("ROOM"), Qt::CaseInsensitive) ||
           name.contains(QLatin1String("AREA"), Qt::CaseInsensitive);
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
    std::size_t polyline = 0;  // its place in the drawing's polylines
    core::Ring ring;           // metres, counter-clockwise
    double area = 0;
    core::PlanBox box;
};

// The name a text gives: one line, trimmed, no longer than a unit's name may be.
QString nameOf(const QString& text) {
    QString name = text.simplified();
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

BoxTree boxTree(const std::vector<Outline>& outlines, const std::vector<std::size_t>& chosen) {
    std::vector<BoxEntry> entries;
    entries.reserve(chosen.size());
    for (const std::size_t i : chosen) {
        entries.emplace_back(core::geometryBox(outlines[i].box), i);
    }
    return BoxTree(entries);
}

// Which outlines hold others (and how many rooms), and which repeat an earlier outline's region.
struct Nesting {
    std::vector<std::optional<std::size_t>> repeats;  // the earlier outline of the same region
    std::vector<int> roomsInside;                     // of every outline that holds another
    std::vector<bool> holdsOthers;
};

Nesting nesting(const std::vector<Outline>& outlines) {
    const std::size_t count = outlines.size();
    Nesting result{std::vector<std::optional<std::size_t>>(count), std::vector<int>(count, 0),
                   std::vector<bool>(count, false)};
    std::vector<std::size_t> all(count);
    for (std::size_t i = 0; i < count; ++i) {
        all[i] = i;
    }
    const BoxTree tree = boxTree(outlines, all);
    // Each outline with those whose box covers its own and that hold it.
    std::vector<std::vector<std::size_t>> holders(count);
    std::vector<BoxEntry> found;
    for (std::size_t inner = 0; inner < count; ++inner) {
        found.clear();
        tree.query(bgi::covers(core::geometryBox(outlines[inner].box)), std::back_inserter(found));
        std::ranges::sort(found, {}, &BoxEntry::second);
        for (const auto& [box, outer] : found) {
            if (outer == inner || !core::ringInside(outlines[inner].ring, outlines[outer].ring)) {
                continue;
            }
            if (core::ringInside(outlines[outer].ring, outlines[inner].ring)) {
                if (outer < inner && !result.repeats[inner]) {
                    result.repeats[inner] = outer;
                }
            } else {
                holders[inner].push_back(outer);
            }
        }
    }
    for (std::size_t inner = 0; inner < count; ++inner) {
        if (result.repeats[inner]) {
            continue;
        }
        for (const std::size_t outer : holders[inner]) {
            if (!result.repeats[outer]) {
                result.holdsOthers[outer] = true;
            }
        }
    }
    for (std::size_t inner = 0; inner < count; ++inner) {
        if (result.repeats[inner] || result.holdsOthers[inner]) {
            continue;
        }
        for (const std::size_t outer : holders[inner]) {
            if (!result.repeats[outer]) {
                ++result.roomsInside[outer];
            }
        }
    }
    return result;
}

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

PlanRooms planRooms(const DxfDrawing& drawing, const QStringList& layers,
                    std::optional<DrawingUnit> unit) {
    const double scale = metresPerUnit(unit.value_or(drawing.unit));
    const QSet<QString> chosen(layers.begin(), layers.end());
    // The refused outlines with their places among the polylines, to be put in file order.
    std::vector<std::pair<std::size_t, RefusedOutline>> refused;
    std::vector<Outline> outlines;
    for (std::size_t i = 0; i < drawing.polylines.size(); ++i) {
        const DxfPolyline& polyline = drawing.polylines[i];
        if (!polyline.closed || !chosen.contains(polyline.layer)) {
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
        const double area = core::area(ring);
        const core::PlanBox box = core::bounds(ring);
        outlines.push_back({i, std::move(ring), area, box});
    }

    const Nesting nested = nesting(outlines);
    std::vector<std::size_t> rooms;
    for (std::size_t i = 0; i < outlines.size(); ++i) {
        const DxfPolyline& polyline = drawing.polylines[outlines[i].polyline];
        QString reason;
        if (const auto earlier = nested.repeats[i]) {
            const QString& handle = drawing.polylines[outlines[*earlier].polyline].handle;
            reason = handle.isEmpty() ? QStringLiteral("与另一轮廓重合")
                                      : QStringLiteral("与轮廓 %1 重合").arg(handle);
        } else if (nested.holdsOthers[i]) {
            reason = QStringLiteral("包含 %1 个房间").arg(nested.roomsInside[i]);
        } else {
            rooms.push_back(i);
            continue;
        }
        refused.push_back({outlines[i].polyline, {polyline.handle, polyline.layer, reason}});
    }

    // Each room's tallest text: the text's place among the drawing's texts.
    std::vector<std::optional<std::size_t>> names(outlines.size());
    const BoxTree tree = boxTree(outlines, rooms);
    std::vector<BoxEntry> found;
    for (std::size_t t = 0; t < drawing.texts.size(); ++t) {
        const DxfText& text = drawing.texts[t];
        if (nameOf(text.text).isEmpty()) {
            continue;
        }
        const core::PlanPoint at{text.at.x * scale, text.at.y * scale};
        found.clear();
        tree.query(bgi::intersects(at), std::back_inserter(found));
        // Of overlapping rooms the smallest; of rooms equally large the first.
        std::optional<std::size_t> room;
        for (const auto& [box, i] : found) {
            if (core::coveredBy(at, outlines[i].ring) &&
                (!room || outlines[i].area < outlines[*room].area ||
                 (outlines[i].area == outlines[*room].area && i < *room))) {
                room = i;
            }
        }
        if (room && (!names[*room] || text.height > drawing.texts[*names[*room]].height)) {
            names[*room] = t;
        }
    }

    PlanRooms result;
    int unnamed = 0;
    for (const std::size_t i : rooms) {
        const Outline& outline = outlines[i];
        const DxfPolyline& polyline = drawing.polylines[outline.polyline];
        const QString name = names[i] ? nameOf(drawing.texts[*names[i]].text)
                                      : QStringLiteral("房间%1").arg(++unnamed);
        result.rooms.push_back({name, polyline.layer, polyline.handle, outline.ring,
                                core::areaRoundedUp(outline.area)});
    }
    std::ranges::stable_sort(refused, {}, &std::pair<std::size_t, RefusedOutline>::first);
    for (auto& [place, outline] : refused) {
        result.refused.push_back(std::move(outline));
    }
    return result;
}

}  // namespace io
