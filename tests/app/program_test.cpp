// The survey day through the real windows: menus, shortcuts, toolbar
// buttons, the mouse and keys on the chart, compact mode, the two ways out.

#include <gtest/gtest.h>

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "app/message_window.h"
#include "app/realtime_window.h"
#include "canvas/ui/nivora_canvas.h"
#include "config/ui/offsets_window.h"
#include "survey/standard_layers.h"
#include "tests/app/app_test_support.h"

namespace nivora::test {
namespace {

int shapesOn(TNivoraCanvas& c, const QString& layer) {
    const int id = c.LayerFindByName(layer);
    int n = 0;
    for (const TNShape& s : c.Shapes())
        n += s.Layer() == id;
    return n;
}

class ProgramTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
};

TEST_F(ProgramTest, FirstShowThenASurveyThroughTheWindows) {
    ProgramFixture f(demoIni(dir));
    f.program->start();
    TFNav& nav = f.nav();
    TNivoraCanvas& canvas = nav.canvas();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&nav));
    EXPECT_EQ(nav.windowTitle(), QStringLiteral("Nivora Depthwright - "));
    EXPECT_EQ(nav.realtimeButton()->text(), QStringLiteral("Realtime"))
        << "the English captions at first show";
    EXPECT_TRUE(f.program->offsets().isVisible()) << "the surveyor confirms the offsets first";
    EXPECT_EQ(nav.action(QStringLiteral("aFollow"))->text(), QStringLiteral("Follow Vessel"));
    EXPECT_EQ(canvas.WorldLeft, 415200) << "the demo's view keys";

    // Real time from the Offsets window's button, with its checks; then ticks.
    QTest::mouseClick(f.program->offsets().findChild<QPushButton*>(QStringLiteral("Realtime")),
                      Qt::LeftButton);
    ASSERT_TRUE(f.session().running());
    EXPECT_EQ(nav.realtimeButton()->text(), QStringLiteral("Stop"));
    f.vt.advance(90'000);
    EXPECT_GT(shapesOn(canvas, layer_names::TrackFix), 3)
        << "the simulated vessel leaves a fixed track";
    EXPECT_TRUE(nav.statusPanel(0)->text().startsWith(QStringLiteral("Lat: 40.99")))
        << nav.statusPanel(0)->text().toStdString();
    EXPECT_TRUE(nav.statusPanel(2)->text().startsWith(QStringLiteral("E: 41")));

    // The realtime button stops it; English puts its caption back to "Realtime".
    QTest::mouseClick(nav.realtimeButton(), Qt::LeftButton);
    EXPECT_FALSE(f.session().running());
    EXPECT_EQ(nav.realtimeButton()->text(), QStringLiteral("Start"));
    QTest::keyClick(&nav, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(nav.realtimeButton()->text(), QStringLiteral("Realtime"));

    // Ctrl+I is the File menu's Import (first in menu order), not Zoom In.
    const double width = canvas.WorldRight - canvas.WorldLeft;
    auto dialog = answerNextDialog(QMessageBox::Cancel);
    QTest::keyClick(&canvas, Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(dialog->seen);
    EXPECT_EQ(dialog->title, QStringLiteral("Dialog Open"));
    EXPECT_TRUE(dialog->text.contains(QStringLiteral("AutoCAD R12 DXF")))
        << dialog->text.toStdString();
    EXPECT_EQ(canvas.WorldRight - canvas.WorldLeft, width);
    // The Zoom menu's own item still zooms.
    nav.action(QStringLiteral("aZoomIn"))->trigger();
    EXPECT_NEAR(canvas.WorldRight - canvas.WorldLeft, width * 0.8, 1e-6);

    // A question answered No clears nothing; Yes clears the fixed track.
    const int fixed = shapesOn(canvas, layer_names::TrackFix);
    dialog = answerNextDialog(QMessageBox::No);
    nav.action(QStringLiteral("btFixed"))->trigger();
    EXPECT_EQ(dialog->text, QStringLiteral("RTK Fixed tracking points to be cleared. Continue?"));
    EXPECT_EQ(shapesOn(canvas, layer_names::TrackFix), fixed);
    dialog = answerNextDialog(QMessageBox::Yes);
    nav.action(QStringLiteral("aClearFixed"))->trigger();
    EXPECT_EQ(shapesOn(canvas, layer_names::TrackFix), 0);

    // The mouse: a click names the point, the right button measures, the wheel zooms.
    const QPoint centre(canvas.width() / 2, canvas.height() / 2);
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, centre);
    EXPECT_TRUE(nav.statusPanel(4)->text().startsWith(QStringLiteral("Click E: ")));
    EXPECT_TRUE(nav.statusPanel(5)->text().startsWith(QStringLiteral("Click N: ")));
    QTest::mouseClick(&canvas, Qt::RightButton, {}, centre);
    EXPECT_TRUE(canvas.Document().Overlay.Measuring);
    QTest::mouseClick(&canvas, Qt::RightButton, {}, centre + QPoint(40, 0));
    EXPECT_FALSE(canvas.Document().Overlay.Measuring);
    const double before = canvas.WorldRight - canvas.WorldLeft;
    QWheelEvent wheel(QPointF(centre), canvas.mapToGlobal(QPointF(centre)), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&canvas, &wheel);
    EXPECT_NEAR(canvas.WorldRight - canvas.WorldLeft, before * 0.9, 1e-6);
    EXPECT_EQ(canvas.ToolMode, -2);

    // Keys: F2 and F3 move the overlays, Esc cancels a selection.
    const int corner = canvas.DepthSpeedDisplayMode;
    QTest::keyClick(&canvas, Qt::Key_F2);
    EXPECT_EQ(canvas.DepthSpeedDisplayMode, (corner + 1) % 4);
    const int gga = canvas.GGAOverlayPosition;
    QTest::keyClick(&canvas, Qt::Key_F3);
    EXPECT_NE(canvas.GGAOverlayPosition, gga);
    nav.action(QStringLiteral("btSelectTrack"))->trigger();
    EXPECT_EQ(canvas.ToolMode, 6);
    EXPECT_FALSE(nav.statusPanel(0)->text().isEmpty());
    QTest::keyClick(&canvas, Qt::Key_Escape);
    EXPECT_TRUE(nav.statusPanel(0)->text().isEmpty());

    // A message shows without taking the keyboard from the chart.
    canvas.setFocus();
    f.session().message(QStringLiteral("test message"));
    EXPECT_TRUE(f.program->messages().isVisible());
    EXPECT_TRUE(f.program->messages().text().endsWith(QStringLiteral("test message")));
    EXPECT_TRUE(f.program->messages().testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(f.program->messages().focusPolicy(), Qt::NoFocus);
    EXPECT_NE(QApplication::focusWidget(), static_cast<QWidget*>(&f.program->messages()));
}

// The real-time window's start-up timer used to apply the family choice
// again ten seconds after start: the typed pattern of "OTHER" became empty
// and no sounding was logged from then on, without a word.
TEST_F(ProgramTest, TheTypedPatternOutlivesTheStartUpTimer) {
    const QString ini = demoIni(dir);
    {
        IniStore store(ini);
        store.writeString(QStringLiteral("SENSOR COMUNICATION SETTINGS"),
                          QStringLiteral("cSBESMessage"), QStringLiteral("OTHER"));
        store.writeString(QStringLiteral("SENSOR COMUNICATION SETTINGS"),
                          QStringLiteral("eSBESFormat"), QStringLiteral("%*6s,%lf"));
        ASSERT_TRUE(store.save());
    }
    ProgramFixture f(ini, true);
    f.program->start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.nav()));
    ASSERT_TRUE(f.session().running());
    f.vt.advance(9'000);
    f.session().flushLogs();
    const QString log = f.session().logs().folders().coordinateLogPath();
    const qsizetype before = readFile(log).count('\n');
    EXPECT_GT(before, 10);
    f.program->realtime().Timer1Timer();  // its ten seconds
    EXPECT_EQ(f.program->models().device.sbesFormat, QStringLiteral("%*6s,%lf"));
    f.vt.advance(15'000);
    f.session().flushLogs();
    EXPECT_GT(readFile(log).count('\n'), before + 30) << "soundings go on being logged";
}

TEST_F(ProgramTest, CompactModeTwiceRestoresTheWindowAndItsMenu) {
    ProgramFixture f(demoIni(dir));
    f.program->start();
    TFNav& nav = f.nav();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&nav));
    nav.setGeometry(100, 80, 1100, 700);
    const QRect geometry = nav.geometry();
    for (int round = 0; round < 2; ++round) {
        nav.toggleCompactMode();
        EXPECT_TRUE(nav.compactMode());
        EXPECT_FALSE(nav.menuBar()->isVisible());
        EXPECT_FALSE(nav.realtimeBar()->isVisible());
        EXPECT_FALSE(nav.shapeBar()->isVisible());
        EXPECT_TRUE(nav.windowFlags() & Qt::FramelessWindowHint);
        QTest::keyClick(&nav.canvas(), Qt::Key_Escape);  // Esc leaves it
        EXPECT_FALSE(nav.compactMode());
        EXPECT_TRUE(nav.menuBar()->isVisible());
        EXPECT_TRUE(nav.drawBar()->isVisible());
        EXPECT_TRUE(nav.statusBar()->isVisible());
        EXPECT_FALSE(nav.windowFlags() & Qt::FramelessWindowHint);
        EXPECT_EQ(nav.geometry(), geometry) << "round " << round;
    }
}

