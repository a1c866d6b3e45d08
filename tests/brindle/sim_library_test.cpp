// The built libbrindle.so on the simulated instrument: frames reach the
// firmware, the port functions round-trip through the instrument's port
// image, the instance choice decides which device opens, and the shared
// device's log reaches the file when the process ends.
#include <cstdlib>

#include <gtest/gtest.h>

#include "brindle/brindle.h"
#include "sim/kesp_sim.h"
#include "support/test_platform.h"

namespace {

class SimBrindle : public ::testing::Test {
protected:
    SimBrindle()
    {
        setenv("ORBILAN_SIMULATE", "1", 1);
        setenv("XDG_STATE_HOME", state.str().c_str(), 1);
        kesp_sim_reset();
        kesp_sim_set_timing(0);
        kesp_sim_set_fault("none");
    }
    std::string log() const { return orbilan::test::readFile(state.path() / "orbilan" / "vnalog.txt"); }
    orbilan::test::TempDir state;
};

// One status exchange, then the process ends the ordinary way.
[[noreturn]] void exchangeThenExit()
{
    unsigned char frame[16] = {0x55, 0x00};
    unsigned char reply[256];
    std::int16_t count = 0;
    const bool ok = vnawrite(frame, 15) == 1 && vnaread(reply, &count) == 1 && count == 5;
    std::exit(ok ? 0 : 1);
}

} // namespace

TEST_F(SimBrindle, PortFunctionsRoundTripThroughTheInstrument)
{
    for (int v : {0x01, 0x25, 0x7F, 0x40}) {
        ASSERT_EQ(Out32(0x378, static_cast<std::int16_t>(v)), 1);
        EXPECT_EQ(Inp32(0x378), v);
    }
    EXPECT_EQ(Out32(0x378, 0xFF), 1);
    EXPECT_EQ(Inp32(0x378), 0x7F); // bit 7 is not carried
    const std::int16_t status = Inp32(0x379);
    EXPECT_TRUE(status == 0x80 || status == 0x00);
    KespSimUsbState usb{};
    kesp_sim_get_usb(&usb);
    EXPECT_EQ(usb.ignored, 0u);
    EXPECT_NE(log().find("Cache created\nWrite Length 4: Message = 5a 80 20 00 \nCache closed\n"), std::string::npos);
    EXPECT_NE(log().find("Read command, count = 5 Data =aa "), std::string::npos);

    kesp_sim_set_fault("usb-read-fail:1");
    EXPECT_EQ(Inp32(0x379), -1);
}

TEST_F(SimBrindle, InstanceChoiceDecidesWhichDeviceOpens)
{
    VNADevice d;
    EXPECT_EQ(d.get_State(), 1);
    EXPECT_EQ(d.get_Instance(), 0);
    EXPECT_TRUE(d.Init());
    EXPECT_EQ(d.get_BytesReturned(), 9);
    EXPECT_TRUE(d.Stop());
    EXPECT_TRUE(d.Start());
    EXPECT_TRUE(d.set_Instance(3));
    unsigned char reply[256];
    EXPECT_FALSE(d.Read(reply)); // the simulated instrument is device 0
    EXPECT_EQ(d.get_State(), -1);
    EXPECT_TRUE(d.set_Instance(0));
    EXPECT_TRUE(d.Read(reply));
    EXPECT_EQ(d.get_State(), 1);
    EXPECT_EQ(reply[0], 0xAA);
}

TEST_F(SimBrindle, SharedDeviceLogReachesTheFileAtProcessEnd)
{
    const auto file = state.path() / "orbilan" / "vnalog.txt";
    EXPECT_EXIT(exchangeThenExit(), ::testing::ExitedWithCode(0), "");
    const std::string text = orbilan::test::readFile(file);
    EXPECT_NE(text.find("Cache created\nWrite Length 15: Message = 55 00 00 00 00 00 00 00 00 00 00 00 00 00 00 \n"
                        "Read command, count = 5 Data =aa "),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Cache closed\n"), std::string::npos);
}
