#include "instrument/instrument.h"

#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>

#include "instrument/adc.h"

namespace orbilan::instrument {

namespace {

// Data register bits.
constexpr int DdsDataA = 0x01;
constexpr int DdsDataB = 0x02;
constexpr int DdsClock = 0x04;
constexpr int DdsUpdate = 0x08;
constexpr int DdsReset = 0x10;
constexpr int AdcClock = 0x20;
constexpr int AdcDeselect = 0x40;
// Status register bit 7: the ADC's serial data output.
constexpr int AdcData = 0x80;

using Clock = std::chrono::steady_clock;

bool expired(Clock::time_point start, int limitMs)
{
    return Clock::now() - start >= std::chrono::milliseconds(limitMs);
}

LinkStatus emptyResult()
{
    LinkStatus s;
    s.fault = LinkFault::EmptyResult;
    return s;
}

} // namespace

Instrument::Instrument()
    : portLib_(PortLibraryName, {"Out32", "Inp32"}), usbLib_(UsbLibraryName, {"vnawrite", "vnaread"}),
      sleepMs_([](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); })
{
}

Instrument::~Instrument() = default;

void Instrument::setLibraryDir(const std::string& dir)
{
    portLib_.setDirectory(dir);
    usbLib_.setDirectory(dir);
}

void Instrument::setSleep(std::function<void(int)> sleepMs) { sleepMs_ = std::move(sleepMs); }

void Instrument::sleep(int ms)
{
    if (ms > 0)
        sleepMs_(ms);
}

LinkStatus Instrument::bindStatus(const LinkLibrary& library, const BindResult& result)
{
    LinkStatus s;
    if (result.ok)
        return s;
    s.fault = result.function.empty() ? LinkFault::LibraryMissing : LinkFault::FunctionMissing;
    s.library = library.fileName();
    s.function = result.function;
    s.detail = result.detail;
    return s;
}

LinkStatus Instrument::bindPort()
{
    if (out32_)
        return {};
    const BindResult& r = portLib_.bind();
    if (!r.ok)
        return bindStatus(portLib_, r);
    out32_ = reinterpret_cast<std::int32_t (*)(std::int16_t, std::int16_t)>(portLib_.function(0));
    inp32_ = reinterpret_cast<std::int16_t (*)(std::int16_t)>(portLib_.function(1));
    return {};
}

LinkStatus Instrument::bindUsb()
{
    if (vnawrite_)
        return {};
    const BindResult& r = usbLib_.bind();
    if (!r.ok)
        return bindStatus(usbLib_, r);
    vnawrite_ = reinterpret_cast<std::int32_t (*)(std::uint8_t*, std::int16_t)>(usbLib_.function(0));
    vnaread_ = reinterpret_cast<std::int32_t (*)(std::uint8_t*, std::int16_t*)>(usbLib_.function(1));
    vnaerror_ = reinterpret_cast<const char* (*)()>(usbLib_.optionalFunction("vnaerror"));
    return {};
}

// ------------------------------------------------------------ parallel port

void Instrument::out(std::uint16_t port, int value)
{
    out32_(static_cast<std::int16_t>(port), static_cast<std::int16_t>(value));
}

int Instrument::in(std::uint16_t port)
{
    return static_cast<std::uint16_t>(inp32_(static_cast<std::int16_t>(port)));
}

void Instrument::bitBoth(std::uint16_t data, bool one)
{
    const int lines = one ? DdsDataA | DdsDataB : 0;
    out(data, lines);
    out(data, lines | DdsClock);
}

void Instrument::bitOnlyB(std::uint16_t data, bool one)
{
    const int lines = one ? DdsDataB : 0;
    out(data, lines);
    out(data, lines | DdsClock);
}

void Instrument::updatePulse(std::uint16_t data)
{
    out(data, 0x00);
    out(data, DdsUpdate);
    out(data, 0x00);
}

void Instrument::sendBothBytes(std::uint16_t data, const std::uint8_t* bytes, int count)
{
    for (int b = 0; b < count; ++b)
        for (int bit = 0; bit < 8; ++bit)
            bitBoth(data, (bytes[b] >> bit) & 1);
}

