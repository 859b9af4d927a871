// Geometry of each shape class: hit tests, bounds, translate, scale, rotate,
// mirror, and polyline vertex editing by id.

#include <gtest/gtest.h>

#include <cmath>

#include "canvas/canvas_document.h"

namespace nivora {
namespace {

TEST(LineGeometry, HitWithinToleranceOfTheSegmentOnly) {
    TNLine line(0, 0, 10, 0);
    EXPECT_TRUE(line.HitTest(5, 0.9, 1.0));
    EXPECT_TRUE(line.HitTest(5, 1.0, 1.0));
    EXPECT_FALSE(line.HitTest(5, 1.1, 1.0));
    // Beyond the end the distance is to the end point (parameter clamped).
    EXPECT_TRUE(line.HitTest(10.6, 0.6, 1.0));
    EXPECT_FALSE(line.HitTest(10.8, 0.8, 1.0));
    EXPECT_FALSE(line.HitTest(-1.5, 0, 1.0));
}

TEST(LineGeometry, ZeroLengthLineIsTestedAgainstItsPoint) {
    TNLine dot(3, 4, 3, 4);
    EXPECT_TRUE(dot.HitTest(3, 5, 1.0));
    EXPECT_FALSE(dot.HitTest(3, 5.5, 1.0));
}

TEST(LineGeometry, BoundsTranslateScaleRotate) {
    TNLine line(4, 1, 2, 3);
    ShapeBounds b = line.Bounds();
    EXPECT_DOUBLE_EQ(b.MinX, 2);
    EXPECT_DOUBLE_EQ(b.MaxX, 4);
    EXPECT_DOUBLE_EQ(b.MinY, 1);
    EXPECT_DOUBLE_EQ(b.MaxY, 3);
    line.Translate(1, -1);
    EXPECT_DOUBLE_EQ(line.x1, 5);
    EXPECT_DOUBLE_EQ(line.y1, 0);
    line.Scale(2, 3, {1, 0});  // (5,0)->(9,0); (3,2)->(5,6)
    EXPECT_DOUBLE_EQ(line.x1, 9);
    EXPECT_DOUBLE_EQ(line.x2, 5);
    EXPECT_DOUBLE_EQ(line.y2, 6);
    EXPECT_DOUBLE_EQ(line.Bounds().MaxY, 6);
    line.Rotate(90, 0, 0);  // (9,0)->(0,9); (5,6)->(-6,5)
    EXPECT_NEAR(line.x1, 0, 1e-12);
    EXPECT_NEAR(line.y1, 9, 1e-12);
    EXPECT_NEAR(line.x2, -6, 1e-12);
    EXPECT_NEAR(line.y2, 5, 1e-12);
    EXPECT_NEAR(line.Bounds().MinX, -6, 1e-12);
}

TEST(RectangleGeometry, FilledHitWithToleranceAndNoRotation) {
    TNRectangle rect(10, 10, 0, 0);      // corners in any order
    EXPECT_TRUE(rect.HitTest(5, 5, 0));  // inside counts
    EXPECT_TRUE(rect.HitTest(10.5, 5, 0.5));
    EXPECT_FALSE(rect.HitTest(10.6, 5, 0.5));
    rect.Rotate(45, 0, 0);
    EXPECT_DOUBLE_EQ(rect.x1, 10);
    EXPECT_DOUBLE_EQ(rect.y1, 10);
    EXPECT_DOUBLE_EQ(rect.x2, 0);
    EXPECT_DOUBLE_EQ(rect.y2, 0);
    rect.Scale(2, 2, {0, 0});
    EXPECT_DOUBLE_EQ(rect.Bounds().MaxX, 20);
}

TEST(EllipseGeometry, HitNearTheOutlineScaledByTheSmallerRadius) {
    TNEllipse e(0, 0, 20, 10);           // centre (10,5), rx 10, ry 5
    EXPECT_TRUE(e.HitTest(20, 5, 0.1));  // on the outline
    EXPECT_TRUE(e.HitTest(10, 10, 0.1));
    EXPECT_FALSE(e.HitTest(10, 5, 1.0));  // centre: |0 - 1| = 1 > 1/5
    EXPECT_TRUE(e.HitTest(10, 5, 5.0));   // 1 <= 5/5
    e.Rotate(30, 0, 0);
    EXPECT_DOUBLE_EQ(e.x2, 20);
}

TEST(EllipseGeometry, FlatEllipseIsNeverHit) {
    TNEllipse flat(0, 0, 20, 0);
    EXPECT_FALSE(flat.HitTest(10, 0, 100.0));
}

TEST(CircleGeometry, HitOnlyNearTheOutline) {
    TNCircle c(0, 0, 10);
    EXPECT_TRUE(c.HitTest(10.5, 0, 1.0));
    EXPECT_FALSE(c.HitTest(5, 0, 1.0));  // inside, far from the outline
    EXPECT_FALSE(c.HitTest(12, 0, 1.0));
    ShapeBounds b = c.Bounds();
    EXPECT_DOUBLE_EQ(b.MinX, -10);
    EXPECT_DOUBLE_EQ(b.MaxY, 10);
}

TEST(CircleGeometry, ScaleMovesCentreByAxisAndRadiusByMeanFactor) {
    TNCircle c(10, 10, 5);
    c.Scale(2, 4, {0, 0});
    EXPECT_DOUBLE_EQ(c.cx, 20);
    EXPECT_DOUBLE_EQ(c.cy, 40);
    EXPECT_DOUBLE_EQ(c.radius, 15);  // (2 + 4) / 2 = 3 times
    c.Rotate(90, 0, 0);
    EXPECT_NEAR(c.cx, -40, 1e-12);
    EXPECT_NEAR(c.cy, 20, 1e-12);
    EXPECT_DOUBLE_EQ(c.radius, 15);
}

TEST(PointGeometry, BoundsUseTheSymbolSizeAsWorldUnits) {
    TNPoint p(100, 200);
    ShapeBounds b = p.Bounds();
    EXPECT_DOUBLE_EQ(b.MinX, 97);
    EXPECT_DOUBLE_EQ(b.MaxX, 103);
    EXPECT_DOUBLE_EQ(b.MinY, 197);
    EXPECT_DOUBLE_EQ(b.MaxY, 203);
    EXPECT_TRUE(p.HitTest(103, 204, 5));
    EXPECT_FALSE(p.HitTest(104, 204, 5));
    p.Scale(2, 2, {0, 0});
    EXPECT_EQ(p.Size, 3);
    EXPECT_DOUBLE_EQ(p.x, 200);
}

TEST(ArcGeometry, BoxHitAndAllThreePointsTransformed) {
    TNArc arc(0, 0, 5, 5, 10, 0);
    EXPECT_TRUE(arc.HitTest(5, 2, 0));  // inside the box, away from the curve
    EXPECT_TRUE(arc.HitTest(11, 0, 1));
    EXPECT_FALSE(arc.HitTest(11.5, 0, 1));
    arc.Translate(1, 1);
    EXPECT_DOUBLE_EQ(arc.x3, 11);
    EXPECT_DOUBLE_EQ(arc.y2, 6);
    arc.Rotate(180, 0, 0);
    EXPECT_NEAR(arc.x2, -6, 1e-12);
    EXPECT_NEAR(arc.Bounds().MinX, -11, 1e-12);
}

TEST(TextGeometry, FixedBoxOfTenUnitsPerCharacter) {
    TNText t(100, 50, QStringLiteral("ABCD"));
    t.Height = 99;
    t.Angle = 45;
    ShapeBounds b = t.Bounds();
    EXPECT_DOUBLE_EQ(b.MinX, 100);
    EXPECT_DOUBLE_EQ(b.MaxX, 140);
    EXPECT_DOUBLE_EQ(b.MinY, 40);
    EXPECT_DOUBLE_EQ(b.MaxY, 60);
    EXPECT_TRUE(t.HitTest(141, 61, 1));
    EXPECT_FALSE(t.HitTest(99, 50, 0.5));
}

TEST(TextGeometry, RotationTurnsTheTextAboutItsAnchor) {
    TNText t(7, 8, QStringLiteral("x"));
    t.Rotate(30, 0, 0);
    t.Rotate(30, 100, 100);
    EXPECT_DOUBLE_EQ(t.Angle, 60);
    EXPECT_DOUBLE_EQ(t.x, 7);
    EXPECT_DOUBLE_EQ(t.y, 8);
    t.Scale(2, 2, {0, 0});
    EXPECT_DOUBLE_EQ(t.x, 14);
    EXPECT_DOUBLE_EQ(t.Height, 10);
}

TEST(PolylineGeometry, HitsSegmentsButNotTheClosingEdge) {
    TNPolyline square(shape_type::Polygon, true);
    square.Points = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    square.UpdateBounds();
    EXPECT_TRUE(square.HitTest(5, 0.5, 1));
    EXPECT_TRUE(square.HitTest(5, 10.5, 1));
    // On the closing edge from (0,10) back to (0,0), away from the vertices.
    EXPECT_FALSE(square.HitTest(0, 5, 1));
    EXPECT_FALSE(square.HitTest(5, 5, 1));  // inside is not a hit
}

TEST(PolylineGeometry, ZeroLengthSegmentsAndShortPolylines) {
    TNPolyline repeated(shape_type::Polyline, false);
    repeated.Points = {{0, 0}, {0, 0}, {10, 0}};
    EXPECT_TRUE(repeated.HitTest(5, 0, 0.1));
    TNPolyline one(shape_type::Polyline, false);
    one.AddPoint(1, 1);
    EXPECT_FALSE(one.HitTest(1, 1, 10));
    TNPolyline none(shape_type::Polyline, false);
    EXPECT_FALSE(none.HitTest(0, 0, 10));
    EXPECT_FALSE(none.HasExtent());
}

TEST(PolylineGeometry, BoundsStayWhenTheLastVertexGoes) {
    CanvasDocument doc;
    const auto id = doc.DrawPolyline({{5, 6}}, 0, false);
    doc.ShapePointDelete(id, 0);
    EXPECT_EQ(doc.ShapePointCount(id), 0);
    ShapeBounds b = doc.FindShape(id)->Bounds();
    EXPECT_DOUBLE_EQ(b.MinX, 5);
    EXPECT_DOUBLE_EQ(b.MaxY, 6);
}

// At grid northings of millions of metres a 32-bit float would move this
// vertex by 0.17 m; vertices keep full precision.
TEST(PolylineGeometry, VerticesKeepDoublePrecisionAtRealNorthings) {
    CanvasDocument doc;
    const auto id = doc.DrawPolyline({{512345.67, 4512345.67}}, 0, false);
    EXPECT_EQ(doc.ShapePointGetY(id, 0), 4512345.67);
    EXPECT_EQ(doc.ShapePointGetX(id, 0), 512345.67);
    doc.ShapePointInsert(id, 1, 512346.01, 4512346.03);
    EXPECT_EQ(doc.ShapePointGetY(id, 1), 4512346.03);
    doc.ShapeTranslate(id, 0.01, 0.01);
    EXPECT_NEAR(doc.ShapePointGetY(id, 0), 4512345.68, 1e-9);
}

TEST(PolylineVertices, InsertSetDeleteAndIndexChecks) {
    CanvasDocument doc;
    const auto id = doc.DrawPolyline({{0, 0}, {10, 0}}, 0, false);
    doc.ShapePointInsert(id, 2, 10, 10);  // index = count appends
    EXPECT_EQ(doc.ShapePointCount(id), 3);
    EXPECT_DOUBLE_EQ(doc.ShapePointGetY(id, 2), 10);
    doc.ShapePointInsert(id, 4, 99, 99);  // count + 1: nothing
    doc.ShapePointInsert(id, -1, 99, 99);
    EXPECT_EQ(doc.ShapePointCount(id), 3);
    doc.ShapePointInsert(id, 0, -5, 0);
    EXPECT_DOUBLE_EQ(doc.ShapePointGetX(id, 0), -5);
    EXPECT_DOUBLE_EQ(doc.FindShape(id)->Bounds().MinX, -5);
    doc.ShapePointSet(id, 3, 20, 30);
    EXPECT_DOUBLE_EQ(doc.FindShape(id)->Bounds().MaxY, 30);
    doc.ShapePointSet(id, 4, 1, 1);  // past the end: nothing
    doc.ShapePointDelete(id, 4);
    EXPECT_EQ(doc.ShapePointCount(id), 4);
    doc.ShapePointDelete(id, 0);
    EXPECT_EQ(doc.ShapePointCount(id), 3);
    EXPECT_DOUBLE_EQ(doc.FindShape(id)->Bounds().MinX, 0);
    // Reads outside the vertex list give 0.
    EXPECT_EQ(doc.ShapePointGetX(id, 3), 0.0);
    EXPECT_EQ(doc.ShapePointGetY(id, -1), 0.0);
}

TEST(PolylineVertices, OtherShapesHaveNoVertices) {
    CanvasDocument doc;
    const auto line = doc.DrawLine(1, 2, 3, 4, 0);
    EXPECT_EQ(doc.ShapePointCount(line), 0);
    EXPECT_EQ(doc.ShapePointGetX(line, 0), 0.0);
    doc.ShapePointSet(line, 0, 9, 9);
    doc.ShapePointInsert(line, 0, 9, 9);
    doc.ShapePointDelete(line, 0);
    EXPECT_DOUBLE_EQ(static_cast<const TNLine*>(doc.FindShape(line))->x1, 1);
    EXPECT_EQ(doc.ShapePointCount(12345), 0);
}

TEST(PolylineVertices, SettingAnyIndexOfAPolylineDirtiesThePicture) {
    CanvasDocument doc;
    const auto poly = doc.DrawPolyline({{0, 0}}, 0, false);
    const auto point = doc.DrawPoint(0, 0, 0);
    doc.Dirty = false;
    doc.ShapePointSet(point, 0, 1, 1);
    EXPECT_FALSE(doc.Dirty);
    doc.ShapePointSet(poly, 7, 1, 1);
    EXPECT_TRUE(doc.Dirty);
}

TEST(EditById, TranslateScaleRotateThroughTheDocument) {
    CanvasDocument doc;
    const auto id = doc.DrawPolyline({{1, 0}, {2, 0}}, 0, false);
    doc.Dirty = false;
    doc.ShapeTranslate(id, 1, 1);
    EXPECT_TRUE(doc.Dirty);
    EXPECT_DOUBLE_EQ(doc.ShapePointGetX(id, 0), 2);
    doc.ShapeScale(id, 2, 1, 3, 5);  // about (2, 1) by (3, 5)
    EXPECT_DOUBLE_EQ(doc.ShapePointGetX(id, 1), 5);
    EXPECT_DOUBLE_EQ(doc.ShapePointGetY(id, 1), 1);
    doc.ShapeRotate(id, 90, 2, 1);
    EXPECT_NEAR(doc.ShapePointGetX(id, 1), 2, 1e-12);
    EXPECT_NEAR(doc.ShapePointGetY(id, 1), 4, 1e-12);
    EXPECT_NEAR(doc.FindShape(id)->Bounds().MaxY, 4, 1e-12);
    doc.Dirty = false;
    doc.ShapeTranslate(999, 1, 1);
    doc.ShapeRotate(999, 1, 0, 0);
    EXPECT_FALSE(doc.Dirty);
}

TEST(Mirror, AcrossVerticalAndHorizontalLines) {
    CanvasDocument doc;
    const auto id = doc.DrawLine(1, 2, 3, 5, 0);
    doc.ShapeReflect(id, 0, 10, 0);  // x -> 20 - x
    const auto* l = static_cast<const TNLine*>(doc.FindShape(id));
    EXPECT_DOUBLE_EQ(l->x1, 19);
    EXPECT_DOUBLE_EQ(l->x2, 17);
    EXPECT_DOUBLE_EQ(l->y2, 5);
    doc.ShapeReflect(id, 1, 0, 1);  // y -> 2 - y
    EXPECT_DOUBLE_EQ(l->y1, 0);
    EXPECT_DOUBLE_EQ(l->y2, -3);
    doc.ShapeReflect(id, 2, 100, 100);  // any other axis: nothing
    EXPECT_DOUBLE_EQ(l->x1, 19);
    EXPECT_DOUBLE_EQ(l->y1, 0);
}

// A mirrored circle must stay the same circle; averaging the signed factors
// (-1 + 1) / 2 would collapse it to radius 0.
TEST(Mirror, CircleKeepsItsRadius) {
    CanvasDocument doc;
    const auto id = doc.DrawCircle(5, 5, 3, 0);
    doc.ShapeReflect(id, 0, 0, 0);
    const auto* c = static_cast<const TNCircle*>(doc.FindShape(id));
    EXPECT_DOUBLE_EQ(c->cx, -5);
    EXPECT_DOUBLE_EQ(c->radius, 3);
    doc.ShapeScale(id, 0, 0, -2, -2);
    EXPECT_DOUBLE_EQ(c->radius, 6);
    EXPECT_DOUBLE_EQ(c->cx, 10);
}

TEST(Mirror, TextAnchorMirrorsAndRectangleCornersSwapSides) {
    CanvasDocument doc;
    const auto text = doc.TextAdd(0, QStringLiteral("t"), 3, 4, 0);
    const auto rect = doc.DrawRectangle(1, 1, 2, 3, 0);
    doc.ShapeReflect(text, 1, 0, 0);
    doc.ShapeReflect(rect, 0, 0, 0);
    EXPECT_DOUBLE_EQ(static_cast<const TNText*>(doc.FindShape(text))->y, -4);
    const ShapeBounds b = doc.FindShape(rect)->Bounds();
    EXPECT_DOUBLE_EQ(b.MinX, -2);
    EXPECT_DOUBLE_EQ(b.MaxX, -1);
}

}  // namespace
}  // namespace nivora
