// Deleting shapes by id, by layer, by selection and all at once.

#include <gtest/gtest.h>

#include "canvas/canvas_document.h"
#include "tests/canvas/canvas_test_support.h"

namespace nivora {
namespace {

using test::paintOrder;
using Ids = std::vector<std::int32_t>;

TEST(Deletion, ShapeDeleteRemovesItFromListAndSelection) {
    CanvasDocument doc;
    const auto a = doc.DrawPoint(0, 0, 0);
    const auto b = doc.DrawPoint(0, 0, 0);
    doc.ShapeSelect(a, true);
    doc.ShapeSelect(b, true);
    doc.ShapeSelect(a, true);
    doc.Dirty = false;
    doc.ShapeDelete(a);
    EXPECT_TRUE(doc.Dirty);
    EXPECT_EQ(paintOrder(doc), (Ids{b}));
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{b}));
    EXPECT_EQ(doc.SelectedShapeCount(), 1);
    EXPECT_EQ(doc.ShapeCount(), 1);
}

TEST(Deletion, UnknownIdChangesNothing) {
    CanvasDocument doc;
    doc.DrawPoint(0, 0, 0);
    doc.Dirty = false;
    doc.ShapeDelete(5);
    doc.ShapeDelete(-1);
    EXPECT_FALSE(doc.Dirty);
    EXPECT_EQ(doc.ShapeCount(), 1);
}

TEST(Deletion, ClearingOneLayerKeepsTheLayerAndTheOtherShapes) {
    CanvasDocument doc;
    test::RepaintCounter repaints;
    repaints.attach(doc);
    const int vessel = doc.LayerOpen(QStringLiteral("~~Nivora Vessel"));
    const auto keep1 = doc.DrawPoint(0, 0, 0);
    const auto gone1 = doc.DrawLine(0, 0, 1, 1, vessel);
    const auto keep2 = doc.DrawPoint(0, 0, 0);
    const auto gone2 = doc.DrawCircle(0, 0, 1, vessel);
    doc.ShapeSelect(gone1, true);
    doc.ShapeSelect(keep2, true);
    doc.ShapeSelect(gone1, true);
    doc.CadClearShapes(vessel);
    EXPECT_EQ(paintOrder(doc), (Ids{keep1, keep2}));
    EXPECT_EQ(doc.GetShapeSelectNumbers(), (Ids{keep2}));
    EXPECT_EQ(doc.SelectedShapeCount(), 1);
    EXPECT_EQ(doc.FindShape(gone2), nullptr);
    EXPECT_EQ(doc.LayerFindByName(QStringLiteral("~~Nivora Vessel")), vessel);
    EXPECT_EQ(repaints.immediates, 1);
    // New shapes can be drawn on it, and ids continue.
    EXPECT_EQ(doc.DrawPoint(0, 0, vessel), gone2 + 1);
    EXPECT_EQ(doc.GetShapeOnLayer(gone2 + 1), vessel);
}

TEST(Deletion, ClearingAnEmptyOrUnknownLayerChangesNoShape) {
    CanvasDocument doc;
    doc.DrawPoint(0, 0, 0);
    doc.CadClearShapes(7);
    doc.CadClearShapes(-2);
    EXPECT_EQ(doc.ShapeCount(), 1);
}

TEST(Deletion, ClearingAllEmptiesShapesAndSelectionButKeepsLayers) {
    CanvasDocument doc;
    test::RepaintCounter repaints;
    repaints.attach(doc);
    const int l = doc.LayerOpen(QStringLiteral("x"));
    doc.ShapeSelect(doc.DrawPoint(0, 0, l), false);
    doc.CadClearShapes(-1);
    EXPECT_EQ(doc.ShapeCount(), 0);
    EXPECT_TRUE(paintOrder(doc).empty());
    EXPECT_TRUE(doc.GetShapeSelectNumbers().empty());
    EXPECT_EQ(doc.SelectedShapeCount(), 0);
    EXPECT_EQ(doc.Layers().size(), 2u);
    EXPECT_EQ(repaints.immediates, 1);
}

TEST(Deletion, SelectedShapesGoInEachOfTheThreeWays) {
    // Same result whichever call is used; only the repaint request differs.
    struct Way {
        void (CanvasDocument::*call)();
        bool immediate;
    };
    for (const Way way : {Way{&CanvasDocument::CadClearSelectedShapes, true},
                          Way{&CanvasDocument::ShapeSelectDelete, false},
                          Way{&CanvasDocument::DeleteSelectedShapes, false}}) {
        CanvasDocument doc;
        test::RepaintCounter repaints;
        repaints.attach(doc);
        Ids all;
        for (int i = 0; i < 6; ++i)
            all.push_back(doc.DrawPoint(i, 0, i % 2));
        doc.ShapeSelect(all[1], true);
        doc.ShapeSelect(all[4], true);
        doc.ShapeSelect(all[1], true);
        doc.Dirty = false;
        (doc.*way.call)();
        EXPECT_EQ(paintOrder(doc), (Ids{all[0], all[2], all[3], all[5]}));
        EXPECT_EQ(doc.ShapeCount(), 4);
        EXPECT_TRUE(doc.GetShapeSelectNumbers().empty());
        EXPECT_EQ(doc.SelectedShapeCount(), 0);
        EXPECT_TRUE(doc.Dirty);
        EXPECT_EQ(repaints.immediates, way.immediate ? 1 : 0);
        EXPECT_EQ(repaints.invalidates, way.immediate ? 0 : 1);
    }
}

TEST(Deletion, DeletingWithNothingSelectedKeepsEverything) {
    CanvasDocument doc;
    doc.DrawPoint(0, 0, 0);
    doc.ShapeSelectDelete();
    EXPECT_EQ(doc.ShapeCount(), 1);
}

TEST(Deletion, LargeSelectionDeleteKeepsOrderOfTheRest) {
    CanvasDocument doc;
    for (int i = 1; i < 10; ++i)
        doc.LayerOpen(QStringLiteral("L%1").arg(i));
    Ids kept;
    for (int i = 0; i < 20000; ++i) {
        const auto id = doc.DrawPoint(i, 0, i % 10);
        if (i % 3 == 0) {
            doc.ShapeSelect(id, true);
        } else {
            kept.push_back(id);
        }
    }
    doc.ShapeSelectDelete();
    EXPECT_EQ(paintOrder(doc), kept);
    // Layer-wide operations still see exactly the survivors.
    doc.CadClearShapes(4);
    std::erase_if(kept, [](std::int32_t id) { return (id - 1) % 10 == 4; });
    EXPECT_EQ(paintOrder(doc), kept);
}

TEST(Deletion, DeletedShapeCanNoLongerBeEdited) {
    CanvasDocument doc;
    const auto a = doc.DrawPolyline({{0, 0}, {1, 1}}, 0, false);
    doc.ShapeDelete(a);
    doc.ShapeTranslate(a, 1, 1);
    doc.ShapePointSet(a, 0, 5, 5);
    doc.SetShapePenFg(a, 255);
    doc.ShapeSelect(a, false);
    EXPECT_EQ(doc.ShapePointCount(a), 0);
    EXPECT_TRUE(doc.GetShapeSelectNumbers().empty());
    EXPECT_EQ(doc.ShapeCount(), 0);
}

}  // namespace
}  // namespace nivora
