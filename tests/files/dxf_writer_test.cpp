// DXF R12 export: the bytes written, their validity for an independent
// reader, and what an import of them gives back.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "canvas/canvas_document.h"
#include "files/dxf_writer.h"
#include "files/layout_files.h"
#include "tests/files/files_test_support.h"
#include "tests/support/test_support.h"

namespace nivora {
namespace {

using test::as;
using test::shapesOf;

const std::string kHeader =
    "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n9\n$INSBASE\n10\n0.0\n20\n0.0\n30\n0.0\n"
    "9\n$EXTMIN\n10\n0.000000\n20\n0.000000\n30\n0.0\n9\n$EXTMAX\n10\n1000.000000\n20\n1000."
    "000000\n30\n0.0\n"
    "0\nENDSEC\n";

std::string entitiesOf(const std::string& dxf) {
    const std::size_t a = dxf.find("2\nENTITIES\n");
    const std::size_t b = dxf.rfind("0\nENDSEC\n0\nEOF\n");
    if (a == std::string::npos || b == std::string::npos) return {};
    return dxf.substr(a + 11, b - a - 11);
}

TEST(DxfWriter, EmptyDrawingByteForByte) {
    CanvasDocument doc;
    EXPECT_EQ(DxfWriter::text(doc), kHeader +
                                        "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n70\n1\n"
                                        "0\nLAYER\n2\nDefault\n70\n0\n62\n7\n6\nCONTINUOUS\n"
                                        "0\nENDTAB\n0\nENDSEC\n"
                                        "0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n");
}

TEST(DxfWriter, EachExportedShapeByteForByte) {
    CanvasDocument doc;
    const int chart = doc.LayerOpen(QStringLiteral("Chart"));
    doc.DrawLine(1, 2, 3, 4, chart);
    doc.DrawCircle(10, 20, 2.5, chart);
    doc.DrawPoint(-1.5, 0.25, 0);
    const auto t0 = doc.TextAdd(chart, QStringLiteral("Buoy"), 5, 6, 0);
    static_cast<TNText*>(doc.FindShape(t0))->Height = 0;
    const auto t1 = doc.TextAdd(chart, QStringLiteral("Pier"), 7, 8, 0);
    static_cast<TNText*>(doc.FindShape(t1))->Angle = 30;
    doc.DrawRectangle(0, 0, 10, 5, chart);
    doc.DrawTwoPointEllipse(95, 198, 105, 202, chart);  // 10 x 4 about (100, 200)
    doc.DrawPolyline({{0, 0}, {1, 1}}, chart, false);
    doc.DrawPolyline({{2, 2}}, chart, true);
    EXPECT_EQ(entitiesOf(DxfWriter::text(doc)),
              "0\nLINE\n8\nChart\n10\n1.000000\n20\n2.000000\n30\n0.0\n11\n3.000000\n21\n4."
              "000000\n31\n0.0\n"
              "0\nCIRCLE\n8\nChart\n10\n10.000000\n20\n20.000000\n30\n0.0\n40\n2.500000\n"
              "0\nPOINT\n8\nDefault\n10\n-1.500000\n20\n0.250000\n30\n0.0\n"
              "0\nTEXT\n8\nChart\n10\n5.000000\n20\n6.000000\n30\n0.0\n40\n2.500000\n1\nBuoy\n"
              "0\nTEXT\n8\nChart\n10\n7.000000\n20\n8.000000\n30\n0.0\n40\n10."
              "000000\n1\nPier\n50\n30.000000\n"
              "0\nPOLYLINE\n8\nChart\n66\n1\n70\n1\n"
              "0\nVERTEX\n8\nChart\n10\n0.000000\n20\n0.000000\n30\n0.0\n"
              "0\nVERTEX\n8\nChart\n10\n10.000000\n20\n0.000000\n30\n0.0\n"
              "0\nVERTEX\n8\nChart\n10\n10.000000\n20\n5.000000\n30\n0.0\n"
              "0\nVERTEX\n8\nChart\n10\n0.000000\n20\n5.000000\n30\n0.0\n"
              "0\nSEQEND\n8\nChart\n"
              "0\nCIRCLE\n8\nChart\n10\n100.000000\n20\n200.000000\n30\n0.0\n40\n3.500000\n"
              "0\nPOLYLINE\n8\nChart\n66\n1\n70\n0\n"
              "0\nVERTEX\n8\nChart\n10\n0.000000\n20\n0.000000\n30\n0.0\n"
              "0\nVERTEX\n8\nChart\n10\n1.000000\n20\n1.000000\n30\n0.0\n"
              "0\nSEQEND\n8\nChart\n"
              "0\nPOLYLINE\n8\nChart\n66\n1\n70\n1\n"
              "0\nVERTEX\n8\nChart\n10\n2.000000\n20\n2.000000\n30\n0.0\n"
              "0\nSEQEND\n8\nChart\n");
}

TEST(DxfWriter, WhatIsLeftOut) {
    CanvasDocument doc;
    const auto hidden = doc.DrawLine(0, 0, 1, 1, 0);
    doc.FindShape(hidden)->Visible = false;
    doc.DrawThreePointArc(0, 0, 1, 1, 2, 0, 0);
    auto curve = std::make_unique<TNPolyline>(shape_type::Curve, false);
    curve->Points = {{0, 0}, {1, 1}};
    doc.AddShape(std::move(curve), 0);
    auto arc3 = std::make_unique<TNPolyline>(shape_type::Arc, false);
    arc3->Points = {{0, 0}, {1, 1}, {2, 0}};
    doc.AddShape(std::move(arc3), 0);
    doc.DrawPolyline({}, 0, false);
    // A coordinate that is not a number would make the file unreadable.
    doc.DrawLine(std::nan(""), 0, 1, 1, 0);
    EXPECT_EQ(entitiesOf(DxfWriter::text(doc)), "");
}

TEST(DxfWriter, ShapesOnAMissingLayerGoToLayerZero) {
    CanvasDocument doc;
    doc.AddShape(std::make_unique<TNPoint>(1, 2), 7);
    EXPECT_EQ(entitiesOf(DxfWriter::text(doc)),
              "0\nPOINT\n8\n0\n10\n1.000000\n20\n2.000000\n30\n0.0\n");
}

TEST(DxfWriter, ExtentsFollowTheView) {
    CanvasDocument doc;
    doc.DrawLine(0, 0, 100, 100, 0);
    doc.View.WorldSet(-10, 110, 120, -5);
    const std::string a = DxfWriter::text(doc);
    EXPECT_NE(a.find("9\n$EXTMIN\n10\n-10.000000\n20\n-5.000000\n30\n0.0\n9\n$EXTMAX\n10\n120."
                     "000000\n20\n110.000000\n"),
              std::string::npos);
    doc.WorldZoom(0, 0.5, 50, 50);
    const std::string b = DxfWriter::text(doc);
    EXPECT_NE(a.substr(0, a.find("0\nENDSEC\n")), b.substr(0, b.find("0\nENDSEC\n")));
    EXPECT_EQ(a.substr(a.find("0\nENDSEC\n")), b.substr(b.find("0\nENDSEC\n")));
}

// CAD programs refuse such names, and take names that differ only in case for one layer.
TEST(DxfWriter, LayerNamesAreMadeValidAndKeptApart) {
    CanvasDocument doc;
    doc.LayerOpen(QStringLiteral("Depth: 5/10 m"));
    doc.LayerOpen(QStringLiteral("track"));
    doc.LayerOpen(QStringLiteral("TRACK"));
    doc.LayerOpen(QString());
    doc.LayerOpen(QStringLiteral("Depth_ 5_10 m"));
    const std::vector<QString> names = DxfWriter::dxfLayerNames(doc);
    const std::vector<QString> want{QStringLiteral("Default"), QStringLiteral("Depth_ 5_10 m"),
                                    QStringLiteral("track"),   QStringLiteral("TRACK_2"),
                                    QStringLiteral("_"),       QStringLiteral("Depth_ 5_10 m_2")};
    EXPECT_EQ(names, want);
    doc.DrawLine(0, 0, 1, 1, 1);
    EXPECT_NE(DxfWriter::text(doc).find("0\nLINE\n8\nDepth_ 5_10 m\n"), std::string::npos);
}

TEST(DxfWriter, LineBreaksInTextsStayInTheirGroup) {
    CanvasDocument doc;
    doc.TextAdd(0, QStringLiteral("two\nlines\r\n0\nEOF"), 0, 0, 0);
    EXPECT_NE(DxfWriter::text(doc).find("\n1\ntwo lines  0 EOF\n"), std::string::npos);
}

// A drawing with every kind of shape, awkward names and texts, survey-size
// coordinates. `awkward` adds what an import cannot give back (an empty
// text, a one-vertex polyline).
void busyDrawing(CanvasDocument& doc, bool awkward) {
    doc.View.WorldSet(512000, 4501000, 513000, 4500000);
    const int a = doc.LayerOpen(QStringLiteral("Harbour plan"));
    const int b = doc.LayerOpen(QStringLiteral("Tiefe: ä/ø"));
    const int c = doc.LayerOpen(QStringLiteral("harbour PLAN"));
    doc.DrawLine(512100.25, 4500100.5, 512200.75, 4500200.125, a);
    doc.DrawCircle(512300, 4500300, 15.5, b);
    doc.DrawPoint(512400, 4500400, c);
    doc.TextAdd(a, QStringLiteral("Höhe 12,5 m"), 512500, 4500500, 0);
    const auto angled =
        doc.TextAdd(b, awkward ? QString() : QStringLiteral("NE"), 512510, 4500510, 0);
    static_cast<TNText*>(doc.FindShape(angled))->Angle = -45;
    doc.DrawRectangle(512600, 4500600, 512650, 4500625, c);
    doc.DrawTwoPointEllipse(512700, 4500700, 512720, 4500710, a);
    doc.DrawPolyline({{512800, 4500800}, {512810, 4500805}, {512820, 4500800}}, b, false);
    doc.DrawPolyline({{512900, 4500900}, {512910, 4500900}, {512910, 4500910}}, c, true);
    if (awkward) doc.DrawPolyline({{512950, 4500950}}, a, false);
    doc.AddShape(std::make_unique<TNLine>(0, 0, 1, 1), 99);
}

TEST(DxfWriter, AnIndependentReaderOpensAndAuditsEveryFileWeWrite) {
    QTemporaryDir dir;
    QStringList written;
    auto save = [&](const CanvasDocument& doc, const QString& name) {
        const QString path = dir.filePath(name);
        ASSERT_TRUE(DXFSave(doc, path)) << name.toStdString();
        written << path;
    };
    {
        CanvasDocument doc;
        save(doc, QStringLiteral("empty.dxf"));
    }
    {
        CanvasDocument doc;
        busyDrawing(doc, true);
        save(doc, QStringLiteral("busy.dxf"));
    }
    {
        CanvasDocument doc;
        doc.LayerOpen(QStringLiteral("a<b>c"));
        doc.LayerOpen(QString());
        doc.LayerOpen(QStringLiteral("A<B>C"));
        doc.DrawLine(0, 0, 1, 1, 1);
        doc.DrawPolyline({{0, 0}, {1, 1}}, 2, false);
        doc.TextAdd(3, QStringLiteral("x\ny"), 0, 0, 0);
        save(doc, QStringLiteral("names.dxf"));
    }
    // Every real drawing we can import, exported again.
    const QDir data(test::dataPath(QStringLiteral("dxf")));
    for (const QString& name :
         data.entryList({QStringLiteral("*.dxf"), QStringLiteral("*.DXF")}, QDir::Files)) {
        CanvasDocument doc;
        if (DXFLoad(doc, data.filePath(name))) save(doc, QStringLiteral("again_") + name);
    }
    ASSERT_GE(written.size(), 14);
    int exitCode = -1;
    const std::string out =
        test::runPython(QStringLiteral(NIVORA_FILES_TEST_DIR "/dxf_audit.py"), written, &exitCode);
    EXPECT_EQ(exitCode, 0) << out;
    EXPECT_EQ(QString::fromStdString(out).count(QStringLiteral(" ok\n")), written.size()) << out;
}

TEST(DxfWriter, ExportThenImportGivesTheSameGeometry) {
    CanvasDocument doc;
    busyDrawing(doc, false);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("export.dxf"));
    ASSERT_TRUE(DXFSave(doc, path));
    CanvasDocument back;
    ASSERT_TRUE(DXFLoad(back, path));
    const auto a = shapesOf(doc);
    const auto b = shapesOf(back);
    ASSERT_EQ(a.size(), b.size());
    const std::vector<QString> names = DxfWriter::dxfLayerNames(doc);
    for (std::size_t i = 0; i < a.size(); ++i) {
        SCOPED_TRACE(i);
        const TNLayer* la = doc.FindLayer(a[i]->Layer());
        const TNLayer* lb = back.FindLayer(b[i]->Layer());
        ASSERT_NE(lb, nullptr);
        EXPECT_EQ(lb->Name(), la ? names[static_cast<std::size_t>(la->Id())] : QStringLiteral("0"));
        const ShapeBounds x = a[i]->Bounds(), y = b[i]->Bounds();
        switch (a[i]->Class()) {
            case ShapeClass::Line: {
                const auto &p = as<TNLine>(a[i]), &q = as<TNLine>(b[i]);
                EXPECT_EQ(std::vector<double>({p.x1, p.y1, p.x2, p.y2}),
                          std::vector<double>({q.x1, q.y1, q.x2, q.y2}));
                break;
            }
            case ShapeClass::Circle: {
                const auto &p = as<TNCircle>(a[i]), &q = as<TNCircle>(b[i]);
                EXPECT_EQ(std::vector<double>({p.cx, p.cy, p.radius}),
                          std::vector<double>({q.cx, q.cy, q.radius}));
                break;
            }
            case ShapeClass::Point:
                EXPECT_EQ(as<TNPoint>(a[i]).x, as<TNPoint>(b[i]).x);
                EXPECT_EQ(as<TNPoint>(a[i]).y, as<TNPoint>(b[i]).y);
                break;
            case ShapeClass::Text: {
                const auto &p = as<TNText>(a[i]), &q = as<TNText>(b[i]);
                EXPECT_EQ(p.String, q.String);
                EXPECT_EQ(p.x, q.x);
                EXPECT_EQ(p.y, q.y);
                EXPECT_EQ(p.Height, q.Height);
                EXPECT_EQ(p.Angle, q.Angle);
                break;
            }
            case ShapeClass::Rectangle:
                EXPECT_EQ(b[i]->ShapeType(), 6);
                EXPECT_EQ(as<TNPolyline>(b[i]).Points.size(), 4u);
                EXPECT_EQ(std::vector<double>({x.MinX, x.MinY, x.MaxX, x.MaxY}),
                          std::vector<double>({y.MinX, y.MinY, y.MaxX, y.MaxY}));
                break;
            case ShapeClass::Ellipse: {
                const auto& q = as<TNCircle>(b[i]);
                EXPECT_EQ(q.cx, 512710.0);
                EXPECT_EQ(q.cy, 4500705.0);
                EXPECT_EQ(q.radius, 7.5);
                break;
            }
            case ShapeClass::Polyline: {
                const auto& p = as<TNPolyline>(a[i]);
                EXPECT_EQ(p.Points, as<TNPolyline>(b[i]).Points);
                EXPECT_EQ(p.ShapeType(), b[i]->ShapeType());
                EXPECT_EQ(p.Closed, as<TNPolyline>(b[i]).Closed);
                break;
            }
            case ShapeClass::Arc:
                ADD_FAILURE() << "arcs are not exported";
                break;
        }
    }
}

// A text of blanks used to be written and not come back, so that an export
// and its import held different texts. Neither side keeps one now.
TEST(DxfWriter, TextsThatShowNothingAreLeftOutOnBothSides) {
    CanvasDocument doc;
    for (const QString& blank : {QString(), QStringLiteral(" "), QStringLiteral(" \t "),
                                 QStringLiteral("\r\n"), QString(QChar(0x00A0))})
        doc.TextAdd(0, blank, 1, 2, 0);
    doc.TextAdd(0, QStringLiteral(" kept "), 1, 2, 0);
    const std::string text = DxfWriter::text(doc);
    const std::string entities = text.substr(text.find("ENTITIES"));
    EXPECT_EQ(entities.find("TEXT"), entities.rfind("TEXT")) << entities;
    CanvasDocument back;
    ASSERT_TRUE(test::importDxf(test::bytesOf(text), back));
    EXPECT_EQ(back.ShapeCount(), 1);

    // A text that its formatting codes leave blank is not imported either.
    CanvasDocument codes;
    ASSERT_TRUE(test::importDxf(
        test::dxfWithEntities("0\nMTEXT\n1\n\\A1; \\A1;\n0\nMTEXT\n1\n\\A1;x\n"), codes));
    ASSERT_EQ(codes.ShapeCount(), 1);
    EXPECT_EQ(as<TNText>(shapesOf(codes)[0]).String, QStringLiteral("x"));
}

// A writer that fails half way, as a full disk would.
class FailingWriter : public DrawingWriter {
  public:
    bool write(QIODevice& out, const CanvasDocument&) override {
        out.write("0\nSECTION\n");
        report_.error = QStringLiteral("disk full");
        return false;
    }
};

TEST(DxfSave, AFailedSaveLeavesThePreviousFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.dxf"));
    CanvasDocument doc;
    doc.DrawLine(0, 0, 1, 1, 0);
    ASSERT_TRUE(DXFSave(doc, path));
    const QByteArray before = test::readFile(path);
    FailingWriter failing;
    FileReport report;
    EXPECT_FALSE(saveWith(failing, doc, path, &report));
    EXPECT_EQ(report.error, QStringLiteral("disk full"));
    EXPECT_EQ(test::readFile(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("plan.dxf")});
    EXPECT_FALSE(DXFSave(doc, dir.filePath(QStringLiteral("no/such/folder/plan.dxf")), &report));
    EXPECT_FALSE(
        CadSave(doc, dir.filePath(QStringLiteral("no/such/folder/plan.nwl")), -1, &report));
    EXPECT_FALSE(report.error.isEmpty());
}

}  // namespace
}  // namespace nivora
