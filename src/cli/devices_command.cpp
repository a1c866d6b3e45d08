// orbilan-cli devices: what a user could connect the instrument through,
// whether each path can be used, and the fix for each that cannot.
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "app/settings.h"
#include "brindle/usb_access.h"
#include "cli/commands.h"
#include "cli/program_run.h"
#include "portio/parport_access.h"

namespace orbilan::cli {

namespace {

void entry(const std::string& name, bool usable, const std::string& problem)
{
    std::cout << "  " << name << (usable ? "  usable" : "  not usable: " + problem) << '\n';
}

int devices(const Args& args)
{
    std::string dir = ".";
    OptionParser p("usage: orbilan-cli devices [--ini DIR]\n",
                   "Lists every printer port (/dev/parport*) and every USB device with the instrument's ids,\n"
                   "says whether each can be opened and claimed, and how to fix what cannot. The ids are\n"
                   "BRINDLE_USB_ID, else usbid in DIR/vna.ini, else brindle's default.\n"
                   "Exit status 0 when at least one path is usable, 1 when none is.\n");
    p.value("--ini", "DIR", "the folder of vna.ini (default: the working folder)", dir, checkFolder);
    if (!p.parse(args)) {
        std::cout << p.help();
        return 0;
    }

    // The settings start-up would use; a missing file is no complaint here.
    app::Settings settings;
    std::ifstream file(dir + "/vna.ini", std::ios::binary);
    if (file.is_open())
        for (const std::string& m : app::LoadCFG(&file, settings, app::InitialTitle).messages)
            std::cerr << "orbilan-cli devices: note: " << m.substr(0, m.find('\r')) << '\n';

    bool anyUsable = false;

    std::cout << "printer ports:\n";
    const std::vector<std::string> ports = portio::ParportDevices();
    for (const std::string& device : ports) {
        const portio::ParportCheck check = portio::CheckParport(device);
        entry(device, check.usable, check.problem);
        anyUsable = anyUsable || check.usable;
    }
    if (ports.empty())
        std::cout << "  none: no /dev/parport*; a PC with a printer port needs the kernel modules parport_pc and "
                     "ppdev (sudo modprobe ppdev)\n";

    brindle::UsbId id = brindle::DefaultUsbId;
    std::string origin = "brindle's default; usbid in vna.ini or BRINDLE_USB_ID names others";
    const char* fromEnvironment = std::getenv("BRINDLE_USB_ID");
    if (fromEnvironment && brindle::ParseUsbId(fromEnvironment, id))
        origin = "from BRINDLE_USB_ID";
    else if (!settings.UsbId.empty() && brindle::ParseUsbId(settings.UsbId, id))
        origin = "from usbid in vna.ini";
    std::cout << "USB devices with ids " << brindle::UsbIdText(id) << " (" << origin << "):\n";
    std::string error;
    const std::vector<brindle::UsbInstrumentCheck> usb = brindle::CheckInstruments(id, error);
    for (const brindle::UsbInstrumentCheck& check : usb) {
        char place[48];
        std::snprintf(place, sizeof place, "bus %03d address %03d", check.place.bus, check.place.address);
        entry(place, check.usable, check.problem);
        anyUsable = anyUsable || check.usable;
    }
    if (!error.empty())
        std::cout << "  none: " << error << '\n';
    else if (usb.empty())
        std::cout << "  none: " << brindle::NotFoundText(id) << '\n';

    std::cout << "vna.ini " << (file.is_open() ? "in " + dir : "(none in " + dir + ")") << " selects "
              << (settings.UsbLink ? std::string("USB (usb = yes)")
                                   : "the printer port (port = " + std::to_string(settings.DataPort) + ")")
              << '\n';
    return anyUsable ? 0 : 1;
}

} // namespace

int runDevices(const Args& args) { return reportFailures("devices", std::cerr, [&] { return devices(args); }); }

} // namespace orbilan::cli
