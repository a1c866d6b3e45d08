#include "sim/simulator.h"

#include "ui/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <thread>

namespace orbilan::sim {

namespace {

constexpr std::uint8_t ReplyStart = 0xAA;
constexpr std::uint8_t FlagResult = 0x20;
constexpr std::uint8_t FlagNotReady = 0x40;
// Command byte bits of the firmware: 0x40 load both DDS from the frame,
// 0x80 load them powered down, 0x10 measure, 0x08 another measure follows
// (the first of a pair). 0x00 asks for status only.
constexpr std::uint8_t CmdLoad = 0x40;
constexpr std::uint8_t CmdPowerDown = 0x80;
constexpr std::uint8_t CmdMeasure = 0x10;
constexpr std::uint8_t CmdPairFirst = 0x08;
constexpr int MaxWordsPerReply = 62; // (255 - 5) / 4
// In real-time timing a wait for the instrument sleeps in slices of this
// length (a USB read with nothing due returns after one), and sleeps to this
// margin before the instrument is done: the rest is waited for on the clock,
// since a sleep wakes tens of microseconds late, more on a busy machine, and
// the instrument's time must not grow by it.
constexpr double WaitSliceSeconds = 0.005;
constexpr double WakeMarginSeconds = 200e-6;

// Printer-port data bit i travels as bit PortToMapped[i] of the USB byte.
constexpr int PortToMapped[7] = {5, 6, 3, 2, 4, 0, 1};

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return s;
}

// Decimal, 0x.. hexadecimal or &H.. (as vna.ini writes port addresses).
bool parseUnsigned(std::string text, std::uint64_t& out)
{
    text = std::string(ui::trimWhitespace(text));
    int base = 10;
    std::size_t skip = 0;
    if (text.size() > 2 && (text.compare(0, 2, "0x") == 0 || text.compare(0, 2, "0X") == 0 ||
                            text.compare(0, 2, "&h") == 0 || text.compare(0, 2, "&H") == 0)) {
        base = 16;
        skip = 2;
    }
    const char* first = text.data() + skip;
    const char* last = text.data() + text.size();
    auto [end, ec] = std::from_chars(first, last, out, base);
    return ec == std::errc() && end == last && first != last;
}

void warn(const char* variable, const char* value, const std::string& why)
{
    std::fprintf(stderr, "kespsim: %s=%s ignored: %s\n", variable, value, why.c_str());
}

} // namespace

std::uint8_t mapPortByte(std::uint8_t portValue)
{
    std::uint8_t mapped = 0;
    for (int i = 0; i < 7; ++i)
        if (portValue & (1u << i))
            mapped |= static_cast<std::uint8_t>(1u << PortToMapped[i]);
    return mapped;
}

std::uint8_t unmapPortByte(std::uint8_t mapped)
{
    std::uint8_t value = 0;
    for (int i = 0; i < 7; ++i)
        if (mapped & (1u << PortToMapped[i]))
            value |= static_cast<std::uint8_t>(1u << i);
    return value;
}

// ---------------------------------------------------------------- Gaussian

void Gaussian::seed(std::uint64_t seed)
{
    state_ = seed;
    haveSpare_ = false;
}

