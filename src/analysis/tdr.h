// Time domain from a reflection sweep: the impulse and step response of the
// device and its impedance against time and distance, as a TDR instrument
// would show them.
//
// Low-pass (the default) needs a harmonic sweep, f_k = k x df: the DC point
// is extrapolated from the lowest points (a reflection coefficient is real at
// DC), the spectrum mirrored to a Hermitian one, windowed and transformed
// back, so that the impulse is real, the step response is its running sum and
// Z(t) = Z0 (1 + step) / (1 - step). Band-pass takes any evenly spaced sweep
// and gives the impulse magnitude only.
//
// Both responses are scaled in units of the reflection coefficient: a lone
// reflection rho far from any other gives an impulse of height rho and a step
// of height rho.
#pragma once

#include <complex>
#include <string>
#include <vector>

#include "cal/measured_sweep.h"

namespace orbilan::analysis {

inline constexpr double SpeedOfLight = 299792458.0; // m/s
inline constexpr double MetresPerFoot = 0.3048;

enum class TdrMode { LowPass, BandPass };
enum class WindowShape { None, Hann, Kaiser };

struct TdrWindow {
    WindowShape shape = WindowShape::Kaiser;
    double beta = 6;      // Kaiser only; 0 is no window, larger is smoother
};
inline constexpr double MaxKaiserBeta = 30;

// The shape of the window at x in [-1, 1] (0 the middle, 1 the edge): 1 in
// the middle. Across the band Kaiser runs from edge to edge; Hann is
// stretched so that its zeros fall one point beyond the band, where they
// would only weigh points that are not there.
double WindowWeight(const TdrWindow& window, double x);

// How the frequencies of a sweep lie.
struct FrequencyGrid {
    bool even = false;       // evenly spaced (within the tolerance below)
    bool harmonic = false;   // even, and every frequency a whole multiple of the step
    bool hasDc = false;      // the first point is 0 Hz
    double step = 0;         // Hz between points
    std::string why;         // why it is not even, or not harmonic
};

// A frequency may stray from its place on the grid by a thousandth of the
// step: the rounding of a sweep's points to whole hertz stays far inside it,
// and at the end of the alias-free range the phase error it causes is below
// half a degree.
inline constexpr double GridTolerance = 1e-3;

FrequencyGrid ExamineGrid(const std::vector<double>& hz);

struct TdrInput {
    std::vector<double> hz;                    // rising
    std::vector<std::complex<double>> s11;     // same length
    double z0 = 50;
};

// S11 of a reflection sweep as the program measured it; false for another
// mode.
bool InputOfSweep(const cal::MeasuredSweep& sweep, TdrInput& out, std::string& error);

struct TdrOptions {
    TdrMode mode = TdrMode::LowPass;
    TdrWindow window;
};

struct TdrResult {
    TdrMode mode = TdrMode::LowPass;
    double z0 = 50;
    double timeStep = 0;        // s between samples
    double aliasFreeTime = 0;   // s, round trip: 1 / step of the sweep
    double bandwidth = 0;       // Hz transformed: the top frequency (low-pass) or the span (band-pass)
    double resolutionTime = 0;  // s, round trip: 1 / bandwidth
    double dc = 0;              // low-pass: the reflection coefficient at DC that was used
    bool dcExtrapolated = false;

    // One sample every timeStep from time 0. Low-pass stops short of the
    // alias-free range by twice the half width of the window's main lobe:
    // that part of the period holds the responses just before time 0, where
    // the running sum starts, so that a step at the reference plane reads
    // its full height.
    std::vector<double> time;       // s, round trip
    std::vector<double> impulse;    // low-pass: real; band-pass: magnitude
    std::vector<double> step;       // low-pass only: the reflection coefficient seen up to that time
    std::vector<double> impedance;  // low-pass only: ohm

    std::size_t size() const { return time.size(); }
};

// The responses of the sweep. False with a reason when the mode cannot be
// had from it: too few points, frequencies not evenly spaced, or, for
// low-pass, not harmonic.
bool TimeDomain(const TdrInput& input, const TdrOptions& options, TdrResult& out, std::string& error);

// The reflection coefficient at DC of a harmonic sweep without a DC point:
// magnitude and phase each carried on in a straight line from the two lowest
// points, the real part of the result. A line of any length ending in a
// resistor, an open or a short gives its DC value exactly.
double ExtrapolateDc(std::complex<double> first, std::complex<double> second);

// One-way distance of a round-trip time on a line of the velocity factor.
inline double DistanceOfTime(double seconds, double velocityFactor)
{
    return seconds * SpeedOfLight * velocityFactor / 2;
}
inline double TimeOfDistance(double metres, double velocityFactor)
{
    return 2 * metres / (SpeedOfLight * velocityFactor);
}

// Z0 (1 + rho) / (1 - rho) for a real rho; rho at 1 (an open) gives a
// large finite value rather than infinity.
double ImpedanceOfReflection(double rho, double z0);

} // namespace orbilan::analysis
