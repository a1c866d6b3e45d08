// The RF bench: what can be connected, what it reflects or passes, how the
// error terms hide it, and that the program's calibration uncovers it again.
#include "sim_fixture.h"

#include <cmath>
#include <fstream>
#include <string>

#include "sim/auto_follow_platform.h"
#include "support/test_platform.h"

namespace {

using Cx = std::complex<double>;
constexpr double Pi = 3.14159265358979323846;

Cx gamma(double hz)
{
    double re = 0, im = 0;
    EXPECT_EQ(kesp_sim_true_gamma(hz, &re, &im), 1) << kesp_sim_connected_dut();
    return {re, im};
}

Cx s21(double hz)
{
    double re = 0, im = 0;
    EXPECT_EQ(kesp_sim_true_s21(hz, &re, &im), 1) << kesp_sim_connected_dut();
    return {re, im};
}

Cx gammaOf(Cx z) { return (z - 50.0) / (z + 50.0); }
Cx impedanceOf(Cx g) { return 50.0 * (1.0 + g) / (1.0 - g); }

std::string writeFile(const std::string& name, const std::string& text)
{
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path) << text;
    return path;
}

TEST_F(SimTest, DeviceTextsAreParsedOrRefusedWithAReason)
{
    EXPECT_STREQ(kesp_sim_configured_dut(), "refl:R=10,L=1u,C=100p,topology=series");
    for (const char* good : {"open", " SHORT ", "load", "load:R=75", "load:R=50,L=1n,C=1p", "thru", "isolation",
                             "refl:R=100", "refl:r=10, l=1u, c=100p, topology=Series", "refl:L=1u,topology=parallel",
                             "trans:series:R=100", "trans:shunt:C=100p", "refl:R=4.7k"})
        EXPECT_EQ(kesp_sim_set_dut(good), 1) << good << ": " << kesp_sim_last_error();

    const struct {
        const char* device;
        const char* reason;
    } bad[] = {{"", "no device"},
               {"opne", "unknown device"},
               {"open:R=1", "takes no parameters"},
               {"refl:", "at least one of R, L, C"},
               {"refl:R=", "is not a value"},
               {"refl:R=10x", "is not a value"},
               {"refl:R=-1", "must not be negative"},
               {"refl:R=1,R=2", "given twice"},
               {"refl:Q=1", "unknown parameter"},
               {"refl:R=1,topology=star", "series or parallel"},
               {"trans:R=100", "series: or shunt:"},
               {"load:topology=series", "unknown parameter"},
               {"/no/such/file.s1p", "cannot open"}};
    for (const auto& b : bad) {
        EXPECT_EQ(kesp_sim_set_dut(b.device), 0) << b.device;
        EXPECT_NE(std::string(kesp_sim_last_error()).find(b.reason), std::string::npos)
            << b.device << ": " << kesp_sim_last_error();
    }
    EXPECT_EQ(kesp_sim_set_dut(nullptr), 0);
    EXPECT_STREQ(kesp_sim_connected_dut(), "refl:R=4.7k") << "a refused text changes nothing";
}

