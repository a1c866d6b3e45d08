// Error correction of raw detector readings: the load-standard model, the
// transmission ratio against thru and isolation, the three-standard one-port
// impedance, the comparison of a sweep with the calibration sweep, linear
// interpolation between calibration points, and the group-delay arithmetic.
// All of it is pure: the window model feeds in its arrays and keeps the state.
#pragma once

#include <array>
#include <cstdint>

#include "cal/complex.h"

namespace orbilan::cal {

// A frequency list: [0] a count or code, [1..N] Hz ascending, zeros above N.
using FrequencyArray = std::array<std::int32_t, PointArraySize>;

// The highest frequency the synthesisers reach; group delay folds below it.
inline constexpr std::int32_t MaxFrequencyHz = 60000000;

// Impedance of the load standard at hz: R in series with L (nH), the pair
// shunted by C (pF).
Complex LoadStandardModel(double hz, double loadR, double loadLnH, double loadCpF);

// (raw - isol) / (thru - isol): the device's transmission as the
// calibration reads it.
Complex TransmissionQuotient(Complex isol, Complex thru, Complex raw);
// (dB, degrees) of TransmissionQuotient; a zero ratio reads 0 dB.
Complex TransmissionRatio(Complex isol, Complex thru, Complex raw);

// (|Z| ohm, degrees) by the bilinear open/short/load correction with zLoad
// the model impedance of the load standard.
Complex OnePortImpedance(Complex zLoad, Complex open, Complex shortStd, Complex load, Complex raw);

enum SweepMatch : int {
    SweepIdentical = 1,   // the sweep is the calibration sweep
    SweepInterpolable = 2, // inside the calibration's range
    SweepNotCovered = 3,
};
// Compares elements 1..401 of both lists.
int CompareSweeps(const FrequencyArray& calFreq, const FrequencyArray& sweepFreq);

// Linear in frequency between (f1, c1) and (f2, c2); exact at either end.
Complex InterpolatePoint(std::int32_t f, std::int32_t f1, std::int32_t f2, Complex c1, Complex c2);

// One standard's calibration value at any frequency f, from the calibration's
// own list (calFreq[0] = its point count N): between the two calibration
// points around f as InterpolatePoint does, and beyond either end continued
// in a straight line through the first or the last two points, since a
// reading one aperture away from a sweep point may lie just outside the
// calibrated range. A calibration of one point holds its value everywhere.
Complex CalibrationValueAt(std::int32_t f, const FrequencyArray& calFreq, const PointArray& values);

// The second frequency of a group-delay point: one aperture above f, or one
// below when that would pass the top of the range.
std::int32_t GroupDelaySecondFrequency(std::int32_t f, std::int32_t apertureHz);
// Group delay in microseconds, always positive, from the transmission
// quotients at f and at the second frequency. The phase step is taken the
// short way round the circle, so a phase crossing +-180 degrees inside the
// aperture reads as the small step it is.
double GroupDelayMicroseconds(Complex atF, Complex atSecond, std::int32_t f, std::int32_t second,
                              std::int32_t apertureHz);

// The calibration-modes code after a calibration of one kind ended, complete
// or not: the units digit records which kinds hold (1 reflection,
// 2 transmission, 3 both), plus 10 when made with correlated double sampling.
std::int16_t CalModesAfterReflection(std::int16_t calModes, bool complete, bool cdsOn);
std::int16_t CalModesAfterTransmission(std::int16_t calModes, bool complete, bool cdsOn);

} // namespace orbilan::cal
