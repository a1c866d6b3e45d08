// What goes on the wire without an instrument: tuning words and their split,
// the command frames, the voltage scale and the decoding of result frames.
#include <cmath>

#include <gtest/gtest.h>

#include "instrument/adc.h"
#include "instrument/dds.h"
#include "instrument/usb_frames.h"

using namespace orbilan::instrument;

namespace {
constexpr std::int32_t DefaultClock = 148330000;

ReplyFrame reply(std::initializer_list<int> bytes)
{
    ReplyFrame f{};
    int i = 0;
    for (int b : bytes)
        f[static_cast<std::size_t>(i++)] = static_cast<std::uint8_t>(b);
    return f;
}
} // namespace

TEST(TuningWord, PublishedWordsAndTheirHexForm)
{
    EXPECT_EQ(TuningWord(1000000, DefaultClock), 28955486u);
    EXPECT_EQ(TuningWordHex(1000000, DefaultClock), "01B9D35E");
    EXPECT_EQ(TuningWord(0, DefaultClock), 0u);
    EXPECT_EQ(TuningWordHex(0, DefaultClock), "00000000");
    EXPECT_EQ(TuningWord(1, DefaultClock), 29u);
    EXPECT_EQ(TuningWordHex(1, DefaultClock), "0000001D");
    EXPECT_EQ(TuningWord(1000000, 180000000), 23860929u);
    EXPECT_EQ(TuningWord(60000000, DefaultClock), 1737329183u); // the top of the sweep range
    EXPECT_EQ(TuningWordHex(60000000, DefaultClock), "678D8A1F");
}

TEST(TuningWord, SlowClockIsComputedUnsignedAndRefusedAtHalfTheClock)
{
    // 60 MHz on a 100 MHz clock: above 2^31, which a signed word would wrap.
    EXPECT_EQ(TuningWord(60000000, 100000000), 2576980378u);
    EXPECT_EQ(TuningWordHex(60000000, 100000000), "9999999A");
    EXPECT_FALSE(FrequencyInRange(60000000, 100000000));
    EXPECT_FALSE(FrequencyInRange(50000000, 100000000)); // exactly half
    EXPECT_TRUE(FrequencyInRange(49999999, 100000000));
    EXPECT_TRUE(FrequencyInRange(60000000, DefaultClock));
    EXPECT_FALSE(FrequencyInRange(-1, DefaultClock));
    // A broken clock setting gives no word rather than a division by zero.
    EXPECT_FALSE(FrequencyInRange(1000000, 0));
    EXPECT_EQ(TuningWord(1000000, 0), 0u);
    EXPECT_EQ(TuningWord(1000000, -5), 0u);
    EXPECT_EQ(TuningWord(200000000, 100000000), 0xFFFFFFFFu); // saturates, never wraps
}

TEST(TuningWord, HexWordSplitsLeastSignificantByteFirst)
{
    const auto b = HexWordBytes("01B9D35E");
    EXPECT_EQ(b[0], 0x5E);
    EXPECT_EQ(b[1], 0xD3);
    EXPECT_EQ(b[2], 0xB9);
    EXPECT_EQ(b[3], 0x01);
    const auto low = HexWordBytes("1d");
    EXPECT_EQ(low[0], 0x1D);
    EXPECT_EQ(low[3], 0x00);
}

