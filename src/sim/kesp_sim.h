/* The Kesp VNA simulator: the instrument as seen from the wire (parallel-port
 * registers and USB frames) with an RF bench behind it. C API, exported by
 * libkespsim.so; the simulated port library and brindle's simulated driver
 * route every byte through it, and front ends and tests configure it here.
 *
 * All functions may be called at any time; the simulator creates its state on
 * first use, configured from the environment, and kesp_sim_reset() reads it
 * again. Single-threaded use only.
 *
 *   KESP_SIM_DUT          what is connected (kesp_sim_set_dut); default
 *                         "refl:R=10,L=1u,C=100p,topology=series", a series
 *                         resonant circuit (15.9 MHz) on the reflection bridge
 *   KESP_SIM_LOAD         the load standard auto-follow connects (default "load")
 *   KESP_SIM_SEED         noise seed, a whole number (default 1)
 *   KESP_SIM_TIMING       instant (default) | realtime | a scale factor, e.g. 0.2
 *   KESP_SIM_FAULT        faults, see kesp_sim_set_fault (default none)
 *   KESP_SIM_AUTO_FOLLOW  1 (default) | 0
 *   KESP_SIM_NOISE        1 (default, 20 uV RMS per conversion) | 0
 *   KESP_SIM_PORT         printer-port base, e.g. 0x378 (default), 0x278, &H278
 *   KESP_SIM_CLOCK        DDS reference clock in Hz, e.g. 148.33M (default)
 *   KESP_SIM_ADC          2440 (default) | 2410; Orbilan's front ends set the
 *                         type vna.ini names when the program starts
 * A value that makes no sense is named on stderr and the default kept. */
#ifndef KESP_SIM_H
#define KESP_SIM_H

#include <stdint.h>

#if defined(__GNUC__)
#define KESP_SIM_API __attribute__((visibility("default")))
#else
#define KESP_SIM_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- the wire ------------------------------------------------------------ */

/* Parallel port: a write to the data register (port == base) or a read of the
 * status register (port == base + 1); reading the data register gives back the
 * last byte written, as a PC port does. Other ports are ignored / read 0xFF.
 * The base is 0x378 unless KESP_SIM_PORT or kesp_sim_set_port_base says. */
KESP_SIM_API void kesp_sim_port_out(uint16_t port, uint16_t value);
KESP_SIM_API uint16_t kesp_sim_port_in(uint16_t port);

/* USB, bulk OUT pipe 0: one frame (15-byte command frames, 4-byte port
 * emulation frames). Returns 1 when accepted, 0 when the transfer failed. */
KESP_SIM_API int kesp_sim_usb_write(const uint8_t* data, int length);
/* USB, bulk IN pipe 1: the next reply frame into buffer (at most capacity
 * bytes). Returns the byte count, or -1 when the transfer failed. */
KESP_SIM_API int kesp_sim_usb_read(uint8_t* buffer, int capacity);
/* Reply frames: byte 0 = 0xAA; byte 1 = flags (0x20 result, 0x40 not ready);
 * byte 2 = in a result frame the command byte that asked for it, in a status
 * frame the parallel-port image (data lines mapped as the 4-byte port frames
 * map them, bit 7 set while the ADC's data output is low); byte 3 = a reply
 * counter (low byte); byte 4 = n; then n 32-bit ADC words, MSB first.
 * A status frame has n = 0 and is 5 bytes long. A result frame carries one
 * word per conversion (at most 62; more averages are pooled evenly into 62
 * words). A read with no result due returns a status frame; in real-time
 * mode a read while a result is still being measured waits about 5 ms for
 * it and otherwise returns a status frame (the host reads on). A status
 * command or a new measure command drops results nobody read (the second
 * command of a pair excepted), so a stale result never answers a new one. */

/* ---- the bench ----------------------------------------------------------- */

/* Connects a device and makes it the configured one:
 *   open | short | load       ideal standards; load is exactly 50 ohm
 *   load:R=..,L=..,C=..       R in series with L, the pair shunted by C (the
 *                             calibration's load model; R defaults to 50)
 *   thru | isolation          S21 = 1; the detector port left open (S21 = 0)
 *   refl:R=..,L=..,C=..[,topology=series|parallel]
 *                             a lumped one-port on the reflection bridge;
 *                             absent parts are left out; series by default
 *   trans:series:<parts>      the lumped network in series between source and
 *   trans:shunt:<parts>       detector, or from the line to ground
 *   <path>.s1p | <path>.s2p   Touchstone 1.x (S parameters; RI, MA or DB;
 *                             Hz to GHz; any R); .s1p sits on the bridge, .s2p
 *                             in the transmission path (its S21); linear
 *                             interpolation between points, end values held
 * Values are numbers with an optional SI multiplier p n u m k M G (ohm,
 * henry, farad): "R=4.7k,L=1u,C=100p". Names are case-insensitive.
 * Returns 1 on success; on failure 0 and kesp_sim_last_error() says why. */
KESP_SIM_API int kesp_sim_set_dut(const char* text);
KESP_SIM_API const char* kesp_sim_last_error(void);
/* What is connected now (auto-follow may have put a standard there) and what
 * was configured. The texts stay valid until the next call that changes them. */
