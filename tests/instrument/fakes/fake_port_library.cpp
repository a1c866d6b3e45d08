// A stand-in for libinpout32.so: every access goes to the test that
// connected itself, so tests see exactly what the program sends.
#include <cstdint>

extern "C" {
using FakeOutFn = void (*)(void* ctx, std::int16_t port, std::int16_t value);
using FakeInFn = std::int16_t (*)(void* ctx, std::int16_t port);

__attribute__((visibility("default"))) void fake_port_connect(FakeOutFn out, FakeInFn in, void* ctx);
__attribute__((visibility("default"))) std::int32_t Out32(std::int16_t port, std::int16_t value);
__attribute__((visibility("default"))) std::int16_t Inp32(std::int16_t port);
}

namespace {
FakeOutFn outFn = nullptr;
FakeInFn inFn = nullptr;
void* context = nullptr;
} // namespace

void fake_port_connect(FakeOutFn out, FakeInFn in, void* ctx)
{
    outFn = out;
    inFn = in;
    context = ctx;
}

std::int32_t Out32(std::int16_t port, std::int16_t value)
{
    if (outFn)
        outFn(context, port, value);
    return 1;
}

std::int16_t Inp32(std::int16_t port)
{
    return inFn ? inFn(context, port) : 0;
}
