#include "dxf_reader.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

#include "code_page.h"
#include "dxf_text.h"
#include "regular_file.h"

namespace io {

namespace {

// The versions read, as the numbers of $ACADVER: R12 (AC1009) to 2018 (AC1032); texts are UTF-8
// from 2007 (AC1021), in the drawing's code page before.
constexpr int kOldestVersion = 1009;
constexpr int kNewestVersion = 1032;
constexpr int kFirstUtf8Version = 1021;
constexpr int kMaxGroupCode = 1071;
// Codes from here on are extended data, which belongs to the program that wrote it.
constexpr int kFirstExtendedDataCode = 1000;
// The classes of the CLASSES section are numbered from here on; a proxy names its class by it.
constexpr int kFirstClassNumber = 500;
// Bounds of the unknown entities' tally: the longest type name kept, and the most names.
constexpr qsizetype kMaxTypeNameLength = 64;
constexpr std::size_t kMaxUnknownTypes = 200;
constexpr auto kMaxVertices = static_cast<std::size_t>(kMaxPolylineVertices);

// The plain entities of a drawing, which no outline or name of a room is; also the parts of a
// sequence without its head.
// clang-format off
constexpr std::string_view kPlainEntities[] = {
    "3DFACE", "3DSOLID", "ACAD_TABLE", "ARC", "ARC_DIMENSION", "ATTDEF", "ATTRIB", "BODY",
    "CIRCLE", "DGNUNDERLAY", "DIMENSION", "DWFUNDERLAY", "ELLIPSE", "EXTRUDEDSURFACE", "HATCH",
    "HELIX", "IMAGE", "INSERT", "LARGE_RADIAL_DIMENSION", "LEADER", "LIGHT", "LINE",
    "LOFTEDSURFACE", "MESH", "MLEADER", "MLINE", "MULTILEADER", "NURBSURFACE", "OLE2FRAME",
    "OLEFRAME", "PDFUNDERLAY", "PLANESURFACE", "POINT", "POINTCLOUD", "RAY", "REGION",
    "REVOLVEDSURFACE", "SECTION", "SEQEND", "SHAPE", "SOLID", "SPLINE", "SUN", "SURFACE",
    "SWEPTSURFACE", "TABLE", "TOLERANCE", "TRACE", "UNDERLAY", "VERTEX", "VIEWPORT", "WIPEOUT",
    "XLINE"
};
// clang-format on

struct Unit {
    DrawingUnit unit;
    int insunits;  // its number in $INSUNITS
    const char* name;
    const char16_t* label;
    double metres;
};

// Every length unit that $INSUNITS names (0 is "unitless", not a length).
constexpr Unit kUnits[] = {
    {DrawingUnit::Millimetre, 4, "mm", u"毫米", 0.001},
    {DrawingUnit::Centimetre, 5, "cm", u"厘米", 0.01},
    {DrawingUnit::Decimetre, 14, "dm", u"分米", 0.1},
    {DrawingUnit::Metre, 6, "m", u"米", 1},
    {DrawingUnit::Inch, 1, "inch", u"英寸", 0.0254},
    {DrawingUnit::Foot, 2, "ft", u"英尺", 0.3048},
    {DrawingUnit::Mile, 3, "mile", u"英里", 1609.344},
    {DrawingUnit::Kilometre, 7, "km", u"千米", 1000},
    {DrawingUnit::Microinch, 8, "microinch", u"微英寸", 0.0254e-6},
    {DrawingUnit::Mil, 9, "mil", u"密耳", 0.0254e-3},
    {DrawingUnit::Yard, 10, "yd", u"码", 0.9144},
    {DrawingUnit::Angstrom, 11, "angstrom", u"埃", 1e-10},
    {DrawingUnit::Nanometre, 12, "nm", u"纳米", 1e-9},
    {DrawingUnit::Micrometre, 13, "um", u"微米", 1e-6},
    {DrawingUnit::Decametre, 15, "dam", u"十米", 10},
    {DrawingUnit::Hectometre, 16, "hm", u"百米", 100},
    {DrawingUnit::Gigametre, 17, "Gm", u"吉米", 1e9},
    {DrawingUnit::AstronomicalUnit, 18, "au", u"天文单位", 149597870700.0},
    {DrawingUnit::LightYear, 19, "ly", u"光年", 9460730472580800.0},
    {DrawingUnit::Parsec, 20, "pc", u"秒差距", 3.0856775814913673e16},
    {DrawingUnit::UsSurveyFoot, 21, "us-ft", u"美国测量英尺", 1200.0 / 3937.0},
    {DrawingUnit::UsSurveyInch, 22, "us-inch", u"美国测量英寸", 100.0 / 3937.0},
    {DrawingUnit::UsSurveyYard, 23, "us-yd", u"美国测量码", 3600.0 / 3937.0},
    {DrawingUnit::UsSurveyMile, 24, "us-mile", u"美国测量英里", 6336000.0 / 3937.0},
};

const Unit& unitOf(DrawingUnit unit) {
    return *std::ranges::find(kUnits, unit, &Unit::unit);
}

struct Group {
    int code = 0;
    QByteArrayView value;  // the value's line without its line end
    qsizetype line = 0;    // the group code's line, from 1
};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

QByteArrayView trimmed(QByteArrayView text) {
    while (!text.isEmpty() && isBlank(text.front())) {
        text = text.sliced(1);
    }
    while (!text.isEmpty() && isBlank(text.back())) {
        text.chop(1);
    }
    return text;
}

// The lines of the bytes as group codes and their values.
class GroupReader {
  public:
    explicit GroupReader(QByteArrayView bytes)
        : next_(bytes.data()), end_(bytes.data() + bytes.size()) {}

