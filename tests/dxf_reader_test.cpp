// The DXF reader: the texts' codes and code pages, what it makes of awkward groups, and what it
// refuses with which message.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <cmath>
#include <numbers>
#include <string>

#include "code_page.h"
#include "dxf_reader.h"
#include "dxf_text.h"
#include "plan_drawings.h"

using namespace Qt::StringLiterals;

namespace io {
namespace {

using namespace tests;

// The lines joined as a file's lines.
QByteArray lines(std::initializer_list<const char*> items) {
    QByteArray text;
    for (const char* item : items) {
        text += item;
        text += '\n';
    }
    return text;
}

QByteArray withEntities(const QByteArray& entities, const QByteArray& before = {}) {
    return before + lines({"0", "SECTION", "2", "ENTITIES"}) + entities +
           lines({"0", "ENDSEC", "0", "EOF"});
}

QByteArray withVersion(const char* version) {
    return withEntities(
        {}, lines({"0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", version, "0", "ENDSEC"}));
}

DxfDrawing parsed(const QByteArray& bytes) {
    auto result = parseDxf(bytes);
    if (const auto* fault = std::get_if<QString>(&result)) {
        ADD_FAILURE() << fault->toStdString();
        return {};
    }
    return std::get<DxfDrawing>(std::move(result));
}

// Rounding noise near zero (of sines, say) as 0.
QString number(double x) {
    return QString::number(std::abs(x) < 1e-9 ? 0.0 : x, 'g', 10);
}

QString point(core::PlanPoint p) {
    return number(p.x) + u',' + number(p.y);
}

QString vertex(core::PlanPoint p, double bulge) {
    return point(p) + (bulge != 0 ? u'~' + number(bulge) : QString());
}

// The drawing as one line: polylines (with their kind where it is no polyline), segments
// ("a-b~bulge"), texts, block references (origin, x and y axes, box, arcs), unknown entities,
// [other entities], paper space, references not drawn, and the layers of its table.
std::string summary(const DxfDrawing& drawing) {
    QStringList parts;
    for (const DxfPolyline& polyline : drawing.polylines) {
        QStringList vertices;
        for (const core::BulgeVertex& v : polyline.vertices) {
            vertices << vertex(v.at, v.bulge);
        }
        const bool plain = polyline.kind.endsWith(u"POLYLINE"_s);
        parts << u"%1 %2 %3%4: %5"_s.arg(
            polyline.handle + (plain ? QString() : u' ' + polyline.kind), polyline.layer,
            polyline.closed ? u"closed"_s : u"open"_s,
            polyline.endsCoincide ? u" by its ends"_s : QString(),
            (polyline.fault.isEmpty() ? vertices.join(u' ') : polyline.fault) +
                (polyline.area ? u" area "_s + number(*polyline.area) : QString()));
    }
    for (const DxfSegment& segment : drawing.segments) {
        parts << u"%1 %2 %3-%4"_s.arg(segment.handle, segment.layer, point(segment.a),
                                      vertex(segment.b, segment.bulge));
    }
    for (const DxfText& text : drawing.texts) {
        parts << u"%1 %2 \"%3\" at %4,%5 h%6"_s.arg(text.handle, text.layer, text.text,
                                                    number(text.at.x), number(text.at.y),
                                                    number(text.height));
    }
    for (const DxfBlockReference& reference : drawing.references) {
        QStringList arcs;
        for (const DxfSegment& arc : reference.arcs) {
            arcs << arc.handle;
        }
        parts << u"ref %1 %2 %3 at %4 x %5 y %6 box %7 %8%9"_s.arg(
            reference.handle, reference.layer, reference.block, point(reference.origin),
            point(reference.xAxis), point(reference.yAxis), point(reference.localBox.min),
            point(reference.localBox.max),
            arcs.isEmpty() ? QString() : u" arcs "_s + arcs.join(u','));
    }
    for (const auto& [type, count] : drawing.unknownEntities) {
        parts << u"%1×%2"_s.arg(type).arg(count);
    }
    for (const auto& [type, count] : drawing.otherEntities) {
        parts << u"[%1×%2]"_s.arg(type).arg(count);
    }
    if (drawing.paperSpaceEntities > 0) {
        parts << u"paper %1"_s.arg(drawing.paperSpaceEntities);
    }
    if (drawing.blockFaults > 0) {
        parts << u"not drawn %1"_s.arg(drawing.blockFaults);
    }
    if (!drawing.layers.isEmpty()) {
        parts << u"layers "_s + drawing.layers.join(u',');
    }
    return parts.join(u" | "_s).toStdString();
}

struct GroupsCase {
    const char* name;
    QByteArray bytes;
    const char* summary;
};

class Groups : public ::testing::TestWithParam<GroupsCase> {};

// A file the reader refuses reads as its message.
TEST_P(Groups, ReadAsTheyMean) {
    const auto read = parseDxf(GetParam().bytes);
    const auto* fault = std::get_if<QString>(&read);
    EXPECT_EQ(fault ? fault->toStdString() : summary(std::get<DxfDrawing>(read)),
              GetParam().summary);
}

// A BLOCKS section of the blocks, before the entities.
QByteArray withBlocks(const QByteArray& blocks, const QByteArray& entities) {
    return withEntities(entities,
                        lines({"0", "SECTION", "2", "BLOCKS"}) + blocks + lines({"0", "ENDSEC"}));
}

QByteArray block(const char* name, const char* baseX, const char* baseY,
                 const QByteArray& entities) {
    return lines({"0", "BLOCK", "2", name, "70", "0", "10", baseX, "20", baseY}) + entities +
           lines({"0", "ENDBLK"});
}

// A block B from its base point (1, 0): a line on layer 0 and a quarter arc.
const QByteArray kLineAndArc =
    block("B", "1", "0", lines({"0",  "LINE", "5",  "L1", "8",  "0",   "10", "1",  "20", "0",
                                "11", "3",    "21", "0",  "0",  "ARC", "5",  "A1", "8",  "W",
                                "10", "1",    "20", "0",  "40", "1",   "50", "0",  "51", "90"}));

// clang-format off
const GroupsCase kGroups[] = {
    {"LightweightPolylineWithBulge", withEntities(lines({
         "0", "LWPOLYLINE", "5", "A", "8", "ROOM", "90", "3", "70", "129", "38", "12.5",
         "10", "0", "20", "0", "10", "4", "20", "0", "42", "0.5", "10", "4", "20", "3"})),
     "A ROOM closed: 0,0 4,0~0.5 4,3"},
    {"EndsThatMeetClose", withEntities(lines({
         "0", "LWPOLYLINE", "5", "B", "8", "ROOM", "70", "0",
         "10", "0", "20", "0", "10", "4", "20", "0", "10", "4", "20", "3", "10", "0", "20", "3",
         "10", "1e-10", "20", "0"})),
     "B ROOM closed by its ends: 0,0 4,0 4,3 0,3"},
    {"ThereAndBackStaysOpen", withEntities(lines({
         "0", "LWPOLYLINE", "8", "ROOM", "10", "0", "20", "0", "10", "4", "20", "0",
         "10", "0", "20", "0"})),
     " ROOM open: 0,0 4,0 0,0 | [LWPOLYLINE×1]"},
    {"ClosedWithItsFirstVertexRepeated", withEntities(lines({
         "0", "LWPOLYLINE", "8", "ROOM", "70", "1", "10", "0", "20", "0", "10", "4", "20", "0",
         "10", "4", "20", "3", "10", "0", "20", "0"})),
     " ROOM closed: 0,0 4,0 4,3"},
    // A spline's frame point is no vertex; a POLYLINE that lacks its SEQEND ends at the next
    // entity; a mesh is no outline.
    {"OldPolylines", withEntities(lines({
         "0", "POLYLINE", "5", "C", "8", "ROOM", "66", "1", "10", "0", "20", "0", "70", "1",
         "0", "VERTEX", "8", "ROOM", "10", "0", "20", "0", "42", "-1",
         "0", "VERTEX", "8", "ROOM", "10", "9", "20", "9", "70", "16",
         "0", "VERTEX", "8", "ROOM", "10", "6", "20", "0",
         "0", "TEXT", "5", "D", "8", "T", "10", "1", "20", "1", "40", "2", "1", "x",
         "0", "POLYLINE", "8", "ROOM", "70", "64", "0", "VERTEX", "10", "0", "20", "0",
         "0", "VERTEX", "10", "1", "20", "0", "0", "VERTEX", "10", "1", "20", "1",
         "0", "SEQEND"})),
     "C ROOM closed: 0,0~-1 6,0 | D T \"x\" at 1,1 h2 | [POLYLINE×1]"},
    // Seen from below (extrusion 0, 0, -1), x runs the other way and arcs turn the other way.
    {"FacingDown", withEntities(lines({
         "0", "LWPOLYLINE", "8", "ROOM", "70", "1", "10", "1", "20", "0", "42", "1",
         "10", "5", "20", "0", "10", "5", "20", "3", "210", "0", "220", "0", "230", "-1",
         "0", "TEXT", "8", "T", "10", "2", "20", "1", "40", "2", "1", "x",
         "210", "0", "220", "0", "230", "-1"})),
     " ROOM closed: -1,0~-1 -5,0 -5,3 |  T \"x\" at -2,1 h2"},
    // Justified text stands at its alignment point; aligned or fitted text (72 = 3 or 5) at the
    // middle of its base line; left-aligned text at its insertion point, whatever 11 says.
    {"TextPlacement", withEntities(lines({
         "0", "TEXT", "1", "a", "10", "1", "20", "1", "11", "5", "21", "5", "72", "1", "40", "1",
         "0", "TEXT", "1", "b", "10", "1", "20", "1", "11", "5", "21", "5", "73", "3", "40", "1",
         "0", "TEXT", "1", "c", "10", "1", "20", "1", "11", "5", "21", "5", "72", "5", "40", "1",
         "0", "TEXT", "1", "d", "10", "1", "20", "1", "11", "5", "21", "5", "40", "1"})),
     "  \"a\" at 5,5 h1 |   \"b\" at 5,5 h1 |   \"c\" at 3,3 h1 |   \"d\" at 1,1 h1"},
    // Application groups, extended data and an embedded object belong to other programs.
    {"OtherProgramsGroups", withEntities(lines({
         "0", "TEXT", "5", "E", "102", "{MYAPP", "1", "fake", "10", "99", "102", "}",
         "8", "T", "10", "1", "20", "2", "40", "3", "1", "real",
         "1001", "MYAPP", "1000", "fake", "1", "fake", "10", "99",
         "0", "MTEXT", "5", "F", "8", "T", "10", "5", "20", "6", "40", "2.5", "3", "ab", "3", "c",
         "1", "d", "101", "Embedded Object", "10", "99", "20", "99", "40", "99", "1", "fake"})),
     "E T \"real\" at 1,2 h3 | F T \"abcd\" at 5,6 h2.5"},
    {"PaperSpaceAndUnknownEntities", withEntities(lines({
         "0", "LWPOLYLINE", "8", "ROOM", "67", "1", "70", "1", "10", "0", "20", "0", "10", "4",
         "20", "0", "10", "4", "20", "3",
         "0", "TEXT", "67", "1", "10", "1", "20", "1", "1", "x",
         "0", "LINE", "67", "1", "0", "LINE", "10", "0", "0", "HATCH", "0", "INSERT",
         "0", "TCH_WALL", "8", "W", "0", "TCH_WALL", "0", "ZZZ", "67", "0",
         "0", "ACAD_PROXY_ENTITY", "92", "501"})),
     "  0,0-0,0 | ACAD_PROXY_ENTITY×1 | TCH_WALL×2 | ZZZ×1 | paper 3 | not drawn 1"},
    // Rooms as a program's own objects, proxies of a class the drawing names.
    {"ProxyRooms", withEntities(lines({
         "0", "ACAD_PROXY_ENTITY", "8", "A-AREA", "90", "498", "91", "500", "92", "500",
         "310", "00AB", "0", "ACAD_PROXY_ENTITY", "92", "500"}),
         lines({"0", "SECTION", "2", "CLASSES", "0", "CLASS", "1", "TCH_SPACE", "2", "TDbSpace",
                "0", "ENDSEC"})),
     "TCH_SPACE×2"},
    // The visible attributes of a block reference are texts: at their alignment point where
    // justified (vertical justification in 74; 73 is a field's length).
    {"Attributes", withEntities(lines({
         "0", "INSERT", "8", "0", "66", "1", "2", "ROOMTAG", "10", "0", "20", "0",
         "0", "ATTRIB", "5", "A1", "8", "TEXT", "10", "1", "20", "1", "11", "5", "21", "6",
         "40", "300", "1", "\\U+5367\\U+5BA4", "2", "NAME", "70", "0", "72", "1", "73", "10", "74", "2",
         "0", "ATTRIB", "5", "A2", "10", "1", "20", "1", "40", "900", "1", "12.5m2", "2", "AREA",
         "70", "1", "0", "SEQEND"})),
     "A1 TEXT \"卧室\" at 5,6 h300 | [ATTRIB×1] | not drawn 1"},
    // Layer names are matched without regard to case, as CAD programs match them, and take the
    // table's spelling; a name in the code page (GBK here) and one in \U+ codes are one name. The
    // table keeps its order, a name that differs only in case once.
    {"LayerNames", withEntities(lines({
         "0", "TEXT", "8", "ROOM", "10", "0", "20", "0", "1", "x",
         "0", "TEXT", "8", "\\U+623F\\U+95F4", "10", "0", "20", "0", "1", "y"}),
         lines({"999", "tables", "0", "SECTION", "2", "TABLES", "0", "TABLE", "2", "LAYER", "70", "2",
                "0", "LAYER", "2", "Room", "70", "0", "0", "LAYER", "2", "\xB7\xBF\xBC\xE4", "70", "0",
                "0", "LAYER", "2", "\\U+5899", "0", "LAYER", "2", "0", "0", "LAYER", "2", "WALL",
                "0", "LAYER", "2", "wall",
                "0", "ENDTAB", "0", "TABLE", "2", "STYLE", "0", "STYLE", "2", "NOT_A_LAYER",
                "0", "ENDTAB", "0", "ENDSEC"})),
     " Room \"x\" at 0,0 h0 |  房间 \"y\" at 0,0 h0 | layers Room,房间,墙,0,WALL"},
    // A reference draws its block moved, rotated, scaled, mirrored (its arcs turning the other
    // way) and facing down, from the block's base point.
    {"References", withBlocks(kLineAndArc, lines({
         "0", "INSERT", "5", "I1", "8", "R", "2", "B", "10", "10", "20", "0",
         "0", "INSERT", "5", "I2", "8", "R", "2", "b", "10", "0", "20", "10", "41", "2", "42", "2",
         "50", "90",
         "0", "INSERT", "5", "I3", "8", "R", "2", "B", "10", "20", "20", "0", "41", "-1",
         "0", "INSERT", "5", "I4", "8", "R", "2", "B", "10", "5", "20", "5",
         "210", "0", "220", "0", "230", "-1"})),
     "I1/L1 R 10,0-12,0 | I1/A1 W 11,0-10,1~0.4142135624 | "
     "I2/L1 R 0,10-0,14 | I2/A1 W 0,12--2,10~0.4142135624 | "
     "I3/L1 R 20,0-18,0 | I3/A1 W 19,0-20,1~-0.4142135624 | "
     "I4/L1 R -5,5--7,5 | I4/A1 W -6,5--5,6~-0.4142135624 | "
     "ref I1 R B at 10,0 x 1,0 y 0,1 box 0,0 2,1 arcs I1/A1 | "
     "ref I2 R B at 0,10 x 0,2 y -2,0 box 0,0 2,1 arcs I2/A1 | "
     "ref I3 R B at 20,0 x -1,0 y 0,1 box 0,0 2,1 arcs I3/A1 | "
     "ref I4 R B at -5,5 x -1,0 y 0,1 box 0,0 2,1 arcs I4/A1"},
    // Three levels: what is on layer 0 takes the layer of the reference that draws it, the text
    // its scale; handles by their path; an attribute's template draws nothing.
    {"NestedReferences", withBlocks(
         block("C", "0", "0", lines({
             "0", "LINE", "5", "C1", "8", "0", "10", "0", "20", "0", "11", "1", "21", "0",
             "0", "TEXT", "5", "T1", "8", "0", "10", "0", "20", "0", "40", "1", "1", "c",
             "0", "ATTDEF", "5", "T2", "8", "0", "10", "0", "20", "0", "40", "1", "1", "x", "2", "X",
             "0", "TCH_WALL", "5", "T3"})) +
         block("B", "0", "0", lines({
             "0", "INSERT", "5", "BC", "8", "0", "2", "C", "10", "1", "20", "0"})) +
         block("A", "0", "0", lines({
             "0", "INSERT", "5", "AB", "8", "X", "2", "B", "10", "0", "20", "1", "41", "2",
             "42", "2"})),
         lines({"0", "INSERT", "5", "M", "8", "L", "2", "A", "10", "100", "20", "0"})),
     "M/AB/BC/C1 X 102,1-104,1 | M/AB/BC/T1 X \"c\" at 102,1 h2 | "
     "ref M L A at 100,0 x 1,0 y 0,1 box 2,1 4,1 | ref M/AB X B at 100,1 x 2,0 y 0,2 box 1,0 2,0 | "
     "ref M/AB/BC X C at 102,1 x 2,0 y 0,2 box 0,0 1,0 | TCH_WALL×1"},
    // A block that inserts itself is drawn once; a reference to no block draws nothing.
    {"SelfInsertingBlock", withBlocks(
         block("S", "0", "0", lines({
             "0", "LINE", "5", "S1", "8", "W", "10", "0", "20", "0", "11", "1", "21", "0",
             "0", "INSERT", "5", "SS", "8", "0", "2", "S", "10", "5", "20", "0"})),
         lines({"0", "INSERT", "5", "M", "8", "L", "2", "S", "10", "0", "20", "0",
                "0", "INSERT", "5", "N", "8", "L", "2", "NONE", "10", "0", "20", "0"})),
     "M/S1 W 0,0-1,0 | ref M L S at 0,0 x 1,0 y 0,1 box 0,0 1,0 | not drawn 2"},
    // An array: its spacings in the reference's rotated frame.
    {"ArrayOfReferences", withBlocks(
         block("D", "0", "0", lines({
             "0", "LINE", "5", "D1", "8", "W", "10", "0", "20", "0", "11", "1", "21", "0"})),
         lines({"0", "MINSERT", "5", "G", "8", "R", "2", "D", "10", "0", "20", "0", "50", "90",
                "70", "2", "71", "2", "44", "10", "45", "5"})),
     "G[0,0]/D1 W 0,0-0,1 | G[0,1]/D1 W 0,10-0,11 | G[1,0]/D1 W -5,0--5,1 | "
     "G[1,1]/D1 W -5,10--5,11 | ref G[0,0] R D at 0,0 x 0,1 y -1,0 box 0,0 1,0 | "
     "ref G[0,1] R D at 0,10 x 0,1 y -1,0 box 0,0 1,0 | ref G[1,0] R D at -5,0 x 0,1 y -1,0 box 0,0 1,0 | "
     "ref G[1,1] R D at -5,10 x 0,1 y -1,0 box 0,0 1,0"},
    // A circle as two half circles; a hatch's paths: a polyline with bulges, edges with a
    // counter-clockwise and a clockwise arc (its angles mirrored); its seed point no vertex.
    {"CirclesAndHatches", withEntities(lines({
         "0", "CIRCLE", "5", "C", "8", "P", "10", "1", "20", "2", "40", "3",
         "0", "HATCH", "5", "H", "8", "HA", "10", "0", "20", "0", "30", "0", "2", "SOLID", "70", "1",
         "71", "0", "91", "3",
         "92", "2", "72", "1", "73", "1", "93", "3", "10", "0", "20", "0", "42", "0",
         "10", "4", "20", "0", "42", "1", "10", "4", "20", "4", "42", "0", "97", "0",
         "92", "1", "93", "3", "72", "1", "10", "10", "20", "0", "11", "14", "21", "0",
         "72", "2", "10", "14", "20", "2", "40", "2", "50", "270", "51", "90", "73", "1",
         "72", "1", "10", "14", "20", "4", "11", "10", "21", "0", "97", "1", "330", "1F",
         "92", "1", "93", "2", "72", "2", "10", "24", "20", "2", "40", "2", "50", "90", "51", "270",
         "73", "0", "72", "1", "10", "24", "20", "4", "11", "24", "21", "0", "97", "0",
         "75", "1", "76", "1", "98", "1", "10", "5", "20", "5"})),
     "C CIRCLE P closed: -2,2~1 4,2~1 area 28.27433388 | H#1 HATCH HA closed: 0,0 4,0~1 4,4 | "
     "H#2 HATCH HA closed: 10,0 14,0~1 14,4 | H#3 HATCH HA closed: 24,0~-1 24,4"},
    // A section that ends at EOF without its ENDSEC.
    {"SectionEndingAtEof", lines({"0", "SECTION", "2", "ENTITIES", "0", "TEXT", "1", "x", "0", "EOF"}),
     "  \"x\" at 0,0 h0"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Reader, Groups, ::testing::ValuesIn(kGroups),
                         [](const auto& p) { return std::string(p.param.name); });

// A curve's outline: its area (exact for circles and ellipses, a spline's within 0.1 %), and its
// chords inside it, short of it by no more than `chordLoss` of the area (a 500th of the extent
// or 10 mm away from the curve).
TEST(Curves, AreClosedOutlinesWithTheirAreas) {
    const double pi = std::numbers::pi;
    const double w = std::sqrt(0.5);
    QByteArray circleSpline =
        lines({"0", "SPLINE", "8", "S", "70", "5", "71", "2", "72", "12", "73", "9"});
    for (const char* knot : {"0", "0", "0", "1", "1", "2", "2", "3", "3", "4", "4", "4"}) {
        circleSpline += lines({"40", knot});
    }
    const std::pair<const char*, const char*> circle[] = {
        {"1000", "0"},      {"1000", "1000"}, {"0", "1000"},     {"-1000", "1000"}, {"-1000", "0"},
        {"-1000", "-1000"}, {"0", "-1000"},   {"1000", "-1000"}, {"1000", "0"}};
    for (std::size_t i = 0; i < std::size(circle); ++i) {
        circleSpline += lines({"10", circle[i].first, "20", circle[i].second}) + "41\n" +
                        QByteArray::number(i % 2 == 0 ? 1.0 : w, 'g', 17) + '\n';
    }
    QByteArray fitSpline = lines({"0", "SPLINE", "8", "S", "70", "1", "71", "3", "74", "16"});
    for (int i = 0; i < 16; ++i) {
        fitSpline += "11\n" + QByteArray::number(1000 * std::cos(i * pi / 8), 'g', 17) + "\n21\n" +
                     QByteArray::number(1000 * std::sin(i * pi / 8), 'g', 17) + '\n';
    }
    const struct {
        const char* name;
        QByteArray bytes;
        const char* kind;
        double area;
        double relative;   // of the area
        double chordLoss;  // of the area, at most
        bool closed = true;
    } cases[] = {
        {"Circle", withEntities(lines({"0", "CIRCLE", "10", "5", "20", "5", "40", "1000"})),
         "CIRCLE", pi * 1e6, 1e-12, 0},
        {"Ellipse",
         withEntities(lines({"0", "ELLIPSE", "10", "0", "20", "0", "11", "3000", "21", "4000", "40",
                             "0.5", "41", "0", "42", "6.283185307179586"})),
         "ELLIPSE", pi * 5000 * 2500, 1e-6, 0.005},
        // Stretched unequally, a circle is an ellipse.
        {"CircleInAStretchedBlock",
         withBlocks(block("K", "0", "0", lines({"0", "CIRCLE", "10", "0", "20", "0", "40", "100"})),
                    lines({"0", "INSERT", "2", "K", "10", "0", "20", "0", "41", "30", "42", "10"})),
         "CIRCLE", pi * 3000 * 1000, 1e-6, 0.005},
        {"SplineByControlPoints", withEntities(circleSpline), "SPLINE", pi * 1e6, 1e-3, 0.01},
        {"SplineByFitPoints", withEntities(fitSpline), "SPLINE", pi * 1e6, 1e-3, 0.01},
        // A hatch's full elliptic edge, sampled in the same way.
        {"HatchEllipseEdge",
         withEntities(lines({"0",  "HATCH", "8",  "H", "91", "1",   "92", "1",    "93", "1",
                             "72", "3",     "10", "0", "20", "0",   "11", "2000", "21", "0",
                             "40", "0.5",   "50", "0", "51", "360", "73", "1",    "97", "0"})),
         "HATCH", pi * 2000 * 1000, 0, 0.005},
        // Part of an ellipse, and a spline that is not closed: open, with no area.
        {"EllipseArc",
         withEntities(lines(
             {"0", "ELLIPSE", "11", "1000", "40", "0.5", "41", "0", "42", "1.5707963267948966"})),
         "ELLIPSE", 0, 0, 0, false},
        {"OpenSpline",
         withEntities(lines({"0", "SPLINE", "71", "3", "11", "0", "21", "0", "11", "1000", "21",
                             "500", "11", "2000", "21", "0"})),
         "SPLINE", 0, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DxfDrawing drawing = parsed(c.bytes);
        ASSERT_EQ(drawing.polylines.size(), 1U);
        const DxfPolyline& outline = drawing.polylines.front();
        EXPECT_EQ(outline.kind, QLatin1String(c.kind));
        EXPECT_EQ(outline.closed, c.closed);
        EXPECT_EQ(drawing.otherEntities.contains(outline.kind), !c.closed);
        if (c.relative > 0) {
            ASSERT_TRUE(outline.area);
            EXPECT_NEAR(*outline.area, c.area, c.relative * c.area);
        } else {
            EXPECT_FALSE(outline.area);
        }
        if (c.chordLoss > 0) {
            core::Ring ring;
            for (const core::BulgeVertex& v : outline.vertices) {
                EXPECT_EQ(v.bulge, 0);
                ring.push_back(v.at);
            }
            EXPECT_LE(core::area(ring), c.area * (1 + 1e-9));
            EXPECT_GE(core::area(ring), c.area * (1 - c.chordLoss));
        }
    }
}

// References nested deeper than 16 levels are not drawn; a drawing whose references would draw
// more than 4 million entities is refused before they are drawn.
TEST(Groups, NestingAndExpansionHaveTheirLimits) {
    const auto chain = [](int levels, int references) {
        QByteArray blocks =
            block("B0", "0", "0", lines({"0", "LINE", "10", "0", "20", "0", "11", "1", "21", "0"}));
        for (int level = 1; level < levels; ++level) {
            QByteArray inside;
            const QByteArray below = "B" + QByteArray::number(level - 1);
            for (int i = 0; i < references; ++i) {
                inside += lines({"0", "INSERT", "2", below.constData(), "10", "0", "20", "0"});
            }
            blocks += block(("B" + QByteArray::number(level)).constData(), "0", "0", inside);
        }
        const QByteArray top = "B" + QByteArray::number(levels - 1);
        return withBlocks(blocks,
                          lines({"0", "INSERT", "2", top.constData(), "10", "0", "20", "0"}));
    };
    const DxfDrawing deep = parsed(chain(kMaxBlockNesting + 1, 1));
    EXPECT_EQ(deep.references.size(), std::size_t{kMaxBlockNesting});
    EXPECT_TRUE(deep.segments.empty());
    EXPECT_EQ(deep.blockFaults, 1);
    EXPECT_EQ(parsed(chain(kMaxBlockNesting, 1)).segments.size(), 1U);
    const auto huge = parseDxf(chain(7, 20));
    ASSERT_TRUE(std::holds_alternative<QString>(huge));
    EXPECT_EQ(std::get<QString>(huge), u"图块展开后的对象超过 4000000 个"_s);
}

TEST(Groups, ProprietaryObjectsAreNamedMostFirst) {
    const struct {
        std::map<QString, int> unknown;
        QStringList classes;
        QString notice;
    } cases[] = {
        {{{u"TCH_SPACE"_s, 12}},
         {},
         u"图纸含 12 个专业软件对象（TCH_SPACE），请在原软件中导出为 T3 格式或分解后再导入"_s},
        {{{u"AEC_DOOR"_s, 5},
          {u"MY_ROOM"_s, 2},
          {u"TCH_WALL"_s, 3},
          {u"ZZZ"_s, 9},
          {u"ACAD_PROXY_ENTITY"_s, 3}},
         {u"MY_ROOM"_s},
         u"图纸含 13 个专业软件对象（AEC_DOOR、ACAD_PROXY_ENTITY、TCH_WALL、MY_ROOM），请在原软件中导出为 T3 格式或分解后再导入"_s},
        {{{u"ZZZ"_s, 4}}, {}, QString()},
    };
    for (const auto& c : cases) {
        DxfDrawing drawing;
        drawing.unknownEntities = c.unknown;
        drawing.classes = c.classes;
        EXPECT_EQ(proprietaryNotice(drawing), c.notice);
    }
}

TEST(Groups, PolylineWithTooManyVerticesIsKeptWithItsFault) {
    QByteArray entities = lines({"0", "LWPOLYLINE", "5", "A", "8", "ROOM", "70", "1"});
    for (int i = 0; i <= kMaxPolylineVertices; ++i) {
        entities += "10\n" + QByteArray::number(i % 1000) + "\n20\n" + QByteArray::number(i) + '\n';
    }
    EXPECT_EQ(summary(parsed(withEntities(entities))), "A ROOM closed: 顶点超过100000个");
}

const QByteArray kBadVertex = withEntities(lines({"0", "LWPOLYLINE", "10", "abc", "20", "0"}));

// clang-format off
const GroupsCase kRefusals[] = {
    {"Empty", "", "文件是空的，不是DXF文件"},
    {"Dwg", QByteArray("AC1032\0\0\0\0\0\x1f", 12), "这是DWG文件，请在CAD中另存为DXF后导入"},
    {"OldDwg", "AC1.50\x12\x34", "这是DWG文件，请在CAD中另存为DXF后导入"},
    {"Binary", QByteArray("AutoCAD Binary DXF\r\n\x1a\0\0\0", 25),
     "这是二进制格式的DXF文件，请在CAD中另存为文本（ASCII）格式的DXF后导入"},
    {"Text", "hello\nworld\n", "第1行应为组码（一个整数），不是DXF文件"},
    {"CodeOutOfRange", lines({"0", "SECTION", "2", "ENTITIES", "1072", "x"}),
     "第5行应为组码（一个整数），不是DXF文件"},
    {"NegativeCode", lines({"0", "SECTION", "2", "ENTITIES", "-1", "x"}),
     "第5行应为组码（一个整数），不是DXF文件"},
    {"NotASection", lines({"0", "LINE", "0", "EOF"}), "第1行应为SECTION，不是DXF文件"},
    {"SectionWithoutName", lines({"0", "SECTION", "8", "ENTITIES"}), "第3行应为段名，不是DXF文件"},
    {"HeaderNotEnded", lines({"0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", "AC1015", "0", "SECTION"}),
     "第9行应为ENDSEC，不是DXF文件"},
    {"R10", withVersion("AC1006"), "DXF版本过旧（AC1006），请在CAD中另存为R12至2018版的DXF后导入"},
    {"Newer", withVersion("AC1033"),
     "DXF版本（AC1033）比2018版新，本程序不能读取；请在CAD中另存为R12至2018版的DXF后导入"},
    {"UnknownVersion", withVersion("R2000"), "无法识别的DXF版本“R2000”"},
    {"NoEntities", lines({"0", "SECTION", "2", "HEADER", "0", "ENDSEC", "0", "EOF"}),
     "文件中没有ENTITIES段（图形对象），不是完整的DXF文件"},
    {"NoEof", lines({"0", "SECTION", "2", "ENTITIES", "0", "ENDSEC"}),
     "文件不完整（没有文件结束标记EOF），可能没有保存完或复制完"},
    {"CutInAnEntity", lines({"0", "SECTION", "2", "ENTITIES", "0", "TEXT", "10"}),
     "文件不完整（没有文件结束标记EOF），可能没有保存完或复制完"},
    {"CutInASection", lines({"0", "SECTION", "2", "OBJECTS", "0", "DICTIONARY"}),
     "文件不完整（没有文件结束标记EOF），可能没有保存完或复制完"},
    {"NotANumber", kBadVertex, "第8行的数值无效，不是DXF文件"},
    {"NaN", withEntities(lines({"0", "TEXT", "40", "nan"})), "第8行的数值无效，不是DXF文件"},
    {"Infinite", withEntities(lines({"0", "MTEXT", "10", "1e999"})), "第8行的数值无效，不是DXF文件"},
    {"EmptyNumber", withEntities(lines({"0", "LWPOLYLINE", "42", " "})), "第8行的数值无效，不是DXF文件"},
    {"BadFlags", withEntities(lines({"0", "LWPOLYLINE", "70", "1e20"})), "第8行的数值无效，不是DXF文件"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Refused, Groups, ::testing::ValuesIn(kRefusals),
                         [](const auto& p) { return std::string(p.param.name); });

// The reasons themselves: the table above.
TEST(Refused, AFileNamingTheFile) {
    EXPECT_EQ(
        std::get<QString>(readDxf(planPath(u"binary.dxf"_s))),
        u"无法读取图纸文件“%1”：这是二进制格式的DXF文件，请在CAD中另存为文本（ASCII）格式的DXF后导入"_s
            .arg(QDir::toNativeSeparators(planPath(u"binary.dxf"_s))));
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    EXPECT_TRUE(std::get<QString>(readDxf(folder.filePath(u"无.dxf"_s)))
                    .startsWith(u"无法读取图纸文件“"_s));
}

// The text the bytes decode to, and the bytes the text encodes to where `encodes`: a round trip.
struct CodePageCase {
    int codePage;
    QByteArray bytes;
    QString text;
    bool decodes = true;
    bool encodes = true;
};

TEST(CodePage, DecodesAndEncodesWhatItDefines) {
    const CodePageCase cases[] = {
        {936, "\xB7\xBF\xBC\xE4", u"房间"_s},
        {936, "Room 1", u"Room 1"_s},
        {936, "ab\xB7", u"ab\uFFFD"_s, true, false},  // cut short
        {936, QByteArray("\xFF") + 'a', u"\uFFFDa"_s, true,
         false},  // no character of the code page
        {936, "\x80", u"€"_s},
        {936, "\xC3\xF0\xBB\xF0\xC6\xF7 2\xA1\xC1MF", u"灭火器 2×MF"_s},
        {936, "?\xB7\xBF?", u"😀房\u0E01"_s, false},  // beyond the code page
        {950, "\xA9\xD0\xB6\xA1", u"房間"_s},
        {949, "\xB9\xE6", u"방"_s},
        {932, "\x95\x94\x89\xAE", u"部屋"_s},
        {1252, "caf\xE9 \x80", u"café €"_s},
        {1252, "?", u"房"_s, false},
    };
    for (const CodePageCase& c : cases) {
        if (c.decodes) {
            EXPECT_EQ(decodeCodePage(c.bytes, c.codePage), c.text)
                << c.codePage << ' ' << c.bytes.toHex().toStdString();
        }
        if (c.encodes) {
            EXPECT_EQ(encodeCodePage(c.text, c.codePage), c.bytes) << c.text.toStdString();
        }
    }
}

TEST(CodePage, OfTheDrawing) {
    const std::pair<const char*, int> cases[] = {
        {"ANSI_936", 936},   {"ansi_1252", 1252}, {" ANSI_950 ", 950}, {"ANSI_1361", 1361},
        {"GB2312", 936},     {"BIG5", 950},       {"", 936},           {"DOS437", 936},
        {"ANSI_99999", 936}, {"ANSI_", 936},
    };
    for (const auto& [name, codePage] : cases) {
        EXPECT_EQ(codePageOfDrawing(QString::fromLatin1(name)), codePage) << name;
    }
}

TEST(TextCodes, AreDecoded) {
    enum Kind { Name, Text, MText };
    const std::tuple<Kind, QString, QString> cases[] = {
        {Name, u"\\U+623F\\U+95f4%%c"_s, u"房间%%c"_s},
        {Name, u"\\U+62 \\U+ZZZZ \\M+9B7BF \\M+5B7"_s, u"\\U+62 \\U+ZZZZ \\M+9B7BF \\M+5B7"_s},
        {Text, u"\\M+5B7BF\\M+5BCE4"_s, u"房间"_s},
        {Text, u"\\M+2A9D0"_s, u"房"_s},
        {Text, u"%%c100 %%D %%p0.5 100%%% %%uA%%U %%176 50% %%"_s,
         u"⌀100 ° ±0.5 100% A ° 50% %%"_s},
        {Text, u"C:\\temp {a}"_s, u"C:\\temp {a}"_s},
        {MText, u"{\\fSimSun|b0|i0|c134;\\H1.2x;会议\\P室}"_s, u"会议\n室"_s},
        {MText, u"\\A1;\\C1;\\c255;\\pxqc;\\Q15;\\W0.8;\\T1.2;\\Farial.shx;大\\~厅"_s,
         u"大\u00A0厅"_s},
        {MText, u"\\\\a\\{b\\} \\z"_s, u"\\a{b} \\z"_s},
        {MText, u"\\S1/2; \\S3#4; \\S2^; \\S^2; \\S+0.1^-0.2; \\S1\\/2/3;"_s,
         u"1/2 3/4 2 2 +0.1 -0.2 1/2/3"_s},
        {MText, u"\\Lunder\\l\\Oover\\o\\Kstrike\\k%%c50"_s, u"underoverstrike⌀50"_s},
        {MText, u"\\U+623F\\\\U+623F\\Xb\\Nc"_s, u"房\\U+623F\nb\nc"_s},
        {MText, u"a\\fArial"_s, u"a"_s},
        {MText, u"\\"_s, u"\\"_s},
    };
    for (const auto& [kind, raw, plain] : cases) {
        const QString got = kind == Name   ? withUnicodeCodes(raw)
                            : kind == Text ? plainText(raw)
                                           : plainMText(raw);
        EXPECT_EQ(got, plain) << raw.toStdString();
    }
}

// Each unit by its name, label, size and code in the header's $INSUNITS; a code of none or one
// unknown is read as millimetres, not given.
TEST(DrawingUnits, NamesLabelsScaleAndHeaderCodes) {
    const std::tuple<DrawingUnit, const char*, QString, double, const char*> units[] = {
        {DrawingUnit::Millimetre, "mm", u"毫米"_s, 0.001, "4"},
        {DrawingUnit::Centimetre, "cm", u"厘米"_s, 0.01, "5"},
        {DrawingUnit::Decimetre, "dm", u"分米"_s, 0.1, "14"},
        {DrawingUnit::Metre, "m", u"米"_s, 1, "6"},
        {DrawingUnit::Inch, "inch", u"英寸"_s, 0.0254, "1"},
        {DrawingUnit::Foot, "ft", u"英尺"_s, 0.3048, "2"},
        {DrawingUnit::Mile, "mile", u"英里"_s, 1609.344, "3"},
        {DrawingUnit::UsSurveyFoot, "us-ft", u"美国测量英尺"_s, 1200.0 / 3937.0, "21"},
    };
    const auto fromHeader = [](const char* code) {
        const DxfDrawing drawing = parsed(
            withEntities({}, lines({"0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", "AC1015",
                                    "9", "$INSUNITS", "70", code, "0", "ENDSEC"})));
        return std::pair(drawing.unit, drawing.unitGiven);
    };
    for (const auto& [unit, name, label, metres, code] : units) {
        EXPECT_EQ(unitName(unit), QLatin1String(name));
        EXPECT_EQ(unitFromName(QLatin1String(name)), unit);
        EXPECT_EQ(unitLabel(unit), label);
        EXPECT_EQ(metresPerUnit(unit), metres);
        EXPECT_EQ(fromHeader(code), std::pair(unit, true)) << code;
    }
    EXPECT_FALSE(unitFromName(u"MM"_s));
    for (const char* code : {"0", "25"}) {
        EXPECT_EQ(fromHeader(code), std::pair(DrawingUnit::Millimetre, false)) << code;
    }
}

}  // namespace
}  // namespace io
