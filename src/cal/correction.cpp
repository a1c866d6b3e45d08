#include "cal/correction.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orbilan::cal {

Complex LoadStandardModel(double hz, double loadR, double loadLnH, double loadCpF)
{
    const double w = 2 * Pi * hz;
    const Complex zs{loadR, w * loadLnH * 1e-9};
    const Complex y = CAdd(CInv(zs), Complex{0, w * loadCpF * 1e-12});
    return CInv(y);
}

Complex TransmissionQuotient(Complex isol, Complex thru, Complex raw)
{
    return CDiv(CSub(raw, isol), CSub(thru, isol));
}

Complex TransmissionRatio(Complex isol, Complex thru, Complex raw)
{
    const Complex p = CToPolar(TransmissionQuotient(isol, thru, raw));
    return {20 * Log10Safe(p.re), p.im * RadToDeg};
}

Complex OnePortImpedance(Complex zLoad, Complex open, Complex shortStd, Complex load, Complex raw)
{
    const Complex a = CMul(CMul(CSub(open, load), CSub(raw, shortStd)), zLoad);
    const Complex b = CMul(CSub(load, shortStd), CSub(open, raw));
    const Complex p = CToPolar(CDiv(a, b));
    return {p.re, p.im * RadToDeg};
}

namespace {
std::int32_t lastNonZero(const FrequencyArray& f)
{
    for (std::size_t k = f.size() - 1; k >= 1; --k)
        if (f[k] != 0)
            return f[k];
    return 0;
}
} // namespace

int CompareSweeps(const FrequencyArray& calFreq, const FrequencyArray& sweepFreq)
{
    if (sweepFreq[1] < calFreq[1])
        return SweepNotCovered;
    bool same = true;
    for (std::size_t k = 1; k < calFreq.size() && same; ++k)
        same = calFreq[k] == sweepFreq[k];
    if (same)
        return SweepIdentical;
    return lastNonZero(sweepFreq) > lastNonZero(calFreq) ? SweepNotCovered : SweepInterpolable;
}

Complex InterpolatePoint(std::int32_t f, std::int32_t f1, std::int32_t f2, Complex c1, Complex c2)
{
    if (f == f1)
        return c1;
    if (f == f2)
        return c2;
    if (f1 == f2)
        return c1;
    // Differences in 64 bits: two frequencies of a 32-bit list can lie further
    // apart than a 32-bit difference holds.
    const double t = static_cast<double>(static_cast<std::int64_t>(f) - f1) /
                     static_cast<double>(static_cast<std::int64_t>(f2) - f1);
    return {c1.re + (c2.re - c1.re) * t, c1.im + (c2.im - c1.im) * t};
}

Complex CalibrationValueAt(std::int32_t f, const FrequencyArray& calFreq, const PointArray& values)
{
    const int n = calFreq[0] < 1 ? 1 : (calFreq[0] > PointArraySize - 1 ? PointArraySize - 1 : calFreq[0]);
    if (n == 1)
        return values[1];
    // The first calibration point at or above f; past the top, the last
    // pair carries on.
    const auto first = calFreq.begin() + 1;
    const auto end = first + n;
    const auto at = std::lower_bound(first, end, f);
    std::size_t hi = static_cast<std::size_t>(at - calFreq.begin());
    if (at == end)
        hi = static_cast<std::size_t>(n);
    else if (hi == 1)
        hi = 2;
    const std::size_t lo = hi - 1;
    return InterpolatePoint(f, calFreq[lo], calFreq[hi], values[lo], values[hi]);
}

std::int32_t GroupDelaySecondFrequency(std::int32_t f, std::int32_t apertureHz)
{
    const std::int64_t up = static_cast<std::int64_t>(f) + apertureHz;
    return up > MaxFrequencyHz ? f - apertureHz : static_cast<std::int32_t>(up);
}

double GroupDelayMicroseconds(Complex atF, Complex atSecond, std::int32_t f, std::int32_t second,
                              std::int32_t apertureHz)
{
    // The step is the angle of one quotient over the other, which lies in
    // (-180, 180] degrees: a step across the edge of the phase reads as the
    // small step it is, not as a delay of about 1/aperture. It is not taken
    // from the two displayed phases, which put a phase within 1/1000 of an
    // axis on the axis: over a 100 kHz aperture that moves a delay by up to
    // 1.6 ns, over 1 kHz by 160 ns, and a line whose phase passes an axis
    // between the two readings would read no delay at all.
    const Complex q = second > f ? CMul(atF, CConj(atSecond)) : CMul(atSecond, CConj(atF));
    const double dphi = std::atan2(q.im, q.re);
    const double tau = dphi / (2 * Pi * apertureHz);
    return std::fabs(tau) * 1e6;
}

namespace {
std::int16_t withCds(std::int16_t modes, bool cdsOn)
{
    if (cdsOn)
        return modes >= 10 ? modes : static_cast<std::int16_t>(modes + 10);
    return static_cast<std::int16_t>(modes % 10);
}
} // namespace

std::int16_t CalModesAfterReflection(std::int16_t calModes, bool complete, bool cdsOn)
{
    const int u = calModes % 10;
    std::int16_t m = calModes;
    if (complete && u == 0)
        m = 1;
    else if (complete && u == 2)
        m = 3;
    else if (!complete && u == 1)
        m = 0;
    else if (!complete && u == 3)
        m = 2;
    return withCds(m, cdsOn);
}

std::int16_t CalModesAfterTransmission(std::int16_t calModes, bool complete, bool cdsOn)
{
    const int u = calModes % 10;
    std::int16_t m = calModes;
    if (complete && u == 0)
        m = 2;
    else if (complete && u == 1)
        m = 3;
    else if (!complete && u == 2)
        m = 0;
    else if (!complete && u == 3)
        m = 1;
    return withCds(m, cdsOn);
}

} // namespace orbilan::cal
