// The survey day through the real windows: menus, shortcuts, toolbar
// buttons, the mouse and keys on the chart, compact mode, the two ways out.

#include <gtest/gtest.h>

#include <QAction>
#include <QDirIterator>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include "app/message_window.h"
#include "app/realtime_window.h"
#include "canvas/ui/nivora_canvas.h"
#include "config/ui/offsets_window.h"
#include "config/ui/settings_window.h"
#include "config/ui/small_windows.h"
#include "files/layout_files.h"
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
    ASSERT_TRUE(f.survey().running());
    EXPECT_EQ(nav.realtimeButton()->text(), QStringLiteral("Stop"));
    // The button saved a snapshot; while it is written the file commands are off.
    EXPECT_FALSE(nav.action(QStringLiteral("aOpen"))->isEnabled());
    ASSERT_TRUE(waitForFileJob(f.chart()));
    EXPECT_TRUE(nav.action(QStringLiteral("aOpen"))->isEnabled());
    f.vt.advance(90'000);
    EXPECT_GT(shapesOn(canvas, layer_names::TrackFix), 3)
        << "the simulated vessel leaves a fixed track";
    EXPECT_TRUE(nav.statusPanel(0)->text().startsWith(QStringLiteral("Lat: 40.99")))
        << nav.statusPanel(0)->text().toStdString();
    EXPECT_TRUE(nav.statusPanel(2)->text().startsWith(QStringLiteral("E: 41")));

    // The realtime button stops it; English puts its caption back to "Realtime".
    QTest::mouseClick(nav.realtimeButton(), Qt::LeftButton);
    EXPECT_FALSE(f.survey().running());
    EXPECT_EQ(nav.realtimeButton()->text(), QStringLiteral("Start"));
    // The offscreen platform gives the keyboard to each window shown (the
    // echogram at the start); the chart's window takes it back.
    QApplication::processEvents();
    nav.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&nav));
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &nav);
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
    f.survey().message(QStringLiteral("test message"));
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
    ASSERT_TRUE(f.survey().running());
    f.vt.advance(9'000);
    f.survey().flushLogs();
    const QString log = f.survey().logs().folders().coordinateLogPath();
    const qsizetype before = readFile(log).count('\n');
    EXPECT_GT(before, 10);
    f.program->realtime().Timer1Timer();  // its ten seconds
    EXPECT_EQ(f.program->models().device.sbesFormat, QStringLiteral("%*6s,%lf"));
    f.vt.advance(15'000);
    f.survey().flushLogs();
    EXPECT_GT(readFile(log).count('\n'), before + 30) << "soundings go on being logged";
}

// The close hid the windows instead of closing them, so the navigation
// settings, written by their window's close, were lost (7 shown, 2 kept).
TEST_F(ProgramTest, TheCloseClosesEveryWindowAndKeepsWhatWasEdited) {
    const QString ini = demoIni(dir);
    {
        ProgramFixture f(ini);
        f.program->start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.nav()));
        f.nav().action(QStringLiteral("aNavigationSettings"))->trigger();
        f.nav().action(QStringLiteral("aRealtimeWindow"))->trigger();
        QWidget* interval =
            f.program->navigation().findChild<QWidget*>(QStringLiteral("TrackInterval"));
        ASSERT_NE(interval, nullptr);
        QTest::keyClick(interval, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(interval, QStringLiteral("7"));
        ASSERT_EQ(f.program->models().navigation.trackInterval, QStringLiteral("7"));
        f.program->close();
        EXPECT_FALSE(f.program->navigation().isVisible());
    }
    const IniStore stored(ini);
    EXPECT_EQ(
        stored.readString(QStringLiteral("NAVIGATION_SETTINGS"), QStringLiteral("TrackInterval")),
        QStringLiteral("7"));
    // Windows never shown keep no 100 x 30 place; the read-outs come back.
    EXPECT_FALSE(stored.hasSection(QStringLiteral("TfSVP")));
    ProgramFixture again(ini);
    again.program->start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again.nav()));
    EXPECT_TRUE(again.program->realtime().isVisible()) << "open at the close, open again";
}

