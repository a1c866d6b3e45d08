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

std::vector<CommandDef::Node> parsePattern(const std::string& pattern, bool& common, bool& query)
{
    std::string p = pattern;
    query = !p.empty() && p.back() == '?';
    if (query)
        p.pop_back();
    common = !p.empty() && p.front() == '*';
    std::vector<CommandDef::Node> nodes;
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

bool matchNodes(const std::vector<CommandDef::Node>& nodes, std::size_t n, const std::vector<std::string>& typed,
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
std::optional<double> suffixFactor(ParamDef::Type type, const std::string& suffix)
{
    if (suffix.empty())
        return 1.0;
    static const Suffix frequency[] = {{"HZ", 1},     {"K", 1e3},   {"KHZ", 1e3}, {"M", 1e6},
                                       {"MHZ", 1e6},  {"MA", 1e6},  {"G", 1e9},   {"GHZ", 1e9}};
    static const Suffix time[] = {{"MS", 1}, {"S", 1e3}};
    const std::string u = upperText(suffix);
    if (type == ParamDef::Type::Frequency) {
        for (const Suffix& s : frequency)
            if (u == s.text)
                return s.factor;
    } else if (type == ParamDef::Type::Milliseconds) {
        for (const Suffix& s : time)
            if (u == s.text)
                return s.factor;
    }
    return std::nullopt;
}

const char* unitOf(ParamDef::Type type)
{
    switch (type) {
    case ParamDef::Type::Frequency: return " Hz";
    case ParamDef::Type::Milliseconds: return " ms";
    default: return "";
    }
}

bool bindNumber(const ParamDef& def, const ScpiParameter& p, BoundValue& out, ScpiError& error)
{
    double value = 0;
    if (p.kind == ScpiParameter::Kind::Word) {
        if (keywordMatches("MINimum", p.text)) {
            value = def.min;
        } else if (keywordMatches("MAXimum", p.text)) {
            value = def.max;
        } else {
            error = ScpiError::of(scpi::DataTypeError, def.name + " is a number, not " + p.text);
            return false;
        }
    } else if (p.kind == ScpiParameter::Kind::Number) {
        const auto factor = suffixFactor(def.type, p.suffix);
        if (!factor) {
            error = ScpiError::of(scpi::InvalidSuffix, p.suffix + " after " + def.name);
            return false;
        }
        value = p.value * *factor;
        if (def.type != ParamDef::Type::Frequency || std::fabs(value) < 1e15)
            value = wholeNumber(value);
    } else {
        error = ScpiError::of(scpi::DataTypeError, def.name + " is a number, not a string");
        return false;
    }
    if (!(value >= def.min && value <= def.max)) {
        error = ScpiError::of(scpi::DataOutOfRange, def.name + " is " + numberText(def.min) + " to " +
                                                        numberText(def.max) + unitOf(def.type));
        return false;
    }
    out.number = value;
    return true;
}

bool bindOne(const ParamDef& def, const ScpiParameter& p, BoundValue& out, ScpiError& error)
{
    out.given = true;
    switch (def.type) {
    case ParamDef::Type::Frequency:
    case ParamDef::Type::Count:
    case ParamDef::Type::Milliseconds:
        return bindNumber(def, p, out, error);
    case ParamDef::Type::Boolean:
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
                              def.name + " is ON, OFF, 1 or 0");
        return false;
    case ParamDef::Type::Choice: {
        if (p.kind == ScpiParameter::Kind::Word) {
            for (std::size_t i = 0; i < def.choices.size(); ++i)
                if (keywordMatches(def.choices[i], p.text)) {
                    out.choice = static_cast<int>(i);
                    return true;
                }
        }
        std::string known;
        for (const std::string& c : def.choices)
            known += (known.empty() ? "" : "|") + c;
        error = ScpiError::of(p.kind == ScpiParameter::Kind::Word ? scpi::IllegalParameterValue
                                                                  : scpi::DataTypeError,
                              def.name + " is " + known);
        return false;
    }
    case ParamDef::Type::String:
        if (p.kind == ScpiParameter::Kind::Number) {
            error = ScpiError::of(scpi::DataTypeError, def.name + " is a quoted string");
            return false;
        }
        out.text = p.text;
        return true;
    }
    return false;
}

} // namespace

CommandDef& CommandTable::add(std::string pattern, std::vector<ParamDef> params, std::string syntax,
                               std::string help, std::function<void(CommandCall&)> run)
{
    CommandDef def;
    def.pattern = std::move(pattern);
    def.params = std::move(params);
    def.syntax = std::move(syntax);
    def.help = std::move(help);
    def.run = std::move(run);
    def.nodes = parsePattern(def.pattern, def.common, def.query);
    commands_.push_back(std::move(def));
    return commands_.back();
}

const CommandDef* CommandTable::match(const std::vector<std::string>& keywords, bool query, bool& otherForm) const
{
    for (const CommandDef& def : commands_) {
        if (def.common != (!keywords.empty() && !keywords[0].empty() && keywords[0][0] == '*'))
            continue;
        if (!matchNodes(def.nodes, 0, keywords, 0))
            continue;
        if (def.query == query)
            return &def;
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
        if (const CommandDef* def = match(full, unit.query, otherForm)) {
            full.pop_back();
            return Found{def, full};
        }
    }
    if (const CommandDef* def = match(unit.keywords, unit.query, otherForm)) {
        std::vector<std::string> next;
        if (unit.common) {
            next = path; // common commands leave the path where it was
        } else {
            next = unit.keywords;
            next.pop_back();
        }
        return Found{def, next};
    }
    std::string detail = headerText(unit);
    if (otherForm)
        detail += unit.query ? " has no query form" : " is a query only";
    error = ScpiError::of(scpi::UndefinedHeader, detail);
    return std::nullopt;
}

std::optional<std::vector<BoundValue>> CommandTable::bind(const CommandDef& def, const ScpiUnit& unit,
                                                          ScpiError& error) const
{
    const std::string header = headerText(unit);
    if (unit.parameters.size() > def.params.size()) {
        error = ScpiError::of(scpi::ParameterNotAllowed,
                              def.params.empty() ? header + " takes no parameter"
                                                  : header + " takes " + std::to_string(def.params.size()));
        return std::nullopt;
    }
    std::vector<BoundValue> values(def.params.size());
    for (std::size_t i = 0; i < def.params.size(); ++i) {
        if (i >= unit.parameters.size()) {
            if (def.params[i].optional)
                continue;
            error = ScpiError::of(scpi::MissingParameter, header + " needs " + def.params[i].name);
            return std::nullopt;
        }
        if (!bindOne(def.params[i], unit.parameters[i], values[i], error))
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
