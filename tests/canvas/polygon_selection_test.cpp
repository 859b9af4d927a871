// Finding shapes under the cursor and inside a drawn polygon, and reading
// back the last drawn route or selection polygon.

#include <gtest/gtest.h>

#include "canvas/canvas_document.h"
#include "tests/canvas/canvas_test_support.h"

namespace nivora {
namespace {

using Ids = std::vector<std::int32_t>;
const std::vector<QPointF> kSquare{{0, 0}, {100, 0}, {100, 100}, {0, 100}};

TEST(PointInPolygon, EvenOddRule) {
    EXPECT_TRUE(CanvasDocument::PointInPolygon(50, 50, kSquare));
    EXPECT_FALSE(CanvasDocument::PointInPolygon(150, 50, kSquare));
    EXPECT_FALSE(CanvasDocument::PointInPolygon(-1, 50, kSquare));
    EXPECT_FALSE(CanvasDocument::PointInPolygon(50, 100, kSquare));  // top edge is outside
    EXPECT_TRUE(CanvasDocument::PointInPolygon(50, 0, kSquare));     // bottom edge is inside
    // A bow tie: the crossing halves are inside, the notch is not.
    const std::vector<QPointF> bowTie{{0, 0}, {10, 10}, {10, 0}, {0, 10}};
    EXPECT_TRUE(CanvasDocument::PointInPolygon(2, 5, bowTie));
    EXPECT_FALSE(CanvasDocument::PointInPolygon(5, 8, bowTie));
    EXPECT_FALSE(CanvasDocument::PointInPolygon(1, 1, {}));
}

// Selection polygons drawn at real grid coordinates must not be quantised.
TEST(PointInPolygon, ExactAtRealNorthings) {
    const std::vector<QPointF> band{
        {500000.0, 4512345.6}, {500010.0, 4512345.6}, {500010.0, 4512345.8}, {500000.0, 4512345.8}};
    EXPECT_TRUE(CanvasDocument::PointInPolygon(500005.0, 4512345.7, band));
    EXPECT_FALSE(CanvasDocument::PointInPolygon(500005.0, 4512345.5, band));
}

TEST(LayerPolygonSelection, FewerThanThreeVerticesOnlyClears) {
    CanvasDocument doc;
    const auto a = doc.DrawPoint(50, 50, 0);
    doc.ShapeSelect(a, false);
    doc.SelectShapesInPolygon({{0, 0}, {100, 100}}, {0});
    EXPECT_TRUE(doc.GetShapeSelectNumbers().empty());
    EXPECT_FALSE(doc.GetShapeIsSelected(a));
    doc.ShapeSelect(a, false);
    doc.SelectShapesInPolygon(kSquare, {});
    EXPECT_TRUE(doc.GetShapeSelectNumbers().empty());
}

TEST(LayerPolygonSelection, OnlyListedLayersByClassRules) {
    CanvasDocument doc;
    test::RepaintCounter repaints;
    repaints.attach(doc);
    const int fix = doc.LayerOpen(QStringLiteral("track_fix"));
    const int fl = doc.LayerOpen(QStringLiteral("track_float"));
    const int user = doc.LayerOpen(QStringLiteral("nivora_usershape"));
    const auto pointIn = doc.DrawPoint(10, 10, fix);
    const auto pointOut = doc.DrawPoint(110, 10, fix);
    const auto lineHalf = doc.DrawLine(150, 50, 90, 50, fl);  // second end inside
    const auto lineOut = doc.DrawLine(150, 50, 190, 50, fl);
    const auto polyVertex = doc.DrawPolyline({{-50, -50}, {-10, -10}, {50, 120}}, fix, false);
    // A circle whose outline leaves the square but whose box centre is inside.
    const auto circle = doc.DrawCircle(95, 95, 40, fl);
    // A rectangle with a corner inside but its box centre outside.
    const auto rectCorner = doc.DrawRectangle(90, 90, 200, 200, fix);
    const auto userIn = doc.DrawPoint(20, 20, user);
    doc.SelectShapesInPolygon(kSquare, {fl, fix});
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{pointIn, lineHalf, circle}));
    EXPECT_FALSE(doc.GetShapeIsSelected(pointOut));
    EXPECT_FALSE(doc.GetShapeIsSelected(lineOut));
    EXPECT_FALSE(doc.GetShapeIsSelected(polyVertex));  // its only inner point is on a segment
    EXPECT_FALSE(doc.GetShapeIsSelected(rectCorner));
    EXPECT_FALSE(doc.GetShapeIsSelected(userIn));
    EXPECT_EQ(repaints.invalidates, 1);

