#include "dxf_reader.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string_view>
#include <type_traits>

#include "code_page.h"
#include "dxf_curves.h"
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

bool finite(core::PlanPoint p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

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

    // Where the points of the entity's plane lie in the world's x and y. Seen from above, arcs of
    // an entity that faces down turn the other way: the map mirrors.
    [[nodiscard]] Affine map() const {
        if (isDefault()) {
            return {};
        }
        const auto [ax, ay] = axes();
        return {ax[0], ax[1], ay[0], ay[1], 0, 0};
    }
    // The unit normal, (0, 0, 1) where it has no length.
    [[nodiscard]] std::array<double, 3> unitNormal() const {
        const Vector n = unit({normal[0], normal[1], normal[2]});
        return n == Vector{0, 0, 0} ? Vector{0, 0, 1} : n;
    }

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

// The entities as read, in the coordinates of the space that holds them (model space or a block).
struct PolylineData {
    std::vector<core::BulgeVertex> vertices;
    bool closed = false;
    bool tooMany = false;
    QString type;
};
struct SegmentData {
    core::PlanPoint a;
    core::PlanPoint b;
    double bulge = 0;
    bool arc = false;
};
struct CurveData {
    QString kind;  // CIRCLE, ELLIPSE or SPLINE
    std::variant<EllipseArc, Spline> curve;
};
struct HatchData {
    std::vector<std::vector<core::BulgeVertex>> paths;
};
struct TextData {
    DxfText text;
};
struct InsertData {
    QString key;  // the block's name, case-folded
    core::PlanPoint at;
    double xScale = 1;
    double yScale = 1;
    double rotation = 0;  // degrees
    int columns = 1;
    int rows = 1;
    double columnSpacing = 0;
    double rowSpacing = 0;
};
// An entity that is only counted: among the other entities, or the unknown ones.
struct CountData {
    QString type;
    bool unknown = false;
};

struct Entity {
    using Data = std::variant<PolylineData, SegmentData, CurveData, HatchData, TextData, InsertData,
                              CountData>;
    QString handle;
    QString layer;
    Affine place;  // from its own object coordinates into its space's
    Data data;
};

struct Block {
    QString name;
    core::PlanPoint base;
    std::vector<Entity> entities;
};

// Where the entities of a space are drawn: the map from the space into the world; the handles of
// the references that draw it, each followed by "/"; the layer that entities on layer "0" take;
// the level of nesting (0 in model space).
struct Frame {
    Affine map;
    QString path;
    QString layer;
    int depth = 0;
};

// A reference whose block is being drawn, and the map from the world back into its block.
struct Ancestor {
    std::size_t reference = 0;
    std::optional<Affine> toBlock;
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

    bool number(double& value) { return numberIn(group_, value); }
    bool numberIn(const Group& group, double& value);
    bool integer(int& value) { return integerIn(group_, value); }
    bool integerIn(const Group& group, int& value);
    QString decoded(QByteArrayView raw) const;
    QString layer(QByteArrayView raw);
    QString latin1(QByteArrayView raw) const { return QString::fromLatin1(trimmed(raw)); }
    // The chords' tolerance for a curve of that extent: 10 mm, or a 500th of its extent where
    // that is less.
    [[nodiscard]] double tolerance(double extent) const {
        return std::min(0.01 / metresPerUnit(drawing_.unit), extent / 500);
    }

    bool header();
    bool classes();
    bool tables();
    bool entities();
    bool blocks();
    bool block();
    bool entityList();
    bool skipSection();
    bool skipEntity();

    Step nextOwn(OwnGroups& own);
    bool common(Common& entity);
    // The entity's own groups other than those common() takes, into collected_.
    bool collect(Common& entity);
    void store(const Common& entity, const Affine& place, Entity::Data data);
    // The numbers of the collected groups with the codes given, each into its place.
    bool numbers(std::initializer_list<std::pair<int, double*>> fields);
    bool polyline(bool lightweight);
    bool vertices(const Common& entity, int flags);
    bool singleLineText(bool attribute);
    bool multilineText();
    bool line();
    bool arc();
    bool circle();
    bool ellipse();
    bool spline();
    bool hatch();
    bool hatchPath(std::size_t& at, std::vector<core::BulgeVertex>& path);
    bool insert();
    bool otherEntity(QByteArrayView type, bool known);

    // Model space drawn into drawing_, the references' blocks with it.
    bool draw(const std::vector<Entity>& entities, const Frame& frame);
    bool drawReference(const Entity& entity, const InsertData& insert, const Frame& frame);
    bool countExpanded();
    // About how many entities the references among `entities` draw (more than
    // kMaxExpandedEntities: one more), each block counted once.
    qint64 drawnCount(const std::vector<Entity>& entities, int depth,
                      QHash<const Block*, qint64>& counted);
    void keepPolyline(const QString& handle, const QString& layer,
                      std::vector<core::BulgeVertex> vertices, bool closed, bool tooMany,
                      const QString& kind, int depth, std::optional<double> area = {});
    void boxAncestors(const std::vector<core::BulgeVertex>& vertices, bool closed);

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
    std::vector<Group> collected_;
    // Model space as read, and the blocks by their case-folded names; the space being read.
    std::vector<Entity> modelSpace_;
    QHash<QString, Block> blocks_;
    std::vector<Entity>* space_ = &modelSpace_;
    bool inBlock_ = false;
    // While drawing: the references being drawn (their boxes beside them), the blocks being drawn,
    // and how many entities the references drew so far.
    std::vector<Ancestor> ancestors_;
    std::vector<GrowingBox> boxes_;
    std::vector<const Block*> blocksDrawn_;
    qint64 expanded_ = 0;
};

bool Parser::numberIn(const Group& group, double& value) {
    QByteArrayView digits = trimmed(group.value);
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
        fail(QStringLiteral("第%1行的数值无效，不是DXF文件").arg(group.line + 1));
        return false;
    }
    return true;
}

