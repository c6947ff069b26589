#include "book_plan.h"

#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "layout_symbols.h"
#include "reach_map.h"
#include "schedule_columns.h"
#include "unit_rooms.h"
#include "unit_texts.h"

namespace documents {

namespace {

// The grid that hatches a unit's uncovered part: coarser than the plan view's, as fine as a
// page shows.
constexpr std::size_t kHatchCells = 20000;

// The scales a floor is drawn at, the least that fits; the last is the least a floor in parts is
// drawn at.
constexpr int kScales[] = {100, 150, 200, 250, 300, 400, 500};

// The side of the square that a room of the floor's middle size takes at least on paper, in
// millimetres.
constexpr double kLeastRoomMm = 14;

// The legend's measures in millimetres: the rows of the title, the symbols and the scale bar, and
// the largest key of a floor in parts.
constexpr double kLegendMm = 40;
constexpr double kKeyWidthMm = 46;
constexpr double kKeyHeightMm = 24;
constexpr double kKeyHeadMm = 9;

QPainterPath symbolPath(const ExtinguisherSymbol& symbol, double perMm) {
    const auto at = [perMm](SymbolPoint p) { return QPointF(p.x * perMm, -p.y * perMm); };
    QPainterPath path;
    for (const auto& ring : symbol.closed) {
        path.moveTo(at(ring.front()));
        for (std::size_t i = 1; i < ring.size(); ++i) {
            path.lineTo(at(ring[i]));
        }
        path.closeSubpath();
    }
    for (const auto& line : symbol.open) {
        path.moveTo(at(line.front()));
        for (std::size_t i = 1; i < line.size(); ++i) {
            path.lineTo(at(line[i]));
        }
    }
    for (const SymbolCircle& circle : symbol.circles) {
        path.addEllipse(at(circle.centre), circle.radius * perMm, circle.radius * perMm);
    }
    return path;
}

// Lines at 45° across the box, `spacing` apart.
std::vector<QLineF> hatchLines(const QRectF& box, double spacing) {
    std::vector<QLineF> lines;
    for (double x = box.left() - box.height(); x < box.right(); x += spacing) {
        lines.emplace_back(x, box.bottom(), x + box.height(), box.top());
    }
    return lines;
}

// A round length of the scale bar: 1, 2 or 5 times a power of ten metres, the longest that is at
// most `most` metres.
double barLength(double most) {
    double length = 1;
    while (length * 10 <= most) {
        length *= 10;
    }
    for (const double times : {5.0, 2.0}) {
        if (length * times <= most) {
            return length * times;
        }
    }
    return length;
}

}  // namespace

const std::vector<ColumnKind>& floorTableKinds() {
    using enum ColumnKind;
    static const std::vector<ColumnKind> kinds{Value, Text, Value, Value, Value, Value, Value};
    return kinds;
}

// Boxes on the floor, found again through the cells of a coarse grid that they touch.
class FloorPlan::Boxes {
  public:
    explicit Boxes(double cell) : cell_(cell) {}

    void add(const QRectF& box) {
        boxes_.push_back(box);
        forCells(box, [this](std::int64_t key) { cells_[key].push_back(boxes_.size() - 1); });
    }
    // No box overlaps `box`.
    [[nodiscard]] bool clear(const QRectF& box) const {
        bool clear = true;
        forCells(box, [&](std::int64_t key) {
            if (const auto found = cells_.find(key); clear && found != cells_.end()) {
                clear = std::ranges::none_of(
                    found->second, [&](std::size_t i) { return boxes_[i].intersects(box); });
            }
        });
        return clear;
    }
    // The boxes that overlap `area`, some maybe twice.
    [[nodiscard]] std::vector<QRectF> within(const QRectF& area) const {
        std::vector<QRectF> found;
        forCells(area, [&](std::int64_t key) {
            if (const auto cell = cells_.find(key); cell != cells_.end()) {
                for (const std::size_t i : cell->second) {
                    if (boxes_[i].intersects(area)) {
                        found.push_back(boxes_[i]);
                    }
                }
            }
        });
        return found;
    }

  private:
    template <typename Visit>
    void forCells(const QRectF& box, const Visit& visit) const {
        const auto first = [this](double v) {
            return static_cast<std::int64_t>(std::floor(v / cell_));
        };
        for (std::int64_t x = first(box.left()); x <= first(box.right()); ++x) {
            for (std::int64_t y = first(box.top()); y <= first(box.bottom()); ++y) {
                visit(x * 1'000'003 + y);
            }
        }
    }

