// The chart widget as the surveyor drives it: pan and zoom frames over a
// chart of 1,000,000 shapes at 1920 x 1080, and the picture rebuild that
// follows once the view is still.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <random>

#include "bench/support/million_shape_chart.h"
#include "canvas/ui/nivora_canvas.h"

namespace nivora {
namespace {

void ensureApplication() {
    if (QApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "canvas_widget_bench";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// Track marks and chart lines over 1.5 km, on ten layers.
TNivoraCanvas& millionShapeChart() {
    static TNivoraCanvas* canvas = [] {
        ensureApplication();
        auto* c = new TNivoraCanvas;
        c->resize(1920, 1080);
        c->show();
        for (int i = 0; i < 20 && !c->isVisible(); ++i)
            QApplication::processEvents();
        CanvasDocument& doc = c->Document();
        bench::drawMillionShapeChart(doc, 7);
        doc.WorldSet(415000, 4541800, 416500, 4540500);
        doc.Resize(1920, 1080);
        QApplication::processEvents();
        return c;
    }();
    return *canvas;
}

// One frame of a wheel zoom or drag: the view changes and the widget paints.
void BM_PanZoomFrameMillionShapes(benchmark::State& st) {
    TNivoraCanvas& c = millionShapeChart();
    c.Document().Dirty = true;
    c.repaint();  // the settled picture: the rebuild is known to be slow
    int i = 0;
    for (auto _ : st) {
        CanvasDocument& d = c.Document();
        if (i++ % 2 == 0) {
            d.WorldZoom(0, 0.05, 415750, 4541150);
        } else {
            d.WorldPan(12, -7);
        }
        c.repaint();
    }
    st.counters["previews"] = c.PreviewCount();
    st.counters["rebuilds"] = c.RebuildCount();
}
BENCHMARK(BM_PanZoomFrameMillionShapes)->Unit(benchmark::kMillisecond);

// The full rebuild that follows once the view is still (a size change
// always rebuilds at once, so it stands in for the settled paint).
void BM_SettledRebuildMillionShapes(benchmark::State& st) {
    TNivoraCanvas& c = millionShapeChart();
    int i = 0;
    for (auto _ : st) {
        c.resize(1920, 1080 - (i++ % 2));
        c.repaint();
    }
    st.counters["rebuilds"] = c.RebuildCount();
}
BENCHMARK(BM_SettledRebuildMillionShapes)->Unit(benchmark::kMillisecond)->Iterations(6);

// The same with the scale bar and north arrow, by day (0) and with every
// colour mapped to the night chart (1).
void BM_SettledRebuildWithFurniture(benchmark::State& st) {
    TNivoraCanvas& c = millionShapeChart();
    c.Document().Overlay.Furniture.ScaleBar = true;
    c.Document().Overlay.Furniture.NorthArrow = true;
    c.SetNightChart(st.range(0) != 0);
    int i = 0;
    for (auto _ : st) {
        c.resize(1920, 1080 - (i++ % 2));
        c.repaint();
    }
    c.SetNightChart(false);
    c.Document().Overlay.Furniture.ScaleBar = false;
    c.Document().Overlay.Furniture.NorthArrow = false;
    st.counters["rebuilds"] = c.RebuildCount();
}
BENCHMARK(BM_SettledRebuildWithFurniture)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(6);

}  // namespace
}  // namespace nivora

BENCHMARK_MAIN();