bool Parser::integerIn(const Group& group, int& value) {
    double read = 0;
    if (!numberIn(group, read)) {
        return false;
    }
    // Some programs write flags as 1.0.
    if (read < -2147483648.0 || read > 2147483647.0) {
        fail(QStringLiteral("第%1行的数值无效，不是DXF文件").arg(group.line + 1));
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
            for (const QString& name : classNames_) {
                if (!name.isEmpty()) {
                    drawing_.classes << name;
                }
            }
            QHash<const Block*, qint64> counted;
            if (drawnCount(modelSpace_, 0, counted) > kMaxExpandedEntities) {
                return QStringLiteral("图块展开后的对象超过 %1 个").arg(kMaxExpandedEntities);
            }
            if (!draw(modelSpace_, Frame{})) {
                return fault_;
            }
            for (std::size_t i = 0; i < boxes_.size(); ++i) {
                const core::PlanBox& box = boxes_[i].box;
                if (!boxes_[i].empty && finite(box.min) && finite(box.max)) {
                    drawing_.references[i].localBox = boxes_[i].box;
                }
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
        } else if (name == "BLOCKS") {
            read = blocks();
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
    return advance() && entityList();
}

// The BLOCK ... ENDBLK definitions; a block's entities in its own coordinates.
bool Parser::blocks() {
    if (!advance()) {
        return false;
    }
    for (;;) {
        if (group_.code != 0) {
            if (!advance()) {
                return false;
            }
            continue;
        }
        if (isZero("ENDSEC") || isZero("EOF")) {
            return true;
        }
        if (isZero("BLOCK")) {
            if (!block()) {
                return false;
            }
            continue;
        }
        // ENDBLK, or anything out of place.
        if (!skipEntity()) {
            return false;
        }
    }
}

bool Parser::skipEntity() {
    OwnGroups own;
    Step step = Step::Group;
    while ((step = nextOwn(own)) == Step::Group) {
    }
    return step != Step::Failed;
}

bool Parser::block() {
    OwnGroups own;
    Block read;
    QByteArrayView name;
    Step step = Step::Group;
    while ((step = nextOwn(own)) == Step::Group) {
        bool ok = true;
        if (group_.code == 2) {
            name = group_.value;
        } else if (group_.code == 10) {
            ok = number(read.base.x);
        } else if (group_.code == 20) {
            ok = number(read.base.y);
        }
        if (!ok) {
            return false;
        }
    }
    if (step == Step::Failed || !fault_.isEmpty()) {
        return false;
    }
    space_ = &read.entities;
    inBlock_ = true;
    const bool listed = entityList();
    space_ = &modelSpace_;
    inBlock_ = false;
    if (!listed) {
        return false;
    }
    read.name = withUnicodeCodes(decoded(trimmed(name)));
    const QString key = read.name.toCaseFolded();
    blocks_.insert(key, std::move(read));
    return true;
}

// The entities from the current group on, up to the end of their section (or block).
bool Parser::entityList() {
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
        if (type == "ENDSEC" || type == "EOF" || (inBlock_ && type == "ENDBLK")) {
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
        } else if (type == "LINE") {
            read = line();
        } else if (type == "ARC") {
            read = arc();
        } else if (type == "CIRCLE") {
            read = circle();
        } else if (type == "ELLIPSE") {
            read = ellipse();
        } else if (type == "SPLINE") {
            read = spline();
        } else if (type == "HATCH") {
            read = hatch();
        } else if (type == "INSERT" || type == "MINSERT") {
            read = insert();
        } else if (inBlock_ && type == "ATTDEF") {
            // An attribute's template, which each reference fills in with its ATTRIB.
            read = skipEntity();
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

bool Parser::collect(Common& entity) {
    collected_.clear();
    OwnGroups own;
    Step step = Step::Group;
    while ((step = nextOwn(own)) == Step::Group) {
        if (!common(entity)) {
            collected_.push_back(group_);
        }
    }
    return step != Step::Failed && fault_.isEmpty();
}

bool Parser::numbers(std::initializer_list<std::pair<int, double*>> fields) {
    for (const Group& group : collected_) {
        for (const auto& [code, value] : fields) {
            if (group.code == code && !numberIn(group, *value)) {
                return false;
            }
        }
    }
    return true;
}

void Parser::store(const Common& entity, const Affine& place, Entity::Data data) {
    space_->push_back({latin1(entity.handle), layer(entity.layer), place, std::move(data)});
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
        drawing_.paperSpaceEntities += inBlock_ ? 0 : 1;
        return true;
    }
    store(entity, entity.coordinates.map(),
          PolylineData{std::move(points), (flags & 1) != 0, tooMany, QStringLiteral("LWPOLYLINE")});
    return true;
}

// The VERTEX entities after a POLYLINE, up to its SEQEND.
bool Parser::vertices(const Common& entity, int flags) {
    // Polygon meshes (16) and polyface meshes (64) are surfaces, not outlines.
    const bool outline = (flags & (16 | 64)) == 0;
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
        drawing_.paperSpaceEntities += inBlock_ ? 0 : 1;
    } else if (outline) {
        // A 3D polyline (8) has its vertices in world coordinates.
        store(
            entity, (flags & 8) != 0 ? Affine{} : entity.coordinates.map(),
            PolylineData{std::move(points), (flags & 1) != 0, tooMany, QStringLiteral("POLYLINE")});
    } else {
        store(entity, {}, CountData{QStringLiteral("POLYLINE")});
    }
    return true;
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
        drawing_.paperSpaceEntities += inBlock_ ? 0 : 1;
        return true;
    }
    // An invisible attribute (1) shows nothing on the plan.
    if ((flags & 1) != 0) {
        store(entity, {}, CountData{QStringLiteral("ATTRIB")});
        return true;
    }
    // Justified text stands at its alignment point; text aligned (3) or fitted (5) between its
    // two points, at the middle of its base line.
    text.at = first;
    if (hasSecond && (horizontal != 0 || vertical != 0)) {
        text.at = horizontal == 3 || horizontal == 5
                      ? core::PlanPoint{(first.x + second.x) / 2, (first.y + second.y) / 2}
                      : second;
    }
    store(entity, entity.coordinates.map(), TextData{std::move(text)});
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
        drawing_.paperSpaceEntities += inBlock_ ? 0 : 1;
        return true;
    }
    text.text = plainMText(decoded(raw));
    store(entity, {}, TextData{std::move(text)});
    return true;
}