    doc.ShapePointInsert(polyVertex, 1, 5, 5);
    doc.SelectShapesInPolygon(kSquare, {fix});
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{pointIn, polyVertex}));
}

TEST(LayerPolygonSelection, SelectionFollowsPaintOrder) {
    CanvasDocument doc;
    const int l = doc.LayerOpen(QStringLiteral("track_fix"));
    const auto a = doc.DrawPoint(10, 10, l);
    const auto b = doc.DrawPoint(20, 20, l);
    const auto c = doc.DrawPoint(30, 30, l);
    doc.ShapeToBack(c);
    doc.ShapeToFront(a);
    doc.SelectShapesInPolygon(kSquare, {l});
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{c, b, a}));
}

TEST(AllPolygonSelection, AnyDefiningPointCountsAndTheSelectPolyLayerIsSkipped) {
    CanvasDocument doc;
    const int poly = doc.LayerOpen(QStringLiteral("Nivora_SelectPoly"));
    const int other = doc.LayerOpen(QStringLiteral("chart"));
    const auto rectCorner = doc.DrawRectangle(90, 90, 200, 200, other);
    const auto rectOut = doc.DrawRectangle(-200, -200, -100, -100, other);
    const auto circleCentre = doc.DrawCircle(50, 50, 500, other);
    const auto circleOut = doc.DrawCircle(150, 50, 60, other);  // outline crosses, centre out
    const auto ellipse = doc.DrawTwoPointEllipse(-20, 40, 60, 60, other);  // centre (20, 50)
    const auto text = doc.TextAdd(other, QStringLiteral("a long label"), 95, 95, 0);
    const auto textOut = doc.TextAdd(other, QStringLiteral("x"), -5, 50, 0);
    const auto arc = doc.DrawThreePointArc(-50, 0, -40, 10, 10, 10, other);
    const auto line = doc.DrawLine(-10, -10, 10, 10, 0);
    const auto point = doc.DrawPoint(1, 1, 0);
    const auto selectPoly = doc.DrawPolyline(kSquare, poly, true);
    doc.SelectAllShapesInPolygon(kSquare);
    EXPECT_EQ(doc.GetShapeSelectNumbers(),
              (Ids{rectCorner, circleCentre, ellipse, text, arc, line, point}));
    for (auto id : {rectOut, circleOut, textOut, selectPoly}) {
        EXPECT_FALSE(doc.GetShapeIsSelected(id)) << id;
    }
    doc.SelectAllShapesInPolygon({{0, 0}, {1, 1}});
    EXPECT_TRUE(doc.GetShapeSelectNumbers().empty());
}

TEST(AllPolygonSelection, RectangleCentreAloneCounts) {
    CanvasDocument doc;
    const std::vector<QPointF> small{{40, 40}, {60, 40}, {60, 60}, {40, 60}};
    const auto rect = doc.DrawRectangle(0, 0, 100, 100, 0);
    doc.SelectAllShapesInPolygon(small);
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{rect}));
}

TEST(AllPolygonSelection, WithoutTheSelectPolyLayerEveryLayerCounts) {
    CanvasDocument doc;
    const auto a = doc.DrawPoint(5, 5, 0);
    doc.ShapeToLayer(a, -1);  // a layer id of -1 is not "no layer"
    doc.SelectAllShapesInPolygon(kSquare);
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{a}));
}

