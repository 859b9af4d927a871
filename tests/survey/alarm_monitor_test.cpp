// The alarms on real receivers' captures, their own fields against the
// thresholds the demo uses; raised, acknowledged and cleared.

#include <gtest/gtest.h>

#include <QFile>

#include "sensors/gnss_decoder.h"
#include "sensors/nmea.h"
#include "survey/alarm_monitor.h"
#include "survey/gnss_tracker.h"
#include "tests/support/test_support.h"

namespace nivora {
namespace {

// A capture's GGAs as epochs, one per `stepMs` (the captures carry no arrival times).
class CaptureRun {
  public:
    explicit CaptureRun(const QualitySettings& settings = {}) {
        monitor.start(settings, false, nowMs);  // GNSS captures: no sounder
    }
    void line(const std::string& text) {
        const GnssReading r = decoder.decode(text);
        decoder.apply(r);
        if (tracker.apply(r, nowMs, 0, nullptr).epoch) {
            record(monitor.onEpoch(tracker.current(), nowMs));
            nowMs += stepMs;
            record(monitor.onTime(nowMs));
        }
    }
    void capture(const char* name) {
        QFile f(test::dataPath(QStringLiteral("nmea/") + QLatin1String(name)));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        while (!f.atEnd())
            line(f.readLine().trimmed().toStdString());
    }
    void record(const std::vector<AlarmChange>& c) {
        changes.insert(changes.end(), c.begin(), c.end());
    }
    std::vector<AlarmChange> of(AlarmKind kind) const {
        std::vector<AlarmChange> out;
        for (const AlarmChange& c : changes) {
            if (c.kind == kind) out.push_back(c);
        }
        return out;
    }

    qint64 nowMs = 1'800'000'000'000;
    qint64 stepMs = 100;
    GnssDecoder decoder;
    GnssTracker tracker;
    AlarmMonitor monitor;
    std::vector<AlarmChange> changes;
};

TEST(Alarms, ARealRtkCaptureRaisesOldCorrectionsAndTheFixClass) {
    // A dual-frequency receiver on DGPS whose corrections age from 6.6 s to 13.4 s.
    CaptureRun run;
    run.capture("nmea-rtk.log");
    const auto age = run.of(AlarmKind::CorrectionAge);
    ASSERT_EQ(age.size(), 1u) << "raised once, as the age passed 10 s";
    EXPECT_EQ(age[0].state, AlarmState::Raised);
    EXPECT_EQ(age[0].value, QStringLiteral("10.2 s")) << "the first GGA above 10.0 s";
    EXPECT_EQ(age[0].threshold, QStringLiteral("above 10 s"));
    const auto fix = run.of(AlarmKind::FixQuality);
    ASSERT_EQ(fix.size(), 1u);
    EXPECT_EQ(fix[0].value, QStringLiteral("DGPS (2)"));
    EXPECT_EQ(fix[0].threshold, QStringLiteral("below RTK fixed"));
    EXPECT_TRUE(run.of(AlarmKind::Satellites).empty()) << "9 and 10 satellites";
    EXPECT_TRUE(run.of(AlarmKind::Hdop).empty()) << "HDOP 0.9 to 1.2";

    // An autonomous receiver with no satellites in its GGA and HDOP 3.3.
    CaptureRun hemi;
    hemi.capture("hemi.log");
    ASSERT_FALSE(hemi.of(AlarmKind::Satellites).empty());
    EXPECT_EQ(hemi.of(AlarmKind::Satellites)[0].value, QStringLiteral("0"));
    ASSERT_FALSE(hemi.of(AlarmKind::Hdop).empty());
    EXPECT_EQ(hemi.of(AlarmKind::Hdop)[0].value, QStringLiteral("3.3"));
    EXPECT_TRUE(hemi.of(AlarmKind::CorrectionAge).empty())
        << "no corrections: the fix class says it";
}

// A real RTK float GGA spliced into fixed ones: the fix drops, is
// acknowledged, comes back, and the alarm clears only once the fix has held.
TEST(Alarms, ALostRtkFixIsRaisedAcknowledgedAndClearedWhenItHolds) {
    const std::string floatGga =
        "$GPGGA,003832.000,4404.1271062,N,12118.8438377,W,5,14,0.8,1127.630,M,-20.300,M,1.000,"
        "0000*74";
    const auto fixedGga = [&](int i) {
        std::string body = floatGga.substr(0, floatGga.find('*'));
        body.replace(body.find(",W,5,"), 5, ",W,4,");
        body.replace(
            7, 10, QStringLiteral("0038%1.000").arg(40 + i, 2, 10, QLatin1Char('0')).toStdString());
        return withNmeaChecksum(body);
    };
    QualitySettings s;
    CaptureRun run(s);
    run.stepMs = 1000;
    run.line(fixedGga(0));
    EXPECT_FALSE(run.monitor.anyActive());
    run.line(floatGga);
    ASSERT_EQ(run.of(AlarmKind::FixQuality).size(), 1u);
    EXPECT_EQ(run.monitor.status(AlarmKind::FixQuality).state, AlarmState::Raised);
    EXPECT_TRUE(run.monitor.anyUnacknowledged());

    const auto ack = run.monitor.acknowledge(AlarmKind::FixQuality, run.nowMs);
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->state, AlarmState::Acknowledged);
    EXPECT_FALSE(run.monitor.acknowledge(AlarmKind::FixQuality, run.nowMs)) << "once";
    EXPECT_TRUE(run.monitor.anyActive());
    EXPECT_FALSE(run.monitor.anyUnacknowledged());

    run.line(fixedGga(1));  // fixed again, for a second: not yet
    EXPECT_EQ(run.monitor.status(AlarmKind::FixQuality).state, AlarmState::Acknowledged);
    run.line(fixedGga(2));
    run.line(fixedGga(3));
    const auto fix = run.of(AlarmKind::FixQuality);
    ASSERT_EQ(fix.size(), 2u);
    EXPECT_EQ(fix[1].state, AlarmState::Clear);
    EXPECT_EQ(fix[1].value, QStringLiteral("RTK Fix (4)"));
    EXPECT_FALSE(run.monitor.anyActive());

    // Float again, hovering: a drop shorter than the clearing time is one alarm, not many.
    run.line(floatGga);
    run.line(fixedGga(4));
    run.line(floatGga);
    EXPECT_EQ(run.of(AlarmKind::FixQuality).size(), 3u);

    // Silence: no epoch for more than 3 s raises; real time's end clears everything.
    run.record(run.monitor.onTime(run.nowMs + 3500));
    ASSERT_EQ(run.of(AlarmKind::NoGnss).size(), 1u);
    EXPECT_EQ(run.of(AlarmKind::NoGnss)[0].value, QStringLiteral("4.5 s"));
    for (const AlarmChange& c : run.monitor.stop(run.nowMs + 4000))
        EXPECT_EQ(c.state, AlarmState::Clear);
    EXPECT_FALSE(run.monitor.anyActive());

    // Switched off, an alarm stays quiet.
    s.fixAlarm = false;
    CaptureRun off(s);
    off.line(floatGga);
    EXPECT_TRUE(off.of(AlarmKind::FixQuality).empty());
}

}  // namespace
}  // namespace nivora
