// The USB wire: the 15-byte command frames the program sends and the reply
// frames it reads back.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "instrument/dds.h"

namespace orbilan::instrument {

// 16 bytes of which the first 15 are sent.
using CommandFrame = std::array<std::uint8_t, 16>;
// At most 255 bytes are filled by one read.
using ReplyFrame = std::array<std::uint8_t, 256>;

inline constexpr int CommandLength = 15;
inline constexpr int ReplyCapacity = 255;
// Words in one result frame: 5 + 4 x 62 bytes is the most one read carries.
inline constexpr int MaxResultWords = 62;

inline constexpr std::uint8_t StartByte = 0x55;
inline constexpr std::uint8_t CmdStatus = 0x00;
inline constexpr std::uint8_t CmdDdsLoadPoweredDown = 0xC0;
inline constexpr std::uint8_t CmdDdsLoad = 0x40;
inline constexpr std::uint8_t CmdMeasure = 0x50;
inline constexpr std::uint8_t CmdMeasurePairFirst = 0x58;

// Reply byte 1.
inline constexpr std::uint8_t ReplyHasResult = 0x20;
inline constexpr std::uint8_t ReplyNotReady = 0x40;

// The word that the start-up and exit frames carry for both synthesisers.
inline constexpr std::uint32_t StartupWord = 0x01B9CC48;

// ADC settings as the three single bytes of a measure frame.
struct AdcFrameBytes {
    std::uint8_t waitMs = 0;
    std::uint8_t averages = 0;
    std::uint8_t mode = 0;
};

// A setting as one frame byte. It never wraps: below 0 is sent as 0 and above
// 255 as 255, and `limited` (when given) tells the caller it happened.
std::uint8_t FrameByte(int value, bool* limited = nullptr);

void FillStatusFrame(CommandFrame& frame);
// 0xC0 (both synthesisers powered down) or 0x40 (running), at StartupWord.
void FillDdsFrame(CommandFrame& frame, bool poweredDown);
// A measure frame (0x50, or 0x58 for the first of a pair): DDS B at `phase`,
// DDS A at phase 0, both on `word`.
void FillMeasureFrame(CommandFrame& frame, std::uint8_t command, std::uint32_t word, PhaseCode phase,
                      AdcFrameBytes adc);

// Reading a reply of `count` bytes. Bytes that did not arrive read as 0, so a
// short or empty reply never shows what an earlier one left in the buffer.
std::uint8_t ReplyByte(const ReplyFrame& frame, int count, int index);
bool ReplyCarriesResult(const ReplyFrame& frame, int count);
bool ReplySaysNotReady(const ReplyFrame& frame, int count);

// The mean voltage of the ADC words of a result frame, or nothing when it
// carries none (n = 0). Only the words that actually arrived are counted.
std::optional<double> DecodeResult(const ReplyFrame& frame, int count);

} // namespace orbilan::instrument
