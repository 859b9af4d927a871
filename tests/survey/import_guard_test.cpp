// An import far from the survey is asked about before it is added, and any
// import can be taken back, leaving the layout as it was.

#include <gtest/gtest.h>

#include "canvas/canvas_document.h"
#include "files/nwl_file.h"
#include "tests/survey/session_test_support.h"

namespace nivora::test {
namespace {

std::string layoutOf(const CanvasDocument& d) {
    return NwlWriter::body(d, QDateTime(QDate(2026, 1, 1), QTime(0, 0))) + " blocks " +
           std::to_string(d.Blocks().size());
}

QByteArray lineDxf(const char* layer, double x1, double y1, double x2, double y2) {
    const auto n = [](double v) { return QByteArray::number(v, 'f', 4); };
    return "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nMARK\n10\n0\n20\n0\n0\nLINE\n8\n0\n10\n0\n20\n0\n"
           "11\n1\n21\n1\n0\nENDBLK\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n" +
           QByteArray(layer) + "\n10\n" + n(x1) + "\n20\n" + n(y1) + "\n11\n" + n(x2) + "\n21\n" +
           n(y2) + "\n0\nENDSEC\n0\nEOF\n";
}

class ImportGuardTest : public ::testing::Test {
  protected:
    ImportGuardTest() {
        f.chart->ensureLayers();
        f.doc.WorldSet(415000, 4541000, 416000, 4540000);
        f.doc.DrawPoint(415500, 4540500, f.chart->layers().userShape);
    }
    bool import(const QString& path) {
        f.prompts.openFile = path;
        return f.chart->files().importDxf();
    }
    SessionFixture f;
};

TEST_F(ImportGuardTest, ADrawing120KmAwayIsAskedAboutAndARefusalAddsNothing) {
    const QString far = f.dir.filePath(QStringLiteral("far.dxf"));
    // 120 km east of the view's right edge, within its northings.
    writeFile(far, lineDxf("FAR", 536000, 4540500, 536100, 4540600));
    const std::string before = layoutOf(f.doc);
    f.prompts.yes = false;
    EXPECT_FALSE(import(far));
    ASSERT_EQ(f.prompts.questions.size(), 1);
    const QString q = f.prompts.questions.front();
    EXPECT_TRUE(
        q.startsWith(QStringLiteral("far.dxf lies 120 km east of the survey area, its "
                                    "centre at E: 536050.00  N: 4540550.00")))
        << q.toStdString();
    EXPECT_TRUE(q.endsWith(QStringLiteral("Import it anyway?")));
    EXPECT_EQ(layoutOf(f.doc), before);
    EXPECT_EQ(f.doc.LayerFindByName(QStringLiteral("FAR")), -1);
    EXPECT_TRUE(f.chart->files().lastImportName().isEmpty());
    EXPECT_TRUE(f.eventsLog().contains(
        QByteArray("Import declined, far from the survey: ").append(far.toUtf8())));
}

TEST_F(ImportGuardTest, DegreesAreCalledSoAndAnAcceptedImportIsTakenBackWhole) {
    const QString geo = f.dir.filePath(QStringLiteral("geo.dxf"));
    writeFile(geo, lineDxf("WGS", 28.99, 41.00, 29.00, 41.01));
    const std::string before = layoutOf(f.doc);
    f.prompts.yes = true;
    ASSERT_TRUE(import(geo));
    ASSERT_EQ(f.prompts.questions.size(), 1);
    EXPECT_TRUE(f.prompts.questions.front().contains(
        QStringLiteral("Its coordinates (x 28.9900 to 29.0000, y 41.0000 to 41.0100) look like "
                       "longitudes and latitudes in degrees, while the survey is in metres.")))
        << f.prompts.questions.front().toStdString();
    ASSERT_NE(f.doc.LayerFindByName(QStringLiteral("WGS")), -1);
    ASSERT_EQ(f.doc.Blocks().size(), 1u);
    EXPECT_NE(layoutOf(f.doc), before);
    // The survey draws on after the import; its marks stay when it is taken back.
    const auto mark = f.doc.DrawPoint(415600, 4540600, f.chart->layers().trackFix);
    EXPECT_EQ(f.chart->files().lastImportName(), geo);
    ASSERT_TRUE(f.chart->files().undoImport());
    EXPECT_NE(f.doc.FindShape(mark), nullptr);
    f.doc.ShapeDelete(mark);
    EXPECT_EQ(layoutOf(f.doc), before);
    EXPECT_FALSE(f.chart->files().undoImport()) << "nothing more to take back";
    EXPECT_TRUE(f.eventsLog().contains(
        QByteArray("Import undone: ").append(geo.toUtf8()).append(" (1 shapes)")));
}

TEST_F(ImportGuardTest, ADrawingOverTheSurveyIsAddedWithoutAQuestion) {
    const QString near = f.dir.filePath(QStringLiteral("near.dxf"));
    writeFile(near, lineDxf("NEAR", 415100, 4540100, 430000, 4540200));
    ASSERT_TRUE(import(near));
    EXPECT_TRUE(f.prompts.questions.isEmpty());
    EXPECT_NE(f.doc.LayerFindByName(QStringLiteral("NEAR")), -1);
}

}  // namespace
}  // namespace nivora::test
