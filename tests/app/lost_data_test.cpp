// Nothing the user made is lost: a calibration not saved is offered for
// saving on exit, also when the window could not measure with it or the CDS
// state changed since, but never one half re-made; a save that fails half way leaves the file it was
// replacing as it was; and a calibration file that cannot be loaded leaves
// the calibration in force as it was.
#include <csignal>
#include <cmath>
#include <filesystem>

#include <sys/resource.h>
#include <sys/stat.h>

#include "cal/cal_file.h"
#include "sim_window.h"

using namespace orbilan;
using app::MainWindow;
using test::readFile;
using test::TempDir;
using ui::Answer;

#if ORBILAN_HAVE_SIM

namespace {

namespace fs = std::filesystem;

constexpr int Points = 5;

class LostData : public test::SimWindowTest {
protected:
    LostData() { kesp_sim_set_noise(0); }
    void TearDown() override { EXPECT_EQ(platform.pendingAnswers(), 0u); }

    MainWindow& w = *window;

    void setSweep(std::int32_t step)
    {
        w.settings.SweepPoints = Points;
        w.sweep.FreqList = {};
        w.sweep.FreqList[0] = 1;
        for (int k = 1; k <= Points; ++k)
            w.sweep.FreqList[static_cast<std::size_t>(k)] = step * k;
        w.sweep.SweepDefined = true;
    }

    // A transmission calibration on 1..5 MHz whose saving the user declined.
    void calibrateTransmission()
    {
        setSweep(1000000);
        ASSERT_TRUE(w.deliver([&] { w.ModeButton_Click(0); }));
        platform.queue(Answer::ok());
        platform.queue(Answer::ok());
        platform.queue(Answer::no());
        ASSERT_TRUE(w.deliver([&] { w.CalibrateButton_Click(); }));
        ASSERT_EQ(w.cal.CalUnsaved, -1);
        ASSERT_TRUE(w.cal.TransCalValid);
        platform.clearDialogs();
    }

    // Exit, answering Yes to the save question with `path`; returns the
    // calibration the file holds.
    std::optional<cal::CalFileData> exitSavingTo(const fs::path& path)
    {
        platform.queue(Answer::yes());
        platform.queue(Answer::file(path.string()));
        EXPECT_FALSE(w.deliver([&] { w.controls().userClick("End_Button"); }));
        EXPECT_TRUE(platform.ended());
        EXPECT_EQ(platform.messageTexts(), std::vector<std::string>{" Save calibration file now?"});
        return cal::ReadCalFile(readFile(path));
    }

    TempDir files;
};

// Runs `save` with the file-size limit at `bytes`: every write beyond fails
// as on a full disk, half way through the file.
template <typename F>
void withFileSizeLimit(rlim_t bytes, F save)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = bytes;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    save();
    setrlimit(RLIMIT_FSIZE, &saved);
}

} // namespace

TEST_F(LostData, ExitOffersACalibrationTheWindowCouldNotMeasureWith)
{
    calibrateTransmission();
    // A reflection calibration given up after the open: reflection is not
    // calibrated, so the window is not ready and never asks; the
    // transmission calibration beside it is still held and unsaved.
    ASSERT_TRUE(w.deliver([&] { w.ModeButton_Click(1); }));
    platform.queue(Answer::ok());
    platform.queue(Answer::cancel());
    ASSERT_TRUE(w.deliver([&] { w.CalibrateButton_Click(); }));
    EXPECT_FALSE(w.cal.ReflCalValid);
    EXPECT_EQ(w.cal.CalUnsaved, 1);
    platform.clearDialogs();

    const auto saved = exitSavingTo(files.path() / "kept.cal");
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->Modes, 2);
    EXPECT_EQ(saved->Points, Points);
    EXPECT_EQ(saved->Freq[Points], 5000000);
    EXPECT_NEAR(saved->Thru[3].re, w.cal.CalThru[3].re, 1e-14 * std::fabs(w.cal.CalThru[3].re));
}

