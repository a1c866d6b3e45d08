// Trace math: data against a memory on another frequency grid (interpolated
// on the complex value, no value outside the memory), the definitions per
// mode, and memories made from Touchstone files.
#include <gtest/gtest.h>

#include <sstream>

#include "analysis/trace.h"
#include "analysis/trace_math.h"

namespace orbilan::analysis {
namespace {

constexpr cal::Complex Z0{50, cal::Tiny};

cal::MeasuredSweep sweepOf(int mode, std::vector<std::int32_t> hz, std::vector<cal::Complex> points)
{
    cal::MeasuredSweep s;
    s.mode = mode;
    s.hz = std::move(hz);
    s.points = std::move(points);
    return s;
}

touchstone::Data fileOf(const std::string& text, int ports)
{
    std::istringstream in(text);
    touchstone::Data d;
    std::string error;
    EXPECT_TRUE(touchstone::Parse(in, ports, d, error)) << error;
    return d;
}

TEST(TraceMath, MismatchedGridsInterpolateTheMemoryAndLeaveOutWhatItDoesNotCover)
{
    // Memory at 1, 3 and 5 MHz: S21 = 1 at 0 deg, then j (0 dB, 90 deg), then -1.
    const Memory memory = MemoryOfSweep(sweepOf(0, {1000000, 3000000, 5000000}, {{0, 0}, {0, 90}, {0, 180}}));
    // Halfway between 1 and j lies (0.5, 0.5): -3.01 dB at 45 degrees, not
    // the 0 dB a straight line in dB would give.
    const auto half = MemoryAt(memory, 2e6);
    ASSERT_TRUE(half);
    EXPECT_NEAR(half->re, 20 * std::log10(std::sqrt(0.5)), 1e-9);
    EXPECT_NEAR(half->im, 45, 1e-9);
    EXPECT_EQ(*MemoryAt(memory, 3e6), (cal::Complex{0, 90}));
    EXPECT_FALSE(MemoryAt(memory, 0.5e6));
    EXPECT_FALSE(MemoryAt(memory, 5.5e6));
    EXPECT_TRUE(memory.covers(1e6, 5e6));
    EXPECT_FALSE(memory.covers(1e6, 6e6));

    // Data at 2, 4 and 6 MHz: 6 MHz lies beyond the memory and has no value.
    const auto data = sweepOf(0, {2000000, 4000000, 6000000}, {{-10, 45}, {-10, 135}, {-10, 0}});
    const auto diff = CombineSweep(data, memory, MathOp::Difference);
    ASSERT_EQ(diff.hz, (std::vector<std::int32_t>{2000000, 4000000}));
    EXPECT_NEAR(diff.points[0].re, -10 - 20 * std::log10(std::sqrt(0.5)), 1e-9);
    EXPECT_NEAR(diff.points[0].im, 0, 1e-9);
    EXPECT_NEAR(diff.points[1].im, 0, 1e-9);
    const auto ratio = CombineSweep(data, memory, MathOp::Ratio);
    ASSERT_EQ(ratio.size(), 2u);
    EXPECT_NEAR(ratio.points[0].re, diff.points[0].re, 1e-9);
    EXPECT_NEAR(ratio.points[0].im, 0, 1e-9);
    // The rest of the sweep's description stays.
    EXPECT_EQ(diff.mode, 0);

    // A memory of another mode gives no point at all.
    EXPECT_EQ(CombineSweep(sweepOf(1, {2000000}, {{50, 0}}), memory, MathOp::Difference).size(), 0u);
}

TEST(TraceMath, EachModeHasItsOwnDifference)
{
    // Transmission: dB and degrees subtract, the phase within +-180.
    const auto t = Combine(0, {-3, -175}, {-1, 175}, MathOp::Difference, Z0);
    EXPECT_DOUBLE_EQ(t->re, -2);
    EXPECT_DOUBLE_EQ(t->im, 10);
    EXPECT_DOUBLE_EQ(Combine(0, {0, 90}, {0, -90}, MathOp::Difference, Z0)->im, 180);

    // Reflection: the reflection coefficients subtract. 100 ohm (rho 1/3)
    // less 50 ohm (rho 0) is rho 1/3 again; 100 ohm less 100 ohm is a match.
    const auto r = Combine(1, {100, 0}, {50, 0}, MathOp::Difference, Z0);
    EXPECT_NEAR(r->re, 100, 1e-9);
    EXPECT_NEAR(std::abs(SOfPoint(1, *Combine(1, {100, 0}, {100, 0}, MathOp::Difference, Z0), Z0)), 0, 1e-12);
    // 25 ohm (rho -1/3) over 100 ohm (rho 1/3) is rho -1: a short.
    const auto q = Combine(1, {25, 0}, {100, 0}, MathOp::Ratio, Z0);
    EXPECT_NEAR(std::abs(SOfPoint(1, *q, Z0) - Cx(-1, 0)), 0, 1e-9);
    EXPECT_NEAR(q->re, 0, 1e-9);

    // Group delay: dB and microseconds subtract; a ratio means nothing.
    const auto g = Combine(2, {-1, 0.25}, {-0.5, 0.1}, MathOp::Difference, Z0);
    EXPECT_DOUBLE_EQ(g->re, -0.5);
    EXPECT_DOUBLE_EQ(g->im, 0.15);
    EXPECT_FALSE(Combine(2, {-1, 0.25}, {-0.5, 0.1}, MathOp::Ratio, Z0));
    EXPECT_FALSE(MathDefined(2, MathOp::Ratio));
    EXPECT_TRUE(MathDefined(1, MathOp::Ratio));

    // Dividing by a matched memory has no value.
    EXPECT_FALSE(Combine(1, {100, 0}, {50, 0}, MathOp::Ratio, {50, 0}));
}

TEST(TraceMath, AGroupDelayMemoryInterpolatesItsPairsStraight)
{
    const Memory memory = MemoryOfSweep(sweepOf(2, {1000000, 2000000}, {{-1, 0.1}, {-3, 0.3}}));
    const auto m = MemoryAt(memory, 1.5e6);
    EXPECT_DOUBLE_EQ(m->re, -2);
    EXPECT_DOUBLE_EQ(m->im, 0.2);
}

TEST(TraceMath, MemoriesFromTouchstoneFiles)
{
    // A one-port at 75 ohm: rho 0 is 75 ohm, rho 1 an ideal open, kept finite.
    const auto s1p = fileOf("# MHz S RI R 75\n1 0 0\n2 1 0\n", 1);
    Memory m;
    std::string error;
    ASSERT_TRUE(MemoryOfFile(s1p, 1, Z0, m, error)) << error;
    EXPECT_EQ(m.mode, 1);
    EXPECT_EQ(m.hz, (std::vector<double>{1e6, 2e6}));
    EXPECT_NEAR(m.points[0].re, 75, 1e-9);
    EXPECT_TRUE(std::isfinite(m.points[1].re));
    EXPECT_NEAR(std::abs(SOfPoint(1, m.points[1], Z0) - Cx(1, 0)), 0, 1e-9);

    // A two-port: S21 in transmission, S11 in reflection.
    const auto s2p = fileOf("# HZ S DB R 50\n1000000 -20 0 -6 90 -40 0 -30 0\n", 2);
    ASSERT_TRUE(MemoryOfFile(s2p, 0, Z0, m, error)) << error;
    EXPECT_NEAR(m.points[0].re, -6, 1e-9);
    EXPECT_NEAR(m.points[0].im, 90, 1e-9);
    ASSERT_TRUE(MemoryOfFile(s2p, 1, Z0, m, error)) << error;
    EXPECT_NEAR(std::abs(SOfPoint(1, m.points[0], Z0)), 0.1, 1e-9);

    // What a file cannot be.
    EXPECT_FALSE(MemoryOfFile(s1p, 0, Z0, m, error));
    EXPECT_EQ(error, "a one-port file holds a reflection; transmission needs a two-port (.s2p) file");
    EXPECT_FALSE(MemoryOfFile(s2p, 2, Z0, m, error));
    EXPECT_EQ(error, "a Touchstone file holds no group delay");
    EXPECT_EQ(m.mode, 1) << "a refused file left the memory as it was";

    // S21 of a matched 75-ohm attenuator, seen from 50 ohm: the file is
    // renormalised before S21 is taken.
    const auto pad75 = fileOf("# HZ S RI R 75\n1000000 0 0 0.5 0 0.5 0 0 0\n", 2);
    ASSERT_TRUE(MemoryOfFile(pad75, 0, Z0, m, error)) << error;
    EXPECT_LT(m.points[0].re, 20 * std::log10(0.5) - 0.1);
}

} // namespace
} // namespace orbilan::analysis
