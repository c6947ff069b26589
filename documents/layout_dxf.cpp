#include "layout_dxf.h"

#include <QByteArray>
#include <QDir>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "code_page.h"
#include "dxf_groups.h"
#include "dxf_reader.h"
#include "file_commit.h"
#include "file_errors.h"
#include "floor_layout.h"
#include "layout_files.h"
#include "layout_symbols.h"
#include "polygon.h"
#include "project_tables.h"
#include "reach_map.h"
#include "unit_rooms.h"
#include "unit_texts.h"

namespace documents {

namespace {

QString failure(const QString& fileName, const QString& reason) {
    return QStringLiteral("无法保存DXF文件“%1”：%2。")
        .arg(QDir::toNativeSeparators(fileName), reason);
}

// Text heights on paper, in millimetres: the labels', and the headings'.
constexpr double kLabelHeight = 3.5;
constexpr double kHeadingHeight = 5;

// The layers, in the order of the LAYER table after layer 0.
enum Layer : std::uint8_t { Symbols, Labels, Reach, Units, Legend, kLayers };
struct LayerLook {
    const char16_t* name;
    int colour;
    bool dashed;
    bool plotted;
};
constexpr std::array<LayerLook, kLayers> kLayerLooks{{
    {u"灭火器", 1, false, true},
    {u"灭火器标注", 7, false, true},
    {u"灭火器保护范围", 5, true, false},
    {u"计算单元", 4, false, true},
    {u"图例", 7, false, true},
}};

constexpr std::array<core::Mount, 2> kMounts{core::Mount::Portable, core::Mount::Wheeled};
QString blockName(core::Mount mount) {
    return mount == core::Mount::Portable ? QStringLiteral("手提式灭火器")
                                          : QStringLiteral("推车式灭火器");
}
// The attributes of a symbol's block, in order.
constexpr std::array<const char16_t*, 3> kAttributes{u"编号", u"型号", u"数量"};

constexpr char kTextStyle[] = "宋体";
constexpr char kDashed[] = "DASHED";

// The handles of the tables, the blocks and the objects that every drawing has, counted from 1 in
// the order of this struct; the entities' follow.
struct Handles {
    std::uint32_t next = 1;
    std::uint32_t take() { return next++; }

    std::uint32_t vportTable = take(), ltypeTable = take(), layerTable = take(),
                  styleTable = take(), viewTable = take(), ucsTable = take(), appidTable = take(),
                  dimstyleTable = take(), blockRecordTable = take();
    std::uint32_t vport = take();
    std::array<std::uint32_t, 4> ltypes{take(), take(), take(), take()};
    std::uint32_t layerZero = take();
    std::array<std::uint32_t, kLayers> layers{take(), take(), take(), take(), take()};
    std::uint32_t standardStyle = take(), textStyle = take();
    std::uint32_t appidAcad = take(), dimstyle = take();
    std::uint32_t modelRecord = take(), paperRecord = take();
    std::array<std::uint32_t, 2> symbolRecords{take(), take()};
    std::uint32_t modelBlock = take(), modelEnd = take(), paperBlock = take(), paperEnd = take();
    std::array<std::uint32_t, 2> symbolBlocks{take(), take()};
    std::array<std::uint32_t, 2> symbolEnds{take(), take()};
    std::uint32_t root = take(), groups = take(), layouts = take(), mlineStyles = take(),
                  plotStyles = take(), plotStyleNormal = take(), mlineStandard = take(),
                  modelLayout = take(), paperLayout = take();
};

// A table's head: its entries follow.
void tableHead(DxfGroups& g, std::uint32_t handle, const char* name, int entries) {
    g.add(0, "TABLE");
    g.add(2, name);
    g.handle(5, handle);
    g.handle(330, 0);
    g.add(100, "AcDbSymbolTable");
    g.integer(70, entries);
}

void entryHead(DxfGroups& g, const char* type, std::uint32_t handle, std::uint32_t table,
               const char* subclass) {
    g.add(0, type);
    g.handle(std::string_view(type) == "DIMSTYLE" ? 105 : 5, handle);
    g.handle(330, table);
    g.add(100, "AcDbSymbolTableRecord");
    g.add(100, subclass);
}

// An estimate of a text's width on paper at a height, in millimetres: a Chinese character as
// wide as it is high, another character six tenths of that.
double textWidth(const QString& text, double height) {
    double width = 0;
    for (const QChar c : text) {
        width += (c.unicode() < 0x2E80 ? 0.6 : 1.0) * height;
    }
    return width;
}

class LayoutWriter {
  public:
    LayoutWriter(const core::Project& project, const core::FloorLayout& floor)
        : project_(project),
          floor_(floor),
          unit_(io::unitFromName(QString::fromStdString(floor.drawingUnit))
                    .value_or(io::DrawingUnit::Millimetre)),
          perMetre_(1 / io::metresPerUnit(unit_)),
          scale_(std::clamp(project.info.drawingScale, core::ProjectInfo::kMinDrawingScale,
                            core::ProjectInfo::kMaxDrawingScale)) {}

