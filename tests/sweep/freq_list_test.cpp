// The frequency list and the checks a sweep must pass before it is built.
#include <gtest/gtest.h>

#include "sweep/freq_list.h"

namespace orbilan::sweep {
namespace {

struct Refusal {
    int kind;
    std::int32_t f1, f2;
    const char* title;
    const char* text;
    CheckOutcome outcome;
};

TEST(SweepChecks, EachRefusalNamesItsProblem)
{
    const Refusal cases[] = {
        {1, 49999, 1000000, "Start frequency below minimum 50 kHz", "Sweep will start at 50 kHz",
         CheckOutcome::ClampStart},
        {1, 59999991, 60000000, "Start frequency above maximum 60 MHz", "Please try again", CheckOutcome::Refuse},
        {1, 2000000, 1000000, "Start frequency above End frequency", "Please correct either value",
         CheckOutcome::EndImmediately},
        {1, 1000000, 60000001, "End frequency above maximum 60000 kHz", "Sweep will end at 60000 kHz",
         CheckOutcome::ClampEnd},
        {1, 50000, 50009, "End frequency too close to Start frequency", "Please correct either value",
         CheckOutcome::Refuse},
        {2, 1000000, 1900002, "Sweep starts below minimum of 50 kHz", "Please correct either Centre or Span",
         CheckOutcome::Refuse},
        {2, 59000000, 2000002, "Sweep ends above maximum of 60 MHz", "Please correct either Centre or Span",
         CheckOutcome::Refuse},
        {2, 1000000, 9, "Span less than minimum of 20 Hz", "Please correct Span", CheckOutcome::Refuse},
        // The half span is compared unrounded: 50005 - 5.5 lies below the minimum.
        {2, 50005, 11, "Sweep starts below minimum of 50 kHz", "Please correct either Centre or Span",
         CheckOutcome::Refuse},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        const SweepCheck* failed = FirstFailingCheck(c.kind, c.f1, c.f2);
        ASSERT_NE(failed, nullptr);
        EXPECT_EQ(failed->title, c.title);
        EXPECT_EQ(failed->text, c.text);
        EXPECT_EQ(failed->outcome, c.outcome);
    }
}

TEST(SweepChecks, LimitsThatPass)
{
    EXPECT_EQ(FirstFailingCheck(1, 50000, 50010), nullptr);
    EXPECT_EQ(FirstFailingCheck(1, 50000, 60000000), nullptr);
    EXPECT_EQ(FirstFailingCheck(2, 1000000, 15), nullptr); // the message names 20 Hz, 10 Hz passes
    EXPECT_EQ(FirstFailingCheck(2, 1000000, 10), nullptr);
    EXPECT_EQ(FirstFailingCheck(2, 30025000, 59950000), nullptr);
    EXPECT_EQ(FirstFailingCheck(4, 100000000, 0), nullptr); // a single frequency has no checks
    // The first failing row wins: below the minimum and too close at once.
    EXPECT_EQ(FirstFailingCheck(1, 40000, 40005)->outcome, CheckOutcome::ClampStart);
}

TEST(FreqList, EachPointRoundedByItselfAndTheLastExact)
{
    FreqListArray list{};
    ListBounds b;
    ASSERT_TRUE(BuildSweptList(KindStartEnd, 1000000, 1000015, 3, list, b));
    EXPECT_EQ(list[0], 1);
    EXPECT_EQ(list[1], 1000000);
    EXPECT_EQ(list[2], 1000008); // 1000007.5 to even
    EXPECT_EQ(list[3], 1000015);
    EXPECT_EQ(list[4], 0);

    ASSERT_TRUE(BuildSweptList(KindCentreSpan, 1000000, 11, 11, list, b));
    EXPECT_EQ(list[0], 2);
    EXPECT_EQ(b.start, 999994); // 999994.5 to even
    EXPECT_EQ(b.end, 1000006);  // 1000005.5 to even
    EXPECT_EQ(list[1], 999994);
    EXPECT_EQ(list[11], 1000006);
    EXPECT_EQ(list[12], 0);
}

TEST(FreqList, FourHundredStepsFillTheListAndAShorterListClearsTheRest)
{
    FreqListArray list{};
    ListBounds b;
    ASSERT_TRUE(BuildSweptList(KindStartEnd, 50000, 59999999, 401, list, b));
    EXPECT_EQ(list[401], b.end);
    EXPECT_EQ(list[401], 59999999);
    for (int k = 2; k <= 401; ++k)
        ASSERT_GT(list[static_cast<std::size_t>(k)], list[static_cast<std::size_t>(k - 1)]) << k;

    ASSERT_TRUE(BuildSweptList(KindStartEnd, 1000000, 2000000, 11, list, b));
    for (int k = 12; k <= 401; ++k)
        ASSERT_EQ(list[static_cast<std::size_t>(k)], 0) << k;
}

TEST(FreqList, AHarmonicSweepHoldsTheWholeMultiplesOfItsStep)
{
    // 30 MHz in 200 steps: 201 points of 149253 Hz, the end just below 30 MHz.
    ListBounds b;
    ASSERT_TRUE(HarmonicBounds(30000000, 201, b));
    EXPECT_EQ(b.start, 149253);
    EXPECT_EQ(b.end, 201 * 149253);
    FreqListArray list{};
    ASSERT_TRUE(BuildSweptList(KindStartEnd, b.start, b.end, 201, list, b));
    for (int k = 1; k <= 201; ++k)
        ASSERT_EQ(list[static_cast<std::size_t>(k)], k * 149253) << k;
    EXPECT_EQ(FirstFailingCheck(KindStartEnd, b.start, b.end), nullptr);

    // The lowest step is the lowest frequency; the top stays in range.
    ASSERT_TRUE(HarmonicBounds(401 * 50000, 401, b));
    EXPECT_EQ(b.start, 50000);
    EXPECT_FALSE(HarmonicBounds(401 * 50000 - 1, 401, b));
    EXPECT_FALSE(HarmonicBounds(60000001, 11, b));
    EXPECT_FALSE(HarmonicBounds(1000000, 1, b));
    EXPECT_FALSE(HarmonicBounds(60000000, 402, b));
    EXPECT_EQ(b.start, 50000);
}

TEST(FreqList, NoSweptListOfOnePoint)
{
    FreqListArray list{};
    list[0] = 7;
    ListBounds b{1, 2};
    EXPECT_FALSE(BuildSweptList(KindStartEnd, 1000000, 2000000, 1, list, b));
    EXPECT_FALSE(BuildSweptList(KindStartEnd, 1000000, 2000000, 402, list, b));
    EXPECT_FALSE(BuildSweptList(KindSingle, 1000000, 2000000, 11, list, b));
    EXPECT_EQ(list[0], 7);
    EXPECT_EQ(b.start, 1);

    BuildSingleList(100000000, list);
    EXPECT_EQ(list[0], 4);
    EXPECT_EQ(list[1], 100000000);
    EXPECT_EQ(list[2], 0);
}

} // namespace
} // namespace orbilan::sweep
