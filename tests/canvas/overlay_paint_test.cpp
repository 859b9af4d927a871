// Overlays painted over the chart picture: the position status box and the
// depth/speed box at each corner, the hit test of the status box, depth and
// event labels, the distance measure and the XOR rubber band of each tool.

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>

#include "canvas/canvas_interaction.h"
#include "canvas/overlay_painter.h"
#include "tests/canvas/render_test_support.h"

namespace nivora {
namespace {

using test::countColor;
using test::countDark;
using test::countNot;
using test::inkBox;
using test::isColor;
using test::Scene;

constexpr int kW = 400;
constexpr int kH = 300;

QImage withOverlays(Scene& s, TColor background = colors::Silver) {
    QImage img = s.render({background, 0, true});
    QPainter p(&img);
    DrawOverlays(p, s.doc, nullptr);
    return img;
}

// ---- Position status box ----

class GgaCorner : public ::testing::TestWithParam<int> {};

TEST_P(GgaCorner, BoxSitsInItsCornerAndAnswersTheHitTest) {
    Scene s(kW, kH);
    s.doc.SetPositionStatus(QStringLiteral("RTK Fix | Spd: 4.5 kn | SV: 14"), 4);
    s.doc.Overlay.GGAOverlayPosition = GetParam();
    const QImage img = withOverlays(s);
    const QFontMetrics m(GGAOverlayFont(), &img);
    const int w = m.horizontalAdvance(s.doc.Overlay.PositionStatusText);
    const int h = m.height();
    const QPoint text[4] = {{8, 8}, {kW - w - 8, 8}, {kW - w - 8, kH - h - 10}, {8, kH - h - 10}};
    const QPoint t = text[GetParam()];
    const QRect box(t.x() - 6, t.y() - 6, w + 12, h + 12);
    EXPECT_EQ(GGAOverlayRect(s.doc.Overlay, m, kW, kH), box);

    EXPECT_TRUE(isColor(img, t.x() - 3, t.y() + h / 2, colors::Lime));  // padding
    EXPECT_TRUE(isColor(img, box.right(), t.y() + h / 2, colors::Lime));
    EXPECT_TRUE(isColor(img, box.left() - 1, t.y() + h / 2, colors::Silver));
    EXPECT_TRUE(isColor(img, box.right() + 1, t.y() + h / 2, colors::Silver));
    EXPECT_GT(countDark(img, QRect(t.x(), t.y(), w, h)), 20);  // black text

    const OverlayState& o = s.doc.Overlay;
    EXPECT_TRUE(IsPointInGGAOverlay(o, m, kW, kH, box.left(), box.top()));
    EXPECT_TRUE(IsPointInGGAOverlay(o, m, kW, kH, box.right(), box.bottom()));
    EXPECT_FALSE(IsPointInGGAOverlay(o, m, kW, kH, box.left() - 1, box.top()));
    EXPECT_FALSE(IsPointInGGAOverlay(o, m, kW, kH, box.right() + 1, box.bottom()));
    EXPECT_FALSE(IsPointInGGAOverlay(o, m, kW, kH, box.left(), box.bottom() + 1));
}

INSTANTIATE_TEST_SUITE_P(Corners, GgaCorner, ::testing::Values(0, 1, 2, 3));

struct FixCase {
    int quality;
    TColor fill;
};

std::ostream& operator<<(std::ostream& out, const FixCase& c) {
    return out << "quality " << c.quality;
}

class GgaFill : public ::testing::TestWithParam<FixCase> {};

TEST_P(GgaFill, FillColourByFixQualityAndWhiteTextOnRed) {
    Scene s(kW, kH);
    s.doc.SetPositionStatus(QStringLiteral("MMMM"), GetParam().quality);
    const QImage img = withOverlays(s);
    EXPECT_TRUE(isColor(img, 5, 20, GetParam().fill));
    const int white = countColor(img, QRect(8, 8, 60, 14), colors::White);
    if (GetParam().quality == 1) {
        EXPECT_GT(white, 10);
    } else {
        EXPECT_EQ(white, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Qualities, GgaFill,
                         ::testing::Values(FixCase{1, colors::Red}, FixCase{2, colors::Aqua},
                                           FixCase{4, colors::Lime}, FixCase{7, colors::Lime},
                                           FixCase{5, colors::Yellow}, FixCase{0, colors::Silver}));

TEST(GgaOverlay, NoTextNoBoxAndNoHit) {
    Scene s(kW, kH);
    const QImage plain = s.render({colors::Silver, 0, true});
    EXPECT_EQ(withOverlays(s), plain);
    const QFontMetrics m(GGAOverlayFont(), &plain);
    EXPECT_FALSE(IsPointInGGAOverlay(s.doc.Overlay, m, kW, kH, 10, 10));
}

TEST(GgaOverlay, DrawnOverTheDepthBoxInTheSameCorner) {
    Scene s(kW, kH);
    s.doc.SetCurrentDepth(12.5, 0, true);
    s.doc.Overlay.DepthSpeedDisplayMode = 3;  // top-left, like the status box
    EXPECT_TRUE(isColor(withOverlays(s), 14, 5, colors::White));
    s.doc.SetPositionStatus(QStringLiteral("GPS"), 2);
    EXPECT_TRUE(isColor(withOverlays(s), 14, 5, colors::Aqua));
}

// ---- Depth/speed box ----

class DepthBoxCorner : public ::testing::TestWithParam<int> {};

TEST_P(DepthBoxCorner, FramedWhiteBoxInItsCorner) {
    Scene s(kW, kH);
    s.doc.SetDepthLabelSettings(true, 10, QStringLiteral("DejaVu Sans"), 12, colors::Blue);
    s.doc.SetCurrentDepth(12.34, 11.5, true);
    s.doc.SetCurrentSpeed(4.25, true);
    s.doc.Overlay.DepthSpeedDisplayMode = GetParam();
    const QImage img = withOverlays(s);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(16);
    font.setBold(true);
    const QFontMetrics m(font, &img);
    const QString text = s.doc.Overlay.DepthSpeedText();
    ASSERT_EQ(text, QStringLiteral("HF: 12.34 m  LF: 11.50 m  4.2 kn"));
    const int w = m.horizontalAdvance(text);
    const int h = m.height();
    const QPoint pos[4] = {
        {10, kH - h - 10}, {kW - w - 10, kH - h - 10}, {kW - w - 10, 10}, {10, 10}};
    const QPoint t = pos[GetParam()];
    const int mid = t.y() + h / 2;
    EXPECT_TRUE(isColor(img, t.x() - 6, mid, colors::Blue));  // frame
    EXPECT_TRUE(isColor(img, t.x() + w + 5, mid, colors::Blue));
    EXPECT_TRUE(isColor(img, t.x() - 3, mid, colors::White));  // padding
    EXPECT_TRUE(isColor(img, t.x() - 7, mid, colors::Silver));
    EXPECT_TRUE(isColor(img, t.x() + w + 6, mid, colors::Silver));
    EXPECT_TRUE(isColor(img, t.x() + w / 2, t.y() - 6, colors::Blue));
    EXPECT_TRUE(isColor(img, t.x() + w / 2, t.y() + h + 5, colors::Blue));
    EXPECT_GT(countColor(img, QRect(t.x(), t.y(), w, h), colors::Blue), 30);  // text
}

INSTANTIATE_TEST_SUITE_P(Corners, DepthBoxCorner, ::testing::Values(0, 1, 2, 3));

TEST(DepthBox, NothingWhenThereIsNothingToShow) {
    Scene s(kW, kH);
    const QImage plain = s.render({colors::Silver, 0, true});
    s.doc.SetCurrentDepth(0, 0, true);  // neither depth measured
    EXPECT_EQ(withOverlays(s), plain);
    s.doc.SetCurrentDepth(5, 5, false);
    EXPECT_EQ(withOverlays(s), plain);
}

// ---- Labels ----

TEST(DepthLabels, CentredOnTheAnchorInTheLabelColour) {
    Scene s(kW, kH);
    s.doc.SetDepthLabelSettings(true, 10, QStringLiteral("DejaVu Sans"), 20, colors::Red);
    s.doc.AddDepthLabel(200, 150, 5.26);  // "5.3" centred on pixel (200, 150)
    const QImage img = withOverlays(s, colors::White);
    const QRect ink = inkBox(img, colors::White);
    EXPECT_NEAR(ink.center().x(), 200, 3);
    EXPECT_NEAR(ink.center().y(), 150, 6);
    EXPECT_GT(countColor(img, ink, colors::Red), 20);
    s.doc.Overlay.DepthLabelsVisible = false;
    EXPECT_EQ(countNot(withOverlays(s, colors::White), QRect(0, 0, kW, kH), colors::White), 0);
}

TEST(DepthLabels, AnchorsBeyondTheMarginAreSkipped) {
    for (double x : {-45.0, -55.0}) {
        Scene s(kW, kH);
        s.doc.SetDepthLabelSettings(true, 10, QStringLiteral("DejaVu Sans"), 60, colors::Red);
        s.doc.AddDepthLabel(x, 150, 123.4);  // about 200 px wide: reaches into view
        const QImage img = withOverlays(s, colors::White);
        EXPECT_EQ(countNot(img, img.rect(), colors::White) > 0, x > -50) << x;
    }
}

TEST(DepthLabels, CachedPicturesMatchDrawnTexts) {
    Scene s(kW, kH);
    s.doc.SetDepthLabelSettings(true, 10, QStringLiteral("DejaVu Sans"), 14, colors::Maroon);
    for (int i = 0; i < 30; ++i)
        s.doc.AddDepthLabel(15 + (i % 6) * 70, 30 + (i / 6) * 55, 3.14 + i * 1.7);
    s.doc.AddEventLabel(200, 150, 42);
    const QImage plain = withOverlays(s, colors::White);
    OverlayCaches caches;
    for (int round = 0; round < 2; ++round) {  // filling the cache, then using it
        QImage cached = s.render({colors::White, 0, true});
        {
            QPainter p(&cached);
            DrawOverlays(p, s.doc, nullptr, &caches);
        }
        int differing = 0;
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                const QRgb a = plain.pixel(x, y);
                const QRgb b = cached.pixel(x, y);
                differing += std::abs(qRed(a) - qRed(b)) > 8 ||
                             std::abs(qGreen(a) - qGreen(b)) > 8 ||
                             std::abs(qBlue(a) - qBlue(b)) > 8;
            }
        }
        EXPECT_EQ(differing, 0) << "round " << round;
    }
    // A new colour is not served from pictures of the old one.
    s.doc.Overlay.LabelColor = colors::Blue;
    QImage recoloured = s.render({colors::White, 0, true});
    {
        QPainter p(&recoloured);
        DrawOverlays(p, s.doc, nullptr, &caches);
    }
    EXPECT_EQ(countColor(recoloured, recoloured.rect(), colors::Maroon), 0);
    EXPECT_GT(countColor(recoloured, recoloured.rect(), colors::Blue), 100);
}

TEST(EventLabels, BoldNumberCentredOnTheAnchor) {
    Scene s(kW, kH);
    s.doc.Overlay.EventLabelColor = colors::Green;
    s.doc.Overlay.EventLabelFontSize = 24;
    s.doc.AddEventLabel(300, 100, 17);
    const QImage img = withOverlays(s, colors::White);
    const QRect ink = inkBox(img, colors::White);
    EXPECT_NEAR(ink.center().x(), 300, 3);
    EXPECT_NEAR(ink.center().y(), 200, 8);
    EXPECT_GT(countColor(img, ink, colors::Green), 30);
}

// ---- Distance measure ----

TEST(DistanceMeasure, CircleDotLineCrossAndReadout) {
    Scene s(kW, kH);
    s.doc.StartDistanceMeasure(100, 150);  // pixel (100, 150)
    s.doc.UpdateDistanceMeasure(200, 150, 100.0, 90.0);
    const QImage img = withOverlays(s, colors::White);
    EXPECT_GT(countColor(img, QRect(99, 48, 3, 4), colors::Red), 0);   // circle top
    EXPECT_GT(countColor(img, QRect(99, 248, 3, 4), colors::Red), 0);  // circle bottom
    EXPECT_TRUE(isColor(img, 100, 147, colors::Red));                  // dot at the start
    EXPECT_TRUE(isColor(img, 97, 152, colors::Red));
    // The line, where the read-out box (which reaches down past it) leaves it.
    EXPECT_GT(countColor(img, QRect(106, 149, 1, 3), colors::Blue), 0);
    EXPECT_TRUE(isColor(img, 200, 143, colors::Blue));  // the cross
    EXPECT_TRUE(isColor(img, 193, 150, colors::Blue));
    // Yellow box above the midpoint (150, 150): from row 118 down.
    EXPECT_TRUE(isColor(img, 150, 119, colors::Yellow));
    EXPECT_TRUE(isColor(img, 150, 118, colors::Black));
    EXPECT_GT(countDark(img, QRect(120, 120, 60, 18)), 15);
    EXPECT_GT(countColor(img, QRect(120, 130, 60, 25), colors::Navy), 0);
}

TEST(DistanceMeasure, NoCircleWhileStartAndEndCoincide) {
    Scene s(kW, kH);
    s.doc.StartDistanceMeasure(100, 150);
    const QImage img = withOverlays(s, colors::White);
    // Only the dot could be red, and the read-out box covers it here.
    EXPECT_LT(countColor(img, QRect(0, 0, kW, kH), colors::Red), 81);
    EXPECT_TRUE(isColor(img, 100, 119, colors::Yellow));
    s.doc.EndDistanceMeasure();
    EXPECT_EQ(countNot(withOverlays(s, colors::White), QRect(0, 0, kW, kH), colors::White), 0);
}

// ---- Rubber band ----

struct Band {
    Scene scene{kW, kH};
    CanvasInteraction ui{scene.doc};
    explicit Band(int tool) { ui.ToolMode = tool; }
    QImage draw(TColor background = colors::White) {
        QImage img(kW, kH, QImage::Format_RGB32);
        img.fill(toQRgb(background));
        QPainter p(&img);
        DrawRubberBand(p, ui, scene.doc.View);
        return img;
    }
};

// A far end point used to map to the int limits, and the cross drawn
// around it overflowed.
TEST(DistanceMeasure, FarEndPointsAreDrawnWithoutOverflow) {
    Scene s(kW, kH);
    s.doc.StartDistanceMeasure(100, 150);
    s.doc.UpdateDistanceMeasure(-1.0e300, 1.0e300, 1.0e300, 315.0);
    const QImage img = withOverlays(s, colors::White);
    EXPECT_TRUE(isColor(img, 97, 152, colors::Red));  // the start dot
    Band b(tool::Circle);
    b.ui.MouseDown(mouse_button::Left, 0, 200, 150);
    b.scene.doc.View.WorldSet(0, 300, 1.0e-300, 0);  // the radius now maps past the int range
    b.ui.MouseMove(0, 0, 0);
    EXPECT_EQ(b.draw().size(), QSize(kW, kH));
}

TEST(RubberBand, RectangleInvertsWhatLiesUnderIt) {
    Band b(tool::Rectangle);
    b.ui.MouseDown(mouse_button::Left, 0, 50, 50);
    b.ui.MouseMove(0, 150, 100);
    const QImage img = b.draw();
    EXPECT_TRUE(isColor(img, 50, 75, colors::Black));
    EXPECT_TRUE(isColor(img, 150, 75, colors::Black));
    EXPECT_TRUE(isColor(img, 100, 50, colors::Black));
    EXPECT_TRUE(isColor(img, 100, 100, colors::Black));
    EXPECT_TRUE(isColor(img, 100, 75, colors::White));
    EXPECT_TRUE(isColor(b.draw(colors::Black), 50, 75, colors::White));
    // Drawn twice, the band leaves the picture as it was.
    QImage twice(kW, kH, QImage::Format_RGB32);
    twice.fill(toQRgb(colors::Teal));
    const QImage original = twice.copy();
    {
        QPainter p(&twice);
        DrawRubberBand(p, b.ui, b.scene.doc.View);
        DrawRubberBand(p, b.ui, b.scene.doc.View);
    }
    EXPECT_EQ(twice, original);
}

TEST(RubberBand, ZoomWindowAndEllipseAlsoShowARectangle) {
    for (int t : {tool::ZoomWindow, tool::Ellipse}) {
        Band b(t);
        b.ui.MouseDown(mouse_button::Left, 0, 50, 50);
        b.ui.MouseMove(0, 150, 100);
        const QImage img = b.draw();
        EXPECT_TRUE(isColor(img, 50, 75, colors::Black)) << t;
        EXPECT_TRUE(isColor(img, 150, 50, colors::Black)) << t;
    }
}

TEST(RubberBand, LineFromStartToCursor) {
    Band b(tool::Line);
    b.ui.MouseDown(mouse_button::Left, 0, 50, 50);
    b.ui.MouseMove(0, 150, 150);
    const QImage img = b.draw();
    EXPECT_TRUE(isColor(img, 100, 100, colors::Black));
    EXPECT_EQ(countNot(img, img.rect(), colors::White), 101);
}

TEST(RubberBand, PolygonClosesBackToTheFirstVertex) {
    Band b(tool::Polygon);
    b.ui.MouseDown(mouse_button::Left, 0, 50, 50);
    b.ui.MouseDown(mouse_button::Left, 0, 150, 50);
    b.ui.MouseMove(0, 150, 150);
    const QImage img = b.draw();
    EXPECT_TRUE(isColor(img, 100, 50, colors::Black));
    EXPECT_TRUE(isColor(img, 150, 100, colors::Black));
    EXPECT_TRUE(isColor(img, 100, 100, colors::Black));  // closing diagonal
}

TEST(RubberBand, PolylineDoesNotClose) {
    Band b(tool::Polyline);
    b.ui.MouseDown(mouse_button::Left, 0, 50, 50);
    b.ui.MouseDown(mouse_button::Left, 0, 150, 50);
    b.ui.MouseMove(0, 150, 150);
    const QImage img = b.draw();
    EXPECT_TRUE(isColor(img, 150, 100, colors::Black));
    EXPECT_TRUE(isColor(img, 100, 100, colors::White));
}

TEST(RubberBand, CircleAboutTheStartWithThePixelRadius) {
    Band b(tool::Circle);
    b.ui.MouseDown(mouse_button::Left, 0, 200, 150);
    b.ui.MouseMove(0, 200, 120);  // 30 units away
    const QImage img = b.draw();
    EXPECT_GT(countColor(img, QRect(169, 149, 3, 3), colors::Black), 0);
    EXPECT_GT(countColor(img, QRect(229, 149, 3, 3), colors::Black), 0);
    EXPECT_TRUE(isColor(img, 200, 150, colors::White));
}

TEST(RubberBand, NothingWithoutADrawingInProgress) {
    Band b(tool::Rectangle);
    b.ui.MouseMove(0, 150, 100);
    EXPECT_EQ(countNot(b.draw(), QRect(0, 0, kW, kH), colors::White), 0);
    b.ui.MouseDown(mouse_button::Left, 0, 50, 50);
    b.ui.MouseDown(mouse_button::Left, 0, 100, 100);  // rectangle made: band gone
    b.ui.MouseMove(0, 150, 120);
    EXPECT_EQ(countNot(b.draw(), QRect(0, 0, kW, kH), colors::White), 0);
}

}  // namespace
}  // namespace nivora
