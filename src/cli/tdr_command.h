// orbilan-cli tdr: a reflection measurement in a Touchstone file turned into
// time domain, one CSV row per time point.
#pragma once

#include <string>
#include <vector>

#include "analysis/tdr.h"
#include "cli/program_run.h"

namespace orbilan::cli {

struct TdrArgs {
    std::string help;               // the help text, when --help asked for it
    std::string input;              // the .s1p file
    analysis::TdrOptions options;
    double velocityFactor = 1;
    double maxDistance = 0;         // metres; 0 for the whole alias-free range
    std::string output;
    bool quiet = false;
};

// Throws UsageError on bad usage.
TdrArgs parseTdrArgs(const std::vector<std::string>& args);

// The CSV text: the header line, then one row per time point up to
// maxDistance metres (all rows for 0). Lines end in CR-LF, numbers use a
// period whatever the locale.
std::string TdrCsv(const analysis::TdrResult& result, double velocityFactor, double maxDistance);

int tdrCommand(const std::vector<std::string>& args, CommandIo io);

} // namespace orbilan::cli
