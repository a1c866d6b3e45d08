// Touchstone 1.1 files of a measured sweep: frequencies in Hz, parameters as
// real and imaginary parts, one line per point. A reflection sweep gives a
// one-port file (S11); a transmission sweep gives a two-port file in which
// only S21 was measured: the other three parameters are written as 0 and a
// comment says so, since a reader cannot tell a measured 0 from a missing one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cal/complex.h"

namespace orbilan::cli {

// What the comment lines say about where the numbers came from.
struct TouchstoneSource {
    std::string version;        // the program's version text, "1.3D"
    std::string date, time;     // when the sweep was taken
    std::string calFile;        // the calibration file as given
    std::string calStatus;      // "Calibrated" or "Interpolated", as the window shows it
    int averages = 1;
    int adcWaitMs = 0;
    int adcType = 2410;
    int adcMode = 0;
    bool cds = false;
    double z0 = 50;             // the reference impedance of the file
};

struct TouchstonePoint {
    std::int32_t hz = 0;
    cal::Complex s;             // S11 (one port) or S21 (two ports), real and imaginary
};

// The whole file, lines ended by CR-LF, numbers with a period whatever the
// locale. ports is 1 or 2; points must be in ascending frequency.
std::string TouchstoneText(const TouchstoneSource& source, int ports, const std::vector<TouchstonePoint>& points);

// The reflection coefficient of a corrected reflection point, (|Z| ohm,
// degrees), against the reference impedance (Z0, Tiny): the conversion the
// Smith chart display makes.
cal::Complex ReflectionOfPoint(cal::Complex point, cal::Complex refImpedance);
// S21 of a corrected transmission point, (dB, degrees).
cal::Complex TransmissionOfPoint(cal::Complex point);

} // namespace orbilan::cli
