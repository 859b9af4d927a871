// Mouse and keyboard on a real canvas widget: every tool's click sequence,
// finishing by right click and double click, the swallowed press, Ctrl
// selection, the five-pixel hit tolerance, panning, zooming and the keys.

#include "tests/canvas/widget_test_support.h"

#include <cmath>

namespace nivora {
namespace {

using Canvas = test::CanvasWidgetTest;

const TNShape* lastShape(const TNivoraCanvas& c) {
    const TNShape* last = nullptr;
    for (const TNShape& s : c.Shapes())
        last = &s;
    return last;
}

// ---- Selection ----

TEST_F(Canvas, ClickSelectsTheShapeUnderTheCursor) {
    const int line = canvas->DrawLine(100, 150, 300, 150, 0);
    click({200, 150});
    ASSERT_EQ(raised.selected.size(), 1u);
    EXPECT_EQ(raised.selected[0].type, shape_type::Line);
    EXPECT_EQ(raised.selected[0].id, line);
    EXPECT_TRUE(canvas->GetShapeIsSelected(line));
    EXPECT_TRUE(canvas->Dirty);
    click({200, 50});  // empty: everything deselected
    EXPECT_FALSE(canvas->GetShapeIsSelected(line));
    EXPECT_TRUE(canvas->GetShapeSelectNumbers().empty());
}

TEST_F(Canvas, SelectingAnotherShapeReplacesTheSelection) {
    const int a = canvas->DrawLine(100, 150, 300, 150, 0);
    const int b = canvas->DrawLine(100, 100, 300, 100, 0);
    click({200, 150});
    click({200, 200});
    EXPECT_FALSE(canvas->GetShapeIsSelected(a));
    EXPECT_TRUE(canvas->GetShapeIsSelected(b));
    EXPECT_EQ(canvas->GetShapeSelectNumbers(), std::vector<std::int32_t>{b});
}

TEST_F(Canvas, CtrlClickAddsAndKeepsTheSelection) {
    const int a = canvas->DrawLine(100, 150, 300, 150, 0);
    const int b = canvas->DrawLine(100, 100, 300, 100, 0);
    click({200, 150});
    click({200, 200}, Qt::LeftButton, Qt::ControlModifier);
    click({200, 20}, Qt::LeftButton, Qt::ControlModifier);  // empty space: kept
    EXPECT_EQ(canvas->GetShapeSelectNumbers(), (std::vector<std::int32_t>{a, b}));
    // Ctrl+click on a selected shape appends it again and reports it again.
    click({200, 150}, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(canvas->GetShapeSelectNumbers(), (std::vector<std::int32_t>{a, b, a}));
    EXPECT_EQ(raised.selected.size(), 3u);
    EXPECT_EQ(canvas->SelectedShapeCount(), 2);
}

TEST_F(Canvas, HitToleranceIsFivePixelsAtAnyZoom) {
    for (double unitsPerPixel : {1.0, 0.01, 250.0}) {
        canvas->WorldSet(0, 300 * unitsPerPixel, 400 * unitsPerPixel, 0);
        canvas->CadClearShapes(-1);
        const int line =
            canvas->DrawLine(0, 150 * unitsPerPixel, 400 * unitsPerPixel, 150 * unitsPerPixel, 0);
        click({200, 146});  // 4 px away: hit
        EXPECT_TRUE(canvas->GetShapeIsSelected(line)) << unitsPerPixel;
        click({200, 144});  // 6 px away: miss
        EXPECT_FALSE(canvas->GetShapeIsSelected(line)) << unitsPerPixel;
    }
}

TEST_F(Canvas, SelectVariantSelectsToo) {
    const int line = canvas->DrawLine(100, 150, 300, 150, 0);
    canvas->ToolMode = tool::SelectVariant;
    click({200, 150});
    EXPECT_TRUE(canvas->GetShapeIsSelected(line));
    ASSERT_EQ(raised.downs.size(), 1u);
    EXPECT_EQ(raised.downs[0].action, tool::SelectVariant);
}

// ---- Drawing tools ----

TEST_F(Canvas, RectangleToolMakesOneRectanglePerTwoClicksAndKeepsGoing) {
    const int user = canvas->LayerOpen(QStringLiteral("user"));
    canvas->SetLayerPenFg(user, colors::Blue);
    canvas->ToolMode = tool::Rectangle;
    click({50, 50});
    ASSERT_EQ(raised.begins.size(), 1u);
    EXPECT_EQ(raised.begins[0].type, tool::Rectangle);
    EXPECT_DOUBLE_EQ(raised.begins[0].x, 50);
    EXPECT_DOUBLE_EQ(raised.begins[0].y, 250);
    EXPECT_EQ(cursor(), Qt::CrossCursor);
    move({150, 100});
    EXPECT_EQ(canvas->Interaction().CurrentPoint(), QPointF(150, 200));
    click({150, 100});
    ASSERT_EQ(canvas->ShapeCount(), 1);
    const auto* r = static_cast<const TNRectangle*>(lastShape(*canvas));
    ASSERT_EQ(r->Class(), ShapeClass::Rectangle);
    EXPECT_EQ(r->Layer(), user);
    EXPECT_EQ(r->PenFg, colors::Blue);
    EXPECT_DOUBLE_EQ(r->MinX(), 50);
    EXPECT_DOUBLE_EQ(r->MaxY(), 250);
    EXPECT_DOUBLE_EQ(r->MaxX(), 150);
    EXPECT_DOUBLE_EQ(r->MinY(), 200);
    // Tracking stays on and the tool stays: the next click starts the next one.
    EXPECT_TRUE(canvas->Interaction().Tracking());
    EXPECT_FALSE(canvas->Interaction().FirstPointPlaced());
    EXPECT_EQ(canvas->ToolMode, tool::Rectangle);
    click({200, 200});
    EXPECT_EQ(raised.begins.size(), 2u);
    click({200, 200});  // the same point: no rectangle
    EXPECT_EQ(canvas->ShapeCount(), 1);
    EXPECT_TRUE(raised.ends.empty());
}

// The press after a right-click finish was swallowed: a click on a shape, or
// the first point of the next drawing, was lost.
TEST_F(Canvas, RightClickEndsTheToolAndTheNextLeftPressCounts) {
    const int line = canvas->DrawLine(0, 10, 400, 10, 0);
    canvas->ToolMode = tool::Rectangle;
    click({50, 50});
    click({150, 100});
    click({300, 250}, Qt::RightButton);
    ASSERT_EQ(raised.ends.size(), 1u);
    EXPECT_EQ(raised.ends[0].type, tool::Rectangle);
    EXPECT_DOUBLE_EQ(raised.ends[0].x, 300);
    EXPECT_DOUBLE_EQ(raised.ends[0].y, 50);
    EXPECT_EQ(canvas->ToolMode, tool::Select);
    EXPECT_EQ(cursor(), Qt::ArrowCursor);
    // The finishing right press is not reported as a world mouse down.
    EXPECT_EQ(raised.downs.size(), 2u);
    click({200, 290});  // on the line
    EXPECT_TRUE(canvas->GetShapeIsSelected(line));
    EXPECT_EQ(raised.downs.size(), 3u);
}

TEST_F(Canvas, EllipseNeedsBothCoordinatesToDiffer) {
    canvas->ToolMode = tool::Ellipse;
    click({50, 50});
    click({50, 100});  // same x
    EXPECT_EQ(canvas->ShapeCount(), 0);
    click({50, 50});
    click({150, 100});
    ASSERT_EQ(canvas->ShapeCount(), 1);
    EXPECT_EQ(lastShape(*canvas)->ShapeType(), shape_type::Ellipse);
}

TEST_F(Canvas, LineToolChainsLinesFromEachClick) {
    canvas->ToolMode = tool::Line;
    click({50, 50});
    click({50, 50});  // same as the start: nothing
    click({150, 50});
    click({150, 150});
    ASSERT_EQ(canvas->ShapeCount(), 2);
    const auto* second = static_cast<const TNLine*>(lastShape(*canvas));
    EXPECT_DOUBLE_EQ(second->x1, 150);
    EXPECT_DOUBLE_EQ(second->y1, 250);
    EXPECT_DOUBLE_EQ(second->y2, 150);
    EXPECT_EQ(raised.begins.size(), 1u);
}

TEST_F(Canvas, PolylineFinishedByRightClick) {
    const int user = canvas->LayerOpen(QStringLiteral("route"));
    canvas->SetLayerPenFg(user, colors::Green);
    canvas->SetLayerPenWidth(user, 3);
    canvas->ToolMode = tool::Polyline;
    click({10, 10});
    click({10, 10});  // same point: no vertex
    click({100, 10});
    click({100, 100});
    EXPECT_EQ(canvas->ShapeCount(), 0);  // not in the drawing until finished
    ASSERT_NE(canvas->Interaction().ShapeInProgress(), nullptr);
    const std::int32_t reserved = canvas->NextShapeId() - 1;
    click({200, 200}, Qt::RightButton);
    ASSERT_EQ(canvas->ShapeCount(), 1);
    const auto* p = static_cast<const TNPolyline*>(lastShape(*canvas));
    EXPECT_EQ(p->Id(), reserved);  // the id taken at the first press
    EXPECT_EQ(p->ShapeType(), shape_type::Polyline);
    EXPECT_FALSE(p->Closed);
    EXPECT_EQ(p->Layer(), user);
    EXPECT_EQ(p->PenFg, colors::Green);
    EXPECT_EQ(p->PenWidth, 3);
    ASSERT_EQ(p->Points.size(), 3u);
    EXPECT_EQ(p->Points[2], QPointF(100, 200));
    EXPECT_EQ(raised.ends.size(), 1u);
    EXPECT_EQ(canvas->ToolMode, tool::Select);
}

TEST_F(Canvas, PolylineOfOnePressIsDiscardedButStillEnds) {
    canvas->ToolMode = tool::Polyline;
    click({10, 10});
    click({200, 200}, Qt::RightButton);
    EXPECT_EQ(canvas->ShapeCount(), 0);
    EXPECT_EQ(raised.ends.size(), 1u);
    EXPECT_FALSE(canvas->Interaction().SwallowNextPress());
    canvas->ToolMode = tool::Polyline;
    click({30, 30});  // the next drawing's first point
    EXPECT_NE(canvas->Interaction().ShapeInProgress(), nullptr);
    EXPECT_EQ(raised.begins.size(), 2u);
}

TEST_F(Canvas, DoubleClickFinishesWithTheVertexOfItsFirstPressOnly) {
    canvas->ToolMode = tool::Polyline;
    canvas->KeepTool = true;
    click({10, 10});
    click({100, 10});
    doubleClick({100, 100});
    ASSERT_EQ(canvas->ShapeCount(), 1);
    const auto* p = static_cast<const TNPolyline*>(lastShape(*canvas));
    ASSERT_EQ(p->Points.size(), 3u);
    EXPECT_EQ(p->Points.back(), QPointF(100, 200));
    ASSERT_EQ(raised.ends.size(), 1u);
    EXPECT_DOUBLE_EQ(raised.ends[0].x, 100);
    EXPECT_DOUBLE_EQ(raised.ends[0].y, 200);
    EXPECT_EQ(raised.dblClicks, std::vector<QPoint>{QPoint(100, 100)});
    EXPECT_EQ(canvas->ToolMode, tool::Polyline);  // KeepTool
    // The second press of the double click was the swallowed one.
    EXPECT_FALSE(canvas->Interaction().SwallowNextPress());
    click({50, 50});
    EXPECT_NE(canvas->Interaction().ShapeInProgress(), nullptr);
}

TEST_F(Canvas, PolygonAndCurveTakeTheirTypeAndLayerStyle) {
    const int layer = canvas->LayerOpen(QStringLiteral("sel"));
    canvas->SetLayerBrushFg(layer, colors::Aqua);
    canvas->SetLayerBrushStyle(layer, kBrushSolid);
    for (int t : {tool::Polygon, tool::Curve}) {
        canvas->ToolMode = t;
        click({10, 10});
        click({100, 10});
        click({100, 100});
        click({0, 0}, Qt::RightButton);
        const auto* p = static_cast<const TNPolyline*>(lastShape(*canvas));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->ShapeType(), t);
        EXPECT_EQ(p->Closed, t == tool::Polygon);
        EXPECT_EQ(p->BrushStyle, t == tool::Polygon ? kBrushSolid : kBrushClear);
        EXPECT_EQ(p->BrushFg, t == tool::Polygon ? colors::Aqua : colors::White);
    }
    EXPECT_EQ(canvas->ShapeCount(), 2);
}

TEST_F(Canvas, PolylineOnAMissingCurrentLayerGoesToDefault) {
    canvas->CurrentLayer = 42;
    canvas->ToolMode = tool::Polyline;
    click({10, 10});
    click({100, 10});
    click({0, 0}, Qt::RightButton);
    ASSERT_EQ(canvas->ShapeCount(), 1);
    EXPECT_EQ(lastShape(*canvas)->Layer(), canvas->LayerFindByName(QStringLiteral("Default")));
}

TEST_F(Canvas, ThreePointArcFinishesItselfWithoutDrawEnd) {
    canvas->ToolMode = tool::Arc;
    click({10, 200});
    click({100, 10});
    EXPECT_EQ(canvas->ShapeCount(), 0);
    click({190, 200});
    ASSERT_EQ(canvas->ShapeCount(), 1);
    const auto* p = static_cast<const TNPolyline*>(lastShape(*canvas));
    EXPECT_EQ(p->ShapeType(), shape_type::Arc);
    EXPECT_EQ(p->Class(), ShapeClass::Polyline);
    EXPECT_EQ(p->Points.size(), 3u);
    EXPECT_TRUE(raised.ends.empty());
    EXPECT_FALSE(canvas->Interaction().FirstPointPlaced());
    EXPECT_EQ(canvas->ToolMode, tool::Arc);
    click({10, 10});  // the next arc starts
    EXPECT_EQ(raised.begins.size(), 2u);
}

TEST_F(Canvas, PointToolMakesAPointAndEnds) {
    canvas->ToolMode = tool::Point;
    click({120, 80});
    ASSERT_EQ(canvas->ShapeCount(), 1);
    const auto* p = static_cast<const TNPoint*>(lastShape(*canvas));
    EXPECT_DOUBLE_EQ(p->x, 120);
    EXPECT_DOUBLE_EQ(p->y, 220);
    ASSERT_EQ(raised.ends.size(), 1u);
    EXPECT_EQ(raised.ends[0].type, tool::Point);
    EXPECT_TRUE(raised.begins.empty());
    EXPECT_EQ(canvas->ToolMode, tool::Select);
    canvas->ToolMode = tool::Point;
    canvas->KeepTool = true;
    click({10, 10});
    click({20, 10});
    EXPECT_EQ(canvas->ShapeCount(), 3);
    EXPECT_EQ(canvas->ToolMode, tool::Point);
}

TEST_F(Canvas, CircleFromCentreAndCircumference) {
    canvas->ToolMode = tool::Circle;
    click({200, 150});
    click({230, 110});  // 50 units away
    ASSERT_EQ(canvas->ShapeCount(), 1);
    const auto* c = static_cast<const TNCircle*>(lastShape(*canvas));
    EXPECT_DOUBLE_EQ(c->radius, 50);
    EXPECT_DOUBLE_EQ(c->cx, 200);
    EXPECT_DOUBLE_EQ(c->cy, 150);
    click({10, 10});
    click({10, 10});  // zero radius: nothing
    EXPECT_EQ(canvas->ShapeCount(), 1);
}

TEST_F(Canvas, TextToolLeavesThePlacingToTheHost) {
    canvas->ToolMode = tool::Text;
    click({120, 80}, Qt::LeftButton, Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_EQ(canvas->ShapeCount(), 0);
    ASSERT_EQ(raised.downs.size(), 1u);
    EXPECT_EQ(raised.downs[0].button, mouse_button::Left);
    EXPECT_EQ(raised.downs[0].shift, shift_state::Shift | shift_state::Alt);
    EXPECT_EQ(raised.downs[0].action, tool::Text);
    EXPECT_DOUBLE_EQ(raised.downs[0].x, 120);
    EXPECT_DOUBLE_EQ(raised.downs[0].y, 220);
}

TEST_F(Canvas, EscapeDropsTheDrawingButKeepsTheTool) {
    canvas->ToolMode = tool::Polygon;
    click({10, 10});
    click({100, 10});
    key(Qt::Key_Escape);
    EXPECT_EQ(canvas->Interaction().ShapeInProgress(), nullptr);
    EXPECT_FALSE(canvas->Interaction().DrawingInProgress());
    EXPECT_EQ(canvas->ToolMode, tool::Polygon);
    EXPECT_TRUE(raised.ends.empty());
    EXPECT_EQ(cursor(), Qt::ArrowCursor);
    click({0, 0}, Qt::RightButton);  // nothing in progress: a plain right press
    EXPECT_EQ(canvas->ShapeCount(), 0);
    EXPECT_EQ(raised.downs.back().button, mouse_button::Right);
}

TEST_F(Canvas, ClearDrawingStateDiscardsWithoutAdding) {
    canvas->ToolMode = tool::Polyline;
    click({10, 10});
    click({100, 10});
    canvas->ClearDrawingState();
    EXPECT_FALSE(canvas->Interaction().DrawingInProgress());
    EXPECT_EQ(canvas->ShapeCount(), 0);
    const std::int32_t next = canvas->NextShapeId();
    EXPECT_EQ(canvas->DrawPoint(0, 0, 0), next);  // the discarded id is not reused
}

// ---- View tools ----

TEST_F(Canvas, PanToolDragsTheDrawingAlong) {
    canvas->ToolMode = tool::Pan;
    press({100, 100});
    EXPECT_EQ(cursor(), Qt::SizeAllCursor);
    move({102, 101});  // within two pixels: nothing yet
    EXPECT_DOUBLE_EQ(canvas->WorldLeft, 0);
    move({110, 90});
    EXPECT_DOUBLE_EQ(canvas->WorldLeft, -10);
    EXPECT_DOUBLE_EQ(canvas->WorldBottom, -10);
    release({110, 90});
    EXPECT_FALSE(canvas->Interaction().Panning());
    EXPECT_EQ(cursor(), Qt::ArrowCursor);
    move({150, 150});
    EXPECT_DOUBLE_EQ(canvas->WorldLeft, -10);
}

TEST_F(Canvas, MiddleButtonPansInAnyTool) {
    canvas->ToolMode = tool::Rectangle;
    press({200, 150}, Qt::MiddleButton);
    EXPECT_EQ(raised.downs.back().button, mouse_button::Middle);
    move({180, 150});
    EXPECT_DOUBLE_EQ(canvas->WorldLeft, 20);
    release({180, 150}, Qt::MiddleButton);
    EXPECT_FALSE(canvas->Interaction().Panning());
    EXPECT_EQ(cursor(), Qt::ArrowCursor);
    EXPECT_EQ(canvas->ShapeCount(), 0);
    // Left clicks of a drawing keep the cross-hair between them.
    click({50, 50});
    EXPECT_EQ(cursor(), Qt::CrossCursor);
}

TEST_F(Canvas, ZoomWindowTakesTheClientProportions) {
    canvas->ToolMode = tool::ZoomWindow;
    click({100, 100});
    EXPECT_TRUE(raised.begins.empty());  // no draw event for the zoom window
    EXPECT_EQ(cursor(), Qt::CrossCursor);
    click({200, 200});  // world x 100..200, y 100..200: square, widened to 4:3
    EXPECT_DOUBLE_EQ(canvas->WorldBottom, 100);
    EXPECT_DOUBLE_EQ(canvas->WorldTop, 200);
    EXPECT_NEAR(canvas->WorldLeft, 150 - 200.0 / 3.0, 1e-9);
    EXPECT_NEAR(canvas->WorldRight, 150 + 200.0 / 3.0, 1e-9);
    EXPECT_EQ(canvas->ToolMode, tool::Select);
    EXPECT_FALSE(canvas->Interaction().DrawingInProgress());
    EXPECT_EQ(cursor(), Qt::ArrowCursor);
}

TEST_F(Canvas, FlatZoomWindowLeavesTheViewButEndsTheTool) {
    canvas->ToolMode = tool::ZoomWindow;
    click({100, 100});
    click({300, 100});
    EXPECT_DOUBLE_EQ(canvas->WorldLeft, 0);
    EXPECT_DOUBLE_EQ(canvas->WorldRight, 400);
    EXPECT_EQ(canvas->ToolMode, tool::Select);
}

TEST_F(Canvas, DynamicZoomByVerticalDrag) {
    canvas->ToolMode = tool::DynamicZoom;
    press({200, 150});
    move({200, 147});  // 3 pixels: nothing
    EXPECT_DOUBLE_EQ(canvas->GetWorldWidth(), 400);
    move({200, 140});  // 10 pixels up: zoom in by 10 % about the centre
    EXPECT_NEAR(canvas->GetWorldWidth(), 360, 1e-9);
    EXPECT_NEAR((canvas->WorldLeft + canvas->WorldRight) / 2, 200, 1e-9);
    move({200, 160});  // 20 down: out by 20 %
    EXPECT_NEAR(canvas->GetWorldWidth(), 360 * 1.2, 1e-9);
    release({200, 160});
    EXPECT_FALSE(canvas->Interaction().DynamicZooming());
}

TEST_F(Canvas, WheelZoomsAboutTheCursor) {
    const QPoint at(100, 75);  // world (100, 225)
    QWheelEvent up(QPointF(at), canvas->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, 120),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(canvas.get(), &up);
    EXPECT_NEAR(canvas->GetWorldWidth(), 360, 1e-9);
    double x = 0;
    double y = 0;
    canvas->ScreenToWorld(100, 75, x, y);
    EXPECT_NEAR(x, 100, 1e-9);
    EXPECT_NEAR(y, 225, 1e-9);
    // A large delta is still one step; a zero delta is none.
    QWheelEvent down(QPointF(at), canvas->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, -720),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(canvas.get(), &down);
    EXPECT_NEAR(canvas->GetWorldWidth(), 396, 1e-9);
    QWheelEvent sideways(QPointF(at), canvas->mapToGlobal(QPointF(at)), QPoint(), QPoint(120, 0),
                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(canvas.get(), &sideways);
    EXPECT_NEAR(canvas->GetWorldWidth(), 396, 1e-9);
}

TEST_F(Canvas, DoubleClickWithoutADrawingCentresTheView) {
    doubleClick({300, 100});  // world (300, 200)
    EXPECT_NEAR((canvas->WorldLeft + canvas->WorldRight) / 2, 300, 1e-9);
    EXPECT_NEAR((canvas->WorldBottom + canvas->WorldTop) / 2, 200, 1e-9);
    EXPECT_NEAR(canvas->GetWorldWidth(), 400, 1e-9);
    EXPECT_EQ(raised.dblClicks.size(), 1u);
    EXPECT_TRUE(raised.ends.empty());
}

// ---- Events and keys ----

TEST_F(Canvas, MouseMoveReportsDistanceAndDirectionFromTheLastPress) {
    click({100, 200}, Qt::RightButton);  // world (100, 100)
    move({110, 190});                    // 10 east, 10 north
    ASSERT_FALSE(raised.moves.empty());
    const auto m = raised.moves.back();
    EXPECT_DOUBLE_EQ(m.x, 110);
    EXPECT_DOUBLE_EQ(m.y, 110);
    EXPECT_NEAR(m.magnitude, std::sqrt(200.0), 1e-12);
    EXPECT_NEAR(m.angle, 45, 1e-12);
    move({90, 200});
    EXPECT_NEAR(raised.moves.back().angle, 180, 1e-12);
    move({100, 200});
    EXPECT_EQ(raised.moves.back().angle, 0);
    EXPECT_EQ(raised.moves.back().magnitude, 0);
}

TEST_F(Canvas, RightPressWithoutADrawingIsReported) {
    click({100, 200}, Qt::RightButton, Qt::ControlModifier);
    ASSERT_EQ(raised.downs.size(), 1u);
    EXPECT_EQ(raised.downs[0].button, mouse_button::Right);
    EXPECT_EQ(raised.downs[0].shift, shift_state::Ctrl);
}

TEST_F(Canvas, DeleteKeyDeletesTheSelectionOnlyWhenEnabled) {
    const int line = canvas->DrawLine(100, 150, 300, 150, 0);
    canvas->DrawLine(100, 50, 300, 50, 0);
    click({200, 150});
    key(Qt::Key_Delete);
    EXPECT_EQ(canvas->ShapeCount(), 2);
    canvas->DeleteKeyEnabled = true;
    key(Qt::Key_Delete);
    EXPECT_EQ(canvas->ShapeCount(), 1);
    EXPECT_EQ(canvas->FindShape(line), nullptr);
    EXPECT_EQ(canvas->SelectedShapeCount(), 0);
}

// The measuring tool's bearing is a grid azimuth, clockwise from north.
TEST(Measuring, DistanceAndBearing) {
    const auto at = [](double dx, double dy) {
        return distanceAndBearing(100, 100, 100 + dx, 100 + dy);
    };
    EXPECT_DOUBLE_EQ(at(3, 4).first, 5);
    EXPECT_NEAR(at(0, 10).second, 0, 1e-12);
    EXPECT_NEAR(at(10, 10).second, 45, 1e-12);
    EXPECT_NEAR(at(10, 0).second, 90, 1e-9) << "a level line is east, not a division by zero";
    EXPECT_NEAR(at(10, -10).second, 135, 1e-12);
    EXPECT_NEAR(at(0, -10).second, 180, 1e-12);
    EXPECT_NEAR(at(-10, -10).second, 225, 1e-12);
    EXPECT_NEAR(at(-10, 0).second, 270, 1e-9);
    EXPECT_NEAR(at(-10, 10).second, 315, 1e-12);
}

// The survey's chart takes its own wheel, measuring tool and keys (they
// were the main window's, handed on to the survey).
TEST_F(Canvas, TheSurveysWheelPansTowardsThePointerAsItZooms) {
    canvas->Interaction().WheelPansTowardsPointer = true;
    const QPoint at(100, 75);  // world (100, 225); the view's centre is (200, 150)
    QWheelEvent up(QPointF(at), canvas->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, 120),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(canvas.get(), &up);
    // A tenth of the way, (-10, 7.5), then 10 % in about (100, 225).
    EXPECT_NEAR(canvas->WorldLeft, 100 - 360 * (110.0 / 400), 1e-9);
    EXPECT_NEAR(canvas->GetWorldWidth(), 360, 1e-9);
    EXPECT_EQ(canvas->ToolMode, tool::Pan);
}

TEST_F(Canvas, TheRightButtonMeasuresOutsideADrawing) {
    canvas->Interaction().RightClickMeasures = true;
    click({100, 150}, Qt::RightButton);  // world (100, 150)
    move({200, 50});                     // world (200, 250)
    EXPECT_TRUE(canvas->Document().Overlay.Measuring);
    EXPECT_NEAR(canvas->Document().Overlay.MeasureDistance, 100 * std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(canvas->Document().Overlay.MeasureBearing, 45, 1e-9);
    click({200, 50}, Qt::RightButton);
    EXPECT_FALSE(canvas->Document().Overlay.Measuring);
    // While drawing, the right button finishes the drawing instead.
    canvas->ToolMode = tool::Polyline;
    click({10, 10});
    click({50, 10});
    click({50, 10}, Qt::RightButton);
    EXPECT_FALSE(canvas->Document().Overlay.Measuring);
    EXPECT_EQ(raised.ends.size(), 1u);
}

TEST_F(Canvas, TheSurveysKeys) {
    int escapes = 0, deleted = 0;
    QObject::connect(canvas.get(), &TNivoraCanvas::OnEscape, [&] { ++escapes; });
    QObject::connect(canvas.get(), &TNivoraCanvas::OnSelectionDeleted,
                     [&](int n) { deleted += n; });
    key(Qt::Key_F2);
    EXPECT_EQ(canvas->DepthSpeedDisplayMode, 1);
    key(Qt::Key_F3);
    EXPECT_EQ(canvas->GGAOverlayPosition, 1);
    key(Qt::Key_Escape);
    EXPECT_EQ(escapes, 1);
    canvas->DeleteKeyEnabled = true;
    canvas->DrawLine(100, 150, 300, 150, 0);
    click({200, 150});
    key(Qt::Key_Delete);
    EXPECT_EQ(deleted, 1);
    key(Qt::Key_Delete);  // nothing selected: nothing said
    EXPECT_EQ(deleted, 1);
}

}  // namespace
}  // namespace nivora
