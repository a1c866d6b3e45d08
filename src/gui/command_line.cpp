#include "gui/command_line.h"

#include <QDir>
#include <QFileInfo>

#include "gui/qt_text.h"

namespace orbilan::gui {

CommandLine parseCommandLine(const QStringList& arguments, bool simulateFromEnvironment)
{
    CommandLine line;
    line.options.simulate = simulateFromEnvironment;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            line.help = true;
        } else if (a == QLatin1String("--version")) {
            line.version = true;
        } else if (a == QLatin1String("--simulate")) {
            line.options.simulate = true;
        } else if (a == QLatin1String("--ini") || a.startsWith(QLatin1String("--ini="))) {
            QString dir;
            if (a == QLatin1String("--ini")) {
                if (i + 1 >= arguments.size()) {
                    line.error = "--ini needs a folder";
                    return line;
                }
                dir = arguments[++i];
            } else {
                dir = a.mid(6);
            }
            if (!QFileInfo(dir).isDir()) {
                line.error = "--ini: no folder " + ss(dir);
                return line;
            }
            line.options.iniDir = ss(QDir(dir).absolutePath());
        } else if (a == QLatin1String("--remote") || a.startsWith(QLatin1String("--remote="))) {
            bool ok = true;
            line.remotePort = a == QLatin1String("--remote") ? 5025 : a.mid(9).toInt(&ok);
            if (!ok || line.remotePort < 1 || line.remotePort > 65535) {
                line.error = "--remote=PORT needs a port from 1 to 65535";
                return line;
            }
        } else {
            line.error = "unknown argument " + ss(a);
            return line;
        }
    }
    return line;
}

std::string usageText()
{
    return "usage: orbilan [--simulate] [--ini DIR] [--remote[=PORT]]\n"
           "\n"
           "Orbilan drives the Kesp vector network analyser.\n"
           "\n"
           "  --simulate   use the simulated instrument (also ORBILAN_SIMULATE=1) and\n"
           "               open the simulator's bench window\n"
           "  --ini DIR    read vna.ini from DIR instead of the current folder\n"
           "  --remote[=PORT]  serve SCPI commands on 127.0.0.1, port 5025 or PORT; the\n"
           "               window follows the client (see orbilan-cli serve --help)\n"
           "  --version    print the version and exit\n"
           "  --help       print this text and exit\n";
}

} // namespace orbilan::gui
