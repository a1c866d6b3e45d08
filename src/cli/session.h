// orbilan-cli session: the main window model driven line by line. Each
// command line gets exactly one answer line ("ok", "ok VALUE", "error
// REASON"), preceded by one "> " line per dialog the command caused.
#pragma once

#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/user_input.h"
#include "cli/session_input.h"
#include "cli/session_platform.h"
#include "cli/session_protocol.h"

namespace orbilan::cli {

// What the session needs from the simulated instrument; empty functions when
// the session drives a real one.
struct SimulatorHooks {
    // Connects a device; returns why it could not, or "".
    std::function<std::string(const std::string& spec)> setDut;
    // Sees each message box text before it is answered (auto-follow).
    std::function<void(const std::string& text)> prompt;
    // A calibration procedure ended (auto-follow reconnects the device).
    std::function<void()> calibrationDone;
    // Start-up has read vna.ini (the simulator becomes the instrument it
    // describes: its ADC type, the load standard the program models).
    std::function<void(const app::Settings&)> configured;
};

class Session {
public:
    Session(std::ostream& out, app::ProgramOptions options, SimulatorHooks simulator = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Handles one input line. False once the session is over (quit, or the
    // program ended); later lines must be ignored.
    bool handleLine(std::string line);
    // Handles lines until the input ends or the session is over; the exit
    // status. While a continuous sweep runs (it only ends when told to), the
    // lines that have arrived are handled between its points, each answered
    // as it runs; the click that started the sweep is answered when the
    // sweep stops. The end of the input stops a running sweep, as Pause does.
    int run(LineSource& source);
    int run(std::istream& in);

    app::MainWindow& window() { return *window_; }
    SessionPlatform& platform() { return platform_; }

private:
    // The answer line of one command.
    std::string execute(const SessionCommand& command);
    std::string get(const std::string& name);
    std::string getProperty(const std::string& object, const std::string& property);
    std::string writeCanvas(const std::string& path);
    // Runs the "after" commands whose count of measured points has run out,
    // then, in a continuous sweep with none waiting, the lines that came.
    void pointMeasured();
    void readWhileSweeping();
    // Stops a running sweep as Pause does.
    void stopSweep();
    void writeAnswer(const std::string& line);

    struct Deferred {
        int remaining = 0;
        std::string line;
    };

    std::ostream& out_;
    SessionPlatform platform_;
    SimulatorHooks simulator_;
    std::unique_ptr<app::MainWindow> window_;
    std::unique_ptr<app::UserInput> input_;
    std::vector<Deferred> deferred_;
    bool started_ = false;
    bool over_ = false;
    bool endReported_ = false;
    LineSource* source_ = nullptr; // while run() reads
    bool inputEnded_ = false;
    // Lines handled inside a sweep that a line handled inside a sweep began
    // (Clear and Re-start during a continuous sweep starts another inside it).
    int readDepth_ = 0;
};

} // namespace orbilan::cli
