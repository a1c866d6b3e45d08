// The platform of `calibrate` and `measure`: no one watches a window, so every
// dialog is answered by a rule. The calibration's "Connect ... then click OK"
// prompts are put to the person at the terminal (Enter goes on, q cancels),
// unless the simulator connects the standards itself; the file dialogs get
// the paths of the command line; the reminder to save a calibration is
// declined, since the command saves it itself. Anything else is recorded for
// the command to report: OK-only boxes are acknowledged, questions get their
// cautious answer (Cancel, No).
#pragma once

#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "cli/session_platform.h"

namespace orbilan::cli {

class CommandPlatform : public SessionPlatform {
public:
    // Prompts are read from `in` and written, with notes, to `err`.
    CommandPlatform(std::istream& in, std::ostream& err);

    // The answers of the file dialogs and the comment box; an empty path
    // cancels the dialog.
    std::string calSavePath;
    std::string calLoadPath;
    std::string dataSavePath;
    std::string comment;
    // True when the simulator connects each standard a prompt names: the
    // prompt is then answered OK without asking anyone.
    bool standardsConnectThemselves = false;
    // Ends the prompt's line after the answer (answers from a pipe are not
    // echoed by a terminal).
    bool echoLineEnd = false;
    // Around a question to the terminal (the progress line steps aside).
    std::function<void()> beforeAsking;
    std::function<void()> afterAsking;

    // The dialogs shown since the last take, in order.
    std::vector<ui::DialogRecord> takeShown();
    // The prompt the user cancelled at, "" when none was.
    const std::string& cancelledAt() const { return cancelledAt_; }

    ui::MsgResult messageBox(const std::string& text, ui::MsgButtons buttons, ui::MsgIcon icon,
                             const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::optional<std::string> fileDialog(const ui::FileDialogRequest& request) override;

private:
    // The person at the terminal: true to go on.
    bool askToConnect(const std::string& title, const std::string& text);

    std::istream& in_;
    std::ostream& err_;
    std::vector<ui::DialogRecord> shown_;
    std::string cancelledAt_;
};

// A dialog as one line of text: its title and text, line breaks as blanks,
// and a message's cause in brackets after it.
std::string dialogLine(const ui::DialogRecord& dialog);

} // namespace orbilan::cli
