// Finding the instrument among the attached USB devices, and saying in words
// why one cannot be used and what fixes it. Shared by brindle's libusb driver
// and `orbilan-cli devices`, so that both name the same device and give the
// same advice.
#pragma once

#include <libusb.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brindle {

struct UsbId {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    bool operator==(const UsbId&) const = default;
};

// The ids of an unprogrammed EZ-USB controller, which the instrument's
// controller reports unless its firmware says otherwise.
inline constexpr UsbId DefaultUsbId{0x0547, 0x2131};

// "vvvv:pppp", each one to four hexadecimal digits; false for anything else.
bool ParseUsbId(std::string_view text, UsbId& id);
// "0547:2131".
std::string UsbIdText(UsbId id);
// BRINDLE_USB_ID when it holds ids, else the default.
UsbId UsbIdFromEnvironment();

// Where a device sits: the bus and address lsusb shows ("Bus 001 Device 002").
struct UsbPlace {
    int bus = 0;
    int address = 0;
};
UsbPlace PlaceOf(libusb_device* device);

// The attached devices with these ids, ordered by bus and address, so that
// device name N always means the same instrument while nothing is plugged.
std::vector<libusb_device*> FindInstruments(libusb_device* const* list, std::ptrdiff_t count, UsbId id);

// The endpoint addresses of interface 0, alternate setting 0, in descriptor
// order: pipe N of the instrument's driver is element N.
std::vector<unsigned char> InterfacePipes(libusb_device* device);
// Why these pipes cannot carry the instrument's frames (pipe 0 must be an OUT
// endpoint, pipe 1 an IN endpoint); "" when they can.
std::string PipeProblem(const std::vector<unsigned char>& pipes, UsbId id, UsbPlace place);

// The texts brindle gives as the cause of a failed open or transfer.
std::string NotFoundText(UsbId id);
// A libusb error on opening or claiming the device at `place`.
std::string OpenFailureText(int libusbError, UsbId id, UsbPlace place);
// A libusb error on a transfer (timeoutMs: the time limit it ran into).
std::string TransferFailureText(int libusbError, UsbId id, UsbPlace place, unsigned timeoutMs);

// One instrument as `orbilan-cli devices` reports it.
struct UsbInstrumentCheck {
    UsbPlace place;
    UsbId id;
    bool usable = false;
    std::string problem; // why not, and the fix ("" when usable)
};

// Opens and claims each device with these ids once, and lets it go again.
// `error` is set when USB cannot be looked at at all.
std::vector<UsbInstrumentCheck> CheckInstruments(UsbId id, std::string& error);

} // namespace brindle
