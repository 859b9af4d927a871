// The real-time data window over a survey in virtual time: its texts at
// start, its client heights as depth frames come and go, what the survey's
// read-outs and colours do to it, its toolbar and its start-up action.

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/realtime_window.h"
#include "tests/survey/session_test_support.h"

namespace nivora {
namespace {

class RealtimeWindowTest : public ::testing::Test {
  protected:
    RealtimeWindowTest() : window(*f.survey, SettingsFile(f.iniPath)) {}

    template <typename T>
    T* child(const char* name) {
        T* w = window.findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString text(const char* name) { return child<QLabel>(name)->text(); }
    bool frameShown(const char* name) { return !child<QGroupBox>(name)->isHidden(); }
    QColor fill(const char* name) {
        return child<QGroupBox>(name)->palette().color(QPalette::Window);
    }

    test::SessionFixture f;
    TfRealtime window;
};

TEST_F(RealtimeWindowTest, StartsWithTheEnglishTextsAndRestoresItsPlace) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Realtime Data"));
    EXPECT_EQ(window.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(child<QGroupBox>("GPSGroupBox")->title(), QStringLiteral("GPS"));
    EXPECT_EQ(child<QGroupBox>("DepthFrameHi")->title(), QStringLiteral("True Depth HF"));
    EXPECT_EQ(child<QGroupBox>("DepthFrameLo")->title(), QStringLiteral("True Depth LF"));
    QStringList shown;
    for (QLabel* l : child<QGroupBox>("GPSGroupBox")->findChildren<QLabel*>())
        shown << l->text();
    for (const char* c : {"Fix", "Speed", "Satellite", "Ant. Ht.", "Tide Ht."})
        EXPECT_TRUE(shown.contains(QLatin1String(c))) << c;
    for (const char* value : {"Fixed", "Speed", "SatelliteLabel", "LAntennaH", "LTideHt"})
        EXPECT_EQ(text(value), QStringLiteral("---")) << value;
    EXPECT_EQ(text("lDepthHi"), QStringLiteral("::::::::::"));
    EXPECT_EQ(text("lDepthLo"), QStringLiteral("::::::::::"));
    EXPECT_EQ(child<QToolButton>("btHide")->toolTip(), QStringLiteral("Hide Window"));
    EXPECT_EQ(child<QToolButton>("btOpenLogFolder")->toolTip(), QStringLiteral("Open Log Folder"));
    EXPECT_EQ(child<QToolButton>("btShowOffsets")->toolTip(), QStringLiteral("Show Offsets"));

    // Show puts it where it was, at the size it had (it once had a fixed
    // size); its values grow with it, to be read from the helm.
    test::writeFile(f.iniPath, QByteArray(test::kSurveyIni) +
                                   "[TfRealtime]\nLeft=120\nTop=90\nWidth=300\nHeight=500\n");
    const int pixels = child<QLabel>("lDepthHi")->font().pixelSize();
    window.show();
    EXPECT_EQ(window.geometry(), QRect(120, 90, 300, 500));
    EXPECT_GT(child<QLabel>("lDepthHi")->font().pixelSize(), pixels * 5 / 4);
    // The frames come and go at that scale.
    window.HideLowFrequencyFrame();
    EXPECT_NEAR(window.height(), 289 * 500 / 387, 2);
}

TEST_F(RealtimeWindowTest, DepthFramesSetTheClientHeight) {
    // The family choice: the height changes only with the low frame.
    window.HideLowFrequencyFrame();
    EXPECT_FALSE(frameShown("DepthFrameLo"));
    EXPECT_TRUE(frameShown("DepthFrameHi"));
    EXPECT_EQ(window.height(), 289);
    window.HideLowFrequencyFrame();
    EXPECT_EQ(window.height(), 289);
    f.models.changes.depthDisplayChanged(true);  // as the settings window says it
    EXPECT_TRUE(frameShown("DepthFrameLo"));
    EXPECT_EQ(window.size(), QSize(192, 387));

    // Real time with the sensor off hides both: 191. A single-depth family
    // then changes nothing, the low frame being hidden already.
    f.models.device.sensorEnabled = false;
    f.survey->RealtimeClick();
    EXPECT_FALSE(frameShown("DepthFrameHi"));
    EXPECT_FALSE(frameShown("DepthFrameLo"));
    EXPECT_EQ(window.height(), 191);
    f.models.changes.depthDisplayChanged(false);
    EXPECT_EQ(window.height(), 191);
    f.survey->RealtimeClick();  // stop
    f.models.device.sensorEnabled = true;
    f.survey->RealtimeClick();
    EXPECT_TRUE(frameShown("DepthFrameHi"));
    EXPECT_TRUE(frameShown("DepthFrameLo"));
    EXPECT_EQ(window.height(), 387);
}

TEST_F(RealtimeWindowTest, ShowsTheSessionsReadoutsAndColours) {
    f.survey->RealtimeClick();
    // A DBT sounding of 10.0 m with SV 1480 and draft 0.5: 10.37 m.
    f.sounder("$SDDBT,32.8,f,10.0,M,5.4,F");
    f.gnss("$GPGGA,120000.00,4100.0000,N,02900.0000,E,4,08,0.9,10.0,M,36.1,M,,");
    f.gnss("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K");
    f.gnss("$GPGGA,120001.00,4100.0001,N,02900.0000,E,4,09,0.9,10.0,M,36.1,M,,");
    f.vt.advance(1000);
    EXPECT_EQ(text("lDepthHi"), QStringLiteral("10.37"));
    EXPECT_EQ(text("lDepthLo"), QStringLiteral("---")) << "DBT has no low frequency: not the draft";
    EXPECT_EQ(text("Speed"), QStringLiteral("5.5"));
    EXPECT_EQ(text("Fixed"), QStringLiteral("4"));
    EXPECT_EQ(text("SatelliteLabel"), QStringLiteral("9"));
    EXPECT_EQ(text("LAntennaH"), QStringLiteral("46.10"));  // 10.0 + 36.1
    // Lime for a sounding and for RTK fixed, with dark text on it.
    EXPECT_EQ(fill("DepthFrameHi"), QColor(0, 255, 0));
    EXPECT_EQ(fill("DepthFrameLo"), QColor(0, 255, 0));
    EXPECT_EQ(fill("GPSGroupBox"), QColor(0, 255, 0));
    EXPECT_EQ(child<QLabel>("lDepthHi")->palette().color(QPalette::WindowText), QColor(Qt::black));
    // Silence: the GNSS goes idle and the group turns red, with light text.
    f.vt.advance(11000);
    EXPECT_EQ(fill("GPSGroupBox"), QColor(255, 0, 0));
    EXPECT_EQ(child<QLabel>("Fixed")->palette().color(QPalette::WindowText), QColor(Qt::white));
}

// A sounder that stops while the GNSS goes on: past the stale age the
// depths turn grey in the window and the chart's depth box, no new depth
// label goes onto the chart, and the GNSS read-outs stay as they are; the
// next sounding brings the colour back. Then the GNSS falls silent.
TEST_F(RealtimeWindowTest, AnOldValueLooksOld) {
    f.survey->RealtimeClick();
    const auto epoch = [this](int s) {
        f.gnss(QStringLiteral("$GPGGA,1200%1.00,4100.%2,N,02900.0000,E,4,08,0.9,10.0,M,36.1,M,,")
                   .arg(s, 2, 10, QLatin1Char('0'))
                   .arg(s * 100, 4, 10, QLatin1Char('0'))  // 18.5 m a second
                   .toStdString());
    };
    f.sounder("$SDDBT,32.8,f,10.0,M,5.4,F");
    for (int s = 0; s < 3; ++s) {
        epoch(s);
        f.vt.advance(1000);
    }
    EXPECT_FALSE(window.depthShownStale()) << "2.9 s old: still current";
    EXPECT_FALSE(f.doc.Overlay.DepthStale);
    const auto labels = f.doc.Overlay.DepthLabels.size();
    for (int s = 3; s < 6; ++s) {
        epoch(s);
        f.vt.advance(1000);
    }
    EXPECT_TRUE(window.depthShownStale());
    EXPECT_TRUE(f.doc.Overlay.DepthStale);
    EXPECT_FALSE(window.gnssShownStale());
    EXPECT_FALSE(f.doc.Overlay.PositionStale);
    EXPECT_EQ(child<QLabel>("lDepthHi")->palette().color(QPalette::WindowText),
              QColor(128, 128, 128));
    EXPECT_GT(labels, 2u);
    EXPECT_LE(f.doc.Overlay.DepthLabels.size(), labels + 1)
        << "no label of an old depth (one a tick before: six)";

    f.sounder("$SDDBT,32.8,f,10.0,M,5.4,F");
    f.vt.advance(1000);  // a tick after it
    EXPECT_FALSE(window.depthShownStale());
    EXPECT_EQ(child<QLabel>("lDepthHi")->palette().color(QPalette::WindowText), QColor(Qt::black))
        << "the frame's own text colour again";

    // No epoch for 4 s (the reader calls the line idle only after 5 s).
    f.vt.advance(3000);
    EXPECT_TRUE(window.gnssShownStale());
    EXPECT_TRUE(f.doc.Overlay.PositionStale);
    EXPECT_TRUE(f.doc.Overlay.PositionStatusText.contains(QStringLiteral("s old")))
        << f.doc.Overlay.PositionStatusText.toStdString();
}

TEST_F(RealtimeWindowTest, ToolbarStartupActionAndCompactMark) {
    window.show();
    QSignalSpy zoomIn(&window, &TfRealtime::zoomInRequested);
    QSignalSpy zoomOut(&window, &TfRealtime::zoomOutRequested);
    QSignalSpy offsets(&window, &TfRealtime::offsetsRequested);
    QSignalSpy logFolder(&window, &TfRealtime::logFolderRequested);
    QSignalSpy compact(&window, &TfRealtime::compactModeToggled);
    for (const char* name : {"ToolButton2", "ToolButton3", "ToolButton3", "btShowOffsets",
                             "btOpenLogFolder", "btHide"})
        QTest::mouseClick(child<QToolButton>(name), Qt::LeftButton);
    EXPECT_EQ(zoomIn.size(), 1);
    EXPECT_EQ(zoomOut.size(), 2);
    EXPECT_EQ(offsets.size(), 1);
    EXPECT_EQ(logFolder.size(), 1);
    EXPECT_EQ(compact.size(), 1);
    // The button shows the main window's mode, not its own toggling.
    QToolButton* hide = child<QToolButton>("btHide");
    EXPECT_FALSE(hide->isChecked());
    window.setCompactMark(true);
    EXPECT_EQ(window.compactMark(), 1);
    QTest::mouseClick(hide, Qt::LeftButton);
    EXPECT_TRUE(hide->isChecked());
    window.setCompactMark(false);
    EXPECT_FALSE(hide->isChecked());

    auto* timer = window.findChild<QTimer*>(QStringLiteral("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive() && timer->isSingleShot());
    EXPECT_EQ(timer->interval(), 10000);
    int runs = 0;
    window.setStartupAction([&] { ++runs; });
    window.Timer1Timer();
    window.Timer1Timer();
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(window.startupPending());
}

}  // namespace
}  // namespace nivora