    // The drawing's bytes; none where `progress` stops it.
    std::optional<QByteArray> write(const Progress& progress) {
        DxfGroups body(io::kGbkCodePage);
        tables(body);
        blocks(body);
        body.add(0, "SECTION");
        body.add(2, "ENTITIES");
        const int total = static_cast<int>(floor_.units.size());
        for (int i = 0; i < total; ++i) {
            if (progress && !progress(i, total)) {
                return std::nullopt;
            }
            unit(body, floor_.units[static_cast<std::size_t>(i)]);
        }
        legend(body);
        body.add(0, "ENDSEC");
        objects(body);
        body.add(0, "EOF");
        DxfGroups head(io::kGbkCodePage);
        header(head);
        if (progress && !progress(total, total)) {
            return std::nullopt;
        }
        return head.bytes() + body.bytes();
    }

  private:
    // Metres in the drawing's unit, and millimetres on paper at the drawing's scale.
    [[nodiscard]] double fromMetres(double metres) const { return metres * perMetre_; }
    [[nodiscard]] double paper(double millimetres) const {
        return fromMetres(millimetres * scale_ / 1000);
    }

    void grow(double x, double y) {
        extent_.min = {std::min(extent_.min.x, x), std::min(extent_.min.y, y)};
        extent_.max = {std::max(extent_.max.x, x), std::max(extent_.max.y, y)};
    }

    void header(DxfGroups& g) const {
        const auto variable = [&g](const char* name) { g.add(9, name); };
        g.add(0, "SECTION");
        g.add(2, "HEADER");
        // The variables that are the same in every drawing, the version first.
        struct Fixed {
            const char* name;
            int code;
            const char* value;
        };
        static constexpr Fixed kFixed[] = {{"$ACADVER", 1, "AC1015"},
                                           {"$ACADMAINTVER", 70, "6"},
                                           {"$DWGCODEPAGE", 3, "ANSI_936"},
                                           {"$LTSCALE", 40, "1.0"},
                                           {"$CLAYER", 8, "0"},
                                           {"$CELTYPE", 6, "ByLayer"},
                                           {"$CECOLOR", 62, "256"},
                                           {"$DIMSTYLE", 2, "Standard"},
                                           {"$LUNITS", 70, "2"},
                                           {"$LUPREC", 70, "4"},
                                           {"$PSTYLEMODE", 290, "1"}};
        for (const Fixed& fixed : kFixed) {
            variable(fixed.name);
            g.add(fixed.code, fixed.value);
        }
        variable("$INSBASE");
        g.point(0, 0);
        for (const bool least : {true, false}) {
            const core::PlanPoint corner = least ? extent_.min : extent_.max;
            variable(least ? "$EXTMIN" : "$EXTMAX");
            g.point(corner.x, corner.y);
            variable(least ? "$LIMMIN" : "$LIMMAX");
            g.point(corner.x, corner.y, 10, false);
        }
        variable("$TEXTSIZE");
        g.real(40, paper(kLabelHeight));
        variable("$TEXTSTYLE");
        g.text(7, QString::fromUtf8(kTextStyle));
        variable("$HANDSEED");
        g.handle(5, handles_.next);
        // Imperial units where the drawing's unit is one.
        constexpr std::array kImperial{
            io::DrawingUnit::Inch,         io::DrawingUnit::Foot,
            io::DrawingUnit::Yard,         io::DrawingUnit::Mile,
            io::DrawingUnit::Mil,          io::DrawingUnit::Microinch,
            io::DrawingUnit::UsSurveyFoot, io::DrawingUnit::UsSurveyInch,
            io::DrawingUnit::UsSurveyYard, io::DrawingUnit::UsSurveyMile};
        const bool imperial = std::ranges::find(kImperial, unit_) != kImperial.end();
        variable("$MEASUREMENT");
        g.integer(70, imperial ? 0 : 1);
        variable("$INSUNITS");
        g.integer(70, declaredUnits());
        g.add(0, "ENDSEC");
        g.add(0, "SECTION");
        g.add(2, "CLASSES");
        g.add(0, "ENDSEC");
    }

