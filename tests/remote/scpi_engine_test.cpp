// The order in which a client's commands run: a line runs whole or not at
// all, answers come back one line per line, *OPC? and *WAI wait for
// operations that returned at once, a prompt's wait serves only what does
// not act on the window, and the error queue stays bounded.
#include <gtest/gtest.h>

#include <deque>

#include "remote/scpi_engine.h"

namespace orbilan::remote {
namespace {

class ScpiEngineTest : public ::testing::Test {
protected:
    ScpiEngineTest()
    {
        engine.send = [this](std::uint64_t client, const std::string& line) {
            answers.push_back(std::to_string(client) + ":" + line);
        };
        // Waits take the next scripted line, as a socket would bring it.
        engine.pump = [this](int) {
            if (script.empty()) {
                engine.stop();
                return;
            }
            engine.receiveLine(1, script.front());
            script.pop_front();
        };
        table.add("SET", {{ParamDef::Type::Count, "value", 0, 100, {}, false}}, "", "",
                  [this](CommandCall& c) { value = static_cast<int>(c.arg(0).number); });
        table.add("SET?", {}, "", "", [this](CommandCall& c) { c.answer(std::to_string(value)); });
        table.add("FAIL?", {}, "", "", [](CommandCall& c) { c.fail(scpi::ExecutionError, "no"); });
        table.add("*OPC?", {}, "", "", [](CommandCall& c) { c.answer("1"); }).readOnly().waitsForOperations = true;
        table.add("ERR?", {}, "", "", [this](CommandCall& c) { c.answer(errors.next()); }).readOnly();
        // A sweep of `points` points that returns at once; each point lets
        // the server run what has come meanwhile.
        table.add("SWEEP", {}, "", "", [this](CommandCall& c) {
            engine.runInBackground(
                [this] {
                    for (int i = 0; i < points; ++i) {
                        ++measured;
                        if (!script.empty() && pointsBeforeInput-- <= 0) {
                            engine.receiveLine(1, script.front());
                            script.pop_front();
                        }
                        engine.dispatch();
                    }
                    log.push_back("sweep done");
                },
                true);
            (void)c;
        });
        // A command that runs to its end, yielding as it goes: nothing else
        // may run inside it.
        table.add("PANEL", {}, "", "", [this](CommandCall&) {
            log.push_back("panel begins");
            engine.dispatch();
            log.push_back("panel ends");
        });
        // A prompt that waits for ANSWER.
        table.add("PROMPT", {}, "", "", [this](CommandCall&) {
            engine.runInBackground(
                [this] {
                    promptOpen = true;
                    engine.serveModal([this] { return !promptOpen; });
                    log.push_back(promptOpen ? "prompt given up" : "prompt answered");
                },
                true);
        });
        table.add("ANSWER", {}, "", "", [this](CommandCall&) { promptOpen = false; }).readOnly();
    }

    void line(const std::string& text, std::uint64_t client = 1)
    {
        engine.receiveLine(client, text);
        engine.dispatch();
    }

    CommandTable table;
    ErrorQueue errors{8};
    ScpiEngine engine{table, errors};
    std::vector<std::string> answers;
    std::vector<std::string> log;
    std::deque<std::string> script;
    int value = 0;
    int points = 5;
    int measured = 0;
    int pointsBeforeInput = 0;
    bool promptOpen = false;
};

TEST_F(ScpiEngineTest, ALineWithAnyFaultRunsNothingAndAnswersNothing)
{
    line("SET 5;SET?;SET 500");
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(answers.empty());
    line("SET 5;SET?;BOGUS");
    EXPECT_EQ(value, 0);
    line("SET 5;SET?;SET 7,8");
    EXPECT_EQ(value, 0);
    line("SET 5;SET?;SET \"7");
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(answers.empty());
    line("ERR?;ERR?;ERR?;ERR?;ERR?");
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], "1:-222,\"Data out of range;value is 0 to 100\";-113,\"Undefined header;BOGUS\";"
                          "-108,\"Parameter not allowed;SET takes 1\";-102,\"Syntax error;a string has no closing "
                          "quote\";0,\"No error\"");
}

TEST_F(ScpiEngineTest, TheAnswersOfALineComeBackAsOneLineToItsClient)
{
    line("SET 5;SET?;SET 6;SET?", 7);
    line("SET?", 8);
    EXPECT_EQ(answers, (std::vector<std::string>{"7:5;6", "8:6"}));
    // A query that fails answers nothing; the others of its line still do.
    answers.clear();
    line("FAIL?;SET?");
    line("FAIL?");
    EXPECT_EQ(answers, (std::vector<std::string>{"1:6"}));
    EXPECT_EQ(errors.size(), 2u);
}

