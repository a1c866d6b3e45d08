// The session's line syntax: what each command line means, what is refused
// and why, and texts that survive the trip through quotes unchanged.
#include <gtest/gtest.h>

#include "cli/session_protocol.h"

namespace orbilan::cli {
namespace {

using Verb = SessionCommand::Verb;

SessionCommand parsed(const std::string& line)
{
    const ParsedLine p = parseSessionLine(line);
    EXPECT_FALSE(p.isError()) << line << ": " << p.error;
    EXPECT_TRUE(p.command.has_value()) << line;
    return p.command.value_or(SessionCommand{});
}

std::string refusal(const std::string& line)
{
    const ParsedLine p = parseSessionLine(line);
    EXPECT_FALSE(p.command.has_value()) << line;
    return p.error;
}

TEST(SessionProtocol, QuotesEscapeWhatWouldBreakTheLine)
{
    EXPECT_EQ(quoteText("Set  Sweep"), "\"Set  Sweep\"");
    EXPECT_EQ(quoteText("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(quoteText("ADC Mode\r 0\n\t"), "\"ADC Mode\\r 0\\n\\t\"");
    EXPECT_EQ(quoteText(std::string("\x01\x7F", 2)), "\"\\x01\\x7F\"");
    EXPECT_EQ(quoteText(std::string(1, '\0')), "\"\\x00\"");
    // A degree sign passes as UTF-8; a lone byte of a symbol font does not.
    EXPECT_EQ(quoteText("90\xC2\xB0"), "\"90\xC2\xB0\"");
    EXPECT_EQ(quoteText("\xCF"), "\"\\xCF\"");
    EXPECT_EQ(quoteText("\xC0\x80"), "\"\\xC0\\x80\""); // overlong
    EXPECT_EQ(quoteText("\xED\xA0\x80"), "\"\\xED\\xA0\\x80\""); // surrogate
    EXPECT_EQ(quoteText("\xE2\x82"), "\"\\xE2\\x82\""); // cut short
}

TEST(SessionProtocol, EveryByteSurvivesQuotingAndReading)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    for (const std::string& text : {all, std::string("\xC2\xB0 \xE2\x82\xAC"), std::string()}) {
        const std::string quoted = quoteText(text);
        std::size_t pos = 0;
        std::string error;
        const auto back = readQuoted(quoted, pos, error);
        ASSERT_TRUE(back.has_value()) << error;
        EXPECT_EQ(*back, text);
        EXPECT_EQ(pos, quoted.size());
    }
}

TEST(SessionProtocol, MalformedQuotesAreRefused)
{
    for (const char* bad : {"\"open", "\"ends in a backslash\\", "\"\\q\"", "\"\\x4\"", "\"\\xG0\""}) {
        std::size_t pos = 0;
        std::string error;
        EXPECT_FALSE(readQuoted(bad, pos, error).has_value()) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(SessionProtocol, CommandsAndTheirArguments)
{
    EXPECT_EQ(parsed("start").verb, Verb::Start);
    EXPECT_EQ(parsed("  quit  ").verb, Verb::Quit);

    SessionCommand c = parsed("click SweepButton(2)");
    EXPECT_EQ(c.verb, Verb::Click);
    EXPECT_EQ(c.name, "SweepButton(2)");
    c = parsed("type\tF1text \t\"10 M\"");
    EXPECT_EQ(c.verb, Verb::Type);
    EXPECT_EQ(c.name, "F1text");
    EXPECT_EQ(c.text, "10 M");
    c = parsed("key NumberOfSteps \"12\\r\"");
    EXPECT_EQ(c.verb, Verb::Key);
    EXPECT_EQ(c.text, "12\r");
    c = parsed("choose ADCModeList \"15 (6.875 Hz)\"");
    EXPECT_EQ(c.verb, Verb::Choose);
    EXPECT_EQ(c.text, "15 (6.875 Hz)");
    EXPECT_EQ(parsed("focus ManualForm.frequency").name, "ManualForm.frequency");
    EXPECT_EQ(parsed("leave F2text").verb, Verb::Leave);
    EXPECT_EQ(parsed("get ManualForm.Phset(2).Value").name, "ManualForm.Phset(2).Value");
    EXPECT_EQ(parsed("canvas \"/tmp/plot.png\"").text, "/tmp/plot.png");
    EXPECT_EQ(parsed("sim \"refl:R=100\"").verb, Verb::Sim);

    EXPECT_EQ(parsed("answer OK").answer.kind, ui::Answer::Kind::Ok);
    EXPECT_EQ(parsed("answer Cancel").answer.kind, ui::Answer::Kind::Cancel);
    EXPECT_EQ(parsed("answer Yes").answer.kind, ui::Answer::Kind::Yes);
    EXPECT_EQ(parsed("answer No").answer.kind, ui::Answer::Kind::No);
    EXPECT_EQ(parsed("answer cancel").answer.kind, ui::Answer::Kind::CancelInput);
    c = parsed("answer text \"\"");
    EXPECT_EQ(c.answer.kind, ui::Answer::Kind::Text);
    EXPECT_EQ(c.answer.text, "");
    c = parsed("answer file \"my cal.cal\"");
    EXPECT_EQ(c.answer.kind, ui::Answer::Kind::File);
    EXPECT_EQ(c.answer.text, "my cal.cal");

    c = parsed("after 37 type F1text \"a  b\"  ");
    EXPECT_EQ(c.verb, Verb::After);
    EXPECT_EQ(c.count, 37);
    EXPECT_EQ(c.then, "type F1text \"a  b\"");
}

TEST(SessionProtocol, BlankAndCommentLinesAreNoCommand)
{
    for (const char* line : {"", "   ", "\t", "# a comment", "   # indented"}) {
        const ParsedLine p = parseSessionLine(line);
        EXPECT_FALSE(p.command.has_value()) << line;
        EXPECT_FALSE(p.isError()) << line;
    }
}

TEST(SessionProtocol, MalformedLinesSayWhy)
{
    EXPECT_EQ(refusal("launch"), "unknown command launch");
    EXPECT_EQ(refusal("Click Go"), "unknown command Click");
    EXPECT_EQ(refusal("start now"), "usage: start");
    EXPECT_EQ(refusal("click"), "usage: click NAME");
    EXPECT_EQ(refusal("click \"Go\""), "usage: click NAME");
    EXPECT_EQ(refusal("click A B"), "usage: click NAME");
    EXPECT_EQ(refusal("type F1text 10M"), "usage: type NAME \"TEXT\"");
    EXPECT_EQ(refusal("choose List"), "usage: choose NAME \"ENTRY\"");
    EXPECT_EQ(refusal("canvas plot.png"), "usage: canvas \"PATH.png\"");
    EXPECT_EQ(refusal("type F1text \"10\"M"), "a blank must follow a quoted text");
    EXPECT_EQ(refusal("type F1\"text \"10\""), "a quote inside a word");
    EXPECT_EQ(refusal("\"start\""), "a command starts with its name");
    EXPECT_EQ(refusal("type F1text \"10"), "the quoted text has no closing quote");
    // Answers are case-sensitive: Cancel answers a message box, cancel an input or file dialog.
    EXPECT_FALSE(refusal("answer ok").empty());
    EXPECT_FALSE(refusal("answer text").empty());
    EXPECT_FALSE(refusal("answer file plain").empty());
    EXPECT_FALSE(refusal("after 0 click Go").empty());
    EXPECT_FALSE(refusal("after x click Go").empty());
    EXPECT_FALSE(refusal("after 5").empty());
    EXPECT_FALSE(refusal("after 5 # nothing").empty());
    EXPECT_EQ(refusal("after 5 launch"), "unknown command launch");
    EXPECT_EQ(refusal("after 5 quit"), "after cannot quit");
    EXPECT_EQ(refusal("after 5 start"), "after cannot start");
}

TEST(SessionProtocol, NestingAndLengthAreBounded)
{
    std::string nested;
    for (int i = 0; i < MaxAfterNesting; ++i)
        nested += "after 1 ";
    const SessionCommand c = parsed(nested + "get SweepPoints");
    EXPECT_EQ(c.verb, Verb::After);
    EXPECT_EQ(c.then, nested.substr(8) + "get SweepPoints");
    EXPECT_EQ(refusal("after 1 " + nested + "get SweepPoints"), "after may hold at most 16 afters inside it");

    // Ten thousand levels in one 80 KB line: refused at once, not parsed
    // level by level into gigabytes.
    std::string deep;
    for (int i = 0; i < 10000; ++i)
        deep += "after 1 ";
    EXPECT_EQ(refusal(deep + "get SweepPoints"), "the line is longer than 65536 bytes");
    EXPECT_EQ(refusal(deep.substr(0, 60000) + "get SweepPoints"), "after may hold at most 16 afters inside it");
    EXPECT_EQ(refusal("type F1text \"" + std::string(MaxLineBytes, 'x') + "\""), "the line is longer than 65536 bytes");
    EXPECT_EQ(parsed("type F1text \"" + std::string(MaxLineBytes - 15, 'x') + "\"").text.size(), MaxLineBytes - 15);
}

} // namespace
} // namespace orbilan::cli