TEST(Frames, StartupStatusAndMeasureFramesByteForByte)
{
    CommandFrame f{};
    FillStatusFrame(f);
    EXPECT_EQ(std::vector<int>(f.begin(), f.begin() + 15), (std::vector<int>{0x55, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    FillDdsFrame(f, true);
    EXPECT_EQ(std::vector<int>(f.begin(), f.begin() + 15),
              (std::vector<int>{0x55, 0xC0, 0, 0, 0, 0x04, 0x01, 0xB9, 0xCC, 0x48, 0x04, 0x01, 0xB9, 0xCC, 0x48}));
    FillDdsFrame(f, false);
    EXPECT_EQ(std::vector<int>(f.begin(), f.begin() + 15),
              (std::vector<int>{0x55, 0x40, 0, 0, 0, 0x00, 0x01, 0xB9, 0xCC, 0x48, 0x00, 0x01, 0xB9, 0xCC, 0x48}));
    FillMeasureFrame(f, CmdMeasurePairFirst, 0x01B9D35E, 3, {10, 5, 9});
    EXPECT_EQ(std::vector<int>(f.begin(), f.begin() + 15),
              (std::vector<int>{0x55, 0x58, 10, 5, 9, 0xC0, 0x01, 0xB9, 0xD3, 0x5E, 0x00, 0x01, 0xB9, 0xD3, 0x5E}));
    FillMeasureFrame(f, CmdMeasure, 0x678D8A1F, 1, {250, 100, 15});
    EXPECT_EQ(std::vector<int>(f.begin(), f.begin() + 15),
              (std::vector<int>{0x55, 0x50, 250, 100, 15, 0x40, 0x67, 0x8D, 0x8A, 0x1F, 0x00, 0x67, 0x8D, 0x8A, 0x1F}));
}

TEST(Frames, SettingsNeverWrapIntoAFrameByte)
{
    bool limited = true;
    EXPECT_EQ(FrameByte(250, &limited), 250);
    EXPECT_FALSE(limited);
    EXPECT_EQ(FrameByte(255, &limited), 255);
    EXPECT_FALSE(limited);
    EXPECT_EQ(FrameByte(256, &limited), 255); // not 0
    EXPECT_TRUE(limited);
    EXPECT_EQ(FrameByte(300), 255);
    EXPECT_EQ(FrameByte(-5, &limited), 0);    // not 251
    EXPECT_TRUE(limited);
}

TEST(AdcScale, ParallelAndUsbWordsReadAsTheInstrumentDefines)
{
    EXPECT_DOUBLE_EQ(ParallelVolts(0x0FFFFFFF), 2.5 - 1.25 / 67108864.0); // bits 29..2 all 1
    EXPECT_DOUBLE_EQ(ParallelVolts(0), -2.5);
    EXPECT_DOUBLE_EQ(ParallelVolts(0x08000000), 0.0);                     // only the sign bit
    EXPECT_DOUBLE_EQ(WordVolts(0x20000000), 0.0);
    EXPECT_DOUBLE_EQ(WordVolts(0x30000000), 1.25);
}

TEST(ResultFrames, DecodingAveragesTheWordsThatArrived)
{
    // n = 2, words 0x20000000 and 0x30000000: (0 + 1.25) / 2.
    auto f = reply({0, 0x20, 0, 0, 2, 0x20, 0, 0, 0, 0x30, 0, 0, 0});
    ASSERT_TRUE(DecodeResult(f, 13).has_value());
    EXPECT_DOUBLE_EQ(*DecodeResult(f, 13), 0.625);
    EXPECT_TRUE(ReplyCarriesResult(f, 13));
    // The frame claims two words, but only one came: only it counts.
    EXPECT_DOUBLE_EQ(*DecodeResult(f, 9), 0.0);
    // n = 0 carries nothing.
    EXPECT_FALSE(DecodeResult(reply({0, 0x20, 0, 0, 0}), 5).has_value());
    // A claimed count beyond what one read can carry is held to what arrived.
    auto big = reply({0, 0x20, 0, 0, 200});
    for (int i = 5; i < 255; ++i)
        big[static_cast<std::size_t>(i)] = (i - 5) % 4 == 0 ? 0x30 : 0;
    EXPECT_DOUBLE_EQ(*DecodeResult(big, 255), 1.25);
}

TEST(ResultFrames, ShortRepliesNeverShowStaleBytes)
{
    const auto f = reply({0, 0x60, 0, 0, 1, 0x30, 0, 0, 0});
    EXPECT_TRUE(ReplyCarriesResult(f, 9));
    EXPECT_TRUE(ReplySaysNotReady(f, 9));
    // Same buffer, but the last read brought one byte: byte 1 is not part of it.
    EXPECT_FALSE(ReplyCarriesResult(f, 1));
    EXPECT_FALSE(ReplySaysNotReady(f, 0));
    EXPECT_FALSE(DecodeResult(f, 0).has_value());
    const auto clear = reply({0, 0x40, 0, 0, 0});
    EXPECT_FALSE(ReplyCarriesResult(clear, 5));
}
