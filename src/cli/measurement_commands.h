// orbilan-cli calibrate and measure: what their command lines mean, and the
// runs themselves (on the window model, see program_run.h).
#pragma once

#include <string>
#include <vector>

#include "cli/instrument_options.h"
#include "cli/program_run.h"

namespace orbilan::cli {

enum class OutputKind { Csv, Touchstone1, Touchstone2 };

struct CalibrateArgs {
    std::string help;         // the help text, when --help asked for it
    InstrumentOptions instrument;
    int mode = -1;            // MeasMode: 0 transmission, 1 reflection
    SweepRequest sweep;
    std::string output;
    bool quiet = false;
};

struct MeasureArgs {
    std::string help;
    InstrumentOptions instrument;
    int mode = -1;            // MeasMode: 0 transmission, 1 reflection, 2 group delay
    std::string calFile;
    SweepRequest sweep;
    std::string display;      // an entry of the display list, "" for the mode's first
    std::string aperture;     // group delay only, Hz as typed
    int sweeps = 1;
    std::string output;
    OutputKind kind = OutputKind::Csv;
    std::string comment;      // the comment line of a .csv
    std::string limitsFile;   // limit lines every sweep is checked against
    bool quiet = false;
};

// Both throw UsageError on bad usage.
CalibrateArgs parseCalibrateArgs(const std::vector<std::string>& args);
MeasureArgs parseMeasureArgs(const std::vector<std::string>& args);

// The file of sweep `n` of `count`: the output itself for one sweep, else
// the number before the extension ("out.s1p" -> "out-2.s1p").
std::string numberedOutput(const std::string& output, int n, int count);

// The commands with their streams given; the exit status. measure returns
// 3 when a point of a sweep lies outside its --limits.
int calibrateCommand(const std::vector<std::string>& args, CommandIo io);
int measureCommand(const std::vector<std::string>& args, CommandIo io);

} // namespace orbilan::cli
