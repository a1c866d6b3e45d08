// What the program itself costs, measured on the simulated instrument in
// instant timing, each figure printed beside its budget at the end:
//   - a point of a sweep (measure, correct, convert, plot) per transport and
//     display type, with the simulator's own share of the point measured on
//     its own and taken off, and the correction, conversion and plot of a
//     point measured without any instrument: the program's overhead must stay
//     within 1 % of
//     the fastest point a real instrument can give (two conversions at
//     3.52 kHz, about 570 us), that is 5.7 us (twice that for a group-delay
//     point, which is two readings);
//   - a full redraw of 401 points, both traces and the Smith chart: 2 ms;
//   - autoscale of 401 points (no budget of its own; it redraws);
//   - saving and loading a calibration file of 401 points: 5 ms each;
//   - UpdateCalStatus interpolating 401 points (no budget);
//   - start-up to a ready window (no budget).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "cal/correction.h"
#include "cli/program_run.h"
#include "common/simulated_program.h"
#include "instrument_wire.h"
#include "sim/kesp_sim.h"

namespace {

using orbilan::cli::CommandIo;
using orbilan::cli::InstrumentOptions;
using orbilan::cli::ProgramRun;
using orbilan::cli::SimulatorHooks;
using orbilan::cli::SweepRequest;

constexpr int Points = 401;
constexpr double PointBudgetUs = 5.7;
constexpr double RedrawBudgetMs = 2;
constexpr double FileBudgetMs = 5;

// A program on the simulated instrument, started, with a sweep of 401 points
// from 1 to 60 MHz, in a mode whose calibration has just been made.
class Program : public orbilan::bench::SimulatedProgram {
public:
    Program(bool usb, int mode) : SimulatedProgram({.usb = usb, .mode = mode}) {}

