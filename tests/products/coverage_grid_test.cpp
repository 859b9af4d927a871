// The coverage grid against cells worked out in the test from the same
// soundings, its memory on a long line, the coordinate-log reader, and the
// depth picture's pixels at positions computed from the view.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <vector>

#include "products/coverage_grid.h"
#include "products/depth_picture.h"
#include "products/sounding_records.h"

namespace nivora {
namespace {

struct Sounding {
    double e, n, d;
};

struct Expected {
    int count = 0;
    double min = 1e300, max = -1e300, sum = 0, last = 0;
};

std::map<std::pair<long long, long long>, Expected> cellsOf(const std::vector<Sounding>& s,
                                                            double size) {
    std::map<std::pair<long long, long long>, Expected> cells;
    for (const Sounding& x : s) {
        Expected& c = cells[{static_cast<long long>(std::floor(x.e / size)),
                             static_cast<long long>(std::floor(x.n / size))}];
        ++c.count;
        c.min = std::min(c.min, x.d);
        c.max = std::max(c.max, x.d);
        c.sum += x.d;
        c.last = x.d;
    }
    return cells;
}

std::vector<Sounding> randomSoundings(int n, unsigned seed) {
    // Around the origin, so that cells below zero are covered too, and on
    // exact cell edges now and then.
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> pos(-60.0, 60.0);
    std::uniform_real_distribution<double> depth(1.0, 40.0);
    std::vector<Sounding> out;
    for (int k = 0; k < n; ++k) {
        double e = pos(rng), north = pos(rng);
        if (k % 17 == 0) e = std::round(e / 2.5) * 2.5;
        if (k % 19 == 0) north = std::round(north / 2.5) * 2.5;
        out.push_back({e, north, std::round(depth(rng) * 100) / 100});
    }
    return out;
}

void expectSameCells(const CoverageGrid& grid,
                     const std::map<std::pair<long long, long long>, Expected>& expected) {
    ASSERT_EQ(grid.cellsFilled(), expected.size());
    std::size_t visited = 0;
    grid.forEachCell([&](std::int64_t i, std::int64_t j, const GridCell& c) {
        ++visited;
        const auto it = expected.find({i, j});
        ASSERT_NE(it, expected.end()) << i << "," << j;
        EXPECT_EQ(c.count, static_cast<std::uint32_t>(it->second.count));
        EXPECT_FLOAT_EQ(c.minimum, static_cast<float>(it->second.min));
        EXPECT_FLOAT_EQ(c.maximum, static_cast<float>(it->second.max));
        EXPECT_NEAR(c.mean(), it->second.sum / it->second.count, 1e-9);
        EXPECT_FLOAT_EQ(c.last, static_cast<float>(it->second.last));
    });
    EXPECT_EQ(visited, expected.size());
}

TEST(CoverageGrid, CellStatisticsMatchCellsWorkedFromTheSameSoundings) {
    const std::vector<Sounding> soundings = randomSoundings(20000, 7);
    for (double size : {0.5, 2.5, 50.0}) {
        CoverageGrid grid(size);
        for (const Sounding& s : soundings)
            grid.add(s.e, s.n, s.d);
        SCOPED_TRACE(size);
        EXPECT_EQ(grid.soundings(), soundings.size());
        const auto expected = cellsOf(soundings, size);
        expectSameCells(grid, expected);
        const GridExtent x = grid.extent();
        EXPECT_EQ(x.minI, expected.begin()->first.first);
        EXPECT_EQ(x.maxI, expected.rbegin()->first.first);
    }
}

TEST(CoverageGrid, OlderSoundingsMergedGiveTheGridOfAll) {
    const std::vector<Sounding> all = randomSoundings(6000, 11);
    CoverageGrid older(2.5), newer(2.5);
    for (std::size_t k = 0; k < all.size(); ++k)
        (k < 4000 ? older : newer).add(all[k].e, all[k].n, all[k].d);
    ASSERT_TRUE(newer.mergeOlder(older));
    EXPECT_EQ(newer.soundings(), all.size());
    expectSameCells(newer, cellsOf(all, 2.5));
    CoverageGrid other(5.0);
    EXPECT_FALSE(other.mergeOlder(older));  // cells of another size do not line up
}

TEST(CoverageGrid, RefusesWhatIsNoPositionAndHoldsTheCellSizeInRange) {
    CoverageGrid grid(0.01);
    EXPECT_EQ(grid.cellSize(), CoverageGrid::kMinCellSize);
    EXPECT_EQ(CoverageGrid(1e6).cellSize(), CoverageGrid::kMaxCellSize);
    grid.add(std::nan(""), 1, 1);
    grid.add(1, 1, std::numeric_limits<double>::infinity());
    grid.add(1e15, 1, 5);
    EXPECT_EQ(grid.soundings(), 0u);
    EXPECT_EQ(grid.tileCount(), 0u);
}

TEST(CoverageGrid, MemoryFollowsTheLineNotTheChart) {
    // A 50 km diagonal line at 0.5 m cells, a sounding every 0.2 m, across
    // a chart of 35 x 35 km whose full grid would hold 5e9 cells.
    CoverageGrid grid(0.5);
    const double length = 50000, step = 0.2;
    const double ux = std::sqrt(0.5), uy = std::sqrt(0.5);
    for (double t = 0; t <= length; t += step)
        grid.add(500000 + t * ux, 6600000 + t * uy, 10 + std::sin(t / 300));
    const double tileSide = 0.5 * CoverageGrid::kTileCells;
    // A straight line crosses at most (dx + dy) / side + 2 tiles.
    const double crossed = (length * ux + length * uy) / tileSide + 2;
    EXPECT_LE(grid.tileCount(), static_cast<std::size_t>(crossed));
    EXPECT_LT(grid.memoryBytes(), 80u * 1024 * 1024);
    // Every column of cells the line passes holds at least one.
    EXPECT_GE(grid.cellsFilled(), static_cast<std::uint64_t>(length * ux / 0.5));
    std::printf("50 km line at 0.5 m cells: %zu tiles, %.1f MB\n", grid.tileCount(),
                grid.memoryBytes() / 1048576.0);
}

TEST(CoordinateLogRows, ReadAsWrittenAndBadRowsSkippedAndCounted) {
    QByteArray text =
        "Date,Lat,Lon,Easting,Northing,Elevation (Hi),Elevation (Lo),True Depth (Hi),True Depth "
        "(Lo),Raw Depth (Hi),Raw Depth (Lo),Message Format,Sound Velocity,Transducer Draft,GPS, "
        "RTK Antenna Height,Manual Tide,RTK Tide\n"
        "2024-05-01 093007250,59.1,10.2,500123.45,6550123.40,-11.80,-12.10,12.30,12.60,12.1,"
        "12.4,DESO 25,1500.00,0.20,4,1.95,0.50,0.48\n"
        // A family text with a comma in it.
        "2024-05-01 093007350,59.1,10.2,500124.00,6550124.00,-11.70,-11.90,12.20,12.40,12,12.2,"
        "ODOM, MkIII,1500.00,0.20,5,1.95,0.50,0.48\n"
        "2024-05-01 0930x7450,59.1,10.2,1,2,3,4,5,6,7,8,X,9,10,4,11,12,13\n"    // a bad time
        "2024-05-01 093007550,59.1,10.2,abc,2,3,4,5,6,7,8,X,9,10,4,11,12,13\n"  // a bad number
        "Date,Lat,Lon\n"  // the header again after a restart
        "2024-05-02,59.1,10.2,1,2,3,4,5,6,7,8,X,9,10,2,11,12,13\n"  // midnight: no time part
        "2024-05-02 000000100,59.1,10.2,1,2";                       // torn last line
    QBuffer buffer(&text);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    CoordinateLogReader reader(buffer);
    std::vector<SoundingRecord> rows;
    SoundingRecord r;
    while (reader.next(r))
        rows.push_back(r);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(reader.skipped(), 3);
    const qint64 at =
        QDateTime(QDate(2024, 5, 1), QTime(9, 30, 7, 250), Qt::UTC).toMSecsSinceEpoch();
    EXPECT_EQ(rows[0].timeMs, at);
    EXPECT_DOUBLE_EQ(rows[0].easting, 500123.45);
    EXPECT_DOUBLE_EQ(rows[0].depthHi, 12.30);
    EXPECT_EQ(rows[0].fixQuality, 4);
    EXPECT_DOUBLE_EQ(rows[0].tide, 0.50);
    EXPECT_EQ(rows[1].fixQuality, 5);
    EXPECT_DOUBLE_EQ(rows[1].depthHi, 12.20);
    EXPECT_EQ(rows[2].timeMs,
              QDateTime(QDate(2024, 5, 2), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch());
    // The reduced depth is the depth below the datum, the elevation its negative.
    EXPECT_DOUBLE_EQ(valueOf(rows[0], DepthValue::Depth), 12.30);
    EXPECT_DOUBLE_EQ(valueOf(rows[0], DepthValue::Reduced), 11.80);
    EXPECT_DOUBLE_EQ(valueOf(rows[0], DepthValue::Elevation), -11.80);
}

TEST(CoordinateLogRows, RowsWithoutAGridPositionAreCountedNotPlacedAtTheOrigin) {
    // A fix the grid could not take is logged with easting and northing 0.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("2026-12-08 Coordinates.csv"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        "2026-12-08 100000000,41.0,29.0,415000.00,4540000.00,-9.5,-9.5,9.5,9.5,9,9,X,1500,0.5,"
        "4,1,0,0\n"
        "2026-12-08 100000100,41.0,29.0,0.00,0.00,-9.6,-9.6,9.6,9.6,9,9,X,1500,0.5,0,1,0,0\n");
    f.close();
    std::vector<SoundingRecord> got;
    const ReadSummary s = readCoordinateLogs(coordinateLogFiles({dir.path()}), [&](const auto& r) {
        got.push_back(r);
        return true;
    });
    EXPECT_EQ(s.rows, 1);
    EXPECT_EQ(s.unplaced, 1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].easting, 415000.0);
}

// Pixels of the picture at places worked from the view: 1 m per pixel.
class DepthPictureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        view.WorldSet(0, 200, 200, 0);
        view.Width = 200;
        view.Height = 200;
        view.Resize();
    }
    QImage paint(DepthPicture& picture) {
        QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter p(&image);
        picture.paintUnderShapes(p, view);
        picture.paintOverShapes(p, view);
        return image;
    }
    ViewWindow view;
};

