// The alarms in the program: a threshold the demo boat breaks at once, the
// panel and the status bar as it is raised and acknowledged, the mute kept
// in the settings, and the day's alarm log.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "app/alarm_panel.h"
#include "config/ui/quality_window.h"
#include "config/ui/vertical_window.h"
#include "survey/realtime_survey.h"
#include "tests/app/app_test_support.h"

namespace nivora {
namespace {

using test::ProgramFixture;

TEST(ProgramAlarms, RaisedShownAcknowledgedMutedAndLogged) {
    QTemporaryDir dir;
    // The simulated receiver tracks 18 satellites: fewer than 30 is an alarm from the first epoch.
    ProgramFixture f(test::demoIni(dir, "\n[QUALITY]\nSatellitesBelow=30\n"), true);
    f.program->start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.nav()));
    AlarmPanel& panel = f.program->alarmPanel();
    EXPECT_FALSE(f.nav().alarmDock()->isVisible());
    f.vt.advance(3000);

    const int row = static_cast<int>(AlarmKind::Satellites);
    auto* table = panel.findChild<QTableWidget*>(QStringLiteral("tAlarms"));
    ASSERT_TRUE(table);
    EXPECT_TRUE(f.nav().alarmDock()->isVisible()) << "a raised alarm brings the panel up";
    EXPECT_EQ(table->item(row, 1)->text(), QStringLiteral("raised"));
    EXPECT_EQ(table->item(row, 2)->text(), QStringLiteral("18"));
    EXPECT_EQ(table->item(row, 3)->text(), QStringLiteral("below 30"));
    EXPECT_EQ(table->item(row, 0)->background().color(), QColor(200, 30, 30));
    EXPECT_EQ(panel.statusLabel()->text(), QStringLiteral("ALARM: Satellites"));
    EXPECT_TRUE(panel.statusLabel()->isVisible());
    EXPECT_EQ(panel.beeps(), 1) << "the sound at once";
    EXPECT_TRUE(panel.soundDue());
    EXPECT_EQ(table->item(static_cast<int>(AlarmKind::FixQuality), 1)->text(),
              QStringLiteral("clear"));

    QTest::mouseClick(panel.findChild<QPushButton*>(QStringLiteral("bAcknowledgeAll")),
                      Qt::LeftButton);
    EXPECT_EQ(table->item(row, 1)->text(), QStringLiteral("acknowledged"));
    EXPECT_EQ(panel.statusLabel()->text(), QStringLiteral("Acknowledged: Satellites"));
    EXPECT_FALSE(panel.soundDue()) << "acknowledged: quiet";
    f.vt.advance(2000);
    EXPECT_EQ(table->item(row, 1)->text(), QStringLiteral("acknowledged")) << "the cause is there";

    panel.findChild<QCheckBox*>(QStringLiteral("cMute"))->click();
    EXPECT_TRUE(f.survey().models().quality.alarmSoundMuted);
    EXPECT_EQ(IniStore(f.survey().models().file.path())
                  .readString(QStringLiteral("QUALITY"), QStringLiteral("AlarmSoundMuted"), {}),
              QStringLiteral("1"));

    // The threshold put right and real time restarted: the alarm clears with the stop.
    f.survey().RealtimeClick();
    EXPECT_FALSE(panel.statusLabel()->isVisible());
    EXPECT_EQ(table->item(row, 1)->text(), QStringLiteral("clear"));
    f.survey().flushLogs();
    const QList<QByteArray> log =
        test::readFile(f.survey().logs().folders().alarmLogPath(QDate(2026, 12, 8)))
            .trimmed()
            .split('\n');
    ASSERT_EQ(log.size(), 4) << "header, raised, acknowledged, cleared";
    EXPECT_TRUE(log[1].endsWith(",Satellites,raised,18,below 30")) << log[1].constData();
    EXPECT_TRUE(log[2].contains(",Satellites,acknowledged,")) << log[2].constData();
    EXPECT_TRUE(log[3].contains(",Satellites,cleared,")) << log[3].constData();