    void tables(DxfGroups& g) const {
        const Handles& h = handles_;
        g.add(0, "SECTION");
        g.add(2, "TABLES");

        tableHead(g, h.vportTable, "VPORT", 1);
        entryHead(g, "VPORT", h.vport, h.vportTable, "AcDbViewportTableRecord");
        g.add(2, "*Active");
        g.integer(70, 0);
        g.point(0, 0, 10, false);
        g.point(1, 1, 11, false);
        const core::PlanBox box = floorBox();
        g.point((box.min.x + box.max.x) / 2, (box.min.y + box.max.y) / 2, 12, false);
        g.point(0, 0, 13, false);
        g.point(0, 0, 14, false);  // no snap spacing: the drawing's own
        g.point(0, 0, 15, false);
        g.point(0, 0, 16);
        g.point(0, 0, 17);
        g.real(40, std::max(box.max.y - box.min.y, paper(100)) * 1.1);
        g.real(41, 1.5);
        g.real(42, 50);
        g.real(43, 0);
        g.real(44, 0);
        g.real(50, 0);
        g.real(51, 0);
        g.integer(71, 0);
        g.integer(72, 1000);
        g.integer(73, 1);
        g.integer(74, 3);
        g.integer(75, 0);
        g.integer(76, 0);
        g.integer(77, 0);
        g.integer(78, 0);
        g.integer(281, 0);
        g.integer(65, 0);
        g.add(0, "ENDTAB");

        tableHead(g, h.ltypeTable, "LTYPE", static_cast<int>(h.ltypes.size()));
        const std::array<const char*, 4> ltypes{"ByBlock", "ByLayer", "Continuous", kDashed};
        for (std::size_t i = 0; i < ltypes.size(); ++i) {
            entryHead(g, "LTYPE", h.ltypes[i], h.ltypeTable, "AcDbLinetypeTableRecord");
            g.add(2, ltypes[i]);
            g.integer(70, 0);
            const bool dashed = ltypes[i] == std::string_view(kDashed);
            g.add(3, dashed ? "__ __ __ __" : (i == 2 ? "Solid line" : ""));
            g.integer(72, 65);
            g.integer(73, dashed ? 2 : 0);
            // Dashes of 3 mm and gaps of 1.5 mm on paper.
            g.real(40, dashed ? paper(4.5) : 0);
            if (dashed) {
                g.real(49, paper(3));
                g.integer(74, 0);
                g.real(49, -paper(1.5));
                g.integer(74, 0);
            }
        }
        g.add(0, "ENDTAB");

        tableHead(g, h.layerTable, "LAYER", kLayers + 1);
        const auto layer = [&](std::uint32_t handle, const QString& name, int colour,
                               const char* linetype, bool plotted) {
            entryHead(g, "LAYER", handle, h.layerTable, "AcDbLayerTableRecord");
            g.text(2, name);
            g.integer(70, 0);
            g.integer(62, colour);
            g.add(6, linetype);
            if (!plotted) {
                g.integer(290, 0);
            }
            g.integer(370, -3);
            g.handle(390, h.plotStyleNormal);
        };
        layer(h.layerZero, QStringLiteral("0"), 7, "Continuous", true);
        for (std::size_t i = 0; i < kLayers; ++i) {
            const LayerLook& look = kLayerLooks[i];
            layer(h.layers[i], QString::fromUtf16(look.name), look.colour,
                  look.dashed ? kDashed : "Continuous", look.plotted);
        }
        g.add(0, "ENDTAB");

        tableHead(g, h.styleTable, "STYLE", 2);
        const auto style = [&](std::uint32_t handle, const QString& name, double height,
                               const char* font) {
            entryHead(g, "STYLE", handle, h.styleTable, "AcDbTextStyleTableRecord");
            g.text(2, name);
            g.integer(70, 0);
            g.real(40, 0);
            g.real(41, 1);
            g.real(50, 0);
            g.integer(71, 0);
            g.real(42, height);
            g.add(3, font);
            g.add(4, "");
        };
        style(h.standardStyle, QStringLiteral("Standard"), 2.5, "txt");
        // The Chinese texts' style: the TrueType font 宋体, whose family and character set (134,
        // GB2312) CAD programs read from its extended data.
        style(h.textStyle, QString::fromUtf8(kTextStyle), paper(kLabelHeight), "simsun.ttc");
        g.add(1001, "ACAD");
        g.add(1000, "SimSun");
        g.integer(1071, (134 << 8) | 2);
        g.add(0, "ENDTAB");

        tableHead(g, h.viewTable, "VIEW", 0);
        g.add(0, "ENDTAB");
        tableHead(g, h.ucsTable, "UCS", 0);
        g.add(0, "ENDTAB");

        tableHead(g, h.appidTable, "APPID", 1);
        entryHead(g, "APPID", h.appidAcad, h.appidTable, "AcDbRegAppTableRecord");
        g.add(2, "ACAD");
        g.integer(70, 0);
        g.add(0, "ENDTAB");

        tableHead(g, h.dimstyleTable, "DIMSTYLE", 1);
        g.add(100, "AcDbDimStyleTable");
        entryHead(g, "DIMSTYLE", h.dimstyle, h.dimstyleTable, "AcDbDimStyleTableRecord");
        g.add(2, "Standard");
        g.integer(70, 0);
        g.real(40, 1);
        g.real(41, 2.5);
        g.real(140, 2.5);
        g.integer(77, 1);
        g.integer(78, 8);
        g.integer(271, 2);
        g.add(0, "ENDTAB");

        tableHead(g, h.blockRecordTable, "BLOCK_RECORD", 4);
        const auto record = [&](std::uint32_t handle, const QString& name, std::uint32_t layout) {
            entryHead(g, "BLOCK_RECORD", handle, h.blockRecordTable, "AcDbBlockTableRecord");
            g.text(2, name);
            g.handle(340, layout);
        };
        record(h.modelRecord, QStringLiteral("*Model_Space"), h.modelLayout);
        record(h.paperRecord, QStringLiteral("*Paper_Space"), h.paperLayout);
        for (std::size_t i = 0; i < kMounts.size(); ++i) {
            record(h.symbolRecords[i], blockName(kMounts[i]), 0);
        }
        g.add(0, "ENDTAB");
        g.add(0, "ENDSEC");
    }