TEST_F(LostData, ExitOffersACalibrationKeptAcrossACdsChange)
{
    calibrateTransmission();
    // A sweep beyond the calibration: nothing applies, so turning CDS on
    // warns of nothing and the calibration stays held.
    setSweep(2000000);
    ASSERT_TRUE(w.deliver([&] { w.CheckMachineStatus(); }));
    ASSERT_FALSE(w.cal.TransCalValid);
    ASSERT_TRUE(w.deliver([&] { w.controls().userClick("CDS_check"); }));
    ASSERT_TRUE(w.sweep.CdsOn);
    EXPECT_TRUE(platform.dialogs().empty());

    const auto saved = exitSavingTo(files.path() / "kept.cal");
    ASSERT_TRUE(saved);
    // As it was made: without CDS, on its own sweep.
    EXPECT_FALSE(saved->Cds);
    EXPECT_EQ(saved->Modes, 2);
    EXPECT_EQ(saved->Freq[Points], 5000000);
}

TEST_F(LostData, ExitDuringARecalibrationOffersNoHalfNewCalibration)
{
    // A transmission calibration, not saved; a new one on another device is
    // left by Exit during its thru sweep. Its thru readings are then part
    // new, part old: no file may call that a valid calibration.
    calibrateTransmission();
    kesp_sim_set_auto_follow(0);
    kesp_sim_set_dut("trans:series:R=50");
    w.onPointYield = [&] {
        if (w.sweep.PointIndex == 3)
            w.controls().userClick("End_Button");
    };
    platform.queue(Answer::ok()); // thru
    EXPECT_FALSE(w.deliver([&] { w.CalibrateButton_Click(); }));
    EXPECT_TRUE(platform.ended());
    EXPECT_EQ(platform.messageTexts(), std::vector<std::string>{"Connect thru, then click OK"});
    EXPECT_TRUE(fs::is_empty(files.path()));
}

TEST_F(LostData, CdsChangeSavesTheCalibrationAsItWasMade)
{
    calibrateTransmission();
    platform.queue(Answer::ok()); // the CDS warning
    platform.queue(Answer::yes());
    platform.queue(Answer::file((files.path() / "before-cds.cal").string()));
    ASSERT_TRUE(w.deliver([&] { w.controls().userClick("CDS_check"); }));
    EXPECT_EQ(platform.dialogs()[0].title, "Warning - CDS change");
    const auto saved = cal::ReadCalFile(readFile(files.path() / "before-cds.cal"));
    ASSERT_TRUE(saved);
    EXPECT_FALSE(saved->Cds);
    EXPECT_EQ(saved->Modes, 2);
    EXPECT_EQ(w.cal.CalModes, 10);
    EXPECT_EQ(w.cal.CalUnsaved, 0); // saved: nothing to offer on exit
}

TEST_F(LostData, SavesThatFailHalfWayLeaveTheOldFiles)
{
    calibrateTransmission();
    const auto calPath = files.write("bench.cal", "the calibration saved last week\r\n");
    const auto dataPath = files.write("bench.csv", "the data saved last week\r\n");
    w.controls().at("FileLabel").setCaption("Not saved");

    platform.queue(Answer::file(calPath.string()));
    withFileSizeLimit(100, [&] { EXPECT_TRUE(w.deliver([&] { w.SaveCalFile(); })); });
    platform.queue(Answer::typed("dut"));
    platform.queue(Answer::file(dataPath.string()));
    withFileSizeLimit(100, [&] { EXPECT_TRUE(w.deliver([&] { w.SaveDataFile(); })); });

    const auto texts = platform.messageTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "Error 61: Disk full\r" + calPath.string() + "\rThe file was not saved.");
    EXPECT_EQ(texts[1], "Error 61: Disk full\r" + dataPath.string() + "\rThe file was not saved.");
    EXPECT_EQ(readFile(calPath), "the calibration saved last week\r\n");
    EXPECT_EQ(readFile(dataPath), "the data saved last week\r\n");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(files.path()))
        ++entries;
    EXPECT_EQ(entries, 2u); // no temporary file left behind
    // Still unsaved, and still offered.
    EXPECT_EQ(w.cal.CalUnsaved, -1);
    EXPECT_EQ(w.controls().at("FileLabel").caption(), "Not saved");
}

