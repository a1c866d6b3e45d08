// End-to-end accuracy: calibrate the simulated instrument and measure known
// devices with orbilan-cli's calibrate and measure, then compare what the
// files say with the simulator's truth for the device connected. The worst
// error of each device is printed; each must stay inside a limit set by the
// simulator's noise (detector noise and ADC quantisation), checked over
// several noise seeds so that a lucky seed cannot pass.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "cli/measurement_commands.h"
#include "sim/kesp_sim.h"
#include "support/test_platform.h"

namespace orbilan::cli {
namespace {

namespace fs = std::filesystem;
using Cx = std::complex<double>;
using Args = std::vector<std::string>;

constexpr std::uint64_t Seeds[] = {1, 2, 3, 4, 5};
// The sweep of every calibration and measurement: 0.5 to 60 MHz, 201 points.
const Args Sweep = {"--start", "500k", "--stop", "60m", "--steps", "200"};
constexpr int Points = 201;
constexpr const char* ApertureHz = "100000";
// A group delay is a phase step over a narrow aperture: 1 ns at 100 kHz is
// 0.036 degrees, which a single reading 20 dB down in a stop band does not
// resolve through the detector's noise. Four readings per point do.
constexpr const char* GroupDelayAverages = "4";

// Where transmission errors are compared: below this the detector noise
// floor, not the calibration, decides the reading.
constexpr double TransmissionFloorDb = -40;
constexpr double GroupDelayFloorDb = -20;

// The limits: about three times the worst error seen over twenty seeds. The
// simulator's detector noise is a fixed voltage, so a reading far below the
// thru (an attenuator, a stop band) carries more error in dB and degrees.
struct Limits {
    double rho = 0;  // |measured rho - true rho|
    double db = 0;   // |dB error|
    double deg = 0;  // |phase error|, degrees
    bool groupDelay = false; // group delay within GroupDelayShare of the truth + GroupDelayFloorNs
};

// A group delay is what a user reads off the device itself: the instrument's
// own path delay must not be in it.
constexpr double GroupDelayShare = 0.02;
constexpr double GroupDelayFloorNs = 1;
double groupDelayAllowanceNs(double truthNs) { return GroupDelayShare * std::abs(truthNs) + GroupDelayFloorNs; }

// A 50 ns line, matched: its phase falls by 18 degrees per MHz. Written finely
// enough that the simulator's interpolation between rows keeps the delay.
constexpr double DelayLineSeconds = 50e-9;
std::string delayLineTouchstone()
{
    std::string text = "! 50 ns delay line, matched, lossless\n# HZ S RI R 50\n";
    char row[160];
    for (int k = 4; k <= 2404; ++k) {
        const double hz = k * 25000.0;
        const double phase = -2 * M_PI * hz * DelayLineSeconds;
        std::snprintf(row, sizeof row, "%.0f 0 0 %.12f %.12f %.12f %.12f 0 0\n", hz, std::cos(phase),
                      std::sin(phase), std::cos(phase), std::sin(phase));
        text += row;
    }
    return text;
}

struct Device {
    std::string name;
    std::string dut;   // the simulator's connection text
    bool reflection = true;
    Limits limits;
};

std::string data(const std::string& file) { return std::string(ORBILAN_TEST_DATA_DIR) + "/" + file; }

std::vector<Device> devices(const std::string& delayLine)
{
    const Limits oneport{0.0015, 0, 0, false};
    return {
        {"resistor 5 ohm", "refl:R=5", true, oneport},
        {"resistor 25 ohm", "refl:R=25", true, oneport},
        {"resistor 50 ohm", "refl:R=50", true, oneport},
        {"resistor 100 ohm", "refl:R=100", true, oneport},
        {"resistor 500 ohm", "refl:R=500", true, oneport},
        {"resistor 2 kohm", "refl:R=2k", true, oneport},
        {"series RLC 10 ohm, 1 uH, 100 pF", "refl:R=10,L=1u,C=100p,topology=series", true, oneport},
        {"parallel RLC 1 kohm, 1 uH, 100 pF", "refl:R=1k,L=1u,C=100p,topology=parallel", true, oneport},
        {"40 m dipole on 4 m of coax (.s1p)", data("dipole_40m.s1p"), true, oneport},
        {"thru", "thru", false, {0, 0.005, 0.2, true}},
        {"20 dB attenuator (.s2p)", data("attenuator_20db.s2p"), false, {0, 0.05, 0.3, false}},
        {"20 MHz low-pass filter (.s2p)", data("lowpass_20mhz.s2p"), false, {0, 0.3, 2, true}},
        {"50 ns delay line (.s2p)", delayLine, false, {0, 0.007, 0.05, true}},
    };
}

struct Worst {
    double rho = 0, db = 0, deg = 0;
    // The group-delay point nearest its limit: its error and its allowance.
    double ns = 0, nsAllowed = 0, nsShare = 0;
    int compared = 0;

