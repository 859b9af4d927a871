// Selection lists: ids in the order selected, duplicates kept where a shape
// is selected again, flags and counts kept in step with the list.

#include <gtest/gtest.h>

#include "canvas/canvas_document.h"
#include "tests/canvas/canvas_test_support.h"

namespace nivora {
namespace {

using Ids = std::vector<std::int32_t>;

TEST(Selection, SelectReplacesOrAddsAndKeepsDuplicates) {
    CanvasDocument doc;
    const auto a = doc.DrawPoint(0, 0, 0);
    const auto b = doc.DrawPoint(0, 0, 0);
    doc.ShapeSelect(a, false);
    doc.ShapeSelect(b, true);
    doc.ShapeSelect(a, true);
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{a, b, a}));
    EXPECT_EQ(doc.SelectedShapeCount(), 2);
    doc.ShapeSelect(b, false);
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{b}));
    EXPECT_FALSE(doc.GetShapeIsSelected(a));
    EXPECT_TRUE(doc.GetShapeIsSelected(b));
}

TEST(Selection, UnknownIdSelectsNothingAndKeepsTheSelection) {
    CanvasDocument doc;
    const auto a = doc.DrawPoint(0, 0, 0);
    doc.ShapeSelect(a, false);
    doc.ShapeSelect(77, false);
    doc.ShapeDeselect(77);
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{a}));
}

TEST(Selection, DeselectRemovesEveryOccurrence) {
    CanvasDocument doc;
    const auto a = doc.DrawPoint(0, 0, 0);
    const auto b = doc.DrawPoint(0, 0, 0);
    doc.ShapeSelect(a, true);
    doc.ShapeSelect(b, true);
    doc.ShapeSelect(a, true);
    doc.ShapeDeselect(a);
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{b}));
    EXPECT_EQ(doc.SelectedShapeCount(), 1);
    EXPECT_FALSE(doc.GetShapeIsSelected(a));
}

TEST(Selection, SelectAllListsAlreadySelectedIdsAgain) {
    CanvasDocument doc;
    const auto a = doc.DrawPoint(0, 0, 0);
    const auto b = doc.DrawPoint(0, 0, 0);
    doc.ShapeSelect(b, false);
    doc.CadSelectShapes();
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{b, a, b}));
    EXPECT_EQ(doc.SelectedShapeCount(), 2);
    doc.Dirty = false;
    doc.CadDeselectShapes();
    EXPECT_TRUE(doc.Dirty);
    EXPECT_TRUE(doc.GetShapeSelectNumbers().empty());
    EXPECT_EQ(doc.SelectedShapeCount(), 0);
    EXPECT_FALSE(doc.GetShapeIsSelected(a));
}

TEST(Selection, ClearSelectionNeitherDirtiesNorRepaints) {
    CanvasDocument doc;
    test::RepaintCounter repaints;
    repaints.attach(doc);
    doc.ShapeSelect(doc.DrawPoint(0, 0, 0), false);
    doc.Dirty = false;
    doc.ClearSelection();
    EXPECT_FALSE(doc.Dirty);
    EXPECT_EQ(repaints.invalidates + repaints.immediates, 0);
    EXPECT_EQ(doc.SelectedShapeCount(), 0);
}

TEST(Selection, LayerSelectFollowsPaintOrderAndAppendsDuplicates) {
    CanvasDocument doc;
    const int l = doc.LayerOpen(QStringLiteral("track_fix"));
    const auto a = doc.DrawPoint(0, 0, l);
    const auto other = doc.DrawPoint(0, 0, 0);
    const auto b = doc.DrawPoint(0, 0, l);
    const auto c = doc.DrawPoint(0, 0, l);
    doc.ShapeToBack(c);
    doc.ShapeDelete(a);
    const auto d = doc.DrawPoint(0, 0, l);
    doc.ShapeToLayer(other, l);  // now on the layer, painted second
    doc.ShapeSelect(b, false);
    doc.LayerSelectShapes(l, true);
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{b, c, other, b, d}));
    EXPECT_EQ(doc.SelectedShapeCount(), 4);
    doc.LayerSelectShapes(l, false);
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{c, other, b, d}));
}

