// Scan patterns are typed by users: any pattern on any line must be safe.
// Input: pattern, a NUL byte, then the line. With glibc the target also
// checks that every valid pattern assigns what sscanf assigns.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/scan.h"

namespace {

#if defined(__GLIBC__)
bool hasLongDigitRun(std::string_view s) {
    std::size_t run = 0;
    for (char c : s) {
        run = (c >= '0' && c <= '9') ? run + 1 : 0;
        if (run >= 9) return true;  // %d overflow is undefined in C; ours saturates
    }
    return false;
}

void compareWithLibc(const nivora::ScanPattern& p, const std::string& pattern,
                     const std::string& line) {
    const auto& kinds = p.valueKinds();
    // The sanitizer's sscanf check sizes %Ns buffers by N: keep widths small.
    if (kinds.size() > 3 || hasLongDigitRun(line)) return;
    for (std::size_t k = 0, run = 0; k < pattern.size(); ++k) {
        run = (pattern[k] >= '0' && pattern[k] <= '9') ? run + 1 : 0;
        if (run >= 4) return;
    }
    struct Slot {
        double d = 12345.5;
        int i = -777;
        std::vector<char> c;
        std::string s = "untouched";
    } c[3], o[3];
    void* args[3] = {nullptr, nullptr, nullptr};
    nivora::ScanTarget targets[3] = {&o[0].d, &o[1].d, &o[2].d};
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        switch (kinds[k]) {
            case nivora::ScanValueKind::Double:
                args[k] = &c[k].d;
                targets[k] = &o[k].d;
                break;
            case nivora::ScanValueKind::Int:
                args[k] = &c[k].i;
                targets[k] = &o[k].i;
                break;
            case nivora::ScanValueKind::String:
                c[k].c.assign(line.size() + 10000, '\0');
                std::strcpy(c[k].c.data(), "untouched");
                args[k] = c[k].c.data();
                targets[k] = &o[k].s;
                break;
        }
    }
    const int cCount = std::sscanf(line.c_str(), pattern.c_str(), args[0], args[1], args[2]);
    const int ourCount = p.scan(line, std::span<const nivora::ScanTarget>(targets, kinds.size()));
    if (cCount != ourCount) std::abort();
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        switch (kinds[k]) {
            case nivora::ScanValueKind::Double:
                if (!(c[k].d == o[k].d || (std::isnan(c[k].d) && std::isnan(o[k].d))) ||
                    std::signbit(c[k].d) != std::signbit(o[k].d)) {
                    std::abort();
                }
                break;
            case nivora::ScanValueKind::Int:
                if (c[k].i != o[k].i) std::abort();
                break;
            case nivora::ScanValueKind::String:
                if (o[k].s != c[k].c.data()) std::abort();
                break;
        }
    }
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::size_t split = all.find('\0');
    const std::string_view pattern = split == std::string_view::npos ? all : all.substr(0, split);
    std::string_view line =
        split == std::string_view::npos ? std::string_view() : all.substr(split + 1);
    line = line.substr(0, line.find('\0'));
    nivora::ScanPattern p(pattern);
    double a = 0, b = 0;
    int i = 0;
    std::string s;
    p(line, &a, &b);
    p(line, &a, &i, &s);
    p(line, &s, &s, &a, &b);
#if defined(__GLIBC__)
    if (p.valid()) compareWithLibc(p, std::string(pattern), std::string(line));
#endif
    return 0;
}