TEST_F(SimTest, LumpedNetworksFollowTheirClosedForms)
{
    const double f = 7.3e6, w = 2 * Pi * f;
    const double f0 = 1 / (2 * Pi * std::sqrt(1e-6 * 100e-12));

    ASSERT_EQ(kesp_sim_set_dut("refl:R=10,L=1u,C=100p"), 1);
    EXPECT_NEAR(std::abs(gamma(f) - gammaOf(Cx(10, w * 1e-6 - 1 / (w * 100e-12)))), 0, 1e-12);
    EXPECT_NEAR(std::abs(gamma(f0) - gammaOf(10)), 0, 1e-9) << "series resonance leaves R";
    EXPECT_EQ(kesp_sim_true_s21(f, nullptr, nullptr), 0) << "a one-port has no S21";

    ASSERT_EQ(kesp_sim_set_dut("refl:R=200,L=1u,C=100p,topology=parallel"), 1);
    const Cx y = 1.0 / 200 + 1.0 / Cx(0, w * 1e-6) + Cx(0, w * 100e-12);
    EXPECT_NEAR(std::abs(gamma(f) - gammaOf(1.0 / y)), 0, 1e-12);
    EXPECT_NEAR(std::abs(gamma(f0) - gammaOf(200)), 0, 1e-9) << "parallel resonance leaves R";

    ASSERT_EQ(kesp_sim_set_dut("refl:R=4.7k"), 1);
    EXPECT_NEAR(gamma(f).real(), 4650.0 / 4750.0, 1e-12);

    ASSERT_EQ(kesp_sim_set_dut("load:R=75,L=10n,C=5p"), 1); // the calibration's load model
    const Cx zl = 1.0 / (1.0 / Cx(75, w * 10e-9) + Cx(0, w * 5e-12));
    EXPECT_NEAR(std::abs(gamma(f) - gammaOf(zl)), 0, 1e-12);

    ASSERT_EQ(kesp_sim_set_dut("trans:series:R=100"), 1);
    EXPECT_NEAR(std::abs(s21(f) - 0.5), 0, 1e-12);
    EXPECT_EQ(kesp_sim_true_gamma(f, nullptr, nullptr), 0) << "a two-port is not on the bridge";
    ASSERT_EQ(kesp_sim_set_dut("trans:series:L=1u"), 1);
    EXPECT_NEAR(std::abs(s21(f) - 100.0 / Cx(100, w * 1e-6)), 0, 1e-12);
    ASSERT_EQ(kesp_sim_set_dut("trans:shunt:R=25"), 1);
    EXPECT_NEAR(std::abs(s21(f) - 0.5), 0, 1e-12);

    // Ideal opens and shorts at 0 Hz instead of divisions by zero.
    ASSERT_EQ(kesp_sim_set_dut("refl:C=100p"), 1);
    EXPECT_EQ(gamma(0), Cx(1));
    ASSERT_EQ(kesp_sim_set_dut("refl:L=1u,topology=parallel"), 1);
    EXPECT_EQ(gamma(0), Cx(-1));
    ASSERT_EQ(kesp_sim_set_dut("trans:series:C=1n"), 1);
    EXPECT_EQ(s21(0), Cx(0));
    ASSERT_EQ(kesp_sim_set_dut("isolation"), 1);
    EXPECT_EQ(s21(f), Cx(0));
}

TEST_F(SimTest, TouchstoneFilesReadInEveryFormatAndUnit)
{
    // G = 0.2 + 0.1j at 1 MHz and -0.3 + 0.4j at 3 MHz, written five ways.
    const double m1 = std::abs(Cx(0.2, 0.1)), a1 = std::arg(Cx(0.2, 0.1)) * 180 / Pi;
    const double m2 = 0.5, a2 = std::arg(Cx(-0.3, 0.4)) * 180 / Pi;
    auto num = [](double v) {
        char b[40];
        std::snprintf(b, sizeof b, "%.17g", v);
        return std::string(b);
    };
    const std::string files[] = {
        "! comment\n# Hz S RI R 50\n1000000 0.2 0.1 ! trailing\n\n3e6 -0.3 0.4\n",
        "# khz s ma\n1000 " + num(m1) + " " + num(a1) + "\n3000 " + num(m2) + " " + num(a2) + "\n",
        "# MHz S DB R 50\n1 " + num(20 * std::log10(m1)) + " " + num(a1) + "\n3 " + num(20 * std::log10(m2)) + " " +
            num(a2) + "\n",
        "#\n0.001 " + num(m1) + " " + num(a1) + "\n0.003 " + num(m2) + " " + num(a2) + "\n",
        "# MHz S RI R 50\n# GHz S DB\n1 0.2 0.1\n3 -0.3 0.4\n"};
    int k = 0;
    for (const auto& text : files) {
        const std::string path = writeFile("format" + std::to_string(k++) + ".S1P", text);
        ASSERT_EQ(kesp_sim_set_dut(path.c_str()), 1) << text << kesp_sim_last_error();
        EXPECT_NEAR(std::abs(gamma(1e6) - Cx(0.2, 0.1)), 0, 1e-12) << text;
        EXPECT_NEAR(std::abs(gamma(3e6) - Cx(-0.3, 0.4)), 0, 1e-12) << text;
        EXPECT_NEAR(std::abs(gamma(2e6) - Cx(-0.05, 0.25)), 0, 1e-12) << "interpolated: " << text;
        EXPECT_NEAR(std::abs(gamma(0.5e6) - Cx(0.2, 0.1)), 0, 1e-12) << "held below the first point";
        EXPECT_NEAR(std::abs(gamma(60e6) - Cx(-0.3, 0.4)), 0, 1e-12) << "held above the last point";
    }
}

