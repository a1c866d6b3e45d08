// Any bytes as a calibration file: the reader accepts only what it can hold
// (1..401 points, a known modes digit), and what it accepts writes out to a
// file it reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cal/cal_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orbilan::cal;
    const auto d = ReadCalFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!d)
        return 0;
    if (d->Points < 1 || d->Points > MaxCalPoints || d->Modes < 0 || d->Modes > 3)
        std::abort();
    const auto again = ReadCalFile(WriteCalFile(*d));
    if (!again || again->Points != d->Points || again->Freq != d->Freq)
        std::abort();
    return 0;
}