    // The next group; false at the end of the bytes, or at a line that is no group code, which
    // badLine() then gives.
    bool next(Group& group) {
        QByteArrayView code;
        if (!line(code)) {
            return false;
        }
        group.line = line_;
        if (!parseCode(trimmed(code), group.code)) {
            badLine_ = line_;
            return false;
        }
        return line(group.value);
    }

    [[nodiscard]] qsizetype badLine() const { return badLine_; }

  private:
    bool line(QByteArrayView& text) {
        if (next_ == end_) {
            return false;
        }
        const auto* found = static_cast<const char*>(
            std::memchr(next_, '\n', static_cast<std::size_t>(end_ - next_)));
        const char* lineEnd = found != nullptr ? found : end_;
        text = QByteArrayView(next_, lineEnd - next_);
        if (text.endsWith('\r')) {
            text.chop(1);
        }
        next_ = found != nullptr ? found + 1 : end_;
        ++line_;
        return true;
    }

    static bool parseCode(QByteArrayView text, int& code) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
        return error == std::errc() && end == text.data() + text.size() && code >= 0 &&
               code <= kMaxGroupCode;
    }

    const char* next_;
    const char* end_;
    qsizetype line_ = 0;
    qsizetype badLine_ = 0;
};

// The object coordinate system of a planar entity, from its extrusion direction (groups 210,
// 220, 230), by the arbitrary axis algorithm: where its points lie in the world's x and y.
class ObjectCoordinates {
  public:
    double normal[3] = {0, 0, 1};

    [[nodiscard]] core::PlanPoint toWorld(core::PlanPoint p) const {
        if (isDefault()) {
            return p;
        }
        const auto [ax, ay] = axes();
        return {p.x * ax[0] + p.y * ay[0], p.x * ax[1] + p.y * ay[1]};
    }
    // Seen from above, arcs of an entity that faces down turn the other way.
    [[nodiscard]] bool facesDown() const { return normal[2] < 0; }

  private:
    [[nodiscard]] bool isDefault() const {
        return normal[0] == 0 && normal[1] == 0 && normal[2] > 0;
    }

    using Vector = std::array<double, 3>;

    static Vector cross(const Vector& a, const Vector& b) {
        return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    }
    static Vector unit(const Vector& v) {
        const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        return length > 0 ? Vector{v[0] / length, v[1] / length, v[2] / length} : Vector{0, 0, 0};
    }

