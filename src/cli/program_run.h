// One run of the program for `calibrate` and `measure`: the main window model
// started as the desktop program starts it, then driven by the same user
// actions a person would make (through UserInput), with the dialogs answered
// by CommandPlatform. Every number the commands write comes out of the
// window's own handlers; this file only presses the buttons and reads the
// state the window shows.
#pragma once

#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/user_input.h"
#include "cli/command_platform.h"
#include "cli/instrument_options.h"
#include "cli/option_parser.h"
#include "cli/progress_bar.h"

namespace orbilan::cli {

// Where a command reads prompts and writes its results and complaints.
struct CommandIo {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    // stderr is a terminal: the progress line may be drawn there.
    bool terminal = false;
    // The answers to prompts are typed (and echoed with their line end);
    // otherwise they come from a pipe and the line is ended for them.
    bool typedAnswers = false;
};

// Why a command stops: its exit status (1 a measurement or file error,
// 2 bad usage) and the one line that says so.
struct CommandFailed {
    int status = 1;
    std::string text;
};

// Runs a command's body for its exit status. A UsageError prints
// "orbilan-cli COMMAND: why" (with the usage lines when an argument was not
// understood) and gives 2; a CommandFailed prints its line and gives its
// status.
int reportFailures(const std::string& command, std::ostream& err, const std::function<int()>& body);

// The sweep as the sweep panel takes it. Empty texts leave a field as it is.
struct SweepRequest {
    bool centreSpan = false;
    std::string f1, f2;           // start and stop, or centre and span
    std::string steps, wait, averages;
    std::optional<bool> cds;

    bool any() const { return !f1.empty() || !steps.empty() || !wait.empty() || !averages.empty() || cds; }
};

// The text typed into a frequency field: a plain number means Hz whatever
// unit the field showed last (the panel would otherwise read "1000000" in
// the unit the other field set, MHz for instance).
std::string frequencyFieldText(const std::string& given);

class ProgramRun {
public:
    // The simulator, if any, is configured already (startSimulator); hooks are
    // what it gave back.
    ProgramRun(std::string command, const InstrumentOptions& options, const SimulatorHooks& hooks, CommandIo io,
               bool quiet);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    app::MainWindow& window() { return *window_; }
    CommandPlatform& platform() { return platform_; }
    const std::string& command() const { return command_; }

    // Starts the program (Form_Load). Throws CommandFailed when it ended,
    // the instrument not answering.
    void start();

    // A user's action; throws CommandFailed (status 1) when the control is out
    // of reach or the program ended on it.
    void click(const std::string& name);
    void type(const std::string& name, const std::string& text);
    void choose(const std::string& name, const std::string& entry);

    // The dialogs shown since the last call.
    std::vector<ui::DialogRecord> shownDialogs() { return platform_.takeShown(); }
    // Throws CommandFailed with the first message box among `dialogs`, if any.
    void failOnMessage(const std::vector<ui::DialogRecord>& dialogs, int status);
    // After the program ended on its own: throws CommandFailed (status 1)
    // with the reason it gave, its last OK-only message (prompts and the
    // offer to save come before or after it and are no reason), else with
    // `otherwise`.
    [[noreturn]] void failOnEnd(const std::vector<ui::DialogRecord>& dialogs, const std::string& otherwise);
    // Writes OK-only notes (a vna.ini complaint ...) to stderr unless quiet.
    void note(const std::vector<ui::DialogRecord>& dialogs);
    [[noreturn]] void fail(int status, const std::string& text) const;

    // Sets the sweep through the sweep panel and its OK button; a refusal by
    // the panel is bad usage (status 2) with the panel's own message.
    void setSweep(const SweepRequest& request);

    // Counts the points measured from now on against `total` on the
    // progress line (when one may be drawn).
    void beginProgress(int total);
    void endProgress();

    // A control's caption and state.
    const ui::Control& control(const std::string& name, int index = -1);

    bool quiet() const { return quiet_; }
    CommandIo& io() { return io_; }

private:
    std::string command_;
    CommandIo io_;
    bool quiet_;
    CommandPlatform platform_;
    SimulatorHooks hooks_;
    std::unique_ptr<app::MainWindow> window_;
    std::unique_ptr<app::UserInput> input_;
    std::unique_ptr<ProgressBar> progress_;
};

} // namespace orbilan::cli
