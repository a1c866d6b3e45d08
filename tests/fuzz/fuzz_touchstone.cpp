// Any text as a Touchstone file, one-port or two-port: what the reader
// accepts has at least one point, frequencies that are finite, not negative
// and rising, finite S parameters, and (once the simulator's bench has
// referred it to 50 ohm) a response usable at any frequency.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "touchstone/touchstone.h"
#include "fuzz_check.h"

namespace {

using namespace orbilan::touchstone;

bool finite(Cx z) { return std::isfinite(z.real()) && std::isfinite(z.imag()); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int ports = (data[0] & 1) ? 2 : 1;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    Data t;
    std::string error;
    if (!Parse(in, ports, t, error)) {
        check(!error.empty());
        return 0;
    }
    check(t.z0 > 0 && std::isfinite(t.z0));
    if (!Renormalise(t, 50, error)) {
        check(!error.empty());
        return 0;
    }
    check(t.ports == ports);
    check(!t.hz.empty());
    check(t.hz.size() == t.s.size());
    for (std::size_t i = 0; i < t.hz.size(); ++i) {
        check(std::isfinite(t.hz[i]) && t.hz[i] >= 0);
        check(i == 0 || t.hz[i] > t.hz[i - 1]);
        for (const Cx& z : t.s[i])
            check(finite(z));
    }
    // Between points, at them and beyond both ends.
    const double probes[] = {0, t.hz.front(), (t.hz.front() + t.hz.back()) / 2, t.hz.back(), t.hz.back() * 2 + 1};
    for (double hz : probes)
        for (Param p : {S11, S21, S12, S22})
            check(finite(At(t, p, hz)));
    return 0;
}
