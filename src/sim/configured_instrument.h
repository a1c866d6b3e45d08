// The simulated instrument made as the program's configuration describes it,
// each time start-up reads vna.ini: the ADC type the file names (a real
// instrument's ADC is what it is, and the program can only be told; the
// simulator must be the instrument the program was told of, or its timing
// and the sweep panel's estimate disagree), and the load standard that
// auto-follow connects for "reference load", so that a calibration models
// what is really connected. Front ends hand this to
// MainWindow::onConfigurationRead.
#pragma once

#include <string>

#include "app/settings.h"

namespace orbilan::sim {

// "" when the simulator took everything, else why a setting stays as it was.
std::string configureSimulator(const app::Settings& settings);

} // namespace orbilan::sim
