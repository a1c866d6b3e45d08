#include "cal/complex.h"

#include <cmath>

namespace orbilan::cal {

Complex CAdd(Complex a, Complex b) { return {a.re + b.re, a.im + b.im}; }
Complex CSub(Complex a, Complex b) { return {a.re - b.re, a.im - b.im}; }
Complex CMul(Complex a, Complex b) { return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re}; }
Complex CScale(Complex a, double k) { return {a.re * k, a.im * k}; }
Complex CConj(Complex a) { return {a.re, -a.im}; }

Complex CDiv(Complex a, Complex b)
{
    const double d = b.re * b.re + b.im * b.im + Tiny;
    return {(a.re * b.re + a.im * b.im) / d, (a.im * b.re - a.re * b.im) / d};
}

Complex CInv(Complex b) { return CDiv({1, 0}, b); }

Complex CToPolar(Complex z) { return {std::sqrt(z.re * z.re + z.im * z.im), PhaseAngle(z.im, z.re)}; }

Complex CFromPolar(Complex p) { return {p.re * std::cos(p.im), p.re * std::sin(p.im)}; }

double PhaseAngle(double y, double x)
{
    double ay = std::fabs(y);
    if (ay < Tiny)
        ay = Tiny;
    double ax = std::fabs(x);
    if (ax < Tiny)
        ax = Tiny;

    double angle;
    if (ay <= ax)
        angle = ay * 1000 < ax ? Tiny : std::atan(ay / ax);
    else
        angle = ax * 1000 < ay ? Pi / 2 : Pi / 2 - std::atan(ax / ay);

    if (x < 0)
        angle = Pi - angle;
    if (y < 0)
        angle = -angle;
    return angle;
}

double Log10Safe(double x)
{
    if (x == 0)
        return 0;
    return std::log(x) / std::log(10.0);
}

Complex SeriesToParallel(Complex z)
{
    double r = z.re;
    double x = z.im;
    if (x == 0)
        x = Tiny;
    if (r == 0)
        r = Tiny;
    return {r + x * x / r, x + r * r / x};
}

void ClearComplexArray(PointArray& a) { a.fill(Complex{}); }

} // namespace orbilan::cal
