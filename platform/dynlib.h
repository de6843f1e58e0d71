/*
 * Run-time loading of a shared library and lookup of its entry points.
 * The file name of the adapter's driver library and the calling convention
 * of its entry points differ between operating systems; both live here.
 * One implementation file per OS (dynlib_linux.cpp, ...).
 */
#ifndef PLATFORM_DYNLIB_H
#define PLATFORM_DYNLIB_H

#ifdef __cplusplus
extern "C" {
#endif

/* Calling convention of the adapter library's entry points: __stdcall on
 * 32-bit Windows, the platform's default elsewhere. */
#if defined(_WIN32)
#define DYNLIB_ADAPTER_CALL __stdcall
#else
#define DYNLIB_ADAPTER_CALL
#endif

/* File name of the adapter's driver library, found through the system
 * loader's search path. */
extern const char DYNLIB_ADAPTER_LIBRARY[];

/* Any entry point; cast to its real type before calling. */
typedef void (*DYNLIB_Function)(void);

/* Load a library by file name. Returns an opaque module handle, or a null
 * pointer if the loader cannot find or load it. Nothing is ever unloaded. */
void *DYNLIB_Load(const char *file_name);

/* Address of an exported entry point, or a null pointer if it is missing. */
DYNLIB_Function DYNLIB_Resolve(void *module, const char *name);

#ifdef __cplusplus
}
#endif

#endif