    // An entity's head, in model space unless an owner is given.
    void entity(DxfGroups& g, const char* type, std::uint32_t handle, const QString& layer,
                std::uint32_t owner = 0) const {
        g.add(0, type);
        g.handle(5, handle);
        g.handle(330, owner == 0 ? handles_.modelRecord : owner);
        g.add(100, "AcDbEntity");
        g.text(8, layer);
    }
    static QString layerName(Layer layer) { return QString::fromUtf16(kLayerLooks[layer].name); }

    void polyline(DxfGroups& g, const std::vector<core::PlanPoint>& points, bool closed,
                  const QString& layer, std::uint32_t owner = 0) {
        entity(g, "LWPOLYLINE", handles_.take(), layer, owner);
        g.add(100, "AcDbPolyline");
        g.integer(90, static_cast<std::int64_t>(points.size()));
        g.integer(70, closed ? 1 : 0);
        for (const core::PlanPoint p : points) {
            g.point(p.x, p.y, 10, false);
            if (owner == 0) {
                grow(p.x, p.y);
            }
        }
    }

    void line(DxfGroups& g, core::PlanPoint a, core::PlanPoint b) {
        entity(g, "LINE", handles_.take(), layerName(Legend));
        g.add(100, "AcDbLine");
        g.point(a.x, a.y);
        g.point(b.x, b.y, 11);
        grow(a.x, a.y);
        grow(b.x, b.y);
    }

    // How a text lies about its point.
    enum class Align : std::uint8_t { BaseLeft, Middle };
    // A text's common groups after its head.
    void textBody(DxfGroups& g, core::PlanPoint at, double height, const QString& text,
                  Align align) {
        g.add(100, "AcDbText");
        g.point(at.x, at.y);
        g.real(40, height);
        g.text(1, text);
        g.text(7, QString::fromUtf8(kTextStyle));
        if (align == Align::Middle) {
            g.integer(72, 1);
            g.point(at.x, at.y, 11);
        }
    }
    void text(DxfGroups& g, core::PlanPoint at, double paperHeight, const QString& text,
              Layer layer, Align align = Align::BaseLeft) {
        entity(g, "TEXT", handles_.take(), layerName(layer));
        const double height = paper(paperHeight);
        textBody(g, at, height, text, align);
        g.add(100, "AcDbText");
        if (align == Align::Middle) {
            g.integer(73, 2);
        }
        const double width = paper(textWidth(text, paperHeight));
        const double left = align == Align::Middle ? at.x - width / 2 : at.x;
        const double bottom = align == Align::Middle ? at.y - height / 2 : at.y;
        grow(left, bottom);
        grow(left + width, bottom + height);
    }

    // A reference to a symbol's block, with its attributes where given.
    void insert(DxfGroups& g, core::Mount mount, core::PlanPoint at, Layer layer,
                const std::array<QString, 3>* attributes) {
        const std::uint32_t handle = handles_.take();
        entity(g, "INSERT", handle, layerName(layer));
        g.add(100, "AcDbBlockReference");
        if (attributes != nullptr) {
            g.integer(66, 1);
        }
        g.text(2, blockName(mount));
        g.point(at.x, at.y);
        const ExtinguisherSymbol& symbol = extinguisherSymbol(mount);
        grow(at.x - paper(symbol.halfWidth), at.y - paper(symbol.halfHeight));
        grow(at.x + paper(symbol.halfWidth), at.y + paper(symbol.halfHeight));
        if (attributes == nullptr) {
            return;
        }
        for (std::size_t i = 0; i < kAttributes.size(); ++i) {
            entity(g, "ATTRIB", handles_.take(), layerName(layer), handle);
            textBody(g, at, paper(kLabelHeight), (*attributes)[i], Align::BaseLeft);
            g.add(100, "AcDbAttribute");
            g.text(2, QString::fromUtf16(kAttributes[i]));
            g.integer(70, 1);  // invisible: the label shows them
        }
        entity(g, "SEQEND", handles_.take(), layerName(layer), handle);
    }

