// DXF import rules on small hand-made drawings.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>

#include "canvas/canvas_document.h"
#include "files/dxf_reader.h"
#include "files/dxf_text.h"
#include "files/layout_files.h"
#include "tests/files/files_test_support.h"
#include "tests/support/test_support.h"

namespace nivora {
namespace {

using test::as;
using test::dxfWithEntities;
using test::importDxf;
using test::shapesOf;

const std::string kTwoLines =
    "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n10\n21\n5\n"
    "0\nLINE\n8\n0\n10\n1\n20\n1\n11\n2\n21\n2\n";

TEST(DxfColours, IndexTable) {
    EXPECT_EQ(dxf::colorOfIndex(1), 0x0000FFu);
    EXPECT_EQ(dxf::colorOfIndex(2), 0x00FFFFu);
    EXPECT_EQ(dxf::colorOfIndex(3), 0x00FF00u);
    EXPECT_EQ(dxf::colorOfIndex(4), 0xFFFF00u);
    EXPECT_EQ(dxf::colorOfIndex(5), 0xFF0000u);
    EXPECT_EQ(dxf::colorOfIndex(6), 0xFF00FFu);
    EXPECT_EQ(dxf::colorOfIndex(7), 0xFFFFFFu);
    EXPECT_EQ(dxf::colorOfIndex(8), 0x808080u);
    EXPECT_EQ(dxf::colorOfIndex(9), 0xC0C0C0u);
    EXPECT_EQ(dxf::colorOfIndex(10), 0x1272AAu);  // red 170, green 114, blue 18
    EXPECT_EQ(dxf::colorOfIndex(255), rgbColor(255 * 17 % 256, 255 * 37 % 256, 255 * 53 % 256));
    for (int none : {0, 256, -1, -7, 257, 1000})
        EXPECT_FALSE(dxf::colorOfIndex(none).has_value()) << none;
}

TEST(DxfTextCodes, CleaningRules) {
    EXPECT_EQ(dxf::cleanTextCodes("\\fArial|b0;Hello\\PWorld"), "Hello");
    EXPECT_EQ(dxf::cleanTextCodes("a\\\\b"), "a\\b");
    EXPECT_EQ(dxf::cleanTextCodes("\\U+00E4x"), "\\U+00E4x");
    EXPECT_EQ(dxf::cleanTextCodes("{\\H2.5x;Big} text"), "{Big} text");
    EXPECT_EQ(dxf::cleanTextCodes("\\C1 red"), "red");
    EXPECT_EQ(dxf::cleanTextCodes("end\\"), "end\\");
    EXPECT_EQ(dxf::cleanTextCodes("\\Lunder\\l"), "");
    EXPECT_EQ(dxf::cleanTextCodes("\\pxqc;Centred"), "Centred");
}

TEST(DxfTextCodes, OlderDrawingsInTheirCodePageLoseNoCharacter) {
    EXPECT_EQ(dxf::decodeText("Stra\xC3\x9F"
                              "e"),
              QStringLiteral("Straße"));
    EXPECT_EQ(dxf::decodeText("Stra\xDF"
                              "e \x80"),
              QStringLiteral("Straße €"));
    EXPECT_EQ(dxf::decodeName("K\xFC"
                              "ste"),
              QStringLiteral("Küste"));
    EXPECT_EQ(dxf::decodeWindows1252("\x81\x9F"), QString(QChar(0x81)) + QChar(0x178));
}

TEST(DxfReader, TwoLinesOnLayerZeroAndTheSummary) {
    CanvasDocument doc;
    FileReport report;
    ASSERT_TRUE(importDxf(dxfWithEntities(kTwoLines), doc, &report));
    ASSERT_EQ(doc.ShapeCount(), 2);
    const int zero = doc.LayerFindByName(QStringLiteral("0"));
    ASSERT_GE(zero, 0);
    for (const TNShape* s : shapesOf(doc)) {
        EXPECT_EQ(s->Layer(), zero);
        EXPECT_EQ(s->ShapeType(), 3);
        EXPECT_EQ(s->PenWidth, 1);
    }
    EXPECT_EQ(as<TNLine>(shapesOf(doc)[0]).x2, 10.0);
    EXPECT_EQ(
        report.message,
        QStringLiteral(
            "DXF loaded: 2 entities\nLines: 2, Circles: 0, Texts: 0, Polylines: 0\nBlocks: 0"));
    // The view shows the drawing.
    EXPECT_LT(doc.View.WorldLeft, 0.0);
    EXPECT_GT(doc.View.WorldRight, 10.0);
    EXPECT_TRUE(doc.Dirty);
}

TEST(DxfReader, LayerTableColoursAndEntityColourRule) {
    const std::string tables =
        "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n70\n2\n"
        "0\nLAYER\n2\nCOAST\n70\n0\n62\n5\n6\nCONTINUOUS\n"
        "0\nLAYER\n2\nOFF\n62\n-3\n"
        "0\nLAYER\n2\n\n62\n1\n"
        "0\nENDTAB\n0\nENDSEC\n";
    const std::string entities =
        "0\nLINE\n8\nCOAST\n62\n256\n10\n0\n20\n0\n11\n1\n21\n1\n"
        "0\nLINE\n8\nCOAST\n62\n1\n10\n0\n20\n0\n11\n1\n21\n1\n"
        "0\nLINE\n8\nCOAST\n62\n10\n10\n0\n20\n0\n11\n1\n21\n1\n"
        "0\nLINE\n8\nCOAST\n10\n0\n20\n0\n11\n1\n21\n1\n"
        "0\nCIRCLE\n8\nOFF\n62\n0\n10\n0\n20\n0\n40\n1\n"
        "0\nTEXT\n8\nCOAST\n62\n1\n10\n0\n20\n0\n1\nby layer\n";
    CanvasDocument doc;
    ASSERT_TRUE(importDxf(dxfWithEntities(entities, tables), doc));
    const int coast = doc.LayerFindByName(QStringLiteral("COAST"));
    ASSERT_GE(coast, 0);
    EXPECT_EQ(doc.FindLayer(coast)->PenFg, 0xFF0000u);
    EXPECT_EQ(doc.FindLayer(doc.LayerFindByName(QStringLiteral("OFF")))->PenFg, 0u);
    EXPECT_EQ(doc.LayerFindByName(QString()), -1);  // nameless table entries are passed over
    const auto s = shapesOf(doc);
    ASSERT_EQ(s.size(), 6u);
    EXPECT_EQ(s[0]->PenFg, 0xFF0000u);  // by layer
    EXPECT_EQ(s[1]->PenFg, 0x0000FFu);  // red whatever the layer
    EXPECT_EQ(s[2]->PenFg, 0x1272AAu);
    EXPECT_EQ(s[3]->PenFg, 0xFF0000u);  // no group 62
    EXPECT_EQ(s[4]->PenFg, 0u);         // by block: the layer's black
    EXPECT_EQ(s[5]->PenFg, 0xFF0000u);  // texts always take the layer's colour
}

TEST(DxfReader, ArcSweepsForwardThroughZero) {
    CanvasDocument doc;
    ASSERT_TRUE(
        importDxf(dxfWithEntities("0\nARC\n10\n100\n20\n200\n40\n10\n50\n350\n51\n10\n"), doc));
    const auto& p = as<TNPolyline>(shapesOf(doc)[0]);
    EXPECT_EQ(p.ShapeType(), 5);
    EXPECT_FALSE(p.Closed);
    ASSERT_EQ(p.Points.size(), 21u);
    const double tolerance = 1e-9;  // the same trigonometry, different rounding only
    EXPECT_NEAR(p.Points[0].x(), 100 + 10 * std::cos(350 * M_PI / 180), tolerance);
    EXPECT_NEAR(p.Points[10].x(), 110.0, tolerance);  // 0 degrees, half way
    EXPECT_NEAR(p.Points[10].y(), 200.0, tolerance);
    EXPECT_NEAR(p.Points[20].y(), 200 + 10 * std::sin(10 * M_PI / 180), tolerance);
}

TEST(DxfReader, EllipseDefaultsToAClosedFullEllipse) {
    CanvasDocument doc;
    ASSERT_TRUE(importDxf(
        dxfWithEntities("0\nELLIPSE\n10\n0\n20\n0\n11\n0\n21\n20\n"
                        "0\nELLIPSE\n10\n0\n20\n0\n11\n10\n21\n0\n40\n0.5\n41\n0\n42\n3.14159\n"),
        doc));
    const auto s = shapesOf(doc);
    const auto& full = as<TNPolyline>(s[0]);
    EXPECT_EQ(full.ShapeType(), 6);
    EXPECT_TRUE(full.Closed);
    ASSERT_EQ(full.Points.size(), 37u);
    EXPECT_NEAR(full.Points[0].x(), full.Points[36].x(), 1e-9);
    EXPECT_NEAR(full.Points[0].y(), full.Points[36].y(), 1e-9);
    EXPECT_NEAR(full.Points[0].y(), 20.0, 1e-9);   // major axis along y
    EXPECT_NEAR(full.Points[9].x(), -20.0, 1e-9);  // ratio 1: a circle
    const auto& half = as<TNPolyline>(s[1]);
    EXPECT_EQ(half.ShapeType(), 5);
    EXPECT_NEAR(half.Points[18].y(), 5.0, 1e-5);  // minor radius 0.5 * 10
}

TEST(DxfReader, SolidTriangleAndQuad) {
    CanvasDocument doc;
    ASSERT_TRUE(importDxf(
        dxfWithEntities("0\nSOLID\n10\n0\n20\n0\n11\n1\n21\n0\n12\n1\n22\n1\n13\n1\n23\n1\n"
                        "0\nTRACE\n10\n0\n20\n0\n11\n1\n21\n0\n12\n1\n22\n1\n13\n0\n23\n1\n"),
        doc));
    const auto s = shapesOf(doc);
    EXPECT_EQ(as<TNPolyline>(s[0]).Points.size(), 3u);
    EXPECT_EQ(as<TNPolyline>(s[1]).Points.size(), 4u);
    EXPECT_TRUE(as<TNPolyline>(s[1]).Closed);
    EXPECT_EQ(s[1]->ShapeType(), 6);
}

TEST(DxfReader, PointTakesTheCanvasPointDefaults) {
    CanvasDocument doc;
    ASSERT_TRUE(importDxf(dxfWithEntities("0\nPOINT\n8\nP\n62\n1\n10\n5\n20\n6\n"), doc));
    const auto& p = as<TNPoint>(shapesOf(doc)[0]);
    EXPECT_EQ(p.x, 5.0);
    EXPECT_EQ(p.Size, 3);
    EXPECT_EQ(p.PenFg, 0u);  // group 62 is not read for points
}

TEST(DxfReader, SplineAndLightweightPolylineVertices) {
    CanvasDocument doc;
    ASSERT_TRUE(importDxf(
        dxfWithEntities("0\nSPLINE\n70\n1\n10\n0\n20\n0\n10\n1\n20\n1\n10\n2\n20\n0\n"
                        "0\nSPLINE\n10\n0\n20\n0\n10\n1\n"
                        "0\nLWPOLYLINE\n70\n0\n20\n99\n10\n1\n20\n2\n10\n3\n10\n4\n20\n5\n"
                        "0\nLWPOLYLINE\n10\n1\n20\n2\n"),
        doc));
    const auto s = shapesOf(doc);
    ASSERT_EQ(s.size(), 2u);  // the second spline and the one-vertex polyline make nothing
    EXPECT_EQ(s[0]->ShapeType(), 6);
    EXPECT_EQ(as<TNPolyline>(s[0]).Points.size(), 3u);
    const auto& lw = as<TNPolyline>(s[1]);
    EXPECT_EQ(lw.ShapeType(), 5);
    ASSERT_EQ(lw.Points.size(), 2u);
    EXPECT_EQ(lw.Points[0], QPointF(1, 2));
    EXPECT_EQ(lw.Points[1], QPointF(4, 5));
}

TEST(DxfReader, PolylineVerticesEndAtSeqendOrAnyOtherRecord) {
    CanvasDocument doc;
    ASSERT_TRUE(importDxf(
        dxfWithEntities("0\nPOLYLINE\n8\nA\n66\n1\n70\n1\n10\n0\n20\n0\n"
                        "0\nVERTEX\n8\nA\n10\n1\n20\n2\n0\nVERTEX\n10\n3\n"
                        "0\nVERTEX\n20\n7\n0\nSEQEND\n8\nA\n"
                        "0\nPOLYLINE\n70\n0\n0\nVERTEX\n10\n1\n20\n1\n0\nVERTEX\n10\n2\n20\n2\n" +
                        kTwoLines),
        doc));
    const auto s = shapesOf(doc);
    ASSERT_EQ(s.size(), 4u);
    const auto& closed = as<TNPolyline>(s[0]);
    EXPECT_EQ(closed.ShapeType(), 6);
    ASSERT_EQ(closed.Points.size(), 3u);
    EXPECT_EQ(closed.Points[1], QPointF(3, 0));
    EXPECT_EQ(closed.Points[2], QPointF(0, 7));
    EXPECT_EQ(as<TNPolyline>(s[1]).Points.size(), 2u);
    EXPECT_EQ(s[2]->ShapeType(), 3);  // the record that ended the list is read
}

TEST(DxfReader, TextsHeightsAnglesAndMtextPieces) {
    const std::string long1(250, 'a');
    CanvasDocument doc;
    FileReport report;
    ASSERT_TRUE(
        importDxf(dxfWithEntities("0\nTEXT\n10\n1\n20\n2\n40\n0.05\n1\nfirst\n1\nHöhe\n50\n30\n"
                                  "0\nMTEXT\n10\n3\n20\n4\n40\n3.5\n1\n\\fArial|b0;Hello\\PWorld\n"
                                  "0\nTEXT\n1\n\\P\n"
                                  "0\nMTEXT\n3\n" +
                                  long1 + "\n1\nbc\n"),
                  doc, &report));
    const auto s = shapesOf(doc);
    ASSERT_EQ(s.size(), 3u);  // the text that cleans to nothing is skipped
    const auto& a = as<TNText>(s[0]);
    EXPECT_EQ(a.String, QStringLiteral("Höhe"));
    EXPECT_EQ(a.Text(), a.String);
    EXPECT_EQ(a.Height, 2.5);
    EXPECT_EQ(a.Angle, 30.0);
    EXPECT_EQ(a.FontIndex, -1);
    EXPECT_EQ(a.FontName, QStringLiteral("Arial"));
    EXPECT_EQ(a.HAlign, 0);
    EXPECT_EQ(a.VAlign, 2);
    const auto& b = as<TNText>(s[1]);
    EXPECT_EQ(b.String, QStringLiteral("Hello"));
    EXPECT_EQ(b.Height, 3.5);
    // A long MTEXT keeps its leading pieces.
    EXPECT_EQ(as<TNText>(s[2]).String, QString::fromStdString(long1 + "bc"));
    EXPECT_TRUE(report.message.endsWith(QStringLiteral("\nFirst text: 'Höhe' FontSize=2.5")))
        << report.message.toStdString();
}

// Newer MTEXT carries an embedded object after group 101 with its own 10,
// 20 and 40; read as the text's own, the text would move and change size.
TEST(DxfReader, EmbeddedObjectGroupsAreNotTheRecordsOwn) {
    CanvasDocument doc;
    ASSERT_TRUE(importDxf(dxfWithEntities("0\nMTEXT\n8\n0\n10\n-2.5\n20\n11.25\n40\n0.5\n1\nBLOCK\n"
                                          "101\nEmbedded Object\n70\n1\n10\n1.0\n20\n0.0\n40\n7.1\n"
                                          "0\nLINE\n11\n1\n"),
                          doc));
    const auto s = shapesOf(doc);
    ASSERT_EQ(s.size(), 2u);
    const auto& t = as<TNText>(s[0]);
    EXPECT_EQ(t.x, -2.5);
    EXPECT_EQ(t.y, 11.25);
    EXPECT_EQ(t.Height, 0.5);
    EXPECT_EQ(as<TNLine>(s[1]).x2, 1.0);  // the next record reads normally
}

// A piece may end in a blank that belongs between two words.
TEST(DxfReader, MtextPiecesKeepTheirBlanks) {
    CanvasDocument doc;
    ASSERT_TRUE(
        importDxf(dxfWithEntities("0\nMTEXT\n3\n  sed diam \r\n3\nnonumy\n1\n eirmod  \n"), doc));
    EXPECT_EQ(as<TNText>(shapesOf(doc)[0]).String, QStringLiteral("sed diam nonumy eirmod"));
}

TEST(DxfReader, BlocksKeepLinesAndInsertsPlaceThem) {
    const std::string blocks =
        "0\nSECTION\n2\nBLOCKS\n"
        "0\nBLOCK\n8\n0\n2\nMARK\n70\n0\n10\n1\n20\n1\n"
        "0\nLINE\n8\n0\n62\n1\n10\n1\n20\n1\n11\n3\n21\n1\n"
        "0\nCIRCLE\n10\n0\n20\n0\n40\n1\n"
        "0\nENDBLK\n"
        "0\nLINE\n10\n9\n20\n9\n11\n9\n21\n9\n"
        "0\nENDSEC\n";
    const std::string entities =
        "0\nINSERT\n8\nSYM\n2\nMARK\n10\n100\n20\n50\n41\n2\n42\n1\n50\n90\n"
        "0\nINSERT\n8\nSYM\n62\n3\n2\nMARK\n10\n0\n20\n0\n"
        "0\nINSERT\n2\nNOSUCH\n";
    CanvasDocument doc;
    FileReport report;
    ASSERT_TRUE(importDxf(dxfWithEntities(entities, blocks), doc, &report));
    ASSERT_EQ(doc.Blocks().size(), 1u);
    const TNBlock& b = *doc.Blocks()[0];
    EXPECT_EQ(b.Name(), QStringLiteral("MARK"));
    EXPECT_EQ(b.BaseX, 1.0);
    ASSERT_EQ(b.Shapes.size(), 1u);  // only lines inside the block
    EXPECT_EQ(b.Shapes[0]->PenFg, 0u);
    const auto s = shapesOf(doc);
    ASSERT_EQ(s.size(), 2u);
    const auto& turned = as<TNLine>(s[0]);  // (2 * 2, 0) turned 90 degrees, moved to (100, 50)
    EXPECT_NEAR(turned.x1, 100.0, 1e-12);
    EXPECT_NEAR(turned.y1, 50.0, 1e-12);
    EXPECT_NEAR(turned.x2, 100.0, 1e-12);
    EXPECT_NEAR(turned.y2, 54.0, 1e-12);
    EXPECT_EQ(turned.PenFg, 0u);  // the block line's own colour
    EXPECT_EQ(s[1]->PenFg, 0x00FF00u);
    EXPECT_EQ(s[1]->Layer(), doc.LayerFindByName(QStringLiteral("SYM")));
    EXPECT_TRUE(report.message.startsWith(QStringLiteral("DXF loaded: 2 entities\n")))
        << report.message.toStdString();
    EXPECT_TRUE(report.message.endsWith(QStringLiteral("\nBlocks: 1")));
}

// A value line "0" at the end of an unknown record must not be taken for a
// group code: the LINE after it would be lost.
TEST(DxfReader, UnknownRecordsArePassedOverGroupByGroup) {
    CanvasDocument doc;
    ASSERT_TRUE(
        importDxf(dxfWithEntities("0\nHATCH\n8\n0\n70\n0\n  0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n"
                                  "0\nVIEWPORT\n1\n0\n0\nCIRCLE\n40\n2\n"),
                  doc));
    const auto s = shapesOf(doc);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0]->ShapeType(), 3);
    EXPECT_EQ(s[1]->ShapeType(), 19);
}

