/*
 * Byte-wide legacy port I/O. One backend is linked into each program:
 * native (real ports) or simulated (a model of the two-latch adapter).
 */
#ifndef PLATFORM_PORT_IO_H
#define PLATFORM_PORT_IO_H

#ifdef __cplusplus
extern "C" {
#endif

/* Status of PORT_Acquire. */
#define PORT_OK 0
#define PORT_DENIED 1      /* no privilege for these ports */
#define PORT_UNAVAILABLE 2 /* no way to reach ports on this machine (no driver, no /dev/port) */

/* Gain access to base .. base + 2 before any register operation. */
int PORT_Acquire(unsigned short base);
/* Why the last PORT_Acquire failed, one line naming each way tried and the
 * system's reason; "" after a success. */
const char *PORT_FailureText(void);
void PORT_Out(unsigned short address, int value); /* writes the low 8 bits */
int PORT_In(unsigned short address);              /* 0..255 */

#ifdef __cplusplus
}
#endif

#endif
