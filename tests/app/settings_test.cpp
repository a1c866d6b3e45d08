// Reading vna.ini: every key with its conversion, the messages, and what a
// damaged file does (defaults kept, reading stops at the bad line, no crash).
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/settings.h"
#include "support/test_platform.h"

using namespace orbilan::app;

namespace {

struct Read {
    Settings s;
    ConfigOutcome out;
};

Read read(const std::string& text, const std::string& previousTitle = InitialTitle)
{
    std::istringstream in(text);
    Read r;
    r.out = LoadCFG(&in, r.s, previousTitle);
    return r;
}

} // namespace

TEST(Config, DefaultsAndTheMissingFile)
{
    Settings s;
    s.AdcWaitMs = 99;
    const ConfigOutcome out = LoadCFG(nullptr, s, "old title");
    EXPECT_FALSE(out.fileFound);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0], "No vna.ini file found - using defaults");
    EXPECT_EQ(out.title, "old title");
    EXPECT_EQ(s.AdcWaitMs, 10);
    EXPECT_EQ(s.ClockHz, 148330000); // exactly, not the single-precision product
    EXPECT_EQ(s.SweepPoints, 11);
    EXPECT_EQ(s.DataPort, 888);
    EXPECT_EQ(s.StatusPort, 889);
    EXPECT_FALSE(s.UsbLink);
    EXPECT_FLOAT_EQ(s.ReadOverheadMs, 10);
    EXPECT_EQ(s.GraticuleColour, 0x404040u);
    EXPECT_EQ(read("").out.title, "Kesp VNA");
}

TEST(Config, ClockPortAndUsb)
{
    auto r = read("clk=148.33\n");
    EXPECT_EQ(r.s.ClockHz, 148330002);
    EXPECT_EQ(read("clk = 180 MHz\n").s.ClockHz, 180000000);
    r = read("port=&H278\n");
    EXPECT_EQ(r.s.DataPort, 0x278);
    EXPECT_EQ(r.s.StatusPort, 0x279);
    r = read("usb = yes please\n");
    EXPECT_TRUE(r.s.UsbLink);
    EXPECT_FLOAT_EQ(r.s.ReadOverheadMs, 0.3f);
    EXPECT_FALSE(read("usb = no\n").s.UsbLink);
    EXPECT_TRUE(read("usb=Y\nusb = no\n").s.UsbLink); // "no" leaves it as it was
}

TEST(Config, UsbIdsOfAnotherFirmware)
{
    EXPECT_EQ(read("").s.UsbId, "");
    auto r = read("usbid = 4B4:8613 an FX2 board\n");
    EXPECT_EQ(r.s.UsbId, "04b4:8613");
    EXPECT_TRUE(r.out.messages.empty());
    // A malformed pair names itself and leaves the default, also over an
    // earlier good line; reading goes on.
    for (const char* bad : {"usbid = 0547\n", "usbid = 0547:21311\n", "usbid = :2131\n", "usbid = 05g7:2131\n",
                            "usbid = 0547:2131:1\n"}) {
        r = read(std::string("usbid = 1234:5678\n") + bad + "npoints = 50\n");
        EXPECT_EQ(r.s.UsbId, "") << bad;
        EXPECT_EQ(r.s.SweepPoints, 50) << bad;
        ASSERT_EQ(r.out.messages.size(), 1u) << bad;
        EXPECT_EQ(r.out.messages[0], "VNA.INI  usbid entry error (vvvv:pppp expected)\rthe default USB ids are used");
    }
}

