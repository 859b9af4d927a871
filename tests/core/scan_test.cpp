// The scanner must assign what the C library's sscanf assigns and return the
// same count, for the patterns the program and its users write.

#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <tuple>

#include "core/scan.h"

namespace nivora {
namespace {

struct Str {};  // a %s target

template <class T>
struct CSide {
    using type = T;
};
template <>
struct CSide<Str> {
    using type = std::array<char, 512>;
};
template <class T>
struct OurSide {
    using type = T;
};
template <>
struct OurSide<Str> {
    using type = std::string;
};

template <class T>
void seed(typename CSide<T>::type& c, typename OurSide<T>::type& o) {
    if constexpr (std::is_same_v<T, double>) {
        c = o = 12345.5;  // untouched values must stay untouched on both sides
    } else if constexpr (std::is_same_v<T, int>) {
        c = o = -777;
    } else {
        std::strcpy(c.data(), "untouched");
        o = "untouched";
    }
}

template <class T>
auto cArg(typename CSide<T>::type& c) {
    if constexpr (std::is_same_v<T, Str>) {
        return c.data();
    } else {
        return &c;
    }
}

template <class T>
::testing::AssertionResult same(const typename CSide<T>::type& c,
                                const typename OurSide<T>::type& o) {
    if constexpr (std::is_same_v<T, double>) {
        const bool eq =
            (std::isnan(c) && std::isnan(o)) || (c == o && std::signbit(c) == std::signbit(o));
        if (eq) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "C " << c << " ours " << o;
    } else if constexpr (std::is_same_v<T, int>) {
        if (c == o) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "C " << c << " ours " << o;
    } else {
        if (std::string(c.data()) == o) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "C '" << c.data() << "' ours '" << o << "'";
    }
}

template <class T>
void expectSame(const typename CSide<T>::type& c, const typename OurSide<T>::type& o) {
    EXPECT_TRUE(same<T>(c, o));
}

// Scans with sscanf and with ours, compares the count and every target.
template <class... T>
void expectSameAsC(const std::string& pattern, const std::string& input) {
    SCOPED_TRACE("pattern \"" + pattern + "\" input \"" + input + "\"");
    std::tuple<typename CSide<T>::type...> c;
    std::tuple<typename OurSide<T>::type...> o;
    std::apply([&](auto&... cv) { std::apply([&](auto&... ov) { (seed<T>(cv, ov), ...); }, o); },
               c);

    const int cCount = std::apply(
        [&](auto&... cv) { return std::sscanf(input.c_str(), pattern.c_str(), cArg<T>(cv)...); },
        c);
    const ScanPattern p(pattern);
    ASSERT_TRUE(p.valid()) << p.error();
    const int ourCount = std::apply([&](auto&... ov) { return p(input, &ov...); }, o);
    EXPECT_EQ(cCount, ourCount);
    std::apply(
        [&](auto&... cv) { std::apply([&](auto&... ov) { (expectSame<T>(cv, ov), ...); }, o); }, c);
}

class ScanAgainstC : public ::testing::Test {
  protected:
    void SetUp() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(ScanAgainstC, SentencePatternsOnRealLines) {
    const char* gga = "%*6s,%lf,%*lf,%*1s,%*lf,%*1s,%d,%*d,%*lf,%lf,%*1s,%lf";
    for (const char* line : {
             "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47",
             "$GNGGA,101214.00,4101.2345678,N,02900.1234567,E,4,24,0.6,45.123,M,36.100,M,1.0,0000*"
             "6A",
             "$GPGGA,123519,,,,,0,00,,,M,,M,,",
             "$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,545.4",
             "$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,,M,46.9,M,,",
             "$GPGGA,,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,",
             "$GPGGA",
             "$PXYZ,GGA,hello",
             "",
         }) {
        expectSameAsC<double, int, double, double>(gga, line);
    }
    const char* rmc = "%*6s,%*lf,%*1s,%*lf,%*1s,%*lf,%*1s,%lf";
    for (const char* line :
         {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A",
          "$GPRMC,123519,V,,,,,,,230394,,*6A", "$GPRMC,123519,A,4807.038,N,01131.000,E,,084.4"}) {
        expectSameAsC<double>(rmc, line);
    }
    const char* vtg = "%*6s,%*lf,%*1s,%*lf,%*1s,%lf";
    for (const char* line : {"$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48",
                             "$GPVTG,054.7,T,,M,005.5,N,010.2,K*48", "$GPVTG,,T,,M,0.0,N,0.0,K"}) {
        expectSameAsC<double>(vtg, line);
    }
    for (const char* line :
         {"$GPHDT,274.07,T*03", "$GPHDT,", "$GPHDT", "$HEHDT, 12.5,T", "$GPHDT,,T"}) {
        expectSameAsC<double>("%*7s %lf", line);
    }
}

TEST_F(ScanAgainstC, EchosounderAndProfileDefaults) {
    const std::pair<const char*, const char*> oneValue[] = {
        {"%*6s,%lf", "$SDDPT,12.34,0.5*7F"},
        {"%*6s,%*lf,%*1s,%lf", "$SDDBT,32.8,f,10.0,M,5.4,F"},
        {"%*6s,%*lf,%*1s,%lf", "$SDDBT,,f,10.0,M,5.4,F"},
        {"%*8s,%lf", "$PNIVXDHI,14.25"},
        {"%*8s,%lf", "SMT     ,3.5"},
        {"%*8s,%lf", "$XDHI"},
        {"%*42s,%lf", "0123456789012345678901234567890123456789AB,B,17.3"},
        {"%*42s,%lf", "short,B,17.3"},
        {"%*8s,%*lf,%*8s,%lf", "$PNIVXDHI,14.25,$PNIXDLO,14.90"},
        {"%lf", " 1487.25"},
        {"%lf", "1487,25"},
    };
    for (const auto& [pattern, line] : oneValue)
        expectSameAsC<double>(pattern, line);
    const std::pair<const char*, const char*> twoValues[] = {
        {"%*8s,%lf,%lf", "$PNIVSMT,12.5,11.92"},
        {"%*8s,%lf,%lf", "$PNIVSMT,12.5,"},
        {"%*8s,%lf,%*8s,%lf", "$PNIVXDHI,14.25,$PNIXDLO,14.90"},
        {"%*8s,%lf,%*8s,%lf", "$PNIVXDHI,14.25,$PNIXDLO"},
        {"%lf %lf", "1.5\t-2.25"},
        {"%lf,%lf", "1.5 ,2"},
    };
    for (const auto& [pattern, line] : twoValues)
        expectSameAsC<double, double>(pattern, line);
}

TEST_F(ScanAgainstC, NumberForms) {
    for (const char* input : {"12",
                              "-12.5",
                              "+.5",
                              ".5",
                              "5.",
                              ".",
                              "-",
                              "+",
                              "-.",
                              "1e5",
                              "1E5",
                              "1e",
                              "1e+",
                              "1e-",
                              "1e+x",
                              "2.5e-3x",
                              "1.5.5",
                              "00012",
                              "0x1p3",
                              "0X1.8P1",
                              "0x",
                              "0x.",
                              "0x.8",
                              "0xg",
                              "0x1p",
                              "0x1p-",
                              "inf",
                              "-INF",
                              "infinity",
                              "infinit",
                              "infix",
                              "inf,",
                              "nan",
                              "NaN",
                              "nanx",
                              "na",
                              "-nan",
                              "1e400",
                              "-1e400",
                              "1e-400",
                              "123456789012345678901234567890",
                              "0.000000000000000000000000001",
                              "  \t\n 7",
                              "abc",
                              "",
                              "   ",
                              "1,5",
                              "\xff"
                              "1",
                              "9\xe9"}) {
        expectSameAsC<double>("%lf", input);
    }
}

TEST_F(ScanAgainstC, WidthsAndDirectives) {
    expectSameAsC<double, double>("%3lf%lf", "12345");
    expectSameAsC<double>("%1lf", "-5");
    expectSameAsC<double>("%2lf", "-5");
    expectSameAsC<double>("%2lf", "0x1p3");
    expectSameAsC<double>("%3lf", "0x1p3");
    expectSameAsC<double>("%4lf", "infinity");
    expectSameAsC<double>("%2lf", "1e5");
    expectSameAsC<double, double>("%2lf%lf", "1e5");
    expectSameAsC<int, int>("%2d%d", "12345");
    expectSameAsC<int>("%1d", "-5");
    expectSameAsC<int>("%d", "-");
    expectSameAsC<int>("%d", "0x5");
    expectSameAsC<int, int>("%d%d", "0x5");
    expectSameAsC<int>("%d", "  +42xyz");
    expectSameAsC<int>("%d", "2147483647");
    expectSameAsC<int>("%d", "-2147483648");
    expectSameAsC<Str, double>("%3s%lf", "abcdef1.5");
    expectSameAsC<Str, double>("%3s %lf", "ab 1.5");
    expectSameAsC<Str>("%s", "  word next");
    expectSameAsC<Str>("%5s", "");
    expectSameAsC<double>("%%%lf", "%5");
    expectSameAsC<double>("%% %lf", "  % 5");
    expectSameAsC<double>("%%%lf", "5");
    expectSameAsC<double>("x%lf", "x5");
    expectSameAsC<double>("x%lf", "y5");
    expectSameAsC<double>("x%lf", "");
    expectSameAsC<double>(" x%lf", "   x5");
    expectSameAsC<double>("x %lf", "x   5");
    expectSameAsC<double>("x y%lf", "xy5");
    expectSameAsC<double>("%lf x", "5");
    expectSameAsC<double>("%*lf%lf", "1");
    expectSameAsC<double>("%0lf", "123");
    expectSameAsC<double>("%*d,%lf", "12,3");
}

// Random patterns from the supported directives on random inputs.
TEST_F(ScanAgainstC, RandomPatternsAgreeWithC) {
    std::mt19937 rng(20261208);
    const std::string alphabet = "0123456789.,-+eExXpPinfaINFA $*\tMNS";
    const char* pieces[] = {"%lf",  "%*lf", "%d", "%*d", "%*3s", "%*1s", "%2lf",
                            "%*6s", ",",    " ",  "%%",  "x",    "%5lf", "%1d"};
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    int compared = 0;
    for (int iter = 0; iter < 20000; ++iter) {
        std::string pattern;
        int values = 0;
        std::string kinds;
        const int n = 1 + pick(5);
        for (int k = 0; k < n; ++k) {
            const std::string piece = pieces[pick(static_cast<int>(std::size(pieces)))];
            const bool assigns =
                piece.find('*') == std::string::npos && piece != "%%" && piece.front() == '%';
            if (assigns && values == 2) continue;
            if (assigns) {
                kinds += piece.back() == 'd' ? 'i' : 'd';
                ++values;
            }
            pattern += piece;
        }
        std::string input;
        const int len = pick(14);
        for (int k = 0; k < len; ++k)
            input += alphabet[static_cast<std::size_t>(pick(static_cast<int>(alphabet.size())))];
        // Out-of-range %d is undefined in C; ours saturates (tested below).
        bool longDigits = false;
        for (std::size_t k = 0, run = 0; k < input.size(); ++k) {
            run = std::isdigit(static_cast<unsigned char>(input[k])) ? run + 1 : 0;
            longDigits = longDigits || run >= 9;
        }
        if (longDigits && kinds.find('i') != std::string::npos) continue;
        ++compared;
        if (kinds.empty())
            expectSameAsC<>(pattern, input);
        else if (kinds == "d")
            expectSameAsC<double>(pattern, input);
        else if (kinds == "i")
            expectSameAsC<int>(pattern, input);
        else if (kinds == "dd")
            expectSameAsC<double, double>(pattern, input);
        else if (kinds == "di")
            expectSameAsC<double, int>(pattern, input);
        else if (kinds == "id")
            expectSameAsC<int, double>(pattern, input);
        else
            expectSameAsC<int, int>(pattern, input);
        if (HasFailure()) break;
    }
    EXPECT_GT(compared, 15000);
}

TEST(ScanSafety, UnsupportedDirectivesFailWithNothingAssigned) {
    for (const char* pattern : {"%f", "%x", "%c", "%[abc]", "%n", "%lld", "%1$lf", "%5.2lf", "%ms",
                                "%", "%lf%", "%Lf", "%ls", "%hf"}) {
        const ScanPattern p(pattern);
        EXPECT_FALSE(p.valid()) << pattern;
        EXPECT_FALSE(p.error().empty()) << pattern;
        double v = 7;
        EXPECT_EQ(p("1.5", &v), 0) << pattern;
        EXPECT_EQ(v, 7) << pattern;
    }
    // Suppressed forms assign nothing, so they are harmless.
    for (const char* pattern : {"%*f", "%*e", "%*g", "%*ld", "%*hd"})
        EXPECT_TRUE(ScanPattern(pattern).valid()) << pattern;
}

TEST(ScanSafety, TargetsThatDoNotFitThePatternAssignNothing) {
    double a = 1, b = 2;
    int i = 3;
    EXPECT_EQ(ScanPattern("%lf,%lf")("4,5", &a), 0) << "more values than targets";
    EXPECT_EQ(ScanPattern("%d")("4", &a), 0) << "an int conversion into a double";
    EXPECT_EQ(ScanPattern("%lf")("4", &i), 0) << "a double conversion into an int";
    EXPECT_EQ(a, 1);
    EXPECT_EQ(i, 3);
    EXPECT_EQ(ScanPattern("%lf")("4", &a, &b), 1) << "spare targets are fine";
    EXPECT_EQ(a, 4);
}

TEST(ScanSafety, InputEndsAtNulAndLongInputsStayBounded) {
    double v = 0;
    const std::string withNul(
        "12\0"
        "34",
        5);
    EXPECT_EQ(ScanPattern("%lf")(withNul, &v), 1);
    EXPECT_EQ(v, 12);
    const std::string huge(1 << 20, '9');
    EXPECT_EQ(ScanPattern("%lf")(huge, &v), 1);
    EXPECT_TRUE(std::isinf(v));
    std::string word;
    EXPECT_EQ(ScanPattern("%8s")(std::string(100000, 'a'), &word), 1);
    EXPECT_EQ(word, std::string(8, 'a'));
    int n = 0;
    EXPECT_EQ(ScanPattern("%d")("99999999999999999999", &n), 1);
    EXPECT_EQ(n, 2147483647) << "out-of-range integers saturate";
    EXPECT_EQ(ScanPattern("%d")("-99999999999", &n), 1);
    EXPECT_EQ(n, -2147483647 - 1);
}

TEST(ScanSafety, RecompilingTheSamePatternKeepsItAndANewOneReplacesIt) {
    ScanPattern p("%lf");
    double v = 0;
    p.assign("%lf");
    EXPECT_EQ(p("2", &v), 1);
    p.assign("%*d,%lf");
    EXPECT_EQ(p("1,3", &v), 1);
    EXPECT_EQ(v, 3);
    p.assign("%q");
    EXPECT_FALSE(p.valid());
    p.assign("");
    EXPECT_TRUE(p.valid());
    EXPECT_EQ(p("1", &v), 0);
}

}  // namespace
}  // namespace nivora
