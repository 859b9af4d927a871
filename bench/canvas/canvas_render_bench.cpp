// Chart picture at 1920 x 1080: a rebuild with 500,000 track points and
// 50,000 chart lines against a bare QPainter loop drawing the same
// primitives (the floor), a paint from the cached picture with every
// overlay against a bare blit, and long lines with the pens QPainter offers.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "canvas/canvas_document.h"
#include "canvas/canvas_interaction.h"
#include "canvas/canvas_renderer.h"
#include "canvas/overlay_painter.h"
#include "canvas/qt_color.h"

namespace nivora {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kTrackPoints = 500000;
constexpr int kChartLines = 50000;
constexpr int kLineLayers = 10;

// Texts need a GUI application; without a display the offscreen platform
// serves. Made once, on first use, and kept to the end of the program.
void ensureGuiApplication() {
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "canvas_render_bench";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

// The world is the client area, one metre per pixel, so the picture and
// the raw loop agree on every pixel position.
void setView(CanvasDocument& doc) {
    doc.View.Width = kWidth;
    doc.View.Height = kHeight;
    doc.View.WorldSet(0, kHeight, kWidth, 0);
}

struct Line {
    double x1, y1, x2, y2;
    TColor color;
};
struct Dot {
    double x, y;
};

// Short chart lines in blocks of one layer (as an imported drawing has
// them), up to 20 pixels long.
std::vector<Line> chartLines(bool longLines) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> x(0, kWidth), y(0, kHeight), d(-10, 10);
    const TColor palette[kLineLayers] = {
        colors::Blue,   colors::Navy, colors::Maroon, colors::Teal,  colors::Olive,
        colors::Purple, colors::Gray, colors::Red,    colors::Black, colors::Green};
    std::vector<Line> lines;
    for (int i = 0; i < kChartLines; ++i) {
        const double x1 = x(rng);
        const double y1 = y(rng);
        const TColor c = palette[(i / 100) % kLineLayers];
        if (longLines) {
            lines.push_back({x1, y1, x(rng), y(rng), c});
        } else {
            lines.push_back({x1, y1, x1 + d(rng), y1 + d(rng), c});
        }
    }
    return lines;
}

// Survey lines east and west, a point every 3.5 pixels: far enough apart
// that none is thinned. With the chart lines that is over the cap of
// 500,000 shapes per rebuild, so both sides draw the first 500,000.
std::vector<Dot> trackDots() {
    std::vector<Dot> dots;
    dots.reserve(kTrackPoints);
    const int perLine = 540;
    for (int i = 0; static_cast<int>(dots.size()) < kTrackPoints; ++i) {
        const double y = 5.5 + (i * 1.15);
        for (int k = 0; k < perLine && static_cast<int>(dots.size()) < kTrackPoints; ++k) {
            const double x = 10.5 + k * 3.5;
            dots.push_back({i % 2 ? kWidth - x : x, std::fmod(y, kHeight - 10.0)});
        }
    }
    return dots;
}

struct Load {
    std::unique_ptr<CanvasDocument> doc = std::make_unique<CanvasDocument>();
    std::vector<Line> lines;
    std::vector<Dot> dots;
    int trackWidth = 1;
};

// `trackWidth` 1 gives the default point symbol (an 8 x 8 square); 2 the
// survey's track marks (discs of radius 5).
Load makeLoad(int trackWidth, bool longLines = false, bool withTrack = true) {
    Load load;
    load.trackWidth = trackWidth;
    CanvasDocument& doc = *load.doc;
    setView(doc);
    load.lines = chartLines(longLines);
    int layers[kLineLayers];
    for (int i = 0; i < kLineLayers; ++i)
        layers[i] = doc.LayerOpen(QStringLiteral("chart%1").arg(i));
    for (const Line& l : load.lines) {
        const int id = doc.DrawLine(l.x1, l.y1, l.x2, l.y2, layers[0]);
        doc.SetShapePenFg(id, l.color);
    }
    if (withTrack) {
        load.dots = trackDots();
        const int fix = doc.LayerOpen(QStringLiteral("track_fix"));
        for (const Dot& d : load.dots)
            doc.DrawPoint(d.x, d.y, fix);
        doc.SetLayerPenFg(fix, colors::Green);
        doc.SetLayerPenWidth(fix, trackWidth);
    }
    return load;
}

QImage picture() {
    return QImage(kWidth, kHeight, QImage::Format_RGB32);
}

// ---- Rebuild against the floor ----

void rebuild(benchmark::State& state, int trackWidth, bool fastPaths) {
    ensureGuiApplication();
    Load load = makeLoad(trackWidth);
    QImage image = picture();
    CanvasRenderer renderer;
    RenderSettings settings;
    settings.FastPaths = fastPaths;
    RenderStats stats;
    for (auto _ : state) {
        stats = renderer.RenderPicture(image, *load.doc, settings);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["drawn"] = stats.Drawn;
    state.counters["thinned"] = stats.Thinned;
}

void BM_Rebuild_Squares(benchmark::State& state) {
    rebuild(state, 1, true);
}
BENCHMARK(BM_Rebuild_Squares)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Rebuild_Squares_PlainQPainter(benchmark::State& state) {
    rebuild(state, 1, false);
}
BENCHMARK(BM_Rebuild_Squares_PlainQPainter)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Rebuild_Discs(benchmark::State& state) {
    rebuild(state, 2, true);
}
BENCHMARK(BM_Rebuild_Discs)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same primitives straight from arrays: fill, one pen per colour run,
// the lines, then the point symbols as the renderer defines them.
void rawLoop(benchmark::State& state, int trackWidth, bool strokedDiscs) {
    ensureGuiApplication();
    const Load load = makeLoad(trackWidth, false, false);
    // The renderer stops at its cap; the floor draws the same first shapes.
    std::vector<Dot> dots = trackDots();
    dots.resize(CanvasRenderer::kMaxShapesPerRebuild - load.lines.size());
    QImage image = picture();
    const int s = 3 + trackWidth;
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        TColor current = 0xFFFFFFFF;
        for (const Line& l : load.lines) {
            if (l.color != current) {
                p.setPen(QPen(toQColor(l.color), 0));
                current = l.color;
            }
            p.drawLine(int(l.x1), int(kHeight - l.y1), int(l.x2), int(kHeight - l.y2));
        }
        const QColor green = toQColor(colors::Green);
        if (s <= 4) {
            for (const Dot& d : dots) {
                p.fillRect(QRect(int(d.x) - s, int(kHeight - d.y) - s, 2 * s, 2 * s), green);
            }
        } else {
            p.setPen(strokedDiscs ? QPen(green, trackWidth) : QPen(Qt::NoPen));
            p.setBrush(green);
            for (const Dot& d : dots)
                p.drawEllipse(QRect(int(d.x) - s, int(kHeight - d.y) - s, 2 * s, 2 * s));
        }
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["drawn"] = double(dots.size() + load.lines.size());
}

void BM_RawLoop_Squares(benchmark::State& state) {
    rawLoop(state, 1, true);
}
BENCHMARK(BM_RawLoop_Squares)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_RawLoop_Discs_Stroked(benchmark::State& state) {
    rawLoop(state, 2, true);
}
BENCHMARK(BM_RawLoop_Discs_Stroked)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_RawLoop_Discs_FillOnly(benchmark::State& state) {
    rawLoop(state, 2, false);
}
BENCHMARK(BM_RawLoop_Discs_FillOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A whole survey in view: points a metre apart, most of them thinned.
void BM_Rebuild_WholeSurveyThinned(benchmark::State& state) {
    ensureGuiApplication();
    CanvasDocument doc;
    setView(doc);
    const int fix = doc.LayerOpen(QStringLiteral("track_fix"));
    for (int i = 0; i < kTrackPoints; ++i) {
        const int line = i / 2000;
        const double along = (i % 2000) * 0.9;
        doc.DrawPoint(line % 2 ? kWidth - along : along, 10 + line * 4.2, fix);
    }
    doc.SetLayerPenFg(fix, colors::Green);
    doc.SetLayerPenWidth(fix, 2);
    QImage image = picture();
    CanvasRenderer renderer;
    RenderStats stats;
    for (auto _ : state) {
        stats = renderer.RenderPicture(image, doc, RenderSettings{});
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["drawn"] = stats.Drawn;
    state.counters["thinned"] = stats.Thinned;
}
BENCHMARK(BM_Rebuild_WholeSurveyThinned)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// ---- Paint from the cached picture ----

QImage backingStore() {
    return QImage(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
}

void BM_Blit(benchmark::State& state) {
    ensureGuiApplication();
    QImage cached = picture();
    cached.fill(Qt::white);
    QImage screen = backingStore();
    for (auto _ : state) {
        QPainter p(&screen);
        p.drawImage(0, 0, cached);
        p.end();
        benchmark::DoNotOptimize(screen.constBits());
    }
}
BENCHMARK(BM_Blit)->Unit(benchmark::kMillisecond);

// Every overlay at once: a polygon being drawn, the distance measure, the
// given number of depth labels in view (of the 10,000 kept), event labels
// and both boxes.
void BM_PaintCachedWithEveryOverlay(benchmark::State& state) {
    ensureGuiApplication();
    CanvasDocument doc;
    setView(doc);
    // Labels 19 m apart on lines 54 m apart: in view first, the rest far away.
    const int inView = static_cast<int>(state.range(0));
    for (int i = 0; i < 10000; ++i) {
        const double x = 10 + (i % 100) * 19.0;
        const double y = i < inView ? 10 + (i / 100) * 54.0 : 5000 + (i / 100) * 54.0;
        doc.AddDepthLabel(x, y, 5 + i % 37);
    }
    for (int i = 0; i < 50; ++i)
        doc.AddEventLabel(100 + i * 35.0, 500, i + 1);
    doc.SetCurrentDepth(12.34, 11.8, true);
    doc.SetCurrentSpeed(4.6, true);
    doc.SetPositionStatus(QStringLiteral("RTK Fix | Spd: 4.6 kn | SV: 14 | Ant: 1.20 m | Tide: "
                                         "0.35 m | Depth: 12.34 m"),
                          4);
    doc.StartDistanceMeasure(400, 400);
    doc.UpdateDistanceMeasure(900, 700, 583.1, 59.0);
    CanvasInteraction ui(doc);
    ui.ToolMode = tool::Polygon;
    for (int i = 0; i < 20; ++i)
        ui.MouseDown(mouse_button::Left, 0, 200 + i * 60, 300 + (i % 3) * 80);
    ui.MouseMove(0, 1500, 900);

    QImage cached = picture();
    CanvasRenderer renderer;
    renderer.RenderPicture(cached, doc, RenderSettings{});
    QImage screen = backingStore();
    OverlayCaches caches;
    int visibleLabels = 0;
    for (const DepthLabel& l : doc.Overlay.DepthLabels)
        visibleLabels += l.y >= 0 && l.y <= kHeight;
    for (auto _ : state) {
        QPainter p(&screen);
        p.drawImage(0, 0, cached);
        DrawOverlays(p, doc, &ui, &caches);
        p.end();
        benchmark::DoNotOptimize(screen.constBits());
    }
    state.counters["depth_labels_in_view"] = visibleLabels;
}
BENCHMARK(BM_PaintCachedWithEveryOverlay)
    ->Arg(0)
    ->Arg(300)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond);

// ---- Long lines and pens ----

void longLinesWithPen(benchmark::State& state, const QPen& pen) {
    ensureGuiApplication();
    const std::vector<Line> lines = chartLines(true);
    QImage image = picture();
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        p.setPen(pen);
        for (const Line& l : lines)
            p.drawLine(QPointF(l.x1, l.y1), QPointF(l.x2, l.y2));
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_LongLines_QPainterCosmeticWidth1(benchmark::State& state) {
    longLinesWithPen(state, QPen(Qt::black, 0));
}
BENCHMARK(BM_LongLines_QPainterCosmeticWidth1)->Unit(benchmark::kMillisecond);

void BM_LongLines_QPainterWidth2SquareCap(benchmark::State& state) {
    longLinesWithPen(state, QPen(Qt::black, 2, Qt::SolidLine, Qt::SquareCap));
}
BENCHMARK(BM_LongLines_QPainterWidth2SquareCap)->Unit(benchmark::kMillisecond);

void BM_LongLines_QPainterWidth2RoundCap(benchmark::State& state) {
    longLinesWithPen(state, QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}
BENCHMARK(BM_LongLines_QPainterWidth2RoundCap)->Unit(benchmark::kMillisecond);

// The renderer on the same lines: width 1 goes to the direct line writer.
void longLinesRendered(benchmark::State& state, int width) {
    ensureGuiApplication();
    Load load = makeLoad(1, true, false);
    for (int layer = 0; layer < load.doc->NextLayerId(); ++layer)
        load.doc->SetLayerPenWidth(layer, width);
    QImage image = picture();
    CanvasRenderer renderer;
    for (auto _ : state) {
        renderer.RenderPicture(image, *load.doc, RenderSettings{});
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_LongLines_RendererWidth1(benchmark::State& state) {
    longLinesRendered(state, 1);
}
BENCHMARK(BM_LongLines_RendererWidth1)->Unit(benchmark::kMillisecond);

void BM_LongLines_RendererWidth2(benchmark::State& state) {
    longLinesRendered(state, 2);
}
BENCHMARK(BM_LongLines_RendererWidth2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nivora

BENCHMARK_MAIN();
