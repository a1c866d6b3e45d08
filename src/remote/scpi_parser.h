// The SCPI line grammar: one line of a client's program message split into
// its units ("SENS:FREQ:STAR 1 MHz;STOP 10MHZ;*OPC?"), each with its header
// and parameters. It knows no command: the command table decides what a
// header means and whether its parameters fit.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "remote/scpi_error.h"

namespace orbilan::remote {

struct ScpiParameter {
    enum class Kind {
        Number, // decimal numeric data, with an optional suffix ("10 MHz", "1e6", "5k")
        Word,   // character data ("ON", "TRANsmission", "SDATa")
        String, // quoted string data, unquoted ("'a.cal'" gives a.cal)
    };
    Kind kind = Kind::Word;
    // Number: the mantissa's text as written; Word: the word; String: the contents.
    std::string text;
    // Number: its value without the suffix.
    double value = 0;
    // Number: the suffix as written ("MHz", "k"), empty when none.
    std::string suffix;
};

struct ScpiUnit {
    bool common = false;   // "*IDN?": one keyword, starting with '*'
    bool absolute = false; // a leading ':' starts from the root
    bool query = false;    // the header ends in '?'
    // The header's keywords as written ("SENS", "FREQ", "STAR"); a common
    // command has one, with its '*'.
    std::vector<std::string> keywords;
    std::vector<ScpiParameter> parameters;
};

struct ParsedScpiLine {
    std::vector<ScpiUnit> units;
    // Set when the line breaks the grammar; the units are then incomplete
    // and none of them may run.
    std::optional<ScpiError> error;
};

// Keywords and words longer than this are refused as syntax errors.
inline constexpr std::size_t MaxKeywordLength = 32;

// Splits one line (without its line end) into units. Empty units (";;", a
// trailing ';') are skipped.
ParsedScpiLine parseScpiLine(std::string_view line);

// True when `typed` is the short or the long form of `keyword`, whose
// upper-case letters are the short form ("FREQuency": FREQ or FREQUENCY, in
// any case).
bool keywordMatches(std::string_view keyword, std::string_view typed);

// A response string: in double quotes, each quote inside doubled.
std::string quoteScpiString(std::string_view text);

} // namespace orbilan::remote
