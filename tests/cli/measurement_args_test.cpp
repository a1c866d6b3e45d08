// The command lines of calibrate and measure: what each means, and every
// misuse refused as bad usage (status 2) with a line that says what is wrong.
#include <gtest/gtest.h>

#include "cli/measurement_commands.h"
#include "cli/option_values.h"
#include "support/test_platform.h"

namespace orbilan::cli {
namespace {

using Args = std::vector<std::string>;

std::string usageError(const std::function<void()>& parse)
{
    try {
        parse();
    } catch (const UsageError& e) {
        return e.text;
    }
    ADD_FAILURE() << "accepted";
    return {};
}

TEST(CalibrateArgs, TakeTheSweepTheModeAndTheSimulator)
{
    const test::TempDir ini;
    const CalibrateArgs a =
        parseCalibrateArgs({"--mode", "transmission", "--cds", "--centre", "10m", "--span", "500k", "--steps", "100",
                            "--wait", "5", "--averages", "4", "-o", "t.cal", "--simulate", "--dut", "thru", "--seed",
                            "7", "--ini", ini.str(), "--quiet"});
    EXPECT_EQ(a.mode, 0);
    EXPECT_TRUE(a.sweep.centreSpan);
    EXPECT_EQ(a.sweep.f1, "10m");
    EXPECT_EQ(a.sweep.f2, "500k");
    EXPECT_EQ(a.sweep.steps, "100");
    EXPECT_EQ(a.sweep.wait, "5");
    EXPECT_EQ(a.sweep.averages, "4");
    EXPECT_EQ(a.sweep.cds, std::optional<bool>(true));
    EXPECT_EQ(a.output, "t.cal");
    EXPECT_TRUE(a.quiet);
    EXPECT_TRUE(a.instrument.program.simulate);
    EXPECT_EQ(a.instrument.program.iniDir, ini.str());
    EXPECT_EQ(a.instrument.dut, "thru");
    EXPECT_EQ(a.instrument.seed, std::optional<std::uint64_t>(7));
    EXPECT_TRUE(a.instrument.instant());

    // Without --cds a calibration is made with CDS off, whatever a loaded
    // setting said.
    const CalibrateArgs r =
        parseCalibrateArgs({"--mode", "reflection", "--start", "1m", "--stop", "2m", "--steps", "1", "-o", "r.cal"});
    EXPECT_EQ(r.mode, 1);
    EXPECT_FALSE(r.sweep.centreSpan);
    EXPECT_EQ(r.sweep.cds, std::optional<bool>(false));
    EXPECT_FALSE(r.instrument.program.simulate);
}

TEST(CalibrateArgs, MisuseIsBadUsage)
{
    const std::string sweep[] = {"--start", "1m", "--stop", "2m", "--steps", "10", "-o", "x.cal"};
    auto with = [&](Args extra) {
        Args a(std::begin(sweep), std::end(sweep));
        a.insert(a.end(), extra.begin(), extra.end());
        return a;
    };
    const struct {
        Args args;
        const char* says;
    } cases[] = {
        {with({}), "--mode is missing"},
        {with({"--mode", "groupdelay"}), "--mode is reflection or transmission, not 'groupdelay'"},
        {{"--mode", "reflection", "--steps", "10", "-o", "x.cal"}, "the sweep is missing"},
        {{"--mode", "reflection", "--start", "1m", "--stop", "2m", "-o", "x.cal"}, "--steps is missing"},
        {{"--mode", "reflection", "--start", "1m", "--stop", "2m", "--steps", "10"}, "-o FILE is missing"},
        {with({"--mode", "reflection", "--centre", "5m"}), "not both"},
        {{"--mode", "reflection", "--start", "1m", "--steps", "10", "-o", "x.cal"}, "--start and --stop go together"},
        {{"--mode", "reflection", "--span", "1m", "--steps", "10", "-o", "x.cal"}, "--centre and --span go together"},
        {with({"--mode", "reflection", "--steps"}), "--steps needs a value"},
        {with({"--mode", "reflection", "--bogus"}), "unexpected argument '--bogus'"},
        {with({"--mode", "reflection", "--dut", "open"}), "--dut needs --simulate"},
        {with({"--mode", "reflection", "--no-auto-follow"}), "--no-auto-follow needs --simulate"},
        {with({"--mode", "reflection", "--simulate", "--sim-timing", "slow"}), "instant or realtime"},
        {with({"--mode", "reflection", "--simulate", "--seed", "-3"}), "whole number"},
        {with({"--mode", "reflection", "--display", "SWR"}), "unexpected argument '--display'"},
        // A missing folder would quietly give the default settings.
        {with({"--mode", "reflection", "--ini", "/no/such/folder"}), "--ini: no folder /no/such/folder"},
        // Numbers are read whole, never in part.
        {{"--mode", "reflection", "--start", "1M5", "--stop", "2m", "--steps", "10", "-o", "x.cal"},
         "--start needs a frequency such as 10m, 1.5m, 500k or 1000000 (Hz), not '1M5'"},
        {{"--mode", "reflection", "--centre", "10m", "--span", "-5m", "--steps", "10", "-o", "x.cal"},
         "--span -5m: a frequency is never negative"},
        {{"--mode", "reflection", "--start", "1m", "--stop", "2m", "--steps", "1e2", "-o", "x.cal"},
         "--steps needs a whole number (0 to 1000000), not '1e2'"},
        {{"--mode", "reflection", "--start", "1m", "--stop", "2m", "--steps=10.5", "-o", "x.cal"},
         "--steps needs a whole number"},
        {with({"--mode", "reflection", "--steps", "20"}), "--steps is given twice"},
        {with({"--mode", "reflection", "--averages", "4x"}), "--averages needs a whole number"},
        {with({"--mode", "reflection", "--wait", " 5"}), "--wait needs a whole number"},
    };
    for (const auto& c : cases) {
        const std::string text = usageError([&] { parseCalibrateArgs(c.args); });
        EXPECT_NE(text.find(c.says), std::string::npos) << "said: " << text;
    }
    EXPECT_NE(parseCalibrateArgs({"--help"}).help, "");
}

TEST(MeasureArgs, TheOutputsExtensionSaysWhatToWrite)
{
    const MeasureArgs csv = parseMeasureArgs({"--mode", "groupdelay", "--cal", "t.cal", "--aperture", "100k",
                                              "--display", "dB,us", "--sweeps", "3", "--comment", "lot 7", "-o",
                                              "gd.CSV"});
    EXPECT_EQ(csv.mode, 2);
    EXPECT_EQ(csv.kind, OutputKind::Csv);
    EXPECT_EQ(csv.calFile, "t.cal");
    EXPECT_EQ(csv.aperture, "100000"); // the box takes hertz
    EXPECT_EQ(csv.display, "dB,us");
    EXPECT_EQ(csv.sweeps, 3);
    EXPECT_EQ(csv.comment, "lot 7");
    EXPECT_FALSE(csv.sweep.any()) << "without sweep options the calibration's sweep is measured";

    EXPECT_EQ(csv.limitsFile, "");
    EXPECT_EQ(parseMeasureArgs({"--mode", "groupdelay", "--cal", "t.cal", "--limits", "m.lim", "-o", "g.csv"}).limitsFile,
              "m.lim");

    const MeasureArgs s1p = parseMeasureArgs({"--mode", "reflection", "--cal", "r.cal", "--steps", "20", "-o", "a.s1p"});
    EXPECT_EQ(s1p.kind, OutputKind::Touchstone1);
    EXPECT_TRUE(s1p.sweep.any());
    EXPECT_FALSE(s1p.sweep.cds.has_value()) << "the calibration decides CDS";
    EXPECT_EQ(parseMeasureArgs({"--mode", "transmission", "--cal", "t.cal", "-o", "f.S2P"}).kind,
              OutputKind::Touchstone2);
}

TEST(MeasureArgs, MisuseIsBadUsage)
{
    const struct {
        Args args;
        const char* says;
    } cases[] = {
        {{"--mode", "reflection", "-o", "a.s1p"}, "--cal FILE is missing"},
        {{"--mode", "smith", "--cal", "r.cal", "-o", "a.s1p"}, "not 'smith'"},
        {{"--mode", "transmission", "--cal", "t.cal", "-o", "a.s1p"}, "a .s1p file holds a reflection measurement"},
        {{"--mode", "reflection", "--cal", "r.cal", "-o", "a.s2p"}, "a .s2p file holds a transmission measurement"},
        {{"--mode", "groupdelay", "--cal", "t.cal", "-o", "a.s2p"}, "a .s2p file holds a transmission measurement"},
        {{"--mode", "reflection", "--cal", "r.cal", "-o", "a.txt"}, ".csv, .s1p or .s2p"},
        {{"--mode", "reflection", "--cal", "r.cal", "-o", "noextension"}, ".csv, .s1p or .s2p"},
        {{"--mode", "reflection", "--cal", "r.cal", "--aperture", "1k", "-o", "a.csv"}, "--aperture belongs to"},
        {{"--mode", "reflection", "--cal", "r.cal", "--sweeps", "0", "-o", "a.csv"}, "--sweeps 0 is out of range"},
        {{"--mode", "reflection", "--cal", "r.cal", "--sweeps", "two", "-o", "a.csv"}, "--sweeps needs"},
        {{"--mode", "reflection", "--cal", "r.cal", "--cds", "-o", "a.csv"}, "unexpected argument '--cds'"},
        {{"--mode", "reflection", "--cal", "r.cal", "--stop", "5m", "-o", "a.csv"}, "go together"},
        {{"--mode", "reflection", "--cal", "r.cal", "--sweeps", "2.0", "-o", "a.csv"}, "--sweeps needs"},
        {{"--mode", "groupdelay", "--cal", "t.cal", "--aperture", "1k5", "-o", "a.csv"}, "--aperture needs"},
    };
    for (const auto& c : cases) {
        const std::string text = usageError([&] { parseMeasureArgs(c.args); });
        EXPECT_NE(text.find(c.says), std::string::npos) << "said: " << text;
    }
}

TEST(OptionValues, AFrequencyIsTheWholeTextOrNothing)
{
    const struct {
        const char* text;
        std::int32_t hz; // 0: refused
    } cases[] = {
        {"10m", 10000000}, {"10M", 10000000}, {"1.5m", 1500000}, {"500k", 500000}, {"1000000", 1000000},
        {"2500h", 2500},   {".5m", 500000},   {"1e6", 1000000},  {"0", 0},         {"1M5", -1},
        {"1k5", -1},       {"10 m", -1},      {"10mhz", -1},     {"m", -1},        {"", -1},
        {"-5m", -1},       {"1x", -1},        {"3e9", -1},       {"2147.4m", -1},  {"nan", -1},
    };
    for (const auto& c : cases) {
        std::int32_t hz = -7;
        const std::string why = checkFrequency("--start", c.text, hz);
        if (c.hz >= 0) {
            EXPECT_EQ(why, "") << c.text;
            EXPECT_EQ(hz, c.hz) << c.text;
        } else {
            EXPECT_NE(why, "") << c.text;
            EXPECT_EQ(hz, -7) << c.text;
        }
    }
    // The aperture's unit letter is worked out before the box gets it.
    EXPECT_EQ(parseMeasureArgs({"--mode", "groupdelay", "--cal", "t.cal", "--aperture", "2.5k", "-o", "a.csv"}).aperture,
              "2500");
}

TEST(MeasureArgs, TheTdrGridSweepsTheWholeMultiplesOfItsStep)
{
    const MeasureArgs a = parseMeasureArgs(
        {"--mode", "reflection", "--cal", "r.cal", "--tdr-grid", "--stop", "30m", "--steps", "200", "-o", "x.s1p"});
    EXPECT_FALSE(a.sweep.centreSpan);
    EXPECT_EQ(a.sweep.f1, "149253");
    EXPECT_EQ(a.sweep.f2, "29999853");
    EXPECT_EQ(a.sweep.steps, "200");
    // Typed in hertz without a unit, or in kHz, and for a calibration too.
    EXPECT_EQ(parseCalibrateArgs({"--mode", "reflection", "--tdr-grid", "--stop", "1000000", "--steps", "9", "-o",
                                  "r.cal"})
                  .sweep.f1,
              "100000");
    EXPECT_EQ(parseCalibrateArgs({"--mode", "reflection", "--tdr-grid", "--stop", "1500k", "--steps", "9", "-o",
                                  "r.cal"})
                  .sweep.f2,
              "1500000");

    const Args base = {"--mode", "reflection", "--cal", "r.cal", "-o", "x.s1p", "--tdr-grid"};
    auto with = [&](Args extra) {
        Args a = base;
        a.insert(a.end(), extra.begin(), extra.end());
        return a;
    };
    const struct {
        Args args;
        const char* says;
    } cases[] = {
        {with({"--stop", "30m"}), "--tdr-grid needs --stop and --steps"},
        {with({"--steps", "10"}), "--tdr-grid needs --stop and --steps"},
        {with({"--start", "1m", "--stop", "30m", "--steps", "10"}), "give --stop and --steps only"},
        {with({"--centre", "1m", "--span", "30m", "--steps", "10"}), "give --stop and --steps only"},
        {with({"--stop", "30m", "--steps", "401"}), "--steps 401 is out of range (1 to 400)"},
        {with({"--stop", "ten", "--steps", "10"}), "--stop needs a frequency such as 10m, 1.5m, 500k or 1000000 (Hz), not 'ten'"},
        {with({"--stop", "61m", "--steps", "10"}), "--stop lies above 60000000 Hz"},
        {with({"--stop", "20m", "--steps", "400"}),
         "400 steps need a stop of at least 20050000 Hz, since the step is also the start and no sweep starts "
         "below 50000 Hz"},
    };
    for (const auto& c : cases) {
        const std::string text = usageError([&] { parseMeasureArgs(c.args); });
        EXPECT_NE(text.find(c.says), std::string::npos) << "said: " << text;
    }
}

TEST(MeasureArgs, EachOfSeveralSweepsGetsItsOwnNumberedFile)
{
    EXPECT_EQ(numberedOutput("out.s1p", 1, 1), "out.s1p");
    EXPECT_EQ(numberedOutput("out.s1p", 2, 3), "out-2.s1p");
    EXPECT_EQ(numberedOutput("runs/a.b.csv", 10, 12), "runs/a.b-10.csv");
}

TEST(FrequencyFieldText, APlainNumberIsHzWhateverTheFieldShowedLast)
{
    EXPECT_EQ(frequencyFieldText("1000000"), "1000000h");
    EXPECT_EQ(frequencyFieldText(" 2500 "), "2500h");
    // A unit letter anywhere is the panel's to read, as typed.
    EXPECT_EQ(frequencyFieldText("10m"), "10m");
    EXPECT_EQ(frequencyFieldText("500K"), "500K");
    EXPECT_EQ(frequencyFieldText("1k5"), "1k5");
    EXPECT_EQ(frequencyFieldText("7h"), "7h");
}

} // namespace
} // namespace orbilan::cli
