// SCPI errors as a client reads them from SYSTem:ERRor?: a negative code from
// the standard's list and a quoted text. The text is the code's standard
// meaning, followed by what exactly went wrong after a ';'
// (-222,"Data out of range;points are 2 to 401"), or, for a dialog the
// program showed, that dialog's own text.
#pragma once

#include <string>

namespace orbilan::remote {

namespace scpi {
inline constexpr int CommandError = -100;
inline constexpr int SyntaxError = -102;
inline constexpr int DataTypeError = -104;
inline constexpr int ParameterNotAllowed = -108;
inline constexpr int MissingParameter = -109;
inline constexpr int UndefinedHeader = -113;
inline constexpr int InvalidSuffix = -131;
inline constexpr int ExecutionError = -200;
inline constexpr int SettingsConflict = -221;
inline constexpr int DataOutOfRange = -222;
inline constexpr int IllegalParameterValue = -224;
inline constexpr int QueueOverflow = -350;
} // namespace scpi

struct ScpiError {
    int code = 0;
    // What went wrong, in the client's terms; may be empty.
    std::string detail;
    // True when `detail` is the whole text (a dialog's text stands alone).
    bool ownText = false;

    static ScpiError of(int code, std::string detail = {}) { return {code, std::move(detail), false}; }
    static ScpiError dialog(std::string text) { return {scpi::ExecutionError, std::move(text), true}; }
};

// The standard's short text of a code ("Syntax error"); "Error" for a code
// it does not list.
const char* scpiErrorText(int code);

// The error queue's line for an error: -102,"Syntax error;unexpected ')'".
std::string scpiErrorLine(const ScpiError& error);

} // namespace orbilan::remote
