// The program's side of both transports against stand-in libraries: every
// port write and every frame byte, the ADC read-out, the waits, and what each
// operation reports when the library or the instrument fails it.
#include <gtest/gtest.h>

#include "fake_link.h"
#include "instrument/instrument.h"
#include "instrument/link_library.h"

using namespace orbilan::instrument;
using orbilan::test::FakeParallelInstrument;
using orbilan::test::FakeUsbInstrument;

namespace {

constexpr std::int32_t Clock = 148330000;
constexpr PortAddress Lpt1{888, 889};

class Link : public ::testing::Test {
protected:
    Link()
    {
        link.setLibraryDir(orbilan::test::fakeLibraryDir());
        link.setSleep([this](int ms) { sleeps.push_back(ms); });
    }
    std::vector<int> tail(const std::vector<int>& v, std::size_t n)
    {
        return std::vector<int>(v.end() - static_cast<std::ptrdiff_t>(n), v.end());
    }
    Instrument link;
    std::vector<int> sleeps;
};

std::vector<int> bytes(const std::vector<std::uint8_t>& frame)
{
    return std::vector<int>(frame.begin(), frame.end());
}

} // namespace

TEST_F(Link, DdsLoadClocksFortyBitsToBothAndEndsWithThePhaseBits)
{
    FakeParallelInstrument vna;
    ASSERT_TRUE(link.DdsLoad(Lpt1, "01B9D35E", 3).ok());
    const auto w = vna.dataWrites();
    ASSERT_EQ(w.size(), 83u);
    // Byte 0 is 0x5E = 0101 1110, sent bit 0 first: 0, 1, 1, 1 ...
    EXPECT_EQ(std::vector<int>(w.begin(), w.begin() + 8), (std::vector<int>{0x00, 0x04, 0x03, 0x07, 0x03, 0x07, 0x03, 0x07}));
    EXPECT_EQ(tail(w, 7), (std::vector<int>{0x02, 0x06, 0x02, 0x06, 0x00, 0x08, 0x00}));
    EXPECT_EQ(vna.wordA, 0x01B9D35Eu);
    EXPECT_EQ(vna.wordB, 0x01B9D35Eu);
    EXPECT_EQ(vna.controlA, 0x00);
    EXPECT_EQ(vna.controlB, 0xC0);

    vna.clear();
    ASSERT_TRUE(link.DdsLoad(Lpt1, "01B9D35E", 2).ok());
    EXPECT_EQ(tail(vna.dataWrites(), 7), (std::vector<int>{0x00, 0x04, 0x02, 0x06, 0x00, 0x08, 0x00}));
    EXPECT_EQ(vna.controlB, 0x80);
    EXPECT_EQ(vna.updates, 1);
}

TEST_F(Link, ResetWakeAndSleepSequences)
{
    FakeParallelInstrument vna;
    ASSERT_TRUE(link.DdsResetSerial(Lpt1).ok());
    std::vector<int> expected{0x10, 0x00, 0x04, 0x00, 0x00, 0x08, 0x00};
    for (int i = 0; i < 40; ++i) {
        expected.push_back(0x04);
        expected.push_back(0x00);
    }
    for (int v : {0x00, 0x08, 0x00})
        expected.push_back(v);
    EXPECT_EQ(vna.dataWrites(), expected);

    vna.clear();
    ASSERT_TRUE(link.DdsWake(Lpt1, Clock).ok());
    EXPECT_EQ(vna.dataWrites().size(), 166u);
    EXPECT_EQ(vna.updates, 2);
    EXPECT_EQ(sleeps, (std::vector<int>{10}));
    EXPECT_EQ(vna.wordA, 29u); // the 1 Hz word
    EXPECT_EQ(vna.controlA, 0x00);
    EXPECT_EQ(vna.controlB, 0x00);

    vna.clear();
    ASSERT_TRUE(link.DdsSleep(Lpt1, Clock).ok());
    EXPECT_EQ(vna.dataWrites().size(), 83u);
    EXPECT_EQ(vna.controlA, 0x04); // powered down
    EXPECT_EQ(vna.controlB, 0x04);
    EXPECT_EQ(vna.wordB, 29u);
}

