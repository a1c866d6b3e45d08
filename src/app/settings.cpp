#include "app/settings.h"

#include <cfloat>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "cal/text_file.h"
#include "ui/number_text.h"

namespace orbilan::app {

using ui::trimBlanks;

std::string AdcModeCaption(int mode) { return "ADC Mode\r " + std::to_string(mode); }

ConfigLine ReadConfigLine(const std::string& raw)
{
    const std::string line = trimBlanks(raw);
    if (line.empty())
        return {};
    const char first = line.front();
    if (first == '#' || first == '\'' || first == '[' || first == ';' || first == '(')
        return {};
    const auto eq = line.find('=');
    if (eq == std::string::npos)
        return {};
    ConfigLine out;
    out.key = ui::toLowerAscii(trimBlanks(line.substr(0, eq)));
    const std::string rest = trimBlanks(line.substr(eq + 1));
    const auto blank = rest.find(' ');
    out.value = trimBlanks(blank == std::string::npos ? rest : rest.substr(0, blank));
    return out;
}

namespace {

// The error number of an arithmetic overflow, as the message reports it.
constexpr int OverflowError = 6;

struct Overflow {};

std::int16_t asInt16(double v)
{
    std::int16_t out;
    if (!ui::toInt16(v, out))
        throw Overflow{};
    return out;
}

float asSingle(double v)
{
    if (!std::isfinite(v) || std::fabs(v) > FLT_MAX)
        throw Overflow{};
    return static_cast<float>(v);
}

// "vvvv:pppp" with one to four hexadecimal digits each, written back with
// four lower-case digits; "" when the text is no such pair.
std::string usbIdText(const std::string& text)
{
    const auto colon = text.find(':');
    if (colon == std::string::npos)
        return {};
    std::string out;
    for (const std::string& part : {text.substr(0, colon), text.substr(colon + 1)}) {
        if (part.empty() || part.size() > 4 || part.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return {};
        if (!out.empty())
            out += ':';
        out += std::string(4 - part.size(), '0') + ui::toLowerAscii(part);
    }
    return out;
}

ui::Rgb graticuleColour(std::int16_t n)
{
    switch (n) {
    case 0: return 0x000000;
    case 1: return 0x404040;
    case 2: return 0x606060;
    case 3: return 0x808080;
    case 4: return 0xFFFFFF;
    default: return 0x404040;
    }
}

void applyLine(const ConfigLine& line, Settings& s, ConfigOutcome& out)
{
    const std::string& key = line.key;
    const double number = ui::leadingNumber(line.value);
    if (key == "owner") {
        s.OwnerName = line.value.substr(0, 10);
    } else if (key == "clk") {
        const float mhz = asSingle(number);
        std::int32_t hz;
        if (!ui::toInt32(static_cast<double>(mhz) * 1000000.0, hz))
            throw Overflow{};
        s.ClockMHz = mhz;
        s.ClockHz = hz;
    } else if (key == "port") {
        const std::int16_t data = asInt16(number);
        const std::int16_t status = asInt16(static_cast<double>(data) + 1);
        s.DataPort = data;
        s.StatusPort = status;
    } else if (key == "usb") {
        if (!line.value.empty() && (line.value[0] == 'y' || line.value[0] == 'Y')) {
            s.UsbLink = true;
            s.ReadOverheadMs = 0.3f;
        }
    } else if (key == "adcdel") {
        s.AdcWaitMs = asInt16(number);
    } else if (key == "graticule") {
        s.GraticuleColour = graticuleColour(asInt16(number));
    } else if (key == "zo") {
        s.Z0 = asSingle(number);
    } else if (key == "cop" || key == "rsh" || key == "lsh") {
        (void)asSingle(number); // accepted, no effect
    } else if (key == "rld") {
        s.LoadStdR = asSingle(number);
    } else if (key == "cld") {
        s.LoadStdC = asSingle(number);
    } else if (key == "lld") {
        s.LoadStdL = asSingle(number);
    } else if (key == "adcmode") {
        s.AdcMode = asInt16(number);
        out.adcModeCaptionSet = true;
    } else if (key == "adctype") {
        if (number == 2440) {
            s.AdcType = 2440;
            out.adcModeButtonVisible = 1;
        } else {
            if (number != 2410)
                out.messages.push_back("VNA.INI  ADCType entry error\rset to default 2410");
            s.AdcType = 2410;
            s.AdcMode = 0;
            out.adcModeButtonVisible = 0;
        }
    } else if (key == "adcavg") {
        // No readings would leave each point with an earlier point's reading.
        const std::int16_t averages = asInt16(number);
        if (averages >= 1) {
            s.AdcAverages = averages;
        } else {
            out.messages.push_back("VNA.INI  adcavg entry error\radcavg set to 1");
            s.AdcAverages = 1;
        }
    } else if (key == "npoints") {
        if (number >= 11 && number <= 401) {
            s.SweepPoints = asInt16(number);
        } else {
            out.messages.push_back("VNA.INI  npoints entry error\rnpoints set to default (21)");
            s.SweepPoints = 21;
        }
    } else if (key == "usbid") {
        s.UsbId = usbIdText(line.value);
        if (s.UsbId.empty())
            out.messages.push_back("VNA.INI  usbid entry error (vvvv:pppp expected)\rthe default USB ids are used");
    }
    // Any other key is ignored.
}

} // namespace

ConfigOutcome LoadCFG(std::istream* file, Settings& s, const std::string& previousTitle)
{
    s = Settings{};
    ConfigOutcome out;
    out.title = previousTitle;
    if (!file) {
        out.messages.push_back("No vna.ini file found - using defaults");
        return out;
    }
    out.fileFound = true;

    // Lines end in LF, CR-LF or a lone CR: files come from every kind of editor.
    std::string line;
    int lineNumber = 0;
    auto handle = [&](const std::string& text) -> bool {
        ++lineNumber;
        const ConfigLine cl = ReadConfigLine(text);
        if (cl.key.empty())
            return true;
        try {
            applyLine(cl, s, out);
        } catch (const Overflow&) {
            out.errorLine = lineNumber;
            out.messages.push_back("Error " + std::to_string(OverflowError) + " reading vna.ini, line "
                                   + std::to_string(lineNumber) + ":\r" + trimBlanks(text));
            return false;
        }
        return true;
    };

    char c;
    bool pendingCr = false;
    while (file->get(c)) {
        if (pendingCr) {
            pendingCr = false;
            if (c == '\n')
                continue;
        }
        if (c == '\r' || c == '\n') {
            pendingCr = c == '\r';
            if (!handle(line))
                return out;
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty() && !handle(line))
        return out;

    out.title = s.OwnerName.empty() ? "Kesp VNA" : s.OwnerName + "'s Kesp VNA";
    return out;
}

ConfigOutcome LoadConfigFile(const std::string& dir, Settings& s, const std::string& previousTitle)
{
    const std::string path = (std::filesystem::path(dir) / "vna.ini").string();
    std::string text;
    if (const auto error = cal::ReadWholeFile(path, text, MaxConfigBytes)) {
        if (error->number == 76) // not there
            return LoadCFG(nullptr, s, previousTitle);
        // There, but no configuration: the defaults, and the reason.
        s = Settings{};
        ConfigOutcome out;
        out.title = previousTitle;
        out.fileFound = true;
        out.messages.push_back("Error " + std::to_string(error->number) + " reading vna.ini: " + error->description
                               + "\r" + path);
        return out;
    }
    std::istringstream in(text);
    return LoadCFG(&in, s, previousTitle);
}

} // namespace orbilan::app
