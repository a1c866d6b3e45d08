// The plot described once on a drawing surface: on the raster it draws what
// the plot engine always drew, pixel for pixel; on a recording surface the
// same description shows as whole lines, polylines, markers and captions.
#include <gtest/gtest.h>

#include <cmath>

#include "display/canvas.h"
#include "display/plot_drawing.h"
#include "display/recording_surface.h"
#include "display/scales.h"
#include "display/smith_chart.h"

namespace orbilan::display {
namespace {

using Kind = DrawnItem::Kind;

TEST(PlotDescription, TheGraticuleIsTheSameOnTheRasterAndWholeLinesOnARecording)
{
    Canvas byHand(400, 320);
    byHand.setScale(0, 0, 10, 8);
    byHand.setPenColour(0x404040);
    for (int x = 1; x <= 9; ++x)
        byHand.line(x, 0, x, 8);
    for (int y = 1; y <= 7; ++y)
        byHand.line(0, y, 10, y);
    Canvas described(400, 320);
    DrawGraticule(described, 0x404040);
    EXPECT_EQ(described.pixels(), byHand.pixels());

    RecordingSurface recording;
    DrawGraticule(recording, 0x404040);
    const auto lines = recording.of(Kind::Line, DrawRole::Grid);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[0].points[0].x, 1);
    EXPECT_EQ(lines[0].points[1].y, 8);
    EXPECT_EQ(lines[9].points[0].y, 1);
    EXPECT_EQ(lines[9].points[1].x, 10);
    for (const DrawnItem& line : lines) {
        EXPECT_EQ(line.colour, 0x404040u);
        EXPECT_EQ(line.scale.right, 10);
        EXPECT_EQ(line.scale.bottom, 8);
    }
}

TEST(PlotDescription, ATraceIsItsFirstPointAndSegmentsOnTheRasterAndOnePolylineRecorded)
{
    const std::vector<std::int32_t> hz = {0, 1000000, 2000000, 3000000, 4000000};
    const std::vector<double> y = {0, -10, 5e7, -3e-9, -50};
    const TraceLine trace{.hz = hz, .y = y};

    Canvas byHand(400, 320);
    byHand.setScale(1000000, 40, 4000000, -120);
    byHand.point(1000000, -10);
    byHand.line(1000000, -10, 2000000, 1e6); // limited to the plot's range
    byHand.line(2000000, 1e6, 3000000, -1e-6f);
    byHand.line(3000000, -1e-6f, 4000000, -50);
    Canvas described(400, 320);
    described.setScale(1000000, 40, 4000000, -120);
    DrawTrace(described, trace, 1, 4);
    EXPECT_EQ(described.pixels(), byHand.pixels());
    // Erased step by step, as the next sweep does: nothing is left.
    for (int i = 1; i <= 4; ++i)
        DrawTraceStep(described, trace, i);
    EXPECT_EQ(described.pixels(), Canvas(400, 320).pixels());

    RecordingSurface recording;
    DrawTrace(recording, trace, 2, 4);
    ASSERT_EQ(recording.items.size(), 1u);
    ASSERT_EQ(recording.items[0].kind, Kind::Polyline);
    ASSERT_EQ(recording.items[0].points.size(), 3u);
    EXPECT_EQ(recording.items[0].points[0].x, 2000000);
    EXPECT_EQ(recording.items[0].points[0].y, 1e6);
    EXPECT_EQ(recording.items[0].points[2].y, -50);
}

TEST(PlotDescription, MarkersAreGreenAThenRedBOfWidthTwoOnEachTrace)
{
    const std::vector<std::int32_t> hz = {0, 10, 20, 30};
    const std::vector<double> y1 = {0, 1, 2, 3}, y2 = {0, -1, -2, -3};
    const std::vector<MarkerTrace> traces = {{{.hz = hz, .y = y1}, {10, 4, 30, 0}, Yellow},
                                             {{.hz = hz, .y = y2}, {10, 0, 30, -4}, Cyan}};
    RecordingSurface recording;
    recording.setPenWidth(1);
    DrawMarkers(recording, traces, 3, 1);
    const auto markers = recording.of(Kind::Marker);
    ASSERT_EQ(markers.size(), 4u);
    EXPECT_EQ(markers[0].label, 'A');
    EXPECT_EQ(markers[0].colour, Green);
    EXPECT_EQ(markers[0].traceColour, Yellow);
    EXPECT_EQ(markers[0].points[0].x, 30);
    EXPECT_EQ(markers[0].points[0].y, 3);
    EXPECT_EQ(markers[1].label, 'B');
    EXPECT_EQ(markers[1].colour, Red);
    EXPECT_EQ(markers[1].points[0].x, 10);
    EXPECT_EQ(markers[3].traceColour, Cyan);
    EXPECT_EQ(markers[3].scale.bottom, -4);
    EXPECT_EQ(markers[3].penWidth, 2);
    EXPECT_EQ(recording.penWidth(), 1);

    // On the raster a marker is a dot: drawn twice, it is gone.
    Canvas raster(400, 320);
    DrawMarkers(raster, traces, 3, 1);
    EXPECT_NE(raster.pixels(), Canvas(400, 320).pixels());
    DrawMarkers(raster, traces, 3, 1);
    EXPECT_EQ(raster.pixels(), Canvas(400, 320).pixels());
}

TEST(PlotDescription, DivisionCaptionsTakeTheDecimalsTheStepNeeds)
{
    struct Case {
        double first, last;
        int divisions;
        char separator;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {40, -120, 8, '.', {"40", "20", "0", "-20", "-40", "-60", "-80", "-100", "-120"}},
        {1, 0, 8, '.', {"1.000", "0.875", "0.750", "0.625", "0.500", "0.375", "0.250", "0.125", "0.000"}},
        {1, 30, 10, ',', {"1,0", "3,9", "6,8", "9,7", "12,6", "15,5", "18,4", "21,3", "24,2", "27,1", "30,0"}},
        {-2.85, -52.5, 8, '.', {"-2.85", "-9.06", "-15.26", "-21.47", "-27.68", "-33.88", "-40.09", "-46.29", "-52.50"}},
        {10.0001, 10.0011, 2, '.', {"10.0001", "10.0006", "10.0011"}},
        {5, 5, 2, '.', {"5", "5", "5"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DivisionTexts(c.first, c.last, c.divisions, c.separator), c.texts) << c.first << " " << c.last;
    EXPECT_TRUE(DivisionTexts(NAN, 1, 8).empty());
}

TEST(PlotDescription, CaptionsStandAtEveryDivisionOfBothAxesWithUnits)
{
    GridCaptions captions;
    captions.leftHz = 1e6;
    captions.rightHz = 30e6;
    captions.y1 = AxisCaptions{40, -120, "dB", Yellow};
    captions.y2 = AxisCaptions{180, -180, "deg", Cyan};
    RecordingSurface recording;
    DrawGraticuleCaptions(recording, captions);
    const auto texts = recording.of(Kind::Text, DrawRole::Caption);
    ASSERT_EQ(texts.size(), 11u + 10u + 10u);
    // The ends of each axis come first, so a crowded view keeps them.
    EXPECT_EQ(texts[0].text, "1.0");
    EXPECT_EQ(texts[0].anchor, TextAnchor::Below);
    EXPECT_EQ(texts[1].text, "30.0 MHz");
    EXPECT_EQ(texts[1].points[0].x, 10);
    EXPECT_EQ(texts[2].text, "3.9");
    EXPECT_EQ(texts[11].text, "dB");
    EXPECT_EQ(texts[11].anchor, TextAnchor::AboveLeft);
    EXPECT_EQ(texts[12].text, "40");
    EXPECT_EQ(texts[12].colour, Yellow);
    EXPECT_EQ(texts[12].anchor, TextAnchor::LeftOf);
    EXPECT_EQ(texts[13].text, "-120");
    EXPECT_EQ(texts[13].points[0].y, 8);
    EXPECT_EQ(texts[14].text, "20");
    EXPECT_EQ(texts[21].text, "deg");
    EXPECT_EQ(texts[21].colour, Cyan);
    EXPECT_EQ(texts[22].text, "180");
    EXPECT_EQ(texts[22].anchor, TextAnchor::RightOf);
}

TEST(PlotDescription, TheSmithGridCarriesItsValuesWhichTheRasterDoesNotShow)
{
    Canvas lines(400, 320);
    DrawSmithGridLines(lines, 0x404040);
    Canvas labelled = lines;
    DrawSmithGridValues(labelled, 0x808080);
    EXPECT_EQ(labelled.pixels(), lines.pixels());

    RecordingSurface recording;
    DrawSmithGridLines(recording, 0x404040);
    EXPECT_EQ(recording.of(Kind::Circle, DrawRole::GridOutline).size(), 1u);
    EXPECT_EQ(recording.of(Kind::Circle, DrawRole::GridOutline)[0].penWidth, 2);
    DrawSmithGridValues(recording, 0x808080);
    const auto texts = recording.of(Kind::Text, DrawRole::Caption);
    ASSERT_EQ(texts.size(), 7u + 10u);
    auto find = [&](const std::string& t) {
        for (const auto& item : texts)
            if (item.text == t)
                return item;
        ADD_FAILURE() << "no caption " << t;
        return DrawnItem{};
    };
    // Resistance 1 crosses the real axis at the centre; +j1 meets the rim at
    // the top, which the grid's downward axis puts at -1.
    EXPECT_NEAR(find("1").points[0].x, 0, 1e-12);
    EXPECT_NEAR(find("+j1").points[0].y, -1, 1e-12);
    EXPECT_EQ(find("+j1").anchor, TextAnchor::Above);
    EXPECT_NEAR(find("-j1").points[0].y, 1, 1e-12);
    EXPECT_EQ(find("+j5").anchor, TextAnchor::RightOf);
    EXPECT_EQ(find("\xE2\x88\x9E").points[0].x, 1);
}

} // namespace
} // namespace orbilan::display
