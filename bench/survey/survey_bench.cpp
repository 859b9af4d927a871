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
#include "survey/alarm_monitor.h"
#include "survey/chart_session.h"
#include "survey/realtime_survey.h"
#include "survey/sounding_timeline.h"
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

// The alarm checks of one epoch, one sounding and the data-age tick, every
// alarm on; the values alternate about their thresholds, so that causes
// come and go (clearing is held, so few changes are logged).
void BM_AlarmChecksPerEpoch(benchmark::State& st) {
    AlarmMonitor m;
    QualitySettings settings;
    qint64 now = 1'800'000'000'000;
    m.start(settings, true, now);
    GnssEpoch e;
    e.latitudeDeg = 41;
    e.longitudeDeg = 29;
    e.hdop = 0.9;
    e.correctionAgeS = 1.0;
    CorrectedSounding s;
    s.measuredHi = true;
    std::size_t changes = 0;
    int i = 0;
    for (auto _ : st) {
        ++i;
        e.fixQuality = i % 50 < 45 ? 4 : 5;
        e.satellites = i % 70 < 60 ? 14 : 5;
        e.speedKnots = 4;
        s.trueHi = 12;
        now += 100;
        changes += m.onEpoch(e, now).size();
        changes += m.onSounding(s, now).size();
        changes += m.onCrossTrack(i % 30 < 25 ? 1.0 : 6.0, now).size();
        changes += m.onTime(now).size();
    }
    benchmark::DoNotOptimize(changes);
    st.counters["changes"] = static_cast<double>(changes);
}
BENCHMARK(BM_AlarmChecksPerEpoch)->Unit(benchmark::kNanosecond);

// A sounding at 10 Hz placed between 1 Hz epochs: the timeline's cost per sounding.
void BM_SoundingAtItsOwnTime(benchmark::State& st) {
    SoundingTimeline t;
    qint64 ms = 0;
    GnssEpoch e;
    e.fixQuality = 4;
    CorrectedSounding s;
    std::size_t placed = 0;
    for (auto _ : st) {
        ms += 100;
        if (ms % 1000 == 0) {
            e.timeMs = ms;
            e.latitudeDeg = 41 + ms * 1e-9;
            e.longitudeDeg = 29;
            t.addEpoch(e);
        }
        s.timeMs = ms - 30;
        t.addSounding(s);
        placed += t.take(ms).size();
    }
    benchmark::DoNotOptimize(placed);
}
BENCHMARK(BM_SoundingAtItsOwnTime)->Unit(benchmark::kNanosecond);

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
