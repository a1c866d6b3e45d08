// The measurement data file: a header saying when, with what instrument
// settings and in which mode the data were taken, the user's comment, then
// one line per point with the frequency and the plotted quantities of the
// display type. CR-LF line ends; numbers with a period whatever the locale.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "cal/correction.h"

namespace orbilan::cal {

using ValueArray = std::array<double, PointArraySize>;

struct DataExportHeader {
    std::string version;     // "1.3D"
    std::string date, time;  // the system's short formats
    std::string owner;
    std::string comment;     // as typed; broken after 60 characters here
    int averages = 1;
    std::string sweepTime;   // the estimate as the window shows it
    int adcType = 2410;
    int adcMode = 0;
    int measMode = 0;
    int displayCode = 0;
};

// The column names after "Frequency Hz " for a display code.
std::vector<std::string> ExportColumnNames(int displayCode);

// The comment with a carriage return after its 60th character when longer.
std::string CommentWithBreak(const std::string& comment);

// The whole file: points 1..points of freq, y1 and y2 (y2 left out for SWR).
// A value that is not a finite number is written as -999, no value.
std::string DataExportText(const DataExportHeader& header, const FrequencyArray& freq, int points,
                           const ValueArray& y1, const ValueArray& y2);

} // namespace orbilan::cal
