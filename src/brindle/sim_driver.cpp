// The simulated instrument behind the driver seam: bulk transfers go to
// libkespsim.so, which is looked up beside this library. The descriptor reads
// and the controller hold/run request are answered here, as a real
// controller would answer them.
#include <dlfcn.h>

#include <cstring>
#include <string>

#include "brindle/driver.h"

namespace brindle {

namespace {

constexpr std::uint16_t SimVendorId = 0x0547;
constexpr std::uint16_t SimProductId = 0x2131;

std::string ownFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ownFolder), &info) && info.dli_fname) {
        std::string path = info.dli_fname;
        const auto slash = path.rfind('/');
        if (slash != std::string::npos)
            return path.substr(0, slash + 1);
    }
    return {};
}

class SimulatorDriver : public Driver {
public:
    Handle open(const std::string& name) override
    {
        // One simulated instrument, the first device.
        if (name.empty() || name.back() != '0' || !bind())
            return InvalidHandle;
        return 1;
    }

    bool control(Handle handle, std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                 std::uint32_t outSize, std::uint32_t& returned) override
    {
        returned = 0;
        if (handle != 1)
            return false;
        switch (code) {
        case IoctlGetDeviceDescriptor: {
            const unsigned char d[18] = {18,   1,    0x10, 0x01, 0xFF, 0xFF, 0xFF, 64,
                                         SimVendorId & 0xFF, SimVendorId >> 8, SimProductId & 0xFF, SimProductId >> 8,
                                         0x01, 0x00, 0,    0,    0,    1};
            return copy(d, sizeof d, out, outSize, returned);
        }
        case IoctlGetDriverInfo: {
            const unsigned char d[6] = {1, 0, 0, 0, 0, 0}; // version 1.0, build 0
            return copy(d, sizeof d, out, outSize, returned);
        }
        case IoctlGetConfigDescriptor: {
            const unsigned char d[9] = {9, 2, 32, 0, 1, 1, 0, 0x80, 50};
            return copy(d, sizeof d, out, outSize, returned);
        }
        case IoctlVendorRequest:
            return in && inSize >= 10;
        case IoctlBulkWrite: {
            if (!pipeIs(in, inSize, 0) || (!out && outSize))
                return false;
            const int accepted = write_(static_cast<const std::uint8_t*>(out), static_cast<int>(outSize));
            if (accepted)
                returned = outSize;
            return accepted != 0;
        }
        case IoctlBulkRead: {
            if (!pipeIs(in, inSize, 1) || !out)
                return false;
            const int n = read_(static_cast<std::uint8_t*>(out), static_cast<int>(outSize));
            if (n < 0)
                return false;
            returned = static_cast<std::uint32_t>(n) < outSize ? static_cast<std::uint32_t>(n) : outSize;
            return true;
        }
        default:
            return false;
        }
    }

    void close(Handle) override {}

private:
    static bool pipeIs(const void* in, std::uint32_t inSize, std::int32_t pipe)
    {
        std::int32_t p = -1;
        if (!in || inSize < sizeof p)
            return false;
        std::memcpy(&p, in, sizeof p);
        return p == pipe;
    }

    static bool copy(const unsigned char* data, std::uint32_t size, void* out, std::uint32_t outSize,
                     std::uint32_t& returned)
    {
        if (!out || outSize < size)
            return false;
        std::memcpy(out, data, size);
        returned = size;
        return true;
    }

    bool bind()
    {
        if (write_)
            return true;
        // Only beside this library, as installed: never by the loader's search.
        const std::string folder = ownFolder();
        void* lib = folder.empty() ? nullptr : dlopen((folder + "libkespsim.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            return false;
        auto w = reinterpret_cast<int (*)(const std::uint8_t*, int)>(dlsym(lib, "kesp_sim_usb_write"));
        auto r = reinterpret_cast<int (*)(std::uint8_t*, int)>(dlsym(lib, "kesp_sim_usb_read"));
        if (!w || !r)
            return false;
        write_ = w;
        read_ = r;
        return true;
    }

    int (*write_)(const std::uint8_t*, int) = nullptr;
    int (*read_)(std::uint8_t*, int) = nullptr;
};

} // namespace

std::unique_ptr<Driver> makeSimulatorDriver() { return std::make_unique<SimulatorDriver>(); }

} // namespace brindle
