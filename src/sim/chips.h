// The two kinds of chip on the instrument's board as their serial pins see
// them: a DDS with a 40-bit serial load word, and the sigma-delta ADC with its
// chip select, serial clock, data input and data output. Internal to
// libkespsim.
#pragma once

#include <cstdint>
#include <functional>

namespace orbilan::sim {

// One synthesiser. After a reset it is in parallel mode; a word-clock pulse
// followed by a frequency update switches it to serial loading (the board
// wires the parallel data pins for that). In serial mode each rising word
// clock shifts one bit into a 40-bit register, least significant bit first,
// and a rising frequency update latches it: bits 0..31 the tuning word,
// bits 32..39 the control byte (bit 34 power-down, bits 35..39 the phase in
// steps of 11.25 degrees; bits 32 and 33 select factory test modes).
class Dds {
public:
    void reset();
    void wordClock(bool bit);
    void frequencyUpdate();
    // The USB firmware's load: it drives the serial protocol itself.
    void load(std::uint32_t word, std::uint8_t control);

    std::uint32_t word() const { return word_; }
    std::uint8_t control() const { return control_; }
    bool serialMode() const { return serial_; }
    bool poweredDown() const { return (control_ & 0x04) != 0; }
    bool testMode() const { return (control_ & 0x03) != 0; }
    // Phase in steps of 11.25 degrees, 0..31.
    int phaseSteps() const { return control_ >> 3; }
    std::uint32_t updates() const { return updates_; }

private:
    std::uint64_t shift_ = 0;
    bool serial_ = false;
    bool clockedInParallel_ = false;
    std::uint32_t word_ = 0;
    std::uint8_t control_ = 0;
    std::uint32_t updates_ = 0;
};

// The ADC (LTC2410/2440 style). Conversions run continuously: one starts at
// power-on and again after each result has been clocked out (chip select
// raised after the first clock, or the 32nd falling clock edge). While chip
// select is low the data output shows end-of-conversion (1 = converting),
// then the result word, bit 31 first, one bit further per falling clock edge.
// The first five rising clock edges of a read take the mode bits from the data
// input; they set the rate of the next conversion (type 2440 only).
class Adc {
public:
    // Gives the input voltage when a conversion's result is taken.
    std::function<double()> sampler;

    void powerOn(double now);
    void setType(int type) { type_ = type; }
    int type() const { return type_; }
    // 0 = conversions take no time; 1 = real time. A conversion under way
    // takes the new length too (counted from its start).
    void setTimeScale(double scale);
    // A stuck converter never finishes a conversion.
    void setStuck(bool stuck) { stuck_ = stuck; }

    // A port write: the new level of each pin at time now (seconds).
    void lines(bool selected, bool clock, bool dataIn, double now);
    // The data output as read at time now.
    bool dataOut(double now);
    bool converting(double now) const;
    double conversionEnd() const { return end_; }

    // Nominal conversion time of a type in a mode, seconds.
    static double conversionSeconds(int type, int mode);
    // The ADC's transfer function: -2.5 V .. +2.5 V onto 0 .. 0x3FFFFFFF
    // (bit 29 = sign); beyond the range the code saturates.
    static std::uint32_t wordForVolts(double volts);
    static double voltsForWord(std::uint32_t word);

    int mode() const { return mode_; }
    std::uint32_t conversions() const { return conversions_; }
    // The nominal conversion times of those conversions, summed, in the
    // instrument's seconds whatever the time scale.
    double conversionSeconds() const { return convertedSeconds_; }
    std::uint32_t lastWord() const { return lastWord_; }
    // Counts a conversion made outside the serial interface (USB firmware).
    void noteConversion(std::uint32_t word, int mode);

private:
    void startConversion(double now);
    void takeResult(double now);

    int type_ = 2440;
    double scale_ = 0;
    bool stuck_ = false;
    bool selected_ = false;
    bool clock_ = false;
    double start_ = 0;
    double end_ = 0;
    bool haveResult_ = false;
    std::uint32_t word_ = 0;
    int rising_ = 0;
    int falling_ = 0;
    int mode_ = 0;
    unsigned modeShift_ = 0;
    double runningSeconds_ = 0; // nominal length of the conversion now running
    std::uint32_t conversions_ = 0;
    double convertedSeconds_ = 0;
    std::uint32_t lastWord_ = 0;
};

} // namespace orbilan::sim
