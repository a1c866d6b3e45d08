// The scripted platform for tests: dialogs the test did not queue an answer
// for fail the test, naming the dialog.
#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "ui/scripted_platform.h"

namespace orbilan::test {

class TestPlatform : public ui::ScriptedPlatform {
public:
    TestPlatform()
    {
        onUnanswered = [](const ui::DialogRecord& d) {
            ADD_FAILURE() << "unexpected dialog: title \"" << d.title << "\", text \"" << d.text << "\"";
        };
    }
};

// A fresh empty folder under the system's temporary folder, removed at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    // Writes a file below the folder and returns its path.
    std::filesystem::path write(const std::string& name, const std::string& contents) const;

private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);

} // namespace orbilan::test
