// The printed page and the clipboard: what the Print and Copy buttons hand
// to the platform, item by item and pixel by pixel.
#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/print_page.h"
#include "display/canvas.h"
#include "support/test_platform.h"

namespace orbilan::app {
namespace {

using ui::PrintItem;

PrintSheet sampleSheet()
{
    PrintSheet s;
    s.now = {"07/12/2026", "13:05"};
    s.comment = "DUT 7: 50 ohm load";
    s.plot = ui::Image{2, 1, {0x000000, 0xFFFF00}};
    s.displayCode = 0;
    s.y1Name = "dB";
    s.y1Top = "40";
    s.y1PerDiv = "20";
    s.y1Units = "dB  /div";
    s.y1Bottom = "-120";
    s.y2Name = "deg";
    s.y2Top = "180";
    s.y2PerDiv = "45";
    s.y2Units = "deg  /div";
    s.y2Bottom = "-180";
    s.freqLeft = "1";
    s.freqUnits = "2.9 MHz/div";
    s.freqRight = "30";
    s.adcType = 2440;
    s.adcMode = 1;
    s.sweepTime = "3.3";
    s.sweepPoints = 101;
    s.adcWaitMs = 10;
    s.adcAverages = 1;
    s.markersShown = true;
    s.markerAFreq = "1.000000 MHz";
    s.markerAY1 = "-3.012 dB ";
    s.markerAY2 = "45.12 deg";
    s.markerBFreq = "12.500000 MHz";
    s.markerBY1 = "-6.5 dB ";
    s.markerBY2 = "90 deg";
    return s;
}

const PrintItem* textAt(const ui::PrintPage& page, double x, double y)
{
    for (const PrintItem& item : page.items)
        if (item.kind == PrintItem::Kind::Text && !item.follows && std::abs(item.x - x) < 1e-9
            && std::abs(item.y - y) < 1e-9)
            return &item;
    return nullptr;
}

bool hasText(const ui::PrintPage& page, const std::string& text)
{
    return std::any_of(page.items.begin(), page.items.end(),
                       [&](const PrintItem& i) { return i.kind == PrintItem::Kind::Text && i.text == text; });
}

TEST(PrintPage, PlacesEveryCaptionInItsColourAndPlace)
{
    const ui::PrintPage page = LayoutPrintPage(sampleSheet());

    const PrintItem* header = textAt(page, 2.5, 1.0);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->text, "Orbilan for the Kesp VNA      Measurement taken on  07/12/2026  at  13:05");
    ASSERT_NE(textAt(page, 2.5, 2.0), nullptr);
    EXPECT_EQ(textAt(page, 2.5, 2.0)->text, "DUT 7: 50 ohm load");

    struct Expect {
        double x, y;
        const char* text;
        ui::Rgb colour;
    };
    const double nextLine = 12.0 + PrintLineHeightCm;
    const Expect expected[] = {
        {2.0, 11.0, "dB", 0x0000FF},   {2.0, 5.0, "40", 0x0000FF},      {2.0, 12.0, "20", 0x0000FF},
        {1.5, nextLine, "dB  /div", 0x0000FF}, {2.0, 16.7, "-120", 0x0000FF},
        {18.5, 11.0, "deg", 0xFF0000}, {18.5, 5.0, "180", 0xFF0000},    {18.5, 12.0, "45", 0xFF0000},
        {18.5, nextLine, "deg  /div", 0xFF0000}, {18.5, 16.7, "-180", 0xFF0000},
        {3.0, 17.5, "1", 0},           {10.0, 17.5, "2.9 MHz/div", 0},  {17.5, 17.5, "30", 0},
        {4.0, 19.0, "ADC type:  2440    ADC Mode:  1    Sweep time: 3.3 s  ", 0},
        {4.0, 20.0, " 101 measurement points    10 ms ADC settling time   1 measurement per point", 0},
        {4.0, 21.0, "Marker A: 1.000000 MHz   ", 0}, {4.0, 22.0, "Marker B: 12.500000 MHz   ", 0},
    };
    for (const Expect& e : expected) {
        const PrintItem* item = textAt(page, e.x, e.y);
        ASSERT_NE(item, nullptr) << "nothing at (" << e.x << ", " << e.y << ")";
        EXPECT_EQ(item->text, e.text);
        EXPECT_EQ(item->colour, e.colour) << e.text;
        EXPECT_EQ(item->pointSize, 10);
    }