std::uint64_t Gaussian::nextBits()
{
    // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Gaussian::next()
{
    if (haveSpare_) {
        haveSpare_ = false;
        return spare_;
    }
    // Box-Muller; u1 in (0, 1] keeps the logarithm finite.
    const double u1 = (static_cast<double>(nextBits() >> 11) + 1.0) / 9007199254740992.0;
    const double u2 = static_cast<double>(nextBits() >> 11) / 9007199254740992.0;
    const double r = std::sqrt(-2.0 * std::log(u1));
    spare_ = r * std::sin(2 * std::numbers::pi * u2);
    haveSpare_ = true;
    return r * std::cos(2 * std::numbers::pi * u2);
}

// ---------------------------------------------------------------- Simulator

Simulator::Simulator()
{
    adc_.sampler = [this] { return sampleVolts(adcNoise_); };
    reset();
}

void Simulator::reset()
{
    portBase_ = DefaultPortBase;
    clockHz_ = DefaultClockHz;
    timeScale_ = 0;
    noiseOn_ = true;
    autoFollow_ = true;
    faults_ = Faults{};
    setSeed(1);
    std::string error;
    parseDevice(DefaultDevice, configured_, error);
    connected_ = configured_;
    parseDevice("load", loadStandard_, error);
    adc_.setType(2440);
    lastError_.clear();
    configureFromEnvironment();
    powerOn();
}

void Simulator::powerOn()
{
    epoch_ = std::chrono::steady_clock::now();
    ddsA_ = Dds{};
    ddsB_ = Dds{};
    lines_ = 0;
    adc_.setTimeScale(timeScale_);
    adc_.setStuck(faults_.adcStuck);
    adc_.powerOn(0);
    adc_.lines(true, false, false, 0); // the port's lines start low: ADC selected
    replies_.clear();
    pairOpen_ = false;
    firmwareBusyUntil_ = 0;
    firmwareSettleSeconds_ = 0;
    replyCounter_ = 0;
    usbWrites_ = usbReads_ = usbIgnored_ = usbDropped_ = 0;
}

void Simulator::configureFromEnvironment()
{
    if (const char* v = std::getenv("KESP_SIM_DUT"); v && *v) {
        if (!setDevice(v))
            warn("KESP_SIM_DUT", v, lastError_);
    }
    if (const char* v = std::getenv("KESP_SIM_LOAD"); v && *v) {
        if (!setLoadStandard(v))
            warn("KESP_SIM_LOAD", v, lastError_);
    }
    if (const char* v = std::getenv("KESP_SIM_SEED"); v && *v) {
        std::uint64_t seed = 0;
        if (parseUnsigned(v, seed))
            setSeed(seed);
        else
            warn("KESP_SIM_SEED", v, "not a whole number");
    }
    if (const char* v = std::getenv("KESP_SIM_TIMING"); v && *v) {
        const std::string t = lower(std::string(ui::trimWhitespace(v)));
        auto scale = parseSiValue(t);
        if (t == "instant")
            timeScale_ = 0;
        else if (t == "realtime" || t == "real-time")
            timeScale_ = 1;
        else if (scale && *scale >= 0)
            timeScale_ = *scale;
        else
            warn("KESP_SIM_TIMING", v, "use instant, realtime or a scale factor such as 0.25");
    }
    auto flag = [](const char* name, bool& target) {
        if (const char* v = std::getenv(name); v && *v) {
            const std::string t = std::string(ui::trimWhitespace(v));
            if (t == "0" || t == "1")
                target = t == "1";
            else
                warn(name, v, "use 0 or 1");
        }
    };
    flag("KESP_SIM_AUTO_FOLLOW", autoFollow_);
    flag("KESP_SIM_NOISE", noiseOn_);
    if (const char* v = std::getenv("KESP_SIM_PORT"); v && *v) {
        std::uint64_t base = 0;
        if (parseUnsigned(v, base) && base <= 0xFFFE)
            portBase_ = static_cast<std::uint16_t>(base);
        else
            warn("KESP_SIM_PORT", v, "not a port address (e.g. 0x378 or 888)");
    }
    if (const char* v = std::getenv("KESP_SIM_CLOCK"); v && *v) {
        auto hz = parseSiValue(v);
        if (hz && *hz >= 1 && *hz <= 4294967295.0)
            clockHz_ = static_cast<std::uint32_t>(std::nearbyint(*hz));
        else
            warn("KESP_SIM_CLOCK", v, "not a clock frequency in Hz (e.g. 148.33M)");
    }
    if (const char* v = std::getenv("KESP_SIM_ADC"); v && *v) {
        std::uint64_t type = 0;
        if (!parseUnsigned(v, type) || !setAdcType(static_cast<int>(type)))
            warn("KESP_SIM_ADC", v, "use 2410 or 2440");
    }
    if (const char* v = std::getenv("KESP_SIM_FAULT"); v && *v) {
        if (!setFaults(v))
            warn("KESP_SIM_FAULT", v, lastError_);
    }
}

double Simulator::now() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - epoch_).count();
}

void Simulator::sleepUntil(double t) const
{
    const double wait = t - now();
    if (wait > 0)
        std::this_thread::sleep_for(std::chrono::duration<double>(wait));
}

void Simulator::waitUntil(double t) const
{
    sleepUntil(t - WakeMarginSeconds);
    // Not yielding: a yield on a busy machine hands the processor away for
    // a whole time slice, milliseconds, which is the lateness to avoid.
    while (now() < t) {
    }
}

