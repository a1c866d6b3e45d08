#include "gui/form_layout.h"

#include "ui/control.h"

namespace orbilan::gui {

namespace {

Placement at(int x, int y, int w, int h, Align align = Align::Left, Look look = Look::Plain)
{
    return Placement{QRect(x, y, w, h), align, look, nullptr, 0, false};
}

Placement overlay(int x, int y, int w, int h, Look look = Look::Plain)
{
    Placement p = at(x, y, w, h, Align::Left, look);
    p.overlay = true;
    return p;
}

Placement glyph(int x, int y, int w, int h, const char* text)
{
    Placement p = at(x, y, w, h, Align::Centre);
    p.glyph = text;
    return p;
}

Placement list(int x, int y, int w, int h, int openHeight)
{
    Placement p = at(x, y, w, h);
    p.openHeight = openHeight;
    return p;
}

// The main window, 1200 x 650: the mode, calibration and display-type column
// on the left; the plot with its scale buttons and frequency captions in the
// middle, the calibration information under it; the sweep control, screen
// buttons, trace store and markers on the right, where the sweep panel and
// the group-delay aperture window take their place while they are open.
std::map<std::string, Placement> mainTable()
{
    std::map<std::string, Placement> t;
    using A = Align;
    using L = Look;

    // ---- left column
    t["OrbilanButton"] = at(8, 8, 84, 28);
    t["End_Button"] = at(96, 8, 84, 28);
    t["ModeFrame"] = at(8, 42, 172, 106);
    for (int i = 0; i < 3; ++i) {
        t[ui::controlKey("ModeButton", i)] = at(18, 64 + i * 28, 120, 22);
        t[ui::controlKey("ModeCalLED", i)] = at(150, 67 + i * 28, 16, 16, A::Left, L::RoundLamp);
    }
    t["SetupFrame"] = at(8, 154, 172, 186);
    t["CalLabel"] = at(18, 176, 152, 24, A::Centre, L::Heading);
    t["SetSweepButton"] = at(18, 206, 152, 28);
    t["CalibrateButton"] = at(18, 238, 152, 28);
    t["CalLoadButton"] = at(18, 270, 74, 28);
    t["SaveCalButton"] = at(96, 270, 74, 28);
    t["CalInfoButton"] = at(18, 302, 152, 28);
    t["Frame2"] = at(8, 346, 172, 106);
    t["DisplayLabel"] = at(18, 368, 152, 24, A::Centre, L::Heading);
    t["DisplayButton"] = at(18, 398, 152, 28);
    t["displaycombo"] = list(18, 398, 152, 28, 170);
    t["GDwindowButton"] = at(8, 460, 172, 28);

    // ---- plot, scales and frequency axis
    t["DisplayFrame"] = at(188, 8, 560, 462);
    t["TitleLabel"] = at(268, 12, 400, 22, A::Centre, L::Heading);
    t["Ycolour(1)"] = at(198, 16, 12, 12, A::Left, L::Swatch);
    t["Y1Label"] = at(214, 12, 50, 20, A::Left, L::Heading);
    t["Ycolour(2)"] = at(678, 16, 12, 12, A::Left, L::Swatch);
    t["Y2Label"] = at(694, 12, 50, 20, A::Left, L::Heading);
    for (int axis = 1; axis <= 2; ++axis) {
        const int x = axis == 1 ? 196 : 676;
        const std::string y = "Y" + std::to_string(axis);
        t[y + "Hi"] = at(x, 40, 64, 26);
        t[y + "HiCombo"] = list(x, 40, 64, 26, 170);
        t[y + "Scale"] = at(x, 184, 64, 26);
        t[y + "ScaleCombo"] = list(x, 184, 64, 26, 150);
        t[y + "div"] = at(x - 8, 212, 80, 18, A::Centre, L::Small);
        t[y + "Lo"] = at(x, 334, 64, 26);
        t[y + "LoCombo"] = list(x, 334, 64, 26, 120);
    }
    t["Screen1"] = at(268, 40, 400, 320);
    t["SweepLine"] = at(268, 362, 400, 3);
    t["FreqLeft"] = at(268, 368, 130, 18, A::Left);
    t["FreqMid"] = at(398, 368, 140, 18, A::Centre);
    t["FreqRight"] = at(538, 368, 130, 18, A::Right);
    t["FreqUnits"] = at(368, 386, 200, 18, A::Centre);
    t["TellSteps"] = at(268, 404, 400, 18, A::Centre);
    t["plotframe"] = at(268, 424, 264, 42);
    for (int i = 0; i < 3; ++i)
        t[ui::controlKey("PlotOption", i)] = at(278 + i * 84, 442, 80, 20);
    t["FixX0"] = at(548, 440, 120, 22);
    t["Temp1"] = at(196, 440, 30, 22);
    t["Temp2"] = at(230, 440, 30, 22);

    // ---- single-frequency panel, over the plot
    t["SingleDisplayFrame"] = overlay(188, 8, 560, 462, L::Display);
    t["SingleY1Units"] = at(674, 44, 66, 20, A::Left, L::Display);
    t["SingleY1Lo"] = at(196, 70, 66, 20, A::Right, L::Display);
    t["BargraphY1"] = at(268, 60, 400, 40);
    t["SingleY1Hi"] = at(674, 70, 66, 20, A::Left, L::Display);
    t["SingleAlabel"] = at(268, 104, 400, 50, A::Centre, L::DisplayLarge);
    t["SingleY2Units"] = at(674, 174, 66, 20, A::Left, L::Display);
    t["SingleY2Lo"] = at(196, 200, 66, 20, A::Right, L::Display);
    t["BarGraphY2"] = at(268, 190, 400, 40);
    t["SingleY2Hi"] = at(674, 200, 66, 20, A::Left, L::Display);
    t["SingleBlabel"] = at(268, 234, 400, 50, A::Centre, L::DisplayLarge);
    t["SingleFrequencyLabel"] = at(228, 320, 480, 50, A::Centre, L::DisplayLarge);

    // ---- calibration information, under the plot
    t["CalInfo"] = overlay(188, 476, 560, 166);
    t["CalInfoHeading(0)"] = at(312, 494, 110, 18, A::Left, L::Heading);
    t["CalInfoHeading(1)"] = at(426, 494, 110, 18, A::Left, L::Heading);
    const char* calColumn[] = {"CalStartC", "CalEndC", "CalStepsC", "ADCWC", "AvgC"};
    const char* setupColumn[] = {"SetupStart", "SetupEnd", "SetupSteps", "SetupWait", "SetupAvg"};
    for (int row = 0; row < 5; ++row) {
        t[ui::controlKey("CalInfoRow", row)] = at(198, 514 + row * 20, 110, 18);
        t[calColumn[row]] = at(312, 514 + row * 20, 110, 18);
        t[setupColumn[row]] = at(426, 514 + row * 20, 110, 18);
    }
    t["GDstepLabel"] = at(198, 616, 224, 18);
    t["GDstep"] = at(426, 612, 110, 24);
    t["CalFileTitle"] = at(548, 494, 60, 18);
    t["FileLabel"] = at(610, 494, 130, 18);
    const char* sideTitles[] = {"SweepTimeTitle", "ADCModeTitle", "CDSTitle"};
    const char* sideValues[] = {"Calinfosweeptime", "ADCMOdeLabel", "CDS_State"};
    for (int row = 0; row < 3; ++row) {
        t[sideTitles[row]] = at(548, 514 + row * 20, 88, 18);
        t[sideValues[row]] = at(640, 514 + row * 20, 100, 18);
    }
    t["CalInfoCloseButton"] = at(660, 606, 80, 28);

    // ---- sweep control, screen buttons, trace store, markers
    t["SweepFrame"] = at(756, 8, 436, 462);
    t["SweepButtons"] = at(766, 28, 196, 106);
    const char* sweepGlyphs[] = {"\u25AE\u25B6", "\u25B6", "\u25A0", "\u25B6\u25AE"};
    for (int i = 0; i < 4; ++i) {
        t[ui::controlKey("SweepButton", i)] = glyph(776 + i * 46, 50, 40, 32, sweepGlyphs[i]);
        t[ui::controlKey("SweepLED", i)] = at(790 + i * 46, 88, 12, 12, A::Left, L::RoundLamp);
    }
    t["SweepStatus"] = at(776, 106, 180, 20);
    t["ScaleControl"] = at(972, 34, 104, 28);
    t["SendToClipboard"] = at(1080, 34, 104, 28);
    t["PrintMe"] = at(972, 66, 104, 28);
    t["ClearButton"] = at(1080, 66, 104, 28);
    t["SaveDataButton"] = at(972, 98, 104, 28);
    t["MarkerOn"] = at(1080, 98, 104, 28);
    t["TraceFrame"] = at(766, 140, 416, 58);
    t["TraceSave"] = at(776, 162, 76, 28);
    t["DisplayMemory"] = at(858, 162, 76, 28);
    t["TraceStatusLED"] = at(946, 169, 14, 14, A::Left, L::RoundLamp);
    t["TraceStatusLabel"] = at(966, 166, 140, 20);
    t["Markers"] = at(766, 204, 416, 256);
    // Left ten, left one, right one, right ten: in the order the arrows point.
    t["Marker(1)"] = glyph(776, 248, 38, 28, "\u25C0\u25C0");
    t["Marker(0)"] = glyph(818, 248, 38, 28, "\u25C0");
    t["Marker(2)"] = glyph(860, 248, 38, 28, "\u25B6");
    t["Marker(3)"] = glyph(902, 248, 38, 28, "\u25B6\u25B6");
    t["Marker(4)"] = glyph(956, 248, 38, 28, "\u25B2");
    t["Marker(5)"] = glyph(998, 248, 38, 28, "\u25BC");
    t["MkrCF"] = at(1050, 248, 122, 28);
    t["MarkerStepLabel"] = at(776, 226, 164, 18, A::Centre);
    t["MarkerFindLabel"] = at(956, 226, 80, 18, A::Centre);
    t["MarkerDeltaLabel"] = at(1052, 290, 122, 18, A::Centre, L::Heading);
    t["Option2(0)"] = at(800, 288, 110, 22);
    t["Option2(1)"] = at(926, 288, 110, 22);
    const char* rows[3][3] = {{"MarkerFreq", "MarkerF2", "MarkerF3"},
                              {"MarkerY1", "markery3", "MarkerY5"},
                              {"MarkerY2", "markery4", "MarkerY6"}};
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 3; ++col)
            t[rows[r][col]] = at(800 + col * 126, 314 + r * 24, 122, 20);
    t["Markerlabel"] = at(776, 392, 396, 20);

