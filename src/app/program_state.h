// The main window's state, grouped per subsystem in plain structs. Names follow
// the program's own vocabulary (SweepPoints, FreqList, CalStatus ...), so that
// reading the code beside the behaviour it implements is a matter of search.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "cal/complex.h"

namespace orbilan::app {

using cal::Complex;
using cal::PointArray;
using FreqArray = std::array<std::int32_t, cal::PointArraySize>;
using TraceArray = std::array<double, cal::PointArraySize>;

// Sweep settings, sweep control, trace store and group-delay aperture.
struct SweepState {
    std::int32_t SweepF1 = 10000000;  // Start, Centre or the single frequency (Hz)
    std::int32_t SweepF2 = 60000000;  // End or Span (Hz)
    std::int32_t SweepKind = 0;       // 1 Start+End, 2 Centre+Span, 4 Single Freq
    std::int16_t SavedPoints = 0;     // SweepPoints when Single Freq was chosen
    bool SingleFreqMode = false;
    FreqArray FreqList{};             // [0] the kind, [1..SweepPoints] Hz ascending
    std::int32_t SweepStart = 0;
    std::int32_t SweepEnd = 0;
    float PointTimeS = 0;
    bool CdsOn = false;
    bool FreqUnitsLocked = true;
    std::string LockedUnits = "Hz";
    bool SweepValid = false;
    bool SweepDefined = false;
    bool UiReady = false;

    // Taken when the panel opens, restored by Cancel.
    struct Snapshot {
        std::int32_t SweepF1 = 0, SweepF2 = 0;
        std::int16_t SweepPoints = 0;
        FreqArray FreqList{};
        std::int16_t AdcWaitMs = 0, AdcAverages = 0;
        bool CdsOn = false;
        bool SweepDefined = false;
        // A kind chosen in the panel takes effect at once (Single Freq
        // switches the display over); Cancel puts the kind back.
        std::int32_t SweepKind = 0;
        bool SingleFreqMode = false;
        std::int16_t SavedPoints = 0;
    } snapshot;

    bool StopSweep = true;
    bool PassDone = false;
    // The last pass ended at a point the link could not measure.
    bool PassFailed = false;
    bool SingleSweep = false;
    std::int16_t PointIndex = 0;
    std::int16_t ResumeIndex = 0;

    std::int32_t GdApertureHz = 1000;
};

// Calibration, working set and corrected points.
struct CalState {
    std::int16_t MeasMode = 0;        // 0 Transmission, 1 Reflection, 2 Group delay
    FreqArray CalFreq{};              // [0] point count Nc, [1..Nc] Hz
    PointArray CalOpen{}, CalShort{}, CalLoad{}, CalThru{}, CalIsol{}, CalLoadModel{};
    std::int16_t CalModes = 0;        // units: 1 refl, 2 trans, 3 both; +10 made with CDS
    std::int16_t CalAdcWaitMs = 0;    // ADC settings recorded with the calibration
    std::int16_t CalAdcAverages = 0;
    bool CalCds = false;              // CDS state the calibration was made with
    std::int16_t CalUnsaved = 0;      // 0 saved, 1 unsaved (ask), -1 unsaved (declined)
    std::int16_t CalStatus = 1;       // 1 none, 2 explicit, 3 interpolated
    bool TransCalValid = false;
    bool ReflCalValid = false;

    // The working set for the present sweep, read by the correction.
    FreqArray WorkFreq{};
    PointArray WorkOpen{}, WorkShort{}, WorkLoad{}, WorkThru{}, WorkIsol{}, LoadModel{};
    int WorkPoints = 0;

    Complex RefImpedance{50, cal::Tiny};
    PointArray RawPoints{};
    PointArray PointData{};
};

// Display type, scales, traces, markers.
struct DisplayState {
    std::int16_t DisplayCode = 0;
    std::int16_t PlotSelection = 3;   // 1 Y1, 2 Y2, 3 both
    float Y1Top = 40, Y1Bottom = -120, Y2Top = 180, Y2Bottom = -180;
    float Y1HiSet = 40, Y1LoSet = -120, Y1DivSet = 20;
    float Y2HiSet = 180, Y2LoSet = -180, Y2DivSet = 45;
    std::int16_t Y1ClickHistory = 0, Y2ClickHistory = 0;

    TraceArray Y1Trace{}, Y2Trace{}, PrevY1Trace{}, PrevY2Trace{};
    FreqArray PlotX{};
    TraceArray StoredY1{}, StoredY2{};
    // The points the stored trace has values for: all of them after Store, a
    // loaded file's range of the sweep.
    std::int16_t StoredFirst = 1, StoredLast = cal::PointArraySize - 1;
    std::int32_t XLeft = 0, XRight = 0;
    struct Scale {
        std::int32_t XLeft = 0, XRight = 0;
        float Y1Top = 40, Y1Bottom = -120, Y2Top = 180, Y2Bottom = -180;
    } PrevScale;
    bool Y1Fresh = true, Y2Fresh = true;
    // The last point of the present pass on the plot (0: none since it was
    // cleared); the previous pass shows beyond it until the sweep gets there.
    std::int16_t Y1Drawn = 0, Y2Drawn = 0;

    std::array<std::int16_t, 2> MarkerPos{1, 1};
    std::int16_t MarkerSel = 0;
};

} // namespace orbilan::app
