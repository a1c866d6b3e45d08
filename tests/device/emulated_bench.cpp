#include "emulated_bench.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <deque>
#include <stdexcept>

#include <linux/parport.h>
#include <linux/ppdev.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <umockdev.h>

#include "sim/kesp_sim.h"

namespace orbilan::test {

namespace {

// The printer-port base the simulator listens at (its default, and vna.ini's).
constexpr std::uint16_t PortBase = 0x378;

// A URB's data as the client's memory holds it, kept until it is reaped.
using Urb = UMockdevIoctlData;

// URBs wait for their reap per open file, as usbfs keeps them: a queue for
// the whole device would let one file reap another's URB, and libusb would
// free it twice.
std::deque<Urb*>& queueOf(UMockdevIoctlClient* client, const char* name)
{
    auto* queue = static_cast<std::deque<Urb*>*>(g_object_get_data(G_OBJECT(client), name));
    if (!queue) {
        queue = new std::deque<Urb*>;
        g_object_set_data_full(G_OBJECT(client), name, queue, [](gpointer q) {
            auto* urbs = static_cast<std::deque<Urb*>*>(q);
            for (Urb* urb : *urbs)
                g_object_unref(urb);
            delete urbs;
        });
    }
    return *queue;
}

std::deque<Urb*>& reapable(UMockdevIoctlClient* client) { return queueOf(client, "reapable"); }
std::deque<Urb*>& inFlight(UMockdevIoctlClient* client) { return queueOf(client, "in-flight"); }

std::string hex(const std::uint8_t* bytes, std::size_t n)
{
    std::string out;
    char two[3];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(two, sizeof two, "%02X", bytes[i]);
        out += two;
    }
    return out;
}

// Completes the request and says it was handled.
int complete(UMockdevIoctlClient* client, long result, int error)
{
    umockdev_ioctl_client_complete(client, result, error);
    return TRUE;
}

} // namespace

EmulatedBench::EmulatedBench()
{
    testbed_ = umockdev_testbed_new();
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    root_ = root;
    g_free(root);
    handler_ = umockdev_ioctl_base_new();
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&EmulatedBench::onIoctl), this);
    sim([] {
        kesp_sim_reset();
        kesp_sim_set_timing(0);
        return 0;
    });
}

EmulatedBench::~EmulatedBench()
{
    g_object_unref(handler_);
    g_object_unref(testbed_);
}

std::map<std::string, std::string> EmulatedBench::childEnvironment() const
{
    std::map<std::string, std::string> env;
    const char* preload = std::getenv("LD_PRELOAD");
    env["LD_PRELOAD"] = std::string("libumockdev-preload.so.0") + (preload && *preload ? std::string(":") + preload : "");
    env["UMOCKDEV_DIR"] = root_;
    // A sanitizer build insists on coming first among the preloaded
    // libraries; umockdev's must come first to see the device nodes.
    const char* asan = std::getenv("ASAN_OPTIONS");
    env["ASAN_OPTIONS"] = std::string(asan && *asan ? std::string(asan) + ":" : "") + "verify_asan_link_order=0";
    return env;
}

void EmulatedBench::attach(const std::string& node)
{
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed_, node.c_str(), handler_, &error)) {
        const std::string why = error ? error->message : node;
        g_clear_error(&error);
        throw std::runtime_error("attach_ioctl " + node + ": " + why);
    }
}

