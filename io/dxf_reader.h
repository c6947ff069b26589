#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <optional>
#include <variant>
#include <vector>

#include "polygon.h"
#include "unit_rules.h"

// A floor plan as an ASCII DXF drawing (R12 to 2018) holds it: the layers, and in model space the
// polylines (outlines of rooms among them) and the texts (their names among them: TEXT, MTEXT and
// the visible attributes of block references), in drawing units. Blocks are not expanded;
// entities of other kinds are passed over and counted by their type.
namespace io {

// Every length unit that a drawing's $INSUNITS can name.
enum class DrawingUnit : std::uint8_t {
    Millimetre,
    Centimetre,
    Decimetre,
    Metre,
    Inch,
    Foot,
    Mile,
    Kilometre,
    Microinch,
    Mil,
    Yard,
    Angstrom,
    Nanometre,
    Micrometre,
    Decametre,
    Hectometre,
    Gigametre,
    AstronomicalUnit,
    LightYear,
    Parsec,
    UsSurveyFoot,
    UsSurveyInch,
    UsSurveyYard,
    UsSurveyMile,
};

// The unit's name in files: "mm", "cm", "dm", "m", "inch", "ft", ...; and back (none for another
// name).
[[nodiscard]] QString unitName(DrawingUnit unit);
[[nodiscard]] std::optional<DrawingUnit> unitFromName(const QString& name);
// The unit as the user reads it: 毫米, 厘米, 分米, 米, 英寸, 英尺, ...
[[nodiscard]] QString unitLabel(DrawingUnit unit);
[[nodiscard]] double metresPerUnit(DrawingUnit unit);
// The unit's number in a drawing's $INSUNITS: 4 for millimetres, 1 for inches, ...
[[nodiscard]] int insunitsCode(DrawingUnit unit);

struct DxfPolyline {
    QString handle;  // empty where the drawing has none
    QString layer;
    // In world coordinates (x, y) of the drawing; a closed polyline's first vertex is not repeated
    // at its end.
    std::vector<core::BulgeVertex> vertices;
    // Marked closed, or open with its ends at one point (to within 1e-9 of its size) and three
    // other vertices at least.
    bool closed = false;
    bool endsCoincide = false;  // closed only because its ends coincide
    // Why its vertices were not kept (too many of them); the vertices are then empty.
    QString fault;
};

struct DxfText {
    QString handle;
    QString layer;
    // The insertion point, for a justified single-line text its alignment point (the middle of
    // the base line for text aligned or fitted between two points).
    core::PlanPoint at;
    double height = 0;
    QString text;  // plain text: codes decoded, formatting taken out, paragraphs apart by '\n'
    bool multiline = false;  // MTEXT
};

struct DxfDrawing {
    QString version;  // $ACADVER: "AC1009" (also where the drawing has no header) to "AC1032"
    DrawingUnit unit = DrawingUnit::Millimetre;
    bool unitGiven = false;  // $INSUNITS names a length unit; else millimetres
    QString codePage;        // $DWGCODEPAGE as written ("ANSI_936"); empty where absent
    QStringList layers;      // the LAYER table's names, in its order
    // Model space, in the order of the file.
    std::vector<DxfPolyline> polylines;
    std::vector<DxfText> texts;
    // Model space entities of kinds the reader does not know, by type: a program's own
    // ("TCH_WALL"); a proxy by the name of its class where the drawing names it, else
    // "ACAD_PROXY_ENTITY".
    std::map<QString, int> unknownEntities;
    // Model space entities of kinds the reader knows but takes no room from, by their type as the
    // file names it: "LINE", "ARC", "CIRCLE", "HATCH", "INSERT", "SPLINE", "ELLIPSE", "DIMENSION",
    // "POINT", "SOLID", ... (every entity type of DXF up to 2018); "LWPOLYLINE" and "POLYLINE"
    // for the polylines that are not closed (and the meshes), also kept in `polylines`;
    // "ATTRIB" for invisible attributes. Not the parts of a sequence (VERTEX, SEQEND), nor the
    // polylines that are closed, the texts and the visible attributes.
    std::map<QString, int> otherEntities;
    int paperSpaceEntities = 0;  // passed over
};

// The largest file readDxf() reads.
constexpr qint64 kMaxDxfFileSize = qint64{512} * 1024 * 1024;
// The most vertices a polyline keeps; one with more is kept with a fault and no vertices.
constexpr int kMaxPolylineVertices = static_cast<int>(core::kMaxOutlineVertices);

// The drawing in `bytes`, or why it cannot be read, in Chinese (without a file name): a DWG or
// binary DXF file, a version before R12 or after 2018, anything that is not a whole DXF file (a
// line where a group code belongs, a number that is not one, no ENTITIES section, no EOF).
[[nodiscard]] std::variant<DxfDrawing, QString> parseDxf(const QByteArray& bytes);
// The drawing in a file; the message names the file.
[[nodiscard]] std::variant<DxfDrawing, QString> readDxf(const QString& fileName);

}  // namespace io