    void groupDelay(double measuredNs, double truthNs)
    {
        const double error = std::abs(measuredNs - truthNs);
        const double allowed = groupDelayAllowanceNs(truthNs);
        if (error / allowed >= nsShare) {
            ns = error;
            nsAllowed = allowed;
            nsShare = error / allowed;
        }
    }
};


class Accuracy : public ::testing::Test {
protected:
    void SetUp() override
    {
        kesp_sim_reset();
        dir.write("vna.ini", "owner = Accuracy\r\n");
        delayLine = dir.write("delay_50ns.s2p", delayLineTouchstone()).string();
    }
    void TearDown() override { kesp_sim_reset(); }

    std::string path(const std::string& name) const { return (dir.path() / name).string(); }

    void run(int (*command)(const Args&, CommandIo), Args args, std::uint64_t seed)
    {
        args.insert(args.end(), {"--simulate", "--quiet", "--seed", std::to_string(seed), "--ini", dir.str()});
        std::istringstream in;
        std::ostringstream out, err;
        const int status = command(args, CommandIo{in, out, err, false, false});
        ASSERT_EQ(status, 0) << err.str();
    }

    test::TempDir dir;
    std::string delayLine;
};

std::vector<std::vector<double>> numberRows(const std::string& text, char separator)
{
    std::vector<std::vector<double>> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '!' || line[0] == '#' || line[0] == '"')
            continue;
        std::istringstream fields(line);
        fields.imbue(std::locale::classic());
        std::vector<double> row;
        double v = 0;
        while (fields >> v) {
            row.push_back(v);
            if (separator != ' ' && fields.peek() == separator)
                fields.get();
        }
        rows.push_back(row);
    }
    return rows;
}

double wrapDegrees(double d)
{
    while (d > 180)
        d -= 360;
    while (d < -180)
        d += 360;
    return d;
}

Cx trueGamma(double hz)
{
    double re = 0, im = 0;
    EXPECT_EQ(kesp_sim_true_gamma(hz, &re, &im), 1);
    return {re, im};
}

Cx trueS21(double hz)
{
    double re = 0, im = 0;
    EXPECT_EQ(kesp_sim_true_s21(hz, &re, &im), 1);
    return {re, im};
}

// The group delay of a point as the simulator's truth gives it, over the
// aperture the program measures with (one aperture below at the top).
double trueGroupDelayNs(double f, double aperture)
{
    const double second = f + aperture > 60e6 ? f - aperture : f + aperture;
    return -std::arg(trueS21(second) / trueS21(f)) / (2 * M_PI * (second - f)) * 1e9;
}

double db(Cx s) { return 20 * std::log10(std::abs(s)); }

