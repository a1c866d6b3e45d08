// Display lists, scale tables and the number texts of the scale buttons.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "display/scales.h"

namespace orbilan::display {
namespace {

TEST(DisplayLists, SplitLikeAListBoxFillsThem)
{
    EXPECT_EQ(SplitList(DisplayList(1)),
              (std::vector<std::string>{"|Z|,deg", "rho,deg", "Rs,Xs", "Rp,Xp", "SWR,", "RL,deg", "Smith,"}));
    EXPECT_EQ(SplitList(DisplayList(2)), (std::vector<std::string>{"dB,\xC2\xB5s"}));
    EXPECT_TRUE(SplitList(DisplayList(3)).empty());
    // The longest scale list has exactly 21 values; nothing beyond is taken,
    // and a list without its end mark stops at its last piece.
    const auto reactance = SplitList(*ScaleValueLists(12, '.').y2Top);
    ASSERT_EQ(reactance.size(), 21u);
    EXPECT_EQ(reactance.front(), "10000");
    EXPECT_EQ(reactance.back(), "-10000");
    EXPECT_EQ(SplitList("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 *").size(), 21u);
    EXPECT_EQ(SplitList("5 6"), (std::vector<std::string>{"5", "6"}));
}

TEST(DisplayLists, AnEntryIsFoundByTheNameAUserWrites)
{
    const auto reflection = SplitList(DisplayList(1));
    EXPECT_EQ(FindDisplayEntry(reflection, "Smith"), "Smith,");
    EXPECT_EQ(FindDisplayEntry(reflection, " swr, "), "SWR,");
    EXPECT_EQ(FindDisplayEntry(reflection, "|z|,DEG"), "|Z|,deg");
    EXPECT_EQ(FindDisplayEntry(SplitList(DisplayList(2)), "dB,us"), "dB,\xC2\xB5s");
    // Half a name, another mode's entry or nothing at all names no entry.
    EXPECT_EQ(FindDisplayEntry(reflection, "Rs"), "");
    EXPECT_EQ(FindDisplayEntry(reflection, "dB,deg"), "");
    EXPECT_EQ(FindDisplayEntry(reflection, ","), "");
    EXPECT_EQ(FindDisplayEntry(reflection, ""), "");
}

TEST(ScaleLists, ComputedFractionsFollowTheDecimalSeparator)
{
    const ScaleLists point = ScaleValueLists(0, '.');
    EXPECT_EQ(*point.y1Div, "20 10 5 2 1 0.5 0.2 0.1 *");
    EXPECT_EQ(*point.y2Div, "45 22.5 10 5 2 1 0.5 *");
    const ScaleLists comma = ScaleValueLists(0, ',');
    EXPECT_EQ(*comma.y1Div, "20 10 5 2 1 0,5 0,2 0,1 *");
    EXPECT_EQ(*comma.y2Div, "45 22,5 10 5 2 1 0,5 *");
    EXPECT_EQ(*comma.y1Top, "40 30 20 10 8 4 2 1 0 -10 -20 -30 *");
    EXPECT_EQ(*ScaleValueLists(15, ',').y1Div, "12,5 10 5 2,5 1,25 1 0,625 0,5 0,2 0,1 *");
    EXPECT_EQ(*ScaleValueLists(11, '.').y1Div, "0.125 0.1 0.05 0.02 0.01 *");
    EXPECT_EQ(*ScaleValueLists(14, '.').y1Top, "80 9 5 1.8 1.4 *");
    EXPECT_EQ(*ScaleValueLists(20, '.').y1Div, "20 10 5 2 1 0.5 0.2 *");
    EXPECT_EQ(*ScaleValueLists(20, '.').y2Div, "1250 1000 500 250 125 100 50 25 12.5 10 5 2.5 *");
    EXPECT_EQ(*ScaleValueLists(1, '.').y1Div, "500 250 125 100 25 10 2 1 0.5 0.1 0.05 0.01 *");
    // SWR has no second quantity; Smith and the raw display have no lists.
    EXPECT_FALSE(ScaleValueLists(14, '.').y2Top);
    EXPECT_FALSE(ScaleValueLists(16, '.').y1Top);
    EXPECT_FALSE(ScaleValueLists(30, '.').y1Top);
}

TEST(ScaleTables, DefaultsAndFullRangesDifferWhereTheyShould)
{
    EXPECT_EQ(DefaultScales(10).y1->top, 8000);
    EXPECT_EQ(FullRangeScales(10).y1->top, 10000);
    EXPECT_EQ(DefaultScales(20).y2->top, 8000);
    EXPECT_EQ(FullRangeScales(20).y2->top, 10000);
    EXPECT_FALSE(DefaultScales(14).y2);
    EXPECT_FALSE(DefaultScales(16).y1);
    EXPECT_EQ(FullRangeScales(30).y1->bottom, -2.5f);
    EXPECT_EQ(UnitsLabelsFor(12).y1, "ohm   /div");
    EXPECT_EQ(UnitsLabelsFor(11).y1, "    /div");
    EXPECT_FALSE(UnitsLabelsFor(14).y2);
    EXPECT_FALSE(UnitsLabelsFor(16).y1);
}

TEST(FormatScaleValue, DigitsOfTheWholePartChooseThePattern)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0.0"},      {-180, "-180"},   {180, "180"},     {40, "40.0"},   {-120, "-120"},
        {8000, "8000"},  {10000, "10000"}, {0.125, "0.125"}, {-0.5, "-0.5"}, {-9.5, "-9.5"},
        {-2.85, "-2.85"}, {22.5, "22.5"},  {1.23456, "1.235"}, {20, "20.0"}, {-52.5, "-52.5"},
    };
    for (const auto& [v, text] : cases)
        EXPECT_EQ(FormatScaleValue(v), text) << v;
    EXPECT_EQ(FormatScaleValue(0, ','), "0,0");
    EXPECT_EQ(FormatScaleValue(6.20625, ','), "6,206");
}

