// The options every command that starts the program shares: where vna.ini is
// read, and the simulated instrument with its device, noise seed, timing and
// auto-follow. Parsed and applied here once, so that `session`, `calibrate`
// and `measure` start the program the same way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/main_window.h"
#include "cli/option_parser.h"
#include "cli/session.h"

namespace orbilan::cli {

struct InstrumentOptions {
    app::ProgramOptions program;  // iniDir, simulate
    std::string dut;              // --dut SPEC
    std::optional<std::uint64_t> seed;
    std::string timing = "instant";
    bool noAutoFollow = false;
    std::string simulatorOption;  // the last simulator option given, "" for none

    bool autoFollow() const { return !noAutoFollow; }
    // Waits only pass for real on a real instrument or a real-time simulator.
    bool instant() const { return program.simulate && timing == "instant"; }
};

// Declares the shared options, under their own heading.
void addInstrumentOptions(OptionParser& parser, InstrumentOptions& options);

// The combination, once all options are read; throws UsageError.
void checkInstrumentOptions(const InstrumentOptions& options);

// Configures the simulated instrument (timing, seed, device, auto-follow)
// and fills the hooks a front end hands to the window. Does nothing without
// --simulate. "" on success, else why the simulator refused.
std::string startSimulator(const InstrumentOptions& options, SimulatorHooks& hooks);

} // namespace orbilan::cli
