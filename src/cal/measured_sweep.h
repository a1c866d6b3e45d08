// A complete pass as it was measured: the one value that leaves the window
// model for everything that only reads a sweep (files, analysis, the plot
// view, remote clients). It is a copy, so the window may go on sweeping,
// change its mode or its display while a reader holds it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cal/complex.h"

namespace orbilan::cal {

struct MeasuredSweep {
    int mode = 0;                    // 0 transmission, 1 reflection, 2 group delay
    Complex refImpedance{50, Tiny};  // Z0 as the program computes with it
    std::vector<std::int32_t> hz;    // the point frequencies, ascending
    // The corrected points as the program holds them: (dB, degrees) in
    // transmission, (|Z| ohm, degrees) in reflection, (dB, microseconds) in
    // group delay. Same length as hz.
    std::vector<Complex> points;
    int displayCode = 0;             // what the plot showed when the pass ended
    int calStatus = 1;               // 1 none, 2 explicit, 3 interpolated
    std::string calStatusText;       // as the window's label says it ("Calibrated" ...)
    std::string calFile;             // the calibration file's name as the window shows it, or ""

    // What a file header says about how the points were taken.
    int averages = 1;
    int adcWaitMs = 0;
    int adcType = 2410;
    int adcMode = 0;
    bool cds = false;
    std::string version;             // the program's version text
    std::string date, time;          // when the pass ended

    std::size_t size() const { return points.size(); }
    double z0() const { return refImpedance.re; }
};

// The reflection coefficient of a corrected reflection point (|Z| ohm,
// degrees) against the reference impedance: what the Smith chart shows.
Complex ReflectionOfPoint(Complex point, Complex refImpedance);
// S21 as a complex ratio from a corrected transmission point (dB, degrees).
Complex TransmissionOfPoint(Complex point);
// S11 of a reflection sweep or S21 of a transmission sweep at point k
// (0-based). A group-delay point holds no phase: it has no S parameter, and
// (0, 0) comes back.
Complex SParameterOf(const MeasuredSweep& sweep, std::size_t k);
// The pair the display type of the sweep plots at point k (0-based),
// unlimited (the plot clamps it; a file or a client wants the value).
Complex DisplayedPairOf(const MeasuredSweep& sweep, std::size_t k);

} // namespace orbilan::cal
