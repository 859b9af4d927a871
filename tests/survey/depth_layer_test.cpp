// The survey's depths on its chart: each logged sounding becomes a coloured
// point and counts in its grid cell, and the grid read back from the day's
// coordinate log at the next start is the grid the survey built live.

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "core/number_format.h"
#include "products/sounding_records.h"
#include "sensors/nmea.h"
#include "survey/depth_layer.h"
#include "tests/survey/session_test_support.h"

namespace nivora::test {
namespace {

TEST(DepthLayer, LoggedSoundingsFillTheGridAndARestartReadsTheSameGridBack) {
    SessionFixture f{QByteArray(kSurveyIni) + "[DEPTH_DISPLAY]\nCellSize=2\n"};
    DepthLayer& live = f.chart->depths();
    ASSERT_EQ(f.doc.ProductsLayer, &live.picture());
    f.survey->RealtimeClick();
    // Forty seconds north at about 1 m/s, the depth shoaling from 14 to 6 m.
    for (int i = 0; i < 40; ++i) {
        f.gnss(gga(41.005 + i * 1e-5, 29.01, 4));
        const double metres = 14.0 - i * 0.2;
        const std::string dbt = "$SDDBT,0.0,f," + formatFixed(metres, 2) + ",M,0.0,F";
        f.sounder(withNmeaChecksum(dbt));
        f.vt.advance(1000);
    }
    f.survey->RealtimeClick();
    const int rows = static_cast<int>(f.coordinateLog().count('\n')) - 1;
    ASSERT_GT(rows, 30);
    EXPECT_EQ(live.picture().pointCount(), static_cast<std::size_t>(rows));
    EXPECT_EQ(live.picture().grid().soundings(), static_cast<std::uint64_t>(rows));
    EXPECT_EQ(live.picture().grid().cellSize(), 2.0);
    // The legend holds every true depth (draft 0.5 added): 6.7 .. 14.5 m.
    const DepthLegendState& legend = f.doc.Overlay.DepthLegend;
    EXPECT_TRUE(legend.Shown);
    EXPECT_LE(legend.Colours.shallow(), 6.7);
    EXPECT_GE(legend.Colours.deep(), 14.5);

    // The next start of the program, on the same day's folder.
    CanvasDocument again;
    DepthLayer restarted(*f.survey, again);
    QSignalSpy rebuilt(&restarted, &DepthLayer::rebuilt);
    restarted.rebuildFromLogs();
    ASSERT_TRUE(rebuilt.wait(10000));
    EXPECT_EQ(rebuilt.front().front().toLongLong(), rows);
    const CoverageGrid& a = live.picture().grid();
    const CoverageGrid& b = restarted.picture().grid();
    ASSERT_EQ(b.cellsFilled(), a.cellsFilled());
    a.forEachCell([&](std::int64_t i, std::int64_t j, const GridCell& c) {
        const GridCell* r = b.cell(i, j);
        ASSERT_NE(r, nullptr) << i << "," << j;
        EXPECT_EQ(r->count, c.count);
        // The log keeps centimetres.
        EXPECT_NEAR(r->minimum, c.minimum, 0.005);
        EXPECT_NEAR(r->maximum, c.maximum, 0.005);
        EXPECT_NEAR(r->mean(), c.mean(), 0.005);
    });
}

TEST(DepthLayer, CoordinateRowsReadBackAsTheSurveyWroteThem) {
    CoordinateRow row;
    row.time = QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9, 120));
    row.latitude = 41.00512345678;
    row.longitude = 29.0101234567;
    row.easting = 415312.456;
    row.northing = 4540790.504;
    row.trueDepthHi = 12.345;
    row.trueDepthLo = 12.9;
    row.rawDepthHi = 11.845;
    row.rawDepthLo = 12.4;
    row.messageFormat = QStringLiteral("NMEA DBT");
    row.fixQuality = 4;
    row.manualTide = 0.73;
    const QByteArray text = formatCoordinateRow(row).trimmed();
    SoundingRecord r;
    ASSERT_TRUE(parseCoordinateRow(text.constBegin(), text.constEnd(), r));
    EXPECT_EQ(r.timeMs,
              QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9, 120), Qt::UTC).toMSecsSinceEpoch());
    EXPECT_EQ(r.latitude, row.latitude);
    EXPECT_EQ(r.longitude, row.longitude);
    EXPECT_DOUBLE_EQ(r.easting, 415312.46);
    EXPECT_DOUBLE_EQ(r.northing, 4540790.50);
    EXPECT_DOUBLE_EQ(r.depthHi, 12.35);  // two decimals, as logged
    EXPECT_DOUBLE_EQ(r.tide, 0.73);
    EXPECT_DOUBLE_EQ(valueOf(r, DepthValue::Elevation), -11.62);  // tide - depth, rounded once
    EXPECT_EQ(r.fixQuality, 4);
}

}  // namespace
}  // namespace nivora::test
