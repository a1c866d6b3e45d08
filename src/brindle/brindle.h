/* brindle: carries bytes between a program and the Kesp VNA's USB controller.
 *
 * vnawrite and vnaread move command and reply frames through one device
 * object that lives for the whole process. Out32 and Inp32 have the
 * signatures of the parallel-port library and turn printer-port accesses
 * (0x278/0x378 data, 0x279/0x379 status) into USB frames, so that a program
 * written for the parallel port can drive the instrument over USB.
 *
 * Every device object logs its traffic and why an open or a transfer
 * failed; the log is appended to vnalog.txt in the user's state folder
 * ($XDG_STATE_HOME/orbilan, else ~/.local/state/orbilan) when it fills, when
 * the object goes and when the process ends. A log file past 16 MiB is kept as vnalog.txt.1 and a new one
 * begun. With ORBILAN_SIMULATE=1 the simulated instrument of
 * libkespsim.so answers instead of a real one. */
#pragma once

#include <stdint.h>

#if defined(__GNUC__)
#define BRINDLE_API __attribute__((visibility("default")))
#else
#define BRINDLE_API
#endif

/* The caller's transfer buffers, passed by their first byte: the bytes to
 * send, and room for at least 255 received bytes. */
typedef unsigned char _VNA_TXBUFFER;
typedef unsigned char _VNA_RXBUFFER;

#ifdef __cplusplus
extern "C" {
#endif

/* Booleans are whole 32-bit values, 0 or 1, so that a caller may test them as
 * 16-bit or 32-bit integers. */
BRINDLE_API int32_t vnawrite(_VNA_TXBUFFER* buffer, int16_t length);
/* count receives the bytes read (0 when the read failed). */
BRINDLE_API int32_t vnaread(_VNA_RXBUFFER* buffer, int16_t* count);
/* Why the last vnawrite or vnaread failed, in words for the user, with the
 * fix where there is one (no device with the instrument's ids, permission
 * denied, busy, disconnected, no answer in time); "" after a success or when
 * brindle cannot tell. Valid until the next call of vnawrite or vnaread. */
BRINDLE_API const char* vnaerror(void);
BRINDLE_API int32_t Out32(int16_t port, int16_t value);
/* -1 for a port that is not served or when nothing came back. */
BRINDLE_API int16_t Inp32(int16_t port);

#ifdef __cplusplus
}

class VNADevice {
public:
    /* Searches the instrument (device instances 0 to 9) and remembers the
     * first that opens; get_State() then tells whether one was found. */
    BRINDLE_API VNADevice();
    /* Appends the log to the log file. */
    BRINDLE_API ~VNADevice();
    VNADevice(const VNADevice&) = delete;
    VNADevice& operator=(const VNADevice&) = delete;

    /* Reads the device descriptor, the driver information and the
     * configuration descriptor header. */
    BRINDLE_API bool Init();
    /* 1 after a successful open, -1 after a failed one. */
    BRINDLE_API int get_State();
    /* The byte count of the last device request. */
    BRINDLE_API int get_BytesReturned();
    /* Lets the instrument's controller run, or holds it. */
    BRINDLE_API bool Start();
    BRINDLE_API bool Stop();
    /* The device instance 0 to 9, or 255 before one was found. */
    BRINDLE_API int get_Instance();
    /* Uses instance 0 to 9 from the next open on; false for anything else. */
    BRINDLE_API bool set_Instance(int instance);
    /* One reply of up to 255 bytes from the instrument's IN pipe 1. */
    BRINDLE_API bool Read(_VNA_RXBUFFER* buffer);
    /* `length` bytes to the instrument's OUT pipe 0. */
    BRINDLE_API bool Write(_VNA_TXBUFFER* buffer, int length);

private:
    bool OpenDevice();
    void CloseDevice();
    bool ControlCpu(bool hold);

    struct Private;
    bool lastResult_ = false;
    int32_t state_ = 0;
    Private* d_;
};
#endif
