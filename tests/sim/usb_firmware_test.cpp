// The instrument as the USB transport sees it: status, DDS and measure
// frames, result frames, the port-emulation frames and the transfer faults.
#include "sim_fixture.h"

#include <vector>

namespace {

using Frame = std::vector<std::uint8_t>;

constexpr std::uint32_t OneMHzWord = 28955486;

bool send(const Frame& f) { return kesp_sim_usb_write(f.data(), static_cast<int>(f.size())) == 1; }

Frame receive(int capacity = 255)
{
    std::uint8_t buffer[256] = {};
    const int n = kesp_sim_usb_read(buffer, capacity);
    return n < 0 ? Frame{} : Frame(buffer, buffer + n);
}

double frameHz(std::uint32_t word) { return word * 148330000.0 / 4294967296.0; }

TEST_F(SimTest, StatusExchangeAnswersWithReadyOrNotReady)
{
    ASSERT_TRUE(send(wire::commandFrame(0x00, 0, 0, 0, 0, 0, 0, 0)));
    for (int i = 0; i < 3; ++i) {
        const Frame r = receive();
        ASSERT_EQ(r.size(), 5u);
        EXPECT_EQ(r[1] & 0x60, 0) << "no result, ready";
        EXPECT_EQ(r[4], 0);
    }
    for (const char* fault : {"not-ready", "no-instrument"}) {
        ASSERT_EQ(kesp_sim_set_fault(fault), 1);
        const Frame r = receive();
        ASSERT_EQ(r.size(), 5u);
        EXPECT_EQ(r[1] & 0x40, 0x40) << fault;
        kesp_sim_set_fault("none");
    }
}

TEST_F(SimTest, StartUpAndExitFramesPowerTheSynthesisersUpAndDown)
{
    Frame f = {0x55, 0xC0, 0x00, 0x00, 0x00, 0x04, 0x01, 0xB9, 0xCC, 0x48, 0x04, 0x01, 0xB9, 0xCC, 0x48};
    ASSERT_TRUE(send(f));
    EXPECT_EQ(dds(0).word, 0x01B9CC48u);
    EXPECT_TRUE(dds(0).powered_down);
    EXPECT_TRUE(dds(1).powered_down);
    f[1] = 0x40;
    f[5] = f[10] = 0x00;
    ASSERT_TRUE(send(f));
    EXPECT_FALSE(dds(0).powered_down);
    EXPECT_FALSE(dds(1).powered_down);
    EXPECT_EQ(dds(1).word, 0x01B9CC48u);
    EXPECT_EQ(receive().size(), 5u) << "DDS frames get no reply";
}

TEST_F(SimTest, MeasureFramesReturnOneWordPerConversionAtTheAskedPhase)
{
    ASSERT_TRUE(send(wire::measureFrame(0x50, OneMHzWord, 1, 10, 4, 1)));
    const Frame r = receive();
    ASSERT_EQ(r.size(), 5u + 16u);
    EXPECT_EQ(r[1] & 0x20, 0x20);
    EXPECT_EQ(r[2], 0x50);
    EXPECT_EQ(r[4], 4);
    EXPECT_NEAR(wire::resultVolts(r.data()), predicted(frameHz(OneMHzWord), 1), 5e-9);
    EXPECT_EQ(dds(1).phase_code, 1);
    KespSimAdcState adc{};
    kesp_sim_get_adc(&adc);
    EXPECT_EQ(adc.conversions, 4u);
    EXPECT_EQ(adc.mode, 1);

    // A pair: 0x58 with the first phase, 0x50 with the opposite one.
    const std::uint32_t w = wire::tuningWord(37e6);
    ASSERT_TRUE(send(wire::measureFrame(0x58, w, 0)));
    ASSERT_TRUE(send(wire::measureFrame(0x50, w, 2)));
    const Frame first = receive();
    const Frame second = receive();
    ASSERT_EQ(first.size(), 9u);
    ASSERT_EQ(second.size(), 9u);
    EXPECT_EQ(first[2], 0x58);
    EXPECT_EQ(second[2], 0x50);
    const double v0 = wire::resultVolts(first.data()), v180 = wire::resultVolts(second.data());
    EXPECT_NEAR((v0 - v180) / 2, raw(frameHz(w)).real(), 5e-9);
    EXPECT_EQ(receive().size(), 5u) << "then status frames again";
}

TEST_F(SimTest, TheInstrumentsOwnTimeCountsSettlingAndConversionsByTypeAndMode)
{
    // Instant timing: the figures are the instrument's seconds all the same.
    auto timing = [] {
        KespSimTiming t{};
        kesp_sim_get_timing(&t);
        return t;
    };
    KespSimTiming t = timing();
    EXPECT_EQ(t.conversions, 0u);
    EXPECT_EQ(t.conversion_seconds, 0.0);

    ASSERT_TRUE(send(wire::measureFrame(0x50, OneMHzWord, 0, 25, 4, 1))); // 2440, mode 1: 3.52 kHz
    receive();
    t = timing();
    EXPECT_EQ(t.conversions, 4u);
    EXPECT_NEAR(t.conversion_seconds, 4 / 3520.0, 1e-15);
    EXPECT_NEAR(t.settle_seconds, 0.025, 1e-15);

    ASSERT_EQ(kesp_sim_set_adc_type(2410), 1); // 7.5 Hz whatever the mode byte says
    ASSERT_TRUE(send(wire::measureFrame(0x50, OneMHzWord, 0, 10, 3, 1)));
    receive();
    t = timing();
    EXPECT_EQ(t.conversions, 7u);
    EXPECT_NEAR(t.conversion_seconds, 4 / 3520.0 + 3 / 7.5, 1e-15);
    EXPECT_NEAR(t.settle_seconds, 0.035, 1e-15);
    KespSimAdcState adc{};
    kesp_sim_get_adc(&adc);
    EXPECT_EQ(adc.type, 2410);

    // Over the port the host makes the settling waits; the conversions count
    // at the rate each ran at: mode 0 (880 Hz) until a read has sent mode 9.
    ASSERT_EQ(kesp_sim_set_adc_type(2440), 1);
    port.resetSerial();
    port.convert(9);
    port.convert(9);
    t = timing();
    EXPECT_EQ(t.conversions, 9u);
    EXPECT_NEAR(t.conversion_seconds, 4 / 3520.0 + 3 / 7.5 + 1 / 880.0 + 1 / 13.75, 1e-12);
    EXPECT_NEAR(t.settle_seconds, 0.035, 1e-15);

    kesp_sim_reset();
    EXPECT_EQ(timing().conversions, 0u) << "power-on starts the count afresh";
}

TEST_F(SimTest, AveragesBeyondOneFramePoolIntoSixtyTwoWordsAndZeroGivesNone)
{
    ASSERT_TRUE(send(wire::measureFrame(0x50, OneMHzWord, 0, 0, 100)));
    Frame r = receive();
    EXPECT_EQ(r[4], 62);
    EXPECT_EQ(r.size(), 5u + 4u * 62u);
    EXPECT_NEAR(wire::resultVolts(r.data()), predicted(frameHz(OneMHzWord), 0), 5e-9);
    KespSimAdcState adc{};
    kesp_sim_get_adc(&adc);
    EXPECT_EQ(adc.conversions, 100u);

    ASSERT_TRUE(send(wire::measureFrame(0x50, OneMHzWord, 0, 0, 0)));
    r = receive();
    EXPECT_EQ(r[1] & 0x20, 0x20);
    EXPECT_EQ(r[4], 0);

    // A device whose response is beyond any number reads the bottom of the
    // range, not an undefined conversion.
    ASSERT_EQ(kesp_sim_set_dut("refl:L=1e300"), 1);
    ASSERT_TRUE(send(wire::measureFrame(0x50, wire::tuningWord(50e6), 0, 0, 2)));
    r = receive();
    ASSERT_EQ(r.size(), 5u + 8u);
    EXPECT_EQ(Frame(r.begin() + 5, r.end()), Frame(8, 0));
}

TEST_F(SimTest, AResultNobodyReadIsDroppedWhenTheNextExchangeStarts)
{
    ASSERT_TRUE(send(wire::measureFrame(0x58, OneMHzWord, 0)));
    ASSERT_TRUE(send(wire::measureFrame(0x50, OneMHzWord, 2)));
    ASSERT_EQ(receive()[2], 0x58); // the program stops here (an empty first result, say)
    ASSERT_TRUE(send(wire::measureFrame(0x50, OneMHzWord, 1)));
    const Frame r = receive();
    EXPECT_NEAR(wire::resultVolts(r.data()), predicted(frameHz(OneMHzWord), 1), 5e-9)
        << "the answer belongs to the new command, not the stale one";
    KespSimUsbState usb{};
    kesp_sim_get_usb(&usb);
    EXPECT_EQ(usb.dropped, 1u);
    EXPECT_EQ(usb.pending, 0u);
}

TEST_F(SimTest, WhileAMeasurementRunsReadsGetStatusFrames)
{
    kesp_sim_set_timing(1000); // the 10 ms settling wait now lasts ten seconds
    ASSERT_TRUE(send(wire::measureFrame(0x50, OneMHzWord, 0)));
    const Frame r = receive();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[1] & 0x20, 0);
    KespSimUsbState usb{};
    kesp_sim_get_usb(&usb);
    EXPECT_EQ(usb.pending, 1u) << "the result is still coming";
}