    void blocks(DxfGroups& g) {
        const Handles& h = handles_;
        g.add(0, "SECTION");
        g.add(2, "BLOCKS");
        const auto block = [&](std::uint32_t record, std::uint32_t begin, const QString& name,
                               bool attributes) {
            entity(g, "BLOCK", begin, QStringLiteral("0"), record);
            g.add(100, "AcDbBlockBegin");
            g.text(2, name);
            g.integer(70, attributes ? 2 : 0);
            g.point(0, 0);
            g.text(3, name);
            g.add(1, "");
        };
        const auto end = [&](std::uint32_t record, std::uint32_t handle) {
            entity(g, "ENDBLK", handle, QStringLiteral("0"), record);
            g.add(100, "AcDbBlockEnd");
        };
        block(h.modelRecord, h.modelBlock, QStringLiteral("*Model_Space"), false);
        end(h.modelRecord, h.modelEnd);
        block(h.paperRecord, h.paperBlock, QStringLiteral("*Paper_Space"), false);
        end(h.paperRecord, h.paperEnd);
        // The symbols, drawn on layer 0 so that they take the look of the reference's layer.
        for (std::size_t i = 0; i < kMounts.size(); ++i) {
            const std::uint32_t record = h.symbolRecords[i];
            block(record, h.symbolBlocks[i], blockName(kMounts[i]), true);
            const ExtinguisherSymbol& symbol = extinguisherSymbol(kMounts[i]);
            const auto scaled = [&](const std::vector<SymbolPoint>& points) {
                std::vector<core::PlanPoint> drawn;
                for (const SymbolPoint p : points) {
                    drawn.push_back({paper(p.x), paper(p.y)});
                }
                return drawn;
            };
            for (const auto& outline : symbol.closed) {
                polyline(g, scaled(outline), true, QStringLiteral("0"), record);
            }
            for (const auto& open : symbol.open) {
                polyline(g, scaled(open), false, QStringLiteral("0"), record);
            }
            for (const SymbolCircle& circle : symbol.circles) {
                entity(g, "CIRCLE", handles_.take(), QStringLiteral("0"), record);
                g.add(100, "AcDbCircle");
                g.point(paper(circle.centre.x), paper(circle.centre.y));
                g.real(40, paper(circle.radius));
            }
            for (const char16_t* tag : kAttributes) {
                entity(g, "ATTDEF", handles_.take(), QStringLiteral("0"), record);
                textBody(g, {paper(symbol.halfWidth), 0}, paper(kLabelHeight), QString(),
                         Align::BaseLeft);
                g.add(100, "AcDbAttributeDefinition");
                g.text(3, QString::fromUtf16(tag));
                g.text(2, QString::fromUtf16(tag));
                g.integer(70, 1);
            }
            end(record, h.symbolEnds[i]);
        }
        g.add(0, "ENDSEC");
    }

    // The $INSUNITS of the drawings the floor's rooms came from, so that CAD lays this drawing
    // over them unscaled however they declare their unit: none (0) where they declare none, and
    // the unit read in where that is not known.
    [[nodiscard]] int declaredUnits() const {
        for (const std::size_t index : floor_.units) {
            // A unit's own drawing, or those of a combined unit's rooms.
            const core::Unit& unit = project_.units[index];
            std::vector<const core::PlanSource*> plans;
            if (unit.plan) {
                plans.push_back(&*unit.plan);
            }
            for (const core::UnitRoom& room : unit.rooms) {
                if (room.plan) {
                    plans.push_back(&*room.plan);
                }
            }
            for (const core::PlanSource* plan : plans) {
                if (plan->declaredUnit) {
                    const auto declared =
                        io::unitFromName(QString::fromStdString(*plan->declaredUnit));
                    return declared ? io::insunitsCode(*declared) : 0;
                }
            }
        }
        return io::insunitsCode(unit_);
    }

    [[nodiscard]] core::PlanBox floorBox() const {
        return {{fromMetres(floor_.extent.min.x), fromMetres(floor_.extent.min.y)},
                {fromMetres(floor_.extent.max.x), fromMetres(floor_.extent.max.y)}};
    }

