// What one measured point costs the program: DDSADC through the real port
// library or brindle, on the simulated instrument in instant timing, beside
// what the simulator alone costs for the same traffic. The difference between
// the two is the program's own share (the link code, the libraries, brindle's
// log).
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include <benchmark/benchmark.h>

#include "app/main_window.h"
#include "instrument_wire.h"
#include "sim/kesp_sim.h"
#include "ui/scripted_platform.h"

using namespace orbilan;

namespace {

constexpr std::int32_t PointHz = 10000000;

// A working folder with a vna.ini for the transport; brindle's log goes there too.
std::string workFolder(bool usb)
{
    const auto dir = std::filesystem::temp_directory_path() / (usb ? "orbilan-bench-link-usb" : "orbilan-bench-link-lpt");
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "vna.ini") << (usb ? "usb = yes\nadcavg = 1\n" : "adctype = 2440\nadcavg = 1\n");
    setenv("XDG_STATE_HOME", dir.string().c_str(), 1);
    return dir.string();
}

void BM_ProgramPoint(benchmark::State& state)
{
    const bool usb = state.range(0) != 0;
    const bool cds = state.range(1) != 0;
    kesp_sim_reset();
    kesp_sim_set_timing(0);
    ui::ScriptedPlatform platform; // its sleeps return at once
    app::ProgramOptions options;
    options.iniDir = workFolder(usb);
    options.simulate = true;
    app::MainWindow w(platform, options);
    if (!w.deliver([&] { w.Form_Load(); })) {
        state.SkipWithError("start-up failed");
        return;
    }
    w.sweep.CdsOn = cds;
    w.sweep.FreqList[1] = PointHz;
    w.sweep.PointIndex = 1;
    for (auto _ : state) {
        w.DDSADC();
        benchmark::DoNotOptimize(w.cal.RawPoints[1]);
    }
    state.SetLabel(std::string(usb ? "USB" : "parallel port") + (cds ? ", CDS" : ""));
}
BENCHMARK(BM_ProgramPoint)->ArgNames({"usb", "cds"})->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

// The same traffic sent straight to the simulator.
void BM_SimulatorOnlyPoint(benchmark::State& state)
{
    const bool usb = state.range(0) != 0;
    const bool cds = state.range(1) != 0;
    kesp_sim_reset();
    kesp_sim_set_timing(0);
    const std::uint32_t word = wire::tuningWord(PointHz);
    const std::vector<int> phases = cds ? std::vector<int>{0, 2, 1, 3} : std::vector<int>{0, 1};
    wire::ParallelPort port;
    port.out = [](std::uint16_t p, std::uint8_t v) { kesp_sim_port_out(p, v); };
    port.in = [](std::uint16_t p) { return static_cast<std::uint8_t>(kesp_sim_port_in(p)); };
    if (!usb) {
        port.resetSerial();
        port.wake();
    }
    std::uint8_t reply[256];
    for (auto _ : state) {
        double v = 0;
        if (!usb) {
            for (int phase : phases) {
                port.load(word, phase);
                v += port.convert(0);
            }
        } else {
            for (std::size_t i = 0; i < phases.size(); i += 2) {
                const auto a = wire::measureFrame(0x58, word, phases[i]);
                const auto b = wire::measureFrame(0x50, word, phases[i + 1]);
                kesp_sim_usb_write(a.data(), 15);
                kesp_sim_usb_write(b.data(), 15);
                for (int results = 0; results < 2;)
                    if (kesp_sim_usb_read(reply, 255) >= 2 && (reply[1] & 0x20))
                        ++results;
                v += reply[5];
            }
        }
        benchmark::DoNotOptimize(v);
    }
    state.SetLabel(std::string(usb ? "USB" : "parallel port") + (cds ? ", CDS" : ""));
}
BENCHMARK(BM_SimulatorOnlyPoint)->ArgNames({"usb", "cds"})->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

} // namespace
