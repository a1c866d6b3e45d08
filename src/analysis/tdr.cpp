#include "analysis/tdr.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>

#include <fftw3.h>

#include "ui/number_text.h"

namespace orbilan::analysis {

namespace {

using Cx = std::complex<double>;

std::string hzText(double hz) { return ui::formatGeneral(hz, 9) + " Hz"; }

std::size_t nextPowerOfTwo(std::size_t n)
{
    std::size_t p = 1;
    while (p < n)
        p <<= 1;
    return p;
}

// The transform length: a power of two, with at least eight samples in the
// period for every point of the sweep, so that a response is drawn smoothly
// and a peak is found to a small part of the resolution.
std::size_t transformLength(std::size_t points) { return std::max<std::size_t>(1024, nextPowerOfTwo(8 * (points + 1))); }

// FFTW's planner keeps global state and may not run in two threads at once;
// executing a plan may.
std::mutex& plannerLock()
{
    static std::mutex lock;
    return lock;
}

template <typename Make>
void runPlan(Make&& make)
{
    fftw_plan plan = nullptr;
    {
        std::lock_guard<std::mutex> hold(plannerLock());
        // FFTW_ESTIMATE plans without touching the arrays: the data already
        // in them stays.
        plan = make();
    }
    fftw_execute(plan);
    std::lock_guard<std::mutex> hold(plannerLock());
    fftw_destroy_plan(plan);
}

// sum over k of spectrum[k] e^{+j 2 pi k n / m} for a Hermitian spectrum
// given by its non-negative half (m / 2 + 1 values).
std::vector<double> inverseReal(std::vector<Cx> half, std::size_t m)
{
    std::vector<double> out(m);
    runPlan([&] {
        return fftw_plan_dft_c2r_1d(static_cast<int>(m), reinterpret_cast<fftw_complex*>(half.data()), out.data(),
                                    FFTW_ESTIMATE);
    });
    return out;
}

std::vector<Cx> inverseComplex(std::vector<Cx> in, std::size_t m)
{
    std::vector<Cx> out(m);
    runPlan([&] {
        return fftw_plan_dft_1d(static_cast<int>(m), reinterpret_cast<fftw_complex*>(in.data()),
                                reinterpret_cast<fftw_complex*>(out.data()), FFTW_BACKWARD, FFTW_ESTIMATE);
    });
    return out;
}

// The window over n points across the band, symmetric.
std::vector<double> windowWeights(const TdrWindow& window, std::size_t n)
{
    std::vector<double> w(n, 1.0);
    for (std::size_t i = 0; i < n && n > 1; ++i) {
        const double x = 2.0 * static_cast<double>(i) / static_cast<double>(n - 1) - 1.0;
        // Hann over n + 2 points with its two zero ends dropped.
        const double hannX = x * static_cast<double>(n - 1) / static_cast<double>(n + 1);
        w[i] = WindowWeight(window, window.shape == WindowShape::Hann ? hannX : x);
    }
    return w;
}

// Half the width of the window's main lobe, as a multiple of the lobe of no
// window at all (1 / full bandwidth).
double mainLobeFactor(const TdrWindow& window)
{
    switch (window.shape) {
    case WindowShape::None: return 1;
    case WindowShape::Hann: return 2;
    case WindowShape::Kaiser: return std::sqrt(1 + (window.beta / std::numbers::pi) * (window.beta / std::numbers::pi));
    }
    return 1;
}

bool finiteInput(const TdrInput& input, std::string& error)
{
    if (input.hz.size() != input.s11.size()) {
        error = "the frequencies and the reflection values differ in number";
        return false;
    }
    for (std::size_t i = 0; i < input.hz.size(); ++i) {
        if (!std::isfinite(input.hz[i]) || !std::isfinite(input.s11[i].real()) || !std::isfinite(input.s11[i].imag())) {
            error = "point " + std::to_string(i + 1) + " has no finite value";
            return false;
        }
    }
    if (!(input.z0 > 0) || !std::isfinite(input.z0)) {
        error = "the reference impedance is not a positive number";
        return false;
    }
    return true;
}

void fillTimes(TdrResult& r, std::size_t rows)
{
    r.time.resize(rows);
    for (std::size_t n = 0; n < rows; ++n)
        r.time[n] = static_cast<double>(n) * r.timeStep;
}

bool lowPass(const TdrInput& input, const TdrWindow& window, const FrequencyGrid& grid, TdrResult& r,
             std::string& error)
{
    if (!grid.harmonic) {
        error = "low-pass needs a harmonic sweep, every frequency a whole multiple of the step (start = step): " +
                grid.why;
        return false;
    }
    const std::size_t first = grid.hasDc ? 1 : 0;
    const std::size_t n = input.hz.size() - first; // points above DC, f_k = k df
    if (n < 2) {
        error = "low-pass needs at least two points above DC";
        return false;
    }
    const double df = grid.step;
    r.dcExtrapolated = !grid.hasDc;
    r.dc = grid.hasDc ? input.s11[0].real() : ExtrapolateDc(input.s11[0], input.s11[1]);

    // The band runs from -f_N to f_N: 2N + 1 points, the window centred on DC.
    const std::vector<double> w = windowWeights(window, 2 * n + 1);
    const std::size_t m = transformLength(2 * n + 1);
    std::vector<Cx> half(m / 2 + 1, Cx(0, 0));
    half[0] = r.dc * w[n];
    double weightSum = w[n];
    for (std::size_t k = 1; k <= n; ++k) {
        half[k] = w[n + k] * input.s11[first + k - 1];
        weightSum += 2 * w[n + k];
    }
    const std::vector<double> raw = inverseReal(std::move(half), m);

    r.bandwidth = static_cast<double>(n) * df;
    r.timeStep = 1.0 / (static_cast<double>(m) * df);
    // The running sum starts this many samples before time 0 (at the end of
    // the period), where the earlier half of a response at the reference
    // plane lies; the same samples at the end of the period are not shown.
    const auto guard = static_cast<std::size_t>(
        std::ceil(mainLobeFactor(window) * static_cast<double>(m) / static_cast<double>(n)));
    const std::size_t rows = guard < m / 2 ? m - guard : m / 2;
    double sum = 0;
    for (std::size_t i = rows; i < m; ++i)
        sum += raw[i] / static_cast<double>(m);

    fillTimes(r, rows);
    r.impulse.resize(rows);
    r.step.resize(rows);
    r.impedance.resize(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        sum += raw[i] / static_cast<double>(m);
        r.impulse[i] = raw[i] / weightSum;
        r.step[i] = sum;
        r.impedance[i] = ImpedanceOfReflection(sum, input.z0);
    }
    return true;
}

bool bandPass(const TdrInput& input, const TdrWindow& window, const FrequencyGrid& grid, TdrResult& r,
              std::string& error)
{
    if (!grid.even) {
        error = "the points are not evenly spaced: " + grid.why;
        return false;
    }
    const std::size_t n = input.hz.size();
    const std::vector<double> w = windowWeights(window, n);
    const std::size_t m = transformLength(n);
    std::vector<Cx> in(m, Cx(0, 0));
    double weightSum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        in[i] = w[i] * input.s11[i];
        weightSum += w[i];
    }
    const std::vector<Cx> out = inverseComplex(std::move(in), m);
    r.bandwidth = input.hz.back() - input.hz.front();
    r.timeStep = 1.0 / (static_cast<double>(m) * grid.step);
    fillTimes(r, m);
    r.impulse.resize(m);
    for (std::size_t i = 0; i < m; ++i)
        r.impulse[i] = std::abs(out[i]) / weightSum;
    return true;
}

} // namespace

