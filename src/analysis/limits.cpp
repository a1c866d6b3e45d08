#include "analysis/limits.h"

#include <charconv>
#include <cmath>

#include "cal/display_quantities.h"
#include "ui/number_text.h"

namespace orbilan::analysis {

namespace {

constexpr unsigned Trans = 1u << 0, Refl = 1u << 1, GrpDel = 1u << 2;

std::vector<std::string_view> fields(std::string_view line)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            out.push_back(line.substr(start, i - start));
    }
    return out;
}

bool number(std::string_view text, double& out)
{
    const std::optional<double> value = ui::parseFiniteNumber(text);
    if (value)
        out = *value;
    return value.has_value();
}

bool frequency(std::string_view text, double& out)
{
    const char* exponent = nullptr;
    if (!text.empty()) {
        switch (text.back()) {
        case 'k': case 'K': exponent = "e3"; break;
        case 'm': case 'M': exponent = "e6"; break;
        case 'g': case 'G': exponent = "e9"; break;
        default: break;
        }
        if (exponent)
            text.remove_suffix(1);
    }
    // "0.34M" is read as 0.34e6, which is 340000 exactly, where 0.34 times
    // a million is not.
    std::string written(text);
    const bool ownExponent = written.find_first_of("eE") != std::string::npos;
    if (exponent && !ownExponent)
        written += exponent;
    double v = 0;
    if (written.empty() || written.back() == 'e' || !number(written, v) || v < 0)
        return false;
    if (exponent && ownExponent)
        v *= exponent[1] == '3' ? 1e3 : exponent[1] == '6' ? 1e6 : 1e9;
    out = v;
    return std::isfinite(out);
}

// Frequencies as plain digits, exactly: 12500000, 340000.00000000006.
std::string frequencyText(double hz)
{
    char buf[512];
    const auto r = std::to_chars(buf, buf + sizeof buf, hz, std::chars_format::fixed);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : ui::shortestText(hz);
}

std::string valueText(double v)
{
    if (std::isnan(v))
        return "(no value)";
    if (std::isinf(v))
        return v > 0 ? "infinite" : "-infinite";
    return ui::formatGeneral(v, 7, '.');
}

} // namespace

bool Quantity::isShownOn(int displayCode, int axis) const
{
    for (const auto& [code, a] : shownOn)
        if (code == displayCode && a == axis)
            return true;
    return false;
}

const std::vector<Quantity>& Quantities()
{
    using cal::CodeTransDb, cal::CodeTransMag, cal::CodeImpedance, cal::CodeRho, cal::CodeSeries,
        cal::CodeParallel, cal::CodeSwr, cal::CodeReturnLoss, cal::CodeGroupDelay;
    static const std::vector<Quantity> table = {
        {"dB", "transmission, dB", Trans | GrpDel, {{CodeTransDb, 1}, {CodeGroupDelay, 1}}},
        {"mag", "transmission power ratio", Trans, {{CodeTransMag, 1}}},
        {"deg", "transmission phase, degrees", Trans, {{CodeTransDb, 2}, {CodeTransMag, 2}}},
        {"us", "group delay, microseconds", GrpDel, {{CodeGroupDelay, 2}}},
        {"Z", "impedance magnitude, ohm", Refl, {{CodeImpedance, 1}}},
        {"Zdeg", "impedance angle, degrees", Refl, {{CodeImpedance, 2}}},
        {"rho", "reflection coefficient magnitude", Refl, {{CodeRho, 1}}},
        {"rhodeg", "reflection coefficient angle, degrees", Refl, {{CodeRho, 2}, {CodeReturnLoss, 2}}},
        {"Rs", "series resistance, ohm", Refl, {{CodeSeries, 1}}},
        {"Xs", "series reactance, ohm", Refl, {{CodeSeries, 2}}},
        {"Rp", "parallel resistance, ohm", Refl, {{CodeParallel, 1}}},
        {"Xp", "parallel reactance, ohm", Refl, {{CodeParallel, 2}}},
        {"SWR", "standing-wave ratio", Refl, {{CodeSwr, 1}}},
        {"RL", "return loss, dB", Refl, {{CodeReturnLoss, 1}}},
    };
    return table;
}

const Quantity* FindQuantity(std::string_view name)
{
    const std::string wanted = name == "|Z|" ? std::string("z") : ui::toLowerAscii(std::string(name));
    for (const Quantity& q : Quantities())
        if (ui::toLowerAscii(q.name) == wanted)
            return &q;
    return nullptr;
}

std::string QuantityNames()
{
    std::string out;
    for (const Quantity& q : Quantities())
        out += (out.empty() ? "" : ", ") + std::string(q.name);
    return out;
}