    void display(const std::string& entry)
    {
        run().click("DisplayButton");
        run().choose("displaycombo", entry);
    }
    void sweep() { run().click("SweepButton(3)"); }
};

// ------------------------------------------------------------ sweep points

struct SweepCase {
    bool usb;
    int mode;
    const char* display;
};

void BM_SweepPoint(benchmark::State& state, SweepCase c)
{
    Program p(c.usb, c.mode);
    p.display(c.display);
    for (auto _ : state)
        p.sweep();
    if (!p.window().sweep.PassDone)
        state.SkipWithError("the sweep did not complete");
    state.SetItemsProcessed(state.iterations() * Points);
}

// The program's work on a point once the reading is in: the correction, the
// conversion to the display type and the plot, with no instrument at all.
void BM_PointWork(benchmark::State& state, SweepCase c)
{
    Program p(false, c.mode);
    p.display(c.display);
    p.sweep();
    auto& w = p.window();
    for (auto _ : state) {
        for (int i = 1; i <= Points; ++i) {
            const auto k = static_cast<std::size_t>(i);
            w.sweep.PointIndex = static_cast<std::int16_t>(i);
            orbilan::cal::Complex point;
            if (c.mode == 1) {
                point = orbilan::cal::OnePortImpedance(w.cal.LoadModel[k], w.cal.WorkOpen[k], w.cal.WorkShort[k],
                                                       w.cal.WorkLoad[k], w.cal.RawPoints[k]);
            } else {
                point = orbilan::cal::TransmissionRatio(w.cal.WorkIsol[k], w.cal.WorkThru[k], w.cal.RawPoints[k]);
                if (c.mode == 2) {
                    const std::int32_t second = w.sweep.FreqList[k] + 1000;
                    const auto first =
                        orbilan::cal::TransmissionQuotient(w.cal.WorkIsol[k], w.cal.WorkThru[k], w.cal.RawPoints[k]);
                    const auto other = orbilan::cal::TransmissionQuotient(
                        orbilan::cal::CalibrationValueAt(second, w.cal.CalFreq, w.cal.CalIsol),
                        orbilan::cal::CalibrationValueAt(second, w.cal.CalFreq, w.cal.CalThru), w.cal.RawPoints[k]);
                    point.im = orbilan::cal::GroupDelayMicroseconds(first, other, w.sweep.FreqList[k], second, 1000);
                }
            }
            w.cal.PointData[k] = point;
            w.PlotPoint(point);
        }
    }
    state.SetItemsProcessed(state.iterations() * Points);
}

// The simulator's share of one point: the wire traffic the program makes for
// a point without CDS, one average, sent straight to the simulator.
void BM_SimulatorPoint(benchmark::State& state, bool usb, int readings)
{
    kesp_sim_reset();
    const std::uint32_t word = wire::tuningWord(10e6);
    if (usb) {
        std::uint8_t reply[256];
        for (auto _ : state) {
            for (int r = 0; r < readings; ++r) {
                const auto a = wire::measureFrame(0x58, word, 0, 10, 1);
                const auto b = wire::measureFrame(0x50, word, 1, 10, 1);
                kesp_sim_usb_write(a.data(), 15);
                kesp_sim_usb_write(b.data(), 15);
                kesp_sim_usb_read(reply, 255);
                kesp_sim_usb_read(reply, 255);
            }
            benchmark::DoNotOptimize(reply[5]);
        }
        return;
    }
    wire::ParallelPort port;
    port.out = [](std::uint16_t a, std::uint8_t v) { kesp_sim_port_out(a, v); };
    port.in = [](std::uint16_t a) { return static_cast<std::uint8_t>(kesp_sim_port_in(a)); };
    port.resetSerial();
    port.wake();
    for (auto _ : state) {
        double v = 0;
        for (int r = 0; r < readings; ++r)
            for (int phase : {0, 1}) {
                port.load(word, phase);
                v += port.convert(0);
            }
        benchmark::DoNotOptimize(v);
    }
}

// ------------------------------------------------------------ plot

void BM_RedrawTraces(benchmark::State& state, const char* display)
{
    Program p(false, 1);
    p.display(display);
    p.sweep();
    for (auto _ : state)
        p.window().RedrawTraces();
}

void BM_Autoscale(benchmark::State& state)
{
    Program p(false, 1);
    p.sweep();
    auto& button = p.window().controls().at("ScaleControl");
    for (auto _ : state) {
        button.setCaption("Autoscale");
        p.window().ScaleControl_Click();
    }
}

// ------------------------------------------------------------ calibration

void BM_SaveCalFile(benchmark::State& state)
{
    Program p(false, 1);
    p.run().platform().calSavePath = p.file("bench.cal");
    for (auto _ : state)
        p.window().SaveCalFile();
    if (p.window().cal.CalUnsaved != 0)
        state.SkipWithError("not saved");
}

void BM_LoadCalFile(benchmark::State& state)
{
    Program p(false, 1);
    p.run().platform().calSavePath = p.file("bench.cal");
    p.window().SaveCalFile();
    p.run().platform().calLoadPath = p.file("bench.cal");
    for (auto _ : state)
        benchmark::DoNotOptimize(p.window().LoadCalFile());
    if (p.window().cal.CalFreq[0] != Points)
        state.SkipWithError("not loaded");
}

void BM_UpdateCalStatusInterpolating(benchmark::State& state)
{
    Program p(false, 1);
    SweepRequest inside;
    inside.f1 = "1.05m";
    inside.f2 = "59.95m";
    p.run().setSweep(inside);
    for (auto _ : state)
        p.window().UpdateCalStatus();
    if (p.window().cal.CalStatus != 3 || p.window().cal.WorkPoints != Points)
        state.SkipWithError("not interpolated");
}

// ------------------------------------------------------------ start-up

void BM_StartUpToReady(benchmark::State& state)
{
    const std::string folder = orbilan::bench::TempFolder();
    std::ofstream(folder + "/vna.ini") << "owner = Bench\r\n";
    kesp_sim_reset();
    InstrumentOptions options;
    options.program.simulate = true;
    options.program.iniDir = folder;
    SimulatorHooks hooks;
    orbilan::cli::startSimulator(options, hooks);
    std::istringstream in;
    std::ostringstream out, err;
    for (auto _ : state) {
        ProgramRun run("bench", options, hooks, CommandIo{in, out, err, false, false}, true);
        run.start();
        benchmark::DoNotOptimize(run.window().sweep.UiReady);
    }
    std::filesystem::remove_all(folder);
}

// ------------------------------------------------------------ the budgets

// Keeps every result for the table at the end, in microseconds of CPU time
// and of wall time per iteration.
class BudgetReporter : public benchmark::ConsoleReporter {
public:
    struct Figure {
        double cpu = -1, wall = -1; // -1: not measured
    };
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        // The median of the repetitions: one slow repetition on a busy
        // machine does not decide.
        for (const Run& r : runs) {
            if (r.error_occurred || r.run_type != Run::RT_Aggregate || r.aggregate_name != "median")
                continue;
            const double toUs = 1e6 / benchmark::GetTimeUnitMultiplier(r.time_unit);
            std::string name = r.run_name.str();
            name = name.substr(0, name.find("/repeats:"));
            results[name] = {r.GetAdjustedCPUTime() * toUs, r.GetAdjustedRealTime() * toUs};
        }
    }
    std::map<std::string, Figure> results;
};

