// orbilan-cli serve over the loopback interface, on the simulated
// instrument: a whole calibrate-sweep-read cycle, files kept inside the data
// folder, errors that change nothing, clients that misbehave or leave.
#include <gtest/gtest.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

#include "serve_client.h"
#include "support/test_platform.h"

namespace orbilan::test {
namespace {

namespace fs = std::filesystem;

std::vector<double> numbers(const std::string& text)
{
    std::vector<double> out;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        double v = 0;
        const auto [end, ec] = std::from_chars(text.data() + at, text.data() + comma, v);
        if (ec != std::errc() || end != text.data() + comma)
            return {};
        out.push_back(v);
        at = comma + 1;
    }
    return out;
}

// A client once the server has seen the previous one leave.
std::unique_ptr<ScpiClient> connectWhenFree(int port)
{
    for (int attempt = 0; attempt < 500; ++attempt) {
        auto c = std::make_unique<ScpiClient>(port);
        if (c->query("*IDN?", 2000) == "Orbilan,Kesp VNA,0,1.3D")
            return c;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return nullptr;
}

class ServeTest : public ::testing::Test {
protected:
    std::unique_ptr<ServeProcess> serve(std::vector<std::string> args = {})
    {
        args.insert(args.begin(), {"--simulate", "--seed", "7", "--data-dir", data().string()});
        auto p = std::make_unique<ServeProcess>(dir.str(), args);
        EXPECT_TRUE(p->started()) << p->log();
        return p;
    }
    fs::path data() const { return dir.path() / "data"; }

    // Calibrates reflection from 1 to 30 MHz on 11 points, answering each prompt.
    void calibrateReflection(ScpiClient& c)
    {
        c.send("FREQ:STAR 1 MHz;STOP 30MHZ;:SWE:POIN 11;:SENS:MODE REFL;:CAL:STAR");
        std::vector<std::string> prompts;
        for (int i = 0; i < 5; ++i) {
            ASSERT_EQ(c.query("*OPC?"), "1");
            const std::string prompt = c.query("CAL:PROM?");
            if (prompt == "\"\"")
                break;
            prompts.push_back(prompt);
            c.send("CAL:ANSW OK");
        }
        EXPECT_EQ(prompts, (std::vector<std::string>{"\"Connect open circuit reference, then click OK\"",
                                                     "\"Connect short circuit reference, then click OK\"",
                                                     "\"Connect reference load, then click OK\""}));
        EXPECT_EQ(c.query("CAL:STAT?"), "CAL");
    }

    TempDir dir;
    ServeTest() { fs::create_directories(dir.path() / "data"); }
};

TEST_F(ServeTest, CalibratesSweepsAndReadsS11LikeALabScript)
{
    const auto server = serve({"--dut", "refl:R=100"});
    ScpiClient c(server->port());
    ASSERT_TRUE(c.connected());
    EXPECT_EQ(c.query("*IDN?"), "Orbilan,Kesp VNA,0,1.3D");
    EXPECT_EQ(c.query("CAL:STAT?;:INIT:CONT?"), "NONE;0");
    calibrateReflection(c);

    c.send("INIT");
    EXPECT_EQ(c.query("*OPC?"), "1");
    const auto hz = numbers(c.query("SENS:FREQ:DATA?"));
    ASSERT_EQ(hz.size(), 11u);
    EXPECT_EQ(hz.front(), 1e6);
    EXPECT_EQ(hz[1], 3.9e6);
    EXPECT_EQ(hz.back(), 30e6);
    // 100 ohm against 50: S11 = 1/3, real.
    const auto s11 = numbers(c.query("CALC:DATA? SDATA"));
    ASSERT_EQ(s11.size(), 22u);
    for (std::size_t k = 0; k < s11.size(); k += 2) {
        EXPECT_NEAR(s11[k], 1.0 / 3, 0.01) << k;
        EXPECT_NEAR(s11[k + 1], 0, 0.01) << k;
    }
    // The displayed pair of the first display type: |Z| and its angle.
    const auto shown = numbers(c.query("CALC:DATA? FDAT"));
    ASSERT_EQ(shown.size(), 22u);
    EXPECT_NEAR(shown[0], 100, 2);
    EXPECT_NEAR(shown[1], 0, 2);

    c.send("MMEM:STOR:SNP 'dut';:MMEM:STOR:CAL 'refl'");
    EXPECT_EQ(c.query("SYST:ERR?"), "0,\"No error\"");
    const std::string snp = readFile(data() / "dut.s1p");
    EXPECT_NE(snp.find("# HZ S RI R 50"), std::string::npos);
    EXPECT_NE(snp.find("\n30000000 0.33"), std::string::npos) << snp;
    EXPECT_TRUE(fs::exists(data() / "refl.cal"));
    EXPECT_EQ(server->stop(), 0) << server->log();

    // A new server takes the saved calibration and measures as before.
    const auto again = serve({"--dut", "refl:R=100"});
    ScpiClient d(again->port());
    d.send("MMEM:LOAD:CAL 'refl';:MODE REFL;:INIT");
    EXPECT_EQ(d.query("*OPC?"), "1");
    EXPECT_EQ(d.query("CAL:STAT?;:SWE:POIN?;:FREQ:STAR?;STOP?"), "CAL;11;1000000;30000000");
    const auto reloaded = numbers(d.query("CALC:DATA? SDAT"));
    ASSERT_EQ(reloaded.size(), 22u);
    EXPECT_NEAR(reloaded[20], 1.0 / 3, 0.01);
    EXPECT_EQ(d.query("SYST:ERR?"), "0,\"No error\"");
}

TEST_F(ServeTest, TransmissionGivesS21AndGroupDelayHasNoSParameters)
{
    const auto server = serve({"--dut", "trans:series:R=100"});
    ScpiClient c(server->port());
    c.send("FREQ:STAR 1M;STOP 10M;SWE:POIN 5;:MODE TRAN;:CAL:STAR");
    std::vector<std::string> prompts;
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(c.query("*OPC?"), "1");
        const std::string prompt = c.query("CAL:PROM?");
        if (prompt == "\"\"")
            break;
        prompts.push_back(prompt);
        c.send("CAL:ANSW YES");
    }
    EXPECT_EQ(prompts, (std::vector<std::string>{"\"Connect thru, then click OK\"",
                                                 "\"Leave detector port open, then click OK\""}));
    c.send("INIT");
    ASSERT_EQ(c.query("*OPC?"), "1");
    // 100 ohm in series between two 50 ohm ports: S21 = 100 / 200.
    const auto s21 = numbers(c.query("CALC:DATA? SDAT"));
    ASSERT_EQ(s21.size(), 10u);
    EXPECT_NEAR(s21[0], 0.5, 0.01);
    EXPECT_NEAR(s21[1], 0, 0.01);
    c.send("MMEM:STOR:SNP 'thru.s1p'");
    EXPECT_EQ(c.query("SYST:ERR?"),
              "-221,\"Settings conflict;the last sweep was a transmission sweep: its file ends in .s2p\"");
    c.send("MMEM:STOR:SNP 'thru'");
    EXPECT_EQ(c.query("SYST:ERR?"), "0,\"No error\"");
    EXPECT_NE(readFile(data() / "thru.s2p").find("# HZ S RI R 50"), std::string::npos);

    // Group delay measures with the transmission calibration; it has no S parameters.
    c.send("MODE GDEL;:INIT");
    ASSERT_EQ(c.query("*OPC?;:MODE?;:DISP:FORM?"), "1;GDEL;\"dB,us\"");
    EXPECT_EQ(c.query("CALC:DATA? SDAT", 1000), "<none>");
    EXPECT_EQ(c.query("SYST:ERR?"), "-221,\"Settings conflict;a group-delay sweep has no S parameters: read FDATa\"");
    EXPECT_EQ(numbers(c.query("CALC:DATA? FDAT")).size(), 10u);
    c.send("FREQ:CW 5M");
    EXPECT_EQ(c.query("SYST:ERR?"), "-221,\"Settings conflict;group delay measures no single frequency\"");

    // A dialog of the window is answered as its default button would be,
    // and its text is queued: here the warning that CDS uncalibrates.
    c.send("MODE TRAN;:CDS ON");
    EXPECT_EQ(c.query("SYST:ERR?"), "-200,\"Warning - CDS change: If you OK this CDS change, the VNA will be "
                                    "UN-CALIBRATED IN ALL MODES!\"");
    EXPECT_EQ(c.query("CDS?;:CAL:STAT?"), "1;NONE");
}

TEST_F(ServeTest, FilesStayInsideTheDataFolder)
{
    fs::create_directories(dir.path() / "outside");
    fs::create_symlink(dir.path() / "outside", data() / "out");
    const auto server = serve();
    ScpiClient c(server->port());
    calibrateReflection(c);
    const std::string names[] = {"/tmp/orbilan-escape.cal", "../escape.cal", "out/escape.cal", "sub/../../escape"};
    for (const std::string& name : names) {
        c.send("MMEM:STOR:CAL '" + name + "'");
        const std::string error = c.query("SYST:ERR?");
        EXPECT_EQ(error.rfind("-200,\"Execution error;", 0), 0u) << name << ": " << error;
    }
    c.send("MMEM:LOAD:CAL '../outside/x.cal'");
    EXPECT_EQ(c.query("SYST:ERR?"), "-200,\"Execution error;a name with .. is refused: name a file in the data "
                                    "folder\"");
    EXPECT_TRUE(fs::is_empty(dir.path() / "outside"));
    EXPECT_FALSE(fs::exists(dir.path() / "escape.cal"));
    EXPECT_FALSE(fs::exists("/tmp/orbilan-escape.cal"));
    // The calibration is still there to be saved where it may be.
    c.send("MMEM:STOR:CAL 'inside'");
    EXPECT_EQ(c.query("SYST:ERR?"), "0,\"No error\"");
    EXPECT_TRUE(fs::exists(data() / "inside.cal"));
}

TEST_F(ServeTest, ErrorsAreQueuedAndChangeNothing)
{
    const auto server = serve();
    ScpiClient c(server->port());
    c.send("FREQ:STAR 1M;STOP 10M");
    const struct {
        const char* command;
        const char* error;
    } cases[] = {
        {"FREQ:STAR 20M", "-222,\"Data out of range;Start frequency above End frequency\""},
        {"FREQ:STAR 20 MHz;STOP 5MHZ", "-222,\"Data out of range;Start frequency above End frequency\""},
        {"FREQ:STOP 100M", "-222,\"Data out of range;stop frequency is 0 to 60000000 Hz\""},
        {"SWE:POIN 402", "-222,\"Data out of range;points is 2 to 401\""},
        {"FREQ:STAR", "-109,\"Missing parameter;FREQ:STAR needs start frequency\""},
        {"INIT 5", "-108,\"Parameter not allowed;INIT takes no parameter\""},
        {"FREQ:BOGUS 1", "-113,\"Undefined header;FREQ:BOGUS\""},
        {"FREQ:STAR 1 ms", "-131,\"Invalid suffix;ms after start frequency\""},
        {"FREQ:STAR 2M;FREQ:STAR", "-109,\"Missing parameter;FREQ:STAR needs start frequency\""},
        {"MODE SIDEWAYS", "-224,\"Illegal parameter value;mode is TRANsmission|REFLection|GDELay\""},
        {"INIT", "-221,\"Settings conflict;the transmission mode is not calibrated\""},
        {"CAL:ANSW OK", "-221,\"Settings conflict;no calibration prompt waits for an answer\""},
        {"CALC:DATA? SDAT", "-221,\"Settings conflict;no complete sweep yet\""},
        {"FREQ:STAR 1,,", "-102,\"Syntax error;a parameter is empty\""},
    };
    for (const auto& k : cases) {
        c.send(k.command);
        EXPECT_EQ(c.query("SYST:ERR?"), k.error) << k.command;
        EXPECT_EQ(c.query("FREQ:STAR?;STOP?;:SWE:POIN?"), "1000000;10000000;11") << k.command;
    }
    EXPECT_EQ(c.query("SYST:ERR?"), "0,\"No error\"");

    // A line longer than the limit, garbage and a NUL: each is an error, and
    // the connection goes on.
    c.send(std::string(5000, 'A'));
    c.sendRaw(std::string("\x01\xff\x00;;::\r\n", 9));
    EXPECT_EQ(c.query("*IDN?"), "Orbilan,Kesp VNA,0,1.3D");
    EXPECT_EQ(c.query("SYST:ERR?"), "-102,\"Syntax error;a line is longer than 4096 bytes\"");
    EXPECT_EQ(c.query("SYST:ERR?"), "-102,\"Syntax error;unexpected byte 0x01\"");
    // The queue keeps 32 errors and says when more were lost.
    for (int i = 0; i < 40; ++i)
        c.send("BOGUS");
    EXPECT_EQ(c.query("SYST:ERR:COUN?"), "32");
    std::string last;
    for (int i = 0; i < 32; ++i)
        last = c.query("SYST:ERR?");
    EXPECT_EQ(last, "-350,\"Queue overflow\"");
    c.send("BOGUS;*CLS");
    EXPECT_EQ(c.query("SYST:ERR:COUN?"), "1"); // the line with BOGUS ran nothing, *CLS included
    c.send("*CLS");
    EXPECT_EQ(c.query("SYST:ERR?"), "0,\"No error\"");
}

TEST_F(ServeTest, TheSweepCommandsOfALineSetOneSweepInAnyOrder)
{
    const auto server = serve();
    ScpiClient c(server->port());
    c.send("FREQ:STAR 1M;STOP 10M");
    const struct {
        const char* line;
        const char* sweep;
    } cases[] = {
        {"FREQ:STAR 20M;STOP 30M", "20000000;30000000;11"},
        {"FREQ:STOP 5M;STAR 2M;:SWE:POIN 21", "2000000;5000000;21"},
        {"FREQ:CENT 10M;SPAN 2M", "9000000;11000000;21"},
        // Another kind of sweep: the span first (8 to 12 MHz), then the start.
        {"FREQ:SPAN 4M;:FREQ:STAR 1M", "1000000;12000000;21"},
    };
    for (const auto& k : cases) {
        c.send(k.line);
        EXPECT_EQ(c.query("FREQ:STAR?;STOP?;:SWE:POIN?"), k.sweep) << k.line;
        EXPECT_EQ(c.query("SYST:ERR?"), "0,\"No error\"") << k.line;
    }
}

TEST_F(ServeTest, AStopRightAfterAStartIsNotLost)
{
    const auto server = serve();
    ScpiClient c(server->port());
    calibrateReflection(c);
    c.send("INIT:CONT ON;:ABOR");
    EXPECT_EQ(c.query("INIT:CONT?"), "0");
    c.send("INIT:CONT ON");
    c.send("ABOR");
    EXPECT_EQ(c.query("INIT:CONT?"), "0");
}

TEST_F(ServeTest, OneClientControlsAndLeavingStopsNothing)
{
    const auto server = serve({"--dut", "refl:R=100"});
    auto a = std::make_unique<ScpiClient>(server->port());
    calibrateReflection(*a);
    const int descriptors = server->openDescriptors();

    ScpiClient b(server->port());
    EXPECT_EQ(b.readLine(), "-221,\"Settings conflict;another client controls Orbilan\"");
    EXPECT_TRUE(b.closedByServer());

    // A client leaves in the middle of a continuous sweep, with an answer
    // still owed to it: the sweep goes on, and the answer goes to no one.
    a->send("INIT:CONT ON;:INIT:CONT?");
    EXPECT_EQ(a->readLine(), "1");
    a->send("INIT:CONT OFF;*OPC?");
    a->close();
    a.reset();
    for (int i = 0; i < 20; ++i) {
        ScpiClient passing(server->port());
        passing.send("*IDN?");
    }
    auto c = connectWhenFree(server->port());
    ASSERT_TRUE(c);
    // INIT:CONT OFF completed its pass and stopped, as asked before leaving.
    EXPECT_EQ(c->query("INIT:CONT?"), "0");
    c->send("INIT:CONT ON");
    EXPECT_EQ(c->query("INIT:CONT?"), "1");
    c->close();
    c.reset();
    auto d = connectWhenFree(server->port());
    ASSERT_TRUE(d);
    EXPECT_EQ(d->query("INIT:CONT?"), "1") << "a client that left stopped the sweep";
    d->send("ABOR");
    EXPECT_EQ(d->query("INIT:CONT?"), "0");
    EXPECT_EQ(d->query("SYST:ERR?"), "0,\"No error\"");
    EXPECT_EQ(server->openDescriptors(), descriptors) << "connections left descriptors open";
}

TEST_F(ServeTest, APromptWaitsForWhicheverClientAnswersIt)
{
    const auto server = serve();
    {
        ScpiClient a(server->port());
        a.send("FREQ:STAR 1M;STOP 2M;:SWE:POIN 3;:MODE REFL;:CAL:STAR");
        EXPECT_EQ(a.query("*OPC?"), "1");
        EXPECT_EQ(a.query("CAL:PROM?"), "\"Connect open circuit reference, then click OK\"");
        // Under a prompt the window takes no other action.
        a.send("FREQ:STAR 1.5M");
        EXPECT_EQ(a.query("SYST:ERR?"),
                  "-221,\"Settings conflict;FREQ:STAR: a calibration prompt waits for CALibration:ANSWer\"");
    }
    auto b = connectWhenFree(server->port());
    ASSERT_TRUE(b);
    EXPECT_EQ(b->query("CAL:PROM?"), "\"Connect open circuit reference, then click OK\"");
    b->send("CAL:ANSW CANC");
    EXPECT_EQ(b->query("*OPC?"), "1");
    EXPECT_EQ(b->query("CAL:PROM?;STAT?"), "\"\";NONE");
    EXPECT_EQ(b->query("FREQ:STAR?"), "1000000");
}

TEST_F(ServeTest, ASignalEndsTheServerInTheMiddleOfItsWork)
{
    for (const char* work : {"INIT:CONT ON", "CAL:STAR"}) {
        const auto server = serve();
        ScpiClient c(server->port());
        calibrateReflection(c);
        c.send(work);
        EXPECT_EQ(c.query("*IDN?"), "Orbilan,Kesp VNA,0,1.3D");
        EXPECT_EQ(server->stop(), 0) << work << ": " << server->log();
        EXPECT_TRUE(c.closedByServer());
    }
}

} // namespace
} // namespace orbilan::test
