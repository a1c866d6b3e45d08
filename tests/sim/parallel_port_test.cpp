// The instrument as the printer-port transport sees it: synthesiser loads,
// reset and wake sequences, ADC conversions and the presence probe.
#include "sim_fixture.h"

namespace {

constexpr double MHz = 1e6;
// 148.33 MHz clock: the word of exactly 1 MHz.
constexpr std::uint32_t OneMHzWord = 28955486;

TEST_F(SimTest, ResetAndWakeLeaveBothSynthesisersRunningAtTheOneHertzWord)
{
    port.resetSerial();
    EXPECT_TRUE(dds(0).serial_mode);
    EXPECT_TRUE(dds(1).serial_mode);
    EXPECT_EQ(dds(0).word, 0u);

    port.loadBothWithControl(29, 0x04);
    EXPECT_EQ(dds(0).word, 29u);
    EXPECT_TRUE(dds(0).powered_down);
    EXPECT_TRUE(dds(1).powered_down);
    port.loadBothWithControl(29, 0x00);
    EXPECT_FALSE(dds(0).powered_down);
    EXPECT_NEAR(dds(1).hz, 29 * 148330000.0 / 4294967296.0, 1e-9);

    port.sleep();
    EXPECT_TRUE(dds(0).powered_down);
    EXPECT_DOUBLE_EQ(kesp_sim_detector_volts(), kesp_sim_detector_offset()) << "powered down: no signal";
}

TEST_F(SimTest, AfterABareResetTheFirstLoadOnlyEntersSerialMode)
{
    port.write(0x10);
    port.write(0x00);
    port.load(OneMHzWord, 0);
    EXPECT_TRUE(dds(0).serial_mode);
    EXPECT_EQ(dds(0).word, 0u) << "its bits went to the parallel input";
    port.load(OneMHzWord, 0);
    EXPECT_EQ(dds(0).word, OneMHzWord);
}

TEST_F(SimTest, LoadDecodesTheWordAndEveryLoPhaseCode)
{
    port.resetSerial();
    port.wake();
    for (int phase = 0; phase < 4; ++phase) {
        port.load(OneMHzWord, phase);
        EXPECT_EQ(dds(0).word, OneMHzWord);
        EXPECT_EQ(dds(1).word, OneMHzWord);
        EXPECT_NEAR(dds(0).hz, 1 * MHz, 0.1);
        EXPECT_EQ(dds(1).phase_code, phase);
        EXPECT_EQ(dds(1).control, phase * 64);
        EXPECT_EQ(dds(0).control, 0) << "DDS A always gets phase 0";
    }
    // Every bit lands in its place, least significant first.
    port.load(0x6789ABCDu, 3);
    EXPECT_EQ(dds(0).word, 0x6789ABCDu);
    EXPECT_EQ(dds(1).word, 0x6789ABCDu);
}

TEST_F(SimTest, ConversionReturnsTheVoltageTheBenchPredictsAtEachPhase)
{
    port.resetSerial();
    port.wake();
    for (double hz : {0.05 * MHz, 10 * MHz, 60 * MHz}) {
        const std::uint32_t w = wire::tuningWord(hz);
        const double f = w * 148330000.0 / 4294967296.0;
        double v[4];
        for (int p = 0; p < 4; ++p) {
            port.load(w, p);
            v[p] = port.convert(1);
            // The port reads 28 bits: 18.6 nV steps.
            EXPECT_NEAR(v[p], predicted(f, p), 2e-8) << hz << " Hz, phase " << p;
        }
        // Opposite phases cancel the offset and leave the complex reading.
        EXPECT_NEAR((v[0] - v[2]) / 2, raw(f).real(), 2e-8);
        EXPECT_NEAR((v[1] - v[3]) / 2, raw(f).imag(), 2e-8);
    }
}

TEST_F(SimTest, ConversionTakesTheModeFromTheFirstFiveClocks)
{
    port.resetSerial();
    port.convert(9);
    port.convert(9); // the mode applies from the conversion after the read that sent it
    KespSimAdcState adc{};
    kesp_sim_get_adc(&adc);
    EXPECT_EQ(adc.mode, 9);
    EXPECT_EQ(adc.conversions, 2u);

    ASSERT_EQ(kesp_sim_set_adc_type(2410), 1);
    port.convert(15);
    kesp_sim_get_adc(&adc);
    EXPECT_EQ(adc.mode, 9) << "the 2410 has no mode input";
    EXPECT_EQ(kesp_sim_set_adc_type(2420), 0);
}

TEST_F(SimTest, TheWordHasTheAdcScaleAndBitLayout)
{
    // Source and LO at different words: the detector sees its offset only.
    port.resetSerial();
    for (int i = 0; i < 40; ++i) {
        const std::uint32_t a = 100, b = 101;
        port.bit(static_cast<std::uint8_t>((i < 32 ? ((a >> i) & 1) | ((b >> i) & 1) << 1 : 0)));
    }
    port.updatePulse();
    ASSERT_EQ(dds(0).word, 100u);
    ASSERT_EQ(dds(1).word, 101u);
    std::uint32_t bits = 0;
    const double v = port.convert(0, &bits);
    EXPECT_NEAR(v, kesp_sim_detector_offset(), 2e-8);
    KespSimAdcState adc{};
    kesp_sim_get_adc(&adc);
    EXPECT_EQ(adc.last_word >> 30, 0u) << "bits 31 and 30 are zero";
    EXPECT_EQ(adc.last_word >> 2, bits);
    EXPECT_EQ((adc.last_word >> 29) & 1, 1u) << "positive voltage: sign bit set";
}

TEST_F(SimTest, ProbeAnswersUnlessTheInstrumentIsMissing)
{
    port.resetSerial();
    port.wake();
    EXPECT_TRUE(port.probe());

    ASSERT_EQ(kesp_sim_set_fault("no-instrument"), 1);
    EXPECT_FALSE(port.probe());
    EXPECT_EQ(kesp_sim_port_in(0x379) & 0x80, 0);

    ASSERT_EQ(kesp_sim_set_fault("none,adc-stuck"), 1);
    port.write(0x60);
    port.write(0x00);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(kesp_sim_port_in(0x379) & 0x80, 0x80) << "end of conversion never comes";
    EXPECT_TRUE(port.probe()) << "a status stuck at 1 reads as an answer";
}

TEST_F(SimTest, RegistersFollowThePortBase)
{
    kesp_sim_set_port_base(0x278);
    port.base = 0x378;
    port.resetSerial();
    EXPECT_FALSE(dds(0).serial_mode) << "writes to another base reach nothing";
    EXPECT_EQ(kesp_sim_port_in(0x379), 0xFF);

    port.base = 0x278;
    port.resetSerial();
    port.wake();
    EXPECT_TRUE(dds(0).serial_mode);
    EXPECT_TRUE(port.probe());
    EXPECT_EQ(kesp_sim_port_in(0x278), 0x20) << "the data register reads back the last write";
}

TEST_F(SimTest, ScaledTimingKeepsEndOfConversionHighUntilTheConversionEnds)
{
    port.convert(0);
    kesp_sim_set_timing(50); // a 2410 conversion now lasts over six seconds
    ASSERT_EQ(kesp_sim_set_adc_type(2410), 1);
    port.write(0x60); // chip select raised after a read: a new conversion starts
    port.write(0x40);
    port.write(0x00);
    EXPECT_EQ(kesp_sim_port_in(0x379) & 0x80, 0x80);
    KespSimAdcState adc{};
    kesp_sim_get_adc(&adc);
    EXPECT_EQ(adc.converting, 1);
}

TEST_F(SimTest, TimingChangedDuringAConversionAppliesToIt)
{
    // As when KESP_SIM_TIMING slowed the simulator at its start and the
    // program then asks for instant timing: the conversion already running
    // must not keep the slow length.
    kesp_sim_set_timing(50);
    ASSERT_EQ(kesp_sim_set_adc_type(2410), 1);
    port.convert(0);
    port.write(0x60);
    port.write(0x40);
    port.write(0x00);
    EXPECT_EQ(kesp_sim_port_in(0x379) & 0x80, 0x80);
    kesp_sim_set_timing(0);
    EXPECT_EQ(kesp_sim_port_in(0x379) & 0x80, 0x00);
    KespSimAdcState adc{};
    kesp_sim_get_adc(&adc);
    EXPECT_EQ(adc.converting, 0);
}

} // namespace
