#include "analysis/bandwidth.h"

#include <cmath>

namespace orbilan::analysis {

double Bandwidth::centreHz() const { return std::sqrt(*lowHz * *highHz); }

double Crossing(double hzA, double va, double hzB, double vb, double level)
{
    if (va == vb)
        return hzA;
    return hzA + (level - va) * (hzB - hzA) / (vb - va);
}

std::optional<Bandwidth> FindBandwidth(const std::vector<double>& hz, const std::vector<double>& db, double drop)
{
    const std::size_t n = std::min(hz.size(), db.size());
    if (n == 0 || !(drop > 0) || !std::isfinite(drop))
        return std::nullopt;
    for (std::size_t k = 0; k < n; ++k)
        if (!std::isfinite(db[k]) || !std::isfinite(hz[k]))
            return std::nullopt;

    Bandwidth b;
    b.drop = drop;
    for (std::size_t k = 1; k < n; ++k)
        if (db[k] > db[b.peak])
            b.peak = k;
    b.peakHz = hz[b.peak];
    b.peakDb = db[b.peak];
    const double level = b.peakDb - drop;

    // Outward from the peak to the first point at or below the level; every
    // point passed on the way lies above it.
    for (std::size_t k = b.peak; k-- > 0;) {
        if (db[k] <= level) {
            b.lowHz = Crossing(hz[k + 1], db[k + 1], hz[k], db[k], level);
            break;
        }
    }
    for (std::size_t k = b.peak + 1; k < n; ++k) {
        if (db[k] <= level) {
            b.highHz = Crossing(hz[k - 1], db[k - 1], hz[k], db[k], level);
            break;
        }
    }
    return b;
}

} // namespace orbilan::analysis
