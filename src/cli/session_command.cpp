// orbilan-cli session: options, the simulator's set-up, then the line loop.
#include <cstdint>
#include <iostream>

#include "cli/commands.h"
#include "cli/session.h"

#include "sim/kesp_sim.h"
#include "ui/number_text.h"

namespace orbilan::cli {

namespace {

void usage(std::ostream& out)
{
    out << "usage: orbilan-cli session [--simulate [--dut SPEC] [--seed N] [--sim-timing instant|realtime]\n"
           "                           [--no-auto-follow]] [--ini DIR]\n"
           "Reads one command per line from stdin and answers each with one line on stdout:\n"
           "ok, ok VALUE or error REASON, after one '> ' line per dialog the command caused.\n"
           "Commands: start, answer OK|Cancel|Yes|No|cancel, answer text \"...\", answer file \"PATH\",\n"
           "click NAME, type NAME \"TEXT\", key NAME \"KEYS\", choose NAME \"ENTRY\", focus NAME,\n"
           "leave NAME, after N COMMAND, get NAME.PROP, get NAME, get NAME(i), canvas \"PATH.png\",\n"
           "sim \"SPEC\", quit.\n"
           "  --ini DIR          read vna.ini from DIR (default: the working folder)\n"
           "  --simulate         drive the simulated instrument\n"
           "  --dut SPEC         device connected at the start (open, short, load, thru, refl:R=100 ...)\n"
           "  --seed N           noise seed, so that runs repeat exactly\n"
           "  --sim-timing T     instant (default) or realtime\n"
           "  --no-auto-follow   calibration prompts do not connect the standards they ask for\n";
}

bool parseSeed(const std::string& text, std::uint64_t& seed)
{
    if (text.empty() || text.size() > 19)
        return false;
    seed = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        seed = seed * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

} // namespace

int runSession(const Args& args)
{
    app::ProgramOptions options;
    std::string dut;
    std::string seedText;
    std::string timing = "instant";
    bool autoFollow = true;
    bool simOption = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        if (a == "--help" || a == "-h") {
            usage(std::cout);
            return 0;
        } else if (a == "--simulate") {
            options.simulate = true;
        } else if (a == "--ini") {
            if (!value(options.iniDir)) {
                std::cerr << "orbilan-cli session: --ini needs a folder\n";
                return 2;
            }
        } else if (a == "--dut" || a == "--seed" || a == "--sim-timing") {
            std::string& into = a == "--dut" ? dut : a == "--seed" ? seedText : timing;
            if (!value(into)) {
                std::cerr << "orbilan-cli session: " << a << " needs a value\n";
                return 2;
            }
            simOption = true;
        } else if (a == "--no-auto-follow") {
            autoFollow = false;
            simOption = true;
        } else {
            std::cerr << "orbilan-cli session: unexpected argument '" << a << "'\n";
            usage(std::cerr);
            return 2;
        }
    }
    if (simOption && !options.simulate) {
        std::cerr << "orbilan-cli session: --dut, --seed, --sim-timing and --no-auto-follow need --simulate\n";
        return 2;
    }
    if (timing != "instant" && timing != "realtime") {
        std::cerr << "orbilan-cli session: --sim-timing is instant or realtime\n";
        return 2;
    }
    std::uint64_t seed = 0;
    if (!seedText.empty() && !parseSeed(seedText, seed)) {
        std::cerr << "orbilan-cli session: --seed needs a whole number\n";
        return 2;
    }

    SimulatorHooks hooks;
    const bool instant = timing == "instant";
    if (options.simulate) {
        kesp_sim_set_timing(instant ? 0.0 : 1.0);
        if (!seedText.empty())
            kesp_sim_set_seed(seed);
        if (!dut.empty() && !kesp_sim_set_dut(dut.c_str())) {
            std::cerr << "orbilan-cli session: --dut " << dut << ": " << kesp_sim_last_error() << '\n';
            return 2;
        }
        kesp_sim_set_auto_follow(autoFollow ? 1 : 0);
        hooks.setDut = [](const std::string& spec) {
            return kesp_sim_set_dut(spec.c_str()) ? std::string() : std::string(kesp_sim_last_error());
        };
        if (autoFollow) {
            hooks.prompt = [](const std::string& text) { kesp_sim_prompt(text.c_str()); };
            hooks.calibrationDone = [] { kesp_sim_calibration_done(); };
            // The standard connected for "reference load" is the one vna.ini
            // describes, so that a calibration models what is really there.
            hooks.configured = [](const app::Settings& s) {
                const std::string spec = "load:R=" + ui::shortestText(s.LoadStdR) + ",L="
                                         + ui::shortestText(s.LoadStdL) + "n,C=" + ui::shortestText(s.LoadStdC)
                                         + "p";
                if (!kesp_sim_set_load_standard(spec.c_str()))
                    std::cerr << "orbilan-cli session: the simulated load standard stays 50 ohm: "
                              << kesp_sim_last_error() << '\n';
            };
        }
    }

    Session session(std::cout, options, hooks);
    session.platform().realSleep = !(options.simulate && instant);
    return session.run(std::cin);
}

} // namespace orbilan::cli
