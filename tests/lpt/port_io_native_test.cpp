// Native port backend: access is granted only with privilege, and a refusal
// is reported rather than crashing on the first port access.
//
// Each probe runs in a forked child: I/O permissions and an open /dev/port
// are inherited across fork, so a grant in one probe would leak into the next.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/port_io.h"

namespace {

constexpr unsigned short kBase = 0x378;
constexpr uid_t kNobody = 65534;
constexpr int kCannotDrop = 99;
constexpr int kBadFloatingRead = 98;
constexpr int kNoFailureText = 97;

enum class As { Self, Nobody };

// CAP_SYS_RAWIO in this process's effective set.
bool HasRawIo()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("CapEff:", 0) == 0) {
            constexpr unsigned kCapSysRawio = 17;
            return (std::stoull(line.substr(7), nullptr, 16) >> kCapSysRawio) & 1u;
        }
    }
    return false;
}

// PORT_Acquire's status in a child, or kCannotDrop.
int ProbeAcquire(As who)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (who == As::Nobody && geteuid() == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
                _exit(kCannotDrop);
            }
        } else if (who == As::Nobody && HasRawIo()) {
            _exit(kCannotDrop); // a non-root user holding the capability cannot shed it here
        }
        const int status = PORT_Acquire(kBase);
        if (status != PORT_OK) {
            if (PORT_FailureText()[0] == '\0') {
                _exit(kNoFailureText);
            }
            // Refused: accesses are dropped, reads give the floating-bus 0xFF.
            PORT_Out(kBase, 0x55);
            if (PORT_In(kBase + 1) != 0xFF) {
                _exit(kBadFloatingRead);
            }
        }
        _exit(status);
    }
    int wstatus = 0;
    if (pid < 0 || waitpid(pid, &wstatus, 0) != pid || !WIFEXITED(wstatus)) {
        return -1;
    }
    return WEXITSTATUS(wstatus);
}

TEST(PortIoNative, UnprivilegedAcquireIsRefused)
{
    const bool privileged = geteuid() == 0 || HasRawIo();
    const int self = ProbeAcquire(As::Self);
    ASSERT_TRUE(self == PORT_OK || self == PORT_DENIED || self == PORT_UNAVAILABLE) << "probe ended with " << self;

    const int nobody = ProbeAcquire(As::Nobody);
    if (nobody == kCannotDrop) {
        GTEST_SKIP() << "cannot switch to uid " << kNobody << " here to run without privilege";
    }
    ASSERT_NE(nobody, kNoFailureText) << "refusal without a reason text";
    ASSERT_NE(nobody, kBadFloatingRead) << "refused port read did not give 0xFF";
    ASSERT_NE(nobody, PORT_OK) << "port access granted without privilege";
    if (!privileged || self != PORT_OK) {
        GTEST_SKIP() << "this machine gives no port access even with privilege (status " << self
                     << "); the unprivileged refusal came back as " << nobody;
    }
    EXPECT_EQ(nobody, PORT_DENIED);
}

} // namespace
