// Each sounding's position at its own time, between the epochs around it.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QTimeZone>

#include "survey/receiver_clock.h"
#include "survey/sounding_timeline.h"

namespace nivora {
namespace {

GnssEpoch epoch(qint64 ms, double lat, double lon, double heading = 0, int quality = 4) {
    GnssEpoch e;
    e.timeMs = e.receivedAtMs = ms;
    e.latitudeDeg = lat;
    e.longitudeDeg = lon;
    e.headingDeg = heading;
    e.fixQuality = quality;
    e.antennaHeightM = 40 + ms / 1000.0;
    return e;
}

CorrectedSounding sounding(qint64 ms, double depth) {
    CorrectedSounding s;
    s.timeMs = s.receivedAtMs = ms;
    s.trueHi = depth;
    return s;
}

TEST(SoundingTimeline, BetweenTwoEpochsTheSoundingTakesItsOwnPositionHeightAndHeading) {
    SoundingTimeline t;
    t.addEpoch(epoch(1000, 41.0, 29.0, 350, 5));
    t.addSounding(sounding(1250, 10));
    t.addSounding(sounding(1800, 11));
    EXPECT_TRUE(t.take(1900).empty()) << "both wait for the epoch after them";
    t.addEpoch(epoch(2000, 41.0004, 29.0008, 10, 4));
    const auto rows = t.take(2000);
    ASSERT_EQ(rows.size(), 2u);
    // A quarter and four fifths of the way; the heading the short way over north.
    EXPECT_NEAR(rows[0].epoch.latitudeDeg, 41.0001, 1e-12);
    EXPECT_NEAR(rows[0].epoch.longitudeDeg, 29.0002, 1e-12);
    EXPECT_NEAR(rows[0].epoch.antennaHeightM, 41.25, 1e-12);
    EXPECT_NEAR(rows[0].epoch.headingDeg, 355, 1e-9);
    EXPECT_EQ(rows[0].epoch.fixQuality, 5) << "the nearer epoch's class";
    EXPECT_NEAR(rows[1].epoch.latitudeDeg, 41.00032, 1e-12);
    EXPECT_NEAR(rows[1].epoch.headingDeg, 6, 1e-9);
    EXPECT_EQ(rows[1].epoch.fixQuality, 4);
    EXPECT_EQ(rows[1].sounding.trueHi, 11);
    EXPECT_EQ(t.interpolated(), 2);

    // Across the antimeridian, the short way.
    const GnssEpoch e = interpolateEpoch(epoch(0, -17, 179.9995), epoch(1000, -17, -179.9995), 500);
    EXPECT_NEAR(std::abs(e.longitudeDeg), 180, 1e-9);
}

TEST(SoundingTimeline, ALateEpochAGapAndTheEndGiveTheLastFixAndNothingIsLost) {
    SoundingTimeline t;
    t.setOptions({true, 1500, 3000});
    t.addEpoch(epoch(1000, 41, 29));
    t.addSounding(sounding(1100, 1));
    EXPECT_TRUE(t.take(2599).empty());
    auto rows = t.take(2600);  // waited long enough: the last fix, as without interpolation
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].how, SoundingTimeline::How::LastFix);
    EXPECT_EQ(rows[0].epoch.latitudeDeg, 41);

    // The position lost: what waited takes the last fix, what comes after none.
    t.addSounding(sounding(2700, 2));
    GnssEpoch none;
    none.fixQuality = 0;
    t.positionLost(none);
    t.addSounding(sounding(2800, 3));
    rows = t.take(2800);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].how, SoundingTimeline::How::LastFix);
    EXPECT_EQ(rows[1].how, SoundingTimeline::How::NoPosition);
    EXPECT_FALSE(rows[1].epoch.hasPosition());

    // Epochs further apart than the span are a gap: no track between them.
    t.addEpoch(epoch(10000, 41.1, 29));
    t.addEpoch(epoch(20000, 41.2, 29));
    t.addSounding(sounding(15000, 4));
    rows = t.take(20000);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].how, SoundingTimeline::How::LastFix);
    EXPECT_EQ(rows[0].epoch.latitudeDeg, 41.1);

    // The end of real time settles everything, in order.
    t.addSounding(sounding(20100, 5));
    t.addSounding(sounding(20200, 6));
    rows = t.takeAll();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].sounding.trueHi, 5);
    EXPECT_EQ(rows[1].sounding.trueHi, 6);
    EXPECT_FALSE(t.waiting());
}

// The receiver's own UTC from real RMC and ZDA lines, and the offset of
// the arrivals from it over the last minute.
TEST(ReceiverClock, TheUtcOfRmcAndZdaAndTheArrivalsAfterIt) {
    const auto utc = [](const char* line) { return receiverUtcMs(splitNmea(line)); };
    const auto at = [](int y, int mo, int d, int h, int mi, int s, int ms) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), QTimeZone::utc())
            .toMSecsSinceEpoch();
    };
    EXPECT_EQ(utc("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A"),
              at(2094, 3, 23, 12, 35, 19, 0))
        << "two-digit years are this century's";
    EXPECT_EQ(utc("$GNRMC,132819.60,A,4134.49795459,N,09345.03431408,W,0.01,,110319,,,D"),
              at(2019, 3, 11, 13, 28, 19, 600));
    EXPECT_EQ(utc("$GPZDA,094737,20,08,2018,-01,00*6B"), at(2018, 8, 20, 9, 47, 37, 0));
    EXPECT_FALSE(utc("$GPRMC,,V,,,,,,,,,,N"));
    EXPECT_FALSE(utc("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,320394,,"));
    EXPECT_FALSE(utc("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"));

    ReceiverClock clock;
    EXPECT_FALSE(clock.offset());
    const qint64 t0 = at(2026, 6, 1, 9, 0, 0, 0);
    clock.add(t0 + 500, t0);  // a minute and more before the rest: dropped
    for (int i = 1; i <= 70; ++i)
        clock.add(t0 + i * 1000 + (i % 2 ? 80 : 100), t0 + i * 1000);
    const auto o = clock.offset();
    ASSERT_TRUE(o);
    EXPECT_EQ(o->count, 61);
    EXPECT_NEAR(o->meanMs, 90, 0.2);
    EXPECT_NEAR(o->spreadMs, 10, 0.1);
}

}  // namespace
}  // namespace nivora
