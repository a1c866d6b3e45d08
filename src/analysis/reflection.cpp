#include "analysis/reflection.h"

#include <cmath>

#include "analysis/bandwidth.h"

namespace orbilan::analysis {

std::optional<MinimumSwr> FindMinimumSwr(const Trace& t)
{
    if (t.s.empty())
        return std::nullopt;
    std::size_t best = 0;
    for (std::size_t k = 1; k < t.s.size(); ++k)
        if (std::abs(t.s[k]) < std::abs(t.s[best]))
            best = k;
    return MinimumSwr{best, t.hz[best], SwrOf(t.s[best])};
}

std::optional<Resonance> FindResonance(const Trace& t)
{
    const auto minimum = FindMinimumSwr(t);
    if (!minimum)
        return std::nullopt;
    // Points whose reactance is exactly zero (a purely resistive reading)
    // carry no sign; a crossing runs between neighbours that do.
    std::optional<std::size_t> previous;
    std::optional<Resonance> best;
    double bestDistance = INFINITY;
    for (std::size_t k = 0; k < t.s.size(); ++k) {
        const double im = t.s[k].imag();
        if (im == 0 || !std::isfinite(im))
            continue;
        if (previous && (t.s[*previous].imag() < 0) != (im < 0)) {
            const std::size_t a = *previous;
            const double hz = Crossing(t.hz[a], t.s[a].imag(), t.hz[k], im, 0);
            const double distance = std::fabs(hz - minimum->hz);
            if (distance < bestDistance) {
                const double f = (hz - t.hz[a]) / (t.hz[k] - t.hz[a]);
                const Cx gamma = t.s[a] + (t.s[k] - t.s[a]) * f;
                best = Resonance{hz, ImpedanceOf({gamma.real(), 0}, t.z0).real()};
                bestDistance = distance;
            }
        }
        previous = k;
    }
    return best;
}

std::optional<SwrBand> FindSwrBand(const Trace& t, double swr)
{
    const auto minimum = FindMinimumSwr(t);
    if (!minimum || !(swr > 1) || !std::isfinite(swr) || !(minimum->swr <= swr))
        return std::nullopt;
    SwrBand band;
    band.swr = swr;
    band.minimum = *minimum;
    // SWR <= S where |rho| <= (S - 1)/(S + 1); |rho| stays finite where the
    // SWR does not, so the edges are interpolated on it.
    const double level = (swr - 1) / (swr + 1);
    auto rho = [&t](std::size_t k) { return std::abs(t.s[k]); };
    const std::size_t m = minimum->index;
    for (std::size_t k = m; k-- > 0;) {
        if (rho(k) > level) {
            band.lowHz = Crossing(t.hz[k + 1], rho(k + 1), t.hz[k], rho(k), level);
            break;
        }
    }
    for (std::size_t k = m + 1; k < t.s.size(); ++k) {
        if (rho(k) > level) {
            band.highHz = Crossing(t.hz[k - 1], rho(k - 1), t.hz[k], rho(k), level);
            break;
        }
    }
    return band;
}

} // namespace orbilan::analysis
