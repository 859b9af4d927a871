// XYZ sample import: line reading, grid detection and the colour ramp.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>

#include "canvas/canvas_document.h"
#include "files/layout_files.h"
#include "files/xyz_reader.h"
#include "tests/files/files_test_support.h"
#include "tests/support/test_support.h"

namespace nivora {
namespace {

using test::as;
using test::shapesOf;

bool importXyz(const QByteArray& text, CanvasDocument& doc, int layer = 0, double zMin = 0,
               double zMax = 0, FileReport* report = nullptr) {
    XyzReader reader(layer, zMin, zMax);
    const bool ok = test::readFrom(reader, text, doc);
    if (report) *report = reader.report();
    return ok;
}

QByteArray grid(int nx, int ny, double step, double x0 = 1000, double y0 = 2000) {
    QByteArray text;
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i) {
            text += QByteArray::number(x0 + i * step) + ' ' + QByteArray::number(y0 + j * step) +
                    ' ' + QByteArray::number(i + j) + '\n';
        }
    }
    return text;
}

TEST(XyzRamp, EndsMiddleAndFlatRange) {
    EXPECT_EQ(rampColor(0, 0, 10), 0x0000FFu);              // red
    EXPECT_EQ(rampColor(10, 0, 10), 0xFF0000u);             // blue
    EXPECT_EQ(rampColor(5, 0, 10), 0x00FF00u);              // full green
    EXPECT_EQ(rampColor(2.5, 0, 10), 0x00FFFFu);            // yellow
    EXPECT_EQ(rampColor(7.5, 0, 10), 0xFFFF00u);            // cyan: 0.75 starts the last band
    EXPECT_EQ(rampColor(1, 0, 10), rgbColor(255, 102, 0));  // 255 * 0.1 / 0.25 = 102
    EXPECT_EQ(rampColor(-5, 0, 10), 0x0000FFu);             // clamped
    EXPECT_EQ(rampColor(50, 0, 10), 0xFF0000u);
    EXPECT_EQ(rampColor(3, 3, 3), 0x0000FFu);  // range 0 becomes 1: t = 0
    EXPECT_EQ(rampColor(std::nan(""), 0, 1), 0x0000FFu);
}

TEST(XyzReader, CommasBlanksTabsAndCommentsReadTheSame) {
    CanvasDocument a, b;
    ASSERT_TRUE(importXyz("# survey of the day\n;another comment\n\n100.0,200.0,5.5\n", a));
    ASSERT_TRUE(importXyz("100.0 200.0\t5.5 extra words\n", b));
    for (const CanvasDocument* d : {&a, &b}) {
        ASSERT_EQ(d->ShapeCount(), 1);
        const auto& p = as<TNPoint>(shapesOf(*d)[0]);
        EXPECT_EQ(p.x, 100.0);
        EXPECT_EQ(p.y, 200.0);
        EXPECT_EQ(p.Z, 5.5);
        EXPECT_EQ(p.Size, 1);
        EXPECT_EQ(p.PenFg, 0x0000FFu);
    }
}

TEST(XyzReader, LinesWithoutThreeNumbersAreSkipped) {
    CanvasDocument doc;
    FileReport report;
    ASSERT_TRUE(importXyz("1 2\nx 2 3\n1 2 nan\n1 2 inf\n 4 5 6\n1,2,,3\n", doc, 0, 0, 0, &report));
    ASSERT_EQ(doc.ShapeCount(), 2);
    EXPECT_EQ(as<TNPoint>(shapesOf(doc)[1]).Z, 3.0);  // empty fields between commas are blanks
    EXPECT_EQ(report.warning, QStringLiteral("4 lines without three numbers skipped"));
    EXPECT_EQ(report.line, 1);
}

TEST(XyzReader, NothingReadableChangesNothing) {
    CanvasDocument doc;
    doc.View.WorldSet(1, 2, 3, 4);
    EXPECT_FALSE(importXyz("# only a comment\n1 2\n", doc));
    EXPECT_FALSE(importXyz(QByteArray(), doc));
    EXPECT_EQ(doc.ShapeCount(), 0);
    EXPECT_EQ(doc.View.WorldLeft, 1.0);
    EXPECT_FALSE(XYZLoad(doc, QStringLiteral("/no/such/file.xyz"), 0, 0, 0));
}

TEST(XyzReader, RegularGridBecomesCellsCentredOnTheSamples) {
    CanvasDocument doc;
    ASSERT_TRUE(importXyz(grid(10, 10, 5.0), doc, 3));
    ASSERT_EQ(doc.ShapeCount(), 100);
    for (const TNShape* s : shapesOf(doc)) {
        ASSERT_EQ(s->Class(), ShapeClass::Rectangle);
        const auto& r = as<TNRectangle>(s);
        EXPECT_EQ(r.x2 - r.x1, 5.0);
        EXPECT_EQ(r.y2 - r.y1, 5.0);
        EXPECT_EQ(r.BrushStyle, kBrushClear);
        EXPECT_EQ(r.BrushFg, r.PenFg);
        EXPECT_EQ(r.Layer(), 3);
        EXPECT_FALSE(r.Rounded);
    }
    const auto& first = as<TNRectangle>(shapesOf(doc)[0]);
    EXPECT_EQ(first.x1, 997.5);
    EXPECT_EQ(first.y1, 1997.5);
    EXPECT_EQ(first.Z, 0.0);
    EXPECT_EQ(first.PenFg, 0x0000FFu);
    EXPECT_EQ(as<TNRectangle>(shapesOf(doc)[99]).PenFg, 0xFF0000u);  // the largest z
    // The view shows the samples.
    EXPECT_LE(doc.View.WorldLeft, 997.5);
    EXPECT_GE(doc.View.WorldRight, 1047.5);
    EXPECT_TRUE(doc.Dirty);
}

