// Guidance per epoch with ten thousand survey lines on the chart (the
// closest-line search included), and the steering bar as the helmsman's
// display repaints it at 10 Hz.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <random>

#include "canvas/guidance_overlay.h"
#include "guidance/line_guidance.h"
#include "guidance/line_index.h"

namespace nivora {
namespace {

std::vector<SurveyLine> plan(int count) {
    // Parallel lines 25 m apart, 800 m long, in blocks across a 25 km area.
    std::vector<SurveyLine> lines;
    for (int i = 0; i < count; ++i) {
        const double x = 400000 + (i % 1000) * 25.0, y = 4500000 + (i / 1000) * 1000.0;
        SurveyLine l;
        l.points = {{x, y}, {x, y + 800}};
        lines.push_back(l);
    }
    return lines;
}

void BM_GuidancePerEpoch(benchmark::State& state) {
    const std::vector<SurveyLine> lines = plan(static_cast<int>(state.range(0)));
    const LineIndex index(lines);
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> ux(400000, 425000), uy(4500000, 4510000);
    std::vector<std::pair<double, double>> at(4096);
    for (auto& p : at)
        p = {ux(rng), uy(rng)};
    std::size_t i = 0;
    for (auto _ : state) {
        const auto& [x, y] = at[i++ & 4095];
        const auto nearest = index.nearest(x, y);
        const LineGuidance g =
            guideAlong(lines[static_cast<std::size_t>(nearest->line)], x, y, 3.0, 2.0);
        benchmark::DoNotOptimize(g);
    }
}
BENCHMARK(BM_GuidancePerEpoch)->Arg(10'000)->Unit(benchmark::kMicrosecond);

void BM_GuidanceActiveLineOnly(benchmark::State& state) {
    const std::vector<SurveyLine> lines = plan(1);
    double y = 4500000;
    for (auto _ : state) {
        y += 0.1;
        benchmark::DoNotOptimize(guideAlong(lines[0], 400001.2, y, 3.0, 2.0));
    }
}
BENCHMARK(BM_GuidanceActiveLineOnly);

// The helmsman's display at 1920 x 1080: bar, texts, as in its paint.
void BM_HelmsmanRepaint(benchmark::State& state) {
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    const SteeringBarStyle style = nightBarStyle();
    double xte = -3;
    QFont big(QStringLiteral("DejaVu Sans"));
    big.setPixelSize(260);
    big.setBold(true);
    for (auto _ : state) {
        xte += 0.01;
        QPainter p(&image);
        p.fillRect(image.rect(), QColor(10, 10, 14));
        drawSteeringBar(p, QRect(48, 170, 1824, 237), xte, 10, 0.5, style);
        p.setFont(big);
        p.setPen(style.text);
        p.drawText(QRect(48, 430, 1824, 324), Qt::AlignCenter,
                   QStringLiteral("%1 m").arg(xte, 0, 'f', 1));
        p.end();
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_HelmsmanRepaint)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nivora

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