// The budgets are checked against CPU time: the program's own work. Wall
// time is shown beside it; on a shared machine it also holds other
// processes' turns, and a file save holds the disk's flush.
void printBudgets(const std::map<std::string, BudgetReporter::Figure>& r)
{
    using Figure = BudgetReporter::Figure;
    auto find = [&r](const std::string& name) {
        const auto it = r.find(name);
        return it == r.end() ? Figure{} : it->second;
    };
    auto scaled = [](Figure f, double by) { return f.cpu == -1 ? f : Figure{f.cpu / by, f.wall / by}; };
    std::printf("\nThe program's own cost against its budget (CPU time; wall time beside it)\n");
    std::printf("%-46s %12s %12s %12s %6s\n", "", "cpu", "wall", "budget", "");
    auto line = [](const std::string& what, Figure f, double budget, const char* unit) {
        if (f.cpu == -1 && f.wall == -1)
            return;
        char cpu[32], wall[32], limit[32];
        std::snprintf(cpu, sizeof cpu, "%.3f %s", f.cpu, unit);
        if (f.wall >= 0)
            std::snprintf(wall, sizeof wall, "%.3f %s", f.wall, unit);
        else
            std::snprintf(wall, sizeof wall, "-");
        if (budget > 0)
            std::snprintf(limit, sizeof limit, "%.3f %s", budget, unit);
        else
            std::snprintf(limit, sizeof limit, "-");
        std::printf("%-46s %12s %12s %12s %6s\n", what.c_str(), cpu, wall, limit,
                    budget <= 0 ? "" : (f.cpu <= budget ? "ok" : "OVER"));
    };
    // Correction, conversion and plot: the program's work on every point,
    // whatever the transport.
    for (const auto& [key, value] : r) {
        const std::string prefix = "BM_PointWork/";
        if (key.rfind(prefix, 0) == 0)
            line("correct + convert + plot, " + key.substr(prefix.size()), scaled(value, Points), PointBudgetUs,
                 "us");
    }
    // The whole point through each transport, and what is left of it when
    // the simulator's own share is taken off. Over the parallel port the
    // simulator models every register access and its share is measured by
    // replaying the same traffic, which costs a little more than the
    // program's own calls do: a difference below zero means the program's
    // share is below what this subtraction resolves.
    for (const char* transport : {"parallel", "usb"}) {
        const Figure sim1 = find(std::string("BM_SimulatorPoint/") + transport + "/1");
        const Figure sim2 = find(std::string("BM_SimulatorPoint/") + transport + "/2");
        line(std::string("simulator's share of a point, ") + transport, sim1, 0, "us");
        const std::string prefix = std::string("BM_SweepPoint/") + transport + "/";
        for (const auto& [key, value] : r) {
            if (key.rfind(prefix, 0) != 0)
                continue;
            const std::string display = key.substr(prefix.size());
            const Figure point = scaled(value, Points);
            // A group-delay point is two readings, so its fastest is twice
            // as long and its budget twice as large.
            const bool twoReadings = display.rfind("groupdelay", 0) == 0;
            const Figure sim = twoReadings ? sim2 : sim1;
            line("point, " + std::string(transport) + ", " + display, point, 0, "us");
            // Wall time holds other processes' turns: only CPU time subtracts.
            line("  less the simulator's share", {point.cpu - sim.cpu, -1}, PointBudgetUs * (twoReadings ? 2 : 1),
                 "us");
        }
    }
    line("RedrawTraces, 401 points, both traces", scaled(find("BM_RedrawTraces/both"), 1000), RedrawBudgetMs, "ms");
    line("RedrawTraces, 401 points, Smith chart", scaled(find("BM_RedrawTraces/smith"), 1000), RedrawBudgetMs, "ms");
    line("autoscale, 401 points", scaled(find("BM_Autoscale"), 1000), 0, "ms");
    line("save calibration file, 401 points", scaled(find("BM_SaveCalFile"), 1000), FileBudgetMs, "ms");
    line("load calibration file, 401 points", scaled(find("BM_LoadCalFile"), 1000), FileBudgetMs, "ms");
    line("UpdateCalStatus interpolating 401 points", scaled(find("BM_UpdateCalStatusInterpolating"), 1000), 0,
         "ms");
    line("start-up to ready", scaled(find("BM_StartUpToReady"), 1000), 0, "ms");
}