void Simulator::setTiming(double scale)
{
    timeScale_ = std::isfinite(scale) && scale > 0 ? scale : 0;
    adc_.setTimeScale(timeScale_);
}

bool Simulator::setAdcType(int type)
{
    if (type != 2410 && type != 2440) {
        lastError_ = "the ADC type is 2410 or 2440";
        return false;
    }
    adc_.setType(type);
    return true;
}

bool Simulator::setFaults(const char* text)
{
    if (!text) {
        lastError_ = "no fault given";
        return false;
    }
    Faults next = faults_;
    std::string_view rest(text);
    while (true) {
        std::size_t comma = rest.find(',');
        const std::string item = lower(std::string(ui::trimWhitespace(rest.substr(0, comma))));
        auto count = [&](const char* prefix, int& target) {
            const std::size_t n = std::strlen(prefix);
            if (item.compare(0, n, prefix) != 0)
                return false;
            std::uint64_t value = 0;
            if (!parseUnsigned(item.substr(n), value) || value < 1 || value > 1000000000)
                return false;
            target = static_cast<int>(value);
            return true;
        };
        if (item == "none") next = Faults{};
        else if (item == "no-instrument") next.noInstrument = true;
        else if (item == "not-ready") next.notReady = true;
        else if (item == "no-result") next.noResult = true;
        else if (item == "empty-result") next.emptyResult = true;
        else if (item == "adc-stuck") next.adcStuck = true;
        else if (count("usb-write-fail:", next.writeFailIn) || count("usb-read-fail:", next.readFailIn)) {
        } else {
            lastError_ = "unknown fault \"" + item +
                         "\" (none, no-instrument, not-ready, usb-write-fail:N, usb-read-fail:N, "
                         "no-result, empty-result, adc-stuck)";
            return false;
        }
        if (comma == std::string_view::npos)
            break;
        rest = rest.substr(comma + 1);
    }
    faults_ = next;
    adc_.setStuck(faults_.adcStuck);
    return true;
}

// ---------------------------------------------------------------- bench

bool Simulator::setDevice(const char* text)
{
    Device device;
    std::string error;
    if (!text || !parseDevice(text, device, error)) {
        lastError_ = text ? error : "no device given";
        return false;
    }
    configured_ = device;
    connected_ = std::move(device);
    return true;
}

bool Simulator::setLoadStandard(const char* text)
{
    Device device;
    std::string error;
    if (!text || !parseDevice(text, device, error)) {
        lastError_ = text ? error : "no device given";
        return false;
    }
    if (lower(device.text.substr(0, 4)) != "load") {
        lastError_ = "the load standard is \"load\" or \"load:R=..,L=..,C=..\"";
        return false;
    }
    loadStandard_ = std::move(device);
    return true;
}

bool Simulator::trueGamma(double hz, Cx& out) const
{
    if (connected_.path != Path::Reflection)
        return false;
    out = connected_.response(hz);
    return true;
}

bool Simulator::trueS21(double hz, Cx& out) const
{
    if (connected_.path != Path::Transmission)
        return false;
    out = connected_.response(hz);
    return true;
}

double Simulator::ddsHz(const Dds& dds) const
{
    return dds.word() * static_cast<double>(clockHz_) / 4294967296.0;
}

double Simulator::detectorVolts() const
{
    // The detector mixes source and LO: only two synthesisers running at the
    // same word give a steady voltage; anything else averages out.
    const Dds& a = ddsA_;
    const Dds& b = ddsB_;
    if (a.word() != b.word() || a.word() == 0 || a.poweredDown() || b.poweredDown() ||
        a.testMode() || b.testMode())
        return DetectorOffsetVolts;
    double hz = ddsHz(a);
    double phase = (b.phaseSteps() - a.phaseSteps()) * (2 * std::numbers::pi / 32);
    if (hz > clockHz_ / 2.0) {
        // Above half the clock both outputs are images: the frequency folds
        // back and the phase difference turns round.
        hz = clockHz_ - hz;
        phase = -phase;
    }
    const Cx m = rawReading(connected_, hz);
    return DetectorOffsetVolts + std::real(m * std::polar(1.0, -phase));
}