// Its points are in world coordinates.
bool Parser::line() {
    Common entity;
    if (!collect(entity)) {
        return false;
    }
    SegmentData segment;
    if (!numbers(
            {{10, &segment.a.x}, {20, &segment.a.y}, {11, &segment.b.x}, {21, &segment.b.y}})) {
        return false;
    }
    if (entity.paperSpace) {
        drawing_.paperSpaceEntities += inBlock_ ? 0 : 1;
        return true;
    }
    store(entity, {}, segment);
    return true;
}

namespace {

constexpr double kDegree = std::numbers::pi / 180;

// The sweep from `from` to `to`, counter-clockwise, in (0, 360] degrees.
double sweepDegrees(double from, double to) {
    const double sweep = std::fmod(to - from, 360.0);
    return !std::isfinite(sweep) ? 360 : sweep <= 0 ? sweep + 360 : sweep;
}

core::PlanPoint onCircle(core::PlanPoint center, double radius, double degrees) {
    return {center.x + radius * std::cos(degrees * kDegree),
            center.y + radius * std::sin(degrees * kDegree)};
}

// The arc from `start` counter-clockwise (clockwise where not `ccw`) by the sweep, as vertices
// with their bulges: two halves for a whole circle.
void appendArc(std::vector<core::BulgeVertex>& vertices, core::PlanPoint center, double radius,
               double start, double sweep, bool ccw) {
    const double turn = ccw ? 1 : -1;
    if (sweep >= 360) {
        vertices.push_back({onCircle(center, radius, start), turn});
        vertices.push_back({onCircle(center, radius, start + turn * 180), turn});
        return;
    }
    vertices.push_back({onCircle(center, radius, start), turn * std::tan(sweep * kDegree / 4)});
}

}  // namespace

