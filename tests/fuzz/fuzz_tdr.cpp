// Any text as a one-port Touchstone file, transformed in either mode with any
// window: a transform either is refused with a reason, or gives finite
// responses of one length at rising times from 0, and low-pass only of a
// harmonic sweep.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "analysis/tdr.h"
#include "touchstone/touchstone.h"
#include "fuzz_check.h"

using namespace orbilan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    analysis::TdrOptions options;
    options.mode = (data[0] & 1) ? analysis::TdrMode::BandPass : analysis::TdrMode::LowPass;
    options.window.shape = static_cast<analysis::WindowShape>((data[0] >> 1) % 3);
    options.window.beta = data[1] / 8.0;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data + 2), size - 2));
    touchstone::Data t;
    std::string error;
    if (!touchstone::Parse(in, 1, t, error))
        return 0;
    analysis::TdrInput input;
    input.hz = t.hz;
    input.z0 = t.z0;
    for (const auto& s : t.s)
        input.s11.push_back(s[touchstone::S11]);

    analysis::TdrResult r;
    if (!analysis::TimeDomain(input, options, r, error)) {
        check(!error.empty());
        return 0;
    }
    const bool lowPass = options.mode == analysis::TdrMode::LowPass;
    check(!lowPass || analysis::ExamineGrid(input.hz).harmonic);
    check(r.size() > 0 && r.impulse.size() == r.size());
    check(r.step.size() == (lowPass ? r.size() : 0) && r.impedance.size() == r.step.size());
    check(r.time[0] == 0 && r.timeStep > 0 && std::isfinite(r.timeStep));
    check(r.aliasFreeTime > 0 && r.resolutionTime > 0 && std::isfinite(r.resolutionTime));
    for (std::size_t i = 0; i < r.size(); ++i) {
        check(std::isfinite(r.time[i]) && (i == 0 || r.time[i] > r.time[i - 1]));
        check(std::isfinite(r.impulse[i]));
        check(lowPass || r.impulse[i] >= 0);
        if (lowPass)
            check(std::isfinite(r.step[i]) && std::isfinite(r.impedance[i]));
    }
    return 0;
}
