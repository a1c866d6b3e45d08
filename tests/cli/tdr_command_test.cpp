// orbilan-cli tdr: its command line, the CSV it writes, and a line measured
// through the simulated instrument found where it ends.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <sstream>

#include "cli/measurement_commands.h"
#include "cli/tdr_command.h"
#include "sim/kesp_sim.h"
#include "support/test_platform.h"
#include "touchstone/touchstone.h"

namespace orbilan::cli {
namespace {

using Args = std::vector<std::string>;

struct Outcome {
    int status = -1;
    std::string out, err;
};

Outcome runCommand(int (*command)(const Args&, CommandIo), const Args& args)
{
    std::istringstream in;
    std::ostringstream out, err;
    Outcome r;
    r.status = command(args, CommandIo{in, out, err, false, false});
    r.out = out.str();
    r.err = err.str();
    return r;
}

struct Row {
    double distance = 0, time = 0, impulse = 0, step = 0, impedance = 0;
    bool hasStep = false;
};

// The CSV's rows after its header; the header itself into `header`.
std::vector<Row> csvRows(const std::string& text, std::string& header)
{
    std::istringstream in(text);
    std::string line;
    std::getline(in, header);
    std::vector<Row> rows;
    while (std::getline(in, line)) {
        EXPECT_EQ(line.back(), '\r');
        line.pop_back();
        std::vector<std::string> fields;
        std::istringstream cells(line);
        std::string cell;
        while (std::getline(cells, cell, ','))
            fields.push_back(cell);
        if (line.back() == ',')
            fields.emplace_back();
        EXPECT_EQ(fields.size(), 5u) << line;
        if (fields.size() != 5)
            break;
        Row r;
        r.distance = std::stod(fields[0]);
        r.time = std::stod(fields[1]);
        r.impulse = std::stod(fields[2]);
        r.hasStep = !fields[3].empty();
        if (r.hasStep) {
            r.step = std::stod(fields[3]);
            r.impedance = std::stod(fields[4]);
        }
        rows.push_back(r);
    }
    return rows;
}

// A lossless 50-ohm line of the length and velocity factor ending in a
// resistor, as a Touchstone file every 10 kHz up to 60 MHz.
std::string lineIntoResistor(double metres, double vf, double ohms)
{
    const double tau = 2 * metres / (299792458.0 * vf);
    const double rho = (ohms - 50) / (ohms + 50);
    std::vector<touchstone::Point> points;
    for (int k = 1; k <= 6000; ++k) {
        const double f = k * 10e3;
        const std::complex<double> s = std::polar(rho, -2 * std::numbers::pi * f * tau);
        points.push_back({static_cast<std::int32_t>(f), {s.real(), s.imag()}});
    }
    touchstone::Header header;
    header.program = "tdr_command_test";
    return touchstone::Text(header, 1, points);
}

TEST(TdrArgs, OptionsAndTheirMisuse)
{
    const TdrArgs a = parseTdrArgs({"in.S1P", "--vf", "0.66", "--window", "kaiser:9.5", "--mode", "bandpass",
                                    "--max-distance", "120", "-o", "out.csv", "--quiet"});
    EXPECT_EQ(a.input, "in.S1P");
    EXPECT_EQ(a.velocityFactor, 0.66);
    EXPECT_EQ(a.options.window.shape, analysis::WindowShape::Kaiser);
    EXPECT_EQ(a.options.window.beta, 9.5);
    EXPECT_EQ(a.options.mode, analysis::TdrMode::BandPass);
    EXPECT_EQ(a.maxDistance, 120);
    EXPECT_EQ(a.output, "out.csv");
    EXPECT_TRUE(a.quiet);

    const TdrArgs d = parseTdrArgs({"-o", "out.csv", "in.s1p"});
    EXPECT_EQ(d.velocityFactor, 1);
    EXPECT_EQ(d.options.mode, analysis::TdrMode::LowPass);
    EXPECT_EQ(d.options.window.shape, analysis::WindowShape::Kaiser);
    EXPECT_EQ(d.options.window.beta, 6);
    EXPECT_EQ(d.maxDistance, 0);
    EXPECT_EQ(parseTdrArgs({"in.s1p", "--window", "HANN", "-o", "x"}).options.window.shape,
              analysis::WindowShape::Hann);

    const struct {
        Args args;
        const char* says;
    } cases[] = {
        {{"-o", "x.csv"}, "the input file is missing"},
        {{"in.s1p"}, "-o FILE is missing"},
        {{"in.s2p", "-o", "x.csv"}, "a Touchstone .s1p file, not 'in.s2p'"},
        {{"in.s1p", "b.s1p", "-o", "x.csv"}, "one IN.s1p at a time: 'in.s1p' and 'b.s1p'"},
        {{"in.s1p", "--vf", "0", "-o", "x.csv"}, "--vf is a velocity factor above 0 and at most 1, not '0'"},
        {{"in.s1p", "--vf", "1.01", "-o", "x.csv"}, "at most 1"},
        {{"in.s1p", "--vf", "nan", "-o", "x.csv"}, "--vf needs a number, not 'nan'"},
        {{"in.s1p", "--vf", "0,66", "-o", "x.csv"}, "--vf needs a number"},
        {{"in.s1p", "--window", "kaiser:31", "-o", "x.csv"}, "beta from 0 to 30"},
        {{"in.s1p", "--window", "kaiser:", "-o", "x.csv"}, "needs a number"},
        {{"in.s1p", "--window", "hamming", "-o", "x.csv"}, "--window is kaiser, kaiser:BETA, hann or none"},
        {{"in.s1p", "--mode", "timedomain", "-o", "x.csv"}, "--mode is lowpass or bandpass"},
        {{"in.s1p", "--max-distance", "-5", "-o", "x.csv"}, "above 0"},
        {{"in.s1p", "--max-distance", "1e999", "-o", "x.csv"}, "needs a number"},
        {{"in.s1p", "--vf"}, "--vf needs a value"},
    };
    for (const auto& c : cases) {
        const Outcome r = runCommand(tdrCommand, c.args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << "said: " << r.err;
    }
    EXPECT_EQ(runCommand(tdrCommand, {"--help"}).status, 0);
}

class TdrCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        kesp_sim_reset();
        dir.write("vna.ini", "owner = Test bench\r\n");
    }
    void TearDown() override { kesp_sim_reset(); }