LinkStatus Instrument::ParallelProbe(PortAddress port, int adcType, bool& answers)
{
    answers = false;
    if (LinkStatus s = bindPort(); !s.ok())
        return s;
    out(port.data, AdcClock | AdcDeselect);
    out(port.data, AdcDeselect);
    out(port.data, 0x00);
    // The 2410 needs time after selection before its output means anything.
    if (adcType == 2410)
        sleep(250);
    std::uint32_t acc = 0;
    for (int i = 31; i >= 5; --i) {
        out(port.data, 0x00);
        out(port.data, AdcClock);
        const std::uint32_t b = (in(port.status) & AdcData) ? 1 : 0;
        if (i > 4 && i < 28)
            acc = 2 * acc + b;
    }
    answers = acc != 0;
    return {};
}

LinkStatus Instrument::DdsResetSerial(PortAddress port)
{
    if (LinkStatus s = bindPort(); !s.ok())
        return s;
    out(port.data, DdsReset);
    out(port.data, 0x00);
    out(port.data, DdsClock);
    out(port.data, 0x00);
    updatePulse(port.data);
    for (int i = 0; i < 40; ++i) {
        out(port.data, DdsClock);
        out(port.data, 0x00);
    }
    updatePulse(port.data);
    return {};
}

LinkStatus Instrument::loadOneHertz(PortAddress port, std::int32_t clockHz, std::uint8_t control)
{
    const auto word = HexWordBytes(TuningWordHex(1, clockHz));
    const std::uint8_t bytes[5] = {word[0], word[1], word[2], word[3], control};
    sendBothBytes(port.data, bytes, 5);
    updatePulse(port.data);
    return {};
}

LinkStatus Instrument::DdsWake(PortAddress port, std::int32_t clockHz)
{
    if (LinkStatus s = bindPort(); !s.ok())
        return s;
    loadOneHertz(port, clockHz, 0x04);
    sleep(10);
    return loadOneHertz(port, clockHz, 0x00);
}

LinkStatus Instrument::DdsSleep(PortAddress port, std::int32_t clockHz)
{
    if (LinkStatus s = bindPort(); !s.ok())
        return s;
    return loadOneHertz(port, clockHz, 0x04);
}

LinkStatus Instrument::DdsLoad(PortAddress port, const std::string& hexWord, PhaseCode phase)
{
    if (LinkStatus s = bindPort(); !s.ok())
        return s;
    const auto bytes = HexWordBytes(hexWord);
    sendBothBytes(port.data, bytes.data(), 4);
    for (int i = 0; i < 6; ++i)
        bitBoth(port.data, false);
    // Bits 38 and 39 carry the phase, to DDS B only; DDS A stays at 0 degrees.
    bitOnlyB(port.data, (phase & 1) != 0);
    bitOnlyB(port.data, (phase & 2) != 0);
    updatePulse(port.data);
    return {};
}

bool Instrument::waitEndOfConversion(PortAddress port)
{
    const auto start = Clock::now();
    for (unsigned polls = 1;; ++polls) {
        if ((in(port.status) & AdcData) == 0)
            return true;
        // Reading the clock costs more than a port read; look every few polls.
        if ((polls & 63u) == 0 && expired(start, limits_.endOfConversionMs))
            return false;
    }
}

LinkStatus Instrument::AdcConvert(PortAddress port, int adcMode)
{
    if (LinkStatus s = bindPort(); !s.ok())
        return s;
    out(port.data, AdcClock | AdcDeselect);
    out(port.data, AdcDeselect);
    out(port.data, 0x00);
    if (!waitEndOfConversion(port)) {
        LinkStatus s;
        s.fault = LinkFault::NoEndOfConversion;
        s.limitMs = limits_.endOfConversionMs;
        return s;
    }
    const auto mode = static_cast<unsigned>(adcMode);
    std::uint32_t a = 0;
    for (int i = 31; i >= 1; --i) {
        // The first five clocks shift the mode in, bit 4 first.
        const int s = i >= 27 ? static_cast<int>((mode >> (i - 27)) & 1u) : 0;
        out(port.data, s);
        out(port.data, s + AdcClock);
        const std::uint32_t b = (in(port.status) & AdcData) ? 1 : 0;
        // Bits 29 (sign) down to 2; bits 31, 30 and 1 are clocked past.
        if (i > 1 && i < 30)
            a = 2 * a + b;
    }
    out(port.data, 0x00);
    AdcVolts = ParallelVolts(a);
    return {};
}

LinkStatus Instrument::AdcReadAveraged(PortAddress port, int waitMs, int averages, int adcMode)
{
    if (LinkStatus s = bindPort(); !s.ok())
        return s;
    sleep(waitMs);
    if (averages <= 1)
        return AdcConvert(port, adcMode);
    double sum = 0;
    for (int i = 0; i < averages; ++i) {
        if (LinkStatus s = AdcConvert(port, adcMode); !s.ok())
            return s;
        sum += AdcVolts;
    }
    AdcVolts = sum / averages;
    return {};
}