    // The marker values continue their line: blue Y1, red Y2.
    const auto a = std::find_if(page.items.begin(), page.items.end(),
                                [](const PrintItem& i) { return i.text == "Marker A: 1.000000 MHz   "; });
    ASSERT_GE(page.items.end() - a, 3);
    EXPECT_TRUE(a[1].follows);
    EXPECT_EQ(a[1].text, "    -3.012 dB ");
    EXPECT_EQ(a[1].colour, 0x0000FFu);
    EXPECT_TRUE(a[2].follows);
    EXPECT_EQ(a[2].text, "45.12 deg");
    EXPECT_EQ(a[2].colour, 0xFF0000u);
}

TEST(PrintPage, PrintsThePlotInvertedInsideABlackFrame)
{
    const ui::PrintPage page = LayoutPrintPage(sampleSheet());
    const auto image = std::find_if(page.items.begin(), page.items.end(),
                                    [](const PrintItem& i) { return i.kind == PrintItem::Kind::Image; });
    ASSERT_NE(image, page.items.end());
    EXPECT_EQ(image->x, 3.0);
    EXPECT_EQ(image->y, 5.0);
    EXPECT_EQ(image->width, 15.0);
    EXPECT_EQ(image->height, 12.0);
    ASSERT_EQ(image->image.pixels.size(), 2u);
    EXPECT_EQ(image->image.pixels[0], 0xFFFFFFu); // black background prints white
    EXPECT_EQ(image->image.pixels[1], 0x0000FFu); // yellow trace prints blue

    const auto frame = std::find_if(page.items.begin(), page.items.end(),
                                    [](const PrintItem& i) { return i.kind == PrintItem::Kind::Rectangle; });
    ASSERT_NE(frame, page.items.end());
    EXPECT_GT(frame - image, 0) << "the frame is drawn over the image";
    EXPECT_EQ(frame->x + frame->width, 18.0);
    EXPECT_EQ(frame->y + frame->height, 17.0);
    EXPECT_EQ(frame->colour, 0u);
}

TEST(PrintPage, BreaksTheCommentAfterSixtyCharacters)
{
    PrintSheet s = sampleSheet();
    s.comment = std::string(60, 'x');
    ui::PrintPage page = LayoutPrintPage(s);
    EXPECT_EQ(textAt(page, 2.5, 2.0)->text, std::string(60, 'x'));
    EXPECT_EQ(textAt(page, 2.5, 2.0 + PrintLineHeightCm), nullptr);

    s.comment = std::string(60, 'x') + "y";
    page = LayoutPrintPage(s);
    EXPECT_EQ(textAt(page, 2.5, 2.0)->text, std::string(60, 'x'));
    ASSERT_NE(textAt(page, 2.5, 2.0 + PrintLineHeightCm), nullptr);
    EXPECT_EQ(textAt(page, 2.5, 2.0 + PrintLineHeightCm)->text, "y");

    // Characters, not bytes: sixty "µ" stay on one line and are not cut in half.
    std::string micro;
    for (int i = 0; i < 60; ++i)
        micro += "\xC2\xB5";
    EXPECT_EQ(BreakPrintComment(micro), micro);
    EXPECT_EQ(BreakPrintComment(micro + "\xC2\xB5"), micro + "\r\xC2\xB5");
}

TEST(PrintPage, SwrAndSmithLeaveOutTheCaptionsTheyDoNotShow)
{
    PrintSheet s = sampleSheet();
    s.displayCode = 14;
    s.adcAverages = 4;
    ui::PrintPage page = LayoutPrintPage(s);
    EXPECT_NE(textAt(page, 2.0, 5.0), nullptr);
    EXPECT_EQ(textAt(page, 18.5, 5.0), nullptr);
    EXPECT_FALSE(hasText(page, "45.12 deg"));
    EXPECT_FALSE(hasText(page, "90 deg"));
    EXPECT_TRUE(hasText(page, "    -3.012 dB "));
    EXPECT_EQ(textAt(page, 4.0, 20.0)->text,
              " 101 measurement points    10 ms ADC settling time    4  measurements per point");

    s.displayCode = 16;
    s.cds = true;
    page = LayoutPrintPage(s);
    EXPECT_EQ(textAt(page, 2.0, 5.0), nullptr);
    EXPECT_EQ(textAt(page, 18.5, 5.0), nullptr);
    EXPECT_FALSE(hasText(page, "dB  /div"));
    ASSERT_NE(textAt(page, 10.5, 5.0), nullptr);
    EXPECT_EQ(textAt(page, 10.5, 5.0)->text, "+1");
    EXPECT_EQ(textAt(page, 17.0, 11.0)->text, "inf");
    EXPECT_EQ(textAt(page, 10.0, 16.5)->text, "-1");
    const auto smithLabels = std::count_if(page.items.begin(), page.items.end(), [](const PrintItem& i) {
        return i.kind == PrintItem::Kind::Text && i.y >= 5.0 && i.y <= 16.5 && i.x >= 4.0 && i.x <= 17.0;
    });
    EXPECT_EQ(smithLabels, 17);
    EXPECT_EQ(textAt(page, 4.0, 19.0)->text, "ADC type:  2440    ADC Mode:  1    Sweep time: 3.3 s  CDS mode");

    s.markersShown = false;
    page = LayoutPrintPage(s);
    EXPECT_EQ(textAt(page, 4.0, 21.0), nullptr);
    EXPECT_EQ(textAt(page, 4.0, 22.0), nullptr);
}

TEST(PrintPage, NegativeNumbersCarryTheirSignInsteadOfTheBlank)
{
    EXPECT_EQ(PrintedNumber(2410), " 2410 ");
    EXPECT_EQ(PrintedNumber(-5), "-5 ");
    EXPECT_EQ(PrintedNumber(0), " 0 ");
}

class PrintButtons : public ::testing::Test {
protected:
    test::TestPlatform platform;
    MainWindow window{platform};
};

TEST_F(PrintButtons, AnEmptyOrCancelledCommentPrintsNothing)
{
    platform.queue(ui::Answer::typed(""));
    window.deliver([&] { window.controls().userClick("PrintMe"); });
    platform.queue(ui::Answer::cancelInput());
    window.deliver([&] { window.controls().userClick("PrintMe"); });
    EXPECT_TRUE(platform.printed().empty());
    ASSERT_EQ(platform.dialogs().size(), 2u);
    EXPECT_EQ(platform.dialogs()[0].text, "Enter a line of test details or a comment");
    EXPECT_EQ(platform.dialogs()[0].defaultText, " ");
}

TEST_F(PrintButtons, PrintGathersTheWindowsCaptionsAndSettings)
{
    window.settings.AdcType = 2410;
    window.settings.AdcMode = 0;
    window.settings.SweepPoints = 11;
    window.settings.AdcWaitMs = 20;
    window.settings.AdcAverages = 2;
    window.disp.DisplayCode = 10;
    window.c("Y1Hi").setCaption("8000");
    window.c("PlotOption", 1).setCaption("deg");
    window.c("FreqRight").setCaption("30");
    window.c("Markers").setVisible(false);
    platform.setNow({"01/02/2026", "09:30"});

    platform.queue(ui::Answer::typed("bench 3"));
    window.deliver([&] { window.controls().userClick("PrintMe"); });
    ASSERT_EQ(platform.printed().size(), 1u);
    const ui::PrintPage& page = platform.printed()[0];
    EXPECT_EQ(textAt(page, 2.5, 1.0)->text,
              "Orbilan for the Kesp VNA      Measurement taken on  01/02/2026  at  09:30");
    EXPECT_EQ(textAt(page, 2.5, 2.0)->text, "bench 3");
    EXPECT_EQ(textAt(page, 2.0, 5.0)->text, "8000");
    EXPECT_EQ(textAt(page, 18.5, 11.0)->text, "deg");
    EXPECT_EQ(textAt(page, 17.5, 17.5)->text, "30");
    // The estimate is brought up to date first: 11 x 2 x (20 + 130 + 10) ms x 2.
    EXPECT_EQ(textAt(page, 4.0, 19.0)->text, "ADC type:  2410    ADC Mode:  0    Sweep time: 7.04 s  ");
    EXPECT_EQ(textAt(page, 4.0, 20.0)->text,
              " 11 measurement points    20 ms ADC settling time    2  measurements per point");
    EXPECT_EQ(textAt(page, 4.0, 21.0), nullptr);

    const auto image = std::find_if(page.items.begin(), page.items.end(),
                                    [](const PrintItem& i) { return i.kind == PrintItem::Kind::Image; });
    ASSERT_NE(image, page.items.end());
    const display::Canvas& screen = window.plotCanvas();
    EXPECT_EQ(image->image.width, screen.width());
    EXPECT_EQ(image->image.height, screen.height());
    for (std::size_t i = 0; i < screen.pixels().size(); i += 97)
        ASSERT_EQ(image->image.pixels[i], ~screen.pixels()[i] & 0xFFFFFFu);
}

TEST_F(PrintButtons, CopyPutsThePlotOnTheClipboard)
{
    window.deliver([&] { window.controls().userClick("SendToClipboard"); });
    ASSERT_EQ(platform.clipboard().size(), 1u);
    const ui::Image& image = platform.clipboard()[0];
    EXPECT_EQ(image.width, window.plotCanvas().width());
    EXPECT_EQ(image.height, window.plotCanvas().height());
    EXPECT_EQ(image.pixels, window.plotCanvas().pixels());
}

} // namespace
} // namespace orbilan::app
