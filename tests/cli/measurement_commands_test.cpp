// calibrate and measure end to end on the simulated instrument, in this
// process: the files they write, what they say, their exit status, and the
// program's own refusals passed on.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "cal/cal_file.h"
#include "cli/measurement_commands.h"
#include "sim/kesp_sim.h"
#include "support/test_platform.h"

namespace orbilan::cli {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

struct Outcome {
    int status = -1;
    std::string out, err;
};

// Touchstone data lines as numbers.
std::vector<std::vector<double>> touchstoneData(const fs::path& file)
{
    std::istringstream in(test::readFile(file));
    in.imbue(std::locale::classic());
    std::vector<std::vector<double>> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '!' || line[0] == '#' || line == "\r")
            continue;
        std::istringstream fields(line);
        fields.imbue(std::locale::classic());
        std::vector<double> row;
        double v = 0;
        while (fields >> v)
            row.push_back(v);
        rows.push_back(row);
    }
    return rows;
}

class MeasurementCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        kesp_sim_reset();
        dir.write("vna.ini", "owner = Test bench\r\n");
    }
    void TearDown() override { kesp_sim_reset(); }

    // Runs a command on the simulator, vna.ini from the test folder.
    Outcome run(int (*command)(const Args&, CommandIo), Args args, const std::string& input = "")
    {
        args.insert(args.end(), {"--simulate", "--seed", "11", "--ini", dir.str()});
        std::istringstream in(input);
        std::ostringstream out, err;
        Outcome r;
        r.status = command(args, CommandIo{in, out, err, false, false});
        r.out = out.str();
        r.err = err.str();
        return r;
    }
    Outcome calibrate(Args args, const std::string& input = "") { return run(calibrateCommand, std::move(args), input); }
    Outcome measure(Args args) { return run(measureCommand, std::move(args)); }

    std::string path(const std::string& name) const { return (dir.path() / name).string(); }

    // A reflection calibration, 1 to 30 MHz in 20 steps.
    void reflectionCal(const std::string& name = "r.cal")
    {
        const Outcome r = calibrate({"--mode", "reflection", "--start", "1m", "--stop", "30m", "--steps", "20", "-o",
                                 path(name)});
        ASSERT_EQ(r.status, 0) << r.err;
    }

    test::TempDir dir;
};

TEST_F(MeasurementCommands, ReflectionCalibrationThenAResistorToS1p)
{
    const Outcome cal = calibrate({"--mode", "reflection", "--start", "1m", "--stop", "30m", "--steps", "20", "-o",
                               path("r.cal")});
    ASSERT_EQ(cal.status, 0) << cal.err;
    EXPECT_EQ(cal.out, "reflection calibration of 21 points, 1000000 to 30000000 Hz, written to " + path("r.cal") +
                           "\n");
    const auto file = cal::ReadCalFile(test::readFile(path("r.cal")));
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->Points, 21);
    EXPECT_EQ(file->Modes, 1);
    EXPECT_EQ(file->Freq[21], 30000000);
    // Open, short and load were connected in turn: three different readings.
    EXPECT_NE(file->Open[5], file->Short[5]);
    EXPECT_NE(file->Short[5], file->Load[5]);

    const Outcome m = measure({"--mode", "reflection", "--cal", path("r.cal"), "--dut", "refl:R=100", "-o",
                           path("dut.s1p")});
    ASSERT_EQ(m.status, 0) << m.err;
    EXPECT_EQ(m.out.find("21 points, 1000000 to 30000000 Hz (Calibrated), swept in "), 0u) << m.out;
    // Beside the time the sweep took, the sweep panel's estimate: 21 points
    // of 2 x (10 ms settling + 130 ms converting + 10 ms reading).
    EXPECT_NE(m.out.find(" s (estimate 6.3 s), written to " + path("dut.s1p") + "\n"), std::string::npos) << m.out;
    const std::string text = test::readFile(path("dut.s1p"));
    EXPECT_NE(text.find("! Calibration file: " + path("r.cal") + " (Calibrated)"), std::string::npos);
    const auto rows = touchstoneData(path("dut.s1p"));
    ASSERT_EQ(rows.size(), 21u);
    EXPECT_EQ(rows.front()[0], 1000000);
    EXPECT_EQ(rows.back()[0], 30000000);
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 3u);
        EXPECT_NEAR(row[1], 1.0 / 3, 0.01) << "at " << row[0];
        EXPECT_NEAR(row[2], 0, 0.01) << "at " << row[0];
    }
}