// Its centre and angles are in its object coordinates.
bool Parser::arc() {
    Common entity;
    if (!collect(entity)) {
        return false;
    }
    core::PlanPoint center;
    double radius = 0;
    double start = 0;
    double end = 0;
    if (!numbers({{10, &center.x}, {20, &center.y}, {40, &radius}, {50, &start}, {51, &end}})) {
        return false;
    }
    if (entity.paperSpace) {
        drawing_.paperSpaceEntities += inBlock_ ? 0 : 1;
        return true;
    }
    std::vector<core::BulgeVertex> vertices;
    const double sweep = sweepDegrees(start, end);
    appendArc(vertices, center, radius, start, sweep, true);
    const core::PlanPoint last = onCircle(center, radius, start + sweep);
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const core::PlanPoint to = i + 1 < vertices.size() ? vertices[i + 1].at : last;
        store(entity, entity.coordinates.map(),
              SegmentData{vertices[i].at, to, vertices[i].bulge, true});
    }
    return true;
}

bool Parser::circle() {
    Common entity;
    if (!collect(entity)) {
        return false;
    }
    EllipseArc circle;
    circle.end = 2 * std::numbers::pi;
    double radius = 0;
    if (!numbers({{10, &circle.center.x}, {20, &circle.center.y}, {40, &radius}})) {
        return false;
    }
    if (entity.paperSpace) {
        drawing_.paperSpaceEntities += inBlock_ ? 0 : 1;
        return true;
    }
    circle.major = {radius, 0};
    circle.minor = {0, radius};
    store(entity, entity.coordinates.map(), CurveData{QStringLiteral("CIRCLE"), circle});
    return true;
}

// Its centre and axis are in world coordinates; its normal (210, 220, 230) says which way its
// parameter turns.
bool Parser::ellipse() {
    Common entity;
    if (!collect(entity)) {
        return false;
    }
    EllipseArc arc;
    double ratio = 1;
    arc.end = 2 * std::numbers::pi;
    if (!numbers({{10, &arc.center.x},
                  {20, &arc.center.y},
                  {11, &arc.major.x},
                  {21, &arc.major.y},
                  {40, &ratio},
                  {41, &arc.start},
                  {42, &arc.end}})) {
        return false;
    }
    if (entity.paperSpace) {
        drawing_.paperSpaceEntities += inBlock_ ? 0 : 1;
        return true;
    }
    const double nz = entity.coordinates.unitNormal()[2];
    arc.minor = {-ratio * nz * arc.major.y, ratio * nz * arc.major.x};
    const double sweep = std::fmod(arc.end - arc.start, 2 * std::numbers::pi);
    arc.start = std::fmod(arc.start, 2 * std::numbers::pi);
    arc.end = arc.start + (!std::isfinite(sweep) ? 2 * std::numbers::pi
                           : sweep <= 1e-12      ? sweep + 2 * std::numbers::pi
                                                 : sweep);
    store(entity, {}, CurveData{QStringLiteral("ELLIPSE"), arc});
    return true;
}

bool Parser::spline() {
    Common entity;
    if (!collect(entity)) {
        return false;
    }
    Spline curve;
    int flags = 0;
    for (const Group& group : collected_) {
        double value = 0;
        switch (group.code) {
            case 70:
                if (!integerIn(group, flags)) {
                    return false;
                }
                break;
            case 71:
                if (!integerIn(group, curve.degree)) {
                    return false;
                }
                break;
            case 10:
            case 11:
            case 20:
            case 21:
            case 40:
            case 41: {
                if (!numberIn(group, value)) {
                    return false;
                }
                auto& points = group.code % 10 == 0 ? curve.control : curve.fit;
                if (group.code == 40 || group.code == 41) {
                    auto& values = group.code == 40 ? curve.knots : curve.weights;
                    if (values.size() < kMaxVertices) {
                        values.push_back(value);
                    }
                } else if (group.code < 20) {
                    if (points.size() < kMaxVertices) {
                        points.push_back({value, 0});
                    }
                } else if (!points.empty()) {
                    points.back().y = value;
                }
                break;
            }
            default:
                break;
        }
    }
    if (entity.paperSpace) {
        drawing_.paperSpaceEntities += inBlock_ ? 0 : 1;
        return true;
    }
    // Closed (1) or periodic (2).
    curve.closed = (flags & 3) != 0;
    store(entity, {}, CurveData{QStringLiteral("SPLINE"), std::move(curve)});
    return true;
}

