// The sweep-time estimate in single precision and its caption.
#include <gtest/gtest.h>

#include "sweep/sweep_time.h"

namespace orbilan::sweep {
namespace {

TEST(SweepTime, DefaultsOfThe2410)
{
    const float pointTime = PointTimeS(10, 130.0f, 10.0f, 1);
    EXPECT_EQ(pointTime, 0.3f);
    EXPECT_EQ(SweepTimeText(SweepTimeS(11, pointTime, false)), "3.3");
    EXPECT_EQ(SweepTimeText(SweepTimeS(11, pointTime, true)), "6.6");
    // Over USB the transfer overhead is 0.3 ms a reading.
    EXPECT_EQ(SweepTimeText(SweepTimeS(201, PointTimeS(10, 130.0f, 0.3f, 10), false)), "564");
}

TEST(SweepTime, ConversionTimeFollowsThe2440Mode)
{
    EXPECT_EQ(AdcConversionMs(2440, 15, 130.0f), 1000.0f / 6.875f);
    EXPECT_EQ(AdcConversionMs(2440, 1, 130.0f), 1000.0f / 3520.0f);
    EXPECT_EQ(AdcConversionMs(2440, 10, 42.0f), 42.0f); // no such mode: unchanged
    EXPECT_EQ(AdcConversionMs(2410, 15, 130.0f), 130.0f);
}

TEST(SweepTime, CaptionKeepsFewerDecimalsForLargerTimes)
{
    EXPECT_EQ(SweepTimeText(0.0f), "0.0");
    EXPECT_EQ(SweepTimeText(0.0625f), "0.063");
    EXPECT_EQ(SweepTimeText(12.34f), "12.3");
    EXPECT_EQ(SweepTimeText(123.4f), "123");
    EXPECT_EQ(SweepTimeText(1234.5f), "1235");
    EXPECT_EQ(SweepTimeText(3.3f, ','), "3,3");
}

} // namespace
} // namespace orbilan::sweep
