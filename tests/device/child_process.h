// Starts a program as a user would start it, in a folder and environment of
// the test's choosing, answers its prompts, and collects what it printed and
// its exit status.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orbilan::test {

struct ChildRun {
    std::vector<std::string> args;     // args[0]: the program's path
    std::string folder;                // working folder ("" keeps the test's)
    // Variables to set; nullopt removes one.
    std::map<std::string, std::optional<std::string>> environment;
    // Runs the program without the power of root to open files regardless
    // of their mode (and as anyone else, unchanged), so that a device node
    // without access refuses it as it refuses a user.
    bool withoutFileAccessOverride = false;
    // Called with the text printed on stderr since the previous prompt each
    // time the program asks to press Enter; returns the line to type.
    std::function<std::string(const std::string& printed)> onPrompt;
    int timeoutSeconds = 300;
};

struct ChildResult {
    int status = -1;   // exit status; 128 + N after signal N
    std::string out;
    std::string err;
};

// The exit status of a child that could not give up the file access override.
inline constexpr int CannotDropFileAccess = 125;

ChildResult runChild(const ChildRun& run);

} // namespace orbilan::test
