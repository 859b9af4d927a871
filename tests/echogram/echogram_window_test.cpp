// The echogram window on the offscreen platform: what it shows, what it
// tells the survey and what it stores when it closes.

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "core/ini_store.h"
#include "echogram/ui/echogram_window.h"

namespace nivora {
namespace {

class NotedPrompts final : public OperatorPrompts {
  public:
    QStringList messages, errors;
    void showMessage(const QString& t) override { messages << t; }
    void showWarning(const QString& t) override { messages << t; }
    void showError(const QString& t) override { errors << t; }
    bool askOkCancel(const QString&) override { return false; }
    QString chooseOpenFile(const QString&, const QString&, const QString&) override { return {}; }
};

class EchogramWindowTest : public ::testing::Test {
  protected:
    EchogramWindowTest()
        : file(dir.filePath(QStringLiteral("NivoraDW.INI"))), window(settings, file, prompts) {}

    QRgb shown(int x, int y) { return window.grab().toImage().pixel(x, y) | 0xFF000000u; }

    QTemporaryDir dir;
    SettingsFile file;
    EchogramSettings settings;
    NotedPrompts prompts;
    TfCanvas window;
};

constexpr QRgb kWater = qRgb(0x64, 0xB4, 0xFF);
constexpr QRgb kBackground = qRgb(0xF0, 0xF8, 0xFF);

TEST_F(EchogramWindowTest, CommandsShowItAndTheSessionHearsOfIt) {
    settings.interval = 250;
    QSignalSpy visible(&window, &TfCanvas::visibilityChanged);
    QSignalSpy interval(&window, &TfCanvas::intervalChanged);
    window.setBackgroundColour(colors::Navy);
    window.EchogramClick(false);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(prompts.messages,
              QStringList{QStringLiteral("Sensor is not enabled. Enable sensor in GPS settings to "
                                         "view echogram.")});
    window.EchogramClick(true);
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(interval.size(), 1);
    EXPECT_EQ(interval[0][0].toInt(), 250);
    // Before any depth the window shows the colour it took on show.
    EXPECT_EQ(shown(10, 10), qRgb(0, 0, 0x80));
    window.hide();
    window.AcousticsWaterfallClick();
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(visible.size(), 3);
    EXPECT_TRUE(visible[0][0].toBool());
    EXPECT_FALSE(visible[1][0].toBool());
    EXPECT_EQ(prompts.messages.size(), 1);
}

TEST_F(EchogramWindowTest, DrawsEachUpdateAndRedrawsItAtANewSize) {
    settings.dataWidth = 50;
    window.resize(500, 400);
    window.show();
    // 10 m on 0..50 m: row 80 of 400 in the last 10 px column.
    window.addDepth(10);
    EXPECT_EQ(shown(495, 70), kWater);
    EXPECT_EQ(shown(495, 90), kBackground);
    // Half the height: row 40, same history, no new sample.
    window.resize(500, 200);
    EXPECT_EQ(shown(495, 30), kWater);
    EXPECT_EQ(shown(495, 50), kBackground);
    // The history survives hiding; the count is limited to the history.
    window.hide();
    window.show();
    EXPECT_EQ(window.history().depth(49), 10);
    settings.dataWidth = 500;
    window.addDepth(3);
    EXPECT_EQ(window.history().count(), 200);
}

TEST_F(EchogramWindowTest, ClosingStoresTheKeysAndThePlacement) {
    settings.dataWidth = 120;
    settings.interval = 250;
    window.show();
    window.resize(420, 260);
    window.close();
    EXPECT_TRUE(prompts.errors.isEmpty());
    const IniStore ini(file.path());
    EXPECT_EQ(ini.readInteger(QStringLiteral("ECHOGRAM"), QStringLiteral("DataWidth"), 0), 120);
    EXPECT_EQ(ini.readInteger(QStringLiteral("ECHOGRAM"), QStringLiteral("Interval"), 0), 250);
    // The next show puts it back as it was.
    window.resize(300, 200);
    window.show();
    EXPECT_EQ(window.size(), QSize(420, 260));
}

}  // namespace
}  // namespace nivora
