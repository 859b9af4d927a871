// One echogram update at 1920 x 1080 with all 200 samples: the history
// step, the scale, the rows and the whole picture into the window's
// off-screen image, as each echogram tick does. A repaint is then a blit.

#include <benchmark/benchmark.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>

#include "echogram/echogram_history.h"
#include "echogram/echogram_painter.h"

namespace nivora {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kSamples = 200;

// Texts need a GUI application; without a display the offscreen platform
// serves. Made once and kept to the end of the program.
void ensureGuiApplication() {
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "echogram_bench";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

// A sloping, rippled seabed with a dropout now and then.
double seabedDepth(int i) {
    if (i % 37 == 36) return 0.0;
    return 18.0 + 6.0 * std::sin(i * 0.05) + 0.4 * std::sin(i * 1.3);
}

void BM_EchogramUpdate(benchmark::State& state) {
    ensureGuiApplication();
    EchogramHistory history;
    for (int i = 0; i < kSamples; ++i)
        history.add(seabedDepth(i), kSamples, kHeight);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    const QFont font;
    int i = kSamples;
    for (auto _ : state) {
        history.add(seabedDepth(i++), kSamples, kHeight);
        QPainter p(&image);
        paintEchogram(p, history, QSize(kWidth, kHeight), font);
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_EchogramUpdate)->Unit(benchmark::kMillisecond);

// The floor: filling the image once, which every update also does.
void BM_FillOnly(benchmark::State& state) {
    ensureGuiApplication();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        p.fillRect(QRect(0, 0, kWidth, kHeight), QColor(0xF0, 0xF8, 0xFF));
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_FillOnly)->Unit(benchmark::kMillisecond);

// What a repaint costs: the finished picture copied to a window-sized target.
void BM_Blit(benchmark::State& state) {
    ensureGuiApplication();
    const QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    QImage target(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&target);
        p.drawImage(QPoint(0, 0), picture);
        p.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_Blit)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nivora

BENCHMARK_MAIN();
