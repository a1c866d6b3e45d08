// The Kesp VNA behind emulated device nodes: a umockdev testbed holds the
// instrument's USB device (sysfs entry with its descriptors and its
// /dev/bus/usb node) and printer ports (/dev/parportN), and answers their
// ioctls here with the simulator. Programs started with childEnvironment()
// run the real libusb and the real ppdev code against these nodes; their
// ioctls reach this process through umockdev's socket.
//
// The handlers run on umockdev's own thread: every touch of the simulator,
// from either side, goes through sim().
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "brindle/usb_access.h"

struct _UMockdevTestbed;
struct _UMockdevIoctlBase;
struct _UMockdevIoctlClient;

namespace orbilan::test {

// What an emulated USB device does wrong.
struct UsbFaults {
    bool busy = false;          // claiming interface 0 fails with EBUSY
    bool stallIn = false;       // bulk IN transfers never complete (until discarded)
    int unplugAfterBulk = -1;   // after this many bulk transfers every ioctl fails with ENODEV
};

// What an emulated printer port does wrong.
struct ParportFaults {
    bool busy = false;          // PPCLAIM fails with EBUSY
};

class EmulatedBench {
public:
    EmulatedBench();
    ~EmulatedBench();
    EmulatedBench(const EmulatedBench&) = delete;
    EmulatedBench& operator=(const EmulatedBench&) = delete;

    // The instrument's USB controller at /dev/bus/usb/BBB/DDD (the node is
    // returned). Interface 0 lists bulk OUT 0x02 then bulk IN 0x81, or the
    // other way round with inFirst.
    std::string addUsbInstrument(int bus, int address, brindle::UsbId id = brindle::DefaultUsbId,
                                 bool inFirst = false);
    // /dev/parportN.
    std::string addParport(int number);

    void setUsbFaults(const std::string& node, UsbFaults faults);
    void setParportFaults(const std::string& node, ParportFaults faults);
    // Makes the node unreadable and unwritable, as a device node without
    // the user's access is; children started withoutFileAccessOverride
    // then get EACCES on opening it.
    void denyAccess(const std::string& node);

    // What the nodes saw.
    int bulkTransfers(const std::string& node);
    int discardedUrbs(const std::string& node);
    // "cpucs 1", "get-descriptor 1" ... in order, for control transfers.
    std::vector<std::string> controlRequests(const std::string& node);

    // Runs f with the simulator to itself.
    template <class F> auto sim(F f)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return f();
    }

    // The variables a child needs to see the nodes (the preload library,
    // the testbed, what the sanitizer build needs beside the preload).
    std::map<std::string, std::string> childEnvironment() const;

    static int onIoctl(_UMockdevIoctlBase* base, _UMockdevIoctlClient* client, void* self);

private:
    struct UsbNode {
        brindle::UsbId id;
        std::vector<std::uint8_t> device, config; // descriptors
        UsbFaults faults;
        int bulk = 0;
        int discards = 0;
        std::vector<std::string> controls;
    };
    struct PortNode {
        ParportFaults faults;
    };

    int usbIoctl(_UMockdevIoctlClient* client, UsbNode& node);
    int parportIoctl(_UMockdevIoctlClient* client, PortNode& node);
    void attach(const std::string& node);

    _UMockdevTestbed* testbed_ = nullptr;
    _UMockdevIoctlBase* handler_ = nullptr;
    std::string root_;
    std::mutex mutex_;
    std::map<std::string, UsbNode> usb_;
    std::map<std::string, PortNode> ports_;
};

} // namespace orbilan::test
