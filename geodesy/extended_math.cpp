#include "geodesy/extended_math.h"

#include <array>
#include <cfloat>
#include <charconv>

#include "core/scan.h"

namespace nivora::geodesy {
namespace {

double scanBack(const std::string& text) {
    double v = 0;
    scanFormatted(text, "%lf", &v);
    return v;
}

}  // namespace

void appendSignificant15(std::string& out, Real value) {
    std::array<char, 64> buf{};
    const auto r =
        std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::general, 15);
    out.append(buf.data(), r.ptr);
}

std::string formatSignificant15(Real value) {
    std::string s;
    appendSignificant15(s, value);
    return s;
}

void appendFixedExtended(std::string& out, Real value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 40) decimals = 40;
    // Room for the largest finite extended value written in full.
    std::array<char, 5000> buf{};
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                 std::chars_format::fixed, decimals);
    if (r.ec == std::errc()) {
        out.append(buf.data(), r.ptr);
    } else {
        appendSignificant15(out, value);
    }
}

std::string formatFixedExtended(Real value, int decimals) {
    std::string s;
    appendFixedExtended(s, value, decimals);
    return s;
}

namespace detail {

double roundSignificant15Text(Real value) {
    return scanBack(formatSignificant15(value));
}

double roundDecimalsText(Real value, int decimals) {
    return scanBack(formatFixedExtended(value, decimals));
}

}  // namespace detail

}  // namespace nivora::geodesy
