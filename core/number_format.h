#pragma once

// Number texts used by every file the program writes and by the geodesy
// texts. All of them use '.' as the decimal separator and never depend on
// the user's locale.

#include <optional>
#include <string>
#include <string_view>

namespace nivora {

// Fixed-point with exactly `decimals` digits after the point, rounded as
// printf("%.*f") rounds (correctly, from the exact binary value).
std::string formatFixed(double value, int decimals);

// The shortest general form with up to 15 significant digits: printf("%.15g").
std::string formatGeneral15(double value);

// The shortest text that reads back as exactly the same double. Plain decimal
// notation for magnitudes from 1e-7 up to 1e21, exponent notation beyond.
std::string formatShortest(double value);

// Appends to `out` without allocating when it has room (hot paths).
void appendFixed(std::string& out, double value, int decimals);
void appendShortest(std::string& out, double value);

// A text that must be a number as a whole: surrounding blanks allowed, an
// optional sign, digits with an optional decimal point and exponent. Empty
// texts, trailing garbage, inf and nan are not numbers.
std::optional<double> parseNumber(std::string_view text);

// A decimal integer as a whole (surrounding blanks allowed) that fits in
// 32 bits; anything else is not an integer.
std::optional<int> parseInteger(std::string_view text);

}  // namespace nivora
