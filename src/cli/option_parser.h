// One way to declare and read a command line, for every command of
// orbilan-cli and for the desktop program. Each option is declared once, with
// the name of its value and its help, so what --help lists and what is
// accepted are the same table. A misuse is a UsageError: one line that names
// the option, which the program prints after its own name before it exits
// with status 2.
//
// What every command line accepts alike: "--name VALUE" and "--name=VALUE"
// (the next argument is the value whatever it looks like, so "--span -5m"
// reaches the frequency check and "--comment -3 dB" is a comment); "-h" or
// "--help" anywhere, which asks for the help and nothing else; "--" before
// arguments that are not options. A value is never empty, and a value given
// twice is refused rather than one of them quietly winning.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/option_values.h"

namespace orbilan::cli {

struct UsageError {
    std::string text;
    std::string usage; // the command's usage lines, after an argument nobody declared
};

class OptionParser {
public:
    // Sees the value as typed and the option's name as typed; throws
    // UsageError when the value is unfit.
    using Take = std::function<void(const std::string& option, const std::string& text)>;
    // A complaint about a value, "" when it is sound (the checks of option_values.h).
    using Check = std::function<std::string(const std::string& option, const std::string& text)>;

    // `usage`: the help's first lines ("usage: orbilan-cli tdr IN.s1p ...");
    // `about`: what the command does. Both as printed, each line ending in
    // a newline.
    OptionParser(std::string usage, std::string about);

    // `names` as the help shows them: "--quiet" or "-q, --quiet". A line
    // break in `help` goes on at the help column.
    OptionParser& flag(const std::string& names, const std::string& help, bool& into);
    // A text, checked when `check` is given, and kept as typed.
    OptionParser& value(const std::string& names, const std::string& valueName, const std::string& help,
                        std::string& into, Check check = {});
    OptionParser& value(const std::string& names, const std::string& valueName, const std::string& help, Take take);
    // A real number, the whole text (checkNumber).
    OptionParser& number(const std::string& names, const std::string& valueName, const std::string& help,
                         double& into);
    // A whole number from min to max (checkWholeNumber).
    template <typename T>
    OptionParser& whole(const std::string& names, const std::string& valueName, const std::string& help,
                        std::uint64_t min, std::uint64_t max, T& into)
    {
        return value(names, valueName, help, [&into, min, max](const std::string& option, const std::string& text) {
            std::uint64_t v = 0;
            if (std::string why = checkWholeNumber(option, text, min, max, v); !why.empty())
                throw UsageError{why, {}};
            into = static_cast<T>(v);
        });
    }
    // A value that can only follow '=' ("--remote[=PORT]"); without one,
    // `take` gets `bare`.
    OptionParser& optionalValue(const std::string& names, const std::string& valueName, const std::string& help,
                                const std::string& bare, Take take);
    // The next argument that is no option, in the order declared.
    OptionParser& positional(const std::string& name, std::string& into);
    // A heading in the option list ("instrument options:").
    OptionParser& section(const std::string& title);

    // Reads `args`. False when -h or --help asks for the help: nothing else
    // is read then. Throws UsageError.
    bool parse(const std::vector<std::string>& args);

    // The usage lines, the description, then one line per option (and per
    // line of its help) with the value's name: the whole --help text.
    std::string help() const;
    const std::string& usage() const { return usage_; }

private:
    enum class Kind { Flag, Value, OptionalValue, Heading };
    struct Option {
        Kind kind = Kind::Flag;
        std::vector<std::string> names;
        std::string shown; // names and value as the help shows them
        std::string help;
        Take take;
        std::string bare;
    };
    struct Positional {
        std::string name;
        std::string* into = nullptr;
    };

    OptionParser& add(Kind kind, const std::string& names, const std::string& shown, const std::string& help,
                      Take take);
    const Option* find(const std::string& name) const;

    std::string usage_;
    std::string about_;
    std::vector<Option> options_;
    std::vector<Positional> positionals_;
};

} // namespace orbilan::cli