double Simulator::sampleVolts(Gaussian& noise)
{
    const double v = detectorVolts();
    return noiseOn_ ? v + DetectorNoiseVolts * noise.next() : v;
}

void Simulator::setSeed(std::uint64_t seed)
{
    // Separate streams: status frames may take a port-level conversion at
    // moments that depend on real time, which must not shift the noise of
    // the firmware's measurements.
    adcNoise_.seed(seed);
    firmwareNoise_.seed(seed ^ 0x6A09E667F3BCC909ull);
}

void Simulator::prompt(const char* text)
{
    if (!autoFollow_ || !text)
        return;
    const std::string t = lower(text);
    const auto has = [&](const char* s) { return t.find(s) != std::string::npos; };
    Device standard;
    std::string error;
    if (has("detector port open"))
        parseDevice("isolation", standard, error);
    else if (has("open circuit"))
        parseDevice("open", standard, error);
    else if (has("short circuit"))
        parseDevice("short", standard, error);
    else if (has("reference load"))
        standard = loadStandard_;
    else if (has("connect thru"))
        parseDevice("thru", standard, error);
    else
        return;
    connected_ = std::move(standard);
}

void Simulator::calibrationDone()
{
    if (autoFollow_)
        connected_ = configured_;
}

// ---------------------------------------------------------------- parallel port

void Simulator::applyLines(std::uint8_t value)
{
    const std::uint8_t previous = lines_;
    lines_ = value & 0x7F; // bit 7 is not wired
    const auto rose = [&](std::uint8_t mask) { return !(previous & mask) && (lines_ & mask); };
    if (lines_ & 0x10) {
        // Reset is a level: while it is high the synthesisers ignore the clocks.
        ddsA_.reset();
        ddsB_.reset();
    } else {
        if (rose(0x04)) {
            ddsA_.wordClock(lines_ & 0x01);
            ddsB_.wordClock(lines_ & 0x02);
        }
        if (rose(0x08)) {
            ddsA_.frequencyUpdate();
            ddsB_.frequencyUpdate();
        }
    }
    adc_.lines(!(lines_ & 0x40), lines_ & 0x20, lines_ & 0x01, now());
}

void Simulator::portOut(std::uint16_t port, std::uint16_t value)
{
    if (port == portBase_)
        applyLines(static_cast<std::uint8_t>(value & 0xFF));
}

std::uint16_t Simulator::portIn(std::uint16_t port)
{
    if (port == portBase_)
        return lines_;
    if (port != portBase_ + 1)
        return 0xFF;
    if (faults_.noInstrument)
        return 0x00;
    const double t = now();
    if (timeScale_ > 0 && adc_.converting(t)) {
        // The program polls without pause, as on a real port; sleeping within
        // a poll keeps a real-time run from spinning a core, and the end of
        // the conversion is seen when it comes.
        const double end = adc_.conversionEnd();
        if (faults_.adcStuck)
            sleepUntil(t + 200e-6);
        else if (end - t > WaitSliceSeconds + WakeMarginSeconds)
            sleepUntil(t + WaitSliceSeconds);
        else
            waitUntil(end);
    }
    return adc_.dataOut(now()) ? 0x80 : 0x00;
}

// ---------------------------------------------------------------- USB firmware

std::vector<std::uint8_t> Simulator::statusFrame()
{
    std::uint8_t flags = (faults_.notReady || faults_.noInstrument) ? FlagNotReady : 0;
    bool dataOut = !faults_.noInstrument && adc_.dataOut(now());
    std::uint8_t image = static_cast<std::uint8_t>(mapPortByte(lines_) | (dataOut ? 0x00 : 0x80));
    return {ReplyStart, flags, image, replyCounter_++, 0};
}

void Simulator::dropUnreadResults()
{
    usbDropped_ += static_cast<std::uint32_t>(replies_.size());
    replies_.clear();
}

