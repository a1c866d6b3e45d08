// orbilan-cli: the program's window models driven from a terminal.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/commands.h"
#include "orbilan/build_version.h"

namespace {

void usage(std::FILE* out)
{
    std::fputs("usage: orbilan-cli COMMAND [OPTIONS]\n"
               "\n"
               "commands:\n"
               "  config [--dir DIR]     read DIR/vna.ini as start-up does and list the settings\n"
               "  session [OPTIONS]      drive the program's controls with a line protocol on stdin\n"
               "  calibrate [OPTIONS]    run a calibration and write the calibration file\n"
               "  measure [OPTIONS]      measure with a calibration file and write CSV or Touchstone\n"
               "  analyse FILE [OPTIONS] resonance, bandwidth and match of a Touchstone file\n"
               "  serve [OPTIONS]        serve SCPI commands to lab software over TCP (port 5025)\n"
               "  tdr IN.s1p [OPTIONS]   turn a reflection measurement into time domain (CSV)\n"
               "  devices [--ini DIR]    list the printer ports and USB instruments, and what stops their use\n"
               "\n"
               "'orbilan-cli COMMAND --help' describes a command's options.\n",
               out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        usage(stderr);
        return 2;
    }
    const std::string command = argv[1];
    orbilan::cli::Args args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || command == "help") {
        usage(stdout);
        return 0;
    }
    if (command == "--version") {
        std::fputs(orbilan::versionLine("orbilan-cli").c_str(), stdout);
        return 0;
    }
    if (command == "config")
        return orbilan::cli::runConfig(args);
    if (command == "session")
        return orbilan::cli::runSession(args);
    if (command == "calibrate")
        return orbilan::cli::runCalibrate(args);
    if (command == "measure")
        return orbilan::cli::runMeasure(args);
    if (command == "analyse" || command == "analyze")
        return orbilan::cli::runAnalyse(args);
    if (command == "serve")
        return orbilan::cli::runServe(args);
    if (command == "tdr")
        return orbilan::cli::runTdr(args);
    if (command == "devices")
        return orbilan::cli::runDevices(args);
    std::fprintf(stderr, "orbilan-cli: unknown command '%s'\n", command.c_str());
    usage(stderr);
    return 2;
}
