// A stand-in for libbrindle.so's two transfer functions: every transfer goes
// to the test that connected itself.
#include <cstdint>
#include <string>

extern "C" {
using FakeWriteFn = std::int32_t (*)(void* ctx, const std::uint8_t* buffer, std::int16_t length);
using FakeReadFn = std::int32_t (*)(void* ctx, std::uint8_t* buffer, std::int16_t* count);

__attribute__((visibility("default"))) void fake_usb_connect(FakeWriteFn write, FakeReadFn read, void* ctx);
// The cause vnaerror gives, as brindle words one.
__attribute__((visibility("default"))) void fake_usb_cause(const char* cause);
__attribute__((visibility("default"))) const char* vnaerror(void);
__attribute__((visibility("default"))) std::int32_t vnawrite(std::uint8_t* buffer, std::int16_t length);
__attribute__((visibility("default"))) std::int32_t vnaread(std::uint8_t* buffer, std::int16_t* count);
}

namespace {
FakeWriteFn writeFn = nullptr;
FakeReadFn readFn = nullptr;
void* context = nullptr;
std::string cause;
} // namespace

void fake_usb_cause(const char* text) { cause = text ? text : ""; }

const char* vnaerror(void) { return cause.c_str(); }

void fake_usb_connect(FakeWriteFn write, FakeReadFn read, void* ctx)
{
    writeFn = write;
    readFn = read;
    context = ctx;
}

std::int32_t vnawrite(std::uint8_t* buffer, std::int16_t length)
{
    return writeFn ? writeFn(context, buffer, length) : 0;
}

std::int32_t vnaread(std::uint8_t* buffer, std::int16_t* count)
{
    if (count)
        *count = 0;
    return readFn ? readFn(context, buffer, count) : 0;
}
