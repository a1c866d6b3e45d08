// A real instrument behind the driver seam, through libusb. Device N of the
// driver's names is the N-th attached device with the instrument's ids
// (BRINDLE_USB_ID=vvvv:pppp, hexadecimal; an unprogrammed EZ-USB controller
// by default). Pipes are the endpoints of interface 0 in descriptor order:
// pipe 0 the bulk OUT, pipe 1 the bulk IN of the instrument's firmware.
#include <libusb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "brindle/driver.h"

namespace brindle {

namespace {

struct OpenDevice {
    libusb_device_handle* handle = nullptr;
    std::vector<unsigned char> pipes; // endpoint addresses of interface 0
};

class UsbDriver : public Driver {
public:
    UsbDriver()
    {
        if (const char* id = std::getenv("BRINDLE_USB_ID")) {
            unsigned v = 0, p = 0;
            if (std::sscanf(id, "%x:%x", &v, &p) == 2) {
                vendor_ = static_cast<std::uint16_t>(v);
                product_ = static_cast<std::uint16_t>(p);
            }
        }
        if (const char* t = std::getenv("BRINDLE_USB_TIMEOUT_MS")) {
            const long ms = std::strtol(t, nullptr, 10);
            if (ms > 0)
                timeoutMs_ = static_cast<unsigned>(ms);
        }
    }

    Handle open(const std::string& name) override
    {
        if (name.empty() || name.back() < '0' || name.back() > '9')
            return InvalidHandle;
        if (!context_ && libusb_init(&context_) != 0) {
            context_ = nullptr;
            return InvalidHandle;
        }
        int wanted = name.back() - '0';
        libusb_device** list = nullptr;
        const ssize_t n = libusb_get_device_list(context_, &list);
        libusb_device_handle* handle = nullptr;
        for (ssize_t i = 0; i < n && !handle; ++i) {
            libusb_device_descriptor d{};
            if (libusb_get_device_descriptor(list[i], &d) != 0 || d.idVendor != vendor_ || d.idProduct != product_)
                continue;
            if (wanted-- > 0)
                continue;
            if (libusb_open(list[i], &handle) != 0)
                handle = nullptr;
        }
        if (list)
            libusb_free_device_list(list, 1);
        if (!handle)
            return InvalidHandle;

        libusb_set_auto_detach_kernel_driver(handle, 1);
        if (libusb_claim_interface(handle, 0) != 0) {
            libusb_close(handle);
            return InvalidHandle;
        }
        OpenDevice dev;
        dev.handle = handle;
        libusb_config_descriptor* config = nullptr;
        if (libusb_get_active_config_descriptor(libusb_get_device(handle), &config) == 0 && config) {
            if (config->bNumInterfaces > 0 && config->interface[0].num_altsetting > 0) {
                const libusb_interface_descriptor& alt = config->interface[0].altsetting[0];
                for (int e = 0; e < alt.bNumEndpoints; ++e)
                    dev.pipes.push_back(alt.endpoint[e].bEndpointAddress);
            }
            libusb_free_config_descriptor(config);
        }
        const Handle h = next_++;
        open_[h] = dev;
        return h;
    }

    bool control(Handle handle, std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                 std::uint32_t outSize, std::uint32_t& returned) override
    {
        returned = 0;
        auto it = open_.find(handle);
        if (it == open_.end())
            return false;
        libusb_device_handle* h = it->second.handle;
        switch (code) {
        case IoctlGetDeviceDescriptor:
            return descriptor(h, LIBUSB_DT_DEVICE, out, outSize, returned);
        case IoctlGetConfigDescriptor:
            return descriptor(h, LIBUSB_DT_CONFIG, out, outSize, returned);
        case IoctlGetDriverInfo: {
            // There is no kernel driver of ours: report version 1.0 of this one.
            if (!out || outSize < 6)
                return false;
            const unsigned char info[6] = {1, 0, 0, 0, 0, 0};
            std::memcpy(out, info, 6);
            returned = 6;
            return true;
        }
        case IoctlVendorRequest: {
            if (!in || inSize < 10)
                return false;
            const auto* r = static_cast<const unsigned char*>(in);
            unsigned char data = r[9];
            const auto type = static_cast<std::uint8_t>(unsigned{LIBUSB_REQUEST_TYPE_VENDOR}
                                                        | unsigned{LIBUSB_RECIPIENT_DEVICE}
                                                        | (r[8] ? unsigned{LIBUSB_ENDPOINT_IN} : unsigned{LIBUSB_ENDPOINT_OUT}));
            const int rc = libusb_control_transfer(
                h, type, r[0], static_cast<std::uint16_t>(r[2] | r[3] << 8), static_cast<std::uint16_t>(r[4] | r[5] << 8), &data,
                static_cast<std::uint16_t>(r[6] | r[7] << 8), timeoutMs_);
            return rc >= 0;
        }
        case IoctlBulkRead:
        case IoctlBulkWrite: {
            std::int32_t pipe = -1;
            if (!in || inSize < sizeof pipe || (!out && outSize))
                return false;
            std::memcpy(&pipe, in, sizeof pipe);
            if (pipe < 0 || static_cast<std::size_t>(pipe) >= it->second.pipes.size())
                return false;
            int transferred = 0;
            const int rc = libusb_bulk_transfer(h, it->second.pipes[static_cast<std::size_t>(pipe)],
                                                static_cast<unsigned char*>(out), static_cast<int>(outSize),
                                                &transferred, timeoutMs_);
            if (rc != 0)
                return false;
            returned = static_cast<std::uint32_t>(transferred);
            return true;
        }
        default:
            return false;
        }
    }

    void close(Handle handle) override
    {
        auto it = open_.find(handle);
        if (it == open_.end())
            return;
        libusb_release_interface(it->second.handle, 0);
        libusb_close(it->second.handle);
        open_.erase(it);
    }

private:
    static bool descriptor(libusb_device_handle* h, std::uint8_t type, void* out, std::uint32_t outSize,
                           std::uint32_t& returned)
    {
        if (!out)
            return false;
        const int rc = libusb_get_descriptor(h, type, 0, static_cast<unsigned char*>(out), static_cast<int>(outSize));
        if (rc < 0)
            return false;
        returned = static_cast<std::uint32_t>(rc);
        return true;
    }

    libusb_context* context_ = nullptr;
    std::uint16_t vendor_ = 0x0547;
    std::uint16_t product_ = 0x2131;
    // Long enough for the slowest measurement the instrument can be asked for.
    unsigned timeoutMs_ = 60000;
    std::map<Handle, OpenDevice> open_;
    Handle next_ = 1;
};

} // namespace

std::unique_ptr<Driver> makeUsbDriver() { return std::make_unique<UsbDriver>(); }

} // namespace brindle
