// The session's answers, dialog reports, deferred commands and program end,
// on a window model whose controls the test provides.
#include <gtest/gtest.h>

#include <sstream>

#include "app/manual_form.h"
#include "app/trace_tools.h"
#include "cli/session.h"
#include "display/canvas.h"
#include "display/png.h"
#include "support/test_platform.h"

namespace orbilan::cli {
namespace {

using ui::ControlKind;
using ui::Event;

class SessionTest : public ::testing::Test {
protected:
    SessionTest() : session(out, app::ProgramOptions{}, hooks()) {}

    SimulatorHooks hooks()
    {
        SimulatorHooks h;
        h.setDut = [this](const std::string& spec) {
            duts.push_back(spec);
            return spec == "nonsense" ? std::string("unknown device \"nonsense\"") : std::string();
        };
        h.prompt = [this](const std::string& text) { prompts.push_back(text); };
        h.calibrationDone = [this] { ++calibrationsDone; };
        return h;
    }

    // Opens the window without the start-up and gives it a few controls.
    void openWindow()
    {
        app::MainWindow& w = session.window();
        auto& ui = w.controls();
        ui.at("MainWindow").setVisible(true);
        ui.add("Ask", ControlKind::Button).setCaption("Ask\rtwice");
        ui.on("Ask", Event::Click, [&w](ui::EventArgs&) {
            w.msg("Saved", ui::MsgButtons::Ok);
            if (w.msg("Go on?", ui::MsgButtons::OkCancel, ui::MsgIcon::Exclamation, "Warning - \"CDS\"")
                == ui::MsgResult::Ok)
                w.platform().inputBox("Name", "Owner", "me");
            ui::FileDialogRequest save;
            save.save = true;
            save.title = "Save Cal";
            save.filter = "cal files|*.cal";
            save.fileName = "a.cal";
            w.platform().fileDialog(save);
        });
        ui.add("Count", ControlKind::Label).setBackColour(0x00FF00);
        ui.add("Run", ControlKind::Button);
        ui.add("Stop", ControlKind::Button);
        ui.on("Run", Event::Click, [this, &w, &ui](ui::EventArgs&) {
            stop = false;
            for (int point = 1; point <= 10 && !stop; ++point) {
                ui.at("Count").setCaption(std::to_string(point));
                w.yieldToWindow(true);
            }
        });
        ui.on("Stop", Event::Click, [this](ui::EventArgs&) { stop = true; });
        ui.add("Off", ControlKind::Button);
        ui.on("Off", Event::Click, [&w](ui::EventArgs&) {
            w.msg("USB Communication error with VNA: aborting program");
            w.EndProgram();
        });
        ui.add("Steps", ControlKind::EditableList).addItem(" 10").addItem("200");
        ui.add("Hidden", ControlKind::Button).setVisible(false);
    }

    // Feeds the lines and returns what the session wrote.
    std::string run(const std::vector<std::string>& lines)
    {
        out.str("");
        for (const std::string& line : lines)
            session.handleLine(line);
        return out.str();
    }

