#include "app/tdr_sweep.h"

#include <functional>

#include "app/main_window.h"
#include "app/user_input.h"
#include "sweep/freq_list.h"
#include "ui/number_text.h"

namespace orbilan::app {

namespace {

std::string mhz(std::int32_t hz) { return ui::formatGeneral(hz / 1e6, 9) + " MHz"; }
std::string khz(std::int32_t hz) { return ui::formatGeneral(hz / 1e3, 9) + " kHz"; }

} // namespace

TdrSweepOutcome SetTdrSweep(MainWindow& window, std::int32_t stopHz, int steps)
{
    if (steps < 1 || steps > sweep::MaxPoints - 1)
        return {false, "The steps are 1 to " + std::to_string(sweep::MaxPoints - 1) + "."};
    sweep::ListBounds bounds;
    if (!sweep::HarmonicBounds(stopHz, steps + 1, bounds)) {
        if (stopHz > sweep::MaxFreqHz)
            return {false, "The stop frequency lies above " + mhz(sweep::MaxFreqHz) + ", the instrument's highest."};
        return {false, std::to_string(steps) + " steps up to " + mhz(stopHz) + " would start below " +
                           khz(sweep::MinFreqHz) + ", the instrument's lowest: take fewer steps or a stop of at least " +
                           mhz((steps + 1) * sweep::MinFreqHz) + "."};
    }
    if (const sweep::SweepCheck* failed = sweep::FirstFailingCheck(sweep::KindStartEnd, bounds.start, bounds.end))
        return {false, failed->title + "."};

    UserInput input(window);
    const ui::Control* panel = window.controls().find("SetupSweep");
    if (!panel || !panel->visible()) {
        if (const std::string why = input.click("SetSweepButton"); !why.empty())
            return {false, "The sweep cannot be set now: " + why + "."};
    }
    // A step the panel refuses leaves the sweep as it was.
    auto refused = [&](const std::string& why) -> TdrSweepOutcome {
        if (!window.ended() && input.refusal("FreqCancel").empty())
            input.click("FreqCancel");
        return {false, "The sweep panel refused the TDR sweep: " + why + "."};
    };
    const std::function<std::string()> actions[] = {
        [&] { return input.click("Start_End"); },
        [&] { return input.type("F1text", std::to_string(bounds.start) + "H"); },
        [&] { return input.type("F2text", std::to_string(bounds.end) + "H"); },
        [&] { return input.click("StepsButton"); },
        [&] { return input.type("NumberOfSteps", std::to_string(steps)); },
        [&] { return input.click("ButtonSweepOK"); },
    };
    for (const auto& action : actions) {
        const std::string why = action();
        if (window.ended())
            return {false, "The program has ended."};
        if (!why.empty())
            return refused(why);
    }
    const int points = window.settings.SweepPoints;
    if (window.controls().at("SetupSweep").visible() || !window.sweep.SweepValid || points != steps + 1 ||
        window.sweep.FreqList[1] != bounds.start || window.sweep.FreqList[static_cast<std::size_t>(points)] != bounds.end)
        return refused("it did not take the sweep");

    std::string text = "Sweep set: " + mhz(bounds.start) + " to " + mhz(bounds.end) + " in " + std::to_string(steps) +
                       " steps of " + khz(bounds.start) + " (start = step). ";
    if (window.cal.MeasMode != 1)
        text += "Choose Refl, calibrate and sweep.";
    else if (window.cal.CalStatus == 1)
        text += "Calibrate over it, then sweep.";
    else
        text += "Sweep to see it.";
    return {true, text};
}

} // namespace orbilan::app
