#include <cstdlib>
#include <cstring>

#include "brindle/driver.h"

namespace brindle {

namespace {
Driver* replacement = nullptr;
}

Driver& driver()
{
    if (replacement)
        return *replacement;
    // Never destroyed: device objects still close their handles while the
    // process ends, after ordinary statics are gone.
    static Driver* chosen = [] {
        const char* simulate = std::getenv("ORBILAN_SIMULATE");
        const bool sim = simulate && std::strcmp(simulate, "1") == 0;
        return (sim ? makeSimulatorDriver() : makeUsbDriver()).release();
    }();
    return *chosen;
}

void useDriver(Driver* driver) { replacement = driver; }

std::string logFilePath()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/')
        return std::string(state) + "/orbilan/vnalog.txt";
    const char* home = std::getenv("HOME");
    if (home && *home)
        return std::string(home) + "/.local/state/orbilan/vnalog.txt";
    return {};
}

} // namespace brindle