TEST_F(SimTest, TouchstoneDataIsRenormalisedToFiftyOhm)
{
    // 75 ohm measured against 75 ohm reflects nothing; against 50 ohm, 0.2.
    ASSERT_EQ(kesp_sim_set_dut(writeFile("r75.s1p", "# MHz S RI R 75\n1 0 0\n2 0 0\n").c_str()), 1);
    EXPECT_NEAR(std::abs(gamma(1.5e6) - 0.2), 0, 1e-12);

    // A 30-ohm series resistor described at 75 ohm; noise parameters follow.
    const double s11 = 30.0 / 180, s21v = 150.0 / 180;
    char line[200];
    std::snprintf(line, sizeof line, "%.17g 0 %.17g 0 %.17g 0 %.17g 0", s11, s21v, s21v, s11);
    const std::string text = std::string("# MHz S RI R 75\n1 ") + line + "\n10 " + line +
                             "\n! noise parameters\n1 2.0 0.5 10 0.3\n5 2.1 0.5 12 0.3\n";
    ASSERT_EQ(kesp_sim_set_dut(writeFile("series30.s2p", text).c_str()), 1) << kesp_sim_last_error();
    EXPECT_NEAR(std::abs(s21(5e6) - 100.0 / 130.0), 0, 1e-12);
    // An amplifier's gain is no fault.
    ASSERT_EQ(kesp_sim_set_dut(writeFile("amp.s2p", "# MHz S DB R 50\n1 -20 0 40 0 -60 0 -15 0\n").c_str()), 1)
        << kesp_sim_last_error();

    const struct {
        const char* text;
        const char* reason;
    } bad[] = {{"# Hz Z RI\n1 0 0\n", "only S parameters"},
               {"[Version] 2.0\n", "Touchstone 2"},
               {"# Hz S RI R 0\n1 0 0\n", "reference impedance"},
               {"# Hz S RI\n2 0 0\n1 0 0\n", "must rise"},
               {"# Hz S RI\n1 0 zero\n", "line 2"},
               {"# Hz S RI\n1 0 0\n2 0\n", "incomplete"},
               {"! nothing\n", "no data"},
               // Finite as written, not once scaled or renormalised.
               {"# Hz S DB\n1 2e6 0\n", "line 2: a value is too large"},
               {"# GHz S RI\n1e300 0 0\n", "line 2: a value is too large"},
               {"# Hz S RI R 100\n1 -3 0\n", "cannot be renormalised"},
               // Finite, but beyond any reading: said of the file, rather
               // than an instrument that seems not to answer.
               {"# Hz S RI R 50\r1000000 1e300 0\r30000000 1e300 1e300\r", "|S11| is 1E+300 at 1000000 Hz"},
               {"# Hz S MA R 50\n1000000 2e6 0\n", "beyond what the simulated bench can measure"}};
    for (const auto& b : bad) {
        EXPECT_EQ(kesp_sim_set_dut(writeFile("bad.s1p", b.text).c_str()), 0) << b.text;
        EXPECT_EQ(std::string(kesp_sim_last_error()).find(writeFile("bad.s1p", b.text)), 0u) << kesp_sim_last_error();
        EXPECT_NE(std::string(kesp_sim_last_error()).find(b.reason), std::string::npos) << kesp_sim_last_error();
    }
}

// The program's one-port correction with an ideal open and short and a load
// of impedance zl, and its transmission correction.
Cx onePort(Cx zl, Cx mo, Cx ms, Cx ml, Cx m) { return (mo - ml) * (m - ms) * zl / ((ml - ms) * (mo - m)); }
Cx transmission(Cx isol, Cx thru, Cx m) { return (m - isol) / (thru - isol); }

Cx rawOf(const char* device, double hz)
{
    EXPECT_EQ(kesp_sim_set_dut(device), 1) << device;
    double re = 0, im = 0;
    kesp_sim_raw_reading(hz, &re, &im);
    return {re, im};
}