// ---------------------------------------------------------------------- USB

LinkStatus Instrument::writeFrame()
{
    if (LinkStatus s = bindUsb(); !s.ok())
        return s;
    if (vnawrite_(tx_.data(), static_cast<std::int16_t>(CommandLength)) != 0)
        return {};
    return transferFailed();
}

LinkStatus Instrument::transferFailed() const
{
    LinkStatus s;
    s.fault = LinkFault::TransferFailed;
    if (vnaerror_)
        if (const char* cause = vnaerror_())
            s.detail = cause;
    return s;
}

void Instrument::UseUsbId(const std::string& fromFile)
{
    // What the user's environment said before the program first set it.
    static const std::optional<std::string> fromUser = [] {
        const char* id = std::getenv("BRINDLE_USB_ID");
        return id ? std::optional<std::string>(id) : std::nullopt;
    }();
    if (fromUser)
        return;
    if (fromFile.empty())
        unsetenv("BRINDLE_USB_ID");
    else
        setenv("BRINDLE_USB_ID", fromFile.c_str(), 1);
}

LinkStatus Instrument::UsbReadReply()
{
    if (LinkStatus s = bindUsb(); !s.ok())
        return s;
    std::int16_t count = 0;
    const bool ok = vnaread_(rx_.data(), &count) != 0;
    // A library that claims more than the buffer holds is not believed.
    rxCount_ = count < 0 ? 0 : (count > ReplyCapacity ? ReplyCapacity : count);
    if (ok)
        return {};
    return transferFailed();
}

LinkStatus Instrument::UsbProbe()
{
    FillStatusFrame(tx_);
    if (LinkStatus s = writeFrame(); !s.ok())
        return s;
    for (int i = 0; i < 3; ++i)
        if (LinkStatus s = UsbReadReply(); !s.ok())
            return s;
    return {};
}

LinkStatus Instrument::UsbDdsInit()
{
    FillDdsFrame(tx_, true);
    if (LinkStatus s = writeFrame(); !s.ok())
        return s;
    sleep(10);
    FillDdsFrame(tx_, false);
    return writeFrame();
}

LinkStatus Instrument::UsbDdsSleep()
{
    FillDdsFrame(tx_, true);
    return writeFrame();
}

LinkStatus Instrument::waitForResult()
{
    const auto start = Clock::now();
    for (;;) {
        if (LinkStatus s = UsbReadReply(); !s.ok())
            return s;
        if (ReplyCarriesResult(rx_, rxCount_))
            return {};
        // Replies without a result are dropped; the instrument is still converting.
        if (expired(start, limits_.resultFrameMs)) {
            LinkStatus s;
            s.fault = LinkFault::NoResult;
            s.limitMs = limits_.resultFrameMs;
            return s;
        }
    }
}

LinkStatus Instrument::UsbMeasure(std::uint32_t word, PhaseCode phase, bool readResult, AdcFrameBytes adc)
{
    FillMeasureFrame(tx_, CmdMeasure, word, phase, adc);
    if (LinkStatus s = writeFrame(); !s.ok())
        return s;
    if (!readResult)
        return {};
    if (LinkStatus s = waitForResult(); !s.ok())
        return s;
    const auto v = DecodeResult(rx_, rxCount_);
    if (!v)
        return emptyResult();
    AdcVolts = *v;
    return {};
}

LinkStatus Instrument::UsbMeasurePair(std::uint32_t word, PhaseCode first, PhaseCode second, AdcFrameBytes adc)
{
    FillMeasureFrame(tx_, CmdMeasurePairFirst, word, first, adc);
    if (LinkStatus s = writeFrame(); !s.ok())
        return s;
    FillMeasureFrame(tx_, CmdMeasure, word, second, adc);
    if (LinkStatus s = writeFrame(); !s.ok())
        return s;

    if (LinkStatus s = waitForResult(); !s.ok())
        return s;
    const auto v1 = DecodeResult(rx_, rxCount_);
    // A result without words ends the exchange: the instrument sends no second one.
    if (!v1)
        return emptyResult();
    AdcVolts = *v1;
    AdcVoltsFirst = AdcVolts;

    if (LinkStatus s = waitForResult(); !s.ok())
        return s;
    const auto v2 = DecodeResult(rx_, rxCount_);
    if (!v2)
        return emptyResult();
    AdcVolts = *v2;
    return {};
}

} // namespace orbilan::instrument
