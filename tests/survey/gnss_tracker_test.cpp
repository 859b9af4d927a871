#include <gtest/gtest.h>

#include <QDir>

#include "sensors/fix_quality.h"
#include "survey/gnss_tracker.h"
#include "tests/support/test_support.h"

namespace nivora {
namespace {

// Lines as the reader hands them to the survey: decoded once, then tracked.
class GnssTrackerTest : public ::testing::Test {
  protected:
    GnssTrackerTest() : vt(QDateTime(QDate(2026, 12, 8), QTime(9, 0))) {
        offsets = {QStringLiteral("0.5"), QStringLiteral("1480"), QStringLiteral("1.2"),
                   QStringLiteral("0.3")};
    }
    GnssLineOutcome apply(const char* line) {
        const GnssReading r = decoder.decode(line);
        decoder.apply(r);
        return tracker.apply(r, vt.msecsSinceEpoch(), 0, offsetsWindowShown ? nullptr : &offsets);
    }
    const GnssEpoch& epoch() const { return tracker.current(); }

    VirtualTime vt;
    GnssDecoder decoder;
    GnssTracker tracker;
    OffsetFieldTexts offsets;
    bool offsetsWindowShown = false;
};

TEST_F(GnssTrackerTest, AnAcceptedGgaIsAnEpochWithTheLastMotion) {
    apply("$GPHDT,274.07,T*03");
    apply("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A");
    EXPECT_FALSE(apply("$GPGGA,123519,4807.038,N").epoch) << "too few fields: not accepted";
    vt.advance(250);
    const auto out =
        apply("$GPGGA,123520.75,4807.038,N,01131.000,E,4,08,0.9,545.4,M,46.9,M,2.5,0000");
    ASSERT_TRUE(out.epoch);
    EXPECT_EQ(epoch().receivedAtMs,
              QDateTime(QDate(2026, 12, 8), QTime(9, 0, 0, 250)).toMSecsSinceEpoch());
    EXPECT_DOUBLE_EQ(epoch().utcTime, 123520.75);
    EXPECT_NEAR(epoch().latitudeDeg, 48 + 7.038 / 60, 1e-12);
    EXPECT_NEAR(epoch().longitudeDeg, 11 + 31.0 / 60, 1e-12);
    EXPECT_DOUBLE_EQ(epoch().altitudeM, 545.4);
    EXPECT_EQ(epoch().geoidSeparationM, 46.9);
    EXPECT_EQ(epoch().fixQuality, 4);
    EXPECT_EQ(epoch().satellites, 8);
    EXPECT_EQ(epoch().hdop, 0.9);
    EXPECT_EQ(epoch().correctionAgeS, 2.5);
    EXPECT_DOUBLE_EQ(epoch().headingDeg, 274.07);
    EXPECT_NEAR(epoch().speedKnots, 22.4, 1e-9);
    EXPECT_DOUBLE_EQ(epoch().courseDeg, 84.4);
    EXPECT_NEAR(epoch().antennaHeightM, 592.3, 1e-9);
    EXPECT_NEAR(epoch().rtkTideM, 592.3 - 1.2, 1e-9);
    EXPECT_DOUBLE_EQ(tracker.offsets().offsetC, 1.2);
}

TEST_F(GnssTrackerTest, OnlyAnRtkFixedGgaWithAnAltitudeSetsTheHeight) {
    apply("$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,10.0,M,2.0,M,,");
    EXPECT_EQ(epoch().antennaHeightM, 0);
    apply("$GPGGA,1,4807.038,N,01131.000,E,4,08,0.9,10.0,M,2.0,M,,");
    ASSERT_NEAR(epoch().antennaHeightM, 12.0, 1e-12);
    apply("$GPGGA,2,4807.038,N,01131.000,E,4,08,0.9,,M,,M,,");
    EXPECT_NEAR(epoch().antennaHeightM, 12.0, 1e-12) << "time and quality only: the height stays";
    apply("$GPGGA,3,4807.038,N,01131.000,E,4,08,0.9,15.0");
    EXPECT_NEAR(epoch().antennaHeightM, 15.0, 1e-12) << "no separation: the altitude";
    apply("$GPGGA,,4807.038,N,01131.000,E,4,08,0.9,15.0");
    apply("$GPGGA,000000.00,4807.038,N,01131.000,E,1");
    EXPECT_DOUBLE_EQ(epoch().utcTime, 3) << "no time, or a time of 0, leaves the last";
    apply("$PXYZ,GGA,235959");
    EXPECT_DOUBLE_EQ(epoch().utcTime, 3);
    apply("$GPGGA,235959,4807.038,N,01131.000,E,4,08,0.9");
    EXPECT_DOUBLE_EQ(epoch().utcTime, 235959) << "nine fields still give the time";
}

TEST_F(GnssTrackerTest, OneSpeedFromTheReader) {
    // The reader's speed is the one: VTG's km/h, RMC's knots, an empty
    // magnetic course in VTG notwithstanding.
    EXPECT_TRUE(apply("$GPVTG,054.7,T,,M,005.5,N,010.2,K*48").speedChanged);
    EXPECT_NEAR(epoch().speedKnots, 10.2 / 1.852, 1e-12);
    EXPECT_FALSE(apply("$GPHDT,274.07,T").speedChanged);
    apply("$GPRMC,123520,A,4807.038,N,01131.000,E,5.0,084.4,230394,003.1,W");
    EXPECT_NEAR(epoch().speedKnots, 5.0, 1e-12);
    apply("$GPHDT,,T");
    EXPECT_DOUBLE_EQ(epoch().headingDeg, 274.07) << "a failed scan keeps the heading";
}

TEST_F(GnssTrackerTest, TheOffsetsAreTakenOnEveryLineUnlessTheWindowIsShown) {
    apply("anything");
    EXPECT_DOUBLE_EQ(tracker.offsets().offsetA, 0.5);
    EXPECT_DOUBLE_EQ(tracker.offsets().soundVelocity, 1480);
    EXPECT_DOUBLE_EQ(tracker.offsets().tideHeight, 0.3);
    offsets.soundVelocity = QStringLiteral("1500");
    offsetsWindowShown = true;
    apply("anything");
    EXPECT_DOUBLE_EQ(tracker.offsets().soundVelocity, 1480)
        << "the operator may be editing the fields";
    offsetsWindowShown = false;
    apply("anything");
    EXPECT_DOUBLE_EQ(tracker.offsets().soundVelocity, 1500);
}

TEST_F(GnssTrackerTest, ANonNumericOffsetEndsTheLineAfterItsPosition) {
    apply("$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,545.4,M,46.9,M,,");
    offsets.offsetA = QStringLiteral("0.7");
    offsets.offsetC = QStringLiteral("1,2");
    const auto r = apply("$GPGGA,123520,4808.038,N,01131.000,E,4,08,0.9,600,M,46.9,M,,");
    EXPECT_EQ(r.error, QStringLiteral("Offset C: '1,2' is not a valid number"));
    EXPECT_TRUE(r.epoch) << "the position still reaches the survey";
    EXPECT_NEAR(epoch().latitudeDeg, 48 + 8.038 / 60, 1e-12);
    EXPECT_DOUBLE_EQ(tracker.offsets().offsetA, 0.7) << "fields before the bad one are taken";
    EXPECT_DOUBLE_EQ(epoch().utcTime, 123519) << "the rest of the line is skipped";
    EXPECT_NEAR(epoch().antennaHeightM, 592.3, 1e-9);
    EXPECT_FALSE(r.fixIndicator);
}

TEST_F(GnssTrackerTest, TheFixIndicatorFollowsTheLinesBefore) {
    EXPECT_FALSE(apply("$GPGGA,1,4807.038,N,01131.000,E,0,08").fixIndicator);
    EXPECT_FALSE(apply("$GPGGA,1,4807.038,N,01131.000,E,4,08,0.9,1").fixIndicator)
        << "the reader had quality 0 when this line came";
    const auto r = apply("$GPHDT,274.07,T");
    ASSERT_TRUE(r.fixIndicator);
    EXPECT_EQ(*r.fixIndicator, colors::Lime);
    EXPECT_FALSE(apply("$GPHDT,274.07,T").fixIndicator) << "only a change is said";
    apply("$GPGGA,1,4807.038,N,01131.000,E,2,08,0.9,1");
    EXPECT_EQ(apply("x").fixIndicator, colors::Aqua);
}

TEST_F(GnssTrackerTest, ALostPositionIsNoPositionWithTheReadersQuality) {
    apply("$GPGGA,1,4807.038,N,01131.000,E,4,08,0.9,10.0,M,2.0,M,,");
    tracker.setGrid(GridPosition{500000, 4500000, 0.5});
    tracker.positionLost(NavValues{});
    EXPECT_FALSE(epoch().hasPosition());
    EXPECT_FALSE(epoch().grid);
    EXPECT_EQ(epoch().fixQuality, 0);
    EXPECT_EQ(epoch().satellites, 0);
    EXPECT_NEAR(epoch().antennaHeightM, 12.0, 1e-12) << "the last RTK height holds";
}

TEST(FixQuality, NamesAndColours) {
    EXPECT_EQ(fixQualityName(0), QStringLiteral("No Fix"));
    EXPECT_EQ(fixQualityName(1), QStringLiteral("GPS"));
    EXPECT_EQ(fixQualityName(2), QStringLiteral("DGPS"));
    EXPECT_EQ(fixQualityName(4), QStringLiteral("RTK Fix"));
    EXPECT_EQ(fixQualityName(5), QStringLiteral("RTK Float"));
    EXPECT_EQ(fixQualityName(6), QStringLiteral("Fix:6"));
    EXPECT_EQ(fixQualityColor(0), 0x0000FFu);
    EXPECT_EQ(fixQualityColor(1), 0x0000FFu);
    EXPECT_EQ(fixQualityColor(2), 0xFFFF00u);
    EXPECT_EQ(fixQualityColor(4), 0x00FF00u);
    EXPECT_EQ(fixQualityColor(5), 0x00FFFFu);
    EXPECT_EQ(fixQualityColor(9), 0x00FFFFu);
}

// The decoder reads plain fields from the reader's cut of the line and
// leaves anything else to its scan patterns. Both readings must agree on
// every line of the real captures (and on hand-made odd ones); a sentence
// without its cut goes through the patterns alone.
TEST(GnssDecoderOneParse, AgreesWithTheScanPatternsOnRealCaptures) {
    QStringList lines;
    const QString dir = test::dataPath(QStringLiteral("nmea"));
    for (const QString& f : QDir(dir).entryList({QStringLiteral("*.log")})) {
        for (const QByteArray& l : test::readFile(dir + QLatin1Char('/') + f).split('\n')) {
            lines << QString::fromLatin1(l.trimmed());
        }
    }
    lines << QStringLiteral("$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,545.4,M,46.9*47")
          << QStringLiteral("$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,5e2,M,46.9,M,,")
          << QStringLiteral("$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9, 545.4,M,46.9,M,,")
          << QStringLiteral("$GPGGA,123519,4807.038,NN,01131.000,E,4,08,0.9,545.4,M,46.9,M,,")
          << QStringLiteral("$GPGGA,123519,4807.038,N,01131.000,E,4.5,08,0.9,545.4,M,46.9,M,,")
          << QStringLiteral("$GPHDT,+274.07,T") << QStringLiteral("$GPHDT,274.07 ,T")
          << QStringLiteral("$GNGGA,1,2,N,3,E,4,24,0.6,45.123,M,36.100,M,1.0,0000*4B");
    GnssDecoder fast, patterns;
    int plain = 0, heights = 0;
    for (const QString& text : lines) {
        const std::string line = text.toStdString();
        const NmeaSentence cut = splitNmea(line);
        NmeaSentence uncut;
        uncut.line = cut.line;
        const GnssReading a = fast.decode(cut);
        const GnssReading b = patterns.decode(uncut);
        plain += cut.type == SentenceType::GGA;
        heights += a.antennaHeightM.has_value();
        ASSERT_EQ(a.ggaTime, b.ggaTime) << line;
        ASSERT_EQ(a.antennaHeightM, b.antennaHeightM) << line;
        ASSERT_EQ(a.headingDeg, b.headingDeg) << line;
    }
    EXPECT_GT(plain, 500) << "the captures hold plenty of GGA sentences";
    EXPECT_GT(heights, 10) << "and RTK fixed ones among them";
}

}  // namespace
}  // namespace nivora
