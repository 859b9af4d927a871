// Chart document at survey scale: 1,000,000 shapes (80 % track points, 20 %
// lines) spread over 10 layers, plus a small vessel layer redrawn per tick.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>

#include "canvas/canvas_document.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace nivora {
namespace {

constexpr int kShapes = 1000000;
constexpr int kLayers = 10;
constexpr double kEast = 500000.0;
constexpr double kNorth = 4500000.0;

struct Chart {
    std::unique_ptr<CanvasDocument> doc = std::make_unique<CanvasDocument>();
    std::vector<int> layers;
    int vessel = 0;
};

int openLayers(CanvasDocument& doc, std::vector<int>& layers) {
    for (int i = 0; i < kLayers; ++i)
        layers.push_back(doc.LayerOpen(QStringLiteral("L%1").arg(i)));
    return doc.LayerOpen(QStringLiteral("~~Nivora Vessel"));
}

void fill(Chart& chart, int shapes) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> dx(0.0, 10000.0);
    for (int i = 0; i < shapes; ++i) {
        const int layer = chart.layers[static_cast<std::size_t>(i % kLayers)];
        const double x = kEast + dx(rng);
        const double y = kNorth + dx(rng);
        if (i % 5 == 4) {
            chart.doc->DrawLine(x, y, x + 3.0, y + 4.0, layer);
        } else {
            chart.doc->DrawPoint(x, y, layer);
        }
    }
}

void drawVessel(Chart& chart) {
    for (int k = 0; k < 10; ++k) {
        chart.doc->DrawLine(kEast + k, kNorth, kEast + k + 1, kNorth + 1, chart.vessel);
    }
}

// One shared chart for the read-mostly benchmarks.
Chart& sharedChart() {
    static Chart chart = [] {
        Chart c;
        c.vessel = openLayers(*c.doc, c.layers);
        fill(c, kShapes);
        drawVessel(c);
        c.doc->View.Width = 1920;
        c.doc->View.Height = 1080;
        return c;
    }();
    return chart;
}

void BM_Create(benchmark::State& state) {
    for (auto _ : state) {
        Chart chart;
        chart.vessel = openLayers(*chart.doc, chart.layers);
        fill(chart, kShapes);
        benchmark::DoNotOptimize(chart.doc->ShapeCount());
        state.PauseTiming();
        chart.doc.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kShapes);
}
BENCHMARK(BM_Create)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GetSetRandomId(benchmark::State& state) {
    CanvasDocument& doc = *sharedChart().doc;
    std::mt19937 rng(11);
    std::uniform_int_distribution<std::int32_t> id(1, kShapes);
    for (auto _ : state) {
        const std::int32_t shape = id(rng);
        doc.SetShapePenFg(shape, doc.GetShapePenFg(shape) ^ 1u);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetSetRandomId);

void BM_GetterRandomId(benchmark::State& state) {
    CanvasDocument& doc = *sharedChart().doc;
    std::mt19937 rng(13);
    std::uniform_int_distribution<std::int32_t> id(1, kShapes);
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.GetShapeOnLayer(id(rng)));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetterRandomId);

// The vessel symbol's tick: clear its 10-shape layer and draw it again.
void BM_ClearSmallLayerAndRedraw(benchmark::State& state) {
    Chart& chart = sharedChart();
    for (auto _ : state) {
        chart.doc->CadClearShapes(chart.vessel);
        drawVessel(chart);
    }
}
BENCHMARK(BM_ClearSmallLayerAndRedraw);

