// The survey and its chart driven exactly as the main window drives them, from a first
// start without a settings file to a second start that restores the view.

#include <gtest/gtest.h>

#include <QFileInfo>

#include "files/layout_files.h"
#include "sensors/nmea.h"
#include "tests/survey/session_test_support.h"

namespace nivora::test {
namespace {

constexpr double kLat = 41.005, kLon = 29.01;

int shapesOnLayer(CanvasDocument& d, const QString& name) {
    const int id = d.LayerFindByName(name);
    int n = 0;
    for (const TNShape& s : d.Shapes())
        n += s.Layer() == id;
    return n;
}

TEST(SessionScenario, FirstStartWithoutASettingsFile) {
    SessionFixture f{QByteArray()};
    ASSERT_FALSE(QFileInfo::exists(f.iniPath));
    QString caption;
    QObject::connect(&f.chart->files(), &ChartFiles::captionChanged,
                     [&](const QString& c) { caption = c; });
    f.chart->firstShow();
    EXPECT_EQ(caption, QStringLiteral("Nivora Depthwright - "));
    const ViewWindow& v = f.doc.View;
    EXPECT_EQ(std::vector<double>({v.WorldLeft, v.WorldRight, v.WorldBottom, v.WorldTop}),
              std::vector<double>({0, 1000, 0, 1000}));
    EXPECT_TRUE(f.doc.Grid.GridAutoScale);
    EXPECT_EQ(f.doc.Overlay.DepthSpeedDisplayMode, 0);
    EXPECT_EQ(f.doc.Overlay.GGAOverlayPosition, 0);
    EXPECT_EQ(f.doc.ShapeCount(), 0);
    for (const QString& name :
         {layer_names::TrackFix, layer_names::TrackFloat, layer_names::TrackNoFix,
          layer_names::UserShape, layer_names::Vessel, layer_names::Grid}) {
        EXPECT_GE(f.doc.LayerFindByName(name), 0) << name.toStdString();
    }
    EXPECT_TRUE(f.errors().isEmpty()) << "a missing settings file is a first start, not an error";
}

TEST(SessionScenario, ASurveyDayThroughTheMainWindowsCommands) {
    QTemporaryDir files;
    // The layout the last day saved: a chart line, and a vessel symbol that
    // must not come back as a shape.
    const QString chart = files.filePath(QStringLiteral("harbour.nwl"));
    {
        CanvasDocument d;
        d.DrawLine(500000, 4540000, 500500, 4540300, d.LayerOpen(QStringLiteral("harbour")));
        d.DrawCircle(500100, 4540100, 5, d.LayerOpen(layer_names::Vessel));
        ASSERT_TRUE(CadSave(d, chart));
    }
    const QByteArray ini =
        QByteArray(kSurveyIni) + QByteArray("[FILE]\nLast File Saved=") + chart.toUtf8() +
        "\n[CANVAS]\nPlanWorldLeft=499000\nPlanWorldRight=501000\nPlanWorldTop=4541000\n"
        "PlanWorldBottom=4539500\nGridAutoScale=0\nDepthSpeedDisplayMode=2\nGGAOverlayPosition=1\n";
    SessionFixture f(ini);
    RealtimeSurvey& s = *f.survey;
    ChartSession& c = *f.chart;

    c.firstShow();
    EXPECT_EQ(f.view.caption, QStringLiteral("Nivora Depthwright - ") + chart);
    EXPECT_EQ(shapesOnLayer(f.doc, QStringLiteral("harbour")), 1);
    EXPECT_EQ(shapesOnLayer(f.doc, layer_names::Vessel), 0) << "vessel and grid shapes are emptied";
    EXPECT_EQ(f.doc.View.WorldLeft, 499000);
    EXPECT_EQ(f.doc.View.WorldTop, 4541000);
    EXPECT_FALSE(f.doc.Grid.GridAutoScale);
    EXPECT_EQ(f.doc.Overlay.DepthSpeedDisplayMode, 2);
    EXPECT_EQ(f.doc.Overlay.GGAOverlayPosition, 1);

    // Real time on the memory ports: fixed, float and autonomous fixes.
    s.RealtimeClick();
    int quality[] = {4, 4, 4, 4, 5, 5, 1, 1};
    for (int i = 0; i < 8; ++i) {
        f.gnss(gga(kLat + i * 2e-5, kLon + i * 1e-5, quality[i]));
        f.sounder(withNmeaChecksum("$SDDBT,32.8,f,10.00,M,5.4,F"));
        f.vt.advance(1000);
    }
    const int fixed = shapesOnLayer(f.doc, layer_names::TrackFix);
    EXPECT_GT(fixed, 2);
    EXPECT_GT(shapesOnLayer(f.doc, layer_names::TrackFloat), 0);
    EXPECT_GT(shapesOnLayer(f.doc, layer_names::TrackNoFix), 0);
    EXPECT_EQ(f.coordinateLog().count('\n'), 9) << "header and one row per sounding";

    EXPECT_EQ(c.markEvent(), 1);
    EXPECT_EQ(IniStore(f.iniPath).readInteger(QStringLiteral("EVENTS"),
                                              QStringLiteral("Event Number"), 0),
              1);

    // A question nobody answers deletes nothing.
    c.setPrompts(nullptr);
    EXPECT_FALSE(c.selection().clearTracks(TrackClass::Float));
    EXPECT_FALSE(c.files().newLayout());
    EXPECT_GT(shapesOnLayer(f.doc, layer_names::TrackFloat), 0);
    c.setPrompts(&f.prompts);
    f.prompts.yes = false;
    EXPECT_FALSE(c.selection().clearTracks(TrackClass::Float));
    EXPECT_GT(shapesOnLayer(f.doc, layer_names::TrackFloat), 0);
    f.prompts.yes = true;
    const int noFix = shapesOnLayer(f.doc, layer_names::TrackNoFix);
    EXPECT_TRUE(c.selection().clearTracks(TrackClass::Float));
    EXPECT_EQ(shapesOnLayer(f.doc, layer_names::TrackFloat), 0);
    EXPECT_EQ(shapesOnLayer(f.doc, layer_names::TrackNoFix), noFix) << "the other classes stay";
    EXPECT_EQ(shapesOnLayer(f.doc, layer_names::TrackFix), fixed);

    // Polygon selection of the whole track area, then Delete.
    s.RealtimeClick();
    c.selection().selectTracks();
    EXPECT_EQ(f.view.polygonTools, 1);
    c.selection().drawBegan();
    const auto [e0, n0] = f.grid(kLat - 1e-4, kLon - 1e-4);
    const auto [e1, n1] = f.grid(kLat + 3e-4, kLon + 3e-4);
    f.doc.DrawPolyline({{e0, n0}, {e1, n0}, {e1, n1}, {e0, n1}}, f.doc.CurrentLayer, true);
    c.selection().drawEnded(6);
    EXPECT_TRUE(
        f.view.panels[0].endsWith(QStringLiteral(" track(s) selected. Press Delete to remove.")))
        << f.view.panels[0].toStdString();
    c.selection().deleteSelected();
    EXPECT_EQ(shapesOnLayer(f.doc, layer_names::TrackFix), 0);
    EXPECT_EQ(shapesOnLayer(f.doc, layer_names::SelectPoly), 0)
        << "the selection polygon never stays on the chart";
    EXPECT_EQ(shapesOnLayer(f.doc, QStringLiteral("harbour")), 1)
        << "a track selection touches only tracks";

    // New clears everything; Open adds the chart to what is drawn.
    EXPECT_TRUE(c.files().newLayout());
    EXPECT_EQ(f.doc.ShapeCount(), 0);
    EXPECT_TRUE(f.doc.Overlay.EventLabels.empty());
    EXPECT_EQ(f.doc.GetLayerAction(f.doc.LayerFindByName(layer_names::UserShape)), 15);
    f.doc.DrawPoint(500200, 4540200, f.doc.LayerFindByName(layer_names::UserShape));
    f.prompts.openFile = chart;
    EXPECT_TRUE(c.files().openLayout());
    EXPECT_EQ(shapesOnLayer(f.doc, QStringLiteral("harbour")), 1);
    EXPECT_EQ(shapesOnLayer(f.doc, layer_names::UserShape), 1) << "Open adds; it does not replace";
    EXPECT_TRUE(f.eventsLog().contains(QByteArray(QByteArray("\tOpened file: ") + chart.toUtf8())));

    const QString copy = files.filePath(QStringLiteral("copy.nwl"));
    f.prompts.saveFile = copy;
    EXPECT_TRUE(c.files().saveLayoutAs());
    EXPECT_TRUE(QFileInfo::exists(copy));
    EXPECT_EQ(f.view.caption, QStringLiteral("Nivora Depthwright  <") + copy + QLatin1Char('>'));

    // Zoom, close, and a second start shows the same view and the snapshot.
    c.zoomIn();
    CanvasInteraction wheel(f.doc);  // the chart's wheel, as the main window sets it
    wheel.WheelPansTowardsPointer = true;
    wheel.Wheel(-120, 100, 80);
    const ViewWindow before = f.doc.View;
    c.closeSequence();
    EXPECT_FALSE(s.gnss().isOpen());
    const QString snapshot =
        IniStore(f.iniPath).readString(QStringLiteral("FILE"), QStringLiteral("Last File Saved"));
    EXPECT_TRUE(QFileInfo::exists(snapshot)) << snapshot.toStdString();

    SurveyModels again;
    again.load(SettingsFile(f.iniPath));
    CanvasDocument doc2;
    RealtimeSurvey survey2(again, f.folders, f.vt, f.vt);
    ChartSession second(survey2, doc2);
    second.firstShow();
    EXPECT_EQ(doc2.View.WorldLeft, before.WorldLeft);
    EXPECT_EQ(doc2.View.WorldRight, before.WorldRight);
    EXPECT_EQ(doc2.View.WorldTop, before.WorldTop);
    EXPECT_EQ(doc2.View.WorldBottom, before.WorldBottom);
    EXPECT_EQ(shapesOnLayer(doc2, layer_names::UserShape), 1);
    EXPECT_EQ(shapesOnLayer(doc2, QStringLiteral("harbour")), 1);
    EXPECT_EQ(second.files().caption(), QStringLiteral("Nivora Depthwright - ") + snapshot);
}

}  // namespace
}  // namespace nivora::test
