// The simulated Kesp VNA: the parallel-port hardware and the USB firmware in
// front of the chips, the RF bench behind them, faults and timing. One
// instance per process (simulator()), reached through the C API. Internal to
// libkespsim.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "sim/bench.h"
#include "sim/chips.h"
#include "sim/network.h"

namespace orbilan::sim {

// Seeded Gaussian numbers that repeat on every platform (the standard
// library's distributions are not specified bit for bit).
class Gaussian {
public:
    void seed(std::uint64_t seed);
    double next();

private:
    std::uint64_t nextBits();
    std::uint64_t state_ = 0;
    bool haveSpare_ = false;
    double spare_ = 0;
};

struct Faults {
    bool noInstrument = false;
    bool notReady = false;
    bool noResult = false;
    bool emptyResult = false;
    bool adcStuck = false;
    int writeFailIn = 0; // the Nth write from now fails (0 = none)
    int readFailIn = 0;
};

// The printer-port data bits as the USB port-emulation frames carry them.
std::uint8_t mapPortByte(std::uint8_t portValue);
std::uint8_t unmapPortByte(std::uint8_t mapped);

class Simulator {
public:
    static constexpr std::uint16_t DefaultPortBase = 0x378;
    static constexpr std::uint32_t DefaultClockHz = 148330000;
    static constexpr const char* DefaultDevice = "refl:R=10,L=1u,C=100p,topology=series";

    Simulator();

    // Power-on state with the environment's configuration.
    void reset();

    // ---- the wire
    void portOut(std::uint16_t port, std::uint16_t value);
    std::uint16_t portIn(std::uint16_t port);
    bool usbWrite(const std::uint8_t* data, int length);
    int usbRead(std::uint8_t* buffer, int capacity);

    // ---- the bench
    bool setDevice(const char* text);
    bool setLoadStandard(const char* text);
    bool trueGamma(double hz, Cx& out) const;
    bool trueS21(double hz, Cx& out) const;
    Cx rawReadingAt(double hz) const { return rawReading(connected_, hz); }
    double detectorVolts() const;
    const std::string& connectedText() const { return connected_.text; }
    const std::string& configuredText() const { return configured_.text; }

    void setSeed(std::uint64_t seed);
    void setNoise(bool on) { noiseOn_ = on; }
    void setTiming(double scale);
    void setAutoFollow(bool on) { autoFollow_ = on; }
    void prompt(const char* text);
    void calibrationDone();

    // ---- the instrument
    void setPortBase(std::uint16_t base) { portBase_ = base; }
    void setClockHz(std::uint32_t hz) { clockHz_ = hz; }
    bool setAdcType(int type);
    bool setFaults(const char* text);

    // ---- observation
    const Dds& dds(int which) const { return which == 0 ? ddsA_ : ddsB_; }
    double ddsHz(const Dds& dds) const;
    const Adc& adc() const { return adc_; }
    bool adcConverting() const { return adc_.converting(now()); }
    std::uint32_t usbWrites() const { return usbWrites_; }
    std::uint32_t usbReads() const { return usbReads_; }
    std::uint32_t usbIgnored() const { return usbIgnored_; }
    std::uint32_t usbPending() const { return static_cast<std::uint32_t>(replies_.size()); }
    std::uint32_t usbDropped() const { return usbDropped_; }
    // The settling waits the firmware made before its conversions, in the
    // instrument's seconds whatever the time scale.
    double firmwareSettleSeconds() const { return firmwareSettleSeconds_; }

    const std::string& lastError() const { return lastError_; }
    void setError(std::string text) { lastError_ = std::move(text); }

private:
    struct Reply {
        std::vector<std::uint8_t> bytes;
        double readyAt = 0;
    };

    void powerOn();
    void configureFromEnvironment();
    double now() const;
    void sleepUntil(double t) const;
    // Waits until exactly t: the instrument is never late, the operating
    // system's wake-up from a sleep is.
    void waitUntil(double t) const;
    void applyLines(std::uint8_t value);
    double sampleVolts(Gaussian& noise);
    void firmwareCommand(const std::uint8_t* frame);
    void dropUnreadResults();
    std::vector<std::uint8_t> statusFrame();

    std::chrono::steady_clock::time_point epoch_;
    std::uint16_t portBase_ = DefaultPortBase;
    std::uint32_t clockHz_ = DefaultClockHz;
    double timeScale_ = 0;
    bool noiseOn_ = true;
    bool autoFollow_ = true;
    Faults faults_;
    Gaussian adcNoise_;      // conversions clocked over the port (or port frames)
    Gaussian firmwareNoise_; // conversions of the firmware's measure commands

    Device configured_;
    Device connected_;
    Device loadStandard_;

    std::uint8_t lines_ = 0;
    Dds ddsA_, ddsB_;
    Adc adc_;

    std::deque<Reply> replies_;
    bool pairOpen_ = false;
    double firmwareBusyUntil_ = 0;
    double firmwareSettleSeconds_ = 0;
    std::uint8_t replyCounter_ = 0;
    std::uint32_t usbWrites_ = 0, usbReads_ = 0, usbIgnored_ = 0, usbDropped_ = 0;

    std::string lastError_;
};

Simulator& simulator();

} // namespace orbilan::sim