TEST_F(SimTest, TheCalibrationRemovesTheErrorTermsExactly)
{
    for (double hz : {50e3, 1e6, 10e6, 33.3e6, 60e6}) {
        const Cx mo = rawOf("open", hz), ms = rawOf("short", hz);
        for (const char* dut :
             {"refl:R=10,L=1u,C=100p", "refl:R=100", "refl:R=3", "refl:R=2k,C=20p,topology=parallel"}) {
            const Cx m = rawOf(dut, hz);
            const Cx truth = impedanceOf(gamma(hz));
            EXPECT_NEAR(std::abs(onePort(50, mo, ms, rawOf("load", hz), m) / truth - 1.0), 0, 1e-9) << dut << " " << hz;
            // A load standard that is not 50 ohm, modelled as the program models it.
            const double w = 2 * Pi * hz;
            const Cx zl = 1.0 / (1.0 / Cx(75, w * 5e-9) + Cx(0, w * 2e-12));
            EXPECT_NEAR(std::abs(onePort(zl, mo, ms, rawOf("load:R=75,L=5n,C=2p", hz), m) / truth - 1.0), 0, 1e-9);
        }
        // The reflection reading keeps far inside the ADC range.
        EXPECT_LT(std::abs(mo) + kesp_sim_detector_offset(), 1.5);
        EXPECT_LT(std::abs(ms) + kesp_sim_detector_offset(), 1.5);

        const Cx isol = rawOf("isolation", hz), thru = rawOf("thru", hz);
        EXPECT_LT(std::abs(thru) + kesp_sim_detector_offset(), 1.5);
        for (const char* dut : {"trans:series:R=100", "trans:shunt:L=1u,C=1n", "trans:series:C=10p"}) {
            const Cx m = rawOf(dut, hz);
            EXPECT_NEAR(std::abs(transmission(isol, thru, m) - s21(hz)), 0, 1e-12) << dut << " " << hz;
        }
        // With CDS the program records zero isolation: the leakage is below noise.
        const Cx m = rawOf("trans:series:R=100", hz);
        EXPECT_LT(std::abs(transmission(0, thru, m) - s21(hz)), 1e-4);
    }
}

// One CDS point over USB as the program takes it: pairs (0, 2) and (1, 3).
Cx measureCds(std::uint32_t word)
{
    double v[4];
    for (int first : {0, 1}) {
        const auto a = wire::measureFrame(0x58, word, first, 10, 4);
        const auto b = wire::measureFrame(0x50, word, first + 2, 10, 4);
        kesp_sim_usb_write(a.data(), 15);
        kesp_sim_usb_write(b.data(), 15);
        std::uint8_t r[256];
        kesp_sim_usb_read(r, 255);
        v[first] = wire::resultVolts(r);
        kesp_sim_usb_read(r, 255);
        v[first + 2] = wire::resultVolts(r);
    }
    return {(v[0] - v[2]) / 2, (v[1] - v[3]) / 2};
}

TEST_F(SimTest, ANoisyMeasurementThroughTheWireCalibratesWellWithinHalfAPercent)
{
    kesp_sim_set_noise(1);
    kesp_sim_set_seed(42);
    for (double hz : {100e3, 20e6, 55e6}) {
        const std::uint32_t w = wire::tuningWord(hz);
        kesp_sim_set_dut("open");
        const Cx mo = measureCds(w);
        kesp_sim_set_dut("short");
        const Cx ms = measureCds(w);
        kesp_sim_set_dut("load");
        const Cx ml = measureCds(w);
        kesp_sim_set_dut("refl:R=100");
        const Cx z = onePort(50, mo, ms, ml, measureCds(w));
        EXPECT_LT(std::abs(z / 100.0 - 1.0), 0.005) << hz << " Hz: " << z;
        EXPECT_NE(z, Cx(100)) << "noise is on";
    }
}

TEST_F(SimTest, NoiseIsSmallGaussianAndRepeatsForASeed)
{
    kesp_sim_set_noise(1);
    auto take = [](std::uint64_t seed) {
        kesp_sim_set_seed(seed);
        std::vector<double> v;
        for (int frame = 0; frame < 40; ++frame) {
            const auto f = wire::measureFrame(0x50, wire::tuningWord(5e6), 0, 0, 62);
            kesp_sim_usb_write(f.data(), 15);
            std::uint8_t r[256];
            kesp_sim_usb_read(r, 255);
            for (int j = 1; j <= r[4]; ++j)
                v.push_back(wire::voltsForWord(static_cast<std::uint32_t>(r[4 * j + 1]) << 24 |
                                               static_cast<std::uint32_t>(r[4 * j + 2]) << 16 |
                                               static_cast<std::uint32_t>(r[4 * j + 3]) << 8 | r[4 * j + 4]));
        }
        return v;
    };
    const auto a = take(7), b = take(7), c = take(8);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    double mean = 0, square = 0;
    for (double x : a)
        mean += x / a.size();
    for (double x : a)
        square += (x - mean) * (x - mean) / a.size();
    EXPECT_GT(std::sqrt(square), 10e-6);
    EXPECT_LT(std::sqrt(square), 30e-6);
    EXPECT_NEAR(mean, predicted(wire::tuningWord(5e6) * 148330000.0 / 4294967296.0, 0), 3e-6);
}