    std::ostringstream out;
    std::vector<std::string> duts;
    std::vector<std::string> prompts;
    int calibrationsDone = 0;
    bool stop = false;
    Session session;
};

TEST_F(SessionTest, UserActionsWaitForTheWindowToOpen)
{
    EXPECT_EQ(run({"click Ask", "get SweepPoints", "# comment", "", "answer OK"}),
              "error the window is not open yet: start first\nok 11\nok\n");
    openWindow();
    EXPECT_EQ(run({"click Nothing", "click Hidden", "type Ask \"x\""}),
              "error unknown control Nothing\nerror Hidden is hidden\nerror Ask takes no text\n");
}

TEST_F(SessionTest, EachDialogIsReportedWithWhatAnsweredIt)
{
    openWindow();
    EXPECT_EQ(run({"answer OK", "answer text \"Lab \\\"1\\\"\"", "click Ask"}),
              "ok\nok\n"
              "> message \"Orbilan\" \"Saved\" OK -> OK\n"
              "> message \"Warning - \\\"CDS\\\"\" \"Go on?\" OKCancel exclamation -> OK\n"
              "> input \"Owner\" \"Name\" default \"me\" -> text \"Lab \\\"1\\\"\"\n"
              "> unanswered save \"Save Cal\" filter \"cal files|*.cal\" name \"a.cal\" -> cancel\n"
              "ok\n");
    // Unanswered, the question is cancelled and no input box follows.
    EXPECT_EQ(run({"click Ask"}),
              "> message \"Orbilan\" \"Saved\" OK -> OK\n"
              "> unanswered message \"Warning - \\\"CDS\\\"\" \"Go on?\" OKCancel exclamation -> Cancel\n"
              "> unanswered save \"Save Cal\" filter \"cal files|*.cal\" name \"a.cal\" -> cancel\n"
              "ok\n");
    EXPECT_EQ(prompts.size(), 4u);
    EXPECT_EQ(prompts[1], "Go on?");
}

TEST_F(SessionTest, DeferredCommandsRunBetweenMeasuredPoints)
{
    openWindow();
    EXPECT_EQ(run({"after 2 get Count.Caption", "after 4 click Stop", "after 4 click Nothing", "click Run",
                   "get Count.Caption"}),
              "ok\nok\nok\n"
              "> after get Count.Caption -> ok \"2\"\n"
              "> after click Stop -> ok\n"
              "> after click Nothing -> error unknown control Nothing\n"
              "ok\nok \"4\"\n");
    // Nothing is left waiting: a full run goes to its end.
    EXPECT_EQ(run({"click Run", "get Count.Caption"}), "ok\nok \"10\"\n");
}

TEST_F(SessionTest, AProgramEndAnswersOkAndEndsTheSession)
{
    openWindow();
    EXPECT_EQ(run({"after 3 click Off", "click Run"}),
              "ok\n"
              "> message \"Orbilan\" \"USB Communication error with VNA: aborting program\" OK -> OK\n"
              "> after click Off -> ok\n"
              "> end\nok\n");
    EXPECT_EQ(session.window().controls().at("Count").caption(), "3"); // the run unwound at once
    EXPECT_FALSE(session.handleLine("get SweepPoints"));
    EXPECT_EQ(out.str().find("ok 11"), std::string::npos);
}

TEST_F(SessionTest, QuitEndsTheSessionAndLaterLinesAreIgnored)
{
    std::istringstream in("get AdcWaitMs\nquit\nget AdcWaitMs\n");
    EXPECT_EQ(session.run(in), 0);
    EXPECT_EQ(out.str(), "ok 10\nok\n");
}

TEST_F(SessionTest, ControlPropertiesAndStateValuesReadBack)
{
    openWindow();
    session.window().controls().at("Steps").setListIndex(1);
    EXPECT_EQ(run({"get Ask.Caption", "get Count.Colour", "get Hidden.Visible", "get Ask.Enabled",
                   "get Steps.ListCount", "get Steps.List(0)", "get Steps.List(2)", "get Steps.ListIndex",
                   "get Ask.Size", "get Ask", "get Nothing.Caption", "get ManualForm.Caption",
                   "get ManualForm.Visible"}),
              "ok \"Ask\\rtwice\"\nok 00FF00\nok false\nok true\n"
              "ok 2\nok \" 10\"\nerror Steps has 2 entries\nok 1\n"
              "error unknown property Size\n"
              "error Ask is a control: name a property (Ask.Caption, Ask.Text ...)\n"
              "error unknown control Nothing\nok \" Test Mode\"\nok false\n");
    EXPECT_EQ(run({"get Z0", "get RefImpedance", "get UsbLink", "get Title", "get PointData(401)",
                   "get PointData(402)", "get PointData", "get Z0(1)", "get Nothing"}),
              "ok 50\nok 50,1e-31\nok false\nok \"Orbilan for Kesp VNA\"\nok 0,0\n"
              "error index 402 is outside PointData\nerror PointData needs an index: PointData(i)\n"
              "error Z0 has no index\nerror unknown name Nothing\n");
}

TEST_F(SessionTest, EveryControlAndStateNameOfTheProgramIsReadable)
{
    app::MainWindow& w = session.window();
    std::vector<std::string> lines;
    for (const std::string& name : w.state().names())
        lines.push_back("get " + name + (w.state().isArray(name) ? "(1)" : ""));
    for (ui::ControlSet* set : {&w.controls(), &w.manualForm().controls(), &w.traceTools().controls()})
        for (const ui::Control* c : set->all())
            lines.push_back("get " + app::UserInput::nameOf(*set, *c) + ".Visible");
    ASSERT_GT(lines.size(), 80u);
    for (const std::string& line : lines) {
        out.str("");
        session.handleLine(line);
        EXPECT_EQ(out.str().rfind("ok ", 0), 0u) << line << ": " << out.str();
    }
}

TEST_F(SessionTest, CanvasWritesThePlotAreaAsItIsNow)
{
    const test::TempDir dir;
    const std::string path = (dir.path() / "plot.png").string();
    EXPECT_EQ(run({"canvas \"" + path + "\"", "canvas \"" + dir.str() + "/missing/plot.png\""}),
              "ok\nerror cannot write \"" + dir.str() + "/missing/plot.png\"\n");
    ui::Image written;
    ASSERT_TRUE(display::readPng(path, written));
    const ui::Image plot = session.window().plotCanvas().image();
    EXPECT_EQ(written.width, plot.width);
    EXPECT_EQ(written.height, plot.height);
    EXPECT_TRUE(written.pixels == plot.pixels);
}

TEST_F(SessionTest, TheSimulatorHearsDevicesAndTheEndOfACalibration)
{
    EXPECT_EQ(run({"sim \"refl:R=100\"", "sim \"nonsense\""}), "ok\nerror unknown device \"nonsense\"\n");
    EXPECT_EQ(duts, (std::vector<std::string>{"refl:R=100", "nonsense"}));
    session.window().onCalibrationFinished();
    EXPECT_EQ(calibrationsDone, 1);

    std::ostringstream plainOut;
    Session plain(plainOut, app::ProgramOptions{});
    plain.handleLine("sim \"open\"");
    EXPECT_EQ(plainOut.str(), "error no simulated instrument (start the session with --simulate)\n");
}

} // namespace
} // namespace orbilan::cli
