#include "display/scales.h"

#include <algorithm>
#include <cmath>

#include "ui/number_text.h"

namespace orbilan::display {

std::string DisplayList(int measMode)
{
    switch (measMode) {
    case 0: return "dB,deg mag,deg *";
    case 1: return "|Z|,deg rho,deg Rs,Xs Rp,Xp SWR, RL,deg Smith, *";
    case 2: return "dB,\xC2\xB5s *";
    default: return "";
    }
}

std::vector<std::string> SplitList(const std::string& list)
{
    // The longest list has exactly 21 values; a list box takes no more.
    constexpr std::size_t MaxPieces = 21;
    std::vector<std::string> pieces;
    if (list.empty())
        return pieces;
    std::size_t start = 0;
    while (pieces.size() < MaxPieces) {
        const std::size_t blank = list.find(' ', start);
        std::string piece = list.substr(start, blank == std::string::npos ? std::string::npos : blank - start);
        if (piece == "*")
            break;
        pieces.push_back(std::move(piece));
        if (blank == std::string::npos)
            break;
        start = blank + 1;
    }
    return pieces;
}

namespace {

std::string displayNameKey(const std::string& name)
{
    std::string key = ui::toLowerAscii(ui::trimBlanks(name));
    const std::string micro = "\xC2\xB5s";
    if (const auto at = key.find(micro); at != std::string::npos)
        key.replace(at, micro.size(), "us");
    if (!key.empty() && key.back() == ',')
        key.pop_back();
    return key;
}

} // namespace

std::string FindDisplayEntry(const std::vector<std::string>& entries, const std::string& wanted)
{
    const std::string key = displayNameKey(wanted);
    if (key.empty())
        return {};
    for (const std::string& entry : entries)
        if (displayNameKey(entry) == key)
            return entry;
    return {};
}

AxisScales DefaultScales(int code)
{
    const ScalePair phase{180, -180};
    switch (code) {
    case 0: return {ScalePair{40, -120}, phase};
    case 1: return {ScalePair{10000, 0}, phase};
    case 10: return {ScalePair{8000, 0}, phase};
    case 11: return {ScalePair{1, 0}, phase};
    case 12:
    case 13: return {ScalePair{8000, 0}, ScalePair{10000, -10000}};
    case 14: return {ScalePair{101, 1}, std::nullopt};
    case 15: return {ScalePair{0, -80}, phase};
    case 20: return {ScalePair{40, -120}, ScalePair{8000, 0}};
    default: return {};
    }
}

AxisScales FullRangeScales(int code)
{
    const ScalePair phase{180, -180};
    switch (code) {
    case 0: return {ScalePair{40, -120}, phase};
    case 1:
    case 10: return {ScalePair{10000, 0}, phase};
    case 11: return {ScalePair{1, 0}, phase};
    case 12:
    case 13: return {ScalePair{10000, 0}, ScalePair{10000, -10000}};
    case 14: return {ScalePair{101, 1}, std::nullopt};
    case 15: return {ScalePair{0, -80}, phase};
    case 20: return {ScalePair{40, -120}, ScalePair{10000, 0}};
    // The raw readings of a calibration: in-phase and quadrature share one
    // volt scale, so the quadrature trace is not left on a phase or delay
    // scale where it would lie flat on the zero line.
    case 30: return {ScalePair{2.5f, -2.5f}, ScalePair{2.5f, -2.5f}};
    default: return {};
    }
}

ScaleLists ScaleValueLists(int code, char sep)
{
    // Fractions are computed, then written as the user's locale writes them.
    auto r = [sep](double numerator, double denominator) {
        return ui::formatGeneral(numerator / denominator, 15, sep);
    };
    auto fractions = [&r](std::initializer_list<std::pair<double, double>> values) {
        std::string s;
        for (const auto& [n, d] : values)
            s += r(n, d) + " ";
        return s + "*";
    };

    const std::string phaseTop = "180 90 40 20 8 4 2 0 *";
    const std::string phaseDiv = "45 " + r(45, 2) + " 10 5 2 1 " + r(5, 10) + " *";
    const std::string phaseBottom = "0 -2 -4 -8 -20 -40 -90 -180 *";
    const std::string dbBottom = "40 30 20 10 0 -10 -20 -30 -40 *";
    const std::string ohmDiv = "5000 1000 500 200 100 50 20 10 5 *";
    const std::string reactance =
        "10000 8000 5000 4000 1000 800 500 200 100 50 0 -50 -100 -200 -500 -800 -1000 -2000 -5000 -8000 -10000 *";

    ScaleLists lists;
    switch (code) {
    case 0:
        lists.y1Top = "40 30 20 10 8 4 2 1 0 -10 -20 -30 *";
        lists.y1Div = "20 10 5 2 1 " + fractions({{5, 10}, {2, 10}, {1, 10}});
        lists.y1Bottom = "40 30 20 10 0 -1 -2 -4 -8 -10 -20 -30 -40 *";
        break;
    case 1:
        lists.y1Top = "10000 5000 1000 500 100 50 10 5 2 1 " + fractions({{5, 10}, {2, 10}, {1, 10}});
        lists.y1Div = "500 250 125 100 25 10 2 1 " + fractions({{5, 10}, {1, 10}, {5, 100}, {1, 100}});
        lists.y1Bottom = dbBottom;
        break;
    case 10:
        lists.y1Top = "10000 8000 5000 4000 2000 1000 800 500 200 100 50 *";
        lists.y1Div = "1000 500 200 100 50 20 10 5 *";
        lists.y1Bottom = "0 1000 500 100 50 10 5 2 1 0 *";
        break;
    case 11:
        lists.y1Top = "1 " + fractions({{5, 10}, {2, 10}});
        lists.y1Div = fractions({{1, 8}, {1, 10}, {1, 20}, {1, 50}, {1, 100}});
        lists.y1Bottom = "0 *";
        break;
    case 12:
    case 13:
        lists.y1Top = "10000 8000 5000 4000 1000 800 500 200 100 50 *";
        lists.y1Div = ohmDiv;
        lists.y1Bottom = "0 1000 800 500 200 100 50 40 30 20 10 0 *";
        lists.y2Top = reactance;
        lists.y2Div = ohmDiv;
        lists.y2Bottom = reactance;
        break;
    case 14:
        lists.y1Top = "80 9 5 " + fractions({{18, 10}, {14, 10}});
        lists.y1Div = "10 1 " + fractions({{5, 10}, {2, 10}, {1, 10}, {5, 100}});
        lists.y1Bottom = "1 *";
        break;
    case 15:
        lists.y1Top = "-40 -20 -10 -5 0 *";
        lists.y1Div = r(25, 2) + " 10 5 " + r(5, 2) + " " + r(5, 4) + " 1 "
                      + fractions({{5, 8}, {5, 10}, {2, 10}, {1, 10}});
        lists.y1Bottom = "0 -10 -20 -30 *";
        break;
    case 20:
        lists.y1Top = "40 30 20 10 0 -10 -20 -30 *";
        lists.y1Div = "20 10 5 2 1 " + fractions({{5, 10}, {2, 10}});
        lists.y1Bottom = dbBottom;
        lists.y2Top = "10000 8000 5000 2000 1000 800 500 200 100 80 50 20 10 8 5 2 1 *";
        lists.y2Div = "1250 1000 500 250 125 100 50 25 " + r(25, 2) + " 10 5 " + r(5, 2) + " *";
        lists.y2Bottom = "0 10000 8000 5000 2000 1000 800 500 200 100 80 50 20 10 *";
        break;
    default:
        return lists;
    }
    if (code == 0 || code == 1 || code == 10 || code == 11 || code == 15) {
        lists.y2Top = phaseTop;
        lists.y2Div = phaseDiv;
        lists.y2Bottom = phaseBottom;
    }
    return lists;
}

UnitsLabels UnitsLabelsFor(int code)
{
    const std::string deg = "deg  /div";
    switch (code) {
    case 0: return {"dB  /div", deg};
    case 1: return {"mag  /div", deg};
    case 10: return {"ohm  /div", deg};
    case 11: return {"    /div", deg};
    case 12:
    case 13: return {"ohm   /div", "ohm   /div"};
    case 14: return {"    /div", std::nullopt};
    case 15: return {"dB  /div", deg};
    case 20: return {"dB  /div", "\xC2\xB5s  /div"};
    case 30: return {"V /div", "V /div"};
    default: return {};
    }
}

std::string FormatScaleValue(double v, char sep)
{
    if (v == 0)
        return std::string("0") + sep + "0";
    if (v == -180)
        return "-180";
    // Digits of the integer part, taken toward minus infinity first: -0.5
    // counts as one digit, -9.5 as two.
    const double whole = std::fabs(std::floor(v));
    int digits = 1;
    for (double limit = 10; whole >= limit && digits < 400; limit *= 10)
        ++digits;
    const char* pattern = digits == 1 ? "#0.0##" : digits == 2 ? "###.0" : digits == 3 ? "####" : "#####";
    return ui::formatPattern(v, pattern, sep);
}

float ClampForPlot(double& v)
{
    if (std::fabs(v) > PlotLimit)
        v = std::copysign(PlotLimit, v);
    if (std::fabs(v) < PlotFloor && v != 0)
        v = std::copysign(PlotFloor, v);
    return static_cast<float>(v);
}

std::string FirstChars(const std::string& s, std::size_t n)
{
    std::size_t i = 0;
    for (std::size_t count = 0; i < s.size() && count < n; ++count) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
            ++i; // continuation bytes of the same character
    }
    return s.substr(0, i);
}