std::string EmulatedBench::addUsbInstrument(int bus, int address, brindle::UsbId id, bool inFirst)
{
    // Device descriptor: USB 1.1, vendor class, 64-byte control pipe, the ids,
    // one configuration.
    const std::uint8_t device[18] = {18,
                                     1,
                                     0x10,
                                     0x01,
                                     0xFF,
                                     0xFF,
                                     0xFF,
                                     64,
                                     static_cast<std::uint8_t>(id.vendor & 0xFF),
                                     static_cast<std::uint8_t>(id.vendor >> 8),
                                     static_cast<std::uint8_t>(id.product & 0xFF),
                                     static_cast<std::uint8_t>(id.product >> 8),
                                     0x01,
                                     0x00,
                                     0,
                                     0,
                                     0,
                                     1};
    // Configuration 1, interface 0 alternate setting 0 with two bulk
    // endpoints of 64 bytes: OUT 2 and IN 1.
    std::uint8_t config[32] = {9, 2, 32, 0, 1, 1, 0, 0x80, 50,        // configuration
                               9, 4, 0, 0, 2, 0xFF, 0xFF, 0xFF, 0,    // interface 0, alternate 0
                               7, 5, 0x02, 2, 64, 0, 0,               // bulk OUT 0x02
                               7, 5, 0x81, 2, 64, 0, 0};              // bulk IN 0x81
    if (inFirst)
        std::swap(config[20], config[27]);

    char node[32];
    std::snprintf(node, sizeof node, "/dev/bus/usb/%03d/%03d", bus, address);
    char text[1024];
    // Attribute values end in a line break, as sysfs gives them.
    std::snprintf(text, sizeof text,
                  "P: /devices/pci0000:00/0000:00:14.0/usb%d/%d-%d\n"
                  "N: %s\n"
                  "E: SUBSYSTEM=usb\n"
                  "E: DEVTYPE=usb_device\n"
                  "E: DEVNAME=%s\n"
                  "E: BUSNUM=%03d\n"
                  "E: DEVNUM=%03d\n"
                  "A: busnum=%d\\n\n"
                  "A: devnum=%d\\n\n"
                  "A: speed=12\\n\n"
                  "A: bConfigurationValue=1\\n\n"
                  "A: idVendor=%04x\\n\n"
                  "A: idProduct=%04x\\n\n"
                  "A: dev=189:%d\\n\n"
                  "H: descriptors=%s%s\n",
                  bus, bus, address, node + 5, node, bus, address, bus, address, unsigned{id.vendor},
                  unsigned{id.product}, (bus - 1) * 128 + address - 1, hex(device, sizeof device).c_str(),
                  hex(config, sizeof config).c_str());
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed_, text, &error)) {
        const std::string why = error ? error->message : node;
        g_clear_error(&error);
        throw std::runtime_error("add USB device: " + why);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        UsbNode& n = usb_[node];
        n.id = id;
        n.device.assign(device, device + sizeof device);
        n.config.assign(config, config + sizeof config);
    }
    attach(node);
    return node;
}

std::string EmulatedBench::addParport(int number)
{
    const std::string node = "/dev/parport" + std::to_string(number);
    char text[512];
    std::snprintf(text, sizeof text,
                  "P: /devices/platform/parport_pc.956/ppdev/parport%d\n"
                  "N: parport%d\n"
                  "E: SUBSYSTEM=ppdev\n"
                  "E: DEVNAME=%s\n"
                  "E: MAJOR=99\n"
                  "E: MINOR=%d\n"
                  "A: dev=99:%d\\n\n",
                  number, number, node.c_str(), number, number);
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed_, text, &error)) {
        const std::string why = error ? error->message : node;
        g_clear_error(&error);
        throw std::runtime_error("add printer port: " + why);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ports_[node];
    }
    attach(node);
    return node;
}

void EmulatedBench::setUsbFaults(const std::string& node, UsbFaults faults)
{
    std::lock_guard<std::mutex> lock(mutex_);
    usb_.at(node).faults = faults;
}

void EmulatedBench::setParportFaults(const std::string& node, ParportFaults faults)
{
    std::lock_guard<std::mutex> lock(mutex_);
    ports_.at(node).faults = faults;
}

void EmulatedBench::denyAccess(const std::string& node)
{
    // The testbed's node stands for the device (umockdev links it to a
    // terminal of its own); its mode is what an open is checked against.
    const std::string path = root_ + node;
    if (chmod(path.c_str(), 0) != 0)
        throw std::runtime_error("chmod " + path + ": " + std::strerror(errno));
}

int EmulatedBench::bulkTransfers(const std::string& node)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return usb_.at(node).bulk;
}

int EmulatedBench::discardedUrbs(const std::string& node)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return usb_.at(node).discards;
}

std::vector<std::string> EmulatedBench::controlRequests(const std::string& node)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return usb_.at(node).controls;
}

int EmulatedBench::onIoctl(_UMockdevIoctlBase*, _UMockdevIoctlClient* client, void* self)
{
    auto& bench = *static_cast<EmulatedBench*>(self);
    std::lock_guard<std::mutex> lock(bench.mutex_);
    const std::string node = umockdev_ioctl_client_get_devnode(client);
    if (auto it = bench.usb_.find(node); it != bench.usb_.end())
        return bench.usbIoctl(client, it->second);
    if (auto it = bench.ports_.find(node); it != bench.ports_.end())
        return bench.parportIoctl(client, it->second);
    return complete(client, -1, ENOTTY);
}

