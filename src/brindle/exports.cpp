#include <string>

#include "brindle/brindle.h"
#include "brindle/driver.h"
#include "brindle/port_map.h"

namespace {

// The device behind vnawrite and vnaread: made at the first call, kept for
// the process. Destroyed when the library goes at process end, so its log
// reaches the file then too.
struct SharedDevice {
    VNADevice* device = nullptr;
    ~SharedDevice() { delete device; }
    VNADevice& get()
    {
        if (!device)
            device = new VNADevice;
        return *device;
    }
} shared;

// The cause vnaerror() gives: that of the last failed vnawrite or vnaread.
std::string& lastCause()
{
    static std::string cause;
    return cause;
}

int32_t outcome(bool ok)
{
    if (ok)
        lastCause().clear();
    else
        lastCause() = brindle::driver().lastError();
    return ok ? 1 : 0;
}

bool isDataPort(std::uint16_t port) { return port == 0x278 || port == 0x378; }
bool isStatusPort(std::uint16_t port) { return port == 0x279 || port == 0x379; }

} // namespace

extern "C" int32_t vnawrite(_VNA_TXBUFFER* buffer, int16_t length)
{
    VNADevice& device = shared.get();
    if (device.get_State() != 1)
        return outcome(false);
    return outcome(device.Write(buffer, length));
}

extern "C" int32_t vnaread(_VNA_RXBUFFER* buffer, int16_t* count)
{
    if (count)
        *count = 0;
    VNADevice& device = shared.get();
    if (device.get_State() != 1)
        return outcome(false);
    const bool ok = device.Read(buffer);
    if (ok && count)
        *count = static_cast<int16_t>(device.get_BytesReturned() & 0xFFFF);
    return outcome(ok);
}

extern "C" const char* vnaerror(void) { return lastCause().c_str(); }

extern "C" int32_t Out32(int16_t port, int16_t value)
{
    if (!isDataPort(static_cast<std::uint16_t>(port)))
        return 0;
    VNADevice device;
    if (device.get_State() != 1)
        return 0;
    unsigned char frame[4] = {0x5A, 0x80, brindle::MapPortBits(static_cast<std::uint8_t>(value)), 0x00};
    return device.Write(frame, 4) ? 1 : 0;
}

extern "C" int16_t Inp32(int16_t port)
{
    const auto p = static_cast<std::uint16_t>(port);
    if (!isDataPort(p) && !isStatusPort(p))
        return -1;
    VNADevice device;
    if (device.get_State() != 1)
        return -1;
    unsigned char reply[256] = {};
    if (!device.Read(reply) || device.get_BytesReturned() < 5)
        return -1;
    if (isStatusPort(p))
        return (reply[2] & 0x80) ? 0x00 : 0x80;
    return brindle::MapPortBits(reply[2]);
}
