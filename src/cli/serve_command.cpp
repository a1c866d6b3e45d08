// orbilan-cli serve: the program started as the desktop starts it, then
// driven by a SCPI client over a raw TCP socket until a signal ends it.
#include <csignal>
#include <iostream>

#include "cli/commands.h"
#include "cli/instrument_options.h"
#include "remote/remote_control.h"
#include "remote/remote_platform.h"
#include "remote/scpi_server.h"
#include "remote/socket_io.h"

namespace orbilan::cli {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void requestStop(int) { stopRequested = 1; }

void usage(std::ostream& out, const remote::CommandTable* commands)
{
    out << "usage: orbilan-cli serve [instrument options] [--port N] [--bind ADDRESS] [--data-dir DIR] [--quiet]\n"
           "Starts the program and serves SCPI commands on a raw TCP socket, one command per line\n"
           "(LF or CR-LF), several separated by ';'. Queries answer one line. SIGINT or SIGTERM\n"
           "end the server with the program's own exit.\n"
           "  --port N           the TCP port (default 5025; 0 lets the system choose)\n"
           "  --bind ADDRESS     the address to listen on (default 127.0.0.1; any other address\n"
           "                     lets everyone who reaches it control the instrument)\n"
           "  --data-dir DIR     the folder MMEMory file names are relative to (default: the\n"
           "                     working folder); absolute names, .. and links out of it are refused\n"
           "  --quiet            no line on stderr when a client connects or leaves\n"
           "Once listening it writes 'listening on ADDRESS:PORT' to stdout. One client controls the\n"
           "instrument at a time; another connection meanwhile gets one line\n"
           "-221,\"Settings conflict;another client controls Orbilan\" and is closed.\n"
        << InstrumentOptionsHelp;
    if (commands)
        out << "Commands (upper case: the short form; [ ] optional; case is free):\n" << remote::commandHelp(*commands);
}

bool parsePort(const std::string& text, int& port)
{
    if (text.empty() || text.size() > 5)
        return false;
    port = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        port = port * 10 + (c - '0');
    }
    return port <= 65535;
}

} // namespace

int runServe(const Args& args)
{
    InstrumentOptions options;
    int port = 5025;
    std::string bind = "127.0.0.1";
    std::string dataDir = ".";
    bool quiet = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* what) -> const std::string* {
            if (i + 1 >= args.size()) {
                std::cerr << "orbilan-cli serve: " << a << " needs " << what << '\n';
                return nullptr;
            }
            return &args[++i];
        };
        if (a == "--help" || a == "-h") {
            // The command list is the table itself, so it cannot drift from what the server does.
            remote::RemotePlatform platform(std::cerr);
            app::MainWindow window(platform, options.program);
            remote::RemoteControl control(window, ".");
            usage(std::cout, &control.commands());
            return 0;
        }
        if (a == "--port") {
            const std::string* v = value("a port number");
            if (!v)
                return 2;
            if (!parsePort(*v, port)) {
                std::cerr << "orbilan-cli serve: --port is a whole number from 0 to 65535\n";
                return 2;
            }
            continue;
        }
        if (a == "--bind" || a == "--data-dir") {
            const std::string* v = value(a == "--bind" ? "an address" : "a folder");
            if (!v)
                return 2;
            (a == "--bind" ? bind : dataDir) = *v;
            continue;
        }
        if (a == "--quiet") {
            quiet = true;
            continue;
        }
        std::string error;
        const OptionTaken taken = takeInstrumentOption(args, i, options, error);
        if (taken == OptionTaken::Error) {
            std::cerr << "orbilan-cli serve: " << error << '\n';
            return 2;
        }
        if (taken == OptionTaken::No) {
            std::cerr << "orbilan-cli serve: unexpected argument '" << a << "'\n";
            usage(std::cerr, nullptr);
            return 2;
        }
    }
    if (const std::string why = checkInstrumentOptions(options); !why.empty()) {
        std::cerr << "orbilan-cli serve: " << why << '\n';
        return 2;
    }
    if (!remote::DataFolder(dataDir).valid()) {
        std::cerr << "orbilan-cli serve: --data-dir " << dataDir << " is no folder\n";
        return 2;
    }
    SimulatorHooks hooks;
    if (const std::string why = startSimulator(options, hooks); !why.empty()) {
        std::cerr << "orbilan-cli serve: " << why << '\n';
        return 2;
    }

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
    if (window.ended()) {
        std::cerr << "orbilan-cli serve: " << (platform.lastNote().empty() ? "the program ended while starting"
                                                                            : platform.lastNote())
                  << '\n';
        return 1;
    }
    if (hooks.configured)
        hooks.configured(window.settings);

    remote::RemoteControl control(window, dataDir);
    control.rememberStartUp();
    platform.attach(&control);
    remote::ScpiServer server(control.engine());
    remote::ScpiServer::Options serverOptions;
    serverOptions.address = bind;
    serverOptions.port = port;
    if (const std::string why = server.listen(serverOptions); !why.empty()) {
        std::cerr << "orbilan-cli serve: " << why << '\n';
        return 1;
    }
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
    if (endedByItself) {
        std::cerr << "orbilan-cli serve: the program ended: " << platform.lastNote() << '\n';
        return 1;
    }
    return 0;
}

} // namespace orbilan::cli
