// The project window with 10 to 10000 units: opening a project file and painting the window, and
// one edit of a cell with the repaint that follows (the recovery copy is written after it), and
// every unit deleted and brought back.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QUndoStack>
#include <memory>

#include "bench_support.h"
#include "project_file.h"
#include "project_model.h"
#include "project_window.h"

namespace {

QTemporaryDir* folder = nullptr;

// A project file of `count` units of varied choices, every other one with a chosen model and N.
QString projectFile(std::int64_t count) {
    const core::Project project = bench::benchProject(count);
    const QString path = folder->filePath(QStringLiteral("p%1.fep").arg(count));
    if (io::saveProject(project, path)) {
        return {};
    }
    return path;
}

std::unique_ptr<ui::ProjectWindow> shownWindow() {
    auto window = std::make_unique<ui::ProjectWindow>();
    window->askRestore = [](const io::RecoveryCopy::Orphan&) { return false; };
    window->askSaveChanges = [] { return ui::ProjectWindow::SaveAnswer::Discard; };
    window->show();
    return window;
}

void BM_OpenAndPaint(benchmark::State& state) {
    const QString path = projectFile(state.range(0));
    for (auto _ : state) {
        auto window = shownWindow();
        if (!window->openFile(path)) {
            state.SkipWithError("the project file did not open");
            return;
        }
        benchmark::DoNotOptimize(window->grab().toImage());
    }
}
BENCHMARK(BM_OpenAndPaint)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMillisecond);

void BM_EditAndRepaint(benchmark::State& state) {
    auto window = shownWindow();
    if (!window->openFile(projectFile(state.range(0)))) {
        state.SkipWithError("the project file did not open");
        return;
    }
    ui::ProjectModel* model = window->model();
    const QModelIndex area = model->index(0, ui::ProjectModel::Area);
    double value = 100;
    for (auto _ : state) {
        value = value == 100 ? 200 : 100;
        model->setData(area, value, Qt::EditRole);
        benchmark::DoNotOptimize(window->grab().toImage());
    }
    window->undoStack()->clear();  // no recovery copy is left behind
}
BENCHMARK(BM_EditAndRepaint)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMillisecond);

// Every unit deleted (as Ctrl+A, Delete) and the deletion undone: one change of the table each.
void BM_DeleteAllAndUndo(benchmark::State& state) {
    auto window = shownWindow();
    if (!window->openFile(projectFile(state.range(0)))) {
        state.SkipWithError("the project file did not open");
        return;
    }
    QAction* remove = nullptr;
    for (QAction* action : window->editMenu()->actions()) {
        if (action->text() == QStringLiteral("删除计算单元")) {
            remove = action;
        }
    }
    for (auto _ : state) {
        window->table()->selectAll();
        remove->trigger();
        window->undoStack()->undo();
    }
    window->undoStack()->clear();
}
BENCHMARK(BM_DeleteAllAndUndo)
    ->RangeMultiplier(10)
    ->Range(10, 10000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Recent files and recovery copies go to a temporary home, not the user's.
    QTemporaryDir home;
    folder = &home;
    qputenv("HOME", home.path().toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    return bench::runBenchmarks(argc, argv);
}
