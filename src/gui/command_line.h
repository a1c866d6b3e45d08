// The desktop program's command line.
#pragma once

#include <string>

#include <QStringList>

#include "app/main_window.h"

namespace orbilan::gui {

struct CommandLine {
    app::ProgramOptions options;
    bool help = false;
    bool version = false;
    int remotePort = -1; // --remote[=PORT]: serve SCPI clients on 127.0.0.1 (-1: not asked)
    std::string error; // set when the arguments make no sense
};

// `arguments` without the program name; Qt's own options are already taken
// out by QApplication. ORBILAN_SIMULATE=1 in the environment also selects the
// simulated instrument.
CommandLine parseCommandLine(const QStringList& arguments, bool simulateFromEnvironment);

std::string usageText();

} // namespace orbilan::gui