    [[nodiscard]] std::pair<Vector, Vector> axes() const {
        const Vector n = unit({normal[0], normal[1], normal[2]});
        if (n == Vector{0, 0, 0}) {
            return {{1, 0, 0}, {0, 1, 0}};
        }
        constexpr double kNearPole = 1.0 / 64;
        const Vector ax =
            unit(std::abs(n[0]) < kNearPole && std::abs(n[1]) < kNearPole ? cross({0, 1, 0}, n)
                                                                          : cross({0, 0, 1}, n));
        return {ax, cross(n, ax)};
    }
};

// Where an entity's own groups are: application groups (102 "{NAME" … 102 "}"), extended data
// (codes from 1000 to the entity's end) and embedded objects (from 101 to the entity's end) are
// other programs' business.
struct OwnGroups {
    bool inApplicationGroup = false;
    bool inExtendedData = false;
    bool inEmbeddedObject = false;
};

enum class Step : std::uint8_t { Group, EntityEnd, Failed };

// What every entity has.
struct Common {
    QByteArrayView handle;
    QByteArrayView layer;
    bool paperSpace = false;
    ObjectCoordinates coordinates;
};

class Parser {
  public:
    explicit Parser(QByteArrayView bytes) : groups_(bytes) {}

    std::variant<DxfDrawing, QString> run();

  private:
    // The next group into group_; false at the end of the bytes or a fault.
    bool advance() {
        if (groups_.next(group_)) {
            return true;
        }
        if (groups_.badLine() > 0) {
            fail(QStringLiteral("第%1行应为组码（一个整数），不是DXF文件").arg(groups_.badLine()));
        }
        return false;
    }
    void fail(const QString& fault) {
        if (fault_.isEmpty()) {
            fault_ = fault;
        }
    }
    [[nodiscard]] bool isZero(std::string_view name) const {
        return group_.code == 0 && trimmed(group_.value) == QByteArrayView(name);
    }
    [[nodiscard]] QString notDxfAt(const QString& what) const {
        return QStringLiteral("第%1行应为%2，不是DXF文件").arg(group_.line).arg(what);
    }

    bool number(double& value);
    bool integer(int& value);
    QString decoded(QByteArrayView raw) const;
    QString layer(QByteArrayView raw);
    QString latin1(QByteArrayView raw) const { return QString::fromLatin1(trimmed(raw)); }

    bool header();
    bool classes();
    bool tables();
    bool entities();
    bool skipSection();

    Step nextOwn(OwnGroups& own);
    bool common(Common& entity);
    bool polyline(bool lightweight);
    bool vertices(const Common& entity, int flags);
    bool singleLineText(bool attribute);
    bool multilineText();
    bool otherEntity(QByteArrayView type, bool known);
    void keepPolyline(const Common& entity, std::vector<core::BulgeVertex> vertices, bool closed,
                      bool tooMany, const QString& type);

