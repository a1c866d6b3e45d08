// Number texts: what the user types and what the program shows.
#include <cmath>

#include <gtest/gtest.h>

#include "cal/comma_locale.h"
#include "ui/number_text.h"
#include "ui/state_registry.h"

using namespace orbilan::ui;

TEST(NumberText, RoundingHalvesGoToEven)
{
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(1000.5), 1000);
    std::int16_t s;
    EXPECT_TRUE(toInt16(32767.4, s));
    EXPECT_EQ(s, 32767);
    EXPECT_FALSE(toInt16(32767.5, s)); // rounds to 32768
    EXPECT_FALSE(toInt16(NAN, s));
    std::int32_t w;
    EXPECT_TRUE(toInt32(148330001.8, w));
    EXPECT_EQ(w, 148330002);
    EXPECT_FALSE(toInt32(5e9, w));
}

TEST(NumberText, GeneralFormat)
{
    struct Case { double v; const char* text; } cases[] = {
        {0, "0"}, {3000, "3000"}, {0.003, "0.003"}, {1500.5, "1500.5"}, {-180, "-180"},
        {1.25e-7, "1.25E-07"}, {1e16, "1E+16"}, {0.1 + 0.2, "0.3"}, {123456789012345.0, "123456789012345"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatGeneral(c.v), c.text) << c.v;
    EXPECT_EQ(formatGeneral(0.5, 15, ','), "0,5");
    EXPECT_EQ(formatGeneral(148.33f), "148.33");
}

TEST(NumberText, Patterns)
{
    struct Case { double v; const char* pattern; const char* text; } cases[] = {
        {14.25, "#0.000000", "14.250000"}, {10000, "#####.000", "10000.000"}, {-3.14159, "##0.00", "-3.14"},
        {2.5, "####", "3"}, {0.5, "#0.0##", "0.5"}, {5, "#0.0##", "5.0"}, {0.5, "##.######", ".5"},
        {-1.2345678, "##.######", "-1.234568"}, {123.456, "###.0", "123.5"}, {0, "##0.00", "0.00"},
        {-0.001, "##0.00", "0.00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatPattern(c.v, c.pattern), c.text) << c.v << " " << c.pattern;
    EXPECT_EQ(formatPattern(2.5, "#0.0##", ','), "2,5");
}

TEST(NumberText, NumericTextsAndTheLeadingNumberParse)
{
    for (const char* good : {"10", " 10 ", "-500", "+1.5", ".5", "5.", "1e3", "1E-3", "2D2", "&H278", "&o17"})
        EXPECT_TRUE(isNumeric(good)) << good;
    for (const char* bad : {"", " ", "1k5", "10 m", "-", ".", "e5", "1e", "&H", "1.2.3", "0x10"})
        EXPECT_FALSE(isNumeric(bad)) << bad;
    EXPECT_EQ(*parseNumber("&H278"), 0x278);
    EXPECT_EQ(*parseNumber("0,5", ','), 0.5);
    EXPECT_EQ(*parseNumber("0.5", ','), 0.5);

    EXPECT_EQ(leadingNumber("148.33 MHz"), 148.33);
    EXPECT_EQ(leadingNumber("  &H278"), 0x278);
    EXPECT_EQ(leadingNumber("&O17x"), 15);
    EXPECT_EQ(leadingNumber("yes"), 0);
    EXPECT_EQ(leadingNumber("12abc"), 12);
    EXPECT_EQ(leadingNumber("1e3x"), 1000);
    EXPECT_EQ(leadingNumber("1ex"), 1);
    EXPECT_EQ(leadingNumber("-.5"), -0.5);
    EXPECT_TRUE(std::isinf(leadingNumber("1e999")));
}

TEST(NumberText, ShortestExactTextsReadBack)
{
    EXPECT_EQ(shortestText(0.1), "0.1");
    EXPECT_EQ(shortestText(148.33f), "148.33");
    EXPECT_EQ(std::stod(shortestText(1.0 / 3)), 1.0 / 3);
    EXPECT_EQ(stateValueText(StateValue{ComplexValue{0.5, -1}}), "0.5,-1");
    EXPECT_EQ(stateValueText(StateValue{true}), "true");
    EXPECT_EQ(stateValueText(StateValue{std::int64_t{-7}}), "-7");
    EXPECT_EQ(trimBlanks("\t x \t"), "\t x \t");
    EXPECT_EQ(trimBlanks("  x  "), "x");
}

// A desktop toolkit sets the C locale from the user's language; typed numbers
// and vna.ini values must read the same under a decimal comma.
TEST(NumberText, ReadingDoesNotFollowTheCLocale)
{
    orbilan::test::CommaLocale comma;
    if (!comma.active())
        GTEST_SKIP() << "no decimal-comma locale on this system";
    EXPECT_EQ(*parseNumber("1,5", ','), 1.5);
    EXPECT_EQ(*parseNumber("1.5", ','), 1.5);
    EXPECT_EQ(*parseNumber("+2.5E-3"), 0.0025);
    EXPECT_EQ(leadingNumber("148.33 MHz"), 148.33);
    EXPECT_EQ(leadingNumber("-.5"), -0.5);
    // Beyond a double: infinity above, zero below, as before.
    EXPECT_TRUE(std::isinf(leadingNumber("1e999")));
    EXPECT_LT(leadingNumber("-123.4e400"), 0);
    EXPECT_TRUE(std::isinf(leadingNumber("-123.4e400")));
    EXPECT_EQ(leadingNumber("1e-999"), 0);
    EXPECT_EQ(leadingNumber("0.0001e-330"), 0);
    EXPECT_TRUE(std::isinf(*parseNumber("0.01E311")));
}

// The strict reading that files and command lines share: the whole text is
// one finite decimal number, or nothing is read.
TEST(NumberText, FiniteNumbersAreTheWholeText)
{
    EXPECT_EQ(parseFiniteNumber("+1.5e3"), 1500.0);
    EXPECT_EQ(parseFiniteNumber("-.25"), -0.25);
    EXPECT_EQ(parseFiniteNumber("7"), 7.0);
    for (const char* refused : {"", "+", " 1", "1 ", "1,5", "0x10", "inf", "-nan", "1e400", "1e", "++1", "+-1", "-+1", "1.5M"})
        EXPECT_FALSE(parseFiniteNumber(refused).has_value()) << refused;

    EXPECT_EQ(trimWhitespace(" \t\r\nS11 dB\r\n"), "S11 dB");
    EXPECT_EQ(trimWhitespace(" \t "), "");
    EXPECT_EQ(quotedText("two words"), "\"two words\"");
}
