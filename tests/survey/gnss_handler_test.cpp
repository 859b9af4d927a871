#include <gtest/gtest.h>

#include <QDir>

#include "sensors/fix_quality.h"
#include "survey/gnss_handler.h"
#include "tests/support/test_support.h"

namespace nivora {
namespace {

class GnssHandlerTest : public ::testing::Test {
  protected:
    GnssHandlerTest() : handler(state) {
        offsets = {QStringLiteral("0.5"), QStringLiteral("1480"), QStringLiteral("1.2"),
                   QStringLiteral("0.3")};
        in.offsets = &offsets;
    }
    GnssLineResult handle(const char* line) { return handler.handle(line, in); }

    RealtimeState state;
    GnssLineHandler handler;
    OffsetFieldTexts offsets;
    GnssLineInputs in;
};

TEST_F(GnssHandlerTest, GgaTimeAndRtkAntennaHeight) {
    handle("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    EXPECT_EQ(state.GgaTimeText, QStringLiteral("12:35:19"));
    EXPECT_EQ(state.AntennaHeight, 0) << "only an RTK fixed solution sets the antenna height";
    const auto r = handle("$GPGGA,123520.75,4807.038,N,01131.000,E,4,08,0.9,545.4,M,46.9,M,,");
    EXPECT_TRUE(r.antennaHeightChanged);
    EXPECT_EQ(state.GgaTimeText, QStringLiteral("12:35:20"));
    EXPECT_NEAR(state.AntennaHeight, 592.3, 1e-9);
    EXPECT_NEAR(state.GnssTide, 592.3 - 1.2, 1e-9);
    EXPECT_DOUBLE_EQ(state.Offsets.offsetC, 1.2);
}

TEST_F(GnssHandlerTest, GgaWithoutAltitudeKeepsTheHeight) {
    handle("$GPGGA,1,4807.038,N,01131.000,E,4,08,0.9,10.0,M,2.0,M,,");
    ASSERT_NEAR(state.AntennaHeight, 12.0, 1e-12);
    // Time and fix quality only: the last height stays.
    handle("$GPGGA,2,4807.038,N,01131.000,E,4,08,0.9,,M,,M,,");
    EXPECT_NEAR(state.AntennaHeight, 12.0, 1e-12);
    // Altitude without geoid separation: the height is the altitude.
    handle("$GPGGA,3,4807.038,N,01131.000,E,4,08,0.9,15.0");
    EXPECT_NEAR(state.AntennaHeight, 15.0, 1e-12);
    // No time: the time text stays; a time of zero also leaves it.
    handle("$GPGGA,,4807.038,N,01131.000,E,4,08,0.9,15.0");
    handle("$GPGGA,000000.00,4807.038,N,01131.000,E,1");
    EXPECT_EQ(state.GgaTimeText, QStringLiteral("00:00:03"));
}

TEST_F(GnssHandlerTest, AnyLineHoldingGgaIsScanned) {
    handle("$PXYZ,GGA");
    EXPECT_EQ(state.GgaTimeText, QStringLiteral("00:00:00"));
    handle("$GPGGA,235959,4807.038,N,01131.000,E,4,08,0.9");  // 9 fields: still scanned here
    EXPECT_EQ(state.GgaTimeText, QStringLiteral("23:59:59"));
}

TEST_F(GnssHandlerTest, HeadingAndSpeed) {
    handle("$GPHDT,274.07,T*03");
    EXPECT_DOUBLE_EQ(state.Heading, 274.07);
    handle("$GPHDT,,T");
    EXPECT_DOUBLE_EQ(state.Heading, 274.07) << "a failed scan keeps the heading";
    handle("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A");
    EXPECT_DOUBLE_EQ(state.SpeedKnots, 22.4);
    handle("$GPVTG,054.7,T,,M,005.5,N,010.2,K*48");
    EXPECT_EQ(state.SpeedKnots, 0) << "an empty magnetic course hides the speed";
    handle("$GPRMC,123520,A,4807.038,N,01131.000,E,5.0,084.4,230394,003.1,W");
    EXPECT_DOUBLE_EQ(state.SpeedKnots, 5.0);
    handle("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48");
    EXPECT_DOUBLE_EQ(state.SpeedKnots, 5.5);
    handle("$GPRMC,123519,V,,,,,,,230394,,");
    EXPECT_EQ(state.SpeedKnots, 0);
    handle("$GPVTG,054.7,T,034.4,M,-3,N,0,K");
    EXPECT_EQ(state.SpeedKnots, 0) << "a negative speed is not taken";
}

TEST_F(GnssHandlerTest, OffsetsSnapshotOnEveryLineUnlessTheWindowIsOpen) {
    handle("anything");
    EXPECT_DOUBLE_EQ(state.Offsets.offsetA, 0.5);
    EXPECT_DOUBLE_EQ(state.Offsets.soundVelocity, 1480);
    EXPECT_DOUBLE_EQ(state.Offsets.tideHeight, 0.3);
    offsets.soundVelocity = QStringLiteral("1500");
    in.offsetsWindowVisible = true;
    handle("anything");
    EXPECT_DOUBLE_EQ(state.Offsets.soundVelocity, 1480) << "the operator may be editing the fields";
    in.offsetsWindowVisible = false;
    handle("anything");
    EXPECT_DOUBLE_EQ(state.Offsets.soundVelocity, 1500);
}

TEST_F(GnssHandlerTest, ANonNumericOffsetEndsTheLineWithAnError) {
    offsets.offsetC = QStringLiteral("1,2");
    in.readerFixQuality = 4;
    const auto r = handle("$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,545.4,M,46.9,M,,");
    EXPECT_EQ(r.error, QStringLiteral("Offset C: '1,2' is not a valid number"));
    EXPECT_DOUBLE_EQ(state.Offsets.offsetA, 0.5) << "fields before the bad one are taken";
    EXPECT_EQ(state.GgaTimeText, QStringLiteral("00:00:00")) << "the rest of the line is skipped";
    EXPECT_EQ(state.AntennaHeight, 0);
    EXPECT_EQ(state.LastFixQuality, 0);
}

TEST_F(GnssHandlerTest, FixIndicatorChangesOnlyWithTheFixQuality) {
    in.readerFixQuality = 0;
    EXPECT_FALSE(handle("$GPGGA").fixIndicatorChanged);
    in.readerFixQuality = 4;
    auto r = handle("$GPGGA");
    EXPECT_TRUE(r.fixIndicatorChanged);
    EXPECT_EQ(r.fixIndicatorColor, colors::Lime);
    EXPECT_FALSE(handle("$GPGGA").fixIndicatorChanged);
    in.readerFixQuality = 2;
    EXPECT_EQ(handle("x").fixIndicatorColor, colors::Aqua);
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

TEST(GgaTime, HugeAndFractionalTimesAreSafe) {
    EXPECT_EQ(ggaTimeText(123519.99), QStringLiteral("12:35:19"));
    EXPECT_EQ(ggaTimeText(5.5), QStringLiteral("00:00:05"));
    EXPECT_FALSE(ggaTimeText(1e300).isEmpty());
    EXPECT_FALSE(ggaTimeText(std::numeric_limits<double>::infinity()).isEmpty());
}

}  // namespace
}  // namespace nivora

namespace nivora {
namespace {

// The handler reads plain fields from the reader's cut of the line and
// leaves anything else to its scan patterns. Both readings must agree on
// every line of the real captures (and on hand-made odd ones); a sentence
// without its cut goes through the patterns alone.
TEST(GnssHandlerOneParse, AgreesWithTheScanPatternsOnRealCaptures) {
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
          << QStringLiteral("$GPRMC,123519,A,4807.038,N,01131.000,E,-022.4,084.4,230394,003.1,W")
          << QStringLiteral("$GPVTG,054.7,T,034.4,M,005.5*1F") << QStringLiteral("$GPHDT,+274.07,T")
          << QStringLiteral("$GNGGA,1,2,N,3,E,4,24,0.6,45.123,M,36.100,M,1.0,0000*4B");
    const OffsetFieldTexts offsets{QStringLiteral("0.5"), QStringLiteral("1480"),
                                   QStringLiteral("1.2"), QStringLiteral("0.3")};
    GnssLineInputs in;
    in.offsets = &offsets;
    RealtimeState fast, patterns;
    GnssLineHandler a(fast), b(patterns);
    int plain = 0;
    for (const QString& text : lines) {
        const std::string line = text.toStdString();
        const NmeaSentence cut = splitNmea(line);
        NmeaSentence uncut;
        uncut.line = cut.line;
        a.handle(cut, in);
        b.handle(uncut, in);
        plain += cut.type == SentenceType::GGA;
        ASSERT_EQ(fast.GgaTimeText, patterns.GgaTimeText) << line;
        ASSERT_EQ(fast.AntennaHeight, patterns.AntennaHeight) << line;
        ASSERT_EQ(fast.GnssTide, patterns.GnssTide) << line;
        ASSERT_EQ(fast.Heading, patterns.Heading) << line;
        ASSERT_EQ(fast.SpeedKnots, patterns.SpeedKnots) << line;
    }
    EXPECT_GT(plain, 500) << "the captures hold plenty of GGA sentences";
    EXPECT_NE(fast.AntennaHeight, 0);
}

}  // namespace
}  // namespace nivora
