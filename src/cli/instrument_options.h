// The options every command that starts the program shares: where vna.ini is
// read, and the simulated instrument with its device, noise seed, timing and
// auto-follow. Parsed and applied here once, so that `session`, `calibrate`
// and `measure` start the program the same way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "cli/session.h"

namespace orbilan::cli {

struct InstrumentOptions {
    app::ProgramOptions program;  // iniDir, simulate
    std::string dut;              // --dut SPEC
    std::string seedText;         // --seed N
    std::string timing = "instant";
    bool autoFollow = true;
    bool simOption = false;       // a simulator option was given

    // Waits only pass for real on a real instrument or a real-time simulator.
    bool instant() const { return program.simulate && timing == "instant"; }
};

enum class OptionTaken { No, Yes, Error };

// Takes args[i] when it is one of the shared options, moving i past its
// value. On Error, `error` says what is wrong (without the command's name).
OptionTaken takeInstrumentOption(const std::vector<std::string>& args, std::size_t& i, InstrumentOptions& options,
                                 std::string& error);

// Checks the combination once all options are read; "" when it is sound.
std::string checkInstrumentOptions(const InstrumentOptions& options);

// Configures the simulated instrument (timing, seed, device, auto-follow)
// and fills the hooks a front end hands to the window. Does nothing without
// --simulate. "" on success, else why the simulator refused.
std::string startSimulator(const InstrumentOptions& options, SimulatorHooks& hooks);

// The usage lines of the shared options.
extern const char* const InstrumentOptionsHelp;

} // namespace orbilan::cli
