// The platform of a session: dialogs are answered from the queue the script
// fills, and each one is reported as a "> " line with what answered it.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "ui/scripted_platform.h"

namespace orbilan::cli {

class SessionPlatform : public ui::ScriptedPlatform {
public:
    explicit SessionPlatform(std::ostream& out);

    // Waits really pass unless the instrument is simulated in instant timing:
    // a real instrument needs its settling times.
    bool realSleep = true;
    // Called with the text of every message box before it is answered (the
    // simulator connects the standard a calibration prompt asks for).
    std::function<void(const std::string&)> beforeMessage;

    ui::MsgResult messageBox(const std::string& text, ui::MsgButtons buttons, ui::MsgIcon icon,
                             const std::string& title) override;
    void sleepMs(int ms) override;
    ui::DateTimeText now() override;
    // No printer behind a session: nothing is printed, and the program hears so.
    bool printPage(const ui::PrintPage& page) override;

private:
    std::ostream& out_;
};

// The "> " report of one dialog, without the prefix: the kind, its texts and
// what answered it.
std::string describeDialog(const ui::DialogRecord& dialog);

} // namespace orbilan::cli