    // ---- sweep settings panel, over the sweep control
    t["SetupSweep"] = overlay(756, 8, 436, 462);
    const char* kinds[] = {"Start_End", "Centre_Span", "Max_Sweep", "SingleFreqSweep"};
    for (int i = 0; i < 4; ++i)
        t[kinds[i]] = at(770, 36 + i * 26, 130, 22);
    t["ManualOption"] = at(770, 146, 130, 22);
    t["Flabel1"] = at(910, 32, 140, 18);
    t["F1text"] = at(910, 52, 140, 26);
    t["F1units"] = at(1056, 56, 40, 20);
    t["FreqPanel2"] = at(906, 84, 190, 62);
    t["Flabel2"] = at(910, 88, 140, 18);
    t["F2text"] = at(910, 108, 140, 26);
    t["F2units"] = at(1056, 112, 40, 20);
    t["FreqUnitsLock"] = at(1104, 82, 24, 24, A::Centre, L::Padlock);
    t["FreqUnitsLabel"] = at(1132, 86, 50, 18);
    t["StepsButton"] = at(910, 166, 84, 40);
    t["NumberOfSteps"] = list(910, 166, 84, 26, 170);
    t["WaitButton"] = at(1000, 166, 84, 40);
    t["ADCwaits"] = list(1000, 166, 84, 26, 200);
    t["AvgButton"] = at(1090, 166, 84, 40);
    t["ADCaverages"] = list(1090, 166, 84, 26, 150);
    t["ADCModebutton"] = at(910, 214, 84, 40);
    t["ADCModeList"] = list(910, 214, 130, 26, 220);
    t["CDS_check"] = at(1000, 224, 84, 22);
    t["SwpLabel4"] = at(910, 268, 180, 20);
    t["TimeEstimate"] = at(1094, 268, 80, 20);
    t["ButtonSweepOK"] = at(910, 300, 84, 30);
    t["FreqCancel"] = at(1000, 300, 84, 30);

