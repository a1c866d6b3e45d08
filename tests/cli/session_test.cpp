// The session's answers, dialog reports, deferred commands and program end,
// on a window model whose controls the test provides.
#include <gtest/gtest.h>

#include <sstream>

#include <fcntl.h>
#include <unistd.h>

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

TEST(SessionPlatformDetail, AMessagesCauseFollowsItsButtonsAndTheAnswerStillComesFromTheQueue)
{
    std::ostringstream out;
    SessionPlatform p(out);
    p.queue(ui::Answer::ok());
    EXPECT_EQ(p.detailedMessageBox("Check that VNA is connected", "bus 001 \"busy\"", ui::MsgButtons::OkCancel,
                                   ui::MsgIcon::None, "VNA Not Responding"),
              ui::MsgResult::Ok);
    EXPECT_EQ(p.messageBox("Saved", ui::MsgButtons::Ok, ui::MsgIcon::None, "Orbilan"), ui::MsgResult::Ok);
    EXPECT_EQ(out.str(), "> message \"VNA Not Responding\" \"Check that VNA is connected\" OKCancel detail "
                         "\"bus 001 \\\"busy\\\"\" -> OK\n"
                         "> message \"Orbilan\" \"Saved\" OK -> OK\n");
    ASSERT_EQ(p.dialogs().size(), 2u);
    EXPECT_EQ(p.dialogs()[0].detail, "bus 001 \"busy\"");
    EXPECT_EQ(p.dialogs()[1].detail, ""); // the cause belongs to its own message only
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

TEST_F(SessionTest, AnswersEchoNoControlBytes)
{
    // An unknown name is echoed in the answer: its NUL, ESC and tab come
    // back escaped, as in a quoted text, never raw to the terminal.
    openWindow();
    const std::string name = std::string("A\x1B[2J\0\x7F\xFF\xC2\xB0", 10);
    EXPECT_EQ(run({"click " + name, "after 1 click " + name, "click Run", "launch\x1B]0;x\x07\t"}),
              "error unknown control A\\x1B[2J\\x00\\x7F\\xFF\xC2\xB0\n"
              "ok\n"
              "> after click A\\x1B[2J\\x00\\x7F\\xFF\xC2\xB0 -> error unknown control A\\x1B[2J\\x00\\x7F\\xFF\xC2\xB0\n"
              "ok\n"
              "error unknown command launch\\x1B]0;x\\x07\n");
}

TEST(SessionInput, LinesArriveAsTheyComeAndTooLongOnesAreDropped)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    FdLineSource source(fds[0]);
    std::string line;
    auto put = [&](const std::string& bytes) {
        ASSERT_EQ(write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    };
    // Nothing there: a look does not wait.
    EXPECT_EQ(source.next(line, false), LineSource::Status::NotYet);
    put("click Sweep");
    EXPECT_EQ(source.next(line, false), LineSource::Status::NotYet); // half a line
    put("Button(2)\r\nget A\n");
    EXPECT_EQ(source.next(line, false), LineSource::Status::Line);
    EXPECT_EQ(line, "click SweepButton(2)\r");
    EXPECT_EQ(source.next(line, false), LineSource::Status::Line);
    EXPECT_EQ(line, "get A");
    // A line without end is not kept whole, only reported once it ends.
    const std::string chunk(40000, 'x');
    put(chunk);
    EXPECT_EQ(source.next(line, false), LineSource::Status::NotYet);
    put(chunk);
    EXPECT_EQ(source.next(line, false), LineSource::Status::NotYet);
    put(chunk + "\nquit\nlast");
    EXPECT_EQ(source.next(line, false), LineSource::Status::TooLong);
    EXPECT_EQ(source.next(line, true), LineSource::Status::Line);
    EXPECT_EQ(line, "quit");
    close(fds[1]);
    EXPECT_EQ(source.next(line, false), LineSource::Status::Line);
    EXPECT_EQ(line, "last");
    EXPECT_EQ(source.next(line, false), LineSource::Status::End);
    close(fds[0]);

    std::istringstream in("get A\n" + std::string(MaxLineBytes + 1, 'y') + "\nget B");
    StreamLineSource stream(in);
    EXPECT_EQ(stream.next(line, true), LineSource::Status::Line);
    EXPECT_EQ(stream.next(line, true), LineSource::Status::TooLong);
    EXPECT_EQ(stream.next(line, true), LineSource::Status::Line);
    EXPECT_EQ(line, "get B");
    EXPECT_EQ(stream.next(line, true), LineSource::Status::End);
}

TEST_F(SessionTest, ALineTooLongIsRefusedWhole)
{
    std::istringstream in("get AdcWaitMs\nget " + std::string(MaxLineBytes, 'A') + "\nget AdcWaitMs\n");
    EXPECT_EQ(session.run(in), 0);
    EXPECT_EQ(out.str(), "ok 10\nerror the line is longer than 65536 bytes\nok 10\n");
}

} // namespace
} // namespace orbilan::cli
