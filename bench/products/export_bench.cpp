// The exports on a survey's worth of rows: a million soundings to a
// GeoPackage (from the logs, and the writer alone), and to XYZ.
//
// Against GDAL: with NIVORA_BENCH_OGR2OGR set (to a row count, or 1 for ten
// million), BM_GeoPackageVsOgr2ogr writes that many rows as a coordinate
// log, times `ogr2ogr -f GPKG` converting it and our export of the same
// file, and reports both and their ratio:
//
//     NIVORA_BENCH_OGR2OGR=1 build-bench/bench/products/products_bench
//         --benchmark_filter=Ogr2ogr    (one command line)
//
// It needs about 3 GB of free space in the temporary folder.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/number_format.h"
#include "products/export_formats.h"
#include "products/geopackage_writer.h"

namespace nivora {
namespace {

// A lawnmower at 10 Hz and 2 m/s: 0.2 m between soundings, 5 m between legs.
SoundingRecord soundingAt(std::int64_t k) {
    const double t = static_cast<double>(k) * 0.2;
    const double leg = std::floor(t / 2000.0);
    const double along = std::fmod(t, 2000.0);
    SoundingRecord r;
    r.timeMs = 1714554000000LL + k * 100;
    r.easting =
        std::round((585000 + (static_cast<long long>(leg) % 2 ? 2000 - along : along)) * 100) / 100;
    r.northing = std::round((4430000 + leg * 5) * 100) / 100;
    r.latitude = 40.0 + (r.northing - 4430000) / 111000.0;
    r.longitude = 28.0 + (r.easting - 585000) / 85000.0;
    r.depthHi = std::round((12 + 3 * std::sin(t * 0.01)) * 100) / 100;
    r.depthLo = r.depthHi + 0.1;
    r.tide = 0.35;
    r.elevationHi = r.tide - r.depthHi;
    r.fixQuality = 4;
    return r;
}

// The rows as the survey writes them.
QString writeLog(const QString& dir, std::int64_t count) {
    const QString path = dir + QStringLiteral("/2024-05-01 Coordinates.csv");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return {};
    std::string s =
        "Date,Lat,Lon,Easting,Northing,Elevation (Hi),Elevation (Lo),True Depth (Hi),True Depth "
        "(Lo),Raw Depth (Hi),Raw Depth (Lo),Message Format,Sound Velocity,Transducer Draft,GPS, "
        "RTK Antenna Height,Manual Tide,RTK Tide\n";
    for (std::int64_t k = 0; k < count; ++k) {
        const SoundingRecord r = soundingAt(k);
        const std::int64_t ms = k * 100 + 10 * 3600000LL;
        char time[32];
        std::snprintf(time, sizeof time, "2024-05-01 %02d%02d%02d%03d",
                      static_cast<int>(ms / 3600000 % 24), static_cast<int>(ms / 60000 % 60),
                      static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000));
        s += time;
        for (double v : {r.latitude, r.longitude}) {
            s += ',';
            appendShortest(s, v);
        }
        for (double v : {r.easting, r.northing, r.elevationHi, r.tide - r.depthLo, r.depthHi,
                         r.depthLo, r.depthHi, r.depthLo}) {
            s += ',';
            appendFixed(s, v, 2);
        }
        s += ",DESO 25,1500.00,0.50,4,2.00,0.35,0.00\n";
        if (s.size() > (1 << 20)) {
            f.write(s.data(), static_cast<qint64>(s.size()));
            s.clear();
        }
    }
    f.write(s.data(), static_cast<qint64>(s.size()));
    return path;
}

struct Logs {
    QTemporaryDir dir;
    QString log;
    explicit Logs(std::int64_t rows) : log(writeLog(dir.path(), rows)) {}
};

const Logs& millionRows() {
    static const Logs logs(1'000'000);
    return logs;
}

void BM_GeoPackageFromLogs(benchmark::State& state) {
    const Logs& logs = millionRows();
    const QString out = logs.dir.filePath(QStringLiteral("bench.gpkg"));
    std::int64_t rows = 0;
    for (auto _ : state) {
        const ExportResult r = exportGeoPackage({logs.log}, out, {});
        if (!r.ok) state.SkipWithError(r.error.toStdString().c_str());
        rows += r.rowsWritten;
    }
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_GeoPackageFromLogs)->Unit(benchmark::kMillisecond);

void BM_GeoPackageWriterOnly(benchmark::State& state) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("bench.gpkg"));
    const std::int64_t n = 1'000'000;
    for (auto _ : state) {
        GeoPackageWriter w;
        w.open(out, DepthValue::Depth, {});
        for (std::int64_t k = 0; k < n; ++k)
            w.addSounding(soundingAt(k));
        if (!w.finish()) state.SkipWithError(w.errorString().toStdString().c_str());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_GeoPackageWriterOnly)->Unit(benchmark::kMillisecond);