TEST_F(ScpiEngineTest, OperationCompleteWaitsForWhatReturnedAtOnce)
{
    script = {"SET 3", "*OPC?", "SET 4", "SET?"};
    pointsBeforeInput = 1;
    line("SWEEP");
    // SET 3 ran during the sweep; *OPC? held everything after it until the
    // sweep had ended.
    EXPECT_EQ(measured, 5);
    EXPECT_EQ(log, std::vector<std::string>{"sweep done"});
    EXPECT_EQ(answers, (std::vector<std::string>{"1:1", "1:4"}));
    EXPECT_EQ(value, 4);
    // Without anything running it answers at once.
    answers.clear();
    line("*OPC?;SET?");
    EXPECT_EQ(answers, (std::vector<std::string>{"1:1;4"}));
}

TEST_F(ScpiEngineTest, ACommandThatRunsToItsEndRunsNothingInsideIt)
{
    engine.receiveLine(1, "PANEL;SET 9");
    engine.receiveLine(1, "SET 10");
    engine.dispatch();
    EXPECT_EQ(log, (std::vector<std::string>{"panel begins", "panel ends"}));
    EXPECT_EQ(value, 10);
    EXPECT_EQ(engine.pendingLines(), 0u);
}

TEST_F(ScpiEngineTest, APromptServesQueriesAndItsAnswerButNotTheWindow)
{
    script = {"*OPC?", "SET 8", "SET?", "ANSWER;SET 9;*OPC?"};
    line("PROMPT");
    // *OPC? answered while the prompt waited for the client; SET was
    // refused as a click is refused under a modal dialog; after the answer
    // the prompt's wait returned before SET 9 ran, and the last *OPC? came
    // once the operation had ended.
    EXPECT_EQ(log, std::vector<std::string>{"prompt answered"});
    EXPECT_EQ(answers, (std::vector<std::string>{"1:1", "1:1"}));
    EXPECT_EQ(value, 9);
    EXPECT_EQ(errors.next(), "-221,\"Settings conflict;SET: a calibration prompt waits for CALibration:ANSWer\"");
    EXPECT_EQ(errors.next(), "-221,\"Settings conflict;SET?: a calibration prompt waits for CALibration:ANSWer\"");
    EXPECT_FALSE(engine.modal());
}

TEST_F(ScpiEngineTest, AStoppingServerGivesUpAWaitingPrompt)
{
    script = {"SET?"};
    line("PROMPT");
    EXPECT_EQ(log, std::vector<std::string>{"prompt given up"});
    EXPECT_TRUE(engine.stopping());
}

TEST_F(ScpiEngineTest, OperationsNestOnlySoDeep)
{
    // Each sweep starts another at its first point.
    int depth = 0;
    table.add("DEEP", {}, "", "", [&](CommandCall& c) {
        const bool ran = engine.runInBackground(
            [&] {
                depth = std::max(depth, engine.backgroundDepth());
                engine.receiveLine(1, "DEEP");
                engine.dispatch();
            },
            true);
        if (!ran)
            c.fail(scpi::SettingsConflict, "too deep");
    });
    line("DEEP");
    EXPECT_EQ(depth, ScpiEngine::MaxBackgroundDepth);
    EXPECT_EQ(errors.next(), "-221,\"Settings conflict;too deep\"");
    EXPECT_EQ(engine.backgroundDepth(), 0);
    EXPECT_FALSE(engine.operationsPending());
}

TEST_F(ScpiEngineTest, TheErrorQueueIsBoundedAndSaysSo)
{
    for (int i = 0; i < 20; ++i)
        line("BOGUS");
    EXPECT_EQ(errors.size(), errors.capacity());
    std::string last;
    for (std::size_t i = 0; i < errors.capacity(); ++i)
        last = errors.next();
    EXPECT_EQ(last, "-350,\"Queue overflow\"");
    EXPECT_EQ(errors.next(), "0,\"No error\"");
    line("BOGUS");
    EXPECT_EQ(errors.size(), 1u);
    errors.clear();
    EXPECT_EQ(errors.next(), "0,\"No error\"");
}

TEST_F(ScpiEngineTest, AnOverlongLineIsOneSyntaxErrorInItsTurn)
{
    engine.receiveLine(1, "SET 1");
    engine.receiveOverlongLine(1, 4096);
    engine.receiveLine(1, "SET?");
    engine.dispatch();
    EXPECT_EQ(answers, std::vector<std::string>{"1:1"});
    EXPECT_EQ(errors.next(), "-102,\"Syntax error;a line is longer than 4096 bytes\"");
}

} // namespace
} // namespace orbilan::remote
