// How the layout file reader builds the drawing from each record, and how
// it treats damaged files.

#include <gtest/gtest.h>
#include <zlib.h>

#include <QTemporaryDir>

#include "canvas/canvas_document.h"
#include "files/layout_files.h"
#include "files/nwl_file.h"
#include "files/zlib_stream.h"
#include "tests/files/files_test_support.h"
#include "tests/support/test_support.h"

namespace nivora {
namespace {

using test::as;
using test::loadNwl;
using test::shapesOf;

QByteArray compressed(const QByteArray& body) {
    QByteArray out(static_cast<qsizetype>(compressBound(static_cast<uLong>(body.size()))), '\0');
    uLongf size = static_cast<uLongf>(out.size());
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(body.constData()), static_cast<uLong>(body.size()),
              Z_DEFAULT_COMPRESSION);
    out.resize(static_cast<qsizetype>(size));
    return QByteArray("NWL1") + out;
}

TEST(NwlReader, ColourZeroKeepsTheCreationPenExceptForPointsAndRectangles) {
    CanvasDocument doc;
    ASSERT_TRUE(
        loadNwl("LAYER Default\nLAYER red\n"
                "LINE 0 0 1 1 1 0 7\n"
                "CIRCLE 0 0 1 1 0 7\n"
                "TEXT 0 0 1 0 0 2 0 0 0 Arial t\n"
                "POLYLINE 1 2 0 7\n0 0\n1 1\n"
                "ELLIPSE 0 0 1 1 1 0 7\n"
                "ARC 0 0 1 1 2 0 1 0 7\n"
                "POINT 0 0 1 0 7 0\n"
                "RECTANGLE 0 0 1 1 1 0 7 0 0 0\n",
                doc));
    const auto shapes = shapesOf(doc);
    ASSERT_EQ(shapes.size(), 8u);
    for (const TNShape* s : shapes)
        EXPECT_EQ(s->PenFg, 0u);
    // Canvas-made shapes (line, circle) kept the layer's width 1, not 7.
    EXPECT_EQ(shapes[0]->PenWidth, 1);
    EXPECT_EQ(shapes[1]->PenWidth, 1);
    EXPECT_EQ(shapes[3]->PenWidth, 1);  // polyline: width only with a colour
    EXPECT_EQ(shapes[4]->PenWidth, 1);
    EXPECT_EQ(shapes[5]->PenWidth, 1);
    EXPECT_EQ(shapes[6]->PenWidth, 7);  // point and rectangle take what is written
    EXPECT_EQ(shapes[7]->PenWidth, 7);
}

TEST(NwlReader, ColourZeroOnACanvasShapeTakesTheLayerPen) {
    CanvasDocument doc;
    doc.SetLayerPenFg(0, 0x123456);
    doc.SetLayerPenWidth(0, 4);
    ASSERT_TRUE(loadNwl("LINE 0 0 1 1 0 0 9\nLINE 0 0 1 1 0 255 9\n", doc, true));
    const auto shapes = shapesOf(doc);
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(shapes[0]->PenFg, 0x123456u);
    EXPECT_EQ(shapes[0]->PenWidth, 4);
    EXPECT_EQ(shapes[1]->PenFg, 255u);
    EXPECT_EQ(shapes[1]->PenWidth, 9);
}

TEST(NwlReader, TextRecordFields) {
    CanvasDocument doc;
    doc.FontOpen(QStringLiteral("Courier,14,B"));
    ASSERT_TRUE(
        loadNwl("TEXT 1.5 2.5 0 1 255 3.25 45 1 0 0  leading blank\n"
                "TEXT 0 0 0 1 0 4 0 0 1 Tahoma Depth 12 m\n"
                "TEXT 9 9 0 0\n",
                doc, true));
    const auto shapes = shapesOf(doc);
    ASSERT_EQ(shapes.size(), 3u);
    const auto& a = as<TNText>(shapes[0]);
    EXPECT_EQ(a.x, 1.5);
    EXPECT_EQ(a.FontIndex, 1);
    EXPECT_EQ(a.FontName, QStringLiteral("Courier"));  // "0": the font table's name stays
    EXPECT_EQ(a.PenFg, 255u);
    EXPECT_EQ(a.Height, 3.25);
    EXPECT_EQ(a.Angle, 45.0);
    EXPECT_TRUE(a.Bold);
    EXPECT_FALSE(a.Italic);
    EXPECT_EQ(a.String, QStringLiteral(" leading blank"));  // only the separator goes
    EXPECT_EQ(a.Text(), a.String);
    const auto& b = as<TNText>(shapes[1]);
    EXPECT_EQ(b.FontName, QStringLiteral("Tahoma"));
    EXPECT_EQ(b.String, QStringLiteral("Depth 12 m"));
    EXPECT_TRUE(b.Italic);
    EXPECT_FALSE(b.Bold);  // the record's 0 overrides the bold font
    // A record cut short: height 10, no text, font from the table.
    const auto& c = as<TNText>(shapes[2]);
    EXPECT_EQ(c.Height, 10.0);
    EXPECT_EQ(c.String, QString());
    EXPECT_EQ(c.FontName, QStringLiteral("Arial"));
}

TEST(NwlReader, PolylineFamilyTypesAndVertexLines) {
    CanvasDocument doc;
    ASSERT_TRUE(
        loadNwl("POLYLINE 0 2 255 3\n1 2\n3 4\n"
                "POLYGON 0 0 0 1\n"
                "SPLINE 0 1 0 1\n5 6\n"
                "ARC3P 0 3 0 1\n0 0\n# read as a vertex, not a comment\n2 0\n"
                "LINE 0 0 1 1 0 0 1\n",
                doc));
    const auto shapes = shapesOf(doc);
    ASSERT_EQ(shapes.size(), 5u);
    const auto& open = as<TNPolyline>(shapes[0]);
    EXPECT_EQ(open.ShapeType(), 5);
    EXPECT_FALSE(open.Closed);
    ASSERT_EQ(open.Points.size(), 2u);
    EXPECT_EQ(open.Points[1], QPointF(3, 4));
    EXPECT_EQ(open.PenFg, 255u);
    EXPECT_EQ(open.PenWidth, 3);
    const auto& polygon = as<TNPolyline>(shapes[1]);
    EXPECT_EQ(polygon.ShapeType(), 6);
    EXPECT_TRUE(polygon.Closed);
    EXPECT_TRUE(polygon.Points.empty());  // count 0 takes no line
    EXPECT_EQ(shapes[2]->ShapeType(), 8);
    const auto& arc = as<TNPolyline>(shapes[3]);
    EXPECT_EQ(arc.ShapeType(), 10);
    ASSERT_EQ(arc.Points.size(), 3u);
    EXPECT_EQ(arc.Points[1], QPointF(0, 0));
    EXPECT_EQ(arc.Points[2], QPointF(2, 0));
    EXPECT_EQ(shapes[4]->ShapeType(), 3);
}

TEST(NwlReader, RectangleEllipseArcAndPointRecords) {
    CanvasDocument doc;
    ASSERT_TRUE(
        loadNwl("RECTANGLE 0 0 10 5 3 255 2 65280 0 -7.5\n"
                "ELLIPSE 1 2 3 4 0 16 2\n"
                "ARC 0 0 1 1 2 0 0 32 5\n"
                "POINT 4 5 2 0 1 12.25\n",
                doc));
    const auto shapes = shapesOf(doc);
    ASSERT_EQ(shapes.size(), 4u);
    const auto& r = as<TNRectangle>(shapes[0]);
    EXPECT_EQ(r.Layer(), 3);  // kept as written though no such layer exists
    EXPECT_EQ(r.BrushFg, 65280u);
    EXPECT_EQ(r.BrushStyle, 0);
    EXPECT_EQ(r.Z, -7.5);
    EXPECT_FALSE(r.Rounded);
    EXPECT_EQ(r.CornerRadius, 10.0);
    EXPECT_EQ(shapes[1]->ShapeType(), 20);
    EXPECT_EQ(shapes[1]->PenFg, 16u);
    EXPECT_EQ(shapes[2]->Class(), ShapeClass::Arc);
    EXPECT_EQ(shapes[2]->PenWidth, 5);
    const auto& p = as<TNPoint>(shapes[3]);
    EXPECT_EQ(p.Z, 12.25);
    EXPECT_EQ(p.Size, 3);
    EXPECT_EQ(p.PenFg, 0u);
    EXPECT_EQ(p.Layer(), 2);
}

TEST(NwlReader, LineAndTextOnAMissingLayerGoToDefault) {
    CanvasDocument doc;
    ASSERT_TRUE(
        loadNwl("LINE 0 0 1 1 42 0 1\nTEXT 0 0 42 0 0 1 0 0 0 0 x\nCIRCLE 0 0 1 42 0 1\n", doc));
    for (const TNShape* s : shapesOf(doc))
        EXPECT_EQ(s->Layer(), 0);
}

TEST(NwlReader, WorldRecordSetsTheViewWindow) {
    CanvasDocument doc;
    ASSERT_TRUE(loadNwl("WORLD 100.5 900 -20 480.25\n", doc));
    EXPECT_EQ(doc.View.WorldLeft, 100.5);
    EXPECT_EQ(doc.View.WorldRight, 900.0);
    EXPECT_EQ(doc.View.WorldBottom, -20.0);
    EXPECT_EQ(doc.View.WorldTop, 480.25);
}

TEST(NwlReader, ReplaceModeResetsLayersAndIds) {
    CanvasDocument doc;
    doc.LayerOpen(QStringLiteral("old"));
    for (int i = 0; i < 5; ++i)
        doc.DrawLine(0, 0, 1, 1, 1);
    ASSERT_TRUE(loadNwl("LAYER Default\nLAYER new one\nLINE 0 0 1 1 1 0 1\n", doc));
    ASSERT_EQ(doc.Layers().size(), 2u);
    EXPECT_EQ(doc.Layers()[1]->Name(), QStringLiteral("new one"));
    ASSERT_EQ(doc.ShapeCount(), 1);
    EXPECT_EQ(shapesOf(doc)[0]->Id(), 1);
    EXPECT_EQ(doc.DrawLine(0, 0, 1, 1, 0), 2);
    EXPECT_TRUE(doc.Dirty);
}

// Added to a drawing, a file's shapes stay on the layers of their names (they
// went to the drawing's layer of the same id: run lines onto a chart's coastline).
TEST(NwlReader, AppendModeGivesNewLayersTheNextIdsAndShapesFollowTheirLayer) {
    CanvasDocument doc;
    doc.LayerOpen(QStringLiteral("a"));
    doc.LayerOpen(QStringLiteral("b"));
    doc.DrawLine(0, 0, 1, 1, 2);
    ASSERT_TRUE(
        loadNwl("LAYER Default\nLAYER x\nLAYER a\nPOINT 0 0 1 0 1 0\nLINE 0 0 1 1 2 0 1\nLINE 0 0 "
                "1 1 7 0 1\n",
                doc, true));
    ASSERT_EQ(doc.Layers().size(), 4u);
    EXPECT_EQ(doc.LayerFindByName(QStringLiteral("x")), 3);
    EXPECT_EQ(doc.LayerFindByName(QStringLiteral("a")), 1);
    const auto shapes = shapesOf(doc);
    ASSERT_EQ(shapes.size(), 4u);
    EXPECT_EQ(shapes[0]->Layer(), 2) << "the drawing's own shape is where it was";
    EXPECT_EQ(shapes[1]->Layer(), 3) << "the file's layer 1 is x";
    EXPECT_EQ(shapes[1]->Id(), 2);
    EXPECT_EQ(shapes[2]->Layer(), 1) << "the file's layer 2 is a";
    EXPECT_EQ(shapes[3]->Layer(), 0) << "a line on no layer goes to Default";
}

TEST(NwlReader, CommentsUnknownKeywordsAndLowerCaseAreIgnored) {
    CanvasDocument doc;
    // A plain layout must open with a known record; the ones after it may be anything.
    ASSERT_TRUE(loadNwl(
        "# LINE 0 0 1 1 0 0 1\n\nLAYER Default\nline 0 0 1 1 0 0 1\nHATCH 1 2 3\nLINE\n", doc));
    ASSERT_EQ(doc.ShapeCount(), 1);  // the bare "LINE" record, all fields missing
    const auto& l = as<TNLine>(shapesOf(doc)[0]);
    EXPECT_EQ(l.x1, 0.0);
    EXPECT_EQ(l.y2, 0.0);
}

TEST(NwlReader, AFieldThatDoesNotParseStopsTheRestOfTheLine) {
    CanvasDocument doc;
    ASSERT_TRUE(loadNwl("RECTANGLE 1 2 3 4 0 255 2 x 0 9\nPOINT 1 2 0 255 2.5 7\n", doc));
    const auto shapes = shapesOf(doc);
    ASSERT_EQ(shapes.size(), 2u);
    const auto& r = as<TNRectangle>(shapes[0]);
    EXPECT_EQ(r.PenWidth, 2);
    EXPECT_EQ(r.BrushFg, 0u);  // defaults from the bad field on
    EXPECT_EQ(r.Z, 0.0);
    const auto& p = as<TNPoint>(shapes[1]);
    EXPECT_EQ(p.PenWidth, 1);
    EXPECT_EQ(p.Z, 0.0);
}

// A cut-off file: the declared vertex count is larger than what follows.
TEST(NwlReader, VertexCountBeyondTheDataStopsAtTheEnd) {
    CanvasDocument doc;
    NwlReader reader(false);
    ASSERT_TRUE(test::readFrom(reader, "LAYER Default\nPOLYLINE 0 2000000000 255 1\n1 2\n3", doc));
    ASSERT_EQ(doc.ShapeCount(), 1);
    const auto& p = as<TNPolyline>(shapesOf(doc)[0]);
    ASSERT_EQ(p.Points.size(), 2u);
    EXPECT_EQ(p.Points[1], QPointF(3, 0));  // the missing y reads as 0
    EXPECT_FALSE(reader.report().warning.isEmpty());
    EXPECT_EQ(reader.report().line, 4);
}

TEST(NwlReader, WindowsLineEndsReadTheSame) {
    CanvasDocument doc;
    ASSERT_TRUE(
        loadNwl("LAYER Default\r\nLAYER Chart\r\nTEXT 0 0 1 0 5 2 0 0 0 Arial hi\r\nPOLYLINE 1 1 5 "
                "1\r\n1 2\r\n",
                doc));
    EXPECT_EQ(doc.LayerFindByName(QStringLiteral("Chart")), 1);
    const auto shapes = shapesOf(doc);
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(as<TNText>(shapes[0]).String, QStringLiteral("hi"));
    EXPECT_EQ(as<TNPolyline>(shapes[1]).Points[0], QPointF(1, 2));
}

TEST(NwlReader, PlainAndCompressedBodiesGiveTheSameDrawing) {
    const QByteArray body =
        "WORLD 0 10 0 10\nLAYER Default\nLINE 1 2 3 4 0 255 1\nPOLYGON 0 2 0 1\n1 1\n2 2\n";
    CanvasDocument plain, packed;
    ASSERT_TRUE(loadNwl(body, plain));
    ASSERT_TRUE(loadNwl(compressed(body), packed));
    EXPECT_EQ(NwlWriter::body(plain, QDateTime()), NwlWriter::body(packed, QDateTime()));
    EXPECT_EQ(packed.ShapeCount(), 2);
}

// A drawing with a shape on a second layer, to see that a refused load leaves it.
void operatorsDrawing(CanvasDocument& doc) {
    doc.DrawLine(0, 0, 5, 5, doc.LayerOpen(QStringLiteral("Chart")));
}

void expectOperatorsDrawing(const CanvasDocument& doc) {
    EXPECT_EQ(doc.ShapeCount(), 1);
    EXPECT_EQ(doc.Layers().size(), 2u);
    EXPECT_EQ(doc.NextShapeId(), 2);
}

// Such files used to load as an empty drawing and report success; in
// replace mode that cleared the operator's drawing.
TEST(NwlReader, FilesThatAreNotLayoutsAreRefusedInReplaceMode) {
    const QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10", 20);
    const QByteArray newer = "NWL2" + compressed("WORLD 0 1 0 1\n").mid(4);
    const QByteArray random("\x13\xf7\x02LINE 0 0 1 1\n\xe8", 17);
    for (const QByteArray& bad :
         {QByteArray(), QByteArray("NWL"), png, newer, random, QByteArray("# comments only\n\n#\n"),
          QByteArray("HELLO world\nLINE 0 0 1 1 0 0 1\n")}) {
        SCOPED_TRACE(bad.toHex().toStdString());
        CanvasDocument doc;
        operatorsDrawing(doc);
        NwlReader reader(false);
        EXPECT_FALSE(test::readFrom(reader, bad, doc));
        EXPECT_FALSE(reader.report().error.isEmpty());
        expectOperatorsDrawing(doc);
    }
    NwlReader reader(false);
    CanvasDocument doc;
    test::readFrom(reader, newer, doc);
    EXPECT_TRUE(reader.report().error.contains(QStringLiteral("newer format (NWL2)")))
        << reader.report().error.toStdString();
    // A plain layout may open with comments, blank lines and a blank before its first record.
    CanvasDocument plain;
    EXPECT_TRUE(loadNwl("# hand-made\n\n  CIRCLE 1 2 3 0 0 1\n", plain));
    EXPECT_EQ(plain.ShapeCount(), 1);
}

LoadBudget smallBudget(std::int64_t shapes, std::int64_t vertices, std::int64_t bytes = 1 << 30) {
    LoadBudget b;
    b.maxShapes = shapes;
    b.maxVertices = vertices;
    b.maxFileBytes = bytes;
    return b;
}

// A 145 KB layout used to inflate to 20 million shapes, a 1.5 MB one to an
// allocation of over 20 GB. The same kind of file, small, under a small budget.
TEST(NwlReader, LayoutBombsAreRefusedBeforeTheDrawingChanges) {
    QByteArray points = "LAYER Default\n";
    for (int i = 0; i < 999; ++i)
        points += "POINT 1 2 0 0 1 0\n";
    QByteArray vertices = "POLYLINE 0 2000000000 0 1\n";
    for (int i = 0; i < 1000; ++i)
        vertices += "0 0\n";
    struct Case {
        QByteArray file;
        LoadBudget budget;
        QString error;
    };
    const Case cases[] = {
        {compressed(points + "POINT 0 0 0 0 1 0\n"), smallBudget(1000, 1000),
         QStringLiteral("the drawing is too large: more than 1000 shapes")},
        {compressed(vertices + "0 0\n"), smallBudget(1000, 1000),
         QStringLiteral("the drawing is too large: more than 1000 polyline vertices")},
        {compressed(QByteArray(1 << 20, '\n') + "LINE\n"), smallBudget(1000, 1000, 64 << 10),
         QStringLiteral("the drawing is too large: it unpacks to more than 65536 bytes")},
        {points, smallBudget(1000, 1000, 1000), QStringLiteral("the file is too large")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error.toStdString());
        CanvasDocument doc;
        operatorsDrawing(doc);
        NwlReader reader(false);
        reader.setBudget(c.budget);
        EXPECT_FALSE(test::readFrom(reader, c.file, doc));
        EXPECT_TRUE(reader.report().error.startsWith(c.error))
            << reader.report().error.toStdString();
        expectOperatorsDrawing(doc);
    }
    // Exactly at the budget (the layer counts as a shape) the layout loads.
    for (const QByteArray& fits : {compressed(points), compressed(vertices)}) {
        CanvasDocument doc;
        NwlReader reader(false);
        reader.setBudget(smallBudget(1000, 1000));
        EXPECT_TRUE(test::readFrom(reader, fits, doc)) << reader.report().error.toStdString();
    }
}

TEST(NwlReader, CorruptOrTruncatedStreamsFailAndLeaveTheDrawing) {
    const QByteArray good = compressed(QByteArray("LAYER Default\n") + QByteArray(20000, 'x') +
                                       "\nLINE 0 0 1 1 0 0 1\n");
    QByteArray corrupt = good;
    corrupt[10] = static_cast<char>(corrupt[10] ^ 0x55);
    corrupt[11] = static_cast<char>(corrupt[11] ^ 0x55);
    const QByteArray truncated = good.left(good.size() - 6);
    const QByteArray badHeader = QByteArray("NWL1") + "not zlib at all";
    for (const QByteArray& bad : {corrupt, truncated, badHeader}) {
        CanvasDocument doc;
        doc.DrawLine(0, 0, 5, 5, 0);
        NwlReader reader(false);
        EXPECT_FALSE(test::readFrom(reader, bad, doc));
        EXPECT_FALSE(reader.report().error.isEmpty());
        EXPECT_EQ(doc.ShapeCount(), 1);
    }
}

// A few kilobytes can inflate to gigabytes; the body has a ceiling.
TEST(NwlReader, InflationStopsAtTheLimit) {
    const QByteArray bomb = compressed(QByteArray(4 << 20, '\n')).mid(4);
    std::string out;
    std::string error;
    EXPECT_FALSE(
        files::inflateAll(std::string_view(bomb.constData(), static_cast<std::size_t>(bomb.size())),
                          out, 1 << 20, error));
    EXPECT_EQ(error, "the drawing is too large");
    EXPECT_LE(out.size(), std::size_t{1} << 20);
    EXPECT_TRUE(
        files::inflateAll(std::string_view(bomb.constData(), static_cast<std::size_t>(bomb.size())),
                          out, 8 << 20, error));
    EXPECT_EQ(out.size(), std::size_t{4} << 20);
}

TEST(CadLoad, MissingFileReturnsFalseAndChangesNothing) {
    CanvasDocument doc;
    doc.DrawLine(0, 0, 1, 1, 0);
    FileReport report;
    EXPECT_FALSE(CadLoad(doc, QStringLiteral("/no/such/dir/layout.nwl"), -1, -1, 0, &report));
    EXPECT_EQ(doc.ShapeCount(), 1);
    EXPECT_FALSE(report.error.isEmpty());
}

TEST(CadLoad, OpenAddsAndStartupReplaces) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("day.nwl"));
    CanvasDocument saved;
    saved.DrawCircle(1, 2, 3, 0);
    ASSERT_TRUE(CadSave(saved, path, -1));
    CanvasDocument doc;
    doc.DrawLine(0, 0, 1, 1, 0);
    ASSERT_TRUE(CadLoad(doc, path, -1, -1, 2));
    EXPECT_EQ(doc.ShapeCount(), 2);
    ASSERT_TRUE(CadLoad(doc, path, -1, -1, 0));
    EXPECT_EQ(doc.ShapeCount(), 1);
}

}  // namespace
}  // namespace nivora
