// A port library that lacks Inp32: binding it must name the missing function.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) std::int32_t Out32(std::int16_t, std::int16_t) { return 1; }
