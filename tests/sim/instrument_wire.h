// The program's side of the wire, written out byte for byte as the Kesp VNA
// expects it: the printer-port sequences for the synthesisers and the ADC and
// the USB command frames. The tests drive the simulator with exactly these.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace wire {

inline std::uint32_t tuningWord(double hz, double clockHz = 148330000.0)
{
    return static_cast<std::uint32_t>(std::nearbyint(4294967296.0 * (hz / clockHz)));
}

inline double voltsForWord(std::uint32_t w) { return w * 1.25 / 268435456.0 - 2.5; }

// Printer port: byte writes to the data register, reads of the status register.
struct ParallelPort {
    std::function<void(std::uint16_t, std::uint8_t)> out;
    std::function<std::uint8_t(std::uint16_t)> in;
    std::uint16_t base = 0x378;

    void write(std::uint8_t v) { out(base, v); }
    int statusBit() { return (in(static_cast<std::uint16_t>(base + 1)) & 0x80) ? 1 : 0; }

    void updatePulse() { write(0x00); write(0x08); write(0x00); }
    // Writers both-0, both-1 and B-only-1: clock low with the data, then high.
    void bit(std::uint8_t data) { write(data); write(static_cast<std::uint8_t>(data | 0x04)); }
    void bytesToBoth(const std::uint8_t* bytes, int count)
    {
        for (int b = 0; b < count; ++b)
            for (int i = 0; i < 8; ++i)
                bit(((bytes[b] >> i) & 1) ? 0x03 : 0x00);
    }

    void resetSerial()
    {
        write(0x10); write(0x00);
        write(0x04); write(0x00);
        updatePulse();
        for (int i = 0; i < 40; ++i) { write(0x04); write(0x00); }
        updatePulse();
    }
    void loadBothWithControl(std::uint32_t word, std::uint8_t control)
    {
        const std::uint8_t bytes[5] = {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
                                       static_cast<std::uint8_t>(word >> 16), static_cast<std::uint8_t>(word >> 24),
                                       control};
        bytesToBoth(bytes, 5);
        updatePulse();
    }
    void wake() { loadBothWithControl(29, 0x04); loadBothWithControl(29, 0x00); }
    void sleep() { loadBothWithControl(29, 0x04); }
    void load(std::uint32_t word, int phase)
    {
        const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
                                       static_cast<std::uint8_t>(word >> 16), static_cast<std::uint8_t>(word >> 24)};
        bytesToBoth(bytes, 4);
        for (int i = 0; i < 6; ++i)
            bit(0x00);
        bit((phase & 1) ? 0x02 : 0x00);
        bit((phase & 2) ? 0x02 : 0x00);
        updatePulse();
    }
    // One conversion; the 28 bits 29..2 as read, and their voltage.
    double convert(int mode, std::uint32_t* bitsRead = nullptr)
    {
        write(0x60); write(0x40); write(0x00);
        for (int guard = 0; statusBit() && guard < 1000000; ++guard) {
        }
        std::uint32_t a = 0;
        for (int i = 31; i >= 1; --i) {
            const std::uint8_t s = (i >= 27 && ((mode >> (i - 27)) & 1)) ? 1 : 0;
            write(s);
            write(static_cast<std::uint8_t>(s + 0x20));
            const int b = statusBit();
            if (i > 1 && i < 30)
                a = 2 * a + static_cast<std::uint32_t>(b);
        }
        write(0x00);
        if (bitsRead)
            *bitsRead = a;
        return a * 1.25 / 67108864.0 - 2.5;
    }
    bool probe()
    {
        write(0x60); write(0x40); write(0x00);
        std::uint32_t acc = 0;
        for (int i = 31; i >= 5; --i) {
            write(0x00);
            write(0x20);
            const int b = statusBit();
            if (i > 4 && i < 28)
                acc = 2 * acc + static_cast<std::uint32_t>(b);
        }
        return acc != 0;
    }
};

// A 15-byte command frame.
inline std::vector<std::uint8_t> commandFrame(std::uint8_t command, std::uint8_t waitMs, std::uint8_t averages,
                                              std::uint8_t mode, std::uint8_t controlB, std::uint32_t wordB,
                                              std::uint8_t controlA, std::uint32_t wordA)
{
    return {0x55, command, waitMs, averages, mode,
            controlB, static_cast<std::uint8_t>(wordB >> 24), static_cast<std::uint8_t>(wordB >> 16),
            static_cast<std::uint8_t>(wordB >> 8), static_cast<std::uint8_t>(wordB),
            controlA, static_cast<std::uint8_t>(wordA >> 24), static_cast<std::uint8_t>(wordA >> 16),
            static_cast<std::uint8_t>(wordA >> 8), static_cast<std::uint8_t>(wordA)};
}

inline std::vector<std::uint8_t> measureFrame(std::uint8_t command, std::uint32_t word, int phase,
                                              std::uint8_t waitMs = 10, std::uint8_t averages = 1,
                                              std::uint8_t mode = 0)
{
    return commandFrame(command, waitMs, averages, mode, static_cast<std::uint8_t>(phase * 64), word, 0x00, word);
}

// The mean voltage of a result frame's words.
inline double resultVolts(const std::uint8_t* frame)
{
    const int n = frame[4];
    double sum = 0;
    for (int j = 1; j <= n; ++j) {
        const std::uint32_t w = static_cast<std::uint32_t>(frame[4 * j + 1]) << 24 |
                                static_cast<std::uint32_t>(frame[4 * j + 2]) << 16 |
                                static_cast<std::uint32_t>(frame[4 * j + 3]) << 8 | frame[4 * j + 4];
        sum += voltsForWord(w);
    }
    return n ? sum / n : 0.0;
}

} // namespace wire
