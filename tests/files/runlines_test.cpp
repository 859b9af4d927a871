// The run line generator and their placement on the drawing.

#include <gtest/gtest.h>

#include <cmath>

#include "canvas/canvas_document.h"
#include "files/runlines.h"
#include "tests/files/files_test_support.h"

namespace nivora {
namespace {

using test::as;
using test::shapesOf;

const QString k10 = QStringLiteral("10");
const QString k100 = QStringLiteral("100");

double lengthOf(const std::vector<QPointF>& line) {
    double total = 0;
    for (std::size_t i = 1; i < line.size(); ++i) {
        total += std::hypot(line[i].x() - line[i - 1].x(), line[i].y() - line[i - 1].y());
    }
    return total;
}

TEST(GenerateRunlines, PerpendicularOnAStraightRoute) {
    const Runlines r = GenerateRunlines({{0, 0}, {25, 0}}, k10, k100, RunlineType::Perpendicular);
    ASSERT_EQ(r.lines.size(), 3u);  // stations 0, 10 and 20
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& l = r.lines[i];
        ASSERT_EQ(l.size(), 2u);
        EXPECT_EQ(l[0], QPointF(10.0 * static_cast<double>(i), 100));  // left first
        EXPECT_EQ(l[1], QPointF(10.0 * static_cast<double>(i), -100));
        EXPECT_EQ(lengthOf(l), 200.0);
    }
}

TEST(GenerateRunlines, StationsRestartOnEverySegment) {
    // 20 m east then 15 m north: 0, 10, 20 on the first; 0, 10 on the second.
    const Runlines r = GenerateRunlines({{0, 0}, {20, 0}, {20, 15}}, k10, QStringLiteral("5"),
                                        RunlineType::Perpendicular);
    ASSERT_EQ(r.lines.size(), 5u);
    EXPECT_EQ(r.lines[2][0], QPointF(20, 5));
    EXPECT_EQ(r.lines[3][0], QPointF(15, 0));  // the interior vertex twice
    EXPECT_EQ(r.lines[3][1], QPointF(25, 0));
    EXPECT_EQ(r.lines[4][0], QPointF(15, 10));
}

TEST(GenerateRunlines, ShortSegmentsAreSkipped) {
    EXPECT_TRUE(
        GenerateRunlines({{5, 5}, {5, 5}}, k10, k100, RunlineType::Perpendicular).lines.empty());
    EXPECT_TRUE(GenerateRunlines({{5, 5}, {5.0005, 5}}, k10, k100, RunlineType::Perpendicular)
                    .lines.empty());
    EXPECT_TRUE(GenerateRunlines({{5, 5}}, k10, k100, RunlineType::Perpendicular).lines.empty());
    EXPECT_TRUE(GenerateRunlines({}, k10, k100, RunlineType::Parallel).lines.empty());
}

TEST(GenerateRunlines, ParallelOffsetsOnBothSides) {
    const Runlines r =
        GenerateRunlines({{0, 0}, {100, 0}}, QStringLiteral("30"), k100, RunlineType::Parallel);
    ASSERT_EQ(r.lines.size(), 6u);  // 30, 60, 90 on each side
    const double offsets[] = {30, -30, 60, -60, 90, -90};
    for (std::size_t i = 0; i < 6; ++i) {
        ASSERT_EQ(r.lines[i].size(), 2u);
        EXPECT_EQ(r.lines[i][0], QPointF(0, offsets[i]));
        EXPECT_EQ(r.lines[i][1], QPointF(100, offsets[i]));
    }
    EXPECT_TRUE(GenerateRunlines({{0, 0}, {100, 0}}, QStringLiteral("30"), QStringLiteral("20"),
                                 RunlineType::Parallel)
                    .lines.empty());
}

TEST(GenerateRunlines, ParallelBendsFollowTheBisector) {
    const Runlines r =
        GenerateRunlines({{0, 0}, {10, 0}, {10, 10}}, k10, k10, RunlineType::Parallel);
    ASSERT_EQ(r.lines.size(), 2u);
    const auto& left = r.lines[0];
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(left[0], QPointF(0, 10));
    const double d = 10 / std::sqrt(2.0);  // along the bisector, so less than 10 square to the legs
    EXPECT_NEAR(left[1].x(), 10 - d, 1e-12);
    EXPECT_NEAR(left[1].y(), d, 1e-12);
    EXPECT_EQ(left[2], QPointF(0, 10));
}

TEST(GenerateRunlines, BadOrNonPositiveTextsTakeTheDefaults) {
    const std::vector<QPointF> route{{0, 0}, {25, 0}};
    for (const QString& spacing : {QStringLiteral("abc"), QStringLiteral("0"), QStringLiteral("-5"),
                                   QString(), QStringLiteral("10,5"), QStringLiteral("1e999")}) {
        const Runlines r =
            GenerateRunlines(route, spacing, QStringLiteral("x"), RunlineType::Perpendicular);
        EXPECT_EQ(r.spacing, 10.0) << spacing.toStdString();
        EXPECT_EQ(r.length, 100.0);
        EXPECT_EQ(r.lines.size(), 3u);
    }
    EXPECT_EQ(GenerateRunlines(route, QStringLiteral(" 2.5 "), k100, RunlineType::Perpendicular)
                  .lines.size(),
              11u);
}

// A spacing typed as 0.0001 on a long route would ask for millions of lines
// on every keystroke.
TEST(GenerateRunlines, CountIsBounded) {
    const std::vector<QPointF> route{{0, 0}, {100000, 0}};
    const Runlines a =
        GenerateRunlines(route, QStringLiteral("0.0001"), k100, RunlineType::Perpendicular);
    EXPECT_TRUE(a.truncated);
    EXPECT_EQ(a.lines.size(), kMaxRunlines);
    const Runlines b = GenerateRunlines(route, QStringLiteral("0.0001"), QStringLiteral("1e300"),
                                        RunlineType::Parallel);
    EXPECT_TRUE(b.truncated);
    EXPECT_EQ(b.lines.size(), kMaxRunlines);
    std::vector<QPointF> longRoute;
    for (int i = 0; i < 100000; ++i)
        longRoute.emplace_back(i, (i % 2) * 3.0);
    const Runlines c =
        GenerateRunlines(longRoute, k10, QStringLiteral("1000"), RunlineType::Parallel);
    EXPECT_TRUE(c.truncated);
    EXPECT_EQ(c.lines.size(), kMaxRunlineVertices / longRoute.size());
    EXPECT_FALSE(GenerateRunlines(route, k10, k100, RunlineType::Perpendicular).truncated);
}

TEST(RunlineLog, TextsAsTyped) {
    EXPECT_EQ(runlineLogText(QStringLiteral("abc"), QStringLiteral(" 50")),
              QStringLiteral("Runlines generated - Spacing: abc, Length:  50"));
}

TEST(PlaceRunlines, RouteCopyAndLinesOnTheirLayerReplacingEarlierOnes) {
    CanvasDocument doc;
    doc.DrawLine(0, 0, 1, 1, 0);
    const std::vector<QPointF> route{{0, 0}, {25, 0}};
    const int layer =
        placeRunlines(doc, route, GenerateRunlines(route, k10, k100, RunlineType::Perpendicular));
    EXPECT_EQ(doc.FindLayer(layer)->Name(), QStringLiteral("Nivora_Runlines"));
    ASSERT_EQ(doc.ShapeCount(), 5);
    const auto s = shapesOf(doc);
    EXPECT_EQ(as<TNPolyline>(s[1]).Points, route);
    for (std::size_t i = 1; i < s.size(); ++i) {
        EXPECT_EQ(s[i]->Layer(), layer);
        EXPECT_EQ(s[i]->ShapeType(), 5);
        EXPECT_FALSE(as<TNPolyline>(s[i]).Closed);
    }
    doc.SetLayerPenFg(layer, 0x0000FF);
    EXPECT_EQ(placeRunlines(
                  doc, route,
                  GenerateRunlines(route, QStringLiteral("20"), k100, RunlineType::Perpendicular)),
              layer);
    EXPECT_EQ(doc.ShapeCount(), 1 + 1 + 2);
    for (const TNShape* shape : shapesOf(doc)) {
        if (shape->Layer() == layer) {
            EXPECT_EQ(shape->PenFg, 0x0000FFu);  // the layer's pen
        }
    }
}

TEST(PlaceRunlines, TwoIdenticalPointsGiveOnlyTheRouteCopy) {
    CanvasDocument doc;
    const std::vector<QPointF> route{{3, 3}, {3, 3}};
    placeRunlines(doc, route, GenerateRunlines(route, k10, k100, RunlineType::Perpendicular));
    EXPECT_EQ(doc.ShapeCount(), 1);
}

}  // namespace
}  // namespace nivora
