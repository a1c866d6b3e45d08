// The calibration file: the exact text written, a read of every notation a
// number may take, and refusal of anything incomplete or malformed.
#include <string>

#include <gtest/gtest.h>

#include "cal/cal_file.h"
#include "comma_locale.h"

using namespace orbilan::cal;

namespace {

CalFileData sample()
{
    CalFileData d;
    d.AdcType = 2410;
    d.AdcMode = 0;
    d.AdcAverages = 1;
    d.AdcWaitMs = 10;
    d.Cds = false;
    d.Points = 2;
    d.Modes = 3;
    d.Freq[1] = 1000000;
    d.Freq[2] = 60000000;
    d.LoadModel[1] = {50, 1e20};
    d.LoadModel[2] = {49.999999999999, -0.0314159265358979};
    d.Open[1] = {0.5, -1.25e-07};
    d.Short[1] = {-0.25, 1.5};
    d.Load[1] = {0.125, -0.0625};
    d.Isol[1] = {1e-5, 0};
    d.Thru[1] = {0.75, 0.001};
    d.Open[2] = {-2.5, 2.4999999};
    return d;
}

const char* const sampleText =
    "2410,0\r\n1,10\r\n#FALSE#\r\n2\r\n3\r\n"
    "1000000,50,1E+20,0.5,-1.25E-07,-0.25,1.5,0.125,-0.0625,1E-05,0,0.75,0.001\r\n"
    "60000000,49.999999999999,-0.0314159265358979,-2.5,2.4999999,0,0,0,0,0,0,0,0\r\n";

} // namespace

TEST(CalFile, WritesTheExactText)
{
    EXPECT_EQ(WriteCalFile(sample()), sampleText);
    CalFileData d = sample();
    d.Cds = true;
    d.AdcType = 2440;
    d.AdcMode = 15;
    EXPECT_EQ(WriteCalFile(d).substr(0, 21), "2440,15\r\n1,10\r\n#TRUE#");
}

TEST(CalFile, WritesAPeriodInADecimalCommaLocale)
{
    orbilan::test::CommaLocale comma;
    if (!comma.active())
        GTEST_SKIP() << "no decimal-comma locale available";
    EXPECT_EQ(WriteCalFile(sample()), sampleText);
    EXPECT_EQ(FileNumber(-1.25e-7), "-1.25E-07");
}

TEST(CalFile, ReadsBackWhatItWrote)
{
    const auto d = ReadCalFile(sampleText);
    ASSERT_TRUE(d);
    const CalFileData s = sample();
    EXPECT_EQ(d->AdcType, 2410);
    EXPECT_EQ(d->AdcWaitMs, 10);
    EXPECT_EQ(d->Points, 2);
    EXPECT_EQ(d->Modes, 3);
    EXPECT_FALSE(d->Cds);
    EXPECT_EQ(d->Freq, s.Freq);
    EXPECT_EQ(d->LoadModel, s.LoadModel);
    EXPECT_EQ(d->Open, s.Open);
    EXPECT_EQ(d->Short, s.Short);
    EXPECT_EQ(d->Load, s.Load);
    EXPECT_EQ(d->Isol, s.Isol);
    EXPECT_EQ(d->Thru, s.Thru);
}