TEST_F(Link, AdcConversionSendsTheModeAndReadsBitsTwentyNineToTwo)
{
    FakeParallelInstrument vna;
    vna.dataPort = 0x278;
    const PortAddress lpt2{0x278, 0x279};
    vna.volts = {2.5 - 1.25 / 67108864.0, -2.5, 0.0, 1.0};
    ASSERT_TRUE(link.DdsLoad(lpt2, "01B9D35E", 0).ok());
    vna.clear();
    ASSERT_TRUE(link.AdcConvert(lpt2, 9).ok());
    EXPECT_DOUBLE_EQ(link.AdcVolts, 2.5 - 1.25 / 67108864.0);
    ASSERT_EQ(vna.modeBits.size(), 1u);
    EXPECT_EQ(vna.modeBits[0], (std::vector<int>{0, 1, 0, 0, 1}));
    const auto w = vna.dataWrites();
    ASSERT_EQ(w.size(), 3u + 62u + 1u);
    EXPECT_EQ(std::vector<int>(w.begin(), w.begin() + 5), (std::vector<int>{0x60, 0x40, 0x00, 0x00, 0x20}));
    EXPECT_EQ(std::vector<int>(w.begin() + 5, w.begin() + 11), (std::vector<int>{0x01, 0x21, 0x00, 0x20, 0x00, 0x20}));
    EXPECT_EQ(w.back(), 0x00);
    // Every read is of the status register beside the data register:
    // the busy polls, the end of conversion, then one per clock.
    const auto reads = vna.statusReadPorts();
    EXPECT_EQ(reads.size(), 2u + 1u + 31u);
    for (auto port : reads)
        EXPECT_EQ(port, 0x279);

    ASSERT_TRUE(link.DdsLoad(lpt2, "01B9D35E", 1).ok());
    ASSERT_TRUE(link.AdcConvert(lpt2, 0).ok());
    EXPECT_DOUBLE_EQ(link.AdcVolts, -2.5);
    ASSERT_TRUE(link.DdsLoad(lpt2, "01B9D35E", 2).ok());
    ASSERT_TRUE(link.AdcConvert(lpt2, 0).ok());
    EXPECT_DOUBLE_EQ(link.AdcVolts, 0.0);
    EXPECT_EQ(vna.modeBits.back(), (std::vector<int>{0, 0, 0, 0, 0}));
}

TEST_F(Link, AveragingWaitsThenAveragesAndNeverConvertsLessThanOnce)
{
    FakeParallelInstrument vna;
    vna.volts = {0.75, 0, 0, 0};
    ASSERT_TRUE(link.AdcReadAveraged(Lpt1, 20, 3, 0).ok());
    EXPECT_EQ(vna.conversions, 3);
    EXPECT_NEAR(link.AdcVolts, 0.75, 2e-8);
    EXPECT_EQ(sleeps, (std::vector<int>{20}));

    // An earlier point's value must never pass for this one's.
    for (int averages : {0, -3}) {
        vna.clear();
        link.AdcVolts = 1.5;
        ASSERT_TRUE(link.AdcReadAveraged(Lpt1, 7, averages, 0).ok());
        EXPECT_EQ(vna.conversions, 1);
        EXPECT_NEAR(link.AdcVolts, 0.75, 2e-8);
    }
    EXPECT_EQ(sleeps, (std::vector<int>{20, 7, 7}));
}

TEST_F(Link, ProbeFindsTheInstrumentByAnyResultBit)
{
    FakeParallelInstrument vna;
    bool answers = true;
    vna.fixedBit7 = 0; // nothing connected
    ASSERT_TRUE(link.ParallelProbe(Lpt1, 2410, answers).ok());
    EXPECT_FALSE(answers);
    EXPECT_EQ(sleeps, (std::vector<int>{250}));
    const auto w = vna.dataWrites();
    ASSERT_EQ(w.size(), 3u + 54u);
    EXPECT_EQ(tail(w, 2), (std::vector<int>{0x00, 0x20})); // clock left high, ADC selected

    vna.fixedBit7 = 1;
    ASSERT_TRUE(link.ParallelProbe(Lpt1, 2440, answers).ok());
    EXPECT_TRUE(answers);
    EXPECT_EQ(sleeps.size(), 1u); // the 2440 needs no wait

    vna.fixedBit7 = -1;
    ASSERT_TRUE(link.ParallelProbe(Lpt1, 2440, answers).ok());
    EXPECT_TRUE(answers);
}

