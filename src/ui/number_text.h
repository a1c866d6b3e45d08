// Numbers as the user types them and as the program shows them. The window
// texts follow a few fixed conventions (general number format, "#0.000000"
// style patterns, a leading-number parse for the configuration file); they
// live here so that every layer formats the same number the same way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orbilan::ui {

// Nearest integer, halves to the even neighbour.
double roundHalfEven(double v);
// Rounded to `decimals` places, halves to even (as the program's Round does).
double roundDecimals(double v, int decimals);
// Nearest 32-bit / 16-bit integer, halves to even; false when out of range.
bool toInt32(double v, std::int32_t& out);
bool toInt16(double v, std::int16_t& out);

// General number format: no grouping, as many decimals as needed, at most
// `significant` significant digits (15 for doubles, 7 for singles), exponent
// form such as 1.25E-07 only for very small or very large magnitudes.
std::string formatGeneral(double v, int significant = 15, char decimalSeparator = '.');
inline std::string formatGeneral(float v, char decimalSeparator = '.')
{
    return formatGeneral(static_cast<double>(v), 7, decimalSeparator);
}

// A "#"/"0" pattern such as "#0.000000", "##0.00", "#####.000": "0" a required
// digit, "#" an optional one. The value is rounded half away from zero to the
// pattern's decimals. A pattern with no digit before the point writes no
// leading zero (".5"); optional decimals drop trailing zeros.
std::string formatPattern(double v, const std::string& pattern, char decimalSeparator = '.');

// The shortest text that reads back to exactly the same value.
std::string shortestText(double v);
std::string shortestText(float v);

// Whole-text numeric check and value: blanks around, an optional sign, digits
// with one decimal separator, an optional exponent (E or D), or &H / &O
// integers. Either separator given is accepted as the decimal point.
bool isNumeric(const std::string& text, char decimalSeparator = '.');
std::optional<double> parseNumber(const std::string& text, char decimalSeparator = '.');

// The leading-number parse of the configuration file: leading blanks
// skipped, the longest prefix forming a decimal number (sign, digits, point,
// exponent) or an &H / &O integer is taken; no number gives 0.
double leadingNumber(const std::string& text);

// A decimal number that is the whole text and finite: an optional sign
// ('+' too), digits with a point, an optional exponent. No blanks, no
// separators, no hexadecimal, no "inf" or "nan".
std::optional<double> parseFiniteNumber(std::string_view text);

// Blanks are the space character only.
std::string trimBlanks(const std::string& s);
// Every whitespace character (space, tab, CR, LF ...) taken off both ends.
std::string_view trimWhitespace(std::string_view s);
// The text in double quotes, as messages name what they refuse.
std::string quotedText(std::string_view text);
std::string toUpperAscii(std::string s);
std::string toLowerAscii(std::string s);

} // namespace orbilan::ui