    Outcome onSimulator(int (*command)(const Args&, CommandIo), Args args)
    {
        args.insert(args.end(), {"--simulate", "--seed", "5", "--ini", dir.str()});
        return runCommand(command, args);
    }
    std::string path(const std::string& name) const { return (dir.path() / name).string(); }

    test::TempDir dir;
};

TEST_F(TdrCommand, ALineIntoAResistorMeasuredThroughTheSimulatorEndsWhereItShould)
{
    // 20 m of solid-PE cable (0.66) into 100 ohm, swept on a harmonic grid
    // to 30 MHz: resolution 3.3 m, range 663 m.
    const std::string line = dir.write("line.s1p", lineIntoResistor(20, 0.66, 100)).string();
    Outcome r = onSimulator(calibrateCommand, {"--mode", "reflection", "--tdr-grid", "--stop", "30m", "--steps", "200",
                                               "-o", path("r.cal")});
    ASSERT_EQ(r.status, 0) << r.err;
    r = onSimulator(measureCommand, {"--mode", "reflection", "--cal", path("r.cal"), "--dut", line, "-o",
                                     path("dut.s1p")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("201 points, 149253 to 29999853 Hz (Calibrated)"), std::string::npos) << r.out;

    r = runCommand(tdrCommand, {path("dut.s1p"), "--vf", "0.66", "-o", path("t.csv")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("resolution 3.30 m (10.8 ft), alias-free range 662.84 m (2174.7 ft)"), std::string::npos)
        << r.out;
    std::string header;
    const std::vector<Row> rows = csvRows(test::readFile(path("t.csv")), header);
    EXPECT_EQ(header, "distance_m,time_s,impulse,step_rho,impedance_ohm\r");
    ASSERT_GT(rows.size(), 1000u);
    EXPECT_EQ(rows.front().distance, 0);
    EXPECT_LT(rows.back().distance, 662.84);
    EXPECT_GT(rows.back().distance, 650);

    // The step reaches half its height at the end of the line, within the
    // resolution; before it the line reads 50 ohm, after it the resistor.
    const double resolution = 3.30;
    double crossing = -1;
    for (std::size_t i = 1; i < rows.size() && crossing < 0; ++i)
        if (rows[i].step >= 1.0 / 6)
            crossing = rows[i].distance;
    EXPECT_NEAR(crossing, 20, resolution / 2);
    for (const Row& row : rows) {
        if (row.distance < 20 - 2 * resolution) {
            ASSERT_NEAR(row.impedance, 50, 2) << "at " << row.distance << " m";
        } else if (row.distance > 20 + 2 * resolution) {
            ASSERT_NEAR(row.impedance, 100, 4) << "at " << row.distance << " m";
        }
    }

    // Asked for less, it stops there; asked for more than the range, it says
    // so and stops at the range.
    r = runCommand(tdrCommand, {path("dut.s1p"), "--vf", "0.66", "--max-distance", "25", "-o", path("short.csv")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto shortRows = csvRows(test::readFile(path("short.csv")), header);
    EXPECT_LE(shortRows.back().distance, 25);
    EXPECT_GT(shortRows.back().distance, 24.5);
    r = runCommand(tdrCommand, {path("dut.s1p"), "--vf", "0.66", "--max-distance", "1000", "-o", path("long.csv"),
                                "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("warning: --max-distance 1000 m lies beyond the alias-free range of 662.84 m"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(csvRows(test::readFile(path("long.csv")), header).size(), rows.size());
}

TEST_F(TdrCommand, LowPassOfASweepThatIsNotHarmonicSaysHowToSweepAndWritesNothing)
{
    const std::string line = dir.write("line.s1p", lineIntoResistor(20, 0.66, 100)).string();
    Outcome r = onSimulator(calibrateCommand, {"--mode", "reflection", "--start", "1m", "--stop", "30m", "--steps",
                                               "100", "-o", path("r.cal")});
    ASSERT_EQ(r.status, 0) << r.err;
    r = onSimulator(measureCommand, {"--mode", "reflection", "--cal", path("r.cal"), "--dut", line, "-o",
                                     path("dut.s1p")});
    ASSERT_EQ(r.status, 0) << r.err;

    r = runCommand(tdrCommand, {path("dut.s1p"), "-o", path("t.csv")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "orbilan-cli tdr: low-pass needs a harmonic sweep, every frequency a whole multiple of the step: "
                     "the sweep starts at 1000000 Hz, not at its step 290000 Hz. Measure one with 'orbilan-cli measure "
                     "--tdr-grid --stop F --steps N' (start = step), or use --mode bandpass\n");
    EXPECT_FALSE(std::filesystem::exists(path("t.csv")));

    // Band-pass takes it: the impulse magnitude alone, peaking at the end of
    // the line.
    r = runCommand(tdrCommand, {path("dut.s1p"), "--mode", "bandpass", "--vf", "0.66", "--max-distance", "100", "-o",
                                path("t.csv")});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string header;
    const auto rows = csvRows(test::readFile(path("t.csv")), header);
    ASSERT_FALSE(rows.empty());
    const Row* peak = &rows.front();
    for (const Row& row : rows) {
        EXPECT_FALSE(row.hasStep);
        if (row.impulse > peak->impulse)
            peak = &row;
    }
    EXPECT_NEAR(peak->distance, 20, 3.4);
    EXPECT_NEAR(peak->impulse, 1.0 / 3, 0.02);

    // A file that is not there is a file error.
    r = runCommand(tdrCommand, {path("missing.s1p"), "-o", path("m.csv")});
    EXPECT_EQ(r.status, 1);
}

} // namespace
} // namespace orbilan::cli
