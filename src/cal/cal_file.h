// The calibration file: comma-separated text, CR-LF line ends. Five header
// lines (ADC type and mode, averages and wait, the CDS flag, the point count,
// the calibrated kinds), then one line per calibration point: frequency, load
// model, open, short, load, isolation, thru, each complex as re then im.
// Numbers use a period whatever the user's locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cal/complex.h"
#include "cal/correction.h"

namespace orbilan::cal {

inline constexpr int MaxCalPoints = 401;

struct CalFileData {
    std::int16_t AdcType = 2410;
    std::int16_t AdcMode = 0;
    std::int16_t AdcAverages = 1;
    std::int16_t AdcWaitMs = 10;
    bool Cds = false;          // the calibration was made with CDS on
    std::int16_t Points = 0;   // Nc, 1..401
    std::int16_t Modes = 0;    // 0 none, 1 reflection, 2 transmission, 3 both
    // Indices 1..Points; everything else zero after a read.
    FrequencyArray Freq{};
    PointArray LoadModel{}, Open{}, Short{}, Load{}, Isol{}, Thru{};
};

// The file's text.
std::string WriteCalFile(const CalFileData& data);

// Reads a whole file's text. Nothing but a complete, well-formed file is
// accepted (averages from 1, frequencies never falling, readings within
// 1000 V, which no detector passes); on failure
// `failedLine` (when given) names the first line that could not be read
// (1-based).
std::optional<CalFileData> ReadCalFile(std::string_view text, int* failedLine = nullptr);

// A number as the program's files write it: at most 15 significant digits,
// exponent form such as 1.25E-07 for very small or large magnitudes, and a
// period as decimal separator whatever the locale.
std::string FileNumber(double v);

} // namespace orbilan::cal
