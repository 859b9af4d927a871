// Vertical reduction: tide files interpolated, hand-worked at the edges and
// across a gap; a geoid model where the receiver gives no separation; the
// coordinate log's tide column from the file.

#include <gtest/gtest.h>

#include <QTimeZone>

#include "geodesy/geoid_grid.h"
#include "survey/tide_table.h"
#include "tests/survey/session_test_support.h"

namespace nivora {
namespace {

qint64 at(int h, int m, int s = 0) {
    return QDateTime(QDate(2026, 12, 8), QTime(h, m, s)).toMSecsSinceEpoch();
}

TEST(TideTable, LinearBetweenHeightsNothingAcrossAGapOrOutside) {
    QString error, warning;
    const auto t = TideTable::fromText(
        "# Izmir, local time\n"
        "2026-12-08 09:30 0.70\r\n"
        "2026-12-08 09:00 0.40\n"
        "\n"
        "2026-12-08T12:00:00,1.00\n"
        "high water 1.2\n"
        "2026-12-08 12:10:00Z;0.5\n",
        QStringLiteral("tide.txt"), &error, &warning);
    ASSERT_TRUE(t) << error.toStdString();
    EXPECT_EQ(t->size(), 4u);
    EXPECT_TRUE(warning.contains(QStringLiteral("line 6"))) << warning.toStdString();
    const qint64 hour = 3600000;
    EXPECT_DOUBLE_EQ(*t->tideAt(at(9, 0), hour), 0.40) << "on a height";
    EXPECT_DOUBLE_EQ(*t->tideAt(at(9, 30), hour), 0.70);
    EXPECT_NEAR(*t->tideAt(at(9, 15), hour), 0.55, 1e-12);
    EXPECT_NEAR(*t->tideAt(at(9, 6), hour), 0.46, 1e-12);
    EXPECT_FALSE(t->tideAt(at(8, 59, 59), hour)) << "before the file";
    EXPECT_FALSE(t->tideAt(at(10, 0), hour)) << "09:30 to 12:00 is a gap over an hour";
    EXPECT_NEAR(*t->tideAt(at(10, 0), 3 * hour), 0.76, 1e-12) << "not with three allowed";
    const qint64 utc =
        QDateTime(QDate(2026, 12, 8), QTime(12, 10), QTimeZone::utc()).toMSecsSinceEpoch();
    EXPECT_DOUBLE_EQ(*t->tideAt(utc, 24 * hour), 0.5) << "a Z time is UTC";
    EXPECT_FALSE(TideTable::fromText("no tide here\n", QStringLiteral("x"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("no time and height")));
}

class VerticalSession : public ::testing::Test, public test::SessionFixture {};

TEST_F(VerticalSession, TheGeoidFillsAMissingSeparationAndTheTideFileTheTideColumn) {
    const QString tideFile = dir.filePath(QStringLiteral("tide.txt"));
    test::writeFile(tideFile, "2026-12-08 08:00 0.40\n2026-12-08 10:00 0.80\n");
    models.vertical.geoidModel = QStringLiteral("egm96_15.gtx");
    models.vertical.tideSource = static_cast<int>(TideSource::File);
    models.vertical.tideFile = tideFile;
    models.vertical.tideMaxGap = QStringLiteral("180");  // the two heights are 2 h apart
    models.quality.interpolate = false;
    survey->RealtimeClick();
    // RTK fixed, 10 m above the geoid, and no separation in the sentence.
    gnss("$GPGGA,090000.00,4100.0000,N,02900.0000,E,4,08,0.9,10.0,M,,M,,");
    vt.advance(100);
    sounder(withNmeaChecksum("$SDDBT,32.8,f,10.00,M,5.4,F"));
    vt.advance(100);
    std::string error;
    const auto egm = geodesy::GeoidGrid::load("/usr/share/proj/egm96_15.gtx", &error);
    ASSERT_TRUE(egm) << error;
    const double n = *egm->separation(41, 29);
    EXPECT_NEAR(survey->epoch().antennaHeightM, 10 + n, 1e-9);
    const QList<QByteArray> rows = coordinateLog().trimmed().split('\n');
    ASSERT_EQ(rows.size(), 2);
    const QList<QByteArray> row = rows[1].split(',');
    EXPECT_EQ(row[15], QByteArray::number(10 + n, 'f', 2)) << "antenna height";
    // 09:00:00.1 on a line from 0.40 at 08:00 to 0.80 at 10:00.
    EXPECT_EQ(row[16], "0.60") << rows[1].constData();
}

// The RTK tide as the source: taken for rows in RTK fixed only; a float
// fix holds no tide of now, and the typed height is logged, said once.
TEST_F(VerticalSession, TheRtkTideIsTakenInRtkFixedOnly) {
    models.vertical.tideSource = static_cast<int>(TideSource::Rtk);
    models.quality.interpolate = false;
    survey->RealtimeClick();
    gnss("$GPGGA,090000.00,4100.0000,N,02900.0000,E,4,08,0.9,10.0,M,36.1,M,,");
    vt.advance(100);
    sounder(withNmeaChecksum("$SDDBT,32.8,f,10.00,M,5.4,F"));
    vt.advance(100);
    gnss("$GPGGA,090001.00,4100.0001,N,02900.0000,E,5,08,0.9,10.3,M,36.1,M,,");
    vt.advance(100);
    sounder(withNmeaChecksum("$SDDBT,32.8,f,10.00,M,5.4,F"));
    vt.advance(100);
    const QList<QByteArray> rows = coordinateLog().trimmed().split('\n');
    ASSERT_EQ(rows.size(), 3);
    const QList<QByteArray> fixed = rows[1].split(','), floating = rows[2].split(',');
    // 10.0 + 36.1 above the ellipsoid, less the antenna's 1.2 m above the water (offset C).
    EXPECT_EQ(fixed[16], fixed[17]) << "the RTK tide is the row's tide";
    EXPECT_EQ(fixed[16],
              QByteArray::number(46.1 - models.offsets.fieldTexts().offsetC.toDouble(), 'f', 2));
    EXPECT_EQ(floating[14], "5");
    EXPECT_EQ(floating[16], "0.25") << "the typed tide height, not the held RTK tide";
    EXPECT_EQ(view.errors.filter(QStringLiteral("No RTK fixed tide")).size(), 1);
}

}  // namespace
}  // namespace nivora
