// Touchstone files of a measured sweep: the option line, the comments that
// say where the numbers came from, the data lines of one- and two-port files
// read back as numbers, and the conversions from corrected points.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "../cal/comma_locale.h"
#include "cal/measured_sweep.h"
#include "touchstone/touchstone.h"

namespace orbilan::touchstone {
namespace {

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, at - start));
        start = at + 2;
    }
    EXPECT_EQ(start, text.size()) << "the last line must end in CR-LF";
    return lines;
}

std::vector<std::string> dataLines(const std::string& text)
{
    std::vector<std::string> out;
    for (const std::string& line : linesOf(text))
        if (!line.empty() && line[0] != '!' && line[0] != '#')
            out.push_back(line);
    return out;
}

std::vector<double> numbersOf(const std::string& line)
{
    std::istringstream in(line);
    in.imbue(std::locale::classic());
    std::vector<double> v;
    double x = 0;
    while (in >> x)
        v.push_back(x);
    EXPECT_TRUE(in.eof()) << "not all numbers: " << line;
    return v;
}

Header source()
{
    Header s;
    s.program = "orbilan-cli";
    s.version = "1.3D";
    s.date = "07/12/2026";
    s.time = "13:00";
    s.calFile = "bench/refl.cal";
    s.calStatus = "Interpolated";
    s.averages = 16;
    s.adcWaitMs = 20;
    s.adcType = 2440;
    s.adcMode = 15;
    s.cds = true;
    s.z0 = 50;
    return s;
}

TEST(Touchstone, OnePortFileSaysWhereItsNumbersCameFromAndHoldsOneLinePerPoint)
{
    const std::vector<Point> points = {{1000000, {0.5, -0.25}}, {30000000, {-1.25e-7, 1}}};
    const std::string text = Text(source(), 1, points);
    const auto lines = linesOf(text);

    int optionLines = 0;
    for (const std::string& line : lines)
        if (!line.empty() && line[0] == '#') {
            ++optionLines;
            EXPECT_EQ(line, "# HZ S RI R 50");
        }
    EXPECT_EQ(optionLines, 1);
    EXPECT_NE(text.find("! Orbilan software for Kesp VNA version 1.3D (orbilan-cli)\r\n"), std::string::npos);
    EXPECT_NE(text.find("! Measured 07/12/2026 13:00"), std::string::npos);
    EXPECT_NE(text.find("! Calibration file: bench/refl.cal (Interpolated)"), std::string::npos);
    EXPECT_NE(text.find("Averages per point: 16  ADC wait: 20 ms  ADC type: 2440  ADC mode: 15  CDS: on"),
              std::string::npos);

    const auto data = dataLines(text);
    ASSERT_EQ(data.size(), 2u);
    EXPECT_EQ(data[0], "1000000 0.5 -0.25");
    const auto second = numbersOf(data[1]);
    ASSERT_EQ(second.size(), 3u);
    EXPECT_EQ(second[0], 30000000);
    EXPECT_DOUBLE_EQ(second[1], -1.25e-7);
    EXPECT_DOUBLE_EQ(second[2], 1);
}

TEST(Touchstone, APointThatIsNoNumberIsLeftOutAndSaidSo)
{
    const std::vector<Point> points = {
        {1000000, {0.5, -0.25}}, {2000000, {std::nan(""), 0}}, {3000000, {0.25, HUGE_VAL}}, {4000000, {0, 0}}};
    EXPECT_EQ(FirstNonFinite(points), std::optional<std::int32_t>(2000000));
    EXPECT_EQ(FirstNonFinite({points[0], points[3]}), std::nullopt);
    for (int ports : {1, 2}) {
        const std::string text = Text(source(), ports, points);
        const auto data = dataLines(text);
        ASSERT_EQ(data.size(), 2u);
        EXPECT_EQ(numbersOf(data[0])[0], 1000000);
        EXPECT_EQ(numbersOf(data[1])[0], 4000000);
        EXPECT_NE(text.find("! 2000000 Hz left out: its value is not a finite number\r\n"), std::string::npos);
        EXPECT_NE(text.find("! 3000000 Hz left out"), std::string::npos);
        EXPECT_EQ(text.find("NaN"), std::string::npos);
        EXPECT_EQ(text.find("Infinity"), std::string::npos);
    }
}

