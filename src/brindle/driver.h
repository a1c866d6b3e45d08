// The operating-system side of brindle: a device opened by name, control
// requests sent to it, closed again. The device object is written against
// this seam; behind it sit the USB back end (libusb) and the simulator.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace brindle {

// Control request codes of the instrument's USB driver.
inline constexpr std::uint32_t IoctlGetDeviceDescriptor = 0x222004;
inline constexpr std::uint32_t IoctlGetDriverInfo = 0x222074;
inline constexpr std::uint32_t IoctlGetConfigDescriptor = 0x222008;
inline constexpr std::uint32_t IoctlVendorRequest = 0x222014;
inline constexpr std::uint32_t IoctlBulkRead = 0x22204E;
inline constexpr std::uint32_t IoctlBulkWrite = 0x222051;

using Handle = std::intptr_t;
inline constexpr Handle InvalidHandle = -1;

class Driver {
public:
    virtual ~Driver() = default;
    // Opens "\\.\ezusb-N"; InvalidHandle when there is no such device.
    virtual Handle open(const std::string& name) = 0;
    // A control request: `in` goes to the driver, `out` is filled by it (or,
    // for the bulk write, holds the bytes to send). `returned` is always set.
    virtual bool control(Handle handle, std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                         std::uint32_t outSize, std::uint32_t& returned) = 0;
    virtual void close(Handle handle) = 0;
    // Why the last open or control request failed, in words for the user
    // with the fix where there is one; "" when it succeeded or the driver
    // cannot tell.
    virtual std::string lastError() const { return {}; }
};

// The process's driver: the simulator when ORBILAN_SIMULATE=1, else libusb.
// Chosen at the first use and kept.
Driver& driver();
// Puts another driver in place (nullptr: the environment's choice again).
void useDriver(Driver* replacement);

std::unique_ptr<Driver> makeSimulatorDriver();
std::unique_ptr<Driver> makeUsbDriver();

// The file the logs are appended to; "" when there is no home to put it in.
std::string logFilePath();

} // namespace brindle
