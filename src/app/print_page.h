// The printed page of the Print button: everything it shows, gathered from
// the window, and the layout of that page in centimetres. Kept apart from the
// window so that the layout is checked item by item without a printer.
#pragma once

#include <string>

#include "ui/platform.h"

namespace orbilan::app {

struct PrintSheet {
    ui::DateTimeText now;
    std::string comment;          // as typed; long ones are broken by the layout
    ui::Image plot;               // the plot area as it is on screen
    int displayCode = 0;

    // Captions of the vertical scales, as the window shows them.
    std::string y1Name, y1Top, y1PerDiv, y1Units, y1Bottom;
    std::string y2Name, y2Top, y2PerDiv, y2Units, y2Bottom;
    // Frequency axis captions under the plot.
    std::string freqLeft, freqUnits, freqRight;

    int adcType = 0;
    int adcMode = 0;
    std::string sweepTime;        // the sweep-time estimate caption
    bool cds = false;
    int sweepPoints = 0;
    int adcWaitMs = 0;
    int adcAverages = 1;

    bool markersShown = false;
    std::string markerAFreq, markerAY1, markerAY2;
    std::string markerBFreq, markerBY1, markerBY2;
};

inline constexpr double PrintLineHeightCm = 12.0 / 72.0 * 2.54; // one line of 10-point text
inline constexpr int PrintCommentLineChars = 60;

// The comment as printed: longer than 60 characters, it is broken after the
// 60th (counted in characters, not bytes) with a carriage return.
std::string BreakPrintComment(const std::string& comment);

// A number as the printer writes it between texts: a blank (or the minus
// sign) before it and a blank after it.
std::string PrintedNumber(long long value);

// The page, item by item, in the order it is drawn.
ui::PrintPage LayoutPrintPage(const PrintSheet& sheet);

} // namespace orbilan::app