double WindowWeight(const TdrWindow& window, double x)
{
    if (!(std::abs(x) <= 1))
        return 0;
    switch (window.shape) {
    case WindowShape::None: return 1;
    case WindowShape::Hann: return 0.5 * (1 + std::cos(std::numbers::pi * x));
    case WindowShape::Kaiser:
        return std::cyl_bessel_i(0.0, window.beta * std::sqrt(1 - x * x)) / std::cyl_bessel_i(0.0, window.beta);
    }
    return 1;
}

FrequencyGrid ExamineGrid(const std::vector<double>& hz)
{
    FrequencyGrid g;
    const std::size_t n = hz.size();
    if (n < 2) {
        g.why = n == 0 ? "there are no points" : "there is one point only";
        return g;
    }
    g.step = (hz.back() - hz.front()) / static_cast<double>(n - 1);
    if (!(g.step > 0) || !std::isfinite(g.step)) {
        g.why = "the frequencies do not rise";
        return g;
    }
    const double tolerance = GridTolerance * g.step;
    for (std::size_t i = 0; i < n; ++i) {
        const double expected = hz.front() + static_cast<double>(i) * g.step;
        if (!(std::abs(hz[i] - expected) <= tolerance)) {
            g.why = "point " + std::to_string(i + 1) + " at " + hzText(hz[i]) + " lies off the even grid (" +
                    hzText(expected) + ")";
            return g;
        }
    }
    g.even = true;
    g.hasDc = std::abs(hz.front()) <= tolerance;
    g.harmonic = g.hasDc || std::abs(hz.front() - g.step) <= tolerance;
    if (!g.harmonic)
        g.why = "the sweep starts at " + hzText(hz.front()) + ", not at its step " + hzText(g.step);
    return g;
}

