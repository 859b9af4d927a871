// The canvas widget's painting: the cached picture is rebuilt only when the
// document is dirty or the size changed, overlays and the rubber band are
// painted over it, and the public fields reach the document.

#include <QFontMetrics>

#include "canvas/overlay_painter.h"
#include "canvas/qt_color.h"
#include "tests/canvas/render_test_support.h"
#include "tests/canvas/widget_test_support.h"

namespace nivora {
namespace {

using test::countColor;
using test::isColor;
using CanvasPaint = test::CanvasWidgetTest;

TEST(CanvasDefaults, CreatedAt400By300WithTheFieldDefaults) {
    TNivoraCanvas canvas;
    EXPECT_EQ(canvas.size(), QSize(400, 300));
    EXPECT_EQ(canvas.focusPolicy(), Qt::StrongFocus);
    EXPECT_TRUE(canvas.hasMouseTracking());
    EXPECT_EQ(canvas.ToolMode, 0);
    EXPECT_FALSE(canvas.KeepTool);
    EXPECT_FALSE(canvas.DeleteKeyEnabled);
    EXPECT_TRUE(canvas.FollowVessel);
    EXPECT_EQ(canvas.BackColor, colors::White);
    EXPECT_EQ(canvas.GridOrder, 0);
    EXPECT_FALSE(canvas.GridVisible);
    EXPECT_TRUE(canvas.GridAutoScale);
    EXPECT_EQ(canvas.GridColor, colors::Silver);
    EXPECT_EQ(canvas.Document().View.Width, 400);
}

TEST(CanvasDefaults, FieldsAreTheDocumentsAndTheMouseHandlersOwn) {
    TNivoraCanvas canvas;
    canvas.GridVisible = true;
    canvas.GridSpacingX = 25;
    canvas.ToolMode = tool::Pan;
    canvas.KeepTool = true;
    canvas.CurrentLayer = 3;
    canvas.WorldLeft = -5;
    canvas.GGAOverlayPosition = 2;
    canvas.EventLabelColor = colors::Blue;
    EXPECT_TRUE(canvas.Document().Grid.GridVisible);
    EXPECT_EQ(canvas.Document().Grid.GridSpacingX, 25);
    EXPECT_EQ(canvas.Interaction().ToolMode, tool::Pan);
    EXPECT_TRUE(canvas.Interaction().KeepTool);
    EXPECT_EQ(canvas.Document().CurrentLayer, 3);
    EXPECT_EQ(canvas.Document().View.WorldLeft, -5);
    EXPECT_EQ(canvas.Document().Overlay.GGAOverlayPosition, 2);
    EXPECT_EQ(canvas.Document().Overlay.EventLabelColor, colors::Blue);
}

TEST_F(CanvasPaint, PictureIsRebuiltOnlyWhenDirtyOrResized) {
    canvas->repaint();
    const int first = canvas->RebuildCount();
    EXPECT_GE(first, 1);
    EXPECT_FALSE(canvas->Dirty);
    EXPECT_EQ(canvas->BackBuffer.size(), QSize(400, 300));

    // Survey read-outs only repaint.
    canvas->SetCurrentDepth(12.3, 11.0, true);
    canvas->SetCurrentSpeed(4.2, true);
    canvas->AddDepthLabel(100, 100, 5.5);
    canvas->AddEventLabel(200, 100, 3);
    canvas->SetPositionStatus(QStringLiteral("GPS"), 1);
    canvas->StartDistanceMeasure(10, 10);
    canvas->repaint();
    canvas->repaint();
    EXPECT_EQ(canvas->RebuildCount(), first);

    canvas->DrawLine(0, 0, 100, 100, 0);
    canvas->repaint();
    EXPECT_EQ(canvas->RebuildCount(), first + 1);
    canvas->Refresh();
    EXPECT_TRUE(canvas->Dirty);
    canvas->repaint();
    EXPECT_EQ(canvas->RebuildCount(), first + 2);

    canvas->resize(500, 300);
    canvas->repaint();
    EXPECT_EQ(canvas->RebuildCount(), first + 3);
    EXPECT_EQ(canvas->BackBuffer.size(), QSize(500, 300));
}

TEST_F(CanvasPaint, RubberBandMovesWithoutRebuilding) {
    canvas->repaint();
    const int before = canvas->RebuildCount();
    canvas->ToolMode = tool::Rectangle;
    click({50, 50});
    for (int i = 0; i < 10; ++i) {
        move({100 + i * 10, 100});
        canvas->repaint();
    }
    EXPECT_EQ(canvas->RebuildCount(), before);
    const QImage shown = canvas->grab().toImage();
    EXPECT_TRUE(isColor(shown, 50, 75, colors::Black));
    EXPECT_TRUE(isColor(shown, 190, 75, colors::Black));
    EXPECT_TRUE(isColor(shown, 120, 75, colors::White));
}

TEST_F(CanvasPaint, ShownPictureCarriesShapesAndOverlays) {
    const int line = canvas->DrawLine(0, 150.5, 400, 150.5, 0);
    canvas->SetShapePenFg(line, colors::Blue);
    canvas->SetPositionStatus(QStringLiteral("RTK Fix"), 4);
    const QImage shown = canvas->grab().toImage();
    EXPECT_EQ(countColor(shown, QRect(100, 149, 200, 1), colors::Blue), 200);
    EXPECT_TRUE(isColor(shown, 5, 20, colors::Lime));
}

TEST_F(CanvasPaint, BackColorChangeRebuildsAtOnce) {
    canvas->repaint();
    const int before = canvas->RebuildCount();
    canvas->SetBackColor(colors::White);  // unchanged: nothing
    EXPECT_FALSE(canvas->Dirty);
    canvas->SetBackColor(colors::Navy);
    EXPECT_EQ(canvas->RebuildCount(), before + 1);
    EXPECT_FALSE(canvas->Dirty);
    EXPECT_TRUE(isColor(canvas->BackBuffer, 200, 150, colors::Navy));
}

TEST_F(CanvasPaint, GridFieldsTakeEffectOnRefresh) {
    canvas->GridVisible = true;
    canvas->GridAutoScale = false;
    canvas->GridSpacingX = 100;
    canvas->GridSpacingY = 100;
    canvas->GridColor = colors::Fuchsia;
    canvas->WorldSet(-200, 150, 200, -150);
    canvas->repaint();
    EXPECT_GT(countColor(canvas->BackBuffer, QRect(300, 0, 1, 250), colors::Fuchsia), 40);
    EXPECT_EQ(countColor(canvas->BackBuffer, QRect(200, 0, 1, 300), colors::Red), 300);  // axis
    canvas->GridOrder = 5;
    canvas->Refresh();
    canvas->repaint();
    EXPECT_EQ(countColor(canvas->BackBuffer, canvas->BackBuffer.rect(), colors::Fuchsia), 0);
}

TEST_F(CanvasPaint, ResizeKeepsTheCentreAndTheProportions) {
    canvas->resize(800, 300);
    EXPECT_DOUBLE_EQ(canvas->WorldLeft, -200);
    EXPECT_DOUBLE_EQ(canvas->WorldRight, 600);
    EXPECT_DOUBLE_EQ(canvas->WorldBottom, 0);
    EXPECT_DOUBLE_EQ(canvas->WorldTop, 300);
}

TEST_F(CanvasPaint, StatusBoxHitTestUsesTheWidgetsFont) {
    EXPECT_FALSE(canvas->IsPointInGGAOverlay(10, 10));
    canvas->SetPositionStatus(QStringLiteral("DGPS | Spd: 0.0 kn"), 2);
    const QFontMetrics m(GGAOverlayFont(), canvas.get());
    const int w = m.horizontalAdvance(QStringLiteral("DGPS | Spd: 0.0 kn"));
    EXPECT_TRUE(canvas->IsPointInGGAOverlay(2, 2));
    EXPECT_TRUE(canvas->IsPointInGGAOverlay(w + 13, 10));
    EXPECT_FALSE(canvas->IsPointInGGAOverlay(w + 14, 10));
    canvas->ToggleGGAOverlayPosition();  // top-right
    EXPECT_FALSE(canvas->IsPointInGGAOverlay(2, 2));
    EXPECT_TRUE(canvas->IsPointInGGAOverlay(397, 2));
}

TEST_F(CanvasPaint, InterfaceCompletersDoNothing) {
    EXPECT_FALSE(canvas->MetafileSave(QStringLiteral("x.emf")));
    EXPECT_FALSE(canvas->MetafileToClipboard());
    EXPECT_FALSE(canvas->ViewDialogShow(0, 1));
    EXPECT_EQ(canvas->ShapeAdd(1, 2), -1);
    canvas->PrintView(0, QStringLiteral("x"));
    canvas->LayerFontBehaviorReset(0);
    canvas->ShapeFontBehaviorReset(1);
    EXPECT_EQ(canvas->ShapeCount(), 0);
}

}  // namespace
}  // namespace nivora