    double cell_;
    std::vector<QRectF> boxes_;
    std::unordered_map<std::int64_t, std::vector<std::size_t>> cells_;
};

FloorPlan::FloorPlan(const core::Project& project, std::span<const core::UnitDesign> designs,
                     const core::FloorLayout& floor, Typesetter& typesetter, QSizeF frame)
    : typesetter_(&typesetter),
      labelFont_(typesetter.font(sansFamilies(), 8)),
      numberFont_(typesetter.font(sansFamilies(), 7)),
      legendFont_(typesetter.font(sansFamilies(), 9)),
      legendTitleFont_(typesetter.font(sansFamilies(), 10.5, true)),
      extent_(floor.extent),
      portable_(symbolPath(extinguisherSymbol(core::Mount::Portable), typesetter.mm(1))),
      wheeled_(symbolPath(extinguisherSymbol(core::Mount::Wheeled), typesetter.mm(1))) {
    // The least scale at which a room of the floor's middle size still holds its label, its
    // points and their numbers on paper; at it or larger, the least at which the floor fits the
    // frame, within a margin for the symbols and labels at its edges; else parts of a grid.
    std::vector<double> areas;
    for (const std::size_t index : floor.units) {
        for (const core::RoomShape& room : core::unitShapes(project.units[index])) {
            areas.push_back(core::area(room.outline));
        }
    }
    const auto middle = areas.begin() + static_cast<std::ptrdiff_t>(areas.size() / 2);
    std::ranges::nth_element(areas, middle);
    int least = kScales[0];
    for (const int scale : kScales) {
        if (*middle * 1e6 >= kLeastRoomMm * kLeastRoomMm * scale * scale) {
            least = scale;
        }
    }
    const double margin = typesetter.mm(4);
    const double across = std::max(frame.width() - 2 * margin, typesetter.mm(10));
    const double down = std::max(frame.height() - 2 * margin, typesetter.mm(10));
    const double width = extent_.max.x - extent_.min.x;
    const double height = extent_.max.y - extent_.min.y;
    const auto perMetre = [&typesetter](int scale) { return typesetter.mm(1000.0 / scale); };
    const auto fits = [&](int scale) {
        return scale <= least && width * perMetre(scale) <= across &&
               height * perMetre(scale) <= down;
    };
    const auto* fitting = std::ranges::find_if(kScales, fits);
    if (fitting != std::end(kScales)) {
        scale_ = *fitting;
    } else {
        for (scale_ = least;; scale_ *= 2) {
            const double columns = std::ceil(width * perMetre(scale_) / across);
            const double rows = std::ceil(height * perMetre(scale_) / down);
            columns_ = static_cast<int>(std::clamp(columns, 1.0, 1000.0));
            rows_ = static_cast<int>(std::clamp(rows, 1.0, 1000.0));
            if (columns * rows <= static_cast<double>(kMostParts) || scale_ > 100'000'000) {
                break;
            }
        }
    }
    perMetre_ = perMetre(scale_);

    // The rooms and the symbols first, then the points' numbers clear of every symbol, then the
    // units' labels clear of both.
    Boxes taken(typesetter.mm(10));
    std::vector<Placing> placings;
    for (const std::size_t index : floor.units) {
        placings.push_back(placeRoom(project.units[index], index, designs[index], taken));
    }
    for (const Placing& placing : placings) {
        placeNumbers(placing, taken);
    }
    for (const Placing& placing : placings) {
        placeLabel(placing, taken);
    }

    const double partWidth = width * perMetre_ / columns_;
    const double partHeight = height * perMetre_ / rows_;
    for (int row = 0; row < rows_; ++row) {
        for (int column = 0; column < columns_; ++column) {
            const QRectF rect(column * partWidth, row * partHeight, partWidth, partHeight);
            if (columns_ * rows_ == 1 || std::ranges::any_of(rooms_, [&rect](const Room& room) {
                    return room.outline.boundingRect().intersects(rect);
                })) {
                parts_.push_back({column, row, rect});
            }
        }
    }
}

QPointF FloorPlan::onFloor(core::PlanPoint point) const {
    return {(point.x - extent_.min.x) * perMetre_, (extent_.max.y - point.y) * perMetre_};
}

FloorPlan::Placing FloorPlan::placeRoom(const core::Unit& unit, std::size_t index,
                                        const core::UnitDesign& design, Boxes& taken) {
    const Typesetter& typesetter = *typesetter_;
    Room room;
    room.outline.setFillRule(Qt::OddEvenFill);
    const auto addRing = [this, &room](const core::Ring& ring) {
        QPolygonF polygon;
        polygon.reserve(static_cast<qsizetype>(ring.size()) + 1);
        for (const core::PlanPoint& p : ring) {
            polygon << onFloor(p);
        }
        room.outline.addPolygon(polygon);
        room.outline.closeSubpath();
    };
    // A combined unit is drawn as its rooms.
    for (const core::RoomShape& shape : core::unitShapes(unit)) {
        addRing(shape.outline);
        for (const core::Ring& hole : shape.holes) {
            addRing(hole);
        }
    }
    room.failing = !design.configured() || (design.cover && !design.cover->proven);
    if (design.cover && !design.cover->proven && !unit.setPoints.empty()) {
        const core::ReachMap map = unitReachMap(unit, design.cover->reach, kHatchCells);
        QPainterPath cells;
        for (const core::PlanBox& box : map.uncovered) {
            cells.addRect(QRectF(onFloor({box.min.x, box.max.y}), onFloor({box.max.x, box.min.y})));
        }
        room.missed = cells.simplified().intersected(room.outline);
        room.hatching = hatchLines(room.missed.boundingRect(), typesetter.mm(1.2));
    }
    const Placing placing{&unit, index, rooms_.size(), marks_.size()};
    const bool wheeled = design.configured() && design.chosenModel().mount == core::Mount::Wheeled;
    const double gap = typesetter.mm(0.3);
    for (const core::PlanPoint& point : unit.setPoints) {
        const QPointF at = onFloor(point);
        marks_.push_back({at, wheeled, room.failing});
        taken.add((wheeled ? wheeled_ : portable_)
                      .boundingRect()
                      .translated(at)
                      .adjusted(-gap, -gap, gap, gap));
    }
    rooms_.push_back(std::move(room));
    return placing;
}

// Each point's number beside its symbol: to the right, else to the left, above or below, the
// first that lies in the room clear of every symbol and number, else the first clear of them
// outside it, else to the right.
void FloorPlan::placeNumbers(const Placing& placing, Boxes& taken) {
    const Typesetter& typesetter = *typesetter_;
    const Room& room = rooms_[placing.room];
    const QFontMetricsF& metrics = typesetter.metrics(numberFont_);
    const double gap = typesetter.mm(0.6);
    for (std::size_t i = 0; i < placing.unit->setPoints.size(); ++i) {
        const Mark& mark = marks_[placing.firstMark + i];
        const QString number = QString::fromStdString(core::pointNumber(placing.index, i));
        const QSizeF size(typesetter.advance(number, numberFont_),
                          metrics.ascent() + metrics.descent());
        const QPointF at = mark.at;
        const QRectF box = (mark.wheeled ? wheeled_ : portable_).boundingRect().translated(at);
        const QRectF places[] = {
            {QPointF(box.right() + gap, at.y() - size.height() / 2), size},
            {QPointF(box.left() - gap - size.width(), at.y() - size.height() / 2), size},
            {QPointF(at.x() - size.width() / 2, box.top() - gap - size.height()), size},
            {QPointF(at.x() - size.width() / 2, box.bottom() + gap), size},
        };
        const auto* place = std::ranges::find_if(places, [&](const QRectF& rect) {
            return room.outline.contains(rect) && taken.clear(rect);
        });
        if (place == std::end(places)) {
            place =
                std::ranges::find_if(places, [&](const QRectF& rect) { return taken.clear(rect); });
        }
        const QRectF& chosen = place == std::end(places) ? places[0] : *place;
        taken.add(chosen);
        texts_.push_back({QPointF(chosen.left(), chosen.top() + metrics.ascent()), number,
                          numberFont_, mark.failing});
    }
}

// The unit's number and name at its label point: on one line, else on two, else the number
// alone; each in the middle, else moved up, down or aside as little as keeps it in the room and
// clear of the points and their numbers. A room too small for even its number has none: its
// points' numbers name it.
void FloorPlan::placeLabel(const Placing& placing, Boxes& taken) {
    const Typesetter& typesetter = *typesetter_;
    const Room& room = rooms_[placing.room];
    const core::Unit& unit = *placing.unit;
    const QPointF anchor = onFloor(unitLabelPoint(unit));
    const QString number = QString::number(placing.index + 1);
    const QString name = qs(unit.name);
    const QFontMetricsF& metrics = typesetter.metrics(labelFont_);
    const double lineHeight = typesetter.lineHeight(labelFont_, 1.15);
    const double gap = typesetter.mm(0.6);
    std::vector<QStringList> choices{{number}};
    if (!name.isEmpty()) {
        choices = {{number + u' ' + name}, {number, name}, {number}};
    }
    const std::vector<QRectF> near = taken.within(room.outline.boundingRect());
    for (const QStringList& lines : choices) {
        double width = 0;
        for (const QString& line : lines) {
            width = std::max(width, typesetter.advance(line, labelFont_));
        }
        const QSizeF size(width, static_cast<double>(lines.size()) * lineHeight);
        std::vector<QPointF> shifts{{0, 0}};
        for (const QRectF& t : near) {
            shifts.emplace_back(0, t.top() - gap - (anchor.y() + size.height() / 2));
            shifts.emplace_back(0, t.bottom() + gap - (anchor.y() - size.height() / 2));
            shifts.emplace_back(t.left() - gap - (anchor.x() + size.width() / 2), 0);
            shifts.emplace_back(t.right() + gap - (anchor.x() - size.width() / 2), 0);
        }
        std::ranges::stable_sort(shifts, {}, [](QPointF s) { return s.manhattanLength(); });
        for (const QPointF shift : shifts) {
            const QRectF place(anchor + shift - QPointF(size.width() / 2, size.height() / 2), size);
            if (!room.outline.contains(place.adjusted(-gap, 0, gap, 0)) || !taken.clear(place)) {
                continue;
            }
            taken.add(place);
            const double inset = (lineHeight - metrics.ascent() - metrics.descent()) / 2;
            double top = place.top();
            for (const QString& line : lines) {
                const double x = place.center().x() - typesetter.advance(line, labelFont_) / 2;
                texts_.push_back(
                    {QPointF(x, top + inset + metrics.ascent()), line, labelFont_, room.failing});
                top += lineHeight;
            }
            return;
        }
    }
}

std::size_t FloorPlan::partOf(core::PlanPoint point) const {
    const QPointF at = onFloor(point);
    std::size_t nearest = 0;
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        const QRectF& rect = parts_[i].rect;
        if (rect.contains(at)) {
            return i;
        }
        const double distance = QLineF(rect.center(), at).length();
        if (distance < best) {
            best = distance;
            nearest = i;
        }
    }
    return nearest;
}

