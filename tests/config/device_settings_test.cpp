#include <gtest/gtest.h>

#include "config/device_settings.h"
#include "sensors/serial_gps.h"
#include "tests/config/config_test_support.h"

namespace nivora {
namespace {

using test::FakeHost;
using test::FakePrompts;
using test::ScratchIni;
using Geo = geodesy::GeodeticParameters;

DeviceSettingsModel loaded(const ScratchIni& ini) {
    DeviceSettingsModel m;
    m.load(ini.store());
    return m;
}

// ---- Loading ----

TEST(DeviceSettingsLoad, AnIniWithoutSectionsShowsTheDefaults) {
    ScratchIni ini;
    const DeviceSettingsModel m = loaded(ini);

    for (const PortSettings* p : {&m.gps, &m.sensor}) {
        EXPECT_EQ(p->port, QString());
        EXPECT_EQ(p->baudRate, QString());
        EXPECT_EQ(p->dataWidth, QString());
        EXPECT_EQ(p->stopBits, QString());
        EXPECT_EQ(p->delay, QString());
        EXPECT_EQ(p->enableRts, QString());
    }
    EXPECT_TRUE(m.sensorEnabled);
    EXPECT_TRUE(m.gyroEnabled);
    EXPECT_EQ(m.sbesMessage, QStringLiteral("Nivora SMT"));
    EXPECT_EQ(m.sbesFormat, QStringLiteral("%*8s,%lf"));
    EXPECT_TRUE(m.useTmProjection());
    EXPECT_FALSE(m.useLambert());
    EXPECT_TRUE(m.useDtp);
    EXPECT_FALSE(m.lambert1);
    // The projection fields show the window's own texts, not empty ones
    // that no conversion takes.
    EXPECT_EQ(m.geodeticText(&Geo::centralMeridian), QStringLiteral("0"));
    EXPECT_EQ(m.geodeticText(&Geo::scaleFactor), QStringLiteral("1"));
    EXPECT_EQ(m.geodeticText(&Geo::lccScaleFactor), QStringLiteral("1"));
    EXPECT_EQ(m.geodeticText(&Geo::lccStandardParallel1), QStringLiteral("0"));
    EXPECT_EQ(m.geodeticText(&Geo::semiMajorAxis), QString());
    EXPECT_FALSE(m.locked());
    for (SettingsTab t :
         {SettingsTab::Gps, SettingsTab::Sensor, SettingsTab::Geodetic, SettingsTab::Global}) {
        EXPECT_TRUE(m.tabEnabled(t));
    }

    const DisplaySettings& d = m.display();
    EXPECT_TRUE(d.GridVisibleSetting);
    EXPECT_FALSE(d.AutoGridSetting);
    EXPECT_EQ(d.GridSpacingXSetting, 100.0);
    EXPECT_EQ(d.GridSpacingYSetting, 100.0);
    EXPECT_EQ(d.GridColorSetting, 12632256u);
    EXPECT_TRUE(d.ShowDepthLabelsSetting);
    EXPECT_EQ(d.DepthLabelSpacingSetting, 10.0);
    EXPECT_EQ(d.DepthLabelFontName, QStringLiteral("Arial"));
    EXPECT_EQ(d.DepthLabelFontSize, 12);
    EXPECT_EQ(d.DepthLabelColor, 0u);
    EXPECT_EQ(d.EventLabelFontSize, 24);
    EXPECT_EQ(d.EventLabelColor, 255u);
    EXPECT_TRUE(m.gridSpacingEnabled());
}

TEST(DeviceSettingsLoad, KeysMatchRegardlessOfCaseAndBlanks) {
    ScratchIni ini;
    ini.write(
        "[gps1 comunication settings]\n"
        "  port no = COM7\n"
        "BAUD RATE=38400\n"
        "[SENSOR COMUNICATION SETTINGS]\n"
        "Port No=/dev/ttyUSB1\n"
        "Sensor Enabled=0\n"
        "cSBESMessage=NMEA DBT\n"
        "eSBESFormat=%*6s,%*lf,%*1s,%lf\n"
        "[GYRO]\nGyro Enabled=0\n"
        "[GEODETIC_PARAMETERS]\n"
        "Central_Meridian=33\n"
        "InverseFlattening=0.00335281066\n"
        "Name of Datum=ED50\n"
        "Use DTP=0\n"
        "[GRID_SETTINGS]\nAutoGrid=1\nGridSpacingX=250\nGridColor=255\n"
        "[DEPTH_LABEL_SETTINGS]\nFontName=Tahoma\nFontSize=9\n"
        "[EVENT_LABEL_SETTINGS]\nFontSize=30\nTextColor=65280\n");
    const DeviceSettingsModel m = loaded(ini);

    EXPECT_EQ(m.gps.port, QStringLiteral("COM7"));
    EXPECT_EQ(m.gps.baudRate, QStringLiteral("38400"));
    EXPECT_EQ(m.sensor.port, QStringLiteral("/dev/ttyUSB1"));
    EXPECT_FALSE(m.sensorEnabled);
    EXPECT_FALSE(m.gyroEnabled);
    EXPECT_EQ(m.sbesMessage, QStringLiteral("NMEA DBT"));
    EXPECT_EQ(m.sbesFormat, QStringLiteral("%*6s,%*lf,%*1s,%lf"));
    EXPECT_EQ(m.geodeticText(&Geo::centralMeridian), QStringLiteral("33"));
    EXPECT_EQ(m.geodeticText(&Geo::flattening), QStringLiteral("0.00335281066"));
    EXPECT_EQ(m.geodeticText(&Geo::datumName), QStringLiteral("ED50"));
    EXPECT_FALSE(m.useDtp);
    EXPECT_TRUE(m.autoGrid);
    EXPECT_FALSE(m.gridSpacingEnabled());
    EXPECT_EQ(m.display().GridSpacingXSetting, 250.0);
    EXPECT_EQ(m.display().GridSpacingYSetting, 100.0);
    EXPECT_EQ(m.display().GridColorSetting, 255u);
    EXPECT_EQ(m.display().DepthLabelFontName, QStringLiteral("Tahoma"));
    EXPECT_EQ(m.display().DepthLabelFontSize, 9);
    EXPECT_EQ(m.display().EventLabelFontSize, 30);
    EXPECT_EQ(m.display().EventLabelColor, 65280u);
}

TEST(DeviceSettingsLoad, DisplayTextsThatAreNotNumbersFallBack) {
    ScratchIni ini;
    ini.write(
        "[GRID_SETTINGS]\nGridSpacingX=wide\nGridSpacingY=\n"
        "[DEPTH_LABEL_SETTINGS]\nLabelSpacing=x\nFontSize=12.5\n"
        "[EVENT_LABEL_SETTINGS]\nFontSize=big\n");
    const DeviceSettingsModel m = loaded(ini);
    EXPECT_EQ(m.gridSpacingX, QStringLiteral("wide"));  // the field shows what is stored
    EXPECT_EQ(m.display().GridSpacingXSetting, 100.0);
    EXPECT_EQ(m.display().GridSpacingYSetting, 100.0);
    EXPECT_EQ(m.display().DepthLabelSpacingSetting, 10.0);
    EXPECT_EQ(m.display().DepthLabelFontSize, 12);
    EXPECT_EQ(m.display().EventLabelFontSize, 24);
}

TEST(DeviceSettingsProjection, LambertFlagWinsOverTheTmFlag) {
    ScratchIni ini;
    ini.write("[GEODETIC_PARAMETERS]\nUse Projection=1\ncbUseLCCProjection=1\ncLambert1=1\n");
    const DeviceSettingsModel m = loaded(ini);
    EXPECT_TRUE(m.useLambert());
    EXPECT_FALSE(m.useTmProjection());
    EXPECT_TRUE(m.lambert1);
    EXPECT_FALSE(m.standardParallelsEnabled());
}

TEST(DeviceSettingsProjection, ClearedTmWithoutLambertFlagSelectsLambert) {
    ScratchIni ini;
    ini.write("[GEODETIC_PARAMETERS]\nUse Projection=0\ncbUseLCCProjection=yes\n");
    const DeviceSettingsModel m = loaded(ini);
    EXPECT_TRUE(
        m.useLambert());  // the non-numeric Lambert flag leaves the box as the TM click left it
    EXPECT_FALSE(m.useTmProjection());
}

TEST(DeviceSettingsProjection, TickingOneBoxClearsTheOtherAndClearingTicksIt) {
    DeviceSettingsModel m;
    m.setUseLambert(true);
    EXPECT_FALSE(m.useTmProjection());
    m.setUseLambert(false);
    EXPECT_TRUE(m.useTmProjection());
    m.setUseTmProjection(false);
    EXPECT_TRUE(m.useLambert());
}

TEST(DeviceSettingsProjection, GeodeticParametersCarryTheBoxesAsFlags) {
    ScratchIni ini;
    ini.write("[GEODETIC_PARAMETERS]\nSemiMajorAxis=6378388\ncbUseLCCProjection=1\nUse DTP=0\n");
    const Geo p = loaded(ini).geodeticParameters();
    EXPECT_EQ(p.semiMajorAxis, "6378388");
    EXPECT_EQ(p.useLambert, "1");
    EXPECT_EQ(p.useTmProjection, "0");
    EXPECT_EQ(p.useDtp, "0");
    EXPECT_EQ(p.useLambert1, "0");
    EXPECT_TRUE(p.lambertSelected());
}

// ---- Lock ----

TEST(DeviceSettingsLock, SettingsLockedTrueDisablesTheTabsEvenWhenLockIsClear) {
    ScratchIni ini;
    ini.write("[LOCK SETTINGS]\nLock Settings=0\nSettings Locked (true/false)=true\n");
    const DeviceSettingsModel m = loaded(ini);
    EXPECT_FALSE(m.locked());
    for (SettingsTab t :
         {SettingsTab::Gps, SettingsTab::Sensor, SettingsTab::Geodetic, SettingsTab::Global}) {
        EXPECT_FALSE(m.tabEnabled(t));
    }
    EXPECT_TRUE(m.tabEnabled(SettingsTab::Monitor));
}

TEST(DeviceSettingsLock, SettingsLockedFalseEnablesAndOtherTextsChangeNothing) {
    ScratchIni ini;
    ini.write("[LOCK SETTINGS]\nLock Settings=1\nSettings Locked (true/false)=false\n");
    EXPECT_TRUE(loaded(ini).tabEnabled(SettingsTab::Gps));

    ini.write("[LOCK SETTINGS]\nLock Settings=1\nSettings Locked (true/false)=TRUE\n");
    const DeviceSettingsModel m = loaded(ini);
    EXPECT_TRUE(m.locked());
    EXPECT_FALSE(m.tabEnabled(SettingsTab::Gps));  // as the lock box left it
}

// Restoring the box at creation once ran the whole save with the display
// controls still at their initial values, overwriting the stored ones.
TEST(DeviceSettingsLock, LoadingATickedLockRestoresTheBoxWithoutSaving) {
    ScratchIni ini;
    ini.write("[LOCK SETTINGS]\nLock Settings=1\n[GRID_SETTINGS]\nGridSpacingX=250\n");
    const QByteArray before = ini.bytes();
    const DeviceSettingsModel m = loaded(ini);
    EXPECT_TRUE(m.locked());
    EXPECT_FALSE(m.tabEnabled(SettingsTab::Geodetic));
    EXPECT_EQ(ini.bytes(), before);
}

TEST(DeviceSettingsLock, ShowingReadsSettingsLockedAsABoolean) {
    ScratchIni ini;
    ini.write("[LOCK SETTINGS]\nSettings Locked (true/false)=1\n");
    DeviceSettingsModel m = loaded(ini);
    EXPECT_FALSE(m.locked());
    m.onShow();
    EXPECT_TRUE(m.locked());
    EXPECT_FALSE(m.tabEnabled(SettingsTab::Global));

    // "true" is not a number: the box keeps its state, Global follows it.
    ini.write("[LOCK SETTINGS]\nSettings Locked (true/false)=true\n");
    m = loaded(ini);
    m.restoreLock(true);
    m.onShow();
    EXPECT_TRUE(m.locked());
    EXPECT_FALSE(m.tabEnabled(SettingsTab::Global));
}

// Showing once read the file again; the model holds what was loaded.
TEST(DeviceSettingsLock, ShowingUsesTheLoadedTextNotTheFileNow) {
    ScratchIni ini;
    ini.write("[LOCK SETTINGS]\nSettings Locked (true/false)=0\n");
    DeviceSettingsModel m = loaded(ini);
    ini.write("[LOCK SETTINGS]\nSettings Locked (true/false)=1\n");
    m.onShow();
    EXPECT_FALSE(m.locked());
    EXPECT_TRUE(m.tabEnabled(SettingsTab::Global));

    // A later load forgets a number the file no longer holds.
    ini.write("");
    m.load(ini.store());
    m.restoreLock(true);
    m.onShow();
    EXPECT_TRUE(m.locked());
}

TEST(DeviceSettingsLock, ShowingUnlockedEnablesOnlyTheGlobalTab) {
    ScratchIni ini;
    ini.write("[LOCK SETTINGS]\nSettings Locked (true/false)=true\n");
    DeviceSettingsModel m = loaded(ini);
    m.onShow();
    EXPECT_TRUE(m.tabEnabled(SettingsTab::Global));
    EXPECT_FALSE(m.tabEnabled(SettingsTab::Gps));
}

TEST(DeviceSettingsLock, TickingWritesEveryKeyButSettingsLockedAndReloadsTheSame) {
    ScratchIni ini;
    DeviceSettingsModel m = loaded(ini);
    m.gps.port = QStringLiteral("COM3");
    m.gps.baudRate = QStringLiteral("4800");
    m.sensor.delay = QStringLiteral("100");
    m.sensorEnabled = false;
    m.sbesMessage = QStringLiteral("ODC HI");
    m.setGeodeticText(&Geo::falseEasting, QStringLiteral("500000"));
    m.setUseLambert(true);
    m.lambert1 = true;
    m.gridSpacingX = QStringLiteral("25");
    m.eventLabelColor = colors::Blue;

    IniStore store = ini.store();
    m.lockClicked(true, store);
    ASSERT_TRUE(store.save());
    EXPECT_FALSE(m.tabEnabled(SettingsTab::Sensor));

    const IniStore written = ini.store();
    EXPECT_EQ(written.readString(QStringLiteral("LOCK SETTINGS"), QStringLiteral("Lock Settings")),
              QStringLiteral("1"));
    EXPECT_FALSE(written.hasKey(QStringLiteral("LOCK SETTINGS"),
                                QStringLiteral("Settings Locked (true/false)")));
    EXPECT_EQ(
        written.readString(QStringLiteral("GEODETIC_PARAMETERS"), QStringLiteral("Use Projection")),
        QStringLiteral("0"));
    // Every key of the table, the EPSG code and transformation among them.
    EXPECT_EQ(written.keys(QStringLiteral("GEODETIC_PARAMETERS")).size(), 28);
    EXPECT_EQ(written.keys(QStringLiteral("GPS1 COMUNICATION SETTINGS")).size(), 11);

    const DeviceSettingsModel again = loaded(ini);
    EXPECT_EQ(again.gps.port, QStringLiteral("COM3"));
    EXPECT_EQ(again.gps.baudRate, QStringLiteral("4800"));
    EXPECT_EQ(again.sensor.delay, QStringLiteral("100"));
    EXPECT_FALSE(again.sensorEnabled);
    EXPECT_EQ(again.sbesMessage, QStringLiteral("ODC HI"));
    EXPECT_EQ(again.geodeticText(&Geo::falseEasting), QStringLiteral("500000"));
    EXPECT_TRUE(again.useLambert());
    EXPECT_TRUE(again.lambert1);
    EXPECT_EQ(again.display().GridSpacingXSetting, 25.0);
    EXPECT_EQ(again.display().EventLabelColor, colors::Blue);
    EXPECT_TRUE(again.locked());
}

TEST(DeviceSettingsLock, ClearingWritesOnlyTheLockAndEnablesTheTabs) {
    ScratchIni ini;
    DeviceSettingsModel m = loaded(ini);
    m.restoreLock(true);
    IniStore store = ini.store();
    m.lockClicked(false, store);
    EXPECT_EQ(store.sections(), QStringList{QStringLiteral("LOCK SETTINGS")});
    EXPECT_EQ(store.readString(QStringLiteral("LOCK SETTINGS"), QStringLiteral("Lock Settings")),
              QStringLiteral("0"));
    EXPECT_TRUE(m.tabEnabled(SettingsTab::Gps));
}

TEST(DeviceSettingsLock, SavedLockAppendsTheSettingsReportOnce) {
    ScratchIni ini;
    DeviceSettingsModel m = loaded(ini);
    FakeHost host;
    FakePrompts prompts;
    m.saveAndLock(true, ini.file(), host, prompts);
    ASSERT_EQ(host.reports.size(), 1);
    EXPECT_EQ(host.reports.front(), m.settingsReport());
    EXPECT_TRUE(prompts.shown.empty());

    m.saveAndLock(false, ini.file(), host, prompts);
    EXPECT_EQ(host.reports.size(), 1);
}

TEST(DeviceSettingsLock, AnUnwritableSettingsFileIsReportedAndNothingIsLocked) {
    ScratchIni ini;
    DeviceSettingsModel m = loaded(ini);
    FakeHost host;
    FakePrompts prompts;
    m.saveAndLock(true, SettingsFile(ini.folder() + QStringLiteral("/missing/folder/NivoraDW.INI")),
                  host, prompts);
    EXPECT_EQ(prompts.texts(QStringLiteral("error")).size(), 1);
    EXPECT_FALSE(m.locked());
    EXPECT_TRUE(m.tabEnabled(SettingsTab::Gps));
    EXPECT_TRUE(host.reports.isEmpty());
}

TEST(DeviceSettingsReport, TextsInOrder) {
    DeviceSettingsModel m;
    m.gps.port = QStringLiteral("COM4");
    m.gps.baudRate = QStringLiteral("9600");
    m.sensor.port = QStringLiteral("COM5");
    m.sensor.baudRate = QStringLiteral("4800");
    m.sensorEnabled = false;
    m.setGeodeticText(&Geo::datumName, QStringLiteral("ITRF96"));
    m.setGeodeticText(&Geo::centralMeridian, QStringLiteral("30"));
    m.setGeodeticText(&Geo::referenceLatitude, QStringLiteral("0"));
    m.setGeodeticText(&Geo::scaleFactor, QStringLiteral("1"));
    m.setGeodeticText(&Geo::falseEasting, QStringLiteral("500000"));
    m.setGeodeticText(&Geo::falseNorthing, QStringLiteral("0"));
    m.setGeodeticText(&Geo::lccStandardParallel1, QStringLiteral("36"));
    m.setGeodeticText(&Geo::lccStandardParallel2, QStringLiteral("42"));

    const QStringList expected = {
        QStringLiteral("=== SETTINGS SAVED ==="),
        QStringLiteral("GPS: Port=COM4, Baud=9600"),
        QStringLiteral("Sensor: Port=COM5, Baud=4800, Enabled=No"),
        QStringLiteral("Datum: ITRF96, DTP=Yes"),
        QStringLiteral("TM: CM=30, RefLat=0, SF=1, FE=500000, FN=0"),
        QStringLiteral("LCC: Disabled, SP1=36, SP2=42"),
        QStringLiteral("======================"),
    };
    EXPECT_EQ(m.settingsReport(), expected);

    m.setUseLambert(true);
    m.sensorEnabled = true;
    m.useDtp = false;
    EXPECT_EQ(m.settingsReport().at(2),
              QStringLiteral("Sensor: Port=COM5, Baud=4800, Enabled=Yes"));
    EXPECT_EQ(m.settingsReport().at(3), QStringLiteral("Datum: ITRF96, DTP=No"));
    EXPECT_EQ(m.settingsReport().at(5), QStringLiteral("LCC: Enabled, SP1=36, SP2=42"));
}

// ---- Echosounder family ----

TEST(DeviceSettingsFamily, ChoosingAFamilyFillsItsPatternAndDisplay) {
    struct Case {
        const char* family;
        const char* pattern;
        bool lowShown;
    };
    const Case cases[] = {
        {"Nivora SMT", "%*8s,%lf,%lf", false},
        {"NMEA DPT", "%*6s,%lf", false},
        {"NMEA DBT", "%*6s,%*lf,%*1s,%lf", false},
        {"Nivora XDR HI", "%*8s,%lf", false},
        {"Nivora XDR LO", "%*8s,%*lf,%*8s,%lf", true},
        {"Nivora XDR H/L", "%*8s,%lf,%*8s,%lf", true},
        {"ODC HI", "%*42s,%lf", false},
    };
    for (const Case& c : cases) {
        DeviceSettingsModel m;
        const auto shown = m.chooseFamily(QString::fromLatin1(c.family));
        ASSERT_TRUE(shown.has_value()) << c.family;
        EXPECT_EQ(*shown, c.lowShown) << c.family;
        EXPECT_EQ(m.sbesFormat, QString::fromLatin1(c.pattern)) << c.family;
        EXPECT_EQ(m.sbesMessage, QString::fromLatin1(c.family));
    }
}

TEST(DeviceSettingsFamily, OtherEmptiesThePatternAndLeavesTheDisplay) {
    DeviceSettingsModel m;
    EXPECT_FALSE(m.chooseFamily(QStringLiteral("OTHER")).has_value());
    EXPECT_EQ(m.sbesFormat, QString());
    EXPECT_EQ(m.sbesMessage, QStringLiteral("OTHER"));
}

TEST(DeviceSettingsFamily, AnUnknownNameChangesNothing) {
    DeviceSettingsModel m;
    EXPECT_FALSE(m.chooseFamily(QStringLiteral("SONAR 9")).has_value());
    EXPECT_EQ(m.sbesFormat, QStringLiteral("%*8s,%lf"));
    EXPECT_EQ(m.sbesMessage, QStringLiteral("Nivora SMT"));
}

// ---- Display ----

TEST(DeviceSettingsDisplay, ImmediateControlsSetTheirDisplaySettings) {
    DeviceSettingsModel m;
    m.setShowGrid(false);
    EXPECT_FALSE(m.display().GridVisibleSetting);
    m.setGridColour(colors::Teal);
    EXPECT_EQ(m.display().GridColorSetting, colors::Teal);
    m.setShowDepthLabelsBox(false);
    EXPECT_FALSE(m.display().ShowDepthLabelsSetting);
    m.setEventLabelFontSizeText(QStringLiteral("18"));
    EXPECT_EQ(m.display().EventLabelFontSize, 18);
    m.setEventLabelFontSizeText(QStringLiteral("x"));
    EXPECT_EQ(m.display().EventLabelFontSize, 24);
    m.setEventLabelColour(colors::Olive);
    EXPECT_EQ(m.display().EventLabelColor, colors::Olive);
}

TEST(DeviceSettingsDisplay, AutoScaleGivesZeroSpacingOrTheFields) {
    DeviceSettingsModel m;
    m.gridSpacingX = QStringLiteral("50");
    m.gridSpacingY = QStringLiteral("abc");
    GridSpacingPair s = m.setAutoScale(true);
    EXPECT_EQ(s.x, 0.0);
    EXPECT_EQ(s.y, 0.0);
    EXPECT_FALSE(m.gridSpacingEnabled());
    EXPECT_TRUE(m.display().AutoGridSetting);
    s = m.setAutoScale(false);
    EXPECT_EQ(s.x, 50.0);
    EXPECT_EQ(s.y, 100.0);
    // The spacing the chart takes when automatic goes off is the display's
    // (it once showed the typed one while the display kept the old, and the
    // next show of the window put the old one back).
    EXPECT_EQ(m.canvasGridSpacing().x, 50.0);
    m.applyDisplayControls();
    EXPECT_EQ(m.canvasGridSpacing().x, 50.0);
}

TEST(DeviceSettingsDisplay, AppliedButUnsavedSettingsAreGoneAfterARestart) {
    ScratchIni ini;
    ini.write("[GRID_SETTINGS]\nGridSpacingX=75\n");
    DeviceSettingsModel m = loaded(ini);
    m.gridSpacingX = QStringLiteral("10");
    m.applyDisplayControls();
    EXPECT_EQ(m.display().GridSpacingXSetting, 10.0);
    EXPECT_EQ(loaded(ini).display().GridSpacingXSetting, 75.0);
}

// ---- GPS Set / SBES Set ----

TEST(PortSettingsApply, CopiesEverySettingIntoTheReader) {
    PortSettings s;
    s.port = QStringLiteral("COM6");
    s.baudRate = QStringLiteral("19200");
    s.dataWidth = QStringLiteral("7");
    s.stopBits = QStringLiteral("1.5");
    s.parity = QStringLiteral("Odd");
    s.priority = QStringLiteral("Highest");
    s.delay = QStringLiteral("100");
    s.nmeaLog = QStringLiteral("True");
    s.logTime = QStringLiteral("False");
    s.enableDtr = QStringLiteral("False");
    s.enableRts = QStringLiteral("True");
    TNivoraSerialGPS r;
    r.DevicePath = QStringLiteral("/dev/old");
    r.Parity = 3;
    ASSERT_TRUE(applyPortSettings(s, r, QStringLiteral("/log/2024-05-01 NDW_GNSS_V3.log")));
    EXPECT_EQ(r.Port, 6u);
    EXPECT_TRUE(r.DevicePath.isEmpty());
    EXPECT_EQ(r.BaudRate, 19200u);
    EXPECT_EQ(r.DataBits, 3);
    EXPECT_EQ(r.StopBits, 2u);
    EXPECT_EQ(r.Parity, 0u);
    EXPECT_EQ(r.Priority, 2);
    EXPECT_EQ(r.PollInterval, 100u);
    EXPECT_TRUE(r.LogEnabled);
    EXPECT_FALSE(r.LogTimeStamp);
    EXPECT_FALSE(r.EnableDTR);
    EXPECT_TRUE(r.EnableRTS);
    EXPECT_EQ(r.LogFileName, QStringLiteral("/log/2024-05-01 NDW_GNSS_V3.log"));
}

TEST(PortSettingsApply, DevicePathsAndTheSimulatorAreKeptAsTyped) {
    PortSettings s;
    s.port = QStringLiteral("/dev/ttyUSB0");
    TNivoraSerialGPS r;
    applyPortSettings(s, r, {});
    EXPECT_EQ(r.DevicePath, QStringLiteral("/dev/ttyUSB0"));
    s.port = QStringLiteral("sim");
    applyPortSettings(s, r, {});
    EXPECT_EQ(r.DevicePath, QStringLiteral("SIM"));
}

TEST(PortSettingsApply, ABaudRateThatIsNotANumberEndsTheCopy) {
    PortSettings s;
    s.port = QStringLiteral("COM2");
    s.baudRate = QString();
    s.delay = QStringLiteral("300");
    TNivoraSerialGPS r;
    EXPECT_FALSE(applyPortSettings(s, r, QStringLiteral("/x.log")));
    EXPECT_EQ(r.Port, 2u);
    EXPECT_EQ(r.PollInterval, 50u);  // not reached
    EXPECT_TRUE(r.LogFileName.isEmpty());
}

TEST(PortSettingsApply, OddTextsLeaveTheReaderSafe) {
    PortSettings s;
    s.baudRate = QStringLiteral("12345");
    s.dataWidth = QStringLiteral("9");
    s.stopBits = QStringLiteral("3");
    s.priority = QStringLiteral("Urgent");
    s.delay = QStringLiteral("-5");
    TNivoraSerialGPS r;
    const auto bits = r.DataBits;
    const auto stop = r.StopBits;
    const auto priority = r.Priority;
    ASSERT_TRUE(applyPortSettings(s, r, {}));
    EXPECT_EQ(r.BaudRate, 9600u);
    EXPECT_EQ(r.DataBits, bits);
    EXPECT_EQ(r.StopBits, stop);
    EXPECT_EQ(r.Priority, priority);
    EXPECT_EQ(r.PollInterval, 0u);  // below 1: the reader's default period
}

// ---- Monitor ----

TEST(MonitorLogTest, AMemoReaching101LinesIsEmptied) {
    MonitorLog log;
    for (int i = 0; i < 100; ++i)
        ASSERT_FALSE(log.append(QStringLiteral("$GPGGA")));
    EXPECT_EQ(log.lineCount(), 100);
    EXPECT_TRUE(log.append(QStringLiteral("$GPGGA")));
    EXPECT_EQ(log.lineCount(), 0);
    EXPECT_FALSE(log.append(QStringLiteral("$GPGGA")));
    EXPECT_EQ(log.lineCount(), 1);
}

}  // namespace
}  // namespace nivora
