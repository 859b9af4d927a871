// The survey's values as its users get them: one epoch per accepted GGA,
// projected once; one speed for every read-out; a restart that does not
// bring back the position from before the stop; navigation numbers read
// when they change.

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "sensors/nmea.h"
#include "tests/survey/session_test_support.h"

namespace nivora::test {
namespace {

constexpr double kLat = 41.005, kLon = 29.01;

class SurveyValuesTest : public ::testing::Test, public SessionFixture {};

TEST_F(SurveyValuesTest, EachAcceptedGgaIsOneEpochProjectedOnArrival) {
    std::vector<GnssEpoch> epochs;
    QObject::connect(survey.get(), &RealtimeSurvey::epochReceived,
                     [&](const GnssEpoch& e) { epochs.push_back(e); });
    survey->RealtimeClick();
    gnss(withNmeaChecksum("$GPVTG,054.7,T,,M,005.5,N,010.2,K"));
    gnss(gga(kLat, kLon, 4));
    gnss(withNmeaChecksum("$GPGGA,120001.00,4100.30"));  // cut short: no epoch
    vt.advance(50);
    ASSERT_EQ(epochs.size(), 1u);
    const GnssEpoch& e = epochs[0];
    ASSERT_TRUE(e.grid);
    const auto [east, north] = grid(kLat, kLon, 46.1);
    EXPECT_NEAR(e.grid->easting, east, 1e-6);
    EXPECT_NEAR(e.grid->northing, north, 1e-6);
    EXPECT_EQ(e.fixQuality, 4);
    EXPECT_NEAR(e.speedKnots, 10.2 / 1.852, 1e-9) << "the motion given before the epoch";
    EXPECT_EQ(e.receivedAtMs,
              QDateTime(QDate(2026, 12, 8), QTime(9, 0, 0, 50)).toMSecsSinceEpoch());
}

// A VTG without its magnetic course used to show the speed on the label and
// 0 in the depth box and on the overlay.
TEST_F(SurveyValuesTest, TheLabelTheOverlayAndTheDepthBoxShowOneSpeed) {
    QString label;
    QObject::connect(&survey->indicators(), &SurveyIndicators::speedTextChanged,
                     [&](const QString& t) { label = t; });
    survey->RealtimeClick();
    gnss(gga(kLat, kLon, 4));
    gnss(withNmeaChecksum("$GPVTG,054.7,T,,M,005.5,N,010.2,K"));
    vt.advance(1000);
    EXPECT_EQ(label, QStringLiteral("5.5"));
    EXPECT_TRUE(doc.Overlay.PositionStatusText.contains(QStringLiteral("Spd: 5.5 kn")))
        << doc.Overlay.PositionStatusText.toStdString();
    EXPECT_NEAR(doc.Overlay.CurrentSpeed, 10.2 / 1.852, 1e-9);
}

// Soundings after a restart, before the receiver's first fix, used to be
// logged at the position from before the stop.
TEST_F(SurveyValuesTest, ARestartStartsWithoutTheOldPosition) {
    survey->RealtimeClick();
    gnss(gga(kLat, kLon, 4));
    vt.advance(1000);
    survey->RealtimeClick();
    survey->RealtimeClick();
    sounder(withNmeaChecksum("$SDDBT,32.8,f,10.00,M,5.4,F"));
    vt.advance(50);
    const QList<QByteArray> rows = coordinateLog().trimmed().split('\n');
    ASSERT_EQ(rows.size(), 2);
    const QList<QByteArray> row = rows[1].split(',');
    EXPECT_EQ(row[1].toDouble(), 0) << rows[1].toStdString();
    EXPECT_EQ(row[3].toDouble(), 0) << "no easting either";
    EXPECT_FALSE(survey->epoch().hasPosition());
}

TEST_F(SurveyValuesTest, ANavigationNumberThatIsNotOneIsSaidOnceAndTheLastGoodServes) {
    survey->RealtimeClick();
    models.navigation.vesselWidth = QStringLiteral("4");
    models.changes.navigationChanged();
    models.navigation.vesselWidth = QStringLiteral("four");
    models.changes.navigationChanged();
    for (int i = 0; i < 3; ++i) {
        gnss(gga(kLat + i * 1e-5, kLon, 4));
        vt.advance(1000);
    }
    EXPECT_EQ(view.errors.filter(QStringLiteral("Vessel width")),
              QStringList{QStringLiteral("Vessel width: 'four' is not a valid number; 4 is used")});
    EXPECT_EQ(doc.GetLayerPenWidth(chart->layers().vessel), 4);
}

}  // namespace
}  // namespace nivora::test
