// The window's outside world when a SCPI client drives it without a screen
// (orbilan-cli serve), and the stand-in for the desktop's dialogs while a
// remote command runs there. Dialogs go to the RemoteControl once one is
// attached; before that (the start-up, when no client can be connected yet)
// each message is written to `notes` and a question gets its cautious
// answer (Cancel, No), so that an instrument that does not answer ends the
// start-up instead of retrying for ever.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "ui/platform.h"

namespace orbilan::remote {

class RemoteControl;

class RemotePlatform : public ui::Platform {
public:
    explicit RemotePlatform(std::ostream& notes);

    void attach(RemoteControl* control) { control_ = control; }

    // Put before each note ("orbilan-cli serve: note: ").
    std::string notePrefix;
    // Waits pass for real unless the instrument is simulated in instant timing.
    bool realSleep = true;
    // The window yields: the server takes in and runs what has arrived.
    std::function<void()> onProcessEvents;
    // Sees each message box's text before it is answered (the simulator
    // connects the standard a calibration prompt asks for).
    std::function<void(const std::string&)> beforeMessage;
    // The program has ended (Exit, a fatal instrument fault).
    std::function<void()> onEnd;
    // The last message box's text (why the program ended, when it did).
    const std::string& lastNote() const { return lastNote_; }

    ui::MsgResult messageBox(const std::string& text, ui::MsgButtons buttons, ui::MsgIcon icon,
                             const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::optional<std::string> fileDialog(const ui::FileDialogRequest& request) override;
    void processEvents() override;
    void sleepMs(int ms) override;
    ui::DateTimeText now() override;
    char decimalSeparator() override { return '.'; }
    void setClipboardImage(const ui::Image&) override {}
    // No printer behind a server: nothing is printed, and the program hears so.
    bool printPage(const ui::PrintPage&) override { return false; }
    void endProgram() override;

private:
    std::ostream& notes_;
    RemoteControl* control_ = nullptr;
    std::string lastNote_;
};

} // namespace orbilan::remote
