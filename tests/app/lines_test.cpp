// The survey lines in the program: the demo's planned lines run in real
// time, the autopilot sentences on a loopback UDP port agree in sign with the
// helmsman's display, which is drawn in both palettes.

#include <gtest/gtest.h>

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

#include "app/helmsman_window.h"
#include "app/theme.h"
#include "guidance/survey_line_layer.h"
#include "survey/chart_files.h"
#include "survey/line_control.h"
#include "tests/app/app_test_support.h"

namespace nivora {
namespace {

using test::ProgramFixture;

TEST(ProgramLines, AutopilotSentencesAndTheHelmsmanDisplayAgree) {
    QTemporaryDir dir;
    QUdpSocket listener;
    ASSERT_TRUE(listener.bind(QHostAddress(QHostAddress::LocalHost), 0));
    const QByteArray extra =
        "\n[GUIDANCE]\nAutopilot=1\nAutopilotRate=0.5\nAutopilotPort=udp://127.0.0.1:" +
        QByteArray::number(listener.localPort()) + "\n";
    ProgramFixture f(test::demoIni(dir, extra), true);
    f.program->start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.nav()));
    ASSERT_TRUE(f.chart().files().loadLayoutNow(
        QStringLiteral(NIVORA_SOURCE_DIR "/data/demo/planned_lines.nwl")));
    LineControl& lines = f.program->lines();
    lines.refresh();
    ASSERT_EQ(lines.lines().size(), 40u);
    // The demo boat starts on the second line's side of the first: L002 is to starboard.
    lines.setActive(1);
    f.vt.advance(20'000);
    ASSERT_TRUE(lines.last().guidance);
    const double xte = lines.last().guidance->crossTrackM;
    EXPECT_NEAR(xte, -25.0, 0.5) << "25 m to port of the next line west";

    // One set every 2 s for 20 s, a sentence a datagram.
    QByteArray lastXte;
    int datagrams = 0;
    for (int wait = 0; wait < 50 && datagrams < 33; ++wait) {
        QTest::qWait(10);
        while (listener.hasPendingDatagrams()) {
            const QByteArray d = listener.receiveDatagram().data();
            ++datagrams;
            if (d.startsWith("$GPXTE")) lastXte = d;
        }
    }
    EXPECT_GE(datagrams, 3 * 10);
    EXPECT_LE(datagrams, 3 * 11);
    ASSERT_FALSE(lastXte.isEmpty());
    const QList<QByteArray> fields = lastXte.split(',');
    EXPECT_EQ(fields[4], "R") << "to port of the line: steer to starboard";
    EXPECT_NEAR(fields[3].toDouble() * 1852.0, std::abs(xte), 0.2);

    HelmsmanWindow& helm = f.program->helmsman();
    helm.resize(800, 480);
    helm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&helm));
    EXPECT_EQ(helm.steerText(), QStringLiteral("STEER RIGHT \u25B6"));
    EXPECT_EQ(helm.crossTrackText(), QStringLiteral("%1 m").arg(std::abs(xte), 0, 'f', 1));
    for (const char* theme : {kDefaultTheme, kNightTheme}) {
        applyTheme(QLatin1String(theme));
        QTest::qWait(20);
        const QImage shot = helm.grab().toImage();
        // The bar is full to port (beyond the 10 m scale): red left of its centre.
        const QColor left = shot.pixelColor(shot.width() / 4, shot.height() * 24 / 100);
        const QColor right = shot.pixelColor(shot.width() * 3 / 4, shot.height() * 24 / 100);
        EXPECT_GT(left.red(), 150) << theme;
        EXPECT_LT(left.green(), 80) << theme;
        EXPECT_NE(right.rgb(), left.rgb()) << theme;
        const bool night = QLatin1String(theme) == QLatin1String(kNightTheme);
        EXPECT_EQ(shot.pixelColor(3, shot.height() / 2).lightness() < 128, night) << theme;
        shot.save(dir.filePath(QLatin1String(theme) + QStringLiteral(".png")));
    }
    applyTheme(QLatin1String(kDefaultTheme));
}

// The demo as run.sh sets it up: the layout of the last close opened at the
// first show, and the line active then active again, with guidance logged.
TEST(ProgramLines, TheLastLayoutsLinesAndTheLastActiveLineComeBack) {
    QTemporaryDir dir;
    const QByteArray extra = "\n[FILE]\nLast File Saved=" NIVORA_SOURCE_DIR
                             "/data/demo/planned_lines.nwl\n\n[GUIDANCE]\nActiveLine=L003\n";
    ProgramFixture f(test::demoIni(dir, extra), true);
    f.program->start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.nav()));
    f.vt.advance(10'000);
    LineControl& lines = f.program->lines();
    EXPECT_EQ(lines.lines().size(), 40u);
    ASSERT_NE(lines.activeLine(), nullptr);
    EXPECT_EQ(lines.activeLine()->name, QStringLiteral("L003"));
    ASSERT_TRUE(lines.last().guidance);
    EXPECT_NEAR(lines.last().guidance->crossTrackM, -50.0, 0.5) << "two lines east of the boat";
    // The track and labels the tick draws do not make the lines be read again.
    QSignalSpy reread(&lines, &LineControl::linesChanged);
    f.vt.advance(5'000);
    EXPECT_EQ(reread.count(), 0);
    const OverlayState& overlay = f.chart().document().Overlay;
    EXPECT_EQ(overlay.SurveyLines.size(), 40u);
    EXPECT_TRUE(overlay.SurveyLines[2].Active);
    EXPECT_TRUE(overlay.GuidanceStrip.Shown);
    f.survey().flushLogs();
    EXPECT_GT(
        test::readFile(f.survey().logs().folders().guidanceLogPath(f.vt.now().date())).count('\n'),
        5);
}

}  // namespace
}  // namespace nivora
