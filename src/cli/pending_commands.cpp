// Seam: commands whose front end is not built yet.
#include <iostream>

#include "cli/commands.h"

namespace orbilan::cli {

static int notYet(const char* name)
{
    std::cerr << "orbilan-cli " << name << ": not available in this build yet\n";
    return 2;
}

int runCalibrate(const Args&) { return notYet("calibrate"); }
int runMeasure(const Args&) { return notYet("measure"); }

} // namespace orbilan::cli
