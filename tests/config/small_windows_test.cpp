#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include "config/guidance_settings.h"
#include "config/ntrip_settings.h"
#include "config/settings_changes.h"
#include "config/ui/config_widgets.h"
#include "config/ui/guidance_window.h"
#include "config/ui/ntrip_window.h"
#include "config/ui/small_windows.h"
#include "sensors/ntrip_client.h"
#include "tests/config/config_test_support.h"

namespace nivora {
namespace {

using test::FakeHost;
using test::FakePrompts;
using test::ScratchIni;

template <class T>
T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

void show(QWidget& w) {
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
}

// Types into a spin field as the operator does: select all, then keys.
void retype(TextSpinEdit* s, const QString& text) {
    s->setFocus();
    s->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(s, Qt::Key_Delete);
    } else {
        QTest::keyClicks(s, text);
    }
}

// ---- TNavset ----

// An empty file used to give 20 ms (run at 100) and black; now the designed values.
TEST(NavsetWindow, ShowingAnEmptyFileShowsTheDesignedValues) {
    ScratchIni ini;
    NavigationSettings model;
    FakeHost host;
    SettingsChanges changes;
    TNavset w(model, changes, host, ini.file());
    EXPECT_EQ(child<TextSpinEdit>(&w, "eUpdateRate")->fieldText(), QStringLiteral("1000"));
    // Showing shows the model as it is then: here, loaded after the window was made.
    model.load(ini.file().read());
    show(w);
    EXPECT_EQ(child<TextSpinEdit>(&w, "eUpdateRate")->fieldText(), QStringLiteral("500"));
    EXPECT_EQ(child<TextSpinEdit>(&w, "TrackInterval")->fieldText(), QStringLiteral("20"));
    EXPECT_EQ(child<TextSpinEdit>(&w, "VesselWidth")->fieldText(), QStringLiteral("3"));
    EXPECT_EQ(child<QLineEdit>(&w, "edDepthAlert1")->text(), QStringLiteral("1"));
    EXPECT_TRUE(child<QCheckBox>(&w, "cLineOrDot")->isChecked());
    EXPECT_EQ(child<ColorBox>(&w, "fcadColor")->colour(), colors::White);
}

TEST(NavsetWindow, UpdatePeriodSetsTheTimerAndTheTrackInterval) {
    ScratchIni ini;
    NavigationSettings model;
    model.load(ini.file().read());
    FakeHost host;
    SettingsChanges changes;
    TNavset w(model, changes, host, ini.file());
    show(w);
    QSignalSpy periods(&changes, &SettingsChanges::updatePeriodChanged);
    auto* rate = child<TextSpinEdit>(&w, "eUpdateRate");
    retype(rate, QStringLiteral("500"));
    ASSERT_FALSE(periods.isEmpty());
    EXPECT_EQ(periods.last()[0].toInt(), 500);
    EXPECT_EQ(child<TextSpinEdit>(&w, "TrackInterval")->fieldText(), QStringLiteral("20"));

    retype(rate, QString());
    EXPECT_EQ(rate->fieldText(), QStringLiteral("1000"));
    EXPECT_EQ(periods.last()[0].toInt(), 1000);
    EXPECT_EQ(child<TextSpinEdit>(&w, "TrackInterval")->fieldText(), QStringLiteral("10"));

    rate->stepBy(1);
    EXPECT_EQ(rate->fieldText(), QStringLiteral("1100"));
    EXPECT_EQ(periods.last()[0].toInt(), 1100);
    rate->stepBy(100);
    EXPECT_EQ(rate->fieldText(), QStringLiteral("5000"));
}

TEST(NavsetWindow, EmptiedFieldsGetTheirReplacementsAndLettersAreRefused) {
    ScratchIni ini;
    NavigationSettings model;
    model.load(ini.file().read());
    FakeHost host;
    SettingsChanges changes;
    TNavset w(model, changes, host, ini.file());
    show(w);
    auto* width = child<TextSpinEdit>(&w, "TrackWidth");
    retype(width, QString());
    EXPECT_EQ(width->fieldText(), QStringLiteral("2"));
    retype(child<TextSpinEdit>(&w, "TrackInterval"), QString());
    EXPECT_EQ(model.trackInterval, QStringLiteral("0"));
    retype(width, QStringLiteral("7x"));
    EXPECT_EQ(width->fieldText(), QStringLiteral("7"));
    auto* alert = child<QLineEdit>(&w, "edDepthAlert1");
    alert->setFocus();
    alert->selectAll();
    QTest::keyClick(alert, Qt::Key_Delete);
    EXPECT_EQ(alert->text(), QStringLiteral("0"));
}

TEST(NavsetWindow, BackgroundColourGoesToTheCanvasAndClosingWritesTheFile) {
    ScratchIni ini;
    NavigationSettings model;
    model.load(ini.file().read());
    FakeHost host;
    SettingsChanges changes;
    TNavset w(model, changes, host, ini.file());
    show(w);
    auto* background = child<ColorBox>(&w, "fcadColor");
    const int teal = background->findText(QStringLiteral("Teal"));
    ASSERT_GE(teal, 0);
    QSignalSpy backgrounds(&changes, &SettingsChanges::backgroundChanged);
    emit background->activated(teal);
    ASSERT_EQ(backgrounds.size(), 1);
    EXPECT_EQ(backgrounds[0][0].value<TColor>(), colors::Teal);
    EXPECT_EQ(model.backgroundColor, colors::Teal);
    w.close();
    const IniStore stored = ini.store();
    EXPECT_EQ(stored.readInteger(QStringLiteral("NAVIGATION_SETTINGS"),
                                 QStringLiteral("BackgroundColor"), -1),
              static_cast<int>(colors::Teal));
    EXPECT_EQ(
        stored.readString(QStringLiteral("NAVIGATION_SETTINGS"), QStringLiteral("eUpdateRate")),
        QStringLiteral("500"));
    EXPECT_TRUE(stored.hasKey(QStringLiteral("TNavset"), QStringLiteral("Top")));
}

// ---- TfLatency ----

TEST(LatencyWindow, ShowsTheCycleAndColoursTheGroup) {
    ScratchIni ini;
    ini.write("[LATENCY]\neLatencyTol=300\n");
    LatencyModel model;
    model.load(ini.file().read());
    FakeHost host;
    TfLatency w(model, host, ini.file());
    EXPECT_EQ(child<QLineEdit>(&w, "eLatencyTol")->text(), QStringLiteral("300"));
    w.recordLatency(120);
    w.recordLatency(310);
    EXPECT_EQ(child<QLineEdit>(&w, "eCurrentLatency")->text(), QStringLiteral("310"));
    EXPECT_EQ(child<QLineEdit>(&w, "eLatencyAveraged")->text(), QStringLiteral("215.0"));
    auto* group = child<QGroupBox>(&w, "gLatency");
    EXPECT_EQ(group->palette().color(QPalette::Window), QColor(255, 0, 0));
    w.recordLatency(299);
    EXPECT_EQ(group->palette().color(QPalette::Window), QColor(0, 255, 0));
}

TEST(LatencyWindow, EveryChangeOfTheToleranceIsStored) {
    ScratchIni ini;
    LatencyModel model;
    model.load(ini.file().read());
    FakeHost host;
    TfLatency w(model, host, ini.file());
    show(w);
    auto* tol = child<QLineEdit>(&w, "eLatencyTol");
    tol->setFocus();
    tol->selectAll();
    QTest::keyClicks(tol, QStringLiteral("75"));
    EXPECT_EQ(ini.store().readInteger(QStringLiteral("LATENCY"), QStringLiteral("eLatencyTol"), 0),
              75);
    QTest::keyClicks(tol, QStringLiteral("x"));
    EXPECT_EQ(ini.store().readInteger(QStringLiteral("LATENCY"), QStringLiteral("eLatencyTol"), 0),
              75);
    EXPECT_TRUE(host.errors.isEmpty());
}

// ---- TFShape ----

TEST(ShapeWindow, DefaultThenSaveAndHide) {
    ScratchIni ini;
    VesselShapeModel model;
    model.load(ini.file().read());
    FakePrompts prompts;
    TFShape w(model, prompts, ini.file());
    show(w);
    EXPECT_EQ(child<QLineEdit>(&w, "edLArrow")->text(), QStringLiteral("0"));
    QTest::mouseClick(child<QPushButton>(&w, "bDefault"), Qt::LeftButton);
    EXPECT_EQ(child<QLineEdit>(&w, "edLArrow")->text(), QStringLiteral("10"));
    auto* amount = child<QLineEdit>(&w, "edAmount");
    amount->setFocus();
    amount->selectAll();
    QTest::keyClicks(amount, QStringLiteral("4"));
    QTest::mouseClick(child<QPushButton>(&w, "bSaveHide"), Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    const IniStore stored = ini.store();
    EXPECT_EQ(
        stored.readString(QStringLiteral("VESSEL_SHAPE"), QStringLiteral("Number of circles")),
        QStringLiteral("4"));
    EXPECT_EQ(stored.readString(QStringLiteral("VESSEL_SHAPE"),
                                QStringLiteral("Left right offset of arrow")),
              QStringLiteral("10"));
}

TEST(ShapeWindow, AFileThatCannotBeWrittenKeepsTheWindowOpen) {
    ScratchIni ini;
    const SettingsFile gone(ini.folder() + QStringLiteral("/gone/NivoraDW.INI"));
    VesselShapeModel model;
    model.load(gone.read());
    FakePrompts prompts;
    TFShape w(model, prompts, gone);
    show(w);
    w.SaveAndHideClick();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(prompts.texts(QStringLiteral("error")).size(), 1);
}

// ---- Placement on a real window ----

// A window goes back where it was, at the size it had, through any number
// of starts. The stored place once held the frame and was restored as the
// client area: every start moved the windows up by a title bar.
TEST(WindowPlacementUi, AWindowComesBackWhereItWasThroughTwoRestarts) {
    ScratchIni ini;
    QRect placed;
    for (int start = 0; start < 3; ++start) {
        QWidget w;
        w.setObjectName(QStringLiteral("TfSVP"));
        w.resize(100, 100);
        RestoreWindowPlacement(w, ini.file());
        show(w);
        if (start == 0) {
            w.setGeometry(40, 60, 333, 222);
            placed = w.geometry();
        }
        EXPECT_EQ(w.geometry(), placed) << "start " << start;
        QString error;
        ASSERT_TRUE(SaveWindowPlacement(w, ini.file(), &error)) << error.toStdString();
    }
    const IniStore stored = ini.store();
    EXPECT_EQ(stored.readInteger(QStringLiteral("TfSVP"), QStringLiteral("Width"), 0), 333);
    EXPECT_EQ(stored.readInteger(QStringLiteral("TfSVP"), QStringLiteral("WindowState"), -1), 0);
    EXPECT_EQ(stored.readInteger(QStringLiteral("TfSVP"), QStringLiteral("Visible"), -1), 1);
}

TEST(WindowPlacementUi, WindowsOpenOnTheScreen) {
    ScratchIni ini;
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    // First start: the main window fills most of its screen, a side window
    // opens over it, not at the corner with its title bar off the screen.
    QMainWindow main;
    main.setObjectName(QStringLiteral("TFNav"));
    main.resize(1280, 820);
    RestoreWindowPlacement(main, ini.file());
    EXPECT_TRUE(area.contains(main.geometry()));
    EXPECT_GT(main.width(), area.width() * 9 / 10);
    show(main);
    QWidget side(&main, Qt::Tool);
    side.setObjectName(QStringLiteral("TNavset"));
    side.resize(300, 200);
    RestoreWindowPlacement(side, ini.file());
    EXPECT_EQ(side.geometry().center(), main.geometry().center());

    // A place off the screen, or a window larger than it, is brought back into view.
    test::writeFile(ini.path(),
                    "[TNavset]\nLeft=-400\nTop=5000\nWidth=300\nHeight=200\n"
                    "[TfSVP]\nLeft=10\nTop=10\nWidth=99999\nHeight=99999\n");
    RestoreWindowPlacement(side, ini.file());
    EXPECT_TRUE(area.contains(side.geometry()))
        << side.geometry().x() << "," << side.geometry().y();
    QWidget big;
    big.setObjectName(QStringLiteral("TfSVP"));
    RestoreWindowPlacement(big, ini.file());
    EXPECT_TRUE(area.contains(big.geometry()));

    // A window never shown keeps no place (it was stored as 100 x 30).
    QWidget never;
    never.setObjectName(QStringLiteral("TfLatency"));
    ASSERT_TRUE(SaveWindowPlacement(never, ini.file()));
    EXPECT_FALSE(ini.store().hasSection(QStringLiteral("TfLatency")));
}

// A settings file that cannot be read must not be replaced by a file holding
// only the placement.
TEST(WindowPlacementUi, AnUnreadableSettingsFileIsNotOverwritten) {
    ScratchIni ini;
    test::writeFile(ini.path(), QByteArray(17 * 1024 * 1024, 'x'));
    QWidget a;
    a.setObjectName(QStringLiteral("TOffsets"));
    show(a);
    QString error;
    EXPECT_FALSE(SaveWindowPlacement(a, ini.file(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(QFileInfo(ini.path()).size(), 17 * 1024 * 1024);
}

}  // namespace
}  // namespace nivora

namespace nivora {
namespace {

// Guidance settings: a field that is not a number is named and nothing is
// written; good fields are written once and announced once.
TEST(GuidanceSettingsWindow, RefusesANonNumberAndWritesTheRest) {
    test::ScratchIni ini;
    const SettingsFile file = ini.file();
    GuidanceSettings model;
    SettingsChanges changes;
    TGuidanceSettings w(model, changes, file);
    QSignalSpy announced(&changes, &SettingsChanges::guidanceChanged);
    auto* runIn = w.findChild<QLineEdit*>(QStringLiteral("eRunIn"));
    ASSERT_NE(runIn, nullptr);
    runIn->setText(QStringLiteral("ten"));
    EXPECT_FALSE(w.SaveClick());
    EXPECT_EQ(w.status(), QStringLiteral("Run-in: 'ten' is not a number from 0 to 10000"));
    EXPECT_TRUE(ini.bytes().isEmpty());
    EXPECT_EQ(announced.count(), 0);

    runIn->setText(QStringLiteral("25"));
    w.findChild<QComboBox*>(QStringLiteral("cbNextLine"))->setCurrentIndex(2);
    w.findChild<QCheckBox*>(QStringLiteral("cAutopilot"))->setChecked(true);
    w.findChild<QCheckBox*>(QStringLiteral("cRmb"))->setChecked(false);
    w.findChild<QLineEdit*>(QStringLiteral("eAutopilotPort"))
        ->setText(QStringLiteral("/dev/ttyUSB1,4800"));
    ASSERT_TRUE(w.SaveClick()) << w.status().toStdString();
    EXPECT_EQ(announced.count(), 1);
    EXPECT_DOUBLE_EQ(model.runInM(), 25);
    EXPECT_EQ(model.nextLineRule(), NextLineRule::Closest);
    GuidanceSettings back;
    back.load(ini.store());
    EXPECT_DOUBLE_EQ(back.runInM(), 25);
    EXPECT_TRUE(back.autopilot);
    EXPECT_EQ(back.autopilotPort, QStringLiteral("/dev/ttyUSB1,4800"));
    EXPECT_EQ(back.autopilotSentences, QStringLiteral("APB,XTE"));
    EXPECT_EQ(back.nextLineRule(), NextLineRule::Closest);

    // With no sentence chosen the output would send nothing.
    w.findChild<QCheckBox*>(QStringLiteral("cApb"))->setChecked(false);
    w.findChild<QCheckBox*>(QStringLiteral("cXte"))->setChecked(false);
    EXPECT_FALSE(w.SaveClick());
}

TEST(NtripSettingsWindow, RefusesWhatCannotConnectHidesThePasswordAndWritesTheSection) {
    test::ScratchIni ini;
    const SettingsFile file = ini.file();
    NtripSettings model;
    model.load(ini.store());
    EXPECT_TRUE(model.sendGga) << "network mountpoints are the common case";
    EXPECT_EQ(model.caster().port, 2101);
    EXPECT_EQ(model.caster().version, 2);
    EXPECT_EQ(model.caster().ggaIntervalMs, 10000);
    TNtripSettings w(model, file);
    auto* password = child<QLineEdit>(&w, "ePassword");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    child<QCheckBox>(&w, "cEnabled")->setChecked(true);
    child<QLineEdit>(&w, "eMountpoint")->setText(QStringLiteral("HARBOUR0"));
    EXPECT_FALSE(w.SaveClick());
    EXPECT_EQ(w.status(), QStringLiteral("Caster: no host is set"));
    child<QLineEdit>(&w, "eHost")->setText(QStringLiteral(" caster.example.net "));
    child<QLineEdit>(&w, "ePort")->setText(QStringLiteral("70000"));
    EXPECT_FALSE(w.SaveClick());
    EXPECT_EQ(w.status(), QStringLiteral("Port: '70000' is not a number from 1 to 65535"));
    EXPECT_TRUE(ini.bytes().isEmpty());

    child<QLineEdit>(&w, "ePort")->setText(QStringLiteral("2102"));
    child<QLineEdit>(&w, "eUser")->setText(QStringLiteral("surveyor"));
    password->setText(QStringLiteral("Kx9-tide-Harbour"));
    child<QComboBox>(&w, "cVersion")->setCurrentIndex(1);
    child<QCheckBox>(&w, "cSendGGA")->setChecked(false);
    EXPECT_FALSE(child<QLineEdit>(&w, "eGGAInterval")->isEnabled());
    ASSERT_TRUE(w.SaveClick()) << w.status().toStdString();
    NtripSettings back;
    back.load(ini.store());
    const NtripCaster c = back.caster();
    EXPECT_TRUE(back.enabled);
    EXPECT_EQ(c.host, QStringLiteral("caster.example.net"));
    EXPECT_EQ(c.port, 2102);
    EXPECT_EQ(c.mountpoint, QStringLiteral("HARBOUR0"));
    EXPECT_EQ(c.user, QStringLiteral("surveyor"));
    EXPECT_EQ(c.password, QStringLiteral("Kx9-tide-Harbour"));
    EXPECT_EQ(c.version, 1);
    EXPECT_FALSE(c.sendGga);
    EXPECT_TRUE(ini.bytes().contains("[NTRIP]"));
}

}  // namespace
}  // namespace nivora
