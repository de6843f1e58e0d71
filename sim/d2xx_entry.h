// Our own declaration of the adapter library's five entry points, as the
// simulated library exports them. Status values and the handle follow the
// vendor library's binary interface: a 32-bit status, an opaque pointer.
#ifndef SIM_D2XX_ENTRY_H
#define SIM_D2XX_ENTRY_H

#include <stdint.h>

#include "sim/ftsim.h"

// Calling convention of the five entry points: __stdcall on 32-bit Windows
// (exported by plain name through a .def file), the default elsewhere.
#if defined(_WIN32)
#define FTSIM_CALL __stdcall
#else
#define FTSIM_CALL
#endif

typedef void *FT_HANDLE;
typedef uint32_t FT_STATUS;

enum : FT_STATUS {
    FTSIM_FT_OK = 0,
    FTSIM_FT_INVALID_HANDLE = 1,
    FTSIM_FT_DEVICE_NOT_FOUND = 2,
    FTSIM_FT_DEVICE_NOT_OPENED = 3,
    FTSIM_FT_IO_ERROR = 4,
    FTSIM_FT_INSUFFICIENT_RESOURCES = 5,
    FTSIM_FT_INVALID_PARAMETER = 6,
};

#ifdef __cplusplus
extern "C" {
#endif

FTSIM_API FT_STATUS FTSIM_CALL FT_Open(int device_index, FT_HANDLE *handle);
FTSIM_API FT_STATUS FTSIM_CALL FT_SetBaudRate(FT_HANDLE handle, uint32_t baud_rate);
FTSIM_API FT_STATUS FTSIM_CALL FT_SetBitMode(FT_HANDLE handle, unsigned char mask, unsigned char mode);
FTSIM_API FT_STATUS FTSIM_CALL FT_Write(FT_HANDLE handle, void *buffer, uint32_t count, uint32_t *written);
#ifndef FTSIM_NO_GETBITMODE
FTSIM_API FT_STATUS FTSIM_CALL FT_GetBitMode(FT_HANDLE handle, unsigned char *pins);
#endif

#ifdef __cplusplus
}
#endif

#endif
