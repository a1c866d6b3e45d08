// What the time-domain view shows of a pass: the line where it ends, the
// resolution and range with a warning past the range, the message and the
// advice where the pass gives no time domain, the markers' texts, the scales.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "app/tdr_view.h"
#include "cal/complex.h"
#include "display/recording_surface.h"

namespace orbilan::app {
namespace {

using Cx = std::complex<double>;
using analysis::TdrMode;
using display::DrawnItem;

constexpr double Z0 = 50;

// A reflection sweep as the window hands it out: (|Z| ohm, degrees) per point.
cal::MeasuredSweep reflectionSweep(double first, double step, int points, const std::function<Cx(double)>& s11)
{
    cal::MeasuredSweep s;
    s.mode = 1;
    s.date = "2024-05-01";
    s.time = "12:00:00";
    s.calStatusText = "Calibrated";
    for (int k = 0; k < points; ++k) {
        const double f = first + k * step;
        const Cx z = Z0 * (1.0 + s11(f)) / (1.0 - s11(f));
        s.hz.push_back(static_cast<std::int32_t>(std::lround(f)));
        s.points.push_back({std::abs(z), std::arg(z) * 180 / std::numbers::pi});
    }
    return s;
}

// A lossless 50-ohm line of the length and velocity factor into a resistor.
std::function<Cx(double)> lineInto(double metres, double vf, double ohms)
{
    const double tau = analysis::TimeOfDistance(metres, vf);
    const double rho = (ohms - Z0) / (ohms + Z0);
    return [=](double f) { return rho * std::polar(1.0, -2 * std::numbers::pi * f * tau); };
}

// The harmonic sweep of 200 steps up to 30 MHz.
cal::MeasuredSweep tdrSweepOf(const std::function<Cx(double)>& s11) { return reflectionSweep(149253, 149253, 201, s11); }

TdrSettings settingsWith(double vf)
{
    TdrSettings s;
    s.velocityFactor = vf;
    return s;
}

TEST(TdrView, ALineIntoOneHundredOhmReadsItsLengthAndImpedanceAtTheMarker)
{
    const cal::MeasuredSweep sweep = tdrSweepOf(lineInto(40, 0.66, 100));
    const TdrPicture p = TdrPictureOf(&sweep, settingsWith(0.66));
    ASSERT_TRUE(p.shown) << p.message;
    EXPECT_TRUE(p.message.empty());
    EXPECT_TRUE(p.warning.empty());

    const auto at = LargestReflectionTime(p);
    ASSERT_TRUE(at);
    const auto end = ReadingAt(p, *at);
    ASSERT_TRUE(end);
    EXPECT_NEAR(end->distance, 40, p.resolution / 4);
    // Half way up the step at the end; the resistor one resolution later.
    const auto before = ReadingAt(p, analysis::TimeOfDistance(40 - 2 * p.resolution, 0.66));
    const auto after = ReadingAt(p, analysis::TimeOfDistance(40 + 2 * p.resolution, 0.66));
    ASSERT_TRUE(before && after);
    EXPECT_NEAR(before->impedance, 50, 1);
    EXPECT_NEAR(before->rho, 0, 0.01);
    EXPECT_NEAR(after->impedance, 100, 2);
    EXPECT_NEAR(after->rho, 1.0 / 3, 0.01);

    const std::vector<display::ReadoutLine> lines = MarkerReadout(p, {true, *at, after->time});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, "A  " + ReadingText(p, *end));
    EXPECT_EQ(lines[1].text, "B  " + ReadingText(p, *after));
    EXPECT_EQ(lines[1].text.rfind("B  " + LengthText(after->distance, LengthUnit::Metres) + "   ", 0), 0u);
    EXPECT_NE(lines[1].text.find("rho 0.33"), std::string::npos) << lines[1].text;
    EXPECT_EQ(lines[2].text.rfind("B-A  " + LengthText(after->distance - end->distance, LengthUnit::Metres), 0), 0u)
        << lines[2].text;
    EXPECT_TRUE(MarkerReadout(p, {false, *at, after->time}).empty());

