// A main window on the scripted platform, started as the program starts (an
// empty vna.ini, the simulated instrument in instant timing), with helpers
// that act as a user does: every event goes through deliver() and the
// window's own dispatch.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "support/test_platform.h"

namespace orbilan::test {

class SweepWindowTest : public ::testing::Test {
protected:
    SweepWindowTest();
    // Every control the sweep's handlers reached exists in the window.
    void TearDown() override;

    ui::ControlSet& ui() { return window.controls(); }
    ui::Control& ctl(const std::string& name, int index = -1) { return window.controls().at(name, index); }

    void click(const std::string& name, int index = -1);
    // Focus in, type, then leave the field (validate, and lose the focus
    // unless the validation kept it). Returns false when it was kept.
    bool typeFrequency(const std::string& box, const std::string& text);
    // Opens a value list with its button, types the text and presses Enter.
    void enterInList(const std::string& button, const std::string& list, const std::string& text);
    // Presses a key in a control; returns the key as the handler left it.
    int pressKey(const std::string& name, int key);
    void openPanel() { click("SetSweepButton"); }
    // Opens the panel, enters a Start+End sweep and confirms it.
    void setStartEnd(const std::string& start, const std::string& end);

    // Titles of the message boxes shown so far.
    std::vector<std::string> messageTitles() const;

    TestPlatform platform;
    TempDir iniDir;
    app::MainWindow window;
};

} // namespace orbilan::test
