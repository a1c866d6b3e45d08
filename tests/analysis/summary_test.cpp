// The two forms `orbilan-cli analyse` prints the same values in (the names,
// their order and the reasons are held by the command's own tests).
#include <gtest/gtest.h>

#include "analysis/summary.h"

namespace orbilan::analysis {
namespace {

TEST(Summary, TextAndJsonCarryTheSameValues)
{
    Summary s;
    s.lines = {{"peak_hz", 15915494.309189535}, {"peak_db", -0.8278537}, {"q", 1.25e-7}};
    EXPECT_EQ(SummaryText(s), "peak_hz=15915494.31\npeak_db=-0.8278537\nq=1.25E-07\n");
    EXPECT_EQ(SummaryJson(s), "{\"peak_hz\": 15915494.31, \"peak_db\": -0.8278537, \"q\": 1.25E-07}\n");
    EXPECT_EQ(SummaryJson(Summary{}), "{}\n");
}

} // namespace
} // namespace orbilan::analysis
