// What one measured point costs the simulated instrument in instant timing:
// the ceiling the simulator puts on benchmarks of the whole program.
#include <benchmark/benchmark.h>

#include "instrument_wire.h"
#include "sim/kesp_sim.h"

namespace {

// Four DDS loads and four conversions over the printer port (a CDS point).
void BM_ParallelPortCdsPoint(benchmark::State& state)
{
    kesp_sim_reset();
    wire::ParallelPort port;
    port.out = [](std::uint16_t p, std::uint8_t v) { kesp_sim_port_out(p, v); };
    port.in = [](std::uint16_t p) { return static_cast<std::uint8_t>(kesp_sim_port_in(p)); };
    port.resetSerial();
    port.wake();
    const std::uint32_t word = wire::tuningWord(10e6);
    for (auto _ : state) {
        double v = 0;
        for (int phase : {0, 2, 1, 3}) {
            port.load(word, phase);
            v += port.convert(1);
        }
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(BM_ParallelPortCdsPoint);

// Two measure pairs over USB with the given averages per result.
void BM_UsbCdsPoint(benchmark::State& state)
{
    kesp_sim_reset();
    const auto averages = static_cast<std::uint8_t>(state.range(0));
    const std::uint32_t word = wire::tuningWord(10e6);
    std::uint8_t reply[256];
    for (auto _ : state) {
        for (int first : {0, 1}) {
            const auto a = wire::measureFrame(0x58, word, first, 10, averages);
            const auto b = wire::measureFrame(0x50, word, first + 2, 10, averages);
            kesp_sim_usb_write(a.data(), 15);
            kesp_sim_usb_write(b.data(), 15);
            kesp_sim_usb_read(reply, 255);
            kesp_sim_usb_read(reply, 255);
        }
        benchmark::DoNotOptimize(reply[5]);
    }
}
BENCHMARK(BM_UsbCdsPoint)->Arg(1)->Arg(100);

} // namespace
