// The instrument reached through the operating system: brindle's libusb
// back end and the printer-port library's ppdev path run unchanged in
// programs of their own, against device nodes that umockdev emulates and this
// test answers with the simulator. Each fault a user can meet ends in the
// program's message with its cause, and leaves the files as they were.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "child_process.h"
#include "emulated_bench.h"
#include "app/settings.h"
#include "sim/configured_instrument.h"
#include "sim/kesp_sim.h"
#include "support/test_platform.h"

namespace orbilan::test {
namespace {

const std::string Cli = ORBILAN_BIN_DIR "/orbilan-cli";
const std::string Probe = ORBILAN_BIN_DIR "/brindle_probe";
constexpr const char* UsbIni = "usb = yes\n";
constexpr const char* PortIni = "port = &H378\n";
constexpr const char* Seed = "7";
constexpr const char* Dut = "refl:R=10,L=1u,C=100p,topology=series";
constexpr const char* UsbFatal = "USB Communication error with VNA: aborting program";
// A file the failed run must leave as it was.
constexpr const char* Previous = "the previous contents\n";

class Device : public ::testing::Test {
protected:
    EmulatedBench bench;
    TempDir work;

    // A folder of its own with this vna.ini.
    std::string folder(const std::string& name, const std::string& ini)
    {
        const auto dir = work.path() / name;
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "vna.ini") << ini;
        return dir.string();
    }

    std::string logOf(const std::string& dir)
    {
        return readFile(std::filesystem::path(dir) / "state" / "orbilan" / "vnalog.txt");
    }

    // A program on the emulated nodes, as a user runs it: no simulator of
    // its own, brindle's log in the folder.
    ChildRun emulated(std::vector<std::string> args, const std::string& dir)
    {
        ChildRun run;
        run.args = std::move(args);
        run.folder = dir;
        for (const auto& [name, value] : bench.childEnvironment())
            run.environment[name] = value;
        run.environment["XDG_STATE_HOME"] = dir + "/state";
        run.environment["ORBILAN_SIMULATE"] = std::nullopt;
        run.environment["ORBILAN_PARPORT"] = std::nullopt;
        run.environment["BRINDLE_USB_ID"] = std::nullopt;
        run.environment["SOURCE_DATE_EPOCH"] = "1700000000";
        // The person at the terminal connects each standard the program asks for.
        run.onPrompt = [this](const std::string& printed) {
            const std::string line = printed.substr(0, printed.rfind('\n'));
            bench.sim([&] {
                kesp_sim_prompt(line.substr(line.rfind('\n') + 1).c_str());
                return 0;
            });
            return std::string();
        };
        return run;
    }

    // The same program on the simulator's direct path.
    ChildRun direct(std::vector<std::string> args, const std::string& dir)
    {
        ChildRun run;
        run.args = std::move(args);
        run.args.insert(run.args.end(), {"--simulate", "--seed", Seed, "--dut", Dut});
        run.folder = dir;
        run.environment["XDG_STATE_HOME"] = dir + "/state";
        run.environment["SOURCE_DATE_EPOCH"] = "1700000000";
        return run;
    }

    // The simulator as a program that starts it with --seed and --dut finds
    // it: made as the folder's vna.ini describes the instrument.
    void freshInstrument(const std::string& dir)
    {
        app::Settings settings;
        std::ifstream ini(dir + "/vna.ini", std::ios::binary);
        app::LoadCFG(ini.is_open() ? &ini : nullptr, settings, app::InitialTitle);
        bench.sim([&] {
            kesp_sim_reset();
            kesp_sim_set_timing(0);
            kesp_sim_set_seed(7);
            kesp_sim_set_dut(Dut);
            kesp_sim_set_auto_follow(1);
            return sim::configureSimulator(settings);
        });
    }

    static std::vector<std::string> calibrate(int steps)
    {
        return {Cli, "calibrate", "--mode", "reflection", "--start", "1m", "--stop", "30m", "--steps",
                std::to_string(steps), "--wait", "0", "--quiet", "-o", "refl.cal"};
    }
    static std::vector<std::string> measure()
    {
        return {Cli, "measure", "--mode", "reflection", "--cal", "refl.cal", "--quiet", "-o", "dut.s1p"};
    }

