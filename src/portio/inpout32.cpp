#include "portio/inpout32.h"
#include "portio/parport_access.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dlfcn.h>
#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

enum class Route { Undecided, Hardware, Simulator };

struct PortAccess {
    Route route = Route::Undecided;
    // simulated instrument
    void (*simOut)(std::uint16_t, std::uint16_t) = nullptr;
    std::uint16_t (*simIn)(std::uint16_t) = nullptr;
    // ppdev
    std::string device;
    int fd = -1;
    bool tried = false;
    std::chrono::steady_clock::time_point lastTry;
    bool reported = false;
};

PortAccess& access()
{
    static PortAccess a;
    return a;
}

// One message per process: the program polls the port thousands of times.
void report(const std::string& text)
{
    PortAccess& a = access();
    if (a.reported)
        return;
    a.reported = true;
    std::fprintf(stderr, "libinpout32: %s\n", text.c_str());
}

void loadSimulator(PortAccess& a)
{
    void* handle = nullptr;
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&Out32), &info) && info.dli_fname) {
        std::string own(info.dli_fname);
        std::size_t slash = own.rfind('/');
        if (slash != std::string::npos)
            handle = dlopen((own.substr(0, slash + 1) + "libkespsim.so").c_str(), RTLD_NOW);
    }
    // Only beside this library, as installed: never by the loader's search.
    if (!handle) {
        const char* why = dlerror();
        report(std::string("ORBILAN_SIMULATE=1, but the simulator libkespsim.so cannot be loaded: ") +
               (why ? why : "not found"));
        return;
    }
    a.simOut = reinterpret_cast<void (*)(std::uint16_t, std::uint16_t)>(dlsym(handle, "kesp_sim_port_out"));
    a.simIn = reinterpret_cast<std::uint16_t (*)(std::uint16_t)>(dlsym(handle, "kesp_sim_port_in"));
    if (!a.simOut || !a.simIn) {
        a.simOut = nullptr;
        a.simIn = nullptr;
        report("libkespsim.so lacks kesp_sim_port_out or kesp_sim_port_in");
    }
}

PortAccess& ready()
{
    PortAccess& a = access();
    if (a.route != Route::Undecided)
        return a;
    const char* simulate = std::getenv("ORBILAN_SIMULATE");
    if (simulate && std::strcmp(simulate, "1") == 0) {
        a.route = Route::Simulator;
        loadSimulator(a);
    } else {
        a.route = Route::Hardware;
        const char* device = std::getenv("ORBILAN_PARPORT");
        a.device = device && *device ? device : "/dev/parport0";
    }
    return a;
}

bool hardwareOpen(PortAccess& a)
{
    if (a.fd >= 0)
        return true;
    const auto now = std::chrono::steady_clock::now();
    if (a.tried && now - a.lastTry < std::chrono::seconds(1))
        return false;
    a.tried = true;
    a.lastTry = now;
    int fd = ::open(a.device.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        report(portio::OpenFailureText(a.device, errno));
        return false;
    }
    if (ioctl(fd, PPCLAIM) < 0) {
        const int error = errno;
        ::close(fd);
        report(portio::ClaimFailureText(a.device, error));
        return false;
    }
    // Plain compatibility mode: the data lines follow every write directly.
    int mode = IEEE1284_MODE_COMPAT;
    ioctl(fd, PPSETMODE, &mode);
    a.fd = fd;
    return true;
}

} // namespace

extern "C" int Out32(short port, short value)
{
    PortAccess& a = ready();
    const auto address = static_cast<std::uint16_t>(port);
    if (a.route == Route::Simulator) {
        if (!a.simOut)
            return 0;
        a.simOut(address, static_cast<std::uint16_t>(value & 0xFF));
        return 1;
    }
    if (!hardwareOpen(a))
        return 0;
    unsigned char byte = static_cast<unsigned char>(value & 0xFF);
    switch (address & 3) {
    case 0: return ioctl(a.fd, PPWDATA, &byte) == 0 ? 1 : 0;
    case 2: return ioctl(a.fd, PPWCONTROL, &byte) == 0 ? 1 : 0;
    default: return 0; // the status register is read-only
    }
}

extern "C" short Inp32(short port)
{
    PortAccess& a = ready();
    const auto address = static_cast<std::uint16_t>(port);
    if (a.route == Route::Simulator)
        return a.simIn ? static_cast<short>(a.simIn(address) & 0xFF) : 0;
    if (!hardwareOpen(a))
        return 0;
    unsigned char byte = 0;
    int result = -1;
    switch (address & 3) {
    case 0: result = ioctl(a.fd, PPRDATA, &byte); break;
    case 1: result = ioctl(a.fd, PPRSTATUS, &byte); break;
    case 2: result = ioctl(a.fd, PPRCONTROL, &byte); break;
    default: return 0xFF;
    }
    return result == 0 ? static_cast<short>(byte) : 0;
}
