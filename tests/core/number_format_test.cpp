#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include "core/number_format.h"

namespace nivora {
namespace {

std::string printfText(const char* format, double v) {
    char buf[512];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

TEST(NumberFormat, FixedRoundsLikePrintf) {
    std::setlocale(LC_ALL, "C");
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> dist(-1e7, 1e7);
    for (int i = 0; i < 20000; ++i) {
        const double v = dist(rng);
        ASSERT_EQ(formatFixed(v, 2), printfText("%.2f", v));
        ASSERT_EQ(formatFixed(v, 6), printfText("%.6f", v));
    }
    // Halfway cases are decided by the exact binary value, as printf does.
    for (double v : {0.125, 0.375, 2.675, 1.005, 1234.5, -0.0, -0.001, 1e15, 0.5, 1.5, 2.5}) {
        EXPECT_EQ(formatFixed(v, 2), printfText("%.2f", v)) << v;
        EXPECT_EQ(formatFixed(v, 0), printfText("%.0f", v)) << v;
        EXPECT_EQ(formatFixed(v, 6), printfText("%.6f", v)) << v;
    }
    EXPECT_EQ(formatFixed(1234.5, 6), "1234.500000");
    EXPECT_EQ(formatFixed(-0.0, 6), "-0.000000");
    EXPECT_EQ(formatFixed(19.733333, 2), "19.73");
}

TEST(NumberFormat, General15IsPercentPoint15g) {
    std::setlocale(LC_ALL, "C");
    for (double v : {0.0, 1.0, -1.5, 41.123456789012345, 4551234.123456789, 1e-5, 1.23456789e-7,
                     1e15, 1e16, 123456789012345678.0, 6378137.0, 298.257223563, 0.1 + 0.2, -0.0,
                     5e-324, std::numeric_limits<double>::max()}) {
        EXPECT_EQ(formatGeneral15(v), printfText("%.15g", v)) << v;
    }
}

TEST(NumberFormat, ShortestReadsBackExactly) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> dist(-180, 180);
    for (int i = 0; i < 20000; ++i) {
        const double v = dist(rng);
        const std::string s = formatShortest(v);
        ASSERT_EQ(std::strtod(s.c_str(), nullptr), v) << s;
        ASSERT_EQ(s.find('e'), std::string::npos) << s;
    }
    EXPECT_EQ(formatShortest(48.1173), "48.1173");
    EXPECT_EQ(formatShortest(10.0), "10");
    EXPECT_EQ(formatShortest(500000.0), "500000");
    EXPECT_EQ(formatShortest(0.0001), "0.0001");
    EXPECT_EQ(formatShortest(1.5e-7), "0.00000015");
    EXPECT_EQ(formatShortest(-0.0), "-0");
    EXPECT_EQ(formatShortest(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(formatShortest(1e21), "1e+21");
    EXPECT_EQ(formatShortest(1.5e-8), "1.5e-08");
    EXPECT_EQ(formatShortest(4551234.25), "4551234.25");
}

TEST(NumberFormat, TextsAreLocaleIndependent) {
    // A German locale must not turn the point into a comma.
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale on this machine";
    EXPECT_EQ(formatFixed(1.5, 2), "1.50");
    EXPECT_EQ(formatGeneral15(1.5), "1.5");
    EXPECT_EQ(formatShortest(1.5), "1.5");
    EXPECT_EQ(parseNumber("1.5"), 1.5);
    std::setlocale(LC_ALL, "C");
}

TEST(NumberParse, WholeTextMustBeANumber) {
    EXPECT_EQ(parseNumber("1.5"), 1.5);
    EXPECT_EQ(parseNumber("  -2.5e3 "), -2500);
    EXPECT_EQ(parseNumber("+.5"), 0.5);
    EXPECT_EQ(parseNumber("7."), 7);
    for (const char* bad : {"", " ", "abc", "1.5x", "1,5", "--1", "+-1", "inf", "nan", "-inf",
                            "1e999", ".", "-", "1 2", "0x10"}) {
        EXPECT_FALSE(parseNumber(bad).has_value()) << bad;
    }
    EXPECT_EQ(parseInteger(" 42 "), 42);
    EXPECT_EQ(parseInteger("-7"), -7);
    EXPECT_EQ(parseInteger("+7"), 7);
    for (const char* bad : {"", "1.0", "x", "99999999999", "++1", "1 2", "0x1A"}) {
        EXPECT_FALSE(parseInteger(bad).has_value()) << bad;
    }
}

// Plain decimals take a short way; they must read exactly as strtod reads
// them, digit counts and lengths around where the short way ends included.
TEST(NumberParse, PlainDecimalsReadAsStrtodReadsThem) {
    std::mt19937_64 random(7);
    for (int i = 0; i < 200000; ++i) {
        const int digits = 1 + static_cast<int>(random() % 18);
        std::string text;
        for (int d = 0; d < digits; ++d)
            text += static_cast<char>('0' + random() % 10);
        const int dot = static_cast<int>(random() % (digits + 1));
        if (dot < digits) text.insert(text.begin() + dot + (dot == 0), '.');
        if (random() % 4 == 0) text.insert(text.begin(), '-');
        const auto v = parseNumber(text);
        ASSERT_TRUE(v.has_value()) << text;
        const double reference = std::strtod(text.c_str(), nullptr);
        ASSERT_EQ(std::signbit(*v), std::signbit(reference)) << text;
        ASSERT_EQ(*v, reference) << text;
    }
}

}  // namespace
}  // namespace nivora
