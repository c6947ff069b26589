// Cost of a project's file: reading it and designing every unit, as opening a project does, and
// writing it, for projects of 10 to 10000 units; and of reading a floor plan's drawing of 12500
// to 50000 wall lines, with a door reference for each 100 of them and furniture outlines that
// make the drawing 20 MB at 50000 lines.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <variant>

#include "bench_support.h"
#include "dxf_reader.h"
#include "project_file.h"

namespace {

void BM_ReadAndDesign(benchmark::State& state) {
    const QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("bench.fep"));
    if (io::saveProject(bench::benchProject(state.range(0)), fileName)) {
        state.SkipWithError("the project could not be saved");
        return;
    }
    for ([[maybe_unused]] auto _ : state) {
        const auto read = io::readProject(fileName);
        for (const core::Unit& unit : std::get<core::Project>(read).units) {
            benchmark::DoNotOptimize(core::design(unit).configuration.total);
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadAndDesign)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMicrosecond);

void BM_Write(benchmark::State& state) {
    const QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("bench.fep"));
    const core::Project units = bench::benchProject(state.range(0));
    for ([[maybe_unused]] auto _ : state) {
        if (io::saveProject(units, fileName)) {
            state.SkipWithError("the project could not be saved");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Write)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMicrosecond);

// A drawing as CAD programs write it (R2000: handles, owners, subclass markers, 3D points).
QByteArray wallsDrawing(int walls) {
    QByteArray text =
        "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$INSUNITS\n70\n4\n"
        "0\nENDSEC\n0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n5\n20\n8\n0\n2\n$DorLib2D$00000001\n"
        "70\n0\n10\n0.0\n20\n0.0\n30\n0.0\n"
        "0\nLINE\n5\n21\n8\n0\n10\n0.0\n20\n0.0\n30\n0.0\n11\n0.0\n21\n900.0\n31\n0.0\n"
        "0\nARC\n5\n22\n8\n0\n10\n0.0\n20\n0.0\n30\n0.0\n40\n900.0\n50\n0.0\n51\n90.0\n"
        "0\nENDBLK\n5\n23\n8\n0\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
    const auto number = [](double x) { return QByteArray::number(x, 'f', 4); };
    int handle = 0x100;
    for (int i = 0; i < walls; ++i) {
        const double x = (i % 250) * 3600.0;
        const int row = i / 250;  // rows of 250 walls
        const double y = row * 3000.0;
        text += "0\nLINE\n5\n" + QByteArray::number(++handle, 16) +
                "\n330\n1F\n100\nAcDbEntity\n8\nA-WALL\n100\nAcDbLine\n10\n" + number(x) +
                "\n20\n" + number(y) + "\n30\n0.0\n11\n" + number(x + 3600) + "\n21\n" + number(y) +
                "\n31\n0.0\n";
        if (i % 100 == 0) {
            text += "0\nINSERT\n5\n" + QByteArray::number(++handle, 16) +
                    "\n330\n1F\n100\nAcDbEntity\n8\nA-DOOR\n100\nAcDbBlockReference\n"
                    "2\n$DorLib2D$00000001\n10\n" +
                    number(x + 1000) + "\n20\n" + number(y) + "\n30\n0.0\n50\n90.0\n";
        }
        if (i % 3 == 0) {
            text += "0\nLWPOLYLINE\n5\n" + QByteArray::number(++handle, 16) +
                    "\n330\n1F\n100\nAcDbEntity\n8\nFURN\n100\nAcDbPolyline\n90\n24\n70\n1\n";
            for (int k = 0; k < 24; ++k) {
                text += "10\n" + number(x + 100 + k * 10) + "\n20\n" +
                        number(y + 100 + (k % 2) * 500) + '\n';
            }
        }
    }
    return text + "0\nENDSEC\n0\nEOF\n";
}

void BM_ReadDrawing(benchmark::State& state) {
    const QByteArray bytes = wallsDrawing(static_cast<int>(state.range(0)));
    for ([[maybe_unused]] auto _ : state) {
        const auto read = io::parseDxf(bytes);
        if (!std::holds_alternative<io::DxfDrawing>(read)) {
            state.SkipWithError("the drawing could not be read");
            return;
        }
        benchmark::DoNotOptimize(std::get<io::DxfDrawing>(read).segments.size());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(BM_ReadDrawing)->Arg(12500)->Arg(25000)->Arg(50000)->Unit(benchmark::kMillisecond);

}  // namespace
