// Layers taken out of a drawing, locked, and an addition taken back: the ids
// of the other layers hold, a load after a removal puts its shapes on the
// layers of their names, and taking a load back leaves the drawing as it was.

#include <gtest/gtest.h>

#include "canvas/canvas_document.h"
#include "canvas/drawing_transfer.h"

namespace nivora {
namespace {

// The drawing as text: layers in order with their ids, then each shape's
// layer name and position in paint order.
std::string describe(const CanvasDocument& doc) {
    std::string out;
    for (const auto& layer : doc.Layers())
        out += layer->Name().toStdString() + "#" + std::to_string(layer->Id()) + " ";
    out += "|";
    for (const TNShape& s : doc.Shapes()) {
        const TNLayer* layer = doc.FindLayer(s.Layer());
        out += " " + (layer ? layer->Name().toStdString() : std::string("?")) + "@" +
               std::to_string(static_cast<int>((s.Bounds().MinX + s.Bounds().MaxX) / 2));
    }
    return out;
}

TEST(LayerRemove, TakesTheLayersShapesAndSelectionAndKeepsOtherIds) {
    CanvasDocument doc;
    const int a = doc.LayerOpen(QStringLiteral("a"));
    const int b = doc.LayerOpen(QStringLiteral("b"));
    const int c = doc.LayerOpen(QStringLiteral("c"));
    const auto onB = doc.DrawPoint(1, 1, b);
    doc.DrawPoint(2, 2, c);
    doc.ShapeSelect(onB, true);
    ASSERT_EQ(doc.CurrentLayer, c);
    doc.CurrentLayer = b;

    EXPECT_FALSE(doc.LayerRemove(0)) << "Default stays: every fallback lands there";
    EXPECT_FALSE(doc.LayerRemove(99));
    ASSERT_TRUE(doc.LayerRemove(b));
    EXPECT_EQ(doc.FindShape(onB), nullptr);
    EXPECT_EQ(doc.SelectedShapeCount(), 0);
    EXPECT_TRUE(doc.GetShapeSelectNumbers().empty());
    EXPECT_EQ(doc.CurrentLayer, 0) << "the current layer falls back to Default";
    EXPECT_EQ(doc.FindLayer(b), nullptr);
    EXPECT_EQ(doc.FindLayer(c)->Name(), QStringLiteral("c"));
    EXPECT_EQ(doc.LayerFindByName(QStringLiteral("a")), a);
    // A shape drawn on the removed id goes to Default, as for any unknown id.
    EXPECT_EQ(doc.GetShapeOnLayer(doc.DrawLine(0, 0, 1, 1, b)), 0);
    // A new layer takes a fresh id, never the removed one.
    EXPECT_EQ(doc.LayerOpen(QStringLiteral("b")), c + 1);
}

TEST(LayerLock, ALockedLayersShapesAreNotPickedButTheOnesUnderThemAre) {
    CanvasDocument doc;
    doc.View.Width = 1000;
    doc.View.WorldSet(0, 1000, 1000, 0);
    const int under = doc.LayerOpen(QStringLiteral("under"));
    const int chart = doc.LayerOpen(QStringLiteral("chart"));
    const auto below = doc.DrawPoint(100, 100, under);
    const auto above = doc.DrawPoint(100, 100, chart);
    EXPECT_EQ(doc.GetShapeAt(100, 100), above);
    doc.FindLayer(chart)->Locked = true;
    EXPECT_EQ(doc.GetShapeAt(100, 100), below);
    doc.SelectAllShapesInPolygon({{0, 0}, {200, 0}, {200, 200}, {0, 200}});
    EXPECT_EQ(doc.GetShapeSelectNumbers(), std::vector<std::int32_t>{below});
}

// A load merged in slices while the live drawing keeps drawing, after one
// of the live layers was removed, then taken back.
TEST(DrawingMerge, ALoadAfterARemovalLandsByNameAndTakingItBackRestoresTheDrawing) {
    CanvasDocument live;
    live.View.WorldSet(0, 100, 100, 0);
    const int a = live.LayerOpen(QStringLiteral("a"));
    const int gone = live.LayerOpen(QStringLiteral("gone"));
    const int c = live.LayerOpen(QStringLiteral("c"));
    live.DrawPoint(1, 1, a);
    live.DrawPoint(3, 3, c);
    ASSERT_TRUE(live.LayerRemove(gone));
    live.AddBlock(std::make_unique<TNBlock>(QStringLiteral("kept"), 0, 0));
    const std::string before = describe(live);

    CanvasDocument scratch;
    DrawingMerge merge(live, scratch);
    // What a reader does: draw on a layer it finds by name, open a new one.
    scratch.DrawPoint(10, 10, scratch.LayerFindByName(QStringLiteral("c")));
    scratch.DrawPoint(11, 11, scratch.LayerOpen(QStringLiteral("new")));
    scratch.DrawPoint(12, 12, scratch.LayerFindByName(QStringLiteral("a")));
    scratch.AddBlock(std::make_unique<TNBlock>(QStringLiteral("brought"), 0, 0));
    scratch.View.WorldSet(0, 5000, 5000, 0);
    const ViewWindow viewBefore = live.View;
    merge.adoptStructure();
    ASSERT_FALSE(merge.moveShapes(1));
    const auto trackMark = live.DrawPoint(50, 50, a);  // the survey draws between slices
    ASSERT_TRUE(merge.moveShapes(10));
    live.WorldExtents();

    EXPECT_EQ(describe(live), "Default#0 a#1 c#3 new#4 | a@1 c@3 c@10 a@50 new@11 a@12");
    ASSERT_EQ(live.Blocks().size(), 2u);

    DrawingAddition added{merge.movedIds(), merge.createdLayers(), merge.blocksBefore(),
                          viewBefore};
    EXPECT_EQ(TakeBack(live, added), 3u);
    live.ShapeDelete(trackMark);
    EXPECT_EQ(describe(live), before);
    ASSERT_EQ(live.Blocks().size(), 1u);
    EXPECT_EQ(live.FindBlock(QStringLiteral("brought")), nullptr);
    EXPECT_EQ(live.View.WorldRight, 100.0) << "the view from before";
}

TEST(TakeBack, KeepsALayerTheLoadOpenedOnceTheOperatorDrewOnIt) {
    CanvasDocument live;
    CanvasDocument scratch;
    DrawingMerge merge(live, scratch);
    scratch.DrawPoint(1, 1, scratch.LayerOpen(QStringLiteral("imported")));
    merge.adoptStructure();
    merge.moveShapes(10);
    const int imported = live.LayerFindByName(QStringLiteral("imported"));
    live.DrawPoint(2, 2, imported);
    TakeBack(live, {merge.movedIds(), merge.createdLayers(), merge.blocksBefore(), live.View});
    ASSERT_NE(live.FindLayer(imported), nullptr);
    EXPECT_EQ(live.LayerShapeCount(imported), 1u);
}

}  // namespace
}  // namespace nivora
