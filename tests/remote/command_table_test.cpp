// The command table: which command a unit names (optional keywords, the
// compound path of a line, the query and command forms), and how its
// parameters are checked and converted before anything runs.
#include <gtest/gtest.h>

#include "remote/command_table.h"

namespace orbilan::remote {
namespace {

class CommandTableTest : public ::testing::Test {
protected:
    CommandTableTest()
    {
        add("[SENSe:]FREQuency:STARt", {{ParamDef::Type::Frequency, "start", 0, 60e6, {}, false}});
        add("[SENSe:]FREQuency:STARt?");
        add("[SENSe:]FREQuency:STOP", {{ParamDef::Type::Frequency, "stop", 0, 60e6, {}, false}});
        add("SYSTem:ERRor[:NEXT]?");
        add("SYSTem:ERRor:COUNt?");
        add("INITiate[:IMMediate]");
        add("*IDN?");
        add("[SENSe:]SWEep:POINts", {{ParamDef::Type::Count, "points", 2, 401, {}, false}});
        add("[SENSe:]ADC:WAIT", {{ParamDef::Type::Milliseconds, "wait", 0, 250, {}, false}});
        add("[SENSe:]MODE", {{ParamDef::Type::Choice, "mode", 0, 0, {"TRANsmission", "REFLection"}, false}});
        add("[SENSe:]CDS", {{ParamDef::Type::Boolean, "CDS", 0, 1, {}, false}});
        add("MMEMory:STORe:DATA",
            {{ParamDef::Type::String, "name", 0, 0, {}, false}, {ParamDef::Type::String, "comment", 0, 0, {}, true}});
    }

    void add(const std::string& pattern, std::vector<ParamDef> params = {})
    {
        table.add(pattern, std::move(params), "", "", [](CommandCall&) {});
    }

    // The pattern a line's units name, in order, or the first error.
    std::vector<std::string> resolve(const std::string& text, ScpiError* error = nullptr)
    {
        std::vector<std::string> out;
        std::vector<std::string> path;
        for (const ScpiUnit& u : parseScpiLine(text).units) {
            ScpiError e;
            const auto found = table.find(u, path, e);
            if (!found) {
                if (error)
                    *error = e;
                out.push_back("error");
                return out;
            }
            out.push_back(found->def->pattern);
            path = found->path;
        }
        return out;
    }

    std::optional<std::vector<BoundValue>> bind(const std::string& text, ScpiError& error)
    {
        const auto line = parseScpiLine(text);
        const ScpiUnit& u = line.units.at(0);
        const auto found = table.find(u, {}, error);
        if (!found)
            return std::nullopt;
        return table.bind(*found->def, u, error);
    }