    // A ring in drawing units; one worked out here (not the project's own) to 1/1000 of a unit,
    // so that the last bits in which the systems' mathematical functions may differ do not show
    // in the file.
    [[nodiscard]] std::vector<core::PlanPoint> inDrawing(const core::Ring& ring,
                                                         bool worked = false) const {
        std::vector<core::PlanPoint> points;
        points.reserve(ring.size());
        for (const core::PlanPoint p : ring) {
            points.push_back(worked ? rounded({fromMetres(p.x), fromMetres(p.y)})
                                    : core::PlanPoint{fromMetres(p.x), fromMetres(p.y)});
        }
        return points;
    }
    static core::PlanPoint rounded(core::PlanPoint p) {
        return {std::round(p.x * 1000) / 1000, std::round(p.y * 1000) / 1000};
    }

    // Where a setting point's label goes: to the right of its symbol, else to the left, above or
    // below it, the first of these that lies inside the room and clear of the boxes `taken` (the
    // unit's symbols and the labels placed before); to the right where none does. The box, in
    // drawing units, from its baseline's left end.
    [[nodiscard]] core::PlanBox labelBox(core::PlanPoint p, const ExtinguisherSymbol& symbol,
                                         const QString& label,
                                         const std::vector<core::PlanPoint>& room,
                                         const std::vector<core::PlanBox>& taken) const {
        const double width = paper(textWidth(label, kLabelHeight));
        const double height = paper(kLabelHeight);
        const double beside = paper(symbol.halfWidth + 1.5);
        const double over = paper(symbol.halfHeight + 1);
        const std::array<core::PlanPoint, 4> corners{{{p.x + beside, p.y - height / 2},
                                                      {p.x - beside - width, p.y - height / 2},
                                                      {p.x - width / 2, p.y + over},
                                                      {p.x - width / 2, p.y - over - height}}};
        const auto apart = [](const core::PlanBox& a, const core::PlanBox& b) {
            return a.max.x <= b.min.x || b.max.x <= a.min.x || a.max.y <= b.min.y ||
                   b.max.y <= a.min.y;
        };
        for (const core::PlanPoint corner : corners) {
            const core::PlanBox box{rounded(corner),
                                    rounded({corner.x + width, corner.y + height})};
            const bool inside = std::ranges::all_of(
                std::array<core::PlanPoint, 4>{
                    box.min, box.max, {box.min.x, box.max.y}, {box.max.x, box.min.y}},
                [&room](core::PlanPoint q) { return core::coveredBy(q, room); });
            if (inside && std::ranges::all_of(taken, [&](const core::PlanBox& other) {
                    return apart(box, other);
                })) {
                return box;
            }
        }
        return {rounded(corners[0]), rounded({corners[0].x + width, corners[0].y + height})};
    }

    // A unit: its outline with its number and name, its points' symbols and labels, their reach.
    void unit(DxfGroups& g, std::size_t index) {
        const core::Unit& unit = project_.units[index];
        const core::UnitDesign design = core::design(unit);
        // A combined unit is drawn as its rooms, with one label in the largest.
        const std::vector<core::RoomShape> shapes = core::unitShapes(unit);
        for (const core::RoomShape& shape : shapes) {
            polyline(g, inDrawing(shape.outline), true, layerName(Units));
            for (const core::Ring& hole : shape.holes) {
                polyline(g, inDrawing(hole), true, layerName(Units));
            }
        }
        const QString name = QString::number(index + 1) + u' ' + qs(unit.name);
        core::PlanPoint at = unitLabelPoint(unit);
        at = rounded({fromMetres(at.x), fromMetres(at.y)});
        // Moved below a symbol that stands where the name would.
        const double halfWidth = paper(textWidth(name, kLabelHeight)) / 2 + paper(4);
        for (const core::PlanPoint point : unit.setPoints) {
            const core::PlanPoint p{fromMetres(point.x), fromMetres(point.y)};
            if (std::abs(p.x - at.x) < halfWidth && std::abs(p.y - at.y) < paper(6)) {
                at.y = p.y - paper(8);
            }
        }
        text(g, at, kLabelHeight, name, Units, Align::Middle);

        const bool configured = design.configured();
        const core::Mount mount = configured ? design.chosenModel().mount : core::Mount::Portable;
        const QString code = configured ? qs(design.chosenModel().code) : QString();
        const QString count =
            configured ? QString::number(design.configuration.perPoint) : QString();
        const ExtinguisherSymbol& symbol = extinguisherSymbol(mount);
        // The room of each point: the one that holds it (the first, for one in a doorway).
        std::vector<std::vector<core::PlanPoint>> rooms;
        for (const core::RoomShape& shape : shapes) {
            rooms.push_back(inDrawing(shape.outline));
        }
        const auto roomOf = [&](core::PlanPoint point) -> const std::vector<core::PlanPoint>& {
            for (std::size_t r = 0; r < shapes.size(); ++r) {
                if (core::coveredBy(point, shapes[r].outline)) {
                    return rooms[r];
                }
            }
            return rooms.front();
        };
        // The symbols' boxes, and then the labels' as they are placed, that a label keeps clear of.
        std::vector<core::PlanBox> taken;
        for (const core::PlanPoint point : unit.setPoints) {
            const core::PlanPoint p{fromMetres(point.x), fromMetres(point.y)};
            taken.push_back({{p.x - paper(symbol.halfWidth), p.y - paper(symbol.halfHeight)},
                             {p.x + paper(symbol.halfWidth), p.y + paper(symbol.halfHeight)}});
        }
        for (std::size_t i = 0; i < unit.setPoints.size(); ++i) {
            const QString number = qs(core::pointNumber(index, i));
            const core::PlanPoint p{fromMetres(unit.setPoints[i].x),
                                    fromMetres(unit.setPoints[i].y)};
            const std::array<QString, 3> attributes{number, code, count};
            insert(g, mount, p, Symbols, &attributes);
            const QString label =
                configured ? number + QStringLiteral("  ") + count + u'×' + code : number;
            const core::PlanBox box = labelBox(p, symbol, label, roomOf(unit.setPoints[i]), taken);
            taken.push_back(box);
            text(g, box.min, kLabelHeight, label, Labels);
        }
        if (configured && design.configuration.distance > 0 && !unit.setPoints.empty()) {
            for (const ReachPiece& piece : reachPieces(unit)) {
                for (const auto& rings :
                     core::reachOutlines(piece.outline, piece.points, design.configuration.distance,
                                         core::kReachOutlineCells, piece.holes)) {
                    for (const core::Ring& ring : rings) {
                        polyline(g, inDrawing(ring, true), true, layerName(Reach));
                    }
                }
            }
        }
    }

