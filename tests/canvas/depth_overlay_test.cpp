// The depth read-outs: labels kept clear of each other and of the track
// (checked against the track's segments in the test), and the colour bar in
// the day and night palettes.

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

#include "canvas/chart_fonts.h"
#include "canvas/depth_overlay.h"
#include "canvas/overlay_painter.h"
#include "tests/canvas/render_test_support.h"

namespace nivora {
namespace {

// Does the segment a-b pass through the rectangle? Sampled finely: the
// test's own check, not the placement's occupancy cells.
bool segmentHits(QPointF a, QPointF b, const QRect& r) {
    const int steps = 400;
    for (int k = 0; k <= steps; ++k) {
        const QPointF p = a + (b - a) * (double(k) / steps);
        if (r.contains(p.toPoint())) return true;
    }
    return false;
}

TEST(DepthLabelPlacement, NoLabelOverAnotherOrOverTheTrack) {
    // A lawnmower of four legs with its turns, labels every 12 pixels, and
    // a leg after a break far away (not joined to the rest).
    std::vector<QPoint> anchors;
    for (int leg = 0; leg < 4; ++leg) {
        const int x = 60 + leg * 70;
        for (int y = 40; y <= 260; y += 12)
            anchors.emplace_back(x, leg % 2 ? 300 - y : y);
    }
    for (int x = 20; x < 380; x += 12)
        anchors.emplace_back(x, 290);
    const std::vector<QSize> sizes(anchors.size(), QSize(26, 14));
    const double gap = 80;
    const LabelPlacement placed = PlaceDepthLabels(anchors, sizes, 400, 300, gap);
    ASSERT_GT(placed.Placed, 20);
    std::vector<QRect> boxes;
    for (const auto& b : placed.Boxes)
        if (b) boxes.push_back(*b);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        for (std::size_t j = i + 1; j < boxes.size(); ++j)
            EXPECT_FALSE(boxes[i].intersects(boxes[j])) << i << " " << j;
        for (std::size_t k = 1; k < anchors.size(); ++k) {
            const QPointF d = anchors[k] - anchors[k - 1];
            if (std::hypot(d.x(), d.y()) > gap) continue;
            EXPECT_FALSE(segmentHits(anchors[k - 1], anchors[k], boxes[i])) << i << " " << k;
        }
    }
}

TEST(DepthLabelPlacement, DenseLabelsZoomedOutAreThinnedNotStacked) {
    // Zoomed out, a thousand labels fall within a few pixels of each other.
    std::vector<QPoint> anchors;
    for (int k = 0; k < 1000; ++k)
        anchors.emplace_back(100 + k / 20, 150);
    const LabelPlacement placed =
        PlaceDepthLabels(anchors, std::vector<QSize>(anchors.size(), QSize(26, 14)), 400, 300, 50);
    EXPECT_GE(placed.Placed, 1);
    EXPECT_LE(placed.Placed, 6);  // the length of the track, 50 px, holds two a side at most
}

class DepthLegendPalette : public ::testing::TestWithParam<bool> {};

TEST_P(DepthLegendPalette, BarGoesFromShallowToDeepOnItsPalettesBackground) {
    const bool night = GetParam();
    test::Scene s(400, 300);
    s.doc.Overlay.DepthLegend.Shown = true;
    s.doc.Overlay.DepthLegend.Colours = DepthColours(DepthPaletteKind::Rainbow, night, 0, 30);
    QImage img = s.render({night ? colors::Black : colors::White, 0, true});
    {
        QPainter p(&img);
        DrawOverlays(p, s.doc, nullptr);
    }
    QFont font = chartFont(QStringLiteral("Arial"));
    font.setPointSize(9);
    const QRect box = DepthLegendRect(s.doc.Overlay, QFontMetrics(font, &img), 400, 300);
    ASSERT_FALSE(box.isEmpty());
    EXPECT_GT(box.left(), 300);  // at the right edge
    // The box's fill: light by day, dark at night.
    const QColor fill = img.pixelColor(box.right() - 3, box.bottom() - 3);
    EXPECT_EQ(fill.lightness() > 128, !night);
    // Down the bar: warm at the top (shallow), cold at the bottom (deep).
    const int x = box.left() + 8 + 8;
    QColor top, bottom;
    for (int y = box.top(); y < box.bottom(); ++y) {
        const QColor c = img.pixelColor(x, y);
        if (c.saturation() < 100) continue;
        if (!top.isValid()) top = c;
        bottom = c;
    }
    ASSERT_TRUE(top.isValid());
    EXPECT_GT(top.red(), top.blue());
    EXPECT_GT(bottom.blue(), bottom.red());
    // The night bar is darker than the day's.
    const DepthColours day(DepthPaletteKind::Rainbow, false, 0, 30);
    if (night) {
        EXPECT_LT(top.value(), QColor::fromRgb(day.colourAt(0)).value());
    }
    // Ticks name round depths.
    EXPECT_EQ(DepthLegendTicks(0, 30, 6), (std::vector<double>{0, 5, 10, 15, 20, 25, 30}));
    const std::vector<double> fine = DepthLegendTicks(2.2, 3.1, 6);
    const std::vector<double> expected = {2.2, 2.4, 2.6, 2.8, 3.0};
    ASSERT_EQ(fine.size(), expected.size());
    for (std::size_t k = 0; k < fine.size(); ++k)
        EXPECT_NEAR(fine[k], expected[k], 1e-12);
}

INSTANTIATE_TEST_SUITE_P(DayAndNight, DepthLegendPalette, ::testing::Bool());

}  // namespace
}  // namespace nivora
