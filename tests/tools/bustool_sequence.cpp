// Test twin of bustool: the same commands on the simulated parallel port, and
// several command lines run one after the other in one process, so that what
// one writes to a simulated chip is still there for the next to read:
//
//   bustool_sequence eeprom load -y a.bin --and eeprom save b.bin
//
// Runs the lines in order and stops at the first that fails; exits with its
// status. Test-only settings, from the environment:
//   BUSTOOL_TEST_PORT_ACQUIRE = denied | unavailable   PORT_Acquire refuses
//   BUSTOOL_TEST_PORT_TRACE   = FILE  every port access, one per line, at exit:
//                                     "O 378 e2" (output), "I 379 7f" (input)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bustool.h"
#include "platform/port_io.h"
#include "sim/lpt/lptsim.h"

namespace {

constexpr const char *kSeparator = "--and";

void ConfigurePort() {
    const char *acquire = std::getenv("BUSTOOL_TEST_PORT_ACQUIRE");
    if (acquire == nullptr) {
        return;
    }
    if (std::strcmp(acquire, "denied") == 0) {
        LPTSIM_SetAcquireResult(PORT_DENIED);
    } else if (std::strcmp(acquire, "unavailable") == 0) {
        LPTSIM_SetAcquireResult(PORT_UNAVAILABLE);
    }
}

void SavePortTrace() {
    const char *path = std::getenv("BUSTOOL_TEST_PORT_TRACE");
    if (path == nullptr) {
        return;
    }
    std::FILE *out = std::fopen(path, "w");
    if (out == nullptr) {
        return;
    }
    LPTSIM_Access access{};
    for (size_t i = 0; LPTSIM_TraceAt(i, &access) == 0; ++i) {
        std::fprintf(out, "%c %03x %02x\n", access.input != 0 ? 'I' : 'O', access.address, access.value);
    }
    std::fclose(out);
}

}  // namespace

int main(int argc, char **argv) {
    ConfigurePort();
    int status = 0;
    std::vector<char *> line{argv[0]};
    for (int i = 1; i <= argc && status == 0; ++i) {
        if (i == argc || std::strcmp(argv[i], kSeparator) == 0) {
            std::fflush(stdout);
            line.push_back(nullptr);
            status = bustool::Run(static_cast<int>(line.size() - 1), line.data());
            line.assign(1, argv[0]);
        } else {
            line.push_back(argv[i]);
        }
    }
    std::fflush(stdout);
    SavePortTrace();
    return status;
}