TEST(DxfReader, FailureMessages) {
    CanvasDocument doc;
    FileReport report;
    EXPECT_FALSE(importDxf("0\nSECTION\n2\nHEADER\n0\nENDSEC\n0\nEOF\n", doc, &report));
    EXPECT_EQ(report.message, QStringLiteral("DXF load failed: ENTITIES section not found"));
    EXPECT_EQ(doc.Layers().size(), 1u);

    const std::string tables =
        "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nKEPT\n0\nENDTAB\n0\nENDSEC\n";
    EXPECT_FALSE(importDxf(dxfWithEntities("0\n3DSOLID\n8\n0\n0\nINSERT\n2\nNOSUCH\n", tables), doc,
                           &report));
    EXPECT_EQ(report.message, QStringLiteral("DXF load failed: No entities found"));
    EXPECT_GE(doc.LayerFindByName(QStringLiteral("KEPT")), 0);  // layers stay

    EXPECT_FALSE(importDxf(test::readFile(test::dataPath(QStringLiteral("dxf/bin_dxf_r12.dxf"))),
                           doc, &report));
    EXPECT_TRUE(report.message.contains(QStringLiteral("binary DXF")))
        << report.message.toStdString();
    EXPECT_EQ(doc.ShapeCount(), 0);

    EXPECT_FALSE(DXFLoad(doc, QStringLiteral("/no/such/drawing.dxf"), &report));
    EXPECT_TRUE(report.message.isEmpty());
}

