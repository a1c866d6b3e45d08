// libinpout32 as the program loads it: by file name, two C functions. On the
// simulated route every access reaches the simulated instrument; on the
// hardware route a device that cannot be used is named once on stderr and
// reads as an instrument that does not answer.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "../sim/instrument_wire.h"
#include "sim/kesp_sim.h"

namespace {

using Out32Fn = int (*)(short, short);
using Inp32Fn = short (*)(short);

struct PortLibrary {
    Out32Fn out = nullptr;
    Inp32Fn in = nullptr;
};

PortLibrary loadPortLibrary()
{
    PortLibrary lib;
    void* handle = dlopen(ORBILAN_BIN_DIR "/libinpout32.so", RTLD_NOW);
    if (!handle)
        return lib;
    lib.out = reinterpret_cast<Out32Fn>(dlsym(handle, "Out32"));
    lib.in = reinterpret_cast<Inp32Fn>(dlsym(handle, "Inp32"));
    return lib;
}

TEST(PortLibrary, SimulatedRouteDrivesTheSimulatedInstrument)
{
    setenv("ORBILAN_SIMULATE", "1", 1);
    kesp_sim_reset();
    kesp_sim_set_noise(0);
    const PortLibrary lib = loadPortLibrary();
    ASSERT_NE(lib.out, nullptr);

    wire::ParallelPort port;
    port.out = [&](std::uint16_t p, std::uint8_t v) { EXPECT_EQ(lib.out(static_cast<short>(p), v), 1); };
    port.in = [&](std::uint16_t p) { return static_cast<std::uint8_t>(lib.in(static_cast<short>(p))); };
    port.resetSerial();
    port.wake();
    EXPECT_TRUE(port.probe());
    port.load(28955486, 2);
    KespSimDdsState b{};
    kesp_sim_get_dds(1, &b);
    EXPECT_EQ(b.word, 28955486u);
    EXPECT_EQ(b.phase_code, 2);
    const double v = port.convert(0);
    EXPECT_NEAR(v, kesp_sim_detector_volts(), 2e-8);
    EXPECT_EQ(lib.in(0x378), 0x00) << "the data register reads back the last write";

    kesp_sim_set_fault("no-instrument");
    EXPECT_FALSE(port.probe());
    kesp_sim_reset();
}

// Runs the hardware route in a fresh process with ORBILAN_PARPORT = device,
// calls both functions three times, and checks the results and what reached
// stderr. Exits 0 when everything was as expected.
void hardwareRouteChild(const char* device, const std::string& expected)
{
    unsetenv("ORBILAN_SIMULATE");
    if (device)
        setenv("ORBILAN_PARPORT", device, 1);
    else
        unsetenv("ORBILAN_PARPORT");
    // Its own file: the death tests run side by side under ctest -j.
    const std::string log = ::testing::TempDir() + "inpout32_stderr_" + std::to_string(getpid()) + ".txt";
    const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, 2);
    const PortLibrary lib = loadPortLibrary();
    int faults = 0;
    for (int i = 0; i < 3; ++i) {
        faults += lib.out(0x378, 0x60) != 0;
        faults += lib.in(0x379) != 0;
    }
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    unlink(log.c_str());
    std::size_t count = 0;
    for (std::size_t at = s.find("libinpout32:"); at != std::string::npos; at = s.find("libinpout32:", at + 1))
        ++count;
    std::exit(faults != 0 ? 1 : count != 1 ? 2 : s.find(expected) == std::string::npos ? 3 : 0);
}

TEST(PortLibraryDeathTest, AMissingDeviceIsNamedOnceAndReadsAsNoInstrument)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(hardwareRouteChild("/nonexistent/parport7", "cannot open the parallel port /nonexistent/parport7"),
                ::testing::ExitedWithCode(0), "");
    if (access("/dev/parport0", F_OK) != 0) {
        EXPECT_EXIT(hardwareRouteChild(nullptr, "/dev/parport0"), ::testing::ExitedWithCode(0), "")
            << "without ORBILAN_PARPORT the device is /dev/parport0";
    }
}

TEST(PortLibraryDeathTest, AFileThatIsNotAParallelPortIsRefused)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string path = ::testing::TempDir() + "not_a_port_" + std::to_string(getpid());
    std::ofstream(path) << "x";
    EXPECT_EXIT(hardwareRouteChild(path.c_str(), "not a ppdev parallel-port device"), ::testing::ExitedWithCode(0), "");
    std::remove(path.c_str());
}

TEST(PortLibraryDeathTest, APermissionProblemSaysWhichGroupIsNeeded)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root may open anything";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string path = ::testing::TempDir() + "locked_port_" + std::to_string(getpid());
    std::ofstream(path) << "x";
    chmod(path.c_str(), 0);
    EXPECT_EXIT(hardwareRouteChild(path.c_str(), "needs membership of the group"), ::testing::ExitedWithCode(0), "");
    std::remove(path.c_str());
}

} // namespace
