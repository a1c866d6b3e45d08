// A real instrument behind the driver seam, through libusb. Device N of the
// driver's names is the N-th attached device with the instrument's ids
// (BRINDLE_USB_ID=vvvv:pppp, hexadecimal, read at each open; an unprogrammed
// EZ-USB controller by default), counted by bus and address. Pipes are the
// endpoints of interface 0, alternate setting 0, in descriptor order: pipe 0
// the bulk OUT, pipe 1 the bulk IN of the instrument's firmware.
#include <libusb.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "brindle/driver.h"
#include "brindle/usb_access.h"

namespace brindle {

namespace {

struct OpenDevice {
    libusb_device_handle* handle = nullptr;
    UsbId id;
    UsbPlace place;
    std::vector<unsigned char> pipes; // endpoint addresses of interface 0
};

class UsbDriver : public Driver {
public:
    UsbDriver()
    {
        if (const char* t = std::getenv("BRINDLE_USB_TIMEOUT_MS")) {
            const long ms = std::strtol(t, nullptr, 10);
            if (ms > 0)
                timeoutMs_ = static_cast<unsigned>(ms);
        }
    }

    Handle open(const std::string& name) override
    {
        lastError_.clear();
        if (name.empty() || name.back() < '0' || name.back() > '9')
            return InvalidHandle;
        const auto wanted = static_cast<std::size_t>(name.back() - '0');
        // The instance search tries the names from 0 on. A device that is
        // there but refuses (permission, busy) is the cause worth telling,
        // not the names after it that do not exist.
        if (wanted == 0)
            searchFailure_.clear();
        if (!context_ && libusb_init(&context_) != 0) {
            context_ = nullptr;
            lastError_ = "USB cannot be used: libusb does not start";
            return InvalidHandle;
        }
        const UsbId id = UsbIdFromEnvironment();
        libusb_device** list = nullptr;
        const ssize_t n = libusb_get_device_list(context_, &list);
        const std::vector<libusb_device*> found = FindInstruments(list, n < 0 ? 0 : n, id);
        OpenDevice dev;
        dev.id = id;
        int rc = LIBUSB_ERROR_NOT_FOUND;
        if (wanted < found.size()) {
            dev.place = PlaceOf(found[wanted]);
            dev.pipes = InterfacePipes(found[wanted]);
            rc = libusb_open(found[wanted], &dev.handle);
        }
        if (list)
            libusb_free_device_list(list, 1);
        if (rc == LIBUSB_ERROR_NOT_FOUND) {
            lastError_ = searchFailure_.empty() ? NotFoundText(id) : searchFailure_;
            return InvalidHandle;
        }
        if (rc == 0) {
            libusb_set_auto_detach_kernel_driver(dev.handle, 1);
            rc = libusb_claim_interface(dev.handle, 0);
            if (rc != 0)
                libusb_close(dev.handle);
        }
        if (rc != 0) {
            lastError_ = OpenFailureText(rc, id, dev.place);
            if (searchFailure_.empty())
                searchFailure_ = lastError_;
            return InvalidHandle;
        }
        const Handle h = next_++;
        open_[h] = dev;
        return h;
    }

    bool control(Handle handle, std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                 std::uint32_t outSize, std::uint32_t& returned) override
    {
        returned = 0;
        lastError_.clear();
        auto it = open_.find(handle);
        if (it == open_.end())
            return false;
        libusb_device_handle* h = it->second.handle;
        switch (code) {
        case IoctlGetDeviceDescriptor:
            return descriptor(it->second, LIBUSB_DT_DEVICE, out, outSize, returned);
        case IoctlGetConfigDescriptor:
            return descriptor(it->second, LIBUSB_DT_CONFIG, out, outSize, returned);
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
            // The request carries its one data byte in the record itself.
            const auto length = static_cast<std::uint16_t>(r[6] | r[7] << 8);
            if (length > 1)
                return false;
            const int rc = libusb_control_transfer(
                h, type, r[0], static_cast<std::uint16_t>(r[2] | r[3] << 8), static_cast<std::uint16_t>(r[4] | r[5] << 8), &data,
                length, timeoutMs_);
            return succeeded(rc, it->second);
        }
        case IoctlBulkRead:
        case IoctlBulkWrite: {
            std::int32_t pipe = -1;
            if (!in || inSize < sizeof pipe || (!out && outSize))
                return false;
            std::memcpy(&pipe, in, sizeof pipe);
            const OpenDevice& dev = it->second;
            if (pipe < 0 || static_cast<std::size_t>(pipe) >= dev.pipes.size()) {
                lastError_ = PipeProblem(dev.pipes, dev.id, dev.place);
                return false;
            }
            const unsigned char endpoint = dev.pipes[static_cast<std::size_t>(pipe)];
            // libusb takes the direction from the endpoint address: a write
            // to an IN endpoint would read into the caller's frame and be
            // reported as written.
            if (((endpoint & LIBUSB_ENDPOINT_IN) != 0) != (code == IoctlBulkRead)) {
                lastError_ = PipeProblem(dev.pipes, dev.id, dev.place);
                return false;
            }
            int transferred = 0;
            const int rc = libusb_bulk_transfer(h, endpoint, static_cast<unsigned char*>(out),
                                                static_cast<int>(outSize), &transferred, timeoutMs_);
            if (!succeeded(rc, dev))
                return false;
            returned = static_cast<std::uint32_t>(transferred);
            return true;
        }
        default:
            return false;
        }
    }

    std::string lastError() const override { return lastError_; }

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
    bool succeeded(int rc, const OpenDevice& dev)
    {
        if (rc >= 0)
            return true;
        lastError_ = TransferFailureText(rc, dev.id, dev.place, timeoutMs_);
        return false;
    }

    bool descriptor(const OpenDevice& dev, std::uint8_t type, void* out, std::uint32_t outSize,
                    std::uint32_t& returned)
    {
        if (!out)
            return false;
        const int rc = libusb_get_descriptor(dev.handle, type, 0, static_cast<unsigned char*>(out),
                                             static_cast<int>(outSize));
        if (!succeeded(rc, dev))
            return false;
        returned = static_cast<std::uint32_t>(rc);
        return true;
    }

    libusb_context* context_ = nullptr;
    // Long enough for the slowest measurement the instrument can be asked for.
    unsigned timeoutMs_ = 60000;
    std::map<Handle, OpenDevice> open_;
    Handle next_ = 1;
    std::string lastError_;
    std::string searchFailure_;
};

} // namespace

std::unique_ptr<Driver> makeUsbDriver() { return std::make_unique<UsbDriver>(); }

} // namespace brindle
