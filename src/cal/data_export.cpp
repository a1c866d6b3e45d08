#include "cal/data_export.h"

#include <cmath>

#include "cal/cal_file.h"
#include "cal/display_quantities.h"

namespace orbilan::cal {

namespace {

constexpr const char* Eol = "\r\n";
constexpr double NoValueMark = -999;

// A text field in double quotes. An embedded quote is doubled, the way a
// spreadsheet reads it back, so that a comment cannot break the line apart.
std::string quoted(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

// A number in a header text: a blank before a positive value, the minus sign
// before a negative one.
std::string signedText(int v)
{
    return v < 0 ? "-" + std::to_string(-static_cast<long long>(v)) : " " + std::to_string(v);
}

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

} // namespace

std::vector<std::string> ExportColumnNames(int displayCode)
{
    switch (displayCode) {
    case CodeTransDb: return {"dB", "deg"};
    case CodeTransMag: return {"Mag", "deg"};
    case CodeImpedance: return {"|Z| ohms", "deg"};
    case CodeRho: return {"rho", "deg"};
    case CodeSeries: return {"Rs ohms", "Xs ohms"};
    case CodeParallel: return {"Rp ohms", "Xp ohms"};
    case CodeSwr: return {"SWR"};
    case CodeReturnLoss: return {"RL dB", "deg"};
    case CodeSmith: return {"rho(re)", "rho(im)"};
    case CodeGroupDelay: return {"dB", "\xC2\xB5s"};
    case CodeRaw: return {"V", "V"};
    default: return {};
    }
}

std::string CommentWithBreak(const std::string& comment)
{
    // Characters, not bytes: a comment may hold letters beyond ASCII.
    int characters = 0;
    for (std::size_t i = 0; i < comment.size(); ++i) {
        if (isContinuationByte(comment[i]))
            continue;
        if (characters == 60)
            return comment.substr(0, i) + "\r" + comment.substr(i);
        ++characters;
    }
    return comment;
}

std::string DataExportText(const DataExportHeader& h, const FrequencyArray& freq, int points,
                           const ValueArray& y1, const ValueArray& y2)
{
    static const char* const modeNames[] = {"Transmission mode", "Reflection mode", "Group Delay mode"};
    std::string out;
    out += quoted("Orbilan software for Kesp VNA version " + h.version + ", exported by Orbilan") + Eol;
    out += Eol;
    out += quoted("Data collected on " + h.date + " at " + h.time) + Eol;
    out += quoted("using " + h.owner + "'s VNA") + Eol;
    out += Eol;
    out += quoted(CommentWithBreak(h.comment)) + Eol;
    out += Eol;
    out += quoted("# averages per point = " + signedText(h.averages) + "   Sweeptime " + h.sweepTime + " s") + Eol;
    out += quoted(" ADC Type: " + signedText(h.adcType) + "  Mode: " + signedText(h.adcMode)) + Eol;
    out += Eol;
    out += quoted(h.measMode >= 0 && h.measMode <= 2 ? modeNames[h.measMode] : "") + Eol;
    out += Eol;

    const auto names = ExportColumnNames(h.displayCode);
    out += quoted("Frequency Hz ");
    for (const auto& name : names)
        out += "," + quoted(name);
    out += Eol;
    if (h.displayCode == CodeRaw)
        out += Eol;

    const bool single = h.displayCode == CodeSwr;
    const int n = points < 0 ? 0 : (points > PointArraySize - 1 ? PointArraySize - 1 : points);
    // A value that is no finite number (a calibration that cannot correct a
    // reading gives one) is written as the file's mark for no value, as an
    // unmeasured point is: a spreadsheet would read "NaN" as text.
    auto value = [](double v) { return FileNumber(std::isfinite(v) ? v : NoValueMark); };
    for (int k = 1; k <= n; ++k) {
        const auto i = static_cast<std::size_t>(k);
        out += std::to_string(freq[i]) + "," + value(y1[i]);
        if (!single)
            out += "," + value(y2[i]);
        out += Eol;
    }
    return out;
}

} // namespace orbilan::cal
