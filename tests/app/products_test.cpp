// What the survey hands on, in the program: the demo survey's soundings as
// coloured dots with the colour bar on the chart, the depth display window
// that changes the grid, and an export through the File menu as a job.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

#include "app/export_dialog.h"
#include "config/ui/depth_display_window.h"
#include "survey/depth_layer.h"
#include "survey/sounding_export.h"
#include "tests/app/app_test_support.h"

namespace nivora {
namespace {

using test::ProgramFixture;

TEST(ProgramProducts, DemoSoundingsColouredWithTheirBarAndTheGridFollowsItsWindow) {
    QTemporaryDir dir;
    ProgramFixture f(test::demoIni(dir), true);
    f.program->start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.nav()));
    for (int s = 0; s < 30; ++s) {
        f.vt.advance(1000);
        QApplication::processEvents();
    }
    DepthPicture& picture = f.chart().depths().picture();
    ASSERT_GT(picture.pointCount(), 100u) << "the demo sounder gives ten a second";
    const DepthLegendState& legend = f.nav().canvas().Document().Overlay.DepthLegend;
    EXPECT_TRUE(legend.Shown);
    EXPECT_EQ(legend.Title, QStringLiteral("Depth (m)"));

    TDepthDisplaySettings& w = f.program->depthDisplaySettings();
    f.nav().action(QStringLiteral("aDepthDisplay"))->trigger();
    ASSERT_TRUE(w.isVisible());
    auto* cell = w.findChild<QLineEdit*>(QStringLiteral("eCellSize"));
    cell->setText(QStringLiteral("100"));
    EXPECT_FALSE(w.SaveClick());
    EXPECT_EQ(w.status(), QStringLiteral("Cell size: '100' is not a number from 0.5 to 50"));
    cell->setText(QStringLiteral("10"));
    w.findChild<QComboBox*>(QStringLiteral("cbPalette"))->setCurrentIndex(1);
    ASSERT_TRUE(w.SaveClick()) << w.status().toStdString();
    EXPECT_EQ(picture.grid().cellSize(), 10.0);
    EXPECT_EQ(picture.grid().soundings(), picture.pointCount()) << "built again from the dots";
    EXPECT_EQ(legend.Colours.kind(), DepthPaletteKind::Ocean);
    const IniStore saved(f.survey().models().file.path());
    EXPECT_EQ(saved.readString(QStringLiteral("DEPTH_DISPLAY"), QStringLiteral("CellSize"), {}),
              QStringLiteral("10"));
}

TEST(ProgramProducts, ExportSoundingsFromTheFileMenuRunsAsAJob) {
    QTemporaryDir dir;
    ProgramFixture f(test::demoIni(dir), true);
    f.program->start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.nav()));
    for (int s = 0; s < 20; ++s) {
        f.vt.advance(1000);
        QApplication::processEvents();
    }
    f.survey().flushLogs();
    f.nav().action(QStringLiteral("aExportSoundings"))->trigger();
    ExportDialog& d = f.program->exportDialog();
    ASSERT_TRUE(d.isVisible());
    const ExportRequest suggested = d.request();
    ASSERT_EQ(suggested.folders.size(), 1);
    EXPECT_TRUE(suggested.path.endsWith(QStringLiteral(" Soundings.xyz")))
        << suggested.path.toStdString();
    const QString out = dir.filePath(QStringLiteral("day.xyz"));
    d.findChild<QLineEdit*>(QStringLiteral("ePath"))->setText(out);
    d.accept();
    SoundingExport& job = f.program->soundingExport();
    for (int k = 0; k < 500 && job.running(); ++k)
        QTest::qWait(10);
    ASSERT_FALSE(job.running());
    // One line per logged sounding: easting, northing and depth.
    const QList<QByteArray> lines = test::readFile(out).trimmed().split('\n');
    const QList<QByteArray> rows =
        test::readFile(f.survey().logs().folders().coordinateLogPath()).trimmed().split('\n');
    EXPECT_EQ(lines.size(), rows.size() - 1);
    EXPECT_EQ(lines.front().split(' ').size(), 3) << lines.front().constData();
}

}  // namespace
}  // namespace nivora