    GroupReader groups_;
    Group group_;
    QString fault_;
    DxfDrawing drawing_;
    int version_ = kOldestVersion;
    int codePage_ = kGbkCodePage;
    std::vector<QString> classNames_;
    // The layers by their case-folded names (CAD programs do not tell "Room" from "ROOM"), and the
    // last name looked up.
    QHash<QString, QString> layerNames_;
    QByteArrayView lastLayerRaw_;
    QString lastLayer_;
};

bool Parser::number(double& value) {
    QByteArrayView digits = trimmed(group_.value);
    if (digits.startsWith('+')) {
        digits = digits.sliced(1);
    }
    bool read = !digits.isEmpty();
    if (read) {
        const char* const last = digits.data() + digits.size();
        const auto [end, error] = std::from_chars(digits.data(), last, value);
        read = error == std::errc() && end == last && std::isfinite(value);
    }
    if (!read) {
        fail(QStringLiteral("第%1行的数值无效，不是DXF文件").arg(group_.line + 1));
        return false;
    }
    return true;
}

bool Parser::integer(int& value) {
    double read = 0;
    if (!number(read)) {
        return false;
    }
    // Some programs write flags as 1.0.
    if (read < -2147483648.0 || read > 2147483647.0) {
        fail(QStringLiteral("第%1行的数值无效，不是DXF文件").arg(group_.line + 1));
        return false;
    }
    value = static_cast<int>(read);
    return true;
}

QString Parser::decoded(QByteArrayView raw) const {
    return version_ >= kFirstUtf8Version ? QString::fromUtf8(raw) : decodeCodePage(raw, codePage_);
}

QString Parser::layer(QByteArrayView raw) {
    if (raw == lastLayerRaw_ && !lastLayerRaw_.isNull()) {
        return lastLayer_;
    }
    QString name = withUnicodeCodes(decoded(raw));
    const auto known = layerNames_.constFind(name.toCaseFolded());
    if (known != layerNames_.constEnd()) {
        name = *known;
    } else {
        layerNames_.insert(name.toCaseFolded(), name);
    }
    lastLayerRaw_ = raw;
    lastLayer_ = name;
    return name;
}

std::variant<DxfDrawing, QString> Parser::run() {
    bool entitiesRead = false;
    drawing_.version = QStringLiteral("AC%1").arg(kOldestVersion);
    if (!advance()) {
        return fault_.isEmpty() ? QStringLiteral("文件是空的，不是DXF文件") : fault_;
    }
    for (;;) {
        if (group_.code == 999) {  // a comment
            if (!advance()) {
                break;
            }
            continue;
        }
        if (isZero("EOF")) {
            if (!entitiesRead) {
                return QStringLiteral("文件中没有ENTITIES段（图形对象），不是完整的DXF文件");
            }
            return std::move(drawing_);
        }
        if (!isZero("SECTION")) {
            return notDxfAt(QStringLiteral("SECTION"));
        }
        if (!advance()) {
            break;
        }
        if (group_.code != 2) {
            return notDxfAt(QStringLiteral("段名"));
        }
        const QByteArrayView name = trimmed(group_.value);
        bool read = false;
        if (name == "HEADER") {
            read = header();
        } else if (name == "CLASSES") {
            read = classes();
        } else if (name == "TABLES") {
            read = tables();
        } else if (name == "ENTITIES") {
            read = entities();
            entitiesRead = true;
        } else {
            read = skipSection();
        }
        // A section that ends at EOF without its ENDSEC still ends there.
        if (!read || (!isZero("EOF") && !advance())) {
            break;
        }
    }
    if (!fault_.isEmpty()) {
        return fault_;
    }
    return QStringLiteral("文件不完整（没有文件结束标记EOF），可能没有保存完或复制完");
}

bool Parser::header() {
    QByteArrayView variable;
    int units = 0;
    bool ended = false;
    while (!ended && advance()) {
        if (group_.code == 0) {
            if (!isZero("ENDSEC")) {
                fail(notDxfAt(QStringLiteral("ENDSEC")));
                return false;
            }
            ended = true;
        }
        if (group_.code == 9) {
            variable = trimmed(group_.value);
        } else if (variable == "$ACADVER" && group_.code == 1) {
            drawing_.version =
                latin1(group_.value.first(std::min<qsizetype>(group_.value.size(), 32)));
        } else if (variable == "$INSUNITS" && group_.code == 70) {
            if (!integer(units)) {
                return false;
            }
        } else if (variable == "$DWGCODEPAGE" && group_.code == 3) {
            drawing_.codePage =
                latin1(group_.value.first(std::min<qsizetype>(group_.value.size(), 32)));
        }
    }
    if (!ended) {
        return false;
    }
    for (const Unit& unit : kUnits) {
        if (units == unit.insunits) {
            drawing_.unit = unit.unit;
            drawing_.unitGiven = true;
        }
    }
    // "AC1015": the version as a number; a name of another form is no version read.
    const QString& version = drawing_.version;
    bool isNumber = version.size() == 6 && version.startsWith(QLatin1String("AC"));
    const int number = isNumber ? version.mid(2).toInt(&isNumber) : 0;
    if (!isNumber) {
        fail(QStringLiteral("无法识别的DXF版本“%1”").arg(version));
        return false;
    }
    if (number < kOldestVersion) {
        fail(QStringLiteral("DXF版本过旧（%1），请在CAD中另存为R12至2018版的DXF后导入")
                 .arg(version));
        return false;
    }
    if (number > kNewestVersion) {
        fail(QStringLiteral("DXF版本（%1）比2018版新，本程序不能读取；请在CAD中另存为R12至2018版的"
                            "DXF后导入")
                 .arg(version));
        return false;
    }
    version_ = number;
    codePage_ = codePageOfDrawing(drawing_.codePage);
    return true;
}

bool Parser::classes() {
    while (advance()) {
        if (isZero("ENDSEC")) {
            return true;
        }
        if (isZero("CLASS")) {
            classNames_.emplace_back();
        } else if (group_.code == 1 && !classNames_.empty() && classNames_.back().isEmpty()) {
            classNames_.back() = latin1(
                group_.value.first(std::min<qsizetype>(group_.value.size(), kMaxTypeNameLength)));
        }
    }
    return false;
}

bool Parser::tables() {
    bool tableStarts = false;
    bool inLayerTable = false;
    bool inLayer = false;
    OwnGroups own;
    while (advance()) {
        if (group_.code == 0) {
            if (isZero("ENDSEC")) {
                return true;
            }
            tableStarts = isZero("TABLE");
            if (isZero("ENDTAB")) {
                inLayerTable = false;
            }
            inLayer = inLayerTable && isZero("LAYER");
            own = {};
            continue;
        }
        if (group_.code >= kFirstExtendedDataCode) {
            own.inExtendedData = true;
        } else if (group_.code == 102) {
            own.inApplicationGroup = trimmed(group_.value).startsWith('{');
        }
        if (own.inExtendedData || own.inApplicationGroup || group_.code != 2) {
            continue;
        }
        if (tableStarts) {
            inLayerTable = trimmed(group_.value) == "LAYER";
            tableStarts = false;
        } else if (inLayer) {
            const QString name = layer(group_.value);
            if (!drawing_.layers.contains(name)) {
                drawing_.layers.append(name);
            }
        }
    }
    return false;
}

bool Parser::skipSection() {
    while (advance()) {
        if (isZero("ENDSEC") || isZero("EOF")) {
            return true;
        }
    }
    return false;
}

Step Parser::nextOwn(OwnGroups& own) {
    while (advance()) {
        if (group_.code == 0) {
            return Step::EntityEnd;
        }
        if (group_.code >= kFirstExtendedDataCode) {
            own.inExtendedData = true;
        } else if (group_.code == 102) {
            const QByteArrayView value = trimmed(group_.value);
            own.inApplicationGroup = value.startsWith('{');
            continue;
        } else if (group_.code == 101) {
            own.inEmbeddedObject = true;
        }
        if (!own.inExtendedData && !own.inApplicationGroup && !own.inEmbeddedObject) {
            return Step::Group;
        }
    }
    return Step::Failed;
}

// Takes the group into `entity` where it is one that every entity has; false for another.
bool Parser::common(Common& entity) {
    switch (group_.code) {
        case 5:
            entity.handle = group_.value;
            return true;
        case 8:
            entity.layer = group_.value;
            return true;
        case 67: {
            int space = 0;
            entity.paperSpace = integer(space) && space == 1;
            return true;
        }
        case 210:
        case 220:
        case 230: {
            double value = 0;
            if (number(value)) {
                entity.coordinates.normal[(group_.code - 210) / 10] = value;
            }
            return true;
        }
        default:
            return false;
    }
}

bool Parser::entities() {
    if (!advance()) {
        return false;
    }
    for (;;) {
        if (group_.code != 0) {
            // Groups before the first entity belong to none.
            if (!advance()) {
                return false;
            }
            continue;
        }
        const QByteArrayView type = trimmed(group_.value);
        bool read = false;
        if (type == "ENDSEC" || type == "EOF") {
            return true;
        }
        if (type == "LWPOLYLINE") {
            read = polyline(true);
        } else if (type == "POLYLINE") {
            read = polyline(false);
        } else if (type == "TEXT" || type == "ATTRIB") {
            read = singleLineText(type == "ATTRIB");
        } else if (type == "MTEXT") {
            read = multilineText();
        } else {
            const bool known = std::ranges::any_of(kPlainEntities, [type](std::string_view name) {
                return type == QByteArrayView(name);
            });
            read = otherEntity(type, known);
        }
        if (!read) {
            return false;
        }
    }
}

bool Parser::polyline(bool lightweight) {
    Common entity;
    OwnGroups own;
    int flags = 0;
    std::vector<core::BulgeVertex> points;
    bool tooMany = false;
    Step step = Step::Group;
    while ((step = nextOwn(own)) == Step::Group) {
        if (common(entity)) {
            continue;
        }
        double value = 0;
        switch (lightweight ? group_.code : -1) {
            case 10:
                if (!number(value)) {
                    return false;
                }
                tooMany = tooMany || points.size() >= kMaxVertices;
                if (!tooMany) {
                    points.push_back({{value, 0}, 0});
                }
                break;
            case 20:
            case 42:
                if (!number(value)) {
                    return false;
                }
                if (!points.empty() && !tooMany) {
                    (group_.code == 20 ? points.back().at.y : points.back().bulge) = value;
                }
                break;
            default:
                break;
        }
        if (group_.code == 70 && !integer(flags)) {
            return false;
        }
    }
    if (step == Step::Failed || !fault_.isEmpty()) {
        return false;
    }
    if (!lightweight) {
        return vertices(entity, flags);
    }
    if (entity.paperSpace) {
        ++drawing_.paperSpaceEntities;
        return true;
    }
    keepPolyline(entity, std::move(points), (flags & 1) != 0, tooMany,
                 QStringLiteral("LWPOLYLINE"));
    return true;
}

// The VERTEX entities after a POLYLINE, up to its SEQEND.
bool Parser::vertices(const Common& entity, int flags) {
    // Polygon meshes (16) and polyface meshes (64) are surfaces, not outlines.
    const bool outline = (flags & (16 | 64)) == 0;
    // A 3D polyline (8) has its vertices in world coordinates.
    Common placed = entity;
    if ((flags & 8) != 0) {
        placed.coordinates = {};
    }
    std::vector<core::BulgeVertex> points;
    bool tooMany = false;
    while (isZero("VERTEX")) {
        OwnGroups own;
        core::BulgeVertex vertex;
        int vertexFlags = 0;
        Step step = Step::Group;
        while ((step = nextOwn(own)) == Step::Group) {
            double value = 0;
            switch (group_.code) {
                case 10:
                case 20:
                case 42:
                    if (!number(value)) {
                        return false;
                    }
                    (group_.code == 10   ? vertex.at.x
                     : group_.code == 20 ? vertex.at.y
                                         : vertex.bulge) = value;
                    break;
                case 70:
                    if (!integer(vertexFlags)) {
                        return false;
                    }
                    break;
                default:
                    break;
            }
        }
        if (step == Step::Failed || !fault_.isEmpty()) {
            return false;
        }
        // A spline's frame control point (16) is no point of the curve.
        if ((vertexFlags & 16) == 0) {
            tooMany = tooMany || points.size() >= kMaxVertices;
            if (!tooMany) {
                points.push_back(vertex);
            }
        }
    }
    if (isZero("SEQEND")) {
        OwnGroups own;
        Step step = Step::Group;
        while ((step = nextOwn(own)) == Step::Group) {
        }
        if (step == Step::Failed) {
            return false;
        }
    }
    if (entity.paperSpace) {
        ++drawing_.paperSpaceEntities;
    } else if (outline) {
        keepPolyline(placed, std::move(points), (flags & 1) != 0, tooMany,
                     QStringLiteral("POLYLINE"));
    } else {
        ++drawing_.otherEntities[QStringLiteral("POLYLINE")];
    }
    return true;
}

// Keeps the polyline; one that is not closed is also counted among the other entities by its type.
void Parser::keepPolyline(const Common& entity, std::vector<core::BulgeVertex> points, bool closed,
                          bool tooMany, const QString& type) {
    DxfPolyline polyline;
    polyline.handle = latin1(entity.handle);
    polyline.layer = layer(entity.layer);
    polyline.closed = closed;
    if (tooMany) {
        polyline.fault = QStringLiteral("顶点超过%1个").arg(kMaxPolylineVertices);
        points.clear();
    }
    const ObjectCoordinates& coordinates = entity.coordinates;
    for (core::BulgeVertex& vertex : points) {
        vertex.at = coordinates.toWorld(vertex.at);
        if (coordinates.facesDown()) {
            vertex.bulge = -vertex.bulge;
        }
    }
    // Ends that coincide (to within what the size of the polyline makes noise) close it; at least
    // three other vertices make an outline, fewer a line there and back.
    if (points.size() >= (closed ? 2U : 4U)) {
        core::Ring ring(points.size());
        std::ranges::transform(points, ring.begin(), &core::BulgeVertex::at);
        const core::PlanBox box = core::bounds(ring);
        const double tolerance = 1e-9 * std::max(box.max.x - box.min.x, box.max.y - box.min.y);
        const core::PlanPoint first = points.front().at;
        const core::PlanPoint last = points.back().at;
        if (std::abs(first.x - last.x) <= tolerance && std::abs(first.y - last.y) <= tolerance) {
            points.pop_back();
            polyline.endsCoincide = !closed;
            polyline.closed = true;
        }
    }
    if (!polyline.closed) {
        ++drawing_.otherEntities[type];
    }
    polyline.vertices = std::move(points);
    drawing_.polylines.push_back(std::move(polyline));
}

// A TEXT, or an ATTRIB of a block reference: the value of one of its attributes, which stands
// where the reference puts it (its vertical justification in 74, not 73).
bool Parser::singleLineText(bool attribute) {
    Common entity;
    OwnGroups own;
    core::PlanPoint first;
    core::PlanPoint second;
    bool hasSecond = false;
    int horizontal = 0;
    int vertical = 0;
    int flags = 0;
    DxfText text;
    Step step = Step::Group;
    while ((step = nextOwn(own)) == Step::Group) {
        if (common(entity)) {
            continue;
        }
        bool read = true;
        switch (group_.code) {
            case 10:
                read = number(first.x);
                break;
            case 20:
                read = number(first.y);
                break;
            case 11:
                read = number(second.x);
                hasSecond = true;
                break;
            case 21:
                read = number(second.y);
                break;
            case 40:
                read = number(text.height);
                break;
            case 70:
                read = !attribute || integer(flags);
                break;
            case 72:
                read = integer(horizontal);
                break;
            case 73:
            case 74:
                if (group_.code == (attribute ? 74 : 73)) {
                    read = integer(vertical);
                }
                break;
            case 1:
                text.text = plainText(decoded(group_.value));
                break;
            default:
                break;
        }
        if (!read) {
            return false;
        }
    }
    if (step == Step::Failed || !fault_.isEmpty()) {
        return false;
    }
    if (entity.paperSpace) {
        ++drawing_.paperSpaceEntities;
        return true;
    }
    // An invisible attribute (1) shows nothing on the plan.
    if ((flags & 1) != 0) {
        ++drawing_.otherEntities[QStringLiteral("ATTRIB")];
        return true;
    }
    // Justified text stands at its alignment point; text aligned (3) or fitted (5) between its
    // two points, at the middle of its base line.
    core::PlanPoint at = first;
    if (hasSecond && (horizontal != 0 || vertical != 0)) {
        at = horizontal == 3 || horizontal == 5
                 ? core::PlanPoint{(first.x + second.x) / 2, (first.y + second.y) / 2}
                 : second;
    }
    text.at = entity.coordinates.toWorld(at);
    text.handle = latin1(entity.handle);
    text.layer = layer(entity.layer);
    drawing_.texts.push_back(std::move(text));
    return true;
}

bool Parser::multilineText() {
    Common entity;
    OwnGroups own;
    DxfText text;
    text.multiline = true;
    QByteArray raw;
    Step step = Step::Group;
    while ((step = nextOwn(own)) == Step::Group) {
        if (common(entity)) {
            continue;
        }
        bool read = true;
        switch (group_.code) {
            // The insertion point is in world coordinates.
            case 10:
                read = number(text.at.x);
                break;
            case 20:
                read = number(text.at.y);
                break;
            case 40:
                read = number(text.height);
                break;
            // The text in pieces of 250 characters (3), the last one (1); joined before they
            // are decoded, since a piece may end inside a character of the code page.
            case 1:
            case 3:
                raw += group_.value;
                break;
            default:
                break;
        }
        if (!read) {
            return false;
        }
    }
    if (step == Step::Failed || !fault_.isEmpty()) {
        return false;
    }
    if (entity.paperSpace) {
        ++drawing_.paperSpaceEntities;
        return true;
    }
    text.text = plainMText(decoded(raw));
    text.handle = latin1(entity.handle);
    text.layer = layer(entity.layer);
    drawing_.texts.push_back(std::move(text));
    return true;
}

bool Parser::otherEntity(QByteArrayView type, bool known) {
    Common entity;
    OwnGroups own;
    int proxyClass = 0;
    Step step = Step::Group;
    while ((step = nextOwn(own)) == Step::Group) {
        if (group_.code == 67 || (group_.code == 92 && !known)) {
            int value = 0;
            if (!integer(value)) {
                return false;
            }
            if (group_.code == 67) {
                entity.paperSpace = value == 1;
            } else {
                proxyClass = value;
            }
        }
    }
    if (step == Step::Failed || !fault_.isEmpty()) {
        return false;
    }
    if (entity.paperSpace) {
        ++drawing_.paperSpaceEntities;
        return true;
    }
    if (known) {
        // The parts of a sequence belong to its head, which is counted.
        if (type != "VERTEX" && type != "SEQEND" && type != "ATTRIB") {
            ++drawing_.otherEntities[latin1(type)];
        }
        return true;
    }
    QString name = decoded(type.first(std::min(type.size(), kMaxTypeNameLength)));
    const auto classIndex = static_cast<std::size_t>(proxyClass - kFirstClassNumber);
    if (type == "ACAD_PROXY_ENTITY" && proxyClass >= kFirstClassNumber &&
        classIndex < classNames_.size() && !classNames_[classIndex].isEmpty()) {
        name = classNames_[classIndex];
    }
    auto& tally = drawing_.unknownEntities;
    if (tally.size() < kMaxUnknownTypes || tally.contains(name)) {
        ++tally[name];
    } else {
        ++tally[QStringLiteral("其他")];
    }
    return true;
}

}  // namespace