TEST_F(ProgramTest, CloseKeepsTheViewAndTheExitButtonKeepsNothing) {
    const QString ini = demoIni(dir);
    double left = 0, right = 0;
    {
        ProgramFixture f(ini);
        f.program->start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.nav()));
        f.nav().action(QStringLiteral("btZoomIn"))->trigger();
        f.nav().action(QStringLiteral("btZoomIn"))->trigger();
        left = f.nav().canvas().WorldLeft;
        right = f.nav().canvas().WorldRight;
        f.program->close();
        EXPECT_FALSE(f.nav().isVisible());
    }
    const QString snapshot =
        IniStore(ini).readString(QStringLiteral("FILE"), QStringLiteral("Last File Saved"));
    EXPECT_TRUE(QFileInfo::exists(snapshot)) << snapshot.toStdString();
    {
        ProgramFixture f(ini);
        f.program->start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.nav()));
        EXPECT_DOUBLE_EQ(f.nav().canvas().WorldLeft, left) << "the next start shows the same view";
        EXPECT_DOUBLE_EQ(f.nav().canvas().WorldRight, right);
        EXPECT_EQ(f.nav().windowTitle(), QStringLiteral("Nivora Depthwright - ") + snapshot);

        // The exit button ends at once: no snapshot, no view keys. Two
        // minutes on, a snapshot would take a new name.
        f.nav().action(QStringLiteral("btZoomOut"))->trigger();
        f.vt.advance(120'000);
        const QByteArray before = readFile(ini);
        const QStringList layouts = QDir(QFileInfo(snapshot).absolutePath()).entryList(QDir::Files);
        f.nav().action(QStringLiteral("btExit"))->trigger();
        EXPECT_EQ(f.terminated, std::vector<int>{-1});
        EXPECT_EQ(readFile(ini), before);
        EXPECT_EQ(QDir(QFileInfo(snapshot).absolutePath()).entryList(QDir::Files), layouts);

        // Restart starts the program again and ends this one the same way.
        f.nav().action(QStringLiteral("btRestart"))->trigger();
        EXPECT_EQ(f.launched.size(), 1);
        EXPECT_EQ(f.terminated, (std::vector<int>{-1, 0}));
        EXPECT_EQ(readFile(ini), before);
    }
}

}  // namespace
}  // namespace nivora::test
