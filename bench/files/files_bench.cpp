// Drawing files at survey scale.
//
// - DXF import of a generated drawing of about 60 MB (lines, light-weight
//   polylines, circles, arcs and texts over ten layers, a block and its
//   inserts), beside Debian's dxflib reading the same file in the same run.
// - Layout file save and load with 1,000,000 shapes, beside zlib alone
//   compressing the same body at its default level.
// - XYZ import of 1,000,000 samples on a regular grid.

#include <benchmark/benchmark.h>
#include <zlib.h>

#if defined(NIVORA_HAVE_DXFLIB)
#include <dl_creationadapter.h>
#include <dl_dxf.h>
#endif

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <random>
#include <string>

#include "canvas/canvas_document.h"
#include "core/number_format.h"
#include "files/dxf_reader.h"
#include "files/layout_files.h"
#include "files/nwl_file.h"
#include "files/xyz_reader.h"

namespace nivora {
namespace {

constexpr double kEast = 500000.0;
constexpr double kNorth = 4500000.0;

QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

void group(std::string& s, const char* code, std::string_view value) {
    s.append(code).push_back('\n');
    s.append(value).push_back('\n');
}

void number(std::string& s, const char* code, double v) {
    s.append(code).push_back('\n');
    appendFixed(s, v, 6);
    s.push_back('\n');
}

// A drawing as CAD programs write R12: group codes right-aligned in three
// columns, six decimals.
const std::string& dxfPath() {
    static const std::string path = [] {
        std::string s;
        s.reserve(64u << 20);
        s += "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n  0\nENDSEC\n";
        s += "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n 70\n10\n";
        for (int l = 0; l < 10; ++l) {
            s += "  0\nLAYER\n  2\nCHART_" + std::to_string(l) + "\n 70\n0\n 62\n" +
                 std::to_string(l + 1) + "\n  6\nCONTINUOUS\n";
        }
        s += "  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nBLOCKS\n";
        s += "  0\nBLOCK\n  8\n0\n  2\nBUOY\n 70\n0\n 10\n0.0\n 20\n0.0\n 30\n0.0\n";
        for (int k = 0; k < 4; ++k) {
            s += "  0\nLINE\n  8\n0\n";
            number(s, " 10", k);
            number(s, " 20", 0);
            number(s, " 11", 0);
            number(s, " 21", k);
        }
        s += "  0\nENDBLK\n  8\n0\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n";
        std::mt19937 rng(11);
        std::uniform_real_distribution<double> u(0.0, 20000.0);
        const std::string layers[] = {"CHART_0", "CHART_1", "CHART_2", "CHART_3", "CHART_4",
                                      "CHART_5", "CHART_6", "CHART_7", "CHART_8", "CHART_9"};
        for (int i = 0; s.size() < (60u << 20); ++i) {
            const std::string& layer = layers[i % 10];
            const double x = kEast + u(rng);
            const double y = kNorth + u(rng);
            switch (i % 20) {
                case 0:
                case 1:
                case 2:
                case 3:
                case 4:
                case 5:
                case 6:
                case 7:
                case 8:
                case 9:
                    group(s, "  0", "LINE");
                    group(s, "  8", layer);
                    number(s, " 10", x);
                    number(s, " 20", y);
                    number(s, " 30", 0);
                    number(s, " 11", x + 12.5);
                    number(s, " 21", y - 7.25);
                    number(s, " 31", 0);
                    break;
                case 10:
                case 11:
                case 12:
                case 13: {
                    group(s, "  0", "LWPOLYLINE");
                    group(s, "  8", layer);
                    group(s, " 90", "8");
                    group(s, " 70", "0");
                    for (int k = 0; k < 8; ++k) {
                        number(s, " 10", x + k * 3.0);
                        number(s, " 20", y + k * 1.5);
                    }
                    break;
                }
                case 14:
                case 15:
                    group(s, "  0", "CIRCLE");
                    group(s, "  8", layer);
                    group(s, " 62", "3");
                    number(s, " 10", x);
                    number(s, " 20", y);
                    number(s, " 30", 0);
                    number(s, " 40", 4.5);
                    break;
                case 16:
                case 17:
                    group(s, "  0", "ARC");
                    group(s, "  8", layer);
                    number(s, " 10", x);
                    number(s, " 20", y);
                    number(s, " 40", 9.0);
                    number(s, " 50", 30.0);
                    number(s, " 51", 120.0);
                    break;
                case 18:
                    group(s, "  0", "TEXT");
                    group(s, "  8", layer);
                    number(s, " 10", x);
                    number(s, " 20", y);
                    number(s, " 40", 2.5);
                    group(s, "  1", "12.4");
                    break;
                default:
                    group(s, "  0", "INSERT");
                    group(s, "  8", layer);
                    group(s, "  2", "BUOY");
                    number(s, " 10", x);
                    number(s, " 20", y);
                    number(s, " 50", 45.0);
                    break;
            }
        }
        s += "  0\nENDSEC\n  0\nEOF\n";
        const QString file = scratch().filePath(QStringLiteral("chart.dxf"));
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(s.data(), static_cast<qint64>(s.size()));
        return file.toStdString();
    }();
    return path;
}

qint64 fileSize(const std::string& path) {
    return QFile(QString::fromStdString(path)).size();
}

void BM_DxfImport(benchmark::State& state) {
    const std::string& path = dxfPath();
    std::int64_t entities = 0;
    for (auto _ : state) {
        auto doc = std::make_unique<CanvasDocument>();
        QFile f(QString::fromStdString(path));
        f.open(QIODevice::ReadOnly);
        DxfReader reader;
        if (!reader.read(f, *doc)) state.SkipWithError("import failed");
        entities = reader.imported();
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * fileSize(path));
    state.counters["entities"] = static_cast<double>(entities);
}
BENCHMARK(BM_DxfImport)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

#if defined(NIVORA_HAVE_DXFLIB)
class CountingAdapter : public DL_CreationAdapter {
  public:
    void addLine(const DL_LineData&) override { ++count; }
    void addCircle(const DL_CircleData&) override { ++count; }
    void addArc(const DL_ArcData&) override { ++count; }
    void addPolyline(const DL_PolylineData&) override { ++count; }
    void addVertex(const DL_VertexData&) override { ++vertices; }
    void addText(const DL_TextData&) override { ++count; }
    void addInsert(const DL_InsertData&) override { ++count; }
    long long count = 0;
    long long vertices = 0;
};

// The peer: dxflib's reader with a creation interface that only counts.
void BM_DxflibRead(benchmark::State& state) {
    const std::string& path = dxfPath();
    long long entities = 0;
    for (auto _ : state) {
        CountingAdapter adapter;
        DL_Dxf dxf;
        if (!dxf.in(path, &adapter)) state.SkipWithError("dxflib failed");
        entities = adapter.count;
    }
    state.SetBytesProcessed(state.iterations() * fileSize(path));
    state.counters["entities"] = static_cast<double>(entities);
}
BENCHMARK(BM_DxflibRead)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
#endif

// A survey day's chart: 1,000,000 shapes (track points, lines, polylines,
// labels) over a few layers.
CanvasDocument& surveyChart() {
    static CanvasDocument* doc = [] {
        auto* d = new CanvasDocument;
        const int layers[] = {
            d->LayerOpen(QStringLiteral("track_fix")), d->LayerOpen(QStringLiteral("track_float")),
            d->LayerOpen(QStringLiteral("Chart lines")), d->LayerOpen(QStringLiteral("Labels"))};
        std::mt19937 rng(5);
        std::uniform_real_distribution<double> u(0.0, 20000.0);
        for (int i = 0; i < 1000000; ++i) {
            const double x = kEast + u(rng);
            const double y = kNorth + u(rng);
            switch (i % 10) {
                case 0:
                case 1:
                case 2:
                case 3:
                case 4: {
                    const std::int32_t id = d->DrawPoint(x, y, layers[i % 2]);
                    d->SetShapePenFg(id, 0x00FF00);
                    break;
                }
                case 5:
                case 6:
                case 7:
                    d->DrawLine(x, y, x + 25.0, y + 10.0, layers[2]);
                    break;
                case 8:
                    d->DrawPolyline({{x, y}, {x + 5, y + 1}, {x + 9, y + 4}, {x + 12, y + 9}},
                                    layers[2], false);
                    break;
                default:
                    d->TextAdd(layers[3], QStringLiteral("%1").arg(i % 400 / 10.0), x, y, 0);
                    break;
            }
        }
        return d;
    }();
    return *doc;
}

const std::string& chartBody() {
    static const std::string body = NwlWriter::body(surveyChart(), QDateTime::currentDateTime());
    return body;
}

// The floor: zlib alone compressing the body at its default level.
void BM_ZlibBody(benchmark::State& state) {
    const std::string& body = chartBody();
    std::string out(compressBound(static_cast<uLong>(body.size())), '\0');
    for (auto _ : state) {
        uLongf size = static_cast<uLongf>(out.size());
        compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(body.data()), static_cast<uLong>(body.size()),
                  Z_DEFAULT_COMPRESSION);
        benchmark::DoNotOptimize(size);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(body.size()));
    state.counters["body_MB"] = static_cast<double>(body.size()) / 1e6;
}
BENCHMARK(BM_ZlibBody)->Unit(benchmark::kMillisecond)->MinTime(10.0)->UseRealTime();

// The text alone, without compression: what the save adds to zlib's time.
void BM_NwlBodyText(benchmark::State& state) {
    const CanvasDocument& doc = surveyChart();
    std::size_t size = 0;
    for (auto _ : state) {
        size = NwlWriter::body(doc, QDateTime::currentDateTime()).size();
        benchmark::DoNotOptimize(size);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
}
BENCHMARK(BM_NwlBodyText)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

const QString& nwlPath() {
    static const QString path = scratch().filePath(QStringLiteral("chart.nwl"));
    return path;
}

// CadSave: the whole path, from the document to the renamed file.
void BM_NwlSave(benchmark::State& state) {
    const CanvasDocument& doc = surveyChart();
    for (auto _ : state) {
        if (!CadSave(doc, nwlPath())) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(chartBody().size()));
    state.counters["shapes"] = doc.ShapeCount();
}
BENCHMARK(BM_NwlSave)->Unit(benchmark::kMillisecond)->MinTime(10.0)->UseRealTime();

void BM_NwlLoad(benchmark::State& state) {
    if (!QFile::exists(nwlPath())) CadSave(surveyChart(), nwlPath());
    for (auto _ : state) {
        auto doc = std::make_unique<CanvasDocument>();
        if (!CadLoad(*doc, nwlPath(), -1, -1, 0)) state.SkipWithError("load failed");
        state.PauseTiming();
        if (doc->ShapeCount() != 1000000) state.SkipWithError("shapes lost");
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["shapes"] = 1000000;
}
BENCHMARK(BM_NwlLoad)->Unit(benchmark::kMillisecond)->MinTime(5.0)->UseRealTime();

const std::string& xyzBytes() {
    static const std::string text = [] {
        std::string s;
        for (int i = 0; i < 1000; ++i) {
            for (int j = 0; j < 1000; ++j) {
                appendFixed(s, kEast + j * 2.0, 2);
                s.push_back(' ');
                appendFixed(s, kNorth + i * 2.0, 2);
                s.push_back(' ');
                appendFixed(s, 5.0 + std::sin(i * 0.01) * 3.0 + j * 0.001, 3);
                s.push_back('\n');
            }
        }
        return s;
    }();
    return text;
}

void BM_XyzImport(benchmark::State& state) {
    const std::string& text = xyzBytes();
    for (auto _ : state) {
        auto doc = std::make_unique<CanvasDocument>();
        QBuffer buffer;
        buffer.setData(text.data(), static_cast<qsizetype>(text.size()));
        buffer.open(QIODevice::ReadOnly);
        XyzReader reader(0, 0.0, 0.0);
        if (!reader.read(buffer, *doc) || reader.created() != 1000000)
            state.SkipWithError("import failed");
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["samples"] = 1000000;
}
BENCHMARK(BM_XyzImport)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

}  // namespace
}  // namespace nivora

BENCHMARK_MAIN();
