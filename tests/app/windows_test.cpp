// The caption table over every window, the theme, the message window.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

#include "app/app_prompts.h"
#include "app/caption_table.h"
#include "app/message_window.h"
#include "app/theme.h"
#include "app/theme_window.h"
#include "app/toolbar_icons.h"
#include "tests/app/app_test_support.h"

namespace nivora::test {
namespace {

QWidget* window(const char* name) {
    for (QWidget* w : QApplication::allWidgets()) {
        if (w->isWindow() && w->objectName() == QLatin1String(name)) return w;
    }
    return nullptr;
}

TEST(CaptionTable, EveryEntryNamesARealControlAndApplyingTwiceChangesNothing) {
    QTemporaryDir dir;
    ProgramFixture f(demoIni(dir));
    for (const CaptionEntry& e : captionTable()) {
        QWidget* w = window(e.window);
        ASSERT_NE(w, nullptr) << e.window;
        EXPECT_NE(captionTarget(*w, e), nullptr)
            << e.window << " / " << (e.control ? e.control : "(caption)");
    }
    EXPECT_EQ(applyCaptionTable(), static_cast<int>(captionTable().size()));
    const auto snapshot = [] {
        QStringList texts;
        for (const CaptionEntry& e : captionTable())
            texts << captionOf(*captionTarget(*window(e.window), e));
        return texts;
    };
    const QStringList once = snapshot();
    applyCaptionTable();
    EXPECT_EQ(snapshot(), once);
    // The telling entries, as the surveyor reads them.
    EXPECT_EQ(f.nav().action(QStringLiteral("btNoFollow"))->text(),
              QStringLiteral("Unollow Vessel"));
    EXPECT_EQ(f.nav().action(QStringLiteral("aNoFollow"))->text(),
              QStringLiteral("Unfollow Vessel"));
    EXPECT_EQ(f.nav().action(QStringLiteral("btZoomExtents"))->text(), QStringLiteral(" "));
    EXPECT_FALSE(f.nav().action(QStringLiteral("btZoomExtents"))->toolTip().trimmed().isEmpty())
        << "an icon-only button keeps its hint";
    EXPECT_EQ(window("TfCanvas")->windowTitle(), QStringLiteral("Acoustic Waterfall"));
    EXPECT_EQ(window("TFShape")->windowTitle(), QStringLiteral("Vessel Geometry"));
}

TEST(CaptionTable, TurkishOnlyMovesTheCheckMark) {
    QTemporaryDir dir;
    ProgramFixture f(demoIni(dir));
    applyCaptionTable();
    QStringList before;
    for (const CaptionEntry& e : captionTable())
        before << captionOf(*captionTarget(*window(e.window), e));
    f.nav().action(QStringLiteral("aTurkish"))->trigger();
    EXPECT_TRUE(f.nav().action(QStringLiteral("aTurkish"))->isChecked());
    EXPECT_FALSE(f.nav().action(QStringLiteral("aEnglish"))->isChecked());
    QStringList after;
    for (const CaptionEntry& e : captionTable())
        after << captionOf(*captionTarget(*window(e.window), e));
    EXPECT_EQ(after, before);
}

TEST(Theme, NightPaletteAppliesAtOnceAndIsKept) {
    QTemporaryDir dir;
    const QString ini = demoIni(dir);
    TfTheme theme{SettingsFile(ini)};
    const QStringList choices = themeChoices();
    ASSERT_GE(choices.size(), 3);
    EXPECT_EQ(choices.front(), QLatin1String(kDefaultTheme));
    EXPECT_TRUE(choices.contains(QLatin1String(kNightTheme)));
    theme.list()->setCurrentRow(static_cast<int>(choices.indexOf(QLatin1String(kNightTheme))));
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(), 80) << "dark at once";
    EXPECT_LT(QApplication::palette().color(QPalette::Base).lightness(), 60);
    ASSERT_TRUE(theme.SaveAndExitClick());
    EXPECT_EQ(IniStore(ini).readString(QStringLiteral("APPLICATION"), QStringLiteral("ThemeStyle")),
              QLatin1String(kNightTheme));
    EXPECT_FALSE(applyTheme(QStringLiteral("No Such Style")));
    EXPECT_EQ(currentTheme(), QLatin1String(kNightTheme)) << "an unknown name changes nothing";
    ASSERT_TRUE(applyTheme(QLatin1String(kDefaultTheme)));
    EXPECT_GT(QApplication::palette().color(QPalette::Window).lightness(), 120);
}

// The icons are SVG files in a resource: each one is there and draws, its
// strokes take the palette's text colour (the night palette changes them),
// and a picture is drawn once per size and colour.
TEST(Icons, EveryIconDrawsInThePalettesColourOnce) {
    const std::vector<IconId>& ids = allIconIds();
    ASSERT_EQ(ids.size(), static_cast<std::size_t>(IconId::Application) + 1);
    const auto inked = [](const QImage& img, auto&& test) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += qAlpha(img.pixel(x, y)) > 200 && test(QColor(img.pixel(x, y)));
        return n;
    };
    for (std::size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(ids[i], static_cast<IconId>(i));
        EXPECT_TRUE(QFile::exists(iconFile(ids[i]))) << iconFile(ids[i]).toStdString();
        const QImage img = nivoraIcon(ids[i]).pixmap(24, 24).toImage();
        EXPECT_GT(inked(img, [](const QColor&) { return true; }), 20)
            << iconName(ids[i]).toStdString();
    }
    const QPalette saved = QApplication::palette();
    for (const QColor text : {QColor(Qt::black), QColor(Qt::white)}) {
        QPalette p = saved;
        p.setColor(QPalette::WindowText, text);
        QApplication::setPalette(p);
        const QImage save = nivoraIcon(IconId::Save).pixmap(32, 32).toImage();
        EXPECT_GT(inked(save, [&](const QColor& c) { return c == text; }), 40)
            << text.name().toStdString();
    }
    QApplication::setPalette(saved);
    const QIcon zoom = nivoraIcon(IconId::ZoomIn);
    EXPECT_EQ(zoom.pixmap(48, 48).cacheKey(), nivoraIcon(IconId::ZoomIn).pixmap(48, 48).cacheKey());
}