TEST(DxfReader, WindowsLineEndsBlanksAndByteOrderMark) {
    std::string text = "\xEF\xBB\xBF  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";
    text +=
        "  0\r\nLINE\r\n  8\r\n\tWALL \r\n 10\r\n 1.5\r\n 20\r\n2\r\n 11\r\n3\r\n 21\r\n4\r\n  "
        "0\r\nENDSEC\r\n";
    CanvasDocument doc;
    ASSERT_TRUE(importDxf(test::bytesOf(text), doc));
    const auto& l = as<TNLine>(shapesOf(doc)[0]);
    EXPECT_EQ(l.x1, 1.5);
    EXPECT_EQ(l.y2, 4.0);
    EXPECT_GE(doc.LayerFindByName(QStringLiteral("WALL")), 0);
}

TEST(DxfReader, DataEndingInsideARecordKeepsWhatWasRead) {
    for (const std::string tail :
         {"0\nLINE\n10\n5\n20\n6\n11\n7", "0\nLINE\n10\n5\n20\n6\n11\n7\n21",
          "0\nLINE\n10\n5\n20\n6\n11\n7\n"}) {
        CanvasDocument doc;
        ASSERT_TRUE(importDxf(test::bytesOf("0\nSECTION\n2\nENTITIES\n" + tail), doc)) << tail;
        const auto& l = as<TNLine>(shapesOf(doc)[0]);
        EXPECT_EQ(l.x2, 7.0);
        EXPECT_EQ(l.y2, 0.0);
    }
}

