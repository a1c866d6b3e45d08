// Trace math: a sweep against a memory trace (a stored sweep or a Touchstone
// file), as data - memory or data / memory.
//
// Both work on the program's corrected points, so the result is again a
// corrected point of the same mode and every display type shows it:
// - transmission: data - memory subtracts the dB and the degrees (the
//   phase difference taken within +-180); data / memory divides the
//   complex S21 values, which comes to the same but for the rounding;
// - reflection: the reflection coefficients are subtracted or divided as
//   complex numbers;
// - group delay: data - memory subtracts the dB and the microseconds; a
//   ratio of delays means nothing, so there is no data / memory.
// The memory is interpolated onto the data's frequencies (on the complex S
// parameter where there is one); outside its range a point has no value.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cal/complex.h"
#include "cal/measured_sweep.h"
#include "touchstone/touchstone.h"

namespace orbilan::analysis {

enum class MathOp { Difference, Ratio };

struct Memory {
    int mode = 0;                           // of the points below
    cal::Complex refImpedance{50, cal::Tiny};
    std::vector<double> hz;                 // rising
    std::vector<cal::Complex> points;       // corrected points of `mode`
    bool empty() const { return points.empty(); }
    // True when [fromHz, toHz] lies inside the memory's range.
    bool covers(double fromHz, double toHz) const;
};

Memory MemoryOfSweep(const cal::MeasuredSweep& sweep);
// The file's data as a memory for sweeps of `mode` against refImpedance: S11
// (of a one-port or a two-port) in reflection, S21 of a two-port in
// transmission, renormalised to the program's Z0. False with the reason when
// the file cannot serve that mode.
bool MemoryOfFile(const touchstone::Data& data, int mode, cal::Complex refImpedance, Memory& out,
                  std::string& error);

// The memory at hz, interpolated; nothing outside its range.
std::optional<cal::Complex> MemoryAt(const Memory& memory, double hz);

// One point of data against one of memory, both corrected points of `mode`.
// Nothing where the result has no value (a division by zero, a ratio in
// group delay).
std::optional<cal::Complex> Combine(int mode, cal::Complex data, cal::Complex memory, MathOp op,
                                    cal::Complex refImpedance);
// Whether the operation means anything in the mode.
bool MathDefined(int mode, MathOp op);

// The sweep with every point replaced by the result; points without a value
// (outside the memory, a memory of another mode) are left out.
cal::MeasuredSweep CombineSweep(const cal::MeasuredSweep& data, const Memory& memory, MathOp op);

} // namespace orbilan::analysis
