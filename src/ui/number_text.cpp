#include "ui/number_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string_view>

namespace orbilan::ui {

double roundHalfEven(double v)
{
    // nearbyint honours the current rounding mode, which is to-nearest-even
    // unless someone changed it; the program never does.
    return std::nearbyint(v);
}

double roundDecimals(double v, int decimals)
{
    if (!std::isfinite(v))
        return v;
    const double scale = std::pow(10.0, decimals);
    const double scaled = v * scale;
    if (!std::isfinite(scaled) || std::fabs(scaled) > 1e17)
        return v;
    return roundHalfEven(scaled) / scale;
}

bool toInt32(double v, std::int32_t& out)
{
    const double r = roundHalfEven(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        return false;
    out = static_cast<std::int32_t>(r);
    return true;
}

bool toInt16(double v, std::int16_t& out)
{
    const double r = roundHalfEven(v);
    if (!(r >= -32768.0 && r <= 32767.0))
        return false;
    out = static_cast<std::int16_t>(r);
    return true;
}

static std::string withSeparator(std::string s, char decimalSeparator)
{
    if (decimalSeparator != '.')
        for (char& c : s)
            if (c == '.')
                c = decimalSeparator;
    return s;
}

std::string formatGeneral(double v, int significant, char decimalSeparator)
{
    if (std::isnan(v))
        return "NaN";
    if (std::isinf(v))
        return v > 0 ? "Infinity" : "-Infinity";
    if (v == 0)
        return "0";
    if (significant < 1)
        significant = 1;
    if (significant > 17)
        significant = 17;
    // to_chars, not printf: printf follows the C locale, which a desktop
    // front end sets from the user's settings, and would write a decimal comma.
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, significant);
    std::string s(buf, r.ptr);
    for (char& ch : s)
        if (ch == 'e')
            ch = 'E';
    // The form is that of %G: E+15 / E-07.
    const auto e = s.find('E');
    if (e != std::string::npos) {
        std::string mantissa = s.substr(0, e);
        std::string exponent = s.substr(e + 1); // sign and at least two digits
        if (mantissa.find('.') != std::string::npos) {
            while (!mantissa.empty() && mantissa.back() == '0')
                mantissa.pop_back();
            if (!mantissa.empty() && mantissa.back() == '.')
                mantissa.pop_back();
        }
        s = mantissa + "E" + exponent;
    }
    return withSeparator(s, decimalSeparator);
}

std::string formatPattern(double v, const std::string& pattern, char decimalSeparator)
{
    const auto point = pattern.find('.');
    const std::string intPattern = point == std::string::npos ? pattern : pattern.substr(0, point);
    const std::string fracPattern = point == std::string::npos ? std::string() : pattern.substr(point + 1);
    int minInt = 0;
    for (char c : intPattern)
        if (c == '0')
            ++minInt;
    int minDec = 0;
    int maxDec = 0;
    for (char c : fracPattern) {
        if (c == '0') {
            ++minDec;
            ++maxDec;
        } else if (c == '#') {
            ++maxDec;
        }
    }
    if (!std::isfinite(v))
        return formatGeneral(v);

    const bool negative = v < 0;
    const double scaled = std::round(std::fabs(v) * std::pow(10.0, maxDec)); // half away from zero
    std::string digits;
    if (scaled < 9e17) {
        digits = std::to_string(static_cast<unsigned long long>(scaled));
    } else {
        char buf[400];
        std::snprintf(buf, sizeof buf, "%.0f", scaled);
        digits = buf;
    }
    if (static_cast<int>(digits.size()) <= maxDec)
        digits.insert(0, static_cast<std::size_t>(maxDec + 1 - static_cast<int>(digits.size())), '0');
    std::string intDigits = digits.substr(0, digits.size() - static_cast<std::size_t>(maxDec));
    std::string fracDigits = digits.substr(digits.size() - static_cast<std::size_t>(maxDec));
    while (static_cast<int>(fracDigits.size()) > minDec && fracDigits.back() == '0')
        fracDigits.pop_back();
    // Strip leading zeros of the integer part down to the pattern's minimum.
    std::size_t firstNonZero = intDigits.find_first_not_of('0');
    if (firstNonZero == std::string::npos)
        intDigits.clear();
    else
        intDigits = intDigits.substr(firstNonZero);
    while (static_cast<int>(intDigits.size()) < minInt)
        intDigits.insert(0, 1, '0');

    const bool isZero = scaled == 0;
    std::string out = (negative && !isZero) ? "-" : "";
    out += intDigits;
    if (point != std::string::npos)
        out += decimalSeparator + fracDigits;
    if (out.empty() || out == "-" || out == std::string(1, decimalSeparator))
        out = "0";
    return out;
}

std::string shortestText(double v)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string shortestText(float v)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string trimBlanks(const std::string& s)
{
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos)
        return {};
    const auto e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

std::optional<double> parseFiniteNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return std::nullopt; // "+-5": one sign only
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string_view trimWhitespace(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

// Built by appending: GCC 12 warns falsely about "literal" + std::string.
std::string quotedText(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    out += text;
    out += '"';
    return out;
}

std::string toUpperAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string toLowerAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int radixDigit(char c, int radix)
{
    int d = -1;
    if (c >= '0' && c <= '9')
        d = c - '0';
    else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
    return d >= 0 && d < radix ? d : -1;
}

// The value of "[sign]digits[.digits][e[sign]digits]". Not strtod: strtod
// reads the decimal point of the C locale, which a desktop toolkit sets from
// the user's language, and "1.5" would read as 1 under a decimal comma.
// Beyond a double's range the answer is strtod's: infinity or zero.
double decimalValue(const std::string& text)
{
    std::string_view t(text);
    const bool negative = !t.empty() && t.front() == '-';
    if (!t.empty() && (t.front() == '-' || t.front() == '+'))
        t.remove_prefix(1);
    double v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // Too large when the first significant digit stands at or above the
        // units place once the exponent is applied; too small otherwise.
        const std::size_t e = t.find_first_of("eE");
        const std::string_view mantissa = t.substr(0, e);
        long long exponent = 0;
        if (e != std::string_view::npos) {
            std::string_view x = t.substr(e + 1);
            const bool down = !x.empty() && x.front() == '-';
            if (!x.empty() && (x.front() == '-' || x.front() == '+'))
                x.remove_prefix(1);
            for (char c : x)
                exponent = exponent < 100000000 ? exponent * 10 + (c - '0') : exponent;
            if (down)
                exponent = -exponent;
        }
        const std::size_t point = mantissa.find('.');
        const std::size_t first = mantissa.find_first_of("123456789");
        const std::size_t units = point == std::string_view::npos ? mantissa.size() : point;
        const long long place = first < units ? static_cast<long long>(units - first - 1)
                                              : -static_cast<long long>(first - units);
        v = place + exponent >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -v : v;
}

// Scans a number at s[pos]; returns the characters used (0 for none) and the value.
std::size_t scanNumber(const std::string& s, std::size_t pos, char sep, double& value)
{
    std::size_t i = pos;
    if (i + 1 < s.size() && s[i] == '&' && (s[i + 1] == 'H' || s[i + 1] == 'h' || s[i + 1] == 'O' || s[i + 1] == 'o')) {
        const int radix = (s[i + 1] == 'H' || s[i + 1] == 'h') ? 16 : 8;
        std::size_t j = i + 2;
        double v = 0;
        while (j < s.size() && radixDigit(s[j], radix) >= 0) {
            v = v * radix + radixDigit(s[j], radix);
            ++j;
        }
        if (j == i + 2)
            return 0;
        value = v;
        return j - pos;
    }
    std::string normalised;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        normalised += s[i++];
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) {
        normalised += s[i++];
        ++digits;
    }
    if (i < s.size() && (s[i] == '.' || s[i] == sep)) {
        std::size_t j = i + 1;
        std::string frac;
        while (j < s.size() && isDigit(s[j]))
            frac += s[j++];
        if (digits > 0 || !frac.empty()) {
            normalised += '.';
            normalised += frac;
            digits += frac.size();
            i = j;
        }
    }
    if (digits == 0)
        return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        std::string exp = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            exp += s[j++];
        std::size_t expDigits = 0;
        while (j < s.size() && isDigit(s[j])) {
            exp += s[j++];
            ++expDigits;
        }
        if (expDigits > 0) {
            normalised += exp;
            i = j;
        }
    }
    value = decimalValue(normalised);
    return i - pos;
}

} // namespace

std::optional<double> parseNumber(const std::string& text, char decimalSeparator)
{
    const std::string t = trimBlanks(text);
    if (t.empty())
        return std::nullopt;
    double v = 0;
    const std::size_t used = scanNumber(t, 0, decimalSeparator, v);
    if (used == 0 || used != t.size())
        return std::nullopt;
    return v;
}

bool isNumeric(const std::string& text, char decimalSeparator)
{
    return parseNumber(text, decimalSeparator).has_value();
}

double leadingNumber(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    double v = 0;
    if (scanNumber(text, i, '.', v) == 0)
        return 0;
    return v;
}

} // namespace orbilan::ui