TEST(DxfReader, MalformedNumbersReadAsZero) {
    CanvasDocument doc;
    ASSERT_TRUE(importDxf(dxfWithEntities("0\nCIRCLE\n10\nabc\n20\n1e999\n40\n2.5xyz\n62\nnan\n"
                                          "0\nLINE\n10\nnan\n20\ninf\n11\n-1e-400\n21\n+4\n"),
                          doc));
    const auto s = shapesOf(doc);
    const auto& c = as<TNCircle>(s[0]);
    EXPECT_EQ(c.cx, 0.0);
    EXPECT_EQ(c.cy, 0.0);
    EXPECT_EQ(c.radius, 2.5);
    const auto& l = as<TNLine>(s[1]);
    EXPECT_EQ(l.x1, 0.0);
    EXPECT_EQ(l.y1, 0.0);
    EXPECT_EQ(l.x2, 0.0);
    EXPECT_EQ(l.y2, 4.0);
}

TEST(DxfReader, ImportAddsToTheDrawingAndReusesLayers) {
    CanvasDocument doc;
    const int mine = doc.LayerOpen(QStringLiteral("0"));
    doc.DrawCircle(0, 0, 1, mine);
    FileReport report;
    ASSERT_TRUE(importDxf(dxfWithEntities(kTwoLines), doc, &report));
    EXPECT_EQ(doc.ShapeCount(), 3);
    EXPECT_EQ(doc.Layers().size(), 2u);
    // The summary counts the whole drawing; N only this import.
    EXPECT_TRUE(
        report.message.startsWith(QStringLiteral("DXF loaded: 2 entities\nLines: 2, Circles: 1,")));
}

