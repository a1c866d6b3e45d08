#include "window_fixture.h"

namespace orbilan::test {

namespace {

app::ProgramOptions simulated(const TempDir& iniDir)
{
    iniDir.write("vna.ini", "# defaults throughout\n");
    app::ProgramOptions o;
    o.iniDir = iniDir.str();
    o.simulate = true;
    o.libraryDir = ORBILAN_BIN_DIR;
    return o;
}

} // namespace

SweepWindowTest::SweepWindowTest() : window(platform, simulated(iniDir))
{
    window.deliver([this] { window.Form_Load(); });
    EXPECT_TRUE(platform.dialogs().empty());
    EXPECT_TRUE(window.sweep.UiReady);
}

void SweepWindowTest::TearDown() { EXPECT_EQ(window.implicitControls(), std::vector<std::string>{}); }

void SweepWindowTest::click(const std::string& name, int index)
{
    window.deliver([&] { ui().userClick(name, index); });
}

bool SweepWindowTest::typeFrequency(const std::string& box, const std::string& text)
{
    bool kept = false;
    window.deliver([&] {
        ui().setFocus(box);
        ui().dispatch(box, -1, ui::Event::GotFocus);
        ui().at(box).setText(text);
        ui::EventArgs validate;
        ui().dispatch(box, -1, ui::Event::Validate, validate);
        kept = validate.cancel;
        if (!kept)
            ui().dispatch(box, -1, ui::Event::LostFocus);
    });
    return !kept;
}

void SweepWindowTest::enterInList(const std::string& button, const std::string& list, const std::string& text)
{
    click(button);
    window.deliver([&] {
        ui().at(list).setText(text);
        ui::EventArgs enter;
        enter.key = 13;
        ui().dispatch(list, -1, ui::Event::KeyPress, enter);
    });
}

int SweepWindowTest::pressKey(const std::string& name, int key)
{
    ui::EventArgs args;
    args.key = key;
    window.deliver([&] { ui().dispatch(name, -1, ui::Event::KeyPress, args); });
    return args.key;
}

void SweepWindowTest::setStartEnd(const std::string& start, const std::string& end)
{
    openPanel();
    click("Start_End");
    typeFrequency("F1text", start);
    typeFrequency("F2text", end);
    click("ButtonSweepOK");
}

std::vector<std::string> SweepWindowTest::messageTitles() const
{
    std::vector<std::string> titles;
    for (const auto& d : platform.dialogs())
        titles.push_back(d.title);
    return titles;
}

} // namespace orbilan::test
