// The manual control window: set both synthesisers to one frequency and LO
// phase by hand and read the ADC voltage.
#pragma once

#include "ui/control.h"

namespace orbilan::app {

class MainWindow;

class ManualForm {
public:
    explicit ManualForm(MainWindow& main);

    ui::ControlSet& controls() { return ui_; }
    const ui::ControlSet& controls() const { return ui_; }

    // Opens the window beside the main window (it does not block it).
    void Show();
    void Command1_Click();
    void CloseButton_Click();

    // The phase code of the last Set DDS press.
    int ManualPhase() const { return manualPhase_; }

private:
    MainWindow& main_;
    ui::ControlSet ui_{"ManualForm"};
    int manualPhase_ = 0;
};

} // namespace orbilan::app
