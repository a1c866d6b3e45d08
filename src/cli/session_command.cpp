// orbilan-cli session: options, the simulator's set-up, then the line loop.
#include <iostream>

#include <unistd.h>

#include "cli/commands.h"
#include "cli/instrument_options.h"
#include "cli/program_run.h"
#include "cli/session.h"

namespace orbilan::cli {

namespace {

int session(const Args& args)
{
    InstrumentOptions options;
    OptionParser p("usage: orbilan-cli session [--simulate [--dut SPEC] [--seed N] [--sim-timing instant|realtime]\n"
                   "                           [--no-auto-follow]] [--ini DIR]\n",
                   "Reads one command per line from stdin and answers each with one line on stdout:\n"
                   "ok, ok VALUE or error REASON, after one '> ' line per dialog the command caused.\n"
                   "Commands: start, answer OK|Cancel|Yes|No|cancel, answer text \"...\", answer file \"PATH\",\n"
                   "click NAME, type NAME \"TEXT\", key NAME \"KEYS\", choose NAME \"ENTRY\", focus NAME,\n"
                   "leave NAME, after N COMMAND, get NAME.PROP, get NAME, get NAME(i), canvas \"PATH.png\",\n"
                   "sim \"SPEC\", quit.\n");
    addInstrumentOptions(p, options);
    if (!p.parse(args)) {
        std::cout << p.help();
        return 0;
    }
    checkInstrumentOptions(options);

    SimulatorHooks hooks;
    if (const std::string why = startSimulator(options, hooks); !why.empty())
        throw CommandFailed{2, why};

    Session session(std::cout, options.program, hooks);
    session.platform().realSleep = !options.instant();
    // Read as lines arrive, so that a running sweep can look for them.
    FdLineSource input(STDIN_FILENO);
    return session.run(input);
}

} // namespace

int runSession(const Args& args) { return reportFailures("session", std::cerr, [&] { return session(args); }); }

} // namespace orbilan::cli