void BM_XyzFromLogs(benchmark::State& state) {
    const Logs& logs = millionRows();
    const QString out = logs.dir.filePath(QStringLiteral("bench.xyz"));
    ExportOptions o;
    o.thinning = static_cast<XyzThinning>(state.range(0));
    o.cellSizeM = 1.0;
    for (auto _ : state) {
        const ExportResult r = exportXyz({logs.log}, out, o);
        if (!r.ok) state.SkipWithError(r.error.toStdString().c_str());
    }
    state.SetItemsProcessed(state.iterations() * 1'000'000);
    state.SetLabel(xyzThinningWord(o.thinning));
}
BENCHMARK(BM_XyzFromLogs)
    ->Arg(static_cast<int>(XyzThinning::All))
    ->Arg(static_cast<int>(XyzThinning::Shoalest))
    ->Unit(benchmark::kMillisecond);

void BM_GeoPackageVsOgr2ogr(benchmark::State& state, std::int64_t rows) {
    QTemporaryDir dir;
    const QString log = writeLog(dir.path(), rows);
    const QString ours = dir.filePath(QStringLiteral("ours.gpkg"));
    const QString theirs = dir.filePath(QStringLiteral("ogr2ogr.gpkg"));
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        QProcess p;
        p.start(QStringLiteral("ogr2ogr"),
                {QStringLiteral("-f"), QStringLiteral("GPKG"), theirs, log, QStringLiteral("-nln"),
                 QStringLiteral("soundings"), QStringLiteral("-oo"),
                 QStringLiteral("X_POSSIBLE_NAMES=Easting"), QStringLiteral("-oo"),
                 QStringLiteral("Y_POSSIBLE_NAMES=Northing"), QStringLiteral("-oo"),
                 QStringLiteral("AUTODETECT_TYPE=YES")});
        if (!p.waitForStarted() || !p.waitForFinished(-1) || p.exitCode() != 0) {
            state.SkipWithError("ogr2ogr failed");
            return;
        }
        const double gdal = static_cast<double>(t.nsecsElapsed()) / 1e9;
        t.restart();
        const ExportResult r = exportGeoPackage({log}, ours, {});
        const double nivora = static_cast<double>(t.nsecsElapsed()) / 1e9;
        if (!r.ok) {
            state.SkipWithError(r.error.toStdString().c_str());
            return;
        }
        state.SetIterationTime(nivora);
        state.counters["ours_s"] = nivora;
        state.counters["ogr2ogr_s"] = gdal;
        state.counters["ratio"] = gdal / nivora;
        state.counters["rows"] = static_cast<double>(r.rowsWritten);
        state.counters["ours_MB"] = static_cast<double>(QFileInfo(ours).size()) / 1048576.0;
        state.counters["ogr2ogr_MB"] = static_cast<double>(QFileInfo(theirs).size()) / 1048576.0;
    }
}

// Registered only on request: it runs for minutes and needs GDAL.
[[maybe_unused]] const bool kOgr2ogrRegistered = [] {
    const char* v = std::getenv("NIVORA_BENCH_OGR2OGR");
    if (!v || !*v) return false;
    std::int64_t rows = std::atoll(v);
    if (rows <= 1) rows = 10'000'000;
    benchmark::RegisterBenchmark("BM_GeoPackageVsOgr2ogr", BM_GeoPackageVsOgr2ogr, rows)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
    return true;
}();

}  // namespace
}  // namespace nivora
