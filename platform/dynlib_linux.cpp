// Library loading through the system loader (dlopen/dlsym).
#include "platform/dynlib.h"

#include <dlfcn.h>

extern "C" const char DYNLIB_ADAPTER_LIBRARY[] = "libftd2xx.so";

extern "C" void *DYNLIB_Load(const char *file_name) {
    // RTLD_NOW: a library with unresolvable dependencies fails here, at
    // start-up, rather than at its first call.
    return dlopen(file_name, RTLD_NOW | RTLD_LOCAL);
}

extern "C" DYNLIB_Function DYNLIB_Resolve(void *module, const char *name) {
    if (module == nullptr) {
        return nullptr;
    }
    // POSIX guarantees that a dlsym result converts to a function pointer.
    return reinterpret_cast<DYNLIB_Function>(dlsym(module, name));
}