// A hatch's boundary paths (after 91, their count), in its object coordinates: a polyline path
// (92 with 2 set) with its bulges, or edges: lines, circular and elliptic arcs, splines; each path
// followed by the handles of the entities it came from (97, 330).
bool Parser::hatch() {
    Common entity;
    if (!collect(entity)) {
        return false;
    }
    if (entity.paperSpace) {
        drawing_.paperSpaceEntities += inBlock_ ? 0 : 1;
        return true;
    }
    HatchData read;
    std::size_t at = 0;
    while (at < collected_.size() && collected_[at].code != 91) {
        ++at;
    }
    int paths = 0;
    if (at < collected_.size() && !integerIn(collected_[at++], paths)) {
        return false;
    }
    for (int i = 0; i < paths && at < collected_.size() && collected_[at].code == 92; ++i) {
        std::vector<core::BulgeVertex> path;
        if (!hatchPath(at, path)) {
            return false;
        }
        // One with too many vertices is kept with its fault.
        read.paths.push_back(std::move(path));
    }
    store(entity, entity.coordinates.map(), std::move(read));
    return true;
}

bool Parser::hatchPath(std::size_t& at, std::vector<core::BulgeVertex>& path) {
    const auto& g = collected_;
    const auto has = [&](std::initializer_list<int> codes) {
        return at < g.size() && std::ranges::find(codes, g[at].code) != codes.end();
    };
    int flags = 0;
    if (!integerIn(g[at++], flags)) {
        return false;
    }
    double value = 0;
    if ((flags & 2) != 0) {
        while (has({72, 73, 93})) {
            ++at;
        }
        for (; has({10, 20, 42}); ++at) {
            if (!numberIn(g[at], value)) {
                return false;
            }
            if (g[at].code == 10) {
                if (path.size() <= kMaxVertices) {
                    path.push_back({{value, 0}, 0});
                }
            } else if (!path.empty()) {
                (g[at].code == 20 ? path.back().at.y : path.back().bulge) = value;
            }
        }
    } else {
        int edges = 0;
        if (has({93}) && !integerIn(g[at++], edges)) {
            return false;
        }
        for (int e = 0; e < edges && has({72}); ++e) {
            int type = 0;
            if (!integerIn(g[at++], type)) {
                return false;
            }
            // Each edge's numbers by their codes; a spline's lists in order.
            std::map<int, double> field;
            Spline spline;
            for (;;) {
                const bool mine =
                    type == 1   ? has({10, 20, 11, 21})
                    : type == 2 ? has({10, 20, 40, 50, 51, 73})
                    : type == 3 ? has({10, 20, 11, 21, 40, 50, 51, 73})
                    : type == 4
                        ? has({94, 73, 74, 95, 96, 40, 10, 20, 42, 97, 11, 21, 12, 22, 13, 23})
                        : false;
                if (!mine) {
                    break;
                }
                const int code = g[at].code;
                if (!numberIn(g[at++], value)) {
                    return false;
                }
                if (type != 4) {
                    field[code] = value;
                    continue;
                }
                if (code == 40 || code == 42) {
                    auto& values = code == 40 ? spline.knots : spline.weights;
                    if (values.size() < kMaxVertices) {
                        values.push_back(value);
                    }
                } else if (code == 10 || code == 11) {
                    auto& points = code == 10 ? spline.control : spline.fit;
                    if (points.size() < kMaxVertices) {
                        points.push_back({value, 0});
                    }
                } else if (code == 20 || code == 21) {
                    auto& points = code == 20 ? spline.control : spline.fit;
                    if (!points.empty()) {
                        points.back().y = value;
                    }
                } else if (code == 94) {
                    spline.degree = static_cast<int>(std::clamp(value, 1.0, 11.0));
                } else if (code == 74) {
                    spline.closed = value != 0;
                } else if (code == 97 && !has({11, 12, 13})) {
                    // Fit points follow a spline's count of them; a path's count of its sources
                    // is followed by their handles.
                    break;
                }
            }
            const core::PlanPoint center{field[10], field[20]};
            const bool ccw = !field.contains(73) || field[73] != 0;
            const double start = field[50];
            const double end = field[51];
            if (type == 1) {
                path.push_back({center, 0});
            } else if (type == 2) {
                // Clockwise arcs have their angles mirrored: they run from -start to -end.
                appendArc(path, center, field[40], ccw ? start : -start, sweepDegrees(start, end),
                          ccw);
            } else if (type == 3 || type == 4) {
                std::vector<core::PlanPoint> points;
                if (type == 3) {
                    const double ratio = field.contains(40) ? field[40] : 1;
                    EllipseArc arc{center, {field[11], field[21]}, {}, 0, 0};
                    arc.minor = {-ratio * arc.major.y, ratio * arc.major.x};
                    // The angles are the directions of the end points, from which the
                    // parameters follow; clockwise ones mirrored, as an arc's.
                    const auto parameter = [ratio](double degrees) {
                        return std::atan2(std::sin(degrees * kDegree) / ratio,
                                          std::cos(degrees * kDegree));
                    };
                    arc.start = parameter(ccw ? start : -end);
                    const double t1 = parameter(ccw ? end : -start);
                    double sweep = std::fmod(t1 - arc.start, 2 * std::numbers::pi);
                    sweep = !std::isfinite(sweep) ? 2 * std::numbers::pi
                            : sweep <= 1e-12      ? sweep + 2 * std::numbers::pi
                                                  : sweep;
                    arc.end = arc.start + sweep;
                    points = sampled(arc, tolerance(2 * std::hypot(arc.major.x, arc.major.y)));
                    if (arc.full()) {
                        points.push_back(points.front());
                    }
                    if (!ccw) {
                        std::ranges::reverse(points);
                    }
                } else {
                    points = sampled(
                        spline,
                        tolerance(extent(spline.control.empty() ? spline.fit : spline.control)));
                }
                for (std::size_t i = 0; i + 1 < points.size(); ++i) {
                    path.push_back({points[i], 0});
                }
            }
            if (path.size() > kMaxVertices) {
                break;
            }
        }
    }
    if (has({97})) {
        ++at;
        while (has({330})) {
            ++at;
        }
    }
    return true;
}