TEST_F(Link, StuckConversionEndsInAFaultAfterTheTimeLimit)
{
    FakeParallelInstrument vna;
    vna.stuck = true;
    link.setTimeLimits({30, 30});
    const LinkStatus s = link.AdcReadAveraged(Lpt1, 0, 5, 0);
    EXPECT_EQ(s.fault, LinkFault::NoEndOfConversion);
    EXPECT_EQ(s.limitMs, 30);
}

TEST_F(Link, MissingLibraryOrFunctionIsReportedNotCrashed)
{
    Instrument none;
    none.setLibraryDir(orbilan::test::emptyLibraryDir());
    LinkStatus s = none.DdsLoad(Lpt1, "00000000", 0);
    EXPECT_EQ(s.fault, LinkFault::LibraryMissing);
    EXPECT_EQ(s.library, "libinpout32.so");
    EXPECT_FALSE(s.detail.empty());
    s = none.UsbProbe();
    EXPECT_EQ(s.fault, LinkFault::LibraryMissing);
    EXPECT_EQ(s.library, "libbrindle.so");

    Instrument broken;
    broken.setLibraryDir(orbilan::test::brokenLibraryDir());
    s = broken.AdcConvert(Lpt1, 0);
    EXPECT_EQ(s.fault, LinkFault::FunctionMissing);
    EXPECT_EQ(s.function, "Inp32");
    // Asked again, the same answer: nothing half-bound is ever called.
    EXPECT_EQ(broken.DdsResetSerial(Lpt1).fault, LinkFault::FunctionMissing);
}

TEST(LinkLibrarySearch, BesideTheProgramThenThePrivateFolderNeverTheWorkingFolder)
{
    EXPECT_EQ(LinkLibrary::searchFolders("/usr/bin"), (std::vector<std::string>{"/usr/bin", "/usr/lib/orbilan"}));
    EXPECT_EQ(LinkLibrary::searchFolders("/opt/kesp/bin"),
              (std::vector<std::string>{"/opt/kesp/bin", "/opt/kesp/lib/orbilan"}));
    EXPECT_TRUE(LinkLibrary::searchFolders("").empty());

    // A library in neither folder is missing, even when the loader's own
    // search path would find one of that name.
    LinkLibrary absent("libm.so.6", {"cos"});
    const BindResult& r = absent.bind();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.function, "");
    const std::string here = LinkLibrary::programFolder();
    EXPECT_EQ(r.detail, "libm.so.6 is not in " + here + " or " + LinkLibrary::searchFolders(here)[1]);
}

