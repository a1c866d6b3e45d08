// A decimal-comma C locale for the writers of numbers: the files must not
// follow the user's locale. Generated on the spot when the system has none.
#pragma once

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace orbilan::test {

class CommaLocale {
public:
    CommaLocale()
    {
        previous_ = std::setlocale(LC_NUMERIC, nullptr);
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
            if (std::setlocale(LC_NUMERIC, name)) {
                active_ = true;
                return;
            }
        // Compile one into a private folder when the locale sources exist.
        const auto dir = std::filesystem::temp_directory_path() / "orbilan-test-locales";
        const std::string command = "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() +
                                    "' >/dev/null 2>&1";
        if (!std::filesystem::exists(dir / "de_DE.UTF-8")) {
            std::filesystem::create_directories(dir);
            if (std::system(command.c_str()) != 0)
                return;
        }
        setenv("LOCPATH", dir.c_str(), 1);
        active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    }
    ~CommaLocale() { std::setlocale(LC_NUMERIC, previous_.c_str()); }
    // True when printf now writes a decimal comma.
    bool active() const
    {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%.1f", 1.5);
        return active_ && std::string(buf) == "1,5";
    }

private:
    std::string previous_;
    bool active_ = false;
};

} // namespace orbilan::test
