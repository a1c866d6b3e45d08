// orbilan-cli analyse: resonance, bandwidth and match of a Touchstone file.
#pragma once

#include <string>
#include <vector>

#include "cli/program_run.h"

namespace orbilan::cli {

struct AnalyseArgs {
    std::string help;  // the help text, when --help asked for it
    std::string file;
    double drop = 3;   // --drop N, dB below the peak
    double swr = 2;    // --swr S
    bool json = false;
};

// Throws UsageError on bad usage.
AnalyseArgs parseAnalyseArgs(const std::vector<std::string>& args);

// Exit status: 0 everything found, 1 a value could not be found (its line
// left out, the reason on the error stream), 2 bad usage or an unreadable
// file.
int analyseCommand(const std::vector<std::string>& args, CommandIo io);

} // namespace orbilan::cli
