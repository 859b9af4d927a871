// Scan patterns are typed by users: any pattern on any line must be safe.
// Input: pattern, a NUL byte, then the line.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/scan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::size_t split = all.find('\0');
    const std::string_view pattern = split == std::string_view::npos ? all : all.substr(0, split);
    const std::string_view line = split == std::string_view::npos ? std::string_view() : all.substr(split + 1);
    nivora::ScanPattern p(pattern);
    double a = 0, b = 0;
    int i = 0;
    std::string s;
    p(line, &a, &b);
    p(line, &a, &i, &s);
    p(line, &s, &s, &a, &b);
    return 0;
}
