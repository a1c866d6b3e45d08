// orbilan-cli session: options, the simulator's set-up, then the line loop.
#include <iostream>

#include <unistd.h>

#include "cli/commands.h"
#include "cli/instrument_options.h"
#include "cli/session.h"

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
        << InstrumentOptionsHelp;
}

} // namespace

int runSession(const Args& args)
{
    InstrumentOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            usage(std::cout);
            return 0;
        }
        std::string error;
        const OptionTaken taken = takeInstrumentOption(args, i, options, error);
        if (taken == OptionTaken::Error) {
            std::cerr << "orbilan-cli session: " << error << '\n';
            return 2;
        }
        if (taken == OptionTaken::No) {
            std::cerr << "orbilan-cli session: unexpected argument '" << a << "'\n";
            usage(std::cerr);
            return 2;
        }
    }
    if (const std::string why = checkInstrumentOptions(options); !why.empty()) {
        std::cerr << "orbilan-cli session: " << why << '\n';
        return 2;
    }

    SimulatorHooks hooks;
    if (const std::string why = startSimulator(options, hooks); !why.empty()) {
        std::cerr << "orbilan-cli session: " << why << '\n';
        return 2;
    }

    Session session(std::cout, options.program, hooks);
    session.platform().realSleep = !options.instant();
    // Read as lines arrive, so that a running sweep can look for them.
    FdLineSource input(STDIN_FILENO);
    return session.run(input);
}

} // namespace orbilan::cli