// A settings file that could not be written made the close show a message
// box before the snapshot: the close waited for a click (and ignored
// SIGTERM meanwhile) and no snapshot was written.
TEST_F(ProgramTest, AnUnwritableSettingsFileNeitherStopsNorLosesTheClose) {
    QDir(dir.path()).mkdir(QStringLiteral("settings"));
    const QString ini = dir.filePath(QStringLiteral("settings/NivoraDW.INI"));
    QFile::rename(demoIni(dir), ini);
    ProgramFixture f(ini);
    f.program->start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.nav()));
    f.nav().action(QStringLiteral("aNavigationSettings"))->trigger();
    ASSERT_TRUE(QDir(dir.filePath(QStringLiteral("settings"))).removeRecursively());
    auto dialog = answerNextDialog(QMessageBox::Ok);
    f.program->close();
    EXPECT_FALSE(dialog->seen) << "a dialog in the close: " << dialog->text.toStdString();
    EXPECT_FALSE(f.nav().isVisible());
    QStringList all;
    QDirIterator it(dir.filePath(QStringLiteral("NWL")), {QStringLiteral("*.nwl")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        all << it.next();
    EXPECT_EQ(all.size(), 1) << "the snapshot is written";
    EXPECT_TRUE(f.program->messages().text().contains(QStringLiteral("NivoraDW.INI")))
        << "the failure is said: " << f.program->messages().text().toStdString();
}

// With the menu bar hidden, its shortcuts did nothing.
TEST_F(ProgramTest, ShortcutsWorkInCompactMode) {
    ProgramFixture f(demoIni(dir));
    f.program->start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.nav()));
    f.nav().toggleCompactMode();
    ASSERT_FALSE(f.nav().menuBar()->isVisible());
    const int events = f.program->models().session.eventNumber;
    QTest::keyClick(&f.nav().canvas(), Qt::Key_F12);
    EXPECT_EQ(f.program->models().session.eventNumber, events + 1);
    const QString before =
        IniStore(f.program->iniPath())
            .readString(QStringLiteral("FILE"), QStringLiteral("Last File Saved"));
    QTest::keyClick(&f.nav().canvas(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(waitForFileJob(f.chart()));
    EXPECT_NE(IniStore(f.program->iniPath())
                  .readString(QStringLiteral("FILE"), QStringLiteral("Last File Saved")),
              before)
        << "Ctrl+S saved a snapshot";
}

TEST_F(ProgramTest, MenusShowAShortcutOnlyBesideTheCommandItRunsAndTheGridIsThereAtStart) {
    ProgramFixture f(demoIni(dir));
    f.program->start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.nav()));
    // Ctrl+I, Ctrl+O and Ctrl+W run Import, Open and Save As; the Zoom menu listed them too.
    QStringList shown;
    for (QAction* a : f.nav().findChildren<QAction*>()) {
        const QString key = a->text().section(QLatin1Char('\t'), 1);
        const QString mine = a->shortcut().toString();
        if (!key.isEmpty()) {
            EXPECT_EQ(key, mine) << a->objectName().toStdString();
        }
        if (!mine.isEmpty()) {
            EXPECT_FALSE(shown.contains(mine)) << mine.toStdString() << " twice";
            shown << mine;
        }
    }
    // The demo's grid is on: drawn from the start, not once its window was opened.
    const CanvasDocument& doc = f.nav().canvas().Document();
    EXPECT_TRUE(doc.Grid.GridVisible);
    EXPECT_EQ(doc.Grid.GridSpacingX, 100);
    // A change in the settings window reaches the chart, by announcement.
    f.program->settings().show();
    auto* grid = f.program->settings().findChild<QAbstractButton*>(QStringLiteral("cbGridVisible"));
    ASSERT_NE(grid, nullptr);
    grid->click();
    EXPECT_FALSE(doc.Grid.GridVisible);
}