TEST_F(MeasurementCommands, TheSimulatedInstrumentIsTheOneVnaIniDescribes)
{
    reflectionCal();
    KespSimAdcState adc{};
    kesp_sim_get_adc(&adc);
    EXPECT_EQ(adc.type, 2410) << "vna.ini names no ADC: the program's default";

    // A 75-ohm load standard: the one auto-follow connects is the one the
    // calibration models, so a 75-ohm device reads rho 0.2 against 50 ohm.
    dir.write("vna.ini", "rld = 75\r\nadctype = 2440\r\nadcmode = 1\r\n");
    reflectionCal();
    kesp_sim_get_adc(&adc);
    EXPECT_EQ(adc.type, 2440);
    EXPECT_EQ(adc.mode, 1);
    const Outcome m = measure({"--mode", "reflection", "--cal", path("r.cal"), "--dut", "refl:R=75", "-o",
                               path("dut.s1p")});
    ASSERT_EQ(m.status, 0) << m.err;
    for (const auto& row : touchstoneData(path("dut.s1p"))) {
        EXPECT_NEAR(row[1], 0.2, 0.005) << "at " << row[0];
        EXPECT_NEAR(row[2], 0, 0.005) << "at " << row[0];
    }
}

TEST_F(MeasurementCommands, TransmissionWithCdsAsksForTheThruOnlyAndMeasuresS21)
{
    const Outcome cal = calibrate({"--mode", "transmission", "--cds", "--centre", "10m", "--span", "10m", "--steps",
                               "10", "--no-auto-follow", "--dut", "thru", "-o", path("t.cal")},
                              "\n");
    ASSERT_EQ(cal.status, 0) << cal.err;
    // One prompt, answered from the pipe: its line is ended for it.
    EXPECT_EQ(cal.err.find("VNA Thru Calibration: Connect thru, then click OK\n"
                           "Press Enter when done, or q and Enter to cancel: \n"),
              0u)
        << cal.err;
    EXPECT_EQ(cal.err.find("Leave detector port open"), std::string::npos);
    const auto file = cal::ReadCalFile(test::readFile(path("t.cal")));
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(file->Cds);
    EXPECT_EQ(file->Modes, 2);
    EXPECT_EQ(file->Freq[1], 5000000);
    EXPECT_EQ(file->Isol[3], (cal::Complex{0, 0}));

    // A series 100 ohm between the 50-ohm ports halves the voltage.
    const Outcome m = measure({"--mode", "transmission", "--cal", path("t.cal"), "--dut", "trans:series:R=100", "-o",
                           path("r100.s2p")});
    ASSERT_EQ(m.status, 0) << m.err;
    const auto rows = touchstoneData(path("r100.s2p"));
    ASSERT_EQ(rows.size(), 11u);
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 9u);
        EXPECT_NEAR(row[3], 0.5, 0.01) << "at " << row[0];
        EXPECT_NEAR(row[4], 0, 0.01) << "at " << row[0];
        EXPECT_EQ(row[1], 0);
        EXPECT_EQ(row[8], 0);
    }
}

TEST_F(MeasurementCommands, CsvIsTheProgramsExportForTheChosenDisplay)
{
    reflectionCal();
    const Outcome m = measure({"--mode", "reflection", "--cal", path("r.cal"), "--dut", "refl:R=100", "--display", "swr",
                           "--comment", "bench 3", "-o", path("swr.csv")});
    ASSERT_EQ(m.status, 0) << m.err;
    const std::string text = test::readFile(path("swr.csv"));
    EXPECT_NE(text.find("\r\n\"bench 3\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Reflection mode\""), std::string::npos);
    const auto header = text.find("\"Frequency Hz \",\"SWR\"\r\n");
    ASSERT_NE(header, std::string::npos);
    std::istringstream lines(text.substr(header));
    lines.imbue(std::locale::classic());
    std::string line;
    std::getline(lines, line);
    int points = 0;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        fields.imbue(std::locale::classic());
        double hz = 0, swr = 0;
        char comma = 0;
        ASSERT_TRUE(fields >> hz >> comma >> swr) << line;
        EXPECT_NEAR(swr, 2, 0.05) << "at " << hz;
        ++points;
    }
    EXPECT_EQ(points, 21);
}

