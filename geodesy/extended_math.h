#pragma once

// Extended-precision arithmetic shared by the geodesy routines, and the
// number texts they exchange. `Real` is the 80-bit x87 format where the
// compiler offers it and plain double elsewhere (MSVC).

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace nivora::geodesy {

using Real = long double;

// pi as the program has always written it.
inline constexpr Real kPi = 3.141592653589793L;

// Conversions inside the computations multiply by the ratio (a division
// per angle would cost more than the rest of the step); ConvertAngle keeps
// the value * pi / 180 of the named operation.
inline constexpr Real kRadiansPerDegree = kPi / 180;
inline constexpr Real kDegreesPerRadian = 180 / kPi;
inline Real degreesToRadians(Real degrees) {
    return degrees * kRadiansPerDegree;
}
inline Real radiansToDegrees(Real radians) {
    return radians * kDegreesPerRadian;
}

// sin and cos together, and atan2, in extended precision. The C library's
// long double versions cost more than a whole datum shift in double, so the
// x87 instructions are used directly where they exist; results agree with
// the library to a few units in the last place.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && LDBL_MANT_DIG == 64
#define NIVORA_GEODESY_X87 1
#else
#define NIVORA_GEODESY_X87 0
#endif

inline void sinCos(Real x, Real& s, Real& c) {
#if NIVORA_GEODESY_X87
    // fsincos reduces its argument only below 2^63; far beyond any angle
    // here the library takes over.
    if (std::fabs(x) < 1e15L) {
        Real sv, cv;
        __asm__("fsincos" : "=t"(cv), "=u"(sv) : "0"(x));
        s = sv;
        c = cv;
        return;
    }
#endif
    s = std::sin(x);
    c = std::cos(x);
}

inline Real arcTan2(Real y, Real x) {
#if NIVORA_GEODESY_X87
    Real r;
    __asm__("fpatan" : "=t"(r) : "0"(x), "u"(y) : "st(1)");
    return r;
#else
    return std::atan2(y, x);
#endif
}

// The texts the stages exchange: printf("%.15Lg") and printf("%.*Lf"),
// independent of the locale.
std::string formatSignificant15(Real value);
void appendSignificant15(std::string& out, Real value);
std::string formatFixedExtended(Real value, int decimals);
void appendFixedExtended(std::string& out, Real value, int decimals);

namespace detail {

// Powers of ten that are exact in the extended and in the double format.
inline constexpr int kMaxPow10 = 22;
inline constexpr Real kPow10[kMaxPow10 + 1] = {
    1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,  1e10L, 1e11L,
    1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L, 1e20L, 1e21L, 1e22L};
inline constexpr double kPow10d[kMaxPow10 + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

double roundSignificant15Text(Real value);
double roundDecimalsText(Real value, int decimals);

// The integer nearest to 0 <= x < 2^62, ties to even: adding 2^63 leaves no
// fraction bits in the extended format.
inline Real nearestInteger(Real x) {
#if LDBL_MANT_DIG == 64
    return (x + 0x1p63L) - 0x1p63L;
#else
    return std::nearbyint(x);
#endif
}

// std::signbit for a number that is not NaN; the sign of a zero alone
// needs the status word, which stalls the x87 pipeline.
inline bool negative(Real x) {
    return x < 0 || (x == 0 && std::signbit(x));
}

// k / 10^p, with k the integer a decimal text of `scaled` spells: both are
// exact doubles, so one correctly rounded division or product gives what
// strtod gives. False when `scaled` lies so close to a tie that its own
// rounding error could tip the decision; the text decides then.
inline bool roundScaled(Real scaled, int p, double& out) {
    const Real k = nearestInteger(scaled);
    const Real tieDistance = std::fabs(std::fabs(scaled - k) - 0.5L);
    if (tieDistance <= scaled * (8 * std::numeric_limits<Real>::epsilon())) return false;
    const double kd = static_cast<double>(k);
    out = p >= 0 ? kd / kPow10d[p] : kd * kPow10d[-p];
    return true;
}

}  // namespace detail

// What a "%lf" scan reads back from formatSignificant15(value) and
// formatFixedExtended(value, decimals): the same double, found without
// writing the text in all but rare near-tie cases (they run on every fix).
inline double roundSignificant15(Real value) {
    using namespace detail;
    const Real magnitude = std::fabs(value);
    if (magnitude >= 1 && magnitude < kPow10[kMaxPow10]) {
        // floor(log10) from the binary exponent, then one comparison. The
        // double is the magnitude rounded to nearest, so it decides unless
        // it lands on the power of ten itself.
        const double md = static_cast<double>(magnitude);
        const int e2 = static_cast<int>((std::bit_cast<std::uint64_t>(md) >> 52) & 0x7ff) - 1023;
        int e10 = (e2 * 1233) >> 12;
        const double next = kPow10d[e10 + 1];
        if (md > next || (md == next && magnitude >= kPow10[e10 + 1])) ++e10;
        const int p = 14 - e10;
        const Real scaled = p >= 0 ? magnitude * kPow10[p] : magnitude / kPow10[-p];
        double r;
        if (roundScaled(scaled, p, r)) return value < 0 ? -r : r;
    }
    return roundSignificant15Text(value);
}

// roundDecimals, when `value` lies farther than `margin` from a rounding
// tie; false otherwise (also where roundDecimals would write the text).
inline bool roundDecimalsClearOfTie(Real value, int decimals, Real margin, double& out) {
    using namespace detail;
    if (decimals < 0 || decimals > kMaxPow10) return false;
    const Real scale = kPow10[decimals];
    const Real scaled = std::fabs(value) * scale;
    if (!(scaled < 0x1p52L)) return false;
    const Real k = nearestInteger(scaled);
    if (0.5L - std::fabs(scaled - k) <= margin * scale) return false;
    const double r = static_cast<double>(k) / kPow10d[decimals];
    out = negative(value) ? -r : r;
    return true;
}

inline double roundDecimals(Real value, int decimals) {
    using namespace detail;
    if (decimals >= 0 && decimals <= kMaxPow10) {
        const Real scaled = std::fabs(value) * kPow10[decimals];
        // Below 2^52 the integer is exact in a double.
        double r;
        if (scaled < 0x1p52L && roundScaled(scaled, decimals, r)) return negative(value) ? -r : r;
    }
    return roundDecimalsText(value, decimals);
}

}  // namespace nivora::geodesy
