// The C API of libkespsim: thin wrappers over the process-wide simulator.
#include "sim/kesp_sim.h"

#include "sim/simulator.h"

using orbilan::sim::Cx;
using orbilan::sim::simulator;

namespace {

int complexOut(bool defined, Cx value, double* re, double* im)
{
    if (!defined)
        return 0;
    if (re)
        *re = value.real();
    if (im)
        *im = value.imag();
    return 1;
}

} // namespace

extern "C" {

void kesp_sim_port_out(uint16_t port, uint16_t value) { simulator().portOut(port, value); }
uint16_t kesp_sim_port_in(uint16_t port) { return simulator().portIn(port); }
int kesp_sim_usb_write(const uint8_t* data, int length) { return simulator().usbWrite(data, length) ? 1 : 0; }
int kesp_sim_usb_read(uint8_t* buffer, int capacity) { return simulator().usbRead(buffer, capacity); }

int kesp_sim_set_dut(const char* text) { return simulator().setDevice(text) ? 1 : 0; }
const char* kesp_sim_last_error(void) { return simulator().lastError().c_str(); }
const char* kesp_sim_connected_dut(void) { return simulator().connectedText().c_str(); }
const char* kesp_sim_configured_dut(void) { return simulator().configuredText().c_str(); }
int kesp_sim_set_load_standard(const char* text) { return simulator().setLoadStandard(text) ? 1 : 0; }

int kesp_sim_true_gamma(double hz, double* re, double* im)
{
    Cx g;
    const bool defined = simulator().trueGamma(hz, g);
    return complexOut(defined, g, re, im);
}

int kesp_sim_true_s21(double hz, double* re, double* im)
{
    Cx s;
    const bool defined = simulator().trueS21(hz, s);
    return complexOut(defined, s, re, im);
}

void kesp_sim_set_seed(uint64_t seed) { simulator().setSeed(seed); }
void kesp_sim_set_noise(int on) { simulator().setNoise(on != 0); }
void kesp_sim_set_timing(double scale) { simulator().setTiming(scale); }
void kesp_sim_set_auto_follow(int on) { simulator().setAutoFollow(on != 0); }
void kesp_sim_prompt(const char* text) { simulator().prompt(text); }
void kesp_sim_calibration_done(void) { simulator().calibrationDone(); }
void kesp_sim_reset(void) { simulator().reset(); }

int kesp_sim_raw_reading(double hz, double* re, double* im)
{
    return complexOut(true, simulator().rawReadingAt(hz), re, im);
}
double kesp_sim_detector_offset(void) { return orbilan::sim::DetectorOffsetVolts; }
double kesp_sim_detector_volts(void) { return simulator().detectorVolts(); }

void kesp_sim_set_port_base(uint16_t base) { simulator().setPortBase(base); }
void kesp_sim_set_clock_hz(uint32_t hz) { simulator().setClockHz(hz); }
int kesp_sim_set_adc_type(int type) { return simulator().setAdcType(type) ? 1 : 0; }
int kesp_sim_set_fault(const char* text) { return simulator().setFaults(text) ? 1 : 0; }

int kesp_sim_get_dds(int which, KespSimDdsState* out)
{
    if ((which != 0 && which != 1) || !out)
        return 0;
    const auto& sim = simulator();
    const auto& dds = sim.dds(which);
    out->word = dds.word();
    out->control = dds.control();
    out->serial_mode = dds.serialMode() ? 1 : 0;
    out->powered_down = dds.poweredDown() ? 1 : 0;
    out->phase_code = (dds.control() >> 6) & 3;
    out->hz = sim.ddsHz(dds);
    out->updates = dds.updates();
    return 1;
}

void kesp_sim_get_adc(KespSimAdcState* out)
{
    if (!out)
        return;
    const auto& adc = simulator().adc();
    out->conversions = adc.conversions();
    out->mode = adc.mode();
    out->last_word = adc.lastWord();
    out->last_volts = orbilan::sim::Adc::voltsForWord(adc.lastWord());
    out->converting = simulator().adcConverting() ? 1 : 0;
    out->type = adc.type();
}

void kesp_sim_get_timing(KespSimTiming* out)
{
    if (!out)
        return;
    const auto& sim = simulator();
    out->conversions = sim.adc().conversions();
    out->conversion_seconds = sim.adc().conversionSeconds();
    out->settle_seconds = sim.firmwareSettleSeconds();
}

void kesp_sim_get_usb(KespSimUsbState* out)
{
    if (!out)
        return;
    const auto& sim = simulator();
    out->writes = sim.usbWrites();
    out->reads = sim.usbReads();
    out->ignored = sim.usbIgnored();
    out->pending = sim.usbPending();
    out->dropped = sim.usbDropped();
}

} // extern "C"