std::string UpToFirstBlank(const std::string& s) { return s.substr(0, s.find(' ')); }

namespace {

// Scans the trace as single precision from the given start values, then moves
// both ends outward by 5 % of their own magnitude.
void scanWithMargins(std::span<const double> trace, int points, float& max, float& min)
{
    const int last = std::min<int>(points, static_cast<int>(trace.size()) - 1);
    for (int i = 1; i <= last; ++i) {
        const auto v = static_cast<float>(trace[static_cast<std::size_t>(i)]);
        if (v > max)
            max = v;
        if (v < min)
            min = v;
    }
    if (max < 0)
        max = static_cast<float>(max * 0.95);
    else if (max > 0)
        max = static_cast<float>(max * 1.05);
    if (min < 0)
        min = static_cast<float>(min * 1.05);
    else
        min = static_cast<float>(min * 0.95);
}

} // namespace

ScalePair FitY1(std::span<const double> trace, int points, int code)
{
    float max = -10000, min = 10000;
    scanWithMargins(trace, points, max, min);
    if (code == CodePowerRatio && min < 0)
        min = 0;
    if (code == CodeSwr && min < 1)
        min = 1;
    const float division = std::fabs(max - min) / 8;
    return {max, max - 8 * division};
}

ScalePair FitY2(std::span<const double> trace, int points, int code)
{
    const bool components = code == 12 || code == 13;
    float max = components ? -10000.0f : -180.0f;
    float min = components ? 10000.0f : 180.0f;
    scanWithMargins(trace, points, max, min);
    float division = std::fabs(max - min) / 8;
    ScalePair fit{max, max - 8 * division};
    // A phase scale never reaches above +180 nor spans more than 360 degrees.
    const bool phase = code < 12 || (code >= 14 && code != CodeGroupDelay);
    if (phase) {
        if (max > 180)
            fit.top = 180;
        if (division > 45)
            division = 45;
        fit.bottom = fit.top - 8 * division;
    }
    return fit;
}

} // namespace orbilan::display
