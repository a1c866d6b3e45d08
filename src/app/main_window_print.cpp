#include "app/main_window.h"

#include "app/print_page.h"
#include "display/canvas.h"

namespace orbilan::app {

void MainWindow::setupPrint()
{
    using ui::ControlKind;
    using ui::Event;

    // Both act on a complete sweep only; the sweep control enables them.
    ui_.add("SendToClipboard", ControlKind::Button)
        .setCaption("Copy")
        .setToolTip("copies display screen to clipboard")
        .setParent("SweepFrame")
        .setEnabled(false);
    ui_.add("PrintMe", ControlKind::Button)
        .setCaption("Print")
        .setToolTip("prints annotated screen (white background)")
        .setParent("SweepFrame")
        .setEnabled(false);

    ui_.on("SendToClipboard", Event::Click, [this](ui::EventArgs&) { SendToClipboard_Click(); });
    ui_.on("PrintMe", Event::Click, [this](ui::EventArgs&) { PrintMe_Click(); });
}

void MainWindow::SendToClipboard_Click()
{
    platform_.setClipboardImage(screen_->image());
}

void MainWindow::PrintMe_Click()
{
    const auto comment = platform_.inputBox("Enter a line of test details or a comment", "Orbilan", " ");
    if (!comment || comment->empty())
        return;

    EstTime();

    PrintSheet s;
    s.now = platform_.now();
    s.comment = *comment;
    s.plot = screen_->image();
    s.displayCode = disp.DisplayCode;

    s.y1Name = c("PlotOption", 0).caption();
    s.y1Top = c("Y1Hi").caption();
    s.y1PerDiv = c("Y1Scale").caption();
    s.y1Units = c("Y1div").caption();
    s.y1Bottom = c("Y1Lo").caption();
    s.y2Name = c("PlotOption", 1).caption();
    s.y2Top = c("Y2Hi").caption();
    s.y2PerDiv = c("Y2Scale").caption();
    s.y2Units = c("Y2div").caption();
    s.y2Bottom = c("Y2Lo").caption();
    s.freqLeft = c("FreqLeft").caption();
    s.freqUnits = c("FreqUnits").caption();
    s.freqRight = c("FreqRight").caption();

    s.adcType = settings.AdcType;
    s.adcMode = settings.AdcMode;
    s.sweepTime = c("TimeEstimate").caption();
    s.cds = sweep.CdsOn;
    s.sweepPoints = settings.SweepPoints;
    s.adcWaitMs = settings.AdcWaitMs;
    s.adcAverages = settings.AdcAverages;

    s.markersShown = c("Markers").visible();
    s.markerAFreq = c("MarkerFreq").caption();
    s.markerAY1 = c("MarkerY1").caption();
    s.markerAY2 = c("MarkerY2").caption();
    s.markerBFreq = c("MarkerF2").caption();
    s.markerBY1 = c("markery3").caption();
    s.markerBY2 = c("markery4").caption();

    platform_.printPage(LayoutPrintPage(s));
}

} // namespace orbilan::app
