// Any bytes as a calibration file: the reader accepts only what it can hold
// (1..401 points, a known modes digit, at least one reading per point,
// frequencies that never fall, readings a detector can give), and what it
// accepts writes out to a file it reads back the same.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cal/cal_file.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orbilan::cal;
    const auto d = ReadCalFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!d)
        return 0;
    check(d->Points >= 1 && d->Points <= MaxCalPoints);
    check(d->Modes >= 0 && d->Modes <= 3);
    check(d->AdcAverages >= 1);
    for (int k = 1; k <= d->Points; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (k > 1)
            check(d->Freq[i] >= d->Freq[i - 1]);
        for (const Complex& v : {d->Open[i], d->Short[i], d->Load[i], d->Isol[i], d->Thru[i]})
            check(std::fabs(v.re) <= 1000 && std::fabs(v.im) <= 1000);
    }
    const auto again = ReadCalFile(WriteCalFile(*d));
    check(again.has_value());
    check(again->Points == d->Points && again->Freq == d->Freq);
    return 0;
}
