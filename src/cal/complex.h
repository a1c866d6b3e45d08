// Complex arithmetic of the measurement chain. Two doubles, re then im; the
// same pair also carries polar values (magnitude, angle) and the plotted pair
// of a point. Nothing here fails on a zero divisor: a fixed tiny addend and a
// tiny floor keep every result finite, and the rest of the program relies on
// exactly those results (a reading equal to the short standard reads 0 ohm at
// 45 degrees, for instance).
#pragma once

#include <array>

namespace orbilan::cal {

struct Complex {
    double re = 0;
    double im = 0;
    friend bool operator==(const Complex&, const Complex&) = default;
};

// The one guard value: floor for magnitudes, addend for divisors, imaginary
// part of the reference impedance.
inline constexpr double Tiny = 1e-31;
inline constexpr double Pi = 3.14159265358979323846;
inline constexpr double RadToDeg = 180.0 / Pi;
inline constexpr double DegToRad = Pi / 180.0;

// Per-point arrays: indices 0..401, points numbered 1..N (N at most 401).
inline constexpr int PointArraySize = 402;
using PointArray = std::array<Complex, PointArraySize>;

Complex CAdd(Complex a, Complex b);
Complex CSub(Complex a, Complex b);
Complex CMul(Complex a, Complex b);
Complex CScale(Complex a, double k);
Complex CConj(Complex a);
// a * conj(b) / (|b|^2 + Tiny): exactly (0, 0) for b = 0.
Complex CDiv(Complex a, Complex b);
Complex CInv(Complex b);
// (magnitude, angle in radians by PhaseAngle).
Complex CToPolar(Complex z);
// p.re = magnitude, p.im = angle in radians.
Complex CFromPolar(Complex p);

// Angle of the point (x, y) in -pi..pi. Points within 1/1000 (by ratio) of an
// axis are taken as lying on it; zero parts are floored to Tiny, so the angle
// of (0, 0) is pi/4.
double PhaseAngle(double y, double x);
// 0 for 0, else log10 x (callers pass magnitudes).
double Log10Safe(double x);
// Parallel equivalent (Rp, Xp) of R + jX; a zero part is replaced by Tiny.
Complex SeriesToParallel(Complex z);
void ClearComplexArray(PointArray& a);

} // namespace orbilan::cal
