#include "core/number_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace nivora {
namespace {

bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view trimBlanks(std::string_view t) {
    while (!t.empty() && isBlank(t.front()))
        t.remove_prefix(1);
    while (!t.empty() && isBlank(t.back()))
        t.remove_suffix(1);
    return t;
}

// Lays out the shortest round-trip digits in plain notation when the
// magnitude is moderate, otherwise keeps the exponent form.
void appendShortestImpl(std::string& out, double value) {
    std::array<char, 64> sci{};
    const auto r =
        std::to_chars(sci.data(), sci.data() + sci.size(), value, std::chars_format::scientific);
    const std::string_view s(sci.data(), static_cast<std::size_t>(r.ptr - sci.data()));
    if (!std::isfinite(value) || value == 0.0) {
        std::array<char, 32> plain{};
        const auto p = std::to_chars(plain.data(), plain.data() + plain.size(), value);
        out.append(plain.data(), p.ptr);
        return;
    }
    // s looks like [-]d[.ddd]e±XX
    const std::size_t ePos = s.find('e');
    int exp10 = 0;
    std::from_chars(s.data() + ePos + 1 + (s[ePos + 1] == '+' ? 1 : 0), s.data() + s.size(), exp10);
    if (exp10 < -7 || exp10 >= 21) {
        out.append(s);
        return;
    }
    std::size_t i = 0;
    if (s[0] == '-') {
        out.push_back('-');
        i = 1;
    }
    std::array<char, 32> digits{};
    std::size_t nd = 0;
    for (; i < ePos; ++i) {
        if (s[i] != '.') digits[nd++] = s[i];
    }
    if (exp10 < 0) {
        out.append("0.");
        out.append(static_cast<std::size_t>(-exp10 - 1), '0');
        out.append(digits.data(), nd);
    } else {
        const std::size_t intLen = static_cast<std::size_t>(exp10) + 1;
        if (nd <= intLen) {
            out.append(digits.data(), nd);
            out.append(intLen - nd, '0');
        } else {
            out.append(digits.data(), intLen);
            out.push_back('.');
            out.append(digits.data() + intLen, nd - intLen);
        }
    }
}

}  // namespace

void appendFixed(std::string& out, double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 40) decimals = 40;
    std::array<char, 384> buf{};
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                 std::chars_format::fixed, decimals);
    if (r.ec == std::errc()) {
        out.append(buf.data(), r.ptr);
    } else {
        // Only astronomically large values do not fit; give their exponent form.
        appendShortestImpl(out, value);
    }
}

void appendShortest(std::string& out, double value) {
    appendShortestImpl(out, value);
}

std::string formatFixed(double value, int decimals) {
    std::string s;
    appendFixed(s, value, decimals);
    return s;
}

std::string formatGeneral15(double value) {
    std::array<char, 64> buf{};
    const auto r =
        std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::general, 15);
    return std::string(buf.data(), r.ptr);
}

std::string formatShortest(double value) {
    std::string s;
    appendShortestImpl(s, value);
    return s;
}

std::optional<double> parseNumber(std::string_view text) {
    text = trimBlanks(text);
    if (text.empty()) return std::nullopt;
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars would also take inf, nan and a second sign.
    if (text.empty() || !(text.front() == '.' || (text.front() >= '0' && text.front() <= '9')))
        return std::nullopt;
    // Plain decimals with up to 15 digits: the digits as an integer and one
    // division by an exact power of ten give the correctly rounded double,
    // the one from_chars gives, at a fraction of its cost (sentences are
    // mostly such numbers).
    std::uint64_t digits = 0;
    int count = 0, fraction = -1;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = digits * 10 + static_cast<unsigned>(c - '0');
            ++count;
            if (fraction >= 0) ++fraction;
        } else if (c == '.' && fraction < 0 && count > 0) {
            fraction = 0;
        } else {
            break;
        }
    }
    if (i == text.size() && count <= 15 && fraction != 0) {
        static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        const double v = static_cast<double>(digits) / kPowers[std::max(fraction, 0)];
        return negative ? -v : v;
    }
    double v = 0;
    const auto r =
        std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(v))
        return std::nullopt;
    return negative ? -v : v;
}

std::optional<int> parseInteger(std::string_view text) {
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return std::nullopt;
    int v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v, 10);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return std::nullopt;
    return v;
}

}  // namespace nivora