// A block reference; with column and row counts (70, 71) an array of them (MINSERT), apart by
// the spacings (44, 45) in the reference's rotated frame.
bool Parser::insert() {
    Common entity;
    if (!collect(entity)) {
        return false;
    }
    InsertData read;
    QByteArrayView name;
    for (const Group& group : collected_) {
        name = group.code == 2 ? group.value : name;
    }
    double columns = 1;
    double rows = 1;
    if (!numbers({{10, &read.at.x},
                  {20, &read.at.y},
                  {41, &read.xScale},
                  {42, &read.yScale},
                  {50, &read.rotation},
                  {70, &columns},
                  {71, &rows},
                  {44, &read.columnSpacing},
                  {45, &read.rowSpacing}})) {
        return false;
    }
    if (entity.paperSpace) {
        drawing_.paperSpaceEntities += inBlock_ ? 0 : 1;
        return true;
    }
    // Counts beyond what the drawing may draw stop at the limit.
    read.columns = static_cast<int>(std::clamp(columns, 1.0, double{kMaxExpandedEntities}));
    read.rows = static_cast<int>(std::clamp(rows, 1.0, double{kMaxExpandedEntities}));
    read.key = withUnicodeCodes(decoded(trimmed(name))).toCaseFolded();
    store(entity, entity.coordinates.map(), std::move(read));
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
        drawing_.paperSpaceEntities += inBlock_ ? 0 : 1;
        return true;
    }
    if (known) {
        // The parts of a sequence belong to its head, which is counted.
        if (type != "VERTEX" && type != "SEQEND" && type != "ATTRIB") {
            store(entity, {}, CountData{latin1(type)});
        }
        return true;
    }
    QString name = decoded(type.first(std::min(type.size(), kMaxTypeNameLength)));
    const auto classIndex = static_cast<std::size_t>(proxyClass - kFirstClassNumber);
    if (type == "ACAD_PROXY_ENTITY" && proxyClass >= kFirstClassNumber &&
        classIndex < classNames_.size() && !classNames_[classIndex].isEmpty()) {
        name = classNames_[classIndex];
    }
    store(entity, {}, CountData{name, true});
    return true;
}

qint64 Parser::drawnCount(const std::vector<Entity>& entities, int depth,
                          QHash<const Block*, qint64>& counted) {
    qint64 total = 0;
    for (const Entity& entity : entities) {
        total += depth > 0 ? 1 : 0;
        const auto* insert = std::get_if<InsertData>(&entity.data);
        const auto found = insert != nullptr ? blocks_.constFind(insert->key) : blocks_.constEnd();
        if (found != blocks_.constEnd() && depth < kMaxBlockNesting) {
            const Block* block = &*found;
            if (!counted.contains(block)) {
                counted.insert(block, 0);  // while it is counted, a reference to it draws nothing
                counted.insert(block, drawnCount(block->entities, depth + 1, counted));
            }
            const double cells = static_cast<double>(insert->columns) * insert->rows;
            total = static_cast<qint64>(std::min(
                static_cast<double>(total) + cells * static_cast<double>(1 + counted[block]),
                static_cast<double>(kMaxExpandedEntities + 1)));
        }
        if (total > kMaxExpandedEntities) {
            return kMaxExpandedEntities + 1;
        }
    }
    return total;
}

bool Parser::countExpanded() {
    if (++expanded_ > kMaxExpandedEntities) {
        fail(QStringLiteral("图块展开后的对象超过 %1 个").arg(kMaxExpandedEntities));
        return false;
    }
    return true;
}

namespace {

// The entity's layer, or where it is on layer "0" inside a block, its reference's.
const QString& layerOf(const Entity& entity, const Frame& frame) {
    return frame.depth > 0 && entity.layer == QLatin1String("0") ? frame.layer : entity.layer;
}

}  // namespace

