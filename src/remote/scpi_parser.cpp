#include "remote/scpi_parser.h"

#include <charconv>
#include <cmath>

namespace orbilan::remote {

namespace {

bool isAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }
char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// What a character looks like in a message: printable as itself, else as
// its code, so that the error text stays one readable line.
std::string shown(char c)
{
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x21 && b < 0x7F)
        return std::string("'") + c + "'";
    static const char hex[] = "0123456789ABCDEF";
    return std::string("byte 0x") + hex[b >> 4] + hex[b & 15];
}

class LineParser {
public:
    explicit LineParser(std::string_view line) : s_(line) {}

    ParsedScpiLine parse()
    {
        ParsedScpiLine out;
        while (true) {
            skipBlanks();
            if (atEnd())
                break;
            if (peek() == ';') {
                ++pos_;
                continue;
            }
            ScpiUnit unit;
            if (!parseUnit(unit)) {
                out.error = error_;
                return out;
            }
            out.units.push_back(std::move(unit));
            skipBlanks();
            if (atEnd())
                break;
            if (peek() != ';') {
                out.error = ScpiError::of(scpi::SyntaxError, "unexpected " + shown(peek()));
                return out;
            }
            ++pos_;
        }
        return out;
    }

private:
    bool atEnd() const { return pos_ >= s_.size(); }
    char peek(std::size_t ahead = 0) const { return pos_ + ahead < s_.size() ? s_[pos_ + ahead] : '\0'; }
    void skipBlanks()
    {
        while (!atEnd() && isBlank(peek()))
            ++pos_;
    }
    bool fail(int code, std::string detail)
    {
        error_ = ScpiError::of(code, std::move(detail));
        return false;
    }

    // A keyword: a letter, then letters, digits or '_'.
    bool keyword(std::string& out)
    {
        if (atEnd() || !isAlpha(peek()))
            return fail(scpi::SyntaxError, atEnd() ? "a header is incomplete" : "unexpected " + shown(peek()));
        const std::size_t start = pos_;
        while (!atEnd() && (isAlpha(peek()) || isDigit(peek()) || peek() == '_'))
            ++pos_;
        if (pos_ - start > MaxKeywordLength)
            return fail(scpi::SyntaxError, "a keyword is longer than " + std::to_string(MaxKeywordLength) +
                                               " characters");
        out.assign(s_.substr(start, pos_ - start));
        return true;
    }

    bool parseUnit(ScpiUnit& unit)
    {
        if (peek() == '*') {
            ++pos_;
            std::string name;
            if (!keyword(name))
                return false;
            unit.common = true;
            unit.keywords.push_back("*" + name);
        } else {
            if (peek() == ':') {
                unit.absolute = true;
                ++pos_;
            }
            while (true) {
                std::string k;
                if (!keyword(k))
                    return false;
                unit.keywords.push_back(std::move(k));
                if (peek() != ':')
                    break;
                ++pos_;
            }
        }
        if (peek() == '?') {
            unit.query = true;
            ++pos_;
        }
        if (atEnd() || peek() == ';')
            return true;
        if (!isBlank(peek()))
            return fail(scpi::SyntaxError, "unexpected " + shown(peek()) + " in a header");
        skipBlanks();
        if (atEnd() || peek() == ';')
            return true;
        while (true) {
            ScpiParameter p;
            if (!parameter(p))
                return false;
            unit.parameters.push_back(std::move(p));
            skipBlanks();
            if (peek() != ',')
                return true;
            ++pos_;
            skipBlanks();
        }
    }

    bool parameter(ScpiParameter& p)
    {
        const char c = peek();
        if (c == '"' || c == '\'')
            return quoted(p);
        if (isDigit(c) || c == '+' || c == '-' || c == '.')
            return number(p);
        if (isAlpha(c)) {
            p.kind = ScpiParameter::Kind::Word;
            return keyword(p.text);
        }
        if (atEnd() || c == ',' || c == ';')
            return fail(scpi::SyntaxError, "a parameter is empty");
        return fail(scpi::SyntaxError, "unexpected " + shown(c));
    }

