// The SCPI line grammar: headers in long and short form, separators, numbers
// with suffixes, quoted strings, and every way a line can break it.
#include <gtest/gtest.h>

#include "remote/scpi_parser.h"

namespace orbilan::remote {
namespace {

using Kind = ScpiParameter::Kind;

std::string keywords(const ScpiUnit& u)
{
    std::string out;
    for (const std::string& k : u.keywords)
        out += (out.empty() ? "" : ":") + k;
    return out;
}

TEST(ScpiParser, SplitsALineIntoUnitsWithHeadersAndParameters)
{
    const auto line = parseScpiLine("  :SENS:FREQ:STAR 1 MHz ;STOP 10MHZ;*opc?;INIT ;;");
    ASSERT_FALSE(line.error) << line.error->detail;
    ASSERT_EQ(line.units.size(), 4u);
    EXPECT_TRUE(line.units[0].absolute);
    EXPECT_EQ(keywords(line.units[0]), "SENS:FREQ:STAR");
    ASSERT_EQ(line.units[0].parameters.size(), 1u);
    EXPECT_EQ(line.units[0].parameters[0].value, 1);
    EXPECT_EQ(line.units[0].parameters[0].suffix, "MHz");
    EXPECT_FALSE(line.units[1].absolute);
    EXPECT_EQ(keywords(line.units[1]), "STOP");
    EXPECT_EQ(line.units[1].parameters[0].suffix, "MHZ");
    EXPECT_TRUE(line.units[2].common);
    EXPECT_TRUE(line.units[2].query);
    EXPECT_EQ(keywords(line.units[2]), "*opc");
    EXPECT_EQ(keywords(line.units[3]), "INIT");
    EXPECT_TRUE(line.units[3].parameters.empty());
    // Nothing at all, or separators alone, is no unit and no error.
    EXPECT_TRUE(parseScpiLine("").units.empty());
    EXPECT_FALSE(parseScpiLine(" ; ;").error);
}

TEST(ScpiParser, NumbersKeepTheirValueAndSuffixApart)
{
    const struct {
        const char* text;
        double value;
        const char* suffix;
    } cases[] = {
        {"1e6", 1e6, ""},       {"+2.5E-3", 2.5e-3, ""}, {"-7", -7, ""},        {".5", 0.5, ""},
        {"5.", 5, ""},          {"10k", 10, "k"},        {"10 kHz", 10, "kHz"}, {"1.5M", 1.5, "M"},
        {"5E", 5, "E"},         {"3e1Hz", 30, "Hz"},     {"250 ms", 250, "ms"}, {"1E+2", 100, ""},
    };
    for (const auto& c : cases) {
        const auto line = parseScpiLine(std::string("X ") + c.text);
        ASSERT_FALSE(line.error) << c.text << ": " << line.error->detail;
        const ScpiParameter& p = line.units.at(0).parameters.at(0);
        EXPECT_EQ(p.kind, Kind::Number) << c.text;
        EXPECT_DOUBLE_EQ(p.value, c.value) << c.text;
        EXPECT_EQ(p.suffix, c.suffix) << c.text;
    }
}

TEST(ScpiParser, QuotedStringsTakeEitherQuoteAndDoubleItInside)
{
    const auto line = parseScpiLine(R"(MMEM:STOR:CAL "a ""b"" c.cal", 'it''s', "", 'x"y')");
    ASSERT_FALSE(line.error) << line.error->detail;
    const auto& p = line.units[0].parameters;
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0].kind, Kind::String);
    EXPECT_EQ(p[0].text, "a \"b\" c.cal");
    EXPECT_EQ(p[1].text, "it's");
    EXPECT_EQ(p[2].text, "");
    EXPECT_EQ(p[3].text, "x\"y");
    // A ';' inside a string does not end the unit.
    const auto semicolon = parseScpiLine("DISP:FORM 'a;b';*CLS");
    ASSERT_FALSE(semicolon.error);
    ASSERT_EQ(semicolon.units.size(), 2u);
    EXPECT_EQ(semicolon.units[0].parameters[0].text, "a;b");
    EXPECT_EQ(quoteScpiString("say \"hi\""), "\"say \"\"hi\"\"\"");
}

TEST(ScpiParser, WordsAreCharacterData)
{
    const auto line = parseScpiLine("CALC:DATA? SDATa;:INIT:CONT on, OFF");
    ASSERT_FALSE(line.error);
    EXPECT_TRUE(line.units[0].query);
    EXPECT_EQ(line.units[0].parameters[0].kind, Kind::Word);
    EXPECT_EQ(line.units[0].parameters[0].text, "SDATa");
    EXPECT_EQ(line.units[1].parameters.size(), 2u);
    EXPECT_EQ(line.units[1].parameters[1].text, "OFF");
}

TEST(ScpiParser, BrokenLinesAreSyntaxErrorsThatNameTheFault)
{
    const struct {
        const char* text;
        const char* detail;
    } cases[] = {
        {"FREQ:", "a header is incomplete"},
        {"FREQ::STAR 1", "unexpected ':'"},
        {"FREQ:STAR,1", "unexpected ',' in a header"},
        {"FREQ:STAR 1,", "a parameter is empty"},
        {"FREQ:STAR 1 2", "unexpected '2'"},
        {"FREQ:STAR 1.2.3", "unexpected '.' in a number"},
        {"FREQ:STAR -", "a number has no digits"},
        {"FREQ:STAR 1e999", "the number 1e999 is out of reach"},
        {"MMEM:STOR:CAL \"open", "a string has no closing quote"},
        {"MMEM:STOR:CAL \"a\x01\"", "a string holds byte 0x01"},
        {"FREQ:STAR ?", "unexpected '?'"},
        {"\x80IDN?", "unexpected byte 0x80"},
        {"*", "a header is incomplete"},
        {"FREQ :STAR", "unexpected ':'"},
    };
    for (const auto& c : cases) {
        const auto line = parseScpiLine(c.text);
        ASSERT_TRUE(line.error) << c.text;
        EXPECT_EQ(line.error->code, scpi::SyntaxError) << c.text;
        EXPECT_EQ(line.error->detail, c.detail) << c.text;
    }
    const std::string longKeyword(MaxKeywordLength + 1, 'A');
    EXPECT_TRUE(parseScpiLine(longKeyword).error);
    EXPECT_FALSE(parseScpiLine(std::string(MaxKeywordLength, 'A')).error);
}

TEST(ScpiParser, KeywordsMatchTheirShortOrLongFormInAnyCase)
{
    EXPECT_TRUE(keywordMatches("FREQuency", "FREQ"));
    EXPECT_TRUE(keywordMatches("FREQuency", "freq"));
    EXPECT_TRUE(keywordMatches("FREQuency", "Frequency"));
    EXPECT_FALSE(keywordMatches("FREQuency", "FREQU"));
    EXPECT_FALSE(keywordMatches("FREQuency", "FRE"));
    EXPECT_FALSE(keywordMatches("FREQuency", "FREQUENCYX"));
    EXPECT_TRUE(keywordMatches("*IDN", "*idn"));
    EXPECT_TRUE(keywordMatches("OK", "ok"));
    EXPECT_TRUE(keywordMatches("CANCel", "CANC"));
}

TEST(ScpiErrors, LinesCarryTheStandardTextAndStayOneLine)
{
    EXPECT_EQ(scpiErrorLine(ScpiError::of(0)), "0,\"No error\"");
    EXPECT_EQ(scpiErrorLine(ScpiError::of(scpi::SyntaxError, "unexpected ':'")),
              "-102,\"Syntax error;unexpected ':'\"");
    EXPECT_EQ(scpiErrorLine(ScpiError::dialog("Line one\rline \"two\"")), "-200,\"Line one line \"\"two\"\"\"");
    const std::string line = scpiErrorLine(ScpiError::dialog(std::string(300, 'x') + "\xC3\xA9"));
    EXPECT_LT(line.size(), 270u);
    EXPECT_EQ(line.find('\n'), std::string::npos);
}

} // namespace
} // namespace orbilan::remote
