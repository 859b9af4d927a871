// The chart as a surveyor reads it: the scale bar's round length at several
// zooms, grid lines never closer than the rule allows, and the night chart's
// colours (dark paper, light ink, red and green still apart).

#include <gtest/gtest.h>

#include <QPainter>
#include <cmath>

#include "canvas/chart_furniture.h"
#include "canvas/night_colours.h"
#include "canvas/overlay_painter.h"
#include "canvas/qt_color.h"
#include "tests/canvas/render_test_support.h"

namespace nivora {
namespace {

TEST(ScaleBar, TheLongestRoundLengthThatFitsAtEachZoom) {
    struct Case {
        double metresPerPixel;
        double length;
        const char* label;
    };
    // 180 pixels at most: the length is 1, 2 or 5 times a power of ten.
    for (const Case c : {Case{0.01, 1, "1 m"}, Case{0.1, 10, "10 m"}, Case{0.35, 50, "50 m"},
                         Case{1.2, 200, "200 m"}, Case{3, 500, "500 m"}, Case{10, 1000, "1 km"},
                         Case{40, 5000, "5 km"}, Case{0.004, 0.5, "50 cm"}}) {
        const ScaleBar bar = ChooseScaleBar(c.metresPerPixel, 180);
        EXPECT_DOUBLE_EQ(bar.LengthM, c.length) << c.metresPerPixel;
        EXPECT_EQ(bar.Label, QLatin1String(c.label)) << c.metresPerPixel;
        EXPECT_LE(bar.Pixels, 180);
        EXPECT_GT(bar.Pixels, 180 / 2.5 - 1) << "no shorter than the next round length down";
        EXPECT_NEAR(bar.Pixels, c.length / c.metresPerPixel, 0.5);
    }
    EXPECT_EQ(ChooseScaleBar(0, 180).Pixels, 0);
    EXPECT_EQ(ChooseScaleBar(NAN, 180).Pixels, 0);
}

TEST(ScaleBar, DrawnAsLongAsItsLengthOnTheChart) {
    test::Scene s(800, 400);
    s.doc.View.WorldSet(0, 400, 800, 0);  // 1 m per pixel: 100 m is 100 pixels
    s.doc.Overlay.Furniture.ScaleBar = true;
    QImage img = s.render();
    {
        QPainter p(&img);
        DrawOverlays(p, s.doc, nullptr);
    }
    const ScaleBar bar = ChooseScaleBar(1.0, 180);
    ASSERT_EQ(bar.LengthM, 100);
    const QRect box = ScaleBarRect(s.doc.Overlay, s.doc.View, bar);
    // The dark half: 50 pixels on the bar's row, from its left end.
    const int y = box.bottom() - 10;
    int dark = 0;
    for (int x = box.left(); x <= box.right(); ++x)
        dark += qGray(img.pixel(x, y)) < 60;
    EXPECT_NEAR(dark, 50, 2);
}

TEST(GridRule, LinesNeverCloserThanTheRuleAndStillOnTheChosenGrid) {
    ViewWindow view;
    view.Width = 1000;
    view.Height = 500;
    for (double width : {500.0, 2000.0, 20000.0, 150000.0, 3.0e6}) {
        view.WorldSet(400000, 4500000 + width / 2, 400000 + width, 4500000);
        const GridSpacing s = ReadableGridSpacing({100, 100}, view, 24);
        const double px = s.X / (width / view.Width);
        EXPECT_GE(px, 24) << width;
        // A multiple of 100 m by 1, 2 or 5 times a power of ten.
        const double k = s.X / 100;
        const double mantissa = k / std::pow(10, std::floor(std::log10(k) + 1e-9));
        EXPECT_TRUE(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 ||
                    std::abs(mantissa - 5) < 1e-9)
            << width << " " << s.X;
        // The next smaller such multiple would break the rule.
        if (k > 1) {
            EXPECT_LT(px / (mantissa == 5 ? 2.5 : 2.0), 24) << width;
        }
    }
    view.WorldSet(0, 250, 500, 0);
    EXPECT_EQ(ReadableGridSpacing({100, 100}, view, 24).X, 100) << "far apart: as chosen";
}

TEST(NightChart, PaperDarkInkLightAndColoursKeepTheirHue) {
    const QColor paper = toQColor(NightColour(colors::White));
    const QColor ink = toQColor(NightColour(colors::Black));
    EXPECT_LT(paper.lightness(), 50);
    EXPECT_GT(ink.lightness(), 150);
    const QColor red = toQColor(NightColour(colors::Red));
    const QColor green = toQColor(NightColour(colors::Green));
    const QColor blue = toQColor(NightColour(colors::Blue));
    EXPECT_NEAR(red.hslHue(), 0, 3);
    EXPECT_NEAR(green.hslHue(), 120, 3);
    EXPECT_NEAR(blue.hslHue(), 240, 3);
    // Each stands out from the dark paper.
    for (const QColor& c : {red, green, blue})
        EXPECT_GT(c.lightness(), paper.lightness() + 50) << c.name().toStdString();

    // The picture: the same chart by day and at night.
    test::Scene s(200, 100);
    const int line = s.doc.DrawLine(10, 50, 190, 50, s.layer);
    s.doc.SetShapePenFg(line, colors::Black);
    s.doc.SetShapePenWidth(line, 3);
    RenderSettings night;
    night.Night = true;
    const QImage day = s.render();
    const QImage dark = s.render(night);
    EXPECT_EQ(day.pixelColor(5, 5), QColor(Qt::white));
    EXPECT_EQ(dark.pixelColor(5, 5), paper);
    EXPECT_LT(qGray(day.pixel(100, 50)), 40);
    EXPECT_GT(qGray(dark.pixel(100, 50)), 150);
}

}  // namespace
}  // namespace nivora
