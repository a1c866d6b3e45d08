#include "gui/command_line.h"

#include <QDir>

#include "cli/option_parser.h"
#include "gui/qt_text.h"

namespace orbilan::gui {

namespace {

// The desktop program's options, declared as orbilan-cli declares its own.
cli::OptionParser declare(CommandLine& line)
{
    cli::OptionParser p("usage: orbilan [--simulate] [--ini DIR] [--remote[=PORT]]\n",
                        "\n"
                        "Orbilan drives the Kesp vector network analyser.\n"
                        "\n");
    p.flag("--simulate",
           "use the simulated instrument (also ORBILAN_SIMULATE=1) and\n"
           "open the simulator's bench window",
           line.options.simulate)
        .value("--ini", "DIR", "read vna.ini from DIR instead of the current folder", line.options.iniDir,
               cli::checkFolder)
        .optionalValue("--remote", "PORT",
                       "serve SCPI commands on 127.0.0.1, port 5025 or PORT; the\n"
                       "window follows the client (see orbilan-cli serve --help)",
                       "5025", [&line](const std::string& option, const std::string& text) {
                           std::uint64_t port = 0;
                           if (std::string why = cli::checkWholeNumber(option, text, 1, 65535, port); !why.empty())
                               throw cli::UsageError{why, {}};
                           line.remotePort = static_cast<int>(port);
                       })
        .flag("--version", "print the version and exit", line.version);
    return p;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments, bool simulateFromEnvironment)
{
    CommandLine line;
    line.options.simulate = simulateFromEnvironment;
    std::vector<std::string> args;
    for (const QString& a : arguments)
        args.push_back(ss(a));
    try {
        line.help = !declare(line).parse(args);
    } catch (const cli::UsageError& e) {
        line.error = e.text;
    }
    if (line.error.empty() && line.options.iniDir != ".")
        line.options.iniDir = ss(QDir(QString::fromStdString(line.options.iniDir)).absolutePath());
    return line;
}

std::string usageText()
{
    CommandLine unused;
    return declare(unused).help();
}

} // namespace orbilan::gui