TEST_F(SimTest, AutoFollowConnectsTheStandardEachPromptNames)
{
    const struct {
        const char* prompt;
        const char* connects;
    } steps[] = {{"Connect open circuit reference, then click OK", "open"},
                 {"Connect short circuit reference, then click OK", "short"},
                 {"Connect reference load, then click OK", "load:R=75"},
                 {"Connect thru, then click OK", "thru"},
                 {"Leave detector port open, then click OK", "isolation"},
                 {" Save calibration file now?", "isolation"}};
    ASSERT_EQ(kesp_sim_set_load_standard("load:R=75"), 1);
    EXPECT_EQ(kesp_sim_set_load_standard("short"), 0);

    orbilan::ui::ScriptedPlatform inner;
    orbilan::sim::AutoFollowPlatform platform(inner);
    for (const auto& s : steps) {
        inner.queue(orbilan::ui::Answer::ok());
        EXPECT_EQ(platform.messageBox(s.prompt, orbilan::ui::MsgButtons::OkCancel, orbilan::ui::MsgIcon::None, "VNA"),
                  orbilan::ui::MsgResult::Ok);
        EXPECT_STREQ(kesp_sim_connected_dut(), s.connects) << s.prompt;
    }
    EXPECT_EQ(inner.dialogs().size(), 6u) << "every box still reaches the front end";
    kesp_sim_calibration_done();
    EXPECT_STREQ(kesp_sim_connected_dut(), "refl:R=10,L=1u,C=100p,topology=series");

    kesp_sim_set_auto_follow(0);
    kesp_sim_prompt("Connect short circuit reference, then click OK");
    EXPECT_STREQ(kesp_sim_connected_dut(), "refl:R=10,L=1u,C=100p,topology=series");
}

TEST_F(SimTest, TheEnvironmentConfiguresAReset)
{
    setenv("KESP_SIM_DUT", "trans:shunt:R=25", 1);
    setenv("KESP_SIM_PORT", "&H278", 1);
    setenv("KESP_SIM_FAULT", "not-ready", 1);
    setenv("KESP_SIM_AUTO_FOLLOW", "0", 1);
    setenv("KESP_SIM_CLOCK", "180M", 1);
    kesp_sim_reset();
    EXPECT_STREQ(kesp_sim_connected_dut(), "trans:shunt:R=25");
    kesp_sim_prompt("Connect thru, then click OK");
    EXPECT_STREQ(kesp_sim_connected_dut(), "trans:shunt:R=25");
    port.base = 0x278;
    port.resetSerial();
    port.load(23860929, 0);
    EXPECT_NEAR(dds(0).hz, 1e6, 0.1);
    std::uint8_t r[256];
    kesp_sim_usb_read(r, 255);
    EXPECT_EQ(r[1] & 0x40, 0x40);

    // Values that make no sense leave the defaults (with a warning on stderr).
    setenv("KESP_SIM_DUT", "bogus", 1);
    setenv("KESP_SIM_PORT", "parallel", 1);
    setenv("KESP_SIM_FAULT", "sometimes", 1);
    setenv("KESP_SIM_TIMING", "soon", 1);
    kesp_sim_reset();
    EXPECT_STREQ(kesp_sim_connected_dut(), "refl:R=10,L=1u,C=100p,topology=series");
    EXPECT_EQ(kesp_sim_port_in(0x378), 0);
    kesp_sim_usb_read(r, 255);
    EXPECT_EQ(r[1] & 0x40, 0);
    for (const char* name : {"KESP_SIM_DUT", "KESP_SIM_PORT", "KESP_SIM_FAULT", "KESP_SIM_AUTO_FOLLOW",
                             "KESP_SIM_CLOCK", "KESP_SIM_TIMING"})
        unsetenv(name);
}

} // namespace
