// The real-time tick on a full chart, and whole simulated survey hours.

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <QTemporaryDir>
#include <random>
#include "core/time_zone.h"

#include "bench/support/million_shape_chart.h"
#include "canvas/canvas_document.h"
#include "core/clock.h"
#include "sim/sentences.h"
#include "sim/sim_ports.h"
#include "survey/chart_session.h"
#include "survey/realtime_survey.h"
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
    // Anything the survey saves goes to the scratch folder, never the demo.
    models.file = SettingsFile(QDir(dir.path()).filePath(QStringLiteral("NivoraDW.INI")));
    models.navigation.trackInterval = QStringLiteral("1");
    CanvasDocument doc;
    bench::drawMillionShapeChart(doc, 3);
    RealtimeSurvey survey(models, DayFolders(dir.path(), QDate(2026, 6, 1)), vt, vt,
                          LogWriter::WhenFull::WaitForWriter);
    ChartSession chart(survey, doc);
    MemoryTransport* gnss = nullptr;
    MemoryTransport* sounder = nullptr;
    survey.setTransportFactories(MemoryTransport::factory(gnss), MemoryTransport::factory(sounder));
    survey.RealtimeClick();
    double lat = 41.0;
    for (auto _ : st) {
        // A new epoch and a sounding reach the survey, then one tick.
        st.PauseTiming();
        lat += 1e-6;
        sim::GnssEpoch e;
        e.utc = QDateTime(QDate(2026, 6, 1), QTime(9, 0), Qt::UTC);
        e.latitude = lat;
        e.longitude = 29.0;
        gnss->push(QByteArray::fromStdString(sim::gnssSentences(e)[0] + "\r\n"));
        sounder->push("$SDDBT,40.4,f,12.3,M,6.7,F\r\n");
        survey.gnss().pollTick();
        survey.sounder().pollTick();
        st.ResumeTiming();
        survey.cycle().tick();
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
