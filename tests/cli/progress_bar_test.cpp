// The progress line: silent for quick runs, points done and time left at the
// rate so far, user prompts left out of the rate, one line end at the finish.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/progress_bar.h"

namespace orbilan::cli {
namespace {

struct FakeClock {
    double now = 100;
    std::function<double()> fn()
    {
        return [this] { return now; };
    }
};

// The text after the last carriage return: what the terminal shows.
std::string shown(const std::string& out)
{
    const auto at = out.rfind('\r');
    return at == std::string::npos ? out : out.substr(at + 1);
}

TEST(ProgressBar, LineShowsTheBarPointsAndTimeLeft)
{
    EXPECT_EQ(ProgressBar::line(0, 4, 65, 8), "[--------]  0/4 points  1:05 left");
    EXPECT_EQ(ProgressBar::line(1, 4, 3.4, 8), "[##------]  1/4 points  0:03 left");
    EXPECT_EQ(ProgressBar::line(4, 4, 0, 8), "[########]  4/4 points  done");
    // Never more than all, never less than none.
    EXPECT_EQ(ProgressBar::line(9, 4, 0, 8), "[########]  4/4 points  done");
}

TEST(ProgressBar, QuickRunsPrintNothing)
{
    std::ostringstream out;
    FakeClock clock;
    {
        ProgressBar bar(out, 100, clock.fn());
        for (int i = 0; i < 100; ++i) {
            clock.now += 0.009;
            bar.step();
        }
        bar.finish();
        EXPECT_FALSE(bar.shown());
    }
    EXPECT_EQ(out.str(), "");
}

TEST(ProgressBar, AfterASecondTheLineTellsTheTimeLeftAtTheRateSoFar)
{
    std::ostringstream out;
    FakeClock clock;
    ProgressBar bar(out, 48, clock.fn());
    for (int i = 0; i < 16; ++i) {
        clock.now += 0.125; // 16 points in 2 s: 32 more take 4 s
        bar.step();
    }
    ASSERT_TRUE(bar.shown());
    EXPECT_NE(shown(out.str()).find("16/48 points  0:04 left"), std::string::npos) << out.str();
    bar.finish();
    // One copy of the text: two calls of str() are two strings.
    const std::string text = out.str();
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
}

TEST(ProgressBar, RedrawsAFewTimesASecondButAlwaysTheLastPoint)
{
    std::ostringstream out;
    FakeClock clock;
    ProgressBar bar(out, 1000, clock.fn());
    clock.now += 1.5;
    bar.step();
    const auto drawn = [&out] {
        const std::string text = out.str();
        return std::count(text.begin(), text.end(), '\r');
    };
    const auto first = drawn();
    for (int i = 1; i < 999; ++i) {
        clock.now += 0.001;
        bar.step();
    }
    // About one second of steps: ten redraws, not a thousand.
    EXPECT_LE(drawn() - first, 11);
    clock.now += 0.001;
    bar.step();
    EXPECT_NE(shown(out.str()).find("1000/1000 points  done"), std::string::npos);
}

TEST(ProgressBar, ATimeWaitingForTheUserDoesNotSlowTheEstimate)
{
    std::ostringstream out;
    FakeClock clock;
    ProgressBar bar(out, 48, clock.fn());
    for (int i = 0; i < 16; ++i) {
        clock.now += 0.125;
        bar.step();
    }
    bar.pause();
    // The line steps aside for the prompt.
    EXPECT_EQ(shown(out.str()).find_first_not_of(' '), std::string::npos);
    clock.now += 60; // the user connects the next standard
    bar.resume();
    for (int i = 0; i < 16; ++i) {
        clock.now += 0.125;
        bar.step();
    }
    // 32 points in 4 s of measuring: 16 more take 2 s.
    EXPECT_NE(shown(out.str()).find("32/48 points  0:02 left"), std::string::npos) << shown(out.str());
}

TEST(ProgressBar, AShorterLineWipesTheTailOfTheLongerOne)
{
    std::ostringstream out;
    FakeClock clock;
    ProgressBar bar(out, 10, clock.fn());
    clock.now += 700; // "105:00 left" is longer than "done"
    bar.step();
    clock.now += 1;
    for (int i = 1; i < 10; ++i)
        bar.step();
    const std::string last = shown(out.str());
    EXPECT_EQ(last.substr(0, last.find("done") + 4), ProgressBar::line(10, 10, 0));
    EXPECT_EQ(last.size(), ProgressBar::line(1, 10, 6300).size());
}

} // namespace
} // namespace orbilan::cli
