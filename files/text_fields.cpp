#include "files/text_fields.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace nivora::files {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

const char* numberPrefix(const char* p, const char* end, double& value) {
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p >= end || !(isDigit(*p) || (*p == '.' && p + 1 < end && isDigit(p[1])))) return nullptr;
    double v = 0;
    const auto r = std::from_chars(p, end, v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // Underflow reads as zero, as the C library gives it; overflow is no number.
        for (const char* q = p; q < r.ptr; ++q) {
            if ((*q == 'e' || *q == 'E') && q + 1 < r.ptr && q[1] == '-') {
                value = negative ? -0.0 : 0.0;
                return r.ptr;
            }
        }
        return nullptr;
    }
    if (r.ec != std::errc() || !std::isfinite(v)) return nullptr;
    value = negative ? -v : v;
    return r.ptr;
}

bool parseDouble(std::string_view token, double& value) {
    if (token.empty()) return false;
    const char* end = token.data() + token.size();
    double v = 0;
    const char* stop = numberPrefix(token.data(), end, v);
    if (stop != end) return false;
    value = v;
    return true;
}

bool parseInt(std::string_view token, std::int32_t& value) {
    const char* p = token.data();
    const char* end = p + token.size();
    if (p < end && *p == '+') ++p;
    if (p >= end || *p == '+') return false;
    std::int32_t v = 0;
    const auto r = std::from_chars(p, end, v, 10);
    if (r.ec != std::errc() || r.ptr != end) return false;
    value = v;
    return true;
}

bool parseColor(std::string_view token, std::uint32_t& value) {
    const char* p = token.data();
    const char* end = p + token.size();
    if (p < end && *p == '+') ++p;
    if (p >= end || *p == '+') return false;
    std::int64_t v = 0;
    const auto r = std::from_chars(p, end, v, 10);
    if (r.ec != std::errc() || r.ptr != end) return false;
    if (v < INT32_MIN || v > static_cast<std::int64_t>(UINT32_MAX)) return false;
    value = static_cast<std::uint32_t>(v);
    return true;
}

double leadingDouble(std::string_view text) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && isFieldBlank(*p))
        ++p;
    double v = 0;
    return numberPrefix(p, end, v) ? v : 0.0;
}

std::int32_t leadingInt(std::string_view text) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && isFieldBlank(*p))
        ++p;
    if (p < end && *p == '+') ++p;
    std::int32_t v = 0;
    const auto r = std::from_chars(p, end, v, 10);
    return r.ec == std::errc() ? v : 0;
}

std::string_view FieldReader::word() {
    std::size_t i = 0;
    while (i < rest_.size() && isFieldBlank(rest_[i]))
        ++i;
    std::size_t j = i;
    while (j < rest_.size() && !isFieldBlank(rest_[j]))
        ++j;
    const std::string_view w = rest_.substr(i, j - i);
    rest_.remove_prefix(j);
    return w;
}

}  // namespace nivora::files
