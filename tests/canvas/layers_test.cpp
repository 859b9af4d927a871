// Layers, their defaults and what shapes take from them; fonts and texts.

#include <gtest/gtest.h>

#include "canvas/canvas_document.h"

namespace nivora {
namespace {

TEST(Layers, NewDocumentHasTheDefaultLayerAndFont) {
    CanvasDocument doc;
    ASSERT_EQ(doc.Layers().size(), 1u);
    EXPECT_EQ(doc.Layers()[0]->Name(), QStringLiteral("Default"));
    EXPECT_EQ(doc.Layers()[0]->Id(), 0);
    EXPECT_EQ(doc.CurrentLayer, 0);
    EXPECT_EQ(doc.NextLayerId(), 1);
    ASSERT_EQ(doc.Fonts().size(), 1u);
    EXPECT_EQ(doc.Fonts()[0].Name, QStringLiteral("Arial"));
    EXPECT_EQ(doc.Fonts()[0].Size, 10);
    EXPECT_FALSE(doc.Fonts()[0].Bold);
    EXPECT_EQ(doc.CurrentFont, 0);
    EXPECT_EQ(doc.ShapeCount(), 0);
    EXPECT_TRUE(doc.Dirty);
}

TEST(Layers, NewLayerHasTheDefaultAttributes) {
    CanvasDocument doc;
    const int id = doc.LayerOpen(QStringLiteral("track_fix"));
    const TNLayer* layer = doc.FindLayer(id);
    ASSERT_NE(layer, nullptr);
    EXPECT_TRUE(layer->Visible);
    EXPECT_FALSE(layer->Locked);
    EXPECT_EQ(doc.GetLayerAction(id), 0);
    EXPECT_EQ(doc.GetLayerPenFg(id), 0u);
    EXPECT_EQ(doc.GetLayerPenWidth(id), 1);
    EXPECT_EQ(doc.GetLayerPenStyle(id), 0);
    EXPECT_EQ(doc.GetLayerBrushFg(id), 0xFFFFFFu);
    EXPECT_EQ(doc.GetLayerBrushBg(id), 0xFFFFFFu);
    EXPECT_EQ(doc.GetLayerBrushStyle(id), 1);
    EXPECT_EQ(doc.GetLayerBrushMode(id), 0);
}

TEST(Layers, OpenFindsByExactNameAndMakesItCurrent) {
    CanvasDocument doc;
    const int a = doc.LayerOpen(QStringLiteral("track_fix"));
    const int b = doc.LayerOpen(QStringLiteral("track_float"));
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(doc.CurrentLayer, b);
    EXPECT_EQ(doc.LayerOpen(QStringLiteral("track_fix")), a);
    EXPECT_EQ(doc.CurrentLayer, a);
    EXPECT_EQ(doc.Layers().size(), 3u);
    // Names differing only in case are different layers.
    EXPECT_EQ(doc.LayerOpen(QStringLiteral("TRACK_FIX")), 3);
    EXPECT_EQ(doc.LayerFindByName(QStringLiteral("track_fix")), a);
    EXPECT_EQ(doc.LayerFindByName(QStringLiteral("Track_Fix")), -1);
    EXPECT_EQ(doc.LayerFindByName(QString()), -1);
}

TEST(Layers, FindingByNameDoesNotChangeTheCurrentLayer) {
    CanvasDocument doc;
    doc.LayerOpen(QStringLiteral("a"));
    doc.LayerOpen(QStringLiteral("b"));
    doc.LayerFindByName(QStringLiteral("a"));
    EXPECT_EQ(doc.CurrentLayer, 2);
}

TEST(Layers, UnknownLayerGettersGiveDefaultsAndSettersDoNothing) {
    CanvasDocument doc;
    for (int id : {-1, 1, 99}) {
        doc.SetLayerPenFg(id, 255);
        doc.SetLayerPenWidth(id, 7);
        doc.SetLayerAction(id, 3);
        doc.SetLayerBrushStyle(id, 0);
        EXPECT_EQ(doc.FindLayer(id), nullptr);
        EXPECT_EQ(doc.GetLayerAction(id), 0);
        EXPECT_EQ(doc.GetLayerPenFg(id), 0u);
        EXPECT_EQ(doc.GetLayerPenWidth(id), 1);
        EXPECT_EQ(doc.GetLayerPenStyle(id), 0);
        EXPECT_EQ(doc.GetLayerBrushFg(id), 0xFFFFFFu);
        EXPECT_EQ(doc.GetLayerBrushBg(id), 0xFFFFFFu);
        EXPECT_EQ(doc.GetLayerBrushStyle(id), 1);
        EXPECT_EQ(doc.GetLayerBrushMode(id), 0);
    }
    EXPECT_EQ(doc.Layers().size(), 1u);
}

TEST(Layers, PenColourAndWidthReachExistingShapesOfThatLayerOnly) {
    CanvasDocument doc;
    const int fix = doc.LayerOpen(QStringLiteral("track_fix"));
    const int other = doc.LayerOpen(QStringLiteral("other"));
    const auto a = doc.DrawPoint(0, 0, fix);
    const auto b = doc.DrawLine(0, 0, 1, 1, fix);
    const auto c = doc.DrawPoint(0, 0, other);
    doc.SetLayerPenFg(fix, colors::Green);
    doc.SetLayerPenWidth(fix, 2);
    EXPECT_EQ(doc.GetShapePenFg(a), colors::Green);
    EXPECT_EQ(doc.GetShapePenFg(b), colors::Green);
    EXPECT_EQ(doc.GetShapePenWidth(b), 2);
    EXPECT_EQ(doc.GetShapePenFg(c), colors::Black);
    EXPECT_EQ(doc.GetShapePenWidth(c), 1);
    // The brush colour is only a default for later shapes.
    doc.SetLayerBrushFg(fix, colors::Red);
    EXPECT_EQ(doc.GetShapeBrushFg(a), colors::White);
}

TEST(Layers, ShapeMovedToAnotherLayerFollowsThatLayersPen) {
    CanvasDocument doc;
    const int a = doc.LayerOpen(QStringLiteral("a"));
    const int b = doc.LayerOpen(QStringLiteral("b"));
    const auto id = doc.DrawPoint(0, 0, a);
    doc.ShapeToLayer(id, b);
    EXPECT_EQ(doc.GetShapeOnLayer(id), b);
    doc.SetLayerPenFg(a, colors::Red);
    EXPECT_EQ(doc.GetShapePenFg(id), colors::Black);
    doc.SetLayerPenFg(b, colors::Blue);
    EXPECT_EQ(doc.GetShapePenFg(id), colors::Blue);
    // A layer id that does not exist is accepted.
    doc.ShapeToLayer(id, 77);
    EXPECT_EQ(doc.GetShapeOnLayer(id), 77);
}

TEST(Layers, CreationOnMissingLayerFallsBackToDefault) {
    CanvasDocument doc;
    doc.LayerOpen(QStringLiteral("other"));
    doc.SetLayerPenFg(0, colors::Navy);
    const auto id = doc.DrawLine(0, 0, 10, 10, 99);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(doc.GetShapeOnLayer(id), 0);
    EXPECT_EQ(doc.GetShapePenFg(id), colors::Navy);
    EXPECT_EQ(doc.CurrentLayer, 0);  // the fallback opened "Default"
}

TEST(Layers, CreationOnAnExistingLayerKeepsTheCurrentLayer) {
    CanvasDocument doc;
    const int a = doc.LayerOpen(QStringLiteral("a"));
    doc.LayerOpen(QStringLiteral("b"));
    doc.DrawPoint(0, 0, a);
    EXPECT_EQ(doc.CurrentLayer, 2);
}

TEST(Layers, EachShapeKindTakesItsOwnLayerDefaults) {
    CanvasDocument doc;
    const int l = doc.LayerOpen(QStringLiteral("styled"));
    doc.SetLayerPenFg(l, 0x0000AA);
    doc.SetLayerPenWidth(l, 3);
    doc.SetLayerPenStyle(l, 2);
    doc.SetLayerBrushFg(l, 0x00BB00);
    doc.SetLayerBrushStyle(l, 0);

    const auto line = doc.DrawLine(0, 0, 1, 1, l);
    const auto circle = doc.DrawCircle(0, 0, 1, l);
    const auto rect = doc.DrawRectangle(0, 0, 1, 1, l);
    const auto point = doc.DrawPoint(0, 0, l);
    const auto ellipse = doc.DrawTwoPointEllipse(0, 0, 2, 1, l);
    const auto arc = doc.DrawThreePointArc(0, 0, 1, 1, 2, 0, l);
    const auto poly = doc.DrawPolyline({{0, 0}, {1, 0}, {1, 1}}, l, true);
    const auto text = doc.TextAdd(l, QStringLiteral("T"), 0, 0, 0);

    for (auto id : {line, circle, rect, point, ellipse, arc, poly}) {
        EXPECT_EQ(doc.GetShapePenFg(id), 0x0000AAu) << id;
        EXPECT_EQ(doc.GetShapePenWidth(id), 3) << id;
    }
    // Brush from the layer: circle, rectangle, polyline.
    for (auto id : {circle, rect, poly}) {
        EXPECT_EQ(doc.GetShapeBrushFg(id), 0x00BB00u) << id;
        EXPECT_EQ(doc.GetShapeBrushStyle(id), 0) << id;
    }
    for (auto id : {line, point, ellipse, arc, text}) {
        EXPECT_EQ(doc.GetShapeBrushFg(id), 0xFFFFFFu) << id;
        EXPECT_EQ(doc.GetShapeBrushStyle(id), 1) << id;
    }
    // Pen style from the layer: the polyline only.
    EXPECT_EQ(doc.GetShapePenStyle(poly), 2);
    EXPECT_EQ(doc.GetShapePenStyle(line), 0);
    // A text takes only the pen colour.
    EXPECT_EQ(doc.GetShapePenFg(text), 0x0000AAu);
    EXPECT_EQ(doc.GetShapePenWidth(text), 1);

    EXPECT_EQ(doc.GetShapeType(line), 3);
    EXPECT_EQ(doc.GetShapeType(circle), 19);
    EXPECT_EQ(doc.GetShapeType(rect), 1);
    EXPECT_EQ(doc.GetShapeType(point), 17);
    EXPECT_EQ(doc.GetShapeType(ellipse), 20);
    EXPECT_EQ(doc.GetShapeType(arc), 10);
    EXPECT_EQ(doc.GetShapeType(poly), 6);
    EXPECT_EQ(doc.GetShapeType(text), 11);
    EXPECT_EQ(doc.GetShapeType(doc.DrawPolyline({}, l, false)), 5);

    const auto* r = static_cast<const TNRectangle*>(doc.FindShape(rect));
    EXPECT_FALSE(r->Rounded);
    EXPECT_DOUBLE_EQ(r->CornerRadius, 10.0);
    EXPECT_DOUBLE_EQ(r->Z, 0.0);
    const auto* p = static_cast<const TNPoint*>(doc.FindShape(point));
    EXPECT_EQ(p->Size, 3);
    EXPECT_TRUE(static_cast<const TNPolyline*>(doc.FindShape(poly))->Closed);
}

TEST(Layers, NewShapeHasTheBaseDefaults) {
    CanvasDocument doc;
    const auto id = doc.DrawPoint(0, 0, 0);
    const TNShape* s = doc.FindShape(id);
    EXPECT_TRUE(s->Visible);
    EXPECT_FALSE(s->Selected());
    EXPECT_EQ(s->PenStyle, 0);
    EXPECT_EQ(s->BrushBg(), 0xFFFFFFu);
    EXPECT_EQ(doc.GetShapeBrushMode(id), 0);
    EXPECT_EQ(doc.GetShapeZOrder(id), 0);
    EXPECT_TRUE(doc.GetShapeNotes(id).isEmpty());
    EXPECT_TRUE(doc.GetShapeText(id).isEmpty());
}

TEST(Layers, LayerCopyMovesShapesOnlyInModeOne) {
    CanvasDocument doc;
    const int a = doc.LayerOpen(QStringLiteral("a"));
    const int b = doc.LayerOpen(QStringLiteral("b"));
    const auto s1 = doc.DrawPoint(0, 0, a);
    const auto s2 = doc.DrawPoint(0, 0, a);
    doc.LayerCopy(a, b, 0);
    EXPECT_EQ(doc.GetShapeOnLayer(s1), a);
    doc.LayerCopy(a, b, 2);
    EXPECT_EQ(doc.GetShapeOnLayer(s2), a);
    doc.LayerCopy(a, a, 1);
    EXPECT_EQ(doc.GetShapeOnLayer(s1), a);
    doc.LayerCopy(a, b, 1);
    EXPECT_EQ(doc.GetShapeOnLayer(s1), b);
    EXPECT_EQ(doc.GetShapeOnLayer(s2), b);
    EXPECT_EQ(doc.ShapeCount(), 2);  // moved, not duplicated
    // The moved shapes now belong to b for layer-wide operations.
    doc.CadClearShapes(a);
    EXPECT_EQ(doc.ShapeCount(), 2);
    doc.CadClearShapes(b);
    EXPECT_EQ(doc.ShapeCount(), 0);
}

TEST(Fonts, DescriptionGivesNameSizeAndStyles) {
    CanvasDocument doc;
    EXPECT_EQ(doc.FontOpen(QStringLiteral("Arial,12,BI")), 1);
    EXPECT_EQ(doc.CurrentFont, 1);
    const TNFont& f = doc.Fonts()[1];
    EXPECT_EQ(f.Name, QStringLiteral("Arial"));
    EXPECT_EQ(f.Size, 12);
    EXPECT_TRUE(f.Bold);
    EXPECT_TRUE(f.Italic);

    doc.FontOpen(QStringLiteral("txt"));
    EXPECT_EQ(doc.Fonts()[2].Name, QStringLiteral("Arial"));
    EXPECT_EQ(doc.Fonts()[2].Size, 10);
    EXPECT_FALSE(doc.Fonts()[2].Bold);

    doc.FontOpen(QStringLiteral("Courier,big"));
    EXPECT_EQ(doc.Fonts()[3].Name, QStringLiteral("Courier"));
    EXPECT_EQ(doc.Fonts()[3].Size, 10);

    doc.FontOpen(QStringLiteral("Tahoma,8,i"));
    EXPECT_FALSE(doc.Fonts()[4].Bold);
    EXPECT_TRUE(doc.Fonts()[4].Italic);

    doc.FontOpen(QStringLiteral("Tahoma,,b"));
    EXPECT_EQ(doc.Fonts()[5].Size, 10);
    EXPECT_TRUE(doc.Fonts()[5].Bold);

    // Equal entries are added again.
    EXPECT_EQ(doc.FontOpen(QStringLiteral("Arial,12,BI")), 6);
    EXPECT_EQ(doc.Fonts().size(), 7u);
}

TEST(Texts, ValidFontIndexGivesFontAndHeight) {
    CanvasDocument doc;
    const int font = doc.FontOpen(QStringLiteral("Consolas,14,B"));
    const auto id = doc.TextAdd(0, QStringLiteral("Buoy 7"), 5, 6, font);
    const auto* t = static_cast<const TNText*>(doc.FindShape(id));
    EXPECT_EQ(t->String, QStringLiteral("Buoy 7"));
    EXPECT_EQ(doc.GetShapeText(id), QStringLiteral("Buoy 7"));
    EXPECT_EQ(t->FontIndex, font);
    EXPECT_EQ(t->FontName, QStringLiteral("Consolas"));
    EXPECT_DOUBLE_EQ(t->Height, 14.0);
    EXPECT_TRUE(t->Bold);
    EXPECT_FALSE(t->Italic);
    EXPECT_DOUBLE_EQ(t->Angle, 0.0);
    EXPECT_DOUBLE_EQ(t->x, 5.0);
    EXPECT_DOUBLE_EQ(t->y, 6.0);
}

TEST(Texts, InvalidFontIndexLeavesNoFontNameAndHeightTen) {
    CanvasDocument doc;
    for (int index : {-1, 1, 1000}) {
        const auto id = doc.TextAdd(0, QStringLiteral("x"), 0, 0, index);
        const auto* t = static_cast<const TNText*>(doc.FindShape(id));
        EXPECT_TRUE(t->FontName.isEmpty()) << index;
        EXPECT_DOUBLE_EQ(t->Height, 10.0) << index;
    }
}

TEST(Texts, AlignmentComesFromTheDocumentDefaults) {
    CanvasDocument doc;
    doc.TextHAlignDefault = 1;
    doc.TextVAlignDefault = 2;
    const auto centred = doc.TextAdd(0, QStringLiteral("a"), 0, 0, 0);
    doc.CadFontBehaviorReset();
    const auto plain = doc.TextAdd(0, QStringLiteral("b"), 0, 0, 0);
    EXPECT_EQ(static_cast<const TNText*>(doc.FindShape(centred))->HAlign, 1);
    EXPECT_EQ(static_cast<const TNText*>(doc.FindShape(centred))->VAlign, 2);
    EXPECT_EQ(static_cast<const TNText*>(doc.FindShape(plain))->HAlign, 0);
    EXPECT_EQ(static_cast<const TNText*>(doc.FindShape(plain))->VAlign, 0);
}

TEST(ShapeProperties, LabelTextIsNotTheDrawnString) {
    CanvasDocument doc;
    const auto id = doc.TextAdd(0, QStringLiteral("drawn"), 0, 0, 0);
    doc.SetShapeText(id, QStringLiteral("label"));
    EXPECT_EQ(doc.GetShapeText(id), QStringLiteral("label"));
    EXPECT_EQ(static_cast<const TNText*>(doc.FindShape(id))->String, QStringLiteral("drawn"));
}

TEST(ShapeProperties, UnknownIdsGiveDefaultsAndChangeNothing) {
    CanvasDocument doc;
    const auto id = doc.DrawPoint(0, 0, 0);
    const std::int32_t unknown = id + 1;
    doc.SetShapePenFg(unknown, 1);
    doc.SetShapeText(unknown, QStringLiteral("x"));
    doc.SetShapeBrushStyle(unknown, 5);
    EXPECT_EQ(doc.GetShapeType(unknown), 0);
    EXPECT_EQ(doc.GetShapeOnLayer(unknown), -1);
    EXPECT_FALSE(doc.GetShapeIsSelected(unknown));
    EXPECT_EQ(doc.GetShapePenFg(unknown), 0u);
    EXPECT_EQ(doc.GetShapePenWidth(unknown), 1);
    EXPECT_EQ(doc.GetShapePenStyle(unknown), 0);
    EXPECT_EQ(doc.GetShapeBrushFg(unknown), 0xFFFFFFu);
    EXPECT_EQ(doc.GetShapeBrushStyle(unknown), 0);  // 0 here, 1 for a layer
    EXPECT_EQ(doc.GetShapeBrushMode(unknown), 0);
    EXPECT_TRUE(doc.GetShapeText(unknown).isEmpty());
    EXPECT_TRUE(doc.GetShapeNotes(unknown).isEmpty());
    EXPECT_EQ(doc.GetShapeZOrder(unknown), 0);
    EXPECT_EQ(doc.ShapeCount(), 1);
    EXPECT_EQ(doc.NextShapeId(), unknown);  // no id was used up
}

TEST(ShapeProperties, NotesDoNotDirtyThePictureButStylesDo) {
    CanvasDocument doc;
    const auto id = doc.DrawPoint(0, 0, 0);
    doc.Dirty = false;
    doc.SetShapeNotes(id, QStringLiteral("n"));
    EXPECT_FALSE(doc.Dirty);
    doc.SetShapeZOrder(id, 3);
    EXPECT_TRUE(doc.Dirty);
}

TEST(InterfaceCompleters, DoNothingAndReportFailure) {
    CanvasDocument doc;
    EXPECT_EQ(doc.ShapeAdd(1, 2), -1);
    EXPECT_EQ(doc.ShapeCount(), 0);
    EXPECT_FALSE(doc.MetafileSave(QStringLiteral("x.emf")));
    EXPECT_FALSE(doc.MetafileToClipboard());
    EXPECT_FALSE(doc.ViewDialogShow(0, 0));
}

}  // namespace
}  // namespace nivora
