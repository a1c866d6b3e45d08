// The subcommands of orbilan-cli. Each takes the arguments after its name and
// returns the process exit status: 0 success, 1 a measurement or file error,
// 2 bad usage.
#pragma once

#include <string>
#include <vector>

namespace orbilan::cli {

using Args = std::vector<std::string>;

int runConfig(const Args& args);
int runSession(const Args& args);
int runCalibrate(const Args& args);
int runMeasure(const Args& args);
int runAnalyse(const Args& args);
int runServe(const Args& args);
int runTdr(const Args& args);
int runDevices(const Args& args);

} // namespace orbilan::cli
