#include "fake_link.h"

#include <cmath>

extern "C" {
using FakeOutFn = void (*)(void* ctx, std::int16_t port, std::int16_t value);
using FakeInFn = std::int16_t (*)(void* ctx, std::int16_t port);
void fake_port_connect(FakeOutFn out, FakeInFn in, void* ctx);
using FakeWriteFn = std::int32_t (*)(void* ctx, const std::uint8_t* buffer, std::int16_t length);
using FakeReadFn = std::int32_t (*)(void* ctx, std::uint8_t* buffer, std::int16_t* count);
void fake_usb_connect(FakeWriteFn write, FakeReadFn read, void* ctx);
void fake_usb_cause(const char* cause);
}

namespace orbilan::test {

std::string fakeLibraryDir() { return ORBILAN_FAKE_LIB_DIR; }
std::string brokenLibraryDir() { return ORBILAN_BROKEN_LIB_DIR; }
std::string emptyLibraryDir() { return ORBILAN_EMPTY_LIB_DIR; }

std::uint32_t wordForVolts(double volts)
{
    return static_cast<std::uint32_t>(std::llround((volts + 2.5) * 268435456.0 / 1.25));
}

// ------------------------------------------------------------ parallel port

FakeParallelInstrument::FakeParallelInstrument()
{
    fake_port_connect(
        [](void* ctx, std::int16_t port, std::int16_t value) {
            static_cast<FakeParallelInstrument*>(ctx)->portOut(static_cast<std::uint16_t>(port), value & 0xFF);
        },
        [](void* ctx, std::int16_t port) {
            return static_cast<std::int16_t>(static_cast<FakeParallelInstrument*>(ctx)->portIn(static_cast<std::uint16_t>(port)));
        },
        this);
}

FakeParallelInstrument::~FakeParallelInstrument() { fake_port_connect(nullptr, nullptr, nullptr); }

std::vector<int> FakeParallelInstrument::dataWrites() const
{
    std::vector<int> out;
    for (const auto& a : accesses)
        if (a.write && a.port == dataPort)
            out.push_back(a.value);
    return out;
}

std::vector<std::uint16_t> FakeParallelInstrument::statusReadPorts() const
{
    std::vector<std::uint16_t> out;
    for (const auto& a : accesses)
        if (!a.write)
            out.push_back(a.port);
    return out;
}

void FakeParallelInstrument::portOut(std::uint16_t port, int value)
{
    accesses.push_back({true, port, value});
    if (port != dataPort)
        return;
    const int rising = value & ~last_;
    // DDS: data on the word clock's rising edge, least significant bit first.
    if (rising & 0x04) {
        shiftA_ = (shiftA_ >> 1) | (static_cast<std::uint64_t>(value & 1) << 39);
        shiftB_ = (shiftB_ >> 1) | (static_cast<std::uint64_t>((value >> 1) & 1) << 39);
    }
    if (rising & 0x08) {
        wordA = static_cast<std::uint32_t>(shiftA_);
        wordB = static_cast<std::uint32_t>(shiftB_);
        controlA = static_cast<int>(shiftA_ >> 32);
        controlB = static_cast<int>(shiftB_ >> 32);
        ++updates;
    }
    if (rising & 0x10)
        shiftA_ = shiftB_ = 0;
    // ADC: selecting it (bit 6 falling) starts a conversion.
    if ((last_ & 0x40) && !(value & 0x40)) {
        converting_ = true;
        busyLeft_ = busyPolls;
        edges_ = 0;
        word_ = wordForVolts(volts[static_cast<std::size_t>((controlB >> 6) & 3)]);
    }
    if ((value & 0x40) == 0 && (rising & 0x20) && converting_) {
        if (++edges_ == 1) {
            ++conversions;
            conversionPhases.push_back((controlB >> 6) & 3);
            modeBits.emplace_back();
        }
        if (edges_ <= 5)
            modeBits.back().push_back(value & 1);
    }
    last_ = value;
}

int FakeParallelInstrument::portIn(std::uint16_t port)
{
    int value = 0;
    if (port != dataPort + 1) {
        value = 0; // nothing connected there
    } else if (fixedBit7 >= 0) {
        value = fixedBit7 ? 0x80 : 0x00;
    } else if (!converting_ || stuck) {
        value = 0x80;
    } else if (edges_ == 0) {
        if (busyLeft_ > 0) {
            --busyLeft_;
            value = 0x80;
        }
    } else if (edges_ <= 32) {
        value = ((word_ >> (32 - edges_)) & 1u) ? 0x80 : 0x00;
    }
    accesses.push_back({false, port, value});
    return value;
}

// ---------------------------------------------------------------------- USB

FakeUsbInstrument::FakeUsbInstrument()
{
    fake_usb_connect(
        [](void* ctx, const std::uint8_t* buffer, std::int16_t length) {
            return static_cast<FakeUsbInstrument*>(ctx)->write(buffer, length);
        },
        [](void* ctx, std::uint8_t* buffer, std::int16_t* count) {
            return static_cast<FakeUsbInstrument*>(ctx)->read(buffer, count);
        },
        this);
}

FakeUsbInstrument::~FakeUsbInstrument()
{
    fake_usb_connect(nullptr, nullptr, nullptr);
    fake_usb_cause("");
}

void FakeUsbInstrument::setCause(const std::string& cause) { fake_usb_cause(cause.c_str()); }

std::vector<std::uint8_t> FakeUsbInstrument::resultFrame(const std::vector<std::uint32_t>& words)
{
    std::vector<std::uint8_t> f{0x00, 0x20, 0x00, 0x00, static_cast<std::uint8_t>(words.size())};
    for (std::uint32_t w : words) {
        f.push_back(static_cast<std::uint8_t>(w >> 24));
        f.push_back(static_cast<std::uint8_t>(w >> 16));
        f.push_back(static_cast<std::uint8_t>(w >> 8));
        f.push_back(static_cast<std::uint8_t>(w));
    }
    return f;
}

std::int32_t FakeUsbInstrument::write(const std::uint8_t* buffer, std::int16_t length)
{
    const int index = static_cast<int>(frames.size());
    frames.emplace_back(buffer, buffer + length);
    if (failWriteFrom >= 0 && index >= failWriteFrom)
        return 0;
    if (length == 15 && (buffer[1] == 0x50 || buffer[1] == 0x58) && !silent) {
        int n = buffer[3];
        n = n < 1 ? 1 : (n > 62 ? 62 : n);
        const std::uint32_t w = wordForVolts(volts[static_cast<std::size_t>(buffer[5] >> 6)]);
        for (int i = 0; i < emptyBefore; ++i)
            replies.push_back({0x00, 0x00, 0x00, 0x00, 0x00});
        replies.push_back(resultFrame(std::vector<std::uint32_t>(static_cast<std::size_t>(n), w)));
    }
    return 1;
}

std::int32_t FakeUsbInstrument::read(std::uint8_t* buffer, std::int16_t* count)
{
    const int index = reads++;
    if (failReadFrom >= 0 && index >= failReadFrom)
        return 0;
    std::vector<std::uint8_t> reply;
    if (!replies.empty()) {
        reply = replies.front();
        replies.pop_front();
    } else {
        // Between commands the firmware reports its state.
        reply = {0x00, static_cast<std::uint8_t>(notReady ? 0x40 : 0x00), 0x00, 0x00, 0x00};
    }
    for (std::size_t i = 0; i < reply.size() && i < 255; ++i)
        buffer[i] = reply[i];
    *count = static_cast<std::int16_t>(reply.size());
    return 1;
}

} // namespace orbilan::test
