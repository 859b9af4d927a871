// Overlay state: depth labels with spacing and cap, event labels, the
// depth/speed box text, corner toggles and the distance measure. Overlays
// only ask for a repaint; they never dirty the chart picture.

#include <gtest/gtest.h>

#include <climits>

#include "canvas/canvas_document.h"
#include "tests/canvas/canvas_test_support.h"

namespace nivora {
namespace {

TEST(DepthLabels, SpacingDropsLabelsThatAreTooClose) {
    CanvasDocument doc;
    doc.AddDepthLabel(0, 0, 5.1);
    doc.AddDepthLabel(9.9, 0, 5.2);  // 9.9 m away: dropped
    EXPECT_EQ(doc.Overlay.DepthLabels.size(), 1u);
    doc.AddDepthLabel(6, 8, 5.3);  // exactly 10 m away: kept
    EXPECT_EQ(doc.Overlay.DepthLabels.size(), 2u);
    // Any stored label counts, not only the last one.
    doc.AddDepthLabel(0.5, 0.5, 5.4);
    EXPECT_EQ(doc.Overlay.DepthLabels.size(), 2u);
    EXPECT_DOUBLE_EQ(doc.Overlay.DepthLabels[1].depth, 5.3);
}

TEST(DepthLabels, SettingsChangeTheSpacing) {
    CanvasDocument doc;
    doc.SetDepthLabelSettings(false, 2.0, QStringLiteral("Tahoma"), 9, colors::Blue);
    EXPECT_FALSE(doc.Overlay.DepthLabelsVisible);
    EXPECT_EQ(doc.Overlay.LabelFontName, QStringLiteral("Tahoma"));
    EXPECT_EQ(doc.Overlay.LabelFontSize, 9);
    EXPECT_EQ(doc.Overlay.LabelColor, colors::Blue);
    doc.AddDepthLabel(0, 0, 1);
    doc.AddDepthLabel(2.5, 0, 1);
    EXPECT_EQ(doc.Overlay.DepthLabels.size(), 2u);
}

TEST(DepthLabels, PastTenThousandTheOldestThousandGo) {
    CanvasDocument doc;
    for (int i = 0; i < 10000; ++i)
        doc.AddDepthLabel(i * 10.0, 0, i);
    EXPECT_EQ(doc.Overlay.DepthLabels.size(), 10000u);
    doc.AddDepthLabel(100000.0, 0, 10000);
    ASSERT_EQ(doc.Overlay.DepthLabels.size(), 9001u);
    EXPECT_DOUBLE_EQ(doc.Overlay.DepthLabels.front().depth, 1000);
    EXPECT_DOUBLE_EQ(doc.Overlay.DepthLabels.back().depth, 10000);
    // The place of a dropped label is free again.
    doc.AddDepthLabel(0, 0, -1);
    EXPECT_EQ(doc.Overlay.DepthLabels.size(), 9002u);
}

TEST(DepthLabels, ClearEmptiesTheList) {
    CanvasDocument doc;
    doc.AddDepthLabel(0, 0, 1);
    doc.ClearDepthLabels();
    EXPECT_TRUE(doc.Overlay.DepthLabels.empty());
    doc.AddDepthLabel(0, 0, 1);
    EXPECT_EQ(doc.Overlay.DepthLabels.size(), 1u);
}

TEST(EventLabels, AppendedWithoutSpacingTest) {
    CanvasDocument doc;
    doc.AddEventLabel(5, 5, 41);
    doc.AddEventLabel(5, 5, 42);
    ASSERT_EQ(doc.Overlay.EventLabels.size(), 2u);
    EXPECT_EQ(doc.Overlay.EventLabels[1].number, 42);
    EXPECT_EQ(doc.Overlay.EventLabelFontSize, 24);
    EXPECT_EQ(doc.Overlay.EventLabelColor, colors::Red);
    doc.ClearEventLabels();
    EXPECT_TRUE(doc.Overlay.EventLabels.empty());
}

TEST(DepthSpeedBox, TextShowsWhatIsSwitchedOn) {
    CanvasDocument doc;
    EXPECT_TRUE(doc.Overlay.DepthSpeedText().isEmpty());
    doc.SetCurrentDepth(12.346, 13.5, true);
    EXPECT_EQ(doc.Overlay.DepthSpeedText(), QStringLiteral("HF: 12.35 m  LF: 13.50 m"));
    doc.SetCurrentDepth(12.3, 0, true);
    EXPECT_EQ(doc.Overlay.DepthSpeedText(), QStringLiteral("HF: 12.30 m"));
    // A high frequency that was not measured (0) is left out; a sounder that
    // reads only the low frequency still shows its depth.
    doc.SetCurrentDepth(0, 5, true);
    EXPECT_EQ(doc.Overlay.DepthSpeedText(), QStringLiteral("LF: 5.00 m"));
    doc.SetCurrentDepth(0, 0, true);
    EXPECT_TRUE(doc.Overlay.DepthSpeedText().isEmpty());
    doc.SetCurrentSpeed(3.44, true);
    EXPECT_EQ(doc.Overlay.DepthSpeedText(), QStringLiteral("3.4 kn"));
    doc.SetCurrentDepth(7, 0, true);
    EXPECT_EQ(doc.Overlay.DepthSpeedText(), QStringLiteral("HF: 7.00 m  3.4 kn"));
    doc.SetCurrentDepth(7, 8, false);
    EXPECT_EQ(doc.Overlay.DepthSpeedText(), QStringLiteral("3.4 kn"));
    EXPECT_DOUBLE_EQ(doc.Overlay.CurrentDepthLF, 8);
    doc.SetCurrentSpeed(3.44, false);
    EXPECT_TRUE(doc.Overlay.DepthSpeedText().isEmpty());
}

TEST(Corners, TogglesWrapFromThreeToZero) {
    CanvasDocument doc;
    for (int expected : {1, 2, 3, 0, 1}) {
        doc.ToggleDepthSpeedDisplayMode();
        doc.ToggleGGAOverlayPosition();
        EXPECT_EQ(doc.Overlay.DepthSpeedDisplayMode, expected);
        EXPECT_EQ(doc.Overlay.GGAOverlayPosition, expected);
    }
}

// The corners come straight from the settings file; a value outside 0..3
// must still step to a real corner.
TEST(Corners, StoredValuesOutsideTheRangeStepIntoIt) {
    for (int stored : {-7, -1, 4, 9, INT_MAX, INT_MIN}) {
        const int next = NextCorner(stored);
        EXPECT_GE(next, 0) << stored;
        EXPECT_LE(next, 3) << stored;
    }
    EXPECT_EQ(NextCorner(-1), 0);
    EXPECT_EQ(NextCorner(5), 2);
}

TEST(PositionStatus, FillColourByFixQuality) {
    EXPECT_EQ(PositionStatusColor(1), colors::Red);
    EXPECT_EQ(PositionStatusColor(2), colors::Aqua);
    EXPECT_EQ(PositionStatusColor(4), colors::Lime);
    EXPECT_EQ(PositionStatusColor(7), colors::Lime);
    EXPECT_EQ(PositionStatusColor(5), colors::Yellow);
    EXPECT_EQ(PositionStatusColor(0), colors::Silver) << "no fix once looked like a float";
    EXPECT_EQ(PositionStatusColor(3), colors::Yellow);
    CanvasDocument doc;
    doc.SetPositionStatus(QStringLiteral("12:00:00 | Spd: 3.0 kn"), 4);
    EXPECT_EQ(doc.Overlay.PositionFixQuality, 4);
}

TEST(DistanceMeasure, UpdatesOnlyWhileMeasuring) {
    CanvasDocument doc;
    doc.UpdateDistanceMeasure(5, 5, 7, 45);
    EXPECT_FALSE(doc.Overlay.Measuring);
    EXPECT_EQ(doc.Overlay.MeasureEnd, QPointF(0, 0));
    EXPECT_EQ(doc.Overlay.MeasureDistance, 0.0);
    doc.StartDistanceMeasure(10, 20);
    EXPECT_TRUE(doc.Overlay.Measuring);
    EXPECT_EQ(doc.Overlay.MeasureStart, QPointF(10, 20));
    EXPECT_EQ(doc.Overlay.MeasureEnd, QPointF(10, 20));
    doc.UpdateDistanceMeasure(13, 24, 5.0, 36.87);
    EXPECT_EQ(doc.Overlay.MeasureEnd, QPointF(13, 24));
    EXPECT_DOUBLE_EQ(doc.Overlay.MeasureDistance, 5.0);
    EXPECT_DOUBLE_EQ(doc.Overlay.MeasureBearing, 36.87);
    doc.EndDistanceMeasure();
    EXPECT_FALSE(doc.Overlay.Measuring);
    doc.UpdateDistanceMeasure(99, 99, 1, 1);
    EXPECT_EQ(doc.Overlay.MeasureEnd, QPointF(13, 24));
    doc.StartDistanceMeasure(0, 0);
    EXPECT_EQ(doc.Overlay.MeasureDistance, 0.0);
}

TEST(Overlays, AskForRepaintButLeaveThePictureClean) {
    CanvasDocument doc;
    test::RepaintCounter repaints;
    repaints.attach(doc);
    doc.Dirty = false;
    doc.AddDepthLabel(0, 0, 1);
    doc.AddDepthLabel(0, 0, 1);  // dropped, still a repaint request
    doc.ClearDepthLabels();
    doc.SetDepthLabelSettings(true, 10, QStringLiteral("Arial"), 12, 0);
    doc.AddEventLabel(0, 0, 1);
    doc.ClearEventLabels();
    doc.SetCurrentDepth(1, 2, true);
    doc.SetCurrentSpeed(3, true);
    doc.ToggleDepthSpeedDisplayMode();
    doc.ToggleGGAOverlayPosition();
    doc.StartDistanceMeasure(0, 0);
    doc.UpdateDistanceMeasure(1, 1, 1, 45);
    doc.EndDistanceMeasure();
    EXPECT_EQ(repaints.invalidates, 13);
    EXPECT_EQ(repaints.immediates, 0);
    EXPECT_FALSE(doc.Dirty);
}

}  // namespace
}  // namespace nivora
