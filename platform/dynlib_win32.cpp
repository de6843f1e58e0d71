// Library loading through the Windows loader (LoadLibraryA/GetProcAddress).
// The adapter library's entry points are __stdcall and exported under their
// plain names, as the vendor's 32-bit Ftd2xx.dll has them.
#include "platform/dynlib.h"

#include <windows.h>

extern "C" const char DYNLIB_ADAPTER_LIBRARY[] = "Ftd2xx.dll";

extern "C" void *DYNLIB_Load(const char *file_name) {
    // No dialog box when the library or one of its dependencies is missing:
    // the caller reports the failure on the console. The loader's error code
    // is kept across the mode switch-back, for a caller that names the reason.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(file_name);
    const DWORD load_error = GetLastError();
    SetErrorMode(previous);
    SetLastError(load_error);
    return reinterpret_cast<void *>(module);
}

extern "C" DYNLIB_Function DYNLIB_Resolve(void *module, const char *name) {
    if (module == nullptr) {
        return nullptr;
    }
    // GetProcAddress hands back a generic function pointer (FARPROC); the
    // caller casts it to the entry point's real type.
    return reinterpret_cast<DYNLIB_Function>(GetProcAddress(static_cast<HMODULE>(module), name));
}