    // The legend to the right of the floor: the symbols and what they mean, a table of the
    // floor's units and the basis of the design.
    void legend(DxfGroups& g) {
        const core::PlanBox box = floorBox();
        const double left = box.max.x + paper(20);
        double y = box.max.y - paper(kHeadingHeight);
        text(g, {left, y}, kHeadingHeight, QStringLiteral("图例"), Legend);
        for (const core::Mount mount : kMounts) {
            y -= paper(10);
            insert(g, mount, {left + paper(4), y + paper(kLabelHeight) / 2}, Legend, nullptr);
            text(g, {left + paper(12), y}, kLabelHeight, blockName(mount), Legend);
        }

        const std::vector<QStringList> rows = floorTableRows(project_, designs(project_), floor_);
        std::vector<double> widths(static_cast<std::size_t>(rows.front().size()));
        for (const QStringList& row : rows) {
            for (std::size_t c = 0; c < widths.size(); ++c) {
                widths[c] = std::max(widths[c], textWidth(row.at(qsizetype(c)), kLabelHeight) + 4);
            }
        }
        const double rowHeight = paper(7);
        const double top = y - paper(8);
        double right = left;
        for (const double width : widths) {
            right += paper(width);
        }
        const double bottom = top - rowHeight * static_cast<double>(rows.size());
        for (std::size_t r = 0; r <= rows.size(); ++r) {
            const double at = top - rowHeight * static_cast<double>(r);
            line(g, {left, at}, {right, at});
        }
        double x = left;
        line(g, {x, top}, {x, bottom});
        for (const double width : widths) {
            x += paper(width);
            line(g, {x, top}, {x, bottom});
        }
        for (std::size_t r = 0; r < rows.size(); ++r) {
            double cell = left;
            const double middle = top - rowHeight * (static_cast<double>(r) + 0.5);
            for (std::size_t c = 0; c < widths.size(); ++c) {
                const QString& cellText = rows[r].at(qsizetype(c));
                if (!cellText.isEmpty()) {
                    text(g, {cell + paper(widths[c]) / 2, middle}, kLabelHeight, cellText, Legend,
                         Align::Middle);
                }
                cell += paper(widths[c]);
            }
        }
        text(g, {left, bottom - paper(8)}, kLabelHeight, kPlanBasis, Legend);
    }