TEST_F(ProgramTest, OpenLogFolderSaysWhereTheFolderIsWhenNoFileManagerOpens) {
    ProgramFixture f(demoIni(dir));
    f.program->start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.nav()));
    f.nav().setUrlOpener([](const QUrl&) { return false; });
    f.nav().action(QStringLiteral("aOpenLogFolder"))->trigger();
    EXPECT_TRUE(f.program->messages().text().contains(
        QStringLiteral("No file manager could be opened; the log folder is ") +
        QDir::toNativeSeparators(
            QFileInfo(f.survey().logs().folders().rawLogPath(RawLogKind::Gnss, QDate(2026, 12, 8)))
                .absolutePath())))
        << f.program->messages().text().toStdString();
}

// During real time the click after a finished drawing was swallowed: three
// route clicks gave a two-point route.
TEST_F(ProgramTest, EveryRouteClickAfterADrawnShapeCounts) {
    ProgramFixture f(demoIni(dir), true);
    f.program->start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.nav()));
    TNivoraCanvas& canvas = f.nav().canvas();
    f.vt.advance(3000);
    canvas.ToolMode = 3;  // a line first, finished with the right button
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(200, 100));
    QTest::mouseClick(&canvas, Qt::RightButton, {}, QPoint(200, 100));
    f.program->runline().show();
    canvas.ToolMode = 5;
    for (const QPoint p : {QPoint(120, 300), QPoint(320, 300), QPoint(320, 400)}) {
        QTest::mouseClick(&canvas, Qt::LeftButton, {}, p);
        f.vt.advance(1000);  // the survey goes on between the clicks
    }
    QTest::mouseClick(&canvas, Qt::RightButton, {}, QPoint(320, 400));
    EXPECT_EQ(f.program->runline().Route().size(), 3u);
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

TEST_F(ProgramTest, CloseExitAndRestartKeepTheViewAndTheChartWork) {
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
    const auto lastSaved = [&ini] {
        return IniStore(ini).readString(QStringLiteral("FILE"), QStringLiteral("Last File Saved"));
    };
    const QString snapshot = lastSaved();
    EXPECT_TRUE(QFileInfo::exists(snapshot)) << snapshot.toStdString();
    // The exit button and the restart button once ended the program at
    // once: the chart work since the last Save was lost without a question.
    for (const char* button : {"btExit", "btRestart"}) {
        SCOPED_TRACE(button);
        ProgramFixture f(ini);
        f.program->start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.nav()));
        EXPECT_DOUBLE_EQ(f.nav().canvas().WorldLeft, left) << "the next start shows the same view";
        EXPECT_DOUBLE_EQ(f.nav().canvas().WorldRight, right);
        EXPECT_EQ(f.nav().windowTitle(), QStringLiteral("Nivora Depthwright - ") + lastSaved());

        const QString before = lastSaved();
        f.nav().canvas().DrawPoint(left + 10, f.nav().canvas().WorldBottom + 10,
                                   f.chart().layers().userShape);
        f.nav().action(QStringLiteral("btZoomOut"))->trigger();
        left = f.nav().canvas().WorldLeft;
        right = f.nav().canvas().WorldRight;
        f.nav().action(QLatin1String(button))->trigger();
        EXPECT_FALSE(f.nav().isVisible()) << "the close sequence ran";
        const QString after = lastSaved();
        EXPECT_NE(after, before) << "a snapshot of its own, the earlier one kept";
        EXPECT_TRUE(QFileInfo::exists(before));
        CanvasDocument saved;
        ASSERT_TRUE(CadLoad(saved, after));
        const auto userShapes = [](const CanvasDocument& d) {
            const int layer = d.LayerFindByName(layer_names::UserShape);
            int n = 0;
            for (const TNShape& shape : d.Shapes())
                n += shape.Layer() == layer;
            return n;
        };
        EXPECT_EQ(userShapes(saved), userShapes(f.nav().canvas().Document()))
            << "the point drawn since the last start is in it";
        EXPECT_GT(userShapes(saved), 0);
        if (QLatin1String(button) == QLatin1String("btExit")) {
            EXPECT_EQ(f.terminated, std::vector<int>{-1});
            EXPECT_TRUE(f.launched.isEmpty());
        } else {
            EXPECT_EQ(f.terminated, std::vector<int>{0});
            EXPECT_EQ(f.launched.size(), 1) << "after the close, so that it reads what was written";
        }
    }
}

}  // namespace
}  // namespace nivora::test
