// The floor plan of one floor of 500 to 4000 rooms (a grid of rooms with their names, every
// seventh failing its check) in a pane of 1280×800: the floor fitted and painted into an image;
// the same zoomed in four times, where the rooms carry their labels; a row selected in the table
// with the repaint that follows; and the project opened (a model reset) with its first paint. A
// setting point dragged in a room of 1 500 m² at R = 20 m and a hall of 10 000 m² at R = 9 m,
// their points placed: one mouse move with the reach, 校核 and the repaint that follow.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QGraphicsView>
#include <QImage>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUndoStack>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "bench_support.h"
#include "placement.h"
#include "plan_view.h"
#include "project_model.h"

namespace {

// Rooms of 6 × 5 m side by side, in rows of about 1.6 times as many as there are rows.
core::Project floorOf(std::int64_t rooms) {
    core::Project project{"平面图基准", {}};
    const auto across =
        static_cast<std::int64_t>(std::ceil(std::sqrt(1.6 * static_cast<double>(rooms))));
    for (std::int64_t i = 0; i < rooms; ++i) {
        const std::int64_t column = i % across;
        const std::int64_t row = i / across;
        const double x = 6.0 * static_cast<double>(column);
        const double y = 5.0 * static_cast<double>(row);
        core::Unit unit;
        unit.name = "房间" + std::to_string(i + 1);
        unit.location = "一层";
        unit.choices.area = 30;
        unit.outline = {{x, y}, {x + 6, y}, {x + 6, y + 5}, {x, y + 5}};
        if (i % 7 == 3) {
            unit.choices.hazard = core::Hazard::Serious;
            unit.choices.area = 3000;
            unit.points = 1;
        }
        project.units.push_back(std::move(unit));
    }
    return project;
}

// The pane with its model, shown at 1280×800.
struct Pane {
    explicit Pane(std::int64_t rooms) {
        pane.resize(1280, 800);
        pane.show();
        model.setProject(floorOf(rooms));
        QCoreApplication::processEvents();
        pane.fitToWindow();
    }

    void paint() {
        QWidget* viewport = pane.view()->viewport();
        if (image.size() != viewport->size()) {
            image = QImage(viewport->size(), QImage::Format_ARGB32_Premultiplied);
        }
        viewport->render(&image);
    }

    QUndoStack undoStack;
    ui::ProjectModel model{&undoStack};
    QItemSelectionModel selection{&model};
    ui::PlanView pane{&model, &selection};
    QImage image;
};

void BM_PaintFittedFloor(benchmark::State& state) {
    Pane pane(state.range(0));
    for (auto _ : state) {
        pane.paint();
    }
    state.counters["rooms"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_PaintFittedFloor)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Unit(benchmark::kMillisecond);

void BM_PaintZoomedIn(benchmark::State& state) {
    Pane pane(state.range(0));
    const QPointF middle = QRectF(pane.pane.view()->viewport()->rect()).center();
    pane.pane.zoomAt(middle, 4);
    for (auto _ : state) {
        pane.paint();
    }
}
BENCHMARK(BM_PaintZoomedIn)->Arg(500)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond);

// A row selected as a click in the table selects it, and the pane painted again.
void BM_SelectRowAndRepaint(benchmark::State& state) {
    Pane pane(state.range(0));
    int row = 0;
    for (auto _ : state) {
        row = (row + 97) % static_cast<int>(state.range(0));
        pane.selection.setCurrentIndex(
            pane.model.index(row, ui::ProjectModel::Name),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        pane.paint();
    }
}
BENCHMARK(BM_SelectRowAndRepaint)->Arg(500)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond);

// A project opened: the scene made again, fitted and painted.
void BM_ResetAndPaint(benchmark::State& state) {
    Pane pane(state.range(0));
    const core::Project project = floorOf(state.range(0));
    for (auto _ : state) {
        pane.model.setProject(project);
        pane.paint();
    }
}
BENCHMARK(BM_ResetAndPaint)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Unit(benchmark::kMillisecond);

// One unit of w × h metres, its points placed, selected, with a point pressed: each step moves the
// mouse a few pixels on and paints the pane.
void BM_DragPoint(benchmark::State& state) {
    const auto width = static_cast<double>(state.range(0));
    const auto height = static_cast<double>(state.range(1));
    core::Unit unit;
    unit.name = "大厅";
    unit.location = "一层";
    unit.choices.fireClass = state.range(2) != 0 ? core::FireClass::B : core::FireClass::A;
    unit.choices.hazard = state.range(2) != 0 ? core::Hazard::Serious : core::Hazard::Medium;
    unit.outline = {{0, 0}, {width, 0}, {width, height}, {0, height}};
    unit.choices.area = width * height;
    if (const std::optional<core::Placement> placed = core::placeUnit(unit)) {
        unit.setPoints = placed->points;
    }
    const std::optional<core::PlacedCover> cover = core::design(unit).cover;
    if (!cover) {
        state.SkipWithError("no points placed");
        return;
    }
    Pane pane(0);
    pane.model.setProject({"拖动", {unit}});
    QCoreApplication::processEvents();
    pane.pane.fitToWindow();
    pane.selection.setCurrentIndex(pane.model.index(0, ui::ProjectModel::Name),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QWidget* viewport = pane.pane.view()->viewport();
    const QPoint from = pane.pane.view()
                            ->viewportTransform()
                            .map(ui::PlanView::scenePoint(unit.setPoints.front()))
                            .toPoint();
    const auto send = [viewport](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    int step = 0;
    for (auto _ : state) {
        send(QEvent::MouseMove, from + QPoint(4 + step % 20, 2 + step % 10), Qt::LeftButton);
        ++step;
        pane.paint();
    }
    send(QEvent::MouseButtonRelease, from, Qt::NoButton);
    state.counters["R"] = cover->reach;
    state.counters["points"] = static_cast<double>(unit.setPoints.size());
    state.counters["m2"] = width * height;
}
BENCHMARK(BM_DragPoint)->Args({30, 50, 0})->Args({100, 100, 1})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    return bench::runBenchmarks(argc, argv);
}