TEST(Touchstone, TwoPortFileCarriesS21InSecondPlaceAndZerosForWhatWasNotMeasured)
{
    const std::vector<Point> points = {{50000, {0.1, 0.2}}, {60000000, {-0.5, 0.125}}};
    const std::string text = Text(source(), 2, points);
    EXPECT_NE(text.find("S21 measured. S11, S12 and S22 were not measured and are written as 0."),
              std::string::npos);
    const auto data = dataLines(text);
    ASSERT_EQ(data.size(), 2u);
    for (std::size_t k = 0; k < data.size(); ++k) {
        const auto v = numbersOf(data[k]);
        ASSERT_EQ(v.size(), 9u);
        EXPECT_EQ(v[0], points[k].hz);
        EXPECT_EQ(v[1], 0);
        EXPECT_EQ(v[2], 0);
        EXPECT_DOUBLE_EQ(v[3], points[k].s.re);
        EXPECT_DOUBLE_EQ(v[4], points[k].s.im);
        for (std::size_t i = 5; i < 9; ++i)
            EXPECT_EQ(v[i], 0);
    }
}

TEST(Touchstone, NumbersKeepTheirPeriodAndFullPrecisionUnderADecimalCommaLocale)
{
    test::CommaLocale comma;
    if (!comma.active())
        GTEST_SKIP() << "no decimal-comma locale on this machine";
    Header s = source();
    s.z0 = static_cast<double>(75.3f);
    const double exact = 0.123456789012345;
    const std::string text = Text(s, 1, {{1234567, {exact, -2.5}}});
    // Seven digits say all a single-precision setting holds.
    EXPECT_NE(text.find("# HZ S RI R 75.3\r\n"), std::string::npos);
    const auto data = dataLines(text);
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(data[0], "1234567 0.123456789012345 -2.5");
}

TEST(Touchstone, AFileNameOrACommentWithALineBreakStaysInsideItsComment)
{
    Header s = source();
    s.calFile = "evil\r\n1000 1 2\nname.cal";
    s.comment = "lot 7\r2000 3 4";
    const std::string text = Text(s, 1, {{1000, {0, 0}}});
    EXPECT_EQ(dataLines(text).size(), 1u);
    EXPECT_NE(text.find("(orbilan-cli)\r\n! lot 7 2000 3 4\r\n"), std::string::npos) << text;
}

TEST(Touchstone, ReflectionComesFromTheMeasuredImpedanceAgainstTheReferenceImpedance)
{
    const cal::Complex z0{50, cal::Tiny};
    // A matched load reflects nothing; 100 ohm reflects a third; 25 ohm at
    // 0 degrees a third inverted.
    const cal::Complex matched = cal::ReflectionOfPoint({50, 0}, z0);
    EXPECT_NEAR(matched.re, 0, 1e-12);
    EXPECT_NEAR(matched.im, 0, 1e-12);
    EXPECT_NEAR(cal::ReflectionOfPoint({100, 0}, z0).re, 1.0 / 3, 1e-12);
    EXPECT_NEAR(cal::ReflectionOfPoint({25, 0}, z0).re, -1.0 / 3, 1e-12);
    // 50 ohm at +90 degrees (j50): rho = j.
    const cal::Complex inductive = cal::ReflectionOfPoint({50, 90}, z0);
    EXPECT_NEAR(inductive.re, 0, 1e-9);
    EXPECT_NEAR(inductive.im, 1, 1e-9);
    // The same 100 ohm is a match in a 100-ohm system.
    EXPECT_NEAR(cal::ReflectionOfPoint({100, 0}, {100, cal::Tiny}).re, 0, 1e-12);
    // The correction's zero (a reading on the short) is a short.
    EXPECT_NEAR(cal::ReflectionOfPoint({0, 45}, z0).re, -1, 1e-12);
}

TEST(Touchstone, TransmissionTurnsDecibelsOfAVoltageRatioAndDegreesIntoS21)
{
    const cal::Complex half = cal::TransmissionOfPoint({20 * std::log10(0.5), 90});
    EXPECT_NEAR(half.re, 0, 1e-12);
    EXPECT_NEAR(half.im, 0.5, 1e-12);
    const cal::Complex inverted = cal::TransmissionOfPoint({0, 180});
    EXPECT_NEAR(inverted.re, -1, 1e-12);
    EXPECT_NEAR(inverted.im, 0, 1e-12);
    const cal::Complex deep = cal::TransmissionOfPoint({-60, -45});
    EXPECT_NEAR(std::hypot(deep.re, deep.im), 1e-3, 1e-15);
    EXPECT_NEAR(std::atan2(deep.im, deep.re), -cal::Pi / 4, 1e-12);
}

} // namespace
} // namespace orbilan::touchstone
