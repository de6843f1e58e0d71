/*
 * The console the program talks to: standard output for text, and the
 * keyboard of the terminal the program was started from.
 *
 * Keys are read from the console itself, never from standard input, so a
 * redirected standard input changes nothing. A key is only looked for, never
 * consumed: the key that ends the program is still there for whatever reads
 * the console next.
 *
 * One implementation file per OS (console_linux.cpp, ...).
 */
#ifndef PLATFORM_CONSOLE_H
#define PLATFORM_CONSOLE_H

#ifdef __cplusplus
extern "C" {
#endif

/* Take the console for the life of the process: standard output unbuffered
 * (each print is written out before it returns, whatever stdout is), and,
 * where there is a console input, single keys without Enter and without
 * echo. The console's previous settings come back when the process ends,
 * whether it returns, calls exit or is ended by a signal. Call once, first. */
void CONSOLE_Open(void);

/* 1 if the process has a console input, so that a key can ever be seen;
 * 0 if it runs without one (no controlling terminal, or started as a
 * background job). */
int CONSOLE_HasInput(void);

/* 1 if a key is waiting on the console input, 0 otherwise. Does not block
 * and does not consume the key. Always 0 without a console input. */
int CONSOLE_KeyPressed(void);

#ifdef __cplusplus
}
#endif

#endif