TEST(CalFile, ReadsAnyNotationAndLineEnd)
{
    const std::string text = "2440,3\n4,20\n#TRUE#\n1\n1\n"
                             "5e4,+.5,-.25,0.5E1,5.,1e-3,-1.5e+2,0,0, 1 ,2,3,4";
    const auto d = ReadCalFile(text);
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->Cds);
    EXPECT_EQ(d->Freq[1], 50000);
    EXPECT_EQ(d->LoadModel[1], (Complex{0.5, -0.25}));
    EXPECT_EQ(d->Open[1], (Complex{5, 5}));
    EXPECT_EQ(d->Short[1], (Complex{0.001, -150}));
    EXPECT_EQ(d->Isol[1], (Complex{1, 2}));
    EXPECT_EQ(d->Thru[1], (Complex{3, 4}));
    EXPECT_EQ(d->Freq[2], 0); // nothing beyond the announced points

    // Beyond the range of a double: too small is zero, too large no number.
    const std::string head = "2410,0\n1,10\n#FALSE#\n1\n1\n";
    const auto tiny = ReadCalFile(head + "1,1E-400,0.0000,0,0,0,0,0,0,0,0,0,0");
    ASSERT_TRUE(tiny);
    EXPECT_EQ(tiny->LoadModel[1].re, 0);
    EXPECT_FALSE(ReadCalFile(head + "1,1E+400,0,0,0,0,0,0,0,0,0,0,0"));
    // The largest double survives a write and a read (the load's model is
    // an impedance and may be anything).
    CalFileData big;
    big.Points = 1;
    big.LoadModel[1] = {1.7976931348623157e308, -1.7976931348623157e308};
    const auto back = ReadCalFile(WriteCalFile(big));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->LoadModel[1], big.LoadModel[1]);
    // A reading is detector volts: none is near 1e308, which would make the
    // corrections overflow.
    big.Open[1] = {1e308, 0};
    EXPECT_FALSE(ReadCalFile(WriteCalFile(big)));
    big.Open[1] = {0, 0};
    big.Thru[1] = {0, -1001};
    EXPECT_FALSE(ReadCalFile(WriteCalFile(big)));
    big.Thru[1] = {0, -1000};
    EXPECT_TRUE(ReadCalFile(WriteCalFile(big)));
}

TEST(CalFile, RefusesIncompleteOrMalformedFiles)
{
    const std::string head = "2410,0\r\n1,10\r\n#FALSE#\r\n2\r\n3\r\n";
    const std::string line = "1000000,50,1E+20,0.5,-1.25E-07,-0.25,1.5,0.125,-0.0625,1E-05,0,0.75,0.001\r\n";
    struct Case { std::string text; int line; } cases[] = {
        {"", 1},
        {"hello world\r\n", 1},
        {head + line, 7},                                  // fewer point lines than announced
        {head + line + "2000000,1,2\r\n", 7},              // a short point line
        {head + line + line.substr(0, line.size() - 2) + ",7\r\n", 7}, // one field too many
        {head + line + "2000000,x,0,0,0,0,0,0,0,0,0,0,0\r\n", 7},
        {head + line + "2000000,nan,0,0,0,0,0,0,0,0,0,0,0\r\n", 7},
        {head + line + "2000000,1e999,0,0,0,0,0,0,0,0,0,0,0\r\n", 7},
        {"2410\r\n1,10\r\n#FALSE#\r\n1\r\n3\r\n" + line, 1},
        {"2410,0\r\n1,10\r\nFALSE\r\n1\r\n3\r\n" + line, 3},
        {"2410,0\r\n1,10\r\n#FALSE#\r\n0\r\n3\r\n", 4},    // no points
        {"2410,0\r\n1,10\r\n#FALSE#\r\n402\r\n3\r\n", 4},
        {"2410,0\r\n1,10\r\n#FALSE#\r\n1\r\n4\r\n" + line, 5},
        {"99999,0\r\n1,10\r\n#FALSE#\r\n1\r\n3\r\n" + line, 1}, // beyond a 16-bit integer
        {"2410,0\r\n1,10\r\n#FALSE#\r\n1\r\n3\r\n3e9" + line.substr(7), 6},
        // The layout of an older version: no CDS line.
        {"2410,0\r\n1,10\r\n1\r\n3\r\n" + line, 3},
        // No readings per point: every point would carry an earlier reading.
        {"2410,0\r\n0,10\r\n#FALSE#\r\n2\r\n3\r\n" + line + line, 2},
        {"2410,0\r\n-2,10\r\n#FALSE#\r\n2\r\n3\r\n" + line, 2},
        // Two lines swapped: interpolation would look in the wrong place.
        {head + "2000000" + line.substr(7) + line, 7},
    };
    for (const auto& c : cases) {
        int failed = 0;
        EXPECT_FALSE(ReadCalFile(c.text, &failed)) << c.text;
        EXPECT_EQ(failed, c.line) << c.text;
    }
}

TEST(CalFile, NeighboursMayShareAFrequency)
{
    // A 10 Hz span of 401 points rounds many neighbours to the same hertz.
    const std::string tail = ",0,0,0,0,0,0,0,0,0,0,0,0\r\n";
    const auto d = ReadCalFile("2410,0\r\n1,10\r\n#FALSE#\r\n3\r\n2\r\n1000000" + tail + "1000000" + tail + "1000001" + tail);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->Freq[2], 1000000);
    EXPECT_EQ(d->Freq[3], 1000001);
}