bool InputOfSweep(const cal::MeasuredSweep& sweep, TdrInput& out, std::string& error)
{
    if (sweep.mode != 1) {
        error = "time domain needs a reflection sweep";
        return false;
    }
    out = TdrInput{};
    out.z0 = sweep.z0();
    for (std::size_t k = 0; k < sweep.size() && k < sweep.hz.size(); ++k) {
        out.hz.push_back(sweep.hz[k]);
        const cal::Complex s = cal::SParameterOf(sweep, k);
        out.s11.emplace_back(s.re, s.im);
    }
    return true;
}

double ExtrapolateDc(std::complex<double> first, std::complex<double> second)
{
    const double m1 = std::abs(first);
    const double m2 = std::abs(second);
    // Without a magnitude there is no phase to carry on: the straight line
    // through the complex values themselves.
    if (m1 < 1e-12 || m2 < 1e-12)
        return (2.0 * first - second).real();
    // A magnitude falling to zero before DC stays at zero.
    const double m0 = std::max(0.0, 2 * m1 - m2);
    // Phase 2 phi1 - phi2 whatever turns the phase made between the points.
    const Cx u1 = first / m1;
    const Cx u2 = second / m2;
    return m0 * (u1 * u1 * std::conj(u2)).real();
}

double ImpedanceOfReflection(double rho, double z0)
{
    constexpr double leastDenominator = 1e-9;
    return z0 * (1 + rho) / std::max(1 - rho, leastDenominator);
}

bool TimeDomain(const TdrInput& input, const TdrOptions& options, TdrResult& out, std::string& error)
{
    if (!finiteInput(input, error))
        return false;
    if (options.window.shape == WindowShape::Kaiser &&
        !(options.window.beta >= 0 && options.window.beta <= MaxKaiserBeta)) {
        error = "the Kaiser window's beta lies outside 0 to " + ui::formatGeneral(MaxKaiserBeta);
        return false;
    }
    const FrequencyGrid grid = ExamineGrid(input.hz);
    TdrResult r;
    r.mode = options.mode;
    r.z0 = input.z0;
    if (grid.step > 0)
        r.aliasFreeTime = 1.0 / grid.step;
    const bool done = options.mode == TdrMode::LowPass ? lowPass(input, options.window, grid, r, error)
                                                       : bandPass(input, options.window, grid, r, error);
    if (!done)
        return false;
    // Values far beyond any reflection coefficient can overflow in the sums.
    for (const std::vector<double>* v : {&r.impulse, &r.step, &r.impedance})
        for (double x : *v)
            if (!std::isfinite(x)) {
                error = "the reflection values are too large to transform";
                return false;
            }
    r.resolutionTime = 1.0 / r.bandwidth;
    out = std::move(r);
    return true;
}

} // namespace orbilan::analysis