QString unitName(DrawingUnit unit) {
    return QLatin1String(unitOf(unit).name);
}

std::optional<DrawingUnit> unitFromName(const QString& name) {
    for (const Unit& unit : kUnits) {
        if (name == QLatin1String(unit.name)) {
            return unit.unit;
        }
    }
    return std::nullopt;
}

QString unitLabel(DrawingUnit unit) {
    return QString::fromUtf16(unitOf(unit).label);
}

int insunitsCode(DrawingUnit unit) {
    return unitOf(unit).insunits;
}

double metresPerUnit(DrawingUnit unit) {
    return unitOf(unit).metres;
}

std::variant<DxfDrawing, QString> parseDxf(const QByteArray& bytes) {
    if (bytes.startsWith("AutoCAD Binary DXF")) {
        return QStringLiteral(
            "这是二进制格式的DXF文件，请在CAD中另存为文本（ASCII）格式的DXF后导入");
    }
    // A DWG file starts with its version: "AC1032" (and "AC1.50", "AC2.10" long ago).
    const QByteArrayView start = QByteArrayView(bytes).first(std::min<qsizetype>(bytes.size(), 6));
    if (start.size() == 6 && start.startsWith("AC") &&
        std::ranges::all_of(start.sliced(2),
                            [](char c) { return (c >= '0' && c <= '9') || c == '.'; })) {
        return QStringLiteral("这是DWG文件，请在CAD中另存为DXF后导入");
    }
    QByteArrayView text(bytes);
    if (text.startsWith("\xEF\xBB\xBF")) {
        text = text.sliced(3);
    }
    return Parser(text).run();
}

