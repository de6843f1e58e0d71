// The adapter library as the link binds it: loaded by path at run time, the
// five entry points found by name.

#ifndef TESTS_ADAPTERS_ENTRY_POINTS_H
#define TESTS_ADAPTERS_ENTRY_POINTS_H

#include <cstdint>
#include <dlfcn.h>

namespace adapter_test {

using FtStatus = std::uint32_t;
using FtHandle = void*;

constexpr FtStatus kOk = 0;
constexpr FtStatus kInvalidHandle = 1;
constexpr FtStatus kDeviceNotFound = 2;
constexpr FtStatus kDeviceNotOpened = 3;
constexpr FtStatus kIoError = 4;
constexpr FtStatus kInvalidParameter = 6;

struct EntryPoints {
    FtStatus (*open)(int, FtHandle*) = nullptr;
    FtStatus (*set_baud_rate)(FtHandle, std::uint32_t) = nullptr;
    FtStatus (*set_bit_mode)(FtHandle, unsigned char, unsigned char) = nullptr;
    FtStatus (*write)(FtHandle, void*, std::uint32_t, std::uint32_t*) = nullptr;
    FtStatus (*get_bit_mode)(FtHandle, unsigned char*) = nullptr;

    // nullptr on success, else what the loader said.
    const char* Load(const char* path)
    {
        void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            return dlerror();
        }
        Bind(library, "FT_Open", open);
        Bind(library, "FT_SetBaudRate", set_baud_rate);
        Bind(library, "FT_SetBitMode", set_bit_mode);
        Bind(library, "FT_Write", write);
        Bind(library, "FT_GetBitMode", get_bit_mode);
        if (!open || !set_baud_rate || !set_bit_mode || !write || !get_bit_mode) {
            return "an entry point is missing";
        }
        return nullptr;
    }

private:
    template <typename Fn> static void Bind(void* library, const char* name, Fn& fn)
    {
        fn = reinterpret_cast<Fn>(dlsym(library, name));
    }
};

} // namespace adapter_test

#endif
