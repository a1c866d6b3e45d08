// The sweep-time estimate in single precision and its caption.
#include <gtest/gtest.h>

#include "sweep/sweep_time.h"

namespace orbilan::sweep {
namespace {

TEST(SweepTime, DefaultsOfThe2410)
{
    const float pointTime = PointTimeS(10, 130.0f, 10.0f, 1);
    EXPECT_EQ(pointTime, 0.3f);
    EXPECT_EQ(SweepTimeS(11, pointTime, false), 11 * 0.3f);
    EXPECT_EQ(SweepTimeS(11, pointTime, true), 2 * 0.3f * 11);
    // Over USB the transfer overhead is 0.3 ms a reading.
    EXPECT_FLOAT_EQ(SweepTimeS(201, PointTimeS(10, 130.0f, 0.3f, 10), false), 564.006f);
}

TEST(SweepTime, ConversionTimeFollowsThe2440Mode)
{
    EXPECT_EQ(AdcConversionMs(2440, 15, 130.0f), 1000.0f / 6.875f);
    EXPECT_EQ(AdcConversionMs(2440, 1, 130.0f), 1000.0f / 3520.0f);
    EXPECT_EQ(AdcConversionMs(2440, 10, 42.0f), 42.0f); // no such mode: unchanged
    EXPECT_EQ(AdcConversionMs(2410, 15, 130.0f), 130.0f);
}

} // namespace
} // namespace orbilan::sweep
