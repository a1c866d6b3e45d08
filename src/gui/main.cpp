// orbilan: the desktop program.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <QApplication>

#include "gui/command_line.h"
#include "gui/desktop.h"
#include "gui/remote_bridge.h"
#include "gui/qt_text.h"
#include "orbilan/build_version.h"

namespace {

bool hasDisplay()
{
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char** argv)
{
    // Answered before any window exists, so they work without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(orbilan::gui::usageText().c_str(), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs(orbilan::versionLine("orbilan").c_str(), stdout);
            return 0;
        }
    }
    if (!hasDisplay()) {
        std::fputs("orbilan: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                   "On a machine without a screen, run it on a virtual one:\n"
                   "  xvfb-run -a orbilan --simulate\n",
                   stderr);
        return 1;
    }

    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orbilan"));
    QApplication::setApplicationName(QStringLiteral("Orbilan"));
    QApplication::setApplicationVersion(QStringLiteral(ORBILAN_VERSION_TEXT));
    QGuiApplication::setDesktopFileName(QStringLiteral("orbilan"));

    const char* simulateVariable = std::getenv("ORBILAN_SIMULATE");
    orbilan::gui::CommandLine line = orbilan::gui::parseCommandLine(
        QApplication::arguments().mid(1), simulateVariable && std::strcmp(simulateVariable, "1") == 0);
    if (!line.error.empty()) {
        std::fprintf(stderr, "orbilan: %s\n\n%s", line.error.c_str(), orbilan::gui::usageText().c_str());
        return 2;
    }

    orbilan::gui::Desktop desktop(line.options);
    desktop.start();
    // After the start-up in the window's queue, so that *RST knows its sweep.
    std::unique_ptr<orbilan::gui::RemoteBridge> remote;
    if (line.remotePort >= 0) {
        remote = std::make_unique<orbilan::gui::RemoteBridge>(desktop);
        if (const std::string why = remote->listen(line.remotePort); !why.empty()) {
            std::fprintf(stderr, "orbilan: --remote: %s\n", why.c_str());
            return 1;
        }
        std::fprintf(stderr, "orbilan: serving SCPI on 127.0.0.1:%d\n", remote->port());
    }
    return QApplication::exec();
}