    // Quoted string data: the quote that opens it closes it; two of them in
    // a row stand for one.
    bool quoted(ScpiParameter& p)
    {
        const char quote = peek();
        ++pos_;
        p.kind = ScpiParameter::Kind::String;
        while (true) {
            if (atEnd())
                return fail(scpi::SyntaxError, "a string has no closing quote");
            const char c = peek();
            ++pos_;
            if (c == quote) {
                if (peek() != quote)
                    return true;
                ++pos_;
            } else if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
                return fail(scpi::SyntaxError, "a string holds " + shown(c));
            }
            p.text += c;
        }
    }

    // Decimal numeric data: [+-] digits [. digits] [E [+-] digits], then an
    // optional suffix, directly or after blanks.
    bool number(ScpiParameter& p)
    {
        p.kind = ScpiParameter::Kind::Number;
        const std::size_t start = pos_;
        if (peek() == '+' || peek() == '-')
            ++pos_;
        std::size_t digits = 0;
        while (isDigit(peek()))
            ++pos_, ++digits;
        if (peek() == '.') {
            ++pos_;
            while (isDigit(peek()))
                ++pos_, ++digits;
        }
        if (digits == 0)
            return fail(scpi::SyntaxError, "a number has no digits");
        // An exponent only when digits follow: "5E" alone is the start of a suffix.
        if (upper(peek()) == 'E') {
            std::size_t ahead = 1;
            if (peek(ahead) == '+' || peek(ahead) == '-')
                ++ahead;
            if (isDigit(peek(ahead))) {
                pos_ += ahead;
                while (isDigit(peek()))
                    ++pos_;
            }
        }
        const std::string_view mantissa = s_.substr(start, pos_ - start);
        p.text.assign(mantissa);
        // from_chars knows no leading '+'.
        const std::string_view digitsText = mantissa.front() == '+' ? mantissa.substr(1) : mantissa;
        double value = 0;
        const auto [end, ec] = std::from_chars(digitsText.data(), digitsText.data() + digitsText.size(), value);
        if (ec != std::errc() || end != digitsText.data() + digitsText.size() || !std::isfinite(value))
            return fail(scpi::SyntaxError, "the number " + p.text + " is out of reach");
        p.value = value;

        const std::size_t beforeBlanks = pos_;
        skipBlanks();
        if (isAlpha(peek())) {
            const std::size_t suffixStart = pos_;
            while (isAlpha(peek()))
                ++pos_;
            if (pos_ - suffixStart > MaxKeywordLength)
                return fail(scpi::SyntaxError, "a suffix is longer than " + std::to_string(MaxKeywordLength) +
                                                   " characters");
            p.suffix.assign(s_.substr(suffixStart, pos_ - suffixStart));
        } else {
            pos_ = beforeBlanks;
        }
        if (isDigit(peek()) || peek() == '.')
            return fail(scpi::SyntaxError, "unexpected " + shown(peek()) + " in a number");
        return true;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    ScpiError error_;
};

} // namespace

ParsedScpiLine parseScpiLine(std::string_view line) { return LineParser(line).parse(); }

bool keywordMatches(std::string_view keyword, std::string_view typed)
{
    std::size_t shortLength = 0;
    while (shortLength < keyword.size() && !(keyword[shortLength] >= 'a' && keyword[shortLength] <= 'z'))
        ++shortLength;
    auto same = [&typed](std::string_view form) {
        if (form.size() != typed.size())
            return false;
        for (std::size_t i = 0; i < form.size(); ++i)
            if (upper(form[i]) != upper(typed[i]))
                return false;
        return true;
    };
    return same(keyword.substr(0, shortLength)) || same(keyword);
}

std::string quoteScpiString(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

} // namespace orbilan::remote
