// A Platform for front ends running on the simulated instrument: it forwards
// every call to the front end's own platform, and shows each message box text
// to the simulator first, so that a calibration prompt ("Connect short
// circuit reference, then click OK") connects the standard it names when the
// simulator's auto-follow is on. The front end also hands
// MainWindow::onCalibrationFinished to kesp_sim_calibration_done(), which puts
// the device under test back.
#pragma once

#include "ui/platform.h"

namespace orbilan::sim {

class AutoFollowPlatform : public ui::Platform {
public:
    explicit AutoFollowPlatform(ui::Platform& inner) : inner_(inner) {}

    ui::Platform& inner() { return inner_; }

    ui::MsgResult messageBox(const std::string& text, ui::MsgButtons buttons, ui::MsgIcon icon,
                             const std::string& title) override;
    ui::MsgResult detailedMessageBox(const std::string& text, const std::string& detail, ui::MsgButtons buttons,
                                     ui::MsgIcon icon, const std::string& title) override
    {
        return inner_.detailedMessageBox(text, detail, buttons, icon, title);
    }
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override
    {
        return inner_.inputBox(prompt, title, defaultText);
    }
    std::optional<std::string> fileDialog(const ui::FileDialogRequest& request) override
    {
        return inner_.fileDialog(request);
    }
    void processEvents() override { inner_.processEvents(); }
    void sleepMs(int ms) override { inner_.sleepMs(ms); }
    ui::DateTimeText now() override { return inner_.now(); }
    char decimalSeparator() override { return inner_.decimalSeparator(); }
    void setClipboardImage(const ui::Image& image) override { inner_.setClipboardImage(image); }
    bool printPage(const ui::PrintPage& page) override { return inner_.printPage(page); }
    void endProgram() override { inner_.endProgram(); }

private:
    ui::Platform& inner_;
};

} // namespace orbilan::sim
