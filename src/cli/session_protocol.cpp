#include "cli/session_protocol.h"

#include <cstdio>
#include <vector>

namespace orbilan::cli {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Length of the valid UTF-8 character starting at s[i] (2 to 4 bytes), 0 when
// there is none there.
std::size_t utf8Length(const std::string& s, std::size_t i)
{
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t len = 0;
    unsigned min = 0;
    unsigned cp = 0;
    if (b >= 0xC2 && b <= 0xDF)
        len = 2, min = 0x80, cp = b & 0x1Fu;
    else if (b >= 0xE0 && b <= 0xEF)
        len = 3, min = 0x800, cp = b & 0x0Fu;
    else if (b >= 0xF0 && b <= 0xF4)
        len = 4, min = 0x10000, cp = b & 0x07u;
    else
        return 0;
    if (i + len > s.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (c & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

struct Token {
    std::string text;
    bool quoted = false;
    std::size_t start = 0; // offset in the line
};

bool tokenize(const std::string& line, std::vector<Token>& tokens, std::string& error)
{
    std::size_t pos = 0;
    while (true) {
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        if (pos >= line.size())
            return true;
        Token token;
        token.start = pos;
        if (line[pos] == '"') {
            auto text = readQuoted(line, pos, error);
            if (!text)
                return false;
            if (pos < line.size() && !isBlank(line[pos])) {
                error = "a blank must follow a quoted text";
                return false;
            }
            token.text = *text;
            token.quoted = true;
        } else {
            while (pos < line.size() && !isBlank(line[pos])) {
                if (line[pos] == '"') {
                    error = "a quote inside a word";
                    return false;
                }
                token.text += line[pos++];
            }
        }
        tokens.push_back(std::move(token));
    }
}

bool isCount(const std::string& s, int& value)
{
    if (s.empty() || s.size() > 6)
        return false;
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

} // namespace

namespace {

// The escapes of a quoted text; `quotes` also escapes the quote and the
// backslash, which a quoted text needs and an answer line, whose quoted
// parts are escaped already, must keep as they are.
std::string escaped(const std::string& text, bool quotes)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
        case '\\':
            if (quotes) {
                out += '\\';
                out += c;
                ++i;
                continue;
            }
            break;
        case '\r': out += "\\r"; ++i; continue;
        case '\n': out += "\\n"; ++i; continue;
        case '\t': out += "\\t"; ++i; continue;
        default: break;
        }
        if (b >= 0x20 && b < 0x7F) {
            out += c;
            ++i;
        } else if (const std::size_t len = b >= 0x80 ? utf8Length(text, i) : 0; len > 0) {
            out.append(text, i, len);
            i += len;
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", b);
            out += buf;
            ++i;
        }
    }
    return out;
}

} // namespace

std::string quoteText(const std::string& text) { return "\"" + escaped(text, true) + "\""; }

std::string answerLine(const std::string& text) { return escaped(text, false); }

std::optional<std::string> readQuoted(const std::string& line, std::size_t& pos, std::string& error)
{
    if (pos >= line.size() || line[pos] != '"') {
        error = "a quoted text is missing";
        return std::nullopt;
    }
    std::string out;
    std::size_t i = pos + 1;
    while (i < line.size()) {
        const char c = line[i];
        if (c == '"') {
            pos = i + 1;
            return out;
        }
        if (c != '\\') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 >= line.size())
            break;
        const char e = line[i + 1];
        switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'x': {
            const int hi = i + 2 < line.size() ? hexValue(line[i + 2]) : -1;
            const int lo = i + 3 < line.size() ? hexValue(line[i + 3]) : -1;
            if (hi < 0 || lo < 0) {
                error = "\\x needs two hexadecimal digits";
                return std::nullopt;
            }
            out += static_cast<char>(hi * 16 + lo);
            i += 4;
            continue;
        }
        default:
            error = std::string("unknown escape \\") + e;
            return std::nullopt;
        }
        i += 2;
    }
    error = "the quoted text has no closing quote";
    return std::nullopt;
}

