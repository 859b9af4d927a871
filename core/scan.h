#pragma once

// A scanf-style scanner for the patterns that surveyors type into the settings
// ("%*6s,%lf" and the like). It follows the C library's sscanf (glibc flavour)
// for every directive it supports, but it is safe for any pattern and input:
// values go into typed targets, a directive it does not support or a pattern
// that asks for more or other values than the caller offers makes the whole
// scan fail with nothing assigned, and nothing is ever read past the input.
//
// Supported directives:
//   white space            skips any amount of white space in the input
//   ordinary character     must match the next input character
//   %%                     matches '%' (after white space)
//   %[*][width]lf          also le, lg, la; with '*' also f, e, g, a and upper case
//   %[*][width]d           with '*' also ld, hd, hhd
//   %[*][width]s
// The input ends at its first NUL byte, as a C string would.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace nivora {

enum class ScanValueKind : std::uint8_t { Double, Int, String };

// Where an assigning conversion stores its value.
using ScanTarget = std::variant<double*, int*, std::string*>;

class ScanPattern {
  public:
    ScanPattern() = default;
    explicit ScanPattern(std::string_view pattern) { assign(pattern); }

    // Compiles a new pattern; cheap to call again with the same text.
    void assign(std::string_view pattern);

    const std::string& text() const { return text_; }
    bool valid() const { return error_.empty(); }
    // Why the pattern cannot be used; empty when it is valid.
    const std::string& error() const { return error_; }
    // Kinds of the assigning conversions, in pattern order.
    const std::vector<ScanValueKind>& valueKinds() const { return kinds_; }

    // The C library's result: the number of values assigned, or -1 when the
    // input ended before the first value was assigned. An invalid pattern, or
    // targets that do not match the pattern's conversions, give 0.
    int scan(std::string_view input, std::span<const ScanTarget> targets) const;

    template <class... T>
    int operator()(std::string_view input, T*... out) const {
        const ScanTarget targets[] = {ScanTarget(out)...,
                                      ScanTarget(static_cast<double*>(nullptr))};
        return scan(input, std::span<const ScanTarget>(targets, sizeof...(T)));
    }

  private:
    enum class Op : std::uint8_t { Space, Literal, Percent, Double, Int, String };
    struct Directive {
        Op op;
        bool suppress;
        char literal;
        int width;  // -1: no limit
    };

    std::string text_;
    std::string error_;
    std::vector<Directive> directives_;
    std::vector<ScanValueKind> kinds_;
    bool compiled_ = false;
};

// One-off scan with a pattern compiled for this call. For patterns used on
// every line keep a ScanPattern instead.
template <class... T>
int scanFormatted(std::string_view input, std::string_view pattern, T*... out) {
    return ScanPattern(pattern)(input, out...);
}

}  // namespace nivora
