// The program on the simulated instrument for a benchmark: a fresh folder
// with its own vna.ini, the program started through orbilan-cli's run, a
// sweep from 1 to 60 MHz set, and the mode calibrated on it, with a device
// connected afterwards. The folder is removed with it.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "cli/program_run.h"
#include "common/temp_folder.h"
#include "sim/kesp_sim.h"

namespace orbilan::bench {

struct ProgramSetup {
    bool usb = false;
    int mode = 0;             // 0 transmission, 1 reflection
    std::string steps = "400";
    bool cds = false;
    std::string iniLines;     // more vna.ini lines, each ended by CR-LF
    std::string dut;          // connected after the calibration; a default of the mode when empty
};

class SimulatedProgram {
public:
    explicit SimulatedProgram(const ProgramSetup& setup) : folder_(TempFolder())
    {
        std::ofstream(folder_ + "/vna.ini") << "owner = Bench\r\n"
                                            << (setup.usb ? "usb = yes\r\n" : "") << setup.iniLines;
        // brindle's log of the USB transfers goes beside it, not into the
        // user's own state folder.
        setenv("XDG_STATE_HOME", folder_.c_str(), 1);
        kesp_sim_reset();
        options_.program.simulate = true;
        options_.program.iniDir = folder_;
        cli::SimulatorHooks hooks;
        cli::startSimulator(options_, hooks);
        run_ = std::make_unique<cli::ProgramRun>("bench", options_, hooks,
                                                 cli::CommandIo{in_, out_, err_, false, false}, true);
        run_->start();
        cli::SweepRequest sweep;
        sweep.f1 = "1m";
        sweep.f2 = "60m";
        sweep.steps = setup.steps;
        sweep.cds = setup.cds;
        run_->setSweep(sweep);
        run_->click("ModeButton(" + std::to_string(setup.mode) + ")");
        run_->click("CalibrateButton");
        run_->shownDialogs();
        kesp_sim_set_dut(!setup.dut.empty()  ? setup.dut.c_str()
                         : setup.mode == 1 ? "refl:R=10,L=1u,C=100p,topology=series"
                                           : "trans:series:L=1u");
    }
    ~SimulatedProgram()
    {
        run_.reset();
        kesp_sim_reset();
        std::filesystem::remove_all(folder_);
    }
    SimulatedProgram(const SimulatedProgram&) = delete;
    SimulatedProgram& operator=(const SimulatedProgram&) = delete;

    cli::ProgramRun& run() { return *run_; }
    app::MainWindow& window() { return run_->window(); }
    std::string file(const std::string& name) const { return folder_ + "/" + name; }

private:
    std::string folder_;
    cli::InstrumentOptions options_;
    std::istringstream in_;
    std::ostringstream out_, err_;
    std::unique_ptr<cli::ProgramRun> run_;
};

} // namespace orbilan::bench
