// What the program adds to a sweep in front of a real instrument: the wall
// time of a whole 101-point sweep on the simulator in real-time timing,
// divided by the instrument's own time for it, the settling waits and the
// conversions the simulator performed. Over USB the firmware makes both and
// the simulator reports them; over the printer port the program waits for
// settling itself, once before each reading (AdcWaitMs), and the simulator
// reports the conversions. The rest is the program's dead time: synthesiser
// loads, port traffic, USB frames, correction, plotting, the pass's own 1 ms
// wait, and the operating system's lateness in waking a sleep.
//
// For the parallel port and USB, with and without CDS, at the fastest ADC
// (2440, mode 1: 0.28 ms per conversion) and at the default (2410, 133 ms).
// Budget: at most 1.02. A default-ADC sweep takes 29 s (58 s with CDS), so
// those run once; the fast ones three times, and the table takes the median.
//
// On a machine busier than its processors the program is often ready to go
// on while another process has the processor. Linux counts that time per
// thread, and it is printed beside the ratio as a share of the instrument's
// time: where it is large, an excess is the machine's. (It cannot simply be
// taken off: while the instrument is still busy, or within the last fraction
// of a wait that is spent on the clock, waiting for a processor delays
// nothing.)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/program_run.h"
#include "common/simulated_program.h"
#include "sim/kesp_sim.h"

namespace {

using orbilan::cli::ProgramRun;

constexpr double RatioBudget = 1.02;

struct Case {
    bool usb = false;
    bool cds = false;
    bool fastestAdc = false;
};

std::string caseName(const Case& c)
{
    return std::string(c.usb ? "usb" : "parallel") + (c.cds ? ", CDS" : "") +
           (c.fastestAdc ? ", ADC 2440 mode 1" : ", ADC 2410 (default)");
}

struct Ratio {
    double ratio = 0;  // wall / instrument
    double queued = 0; // waiting for a processor / instrument
};

// The ratios of each case, in the order measured.
std::map<std::string, std::vector<Ratio>>& ratios()
{
    static std::map<std::string, std::vector<Ratio>> r;
    return r;
}

// Seconds this thread has spent ready to run while another had the
// processor (0 where the system does not say).
double queuedSeconds()
{
    std::ifstream stat("/proc/thread-self/schedstat");
    unsigned long long running = 0, waiting = 0;
    if (stat >> running >> waiting)
        return static_cast<double>(waiting) / 1e9;
    return 0;
}

KespSimTiming timing()
{
    KespSimTiming t{};
    kesp_sim_get_timing(&t);
    return t;
}

void BM_RealTimeSweep(benchmark::State& state, Case c)
{
    // Set up and calibrated in instant timing; only the measured sweeps take
    // the instrument's time.
    orbilan::bench::SimulatedProgram program({.usb = c.usb,
                                              .steps = "100",
                                              .cds = c.cds,
                                              .iniLines = c.fastestAdc ? "adctype = 2440\r\nadcmode = 1\r\n" : ""});
    ProgramRun& run = program.run();
    auto& w = run.window();
    if (!w.cal.TransCalValid || w.settings.SweepPoints != 101)
        state.SkipWithError("not calibrated for 101 points");

    kesp_sim_set_timing(1);
    run.platform().realSleep = true;
    const int averages = w.settings.AdcAverages;
    const double waitSeconds = w.settings.AdcWaitMs / 1000.0;
    for (auto _ : state) {
        const KespSimTiming before = timing();
        const double queuedBefore = queuedSeconds();
        const auto started = std::chrono::steady_clock::now();
        run.click("SweepButton(3)");
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - started;
        const double queued = queuedSeconds() - queuedBefore;
        const KespSimTiming after = timing();
        state.SetIterationTime(wall.count());
        const double readings = static_cast<double>(after.conversions - before.conversions) / averages;
        const double settling =
            c.usb ? after.settle_seconds - before.settle_seconds : readings * waitSeconds;
        const double own = after.conversion_seconds - before.conversion_seconds + settling;
        if (!w.sweep.PassDone || own <= 0) {
            state.SkipWithError("the sweep did not complete");
            break;
        }
        ratios()[caseName(c)].push_back({wall.count() / own, queued / own});
        state.counters["instrument_s"] = own;
        state.counters["queued_s"] = queued;
        state.counters["ratio"] = wall.count() / own;
    }
}

void printBudgets()
{
    std::printf("\nA 101-point sweep in real time against the instrument's own time for it: wall / (settling + "
                "conversions);\nbeside it the time the program waited for a processor, in %% of the instrument's\n");
    std::printf("%-46s %10s %10s %6s %14s\n", "", "ratio", "budget", "", "cpu waits");
    for (auto& [name, values] : ratios()) {
        if (values.empty())
            continue;
        std::sort(values.begin(), values.end(), [](const Ratio& a, const Ratio& b) { return a.ratio < b.ratio; });
        const Ratio median = values[values.size() / 2];
        std::printf("%-46s %10.4f %10.2f %6s %12.2f %%\n", name.c_str(), median.ratio, RatioBudget,
                    median.ratio <= RatioBudget ? "ok" : "OVER", median.queued * 100);
    }
}

void registerAll()
{
    for (bool fastest : {true, false})
        for (bool usb : {false, true})
            for (bool cds : {false, true}) {
                const Case c{usb, cds, fastest};
                benchmark::RegisterBenchmark(("BM_RealTimeSweep/" + caseName(c)).c_str(), BM_RealTimeSweep, c)
                    ->Unit(benchmark::kMillisecond)
                    ->UseManualTime()
                    ->Iterations(fastest ? 3 : 1);
            }
}

} // namespace

int main(int argc, char** argv)
{
    registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    printBudgets();
    benchmark::Shutdown();
    return 0;
}