bool Parser::draw(const std::vector<Entity>& entities, const Frame& frame) {
    for (const Entity& entity : entities) {
        if (frame.depth > 0 && !countExpanded()) {
            return false;
        }
        const QString& layerName = layerOf(entity, frame);
        const QString handle = frame.path + entity.handle;
        const Affine map = frame.map * entity.place;
        bool drawn = true;
        std::visit(
            [&](const auto& data) {
                using Data = std::decay_t<decltype(data)>;
                if constexpr (std::is_same_v<Data, PolylineData>) {
                    keepPolyline(handle, layerName, mapped(map, data.vertices, data.closed),
                                 data.closed, data.tooMany, data.type, frame.depth);
                } else if constexpr (std::is_same_v<Data, SegmentData>) {
                    DxfSegment segment{handle, layerName, map(data.a), map(data.b),
                                       mappedBulge(map, data.a, data.b, data.bulge)};
                    if (!finite(segment.a) || !finite(segment.b)) {
                        return;
                    }
                    boxAncestors({{segment.a, segment.bulge}, {segment.b, 0}}, false);
                    if (data.arc) {
                        for (const Ancestor& ancestor : ancestors_) {
                            drawn = drawn && countExpanded();
                            drawing_.references[ancestor.reference].arcs.push_back(segment);
                        }
                    }
                    drawing_.segments.push_back(std::move(segment));
                } else if constexpr (std::is_same_v<Data, CurveData>) {
                    const auto* ellipse = std::get_if<EllipseArc>(&data.curve);
                    if (ellipse != nullptr) {
                        const EllipseArc world = mapped(map, *ellipse);
                        const double radius = std::hypot(world.major.x, world.major.y);
                        if (data.kind == QLatin1String("CIRCLE") && map.conformal()) {
                            // Two halves, exact.
                            const core::PlanPoint c = world.center;
                            keepPolyline(handle, layerName,
                                         {{{c.x - radius, c.y}, 1}, {{c.x + radius, c.y}, 1}}, true,
                                         false, data.kind, frame.depth, world.area());
                            return;
                        }
                        std::vector<core::BulgeVertex> vertices;
                        const double size =
                            2 * std::hypot(radius, std::hypot(world.minor.x, world.minor.y));
                        for (const core::PlanPoint& p : sampled(world, tolerance(size))) {
                            vertices.push_back({p, 0});
                        }
                        const bool full = world.full();
                        keepPolyline(handle, layerName, std::move(vertices), full, false, data.kind,
                                     frame.depth,
                                     full ? std::optional(world.area()) : std::nullopt);
                        return;
                    }
                    const Spline world = mapped(map, std::get<Spline>(data.curve));
                    const double size = extent(world.control.empty() ? world.fit : world.control);
                    std::vector<core::BulgeVertex> vertices;
                    for (const core::PlanPoint& p : sampled(world, tolerance(size))) {
                        vertices.push_back({p, 0});
                    }
                    std::optional<double> area;
                    if (world.closed) {
                        area = core::area(sampled(world, tolerance(size) / 100));
                    }
                    keepPolyline(handle, layerName, std::move(vertices), world.closed, false,
                                 data.kind, frame.depth, area);
                } else if constexpr (std::is_same_v<Data, HatchData>) {
                    for (std::size_t i = 0; i < data.paths.size(); ++i) {
                        keepPolyline(handle + u'#' + QString::number(i + 1), layerName,
                                     mapped(map, data.paths[i], true), true, false,
                                     QStringLiteral("HATCH"), frame.depth);
                    }
                } else if constexpr (std::is_same_v<Data, TextData>) {
                    DxfText text = data.text;
                    text.handle = handle;
                    text.layer = layerName;
                    text.at = map(text.at);
                    const core::PlanPoint up = map.linear({0, 1});
                    text.height *= std::hypot(up.x, up.y);
                    if (!finite(text.at) || !std::isfinite(text.height)) {
                        return;
                    }
                    boxAncestors({{text.at, 0}}, false);
                    drawing_.texts.push_back(std::move(text));
                } else if constexpr (std::is_same_v<Data, InsertData>) {
                    drawn = drawReference(entity, data, frame);
                } else if (data.unknown) {
                    auto& tally = drawing_.unknownEntities;
                    if (tally.size() < kMaxUnknownTypes || tally.contains(data.type)) {
                        ++tally[data.type];
                    } else {
                        ++tally[QStringLiteral("其他")];
                    }
                } else if (frame.depth == 0) {
                    ++drawing_.otherEntities[data.type];
                }
            },
            entity.data);
        if (!drawn) {
            return false;
        }
    }
    return true;
}

