#include "cli/option_parser.h"

#include <algorithm>
#include <set>
#include <utility>

namespace orbilan::cli {

namespace {

// Where the help of every option starts, so that all commands line up.
constexpr std::size_t HelpColumn = 21;

std::vector<std::string> splitNames(const std::string& names)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= names.size()) {
        std::size_t end = names.find(',', start);
        if (end == std::string::npos)
            end = names.size();
        std::string name = names.substr(start, end - start);
        name.erase(0, name.find_first_not_of(' '));
        if (!name.empty())
            out.push_back(name);
        start = end + 1;
    }
    return out;
}

void appendOption(std::string& text, const std::string& shown, const std::string& help)
{
    std::string line = "  " + shown;
    line += line.size() + 2 <= HelpColumn ? std::string(HelpColumn - line.size(), ' ')
                                          : "\n" + std::string(HelpColumn, ' ');
    for (char c : help) {
        line += c;
        if (c == '\n')
            line += std::string(HelpColumn, ' ');
    }
    text += line + '\n';
}

} // namespace

OptionParser::OptionParser(std::string usage, std::string about) : usage_(std::move(usage)), about_(std::move(about))
{
}

OptionParser& OptionParser::add(Kind kind, const std::string& names, const std::string& shown, const std::string& help,
                                Take take)
{
    options_.push_back(Option{kind, splitNames(names), shown, help, std::move(take), {}});
    return *this;
}

OptionParser& OptionParser::flag(const std::string& names, const std::string& help, bool& into)
{
    return add(Kind::Flag, names, names, help, [&into](const std::string&, const std::string&) { into = true; });
}

OptionParser& OptionParser::value(const std::string& names, const std::string& valueName, const std::string& help,
                                  std::string& into, Check check)
{
    return value(names, valueName, help,
                 [&into, check = std::move(check)](const std::string& option, const std::string& text) {
                     if (check)
                         if (std::string why = check(option, text); !why.empty())
                             throw UsageError{why, {}};
                     into = text;
                 });
}

OptionParser& OptionParser::value(const std::string& names, const std::string& valueName, const std::string& help,
                                  Take take)
{
    return add(Kind::Value, names, names + " " + valueName, help, std::move(take));
}

OptionParser& OptionParser::number(const std::string& names, const std::string& valueName, const std::string& help,
                                   double& into)
{
    return value(names, valueName, help, [&into](const std::string& option, const std::string& text) {
        if (std::string why = checkNumber(option, text, into); !why.empty())
            throw UsageError{why, {}};
    });
}

OptionParser& OptionParser::optionalValue(const std::string& names, const std::string& valueName,
                                          const std::string& help, const std::string& bare, Take take)
{
    add(Kind::OptionalValue, names, names + "[=" + valueName + "]", help, std::move(take));
    options_.back().bare = bare;
    return *this;
}

OptionParser& OptionParser::positional(const std::string& name, std::string& into)
{
    positionals_.push_back({name, &into});
    return *this;
}

OptionParser& OptionParser::section(const std::string& title)
{
    options_.push_back(Option{Kind::Heading, {}, title, {}, {}, {}});
    return *this;
}

const OptionParser::Option* OptionParser::find(const std::string& name) const
{
    for (const Option& o : options_)
        if (std::find(o.names.begin(), o.names.end(), name) != o.names.end())
            return &o;
    return nullptr;
}

bool OptionParser::parse(const std::vector<std::string>& args)
{
    const auto end = std::find(args.begin(), args.end(), "--");
    if (std::find_if(args.begin(), end, [](const std::string& a) { return a == "-h" || a == "--help"; }) != end)
        return false;

    std::set<const Option*> given;
    std::size_t positional = 0;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
            continue;
        }
        // A lone "-" is a name too (standard input, by custom).
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            if (positional >= positionals_.size() && !positionals_.empty())
                throw UsageError{"one " + positionals_.back().name + " at a time: '" + *positionals_.back().into +
                                     "' and '" + a + "'",
                                 {}};
            if (positional >= positionals_.size())
                throw UsageError{"unexpected argument '" + a + "'", usage_};
            *positionals_[positional++].into = a;
            continue;
        }
        const std::size_t equals = a.rfind("--", 0) == 0 ? a.find('=') : std::string::npos;
        const std::string name = a.substr(0, equals);
        const Option* o = find(name);
        if (!o)
            throw UsageError{"unexpected argument '" + a + "'", usage_};
        if (o->kind == Kind::Flag) {
            if (equals != std::string::npos)
                throw UsageError{name + " takes no value", {}};
            o->take(name, {});
            continue;
        }
        std::string text;
        if (equals != std::string::npos)
            text = a.substr(equals + 1);
        else if (o->kind == Kind::OptionalValue)
            text = o->bare;
        else if (i + 1 < args.size())
            text = args[++i];
        if (text.empty())
            throw UsageError{name + " needs a value", {}};
        if (!given.insert(o).second)
            throw UsageError{name + " is given twice", {}};
        o->take(name, text);
    }
    return true;
}

std::string OptionParser::help() const
{
    std::string text = usage_ + about_;
    bool helpListed = false;
    for (const Option& o : options_) {
        if (o.kind != Kind::Heading) {
            appendOption(text, o.shown, o.help);
            continue;
        }
        // --help is the command's own, not a member of a group below.
        if (!helpListed)
            appendOption(text, "-h, --help", "this text");
        helpListed = true;
        text += o.shown + '\n';
    }
    if (!helpListed)
        appendOption(text, "-h, --help", "this text");
    return text;
}

} // namespace orbilan::cli
