// Instruments made of a few lines of C++, behind the stand-in libraries
// libinpout32.so and libbrindle.so that the program loads by file name.
// They record every byte and answer like the instrument's hardware and
// firmware would, so the program's link code is tested without a simulator.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace orbilan::test {

// The folder of the stand-in libraries; one whose libinpout32.so lacks
// Inp32; one with no libraries at all.
std::string fakeLibraryDir();
std::string brokenLibraryDir();
std::string emptyLibraryDir();

// The ADC word for a voltage, inverse of the instrument's scale.
std::uint32_t wordForVolts(double volts);

struct PortAccess {
    bool write = false;
    std::uint16_t port = 0;
    int value = 0; // written value, or the value read
};

// The parallel port with the DDS shift registers and the ADC's serial
// interface behind it. Only one may exist at a time.
class FakeParallelInstrument {
public:
    FakeParallelInstrument();
    ~FakeParallelInstrument();
    FakeParallelInstrument(const FakeParallelInstrument&) = delete;
    FakeParallelInstrument& operator=(const FakeParallelInstrument&) = delete;

    std::uint16_t dataPort = 888;
    // The detector voltage for each LO phase (0, 90, 180, 270 degrees).
    std::array<double, 4> volts{0.5, -0.25, -0.4, 0.35};
    // Status reads that still show a running conversion.
    int busyPolls = 2;
    // The ADC never ends a conversion.
    bool stuck = false;
    // No instrument: bit 7 reads as this for every status read (-1: modelled).
    int fixedBit7 = -1;

    std::vector<PortAccess> accesses;
    // The values written to the data register, in order.
    std::vector<int> dataWrites() const;
    std::vector<std::uint16_t> statusReadPorts() const;
    // The ADC data-input bits of the first five clocks of each conversion.
    std::vector<std::vector<int>> modeBits;
    int conversions = 0;
    // The LO phase code (DDS B's control byte / 64) at each conversion.
    std::vector<int> conversionPhases;
    // What both synthesisers hold after their last update pulse.
    std::uint32_t wordA = 0, wordB = 0;
    int controlA = 0, controlB = 0;
    int updates = 0;
    void clear() { accesses.clear(); modeBits.clear(); conversionPhases.clear(); conversions = 0; updates = 0; }

    void portOut(std::uint16_t port, int value);
    int portIn(std::uint16_t port);

private:
    int last_ = 0x40;
    std::uint64_t shiftA_ = 0, shiftB_ = 0;
    bool converting_ = false;
    int busyLeft_ = 0;
    int edges_ = 0;
    std::uint32_t word_ = 0;
};

// The USB link with the instrument's firmware behind it.
class FakeUsbInstrument {
public:
    FakeUsbInstrument();
    ~FakeUsbInstrument();
    FakeUsbInstrument(const FakeUsbInstrument&) = delete;
    FakeUsbInstrument& operator=(const FakeUsbInstrument&) = delete;

    // The detector voltage for each LO phase; every result carries
    // `averages` words of it (the frame's byte 3, at least 1, at most 62).
    std::array<double, 4> volts{0.5, -0.25, -0.4, 0.35};
    // Replies without a result that come before each result.
    int emptyBefore = 1;
    // Byte 1 of status replies carries the not-ready flag.
    bool notReady = false;
    // Transfers that fail: writes from the n-th on (0-based), reads likewise (-1: none).
    int failWriteFrom = -1;
    int failReadFrom = -1;
    // Results never come.
    bool silent = false;

    // What the stand-in's vnaerror() says ("" when it names no cause).
    void setCause(const std::string& cause);

    std::vector<std::vector<std::uint8_t>> frames; // written, in order
    int reads = 0;
    std::deque<std::vector<std::uint8_t>> replies;  // queued answers
    void clear() { frames.clear(); reads = 0; replies.clear(); }

    std::int32_t write(const std::uint8_t* buffer, std::int16_t length);
    std::int32_t read(std::uint8_t* buffer, std::int16_t* count);

    static std::vector<std::uint8_t> resultFrame(const std::vector<std::uint32_t>& words);
};

} // namespace orbilan::test