TEST(Config, OwnerTitleAndComments)
{
    auto r = read("owner = Lab1 bench\n");
    EXPECT_EQ(r.s.OwnerName, "Lab1");
    EXPECT_EQ(r.out.title, "Lab1's Kesp VNA");
    EXPECT_EQ(read("owner=Abcdefghijklmnop\n").s.OwnerName, "Abcdefghij");
    r = read("(adcdel=1\n[adcdel=2\n  # adcdel=3\n'adcdel=4\n;adcdel=5\nadcdel 6\n=7\n");
    EXPECT_EQ(r.s.AdcWaitMs, 10);
    EXPECT_TRUE(r.out.messages.empty());
    EXPECT_EQ(read("ADCDEL = 25 ms settle\n").s.AdcWaitMs, 25);
    EXPECT_EQ(read("adcdel\t= 25\n").s.AdcWaitMs, 10); // a tab is not a blank
    EXPECT_EQ(read("adcdel = 2.5\nadcavg=3.5\n").s.AdcWaitMs, 2);
    EXPECT_EQ(read("adcavg=3.5\n").s.AdcAverages, 4);
    EXPECT_EQ(read("adcdel = fast\n").s.AdcWaitMs, 0); // no number gives 0
}

TEST(Config, PointsAdcTypeAndGraticule)
{
    auto r = read("npoints=10\n");
    EXPECT_EQ(r.s.SweepPoints, 21);
    ASSERT_EQ(r.out.messages.size(), 1u);
    EXPECT_EQ(r.out.messages[0], "VNA.INI  npoints entry error\rnpoints set to default (21)");
    EXPECT_EQ(read("npoints=401\n").s.SweepPoints, 401);
    EXPECT_EQ(read("npoints=99999999\n").s.SweepPoints, 21);

    // No readings per point would measure nothing: held at one, and said.
    for (const char* line : {"adcavg=0\n", "adcavg=-4\n", "adcavg = none\n", "adcavg=0.4\n"}) {
        r = read(line);
        EXPECT_EQ(r.s.AdcAverages, 1) << line;
        ASSERT_EQ(r.out.messages.size(), 1u) << line;
        EXPECT_EQ(r.out.messages[0], "VNA.INI  adcavg entry error\radcavg set to 1");
    }
    EXPECT_EQ(read("adcavg=0.6\n").s.AdcAverages, 1);
    EXPECT_TRUE(read("adcavg=0.6\n").out.messages.empty());

    // adctype=2410 resets the mode: an adcmode line before it is lost.
    r = read("adcmode=5\nadctype=2410\n");
    EXPECT_EQ(r.s.AdcMode, 0);
    EXPECT_EQ(r.out.adcModeButtonVisible, 0);
    r = read("adctype=2410\nadcmode=5\n");
    EXPECT_EQ(r.s.AdcMode, 5);
    EXPECT_TRUE(r.out.adcModeCaptionSet);
    r = read("adcmode=3\nadctype=2440\n");
    EXPECT_EQ(r.s.AdcMode, 3);
    EXPECT_EQ(r.s.AdcType, 2440);
    EXPECT_EQ(r.out.adcModeButtonVisible, 1);
    r = read("adcmode=3\nadctype=2420\n");
    EXPECT_EQ(r.s.AdcType, 2410);
    EXPECT_EQ(r.s.AdcMode, 0);
    ASSERT_EQ(r.out.messages.size(), 1u);
    EXPECT_EQ(r.out.messages[0], "VNA.INI  ADCType entry error\rset to default 2410");
    EXPECT_EQ(AdcModeCaption(15), "ADC Mode\r 15");

    EXPECT_EQ(read("graticule=7\n").s.GraticuleColour, 0x404040u);
    EXPECT_EQ(read("graticule=0\n").s.GraticuleColour, 0x000000u);
    EXPECT_EQ(read("graticule=4\n").s.GraticuleColour, 0xFFFFFFu);
    auto loads = read("zo=75\nrld=49.9\ncld=1.5\nlld=2\ncop=1\nrsh=2\nlsh=3\n");
    EXPECT_FLOAT_EQ(loads.s.Z0, 75);
    EXPECT_FLOAT_EQ(loads.s.LoadStdR, 49.9f);
    EXPECT_FLOAT_EQ(loads.s.LoadStdC, 1.5f);
    EXPECT_FLOAT_EQ(loads.s.LoadStdL, 2);
}

