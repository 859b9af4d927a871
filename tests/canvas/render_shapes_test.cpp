// The chart picture, shape by shape: pixels at the positions the world
// window maps them to, colours in the right byte order, and the rules that
// bound a rebuild (culling, size floor, point thinning, the cap).

#include <gtest/gtest.h>

#include "tests/canvas/render_test_support.h"

namespace nivora {
namespace {

using test::countColor;
using test::countNot;
using test::isColor;
using test::Scene;

// ---- Colours ----

TEST(ColorMapping, RedIsTheLowByte) {
    EXPECT_EQ(toQColor(colors::Red), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(colors::Blue), QColor(0, 0, 255));
    EXPECT_EQ(toQColor(0x123456), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(toQRgb(0x123456) & 0xFFFFFFu, 0x563412u);
    EXPECT_EQ(fromQColor(QColor(0x56, 0x34, 0x12)), 0x123456u);
    EXPECT_EQ(fromQRgb(qRgb(1, 2, 3)), 0x030201u);
}

TEST(ColorMapping, PixelsOfARedAndABlueLineHaveTheirOwnColours) {
    Scene s;
    const int red = s.doc.DrawLine(10.5, s.rowY(20), 60.5, s.rowY(20), s.layer);
    const int blue = s.doc.DrawLine(10.5, s.rowY(40), 60.5, s.rowY(40), s.layer);
    const int odd = s.doc.DrawLine(10.5, s.rowY(60), 60.5, s.rowY(60), s.layer);
    s.doc.SetShapePenFg(red, colors::Red);
    s.doc.SetShapePenFg(blue, colors::Blue);
    s.doc.SetShapePenFg(odd, 0x123456);
    for (bool fast : {true, false}) {
        const QImage img = s.render({colors::White, 0, fast});
        EXPECT_EQ(img.pixel(30, 20) & 0xFFFFFFu, 0xFF0000u) << "fast " << fast;
        EXPECT_EQ(img.pixel(30, 40) & 0xFFFFFFu, 0x0000FFu) << "fast " << fast;
        EXPECT_EQ(img.pixel(30, 60) & 0xFFFFFFu, 0x563412u) << "fast " << fast;
    }
}

// A DXF chart's colour 7 is white; on a white background it must still show.
TEST(Background, LinesAndPointsOfTheBackgroundColourShowInItsContrast) {
    Scene s;
    const int line = s.doc.DrawLine(10.5, s.rowY(20), 60.5, s.rowY(20), s.layer);
    const int point = s.doc.DrawPoint(100.5, s.rowY(50), s.layer);
    s.doc.SetShapePenFg(line, colors::White);
    s.doc.SetShapePenFg(point, colors::White);
    for (bool fast : {true, false}) {
        QImage img = s.render({colors::White, 0, fast});
        EXPECT_TRUE(isColor(img, 30, 20, colors::Black)) << "fast " << fast;
        EXPECT_GT(countColor(img, QRect(96, 46, 9, 9), colors::Black), 0) << "fast " << fast;
        img = s.render({colors::Black, 0, fast});
        EXPECT_TRUE(isColor(img, 30, 20, colors::White))
            << "any other background leaves white as it is";
    }
    EXPECT_EQ(s.doc.GetShapePenFg(line), colors::White) << "the drawing keeps its colour";
}

TEST(Background, FilledWithBackColor) {
    Scene s;
    const QImage img = s.render({0x00FFFF, 0, true});  // yellow
    EXPECT_EQ(countColor(img, img.rect(), colors::Yellow), 200 * 100);
}

// ---- Per class ----

class BothPaths : public ::testing::TestWithParam<bool> {
  protected:
    RenderSettings settings() const { return {colors::White, 0, GetParam()}; }
};

TEST_P(BothPaths, LineCoversBothEndsAndNothingBeside) {
    Scene s;
    s.doc.DrawLine(10.5, s.rowY(50), 60.5, s.rowY(50), s.layer);
    const QImage img = s.render(settings());
    for (int x : {10, 35, 60})
        EXPECT_TRUE(isColor(img, x, 50, colors::Black)) << x;
    EXPECT_TRUE(isColor(img, 9, 50, colors::White));
    EXPECT_TRUE(isColor(img, 61, 50, colors::White));
    EXPECT_EQ(countNot(img, img.rect(), colors::White), 51);
}

TEST_P(BothPaths, DiagonalLineKeepsItsDirectionWhenAnEndIsFarAway) {
    Scene s;
    // 45 degrees down to the right on screen, the far end ten million pixels away.
    s.doc.DrawLine(10.5, s.rowY(10), 1.0e7 + 10.5, s.rowY(10) - 1.0e7, s.layer);
    const QImage img = s.render(settings());
    for (int k : {0, 30, 60, 89})
        EXPECT_TRUE(isColor(img, 10 + k, 10 + k, colors::Black)) << k;
    EXPECT_EQ(countNot(img, img.rect(), colors::White), 90);
}

TEST_P(BothPaths, LineThroughTheWindowWithBothEndsOutsideIsDrawn) {
    Scene s;
    s.doc.DrawLine(-1.0e9, s.rowY(30), 1.0e9, s.rowY(30), s.layer);
    const QImage img = s.render(settings());
    EXPECT_EQ(countColor(img, QRect(0, 30, 200, 1), colors::Black), 200);
    EXPECT_EQ(s.stats.Drawn, 1);
}

TEST_P(BothPaths, SelectedLineIsRedAndTwoPixelsWider) {
    Scene s;
    const int id = s.doc.DrawLine(20.5, s.rowY(50), 120.5, s.rowY(50), s.layer);
    s.doc.ShapeSelect(id, false);
    const QImage img = s.render(settings());
    EXPECT_TRUE(isColor(img, 70, 50, colors::Red));
    EXPECT_TRUE(isColor(img, 70, 49, colors::Red));
    EXPECT_TRUE(isColor(img, 70, 51, colors::Red));
    EXPECT_TRUE(isColor(img, 70, 48, colors::White));
    EXPECT_TRUE(isColor(img, 70, 52, colors::White));
    EXPECT_EQ(countColor(img, img.rect(), colors::Black), 0);
}

TEST_P(BothPaths, ArcIsTwoStraightSegmentsThroughItsMiddlePoint) {
    Scene s;
    s.doc.DrawThreePointArc(20.5, s.rowY(80), 100.5, s.rowY(10), 180.5, s.rowY(80), s.layer);
    const QImage img = s.render(settings());
    EXPECT_TRUE(isColor(img, 100, 10, colors::Black));
    EXPECT_TRUE(isColor(img, 20, 80, colors::Black));
    EXPECT_TRUE(isColor(img, 180, 80, colors::Black));
    // Half way along the first segment, exactly on a straight line.
    EXPECT_EQ(countColor(img, QRect(59, 44, 3, 3), colors::Black) > 0, true);
    // A curve through the three points would pass here; two segments do not.
    EXPECT_EQ(countNot(img, QRect(55, 20, 10, 10), colors::White), 0);
}

TEST_P(BothPaths, OpenPolylineAndFilledPolygon) {
    Scene s;
    const int open = s.doc.DrawPolyline(
        {{10.5, s.rowY(10)}, {50.5, s.rowY(10)}, {50.5, s.rowY(50)}}, s.layer, false);
    const int closed = s.doc.DrawPolyline(
        {{100.5, s.rowY(10)}, {180.5, s.rowY(10)}, {180.5, s.rowY(90)}, {100.5, s.rowY(90)}},
        s.layer, true);
    s.doc.SetShapeBrushStyle(closed, kBrushSolid);
    s.doc.SetShapeBrushFg(closed, colors::Lime);
    (void)open;
    const QImage img = s.render(settings());
    EXPECT_TRUE(isColor(img, 30, 10, colors::Black));
    EXPECT_TRUE(isColor(img, 50, 30, colors::Black));
    EXPECT_TRUE(isColor(img, 30, 30, colors::White));  // open: no closing edge, no fill
    EXPECT_TRUE(isColor(img, 140, 50, colors::Lime));
    EXPECT_TRUE(isColor(img, 140, 10, colors::Black));
    EXPECT_TRUE(isColor(img, 100, 50, colors::Black));  // closing edge
}

TEST_P(BothPaths, ClosedPolylineOfTwoVerticesIsOpen) {
    Scene s;
    const int id = s.doc.DrawPolyline({{10.5, s.rowY(10)}, {90.5, s.rowY(90)}}, s.layer, true);
    s.doc.SetShapeBrushStyle(id, kBrushSolid);
    s.doc.SetShapeBrushFg(id, colors::Lime);
    const QImage img = s.render(settings());
    EXPECT_EQ(countColor(img, img.rect(), colors::Lime), 0);
    EXPECT_TRUE(isColor(img, 50, 50, colors::Black));
}

INSTANTIATE_TEST_SUITE_P(FastAndPlain, BothPaths, ::testing::Values(true, false));

TEST(ShapeClasses, CircleWithPixelRadiusAndBrush) {
    Scene s;
    const int hollow = s.doc.DrawCircle(50.5, s.rowY(50), 30, s.layer);
    const int filled = s.doc.DrawCircle(150.5, s.rowY(50), 30, s.layer);
    s.doc.SetShapeBrushStyle(filled, kBrushSolid);
    s.doc.SetShapeBrushFg(filled, colors::Aqua);
    (void)hollow;
    const QImage img = s.render();
    // Outline 30 pixels from the centre on both axes (within a pixel).
    EXPECT_GT(countColor(img, QRect(19, 49, 3, 3), colors::Black), 0);
    EXPECT_GT(countColor(img, QRect(79, 49, 3, 3), colors::Black), 0);
    EXPECT_GT(countColor(img, QRect(49, 19, 3, 3), colors::Black), 0);
    EXPECT_TRUE(isColor(img, 50, 50, colors::White));
    EXPECT_TRUE(isColor(img, 150, 50, colors::Aqua));
    EXPECT_TRUE(isColor(img, 150, 25, colors::Aqua));
    EXPECT_TRUE(isColor(img, 125, 25, colors::White));  // outside the circle, inside its box
}

TEST(ShapeClasses, EllipseInscribedInItsCorners) {
    Scene s;
    const int id = s.doc.DrawTwoPointEllipse(20.5, s.rowY(20), 180.5, s.rowY(80), s.layer);
    s.doc.SetShapeBrushStyle(id, kBrushSolid);
    s.doc.SetShapeBrushFg(id, colors::Yellow);
    const QImage img = s.render();
    EXPECT_GT(countColor(img, QRect(19, 49, 3, 3), colors::Black), 0);
    EXPECT_GT(countColor(img, QRect(179, 49, 3, 3), colors::Black), 0);
    EXPECT_GT(countColor(img, QRect(99, 19, 3, 3), colors::Black), 0);
    EXPECT_TRUE(isColor(img, 100, 50, colors::Yellow));
    EXPECT_TRUE(isColor(img, 22, 22, colors::White));
}

TEST(ShapeClasses, RectangleOutlineFillAndBorderlessCell) {
    Scene s;
    const int framed = s.doc.DrawRectangle(10.5, s.rowY(10), 60.5, s.rowY(60), s.layer);
    const int cell = s.doc.DrawRectangle(100.5, s.rowY(10), 150.5, s.rowY(60), s.layer);
    s.doc.SetShapeBrushStyle(framed, kBrushSolid);
    s.doc.SetShapeBrushFg(framed, colors::Lime);
    s.doc.SetShapeBrushStyle(cell, kBrushSolid);
    s.doc.SetShapeBrushFg(cell, colors::Lime);
    s.doc.SetShapePenWidth(cell, 0);
    const QImage img = s.render();
    EXPECT_TRUE(isColor(img, 10, 30, colors::Black));
    EXPECT_TRUE(isColor(img, 60, 30, colors::Black));
    EXPECT_TRUE(isColor(img, 30, 10, colors::Black));
    EXPECT_TRUE(isColor(img, 30, 30, colors::Lime));
    // Pen width 0 with a solid brush: the cell is only filled.
    EXPECT_TRUE(isColor(img, 100, 30, colors::Lime));
    EXPECT_TRUE(isColor(img, 125, 10, colors::Lime));
    EXPECT_EQ(countColor(img, QRect(95, 5, 60, 60), colors::Black), 0);
}

TEST(ShapeClasses, SelectedCellGetsItsOutline) {
    Scene s;
    const int cell = s.doc.DrawRectangle(100.5, s.rowY(10), 150.5, s.rowY(60), s.layer);
    s.doc.SetShapeBrushStyle(cell, kBrushSolid);
    s.doc.SetShapeBrushFg(cell, colors::Lime);
    s.doc.SetShapePenWidth(cell, 0);
    s.doc.ShapeSelect(cell, false);
    const QImage img = s.render();
    EXPECT_TRUE(isColor(img, 100, 30, colors::Red));
}

TEST(ShapeClasses, RoundedRectangleCutsItsCorners) {
    Scene s;
    const int id = s.doc.DrawRectangle(10.5, s.rowY(10), 110.5, s.rowY(90), s.layer);
    auto* r = static_cast<TNRectangle*>(s.doc.FindShape(id));
    r->Rounded = true;
    r->CornerRadius = 20.0;  // 20 pixels of corner ellipse
    const QImage img = s.render();
    EXPECT_TRUE(isColor(img, 60, 10, colors::Black));
    EXPECT_TRUE(isColor(img, 10, 50, colors::Black));
    EXPECT_TRUE(isColor(img, 10, 10, colors::White));
    EXPECT_TRUE(isColor(img, 11, 11, colors::White));
}

TEST(ShapeClasses, HatchedBrushLeavesGaps) {
    Scene s;
    const int id = s.doc.DrawRectangle(10.5, s.rowY(10), 90.5, s.rowY(90), s.layer);
    s.doc.SetShapeBrushStyle(id, 2);  // horizontal lines
    s.doc.SetShapeBrushFg(id, colors::Blue);
    const QImage img = s.render();
    const int blue = countColor(img, QRect(20, 20, 60, 60), colors::Blue);
    const int white = countColor(img, QRect(20, 20, 60, 60), colors::White);
    EXPECT_GT(blue, 200);
    EXPECT_GT(white, 1000);
}

TEST(ShapeClasses, PenStyleClearDrawsNoOutline) {
    Scene s;
    const int id = s.doc.DrawLine(10.5, s.rowY(50), 90.5, s.rowY(50), s.layer);
    s.doc.SetShapePenStyle(id, 5);
    const QImage img = s.render();
    EXPECT_EQ(countNot(img, img.rect(), colors::White), 0);
}

TEST(ShapeClasses, DashedLineHasGaps) {
    Scene s;
    const int id = s.doc.DrawLine(10.5, s.rowY(50), 190.5, s.rowY(50), s.layer);
    s.doc.SetShapePenStyle(id, 1);
    const QImage img = s.render();
    const int black = countColor(img, QRect(10, 50, 181, 1), colors::Black);
    EXPECT_GT(black, 60);
    EXPECT_LT(black, 170);
}

// Point symbols by Size + PenWidth.
struct PointCase {
    int size;
    int penWidth;
    int s;  // Size + PenWidth
};

std::ostream& operator<<(std::ostream& out, const PointCase& c) {
    return out << "size " << c.size << " pen " << c.penWidth;
}

class PointSymbols : public ::testing::TestWithParam<PointCase> {};

TEST_P(PointSymbols, ShapeBySize) {
    const PointCase c = GetParam();
    Scene s;
    const int id = s.doc.DrawPoint(100.5, s.rowY(50), s.layer);
    auto* p = static_cast<TNPoint*>(s.doc.FindShape(id));
    p->Size = c.size;
    p->PenWidth = c.penWidth;
    p->PenFg = colors::Purple;
    for (bool fast : {true, false}) {
        const QImage img = s.render({colors::White, 0, fast});
        const int ink = countNot(img, img.rect(), colors::White);
        EXPECT_TRUE(isColor(img, 100, 50, colors::Purple));
        if (c.s <= 1) {
            EXPECT_EQ(ink, 1);
        } else if (c.s == 2) {
            EXPECT_EQ(ink, 4);
            EXPECT_TRUE(isColor(img, 101, 51, colors::Purple));
        } else if (c.s <= 4) {
            // A filled square of 2s pixels, no outline.
            EXPECT_EQ(ink, 4 * c.s * c.s);
            EXPECT_TRUE(isColor(img, 100 - c.s, 50 - c.s, colors::Purple));
            EXPECT_TRUE(isColor(img, 100 + c.s - 1, 50 + c.s - 1, colors::Purple));
        } else {
            // A disc of radius s: round, so the corners of its box stay empty.
            EXPECT_TRUE(isColor(img, 100 + c.s - 2, 50, colors::Purple));
            EXPECT_TRUE(isColor(img, 100, 50 - c.s + 2, colors::Purple));
            EXPECT_TRUE(isColor(img, 100 - c.s, 50 - c.s, colors::White));
            EXPECT_GT(ink, 2.5 * c.s * c.s);
            EXPECT_LT(ink, 4.0 * (c.s + 1) * (c.s + 1));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PointSymbols,
                         ::testing::Values(PointCase{0, 1, 1}, PointCase{1, 1, 2},
                                           PointCase{2, 1, 3}, PointCase{3, 1, 4},
                                           PointCase{3, 2, 5}, PointCase{6, 2, 8}));

TEST(ShapeClasses, FastPointSymbolsMatchQPainterExactly) {
    Scene s;
    // Every symbol kind, some cut by the edges of the picture.
    for (int i = 0; i < 40; ++i) {
        const double x = i < 4 ? (i % 2 ? 198.5 : 0.5) : 7.5 + i * 4.7;
        const int row = i < 4 ? (i < 2 ? 0 : 99) : 20 + (i * 37) % 60;
        const int id = s.doc.DrawPoint(x, s.rowY(row), s.layer);
        auto* p = static_cast<TNPoint*>(s.doc.FindShape(id));
        p->Size = i % 8;
        p->PenWidth = 1 + i % 3;
        p->PenFg = i % 2 ? colors::Green : colors::Navy;
    }
    const QImage fast = s.render({colors::White, 0, true});
    const QImage plain = s.render({colors::White, 0, false});
    EXPECT_EQ(fast, plain);
}

TEST(ShapeClasses, DirectLinesMatchQPainterLines) {
    Scene s(300, 300);
    for (int i = 0; i < 40; ++i) {
        const double a = i * 0.157;
        s.doc.DrawLine(150.5, 150.5, 150.5 + 140 * std::cos(a), 150.5 + 140 * std::sin(a), s.layer);
    }
    const QImage fast = s.render({colors::White, 0, true});
    const QImage plain = s.render({colors::White, 0, false});
    // Both rasterise the same segments, but QPainter breaks ties its own
    // way: every pixel of one must lie within a pixel of the other's ink,
    // and the amount of ink must agree.
    auto within = [](const QImage& a, const QImage& b) {
        int stray = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                if (isColor(a, x, y, colors::White)) continue;
                stray += countNot(b, QRect(x - 1, y - 1, 3, 3), colors::White) == 0;
            }
        }
        return stray;
    };
    EXPECT_EQ(within(fast, plain), 0);
    EXPECT_EQ(within(plain, fast), 0);
    const int fastInk = countNot(fast, fast.rect(), colors::White);
    const int plainInk = countNot(plain, plain.rect(), colors::White);
    EXPECT_NEAR(fastInk, plainInk, plainInk / 20);
}

TEST(ShapeClasses, SelectedPointLooksTheSame) {
    Scene s;
    const int id = s.doc.DrawPoint(100.5, s.rowY(50), s.layer);
    const QImage before = s.render();
    s.doc.ShapeSelect(id, false);
    EXPECT_EQ(s.render(), before);
}

TEST(ShapeClasses, SmoothCurvePassesThroughItsVertices) {
    Scene s;
    auto curve = std::make_unique<TNPolyline>(shape_type::Curve, false);
    curve->AddPoint(20.5, s.rowY(80));
    curve->AddPoint(100.5, s.rowY(20));
    curve->AddPoint(180.5, s.rowY(80));
    s.doc.AddShape(std::move(curve), s.layer);
    const QImage img = s.render();
    for (QPoint v : {QPoint(20, 80), QPoint(100, 20), QPoint(180, 80)})
        EXPECT_GT(countColor(img, QRect(v.x() - 1, v.y() - 1, 3, 3), colors::Black), 0) << v.x();
    // It bows outside the straight chord from the first to the middle vertex.
    EXPECT_EQ(countColor(img, QRect(58, 48, 5, 5), colors::Black), 0);
    EXPECT_GT(countColor(img, QRect(40, 30, 20, 20), colors::Black), 0);
}

TEST(ShapeClasses, ThreeVertexType10IsAQuadraticCurve) {
    Scene s;
    auto arc = std::make_unique<TNPolyline>(shape_type::Arc, false);
    arc->AddPoint(20.5, s.rowY(90));
    arc->AddPoint(100.5, s.rowY(10));
    arc->AddPoint(180.5, s.rowY(90));
    s.doc.AddShape(std::move(arc), s.layer);
    const QImage img = s.render();
    // Through the end points, not through the control point; at t = 1/2 it is
    // half way between the chord and the control point: (100, 50).
    EXPECT_GT(countColor(img, QRect(19, 89, 3, 3), colors::Black), 0);
    EXPECT_GT(countColor(img, QRect(179, 89, 3, 3), colors::Black), 0);
    EXPECT_EQ(countColor(img, QRect(98, 8, 5, 5), colors::Black), 0);
    EXPECT_GT(countColor(img, QRect(98, 48, 5, 5), colors::Black), 0);
}

TEST(ShapeClasses, FourVertexType10IsAnOrdinaryPolyline) {
    Scene s;
    auto arc = std::make_unique<TNPolyline>(shape_type::Arc, false);
    arc->AddPoint(20.5, s.rowY(90));
    arc->AddPoint(100.5, s.rowY(10));
    arc->AddPoint(140.5, s.rowY(50));
    arc->AddPoint(180.5, s.rowY(90));
    s.doc.AddShape(std::move(arc), s.layer);
    const QImage img = s.render();
    EXPECT_TRUE(isColor(img, 100, 10, colors::Black));
    EXPECT_TRUE(isColor(img, 140, 50, colors::Black));
}

// ---- Bounded rebuild ----

TEST(RebuildRules, ShapesOutsideTheWindowAreCulled) {
    Scene s;
    s.doc.DrawLine(300, 10, 400, 20, s.layer);
    s.doc.DrawCircle(-50, 50, 10, s.layer);
    s.doc.DrawPoint(100, 500, s.layer);
    s.doc.DrawLine(10, 10, 20, 20, s.layer);
    s.render();
    EXPECT_EQ(s.stats.Culled, 3);
    EXPECT_EQ(s.stats.Drawn, 1);
}

TEST(RebuildRules, HiddenLayersAndUnknownLayersAreNotDrawn) {
    Scene s;
    const int hidden = s.doc.LayerOpen(QStringLiteral("hidden"));
    s.doc.FindLayer(hidden)->Visible = false;
    s.doc.DrawLine(10.5, s.rowY(10), 90.5, s.rowY(10), hidden);
    s.doc.AddShape(std::make_unique<TNLine>(10.5, s.rowY(20), 90.5, s.rowY(20)), 99);
    s.doc.AddShape(std::make_unique<TNLine>(10.5, s.rowY(30), 90.5, s.rowY(30)), -1);
    const int own = s.doc.DrawLine(10.5, s.rowY(40), 90.5, s.rowY(40), s.layer);
    s.doc.FindShape(own)->Visible = false;
    const QImage img = s.render();
    EXPECT_EQ(countNot(img, img.rect(), colors::White), 0);
    EXPECT_EQ(s.stats.Hidden, 4);
}

TEST(RebuildRules, ShapesBelowHalfAPixelAreSkippedExceptRectanglesAndTexts) {
    Scene s;  // one world unit per pixel: the floor is half a unit
    s.doc.DrawLine(10.1, 10.1, 10.5, 10.5, s.layer);  // 0.4 x 0.4: skipped
    s.doc.DrawLine(20.1, 10.1, 20.7, 10.2, s.layer);  // 0.6 wide: drawn
    s.doc.DrawCircle(30.5, 10.5, 0.2, s.layer);       // 0.4 across: skipped
    s.doc.DrawRectangle(40.1, 10.1, 40.3, 10.3, s.layer);
    s.render();
    EXPECT_EQ(s.stats.BelowFloor, 2);
    EXPECT_EQ(s.stats.Drawn, 2);
}

TEST(RebuildRules, PointsCloserThanThreePixelsToTheLastDrawnAreThinned) {
    Scene s;
    auto dot = [&](double x) {
        const int id = s.doc.DrawPoint(x, s.rowY(50), s.layer);
        static_cast<TNPoint*>(s.doc.FindShape(id))->Size = 0;  // one pixel
    };
    dot(10.5);
    dot(12.5);  // 2 px from the last drawn: thinned
    dot(13.5);  // 3 px from the last drawn: drawn
    dot(15.5);  // 2 px: thinned
    dot(17.5);  // 4 px from 13: drawn
    const QImage img = s.render();
    EXPECT_EQ(s.stats.Thinned, 2);
    EXPECT_TRUE(isColor(img, 10, 50, colors::Black));
    EXPECT_TRUE(isColor(img, 12, 50, colors::White));
    EXPECT_TRUE(isColor(img, 13, 50, colors::Black));
    EXPECT_TRUE(isColor(img, 15, 50, colors::White));
    EXPECT_TRUE(isColor(img, 17, 50, colors::Black));
}

TEST(RebuildRules, ThinningNeedsBothAxesClose) {
    Scene s;
    for (double y : {50.5, 52.5, 47.5}) {
        const int id = s.doc.DrawPoint(10.5, y, s.layer);
        static_cast<TNPoint*>(s.doc.FindShape(id))->Size = 0;
    }
    // x equal; y 2 apart is thinned, 3 apart is not.
    s.render();
    EXPECT_EQ(s.stats.Thinned, 1);
    EXPECT_EQ(s.stats.Drawn, 2);
}

TEST(RebuildRules, TextsAreDrawnOverLaterShapes) {
    Scene s;
    const int text = s.doc.TextAdd(s.layer, QStringLiteral("MMMM"), 20, s.rowY(20), -1);
    static_cast<TNText*>(s.doc.FindShape(text))->Height = 40;
    const int box = s.doc.DrawRectangle(0, 0, 200, 100, s.layer);
    s.doc.SetShapeBrushStyle(box, kBrushSolid);
    s.doc.SetShapeBrushFg(box, colors::Yellow);
    s.doc.SetShapePenWidth(box, 0);
    const QImage img = s.render();
    EXPECT_GT(countColor(img, QRect(20, 20, 100, 40), colors::Black), 50);
}

TEST(RebuildRules, AtMost500000ShapesAreDrawnCountingTexts) {
    Scene s;
    // Rectangles are never thinned nor floored; all share one pixel.
    for (int i = 0; i < CanvasRenderer::kMaxShapesPerRebuild; ++i) {
        auto r = std::make_unique<TNRectangle>(50.5, s.rowY(50), 52.5, s.rowY(52));
        r->PenFg = colors::Blue;
        s.doc.AddShape(std::move(r), s.layer);
    }
    auto last = std::make_unique<TNRectangle>(50.5, s.rowY(50), 52.5, s.rowY(52));
    last->PenFg = colors::Red;
    s.doc.AddShape(std::move(last), s.layer);
    const int text = s.doc.TextAdd(s.layer, QStringLiteral("WWW"), 100, s.rowY(10), -1);
    static_cast<TNText*>(s.doc.FindShape(text))->Height = 40;
    const QImage img = s.render();
    EXPECT_EQ(s.stats.Drawn, CanvasRenderer::kMaxShapesPerRebuild);
    EXPECT_EQ(s.stats.Capped, 2);
    EXPECT_TRUE(isColor(img, 50, 50, colors::Blue));
    EXPECT_EQ(countColor(img, img.rect(), colors::Red), 0);
    EXPECT_EQ(countNot(img, QRect(100, 0, 100, 100), colors::White), 0);
}

TEST(RebuildRules, RenderingClearsDirty) {
    Scene s;
    s.doc.DrawLine(0, 0, 10, 10, s.layer);
    ASSERT_TRUE(s.doc.Dirty);
    s.render();
    EXPECT_FALSE(s.doc.Dirty);
}

TEST(RebuildRules, DegenerateWindowsDoNotCrash) {
    Scene s;
    s.doc.DrawLine(0, 0, 10, 10, s.layer);
    s.doc.DrawCircle(5, 5, 1e300, s.layer);
    s.doc.TextAdd(s.layer, QStringLiteral("x"), 5, 5, -1);
    s.doc.DrawPolyline({{0, 0}, {std::nan(""), 3}, {1e308, -1e308}}, s.layer, true);
    for (const auto& w : {std::array<double, 4>{0, 0, 0, 0},
                          {10, 0, 0, 10},
                          {std::nan(""), 1, 1, 0},
                          {-1e308, 1e308, 1e308, -1e308}}) {
        s.doc.View.WorldSet(w[0], w[1], w[2], w[3]);
        const QImage img = s.render();
        EXPECT_EQ(img.size(), QSize(200, 100));
    }
}

}  // namespace
}  // namespace nivora