TEST_F(DepthPictureTest, GridCellsCoverTheirSquareAndDotsShowShallowWarmAndDeepCold) {
    DepthPicture picture;
    DepthPictureSettings s;
    s.cellSizeM = 10;
    s.showSoundings = false;
    s.autoRange = false;
    s.shallowM = 0;
    s.deepM = 20;
    picture.setSettings(s);
    picture.add(105, 95, 2);  // cell [100, 110) x [90, 100): pixels x 100..109, y 100..109
    QImage image = paint(picture);
    const QRgb white = qRgb(255, 255, 255);
    EXPECT_NE(image.pixel(100, 100) & 0xFFFFFF, white & 0xFFFFFF);
    EXPECT_NE(image.pixel(109, 109) & 0xFFFFFF, white & 0xFFFFFF);
    EXPECT_EQ(image.pixel(110, 105) & 0xFFFFFF, white & 0xFFFFFF);
    EXPECT_EQ(image.pixel(105, 99) & 0xFFFFFF, white & 0xFFFFFF);
    EXPECT_EQ(image.pixel(99, 105) & 0xFFFFFF, white & 0xFFFFFF);

    s.showGrid = false;
    s.showSoundings = true;
    picture.setSettings(s);
    picture.add(50, 150, 19.5);
    image = paint(picture);
    const QColor shallow = image.pixelColor(105, 105);  // the dot at (105, 95)
    const QColor deep = image.pixelColor(50, 50);
    EXPECT_GT(shallow.red(), shallow.blue() + 60);
    EXPECT_GT(deep.blue(), deep.red() + 60);
    // The night palette keeps the hues and darkens them.
    picture.setNight(true);
    const QImage night = paint(picture);
    EXPECT_LT(night.pixelColor(105, 105).value(), shallow.value());
    EXPECT_GT(night.pixelColor(105, 105).red(), night.pixelColor(105, 105).blue());
}

TEST_F(DepthPictureTest, AutomaticRangeHoldsTheSurveysDepthsNotItsSpikes) {
    DepthPicture picture;
    for (int k = 0; k <= 1000; ++k)
        picture.add(k, 10, 3.2 + 14.7 * k / 1000.0);  // 3.2 .. 17.9 m
    // A second echo at 480 m and a surface return at -20 m, as sounders give.
    for (int k = 0; k < 3; ++k) {
        picture.add(5, 5, 480);
        picture.add(6, 6, -20);
    }
    EXPECT_LE(picture.colours().shallow(), 3.3);
    EXPECT_GE(picture.colours().deep(), 17.8);
    EXPECT_GT(picture.colours().shallow(), -5.0);
    EXPECT_LT(picture.colours().deep(), 30.0);
}

}  // namespace
}  // namespace nivora