TEST_F(Link, UsbStartupFrames)
{
    FakeUsbInstrument vna;
    ASSERT_TRUE(link.UsbProbe().ok());
    ASSERT_EQ(vna.frames.size(), 1u);
    EXPECT_EQ(bytes(vna.frames[0]), (std::vector<int>{0x55, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(vna.reads, 3);
    EXPECT_FALSE(link.UsbNotReady());
    vna.notReady = true;
    ASSERT_TRUE(link.UsbProbe().ok());
    EXPECT_TRUE(link.UsbNotReady());

    vna.clear();
    ASSERT_TRUE(link.UsbDdsInit().ok());
    ASSERT_EQ(vna.frames.size(), 2u);
    EXPECT_EQ(bytes(vna.frames[0]), (std::vector<int>{0x55, 0xC0, 0, 0, 0, 0x04, 0x01, 0xB9, 0xCC, 0x48, 0x04, 0x01, 0xB9, 0xCC, 0x48}));
    EXPECT_EQ(bytes(vna.frames[1]), (std::vector<int>{0x55, 0x40, 0, 0, 0, 0x00, 0x01, 0xB9, 0xCC, 0x48, 0x00, 0x01, 0xB9, 0xCC, 0x48}));
    EXPECT_EQ(sleeps, (std::vector<int>{10}));
    ASSERT_TRUE(link.UsbDdsSleep().ok());
    EXPECT_EQ(bytes(vna.frames[2]), bytes(vna.frames[0]));
    EXPECT_EQ(vna.reads, 0);
}

TEST_F(Link, UsbPairDropsRepliesWithoutAResultAndKeepsThePhaseOrder)
{
    FakeUsbInstrument vna;
    vna.emptyBefore = 3;
    ASSERT_TRUE(link.UsbMeasurePair(0x01B9D35E, 0, 2, {10, 4, 9}).ok());
    ASSERT_EQ(vna.frames.size(), 2u);
    EXPECT_EQ(bytes(vna.frames[0]), (std::vector<int>{0x55, 0x58, 10, 4, 9, 0x00, 0x01, 0xB9, 0xD3, 0x5E, 0x00, 0x01, 0xB9, 0xD3, 0x5E}));
    EXPECT_EQ(bytes(vna.frames[1]), (std::vector<int>{0x55, 0x50, 10, 4, 9, 0x80, 0x01, 0xB9, 0xD3, 0x5E, 0x00, 0x01, 0xB9, 0xD3, 0x5E}));
    EXPECT_EQ(vna.reads, 8);
    EXPECT_NEAR(link.AdcVoltsFirst, 0.5, 1e-8);
    EXPECT_NEAR(link.AdcVolts, -0.4, 1e-8);

    vna.clear();
    ASSERT_TRUE(link.UsbMeasure(0x01B9D35E, 1, false, {10, 4, 9}).ok());
    EXPECT_EQ(vna.reads, 0);
    ASSERT_TRUE(link.UsbMeasure(0x01B9D35E, 1, true, {10, 4, 9}).ok());
    EXPECT_NEAR(link.AdcVolts, -0.25, 1e-8);
}

TEST_F(Link, UsbResultWithoutWordsIsAFailedReading)
{
    FakeUsbInstrument vna;
    vna.silent = true;
    vna.replies.push_back({0, 0x20, 0, 0, 0});
    link.AdcVolts = 0.125;
    link.AdcVoltsFirst = -0.125;
    EXPECT_EQ(link.UsbMeasurePair(0x01B9D35E, 0, 1, {10, 1, 0}).fault, LinkFault::EmptyResult);
    EXPECT_EQ(vna.reads, 1); // no second result is waited for
    EXPECT_EQ(link.AdcVolts, 0.125);
    EXPECT_EQ(link.AdcVoltsFirst, -0.125);

    // The second result of a pair, and a single result, likewise.
    vna.clear();
    vna.replies.push_back({0, 0x20, 0, 0, 1, 0x20, 0, 0, 0});
    vna.replies.push_back({0, 0x20, 0, 0, 0});
    EXPECT_EQ(link.UsbMeasurePair(0x01B9D35E, 0, 1, {10, 1, 0}).fault, LinkFault::EmptyResult);
    EXPECT_EQ(vna.reads, 2);
    vna.clear();
    vna.replies.push_back({0, 0x20, 0, 0, 0});
    EXPECT_EQ(link.UsbMeasure(0x01B9D35E, 0, true, {10, 1, 0}).fault, LinkFault::EmptyResult);
}

TEST_F(Link, UsbFailuresAndSilenceAreReported)
{
    FakeUsbInstrument vna;
    vna.failReadFrom = 1;
    EXPECT_EQ(link.UsbProbe().fault, LinkFault::TransferFailed);
    EXPECT_EQ(vna.reads, 2);

    vna.failReadFrom = -1;
    vna.failWriteFrom = 1;
    vna.clear();
    EXPECT_EQ(link.UsbMeasurePair(1, 0, 1, {}).fault, LinkFault::TransferFailed);
    EXPECT_EQ(vna.frames.size(), 2u);
    EXPECT_EQ(vna.reads, 0);

    vna.failWriteFrom = -1;
    vna.silent = true;
    vna.clear();
    link.setTimeLimits({30, 30});
    const LinkStatus s = link.UsbMeasure(1, 0, true, {});
    EXPECT_EQ(s.fault, LinkFault::NoResult);
    EXPECT_EQ(s.limitMs, 30);
    EXPECT_GT(vna.reads, 1);
}
