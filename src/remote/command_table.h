// The commands a server understands, written as the SCPI standard writes
// them: "[SENSe:]FREQuency:STARt" (upper case the short form, brackets an
// optional keyword, a trailing '?' the query form). The table finds the
// command of a parsed unit, including the standard's compound headers
// ("FREQ:STAR 1e6;STOP 2e6" means FREQ:STOP for the second), and checks and
// converts its parameters before anything runs, so that a refused command
// changes nothing.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "remote/scpi_error.h"
#include "remote/scpi_parser.h"

namespace orbilan::remote {

struct ParamDef {
    enum class Type {
        Frequency,    // Hz; suffixes Hz, k, kHz, M, MHz, G, GHz (M is mega: no one sweeps in millihertz)
        Count,        // a whole number, no suffix
        Milliseconds, // ms; suffixes ms, s
        Boolean,      // ON, OFF, 1, 0
        Choice,       // one of `choices`, long or short form
        String,       // quoted (a bare word is taken as written)
    };
    Type type = Type::Count;
    std::string name;                 // in messages: "points"
    double min = 0, max = 0;          // numbers: the accepted range (MINimum, MAXimum give these)
    std::vector<std::string> choices; // Choice: "TRANsmission", "REFLection" ...
    bool optional = false;
};

// A parameter after checking: numbers in Hz, ms or as counts.
struct BoundValue {
    bool given = false;
    double number = 0;
    bool flag = false;
    int choice = -1;
    std::string text;
};

// What a handler gets and gives: its parameters, and either an answer (a
// query) or an error.
class CommandCall {
public:
    explicit CommandCall(std::vector<BoundValue> args) : args_(std::move(args)) {}

    const BoundValue& arg(std::size_t i) const { return args_.at(i); }
    std::size_t argCount() const { return args_.size(); }

    void answer(std::string text) { answer_ = std::move(text); }
    void fail(ScpiError error) { error_ = std::move(error); }
    void fail(int code, std::string detail) { error_ = ScpiError::of(code, std::move(detail)); }

    // Units of one line that belong to the same group (CommandDef::group)
    // and follow each other: whether this one opens such a run, and
    // whether another of the run follows it.
    bool groupStarts() const { return groupStarts_; }
    bool groupContinues() const { return groupContinues_; }
    void setGroupPosition(bool starts, bool continues)
    {
        groupStarts_ = starts;
        groupContinues_ = continues;
    }

    const std::optional<std::string>& answerText() const { return answer_; }
    const std::optional<ScpiError>& error() const { return error_; }

private:
    std::vector<BoundValue> args_;
    std::optional<std::string> answer_;
    std::optional<ScpiError> error_;
    bool groupStarts_ = true;
    bool groupContinues_ = false;
};

struct CommandDef {
    std::string pattern;            // "[SENSe:]FREQuency:STARt?"
    std::vector<ParamDef> params;
    std::function<void(CommandCall&)> run;
    std::string syntax;             // how the parameters are written, for the help: "<Hz>"
    std::string help;               // one line
    // False for commands that only read or that answer a prompt; the others
    // act on the window and wait while a modal prompt is open.
    bool actsOnWindow = true;
    // *OPC? and *WAI: held back until the operations before them have ended.
    bool waitsForOperations = false;
    // Commands of one group (not 0) that follow each other in a line may be
    // carried out together by the last of them ("FREQ:STAR 20M;STOP 30M"
    // sets one sweep, whichever comes first).
    int group = 0;

    // A command that only reads, or that answers a prompt: it runs while a
    // prompt is open.
    CommandDef& readOnly()
    {
        actsOnWindow = false;
        return *this;
    }
    // Filled from the pattern.
    bool common = false;
    bool query = false;
    struct Node {
        std::string keyword;
        bool optional = false;
    };
    std::vector<Node> nodes;
};

class CommandTable {
public:
    // Adds a command; the pattern must be well formed (a programming error
    // otherwise). The reference is for setting its flags at once.
    CommandDef& add(std::string pattern, std::vector<ParamDef> params, std::string syntax, std::string help,
                     std::function<void(CommandCall&)> run);

    struct Found {
        const CommandDef* def = nullptr;
        // The path the next unit of the line starts from.
        std::vector<std::string> path;
    };
    // The command a unit names, starting from the previous unit's path;
    // nullopt with `error` set (-113) when there is none.
    std::optional<Found> find(const ScpiUnit& unit, const std::vector<std::string>& path, ScpiError& error) const;

    // Checks the unit's parameters against the command's and converts them.
    std::optional<std::vector<BoundValue>> bind(const CommandDef& def, const ScpiUnit& unit,
                                                ScpiError& error) const;

    const std::vector<CommandDef>& commands() const { return commands_; }

private:
    const CommandDef* match(const std::vector<std::string>& keywords, bool query, bool& otherForm) const;

    std::vector<CommandDef> commands_;
};

// A unit's header as the client wrote it ("SENS:FREQ:FOO?"), for messages.
std::string headerText(const ScpiUnit& unit);

} // namespace orbilan::remote
