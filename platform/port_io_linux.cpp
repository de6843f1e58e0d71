// Legacy port I/O on Linux.
//
// Two ways in, tried in this order:
//   1. direct access (x86 only): ioperm() opens the ports in this thread's I/O
//      permission bitmap, then inb/outb are single instructions;
//   2. /dev/port: one pread/pwrite of one byte at offset = port address, any
//      architecture whose kernel provides it.
// Both need root or CAP_SYS_RAWIO; /dev/port is also normally mode 0640
// root:kmem. Kernel lockdown refuses both even to root.
//
// The I/O permission bitmap is per thread: call PORT_Acquire from the thread
// that does the port accesses.

#include "platform/port_io.h"

#include <bitset>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#if (defined(__x86_64__) || defined(__i386__)) && __has_include(<sys/io.h>)
#include <sys/io.h>
#define PORT_IO_DIRECT 1
#else
#define PORT_IO_DIRECT 0
#endif

namespace {

constexpr unsigned kPortSpan = 3; // data, status, control
constexpr unsigned kPortCount = 0x10000;
constexpr int kByteMask = 0xFF;
constexpr int kFloatingBus = 0xFF; // what a read of an unreachable port gives
constexpr const char* kDevPort = "/dev/port";

std::bitset<kPortCount> g_direct; // ports opened with ioperm in this thread
int g_devport = -1;               // /dev/port, opened read-write
char g_failure[160] = "";

bool PermissionError(int err)
{
    return err == EPERM || err == EACCES;
}

// 0 on success, else errno.
int OpenDirect([[maybe_unused]] unsigned first, [[maybe_unused]] unsigned count)
{
#if PORT_IO_DIRECT
    if (first + count > kPortCount) {
        return EINVAL;
    }
    if (ioperm(first, count, 1) != 0) {
        return errno;
    }
    for (unsigned port = first; port < first + count; ++port) {
        g_direct.set(port);
    }
    return 0;
#else
    return ENOSYS; // no I/O instructions on this architecture
#endif
}

// 0 on success, else errno.
int OpenDevPort()
{
    if (g_devport >= 0) {
        return 0;
    }
    const int fd = open(kDevPort, O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    g_devport = fd;
    return 0;
}

bool Reachable(unsigned short address)
{
    return g_direct.test(address) || g_devport >= 0;
}

// A port reached without PORT_Acquire (another base chosen later): open it
// quietly; if that fails the access is dropped.
bool Reach(unsigned short address)
{
    return Reachable(address) || OpenDirect(address, 1) == 0 || OpenDevPort() == 0;
}

} // namespace

extern "C" int PORT_Acquire(unsigned short base)
{
    const unsigned last = static_cast<unsigned>(base) + kPortSpan - 1;
    const int direct_err = OpenDirect(base, kPortSpan);
    if (direct_err == 0) {
        g_failure[0] = '\0';
        return PORT_OK;
    }
    const int devport_err = OpenDevPort();
    if (devport_err == 0) {
        g_failure[0] = '\0';
        return PORT_OK;
    }
    std::snprintf(g_failure, sizeof g_failure, "ioperm 0x%X-0x%X: %s; %s: %s", static_cast<unsigned>(base), last,
                  std::strerror(direct_err), kDevPort, std::strerror(devport_err));
    // Either way failing for want of privilege means root or CAP_SYS_RAWIO
    // would get through; otherwise this machine has no path to the ports.
    if (PermissionError(direct_err) || PermissionError(devport_err)) {
        return PORT_DENIED;
    }
    return PORT_UNAVAILABLE;
}

extern "C" const char* PORT_FailureText(void)
{
    return g_failure;
}

extern "C" void PORT_Out(unsigned short address, int value)
{
    if (!Reach(address)) {
        return;
    }
    const auto byte = static_cast<unsigned char>(value & kByteMask);
#if PORT_IO_DIRECT
    if (g_direct.test(address)) {
        outb(byte, address);
        return;
    }
#endif
    // A failed write has nowhere to be reported: port writes are fire-and-forget.
    [[maybe_unused]] const ssize_t written = pwrite(g_devport, &byte, 1, address);
}

extern "C" int PORT_In(unsigned short address)
{
    if (!Reach(address)) {
        return kFloatingBus;
    }
#if PORT_IO_DIRECT
    if (g_direct.test(address)) {
        return inb(address);
    }
#endif
    unsigned char byte = 0;
    if (pread(g_devport, &byte, 1, address) != 1) {
        return kFloatingBus;
    }
    return byte;
}
