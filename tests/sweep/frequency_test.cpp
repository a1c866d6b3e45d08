// Frequency fields: unit letters, the label's unit as fallback, numbers too
// large for their unit, and the switch between Start+End and Centre+Span.
#include <gtest/gtest.h>

#include <limits>

#include "sweep/frequency.h"

namespace orbilan::sweep {
namespace {

struct TypedCase {
    const char* typed;
    const char* unitBefore;
    std::int32_t hz;
    const char* unitAfter;
    const char* writtenBack;
};

TEST(FrequencyText, UnitLettersAndFallbacks)
{
    const TypedCase cases[] = {
        {"10M", "Hz", 10000000, "MHz", "10M"},
        {"10m", "Hz", 10000000, "MHz", "10M"},
        {" 10 m ", "kHz", 10000000, "MHz", "10 M"},
        {"10MHZ", "Hz", 10000000, "MHz", "10MHZ"},
        {"1k5", "Hz", 1000, "kHz", "1K5"},          // everything from the letter on is dropped
        {"-500K", "Hz", 500000, "kHz", "-500K"},    // the sign is ignored
        {"3000", "MHz", 3000, "Hz", "3000"},         // too large for MHz: hertz, label follows
        {"3000m", "Hz", 3000, "MHz", "3000M"},       // too large for MHz: hertz, label stays
        {"2146.5", "MHz", 2146500000, "MHz", "2146.5"},
        {"2147483k", "Hz", 2147483, "kHz", "2147483K"},
        {"2147482", "kHz", 2147482000, "kHz", "2147482"},
        {"2147483", "kHz", 2147483, "Hz", "2147483"},
        {"12.5", "kHz", 12500, "kHz", "12.5"},
        {"1000.5h", "MHz", 1000, "Hz", "1000.5H"},   // halves to even
        {"1001.5", "Hz", 1002, "Hz", "1001.5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const FrequencyEntry e = ParseFrequencyText(c.typed, c.unitBefore);
        EXPECT_TRUE(e.numeric);
        EXPECT_EQ(e.hz, c.hz);
        EXPECT_EQ(e.unit, c.unitAfter);
        EXPECT_EQ(e.text, c.writtenBack);
    }
}

TEST(FrequencyText, RefusedTextsKeepTheUnit)
{
    for (const char* typed : {"", "   ", "abc", "M", "K10", "1.2.3", "5KM", "--5"}) {
        SCOPED_TRACE(typed);
        const FrequencyEntry e = ParseFrequencyText(typed, "kHz");
        EXPECT_FALSE(e.numeric);
        EXPECT_EQ(e.unit, "kHz");
    }
}

TEST(FrequencyText, HertzBeyondTheFieldAreHeldAtItsLimit)
{
    constexpr auto top = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(ParseFrequencyText("99999999999", "Hz").hz, top);
    EXPECT_EQ(ParseFrequencyText("5E12K", "Hz").hz, top);
    EXPECT_EQ(ParseFrequencyText("1E400M", "Hz").hz, top);
}

TEST(FrequencyText, DecimalCommaLocale)
{
    const FrequencyEntry e = ParseFrequencyText("1,5m", "Hz", ',');
    ASSERT_TRUE(e.numeric);
    EXPECT_EQ(e.hz, 1500000);
    EXPECT_EQ(FrequencyFieldText(1500000, "MHz", ','), "1,5");
}

TEST(FrequencyText, FieldShowsTheLabelsUnit)
{
    EXPECT_EQ(FrequencyFieldText(10000000, "MHz"), "10");
    EXPECT_EQ(FrequencyFieldText(3000, "MHz"), "0.003");
    EXPECT_EQ(FrequencyFieldText(1500, "kHz"), "1.5");
    EXPECT_EQ(FrequencyFieldText(59999990, "Hz"), "59999990");
    EXPECT_EQ(FrequencyFieldText(999994, "MHz"), "0.999994");
}

TEST(FrequencyText, StartEndAndCentreSpanConvertBothWays)
{
    const FieldPair cs = CentreSpanFromStartEnd(1000000, 3000000);
    EXPECT_EQ(cs.f1, 2000000);
    EXPECT_EQ(cs.f2, 2000000);
    const FieldPair se = StartEndFromCentreSpan(cs.f1, cs.f2);
    EXPECT_EQ(se.f1, 1000000);
    EXPECT_EQ(se.f2, 3000000);

    // Odd sums round halves to even before the span is derived from them.
    const FieldPair odd = CentreSpanFromStartEnd(1000000, 1000011);
    EXPECT_EQ(odd.f1, 1000006);
    EXPECT_EQ(odd.f2, 10);
    const FieldPair back = StartEndFromCentreSpan(1000000, 11);
    EXPECT_EQ(back.f1, 999994);
    EXPECT_EQ(back.f2, 1000005);

    // Extreme fields stay inside the 32-bit range instead of wrapping.
    constexpr auto top = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(StartEndFromCentreSpan(top, top).f2, top);
    EXPECT_GE(CentreSpanFromStartEnd(0, top).f2, 0);
}

} // namespace
} // namespace orbilan::sweep
