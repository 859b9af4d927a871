// Paint order: the shape list order, changed by front/back moves and kept
// intact by deletions, layer moves and the store's compaction.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "canvas/canvas_document.h"
#include "tests/canvas/canvas_test_support.h"

namespace nivora {
namespace {

using test::paintOrder;
using Ids = std::vector<std::int32_t>;

TEST(PaintOrder, CreationOrderIsPaintOrder) {
    CanvasDocument doc;
    const auto a = doc.DrawPoint(0, 0, 0);
    const auto b = doc.DrawLine(0, 0, 1, 1, 0);
    const auto c = doc.DrawCircle(0, 0, 1, 0);
    EXPECT_EQ(paintOrder(doc), (Ids{a, b, c}));
}

TEST(PaintOrder, FrontAndBackMoves) {
    CanvasDocument doc;
    const auto a = doc.DrawPoint(0, 0, 0);
    const auto b = doc.DrawPoint(0, 0, 0);
    const auto c = doc.DrawPoint(0, 0, 0);
    doc.ShapeToFront(a);
    EXPECT_EQ(paintOrder(doc), (Ids{b, c, a}));
    doc.ShapeToFront(a);  // already on top
    EXPECT_EQ(paintOrder(doc), (Ids{b, c, a}));
    doc.ShapeToBack(c);
    EXPECT_EQ(paintOrder(doc), (Ids{c, b, a}));
    doc.ShapeToBack(c);  // already at the back
    EXPECT_EQ(paintOrder(doc), (Ids{c, b, a}));
    doc.ShapeZOrderJump(b, 5);
    EXPECT_EQ(paintOrder(doc), (Ids{c, a, b}));
    doc.ShapeZOrderJump(b, -1);
    EXPECT_EQ(paintOrder(doc), (Ids{b, c, a}));
    doc.ShapeZOrderJump(a, 0);
    EXPECT_EQ(paintOrder(doc), (Ids{b, c, a}));
}

TEST(PaintOrder, MovesNeitherUseNorChangeTheZOrderField) {
    CanvasDocument doc;
    const auto a = doc.DrawPoint(0, 0, 0);
    const auto b = doc.DrawPoint(0, 0, 0);
    doc.SetShapeZOrder(a, 100);
    EXPECT_EQ(paintOrder(doc), (Ids{a, b}));
    doc.ShapeToBack(b);
    EXPECT_EQ(doc.GetShapeZOrder(a), 100);
    EXPECT_EQ(doc.GetShapeZOrder(b), 0);
}

TEST(PaintOrder, UnknownIdStillDirtiesThePicture) {
    CanvasDocument doc;
    doc.DrawPoint(0, 0, 0);
    doc.Dirty = false;
    doc.ShapeToFront(42);
    EXPECT_TRUE(doc.Dirty);
    doc.Dirty = false;
    doc.ShapeZOrderJump(42, -3);
    EXPECT_TRUE(doc.Dirty);
    EXPECT_EQ(doc.ShapeCount(), 1);
}

TEST(PaintOrder, TopmostShapeIsFoundFirst) {
    CanvasDocument doc;
    const auto under = doc.DrawCircle(0, 0, 10, 0);
    const auto over = doc.DrawCircle(0, 0, 10, 0);
    EXPECT_EQ(doc.GetShapeAt(10, 0), over);
    doc.ShapeToFront(under);
    EXPECT_EQ(doc.GetShapeAt(10, 0), under);
    doc.ShapeToBack(under);
    EXPECT_EQ(doc.GetShapeAt(10, 0), over);
}

TEST(PaintOrder, ManyMovesToTheBackKeepOrderAndLookups) {
    CanvasDocument doc;
    Ids expected;
    for (int i = 0; i < 300; ++i)
        expected.push_back(doc.DrawPoint(i, 0, 0));
    for (int i = 0; i < 300; i += 2) {
        const auto id = expected[static_cast<std::size_t>(299 - i)];
        doc.ShapeToBack(id);
        expected.erase(std::find(expected.begin(), expected.end(), id));
        expected.insert(expected.begin(), id);
    }
    EXPECT_EQ(paintOrder(doc), expected);
    for (auto id : expected)
        ASSERT_EQ(doc.FindShape(id)->Id(), id);
}

TEST(PaintOrder, DeletingMostShapesKeepsOrderAndLookups) {
    CanvasDocument doc;
    Ids all;
    for (int i = 0; i < 5000; ++i)
        all.push_back(doc.DrawPoint(i, 0, 0));
    Ids kept;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (i % 7 == 3) {
            kept.push_back(all[i]);
        } else {
            doc.ShapeDelete(all[i]);
        }
    }
    EXPECT_EQ(paintOrder(doc), kept);
    EXPECT_EQ(doc.ShapeCount(), static_cast<int>(kept.size()));
    for (auto id : kept) {
        ASSERT_NE(doc.FindShape(id), nullptr);
        ASSERT_DOUBLE_EQ(static_cast<const TNPoint*>(doc.FindShape(id))->x, id - 1);
    }
}

// Random operations against a plain list model: order, lookups, layer
// membership and counts must agree after every step.
TEST(PaintOrder, RandomOperationsAgreeWithAPlainListModel) {
    CanvasDocument doc;
    std::vector<int> layers{0};
    for (int i = 1; i < 4; ++i)
        layers.push_back(doc.LayerOpen(QStringLiteral("L%1").arg(i)));
    Ids model;                            // paint order
    std::map<std::int32_t, int> layerOf;  // id -> layer
    std::mt19937 rng(12345);
    auto pick = [&]() {
        return model[std::uniform_int_distribution<std::size_t>(0, model.size() - 1)(rng)];
    };

    for (int step = 0; step < 6000; ++step) {
        const int op = std::uniform_int_distribution<int>(0, 9)(rng);
        const int layer = layers[std::uniform_int_distribution<std::size_t>(0, 3)(rng)];
        if (op <= 3 || model.empty()) {
            const auto id = doc.DrawPoint(step, layer, layer);
            model.push_back(id);
            layerOf[id] = layer;
        } else if (op == 4) {
            const auto id = pick();
            doc.ShapeDelete(id);
            model.erase(std::find(model.begin(), model.end(), id));
            layerOf.erase(id);
        } else if (op == 5) {
            const auto id = pick();
            doc.ShapeToFront(id);
            model.erase(std::find(model.begin(), model.end(), id));
            model.push_back(id);
        } else if (op == 6) {
            const auto id = pick();
            doc.ShapeToBack(id);
            model.erase(std::find(model.begin(), model.end(), id));
            model.insert(model.begin(), id);
        } else if (op == 7) {
            const auto id = pick();
            doc.ShapeToLayer(id, layer);
            layerOf[id] = layer;
        } else if (op == 8 && step % 50 == 0) {
            doc.CadClearShapes(layer);
            std::erase_if(model, [&](std::int32_t id) { return layerOf[id] == layer; });
            std::erase_if(layerOf, [&](const auto& e) { return e.second == layer; });
        } else if (op == 9) {
            // Some selection churn, then delete the selection.
            for (int k = 0; k < 3 && !model.empty(); ++k)
                doc.ShapeSelect(pick(), true);
            if (step % 10 == 0) {
                for (auto id : doc.GetShapeSelectNumbers()) {
                    model.erase(std::remove(model.begin(), model.end(), id), model.end());
                    layerOf.erase(id);
                }
                doc.ShapeSelectDelete();
            }
        }
        ASSERT_EQ(doc.ShapeCount(), static_cast<int>(model.size())) << "step " << step;
        // Every listed id is a live, flagged shape, and the count is of distinct ids.
        Ids distinct = doc.GetShapeSelectNumbers();
        for (auto id : distinct)
            ASSERT_TRUE(doc.GetShapeIsSelected(id)) << "step " << step;
        std::sort(distinct.begin(), distinct.end());
        distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
        ASSERT_EQ(doc.SelectedShapeCount(), static_cast<int>(distinct.size())) << "step " << step;
    }
    EXPECT_EQ(paintOrder(doc), model);
    for (auto id : model) {
        ASSERT_NE(doc.FindShape(id), nullptr);
        EXPECT_EQ(doc.GetShapeOnLayer(id), layerOf[id]);
    }
    // Layer-wide operations reach exactly the model's members.
    for (int layer : layers) {
        doc.SetLayerPenFg(layer, static_cast<TColor>(100 + layer));
    }
    for (auto id : model)
        EXPECT_EQ(doc.GetShapePenFg(id), static_cast<TColor>(100 + layerOf[id]));
    doc.CadClearShapes(layers[1]);
    const auto onOne = std::count_if(layerOf.begin(), layerOf.end(),
                                     [&](const auto& e) { return e.second == layers[1]; });
    EXPECT_EQ(doc.ShapeCount(), static_cast<int>(model.size() - static_cast<std::size_t>(onOne)));
}

}  // namespace
}  // namespace nivora
