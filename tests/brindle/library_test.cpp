// The built libbrindle.so as a program loads it, with no instrument attached
// and no simulator asked for: every export answers "no device" and nothing
// hangs or crashes.
#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "support/test_platform.h"

TEST(BrindleLibrary, WithoutAnInstrumentEveryTransferFails)
{
    orbilan::test::TempDir state;
    setenv("XDG_STATE_HOME", state.str().c_str(), 1);
    unsetenv("ORBILAN_SIMULATE");
    setenv("BRINDLE_USB_ID", "ffff:fffe", 1); // no such device on any machine

    void* lib = dlopen(ORBILAN_BIN_DIR "/libbrindle.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    auto vnawrite = reinterpret_cast<std::int32_t (*)(unsigned char*, std::int16_t)>(dlsym(lib, "vnawrite"));
    auto vnaread = reinterpret_cast<std::int32_t (*)(unsigned char*, std::int16_t*)>(dlsym(lib, "vnaread"));
    auto out32 = reinterpret_cast<std::int32_t (*)(std::int16_t, std::int16_t)>(dlsym(lib, "Out32"));
    auto inp32 = reinterpret_cast<std::int16_t (*)(std::int16_t)>(dlsym(lib, "Inp32"));
    auto vnaerror = reinterpret_cast<const char* (*)()>(dlsym(lib, "vnaerror"));
    ASSERT_TRUE(vnawrite && vnaread && out32 && inp32 && vnaerror);
    // Only the published names are exported.
    EXPECT_EQ(dlsym(lib, "_ZN7brindle6driverEv"), nullptr);

    unsigned char frame[16] = {0x55};
    EXPECT_EQ(vnawrite(frame, 15), 0);
    unsigned char reply[256];
    std::int16_t count = 7;
    EXPECT_EQ(vnaread(reply, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(std::string(vnaerror()).rfind("no USB device with ids ffff:fffe found", 0), 0u) << vnaerror();
    EXPECT_EQ(out32(0x378, 1), 0);
    EXPECT_EQ(inp32(0x379), -1);
    // Each device object's block says why it found no instrument.
    EXPECT_NE(orbilan::test::readFile(state.path() / "orbilan" / "vnalog.txt")
                  .find("Cache created\nOpen failed: no USB device with ids ffff:fffe found: check the cable"),
              std::string::npos);
}
