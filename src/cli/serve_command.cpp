// orbilan-cli serve: the program started as the desktop starts it, then
// driven by a SCPI client over a raw TCP socket until a signal ends it.
#include <csignal>
#include <iostream>

#include "cli/commands.h"
#include "cli/instrument_options.h"
#include "cli/program_run.h"
#include "remote/remote_control.h"
#include "remote/remote_platform.h"
#include "remote/scpi_server.h"
#include "remote/socket_io.h"

namespace orbilan::cli {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void requestStop(int) { stopRequested = 1; }

int serve(const Args& args)
{
    InstrumentOptions options;
    int port = 5025;
    std::string bind = "127.0.0.1";
    std::string dataDir = ".";
    bool quiet = false;
    OptionParser p(
        "usage: orbilan-cli serve [instrument options] [--port N] [--bind ADDRESS] [--data-dir DIR] [--quiet]\n",
        "Starts the program and serves SCPI commands on a raw TCP socket, one command per line\n"
        "(LF or CR-LF), several separated by ';'. Queries answer one line. SIGINT or SIGTERM\n"
        "end the server with the program's own exit.\n"
        "Once listening it writes 'listening on ADDRESS:PORT' to stdout. One client controls the\n"
        "instrument at a time; another connection meanwhile gets one line\n"
        "-221,\"Settings conflict;another client controls Orbilan\" and is closed.\n");
    p.whole("--port", "N", "the TCP port (default 5025; 0 lets the system choose)", 0, 65535, port)
        .value("--bind", "ADDRESS",
               "the address to listen on (default 127.0.0.1; any other address\n"
               "lets everyone who reaches it control the instrument)",
               bind)
        .value("--data-dir", "DIR",
               "the folder MMEMory file names are relative to (default: the\n"
               "working folder); absolute names, .. and links out of it are refused",
               dataDir,
               [](const std::string& option, const std::string& text) {
                   return remote::DataFolder(text).valid() ? std::string() : option + " " + text + " is no folder";
               })
        .flag("-q, --quiet", "no line on stderr when a client connects or leaves", quiet);
    addInstrumentOptions(p, options);
    if (!p.parse(args)) {
        // The command list is the table itself, so it cannot drift from what the server does.
        remote::RemotePlatform platform(std::cerr);
        app::MainWindow window(platform, options.program);
        remote::RemoteControl control(window, ".");
        std::cout << p.help() << "Commands (upper case: the short form; [ ] optional; case is free):\n"
                  << remote::commandHelp(control.commands());
        return 0;
    }
    checkInstrumentOptions(options);
    SimulatorHooks hooks;
    if (const std::string why = startSimulator(options, hooks); !why.empty())
        throw CommandFailed{2, why};

    remote::RemotePlatform platform(std::cerr);
    platform.notePrefix = "orbilan-cli serve: note: ";
    platform.realSleep = !options.instant();
    platform.beforeMessage = hooks.prompt;
    app::MainWindow window(platform, options.program);
    window.onCalibrationFinished = [&hooks] {
        if (hooks.calibrationDone)
            hooks.calibrationDone();
    };
    window.deliver([&window] { window.Form_Load(); });
    if (window.ended())
        throw CommandFailed{1, platform.lastNote().empty() ? "the program ended while starting" : platform.lastNote()};
    if (hooks.configured)
        hooks.configured(window.settings);

    remote::RemoteControl control(window, dataDir);
    control.rememberStartUp();
    platform.attach(&control);
    remote::ScpiServer server(control.engine());
    remote::ScpiServer::Options serverOptions;
    serverOptions.address = bind;
    serverOptions.port = port;
    if (const std::string why = server.listen(serverOptions); !why.empty())
        throw CommandFailed{1, why};
    if (!remote::net::isLoopbackAddress(bind))
        std::cerr << "orbilan-cli serve: warning: listening on " << bind
                  << ": anyone who can reach this address controls the instrument\n";
    server.log = [quiet](const std::string& line) {
        if (!quiet)
            std::cerr << "orbilan-cli serve: " << line << '\n';
    };

    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a signal ends the server's wait at once.
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    remote::ScpiEngine& engine = control.engine();
    // A stop request ends what runs: a prompt's wait gives up, a sweep pauses.
    auto stopIfAsked = [&] {
        if (!stopRequested)
            return false;
        engine.stop();
        control.pauseSweeps();
        return true;
    };
    engine.pump = [&](int ms) {
        if (!stopIfAsked())
            server.poll(ms);
    };
    // The window yields once per measured point: the clients are served there.
    platform.onProcessEvents = [&] {
        if (!stopIfAsked())
            server.poll(0);
    };
    platform.onEnd = [&engine] { engine.stop(); };

    std::cout << "listening on " << bind << ":" << server.port() << std::endl;
    while (!stopRequested && !window.ended())
        server.poll(500);

    engine.stop();
    const bool endedByItself = window.ended();
    control.exitProgram();
    server.close();
    if (endedByItself)
        throw CommandFailed{1, "the program ended: " + platform.lastNote()};
    return 0;
}

} // namespace

int runServe(const Args& args) { return reportFailures("serve", std::cerr, [&] { return serve(args); }); }

} // namespace orbilan::cli