    // Calibrates and measures on the emulated node and on the direct path,
    // each from a fresh instrument with the same seed, and compares the files.
    void expectSameFilesBothWays(const std::string& ini, int steps)
    {
        const std::string viaNode = folder("node", ini);
        const std::string viaSim = folder("sim", ini);
        for (const auto& args : {calibrate(steps), measure()}) {
            freshInstrument(viaNode);
            const ChildResult a = runChild(emulated(args, viaNode));
            ASSERT_EQ(a.status, 0) << a.err;
            const ChildResult b = runChild(direct(args, viaSim));
            ASSERT_EQ(b.status, 0) << b.err;
        }
        for (const char* file : {"refl.cal", "dut.s1p"}) {
            const std::string mine = readFile(std::filesystem::path(viaNode) / file);
            EXPECT_GT(mine.size(), 500u) << file;
            EXPECT_EQ(mine, readFile(std::filesystem::path(viaSim) / file)) << file;
        }
    }
};

} // namespace

// ------------------------------------------------------------------- USB

TEST_F(Device, BrindleExportsAndDeviceObjectGoThroughLibusb)
{
    const std::string node = bench.addUsbInstrument(1, 2);
    const std::string dir = folder("probe", "");
    const ChildResult r = runChild(emulated({Probe, "frames", "device:0"}, dir));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("vnawrite 1\nvnaread 1 count 5 aa "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("state 1 instance 0 set 1 Init 1 (9 bytes) Start 1 Stop 1 Write 1 Read 1 aa "),
              std::string::npos)
        << r.out;
    // Init read both descriptors from the device; Start let the controller
    // run (0), Stop held it (1).
    EXPECT_EQ(bench.controlRequests(node),
              (std::vector<std::string>{"get-descriptor 1", "get-descriptor 2", "cpucs 0", "cpucs 1"}));
    EXPECT_EQ(bench.bulkTransfers(node), 4);
    const std::string log = logOf(dir);
    EXPECT_NE(log.find("Cache created\nWrite Length 15: Message = 55 00 00 00 00 00 00 00 00 00 00 00 00 00 00 \n"
                       "Read command, count = 5 Data =aa "),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("failed"), std::string::npos) << log;
}

TEST_F(Device, UsbCalibrationAndMeasurementEqualTheDirectPath)
{
    const std::string node = bench.addUsbInstrument(1, 2);
    expectSameFilesBothWays(UsbIni, 100);
    // Start-up, 3 standards and a sweep of 101 points, 4 transfers a point.
    EXPECT_GT(bench.bulkTransfers(node), 4 * 4 * 101);
}

TEST_F(Device, NoInstrumentIsNamedWithItsIds)
{
    const std::string dir = folder("absent", UsbIni);
    std::ofstream(dir + "/refl.cal") << Previous;
    const ChildResult r = runChild(emulated(calibrate(10), dir));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(std::string(UsbFatal) + " (no USB device with ids 0547:2131 found: check the cable"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(readFile(dir + "/refl.cal"), Previous);
    EXPECT_NE(logOf(dir).find("Cache created\nOpen failed: no USB device with ids 0547:2131 found"),
              std::string::npos);

    const ChildResult list = runChild(emulated({Cli, "devices"}, dir));
    EXPECT_EQ(list.status, 1);
    EXPECT_NE(list.out.find("printer ports:\n  none: no /dev/parport*"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("USB devices with ids 0547:2131 (brindle's default; usbid in vna.ini or BRINDLE_USB_ID "
                            "names others):\n  none: no USB device with ids 0547:2131 found"),
              std::string::npos)
        << list.out;
    EXPECT_NE(list.out.find("vna.ini in . selects USB (usb = yes)\n"), std::string::npos) << list.out;
}

TEST_F(Device, UsbIdsComeFromVnaIniUnlessTheEnvironmentNamesThem)
{
    const std::string node = bench.addUsbInstrument(1, 2, {0x04b4, 0x8613});
    const std::string dir = folder("ids", std::string(UsbIni) + "usbid = 04B4:8613\n");
    freshInstrument(dir);
    ChildResult r = runChild(emulated(calibrate(4), dir));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_GT(bench.bulkTransfers(node), 0);

    ChildRun run = emulated(calibrate(4), dir);
    run.environment["BRINDLE_USB_ID"] = "0547:2131";
    r = runChild(run);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no USB device with ids 0547:2131 found"), std::string::npos) << r.err;

    const ChildResult list = runChild(emulated({Cli, "devices"}, dir));
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("USB devices with ids 04b4:8613 (from usbid in vna.ini):\n  bus 001 address 002  usable\n"),
              std::string::npos)
        << list.out;
}

TEST_F(Device, TwoInstrumentsAreNamesZeroAndOneByBusAndAddress)
{
    const std::string second = bench.addUsbInstrument(1, 3);
    const std::string first = bench.addUsbInstrument(1, 2);
    const std::string dir = folder("two", "");
    const ChildResult r = runChild(emulated({Probe, "frames", "device:1"}, dir));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("set 1 Init 1 (9 bytes) Start 1 Stop 1 Write 1 Read 1"), std::string::npos) << r.out;
    // The shared device of vnawrite and vnaread took name 0, the first by
    // address; the device object set to 1 the other.
    EXPECT_EQ(bench.bulkTransfers(first), 2);
    EXPECT_TRUE(bench.controlRequests(first).empty());
    EXPECT_EQ(bench.bulkTransfers(second), 2);
    EXPECT_EQ(bench.controlRequests(second).size(), 4u);

    const ChildResult list = runChild(emulated({Cli, "devices"}, dir));
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("  bus 001 address 002  usable\n  bus 001 address 003  usable\n"), std::string::npos)
        << list.out;
}

