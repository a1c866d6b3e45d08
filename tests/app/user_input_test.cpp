// A user's actions reach the window model only through UserInput: what a
// user could not reach is refused untouched, and every handler runs in the
// order a window system runs it.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/manual_form.h"
#include "app/user_input.h"
#include "support/test_platform.h"

namespace orbilan::app {
namespace {

using ui::ControlKind;
using ui::Event;

class UserInputTest : public ::testing::Test {
protected:
    UserInputTest() : window(platform), input(window)
    {
        auto& ui = window.controls();
        ui.add("TestFrame", ControlKind::Frame);
        ui.add("Field", ControlKind::TextBox).setParent("TestFrame");
        ui.add("Other", ControlKind::TextBox).setParent("TestFrame");
        ui.add("Go", ControlKind::Button);
        ui.addArray("Pick", ControlKind::Option, 0, 2);
        for (int i = 0; i < 3; ++i)
            ui("Pick", i).setGroup("pick");
        ui("Pick", 0).setValueQuietly(1);
        ui.add("Tick", ControlKind::CheckBox);
        auto& steps = ui.add("Steps", ControlKind::EditableList);
        for (const char* e : {" 10", " 20", "100", "  1", " 1"})
            steps.addItem(e);
        ui.add("Fixed", ControlKind::ListBox).addItem("0  (880 Hz)").addItem("15 (6.875 Hz)");
        ui.add("Caption", ControlKind::Label);

        for (const char* name : {"Field", "Other", "Go", "Pick", "Tick", "Steps", "Fixed"})
            for (Event e : {Event::Click, Event::GotFocus, Event::LostFocus, Event::Validate, Event::Change})
                ui.on(name, e, [this, name = std::string(name), e](ui::EventArgs& a) {
                    log.push_back(name + (a.index >= 0 ? "(" + std::to_string(a.index) + ")" : "") + ":"
                                  + eventName(e));
                });
    }

    static const char* eventName(Event e)
    {
        switch (e) {
        case Event::Click: return "Click";
        case Event::GotFocus: return "GotFocus";
        case Event::LostFocus: return "LostFocus";
        case Event::Validate: return "Validate";
        case Event::Change: return "Change";
        case Event::KeyPress: return "KeyPress";
        }
        return "?";
    }

    ui::Control& ctl(const std::string& name, int index = -1) { return window.controls()(name, index); }

