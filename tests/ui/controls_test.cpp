// Controls as data: setting an option button or check box from the program
// runs its click handler as a user's click does, option groups exclude each
// other, observers see every change, and reachability follows hidden frames.
#include <gtest/gtest.h>

#include "ui/control.h"

using namespace orbilan::ui;

namespace {

struct Recorder : ControlObserver {
    std::vector<std::string> seen;
    void controlChanged(const Control& c, Property p) override
    {
        seen.push_back(c.key() + "/" + std::to_string(static_cast<int>(p)));
    }
};

} // namespace

TEST(Controls, OptionButtonsRunTheirClickWhenSelectedByTheProgram)
{
    ControlSet set("W");
    set.addArray("Mode", ControlKind::Option, 0, 2);
    std::vector<int> clicks;
    set.on("Mode", Event::Click, [&](EventArgs& a) { clicks.push_back(a.index); });

    set.at("Mode", 1).setValue(1);
    EXPECT_EQ(clicks, std::vector<int>{1});
    // Selecting another deselects the first, and deselecting runs nothing.
    set.at("Mode", 2).setValue(1);
    EXPECT_EQ(set.at("Mode", 1).value(), 0);
    EXPECT_EQ(clicks, (std::vector<int>{1, 2}));
    set.at("Mode", 2).setValue(0);
    EXPECT_EQ(clicks.size(), 2u);
    // Setting an already selected option again runs nothing.
    set.at("Mode", 1).setValue(1);
    set.at("Mode", 1).setValue(1);
    EXPECT_EQ(clicks.size(), 3u);
    // Quietly: no handler.
    set.at("Mode", 0).setValueQuietly(1);
    EXPECT_EQ(clicks.size(), 3u);
    EXPECT_EQ(set.at("Mode", 1).value(), 0);
}

TEST(Controls, GroupsAndContainersKeepOptionsApart)
{
    ControlSet set("W");
    set.add("A", ControlKind::Option).setGroup("g1");
    set.add("B", ControlKind::Option).setGroup("g1");
    set.add("C", ControlKind::Option).setGroup("g2");
    set.at("A").setValue(1);
    set.at("C").setValue(1);
    EXPECT_EQ(set.at("A").value(), 1);
    set.at("B").setValue(1);
    EXPECT_EQ(set.at("A").value(), 0);
    EXPECT_EQ(set.at("C").value(), 1);
}

TEST(Controls, CheckBoxClickAndUserClick)
{
    ControlSet set("W");
    set.add("CDS_check", ControlKind::CheckBox);
    set.add("Go", ControlKind::Button);
    set.add("Opt", ControlKind::Option);
    int cds = 0, go = 0, opt = 0;
    set.on("CDS_check", Event::Click, [&](EventArgs&) { ++cds; });
    set.on("Go", Event::Click, [&](EventArgs&) { ++go; });
    set.on("Opt", Event::Click, [&](EventArgs&) { ++opt; });

    set.userClick("CDS_check");
    EXPECT_EQ(set.at("CDS_check").value(), 1);
    set.at("CDS_check").setValue(0);
    EXPECT_EQ(cds, 2);
    set.userClick("Go");
    set.userClick("Go");
    EXPECT_EQ(go, 2);
    set.userClick("Opt");
    set.userClick("Opt"); // a user may click a selected option again
    EXPECT_EQ(opt, 2);
    EXPECT_FALSE(set.dispatch("Nothing", -1, Event::Click));
}

TEST(Controls, ReachabilityFollowsFramesAndObserversSeeChanges)
{
    ControlSet set("W");
    set.add("Frame", ControlKind::Frame);
    set.add("Inner", ControlKind::Button).setParent("Frame");
    Recorder rec;
    set.addObserver(&rec);
    EXPECT_TRUE(set.at("Inner").reachable());
    set.at("Frame").setVisible(false);
    EXPECT_FALSE(set.at("Inner").reachable());
    EXPECT_TRUE(set.at("Inner").visible());
    set.at("Inner").setCaption("x");
    set.at("Inner").setCaption("x"); // no change, no notice
    ASSERT_EQ(rec.seen.size(), 2u);
    EXPECT_EQ(rec.seen[1], "Inner/" + std::to_string(static_cast<int>(Property::Caption)));
    // A parent loop must not hang.
    set.at("Frame").setParent("Inner");
    set.at("Frame").setVisible(true);
    EXPECT_FALSE(set.at("Inner").reachable());
}

TEST(Controls, KeysAndLookups)
{
    std::string name;
    int index = 0;
    EXPECT_TRUE(parseControlKey("SweepButton(2)", name, index));
    EXPECT_EQ(name, "SweepButton");
    EXPECT_EQ(index, 2);
    EXPECT_TRUE(parseControlKey("F1text", name, index));
    EXPECT_EQ(index, -1);
    for (const char* bad : {"", "(1)", "X(", "X()", "X(a)", "X(1", "X)1(", "X(99999)"})
        EXPECT_FALSE(parseControlKey(bad, name, index)) << bad;
    ControlSet set("W");
    set.add("L", ControlKind::ListBox).addItem("a").addItem("b");
    set.at("L").setListIndex(5);
    EXPECT_EQ(set.at("L").listIndex(), -1);
    set.at("L").setListIndex(1);
    EXPECT_EQ(set.at("L").listIndex(), 1);
    EXPECT_THROW(set.at("Missing"), std::out_of_range);
    EXPECT_EQ(&set.add("L", ControlKind::ListBox), &set.at("L"));
}