// One stray line used to drop every entity after it.
TEST(DxfReader, AStrayLineCostsOnlyTheRecordItCuts) {
    const std::string entities =
        "0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n"
        // A text broken over two lines just before the next record: the text is whole.
        "0\nTEXT\n10\n5\n20\n5\n1\nfirst half\nsecond half\n"
        // A blank line inside a line: its end point went to the next record.
        "0\nLINE\n10\n1\n\n20\n1\n11\n2\n21\n2\n"
        "0\nCIRCLE\n10\n3\n20\n3\n40\n1\n"
        // A damaged vertex leaves the polyline one vertex short.
        "0\nPOLYLINE\n66\n1\n70\n0\n0\nVERTEX\n10\n0\n20\n0\n"
        "0\nVERTEX\n10\n1\n\n20\n1\n0\nVERTEX\n10\n2\n20\n2\n0\nSEQEND\n";
    const QByteArray file = dxfWithEntities(entities);
    CanvasDocument doc;
    FileReport report;
    ASSERT_TRUE(importDxf(file, doc, &report));
    const auto s = shapesOf(doc);
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0]->ShapeType(), 3);
    EXPECT_EQ(as<TNText>(s[1]).String, QStringLiteral("first half"));
    EXPECT_EQ(s[2]->ShapeType(), 19);
    EXPECT_EQ(as<TNPolyline>(s[3]).Points, std::vector<QPointF>({{0, 0}, {2, 2}}));
    const qint64 stray = file.left(file.indexOf("second half")).count('\n') + 1;
    EXPECT_EQ(report.line, stray);
    EXPECT_EQ(report.warning,
              QStringLiteral("3 lines are out of place (a value broken over two lines, or a blank "
                             "line), the first at line %1; reading went on at the next record each "
                             "time; 2 records cut short were left out")
                  .arg(stray));
    EXPECT_TRUE(report.message.startsWith(QStringLiteral("DXF loaded: 4 entities\n")));
    EXPECT_TRUE(report.message.endsWith(report.warning));
}

