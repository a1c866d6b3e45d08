// Any bytes as vna.ini: the reader must end with settings in range and never crash or hang.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "app/settings.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    orbilan::app::Settings s;
    const auto outcome = orbilan::app::LoadCFG(&in, s, "title");
    check(s.AdcType == 2410 || s.AdcType == 2440);
    check(s.SweepPoints >= 11 && s.SweepPoints <= 401);
    check(s.AdcAverages >= 1); // no point is ever measured with no reading
    check(!outcome.title.empty());
    // The USB ids reach brindle's environment as they are: none, or exactly "vvvv:pppp".
    check(s.UsbId.empty()
          || (s.UsbId.size() == 9 && s.UsbId[4] == ':'
              && s.UsbId.find_first_not_of("0123456789abcdef:") == std::string::npos
              && s.UsbId.find(':', 5) == std::string::npos));
    return 0;
}