    test::TestPlatform platform;
    MainWindow window;
    UserInput input;
    std::vector<std::string> log;
};

TEST_F(UserInputTest, RefusesWhatAUserCouldNotReachAndChangesNothing)
{
    EXPECT_EQ(input.click("Nothing"), "unknown control Nothing");
    EXPECT_EQ(input.click("Pick(7)"), "unknown control Pick(7)");
    EXPECT_EQ(input.click("Pick(x)"), "unknown control Pick(x)");
    EXPECT_EQ(input.type("ManualForm.Nothing", "1"), "unknown control ManualForm.Nothing");

    ctl("Go").setVisible(false);
    EXPECT_EQ(input.click("Go"), "Go is hidden");
    ctl("Go").setVisible(true).setEnabled(false);
    EXPECT_EQ(input.click("Go"), "Go is disabled");

    ctl("TestFrame").setVisible(false);
    EXPECT_EQ(input.type("Field", "12"), "Field is hidden");
    ctl("TestFrame").setVisible(true).setEnabled(false);
    EXPECT_EQ(input.type("Field", "12"), "Field is disabled");
    EXPECT_EQ(input.key("Field", "1"), "Field is disabled");
    EXPECT_EQ(input.focus("Field"), "Field is disabled");

    ctl("Pick", 2).setEnabled(false);
    EXPECT_EQ(input.click("Pick(2)"), "Pick(2) is disabled");
    EXPECT_EQ(ctl("Pick", 0).value(), 1);

    EXPECT_EQ(input.type("Caption", "x"), "Caption takes no text");
    EXPECT_EQ(input.choose("Field", "x"), "Field is disabled");
    EXPECT_EQ(input.choose("Go", "x"), "Go is disabled");
    ctl("Go").setEnabled(true);
    EXPECT_EQ(input.choose("Go", "x"), "Go is not a list");
    EXPECT_EQ(input.choose("Steps", "30"), "Steps has no entry \"30\"");
    EXPECT_EQ(input.choose("Steps", "1"), "Steps has no entry \"1\""); // "  1" and " 1": ambiguous
    EXPECT_EQ(input.key("Caption", "1"), "Caption takes no keys");

    EXPECT_TRUE(log.empty());
    EXPECT_EQ(ctl("Field").text(), "");
    EXPECT_EQ(window.controls().focused(), "");
}

TEST_F(UserInputTest, ManualWindowControlsAreNamedWithTheWindowAndNeedItShown)
{
    auto& manual = window.manualForm().controls();
    manual.add("Set", ControlKind::Button).setParent("ManualForm");
    manual.add("Loose", ControlKind::Button); // no parent: the hidden window still hides it
    int clicks = 0;
    manual.on("Set", Event::Click, [&](ui::EventArgs&) { ++clicks; });
    manual.on("Loose", Event::Click, [&](ui::EventArgs&) { ++clicks; });

    EXPECT_EQ(input.click("ManualForm.Set"), "ManualForm.Set is hidden");
    EXPECT_EQ(input.click("ManualForm.Loose"), "ManualForm.Loose is hidden");
    manual("ManualForm").setVisible(true);
    EXPECT_EQ(input.click("ManualForm.Set"), "");
    EXPECT_EQ(input.click("ManualForm.Loose"), "");
    EXPECT_EQ(clicks, 2);

    const auto target = input.resolve("ManualForm");
    ASSERT_NE(target.control, nullptr);
    EXPECT_EQ(target.set, &manual);
    EXPECT_EQ(UserInput::nameOf(manual, *target.control), "ManualForm");
    EXPECT_EQ(UserInput::nameOf(manual, manual("Set")), "ManualForm.Set");
    EXPECT_EQ(UserInput::nameOf(window.controls(), ctl("Pick", 1)), "Pick(1)");
    EXPECT_EQ(input.resolve("MainWindow.Pick(1)").control, &ctl("Pick", 1));
    EXPECT_EQ(input.resolve("MainWindow").control, &ctl("MainWindow"));
}

TEST_F(UserInputTest, ClickSelectsOptionsAndTogglesCheckBoxesBeforeTheirHandler)
{
    int seenValue = -1;
    window.controls().on("Tick", Event::Click, [&](ui::EventArgs&) { seenValue = ctl("Tick").value(); });
    EXPECT_EQ(input.click("Tick"), "");
    EXPECT_EQ(seenValue, 1);
    EXPECT_EQ(input.click("Tick"), "");
    EXPECT_EQ(seenValue, 0);

    EXPECT_EQ(input.click("Pick(2)"), "");
    EXPECT_EQ(ctl("Pick", 2).value(), 1);
    EXPECT_EQ(ctl("Pick", 0).value(), 0);
    EXPECT_EQ(input.click("Go"), "");
    EXPECT_EQ(log, (std::vector<std::string>{"Pick(2):Click", "Go:Click"}));
}

TEST_F(UserInputTest, TypingEntersReplacesAndLeavesInOrder)
{
    ctl("Field").setText("old");
    EXPECT_EQ(input.type("Field", "10M"), "");
    EXPECT_EQ(ctl("Field").text(), "10M");
    EXPECT_EQ(log, (std::vector<std::string>{"Field:GotFocus", "Field:Change", "Field:Validate",
                                             "Field:LostFocus"}));
    EXPECT_EQ(window.controls().focused(), "");

    // The same text again is no edit.
    log.clear();
    EXPECT_EQ(input.type("Field", "10M"), "");
    EXPECT_EQ(log, (std::vector<std::string>{"Field:GotFocus", "Field:Validate", "Field:LostFocus"}));
}

TEST_F(UserInputTest, CancelledValidationKeepsTheFocusAndBlocksTheNextField)
{
    auto& ui = window.controls();
    ui.on("Field", Event::Validate, [&](ui::EventArgs& a) {
        log.push_back("Field:Validate");
        a.cancel = ctl("Field").text() == "bad";
    });
    EXPECT_EQ(input.type("Field", "bad"), "");
    EXPECT_EQ(ui.focused(), "Field");
    EXPECT_EQ(log.back(), "Field:Validate"); // no LostFocus

    log.clear();
    EXPECT_EQ(input.type("Other", "5"), "Field kept the focus");
    EXPECT_EQ(ctl("Other").text(), "");
    EXPECT_EQ(log, (std::vector<std::string>{"Field:Validate"}));

    // Once the field is good, the focus moves on: Field is left before Other gets it.
    ctl("Field").setText("good");
    log.clear();
    EXPECT_EQ(input.type("Other", "5"), "");
    EXPECT_EQ(log, (std::vector<std::string>{"Field:Validate", "Field:LostFocus", "Other:GotFocus",
                                             "Other:Change", "Other:Validate", "Other:LostFocus"}));
}

TEST_F(UserInputTest, FocusAndLeaveRunTheirEvents)
{
    EXPECT_EQ(input.focus("Field"), "");
    EXPECT_EQ(input.focus("Field"), ""); // already there: nothing runs
    EXPECT_EQ(window.controls().focused(), "Field");
    EXPECT_EQ(input.leave("Field"), "");
    EXPECT_EQ(log, (std::vector<std::string>{"Field:GotFocus", "Field:Validate", "Field:LostFocus"}));
    EXPECT_EQ(window.controls().focused(), "");
}

TEST_F(UserInputTest, KeysPassTheFilterEditTheTextAndFollowTheFocus)
{
    auto& ui = window.controls();
    // Digits only; Enter applies and moves the focus on, as the value lists do.
    ui.on("Steps", Event::KeyPress, [&](ui::EventArgs& a) {
        if (a.key == 13) {
            log.push_back("Steps:Enter " + ctl("Steps").text());
            a.key = 0;
            ui.setFocus("Field");
        } else if (a.key < '0' || a.key > '9') {
            a.key = 0;
        }
    });
    // Upper-cases what is typed.
    ui.on("Field", Event::KeyPress, [](ui::EventArgs& a) {
        if (a.key >= 'a' && a.key <= 'z')
            a.key -= 32;
    });
    // The program gives the list the focus, which selects its text: the keys replace it.
    ctl("Steps").setText("200");
    ui.setFocus("Steps");
    EXPECT_EQ(input.key("Steps", "1x\b0\r2m\xC2\xB0k"), ""); // Backspace is filtered out too
    EXPECT_EQ(ctl("Steps").text(), "10");
    EXPECT_EQ(ctl("Field").text(), "2M\xC2\xB0K"); // a degree sign passes as one key
    EXPECT_NE(std::find(log.begin(), log.end(), "Steps:Enter 10"), log.end());

    ctl("Field").setSelection(5, 0);
    EXPECT_EQ(input.key("Field", "\b\b"), ""); // back over K, then over the two-byte degree sign
    EXPECT_EQ(ctl("Field").text(), "2M");
}

TEST_F(UserInputTest, ChoosingAnEntryActsAsAClickInTheList)
{
    std::string seen;
    window.controls().on("Steps", Event::Click, [&](ui::EventArgs&) {
        seen = ctl("Steps").text() + "@" + std::to_string(ctl("Steps").listIndex());
    });
    EXPECT_EQ(input.choose("Steps", "100"), "");
    EXPECT_EQ(seen, "100@2");
    EXPECT_EQ(input.choose("Steps", "10"), ""); // " 10" matches when trimmed
    EXPECT_EQ(seen, " 10@0");
    EXPECT_EQ(input.choose("Fixed", "15 (6.875 Hz)"), "");
    EXPECT_EQ(ctl("Fixed").listIndex(), 1);
    EXPECT_EQ(ctl("Fixed").text(), "15 (6.875 Hz)");
    EXPECT_EQ(input.type("Fixed", "0"), "Fixed takes no text");
}

TEST_F(UserInputTest, AProgramEndStopsInsideTheActionAndRefusesWhatFollows)
{
    bool after = false;
    window.controls().on("Go", Event::Click, [&](ui::EventArgs&) {
        window.EndProgram();
        after = true;
    });
    EXPECT_EQ(input.click("Go"), "");
    EXPECT_FALSE(after);
    EXPECT_TRUE(window.ended());
    EXPECT_TRUE(platform.ended());
    EXPECT_EQ(input.click("Tick"), "the program has ended");
    EXPECT_EQ(ctl("Tick").value(), 0);
}

} // namespace
} // namespace orbilan::app
