// Legacy port I/O on Windows.
//
// User programs cannot execute IN/OUT on Windows NT: the ports are reached
// through a port-I/O driver. The usual one comes as inpout32.dll (inpoutx64.dll
// for 64-bit programs), which installs its kernel driver the first time it is
// loaded by an administrator and then serves everyone. It is loaded at run
// time, so a program that never touches the parallel port does not need it.
//
// Entry points, __stdcall, exported under their plain names:
//   void  Out32(short port, short data)   writes the low 8 bits of data
//   short Inp32(short port)               reads one byte
//   BOOL  IsInpOutDriverOpen(void)         whether its driver is running (newer builds)

#include "platform/port_io.h"

#include <cstdio>

#include <windows.h>

#include "platform/dynlib.h"

namespace {

#if defined(_WIN64)
constexpr const char kDriverLibrary[] = "inpoutx64.dll";
#else
constexpr const char kDriverLibrary[] = "inpout32.dll";
#endif

using Out32Fn = void(__stdcall *)(short port, short data);
using Inp32Fn = short(__stdcall *)(short port);
using DriverOpenFn = BOOL(__stdcall *)(void);

constexpr int kByteMask = 0xFF;
constexpr int kFloatingBus = 0xFF;  // what a read of an unreachable port gives

Out32Fn g_out = nullptr;
Inp32Fn g_in = nullptr;
char g_failure[200] = "";

// The system's text for an error code, one line.
void DescribeError(DWORD code, char *text, DWORD size) {
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                        0, text, size, nullptr);
    if (length == 0) {
        std::snprintf(text, size, "error %lu", static_cast<unsigned long>(code));
        return;
    }
    // Messages end with ".\r\n".
    DWORD end = length;
    while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n' || text[end - 1] == ' ' ||
                       text[end - 1] == '.')) {
        --end;
    }
    text[end] = '\0';
}

template <typename Function>
Function Resolve(void *library, const char *name) {
    return reinterpret_cast<Function>(DYNLIB_Resolve(library, name));
}

int Fail(int status, const char *format, const char *detail) {
    std::snprintf(g_failure, sizeof g_failure, format, kDriverLibrary, detail);
    return status;
}

}  // namespace

extern "C" int PORT_Acquire(unsigned short base) {
    (void)base;  // the driver reaches every port once it runs
    if (g_out != nullptr && g_in != nullptr) {
        g_failure[0] = '\0';
        return PORT_OK;
    }
    void *library = DYNLIB_Load(kDriverLibrary);
    if (library == nullptr) {
        char reason[120];
        DescribeError(GetLastError(), reason, sizeof reason);
        return Fail(PORT_UNAVAILABLE, "%s: %s (the port-I/O driver library is needed beside the program)", reason);
    }
    const auto out = Resolve<Out32Fn>(library, "Out32");
    const auto in = Resolve<Inp32Fn>(library, "Inp32");
    if (out == nullptr || in == nullptr) {
        return Fail(PORT_UNAVAILABLE, "%s: %s", "no Out32/Inp32 entry points (not a port-I/O driver library)");
    }
    // Older builds lack the query; their first port access tells instead.
    const auto driver_open = Resolve<DriverOpenFn>(library, "IsInpOutDriverOpen");
    if (driver_open != nullptr && driver_open() == FALSE) {
        return Fail(PORT_DENIED, "%s: %s",
                    "its kernel driver is not running (run the program once as administrator to install it)");
    }
    g_out = out;
    g_in = in;
    g_failure[0] = '\0';
    return PORT_OK;
}

extern "C" const char *PORT_FailureText(void) { return g_failure; }

extern "C" void PORT_Out(unsigned short address, int value) {
    if (g_out == nullptr) {
        return;  // not acquired: port writes are fire-and-forget
    }
    g_out(static_cast<short>(address), static_cast<short>(value & kByteMask));
}

extern "C" int PORT_In(unsigned short address) {
    if (g_in == nullptr) {
        return kFloatingBus;
    }
    return g_in(static_cast<short>(address)) & kByteMask;
}
