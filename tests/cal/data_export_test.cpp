// The measurement data file byte for byte for a known sweep, the column
// names of every display code and the comment's line break.
#include <gtest/gtest.h>

#include <cmath>

#include "cal/data_export.h"
#include "cal/display_quantities.h"
#include "comma_locale.h"

using namespace orbilan::cal;

namespace {

struct Sweep {
    FrequencyArray freq{};
    ValueArray y1{}, y2{};
    Sweep()
    {
        y1.fill(-999);
        y2.fill(-999);
        freq[1] = 1000000;
        freq[2] = 1500000;
        freq[3] = 2000000;
        y1[1] = -3.5;
        y2[1] = 12.25;
        y1[2] = 1.25e-7;
        y2[2] = -180; // point 3 never measured
    }
};

DataExportHeader header(int mode, int code)
{
    DataExportHeader h;
    h.version = "1.3D";
    h.date = "07/12/2026";
    h.time = "13:00";
    h.owner = "Lab1";
    h.comment = "DUT 7";
    h.averages = 4;
    h.sweepTime = "3.3";
    h.adcType = 2410;
    h.adcMode = 0;
    h.measMode = mode;
    h.displayCode = code;
    return h;
}

const char* const expectedHead =
    "\"Orbilan software for Kesp VNA version 1.3D, exported by Orbilan\"\r\n"
    "\r\n"
    "\"Data collected on 07/12/2026 at 13:00\"\r\n"
    "\"using Lab1's VNA\"\r\n"
    "\r\n"
    "\"DUT 7\"\r\n"
    "\r\n"
    "\"# averages per point =  4   Sweeptime 3.3 s\"\r\n"
    "\" ADC Type:  2410  Mode:  0\"\r\n"
    "\r\n";

} // namespace

TEST(DataExport, KnownSweepByteForByte)
{
    const Sweep s;
    const std::string expected = std::string(expectedHead) +
                                 "\"Transmission mode\"\r\n"
                                 "\r\n"
                                 "\"Frequency Hz \",\"dB\",\"deg\"\r\n"
                                 "1000000,-3.5,12.25\r\n"
                                 "1500000,1.25E-07,-180\r\n"
                                 "2000000,-999,-999\r\n";
    EXPECT_EQ(DataExportText(header(0, CodeTransDb), s.freq, 3, s.y1, s.y2), expected);

    orbilan::test::CommaLocale comma;
    if (comma.active()) {
        EXPECT_EQ(DataExportText(header(0, CodeTransDb), s.freq, 3, s.y1, s.y2), expected);
    }
}

TEST(DataExport, AValueThatIsNoNumberIsWrittenAsNone)
{
    Sweep s;
    s.y1[1] = std::nan("");
    s.y2[2] = -HUGE_VAL;
    const std::string text = DataExportText(header(1, CodeSeries), s.freq, 2, s.y1, s.y2);
    EXPECT_NE(text.find("\r\n1000000,-999,12.25\r\n1500000,1.25E-07,-999\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("NaN"), std::string::npos);
    EXPECT_EQ(text.find("Infinity"), std::string::npos);
}

TEST(DataExport, SwrHasOneColumnAndRawAnExtraLine)
{
    const Sweep s;
    std::string text = DataExportText(header(1, CodeSwr), s.freq, 3, s.y1, s.y2);
    EXPECT_NE(text.find("\"Reflection mode\"\r\n\r\n\"Frequency Hz \",\"SWR\"\r\n1000000,-3.5\r\n"),
              std::string::npos);
    text = DataExportText(header(1, CodeRaw), s.freq, 3, s.y1, s.y2);
    EXPECT_NE(text.find("\"Frequency Hz \",\"V\",\"V\"\r\n\r\n1000000,-3.5,12.25\r\n"), std::string::npos);
    text = DataExportText(header(2, CodeGroupDelay), s.freq, 3, s.y1, s.y2);
    EXPECT_NE(text.find("\"Group Delay mode\"\r\n\r\n\"Frequency Hz \",\"dB\",\"\xC2\xB5s\"\r\n"), std::string::npos);
}

TEST(DataExport, ColumnNames)
{
    struct Case { int code; std::vector<std::string> names; } cases[] = {
        {0, {"dB", "deg"}}, {1, {"Mag", "deg"}}, {10, {"|Z| ohms", "deg"}}, {11, {"rho", "deg"}},
        {12, {"Rs ohms", "Xs ohms"}}, {13, {"Rp ohms", "Xp ohms"}}, {14, {"SWR"}}, {15, {"RL dB", "deg"}},
        {16, {"rho(re)", "rho(im)"}}, {20, {"dB", "\xC2\xB5s"}}, {30, {"V", "V"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExportColumnNames(c.code), c.names) << c.code;
}

TEST(DataExport, HeaderTexts)
{
    const Sweep s;
    DataExportHeader h = header(0, 0);
    h.owner = "";
    h.adcMode = -1;
    h.comment = "say \"hi\"";
    const std::string text = DataExportText(h, s.freq, 0, s.y1, s.y2);
    EXPECT_NE(text.find("\"using 's VNA\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\" ADC Type:  2410  Mode: -1\"\r\n"), std::string::npos);
    // A quote inside the comment is doubled, so the field stays one field.
    EXPECT_NE(text.find("\r\n\"say \"\"hi\"\"\"\r\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("\"Frequency Hz \",\"dB\",\"deg\"\r\n")); // no point lines
}

TEST(DataExport, CommentBreaksAfterSixtyCharacters)
{
    const std::string sixty(60, 'x');
    EXPECT_EQ(CommentWithBreak(sixty), sixty);
    EXPECT_EQ(CommentWithBreak(sixty + "y"), sixty + "\ry");
    // Characters, not bytes.
    std::string umlauts;
    for (int i = 0; i < 61; ++i)
        umlauts += "\xC3\xBC";
    EXPECT_EQ(CommentWithBreak(umlauts), umlauts.substr(0, 120) + "\r" + umlauts.substr(120));
    EXPECT_EQ(CommentWithBreak(""), "");
}