TEST(ClampForPlot, LimitsBothWaysAndWritesBack)
{
    std::array<double, 6> v{0, 3e-9, -5e7, -3e-9, 12.5, INFINITY};
    EXPECT_EQ(ClampForPlot(v[0]), 0.0f);
    EXPECT_EQ(ClampForPlot(v[1]), 1e-6f);
    EXPECT_EQ(ClampForPlot(v[2]), -1e6f);
    EXPECT_EQ(ClampForPlot(v[3]), -1e-6f);
    EXPECT_EQ(ClampForPlot(v[4]), 12.5f);
    EXPECT_EQ(ClampForPlot(v[5]), 1e6f);
    EXPECT_EQ(v, (std::array<double, 6>{0, 1e-6, -1e6, -1e-6, 12.5, 1e6}));
}

TEST(Units, FirstCharactersCountCharactersNotBytes)
{
    EXPECT_EQ(FirstChars("\xC2\xB5s  /div", 3), "\xC2\xB5s ");
    EXPECT_EQ(FirstChars("dB  /div", 3), "dB ");
    EXPECT_EQ(FirstChars("ab", 3), "ab");
    EXPECT_EQ(UpToFirstBlank("\xC2\xB5s  /div"), "\xC2\xB5s");
    EXPECT_EQ(UpToFirstBlank("    /div"), "");
    EXPECT_EQ(UpToFirstBlank("V /div"), "V");
}

using Trace = std::array<double, 402>;

Trace traceOf(std::initializer_list<double> values)
{
    Trace t{};
    std::size_t i = 1;
    for (double v : values)
        t[i++] = v;
    return t;
}

TEST(Autoscale, FitsWithFivePercentMarginsOutward)
{
    const ScalePair db = FitY1(traceOf({-3, -20, -50, -10}), 4, 0);
    EXPECT_FLOAT_EQ(db.top, -2.85f);
    EXPECT_FLOAT_EQ(db.bottom, -52.5f);
    EXPECT_FLOAT_EQ((db.top - db.bottom) / 8, 6.20625f);

    const ScalePair flat = FitY1(traceOf({0, 0, 0}), 3, 0);
    EXPECT_EQ(flat.top, 0.0f);
    EXPECT_EQ(flat.bottom, 0.0f);

    // Never below the start value: the minimum stays 10000.
    const ScalePair high = FitY1(traceOf({12000, 15000, 20000}), 3, 10);
    EXPECT_FLOAT_EQ(high.top, 21000.0f);
    EXPECT_FLOAT_EQ(high.bottom, 9500.0f);

    EXPECT_FLOAT_EQ(FitY1(traceOf({-0.1f, 2}), 2, 1).bottom, 0.0f);  // power ratio
    EXPECT_FLOAT_EQ(FitY1(traceOf({1.0, 3}), 2, 14).bottom, 1.0f);   // SWR
    EXPECT_FLOAT_EQ(FitY1(traceOf({-3, -50, 99}), 2, 0).top, -2.85f); // only the swept points count
}

TEST(Autoscale, PhaseAxesStayWithinPlusMinus180)
{
    const ScalePair phase = FitY2(traceOf({-170, 0, 175}), 3, 0);
    EXPECT_EQ(phase.top, 180.0f);
    EXPECT_EQ(phase.bottom, -180.0f);
    // Narrow phase: the start values +-180 still bound the scan.
    const ScalePair narrow = FitY2(traceOf({10, 20}), 2, 10);
    EXPECT_FLOAT_EQ(narrow.top, 21.0f);
    EXPECT_FLOAT_EQ(narrow.bottom, 9.5f);
    // Group delay is no phase: no cap at 180.
    const ScalePair delay = FitY2(traceOf({250, 400}), 2, 20);
    EXPECT_FLOAT_EQ(delay.top, 420.0f);
    // Reactance starts from +-10000.
    const ScalePair reactance = FitY2(traceOf({-300, 500}), 2, 12);
    EXPECT_FLOAT_EQ(reactance.top, 525.0f);
    EXPECT_FLOAT_EQ(reactance.bottom, -315.0f);
}
} // namespace
} // namespace orbilan::display
