#include "core/scan.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <limits>

namespace nivora {
namespace {

bool isSpace(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool isDigit(int c) {
    return c >= '0' && c <= '9';
}
bool isXDigit(int c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int toLower(int c) {
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

constexpr int kEof = -1;

// Reads the input like a C stream: one character at a time with push-back of
// the last one. Every character a conversion consumes is part of its text, so
// a conversion's text is the slice between two positions.
class Input {
  public:
    explicit Input(std::string_view s) : s_(s) {}
    int get() { return pos_ < s_.size() ? static_cast<unsigned char>(s_[pos_++]) : kEof; }
    void unget(int c) {
        if (c != kEof && pos_ > 0) --pos_;
    }
    std::size_t pos() const { return pos_; }
    std::string_view slice(std::size_t from) const { return s_.substr(from, pos_ - from); }

  private:
    std::string_view s_;
    std::size_t pos_ = 0;
};

// The glibc rule: an input failure before any value was assigned gives EOF.
struct Outcome {
    enum Kind { Ok, InputFailure, MatchFailure } kind = Ok;
};

// Decimal exponent of the leading significant digit of a decimal number text
// (digits, optional point, digits, optional exponent). Only used to tell an
// overflow from an underflow, so a rough exponent is enough.
long long leadingExponent(std::string_view t) {
    std::size_t i = 0;
    long long intDigits = 0, firstNonZeroInt = -1, firstNonZeroFrac = -1, fracIndex = 0;
    for (; i < t.size() && isDigit(t[i]); ++i, ++intDigits) {
        if (t[i] != '0' && firstNonZeroInt < 0) firstNonZeroInt = intDigits;
    }
    if (i < t.size() && t[i] == '.') {
        for (++i; i < t.size() && isDigit(t[i]); ++i, ++fracIndex) {
            if (t[i] != '0' && firstNonZeroFrac < 0) firstNonZeroFrac = fracIndex;
        }
    }
    long long lead;
    if (firstNonZeroInt >= 0) {
        lead = intDigits - 1 - firstNonZeroInt;
    } else if (firstNonZeroFrac >= 0) {
        lead = -(firstNonZeroFrac + 1);
    } else {
        return 0;  // zero never overflows
    }
    long long exp = 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t k = i + 1;
        bool neg = false;
        if (k < t.size() && (t[k] == '+' || t[k] == '-')) neg = t[k++] == '-';
        for (; k < t.size() && isDigit(t[k]); ++k) {
            if (exp < 1000000000) exp = exp * 10 + (t[k] - '0');
        }
        if (neg) exp = -exp;
    }
    return lead + exp;
}

// Converts the characters a %lf directive collected into a double the way
// strtod would (longest valid prefix), independent of the locale. Returns
// false when no prefix is a number.
bool convertScannedFloat(std::string_view text, double& out) {
    bool negative = false;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::string_view body = text.substr(i);
    if (body.empty()) return false;

    double value = 0;
    const int c0 = toLower(body[0]);
    if (c0 == 'n' || c0 == 'i') {
        // The scan admits only complete "nan", "inf" and "infinity" here.
        value = c0 == 'n' ? std::numeric_limits<double>::quiet_NaN()
                          : std::numeric_limits<double>::infinity();
        out = negative ? -value : value;
        return true;
    }

    if (body.size() >= 2 && body[0] == '0' && toLower(body[1]) == 'x') {
        const std::string_view hex = body.substr(2);
        // A hexadecimal number needs a digit; otherwise strtod reads just the "0".
        const bool hasDigit =
            !hex.empty() &&
            (isXDigit(hex[0]) || (hex[0] == '.' && hex.size() > 1 && isXDigit(hex[1])));
        if (hasDigit) {
            const auto r =
                std::from_chars(hex.data(), hex.data() + hex.size(), value, std::chars_format::hex);
            if (r.ec == std::errc::result_out_of_range) {
                const std::size_t p = hex.find_first_of("pP");
                const bool negativeExponent =
                    p != std::string_view::npos && p + 1 < hex.size() && hex[p + 1] == '-';
                value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
            } else if (r.ec != std::errc()) {
                value = 0;
            }
        }
        out = negative ? -value : value;
        return true;
    }

    const auto r =
        std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::general);
    if (r.ec == std::errc::invalid_argument) return false;
    if (r.ec == std::errc::result_out_of_range) {
        const std::string_view used(body.data(), static_cast<std::size_t>(r.ptr - body.data()));
        value = leadingExponent(used) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    out = negative ? -value : value;
    return true;
}

// %lf: the glibc state machine, character for character. `value` is null
// for a suppressed conversion, which only needs to know that a number is there.
Outcome scanFloat(Input& in, int width, double* value) {
    const std::size_t start = in.pos();
    int c = in.get();
    if (width > 0) --width;
    if (c == kEof) return {Outcome::InputFailure};

    bool gotDigit = false, gotDot = false, gotE = false, gotSign = false, hexa = false;
    if (c == '-' || c == '+') {
        gotSign = true;
        if (width == 0 || (c = in.get()) == kEof) return {Outcome::MatchFailure};
        if (width > 0) --width;
    }

    // Next character must be `lower` (any case) to go on with nan/inf.
    auto expect = [&](char lower) {
        if (width == 0 || (c = in.get()) == kEof || toLower(c) != lower) return false;
        if (width > 0) --width;
        return true;
    };

    if (toLower(c) == 'n') {
        if (!expect('a') || !expect('n')) return {Outcome::MatchFailure};
    } else if (toLower(c) == 'i') {
        if (!expect('n') || !expect('f')) return {Outcome::MatchFailure};
        if (width != 0 && (c = in.get()) != kEof) {
            if (toLower(c) == 'i') {
                if (width > 0) --width;
                if (!expect('n') || !expect('i') || !expect('t') || !expect('y'))
                    return {Outcome::MatchFailure};
            } else {
                in.unget(c);
            }
        }
    } else {
        char expChar = 'e';
        if (width != 0 && c == '0') {
            c = in.get();
            if (width > 0) --width;
            if (width != 0 && toLower(c) == 'x') {
                hexa = true;
                expChar = 'p';
                c = in.get();
                if (width > 0) --width;
            } else {
                gotDigit = true;
            }
        }
        int last = 0;  // last character taken into the number
        while (true) {
            if (isDigit(c) || (!gotE && hexa && isXDigit(c))) {
                gotDigit = true;
            } else if (gotE && toLower(last) == expChar && (c == '-' || c == '+')) {
                // sign of the exponent
            } else if (gotDigit && !gotE && toLower(c) == expChar) {
                gotE = gotDot = true;
            } else if (!gotDot && c == '.') {
                gotDot = true;
            } else {
                in.unget(c);
                break;
            }
            last = c;
            if (width == 0 || (c = in.get()) == kEof) break;
            if (width > 0) --width;
        }
        const std::size_t taken = in.pos() - start;
        const std::size_t signLen = gotSign ? 1 : 0;
        if (taken == signLen || (hexa && taken == 2 + signLen)) return {Outcome::MatchFailure};
        // strtod reads a number from the text exactly when it has a mantissa digit.
        if (!value) return {hexa || gotDigit ? Outcome::Ok : Outcome::MatchFailure};
    }

    double v = 0;
    if (!convertScannedFloat(in.slice(start), v)) return {Outcome::MatchFailure};
    if (value) *value = v;
    return {Outcome::Ok};
}

// %d: sign and decimal digits; out-of-range values saturate.
Outcome scanInt(Input& in, int width, int& value) {
    int c = in.get();
    if (c == kEof) return {Outcome::InputFailure};
    bool negative = false;
    if (c == '-' || c == '+') {
        negative = c == '-';
        if (width > 0) --width;
        c = in.get();
    }
    bool any = false;
    long long acc = 0;
    while (c != kEof && width != 0 && isDigit(c)) {
        any = true;
        if (acc <= static_cast<long long>(INT_MAX) + 1) acc = acc * 10 + (c - '0');
        if (width > 0) --width;
        c = in.get();
    }
    in.unget(c);
    if (!any) return {Outcome::MatchFailure};
    if (negative) acc = -acc;
    if (acc > INT_MAX) acc = INT_MAX;
    if (acc < INT_MIN) acc = INT_MIN;
    value = static_cast<int>(acc);
    return {Outcome::Ok};
}

// %s: non-white-space characters, at least one.
Outcome scanString(Input& in, int width, std::string* out) {
    int c = in.get();
    if (c == kEof) return {Outcome::InputFailure};
    if (out) out->clear();
    do {
        if (isSpace(c)) {
            in.unget(c);
            break;
        }
        if (out) out->push_back(static_cast<char>(c));
    } while ((width <= 0 || --width > 0) && (c = in.get()) != kEof);
    return {Outcome::Ok};
}

void skipSpace(Input& in) {
    int c;
    do {
        c = in.get();
    } while (isSpace(c));
    in.unget(c);
}

}  // namespace

void ScanPattern::assign(std::string_view pattern) {
    if (compiled_ && pattern == text_) return;
    compiled_ = true;
    text_.assign(pattern);
    error_.clear();
    directives_.clear();
    kinds_.clear();

    const std::size_t n = pattern.size();
    std::size_t i = 0;
    while (i < n) {
        const char ch = pattern[i];
        if (ch == '\0') break;  // a C pattern ends at its terminator
        if (isSpace(static_cast<unsigned char>(ch))) {
            while (i < n && isSpace(static_cast<unsigned char>(pattern[i])))
                ++i;
            directives_.push_back({Op::Space, false, 0, -1});
            continue;
        }
        if (ch != '%') {
            directives_.push_back({Op::Literal, false, ch, -1});
            ++i;
            continue;
        }
        const std::size_t start = i++;
        if (i < n && pattern[i] == '%') {
            directives_.push_back({Op::Percent, false, '%', -1});
            ++i;
            continue;
        }
        bool suppress = false;
        if (i < n && pattern[i] == '*') {
            suppress = true;
            ++i;
        }
        int width = -1;
        if (i < n && isDigit(static_cast<unsigned char>(pattern[i]))) {
            long long w = 0;
            while (i < n && isDigit(static_cast<unsigned char>(pattern[i]))) {
                if (w < 100000000) w = w * 10 + (pattern[i] - '0');
                ++i;
            }
            width = w == 0 ? -1 : static_cast<int>(w);  // glibc reads a zero width as none
        }
        std::string length;
        while (i < n && (pattern[i] == 'l' || pattern[i] == 'h') && length.size() < 2)
            length.push_back(pattern[i++]);
        const char conv = i < n ? pattern[i] : '\0';
        if (i < n) ++i;
        const std::string spec(pattern.substr(start, i - start));

        const bool floatConv = conv == 'f' || conv == 'e' || conv == 'g' || conv == 'a' ||
                               conv == 'F' || conv == 'E' || conv == 'G' || conv == 'A';
        if (floatConv && (length == "l" || (suppress && length.empty()))) {
            directives_.push_back({Op::Double, suppress, 0, width});
            if (!suppress) kinds_.push_back(ScanValueKind::Double);
        } else if (conv == 'd' && (length.empty() || (suppress && (length == "l" || length == "h" ||
                                                                   length == "hh")))) {
            directives_.push_back({Op::Int, suppress, 0, width});
            if (!suppress) kinds_.push_back(ScanValueKind::Int);
        } else if (conv == 's' && length.empty()) {
            directives_.push_back({Op::String, suppress, 0, width});
            if (!suppress) kinds_.push_back(ScanValueKind::String);
        } else {
            error_ = "unsupported directive \"" + spec + "\"";
            directives_.clear();
            kinds_.clear();
            return;
        }
    }
}

int ScanPattern::scan(std::string_view input, std::span<const ScanTarget> targets) const {
    if (!valid() || targets.size() < kinds_.size()) return 0;
    for (std::size_t k = 0; k < kinds_.size(); ++k) {
        const ScanTarget& t = targets[k];
        const bool ok = (kinds_[k] == ScanValueKind::Double && std::holds_alternative<double*>(t) &&
                         std::get<double*>(t)) ||
                        (kinds_[k] == ScanValueKind::Int && std::holds_alternative<int*>(t) &&
                         std::get<int*>(t)) ||
                        (kinds_[k] == ScanValueKind::String &&
                         std::holds_alternative<std::string*>(t) && std::get<std::string*>(t));
        if (!ok) return 0;
    }

    const std::size_t nul = input.find('\0');
    if (nul != std::string_view::npos) input = input.substr(0, nul);
    Input in(input);
    int done = 0;
    std::size_t next = 0;
    bool skipPending = false;

    auto finish = [&](Outcome::Kind k) {
        return (k == Outcome::InputFailure && done == 0) ? -1 : done;
    };

    for (const Directive& d : directives_) {
        switch (d.op) {
            case Op::Space:
                skipPending = true;
                break;
            case Op::Literal: {
                int c = in.get();
                if (c == kEof) return finish(Outcome::InputFailure);
                if (skipPending) {
                    while (isSpace(c)) {
                        if ((c = in.get()) == kEof) return finish(Outcome::InputFailure);
                    }
                    skipPending = false;
                }
                if (c != static_cast<unsigned char>(d.literal)) {
                    in.unget(c);
                    return finish(Outcome::MatchFailure);
                }
                break;
            }
            case Op::Percent: {
                skipSpace(in);
                skipPending = false;
                int c = in.get();
                if (c == kEof) return finish(Outcome::InputFailure);
                if (c != '%') {
                    in.unget(c);
                    return finish(Outcome::MatchFailure);
                }
                break;
            }
            case Op::Double: {
                skipSpace(in);
                skipPending = false;
                double v = 0;
                Outcome o = scanFloat(in, d.width, d.suppress ? nullptr : &v);
                if (o.kind != Outcome::Ok) return finish(o.kind);
                if (!d.suppress) {
                    *std::get<double*>(targets[next++]) = v;
                    ++done;
                }
                break;
            }
            case Op::Int: {
                skipSpace(in);
                skipPending = false;
                int v = 0;
                Outcome o = scanInt(in, d.width, v);
                if (o.kind != Outcome::Ok) return finish(o.kind);
                if (!d.suppress) {
                    *std::get<int*>(targets[next++]) = v;
                    ++done;
                }
                break;
            }
            case Op::String: {
                skipSpace(in);
                skipPending = false;
                std::string* out = d.suppress ? nullptr : std::get<std::string*>(targets[next]);
                Outcome o = scanString(in, d.width, out);
                if (o.kind != Outcome::Ok) return finish(o.kind);
                if (!d.suppress) {
                    ++next;
                    ++done;
                }
                break;
            }
        }
    }
    return done;
}

}  // namespace nivora