TEST_F(MeasurementCommands, ASweepInsideTheCalibrationIsInterpolatedAndOneOutsideIsRefused)
{
    reflectionCal();
    const Outcome inside = measure({"--mode", "reflection", "--cal", path("r.cal"), "--dut", "refl:R=25", "--start",
                                "2.5m", "--stop", "27.5m", "--steps", "50", "-o", path("in.s1p")});
    ASSERT_EQ(inside.status, 0) << inside.err;
    EXPECT_NE(test::readFile(path("in.s1p")).find("(Interpolated)"), std::string::npos);
    const auto rows = touchstoneData(path("in.s1p"));
    ASSERT_EQ(rows.size(), 51u);
    EXPECT_EQ(rows.front()[0], 2500000);
    EXPECT_EQ(rows.back()[0], 27500000);
    for (const auto& row : rows)
        EXPECT_NEAR(row[1], -1.0 / 3, 0.02) << "at " << row[0];

    const Outcome outside = measure({"--mode", "reflection", "--cal", path("r.cal"), "--start", "1m", "--stop",
                                 "30000001", "-o", path("out.s1p")});
    EXPECT_EQ(outside.status, 1);
    EXPECT_EQ(outside.err, "orbilan-cli measure: Not Calibrated: the sweep 1000000 to 30000001 Hz is not covered by "
                           "the calibration (1000000 to 30000000 Hz)\n");
    EXPECT_FALSE(fs::exists(path("out.s1p")));
}

