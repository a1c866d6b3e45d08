#include "cli/instrument_options.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "cli/option_values.h"

#if ORBILAN_HAVE_KESPSIM
#include "sim/configured_instrument.h"
#include "sim/kesp_sim.h"

#include <iostream>
#endif

namespace orbilan::cli {

namespace {

bool parseSeed(const std::string& text, std::uint64_t& seed)
{
    return checkWholeNumber("--seed", text, 0, UINT64_MAX, seed).empty();
}

} // namespace

const char* const InstrumentOptionsHelp =
    "  --ini DIR          read vna.ini from DIR (default: the working folder)\n"
    "  --simulate         drive the simulated instrument\n"
    "  --dut SPEC         device connected at the start (open, short, load, thru, refl:R=100 ...)\n"
    "  --seed N           noise seed, so that runs repeat exactly\n"
    "  --sim-timing T     instant (default) or realtime\n"
    "  --no-auto-follow   calibration prompts do not connect the standards they ask for\n";

OptionTaken takeInstrumentOption(const std::vector<std::string>& args, std::size_t& i, InstrumentOptions& options,
                                 std::string& error)
{
    const std::string& a = args[i];
    auto value = [&](std::string& into) {
        if (i + 1 >= args.size())
            return false;
        into = args[++i];
        return true;
    };
    if (a == "--simulate") {
        options.program.simulate = true;
        return OptionTaken::Yes;
    }
    if (a == "--ini") {
        if (!value(options.program.iniDir)) {
            error = "--ini needs a folder";
            return OptionTaken::Error;
        }
        // A mistyped folder would quietly give the defaults, the instrument
        // perhaps on the wrong port: refused, as the desktop program does.
        std::error_code ec;
        if (!std::filesystem::is_directory(options.program.iniDir, ec)) {
            error = "--ini: no folder " + options.program.iniDir;
            return OptionTaken::Error;
        }
        return OptionTaken::Yes;
    }
    if (a == "--dut" || a == "--seed" || a == "--sim-timing") {
        std::string& into = a == "--dut" ? options.dut : a == "--seed" ? options.seedText : options.timing;
        if (!value(into)) {
            error = a + " needs a value";
            return OptionTaken::Error;
        }
        options.simOption = true;
        return OptionTaken::Yes;
    }
    if (a == "--no-auto-follow") {
        options.autoFollow = false;
        options.simOption = true;
        return OptionTaken::Yes;
    }
    return OptionTaken::No;
}

std::string checkInstrumentOptions(const InstrumentOptions& options)
{
    if (options.simOption && !options.program.simulate)
        return "--dut, --seed, --sim-timing and --no-auto-follow need --simulate";
    if (options.timing != "instant" && options.timing != "realtime")
        return "--sim-timing is instant or realtime";
    std::uint64_t seed = 0;
    if (!options.seedText.empty())
        if (std::string why = checkWholeNumber("--seed", options.seedText, 0, UINT64_MAX, seed); !why.empty())
            return why;
    return {};
}

std::string startSimulator(const InstrumentOptions& options, SimulatorHooks& hooks)
{
    if (!options.program.simulate)
        return {};
#if ORBILAN_HAVE_KESPSIM
    kesp_sim_set_timing(options.timing == "instant" ? 0.0 : 1.0);
    std::uint64_t seed = 0;
    if (!options.seedText.empty() && parseSeed(options.seedText, seed))
        kesp_sim_set_seed(seed);
    if (!options.dut.empty() && !kesp_sim_set_dut(options.dut.c_str()))
        return "--dut " + options.dut + ": " + kesp_sim_last_error();
    kesp_sim_set_auto_follow(options.autoFollow ? 1 : 0);
    hooks.setDut = [](const std::string& spec) {
        return kesp_sim_set_dut(spec.c_str()) ? std::string() : std::string(kesp_sim_last_error());
    };
    if (options.autoFollow) {
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
