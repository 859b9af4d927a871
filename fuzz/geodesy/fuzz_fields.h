#pragma once

// Splits a fuzz input into the text arguments of one operation (one per
// line; missing lines are empty) and checks the shape of what comes back.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/scan.h"

namespace nivora::fuzz {

inline std::vector<std::string_view> fields(const std::uint8_t* data, std::size_t size,
                                            std::size_t count) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const std::size_t nl = rest.find('\n');
        out.push_back(rest.substr(0, nl));
        rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    }
    out.push_back(rest);
    return out;
}

// A result is a failure text ("0" or empty) or exactly `count` finite
// numbers; "nan" or "inf" must never reach a caller.
inline void checkResult(const std::string& result, int count) {
    if (result.empty() || result == "0") return;
    if (result.find_first_of("nNiI") != std::string::npos) std::abort();
    double v[4] = {0, 0, 0, 0};
    const int n = scanFormatted(result, "%lf %lf %lf %lf", &v[0], &v[1], &v[2], &v[3]);
    if (n != count) std::abort();
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(v[i])) std::abort();
    }
}

}  // namespace nivora::fuzz
