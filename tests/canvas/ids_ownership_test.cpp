// Shape ids: given out from 1, never reused, restarted only by clearing all;
// the document owns and destroys every shape.

#include <gtest/gtest.h>

#include "canvas/canvas_document.h"
#include "tests/canvas/canvas_test_support.h"

namespace nivora {
namespace {

using test::CountingShape;
using test::paintOrder;

TEST(ShapeIds, StartAtOneAndIncreaseAcrossShapeKinds) {
    CanvasDocument doc;
    EXPECT_EQ(doc.NextShapeId(), 1);
    EXPECT_EQ(doc.DrawLine(0, 0, 1, 1, 0), 1);
    EXPECT_EQ(doc.DrawPoint(5, 5, 0), 2);
    EXPECT_EQ(doc.TextAdd(0, QStringLiteral("A"), 0, 0, 0), 3);
    EXPECT_EQ(doc.DrawPolyline({{0, 0}, {1, 1}}, 0, false), 4);
    EXPECT_EQ(doc.NextShapeId(), 5);
    EXPECT_EQ(doc.ShapeCount(), 4);
}

TEST(ShapeIds, DeletingNeverLowersTheCounterNorReusesIds) {
    CanvasDocument doc;
    doc.DrawPoint(0, 0, 0);
    const auto last = doc.DrawPoint(1, 1, 0);
    doc.ShapeDelete(last);
    EXPECT_EQ(doc.DrawPoint(2, 2, 0), last + 1);
    EXPECT_EQ(doc.GetShapeType(last), 0);  // the deleted id stays unknown
}

TEST(ShapeIds, ClearingAllShapesRestartsAtOne) {
    CanvasDocument doc;
    for (int i = 0; i < 10; ++i)
        doc.DrawPoint(i, i, 0);
    doc.CadClearShapes(-1);
    EXPECT_EQ(doc.ShapeCount(), 0);
    EXPECT_EQ(doc.DrawPoint(0, 0, 0), 1);
}

TEST(ShapeIds, ClearingOneLayerContinuesTheIds) {
    CanvasDocument doc;
    const int layer = doc.LayerOpen(QStringLiteral("two"));
    doc.DrawPoint(0, 0, layer);
    doc.DrawPoint(0, 0, layer);
    doc.CadClearShapes(layer);
    EXPECT_EQ(doc.DrawPoint(0, 0, layer), 3);
}

TEST(ShapeIds, ReplaceResetRestartsShapesAndLayers) {
    CanvasDocument doc;
    doc.LayerOpen(QStringLiteral("a"));
    doc.LayerOpen(QStringLiteral("b"));
    doc.DrawPoint(0, 0, 2);
    doc.ShapeSelect(1, false);
    doc.ResetDrawing();
    EXPECT_EQ(doc.Layers().size(), 1u);
    EXPECT_EQ(doc.Layers()[0]->Name(), QStringLiteral("Default"));
    EXPECT_EQ(doc.Layers()[0]->Id(), 0);
    EXPECT_EQ(doc.NextLayerId(), 1);
    EXPECT_TRUE(doc.SelectedIds().empty());
    EXPECT_EQ(doc.SelectedShapeCount(), 0);
    EXPECT_EQ(doc.LayerOpen(QStringLiteral("a")), 1);
    EXPECT_EQ(doc.DrawPoint(0, 0, 1), 1);
}

TEST(ShapeIds, AddShapeKeepsTheGivenLayerEvenWhenMissing) {
    CanvasDocument doc;
    auto point = std::make_unique<TNPoint>(3, 4);
    point->Z = 12.5;
    const auto id = doc.AddShape(std::move(point), 42);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(doc.GetShapeOnLayer(id), 42);
    EXPECT_EQ(doc.Layers().size(), 1u);  // no layer was opened for it
    EXPECT_DOUBLE_EQ(static_cast<const TNPoint*>(doc.FindShape(id))->Z, 12.5);
    EXPECT_EQ(doc.AddShape(nullptr, 0), -1);
    EXPECT_EQ(doc.ShapeCount(), 1);
}

TEST(ShapeIds, AddShapeComputesPolylineBounds) {
    CanvasDocument doc;
    auto poly = std::make_unique<TNPolyline>(shape_type::Curve, false);
    poly->Points = {{10, 20}, {30, -5}};
    const auto id = doc.AddShape(std::move(poly), 0);
    const ShapeBounds b = doc.FindShape(id)->Bounds();
    EXPECT_DOUBLE_EQ(b.MinX, 10);
    EXPECT_DOUBLE_EQ(b.MinY, -5);
    EXPECT_DOUBLE_EQ(b.MaxX, 30);
    EXPECT_DOUBLE_EQ(b.MaxY, 20);
    EXPECT_EQ(doc.GetShapeType(id), shape_type::Curve);
}

TEST(ShapeIds, ReservedIdIsUsedWhenTheDrawnShapeIsAdded) {
    CanvasDocument doc;
    const auto taken = doc.TakeShapeId();
    const auto other = doc.DrawPoint(0, 0, 0);
    EXPECT_EQ(other, taken + 1);
    const auto added = doc.AddShape(std::make_unique<TNPolyline>(5, false), 0, taken);
    EXPECT_EQ(added, taken);
    // Added on top even though its id is lower.
    EXPECT_EQ(paintOrder(doc), (std::vector<std::int32_t>{other, taken}));
    // A reservation is used once: a second attempt gets a fresh id.
    EXPECT_EQ(doc.AddShape(std::make_unique<TNPoint>(0, 0), 0, taken), other + 1);
}

// A shape still being drawn when every shape is cleared must not come back
// with an id that the restarted counter gives out again.
TEST(ShapeIds, ReservationDoesNotSurviveClearingAll) {
    CanvasDocument doc;
    doc.DrawPoint(0, 0, 0);
    const auto taken = doc.TakeShapeId();  // 2
    doc.CadClearShapes(-1);
    const auto first = doc.DrawPoint(0, 0, 0);   // 1
    const auto second = doc.DrawPoint(0, 0, 0);  // 2 again
    const auto added = doc.AddShape(std::make_unique<TNPoint>(0, 0), 0, taken);
    EXPECT_EQ(second, taken);
    EXPECT_NE(added, second);
    EXPECT_NE(added, first);
    EXPECT_EQ(doc.ShapeCount(), 3);
    EXPECT_NE(doc.FindShape(second), doc.FindShape(added));
}

TEST(ShapeIds, ReleasedReservationIsNotUsed) {
    CanvasDocument doc;
    const auto taken = doc.TakeShapeId();
    doc.ReleaseShapeId(taken);
    EXPECT_EQ(doc.AddShape(std::make_unique<TNPoint>(0, 0), 0, taken), taken + 1);
}

TEST(ShapeIds, LookupsOfUnknownIdsFindNothing) {
    CanvasDocument doc;
    doc.DrawPoint(0, 0, 0);
    for (std::int32_t id : {0, -1, 2, 4096, 1 << 30, INT32_MAX}) {
        EXPECT_EQ(doc.FindShape(id), nullptr) << id;
        EXPECT_EQ(doc.GetShapeOnLayer(id), -1) << id;
    }
}

TEST(ShapeIds, LookupsStayRightAcrossIdPages) {
    // More than one page of the id table, with whole pages emptied.
    CanvasDocument doc;
    for (int i = 0; i < 10000; ++i)
        doc.DrawPoint(i, 0, 0);
    for (int id = 1; id <= 8192; ++id)
        doc.ShapeDelete(id);
    EXPECT_EQ(doc.ShapeCount(), 10000 - 8192);
    EXPECT_EQ(doc.FindShape(8192), nullptr);
    ASSERT_NE(doc.FindShape(8193), nullptr);
    EXPECT_DOUBLE_EQ(static_cast<const TNPoint*>(doc.FindShape(8193))->x, 8192);
    EXPECT_EQ(doc.DrawPoint(0, 0, 0), 10001);
    ASSERT_NE(doc.FindShape(10001), nullptr);
    EXPECT_EQ(paintOrder(doc).front(), 8193);
    EXPECT_EQ(paintOrder(doc).back(), 10001);
}

TEST(ShapeOwnership, EveryDeletionPathDestroysItsShapes) {
    int destroyed = 0;
    {
        CanvasDocument doc;
        auto add = [&](int layer) {
            return doc.AddShape(std::make_unique<CountingShape>(&destroyed), layer);
        };
        const auto a = add(0);
        add(0);
        doc.ShapeDelete(a);
        EXPECT_EQ(destroyed, 1);
        add(3);
        add(3);
        doc.CadClearShapes(3);
        EXPECT_EQ(destroyed, 3);
        const auto s1 = add(0);
        const auto s2 = add(0);
        doc.ShapeSelect(s1, true);
        doc.ShapeSelect(s1, true);  // listed twice, destroyed once
        doc.ShapeSelectDelete();
        EXPECT_EQ(destroyed, 4);
        doc.ShapeSelect(s2, false);
        doc.CadClearSelectedShapes();
        EXPECT_EQ(destroyed, 5);
        doc.CadSelectShapes();
        doc.DeleteSelectedShapes();
        EXPECT_EQ(destroyed, 6);
        add(0);
        add(1);
        doc.CadClearShapes(-1);
        EXPECT_EQ(destroyed, 8);
        add(0);
        add(0);
        doc.ResetDrawing();
        EXPECT_EQ(destroyed, 10);
        add(0);  // left for the destructor
        EXPECT_EQ(doc.ShapeCount(), 1);
    }
    EXPECT_EQ(destroyed, 11);
}

TEST(ShapeOwnership, BlocksOwnTheirShapesAndAreFoundByExactName) {
    CanvasDocument doc;
    auto block = std::make_unique<TNBlock>(QStringLiteral("Buoy"), 1.0, 2.0);
    block->Shapes.push_back(std::make_unique<TNLine>(0, 0, 1, 1));
    TNBlock* added = doc.AddBlock(std::move(block));
    doc.AddBlock(std::make_unique<TNBlock>(QStringLiteral("Buoy"), 9.0, 9.0));
    ASSERT_NE(doc.FindBlock(QStringLiteral("Buoy")), nullptr);
    EXPECT_EQ(doc.FindBlock(QStringLiteral("Buoy")), added);  // the first of that name
    EXPECT_EQ(doc.FindBlock(QStringLiteral("buoy")), nullptr);
    EXPECT_EQ(doc.Blocks().size(), 2u);
    EXPECT_EQ(added->Shapes.size(), 1u);
    EXPECT_EQ(doc.ShapeCount(), 0);  // block shapes are not drawing shapes
}

}  // namespace
}  // namespace nivora
