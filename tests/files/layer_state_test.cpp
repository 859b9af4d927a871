// Layers removed, restacked, hidden or locked in the drawing come back from
// the layout as they were: each shape on the layer of its name, in its paint
// order, with the layer's shown and locked states.

#include <gtest/gtest.h>

#include "canvas/canvas_document.h"
#include "files/nwl_file.h"

namespace nivora {
namespace {

// Each shape as "layer name@x" in paint order.
std::vector<std::string> stack(const CanvasDocument& doc) {
    std::vector<std::string> out;
    for (const TNShape& s : doc.Shapes()) {
        const TNLayer* layer = doc.FindLayer(s.Layer());
        out.push_back((layer ? layer->Name().toStdString() : std::string("?")) + "@" +
                      std::to_string(static_cast<int>((s.Bounds().MinX + s.Bounds().MaxX) / 2)));
    }
    return out;
}

CanvasDocument& readBack(const CanvasDocument& doc, CanvasDocument& into) {
    const std::string body = NwlWriter::body(doc, QDateTime::currentDateTime());
    NwlReader(false).parseBody(body, into);
    return into;
}

TEST(LayerState, RemovedAndRestackedLayersKeepEveryShapeOnItsOwnLayer) {
    CanvasDocument doc;
    const int coast = doc.LayerOpen(QStringLiteral("coast"));
    const int wrecks = doc.LayerOpen(QStringLiteral("wrecks"));
    const int buoys = doc.LayerOpen(QStringLiteral("buoys"));
    const int depths = doc.LayerOpen(QStringLiteral("depths"));
    doc.DrawPoint(1, 0, coast);
    doc.DrawPoint(2, 0, wrecks);
    doc.DrawPoint(3, 0, buoys);
    doc.DrawPoint(4, 0, depths);
    doc.DrawPoint(5, 0, coast);

    ASSERT_TRUE(doc.LayerRemove(wrecks));
    doc.LayerToBack(depths);
    doc.LayerToFront(coast);
    const std::vector<std::string> expected = {"depths@4", "buoys@3", "coast@1", "coast@5"};
    ASSERT_EQ(stack(doc), expected);
    EXPECT_EQ(doc.FindLayer(buoys)->Name(), QStringLiteral("buoys")) << "ids stay";
    EXPECT_EQ(doc.LayerFindByName(QStringLiteral("wrecks")), -1);

    CanvasDocument back;
    EXPECT_EQ(stack(readBack(doc, back)), expected);
    // The file lists the layers in the drawing's order, "Default" included.
    std::vector<QString> names;
    for (const auto& layer : back.Layers())
        names.push_back(layer->Name());
    const std::vector<QString> order = {QStringLiteral("Default"), QStringLiteral("depths"),
                                        QStringLiteral("buoys"), QStringLiteral("coast")};
    EXPECT_EQ(names, order);
}

TEST(LayerState, HiddenAndLockedLayersStaySoAndOthersWriteNoStateRecord) {
    CanvasDocument doc;
    const int chart = doc.LayerOpen(QStringLiteral("Harbour plan 2026"));
    const int track = doc.LayerOpen(QStringLiteral("track_fix"));
    const int plain = doc.LayerOpen(QStringLiteral("plain"));
    doc.FindLayer(chart)->Visible = false;
    doc.FindLayer(track)->Locked = true;
    const std::string body = NwlWriter::body(doc, QDateTime::currentDateTime());
    EXPECT_NE(body.find("LAYER Harbour plan 2026\nLAYERSTATE 0 0\n"), std::string::npos) << body;
    EXPECT_NE(body.find("LAYER track_fix\nLAYERSTATE 1 1\n"), std::string::npos);
    std::size_t records = 0;
    for (std::size_t at = body.find("LAYERSTATE"); at != std::string::npos;
         at = body.find("LAYERSTATE", at + 1))
        ++records;
    EXPECT_EQ(records, 2u) << "none for a plain layer, so that plain layouts stay as they were";
    (void)plain;

    CanvasDocument back;
    NwlReader(false).parseBody(body, back);
    const TNLayer* c = back.FindLayer(back.LayerFindByName(QStringLiteral("Harbour plan 2026")));
    const TNLayer* t = back.FindLayer(back.LayerFindByName(QStringLiteral("track_fix")));
    const TNLayer* p = back.FindLayer(back.LayerFindByName(QStringLiteral("plain")));
    ASSERT_TRUE(c && t && p);
    EXPECT_FALSE(c->Visible);
    EXPECT_FALSE(c->Locked);
    EXPECT_TRUE(t->Visible);
    EXPECT_TRUE(t->Locked);
    EXPECT_TRUE(p->Visible && !p->Locked);
}

}  // namespace
}  // namespace nivora
