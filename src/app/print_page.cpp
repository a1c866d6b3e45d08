#include "app/print_page.h"

#include <cstdlib>

namespace orbilan::app {

namespace {

constexpr ui::Rgb Black = 0x000000;
constexpr ui::Rgb Blue = 0x0000FF; // the inverse of the yellow Y1 trace
constexpr ui::Rgb Red = 0xFF0000;  // the inverse of the cyan Y2 trace

constexpr int SmithChart = 16;
constexpr int SwrDisplay = 14;

// The plot area and the frame around it.
constexpr double PlotLeft = 3.0, PlotTop = 5.0, PlotWidth = 15.0, PlotHeight = 12.0;

void text(ui::PrintPage& page, double x, double y, const std::string& s, ui::Rgb colour = Black)
{
    ui::PrintItem item;
    item.kind = ui::PrintItem::Kind::Text;
    item.x = x;
    item.y = y;
    item.text = s;
    item.colour = colour;
    page.items.push_back(std::move(item));
}

// More text on the line of the previous item, right after it.
void follow(ui::PrintPage& page, const std::string& s, ui::Rgb colour)
{
    const ui::PrintItem& previous = page.items.back();
    text(page, previous.x, previous.y, s, colour);
    page.items.back().follows = true;
}

// A text that may hold carriage returns: each further line starts again at x.
void lines(ui::PrintPage& page, double x, double y, const std::string& s, ui::Rgb colour = Black)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t cr = s.find('\r', start);
        text(page, x, y, s.substr(start, cr == std::string::npos ? std::string::npos : cr - start), colour);
        if (cr == std::string::npos)
            return;
        start = cr + 1;
        if (start < s.size() && s[start] == '\n')
            ++start;
        y += PrintLineHeightCm;
    }
}

// The byte length of the first `chars` UTF-8 characters of s.
std::size_t utf8Prefix(const std::string& s, std::size_t chars)
{
    std::size_t i = 0;
    for (std::size_t n = 0; i < s.size() && n < chars; ++n) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
            ++i;
    }
    return i;
}

ui::Image inverted(const ui::Image& image)
{
    ui::Image out = image;
    for (auto& p : out.pixels)
        p = ~p & 0xFFFFFF;
    return out;
}

struct SmithLabel {
    const char* text;
    double x, y;
};

constexpr SmithLabel SmithLabels[] = {
    {"+1", 10.5, 5.0},  {"+.5", 6.0, 6.0},   {"+2", 14.5, 6.0},  {"+.2", 4.0, 8.5},
    {"+5", 16.5, 8.5},  {"0", 4.0, 11.0},    {"0.2", 6.0, 11.0}, {"0.5", 8.0, 11.0},
    {"1", 10.0, 11.0},  {"2", 12.0, 11.0},   {"5", 13.5, 11.0},  {"inf", 17.0, 11.0},
    {"-.2", 4.0, 13.5}, {"-5", 16.5, 13.5},  {"-.5", 6.0, 16.0}, {"-2", 14.0, 16.0},
    {"-1", 10.0, 16.5},
};

} // namespace

std::string BreakPrintComment(const std::string& comment)
{
    const std::size_t cut = utf8Prefix(comment, PrintCommentLineChars);
    if (cut >= comment.size())
        return comment;
    return comment.substr(0, cut) + "\r" + comment.substr(cut);
}

std::string PrintedNumber(long long value)
{
    return (value < 0 ? "-" : " ") + std::to_string(std::llabs(value)) + " ";
}

ui::PrintPage LayoutPrintPage(const PrintSheet& s)
{
    ui::PrintPage page;

    text(page, 2.5, 1.0,
         "Orbilan for the Kesp VNA      Measurement taken on  " + s.now.date + "  at  " + s.now.time);
    lines(page, 2.5, 2.0, BreakPrintComment(s.comment));

    ui::PrintItem plot;
    plot.kind = ui::PrintItem::Kind::Image;
    plot.x = PlotLeft;
    plot.y = PlotTop;
    plot.width = PlotWidth;
    plot.height = PlotHeight;
    plot.image = inverted(s.plot);
    plot.plotArea = true;
    page.items.push_back(std::move(plot));

    ui::PrintItem frame;
    frame.kind = ui::PrintItem::Kind::Rectangle;
    frame.x = PlotLeft;
    frame.y = PlotTop;
    frame.width = PlotWidth;
    frame.height = PlotHeight;
    frame.colour = Black;
    page.items.push_back(std::move(frame));

    if (s.displayCode != SmithChart) {
        text(page, 2.0, 11.0, s.y1Name, Blue);
        text(page, 2.0, 5.0, s.y1Top, Blue);
        text(page, 2.0, 12.0, s.y1PerDiv, Blue);
        text(page, 1.5, 12.0 + PrintLineHeightCm, s.y1Units, Blue);
        text(page, 2.0, 16.7, s.y1Bottom, Blue);
        if (s.displayCode != SwrDisplay) {
            text(page, 18.5, 11.0, s.y2Name, Red);
            text(page, 18.5, 5.0, s.y2Top, Red);
            text(page, 18.5, 12.0, s.y2PerDiv, Red);
            text(page, 18.5, 12.0 + PrintLineHeightCm, s.y2Units, Red);
            text(page, 18.5, 16.7, s.y2Bottom, Red);
        }
    } else {
        for (const SmithLabel& label : SmithLabels)
            text(page, label.x, label.y, label.text);
    }

    text(page, 3.0, 17.5, s.freqLeft);
    text(page, 10.0, 17.5, s.freqUnits);
    text(page, 17.5, 17.5, s.freqRight);

    text(page, 4.0, 19.0,
         "ADC type: " + PrintedNumber(s.adcType) + "   ADC Mode: " + PrintedNumber(s.adcMode)
             + "   Sweep time: " + s.sweepTime + " s  " + (s.cds ? "CDS mode" : ""));
    text(page, 4.0, 20.0,
         PrintedNumber(s.sweepPoints) + "measurement points   " + PrintedNumber(s.adcWaitMs)
             + "ms ADC settling time   "
             + (s.adcAverages == 1 ? std::string("1 measurement per point")
                                   : PrintedNumber(s.adcAverages) + " measurements per point"));

    if (s.markersShown) {
        text(page, 4.0, 21.0, "Marker A: " + s.markerAFreq + "   ");
        follow(page, "    " + s.markerAY1, Blue);
        if (s.displayCode != SwrDisplay)
            follow(page, s.markerAY2, Red);
        text(page, 4.0, 22.0, "Marker B: " + s.markerBFreq + "   ");
        follow(page, "    " + s.markerBY1, Blue);
        if (s.displayCode != SwrDisplay)
            follow(page, s.markerBY2, Red);
    }
    return page;
}

} // namespace orbilan::app
