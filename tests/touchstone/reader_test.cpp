// Reading Touchstone files as other tools write them, referring them to
// another impedance, and reading back what the program writes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "cal/measured_sweep.h"
#include "touchstone/touchstone.h"

namespace orbilan::touchstone {
namespace {

Data parsed(const std::string& text, int ports)
{
    std::istringstream in(text);
    Data d;
    std::string error;
    EXPECT_TRUE(Parse(in, ports, d, error)) << error << "\n" << text;
    return d;
}

TEST(TouchstoneReader, OnlyARegularFileIsRead)
{
    // A device would give one line without end; a pipe with no writer,
    // nothing ever. Both are refused at once.
    Data d;
    std::string error;
    EXPECT_FALSE(ReadFile("/dev/zero", 1, d, error));
    EXPECT_EQ(error, "cannot open /dev/zero: Not a regular file");
    const std::string fifo = ::testing::TempDir() + "pipe_" + std::to_string(getpid()) + ".s1p";
    std::remove(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_FALSE(ReadFile(fifo, 1, d, error));
    EXPECT_NE(error.find("Not a regular file"), std::string::npos) << error;
    std::remove(fifo.c_str());
}

TEST(TouchstoneReader, LinesMayEndInLfCrLfOrCrAlone)
{
    const std::string lf = "! a comment\n# MHz S RI R 75\n1 0.25 -0.5\n2 0.125 1\n";
    std::string crlf, cr;
    for (char c : lf) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
    }
    for (const std::string& text : {lf, crlf, cr}) {
        const Data d = parsed(text, 1);
        ASSERT_EQ(d.hz.size(), 2u);
        EXPECT_EQ(d.hz[1], 2e6);
        EXPECT_EQ(d.z0, 75);
        EXPECT_EQ(d.s[1][S11], Cx(0.125, 1));
    }
}

TEST(TouchstoneReader, RenormalisingChangesTheReferenceAndBackAgain)
{
    // A 75-ohm resistor measured against 75 ohm reflects nothing; against
    // 50 ohm it reflects 0.2.
    Data d = parsed("# MHz S RI R 75\n1 0 0\n", 1);
    std::string error;
    ASSERT_TRUE(Renormalise(d, 50, error)) << error;
    EXPECT_EQ(d.z0, 50);
    EXPECT_NEAR(std::abs(d.s[0][S11] - 0.2), 0, 1e-15);
    ASSERT_TRUE(Renormalise(d, 75, error)) << error;
    EXPECT_NEAR(std::abs(d.s[0][S11]), 0, 1e-15);

    // Data no passive network gives cannot be referred elsewhere; it stays
    // as it was.
    Data active = parsed("# Hz S RI R 100\n1 -3 0\n", 1);
    EXPECT_FALSE(Renormalise(active, 50, error));
    EXPECT_NE(error.find("cannot be renormalised to 50 ohm"), std::string::npos) << error;
    EXPECT_EQ(active.z0, 100);
    EXPECT_EQ(active.s[0][S11], Cx(-3, 0));
}

TEST(TouchstoneReader, InterpolatesInsideTheFileAndSaysNothingOutsideIt)
{
    const Data d = parsed("# Hz S RI\n1000 0 0\n3000 1 -1\n", 1);
    EXPECT_EQ(*Within(d, S11, 2000), Cx(0.5, -0.5));
    EXPECT_EQ(*Within(d, S11, 1000), Cx(0, 0));
    EXPECT_EQ(*Within(d, S11, 3000), Cx(1, -1));
    EXPECT_FALSE(Within(d, S11, 999.5));
    EXPECT_FALSE(Within(d, S11, 3000.5));
    // The bench's reading holds the end values instead.
    EXPECT_EQ(At(d, S11, 10), Cx(0, 0));
    EXPECT_EQ(At(d, S11, 1e6), Cx(1, -1));
}

TEST(TouchstoneReader, PortsFollowTheNamesExtension)
{
    EXPECT_EQ(PortsOfName("dut.s1p"), 1);
    EXPECT_EQ(PortsOfName("/data/FILTER.S2P"), 2);
    EXPECT_EQ(PortsOfName("dut.s3p"), 0);
    EXPECT_EQ(PortsOfName("s1p"), 0);
    EXPECT_EQ(PortsOfName("dut.csv"), 0);
}

cal::MeasuredSweep sweepOf(int mode)
{
    cal::MeasuredSweep s;
    s.mode = mode;
    s.refImpedance = {50, cal::Tiny};
    s.hz = {1000000, 2000000, 3000000};
    // (|Z|, degrees) in reflection; (dB, degrees) in transmission.
    if (mode == 1)
        s.points = {{100, 0}, {50, 90}, {12.5, -45}};
    else
        s.points = {{-3, 0}, {-20, 90}, {6, -45}};
    s.version = "1.3D";
    s.calFile = "refl.cal";
    s.calStatusText = "Calibrated";
    return s;
}

TEST(TouchstoneReader, WhatTheProgramWritesReadsBackAsTheMeasuredParameters)
{
    for (int mode : {0, 1}) {
        const cal::MeasuredSweep sweep = sweepOf(mode);
        const auto file = FromSweep(sweep, "Orbilan");
        ASSERT_TRUE(file);
        EXPECT_EQ(file->ports, mode == 1 ? 1 : 2);
        const std::string text = Text(file->header, file->ports, file->points);
        EXPECT_NE(text.find("! Calibration file: refl.cal (Calibrated)\r\n"), std::string::npos);
        const Data d = parsed(text, file->ports);
        ASSERT_EQ(d.hz.size(), sweep.size());
        for (std::size_t k = 0; k < sweep.size(); ++k) {
            const cal::Complex want = cal::SParameterOf(sweep, k);
            const Cx got = d.s[k][mode == 1 ? S11 : S21];
            EXPECT_EQ(d.hz[k], sweep.hz[k]);
            EXPECT_NEAR(got.real(), want.re, 1e-13) << "mode " << mode << " point " << k;
            EXPECT_NEAR(got.imag(), want.im, 1e-13) << "mode " << mode << " point " << k;
        }
    }
    // 100 ohm against 50 reflects a third.
    EXPECT_NEAR(cal::SParameterOf(sweepOf(1), 0).re, 1.0 / 3, 1e-12);
    // A group-delay sweep holds no phase: there is no Touchstone form of it.
    EXPECT_FALSE(FromSweep(sweepOf(2), "Orbilan"));
}

} // namespace
} // namespace orbilan::touchstone