TEST(MessageWindow, HidesItselfAndAClickEmptiesIt) {
    TFMsg msg;
    msg.addMessage(QStringLiteral("Connected to GPS on SIM"));
    EXPECT_TRUE(msg.isVisible());
    EXPECT_TRUE(msg.hideTimerActive());
    EXPECT_TRUE(msg.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(msg.windowFlags() & Qt::WindowDoesNotAcceptFocus);
    auto* memo = msg.findChild<QWidget*>(QStringLiteral("Msg"));
    ASSERT_NE(memo, nullptr);
    QTest::mouseClick(static_cast<QAbstractScrollArea*>(memo)->viewport(), Qt::LeftButton);
    EXPECT_FALSE(msg.isVisible());
    EXPECT_TRUE(msg.text().isEmpty());
    EXPECT_FALSE(msg.hideTimerActive());
}

TEST(FileDialogs, FiltersFromThePipeForm) {
    EXPECT_EQ(qtFileFilter(QStringLiteral("Nivora Wayline [*.nwl]|*.nwl|All Files [*.*]|*.*")),
              QStringLiteral("Nivora Wayline [*.nwl] (*.nwl);;All Files [*.*] (*)"));
    EXPECT_EQ(qtFileFilter(QStringLiteral("Drawings|*.dwg;*.dxf")),
              QStringLiteral("Drawings (*.dwg *.dxf)"));
    // A name typed without an extension was written so, and the dialog's
    // own filter then hid it.
    const QString layouts = QStringLiteral("Nivora Wayline [*.nwl] (*.nwl)");
    EXPECT_EQ(withFilterExtension(QStringLiteral("/d/day one"), layouts),
              QStringLiteral("/d/day one.nwl"));
    EXPECT_EQ(withFilterExtension(QStringLiteral("/d/chart.dxf"), layouts),
              QStringLiteral("/d/chart.dxf"));
    EXPECT_EQ(withFilterExtension(QStringLiteral("/d/x"), QStringLiteral("Drawings (*.dwg *.dxf)")),
              QStringLiteral("/d/x.dwg"));
    EXPECT_EQ(withFilterExtension(QStringLiteral("/d/x"), QStringLiteral("All Files [*.*] (*)")),
              QStringLiteral("/d/x"));
}

TEST(CommandLine, OptionsAndTheirMistakes) {
    QString error;
    const auto o = parseProgramOptions(
        {QStringLiteral("NivoraDW"), QStringLiteral("--ini"), QStringLiteral("/a.INI"),
         QStringLiteral("--realtime"), QStringLiteral("--screenshots=/s"),
         QStringLiteral("--quit-after"), QStringLiteral("2.5")},
        &error);
    ASSERT_TRUE(o.has_value()) << error.toStdString();
    EXPECT_EQ(o->iniPath, QStringLiteral("/a.INI"));
    EXPECT_TRUE(o->realtime);
    EXPECT_EQ(o->screenshotsDir, QStringLiteral("/s"));
    EXPECT_DOUBLE_EQ(o->quitAfterSeconds, 2.5);
    EXPECT_FALSE(parseProgramOptions(
        {QStringLiteral("NivoraDW"), QStringLiteral("--quit-after"), QStringLiteral("x")}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("'x'")));
    EXPECT_FALSE(
        parseProgramOptions({QStringLiteral("NivoraDW"), QStringLiteral("--ini")}, &error));
    EXPECT_FALSE(
        parseProgramOptions({QStringLiteral("NivoraDW"), QStringLiteral("--bogus")}, &error));
}

}  // namespace
}  // namespace nivora::test
