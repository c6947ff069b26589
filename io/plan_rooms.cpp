#include "plan_rooms.h"

#include <QHash>
#include <QSet>
#include <algorithm>

#include "room_finding.h"
#include "room_names.h"
#include "utf8_text.h"

namespace io {

namespace {

// The reason for the refusal as the user reads it; `outlines` the polylines handed to
// core::findRooms().
QString reasonText(const core::RefusedOutline& refused,
                   const std::vector<const DxfPolyline*>& outlines) {
    // "轮廓 2F " or, for an outline without a handle, "另一轮廓".
    const auto named = [&](const QString& what) {
        const QString& handle = outlines[refused.other]->handle;
        return handle.isEmpty() ? QStringLiteral("另一%1").arg(what)
                                : QStringLiteral("%1 %2 ").arg(what, handle);
    };
    switch (refused.reason) {
        case core::OutlineRefusal::Unread:
            return outlines[refused.outline]->fault;
        case core::OutlineRefusal::TooManyVertices:
            return QStringLiteral("顶点过多（圆弧分段后超过%1个）")
                .arg(core::kMaxFlattenedVertices);
        case core::OutlineRefusal::TooFewVertices:
            return QStringLiteral("顶点不足");
        case core::OutlineRefusal::NotFinite:
            return QStringLiteral("坐标超出范围");
        case core::OutlineRefusal::ZeroArea:
            return QStringLiteral("面积为零");
        case core::OutlineRefusal::SelfIntersecting:
            return QStringLiteral("自相交");
        case core::OutlineRefusal::Repeat:
            return QStringLiteral("与%1重合").arg(named(QStringLiteral("轮廓")));
        case core::OutlineRefusal::HoldsRooms:
            return QStringLiteral("包含 %1 个房间").arg(refused.count);
        case core::OutlineRefusal::TooSmall:
            return QStringLiteral("面积小于 %1 m²").arg(core::kSmallestRoom);
        case core::OutlineRefusal::InHole:
            return QStringLiteral("位于%1内").arg(named(QStringLiteral("洞口")));
        case core::OutlineRefusal::SplitByHoles:
            return QStringLiteral("被洞口分成 %1 块").arg(refused.count);
        case core::OutlineRefusal::BrokenByHoles:
            return QStringLiteral("扣除洞口后轮廓无效");
        case core::OutlineRefusal::InRefusedRoom:
            return QStringLiteral("位于%1内").arg(named(QStringLiteral("轮廓")));
    }
    return {};
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
        layer.proposed = layer.outlines > 0 && core::isRoomLayerName(utf8(layer.name));
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
    std::vector<const DxfPolyline*> polylines;
    std::vector<core::PlanOutline> outlines;
    for (const DxfPolyline& polyline : drawing.polylines) {
        if (!polyline.closed || !chosen.contains(polyline.layer.toCaseFolded())) {
            continue;
        }
        core::PlanOutline& outline = outlines.emplace_back();
        outline.handle = utf8(polyline.handle);
        outline.layer = utf8(polyline.layer);
        outline.proposedLayer = core::isRoomLayerName(outline.layer);
        outline.unread = !polyline.fault.isEmpty();
        for (const core::BulgeVertex& vertex : polyline.vertices) {
            outline.vertices.push_back({{vertex.at.x * scale, vertex.at.y * scale}, vertex.bulge});
        }
        polylines.push_back(&polyline);
    }
    std::vector<core::PlanText> texts;
    texts.reserve(drawing.texts.size());
    for (const DxfText& text : drawing.texts) {
        texts.push_back({{text.at.x * scale, text.at.y * scale}, text.height, utf8(text.text)});
    }
    core::FoundRooms found = core::findRooms(outlines, texts);
    PlanRooms result{std::move(found.rooms), {}};
    for (std::size_t i = 0; i < result.rooms.size(); ++i) {
        if (found.unnamedNumbers[i] != 0) {
            result.rooms[i].name = utf8(QStringLiteral("房间%1").arg(found.unnamedNumbers[i]));
        }
    }
    for (const core::RefusedOutline& refused : found.refused) {
        const DxfPolyline& polyline = *polylines[refused.outline];
        result.refused.push_back({polyline.handle, polyline.layer, reasonText(refused, polylines)});
    }
    return result;
}

}  // namespace io