    // The impedance axis holds both levels; Z0 is among its lines.
    EXPECT_LE(p.bottom, 50);
    EXPECT_GE(p.top, 100);
    EXPECT_EQ(p.yUnitText, "ohm");
    EXPECT_EQ(p.xUnitText, "m");
}

TEST(TdrView, ResolutionAndRangeFollowTheSweepAndTheVelocityFactor)
{
    const cal::MeasuredSweep sweep = tdrSweepOf(lineInto(40, 0.66, 100));
    for (double vf : {0.66, 1.0}) {
        const TdrPicture p = TdrPictureOf(&sweep, settingsWith(vf));
        ASSERT_TRUE(p.shown);
        EXPECT_NEAR(p.resolution, analysis::SpeedOfLight * vf / (2 * 201 * 149253.0), 1e-6);
        EXPECT_NEAR(p.range, analysis::SpeedOfLight * vf / (2 * 149253.0), 1e-6);
        // The axis reaches the range, at most a division and a half beyond.
        EXPECT_GE(p.right, p.range);
        EXPECT_LT(p.right, p.range * 1.5);
        EXPECT_EQ(p.summary.rfind("Low-pass, Kaiser window (beta 6), velocity factor ", 0), 0u) << p.summary;
        EXPECT_NE(p.summary.find("resolution " + LengthText(p.resolution, LengthUnit::Metres) + " ("),
                  std::string::npos)
            << p.summary;
    }
    const TdrPicture p = TdrPictureOf(&sweep, settingsWith(0.66));
    EXPECT_NE(p.summary.find("alias-free range 662.84 m (2174.7 ft)"), std::string::npos) << p.summary;
    EXPECT_EQ(p.pass, "Pass of 2024-05-01 12:00:00: 201 points, 0.149253 to 29.999853 MHz, Calibrated; "
                      "reflection at DC 0.333 (carried on from the lowest two points)");
}

TEST(TdrView, AnAskedRangeBeyondTheAliasFreeRangeIsWarnedAndTheTraceEndsThere)
{
    const cal::MeasuredSweep sweep = tdrSweepOf(lineInto(40, 0.66, 100));
    TdrSettings s = settingsWith(0.66);

    s.maxDistance = 100; // inside: the rows end there, no warning
    TdrPicture p = TdrPictureOf(&sweep, s);
    ASSERT_TRUE(p.shown);
    EXPECT_TRUE(p.warning.empty());
    EXPECT_EQ(p.right, 100);
    EXPECT_LE(analysis::DistanceOfTime(p.result.time[p.rows - 1], 0.66), 100);
    EXPECT_GT(analysis::DistanceOfTime(p.result.time[p.rows], 0.66), 100);

    s.maxDistance = 1000; // beyond 662.84 m
    p = TdrPictureOf(&sweep, s);
    ASSERT_TRUE(p.shown);
    EXPECT_EQ(p.warning.rfind("The asked range of 1000.00 m lies beyond the alias-free range of 662.84 m", 0), 0u)
        << p.warning;
    EXPECT_EQ(p.rows, p.result.size());
    EXPECT_EQ(p.right, 1000);
    display::RecordingSurface drawn;
    DrawTdrPicture(drawn, p, {});
    const auto range = drawn.of(DrawnItem::Kind::Line, display::DrawRole::Overlay);
    ASSERT_EQ(range.size(), 1u) << "the end of the range is marked on the axis";
    EXPECT_NEAR(range[0].points[0].x, p.range, 1e-6);

    // In feet the asked distance is given and shown in feet.
    s.units = LengthUnit::Feet;
    s.maxDistance = 300 * analysis::MetresPerFoot;
    p = TdrPictureOf(&sweep, s);
    EXPECT_TRUE(p.warning.empty());
    EXPECT_NEAR(p.right, 300, 1e-9);
    EXPECT_EQ(p.xUnitText, "ft");
    EXPECT_NEAR(AxisValueOfTime(p, analysis::TimeOfDistance(30.48, 0.66)), 100, 1e-9);
}

TEST(TdrView, APassWithoutTimeDomainSaysWhyAndHowToSweepForIt)
{
    TdrSettings s;
    TdrPicture p = TdrPictureOf(nullptr, s);
    EXPECT_FALSE(p.shown);
    EXPECT_NE(p.message.find("No complete sweep yet"), std::string::npos);
    EXPECT_NE(p.message.find("TDR Sweep (start = step)"), std::string::npos);

    cal::MeasuredSweep transmission = tdrSweepOf(lineInto(10, 1, 75));
    transmission.mode = 0;
    p = TdrPictureOf(&transmission, s);
    EXPECT_FALSE(p.shown);
    EXPECT_EQ(p.message, "Time domain needs a reflection sweep; the last complete pass measured transmission. "
                         "Choose Refl, calibrate and sweep.");

    // 1 to 30 MHz: evenly spaced, but not whole multiples of its step.
    const cal::MeasuredSweep plain = reflectionSweep(1e6, 145e3, 201, lineInto(10, 1, 75));
    p = TdrPictureOf(&plain, s);
    EXPECT_FALSE(p.shown);
    EXPECT_EQ(p.message, "Low-pass needs a harmonic sweep, every frequency a whole multiple of the step: the sweep "
                         "starts at 1000000 Hz, not at its step 145000 Hz. Set one with TDR Sweep in this window "
                         "(start = step for the stop and the steps you give), calibrate it and sweep again; or "
                         "choose band-pass.");
    display::RecordingSurface drawn;
    DrawTdrPicture(drawn, p, {true, 0, 0});
    EXPECT_TRUE(drawn.of(DrawnItem::Kind::Polyline).empty());
    EXPECT_TRUE(drawn.of(DrawnItem::Kind::Marker).empty());
    EXPECT_FALSE(drawn.of(DrawnItem::Kind::Line, display::DrawRole::Grid).empty()) << "the empty graticule";

    // Band-pass takes it: the impulse magnitude, whatever was asked to be shown.
    s.transform.mode = TdrMode::BandPass;
    s.quantity = TdrQuantity::Impedance;
    p = TdrPictureOf(&plain, s);
    ASSERT_TRUE(p.shown) << p.message;
    EXPECT_EQ(p.quantity, TdrQuantity::Impulse);
    EXPECT_EQ(p.yUnitText, "|impulse|");
    EXPECT_EQ(p.bottom, 0);
    const auto end = ReadingAt(p, *LargestReflectionTime(p));
    ASSERT_TRUE(end);
    EXPECT_FALSE(end->hasStep);
    EXPECT_NEAR(end->distance, 10, p.resolution / 2);
    EXPECT_NE(ReadingText(p, *end).find("impulse 0.2"), std::string::npos) << ReadingText(p, *end);
}

TEST(TdrView, ReadingsAreWrittenInTheUnitAndTheUsersDecimalSeparator)
{
    TdrPicture p;
    p.settings.units = LengthUnit::Metres;
    TdrReading r;
    r.time = 121.25e-9;
    r.distance = 12;
    r.hasStep = true;
    r.rho = 1.0 / 3;
    r.impedance = 100;
    EXPECT_EQ(ReadingText(p, r), "12.00 m   121.3 ns   rho 0.333   Z 100 ohm");
    p.decimalSeparator = ',';
    p.settings.units = LengthUnit::Feet;
    r.rho = 0.9999999;
    r.impedance = 1e9;
    EXPECT_EQ(ReadingText(p, r), "39,4 ft   121,3 ns   rho 1,000   Z > 100 kohm");
    r.hasStep = false;
    r.impulse = -0.25;
    EXPECT_EQ(ReadingText(p, r), "39,4 ft   121,3 ns   impulse -0,250");
}

TEST(TdrView, AxesEndOnNiceValuesAndATimeAxisReadsNanoseconds)
{
    const struct {
        double span;
        double step;
    } cases[] = {{100, 10}, {662.77, 80}, {1000, 100}, {12.5, 1.5}, {0.3, 0.03}, {1e-9, 1e-10}};
    for (const auto& c : cases)
        EXPECT_NEAR(NiceStep(c.span, 10), c.step, c.step * 1e-12) << c.span;
    EXPECT_EQ(NiceStep(0, 10), 1);
    EXPECT_EQ(NiceStep(std::nan(""), 10), 1);

    const cal::MeasuredSweep sweep = tdrSweepOf(lineInto(40, 0.66, 100));
    TdrSettings s = settingsWith(0.66);
    s.axis = TdrAxis::Time;
    s.maxDistance = 60;
    TdrPicture p = TdrPictureOf(&sweep, s);
    ASSERT_TRUE(p.shown);
    EXPECT_EQ(p.xUnitText, "ns");
    EXPECT_NEAR(AxisValueOfTime(p, 200e-9), 200, 1e-9);
    EXPECT_NEAR(TimeOfAxisValue(p, 200), 200e-9, 1e-18);
    EXPECT_GE(p.right, 2 * 60 / (analysis::SpeedOfLight * 0.66) * 1e9);
    s.maxDistance = 0; // the whole range: some microseconds
    p = TdrPictureOf(&sweep, s);
    EXPECT_EQ(p.xUnitText, "\xC2\xB5s");
    EXPECT_NEAR(TimeOfAxisValue(p, AxisValueOfTime(p, 3e-6)), 3e-6, 1e-15);
}

TEST(TdrView, ThePictureIsTheGridTheTraceAndTheMarkersOnTheirSamples)
{
    const cal::MeasuredSweep sweep = tdrSweepOf(lineInto(40, 0.66, 100));
    TdrSettings s = settingsWith(0.66);
    s.maxDistance = 80;
    s.quantity = TdrQuantity::Step;
    const TdrPicture p = TdrPictureOf(&sweep, s);
    ASSERT_TRUE(p.shown);
    const double a = analysis::TimeOfDistance(20, 0.66), b = analysis::TimeOfDistance(60, 0.66);
    display::RecordingSurface drawn;
    DrawTdrPicture(drawn, p, {true, a, b});

    const auto traces = drawn.of(DrawnItem::Kind::Polyline, display::DrawRole::Trace);
    ASSERT_EQ(traces.size(), 1u);
    ASSERT_EQ(traces[0].points.size(), p.rows);
    EXPECT_EQ(traces[0].scale.right, 80);
    EXPECT_EQ(traces[0].scale.top, p.top);
    EXPECT_NEAR(traces[0].points.back().x, 80, p.resolution);
    const auto markers = drawn.of(DrawnItem::Kind::Marker);
    ASSERT_EQ(markers.size(), 2u);
    EXPECT_EQ(markers[0].label, 'A');
    EXPECT_NEAR(markers[0].points[0].x, 20, analysis::DistanceOfTime(p.result.timeStep, 0.66));
    EXPECT_NEAR(markers[0].points[0].y, 0, 0.01);
    EXPECT_EQ(markers[1].label, 'B');
    EXPECT_NEAR(markers[1].points[0].y, 1.0 / 3, 0.01);
    // Captions: the last distance with its unit, rho above the values.
    bool unit = false, rho = false;
    for (const DrawnItem& t : drawn.of(DrawnItem::Kind::Text)) {
        unit = unit || t.text == "80 m";
        rho = rho || t.text == "rho";
    }
    EXPECT_TRUE(unit);
    EXPECT_TRUE(rho);
    // No alias-free line inside an axis that stops short of the range.
    EXPECT_TRUE(drawn.of(DrawnItem::Kind::Line, display::DrawRole::Overlay).empty());
}

} // namespace
} // namespace orbilan::app
