// The remote thrust panel: the command texts, the click sequences as they
// arrive on a real pseudo-terminal behind the GNSS reader, a closed port,
// the battery strip and the family check.

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <limits>

#include "app/joystick_window.h"
#include "tests/support/pty_pair.h"
#include "tests/survey/session_test_support.h"

namespace nivora {
namespace {

TEST(ThrustCommand, SignAndAtLeastThreeDigits) {
    EXPECT_EQ(thrustCommand('A', 5), QByteArray("<A+005>\n"));
    EXPECT_EQ(thrustCommand('B', -12), QByteArray("<B-012>\n"));
    EXPECT_EQ(thrustCommand('A', 1234), QByteArray("<A+1234>\n"));
    EXPECT_EQ(thrustCommand('A', 0), QByteArray("<A+000>\n"));
    EXPECT_EQ(thrustCommand('B', 999), QByteArray("<B+999>\n"));
    EXPECT_EQ(thrustCommand('B', -1000), QByteArray("<B-1000>\n"));
    EXPECT_EQ(thrustCommand('A', std::numeric_limits<std::int32_t>::min()),
              QByteArray("<A-2147483648>\n"));
}

class JoystickTest : public ::testing::Test {
  protected:
    JoystickTest() : panel(*f.survey) {
        f.models.device.sbesMessage = QStringLiteral("Nivora SMT");
    }

    void click(const char* name) {
        auto* b = panel.findChild<QToolButton*>(QLatin1String(name));
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    }
    int commandMessages() const {
        int n = 0;
        for (const QString& m : f.view.messages)
            n += m.startsWith(QStringLiteral("Command sent to device: "));
        return n;
    }

    test::SessionFixture f;
    TfJoystick panel;
};

#if defined(Q_OS_LINUX)
using Pty = test::PtyPair;

TEST_F(JoystickTest, ClickSequencesOnTheGnssPortAndNothingWhenItIsClosed) {
    Pty pty;
    ASSERT_GE(pty.master, 0);
    f.survey->setTransportFactories(&makeSerialPortTransport,
                                    MemoryTransport::factory(f.sounderPort));
    f.survey->gnss().DevicePath = pty.slaveName;
    f.survey->gnss().Open();
    ASSERT_TRUE(f.survey->gnss().isOpen()) << f.errors().join(QLatin1Char('\n')).toStdString();
    panel.show();

    struct Step {
        const char* button;
        const char* written;
        int a, b;
    };
    const Step steps[] = {
        // The first up after start sends 2 for both; left sends A as it was.
        {"bUp", "<A+002>\n<B+002>\n", 2, 2},
        {"bLeft", "<A+002>\n", 3, 2},
        {"BitBtn1", "<A+003>\n", 2, 2},
        {"bRight", "<B+002>\n", 2, 3},
        {"bBottom", "<A+001>\n<B+002>\n", 1, 2},
        {"BitBtn2", "", 1, 2},
        // Stop sends zeros but keeps 1, so the next up sends 2 again.
        {"BitBtn5", "<A+000>\n<B+000>\n", 1, 1},
        {"bUp", "<A+002>\n<B+002>\n", 2, 2},
        {"bBottom", "<A+001>\n<B+001>\n", 1, 1},
        {"BitBtn1", "<A+001>\n", 0, 1},
        {"BitBtn1", "<A+000>\n", -1, 1},
        {"BitBtn1", "<A-001>\n", -2, 1},
    };
    int writes = 0;
    for (const Step& s : steps) {
        click(s.button);
        EXPECT_EQ(pty.receive(), QByteArray(s.written)) << s.button;
        EXPECT_EQ(panel.channelA(), s.a) << s.button;
        EXPECT_EQ(panel.channelB(), s.b) << s.button;
        writes += *s.written != 0;
    }
    EXPECT_EQ(panel.channelC(), 1);
    // One write per click, reported with the text as written.
    EXPECT_EQ(commandMessages(), writes);
    EXPECT_TRUE(
        f.view.messages.contains(QStringLiteral("Command sent to device: <A+000>\n<B+000>\n")));
    EXPECT_TRUE(f.eventsLog().contains("Command sent to device: <A+002>"));

    // Closed: the values still change, nothing is written or reported.
    f.survey->gnss().Close();
    click("bUp");
    click("bRight");
    EXPECT_EQ(panel.channelA(), -1);
    EXPECT_EQ(panel.channelB(), 3);
    EXPECT_TRUE(pty.receive().isEmpty());
    EXPECT_EQ(commandMessages(), writes);
}
#endif

TEST_F(JoystickTest, BatteryStripAndTheFamilyCheck) {
    EXPECT_EQ(panel.windowTitle(), QStringLiteral("Battery"));
    EXPECT_TRUE(panel.windowFlags() & Qt::WindowStaysOnTopHint);
    f.models.device.sbesFormat = QStringLiteral("%*8s,%lf,%lf");
    f.survey->RealtimeClick();
    f.sounder("$PNSMT01,12.40,12.618");
    f.vt.advance(200);
    auto* battery = panel.findChild<QLabel*>(QStringLiteral("pBattery"));
    ASSERT_NE(battery, nullptr);
    EXPECT_EQ(battery->text(), QStringLiteral("12.62"));

    // Checked every second from creation; once hidden it stays hidden.
    auto* timer = panel.findChild<QTimer*>(QStringLiteral("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    panel.show();
    panel.Timer1Timer();
    EXPECT_TRUE(panel.isVisible());
    f.models.device.sbesMessage = QStringLiteral("NMEA DPT");
    panel.Timer1Timer();
    EXPECT_FALSE(panel.isVisible());
    f.models.device.sbesMessage = QStringLiteral("Nivora SMT");
    panel.Timer1Timer();
    EXPECT_FALSE(panel.isVisible());
}

}  // namespace
}  // namespace nivora
