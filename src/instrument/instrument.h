// The instrument link as the window model sees it: the two transports
// (parallel port through libinpout32, USB through libbrindle, each bound by
// file name at its first use), DDS programming and ADC acquisition.
//
// Nothing here talks to the user. Every operation returns a LinkStatus and
// the window model decides what the user is told; the settings an operation
// needs are passed with each call, because the window model may change them
// between calls.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "instrument/dds.h"
#include "instrument/link_library.h"
#include "instrument/usb_frames.h"

namespace orbilan::instrument {

inline constexpr const char* PortLibraryName = "libinpout32.so";
inline constexpr const char* UsbLibraryName = "libbrindle.so";

enum class LinkFault {
    None,
    LibraryMissing,    // the transport's library could not be loaded
    FunctionMissing,   // it lacks a function the transport needs
    TransferFailed,    // vnawrite or vnaread returned false
    NoEndOfConversion, // the parallel ADC never signalled end of conversion
    NoResult,          // no result frame arrived over USB
    EmptyResult,       // a USB result frame came with no reading in it
};

struct LinkStatus {
    LinkFault fault = LinkFault::None;
    std::string library;  // LibraryMissing, FunctionMissing
    std::string function; // FunctionMissing
    std::string detail;   // what the loader said; TransferFailed: brindle's cause, if it names one
    int limitMs = 0;      // NoEndOfConversion, NoResult: the time waited
    bool ok() const { return fault == LinkFault::None; }
};

// The parallel port's data and status registers.
struct PortAddress {
    std::uint16_t data = 888;
    std::uint16_t status = 889;
};

// How long the link waits for the instrument. Generous: the slowest ADC mode
// converts in about 150 ms, and a USB result with 100 averages takes 15 s.
struct TimeLimits {
    int endOfConversionMs = 5000;
    int resultFrameMs = 60000;
};

class Instrument {
public:
    Instrument();
    ~Instrument();
    Instrument(const Instrument&) = delete;
    Instrument& operator=(const Instrument&) = delete;

    // Where both libraries are looked up ("" = beside the program, then the
    // loader's search). Takes effect for a library not bound yet.
    void setLibraryDir(const std::string& dir);
    // The waits of the link (settling, DDS power-up, the ADC probe).
    void setSleep(std::function<void(int ms)> sleepMs);
    void setTimeLimits(TimeLimits limits) { limits_ = limits; }
    const TimeLimits& timeLimits() const { return limits_; }

    // ------------------------------------------------------- parallel port
    // One ADC read cycle without mode bits or end-of-conversion wait;
    // `answers` is true when any result bit came back set.
    LinkStatus ParallelProbe(PortAddress port, int adcType, bool& answers);
    // Reset both DDS and put them into serial-load mode.
    LinkStatus DdsResetSerial(PortAddress port);
    // Both DDS powered down at the 1 Hz word, 10 ms, then powered up.
    LinkStatus DdsWake(PortAddress port, std::int32_t clockHz);
    // Both DDS powered down at the 1 Hz word.
    LinkStatus DdsSleep(PortAddress port, std::int32_t clockHz);
    // Both DDS to `hexWord`, DDS B at `phase`, then the update pulse (83 writes).
    LinkStatus DdsLoad(PortAddress port, const std::string& hexWord, PhaseCode phase);
    // One conversion into AdcVolts; the five low bits of adcMode go to the ADC.
    LinkStatus AdcConvert(PortAddress port, int adcMode);
    // Waits waitMs, then averages `averages` conversions into AdcVolts
    // (at least one: a value from an earlier point is never passed off as
    // this one's).
    LinkStatus AdcReadAveraged(PortAddress port, int waitMs, int averages, int adcMode);

    // ------------------------------------------------------------------ USB
    // The instrument's USB ids from vna.ini ("vvvv:pppp", "" for none), for
    // brindle's next search. BRINDLE_USB_ID in the program's environment
    // wins over the file.
    static void UseUsbId(const std::string& fromFile);
    // The status frame and three replies.
    LinkStatus UsbProbe();
    // Whether the last reply carried the not-ready flag.
    bool UsbNotReady() const { return ReplySaysNotReady(rx_, rxCount_); }
    // Reads one reply.
    LinkStatus UsbReadReply();
    // The powered-down DDS frame, 10 ms, the running DDS frame.
    LinkStatus UsbDdsInit();
    // The powered-down DDS frame.
    LinkStatus UsbDdsSleep();
    // A 0x50 frame; with readResult, its result decoded into AdcVolts. A
    // result without words is EmptyResult, AdcVolts left as it was.
    LinkStatus UsbMeasure(std::uint32_t word, PhaseCode phase, bool readResult, AdcFrameBytes adc);
    // A 0x58 frame at `first` and a 0x50 frame at `second`; the first result
    // goes to AdcVoltsFirst and the second to AdcVolts. A result without
    // words ends the exchange (the instrument sends no second one) as
    // EmptyResult: the point has no reading.
    LinkStatus UsbMeasurePair(std::uint32_t word, PhaseCode first, PhaseCode second, AdcFrameBytes adc);

    // The last averaged voltage and the first voltage of a pair.
    double AdcVolts = 0;
    double AdcVoltsFirst = 0;

    const CommandFrame& TxFrame() const { return tx_; }
    const ReplyFrame& RxFrame() const { return rx_; }
    int RxCount() const { return rxCount_; }

private:
    LinkStatus bindPort();
    LinkStatus bindUsb();
    static LinkStatus bindStatus(const LinkLibrary& library, const BindResult& result);

    void out(std::uint16_t port, int value);
    int in(std::uint16_t port);
    // Clocks the byte list of a DDS load out, least significant bit first,
    // the same to both synthesisers.
    void sendBothBytes(std::uint16_t data, const std::uint8_t* bytes, int count);
    void bitBoth(std::uint16_t data, bool one);
    void bitOnlyB(std::uint16_t data, bool one);
    void updatePulse(std::uint16_t data);
    LinkStatus loadOneHertz(PortAddress port, std::int32_t clockHz, std::uint8_t control);
    bool waitEndOfConversion(PortAddress port);

    LinkStatus writeFrame();
    LinkStatus transferFailed() const;
    LinkStatus waitForResult();
    void sleep(int ms);

    LinkLibrary portLib_;
    LinkLibrary usbLib_;
    std::int32_t (*out32_)(std::int16_t, std::int16_t) = nullptr;
    std::int16_t (*inp32_)(std::int16_t) = nullptr;
    std::int32_t (*vnawrite_)(std::uint8_t*, std::int16_t) = nullptr;
    std::int32_t (*vnaread_)(std::uint8_t*, std::int16_t*) = nullptr;
    const char* (*vnaerror_)() = nullptr;

    std::function<void(int)> sleepMs_;
    TimeLimits limits_;
    CommandFrame tx_{};
    ReplyFrame rx_{};
    int rxCount_ = 0;
};

} // namespace orbilan::instrument
