// orbilan-cli config: the settings start-up would use, read from vna.ini.
#include <cstdio>
#include <iostream>

#include "app/settings.h"
#include "cli/commands.h"
#include "cli/program_run.h"
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

int config(const Args& args)
{
    std::string dir = ".";
    OptionParser p("usage: orbilan-cli config [--dir DIR]\n",
                   "Reads DIR/vna.ini as start-up does. Each message start-up would show goes to stderr;\n"
                   "the effective settings go to stdout.\n");
    p.value("--dir", "DIR", "the folder of vna.ini (default: the working folder)", dir, checkFolder);
    if (!p.parse(args)) {
        std::cout << p.help();
        return 0;
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

} // namespace

int runConfig(const Args& args) { return reportFailures("config", std::cerr, [&] { return config(args); }); }

} // namespace orbilan::cli
