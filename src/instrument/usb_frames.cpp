#include "instrument/usb_frames.h"

#include "instrument/adc.h"

namespace orbilan::instrument {

std::uint8_t FrameByte(int value, bool* limited)
{
    const bool out = value < 0 || value > 255;
    if (limited)
        *limited = out;
    if (value < 0)
        return 0;
    if (value > 255)
        return 255;
    return static_cast<std::uint8_t>(value);
}

namespace {
void putWord(CommandFrame& frame, std::size_t at, std::uint32_t word)
{
    frame[at] = static_cast<std::uint8_t>(word >> 24);
    frame[at + 1] = static_cast<std::uint8_t>(word >> 16);
    frame[at + 2] = static_cast<std::uint8_t>(word >> 8);
    frame[at + 3] = static_cast<std::uint8_t>(word);
}
} // namespace

void FillStatusFrame(CommandFrame& frame)
{
    frame.fill(0);
    frame[0] = StartByte;
    frame[1] = CmdStatus;
}

void FillDdsFrame(CommandFrame& frame, bool poweredDown)
{
    frame.fill(0);
    frame[0] = StartByte;
    frame[1] = poweredDown ? CmdDdsLoadPoweredDown : CmdDdsLoad;
    const std::uint8_t control = poweredDown ? 0x04 : 0x00;
    frame[5] = control;
    putWord(frame, 6, StartupWord);
    frame[10] = control;
    putWord(frame, 11, StartupWord);
}

void FillMeasureFrame(CommandFrame& frame, std::uint8_t command, std::uint32_t word, PhaseCode phase,
                      AdcFrameBytes adc)
{
    frame.fill(0);
    frame[0] = StartByte;
    frame[1] = command;
    frame[2] = adc.waitMs;
    frame[3] = adc.averages;
    frame[4] = adc.mode;
    frame[5] = static_cast<std::uint8_t>((static_cast<unsigned>(phase) & 3u) * 64u);
    putWord(frame, 6, word);
    frame[10] = 0x00;
    putWord(frame, 11, word);
}

std::uint8_t ReplyByte(const ReplyFrame& frame, int count, int index)
{
    if (index < 0 || index >= count || index >= static_cast<int>(frame.size()))
        return 0;
    return frame[static_cast<std::size_t>(index)];
}

bool ReplyCarriesResult(const ReplyFrame& frame, int count)
{
    return (ReplyByte(frame, count, 1) & ReplyHasResult) != 0;
}

bool ReplySaysNotReady(const ReplyFrame& frame, int count)
{
    return (ReplyByte(frame, count, 1) & ReplyNotReady) != 0;
}

std::optional<double> DecodeResult(const ReplyFrame& frame, int count)
{
    int n = ReplyByte(frame, count, 4);
    if (n > MaxResultWords)
        n = MaxResultWords;
    const int arrived = count >= 5 ? (count - 5) / 4 : 0;
    if (n > arrived)
        n = arrived;
    if (n <= 0)
        return std::nullopt;
    double sum = 0;
    for (int j = 1; j <= n; ++j) {
        const auto at = static_cast<std::size_t>(4 * j + 1);
        const std::uint32_t w = (static_cast<std::uint32_t>(frame[at]) << 24)
                                | (static_cast<std::uint32_t>(frame[at + 1]) << 16)
                                | (static_cast<std::uint32_t>(frame[at + 2]) << 8) | frame[at + 3];
        sum += WordVolts(w);
    }
    return sum / n;
}

} // namespace orbilan::instrument
