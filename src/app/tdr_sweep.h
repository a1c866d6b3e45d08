// The sweep a low-pass time-domain transform needs, set as a user sets it:
// the sweep panel opened, Start+End chosen, start = step and the end typed in
// hertz, the steps typed into their list, OK clicked, every action through
// UserInput. The panel's own checks and handlers decide, so the sweep is
// exactly one the user could have set by hand.
#pragma once

#include <cstdint>
#include <string>

namespace orbilan::app {

class MainWindow;

struct TdrSweepOutcome {
    bool set = false;
    std::string text; // what was set and what comes next, or why nothing was
};

// The whole multiples of stop / (steps + 1), rounded down to whole hertz, up
// to at most `stop` (sweep::HarmonicBounds).
TdrSweepOutcome SetTdrSweep(MainWindow& window, std::int32_t stopHz, int steps);

} // namespace orbilan::app
