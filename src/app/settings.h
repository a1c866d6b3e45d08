// The process-wide settings, loaded from vna.ini at start-up. Integer
// settings are 16-bit and reals single precision, as the instrument's
// arithmetic expects (clk=148.33 must give 148,330,002 Hz).
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "ui/control.h"

namespace orbilan::app {

inline constexpr const char* ProgramVersion = "1.3D";
inline constexpr const char* ProgramDate = "01 Sep 2008";
inline constexpr const char* InitialTitle = "Orbilan for Kesp VNA";

struct Settings {
    std::string OwnerName;                 // owner
    float ClockMHz = 148.33f;              // clk
    std::int32_t ClockHz = 148330000;
    std::int16_t DataPort = 888;           // port
    std::int16_t StatusPort = 889;
    bool UsbLink = false;                  // usb
    float ReadOverheadMs = 10;             // per reading: 10 parallel, 0.3 USB
    std::int16_t AdcWaitMs = 10;           // adcdel
    ui::Rgb GraticuleColour = 0x404040;    // graticule
    float Z0 = 50;                         // zo
    float LoadStdR = 50;                   // rld, ohm
    float LoadStdC = 0;                    // cld, pF
    float LoadStdL = 0;                    // lld, nH
    std::int16_t AdcMode = 0;              // adcmode
    std::int16_t AdcType = 2410;           // adctype
    std::int16_t AdcAverages = 1;          // adcavg
    std::int16_t SweepPoints = 11;         // npoints
    float AdcConvMs = 130;                 // conversion time of one reading
    // usbid: the instrument's USB ids as "vvvv:pppp" (lower-case hex), for
    // firmware that reports other ids than brindle's default; "" = default.
    std::string UsbId;
};

// What reading vna.ini asks of the window besides the settings.
struct ConfigOutcome {
    bool fileFound = false;
    // Message box texts in the order shown (OK only); line breaks are "\r".
    std::vector<std::string> messages;
    // The instrument title caption after reading.
    std::string title;
    // The ADC mode button: -1 untouched, 0 hidden, 1 shown (the last adctype line wins).
    int adcModeButtonVisible = -1;
    // Set when an adcmode line gave the button a caption.
    bool adcModeCaptionSet = false;
    // A read error stopped reading at this 1-based line (0: none).
    int errorLine = 0;
};

// One line of the file as key and value texts; both empty when the line
// carries no setting.
struct ConfigLine {
    std::string key;
    std::string value;
};
ConfigLine ReadConfigLine(const std::string& line);

// Resets `settings` to the defaults and applies the lines of `file`
// (nullptr: there is no vna.ini). `previousTitle` stays the title when the
// file is missing or a read error stops reading.
ConfigOutcome LoadCFG(std::istream* file, Settings& settings, const std::string& previousTitle);

// The largest vna.ini read: a few hundred bytes are usual, and a file far
// beyond is no configuration (a link to a device, a mistake).
inline constexpr std::size_t MaxConfigBytes = 1 << 20;

// Reads `dir`/vna.ini as start-up does. A missing file gives the defaults
// and LoadCFG's message; one that cannot be read (not a regular file, above
// MaxConfigBytes, no permission) gives the defaults and a message that says
// why and names the file.
ConfigOutcome LoadConfigFile(const std::string& dir, Settings& settings, const std::string& previousTitle);

// The caption of the ADC mode button for a mode number.
std::string AdcModeCaption(int mode);

} // namespace orbilan::app
