/* The Kesp VNA simulator: the instrument as seen from the wire (parallel-port
 * registers and USB frames) with an RF bench behind it. C API, exported by
 * libkespsim.so; the simulated port library and brindle's simulated driver
 * route every byte through it, and front ends and tests configure it here.
 *
 * All functions may be called at any time; the simulator creates its state on
 * first use (configured from the environment: KESP_SIM_DUT, KESP_SIM_SEED,
 * KESP_SIM_TIMING, KESP_SIM_FAULT ...). Single-threaded use only. */
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
 * status register (port == base + 1). Other ports are ignored / read 0xFF. */
KESP_SIM_API void kesp_sim_port_out(uint16_t port, uint16_t value);
KESP_SIM_API uint16_t kesp_sim_port_in(uint16_t port);

/* USB, bulk OUT pipe 0: one frame (15-byte command frames, 4-byte port
 * emulation frames). Returns 1 when accepted, 0 when the transfer failed. */
KESP_SIM_API int kesp_sim_usb_write(const uint8_t* data, int length);
/* USB, bulk IN pipe 1: the next reply frame into buffer (at most capacity
 * bytes). Returns the byte count, or -1 when the transfer failed. */
KESP_SIM_API int kesp_sim_usb_read(uint8_t* buffer, int capacity);

/* ---- the bench ----------------------------------------------------------- */

/* Connects a device: "open", "short", "load", "load:R=50,L=1n,C=1p", "thru",
 * "isolation", "refl:R=100", "refl:R=10,L=1u,C=100p,topology=series",
 * "trans:series:R=..", "trans:shunt:C=..", a path to a .s1p or .s2p file.
 * Returns 1 on success; on failure 0 and kesp_sim_last_error() says why. */
KESP_SIM_API int kesp_sim_set_dut(const char* spec);
KESP_SIM_API const char* kesp_sim_last_error(void);

/* The true reflection coefficient (reflection bridge) or S21 (transmission
 * path) of what is connected, at hz. Returns 1 when defined. */
KESP_SIM_API int kesp_sim_true_gamma(double hz, double* re, double* im);
KESP_SIM_API int kesp_sim_true_s21(double hz, double* re, double* im);

KESP_SIM_API void kesp_sim_set_seed(uint64_t seed);
KESP_SIM_API void kesp_sim_set_noise(int on);
/* 0 = instant; 1 = real time; values between scale the instrument's delays. */
KESP_SIM_API void kesp_sim_set_timing(double scale);

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
