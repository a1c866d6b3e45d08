// A main window started on the simulated instrument: the simulated port
// library, a fresh simulator with instant timing, and the calibration prompts
// connecting the standards they name. Without the simulator in the build,
// tests that measure are skipped.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "support/test_platform.h"

#ifndef ORBILAN_HAVE_SIM
#define ORBILAN_HAVE_SIM 0
#endif
#if ORBILAN_HAVE_SIM
#include "sim/auto_follow_platform.h"
#include "sim/configured_instrument.h"
#include "sim/kesp_sim.h"
#endif

namespace orbilan::test {

class SimWindowTest : public ::testing::Test {
protected:
    explicit SimWindowTest(const std::string& ini = "adctype = 2440\n")
    {
        dir.write("vna.ini", ini);
        app::ProgramOptions o;
        o.iniDir = dir.str();
#if ORBILAN_HAVE_SIM
        for (const char* name : {"KESP_SIM_DUT", "KESP_SIM_LOAD", "KESP_SIM_SEED", "KESP_SIM_TIMING",
                                 "KESP_SIM_FAULT", "KESP_SIM_AUTO_FOLLOW", "KESP_SIM_NOISE", "KESP_SIM_PORT",
                                 "KESP_SIM_CLOCK", "KESP_SIM_ADC"})
            unsetenv(name);
        kesp_sim_reset();
        kesp_sim_set_timing(0);
        kesp_sim_set_auto_follow(1);
        o.simulate = true;
        o.libraryDir = ORBILAN_BIN_DIR;
        follow = std::make_unique<sim::AutoFollowPlatform>(platform);
        window = std::make_unique<app::MainWindow>(*follow, o);
        window->onCalibrationFinished = [] { kesp_sim_calibration_done(); };
        window->onConfigurationRead = [](const app::Settings& s) { sim::configureSimulator(s); };
        EXPECT_TRUE(window->deliver([this] { window->Form_Load(); }));
#else
        window = std::make_unique<app::MainWindow>(platform, o);
#endif
        platform.clearDialogs();
    }
    ~SimWindowTest() override
    {
#if ORBILAN_HAVE_SIM
        kesp_sim_reset();
#endif
    }

    // Skips a test that measures when there is no simulator to measure.
    static bool simulated() { return ORBILAN_HAVE_SIM != 0; }

    TempDir dir;
    TestPlatform platform;
#if ORBILAN_HAVE_SIM
    std::unique_ptr<sim::AutoFollowPlatform> follow;
#endif
    std::unique_ptr<app::MainWindow> window;
};

} // namespace orbilan::test

#define REQUIRE_SIMULATOR()                                                                                         \
    do {                                                                                                            \
        if (!simulated())                                                                                           \
            GTEST_SKIP() << "the simulator (libkespsim) is not part of this build";                               \
    } while (0)
