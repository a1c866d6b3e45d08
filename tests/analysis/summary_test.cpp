// What `orbilan-cli analyse` prints: the names in their order, what is left
// out and why, and the JSON form of the same values.
#include <gtest/gtest.h>

#include "analysis/summary.h"
#include "circuits.h"

namespace orbilan::analysis {
namespace {

std::vector<std::string> names(const Summary& s)
{
    std::vector<std::string> out;
    for (const auto& line : s.lines)
        out.push_back(line.name);
    return out;
}

TEST(Summary, TransmissionNamesInOrder)
{
    const testing::SeriesRlc rlc{10, 10e-6, 10e-12};
    const Summary s = Summarise(testing::SeriesThrough(rlc, testing::linearHz(10e6, 22e6, 201)), {});
    EXPECT_TRUE(s.complete());
    EXPECT_EQ(names(s), (std::vector<std::string>{"peak_hz", "peak_db", "bw_low_hz", "bw_high_hz", "bw_hz",
                                                   "centre_hz", "q"}));
    EXPECT_NEAR(s.lines[6].value, rlc.resonanceHz() / (110 / (2 * std::numbers::pi * rlc.l)), 0.05);

    // A deeper drop than the sweep shows: the edges and what needs them go.
    const Summary deep = Summarise(testing::SeriesThrough(rlc, testing::linearHz(10e6, 22e6, 201)), {40, 2});
    EXPECT_EQ(names(deep), (std::vector<std::string>{"peak_hz", "peak_db"}));
    ASSERT_EQ(deep.missing.size(), 3u);
    EXPECT_EQ(deep.missing[2], "bw_hz, centre_hz, q: need both edges of the -40 dB band");
    EXPECT_NE(deep.missing[0].find("bw_low_hz: the trace does not fall 40 dB below its peak at "), std::string::npos);
}

TEST(Summary, ReflectionNamesInOrderAndTheReasonsForGaps)
{
    const testing::SeriesRlc rlc{40, 1e-6, 100e-12};
    const Summary s = Summarise(testing::OnePort(rlc, testing::linearHz(5e6, 30e6, 201)), {});
    EXPECT_TRUE(s.complete());
    EXPECT_EQ(names(s), (std::vector<std::string>{"min_swr_hz", "min_swr", "resonance_hz", "resonance_r_ohm",
                                                   "swr_low_hz", "swr_high_hz", "swr_bw_hz"}));

    // Below resonance and mismatched: no zero crossing, no band.
    const Summary poor = Summarise(testing::OnePort({200, 1e-6, 100e-12}, testing::linearHz(1e6, 10e6, 21)), {});
    EXPECT_EQ(names(poor), (std::vector<std::string>{"min_swr_hz", "min_swr"}));
    ASSERT_EQ(poor.missing.size(), 2u);
    EXPECT_EQ(poor.missing[0],
              "resonance_hz, resonance_r_ohm: the reactance does not cross zero inside the sweep");
    EXPECT_EQ(poor.missing[1].rfind("swr_low_hz, swr_high_hz, swr_bw_hz: the SWR does not come down to 2 inside "
                                    "the sweep (least ",
                                    0),
              0u);
}

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
