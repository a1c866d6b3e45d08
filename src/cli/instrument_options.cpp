#include "cli/instrument_options.h"

#include <cstdint>

#if ORBILAN_HAVE_KESPSIM
#include "sim/configured_instrument.h"
#include "sim/kesp_sim.h"

#include <iostream>
#endif

namespace orbilan::cli {

void addInstrumentOptions(OptionParser& parser, InstrumentOptions& options)
{
    // The simulator's own options, noted so that they cannot go unheeded.
    auto simulator = [&options](OptionParser::Check check, std::string* into) {
        return [&options, check, into](const std::string& option, const std::string& text) {
            if (std::string why = check ? check(option, text) : std::string(); !why.empty())
                throw UsageError{why, {}};
            options.simulatorOption = option;
            if (into)
                *into = text;
        };
    };
    parser.section("instrument options:")
        .value("--ini", "DIR", "read vna.ini from DIR (default: the working folder)", options.program.iniDir,
               checkFolder)
        .flag("--simulate", "drive the simulated instrument", options.program.simulate)
        .value("--dut", "SPEC", "device connected at the start (open, short, load, thru, refl:R=100 ...)",
               simulator({}, &options.dut))
        .value("--seed", "N", "noise seed, so that runs repeat exactly",
               simulator(
                   [&options](const std::string& option, const std::string& text) {
                       std::uint64_t seed = 0;
                       std::string why = checkWholeNumber(option, text, 0, UINT64_MAX, seed);
                       if (why.empty())
                           options.seed = seed;
                       return why;
                   },
                   nullptr))
        .value("--sim-timing", "T", "instant (default) or realtime",
               simulator(
                   [](const std::string& option, const std::string& text) {
                       return text == "instant" || text == "realtime"
                                  ? std::string()
                                  : option + " is instant or realtime, not '" + text + "'";
                   },
                   &options.timing))
        .flag("--no-auto-follow", "calibration prompts do not connect the standards they ask for",
              options.noAutoFollow);
}

void checkInstrumentOptions(const InstrumentOptions& options)
{
    if (options.program.simulate)
        return;
    if (options.noAutoFollow || !options.simulatorOption.empty())
        throw UsageError{(options.noAutoFollow ? std::string("--no-auto-follow") : options.simulatorOption) +
                             " needs --simulate",
                         {}};
}

std::string startSimulator(const InstrumentOptions& options, SimulatorHooks& hooks)
{
    if (!options.program.simulate)
        return {};
#if ORBILAN_HAVE_KESPSIM
    kesp_sim_set_timing(options.timing == "instant" ? 0.0 : 1.0);
    if (options.seed)
        kesp_sim_set_seed(*options.seed);
    if (!options.dut.empty() && !kesp_sim_set_dut(options.dut.c_str()))
        return "--dut " + options.dut + ": " + kesp_sim_last_error();
    kesp_sim_set_auto_follow(options.autoFollow() ? 1 : 0);
    hooks.setDut = [](const std::string& spec) {
        return kesp_sim_set_dut(spec.c_str()) ? std::string() : std::string(kesp_sim_last_error());
    };
    if (options.autoFollow()) {
        hooks.prompt = [](const std::string& text) { kesp_sim_prompt(text.c_str()); };
        hooks.calibrationDone = [] { kesp_sim_calibration_done(); };
    }
    hooks.configured = [](const app::Settings& s) {
        if (const std::string why = sim::configureSimulator(s); !why.empty())
            std::cerr << "orbilan-cli: " << why << '\n';
    };
    return {};
#else
    (void)hooks;
    return "this build has no simulated instrument";
#endif
}

} // namespace orbilan::cli
