#include "remote/command_table.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace orbilan::remote {

namespace {

std::string upperText(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Keywords and words compare without regard to case.
bool sameWord(const std::string& a, const char* b) { return upperText(a) == b; }

// Whole numbers in messages without a trailing ".0"; others in their
// shortest exact form.
std::string numberText(double v)
{
    if (v == std::floor(v) && std::fabs(v) < 1e15)
        return std::to_string(static_cast<long long>(v));
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

// Nearest whole number, halves to even, as the program rounds.
double wholeNumber(double v) { return std::nearbyint(v); }

std::vector<CommandSpec::Node> parsePattern(const std::string& pattern, bool& common, bool& query)
{
    std::string p = pattern;
    query = !p.empty() && p.back() == '?';
    if (query)
        p.pop_back();
    common = !p.empty() && p.front() == '*';
    std::vector<CommandSpec::Node> nodes;
    if (common) {
        nodes.push_back({p, false});
        return nodes;
    }
    std::size_t i = 0;
    while (i < p.size()) {
        bool optional = false;
        if (p[i] == '[') {
            optional = true;
            ++i;
        }
        if (i < p.size() && p[i] == ':')
            ++i;
        std::size_t end = i;
        while (end < p.size() && p[end] != ':' && p[end] != '[' && p[end] != ']')
            ++end;
        if (end == i)
            throw std::logic_error("bad command pattern " + pattern);
        nodes.push_back({p.substr(i, end - i), optional});
        i = end;
        if (optional) {
            if (i < p.size() && p[i] == ':')
                ++i; // "[SENSe:]"
            if (i >= p.size() || p[i] != ']')
                throw std::logic_error("bad command pattern " + pattern);
            ++i;
        }
    }
    return nodes;
}

bool matchNodes(const std::vector<CommandSpec::Node>& nodes, std::size_t n, const std::vector<std::string>& typed,
                std::size_t t)
{
    if (n == nodes.size())
        return t == typed.size();
    if (nodes[n].optional && matchNodes(nodes, n + 1, typed, t))
        return true;
    return t < typed.size() && keywordMatches(nodes[n].keyword, typed[t]) && matchNodes(nodes, n + 1, typed, t + 1);
}

struct Suffix {
    const char* text;
    double factor;
};

// The factor of a number's suffix for a parameter type; nullopt when the
// suffix does not belong there.
std::optional<double> suffixFactor(ParamSpec::Type type, const std::string& suffix)
{
    if (suffix.empty())
        return 1.0;
    static const Suffix frequency[] = {{"HZ", 1},     {"K", 1e3},   {"KHZ", 1e3}, {"M", 1e6},
                                       {"MHZ", 1e6},  {"MA", 1e6},  {"G", 1e9},   {"GHZ", 1e9}};
    static const Suffix time[] = {{"MS", 1}, {"S", 1e3}};
    const std::string u = upperText(suffix);
    if (type == ParamSpec::Type::Frequency) {
        for (const Suffix& s : frequency)
            if (u == s.text)
                return s.factor;
    } else if (type == ParamSpec::Type::Milliseconds) {
        for (const Suffix& s : time)
            if (u == s.text)
                return s.factor;
    }
    return std::nullopt;
}

const char* unitOf(ParamSpec::Type type)
{
    switch (type) {
    case ParamSpec::Type::Frequency: return " Hz";
    case ParamSpec::Type::Milliseconds: return " ms";
    default: return "";
    }
}

bool bindNumber(const ParamSpec& spec, const ScpiParameter& p, BoundValue& out, ScpiError& error)
{
    double value = 0;
    if (p.kind == ScpiParameter::Kind::Word) {
        if (keywordMatches("MINimum", p.text)) {
            value = spec.min;
        } else if (keywordMatches("MAXimum", p.text)) {
            value = spec.max;
        } else {
            error = ScpiError::of(scpi::DataTypeError, spec.name + " is a number, not " + p.text);
            return false;
        }
    } else if (p.kind == ScpiParameter::Kind::Number) {
        const auto factor = suffixFactor(spec.type, p.suffix);
        if (!factor) {
            error = ScpiError::of(scpi::InvalidSuffix, p.suffix + " after " + spec.name);
            return false;
        }
        value = p.value * *factor;
        if (spec.type != ParamSpec::Type::Frequency || std::fabs(value) < 1e15)
            value = wholeNumber(value);
    } else {
        error = ScpiError::of(scpi::DataTypeError, spec.name + " is a number, not a string");
        return false;
    }
    if (!(value >= spec.min && value <= spec.max)) {
        error = ScpiError::of(scpi::DataOutOfRange, spec.name + " is " + numberText(spec.min) + " to " +
                                                        numberText(spec.max) + unitOf(spec.type));
        return false;
    }
    out.number = value;
    return true;
}

bool bindOne(const ParamSpec& spec, const ScpiParameter& p, BoundValue& out, ScpiError& error)
{
    out.given = true;
    switch (spec.type) {
    case ParamSpec::Type::Frequency:
    case ParamSpec::Type::Count:
    case ParamSpec::Type::Milliseconds:
        return bindNumber(spec, p, out, error);
    case ParamSpec::Type::Boolean:
        if (p.kind == ScpiParameter::Kind::Word && (sameWord(p.text, "ON") || sameWord(p.text, "OFF"))) {
            out.flag = sameWord(p.text, "ON");
            return true;
        }
        if (p.kind == ScpiParameter::Kind::Number && p.suffix.empty() && (p.value == 0 || p.value == 1)) {
            out.flag = p.value == 1;
            return true;
        }
        error = ScpiError::of(p.kind == ScpiParameter::Kind::String ? scpi::DataTypeError
                                                                    : scpi::IllegalParameterValue,
                              spec.name + " is ON, OFF, 1 or 0");
        return false;
    case ParamSpec::Type::Choice: {
        if (p.kind == ScpiParameter::Kind::Word) {
            for (std::size_t i = 0; i < spec.choices.size(); ++i)
                if (keywordMatches(spec.choices[i], p.text)) {
                    out.choice = static_cast<int>(i);
                    return true;
                }
        }
        std::string known;
        for (const std::string& c : spec.choices)
            known += (known.empty() ? "" : "|") + c;
        error = ScpiError::of(p.kind == ScpiParameter::Kind::Word ? scpi::IllegalParameterValue
                                                                  : scpi::DataTypeError,
                              spec.name + " is " + known);
        return false;
    }
    case ParamSpec::Type::String:
        if (p.kind == ScpiParameter::Kind::Number) {
            error = ScpiError::of(scpi::DataTypeError, spec.name + " is a quoted string");
            return false;
        }
        out.text = p.text;
        return true;
    }
    return false;
}

} // namespace

CommandSpec& CommandTable::add(std::string pattern, std::vector<ParamSpec> params, std::string syntax,
                               std::string help, std::function<void(CommandCall&)> run)
{
    CommandSpec spec;
    spec.pattern = std::move(pattern);
    spec.params = std::move(params);
    spec.syntax = std::move(syntax);
    spec.help = std::move(help);
    spec.run = std::move(run);
    spec.nodes = parsePattern(spec.pattern, spec.common, spec.query);
    commands_.push_back(std::move(spec));
    return commands_.back();
}

const CommandSpec* CommandTable::match(const std::vector<std::string>& keywords, bool query, bool& otherForm) const
{
    for (const CommandSpec& spec : commands_) {
        if (spec.common != (!keywords.empty() && !keywords[0].empty() && keywords[0][0] == '*'))
            continue;
        if (!matchNodes(spec.nodes, 0, keywords, 0))
            continue;
        if (spec.query == query)
            return &spec;
        otherForm = true;
    }
    return nullptr;
}

std::optional<CommandTable::Found> CommandTable::find(const ScpiUnit& unit, const std::vector<std::string>& path,
                                                      ScpiError& error) const
{
    bool otherForm = false;
    if (!unit.common && !unit.absolute && !path.empty()) {
        std::vector<std::string> full = path;
        full.insert(full.end(), unit.keywords.begin(), unit.keywords.end());
        if (const CommandSpec* spec = match(full, unit.query, otherForm)) {
            full.pop_back();
            return Found{spec, full};
        }
    }
    if (const CommandSpec* spec = match(unit.keywords, unit.query, otherForm)) {
        std::vector<std::string> next;
        if (unit.common) {
            next = path; // common commands leave the path where it was
        } else {
            next = unit.keywords;
            next.pop_back();
        }
        return Found{spec, next};
    }
    std::string detail = headerText(unit);
    if (otherForm)
        detail += unit.query ? " has no query form" : " is a query only";
    error = ScpiError::of(scpi::UndefinedHeader, detail);
    return std::nullopt;
}

std::optional<std::vector<BoundValue>> CommandTable::bind(const CommandSpec& spec, const ScpiUnit& unit,
                                                          ScpiError& error) const
{
    const std::string header = headerText(unit);
    if (unit.parameters.size() > spec.params.size()) {
        error = ScpiError::of(scpi::ParameterNotAllowed,
                              spec.params.empty() ? header + " takes no parameter"
                                                  : header + " takes " + std::to_string(spec.params.size()));
        return std::nullopt;
    }
    std::vector<BoundValue> values(spec.params.size());
    for (std::size_t i = 0; i < spec.params.size(); ++i) {
        if (i >= unit.parameters.size()) {
            if (spec.params[i].optional)
                continue;
            error = ScpiError::of(scpi::MissingParameter, header + " needs " + spec.params[i].name);
            return std::nullopt;
        }
        if (!bindOne(spec.params[i], unit.parameters[i], values[i], error))
            return std::nullopt;
    }
    return values;
}

std::string headerText(const ScpiUnit& unit)
{
    std::string out = unit.absolute ? ":" : "";
    for (std::size_t i = 0; i < unit.keywords.size(); ++i)
        out += (i ? ":" : "") + unit.keywords[i];
    return unit.query ? out + "?" : out;
}

} // namespace orbilan::remote
