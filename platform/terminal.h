/*
 * Whether a standard stream is attached to an interactive terminal: someone
 * can answer a question on standard input, and a line redrawn in place on
 * standard error is seen as one line rather than piling up in a file, a pipe
 * or a log.
 *
 * Unlike the console (platform/console.h), which reads keys from the
 * process's terminal whatever the standard streams are, this looks at the
 * streams themselves. No state, no set-up: ask at any time.
 *
 * One implementation file per OS (terminal_linux.cpp, ...).
 */
#ifndef PLATFORM_TERMINAL_H
#define PLATFORM_TERMINAL_H

#ifdef __cplusplus
extern "C" {
#endif

/* 1 if standard input is an interactive terminal, 0 otherwise (a file, a
 * pipe, a null device, or closed). */
int TERMINAL_StdinIsInteractive(void);

/* 1 if standard error is an interactive terminal, 0 otherwise. */
int TERMINAL_StderrIsInteractive(void);

#ifdef __cplusplus
}
#endif

#endif
