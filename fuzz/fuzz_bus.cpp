// The fuzzing adapter: see fuzz_bus.h.
#include "fuzz_bus.h"

#include <cstdint>

namespace {

using Status = std::uint32_t;
constexpr Status kOk = 0;
constexpr Status kIoError = 4;

constexpr unsigned kScl = 0x01;     // D0
constexpr unsigned kSdaOut = 0x02;  // D1, as the master drives it
constexpr unsigned kSdaIn = 0x04;   // D2, the data line on the bus
constexpr unsigned kDriven = kScl | kSdaOut;

constexpr std::uint32_t kByteStates = 24;   // one byte written: 8 bits x 3 states
constexpr std::uint32_t kSampleRise = 2;    // release SDA, raise SCL: a sample follows

FUZZBUS_Source g_source = nullptr;
FUZZBUS_Observed g_seen{};
unsigned g_lines = kDriven;  // the bus rests high before the adapter is opened
std::uint32_t g_last_write = 0, g_write_before = 0;
int g_handle_storage = 0;

// A condition is the data line moving while the clock stays high.
void Step(unsigned next) {
    const bool clock_held = (g_lines & kScl) != 0 && (next & kScl) != 0;
    const bool sda_was = (g_lines & kSdaOut) != 0;
    const bool sda_now = (next & kSdaOut) != 0;
    if (clock_held && sda_was && !sda_now) {
        ++g_seen.starts;
        g_seen.in_transaction = 1;
    } else if (clock_held && !sda_was && sda_now) {
        ++g_seen.stops;
        g_seen.in_transaction = 0;
    }
    g_lines = next & kDriven;
}

}  // namespace

extern "C" {

FUZZBUS_API Status FT_Open(int /*device*/, void **handle) {
    *handle = &g_handle_storage;
    return kOk;
}

FUZZBUS_API Status FT_SetBaudRate(void * /*handle*/, std::uint32_t /*baud*/) { return kOk; }

FUZZBUS_API Status FT_SetBitMode(void * /*handle*/, unsigned char /*mask*/, unsigned char /*mode*/) {
    return kOk;
}

FUZZBUS_API Status FT_Write(void * /*handle*/, const void *bytes, std::uint32_t count, std::uint32_t *written) {
    const auto *states = static_cast<const unsigned char *>(bytes);
    for (std::uint32_t i = 0; i < count; ++i) Step(states[i]);
    ++g_seen.writes;
    ++g_seen.writes_since_ack_check;
    g_seen.lines = static_cast<int>(g_lines);
    g_write_before = g_last_write;
    g_last_write = count;
    *written = count;
    return kOk;
}

FUZZBUS_API Status FT_GetBitMode(void * /*handle*/, unsigned char *levels) {
    ++g_seen.reads;
    const int level = g_source != nullptr ? g_source() : ((g_lines & kSdaOut) != 0 ? 1 : 0);
    const bool ack_check = g_last_write == kSampleRise && g_write_before == kByteStates;
    if (ack_check) {
        ++g_seen.ack_checks;
        g_seen.last_ack = level == 0 ? 0 : 1;
        if (g_seen.last_ack != 0) ++g_seen.refused;
        g_seen.writes_since_ack_check = 0;
    }
    if (level < 0) return kIoError;
    // The bus line is the wired-AND of the master and the chips.
    const bool high = level != 0 && (g_lines & kSdaOut) != 0;
    *levels = static_cast<unsigned char>(g_lines | (high ? kSdaIn : 0u));
    return kOk;
}

void FUZZBUS_SetSource(FUZZBUS_Source source) { g_source = source; }

FUZZBUS_Observed FUZZBUS_Get(void) { return g_seen; }

void FUZZBUS_ClearCounts(void) {
    const int in_transaction = g_seen.in_transaction;
    g_seen = {};
    g_seen.in_transaction = in_transaction;
    g_seen.lines = static_cast<int>(g_lines);
}

}  // extern "C"