int EmulatedBench::usbIoctl(_UMockdevIoctlClient* client, UsbNode& node)
{
    const gulong request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    GError* error = nullptr;

    // Unplugged: as usbfs does, every request fails with ENODEV except the
    // reaps, which still hand back what completed; URBs still in flight end
    // as shut down.
    const bool gone = node.faults.unplugAfterBulk >= 0 && node.bulk >= node.faults.unplugAfterBulk;
    if (gone) {
        for (Urb* urb : inFlight(client)) {
            reinterpret_cast<usbdevfs_urb*>(urb->data)->status = -ESHUTDOWN;
            reapable(client).push_back(urb);
        }
        inFlight(client).clear();
        if (request != USBDEVFS_REAPURB && request != USBDEVFS_REAPURBNDELAY)
            return complete(client, -1, ENODEV);
    }

    switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
        UMockdevIoctlData* d = umockdev_ioctl_data_resolve(arg, 0, sizeof(std::uint32_t), &error);
        if (!d) {
            g_clear_error(&error);
            return complete(client, -1, EFAULT);
        }
        const std::uint32_t caps = USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM
                                   | USBDEVFS_CAP_ZERO_PACKET;
        std::memcpy(d->data, &caps, sizeof caps);
        g_object_unref(d);
        return complete(client, 0, 0);
    }
    case USBDEVFS_GETDRIVER: // no kernel driver bound
        return complete(client, -1, ENODATA);
    case USBDEVFS_DISCONNECT_CLAIM:
    case USBDEVFS_CLAIMINTERFACE:
        return complete(client, node.faults.busy ? -1 : 0, node.faults.busy ? EBUSY : 0);
    case USBDEVFS_IOCTL: // the kernel driver's connect and disconnect: libusb needs them to succeed
    case USBDEVFS_RELEASEINTERFACE:
    case USBDEVFS_SETINTERFACE:
    case USBDEVFS_SETCONFIGURATION:
    case USBDEVFS_CLEAR_HALT:
    case USBDEVFS_RESET:
        return complete(client, 0, 0);
    case USBDEVFS_SUBMITURB: {
        Urb* urbData = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), &error);
        if (!urbData) {
            g_clear_error(&error);
            return complete(client, -1, EFAULT);
        }
        auto* urb = reinterpret_cast<usbdevfs_urb*>(urbData->data);
        UMockdevIoctlData* buffer = nullptr;
        if (urb->buffer_length > 0)
            buffer = umockdev_ioctl_data_resolve(urbData, offsetof(usbdevfs_urb, buffer),
                                                 static_cast<gsize>(urb->buffer_length), &error);
        g_clear_error(&error);
        urb = reinterpret_cast<usbdevfs_urb*>(urbData->data);
        std::uint8_t* bytes = buffer ? buffer->data : nullptr;
        urb->status = 0;
        urb->actual_length = 0;
        bool completed = true;
        if (urb->type == USBDEVFS_URB_TYPE_CONTROL && bytes && urb->buffer_length >= 8) {
            const std::uint8_t type = bytes[0], req = bytes[1];
            const unsigned value = bytes[2] | bytes[3] << 8, length = bytes[6] | bytes[7] << 8;
            if (type == 0x80 && req == 6) { // GET_DESCRIPTOR: the device's or the configuration's
                node.controls.push_back("get-descriptor " + std::to_string(value >> 8));
                const std::vector<std::uint8_t>* d = value >> 8 == 1 ? &node.device
                                                     : value >> 8 == 2 ? &node.config
                                                                       : nullptr;
                if (d) {
                    const int n = std::min({static_cast<int>(d->size()), static_cast<int>(length),
                                            urb->buffer_length - 8});
                    std::memcpy(bytes + 8, d->data(), static_cast<std::size_t>(n));
                    urb->actual_length = n;
                } else {
                    urb->status = -EPIPE;
                }
            } else if (type == 0x40 && req == 0xA0 && value == 0x7F92 && length == 1 && urb->buffer_length >= 9) {
                // The controller's CPU control register: 1 holds the CPU, 0 runs it.
                node.controls.push_back("cpucs " + std::to_string(bytes[8]));
                urb->actual_length = 1;
            } else {
                urb->status = -EPIPE;
            }
        } else if (urb->type == USBDEVFS_URB_TYPE_BULK) {
            ++node.bulk;
            if (urb->endpoint & 0x80) {
                if (node.faults.stallIn) {
                    completed = false;
                } else {
                    const int n = kesp_sim_usb_read(bytes, urb->buffer_length);
                    urb->status = n < 0 ? -EPIPE : 0;
                    urb->actual_length = n < 0 ? 0 : n;
                }
            } else {
                const bool ok = kesp_sim_usb_write(bytes, urb->buffer_length) != 0;
                urb->status = ok ? 0 : -EPIPE;
                urb->actual_length = ok ? urb->buffer_length : 0;
            }
        } else {
            urb->status = -EPIPE;
        }
        if (buffer)
            g_object_unref(buffer);
        // Completed at once: the node always polls ready, so libusb reaps
        // straight away instead of waiting in vain.
        (completed ? reapable(client) : inFlight(client)).push_back(urbData);
        return complete(client, 0, 0);
    }
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY: {
        auto& queue = reapable(client);
        if (queue.empty())
            return complete(client, -1, gone ? ENODEV : EAGAIN);
        Urb* urb = queue.front();
        queue.pop_front();
        UMockdevIoctlData* d = umockdev_ioctl_data_resolve(arg, 0, sizeof(void*), &error);
        if (!d) {
            g_clear_error(&error);
            g_object_unref(urb);
            return complete(client, -1, EFAULT);
        }
        umockdev_ioctl_data_set_ptr(d, 0, urb);
        g_object_unref(d);
        g_object_unref(urb);
        return complete(client, 0, 0);
    }
    case USBDEVFS_DISCARDURB: {
        // The argument is the URB's address itself.
        gulong address = 0;
        std::memcpy(&address, arg->data, sizeof address);
        auto& flying = inFlight(client);
        for (auto it = flying.begin(); it != flying.end(); ++it) {
            if ((*it)->client_addr != address)
                continue;
            auto* urb = reinterpret_cast<usbdevfs_urb*>((*it)->data);
            urb->status = -ENOENT;
            urb->actual_length = 0;
            reapable(client).push_back(*it);
            flying.erase(it);
            ++node.discards;
            return complete(client, 0, 0);
        }
        return complete(client, -1, EINVAL);
    }
    default:
        return complete(client, -1, ENOTTY);
    }
}

