/*
 * Control interface of the simulated parallel port and two-latch adapter
 * (target port_io_sim). The same library provides PORT_Acquire, PORT_Out,
 * PORT_In and PORT_FailureText of platform/port_io.h, so a program linked
 * with it drives the model instead of real ports.
 *
 * The model, in the hardware's terms:
 *   - The port: data register (base) drives the data lines; control register
 *     (base + 2) holds the last byte written; status register (base + 1)
 *     shows the adapter's read-back nibble on bits 7..4, bit 7 inverted by
 *     the port, and unrelated noise on bits 3..0. Data and control read back
 *     what was last written. Other addresses are empty: writes vanish,
 *     reads give 0xFF.
 *   - Two edge-triggered 8-bit latches on the data lines: the control latch
 *     clocks on the rising edge (0 -> 1) of control bit 0, the data latch on
 *     the rising edge of control bit 1. Data lines moving while a strobe is
 *     held high change nothing.
 *   - Control latch: bits 4..0 select one of 32 registers; bit 7 nWRITE,
 *     bit 6 nREAD, bit 5 nLOOPBACK (active low). While nWRITE is low the
 *     selected register follows the data latch.
 *   - Read-back path: the data latch while nLOOPBACK is low; otherwise the
 *     selected register while nREAD is low; otherwise nothing drives it and
 *     the status lines' pull-ups give 0xFF. Control bit 3 picks the nibble:
 *     0 = bits 3..0, 1 = bits 7..4.
 *
 * Power-on / reset: the control latch holds 0xE0 (register 0, every line
 * released: a latch that powered up with nWRITE low would store into a
 * register on the first data-latch load); registers, data latch, data lines
 * and the control register 0; adapter at 0x378; ports granted; empty trace;
 * no faults; status noise on.
 */
#ifndef SIM_LPT_LPTSIM_H
#define SIM_LPT_LPTSIM_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One port access, in the order made. */
typedef struct LPTSIM_Access {
    int input;              /* 1 for PORT_In, 0 for PORT_Out */
    unsigned short address;
    unsigned char value;    /* byte written, or byte returned */
} LPTSIM_Access;

void LPTSIM_Reset(void);

/* The base at which the adapter is plugged in (0x378 after reset). */
void LPTSIM_SetBase(unsigned short base);

/* PORT_Acquire returns this status from now on (PORT_OK grants). A refusal
 * does not stop later accesses from reaching the model. */
void LPTSIM_SetAcquireResult(int status);
/* Base passed to the last PORT_Acquire, or -1 if none since reset. */
int LPTSIM_LastAcquireBase(void);

/* ---- Trace -------------------------------------------------------------- */
size_t LPTSIM_TraceLength(void);
/* Copies access i (0 = oldest); returns 0, or -1 if i is out of range. */
int LPTSIM_TraceAt(size_t i, LPTSIM_Access *out);
void LPTSIM_ClearTrace(void);

/* ---- State -------------------------------------------------------------- */
int LPTSIM_DataLines(void);       /* last byte written to the data register */
int LPTSIM_ControlRegister(void); /* last byte written to the control register */
int LPTSIM_DataLatch(void);
int LPTSIM_ControlLatch(void);
int LPTSIM_GetRegister(int reg);  /* low 5 bits count */
void LPTSIM_SetRegister(int reg, int value);
/* Number of times a register has been stored (nWRITE low at a control-latch
 * clock, or data latch clocked while nWRITE is low). */
long LPTSIM_RegisterStores(void);

/* ---- Faults ------------------------------------------------------------- */
/* Whenever the read-back path carries `value`, the status lines show
 * `shown` instead (a shorted or open line). `shown` == `value` repairs it. */
void LPTSIM_BreakReadBack(int value, int shown);
/* The next `count` status reads return these raw status bytes as read from
 * the port (before the caller's inversion of bit 7), in order; then the model
 * answers again. Replaces any script not yet used up. */
void LPTSIM_ScriptStatus(const unsigned char *raw, size_t count);
/* Noise on status bits 3..0 (on after reset; a fixed pseudo-random run). */
void LPTSIM_SetStatusNoise(int on);

#ifdef __cplusplus
}
#endif

#endif
