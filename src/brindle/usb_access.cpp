#include "brindle/usb_access.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace brindle {

namespace {

bool hexNumber(std::string_view text, std::uint16_t& value)
{
    if (text.empty() || text.size() > 4)
        return false;
    unsigned v = 0;
    for (char c : text) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        v = v * 16 + digit;
    }
    value = static_cast<std::uint16_t>(v);
    return true;
}

std::string where(UsbId id, UsbPlace place)
{
    char text[64];
    std::snprintf(text, sizeof text, "USB device %s (bus %03d address %03d)", UsbIdText(id).c_str(), place.bus,
                  place.address);
    return text;
}

std::string nodeOf(UsbPlace place)
{
    char text[32];
    std::snprintf(text, sizeof text, "/dev/bus/usb/%03d/%03d", place.bus, place.address);
    return text;
}

} // namespace

bool ParseUsbId(std::string_view text, UsbId& id)
{
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return false;
    UsbId parsed;
    if (!hexNumber(text.substr(0, colon), parsed.vendor) || !hexNumber(text.substr(colon + 1), parsed.product))
        return false;
    id = parsed;
    return true;
}

std::string UsbIdText(UsbId id)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04x:%04x", unsigned{id.vendor}, unsigned{id.product});
    return text;
}

UsbId UsbIdFromEnvironment()
{
    UsbId id = DefaultUsbId;
    if (const char* text = std::getenv("BRINDLE_USB_ID"))
        ParseUsbId(text, id);
    return id;
}

UsbPlace PlaceOf(libusb_device* device)
{
    return {libusb_get_bus_number(device), libusb_get_device_address(device)};
}

std::vector<libusb_device*> FindInstruments(libusb_device* const* list, std::ptrdiff_t count, UsbId id)
{
    std::vector<libusb_device*> found;
    for (std::ptrdiff_t i = 0; i < count; ++i) {
        libusb_device_descriptor d{};
        if (libusb_get_device_descriptor(list[i], &d) == 0 && d.idVendor == id.vendor && d.idProduct == id.product)
            found.push_back(list[i]);
    }
    std::sort(found.begin(), found.end(), [](libusb_device* a, libusb_device* b) {
        const UsbPlace pa = PlaceOf(a), pb = PlaceOf(b);
        return pa.bus != pb.bus ? pa.bus < pb.bus : pa.address < pb.address;
    });
    return found;
}

std::vector<unsigned char> InterfacePipes(libusb_device* device)
{
    std::vector<unsigned char> pipes;
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != 0 || !config)
        return pipes;
    if (config->bNumInterfaces > 0 && config->interface[0].num_altsetting > 0) {
        const libusb_interface_descriptor& alt = config->interface[0].altsetting[0];
        for (int e = 0; e < alt.bNumEndpoints; ++e)
            pipes.push_back(alt.endpoint[e].bEndpointAddress);
    }
    libusb_free_config_descriptor(config);
    return pipes;
}

std::string PipeProblem(const std::vector<unsigned char>& pipes, UsbId id, UsbPlace place)
{
    if (pipes.size() >= 2 && !(pipes[0] & LIBUSB_ENDPOINT_IN) && (pipes[1] & LIBUSB_ENDPOINT_IN))
        return {};
    return where(id, place) + ": its interface 0 (alternate setting 0) does not list an OUT endpoint first and an "
                              "IN endpoint second, which carry the instrument's frames (compare lsusb -v)";
}

std::string NotFoundText(UsbId id)
{
    return "no USB device with ids " + UsbIdText(id)
           + " found: check the cable and that the VNA is switched on; an instrument whose firmware reports other "
             "ids needs them in vna.ini (usbid = vvvv:pppp) or in BRINDLE_USB_ID";
}

std::string OpenFailureText(int libusbError, UsbId id, UsbPlace place)
{
    switch (libusbError) {
    case LIBUSB_ERROR_ACCESS:
        return where(id, place) + " found, but permission denied: install the udev rule 60-orbilan.rules and plug "
                                  "the VNA in again, or give your group read and write access to "
               + nodeOf(place);
    case LIBUSB_ERROR_BUSY:
        return where(id, place) + " found, but busy: another program has claimed it; close that program";
    case LIBUSB_ERROR_NO_DEVICE:
        return where(id, place) + " was disconnected";
    default:
        return where(id, place) + " found, but it cannot be opened: "
               + libusb_strerror(static_cast<libusb_error>(libusbError));
    }
}

std::string TransferFailureText(int libusbError, UsbId id, UsbPlace place, unsigned timeoutMs)
{
    switch (libusbError) {
    case LIBUSB_ERROR_NO_DEVICE:
        return where(id, place) + " was disconnected";
    case LIBUSB_ERROR_TIMEOUT:
        return where(id, place) + " did not answer within " + std::to_string(timeoutMs) + " ms";
    default:
        return where(id, place) + ": " + libusb_strerror(static_cast<libusb_error>(libusbError));
    }
}

std::vector<UsbInstrumentCheck> CheckInstruments(UsbId id, std::string& error)
{
    std::vector<UsbInstrumentCheck> checks;
    libusb_context* context = nullptr;
    if (const int rc = libusb_init(&context); rc != 0) {
        error = std::string("USB cannot be looked at: ") + libusb_strerror(static_cast<libusb_error>(rc));
        return checks;
    }
    libusb_device** list = nullptr;
    const ssize_t n = libusb_get_device_list(context, &list);
    for (libusb_device* device : FindInstruments(list, n < 0 ? 0 : n, id)) {
        UsbInstrumentCheck check;
        check.place = PlaceOf(device);
        check.id = id;
        libusb_device_handle* handle = nullptr;
        int rc = libusb_open(device, &handle);
        // A kernel driver bound to the interface is no obstacle: brindle
        // detaches it. A claim by another program through usbfs is.
        if (rc == 0 && libusb_kernel_driver_active(handle, 0) != 1) {
            rc = libusb_claim_interface(handle, 0);
            if (rc == 0)
                libusb_release_interface(handle, 0);
        }
        if (handle)
            libusb_close(handle);
        if (rc != 0)
            check.problem = OpenFailureText(rc, id, check.place);
        else
            check.problem = PipeProblem(InterfacePipes(device), id, check.place);
        check.usable = check.problem.empty();
        checks.push_back(check);
    }
    if (list)
        libusb_free_device_list(list, 1);
    libusb_exit(context);
    return checks;
}

} // namespace brindle
