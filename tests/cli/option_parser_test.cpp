// The one command-line reader: what every command accepts alike, each misuse
// refused with one line naming the option, and --help made of the same
// declarations.
#include <gtest/gtest.h>

#include "cli/option_parser.h"

namespace orbilan::cli {
namespace {

using Args = std::vector<std::string>;

struct Line {
    std::string file, start, port;
    double vf = 1;
    int steps = 0;
    bool quiet = false;
    OptionParser parser{"usage: demo FILE [OPTIONS]\n", "Does what demos do.\n"};

    Line()
    {
        parser.positional("FILE", file)
            .value("--start", "F", "the first frequency", start, checkFrequencyText)
            .whole("--steps", "N", "frequency steps, 1 to 400", 1, 400, steps)
            .number("--vf", "F", "velocity factor\nof the line", vf)
            .optionalValue("--remote", "PORT", "serve on PORT (default 5025)", "5025",
                           [this](const std::string&, const std::string& text) { port = text; })
            .flag("-q, --quiet", "say less", quiet)
            .section("more options:")
            .value("--a-rather-long-option", "VALUE", "its help on a line of its own", start);
    }
};

std::string refusal(const Args& args, std::string* usage = nullptr)
{
    Line line;
    try {
        line.parser.parse(args);
    } catch (const UsageError& e) {
        if (usage)
            *usage = e.usage;
        return e.text;
    }
    return "accepted";
}

TEST(OptionParser, ReadsValuesFlagsAndNamesInAnyOrder)
{
    Line a;
    ASSERT_TRUE(a.parser.parse({"--steps=20", "in.s1p", "-q", "--start", "1.5m", "--vf", "-0.5e-1", "--remote"}));
    EXPECT_EQ(a.file, "in.s1p");
    EXPECT_EQ(a.steps, 20);
    EXPECT_TRUE(a.quiet);
    EXPECT_EQ(a.start, "1.5m") << "kept as typed";
    EXPECT_DOUBLE_EQ(a.vf, -0.05);
    EXPECT_EQ(a.port, "5025");

    // The next argument is the value whatever it looks like; after "--"
    // nothing is an option.
    Line b;
    ASSERT_TRUE(b.parser.parse({"--remote=6000", "--quiet", "--", "-odd name.s1p"}));
    EXPECT_EQ(b.port, "6000");
    EXPECT_EQ(b.file, "-odd name.s1p");
    EXPECT_EQ(refusal({"--start", "-5m"}), "--start -5m: a frequency is never negative");

    // Help anywhere asks for the help and nothing else is read, not even a
    // mistake; after "--" it is a name.
    Line c;
    EXPECT_FALSE(c.parser.parse({"--bogus", "--steps", "x", "-h"}));
    EXPECT_FALSE(c.parser.parse({"--help"}));
    EXPECT_TRUE(c.parser.parse({"--", "--help"}));
    EXPECT_EQ(c.file, "--help");
}

TEST(OptionParser, EachMisuseIsOneLineThatNamesIt)
{
    const struct {
        Args args;
        const char* says;
        bool withUsage;
    } cases[] = {
        {{"--bogus"}, "unexpected argument '--bogus'", true},
        {{"-x"}, "unexpected argument '-x'", true},
        {{"--steps=5=6"}, "--steps needs a whole number (1 to 400), not '5=6'", false},
        {{"a.s1p", "b.s1p"}, "one FILE at a time: 'a.s1p' and 'b.s1p'", false},
        {{"--steps"}, "--steps needs a value", false},
        {{"--start", ""}, "--start needs a value", false},
        {{"--start="}, "--start needs a value", false},
        {{"--remote="}, "--remote needs a value", false},
        {{"--quiet=yes"}, "--quiet takes no value", false},
        {{"--steps", "10", "--steps=20"}, "--steps is given twice", false},
        {{"--steps", "1e2"}, "--steps needs a whole number (1 to 400), not '1e2'", false},
        {{"--steps", "010x"}, "--steps needs a whole number (1 to 400), not '010x'", false},
        {{"--steps", "401"}, "--steps 401 is out of range (1 to 400)", false},
        {{"--start", "1M5"}, "--start needs a frequency such as 10m, 1.5m, 500k or 1000000 (Hz), not '1M5'", false},
        // Not the program's number reading with blanks, &H and D exponents.
        {{"--vf", " 1"}, "--vf needs a number, not ' 1'", false},
        {{"--vf", "&H1"}, "--vf needs a number, not '&H1'", false},
        {{"--vf", "1D0"}, "--vf needs a number, not '1D0'", false},
        {{"--vf", "inf"}, "--vf needs a number, not 'inf'", false},
        {{"--vf", "--1"}, "--vf needs a number, not '--1'", false},
    };
    for (const auto& c : cases) {
        std::string usage;
        EXPECT_EQ(refusal(c.args, &usage), c.says);
        EXPECT_EQ(usage, c.withUsage ? "usage: demo FILE [OPTIONS]\n" : "") << c.says;
    }
    // The folder check says which option named the missing folder.
    EXPECT_EQ(checkFolder("--ini", "/no/such/folder"), "--ini: no folder /no/such/folder");
    EXPECT_EQ(checkFolder("--ini", "/"), "");
}

TEST(OptionParser, HelpListsEveryDeclaredOptionAtOneColumn)
{
    const Line line;
    EXPECT_EQ(line.parser.help(), "usage: demo FILE [OPTIONS]\n"
                                  "Does what demos do.\n"
                                  "  --start F          the first frequency\n"
                                  "  --steps N          frequency steps, 1 to 400\n"
                                  "  --vf F             velocity factor\n"
                                  "                     of the line\n"
                                  "  --remote[=PORT]    serve on PORT (default 5025)\n"
                                  "  -q, --quiet        say less\n"
                                  "  -h, --help         this text\n"
                                  "more options:\n"
                                  "  --a-rather-long-option VALUE\n"
                                  "                     its help on a line of its own\n");
}

} // namespace
} // namespace orbilan::cli