TEST_F(Accuracy, CalibratedMeasurementsReadTheSimulatorsTruthWithinItsNoise)
{
    const std::vector<Device> all = devices(delayLine);
    std::map<std::string, Worst> worst;

    for (const std::uint64_t seed : Seeds) {
        // Each run seeds the noise afresh: a measurement seeded like its
        // calibration would repeat the noise of the first standard and
        // cancel it. Every run gets a seed of its own, as every sweep of an
        // instrument has noise of its own.
        std::uint64_t runSeed = seed * 1000;
        for (const char* mode : {"reflection", "transmission"}) {
            Args a = {"--mode", mode, "-o", path(mode[0] == 'r' ? "r.cal" : "t.cal")};
            a.insert(a.end(), Sweep.begin(), Sweep.end());
            run(calibrateCommand, a, ++runSeed);
        }

        for (const Device& d : all) {
            Worst& w = worst[d.name];
            if (d.reflection) {
                run(measureCommand, {"--mode", "reflection", "--cal", path("r.cal"), "--dut", d.dut, "-o",
                                     path("dut.s1p")},
                    ++runSeed);
                const auto rows = numberRows(test::readFile(path("dut.s1p")), ' ');
                ASSERT_EQ(rows.size(), static_cast<std::size_t>(Points)) << d.name;
                for (const auto& r : rows) {
                    w.rho = std::max(w.rho, std::abs(Cx(r[1], r[2]) - trueGamma(r[0])));
                    ++w.compared;
                }
                continue;
            }

            run(measureCommand, {"--mode", "transmission", "--cal", path("t.cal"), "--dut", d.dut, "-o",
                                 path("dut.s2p")},
                ++runSeed);
            const auto rows = numberRows(test::readFile(path("dut.s2p")), ' ');
            ASSERT_EQ(rows.size(), static_cast<std::size_t>(Points)) << d.name;
            for (const auto& r : rows) {
                const Cx truth = trueS21(r[0]);
                if (db(truth) < TransmissionFloorDb)
                    continue;
                const Cx measured(r[3], r[4]);
                w.db = std::max(w.db, std::abs(db(measured) - db(truth)));
                w.deg = std::max(w.deg, std::abs(wrapDegrees(std::arg(measured / truth) * 180 / M_PI)));
                ++w.compared;
            }
            if (!d.limits.groupDelay)
                continue;

            run(measureCommand, {"--mode", "groupdelay", "--cal", path("t.cal"), "--aperture", ApertureHz,
                                 "--averages", GroupDelayAverages, "--dut", d.dut, "-o", path("dut_gd.csv")},
                ++runSeed);
            const auto delay = numberRows(test::readFile(path("dut_gd.csv")), ',');
            ASSERT_EQ(delay.size(), static_cast<std::size_t>(Points));
            const double aperture = std::stod(ApertureHz);
            for (std::size_t k = 0; k < delay.size(); ++k) {
                const double f = delay[k][0];
                if (db(trueS21(f)) < GroupDelayFloorDb)
                    continue;
                // Points whose phase crosses +-180 degrees inside the
                // aperture are compared like any other.
                w.groupDelay(delay[k][2] * 1000, trueGroupDelayNs(f, aperture));
            }
        }
    }

    std::printf("\nworst error over %zu seeds, %d points from 0.5 to 60 MHz (limit in brackets)\n",
                std::size(Seeds), Points);
    std::printf("%-36s %17s %17s %17s %17s\n", "device", "|delta rho|", "dB", "degrees", "group delay ns");
    auto cell = [](double v, double limit) {
        char buf[32];
        if (limit <= 0)
            std::snprintf(buf, sizeof buf, "%17s", "-");
        else
            std::snprintf(buf, sizeof buf, "%8.2e (%6.2g)", v, limit);
        return std::string(buf);
    };
    for (const Device& d : all) {
        const Worst& w = worst[d.name];
        std::printf("%-36s %s %s %s %s\n", d.name.c_str(), cell(w.rho, d.limits.rho).c_str(),
                    cell(w.db, d.limits.db).c_str(), cell(w.deg, d.limits.deg).c_str(),
                    cell(w.ns, d.limits.groupDelay ? w.nsAllowed : 0).c_str());
    }
    std::printf("group delay: the point nearest its limit of 2 %% of the true delay + 1 ns\n");
    std::fflush(stdout);

    for (const Device& d : all) {
        const Worst& w = worst[d.name];
        EXPECT_GT(w.compared, 0) << d.name;
        if (d.limits.rho > 0) {
            EXPECT_LE(w.rho, d.limits.rho) << d.name;
        }
        if (d.limits.db > 0) {
            EXPECT_LE(w.db, d.limits.db) << d.name;
        }
        if (d.limits.deg > 0) {
            EXPECT_LE(w.deg, d.limits.deg) << d.name;
        }
        if (d.limits.groupDelay) {
            EXPECT_LE(w.nsShare, 1.0) << d.name << ": " << w.ns << " ns off where " << w.nsAllowed << " ns are allowed";
        }
    }
}

TEST_F(Accuracy, GroupDelayAtTheTopOfASweepThatEndsWhereItsCalibrationEnds)
{
    // At the top point the second reading lies one aperture above the
    // calibrated range. Its calibration continues the last two calibration
    // points (490 kHz apart); holding the last point's value instead would
    // leave the instrument's own path delay over the aperture in the reading.
    const Args sweep = {"--start", "1m", "--stop", "50m", "--steps", "100"};
    const double aperture = std::stod(ApertureHz);
    for (const std::uint64_t seed : Seeds) {
        std::uint64_t runSeed = seed * 1000 + 500;
        Args a = {"--mode", "transmission", "-o", path("top.cal")};
        a.insert(a.end(), sweep.begin(), sweep.end());
        run(calibrateCommand, a, ++runSeed);
        for (const std::string& dut : {std::string("thru"), delayLine}) {
            run(measureCommand, {"--mode", "groupdelay", "--cal", path("top.cal"), "--aperture", ApertureHz,
                                 "--averages", GroupDelayAverages, "--dut", dut, "-o", path("top_gd.csv")},
                ++runSeed);
            const auto delay = numberRows(test::readFile(path("top_gd.csv")), ',');
            ASSERT_EQ(delay.size(), 101u);
            const auto& top = delay.back();
            ASSERT_EQ(top[0], 50e6);
            const double truthNs = trueGroupDelayNs(top[0], aperture);
            EXPECT_NEAR(top[2] * 1000, truthNs, groupDelayAllowanceNs(truthNs)) << dut << ", seed " << seed;
        }
    }
}

} // namespace
} // namespace orbilan::cli