double FloorPlan::legendHeight() const {
    double height = kLegendMm;
    if (parts_.size() > 1) {
        height += kKeyHeadMm + kKeyHeightMm + 4;
    }
    return typesetter_->mm(height);
}

void FloorPlan::paint(QPainter& painter, std::size_t part, const QRectF& frame) const {
    const Typesetter& typesetter = *typesetter_;
    painter.save();
    painter.setPen(QPen(Qt::black, typesetter.mm(0.2)));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    painter.setClipRect(frame);
    painter.translate(frame.center() - parts_[part].rect.center());

    // The failing units' outlines over those of their neighbours.
    QPen outline(Qt::black, typesetter.mm(0.3));
    outline.setJoinStyle(Qt::MiterJoin);
    for (const bool failing : {false, true}) {
        outline.setColor(failing ? kWarningInk : QColor(Qt::black));
        painter.setPen(outline);
        for (const Room& room : rooms_) {
            if (room.failing == failing) {
                painter.drawPath(room.outline);
            }
        }
    }
    painter.setPen(QPen(kWarningInk, typesetter.mm(0.15)));
    for (const Room& room : rooms_) {
        if (!room.hatching.empty()) {
            painter.save();
            painter.setClipPath(room.missed, Qt::IntersectClip);
            painter.drawLines(room.hatching.data(), static_cast<int>(room.hatching.size()));
            painter.restore();
        }
    }

    QPen symbol(Qt::black, typesetter.mm(0.25));
    painter.setBrush(Qt::white);
    for (const Mark& mark : marks_) {
        symbol.setColor(mark.failing ? kWarningInk : QColor(Qt::black));
        painter.setPen(symbol);
        painter.drawPath((mark.wheeled ? wheeled_ : portable_).translated(mark.at));
    }

    int font = -1;
    for (const Text& text : texts_) {
        if (text.font != font) {
            painter.setFont(typesetter.fontAt(text.font));
            font = text.font;
        }
        painter.setPen(text.failing ? kWarningInk : QColor(Qt::black));
        painter.drawText(text.at, text.text);
    }
    painter.restore();
}

