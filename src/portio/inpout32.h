/* libinpout32.so: byte access to the printer-port registers, with the two
 * functions the program binds by name.
 *
 * On real hardware the accesses go through Linux ppdev: the device is
 * /dev/parport0 unless ORBILAN_PARPORT names another, opened and claimed on
 * the first call. The register is chosen by the port address modulo 4 (every
 * printer-port base is a multiple of 4): +0 data, +1 status, +2 control.
 * When the device cannot be used, one message naming it and the reason goes
 * to stderr; writes then do nothing and reads give 0, which the program sees
 * as an instrument that does not answer. The open is tried again at most once
 * a second, so a retry after fixing the permission works without a restart.
 *
 * With ORBILAN_SIMULATE=1 in the environment at the first call, every access
 * goes to the simulated instrument instead (libkespsim.so, which must be next
 * to this library). */
#ifndef ORBILAN_INPOUT32_H
#define ORBILAN_INPOUT32_H

#if defined(__GNUC__)
#define INPOUT32_API __attribute__((visibility("default")))
#else
#define INPOUT32_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Writes the low byte of value to the port. Returns 1 when written, else 0. */
INPOUT32_API int Out32(short port, short value);
/* The byte read from the port. */
INPOUT32_API short Inp32(short port);

#ifdef __cplusplus
}
#endif

#endif
