// Any text in a frequency field of the sweep panel, with any unit on its
// label and either decimal separator: the entry reads as whole, non-negative
// hertz with one of the three units, a refused text changes nothing, and a
// value written back into its field reads as the same value.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sweep/frequency.h"
#include "fuzz_check.h"

namespace {

using namespace orbilan::sweep;

bool isUnit(const std::string& unit) { return unit == UnitHz || unit == UnitKHz || unit == UnitMHz; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const char* units[3] = {UnitHz, UnitKHz, UnitMHz};
    const std::string unitBefore = units[data[0] % 3];
    const char separator = (data[0] & 0x10) ? ',' : '.';
    const std::string typed(reinterpret_cast<const char*>(data + 1), size - 1);

    const FrequencyEntry e = ParseFrequencyText(typed, unitBefore, separator);
    check(isUnit(e.unit));
    check(e.text.size() <= typed.size());
    for (char c : e.text)
        check(!(c >= 'a' && c <= 'z'));
    if (!e.numeric) {
        check(e.unit == unitBefore);
        check(e.hz == 0);
        return 0;
    }
    check(e.hz >= 0);

    // Written back in the label's unit and typed again, the field keeps its
    // value, as long as the number fits that unit (from 2147 MHz or
    // 2147483 kHz on a number is taken as hertz).
    const std::string shown = FrequencyFieldText(e.hz, e.unit, separator);
    const bool fits = e.unit == UnitHz || (e.unit == UnitKHz && e.hz < 2147483000)
                      || (e.unit == UnitMHz && e.hz < 2147000000);
    if (fits) {
        const FrequencyEntry again = ParseFrequencyText(shown, e.unit, separator);
        check(again.numeric);
        check(again.hz == e.hz);
        check(again.unit == e.unit);
    }
    return 0;
}
