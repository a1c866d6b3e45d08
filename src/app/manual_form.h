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

    void Command1_Click();
    void CloseButton_Click();

private:
    MainWindow& main_;
    ui::ControlSet ui_{"ManualForm"};
};

} // namespace orbilan::app
