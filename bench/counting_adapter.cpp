// The counting adapter: see counting_adapter.h.
#include "counting_adapter.h"

#include <cstdint>
#include <vector>

namespace {

using Status = std::uint32_t;
constexpr Status kOk = 0;
constexpr unsigned char kDrivenLines = 0x03;  // D0 (SCL) and D1 (SDA out); D2 reads low

struct Call {
    std::size_t offset;   // into g_bytes
    std::uint32_t count;  // 0: a pin read
};

COUNTING_Totals g_totals{};
unsigned char g_levels = kDrivenLines;
bool g_recording = false;
std::vector<Call> g_calls;
std::vector<unsigned char> g_bytes;
int g_handle_storage = 0;

}  // namespace

extern "C" {

COUNTING_API Status FT_Open(int /*device*/, void **handle) {
    *handle = &g_handle_storage;
    return kOk;
}

COUNTING_API Status FT_SetBaudRate(void * /*handle*/, std::uint32_t /*baud*/) { return kOk; }

COUNTING_API Status FT_SetBitMode(void * /*handle*/, unsigned char /*mask*/, unsigned char /*mode*/) {
    return kOk;
}

COUNTING_API Status FT_Write(void * /*handle*/, const void *bytes, std::uint32_t count,
                             std::uint32_t *written) {
    const auto *states = static_cast<const unsigned char *>(bytes);
    ++g_totals.writes;
    g_totals.pin_states += count;
    if (count > 0) g_levels = states[count - 1];
    if (g_recording) {
        g_calls.push_back({g_bytes.size(), count});
        g_bytes.insert(g_bytes.end(), states, states + count);
    }
    *written = count;
    return kOk;
}

COUNTING_API Status FT_GetBitMode(void * /*handle*/, unsigned char *levels) {
    ++g_totals.pin_reads;
    if (g_recording) g_calls.push_back({g_bytes.size(), 0});
    *levels = static_cast<unsigned char>(g_levels & kDrivenLines);
    return kOk;
}

COUNTING_Totals COUNTING_GetTotals(void) { return g_totals; }
void COUNTING_ClearTotals(void) { g_totals = {}; }

void COUNTING_Record(int on) { g_recording = on != 0; }
size_t COUNTING_RecordedCalls(void) { return g_calls.size(); }

const unsigned char *COUNTING_RecordedCall(size_t i, uint32_t *count) {
    *count = g_calls[i].count;
    return g_bytes.data() + g_calls[i].offset;
}

void COUNTING_ClearRecord(void) {
    g_calls.clear();
    g_bytes.clear();
}

}  // extern "C"
