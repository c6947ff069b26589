// Feeds arbitrary bytes to the DXF reader: it refuses them with a message, or gives a drawing
// whose coordinates (of outlines, curves' areas, segments, texts and block references) are all
// finite; then every closed outline of every layer becomes a room (a simple counter-clockwise ring
// with a name and its area rounded up) or is refused with a reason; and the rooms that loops of
// lines and the walls of every layer enclose are as sound, their doors' rooms among them.
#include <QByteArray>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <variant>

#include "dxf_reader.h"
#include "plan_rooms.h"
#include "project.h"

namespace {

// Names the broken promise's line before stopping, so that a finding reads at once.
void check(bool ok, int line = __builtin_LINE()) {
    if (!ok) {
        std::fprintf(stderr, "dxf_fuzzer.cpp:%d: check failed\n", line);
        std::abort();
    }
}

bool finite(core::PlanPoint p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto read =
        io::parseDxf(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const auto* drawing = std::get_if<io::DxfDrawing>(&read);
    if (drawing == nullptr) {
        check(!std::get<QString>(read).isEmpty());
        return 0;
    }
    std::size_t outlines = 0;
    const auto finiteSegment = [](const io::DxfSegment& segment) {
        return finite(segment.a) && finite(segment.b) && std::isfinite(segment.bulge);
    };
    for (const io::DxfSegment& segment : drawing->segments) {
        check(finiteSegment(segment));
    }
    for (const io::DxfBlockReference& reference : drawing->references) {
        check(finite(reference.origin) && finite(reference.xAxis) && finite(reference.yAxis) &&
              finite(reference.localBox.min) && finite(reference.localBox.max));
        check(reference.localBox.min.x <= reference.localBox.max.x &&
              reference.localBox.min.y <= reference.localBox.max.y);
        for (const io::DxfSegment& arc : reference.arcs) {
            check(finiteSegment(arc) && arc.bulge != 0);
        }
    }
    check(drawing->blockFaults >= 0);
    (void)io::proprietaryNotice(*drawing);
    for (const io::DxfPolyline& polyline : drawing->polylines) {
        check(polyline.fault.isEmpty() || polyline.vertices.empty());
        check(!polyline.area || (std::isfinite(*polyline.area) && *polyline.area >= 0));
        for (const core::BulgeVertex& vertex : polyline.vertices) {
            check(finite(vertex.at) && std::isfinite(vertex.bulge));
        }
        outlines += polyline.closed ? 1 : 0;
    }
    for (const io::DxfText& text : drawing->texts) {
        check(finite(text.at) && std::isfinite(text.height));
    }
    QStringList layers;
    for (const io::PlanLayer& layer : io::planLayers(*drawing)) {
        check(!layer.proposed || layer.outlines > 0);
        layers << layer.name;
    }
    // The closed outlines alone: each is a room, a room's hole or refused.
    io::DxfDrawing outlinesAlone = *drawing;
    outlinesAlone.segments.clear();
    std::erase_if(outlinesAlone.polylines,
                  [](const io::DxfPolyline& polyline) { return !polyline.closed; });
    const io::PlanRooms fromOutlines = io::planRooms(outlinesAlone, layers);
    // The rest of the outlines are holes in the rooms.
    check(fromOutlines.rooms.size() + fromOutlines.refused.size() <= outlines);
    // Then with the loops of lines on those layers, and every layer read as walls with doors.
    const io::PlanRooms withLoops = io::planRooms(*drawing, layers);
    const io::PlanRooms withWalls =
        io::planRooms(*drawing, io::PlanReading{layers, layers, layers, std::nullopt});
    for (const io::PlanRooms* plan : {&fromOutlines, &withLoops, &withWalls}) {
        for (const core::PlanRoomInput& room : plan->rooms) {
            check(core::ringFault(room.outline) == core::RingFault::None);
            check(core::signedArea(room.outline) > 0 && room.area > 0);
            for (const core::Ring& hole : room.holes) {
                check(core::signedArea(hole) > 0 && core::ringInside(hole, room.outline));
            }
            check(!room.name.empty() &&
                  QString::fromStdString(room.name).size() <= core::kMaxNameLength);
        }
        for (const io::RefusedOutline& refused : plan->refused) {
            check(!refused.reason.isEmpty());
        }
        for (const core::WallDoor& door : plan->doors) {
            check(finite(door.hinge) && finite(door.end));
            for (const auto& side : door.rooms) {
                check(!side || *side < plan->rooms.size());
            }
        }
    }
    return 0;
}
