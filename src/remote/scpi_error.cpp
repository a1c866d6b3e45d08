#include "remote/scpi_error.h"

#include "remote/scpi_parser.h"

namespace orbilan::remote {

namespace {

// The standard allows an error text of 255 characters; a client may size
// its buffer by it.
constexpr std::size_t MaxTextLength = 255;

} // namespace

const char* scpiErrorText(int code)
{
    switch (code) {
    case 0: return "No error";
    case scpi::CommandError: return "Command error";
    case scpi::SyntaxError: return "Syntax error";
    case scpi::DataTypeError: return "Data type error";
    case scpi::ParameterNotAllowed: return "Parameter not allowed";
    case scpi::MissingParameter: return "Missing parameter";
    case scpi::UndefinedHeader: return "Undefined header";
    case scpi::InvalidSuffix: return "Invalid suffix";
    case scpi::ExecutionError: return "Execution error";
    case scpi::SettingsConflict: return "Settings conflict";
    case scpi::DataOutOfRange: return "Data out of range";
    case scpi::IllegalParameterValue: return "Illegal parameter value";
    case scpi::QueueOverflow: return "Queue overflow";
    default: return "Error";
    }
}

std::string scpiErrorLine(const ScpiError& error)
{
    std::string text;
    if (error.ownText && !error.detail.empty()) {
        text = error.detail;
    } else {
        text = scpiErrorText(error.code);
        if (!error.detail.empty())
            text += ";" + error.detail;
    }
    // One line whatever a dialog or a file name brought in.
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    if (text.size() > MaxTextLength) {
        std::size_t cut = MaxTextLength;
        // Never cut through a UTF-8 character.
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
        text.resize(cut);
    }
    return std::to_string(error.code) + "," + quoteScpiString(text);
}

} // namespace orbilan::remote
