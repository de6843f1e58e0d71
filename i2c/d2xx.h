// The entry points of the adapter vendor's driver library that the link
// uses, declared from their documented signatures. Private to the link.
#pragma once

#include <cstdint>

#include "platform/dynlib.h"

namespace d2xx {

using Status = std::uint32_t;  // 0 = OK; anything else is a failure
using Handle = void *;         // opaque, from FT_Open

constexpr Status kOk = 0;

// FT_Open(device index, &handle)
using OpenFn = Status(DYNLIB_ADAPTER_CALL *)(int device, Handle *handle);
// FT_SetBaudRate(handle, baud): in bit-bang mode this paces the pin states
using SetBaudRateFn = Status(DYNLIB_ADAPTER_CALL *)(Handle handle, std::uint32_t baud);
// FT_SetBitMode(handle, direction mask (1 = output), mode)
using SetBitModeFn = Status(DYNLIB_ADAPTER_CALL *)(Handle handle, unsigned char mask, unsigned char mode);
// FT_Write(handle, bytes, count, &written): in bit-bang mode each byte is one pin state
using WriteFn = Status(DYNLIB_ADAPTER_CALL *)(Handle handle, const void *bytes, std::uint32_t count,
                                               std::uint32_t *written);
// FT_GetBitMode(handle, &levels): the present levels of pins D7..D0
using GetBitModeFn = Status(DYNLIB_ADAPTER_CALL *)(Handle handle, unsigned char *levels);

}  // namespace d2xx
