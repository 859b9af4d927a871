#include <gtest/gtest.h>

#include "config/window_placement.h"
#include "tests/config/config_test_support.h"

namespace nivora {
namespace {

using test::ScratchIni;

const QRect kScreen(0, 0, 1920, 1080);

WindowPlacement at(int left, int top, int width = 640, int height = 480) {
    WindowPlacement p;
    p.Left = left;
    p.Top = top;
    p.Width = width;
    p.Height = height;
    return p;
}

TEST(PlacementRestore, PositionsOnTheScreenAreKept) {
    const RestoredPlacement r = restorePlacement(at(100, 200), false, kScreen);
    EXPECT_FALSE(r.maximize);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 200);
    EXPECT_FALSE(r.width.has_value());
    EXPECT_FALSE(r.height.has_value());
}

TEST(PlacementRestore, PositionsOffTheScreenGoToItsStart) {
    EXPECT_EQ(restorePlacement(at(-1, 5), false, kScreen).left, 0);
    EXPECT_EQ(restorePlacement(at(1920, 5), false, kScreen).left, 0);
    EXPECT_EQ(restorePlacement(at(1919, 5), false, kScreen).left, 1919);
    EXPECT_EQ(restorePlacement(at(5, 1080), false, kScreen).top, 0);
    EXPECT_EQ(restorePlacement(at(5, 1079), false, kScreen).top, 1079);
    EXPECT_EQ(restorePlacement(at(5, -30000), false, kScreen).top, 0);
    EXPECT_EQ(restorePlacement(at(2147483647, 5), false, kScreen).left, 0);
}

TEST(PlacementRestore, ADesktopLeftOfThePrimaryScreenKeepsItsWindows) {
    const QRect desktop(-1920, 0, 3840, 1080);
    EXPECT_EQ(restorePlacement(at(-1500, 10), false, desktop).left, -1500);
    EXPECT_EQ(restorePlacement(at(-2000, 10), false, desktop).left, -1920);
}

TEST(PlacementRestore, SizeOnlyWhenSizingAndOnlyPositive) {
    RestoredPlacement r = restorePlacement(at(0, 0, 800, 600), true, kScreen);
    EXPECT_EQ(r.width, 800);
    EXPECT_EQ(r.height, 600);
    r = restorePlacement(at(0, 0, 0, -5), true, kScreen);
    EXPECT_FALSE(r.width.has_value());
    EXPECT_FALSE(r.height.has_value());
}

TEST(PlacementRestore, StateTwoMaximises) {
    WindowPlacement p = at(-50, -50);
    p.WindowState = WindowPlacement::kMaximized;
    EXPECT_TRUE(restorePlacement(p, true, kScreen).maximize);
    p.WindowState = WindowPlacement::kMinimized;
    EXPECT_FALSE(restorePlacement(p, true, kScreen).maximize);
}

TEST(PlacementIni, MissingKeysGiveOriginAndTheCurrentSize) {
    ScratchIni ini;
    const WindowPlacement p =
        readWindowPlacement(ini.store(), QStringLiteral("TOffsets"), 420, 410);
    EXPECT_EQ(p.WindowState, 0);
    EXPECT_EQ(p.Left, 0);
    EXPECT_EQ(p.Top, 0);
    EXPECT_EQ(p.Width, 420);
    EXPECT_EQ(p.Height, 410);
}

TEST(PlacementIni, WrittenUnderTheWindowsSectionAsIntegers) {
    ScratchIni ini;
    IniStore store = ini.store();
    WindowPlacement p = at(12, 34, 560, 780);
    p.WindowState = 2;
    writeWindowPlacement(store, QStringLiteral("TNavset"), p);
    EXPECT_EQ(store.keys(QStringLiteral("TNavset")),
              (QStringList{QStringLiteral("WindowState"), QStringLiteral("Left"),
                           QStringLiteral("Top"), QStringLiteral("Width"), QStringLiteral("Height"),
                           QStringLiteral("Visible")}));
    EXPECT_EQ(store.readString(QStringLiteral("TNavset"), QStringLiteral("Width")),
              QStringLiteral("560"));
    const WindowPlacement back = readWindowPlacement(store, QStringLiteral("tnavset"), 1, 1);
    EXPECT_EQ(back.WindowState, 2);
    EXPECT_EQ(back.Left, 12);
    EXPECT_EQ(back.Top, 34);
    EXPECT_EQ(back.Width, 560);
    EXPECT_EQ(back.Height, 780);
}

}  // namespace
}  // namespace nivora
