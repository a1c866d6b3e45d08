#include "cal/cal_file.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "ui/number_text.h"

namespace orbilan::cal {

std::string FileNumber(double v)
{
    std::string s = ui::formatGeneral(v, 15, '.');
    // Fifteen digits round the largest doubles up past the largest double;
    // those few take the digits they need to read back.
    if (std::fabs(v) > 1e308) {
        double back = 0;
        const auto r = std::from_chars(s.data(), s.data() + s.size(), back);
        if (r.ec != std::errc())
            s = ui::formatGeneral(v, 17, '.');
    }
    return s;
}

namespace {

constexpr const char* Eol = "\r\n";
// Far beyond the ADC's +-2.5 V: a reading above it was never measured.
constexpr double MaxReadingVolts = 1000;

std::string integerText(std::int64_t v)
{
    // Not a stream: a stream follows the global locale and may group digits.
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

void appendComplex(std::string& out, Complex z)
{
    out += ',';
    out += FileNumber(z.re);
    out += ',';
    out += FileNumber(z.im);
}

// Lines end in CR-LF as written, but a file that went through another editor
// may end them in LF or CR alone.
std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::string_view> splitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos)
            return fields;
        start = comma + 1;
    }
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// Any decimal or exponent notation, with or without a leading zero, a sign
// allowed; the whole field must be the number and it must be finite.
std::optional<double> parseReal(std::string_view field)
{
    std::string_view s = trimmed(field);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || !(std::isdigit(static_cast<unsigned char>(s.front())) || s.front() == '.'))
        return std::nullopt;
    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (r.ptr != s.data() + s.size())
        return std::nullopt;
    if (r.ec == std::errc::result_out_of_range) {
        // Too small for a double reads as zero; too large is no number.
        const auto e = s.find_first_of("eE");
        const bool tiny = e != std::string_view::npos ? s.substr(e + 1, 1) == "-" : s.front() == '.' || s.substr(0, 2) == "0.";
        if (!tiny)
            return std::nullopt;
        v = 0;
    } else if (r.ec != std::errc() || !std::isfinite(v)) {
        return std::nullopt;
    }
    return negative ? -v : v;
}

// Integers are read like reals and rounded, halves to even, as an integer
// variable takes a number.
template <typename T>
std::optional<T> parseInteger(std::string_view field, double lo, double hi)
{
    const auto v = parseReal(field);
    if (!v)
        return std::nullopt;
    const double r = ui::roundHalfEven(*v);
    if (r < lo || r > hi)
        return std::nullopt;
    return static_cast<T>(r);
}

std::optional<std::int16_t> parseInt16(std::string_view field)
{
    return parseInteger<std::int16_t>(field, -32768.0, 32767.0);
}

std::optional<bool> parseBoolean(std::string_view field)
{
    const std::string s = ui::toUpperAscii(std::string(trimmed(field)));
    if (s == "#TRUE#")
        return true;
    if (s == "#FALSE#")
        return false;
    return std::nullopt;
}

} // namespace

std::string WriteCalFile(const CalFileData& d)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(d.Points > 0 ? d.Points : 0) * 300 + 64);
    out += integerText(d.AdcType) + ',' + integerText(d.AdcMode) + Eol;
    out += integerText(d.AdcAverages) + ',' + integerText(d.AdcWaitMs) + Eol;
    out += std::string(d.Cds ? "#TRUE#" : "#FALSE#") + Eol;
    out += integerText(d.Points) + Eol;
    out += integerText(d.Modes) + Eol;
    const int n = d.Points < 0 ? 0 : (d.Points > MaxCalPoints ? MaxCalPoints : d.Points);
    for (int k = 1; k <= n; ++k) {
        const auto i = static_cast<std::size_t>(k);
        out += integerText(d.Freq[i]);
        appendComplex(out, d.LoadModel[i]);
        appendComplex(out, d.Open[i]);
        appendComplex(out, d.Short[i]);
        appendComplex(out, d.Load[i]);
        appendComplex(out, d.Isol[i]);
        appendComplex(out, d.Thru[i]);
        out += Eol;
    }
    return out;
}

std::optional<CalFileData> ReadCalFile(std::string_view text, int* failedLine)
{
    auto fail = [failedLine](int line) -> std::optional<CalFileData> {
        if (failedLine)
            *failedLine = line;
        return std::nullopt;
    };
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    const auto lines = splitLines(text);
    auto fieldsOf = [&lines](int line) {
        return line <= static_cast<int>(lines.size()) ? splitFields(lines[static_cast<std::size_t>(line - 1)])
                                                      : std::vector<std::string_view>{};
    };

    CalFileData d;
    auto f = fieldsOf(1);
    if (f.size() != 2)
        return fail(1);
    auto type = parseInt16(f[0]), mode = parseInt16(f[1]);
    if (!type || !mode)
        return fail(1);
    d.AdcType = *type;
    d.AdcMode = *mode;

    f = fieldsOf(2);
    if (f.size() != 2)
        return fail(2);
    // A calibration measured with no readings per point holds none of its own.
    auto averages = parseInteger<std::int16_t>(f[0], 1, 32767.0), wait = parseInt16(f[1]);
    if (!averages || !wait)
        return fail(2);
    d.AdcAverages = *averages;
    d.AdcWaitMs = *wait;

    f = fieldsOf(3);
    const auto cds = f.size() == 1 ? parseBoolean(f[0]) : std::nullopt;
    if (!cds)
        return fail(3);
    d.Cds = *cds;

    f = fieldsOf(4);
    const auto points = f.size() == 1 ? parseInteger<std::int16_t>(f[0], 1, MaxCalPoints) : std::nullopt;
    if (!points)
        return fail(4);
    d.Points = *points;

    f = fieldsOf(5);
    const auto modes = f.size() == 1 ? parseInteger<std::int16_t>(f[0], 0, 3) : std::nullopt;
    if (!modes)
        return fail(5);
    d.Modes = *modes;

    for (int k = 1; k <= d.Points; ++k) {
        const int line = 5 + k;
        f = fieldsOf(line);
        if (f.size() != 13)
            return fail(line);
        const auto freq = parseInteger<std::int32_t>(f[0], -2147483648.0, 2147483647.0);
        // Interpolation looks frequencies up in order: a line out of place
        // would give wrong corrections without a word. Neighbours may be
        // equal (a narrow span of many points rounds to the same hertz).
        if (!freq || (k > 1 && *freq < d.Freq[static_cast<std::size_t>(k - 1)]))
            return fail(line);
        double v[12];
        for (std::size_t j = 0; j < 12; ++j) {
            const auto x = parseReal(f[j + 1]);
            // The standards' readings are detector volts (the first pair is
            // the load's modelled impedance, which may be anything).
            if (!x || (j >= 2 && std::fabs(*x) > MaxReadingVolts))
                return fail(line);
            v[j] = *x;
        }
        const auto i = static_cast<std::size_t>(k);
        d.Freq[i] = *freq;
        d.LoadModel[i] = {v[0], v[1]};
        d.Open[i] = {v[2], v[3]};
        d.Short[i] = {v[4], v[5]};
        d.Load[i] = {v[6], v[7]};
        d.Isol[i] = {v[8], v[9]};
        d.Thru[i] = {v[10], v[11]};
    }
    return d;
}

} // namespace orbilan::cal