namespace {

// The command of tokens[first..]: `after` takes the rest of the same tokens,
// so a line is read once however deeply its commands nest.
ParsedLine parseTokens(const std::string& line, const std::vector<Token>& tokens, std::size_t first, int depth)
{
    ParsedLine result;
    const Token& verbToken = tokens[first];
    const std::string& verb = verbToken.text;
    const std::size_t args = tokens.size() - first - 1;
    auto fail = [&result](std::string why) {
        result.error = std::move(why);
        return result;
    };
    if (verbToken.quoted)
        return fail("a command starts with its name");

    SessionCommand cmd;
    auto word = [&](std::size_t i) { return first + i < tokens.size() && !tokens[first + i].quoted; };
    auto text = [&](std::size_t i) { return first + i < tokens.size() && tokens[first + i].quoted; };
    auto arg = [&](std::size_t i) -> const std::string& { return tokens[first + i].text; };

    if (verb == "start" || verb == "quit") {
        if (args != 0)
            return fail("usage: " + verb);
        cmd.verb = verb == "start" ? SessionCommand::Verb::Start : SessionCommand::Verb::Quit;
    } else if (verb == "answer") {
        cmd.verb = SessionCommand::Verb::Answer;
        const std::string kind = word(1) ? arg(1) : std::string();
        if (args == 1 && kind == "OK")
            cmd.answer = ui::Answer::ok();
        else if (args == 1 && kind == "Cancel")
            cmd.answer = ui::Answer::cancel();
        else if (args == 1 && kind == "Yes")
            cmd.answer = ui::Answer::yes();
        else if (args == 1 && kind == "No")
            cmd.answer = ui::Answer::no();
        else if (args == 1 && kind == "cancel")
            cmd.answer = ui::Answer::cancelInput();
        else if (args == 2 && kind == "text" && text(2))
            cmd.answer = ui::Answer::typed(arg(2));
        else if (args == 2 && kind == "file" && text(2))
            cmd.answer = ui::Answer::file(arg(2));
        else
            return fail("usage: answer OK|Cancel|Yes|No|cancel, answer text \"TEXT\", answer file \"PATH\"");
    } else if (verb == "click" || verb == "focus" || verb == "leave" || verb == "get") {
        if (args != 1 || !word(1))
            return fail("usage: " + verb + " NAME");
        cmd.verb = verb == "click"   ? SessionCommand::Verb::Click
                   : verb == "focus" ? SessionCommand::Verb::Focus
                   : verb == "leave" ? SessionCommand::Verb::Leave
                                     : SessionCommand::Verb::Get;
        cmd.name = arg(1);
    } else if (verb == "type" || verb == "key" || verb == "choose") {
        if (args != 2 || !word(1) || !text(2))
            return fail("usage: " + verb + " NAME \"" + (verb == "type" ? "TEXT" : verb == "key" ? "KEYS" : "ENTRY")
                        + "\"");
        cmd.verb = verb == "type" ? SessionCommand::Verb::Type
                   : verb == "key" ? SessionCommand::Verb::Key
                                   : SessionCommand::Verb::Choose;
        cmd.name = arg(1);
        cmd.text = arg(2);
    } else if (verb == "canvas" || verb == "sim") {
        if (args != 1 || !text(1))
            return fail("usage: " + verb + (verb == "sim" ? " \"SPEC\"" : " \"PATH.png\""));
        cmd.verb = verb == "canvas" ? SessionCommand::Verb::Canvas : SessionCommand::Verb::Sim;
        cmd.text = arg(1);
    } else if (verb == "after") {
        if (args < 2 || !word(1) || !isCount(arg(1), cmd.count) || cmd.count < 1)
            return fail("usage: after N COMMAND, with N a number of points from 1");
        if (depth >= MaxAfterNesting)
            return fail("after may hold at most " + std::to_string(MaxAfterNesting) + " afters inside it");
        const Token& inner = tokens[first + 2];
        if (!inner.quoted && inner.text.front() == '#')
            return fail("usage: after N COMMAND");
        const ParsedLine then = parseTokens(line, tokens, first + 2, depth + 1);
        if (then.isError())
            return fail(then.error);
        const auto innerVerb = then.command->verb;
        if (innerVerb == SessionCommand::Verb::Start || innerVerb == SessionCommand::Verb::Quit)
            return fail("after cannot " + inner.text);
        cmd.verb = SessionCommand::Verb::After;
        cmd.then = line.substr(inner.start);
        while (!cmd.then.empty() && isBlank(cmd.then.back()))
            cmd.then.pop_back();
    } else {
        return fail("unknown command " + verb);
    }
    result.command = std::move(cmd);
    return result;
}

} // namespace

ParsedLine parseSessionLine(const std::string& line)
{
    ParsedLine result;
    if (line.size() > MaxLineBytes) {
        result.error = "the line is longer than " + std::to_string(MaxLineBytes) + " bytes";
        return result;
    }
    std::size_t first = 0;
    while (first < line.size() && isBlank(line[first]))
        ++first;
    if (first >= line.size() || line[first] == '#')
        return result;

    std::vector<Token> tokens;
    if (!tokenize(line, tokens, result.error))
        return result;
    return parseTokens(line, tokens, 0, 0);
}

} // namespace orbilan::cli