KESP_SIM_API const char* kesp_sim_connected_dut(void);
KESP_SIM_API const char* kesp_sim_configured_dut(void);
/* The standard that auto-follow connects for "reference load": "load"
 * (exactly 50 ohm) unless set here, e.g. "load:R=51,L=2n" to match vna.ini's
 * rld/lld/cld. Returns 1 on success. */
KESP_SIM_API int kesp_sim_set_load_standard(const char* text);

/* The true reflection coefficient (reflection bridge) or S21 (transmission
 * path) of what is connected, at hz. Returns 1 when defined. */
KESP_SIM_API int kesp_sim_true_gamma(double hz, double* re, double* im);
KESP_SIM_API int kesp_sim_true_s21(double hz, double* re, double* im);

KESP_SIM_API void kesp_sim_set_seed(uint64_t seed);
KESP_SIM_API void kesp_sim_set_noise(int on);
/* 0 = instant; 1 = real time; values between scale the instrument's delays. */
KESP_SIM_API void kesp_sim_set_timing(double scale);

/* The noiseless raw reading M (volts, without the detector offset) that the
 * connected device gives at hz through the bench's error terms; the detector
 * voltage at LO phase code p is offset + Re(M * e^(-j p pi/2)). */
KESP_SIM_API int kesp_sim_raw_reading(double hz, double* re, double* im);
KESP_SIM_API double kesp_sim_detector_offset(void);
/* The noiseless detector voltage for the synthesisers as they are loaded now. */
KESP_SIM_API double kesp_sim_detector_volts(void);

/* ---- the instrument -------------------------------------------------------- */

KESP_SIM_API void kesp_sim_set_port_base(uint16_t base);
/* DDS reference clock in Hz (default 148,330,000). */
KESP_SIM_API void kesp_sim_set_clock_hz(uint32_t hz);
/* 2410 or 2440 (default); sets the conversion time. Returns 1 when accepted. */
KESP_SIM_API int kesp_sim_set_adc_type(int type);

/* Faults, a comma-separated list: "none" (clears all), "no-instrument",
 * "not-ready", "usb-write-fail:N", "usb-read-fail:N" (the Nth transfer from
 * now fails), "no-result", "empty-result", "adc-stuck". Returns 1 on success;
 * on an unknown fault 0 with kesp_sim_last_error() set and nothing changed. */
KESP_SIM_API int kesp_sim_set_fault(const char* text);

/* ---- observation, for tests and the bench window --------------------------- */

typedef struct KespSimDdsState {
    uint32_t word;        /* tuning word last latched by a frequency update */
    uint8_t control;      /* control byte last latched (bits 32..39) */
    int serial_mode;      /* 1 once serial loading has been entered */
    int powered_down;     /* control bit 34 */
    int phase_code;       /* LO phase in 90-degree steps (control bits 38, 39) */
    double hz;            /* output frequency: word x clock / 2^32 */
    uint32_t updates;     /* frequency updates since power-on */
} KespSimDdsState;
/* which: 0 = DDS A (RF source), 1 = DDS B (LO). Returns 1 when which is valid. */
KESP_SIM_API int kesp_sim_get_dds(int which, KespSimDdsState* out);

typedef struct KespSimAdcState {
    uint32_t conversions; /* conversions whose result was taken (port or USB) */
    int mode;             /* mode of the conversion now running (5 bits) */
    uint32_t last_word;   /* last 32-bit result word */
    double last_volts;    /* its voltage by the ADC scale */
    int converting;       /* 1 while a parallel-port conversion is running */
    int type;             /* 2410 or 2440 */
} KespSimAdcState;
KESP_SIM_API void kesp_sim_get_adc(KespSimAdcState* out);

/* The instrument's own time since power-on (kesp_sim_reset), in its own
 * seconds whatever the timing scale, so also in instant timing: what a sweep
 * costs on the instrument, before anything the host adds. Over the parallel
 * port the host makes the settling waits itself; over USB the firmware does. */
typedef struct KespSimTiming {
    uint32_t conversions;      /* conversions performed (port or firmware) */
    double conversion_seconds; /* their conversion times, by type and mode */
    double settle_seconds;     /* settling waits the firmware made */
} KespSimTiming;
KESP_SIM_API void kesp_sim_get_timing(KespSimTiming* out);

typedef struct KespSimUsbState {
    uint32_t writes;      /* accepted OUT transfers */
    uint32_t reads;       /* completed IN transfers */
    uint32_t ignored;     /* frames the firmware did not understand */
    uint32_t pending;     /* result frames waiting to be read */
    uint32_t dropped;     /* unread results dropped by a new exchange */
} KespSimUsbState;
KESP_SIM_API void kesp_sim_get_usb(KespSimUsbState* out);

/* Auto-follow: when on, a calibration prompt text connects the standard it
 * names ("Connect open circuit reference, then click OK" connects open ...),
 * and kesp_sim_calibration_done() reconnects the configured device. */
KESP_SIM_API void kesp_sim_set_auto_follow(int on);
KESP_SIM_API void kesp_sim_prompt(const char* text);
KESP_SIM_API void kesp_sim_calibration_done(void);

/* Back to the power-on state with the environment's configuration. */
KESP_SIM_API void kesp_sim_reset(void);

#ifdef __cplusplus
}
#endif

#endif
