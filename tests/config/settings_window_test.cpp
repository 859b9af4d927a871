#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include "config/ui/config_widgets.h"
#include "config/ui/crs_picker.h"
#include "config/ui/settings_window.h"
#include "tests/config/config_test_support.h"

namespace nivora {
namespace {

using test::FakeHost;
using test::FakePrompts;
using test::ScratchIni;

class SettingsWindow : public ::testing::Test {
  protected:
    // The program loads the model once at start, then creates the window.
    void open(const char* iniText = "") {
        ini.write(iniText);
        model.load(ini.file().read());
        window = std::make_unique<TFGPS>(model, changes, host, prompts, ini.file());
    }
    void showWindow() {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    template <class T>
    T* child(const char* name) {
        T* w = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // Check boxes stretch across their form row: click on the box itself.
    static void clickBox(QAbstractButton* b) {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    }
    void click(const char* name) { clickBox(child<QAbstractButton>(name)); }
    QTabWidget* tabs() { return window->findChild<QTabWidget*>(); }

    ScratchIni ini;
    DeviceSettingsModel model;
    SettingsChanges changes;
    FakeHost host;
    FakePrompts prompts;
    std::unique_ptr<TFGPS> window;
};

TEST_F(SettingsWindow, CreationShowsTheLoadedSettings) {
    open(
        "[GPS1 COMUNICATION SETTINGS]\nPort No=COM9\nBaud Rate=115200\n"
        "[SENSOR COMUNICATION SETTINGS]\nPort No=SIM\ncSBESMessage=NMEA DPT\neSBESFormat=%*6s,%lf\n"
        "[GEODETIC_PARAMETERS]\nCentral_Meridian=27\n[GRID_SETTINGS]\nAutoGrid=1\n");
    EXPECT_EQ(child<QComboBox>("Port")->currentText(), QStringLiteral("COM9"));
    EXPECT_EQ(child<QComboBox>("BaudRate")->currentText(), QStringLiteral("115200"));
    EXPECT_EQ(child<QComboBox>("SPort")->currentText(), QStringLiteral("SIM"));
    EXPECT_EQ(child<QComboBox>("SDataWidth")->currentText(), QString());
    EXPECT_EQ(child<QComboBox>("cSBESMessage")->currentText(), QStringLiteral("NMEA DPT"));
    EXPECT_EQ(child<QLineEdit>("eSBESFormat")->text(), QStringLiteral("%*6s,%lf"));
    EXPECT_EQ(child<QLineEdit>("edCM")->text(), QStringLiteral("27"));
    EXPECT_TRUE(child<QCheckBox>("cbUseTMProjection")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("cbAutoGrid")->isChecked());
    EXPECT_FALSE(child<QLineEdit>("edGridSpacingX")->isEnabled());
    EXPECT_FALSE(child<QLineEdit>("edGridSpacingY")->isEnabled());
    EXPECT_EQ(child<ColorBox>("cbGridColor")->colour(), colors::Silver);
    const QStringList captions = {
        QStringLiteral("GPS Settings"), QStringLiteral("Sensor (SBES) Settings"),
        QStringLiteral("Godetic Parameters"), QStringLiteral("I/O Port Monitor"),
        QStringLiteral("Global Setting")};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(tabs()->tabText(i), captions[i]);
}

TEST_F(SettingsWindow, TypedTextsReachTheModel) {
    open();
    showWindow();
    tabs()->setCurrentIndex(0);
    QComboBox* baud = child<QComboBox>("BaudRate");
    baud->setFocus();
    baud->lineEdit()->selectAll();
    QTest::keyClicks(baud, QStringLiteral("4800"));
    EXPECT_EQ(model.gps.baudRate, QStringLiteral("4800"));
    tabs()->setCurrentIndex(2);
    QTest::keyClicks(child<QLineEdit>("edSMA"), QStringLiteral("6378388"));
    EXPECT_EQ(model.geodetic.semiMajorAxis, "6378388");
}

// A system picked from the register: the picker finds it as typed, fills
// the fields and boxes (a Lambert system ticks Lambert), the window says
// where they came from and reads the flattening both ways; typing a field
// by hand makes them the surveyor's own again.
TEST_F(SettingsWindow, ASystemFromTheRegisterFillsTheFieldsAndTypingMakesThemOwn) {
    open("[GEODETIC_PARAMETERS]\nSemiMajorAxis=6378137\nInverseFlattening=298.257223563\n");
    EXPECT_EQ(child<QLabel>("lFlattening")->text(),
              QStringLiteral("f = 0.00335281066475, 1/f = 298.257224"));
    CrsPicker picker(model.geodeticParameters());
    picker.search(QStringLiteral("Lambert-93"));
    ASSERT_GT(picker.matches(), 0);
    ASSERT_TRUE(picker.choose(0)) << picker.status().toStdString();
    ASSERT_TRUE(picker.chosen());
    window->applyCrs(picker.chosen()->parameters);
    EXPECT_TRUE(child<QCheckBox>("cbUseLCCProjection")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("cLambert1")->isChecked());
    EXPECT_EQ(child<QLineEdit>("eLCCSP1")->text(), QStringLiteral("49"));
    EXPECT_EQ(child<QLineEdit>("eLCCSP2")->text(), QStringLiteral("44"));
    EXPECT_EQ(child<QLineEdit>("eLCCM")->text(), QStringLiteral("3"));
    EXPECT_EQ(child<QLineEdit>("eLCCFN")->text(), QStringLiteral("6600000"));
    EXPECT_TRUE(child<QLabel>("lCrs")->text().contains(QStringLiteral("EPSG:2154")))
        << child<QLabel>("lCrs")->text().toStdString();

    showWindow();
    tabs()->setCurrentIndex(2);
    QLineEdit* flattening = child<QLineEdit>("edIF");
    flattening->selectAll();
    QTest::keyClicks(flattening, QStringLiteral("500"));
    EXPECT_EQ(child<QLabel>("lFlattening")->text(),
              QStringLiteral("neither a flattening nor an inverse one"));
    EXPECT_TRUE(model.geodetic.epsgCode.empty());
    EXPECT_TRUE(child<QLabel>("lCrs")->text().contains(QStringLiteral("typed by hand")));
}

TEST_F(SettingsWindow, ProjectionBoxesExcludeEachOther) {
    open();
    showWindow();
    tabs()->setCurrentIndex(2);
    auto* tm = child<QCheckBox>("cbUseTMProjection");
    auto* lcc = child<QCheckBox>("cbUseLCCProjection");
    clickBox(lcc);
    EXPECT_TRUE(lcc->isChecked());
    EXPECT_FALSE(tm->isChecked());
    clickBox(lcc);
    EXPECT_FALSE(lcc->isChecked());
    EXPECT_TRUE(tm->isChecked());
    clickBox(tm);
    EXPECT_TRUE(lcc->isChecked());
    EXPECT_TRUE(model.useLambert());
}

TEST_F(SettingsWindow, Lambert1DisablesTheStandardParallels) {
    open();
    showWindow();
    tabs()->setCurrentIndex(2);
    click("cLambert1");
    EXPECT_FALSE(child<QLineEdit>("eLCCSP1")->isEnabled());
    EXPECT_FALSE(child<QLineEdit>("eLCCSP2")->isEnabled());
    EXPECT_TRUE(child<QLineEdit>("eLCCSF")->isEnabled());
    click("cLambert1");
    EXPECT_TRUE(child<QLineEdit>("eLCCSP1")->isEnabled());
}

TEST_F(SettingsWindow, ChoosingAFamilyFillsThePatternAndSetsTheDepthDisplay) {
    open();
    QSignalSpy display(&changes, &SettingsChanges::depthDisplayChanged);
    QComboBox* family = child<QComboBox>("cSBESMessage");
    emit family->activated(family->findText(QStringLiteral("NMEA DBT")));
    EXPECT_EQ(child<QLineEdit>("eSBESFormat")->text(), QStringLiteral("%*6s,%*lf,%*1s,%lf"));
    emit family->activated(family->findText(QStringLiteral("Nivora XDR H/L")));
    EXPECT_EQ(child<QLineEdit>("eSBESFormat")->text(), QStringLiteral("%*8s,%lf,%*8s,%lf"));
    ASSERT_EQ(display.size(), 2);
    EXPECT_FALSE(display[0][0].toBool());
    EXPECT_TRUE(display[1][0].toBool());
    emit family->activated(family->findText(QStringLiteral("OTHER")));
    EXPECT_EQ(child<QLineEdit>("eSBESFormat")->text(), QString());
    EXPECT_EQ(display.size(), 2) << "OTHER leaves the display as it is";
    EXPECT_EQ(model.sbesMessage, QStringLiteral("OTHER"));
}

TEST_F(SettingsWindow, AutoScaleDisablesTheSpacingAndSetsTheGrid) {
    open("[GRID_SETTINGS]\nGridSpacingX=40\nGridSpacingY=abc\n");
    showWindow();
    tabs()->setCurrentIndex(4);
    QSignalSpy said(&changes, &SettingsChanges::displayChanged);
    click("cbAutoGrid");
    EXPECT_FALSE(child<QLineEdit>("edGridSpacingX")->isEnabled());
    EXPECT_EQ(model.canvasGridSpacing().x, 0.0) << "automatic";
    EXPECT_EQ(said.size(), 1);
    click("cbAutoGrid");
    EXPECT_TRUE(child<QLineEdit>("edGridSpacingY")->isEnabled());
    EXPECT_EQ(model.canvasGridSpacing().x, 40.0);
    EXPECT_EQ(model.canvasGridSpacing().y, 100.0) << "a spacing that is not a number is 100";
    EXPECT_EQ(said.size(), 2);
}

TEST_F(SettingsWindow, ShowGridSetsVisibilityAtOnce) {
    open();
    showWindow();
    tabs()->setCurrentIndex(4);
    QSignalSpy said(&changes, &SettingsChanges::displayChanged);
    click("cbGridVisible");
    EXPECT_FALSE(model.display().GridVisibleSetting);
    EXPECT_EQ(model.display().GridColorSetting, colors::Silver);
    EXPECT_EQ(said.size(), 1);
}

TEST_F(SettingsWindow, ApplySettingsChangesTheMapButNotTheFile) {
    open();
    showWindow();
    tabs()->setCurrentIndex(4);
    QLineEdit* x = child<QLineEdit>("edGridSpacingX");
    x->selectAll();
    QTest::keyClicks(x, QStringLiteral("25"));
    QTest::keyClicks(child<QLineEdit>("edDepthLabelFontName"), QStringLiteral(" Narrow"));
    const QByteArray before = ini.bytes();
    QSignalSpy said(&changes, &SettingsChanges::displayChanged);
    click("bApplySettings");
    EXPECT_EQ(model.display().GridSpacingXSetting, 25.0);
    EXPECT_EQ(model.display().DepthLabelFontName, QStringLiteral("Arial Narrow"));
    EXPECT_EQ(model.canvasGridSpacing().x, 25.0);
    EXPECT_EQ(said.size(), 1);
    EXPECT_EQ(prompts.texts(QStringLiteral("message")),
              QStringList{QStringLiteral(
                  "Settings applied! Use 'Save and Lock Settings' to save to INI.")});
    EXPECT_EQ(ini.bytes(), before);
}

TEST_F(SettingsWindow, LockingSavesReportsAndDisablesTheTabsButNotTheLockBox) {
    open();
    showWindow();
    auto* lock = child<QCheckBox>("LockStateCheck1");
    clickBox(lock);
    EXPECT_TRUE(lock->isChecked());
    EXPECT_TRUE(lock->isEnabled());
    for (int i : {0, 1, 2, 4})
        EXPECT_FALSE(tabs()->widget(i)->isEnabled()) << i;
    EXPECT_TRUE(tabs()->widget(3)->isEnabled());
    ASSERT_EQ(host.reports.size(), 1);
    EXPECT_EQ(
        ini.store().readString(QStringLiteral("LOCK SETTINGS"), QStringLiteral("Lock Settings")),
        QStringLiteral("1"));
    EXPECT_TRUE(ini.store().hasKey(QStringLiteral("GRID_SETTINGS"), QStringLiteral("GridColor")));

    clickBox(lock);
    for (int i : {0, 1, 2, 4})
        EXPECT_TRUE(tabs()->widget(i)->isEnabled()) << i;
    EXPECT_EQ(
        ini.store().readString(QStringLiteral("LOCK SETTINGS"), QStringLiteral("Lock Settings")),
        QStringLiteral("0"));
}

TEST_F(SettingsWindow, SettingsLockedInTheFileDisablesTheTabsAtCreation) {
    open("[LOCK SETTINGS]\nLock Settings=0\nSettings Locked (true/false)=true\n");
    EXPECT_FALSE(tabs()->widget(0)->isEnabled());
    EXPECT_FALSE(tabs()->widget(2)->isEnabled());
    EXPECT_FALSE(child<QCheckBox>("LockStateCheck1")->isChecked());
}

// Showing once read the settings file again over the operator's edits.
TEST_F(SettingsWindow, ShowingShowsTheModelNotTheFile) {
    open("[GPS1 COMUNICATION SETTINGS]\nPort No=COM9\n[GRID_SETTINGS]\nGridSpacingX=40\n");
    ini.write(
        "[GPS1 COMUNICATION SETTINGS]\nPort No=COM2\n[LOCK SETTINGS]\nLock Settings=1\n"
        "Settings Locked (true/false)=1\n");
    model.gps.port = QStringLiteral("COM5");
    showWindow();
    EXPECT_EQ(child<QComboBox>("Port")->currentText(), QStringLiteral("COM5"));
    EXPECT_EQ(child<QLineEdit>("edGridSpacingX")->text(), QStringLiteral("40"));
    EXPECT_FALSE(child<QCheckBox>("LockStateCheck1")->isChecked());
    EXPECT_TRUE(tabs()->widget(0)->isEnabled());
}

TEST_F(SettingsWindow, GpsSetAndSbesSetFillTheReaders) {
    open(
        "[GPS1 COMUNICATION SETTINGS]\nPort No=COM4\nBaud Rate=4800\nData Width=8\nStop Bits=2\n"
        "Priority=Normal\nDelay=10\nNMEA LOG=True\n"
        "[SENSOR COMUNICATION SETTINGS]\nPort No=/dev/pts/7\nBaud Rate=9600\nDelay=200\n");
    showWindow();
    click("bGPSSet");
    TNivoraSerialGPS* gnss = host.reader(PortRole::Gnss);
    EXPECT_EQ(gnss->Port, 4u);
    EXPECT_EQ(gnss->BaudRate, 4800u);
    EXPECT_EQ(gnss->DataBits, 4);
    EXPECT_EQ(gnss->StopBits, 3u);
    EXPECT_EQ(gnss->PollInterval, 10u);
    EXPECT_TRUE(gnss->LogEnabled);
    EXPECT_EQ(gnss->LogFileName, host.rawLogPath(PortRole::Gnss));
    tabs()->setCurrentIndex(1);
    click("bSBESSet");
    TNivoraSerialGPS* sounder = host.reader(PortRole::Sounder);
    EXPECT_EQ(sounder->DevicePath, QStringLiteral("/dev/pts/7"));
    EXPECT_EQ(sounder->PollInterval, 200u);
    EXPECT_EQ(sounder->LogFileName, host.rawLogPath(PortRole::Sounder));
}

TEST_F(SettingsWindow, NetworkSourcesAreOfferedAndGreyTheLineSettings) {
    open(
        "[GPS1 COMUNICATION SETTINGS]\nPort No=tcp://127.0.0.1:5017\nBaud Rate=4800\n"
        "[SENSOR COMUNICATION SETTINGS]\nPort No=COM2\n");
    showWindow();
    auto* port = child<QComboBox>("Port");
    for (const char* scheme : {"tcp://", "tcp-listen://", "udp://", "gpsd://"}) {
        bool offered = false;
        for (int i = 0; i < port->count(); ++i)
            offered = offered || port->itemText(i).startsWith(QLatin1String(scheme));
        EXPECT_TRUE(offered) << scheme;
    }
    const char* lineSettings[] = {"BaudRate", "DataWidth", "StopBits",
                                  "Parity",   "EnableDTR", "EnableRTS"};
    for (const char* name : lineSettings)
        EXPECT_FALSE(child<QComboBox>(name)->isEnabled()) << name;
    EXPECT_TRUE(child<QComboBox>("Delay")->isEnabled());
    EXPECT_TRUE(child<QComboBox>("NMEALog")->isEnabled());
    EXPECT_EQ(child<QComboBox>("BaudRate")->currentText(), QStringLiteral("4800"))
        << "kept for when the port is serial again";

    // Typed back to a serial port, the line settings are there again.
    port->lineEdit()->selectAll();
    QTest::keyClicks(port->lineEdit(), QStringLiteral("/dev/ttyUSB0"));
    for (const char* name : lineSettings)
        EXPECT_TRUE(child<QComboBox>(name)->isEnabled()) << name;
    EXPECT_EQ(model.gps.port, QStringLiteral("/dev/ttyUSB0"));

    tabs()->setCurrentIndex(1);
    EXPECT_TRUE(child<QComboBox>("SBaudRate")->isEnabled());
    auto* sensorPort = child<QComboBox>("SPort");
    sensorPort->lineEdit()->selectAll();
    QTest::keyClicks(sensorPort->lineEdit(), QStringLiteral("udp://:10110"));
    EXPECT_FALSE(child<QComboBox>("SBaudRate")->isEnabled());
    EXPECT_FALSE(child<QComboBox>("SParity")->isEnabled());
    click("bSBESSet");
    EXPECT_EQ(host.reader(PortRole::Sounder)->DevicePath, QStringLiteral("udp://:10110"));
}

TEST_F(SettingsWindow, MonitorEmptiesAtOneHundredAndOneLinesAndPausesWhileHeld) {
    open();
    showWindow();
    tabs()->setCurrentIndex(3);
    auto* memo = child<QPlainTextEdit>("MemoGPS");
    for (int i = 0; i < 100; ++i)
        window->appendMonitorLine(PortRole::Gnss, QStringLiteral("$GPGGA,%1").arg(i));
    EXPECT_EQ(memo->blockCount(), 100);
    window->appendMonitorLine(PortRole::Gnss, QStringLiteral("$GPGGA,100"));
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    window->appendMonitorLine(PortRole::Sounder, QStringLiteral("$SDDBT,1,f,0.3,M"));
    EXPECT_EQ(child<QPlainTextEdit>("MemoSensor")->toPlainText(),
              QStringLiteral("$SDDBT,1,f,0.3,M"));

    QTest::mousePress(memo->viewport(), Qt::LeftButton);
    QTest::mouseRelease(memo->viewport(), Qt::LeftButton);
    EXPECT_EQ(host.monitorPaused, (std::vector<bool>{true, false}));

    window->close();
    EXPECT_TRUE(child<QPlainTextEdit>("MemoSensor")->toPlainText().isEmpty());
}

}  // namespace
}  // namespace nivora
