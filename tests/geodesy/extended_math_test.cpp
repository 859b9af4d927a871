#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "core/scan.h"
#include "geodesy/extended_math.h"
#include "tests/geodesy/real_near.h"

namespace nivora::geodesy {
namespace {

std::string printfText(const char* format, long double v) {
    char buf[256];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

double scanned(const std::string& text) {
    double v = 0;
    EXPECT_EQ(scanFormatted(text, "%lf", &v), 1) << text;
    return v;
}

TEST(ExtendedTrigonometry, AgreesWithTheLibraryToAFewUnitsInTheLastPlace) {
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> angle(-7, 7);
    for (int i = 0; i < 20000; ++i) {
        const Real x = angle(rng);
        Real s, c;
        sinCos(x, s, c);
        ASSERT_REAL_NEAR(s, std::sin(x), 2e-18L) << x;
        ASSERT_REAL_NEAR(c, std::cos(x), 2e-18L) << x;
        const Real y = angle(rng);
        ASSERT_REAL_NEAR(arcTan2(y, x), std::atan2(y, x), 2e-18L) << y << " " << x;
    }
    // Quadrants, axes and huge arguments (beyond the x87 range) behave like the library.
    EXPECT_EQ(arcTan2(0, -1), std::atan2(0.0L, -1.0L));
    EXPECT_REAL_NEAR(arcTan2(-1, -1), -3 * std::atan(1.0L), 1e-18L);
    Real s, c;
    sinCos(1e300L, s, c);
    EXPECT_EQ(s, std::sin(1e300L));
    EXPECT_EQ(c, std::cos(1e300L));
}

TEST(StageTexts, AreThoseOfPrintfWithLongDouble) {
    std::setlocale(LC_NUMERIC, "C");
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mantissa(-1, 1);
    std::uniform_int_distribution<int> exponent(-12, 12);
    for (int i = 0; i < 20000; ++i) {
        const Real v = mantissa(rng) * std::pow(10.0L, exponent(rng)) * (1 + 1e-17L * i);
        ASSERT_EQ(formatSignificant15(v), printfText("%.15Lg", v));
        ASSERT_EQ(formatFixedExtended(v, 8), printfText("%.8Lf", v));
        ASSERT_EQ(formatFixedExtended(v, 2), printfText("%.2Lf", v));
    }
    EXPECT_EQ(formatSignificant15(6378137.0L), "6378137");
    EXPECT_EQ(formatFixedExtended(-1e-12L, 8), "-0.00000000");
}

// The numeric shortcut must read back exactly what a "%lf" scan of the
// written text reads: values from the stages' own ranges, exact ties and
// values a hair away from them.
TEST(StageRounding, EqualsScanningTheWrittenText) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> coordinate(-6.4e6, 6.4e6), degrees(-180, 180);
    std::uniform_real_distribution<double> small(-2, 2);
    std::vector<Real> values;
    for (int i = 0; i < 30000; ++i) {
        values.push_back(coordinate(rng) + small(rng) * 1e-10L);
        values.push_back(degrees(rng) + small(rng) * 1e-19L);
        values.push_back(small(rng) * std::pow(10.0L, i % 30 - 10));
    }
    for (Real tie : {0.5L, 2.5L, 1234567.125L, 41.123456785L, 41.000000005L, -29.999999995L,
                     4540683.529434655L, 999999999999999.5L, 0.0L, -0.0L}) {
        for (Real eps : {0.0L, 1e-19L, -1e-19L, 1e-16L, -1e-16L})
            values.push_back(tie + eps);
    }
    for (Real v : values) {
        ASSERT_EQ(roundSignificant15(v), scanned(formatSignificant15(v))) << formatSignificant15(v);
        ASSERT_EQ(roundDecimals(v, 8), scanned(formatFixedExtended(v, 8)))
            << formatFixedExtended(v, 8);
        ASSERT_EQ(roundDecimals(v, 2), scanned(formatFixedExtended(v, 2)))
            << formatFixedExtended(v, 2);
        ASSERT_EQ(std::signbit(roundDecimals(v, 8)),
                  std::signbit(scanned(formatFixedExtended(v, 8))));
    }
    // Values beyond the fast path's table still round like the text.
    for (Real v : {1e30L, -3.5e-30L, 1e-300L, 1.5e308L, 1e400L}) {
        EXPECT_EQ(roundSignificant15(v), scanned(formatSignificant15(v)));
    }
}

}  // namespace
}  // namespace nivora::geodesy
