// Limit files: what a good file holds, the message for each kind of bad line
// (naming the line, applying nothing), the round trip through the writer, and
// the check of a sweep against upper, lower and sloped limits.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/limits.h"

namespace orbilan::analysis {
namespace {

cal::MeasuredSweep transmission(std::vector<std::int32_t> hz, std::vector<double> db)
{
    cal::MeasuredSweep s;
    s.mode = 0;
    s.hz = std::move(hz);
    for (double d : db)
        s.points.push_back({d, 10});
    return s;
}

TEST(LimitFile, AGoodFileWithCommentsUnitsAndAnyLineEnds)
{
    const std::string text = "# a band-pass mask\r\n"
                             "upper dB 1M 30M 0 ! the passband ripple\r\n"
                             "\r\n"
                             "LOWER db 10m 12.5M -3 -6\r"
                             "   upper   |Z|  455k 1000000  200\n"
                             "lower SWR 0 2G 1";
    std::vector<LimitSegment> s;
    std::string error;
    ASSERT_TRUE(ParseLimits(text, s, error)) << error;
    ASSERT_EQ(s.size(), 4u);
    EXPECT_TRUE(s[0].upper);
    EXPECT_STREQ(s[0].quantity->name, "dB");
    EXPECT_EQ(s[0].fromHz, 1e6);
    EXPECT_EQ(s[0].toHz, 30e6);
    EXPECT_EQ(s[0].toValue, 0);
    EXPECT_FALSE(s[1].upper);
    EXPECT_EQ(s[1].fromHz, 10e6);
    EXPECT_EQ(s[1].toHz, 12.5e6);
    EXPECT_EQ(s[1].fromValue, -3);
    EXPECT_EQ(s[1].toValue, -6);
    EXPECT_STREQ(s[2].quantity->name, "Z");
    EXPECT_EQ(s[2].fromHz, 455e3);
    EXPECT_EQ(s[3].toHz, 2e9);
    // A sloped limit runs straight between its ends.
    EXPECT_DOUBLE_EQ(s[1].at(11.25e6), -4.5);
    EXPECT_DOUBLE_EQ(s[0].at(20e6), 0);

    // Written and read again, the same segments.
    std::vector<LimitSegment> again;
    ASSERT_TRUE(ParseLimits(LimitsText(s), again, error)) << error;
    ASSERT_EQ(again.size(), s.size());
    for (std::size_t k = 0; k < s.size(); ++k) {
        EXPECT_EQ(again[k].upper, s[k].upper);
        EXPECT_EQ(again[k].quantity, s[k].quantity);
        EXPECT_EQ(again[k].fromHz, s[k].fromHz);
        EXPECT_EQ(again[k].toHz, s[k].toHz);
        EXPECT_EQ(again[k].fromValue, s[k].fromValue);
        EXPECT_EQ(again[k].toValue, s[k].toValue);
    }
    EXPECT_EQ(SegmentText(s[1]), "lower dB 10000000 12500000 -3 -6");
    EXPECT_EQ(SegmentText(s[0]), "upper dB 1000000 30000000 0");

    // Found by fuzzing: 0.34M is exactly 340000 and writes back as it was
    // read; a slope between the largest values stays finite.
    ASSERT_TRUE(ParseLimits("upper SWR 0.34M 16.4M 1.0\nlower Z 45 1e300 -1.7e308 1.7e308", s, error)) << error;
    EXPECT_EQ(s[0].fromHz, 340000);
    EXPECT_EQ(SegmentText(s[0]), "upper SWR 340000 16400000 1");
    EXPECT_TRUE(std::isfinite(s[1].at(5e299)));
    EXPECT_EQ(s[1].at(s[1].toHz), 1.7e308);

    // An empty file is an empty set of limits.
    ASSERT_TRUE(ParseLimits("# nothing yet\n\n", s, error));
    EXPECT_TRUE(s.empty());
}

TEST(LimitFile, ABadLineIsNamedAndNothingIsApplied)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"upper dB 1M 2M 0\nabove dB 1M 2M 0\n", "line 2: expected upper or lower, not \"above\""},
        {"upper dBm 1M 2M 0", "line 1: unknown quantity \"dBm\" (one of dB, mag, deg, us, Z, Zdeg, rho, rhodeg, "
                              "Rs, Xs, Rp, Xp, SWR, RL)"},
        {"\n\nupper dB 1M 2M", "line 3: expected upper or lower, a quantity, two frequencies and one or two values"},
        {"upper dB 1M 2M 0 1 2", "line 1: expected upper or lower, a quantity, two frequencies and one or two values"},
        {"upper dB 1X 2M 0", "line 1: \"1X\" is not a frequency"},
        {"upper dB 1M -2M 0", "line 1: \"-2M\" is not a frequency"},
        {"upper dB 1M M 0", "line 1: \"M\" is not a frequency"},
        {"upper dB 2M 1M 0", "line 1: the segment must end above the frequency it starts at"},
        {"upper dB 1M 1M 0", "line 1: the segment must end above the frequency it starts at"},
        {"upper dB 1M 2M 0,5", "line 1: \"0,5\" is not a number"},
        {"upper dB 1M 2M 0 nan", "line 1: \"nan\" is not a number"},
        {"upper dB 1M 2M 1e999", "line 1: \"1e999\" is not a number"},
        {"upper dB 1M 2M 0\r\n# fine\r\nlower dB 1M 2M x\r\n", "line 3: \"x\" is not a number"},
    };
    for (const auto& [text, message] : cases) {
        std::vector<LimitSegment> s(1);
        s[0].fromHz = 42;
        std::string error;
        EXPECT_FALSE(ParseLimits(text, s, error)) << text;
        EXPECT_EQ(error, message) << text;
        ASSERT_EQ(s.size(), 1u) << text;
        EXPECT_EQ(s[0].fromHz, 42) << "a bad file changed the limits: " << text;
    }
}

