// The instrument a SCPI client sees: the command table over the main window
// model. Every command acts as a user would, through app::UserInput (the
// sweep panel, the mode buttons, Calibrate, the sweep buttons, Save Cal ...),
// and reads what it answers from the window's named state or its last
// complete sweep, so that the server measures exactly as the window does.
//
// It also answers the window's dialogs while a client drives it:
//  - a calibration's prompt for a standard waits, serving the client, until
//    CALibration:ANSWer closes it (CALibration:PROMpt? reads it);
//  - the reminder to save an unsaved calibration is declined: a client
//    saves with MMEMory:STORe:CALibration when it wants to;
//  - the file dialogs a MMEMory command causes get that command's file;
//  - any other dialog is answered as its default button would be (OK, Yes,
//    the proposed text; a file dialog is cancelled) and its text is queued
//    as an error -200.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/main_window.h"
#include "app/user_input.h"
#include "remote/command_table.h"
#include "remote/data_folder.h"
#include "remote/error_queue.h"
#include "remote/scpi_engine.h"

namespace orbilan::remote {

class RemoteControl {
public:
    // Files named by clients are looked up in dataFolder.
    RemoteControl(app::MainWindow& window, const std::string& dataFolder);
    RemoteControl(const RemoteControl&) = delete;
    RemoteControl& operator=(const RemoteControl&) = delete;

    ScpiEngine& engine() { return engine_; }
    ErrorQueue& errors() { return errors_; }
    const CommandTable& commands() const { return table_; }
    const DataFolder& dataFolder() const { return folder_; }

    // Takes the sweep *RST returns to: call once the window's start-up has run.
    void rememberStartUp();

    // The window's dialogs, as described above.
    ui::MsgResult messageBox(const std::string& text, ui::MsgButtons buttons, const std::string& title);
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText);
    std::optional<std::string> fileDialog(const ui::FileDialogRequest& request);

    // A front end with a screen shows a waiting prompt too, so that the
    // person at the window may answer it as well (the first answer counts).
    std::function<void(const std::string& title, const std::string& text, ui::MsgButtons buttons)> onPromptOpened;
    std::function<void()> onPromptClosed;
    // Answers the waiting prompt; false when none waits.
    bool answerPrompt(ui::MsgResult result);

    // The server is stopping: a running sweep is paused as the Stop button
    // pauses it (call from the window's yields), so that its loop ends.
    void pauseSweeps();
    // The program's own exit (the OFF button): the synthesisers power down.
    void exitProgram();

private:
    struct Prompt {
        std::string title;
        std::string text;
        ui::MsgButtons buttons = ui::MsgButtons::OkCancel;
        std::optional<ui::MsgResult> answer;
    };
    struct StartUp {
        std::int32_t f1 = 10000000, f2 = 60000000;
        int points = 21, waitMs = 10, averages = 1;
    };
    // What the sweep panel is asked to change; unset fields stay.
    struct SweepChange {
        std::optional<int> kind;
        std::optional<std::int32_t> f1, f2;
        std::optional<int> points, waitMs, averages;
        std::optional<bool> cds;
    };

    using Run = std::function<void(CommandCall&)>;
    // A command that acts on the window (it waits while a prompt is open).
    CommandDef& command(const std::string& pattern, const std::string& syntax, std::vector<ParamDef> params,
                         const std::string& help, Run run);
    // A query, or a command that only answers: it runs while a prompt is open.
    CommandDef& query(const std::string& pattern, const std::string& syntax, std::vector<ParamDef> params,
                       const std::string& help, Run run);

    void addCommonCommands();
    void addSweepCommands();
    void addTriggerCommands();
    void addCalibrationCommands();
    void addFileCommands();
    void addDisplayCommands();
    void addDataCommands();

    // A user's click; false (and the call failed with -221 and `why`, or the
    // window's own reason) when no user could click it now.
    bool click(CommandCall& call, const std::string& control, const std::string& why = {});
    bool type(CommandCall& call, const std::string& control, const std::string& text);
    bool reachable(const std::string& control) const { return input_.refusal(control).empty(); }

    // Named state.
    std::int64_t integer(const std::string& name) const;
    bool flag(const std::string& name) const;

    // The sweep panel opened, changed and confirmed; closed again with
    // Cancel when it refuses, so that a refused change changes nothing.
    void changeSweep(CommandCall& call, const SweepChange& change);
    // One sweep command of a line: the sweep commands that follow each
    // other in a line change the sweep together, in one visit to the panel,
    // so that their order does not matter ("FREQ:STAR 20M;STOP 30M" from a
    // 1 to 10 MHz sweep).
    void sweepCommand(CommandCall& call, const SweepChange& change);
    std::int32_t frequencyOf(int which) const; // 0 start, 1 stop, 2 centre, 3 span
    int sweepKind() const;
    // True when the mode in view has a calibration that applies.
    bool calibrated() const;
    std::string modeName() const;
    bool sweepRunning() const;
    bool continuousRunning() const;

    // A MMEMory command's file, handed to the file dialog the window opens.
    void withFile(CommandCall& call, const std::string& control, const char* title, const std::string& path,
                  const std::string& comment = {});

    app::MainWindow& window_;
    app::UserInput input_;
    CommandTable table_;
    ErrorQueue errors_;
    ScpiEngine engine_;
    DataFolder folder_;
    StartUp startUp_;
    Prompt* prompt_ = nullptr;
    struct FileAnswer {
        std::string title;
        std::string path;
    };
    std::optional<FileAnswer> fileAnswer_;
    std::optional<std::string> inputAnswer_;
    std::optional<SweepChange> pendingSweep_;
};

// One line per command for `--help` and the README: its pattern, its
// parameters and what it does.
std::string commandHelp(const CommandTable& table);

} // namespace orbilan::remote
