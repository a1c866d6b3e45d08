// The results `orbilan-cli analyse` prints for a Touchstone file: named
// values in plain SI units (Hz, dB, ohm) in a fixed order, and for every
// value that could not be found, why.
//
// A transmission trace (S21) gives peak_hz, peak_db, bw_low_hz, bw_high_hz,
// bw_hz, centre_hz and q (the bandwidth at `drop` dB); a reflection trace
// (S11) gives min_swr_hz, min_swr, resonance_hz, resonance_r_ohm,
// swr_low_hz, swr_high_hz and swr_bw_hz (the band where SWR <= `swr`).
#pragma once

#include <string>
#include <vector>

#include "analysis/trace.h"

namespace orbilan::analysis {

struct SummaryOptions {
    double drop = 3;  // dB below the peak
    double swr = 2;   // the SWR that bounds the matched band
};

struct SummaryLine {
    std::string name;
    double value = 0;
};

struct Summary {
    std::vector<SummaryLine> lines;    // what was found, in order
    std::vector<std::string> missing;  // one reason per cause of a missing line
    bool complete() const { return missing.empty(); }
};

Summary Summarise(const Trace& trace, const SummaryOptions& options);
// The two halves on their own: the bandwidth of any trace in dB (group
// delay's magnitude too), and the match of a reflection.
Summary SummariseBandwidth(const std::vector<double>& hz, const std::vector<double>& db, double drop);
Summary SummariseReflection(const Trace& reflection, double swr);

// "name=value" lines, LF-ended.
std::string SummaryText(const Summary& summary);
// One JSON object on one line, the same names and values in the same order.
std::string SummaryJson(const Summary& summary);
// A value as both forms write it: up to ten significant digits, a period.
std::string SummaryNumber(double value);

} // namespace orbilan::analysis