TEST_F(Device, UnpluggedDuringASweepEndsTheMeasurementAndKeepsTheFile)
{
    const std::string node = bench.addUsbInstrument(1, 2);
    const std::string dir = folder("unplug-sweep", UsbIni);
    // The calibration on the direct path; the measurement loses the device
    // after start-up (9 transfers) and five points (4 each).
    ASSERT_EQ(runChild(direct(calibrate(10), dir)).status, 0);
    std::ofstream(dir + "/dut.s1p") << Previous;
    freshInstrument(dir);
    bench.setUsbFaults(node, {.unplugAfterBulk = 29});
    const ChildResult r = runChild(emulated(measure(), dir));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(std::string(UsbFatal) + " (USB device 0547:2131 (bus 001 address 002) was disconnected)"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(bench.bulkTransfers(node), 29);
    EXPECT_EQ(readFile(dir + "/dut.s1p"), Previous);
    EXPECT_NE(logOf(dir).find("failed: USB device 0547:2131 (bus 001 address 002) was disconnected\n"),
              std::string::npos);
}

TEST_F(Device, UnpluggedDuringACalibrationKeepsTheOldCalibration)
{
    const std::string node = bench.addUsbInstrument(1, 2);
    const std::string dir = folder("unplug-cal", UsbIni);
    std::ofstream(dir + "/refl.cal") << Previous;
    freshInstrument(dir);
    // Lost during the second standard's sweep.
    bench.setUsbFaults(node, {.unplugAfterBulk = 9 + 4 * 15});
    const ChildResult r = runChild(emulated(calibrate(10), dir));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(std::string(UsbFatal) + " (USB device 0547:2131 (bus 001 address 002) was disconnected)"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("Connect short circuit reference"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Connect reference load"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(dir + "/refl.cal"), Previous);
}

TEST_F(Device, ReplyThatNeverComesEndsAtTheTimeLimitAndIsDiscarded)
{
    const std::string node = bench.addUsbInstrument(1, 2);
    const std::string dir = folder("stall", UsbIni);
    bench.setUsbFaults(node, {.stallIn = true});
    ChildRun run = emulated(calibrate(4), dir);
    run.environment["BRINDLE_USB_TIMEOUT_MS"] = "300";
    const auto start = std::chrono::steady_clock::now();
    const ChildResult r = runChild(run);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(std::string(UsbFatal)
                         + " (USB device 0547:2131 (bus 001 address 002) did not answer within 300 ms)"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(bench.discardedUrbs(node), 1);
    EXPECT_GE(took, std::chrono::milliseconds(300));
    EXPECT_NE(logOf(dir).find("Read command, count = 0 Data =\nRead failed: USB device 0547:2131 (bus 001 address "
                              "002) did not answer within 300 ms\n"),
              std::string::npos);
}

TEST_F(Device, PermissionDeniedNamesTheUdevRule)
{
    const std::string node = bench.addUsbInstrument(1, 2);
    bench.denyAccess(node);
    const std::string dir = folder("denied", UsbIni);
    ChildRun run = emulated(calibrate(4), dir);
    run.withoutFileAccessOverride = true;
    const ChildResult r = runChild(run);
    if (r.status == CannotDropFileAccess)
        GTEST_SKIP() << "root's file access cannot be given up here: " << r.err;
    EXPECT_EQ(r.status, 1);
    const std::string cause = "USB device 0547:2131 (bus 001 address 002) found, but permission denied: install the "
                              "udev rule 60-orbilan.rules and plug the VNA in again, or give your group read and "
                              "write access to /dev/bus/usb/001/002";
    EXPECT_NE(r.err.find(std::string(UsbFatal) + " (" + cause + ")"), std::string::npos) << r.err;
    EXPECT_NE(logOf(dir).find("Open failed: " + cause + "\n"), std::string::npos);

    run.args = {Cli, "devices"};
    const ChildResult list = runChild(run);
    EXPECT_EQ(list.status, 1);
    EXPECT_NE(list.out.find("  bus 001 address 002  not usable: " + cause + "\n"), std::string::npos) << list.out;
}

TEST_F(Device, InstrumentClaimedByAnotherProgramIsBusy)
{
    const std::string node = bench.addUsbInstrument(1, 2);
    bench.setUsbFaults(node, {.busy = true});
    const std::string dir = folder("busy", UsbIni);
    const ChildResult r = runChild(emulated(calibrate(4), dir));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(std::string(UsbFatal) + " (USB device 0547:2131 (bus 001 address 002) found, but busy: "
                                                 "another program has claimed it; close that program)"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(bench.bulkTransfers(node), 0);
}

TEST_F(Device, EndpointsInTheWrongOrderAreRefusedNotReversed)
{
    const std::string node = bench.addUsbInstrument(1, 2, brindle::DefaultUsbId, true);
    const ChildResult r = runChild(emulated({Probe, "frames"}, folder("swapped", "")));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("vnawrite 0 cause USB device 0547:2131 (bus 001 address 002): its interface 0 (alternate "
                         "setting 0) does not list an OUT endpoint first"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("vnaread 0 count 0 cause"), std::string::npos) << r.out;
    EXPECT_EQ(bench.bulkTransfers(node), 0);
}

// ---------------------------------------------------------- printer port

TEST_F(Device, PrinterPortCalibrationAndMeasurementEqualTheDirectPath)
{
    bench.addParport(0);
    expectSameFilesBothWays(PortIni, 4);
}

TEST_F(Device, PrinterPortHeldByAnotherDriverIsNamed)
{
    const std::string node = bench.addParport(0);
    bench.setParportFaults(node, {.busy = true});
    const std::string dir = folder("port-busy", PortIni);
    std::ofstream(dir + "/refl.cal") << Previous;
    const ChildResult r = runChild(emulated(calibrate(4), dir));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("libinpout32: cannot claim the parallel port /dev/parport0: Device or resource busy. "
                         "Another program or a kernel driver holds it: close the program, or unload the printer "
                         "driver (sudo rmmod lp)"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("orbilan-cli calibrate: VNA Not Responding: Check that VNA is connected to correct printer "
                         "port and is switched on."),
              std::string::npos)
        << r.err;
    EXPECT_EQ(readFile(dir + "/refl.cal"), Previous);
}

TEST_F(Device, PrinterPortWithoutAccessNamesTheGroup)
{
    const std::string node = bench.addParport(0);
    bench.denyAccess(node);
    const std::string dir = folder("port-denied", PortIni);
    ChildRun run = emulated(calibrate(4), dir);
    run.withoutFileAccessOverride = true;
    const ChildResult r = runChild(run);
    if (r.status == CannotDropFileAccess)
        GTEST_SKIP() << "root's file access cannot be given up here: " << r.err;
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("libinpout32: cannot open the parallel port /dev/parport0: Permission denied. Reading and "
                         "writing it needs membership of the group '"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("VNA Not Responding"), std::string::npos) << r.err;
}

TEST_F(Device, DevicesCommandSaysWhatCanBeUsed)
{
    const std::string port0 = bench.addParport(0);
    bench.addParport(1);
    const std::string usb = bench.addUsbInstrument(1, 2);
    bench.setParportFaults(port0, {.busy = true});
    bench.setUsbFaults(usb, {.busy = true});
    bench.setParportFaults("/dev/parport1", {.busy = true});
    const std::string dir = folder("devices", PortIni);
    ChildResult r = runChild(emulated({Cli, "devices"}, dir));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("printer ports:\n  /dev/parport0  not usable: cannot claim the parallel port /dev/parport0: "
                         "Device or resource busy."),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("  bus 001 address 002  not usable: USB device 0547:2131 (bus 001 address 002) found, but "
                         "busy"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("selects the printer port (port = 888)\n"), std::string::npos) << r.out;

    // One usable port is enough.
    bench.setParportFaults("/dev/parport1", {});
    r = runChild(emulated({Cli, "devices"}, dir));
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\n  /dev/parport1  usable\n"), std::string::npos) << r.out;
}

} // namespace orbilan::test
