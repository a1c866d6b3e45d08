// Display types and their vertical scales: the display lists of the three
// measurement modes, the default and full-range scales of every display code,
// the values offered in the six scale lists, the units labels, and the few
// number texts and limits the plot relies on. Pure tables and functions.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orbilan::display {

// Display codes with a behaviour of their own.
inline constexpr int CodePowerRatio = 1;
inline constexpr int CodeSwr = 14;
inline constexpr int CodeSmith = 16;
inline constexpr int CodeGroupDelay = 20;
inline constexpr int CodeRaw = 30;

// Trace colours.
inline constexpr unsigned Yellow = 0xFFFF00;
inline constexpr unsigned Cyan = 0x00FFFF;
inline constexpr unsigned Green = 0x00FF00;
inline constexpr unsigned Red = 0xFF0000;
inline constexpr unsigned DarkGreen = 0x008000;

// The plot engine never draws beyond these magnitudes.
inline constexpr double PlotLimit = 1e6;
inline constexpr double PlotFloor = 1e-6;

// The display list of a measurement mode: entries "Y1,Y2" separated by single
// blanks and ended by "*". Empty for a mode without one.
std::string DisplayList(int measMode);

// How a list string fills a list box: split at single blanks, in order, up to
// the piece "*" or until 21 pieces are taken.
std::vector<std::string> SplitList(const std::string& list);

// The entry of a display list a user names: as the list shows it, or without
// the trailing comma of a one-value entry ("SWR", "Smith"), in any case, with
// "us" standing for microseconds. Empty when no entry is meant.
std::string FindDisplayEntry(const std::vector<std::string>& entries, const std::string& wanted);

struct ScalePair {
    float top = 0;
    float bottom = 0;
};
struct AxisScales {
    std::optional<ScalePair> y1, y2; // nullopt: leave that axis as it is
};

// The scales a display type starts with.
AxisScales DefaultScales(int code);
// The scales "Max Range" applies.
AxisScales FullRangeScales(int code);

// The six scale lists of a display code as list strings; nullopt leaves that
// list as it is. Fractions are computed and written with the given decimal
// separator, so they read as the user's locale writes numbers.
struct ScaleLists {
    std::optional<std::string> y1Top, y1Div, y1Bottom, y2Top, y2Div, y2Bottom;
};
ScaleLists ScaleValueLists(int code, char decimalSeparator);

// Captions of the units labels beside the scale buttons; nullopt leaves the
// label as it is.
struct UnitsLabels {
    std::optional<std::string> y1, y2;
};
UnitsLabels UnitsLabelsFor(int code);

// The text of a scale value on a scale button.
std::string FormatScaleValue(double v, char decimalSeparator = '.');

// Limits a value for drawing (magnitudes above 1e6 to 1e6, below 1e-6 to
// 1e-6, zero stays zero) and writes the limited value back into v, so the
// trace arrays hold what was drawn. Infinity is limited like any large value.
float ClampForPlot(double& v);

// The first n characters of a UTF-8 text (the units labels hold "µ").
std::string FirstChars(const std::string& s, std::size_t n);
// The text before its first blank.
std::string UpToFirstBlank(const std::string& s);

// Autoscale fitting of one axis over points 1..points of a trace.
ScalePair FitY1(std::span<const double> trace, int points, int code);
ScalePair FitY2(std::span<const double> trace, int points, int code);

} // namespace orbilan::display