    // The settings window refuses a depth window upside down, and saves a good one.
    TQualitySettings& settings = f.program->qualitySettings();
    settings.findChild<QLineEdit*>(QStringLiteral("eDepthMax"))->setText(QStringLiteral("0.2"));
    EXPECT_FALSE(settings.SaveClick());
    EXPECT_TRUE(settings.status().startsWith(QStringLiteral("Depth")))
        << settings.status().toStdString();
    settings.findChild<QLineEdit*>(QStringLiteral("eDepthMax"))->setText(QStringLiteral("60"));
    settings.findChild<QLineEdit*>(QStringLiteral("eGnssLatency"))->setText(QStringLiteral("x"));
    EXPECT_FALSE(settings.SaveClick());
    EXPECT_EQ(settings.status(),
              QStringLiteral("GNSS latency: 'x' is not a number from 0 to 10000"));
    settings.findChild<QLineEdit*>(QStringLiteral("eGnssLatency"))->setText(QStringLiteral("120"));
    ASSERT_TRUE(settings.SaveClick());
    EXPECT_EQ(f.survey().models().quality.gnssLatencyMs(), 120);
    EXPECT_EQ(f.survey().models().quality.depthMaxM(), 60);
}

// The vertical reduction window refuses what would not work at the next
// start (a gap that is no number, a grid that is not one, a tide file that
// is not there) and writes the rest; the Tools menu opens it.
TEST(ProgramAlarms, TheVerticalReductionWindowRefusesWhatCannotWork) {
    QTemporaryDir dir;
    ProgramFixture f(test::demoIni(dir));
    f.program->start();
    TVerticalSettings& w = f.program->verticalSettings();
    f.nav().action(QStringLiteral("aVerticalSettings"))->trigger();
    EXPECT_TRUE(w.isVisible());
    const auto field = [&w](const char* name) {
        return w.findChild<QLineEdit*>(QLatin1String(name));
    };
    field("eTideMaxGap")->setText(QStringLiteral("ten"));
    EXPECT_FALSE(w.SaveClick());
    EXPECT_EQ(w.status(), QStringLiteral("Longest gap: 'ten' is not a number from 1 to 1440"));
    field("eTideMaxGap")->setText(QStringLiteral("45"));
    field("eGeoidModel")->setText(QStringLiteral("/usr/share/proj/proj.ini"));
    EXPECT_FALSE(w.SaveClick());
    EXPECT_TRUE(w.status().contains(QStringLiteral("not a GTX geoid grid")))
        << w.status().toStdString();
    field("eGeoidModel")->setText(QStringLiteral("egm96_15.gtx"));
    w.findChild<QComboBox*>(QStringLiteral("cbTideSource"))->setCurrentIndex(1);
    field("eTideFile")->setText(dir.filePath(QStringLiteral("missing.txt")));
    EXPECT_FALSE(w.SaveClick());
    EXPECT_TRUE(w.status().contains(QStringLiteral("is not there"))) << w.status().toStdString();
    const QString tide = dir.filePath(QStringLiteral("tide.txt"));
    test::writeFile(tide, "2026-12-08 09:00 0.4\n");
    field("eTideFile")->setText(tide);
    ASSERT_TRUE(w.SaveClick()) << w.status().toStdString();
    const VerticalSettings& v = f.survey().models().vertical;
    EXPECT_EQ(v.source(), TideSource::File);
    EXPECT_EQ(v.tideMaxGapMinutes(), 45);
    const IniStore saved(f.survey().models().file.path());
    EXPECT_EQ(saved.readString(QStringLiteral("VERTICAL"), QStringLiteral("GeoidModel"), {}),
              QStringLiteral("egm96_15.gtx"));
    EXPECT_EQ(saved.readString(QStringLiteral("VERTICAL"), QStringLiteral("TideFile"), {}), tide);
}

}  // namespace
}  // namespace nivora
