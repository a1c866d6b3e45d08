// The one way a user's action reaches a window model. The desktop front end,
// the session protocol and the tests all go through here, so that a click, an
// entry or a key press runs the same handlers in the same order whoever makes
// it.
//
// Controls are named as written in the program: "F1text", "SweepButton(2)";
// controls of the manual window carry its name in front, "ManualForm.Command1",
// and "ManualForm" alone names that window; the trace tools' controls carry
// theirs, "TraceTools.LoadReference". "MainWindow.F1text" is accepted too.
//
// Every action first checks that a user could reach the control: it must
// exist, be visible inside visible frames and a visible window, and be enabled
// inside enabled frames. A refused action changes nothing and returns why; a
// delivered one returns an empty text. Actions run inside MainWindow::deliver,
// so a program end during an action stops there (check MainWindow::ended()).
#pragma once

#include <functional>
#include <string>

#include "ui/control.h"

namespace orbilan::app {

class MainWindow;

class UserInput {
public:
    explicit UserInput(MainWindow& main);

    struct Target {
        ui::ControlSet* set = nullptr; // the window's controls
        ui::Control* control = nullptr;
    };
    // Finds a control by its written name; both pointers are null when unknown.
    Target resolve(const std::string& name) const;
    // The written name of a control ("ManualForm.frequency", "SweepButton(2)").
    static std::string nameOf(const ui::ControlSet& set, const ui::Control& control);
    // Why a user could not act on the control now; "" when he could.
    std::string refusal(const std::string& name) const;

    // A click. Option buttons become selected and check boxes toggle first,
    // which runs their click handler, exactly as a click does.
    std::string click(const std::string& name);
    // Entering a text box or an editable list: it gets the focus, its text is
    // replaced, then it loses the focus (Validate, which may keep the focus,
    // then LostFocus; an editable list applies its text as it is left).
    std::string type(const std::string& name, const std::string& text);
    // Key presses: the control gets the focus, then each character goes
    // through the focused control's KeyPress handler ("\r" is Enter, 13) and,
    // unless discarded, edits its text (8 is Backspace). When a handler moves
    // the focus, the following keys go to the control that has it.
    std::string key(const std::string& name, const std::string& keys);
    // Picks the entry of a list box or editable list whose text is `entry`
    // (blanks around entries are ignored when no entry matches exactly), as a
    // click in the list does.
    std::string choose(const std::string& name, const std::string& entry);
    // The focus moves to the control (the control that had it is left first,
    // and may keep it).
    std::string focus(const std::string& name);
    // The control loses the focus: Validate, which may keep it, then LostFocus.
    std::string leave(const std::string& name);

private:
    // Leaves the focused control of the set, then focuses target. False when
    // the control that had the focus kept it.
    bool moveFocus(ui::ControlSet& set, ui::Control& target);
    bool leaveControl(ui::ControlSet& set, ui::Control& control);
    static std::string keptFocus(const ui::ControlSet& set);
    void pressKey(ui::ControlSet& set, ui::Control& control, int key, const std::string& utf8);
    // Runs the action inside deliver() after the reachability checks.
    std::string act(const std::string& name, const std::function<std::string(Target&)>& action);

    MainWindow& main_;
};

} // namespace orbilan::app
