// The view window: world/screen mapping, zoom, pan, extents, resize and the
// automatic grid step. Expected values are worked by hand from the formulas
// (tolerance 1e-9 unless exact).

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "canvas/canvas_document.h"
#include "tests/canvas/canvas_test_support.h"

namespace nivora {
namespace {

TEST(ViewWindow, StartsAtThousandMetresOverFourHundredPixels) {
    ViewWindow v;
    EXPECT_EQ(v.WorldLeft, 0.0);
    EXPECT_EQ(v.WorldRight, 1000.0);
    EXPECT_EQ(v.WorldTop, 1000.0);
    EXPECT_EQ(v.WorldBottom, 0.0);
    EXPECT_EQ(v.Width, 400);
    EXPECT_EQ(v.Height, 300);
}

TEST(ViewWindow, WorldToScreenTruncatesTowardZero) {
    ViewWindow v;  // 0.4 px per metre across, 0.3 down
    int sx = 0;
    int sy = 0;
    v.WorldToScreen(500, 500, sx, sy);
    EXPECT_EQ(sx, 200);
    EXPECT_EQ(sy, 150);
    v.WorldToScreen(-1.75, 1002, sx, sy);  // -0.7 and -0.6 pixels
    EXPECT_EQ(sx, 0);
    EXPECT_EQ(sy, 0);
    v.WorldToScreen(-5, 1010, sx, sy);  // -2 and -3
    EXPECT_EQ(sx, -2);
    EXPECT_EQ(sy, -3);
    EXPECT_EQ(v.WorldToAbsX(9.9), 3);
    EXPECT_EQ(v.WorldToAbsY(0), 300);
}

TEST(ViewWindow, ZeroWorldExtentCountsAsOne) {
    ViewWindow v;
    v.WorldSet(10, 20, 10, 20);
    int sx = 0;
    int sy = 0;
    v.WorldToScreen(11, 19, sx, sy);
    EXPECT_EQ(sx, 400);
    EXPECT_EQ(sy, 300);
}

// Far points and tiny windows give pixel values beyond the int range; they
// are held at its ends instead of overflowing.
TEST(ViewWindow, FarPointsAreHeldWithinTheIntRange) {
    ViewWindow v;
    v.WorldSet(0, 1e-6, 1e-6, 0);
    int sx = 0;
    int sy = 0;
    v.WorldToScreen(1e9, -1e9, sx, sy);
    EXPECT_EQ(sx, INT_MAX);
    EXPECT_EQ(sy, INT_MAX);
    v.WorldToScreen(-1e9, 1e9, sx, sy);
    EXPECT_EQ(sx, INT_MIN);
    EXPECT_EQ(sy, INT_MIN);
    v.WorldToScreen(std::nan(""), 0, sx, sy);
    EXPECT_EQ(sx, 0);
}

TEST(ViewWindow, ScreenToWorldWithEmptyClientCountsOnePixel) {
    ViewWindow v;
    double x = 0;
    double y = 0;
    v.ScreenToWorld(200, 150, x, y);
    EXPECT_DOUBLE_EQ(x, 500);
    EXPECT_DOUBLE_EQ(y, 500);
    v.Width = 0;
    v.Height = -5;
    v.ScreenToWorld(1, 1, x, y);
    EXPECT_DOUBLE_EQ(x, 1000);
    EXPECT_DOUBLE_EQ(y, 0);
}

TEST(ViewWindow, SetStoresAsGivenAndPanShifts) {
    ViewWindow v;
    v.WorldSet(100, 900, 400, 200);
    EXPECT_EQ(v.WorldLeft, 100);
    EXPECT_EQ(v.WorldTop, 900);
    EXPECT_EQ(v.WorldRight, 400);
    EXPECT_EQ(v.WorldBottom, 200);
    EXPECT_DOUBLE_EQ(v.GetWorldWidth(), 300);
    EXPECT_DOUBLE_EQ(v.GetWorldHeight(), 700);
    v.WorldPan(-100, 50);
    EXPECT_EQ(v.WorldLeft, 0);
    EXPECT_EQ(v.WorldRight, 300);
    EXPECT_EQ(v.WorldTop, 950);
    EXPECT_EQ(v.WorldBottom, 250);
}

TEST(ViewWindow, ZoomKeepsThePointUnderItsPixelAndTakesTheClientRatio) {
    ViewWindow v;
    double x = 0;
    double y = 0;
    v.ScreenToWorld(100, 60, x, y);  // (250, 800)
    v.WorldZoom(0.1, x, y);
    EXPECT_NEAR(v.GetWorldWidth(), 900, 1e-9);
    EXPECT_NEAR(v.GetWorldHeight(), 675, 1e-9);  // 900 / (4/3)
    int sx = 0;
    int sy = 0;
    v.WorldToScreen(x, y, sx, sy);
    EXPECT_EQ(sx, 100);
    EXPECT_EQ(sy, 60);
    EXPECT_NEAR(v.WorldLeft, 25, 1e-9);
    EXPECT_NEAR(v.WorldTop, 800 + 675 * 0.2, 1e-9);
}

TEST(ViewWindow, ZoomFactorIsClamped) {
    ViewWindow v;
    v.WorldZoom(1.5, 0, 0);  // d <= 0 becomes 0.1
    EXPECT_NEAR(v.GetWorldWidth(), 100, 1e-9);
    ViewWindow w;
    w.WorldZoom(-20, 0, 0);  // d > 10 becomes 10
    EXPECT_NEAR(w.GetWorldWidth(), 10000, 1e-9);
}

TEST(ViewWindow, WheelStepsInAndOutDoNotReturnExactly) {
    ViewWindow v;
    v.WorldZoom(0.1, 500, 500);
    v.WorldZoom(-0.1, 500, 500);
    EXPECT_NEAR(v.GetWorldWidth(), 990, 1e-9);  // 0.9 * 1.1
}

TEST(ViewWindow, InvertedWindowZoomsFromOneMetre) {
    ViewWindow v;
    v.WorldSet(10, 0, 0, 10);  // negative width and height count as 1
    v.WorldZoom(0.5, 0, 0);
    EXPECT_NEAR(v.GetWorldWidth(), 0.5, 1e-12);
    EXPECT_NEAR(v.GetWorldHeight(), 0.375, 1e-12);
}

// A client of zero width would make the ratio 0 and the window infinite.
TEST(ViewWindow, ZoomWithZeroWidthClientStaysFinite) {
    ViewWindow v;
    v.Width = 0;
    v.WorldZoom(0.1, 500, 500);
    EXPECT_TRUE(std::isfinite(v.WorldTop));
    EXPECT_TRUE(std::isfinite(v.WorldBottom));
    EXPECT_NEAR(v.GetWorldHeight(), 900.0 * 300.0, 1e-6);  // ratio 1 / 300
}

TEST(ViewWindow, ResizeFitsTheClientProportionsAboutTheCentre) {
    ViewWindow v;  // 1000 x 1000 world, 400 x 300 client
    v.Resize();
    EXPECT_NEAR(v.WorldBottom, 0, 1e-9);
    EXPECT_NEAR(v.WorldTop, 1000, 1e-9);
    EXPECT_NEAR(v.WorldLeft, 500 - 1000 * 4.0 / 3.0 / 2, 1e-9);
    EXPECT_NEAR(v.WorldRight, 500 + 1000 * 4.0 / 3.0 / 2, 1e-9);
    v.WorldSet(0, 100, 1000, 0);  // wider than 4:3
    v.Resize();
    EXPECT_NEAR(v.WorldLeft, 0, 1e-9);
    EXPECT_NEAR(v.WorldRight, 1000, 1e-9);
    EXPECT_NEAR(v.WorldBottom, 50 - 375, 1e-9);
    EXPECT_NEAR(v.WorldTop, 50 + 375, 1e-9);
    ViewWindow hidden;
    hidden.Width = 0;
    hidden.Resize();
    EXPECT_EQ(hidden.WorldLeft, 0);
    EXPECT_EQ(hidden.WorldRight, 1000);
}

TEST(Extents, EmptyDrawingGivesTheInitialWindow) {
    CanvasDocument doc;
    doc.WorldSet(5, 6, 7, 8);
    doc.WorldExtents();
    EXPECT_EQ(doc.View.WorldLeft, 0);
    EXPECT_EQ(doc.View.WorldRight, 1000);
    EXPECT_EQ(doc.View.WorldTop, 1000);
    EXPECT_EQ(doc.View.WorldBottom, 0);
}

TEST(Extents, CircleWithMarginsAndClientProportions) {
    CanvasDocument doc;
    doc.DrawCircle(500, 500, 10, 0);
    doc.WorldExtents();
    EXPECT_NEAR(doc.View.WorldBottom, 489, 1e-9);
    EXPECT_NEAR(doc.View.WorldTop, 511, 1e-9);
    EXPECT_NEAR(doc.View.WorldLeft, 500 - 22 * 4.0 / 3.0 / 2, 1e-9);   // 485.33
    EXPECT_NEAR(doc.View.WorldRight, 500 + 22 * 4.0 / 3.0 / 2, 1e-9);  // 514.67
}

TEST(Extents, WideBoxKeepsItsXRange) {
    CanvasDocument doc;
    doc.DrawRectangle(0, 0, 1000, 10, 0);
    doc.WorldExtents();
    EXPECT_NEAR(doc.View.WorldLeft, -50, 1e-9);
    EXPECT_NEAR(doc.View.WorldRight, 1050, 1e-9);
    EXPECT_NEAR(doc.View.WorldBottom, 5 - 1100 * 0.75 / 2, 1e-9);
}

TEST(Extents, FlatDrawingLeavesTheWindowUnchanged) {
    CanvasDocument doc;
    doc.DrawLine(0, 50, 100, 50, 0);
    doc.WorldSet(1, 2, 3, 4);
    doc.Dirty = false;
    doc.WorldExtents();
    EXPECT_EQ(doc.View.WorldLeft, 1);
    EXPECT_EQ(doc.View.WorldTop, 2);
    EXPECT_FALSE(doc.Dirty);
}

TEST(Extents, HiddenLayersCountInvisibleShapesDoNot) {
    CanvasDocument doc;
    const int l = doc.LayerOpen(QStringLiteral("hidden"));
    doc.FindLayer(l)->Visible = false;
    doc.DrawRectangle(0, 0, 100, 100, l);
    const auto far = doc.DrawPoint(1e6, 1e6, 0);
    doc.FindShape(far)->Visible = false;
    doc.WorldExtents();
    EXPECT_NEAR(doc.View.WorldBottom, -5, 1e-9);
    EXPECT_NEAR(doc.View.WorldTop, 105, 1e-9);
}

TEST(Extents, NothingVisibleLeavesTheWindowUnchanged) {
    CanvasDocument doc;
    doc.FindShape(doc.DrawPoint(5, 5, 0))->Visible = false;
    doc.WorldSet(1, 2, 3, 4);
    doc.WorldExtents();
    EXPECT_EQ(doc.View.WorldRight, 3);
}

// A polyline without vertices has no place on the chart; counting its
// never-set box would stretch the window to the grid origin.
TEST(Extents, PolylineWithoutVerticesIsIgnored) {
    CanvasDocument doc;
    doc.DrawPolyline({}, 0, false);
    doc.DrawRectangle(500000, 4500000, 500100, 4500100, 0);
    doc.WorldExtents();
    EXPECT_NEAR(doc.View.WorldBottom, 4499995, 1e-6);
    EXPECT_GT(doc.View.WorldLeft, 499000);
}

TEST(ViewOperations, SetDirtyAndAskForRepaintExceptResize) {
    CanvasDocument doc;
    test::RepaintCounter repaints;
    repaints.attach(doc);
    doc.Dirty = false;
    doc.WorldPan(1, 1);
    EXPECT_TRUE(doc.Dirty);
    doc.WorldSet(0, 1, 1, 0);
    doc.WorldZoom(7, 0.1, 0, 0);
    doc.Refresh();
    EXPECT_EQ(repaints.invalidates, 4);
    doc.Dirty = false;
    doc.Resize(800, 300);
    EXPECT_TRUE(doc.Dirty);
    EXPECT_EQ(repaints.invalidates, 4);
    EXPECT_EQ(doc.View.Width, 800);
    EXPECT_NEAR(doc.GetWorldHeight() * 800 / 300, doc.GetWorldWidth(), 1e-9);
}

TEST(GridStep, NiceStepsForEightDivisions) {
    struct Case {
        double width;
        double step;
    };
    // raw = width / 8 -> 1, 2, 5 or 10 times its power of ten.
    for (const Case c : {Case{0.5, 0.05}, Case{1000, 100}, Case{2000, 200}, Case{4000, 500},
                         Case{5999, 500}, Case{6000, 1000}, Case{8000, 1000}, Case{27, 2},
                         Case{30, 5}, Case{11.9, 1}, Case{12, 2}}) {
        EXPECT_NEAR(NiceGridStep(c.width), c.step, c.step * 1e-12) << c.width;
    }
    EXPECT_EQ(NiceGridStep(0), 1.0);
    EXPECT_EQ(NiceGridStep(-5), 1.0);
    EXPECT_EQ(NiceGridStep(INFINITY), 1.0);
}

TEST(GridStep, FixedSpacingOnlyWithoutAutoScaleAndBothPositive) {
    ViewWindow view;
    view.WorldSet(0, 10, 0.5, 0);
    GridSettings grid;
    EXPECT_NEAR(ChooseGridSpacing(grid, view).X, 0.05, 1e-15);  // automatic by default
    grid.GridAutoScale = false;
    grid.GridSpacingX = 25;
    grid.GridSpacingY = 40;
    EXPECT_EQ(ChooseGridSpacing(grid, view).X, 25);
    EXPECT_EQ(ChooseGridSpacing(grid, view).Y, 40);
    grid.GridSpacingY = 0;
    EXPECT_NEAR(ChooseGridSpacing(grid, view).Y, 0.05, 1e-15);
    EXPECT_EQ(grid.GridColor, 0xC0C0C0u);
    EXPECT_FALSE(grid.GridVisible);
}

}  // namespace
}  // namespace nivora
