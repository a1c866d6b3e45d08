// The session's line protocol: one command per line in, one answer per line
// out. Texts travel in double quotes with C escapes (\" \\ \r \n \t, and \xHH
// for any other byte), so a message with carriage returns stays on one line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "ui/scripted_platform.h"

namespace orbilan::cli {

struct SessionCommand {
    enum class Verb { Start, Answer, Click, Type, Key, Choose, Focus, Leave, After, Get, Canvas, Sim, Quit };
    Verb verb = Verb::Quit;
    std::string name;   // click, type, key, choose, focus, leave, get
    std::string text;   // type, key, choose; the path of canvas; the device of sim
    ui::Answer answer;  // answer
    int count = 0;      // after: measured points to wait
    std::string then;   // after: the command line to run then (already checked)
};

struct ParsedLine {
    std::optional<SessionCommand> command; // empty for a blank or comment line, or an error
    std::string error;                     // why the line was refused
    bool isError() const { return !error.empty(); }
};

// The longest command line; a longer one is refused whole (no command of it
// runs), and a reader drops it without keeping it.
inline constexpr std::size_t MaxLineBytes = 64 * 1024;
// How many `after`s one line may hold inside one another.
inline constexpr int MaxAfterNesting = 16;

// Blank lines and lines starting with '#' are no command. Reading takes time
// in proportion to the line, however its commands nest.
ParsedLine parseSessionLine(const std::string& line);

// "text" with the escapes above; bytes of valid UTF-8 characters pass as they are.
std::string quoteText(const std::string& text);
// An answer as one line of printable text: the same escapes for line breaks,
// tabs, control bytes (NUL, ESC ...) and bytes that are no UTF-8, while
// quotes and backslashes stay as they are (quoted parts are escaped already).
std::string answerLine(const std::string& text);
// Reads one quoted text starting at line[pos] (which must be '"'); pos ends
// after the closing quote. Nullopt with `error` set when malformed.
std::optional<std::string> readQuoted(const std::string& line, std::size_t& pos, std::string& error);

} // namespace orbilan::cli