TEST_F(MeasurementCommands, ACalibrationOfTheOtherKindOrNoneCannotMeasure)
{
    reflectionCal();
    const Outcome wrongKind = measure({"--mode", "transmission", "--cal", path("r.cal"), "-o", path("t.s2p")});
    EXPECT_EQ(wrongKind.status, 1);
    EXPECT_EQ(wrongKind.err, "orbilan-cli measure: Not Calibrated: " + path("r.cal") +
                                 " holds no transmission calibration\n");

    dir.write("old.cal", "2410,0\r\n1,10\r\n");
    const Outcome invalid = measure({"--mode", "reflection", "--cal", path("old.cal"), "-o", path("x.s1p")});
    EXPECT_EQ(invalid.status, 1);
    EXPECT_EQ(invalid.err, "orbilan-cli measure: Not a valid Orbilan Cal file! (Files saved by v1.3a or earlier are "
                           "NOT COMPATIBLE with this version.)\n");

    const Outcome missing = measure({"--mode", "reflection", "--cal", path("none.cal"), "-o", path("x.s1p")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Error 76"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(path("x.s1p")));
}

TEST_F(MeasurementCommands, CancellingAStandardWritesNothing)
{
    const Outcome r = calibrate({"--mode", "reflection", "--start", "1m", "--stop", "30m", "--steps", "5",
                             "--no-auto-follow", "-o", path("c.cal")},
                            "\nq\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("VNA Short Calibration: Connect short circuit reference, then click OK"), std::string::npos);
    EXPECT_NE(r.err.find("orbilan-cli calibrate: calibration cancelled at \"Connect short circuit reference, then "
                         "click OK\"; nothing was written\n"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(path("c.cal")));

    // No one left to answer is a cancel too: nothing is measured unconnected.
    const Outcome eof = calibrate({"--mode", "reflection", "--start", "1m", "--stop", "30m", "--steps", "5",
                               "--no-auto-follow", "-o", path("c.cal")});
    EXPECT_EQ(eof.status, 1);
    EXPECT_FALSE(fs::exists(path("c.cal")));
}

TEST_F(MeasurementCommands, TheSweepPanelsRefusalsAreBadUsage)
{
    const struct {
        Args sweep;
        const char* says;
    } cases[] = {
        {{"--start", "1m", "--stop", "30m", "--steps", "401"}, "Number of steps must be between 1 and 400"},
        {{"--start", "1m", "--stop", "30m", "--steps", "10", "--averages", "101"},
         "# of averages must be between 1 and 100"},
        // A command stops where the panel would go on with a corrected value.
        {{"--start", "10k", "--stop", "30m", "--steps", "10"},
         "--start 10k --stop 30m: Start frequency below minimum 50 kHz\n"},
        {{"--start", "0", "--stop", "30m", "--steps", "10"}, "--start 0 --stop 30m: Start frequency below minimum 50 kHz\n"},
        {{"--start", "1m", "--stop", "61m", "--steps", "10"}, "--start 1m --stop 61m: End frequency above maximum"},
        {{"--start", "3m", "--stop", "2m", "--steps", "10"}, "--start 3m --stop 2m: Start frequency above End frequency"},
        {{"--start", "1x", "--stop", "2m", "--steps", "10"}, "--start needs a frequency"},
        {{"--centre", "1m", "--span", "5m", "--steps", "10"}, "Sweep starts below minimum of 50 kHz"},
    };
    for (const auto& c : cases) {
        Args args = {"--mode", "reflection", "-o", path("p.cal")};
        args.insert(args.end(), c.sweep.begin(), c.sweep.end());
        const Outcome r = calibrate(args);
        EXPECT_EQ(r.status, 2) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("Sweep will"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(path("p.cal")));
    }
}

TEST_F(MeasurementCommands, FileAndInstrumentFaultsAreErrors)
{
    const Outcome unwritable = calibrate({"--mode", "reflection", "--start", "1m", "--stop", "30m", "--steps", "5", "-o",
                                      path("no/such/folder/r.cal")});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("File error: Error 76"), std::string::npos) << unwritable.err;

    reflectionCal();
    const Outcome touchstone = measure({"--mode", "reflection", "--cal", path("r.cal"), "-o", path("no/dir/x.s1p")});
    EXPECT_EQ(touchstone.status, 1);
    EXPECT_NE(touchstone.err.find("Error 76"), std::string::npos) << touchstone.err;

    ASSERT_EQ(kesp_sim_set_fault("no-instrument"), 1);
    const Outcome silent = measure({"--mode", "reflection", "--cal", path("r.cal"), "-o", path("x.s1p")});
    EXPECT_EQ(silent.status, 1);
    EXPECT_EQ(silent.err, "orbilan-cli measure: VNA Not Responding: Check that VNA is connected to correct printer "
                          "port and is switched on. Not retried: correct vna.ini or the connection, then run the "
                          "command again.\n");
}

TEST_F(MeasurementCommands, NoOutputIsWrittenThroughAPlantedLink)
{
    // Another user's file, and links to it where this user's outputs go.
    const auto victim = dir.write("victim", "someone else's\n");
    for (const char* name : {"out.cal", "out.s1p", "out.csv"})
        fs::create_symlink(victim, dir.path() / name);
    const Outcome c = calibrate({"--mode", "reflection", "--start", "1m", "--stop", "30m", "--steps", "5", "-o",
                                 path("out.cal")});
    EXPECT_EQ(c.status, 1);
    EXPECT_NE(c.err.find("symbolic link"), std::string::npos) << c.err;

    reflectionCal();
    for (const char* name : {"out.s1p", "out.csv"}) {
        const Outcome m = measure({"--mode", "reflection", "--cal", path("r.cal"), "-o", path(name)});
        EXPECT_EQ(m.status, 1) << name;
        EXPECT_NE(m.err.find("symbolic link"), std::string::npos) << m.err;
        EXPECT_TRUE(fs::is_symlink(dir.path() / name));
    }
    EXPECT_EQ(test::readFile(victim), "someone else's\n");
}

TEST_F(MeasurementCommands, AResultWithoutReadingsIsAFailureAndWritesNothing)
{
    dir.write("vna.ini", "usb = yes\r\n");
    reflectionCal();
    const std::string good = test::readFile(path("r.cal"));

    ASSERT_EQ(kesp_sim_set_fault("empty-result"), 1);
    const Outcome c = calibrate({"--mode", "reflection", "--start", "1m", "--stop", "30m", "--steps", "20", "-o",
                                 path("r.cal")});
    EXPECT_EQ(c.status, 1);
    EXPECT_NE(c.err.find("The measurement result from VNA holds no reading"), std::string::npos) << c.err;
    EXPECT_EQ(test::readFile(path("r.cal")), good);

    const Outcome m = measure({"--mode", "reflection", "--cal", path("r.cal"), "--dut", "refl:R=100", "-o",
                               path("dut.s1p")});
    EXPECT_EQ(m.status, 1);
    EXPECT_NE(m.err.find("holds no reading"), std::string::npos) << m.err;
    EXPECT_FALSE(fs::exists(path("dut.s1p")));
}

TEST_F(MeasurementCommands, ALinkThatFailsDuringACalibrationIsTheReasonGiven)
{
    dir.write("vna.ini", "usb = yes\r\n");
    ASSERT_EQ(kesp_sim_set_fault("usb-read-fail:30"), 1);
    const Outcome c = calibrate({"--mode", "reflection", "--start", "1m", "--stop", "30m", "--steps", "20", "-o",
                                 path("r.cal")});
    EXPECT_EQ(c.status, 1);
    EXPECT_EQ(c.err, "orbilan-cli calibrate: USB Communication error with VNA: aborting program\n");
    EXPECT_FALSE(fs::exists(path("r.cal")));
}

TEST_F(MeasurementCommands, AValueThatIsNoNumberIsAFailureAndNoFileHoldsIt)
{
    // A load standard modelled at 1e308 ohm (the load's model may be any
    // impedance) leaves corrections that overflow to no number at all.
    reflectionCal();
    auto d = cal::ReadCalFile(test::readFile(path("r.cal")));
    ASSERT_TRUE(d.has_value());
    for (int k = 1; k <= d->Points; ++k)
        d->LoadModel[static_cast<std::size_t>(k)] = {1e308, 1e308};
    dir.write("overflow.cal", cal::WriteCalFile(*d));
    for (const char* output : {"x.s1p", "x.csv"}) {
        const Outcome m = measure({"--mode", "reflection", "--cal", path("overflow.cal"), "--display", "Rs,Xs", "-o",
                                   path(output)});
        EXPECT_EQ(m.status, 1) << output;
        EXPECT_NE(m.err.find("the corrected value at 1000000 Hz is not a finite number"), std::string::npos) << m.err;
        EXPECT_FALSE(fs::exists(path(output)));
    }
}

TEST_F(MeasurementCommands, SeveralSweepsWriteOneFileEach)
{
    reflectionCal();
    const Outcome m = measure({"--mode", "reflection", "--cal", path("r.cal"), "--dut", "refl:R=50", "--sweeps", "2",
                           "--quiet", "-o", path("n.s1p")});
    ASSERT_EQ(m.status, 0) << m.err;
    EXPECT_EQ(m.out, "");
    EXPECT_EQ(m.err, "");
    ASSERT_TRUE(fs::exists(path("n-1.s1p")));
    ASSERT_TRUE(fs::exists(path("n-2.s1p")));
    EXPECT_FALSE(fs::exists(path("n.s1p")));
    // Two sweeps, two sets of noise.
    EXPECT_NE(touchstoneData(path("n-1.s1p")), touchstoneData(path("n-2.s1p")));
}

TEST_F(MeasurementCommands, GroupDelayTakesItsApertureThroughTheApertureWindow)
{
    const Outcome cal = calibrate({"--mode", "transmission", "--start", "1m", "--stop", "30m", "--steps", "10", "-o",
                               path("t.cal")});
    ASSERT_EQ(cal.status, 0) << cal.err;
    const Outcome refused = measure({"--mode", "groupdelay", "--cal", path("t.cal"), "--aperture", "5000000", "-o",
                                 path("gd.csv")});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("Aperture range: 1Hz - 10% of sweep: Currently 5000000Hz. Please re-enter"),
              std::string::npos)
        << refused.err;

    // A series 1 uH between the 50-ohm ports delays by L/100 ohm = 10 ns at
    // low frequencies. The calibration (2.9 MHz apart) takes the instrument's
    // own path delay out of both readings of a point: the thru reads none.
    auto delayAt1MHz = [&](const std::string& dut) {
        const Outcome m = measure({"--mode", "groupdelay", "--cal", path("t.cal"), "--aperture", "100000", "--dut",
                                   dut, "-o", path("gd.csv")});
        EXPECT_EQ(m.status, 0) << m.err;
        const std::string text = test::readFile(path("gd.csv"));
        EXPECT_NE(text.find("\"Group Delay mode\""), std::string::npos);
        const auto first = text.find("\r\n1000000,");
        EXPECT_NE(first, std::string::npos) << text;
        std::istringstream line(text.substr(first + 2));
        line.imbue(std::locale::classic());
        double hz = 0, db = 0, us = 0;
        char comma = 0;
        EXPECT_TRUE(line >> hz >> comma >> db >> comma >> us);
        return us * 1000;
    };
    const double w = 2 * cal::Pi * 1e6;
    const double inductor = 10 / (1 + (w * 1e-6 / 100) * (w * 1e-6 / 100));
    EXPECT_NEAR(delayAt1MHz("trans:series:L=1u"), inductor, 0.5);
    EXPECT_NEAR(delayAt1MHz("thru"), 0, 0.5);
}

TEST_F(MeasurementCommands, LimitsCheckEverySweepAndAFailingPointExitsWithThree)
{
    reflectionCal();
    // A 100-ohm resistor: SWR 2 at every point.
    dir.write("loose.lim", "upper SWR 1m 30m 2.2\nlower rho 0 100M 0.3\n");
    dir.write("tight.lim", "# only the upper half of the band\nupper SWR 20m 30m 1.8\n");
    Args args{"--mode", "reflection", "--cal", path("r.cal"), "--dut", "refl:R=100", "-o", path("dut.s1p")};

    auto with = [&](const std::string& limits, Args extra = {}) {
        Args a = args;
        a.insert(a.end(), {"--limits", limits});
        a.insert(a.end(), extra.begin(), extra.end());
        return measure(a);
    };
    const Outcome pass = with(path("loose.lim"));
    EXPECT_EQ(pass.status, 0) << pass.err;
    EXPECT_NE(pass.out.find("limits: pass (21 points checked)"), std::string::npos) << pass.out;

    // 20 to 30 MHz in 1.45 MHz steps holds 7 points; each is listed.
    const Outcome fail = with(path("tight.lim"));
    EXPECT_EQ(fail.status, 3) << fail.err;
    EXPECT_NE(fail.out.find("limits: 7 outside (7 points checked)"), std::string::npos) << fail.out;
    EXPECT_NE(fail.err.find("21300000 Hz: SWR 2"), std::string::npos) << fail.err;
    EXPECT_NE(fail.err.find("is above the upper limit 1.8\n30000000 Hz: SWR "), std::string::npos) << fail.err;
    EXPECT_EQ(fail.err.find("19850000 Hz"), std::string::npos) << "a point outside the segment was listed";
    // The measurement itself is still written.
    EXPECT_EQ(touchstoneData(path("dut.s1p")).size(), 21u);

    // Several sweeps: each is checked and named.
    const Outcome two = with(path("tight.lim"), {"--sweeps", "2", "--quiet"});
    EXPECT_EQ(two.status, 3);
    EXPECT_NE(two.err.find("sweep 2: 30000000 Hz: SWR"), std::string::npos) << two.err;
    EXPECT_EQ(two.out, "");
}

TEST_F(MeasurementCommands, ALimitFileThatCannotServeStopsBeforeTheSweep)
{
    reflectionCal();
    Args args{"--mode", "reflection", "--cal", path("r.cal"), "-o", path("dut.s1p"), "--limits"};
    auto with = [&](const std::string& limits) {
        Args a = args;
        a.push_back(limits);
        return measure(a);
    };
    dir.write("bad.lim", "upper SWR 1m 30m 2\nlower SWR 1m 30m one\n");
    Outcome r = with(path("bad.lim"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "orbilan-cli measure: " + path("bad.lim") + ": line 2: \"one\" is not a number\n");

    r = with(path("missing.lim"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(path("missing.lim")), std::string::npos);

    dir.write("trans.lim", "upper dB 1m 30m 0\n");
    r = with(path("trans.lim"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("holds no limit on a quantity of this mode"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(path("dut.s1p")));
}

} // namespace
} // namespace orbilan::cli