TEST(Config, OverflowStopsReadingAtThatLine)
{
    auto r = read("owner=Lab\nadcdel=20\nadcavg=40000\nadcmode=4\n", "previous");
    EXPECT_EQ(r.s.AdcWaitMs, 20);     // read before the bad line
    EXPECT_EQ(r.s.AdcAverages, 1);    // default kept
    EXPECT_EQ(r.s.AdcMode, 0);        // not reached
    EXPECT_EQ(r.out.errorLine, 3);
    EXPECT_EQ(r.out.title, "previous");
    ASSERT_EQ(r.out.messages.size(), 1u);
    EXPECT_EQ(r.out.messages[0], "Error 6 reading vna.ini, line 3:\radcavg=40000");

    EXPECT_EQ(read("zo=1e39\n").out.errorLine, 1);  // too large for single precision
    EXPECT_EQ(read("clk=5000\n").out.errorLine, 1); // 5 GHz does not fit the clock in Hz
    EXPECT_EQ(read("port=32767\n").out.errorLine, 1); // its status register would not fit
}

TEST(Config, LineEndsAndDamagedFiles)
{
    EXPECT_EQ(read("adcdel=5\r\nadcavg=7\r\n").s.AdcAverages, 7);
    EXPECT_EQ(read("adcdel=5\radcavg=7\r").s.AdcAverages, 7);
    EXPECT_EQ(read("adcdel=5\nadcavg=7").s.AdcAverages, 7); // no final line end
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 37) & 0xFF);
    auto r = read(binary + "\nadcavg=9\n");
    EXPECT_EQ(r.s.AdcAverages, 9);
    std::string longLine(1 << 20, 'x');
    EXPECT_EQ(read(longLine + "=1\nadcavg=8\n").s.AdcAverages, 8);
    ConfigLine cl = ReadConfigLine("  Clk  =  148.33 MHz  ");
    EXPECT_EQ(cl.key, "clk");
    EXPECT_EQ(cl.value, "148.33");
}

TEST(ConfigFile, OnlyARegularFileOfSensibleSizeIsRead)
{
    namespace fs = std::filesystem;
    orbilan::test::TempDir dir;
    const std::string path = (dir.path() / "vna.ini").string();
    Settings s;
    auto out = LoadConfigFile(dir.str(), s, "before");
    ASSERT_EQ(out.messages, std::vector<std::string>{"No vna.ini file found - using defaults"});

    dir.write("vna.ini", "owner = Lab\r\nadcdel = 30\r\n");
    out = LoadConfigFile(dir.str(), s, "before");
    EXPECT_TRUE(out.messages.empty());
    EXPECT_EQ(out.title, "Lab's Kesp VNA");
    EXPECT_EQ(s.AdcWaitMs, 30);

    // A link to a device that never ends, a pipe no one writes, a file far
    // too large: each is said to be unreadable, and the defaults hold.
    fs::remove(path);
    fs::create_symlink("/dev/zero", path);
    out = LoadConfigFile(dir.str(), s, "before");
    EXPECT_EQ(out.messages, std::vector<std::string>{"Error 75 reading vna.ini: Not a regular file\r" + path});
    EXPECT_TRUE(out.fileFound);
    EXPECT_EQ(out.title, "before");
    EXPECT_EQ(s.AdcWaitMs, 10);

    fs::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
    out = LoadConfigFile(dir.str(), s, "before");
    EXPECT_EQ(out.messages, std::vector<std::string>{"Error 75 reading vna.ini: Not a regular file\r" + path});

    fs::remove(path);
    dir.write("vna.ini", "adcdel = 30\r\n" + std::string(MaxConfigBytes, '#'));
    out = LoadConfigFile(dir.str(), s, "before");
    EXPECT_EQ(out.messages, std::vector<std::string>{"Error 7 reading vna.ini: The file is too large\r" + path});
    EXPECT_EQ(s.AdcWaitMs, 10);
}
