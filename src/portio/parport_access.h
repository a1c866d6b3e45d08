// Opening and claiming a printer port through Linux ppdev, and saying in
// words why one cannot be used and what fixes it. Shared by libinpout32.so
// and `orbilan-cli devices`, so that both give the same advice.
#pragma once

#include <string>
#include <vector>

namespace portio {

// Why `device` did not open (errno of open()), with the fix.
std::string OpenFailureText(const std::string& device, int error);
// Why the open `device` could not be claimed (errno of PPCLAIM), with the fix.
std::string ClaimFailureText(const std::string& device, int error);

// The printer-port devices present: every /dev/parportN, by number.
std::vector<std::string> ParportDevices();

struct ParportCheck {
    std::string device;
    bool usable = false;
    std::string problem; // why not, and the fix ("" when usable)
};
// Opens and claims the port once, and lets it go again.
ParportCheck CheckParport(const std::string& device);

} // namespace portio
