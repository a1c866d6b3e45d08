// The numbers a command line gives, checked in one place for every command:
// the whole text must be the number, or it is refused with one line that
// names the option and says what it takes. Nothing is cut or read in part
// ("1M5" is not 1 MHz, "1e2" is not a step count).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orbilan::cli {

// A whole number of digits only, from min to max. "" and `value` set when
// sound, else the complaint.
std::string checkWholeNumber(const std::string& option, const std::string& text, std::uint64_t min,
                             std::uint64_t max, std::uint64_t& value);

// A real number, the whole text (a sign, digits, a fraction and an exponent;
// a period whatever the locale), finite.
std::string checkNumber(const std::string& option, const std::string& text, double& value);

// A frequency as the sweep panel takes it, but whole: a decimal number
// (digits, an optional fraction and exponent) and at most one unit letter
// after it, m (MHz), k (kHz) or h (Hz), in either case; no letter means Hz.
// Never negative. `hz` is what the panel makes of it.
std::string checkFrequency(const std::string& option, const std::string& text, std::int32_t& hz);
// The same, for a field that keeps the text as typed.
std::string checkFrequencyText(const std::string& option, const std::string& text);

// A folder that exists: a mistyped one would quietly give the default
// settings, the instrument perhaps on the wrong port.
std::string checkFolder(const std::string& option, const std::string& text);

} // namespace orbilan::cli