TEST(DxfReader, StrayLinesInTheTablesAndBlocksLeaveOutOnlyTheirRecord) {
    const std::string before =
        "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n"
        "0\nLAYER\n2\nHURT\n\n62\n1\n0\nLAYER\n2\nRED\n62\n1\n0\nENDTAB\n0\nENDSEC\n"
        "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n10\n0\n20\n0\n"
        "0\nLINE\n10\n0\n\n20\n0\n11\n9\n21\n9\n0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n"
        "0\nENDBLK\n0\nENDSEC\n";
    CanvasDocument doc;
    FileReport report;
    ASSERT_TRUE(importDxf(dxfWithEntities("0\nINSERT\n2\nB\n8\nRED\n", before), doc, &report));
    EXPECT_LT(doc.LayerFindByName(QStringLiteral("HURT")), 0);
    const int red = doc.LayerFindByName(QStringLiteral("RED"));
    ASSERT_GE(red, 0);
    EXPECT_EQ(doc.GetLayerPenFg(red), 0x0000FFu);
    const auto s = shapesOf(doc);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(as<TNLine>(s[0]).x2, 1.0);
    EXPECT_TRUE(report.warning.startsWith(QStringLiteral("2 lines are out of place")))
        << report.warning.toStdString();
}

LoadBudget smallBudget(std::int64_t shapes, std::int64_t vertices) {
    LoadBudget b;
    b.maxShapes = shapes;
    b.maxVertices = vertices;
    b.maxFileBytes = 1 << 20;
    return b;
}