TEST(XyzReader, TenSamplesAreAlwaysPoints) {
    CanvasDocument doc;
    ASSERT_TRUE(importXyz(grid(10, 1, 5.0), doc));
    for (const TNShape* s : shapesOf(doc))
        EXPECT_EQ(s->Class(), ShapeClass::Point);
    CanvasDocument eleven;
    ASSERT_TRUE(importXyz(grid(11, 1, 5.0), eleven));
    // A single row has no y step: no grid either.
    EXPECT_EQ(shapesOf(eleven)[0]->Class(), ShapeClass::Point);
}

TEST(XyzReader, ScatteredSamplesStayPoints) {
    QByteArray text;
    for (int i = 0; i < 200; ++i) {
        text += QByteArray::number(std::sin(i * 1.7) * 100, 'f', 3) + ' ' +
                QByteArray::number(std::cos(i * 2.3) * 100, 'f', 3) + ' ' + QByteArray::number(i) +
                '\n';
    }
    CanvasDocument doc;
    ASSERT_TRUE(importXyz(text, doc));
    EXPECT_EQ(shapesOf(doc)[0]->Class(), ShapeClass::Point);
    const XyzReader::Grid g = XyzReader::detectGrid(XyzReader(0, 0, 0).parse(text.toStdString()));
    EXPECT_FALSE(g.detected);
}

TEST(XyzReader, GivenRampEndsAreUsed) {
    CanvasDocument doc;
    ASSERT_TRUE(importXyz("0 0 5\n1 1 10\n", doc, 0, 0, 20));
    EXPECT_EQ(shapesOf(doc)[0]->PenFg, rgbColor(255, 255, 0));  // t = 0.25
    EXPECT_EQ(shapesOf(doc)[1]->PenFg, 0x00FF00u);              // t = 0.5
}

TEST(XyzReader, FlatSamplesAreAllRed) {
    CanvasDocument doc;
    ASSERT_TRUE(importXyz("0 0 4\n1 0 4\n2 0 4\n", doc));
    for (const TNShape* s : shapesOf(doc))
        EXPECT_EQ(s->PenFg, 0x0000FFu);
}

TEST(XyzReader, GridDetectionLooksOnlyAtTheFirstThousand) {
    // A regular grid followed by scattered samples: the grid decides.
    QByteArray text = grid(40, 30, 2.0);
    for (int i = 0; i < 500; ++i)
        text += QByteArray::number(i * 0.37, 'f', 2) + " 0.11 1\n";
    const XyzReader::Samples s = XyzReader(0, 0, 0).parse(text.toStdString());
    ASSERT_EQ(s.x.size(), 1700u);
    const XyzReader::Grid g = XyzReader::detectGrid(s);
    EXPECT_TRUE(g.detected);
    EXPECT_EQ(g.gx, 2.0);
    EXPECT_EQ(g.gy, 2.0);
}

// The byte order mark used to cost the first sample (and a warning).
TEST(XyzReader, AByteOrderMarkIsNotPartOfTheFirstSample) {
    CanvasDocument doc;
    FileReport report;
    ASSERT_TRUE(
        importXyz("\xEF\xBB\xBF"
                  "100,200,5.5\r\n101,200,6\r\n",
                  doc, 0, 0, 0, &report));
    ASSERT_EQ(doc.ShapeCount(), 2);
    EXPECT_EQ(as<TNPoint>(shapesOf(doc)[0]).x, 100.0);
    EXPECT_EQ(as<TNPoint>(shapesOf(doc)[0]).Z, 5.5);
    EXPECT_TRUE(report.warning.isEmpty()) << report.warning.toStdString();
}

TEST(XyzReader, MoreSamplesThanTheBudgetAreRefusedUntouched) {
    LoadBudget budget;
    budget.maxShapes = budget.maxVertices = 100;
    budget.maxFileBytes = 1 << 20;
    const QString samples = QStringLiteral("the drawing is too large: more than 100 shapes");
    const QString bytes = QStringLiteral("the file is too large: more than 1.0 MB");
    for (const auto& [text, error] : {std::pair{grid(101, 1, 1.0), samples},
                                      std::pair{QByteArray((1 << 20) + 1, '#'), bytes}}) {
        CanvasDocument doc;
        doc.DrawLine(0, 0, 1, 1, 0);
        doc.View.WorldSet(1, 2, 3, 4);
        XyzReader reader(0, 0, 0);
        reader.setBudget(budget);
        EXPECT_FALSE(test::readFrom(reader, text, doc));
        EXPECT_EQ(reader.report().error, error);
        EXPECT_EQ(doc.ShapeCount(), 1);
        EXPECT_EQ(doc.View.WorldLeft, 1.0);
        EXPECT_TRUE(test::readFrom(reader, grid(100, 1, 1.0), doc));  // exactly the budget
    }
}

TEST(XYZLoad, FromAFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("model.xyz"));
    test::writeFile(path, grid(20, 20, 1.0));
    CanvasDocument doc;
    const int layer = doc.LayerOpen(QStringLiteral("model"));
    ASSERT_TRUE(XYZLoad(doc, path, layer, 0, 0));
    EXPECT_EQ(doc.ShapeCount(), 400);
    EXPECT_EQ(shapesOf(doc)[0]->Layer(), layer);
}

}  // namespace
}  // namespace nivora