// What any layer operation would cost without the per-layer index: one
// pass over every shape reading its layer.
void BM_ReferenceScanAllShapesForALayer(benchmark::State& state) {
    CanvasDocument& doc = *sharedChart().doc;
    const int vessel = sharedChart().vessel;
    for (auto _ : state) {
        int found = 0;
        for (const TNShape& s : doc.Shapes())
            found += s.Layer() == vessel;
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_ReferenceScanAllShapesForALayer)->Unit(benchmark::kMillisecond);

void BM_SetLayerPenFgOfTrackLayer(benchmark::State& state) {
    Chart& chart = sharedChart();
    TColor colour = 0;
    for (auto _ : state)
        chart.doc->SetLayerPenFg(chart.layers[3], ++colour);
    state.SetItemsProcessed(state.iterations() * (kShapes / kLayers));
}
BENCHMARK(BM_SetLayerPenFgOfTrackLayer)->Unit(benchmark::kMillisecond);

void BM_ShapeSelectDeleteTenPercent(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Chart chart;
        chart.vessel = openLayers(*chart.doc, chart.layers);
        fill(chart, kShapes);
        std::mt19937 rng(17);
        std::uniform_int_distribution<std::int32_t> id(1, kShapes);
        for (int i = 0; i < kShapes / 10; ++i)
            chart.doc->ShapeSelect(id(rng), true);
        state.ResumeTiming();
        chart.doc->ShapeSelectDelete();
        benchmark::DoNotOptimize(chart.doc->ShapeCount());
        state.PauseTiming();
        chart.doc.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ShapeSelectDeleteTenPercent)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WorldExtents(benchmark::State& state) {
    CanvasDocument& doc = *sharedChart().doc;
    for (auto _ : state)
        doc.WorldExtents();
    state.SetItemsProcessed(state.iterations() * kShapes);
}
BENCHMARK(BM_WorldExtents)->Unit(benchmark::kMillisecond);

// A track selection: three of the ten layers, a 12-vertex polygon over a
// quarter of the area.
void BM_SelectShapesInPolygon(benchmark::State& state) {
    Chart& chart = sharedChart();
    std::vector<QPointF> polygon;
    for (int k = 0; k < 12; ++k) {
        const double a = k * 3.141592653589793 / 6.0;
        polygon.emplace_back(kEast + 5000 + 2800 * std::cos(a), kNorth + 5000 + 2800 * std::sin(a));
    }
    const std::vector<int> tracks{chart.layers[0], chart.layers[1], chart.layers[2]};
    for (auto _ : state)
        chart.doc->SelectShapesInPolygon(polygon, tracks);
    state.counters["selected"] = chart.doc->SelectedShapeCount();
    chart.doc->ClearSelection();
}
BENCHMARK(BM_SelectShapesInPolygon)->Unit(benchmark::kMillisecond);

void BM_SelectAllShapesInPolygon(benchmark::State& state) {
    Chart& chart = sharedChart();
    const std::vector<QPointF> polygon{{kEast + 2000, kNorth + 2000},
                                       {kEast + 7000, kNorth + 2500},
                                       {kEast + 7500, kNorth + 7000},
                                       {kEast + 2500, kNorth + 7500}};
    for (auto _ : state)
        chart.doc->SelectAllShapesInPolygon(polygon);
    state.counters["selected"] = chart.doc->SelectedShapeCount();
    chart.doc->ClearSelection();
}
BENCHMARK(BM_SelectAllShapesInPolygon)->Unit(benchmark::kMillisecond);

// A click on empty water: every shape is tested.
void BM_GetShapeAtMiss(benchmark::State& state) {
    CanvasDocument& doc = *sharedChart().doc;
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.GetShapeAt(0.0, 0.0));
}
BENCHMARK(BM_GetShapeAtMiss)->Unit(benchmark::kMillisecond);

void BM_ShapeToFrontAndBackRandom(benchmark::State& state) {
    CanvasDocument& doc = *sharedChart().doc;
    std::mt19937 rng(19);
    std::uniform_int_distribution<std::int32_t> id(1, kShapes);
    bool front = true;
    for (auto _ : state) {
        const std::int32_t shape = id(rng);
        if (front) {
            doc.ShapeToFront(shape);
        } else {
            doc.ShapeToBack(shape);
        }
        front = !front;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ShapeToFrontAndBackRandom);

#if defined(__GLIBC__)
// Bytes the allocator has handed out: small blocks plus the large blocks it
// maps separately (big vectors).
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Heap bytes per track point: the allocator's in-use total before and after
// adding 1,000,000 points to an empty document on 10 layers (shape objects
// with the allocator's own overhead, paint-order slots, id table and
// per-layer lists, including spare vector capacity).
void BM_BytesPerPointShape(benchmark::State& state) {
    double perShape = 0.0;
    for (auto _ : state) {
        Chart chart;
        openLayers(*chart.doc, chart.layers);
        const std::size_t before = heapInUse();
        for (int i = 0; i < kShapes; ++i) {
            chart.doc->DrawPoint(kEast + i * 0.01, kNorth,
                                 chart.layers[static_cast<std::size_t>(i % kLayers)]);
        }
        const std::size_t after = heapInUse();
        perShape = static_cast<double>(after - before) / kShapes;
        state.PauseTiming();
        chart.doc.reset();
        state.ResumeTiming();
    }
    state.counters["bytes_per_point"] = perShape;
}
BENCHMARK(BM_BytesPerPointShape)->Unit(benchmark::kMillisecond)->Iterations(1);
#endif

}  // namespace
}  // namespace nivora

BENCHMARK_MAIN();