TEST(DxfReader, ADrawingBeyondTheBudgetIsRefusedUntouched) {
    const std::string tables =
        "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nNEW\n62\n1\n0\nENDTAB\n"
        "0\nENDSEC\n";
    std::string lines;
    for (int i = 0; i < 1000; ++i)
        lines += "0\nLINE\n8\nNEW\n10\n0\n20\n0\n11\n1\n21\n1\n";
    std::string block = "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n";
    for (int i = 0; i < 100; ++i)
        block += "0\nLINE\n11\n1\n";
    block += "0\nENDBLK\n0\nENDSEC\n";
    std::string inserts;
    for (int i = 0; i < 10; ++i)
        inserts += "0\nINSERT\n2\nB\n";
    std::string polyline = "0\nLWPOLYLINE\n";
    for (int i = 0; i < 1001; ++i)
        polyline += "10\n1\n20\n2\n";
    struct Case {
        QByteArray file;
        QString error;
    };
    const QString shapes = QStringLiteral("the drawing is too large: more than 1000 shapes");
    const Case cases[] = {
        {dxfWithEntities(lines, tables), shapes},  // the layer counts too
        {dxfWithEntities(inserts, block), shapes},
        {dxfWithEntities(polyline),
         QStringLiteral("the drawing is too large: more than 1000 polyline vertices")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error.toStdString());
        CanvasDocument doc;
        doc.DrawLine(0, 0, 5, 5, 0);
        DxfReader reader;
        reader.setBudget(smallBudget(1000, 1000));
        EXPECT_FALSE(test::readFrom(reader, c.file, doc));
        EXPECT_TRUE(reader.report().error.startsWith(c.error))
            << reader.report().error.toStdString();
        EXPECT_EQ(reader.report().message,
                  QStringLiteral("DXF load failed: ") + reader.report().error);
        EXPECT_EQ(doc.ShapeCount(), 1);
        EXPECT_EQ(doc.Layers().size(), 1u);
        EXPECT_TRUE(doc.Blocks().empty());
    }
    // Without the layer the thousand lines fit.
    CanvasDocument doc;
    DxfReader reader;
    reader.setBudget(smallBudget(1000, 1000));
    EXPECT_TRUE(test::readFrom(reader, dxfWithEntities(lines), doc));
    EXPECT_EQ(doc.ShapeCount(), 1000);
}

// Many inserts of a big block would make billions of lines from a small file.
TEST(DxfReader, InsertExpansionHasACeiling) {
    std::string blocks = "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n";
    for (int i = 0; i < 1000; ++i)
        blocks += "0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n";
    blocks += "0\nENDBLK\n0\nENDSEC\n";
    std::string entities;
    for (int i = 0; i < 5; ++i)
        entities += "0\nINSERT\n2\nB\n";
    entities += "0\nCIRCLE\n40\n1\n";
    CanvasDocument doc;
    DxfReader reader(2500);
    ASSERT_TRUE(test::readFrom(reader, dxfWithEntities(entities, blocks), doc));
    EXPECT_EQ(doc.ShapeCount(), 2001);
    EXPECT_EQ(reader.imported(), 2001);
    EXPECT_TRUE(reader.report().warning.startsWith(QStringLiteral("3 block inserts left out")))
        << reader.report().warning.toStdString();
    EXPECT_TRUE(reader.report().message.endsWith(reader.report().warning));
    EXPECT_GE(DxfReader::kMaxInsertLines, 1000000);
}

}  // namespace
}  // namespace nivora