TEST(LimitCheck, UpperLowerAndSlopedLimitsFindEveryFailingPoint)
{
    std::vector<LimitSegment> limits;
    std::string error;
    ASSERT_TRUE(ParseLimits("upper dB 1M 4M 0\n"
                            "lower dB 2M 4M -2 -4\n"  // -2 at 2 MHz, -3 at 3 MHz, -4 at 4 MHz
                            "upper deg 1M 4M 90\n"
                            "upper SWR 1M 4M 1.5\n",  // another mode's: not applied
                            limits, error))
        << error;
    const auto sweep = transmission({1000000, 2000000, 3000000, 4000000, 5000000}, {-0.5, -0.9, -3.5, -3.9, 9});
    const LimitCheck check = CheckLimits(limits, sweep);
    EXPECT_EQ(check.segmentsApplied, 3u);
    EXPECT_EQ(check.pointsChecked, 4u); // 5 MHz lies outside every segment
    ASSERT_EQ(check.failures.size(), 1u);
    EXPECT_FALSE(check.passed());
    const LimitFailure& f = check.failures[0];
    EXPECT_EQ(f.index, 2u);
    EXPECT_EQ(f.hz, 3e6);
    EXPECT_DOUBLE_EQ(f.value, -3.5);
    EXPECT_DOUBLE_EQ(f.limit, -3);
    EXPECT_FALSE(f.segment.upper);
    EXPECT_EQ(FailureText(f), "3000000 Hz: dB -3.5 is below the lower limit -3");

    // On the limit counts as inside; a point breaking two limits is listed twice.
    const auto edge = transmission({1000000, 2000000}, {0, -2});
    EXPECT_TRUE(CheckLimits(limits, edge).passed());
    auto both = transmission({2000000}, {5});
    both.points[0].im = 100;
    const LimitCheck two = CheckLimits(limits, both);
    ASSERT_EQ(two.failures.size(), 2u);
    EXPECT_STREQ(two.failures[0].segment.quantity->name, "dB");
    EXPECT_EQ(FailureText(two.failures[1]), "2000000 Hz: deg 100 is above the upper limit 90");
}

TEST(LimitCheck, QuantitiesComeFromTheMeasuredPointWhateverTheDisplay)
{
    // A reflection point of 100 ohm against 50: rho 1/3, SWR 2, RL -9.54 dB.
    cal::MeasuredSweep s;
    s.mode = 1;
    s.displayCode = 10;
    s.hz = {1000000, 2000000, 3000000};
    s.points = {{100, 0}, {50 * std::sqrt(2.0), 45}, {0, 0}};
    const Quantity& swr = *FindQuantity("swr");
    EXPECT_NEAR(QuantityValue(swr, s, 0), 2, 1e-12);
    EXPECT_NEAR(QuantityValue(*FindQuantity("RL"), s, 0), 20 * std::log10(1.0 / 3), 1e-9);
    EXPECT_NEAR(QuantityValue(*FindQuantity("Xs"), s, 1), 50, 1e-9);
    EXPECT_NEAR(QuantityValue(*FindQuantity("Rs"), s, 1), 50, 1e-9);
    EXPECT_NEAR(QuantityValue(*FindQuantity("|Z|"), s, 0), 100, 1e-9);
    // A short has |rho| = 1: its SWR is infinite, so an upper limit fails
    // instead of passing on the plot's negative or capped value.
    EXPECT_TRUE(std::isinf(QuantityValue(swr, s, 2)));
    std::vector<LimitSegment> limits;
    std::string error;
    ASSERT_TRUE(ParseLimits("upper SWR 0 10M 3", limits, error));
    const LimitCheck check = CheckLimits(limits, s);
    ASSERT_EQ(check.failures.size(), 1u);
    EXPECT_EQ(check.failures[0].index, 2u);
    EXPECT_EQ(FailureText(check.failures[0]), "3000000 Hz: SWR infinite is above the upper limit 3");
    // Quantities of another mode have no value here.
    EXPECT_TRUE(std::isnan(QuantityValue(*FindQuantity("dB"), s, 0)));

    // Which display shows which quantity, for drawing the limits.
    EXPECT_TRUE(FindQuantity("rhodeg")->isShownOn(15, 2));
    EXPECT_TRUE(FindQuantity("dB")->isShownOn(20, 1));
    EXPECT_FALSE(FindQuantity("dB")->isShownOn(1, 1));
    EXPECT_TRUE(FindQuantity("dB")->existsIn(2));
    EXPECT_FALSE(FindQuantity("deg")->existsIn(2));
    EXPECT_EQ(FindQuantity("nonsense"), nullptr);
}

} // namespace
} // namespace orbilan::analysis
