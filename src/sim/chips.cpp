#include "sim/chips.h"

#include <algorithm>
#include <cmath>

namespace orbilan::sim {

void Dds::reset()
{
    shift_ = 0;
    serial_ = false;
    clockedInParallel_ = false;
    word_ = 0;
    control_ = 0;
}

void Dds::wordClock(bool bit)
{
    if (!serial_) {
        clockedInParallel_ = true;
        return;
    }
    shift_ = (shift_ >> 1) | (static_cast<std::uint64_t>(bit) << 39);
}

void Dds::frequencyUpdate()
{
    if (!serial_) {
        // The parallel byte the board presents selects serial loading.
        serial_ = clockedInParallel_;
        return;
    }
    word_ = static_cast<std::uint32_t>(shift_ & 0xFFFFFFFFu);
    control_ = static_cast<std::uint8_t>(shift_ >> 32);
    ++updates_;
}

void Dds::load(std::uint32_t word, std::uint8_t control)
{
    serial_ = true;
    shift_ = (static_cast<std::uint64_t>(control) << 32) | word;
    word_ = word;
    control_ = control;
    ++updates_;
}

double Adc::conversionSeconds(int type, int mode)
{
    if (type == 2410)
        return 1 / 7.5;
    // 2440: mode 1 converts at 3.52 kHz and each further mode halves the
    // rate down to 6.875 Hz; mode 0 is 880 Hz; bit 4 doubles the rate.
    const int m = mode & 0x0F;
    double hz = m == 0 ? 880.0 : 3520.0 / std::pow(2.0, std::min(m, 10) - 1);
    if (mode & 0x10)
        hz *= 2;
    return 1 / hz;
}

std::uint32_t Adc::wordForVolts(double volts)
{
    const double code = std::nearbyint((volts + 2.5) * (1u << 28) / 1.25);
    // A device whose response overflows the bench's arithmetic (an inductor
    // of 1e300 H) leaves no number at all; the converter reads the bottom of
    // its range rather than whatever a conversion of NaN happens to give.
    if (!(code > 0))
        return 0;
    return static_cast<std::uint32_t>(std::min(code, static_cast<double>(0x3FFFFFFF)));
}

double Adc::voltsForWord(std::uint32_t word)
{
    return word * 1.25 / (1u << 28) - 2.5;
}

void Adc::powerOn(double now)
{
    selected_ = false;
    clock_ = false;
    mode_ = 0;
    modeShift_ = 0;
    conversions_ = 0;
    convertedSeconds_ = 0;
    lastWord_ = 0;
    startConversion(now);
}

void Adc::setTimeScale(double scale)
{
    scale_ = scale;
    if (!haveResult_)
        end_ = start_ + runningSeconds_ * scale_;
}

void Adc::startConversion(double now)
{
    start_ = now;
    runningSeconds_ = conversionSeconds(type_, mode_);
    end_ = now + runningSeconds_ * scale_;
    haveResult_ = false;
    rising_ = 0;
    falling_ = 0;
    modeShift_ = 0;
}

bool Adc::converting(double now) const
{
    return stuck_ || (!haveResult_ && now < end_);
}

// The result is the input at the moment the finished conversion is first
// seen: the program's settling wait is what makes that input valid, so a
// reading never mixes two synthesiser settings.
void Adc::takeResult(double now)
{
    if (haveResult_ || converting(now))
        return;
    word_ = wordForVolts(sampler ? sampler() : 0.0);
    haveResult_ = true;
    lastWord_ = word_;
    ++conversions_;
    convertedSeconds_ += runningSeconds_;
}

void Adc::noteConversion(std::uint32_t word, int mode)
{
    lastWord_ = word;
    mode_ = mode & 0x1F;
    ++conversions_;
    convertedSeconds_ += conversionSeconds(type_, mode_);
}

void Adc::lines(bool selected, bool clock, bool dataIn, double now)
{
    if (selected_ && !selected) {
        // Chip select raised in the middle of a read ends it; the next
        // conversion starts. Raised before any clock, the result is kept.
        if (haveResult_ && rising_ > 0)
            startConversion(now);
    }
    if (selected_ && selected && clock != clock_) {
        if (clock) {
            takeResult(now);
            if (haveResult_) {
                ++rising_;
                if (rising_ <= 5) {
                    modeShift_ = (modeShift_ << 1) | (dataIn ? 1u : 0u);
                    if (rising_ == 5 && type_ == 2440)
                        mode_ = static_cast<int>(modeShift_ & 0x1F);
                }
            }
        } else if (haveResult_ && rising_ > 0) {
            if (++falling_ >= 32)
                startConversion(now);
        }
    }
    selected_ = selected;
    clock_ = clock;
}

bool Adc::dataOut(double now)
{
    if (!selected_)
        return true; // released output, pulled up
    takeResult(now);
    if (!haveResult_)
        return true; // end-of-conversion high: still converting
    const int bit = 31 - falling_;
    return bit >= 0 && ((word_ >> bit) & 1u);
}

} // namespace orbilan::sim
