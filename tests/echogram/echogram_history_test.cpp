// The echogram's numbers, worked out by hand from the scale rules: margin
// a tenth of the range and at least 0.3 m, top never above the surface,
// grid step span / 4 rounded up to 1, 2, 2.5, 5 or 10 times a power of ten.

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "echogram/echogram_history.h"

namespace nivora {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void expectScale(std::vector<double> depths, double top, double bottom) {
    const EchogramScale s = echogramScale(depths.data(), static_cast<int>(depths.size()));
    EXPECT_NEAR(s.topM, top, 1e-9) << depths.size();
    EXPECT_NEAR(s.bottomM, bottom, 1e-9) << depths.size();
    EXPECT_NEAR(s.spanM, bottom - top, 1e-9) << depths.size();
}

TEST(EchogramScale, MarginRulesAndTheDefaultRange) {
    expectScale({0, 10, 0, 20, 30}, 0, 50);        // three valid samples are not enough
    expectScale({12, 12, 12, 12, 12}, 0, 50);      // one depth has no range
    expectScale({10, 14, 20, 17}, 9, 21);          // a tenth of 10 m
    expectScale({10, 10.5, 10.7, 11}, 9.7, 11.3);  // 0.1 m raised to 0.3 m
    expectScale({0.2, 1, 3, 5}, 0, 5.48);          // -0.28 m limited to the surface
    // Zeros, negatives, NaN and infinities are missing samples.
    expectScale({-5, 0, kNaN, kInf, -kInf, 10, 12, 14, 16}, 9.4, 16.6);
    const double none[] = {0.0};
    EXPECT_DOUBLE_EQ(echogramScale(none, 1, 5.0, 2.0).spanM, 1.0);  // never divides by <= 0
}

TEST(EchogramGrid, RoundedStepLabelsAndLines) {
    const std::pair<double, double> steps[] = {{50, 20},   {12, 5},    {10, 2.5},  {30, 10},
                                               {400, 100}, {1.6, 0.5}, {0.6, 0.2}, {0.3, 0.1}};
    for (const auto& [span, step] : steps)
        EXPECT_NEAR(echogramGridStep(span), step, 1e-12) << span;
    EXPECT_EQ(echogramGridStep(0), 0);
    EXPECT_EQ(echogramGridStep(kNaN), 0);
    EXPECT_EQ(echogramGridLabel(20, 20), "20m");
    EXPECT_EQ(echogramGridLabel(3, 1), "3m");
    EXPECT_EQ(echogramGridLabel(10, 0.2), "10.0m");
    EXPECT_EQ(echogramGridLabel(0.15, 0.05), "0.15m");

    // A bottom exactly on a multiple keeps its line: 0..40 m, step 10.
    const std::vector<EchogramGridLine> lines = echogramGrid(EchogramScale{0, 40, 40}, 200);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[4].row, 200);
    EXPECT_EQ(lines[4].label, "40m");
}

TEST(EchogramHistory, ShiftsOnlyTheSamplesShownWithinTheHistory) {
    EchogramHistory h;
    for (double d : {1.0, 2.0, 3.0, 4.0})
        h.add(d, 3, 100);
    // A wider count takes in what lay beyond the old one.
    h.add(5, 5, 100);
    const double expected[] = {3, 4, 0, 0, 5};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(h.depth(i), expected[i]) << i;
    EXPECT_EQ(h.row(2), 0);  // missing
    // The count is limited to 1..200; a wild depth cannot overflow a row.
    h.add(1e300, 500, 100);
    EXPECT_EQ(h.count(), 200);
    EXPECT_EQ(h.row(199), 1000000000);
    h.add(7, 0, 100);
    EXPECT_EQ(h.count(), 1);
    EXPECT_EQ(h.depth(0), 7);
}

}  // namespace
}  // namespace nivora
