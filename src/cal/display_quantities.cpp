#include "cal/display_quantities.h"

#include <cmath>

namespace orbilan::cal {

Complex ConvertPoint(Complex p, int displayCode, Complex z0)
{
    switch (displayCode) {
    case CodeTransMag:
        return {std::pow(10.0, p.re / 10), p.im};
    case CodeRho:
    case CodeSwr:
    case CodeReturnLoss:
    case CodeSmith: {
        const Complex z = CFromPolar({p.re, p.im * DegToRad});
        const Complex rho = CDiv(CSub(z, z0), CAdd(z, z0));
        if (displayCode == CodeSmith)
            return rho;
        const Complex polar = CToPolar(rho);
        const double m = polar.re;
        if (displayCode == CodeRho)
            return {m, polar.im * RadToDeg};
        if (displayCode == CodeReturnLoss)
            return {20 * Log10Safe(m), polar.im * RadToDeg};
        // A lossless load has no finite SWR; a negative resistance (|rho| > 1)
        // reads a negative SWR, shown as computed.
        if (m == 1)
            return {SwrLimit, 0};
        return {(1 + m) / (1 - m), 0};
    }
    case CodeSeries:
        return CFromPolar({p.re, p.im * DegToRad});
    case CodeParallel:
        return SeriesToParallel(CFromPolar({p.re, p.im * DegToRad}));
    default:
        return p;
    }
}

} // namespace orbilan::cal