double QuantityValue(const Quantity& quantity, const cal::MeasuredSweep& sweep, std::size_t k)
{
    if (k >= sweep.points.size() || !quantity.existsIn(sweep.mode))
        return NAN;
    for (const auto& [code, axis] : quantity.shownOn) {
        if (code / 10 != sweep.mode)
            continue;
        if (code == cal::CodeSwr) {
            const cal::Complex rho = cal::ReflectionOfPoint(sweep.points[k], sweep.refImpedance);
            const double m = std::hypot(rho.re, rho.im);
            return m < 1 ? (1 + m) / (1 - m) : INFINITY;
        }
        const cal::Complex pair = cal::ConvertPoint(sweep.points[k], code, sweep.refImpedance);
        return axis == 1 ? pair.re : pair.im;
    }
    return NAN;
}

double LimitSegment::at(double hz) const
{
    if (toHz <= fromHz)
        return fromValue;
    // Weighted, not from + (to - from) t: the difference of two values near
    // the largest double would overflow.
    const double t = (hz - fromHz) / (toHz - fromHz);
    return fromValue * (1 - t) + toValue * t;
}

bool ParseLimits(std::string_view text, std::vector<LimitSegment>& out, std::string& error)
{
    std::vector<LimitSegment> segments;
    int lineNo = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // Lines end in LF, CR-LF or CR alone.
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size())
            pos += text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
        ++lineNo;

        if (const auto comment = line.find_first_of("#!"); comment != std::string_view::npos)
            line = line.substr(0, comment);
        line = ui::trimWhitespace(line);
        if (line.empty())
            continue;
        const std::string where = "line " + std::to_string(lineNo) + ": ";
        const auto f = fields(line);
        if (f.size() < 5 || f.size() > 6) {
            error = where + "expected upper or lower, a quantity, two frequencies and one or two values";
            return false;
        }
        LimitSegment s;
        const std::string kind = ui::toLowerAscii(std::string(f[0]));
        if (kind != "upper" && kind != "lower") {
            error = where + "expected upper or lower, not " + ui::quotedText(f[0]);
            return false;
        }
        s.upper = kind == "upper";
        s.quantity = FindQuantity(f[1]);
        if (!s.quantity) {
            error = where + "unknown quantity " + ui::quotedText(f[1]) + " (one of " + QuantityNames() + ")";
            return false;
        }
        if (!frequency(f[2], s.fromHz)) {
            error = where + ui::quotedText(f[2]) + " is not a frequency";
            return false;
        }
        if (!frequency(f[3], s.toHz)) {
            error = where + ui::quotedText(f[3]) + " is not a frequency";
            return false;
        }
        if (!(s.toHz > s.fromHz)) {
            error = where + "the segment must end above the frequency it starts at";
            return false;
        }
        if (!number(f[4], s.fromValue)) {
            error = where + ui::quotedText(f[4]) + " is not a number";
            return false;
        }
        s.toValue = s.fromValue;
        if (f.size() == 6 && !number(f[5], s.toValue)) {
            error = where + ui::quotedText(f[5]) + " is not a number";
            return false;
        }
        segments.push_back(s);
    }
    out = std::move(segments);
    return true;
}

std::string SegmentText(const LimitSegment& s)
{
    std::string line = s.upper ? "upper " : "lower ";
    line += s.quantity ? s.quantity->name : "?";
    line += ' ' + frequencyText(s.fromHz) + ' ' + frequencyText(s.toHz);
    line += ' ' + ui::shortestText(s.fromValue);
    if (s.toValue != s.fromValue)
        line += ' ' + ui::shortestText(s.toValue);
    return line;
}

std::string LimitsText(const std::vector<LimitSegment>& segments)
{
    std::string out = "# Orbilan limit lines\r\n"
                      "# upper|lower  quantity  from-Hz  to-Hz  value  [value-at-to]\r\n";
    for (const LimitSegment& s : segments)
        out += SegmentText(s) + "\r\n";
    return out;
}

LimitCheck CheckLimits(const std::vector<LimitSegment>& segments, const cal::MeasuredSweep& sweep)
{
    LimitCheck check;
    std::vector<const LimitSegment*> applied;
    for (const LimitSegment& s : segments)
        if (s.quantity && s.quantity->existsIn(sweep.mode))
            applied.push_back(&s);
    check.segmentsApplied = applied.size();
    const std::size_t n = std::min(sweep.hz.size(), sweep.points.size());
    for (std::size_t k = 0; k < n; ++k) {
        const double hz = sweep.hz[k];
        bool checked = false;
        for (const LimitSegment* s : applied) {
            if (!s->covers(hz))
                continue;
            checked = true;
            const double value = QuantityValue(*s->quantity, sweep, k);
            const double limit = s->at(hz);
            const bool inside = s->upper ? value <= limit : value >= limit;
            if (!inside)
                check.failures.push_back({k, hz, *s, value, limit});
        }
        if (checked)
            ++check.pointsChecked;
    }
    return check;
}

std::string FailureText(const LimitFailure& f)
{
    const LimitSegment& s = f.segment;
    return frequencyText(f.hz) + " Hz: " + (s.quantity ? s.quantity->name : "?") + " " +
           valueText(f.value) + " is " + (s.upper ? "above the upper" : "below the lower") + " limit " +
           valueText(f.limit);
}

} // namespace orbilan::analysis