std::variant<DxfDrawing, QString> readDxf(const QString& fileName) {
    const auto refused = [&](const QString& reason) {
        return QStringLiteral("无法读取图纸文件“%1”：%2")
            .arg(QDir::toNativeSeparators(fileName), reason);
    };
    QFile file(fileName);
    if (auto fault = openRegularFile(file)) {
        return refused(*fault);
    }
    const QString tooLarge = QStringLiteral("文件过大（超过%1 MiB）").arg(kMaxDxfFileSize >> 20);
    if (file.size() > kMaxDxfFileSize) {
        return refused(tooLarge);
    }
    // One byte beyond its size, to see whether it grew since it was measured; then the rest up to
    // one byte beyond the limit, so that a file that grew past it is refused whole. (Asking for
    // the limit at once would set that much memory aside.)
    const qint64 measured = file.size();
    QByteArray bytes = file.read(measured + 1);
    if (bytes.size() > measured && file.error() == QFileDevice::NoError) {
        bytes += file.read(kMaxDxfFileSize + 1 - bytes.size());
    }
    if (file.error() != QFileDevice::NoError) {
        return refused(QStringLiteral("文件无法读取（%1）").arg(file.errorString()));
    }
    if (bytes.size() > kMaxDxfFileSize) {
        return refused(tooLarge);
    }
    auto drawing = parseDxf(bytes);
    if (auto* fault = std::get_if<QString>(&drawing)) {
        return refused(*fault);
    }
    return drawing;
}

}  // namespace io
