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
        } else {
            line.error = "unknown argument " + ss(a);
            return line;
        }
    }
    return line;
}

std::string usageText()
{
    return "usage: orbilan [--simulate] [--ini DIR]\n"
           "\n"
           "Orbilan drives the Kesp vector network analyser.\n"
           "\n"
           "  --simulate   use the simulated instrument (also ORBILAN_SIMULATE=1) and\n"
           "               open the simulator's bench window\n"
           "  --ini DIR    read vna.ini from DIR instead of the current folder\n"
           "  --version    print the version and exit\n"
           "  --help       print this text and exit\n";
}

} // namespace orbilan::gui