    // ---- group-delay aperture window, over the sweep control
    t["GDwindowFrame"] = overlay(766, 8, 300, 160);
    t["GDAselect(0)"] = at(776, 38, 22, 22);
    t["GDAHzBox"] = at(800, 36, 100, 26);
    t["GDAHzLabel"] = at(906, 40, 30, 18);
    t["GDAselect(1)"] = at(776, 68, 160, 22);
    t["GDAselect(2)"] = at(776, 94, 160, 22);
    t["GDwindowOKbutton"] = at(776, 126, 80, 28);
    t["GDwindowCancelbutton"] = at(862, 126, 80, 28);
    return t;
}

std::map<std::string, Placement> manualTable()
{
    std::map<std::string, Placement> t;
    t["frequency"] = at(16, 20, 120, 26);
    t["Label2"] = at(142, 24, 40, 20);
    for (int i = 0; i < 4; ++i)
        t[ui::controlKey("Phset", i)] = at(16, 60 + i * 26, 100, 22);
    t["Command1"] = at(160, 60, 120, 30);
    t["adcvolts"] = at(160, 98, 120, 24, Align::Centre, Look::Heading);
    t["CloseButton"] = at(160, 150, 120, 30);
    return t;
}

} // namespace

const Placement* FormLayout::find(const std::string& name, int index) const
{
    auto it = table_.find(ui::controlKey(name, index));
    if (it == table_.end() && index >= 0)
        it = table_.find(name);
    return it == table_.end() ? nullptr : &it->second;
}

const FormLayout& mainWindowLayout()
{
    static const FormLayout layout(QSize(1200, 650), mainTable());
    return layout;
}

const FormLayout& manualFormLayout()
{
    static const FormLayout layout(QSize(296, 200), manualTable());
    return layout;
}

} // namespace orbilan::gui
