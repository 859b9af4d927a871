// How long the UI thread goes without turning its event loop while a file
// command works on a chart of a million shapes: the longest gap between the
// ticks of a 1 ms timer, with the work on a worker (as the main window runs
// it) and with the same work done at once (the stall a command had before).
//   file_jobs_stall [shapes]

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <random>

#include "canvas/canvas_document.h"
#include "files/layout_files.h"
#include "survey/file_jobs.h"

namespace nivora {
namespace {

struct QuietView : FileJobView {
    void jobStarted(const QString&, std::function<void()>) override {}
    void jobProgress(double) override {}
    void jobFinished() override {}
};

// 80 % points, 15 % lines, 5 % short polylines over ten layers.
void fillChart(CanvasDocument& doc, int shapes) {
    std::vector<int> layers;
    for (int i = 0; i < 10; ++i)
        layers.push_back(doc.LayerOpen(QStringLiteral("L%1").arg(i)));
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> d(0.0, 10000.0);
    for (int i = 0; i < shapes; ++i) {
        const int layer = layers[static_cast<std::size_t>(i % 10)];
        const double x = 500000 + d(rng), y = 4500000 + d(rng);
        if (i % 20 == 19) {
            doc.DrawPolyline({{x, y}, {x + 5, y + 1}, {x + 9, y + 4}, {x + 12, y + 9}}, layer,
                             false);
        } else if (i % 20 >= 16) {
            doc.DrawLine(x, y, x + 3, y + 4, layer);
        } else {
            doc.DrawPoint(x, y, layer);
        }
    }
}

void writeDxf(const QString& path, int lines) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return;
    f.write("0\nSECTION\n2\nENTITIES\n");
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> d(0.0, 10000.0);
    QByteArray chunk;
    for (int i = 0; i < lines; ++i) {
        const double x = d(rng), y = d(rng);
        chunk += "0\nLINE\n8\nL" + QByteArray::number(i % 10) + "\n10\n" +
                 QByteArray::number(x, 'f', 3) + "\n20\n" + QByteArray::number(y, 'f', 3) +
                 "\n11\n" + QByteArray::number(x + 3, 'f', 3) + "\n21\n" +
                 QByteArray::number(y + 4, 'f', 3) + "\n";
        if (chunk.size() > (1 << 20)) {
            f.write(chunk);
            chunk.clear();
        }
    }
    f.write(chunk + "0\nENDSEC\n0\nEOF\n");
}

struct Stall {
    double longestMs = 0;
    double totalMs = 0;
    int over50 = 0;
};

// Starts a job from the event loop and watches the loop with a 1 ms timer
// until the job has ended.
Stall watch(const std::function<void(FileJobs::Done)>& start, bool& ok) {
    Stall out;
    QElapsedTimer clock, total;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double gap = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        out.longestMs = std::max(out.longestMs, gap);
        out.over50 += gap > 50;
        clock.restart();
    });
    QTimer::singleShot(20, [&] {
        total.start();
        start([&](const FileJobOutcome& r) {
            ok = ok && r.ok;
            out.totalMs = static_cast<double>(total.nsecsElapsed()) / 1e6;
            QTimer::singleShot(20, QCoreApplication::instance(), &QCoreApplication::quit);
        });
    });
    clock.start();
    ticker.start();
    QCoreApplication::exec();
    return out;
}

void print(const char* what, const Stall& s) {
    std::printf("%-44s total %8.1f ms   longest UI stall %7.1f ms   gaps > 50 ms: %d\n", what,
                s.totalMs, s.longestMs, s.over50);
}

int run(int shapes) {
    QTemporaryDir dir;
    const QString nwl = dir.filePath(QStringLiteral("chart.nwl"));
    const QString dxf = dir.filePath(QStringLiteral("chart.dxf"));
    {
        CanvasDocument chart;
        fillChart(chart, shapes);
        if (!CadSave(chart, nwl)) return 1;
    }
    writeDxf(dxf, shapes);
    std::printf("%d shapes: layout %.1f MB, DXF %.1f MB\n", shapes,
                static_cast<double>(QFile(nwl).size()) / 1e6,
                static_cast<double>(QFile(dxf).size()) / 1e6);

    QuietView view;
    for (const bool background : {true, false}) {
        const char* how = background ? "on a worker" : "at once   ";
        CanvasDocument doc;
        doc.LayerOpen(QStringLiteral("track"));
        doc.DrawPoint(500000, 4500000, 1);
        FileJobs jobs(doc);
        if (background) jobs.setView(&view);
        bool ok = true;
        char label[96];
        std::snprintf(label, sizeof label, "Open %d-shape layout, %s", shapes, how);
        print(label,
              watch([&](FileJobs::Done d) { jobs.load(DrawingFormat::Layout, nwl, d); }, ok));
        std::snprintf(label, sizeof label, "Import %d-line DXF, %s", shapes, how);
        print(label, watch([&](FileJobs::Done d) { jobs.load(DrawingFormat::Dxf, dxf, d); }, ok));
        const QString out = dir.filePath(QStringLiteral("out.nwl"));
        std::snprintf(label, sizeof label, "Save As %d shapes, %s", doc.ShapeCount(), how);
        print(label,
              watch([&](FileJobs::Done d) { jobs.save(DrawingFormat::Layout, out, d); }, ok));
        const QString exported = dir.filePath(QStringLiteral("out.dxf"));
        std::snprintf(label, sizeof label, "Export %d shapes, %s", doc.ShapeCount(), how);
        print(label,
              watch([&](FileJobs::Done d) { jobs.save(DrawingFormat::Dxf, exported, d); }, ok));
        if (!ok) {
            std::printf("a command failed\n");
            return 1;
        }
    }
    return 0;
}

}  // namespace
}  // namespace nivora

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int shapes = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
    return nivora::run(shapes);
}