    void objects(DxfGroups& g) const {
        const Handles& h = handles_;
        g.add(0, "SECTION");
        g.add(2, "OBJECTS");
        const auto dictionary =
            [&g](std::uint32_t handle, std::uint32_t owner,
                 std::initializer_list<std::pair<const char*, std::uint32_t>> entries) {
                g.add(0, "DICTIONARY");
                g.handle(5, handle);
                g.handle(330, owner);
                g.add(100, "AcDbDictionary");
                g.integer(281, 1);
                for (const auto& [name, entry] : entries) {
                    g.add(3, name);
                    g.handle(350, entry);
                }
            };
        dictionary(h.root, 0,
                   {{"ACAD_GROUP", h.groups},
                    {"ACAD_LAYOUT", h.layouts},
                    {"ACAD_MLINESTYLE", h.mlineStyles},
                    {"ACAD_PLOTSTYLENAME", h.plotStyles}});
        dictionary(h.groups, h.root, {});
        dictionary(h.layouts, h.root, {{"Model", h.modelLayout}, {"Layout1", h.paperLayout}});
        dictionary(h.mlineStyles, h.root, {{"Standard", h.mlineStandard}});
        g.add(0, "ACDBDICTIONARYWDFLT");
        g.handle(5, h.plotStyles);
        g.handle(330, h.root);
        g.add(100, "AcDbDictionary");
        g.integer(281, 1);
        g.add(3, "Normal");
        g.handle(350, h.plotStyleNormal);
        g.add(100, "AcDbDictionaryWithDefault");
        g.handle(340, h.plotStyleNormal);
        g.add(0, "ACDBPLACEHOLDER");
        g.handle(5, h.plotStyleNormal);
        g.handle(330, h.plotStyles);

        g.add(0, "MLINESTYLE");
        g.handle(5, h.mlineStandard);
        g.handle(330, h.mlineStyles);
        g.add(100, "AcDbMlineStyle");
        g.add(2, "Standard");
        g.integer(70, 0);
        g.add(3, "");
        g.integer(62, 256);
        g.real(51, 90);
        g.real(52, 90);
        g.integer(71, 2);
        for (const double offset : {0.5, -0.5}) {
            g.real(49, offset);
            g.integer(62, 256);
            g.add(6, "BYLAYER");
        }

        // The two layouts, on A3 paper.
        const auto layout = [&](bool model) {
            const std::uint32_t handle = model ? h.modelLayout : h.paperLayout;
            g.add(0, "LAYOUT");
            g.handle(5, handle);
            g.handle(330, h.layouts);
            g.add(100, "AcDbPlotSettings");
            g.add(1, "");
            g.add(2, "none_device");
            g.add(4, "ISO_A3_(420.00_x_297.00_MM)");
            g.add(6, "");
            for (const int code : {40, 41, 42, 43}) {
                g.real(code, 7.5);
            }
            g.real(44, 420);
            g.real(45, 297);
            for (const int code : {46, 47, 48, 49, 140, 141}) {
                g.real(code, 0);
            }
            g.real(142, 1);
            g.real(143, 1);
            g.integer(70, model ? 1024 : 0);
            g.integer(72, 1);
            g.integer(73, 1);
            g.integer(74, 5);
            g.add(7, "");
            g.integer(75, 16);
            g.integer(76, 0);
            g.integer(77, 2);
            g.integer(78, 300);
            g.real(147, 1);
            g.real(148, 0);
            g.real(149, 0);
            g.add(100, "AcDbLayout");
            g.add(1, model ? "Model" : "Layout1");
            g.integer(70, 1);
            g.integer(71, model ? 0 : 1);
            g.point(0, 0, 10, false);
            g.point(420, 297, 11, false);
            g.point(0, 0, 12);
            g.point(extent_.min.x, extent_.min.y, 14);
            g.point(extent_.max.x, extent_.max.y, 15);
            g.real(146, 0);
            g.point(0, 0, 13);
            g.point(1, 0, 16);
            g.point(0, 1, 17);
            g.integer(76, 0);
            g.handle(330, model ? h.modelRecord : h.paperRecord);
        };
        layout(true);
        layout(false);
        g.add(0, "ENDSEC");
    }

    const core::Project& project_;
    const core::FloorLayout& floor_;
    io::DrawingUnit unit_;
    double perMetre_;
    int scale_;
    Handles handles_;
    // What the entities cover, in drawing units.
    core::PlanBox extent_{{1e300, 1e300}, {-1e300, -1e300}};
};

}  // namespace

WriteOutcome writeLayoutDxf(const core::Project& project, const std::string& floor,
                            const QString& fileName, const Progress& progress) {
    if (auto fault = io::replaceFault(fileName)) {
        return {WriteStatus::Failed, failure(fileName, *fault)};
    }
    const auto floors = core::floorLayouts(project);
    const auto found = std::ranges::find(floors, floor, &core::FloorLayout::floor);
    if (const auto refusal = layoutRefusal(project, floor)) {
        return {WriteStatus::Failed, *refusal};
    }
    LayoutWriter writer(project, *found);
    const std::optional<QByteArray> bytes = writer.write(progress);
    if (!bytes) {
        return {WriteStatus::Cancelled, {}};
    }
    if (auto reason = io::writeWhole(fileName, *bytes)) {
        return {WriteStatus::Failed, failure(fileName, *reason)};
    }
    return {};
}

}  // namespace documents
