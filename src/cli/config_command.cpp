// orbilan-cli config: the settings start-up would use, read from vna.ini.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "app/settings.h"
#include "cli/commands.h"
#include "ui/number_text.h"

namespace orbilan::cli {

namespace {

void printMessageLines(const std::string& message)
{
    std::string line;
    for (char ch : message) {
        if (ch == '\r' || ch == '\n') {
            std::cerr << line << '\n';
            line.clear();
        } else {
            line += ch;
        }
    }
    std::cerr << line << '\n';
}

} // namespace

int runConfig(const Args& args)
{
    std::string dir = ".";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--dir" && i + 1 < args.size()) {
            dir = args[++i];
        } else if (args[i] == "--help" || args[i] == "-h") {
            std::cout << "usage: orbilan-cli config [--dir DIR]\n"
                         "Reads DIR/vna.ini (default: the current folder) as start-up does. Each message\n"
                         "start-up would show goes to stderr; the effective settings go to stdout.\n";
            return 0;
        } else {
            std::cerr << "orbilan-cli config: unexpected argument '" << args[i] << "'\n";
            return 2;
        }
    }

    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        std::cerr << "orbilan-cli config: --dir: no folder " << dir << '\n';
        return 2;
    }
    app::Settings s;
    const app::ConfigOutcome outcome = app::LoadConfigFile(dir, s, app::InitialTitle);
    for (const std::string& m : outcome.messages)
        printMessageLines(m);

    char colour[16];
    std::snprintf(colour, sizeof colour, "0x%06X", static_cast<unsigned>(s.GraticuleColour));
    std::cout << "Title=" << outcome.title << '\n'
              << "OwnerName=" << s.OwnerName << '\n'
              << "ClockMHz=" << ui::shortestText(s.ClockMHz) << '\n'
              << "ClockHz=" << s.ClockHz << '\n'
              << "DataPort=" << s.DataPort << '\n'
              << "StatusPort=" << s.StatusPort << '\n'
              << "UsbLink=" << (s.UsbLink ? "true" : "false") << '\n'
              << "ReadOverheadMs=" << ui::shortestText(s.ReadOverheadMs) << '\n'
              << "AdcWaitMs=" << s.AdcWaitMs << '\n'
              << "GraticuleColour=" << colour << '\n'
              << "Z0=" << ui::shortestText(s.Z0) << '\n'
              << "LoadStdR=" << ui::shortestText(s.LoadStdR) << '\n'
              << "LoadStdC=" << ui::shortestText(s.LoadStdC) << '\n'
              << "LoadStdL=" << ui::shortestText(s.LoadStdL) << '\n'
              << "AdcMode=" << s.AdcMode << '\n'
              << "AdcType=" << s.AdcType << '\n'
              << "AdcAverages=" << s.AdcAverages << '\n'
              << "SweepPoints=" << s.SweepPoints << '\n'
              << "UsbId=" << s.UsbId << '\n';
    return 0;
}

} // namespace orbilan::cli