void Simulator::firmwareCommand(const std::uint8_t* f)
{
    const std::uint8_t command = f[1];
    const bool secondOfPair = pairOpen_;
    pairOpen_ = false;
    if (!(command & CmdMeasure) || !secondOfPair)
        dropUnreadResults();

    if (command & (CmdLoad | CmdPowerDown)) {
        const auto word = [&](int at) {
            return static_cast<std::uint32_t>(f[at]) << 24 | static_cast<std::uint32_t>(f[at + 1]) << 16 |
                   static_cast<std::uint32_t>(f[at + 2]) << 8 | f[at + 3];
        };
        const std::uint8_t down = (command & CmdPowerDown) ? 0x04 : 0x00;
        ddsB_.load(word(6), static_cast<std::uint8_t>(f[5] | down));
        ddsA_.load(word(11), static_cast<std::uint8_t>(f[10] | down));
    }
    if (!(command & CmdMeasure))
        return;
    pairOpen_ = (command & CmdPairFirst) != 0;

    const int waitMs = f[2];
    const int averages = f[3];
    const int mode = adc_.type() == 2440 ? (f[4] & 0x1F) : 0;
    if (faults_.noInstrument || faults_.noResult || faults_.adcStuck)
        return;

    // Every conversion is made; more than fit in one frame are pooled evenly.
    std::vector<std::uint32_t> codes;
    codes.reserve(static_cast<std::size_t>(averages));
    for (int i = 0; i < averages; ++i) {
        codes.push_back(Adc::wordForVolts(sampleVolts(firmwareNoise_)));
        adc_.noteConversion(codes.back(), mode);
    }
    const int words = faults_.emptyResult ? 0 : std::min(averages, MaxWordsPerReply);
    Reply reply;
    reply.bytes = {ReplyStart, FlagResult, command, replyCounter_++, static_cast<std::uint8_t>(words)};
    std::size_t next = 0;
    for (int j = 0; j < words; ++j) {
        const int size = averages / words + (j < averages % words ? 1 : 0);
        std::uint64_t sum = 0;
        for (int k = 0; k < size; ++k)
            sum += codes[next++];
        const auto w = static_cast<std::uint32_t>((sum + static_cast<std::uint64_t>(size) / 2) /
                                                  static_cast<std::uint64_t>(size));
        for (int shift = 24; shift >= 0; shift -= 8)
            reply.bytes.push_back(static_cast<std::uint8_t>(w >> shift));
    }
    firmwareSettleSeconds_ += waitMs / 1000.0;
    const double seconds = waitMs / 1000.0 + averages * Adc::conversionSeconds(adc_.type(), mode);
    reply.readyAt = std::max(now(), firmwareBusyUntil_) + seconds * timeScale_;
    firmwareBusyUntil_ = reply.readyAt;
    replies_.push_back(std::move(reply));
}

bool Simulator::usbWrite(const std::uint8_t* data, int length)
{
    if (!data || length <= 0)
        return false;
    if (faults_.writeFailIn > 0 && --faults_.writeFailIn == 0)
        return false;
    ++usbWrites_;
    if (length == 4 && data[0] == 0x5A && data[1] == 0x80 && data[3] == 0x00) {
        applyLines(unmapPortByte(data[2]));
        return true;
    }
    if (length == 15 && data[0] == 0x55) {
        firmwareCommand(data);
        return true;
    }
    ++usbIgnored_;
    return true;
}

int Simulator::usbRead(std::uint8_t* buffer, int capacity)
{
    if (!buffer || capacity <= 0)
        return -1;
    if (faults_.readFailIn > 0 && --faults_.readFailIn == 0)
        return -1;
    bool result = false;
    if (!replies_.empty()) {
        // A result still being measured: the firmware answers the read with
        // a status frame after a short while, as the host's read loop expects.
        const double due = replies_.front().readyAt;
        const double t = now();
        if (due - t > WaitSliceSeconds + WakeMarginSeconds)
            sleepUntil(t + WaitSliceSeconds);
        else
            waitUntil(due);
        result = now() >= due;
    }
    std::vector<std::uint8_t> frame = result ? replies_.front().bytes : statusFrame();
    if (static_cast<int>(frame.size()) > capacity)
        return -1; // an overflow: a result stays for a read with room
    if (result)
        replies_.pop_front();
    std::memcpy(buffer, frame.data(), frame.size());
    ++usbReads_;
    return static_cast<int>(frame.size());
}

Simulator& simulator()
{
    // Never destroyed: other libraries' exit-time code (a link library
    // powering the synthesisers down, say) may still reach the instrument.
    static Simulator* instance = new Simulator();
    return *instance;
}

} // namespace orbilan::sim
