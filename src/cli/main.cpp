// orbilan-cli: the program's window models driven from a terminal.
#include <algorithm>
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "orbilan/build_version.h"

namespace {

struct Command {
    const char* name;
    const char* synopsis;
    const char* summary;
    int (*run)(const orbilan::cli::Args&);
};

// The commands as the help lists them; each parses its own options.
constexpr Command Commands[] = {
    {"config", "config [--dir DIR]", "read DIR/vna.ini as start-up does and list the settings",
     orbilan::cli::runConfig},
    {"session", "session [OPTIONS]", "drive the program's controls with a line protocol on stdin",
     orbilan::cli::runSession},
    {"calibrate", "calibrate [OPTIONS]", "run a calibration and write the calibration file",
     orbilan::cli::runCalibrate},
    {"measure", "measure [OPTIONS]", "measure with a calibration file and write CSV or Touchstone",
     orbilan::cli::runMeasure},
    {"analyse", "analyse FILE [OPTIONS]", "resonance, bandwidth and match of a Touchstone file",
     orbilan::cli::runAnalyse},
    {"serve", "serve [OPTIONS]", "serve SCPI commands to lab software over TCP (port 5025)", orbilan::cli::runServe},
    {"tdr", "tdr IN.s1p [OPTIONS]", "turn a reflection measurement into time domain (CSV)", orbilan::cli::runTdr},
    {"devices", "devices [--ini DIR]", "list the printer ports and USB instruments, and what stops their use",
     orbilan::cli::runDevices},
};

void usage(std::FILE* out)
{
    std::string text = "usage: orbilan-cli COMMAND [OPTIONS]\n"
                       "       orbilan-cli --version | --help\n"
                       "\n"
                       "commands:\n";
    for (const Command& c : Commands) {
        std::string line = std::string("  ") + c.synopsis;
        line.resize(std::max<std::size_t>(line.size() + 1, 25), ' ');
        text += line + c.summary + '\n';
    }
    text += "\n'orbilan-cli COMMAND --help' describes a command's options.\n";
    std::fputs(text.c_str(), out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        usage(stderr);
        return 2;
    }
    const std::string command = argv[1];
    const orbilan::cli::Args args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || command == "help") {
        usage(stdout);
        return 0;
    }
    if (command == "--version") {
        std::fputs(orbilan::versionLine("orbilan-cli").c_str(), stdout);
        return 0;
    }
    for (const Command& c : Commands)
        if (command == c.name || (command == "analyze" && c.run == orbilan::cli::runAnalyse))
            return c.run(args);
    std::fprintf(stderr, "orbilan-cli: unknown command '%s'\n", command.c_str());
    usage(stderr);
    return 2;
}