void FloorPlan::paintLegend(QPainter& painter, std::size_t part, const QRectF& box) const {
    const Typesetter& typesetter = *typesetter_;
    const auto mm = [&typesetter](double millimetres) { return typesetter.mm(millimetres); };
    const auto text = [&](QPointF at, const QString& line, std::uint16_t font) {
        painter.setFont(typesetter.fontAt(font));
        painter.drawText(at, line);
    };
    painter.save();
    painter.setPen(Qt::black);
    const double left = box.left();
    double y = box.top();
    text({left, y + mm(5)}, QStringLiteral("图例"), legendTitleFont_);

    // North, up the page as the floor is drawn.
    const double north = box.right() - mm(5);
    const QString northText = QStringLiteral("北");
    text({north - typesetter.advance(northText, legendFont_) / 2, y + mm(4)}, northText,
         legendFont_);
    painter.setPen(QPen(Qt::black, mm(0.25)));
    painter.drawLine(QPointF(north, y + mm(18)), QPointF(north, y + mm(8)));
    painter.setBrush(Qt::black);
    painter.drawPolygon(QPolygonF{QPointF(north, y + mm(5.5)),
                                  QPointF(north - mm(1.5), y + mm(9.5)),
                                  QPointF(north + mm(1.5), y + mm(9.5))});

    // The two symbols and their names.
    y += mm(9);
    painter.setBrush(Qt::white);
    for (const auto& [path, name] : {std::pair{&portable_, QStringLiteral("手提式灭火器")},
                                     {&wheeled_, QStringLiteral("推车式灭火器")}}) {
        painter.setPen(QPen(Qt::black, mm(0.25)));
        painter.drawPath(path->translated(left + mm(4), y + mm(3)));
        painter.setPen(Qt::black);
        text({left + mm(11), y + mm(4.2)}, name, legendFont_);
        y += mm(7);
    }

    // The scale bar: four fields, black and white in turn, of a round length in all.
    y += mm(1);
    text({left, y + mm(3.5)}, QStringLiteral("比例 1:%1").arg(scale_), legendFont_);
    y += mm(5);
    const double length = barLength(mm(50) / perMetre_);
    const double field = length * perMetre_ / 4;
    painter.setPen(QPen(Qt::black, mm(0.15)));
    for (int i = 0; i < 4; ++i) {
        painter.setBrush(i % 2 == 0 ? Qt::black : Qt::white);
        painter.drawRect(QRectF(left + i * field, y, field, mm(1.5)));
    }
    painter.setPen(Qt::black);
    text({left - typesetter.advance(QStringLiteral("0"), numberFont_) / 2, y + mm(4.5)},
         QStringLiteral("0"), numberFont_);
    const QString metres = QString::number(length) + QStringLiteral(" m");
    text({left + 4 * field - typesetter.advance(metres, numberFont_) / 2, y + mm(4.5)}, metres,
         numberFont_);

    // Where the part lies: the floor's grid with the parts drawn, this one filled.
    if (parts_.size() > 1) {
        y = box.top() + mm(kLegendMm);
        text({left, y + mm(4)},
             QStringLiteral("分区示意（本页为第 %1 部分，共 %2 部分）")
                 .arg(part + 1)
                 .arg(parts_.size()),
             legendFont_);
        y += mm(kKeyHeadMm - 3);
        // A cell of the grid for each part, as square as the room allows.
        const double cell = std::min({mm(kKeyWidthMm) / columns_, mm(kKeyHeightMm) / rows_, mm(8)});
        painter.setPen(QPen(Qt::black, mm(0.15)));
        for (std::size_t i = 0; i < parts_.size(); ++i) {
            painter.setBrush(i == part ? QColor(0xA0, 0xA0, 0xA0) : QColor(Qt::white));
            painter.drawRect(
                QRectF(left + parts_[i].column * cell, y + parts_[i].row * cell, cell, cell));
        }
    }
    painter.restore();
}

}  // namespace documents