    CommandTable table;
};

TEST_F(CommandTableTest, OptionalKeywordsMayBeLeftOutOrWritten)
{
    EXPECT_EQ(resolve("FREQ:STAR 1"), std::vector<std::string>{"[SENSe:]FREQuency:STARt"});
    EXPECT_EQ(resolve("sense:frequency:start 1"), std::vector<std::string>{"[SENSe:]FREQuency:STARt"});
    EXPECT_EQ(resolve("SYST:ERR?"), std::vector<std::string>{"SYSTem:ERRor[:NEXT]?"});
    EXPECT_EQ(resolve("SYST:ERR:NEXT?"), std::vector<std::string>{"SYSTem:ERRor[:NEXT]?"});
    EXPECT_EQ(resolve("SYST:ERR:COUN?"), std::vector<std::string>{"SYSTem:ERRor:COUNt?"});
    EXPECT_EQ(resolve("INIT:IMM"), std::vector<std::string>{"INITiate[:IMMediate]"});
    EXPECT_EQ(resolve("*idn?"), std::vector<std::string>{"*IDN?"});
}

TEST_F(CommandTableTest, ALineContinuesFromThePathOfItsPreviousUnit)
{
    EXPECT_EQ(resolve("SENS:FREQ:STAR 1;STOP 2;*IDN?;STAR?"),
              (std::vector<std::string>{"[SENSe:]FREQuency:STARt", "[SENSe:]FREQuency:STOP", "*IDN?",
                                        "[SENSe:]FREQuency:STARt?"}));
    // A leading ':' goes back to the root; a header unknown at the path is
    // tried from the root as well.
    EXPECT_EQ(resolve("FREQ:STAR 1;:SWE:POIN 3;MODE REFL"),
              (std::vector<std::string>{"[SENSe:]FREQuency:STARt", "[SENSe:]SWEep:POINts", "[SENSe:]MODE"}));
}

TEST_F(CommandTableTest, UnknownHeadersAndTheWrongFormAreUndefined)
{
    ScpiError error;
    EXPECT_EQ(resolve("FREQ:FOO 1", &error).back(), "error");
    EXPECT_EQ(error.code, scpi::UndefinedHeader);
    EXPECT_EQ(error.detail, "FREQ:FOO");
    resolve("*IDN", &error);
    EXPECT_EQ(error.detail, "*IDN is a query only");
    resolve("INIT?", &error);
    EXPECT_EQ(error.detail, "INIT? has no query form");
    resolve("FREQU:STAR 1", &error);
    EXPECT_EQ(error.detail, "FREQU:STAR");
    resolve("FREQ:STAR:STAR 1", &error);
    EXPECT_EQ(error.code, scpi::UndefinedHeader);
}

TEST_F(CommandTableTest, NumbersAreConvertedByTheirSuffixAndHeldToTheirRange)
{
    ScpiError error;
    const struct {
        const char* text;
        double value;
    } good[] = {
        {"FREQ:STAR 1MHz", 1e6},   {"FREQ:STAR 1 m", 1e6},     {"FREQ:STAR 2.5k", 2500}, {"FREQ:STAR 7 KHZ", 7000},
        {"FREQ:STAR 1e6 hz", 1e6}, {"FREQ:STAR 10.4", 10},     {"FREQ:STAR 10.5", 10},   {"FREQ:STAR 11.5", 12},
        {"FREQ:STAR MAX", 60e6},   {"FREQ:STAR min", 0},       {"ADC:WAIT 0.1 s", 100},  {"ADC:WAIT 20ms", 20},
        {"SWE:POIN 401", 401},     {"SWE:POIN MIN", 2},
    };
    for (const auto& g : good) {
        const auto bound = bind(g.text, error);
        ASSERT_TRUE(bound) << g.text << ": " << error.detail;
        EXPECT_EQ(bound->at(0).number, g.value) << g.text;
    }
    const struct {
        const char* text;
        int code;
        const char* detail;
    } bad[] = {
        {"FREQ:STAR 61M", scpi::DataOutOfRange, "start is 0 to 60000000 Hz"},
        {"FREQ:STAR -1", scpi::DataOutOfRange, "start is 0 to 60000000 Hz"},
        {"SWE:POIN 1", scpi::DataOutOfRange, "points is 2 to 401"},
        {"SWE:POIN 5k", scpi::InvalidSuffix, "k after points"},
        {"FREQ:STAR 1 ms", scpi::InvalidSuffix, "ms after start"},
        {"ADC:WAIT 1 Hz", scpi::InvalidSuffix, "Hz after wait"},
        {"FREQ:STAR 'one'", scpi::DataTypeError, "start is a number, not a string"},
        {"FREQ:STAR ONE", scpi::DataTypeError, "start is a number, not ONE"},
        {"FREQ:STAR", scpi::MissingParameter, "FREQ:STAR needs start"},
        {"FREQ:STAR 1,2", scpi::ParameterNotAllowed, "FREQ:STAR takes 1"},
        {"INIT 1", scpi::ParameterNotAllowed, "INIT takes no parameter"},
        {"MODE GDEL", scpi::IllegalParameterValue, "mode is TRANsmission|REFLection"},
        {"MODE 'REFL'", scpi::DataTypeError, "mode is TRANsmission|REFLection"},
        {"CDS 2", scpi::IllegalParameterValue, "CDS is ON, OFF, 1 or 0"},
        {"MMEM:STOR:DATA 5", scpi::DataTypeError, "name is a quoted string"},
    };
    for (const auto& b : bad) {
        error = {};
        EXPECT_FALSE(bind(b.text, error)) << b.text;
        EXPECT_EQ(error.code, b.code) << b.text;
        EXPECT_EQ(error.detail, b.detail) << b.text;
    }
}

TEST_F(CommandTableTest, WordsAndStringsBindToTheirMeaning)
{
    ScpiError error;
    auto mode = bind("MODE refl", error);
    ASSERT_TRUE(mode);
    EXPECT_EQ(mode->at(0).choice, 1);
    auto cds = bind("CDS ON", error);
    ASSERT_TRUE(cds);
    EXPECT_TRUE(cds->at(0).flag);
    cds = bind("CDS 0", error);
    ASSERT_TRUE(cds);
    EXPECT_FALSE(cds->at(0).flag);
    auto data = bind("MMEM:STOR:DATA 'a.csv'", error);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->at(0).text, "a.csv");
    EXPECT_FALSE(data->at(1).given);
    // A bare word is taken as the string it spells.
    data = bind("MMEM:STOR:DATA dut, 'first try'", error);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->at(0).text, "dut");
    EXPECT_EQ(data->at(1).text, "first try");
}

} // namespace
} // namespace orbilan::remote