TEST_F(SimTest, ResultFaultsAndFailedTransfers)
{
    ASSERT_EQ(kesp_sim_set_fault("empty-result"), 1);
    ASSERT_TRUE(send(wire::measureFrame(0x50, OneMHzWord, 0, 10, 8)));
    Frame r = receive();
    EXPECT_EQ(r[1] & 0x20, 0x20);
    EXPECT_EQ(r[4], 0);

    ASSERT_EQ(kesp_sim_set_fault("none,no-result"), 1);
    ASSERT_TRUE(send(wire::measureFrame(0x50, OneMHzWord, 0)));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(receive()[1] & 0x20, 0) << "status frames only";

    ASSERT_EQ(kesp_sim_set_fault("none,usb-write-fail:2,usb-read-fail:3"), 1);
    EXPECT_TRUE(send(wire::commandFrame(0x00, 0, 0, 0, 0, 0, 0, 0)));
    EXPECT_FALSE(send(wire::commandFrame(0x00, 0, 0, 0, 0, 0, 0, 0)));
    EXPECT_TRUE(send(wire::commandFrame(0x00, 0, 0, 0, 0, 0, 0, 0)));
    EXPECT_FALSE(receive().empty());
    EXPECT_FALSE(receive().empty());
    EXPECT_TRUE(receive().empty()) << "the third read fails";
    EXPECT_FALSE(receive().empty()) << "once";

    EXPECT_EQ(kesp_sim_set_fault("usb-read-fail:0"), 0);
    EXPECT_EQ(kesp_sim_set_fault("flaky"), 0);
    EXPECT_NE(std::string(kesp_sim_last_error()).find("flaky"), std::string::npos);
}