bool Parser::drawReference(const Entity& entity, const InsertData& insert, const Frame& frame) {
    const auto found = blocks_.constFind(insert.key);
    if (found == blocks_.constEnd() || frame.depth >= kMaxBlockNesting ||
        std::ranges::find(blocksDrawn_, &*found) != blocksDrawn_.end()) {
        ++drawing_.blockFaults;
        return true;
    }
    const Block& block = *found;
    const Affine map = frame.map * entity.place;
    const QString handle = frame.path + entity.handle;
    const QString layer = layerOf(entity, frame);
    const bool array = insert.columns > 1 || insert.rows > 1;
    for (int row = 0; row < insert.rows; ++row) {
        for (int column = 0; column < insert.columns; ++column) {
            if (!countExpanded()) {
                return false;
            }
            const Affine cell =
                map * Affine::translation(insert.at) * Affine::rotation(insert.rotation * kDegree) *
                Affine::translation({column * insert.columnSpacing, row * insert.rowSpacing}) *
                Affine::scaling(insert.xScale, insert.yScale) *
                Affine::translation({-block.base.x, -block.base.y});
            // A map beyond what numbers hold draws nothing.
            if (!std::ranges::all_of(std::array{cell.a, cell.b, cell.c, cell.d, cell.e, cell.f},
                                     [](double x) { return std::isfinite(x); })) {
                ++drawing_.blockFaults;
                continue;
            }
            const QString reference =
                array ? handle + QStringLiteral("[%1,%2]").arg(row).arg(column) : handle;
            drawing_.references.push_back({reference,
                                           layer,
                                           block.name,
                                           cell(block.base),
                                           cell.linear({1, 0}),
                                           cell.linear({0, 1}),
                                           {},
                                           {}});
            boxes_.emplace_back();
            // The box is in block coordinates from the base point.
            const auto toBlock = cell.inverse();
            ancestors_.push_back(
                {drawing_.references.size() - 1,
                 toBlock
                     ? std::optional(Affine::translation({-block.base.x, -block.base.y}) * *toBlock)
                     : std::nullopt});
            blocksDrawn_.push_back(&block);
            const bool drawn =
                draw(block.entities, Frame{cell, reference + u'/', layer, frame.depth + 1});
            blocksDrawn_.pop_back();
            ancestors_.pop_back();
            if (!drawn) {
                return false;
            }
        }
    }
    return true;
}

void Parser::boxAncestors(const std::vector<core::BulgeVertex>& vertices, bool closed) {
    for (const Ancestor& ancestor : ancestors_) {
        if (ancestor.toBlock) {
            boxes_[ancestor.reference].add(mapped(*ancestor.toBlock, vertices, closed), closed);
        }
    }
}

// Keeps the polyline; one that is not closed is also counted among model space's other entities
// by its kind.
void Parser::keepPolyline(const QString& handle, const QString& layer,
                          std::vector<core::BulgeVertex> points, bool closed, bool tooMany,
                          const QString& kind, int depth, std::optional<double> area) {
    DxfPolyline polyline;
    polyline.handle = handle;
    polyline.layer = layer;
    polyline.closed = closed;
    polyline.kind = kind;
    polyline.area = area;
    if (tooMany || points.size() > kMaxVertices) {
        polyline.fault = QStringLiteral("顶点超过%1个").arg(kMaxPolylineVertices);
        points.clear();
    }
    // Coordinates that a reference's map took beyond what numbers hold.
    if (!std::ranges::all_of(points, [](const core::BulgeVertex& v) { return finite(v.at); })) {
        polyline.fault = QStringLiteral("坐标超出范围");
        points.clear();
    }
    if (polyline.area && !std::isfinite(*polyline.area)) {
        polyline.area.reset();
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
    if (!polyline.closed && depth == 0) {
        ++drawing_.otherEntities[kind];
    }
    boxAncestors(points, polyline.closed);
    polyline.vertices = std::move(points);
    drawing_.polylines.push_back(std::move(polyline));
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

QString proprietaryNotice(const DxfDrawing& drawing) {
    std::vector<std::pair<int, QString>> found;
    int total = 0;
    for (const auto& [type, count] : drawing.unknownEntities) {
        if (type.startsWith(QLatin1String("TCH_"), Qt::CaseInsensitive) ||
            type.startsWith(QLatin1String("AEC_"), Qt::CaseInsensitive) ||
            type == QLatin1String("ACAD_PROXY_ENTITY") || drawing.classes.contains(type)) {
            found.emplace_back(-count, type);
            total += count;
        }
    }
    if (found.empty()) {
        return {};
    }
    std::ranges::sort(found);
    QStringList types;
    for (const auto& entry : found) {
        types << entry.second;
    }
    return QStringLiteral(
               "图纸含 %1 个专业软件对象（%2），请在原软件中导出为 T3 格式或分解后再导入")
        .arg(total)
        .arg(types.join(QStringLiteral("、")));
}

}  // namespace io
