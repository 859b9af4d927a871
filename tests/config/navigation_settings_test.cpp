#include <gtest/gtest.h>

#include "config/echogram_settings.h"
#include "config/navigation_settings.h"
#include "tests/config/config_test_support.h"

namespace nivora {
namespace {

using test::ScratchIni;

// Without the section the timer ran at 100 ms and every colour was black;
// the window's designed period and colours stand in now.
TEST(NavigationIni, AnIniWithoutTheSectionShowsTheDesignedValues) {
    ScratchIni ini;
    NavigationSettings n;
    n.vesselColor = colors::Maroon;  // whatever the model held before
    n.load(ini.store());
    EXPECT_EQ(n.vesselWidth, QStringLiteral("3"));
    EXPECT_EQ(n.trackWidth, QStringLiteral("3"));
    EXPECT_EQ(n.trackInterval, QStringLiteral("20"));
    EXPECT_EQ(n.updateRate, QStringLiteral("500"));
    EXPECT_EQ(n.timerIntervalMs(), 500);
    EXPECT_EQ(n.depthAlert, QStringLiteral("1"));
    EXPECT_TRUE(n.lineOrDot);
    EXPECT_EQ(n.vesselColor, colors::Navy);
    EXPECT_EQ(n.backgroundColor, colors::White);
    EXPECT_EQ(n.colorTracklines1, colors::Green);
    EXPECT_EQ(n.colorTracklines0, colors::Yellow);
    EXPECT_EQ(n.gridColor, colors::Silver);
}

TEST(NavigationIni, TheWindowStartsWithItsOwnInitialValues) {
    const NavigationSettings n;
    EXPECT_EQ(n.vesselColor, colors::Navy);
    EXPECT_EQ(n.backgroundColor, colors::White);
    EXPECT_EQ(n.colorTracklines1, colors::Green);
    EXPECT_EQ(n.colorTracklines0, colors::Yellow);
    EXPECT_EQ(n.gridColor, colors::Silver);
    EXPECT_EQ(n.updateRate, QStringLiteral("1000"));
    EXPECT_FALSE(n.lineOrDot);
}

TEST(NavigationIni, ClosingWritesEveryKeyInOrderAndShowingReadsThemBack) {
    ScratchIni ini;
    NavigationSettings n;
    n.vesselColor = colors::Maroon;
    n.trackInterval = QStringLiteral("7");
    n.updateRate = QStringLiteral("700");
    n.depthAlert = QStringLiteral("2.5");
    n.backgroundColor = 0x102030;
    IniStore store = ini.store();
    n.save(store);
    const QStringList order = {
        QStringLiteral("VesselWidth"),      QStringLiteral("TrackWidth"),
        QStringLiteral("TrackInterval"),    QStringLiteral("VesselColor"),
        QStringLiteral("ColorTracklines1"), QStringLiteral("ColorTracklines0"),
        QStringLiteral("GridColor"),        QStringLiteral("BackgroundColor"),
        QStringLiteral("cLineOrDot"),       QStringLiteral("edDepthAlert"),
        QStringLiteral("eUpdateRate"),
    };
    EXPECT_EQ(store.keys(QStringLiteral("NAVIGATION_SETTINGS")), order);
    EXPECT_EQ(
        store.readString(QStringLiteral("NAVIGATION_SETTINGS"), QStringLiteral("BackgroundColor")),
        QString::number(0x102030));
    EXPECT_EQ(store.readString(QStringLiteral("NAVIGATION_SETTINGS"), QStringLiteral("cLineOrDot")),
              QStringLiteral("0"));
    ASSERT_TRUE(store.save());

    NavigationSettings again;
    again.load(ini.store());
    EXPECT_EQ(again.vesselColor, colors::Maroon);
    EXPECT_EQ(again.trackInterval, QStringLiteral("7"));  // not recomputed from the update period
    EXPECT_EQ(again.updateRate, QStringLiteral("700"));
    EXPECT_EQ(again.depthAlert, QStringLiteral("2.5"));
    EXPECT_EQ(again.backgroundColor, 0x102030u);
    EXPECT_FALSE(again.lineOrDot);
}

TEST(NavigationIni, ColoursKeepOnlyTheirColourBits) {
    ScratchIni ini;
    ini.write("[NAVIGATION_SETTINGS]\nVesselColor=-16777201\nGridColor=red\n");
    NavigationSettings n;
    n.load(ini.store());
    EXPECT_EQ(n.vesselColor, 0x00000Fu);
    EXPECT_EQ(n.gridColor, colors::Silver);  // not a number: the designed colour
}

TEST(NavigationUpdatePeriod, TrackIntervalFollowsThePeriod) {
    NavigationSettings n;
    EXPECT_EQ(n.updateRateChanged(QStringLiteral("500")), 500);
    EXPECT_EQ(n.trackInterval, QStringLiteral("20"));
    EXPECT_EQ(n.updateRateChanged(QStringLiteral("100")), 100);
    EXPECT_EQ(n.trackInterval, QStringLiteral("100"));
    EXPECT_EQ(n.updateRateChanged(QStringLiteral("5000")), 5000);
    EXPECT_EQ(n.trackInterval, QStringLiteral("2"));
}

TEST(NavigationUpdatePeriod, AnEmptiedFieldRestoresOneSecond) {
    NavigationSettings n;
    EXPECT_EQ(n.updateRateChanged(QString()), 1000);
    EXPECT_EQ(n.updateRate, QStringLiteral("1000"));
    EXPECT_EQ(n.trackInterval, QStringLiteral("10"));
}

// A typed "0" divided the track budget by zero.
TEST(NavigationUpdatePeriod, PeriodsBelowTheMinimumRunAtTheMinimum) {
    ScratchIni ini;
    ini.write("[NAVIGATION_SETTINGS]\neUpdateRate=20\n");
    NavigationSettings n;
    n.load(ini.store());
    EXPECT_EQ(n.updateRate, QStringLiteral("20"));
    EXPECT_EQ(n.timerIntervalMs(), 100);
    for (const char* text : {"0", "50", "-300"}) {
        EXPECT_EQ(n.updateRateChanged(QString::fromLatin1(text)), 100) << text;
        EXPECT_EQ(n.updateRate, QString::fromLatin1(text));
        EXPECT_EQ(n.trackInterval, QStringLiteral("100"));
    }
}

TEST(NavigationUpdatePeriod, ANonNumberIsAConversionErrorThatChangesNothingElse) {
    NavigationSettings n;
    n.trackInterval = QStringLiteral("33");
    QString error;
    EXPECT_FALSE(n.updateRateChanged(QStringLiteral("fast"), &error).has_value());
    EXPECT_EQ(error, QStringLiteral("Update (ms.): 'fast' is not a valid number"));
    EXPECT_EQ(n.trackInterval, QStringLiteral("33"));
}

TEST(NavigationGuards, EmptiedFieldsGetTheirReplacements) {
    NavigationSettings n;
    n.setTrackInterval(QString());
    EXPECT_EQ(n.trackInterval, QStringLiteral("0"));
    n.setTrackWidth(QString());
    EXPECT_EQ(n.trackWidth, QStringLiteral("2"));
    n.setVesselWidth(QString());
    EXPECT_EQ(n.vesselWidth, QStringLiteral("2"));
    n.setDepthAlert(QString());
    EXPECT_EQ(n.depthAlert, QStringLiteral("0"));
    n.setDepthAlert(QStringLiteral("1.25"));
    EXPECT_EQ(n.depthAlert, QStringLiteral("1.25"));
}

TEST(EchogramSettingsTest, SampleCountIsLimitedToTheHistory) {
    ScratchIni ini;
    EchogramSettings e;
    e.load(ini.store());
    EXPECT_EQ(e.dataWidth, 50);
    EXPECT_EQ(e.interval, 100);
    struct Case {
        const char* stored;
        int expected;
    };
    for (const Case c : {Case{"0", 1}, Case{"-7", 1}, Case{"200", 200}, Case{"201", 200},
                         Case{"99999", 200}, Case{"many", 50}}) {
        ini.write(QByteArray(QByteArray("[ECHOGRAM]\nDataWidth=") + c.stored + "\nInterval=0\n")
                      .constData());
        e.load(ini.store());
        EXPECT_EQ(e.dataWidth, c.expected) << c.stored;
        EXPECT_EQ(e.interval, 1);
    }
    e.dataWidth = 500;
    IniStore store = ini.store();
    e.save(store);
    EXPECT_EQ(store.readInteger(QStringLiteral("ECHOGRAM"), QStringLiteral("DataWidth"), 0), 200);
}

}  // namespace
}  // namespace nivora
