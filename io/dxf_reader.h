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
// polylines (outlines of rooms among them, also those of circles, ellipses, closed splines and
// hatches), the lines and arcs (walls among them), the texts (their names among them: TEXT, MTEXT
// and the visible attributes of block references) and the block references (doors and windows
// among them), in drawing units. Block references are expanded: what their blocks draw is drawn
// where they put it. Entities of other kinds are passed over and counted by their type.
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
    // Why its vertices were not kept (too many of them, or a block reference's scale took them
    // beyond what numbers hold); the vertices are then empty.
    QString fault;
    // The entity it comes from: "LWPOLYLINE", "POLYLINE", "CIRCLE", "ELLIPSE", "SPLINE" or
    // "HATCH" (a boundary path of the hatch, whose handle is then the hatch's, "#" and the path's
    // number from 1).
    QString kind;
    // The area that a curve (a circle, a full ellipse, a closed spline) encloses, in drawing
    // units²: exact for a circle and an ellipse, a spline's from a sampling ten times finer than
    // its vertices. None for the other kinds.
    std::optional<double> area;
};

// A LINE, or an ARC as the bulge from a to b (tan of a quarter of its sweep, positive where it
// turns counter-clockwise in world coordinates); an ARC of a whole circle as two halves with one
// handle. Under a reference that stretches unequally, an arc is the arc through the images of its
// ends and its middle.
struct DxfSegment {
    QString handle;
    QString layer;
    core::PlanPoint a;
    core::PlanPoint b;
    double bulge = 0;
};

// A block reference as drawn: in model space, or inside another block (then its handle is a path
// of handles, see DxfDrawing).
struct DxfBlockReference {
    QString handle;
    QString layer;  // where it is on layer "0" inside a block, its own reference's layer
    QString block;  // the block's name
    // The world images of the block's base point and of its unit x and y vectors (scale,
    // rotation and mirror included).
    core::PlanPoint origin;
    core::PlanPoint xAxis;
    core::PlanPoint yAxis;
    // The box of what the block draws (nested blocks included), in block coordinates from its
    // base point; all zero where it draws nothing.
    core::PlanBox localBox;
    // The ARCs that the block draws, itself or through its own references, in world coordinates.
    std::vector<DxfSegment> arcs;
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

// Entities that block references draw have the handle of the reference, "/" and their own handle
// in the block ("1A2/3F", and so on for each level of nesting: "1A2/3F/5C"); in a cell of an array
// of references (MINSERT) the reference's handle is followed by "[row,column]" from 0 ("1A2[0,1]").
// An entity on layer "0" in a block takes the layer of the reference that draws it.
struct DxfDrawing {
    QString version;  // $ACADVER: "AC1009" (also where the drawing has no header) to "AC1032"
    DrawingUnit unit = DrawingUnit::Millimetre;
    bool unitGiven = false;  // $INSUNITS names a length unit; else millimetres
    QString codePage;        // $DWGCODEPAGE as written ("ANSI_936"); empty where absent
    QStringList layers;      // the LAYER table's names, in its order
    // Model space, in the order of the file; then what the block references draw, reference by
    // reference.
    std::vector<DxfPolyline> polylines;
    std::vector<DxfText> texts;
    // Every LINE and ARC, in world coordinates.
    std::vector<DxfSegment> segments;
    // Every block reference drawn, in the order in which it is drawn: a reference before what
    // its block draws.
    std::vector<DxfBlockReference> references;
    // The names of the classes of the CLASSES section, in its order: the objects of programs
    // other than the CAD program.
    QStringList classes;
    // Entities of kinds the reader does not know (in model space, and in blocks each time a
    // reference draws them), by type: a program's own ("TCH_WALL"); a proxy by the name of its
    // class where the drawing names it, else "ACAD_PROXY_ENTITY".
    std::map<QString, int> unknownEntities;
    // Model space entities of kinds the reader knows but takes nothing from, by their type as the
    // file names it: "DIMENSION", "POINT", "SOLID", ... (every entity type of DXF up to 2018);
    // "LWPOLYLINE", "POLYLINE", "ELLIPSE" and "SPLINE" for the polylines that are not closed (and
    // the meshes), also kept in `polylines`; "ATTRIB" for invisible attributes. Not the parts of
    // a sequence (VERTEX, SEQEND), nor what is kept: the closed polylines and curves, the hatches,
    // the lines and arcs, the texts, the visible attributes and the block references.
    std::map<QString, int> otherEntities;
    int paperSpaceEntities = 0;  // passed over
    // Block references not drawn: of a block that the drawing lacks, nested deeper than
    // kMaxBlockNesting, or inside their own block.
    int blockFaults = 0;
};

// The largest file readDxf() reads.
constexpr qint64 kMaxDxfFileSize = qint64{512} * 1024 * 1024;
// The most vertices a polyline keeps; one with more is kept with a fault and no vertices.
constexpr int kMaxPolylineVertices = static_cast<int>(core::kMaxOutlineVertices);

// The deepest nesting of block references drawn: a reference in model space is at level 1.
constexpr int kMaxBlockNesting = 16;
// The most entities that block references may draw in all; a drawing whose references draw more
// is refused.
constexpr qint64 kMaxExpandedEntities = 4'000'000;

// The drawing in `bytes`, or why it cannot be read, in Chinese (without a file name): a DWG or
// binary DXF file, a version before R12 or after 2018, anything that is not a whole DXF file (a
// line where a group code belongs, a number that is not one, no ENTITIES section, no EOF).
[[nodiscard]] std::variant<DxfDrawing, QString> parseDxf(const QByteArray& bytes);
// The drawing in a file; the message names the file.
[[nodiscard]] std::variant<DxfDrawing, QString> readDxf(const QString& fileName);

// What the drawing holds of programs' own objects (types TCH_* and AEC_*, proxies, classes of its
// CLASSES section), which the reader cannot read: their count and types, most first, and what to
// do about them; empty where it holds none.
[[nodiscard]] QString proprietaryNotice(const DxfDrawing& drawing);

}  // namespace io
