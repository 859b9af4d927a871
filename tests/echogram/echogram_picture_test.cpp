// The echogram picture checked at pixels worked out by hand from the
// drawing rules: columns w = W / n wide (at least 1) from round(j w) to
// round((j + 1) w), water from row 0 down to round((d - top) H / span), a
// 3 px red floor, a dotted grid, the yellow box from (W - 78, H - 26) to
// (W - 3, H - 3) and the indicator at x = W - 40 from the newest row to
// H - 28 when 5 < row < H - 30.

#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QPainter>
#include <vector>

#include "echogram/echogram_history.h"
#include "echogram/echogram_painter.h"

namespace nivora {
namespace {

// The picture's colours, from their 0x00BBGGRR values.
constexpr QRgb kBackground = qRgb(0xF0, 0xF8, 0xFF);  // 0xFFF8F0
constexpr QRgb kWater = qRgb(0x64, 0xB4, 0xFF);       // 16757860
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kGrey = qRgb(128, 128, 128);
constexpr QRgb kYellow = qRgb(255, 255, 0);

QImage picture(const std::vector<double>& depths, int count, int width, int height) {
    EchogramHistory h;
    for (double d : depths)
        h.add(d, count, height);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::magenta);  // anything left unpainted shows
    QPainter p(&image);
    paintEchogram(p, h, QSize(width, height), QFont());
    return image;
}

::testing::AssertionResult pixelIs(const QImage& image, int x, int y, QRgb expected) {
    const QRgb got = image.pixel(x, y) | 0xFF000000u;
    if (got == (expected | 0xFF000000u)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "pixel (" << x << ", " << y << ") is "
           << QString::number(got & 0xFFFFFF, 16).toStdString() << ", expected "
           << QString::number(expected & 0xFFFFFF, 16).toStdString();
}

int countInRow(const QImage& image, int y, int x0, int x1, QRgb colour) {
    int n = 0;
    for (int x = x0; x < x1; ++x)
        n += (image.pixel(x, y) | 0xFF000000u) == (colour | 0xFF000000u);
    return n;
}

// Text pixels (labels are black, smoothed).
int darkPixels(const QImage& image, const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += qGray(image.pixel(x, y)) < 100;
    return n;
}

// 50 columns of 10 px on 500 x 400, default scale 0..50 m (8 px a metre).
constexpr int kW = 500, kH = 400, kN = 50;

TEST(EchogramPicture, OneSampleOnTheDefaultScale) {
    // 10 m: row 80 in the last column (x 490..499), the one before missing.
    const QImage img = picture({10}, kN, kW, kH);
    EXPECT_TRUE(pixelIs(img, 495, 40, kWater));
    EXPECT_TRUE(pixelIs(img, 495, 78, kWater));
    for (int y : {79, 80, 81})
        EXPECT_TRUE(pixelIs(img, 495, y, kRed));
    EXPECT_TRUE(pixelIs(img, 495, 83, kBackground));
    EXPECT_TRUE(pixelIs(img, 489, 40, kBackground));
    // Indicator from row 80 down to 372 at x = 460, over an empty column.
    EXPECT_TRUE(pixelIs(img, 460, 200, kBlack));
    EXPECT_TRUE(pixelIs(img, 460, 60, kBackground));
    EXPECT_TRUE(pixelIs(img, 461, 200, kBackground));
    // The box: x 422..497, y 374..397, with "10.0m" in it.
    EXPECT_TRUE(pixelIs(img, 422, 374, kYellow));
    EXPECT_TRUE(pixelIs(img, 497, 397, kYellow));
    EXPECT_TRUE(pixelIs(img, 421, 380, kBackground));
    EXPECT_GT(darkPixels(img, QRect(425, 376, 60, 20)), 20);
    // Step 20 m: dotted lines on rows 160 and 320 with labels below them.
    for (int row : {160, 320}) {
        const int dots = countInRow(img, row, 100, 400, kGrey);
        EXPECT_GT(dots, 60) << row;
        EXPECT_LT(dots, 240) << row;  // dotted, not solid
        EXPECT_EQ(countInRow(img, row + 1, 100, 400, kGrey), 0) << row;
        EXPECT_GT(darkPixels(img, QRect(3, row + 2, 40, 16)), 10) << row;
        EXPECT_EQ(darkPixels(img, QRect(3, row - 20, 40, 16)), 0) << row;
    }
}

TEST(EchogramPicture, ProfileJoinsNeighbouringValidSamples) {
    // 10 m in columns 47..49: black from x 475 to 495 on row 80 only.
    const QImage img = picture({10, 10, 10}, kN, kW, kH);
    EXPECT_TRUE(pixelIs(img, 480, 80, kBlack));
    EXPECT_TRUE(pixelIs(img, 472, 80, kRed));
    EXPECT_TRUE(pixelIs(img, 498, 80, kRed));
}

TEST(EchogramPicture, MarginsOfTheScale) {
    // 10, 10.5, 10.7, 11 m in 100 px columns: 9.7..11.3 m, rows 75, 200,
    // 250, 325 (a 0.1 m margin would put 10 m at row 33).
    QImage img = picture({10, 10.5, 10.7, 11}, 4, 400, 400);
    EXPECT_TRUE(pixelIs(img, 20, 50, kWater));
    EXPECT_TRUE(pixelIs(img, 20, 76, kRed));
    EXPECT_TRUE(pixelIs(img, 20, 78, kBackground));
    EXPECT_TRUE(pixelIs(img, 380, 300, kWater));
    EXPECT_TRUE(pixelIs(img, 310, 326, kRed));
    EXPECT_TRUE(pixelIs(img, 310, 330, kBackground));
    EXPECT_EQ(countInRow(img, 137, 0, 400, kGrey), 0);  // no 10.25 m line
    EXPECT_TRUE(pixelIs(img, 360, 350, kBlack));        // indicator 325..372

    // 0.2..5 m: the top is 0, not -0.28 m, so 0.2 m is row 15 (not 33)
    // and 5 m row 365, still inside the indicator's limit.
    img = picture({0.2, 1, 3, 5}, 4, 400, 400);
    EXPECT_TRUE(pixelIs(img, 80, 8, kWater));
    EXPECT_TRUE(pixelIs(img, 80, 20, kBackground));
    EXPECT_TRUE(pixelIs(img, 360, 369, kBlack));
}

TEST(EchogramPicture, NarrowWindowsKeepOnePixelColumns) {
    // 200 samples of 20 m on 150 px: 1 px columns at x = j (the newest lie
    // beyond the edge), sample 100 missing; one depth, so 0..50 m: row 120.
    std::vector<double> depths(200, 20.0);
    depths[100] = 0;
    QImage img = picture(depths, 200, 150, 300);
    for (int x = 0; x < 150; ++x) {
        EXPECT_TRUE(pixelIs(img, x, 60, x == 100 ? kBackground : kWater));
        EXPECT_TRUE(pixelIs(img, x, 200, x == 110 ? kBlack : kBackground));  // 110: indicator
    }
    // 300 px: 1.5 px columns; sample 101 is the single pixel x = 152.
    depths.assign(200, 20.0);
    depths[101] = 0;
    img = picture(depths, 200, 300, 300);
    EXPECT_TRUE(pixelIs(img, 151, 60, kWater));
    EXPECT_TRUE(pixelIs(img, 152, 60, kBackground));
    EXPECT_TRUE(pixelIs(img, 153, 60, kWater));
}

TEST(EchogramPicture, ZeroOrNegativeDepthLeavesAnEmptyColumnAndNoBox) {
    for (double latest : {0.0, -3.0}) {
        const QImage img = picture({10, latest}, kN, kW, kH);
        EXPECT_TRUE(pixelIs(img, 485, 40, kWater)) << latest;  // 10 m moved to column 48
        EXPECT_TRUE(pixelIs(img, 495, 40, kBackground)) << latest;
        EXPECT_TRUE(pixelIs(img, 497, 397, kBackground)) << latest;
        EXPECT_TRUE(pixelIs(img, 460, 200, kBackground)) << latest;
        EXPECT_GT(countInRow(img, 160, 100, 400, kGrey), 60) << latest;  // the grid stays
    }
}

TEST(EchogramPicture, IndicatorOnlyClearOfTopAndBox) {
    // One sample, 8 px a metre: rows 6, 5, 369, 370 and 480 (limited to
    // 400); the line needs 5 < row < 370, the box is always drawn.
    struct Case {
        double depth;
        int probeY;
        bool line;
    };
    for (const Case& c : {Case{0.75, 200, true}, Case{0.625, 200, false}, Case{46.125, 371, true},
                          Case{46.25, 371, false}, Case{60, 200, false}}) {
        const QImage img = picture({c.depth}, kN, kW, kH);
        EXPECT_TRUE(pixelIs(img, 460, c.probeY, c.line ? kBlack : kBackground)) << c.depth;
        EXPECT_TRUE(pixelIs(img, 497, 397, kYellow)) << c.depth;
    }
    // Beyond the scale the column fills the window down to its floor line.
    const QImage img = picture({60}, kN, kW, kH);
    EXPECT_TRUE(pixelIs(img, 499, 398, kWater));
    EXPECT_TRUE(pixelIs(img, 499, 399, kRed));
}

}  // namespace
}  // namespace nivora
