// The coverage grid as the survey feeds and draws it: one sounding added
// (goal under 1 us), and a picture rebuild of a million covered cells and
// a day of depth-coloured soundings at 1920 x 1080.

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cmath>

#include "products/depth_picture.h"

namespace nivora {
namespace {

// A lawnmower at 10 Hz and 2 m/s: 0.2 m between soundings, 5 m between legs.
void BM_GridAddSounding(benchmark::State& state) {
    CoverageGrid grid(state.range(0) / 10.0);
    double t = 0;
    for (auto _ : state) {
        const double leg = std::floor(t / 2000.0);
        const double along = std::fmod(t, 2000.0);
        grid.add(500000 + (static_cast<long long>(leg) % 2 ? 2000 - along : along),
                 6600000 + leg * 5, 12 + std::sin(t * 0.01));
        t += 0.2;
    }
    state.counters["cells"] = static_cast<double>(grid.cellsFilled());
    state.counters["MB"] = grid.memoryBytes() / 1048576.0;
}
BENCHMARK(BM_GridAddSounding)->Arg(5)->Arg(50);  // 0.5 m and 5 m cells

// 2 km of the survey across a 1920 x 1080 picture.
ViewWindow fullHdView() {
    ViewWindow view;
    view.Width = 1920;
    view.Height = 1080;
    view.WorldSet(0, 2000, 2000 * 1920.0 / 1080, 0);
    return view;
}

// A million covered cells (1000 x 1000 at 2 m) filling the view.
void BM_DrawMillionCellGrid(benchmark::State& state) {
    DepthPicture picture;
    DepthPictureSettings s;
    s.cellSizeM = 2;
    s.showSoundings = false;
    picture.setSettings(s);
    CoverageGrid cells(2);
    for (int j = 0; j < 1000; ++j)
        for (int i = 0; i < 1000; ++i)
            cells.add(i * 2 + 1, j * 2 + 1, 5 + (i + j) % 40);
    picture.addOlder(cells, {}, {});
    const ViewWindow view = fullHdView();
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        picture.paintUnderShapes(p, view);
    }
    state.counters["cells"] = static_cast<double>(picture.grid().cellsFilled());
}
BENCHMARK(BM_DrawMillionCellGrid)->Unit(benchmark::kMillisecond);

// A survey day's 500,000 soundings as dots over the same view.
void BM_DrawDaySoundings(benchmark::State& state) {
    DepthPicture picture;
    DepthPictureSettings s;
    s.showGrid = false;
    picture.setSettings(s);
    for (int k = 0; k < 500000; ++k) {
        const double t = k * 0.2;
        const double leg = std::floor(t / 2000.0);
        picture.add(std::fmod(t, 2000.0), leg * 2, 5 + std::fmod(t, 40.0));
    }
    const ViewWindow view = fullHdView();
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        picture.paintOverShapes(p, view);
    }
}
BENCHMARK(BM_DrawDaySoundings)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nivora

BENCHMARK_MAIN();