TEST_F(LostData, FilesThatCannotBeLoadedLeaveTheCalibrationInForce)
{
    calibrateTransmission();
    const app::CalState before = w.cal;
    const std::string good = cal::WriteCalFile([&] {
        cal::CalFileData d;
        d.Points = 2;
        d.Modes = 3;
        d.Freq[1] = 100000;
        d.Freq[2] = 200000;
        return d;
    }());
    std::string oneTooMany = "2440,0\r\n1,10\r\n#FALSE#\r\n402\r\n3\r\n";
    for (int k = 1; k <= 402; ++k)
        oneTooMany += std::to_string(100000 * k) + ",0,0,0,0,0,0,0,0,0,0,0,0\r\n";
    const struct {
        const char* name;
        std::string contents;
    } bad[] = {
        {"empty.cal", ""},
        {"binary.cal", std::string("\x00\xff\x13\x37", 4) + std::string(100, '\x80')},
        {"too-many-points.cal", oneTooMany},
        {"overflow.cal", good.substr(0, good.find("100000,")) + "100000,1e999" + good.substr(good.find("100000,") + 8)},
        {"truncated.cal", good.substr(0, good.size() - 10)},
        // Points out of order would interpolate in the wrong place; no
        // readings per point would measure with old ones.
        {"unsorted.cal", "2410,0\r\n1,10\r\n#FALSE#\r\n2\r\n3\r\n200000" + good.substr(good.rfind("200000") + 6) +
                             good.substr(good.find("100000,"), good.rfind("200000") - good.find("100000,"))},
        {"no-averages.cal", "2410,0\r\n0,10" + good.substr(good.find("\r\n#FALSE#"))},
    };
    for (const auto& b : bad) {
        SCOPED_TRACE(b.name);
        platform.clearDialogs();
        platform.queue(Answer::file(files.write(b.name, b.contents).string()));
        ASSERT_TRUE(w.deliver([&] { w.CalLoadButton_Click(); }));
        ASSERT_EQ(platform.messageTexts().size(), 1u);
        EXPECT_EQ(platform.messageTexts()[0].rfind("Not a valid Orbilan Cal file!", 0), 0u);
        EXPECT_EQ(w.cal.CalFreq, before.CalFreq);
        EXPECT_EQ(w.cal.CalThru, before.CalThru);
        EXPECT_EQ(w.cal.CalModes, before.CalModes);
        EXPECT_EQ(w.settings.SweepPoints, Points);
        EXPECT_TRUE(w.cal.TransCalValid);
    }
    // Not a file at all, none there, a pipe, or one too large to be ours:
    // each is said as it is.
    ASSERT_EQ(mkfifo((files.path() / "pipe.cal").c_str(), 0644), 0);
    const struct {
        fs::path path;
        const char* says;
    } unreadable[] = {
        {files.path(), "Error 75: Not a regular file"},
        {files.path() / "missing.cal", "Error 76: Path not found"},
        {files.path() / "pipe.cal", "Error 75: Not a regular file"},
        {files.write("huge.cal", good + std::string(5u << 20, ' ')), "Error 7: The file is too large"},
    };
    for (const auto& u : unreadable) {
        SCOPED_TRACE(u.path);
        platform.clearDialogs();
        platform.queue(Answer::file(u.path.string()));
        ASSERT_TRUE(w.deliver([&] { w.CalLoadButton_Click(); }));
        ASSERT_EQ(platform.dialogs().size(), 2u);
        EXPECT_EQ(platform.dialogs()[1].title, "File error");
        EXPECT_EQ(platform.dialogs()[1].text.rfind(u.says, 0), 0u) << platform.dialogs()[1].text;
        EXPECT_EQ(w.cal.CalFreq, before.CalFreq);
        EXPECT_TRUE(w.cal.TransCalValid);
    }
    EXPECT_EQ(w.cal.CalUnsaved, -1);
}

#else

TEST(LostData, NeedsTheSimulator) { GTEST_SKIP() << "the simulator (libkespsim) is not part of this build"; }

#endif
