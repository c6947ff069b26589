// Cost of the building's outputs for projects of 10 to 10000 units: the calculation book and the
// workbook written to a temporary folder, and the clipboard copies of the schedule and the bill of
// materials; and the layout drawing of a floor of 200 rooms.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <cstdlib>

#include "bench_support.h"
#include "book_pdf.h"
#include "book_plan.h"
#include "floor_layout.h"
#include "layout_dxf.h"
#include "project.h"
#include "project_tables.h"
#include "unit_sheet.h"
#include "workbook.h"

namespace {

// Units that vary in class, hazard, agent and area, as a real building's do.
core::Project building(std::int64_t units) {
    using core::Agent;
    constexpr core::FireClass kClasses[] = {core::FireClass::A, core::FireClass::B,
                                            core::FireClass::C, core::FireClass::E};
    constexpr Agent kAgentsUsed[] = {Agent::AmmoniumPhosphatePowder, Agent::AmmoniumPhosphatePowder,
                                     Agent::CarbonDioxide, Agent::Halon1211};
    core::Project project;
    project.name = "基准工程";
    for (std::int64_t i = 0; i < units; ++i) {
        const auto k = static_cast<std::size_t>(i % 4);
        core::Unit unit;
        unit.name = "计算单元" + std::to_string(i + 1);
        unit.location = std::to_string(i % 30 + 1) + "层";
        unit.choices.fireClass = kClasses[k];
        unit.choices.hazard = static_cast<core::Hazard>(i % 3);
        unit.choices.agent = kAgentsUsed[k];
        unit.choices.area = static_cast<double>(50 + (i * 37) % 2000);
        project.units.push_back(unit);
    }
    return project;
}

void BM_Workbook(benchmark::State& state) {
    const core::Project project = building(state.range(0));
    QTemporaryDir folder;
    if (!folder.isValid()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const QString fileName = folder.filePath(QStringLiteral("工程.xlsx"));
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the loop's idiom
        const documents::WriteOutcome outcome = documents::writeWorkbook(project, fileName);
        if (!outcome.written()) {
            state.SkipWithError("the workbook was not written");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Workbook)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMillisecond);

// The book lays out every unit's sheet: seconds for large projects, so one run each.
void BM_Book(benchmark::State& state) {
    const core::Project project = building(state.range(0));
    QTemporaryDir folder;
    if (!folder.isValid()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const QString fileName = folder.filePath(QStringLiteral("工程.pdf"));
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the loop's idiom
        if (!documents::writeBookPdf(project, fileName).written()) {
            state.SkipWithError("the book was not written");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Book)->RangeMultiplier(10)->Range(10, 10000)->Iterations(1)->Unit(
    benchmark::kMillisecond);

void BM_ScheduleCopy(benchmark::State& state) {
    const core::Project project = building(state.range(0));
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the loop's idiom
        const auto data = documents::scheduleMimeData(project);
        benchmark::DoNotOptimize(data.get());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ScheduleCopy)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMillisecond);

void BM_MaterialCopy(benchmark::State& state) {
    const core::Project project = building(state.range(0));
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the loop's idiom
        const auto data = documents::materialMimeData(project);
        benchmark::DoNotOptimize(data.get());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MaterialCopy)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMillisecond);

// A floor of 200 rooms of 6 × 5 m in a grid, the first fifty with two setting points and the
// others with one: 250 points.
core::Project planFloor() {
    core::Project project;
    project.name = "基准工程";
    for (int i = 0; i < 200; ++i) {
        core::Unit unit;
        unit.name = "办公室" + std::to_string(i + 1);
        unit.location = "一层";
        const double x = 6.0 * (i % 20);
        const int row = i / 20;
        const double y = 5.0 * row;
        unit.outline = {{x, y}, {x + 6, y}, {x + 6, y + 5}, {x, y + 5}};
        unit.choices.area = 30;
        unit.setPoints = {{x + 1.5, y + 2.5}};
        if (i < 50) {
            unit.setPoints.push_back({x + 4.5, y + 2.5});
        }
        project.units.push_back(std::move(unit));
    }
    return project;
}

// A floor of rooms in rows of 20 (200 rooms: 10 rows), 10 to 14 m by 8 m, on either side of
// corridors, with one setting point in each room and a second in every fourth one (200 rooms: 250
// points). In millimetres.
core::Project layoutFloor(int rooms) {
    core::Project project;
    project.name = "基准工程";
    for (int i = 0; i < rooms; ++i) {
        const double width = 10 + static_cast<double>(i % 5);
        const double x = static_cast<double>(i % 20) * 14;
        const int row = i / 20;  // of 20 rooms
        const double y = static_cast<double>(row) * 10;
        core::Unit unit;
        unit.name = "房间" + std::to_string(i + 1);
        unit.location = "一层";
        unit.outline = {{x, y}, {x + width, y}, {x + width, y + 8}, {x, y + 8}};
        unit.plan = core::PlanSource{"平面.dxf", "房间", std::to_string(i + 1), "mm", "一层"};
        unit.choices.area = width * 8;
        unit.setPoints = {{x + width / 2, y + 4}};
        if (i % 4 == 0) {
            unit.setPoints = {{x + width / 4, y + 4}, {x + 3 * width / 4, y + 4}};
        }
        project.units.push_back(std::move(unit));
    }
    return project;
}

// The book's plan page of that floor: laid out (range 0) or painted (range 1) on a landscape page
// of the book's PDF.
void BM_PlanPage(benchmark::State& state) {
    const core::Project project = planFloor();
    const std::vector<core::UnitDesign> designs = documents::designs(project);
    const core::FloorLayout floor = core::floorLayouts(project).front();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(300);
    writer.setPageLayout(documents::bookPageLayout());
    writer.setPageOrientation(QPageLayout::Landscape);
    documents::Typesetter typesetter(writer);
    const QRectF body = typesetter.frame(QPageLayout::Landscape).body;
    const QSizeF frame(
        body.width() - typesetter.mm(documents::kPlanLegendMm + documents::kPlanGapMm),
        body.height() - typesetter.mm(20));
    const documents::FloorPlan plan(project, designs, floor, typesetter, frame);
    QPainter painter(&writer);
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the loop's idiom
        if (state.range(0) == 0) {
            const documents::FloorPlan laidOut(project, designs, floor, typesetter, frame);
            benchmark::DoNotOptimize(laidOut.parts());
        } else {
            plan.paint(painter, 0, QRectF(body.topLeft(), frame));
            const double legend = typesetter.mm(documents::kPlanLegendMm);
            plan.paintLegend(painter, 0,
                             QRectF(body.right() - legend, body.top(), legend, frame.height()));
            writer.newPage();
        }
    }
    painter.end();
    state.SetLabel("1:" + std::to_string(plan.scale()) + ", " + std::to_string(plan.parts()) +
                   " part(s)");
}
BENCHMARK(BM_PlanPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The floor's layout drawing, its units' designs known already (as in the program, which shows
// them before).
void BM_LayoutDxf(benchmark::State& state) {
    const core::Project project = layoutFloor(static_cast<int>(state.range(0)));
    QTemporaryDir folder;
    if (!folder.isValid()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const QString fileName = folder.filePath(QStringLiteral("一层.dxf"));
    for (const core::Unit& unit : project.units) {
        benchmark::DoNotOptimize(core::design(unit));
    }
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the loop's idiom
        if (!documents::writeLayoutDxf(project, "一层", fileName).written()) {
            state.SkipWithError("the drawing was not written");
            break;
        }
    }
    state.counters["bytes"] = static_cast<double>(QFileInfo(fileName).size());
}
BENCHMARK(BM_LayoutDxf)->Arg(50)->Arg(200)->Arg(800)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // The book is laid out with the platform's fonts, which need no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return bench::runBenchmarks(argc, argv);
}
