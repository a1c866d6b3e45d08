// orbilan-cli analyse: the lines and their order for each kind of file, the
// exit status when a value cannot be found, and bad usage or files.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <sstream>

#include "cli/analyse_command.h"
#include "support/test_platform.h"

namespace orbilan::cli {
namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

Outcome analyse(std::vector<std::string> args)
{
    std::istringstream in;
    std::ostringstream out, err;
    Outcome r;
    r.status = analyseCommand(args, CommandIo{in, out, err, false, false});
    r.out = out.str();
    r.err = err.str();
    return r;
}

// A series RLC between 50-ohm ports (S21), or as a one-port (S11), written
// as another tool would: MHz, magnitude and angle, comments.
std::string rlcFile(bool twoPort, double r, double l, double c, double fromMHz, double toMHz, int points)
{
    std::ostringstream f;
    f.imbue(std::locale::classic());
    f.precision(12);
    f << "! series RLC\n# MHz S MA R 50\n";
    for (int k = 0; k < points; ++k) {
        const double mhz = fromMHz + (toMHz - fromMHz) * k / (points - 1);
        const double w = 2 * std::numbers::pi * mhz * 1e6;
        const std::complex<double> z(r, w * l - 1 / (w * c));
        const auto s = twoPort ? 100.0 / (100.0 + z) : (z - 50.0) / (z + 50.0);
        f << mhz;
        if (twoPort)
            f << " 0 0 " << std::abs(s) << ' ' << std::arg(s) * 180 / std::numbers::pi << " 0 0 0 0\n";
        else
            f << ' ' << std::abs(s) << ' ' << std::arg(s) * 180 / std::numbers::pi << '\n';
    }
    return f.str();
}

std::vector<std::string> names(const std::string& out)
{
    std::vector<std::string> n;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line))
        n.push_back(line.substr(0, line.find('=')));
    return n;
}

double valueOf(const std::string& out, const std::string& name)
{
    const auto at = out.find(name + "=");
    return at == std::string::npos ? NAN : std::stod(out.substr(at + name.size() + 1));
}

TEST(AnalyseCommand, ATwoPortGivesThePeakAndTheBand)
{
    test::TempDir dir;
    const auto file = dir.write("bp.S2P", rlcFile(true, 10, 10e-6, 10e-12, 10, 22, 401)).string();
    const Outcome r = analyse({file});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(names(r.out),
              (std::vector<std::string>{"peak_hz", "peak_db", "bw_low_hz", "bw_high_hz", "bw_hz", "centre_hz", "q"}));
    const double f0 = 1 / (2 * std::numbers::pi * std::sqrt(10e-6 * 10e-12));
    EXPECT_NEAR(valueOf(r.out, "centre_hz"), f0, 2e3);
    EXPECT_NEAR(valueOf(r.out, "bw_hz"), 110 / (2 * std::numbers::pi * 10e-6) * std::sqrt(std::pow(10, 0.3) - 1),
                2e3);

    const Outcome json = analyse({"--json", file});
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out.rfind("{\"peak_hz\": ", 0), 0u) << json.out;
    EXPECT_NE(json.out.find(", \"q\": "), std::string::npos);
    EXPECT_EQ(json.out.back(), '\n');

    // Too deep a drop: the edges cannot be found; what was found is still printed.
    const Outcome deep = analyse({file, "--drop", "30"});
    EXPECT_EQ(deep.status, 1);
    EXPECT_EQ(names(deep.out), (std::vector<std::string>{"peak_hz", "peak_db"}));
    EXPECT_NE(deep.err.find("orbilan-cli analyse: bw_low_hz: the trace does not fall 30 dB below its peak"),
              std::string::npos)
        << deep.err;
}

TEST(AnalyseCommand, AOnePortGivesTheMatchTheResonanceAndTheSwrBand)
{
    test::TempDir dir;
    const auto file = dir.write("ant.s1p", rlcFile(false, 40, 1e-6, 100e-12, 5, 30, 401)).string();
    const Outcome r = analyse({file});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(names(r.out), (std::vector<std::string>{"min_swr_hz", "min_swr", "resonance_hz", "resonance_r_ohm",
                                                       "swr_low_hz", "swr_high_hz", "swr_bw_hz"}));
    EXPECT_NEAR(valueOf(r.out, "resonance_r_ohm"), 40, 0.01);
    EXPECT_NEAR(valueOf(r.out, "swr_bw_hz"), 30 / (2 * std::numbers::pi * 1e-6), 1e4);

    // SWR 1.2 is never reached: the band's three lines go, exit 1.
    const Outcome tight = analyse({file, "--swr", "1.2", "--json"});
    EXPECT_EQ(tight.status, 1);
    EXPECT_EQ(tight.out.find("\"swr_"), std::string::npos) << tight.out;
    EXPECT_NE(tight.out.find("\"resonance_hz\""), std::string::npos);
    EXPECT_NE(tight.err.find("the SWR does not come down to 1.2 inside the sweep"), std::string::npos);
}

TEST(AnalyseCommand, BadUsageAndUnreadableFilesExitWithTwo)
{
    test::TempDir dir;
    const auto good = dir.write("a.s1p", "# HZ S RI R 50\n1 0 0\n2 0.1 0\n").string();
    const auto broken = dir.write("b.s1p", "# HZ S RI R 50\n1 0 zero\n").string();
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "the Touchstone file is missing"},
        {{good, "--drop"}, "--drop needs a value"},
        {{good, "--drop", "3dB"}, "--drop needs a number, not '3dB'"},
        {{good, "--drop", "0"}, "--drop needs a number of dB above 0"},
        {{good, "--swr", "1"}, "--swr needs an SWR above 1"},
        {{good, "--swr", "nan"}, "--swr needs a number, not 'nan'"},
        {{good, good}, "one FILE at a time: '" + good + "' and '" + good + "'"},
        {{good, "--frobnicate"}, "unexpected argument '--frobnicate'"},
        {{(dir.path() / "a.txt").string()}, "the name must end in .s1p or .s2p"},
        {{(dir.path() / "none.s2p").string()}, "cannot open"},
        {{broken}, "line 2: \"zero\" is not a number"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome r = analyse(args);
        EXPECT_EQ(r.status, 2) << message;
        EXPECT_EQ(r.out, "") << message;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    const Outcome help = analyse({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: orbilan-cli analyse FILE.s1p|FILE.s2p", 0), 0u) << help.out;
    for (const char* option : {"\n  --drop N ", "\n  --swr S ", "\n  --json ", "\n  -h, --help "})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

} // namespace
} // namespace orbilan::cli
