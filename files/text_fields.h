#pragma once

// Byte-level helpers shared by the text readers: line cutting and number
// fields, locale-independent and without allocation.

#include <cstdint>
#include <cstring>
#include <string_view>

namespace nivora::files {

inline bool isFieldBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Cuts a byte buffer into lines at line feeds. The last line needs no line
// feed; an empty buffer has no line.
class LineCursor {
  public:
    explicit LineCursor(std::string_view text) : p_(text.data()), end_(text.data() + text.size()) {}

    bool atEnd() const { return p_ >= end_; }
    // The next line without its line feed; false at the end of the text.
    bool next(std::string_view& line) {
        if (p_ >= end_) return false;
        const char* nl =
            static_cast<const char*>(std::memchr(p_, '\n', static_cast<std::size_t>(end_ - p_)));
        const char* stop = nl ? nl : end_;
        line = std::string_view(p_, static_cast<std::size_t>(stop - p_));
        p_ = nl ? nl + 1 : end_;
        ++lineNo_;
        return true;
    }
    // Line number of the line last returned (1-based).
    std::int64_t lineNo() const { return lineNo_; }

  private:
    const char* p_;
    const char* end_;
    std::int64_t lineNo_ = 0;
};

// A whole token as a finite number ("1.5", "-2", "+.5e3"); false otherwise.
bool parseDouble(std::string_view token, double& value);
// A whole token as a 32-bit integer; false otherwise.
bool parseInt(std::string_view token, std::int32_t& value);
// A whole token as a 32-bit colour value (decimal, 0 .. 4294967295, or a
// negative 32-bit integer taken as its bit pattern); false otherwise.
bool parseColor(std::string_view token, std::uint32_t& value);

// A number at the start of [p, end): an optional sign, digits with an
// optional point and exponent; inf and nan are no number. Returns the end of
// the number, or null when there is none.
const char* numberPrefix(const char* p, const char* end, double& value);

// As the C library reads a number from the start of a text: leading blanks
// are skipped and the longest number prefix is taken. Nothing readable, or a
// value that is not finite, gives 0.
double leadingDouble(std::string_view text);
// The same for integers; out-of-range values give 0.
std::int32_t leadingInt(std::string_view text);

// Reads blank-delimited fields from the rest of a record line. The first
// field that does not parse stops the extraction: it and every later field
// keep the values the caller gave them.
class FieldReader {
  public:
    explicit FieldReader(std::string_view text) : rest_(text) {}

    bool failed() const { return failed_; }
    // The next blank-delimited word; empty at the end of the line.
    std::string_view word();
    // The rest of the line as it stands (blanks included).
    std::string_view rest() const { return rest_; }

    FieldReader& operator>>(double& v) { return number(v, parseDouble); }
    FieldReader& operator>>(std::int32_t& v) { return number(v, parseInt); }
    FieldReader& operator>>(std::uint32_t& v) { return number(v, parseColor); }

  private:
    template <class T, class Parse>
    FieldReader& number(T& v, Parse parse) {
        if (failed_) return *this;
        T parsed{};
        if (parse(word(), parsed)) {
            v = parsed;
        } else {
            failed_ = true;
        }
        return *this;
    }

    std::string_view rest_;
    bool failed_ = false;
};

}  // namespace nivora::files