TEST(Selection, LayerDeselectDropsOnlyThatLayersIds) {
    CanvasDocument doc;
    const int l = doc.LayerOpen(QStringLiteral("a"));
    const auto on1 = doc.DrawPoint(0, 0, l);
    const auto off = doc.DrawPoint(0, 0, 0);
    const auto on2 = doc.DrawPoint(0, 0, l);
    doc.ShapeSelect(on1, true);
    doc.ShapeSelect(off, true);
    doc.ShapeSelect(on2, true);
    doc.ShapeSelect(on1, true);
    doc.LayerDeselectShapes(l);
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{off}));
    EXPECT_EQ(doc.SelectedShapeCount(), 1);
    EXPECT_FALSE(doc.GetShapeIsSelected(on1));
    EXPECT_FALSE(doc.GetShapeIsSelected(on2));
}

TEST(Selection, LayerDeselectWithABigLayerAndASmallSelection) {
    CanvasDocument doc;
    const int l = doc.LayerOpen(QStringLiteral("big"));
    Ids onLayer;
    for (int i = 0; i < 50; ++i)
        onLayer.push_back(doc.DrawPoint(i, 0, l));
    const auto off = doc.DrawPoint(0, 0, 0);
    doc.ShapeSelect(onLayer[10], true);
    doc.ShapeSelect(off, true);
    doc.LayerDeselectShapes(l);
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{off}));
    EXPECT_EQ(doc.SelectedShapeCount(), 1);
    EXPECT_FALSE(doc.GetShapeIsSelected(onLayer[10]));
}

TEST(Selection, SelectShapesOnLayersClearsFirstAndInvalidates) {
    CanvasDocument doc;
    test::RepaintCounter repaints;
    repaints.attach(doc);
    const int a = doc.LayerOpen(QStringLiteral("a"));
    const int b = doc.LayerOpen(QStringLiteral("b"));
    const auto s0 = doc.DrawPoint(0, 0, 0);
    const auto sa = doc.DrawPoint(0, 0, a);
    const auto sb = doc.DrawPoint(0, 0, b);
    doc.ShapeSelect(s0, false);
    doc.SelectShapesOnLayers({b, a, b});
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{sa, sb}));
    EXPECT_FALSE(doc.GetShapeIsSelected(s0));
    EXPECT_EQ(repaints.invalidates, 1);
}

TEST(Selection, MoveDeltaMovesEachSelectedShapeOnce) {
    CanvasDocument doc;
    const auto a = doc.DrawPoint(0, 0, 0);
    const auto b = doc.DrawPoint(10, 10, 0);
    const auto c = doc.DrawPoint(20, 20, 0);
    doc.ShapeSelect(a, true);
    doc.ShapeSelect(c, true);
    doc.ShapeSelect(a, true);
    doc.ShapeSelectMoveDelta(1, 2);
    EXPECT_DOUBLE_EQ(static_cast<const TNPoint*>(doc.FindShape(a))->x, 1);
    EXPECT_DOUBLE_EQ(static_cast<const TNPoint*>(doc.FindShape(a))->y, 2);
    EXPECT_DOUBLE_EQ(static_cast<const TNPoint*>(doc.FindShape(b))->x, 10);
    EXPECT_DOUBLE_EQ(static_cast<const TNPoint*>(doc.FindShape(c))->y, 22);
    // The selection itself is unchanged.
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{a, c, a}));
    EXPECT_TRUE(doc.GetShapeIsSelected(a));
    EXPECT_EQ(doc.SelectedShapeCount(), 2);
}

TEST(Selection, SelectedShapeFlagsSurviveLayerAndOrderChanges) {
    CanvasDocument doc;
    const auto a = doc.DrawPoint(0, 0, 0);
    doc.DrawPoint(0, 0, 0);
    doc.ShapeSelect(a, false);
    doc.ShapeToFront(a);
    doc.ShapeToLayer(a, 5);
    doc.LayerCopy(5, 0, 1);
    EXPECT_TRUE(doc.GetShapeIsSelected(a));
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{a}));
}

}  // namespace
}  // namespace nivora
