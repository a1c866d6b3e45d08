// A sweep of 401 points at the simulator's full speed (instant timing), in
// the desktop program on Qt's offscreen platform, with each way of showing
// the plot:
//   - raster: the window model's 400 x 320 raster shown by a CanvasView,
//     repainted whenever the raster changed, that is after every point (the
//     view the program had before);
//   - plot view: the main window at 1366 x 768 with its PlotView (about
//     950 x 650), drawn anew from the window's state at most every 40 ms.
// The plot view must not make the sweep slower: its time is printed beside
// the raster's, with the ratio, at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include <QApplication>
#include <QElapsedTimer>

#include "app/user_input.h"
#include "gui/canvas_view.h"
#include "common/temp_folder.h"
#include "gui/desktop.h"
#include "sim/kesp_sim.h"
#include "ui/scripted_platform.h"

namespace {

std::map<std::string, double> figures; // ms per sweep, by view

// The desktop, started on the simulated instrument, calibrated for
// reflection on a sweep of 401 points from 1 to 60 MHz.
class Bench {
public:
    explicit Bench(bool rasterView) : folder_(orbilan::bench::TempFolder())
    {
        std::ofstream(folder_ + "/vna.ini") << "owner = Bench\r\n";
        kesp_sim_reset();
        orbilan::app::ProgramOptions options;
        options.iniDir = folder_;
        options.simulate = true;
        options.libraryDir = ORBILAN_BIN_DIR;
        desktop_ = std::make_unique<orbilan::gui::Desktop>(options, &answers_);
        desktop_->bench()->setFastTiming(true);
        desktop_->bench()->setNoise(false);
        desktop_->start();
        QMainWindow& main = desktop_->mainWindow();
        main.resize(1366, 768);
        settle();

        orbilan::app::UserInput in(desktop_->model());
        in.click("SetSweepButton");
        in.type("F1text", "1M");
        in.type("F2text", "60M");
        in.click("StepsButton");
        in.type("NumberOfSteps", "400");
        in.click("ButtonSweepOK");
        in.click("ModeButton(1)");
        for (int i = 0; i < 3; ++i)
            answers_.queue(orbilan::ui::Answer::ok());
        answers_.queue(orbilan::ui::Answer::no());
        in.click("CalibrateButton");
        settle();
        if (desktop_->model().settings.SweepPoints != 401 || !desktop_->model().cal.ReflCalValid)
            std::abort();

        if (rasterView) {
            // The old view: the raster, shown after every point. The window
            // with the plot view is hidden, so only the raster is drawn (the
            // plot view's figure below also pays for the rest of the window).
            main.hide();
            raster_ = std::make_unique<orbilan::gui::CanvasView>(desktop_->model().plotCanvas());
            raster_->resize(400, 320);
            raster_->show();
            desktop_->platform().beforeEvents = [this] {
                desktop_->refresh();
                raster_->refresh();
            };
        }
        settle();
    }
    ~Bench()
    {
        raster_.reset();
        desktop_.reset();
        std::filesystem::remove_all(folder_);
    }

    // One single sweep of every point, as the Single Sweep button does.
    void sweep()
    {
        orbilan::app::UserInput in(desktop_->model());
        in.click("SweepButton(3)");
    }
    int plotPaints() const { return desktop_->plotView()->paints(); }

    static void settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

private:
    std::string folder_;
    orbilan::ui::ScriptedPlatform answers_;
    std::unique_ptr<orbilan::gui::Desktop> desktop_;
    std::unique_ptr<orbilan::gui::CanvasView> raster_;
};

void sweepWith(benchmark::State& state, bool raster, const char* name)
{
    Bench bench(raster);
    const int paintsBefore = bench.plotPaints();
    int sweeps = 0;
    QElapsedTimer wall;
    wall.start();
    for (auto _ : state) {
        bench.sweep();
        ++sweeps;
    }
    figures[name] = static_cast<double>(wall.nsecsElapsed()) / 1e6 / std::max(sweeps, 1);
    state.counters["plot paints per sweep"] =
        static_cast<double>(bench.plotPaints() - paintsBefore) / std::max(sweeps, 1);
}

void BM_SweepWithRasterView(benchmark::State& state) { sweepWith(state, true, "raster"); }
void BM_SweepWithPlotView(benchmark::State& state) { sweepWith(state, false, "plot view"); }

BENCHMARK(BM_SweepWithRasterView)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_SweepWithPlotView)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    if (figures.count("raster") && figures.count("plot view")) {
        const double raster = figures["raster"], view = figures["plot view"];
        std::printf("\n401-point sweep, simulator at full speed (wall time per sweep):\n"
                    "  raster view shown after every point  %8.1f ms\n"
                    "  plot view, at most every %d ms        %8.1f ms   (%.2f of the raster's)   %s\n",
                    raster, orbilan::gui::PlotView::MinFrameMs, view, view / raster,
                    view <= raster * 1.05 ? "ok" : "SLOWER");
    }
    return 0;
}
