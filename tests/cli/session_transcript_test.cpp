// End-to-end sessions: each script under transcripts/ is fed to
// `orbilan-cli session`, and its answers, interleaved with the commands that
// caused them, must match the expected transcript line by line.
//
// A script's line "# args: ..." gives the session's options, and "# env: ..."
// variables for its environment (KESP_SIM_FAULT=no-instrument). @TMP@ stands for
// a fresh temporary folder (the session's working folder) and @DATA@ for
// tests/cli/data. Set ORBILAN_UPDATE_TRANSCRIPTS=1 to write the transcripts
// anew after a deliberate change, then review the difference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/test_platform.h"

namespace orbilan::cli {
namespace {

namespace fs = std::filesystem;

const fs::path TranscriptDir = fs::path(ORBILAN_TEST_SOURCE_DIR) / "transcripts";
const fs::path DataDir = fs::path(ORBILAN_TEST_SOURCE_DIR) / "data";

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::string replaceAll(std::string s, const std::string& from, const std::string& to)
{
    if (from.empty())
        return s;
    for (std::size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size()))
        s.replace(pos, from.size(), to);
    return s;
}

std::string shellQuote(const std::string& s) { return "'" + replaceAll(s, "'", "'\\''") + "'"; }

bool isCommand(const std::string& line)
{
    const auto first = line.find_first_not_of(" \t");
    return first != std::string::npos && line[first] != '#';
}

// The script with the session's answers after each command.
std::string runScript(const fs::path& script)
{
    const test::TempDir tmp;
    const std::string tmpPath = tmp.str();
    const std::vector<std::string> lines = linesOf(test::readFile(script));

    std::string args;
    std::string env;
    std::string input;
    for (const std::string& line : lines) {
        const std::string expanded = replaceAll(replaceAll(line, "@TMP@", tmpPath), "@DATA@", DataDir.string());
        if (expanded.rfind("# args:", 0) == 0)
            args = expanded.substr(7);
        if (expanded.rfind("# env:", 0) == 0)
            env = expanded.substr(6);
        input += expanded + "\n";
    }
    tmp.write("script.in", input);
    const std::string command = "cd " + shellQuote(tmpPath) + " && " + env + " timeout 300 " + shellQuote(std::string(ORBILAN_BIN_DIR) + "/orbilan-cli")
                                + " session " + args + " < script.in > script.out 2> script.err";
    const int status = std::system(command.c_str());
    EXPECT_EQ(status, 0) << "the session ended with status " << status << ": "
                         << test::readFile(tmp.path() / "script.err");

    const std::vector<std::string> output = linesOf(test::readFile(tmp.path() / "script.out"));
    std::size_t next = 0;
    std::string transcript;
    for (const std::string& line : lines) {
        transcript += line + "\n";
        if (!isCommand(line))
            continue;
        while (next < output.size()) {
            const std::string& answer = output[next++];
            transcript += answer + "\n";
            if (answer.rfind("> ", 0) != 0)
                break;
        }
    }
    while (next < output.size())
        transcript += "!! unexpected: " + output[next++] + "\n";
    return replaceAll(transcript, tmpPath, "@TMP@");
}

std::vector<std::string> scripts()
{
    std::vector<std::string> names;
    if (fs::is_directory(TranscriptDir))
        for (const auto& entry : fs::directory_iterator(TranscriptDir))
            if (entry.path().extension() == ".session")
                names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

class SessionTranscript : public ::testing::TestWithParam<std::string> {};

TEST_P(SessionTranscript, MatchesTheExpectedTranscript)
{
    const fs::path script = TranscriptDir / (GetParam() + ".session");
    const fs::path expectedFile = TranscriptDir / (GetParam() + ".transcript");
    const std::string actual = runScript(script);
    if (std::getenv("ORBILAN_UPDATE_TRANSCRIPTS")) {
        std::ofstream(expectedFile, std::ios::binary) << actual;
        GTEST_SKIP() << "wrote " << expectedFile;
    }
    ASSERT_TRUE(fs::exists(expectedFile)) << "no expected transcript " << expectedFile << "; this run gave:\n"
                                          << actual;
    const std::vector<std::string> want = linesOf(test::readFile(expectedFile));
    const std::vector<std::string> got = linesOf(actual);
    for (std::size_t i = 0; i < std::max(want.size(), got.size()); ++i) {
        const std::string w = i < want.size() ? want[i] : "<nothing>";
        const std::string g = i < got.size() ? got[i] : "<nothing>";
        ASSERT_EQ(g, w) << "first difference at line " << i + 1 << " of " << expectedFile << "; the whole run:\n"
                        << actual;
    }
}

INSTANTIATE_TEST_SUITE_P(Scripts, SessionTranscript, ::testing::ValuesIn(scripts()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
                             return name;
                         });

} // namespace
} // namespace orbilan::cli
