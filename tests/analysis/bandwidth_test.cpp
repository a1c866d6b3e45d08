// The -N dB bandwidth: against the closed form of a series RLC, on a
// hand-made trace whose interpolated edges can be worked out by hand, and on
// the traces where an edge cannot be found.
#include <gtest/gtest.h>

#include "analysis/bandwidth.h"
#include "circuits.h"

namespace orbilan::analysis {
namespace {

using testing::SeriesRlc;

std::vector<double> dbOf(const Trace& t)
{
    std::vector<double> db;
    for (const Cx& s : t.s)
        db.push_back(DbOf(s));
    return db;
}

TEST(Bandwidth, SeriesRlcInTransmissionMatchesTheClosedForm)
{
    // f0 = 1/(2 pi sqrt(LC)); the half-power band is (R + 2 Z0)/(2 pi L)
    // wide and lies symmetric in log frequency around f0.
    const SeriesRlc rlc{10, 10e-6, 10e-12};
    const double f0 = rlc.resonanceHz();
    const double bw = (rlc.r + 2 * 50) / (2 * std::numbers::pi * rlc.l);
    const Trace t = testing::SeriesThrough(rlc, testing::linearHz(10e6, 22e6, 401));
    const auto b = FindBandwidth(t.hz, dbOf(t), 10 * std::log10(2.0));
    ASSERT_TRUE(b && b->complete());
    const double step = t.hz[1] - t.hz[0];
    EXPECT_NEAR(b->peakHz, f0, step / 2);
    // The peak point lies within half a step of f0, a hair below the top.
    EXPECT_NEAR(b->peakDb, 20 * std::log10(100.0 / 110.0), 1e-3);
    // Linear interpolation in dB over a 30 kHz step: well inside 0.1 % of the band.
    EXPECT_NEAR(b->bandwidthHz(), bw, bw * 1e-3);
    EXPECT_NEAR(b->centreHz(), f0, f0 * 1e-4);
    EXPECT_NEAR(b->q(), f0 / bw, f0 / bw * 2e-3);
    // The edges are interpolated, not snapped to points.
    EXPECT_NE(std::fmod(*b->lowHz - 10e6, step), 0.0);

    // N dB exactly: |X| = (R + 2 Z0) sqrt(10^(N/10) - 1) at the edges.
    const auto three = FindBandwidth(t.hz, dbOf(t), 3);
    const double bw3 = bw * std::sqrt(std::pow(10, 0.3) - 1);
    EXPECT_NEAR(three->bandwidthHz(), bw3, bw3 * 1e-3);
}

TEST(Bandwidth, EdgesAreInterpolatedBetweenTheNeighboursOfTheCrossing)
{
    const std::vector<double> hz{1, 2, 3, 4, 5};
    const std::vector<double> db{-10, -2, 0, -1, -7};
    const auto b = FindBandwidth(hz, db, 3);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->peak, 2u);
    EXPECT_DOUBLE_EQ(*b->lowHz, 1.875);        // -3 lies 1/8 of the way from -2 down to -10
    EXPECT_DOUBLE_EQ(*b->highHz, 4 + 1.0 / 3); // and 1/3 of the way from -1 down to -7
    EXPECT_DOUBLE_EQ(b->bandwidthHz(), 4 + 1.0 / 3 - 1.875);
    EXPECT_DOUBLE_EQ(b->centreHz(), std::sqrt(1.875 * (4 + 1.0 / 3)));

    // A point exactly at the level is the edge; a wider drop looks further.
    const auto exact = FindBandwidth(hz, {-3, -1, 0, -3, -3}, 3);
    EXPECT_DOUBLE_EQ(*exact->lowHz, 1);
    EXPECT_DOUBLE_EQ(*exact->highHz, 4);
    const auto wide = FindBandwidth(hz, db, 6);
    EXPECT_DOUBLE_EQ(*wide->lowHz, 1.5);
    EXPECT_DOUBLE_EQ(*wide->highHz, 4 + 5.0 / 6);
}

TEST(Bandwidth, AnEdgeOutsideTheSweepIsMissingNotInvented)
{
    const std::vector<double> hz{1, 2, 3, 4};
    // Rising to the end: no high edge; falling 2 dB only on the left: no low edge.
    const auto rising = FindBandwidth(hz, {-9, -5, -2, 0}, 3);
    ASSERT_TRUE(rising);
    EXPECT_EQ(rising->peak, 3u);
    EXPECT_TRUE(rising->lowHz);
    EXPECT_FALSE(rising->highHz);
    EXPECT_FALSE(rising->complete());
    const auto shallow = FindBandwidth(hz, {-2, 0, -1, -8}, 3);
    EXPECT_FALSE(shallow->lowHz);
    EXPECT_TRUE(shallow->highHz);

    // A resonance above the sweep: the band's upper half is not in it.
    const SeriesRlc rlc{10, 10e-6, 10e-12};
    const Trace t = testing::SeriesThrough(rlc, testing::linearHz(1e6, 15e6, 101));
    EXPECT_FALSE(FindBandwidth(t.hz, dbOf(t), 3)->highHz);
}

TEST(Bandwidth, FlatTracesAndBadInput)
{
    const std::vector<double> hz{1, 2, 3};
    const auto flat = FindBandwidth(hz, {-6, -6, -6}, 3);
    ASSERT_TRUE(flat);
    EXPECT_EQ(flat->peak, 0u); // the first of equal maxima
    EXPECT_FALSE(flat->lowHz);
    EXPECT_FALSE(flat->highHz);

    EXPECT_FALSE(FindBandwidth({}, {}, 3));
    EXPECT_FALSE(FindBandwidth(hz, {0, NAN, 0}, 3));
    EXPECT_FALSE(FindBandwidth(hz, {0, -1, 0}, 0));
    EXPECT_FALSE(FindBandwidth(hz, {0, -1, 0}, -3));
    // A zero S21 reads as a very low level, not minus infinity.
    EXPECT_EQ(DbOf({0, 0}), -400);
}

TEST(Bandwidth, NoiseMovesTheEdgesOnlyByTheNoise)
{
    const SeriesRlc rlc{10, 10e-6, 10e-12};
    const double bw = (rlc.r + 2 * 50) / (2 * std::numbers::pi * rlc.l);
    Trace t = testing::SeriesThrough(rlc, testing::linearHz(10e6, 22e6, 401));
    // About -60 dB of noise on a -0.8 dB peak.
    testing::AddNoise(t, 1e-3, 7);
    const auto b = FindBandwidth(t.hz, dbOf(t), 10 * std::log10(2.0));
    ASSERT_TRUE(b && b->complete());
    EXPECT_NEAR(b->bandwidthHz(), bw, bw * 0.01);
    EXPECT_NEAR(b->centreHz(), rlc.resonanceHz(), bw * 0.01);
}

} // namespace
} // namespace orbilan::analysis