// Every benchmark runs three times; the table takes the median.
benchmark::internal::Benchmark* repeated(benchmark::internal::Benchmark* b, benchmark::TimeUnit unit)
{
    return b->Unit(unit)->Repetitions(3)->ReportAggregatesOnly(true);
}

void registerAll()
{
    const struct {
        const char* name;
        int mode;
        const char* entry;
    } displays[] = {
        {"dB,deg", 0, "dB,deg"},      {"mag,deg", 0, "mag,deg"}, {"|Z|,deg", 1, "|Z|,deg"},
        {"rho,deg", 1, "rho,deg"},    {"Rs,Xs", 1, "Rs,Xs"},     {"Rp,Xp", 1, "Rp,Xp"},
        {"SWR", 1, "SWR,"},           {"RL,deg", 1, "RL,deg"},   {"Smith", 1, "Smith,"},
        {"groupdelay dB,us", 2, "dB,\xC2\xB5s"},
    };
    for (bool usb : {false, true})
        for (const auto& d : displays)
            repeated(benchmark::RegisterBenchmark(
                         (std::string("BM_SweepPoint/") + (usb ? "usb/" : "parallel/") + d.name).c_str(),
                         BM_SweepPoint, SweepCase{usb, d.mode, d.entry}),
                     benchmark::kMillisecond);
    for (const auto& d : displays)
        repeated(benchmark::RegisterBenchmark((std::string("BM_PointWork/") + d.name).c_str(), BM_PointWork,
                                              SweepCase{false, d.mode, d.entry}),
                 benchmark::kMillisecond);
    for (bool usb : {false, true})
        for (int readings : {1, 2})
            repeated(benchmark::RegisterBenchmark((std::string("BM_SimulatorPoint/") + (usb ? "usb/" : "parallel/") +
                                                   std::to_string(readings))
                                                      .c_str(),
                                                  BM_SimulatorPoint, usb, readings),
                     benchmark::kMicrosecond);
    repeated(benchmark::RegisterBenchmark("BM_RedrawTraces/both", BM_RedrawTraces, "|Z|,deg"), benchmark::kMicrosecond);
    repeated(benchmark::RegisterBenchmark("BM_RedrawTraces/smith", BM_RedrawTraces, "Smith,"), benchmark::kMicrosecond);
    repeated(benchmark::RegisterBenchmark("BM_Autoscale", BM_Autoscale), benchmark::kMicrosecond);
    repeated(benchmark::RegisterBenchmark("BM_SaveCalFile", BM_SaveCalFile), benchmark::kMicrosecond);
    repeated(benchmark::RegisterBenchmark("BM_LoadCalFile", BM_LoadCalFile), benchmark::kMicrosecond);
    repeated(benchmark::RegisterBenchmark("BM_UpdateCalStatusInterpolating", BM_UpdateCalStatusInterpolating),
             benchmark::kMicrosecond);
    repeated(benchmark::RegisterBenchmark("BM_StartUpToReady", BM_StartUpToReady), benchmark::kMicrosecond);
}

} // namespace

int main(int argc, char** argv)
{
    registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    BudgetReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printBudgets(reporter.results);
    benchmark::Shutdown();
    return 0;
}
