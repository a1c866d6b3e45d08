// Limit lines: upper and lower limits on a display quantity over a frequency
// range, read from and written to a small text file, and the check of a
// sweep against them.
//
// The file holds one segment per line:
//
//     upper|lower  QUANTITY  FROM  TO  VALUE  [VALUE_AT_TO]
//
// FROM and TO are frequencies in Hz with an optional k, M or G (m counts as
// M, as in the sweep fields): 1M, 2.5m, 455k, 1000000. Without VALUE_AT_TO
// the limit is flat; with it, it runs straight from VALUE at FROM to
// VALUE_AT_TO at TO. '#' or '!' starts a comment; blank lines are skipped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cal/measured_sweep.h"

namespace orbilan::analysis {

// A quantity the plot shows, by the name a limit file gives it.
struct Quantity {
    const char* name;     // "dB", "SWR", "Xs" ...
    const char* meaning;  // for the reader of a message
    unsigned modes;       // bit per measurement mode it exists in
    // The display types that show it: (display code, 1 for Y1 or 2 for Y2).
    std::vector<std::pair<int, int>> shownOn;
    bool existsIn(int mode) const { return mode >= 0 && mode < 3 && (modes >> mode & 1u); }
    bool isShownOn(int displayCode, int axis) const;
};

const std::vector<Quantity>& Quantities();
// By name, any case; "|Z|" is Z. Null when unknown.
const Quantity* FindQuantity(std::string_view name);
// The names in the order of Quantities(), separated by ", ".
std::string QuantityNames();

// The value of the quantity at point k of the sweep (0-based). An SWR where
// |rho| >= 1 is infinite: no passive load has it, and an upper limit must
// not pass the negative number the plot would show.
double QuantityValue(const Quantity& quantity, const cal::MeasuredSweep& sweep, std::size_t k);

struct LimitSegment {
    bool upper = true;
    const Quantity* quantity = nullptr;
    double fromHz = 0, toHz = 0;
    double fromValue = 0, toValue = 0;

    bool covers(double hz) const { return hz >= fromHz && hz <= toHz; }
    // The limit at hz, on the straight line from (fromHz, fromValue) to (toHz, toValue).
    double at(double hz) const;
};

// Reads a whole limit file's text. On the first bad line, false with a
// message that names the line, and `out` unchanged: a half-read set of
// limits is never applied.
bool ParseLimits(std::string_view text, std::vector<LimitSegment>& out, std::string& error);
// The file's text (CR-LF lines, a comment header, numbers with a period).
std::string LimitsText(const std::vector<LimitSegment>& segments);
// One segment as a line of the file, without its line end.
std::string SegmentText(const LimitSegment& segment);

struct LimitFailure {
    std::size_t index = 0;  // the point, 0-based
    double hz = 0;
    LimitSegment segment;   // the limit it broke
    double value = 0;
    double limit = 0;
};

struct LimitCheck {
    std::size_t segmentsApplied = 0;  // segments on quantities of the sweep's mode
    std::size_t pointsChecked = 0;    // points inside at least one of them
    std::vector<LimitFailure> failures; // by point, then in the order of the segments
    bool passed() const { return failures.empty(); }
};

// Every point of the sweep against every segment on a quantity of its mode
// whose range holds the point's frequency. A value that is not a number
// fails, since it cannot be shown to lie inside.
LimitCheck CheckLimits(const std::vector<LimitSegment>& segments, const cal::MeasuredSweep& sweep);

// "12000000 Hz: dB -4.102 is below the lower limit -3".
std::string FailureText(const LimitFailure& failure);

} // namespace orbilan::analysis
