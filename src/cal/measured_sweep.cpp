#include "cal/measured_sweep.h"

#include <cmath>

#include "cal/display_quantities.h"

namespace orbilan::cal {

Complex ReflectionOfPoint(Complex point, Complex refImpedance)
{
    return ConvertPoint(point, CodeSmith, refImpedance);
}

Complex TransmissionOfPoint(Complex point)
{
    // dB of a voltage ratio: the magnitude is 10^(dB/20).
    return CFromPolar({std::pow(10.0, point.re / 20), point.im * DegToRad});
}

Complex SParameterOf(const MeasuredSweep& sweep, std::size_t k)
{
    if (k >= sweep.points.size())
        return {0, 0};
    switch (sweep.mode) {
    case 0: return TransmissionOfPoint(sweep.points[k]);
    case 1: return ReflectionOfPoint(sweep.points[k], sweep.refImpedance);
    default: return {0, 0};
    }
}

Complex DisplayedPairOf(const MeasuredSweep& sweep, std::size_t k)
{
    if (k >= sweep.points.size())
        return {0, 0};
    return ConvertPoint(sweep.points[k], sweep.displayCode, sweep.refImpedance);
}

} // namespace orbilan::cal
