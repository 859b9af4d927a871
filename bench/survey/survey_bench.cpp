// The real-time tick on a full chart, and whole simulated survey hours.

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <QTemporaryDir>
#include <random>
#include "core/time_zone.h"

#include "canvas/canvas_document.h"
#include "core/clock.h"
#include "sim/sentences.h"
#include "survey/survey_session.h"
#include "tools/cli/survey_runs.h"

namespace nivora {
namespace {

const QString kDemoIni = QStringLiteral(NIVORA_SOURCE_DIR "/data/demo/NivoraDW.INI");

// One tick with 1,000,000 shapes on the chart: track marks, chart lines and
// texts on ten layers, the vessel moving and following.
void BM_TickWithMillionShapes(benchmark::State& st) {
    QTemporaryDir dir;
    VirtualTime vt(QDateTime(QDate(2026, 6, 1), QTime(9, 0)));
    SurveyModels models;
    models.load(SettingsFile(kDemoIni));
    // Anything the session saves goes to the scratch folder, never the demo.
    models.file = SettingsFile(QDir(dir.path()).filePath(QStringLiteral("NivoraDW.INI")));
    models.navigation.trackInterval = QStringLiteral("1");
    CanvasDocument doc;
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> e(415000, 416500), n(4540500, 4541800);
    std::vector<int> layers;
    for (int l = 0; l < 10; ++l)
        layers.push_back(doc.LayerOpen(QStringLiteral("chart %1").arg(l)));
    for (int i = 0; i < 1000000; ++i) {
        const double x = e(rng), y = n(rng);
        if (i % 5 == 0)
            doc.DrawLine(x, y, x + 3, y + 3, layers[i % 10]);
        else
            doc.DrawPoint(x, y, layers[i % 10]);
    }
    SurveySession session(models, DayFolders(dir.path(), QDate(2026, 6, 1)), doc, vt, vt);
    session.state().CurrentLatitude = 41.0;
    session.state().CurrentLongitude = 29.0;
    session.state().TrueDepthHi = 12.3;
    double lat = 41.0;
    for (auto _ : st) {
        lat += 1e-6;
        session.state().CurrentLatitude = lat;
        session.tMapTimer();
    }
    st.counters["shapes"] = doc.ShapeCount();
}
BENCHMARK(BM_TickWithMillionShapes)->Unit(benchmark::kMillisecond)->Iterations(200);

// A simulated survey hour (1 Hz GNSS, 10 Hz sounder) with every log written.
void BM_SimulatedHour(benchmark::State& st) {
    for (auto _ : st) {
        QTemporaryDir dir;
        cli::SimulateOptions o;
        o.ini = kDemoIni;
        o.minutes = 60;
        o.out = dir.path();
        cli::RunSummary summary;
        QString error;
        if (!cli::runSimulation(o, &summary, &error)) st.SkipWithError(error.toStdString().c_str());
        st.counters["rows"] = static_cast<double>(summary.rows);
    }
    st.counters["hours_per_second"] =
        benchmark::Counter(static_cast<double>(st.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SimulatedHour)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace nivora

int main(int argc, char** argv) {
    nivora::cacheLocalTimeZone();
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
