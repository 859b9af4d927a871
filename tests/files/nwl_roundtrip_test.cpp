// A drawing saved and read back is the same drawing, field by field, for
// every field the layout file keeps, in both container forms.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "canvas/canvas_document.h"
#include "files/layout_files.h"
#include "files/nwl_file.h"
#include "tests/files/files_test_support.h"
#include "tests/support/test_support.h"

namespace nivora {
namespace {

using test::shapesOf;

// Values with at most six decimals, as the file keeps them; northings of a
// real grid included.
void fill(CanvasDocument& doc) {
    doc.View.WorldSet(512345.25, 4501234.5, 513000.125, 4500000.75);
    const int track = doc.LayerOpen(QStringLiteral("track_fix"));
    const int chart = doc.LayerOpen(QStringLiteral("Harbour plan 2026"));
    const int depth = doc.LayerOpen(QStringLiteral("Tiefe ä/ø"));
    doc.SetLayerPenFg(chart, 0x0000FF);

    const auto line = doc.DrawLine(512400.123456, 4500100.5, 512410.0, 4500110.000001, chart);
    doc.SetShapePenWidth(line, 3);
    doc.SetShapePenFg(line, 0x00FF00);
    const auto circle = doc.DrawCircle(512500.5, 4500200.25, 12.5, depth);
    doc.SetShapePenFg(circle, 0x808080);
    doc.SetShapePenWidth(circle, 2);
    for (int i = 0; i < 3; ++i) {
        auto p = std::make_unique<TNPoint>(512600.0 + i, 4500300.0 - i * 0.5);
        p->PenFg = 0x0000FF + static_cast<TColor>(i);
        p->PenWidth = 1 + i;
        p->Z = -3.125 * i;
        doc.AddShape(std::move(p), track);
    }
    const auto text =
        doc.TextAdd(chart, QStringLiteral(" Pier 4 — 12,5 m "), 512700.75, 4500400.5, 0);
    auto* t = static_cast<TNText*>(doc.FindShape(text));
    t->PenFg = 0x112233;
    t->Height = 4.5;
    t->Angle = -30.25;
    t->Bold = true;
    t->Italic = true;
    t->FontName = QStringLiteral("Segoe UI");
    auto r = std::make_unique<TNRectangle>(512800.0, 4500500.0, 512805.0, 4500505.5);
    r->PenFg = 0x0000FF;
    r->PenWidth = 2;
    r->BrushFg = 0x00FFFF;
    r->BrushStyle = 6;
    r->Z = 17.75;
    doc.AddShape(std::move(r), depth);
    const auto ellipse = doc.DrawTwoPointEllipse(512900.0, 4500600.0, 512910.0, 4500604.0, chart);
    doc.SetShapePenFg(ellipse, 0xABCDEF);
    const auto poly = doc.DrawPolyline(
        {{512000.5, 4500000.25}, {512001.5, 4500002.5}, {512003.0, 4500001.0}}, track, false);
    doc.SetShapePenFg(poly, 0x00AA00);
    doc.SetShapePenWidth(poly, 4);
    const auto polygon = doc.DrawPolyline({{1, 1}, {2, 1}, {2, 2}, {1, 2}}, chart, true);
    doc.SetShapePenFg(polygon, 0xFF0000);
    auto curve = std::make_unique<TNPolyline>(shape_type::Curve, false);
    curve->Points = {{0, 0}, {5, 5}, {10, 0}, {15, 5}};
    curve->PenFg = 0x010203;
    doc.AddShape(std::move(curve), chart);
    auto arc3 = std::make_unique<TNPolyline>(shape_type::Arc, false);
    arc3->Points = {{0, 0}, {1, 1}, {2, 0}};
    arc3->PenFg = 0x040506;
    doc.AddShape(std::move(arc3), chart);
    const auto arc = doc.DrawThreePointArc(10, 10, 11, 11, 12, 10, depth);
    doc.SetShapePenFg(arc, 0x070809);
    doc.SetShapePenWidth(arc, 6);
    auto empty = std::make_unique<TNPolyline>(shape_type::Polyline, false);
    empty->PenFg = 0x0A0B0C;
    doc.AddShape(std::move(empty), track);
}

void expectSameBase(const TNShape& a, const TNShape& b) {
    EXPECT_EQ(a.Id(), b.Id());
    EXPECT_EQ(a.Class(), b.Class());
    EXPECT_EQ(a.ShapeType(), b.ShapeType());
    EXPECT_EQ(a.Layer(), b.Layer());
    EXPECT_EQ(a.PenFg, b.PenFg);
    EXPECT_EQ(a.PenWidth, b.PenWidth);
}

void expectSame(const CanvasDocument& a, const CanvasDocument& b) {
    EXPECT_EQ(a.View.WorldLeft, b.View.WorldLeft);
    EXPECT_EQ(a.View.WorldRight, b.View.WorldRight);
    EXPECT_EQ(a.View.WorldBottom, b.View.WorldBottom);
    EXPECT_EQ(a.View.WorldTop, b.View.WorldTop);
    ASSERT_EQ(a.Layers().size(), b.Layers().size());
    for (std::size_t i = 0; i < a.Layers().size(); ++i) {
        EXPECT_EQ(a.Layers()[i]->Id(), b.Layers()[i]->Id());
        EXPECT_EQ(a.Layers()[i]->Name(), b.Layers()[i]->Name());
    }
    const auto sa = shapesOf(a);
    const auto sb = shapesOf(b);
    ASSERT_EQ(sa.size(), sb.size());
    for (std::size_t i = 0; i < sa.size(); ++i) {
        SCOPED_TRACE(i);
        expectSameBase(*sa[i], *sb[i]);
        switch (sa[i]->Class()) {
            case ShapeClass::Line: {
                const auto &x = test::as<TNLine>(sa[i]), &y = test::as<TNLine>(sb[i]);
                EXPECT_EQ(x.x1, y.x1);
                EXPECT_EQ(x.y1, y.y1);
                EXPECT_EQ(x.x2, y.x2);
                EXPECT_EQ(x.y2, y.y2);
                break;
            }
            case ShapeClass::Circle: {
                const auto &x = test::as<TNCircle>(sa[i]), &y = test::as<TNCircle>(sb[i]);
                EXPECT_EQ(x.cx, y.cx);
                EXPECT_EQ(x.cy, y.cy);
                EXPECT_EQ(x.radius, y.radius);
                break;
            }
            case ShapeClass::Point: {
                const auto &x = test::as<TNPoint>(sa[i]), &y = test::as<TNPoint>(sb[i]);
                EXPECT_EQ(x.x, y.x);
                EXPECT_EQ(x.y, y.y);
                EXPECT_EQ(x.Z, y.Z);
                EXPECT_EQ(x.Size, y.Size);
                break;
            }
            case ShapeClass::Text: {
                const auto &x = test::as<TNText>(sa[i]), &y = test::as<TNText>(sb[i]);
                EXPECT_EQ(x.x, y.x);
                EXPECT_EQ(x.y, y.y);
                EXPECT_EQ(x.String, y.String);
                EXPECT_EQ(x.Text(), y.Text());
                EXPECT_EQ(x.FontIndex, y.FontIndex);
                EXPECT_EQ(x.Height, y.Height);
                EXPECT_EQ(x.Angle, y.Angle);
                EXPECT_EQ(x.Bold, y.Bold);
                EXPECT_EQ(x.Italic, y.Italic);
                EXPECT_EQ(x.FontName, y.FontName);
                break;
            }
            case ShapeClass::Rectangle: {
                const auto &x = test::as<TNRectangle>(sa[i]), &y = test::as<TNRectangle>(sb[i]);
                EXPECT_EQ(x.x1, y.x1);
                EXPECT_EQ(x.y1, y.y1);
                EXPECT_EQ(x.x2, y.x2);
                EXPECT_EQ(x.y2, y.y2);
                EXPECT_EQ(x.BrushFg, y.BrushFg);
                EXPECT_EQ(x.BrushStyle, y.BrushStyle);
                EXPECT_EQ(x.Z, y.Z);
                break;
            }
            case ShapeClass::Ellipse: {
                const auto &x = test::as<TNEllipse>(sa[i]), &y = test::as<TNEllipse>(sb[i]);
                EXPECT_EQ(x.x1, y.x1);
                EXPECT_EQ(x.y1, y.y1);
                EXPECT_EQ(x.x2, y.x2);
                EXPECT_EQ(x.y2, y.y2);
                break;
            }
            case ShapeClass::Arc: {
                const auto &x = test::as<TNArc>(sa[i]), &y = test::as<TNArc>(sb[i]);
                EXPECT_EQ(x.x1, y.x1);
                EXPECT_EQ(x.y1, y.y1);
                EXPECT_EQ(x.x2, y.x2);
                EXPECT_EQ(x.y2, y.y2);
                EXPECT_EQ(x.x3, y.x3);
                EXPECT_EQ(x.y3, y.y3);
                break;
            }
            case ShapeClass::Polyline: {
                const auto &x = test::as<TNPolyline>(sa[i]), &y = test::as<TNPolyline>(sb[i]);
                EXPECT_EQ(x.Closed, y.Closed);
                EXPECT_EQ(x.Points, y.Points);
                break;
            }
        }
    }
}

class NwlRoundTrip : public ::testing::TestWithParam<NwlWriter::Container> {};

TEST_P(NwlRoundTrip, EveryStoredFieldSurvives) {
    CanvasDocument original;
    fill(original);
    NwlWriter writer(GetParam());
    const QByteArray file = test::writeTo(writer, original);
    CanvasDocument back;
    back.DrawLine(0, 0, 1, 1, 0);  // replaced by the load
    ASSERT_TRUE(test::loadNwl(file, back));
    expectSame(original, back);
    // And once more: a saved copy of the copy is the same file body.
    EXPECT_EQ(NwlWriter::body(original, QDateTime()), NwlWriter::body(back, QDateTime()));
}

INSTANTIATE_TEST_SUITE_P(Containers, NwlRoundTrip,
                         ::testing::Values(NwlWriter::Container::Compressed,
                                           NwlWriter::Container::PlainText));

TEST(CadSave, ThroughAFileKeepsTheDrawing) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("layout.nwl"));
    CanvasDocument original;
    fill(original);
    ASSERT_TRUE(CadSave(original, path));
    EXPECT_EQ(test::readFile(path).left(4), QByteArray("NWL1"));
    CanvasDocument back;
    ASSERT_TRUE(CadLoad(back, path, -1, -1, 0));
    expectSame(original, back);
}

// The only shape is a three-point arc: it is kept as an ARC record.
TEST(CadSave, ArcsAreKept) {
    CanvasDocument original;
    original.DrawThreePointArc(0, 0, 5, 5, 10, 0, 0);
    const std::string body = NwlWriter::body(original, QDateTime());
    EXPECT_NE(body.find("\nARC 0.000000 0.000000 5.000000 5.000000 10.000000 0.000000 0 0 1\n"),
              std::string::npos);
    CanvasDocument back;
    ASSERT_TRUE(test::loadNwl(test::bytesOf(body), back));
    expectSame(original, back);
}

}  // namespace
}  // namespace nivora