TEST(ShapeAt, ToleranceIsFivePixels) {
    CanvasDocument doc;  // 1000 m over 400 px: 2.5 m per pixel
    const auto line = doc.DrawLine(0, 500, 1000, 500, 0);
    EXPECT_DOUBLE_EQ(doc.HitTolerance(), 12.5);
    EXPECT_EQ(doc.GetShapeAt(500, 510), line);  // 4 pixels away
    EXPECT_EQ(doc.GetShapeAt(500, 515), -1);    // 6 pixels away
    doc.WorldZoom(0, 0.5, 500, 500);            // twice as close
    EXPECT_EQ(doc.GetShapeAt(500, 505), line);  // 4 pixels
    EXPECT_EQ(doc.GetShapeAt(500, 507.5), -1);  // 6 pixels
    EXPECT_EQ(doc.ShapeHitTest(500, 505), line);
}

TEST(ShapeAt, HiddenShapesAreSkippedButHiddenLayersAreNot) {
    CanvasDocument doc;
    const int l = doc.LayerOpen(QStringLiteral("hidden"));
    doc.FindLayer(l)->Visible = false;
    const auto onHiddenLayer = doc.DrawPoint(100, 100, l);
    const auto invisible = doc.DrawPoint(100, 100, 0);
    doc.FindShape(invisible)->Visible = false;
    EXPECT_EQ(doc.GetShapeAt(100, 100), onHiddenLayer);
}

TEST(ShapeAt, ZeroWidthClientKeepsAFiniteTolerance) {
    CanvasDocument doc;
    doc.DrawPoint(0, 0, 0);
    doc.View.Width = 0;
    EXPECT_DOUBLE_EQ(doc.HitTolerance(), 5000.0);
    EXPECT_EQ(doc.GetShapeAt(1e9, 1e9), -1);
}

TEST(LastPolyline, PrefersTheRouteAndSelectionLayers) {
    CanvasDocument doc;
    const int route = doc.LayerOpen(QStringLiteral("Nivora_Route"));
    const int user = doc.LayerOpen(QStringLiteral("nivora_usershape"));
    doc.DrawPolyline({{1, 1}, {2, 2}}, route, false);
    const auto newer = doc.DrawPolyline({{3, 3}, {4, 4}, {5, 5}}, route, false);
    doc.DrawPolyline({{9, 9}}, route, false);         // too short
    doc.DrawPolyline({{7, 7}, {8, 8}}, user, false);  // not on those layers
    EXPECT_EQ(doc.GetLastPolylinePoints(), (std::vector<QPointF>{{3, 3}, {4, 4}, {5, 5}}));
    doc.ShapeToBack(newer);
    EXPECT_EQ(doc.GetLastPolylinePoints(), (std::vector<QPointF>{{1, 1}, {2, 2}}));
    const int sel = doc.LayerOpen(QStringLiteral("Nivora_SelectPoly"));
    doc.DrawPolyline({{0, 0}, {10, 0}, {10, 10}}, sel, true);
    EXPECT_EQ(doc.GetLastPolylinePoints().size(), 3u);
    EXPECT_DOUBLE_EQ(doc.GetLastPolylinePoints()[1].x(), 10);
    doc.CadClearShapes(sel);
    doc.CadClearShapes(route);
    EXPECT_TRUE(doc.GetLastPolylinePoints().empty());
}

TEST(LastPolyline, AnyLayerWhenNeitherLayerExists) {
    CanvasDocument doc;
    EXPECT_TRUE(doc.GetLastPolylinePoints().empty());
    doc.DrawPolyline({{1, 1}, {2, 2}}, 0, false);
    doc.DrawLine(0, 0, 1, 1, 0);
    doc.DrawPolyline({{5, 5}}, 0, false);
    EXPECT_EQ(doc.GetLastPolylinePoints(), (std::vector<QPointF>{{1, 1}, {2, 2}}));
}

}  // namespace
}  // namespace nivora
