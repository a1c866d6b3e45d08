#include "cli/option_values.h"

#include <cctype>
#include <cmath>
#include <charconv>
#include <cstdint>
#include <optional>
#include <filesystem>
#include <system_error>

#include "sweep/frequency.h"
#include "ui/number_text.h"

namespace orbilan::cli {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Digits with an optional fraction and exponent; the length of the number
// at the start of `text`, 0 when there is none.
std::size_t decimalLength(const std::string& text)
{
    std::size_t i = 0;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const std::size_t start = j;
        while (j < text.size() && isDigit(text[j]))
            ++j;
        if (j > start)
            i = j;
    }
    return i;
}

} // namespace

std::string checkWholeNumber(const std::string& option, const std::string& text, std::uint64_t min,
                             std::uint64_t max, std::uint64_t& value)
{
    const std::string range = " (" + std::to_string(min) + " to " + std::to_string(max) + ")";
    if (text.empty() || text.size() > 20)
        return option + " needs a whole number" + range + ", not '" + text + "'";
    std::uint64_t v = 0;
    for (char c : text) {
        if (!isDigit(c))
            return option + " needs a whole number" + range + ", not '" + text + "'";
        const auto d = static_cast<std::uint64_t>(c - '0');
        if (v > (UINT64_MAX - d) / 10)
            return option + " " + text + " is out of range" + range;
        v = v * 10 + d;
    }
    if (v < min || v > max)
        return option + " " + text + " is out of range" + range;
    value = v;
    return {};
}

std::string checkNumber(const std::string& option, const std::string& text, double& value)
{
    // Not the program's own reading of a typed number (ui::parseNumber),
    // which also takes blanks around, &H hexadecimal and a D exponent: a
    // command line means none of them.
    const std::optional<double> v = ui::parseFiniteNumber(text);
    if (!v)
        return option + " needs a number, not '" + text + "'";
    value = *v;
    return {};
}

std::string checkFrequency(const std::string& option, const std::string& text, std::int32_t& hz)
{
    const std::string usage = option + " needs a frequency such as 10m, 1.5m, 500k or 1000000 (Hz), not '" + text + "'";
    if (!text.empty() && text.front() == '-')
        return option + " " + text + ": a frequency is never negative";
    const std::size_t n = decimalLength(text);
    if (n == 0)
        return usage;
    std::string unit = text.substr(n);
    if (unit.size() > 1 || (unit.size() == 1 && std::string("mMkKhH").find(unit[0]) == std::string::npos))
        return usage;
    double number = 0;
    if (std::from_chars(text.data(), text.data() + n, number).ec != std::errc())
        return usage;
    const char letter = unit.empty() ? 'h' : static_cast<char>(std::tolower(static_cast<unsigned char>(unit[0])));
    const double wanted = number * (letter == 'm' ? 1e6 : letter == 'k' ? 1e3 : 1);
    // The panel's own reading of the same text, which takes a number too
    // large for its unit as hertz: that would be another frequency.
    const sweep::FrequencyEntry entry =
        sweep::ParseFrequencyText(unit.empty() ? text + "h" : text, sweep::UnitHz, '.');
    if (!entry.numeric)
        return usage;
    if (!(wanted < 2147483647.5) || entry.hz != sweep::RoundToHz(wanted))
        return option + " " + text + " is beyond the frequencies a sweep can take";
    hz = entry.hz;
    return {};
}

std::string checkFrequencyText(const std::string& option, const std::string& text)
{
    std::int32_t hz = 0;
    return checkFrequency(option, text, hz);
}

std::string checkFolder(const std::string& option, const std::string& text)
{
    std::error_code ec;
    return std::filesystem::is_directory(text, ec) ? std::string() : option + ": no folder " + text;
}

} // namespace orbilan::cli
