#include "gui/form_layout.h"

#include <algorithm>
#include <vector>

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

// Moves a group of placements to the same anchors.
void anchor(std::map<std::string, Placement>& t, std::initializer_list<std::string> keys, unsigned anchors)
{
    for (const std::string& key : keys)
        t.at(key).anchors = anchors;
}

// The main window at its smallest, 900 x 430, which a 1366 x 768 screen
// holds with menus and title bar even at a scale of 1.5: the mode,
// calibration and display-type column on the left; the plot with its scale
// buttons and frequency captions in the middle, taking all the room the
// window gains; the sweep control, screen buttons, trace store and markers
// in the right column, where the sweep panel and the group-delay aperture
// window take their place while they are open.
std::map<std::string, Placement> mainTable()
{
    std::map<std::string, Placement> t;
    using A = Align;
    using L = Look;
    constexpr unsigned Right = AnchorRight | AnchorTop;
    constexpr unsigned Stretch = AnchorAll;

    // ---- left column (anchored top left, as every placement starts)
    t["OrbilanButton"] = at(4, 4, 73, 26);
    t["End_Button"] = at(81, 4, 73, 26);
    t["ModeFrame"] = at(4, 34, 150, 98);
    for (int i = 0; i < 3; ++i) {
        t[ui::controlKey("ModeButton", i)] = at(12, 54 + i * 24, 112, 22);
        t[ui::controlKey("ModeCalLED", i)] = at(130, 57 + i * 24, 16, 16, A::Left, L::RoundLamp);
    }
    t["SetupFrame"] = at(4, 136, 150, 170);
    t["CalLabel"] = at(12, 156, 134, 22, A::Centre, L::Heading);
    t["SetSweepButton"] = at(12, 182, 134, 26);
    t["CalibrateButton"] = at(12, 212, 134, 26);
    t["CalLoadButton"] = at(12, 242, 65, 26);
    t["SaveCalButton"] = at(81, 242, 65, 26);
    t["CalInfoButton"] = at(12, 272, 134, 26);
    t["Frame2"] = at(4, 310, 150, 80);
    t["DisplayLabel"] = at(12, 330, 134, 20, A::Centre, L::Heading);
    t["DisplayButton"] = at(12, 354, 134, 26);
    // The display types open upwards, over the buttons above them.
    t["displaycombo"] = at(12, 226, 134, 154);
    t["GDwindowButton"] = at(4, 394, 150, 26);

    // ---- plot, scales and frequency axis: the middle, growing both ways
    t["DisplayFrame"] = at(158, 4, 410, 422);
    t["DisplayFrame"].anchors = Stretch;
    t["Ycolour(1)"] = at(166, 10, 12, 12, A::Left, L::Swatch);
    t["Y1Label"] = at(182, 6, 60, 18, A::Left, L::Heading);
    t["TitleLabel"] = at(246, 6, 238, 18, A::Centre, L::Heading);
    t["TitleLabel"].anchors = AnchorLeft | AnchorRight | AnchorTop;
    t["Ycolour(2)"] = at(488, 10, 12, 12, A::Left, L::Swatch);
    t["Y2Label"] = at(504, 6, 58, 18, A::Right, L::Heading);
    anchor(t, {"Ycolour(2)", "Y2Label"}, Right);
    t["Screen1"] = at(160, 26, 406, 312);
    t["Screen1"].anchors = Stretch;
    // The scale buttons lie over the plot view's side margins, at the top,
    // the middle and the bottom line of the grid.
    for (int axis = 1; axis <= 2; ++axis) {
        const int x = axis == 1 ? 164 : 506;
        const unsigned side = axis == 1 ? AnchorLeft : AnchorRight;
        const std::string y = "Y" + std::to_string(axis);
        t[y + "Hi"] = at(x, 44, 56, 24);
        t[y + "HiCombo"] = at(x, 44, 56, 24);
        t[y + "Scale"] = at(x, 175, 56, 24);
        t[y + "ScaleCombo"] = at(x, 175, 56, 24);
        t[y + "div"] = at(x - 2, 201, 60, 16, A::Centre, L::Small);
        t[y + "Lo"] = at(x, 306, 56, 24);
        t[y + "LoCombo"] = at(x, 306, 56, 24);
        anchor(t, {y + "Hi", y + "HiCombo"}, side | AnchorTop);
        anchor(t, {y + "Scale", y + "ScaleCombo", y + "div"}, side);
        anchor(t, {y + "Lo", y + "LoCombo"}, side | AnchorBottom);
    }
    t["SweepLine"] = at(266, 340, 194, 3);
    t["FreqLeft"] = at(266, 345, 70, 16, A::Left);
    t["FreqMid"] = at(333, 345, 60, 16, A::Centre);
    t["FreqRight"] = at(390, 345, 70, 16, A::Right);
    t["FreqUnits"] = at(266, 361, 194, 16, A::Centre);
    t["TellSteps"] = at(166, 377, 394, 16, A::Centre);
    t["plotframe"] = at(162, 395, 230, 28);
    for (int i = 0; i < 3; ++i)
        t[ui::controlKey("PlotOption", i)] = at(168 + i * 74, 400, 72, 20);
    t["Temp1"] = at(396, 398, 30, 22);
    t["Temp2"] = at(430, 398, 30, 22);
    t["FixX0"] = at(470, 398, 92, 22);
    anchor(t, {"SweepLine", "FreqUnits", "TellSteps"}, AnchorLeft | AnchorRight | AnchorBottom);
    anchor(t, {"FreqLeft", "plotframe", "PlotOption(0)", "PlotOption(1)", "PlotOption(2)"}, AnchorLeft | AnchorBottom);
    anchor(t, {"FreqMid", "Temp1", "Temp2"}, AnchorBottom);
    anchor(t, {"FreqRight", "FixX0"}, AnchorRight | AnchorBottom);

    // ---- single-frequency panel, over the plot
    t["SingleDisplayFrame"] = overlay(158, 4, 410, 422, L::Display);
    t["SingleDisplayFrame"].anchors = Stretch;
    t["SingleY1Units"] = at(500, 30, 62, 20, A::Left, L::Display);
    t["SingleY1Lo"] = at(164, 56, 62, 20, A::Right, L::Display);
    t["BargraphY1"] = at(230, 50, 264, 40);
    t["SingleY1Hi"] = at(500, 56, 62, 20, A::Left, L::Display);
    t["SingleAlabel"] = at(166, 96, 394, 50, A::Centre, L::DisplayLarge);
    t["SingleY2Units"] = at(500, 160, 62, 20, A::Left, L::Display);
    t["SingleY2Lo"] = at(164, 186, 62, 20, A::Right, L::Display);
    t["BarGraphY2"] = at(230, 180, 264, 40);
    t["SingleY2Hi"] = at(500, 186, 62, 20, A::Left, L::Display);
    t["SingleBlabel"] = at(166, 226, 394, 50, A::Centre, L::DisplayLarge);
    t["SingleFrequencyLabel"] = at(166, 330, 394, 50, A::Centre, L::DisplayLarge);
    anchor(t, {"SingleY1Units", "SingleY1Hi", "SingleY2Units", "SingleY2Hi"}, Right);
    anchor(t, {"BargraphY1", "SingleAlabel", "BarGraphY2", "SingleBlabel"}, AnchorLeft | AnchorRight | AnchorTop);
    anchor(t, {"SingleFrequencyLabel"}, AnchorLeft | AnchorRight | AnchorBottom);

    // ---- calibration information, over the lower part of the plot
    t["CalInfo"] = overlay(162, 196, 402, 226);
    t["CalInfoHeading(0)"] = at(272, 216, 96, 16, A::Left, L::Heading);
    t["CalInfoHeading(1)"] = at(372, 216, 96, 16, A::Left, L::Heading);
    const char* calColumn[] = {"CalStartC", "CalEndC", "CalStepsC", "ADCWC", "AvgC"};
    const char* setupColumn[] = {"SetupStart", "SetupEnd", "SetupSteps", "SetupWait", "SetupAvg"};
    std::vector<std::string> calInfo = {"CalInfo", "CalInfoHeading(0)", "CalInfoHeading(1)"};
    for (int row = 0; row < 5; ++row) {
        const std::string title = ui::controlKey("CalInfoRow", row);
        t[title] = at(170, 234 + row * 18, 100, 16);
        t[calColumn[row]] = at(272, 234 + row * 18, 96, 16);
        t[setupColumn[row]] = at(372, 234 + row * 18, 96, 16);
        calInfo.insert(calInfo.end(), {title, calColumn[row], setupColumn[row]});
    }
    t["GDstepLabel"] = at(170, 326, 200, 16);
    t["GDstep"] = at(372, 322, 96, 24);
    t["CalFileTitle"] = at(170, 352, 100, 16);
    t["FileLabel"] = at(272, 352, 196, 16);
    const char* sideTitles[] = {"SweepTimeTitle", "ADCModeTitle", "CDSTitle"};
    const char* sideValues[] = {"Calinfosweeptime", "ADCMOdeLabel", "CDS_State"};
    for (int row = 0; row < 3; ++row) {
        t[sideTitles[row]] = at(170, 370 + row * 16, 100, 16);
        t[sideValues[row]] = at(272, 370 + row * 16, 120, 16);
        calInfo.insert(calInfo.end(), {sideTitles[row], sideValues[row]});
    }
    t["CalInfoCloseButton"] = at(474, 384, 84, 28);
    calInfo.insert(calInfo.end(), {"GDstepLabel", "GDstep", "CalFileTitle", "FileLabel", "CalInfoCloseButton"});
    for (const std::string& key : calInfo)
        t.at(key).anchors = AnchorBottom; // centred across, at the bottom

    // ---- right column: sweep control, screen buttons, trace store, markers
    std::vector<std::string> right;
    auto r = [&](const std::string& key, Placement p) {
        p.anchors = Right;
        t[key] = p;
        right.push_back(key);
    };
    r("SweepFrame", at(572, 4, 324, 422));
    r("SweepButtons", at(580, 20, 308, 90));
    const char* sweepGlyphs[] = {"\u25AE\u25B6", "\u25B6", "\u25A0", "\u25B6\u25AE"};
    for (int i = 0; i < 4; ++i) {
        r(ui::controlKey("SweepButton", i), glyph(590 + i * 52, 38, 46, 28, sweepGlyphs[i]));
        r(ui::controlKey("SweepLED", i), at(607 + i * 52, 70, 12, 12, A::Left, L::RoundLamp));
    }
    r("SweepStatus", at(590, 86, 290, 18));
    r("ScaleControl", at(580, 114, 100, 26));
    r("SendToClipboard", at(684, 114, 100, 26));
    r("PrintMe", at(788, 114, 100, 26));
    r("ClearButton", at(580, 144, 100, 26));
    r("SaveDataButton", at(684, 144, 100, 26));
    r("MarkerOn", at(788, 144, 100, 26));
    r("TraceFrame", at(580, 176, 308, 50));
    r("TraceSave", at(588, 194, 70, 26));
    r("DisplayMemory", at(662, 194, 70, 26));
    r("TraceStatusLED", at(740, 200, 14, 14, A::Left, L::RoundLamp));
    r("TraceStatusLabel", at(760, 197, 120, 20));
    r("Markers", at(580, 230, 308, 190));
    r("MarkerStepLabel", at(588, 248, 150, 16, A::Centre));
    r("MarkerFindLabel", at(744, 248, 66, 16, A::Centre));
    // Left ten, left one, right one, right ten: in the order the arrows point.
    r("Marker(1)", glyph(588, 266, 36, 26, "\u25C0\u25C0"));
    r("Marker(0)", glyph(626, 266, 36, 26, "\u25C0"));
    r("Marker(2)", glyph(664, 266, 36, 26, "\u25B6"));
    r("Marker(3)", glyph(702, 266, 36, 26, "\u25B6\u25B6"));
    r("Marker(4)", glyph(744, 266, 32, 26, "\u25B2"));
    r("Marker(5)", glyph(778, 266, 32, 26, "\u25BC"));
    r("MkrCF", at(814, 266, 68, 26));
    r("Option2(0)", at(586, 298, 97, 20));
    r("Option2(1)", at(685, 298, 97, 20));
    r("MarkerDeltaLabel", at(784, 298, 97, 20, A::Centre, L::Heading));
    const char* rows[3][3] = {{"MarkerFreq", "MarkerF2", "MarkerF3"},
                              {"MarkerY1", "markery3", "MarkerY5"},
                              {"MarkerY2", "markery4", "MarkerY6"}};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            r(rows[row][col], at(586 + col * 99, 320 + row * 22, 97, 20));
    r("Markerlabel", at(586, 388, 296, 20));

    // ---- sweep settings panel, over the right column
    r("SetupSweep", overlay(572, 4, 324, 422));
    const char* kinds[] = {"Start_End", "Centre_Span", "Max_Sweep", "SingleFreqSweep"};
    for (int i = 0; i < 4; ++i)
        r(kinds[i], at(582, 26 + i * 24, 120, 22));
    r("ManualOption", at(582, 130, 120, 22));
    r("Flabel1", at(708, 22, 120, 16));
    r("F1text", at(708, 40, 120, 26));
    r("F1units", at(832, 43, 40, 20));
    r("FreqPanel2", at(704, 68, 186, 52));
    r("Flabel2", at(708, 70, 120, 16));
    r("F2text", at(708, 88, 120, 26));
    r("F2units", at(832, 91, 40, 20));
    r("FreqUnitsLock", at(708, 122, 22, 22, A::Centre, L::Padlock));
    r("FreqUnitsLabel", at(734, 124, 50, 18));
    r("StepsButton", at(582, 160, 96, 40));
    r("NumberOfSteps", list(582, 160, 96, 26, 150));
    r("WaitButton", at(682, 160, 96, 40));
    r("ADCwaits", list(682, 160, 96, 26, 170));
    r("AvgButton", at(782, 160, 96, 40));
    r("ADCaverages", list(782, 160, 96, 26, 150));
    r("ADCModebutton", at(582, 206, 96, 40));
    r("ADCModeList", list(582, 206, 140, 26, 200));
    r("CDS_check", at(694, 216, 80, 22));
    r("SwpLabel4", at(582, 256, 160, 20));
    r("TimeEstimate", at(746, 256, 80, 20));
    r("ButtonSweepOK", at(582, 286, 96, 30));
    r("FreqCancel", at(682, 286, 96, 30));

    // ---- group-delay aperture window, over the right column
    r("GDwindowFrame", overlay(580, 4, 300, 160));
    r("GDAselect(0)", at(590, 34, 22, 22));
    r("GDAHzBox", at(614, 32, 100, 26));
    r("GDAHzLabel", at(720, 36, 30, 18));
    r("GDAselect(1)", at(590, 64, 160, 22));
    r("GDAselect(2)", at(590, 90, 160, 22));
    r("GDwindowOKbutton", at(590, 122, 80, 28));
    r("GDwindowCancelbutton", at(676, 122, 80, 28));
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

QRect Placement::placedIn(const QSize& design, const QSize& size) const
{
    const int dx = std::max(0, size.width() - design.width());
    const int dy = std::max(0, size.height() - design.height());
    auto along = [](int from, int to, int grow, bool low, bool high, int& outFrom, int& outTo) {
        outFrom = from;
        outTo = to;
        if (low && high) {
            outTo += grow;
        } else if (high) {
            outFrom += grow;
            outTo += grow;
        } else if (!low) {
            outFrom += grow / 2;
            outTo += grow / 2;
        }
    };
    int left = 0, right = 0, top = 0, bottom = 0;
    along(rect.left(), rect.left() + rect.width(), dx, anchors & AnchorLeft, anchors & AnchorRight, left, right);
    along(rect.top(), rect.top() + rect.height(), dy, anchors & AnchorTop, anchors & AnchorBottom, top, bottom);
    return {left, top, right - left, bottom - top};
}

const Placement* FormLayout::find(const std::string& name, int index) const
{
    auto it = table_.find(ui::controlKey(name, index));
    if (it == table_.end() && index >= 0)
        it = table_.find(name);
    return it == table_.end() ? nullptr : &it->second;
}

const FormLayout& mainWindowLayout()
{
    static const FormLayout layout(QSize(900, 430), mainTable());
    return layout;
}

const FormLayout& manualFormLayout()
{
    static const FormLayout layout(QSize(296, 200), manualTable());
    return layout;
}

} // namespace orbilan::gui