TEST_F(SimTest, ReadsAndWritesRefuseBadBuffers)
{
    EXPECT_EQ(kesp_sim_usb_write(nullptr, 15), 0);
    std::uint8_t b[4];
    EXPECT_EQ(kesp_sim_usb_write(b, 0), 0);
    EXPECT_EQ(kesp_sim_usb_read(nullptr, 255), -1);
    ASSERT_TRUE(send(wire::measureFrame(0x50, OneMHzWord, 0, 0, 2)));
    EXPECT_EQ(kesp_sim_usb_read(b, 4), -1) << "a 13-byte result does not fit";
    EXPECT_EQ(receive().size(), 13u) << "and is still there";
    const Frame junk = {0x12, 0x34, 0x56};
    EXPECT_TRUE(send(junk));
    KespSimUsbState usb{};
    kesp_sim_get_usb(&usb);
    EXPECT_EQ(usb.ignored, 1u);
}

TEST_F(SimTest, PortEmulationFramesCarryThePrinterPortBitsBothWays)
{
    // Data bit i travels as bit m[i] of the mapped byte.
    const int m[7] = {5, 6, 3, 2, 4, 0, 1};
    for (int i = 0; i < 7; ++i) {
        ASSERT_TRUE(send({0x5A, 0x80, static_cast<std::uint8_t>(1 << m[i]), 0x00}));
        EXPECT_EQ(kesp_sim_port_in(0x378), 1 << i);
        const Frame status = receive();
        ASSERT_GE(status.size(), 5u);
        EXPECT_EQ(status[2] & 0x7F, 1 << m[i]) << "the lines come back mapped";
    }

    // The whole printer-port protocol over USB: a DDS load and a conversion.
    wire::ParallelPort usbPort;
    usbPort.out = [&](std::uint16_t, std::uint8_t v) {
        std::uint8_t mapped = 0;
        for (int i = 0; i < 7; ++i)
            if (v & (1 << i))
                mapped |= static_cast<std::uint8_t>(1 << m[i]);
        send({0x5A, 0x80, mapped, 0x00});
    };
    // As the link library reads a status port: 0x80 when reply byte 2 has bit 7 clear.
    usbPort.in = [](std::uint16_t) { return static_cast<std::uint8_t>((receive()[2] & 0x80) ? 0x00 : 0x80); };
    usbPort.resetSerial();
    usbPort.wake();
    usbPort.load(OneMHzWord, 3);
    EXPECT_EQ(dds(1).phase_code, 3);
    EXPECT_NEAR(usbPort.convert(0), predicted(frameHz(OneMHzWord), 3), 2e-8);
}

} // namespace
