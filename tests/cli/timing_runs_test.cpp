// The position of each sounding at its own time, in simulated surveys
// against the simulator's truth: the GNSS at 1 Hz, the sounder at 10 Hz.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <map>

#include "core/ini_store.h"
#include "tests/cli/run_rows.h"
#include "tools/cli/survey_runs.h"

namespace nivora {
namespace {

using test::readRows;

const QString kDemoIni = QStringLiteral(NIVORA_SOURCE_DIR "/data/demo/NivoraDW.INI");

struct Distances {
    double median = 0, p95 = 0;
    std::size_t matched = 0;
};

// Each row with a position against the truth of the sounding at the same
// moment (to the millisecond): how far apart they lie.
Distances againstTruth(const QString& out, const cli::RunSummary& s) {
    std::map<QByteArray, std::pair<double, double>> truth;
    for (const test::Row& r : readRows(out + QStringLiteral("/truth.csv")))
        truth[r.f[0]] = {r.at(1), r.at(2)};
    std::vector<double> d;
    for (const test::Row& r :
         readRows(s.dayFolder + QStringLiteral("LOG/2026-06-01 Coordinates.csv"))) {
        if (r.at(3) == 0 && r.at(4) == 0) continue;
        const auto t = truth.find(r.f[0]);
        if (t == truth.end()) continue;
        d.push_back(std::hypot(r.at(3) - t->second.first, r.at(4) - t->second.second));
    }
    std::sort(d.begin(), d.end());
    if (d.empty()) return {};
    return {d[d.size() / 2], d[static_cast<std::size_t>(0.95 * (d.size() - 1))], d.size()};
}

// A run of the demo with these [QUALITY] settings and device delays.
Distances run(const QTemporaryDir& dir, const QString& name,
              std::initializer_list<std::pair<const char*, const char*>> quality,
              double gnssDelayMs = 0, double sounderDelayMs = 0,
              cli::RunSummary* summary = nullptr) {
    const QString ini = dir.filePath(name + QStringLiteral(".INI"));
    QFile::copy(kDemoIni, ini);
    QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    IniStore store(ini);
    for (const auto& [key, value] : quality)
        store.writeString(QStringLiteral("QUALITY"), QLatin1String(key), QLatin1String(value));
    EXPECT_TRUE(store.save());
    cli::SimulateOptions o;
    o.ini = ini;
    o.minutes = 30;
    o.out = dir.filePath(name);
    o.gnssLatencyMs = gnssDelayMs;
    o.sounderLatencyMs = sounderDelayMs;
    cli::RunSummary s;
    QString error;
    EXPECT_TRUE(cli::runSimulation(o, &s, &error)) << error.toStdString();
    // A row for every sounding but one still on its way at the stop.
    EXPECT_GE(s.rows, s.soundings - (sounderDelayMs > 0 ? 1 : 0));
    EXPECT_LE(s.rows, s.soundings);
    if (summary) *summary = s;
    return againstTruth(o.out, s);
}

TEST(SoundingTime, RowsLieWithinCentimetresOfWhereTheSoundingWasTaken) {
    QTemporaryDir dir;
    // The last fix: up to a second of travel at 2 m/s behind.
    const Distances lastFix = run(dir, QStringLiteral("last_fix"), {{"Interpolate", "0"}});
    EXPECT_GT(lastFix.median, 0.5);
    EXPECT_GT(lastFix.p95, 1.5);

    cli::RunSummary s;
    const Distances own = run(dir, QStringLiteral("own_time"), {}, 0, 0, &s);
    EXPECT_LT(own.p95, 0.05);
    EXPECT_GT(own.matched, 0.9 * s.soundings);
    EXPECT_GT(s.interpolatedRows, 0.95 * own.matched);
    // The demo's 15 s outage: rows just before it take the last fix, counted.
    EXPECT_GT(s.lastFixRows, 0);
    EXPECT_LT(s.lastFixRows, 0.01 * s.rows);
}

TEST(SoundingTime, TheDevicesLatenciesAreTakenOffTheArrivals) {
    QTemporaryDir dir;
    // Lines 150 ms (GNSS) and 80 ms (sounder) late: corrected, the rows
    // lie where the soundings were; uncorrected, 70 ms of travel off.
    cli::RunSummary s;
    const Distances corrected =
        run(dir, QStringLiteral("corrected"), {{"GnssLatency", "150"}, {"SounderLatency", "80"}},
            150, 80, &s);
    EXPECT_LT(corrected.p95, 0.05);
    // The receiver's RMC says when its epoch was: the lines came 150 ms after.
    ASSERT_TRUE(s.receiverOffsetMs);
    EXPECT_NEAR(*s.receiverOffsetMs, 150, 1);
    EXPECT_GT(corrected.matched, 15000u);
    // Without the correction, each row's time is the arrival: no truth at it.
    const Distances uncorrected = run(dir, QStringLiteral("uncorrected"), {}, 150, 80);
    EXPECT_EQ(uncorrected.matched, 0u) << "rows carry the sounding's own time, not its arrival";
}

}  // namespace
}  // namespace nivora
