// Opens the simulated adapter the way a program started from a shell does
// (the FTSIM_* variables are applied by the first FT_Open) and prints the
// status of each setup call and the bus it found.
#include <cstdio>
#include <initializer_list>

#include "sim/d2xx_entry.h"
#include "sim/ftsim.h"

int main() {
    FT_HANDLE handle = nullptr;
    const FT_STATUS open = FT_Open(0, &handle);
    std::printf("open %u\n", static_cast<unsigned>(open));
    if (open != 0) return static_cast<int>(open);
    std::printf("baud %u\n", static_cast<unsigned>(FT_SetBaudRate(handle, 57600)));
    std::printf("bitmode %u\n", static_cast<unsigned>(FT_SetBitMode(handle, 0x03, 0x01)));
    FTSIM_SetLatencyMicros(0);
    // Address every device slot once: S addr P for each write address.
    for (unsigned address = 0x90; address <= 0xAE; address += 2) {
        unsigned char states[4 + 27 + 4];
        unsigned n = 0;
        for (int s : {0x02, 0x03, 0x01, 0x00}) states[n++] = static_cast<unsigned char>(s);
        for (int bit = 7; bit >= 0; --bit) {
            const unsigned char sda = (address >> bit) & 1 ? 0x02 : 0x00;
            states[n++] = sda;
            states[n++] = static_cast<unsigned char>(sda | 0x01);
            states[n++] = sda;
        }
        for (int s : {0x02, 0x03, 0x02, 0x00, 0x01, 0x03, 0x02}) states[n++] = static_cast<unsigned char>(s);
        uint32_t written = 0;
        FT_Write(handle, states, n, &written);
    }
    char log[4096];
    FTSIM_GetLog(log, sizeof log);
    std::fputs(log, stdout);
    return 0;
}