int EmulatedBench::parportIoctl(_UMockdevIoctlClient* client, PortNode& node)
{
    const gulong request = umockdev_ioctl_client_get_request(client);
    if (_IOC_TYPE(request) != PP_IOCTL)
        return complete(client, -1, ENOTTY);
    // ppdev keeps the claim per open file.
    const bool claimed = g_object_get_data(G_OBJECT(client), "claimed") != nullptr;
    switch (request) {
    case PPCLAIM:
        if (node.faults.busy)
            return complete(client, -1, EBUSY);
        g_object_set_data(G_OBJECT(client), "claimed", GINT_TO_POINTER(1));
        return complete(client, 0, 0);
    case PPRELEASE:
        g_object_set_data(G_OBJECT(client), "claimed", nullptr);
        return complete(client, 0, 0);
    default:
        break;
    }
    if (!claimed) // ppdev: the port must be claimed first
        return complete(client, -1, EINVAL);

    GError* error = nullptr;
    UMockdevIoctlData* d = umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0,
                                                       _IOC_SIZE(request), &error);
    if (!d) {
        g_clear_error(&error);
        return complete(client, -1, EFAULT);
    }
    std::uint8_t* p = d->data;
    int result = 0, err = 0;
    switch (request) {
    case PPSETMODE:
    case PPDATADIR:
        break;
    case PPWDATA:
        kesp_sim_port_out(PortBase, *p);
        break;
    case PPRDATA:
        *p = static_cast<std::uint8_t>(kesp_sim_port_in(PortBase));
        break;
    case PPRSTATUS:
        *p = static_cast<std::uint8_t>(kesp_sim_port_in(PortBase + 1));
        break;
    case PPWCONTROL: {
        g_object_set_data(G_OBJECT(client), "control", GINT_TO_POINTER(*p | 0x100));
        break;
    }
    case PPRCONTROL: {
        const int control = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(client), "control"));
        *p = static_cast<std::uint8_t>(control ? control & 0xFF : 0x0C);
        break;
    }
    default:
        result = -1;
        err = ENOTTY;
        break;
    }
    g_object_unref(d);
    return complete(client, result, err);
}

} // namespace orbilan::test
