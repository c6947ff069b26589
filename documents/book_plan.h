#pragma once

#include <QLineF>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "floor_layout.h"
#include "page_layout.h"
#include "project.h"
#include "project_tables.h"

class QPainter;

// The floor plans of the calculation book: a floor's units with their outlines, numbers and names
// and their setting points with the layout drawing's symbols and numbers, drawn to scale on a
// landscape page, or in parts on several where the floor is too large to read on one; beside the
// plan its legend, the scale bar and north. Vector drawing only: the book holds no picture.
namespace documents {

// What the floor table's columns hold.
[[nodiscard]] const std::vector<ColumnKind>& floorTableKinds();

// The width of the legend's column beside a plan, and the gap between them, in millimetres.
constexpr double kPlanLegendMm = 78;
constexpr double kPlanGapMm = 5;

// One floor laid out for the book's pages.
class FloorPlan {
  public:
    // The floor of `project` (`designs` one per unit of the project), to be drawn in frames of
    // `frame` device units or more of `typesetter`'s device: at the least of 1:100, 1:150, 1:200,
    // 1:250, 1:300, 1:400 and 1:500 at which the whole floor fits and a room of the floor's middle
    // size is still large enough on paper to read; else in parts of a grid at the largest of them
    // at which such a room is, or at twice, four times, ... that where it would take more than
    // kMostParts pages. Parts that show no outline are left out.
    FloorPlan(const core::Project& project, std::span<const core::UnitDesign> designs,
              const core::FloorLayout& floor, Typesetter& typesetter, QSizeF frame);

    static constexpr std::size_t kMostParts = 48;

    [[nodiscard]] int scale() const { return scale_; }  // the plan is drawn at 1:scale()
    [[nodiscard]] std::size_t parts() const { return parts_.size(); }
    // The part that shows the point of the floor (in metres): the one whose share of the grid
    // holds it, else the nearest.
    [[nodiscard]] std::size_t partOf(core::PlanPoint point) const;
    // The height, in device units, that paintLegend() takes.
    [[nodiscard]] double legendHeight() const;

    // Paints the part in `frame`, ruled round and clipped to it, the part's middle in its middle.
    void paint(QPainter& painter, std::size_t part, const QRectF& frame) const;
    // Paints the legend at the top of `box`: the two symbols with their names, north, the scale
    // bar and, for a floor in parts, where the part lies on the floor.
    void paintLegend(QPainter& painter, std::size_t part, const QRectF& box) const;

  private:
    struct Room {
        QPainterPath outline;  // the outline and its holes
        bool failing = false;
        QPainterPath missed;           // the part that no point reaches, clipped to the outline
        std::vector<QLineF> hatching;  // lines across `missed`, drawn clipped to it
    };
    struct Mark {
        QPointF at;
        bool wheeled = false;
        bool failing = false;
    };
    struct Text {
        QPointF at;  // the baseline's left end
        QString text;
        std::uint16_t font = 0;
        bool failing = false;
    };
    struct Part {
        int column = 0;  // from the left
        int row = 0;     // from the top
        QRectF rect;     // on the floor, in device units
    };

    // A point of the floor in device units from the top left of its extent, y down.
    [[nodiscard]] QPointF onFloor(core::PlanPoint point) const;
    class Boxes;
    // A unit being placed: its room's and its first mark's index.
    struct Placing {
        const core::Unit* unit = nullptr;
        std::size_t index = 0;
        std::size_t room = 0;
        std::size_t firstMark = 0;
    };
    Placing placeRoom(const core::Unit& unit, std::size_t index, const core::UnitDesign& design,
                      Boxes& taken);
    void placeNumbers(const Placing& placing, Boxes& taken);
    void placeLabel(const Placing& placing, Boxes& taken);

    const Typesetter* typesetter_;
    std::uint16_t labelFont_;
    std::uint16_t numberFont_;
    std::uint16_t legendFont_;
    std::uint16_t legendTitleFont_;
    int scale_ = 100;
    double perMetre_ = 0;  // device units per metre of the floor
    core::PlanBox extent_;
    int columns_ = 1;
    int rows_ = 1;
    std::vector<Part> parts_;
    std::vector<Room> rooms_;
    std::vector<Mark> marks_;
    std::vector<Text> texts_;
    QPainterPath portable_;  // the symbols in device units about their point
    QPainterPath wheeled_;
};

}  // namespace documents
